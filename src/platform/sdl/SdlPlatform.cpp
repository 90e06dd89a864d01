#include "platform/sdl/SdlPlatform.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

#include "platform/InstanceLock.h"
#include "platform/PixelConvert.h"
#include "platform/audio/Audio.h"
#include "platform/fonts/Fonts.h"
#include "platform/sdl/SdlAudio.h"
#include "platform/sdl/SdlWindow.h"
#include "shell/Encoding.h"

// ---- clock

uint32_t CSdlClock::Milliseconds() {
    return SDL_GetTicks();
}

void CSdlClock::Wait(uint32_t ms) {
    uint32_t start = SDL_GetTicks();
    while (SDL_GetTicks() - start < ms) SDL_Delay(1);
}

// ---- display

int CSdlDisplay::DesktopBitsPerPixel() {
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return 32;
    int bytes = SDL_BYTESPERPIXEL(mode.format);
    // The screen reports bits per pixel as stored: a four-byte format is 32 bits, as GDI says.
    if (bytes >= 4) return 32;
    if (bytes == 3) return 24;
    if (bytes == 2) return 16;
    return SDL_BITSPERPIXEL(mode.format);
}

int CSdlDisplay::DesktopFormatDepth() {
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) == 0 && SDL_BITSPERPIXEL(mode.format) == 15) return 15;
    int bpp = DesktopBitsPerPixel();
    return bpp < 16 ? 16 : bpp;
}

bool CSdlDisplay::CreateDevice(bool) {
    return m_Window.Handle() != nullptr;
}

bool CSdlDisplay::SetMode(int mode) {
    // Full screen shows the game area scaled to the display; the depth of the mode is the format of the
    // game's surfaces, and the presenter converts it for the screen.
    if (mode != 0 && mode != 16 && mode != 24 && mode != 32) return false;
    m_Mode = mode;
    return true;
}

bool CSdlDisplay::Present(const uint8_t* pixels, int pitch, int depth, int x, int y, int w, int h) {
    ConvertToRgb32(pixels, pitch, depth, x, y, w, h, m_Window.Frame(), 800, 600);
    m_Window.FrameChanged();
    return true;
}

// ---- platform

CSdlPlatform::CSdlPlatform() = default;

CSdlPlatform::~CSdlPlatform() {
    m_Audio.reset();
    m_Display.reset();
    m_Window.reset();
    m_Fonts.reset();
    if (m_LockFd >= 0) ReleaseInstanceLock(m_LockFd);
    if (m_Started) SDL_Quit();
}

bool CSdlPlatform::Init() {
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        std::fprintf(stderr, "tovel: cannot start the video system: %s\n", SDL_GetError());
        return false;
    }
    m_Started = true;
    m_Random.Seed(SDL_GetTicks() ^ static_cast<uint32_t>(SDL_GetPerformanceCounter()));
    m_Fonts = std::make_unique<CFontEngine>();
    m_Window = std::make_unique<CSdlWindow>(m_Fonts.get());
    m_Display = std::make_unique<CSdlDisplay>(*m_Window);
    m_Audio = CreateSdlAudio();
    return true;
}

CPlatformWindow& CSdlPlatform::Window() {
    return *m_Window;
}

CPlatformFonts& CSdlPlatform::Fonts() {
    return *m_Fonts;
}

EMsgBoxResult CSdlPlatform::MessageBox(const std::string& textSjis, const std::string& captionSjis,
                                       EMsgBoxButtons buttons, EMsgBoxIcon icon, bool owned) {
    std::string text = SjisToUtf8(textSjis), caption = SjisToUtf8(captionSjis);
    Uint32 flags = icon == EMsgBoxIcon::Error     ? SDL_MESSAGEBOX_ERROR
                   : icon == EMsgBoxIcon::Warning ? SDL_MESSAGEBOX_WARNING
                                                  : SDL_MESSAGEBOX_INFORMATION;
    SDL_MessageBoxButtonData b[2];
    int count = 1;
    switch (buttons) {
        case EMsgBoxButtons::Ok:
            b[0] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0,
                    "OK"};
            break;
        case EMsgBoxButtons::OkCancel:
            b[0] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 0, "OK"};
            b[1] = {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 1, "キャンセル"};
            count = 2;
            break;
        case EMsgBoxButtons::YesNo:
            b[0] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 0, "はい"};
            b[1] = {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 1, "いいえ"};
            count = 2;
            break;
    }
    SDL_Window* parent = owned && m_Window ? m_Window->Handle() : nullptr;
    SDL_MessageBoxData data = {flags, parent, caption.c_str(), text.c_str(), count, b, nullptr};
    int pressed = 0;
    if (SDL_ShowMessageBox(&data, &pressed) != 0) {
        // No way to show it (no display server): say it on standard error and take the first button.
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
        pressed = 0;
    }
    if (buttons == EMsgBoxButtons::YesNo) return pressed == 1 ? EMsgBoxResult::No : EMsgBoxResult::Yes;
    if (buttons == EMsgBoxButtons::OkCancel) return pressed == 1 ? EMsgBoxResult::Cancel : EMsgBoxResult::Ok;
    return EMsgBoxResult::Ok;
}

void CSdlPlatform::Terminate(int exitCode) {
    std::fflush(stderr);
    std::_Exit(exitCode & 0xFF);
}

bool CSdlPlatform::AcquireInstanceLock(const std::string& name) {
    if (m_LockFd >= 0) return true;
    bool other = false;
    m_LockFd = AcquireInstanceLockFile("", name, &other);
    // A lock file that cannot be made for another reason does not stop the game.
    return m_LockFd >= 0 || !other;
}
