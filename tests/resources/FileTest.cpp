#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ArchiveBuilder.h"
#include "resources/File.h"
#include "shell/Encoding.h"
#include "support/TestPlatform.h"

namespace fs = std::filesystem;

namespace {

class FileTest : public CPlatformTest {
  protected:
    FileTest() {
        TempDir();
        SetSecondDataRoot("");
    }
    ~FileTest() override { SetSecondDataRoot(""); }

    static void Write(const std::string& path, const std::string& bytes) {
        const fs::path p(path);
        if (p.has_parent_path()) fs::create_directories(p.parent_path());
        WriteFileBytes(p, bytes);
    }

    // The whole content of the file at the path through CFile::Open, or "<missing>".
    static std::string Content(const std::string& path) {
        CFile file;
        if (!file.Open(path)) return "<missing>";
        std::string bytes(static_cast<size_t>(file.GetSize()), '\0');
        if (!file.ReadExact(bytes.data(), bytes.size())) return "<short>";
        return bytes;
    }
};

TEST_F(FileTest, APlainFileBesideAnArchiveWins) {
    Write("interface/title/bg.bmp", "plain");
    Write("interface/title.dat", BuildArchive({{"bg.bmp", "packed"}}));
    EXPECT_EQ(Content("interface/title/bg.bmp"), "plain");
    fs::remove("interface/title/bg.bmp");
    EXPECT_EQ(Content("interface/title/bg.bmp"), "packed");
}

TEST_F(FileTest, FolderChainIsSearchedFromTheNearestArchive) {
    const std::string path = "snd/sys/se01.ogg";
    EXPECT_EQ(Content(path), "<missing>");
    Write("snd.dat", BuildArchive({{"sys\\se01.ogg", "from snd.dat"}}));
    EXPECT_EQ(Content(path), "from snd.dat");
    Write("snd/sys.dat", BuildArchive({{"se01.ogg", "from sys.dat"}}));
    EXPECT_EQ(Content(path), "from sys.dat");
    Write(path, "plain");
    EXPECT_EQ(Content(path), "plain");
}

TEST_F(FileTest, TheFirstArchiveFoundDecidesEvenWithoutTheMember) {
    Write("snd/sys.dat", BuildArchive({{"other.ogg", "x"}}));
    Write("snd.dat", BuildArchive({{"sys\\se01.ogg", "from snd.dat"}}));
    EXPECT_EQ(Content("snd/sys/se01.ogg"), "<missing>");
}

TEST_F(FileTest, MemberNamesAreComparedByteForByte) {
    Write("snd.dat",
          BuildArchive({{"sys/se01.ogg", "slash"}, {"sys\\SE02.ogg", "upper"}, {"sys\\se03.ogg", "ok"}}));
    EXPECT_EQ(Content("snd/sys/se01.ogg"), "<missing>");  // index names use "\"
    EXPECT_EQ(Content("snd/sys/se02.ogg"), "<missing>");
    EXPECT_EQ(Content("snd/sys/se03.ogg"), "ok");
}

TEST_F(FileTest, APathWithoutSlashIsOnlyAPlainFile) {
    Write(".dat", BuildArchive({{"bg.bmp", "packed"}}));
    EXPECT_EQ(Content("bg.bmp"), "<missing>");
    Write("bg.bmp", "plain");
    EXPECT_EQ(Content("bg.bmp"), "plain");
}

TEST_F(FileTest, ArchiveMembersOfEverySize) {
    std::vector<CTestMember> members;
    for (size_t size : {0u, 1u, 4096u, 5000u, 1100000u}) {
        std::string bytes(size, '\0');
        for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131) ^ (i >> 7));
        members.push_back({"m" + std::to_string(size), bytes});
    }
    Write("data.dat", BuildArchive(members));
    for (const CTestMember& m : members) EXPECT_EQ(Content("data/" + m.name), m.bytes) << m.name;
}

TEST_F(FileTest, IndexWithoutEndEntryStopsAtTheEndOfTheFile) {
    Write("scr.dat", BuildArchive({{"a.txt", "A"}, {"b.txt", "B"}}, false));
    EXPECT_EQ(Content("scr/b.txt"), "B");
    EXPECT_EQ(Content("scr/c.txt"), "<missing>");
    // An index cut inside an entry.
    std::string cut = BuildArchive({{"a.txt", "A"}});
    cut.resize(kArchiveEntrySize + 100);
    Write("cut.dat", cut);
    EXPECT_EQ(Content("cut/b.txt"), "<missing>");
}

