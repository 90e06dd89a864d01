#include "text/MessageWindow.h"

#include <algorithm>
#include <cstring>

#include "media/AlphaSurface.h"
#include "media/Display.h"
#include "shell/Encoding.h"
#include "shell/System.h"
#include "text/TextFont.h"
#include "text/TextLayout.h"

namespace {

constexpr int kLayerWidth = 800;
constexpr int kNameX = 30;
constexpr int kNameSize = 22;
constexpr int kRubySize = 10;
constexpr int kLineWidth = 28;              // units per laid-out line
constexpr int kRevealUnits = 28;            // a row typed this far is shown in full width
constexpr int kScreenRowTop = 490;          // screen row of text row 0
constexpr uint32_t kLinkColour = 0x0000FF;  // pure red

const char* const kMarkPath = "interface/conversation/mark.bmp";
constexpr int kMarkFrames = 6;
constexpr int kMarkX = 678;
constexpr int kMarkY = 558;
constexpr uint32_t kMarkFrameMs = 99;  // a frame lasts more than this

// Copies a zero-terminated string of at most `size - 1` bytes, never ending inside a two-byte character.
void CopyCut(char* out, size_t size, std::string_view in) {
    size_t end = in.find('\0');
    if (end == std::string_view::npos) end = in.size();
    size_t n = 0;
    while (n < end) {
        size_t unit = IsSjisLead(static_cast<unsigned char>(in[n])) ? 2 : 1;
        if (n + unit > end || n + unit > size - 1) break;
        n += unit;
    }
    std::memcpy(out, in.data(), n);
    out[n] = '\0';
}

}  // namespace

CTextWindowGeometry MessageWindowGeometry() {
    return CTextWindowGeometry{135, 465, 25, 60, 36, 25, true, false};
}

CTextWindowGeometry HelpWindowGeometry() {
    return CTextWindowGeometry{133, 467, 23, 30, 34, 23, false, true};
}

CTextWindow::CTextWindow(CDisplay* display, int depth, const CTextWindowGeometry& geometry)
    : m_Display(display), m_Depth(depth), m_Geometry(geometry) {
    CreateLayer();
    m_Layout = std::make_unique<CTextLayout>(kLineWidth);
    m_NameFont = std::make_unique<CTextFont>(display, kNameSize);
    for (auto& font : m_LineFonts) font = std::make_unique<CTextFont>(display, m_TextSize);
    m_TypingTimer.Restart();
}

CTextWindow::~CTextWindow() {
    if (m_Display) m_Display->ReleaseSurface(m_Layer);
}

void CTextWindow::CreateLayer() {
    if (!m_Display) return;
    m_Display->ReleaseSurface(m_Layer);
    m_Layer = m_Display->CreateAlphaSurface(kLayerWidth, m_Geometry.layerHeight);
    if (m_Layer && !m_Layer->GetAlphaMap()) {
        m_Display->ReleaseSurface(m_Layer);
        m_Layer = nullptr;
    }
}

int CTextWindow::GetLineCount() const {
    return m_HasMessage ? m_Layout->GetLineCount() : 0;
}

int CTextWindow::GetClass(int line, int unit) const {
    if (line < 0 || line >= static_cast<int>(m_Classes.size())) return kEndOfLine;
    const std::vector<uint8_t>& row = m_Classes[line];
    if (unit < 0 || unit >= static_cast<int>(row.size())) return kEndOfLine;
    return row[unit];
}

void CTextWindow::Reset() {
    m_Layout->Reset();
    m_Classes.clear();
    m_NextPageStart = kPageRows;
    m_Row = m_Unit = 0;
    m_PageComplete = m_Waiting = false;
    m_Name[0] = m_Text[0] = '\0';
    m_HasMessage = false;
    // The fonts follow the current size and colour.
    const uint32_t colour = DrawColour();
    m_NameFont->SetTextColor(colour);
    m_NameFont->SetText("");
    for (auto& font : m_LineFonts) {
        if (font->GetSize() != m_TextSize) font->SetFace("", m_TextSize);
        font->SetTextColor(colour);
        font->SetText("");
    }
}

int CTextWindow::SetMessage(std::string_view name, std::string_view text) {
    Reset();
    bool noName = name.empty() || name[0] == '\0';
    bool noText = text.empty() || text[0] == '\0';
    if (noName && noText) {
        if (m_Layer) {
            m_Layer->Fill(0, 0, kLayerWidth, m_Geometry.layerHeight, 0xFFFFFF);
            m_Layer->ClearAlphaMap(kLayerWidth, m_Geometry.layerHeight);
        }
        return 0;
    }
    m_HasMessage = true;
    CopyCut(m_Name, sizeof m_Name, name);
    CopyCut(m_Text, sizeof m_Text, text);
    m_Layout->Layout(m_Text);
    BuildUnitClasses();
    m_NameFont->SetText(m_Name);
    const int lines = m_Layout->GetLineCount();
    for (int i = 0; i < lines && i < kLineFonts; ++i) m_LineFonts[i]->SetText(m_Layout->GetLine(i));
    RenderPage(0);
    m_NextPageStart = kPageRows;
    RestartTimers();
    return lines;
}

