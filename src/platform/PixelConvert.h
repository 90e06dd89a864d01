#pragma once
#include <cstdint>

// Converts a rectangle of a picture in one of the game's pixel formats (15: x-5-5-5, 16: 5-6-5,
// 24: B G R bytes, 32: B G R x bytes) into 0x00RRGGBB pixels of a destination of the given size, at the
// same coordinates. Parts outside the destination are cut. 5- and 6-bit channels are widened by
// repeating their high bits, so white stays white.
void ConvertToRgb32(const uint8_t* src, int pitch, int depth, int x, int y, int w, int h, uint32_t* dst,
                    int dstWidth, int dstHeight);
