#pragma once
// Scene tests: a CApplication on the headless platform in a temporary folder, with scenes of the test's
// own that record what reaches them.
#include <memory>
#include <string>
#include <vector>

#include "shell/Application.h"
#include "support/TestPlatform.h"

// A scene that records its calls as text lines ("ctor 5", "lbd 10 20", "rbd 0 0", "key 32", "idle",
// "cmd 40003", "wheel -1", "dtor 5", "mode 16").
class CRecordingScene : public CScene {
  public:
    CRecordingScene(CApplication* app, int id);
    ~CRecordingScene() override;
    void OnLButtonDown(HWindow, int x, int y) override;
    void OnRButtonDown(HWindow, int x, int y) override;
    void OnKeyDown(HWindow, uint32_t key) override;
    void OnKeyUp(HWindow, uint32_t key) override;
    void OnMouseWheel(HWindow, int direction) override;
    void OnIdle(HWindow) override;
    void OnCommand(HWindow, uint32_t wParam) override;
    void OnDisplayModeChanged(int depth) override;
    void ResetSequence() override;

    int id;
    static std::vector<std::string> log;
};

class CAppTest : public CPlatformTest {
  protected:
    CAppTest();
    ~CAppTest() override;
    // Builds the application (in the temporary folder).
    CApplication& Start();
    // Runs passes of the message loop; returns false when the quit message came.
    bool Frames(int count = 1);
    int exitCode = 0;
    std::unique_ptr<CApplication> app;
};
