#include <cstring>

#include "save/GlobalData.h"
#include "support/TestPlatform.h"

namespace fs = std::filesystem;

class GlobalDataTest : public CPlatformTest {};

TEST_F(GlobalDataTest, FreshRecordHoldsTheCalendarAndNothingElse) {
    GlobalData g;
    // Day 1, hour 8 is "0008".
    EXPECT_EQ(g.Variable(0), 0);
    EXPECT_EQ(g.Variable(1), 0);
    EXPECT_EQ(g.Variable(2), 0);
    EXPECT_EQ(g.Variable(3), 8);
    // Every afternoon cell (hours 13-16: indices 4-7) of every day holds plate 8 for every heroine.
    for (int day = 1; day <= 14; ++day)
        for (int s = 4; s <= 7; ++s)
            for (int k = 0; k < 4; ++k)
                EXPECT_EQ(g.Variable((day - 1) * 48 + s * 4 + k), 8) << day << " " << s;
    // Day 14, hour 21 is "8888"; day 12, hour 19 is "0888".
    for (int k = 0; k < 4; ++k) EXPECT_EQ(g.Variable(13 * 48 + 11 * 4 + k), 8);
    EXPECT_EQ(g.Variable(11 * 48 + 9 * 4 + 0), 0);
    EXPECT_EQ(g.Variable(11 * 48 + 9 * 4 + 1), 8);
    // Only the 672 calendar words hold anything.
    for (int i = 0; i < 2000; ++i) EXPECT_EQ(g.Flag(i), 0);
    for (int v = 672; v < 1000; ++v) EXPECT_EQ(g.Variable(v), 0);
    // Each calendar cell holds 0 or 8.
    for (int v = 0; v < 672; ++v) EXPECT_TRUE(g.Variable(v) == 0 || g.Variable(v) == 8);
}

TEST_F(GlobalDataTest, SixThousandBytesRoundTrip) {
    TempDir();
    GlobalData g;
    g.LoadGlobalData();  // no file: fresh
    g.SetFlag(0, 1);
    g.SetFlag(1999, 1);
    g.SetVariable(900, 2);
    g.SetVariable(999, -123456);
    ASSERT_TRUE(g.SaveGlobalData());
    std::string bytes = ReadFileBytes("sav/global.sav");
    ASSERT_EQ(bytes.size(), 6000u);
    EXPECT_EQ(std::memcmp(bytes.data(), g.Bytes(), 6000), 0);
    int32_t v999;
    std::memcpy(&v999, bytes.data() + 2000 + 4 * 999, 4);
    EXPECT_EQ(v999, -123456);
    EXPECT_EQ(g.Word(500 + 900), 2);

    GlobalData h;
    h.SetFlag(5, 1);
    h.LoadGlobalData();
    EXPECT_EQ(std::memcmp(h.Bytes(), g.Bytes(), 6000), 0);
}

TEST_F(GlobalDataTest, ShortFileReplacesOnlyTheStartOfAFreshRecord) {
    TempDir();
    WriteFileBytes("sav/global.sav", std::string(10, '\x01'));
    GlobalData g;
    g.LoadGlobalData();
    for (int i = 0; i < 10; ++i) EXPECT_EQ(g.Flag(i), 1);
    EXPECT_EQ(g.Flag(10), 0);
    EXPECT_EQ(g.Variable(3), 8);  // the fresh calendar stays
}

TEST_F(GlobalDataTest, ScriptCommands) {
    GlobalData g;
    EXPECT_TRUE(g.GlobalSetFlag(5, 1));
    EXPECT_EQ(g.Flag(5), 1);
    EXPECT_TRUE(g.GlobalSetFlag(5, 2));  // only the value 1 sets a flag
    EXPECT_EQ(g.Flag(5), 0);
    EXPECT_TRUE(g.GlobalSetVar(700, 40));
    EXPECT_TRUE(g.GlobalAddVar(700, -50));
    EXPECT_EQ(g.Variable(700), -10);
    // Numbers outside the record are refused and change nothing.
    GlobalData before = g;
    EXPECT_FALSE(g.GlobalSetFlag(2000, 1));
    EXPECT_FALSE(g.GlobalSetFlag(-1, 1));
    EXPECT_FALSE(g.GlobalSetVar(1000, 1));
    EXPECT_FALSE(g.GlobalAddVar(-1, 1));
    EXPECT_EQ(std::memcmp(before.Bytes(), g.Bytes(), 6000), 0);
}

TEST_F(GlobalDataTest, SaveFailureShowsTheMessageAndKeepsTheRecord) {
    TempDir();
    WriteFileBytes("sav", "file");
    GlobalData g;
    g.SetFlag(3, 1);
    EXPECT_FALSE(g.SaveGlobalData());
    ASSERT_EQ(platform.MessageBoxes().size(), 1u);
    EXPECT_EQ(platform.MessageBoxes()[0].text, "グローバルデータのセーブに失敗しました。");
    EXPECT_EQ(platform.MessageBoxes()[0].caption, "アプリケーションエラー");
    EXPECT_EQ(g.Flag(3), 1);
}
