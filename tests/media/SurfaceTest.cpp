// Surfaces: creation and pixel format, pictures, Fill, alpha maps and their file, restore, failures.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "media/Blit.h"
#include "media/SurfaceTestSupport.h"

using namespace surface_test;

namespace {

class SurfaceDepthTest : public CSurfaceTest, public ::testing::WithParamInterface<int> {};

TEST(PixelFormat, GreenMaskTellsFifteenFromSixteen) {
    struct Case {
        int bits;
        uint32_t green;
        int depth;
    } cases[] = {{16, 0x03E0, 15}, {16, 0x07E0, 16}, {15, 0x03E0, 15}, {15, 0x07E0, 16},
                 {24, 0xFF00, 24}, {32, 0xFF00, 32}, {8, 0, 0},        {12, 0x03E0, 0}};
    for (const Case& c : cases) EXPECT_EQ(CSurface::DepthFromFormat(c.bits, c.green), c.depth) << c.bits;
}

TEST_P(SurfaceDepthTest, BlankSurfaceTakesTheDisplayFormat) {
    const int depth = GetParam();
    CSurface s;
    s.CreateBlank(UseDepth(depth), 13, 5);
    EXPECT_EQ(s.Depth(), depth);
    EXPECT_EQ(s.Width(), 13);
    EXPECT_EQ(s.Height(), 5);
    EXPECT_GE(s.Pitch(), 13 * BytesOf(depth));
    EXPECT_EQ(s.Pitch() % 4, 0);
    EXPECT_FALSE(s.FromImage());
    EXPECT_EQ(s.GetAlphaMap(), nullptr);
    EXPECT_EQ(s.GetOwner(), &platform.Display());
    uint8_t* p = s.Lock();
    EXPECT_EQ(p, s.Row(0));
    EXPECT_TRUE(s.IsLocked());
    s.Unlock();
    EXPECT_FALSE(s.IsLocked());
    s.Release();
    EXPECT_FALSE(s.HasPixels());
    EXPECT_EQ(s.Lock(), nullptr);
}

TEST_P(SurfaceDepthTest, PictureKeepsTheHighBitsOfEachChannel) {
    const int depth = GetParam();
    CMemoryImage image(3, 2, "bg/test.bmp");
    const uint8_t colours[][3] = {{0x0F, 0xF3, 0x87}, {0xFF, 0x00, 0x08}, {0x07, 0x03, 0xFF},
                                  {0x00, 0x00, 0x00}, {0xFF, 0xFF, 0xFF}, {0x84, 0x42, 0x21}};
    for (int i = 0; i < 6; ++i) image.Set(i % 3, i / 3, colours[i][0], colours[i][1], colours[i][2]);
    CSurface s;
    s.CreateFromImage(UseDepth(depth), image);
    EXPECT_TRUE(s.FromImage());
    EXPECT_EQ(s.ImagePath(), "bg/test.bmp");
    for (int i = 0; i < 6; ++i) {
        const uint32_t v = GetPixel(s, i % 3, i / 3);
        const int b = colours[i][0], g = colours[i][1], r = colours[i][2];
        switch (depth) {
            case 15:
                EXPECT_EQ(v >> 10, static_cast<uint32_t>(r / 8));
                EXPECT_EQ((v >> 5) & 31, static_cast<uint32_t>(g / 8));
                EXPECT_EQ(v & 31, static_cast<uint32_t>(b / 8));
                break;
            case 16:
                EXPECT_EQ(v >> 11, static_cast<uint32_t>(r / 8));
                EXPECT_EQ((v >> 5) & 63, static_cast<uint32_t>(g / 4));
                EXPECT_EQ(v & 31, static_cast<uint32_t>(b / 8));
                break;
            default:
                EXPECT_EQ(v & 0xFFFFFF, static_cast<uint32_t>(r << 16 | g << 8 | b));
        }
    }
}

TEST_P(SurfaceDepthTest, FillWritesTheConvertedColourInsideTheRectangleOnly) {
    const int depth = GetParam();
    CSurface s;
    s.CreateBlank(UseDepth(depth), 10, 6);
    s.Fill(2, 1, 5, 3, 0x00FFFFFF);
    const uint32_t white = depth == 15 || depth == 16 ? 0xFFFF : 0xFFFFFF;
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(GetPixel(s, x, y), (x >= 2 && x < 7 && y >= 1 && y < 4) ? white : 0u) << x << "," << y;
    // A rectangle reaching out of the surface is cut at its edges.
    s.Fill(-3, -3, 100, 100, 0x000000FF);
    const uint32_t red = depth == 15 ? 0x7C00 : depth == 16 ? 0xF800 : 0xFF0000;
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 10; ++x) EXPECT_EQ(GetPixel(s, x, y), red);
}

