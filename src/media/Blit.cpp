#include "media/Blit.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "media/BlitKernels.h"

namespace blit {
namespace {

EBlitPath BestPath() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) return EBlitPath::Avx2;
    if (__builtin_cpu_supports("sse2")) return EBlitPath::Sse2;
#endif
    return EBlitPath::Scalar;
}

EBlitPath DetectedPath() {
    static const EBlitPath best = BestPath();
    return best;
}

// -1: not forced; else the forced path.
std::atomic<int> g_Forced{-1};

inline uint16_t Load16(const uint8_t* p) {
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}

inline void Store16(uint8_t* p, uint16_t v) {
    std::memcpy(p, &v, 2);
}

}  // namespace

bool PathAvailable(EBlitPath path) {
    switch (path) {
        case EBlitPath::Scalar:
            return true;
        case EBlitPath::Sse2:
            return DetectedPath() != EBlitPath::Scalar;
        case EBlitPath::Avx2:
            return DetectedPath() == EBlitPath::Avx2;
    }
    return false;
}

EBlitPath ActivePath() {
    int forced = g_Forced.load(std::memory_order_relaxed);
    if (forced < 0) return DetectedPath();
    return static_cast<EBlitPath>(forced);
}

void ForcePath(EBlitPath path) {
    while (!PathAvailable(path)) path = static_cast<EBlitPath>(static_cast<int>(path) - 1);
    g_Forced.store(static_cast<int>(path), std::memory_order_relaxed);
}

void ResetPath() {
    g_Forced.store(-1, std::memory_order_relaxed);
}

const char* PathName(EBlitPath path) {
    switch (path) {
        case EBlitPath::Scalar:
            return "scalar";
        case EBlitPath::Sse2:
            return "sse2";
        case EBlitPath::Avx2:
            return "avx2";
    }
    return "?";
}

void CopyRows(uint8_t* dst, int dstPitch, const uint8_t* src, int srcPitch, int bytes, int rows) {
    if (bytes <= 0 || rows <= 0) return;
    if (dstPitch == bytes && srcPitch == bytes) {
        std::memmove(dst, src, static_cast<size_t>(bytes) * rows);
        return;
    }
    // A copy within one surface may overlap: walk rows in the direction that reads before it writes.
    if (dst > src && dst < src + static_cast<ptrdiff_t>(srcPitch) * rows) {
        for (int y = rows - 1; y >= 0; --y)
            std::memmove(dst + static_cast<ptrdiff_t>(y) * dstPitch,
                         src + static_cast<ptrdiff_t>(y) * srcPitch, bytes);
        return;
    }
    for (int y = 0; y < rows; ++y)
        std::memmove(dst + static_cast<ptrdiff_t>(y) * dstPitch, src + static_cast<ptrdiff_t>(y) * srcPitch,
                     bytes);
}

void KeyedCopy(int depth, uint8_t* dst, int dstPitch, const uint8_t* src, int srcPitch, int width,
               int height) {
    if (width <= 0 || height <= 0) return;
    const bool vector = ActivePath() != EBlitPath::Scalar;
    for (int y = 0; y < height; ++y) {
        uint8_t* d = dst + static_cast<ptrdiff_t>(y) * dstPitch;
        const uint8_t* s = src + static_cast<ptrdiff_t>(y) * srcPitch;
        switch (depth) {
            case 15:
            case 16: {
                const uint16_t key = depth == 15 ? 0x03E0 : 0x07E0;
#if defined(__SSE2__)
                if (vector) {
                    detail::KeyedRow16Sse2(reinterpret_cast<uint16_t*>(d),
                                           reinterpret_cast<const uint16_t*>(s), width, key);
                    break;
                }
#endif
                for (int x = 0; x < width; ++x) {
                    uint16_t v = Load16(s + 2 * x);
                    if (v != key) Store16(d + 2 * x, v);
                }
                break;
            }
            case 24:
                for (int x = 0; x < width; ++x, s += 3, d += 3) {
                    if (s[0] == 0 && s[1] == 255 && s[2] == 0) continue;
                    d[0] = s[0];
                    d[1] = s[1];
                    d[2] = s[2];
                }
                break;
            case 32:
#if defined(__SSE2__)
                if (vector) {
                    detail::KeyedRow32Sse2(d, s, width);
                    break;
                }
#endif
                for (int x = 0; x < width; ++x, s += 4, d += 4) {
                    if (s[0] == 0 && s[1] == 255 && s[2] == 0) continue;
                    d[0] = s[0];
                    d[1] = s[1];
                    d[2] = s[2];
                }
                break;
            default:
                return;
        }
    }
    (void)vector;
}

