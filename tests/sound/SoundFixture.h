#pragma once
// A headless platform with the headless sound device installed, in an empty temporary folder.

#include <filesystem>
#include <string>
#include <vector>

#include "OggTestFiles.h"
#include "platform/headless/HeadlessAudio.h"
#include "support/TestPlatform.h"

class CSoundTest : public CPlatformTest {
  protected:
    CSoundTest() : audio(platform.Clock()) {
        platform.SetAudio(&audio);
        TempDir();
    }
    ~CSoundTest() override { platform.SetAudio(nullptr); }

    // Writes an Ogg file of a tone at the relative path; answers its reference decoding.
    std::vector<uint8_t> WriteOgg(const std::string& path, int channels, int rate, int frames) {
        WriteFileBytes(path, EncodeOgg(channels, rate, MakeTone(channels, rate, frames)));
        return DecodeReference(path);
    }
    // Advances the virtual clock in frames of `stepMs`, pumping the device after each.
    void Run(uint32_t ms, uint32_t stepMs = 16) {
        for (uint32_t done = 0; done < ms;) {
            const uint32_t step = std::min(stepMs, ms - done);
            platform.Clock().Advance(step);
            audio.Pump();
            done += step;
        }
    }

    CHeadlessAudio audio;
};
