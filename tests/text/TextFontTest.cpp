#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "TextTestSupport.h"
#include "media/AlphaSurface.h"
#include "media/Display.h"
#include "media/Surface.h"
#include "shell/Encoding.h"
#include "support/TestPlatform.h"
#include "text/TextFont.h"

namespace {

class TextFontTest : public CPlatformTest {
  protected:
    void UseDepth(int depth) {
        platform.SetDesktopDepth(depth);
        display = std::make_unique<CDisplay>(true);
    }
    void SetUp() override {
        platform.SetFonts(&SharedFontEngine());
        UseDepth(32);
    }
    void TearDown() override {
        for (CSurface* s : surfaces) display->ReleaseSurface(s);
        surfaces.clear();
        display.reset();
    }
    CSurface* Plain(int w, int h, uint32_t colour) {
        CSurface* s = display->CreateSurface(w, h);
        s->Fill(0, 0, w, h, colour);
        surfaces.push_back(s);
        return s;
    }
    CAlphaSurface* Alpha(int w, int h) {
        CAlphaSurface* s = display->CreateAlphaSurface(w, h);
        surfaces.push_back(s);
        return s;
    }
    static bool SamePixels(CSurface& a, CSurface& b) {
        for (int y = 0; y < a.Height(); ++y)
            if (std::memcmp(a.Row(y), b.Row(y), static_cast<size_t>(a.Width()) * a.BytesPerPixel()) != 0)
                return false;
        return true;
    }
    static bool Blank(CSurface& s) {
        for (int y = 0; y < s.Height(); ++y)
            for (int x = 0; x < s.Width() * s.BytesPerPixel(); ++x)
                if (s.Row(y)[x] != 0) return false;
        return true;
    }
    const uint8_t* AlphaEntry(CAlphaSurface& s, int x, int y) {
        return s.GetAlphaMap() + static_cast<size_t>(y) * s.AlphaPitch() +
               static_cast<size_t>(x) * s.AlphaStride();
    }

