#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "TextTestSupport.h"
#include "media/AlphaSurface.h"
#include "media/Display.h"
#include "media/Surface.h"
#include "shell/Encoding.h"
#include "support/TestPlatform.h"
#include "text/MessageWindow.h"
#include "text/TextLayout.h"

namespace {

constexpr int kMarkFrameWidth = 10;
// Colours (0x00BBGGRR) of the six frames of the test's mark picture.
const uint32_t kMarkColours[6] = {0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF, 0xFF00FF, 0xFFFF00};

// A 24-bit bitmap of six frames, each filled with its colour, and its alp file (all opaque).
void WriteMarkPicture() {
    const int w = 6 * kMarkFrameWidth, h = 8, rowBytes = w * 3;
    std::string bmp(54 + rowBytes * h, '\0');
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) bmp[at + i] = static_cast<char>(v >> (8 * i));
    };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(2, static_cast<uint32_t>(bmp.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, w);
    put32(22, h);
    bmp[26] = 1;
    bmp[28] = 24;
    put32(34, rowBytes * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint32_t c = kMarkColours[x / kMarkFrameWidth];
            size_t p = 54 + static_cast<size_t>(y) * rowBytes + x * 3;
            bmp[p] = static_cast<char>(c >> 16);     // blue
            bmp[p + 1] = static_cast<char>(c >> 8);  // green
            bmp[p + 2] = static_cast<char>(c);       // red
        }
    std::filesystem::create_directories("interface/conversation");
    WriteFileBytes("interface/conversation/mark.bmp", bmp);
    WriteFileBytes("interface/conversation/mark.alp", std::string(static_cast<size_t>(w) * h, '\xFF'));
}

// Characters with ink in every cell.
std::string Inked(int from, int n) {
    static const char* all = "あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめも";
    std::string s;
    for (int i = 0; i < n; ++i) {
        int k = (from + i) % 35;
        s += std::string(all + 3 * k, 3);
    }
    return Utf8ToSjis(s);
}

class TextWindowTest : public CPlatformTest {
  protected:
    void SetUp() override {
        TempDir();
        WriteMarkPicture();
        UseDepth(32);
    }
    void TearDown() override { Destroy(); }
    void UseDepth(int depth) {
        Destroy();
        platform.SetDesktopDepth(depth);
        display = std::make_unique<CDisplay>(true);
        screen = display->CreateSurface(800, 600);
        window = std::make_unique<CMessageWindow>(display.get(), depth);
    }
    void Destroy() {
        window.reset();
        help.reset();
        if (display) display->ReleaseSurface(screen);
        screen = nullptr;
        display.reset();
    }
    void ClearScreen(uint32_t colour = 0) { screen->Fill(0, 0, 800, 600, colour); }
    // Update on a black screen.
    int Frame(CTextWindow& w, uint32_t advanceMs) {
        platform.Clock().Advance(advanceMs);
        ClearScreen();
        return w.Update(*screen);
    }
    bool Ink(int x, int y) {
        CRgb p = PixelAt(*screen, x, y);
        return p.r > 40 || p.g > 40 || p.b > 40;
    }
    bool CellInked(int left, int top, int width, int height) {
        for (int y = top; y < top + height; ++y)
            for (int x = left; x < left + width; ++x)
                if (Ink(x, y)) return true;
        return false;
    }
    // Cells of text row k with ink, counted from the first while each has some.
    int InkedCells(int k, int textLeft = 60, int size = 22) {
        int n = 0;
        while (n < 30 && CellInked(textLeft + n * size, 490 + 34 * k, size, 34)) ++n;
        return n;
    }
    bool AnyInk(int left, int top, int right, int bottom) {
        return CellInked(left, top, right - left, bottom - top);
    }

    std::unique_ptr<CDisplay> display;
    CSurface* screen = nullptr;
    std::unique_ptr<CMessageWindow> window;
    std::unique_ptr<CHelpWindow> help;
};

const std::string kN = "/n";

