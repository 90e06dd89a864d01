#pragma once
// The packer of the archives' LZSS (see Lzss.h): greedy, the longest match found through hash chains
// over the last 4096 bytes (the ring's initial zeros included), so that LzssDecode gives the input back.

#include <cstddef>
#include <cstdint>
#include <vector>

struct CLzssEncoderOptions {
    // How many earlier positions of the same three-byte hash are tried per position.
    int chainDepth = 128;
};

std::vector<uint8_t> LzssEncode(const uint8_t* data, size_t size, const CLzssEncoderOptions& options = {});
