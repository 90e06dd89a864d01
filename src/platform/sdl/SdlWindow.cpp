#include "platform/sdl/SdlWindow.h"

#include <algorithm>

#include "platform/fonts/Fonts.h"
#include "shell/Encoding.h"

namespace {

// The menu bar: the popup "ファイル" with two commands, then five commands on the bar itself.
struct MenuText {
    uint32_t id;
    const char* utf8;
    bool inPopup;
};
const MenuText kMenu[] = {
    {0, "ファイル", false},     {40001, "タイトルに戻る", true},  {40002, "ゲーム終了", true},
    {40003, "セーブ", false},   {40004, "ロード", false},         {40005, "次の選択肢まで進む", false},
    {40006, "環境設定", false}, {40007, "バージョン情報", false},
};

constexpr SDL_Color kBarColour = {240, 240, 240, 255};
constexpr SDL_Color kTextColour = {0, 0, 0, 255};
constexpr SDL_Color kGrayColour = {160, 160, 160, 255};
constexpr int kItemPad = 8;
constexpr int kPopupItemHeight = 22;

// Windows virtual-key codes for SDL keys (0 when the game has no use for the key).
uint32_t VirtualKey(SDL_Keycode k) {
    if (k >= SDLK_a && k <= SDLK_z) return 'A' + (k - SDLK_a);
    if (k >= SDLK_0 && k <= SDLK_9) return '0' + (k - SDLK_0);
    if (k >= SDLK_F1 && k <= SDLK_F12) return 112 + (k - SDLK_F1);
    switch (k) {
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
            return 13;
        case SDLK_ESCAPE:
            return 27;
        case SDLK_SPACE:
            return 32;
        case SDLK_BACKSPACE:
            return 8;
        case SDLK_TAB:
            return 9;
        case SDLK_LCTRL:
        case SDLK_RCTRL:
            return 17;
        case SDLK_LSHIFT:
        case SDLK_RSHIFT:
            return 16;
        case SDLK_LALT:
        case SDLK_RALT:
            return 18;
        case SDLK_LEFT:
            return 37;
        case SDLK_UP:
            return 38;
        case SDLK_RIGHT:
            return 39;
        case SDLK_DOWN:
            return 40;
        case SDLK_PAGEUP:
            return 33;
        case SDLK_PAGEDOWN:
            return 34;
        case SDLK_HOME:
            return 36;
        case SDLK_END:
            return 35;
        case SDLK_DELETE:
            return 46;
        default:
            return 0;
    }
}

}  // namespace

CSdlWindow::CSdlWindow(CPlatformFonts* fonts) : m_Fonts(fonts) {
    for (const auto& m : kMenu) m_Items.push_back({m.id, Utf8ToSjis(m.utf8), m.inPopup, {}});
}

CSdlWindow::~CSdlWindow() {
    if (m_Texture) SDL_DestroyTexture(m_Texture);
    if (m_Renderer) SDL_DestroyRenderer(m_Renderer);
    if (m_Window) SDL_DestroyWindow(m_Window);
    if (m_Arrow) SDL_FreeCursor(m_Arrow);
    if (m_Hand) SDL_FreeCursor(m_Hand);
}

void CSdlWindow::Create(const std::string& titleSjis) {
    std::string title = SjisToUtf8(titleSjis);
    m_Window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 800,
                                600 + kMenuHeight, SDL_WINDOW_RESIZABLE | SDL_WINDOW_SHOWN);
    if (!m_Window) return;
    SDL_SetWindowMinimumSize(m_Window, 400, 300 + kMenuHeight);
    m_Renderer = SDL_CreateRenderer(m_Window, -1, SDL_RENDERER_ACCELERATED);
    if (!m_Renderer) m_Renderer = SDL_CreateRenderer(m_Window, -1, SDL_RENDERER_SOFTWARE);
    if (m_Renderer) {
        SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
        m_Texture =
            SDL_CreateTexture(m_Renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, 800, 600);
    }
    m_Arrow = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW);
    m_Hand = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_HAND);
    if (m_Fonts) {
        CFontRequest req;
        req.faceSjis = Utf8ToSjis("ＭＳ ゴシック");
        req.height = 14;
        req.weight = 400;
        m_MenuFont = m_Fonts->CreateFont(req);
    }
    LayoutMenu();
}

