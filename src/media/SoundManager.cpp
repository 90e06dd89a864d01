#include "media/SoundManager.h"

#include <cmath>

#include "media/SoundDevice.h"
#include "media/SoundStatic.h"
#include "media/SoundStream.h"
#include "platform/audio/Audio.h"
#include "resources/OggSource.h"
#include "resources/WaveSource.h"
#include "shell/System.h"

namespace {

enum EGroup { kNone = -1, kMusic = 0, kEffects = 1, kVoice = 2 };

bool Valid(int n) {
    return n >= 0 && n < CSoundManager::kChannels;
}

}  // namespace

CSoundManager::CSoundManager(CSoundDevice& device) : m_Device(device) {
    LoadOgg(kMuteChannel, "effect/mute.ogg");
}

CSoundManager::~CSoundManager() {
    ReleaseAll();
}

int CSoundManager::GroupOf(int n) const {
    if (n >= 1 && n <= 9) return kMusic;
    if (n >= 20 && n <= 29) return kVoice;
    if (n >= 10 && n <= 99) return kEffects;
    return kNone;
}

int32_t CSoundManager::GroupLevel(int n) const {
    const int group = GroupOf(n);
    return group == kNone ? 0 : m_Levels[group];
}

CStaticSound* CSoundManager::StaticSound(int n) const {
    return n >= kStreams && n < kChannels ? m_Static[n].get() : nullptr;
}

CStreamSound* CSoundManager::StreamSound(int n) const {
    return n >= 0 && n < kStreams ? m_Streams[n].get() : nullptr;
}

int CSoundManager::FadeState(int n) const {
    return Valid(n) ? m_Fades[n].state : 0;
}

int32_t CSoundManager::ChannelVolume(int n) const {
    CAudioBuffer* buffer = nullptr;
    if (CStreamSound* s = StreamSound(n)) buffer = s->Buffer();
    if (CStaticSound* s = StaticSound(n)) buffer = s->Buffer();
    return buffer ? buffer->Volume() : kAudioVolumeMin;
}

void CSoundManager::SetVolume(int n, int32_t volume) {
    if (CStreamSound* s = StreamSound(n)) s->SetVolume(volume);
    if (CStaticSound* s = StaticSound(n)) s->SetVolume(volume);
}

void CSoundManager::ApplyGroupLevel(int n) {
    if (GroupOf(n) != kNone) SetVolume(n, GroupLevel(n));
}

void CSoundManager::Load(int n, const std::string& path, bool ogg) {
    if (!Valid(n)) return;
    if (n < kStreams) {
        m_Device.ReleaseStream(m_Streams[n]);
        m_Streams[n] = m_Device.CreateStream(path, ogg ? CStreamSound::kOgg : CStreamSound::kWave);
    } else {
        m_Device.ReleaseStatic(m_Static[n]);
        std::unique_ptr<CSoundSource> source;
        if (ogg)
            source = std::make_unique<COggSource>();
        else
            source = std::make_unique<CWaveSource>();
        // A file that is in neither data root leaves the channel empty.
        if (source->Load(path)) m_Static[n] = m_Device.CreateStatic(*source);
        source->Close();
    }
    m_Fades[n].state = 0;
    ApplyGroupLevel(n);
}

void CSoundManager::LoadOgg(int n, const std::string& path) {
    Load(n, path, true);
}

void CSoundManager::LoadWave(int n, const std::string& path) {
    Load(n, path, false);
}

void CSoundManager::PlayMute() {
    Play(kMuteChannel, false);
}

void CSoundManager::Release(int n) {
    if (!Valid(n)) return;
    Stop(n);
    if (n < kStreams)
        m_Device.ReleaseStream(m_Streams[n]);
    else
        m_Device.ReleaseStatic(m_Static[n]);
}

void CSoundManager::ReleaseAll() {
    for (int n = 0; n < kChannels; ++n) Release(n);
}

void CSoundManager::Play(int n, bool loop) {
    // Channel 0's volume step finds no sound of its own: it never plays.
    if (!Valid(n) || n == 0) return;
    ApplyGroupLevel(n);
    if (CStreamSound* s = StreamSound(n)) s->Play();
    if (CStaticSound* s = StaticSound(n)) s->Play(loop);
}

void CSoundManager::Resume(int n, bool loop) {
    if (!Valid(n) || n == 0) return;
    ApplyGroupLevel(n);
    if (CStreamSound* s = StreamSound(n)) s->Resume();
    if (CStaticSound* s = StaticSound(n)) s->Resume(loop);
}

