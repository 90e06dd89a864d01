#include "resources/OggSource.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "shell/System.h"

namespace {

// A stream whose reads keep failing without producing anything is given up after this many tries.
constexpr int kMaxFailedReads = 64;

size_t ReadCallback(void* ptr, size_t size, size_t count, void* source) {
    if (size == 0) return 0;
    const int64_t items = static_cast<CFile*>(source)->Read(ptr, size, count);
    return items < 0 ? 0 : static_cast<size_t>(items);
}

int SeekCallback(void* source, ogg_int64_t offset, int origin) {
    return static_cast<CFile*>(source)->Seek(offset, origin);
}

int CloseCallback(void* source) {
    return static_cast<CFile*>(source)->Close();
}

long TellCallback(void* source) {
    return static_cast<long>(static_cast<CFile*>(source)->Tell());
}

}  // namespace

bool COggSource::Open(const std::string& path, bool whole) {
    Close();
    if (!OpenDataFile(m_File, path)) return false;
    const ov_callbacks callbacks{ReadCallback, SeekCallback, CloseCallback, TellCallback};
    if (ov_open_callbacks(&m_File, &m_Vorbis, nullptr, 0, callbacks) != 0) {
        FatalError("Ogg形式読み取り失敗", "エラー");
    }
    m_DecoderOpen = true;
    if (!ov_seekable(&m_Vorbis)) FatalError("Ogg形式シークできません", "エラー");
    const vorbis_info* info = ov_info(&m_Vorbis, -1);
    const ogg_int64_t frames = ov_pcm_total(&m_Vorbis, -1);
    if (!info || info->channels < 1 || info->channels > 8 || info->rate < 1 || info->rate > 1000000 ||
        frames < 0) {
        FatalError("Ogg形式読み取り失敗", "エラー");
    }
    m_Format.formatTag = 1;
    m_Format.channels = static_cast<uint16_t>(info->channels);
    m_Format.samplesPerSec = static_cast<uint32_t>(info->rate);
    m_Format.bitsPerSample = 16;
    m_Format.blockAlign = static_cast<uint16_t>(2 * info->channels);
    m_Format.avgBytesPerSec = m_Format.samplesPerSec * m_Format.blockAlign;
    // The play time is the frame count over the rate, so its product with the byte rate is exactly the
    // frame count times the block size; computed so, no rounding of the time can lose the last frame.
    const uint64_t bytes = static_cast<uint64_t>(frames) * m_Format.blockAlign;
    if (whole && bytes > kMaxWholeBytes) FatalError("Ogg形式読み取り失敗", "エラー");
    m_DataSize = static_cast<uint32_t>(std::min<uint64_t>(bytes, UINT32_MAX - 16));
    m_DurationMs = static_cast<uint32_t>(std::min(ov_time_total(&m_Vorbis, -1) * 1000.0, 4294967295.0));
    return true;
}

bool COggSource::Load(const std::string& path) {
    if (!Open(path, true)) return false;
    m_Data.assign(static_cast<size_t>(m_DataSize) + 10, 0);
    const uint32_t whole = m_DataSize - m_DataSize % m_Format.blockAlign;
    Decode(m_Data.data(), whole, false);
    return true;
}

bool COggSource::OpenStream(const std::string& path) {
    return Open(path, false);
}

uint32_t COggSource::Decode(uint8_t* buffer, uint32_t length, bool loop) {
    uint32_t written = 0;
    int failures = 0;
    bool progressed = true;  // since the last rewind: an empty stream must not loop for ever
    while (written < length) {
        const int want = static_cast<int>(std::min<uint32_t>(length - written, INT_MAX / 2));
        const long n = ov_read(&m_Vorbis, reinterpret_cast<char*>(buffer + written), want, 0, 2, 1, nullptr);
        if (n > 0) {
            written += static_cast<uint32_t>(n);
            failures = 0;
            progressed = true;
        } else if (n == 0) {
            if (!loop || !progressed || ov_time_seek(&m_Vorbis, 0.0) != 0) break;
            progressed = false;
        } else if (++failures > kMaxFailedReads) {
            break;  // a gap or damage that the decoder cannot get past
        }
    }
    return written;
}

uint32_t COggSource::ReadPcm(void* buffer, uint32_t length, bool loop) {
    if (!m_DecoderOpen || !buffer) return 0;
    auto* out = static_cast<uint8_t*>(buffer);
    uint32_t written = std::min(length, m_CarryBytes);
    std::memcpy(out, m_Carry + m_CarryOffset, written);
    m_CarryBytes -= written;
    m_CarryOffset += written;
    const uint32_t block = m_Format.blockAlign;
    const uint32_t rest = length - written;
    const uint32_t whole = rest - rest % block;
    const uint32_t got = Decode(out + written, whole, loop);
    written += got;
    if (got == whole && written < length) {
        // The read ends inside a frame: decode that frame and keep what is not handed out.
        const uint32_t part = length - written;
        if (Decode(m_Carry, block, loop) == block) {
            std::memcpy(out + written, m_Carry, part);
            written += part;
            m_CarryOffset = part;
            m_CarryBytes = block - part;
        }
    }
    return written;
}

void COggSource::Close() {
    if (m_DecoderOpen) {
        ov_clear(&m_Vorbis);  // closes the file through the close callback
        m_DecoderOpen = false;
    }
    m_CarryBytes = 0;
    m_CarryOffset = 0;
    m_DurationMs = 0;
    CSoundSource::Close();
}
