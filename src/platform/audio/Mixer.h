#pragma once
// The software mixer behind both sound backends: it keeps every buffer created from it and, on each call
// of Mix, adds the playing ones into 16-bit stereo output at the output rate, resampling linearly where
// a buffer's rate differs, moving their play cursors and signalling their notifications.
//
// One mutex guards the mixer and all its buffers: the device's feeding thread, the game's main thread
// and the threads that refill streaming buffers may all use it at once. Writes into a buffer are plain
// copies, so the lock is held only briefly.

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/audio/Audio.h"

class CMixerBuffer;

class CAudioMixer : public CPlatformAudio {
  public:
    explicit CAudioMixer(uint32_t outputRate = 44100);
    ~CAudioMixer() override;
    CAudioMixer(const CAudioMixer&) = delete;
    CAudioMixer& operator=(const CAudioMixer&) = delete;

    std::unique_ptr<CAudioBuffer> CreateBuffer(const CAudioBufferDesc& desc) override;
    bool CreatePrimary(const CAudioFormat& format) override;
    void ReleasePrimary() override;
    CAudioFormat OutputFormat() const override;
    void PromoteCurrentThread() override;

    // Mixes `frames` stereo frames into `out` (2 x frames samples). Event sets that the mix signalled
    // are appended to `signalled` when it is given (once each).
    void Mix(int16_t* out, uint32_t frames, std::vector<std::shared_ptr<CAudioEvents>>* signalled = nullptr);

    // Takes the memory of every buffer away, as another program taking the sound device would (tests of
    // the restore path).
    void LoseAllBuffers();
    size_t BufferCount() const;
    bool PrimaryActive() const;
    // Refuses the next buffer creations (tests of the creation failure).
    void SetCreateFails(bool fails);

  protected:
    // Whether the device can play at the primary format asked for; the base takes 16-bit PCM with one
    // or two channels at the output rate.
    virtual bool AcceptPrimary(const CAudioFormat& format);

  private:
    friend class CMixerBuffer;
    void Unregister(CMixerBuffer* buffer);

    const uint32_t m_OutputRate;
    mutable std::mutex m_Mutex;
    std::vector<CMixerBuffer*> m_Buffers;
    std::vector<float> m_Accumulator;
    bool m_Primary = false;
    bool m_CreateFails = false;
};