void CSoundManager::StopSound(int n) {
    if (CStreamSound* s = StreamSound(n)) s->Stop();
    if (CStaticSound* s = StaticSound(n)) s->Stop();
}

void CSoundManager::Stop(int n) {
    if (!Valid(n)) return;
    StopSound(n);
    PlayMute();
}

void CSoundManager::PlayFadeIn(int n, uint32_t durationMs, bool loop) {
    if (!Valid(n) || n == 0 || !IsLoaded(n)) return;
    CFade& f = m_Fades[n];
    f.state = 1;
    f.start = f.last = TimeGetTime();
    f.target = GroupLevel(n);
    f.from = kAudioVolumeMin;
    f.coefficient = (f.target - kAudioVolumeMin) / std::log(80.0);
    f.duration = durationMs;
    SetVolume(n, kAudioVolumeMin);
    // Played at the fade's first level, not at the group's.
    if (CStreamSound* s = StreamSound(n)) s->Play();
    if (CStaticSound* s = StaticSound(n)) s->Play(loop);
}

void CSoundManager::FadeOut(int n, uint32_t durationMs) {
    if (!Valid(n) || !IsLoaded(n)) return;
    CFade& f = m_Fades[n];
    f.state = 2;
    f.start = f.last = TimeGetTime();
    f.target = kAudioVolumeMin;
    f.from = GroupLevel(n);
    f.coefficient = (GroupLevel(n) - kAudioVolumeMin) / std::log(80.0);
    f.duration = durationMs;
    PlayMute();
}

void CSoundManager::Update() {
    const uint32_t now = TimeGetTime();
    for (int n = 0; n < kChannels; ++n) {
        CFade& f = m_Fades[n];
        if (f.state == 0 || !IsLoaded(n)) continue;
        f.last = now;
        const uint32_t t = now - f.start;
        int32_t level = kAudioVolumeMin;
        bool ended = false;
        if (f.state == 1) {
            // At the full duration the curve is at the target; computing it there could round below.
            const double g = f.duration ? t * 80.0 / f.duration : 80.0;
            if (t >= f.duration) {
                level = f.target;
                ended = true;
            } else if (g > 1.0) {
                level = kAudioVolumeMin + static_cast<int32_t>(std::trunc(f.coefficient * std::log(g)));
                if (level >= f.target) {
                    level = f.target;
                    ended = true;
                }
            }
            SetVolume(n, level);
            if (ended) f.state = 0;
        } else {
            const double g = f.duration ? 80.0 - t * 80.0 / f.duration : 0.0;
            if (g > 0.0) {
                level = kAudioVolumeMin + static_cast<int32_t>(std::trunc(f.coefficient * std::log(g)));
                if (level <= kAudioVolumeMin) {
                    level = kAudioVolumeMin;
                    ended = true;
                }
            } else {
                ended = true;
            }
            SetVolume(n, level);
            if (ended) {
                f.state = 0;
                StopSound(n);
            }
        }
    }
}

int32_t CSoundManager::LevelOfStep(int step, int32_t current) {
    switch (step) {
        case 0:
            return -10000;
        case 25:
            return -2300;
        case 50:
            return -1000;
        case 75:
            return -500;
        case 100:
            return 0;
        default:
            return current;
    }
}

void CSoundManager::ApplyGroup(int group) {
    if (group < kMusic || group > kVoice) return;
    for (int n = 0; n < kChannels; ++n)
        if (GroupOf(n) == group) SetVolume(n, m_Levels[group]);
}

void CSoundManager::SetMusicVolume(int step) {
    m_Levels[kMusic] = LevelOfStep(step, m_Levels[kMusic]);
    ApplyGroup(kMusic);
}

void CSoundManager::SetEffectVolume(int step) {
    m_Levels[kEffects] = LevelOfStep(step, m_Levels[kEffects]);
    ApplyGroup(kEffects);
}

void CSoundManager::SetVoiceVolume(int step) {
    m_Levels[kVoice] = LevelOfStep(step, m_Levels[kVoice]);
    ApplyGroup(kVoice);
}

uint32_t CSoundManager::GetDuration(int n) const {
    if (CStreamSound* s = StreamSound(n)) return s->GetDurationMs();
    if (CStaticSound* s = StaticSound(n)) return s->GetDurationMs();
    return 0;
}
