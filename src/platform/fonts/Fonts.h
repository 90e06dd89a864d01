#pragma once
// Text rendering of the platform: the stand-in for the GDI fonts of the game. A font is asked for by
// face name, cell height and weight, as a GDI font is; it measures a Shift-JIS string and renders it
// anti-aliased, white on black, into an 8-bit coverage buffer. No FreeType or fontconfig type appears
// here: the game includes this header.
//
// Metrics follow the fixed-pitch Gothic the game was made for: the cell of a character is `Height()`
// pixels high, a two-byte (full-width) character advances by `Height()` pixels and a one-byte
// (half-width) character by `Height() / 2`, whatever the face used in its place.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// What a font is created with (the fields of a GDI font that the game sets).
struct CFontRequest {
    std::string faceSjis;  // the face name as the game holds it, e.g. "ＭＳ ゴシック" in Shift-JIS
    int height = 0;        // cell height in pixels
    int weight = 400;      // 100 thin ... 1000; 600 and above draw bold
    bool fixedPitch = true;
};

struct CTextExtent {
    int width = 0;
    int height = 0;
};

class CPlatformFont {
  public:
    virtual ~CPlatformFont() = default;
    virtual const CFontRequest& Request() const = 0;
    int Height() const { return Request().height; }
    int Weight() const { return Request().weight; }
    // Whether glyphs are drawn bold (emboldened outlines where the face has no bold of its own).
    virtual bool Bold() const = 0;
    // The family of the face actually used (UTF-8), e.g. "IPAGothic".
    virtual std::string FamilyUsed() const = 0;
    // The extent of the string: the sum of the advances, and the cell height.
    virtual CTextExtent Measure(std::string_view sjis) = 0;
    // Clears the `width` x `height` buffer (rows `pitch` bytes apart) to 0 and draws the string into it
    // with its top-left cell corner at (0, 0): 0 is black, 255 fully covered. Pixels outside the buffer
    // are dropped. A byte sequence that does not decode is drawn as a full-width placeholder.
    virtual void Render(std::string_view sjis, uint8_t* coverage, int width, int height, int pitch) = 0;
};

class CPlatformFonts {
  public:
    virtual ~CPlatformFonts() = default;
    // None when no face can be had for the request.
    virtual std::unique_ptr<CPlatformFont> CreateFont(const CFontRequest& request) = 0;
};

// The engine on FreeType and fontconfig. Faces, sizes and rendered glyphs are cached in the engine and
// shared by all its fonts, so that fonts are cheap to make and drop. One engine serves one thread; it
// must outlive the fonts it made.
class CFontEngine : public CPlatformFonts {
  public:
    CFontEngine();
    ~CFontEngine() override;
    CFontEngine(const CFontEngine&) = delete;
    CFontEngine& operator=(const CFontEngine&) = delete;

    std::unique_ptr<CPlatformFont> CreateFont(const CFontRequest& request) override;
    // Whether FreeType could be started (without it no font can be made).
    bool Ready() const;

    struct CImpl;

  private:
    std::unique_ptr<CImpl> m_Impl;
};
