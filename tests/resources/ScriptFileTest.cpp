#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "ArchiveBuilder.h"
#include "resources/File.h"
#include "shell/Encoding.h"
#include "support/TestPlatform.h"

namespace fs = std::filesystem;

namespace {

class ScriptFileTest : public CPlatformTest {
  protected:
    ScriptFileTest() {
        TempDir();
        fs::create_directories("scr");
    }
    static std::string Scramble(const std::string& text) {
        std::string out = text;
        for (char& c : out) c = static_cast<char>(static_cast<uint8_t>(c) + kScriptScramble);
        return out;
    }
    static std::string Text(const CScriptText& t) { return std::string(t.buffer.data(), t.size); }
};

TEST(ScrambledScriptName, CutsAtTheFirstPointOrLineFeed) {
    const std::pair<const char*, const char*> cases[] = {
        {"scr/begin.txt", "scr/begin.scr"},
        {"scr/a.b.txt", "scr/a.scr"},
        {"scr/noext", "scr/noext.scr"},
        {"scr/x\ny.txt", "scr/x.scr"},
        {"", ".scr"},
    };
    for (const auto& [path, expected] : cases) EXPECT_EQ(ScrambledScriptName(path), expected) << path;
}

TEST_F(ScriptFileTest, PlainScriptIsReadWholeWithSpareZeros) {
    const std::string body = "#bg 1\n\x82\xa0\x82\xa2\n";
    WriteFileBytes("scr/begin.txt", body);
    WriteFileBytes("scr/begin.scr", Scramble("wrong"));
    CScriptText text;
    ASSERT_TRUE(OpenScriptFile("scr/begin.txt", text));
    EXPECT_FALSE(text.scrambled);
    EXPECT_EQ(Text(text), body);
    ASSERT_EQ(text.buffer.size(), body.size() + 1024);
    for (size_t i = body.size(); i < text.buffer.size(); ++i) ASSERT_EQ(text.buffer[i], 0);
    EXPECT_EQ(text.name, "scr/begin.txt");
    EXPECT_TRUE(platform.MessageBoxes().empty());
}

TEST_F(ScriptFileTest, ScrambledScriptIsFoundWhenThePlainOneIsMissing) {
    std::string body;
    for (int i = 0; i < 256; ++i) body += static_cast<char>(i);  // every byte value wraps correctly
    WriteFileBytes("scr/day1.scr", Scramble(body));
    CScriptText text;
    ASSERT_TRUE(OpenScriptFile("scr/day1.txt", text));
    EXPECT_TRUE(text.scrambled);
    EXPECT_EQ(Text(text), body);
    EXPECT_EQ(text.name, "scr/day1.txt");
}

TEST_F(ScriptFileTest, ScriptsAreFoundInTheScriptArchiveInBothForms) {
    WriteFileBytes("scr.dat", BuildArchive({{"a.txt", "plain a"}, {"b.scr", Scramble("scrambled b")}}));
    CScriptText text;
    ASSERT_TRUE(OpenScriptFile("scr/a.txt", text));
    EXPECT_EQ(Text(text), "plain a");
    ASSERT_TRUE(OpenScriptFile("scr/b", text));
    EXPECT_EQ(Text(text), "scrambled b");
    EXPECT_EQ(text.name, "scr/b.txt");
}

TEST_F(ScriptFileTest, MissingInBothFormsShowsTheMessageOwnedByTheMainWindow) {
    CScriptText text;
    EXPECT_FALSE(OpenScriptFile("scr/none.txt", text));
    EXPECT_EQ(text.size, 0u);
    ASSERT_EQ(platform.MessageBoxes().size(), 1u);
    const CLoggedMessageBox& box = platform.MessageBoxes()[0];
    EXPECT_EQ(box.text, "スクリプトファイル（ scr/none.txt ）が見つかりません");
    EXPECT_EQ(box.caption, "エラー");
    EXPECT_TRUE(box.owned);
}

TEST_F(ScriptFileTest, ScriptsAreNotSoughtUnderTheSecondDataRoot) {
    WriteFileBytes("scr/x", "");
    fs::create_directories("medium/gamedata/scr");
    WriteFileBytes("medium/gamedata/scr/a.txt", "root2");
    SetSecondDataRoot((TempDir() / "medium/gamedata").string());
    CScriptText text;
    EXPECT_FALSE(OpenScriptFile("scr/a.txt", text));
    SetSecondDataRoot("");
    EXPECT_EQ(platform.MessageBoxes().size(), 1u);
}

}  // namespace
