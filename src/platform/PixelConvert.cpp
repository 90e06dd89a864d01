#include "platform/PixelConvert.h"

#include <cstring>

void ConvertToRgb32(const uint8_t* src, int pitch, int depth, int x, int y, int w, int h, uint32_t* dst,
                    int dstWidth, int dstHeight) {
    if (x < 0) {
        w += x;
        x = 0;
    }
    if (y < 0) {
        h += y;
        y = 0;
    }
    if (x + w > dstWidth) w = dstWidth - x;
    if (y + h > dstHeight) h = dstHeight - y;
    if (w <= 0 || h <= 0 || !src) return;
    for (int row = y; row < y + h; ++row) {
        const uint8_t* s = src + static_cast<long>(row) * pitch;
        uint32_t* d = dst + static_cast<long>(row) * dstWidth;
        for (int col = x; col < x + w; ++col) {
            uint32_t r, g, b;
            switch (depth) {
                case 15: {
                    uint16_t p;
                    std::memcpy(&p, s + col * 2, 2);
                    r = (p >> 10) & 31;
                    g = (p >> 5) & 31;
                    b = p & 31;
                    r = (r << 3) | (r >> 2);
                    g = (g << 3) | (g >> 2);
                    b = (b << 3) | (b >> 2);
                    break;
                }
                case 16: {
                    uint16_t p;
                    std::memcpy(&p, s + col * 2, 2);
                    r = (p >> 11) & 31;
                    g = (p >> 5) & 63;
                    b = p & 31;
                    r = (r << 3) | (r >> 2);
                    g = (g << 2) | (g >> 4);
                    b = (b << 3) | (b >> 2);
                    break;
                }
                case 24:
                    b = s[col * 3];
                    g = s[col * 3 + 1];
                    r = s[col * 3 + 2];
                    break;
                default:
                    b = s[col * 4];
                    g = s[col * 4 + 1];
                    r = s[col * 4 + 2];
                    break;
            }
            d[col] = (r << 16) | (g << 8) | b;
        }
    }
}
