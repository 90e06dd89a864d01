#include "shell/MainWindow.h"

#include "media/Display.h"
#include "media/Surface.h"
#include "shell/Encoding.h"
#include "shell/System.h"

const char* const kProductTitle = "Tovel";

namespace {

// Present pacing: at most one present reaches the screen per this many milliseconds.
constexpr uint32_t kPresentInterval = 16;
// The strip at the top left of a full screen that brings the menu bar back (inclusive bounds).
constexpr int kMenuStripRight = 570;

}  // namespace

CMainWindow::CMainWindow(const CEntryArgs& args, bool hardwareDisplay)
    : m_Args(args), m_PlatformWindow(&CSystem::Platform().Window()), m_HardwareDisplay(hardwareDisplay) {
    m_DefaultHandler = std::make_unique<CDefaultHandler>(this);
    m_DesktopDepth = CSystem::Platform().Display().DesktopBitsPerPixel();
}

CMainWindow::~CMainWindow() {
    if (m_Created) {
        if (m_ScreenMode != 0) SetScreenMode(0);
        RemoveMenu();
    }
    ReleaseSurfaces();
    m_Display.reset();
    // The application detaches and deletes its router before; a router still attached is not ours.
    m_Router = nullptr;
    m_DefaultHandler.reset();
}

bool CMainWindow::RegisterWindowClass() {
    return m_PlatformWindow->RegisterClass(kProductTitle);
}

void CMainWindow::Create() {
    if (!RegisterWindowClass())
        FatalError("ウィンドウのレジスタへの登録に失敗しました", "アプリケーションエラー");
    CreateMainWindow();
}

void CMainWindow::CreateMainWindow() {
    m_PlatformWindow->Create(kProductTitle);
    m_PlatformWindow->SetFullScreenStyle(false);
    m_Created = true;
    int x = 0, y = 0;
    m_PlatformWindow->ClientOrigin(x, y);
    m_ClientRect = {x, y, x + 800, y + 600};
    m_Display = std::make_unique<CDisplay>(m_HardwareDisplay);
    CreateSurfaces();
    ReloadMenu();
}

void CMainWindow::CreateSurfaces() {
    m_Primary = m_Display->CreatePrimary();
    m_BackBuffer = m_Display->CreateSurface(800, 600);
}

void CMainWindow::ReleaseSurfaces() {
    if (!m_Display) return;
    if (m_BackBuffer) m_Display->ReleaseSurface(m_BackBuffer);
    if (m_Primary) m_Display->ReleaseSurface(m_Primary);
    m_BackBuffer = nullptr;
    m_Primary = nullptr;
}

void CMainWindow::ReloadMenu() {
    if (m_MenuAttached) {
        m_PlatformWindow->AttachMenu(false);
        m_MenuAttached = false;
        m_PlatformWindow->DrawMenuBar();
    }
    bool loaded = m_PlatformWindow->LoadMenu();
    if (!loaded) MessageBoxU8("メニューの作成が失敗しました。", "アプリケーションエラー");
    if (loaded) {
        // A freshly loaded menu is all gray until the enable bytes are applied.
        for (uint32_t id = menu::kFirst; id < menu::kFirst + menu::kCount; ++id)
            m_PlatformWindow->SetMenuItemEnabled(id, false);
        m_PlatformWindow->AttachMenu(true);
        m_MenuAttached = true;
    }
    m_PlatformWindow->DrawMenuBar();
}

void CMainWindow::RemoveMenu() {
    if (!m_MenuAttached) return;
    m_PlatformWindow->AttachMenu(false);
    m_MenuAttached = false;
    m_PlatformWindow->DrawMenuBar();
}

void CMainWindow::SetMenuEnabled(uint32_t commandId, bool enabled) {
    if (commandId < menu::kFirst || commandId >= menu::kFirst + menu::kCount) return;
    m_MenuEnabled[commandId - menu::kFirst] = enabled;
    m_MenuChanged = true;
}

bool CMainWindow::MenuEnabled(uint32_t commandId) const {
    return commandId >= menu::kFirst && commandId < menu::kFirst + menu::kCount &&
           m_MenuEnabled[commandId - menu::kFirst];
}

void CMainWindow::UpdateMenuState() {
    if (!m_MenuChanged) return;
    m_MenuChanged = false;
    if (!m_MenuAttached) return;
    for (int i = 0; i < menu::kCount; ++i)
        m_PlatformWindow->SetMenuItemEnabled(menu::kFirst + i, m_MenuEnabled[i]);
    m_PlatformWindow->DrawMenuBar();
}

void CMainWindow::Present(int x, int y, int width, int height) {
    if (!m_PresentTimer) {
        m_PresentTimer = std::make_unique<CTimer>();
        m_PresentTimer->Restart();
        return;
    }
    if (m_PresentTimer->Elapsed() < kPresentInterval) return;
    if (m_Primary && m_BackBuffer) {
        if (!m_Primary->Present(*m_BackBuffer, x, y, width, height)) {
            m_RenderEnabled = false;
            m_SurfaceLost = true;
        }
    }
    m_PresentTimer->Restart();
}

bool CMainWindow::SetScreenMode(int mode) {
    ReleaseSurfaces();
    if (!m_Display || !m_Display->SetMode(mode)) return false;
    m_ScreenMode = mode;
    if (mode == 0) {
        ReloadMenu();
        m_PlatformWindow->SetFullScreenStyle(false);
    } else {
        RemoveMenu();
        m_PlatformWindow->SetFullScreenStyle(true);
    }
    int x = 0, y = 0;
    m_PlatformWindow->ClientOrigin(x, y);
    m_ClientRect = {x, y, x + 800, y + 600};
    // Surfaces take the display's format in every mode: the desktop's when windowed, the mode's in full
    // screen (a 15 or 16 full-screen mode gives the display's own sixteen-bit format).
    CreateSurfaces();
    if (m_Primary && m_Primary->IsLost()) {
        ReleaseSurfaces();
        return false;
    }
    return true;
}

