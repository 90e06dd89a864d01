// Blit between surfaces: clipping and validation, keyed copies, the alpha blend and the alpha-to-alpha
// copy, at every depth.
#include <gtest/gtest.h>

#include <memory>

#include "media/Blit.h"
#include "media/SurfaceTestSupport.h"

using namespace surface_test;

namespace {

class BlitDepthTest : public CSurfaceTest, public ::testing::WithParamInterface<int> {
  protected:
    std::unique_ptr<CSurface> Plain(int w, int h, uint32_t seed) {
        auto s = std::make_unique<CSurface>();
        s->CreateBlank(UseDepth(GetParam()), w, h);
        CTestRandom rnd(seed);
        RandomPixels(*s, rnd);
        // No accidental key pixels: the plain copies below must copy every pixel.
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (IsKey(GetParam(), GetPixel(*s, x, y))) SetPixel(*s, x, y, 0x1234);
        return s;
    }
    std::unique_ptr<CAlphaSurface> WithAlpha(int w, int h, uint32_t seed) {
        auto s = std::make_unique<CAlphaSurface>();
        s->CreateBlank(UseDepth(GetParam()), w, h);
        CTestRandom rnd(seed);
        RandomPixels(*s, rnd);
        const int entry = GetParam() == 32 ? 4 : 3;
        for (int i = 0; i < w * h * entry; ++i) s->GetAlphaMap()[i] = rnd.Byte();
        return s;
    }
    // The pixel of `s` at (x, y) must be what `before` had there.
    static void ExpectUnchanged(const CSurface& s, const std::vector<uint32_t>& before) {
        EXPECT_EQ(Pixels(s), before);
    }
};

TEST_P(BlitDepthTest, DestinationLeftOfZeroCopiesFromLaterColumns) {
    for (bool key : {false, true}) {
        auto src = Plain(20, 5, 1);
        auto dst = Plain(20, 5, 2);
        const auto before = Pixels(*dst);
        dst->Blit(*src, {-10, 0, 10, 5}, {0, 0, 20, 5}, key);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 20; ++x) {
                uint32_t want = x < 10 ? GetPixel(*src, x + 10, y) : before[y * 20 + x];
                if (x < 10 && key && GetParam() == 32)
                    want = (want & 0xFFFFFF) | (before[y * 20 + x] & 0xFF000000u);
                ASSERT_EQ(GetPixel(*dst, x, y), want) << x << "," << y << " key " << key;
            }
    }
}

TEST_P(BlitDepthTest, RightAndBottomOverhangAreClippedOnTheSource) {
    auto src = Plain(20, 10, 3);
    auto dst = Plain(20, 10, 4);
    const auto before = Pixels(*dst);
    dst->Blit(*src, {15, 7, 35, 17}, {0, 0, 20, 10}, false);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) {
            const bool inside = x >= 15 && y >= 7;
            ASSERT_EQ(GetPixel(*dst, x, y), inside ? GetPixel(*src, x - 15, y - 7) : before[y * 20 + x]);
        }
}

TEST_P(BlitDepthTest, InvalidRectanglesDrawNothing) {
    struct Case {
        const char* what;
        CRect dest, src;
    } cases[] = {
        {"source past its right edge", {0, 0, 20, 5}, {5, 0, 25, 5}},
        {"source past its bottom", {0, 0, 20, 5}, {0, 1, 20, 6}},
        {"source left of zero", {0, 0, 5, 5}, {-1, 0, 4, 5}},
        {"different widths", {0, 0, 10, 5}, {0, 0, 11, 5}},
        {"different heights", {0, 0, 10, 4}, {0, 0, 10, 5}},
        {"empty", {3, 0, 3, 5}, {3, 0, 3, 5}},
        {"inverted", {10, 0, 5, 5}, {10, 0, 5, 5}},
        {"clipped away on the right", {20, 0, 30, 5}, {0, 0, 10, 5}},
        {"destination clipped, source then outside", {-5, 0, 15, 5}, {-6, 0, 14, 5}},
    };
    for (const Case& c : cases)
        for (bool key : {false, true}) {
            auto src = Plain(20, 5, 5);
            auto dst = Plain(20, 5, 6);
            const auto before = Pixels(*dst);
            dst->Blit(*src, c.dest, c.src, key);
            EXPECT_EQ(Pixels(*dst), before) << c.what << " key " << key;
        }
}