TEST_F(FileTest, MembersOutsideTheArchiveFailTheOpen) {
    const std::string good = BuildArchive({{"a.bin", std::string(3000, 'q')}});
    const int32_t offset = 2 * kArchiveEntrySize;
    const int32_t packed = static_cast<int32_t>(good.size()) - offset;
    struct Case {
        const char* what;
        int32_t offset, unpacked, packed;
    };
    const Case cases[] = {
        {"offset past the end", static_cast<int32_t>(good.size()) + 1, 3000, packed},
        {"negative offset", -5, 3000, packed},
        {"packed bytes past the end", offset, 3000, packed + 1},
        {"negative packed size", offset, 3000, -1},
        {"negative unpacked size", offset, -1, packed},
        {"unpacked size no stream of that length can give", offset, 0x7FFFFFFF, packed},
        {"offset plus size overflowing", 0x7FFFFFF0, 3000, 0x7FFFFFF0},
    };
    for (const Case& c : cases) {
        std::string archive = good;
        PatchEntry(archive, 0, c.offset, c.unpacked, c.packed);
        Write("bad.dat", archive);
        EXPECT_EQ(Content("bad/a.bin"), "<missing>") << c.what;
    }
    Write("bad.dat", good);
    EXPECT_EQ(Content("bad/a.bin"), std::string(3000, 'q'));
}

TEST_F(FileTest, AStreamShorterThanItsSizeLeavesZeros) {
    // Two literals announced as eight bytes.
    Write("d.dat", BuildArchive({{"x",
                                  std::string("\x03"
                                              "AB",
                                              3),
                                  false, 8}}));
    EXPECT_EQ(Content("d/x"), std::string("AB\0\0\0\0\0\0", 8));
}

TEST_F(FileTest, PlainPathsAreFoundWhateverTheirCase) {
    Write("Interface/TITLE/Bg.BMP", "plain");
    Write("SND/Sys.DAT", BuildArchive({{"se01.ogg", "packed"}, {"SE02.ogg", "upper"}}));
    EXPECT_EQ(Content("interface/title/bg.bmp"), "plain");
    EXPECT_EQ(Content("snd/sys/se01.ogg"), "packed");
    EXPECT_EQ(Content("snd/sys/se02.ogg"), "<missing>");  // member names keep their case
    EXPECT_EQ(Content("interface/title/bg.bmpx"), "<missing>");
    EXPECT_EQ(Content("interface/title"), "<missing>");  // a folder is no file
}

TEST_F(FileTest, AnExactMatchBeatsOneThatDiffersInCase) {
    Write("pic/a.bmp", "lower");
    Write("pic/A.bmp", "upper");
    Write("pic/B.bmp", "B upper");
    Write("pic/b.BMP", "b lower");
    EXPECT_EQ(Content("pic/A.bmp"), "upper");
    EXPECT_EQ(Content("pic/a.bmp"), "lower");
    EXPECT_EQ(Content("pic/b.bmp"), "B upper");  // first in byte order
}

TEST_F(FileTest, ShiftJisPathsFindUtf8FileNames) {
    Write("scr/開始.txt", "text");
    EXPECT_EQ(Content(Utf8ToSjis("scr/開始.txt")), "text");
}

TEST_F(FileTest, SecondDataRootServesDataFilesOnly) {
    Write("medium/gamedata/interface/title/bg.bmp", "root2 plain");
    Write("medium/gamedata/snd.dat", BuildArchive({{"sys\\se01.ogg", "root2 packed"}}));
    Write("medium/interface.dat", BuildArchive({{"title\\logo.bmp", "above the root"}}));
    SetSecondDataRoot((TempDir() / "medium/gamedata").string());

    CFile file;
    EXPECT_FALSE(file.Open("interface/title/bg.bmp"));
    ASSERT_TRUE(OpenDataFile(file, "interface/title/bg.bmp"));
    EXPECT_EQ(file.GetSize(), 11);
    ASSERT_TRUE(OpenDataFile(file, "snd/sys/se01.ogg"));
    EXPECT_EQ(file.GetSize(), 12);
    // The archive search stays inside the second root.
    EXPECT_FALSE(OpenDataFile(file, "title/logo.bmp"));
    EXPECT_FALSE(OpenDataFile(file, "interface/title/logo.bmp"));
    // The installation folder comes first.
    Write("interface/title/bg.bmp", "first");
    ASSERT_TRUE(OpenDataFile(file, "interface/title/bg.bmp"));
    EXPECT_EQ(file.GetSize(), 5);

    SetSecondDataRoot("");
    EXPECT_FALSE(OpenDataFile(file, "snd/sys/se01.ogg"));
}