void CMainWindow::PostMessage(uint32_t message, uint32_t wParam, int32_t lParam) {
    m_PlatformWindow->PostMessage(message, wParam, lParam);
}

void CMainWindow::DispatchMessage(const CPlatformMessage& m) {
    CMessageHandler* handlers[2] = {m_Router, m_DefaultHandler.get()};
    int x = m.lParam & 0xFFFF;
    int y = (static_cast<uint32_t>(m.lParam) >> 16) & 0xFFFF;
    for (CMessageHandler* h : handlers) {
        // A handler may end the program or switch the router; re-read the default each time.
        if (!h) continue;
        switch (m.message) {
            case wm::Destroy:
                h->OnDestroy(this);
                break;
            case wm::Move:
                h->OnMove(this, m.lParam, &m_ClientRect);
                break;
            case wm::Paint:
                // Only the default handler paints.
                if (h == m_DefaultHandler.get())
                    h->OnPaint(this, m.wParam & 0xFFFF, (m.wParam >> 16) & 0xFFFF, x, y);
                break;
            case wm::Close:
                h->OnClose(this);
                break;
            case wm::KeyDown:
                h->OnKeyDown(this, m.wParam);
                break;
            case wm::KeyUp:
                h->OnKeyUp(this, m.wParam);
                break;
            case wm::SysKeyDown:
                h->OnSysKeyDown(this, m.wParam);
                break;
            case wm::SysKeyUp:
                h->OnSysKeyUp(this, m.wParam);
                break;
            case wm::Command:
                h->OnCommand(this, m.wParam);
                break;
            case wm::MouseMove:
                h->OnMouseMove(this, x, y);
                break;
            case wm::LButtonDown:
                h->OnLButtonDown(this, x, y);
                break;
            case wm::LButtonUp:
                h->OnLButtonUp(this, x, y);
                break;
            case wm::RButtonDown:
                h->OnRButtonDown(this, x, y);
                break;
            case wm::RButtonUp:
                h->OnRButtonUp(this, x, y);
                break;
            case wm::MouseWheel:
                h->OnMouseWheel(this, static_cast<int32_t>(m.wParam) < 0 ? -1 : 1);
                break;
            case wm::MciNotify:
                h->OnMciNotify();
                break;
            default:
                return;  // the system's default handling: nothing of ours
        }
    }
}

int CMainWindow::RunMessageLoop() {
    int exitCode = 0;
    while (RunFrame(exitCode)) {
    }
    return exitCode;
}

bool CMainWindow::RunFrame(int& exitCode) {
    while (m_PlatformWindow->PeekMessage(m_Message)) {
        if (m_Message.message == wm::Quit) {
            exitCode = static_cast<int>(m_Message.wParam);
            return false;
        }
        DispatchMessage(m_Message);
    }
    // No message waiting: one frame. The router runs the scene and composes, the default handler presents.
    if (m_Router) m_Router->OnIdle(this);
    if (m_DefaultHandler) m_DefaultHandler->OnIdle(this);
    m_PlatformWindow->EndFrame();
    return true;
}

void CMainWindow::RunAboutBox() {
    CAboutBox box;
    box.title = Utf8ToSjis("バージョン情報");
    box.lines = {std::string(kProductTitle) + Utf8ToSjis("　"),
                 Utf8ToSjis("日本語アドベンチャーゲームエンジン"), "Ver. 2.0.5 Release",
                 Utf8ToSjis("Tovel 開発チーム")};
    m_PlatformWindow->RunAboutBox(box);
}

// ---- default handler

void CDefaultHandler::OnMove(HWindow, int32_t, CClientRect* client) {
    int x = 0, y = 0;
    m_Window->Platform().ClientOrigin(x, y);
    if (client) *client = {x, y, x + 800, y + 600};
}

void CDefaultHandler::OnClose(HWindow) {
    if (MessageBoxU8("ゲームを終了しますか？", kProductTitle, EMsgBoxButtons::OkCancel, EMsgBoxIcon::Question,
                     true) == EMsgBoxResult::Ok)
        m_Window->PostMessage(wm::Destroy);
}

void CDefaultHandler::OnDestroy(HWindow) {
    m_Window->Platform().PostQuitMessage(0);
}

void CDefaultHandler::OnPaint(HWindow, int left, int top, int right, int bottom) {
    m_Window->Present(left, top, right - left, bottom - top);
}

void CDefaultHandler::OnMouseMove(HWindow, int x, int y) {
    if (m_Window->ScreenMode() == 0) return;
    int barHeight = m_Window->Platform().MenuBarHeight();
    if (!m_Window->HasMenu() && x >= 0 && x <= kMenuStripRight && y >= 0 && y <= barHeight) {
        m_Window->ReloadMenu();
        m_Window->MarkMenuChanged();
        m_Window->UpdateMenuState();
    } else {
        m_Window->RemoveMenu();
    }
}

void CDefaultHandler::OnSysKeyDown(HWindow, uint32_t key) {
    if (key == vk::F4) m_Window->PostMessage(wm::Destroy);
}

void CDefaultHandler::OnIdle(HWindow) {
    if (m_Window->RenderEnabled()) m_Window->Present(0, 0, 800, 600);
}

void CDefaultHandler::OnCommand(HWindow, uint32_t wParam) {
    switch (wParam & 0xFFFF) {
        case menu::kQuit:
            m_Window->PostMessage(wm::Close);
            break;
        case menu::kAbout:
            m_Window->RunAboutBox();
            break;
        default:
            break;
    }
}
