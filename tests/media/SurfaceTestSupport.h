#pragma once
// Helpers of the surface and blitter tests: an in-memory picture, pixel access by depth independent of
// the code under test, a seeded generator, and the blend formulas written out per pixel in floating
// point (the truncation toward zero taken with std::trunc), to compare the kernels against.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "media/AlphaSurface.h"
#include "media/Surface.h"
#include "resources/Image.h"
#include "support/TestPlatform.h"

namespace surface_test {

constexpr int kDepths[] = {15, 16, 24, 32};

inline int BytesOf(int depth) {
    return depth == 32 ? 4 : depth == 24 ? 3 : 2;
}

// A picture held in memory: 24-bit rows of blue, green, red.
class CMemoryImage : public CImage {
  public:
    CMemoryImage(int width, int height, std::string path = "mem/picture.bmp")
        : m_Width(width),
          m_Height(height),
          m_Path(std::move(path)),
          m_Rows(static_cast<size_t>(width) * height * 3) {}
    int Width() const override { return m_Width; }
    int Height() const override { return m_Height; }
    const std::string& Path() const override { return m_Path; }
    const uint8_t* Row24(int y) const override {
        return m_Rows.data() + static_cast<size_t>(y) * m_Width * 3;
    }
    void Set(int x, int y, uint8_t b, uint8_t g, uint8_t r) {
        uint8_t* p = m_Rows.data() + (static_cast<size_t>(y) * m_Width + x) * 3;
        p[0] = b;
        p[1] = g;
        p[2] = r;
    }

  private:
    int m_Width, m_Height;
    std::string m_Path;
    std::vector<uint8_t> m_Rows;
};

// Small linear congruential generator for reproducible test pictures.
class CTestRandom {
  public:
    explicit CTestRandom(uint32_t seed) : m_State(seed) {}
    uint32_t Next() {
        m_State = m_State * 1664525u + 1013904223u;
        return m_State >> 8;
    }
    uint8_t Byte() { return static_cast<uint8_t>(Next()); }

  private:
    uint32_t m_State;
};

// A pixel as its raw value: the 16-bit word, or the bytes little-endian (3 or 4 of them).
inline uint32_t GetPixel(const CSurface& s, int x, int y) {
    const int n = BytesOf(s.Depth());
    uint32_t v = 0;
    std::memcpy(&v, s.Row(y) + static_cast<size_t>(x) * n, n);
    return v;
}

inline void SetPixel(CSurface& s, int x, int y, uint32_t v) {
    const int n = BytesOf(s.Depth());
    std::memcpy(s.Row(y) + static_cast<size_t>(x) * n, &v, n);
}

// Every pixel of a surface, raw values row by row.
inline std::vector<uint32_t> Pixels(const CSurface& s) {
    std::vector<uint32_t> out;
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x) out.push_back(GetPixel(s, x, y));
    return out;
}

inline void RandomPixels(CSurface& s, CTestRandom& rnd) {
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x) SetPixel(s, x, y, rnd.Next());
}

inline uint8_t* AlphaEntry(CAlphaSurface& s, int x, int y) {
    const int stride = s.Depth() == 32 ? 4 : 3;
    return s.GetAlphaMap() + (static_cast<size_t>(y) * s.Width() + x) * stride;
}

inline void SetAlpha(CAlphaSurface& s, int x, int y, uint8_t b, uint8_t g, uint8_t r) {
    uint8_t* e = AlphaEntry(s, x, y);
    e[0] = b;
    e[1] = g;
    e[2] = r;
}

// One channel: d + (s - d) * a / 256, truncated toward zero.
inline int Mix(int s, int d, int a) {
    return d + static_cast<int>(std::trunc((s - d) * static_cast<double>(a) / 256.0));
}

// The blend of one pixel as the display depth defines it; `alpha` points to the entry.
inline uint32_t ReferenceBlend(int depth, uint32_t s, uint32_t d, const uint8_t* alpha) {
    switch (depth) {
        case 15: {
            uint32_t out = 0;
            for (int k = 0; k < 3; ++k) {
                const int sc = (s >> (5 * k)) & 31, dc = (d >> (5 * k)) & 31;
                const int c = alpha[k] == 255 ? sc : Mix(sc, dc, alpha[k]);
                out |= static_cast<uint32_t>(c) << (5 * k);
            }
            return out;
        }
        case 16: {
            const int a = alpha[0];
            if (a >= 254) return s;
            const int u = a == 0 ? 0 : a + 1;
            const int r = Mix(s >> 11, d >> 11, u), g = Mix((s >> 5) & 63, (d >> 5) & 63, u);
            const int b = Mix(s & 31, d & 31, u);
            return static_cast<uint32_t>(r << 11 | g << 5 | b);
        }
        default: {
            uint32_t out = depth == 32 ? (d & 0xFF000000u) : 0;
            for (int k = 0; k < 3; ++k) {
                const int c = Mix((s >> (8 * k)) & 0xFF, (d >> (8 * k)) & 0xFF, alpha[k]);
                out |= static_cast<uint32_t>(c) << (8 * k);
            }
            return out;
        }
    }
}

// The pure green that keyed copies skip, as a raw pixel value (the fourth byte not compared).
inline bool IsKey(int depth, uint32_t v) {
    if (depth == 15) return v == 0x03E0;
    if (depth == 16) return v == 0x07E0;
    return (v & 0xFFFFFF) == 0x00FF00;
}

// What a fatal message box leaves on standard error (the headless log line), for death tests.
inline std::string BoxPattern(const std::string& caption, const std::string& text) {
    return "\"caption\":\"" + caption + "\",\"text\":\"" + text + "\"";
}

// A fixture whose surfaces take the given depth: the desktop is set to it.
class CSurfaceTest : public CPlatformTest {
  protected:
    CPlatformDisplay* UseDepth(int depth) {
        platform.SetDesktopDepth(depth);
        return &platform.Display();
    }
};

}  // namespace surface_test
