#pragma once
// Anti-aliased text in any colour on any surface. A string is rendered at twice the wanted size, white
// on black, shrunk to half by averaging 2 x 2 blocks, and the result becomes the alpha map of a
// rectangle filled with the text colour, which is then blitted onto the target: blended onto a plain
// surface, taken over with its alpha by an alpha surface. Text is Shift-JIS in two-byte units; the
// marker "/c" in the text buffer is never drawn.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class CDisplay;
class CSurface;
class CPlatformFont;

class CTextFont {
  public:
    static constexpr int kTextBytes = 1024;  // at most 1023 bytes of text and the terminator
    static constexpr int kFaceBytes = 32;

    // Makes the font of the face "ＭＳ ゴシック" at twice `size`; ends the program when no font can be had.
    CTextFont(CDisplay* display, int size);
    ~CTextFont();
    CTextFont(const CTextFont&) = delete;
    CTextFont& operator=(const CTextFont&) = delete;

    // The colour the double-size string is rendered in (0x00BBGGRR); it decides which channels carry
    // coverage (white: all three).
    void SetTextColor(uint32_t colour);
    // Copies the string into the text buffer; a longer text is cut to whole two-byte units.
    void SetText(std::string_view text);
    // A non-empty face replaces the face name, a non-zero size the size; the font is made again.
    void SetFace(std::string_view faceSjis, int size);

    // Draws the string with its top-left corner at (x, y) of the target, in the colour (0x00BBGGRR).
    void DrawString(CSurface& target, int x, int y, std::string_view sjis, uint32_t colour);
    // Draws the text buffer without its "/c" markers; an empty buffer draws nothing.
    void DrawTextBuffer(CSurface& target, int x, int y, uint32_t colour);

    int GetSize() const { return m_Size; }
    const char* GetText() const { return m_Text; }
    const char* GetFaceName() const { return m_FaceName; }
    uint32_t GetTextColor() const { return m_TextColour; }
    // The platform font (made at height 2 x size).
    const CPlatformFont* GetFont() const { return m_Font.get(); }

  private:
    void CreateFont();

    CDisplay* m_Display;
    char m_Text[kTextBytes] = {};
    std::unique_ptr<CPlatformFont> m_Font;
    int m_Size;
    char m_FaceName[kFaceBytes] = {};
    uint32_t m_TextColour = 0xFFFFFF;
};
