// The mixer and the headless device: gain, resampling, cursors, notifications, writes, and pumping by
// the virtual clock.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <thread>

#include "SoundFixture.h"
#include "platform/audio/Mixer.h"
#include "resources/WaveSource.h"

namespace {

std::unique_ptr<CAudioBuffer> MakeBuffer(CAudioMixer& mixer, int channels, int rate, int bits,
                                         uint32_t frames, uint32_t flags = kAudioCtrlVolume) {
    CAudioBufferDesc desc;
    desc.flags = flags;
    desc.format = CAudioFormat::Pcm16(static_cast<uint16_t>(channels), static_cast<uint32_t>(rate));
    desc.format.bitsPerSample = static_cast<uint16_t>(bits);
    desc.format.blockAlign = static_cast<uint16_t>(channels * bits / 8);
    desc.format.avgBytesPerSec = desc.format.blockAlign * static_cast<uint32_t>(rate);
    desc.bytes = frames * desc.format.blockAlign;
    return mixer.CreateBuffer(desc);
}

void FillConstant16(CAudioBuffer& buffer, int16_t value) {
    std::vector<int16_t> samples(buffer.Size() / 2, value);
    ASSERT_EQ(buffer.Write(0, samples.data(), buffer.Size()), EAudioWrite::Ok);
}

std::vector<int16_t> MixFrames(CAudioMixer& mixer, uint32_t frames) {
    std::vector<int16_t> out(2 * static_cast<size_t>(frames));
    mixer.Mix(out.data(), frames);
    return out;
}

}  // namespace

TEST(MixerTest, VolumeGivesTheDecibelGain) {
    for (int32_t volume : {0, -100, -600, -2000, -2300, -5000, -9999, -10000, -20000, 300}) {
        CAudioMixer mixer(44100);
        auto buffer = MakeBuffer(mixer, 2, 44100, 16, 1000);
        ASSERT_TRUE(buffer);
        FillConstant16(*buffer, 20000);
        buffer->SetVolume(volume);
        const int32_t clamped = std::clamp(volume, -10000, 0);
        EXPECT_EQ(buffer->Volume(), clamped);
        buffer->Play(true);
        auto out = MixFrames(mixer, 100);
        const double expected = clamped <= -10000 ? 0.0 : 20000.0 * std::pow(10.0, clamped / 2000.0);
        for (int16_t s : out) ASSERT_NEAR(s, expected, 1.0) << "volume " << volume;
    }
}

TEST(MixerTest, SameRateStereoIsCopiedExactlyAndClampsWhenSummed) {
    CAudioMixer mixer(44100);
    auto a = MakeBuffer(mixer, 2, 44100, 16, 64);
    auto b = MakeBuffer(mixer, 2, 44100, 16, 64);
    std::vector<int16_t> ramp(128);
    for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<int16_t>(i * 257 - 16000);
    ASSERT_EQ(a->Write(0, ramp.data(), 256), EAudioWrite::Ok);
    a->Play(false);
    auto out = MixFrames(mixer, 64);
    EXPECT_EQ(out, ramp);
    FillConstant16(*a, 30000);
    FillConstant16(*b, 30000);
    a->Play(false);
    b->Play(false);
    out = MixFrames(mixer, 10);
    for (int16_t s : out) EXPECT_EQ(s, 32767);
}

TEST(MixerTest, MonoAt22050IsResampledToBothChannels) {
    CAudioMixer mixer(44100);
    auto buffer = MakeBuffer(mixer, 1, 22050, 16, 1000);
    std::vector<int16_t> src(1000);
    for (size_t i = 0; i < src.size(); ++i) src[i] = static_cast<int16_t>(i * 20);
    ASSERT_EQ(buffer->Write(0, src.data(), 2000), EAudioWrite::Ok);
    buffer->Play(false);
    auto out = MixFrames(mixer, 400);
    for (int i = 0; i < 400; ++i) {
        // Every second output frame falls between two source frames.
        const double expected = i % 2 == 0 ? src[i / 2] : (src[i / 2] + src[i / 2 + 1]) / 2.0;
        ASSERT_NEAR(out[2 * i], expected, 0.5) << i;
        ASSERT_EQ(out[2 * i], out[2 * i + 1]) << i;
    }
    EXPECT_EQ(buffer->Position(), 200u * 2);
}