void CTextWindow::BuildUnitClasses() {
    const int lines = m_Layout->GetLineCount();
    m_Classes.assign(lines, {});
    for (int i = 0; i < lines; ++i) {
        const char* line = m_Layout->GetLine(i);
        const size_t bytes = std::strlen(line);
        std::vector<uint8_t>& row = m_Classes[i];
        // Every marker of the line waits at its own unit.
        for (size_t b = 0; b < bytes; b += 2)
            row.push_back(b + 1 < bytes && line[b] == '/' && line[b + 1] == 'c' ? kMarker : kCharacter);
        row.push_back(kEndOfLine);
    }
}

void CTextWindow::RenderPage(int first) {
    if (!m_HasMessage || !m_Layer) return;
    const int layerHeight = m_Geometry.layerHeight;
    m_Layer->Fill(0, 0, kLayerWidth, layerHeight, 0xFFFFFF);
    m_Layer->ClearAlphaMap(kLayerWidth, layerHeight);
    const uint32_t colour = DrawColour();
    m_NameFont->DrawTextBuffer(*m_Layer, kNameX, 0, colour);
    const int lines = m_Layout->GetLineCount();
    for (int k = 0; k < kPageRows; ++k) {
        int line = first + k;
        if (line < 0 || line >= lines || line >= kLineFonts) continue;
        m_LineFonts[line]->DrawTextBuffer(*m_Layer, m_Geometry.textLeft, m_Geometry.glyphTop + kRowPitch * k,
                                          colour);
    }
    const int size = m_TextSize;
    if (m_RubyDisplay && m_Layout->GetRubyCount() > 0) {
        CTextFont ruby(m_Display, kRubySize);
        ruby.SetTextColor(colour);
        for (int i = 0; i < m_Layout->GetRubyCount(); ++i) {
            const CTextLayout::CRuby& r = m_Layout->GetRuby(i);
            int k = r.line - first;
            if (k < 0 || k >= kPageRows) continue;
            int x =
                m_Geometry.textLeft + r.start * size + (size * r.baseLength) / 2 - (r.length * kRubySize) / 2;
            ruby.DrawString(*m_Layer, x, m_Geometry.revealTop + kRowPitch * k, r.text, colour);
        }
    }
    if (m_Geometry.decorateLinks) {
        for (int i = 0; i < m_Layout->GetLinkCount(); ++i) {
            const CTextLayout::CLink& l = m_Layout->GetLink(i);
            int k = l.line - first;
            if (k < 0 || k >= kPageRows) continue;
            // Pixels only: the alpha stays, so the link's glyphs turn red.
            int left = std::max(0, m_Geometry.textLeft + l.start * size);
            int right = std::min(kLayerWidth, m_Geometry.textLeft + (l.start + l.length) * size);
            int top = m_Geometry.revealTop + kRowPitch * k;
            int bottom = std::min(layerHeight, top + kRowPitch);
            if (left < right && top < bottom)
                m_Layer->Fill(left, top, right - left, bottom - top, kLinkColour);
        }
    }
}

int CTextWindow::AdvanceUnit() {
    const int first = GetPageStart();
    const int lines = m_Layout->GetLineCount();
    if (first + m_Row >= lines) {  // nothing left to type on this page
        CompletePage();
        return kLastPageDone;
    }
    switch (GetClass(first + m_Row, m_Unit)) {
        case kCharacter:
            ++m_Unit;
            return kTyping;
        case kEndOfLine:
            if (m_Row + 1 >= kPageRows) {
                CompletePage();
                return m_NextPageStart < lines ? kPageDone : kLastPageDone;
            }
            m_Unit = 0;
            ++m_Row;
            if (first + m_Row >= lines) {
                CompletePage();
                return kLastPageDone;
            }
            return kTyping;
        case kMarker:
            m_Waiting = true;
            return kAtMarker;
        default:
            return kBadUnit;
    }
}

