#include "platform/audio/Mixer.h"

#include <pthread.h>
#include <sched.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

bool ValidPcm(const CAudioFormat& f) {
    if (f.formatTag != 1) return false;
    if (f.channels != 1 && f.channels != 2) return false;
    if (f.bitsPerSample != 8 && f.bitsPerSample != 16) return false;
    if (f.samplesPerSec < 100 || f.samplesPerSec > 200000) return false;
    return f.blockAlign == f.channels * f.bitsPerSample / 8;
}

// Gain of a volume in hundredths of a decibel; the minimum is silence.
float GainOf(int32_t volume) {
    if (volume <= kAudioVolumeMin) return 0.0f;
    if (volume >= kAudioVolumeMax) return 1.0f;
    return static_cast<float>(std::pow(10.0, volume / 2000.0));
}

}  // namespace

class CMixerBuffer : public CAudioBuffer {
  public:
    CMixerBuffer(CAudioMixer& mixer, const CAudioBufferDesc& desc)
        : m_Mixer(mixer),
          m_Flags(desc.flags),
          m_Format(desc.format),
          m_Data(desc.bytes, desc.format.bitsPerSample == 8 ? 0x80 : 0),
          m_Frames(desc.bytes / desc.format.blockAlign),
          m_Step((static_cast<uint64_t>(desc.format.samplesPerSec) << 32) / mixer.m_OutputRate) {}
    ~CMixerBuffer() override { m_Mixer.Unregister(this); }

    const CAudioFormat& Format() const override { return m_Format; }
    uint32_t Size() const override { return static_cast<uint32_t>(m_Data.size()); }

    void SetVolume(int32_t volume) override {
        std::lock_guard<std::mutex> lock(m_Mixer.m_Mutex);
        m_Volume = std::clamp(volume, kAudioVolumeMin, kAudioVolumeMax);
        m_Gain = GainOf(m_Volume);
    }
    int32_t Volume() const override {
        std::lock_guard<std::mutex> lock(m_Mixer.m_Mutex);
        return m_Volume;
    }
    void Play(bool loop) override {
        std::lock_guard<std::mutex> lock(m_Mixer.m_Mutex);
        m_Playing = true;
        m_Loop = loop;
    }
    void Stop() override {
        std::lock_guard<std::mutex> lock(m_Mixer.m_Mutex);
        if (!m_Playing) return;
        m_Playing = false;
        NotifyStop(nullptr);
    }
    bool IsPlaying() const override {
        std::lock_guard<std::mutex> lock(m_Mixer.m_Mutex);
        return m_Playing;
    }
    bool IsLooping() const override {
        std::lock_guard<std::mutex> lock(m_Mixer.m_Mutex);
        return m_Loop;
    }
    uint32_t Position() const override {
        std::lock_guard<std::mutex> lock(m_Mixer.m_Mutex);
        return m_Frame * m_Format.blockAlign;
    }
    void SetPosition(uint32_t offset) override {
        std::lock_guard<std::mutex> lock(m_Mixer.m_Mutex);
        uint32_t frame = offset / m_Format.blockAlign;
        m_Frame = m_Frames == 0 ? 0 : frame % m_Frames;
        m_Fraction = 0;
    }
    EAudioWrite Write(uint32_t offset, const void* data, uint32_t bytes) override {
        const uint32_t size = static_cast<uint32_t>(m_Data.size());
        if (!data && bytes) return EAudioWrite::Failed;
        if (offset >= size || bytes > size) return EAudioWrite::Failed;
        std::lock_guard<std::mutex> lock(m_Mixer.m_Mutex);
        if (m_Lost) return EAudioWrite::Lost;
        const uint32_t first = std::min(bytes, size - offset);
        std::memcpy(m_Data.data() + offset, data, first);
        std::memcpy(m_Data.data(), static_cast<const uint8_t*>(data) + first, bytes - first);
        return EAudioWrite::Ok;
    }
    bool IsLost() const override {
        std::lock_guard<std::mutex> lock(m_Mixer.m_Mutex);
        return m_Lost;
    }
    bool Restore() override {
        std::lock_guard<std::mutex> lock(m_Mixer.m_Mutex);
        if (m_Lost) std::fill(m_Data.begin(), m_Data.end(), m_Format.bitsPerSample == 8 ? 0x80 : 0);
        m_Lost = false;
        return true;
    }
    bool SetNotifications(std::shared_ptr<CAudioEvents> events,
                          const std::vector<CAudioNotify>& notes) override {
        if (!(m_Flags & kAudioCtrlPositionNotify) || !events) return false;
        for (const CAudioNotify& n : notes) {
            if (n.offset != kAudioOffsetStop && n.offset >= m_Data.size()) return false;
            if (n.event < 0 || n.event >= events->Count()) return false;
        }
        std::lock_guard<std::mutex> lock(m_Mixer.m_Mutex);
        m_Events = std::move(events);
        m_Notes = notes;
        return true;
    }

