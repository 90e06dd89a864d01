#include "platform/headless/HeadlessPlatform.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "platform/InstanceLock.h"
#include "platform/Json.h"
#include "platform/PixelConvert.h"
#include "platform/Png.h"
#include "shell/Encoding.h"

// ---- display

bool CHeadlessDisplay::CreateDevice(bool hardware) {
    m_Hardware = hardware;
    m_Device = m_DeviceOk;
    return m_Device;
}

bool CHeadlessDisplay::SetMode(int mode) {
    if (mode == 0) {
        if (!m_WindowedOk) return false;
    } else if (!m_FullScreenModes.count(mode)) {
        return false;
    }
    m_Mode = mode;
    m_Lost = false;
    return true;
}

bool CHeadlessDisplay::CreatePrimary() {
    m_HasPrimary = true;
    return true;
}

bool CHeadlessDisplay::Present(const uint8_t* pixels, int pitch, int depth, int x, int y, int w, int h) {
    if (m_Lost) return false;
    ++m_PresentCount;
    ConvertToRgb32(pixels, pitch, depth, x, y, w, h, m_Screen.data(), 800, 600);
    return true;
}

// ---- window

void CHeadlessWindow::Create(const std::string&) {
    m_Created = true;
    m_FullScreen = false;
}

void CHeadlessWindow::AttachMenu(bool attached) {
    m_MenuAttached = attached;
}

void CHeadlessWindow::SetMenuItemEnabled(uint32_t commandId, bool enabled) {
    if (commandId >= 40001 && commandId <= 40007) m_Enabled[commandId - 40001] = enabled;
}

bool CHeadlessWindow::MenuItemEnabled(uint32_t commandId) const {
    return commandId >= 40001 && commandId <= 40007 && m_Enabled[commandId - 40001];
}

void CHeadlessWindow::ClientOrigin(int& x, int& y) const {
    // A 1024 x 768 screen with the window centred; full screen puts the client area at the origin.
    x = m_FullScreen ? 0 : 112;
    y = m_FullScreen ? 0 : 84;
}

void CHeadlessWindow::Script(CScriptedInput input) {
    auto at = std::upper_bound(m_Script.begin() + static_cast<long>(m_ScriptPos), m_Script.end(), input.time,
                               [](uint32_t t, const CScriptedInput& in) { return t < in.time; });
    m_Script.insert(at, std::move(input));
}

uint32_t CHeadlessWindow::LastScriptedTime() const {
    return m_Script.empty() ? 0 : m_Script.back().time;
}

bool CHeadlessWindow::TakeAnswer(EMsgBoxResult& answer) {
    uint32_t now = m_Platform.Clock().Milliseconds();
    for (auto& in : m_Script) {
        if (in.time > now) break;
        if (in.kind == CScriptedInput::EKind::Answer && !in.consumed) {
            in.consumed = true;
            answer = in.answer;
            return true;
        }
    }
    return false;
}

bool CHeadlessWindow::PeekMessage(CPlatformMessage& message) {
    if (!m_Posted.empty()) {
        message = m_Posted.front();
        m_Posted.pop_front();
        return true;
    }
    uint32_t now = m_Platform.Clock().Milliseconds();
    while (m_ScriptPos < m_Script.size() && m_Script[m_ScriptPos].time <= now) {
        CScriptedInput& in = m_Script[m_ScriptPos++];
        if (in.kind == CScriptedInput::EKind::Answer) continue;  // taken by message boxes
        if (in.kind == CScriptedInput::EKind::Action) {
            if (in.action) in.action();
            if (!m_Posted.empty()) {
                message = m_Posted.front();
                m_Posted.pop_front();
                return true;
            }
            continue;
        }
        message = in.message;
        if (message.message == wm::MouseMove || message.message == wm::LButtonDown ||
            message.message == wm::LButtonUp || message.message == wm::RButtonDown ||
            message.message == wm::RButtonUp) {
            m_CursorX = message.lParam & 0xFFFF;
            m_CursorY = (message.lParam >> 16) & 0xFFFF;
        }
        return true;
    }
    return false;
}

void CHeadlessWindow::PostMessage(uint32_t message, uint32_t wParam, int32_t lParam) {
    m_Posted.push_back({message, wParam, lParam});
}

void CHeadlessWindow::PostQuitMessage(int exitCode) {
    m_Posted.push_back({wm::Quit, static_cast<uint32_t>(exitCode), 0});
}

void CHeadlessWindow::EndFrame() {
    ++m_Frames;
    m_Platform.Clock().Advance(m_FrameMs);
    if (onEndFrame) onEndFrame();
}

