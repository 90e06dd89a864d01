#pragma once
// A static channel's sound: the whole PCM of an effect or voice copied into one buffer of the device.

#include <cstdint>
#include <memory>

#include "platform/audio/Audio.h"

class CSoundSource;

class CStaticSound {
  public:
    virtual ~CStaticSound();
    virtual uint32_t GetDurationMs() const { return m_DurationMs; }
    // Describes, creates and fills the buffer from the source.
    virtual void Create(CPlatformAudio& device, CSoundSource& source);
    virtual void Release();
    virtual void SetDescription(CSoundSource& source);
    // A buffer the device refuses is fatal ("サウンドバッファの作成失敗").
    virtual void CreateBuffer(CPlatformAudio& device);
    virtual void ReleaseBuffer();
    // Copies the source's data into the buffer; a lost buffer is restored and filled again.
    virtual void Fill(CSoundSource& source);
    // From the start.
    virtual void Play(bool loop);
    // From where it stopped.
    virtual void Resume(bool loop);
    // Silences, then stops.
    virtual void Stop();

    void SetVolume(int32_t volume);
    CAudioBuffer* Buffer() const { return m_Buffer.get(); }
    const CAudioBufferDesc& Description() const { return m_Desc; }

  private:
    CAudioBufferDesc m_Desc;
    std::unique_ptr<CAudioBuffer> m_Buffer;
    uint32_t m_DurationMs = 0;
};