TEST_P(SurfaceDepthTest, AlphaFromAGreySurface) {
    const int depth = GetParam();
    for (int grey : {128, 255, 77, 0}) {
        CSurface plain;
        plain.CreateBlank(UseDepth(depth), 7, 3);
        plain.Fill(0, 0, 7, 3, static_cast<uint32_t>(grey * 0x010101));
        if (depth == 16 && grey == 128) {
            // Both bytes of the word are 128.
            EXPECT_EQ(plain.Row(1)[2], 128);
            EXPECT_EQ(plain.Row(1)[3], 128);
        }
        CAlphaSurface alpha;
        alpha.CreateBlank(UseDepth(depth), 7, 3);
        const int entry = depth == 32 ? 4 : 3;
        if (depth == 32)
            for (int i = 0; i < 7 * 3; ++i) alpha.GetAlphaMap()[i * 4 + 3] = 0x5A;
        alpha.AlphaFromSurface(plain);
        EXPECT_FALSE(plain.IsLocked());
        const int want = depth == 15 || depth == 16 ? (grey & 0xF8) : grey;
        for (int i = 0; i < 7 * 3; ++i) {
            for (int k = 0; k < 3; ++k)
                ASSERT_EQ(alpha.GetAlphaMap()[i * entry + k], want) << grey << " " << i;
            if (depth == 32) {
                ASSERT_EQ(alpha.GetAlphaMap()[i * 4 + 3], 0x5A);
            }
        }
        if (grey == 128) {
            EXPECT_EQ(want, 128);
        }
    }
}

TEST_P(SurfaceDepthTest, AlphaFileIsReadFromItsFirstByte) {
    const int depth = GetParam();
    TempDir();
    std::filesystem::create_directories("chara");
    std::string bytes;
    for (int i = 0; i < 5 * 3; ++i) bytes.push_back(static_cast<char>(i == 0 ? 0xC3 : i * 17));
    WriteFileBytes("chara/girl.alp", bytes);
    CMemoryImage image(5, 3, "chara/girl.bmp");
    CAlphaSurface s;
    s.CreateFromImage(UseDepth(depth), image);
    const int entry = depth == 32 ? 4 : 3;
    ASSERT_NE(s.GetAlphaMap(), nullptr);
    for (int i = 0; i < 15; ++i) {
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(s.GetAlphaMap()[i * entry + k], static_cast<uint8_t>(bytes[i])) << i;
        if (depth == 32) {
            EXPECT_EQ(s.GetAlphaMap()[i * 4 + 3], 0);
        }
    }
}

TEST_P(SurfaceDepthTest, ShortOrMissingAlphaFile) {
    const int depth = GetParam();
    TempDir();
    WriteFileBytes("short.alp", std::string(4, '\x40'));
    CMemoryImage shortOne(3, 2, "short.bmp"), missing(3, 2, "missing.bfh");
    CAlphaSurface s;
    s.CreateFromImage(UseDepth(depth), shortOne);
    const int entry = depth == 32 ? 4 : 3;
    for (int i = 0; i < 6; ++i) EXPECT_EQ(s.GetAlphaMap()[i * entry], i < 4 ? 0x40 : 0) << i;
    // No alpha file at all: the picture is shown opaque.
    CAlphaSurface m;
    m.CreateFromImage(UseDepth(depth), missing);
    for (int i = 0; i < 6; ++i)
        for (int k = 0; k < 3; ++k) EXPECT_EQ(m.GetAlphaMap()[i * entry + k], 255);
}

TEST(AlphaFileName, ReplacesTheTextAfterTheLastPoint) {
    EXPECT_EQ(CAlphaSurface::AlphaFileName("chara/a01.bmp"), "chara/a01.alp");
    EXPECT_EQ(CAlphaSurface::AlphaFileName("chara/a.b.bfh"), "chara/a.b.alp");
    EXPECT_EQ(CAlphaSurface::AlphaFileName("a.x/noext"), "a.x/noext.alp");
    EXPECT_EQ(CAlphaSurface::AlphaFileName("pic."), "pic.alp");
}

TEST_P(SurfaceDepthTest, BlankRestoreFollowsTheNewFormat) {
    CSurface s;
    s.CreateBlank(UseDepth(GetParam()), 9, 4);
    const int other = GetParam() == 32 ? 16 : 32;
    UseDepth(other);
    s.Restore(other);
    EXPECT_TRUE(s.HasPixels());
    EXPECT_EQ(s.Depth(), other);
    EXPECT_EQ(s.Width(), 9);
    EXPECT_EQ(s.Height(), 4);
}