    std::unique_ptr<CDisplay> display;
    std::vector<CSurface*> surfaces;
};

TEST_F(TextFontTest, FontHeightAndWeightFollowTheSize) {
    struct Case {
        int size, height, weight;
        bool bold;
    } cases[] = {{14, 28, 1000, true}, {15, 30, 100, false}, {10, 20, 1000, true}, {22, 44, 100, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        CTextFont font(display.get(), c.size);
        ASSERT_NE(font.GetFont(), nullptr);
        EXPECT_EQ(font.GetFont()->Height(), c.height);
        EXPECT_EQ(font.GetFont()->Weight(), c.weight);
        EXPECT_EQ(font.GetFont()->Bold(), c.bold);
        EXPECT_TRUE(font.GetFont()->Request().fixedPitch);
        EXPECT_EQ(SjisToUtf8(font.GetFont()->Request().faceSjis), "ＭＳ ゴシック");
    }
}

TEST_F(TextFontTest, SetFaceReplacesOnlyWhatIsGiven) {
    CTextFont font(display.get(), 22);
    font.SetFace("", 12);
    EXPECT_EQ(font.GetSize(), 12);
    EXPECT_EQ(font.GetFont()->Height(), 24);
    EXPECT_EQ(font.GetFont()->Weight(), 1000);
    std::string other = Utf8ToSjis("ＭＳ 明朝");
    font.SetFace(other, 0);
    EXPECT_EQ(font.GetSize(), 12);
    EXPECT_EQ(std::string(font.GetFaceName()), other);
    EXPECT_EQ(font.GetFont()->Request().faceSjis, other);
}

TEST_F(TextFontTest, ExtentIsRaisedToMultiplesOfFourAndDrawnAtHalf) {
    CScriptedFonts fonts;
    platform.SetFonts(&fonts);
    CTextFont font(display.get(), 15);
    CSurface* target = Plain(100, 100, 0x000000);
    font.DrawString(*target, 10, 20, "x", 0xFFFFFF);
    EXPECT_EQ(fonts.renderedWidth, 64);
    EXPECT_EQ(fonts.renderedHeight, 32);
    int drawn = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) {
            CRgb p = PixelAt(*target, x, y);
            bool inside = x >= 10 && x < 42 && y >= 20 && y < 36;
            if (inside) {
                // Full coverage blends to one step short of the colour.
                EXPECT_GE(p.r, 254) << x << "," << y;
                ++drawn;
            } else {
                EXPECT_EQ(p.r + p.g + p.b, 0) << x << "," << y;
            }
        }
    EXPECT_EQ(drawn, 32 * 16);
}

TEST_F(TextFontTest, CoverageIsTheAverageOfTwoByTwoBlocks) {
    for (int depth : {32, 24, 16, 15}) {
        SCOPED_TRACE(depth);
        TearDown();
        UseDepth(depth);
        CScriptedFonts fonts;
        fonts.extent = {16, 8};
        fonts.pattern = [](int x, int y) { return static_cast<uint8_t>(4 * x + 8 * y); };
        platform.SetFonts(&fonts);
        CTextFont font(display.get(), 4);
        CAlphaSurface* layer = Alpha(8, 4);
        font.DrawString(*layer, 0, 0, "x", 0x0000FF);
        for (int oy = 0; oy < 4; ++oy)
            for (int ox = 0; ox < 8; ++ox) {
                // Block values 4(2ox) + 8(2oy) plus 0, 4, 8, 12: average 8ox + 16oy + 6.
                int expected = 8 * ox + 16 * oy + 6;
                if (depth <= 16) expected &= 0xF8;
                const uint8_t* e = AlphaEntry(*layer, ox, oy);
                EXPECT_EQ(e[0], expected) << ox << "," << oy;
                EXPECT_EQ(e[1], expected);
                EXPECT_EQ(e[2], expected);
            }
        platform.SetFonts(&SharedFontEngine());
    }
}

TEST_F(TextFontTest, RenderingColourDecidesWhichChannelsCarryCoverage) {
    CScriptedFonts fonts;
    fonts.extent = {8, 8};
    platform.SetFonts(&fonts);
    CTextFont font(display.get(), 4);
    font.SetTextColor(0x00FFFF);  // yellow: red and green
    CAlphaSurface* layer = Alpha(4, 4);
    font.DrawString(*layer, 0, 0, "x", 0x00FFFF);
    const uint8_t* e = AlphaEntry(*layer, 1, 1);
    EXPECT_EQ(e[0], 0);    // blue
    EXPECT_EQ(e[1], 255);  // green
    EXPECT_EQ(e[2], 255);  // red
}

TEST_F(TextFontTest, DrawingIntoAnAlphaSurfaceTakesOverColourAndCoverage) {
    CTextFont font(display.get(), 22);
    CAlphaSurface* layer = Alpha(200, 40);
    layer->Fill(0, 0, 200, 40, 0xFFFFFF);
    font.DrawString(*layer, 10, 5, Utf8ToSjis("漢字"), 0x0000FF);
    int covered = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 200; ++x) {
            const uint8_t* e = AlphaEntry(*layer, x, y);
            bool inside = x >= 10 && x < 54 && y >= 5 && y < 27;
            CRgb p = PixelAt(*layer, x, y);
            if (!inside) {
                EXPECT_EQ(e[0] | e[1] | e[2], 0);
                EXPECT_EQ(p.r + p.g + p.b, 3 * 255);  // the white fill stays
            } else {
                EXPECT_EQ(p.r, 255);
                EXPECT_EQ(p.g + p.b, 0);
                if (e[0] > 0) ++covered;
            }
        }
    EXPECT_GT(covered, 50);
}

TEST_F(TextFontTest, MarkerIsNeverDrawnFromTheTextBuffer) {
    CTextFont font(display.get(), 22);
    std::string p = Utf8ToSjis("Ｐ"), q = Utf8ToSjis("Ｑ");
    ASSERT_EQ(p.size(), 2u);
    CSurface* viaBuffer = Plain(120, 30, 0);
    CSurface* pq = Plain(120, 30, 0);
    CSurface* withMarker = Plain(120, 30, 0);
    font.SetText(p + "/c" + q);
    font.DrawTextBuffer(*viaBuffer, 0, 0, 0xFFFFFF);
    font.DrawString(*pq, 0, 0, p + q, 0xFFFFFF);
    font.DrawString(*withMarker, 0, 0, p + "/c" + q, 0xFFFFFF);
    EXPECT_FALSE(Blank(*pq));
    EXPECT_TRUE(SamePixels(*viaBuffer, *pq));
    EXPECT_FALSE(SamePixels(*withMarker, *pq));
}

