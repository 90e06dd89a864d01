#pragma once
// The one main window: its menu bar, the screen mode on the window side, the display device with the
// primary surface and the back buffer, the window procedure and the message loop that is the frame loop.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Platform.h"
#include "shell/MessageHandler.h"
#include "shell/Timer.h"

class CDisplay;
class CSurface;

// Menu commands of the menu bar.
namespace menu {
constexpr uint32_t kReturnToTitle = 40001;  // タイトルに戻る
constexpr uint32_t kQuit = 40002;           // ゲーム終了
constexpr uint32_t kSave = 40003;           // セーブ
constexpr uint32_t kLoad = 40004;           // ロード
constexpr uint32_t kSkipToChoice = 40005;   // 次の選択肢まで進む
constexpr uint32_t kSetup = 40006;          // 環境設定
constexpr uint32_t kAbout = 40007;          // バージョン情報
constexpr uint32_t kFirst = kReturnToTitle;
constexpr int kCount = 7;
}  // namespace menu

// What the entry function was given.
struct CEntryArgs {
    std::string commandLine;
    int showCommand = 1;
};

// The product title: the window class name, the window title, the single-instance lock.
extern const char* const kProductTitle;

class CDefaultHandler;

class CMainWindow {
  public:
    CMainWindow(const CEntryArgs& args, bool hardwareDisplay);
    virtual CDisplay* GetDisplay() { return m_Display.get(); }   // 0
    virtual CSurface* GetPrimarySurface() { return m_Primary; }  // 1
    virtual CSurface* GetBackBuffer() { return m_BackBuffer; }   // 2
    virtual ~CMainWindow();                                      // 3
    virtual void Present(int x, int y, int width, int height);   // 4
    virtual bool RegisterWindowClass();                          // 5
    virtual void CreateMainWindow();                             // 6

    // Registers the class (fatal on failure), publishes the window and creates it.
    void Create();
    void ReloadMenu();
    void RemoveMenu();
    void UpdateMenuState();
    // The window side of a screen-mode switch; false when the mode cannot be entered.
    bool SetScreenMode(int mode);
    int RunMessageLoop();
    // One pass of the loop: every waiting message, then one frame. False when the quit message came
    // (its code in `exitCode`).
    bool RunFrame(int& exitCode);
    // One message through the window procedure: the router first, then the default handler.
    void DispatchMessage(const CPlatformMessage& message);
    // Runs the About box modally.
    void RunAboutBox();

    void AttachRouter(CMessageHandler* router) { m_Router = router; }
    CMessageHandler* Router() const { return m_Router; }
    CDefaultHandler* DefaultHandler() const { return m_DefaultHandler.get(); }

    int ScreenMode() const { return m_ScreenMode; }
    int DesktopDepth() const { return m_DesktopDepth; }
    bool RenderEnabled() const { return m_RenderEnabled; }
    void SetRenderEnabled(bool enabled) { m_RenderEnabled = enabled; }
    bool SurfaceLost() const { return m_SurfaceLost; }
    void SetSurfaceLost(bool lost) { m_SurfaceLost = lost; }
    bool HasMenu() const { return m_MenuAttached; }
    // The menu-enable bytes, one per command 40001-40007; every change sets the menu-changed byte.
    void SetMenuEnabled(uint32_t commandId, bool enabled);
    bool MenuEnabled(uint32_t commandId) const;
    bool MenuChanged() const { return m_MenuChanged; }
    void MarkMenuChanged() { m_MenuChanged = true; }
    CClientRect& ClientRect() { return m_ClientRect; }
    void PostMessage(uint32_t message, uint32_t wParam = 0, int32_t lParam = 0);
    CPlatformWindow& Platform() { return *m_PlatformWindow; }

  private:
    void ReleaseSurfaces();
    void CreateSurfaces();

    CPlatformMessage m_Message;
    CEntryArgs m_Args;
    CPlatformWindow* m_PlatformWindow;
    bool m_Created = false;
    bool m_MenuAttached = false;
    CMessageHandler* m_Router = nullptr;
    std::unique_ptr<CDefaultHandler> m_DefaultHandler;
    std::unique_ptr<CDisplay> m_Display;
    CSurface* m_Primary = nullptr;
    CSurface* m_BackBuffer = nullptr;
    CClientRect m_ClientRect;
    int m_ScreenMode = 0;
    int m_DesktopDepth = 0;
    bool m_RenderEnabled = true;
    bool m_HardwareDisplay = true;
    bool m_SurfaceLost = false;
    bool m_MenuEnabled[menu::kCount] = {};
    bool m_MenuChanged = false;
    // The time of the last present. One window lives per process, so this member is the process-wide
    // timer of the pacing rule; it starts at the first Present.
    std::unique_ptr<CTimer> m_PresentTimer;
};

// The window's own handler: moves, the quit question, paints, the full-screen menu strip, F4, the
// per-frame present and the window's menu commands.
class CDefaultHandler : public CMessageHandler {
  public:
    explicit CDefaultHandler(CMainWindow* window) : CMessageHandler(window) {}
    void OnMove(HWindow, int32_t packedPosition, CClientRect* client) override;
    void OnClose(HWindow) override;
    void OnDestroy(HWindow) override;
    void OnPaint(HWindow, int left, int top, int right, int bottom) override;
    void OnMouseMove(HWindow, int x, int y) override;
    void OnSysKeyDown(HWindow, uint32_t key) override;
    void OnIdle(HWindow) override;
    void OnCommand(HWindow, uint32_t wParam) override;
};
