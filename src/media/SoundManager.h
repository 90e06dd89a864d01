#pragma once
// The 100 sound channels of the game. Channels 0-9 stream (music; 0 can be loaded but never plays),
// 10-99 hold whole sounds (10-19 and 30-99 effects, 20-29 voices; 99 the silent "effect/mute.ogg" that
// is played once after every stop). Each channel follows its group's level and may fade in or out along
// a logarithmic curve, advanced once per frame by Update().
//
// A channel number outside 0-99 and an empty channel are ignored by every operation.

#include <cstdint>
#include <memory>
#include <string>

class CSoundDevice;
class CStaticSound;
class CStreamSound;

class CSoundManager {
  public:
    static constexpr int kChannels = 100;
    static constexpr int kStreams = 10;
    static constexpr int kMuteChannel = 99;

    // Loads "effect/mute.ogg" into channel 99.
    explicit CSoundManager(CSoundDevice& device);
    // Releases every channel, streams first.
    ~CSoundManager();
    CSoundManager(const CSoundManager&) = delete;
    CSoundManager& operator=(const CSoundManager&) = delete;

    // Loads an Ogg Vorbis file (streamed on 0-9, decoded whole on 10-99), releasing what the channel
    // held; the fade ends and the group's level applies.
    void LoadOgg(int n, const std::string& path);
    // The same for a wave file.
    void LoadWave(int n, const std::string& path);
    // Stops the channel (playing channel 99 once) and frees its sound.
    void Release(int n);
    // Release for 0-99, channel 99 included.
    void ReleaseAll();
    // Streams always loop.
    void Play(int n, bool loop);
    void Resume(int n, bool loop);
    // Stops, then plays channel 99 once.
    void Stop(int n);
    void PlayFadeIn(int n, uint32_t durationMs, bool loop);
    // The channel goes on playing until the fade ends, then stops.
    void FadeOut(int n, uint32_t durationMs);
    // Configuration steps 0, 25, 50, 75, 100; any other value keeps the level.
    void SetMusicVolume(int step);
    void SetEffectVolume(int step);
    void SetVoiceVolume(int step);
    // Once per frame: advances the fades.
    void Update();
    // Length in milliseconds of the sound in the channel (0 when empty).
    uint32_t GetDuration(int n) const;

    // Observations.
    CStaticSound* StaticSound(int n) const;
    CStreamSound* StreamSound(int n) const;
    bool IsLoaded(int n) const { return StaticSound(n) || StreamSound(n); }
    // The level of the channel's group, in hundredths of a decibel (0 for channel 0).
    int32_t GroupLevel(int n) const;
    // 0 none, 1 fading in, 2 fading out.
    int FadeState(int n) const;
    // The volume the channel's buffer has now (-10000 when empty).
    int32_t ChannelVolume(int n) const;
    static int32_t LevelOfStep(int step, int32_t current);

  private:
    struct CFade {
        int state = 0;
        uint32_t start = 0;
        uint32_t last = 0;
        uint32_t duration = 0;
        double coefficient = 0.0;
        int32_t from = 0;
        int32_t target = 0;
    };

    void Load(int n, const std::string& path, bool ogg);
    void SetVolume(int n, int32_t volume);
    void ApplyGroupLevel(int n);
    void StopSound(int n);
    void PlayMute();
    void ApplyGroup(int group);
    int GroupOf(int n) const;

    CSoundDevice& m_Device;
    std::unique_ptr<CStaticSound> m_Static[kChannels];
    std::unique_ptr<CStreamSound> m_Streams[kStreams];
    int32_t m_Levels[3] = {0, 0, 0};  // music, effects, voice
    CFade m_Fades[kChannels];
};
