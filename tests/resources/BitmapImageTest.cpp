#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ArchiveBuilder.h"
#include "resources/BitmapImage.h"
#include "resources/File.h"
#include "support/TestPlatform.h"

namespace fs = std::filesystem;

namespace {

void Put16(std::string& s, uint16_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>(v >> 8);
}
void Put32(std::string& s, uint32_t v) {
    for (int i = 0; i < 4; ++i) s += static_cast<char>(v >> (8 * i));
}

std::string Headers(int32_t width, int32_t height, uint16_t bitCount = 24, uint32_t compression = 0) {
    std::string s = "BM";
    Put32(s, 0);
    Put32(s, 0);
    Put32(s, 1234);  // the pixel offset, which the readers do not use
    Put32(s, 40);
    Put32(s, static_cast<uint32_t>(width));
    Put32(s, static_cast<uint32_t>(height));
    Put16(s, 1);
    Put16(s, bitCount);
    Put32(s, compression);
    for (int i = 0; i < 5; ++i) Put32(s, 0);
    return s;
}

// Pixel (x, y) of the file's row order (row 0 = first in the file = bottom of the picture).
uint8_t Sample(int x, int y, int channel) {
    return static_cast<uint8_t>(x * 40 + y * 7 + channel * 3 + 1);
}

std::string Bmp(int width, int height) {
    std::string s = Headers(width, height);
    const int rowSize = (width * 3 + 3) & ~3;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c) s += static_cast<char>(Sample(x, y, c));
        s.append(static_cast<size_t>(rowSize - width * 3), '\x77');
    }
    return s;
}

uint16_t Word(int x, int y) {
    return static_cast<uint16_t>(x * 1021 + y * 3331 + 0x1234);
}

std::string Bfh(int width, int height) {
    std::string s = Headers(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) Put16(s, Word(x, y));
    return s;
}

const uint8_t* Bytes(const std::string& s) {
    return reinterpret_cast<const uint8_t*>(s.data());
}

class BitmapImageTest : public CPlatformTest {
  protected:
    BitmapImageTest() {
        TempDir();
        SetSecondDataRoot("");
    }
    ~BitmapImageTest() override { SetSecondDataRoot(""); }
};

TEST_F(BitmapImageTest, BmpRowsArePaddedAndServedTopFirst) {
    for (int width : {1, 2, 3, 4, 5}) {
        const int height = 3;
        WriteFileBytes("pic.bmp", Bmp(width, height));
        CBmpImage image;
        ASSERT_TRUE(image.Load("pic.bmp")) << width;
        EXPECT_EQ(image.Width(), width);
        EXPECT_EQ(image.Height(), height);
        EXPECT_EQ(image.Path(), "pic.bmp");
        EXPECT_EQ(image.RowSize(), static_cast<size_t>((width * 3 + 3) & ~3));
        EXPECT_EQ(image.InfoHeader().bitCount, 24);
        EXPECT_EQ(image.FileHeader().offBits, 1234u);
        for (int y = 0; y < height; ++y) {
            const uint8_t* row = image.Row24(y);
            ASSERT_NE(row, nullptr);
            for (int x = 0; x < width; ++x)
                for (int c = 0; c < 3; ++c) EXPECT_EQ(row[x * 3 + c], Sample(x, height - 1 - y, c));
        }
        EXPECT_EQ(image.Row24(height), nullptr);
        EXPECT_EQ(image.Row24(-1), nullptr);
        const CBitmapImage::CRect rect = image.GetRect();
        EXPECT_EQ(rect.x, 0);
        EXPECT_EQ(rect.width, width);
        image.FreePixels();
        EXPECT_EQ(image.GetPixels(), nullptr);
    }
    EXPECT_TRUE(platform.MessageBoxes().empty());
}

TEST_F(BitmapImageTest, BmpIsFoundInArchivesAndUnderTheSecondRoot) {
    WriteFileBytes("cg.dat", BuildArchive({{"a.bmp", Bmp(2, 2)}}));
    fs::create_directories("medium/gamedata/ev");
    WriteFileBytes("medium/gamedata/ev/b.bmp", Bmp(3, 1));
    SetSecondDataRoot((TempDir() / "medium/gamedata").string());
    CBmpImage a, b;
    ASSERT_TRUE(a.Load("cg/a.bmp"));
    EXPECT_EQ(a.Width(), 2);
    ASSERT_TRUE(b.Load("ev/b.bmp"));
    EXPECT_EQ(b.Width(), 3);
    EXPECT_EQ(b.Row24(0)[0], Sample(0, 0, 0));
}

