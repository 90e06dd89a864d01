#pragma once
// Helpers of the text tests: the font engine shared by the whole test program (faces are costly to
// open), a scripted font for exact pixel checks, and pixel access on 32-bit surfaces.

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/fonts/Fonts.h"

class CSurface;

CFontEngine& SharedFontEngine();

// A font whose extent and coverage the test decides.
class CScriptedFonts : public CPlatformFonts {
  public:
    std::unique_ptr<CPlatformFont> CreateFont(const CFontRequest& request) override;

    bool fail = false;
    CTextExtent extent{61, 30};
    std::function<uint8_t(int x, int y)> pattern = [](int, int) { return uint8_t{255}; };
    // The size of the last buffer rendered into.
    int renderedWidth = 0;
    int renderedHeight = 0;
    int created = 0;
};

// Bytes of a 32-bit pixel: blue, green, red.
struct CRgb {
    int r, g, b;
};
CRgb PixelAt(const CSurface& surface, int x, int y);
