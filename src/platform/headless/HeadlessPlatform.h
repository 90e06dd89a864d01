#pragma once
// The test backend: a virtual clock, scripted input, a configurable desktop and set of display modes,
// message boxes logged and answered from a queue, presented frames kept for screenshots, and an event log
// of JSON lines. Runs repeat exactly: nothing here reads the real time.

#include <cstdio>
#include <deque>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/Platform.h"

class CHeadlessClock : public CPlatformClock {
  public:
    uint32_t Milliseconds() override { return m_Now; }
    void Wait(uint32_t ms) override { m_Now += ms; }
    void Advance(uint32_t ms) { m_Now += ms; }
    void Set(uint32_t ms) { m_Now = ms; }

  private:
    uint32_t m_Now = 0;
};

class CHeadlessDisplay : public CPlatformDisplay {
  public:
    int DesktopBitsPerPixel() override { return m_DesktopDepth == 15 ? 16 : m_DesktopDepth; }
    int SurfaceDepth() override { return m_Mode == 0 ? m_DesktopDepth : m_Mode; }
    bool CreateDevice(bool hardware) override;
    bool CreateClipper() override { return m_ClipperOk; }
    void DestroyDevice() override { m_Device = false; }
    bool SetMode(int mode) override;
    int Mode() const override { return m_Mode; }
    bool CreatePrimary() override;
    void ReleasePrimary() override { m_HasPrimary = false; }
    bool HasPrimary() const override { return m_HasPrimary; }
    bool IsPrimaryLost() override { return m_Lost; }
    bool Present(const uint8_t* pixels, int pitch, int depth, int x, int y, int w, int h) override;

    // Test controls. Depth 15 is a 5-5-5 sixteen-bit desktop.
    void SetDesktopDepth(int depth) { m_DesktopDepth = depth; }
    void SetFullScreenModes(std::set<int> depths) { m_FullScreenModes = std::move(depths); }
    void SetWindowedAvailable(bool available) { m_WindowedOk = available; }
    void SetDeviceFails(bool fails) { m_DeviceOk = !fails; }
    void SetClipperFails(bool fails) { m_ClipperOk = !fails; }
    void SetPrimaryLost(bool lost) { m_Lost = lost; }
    bool Hardware() const { return m_Hardware; }
    int PresentCount() const { return m_PresentCount; }
    // The picture as last presented: 800 x 600, 0x00RRGGBB per pixel.
    const std::vector<uint32_t>& Screen() const { return m_Screen; }
    uint32_t ScreenPixel(int x, int y) const { return m_Screen[static_cast<size_t>(y) * 800 + x]; }

  private:
    int m_DesktopDepth = 32;
    std::set<int> m_FullScreenModes = {16, 24, 32};
    bool m_WindowedOk = true;
    bool m_DeviceOk = true;
    bool m_ClipperOk = true;
    bool m_Device = false;
    bool m_Hardware = true;
    int m_Mode = 0;
    bool m_HasPrimary = false;
    bool m_Lost = false;
    int m_PresentCount = 0;
    std::vector<uint32_t> m_Screen = std::vector<uint32_t>(800 * 600, 0);
};

// One line of scripted input: a window message, or an action of the runner, due at a virtual time.
struct CScriptedInput {
    uint32_t time = 0;
    enum class EKind { Message, Answer, Action } kind = EKind::Message;
    CPlatformMessage message;
    EMsgBoxResult answer = EMsgBoxResult::Ok;
    std::function<void()> action;
    bool consumed = false;
};

class CHeadlessPlatform;

class CHeadlessWindow : public CPlatformWindow {
  public:
    explicit CHeadlessWindow(CHeadlessPlatform& platform) : m_Platform(platform) {}
    bool RegisterClass(const std::string&) override { return m_RegisterOk; }
    void Create(const std::string& titleSjis) override;
    void SetFullScreenStyle(bool fullScreen) override { m_FullScreen = fullScreen; }
    bool LoadMenu() override { return m_MenuLoadOk; }
    void AttachMenu(bool attached) override;
    void SetMenuItemEnabled(uint32_t commandId, bool enabled) override;
    void DrawMenuBar() override { ++m_MenuRedraws; }
    int MenuBarHeight() const override { return 19; }
    void ClientOrigin(int& x, int& y) const override;
    bool PeekMessage(CPlatformMessage& message) override;
    void PostMessage(uint32_t message, uint32_t wParam, int32_t lParam) override;
    void PostQuitMessage(int exitCode) override;
    void EndFrame() override;
    void RunAboutBox(const CAboutBox& box) override;
    void SetCursor(ECursor cursor) override { m_Cursor = cursor; }
    void CursorPos(int& x, int& y) const override {
        x = m_CursorX;
        y = m_CursorY;
    }

