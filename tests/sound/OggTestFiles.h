#pragma once
// Test sounds: PCM made here, encoded to Ogg Vorbis with libvorbisenc, and the reference decoding of a
// file straight through libvorbisfile (no code of the game in between).

#include <cstdint>
#include <string>
#include <vector>

// Interleaved 16-bit samples: a different sine per channel, so that channel swaps and shifts show.
std::vector<int16_t> MakeTone(int channels, int rate, int frames);
// The samples encoded as an Ogg Vorbis file (the file's bytes).
std::string EncodeOgg(int channels, int rate, const std::vector<int16_t>& samples);
// A whole decoding with ov_fopen and ov_read (16-bit little-endian signed); the format through its
// out-parameters.
std::vector<uint8_t> DecodeReference(const std::string& path, int* channels = nullptr, long* rate = nullptr,
                                     int64_t* pcmTotal = nullptr, double* timeTotal = nullptr);
// A RIFF wave file's bytes holding the samples.
std::string MakeWave(int channels, int rate, int bits, const std::vector<uint8_t>& data);
