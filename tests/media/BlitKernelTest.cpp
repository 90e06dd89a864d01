// The pixel kernels against the per-pixel formulas, and every vector path against the scalar one over
// every (source, destination, alpha) channel triple.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "media/Blit.h"
#include "media/SurfaceTestSupport.h"

using namespace surface_test;

namespace {

std::vector<EBlitPath> VectorPaths() {
    std::vector<EBlitPath> out;
    for (EBlitPath p : {EBlitPath::Sse2, EBlitPath::Avx2})
        if (blit::PathAvailable(p)) out.push_back(p);
    return out;
}

// A raw pixel buffer of one depth with a pitch wider than the row, so that kernels must honour it.
struct CBuffer {
    CBuffer(int depth, int width, int height, int entry)
        : width(width),
          height(height),
          pitch(width * entry + 12),
          bytes(static_cast<size_t>(pitch) * height) {
        (void)depth;
    }
    int width, height, pitch;
    std::vector<uint8_t> bytes;
    uint8_t* At(int x, int y, int entry) { return bytes.data() + static_cast<size_t>(y) * pitch + x * entry; }
};

uint32_t Load(const uint8_t* p, int n) {
    uint32_t v = 0;
    std::memcpy(&v, p, n);
    return v;
}

}  // namespace

TEST(BlitPathTest, ScalarAlwaysAvailableAndForcingFallsBack) {
    EXPECT_TRUE(blit::PathAvailable(EBlitPath::Scalar));
    blit::ForcePath(EBlitPath::Scalar);
    EXPECT_EQ(blit::ActivePath(), EBlitPath::Scalar);
    blit::ForcePath(EBlitPath::Avx2);
    EXPECT_EQ(blit::ActivePath(), blit::PathAvailable(EBlitPath::Avx2)   ? EBlitPath::Avx2
                                  : blit::PathAvailable(EBlitPath::Sse2) ? EBlitPath::Sse2
                                                                         : EBlitPath::Scalar);
    blit::ResetPath();
#if defined(__x86_64__)
    EXPECT_TRUE(blit::PathAvailable(EBlitPath::Sse2));  // part of the x86-64 base
    EXPECT_EQ(blit::PathAvailable(EBlitPath::Avx2), static_cast<bool>(__builtin_cpu_supports("avx2")));
#endif
}

// 24 and 32 bits: each byte k of a pixel blends with alpha byte k. Every one of the 256^3 triples is one
// colour byte of a surface 2047 pixels wide (odd); at depth 32 the fourth byte must stay.
class BlendBytesExhaustive : public ::testing::TestWithParam<int> {};

TEST_P(BlendBytesExhaustive, EveryTripleMatchesFormulaOnEveryPath) {
    const int depth = GetParam(), n = depth / 8;
    const int width = 2047;
    const size_t triples = 256u * 256u * 256u;
    const size_t pixels = (triples + 2) / 3;
    const int height = static_cast<int>((pixels + width - 1) / width);
    CBuffer src(depth, width, height, n), dst(depth, width, height, n), alpha(depth, width, height, n);
    CTestRandom rnd(7);
    size_t t = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int k = 0; k < n; ++k) {
                uint8_t s = rnd.Byte(), d = rnd.Byte(), a = rnd.Byte();
                if (k < 3 && t < triples) {
                    s = static_cast<uint8_t>(t >> 16);
                    d = static_cast<uint8_t>(t >> 8);
                    a = static_cast<uint8_t>(t);
                    ++t;
                }
                src.At(x, y, n)[k] = s;
                dst.At(x, y, n)[k] = d;
                alpha.At(x, y, n)[k] = a;
            }
    ASSERT_EQ(t, triples);

    CBuffer scalar = dst;
    blit::AlphaBlendOn(EBlitPath::Scalar, depth, scalar.bytes.data(), scalar.pitch, src.bytes.data(),
                       src.pitch, alpha.bytes.data(), alpha.pitch, width, height);
    size_t wrong = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint32_t want =
                ReferenceBlend(depth, Load(src.At(x, y, n), n), Load(dst.At(x, y, n), n), alpha.At(x, y, n));
            if (Load(scalar.At(x, y, n), n) != want && ++wrong < 5)
                ADD_FAILURE() << "scalar pixel " << x << "," << y << " got " << Load(scalar.At(x, y, n), n)
                              << " want " << want;
        }
    EXPECT_EQ(wrong, 0u);

    for (EBlitPath path : VectorPaths()) {
        CBuffer vec = dst;
        blit::AlphaBlendOn(path, depth, vec.bytes.data(), vec.pitch, src.bytes.data(), src.pitch,
                           alpha.bytes.data(), alpha.pitch, width, height);
        // The padding past each row must be untouched too, so the whole buffers compare equal.
        EXPECT_TRUE(vec.bytes == scalar.bytes) << blit::PathName(path);
    }
}

