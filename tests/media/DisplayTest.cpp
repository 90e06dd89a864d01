// The display device: creation failures, screen modes, the factories and the present to the screen.
#include <gtest/gtest.h>

#include <memory>

#include "media/Display.h"
#include "media/SurfaceTestSupport.h"

using namespace surface_test;

namespace {

class DisplayTest : public CSurfaceTest {};

// A 24-bit bitmap file: headers, then the rows bottom first, each padded to 4 bytes.
std::string BitmapFile(int width, int height, uint32_t (*colour)(int x, int y)) {
    const int row = (width * 3 + 3) & ~3;
    std::string out;
    auto u16 = [&](uint32_t v) { out.append({static_cast<char>(v), static_cast<char>(v >> 8)}); };
    auto u32 = [&](uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    };
    out += "BM";
    u32(54 + row * height);
    u32(0);
    u32(54);
    u32(40);
    u32(static_cast<uint32_t>(width));
    u32(static_cast<uint32_t>(height));
    u16(1);
    u16(24);
    for (int i = 0; i < 6; ++i) u32(0);
    for (int y = height - 1; y >= 0; --y) {
        std::string line(row, '\0');
        for (int x = 0; x < width; ++x) {
            const uint32_t c = colour(x, y);  // 0x00RRGGBB
            line[x * 3] = static_cast<char>(c);
            line[x * 3 + 1] = static_cast<char>(c >> 8);
            line[x * 3 + 2] = static_cast<char>(c >> 16);
        }
        out += line;
    }
    return out;
}

TEST_F(DisplayTest, SetModeFollowsTheModeRules) {
    platform.Display().SetFullScreenModes({24, 32});
    CDisplay display(true);
    EXPECT_TRUE(platform.Display().Hardware());
    struct Step {
        int mode;
        bool ok;
        int modeAfter;
    } steps[] = {
        {32, true, 32}, {15, true, 32}, {16, false, 32}, {7, true, 32},
        {24, true, 24}, {0, true, 0},   {15, true, 0},
    };
    for (const Step& s : steps) {
        EXPECT_EQ(display.SetMode(s.mode), s.ok) << s.mode;
        EXPECT_EQ(display.Mode(), s.modeAfter) << s.mode;
        EXPECT_EQ(platform.Display().Mode(), s.modeAfter) << s.mode;
    }
}

TEST_F(DisplayTest, SurfacesTakeTheCurrentModesFormat) {
    platform.SetDesktopDepth(15);
    CDisplay display(false);
    EXPECT_FALSE(platform.Display().Hardware());
    CSurface* s = display.CreateSurface(8, 8);
    EXPECT_EQ(s->Depth(), 15);
    display.ReleaseSurface(s);
    platform.SetDesktopDepth(16);
    s = display.CreateSurface(8, 8);
    EXPECT_EQ(s->Depth(), 16);
    display.ReleaseSurface(s);
    ASSERT_TRUE(display.SetMode(24));
    s = display.CreateSurface(8, 8);
    EXPECT_EQ(s->Depth(), 24);
    EXPECT_EQ(display.SurfaceDepth(), 24);
    display.ReleaseSurface(s);
    display.ReleaseSurface(nullptr);
}

TEST_F(DisplayTest, DestructionBringsTheDesktopModeBack) {
    {
        CDisplay display(true);
        ASSERT_TRUE(display.SetMode(32));
        EXPECT_EQ(platform.Display().Mode(), 32);
    }
    EXPECT_EQ(platform.Display().Mode(), 0);
}

TEST_F(DisplayTest, BlankFactoriesGiveBlackPixelsAndClearAlpha) {
    CDisplay display(true);
    for (int depth : kDepths) {
        platform.SetDesktopDepth(depth);
        CAlphaSurface* a = display.CreateAlphaSurface(5, 4);
        ASSERT_NE(a->GetAlphaMap(), nullptr);
        const int entry = depth == 32 ? 4 : 3;
        for (int i = 0; i < 5 * 4 * entry; ++i) ASSERT_EQ(a->GetAlphaMap()[i], 0);
        for (uint32_t v : Pixels(*a)) ASSERT_EQ(v, 0u);
        display.ReleaseSurface(a);
    }
}

TEST_F(DisplayTest, PicturesFromFiles) {
    TempDir();
    std::filesystem::create_directories("bg");
    WriteFileBytes("bg/sky.bmp", BitmapFile(3, 2, [](int x, int y) {
                       return static_cast<uint32_t>(0x102030 * (x + 1) + y);
                   }));
    WriteFileBytes("bg/sky.alp", std::string("\x01\x02\x03\x04\x05\x06", 6));
    platform.SetDesktopDepth(32);
    CDisplay display(true);
    CSurface* s = display.CreateSurfaceFromImage("bg/sky.bmp");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->Width(), 3);
    EXPECT_EQ(s->Height(), 2);
    EXPECT_EQ(s->ImagePath(), "bg/sky.bmp");
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(GetPixel(*s, x, y) & 0xFFFFFF, 0x102030u * (x + 1) + y) << x << "," << y;
    CAlphaSurface* a = display.CreateAlphaSurfaceFromImage("bg/sky.bmp");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->GetAlphaMap()[0], 1);
    EXPECT_EQ(a->GetAlphaMap()[5 * 4 + 2], 6);
    // The picture comes back from its file after a loss.
    s->Fill(0, 0, 3, 2, 0);
    s->Restore(32);
    EXPECT_EQ(GetPixel(*s, 2, 1) & 0xFFFFFF, 0x102030u * 3 + 1);
    display.ReleaseSurface(s);
    display.ReleaseSurface(a);
    // A missing bitmap gives no surface (after the loader's own message).
    EXPECT_EQ(display.CreateSurfaceFromImage("bg/none.bmp"), nullptr);
    EXPECT_EQ(display.CreateSurfaceFromImage("bg/photo.jpg"), nullptr);
}

