// The SSE2 kernels. Exact: the truncation toward zero of (s - d) * a / 256 is taken from the absolute
// difference (its product's bits 8-15) and then added or subtracted by the sign of the difference.
#if defined(__SSE2__)

#include <emmintrin.h>

#include "media/BlitKernels.h"

namespace blit::detail {
namespace {

// Bytes of the pixels that the 32-bit blend writes: the fourth byte of each pixel keeps its value.
inline __m128i ColourBytesMask() {
    return _mm_set1_epi32(0x00FFFFFF);
}

inline __m128i BlendBytes(__m128i s, __m128i d, __m128i a) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i pos = _mm_subs_epu8(s, d);
    const __m128i neg = _mm_subs_epu8(d, s);
    const __m128i diff = _mm_or_si128(pos, neg);
    const __m128i lo =
        _mm_srli_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(diff, zero), _mm_unpacklo_epi8(a, zero)), 8);
    const __m128i hi =
        _mm_srli_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(diff, zero), _mm_unpackhi_epi8(a, zero)), 8);
    const __m128i mag = _mm_packus_epi16(lo, hi);
    // mag <= |s - d|, so only the side that holds the difference lets it through.
    return _mm_sub_epi8(_mm_add_epi8(d, _mm_min_epu8(mag, pos)), _mm_min_epu8(mag, neg));
}

inline __m128i BlendField(__m128i sf, __m128i df, __m128i u) {
    const __m128i diff = _mm_sub_epi16(sf, df);
    const __m128i sign = _mm_srai_epi16(diff, 15);
    const __m128i absd = _mm_sub_epi16(_mm_xor_si128(diff, sign), sign);
    const __m128i mag = _mm_srli_epi16(_mm_mullo_epi16(absd, u), 8);
    return _mm_add_epi16(df, _mm_sub_epi16(_mm_xor_si128(mag, sign), sign));
}

inline uint16_t Weight16(uint8_t a) {
    return a == 0 ? 0 : a >= 254 ? 256 : static_cast<uint16_t>(a + 1);
}

inline __m128i Blend565x8(__m128i s, __m128i d, __m128i u) {
    const __m128i m5 = _mm_set1_epi16(31);
    const __m128i m6 = _mm_set1_epi16(63);
    const __m128i r = BlendField(_mm_srli_epi16(s, 11), _mm_srli_epi16(d, 11), u);
    const __m128i g =
        BlendField(_mm_and_si128(_mm_srli_epi16(s, 5), m6), _mm_and_si128(_mm_srli_epi16(d, 5), m6), u);
    const __m128i b = BlendField(_mm_and_si128(s, m5), _mm_and_si128(d, m5), u);
    return _mm_or_si128(_mm_or_si128(_mm_slli_epi16(r, 11), _mm_slli_epi16(g, 5)), b);
}

}  // namespace

void BlendBytesRowSse2(uint8_t* dst, const uint8_t* src, const uint8_t* alpha, int bytes, bool keepFourth) {
    const __m128i keep = ColourBytesMask();
    int i = 0;
    for (; i + 16 <= bytes; i += 16) {
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(alpha + i));
        __m128i r = BlendBytes(s, d, a);
        if (keepFourth) r = _mm_or_si128(_mm_and_si128(r, keep), _mm_andnot_si128(keep, d));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), r);
    }
    // Groups start at pixel boundaries, so the tail is whole pixels at depth 32.
    BlendBytesRowScalar(dst + i, src + i, alpha + i, bytes - i, keepFourth);
}

void BlendRow16Sse2(uint16_t* dst, const uint16_t* src, const uint8_t* alpha, int width) {
    int x = 0;
    for (; x + 8 <= width; x += 8) {
        const uint8_t* a = alpha + 3 * x;
        const __m128i u = _mm_setr_epi16(Weight16(a[0]), Weight16(a[3]), Weight16(a[6]), Weight16(a[9]),
                                         Weight16(a[12]), Weight16(a[15]), Weight16(a[18]), Weight16(a[21]));
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + x));
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + x), Blend565x8(s, d, u));
    }
    BlendRow16Scalar(dst + x, src + x, alpha + 3 * x, width - x);
}

void KeyedRow16Sse2(uint16_t* dst, const uint16_t* src, int width, uint16_t key) {
    const __m128i k = _mm_set1_epi16(static_cast<short>(key));
    int x = 0;
    for (; x + 8 <= width; x += 8) {
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + x));
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + x));
        const __m128i skip = _mm_cmpeq_epi16(s, k);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + x),
                         _mm_or_si128(_mm_andnot_si128(skip, s), _mm_and_si128(skip, d)));
    }
    for (; x < width; ++x)
        if (src[x] != key) dst[x] = src[x];
}

void KeyedRow32Sse2(uint8_t* dst, const uint8_t* src, int width) {
    const __m128i colour = ColourBytesMask();
    const __m128i green = _mm_set1_epi32(0x0000FF00);
    int x = 0;
    for (; x + 4 <= width; x += 4) {
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 4 * x));
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + 4 * x));
        const __m128i skip = _mm_cmpeq_epi32(_mm_and_si128(s, colour), green);
        const __m128i write = _mm_andnot_si128(skip, colour);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 4 * x),
                         _mm_or_si128(_mm_and_si128(write, s), _mm_andnot_si128(write, d)));
    }
    for (; x < width; ++x) {
        const uint8_t* s = src + 4 * x;
        uint8_t* d = dst + 4 * x;
        if (s[0] == 0 && s[1] == 255 && s[2] == 0) continue;
        d[0] = s[0];
        d[1] = s[1];
        d[2] = s[2];
    }
}

}  // namespace blit::detail

#endif