TEST_F(FileTest, CompFileReadsWholeItemsAndAdvancesByWhatIsLeft) {
    Write("d.dat", BuildArchive({{"m", "0123456789"}}));
    CFile file;
    ASSERT_TRUE(file.Open("d/m"));
    ASSERT_EQ(file.Seek(4, 0), 0);
    char buffer[40] = {};
    EXPECT_EQ(file.Read(buffer, 4, 10), 1);  // 6 bytes left
    EXPECT_EQ(std::string(buffer, 6), "456789");
    EXPECT_EQ(file.Tell(), 10);
    EXPECT_EQ(file.Read(buffer, 1, 5), 0);
    EXPECT_EQ(file.Read(buffer, 0, 5), 0);
}

TEST_F(FileTest, CompFileSeeksFromEachOrigin) {
    Write("d.dat", BuildArchive({{"m", "0123456789"}}));
    CFile file;
    ASSERT_TRUE(file.Open("d/m"));
    EXPECT_EQ(file.GetSize(), 10);
    struct Step {
        int64_t offset;
        int origin;
        int result;
        int64_t position;
    };
    const Step steps[] = {
        {3, 0, 0, 3},     {2, 1, 0, 5},    {-1, 2, 0, 9},
        {-10, 2, 0, 0},   {20, 0, 0, 20},  {-21, 1, -1, 20},  // before the start: refused, position kept
        {-11, 2, -1, 20}, {-1, 0, -1, 20}, {0, 0, 0, 0},
    };
    for (const Step& s : steps) {
        EXPECT_EQ(file.Seek(s.offset, s.origin), s.result) << s.offset << "," << s.origin;
        EXPECT_EQ(file.Tell(), s.position) << s.offset << "," << s.origin;
    }
    char c = 0;
    ASSERT_EQ(file.Seek(20, 0), 0);
    EXPECT_EQ(file.Read(&c, 1, 1), 0);  // past the end
    file.Rewind();
    EXPECT_EQ(file.Read(&c, 1, 1), 1);
    EXPECT_EQ(c, '0');
    EXPECT_TRUE(platform.MessageBoxes().empty());
}

TEST_F(FileTest, CompFileSeekWithAnUnknownOriginShowsTheError) {
    Write("d.dat", BuildArchive({{"m", "0123456789"}}));
    CFile file;
    ASSERT_TRUE(file.Open("d/m"));
    ASSERT_EQ(file.Seek(7, 0), 0);
    EXPECT_EQ(file.Seek(1, 3), -1);
    EXPECT_EQ(file.Tell(), 7);
    ASSERT_EQ(platform.MessageBoxes().size(), 1u);
    EXPECT_EQ(platform.MessageBoxes()[0].text, "CCompFile::Seek error");
    EXPECT_EQ(platform.MessageBoxes()[0].caption, "エラー");
}

TEST_F(FileTest, PlainFileOperations) {
    Write("p.bin", "abcdefgh");
    CFile file;
    ASSERT_TRUE(file.Open("p.bin"));
    EXPECT_NE(dynamic_cast<CPlainFile*>(file.Source()), nullptr);
    EXPECT_EQ(file.GetSize(), 8);
    char buffer[16] = {};
    EXPECT_EQ(file.Read(buffer, 3, 5), 2);  // two whole items of the eight bytes
    EXPECT_EQ(file.Seek(-2, 2), 0);
    EXPECT_EQ(file.Tell(), 6);
    EXPECT_EQ(file.Seek(-1, 1), 0);
    EXPECT_EQ(file.Read(buffer, 1, 16), 3);
    EXPECT_EQ(std::string(buffer, 3), "fgh");
    EXPECT_EQ(file.Seek(0, 7), -1);
    file.Rewind();
    EXPECT_EQ(file.Tell(), 0);
    EXPECT_EQ(file.Close(), 0);
}

TEST_F(FileTest, AFileWithoutSourceAnswersAsNothing) {
    CFile file;
    char c;
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.GetSize(), 0);
    EXPECT_EQ(file.Seek(0, 0), -1);
    EXPECT_EQ(file.Tell(), -1);
    EXPECT_EQ(file.Read(&c, 1, 1), 0);
    CFileSource base;
    EXPECT_FALSE(base.Open("x"));
    EXPECT_EQ(base.Read(&c, 1, 1), -1);
    EXPECT_EQ(base.Seek(0, 0), -1);
    EXPECT_EQ(base.Tell(), -1);
    EXPECT_EQ(base.GetSize(), 0);
}

TEST_F(FileTest, ReopeningReplacesTheSource) {
    Write("p.bin", "plain");
    Write("d.dat", BuildArchive({{"m", "member"}}));
    CFile file;
    ASSERT_TRUE(file.Open("p.bin"));
    ASSERT_TRUE(file.Open("d/m"));
    EXPECT_NE(dynamic_cast<CCompFile*>(file.Source()), nullptr);
    EXPECT_EQ(file.GetSize(), 6);
    EXPECT_FALSE(file.Open("d/none"));
    EXPECT_EQ(file.GetSize(), 0);
}

}  // namespace