void CSdlWindow::SetFullScreenStyle(bool fullScreen) {
    m_FullScreen = fullScreen;
    if (!m_Window) return;
    SDL_SetWindowFullscreen(m_Window, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    if (!fullScreen) {
        SDL_SetWindowSize(m_Window, 800, 600 + kMenuHeight);
        SDL_SetWindowPosition(m_Window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    }
    m_Dirty = true;
}

void CSdlWindow::AttachMenu(bool attached) {
    m_MenuAttached = attached;
    m_PopupOpen = false;
    m_MenuDirty = true;
    m_Dirty = true;
}

void CSdlWindow::SetMenuItemEnabled(uint32_t commandId, bool enabled) {
    if (commandId >= 40001 && commandId <= 40007) m_Enabled[commandId - 40001] = enabled;
}

void CSdlWindow::ClientOrigin(int& x, int& y) const {
    x = 0;
    y = 0;
    if (m_Window) SDL_GetWindowPosition(m_Window, &x, &y);
    SDL_Rect g = GameRect();
    x += g.x;
    y += g.y;
}

int CSdlWindow::MenuTop() const {
    return 0;
}

SDL_Rect CSdlWindow::GameRect() const {
    int w = 800, h = 600 + kMenuHeight;
    if (m_Renderer) SDL_GetRendererOutputSize(m_Renderer, &w, &h);
    // Windowed, the menu bar takes its strip above the game area; in full screen it lies over it.
    int top = m_FullScreen ? 0 : kMenuHeight;
    int availH = std::max(1, h - top);
    int gw = w, gh = w * 3 / 4;
    if (gh > availH) {
        gh = availH;
        gw = availH * 4 / 3;
    }
    return {(w - gw) / 2, top + (availH - gh) / 2, gw, gh};
}

bool CSdlWindow::ToGame(int wx, int wy, int& gx, int& gy) const {
    SDL_Rect g = GameRect();
    if (g.w <= 0 || g.h <= 0) return false;
    // Mouse coordinates come in window points; the renderer may work in more pixels (high density).
    int ww = 1, wh = 1, ow = 1, oh = 1;
    if (m_Window) SDL_GetWindowSize(m_Window, &ww, &wh);
    if (m_Renderer) SDL_GetRendererOutputSize(m_Renderer, &ow, &oh);
    int px = wx * ow / std::max(1, ww), py = wy * oh / std::max(1, wh);
    if (px < g.x || py < g.y || px >= g.x + g.w || py >= g.y + g.h) return false;
    gx = (px - g.x) * 800 / g.w;
    gy = (py - g.y) * 600 / g.h;
    return true;
}

void CSdlWindow::LayoutMenu() {
    int x = 0;
    int popupY = kMenuHeight;
    int popupW = 0;
    for (auto& item : m_Items) {
        int textW =
            m_MenuFont ? m_MenuFont->Measure(item.label).width : static_cast<int>(item.label.size()) * 7;
        if (item.inPopup) {
            popupW = std::max(popupW, textW + 4 * kItemPad);
        } else {
            item.rect = {x, 0, textW + 2 * kItemPad, kMenuHeight};
            x += item.rect.w;
        }
    }
    for (auto& item : m_Items) {
        if (!item.inPopup) continue;
        item.rect = {0, popupY, popupW, kPopupItemHeight};
        popupY += kPopupItemHeight;
    }
}

void CSdlWindow::DrawText(const std::string& sjis, int x, int y, SDL_Color colour) {
    if (!m_MenuFont || !m_Renderer) return;
    CTextExtent e = m_MenuFont->Measure(sjis);
    if (e.width <= 0 || e.height <= 0) return;
    std::vector<uint8_t> coverage(static_cast<size_t>(e.width) * e.height);
    m_MenuFont->Render(sjis, coverage.data(), e.width, e.height, e.width);
    std::vector<uint32_t> argb(coverage.size());
    for (size_t i = 0; i < coverage.size(); ++i)
        argb[i] =
            (uint32_t(coverage[i]) << 24) | (uint32_t(colour.r) << 16) | (uint32_t(colour.g) << 8) | colour.b;
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(argb.data(), e.width, e.height, 32, e.width * 4,
                                                        SDL_PIXELFORMAT_ARGB8888);
    if (!s) return;
    SDL_Texture* t = SDL_CreateTextureFromSurface(m_Renderer, s);
    SDL_FreeSurface(s);
    if (!t) return;
    SDL_SetTextureBlendMode(t, SDL_BLENDMODE_BLEND);
    SDL_Rect dst = {x, y, e.width, e.height};
    SDL_RenderCopy(m_Renderer, t, nullptr, &dst);
    SDL_DestroyTexture(t);
}

void CSdlWindow::Render() {
    if (!m_Renderer) return;
    SDL_SetRenderDrawColor(m_Renderer, 0, 0, 0, 255);
    SDL_RenderClear(m_Renderer);
    if (m_Texture) {
        SDL_UpdateTexture(m_Texture, nullptr, m_Frame.data(), 800 * 4);
        SDL_Rect g = GameRect();
        SDL_RenderCopy(m_Renderer, m_Texture, nullptr, &g);
    }
    if (MenuBarVisible()) {
        int w = 800, h = 600;
        SDL_GetRendererOutputSize(m_Renderer, &w, &h);
        SDL_Rect bar = {0, 0, w, kMenuHeight};
        SDL_SetRenderDrawColor(m_Renderer, kBarColour.r, kBarColour.g, kBarColour.b, 255);
        SDL_RenderFillRect(m_Renderer, &bar);
        for (const auto& item : m_Items) {
            if (item.inPopup) continue;
            bool enabled = item.id == 0 || m_Enabled[item.id - 40001];
            if (item.id == 0 && m_PopupOpen) {
                SDL_SetRenderDrawColor(m_Renderer, 200, 210, 230, 255);
                SDL_RenderFillRect(m_Renderer, &item.rect);
            }
            DrawText(item.label, item.rect.x + kItemPad, 2, enabled ? kTextColour : kGrayColour);
        }
        if (m_PopupOpen) {
            for (const auto& item : m_Items) {
                if (!item.inPopup) continue;
                SDL_SetRenderDrawColor(m_Renderer, kBarColour.r, kBarColour.g, kBarColour.b, 255);
                SDL_RenderFillRect(m_Renderer, &item.rect);
                SDL_SetRenderDrawColor(m_Renderer, 128, 128, 128, 255);
                SDL_RenderDrawRect(m_Renderer, &item.rect);
                bool enabled = m_Enabled[item.id - 40001];
                DrawText(item.label, item.rect.x + 2 * kItemPad, item.rect.y + 4,
                         enabled ? kTextColour : kGrayColour);
            }
        }
    }
    SDL_RenderPresent(m_Renderer);
    m_Dirty = false;
    m_MenuDirty = false;
}

bool CSdlWindow::MenuClick(int wx, int wy) {
    if (!MenuBarVisible()) return false;
    int ww = 1, wh = 1, ow = 1, oh = 1;
    SDL_GetWindowSize(m_Window, &ww, &wh);
    SDL_GetRendererOutputSize(m_Renderer, &ow, &oh);
    SDL_Point p = {wx * ow / std::max(1, ww), wy * oh / std::max(1, wh)};
    for (const auto& item : m_Items) {
        if (item.inPopup && !m_PopupOpen) continue;
        if (!SDL_PointInRect(&p, &item.rect)) continue;
        if (item.id == 0) {
            m_PopupOpen = !m_PopupOpen;
        } else {
            m_PopupOpen = false;
            // A grayed command does nothing, as a disabled menu item.
            if (m_Enabled[item.id - 40001]) m_Posted.push_back({0x0111, item.id, 0});
        }
        m_Dirty = true;
        return true;
    }
    if (m_PopupOpen) {
        m_PopupOpen = false;
        m_Dirty = true;
        return true;  // a click outside an open popup only closes it
    }
    return p.y < kMenuHeight;
}

bool CSdlWindow::Translate(const SDL_Event& e, CPlatformMessage& out) {
    int gx = 0, gy = 0;
    switch (e.type) {
        case SDL_QUIT:
            out = {wm::Close, 0, 0};
            return true;
        case SDL_WINDOWEVENT:
            if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
                out = {wm::Close, 0, 0};
                return true;
            }
            if (e.window.event == SDL_WINDOWEVENT_MOVED) {
                out = {wm::Move, 0, MakeLParam(e.window.data1, e.window.data2)};
                return true;
            }
            if (e.window.event == SDL_WINDOWEVENT_EXPOSED || e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
                m_Dirty = true;
                out = {wm::Paint, 0, MakeLParam(800, 600)};
                return true;
            }
            return false;
        case SDL_MOUSEMOTION:
            if (!ToGame(e.motion.x, e.motion.y, gx, gy)) return false;
            out = {wm::MouseMove, 0, MakeLParam(gx, gy)};
            return true;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            bool down = e.type == SDL_MOUSEBUTTONDOWN;
            if (down && e.button.button == SDL_BUTTON_LEFT && MenuClick(e.button.x, e.button.y)) return false;
            if (!ToGame(e.button.x, e.button.y, gx, gy)) return false;
            if (e.button.button == SDL_BUTTON_LEFT)
                out = {down ? wm::LButtonDown : wm::LButtonUp, down ? 1u : 0u, MakeLParam(gx, gy)};
            else if (e.button.button == SDL_BUTTON_RIGHT)
                out = {down ? wm::RButtonDown : wm::RButtonUp, down ? 2u : 0u, MakeLParam(gx, gy)};
            else
                return false;
            return true;
        }
        case SDL_MOUSEWHEEL: {
            if (e.wheel.y == 0) return false;
            // Toward the user is negative, as the wheel message's delta.
            int delta =
                (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y) > 0 ? 120 : -120;
            out = {wm::MouseWheel, static_cast<uint32_t>(delta) << 16, 0};
            return true;
        }
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            uint32_t key = VirtualKey(e.key.keysym.sym);
            if (key == 0) return false;
            bool down = e.type == SDL_KEYDOWN;
            // Alt combinations and F10 come as system keys, as Windows sends them.
            bool sys = (e.key.keysym.mod & KMOD_ALT) || key == 121 || key == 18;
            if (down && e.key.repeat && (key == 17 || key == 32)) return false;
            out = {sys ? (down ? wm::SysKeyDown : wm::SysKeyUp) : (down ? wm::KeyDown : wm::KeyUp), key, 0};
            return true;
        }
        default:
            return false;
    }
}

