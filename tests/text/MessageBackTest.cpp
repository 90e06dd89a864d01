#include <gtest/gtest.h>

#include <memory>

#include "TextTestSupport.h"
#include "media/AlphaSurface.h"
#include "media/Display.h"
#include "media/Surface.h"
#include "support/TestPlatform.h"
#include "text/MessageBack.h"

namespace {

class MessageBackTest : public CPlatformTest {
  protected:
    void SetUp() override { UseDepth(32); }
    void TearDown() override { Destroy(); }
    void UseDepth(int depth) {
        Destroy();
        platform.SetDesktopDepth(depth);
        display = std::make_unique<CDisplay>(true);
        screen = display->CreateSurface(800, 600);
        back = std::make_unique<CMessageBack>(display.get());
    }
    void Destroy() {
        back.reset();
        if (display) display->ReleaseSurface(screen);
        screen = nullptr;
        display.reset();
    }
    // Every alpha byte of the part equals `alpha`.
    static bool UniformAlpha(CAlphaSurface& part, int alpha) {
        for (int y = 0; y < part.Height(); ++y)
            for (int x = 0; x < part.Width(); ++x) {
                const uint8_t* e = part.GetAlphaMap() + static_cast<size_t>(y) * part.AlphaPitch() +
                                   static_cast<size_t>(x) * part.AlphaStride();
                if (e[0] != alpha || e[1] != alpha || e[2] != alpha) return false;
            }
        return true;
    }

    std::unique_ptr<CDisplay> display;
    CSurface* screen = nullptr;
    std::unique_ptr<CMessageBack> back;
};

TEST_F(MessageBackTest, TransparencyGivesTheAlpha) {
    struct Case {
        int percent, alpha;
    } cases[] = {{0, 255}, {50, 128}, {100, 0}, {30, 179}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.percent);
        back->SetTransparency(c.percent);
        EXPECT_EQ(back->GetAlpha(), c.alpha);
        ASSERT_NE(back->GetBand(), nullptr);
        ASSERT_NE(back->GetBox(), nullptr);
        EXPECT_TRUE(UniformAlpha(*back->GetBand(), c.alpha));
        EXPECT_TRUE(UniformAlpha(*back->GetBox(), c.alpha));
    }
}

TEST_F(MessageBackTest, SixteenBitAlphaIsRoundedDownToEights) {
    UseDepth(16);
    back->SetTransparency(50);
    EXPECT_TRUE(UniformAlpha(*back->GetBox(), 128));
    back->SetTransparency(0);
    EXPECT_TRUE(UniformAlpha(*back->GetBox(), 248));
}

TEST_F(MessageBackTest, HiddenDrawsNothing) {
    back->SetTransparency(0);
    screen->Fill(0, 0, 800, 600, 0xFFFFFF);
    EXPECT_EQ(back->GetState(), CMessageBack::kHidden);
    EXPECT_EQ(back->Draw(*screen), 0);
    EXPECT_EQ(PixelAt(*screen, 400, 590).r, 255);
    EXPECT_EQ(PixelAt(*screen, 400, 5).r, 255);
}

TEST_F(MessageBackTest, BoxRisesFromTheBottomInTwentyNineSteps) {
    back->SetTransparency(0);
    back->Open();
    EXPECT_EQ(back->BoxDest().top, 600);
    EXPECT_EQ(back->BandSource().bottom, 0);
    EXPECT_EQ(back->Draw(*screen), 1);
    struct Step {
        uint32_t ms;
        int band, boxSrcTop, boxDestTop;
    } steps[] = {
        {10, 1, 139, 595}, {20, 3, 129, 585}, {70, 10, 94, 550}, {10, 11, 89, 545}, {170, 11, 4, 460}};
    for (const Step& s : steps) {
        platform.Clock().Advance(s.ms);
        EXPECT_EQ(back->Draw(*screen), 1);
        EXPECT_EQ(back->BandSource().bottom, s.band);
        EXPECT_EQ(back->BandDest().bottom, s.band);
        EXPECT_EQ(back->BoxSource().top, s.boxSrcTop);
        EXPECT_EQ(back->BoxDest().top, s.boxDestTop);
    }
    platform.Clock().Advance(9);
    EXPECT_EQ(back->Draw(*screen), 1);
    platform.Clock().Advance(1);  // the 29th step: 290 ms after opening
    EXPECT_EQ(back->Draw(*screen), 0);
    EXPECT_EQ(back->GetState(), CMessageBack::kOpen);
    EXPECT_EQ(back->BoxSource(), (CRect{0, 0, 800, 144}));
    EXPECT_EQ(back->BoxDest(), (CRect{0, 456, 800, 600}));
    EXPECT_EQ(back->BandSource(), (CRect{0, 0, 800, 11}));
    EXPECT_EQ(back->BandDest(), (CRect{0, 0, 800, 11}));
}

TEST_F(MessageBackTest, OpenBackingDarkensItsRows) {
    for (auto [percent, expected] : {std::pair{0, 1}, std::pair{50, 128}, std::pair{100, 255}}) {
        SCOPED_TRACE(percent);
        back->SetTransparency(percent);
        back->Open();
        platform.Clock().Advance(1000);
        screen->Fill(0, 0, 800, 600, 0xFFFFFF);
        EXPECT_EQ(back->Draw(*screen), 0);
        // White under black with alpha a: 255 - 255 * a / 256.
        for (int y : {0, 10, 456, 599}) EXPECT_NEAR(PixelAt(*screen, 400, y).r, expected, 1) << y;
        for (int y : {11, 455}) EXPECT_EQ(PixelAt(*screen, 400, y).r, 255) << y;
    }
}

TEST_F(MessageBackTest, DepthChangeKeepsStateAndTransparency) {
    back->SetTransparency(50);
    back->Open();
    platform.Clock().Advance(1000);
    back->Draw(*screen);
    platform.SetDesktopDepth(24);
    back->DepthChanged(24);
    EXPECT_EQ(back->GetBox()->Depth(), 24);
    EXPECT_EQ(back->GetState(), CMessageBack::kOpen);
    EXPECT_TRUE(UniformAlpha(*back->GetBox(), 128));
    EXPECT_TRUE(UniformAlpha(*back->GetBand(), 128));
}

}  // namespace