INSTANTIATE_TEST_SUITE_P(Depths, BlendBytesExhaustive, ::testing::Values(24, 32));

// 16 bits: one alpha per pixel. Each pixel carries one (source field, destination field, alpha) triple
// with fields 0-63 in green and the 5-bit red and blue fields derived so that every 5-bit pair occurs.
TEST(Blend16Exhaustive, EveryTripleMatchesFormulaOnEveryPath) {
    const int width = 1023;
    const size_t triples = 64u * 64u * 256u;
    const int height = static_cast<int>((triples + width - 1) / width);
    CBuffer src(16, width, height, 2), dst(16, width, height, 2), alpha(16, width, height, 3);
    CTestRandom rnd(11);
    size_t t = 0;
    auto word = [](unsigned f) { return static_cast<uint16_t>((f & 31) << 11 | f << 5 | (f >> 1)); };
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x, ++t) {
            uint16_t s = static_cast<uint16_t>(rnd.Next()), d = static_cast<uint16_t>(rnd.Next());
            uint8_t a = rnd.Byte();
            if (t < triples) {
                s = word(static_cast<unsigned>(t >> 14) & 63);
                d = word(static_cast<unsigned>(t >> 8) & 63);
                a = static_cast<uint8_t>(t);
            }
            std::memcpy(src.At(x, y, 2), &s, 2);
            std::memcpy(dst.At(x, y, 2), &d, 2);
            uint8_t* e = alpha.At(x, y, 3);
            e[0] = a;
            e[1] = rnd.Byte();  // bytes 1 and 2 play no part at this depth
            e[2] = rnd.Byte();
        }

    CBuffer scalar = dst;
    blit::AlphaBlendOn(EBlitPath::Scalar, 16, scalar.bytes.data(), scalar.pitch, src.bytes.data(), src.pitch,
                       alpha.bytes.data(), alpha.pitch, width, height);
    size_t wrong = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint32_t want =
                ReferenceBlend(16, Load(src.At(x, y, 2), 2), Load(dst.At(x, y, 2), 2), alpha.At(x, y, 3));
            if (Load(scalar.At(x, y, 2), 2) != want && ++wrong < 5)
                ADD_FAILURE() << "pixel " << x << "," << y << " got " << Load(scalar.At(x, y, 2), 2)
                              << " want " << want;
        }
    EXPECT_EQ(wrong, 0u);

    for (EBlitPath path : VectorPaths()) {
        CBuffer vec = dst;
        blit::AlphaBlendOn(path, 16, vec.bytes.data(), vec.pitch, src.bytes.data(), src.pitch,
                           alpha.bytes.data(), alpha.pitch, width, height);
        EXPECT_TRUE(vec.bytes == scalar.bytes) << blit::PathName(path);
    }
}

