#pragma once
// The SDL window: the 800 x 600 game area scaled with its aspect kept (letterboxed) into a resizable
// window or the full screen, the menu bar drawn above it in windowed mode (over its top in full screen),
// input turned into window messages with mouse positions mapped back to game coordinates, and the
// presented picture.
#include <SDL.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.h"

class CPlatformFonts;
class CPlatformFont;

class CSdlWindow : public CPlatformWindow {
  public:
    explicit CSdlWindow(CPlatformFonts* fonts);
    ~CSdlWindow() override;

    bool RegisterClass(const std::string&) override { return true; }
    void Create(const std::string& titleSjis) override;
    void SetFullScreenStyle(bool fullScreen) override;
    bool LoadMenu() override { return true; }
    void AttachMenu(bool attached) override;
    void SetMenuItemEnabled(uint32_t commandId, bool enabled) override;
    void DrawMenuBar() override { m_MenuDirty = true; }
    int MenuBarHeight() const override { return kMenuHeight; }
    void ClientOrigin(int& x, int& y) const override;
    bool PeekMessage(CPlatformMessage& message) override;
    void PostMessage(uint32_t message, uint32_t wParam, int32_t lParam) override;
    void PostQuitMessage(int exitCode) override;
    void EndFrame() override;
    void RunAboutBox(const CAboutBox& box) override;
    void SetCursor(ECursor cursor) override;
    void CursorPos(int& x, int& y) const override;

    SDL_Window* Handle() const { return m_Window; }
    // The presented picture: rows of 800 0x00RRGGBB pixels.
    uint32_t* Frame() { return m_Frame.data(); }
    void FrameChanged() { m_Dirty = true; }

    static constexpr int kMenuHeight = 19;

  private:
    struct MenuItem {
        uint32_t id;        // 0 for the popup title
        std::string label;  // Shift-JIS
        bool inPopup;
        SDL_Rect rect{};  // where it is drawn, in window pixels
    };
    void Render();
    void LayoutMenu();
    void DrawText(const std::string& sjis, int x, int y, SDL_Color colour);
    // The game rectangle inside the window, in window pixels.
    SDL_Rect GameRect() const;
    bool ToGame(int wx, int wy, int& gx, int& gy) const;
    // Menu clicks: true when the click belonged to the menu.
    bool MenuClick(int wx, int wy);
    bool MenuBarVisible() const { return m_MenuAttached; }
    int MenuTop() const;
    bool Translate(const SDL_Event& e, CPlatformMessage& out);

    CPlatformFonts* m_Fonts;
    std::unique_ptr<CPlatformFont> m_MenuFont;
    SDL_Window* m_Window = nullptr;
    SDL_Renderer* m_Renderer = nullptr;
    SDL_Texture* m_Texture = nullptr;
    SDL_Cursor* m_Arrow = nullptr;
    SDL_Cursor* m_Hand = nullptr;
    std::vector<uint32_t> m_Frame = std::vector<uint32_t>(800 * 600, 0);
    bool m_Dirty = true;
    bool m_FullScreen = false;
    bool m_MenuAttached = false;
    bool m_MenuDirty = true;
    bool m_PopupOpen = false;
    bool m_Enabled[7] = {};
    std::vector<MenuItem> m_Items;
    std::deque<CPlatformMessage> m_Posted;
    uint32_t m_LastRender = 0;
};
