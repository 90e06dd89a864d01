#include "platform/InstanceLock.h"
#include "shell/Entry.h"
#include "support/AppHarness.h"

namespace fs = std::filesystem;

class EntryTest : public CAppTest {
  protected:
    void QuitAt(uint32_t t) {
        CScriptedInput in;
        in.time = t;
        in.kind = CScriptedInput::EKind::Action;
        in.action = [this] { platform.Window().PostQuitMessage(0); };
        platform.Window().Script(std::move(in));
    }
};

TEST_F(EntryTest, SecondInstanceEndsSilently) {
    std::string folder = TempDir().string();
    platform.SetLockFolder(folder);
    int held = AcquireInstanceLockFile(folder, "Tovel");
    ASSERT_GE(held, 0);
    QuitAt(100);
    EXPECT_EQ(GameMain(CEntryArgs{}), 0);
    EXPECT_TRUE(platform.MessageBoxes().empty());
    EXPECT_FALSE(platform.Window().Created());
    EXPECT_FALSE(fs::exists("sav"));
    ReleaseInstanceLock(held);
}

TEST_F(EntryTest, LowColourDesktopIsRefused) {
    platform.SetDesktopDepth(8);
    QuitAt(100);
    EXPECT_EQ(GameMain(CEntryArgs{}), 0);
    ASSERT_EQ(platform.MessageBoxes().size(), 1u);
    EXPECT_EQ(platform.MessageBoxes()[0].text, "ハイカラー（65536色以上）でプレイしてください");
    EXPECT_EQ(platform.MessageBoxes()[0].caption, "Tovel");
    EXPECT_EQ(platform.MessageBoxes()[0].buttons, EMsgBoxButtons::Ok);
    EXPECT_FALSE(platform.Window().Created());
    EXPECT_FALSE(fs::exists("sav"));
}

TEST_F(EntryTest, SixteenBitDesktopsRun) {
    for (int depth : {15, 16, 24, 32}) {
        CHeadlessPlatform p;
        p.SetLog(nullptr);
        p.SetLockFolder(TempDir().string());
        p.SetDesktopDepth(depth);
        CSystem::Install(&p);
        CScriptedInput in;
        in.time = 50;
        in.kind = CScriptedInput::EKind::Action;
        in.action = [&p] { p.Window().PostQuitMessage(7); };
        p.Window().Script(std::move(in));
        EXPECT_EQ(GameMain(CEntryArgs{}), 7) << depth;
        EXPECT_TRUE(p.MessageBoxes().empty()) << depth;
        EXPECT_TRUE(p.Window().Created());
        CSystem::Install(&platform);
    }
}