// 15 bits has its own alpha per channel and the rule that 255 gives the source exactly.
TEST(Blend15, MatchesFormulaIncludingFullAlpha) {
    const int width = 257, height = 64;
    CBuffer src(15, width, height, 2), dst(15, width, height, 2), alpha(15, width, height, 3);
    CTestRandom rnd(3);
    for (auto* b : {&src, &dst, &alpha})
        for (auto& v : b->bytes) v = rnd.Byte();
    for (int x = 0; x < width; x += 5)
        alpha.At(x, 0, 3)[0] = alpha.At(x, 0, 3)[1] = alpha.At(x, 0, 3)[2] = 255;
    for (int x = 1; x < width; x += 5) alpha.At(x, 1, 3)[1] = 0;
    for (EBlitPath path : {EBlitPath::Scalar, EBlitPath::Sse2, EBlitPath::Avx2}) {
        CBuffer out = dst;
        blit::AlphaBlendOn(path, 15, out.bytes.data(), out.pitch, src.bytes.data(), src.pitch,
                           alpha.bytes.data(), alpha.pitch, width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                ASSERT_EQ(
                    Load(out.At(x, y, 2), 2),
                    ReferenceBlend(15, Load(src.At(x, y, 2), 2), Load(dst.At(x, y, 2), 2), alpha.At(x, y, 3)))
                    << x << "," << y << " " << blit::PathName(path);
    }
}

TEST(BlendNarrow, FewerThanThreePixelsDrawNothing) {
    for (int depth : kDepths)
        for (EBlitPath path : {EBlitPath::Scalar, EBlitPath::Sse2, EBlitPath::Avx2})
            for (int width : {0, 1, 2}) {
                const int n = BytesOf(depth), entry = depth == 32 ? 4 : 3;
                std::vector<uint8_t> src(64, 0xFF), dst(64, 0x11), alpha(64, 200);
                blit::AlphaBlendOn(path, depth, dst.data(), 32, src.data(), 32, alpha.data(), entry * 2,
                                   width, 2);
                EXPECT_EQ(dst, std::vector<uint8_t>(64, 0x11)) << depth << " " << width << " " << n;
            }
}

// Keyed copies at every depth on both the scalar and the vector path, with many key pixels and
// near misses (one bit off), on an odd width.
TEST(KeyedCopy, SkipsExactlyTheKeyOnEveryPath) {
    for (int depth : kDepths) {
        const int n = BytesOf(depth), width = 37, height = 9;
        CBuffer src(depth, width, height, n), dst(depth, width, height, n);
        CTestRandom rnd(static_cast<uint32_t>(depth));
        const uint32_t key = depth == 15 ? 0x03E0 : depth == 16 ? 0x07E0 : 0x00FF00;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                uint32_t v = rnd.Next();
                switch (rnd.Next() % 4) {
                    case 0:
                        v = key | (depth == 32 ? (rnd.Next() << 24) : 0);
                        break;
                    case 1:
                        v = key ^ (1u << (rnd.Next() % (depth == 15 ? 15 : depth == 16 ? 16 : 24)));
                        break;
                    default:
                        break;
                }
                std::memcpy(src.At(x, y, n), &v, n);
            }
        CTestRandom fill(99);
        for (auto& b : dst.bytes) b = fill.Byte();
        for (EBlitPath path : {EBlitPath::Scalar, EBlitPath::Sse2, EBlitPath::Avx2}) {
            blit::ForcePath(path);
            CBuffer out = dst;
            blit::KeyedCopy(depth, out.bytes.data(), out.pitch, src.bytes.data(), src.pitch, width, height);
            blit::ResetPath();
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) {
                    const uint32_t s = Load(src.At(x, y, n), n), d = Load(dst.At(x, y, n), n);
                    uint32_t want = IsKey(depth, s) ? d : s;
                    if (depth == 32 && !IsKey(depth, s)) want = (s & 0xFFFFFF) | (d & 0xFF000000u);
                    ASSERT_EQ(Load(out.At(x, y, n), n), want) << depth << " " << x << "," << y;
                }
            // Bytes past the rectangle's rows stay.
            for (int y = 0; y < height; ++y)
                ASSERT_EQ(0, std::memcmp(out.At(width, y, n), dst.At(width, y, n), out.pitch - width * n));
        }
    }
}

TEST(FillValue, ConvertsColourReferencesPerDepth) {
    struct Case {
        int depth;
        uint32_t colour, want;
    } cases[] = {
        {32, 0x00112233, 0x00332211}, {24, 0x00FFFFFF, 0x00FFFFFF}, {32, 0x000000FF, 0x00FF0000},
        {15, 0x000000FF, 0x7C00},     {15, 0x0000FFFF, 0x7FE0},     {15, 0x00000000, 0x0000},
        {15, 0x00FFFFFF, 0xFFFF},     {15, 0x00808080, 0x8080},     {15, 0x00203040, 0x3020},
        {16, 0x000000FF, 0xF800},     {16, 0x0000FFFF, 0xFFC0},     {16, 0x00808080, 0x8080},
        {16, 0x00FF0000, 0x00FF},     {16, 0x0000FF00, 0xFF00},     {16, 0x00FFFFFF, 0xFFFF},
    };
    for (const Case& c : cases)
        EXPECT_EQ(blit::FillValue(c.depth, c.colour), c.want) << c.depth << " " << std::hex << c.colour;
}
