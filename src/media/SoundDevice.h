#pragma once
// The sound device of the game: the platform's audio output (none when it could not be had: the game
// then runs silent after one message) and, in high quality, the 44100 Hz 16-bit stereo output format.
// It makes the channels' sounds: every factory answers none while the device is unavailable.

#include <memory>
#include <string>

#include "platform/audio/Audio.h"

class CSoundSource;
class CStaticSound;
class CStreamSound;

class CSoundDevice {
  public:
    // Takes the platform's audio. Without one, shows "サウンドドライバの取得に失敗しました。\n今後、音声は
    // でません。" and stays unavailable. With `highQuality`, asks for the 44100 Hz 16-bit stereo output;
    // a refusal is fatal ("プライマリサウンドバッファの作成に失敗しました。...").
    explicit CSoundDevice(bool highQuality);
    ~CSoundDevice();
    CSoundDevice(const CSoundDevice&) = delete;
    CSoundDevice& operator=(const CSoundDevice&) = delete;

    bool Available() const { return m_Audio != nullptr; }
    CPlatformAudio* Audio() const { return m_Audio; }

    // A static sound holding the source's whole data; none when unavailable.
    std::unique_ptr<CStaticSound> CreateStatic(CSoundSource& source);
    // A stream on the path: kind 0 a wave file, 1 Ogg Vorbis. None when unavailable or the file is
    // not found.
    std::unique_ptr<CStreamSound> CreateStream(const std::string& path, int kind);
    void ReleaseStatic(std::unique_ptr<CStaticSound>& sound);
    void ReleaseStream(std::unique_ptr<CStreamSound>& sound);

  private:
    CPlatformAudio* m_Audio = nullptr;
    bool m_HighQuality = false;
    bool m_Primary = false;
};
