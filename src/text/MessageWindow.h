#pragma once
// The text windows at the bottom of the screen: a name strip on top, up to three rows of text typed out
// unit by unit, pages of three laid-out lines. A page is rendered once into an 800-pixel-wide text
// layer (an alpha surface); typing only changes which parts of it are blitted onto the screen.
//
// `CMessageWindow` is the story's window (typing speed, text size and colour, ruby, link highlights,
// the click-wait mark); `CHelpWindow` the help line of the menus (white, at once, no mark).

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "media/Surface.h"
#include "shell/Timer.h"

class CAlphaSurface;
class CDisplay;
class CTextFont;
class CTextLayout;

// Where the parts of a text window lie: layer rows, and the screen rows the layer is shown on.
struct CTextWindowGeometry {
    int layerHeight;  // the text layer: 800 x layerHeight, on screen from row screenTop
    int screenTop;
    int nameStrip;  // layer rows 0 .. nameStrip - 1 show the name
    int textLeft;   // x of the first unit of a row
    int glyphTop;   // layer y of the glyphs of row 0
    int revealTop;  // first layer row shown for row 0 (the ruby stands there too)
    bool decorateLinks;
    bool forceWhite;
};

class CTextWindow {
  public:
    static constexpr int kLineFonts = 100;
    static constexpr int kNameBytes = 1024;
    static constexpr int kTextBytes = 2048;
    static constexpr int kRowPitch = 34;  // layer rows from one text row to the next
    static constexpr int kPageRows = 3;

    // Results of `Update`.
    enum { kTyping = 0, kAtMarker = 1, kPageDone = 2, kLastPageDone = 3, kBadUnit = 4 };
    // Unit classes: what typing finds at a unit of a line.
    enum { kCharacter = 0, kEndOfLine = 1, kMarker = 2 };

    CTextWindow(CDisplay* display, int depth, const CTextWindowGeometry& geometry);
    virtual ~CTextWindow();
    CTextWindow(const CTextWindow&) = delete;
    CTextWindow& operator=(const CTextWindow&) = delete;

    // Sets a new message (Shift-JIS) and renders its first page; both empty shows nothing. Returns the
    // number of lines.
    int SetMessage(std::string_view name, std::string_view text);
    // Advances the typing and draws the window onto the screen; once per frame while a message is shown.
    int Update(CSurface& screen);
    // The player's click: completes the page being typed, steps over a marker, or turns the page.
    void Click();
    // Re-creates the surfaces for the display's new depth and renders the shown page again.
    virtual void DepthChanged(int depth);

    // Observations (tests, the story scene's link hit test).
    bool HasMessage() const { return m_HasMessage; }
    int GetLineCount() const;
    const CTextLayout& GetLayout() const { return *m_Layout; }
    int GetPageStart() const { return m_NextPageStart - kPageRows; }
    int GetNextPageStart() const { return m_NextPageStart; }
    int GetRow() const { return m_Row; }
    int GetUnit() const { return m_Unit; }
    bool IsPageComplete() const { return m_PageComplete; }
    bool IsWaiting() const { return m_Waiting; }
    int GetClass(int line, int unit) const;
    CAlphaSurface* GetTextLayer() const { return m_Layer; }
    const CTextWindowGeometry& Geometry() const { return m_Geometry; }
    int GetTextSize() const { return m_TextSize; }
    uint32_t GetTextColor() const { return m_TextColour; }
    int GetInterval() const { return m_Interval; }
    bool GetRubyDisplay() const { return m_RubyDisplay; }

  protected:
    void SetTextSizeValue(int size) { m_TextSize = size > 0 ? size : m_TextSize; }
    void SetTextColorValue(uint32_t colour) { m_TextColour = colour & 0xFFFFFF; }
    void SetIntervalValue(int ms) { m_Interval = ms < 0 ? 0 : ms; }
    void SetRubyDisplayValue(bool on) { m_RubyDisplay = on; }
    // Typing and mark timers start over (a message begins, a page is turned).
    virtual void RestartTimers();
    uint32_t DrawColour() const { return m_Geometry.forceWhite ? 0xFFFFFF : m_TextColour; }

    CDisplay* m_Display;
    int m_Depth;

  private:
    void CreateLayer();
    void Reset();
    void BuildUnitClasses();
    void RenderPage(int first);
    int AdvanceUnit();
    void CompletePage();
    void DrawReveal(CSurface& screen);

    CTextWindowGeometry m_Geometry;
    CAlphaSurface* m_Layer = nullptr;
    std::unique_ptr<CTextLayout> m_Layout;
    std::unique_ptr<CTextFont> m_NameFont;
    std::unique_ptr<CTextFont> m_LineFonts[kLineFonts];
    // Per laid-out line: a class per unit, and kEndOfLine after the last.
    std::vector<std::vector<uint8_t>> m_Classes;
    char m_Name[kNameBytes] = {};
    char m_Text[kTextBytes] = {};
    bool m_HasMessage = false;
    int m_NextPageStart = kPageRows;
    int m_Row = 0;
    int m_Unit = 0;
    bool m_PageComplete = false;
    bool m_Waiting = false;
    int m_Interval = 0;
    int m_TextSize = 22;
    uint32_t m_TextColour = 0xFFFFFF;
    bool m_RubyDisplay = true;
    CTimer m_TypingTimer;
};

class CMessageWindow : public CTextWindow {
  public:
    CMessageWindow(CDisplay* display, int depth);
    ~CMessageWindow() override;

    // Animates and draws the click-wait mark; called after `Update` returned non-zero.
    void DrawMark(CSurface& screen);
    void SetTextSize(int size) { SetTextSizeValue(size); }
    void SetTextColor(uint32_t colour) { SetTextColorValue(colour); }
    void SetInterval(int ms) { SetIntervalValue(ms); }
    void SetRubyDisplay(bool on) { SetRubyDisplayValue(on); }
    void DepthChanged(int depth) override;

    int GetMarkFrame() const { return m_MarkFrame; }
    CAlphaSurface* GetMarkImage() const { return m_Mark; }

  protected:
    void RestartTimers() override;

  private:
    void LoadMark();

    CAlphaSurface* m_Mark = nullptr;
    int m_MarkFrame = 0;
    CTimer m_MarkTimer;
};

class CHelpWindow : public CTextWindow {
  public:
    CHelpWindow(CDisplay* display, int depth);
    // A help line is shown at once: the message, then a click that completes its first page.
    void Show(std::string_view name, std::string_view text) {
        SetMessage(name, text);
        Click();
    }
};

// Layer geometry of the two windows.
CTextWindowGeometry MessageWindowGeometry();
CTextWindowGeometry HelpWindowGeometry();