TEST(MixerTest, EightBitSamplesAreCentredOn128) {
    CAudioMixer mixer(44100);
    auto buffer = MakeBuffer(mixer, 2, 44100, 8, 16);
    std::vector<uint8_t> bytes(32);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i % 2 ? 128 + 64 : 128 - 32);
    ASSERT_EQ(buffer->Write(0, bytes.data(), 32), EAudioWrite::Ok);
    buffer->Play(false);
    auto out = MixFrames(mixer, 16);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(out[2 * i], -32 * 256);
        EXPECT_EQ(out[2 * i + 1], 64 * 256);
    }
}

TEST(MixerTest, OneShotStopsAtItsEndAndLoopWraps) {
    CAudioMixer mixer(44100);
    auto buffer = MakeBuffer(mixer, 2, 44100, 16, 100);
    std::vector<int16_t> src(200);
    for (size_t i = 0; i < src.size(); ++i) src[i] = static_cast<int16_t>(i + 1);
    ASSERT_EQ(buffer->Write(0, src.data(), 400), EAudioWrite::Ok);
    buffer->Play(false);
    auto out = MixFrames(mixer, 150);
    EXPECT_FALSE(buffer->IsPlaying());
    EXPECT_EQ(buffer->Position(), 0u);
    for (size_t i = 0; i < 300; ++i) EXPECT_EQ(out[i], i < 200 ? src[i] : 0) << i;

    buffer->SetPosition(90 * 4);
    buffer->Play(true);
    out = MixFrames(mixer, 30);
    EXPECT_TRUE(buffer->IsPlaying());
    EXPECT_EQ(buffer->Position(), 20u * 4);
    for (size_t i = 0; i < 60; ++i) EXPECT_EQ(out[i], src[(180 + i) % 200]) << i;
}

TEST(MixerTest, RefusesWhatItCannotPlay) {
    CAudioMixer mixer(44100);
    struct Case {
        uint16_t tag, channels, bits, block;
        uint32_t rate, bytes, flags;
    };
    const Case cases[] = {
        {3, 2, 16, 4, 44100, 4000, 0}, {1, 3, 16, 6, 44100, 6000, 0},
        {1, 2, 24, 6, 44100, 6000, 0}, {1, 2, 16, 2, 44100, 4000, 0},
        {1, 2, 16, 4, 0, 4000, 0},     {1, 2, 16, 4, 300000, 4000, 0},
        {1, 2, 16, 4, 44100, 2, 0},    {1, 2, 16, 4, 44100, 4000, kAudioPrimary},
    };
    for (const Case& c : cases) {
        CAudioBufferDesc desc{
            c.flags, c.bytes, {c.tag, c.channels, c.rate, c.rate * c.block, c.block, c.bits}};
        EXPECT_EQ(mixer.CreateBuffer(desc), nullptr) << c.tag << " " << c.channels << " " << c.bits;
    }
    EXPECT_EQ(mixer.BufferCount(), 0u);
    mixer.SetCreateFails(true);
    EXPECT_EQ(MakeBuffer(mixer, 2, 44100, 16, 100), nullptr);
    mixer.SetCreateFails(false);
    auto ok = MakeBuffer(mixer, 1, 11025, 8, 100);
    EXPECT_NE(ok, nullptr);
    EXPECT_EQ(mixer.BufferCount(), 1u);
    ok.reset();
    EXPECT_EQ(mixer.BufferCount(), 0u);
}

