#pragma once
// The headless sound device: the mixer driven by the virtual clock. Pump(), called at the end of every
// frame, mixes the output up to the clock's current time; the mixed samples can be kept and written
// as a WAV file. Threads that refill streaming buffers are given the time they need: after every step
// that signalled a notification, the pump waits (in real time) until the woken thread is waiting again,
// so runs repeat exactly however slow the machine is.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/audio/Mixer.h"

class CHeadlessAudio : public CAudioMixer {
  public:
    // Output at `rate` Hz, 16-bit stereo; time counts from the clock's reading now.
    explicit CHeadlessAudio(CPlatformClock& clock, uint32_t rate = 44100);

    // Mixes up to the clock's current time in steps of at most 10 ms. A clock set backwards only moves
    // the reference point.
    void Pump();
    // Output frames mixed since construction.
    uint64_t MixedFrames() const { return m_Mixed; }

    // Keeps every mixed sample from now on (interleaved left, right).
    void StartCapture();
    void StopCapture() { m_Capturing = false; }
    const std::vector<int16_t>& Captured() const { return m_Captured; }
    // Writes the kept samples as a 16-bit stereo RIFF wave file; false on a write error.
    bool WriteWav(const std::string& path) const;

    // Makes the primary format request fail (the high-quality output is refused).
    void SetPrimaryFails(bool fails) { m_PrimaryFails = fails; }

  protected:
    bool AcceptPrimary(const CAudioFormat& format) override;

  private:
    CPlatformClock& m_Clock;
    const uint32_t m_Rate;
    uint32_t m_LastMs;
    uint64_t m_ElapsedMs = 0;
    uint64_t m_Mixed = 0;
    bool m_Capturing = false;
    bool m_PrimaryFails = false;
    std::vector<int16_t> m_Captured;
    std::vector<int16_t> m_Step;
};

std::unique_ptr<CHeadlessAudio> CreateHeadlessAudio(CPlatformClock& clock);
