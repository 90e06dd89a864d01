#pragma once
// The seam between the game and the operating system. The game sees only these interfaces; the SDL
// backend (src/platform/sdl) and the headless test backend (src/platform/headless) implement them.
// No SDL, FreeType or fontconfig type appears here.
//
// Text crossing this seam is Shift-JIS (code page 932), as the game keeps it everywhere; the
// backends convert to Unicode where they show it.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Window messages, numbered as the window procedure of the game expects them.
namespace wm {
constexpr uint32_t Destroy = 0x0002;
constexpr uint32_t Move = 0x0003;
constexpr uint32_t Paint = 0x000F;
constexpr uint32_t Close = 0x0010;
constexpr uint32_t Quit = 0x0012;
constexpr uint32_t KeyDown = 0x0100;
constexpr uint32_t KeyUp = 0x0101;
constexpr uint32_t SysKeyDown = 0x0104;
constexpr uint32_t SysKeyUp = 0x0105;
constexpr uint32_t Command = 0x0111;
constexpr uint32_t MouseMove = 0x0200;
constexpr uint32_t LButtonDown = 0x0201;
constexpr uint32_t LButtonUp = 0x0202;
constexpr uint32_t RButtonDown = 0x0204;
constexpr uint32_t RButtonUp = 0x0205;
constexpr uint32_t MouseWheel = 0x020A;
constexpr uint32_t MciNotify = 953;
}  // namespace wm

// Virtual-key codes the game looks at.
namespace vk {
constexpr uint32_t Return = 13;
constexpr uint32_t Control = 17;
constexpr uint32_t Escape = 27;
constexpr uint32_t Space = 32;
constexpr uint32_t F4 = 115;
}  // namespace vk

struct CPlatformMessage {
    uint32_t message = 0;
    uint32_t wParam = 0;
    int32_t lParam = 0;
};

// Packs two 16-bit values as a message's lParam does (low word first).
inline int32_t MakeLParam(int low, int high) {
    return static_cast<int32_t>((static_cast<uint32_t>(low) & 0xFFFFu) |
                                ((static_cast<uint32_t>(high) & 0xFFFFu) << 16));
}

enum class EMsgBoxButtons { Ok, OkCancel, YesNo };
enum class EMsgBoxIcon { None, Information, Warning, Error, Question };
enum class EMsgBoxResult { Ok, Cancel, Yes, No };
enum class ECursor { Arrow, Hand };

// The millisecond counter and the timer resolution requests (the multimedia timer's stand-in).
class CPlatformClock {
  public:
    virtual ~CPlatformClock() = default;
    // Milliseconds since an arbitrary origin; wraps at 2^32.
    virtual uint32_t Milliseconds() = 0;
    // A short busy pause of the game (the white flash, the pause after a mode switch).
    virtual void Wait(uint32_t ms) = 0;
    // Finest and coarsest period the timer device offers.
    virtual uint32_t FinestPeriod() const { return 1; }
    virtual uint32_t CoarsestPeriod() const { return 1000000; }
    // Period requests are counted, so that any number of timers may hold one at once.
    void BeginPeriod(uint32_t period) {
        ++m_PeriodRequests;
        m_Periods.push_back(period);
    }
    // An end without its begin changes nothing, as with the system's count.
    void EndPeriod(uint32_t period) {
        for (auto it = m_Periods.begin(); it != m_Periods.end(); ++it) {
            if (*it == period) {
                m_Periods.erase(it);
                --m_PeriodRequests;
                return;
            }
        }
    }
    int PeriodRequests() const { return m_PeriodRequests; }
    // The finest period currently requested, 0 when none is.
    uint32_t ActivePeriod() const {
        uint32_t finest = 0;
        for (uint32_t p : m_Periods)
            if (finest == 0 || p < finest) finest = p;
        return finest;
    }

  private:
    int m_PeriodRequests = 0;
    std::vector<uint32_t> m_Periods;
};

// The pseudo-random generator the game uses (the C library's rand() with its 15-bit results, the same
// linear congruence on every backend so that seeded runs repeat).
class CPlatformRandom {
  public:
    void Seed(uint32_t seed) { m_State = seed; }
    int Rand() {
        m_State = m_State * 214013u + 2531011u;
        return static_cast<int>((m_State >> 16) & 0x7FFF);
    }
    static constexpr int kRandMax = 0x7FFF;

  private:
    uint32_t m_State = 1;
};