TEST_P(SurfaceDepthTest, BlankAlphaRestoreKeepsTheAlphaValues) {
    const int depth = GetParam();
    CAlphaSurface s;
    s.CreateBlank(UseDepth(depth), 6, 5);
    CTestRandom rnd(5);
    std::vector<uint8_t> want;
    for (int i = 0; i < 30; ++i)
        for (int k = 0; k < 3; ++k) {
            want.push_back(rnd.Byte());
            s.GetAlphaMap()[i * (depth == 32 ? 4 : 3) + k] = want.back();
        }
    // Also across a change of entry size (3 bytes at 24, 4 at 32).
    const int other = depth == 24 ? 32 : depth == 32 ? 24 : depth;
    UseDepth(other);
    s.Restore(other);
    ASSERT_EQ(s.Depth(), other);
    const int entry = other == 32 ? 4 : 3;
    for (int i = 0; i < 30; ++i)
        for (int k = 0; k < 3; ++k) ASSERT_EQ(s.GetAlphaMap()[i * entry + k], want[i * 3 + k]) << i;
}

std::unique_ptr<CImage> TestLoader(const std::string& path) {
    if (path == "gone.bmp") return nullptr;
    auto image = std::make_unique<CMemoryImage>(4, 2, path);
    for (int i = 0; i < 8; ++i) image->Set(i % 4, i / 4, static_cast<uint8_t>(i * 30), 200, 16);
    return image;
}

TEST_P(SurfaceDepthTest, PictureRestoreReloadsThePictureAndItsAlpha) {
    const int depth = GetParam();
    TempDir();
    WriteFileBytes("pic.alp", std::string(8, '\x11'));
    CSurface::SetImageLoader(&TestLoader);
    auto image = TestLoader("pic.bmp");
    CAlphaSurface s;
    s.CreateFromImage(UseDepth(depth), *image);
    const auto original = Pixels(s);
    s.Fill(0, 0, 4, 2, 0);
    s.ClearAlphaMap(4, 2);
    s.Restore(depth);
    EXPECT_EQ(Pixels(s), original);
    EXPECT_EQ(s.GetAlphaMap()[0], 0x11);
    EXPECT_TRUE(s.FromImage());

    // A picture that can no longer be loaded leaves a blank surface of its size.
    CSurface gone;
    CMemoryImage goneImage(4, 2, "gone.bmp");
    gone.CreateFromImage(UseDepth(depth), goneImage);
    gone.Restore(depth);
    EXPECT_TRUE(gone.HasPixels());
    EXPECT_EQ(gone.Width(), 4);
    EXPECT_EQ(gone.ImagePath(), "gone.bmp");
    CSurface::SetImageLoader(nullptr);
}

INSTANTIATE_TEST_SUITE_P(Depths, SurfaceDepthTest, ::testing::ValuesIn(kDepths));

class SurfaceDeathTest : public CSurfaceTest {
  protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(SurfaceDeathTest, CreationFailuresAreFatalWithTheirMessages) {
    struct Case {
        const char* caption;
        const char* message;
        std::function<void(CPlatformDisplay*)> create;
    } cases[] = {
        {"アプリケーションエラー", "サーフェスの作成に失敗しました:001",
         [](CPlatformDisplay* d) { CSurface().CreateBlank(d, 0, 10); }},
        {"エラー", "サーフェスの作成に失敗しました:03",
         [](CPlatformDisplay* d) { CAlphaSurface().CreateBlank(d, 10, -1); }},
        {"アプリケーションエラー", "サーフェスの作成に失敗しました:002",
         [](CPlatformDisplay* d) { CSurface().CreateFromImage(d, CMemoryImage(0, 4)); }},
        {"エラー", "サーフェスの作成に失敗しました:004",
         [](CPlatformDisplay* d) { CAlphaSurface().CreateFromImage(d, CMemoryImage(4, 0)); }},
        {"エラー", "プライマリサーフェスの作成に失敗しました。",
         [](CPlatformDisplay*) { CSurface().CreatePrimary(nullptr); }},
    };
    for (const Case& c : cases) {
        CPlatformDisplay* display = UseDepth(32);
        EXPECT_EXIT(
            {
                platform.SetLog(stderr);
                c.create(display);
            },
            ::testing::ExitedWithCode(255), BoxPattern(c.caption, c.message));
    }
}

TEST_F(SurfaceDeathTest, UnknownOrUnreadablePixelFormatIsFatal) {
    EXPECT_EXIT(
        {
            platform.SetLog(stderr);
            CSurface().CreateBlank(UseDepth(8), 4, 4);
        },
        ::testing::ExitedWithCode(255), BoxPattern("エラー", "未知のピクセルフォーマットです。"));
    EXPECT_EXIT(
        {
            platform.SetLog(stderr);
            CSurface().CreateBlank(UseDepth(0), 4, 4);
        },
        ::testing::ExitedWithCode(255),
        BoxPattern("エラー", "サーフェスのピクセルフォーマットを得るのに失敗しました。"));
}

}  // namespace
