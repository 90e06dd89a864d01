// LZSS decoding of an archive member against zlib's inflate of the same bytes: a 1.4 MB 24-bit picture
// (gradients, noise, flat areas) and 1 MB of Shift-JIS script text, both generated here.

#include "resources/Lzss.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "resources/LzssEncoder.h"
#include "shell/Encoding.h"

namespace {

using Bytes = std::vector<uint8_t>;

// 800 x 600 x 3: a sky gradient on top, a noisy textured ground, flat panels and a dithered figure.
Bytes MakePicture() {
    const int w = 800, h = 600;
    const int rowSize = w * 3;
    Bytes px(static_cast<size_t>(rowSize) * h);
    std::mt19937 rng(42);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            uint8_t* p = &px[static_cast<size_t>(y) * rowSize + x * 3];
            int b, g, r;
            if (y < 250) {  // gradient sky, lightly dithered
                b = 255 - y / 3;
                g = 180 - y / 4 + static_cast<int>(rng() % 3);
                r = 120 + x / 10;
            } else if (x > 520 && x < 760 && y > 300 && y < 560) {  // flat window panel
                b = 40;
                g = 30;
                r = 20;
            } else if ((x - 300) * (x - 300) + (y - 380) * (y - 380) < 110 * 110) {  // shaded figure
                const int shade = ((x - 300) + (y - 380)) / 8;
                b = 150 + shade;
                g = 170 + shade;
                r = 230 + shade / 2;
            } else {  // ground: texture plus noise
                const int base = 90 + ((x / 16 + y / 16) % 2) * 20;
                b = base + static_cast<int>(rng() % 24);
                g = base + 30 + static_cast<int>(rng() % 24);
                r = base + 10 + static_cast<int>(rng() % 24);
            }
            p[0] = static_cast<uint8_t>(std::clamp(b, 0, 255));
            p[1] = static_cast<uint8_t>(std::clamp(g, 0, 255));
            p[2] = static_cast<uint8_t>(std::clamp(r, 0, 255));
        }
    }
    return px;
}

// Script lines: commands, speaker names and dialogue put together from phrases.
Bytes MakeScript(size_t size) {
    const char* names[] = {"【春香】", "【美咲】", "【由紀】", "【千夏】", "【先生】"};
    const char* phrases[] = {
        "今日はいい天気だね。",
        "放課後、図書室で待ってる。",
        "そんなこと、急に言われても……",
        "えっ、本当に？",
        "海に行こうよ、みんなで！",
        "ちょっと待って、まだ準備ができてないの。",
        "ありがとう。",
        "夕焼けがきれいだった。",
        "明日の約束、忘れないでね。",
        "胸がどきどきして眠れない。",
        "風が少し冷たくなってきた。",
        "何を考えているの？",
        "私、あなたのことが……",
    };
    const char* commands[] = {"#bg 12\n",    "#chara 3 2 1\n",   "#bgm 5\n",      "#se 31\n",
                              "#wait 500\n", "#effect 7 1000\n", "#label day3\n", "#set v21 1\n"};
    std::mt19937 rng(7);
    std::string utf8;
    while (utf8.size() < size * 3 / 2) {
        if (rng() % 3 == 0) utf8 += commands[rng() % std::size(commands)];
        utf8 += names[rng() % std::size(names)];
        utf8 += "「";
        const int n = 1 + static_cast<int>(rng() % 3);
        for (int i = 0; i < n; ++i) {
            utf8 += phrases[rng() % std::size(phrases)];
            // A few random kana keep the text from being phrases only.
            const int kana = static_cast<int>(rng() % 6);
            for (int k = 0; k < kana; ++k) {
                const char32_t c = U'\u3041' + static_cast<char32_t>(rng() % 83);
                utf8 += static_cast<char>(0xE0 | (c >> 12));
                utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
                utf8 += static_cast<char>(0x80 | (c & 0x3F));
            }
        }
        utf8 += "」\n";
    }
    std::string sjis = Utf8ToSjis(utf8);
    sjis.resize(size);
    size_t leads = 0;
    for (char c : sjis) leads += IsSjisLead(static_cast<unsigned char>(c));
    if (leads < size / 4) std::abort();  // the conversion failed: the text would not be Japanese
    return Bytes(sjis.begin(), sjis.end());
}

struct CSample {
    Bytes raw;
    Bytes lzss;
    Bytes zlib;
};

CSample Prepare(Bytes raw) {
    CSample s;
    s.raw = std::move(raw);
    s.lzss = LzssEncode(s.raw.data(), s.raw.size());
    uLongf zlibSize = compressBound(s.raw.size());
    s.zlib.resize(zlibSize);
    compress2(s.zlib.data(), &zlibSize, s.raw.data(), s.raw.size(), Z_DEFAULT_COMPRESSION);
    s.zlib.resize(zlibSize);
    return s;
}

const CSample& Picture() {
    static const CSample s = Prepare(MakePicture());
    return s;
}
const CSample& Script() {
    static const CSample s = Prepare(MakeScript(1 << 20));
    return s;
}

void Report(benchmark::State& state, const CSample& s, size_t packed) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(s.raw.size()));
    state.counters["ratio"] = static_cast<double>(packed) / static_cast<double>(s.raw.size());
}

void Lzss(benchmark::State& state, const CSample& s) {
    Bytes out(s.raw.size());
    for (auto _ : state) {
        const size_t n = LzssDecode(s.lzss.data(), s.lzss.size(), out.data(), out.size());
        benchmark::DoNotOptimize(n);
        benchmark::ClobberMemory();
    }
    if (out != s.raw) state.SkipWithError("LZSS round trip differs");
    Report(state, s, s.lzss.size());
}

void Inflate(benchmark::State& state, const CSample& s) {
    Bytes out(s.raw.size());
    for (auto _ : state) {
        uLongf n = out.size();
        uncompress(out.data(), &n, s.zlib.data(), s.zlib.size());
        benchmark::DoNotOptimize(n);
        benchmark::ClobberMemory();
    }
    if (out != s.raw) state.SkipWithError("zlib round trip differs");
    Report(state, s, s.zlib.size());
}

void BM_LzssDecodePicture(benchmark::State& state) {
    Lzss(state, Picture());
}
void BM_ZlibInflatePicture(benchmark::State& state) {
    Inflate(state, Picture());
}
void BM_LzssDecodeScript(benchmark::State& state) {
    Lzss(state, Script());
}
void BM_ZlibInflateScript(benchmark::State& state) {
    Inflate(state, Script());
}
void BM_LzssEncodePicture(benchmark::State& state) {
    const CSample& s = Picture();
    for (auto _ : state) benchmark::DoNotOptimize(LzssEncode(s.raw.data(), s.raw.size()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(s.raw.size()));
}

}  // namespace

BENCHMARK(BM_LzssDecodePicture);
BENCHMARK(BM_ZlibInflatePicture);
BENCHMARK(BM_LzssDecodeScript);
BENCHMARK(BM_ZlibInflateScript);
BENCHMARK(BM_LzssEncodePicture)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
