#include "resources/WaveSource.h"

#include <cstring>

namespace {

uint16_t Le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

}  // namespace

bool ParseWaveFile(const uint8_t* bytes, size_t size, CAudioFormat& format, size_t& dataOffset,
                   uint32_t& dataSize) {
    if (size < 36) return false;
    format.formatTag = Le16(bytes + 20);
    format.channels = Le16(bytes + 22);
    format.samplesPerSec = Le32(bytes + 24);
    format.avgBytesPerSec = Le32(bytes + 28);
    format.blockAlign = Le16(bytes + 32);
    format.bitsPerSample = Le16(bytes + 34);
    for (size_t at = 0; at + 8 <= size; at += 4) {
        if (std::memcmp(bytes + at, "data", 4) != 0) continue;
        const uint32_t declared = Le32(bytes + at + 4);
        dataOffset = at + 8;
        const size_t available = size - dataOffset;
        dataSize = declared > available ? static_cast<uint32_t>(available) : declared;
        return true;
    }
    return false;
}

bool CWaveSource::Load(const std::string& path) {
    Close();
    if (!m_File.Open(path)) return false;
    const int64_t size = m_File.GetSize();
    if (size <= 0 || size > 0x7FFFFFFF) {
        m_File.Close();
        return false;
    }
    std::vector<uint8_t> whole(static_cast<size_t>(size) + 10, 0);
    const int64_t got = m_File.Read(whole.data(), 1, static_cast<size_t>(size));
    size_t offset = 0;
    uint32_t dataSize = 0;
    if (got <= 0 || !ParseWaveFile(whole.data(), static_cast<size_t>(got), m_Format, offset, dataSize)) {
        m_File.Close();
        return false;
    }
    m_Data.assign(whole.begin() + static_cast<std::ptrdiff_t>(offset),
                  whole.begin() + static_cast<std::ptrdiff_t>(offset + dataSize));
    m_Data.resize(static_cast<size_t>(dataSize) + 10, 0);
    m_DataSize = dataSize;
    return true;
}
