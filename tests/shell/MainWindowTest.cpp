#include "media/Surface.h"
#include "shell/MainWindow.h"
#include "support/TestPlatform.h"

class MainWindowTest : public CPlatformTest {};

TEST_F(MainWindowTest, PresentsAreAtLeastSixteenMillisecondsApart) {
    CMainWindow window(CEntryArgs{}, true);
    window.Create();
    CHeadlessDisplay& d = platform.Display();
    platform.Clock().Set(1000);
    window.Present(0, 0, 800, 600);  // the first call only starts the timer
    EXPECT_EQ(d.PresentCount(), 0);
    platform.Clock().Advance(20);
    window.Present(0, 0, 800, 600);
    EXPECT_EQ(d.PresentCount(), 1);
    platform.Clock().Advance(10);
    window.Present(0, 0, 800, 600);  // 10 ms after the last: nothing
    EXPECT_EQ(d.PresentCount(), 1);
    platform.Clock().Advance(5);  // 15 ms after the last present: still nothing
    window.Present(0, 0, 800, 600);
    EXPECT_EQ(d.PresentCount(), 1);
    platform.Clock().Advance(1);
    window.Present(0, 0, 800, 600);
    EXPECT_EQ(d.PresentCount(), 2);
}

TEST_F(MainWindowTest, PresentCopiesTheBackBufferToTheScreen) {
    CMainWindow window(CEntryArgs{}, true);
    window.Create();
    window.GetBackBuffer()->Fill(10, 20, 5, 5, 0x0000FF);  // red as 0x00BBGGRR
    window.Present(0, 0, 800, 600);
    platform.Clock().Advance(16);
    window.Present(0, 0, 800, 600);
    EXPECT_EQ(platform.Display().ScreenPixel(12, 22), 0xFF0000u);
    EXPECT_EQ(platform.Display().ScreenPixel(9, 22), 0u);
}

TEST_F(MainWindowTest, LostPrimaryDisablesRendering) {
    CMainWindow window(CEntryArgs{}, true);
    window.Create();
    window.Present(0, 0, 800, 600);
    platform.Display().SetPrimaryLost(true);
    platform.Clock().Advance(16);
    window.Present(0, 0, 800, 600);
    EXPECT_FALSE(window.RenderEnabled());
    EXPECT_TRUE(window.SurfaceLost());
}

TEST_F(MainWindowTest, RegistrationFailureEndsTheProcess) {
    EXPECT_EXIT(
        {
            platform.Window().SetRegisterFails(true);
            CMainWindow window(CEntryArgs{}, true);
            window.Create();
        },
        ::testing::ExitedWithCode(255), "");
}

TEST_F(MainWindowTest, MenuThatCannotBeLoadedIsReportedAndTheWindowGoesOn) {
    platform.Window().SetMenuLoadFails(true);
    CMainWindow window(CEntryArgs{}, true);
    window.Create();
    ASSERT_EQ(platform.MessageBoxes().size(), 1u);
    EXPECT_EQ(platform.MessageBoxes()[0].text, "メニューの作成が失敗しました。");
    EXPECT_EQ(platform.MessageBoxes()[0].caption, "アプリケーションエラー");
    EXPECT_FALSE(window.HasMenu());
    EXPECT_NE(window.GetBackBuffer(), nullptr);
}

TEST_F(MainWindowTest, SoftwareDisplayFlagReachesTheDevice) {
    CMainWindow window(CEntryArgs{}, false);
    window.Create();
    EXPECT_FALSE(platform.Display().Hardware());
}

TEST_F(MainWindowTest, WheelDirectionFollowsTheSignOfTheMessage) {
    struct Probe : CMessageHandler {
        int last = 0;
        void OnMouseWheel(HWindow, int d) override { last = d; }
    } probe;
    CMainWindow window(CEntryArgs{}, true);
    window.Create();
    window.AttachRouter(&probe);
    window.DispatchMessage({wm::MouseWheel, 0xFF880000u, 0});
    EXPECT_EQ(probe.last, -1);
    window.DispatchMessage({wm::MouseWheel, 0x00780000u, 0});
    EXPECT_EQ(probe.last, 1);
    window.AttachRouter(nullptr);
}