bool CSdlWindow::PeekMessage(CPlatformMessage& message) {
    if (!m_Posted.empty()) {
        message = m_Posted.front();
        m_Posted.pop_front();
        return true;
    }
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        if (Translate(e, message)) return true;
        if (!m_Posted.empty()) {
            message = m_Posted.front();
            m_Posted.pop_front();
            return true;
        }
    }
    return false;
}

void CSdlWindow::PostMessage(uint32_t message, uint32_t wParam, int32_t lParam) {
    m_Posted.push_back({message, wParam, lParam});
}

void CSdlWindow::PostQuitMessage(int exitCode) {
    m_Posted.push_back({wm::Quit, static_cast<uint32_t>(exitCode), 0});
}

void CSdlWindow::EndFrame() {
    if (m_Dirty || m_MenuDirty) Render();
    // The game runs its frames back to back; a millisecond's rest per frame keeps a core free without
    // touching the timing, which is measured on the clock.
    SDL_Delay(1);
}

void CSdlWindow::RunAboutBox(const CAboutBox& box) {
    std::string text;
    for (const auto& line : box.lines) text += SjisToUtf8(line) + "\n";
    std::string title = SjisToUtf8(box.title);
    // Only OK closes the box: no button answers the Escape key.
    SDL_MessageBoxButtonData ok = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "OK"};
    SDL_MessageBoxData data = {
        SDL_MESSAGEBOX_INFORMATION, m_Window, title.c_str(), text.c_str(), 1, &ok, nullptr};
    int pressed = 0;
    while (SDL_ShowMessageBox(&data, &pressed) == 0 && pressed != 1) {
    }
}

void CSdlWindow::SetCursor(ECursor cursor) {
    SDL_Cursor* c = cursor == ECursor::Hand ? m_Hand : m_Arrow;
    if (c) SDL_SetCursor(c);
}

void CSdlWindow::CursorPos(int& x, int& y) const {
    int wx = 0, wy = 0;
    SDL_GetMouseState(&wx, &wy);
    x = y = 0;
    if (!ToGame(wx, wy, x, y)) {
        // Outside the game area: the nearest edge, as a captured pointer would report.
        SDL_Rect g = GameRect();
        x = std::clamp((wx - g.x) * 800 / std::max(1, g.w), 0, 799);
        y = std::clamp((wy - g.y) * 600 / std::max(1, g.h), 0, 599);
    }
}
