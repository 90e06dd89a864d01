#pragma once
// The pixel kernels of the blitter on locked rows: plain copy, colour-keyed copy and the per-pixel
// alpha blend at depths 15, 16, 24 and 32. Rectangles are already clipped and validated by the
// caller; pointers are to the first pixel of the rectangle.
//
// The blends of depths 16, 24 and 32 have vector paths (SSE2, AVX2) chosen at run time; they give
// exactly the scalar formula's result. Tests and benchmarks may force a path.

#include <cstdint>

enum class EBlitPath { Scalar, Sse2, Avx2 };

namespace blit {

// Whether the processor can run the path (Scalar always).
bool PathAvailable(EBlitPath path);
// The path the blends use now: the best available unless forced.
EBlitPath ActivePath();
// Forces a path (an unavailable one falls back to the best available); `ResetPath` undoes it.
void ForcePath(EBlitPath path);
void ResetPath();
const char* PathName(EBlitPath path);

// Rows of `bytes` bytes each.
void CopyRows(uint8_t* dst, int dstPitch, const uint8_t* src, int srcPitch, int bytes, int rows);

// Copies every source pixel that is not pure green (0x03E0 at depth 15, 0x07E0 at 16, bytes
// 0, 255, 0 at 24 and 32). At depth 32 only the three colour bytes are written.
void KeyedCopy(int depth, uint8_t* dst, int dstPitch, const uint8_t* src, int srcPitch, int width,
               int height);

// Blends the source into the destination with the alpha entries (3 bytes each, 4 at depth 32).
// Draws nothing when the rectangle is narrower than 3 pixels.
void AlphaBlend(int depth, uint8_t* dst, int dstPitch, const uint8_t* src, int srcPitch, const uint8_t* alpha,
                int alphaPitch, int width, int height);
// The same on a given path (an unavailable one falls back to scalar).
void AlphaBlendOn(EBlitPath path, int depth, uint8_t* dst, int dstPitch, const uint8_t* src, int srcPitch,
                  const uint8_t* alpha, int alphaPitch, int width, int height);

// The fill value of a colour 0x00BBGGRR at a depth, with its 15- and 16-bit conversions.
uint32_t FillValue(int depth, uint32_t colour);

}  // namespace blit