TEST_P(BlitDepthTest, KeyedCopySkipsPureGreenOnly) {
    const int depth = GetParam();
    // The key and its near neighbours; at 32 bits the fourth byte does not matter.
    std::vector<std::pair<uint32_t, bool>> cases;  // pixel, copied
    if (depth == 16)
        cases = {{0x07E0, false}, {0x07E1, true}, {0x07C0, true}, {0x0FE0, true}, {0x03E0, true}};
    else if (depth == 15)
        cases = {{0x03E0, false}, {0x03E1, true}, {0x83E0, true}, {0x07E0, true}};
    else
        cases = {{0x00FF00, false}, {0x00FE00, true}, {0x01FF00, true}, {0x00FF01, true}};
    if (depth == 32)
        for (uint32_t x : {0x01u, 0x80u, 0xFFu}) cases.push_back({0x00FF00 | x << 24, false});
    auto src = Plain(static_cast<int>(cases.size()), 1, 7);
    auto dst = Plain(static_cast<int>(cases.size()), 1, 8);
    for (size_t i = 0; i < cases.size(); ++i) SetPixel(*src, static_cast<int>(i), 0, cases[i].first);
    const auto before = Pixels(*dst);
    const int w = static_cast<int>(cases.size());
    dst->Blit(*src, {0, 0, w, 1}, {0, 0, w, 1}, true);
    for (size_t i = 0; i < cases.size(); ++i) {
        uint32_t want = cases[i].second ? cases[i].first : before[i];
        if (depth == 32 && cases[i].second) want = (want & 0xFFFFFF) | (before[i] & 0xFF000000u);
        EXPECT_EQ(GetPixel(*dst, static_cast<int>(i), 0), want) << std::hex << cases[i].first;
    }
    // Without the key flag the key colour is copied like any other.
    dst->Blit(*src, {0, 0, w, 1}, {0, 0, w, 1}, false);
    for (size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(GetPixel(*dst, static_cast<int>(i), 0), cases[i].first);
}

TEST_P(BlitDepthTest, AlphaBlendFollowsTheFormulaOnEveryPath) {
    const int depth = GetParam();
    for (EBlitPath path : {EBlitPath::Scalar, EBlitPath::Sse2, EBlitPath::Avx2}) {
        blit::ForcePath(path);
        auto src = WithAlpha(41, 7, 9);
        auto dst = Plain(45, 9, 10);
        const auto before = Pixels(*dst);
        // Offsets on both sides, so that the alpha entries must follow the source position; the key
        // flag plays no part in a blend.
        dst->Blit(*src, {4, 1, 41, 8}, {3, 0, 40, 7}, true);
        blit::ResetPath();
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 45; ++x) {
                const bool inside = x >= 4 && x < 41 && y >= 1 && y < 8;
                const uint32_t want = inside
                                          ? ReferenceBlend(depth, GetPixel(*src, x - 1, y - 1),
                                                           before[y * 45 + x], AlphaEntry(*src, x - 1, y - 1))
                                          : before[y * 45 + x];
                ASSERT_EQ(GetPixel(*dst, x, y), want) << x << "," << y << " " << blit::PathName(path);
            }
        EXPECT_FALSE(src->IsLocked());
        EXPECT_FALSE(dst->IsLocked());
    }
}

TEST_P(BlitDepthTest, AlphaZeroKeepsTheDestinationAndFullAlphaCoversIt) {
    const int depth = GetParam();
    auto src = WithAlpha(16, 4, 11);
    auto dst = Plain(16, 4, 12);
    const auto before = Pixels(*dst);
    src->ClearAlphaMap(16, 4);
    dst->Blit(*src, {0, 0, 16, 4}, {0, 0, 16, 4}, false);
    // At depth 15 the rebuilt word drops bit 15, which is no part of the colour.
    const uint32_t colour = depth == 15 ? 0x7FFF : 0xFFFFFFFF;
    const auto after = Pixels(*dst);
    for (size_t i = 0; i < before.size(); ++i) EXPECT_EQ(after[i], before[i] & colour) << i;

    const int entry = depth == 32 ? 4 : 3;
    std::fill(src->GetAlphaMap(), src->GetAlphaMap() + 16 * 4 * entry, 255);
    dst->Blit(*src, {0, 0, 16, 4}, {0, 0, 16, 4}, false);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 16; ++x) {
            const uint32_t s = GetPixel(*src, x, y), d = GetPixel(*dst, x, y);
            if (depth == 15) {
                EXPECT_EQ(d, s & 0x7FFF);  // exactly the source (bit 15 is not part of the colour)
            } else if (depth == 16) {
                EXPECT_EQ(d, s);
            } else {
                for (int k = 0; k < 3; ++k) {
                    const int sc = (s >> (8 * k)) & 0xFF, dc = (d >> (8 * k)) & 0xFF;
                    EXPECT_TRUE(dc == sc || dc == sc - 1 || dc == sc + 1) << sc << " " << dc;
                }
            }
        }
}

