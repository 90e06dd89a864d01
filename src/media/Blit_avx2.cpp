// The AVX2 kernels: the SSE2 formulas on 32 bytes (16 pixels of 16 bits) at a time. Entered only when
// the processor reports AVX2.
#if defined(__AVX2__)

#include <immintrin.h>

#include "media/BlitKernels.h"

namespace blit::detail {
namespace {

inline __m256i BlendBytes(__m256i s, __m256i d, __m256i a) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i pos = _mm256_subs_epu8(s, d);
    const __m256i neg = _mm256_subs_epu8(d, s);
    const __m256i diff = _mm256_or_si256(pos, neg);
    // Unpack and pack work within each 128-bit half alike, so the bytes come back in place.
    const __m256i lo = _mm256_srli_epi16(
        _mm256_mullo_epi16(_mm256_unpacklo_epi8(diff, zero), _mm256_unpacklo_epi8(a, zero)), 8);
    const __m256i hi = _mm256_srli_epi16(
        _mm256_mullo_epi16(_mm256_unpackhi_epi8(diff, zero), _mm256_unpackhi_epi8(a, zero)), 8);
    const __m256i mag = _mm256_packus_epi16(lo, hi);
    return _mm256_sub_epi8(_mm256_add_epi8(d, _mm256_min_epu8(mag, pos)), _mm256_min_epu8(mag, neg));
}

inline __m256i BlendField(__m256i sf, __m256i df, __m256i u) {
    const __m256i diff = _mm256_sub_epi16(sf, df);
    const __m256i sign = _mm256_srai_epi16(diff, 15);
    const __m256i absd = _mm256_sub_epi16(_mm256_xor_si256(diff, sign), sign);
    const __m256i mag = _mm256_srli_epi16(_mm256_mullo_epi16(absd, u), 8);
    return _mm256_add_epi16(df, _mm256_sub_epi16(_mm256_xor_si256(mag, sign), sign));
}

// Byte 0 of the eight 3-byte alpha entries at `a`, as 16-bit lanes: bytes 0..15 hold entries 0-5
// (offsets 0, 3, ... 15) and bytes 8..23 entries 6 and 7 (offsets 10 and 13 of that load).
inline __m128i Gather8(const uint8_t* a) {
    const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a));
    const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + 8));
    const __m128i pickFirst = _mm_setr_epi8(0, -1, 3, -1, 6, -1, 9, -1, 12, -1, 15, -1, -1, -1, -1, -1);
    const __m128i pickSecond = _mm_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 10, -1, 13, -1);
    return _mm_or_si128(_mm_shuffle_epi8(first, pickFirst), _mm_shuffle_epi8(second, pickSecond));
}

// The 16-bit blend's weight: 0 for 0, a + 1, and 256 from 254 on (the source exactly).
inline __m256i Weights(__m256i a) {
    __m256i u = _mm256_add_epi16(a, _mm256_set1_epi16(1));
    u = _mm256_sub_epi16(u, _mm256_cmpeq_epi16(a, _mm256_set1_epi16(254)));
    return _mm256_andnot_si256(_mm256_cmpeq_epi16(a, _mm256_setzero_si256()), u);
}

}  // namespace

void BlendBytesRowAvx2(uint8_t* dst, const uint8_t* src, const uint8_t* alpha, int bytes, bool keepFourth) {
    const __m256i keep = _mm256_set1_epi32(0x00FFFFFF);
    int i = 0;
    for (; i + 32 <= bytes; i += 32) {
        const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
        const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst + i));
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(alpha + i));
        __m256i r = BlendBytes(s, d, a);
        if (keepFourth) r = _mm256_or_si256(_mm256_and_si256(r, keep), _mm256_andnot_si256(keep, d));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), r);
    }
    BlendBytesRowSse2(dst + i, src + i, alpha + i, bytes - i, keepFourth);
}

void BlendRow16Avx2(uint16_t* dst, const uint16_t* src, const uint8_t* alpha, int width) {
    const __m256i m5 = _mm256_set1_epi16(31);
    const __m256i m6 = _mm256_set1_epi16(63);
    int x = 0;
    for (; x + 16 <= width; x += 16) {
        const uint8_t* a = alpha + 3 * x;
        const __m256i u = Weights(_mm256_set_m128i(Gather8(a + 24), Gather8(a)));
        const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + x));
        const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst + x));
        const __m256i r = BlendField(_mm256_srli_epi16(s, 11), _mm256_srli_epi16(d, 11), u);
        const __m256i g = BlendField(_mm256_and_si256(_mm256_srli_epi16(s, 5), m6),
                                     _mm256_and_si256(_mm256_srli_epi16(d, 5), m6), u);
        const __m256i b = BlendField(_mm256_and_si256(s, m5), _mm256_and_si256(d, m5), u);
        const __m256i out =
            _mm256_or_si256(_mm256_or_si256(_mm256_slli_epi16(r, 11), _mm256_slli_epi16(g, 5)), b);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + x), out);
    }
    BlendRow16Sse2(dst + x, src + x, alpha + 3 * x, width - x);
}

}  // namespace blit::detail

#endif
