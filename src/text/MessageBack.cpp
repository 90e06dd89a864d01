#include "text/MessageBack.h"

#include <algorithm>

#include "media/AlphaSurface.h"
#include "media/Display.h"
#include "shell/System.h"

namespace {

constexpr int kWidth = 800;
constexpr int kBandHeight = 11;
constexpr int kBoxHeight = 144;
constexpr int kBoxTop = 456;  // screen row of the open box
constexpr int kScreenBottom = 600;
constexpr uint32_t kStepMs = 10;
constexpr int kBoxStep = 5;

}  // namespace

CMessageBack::CMessageBack(CDisplay* display) : m_Display(display) {
    CreateParts();
    m_StepTimer.Restart();
}

CMessageBack::~CMessageBack() {
    if (!m_Display) return;
    m_Display->ReleaseSurface(m_Band);
    m_Display->ReleaseSurface(m_Box);
}

void CMessageBack::CreateParts() {
    if (!m_Display) return;
    m_Display->ReleaseSurface(m_Band);
    m_Display->ReleaseSurface(m_Box);
    // Black pixels (the factory fills colour 0) and a cleared alpha map.
    m_Band = m_Display->CreateAlphaSurface(kWidth, kBandHeight);
    m_Box = m_Display->CreateAlphaSurface(kWidth, kBoxHeight);
}

void CMessageBack::ApplyAlpha(CAlphaSurface* part) {
    if (!part || !m_Display) return;
    // The alpha map is taken from a plain surface filled with the grey (a, a, a).
    CSurface* grey = m_Display->CreateSurface(part->Width(), part->Height());
    if (!grey) return;
    const uint32_t a = static_cast<uint32_t>(m_Alpha);
    grey->Fill(0, 0, part->Width(), part->Height(), a | a << 8 | a << 16);
    part->AlphaFromSurface(*grey);
    m_Display->ReleaseSurface(grey);
}

void CMessageBack::SetTransparency(int percent) {
    m_Transparency = percent;
    m_Alpha = (255 - percent * 255 / 100) & 0xFF;
    ApplyAlpha(m_Band);
    ApplyAlpha(m_Box);
}

void CMessageBack::SetOpenPosition() {
    m_BandSrc = CRect{0, 0, kWidth, kBandHeight};
    m_BandDest = CRect{0, 0, kWidth, kBandHeight};
    m_BoxSrc = CRect{0, 0, kWidth, kBoxHeight};
    m_BoxDest = CRect{0, kBoxTop, kWidth, kScreenBottom};
}

void CMessageBack::Open() {
    m_State = kOpening;
    m_BandSrc = CRect{0, 0, kWidth, 0};
    m_BandDest = CRect{0, 0, kWidth, 0};
    m_BoxSrc = CRect{0, kBoxHeight, kWidth, kBoxHeight};
    m_BoxDest = CRect{0, kScreenBottom, kWidth, kScreenBottom};
    m_StepTimer.Restart();
    m_StepsDone = 0;
}

int CMessageBack::Draw(CSurface& screen) {
    switch (m_State) {
        case kHidden:
            return 0;
        case kOpening: {
            // One step for every 10 ms since the opening began; a late frame catches up.
            const uint32_t due = m_StepTimer.Elapsed() / kStepMs;
            for (; m_StepsDone < due && m_State == kOpening; ++m_StepsDone) {
                m_BandSrc.bottom = m_BandDest.bottom = std::min(kBandHeight, m_BandSrc.bottom + 1);
                m_BoxSrc.top = std::max(0, m_BoxSrc.top - kBoxStep);
                m_BoxDest.top = std::max(kBoxTop, m_BoxDest.top - kBoxStep);
                if (m_BoxSrc.top < 1) {
                    m_State = kOpen;
                    SetOpenPosition();
                }
            }
            break;
        }
        case kOpen:
            break;
        default:
            MessageBoxU8("テキストウィンドウの転送エラー", "エラー");
            return 0;
    }
    if (m_Band) screen.Blit(*m_Band, m_BandDest, m_BandSrc, false);
    if (m_Box) screen.Blit(*m_Box, m_BoxDest, m_BoxSrc, false);
    return m_State == kOpening ? 1 : 0;
}

void CMessageBack::DepthChanged(int) {
    CreateParts();
    ApplyAlpha(m_Band);
    ApplyAlpha(m_Box);
}
