#pragma once
// The real sound device: an SDL audio device at 44100 Hz, 16-bit stereo, fed from the mixer by SDL's
// audio thread.

#include <memory>

#include "platform/audio/Mixer.h"

// Opens the default output device and starts it; nullptr when no device can be opened (the game then
// runs silent after its message).
std::unique_ptr<CPlatformAudio> CreateSdlAudio();
