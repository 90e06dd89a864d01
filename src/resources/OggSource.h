#pragma once
// The Ogg Vorbis source: libvorbisfile decoding through CFile (plain files and archive members alike),
// either whole into memory (effects and voices) or on demand with endless looping (music streams).
// Samples are 16-bit signed little-endian, interleaved as the stream's channels.

#include <vorbis/vorbisfile.h>

#include <cstdint>
#include <string>

#include "resources/WaveSource.h"

class COggSource : public CSoundSource {
  public:
    COggSource() = default;
    COggSource(const COggSource&) = delete;
    COggSource& operator=(const COggSource&) = delete;
    ~COggSource() override { Close(); }

    int GetKind() const override { return 2; }
    // Opens the path with OpenDataFile and decodes all of it. False when the file is in neither data
    // root. A file the decoder cannot open ends the process with "Ogg形式読み取り失敗", one it cannot
    // seek in with "Ogg形式シークできません".
    bool Load(const std::string& path) override;
    // The same without decoding.
    bool OpenStream(const std::string& path) override;
    uint32_t ReadPcm(void* buffer, uint32_t length, bool loop) override;
    void Close() override;
    uint32_t GetDurationMs() const override { return m_DurationMs; }

    // The largest sound decoded whole (bytes of PCM); longer files are refused as unreadable.
    static constexpr uint64_t kMaxWholeBytes = 256ull << 20;

  private:
    bool Open(const std::string& path, bool whole);
    // Decodes whole frames into `buffer`; `length` is a multiple of the block alignment.
    uint32_t Decode(uint8_t* buffer, uint32_t length, bool loop);

    OggVorbis_File m_Vorbis{};
    bool m_DecoderOpen = false;
    uint32_t m_DurationMs = 0;
    // Bytes of a frame decoded but not yet handed out (a read that ended inside a frame).
    uint8_t m_Carry[16] = {};
    uint32_t m_CarryBytes = 0;
    uint32_t m_CarryOffset = 0;
};
