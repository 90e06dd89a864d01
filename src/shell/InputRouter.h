#pragma once
// The first receiver of every window message: the reading keys (left click and Space advance the text,
// right click and Enter hide and show it, Ctrl skips while held), the menu commands, and everything else
// passed on to the screen that has the focus.
#include "shell/MessageHandler.h"

class CApplication;

class CInputRouter : public CMessageHandler {
  public:
    CInputRouter(CMainWindow* window, CApplication* app) : CMessageHandler(window), m_App(app) {}
    void OnMove(HWindow, int32_t packedPosition, CClientRect* client) override;
    void OnClose(HWindow) override;
    void OnDestroy(HWindow) override;
    void OnLButtonDown(HWindow, int x, int y) override;
    void OnRButtonDown(HWindow, int x, int y) override;
    void OnLButtonUp(HWindow, int x, int y) override;
    void OnRButtonUp(HWindow, int x, int y) override;
    void OnMouseMove(HWindow, int x, int y) override;
    void OnMouseWheel(HWindow, int direction) override;
    void OnKeyDown(HWindow, uint32_t key) override;
    void OnKeyUp(HWindow, uint32_t key) override;
    void OnSysKeyDown(HWindow, uint32_t key) override;
    void OnSysKeyUp(HWindow, uint32_t key) override;
    void OnIdle(HWindow) override;
    void OnMciNotify() override;
    void OnCommand(HWindow, uint32_t wParam) override;

    // The scene or overlay that receives input; none while a switch is pending.
    CMessageHandler* target = nullptr;
    bool spaceHeld = false;
    bool ctrlHeld = false;

  private:
    bool Busy() const;
    CApplication* m_App;
};
