#pragma once
// Entry points of the per-path blend and keyed-copy kernels (scalar in Blit.cpp, vector in
// Blit_sse2.cpp and Blit_avx2.cpp). Only Blit.cpp's dispatch calls the vector ones.

#include <cstdint>

namespace blit::detail {

// The 24- and 32-bit blend of one row as a stream of bytes: byte i takes alpha byte i. With
// `keepFourth`, every fourth byte (byte 3 of a 32-bit pixel) keeps the destination's value.
void BlendBytesRowScalar(uint8_t* dst, const uint8_t* src, const uint8_t* alpha, int bytes, bool keepFourth);
void BlendRow15Scalar(uint16_t* dst, const uint16_t* src, const uint8_t* alpha, int width);
void BlendRow16Scalar(uint16_t* dst, const uint16_t* src, const uint8_t* alpha, int width);

// The vector paths of the 16-bit blend map a >= 254 to the weight 256, which makes the formula give
// the source exactly, as the scalar rule "the pixel becomes the source" does. (No inline helpers here:
// this header is also compiled for AVX2.)

void BlendBytesRowSse2(uint8_t* dst, const uint8_t* src, const uint8_t* alpha, int bytes, bool keepFourth);
void BlendRow16Sse2(uint16_t* dst, const uint16_t* src, const uint8_t* alpha, int width);
void KeyedRow16Sse2(uint16_t* dst, const uint16_t* src, int width, uint16_t key);
void KeyedRow32Sse2(uint8_t* dst, const uint8_t* src, int width);

void BlendBytesRowAvx2(uint8_t* dst, const uint8_t* src, const uint8_t* alpha, int bytes, bool keepFourth);
void BlendRow16Avx2(uint16_t* dst, const uint16_t* src, const uint8_t* alpha, int width);

}  // namespace blit::detail
