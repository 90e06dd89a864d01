// Runs the built tovel-pack and checks what it writes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "ArchiveBuilder.h"
#include "resources/File.h"
#include "support/TestPlatform.h"

namespace fs = std::filesystem;

namespace {

struct CRun {
    int status;
    std::string out;
    std::string err;
};

CRun Pack(const std::string& args) {
    const std::string command = std::string("'") + TOVEL_PACK_EXE + "' " + args + " >pack.out 2>pack.err";
    const int raw = std::system(command.c_str());
    CRun run{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFileBytes("pack.out"), ReadFileBytes("pack.err")};
    fs::remove("pack.out");
    fs::remove("pack.err");
    return run;
}

std::string Noise(size_t size, uint32_t seed) {
    std::mt19937 rng(seed);
    std::string s(size, '\0');
    for (size_t i = 0; i < size; ++i) s[i] = static_cast<char>(rng() % 7 == 0 ? rng() : (i / 300) % 11);
    return s;
}

class PackToolTest : public CPlatformTest {
  protected:
    PackToolTest() { TempDir(); }
    void Write(const fs::path& p, const std::string& bytes) {
        if (p.has_parent_path()) fs::create_directories(p.parent_path());
        WriteFileBytes(p, bytes);
    }
    // Every regular file under dir with its content, by relative path.
    static std::map<std::string, std::string> Tree(const fs::path& dir) {
        std::map<std::string, std::string> files;
        for (const auto& e : fs::recursive_directory_iterator(dir)) {
            if (e.is_regular_file()) files[fs::relative(e.path(), dir).string()] = ReadFileBytes(e.path());
        }
        return files;
    }
};

TEST_F(PackToolTest, PackThenUnpackGivesBackEveryFileByteForByte) {
    Write("in/top.txt", "top level");
    Write("in/empty.bin", "");
    Write("in/a/b/c/deep.bmp", Noise(3000, 1));
    Write("in/a/large.ogg", Noise(1500000, 2));
    Write("in/a/random.bin", Noise(1100000, 3));
    Write("in/a/b/empty2", "");
    Write("in/名前/開始.txt", "sjis name");
    const CRun pack = Pack("pack out.dat in");
    ASSERT_EQ(pack.status, 0) << pack.err;
    EXPECT_EQ(pack.err, "");
    const CRun unpack = Pack("unpack out.dat back");
    ASSERT_EQ(unpack.status, 0) << unpack.err;
    EXPECT_EQ(Tree("back"), Tree("in"));
}

TEST_F(PackToolTest, PackedArchiveServesTheGamesLookup) {
    Write("snd/sys/se01.ogg", Noise(70000, 4));
    Write("snd/bgm/b01.ogg", "bgm");
    ASSERT_EQ(Pack("pack snd.dat snd").status, 0);
    const std::string se = ReadFileBytes("snd/sys/se01.ogg");
    fs::remove_all("snd");
    CFile file;
    ASSERT_TRUE(file.Open("snd/sys/se01.ogg"));
    std::string bytes(static_cast<size_t>(file.GetSize()), '\0');
    ASSERT_TRUE(file.ReadExact(bytes.data(), bytes.size()));
    EXPECT_EQ(bytes, se);
    EXPECT_TRUE(file.Open("snd/bgm/b01.ogg"));
}

TEST_F(PackToolTest, ListShowsNameAndBothSizes) {
    Write("in/x/y.bin", std::string(5000, 'z'));
    Write("in/e", "");
    ASSERT_EQ(Pack("pack o.dat in").status, 0);
    const CRun list = Pack("list o.dat");
    ASSERT_EQ(list.status, 0) << list.err;
    std::istringstream lines(list.out);
    std::string name;
    long unpacked = -1, packed = -1;
    ASSERT_TRUE(lines >> name >> unpacked >> packed);
    EXPECT_EQ(name, "e");
    EXPECT_EQ(unpacked, 0);
    EXPECT_EQ(packed, 0);
    ASSERT_TRUE(lines >> name >> unpacked >> packed);
    EXPECT_EQ(name, "x\\y.bin");
    EXPECT_EQ(unpacked, 5000);
    EXPECT_GT(packed, 0);
    EXPECT_LT(packed, 1000);
    const long archiveSize = static_cast<long>(fs::file_size("o.dat"));
    EXPECT_EQ(archiveSize, 3 * 272 + packed);
    EXPECT_FALSE(lines >> name);
}

TEST_F(PackToolTest, ScrambledScriptsAreReadBackByTheGame) {
    std::string text;
    for (int i = 0; i < 256; ++i) text += static_cast<char>(i);
    Write("scr/begin.txt", text);
    ASSERT_EQ(Pack("scramble scr/begin.txt scr/begin.scr").status, 0);
    EXPECT_NE(ReadFileBytes("scr/begin.scr"), text);
    ASSERT_EQ(Pack("unscramble scr/begin.scr plain.txt").status, 0);
    EXPECT_EQ(ReadFileBytes("plain.txt"), text);
    fs::remove("scr/begin.txt");
    CScriptText script;
    ASSERT_TRUE(OpenScriptFile("scr/begin.txt", script));
    EXPECT_TRUE(script.scrambled);
    EXPECT_EQ(std::string(script.buffer.data(), script.size), text);
}

TEST_F(PackToolTest, ErrorsGiveOneLineAndAFailingStatus) {
    Write("in/a", "a");
    std::string noEnd = BuildArchive({{"a", "a"}}, false);
    Write("noend.dat", noEnd);
    std::string outside = BuildArchive({{"a", "abc"}});
    PatchEntry(outside, 0, 100000, 3, 4);
    Write("outside.dat", outside);
    Write("evil.dat", BuildArchive({{"..\\evil", "x"}}));
    Write("abs.dat", BuildArchive({{"\\abs", "x"}}));
    Write("short.dat", BuildArchive({{"a",
                                      std::string("\x01"
                                                  "A",
                                                  2),
                                      false, 5}}));
    const char* commands[] = {
        "",
        "pack",
        "frobnicate a b",
        "pack o.dat missing-folder",
        "unpack missing.dat out",
        "list missing.dat",
        "list noend.dat",
        "list outside.dat",
        "unpack evil.dat out",
        "unpack abs.dat out",
        "unpack short.dat out",
        "scramble missing.txt out.scr",
        "pack no/such/folder/o.dat in",
    };
    for (const char* args : commands) {
        const CRun run = Pack(args);
        EXPECT_NE(run.status, 0) << args;
        EXPECT_EQ(run.err.rfind("tovel-pack: ", 0), 0u) << args << ": " << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << args << ": " << run.err;
    }
    EXPECT_FALSE(fs::exists("evil"));
    EXPECT_FALSE(fs::exists("abs"));
}

}  // namespace
