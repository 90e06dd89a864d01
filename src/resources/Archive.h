#pragma once
// The archive file (extension "dat"), little-endian: an index of 272-byte entries in any order, closed
// by an entry whose offset is -1 (its other fields are not examined), and the packed members anywhere
// after it. An entry: 260 bytes of zero-terminated member name (the path relative to the archive's
// folder, "\" as separator), then the signed 32-bit offset of the packed data, unpacked size and packed
// size.

#include <cstdint>
#include <string>
#include <vector>

class CFileSource;

constexpr size_t kArchiveEntrySize = 272;
constexpr size_t kArchiveNameSize = 260;

struct CArchiveEntry {
    std::string name;  // bytes up to the first zero of the name field
    int32_t offset = 0;
    int32_t unpackedSize = 0;
    int32_t packedSize = 0;
};

enum class EIndexRead { Entry, End, Truncated };

// Reads the next entry at the archive's current position. Truncated when fewer than 272 bytes are left
// (an index without its end entry).
EIndexRead ReadArchiveEntry(CFileSource& archive, CArchiveEntry& entry);

// True when the entry's packed bytes lie inside an archive of `archiveSize` bytes and its unpacked size
// is one that those bytes can produce.
bool ArchiveEntryFits(const CArchiveEntry& entry, int64_t archiveSize);

// Every entry of the index up to the end entry; false with a reason when the index is truncated or an
// entry does not fit the archive.
bool ReadArchiveIndex(CFileSource& archive, std::vector<CArchiveEntry>& entries, std::string& error);

// Fills the 272 bytes of an entry (a name of 260 bytes or more does not fit: false).
bool EncodeArchiveEntry(const CArchiveEntry& entry, uint8_t* bytes);
// The closing entry.
void EncodeArchiveEnd(uint8_t* bytes);
