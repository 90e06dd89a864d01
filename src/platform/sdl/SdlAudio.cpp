#include "platform/sdl/SdlAudio.h"

#include <SDL.h>

namespace {

class CSdlAudio : public CAudioMixer {
  public:
    CSdlAudio() : CAudioMixer(44100) {}
    ~CSdlAudio() override {
        if (m_Device) SDL_CloseAudioDevice(m_Device);
        if (m_OwnsSubsystem) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    bool Open() {
        if (!SDL_WasInit(SDL_INIT_AUDIO)) {
            if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
            m_OwnsSubsystem = true;
        }
        SDL_AudioSpec want{};
        want.freq = 44100;
        want.format = AUDIO_S16SYS;
        want.channels = 2;
        want.samples = 1024;  // about 23 ms a period
        want.callback = &CSdlAudio::Callback;
        want.userdata = this;
        SDL_AudioSpec have{};
        // No changes allowed: SDL converts to whatever the hardware takes.
        m_Device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (!m_Device) return false;
        SDL_PauseAudioDevice(m_Device, 0);
        return true;
    }

  private:
    static void Callback(void* userdata, Uint8* stream, int len) {
        auto* self = static_cast<CSdlAudio*>(userdata);
        self->Mix(reinterpret_cast<int16_t*>(stream), static_cast<uint32_t>(len) / 4);
    }

    SDL_AudioDeviceID m_Device = 0;
    bool m_OwnsSubsystem = false;
};

}  // namespace

std::unique_ptr<CPlatformAudio> CreateSdlAudio() {
    auto audio = std::make_unique<CSdlAudio>();
    if (!audio->Open()) return nullptr;
    return audio;
}
