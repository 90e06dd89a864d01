#pragma once
// The translucent black backing of the story's message window: a thin band at the top of the screen and
// a box behind the text, which rises from the bottom edge when it opens.

#include <cstdint>

#include "media/Surface.h"
#include "shell/Timer.h"

class CAlphaSurface;
class CDisplay;

class CMessageBack {
  public:
    enum EState { kHidden = 0, kOpening = 1, kOpen = 3 };

    explicit CMessageBack(CDisplay* display);
    ~CMessageBack();
    CMessageBack(const CMessageBack&) = delete;
    CMessageBack& operator=(const CMessageBack&) = delete;

    // Percent 0-100: 0 is opaque black, 100 fully transparent.
    void SetTransparency(int percent);
    // Starts the opening animation from the closed position.
    void Open();
    // Steps the animation and blends both parts onto the screen; 1 while opening, 0 otherwise.
    int Draw(CSurface& screen);
    // Re-creates both parts at the display's new depth, keeping state and transparency.
    void DepthChanged(int depth);

    int GetState() const { return m_State; }
    int GetTransparency() const { return m_Transparency; }
    // The uniform alpha both parts carry.
    int GetAlpha() const { return m_Alpha; }
    CAlphaSurface* GetBand() const { return m_Band; }
    CAlphaSurface* GetBox() const { return m_Box; }
    const CRect& BandSource() const { return m_BandSrc; }
    const CRect& BandDest() const { return m_BandDest; }
    const CRect& BoxSource() const { return m_BoxSrc; }
    const CRect& BoxDest() const { return m_BoxDest; }

  private:
    void CreateParts();
    void ApplyAlpha(CAlphaSurface* part);
    void SetOpenPosition();

    CDisplay* m_Display;
    CAlphaSurface* m_Band = nullptr;
    CRect m_BandSrc, m_BandDest;
    CAlphaSurface* m_Box = nullptr;
    CRect m_BoxSrc, m_BoxDest;
    int m_State = kHidden;
    int m_Transparency = 0;
    int m_Alpha = 0;
    CTimer m_StepTimer;
    uint32_t m_StepsDone = 0;  // animation steps taken since the timer's start
};
