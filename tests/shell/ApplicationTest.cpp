#include <algorithm>

#include "shell/Application.h"
#include "shell/Encoding.h"
#include "shell/InputRouter.h"
#include "support/AppHarness.h"

namespace fs = std::filesystem;

class ApplicationTest : public CAppTest {
  protected:
    bool switchPendingStill() const { return app->switchPending && app->CurrentSceneId() == 5; }
    bool Logged(const std::string& line) const {
        return std::find(CRecordingScene::log.begin(), CRecordingScene::log.end(), line) !=
               CRecordingScene::log.end();
    }
    void Post(uint32_t message, uint32_t wParam = 0, int32_t lParam = 0) {
        platform.Window().PostMessage(message, wParam, lParam);
    }
};

TEST_F(ApplicationTest, StartsWithTheLogoAndTheStartMenuState) {
    Start();
    EXPECT_EQ(app->CurrentSceneId(), kSceneLogo);
    EXPECT_TRUE(app->switchPending);
    EXPECT_EQ(app->CurrentScene(), nullptr);
    ASSERT_TRUE(Frames(1));
    EXPECT_TRUE(Logged("ctor 1"));
    ASSERT_NE(app->CurrentScene(), nullptr);
    EXPECT_EQ(app->InputRouter()->target, app->CurrentScene());
    // The menu reflects the start-up bytes after the first frame.
    const CHeadlessWindow& w = platform.Window();
    EXPECT_TRUE(w.MenuAttached());
    EXPECT_FALSE(w.MenuItemEnabled(40001));
    EXPECT_TRUE(w.MenuItemEnabled(40002));
    EXPECT_FALSE(w.MenuItemEnabled(40003));
    EXPECT_TRUE(w.MenuItemEnabled(40004));
    EXPECT_FALSE(w.MenuItemEnabled(40005));
    EXPECT_TRUE(w.MenuItemEnabled(40006));
    EXPECT_TRUE(w.MenuItemEnabled(40007));
}

TEST_F(ApplicationTest, CallSceneTwiceInOneFrameBuildsOnlyTheLast) {
    Start();
    Frames(1);
    CRecordingScene::log.clear();
    app->CallScene(2);
    app->CallScene(5);
    EXPECT_EQ(app->PreviousSceneId(), 2);
    EXPECT_EQ(app->InputRouter()->target, nullptr);
    Frames(1);
    EXPECT_FALSE(Logged("ctor 2"));
    EXPECT_TRUE(Logged("dtor 1"));
    EXPECT_TRUE(Logged("ctor 5"));
    EXPECT_EQ(app->CurrentSceneId(), 5);
    // The scene that was pending a switch got no frame.
    EXPECT_FALSE(Logged("idle 1"));
    app->ReturnToPreviousScene();
    EXPECT_EQ(app->CurrentSceneId(), 2);
    EXPECT_EQ(app->PreviousSceneId(), 5);
}

TEST_F(ApplicationTest, MainMenuFactorySetsTheMenuBytes) {
    Start();
    Frames(1);
    app->CallScene(kSceneMainMenu);
    Frames(1);
    const CHeadlessWindow& w = platform.Window();
    EXPECT_TRUE(w.MenuItemEnabled(40001));
    EXPECT_FALSE(w.MenuItemEnabled(40003));
    EXPECT_FALSE(w.MenuItemEnabled(40005));
    EXPECT_TRUE(w.MenuItemEnabled(40004));
}

TEST_F(ApplicationTest, SwitchWaitsWhileTheSaveOverlayIsOpen) {
    Start();
    Frames(1);
    app->OpenSave();
    ASSERT_TRUE(app->OverlayOpen(kOverlaySave));
    CScene* save = app->Overlay(kOverlaySave);
    EXPECT_EQ(app->InputRouter()->target, save);
    app->CallScene(5);
    Frames(3);
    EXPECT_EQ(app->CurrentScene()->App(), app.get());
    EXPECT_FALSE(Logged("ctor 5"));
    EXPECT_TRUE(switchPendingStill());
    app->CloseSave();
    EXPECT_FALSE(app->OverlayOpen(kOverlaySave));
    EXPECT_EQ(app->Overlay(kOverlaySave), save);  // deleted only at the start of the next frame
    Frames(1);
    EXPECT_EQ(app->Overlay(kOverlaySave), nullptr);
    EXPECT_TRUE(Logged("dtor 12"));
    EXPECT_TRUE(Logged("ctor 5"));
}

