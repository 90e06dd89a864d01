// Text costs: laying out and rendering a message page, one typing frame, and the line layout alone;
// beside them a pixman composite of the same area as a typing frame, as an anchor.

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <memory>
#include <string>
#include <vector>

#include "media/Display.h"
#include "media/Surface.h"
#include "platform/fonts/Fonts.h"
#include "platform/headless/HeadlessPlatform.h"
#include "shell/Encoding.h"
#include "shell/System.h"
#include "text/MessageWindow.h"
#include "text/TextLayout.h"

namespace {

// A three-line message with a ruby and a link, as the story shows them.
std::string ThreeLineMessage() {
    return Utf8ToSjis(
        "「今日は朝から雨が降っていたので、傘を持って学校へ行った。/n"
        "帰り道で<jump0012>図書館</end>に寄り、新しい本を三冊借りた。/n"
        "明日は晴れるといいな<r2>はれ</r>、と思いながら眠った。」");
}

struct CTextBench {
    CHeadlessPlatform platform;
    CFontEngine fonts;
    std::unique_ptr<CDisplay> display;
    CSurface* screen = nullptr;
    std::unique_ptr<CMessageWindow> window;

    CTextBench() {
        platform.SetLog(nullptr);
        platform.SetFonts(&fonts);
        CSystem::Install(&platform);
        display = std::make_unique<CDisplay>(true);
        screen = display->CreateSurface(800, 600);
        window = std::make_unique<CMessageWindow>(display.get(), display->SurfaceDepth());
    }
    ~CTextBench() {
        window.reset();
        display->ReleaseSurface(screen);
        display.reset();
        CSystem::Install(nullptr);
    }
};

void BM_SetMessageAndFirstPage(benchmark::State& state) {
    CTextBench bench;
    const std::string name = Utf8ToSjis("名前");
    const std::string text = ThreeLineMessage();
    bench.window->SetInterval(0);
    for (auto _ : state) {
        int lines = bench.window->SetMessage(name, text);
        int result = bench.window->Update(*bench.screen);
        benchmark::DoNotOptimize(lines);
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_SetMessageAndFirstPage)->Unit(benchmark::kMillisecond);

void BM_TypingFrame(benchmark::State& state) {
    CTextBench bench;
    const std::string name = Utf8ToSjis("名前");
    const std::string text = ThreeLineMessage();
    bench.window->SetInterval(12);
    bench.window->SetMessage(name, text);
    for (auto _ : state) {
        bench.platform.Clock().Advance(16);
        int result = bench.window->Update(*bench.screen);
        if (result != CTextWindow::kTyping) {
            state.PauseTiming();
            bench.window->SetMessage(name, text);
            state.ResumeTiming();
        }
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_TypingFrame)->Unit(benchmark::kMicrosecond);

void BM_Layout(benchmark::State& state) {
    auto layout = std::make_unique<CTextLayout>(28);
    const std::string text = ThreeLineMessage();
    for (auto _ : state) benchmark::DoNotOptimize(layout->Layout(text));
}
BENCHMARK(BM_Layout)->Unit(benchmark::kMicrosecond);

// Anchor: pixman blending an 800 x 135 picture with its alpha onto an 800 x 600 screen.
void BM_PixmanTextStripComposite(benchmark::State& state) {
    std::vector<uint32_t> src(800 * 135, 0x80FFFFFF), dst(800 * 600, 0xFF000000);
    pixman_image_t* s = pixman_image_create_bits(PIXMAN_a8r8g8b8, 800, 135, src.data(), 800 * 4);
    pixman_image_t* d = pixman_image_create_bits(PIXMAN_x8r8g8b8, 800, 600, dst.data(), 800 * 4);
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_OVER, s, nullptr, d, 0, 0, 0, 0, 0, 465, 800, 135);
        benchmark::ClobberMemory();
    }
    pixman_image_unref(s);
    pixman_image_unref(d);
}
BENCHMARK(BM_PixmanTextStripComposite)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