TEST_F(TextWindowTest, FourLineMessageTurnsToASecondPage) {
    window->SetInterval(12);
    std::string text = Inked(0, 5) + kN + Inked(5, 6) + kN + Inked(11, 7) + kN + Inked(20, 4);
    EXPECT_EQ(window->SetMessage("", text), 4);
    // Each unit and each line end takes one interval: 6 + 7 + 8 steps for the first page.
    for (int i = 1; i < 21; ++i) ASSERT_EQ(Frame(*window, 12), 0) << i;
    EXPECT_EQ(Frame(*window, 12), 2);
    EXPECT_EQ(InkedCells(0), 5);
    EXPECT_EQ(InkedCells(1), 6);
    EXPECT_EQ(InkedCells(2), 7);
    EXPECT_EQ(Frame(*window, 12), 2);  // the complete page stays
    window->Click();
    EXPECT_EQ(window->GetPageStart(), 3);
    for (int i = 1; i < 5; ++i) ASSERT_EQ(Frame(*window, 12), 0) << i;
    EXPECT_EQ(Frame(*window, 12), 3);
    EXPECT_EQ(InkedCells(0), 4);
    EXPECT_EQ(InkedCells(1), 0);
    EXPECT_FALSE(AnyInk(0, 524, 800, 600));
}

TEST_F(TextWindowTest, LateFrameCatchesUp) {
    window->SetInterval(12);
    window->SetMessage("", Inked(0, 20));
    EXPECT_EQ(Frame(*window, 11), 0);
    EXPECT_EQ(window->GetUnit(), 0);
    EXPECT_EQ(InkedCells(0), 0);
    EXPECT_EQ(Frame(*window, 29), 0);  // 40 ms since the message began
    EXPECT_EQ(window->GetUnit(), 3);
    EXPECT_EQ(InkedCells(0), 3);
    EXPECT_EQ(Frame(*window, 12), 0);
    EXPECT_EQ(InkedCells(0), 4);
}

TEST_F(TextWindowTest, IntervalZeroShowsThePageInTheFirstFrame) {
    window->SetInterval(0);
    window->SetMessage(Utf8ToSjis("なまえ"), Inked(0, 5) + kN + Inked(5, 6) + kN + Inked(11, 7));
    EXPECT_EQ(Frame(*window, 0), 3);
    EXPECT_EQ(InkedCells(0), 5);
    EXPECT_EQ(InkedCells(1), 6);
    EXPECT_EQ(InkedCells(2), 7);
    EXPECT_TRUE(AnyInk(30, 465, 30 + 66, 490));  // the name
}

TEST_F(TextWindowTest, ClickWhileTypingCompletesThePage) {
    for (int lines : {3, 4}) {
        SCOPED_TRACE(lines);
        window->SetInterval(33);
        std::string text = Inked(0, 5);
        for (int i = 1; i < lines; ++i) text += kN + Inked(i * 5, 5);
        window->SetMessage("", text);
        EXPECT_EQ(Frame(*window, 33), 0);
        EXPECT_EQ(InkedCells(0), 1);
        window->Click();
        EXPECT_EQ(Frame(*window, 0), lines == 3 ? 3 : 2);
        EXPECT_EQ(InkedCells(0), 5);
        EXPECT_EQ(InkedCells(2), 5);
    }
}

TEST_F(TextWindowTest, MarkerStopsTypingUntilTheClick) {
    window->SetInterval(12);
    window->SetMessage("", Inked(0, 10) + "/c" + Inked(10, 5));
    EXPECT_EQ(window->GetClass(0, 10), CTextWindow::kMarker);
    EXPECT_EQ(Frame(*window, 12 * 30), 1);
    EXPECT_EQ(window->GetUnit(), 10);
    EXPECT_EQ(InkedCells(0), 10);
    EXPECT_EQ(Frame(*window, 100), 1);  // waiting stays
    EXPECT_EQ(InkedCells(0), 10);
    window->Click();
    EXPECT_EQ(Frame(*window, 0), 0);
    EXPECT_EQ(InkedCells(0), 11);  // the marker is not drawn: the 11th character shows
    EXPECT_EQ(Frame(*window, 12 * 30), 3);
    EXPECT_EQ(InkedCells(0), 15);
}