    // Test controls and observations.
    void SetRegisterFails(bool fails) { m_RegisterOk = !fails; }
    void SetMenuLoadFails(bool fails) { m_MenuLoadOk = !fails; }
    void SetFrameMs(uint32_t ms) { m_FrameMs = ms; }
    uint32_t FrameMs() const { return m_FrameMs; }
    // Input due at a virtual time; lines of equal time keep their order.
    void Script(CScriptedInput input);
    // The time of the last scripted line (0 when there is none).
    uint32_t LastScriptedTime() const;
    // The earliest unconsumed answer due by now, consumed; false when there is none.
    bool TakeAnswer(EMsgBoxResult& answer);
    bool Created() const { return m_Created; }
    bool FullScreen() const { return m_FullScreen; }
    bool MenuAttached() const { return m_MenuAttached; }
    bool MenuItemEnabled(uint32_t commandId) const;
    int MenuRedraws() const { return m_MenuRedraws; }
    ECursor Cursor() const { return m_Cursor; }
    uint64_t Frames() const { return m_Frames; }
    const std::vector<CAboutBox>& AboutBoxes() const { return m_AboutBoxes; }
    std::function<void()> onEndFrame;

  private:
    CHeadlessPlatform& m_Platform;
    bool m_RegisterOk = true;
    bool m_MenuLoadOk = true;
    bool m_Created = false;
    bool m_FullScreen = false;
    bool m_MenuAttached = false;
    bool m_Enabled[7] = {};
    int m_MenuRedraws = 0;
    ECursor m_Cursor = ECursor::Arrow;
    int m_CursorX = 0;
    int m_CursorY = 0;
    uint32_t m_FrameMs = 16;
    uint64_t m_Frames = 0;
    std::deque<CPlatformMessage> m_Posted;
    std::vector<CScriptedInput> m_Script;  // sorted by time, stable
    size_t m_ScriptPos = 0;
    std::vector<CAboutBox> m_AboutBoxes;
};

struct CLoggedMessageBox {
    std::string caption;  // UTF-8
    std::string text;     // UTF-8
    EMsgBoxButtons buttons;
    EMsgBoxIcon icon;
    bool owned;
    EMsgBoxResult answer;
};

class CHeadlessPlatform : public CPlatform {
  public:
    CHeadlessPlatform();
    ~CHeadlessPlatform() override;
    CHeadlessClock& Clock() override { return m_Clock; }
    CPlatformRandom& Random() override { return m_Random; }
    CHeadlessDisplay& Display() override { return m_Display; }
    CHeadlessWindow& Window() override { return m_Window; }
    CPlatformAudio* Audio() override { return m_Audio; }
    CPlatformFonts& Fonts() override;
    EMsgBoxResult MessageBox(const std::string& textSjis, const std::string& captionSjis,
                             EMsgBoxButtons buttons, EMsgBoxIcon icon, bool owned) override;
    [[noreturn]] void Terminate(int exitCode) override;
    bool AcquireInstanceLock(const std::string& name) override;
    void Event(const char* ev, const CEventFields& fields) override;

    // Test controls and observations.
    void SetDesktopDepth(int depth) { m_Display.SetDesktopDepth(depth); }
    void QueueAnswer(EMsgBoxResult answer);
    const std::vector<CLoggedMessageBox>& MessageBoxes() const { return m_MessageBoxes; }
    // The event log goes to this stream (stderr unless changed); nullptr keeps it quiet.
    void SetLog(std::FILE* log) { m_Log = log; }
    // Every event also lands here, one JSON object a line.
    const std::vector<std::string>& Events() const { return m_Events; }
    // Where the instance lock file lives (the user's runtime folder unless set).
    void SetLockFolder(std::string folder) { m_LockFolder = std::move(folder); }
    void SetAudio(CPlatformAudio* audio) { m_Audio = audio; }
    void SetFonts(CPlatformFonts* fonts) { m_Fonts = fonts; }
    // Writes the presented picture as a PNG; false on a write error.
    bool WriteScreenshot(const std::string& path);
    // Adds an owned service whose lifetime is the platform's (audio devices, font engines).
    void Own(std::shared_ptr<void> service) { m_Owned.push_back(std::move(service)); }

  private:
    void Log(const std::string& line);

    CHeadlessClock m_Clock;
    CPlatformRandom m_Random;
    CHeadlessDisplay m_Display;
    CHeadlessWindow m_Window{*this};
    CPlatformAudio* m_Audio = nullptr;
    CPlatformFonts* m_Fonts = nullptr;
    std::deque<EMsgBoxResult> m_Answers;
    std::vector<CLoggedMessageBox> m_MessageBoxes;
    std::vector<std::string> m_Events;
    std::FILE* m_Log = stderr;
    std::string m_LockFolder;
    int m_LockFd = -1;
    std::vector<std::shared_ptr<void>> m_Owned;
};
