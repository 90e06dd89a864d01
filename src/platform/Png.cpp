#include "platform/Png.h"

#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v >> 24));
    out.push_back(static_cast<uint8_t>(v >> 16));
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}

void Chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    Put32(out, static_cast<uint32_t>(data.size()));
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    uint32_t crc = crc32(0, out.data() + start, static_cast<uInt>(out.size() - start));
    Put32(out, crc);
}

uint32_t Get32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

int Paeth(int a, int b, int c) {
    int p = a + b - c;
    int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return a;
    if (pb <= pc) return b;
    return c;
}

}  // namespace

bool WritePngRgb32(const std::string& path, const uint32_t* pixels, int width, int height) {
    std::vector<uint8_t> raw;
    raw.reserve(static_cast<size_t>(height) * (width * 3 + 1));
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);
        for (int x = 0; x < width; ++x) {
            uint32_t p = pixels[static_cast<size_t>(y) * width + x];
            raw.push_back(static_cast<uint8_t>(p >> 16));
            raw.push_back(static_cast<uint8_t>(p >> 8));
            raw.push_back(static_cast<uint8_t>(p));
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 6) != Z_OK)
        return false;
    packed.resize(packedSize);

    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> ihdr;
    Put32(ihdr, static_cast<uint32_t>(width));
    Put32(ihdr, static_cast<uint32_t>(height));
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});
    Chunk(out, "IHDR", ihdr);
    Chunk(out, "IDAT", packed);
    Chunk(out, "IEND", {});

    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    ok = std::fclose(f) == 0 && ok;
    return ok;
}

bool ReadPngRgb32(const std::string& path, std::vector<uint32_t>& pixels, int& width, int& height) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    std::vector<uint8_t> file;
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) file.insert(file.end(), buf, buf + n);
    std::fclose(f);
    static const uint8_t kSig[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (file.size() < 8 || std::memcmp(file.data(), kSig, 8) != 0) return false;
    size_t pos = 8;
    int colorType = -1, bitDepth = 0, interlace = 0;
    std::vector<uint8_t> idat;
    width = height = 0;
    while (pos + 12 <= file.size()) {
        uint32_t len = Get32(&file[pos]);
        if (len > file.size() - pos - 12) return false;
        const uint8_t* type = &file[pos + 4];
        const uint8_t* data = &file[pos + 8];
        if (std::memcmp(type, "IHDR", 4) == 0 && len >= 13) {
            width = static_cast<int>(Get32(data));
            height = static_cast<int>(Get32(data + 4));
            bitDepth = data[8];
            colorType = data[9];
            interlace = data[12];
        } else if (std::memcmp(type, "IDAT", 4) == 0) {
            idat.insert(idat.end(), data, data + len);
        } else if (std::memcmp(type, "IEND", 4) == 0) {
            break;
        }
        pos += 12 + len;
    }
    if (bitDepth != 8 || interlace != 0 || (colorType != 2 && colorType != 6)) return false;
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return false;
    int bpp = colorType == 2 ? 3 : 4;
    size_t stride = static_cast<size_t>(width) * bpp;
    std::vector<uint8_t> raw((stride + 1) * height);
    uLongf rawSize = static_cast<uLongf>(raw.size());
    if (uncompress(raw.data(), &rawSize, idat.data(), static_cast<uLong>(idat.size())) != Z_OK ||
        rawSize != raw.size())
        return false;
    std::vector<uint8_t> prev(stride, 0), cur(stride);
    pixels.assign(static_cast<size_t>(width) * height, 0);
    for (int y = 0; y < height; ++y) {
        const uint8_t* line = &raw[y * (stride + 1)];
        int filter = line[0];
        for (size_t i = 0; i < stride; ++i) {
            int a = i >= static_cast<size_t>(bpp) ? cur[i - bpp] : 0;
            int b = prev[i];
            int c = i >= static_cast<size_t>(bpp) ? prev[i - bpp] : 0;
            int x = line[1 + i];
            switch (filter) {
                case 0:
                    break;
                case 1:
                    x += a;
                    break;
                case 2:
                    x += b;
                    break;
                case 3:
                    x += (a + b) / 2;
                    break;
                case 4:
                    x += Paeth(a, b, c);
                    break;
                default:
                    return false;
            }
            cur[i] = static_cast<uint8_t>(x);
        }
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = &cur[static_cast<size_t>(x) * bpp];
            pixels[static_cast<size_t>(y) * width + x] =
                (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
        }
        prev.swap(cur);
    }
    return true;
}
