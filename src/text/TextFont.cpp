#include "text/TextFont.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "media/AlphaSurface.h"
#include "media/Display.h"
#include "platform/fonts/Fonts.h"
#include "shell/Encoding.h"
#include "shell/System.h"

namespace {

int RoundUp4(int v) {
    return (v + 3) & ~3;
}

// Copies at most `limit` bytes of a Shift-JIS string, never ending on the first byte of a pair.
size_t CutLength(std::string_view s, size_t limit) {
    size_t end = s.find('\0');
    if (end == std::string_view::npos) end = s.size();
    if (end <= limit) return end;
    size_t i = 0;
    while (i < limit) {
        size_t unit = IsSjisLead(static_cast<unsigned char>(s[i])) ? 2 : 1;
        if (i + unit > limit) break;
        i += unit;
    }
    return i;
}

// The double-size rendering, kept between calls (text is drawn on the main thread only).
std::vector<uint8_t>& Scratch() {
    static std::vector<uint8_t> buffer;
    return buffer;
}

}  // namespace

CTextFont::CTextFont(CDisplay* display, int size) : m_Display(display), m_Size(size) {
    std::string face = Utf8ToSjis("ＭＳ ゴシック");
    std::memcpy(m_FaceName, face.data(), std::min(face.size(), sizeof m_FaceName - 1));
    CreateFont();
    m_TextColour = 0xFFFFFF;
    // The system-wide font-smoothing switch has no counterpart here: the platform renders anti-aliased.
}

CTextFont::~CTextFont() = default;

void CTextFont::CreateFont() {
    m_Font.reset();
    CFontRequest request;
    request.faceSjis = m_FaceName;
    request.height = 2 * m_Size;
    request.weight = m_Size < 15 ? 1000 : 100;
    request.fixedPitch = true;
    m_Font = CSystem::Platform().Fonts().CreateFont(request);
    if (!m_Font) FatalError("フォントの取得に失敗しました", "エラー");
}

void CTextFont::SetTextColor(uint32_t colour) {
    m_TextColour = colour & 0xFFFFFF;
}

void CTextFont::SetText(std::string_view text) {
    size_t n = CutLength(text, kTextBytes - 1);
    std::memcpy(m_Text, text.data(), n);
    m_Text[n] = '\0';
}

void CTextFont::SetFace(std::string_view faceSjis, int size) {
    if (!faceSjis.empty()) {
        size_t n = CutLength(faceSjis, kFaceBytes - 1);
        std::memset(m_FaceName, 0, sizeof m_FaceName);
        std::memcpy(m_FaceName, faceSjis.data(), n);
    }
    if (size != 0) m_Size = size;
    CreateFont();
}

void CTextFont::DrawString(CSurface& target, int x, int y, std::string_view sjis, uint32_t colour) {
    if (!m_Display) {
        MessageBoxU8("ウィンドウのデバイスコンテキストを取得できません", "エラー");
        return;
    }
    if (!m_Font || !target.HasPixels()) return;
    CTextExtent extent = m_Font->Measure(sjis);
    const int w = RoundUp4(extent.width), h = RoundUp4(extent.height);
    if (w <= 0 || h <= 0) return;

    std::vector<uint8_t>& coverage = Scratch();
    coverage.resize(static_cast<size_t>(w) * h);
    m_Font->Render(sjis, coverage.data(), w, h, w);

    const int hw = w / 2, hh = h / 2;
    CAlphaSurface* glyphs = m_Display->CreateAlphaSurface(hw, hh);
    if (!glyphs || !glyphs->GetAlphaMap() || glyphs->Width() < hw || glyphs->Height() < hh) {
        m_Display->ReleaseSurface(glyphs);
        return;
    }
    glyphs->Fill(0, 0, hw, hh, colour);

    // Each channel of the rendering carries the coverage scaled by that channel of the text colour.
    const unsigned channel[3] = {(m_TextColour >> 16) & 0xFF, (m_TextColour >> 8) & 0xFF,
                                 m_TextColour & 0xFF};
    const unsigned brightest = std::max({channel[0], channel[1], channel[2]});
    const bool highColour = glyphs->Depth() == 15 || glyphs->Depth() == 16;
    const int stride = glyphs->AlphaStride();
    uint8_t* map = glyphs->GetAlphaMap();
    for (int oy = 0; oy < hh; ++oy) {
        const uint8_t* r0 = coverage.data() + static_cast<size_t>(2 * oy) * w;
        const uint8_t* r1 = r0 + w;
        uint8_t* e = map + static_cast<size_t>(oy) * glyphs->AlphaPitch();
        for (int ox = 0; ox < hw; ++ox, e += stride) {
            const unsigned c[4] = {r0[2 * ox], r0[2 * ox + 1], r1[2 * ox], r1[2 * ox + 1]};
            auto average = [&](unsigned ch) {
                if (ch == 255) return (c[0] + c[1] + c[2] + c[3]) / 4;
                unsigned sum = 0;
                for (unsigned v : c) sum += (v * ch + 127) / 255;
                return sum / 4;
            };
            if (highColour) {
                // One brightness for all channels, rounded down to a multiple of 8 as the 16-bit pixels hold
                // it.
                e[0] = e[1] = e[2] = static_cast<uint8_t>(average(brightest) & 0xF8);
            } else {
                e[0] = static_cast<uint8_t>(average(channel[0]));
                e[1] = static_cast<uint8_t>(average(channel[1]));
                e[2] = static_cast<uint8_t>(average(channel[2]));
            }
        }
    }
    target.Blit(*glyphs, CRect{x, y, x + hw, y + hh}, CRect{0, 0, hw, hh}, false);
    m_Display->ReleaseSurface(glyphs);
}

void CTextFont::DrawTextBuffer(CSurface& target, int x, int y, uint32_t colour) {
    if (m_Text[0] == '\0') return;
    // The buffer is read in pairs of bytes from its start; a pair "/c" is dropped.
    std::string work;
    for (size_t i = 0; i < kTextBytes - 1 && m_Text[i] != '\0'; i += 2) {
        if (m_Text[i] == '/' && m_Text[i + 1] == 'c') continue;
        work.push_back(m_Text[i]);
        if (m_Text[i + 1] == '\0') break;
        work.push_back(m_Text[i + 1]);
    }
    DrawString(target, x, y, work, colour);
}