TEST_F(ApplicationTest, SetupOverSystemMenuResetsItAndGivesTheFocusBack) {
    Start();
    Frames(1);
    app->OpenSystemMenu();
    CScene* sys = app->Overlay(kOverlaySystemMenu);
    ASSERT_NE(sys, nullptr);
    app->OpenSetup();
    EXPECT_TRUE(Logged("reset 21"));
    EXPECT_EQ(app->InputRouter()->target, app->Overlay(kOverlaySetup));
    app->CloseSetup();
    EXPECT_EQ(app->InputRouter()->target, sys);
    // Closing the load screen closes the system menu under it as well.
    app->OpenLoad();
    app->CloseLoad();
    EXPECT_FALSE(app->OverlayOpen(kOverlaySystemMenu));
    EXPECT_EQ(app->InputRouter()->target, app->CurrentScene());
    // The system menu does not open over a large picture.
    Frames(1);
    app->pictureMode = true;
    app->OpenSystemMenu();
    EXPECT_FALSE(app->OverlayOpen(kOverlaySystemMenu));
}

TEST_F(ApplicationTest, EnterIsARightClickAtTheOrigin) {
    Start();
    Frames(1);
    CRecordingScene::log.clear();
    // No text showing: nothing hides, but the scene still sees the press.
    Post(wm::KeyDown, vk::Return);
    Frames(1);
    EXPECT_FALSE(app->textHidden);
    EXPECT_TRUE(Logged("rbd 0 0"));
    EXPECT_FALSE(Logged("key 13"));
    app->messageShowing = true;
    Post(wm::KeyDown, vk::Return);
    Frames(1);
    EXPECT_TRUE(app->textHidden);
    Post(wm::RButtonDown, 2, MakeLParam(300, 200));
    Frames(1);
    EXPECT_FALSE(app->textHidden);
    EXPECT_TRUE(Logged("rbd 300 200"));
    // Any left click or key shows the text again.
    Post(wm::RButtonDown, 2, MakeLParam(1, 1));
    Post(wm::KeyDown, 65);
    Frames(1);
    EXPECT_FALSE(app->textHidden);
    EXPECT_TRUE(Logged("key 65"));
}

TEST_F(ApplicationTest, HidingIsSuspendedWhileAnOverlayIsOpen) {
    Start();
    Frames(1);
    app->messageShowing = true;
    app->OpenSetup();
    Post(wm::RButtonDown, 2, MakeLParam(5, 5));
    Frames(1);
    EXPECT_FALSE(app->textHidden);
    EXPECT_TRUE(Logged("rbd 5 5"));  // the overlay got it
}

TEST_F(ApplicationTest, CtrlSkipsWhileHeld) {
    Start();
    Frames(1);
    // Without a message Ctrl does nothing.
    Post(wm::KeyDown, vk::Control);
    Frames(1);
    EXPECT_FALSE(app->skipMode);
    Post(wm::KeyUp, vk::Control);
    Frames(1);
    app->messageShowing = true;
    Post(wm::KeyDown, vk::Control);
    Frames(1);
    EXPECT_TRUE(app->skipMode);
    EXPECT_FALSE(app->effectsAllowed);
    EXPECT_TRUE(app->InputRouter()->ctrlHeld);
    // The wheel is ignored under Ctrl.
    CRecordingScene::log.clear();
    Post(wm::MouseWheel, 0xFF880000u);
    Frames(1);
    EXPECT_FALSE(Logged("wheel -1"));
    Post(wm::KeyUp, vk::Control);
    Frames(1);
    EXPECT_FALSE(app->skipMode);
    EXPECT_TRUE(app->effectsAllowed);
    Post(wm::MouseWheel, 0xFF880000u);
    Post(wm::MouseWheel, 0x00780000u);
    Frames(1);
    EXPECT_TRUE(Logged("wheel -1"));
    EXPECT_TRUE(Logged("wheel 1"));
}

TEST_F(ApplicationTest, SkipToTheNextChoiceSetsTheSkipCondition) {
    Start();
    Frames(1);
    Post(wm::Command, menu::kSkipToChoice);
    Frames(1);
    EXPECT_TRUE(app->skipMode);
    EXPECT_EQ(app->GetConfig().Get().skipCondition, 0);
    EXPECT_TRUE(Logged("cmd 40005"));
}