void CHeadlessWindow::RunAboutBox(const CAboutBox& box) {
    m_AboutBoxes.push_back(box);
    std::string text;
    for (const auto& line : box.lines) {
        if (!text.empty()) text += "\n";
        text += line;
    }
    // The box stays until OK; in a headless run it is answered at once and logged as a message box.
    m_Platform.MessageBox(text, box.title, EMsgBoxButtons::Ok, EMsgBoxIcon::None, true);
}

// ---- platform

CHeadlessPlatform::CHeadlessPlatform() = default;

CHeadlessPlatform::~CHeadlessPlatform() {
    if (m_LockFd >= 0) ReleaseInstanceLock(m_LockFd);
}

CPlatformFonts& CHeadlessPlatform::Fonts() {
    if (!m_Fonts) {
        std::fputs("tovel-play: no font engine was given to the headless platform\n", stderr);
        std::abort();
    }
    return *m_Fonts;
}

void CHeadlessPlatform::QueueAnswer(EMsgBoxResult answer) {
    m_Answers.push_back(answer);
}

static const char* ButtonsName(EMsgBoxButtons b) {
    switch (b) {
        case EMsgBoxButtons::Ok:
            return "ok";
        case EMsgBoxButtons::OkCancel:
            return "okcancel";
        case EMsgBoxButtons::YesNo:
            return "yesno";
    }
    return "ok";
}

static const char* AnswerName(EMsgBoxResult r) {
    switch (r) {
        case EMsgBoxResult::Ok:
            return "ok";
        case EMsgBoxResult::Cancel:
            return "cancel";
        case EMsgBoxResult::Yes:
            return "yes";
        case EMsgBoxResult::No:
            return "no";
    }
    return "ok";
}

EMsgBoxResult CHeadlessPlatform::MessageBox(const std::string& textSjis, const std::string& captionSjis,
                                            EMsgBoxButtons buttons, EMsgBoxIcon icon, bool owned) {
    EMsgBoxResult answer = buttons == EMsgBoxButtons::YesNo ? EMsgBoxResult::Yes : EMsgBoxResult::Ok;
    EMsgBoxResult wanted;
    bool have = false;
    if (!m_Answers.empty()) {
        wanted = m_Answers.front();
        m_Answers.pop_front();
        have = true;
    } else {
        have = m_Window.TakeAnswer(wanted);
    }
    if (have) {
        // An answer is mapped onto the buttons the box has: ok/yes are the first button, cancel/no the
        // second.
        bool first = wanted == EMsgBoxResult::Ok || wanted == EMsgBoxResult::Yes;
        switch (buttons) {
            case EMsgBoxButtons::Ok:
                answer = EMsgBoxResult::Ok;
                break;
            case EMsgBoxButtons::OkCancel:
                answer = first ? EMsgBoxResult::Ok : EMsgBoxResult::Cancel;
                break;
            case EMsgBoxButtons::YesNo:
                answer = first ? EMsgBoxResult::Yes : EMsgBoxResult::No;
                break;
        }
    }
    CLoggedMessageBox logged{SjisToUtf8(captionSjis), SjisToUtf8(textSjis), buttons, icon, owned, answer};
    m_MessageBoxes.push_back(logged);
    Event("msgbox", CEventFields()
                        .Str("caption", captionSjis)
                        .Str("text", textSjis)
                        .Str("buttons", Utf8ToSjis(ButtonsName(buttons)))
                        .Str("answer", Utf8ToSjis(AnswerName(answer))));
    return answer;
}

void CHeadlessPlatform::Terminate(int exitCode) {
    Event("exit", CEventFields().Int("code", exitCode));
    if (m_Log) std::fflush(m_Log);
    std::fflush(stdout);
    std::_Exit(exitCode & 0xFF);
}

bool CHeadlessPlatform::AcquireInstanceLock(const std::string& name) {
    if (m_LockFd >= 0) return true;
    m_LockFd = AcquireInstanceLockFile(m_LockFolder, name);
    return m_LockFd >= 0;
}

void CHeadlessPlatform::Event(const char* ev, const CEventFields& fields) {
    std::string line = "{\"t\":" + std::to_string(m_Clock.Milliseconds()) + ",\"ev\":" + JsonQuote(ev);
    for (const auto& [key, value] : fields.Fields()) {
        line += "," + JsonQuote(key) + ":" + (value.number ? value.text : JsonQuote(SjisToUtf8(value.text)));
    }
    line += "}";
    Log(line);
}

void CHeadlessPlatform::Log(const std::string& line) {
    m_Events.push_back(line);
    if (m_Log) {
        std::fputs(line.c_str(), m_Log);
        std::fputc('\n', m_Log);
        std::fflush(m_Log);
    }
}

bool CHeadlessPlatform::WriteScreenshot(const std::string& path) {
    return WritePngRgb32(path, m_Display.Screen().data(), 800, 600);
}
