#pragma once
// Builds archive files for the tests: members packed with our encoder, or stored as given where the
// exact packed bytes are the point.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "resources/Archive.h"
#include "resources/LzssEncoder.h"

struct CTestMember {
    std::string name;
    std::string bytes;          // the unpacked content
    bool packed = true;         // false: `bytes` are written as the packed stream
    int32_t unpackedSize = -2;  // -2: the size of `bytes`
};

// The archive's bytes: index, end entry (unless `withEnd` is false), packed data.
inline std::string BuildArchive(const std::vector<CTestMember>& members, bool withEnd = true) {
    std::vector<std::string> data;
    int64_t offset = static_cast<int64_t>(kArchiveEntrySize) * (members.size() + (withEnd ? 1 : 0));
    std::string index;
    for (const CTestMember& m : members) {
        std::string stream = m.bytes;
        if (m.packed) {
            std::vector<uint8_t> p =
                LzssEncode(reinterpret_cast<const uint8_t*>(m.bytes.data()), m.bytes.size());
            stream.assign(p.begin(), p.end());
        }
        CArchiveEntry entry;
        entry.name = m.name;
        entry.offset = static_cast<int32_t>(offset);
        entry.unpackedSize = m.unpackedSize == -2 ? static_cast<int32_t>(m.bytes.size()) : m.unpackedSize;
        entry.packedSize = static_cast<int32_t>(stream.size());
        uint8_t raw[kArchiveEntrySize];
        EncodeArchiveEntry(entry, raw);
        index.append(reinterpret_cast<const char*>(raw), kArchiveEntrySize);
        offset += static_cast<int64_t>(stream.size());
        data.push_back(std::move(stream));
    }
    if (withEnd) {
        uint8_t raw[kArchiveEntrySize];
        EncodeArchiveEnd(raw);
        index.append(reinterpret_cast<const char*>(raw), kArchiveEntrySize);
    }
    for (const std::string& d : data) index += d;
    return index;
}

// Overwrites the three numbers of entry `i` in an archive's bytes.
inline void PatchEntry(std::string& archive, size_t i, int32_t offset, int32_t unpacked, int32_t packed) {
    const int32_t values[3] = {offset, unpacked, packed};
    for (int v = 0; v < 3; ++v) {
        const uint32_t u = static_cast<uint32_t>(values[v]);
        for (int b = 0; b < 4; ++b)
            archive[i * kArchiveEntrySize + 260 + v * 4 + b] = static_cast<char>(u >> (8 * b));
    }
}