TEST(MixerTest, WritesWrapAndCheckTheirBounds) {
    CAudioMixer mixer(44100);
    auto buffer = MakeBuffer(mixer, 2, 44100, 16, 4);  // 16 bytes
    const uint8_t bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    ASSERT_EQ(buffer->Write(12, bytes, 8), EAudioWrite::Ok);
    EXPECT_EQ(buffer->Write(16, bytes, 1), EAudioWrite::Failed);
    std::vector<uint8_t> big(17);
    EXPECT_EQ(buffer->Write(0, big.data(), 17), EAudioWrite::Failed);
    buffer->Play(false);
    auto out = MixFrames(mixer, 4);
    int16_t expect[8];
    std::memcpy(expect, bytes + 4, 4);  // frame 0 came from the wrapped part
    EXPECT_EQ(out[0], expect[0]);
    EXPECT_EQ(out[1], expect[1]);
    std::memcpy(expect, bytes, 4);  // frame 3 from the first part
    EXPECT_EQ(out[6], expect[0]);
    EXPECT_EQ(out[7], expect[1]);
}

TEST(MixerTest, LostBufferRefusesWritesUntilRestoredSilent) {
    CAudioMixer mixer(44100);
    auto buffer = MakeBuffer(mixer, 2, 44100, 16, 10);
    FillConstant16(*buffer, 1000);
    mixer.LoseAllBuffers();
    EXPECT_TRUE(buffer->IsLost());
    std::vector<int16_t> data(20, 5);
    EXPECT_EQ(buffer->Write(0, data.data(), 40), EAudioWrite::Lost);
    buffer->Play(true);
    for (int16_t s : MixFrames(mixer, 10)) EXPECT_EQ(s, 0);
    EXPECT_TRUE(buffer->Restore());
    EXPECT_FALSE(buffer->IsLost());
    for (int16_t s : MixFrames(mixer, 10)) EXPECT_EQ(s, 0);  // restored memory is silence
    EXPECT_EQ(buffer->Write(0, data.data(), 40), EAudioWrite::Ok);
    for (int16_t s : MixFrames(mixer, 10)) EXPECT_EQ(s, 5);
}

TEST(MixerTest, NotificationsFireWhenTheCursorReachesThem) {
    CAudioMixer mixer(44100);
    auto buffer = MakeBuffer(mixer, 2, 44100, 16, 1000, kAudioCtrlPositionNotify);
    auto events = std::make_shared<CAudioEvents>(5);
    EXPECT_FALSE(MakeBuffer(mixer, 2, 44100, 16, 1000)->SetNotifications(events, {{0, 0}}));
    EXPECT_FALSE(buffer->SetNotifications(events, {{4000, 0}}));
    EXPECT_FALSE(buffer->SetNotifications(events, {{0, 5}}));
    ASSERT_TRUE(buffer->SetNotifications(
        events, {{0, 0}, {250 * 4, 1}, {500 * 4, 2}, {750 * 4, 3}, {kAudioOffsetStop, 4}}));
    buffer->Play(true);
    struct Step {
        uint32_t frames;
        std::vector<int> fired;
    };
    // The cursor after each step: 1, 250, 251, 750, 50 (wrapped), 51, 251, 251 (a whole turn).
    const Step steps[] = {{1, {0}},      {249, {}}, {1, {1}},   {499, {2}},
                          {300, {0, 3}}, {1, {}},   {200, {1}}, {1000, {0, 1, 2, 3}}};
    for (const Step& s : steps) {
        std::vector<std::shared_ptr<CAudioEvents>> signalled;
        std::vector<int16_t> out(2 * s.frames);
        mixer.Mix(out.data(), s.frames, &signalled);
        for (int e = 0; e < 5; ++e) {
            const bool want = std::find(s.fired.begin(), s.fired.end(), e) != s.fired.end();
            EXPECT_EQ(events->IsSignalled(e), want) << "event " << e << " after " << s.frames;
        }
        EXPECT_EQ(signalled.size(), s.fired.empty() ? 0u : 1u);
        events->Reset();
    }
    buffer->Stop();
    EXPECT_TRUE(events->IsSignalled(4));
    EXPECT_EQ(events->WaitAny(), 4);
    buffer->Stop();  // already stopped: no second stop notification
    EXPECT_FALSE(events->IsSignalled(4));
}

