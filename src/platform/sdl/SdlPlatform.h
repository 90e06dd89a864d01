#pragma once
// The real backend: SDL2 for the window, input, message boxes, cursor and sound output; FreeType and
// fontconfig for text.
#include <memory>

#include "platform/Platform.h"

class CSdlWindow;
class CFontEngine;

class CSdlClock : public CPlatformClock {
  public:
    uint32_t Milliseconds() override;
    void Wait(uint32_t ms) override;
};

class CSdlDisplay : public CPlatformDisplay {
  public:
    explicit CSdlDisplay(CSdlWindow& window) : m_Window(window) {}
    int DesktopBitsPerPixel() override;
    int SurfaceDepth() override { return m_Mode == 0 ? DesktopFormatDepth() : m_Mode; }
    bool CreateDevice(bool hardware) override;
    bool CreateClipper() override { return true; }
    void DestroyDevice() override {}
    bool SetMode(int mode) override;
    int Mode() const override { return m_Mode; }
    bool CreatePrimary() override {
        m_HasPrimary = true;
        return true;
    }
    void ReleasePrimary() override { m_HasPrimary = false; }
    bool HasPrimary() const override { return m_HasPrimary; }
    bool IsPrimaryLost() override { return false; }
    bool Present(const uint8_t* pixels, int pitch, int depth, int x, int y, int w, int h) override;

  private:
    int DesktopFormatDepth();
    CSdlWindow& m_Window;
    int m_Mode = 0;
    bool m_HasPrimary = false;
};

class CSdlPlatform : public CPlatform {
  public:
    CSdlPlatform();
    ~CSdlPlatform() override;
    // False (with SDL's reason on standard error) when the video system cannot start.
    bool Init();

    CPlatformClock& Clock() override { return m_Clock; }
    CPlatformRandom& Random() override { return m_Random; }
    CPlatformDisplay& Display() override { return *m_Display; }
    CPlatformWindow& Window() override;
    CPlatformAudio* Audio() override { return m_Audio.get(); }
    CPlatformFonts& Fonts() override;
    EMsgBoxResult MessageBox(const std::string& textSjis, const std::string& captionSjis,
                             EMsgBoxButtons buttons, EMsgBoxIcon icon, bool owned) override;
    [[noreturn]] void Terminate(int exitCode) override;
    bool AcquireInstanceLock(const std::string& name) override;
    void Event(const char*, const CEventFields&) override {}

  private:
    CSdlClock m_Clock;
    CPlatformRandom m_Random;
    std::unique_ptr<CFontEngine> m_Fonts;
    std::unique_ptr<CSdlWindow> m_Window;
    std::unique_ptr<CSdlDisplay> m_Display;
    std::unique_ptr<CPlatformAudio> m_Audio;
    int m_LockFd = -1;
    bool m_Started = false;
};
