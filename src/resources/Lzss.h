#pragma once
// LZSS of the archives: a ring of 4096 bytes whose first 4078 bytes start as 0 (the rest too), the
// write position starting at 4078, matches of 3 to 18 bytes. A flag byte serves the next eight items,
// lowest bit first: 1 = one literal byte, 0 = a pair (c, d) naming ring position c + (d >> 4) * 256
// and length (d & 15) + 3.

#include <cstddef>
#include <cstdint>

constexpr size_t kLzssRingSize = 4096;
constexpr size_t kLzssMaxMatch = 18;
constexpr size_t kLzssThreshold = 2;
constexpr size_t kLzssStart = kLzssRingSize - kLzssMaxMatch;  // 4078

// Unpacks `inSize` packed bytes into `out`, writing at most `outCapacity` bytes; answers the bytes
// written. Decoding ends when the input is used up (an item whose bytes are not all there is dropped,
// as is the rest of a flag byte), or when the output is full (a match is then cut short).
size_t LzssDecode(const uint8_t* in, size_t inSize, uint8_t* out, size_t outCapacity);

// The most bytes that `packedSize` packed bytes can unpack to (eight 18-byte matches per 17 bytes).
constexpr uint64_t LzssMaxUnpacked(uint64_t packedSize) {
    return packedSize / 17 * 144 + 8 * 18;
}