TEST_F(TextWindowTest, EmptyNameShowsTextAndEmptyStrip) {
    window->SetInterval(0);
    window->SetMessage("", Inked(0, 3));
    EXPECT_EQ(Frame(*window, 0), 3);
    EXPECT_EQ(InkedCells(0), 3);
    EXPECT_FALSE(AnyInk(0, 465, 800, 490));
}

TEST_F(TextWindowTest, BothEmptyShowNothing) {
    window->SetInterval(0);
    window->SetMessage(Utf8ToSjis("なまえ"), Inked(0, 3));
    Frame(*window, 0);
    ASSERT_TRUE(AnyInk(0, 465, 800, 600));
    EXPECT_EQ(window->SetMessage("", ""), 0);
    EXPECT_FALSE(window->HasMessage());
    Frame(*window, 0);
    EXPECT_FALSE(AnyInk(0, 0, 800, 600));
    window->Click();
    window->DrawMark(*screen);
    EXPECT_FALSE(AnyInk(0, 0, 800, 600));
}

TEST_F(TextWindowTest, ClickOnTheLastCompletePageKeepsIt) {
    window->SetMessage("", Inked(0, 4));
    window->Click();
    EXPECT_EQ(Frame(*window, 0), 3);
    window->Click();
    EXPECT_EQ(Frame(*window, 0), 3);
    EXPECT_EQ(InkedCells(0), 4);
}

TEST_F(TextWindowTest, RubyStandsCentredOverItsBase) {
    for (bool rubyOn : {true, false}) {
        SCOPED_TRACE(rubyOn);
        window->SetRubyDisplay(rubyOn);
        window->SetMessage("", Inked(0, 2) + "<r2>" + Inked(10, 3) + "</r>");
        CAlphaSurface* layer = window->GetTextLayer();
        ASSERT_NE(layer, nullptr);
        // Centre 60 + 0 + 22 * 2 / 2 = 82; three ruby characters of 10 pixels start at 82 - 15.
        bool inside = false, outside = false;
        for (int y = 25; y < 36; ++y)
            for (int x = 0; x < 800; ++x) {
                const uint8_t* e =
                    layer->GetAlphaMap() + static_cast<size_t>(y) * layer->AlphaPitch() + x * 4;
                if (e[0] == 0) continue;
                (x >= 67 && x < 97 ? inside : outside) = true;
            }
        EXPECT_EQ(inside, rubyOn);
        EXPECT_FALSE(outside);
        EXPECT_EQ(window->GetLayout().GetLine(0), Inked(0, 2));
    }
}

TEST_F(TextWindowTest, LinksAreDrawnRed) {
    window->SetInterval(0);
    window->SetMessage("", Inked(0, 2) + "<jump0007>" + Inked(2, 2) + "</end>" + Inked(4, 2));
    ASSERT_EQ(window->GetLayout().GetLinkCount(), 1);
    CAlphaSurface* layer = window->GetTextLayer();
    // The highlight rectangle: x 60 + 2 * 22 .. + 2 * 22, rows 25 .. 58 of the layer.
    for (auto [x, y] : {std::pair{104, 25}, std::pair{147, 58}, std::pair{120, 40}}) {
        CRgb p = PixelAt(*layer, x, y);
        EXPECT_EQ(p.r, 255);
        EXPECT_EQ(p.g + p.b, 0);
    }
    EXPECT_EQ(PixelAt(*layer, 103, 40).g, 255);
    EXPECT_EQ(PixelAt(*layer, 148, 40).g, 255);
    Frame(*window, 0);
    int red = 0, white = 0;
    for (int y = 490; y < 524; ++y)
        for (int x = 60; x < 60 + 6 * 22; ++x) {
            CRgb p = PixelAt(*screen, x, y);
            if (p.r < 100) continue;
            bool link = x >= 104 && x < 148;
            if (link) {
                EXPECT_EQ(p.g + p.b, 0) << x << "," << y;
                ++red;
            } else {
                EXPECT_GT(p.g, 100) << x << "," << y;
                ++white;
            }
        }
    EXPECT_GT(red, 20);
    EXPECT_GT(white, 20);
}

