// The sound device, the channels, their groups and fades, and music streaming through the headless
// device.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <thread>

#include "SoundFixture.h"
#include "media/SoundDevice.h"
#include "media/SoundManager.h"
#include "media/SoundStatic.h"
#include "media/SoundStream.h"

namespace {

bool WaitFor(const std::function<bool()>& done) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace

class SoundChannelTest : public CSoundTest {
  protected:
    SoundChannelTest() {
        WriteFileBytes("effect/mute.ogg", EncodeOgg(1, 22050, std::vector<int16_t>(2205, 0)));
        tone = WriteOgg("se/tone.ogg", 1, 22050, 11025);
    }
    void Make(bool highQuality = true) {
        device = std::make_unique<CSoundDevice>(highQuality);
        sound = std::make_unique<CSoundManager>(*device);
    }
    // The clock at `ms` after `start`, then one frame of the channels.
    void UpdateAt(uint32_t start, uint32_t ms) {
        platform.Clock().Set(start + ms);
        sound->Update();
    }
    bool Playing(int n) const {
        if (CStaticSound* s = sound->StaticSound(n)) return s->Buffer()->IsPlaying();
        if (CStreamSound* s = sound->StreamSound(n)) return s->Buffer()->IsPlaying();
        return false;
    }
    ~SoundChannelTest() override {
        sound.reset();
        device.reset();
    }