TEST_F(ApplicationTest, MenuCommandsOpenTheOverlaysOnce) {
    Start();
    Frames(1);
    Post(wm::Command, menu::kSave);
    Frames(1);
    CScene* save = app->Overlay(kOverlaySave);
    ASSERT_NE(save, nullptr);
    Post(wm::Command, menu::kSave);
    Frames(1);
    EXPECT_EQ(app->Overlay(kOverlaySave), save);
    Post(wm::Command, menu::kLoad);
    Post(wm::Command, menu::kSetup);
    Frames(1);
    EXPECT_TRUE(app->OverlayOpen(kOverlayLoad));
    EXPECT_TRUE(app->OverlayOpen(kOverlaySetup));
}

TEST_F(ApplicationTest, ReturnToTitleAsksAndGoesToTheTitleOnYes) {
    Start();
    Frames(1);
    platform.QueueAnswer(EMsgBoxResult::No);
    Post(wm::Command, menu::kReturnToTitle);
    Frames(1);
    ASSERT_EQ(platform.MessageBoxes().size(), 1u);
    EXPECT_EQ(platform.MessageBoxes()[0].text, "タイトルに戻ります。\nよろしいですか？");
    EXPECT_EQ(platform.MessageBoxes()[0].caption, "Tovel");
    EXPECT_EQ(platform.MessageBoxes()[0].buttons, EMsgBoxButtons::YesNo);
    EXPECT_EQ(app->CurrentSceneId(), 1);
    Post(wm::Command, menu::kReturnToTitle);
    Frames(1);
    EXPECT_TRUE(Logged("reset 1"));
    EXPECT_TRUE(Logged("ctor 2"));
    EXPECT_EQ(app->CurrentSceneId(), kSceneTitle);
    // Not while the setup overlay is open.
    app->OpenSetup();
    Post(wm::Command, menu::kReturnToTitle);
    Frames(1);
    EXPECT_EQ(platform.MessageBoxes().size(), 2u);
}

TEST_F(ApplicationTest, UnknownSceneIdLeavesNoSceneAndInputGoesNowhere) {
    Start();
    Frames(1);
    app->CallScene(4);
    Frames(1);
    EXPECT_EQ(app->CurrentScene(), nullptr);
    EXPECT_EQ(app->InputRouter()->target, nullptr);
    CRecordingScene::log.clear();
    Post(wm::LButtonDown, 1, MakeLParam(10, 10));
    EXPECT_TRUE(Frames(2));
    EXPECT_TRUE(CRecordingScene::log.empty());
}

TEST_F(ApplicationTest, ExitWritesTheSettingsAndTheGlobalData) {
    Start();
    Frames(2);
    app.reset();
    EXPECT_EQ(fs::file_size("sav/confing.sav"), 40u);
    EXPECT_EQ(fs::file_size("sav/global.sav"), 6000u);
}

TEST_F(ApplicationTest, CloseAsksAndF4EndsAtOnce) {
    Start();
    Frames(1);
    platform.QueueAnswer(EMsgBoxResult::Cancel);
    Post(wm::Close);
    EXPECT_TRUE(Frames(3));
    ASSERT_EQ(platform.MessageBoxes().size(), 1u);
    EXPECT_EQ(platform.MessageBoxes()[0].text, "ゲームを終了しますか？");
    EXPECT_EQ(platform.MessageBoxes()[0].caption, "Tovel");
    EXPECT_EQ(platform.MessageBoxes()[0].buttons, EMsgBoxButtons::OkCancel);
    EXPECT_EQ(platform.MessageBoxes()[0].icon, EMsgBoxIcon::Question);
    EXPECT_TRUE(platform.MessageBoxes()[0].owned);
    // "ゲーム終了" asks the same question.
    platform.QueueAnswer(EMsgBoxResult::Cancel);
    Post(wm::Command, menu::kQuit);
    EXPECT_TRUE(Frames(3));
    EXPECT_EQ(platform.MessageBoxes().size(), 2u);
    // Alt+F4 and F4 end without a question.
    Post(wm::SysKeyDown, vk::F4);
    EXPECT_FALSE(Frames(3));
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(platform.MessageBoxes().size(), 2u);
}

TEST_F(ApplicationTest, AboutBoxFromTheMenu) {
    Start();
    Frames(1);
    Post(wm::Command, menu::kAbout);
    Frames(1);
    ASSERT_EQ(platform.Window().AboutBoxes().size(), 1u);
    const CAboutBox& box = platform.Window().AboutBoxes()[0];
    EXPECT_EQ(SjisToUtf8(box.title), "バージョン情報");
    ASSERT_GE(box.lines.size(), 3u);
    EXPECT_EQ(SjisToUtf8(box.lines[0]), "Tovel　");
    EXPECT_EQ(box.lines[2], "Ver. 2.0.5 Release");
}