TEST_F(TextWindowTest, TextColourAndSizeApplyToTheNextMessage) {
    window->SetInterval(0);
    window->SetTextColor(0x00FFFF);  // yellow
    window->SetTextSize(30);
    window->SetMessage("", Inked(0, 3));
    Frame(*window, 0);
    EXPECT_EQ(InkedCells(0, 60, 30), 3);
    bool yellow = false;
    for (int y = 490; y < 524; ++y)
        for (int x = 60; x < 150; ++x) {
            CRgb p = PixelAt(*screen, x, y);
            EXPECT_EQ(p.b, 0);
            if (p.r > 200 && p.g > 200) yellow = true;
        }
    EXPECT_TRUE(yellow);
}

TEST_F(TextWindowTest, LongLinesTypeToTheirEnd) {
    // The 27th unit carries a ruby and "「" pulls its follower: a line of 29 units.
    std::string text =
        Inked(0, 26) + Inked(26, 1) + "<r1>" + Inked(30, 1) + "</r>" + Utf8ToSjis("「") + Inked(27, 3);
    window->SetMessage("", text);
    ASSERT_EQ(window->GetLayout().GetLineCount(), 2);
    ASSERT_EQ(std::string(window->GetLayout().GetLine(0)).size(), 58u);
    EXPECT_EQ(window->GetClass(0, 28), CTextWindow::kCharacter);
    EXPECT_EQ(window->GetClass(0, 29), CTextWindow::kEndOfLine);
    EXPECT_EQ(Frame(*window, 0), 3);
    EXPECT_EQ(InkedCells(1), 2);
}

TEST_F(TextWindowTest, MarkCyclesSixFramesInSixTenthsOfASecond) {
    window->SetMessage("", Inked(0, 3));
    ASSERT_NE(window->GetMarkImage(), nullptr);
    auto frameShown = [&] {
        CRgb p = PixelAt(*screen, 678 + kMarkFrameWidth / 2, 560);
        for (int f = 0; f < 6; ++f) {
            uint32_t c = kMarkColours[f];
            if (std::abs(p.r - static_cast<int>(c & 0xFF)) < 3 &&
                std::abs(p.g - static_cast<int>((c >> 8) & 0xFF)) < 3 &&
                std::abs(p.b - static_cast<int>(c >> 16)) < 3)
                return f;
        }
        return -1;
    };
    ClearScreen();
    window->DrawMark(*screen);
    EXPECT_EQ(frameShown(), 0);
    platform.Clock().Advance(99);
    window->DrawMark(*screen);
    EXPECT_EQ(frameShown(), 0);           // more than 99 ms are needed
    window->SetMessage("", Inked(0, 3));  // the mark's timer starts again with the message
    for (int step = 1; step <= 6; ++step) {
        platform.Clock().Advance(100);
        ClearScreen();
        window->DrawMark(*screen);
        EXPECT_EQ(window->GetMarkFrame(), step % 6) << step;
        EXPECT_EQ(frameShown(), step % 6);
    }
    // Only one frame's width is drawn.
    EXPECT_FALSE(AnyInk(678 + kMarkFrameWidth, 558, 800, 600));
}