TEST_F(DisplayTest, PresentCopiesToTheScreenAndReportsALostPrimary) {
    for (int depth : kDepths) {
        platform.SetDesktopDepth(depth);
        CDisplay display(true);
        CSurface* primary = display.CreatePrimary();
        EXPECT_TRUE(primary->IsPrimary());
        EXPECT_TRUE(platform.Display().HasPrimary());
        CSurface* back = display.CreateSurface(800, 600);
        back->Fill(0, 0, 800, 600, 0x00FFFFFF);
        back->Fill(10, 20, 5, 5, 0x000000FF);
        EXPECT_TRUE(primary->Present(*back, 0, 0, 800, 600));
        EXPECT_EQ(platform.Display().ScreenPixel(12, 22) & 0xF80000, 0xF80000u) << depth;
        EXPECT_EQ(platform.Display().ScreenPixel(12, 22) & 0x00FFFF, 0u) << depth;
        EXPECT_EQ(platform.Display().ScreenPixel(0, 0) & 0xF8F8F8, 0xF8F8F8u) << depth;
        EXPECT_FALSE(primary->IsLost());
        platform.Display().SetPrimaryLost(true);
        EXPECT_TRUE(primary->IsLost());
        EXPECT_FALSE(primary->Present(*back, 0, 0, 800, 600));
        platform.Display().SetPrimaryLost(false);
        // A plain surface is no primary.
        EXPECT_FALSE(back->Present(*back, 0, 0, 800, 600));
        display.ReleaseSurface(back);
        display.ReleaseSurface(primary);
        EXPECT_FALSE(platform.Display().HasPrimary());
    }
}

class DisplayDeathTest : public CSurfaceTest {
  protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(DisplayDeathTest, DeviceAndClipperFailuresAreFatal) {
    EXPECT_EXIT(
        {
            platform.SetLog(stderr);
            platform.Display().SetDeviceFails(true);
            CDisplay display(true);
        },
        ::testing::ExitedWithCode(255),
        BoxPattern("アプリケーション起動エラー",
                   "他の全てのアプリケーションを終了させてから、起動してください。"));
    EXPECT_EXIT(
        {
            platform.SetLog(stderr);
            platform.Display().SetClipperFails(true);
            CDisplay display(true);
        },
        ::testing::ExitedWithCode(255), BoxPattern("アプリケーションエラー", "クリップの作成失敗"));
}

}  // namespace
