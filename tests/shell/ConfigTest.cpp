#include <cstring>

#include "shell/Config.h"
#include "support/TestPlatform.h"

namespace fs = std::filesystem;

class ConfigTest : public CPlatformTest {};

// The default record as it is stored, byte for byte.
static const uint8_t kDefaultBytes[40] = {0, 0, 0, 0, 25,  0, 0, 0, 2,   0, 0, 0, 1,   0, 0, 0, 1, 0, 0, 0,
                                          1, 0, 0, 0, 100, 0, 0, 0, 100, 0, 0, 0, 100, 0, 0, 0, 0, 1, 0, 0};

TEST_F(ConfigTest, MissingFileGivesDefaultsAndSaveCreatesFolderAndFile) {
    TempDir();
    Config c;
    c.Load();
    ConfigRecord r = c.Get();
    EXPECT_EQ(std::memcmp(&r, kDefaultBytes, 40), 0);
    ASSERT_FALSE(fs::exists("sav"));
    EXPECT_TRUE(c.Save());
    EXPECT_TRUE(fs::is_directory("sav"));
    std::string bytes = ReadFileBytes("sav/confing.sav");
    ASSERT_EQ(bytes.size(), 40u);
    EXPECT_EQ(std::memcmp(bytes.data(), kDefaultBytes, 40), 0);
    EXPECT_FALSE(fs::exists("sav/confing.sav.tmp"));
    EXPECT_TRUE(platform.MessageBoxes().empty());
}

TEST_F(ConfigTest, ShortFileKeepsTheDefaultsAfterTheBytesRead) {
    TempDir();
    // Screen mode 24 and transparency 50, then the file ends after 8 bytes.
    WriteFileBytes("sav/confing.sav", std::string("\x18\0\0\0\x32\0\0\0", 8));
    Config c;
    c.Load();
    EXPECT_EQ(c.Get().screenMode, 24);
    EXPECT_EQ(c.Get().transparency, 50);
    EXPECT_EQ(c.Get().textSpeed, 2);
    EXPECT_EQ(c.Get().musicVolume, 100);
    EXPECT_EQ(c.Get().soundQuality, 1);
}

TEST_F(ConfigTest, ValuesAreTakenWithoutChecks) {
    TempDir();
    std::string bytes(40, '\0');
    bytes[8] = 7;  // a text speed the setup never writes
    bytes[36] = 1;
    WriteFileBytes("sav/confing.sav", bytes);
    Config c;
    c.Load();
    EXPECT_EQ(c.Get().textSpeed, 7);
    EXPECT_EQ(c.Get().softwareDisplay, 1);
    EXPECT_EQ(c.Get().transparency, 0);
}

TEST_F(ConfigTest, SetOverwritesTheRecordWordByWord) {
    Config c;
    int32_t words[10] = {32, 75, 1, 0x0100, 2, 0, 50, 25, 0, 0x0101};
    c.Set(words);
    EXPECT_EQ(c.Get().screenMode, 32);
    EXPECT_EQ(c.Get().transparency, 75);
    EXPECT_EQ(c.Get().ruby, 0);
    EXPECT_EQ(c.Get().autoAdvance, 1);
    EXPECT_EQ(c.Get().skipCondition, 2);
    EXPECT_EQ(c.Get().screenEffects, 0);
    EXPECT_EQ(c.Get().musicVolume, 50);
    EXPECT_EQ(c.Get().softwareDisplay, 1);
    EXPECT_EQ(c.Get().soundQuality, 1);
}

TEST_F(ConfigTest, UnwritableFolderShowsTheMessageAndKeepsTheOldFile) {
    TempDir();
    // A plain file named "sav" stands where the folder should be: nothing can be written into it,
    // whatever the user's rights.
    WriteFileBytes("sav", "not a folder");
    Config c;
    EXPECT_FALSE(c.Save());
    ASSERT_EQ(platform.MessageBoxes().size(), 1u);
    EXPECT_EQ(platform.MessageBoxes()[0].text,
              "コンフィングのセーブに失敗しました。\n設定が保存されません。");
    EXPECT_EQ(platform.MessageBoxes()[0].caption, "アプリケーションエラー");
    EXPECT_EQ(ReadFileBytes("sav"), "not a folder");
}

TEST_F(ConfigTest, SaveReplacesTheOldFileWhole) {
    TempDir();
    WriteFileBytes("sav/confing.sav", std::string(60, 'x'));  // longer than a record
    Config c;
    c.Record().transparency = 100;
    EXPECT_TRUE(c.Save());
    std::string bytes = ReadFileBytes("sav/confing.sav");
    ASSERT_EQ(bytes.size(), 40u);
    EXPECT_EQ(static_cast<uint8_t>(bytes[4]), 100);
}

TEST(ConfigSpeed, DelaysPerSetting) {
    EXPECT_EQ(TextDelayForSpeed(0), 0);
    EXPECT_EQ(TextDelayForSpeed(1), 12);
    EXPECT_EQ(TextDelayForSpeed(2), 33);
}