TEST_F(TextWindowTest, DepthChangeRendersThePageAgain) {
    window->SetInterval(0);
    window->SetMessage("", Inked(0, 5) + kN + Inked(5, 5) + kN + Inked(10, 5) + kN + Inked(15, 4));
    Frame(*window, 0);
    window->Click();
    platform.SetDesktopDepth(16);
    display->ReleaseSurface(screen);
    screen = display->CreateSurface(800, 600);
    window->DepthChanged(16);
    ASSERT_EQ(window->GetTextLayer()->Depth(), 16);
    ASSERT_EQ(window->GetMarkImage()->Depth(), 16);
    screen->Fill(0, 0, 800, 600, 0);
    EXPECT_EQ(window->Update(*screen), 3);
    // The shown page is the second: one row of four characters.
    int inked = 0;
    for (int x = 60; x < 60 + 6 * 22; x += 22) {
        bool any = false;
        for (int y = 490; y < 524 && !any; ++y)
            for (int dx = 0; dx < 22 && !any; ++dx) {
                uint16_t v;
                std::memcpy(&v, screen->Row(y) + (x + dx) * 2, 2);
                any = v != 0;
            }
        inked += any;
    }
    EXPECT_EQ(inked, 4);
}

TEST_F(TextWindowTest, HelpWindowIsWhiteAtOnceWithItsOwnGeometry) {
    help = std::make_unique<CHelpWindow>(display.get(), 32);
    help->Show(Utf8ToSjis("なまえ"), Inked(0, 4));
    EXPECT_EQ(Frame(*help, 0), 3);
    EXPECT_EQ(InkedCells(0, 30), 4);
    EXPECT_FALSE(AnyInk(0, 490, 30, 600));
    EXPECT_TRUE(AnyInk(30, 467, 96, 490));  // the name strip
    EXPECT_FALSE(AnyInk(0, 0, 800, 467));
    for (int y = 490; y < 524; ++y)
        for (int x = 30; x < 30 + 88; ++x) {
            CRgb p = PixelAt(*screen, x, y);
            EXPECT_NEAR(p.r, p.g, 2);
            EXPECT_NEAR(p.g, p.b, 2);
        }
}

TEST_F(TextWindowTest, HelpWindowTypesNothingWithoutTheClick) {
    help = std::make_unique<CHelpWindow>(display.get(), 32);
    help->SetMessage("", Inked(0, 4));
    EXPECT_EQ(help->GetInterval(), 0);
    EXPECT_EQ(Frame(*help, 0), 3);  // interval 0: the page in one frame
    EXPECT_EQ(InkedCells(0, 30), 4);
}

}  // namespace

namespace {

TEST_F(TextWindowTest, MissingMarkPictureDrawsNoMark) {
    std::filesystem::remove_all("interface");
    CMessageWindow bare(display.get(), 32);
    EXPECT_EQ(bare.GetMarkImage(), nullptr);
    bare.SetMessage("", Inked(0, 3));
    ClearScreen();
    bare.DrawMark(*screen);
    EXPECT_FALSE(AnyInk(0, 0, 800, 600));
}

TEST_F(TextWindowTest, OverlongNameAndTextAreCut) {
    window->SetInterval(0);
    std::string longText;
    for (int i = 0; i < 30; ++i) longText += Inked(i, 26) + kN;  // lines of 54 bytes
    longText += longText;                                        // 3240 bytes: past 2047
    std::string longName(3000, 'a');
    int lines = window->SetMessage(longName, longText);
    // 2047 bytes hold 37 lines and 24 whole characters of the 38th; no character is cut in half.
    EXPECT_EQ(lines, 38);
    EXPECT_EQ(std::string(window->GetLayout().GetLine(35)), Inked(5, 26));
    EXPECT_EQ(std::string(window->GetLayout().GetLine(37)), Inked(7, 24));
    EXPECT_EQ(Frame(*window, 0), 2);
}

}  // namespace

namespace {

TEST_F(TextWindowTest, MarkTimerStartsWhenThePageCompletes) {
    window->SetInterval(12);
    window->SetMessage("", Inked(0, 3));
    EXPECT_EQ(Frame(*window, 90), 3);  // the page completes at 90 ms
    platform.Clock().Advance(60);
    window->DrawMark(*screen);
    EXPECT_EQ(window->GetMarkFrame(), 0);
    platform.Clock().Advance(40);
    window->DrawMark(*screen);
    EXPECT_EQ(window->GetMarkFrame(), 1);
}

}  // namespace