namespace detail {

void BlendBytesRowScalar(uint8_t* dst, const uint8_t* src, const uint8_t* alpha, int bytes, bool keepFourth) {
    for (int i = 0; i < bytes; ++i) {
        if (keepFourth && (i & 3) == 3) continue;
        const int d = dst[i];
        // C++ division truncates toward zero, as the blend wants for negative differences.
        dst[i] = static_cast<uint8_t>(d + (src[i] - d) * alpha[i] / 256);
    }
}

void BlendRow15Scalar(uint16_t* dst, const uint16_t* src, const uint8_t* alpha, int width) {
    for (int x = 0; x < width; ++x, alpha += 3) {
        const int s = src[x];
        const int d = dst[x];
        int c[3];
        for (int k = 0; k < 3; ++k) {
            const int shift = 5 * k;  // blue, green, red
            const int sc = (s >> shift) & 31;
            const int dc = (d >> shift) & 31;
            const int a = alpha[k];
            int v = a == 255 ? sc : dc + (sc - dc) * a / 256;
            c[k] = std::clamp(v, 0, 31);
        }
        dst[x] = static_cast<uint16_t>(c[2] << 10 | c[1] << 5 | c[0]);
    }
}

void BlendRow16Scalar(uint16_t* dst, const uint16_t* src, const uint8_t* alpha, int width) {
    for (int x = 0; x < width; ++x, alpha += 3) {
        const int a = alpha[0];
        const int u = a == 0 ? 0 : a == 255 ? 256 : a + 1;
        if (u >= 255) {
            dst[x] = src[x];
            continue;
        }
        const int s = src[x];
        const int d = dst[x];
        const int sr = s >> 11, sg = (s >> 5) & 63, sb = s & 31;
        const int dr = d >> 11, dg = (d >> 5) & 63, db = d & 31;
        const int r = std::clamp(dr + (sr - dr) * u / 256, 0, 31);
        const int g = std::clamp(dg + (sg - dg) * u / 256, 0, 63);
        const int b = std::clamp(db + (sb - db) * u / 256, 0, 31);
        dst[x] = static_cast<uint16_t>(r << 11 | g << 5 | b);
    }
}

}  // namespace detail

void AlphaBlendOn(EBlitPath path, int depth, uint8_t* dst, int dstPitch, const uint8_t* src, int srcPitch,
                  const uint8_t* alpha, int alphaPitch, int width, int height) {
    if (width < 3 || height <= 0) return;
    if (!PathAvailable(path)) path = EBlitPath::Scalar;
#if !defined(__SSE2__)
    path = EBlitPath::Scalar;
#endif
    for (int y = 0; y < height; ++y) {
        uint8_t* d = dst + static_cast<ptrdiff_t>(y) * dstPitch;
        const uint8_t* s = src + static_cast<ptrdiff_t>(y) * srcPitch;
        const uint8_t* a = alpha + static_cast<ptrdiff_t>(y) * alphaPitch;
        switch (depth) {
            case 15:
                detail::BlendRow15Scalar(reinterpret_cast<uint16_t*>(d), reinterpret_cast<const uint16_t*>(s),
                                         a, width);
                break;
            case 16: {
                auto* d16 = reinterpret_cast<uint16_t*>(d);
                auto* s16 = reinterpret_cast<const uint16_t*>(s);
#if defined(__SSE2__)
                if (path == EBlitPath::Avx2) {
                    detail::BlendRow16Avx2(d16, s16, a, width);
                    break;
                }
                if (path == EBlitPath::Sse2) {
                    detail::BlendRow16Sse2(d16, s16, a, width);
                    break;
                }
#endif
                detail::BlendRow16Scalar(d16, s16, a, width);
                break;
            }
            case 24:
            case 32: {
                const int bytes = width * (depth / 8);
                const bool keep = depth == 32;
                // At depth 24 an alpha entry is 3 bytes like the pixel, at 32 four: the map and the pixels
                // line up byte for byte, so a row is one stream of bytes.
#if defined(__SSE2__)
                if (path == EBlitPath::Avx2) {
                    detail::BlendBytesRowAvx2(d, s, a, bytes, keep);
                    break;
                }
                if (path == EBlitPath::Sse2) {
                    detail::BlendBytesRowSse2(d, s, a, bytes, keep);
                    break;
                }
#endif
                detail::BlendBytesRowScalar(d, s, a, bytes, keep);
                break;
            }
            default:
                return;
        }
    }
}

void AlphaBlend(int depth, uint8_t* dst, int dstPitch, const uint8_t* src, int srcPitch, const uint8_t* alpha,
                int alphaPitch, int width, int height) {
    AlphaBlendOn(ActivePath(), depth, dst, dstPitch, src, srcPitch, alpha, alphaPitch, width, height);
}

uint32_t FillValue(int depth, uint32_t colour) {
    colour &= 0x00FFFFFF;
    const uint32_t r = colour & 0xFF, g = (colour >> 8) & 0xFF, b = (colour >> 16) & 0xFF;
    if (depth == 24 || depth == 32) return r << 16 | g << 8 | b;
    // The 15- and 16-bit fills know pure red and yellow; every other colour becomes the word of its green
    // and blue bytes, exact for black and white and giving a grey v a low byte of v.
    if (colour == 0x0000FF) return depth == 15 ? 0x7C00 : 0xF800;
    if (colour == 0x00FFFF) return depth == 15 ? 0x7FE0 : 0xFFC0;
    return g << 8 | b;
}

}  // namespace blit
