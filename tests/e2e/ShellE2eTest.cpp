// tovel-play on an empty game folder: the shell alone.
#include <gtest/gtest.h>

#include "platform/InstanceLock.h"
#include "support/PlayRun.h"
#include "support/TestPlatform.h"

namespace fs = std::filesystem;

TEST(ShellE2e, CloseWithOkEndsTheGameAndLeavesTheSaveFiles) {
    CTempDir dir;
    CPlayResult r = RunTovelPlay(dir.Path(), "100 close\n100 answer ok\n");
    EXPECT_EQ(r.exitCode, 0) << r.stderrText;
    auto boxes = r.Events("msgbox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(CPlayResult::StrField(boxes[0], "text"), "ゲームを終了しますか？");
    EXPECT_EQ(CPlayResult::StrField(boxes[0], "caption"), "Tovel");
    EXPECT_EQ(CPlayResult::StrField(boxes[0], "answer"), "ok");
    auto scenes = r.Events("scene");
    ASSERT_FALSE(scenes.empty());
    EXPECT_EQ(CPlayResult::IntField(scenes[0], "id"), 1);
    auto exits = r.Events("exit");
    ASSERT_EQ(exits.size(), 1u);
    EXPECT_EQ(CPlayResult::IntField(exits[0], "code"), 0);
    EXPECT_EQ(fs::file_size(dir.Path() / "sav/confing.sav"), 40u);
    EXPECT_EQ(fs::file_size(dir.Path() / "sav/global.sav"), 6000u);
}

TEST(ShellE2e, CancelKeepsTheGameRunningUntilTheEndOfTheInput) {
    CTempDir dir;
    CPlayResult r = RunTovelPlay(dir.Path(), "100 answer cancel\n100 close\n", {"--until-ms", "500"});
    EXPECT_EQ(r.exitCode, 0);
    auto boxes = r.Events("msgbox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(CPlayResult::StrField(boxes[0], "answer"), "cancel");
    auto exits = r.Events("exit");
    ASSERT_EQ(exits.size(), 1u);
    EXPECT_GE(CPlayResult::IntField(exits[0], "t"), 500);
}

TEST(ShellE2e, LowColourDesktopShowsTheMessageAndWritesNothing) {
    CTempDir dir;
    CPlayResult r = RunTovelPlay(dir.Path(), "", {"--depth", "8"});
    EXPECT_EQ(r.exitCode, 0);
    auto boxes = r.Events("msgbox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(CPlayResult::StrField(boxes[0], "text"), "ハイカラー（65536色以上）でプレイしてください");
    EXPECT_EQ(CPlayResult::StrField(boxes[0], "caption"), "Tovel");
    EXPECT_TRUE(r.Events("scene").empty());
    EXPECT_FALSE(fs::exists(dir.Path() / "sav"));
}

TEST(ShellE2e, F4EndsWithoutTheQuestionAndShotsArePictures) {
    CTempDir dir;
    CPlayResult r = RunTovelPlay(dir.Path(), "50 shot shot.png\n100 syskey 115\n");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.Events("msgbox").empty());
    auto exits = r.Events("exit");
    ASSERT_EQ(exits.size(), 1u);
    EXPECT_LT(CPlayResult::IntField(exits[0], "t"), 200);
    auto shots = r.Events("shot");
    ASSERT_EQ(shots.size(), 1u);
    EXPECT_EQ(CPlayResult::IntField(shots[0], "ok"), 1);
    std::string png = ReadFileBytes(dir.Path() / "shot.png");
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
}

TEST(ShellE2e, BadInputIsRefusedWithTheLine) {
    CTempDir dir;
    CPlayResult r = RunTovelPlay(dir.Path(), "100 move 1\n");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.stderrText.find("line 1"), std::string::npos) << r.stderrText;
    CPlayResult r2 = RunTovelPlay(dir.Path(), "abc close\n");
    EXPECT_EQ(r2.exitCode, 2);
    CPlayResult r3 = RunTovelPlay(dir.Path(), "10 dance\n");
    EXPECT_EQ(r3.exitCode, 2);
    EXPECT_NE(r3.stderrText.find("dance"), std::string::npos);
}

TEST(ShellE2e, SecondInstanceInTheSameFolderEndsSilently) {
    CTempDir dir;
    // This process holds the lock a first copy of the game in that folder would hold.
    int held = AcquireInstanceLockFile(dir.Path().string(), "Tovel");
    ASSERT_GE(held, 0);
    CPlayResult r = RunTovelPlay(dir.Path(), "100 close\n");
    ReleaseInstanceLock(held);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.Events("msgbox").empty());
    EXPECT_TRUE(r.Events("scene").empty());
    EXPECT_FALSE(fs::exists(dir.Path() / "sav"));
    // Once the lock is free the game runs.
    CPlayResult again = RunTovelPlay(dir.Path(), "100 syskey 115\n");
    EXPECT_FALSE(again.Events("scene").empty());
}