    // Called by the mixer with its lock held: adds `frames` output frames into `acc` (stereo floats).
    void MixInto(float* acc, uint32_t frames, std::vector<std::shared_ptr<CAudioEvents>>* fired) {
        // A lost buffer goes on playing silence, so that its notifications still wake its feeder.
        if (!m_Playing || m_Frames == 0) return;
        uint32_t done = 0;
        while (done < frames) {
            const uint64_t pos = (static_cast<uint64_t>(m_Frame) << 32) | m_Fraction;
            const uint64_t end = static_cast<uint64_t>(m_Frames) << 32;
            const uint64_t untilEnd = (end - pos + m_Step - 1) / m_Step;
            const uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(frames - done, untilEnd));
            const uint32_t from = m_Frame;
            MixSegment(acc + 2 * static_cast<size_t>(done), n);
            NotifyRange(from, std::min(m_Frame, m_Frames), fired);
            done += n;
            if (m_Frame >= m_Frames) {
                if (m_Loop) {
                    m_Frame %= m_Frames;
                } else {
                    m_Playing = false;
                    m_Frame = 0;
                    m_Fraction = 0;
                    NotifyStop(fired);
                    return;
                }
            }
        }
    }

    void Lose() { m_Lost = true; }

  private:
    template <int Bits, int Channels, bool Resample>
    void Kernel(float* acc, uint32_t n) {
        const float g = m_Gain;
        const uint8_t* bytes = m_Data.data();
        uint32_t frame = m_Frame;
        uint32_t frac = m_Fraction;
        const uint32_t stepHi = static_cast<uint32_t>(m_Step >> 32);
        const uint32_t stepLo = static_cast<uint32_t>(m_Step);
        auto at = [bytes](uint32_t f, int c) -> float {
            if constexpr (Bits == 8) {
                return static_cast<float>((bytes[f * Channels + c] - 128) * 256);
            } else {
                int16_t s;
                std::memcpy(&s, bytes + (static_cast<size_t>(f) * Channels + c) * 2, 2);
                return s;
            }
        };
        for (uint32_t i = 0; i < n; ++i) {
            float l, r;
            if constexpr (Resample) {
                uint32_t next = frame + 1;
                if (next >= m_Frames) next = m_Loop ? 0 : frame;
                const float t = static_cast<float>(frac) * (1.0f / 4294967296.0f);
                const float l0 = at(frame, 0), l1 = at(next, 0);
                l = l0 + (l1 - l0) * t;
                if constexpr (Channels == 2) {
                    const float r0 = at(frame, 1), r1 = at(next, 1);
                    r = r0 + (r1 - r0) * t;
                } else {
                    r = l;
                }
                const uint32_t before = frac;
                frac += stepLo;
                frame += stepHi + (frac < before ? 1 : 0);
            } else {
                l = at(frame, 0);
                r = Channels == 2 ? at(frame, 1) : l;
                ++frame;
            }
            acc[2 * i] += l * g;
            acc[2 * i + 1] += r * g;
        }
        m_Frame = frame;
        m_Fraction = frac;
    }

    void MixSegment(float* acc, uint32_t n) {
        if (m_Gain == 0.0f || m_Lost) {  // silent: only time passes
            const uint64_t pos = ((static_cast<uint64_t>(m_Frame) << 32) | m_Fraction) + m_Step * n;
            m_Frame = static_cast<uint32_t>(pos >> 32);
            m_Fraction = static_cast<uint32_t>(pos);
            return;
        }
        const bool resample = m_Step != (1ull << 32);
        const bool stereo = m_Format.channels == 2;
        if (m_Format.bitsPerSample == 16) {
            if (stereo)
                resample ? Kernel<16, 2, true>(acc, n) : Kernel<16, 2, false>(acc, n);
            else
                resample ? Kernel<16, 1, true>(acc, n) : Kernel<16, 1, false>(acc, n);
        } else {
            if (stereo)
                resample ? Kernel<8, 2, true>(acc, n) : Kernel<8, 2, false>(acc, n);
            else
                resample ? Kernel<8, 1, true>(acc, n) : Kernel<8, 1, false>(acc, n);
        }
    }

    void Fire(int event, std::vector<std::shared_ptr<CAudioEvents>>* fired) {
        m_Events->Signal(event);
        if (fired && std::find(fired->begin(), fired->end(), m_Events) == fired->end())
            fired->push_back(m_Events);
    }

    // Notifications whose frame lies in [from, to): the cursor went over them.
    void NotifyRange(uint32_t from, uint32_t to, std::vector<std::shared_ptr<CAudioEvents>>* fired) {
        if (!m_Events || from >= to) return;
        for (const CAudioNotify& n : m_Notes) {
            if (n.offset == kAudioOffsetStop) continue;
            const uint32_t f = n.offset / m_Format.blockAlign;
            if (f >= from && f < to) Fire(n.event, fired);
        }
    }

    void NotifyStop(std::vector<std::shared_ptr<CAudioEvents>>* fired) {
        if (!m_Events) return;
        for (const CAudioNotify& n : m_Notes)
            if (n.offset == kAudioOffsetStop) Fire(n.event, fired);
    }

    CAudioMixer& m_Mixer;
    const uint32_t m_Flags;
    const CAudioFormat m_Format;
    std::vector<uint8_t> m_Data;
    const uint32_t m_Frames;
    const uint64_t m_Step;  // source frames per output frame, 32.32 fixed point
    uint32_t m_Frame = 0;
    uint32_t m_Fraction = 0;
    int32_t m_Volume = 0;
    float m_Gain = 1.0f;
    bool m_Playing = false;
    bool m_Loop = false;
    bool m_Lost = false;
    std::shared_ptr<CAudioEvents> m_Events;
    std::vector<CAudioNotify> m_Notes;

    friend class CAudioMixer;
};

