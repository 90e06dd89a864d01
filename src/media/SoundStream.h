#pragma once
// A streaming channel's sound (music): a two-second ring buffer that a thread of its own refills a
// quarter at a time, half a second ahead of the play cursor, woken by the buffer's notifications at
// the four quarters; a fifth notification, at the stop, ends the thread.
//
// Only the main thread calls the operations below. The filling thread touches only the buffer and the
// source; Release stops the buffer, signals the stop event and waits for the thread before it frees
// them, so the thread never works on a freed object.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/audio/Audio.h"

class CSoundSource;

class CStreamSound {
  public:
    // Kinds of source.
    static constexpr int kWave = 0;
    static constexpr int kOgg = 1;

    CStreamSound();
    CStreamSound(const CStreamSound&) = delete;
    CStreamSound& operator=(const CStreamSound&) = delete;
    virtual ~CStreamSound();
    virtual uint32_t GetDurationMs() const { return m_DurationMs; }
    // Opens the source (a wave file loaded whole, or an Ogg file opened for decoding) and makes the
    // buffer with its notifications. False when the file is not found.
    virtual bool Create(CPlatformAudio& device, const std::string& path, int kind);
    virtual void Release();
    virtual void SetDescription();
    // Failures are fatal: "サウンドバッファの作成失敗", "サウンド通知の指定に失敗しました".
    virtual void CreateBuffer(CPlatformAudio& device);
    virtual void ReleaseBuffer();
    // Plays looped from the start and starts the filling thread.
    virtual void Play();
    // The same from the current position.
    virtual void Resume();
    // Silences and stops; the stop notification ends the thread.
    virtual void Stop();

    void SetVolume(int32_t volume);
    CAudioBuffer* Buffer() const { return m_Buffer.get(); }
    const CAudioBufferDesc& Description() const { return m_Desc; }
    // Whether a filling thread is running now, and how many were started so far.
    bool ThreadRunning() const { return m_ThreadRunning.load(); }
    uint32_t ThreadStarts() const { return m_ThreadStarts; }

    // Event numbers of the notifications: the four quarters, then the stop.
    static constexpr int kStopEvent = 4;

  private:
    void Start(bool fromStart);
    void EndThread();
    void ThreadMain();
    void Prime();
    void FillQuarter(uint32_t offset);
    void WriteRestoring(uint32_t offset, const uint8_t* data, uint32_t bytes);
    void CopyWave(uint8_t* out, uint32_t bytes);

    std::unique_ptr<CSoundSource> m_Source;
    CPlatformAudio* m_Device = nullptr;
    CAudioBufferDesc m_Desc;
    std::unique_ptr<CAudioBuffer> m_Buffer;
    std::shared_ptr<CAudioEvents> m_Events;
    std::thread m_Thread;
    std::atomic<bool> m_ThreadRunning{false};
    uint32_t m_ThreadStarts = 0;
    uint32_t m_DurationMs = 0;
    // The filling thread's own: the read position in a wave source's data and the decoding space.
    uint32_t m_WavePos = 0;
    std::vector<uint8_t> m_Quarter;
};
