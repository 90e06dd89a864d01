// Sound costs: mixing 4 music streams and 16 effects (CPU seconds per second of audio), and the refill of
// one quarter of a stream's ring (half a second of Ogg Vorbis decoded and written into the buffer).
// memcpy of the same bytes is the anchor beside each.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include "platform/audio/Mixer.h"
#include "resources/OggSource.h"

namespace {

constexpr uint32_t kRate = 44100;
constexpr double kAudioSeconds = 10.0;
constexpr uint32_t kPeriod = 1024;  // frames per device callback

std::unique_ptr<CAudioBuffer> Buffer(CAudioMixer& mixer, uint16_t channels, uint32_t rate, double seconds,
                                     uint32_t flags) {
    CAudioBufferDesc desc{flags, 0, CAudioFormat::Pcm16(channels, rate)};
    desc.bytes = static_cast<uint32_t>(seconds * rate) * desc.format.blockAlign;
    auto buffer = mixer.CreateBuffer(desc);
    std::vector<int16_t> samples(desc.bytes / 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(8000 * std::sin(static_cast<double>(i) * 0.01));
    buffer->Write(0, samples.data(), desc.bytes);
    return buffer;
}

void BM_MixFourStreamsSixteenEffects(benchmark::State& state) {
    CAudioMixer mixer(kRate);
    std::vector<std::unique_ptr<CAudioBuffer>> buffers;
    auto events = std::make_shared<CAudioEvents>(5);
    for (int i = 0; i < 4; ++i) {  // music: two-second rings with their notifications
        auto b = Buffer(mixer, 2, kRate, 2.0, kAudioCtrlVolume | kAudioCtrlPositionNotify);
        const uint32_t q = b->Size() / 4;
        b->SetNotifications(events, {{0, 0}, {q, 1}, {2 * q, 2}, {3 * q, 3}, {kAudioOffsetStop, 4}});
        b->SetVolume(-500 * i);
        b->Play(true);
        buffers.push_back(std::move(b));
    }
    for (int i = 0; i < 16;
         ++i) {  // effects and voices: half at 22050 Hz mono (resampled), half 44100 stereo
        auto b = i % 2 ? Buffer(mixer, 1, 22050, 1.3, kAudioCtrlVolume)
                       : Buffer(mixer, 2, kRate, 0.7, kAudioCtrlVolume);
        b->SetVolume(-100 * i);
        b->Play(true);
        buffers.push_back(std::move(b));
    }
    std::vector<int16_t> out(2 * kPeriod);
    const uint32_t periods = static_cast<uint32_t>(kAudioSeconds * kRate / kPeriod);
    for (auto _ : state) {
        for (uint32_t p = 0; p < periods; ++p) mixer.Mix(out.data(), kPeriod);
        events->Reset();
        benchmark::DoNotOptimize(out.data());
    }
    // CPU seconds per second of audio (0.01 is 1% of one core).
    state.counters["cpu_s_per_audio_s"] = benchmark::Counter(
        kAudioSeconds, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_MixFourStreamsSixteenEffects)->Unit(benchmark::kMillisecond);

const char* kOgg = "/usr/share/sounds/freedesktop/stereo/complete.oga";

void BM_StreamRefillQuarter(benchmark::State& state) {
    if (!std::filesystem::exists(kOgg)) {
        state.SkipWithError("sound-theme-freedesktop is not installed");
        return;
    }
    COggSource source;
    if (!source.OpenStream(kOgg)) {
        state.SkipWithError("cannot open the sound");
        return;
    }
    CAudioMixer mixer(kRate);
    const CAudioFormat format = source.GetFormat();
    auto buffer =
        mixer.CreateBuffer({kAudioCtrlVolume | kAudioCtrlPositionNotify, 2 * format.avgBytesPerSec, format});
    const uint32_t q = buffer->Size() / 4;
    std::vector<uint8_t> quarter(q);
    uint32_t offset = 0;
    for (auto _ : state) {
        source.ReadPcm(quarter.data(), q, true);
        buffer->Write(offset, quarter.data(), q);
        offset = (offset + q) % buffer->Size();
    }
    state.SetLabel(std::to_string(format.channels) + " ch " + std::to_string(format.samplesPerSec) + " Hz");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * q);
}
BENCHMARK(BM_StreamRefillQuarter)->Unit(benchmark::kMillisecond);

void BM_AnchorMemcpyQuarter(benchmark::State& state) {
    std::vector<uint8_t> a(88200, 1), b(88200);
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), a.size());
        benchmark::DoNotOptimize(b.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 88200);
}
BENCHMARK(BM_AnchorMemcpyQuarter);

}  // namespace

BENCHMARK_MAIN();
