#pragma once
// Sound output in the engine's own terms: a device from which sound buffers are created, each with a PCM
// format, a volume in hundredths of a decibel (0 = full, -10000 = silent), play and stop, looping, a play
// cursor, writes into its bytes, and position notifications that signal events a thread waits on.
//
// Usage by the engine:
//     CAudioBufferDesc desc{kAudioCtrlVolume | kAudioCtrlPositionNotify, bytes, format};
//     std::unique_ptr<CAudioBuffer> buffer = audio.CreateBuffer(desc);   // nullptr: refused
//     auto events = std::make_shared<CAudioEvents>(2);
//     buffer->SetNotifications(events, {{0, 0}, {kAudioOffsetStop, 1}});
//     buffer->Write(0, pcm, bytes);
//     buffer->Play(true);
//     ... another thread: int which = events->WaitAny();
//
// Every operation may be called from any thread. Buffers must not outlive the device.

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

// The PCM format record (the layout of WAVEFORMATEX without its extra size).
struct CAudioFormat {
    uint16_t formatTag = 1;  // 1 = PCM, the only one played
    uint16_t channels = 2;
    uint32_t samplesPerSec = 44100;
    uint32_t avgBytesPerSec = 176400;
    uint16_t blockAlign = 4;
    uint16_t bitsPerSample = 16;

    // Signed 16-bit PCM at a rate and channel count, its derived fields filled in.
    static CAudioFormat Pcm16(uint16_t channels, uint32_t rate) {
        CAudioFormat f;
        f.channels = channels;
        f.samplesPerSec = rate;
        f.blockAlign = static_cast<uint16_t>(2 * channels);
        f.avgBytesPerSec = rate * f.blockAlign;
        f.bitsPerSample = 16;
        return f;
    }
    bool operator==(const CAudioFormat&) const = default;
};

// Buffer description flags, valued as the game's buffer descriptions give them.
constexpr uint32_t kAudioPrimary = 0x0001;
constexpr uint32_t kAudioStatic = 0x0002;
constexpr uint32_t kAudioSoftware = 0x0008;
constexpr uint32_t kAudioCtrlVolume = 0x0080;
constexpr uint32_t kAudioCtrlPositionNotify = 0x0100;

struct CAudioBufferDesc {
    uint32_t flags = 0;
    uint32_t bytes = 0;
    CAudioFormat format;
};

// Volume limits in hundredths of a decibel.
constexpr int32_t kAudioVolumeMin = -10000;
constexpr int32_t kAudioVolumeMax = 0;

// A set of auto-reset events that one thread waits on together. An event stays signalled until a wait
// takes it.
class CAudioEvents {
  public:
    explicit CAudioEvents(int count);
    int Count() const { return m_Count; }
    void Signal(int index);
    // Blocks until an event is signalled, clears it and answers its index (the lowest of several).
    int WaitAny();
    // True when the event is signalled and not yet taken.
    bool IsSignalled(int index) const;
    // Clears every event (a new waiter must not see what an old one left).
    void Reset();
    // Waits (in real time, at most timeoutMs) until a thread is blocked in WaitAny with no event
    // pending: the waiter has handled everything signalled so far. Used by the headless device so that
    // a virtual clock runs no faster than the threads that feed its buffers. False on time-out.
    bool WaitQuiet(uint32_t timeoutMs);

  private:
    const int m_Count;
    mutable std::mutex m_Mutex;
    std::condition_variable m_Changed;
    uint32_t m_Pending = 0;
    int m_Waiters = 0;
};

// A position notification: when the play cursor reaches `offset` (bytes), event `event` of the buffer's
// set is signalled. kAudioOffsetStop signals when the buffer stops (Stop, or the end of a one-shot play).
struct CAudioNotify {
    uint32_t offset = 0;
    int event = 0;
};
constexpr uint32_t kAudioOffsetStop = 0xFFFFFFFFu;

enum class EAudioWrite { Ok, Lost, Failed };

class CAudioBuffer {
  public:
    virtual ~CAudioBuffer() = default;
    virtual const CAudioFormat& Format() const = 0;
    virtual uint32_t Size() const = 0;
    // Clamped to -10000 ... 0. Gain = 10^(volume / 2000); -10000 is silence.
    virtual void SetVolume(int32_t hundredthsDb) = 0;
    virtual int32_t Volume() const = 0;
    // Plays from the cursor; looping wraps to the start, otherwise the buffer stops at its end (the
    // cursor then returns to 0). Playing a playing buffer only changes its looping.
    virtual void Play(bool loop) = 0;
    virtual void Stop() = 0;
    virtual bool IsPlaying() const = 0;
    virtual bool IsLooping() const = 0;
    // The play cursor in bytes.
    virtual uint32_t Position() const = 0;
    virtual void SetPosition(uint32_t offset) = 0;
    // Copies bytes into the buffer from `offset`, wrapping at its end (at most Size() bytes). Lost: the
    // buffer's memory was taken away; Restore it and write again. Failed: bad arguments.
    virtual EAudioWrite Write(uint32_t offset, const void* data, uint32_t bytes) = 0;
    virtual bool IsLost() const = 0;
    // Gives a lost buffer its memory back (silent bytes); false when it cannot be restored.
    virtual bool Restore() = 0;
    // Replaces the notifications; false when the buffer was not created for them, an offset lies
    // outside it or an event index outside the set.
    virtual bool SetNotifications(std::shared_ptr<CAudioEvents> events,
                                  const std::vector<CAudioNotify>& notes) = 0;
};

// The sound device: the mixer that plays every buffer to one output.
class CPlatformAudio {
  public:
    virtual ~CPlatformAudio() = default;
    // nullptr when the description is refused (a format other than 8- or 16-bit PCM with one or two
    // channels at 100 to 200000 Hz, a size of fewer than 4 bytes, or a primary buffer). A trailing
    // partial block is never played.
    virtual std::unique_ptr<CAudioBuffer> CreateBuffer(const CAudioBufferDesc& desc) = 0;
    // Sets the output's format and starts it (the game's high-quality primary buffer); false when the
    // device cannot take it.
    virtual bool CreatePrimary(const CAudioFormat& format) = 0;
    virtual void ReleasePrimary() = 0;
    // The format the buffers are mixed to (always 16-bit).
    virtual CAudioFormat OutputFormat() const = 0;
    // Raises the calling thread's scheduling priority as far as the system allows (threads that feed
    // streaming buffers); best effort.
    virtual void PromoteCurrentThread() {}
};
