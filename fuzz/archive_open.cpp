// Archive index scan and member unpacking over arbitrary archive bytes.

#include <cstring>
#include <string>
#include <vector>

#include "resources/Archive.h"
#include "resources/File.h"

namespace {

// An archive held in memory, read as a plain file would be.
class CMemorySource : public CFileSource {
  public:
    CMemorySource(const uint8_t* data, size_t size) : m_Data(data), m_Size(static_cast<int64_t>(size)) {}
    int64_t GetSize() override { return m_Size; }
    int Seek(int64_t offset, int origin) override {
        const int64_t base = origin == 0 ? 0 : origin == 1 ? m_Position : origin == 2 ? m_Size : -1;
        if (base < 0 || base + offset < 0) return -1;
        m_Position = base + offset;
        return 0;
    }
    int64_t Tell() override { return m_Position; }
    void Rewind() override { m_Position = 0; }
    int64_t Read(void* buffer, size_t size, size_t count) override {
        if (size == 0 || m_Position >= m_Size) return 0;
        const uint64_t left = static_cast<uint64_t>(m_Size - m_Position);
        const uint64_t items = std::min<uint64_t>(count, left / size);
        std::memcpy(buffer, m_Data + m_Position, items * size);
        m_Position += static_cast<int64_t>(items * size);
        return static_cast<int64_t>(items);
    }

  private:
    const uint8_t* m_Data;
    int64_t m_Size;
    int64_t m_Position = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const unsigned pick = data[0] % 4;
    CMemorySource archive(data + 1, size - 1);

    std::vector<CArchiveEntry> entries;
    std::string error;
    ReadArchiveIndex(archive, entries, error);

    // Seek the name of the pick-th entry so that the unpacking is reached.
    archive.Rewind();
    CArchiveEntry entry;
    std::string member = "a\\b";
    for (unsigned i = 0; i <= pick; ++i) {
        if (ReadArchiveEntry(archive, entry) != EIndexRead::Entry) break;
        member = entry.name;
    }
    CCompFile file;
    if (!file.OpenMember(archive, member)) return 0;
    uint8_t buffer[64];
    const int64_t total = file.GetSize();
    int64_t read = 0;
    size_t itemSize = 1 + data[0] % 7;
    for (;;) {
        const int64_t items = file.Read(buffer, itemSize, sizeof(buffer) / itemSize);
        if (items <= 0) break;
        read += items * static_cast<int64_t>(itemSize);
    }
    if (read > total) __builtin_trap();
    file.Seek(-3, 2);
    file.Read(buffer, 1, sizeof(buffer));
    file.Close();
    return 0;
}