TEST_F(TextFontTest, AfterAHalfWidthCharacterTheMarkerIsNoLongerAPair) {
    CTextFont font(display.get(), 22);
    std::string text = "A/c" + Utf8ToSjis("Q");
    CSurface* viaBuffer = Plain(120, 30, 0);
    CSurface* whole = Plain(120, 30, 0);
    font.SetText(text);
    font.DrawTextBuffer(*viaBuffer, 0, 0, 0xFFFFFF);
    font.DrawString(*whole, 0, 0, text, 0xFFFFFF);
    EXPECT_TRUE(SamePixels(*viaBuffer, *whole));
}

TEST_F(TextFontTest, EmptyTextBufferDrawsNothing) {
    CScriptedFonts fonts;
    platform.SetFonts(&fonts);
    CTextFont font(display.get(), 22);
    CSurface* target = Plain(64, 32, 0);
    font.DrawTextBuffer(*target, 0, 0, 0xFFFFFF);
    EXPECT_TRUE(Blank(*target));
    EXPECT_EQ(fonts.renderedWidth, 0);
    font.SetText("/c/c");
    font.DrawTextBuffer(*target, 0, 0, 0xFFFFFF);
    EXPECT_TRUE(Blank(*target));
}

TEST_F(TextFontTest, WhiteTextInRedOnBlueBlendsTowardBlueAtTheEdges) {
    CTextFont font(display.get(), 22);
    CSurface* target = Plain(200, 40, 0xFF0000);  // blue
    font.DrawString(*target, 5, 5, Utf8ToSjis("赤い字"), 0x0000FF);
    int core = 0, edge = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 200; ++x) {
            CRgb p = PixelAt(*target, x, y);
            EXPECT_EQ(p.g, 0);
            // Each pixel lies between the two colours.
            EXPECT_NEAR(p.r + p.b, 255, 2) << x << "," << y;
            if (p.r >= 250) ++core;
            if (p.r > 40 && p.r < 215) ++edge;
            if (x < 5 || x >= 5 + 66 || y < 5 || y >= 5 + 22) {
                EXPECT_EQ(p.b, 255) << x << "," << y;
            }
        }
    EXPECT_GT(core, 30);
    EXPECT_GT(edge, 30);
}

TEST_F(TextFontTest, TextBufferKeepsAtMost1023Bytes) {
    CTextFont font(display.get(), 22);
    std::string longText;
    for (int i = 0; i < 1500; ++i) longText += Utf8ToSjis("字");
    font.SetText(longText);
    EXPECT_EQ(std::strlen(font.GetText()), 1022u);  // whole two-byte units only
    font.SetText(std::string(1500, 'a'));
    EXPECT_EQ(std::strlen(font.GetText()), 1023u);
    font.SetText("ab");
    EXPECT_STREQ(font.GetText(), "ab");
}

TEST_F(TextFontTest, DrawingOutsideTheTargetIsClipped) {
    CTextFont font(display.get(), 22);
    CSurface* target = Plain(30, 30, 0);
    for (auto [x, y] : {std::pair{-20, -10}, std::pair{25, 25}, std::pair{-1000, 0}, std::pair{0, 5000}})
        font.DrawString(*target, x, y, Utf8ToSjis("字字字"), 0xFFFFFF);
    font.DrawString(*target, -20, 0, Utf8ToSjis("字字"), 0xFFFFFF);
    EXPECT_FALSE(Blank(*target));
}

TEST_F(TextFontTest, NoFontEndsTheProgram) {
    CScriptedFonts fonts;
    fonts.fail = true;
    platform.SetFonts(&fonts);
    EXPECT_EXIT(
        {
            platform.SetLog(stderr);
            CTextFont font(display.get(), 22);
        },
        ::testing::ExitedWithCode(255), "フォントの取得に失敗しました");
}

}  // namespace

namespace {

TEST_F(TextFontTest, WithoutADisplayNothingIsDrawnAndTheMessageShows) {
    CTextFont font(nullptr, 22);
    CSurface* target = Plain(64, 32, 0);
    font.DrawString(*target, 0, 0, Utf8ToSjis("字"), 0xFFFFFF);
    EXPECT_TRUE(Blank(*target));
    ASSERT_EQ(platform.MessageBoxes().size(), 1u);
    EXPECT_EQ(platform.MessageBoxes()[0].text, "ウィンドウのデバイスコンテキストを取得できません");
    EXPECT_EQ(platform.MessageBoxes()[0].caption, "エラー");
}

}  // namespace
