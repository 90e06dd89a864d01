#pragma once
// The receiver of window messages. The window procedure turns each message into one of these
// operations, called on the input router and then on the window's default handler; OnIdle is one
// frame. The order of the virtual operations is the order every handler keeps.
#include <cstdint>

class CMainWindow;
using HWindow = CMainWindow*;

struct CClientRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

class CMessageHandler {
  public:
    explicit CMessageHandler(CMainWindow* window = nullptr) : m_Window(window) {}
    virtual ~CMessageHandler() = default;                                                       // 0
    virtual void OnMove(HWindow, int32_t /*packedPosition*/, CClientRect* /*client*/) {}        // 1
    virtual void OnClose(HWindow) {}                                                            // 2
    virtual void OnDestroy(HWindow) {}                                                          // 3
    virtual void OnPaint(HWindow, int /*left*/, int /*top*/, int /*right*/, int /*bottom*/) {}  // 4
    virtual void OnLButtonDown(HWindow, int /*x*/, int /*y*/) {}                                // 5
    virtual void OnRButtonDown(HWindow, int /*x*/, int /*y*/) {}                                // 6
    virtual void OnLButtonUp(HWindow, int /*x*/, int /*y*/) {}                                  // 7
    virtual void OnRButtonUp(HWindow, int /*x*/, int /*y*/) {}                                  // 8
    virtual void OnMouseMove(HWindow, int /*x*/, int /*y*/) {}                                  // 9
    virtual void OnMouseWheel(HWindow, int /*direction*/) {}                                    // 10
    virtual void OnKeyDown(HWindow, uint32_t /*key*/) {}                                        // 11
    virtual void OnKeyUp(HWindow, uint32_t /*key*/) {}                                          // 12
    virtual void OnSysKeyDown(HWindow, uint32_t /*key*/) {}                                     // 13
    virtual void OnSysKeyUp(HWindow, uint32_t /*key*/) {}                                       // 14
    virtual void Reserved15(int) {}  // 15-20: never raised
    virtual void Reserved16(int) {}
    virtual void Reserved17(int) {}
    virtual void Reserved18(int) {}
    virtual void Reserved19(int) {}
    virtual void Reserved20(int) {}
    virtual void OnIdle(HWindow) {}  // 21: one frame
    virtual void Reserved22() {}     // 22, 23: never raised
    virtual void Reserved23() {}
    virtual void OnMciNotify() {}                            // 24
    virtual void OnCommand(HWindow, uint32_t /*wParam*/) {}  // 25

    CMainWindow* Window() const { return m_Window; }

  protected:
    CMainWindow* m_Window;
};