TEST_F(BitmapImageTest, MissingBmpShowsItsPathAndLeavesAnEmptyImage) {
    CBmpImage image;
    EXPECT_FALSE(image.Load("ev/none.bmp"));
    EXPECT_EQ(image.Width(), 0);
    EXPECT_EQ(image.Row24(0), nullptr);
    ASSERT_EQ(platform.MessageBoxes().size(), 1u);
    EXPECT_EQ(platform.MessageBoxes()[0].text, "ev/none.bmp");
    EXPECT_EQ(platform.MessageBoxes()[0].caption, "下記のファイルが存在しません");
}

TEST_F(BitmapImageTest, BfhOfOddWidthExpandsUnpaddedWordsIntoPaddedRows) {
    for (int width : {1, 3, 5, 7}) {
        const int height = 2;
        const std::string file = Bfh(width, height);
        ASSERT_EQ(file.size(), kBitmapHeadersSize + static_cast<size_t>(width * 2 * height));
        WriteFileBytes("p.bfh", file);
        CBfhImage image;
        ASSERT_TRUE(image.Load("p.bfh")) << width;
        EXPECT_EQ(image.RowSize(), static_cast<size_t>((width * 3 + 3) & ~3));
        for (int y = 0; y < height; ++y) {
            const uint8_t* row = image.Row24(height - 1 - y);  // file row y
            for (int x = 0; x < width; ++x) {
                const uint16_t v = Word(x, y);
                EXPECT_EQ(row[x * 3 + 0], ((v >> 10) & 0x1F) * 8);
                EXPECT_EQ(row[x * 3 + 1], ((v >> 5) & 0x1F) * 8);
                EXPECT_EQ(row[x * 3 + 2], (v & 0x1F) * 8);
            }
        }
        // The padding of every buffer row is zero.
        const uint8_t* pixels = image.GetPixels();
        for (int y = 0; y < height; ++y)
            for (size_t i = static_cast<size_t>(width) * 3; i < image.RowSize(); ++i)
                EXPECT_EQ(pixels[y * image.RowSize() + i], 0);
    }
}

TEST_F(BitmapImageTest, BfhWordsExpandFieldByField) {
    struct Case {
        uint16_t word;
        uint8_t b0, b1, b2;
    };
    const Case cases[] = {
        {0x7FFF, 0xF8, 0xF8, 0xF8}, {0x8000, 0, 0, 0},          {0xFFFF, 0xF8, 0xF8, 0xF8},
        {0x7C00, 0xF8, 0, 0},       {0x03E0, 0, 0xF8, 0},       {0x001F, 0, 0, 0xF8},
        {0x0421, 8, 8, 8},          {0x4210, 0x80, 0x80, 0x80},
    };
    std::string file = Headers(static_cast<int32_t>(std::size(cases)), 1, 16);
    for (const Case& c : cases) Put16(file, c.word);
    CDecodedPicture picture;
    ASSERT_EQ(DecodeBfh(Bytes(file), file.size(), picture), EPictureError::None);
    EXPECT_EQ(picture.infoHeader.bitCount, 16);  // kept as read
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(picture.pixels[i * 3 + 0], cases[i].b0) << std::hex << cases[i].word;
        EXPECT_EQ(picture.pixels[i * 3 + 1], cases[i].b1) << std::hex << cases[i].word;
        EXPECT_EQ(picture.pixels[i * 3 + 2], cases[i].b2) << std::hex << cases[i].word;
    }
}

TEST_F(BitmapImageTest, MissingBfhIsFatal) {
    EXPECT_EXIT(
        {
            platform.SetLog(stderr);
            CBfhImage image;
            image.Load("sys/none.bfh");
        },
        ::testing::ExitedWithCode(255), "sys/none.bfh");
}

TEST_F(BitmapImageTest, BfhIsNotSoughtUnderTheSecondRoot) {
    fs::create_directories("medium/gamedata/sys");
    WriteFileBytes("medium/gamedata/sys/a.bfh", Bfh(2, 2));
    SetSecondDataRoot((TempDir() / "medium/gamedata").string());
    EXPECT_EXIT(
        {
            platform.SetLog(stderr);
            CBfhImage image;
            image.Load("sys/a.bfh");
        },
        ::testing::ExitedWithCode(255), "下記のファイルが存在しません");
}

struct RefusedCase {
    const char* what;
    std::string file;
    EPictureError bmp;
    EPictureError bfh;
};