int CTextWindow::Update(CSurface& screen) {
    if (!m_HasMessage) return kLastPageDone;  // nothing to show, nothing to wait for
    const int lines = m_Layout->GetLineCount();
    if (m_PageComplete) {
        if (m_Layer)
            screen.Blit(
                *m_Layer,
                CRect{0, m_Geometry.screenTop, kLayerWidth, m_Geometry.screenTop + m_Geometry.layerHeight},
                CRect{0, 0, kLayerWidth, m_Geometry.layerHeight}, false);
        return m_NextPageStart >= lines ? kLastPageDone : kPageDone;
    }
    int result = kTyping;
    uint32_t t = m_TypingTimer.Elapsed();
    const uint32_t interval = static_cast<uint32_t>(m_Interval);
    if (t >= interval) {
        for (;;) {
            result = AdvanceUnit();
            if (result != kTyping) break;
            t -= interval;
            if (t < interval) break;
        }
        m_TypingTimer.Restart();
    }
    DrawReveal(screen);
    if (m_Waiting) return kAtMarker;
    return result;
}

void CTextWindow::DrawReveal(CSurface& screen) {
    if (!m_Layer) return;
    const int top = m_Geometry.screenTop;
    screen.Blit(*m_Layer, CRect{0, top, kLayerWidth, top + m_Geometry.nameStrip},
                CRect{0, 0, kLayerWidth, m_Geometry.nameStrip}, false);
    for (int k = 0; k <= m_Row && k < kPageRows; ++k) {
        int right = kLayerWidth;
        if (k == m_Row && !m_PageComplete && m_Unit < kRevealUnits)
            right = std::min(kLayerWidth, m_Geometry.textLeft + m_Unit * m_TextSize);
        int srcTop = m_Geometry.revealTop + kRowPitch * k;
        int srcBottom = std::min(m_Geometry.layerHeight, srcTop + kRowPitch);
        int dstTop = kScreenRowTop + kRowPitch * k;
        if (right <= 0 || srcTop >= srcBottom) continue;
        screen.Blit(*m_Layer, CRect{0, dstTop, right, dstTop + (srcBottom - srcTop)},
                    CRect{0, srcTop, right, srcBottom}, false);
    }
}

void CTextWindow::Click() {
    if (!m_HasMessage) return;
    if (m_PageComplete) {
        // After the last page there is nothing to turn to: the page stays.
        if (m_NextPageStart >= m_Layout->GetLineCount()) return;
        RenderPage(m_NextPageStart);
        m_NextPageStart += kPageRows;
        m_Row = m_Unit = 0;
        m_PageComplete = false;
        RestartTimers();
    } else if (m_Waiting) {
        ++m_Unit;
        m_Waiting = false;
    } else {
        CompletePage();
    }
}

void CTextWindow::RestartTimers() {
    m_TypingTimer.Restart();
}

void CTextWindow::CompletePage() {
    if (!m_PageComplete) RestartTimers();  // the mark starts its cycle with the complete page
    m_PageComplete = true;
}

void CTextWindow::DepthChanged(int depth) {
    m_Depth = depth;
    CreateLayer();
    if (m_HasMessage) RenderPage(GetPageStart());
}

// ---- the story's window

CMessageWindow::CMessageWindow(CDisplay* display, int depth)
    : CTextWindow(display, depth, MessageWindowGeometry()) {
    LoadMark();
    m_MarkTimer.Restart();
}

CMessageWindow::~CMessageWindow() {
    if (m_Display) m_Display->ReleaseSurface(m_Mark);
}

void CMessageWindow::LoadMark() {
    if (!m_Display) return;
    m_Display->ReleaseSurface(m_Mark);
    m_Mark = m_Display->CreateAlphaSurfaceFromImage(kMarkPath);
}

void CMessageWindow::RestartTimers() {
    CTextWindow::RestartTimers();
    m_MarkTimer.Restart();
}

void CMessageWindow::DrawMark(CSurface& screen) {
    if (!HasMessage() || !m_Mark) return;
    if (m_MarkTimer.Elapsed() > kMarkFrameMs) {
        m_MarkFrame = (m_MarkFrame + 1) % kMarkFrames;
        m_MarkTimer.Restart();
    }
    const int w = m_Mark->Width() / kMarkFrames, h = m_Mark->Height();
    if (w <= 0 || h <= 0) return;
    screen.Blit(*m_Mark, CRect{kMarkX, kMarkY, kMarkX + w, kMarkY + h},
                CRect{m_MarkFrame * w, 0, m_MarkFrame * w + w, h}, false);
}

void CMessageWindow::DepthChanged(int depth) {
    LoadMark();
    CTextWindow::DepthChanged(depth);
}

// ---- the help line

CHelpWindow::CHelpWindow(CDisplay* display, int depth) : CTextWindow(display, depth, HelpWindowGeometry()) {}