    std::vector<uint8_t> tone;
    std::unique_ptr<CSoundDevice> device;
    std::unique_ptr<CSoundManager> sound;
};

TEST_F(SoundChannelTest, FadeInIsSilentAtFirstAndReachesTheTargetAtItsEnd) {
    Make();
    for (int step : {100, 50, 75}) {
        sound->SetEffectVolume(step);
        const int32_t target = sound->GroupLevel(10);
        sound->LoadOgg(10, "se/tone.ogg");
        const uint32_t start = 5000;
        platform.Clock().Set(start);
        sound->PlayFadeIn(10, 1000, true);
        EXPECT_TRUE(Playing(10));
        EXPECT_EQ(sound->ChannelVolume(10), -10000);
        for (uint32_t t : {0u, 1u, 6u, 12u}) {  // g = t * 80 / 1000 is at most 1 until 12.5 ms
            UpdateAt(start, t);
            EXPECT_EQ(sound->ChannelVolume(10), -10000) << t;
        }
        UpdateAt(start, 13);
        EXPECT_GT(sound->ChannelVolume(10), -10000);
        // Logarithmic: half-way it lacks only coefficient x ln 2 of the target.
        UpdateAt(start, 500);
        const double coefficient = (target + 10000) / std::log(80.0);
        EXPECT_NEAR(sound->ChannelVolume(10), target - coefficient * std::log(2.0), 1.0);
        int32_t previous = -10000;
        for (uint32_t t = 20; t < 1000; t += 20) {
            UpdateAt(start, t);
            EXPECT_GE(sound->ChannelVolume(10), previous) << t;
            EXPECT_LE(sound->ChannelVolume(10), target) << t;
            previous = sound->ChannelVolume(10);
        }
        EXPECT_EQ(sound->FadeState(10), 1);
        UpdateAt(start, 1000);
        EXPECT_EQ(sound->ChannelVolume(10), target) << step;
        EXPECT_EQ(sound->FadeState(10), 0);
        EXPECT_TRUE(Playing(10));
    }
}

TEST_F(SoundChannelTest, FadeOutFallsToSilenceAndStops) {
    Make();
    sound->SetVoiceVolume(75);
    sound->LoadOgg(20, "se/tone.ogg");
    sound->Play(20, true);
    const uint32_t start = 100;
    platform.Clock().Set(start);
    sound->FadeOut(20, 800);
    EXPECT_TRUE(Playing(99));  // the silent sound plays once at the start of a fade-out
    UpdateAt(start, 0);
    EXPECT_EQ(sound->ChannelVolume(20), -500);
    UpdateAt(start, 400);
    const double coefficient = (-500 + 10000) / std::log(80.0);
    EXPECT_NEAR(sound->ChannelVolume(20), -500 - coefficient * std::log(2.0), 1.0);
    int32_t previous = 0;
    for (uint32_t t = 10; t < 790; t += 10) {
        UpdateAt(start, t);
        EXPECT_LE(sound->ChannelVolume(20), previous) << t;
        EXPECT_GT(sound->ChannelVolume(20), -10000) << t;
        previous = sound->ChannelVolume(20);
        ASSERT_TRUE(Playing(20)) << t;
    }
    // At 79/80 of the duration g reaches 1, whose logarithm is 0: the curve is at silence.
    UpdateAt(start, 790);
    EXPECT_EQ(sound->ChannelVolume(20), -10000);
    EXPECT_FALSE(Playing(20));
    EXPECT_EQ(sound->FadeState(20), 0);
}

TEST_F(SoundChannelTest, FadesOfNoDurationEndAtTheNextFrame) {
    Make();
    sound->LoadOgg(30, "se/tone.ogg");
    sound->PlayFadeIn(30, 0, false);
    sound->Update();
    EXPECT_EQ(sound->ChannelVolume(30), 0);
    EXPECT_EQ(sound->FadeState(30), 0);
    sound->FadeOut(30, 0);
    sound->Update();
    EXPECT_FALSE(Playing(30));
    EXPECT_EQ(sound->FadeState(30), 0);
}

TEST_F(SoundChannelTest, GroupStepsSetTheirChannelsAtOnce) {
    Make();
    WriteOgg("bgm/m.ogg", 2, 22050, 4000);
    const int channels[] = {1, 9, 10, 19, 20, 29, 30, 98};
    for (int n : channels) sound->LoadOgg(n, n < 10 ? "bgm/m.ogg" : "se/tone.ogg");
    struct Step {
        int step;
        int32_t level;
    };
    const Step steps[] = {{25, -2300}, {0, -10000}, {33, -10000}, {75, -500}, {50, -1000}, {100, 0}, {-1, 0}};
    for (const Step& s : steps) {
        sound->SetEffectVolume(s.step);
        for (int n : channels) {
            const bool effect = (n >= 10 && n <= 19) || n >= 30;
            EXPECT_EQ(sound->ChannelVolume(n), effect ? s.level : 0) << "step " << s.step << " channel " << n;
        }
    }
    sound->SetMusicVolume(25);
    sound->SetVoiceVolume(50);
    for (int n : channels) {
        const int32_t want = n < 10 ? -2300 : (n >= 20 && n <= 29 ? -1000 : 0);
        EXPECT_EQ(sound->ChannelVolume(n), want) << n;
    }
    // A channel loaded later takes its group's level.
    sound->LoadOgg(25, "se/tone.ogg");
    EXPECT_EQ(sound->ChannelVolume(25), -1000);
}

TEST_F(SoundChannelTest, ChannelZeroLoadsButNeverPlays) {
    Make();
    WriteOgg("bgm/m.ogg", 2, 44100, 8000);
    sound->LoadOgg(0, "bgm/m.ogg");
    ASSERT_TRUE(sound->StreamSound(0));
    EXPECT_GT(sound->GetDuration(0), 0u);
    sound->Play(0, true);
    sound->Resume(0, true);
    sound->PlayFadeIn(0, 100, true);
    EXPECT_FALSE(Playing(0));
    EXPECT_EQ(sound->StreamSound(0)->ThreadStarts(), 0u);
    Run(200);
    EXPECT_FALSE(Playing(0));
}

TEST_F(SoundChannelTest, StopPlaysTheSilentSoundUntilEverythingIsReleased) {
    Make();
    ASSERT_TRUE(sound->StaticSound(99));
    sound->LoadOgg(10, "se/tone.ogg");
    sound->Play(10, false);
    EXPECT_TRUE(Playing(10));
    EXPECT_FALSE(Playing(99));
    sound->Stop(10);
    EXPECT_FALSE(Playing(10));
    EXPECT_TRUE(Playing(99));
    sound->ReleaseAll();
    EXPECT_FALSE(sound->IsLoaded(99));
    EXPECT_EQ(audio.BufferCount(), 0u);
    sound->LoadOgg(10, "se/tone.ogg");
    sound->Play(10, false);
    sound->Stop(10);
    EXPECT_FALSE(sound->IsLoaded(99));
    EXPECT_EQ(audio.BufferCount(), 1u);
    sound->Release(10);
    EXPECT_EQ(audio.BufferCount(), 0u);
}

TEST_F(SoundChannelTest, StaticSoundsHoldTheWholeDecodingAndResume) {
    Make();
    sound->LoadOgg(40, "se/tone.ogg");
    CStaticSound* s = sound->StaticSound(40);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->Description().flags, 0x8Au);
    EXPECT_EQ(s->Buffer()->Size(), tone.size());
    EXPECT_EQ(sound->GetDuration(40), 500u);  // 11025 frames at 22050 Hz
    audio.StartCapture();
    sound->Play(40, false);
    Run(1000);
    // 22050 Hz mono doubled to 44100 stereo: every even output frame is a source frame.
    const auto& out = audio.Captured();
    for (size_t i = 0; i + 1 < tone.size() / 2; i += 97) {
        int16_t src;
        std::memcpy(&src, tone.data() + 2 * i, 2);
        ASSERT_EQ(out[4 * i], src) << i;
        ASSERT_EQ(out[4 * i + 1], src) << i;
    }
    EXPECT_FALSE(Playing(40));  // a one-shot ends by itself
    sound->Play(40, true);
    Run(100);
    const uint32_t at = s->Buffer()->Position();
    EXPECT_GT(at, 0u);
    sound->Stop(40);
    sound->Resume(40, true);
    EXPECT_EQ(s->Buffer()->Position(), at);
    EXPECT_EQ(sound->ChannelVolume(40), 0);  // the stop's silence is lifted again
    sound->Play(40, true);
    EXPECT_EQ(s->Buffer()->Position(), 0u);
}

