#include "resources/Lzss.h"

#include <cstring>

// The ring is never kept: ring position q holds the output byte whose index i satisfies
// q = (i + 4078) mod 4096, so a pair's ring position is a distance of 1 to 4096 back into the output.
// Where that lies before the first output byte the ring still holds its initial zeros.

namespace {

inline size_t Distance(size_t outPos, unsigned c, unsigned d) {
    const size_t p = c | ((d & 0xF0u) << 4);
    const size_t r = (outPos + kLzssStart) & (kLzssRingSize - 1);
    return ((r - p - 1) & (kLzssRingSize - 1)) + 1;
}

}  // namespace

size_t LzssDecode(const uint8_t* in, size_t inSize, uint8_t* out, size_t outCapacity) {
    size_t ip = 0;
    size_t op = 0;
    unsigned flags = 0;
    for (;;) {
        flags >>= 1;
        if ((flags & 0x100) == 0) {
            // Eight whole items with every byte at hand and room for eight longest matches, all reaching
            // back into the output: no checks inside.
            while (op >= kLzssRingSize && inSize - ip >= 17 && outCapacity - op >= 8 * kLzssMaxMatch) {
                unsigned f = in[ip++];
                if (f == 0xFF) {
                    std::memcpy(out + op, in + ip, 8);
                    ip += 8;
                    op += 8;
                    continue;
                }
                for (int item = 0; item < 8; ++item, f >>= 1) {
                    if (f & 1) {
                        out[op++] = in[ip++];
                        continue;
                    }
                    const unsigned c = in[ip];
                    const unsigned d = in[ip + 1];
                    ip += 2;
                    const size_t dist = Distance(op, c, d);
                    const size_t length = (d & 0x0F) + 3;
                    uint8_t* dst = out + op;
                    const uint8_t* src = dst - dist;
                    if (dist >= kLzssMaxMatch) {
                        // Bytes past the match are overwritten by the items that follow.
                        std::memcpy(dst, src, kLzssMaxMatch);
                    } else {
                        for (size_t k = 0; k < length; ++k) dst[k] = src[k];
                    }
                    op += length;
                }
            }
            if (ip >= inSize) break;
            flags = in[ip++] | 0xFF00u;
        }
        if (flags & 1) {
            if (ip >= inSize || op >= outCapacity) break;
            out[op++] = in[ip++];
        } else {
            if (inSize - ip < 2) break;
            const unsigned c = in[ip];
            const unsigned d = in[ip + 1];
            ip += 2;
            const size_t dist = Distance(op, c, d);
            const size_t length = (d & 0x0F) + 3;
            for (size_t k = 0; k < length; ++k) {
                if (op >= outCapacity) return op;
                out[op] = op >= dist ? out[op - dist] : 0;
                ++op;
            }
        }
    }
    return op;
}