// The display device: the desktop, the screen modes, and the primary picture that presents reach.
class CPlatformDisplay {
  public:
    virtual ~CPlatformDisplay() = default;
    // Bits per pixel of the desktop as the screen reports it (8, 16, 24 or 32; a 5-5-5 desktop reports 16).
    virtual int DesktopBitsPerPixel() = 0;
    // The pixel format that surfaces take in the current mode: 15, 16, 24 or 32.
    virtual int SurfaceDepth() = 0;
    // Creates the device for the window (hardware: use the display hardware; else software emulation).
    virtual bool CreateDevice(bool hardware) = 0;
    virtual bool CreateClipper() = 0;
    virtual void DestroyDevice() = 0;
    // 0 = windowed at the desktop's format; 16, 24, 32 = exclusive full screen 800 x 600 at that depth.
    // Returns false when the mode is refused; the current mode then stays as it was.
    virtual bool SetMode(int mode) = 0;
    virtual int Mode() const = 0;
    virtual bool CreatePrimary() = 0;
    virtual void ReleasePrimary() = 0;
    virtual bool HasPrimary() const = 0;
    virtual bool IsPrimaryLost() = 0;
    // Copies a rectangle of an 800 x 600 picture (rows `pitch` bytes apart, in the pixel format of
    // `depth`) to the same rectangle of the screen. Returns false when the primary picture was lost.
    virtual bool Present(const uint8_t* pixels, int pitch, int depth, int x, int y, int w, int h) = 0;
};

// The About box's texts, shown modally until its OK button is pressed (Escape does not close it).
struct CAboutBox {
    std::string title;  // Shift-JIS
    std::vector<std::string> lines;
};

// The main window: its menu bar, its message queue and the cursor.
class CPlatformWindow {
  public:
    virtual ~CPlatformWindow() = default;
    virtual bool RegisterClass(const std::string& classNameSjis) = 0;
    // Creates the window with an 800 x 600 client area centred on the screen.
    virtual void Create(const std::string& titleSjis) = 0;
    // Windowed: caption, system menu, menu bar, centred. Full screen: a bare 800 x 600 popup at (0, 0).
    virtual void SetFullScreenStyle(bool fullScreen) = 0;
    // The menu bar (menu 104): loading may fail; attaching shows it.
    virtual bool LoadMenu() = 0;
    virtual void AttachMenu(bool attached) = 0;
    virtual void SetMenuItemEnabled(uint32_t commandId, bool enabled) = 0;
    virtual void DrawMenuBar() = 0;
    virtual int MenuBarHeight() const = 0;
    // Top-left corner of the client area in screen coordinates.
    virtual void ClientOrigin(int& x, int& y) const = 0;
    // The message queue. Peek removes the message it returns.
    virtual bool PeekMessage(CPlatformMessage& message) = 0;
    virtual void PostMessage(uint32_t message, uint32_t wParam, int32_t lParam) = 0;
    virtual void PostQuitMessage(int exitCode) = 0;
    // Called after every frame (one idle pass of the message loop).
    virtual void EndFrame() = 0;
    virtual void RunAboutBox(const CAboutBox& box) = 0;
    virtual void SetCursor(ECursor cursor) = 0;
    // Pointer position in client (game) coordinates.
    virtual void CursorPos(int& x, int& y) const = 0;
};

// Fields of one traced event (the headless backend logs them; the SDL backend ignores them).
// String values are Shift-JIS, as the game holds them.
class CEventFields {
  public:
    CEventFields& Int(const char* key, long long value) {
        m_Fields.push_back({key, {true, std::to_string(value)}});
        return *this;
    }
    CEventFields& Str(const char* key, std::string value) {
        m_Fields.push_back({key, {false, std::move(value)}});
        return *this;
    }
    struct Value {
        bool number;
        std::string text;
    };
    const std::vector<std::pair<std::string, Value>>& Fields() const { return m_Fields; }

  private:
    std::vector<std::pair<std::string, Value>> m_Fields;
};

class CPlatformAudio;  // src/platform/audio: the mixer and its device
class CPlatformFonts;  // src/platform/fonts: FreeType and fontconfig text

// Everything the game needs of the system, chosen once by main() or the test runner and handed in.
class CPlatform {
  public:
    virtual ~CPlatform() = default;
    virtual CPlatformClock& Clock() = 0;
    virtual CPlatformRandom& Random() = 0;
    virtual CPlatformDisplay& Display() = 0;
    virtual CPlatformWindow& Window() = 0;
    // The sound output; none when no device can be had.
    virtual CPlatformAudio* Audio() = 0;
    virtual CPlatformFonts& Fonts() = 0;
    // A message box; `owned` ties it to the main window. Blocks until answered.
    virtual EMsgBoxResult MessageBox(const std::string& textSjis, const std::string& captionSjis,
                                     EMsgBoxButtons buttons, EMsgBoxIcon icon, bool owned) = 0;
    // Ends the process at once with the exit code (-1 is 255 on Linux). Nothing is saved.
    [[noreturn]] virtual void Terminate(int exitCode) = 0;
    // The single-instance guard: false when another copy holds the lock of that name.
    virtual bool AcquireInstanceLock(const std::string& name) = 0;
    // A traced event (scene switches, overlays, sounds) for the headless log.
    virtual void Event(const char* ev, const CEventFields& fields) = 0;
};
