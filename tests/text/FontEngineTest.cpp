#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

#include "TextTestSupport.h"
#include "platform/fonts/Fonts.h"
#include "shell/Encoding.h"

namespace {

CFontEngine& Engine() {
    return SharedFontEngine();
}

std::unique_ptr<CPlatformFont> Gothic(int height, int weight) {
    CFontRequest request;
    request.faceSjis = Utf8ToSjis("ＭＳ ゴシック");
    request.height = height;
    request.weight = weight;
    return Engine().CreateFont(request);
}

std::vector<uint8_t> RenderU8(CPlatformFont& font, const std::string& sjis, int width, int height) {
    std::vector<uint8_t> buffer(static_cast<size_t>(width) * height, 0xAA);
    font.Render(sjis, buffer.data(), width, height, width);
    return buffer;
}

long Sum(const std::vector<uint8_t>& v) {
    return std::accumulate(v.begin(), v.end(), 0L);
}

// Total coverage of the columns [x0, x1).
long ColumnSum(const std::vector<uint8_t>& v, int width, int x0, int x1) {
    long s = 0;
    for (size_t i = 0; i < v.size(); ++i) {
        int x = static_cast<int>(i % width);
        if (x >= x0 && x < x1) s += v[i];
    }
    return s;
}

TEST(FontEngine, GothicMapsToAFixedPitchJapaneseFace) {
    ASSERT_TRUE(Engine().Ready());
    auto font = Gothic(28, 1000);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->FamilyUsed(), "IPAGothic");
    EXPECT_EQ(font->Height(), 28);
    EXPECT_TRUE(font->Bold());
    auto regular = Gothic(30, 100);
    ASSERT_NE(regular, nullptr);
    EXPECT_FALSE(regular->Bold());
}

TEST(FontEngine, MeasuresOnTheFixedGrid) {
    auto font = Gothic(28, 1000);
    ASSERT_NE(font, nullptr);
    struct Case {
        std::string sjis;
        int width;
    } cases[] = {
        {Utf8ToSjis("あいう"), 84},
        {"AB", 28},
        {Utf8ToSjis("漢A"), 42},
        {Utf8ToSjis("ｱｲ"), 28},  // half-width katakana
        {"", 0},
        {std::string("\x81\x20", 2), 28},  // an invalid pair is one unit: the placeholder
        {std::string("\x82", 1), 28},      // a lead byte at the end
        {std::string("\xFF", 1), 28},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sjis);
        CTextExtent e = font->Measure(c.sjis);
        EXPECT_EQ(e.width, c.width);
        EXPECT_EQ(e.height, 28);
    }
    // The string ends at a zero byte.
    EXPECT_EQ(font->Measure(std::string("AB\0CD", 5)).width, 28);
}

TEST(FontEngine, RendersWhiteOnBlackInsideTheExtent) {
    auto font = Gothic(28, 100);
    ASSERT_NE(font, nullptr);
    std::string text = Utf8ToSjis("漢字");
    const int w = 80, h = 32;
    auto cov = RenderU8(*font, text, w, h);
    // Each character draws in its own 28-pixel cell; nothing lies beyond the extent of 56.
    EXPECT_GT(ColumnSum(cov, w, 0, 28), 255 * 20);
    EXPECT_GT(ColumnSum(cov, w, 28, 56), 255 * 20);
    EXPECT_EQ(ColumnSum(cov, w, 58, w), 0);
    // The buffer is cleared: the 0xAA filler is gone, full coverage is reached somewhere.
    EXPECT_EQ(*std::max_element(cov.begin(), cov.end()), 255);
    for (int y = 29; y < h; ++y)
        for (int x = 0; x < w; ++x) EXPECT_EQ(cov[static_cast<size_t>(y) * w + x], 0) << x << "," << y;
    // Anti-aliased: some pixels are partly covered.
    EXPECT_TRUE(std::any_of(cov.begin(), cov.end(), [](uint8_t v) { return v > 0 && v < 255; }));
}

TEST(FontEngine, DifferentCharactersDifferAndSameRequestsAgree) {
    auto a = Gothic(28, 100);
    auto b = Gothic(28, 100);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    auto x = RenderU8(*a, Utf8ToSjis("あ"), 28, 28);
    auto y = RenderU8(*a, Utf8ToSjis("い"), 28, 28);
    EXPECT_NE(x, y);
    EXPECT_EQ(x, RenderU8(*b, Utf8ToSjis("あ"), 28, 28));
}

TEST(FontEngine, BoldCoversMoreThanRegular) {
    auto bold = Gothic(28, 1000);
    auto regular = Gothic(28, 100);
    ASSERT_NE(bold, nullptr);
    ASSERT_NE(regular, nullptr);
    std::string text = Utf8ToSjis("国語の本");
    long b = Sum(RenderU8(*bold, text, 112, 28));
    long r = Sum(RenderU8(*regular, text, 112, 28));
    EXPECT_GT(b, r + r / 10);
    // Emboldening keeps the grid.
    EXPECT_EQ(bold->Measure(text).width, regular->Measure(text).width);
}

TEST(FontEngine, UndecodableBytesDrawThePlaceholder) {
    auto font = Gothic(28, 100);
    ASSERT_NE(font, nullptr);
    auto placeholder = RenderU8(*font, Utf8ToSjis("〓"), 28, 28);
    ASSERT_GT(Sum(placeholder), 0);
    for (std::string bad : {std::string("\x81\x20", 2), std::string("\x82", 1), std::string("\xFF", 1),
                            std::string("\x01", 1)}) {
        SCOPED_TRACE(static_cast<int>(static_cast<unsigned char>(bad[0])));
        auto cov = RenderU8(*font, bad, 28, 28);
        EXPECT_EQ(cov, placeholder);
    }
}

TEST(FontEngine, DrawingIsClippedToTheBuffer) {
    auto font = Gothic(60, 1000);
    ASSERT_NE(font, nullptr);
    std::string text = Utf8ToSjis("長い文字列を小さな所へ描く");
    for (auto [w, h] : {std::pair{1, 1}, std::pair{7, 5}, std::pair{100, 3}, std::pair{3, 100}}) {
        std::vector<uint8_t> buffer(static_cast<size_t>(w + 4) * h, 0x55);
        font->Render(text, buffer.data(), w, h, w + 4);
        // The padding beyond the width of each row is never touched.
        for (int y = 0; y < h; ++y)
            for (int x = w; x < w + 4; ++x) EXPECT_EQ(buffer[static_cast<size_t>(y) * (w + 4) + x], 0x55);
    }
}

TEST(FontEngine, RefusesImpossibleHeights) {
    EXPECT_EQ(Gothic(0, 100), nullptr);
    EXPECT_EQ(Gothic(-5, 100), nullptr);
}

}  // namespace