TEST(MixerTest, EventsWakeTheLowestFirstAndReportQuiet) {
    auto events = std::make_shared<CAudioEvents>(5);
    events->Signal(3);
    events->Signal(1);
    EXPECT_EQ(events->WaitAny(), 1);
    EXPECT_EQ(events->WaitAny(), 3);
    EXPECT_FALSE(events->WaitQuiet(10));  // nobody waits
    std::vector<int> seen;
    std::thread waiter([&] {
        for (;;) {
            const int e = events->WaitAny();
            if (e == 4) return;
            seen.push_back(e);
        }
    });
    ASSERT_TRUE(events->WaitQuiet(5000));
    events->Signal(2);
    ASSERT_TRUE(events->WaitQuiet(5000));
    events->Signal(0);
    ASSERT_TRUE(events->WaitQuiet(5000));
    events->Signal(4);
    waiter.join();
    EXPECT_EQ(seen, (std::vector<int>{2, 0}));
}

class MixerHeadlessTest : public CSoundTest {};

TEST_F(MixerHeadlessTest, PumpMixesUpToTheClock) {
    EXPECT_EQ(audio.MixedFrames(), 0u);
    audio.Pump();
    EXPECT_EQ(audio.MixedFrames(), 0u);
    for (int i = 0; i < 3; ++i) Run(333, 333);
    EXPECT_EQ(audio.MixedFrames(), 999u * 44100 / 1000);
    Run(1, 1);
    EXPECT_EQ(audio.MixedFrames(), 44100u);
    platform.Clock().Set(100);  // backwards: nothing is mixed
    audio.Pump();
    EXPECT_EQ(audio.MixedFrames(), 44100u);
    Run(20);
    EXPECT_EQ(audio.MixedFrames(), 44100u + 882);
}

TEST_F(MixerHeadlessTest, CaptureIsWrittenAsAWaveFile) {
    auto buffer = MakeBuffer(audio, 2, 44100, 16, 441);
    FillConstant16(*buffer, 1234);
    buffer->Play(false);
    audio.StartCapture();
    Run(20);
    ASSERT_EQ(audio.Captured().size(), 2u * 882);
    for (size_t i = 0; i < audio.Captured().size(); ++i)
        ASSERT_EQ(audio.Captured()[i], i < 882 ? 1234 : 0) << i;
    ASSERT_TRUE(audio.WriteWav("out.wav"));
    const std::string file = ReadFileBytes("out.wav");
    ASSERT_EQ(file.size(), 44u + 882 * 4);
    CAudioFormat format;
    size_t offset = 0;
    uint32_t size = 0;
    ASSERT_TRUE(
        ParseWaveFile(reinterpret_cast<const uint8_t*>(file.data()), file.size(), format, offset, size));
    EXPECT_EQ(format, CAudioFormat::Pcm16(2, 44100));
    EXPECT_EQ(offset, 44u);
    EXPECT_EQ(size, 882u * 4);
    EXPECT_EQ(std::memcmp(file.data() + 44, audio.Captured().data(), size), 0);
    EXPECT_FALSE(audio.WriteWav("no/such/folder/out.wav"));
}

TEST_F(MixerHeadlessTest, PrimaryFormatIsAcceptedOrRefused) {
    EXPECT_TRUE(audio.CreatePrimary(CAudioFormat::Pcm16(2, 44100)));
    EXPECT_TRUE(audio.PrimaryActive());
    audio.ReleasePrimary();
    EXPECT_FALSE(audio.CreatePrimary(CAudioFormat::Pcm16(2, 48000)));
    audio.SetPrimaryFails(true);
    EXPECT_FALSE(audio.CreatePrimary(CAudioFormat::Pcm16(2, 44100)));
    EXPECT_FALSE(audio.PrimaryActive());
}
