#include "resources/LzssEncoder.h"

#include <algorithm>
#include <cstring>

#include "resources/Lzss.h"

namespace {

constexpr int kHashBits = 15;
constexpr uint32_t kHashSize = 1u << kHashBits;

inline uint32_t Hash3(const uint8_t* p) {
    const uint32_t v =
        static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16;
    return (v * 2654435761u) >> (32 - kHashBits);
}

}  // namespace

std::vector<uint8_t> LzssEncode(const uint8_t* data, size_t size, const CLzssEncoderOptions& options) {
    // The window starts as the decoder's ring does: 4096 zero bytes before the first input byte.
    const size_t pre = kLzssRingSize;
    std::vector<uint8_t> buf(pre + size, 0);
    if (size) std::memcpy(buf.data() + pre, data, size);
    const size_t total = buf.size();

    std::vector<int64_t> head(kHashSize, -1);
    std::vector<int64_t> prev(total, -1);
    auto insert = [&](size_t pos) {
        if (pos + 3 > total) return;
        const uint32_t h = Hash3(&buf[pos]);
        prev[pos] = head[h];
        head[h] = static_cast<int64_t>(pos);
    };
    // Only the last bytes of the zero prefix can be reached, and all of them hash alike; the last
    // matches' worth of them is enough to find any run of zeros.
    for (size_t pos = pre - kLzssMaxMatch * 2; pos < pre; ++pos) insert(pos);

    std::vector<uint8_t> out;
    out.reserve(size + size / 8 + 16);
    size_t flagAt = 0;
    int flagBit = 8;
    auto item = [&](bool literal) {
        if (flagBit == 8) {
            flagAt = out.size();
            out.push_back(0);
            flagBit = 0;
        }
        if (literal) out[flagAt] |= static_cast<uint8_t>(1u << flagBit);
        ++flagBit;
    };

    size_t pos = pre;
    while (pos < total) {
        const size_t maxLength = std::min(kLzssMaxMatch, total - pos);
        size_t bestLength = 0;
        size_t bestDistance = 0;
        if (maxLength > kLzssThreshold) {
            int64_t candidate = head[Hash3(&buf[pos])];
            int depth = options.chainDepth;
            while (candidate >= 0 && depth-- > 0) {
                const size_t distance = pos - static_cast<size_t>(candidate);
                if (distance > kLzssRingSize) break;
                const uint8_t* a = &buf[static_cast<size_t>(candidate)];
                const uint8_t* b = &buf[pos];
                if (a[bestLength < maxLength ? bestLength : 0] ==
                    b[bestLength < maxLength ? bestLength : 0]) {
                    size_t length = 0;
                    while (length < maxLength && a[length] == b[length]) ++length;
                    if (length > bestLength) {
                        bestLength = length;
                        bestDistance = distance;
                        if (length == maxLength) break;
                    }
                }
                candidate = prev[static_cast<size_t>(candidate)];
            }
        }
        if (bestLength > kLzssThreshold) {
            item(false);
            const size_t r = (pos - pre + kLzssStart) & (kLzssRingSize - 1);
            const size_t p = (r - bestDistance) & (kLzssRingSize - 1);
            out.push_back(static_cast<uint8_t>(p & 0xFF));
            out.push_back(static_cast<uint8_t>(((p >> 4) & 0xF0) | (bestLength - kLzssThreshold - 1)));
            for (size_t k = 0; k < bestLength; ++k) insert(pos + k);
            pos += bestLength;
        } else {
            item(true);
            out.push_back(buf[pos]);
            insert(pos);
            ++pos;
        }
    }
    return out;
}