TEST_F(SoundChannelTest, MissingFilesLeaveTheChannelEmpty) {
    Make();
    sound->LoadOgg(10, "se/tone.ogg");
    sound->LoadOgg(10, "se/none.ogg");
    sound->LoadWave(11, "se/none.wav");
    sound->LoadOgg(3, "bgm/none.ogg");
    for (int n : {10, 11, 3}) {
        EXPECT_FALSE(sound->IsLoaded(n)) << n;
        sound->Play(n, true);
        sound->PlayFadeIn(n, 100, true);
        sound->FadeOut(n, 100);
        sound->Update();
        EXPECT_EQ(sound->GetDuration(n), 0u);
    }
    for (int n : {-1, 100, 1000}) {  // outside the channels: ignored
        sound->LoadOgg(n, "se/tone.ogg");
        sound->Play(n, true);
        sound->Release(n);
        EXPECT_EQ(sound->FadeState(n), 0);
    }
    EXPECT_EQ(audio.BufferCount(), 1u);  // channel 99 only
}

TEST_F(SoundChannelTest, NoDeviceShowsItsMessageAndStaysSilent) {
    platform.SetAudio(nullptr);
    Make();
    ASSERT_EQ(platform.MessageBoxes().size(), 1u);
    EXPECT_EQ(platform.MessageBoxes()[0].caption, "エラー");
    EXPECT_EQ(platform.MessageBoxes()[0].text,
              "サウンドドライバの取得に失敗しました。\n今後、音声はでません。");
    EXPECT_FALSE(device->Available());
    sound->LoadOgg(10, "se/tone.ogg");
    sound->LoadOgg(1, "se/tone.ogg");
    sound->Play(10, true);
    sound->PlayFadeIn(1, 100, true);
    sound->Update();
    sound->Stop(10);
    EXPECT_FALSE(sound->IsLoaded(10));
    EXPECT_FALSE(sound->IsLoaded(1));
    EXPECT_FALSE(sound->IsLoaded(99));
    EXPECT_EQ(platform.MessageBoxes().size(), 1u);
}

TEST_F(SoundChannelTest, HighQualityAsksForThePrimaryFormat) {
    Make(true);
    EXPECT_TRUE(audio.PrimaryActive());
    sound.reset();
    device.reset();
    EXPECT_FALSE(audio.PrimaryActive());
    Make(false);
    EXPECT_FALSE(audio.PrimaryActive());
}

TEST_F(SoundChannelTest, RefusedPrimaryOrBufferIsFatal) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            platform.SetLog(stderr);
            audio.SetPrimaryFails(true);
            CSoundDevice d(true);
        },
        ::testing::ExitedWithCode(255), "プライマリサウンドバッファの作成に失敗しました。");
    EXPECT_EXIT(
        {
            platform.SetLog(stderr);
            Make();
            audio.SetCreateFails(true);
            sound->LoadOgg(10, "se/tone.ogg");
        },
        ::testing::ExitedWithCode(255), "サウンドバッファの作成失敗");
    EXPECT_EXIT(
        {
            platform.SetLog(stderr);
            Make();
            audio.SetCreateFails(true);
            sound->LoadOgg(5, "se/tone.ogg");
        },
        ::testing::ExitedWithCode(255), "サウンドバッファの作成失敗");
}

