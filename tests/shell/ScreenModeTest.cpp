#include <set>

#include "media/Surface.h"
#include "support/AppHarness.h"

class ScreenModeTest : public CAppTest {};

struct FallbackCase {
    int requested;
    std::set<int> available;  // full-screen depths the display offers
    bool windowed;
    int expected;
};

class ScreenModeFallback : public ScreenModeTest, public ::testing::WithParamInterface<FallbackCase> {};

TEST_P(ScreenModeFallback, EntersTheFirstModeOfTheChainThatWorks) {
    const FallbackCase& c = GetParam();
    Start();
    Frames(1);
    platform.Display().SetFullScreenModes(c.available);
    platform.Display().SetWindowedAvailable(c.windowed);
    uint32_t before = platform.Clock().Milliseconds();
    EXPECT_EQ(app->SetScreenMode(c.requested), c.expected);
    if (c.expected >= 0) {
        EXPECT_EQ(app->MainWindow()->ScreenMode(), c.expected);
        EXPECT_EQ(platform.Display().Mode(), c.expected);
        EXPECT_TRUE(app->frameEnabled);
        // The pause before the surfaces are rebuilt.
        EXPECT_EQ(platform.Clock().Milliseconds() - before, 350u);
        ASSERT_NE(app->MainWindow()->GetBackBuffer(), nullptr);
        int depth = c.expected == 0 ? 32 : c.expected;
        EXPECT_EQ(app->MainWindow()->GetBackBuffer()->Depth(), depth);
        EXPECT_EQ(app->ComposeSurface()->Depth(), depth);
        EXPECT_EQ(platform.Window().FullScreen(), c.expected != 0);
    } else {
        EXPECT_FALSE(app->frameEnabled);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Chains, ScreenModeFallback,
    ::testing::Values(FallbackCase{32, {16, 24, 32}, true, 32}, FallbackCase{32, {16, 24}, true, 24},
                      FallbackCase{32, {16}, true, 16}, FallbackCase{32, {}, true, 0},  // windowed only
                      FallbackCase{24, {16, 32}, true, 32}, FallbackCase{24, {16}, true, 16},
                      FallbackCase{16, {24, 32}, true, 24}, FallbackCase{0, {16, 24, 32}, true, 0},
                      FallbackCase{0, {16, 24, 32}, false, -1},
                      FallbackCase{32, {}, false, -1}));  // nothing at all

TEST_F(ScreenModeTest, FifteenIsEnteredWithoutTouchingTheDisplay) {
    Start();
    Frames(1);
    EXPECT_EQ(app->SetScreenMode(15), 15);
    EXPECT_EQ(app->MainWindow()->ScreenMode(), 15);
    EXPECT_EQ(platform.Display().Mode(), 0);
    EXPECT_TRUE(platform.Window().FullScreen());
    EXPECT_FALSE(platform.Window().MenuAttached());
    // The surfaces keep the display's own format.
    EXPECT_EQ(app->MainWindow()->GetBackBuffer()->Depth(), 32);
}

TEST_F(ScreenModeTest, ConfiguredModeIsAppliedAndTheEnteredModeWrittenBack) {
    TempDir();
    // The file asks for 24 bits on a display without 24-bit modes.
    std::string bytes(40, '\0');
    bytes[0] = 24;
    WriteFileBytes("sav/confing.sav", bytes);
    platform.Display().SetFullScreenModes({16, 32});
    Start();
    EXPECT_EQ(app->MainWindow()->ScreenMode(), 32);
    EXPECT_EQ(app->GetConfig().Get().screenMode, 32);
    app.reset();
    EXPECT_EQ(static_cast<uint8_t>(ReadFileBytes("sav/confing.sav")[0]), 32);
}

TEST_F(ScreenModeTest, NoModeAtStartKeepsTheWindowedModeInTheSettings) {
    TempDir();
    std::string bytes(40, '\0');
    bytes[0] = 32;
    WriteFileBytes("sav/confing.sav", bytes);
    platform.Display().SetFullScreenModes({});
    platform.Display().SetWindowedAvailable(false);
    Start();
    EXPECT_EQ(app->GetConfig().Get().screenMode, 0);
}

TEST_F(ScreenModeTest, SceneHearsOfTheNewDepth) {
    Start();
    Frames(1);
    CRecordingScene::log.clear();
    ASSERT_EQ(app->SetScreenMode(16), 16);
    ASSERT_EQ(CRecordingScene::log.size(), 1u);
    EXPECT_EQ(CRecordingScene::log[0], "mode 16");
    ASSERT_EQ(app->SetScreenMode(0), 0);
    EXPECT_EQ(CRecordingScene::log.back(), "mode 32");  // the desktop's depth
}

TEST_F(ScreenModeTest, LostDisplayComesBackWindowedOrEndsTheProgram) {
    Start();
    ASSERT_EQ(app->SetScreenMode(32), 32);
    Frames(3);
    platform.Display().SetPrimaryLost(true);
    // The present of this frame fails: rendering goes off and the loss is noted.
    platform.Clock().Advance(20);
    Frames(1);
    EXPECT_TRUE(app->MainWindow()->SurfaceLost());
    EXPECT_FALSE(app->MainWindow()->RenderEnabled());
    Frames(1);  // the next frame switches to windowed mode
    EXPECT_FALSE(app->MainWindow()->SurfaceLost());
    EXPECT_TRUE(app->MainWindow()->RenderEnabled());
    EXPECT_EQ(app->MainWindow()->ScreenMode(), 0);

    // When not even the window can be had, the program ends.
    platform.Display().SetWindowedAvailable(false);
    platform.Display().SetPrimaryLost(true);
    platform.Clock().Advance(20);
    bool running = true;
    for (int i = 0; i < 5 && running; ++i) running = Frames(1);
    EXPECT_FALSE(running);
    EXPECT_EQ(exitCode, 0);
}

TEST_F(ScreenModeTest, MenuStripInFullScreen) {
    Start();
    ASSERT_EQ(app->SetScreenMode(32), 32);
    Frames(1);
    EXPECT_FALSE(platform.Window().MenuAttached());
    int bar = platform.Window().MenuBarHeight();
    platform.Window().PostMessage(wm::MouseMove, 0, MakeLParam(571, 0));
    Frames(1);
    EXPECT_FALSE(platform.Window().MenuAttached());
    platform.Window().PostMessage(wm::MouseMove, 0, MakeLParam(570, bar));
    Frames(1);
    EXPECT_TRUE(platform.Window().MenuAttached());
    // The fresh menu takes the enable bytes at once.
    EXPECT_TRUE(platform.Window().MenuItemEnabled(40002));
    EXPECT_FALSE(platform.Window().MenuItemEnabled(40003));
    // The next move inside the client area removes it, even inside the strip.
    platform.Window().PostMessage(wm::MouseMove, 0, MakeLParam(100, 5));
    Frames(1);
    EXPECT_FALSE(platform.Window().MenuAttached());
    platform.Window().PostMessage(wm::MouseMove, 0, MakeLParam(0, bar + 1));
    Frames(1);
    EXPECT_FALSE(platform.Window().MenuAttached());
    // Windowed, the menu stays whatever the pointer does.
    ASSERT_EQ(app->SetScreenMode(0), 0);
    EXPECT_TRUE(platform.Window().MenuAttached());
    platform.Window().PostMessage(wm::MouseMove, 0, MakeLParam(700, 300));
    Frames(1);
    EXPECT_TRUE(platform.Window().MenuAttached());
}
