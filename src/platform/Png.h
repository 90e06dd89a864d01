#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Writes 0x00RRGGBB pixels as an 8-bit RGB PNG. False when the file cannot be written.
bool WritePngRgb32(const std::string& path, const uint32_t* pixels, int width, int height);
// Reads an 8-bit RGB or RGBA PNG (as written above) into 0x00RRGGBB pixels. False when it cannot.
bool ReadPngRgb32(const std::string& path, std::vector<uint32_t>& pixels, int& width, int& height);
