#pragma once
// A picture read from a file, as surfaces take it: 24-bit rows of blue, green, red bytes, top row first.
// The bmp and bfh readers produce it; a surface created from an image copies these rows into its own
// pixel format.

#include <cstdint>
#include <string>

class CImage {
public:
    virtual ~CImage() = default;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    // The relative path the picture was loaded from.
    virtual const std::string& Path() const = 0;
    // Row y (0 = top) of Width() pixels, three bytes each: blue, green, red.
    virtual const uint8_t* Row24(int y) const = 0;
};
