#include "resources/Archive.h"

#include <cstring>

#include "resources/File.h"
#include "resources/Lzss.h"

namespace {

int32_t GetLe32(const uint8_t* p) {
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
}

void PutLe32(uint8_t* p, int32_t value) {
    uint32_t v = static_cast<uint32_t>(value);
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

}  // namespace

EIndexRead ReadArchiveEntry(CFileSource& archive, CArchiveEntry& entry) {
    uint8_t bytes[kArchiveEntrySize];
    if (archive.Read(bytes, kArchiveEntrySize, 1) != 1) return EIndexRead::Truncated;
    entry.offset = GetLe32(bytes + 260);
    if (entry.offset == -1) return EIndexRead::End;
    const char* name = reinterpret_cast<const char*>(bytes);
    entry.name.assign(name, strnlen(name, kArchiveNameSize));
    entry.unpackedSize = GetLe32(bytes + 264);
    entry.packedSize = GetLe32(bytes + 268);
    return EIndexRead::Entry;
}

bool ArchiveEntryFits(const CArchiveEntry& entry, int64_t archiveSize) {
    if (entry.offset < 0 || entry.packedSize < 0 || entry.unpackedSize < 0) return false;
    if (static_cast<int64_t>(entry.offset) + entry.packedSize > archiveSize) return false;
    return static_cast<uint64_t>(entry.unpackedSize) <=
           LzssMaxUnpacked(static_cast<uint64_t>(entry.packedSize));
}

bool ReadArchiveIndex(CFileSource& archive, std::vector<CArchiveEntry>& entries, std::string& error) {
    entries.clear();
    const int64_t size = archive.GetSize();
    archive.Rewind();
    for (;;) {
        CArchiveEntry entry;
        switch (ReadArchiveEntry(archive, entry)) {
            case EIndexRead::End:
                return true;
            case EIndexRead::Truncated:
                error = "the index has no end entry";
                return false;
            case EIndexRead::Entry:
                break;
        }
        if (!ArchiveEntryFits(entry, size)) {
            error = "member \"" + entry.name + "\" lies outside the archive";
            return false;
        }
        entries.push_back(std::move(entry));
    }
}

bool EncodeArchiveEntry(const CArchiveEntry& entry, uint8_t* bytes) {
    if (entry.name.size() >= kArchiveNameSize || entry.name.find('\0') != std::string::npos) return false;
    std::memset(bytes, 0, kArchiveEntrySize);
    std::memcpy(bytes, entry.name.data(), entry.name.size());
    PutLe32(bytes + 260, entry.offset);
    PutLe32(bytes + 264, entry.unpackedSize);
    PutLe32(bytes + 268, entry.packedSize);
    return true;
}

void EncodeArchiveEnd(uint8_t* bytes) {
    std::memset(bytes, 0, kArchiveEntrySize);
    PutLe32(bytes + 260, -1);
}