TEST_P(BlitDepthTest, BlendTwoPixelsWideDrawsNothingAndLeavesSurfacesUsable) {
    auto src = WithAlpha(10, 3, 13);
    auto dst = Plain(10, 3, 14);
    const auto before = Pixels(*dst);
    dst->Blit(*src, {0, 0, 2, 3}, {0, 0, 2, 3}, false);
    EXPECT_EQ(Pixels(*dst), before);
    EXPECT_FALSE(src->IsLocked());
    EXPECT_FALSE(dst->IsLocked());
    // A blend three wide after it works.
    dst->Blit(*src, {0, 0, 3, 3}, {0, 0, 3, 3}, false);
    EXPECT_EQ(GetPixel(*dst, 0, 0),
              ReferenceBlend(GetParam(), GetPixel(*src, 0, 0), before[0], AlphaEntry(*src, 0, 0)));
}

TEST_P(BlitDepthTest, AlphaSurfaceTakesOverPixelsAndAlpha) {
    const int depth = GetParam();
    auto src = WithAlpha(12, 6, 15);
    auto dst = WithAlpha(12, 6, 16);
    const auto before = Pixels(*dst);
    const int entry = depth == 32 ? 4 : 3;
    std::vector<uint8_t> alphaBefore(dst->GetAlphaMap(), dst->GetAlphaMap() + 12 * 6 * entry);
    // Destination starting left of zero: the source columns shift like a plain copy.
    dst->Blit(*src, {-2, 1, 8, 5}, {0, 0, 10, 4}, true);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 12; ++x) {
            const bool inside = x < 8 && y >= 1 && y < 5;
            const int sx = x + 2, sy = y - 1;
            ASSERT_EQ(GetPixel(*dst, x, y), inside ? GetPixel(*src, sx, sy) : before[y * 12 + x])
                << x << "," << y;
            const uint8_t* e = AlphaEntry(*dst, x, y);
            const uint8_t* old = alphaBefore.data() + (y * 12 + x) * entry;
            for (int k = 0; k < entry; ++k) {
                const bool taken = inside && k < 3;  // the fourth byte of a 32-bit entry stays
                ASSERT_EQ(e[k], taken ? AlphaEntry(*src, sx, sy)[k] : old[k])
                    << x << "," << y << " byte " << k;
            }
        }
}

TEST_P(BlitDepthTest, AlphaSurfaceRefusesASourceRectangleOutsideTheSource) {
    auto src = WithAlpha(8, 4, 17);
    auto dst = WithAlpha(8, 4, 18);
    const auto before = Pixels(*dst);
    dst->Blit(*src, {0, 0, 8, 4}, {2, 0, 10, 4}, false);
    EXPECT_EQ(Pixels(*dst), before);
}

TEST_P(BlitDepthTest, SurfacesOfAnotherFormatAreNotMixed) {
    auto src = Plain(8, 4, 19);
    auto dst = std::make_unique<CSurface>();
    dst->CreateBlank(UseDepth(GetParam() == 32 ? 16 : 32), 8, 4);
    const auto before = Pixels(*dst);
    dst->Blit(*src, {0, 0, 8, 4}, {0, 0, 8, 4}, false);
    EXPECT_EQ(Pixels(*dst), before);
}

TEST_P(BlitDepthTest, ReleasedSurfacesAreLeftAlone) {
    auto src = Plain(8, 4, 20);
    auto dst = Plain(8, 4, 21);
    src->Release();
    dst->Blit(*src, {0, 0, 8, 4}, {0, 0, 8, 4}, false);
    EXPECT_FALSE(src->HasPixels());
    dst->Release();
    dst->Blit(*src, {0, 0, 8, 4}, {0, 0, 8, 4}, false);
    dst->Fill(0, 0, 8, 4, 0xFFFFFF);
    EXPECT_FALSE(dst->HasPixels());
}

INSTANTIATE_TEST_SUITE_P(Depths, BlitDepthTest, ::testing::ValuesIn(kDepths));

using BlitDeathTest = BlitDepthTest;

TEST_P(BlitDeathTest, BlendIntoAnAlphaDestinationIsFatal) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto src = WithAlpha(8, 4, 22);
    auto dst = WithAlpha(8, 4, 23);
    EXPECT_EXIT(
        {
            platform.SetLog(stderr);
            dst->CSurface::Blit(*src, {0, 0, 8, 4}, {0, 0, 8, 4}, false);
        },
        ::testing::ExitedWithCode(255), BoxPattern("エラー", "BLTの失敗"));
}

TEST_P(BlitDeathTest, AlphaCopyFromAPlainSourceIsFatal) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto src = Plain(8, 4, 24);
    auto dst = WithAlpha(8, 4, 25);
    EXPECT_EXIT(
        {
            platform.SetLog(stderr);
            dst->Blit(*src, {0, 0, 8, 4}, {0, 0, 8, 4}, false);
        },
        ::testing::ExitedWithCode(255), BoxPattern("エラー", "非αデータ　→　αデータ転送エラー"));
}

INSTANTIATE_TEST_SUITE_P(Depths, BlitDeathTest, ::testing::Values(16, 32));

}  // namespace