class SoundStreamTest : public SoundChannelTest {};

TEST_F(SoundStreamTest, StoppingEndsTheThreadAndPlayingStartsANewOne) {
    Make();
    WriteOgg("bgm/m.ogg", 2, 44100, 30000);
    sound->LoadOgg(1, "bgm/m.ogg");
    CStreamSound* s = sound->StreamSound(1);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->Description().flags, 0x188u);
    EXPECT_EQ(s->Buffer()->Size(), 2u * 176400);
    EXPECT_FALSE(s->ThreadRunning());
    sound->Play(1, false);
    EXPECT_TRUE(s->ThreadRunning());
    EXPECT_TRUE(s->Buffer()->IsLooping());  // streams always loop
    EXPECT_EQ(s->ThreadStarts(), 1u);
    Run(700);
    sound->Stop(1);
    EXPECT_TRUE(WaitFor([s] { return !s->ThreadRunning(); }));
    sound->Play(1, true);
    EXPECT_EQ(s->ThreadStarts(), 2u);
    EXPECT_TRUE(s->ThreadRunning());
    Run(300);
    sound->Resume(1, true);  // played again while playing: the old thread is ended first
    EXPECT_EQ(s->ThreadStarts(), 3u);
    Run(300);
    sound->Release(1);
    EXPECT_FALSE(sound->IsLoaded(1));
}

TEST_F(SoundStreamTest, LoopedMusicIsTheWholeFileAgainAndAgainWithoutAGap) {
    Make();
    const auto reference = WriteOgg("bgm/loop.ogg", 2, 44100, 57331);
    sound->LoadOgg(2, "bgm/loop.ogg");
    EXPECT_EQ(sound->GetDuration(2), 1300u);
    audio.StartCapture();
    sound->Play(2, true);
    Run(4000);
    const auto& out = audio.Captured();
    ASSERT_EQ(out.size(), 2u * 176400);
    const size_t quarter = 88200 / 2;  // samples of the silent first half second
    for (size_t i = 0; i < quarter; ++i) ASSERT_EQ(out[i], 0) << i;
    const size_t samples = reference.size() / 2;
    for (size_t i = quarter; i < out.size(); ++i) {
        int16_t want;
        std::memcpy(&want, reference.data() + 2 * ((i - quarter) % samples), 2);
        ASSERT_EQ(out[i], want) << "sample " << i - quarter << " of the music";
    }
}

TEST_F(SoundStreamTest, WaveStreamShorterThanAQuarterRepeats) {
    Make();
    std::vector<uint8_t> data(8820 * 4);  // 0.2 s of 16-bit stereo
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>((i * 13) ^ (i >> 7));
    WriteFileBytes("bgm/w.wav", MakeWave(2, 44100, 16, data));
    sound->LoadWave(3, "bgm/w.wav");
    ASSERT_TRUE(sound->StreamSound(3));
    EXPECT_EQ(sound->GetDuration(3), 0u);
    audio.StartCapture();
    sound->Play(3, true);
    Run(3000);
    const auto& out = audio.Captured();
    const size_t q = 88200;  // bytes of a quarter
    // The priming counts as an eighth of a second copied: the music proper starts that far in.
    const size_t first = (352800 / 16) % data.size();
    std::vector<uint8_t> bytes(out.size() * 2);
    std::memcpy(bytes.data(), out.data(), bytes.size());
    for (size_t i = 0; i < q; ++i) ASSERT_EQ(bytes[i], 0) << i;
    for (size_t i = q; i < bytes.size(); ++i) ASSERT_EQ(bytes[i], data[(first + i - q) % data.size()]) << i;
}

TEST_F(SoundStreamTest, LostBufferIsRestoredAndRefilled) {
    Make();
    WriteOgg("bgm/m.ogg", 1, 22050, 44100);
    sound->LoadOgg(4, "bgm/m.ogg");
    sound->Play(4, true);
    Run(1100);
    audio.LoseAllBuffers();
    Run(1500);
    CStreamSound* s = sound->StreamSound(4);
    EXPECT_FALSE(s->Buffer()->IsLost());
    audio.StartCapture();
    Run(500);
    size_t loud = 0;
    for (int16_t v : audio.Captured()) loud += v != 0;
    EXPECT_GT(loud, audio.Captured().size() / 2);
}