std::vector<RefusedCase> RefusedCases() {
    std::string shortRows = Bmp(4, 4);
    shortRows.pop_back();
    std::string shortWords = Bfh(3, 3);
    shortWords.pop_back();
    const std::string threeBytes = Headers(1, 1) + std::string(3, '\0');  // a bfh row, not a bmp row
    return {
        {"empty file", "", EPictureError::ShortHeader, EPictureError::ShortHeader},
        {"cut header", Headers(1, 1).substr(0, 53), EPictureError::ShortHeader, EPictureError::ShortHeader},
        {"zero width", Headers(0, 1) + std::string(16, '\0'), EPictureError::BadSize, EPictureError::BadSize},
        {"zero height", Headers(1, 0) + std::string(16, '\0'), EPictureError::BadSize,
         EPictureError::BadSize},
        {"negative width", Headers(-4, 1) + std::string(16, '\0'), EPictureError::BadSize,
         EPictureError::BadSize},
        {"negative height", Headers(1, -1) + std::string(16, '\0'), EPictureError::BadSize,
         EPictureError::BadSize},
        {"rows missing", Headers(100, 100) + std::string(300, '\0'), EPictureError::Truncated,
         EPictureError::Truncated},
        {"one byte short", shortRows, EPictureError::Truncated, EPictureError::None},
        {"one word short", shortWords, EPictureError::Truncated, EPictureError::Truncated},
        {"width x height overflowing 32 bits", Headers(0x10000, 0x10000) + std::string(64, '\0'),
         EPictureError::Truncated, EPictureError::Truncated},
        {"largest sizes", Headers(0x7FFFFFFF, 0x7FFFFFFF) + std::string(64, '\0'), EPictureError::Truncated,
         EPictureError::Truncated},
        {"8 bits per pixel", Headers(2, 2, 8) + std::string(64, '\0'), EPictureError::NotTrueColour,
         EPictureError::None},
        {"compressed", Headers(2, 2, 24, 1) + std::string(64, '\0'), EPictureError::NotTrueColour,
         EPictureError::None},
        {"one bfh pixel, less than a padded bmp row", threeBytes, EPictureError::Truncated,
         EPictureError::None},
    };
}

TEST_F(BitmapImageTest, DecodersRefuseImpossibleHeaders) {
    for (const RefusedCase& c : RefusedCases()) {
        CDecodedPicture picture;
        EXPECT_EQ(DecodeBmp(Bytes(c.file), c.file.size(), picture), c.bmp) << c.what;
        if (c.bmp != EPictureError::None) {
            EXPECT_TRUE(picture.pixels.empty()) << c.what;
        } else {
            EXPECT_EQ(picture.pixels.size(), picture.rowSize * picture.height) << c.what;
        }
        EXPECT_EQ(DecodeBfh(Bytes(c.file), c.file.size(), picture), c.bfh) << c.what;
    }
}

TEST_F(BitmapImageTest, LoadersReportRefusedFilesAndStayEmpty) {
    int expectedBoxes = 0;
    for (const RefusedCase& c : RefusedCases()) {
        WriteFileBytes("x.bmp", c.file);
        WriteFileBytes("x.bfh", c.file);
        CBmpImage bmp;
        CBfhImage bfh;
        EXPECT_EQ(bmp.Load("x.bmp"), c.bmp == EPictureError::None) << c.what;
        EXPECT_EQ(bfh.Load("x.bfh"), c.bfh == EPictureError::None) << c.what;
        expectedBoxes += (c.bmp != EPictureError::None) + (c.bfh != EPictureError::None);
        ASSERT_EQ(platform.MessageBoxes().size(), static_cast<size_t>(expectedBoxes)) << c.what;
        if (c.bfh != EPictureError::None) {
            EXPECT_EQ(platform.MessageBoxes().back().caption, "エラー") << c.what;
            EXPECT_NE(platform.MessageBoxes().back().text.find("x.bfh"), std::string::npos) << c.what;
            EXPECT_EQ(bfh.Width(), 0) << c.what;
            EXPECT_EQ(bfh.GetPixels(), nullptr) << c.what;
        }
        if (c.bmp != EPictureError::None) {
            EXPECT_EQ(bmp.Width(), 0) << c.what;
            EXPECT_EQ(bmp.Row24(0), nullptr) << c.what;
        }
    }
}

TEST_F(BitmapImageTest, ReloadingReplacesThePicture) {
    WriteFileBytes("a.bmp", Bmp(4, 2));
    WriteFileBytes("b.bmp", Bmp(1, 5));
    CBmpImage image;
    ASSERT_TRUE(image.Load("a.bmp"));
    ASSERT_TRUE(image.Load("b.bmp"));
    EXPECT_EQ(image.Width(), 1);
    EXPECT_EQ(image.Height(), 5);
    EXPECT_EQ(image.Path(), "b.bmp");
    EXPECT_FALSE(image.Load("c.bmp"));
    EXPECT_EQ(image.Height(), 0);
}

}  // namespace
