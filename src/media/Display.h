#pragma once
// The display device over the platform's display: device and clipper for the main window, the
// current screen mode, and the factories of surfaces. Every surface takes the display's current
// pixel format (`CPlatformDisplay::SurfaceDepth()`); surfaces live in system memory.

#include <string>

class CAlphaSurface;
class CPlatformDisplay;
class CSurface;

class CDisplay {
  public:
    // Creates the device (on the display hardware, or in software emulation) and its clipper; a
    // failure of either ends the process with its message.
    explicit CDisplay(bool hardware);
    // Leaves full screen (the desktop mode comes back) and destroys the device.
    ~CDisplay();
    CDisplay(const CDisplay&) = delete;
    CDisplay& operator=(const CDisplay&) = delete;

    // 0: windowed, always succeeds. 16, 24, 32: exclusive full screen 800 x 600 at that depth, false
    // when refused. Any other value (15 included) changes nothing and succeeds.
    bool SetMode(int mode);
    int Mode() const { return m_Mode; }
    // The pixel format surfaces take now: 15, 16, 24 or 32.
    int SurfaceDepth() const;

    // The primary surface with the clipper (fatal when it cannot be made).
    CSurface* CreatePrimary();
    // A blank surface filled with colour 0.
    CSurface* CreateSurface(int width, int height);
    // A surface holding the picture of a bmp or bfh file; none when the file cannot be loaded.
    CSurface* CreateSurfaceFromImage(const std::string& path);
    // A blank alpha surface: pixels 0, alpha map all 0.
    CAlphaSurface* CreateAlphaSurface(int width, int height);
    // The picture and the alp file of the same name; none when the picture cannot be loaded.
    CAlphaSurface* CreateAlphaSurfaceFromImage(const std::string& path);
    // Release, then delete (the destructor of a surface releases nothing). Accepts none.
    void ReleaseSurface(CSurface* surface);

    CPlatformDisplay* Device() const { return m_Device; }

  private:
    CPlatformDisplay* m_Device = nullptr;
    int m_Mode = 0;
};
