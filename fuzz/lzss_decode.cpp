// The LZSS decoder over arbitrary packed bytes, with an output limit taken from the input.

#include <vector>

#include "resources/Lzss.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const size_t capacity = static_cast<size_t>(data[0]) << 8 | data[1];
    // Exactly `capacity` bytes, so that AddressSanitizer sees any write past it.
    std::vector<uint8_t> out(capacity);
    const size_t written = LzssDecode(data + 2, size - 2, out.data(), capacity);
    if (written > capacity || written > LzssMaxUnpacked(size - 2)) __builtin_trap();
    return 0;
}
