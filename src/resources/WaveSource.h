#pragma once
// Sound sources: 16-bit PCM (or the samples of a wave file) for the sound channels, read through CFile
// so that sounds may lie in the archives. CSoundSource is the interface; CWaveSource holds the sample
// data of a RIFF wave file; COggSource (OggSource.h) decodes Ogg Vorbis.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/audio/Audio.h"
#include "resources/File.h"

class CSoundSource {
  public:
    // 2 for Ogg Vorbis, 1 for wave, 0 for the base.
    virtual int GetKind() const { return 0; }
    virtual CFile* GetFile() { return &m_File; }
    virtual ~CSoundSource() = default;
    // Opens the file and takes all of its sound into memory; false when the file is not found (or, for a
    // wave file, holds no usable sample data).
    virtual bool Load(const std::string&) { return false; }
    // Opens the file for decoding on demand.
    virtual bool OpenStream(const std::string&) { return false; }
    // Writes the next `length` bytes of PCM into `buffer`; with `loop` the sound starts again at its end.
    // Answers the bytes written (the rest of the buffer is left as it was).
    virtual uint32_t ReadPcm(void*, uint32_t, bool) { return 0; }
    virtual void Close() {
        m_Data.clear();
        m_Data.shrink_to_fit();
        m_DataSize = 0;
        m_File.Close();
    }
    virtual const CAudioFormat& GetFormat() const { return m_Format; }
    // Bytes of PCM of the whole sound.
    virtual uint32_t GetDataSize() const { return m_DataSize; }
    // The sound's bytes after Load (GetDataSize() of them); nullptr when there are none.
    virtual const uint8_t* GetData() const { return m_Data.empty() ? nullptr : m_Data.data(); }
    // Play time in milliseconds, truncated.
    virtual uint32_t GetDurationMs() const { return 0; }

  protected:
    CFile m_File;
    std::vector<uint8_t> m_Data;  // data size + 10 spare bytes
    CAudioFormat m_Format;
    uint32_t m_DataSize = 0;
};

// A RIFF wave file: the format fields at their fixed offsets (20-35) and the sample bytes of the first
// "data" tag found on a four-byte boundary.
class CWaveSource : public CSoundSource {
  public:
    ~CWaveSource() override { Close(); }
    int GetKind() const override { return 1; }
    // The path is opened with CFile::Open only (no second data root). A file shorter than its format
    // fields or without a data tag gives false; a data size beyond the end of the file is cut to what
    // the file holds.
    bool Load(const std::string& path) override;
    bool OpenStream(const std::string&) override { return false; }
};

// Reads the format fields and the data chunk out of a whole wave file's bytes; false when the bytes
// hold none. `dataOffset` and `dataSize` then delimit the sample bytes inside `bytes`.
bool ParseWaveFile(const uint8_t* bytes, size_t size, CAudioFormat& format, size_t& dataOffset,
                   uint32_t& dataSize);