CAudioMixer::CAudioMixer(uint32_t outputRate) : m_OutputRate(outputRate ? outputRate : 44100) {}

CAudioMixer::~CAudioMixer() = default;

std::unique_ptr<CAudioBuffer> CAudioMixer::CreateBuffer(const CAudioBufferDesc& desc) {
    if ((desc.flags & kAudioPrimary) || !ValidPcm(desc.format) || desc.bytes < 4) return nullptr;
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        if (m_CreateFails) return nullptr;
    }
    auto buffer = std::make_unique<CMixerBuffer>(*this, desc);
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Buffers.push_back(buffer.get());
    return buffer;
}

bool CAudioMixer::AcceptPrimary(const CAudioFormat& format) {
    return ValidPcm(format) && format.bitsPerSample == 16 && format.samplesPerSec == m_OutputRate;
}

bool CAudioMixer::CreatePrimary(const CAudioFormat& format) {
    if (!AcceptPrimary(format)) return false;
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Primary = true;
    return true;
}

void CAudioMixer::ReleasePrimary() {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Primary = false;
}

bool CAudioMixer::PrimaryActive() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Primary;
}

CAudioFormat CAudioMixer::OutputFormat() const {
    return CAudioFormat::Pcm16(2, m_OutputRate);
}

void CAudioMixer::PromoteCurrentThread() {
    // Real-time scheduling needs a privilege most users lack; then the thread keeps its priority.
    sched_param param{};
    param.sched_priority = sched_get_priority_max(SCHED_RR);
    pthread_setschedparam(pthread_self(), SCHED_RR, &param);
}

void CAudioMixer::Unregister(CMixerBuffer* buffer) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Buffers.erase(std::remove(m_Buffers.begin(), m_Buffers.end(), buffer), m_Buffers.end());
}

void CAudioMixer::Mix(int16_t* out, uint32_t frames, std::vector<std::shared_ptr<CAudioEvents>>* signalled) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Accumulator.assign(2 * static_cast<size_t>(frames), 0.0f);
    for (CMixerBuffer* buffer : m_Buffers) buffer->MixInto(m_Accumulator.data(), frames, signalled);
    for (size_t i = 0; i < m_Accumulator.size(); ++i) {
        const float v = std::clamp(m_Accumulator[i], -32768.0f, 32767.0f);
        out[i] = static_cast<int16_t>(std::lrint(v));
    }
}

void CAudioMixer::LoseAllBuffers() {
    std::lock_guard<std::mutex> lock(m_Mutex);
    for (CMixerBuffer* buffer : m_Buffers) buffer->Lose();
}

size_t CAudioMixer::BufferCount() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Buffers.size();
}

void CAudioMixer::SetCreateFails(bool fails) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_CreateFails = fails;
}
