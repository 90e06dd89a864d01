#pragma once
// The one application object: it owns the window, the settings, the global data, the scenes and the
// overlays, and turns every frame into: run the focused screen, compose the back buffer, switch scenes.
#include <cstdint>
#include <memory>

#include "save/GlobalData.h"
#include "shell/Config.h"
#include "shell/MainWindow.h"
#include "shell/Scene.h"

class CInputRouter;
class CSurface;

enum EOverlay {
    kOverlaySetup = 0,
    kOverlaySystemMenu = 1,
    kOverlayLoad = 2,
    kOverlaySave = 3,
    kOverlayCount = 4
};

// Makes the scene of an id, or none for an id that has no screen.
using SceneFactory = CScene* (*)(CApplication* app, int id);

class CApplication {
  public:
    explicit CApplication(const CEntryArgs& args);
    ~CApplication();
    CApplication(const CApplication&) = delete;
    CApplication& operator=(const CApplication&) = delete;

    int Run() { return m_MainWindow->RunMessageLoop(); }

    // Scenes.
    void CallScene(int id);
    void ReturnToPreviousScene();
    void PerformSceneSwitch();
    CScene* CurrentScene() const { return m_SceneHolder ? m_SceneHolder->scene : nullptr; }
    int CurrentSceneId() const { return m_SceneHolder ? m_SceneHolder->currentId : 0; }
    int PreviousSceneId() const { return m_SceneHolder ? m_SceneHolder->previousId : 0; }
    // The factory used by PerformSceneSwitch and the overlays (tests give their own).
    static void SetSceneFactory(SceneFactory factory);
    static CScene* CreateScene(CApplication* app, int id);

    // Overlays: opening makes the overlay the target at once; closing marks it for deletion next frame.
    void OpenSetup();
    void CloseSetup();
    void OpenSystemMenu();
    void CloseSystemMenu();
    void OpenLoad();
    void CloseLoad();
    void OpenSave();
    void CloseSave();
    bool OverlayOpen(EOverlay which) const { return m_Overlays[which].open; }
    CScene* Overlay(EOverlay which) const { return m_Overlays[which].scene; }
    bool AnyOverlayOpen() const;

    // The frame (the router's OnIdle) and its parts.
    void RunFrame();
    void ComposeFrame();
    void AdvanceText();
    int SetScreenMode(int mode);
    void ApplyConfig();
    void ReturnToTitle();
    void StartSkip();
    void StopSkip();
    // Fills the back buffer white, presents it, waits 100 ms, composes and presents again.
    void FlashWhite();

    CMainWindow* MainWindow() const { return m_MainWindow.get(); }
    CInputRouter* InputRouter() const { return m_InputRouter.get(); }
    Config& GetConfig() { return m_Config; }
    GlobalData* GetGlobalData() { return m_GlobalData.get(); }
    CSurface* ComposeSurface() const { return m_ComposeSurface; }

    // Frame flags.
    bool frameEnabled = true;
    bool layerMode = true;
    bool effectInPlainMode = false;
    bool helpWindowVisible = false;
    bool pictureMode = false;
    bool switchPending = false;
    bool effectsAllowed = true;
    // Reading state.
    bool messageShowing = false;
    int textState = 0;
    int textSpeed = 0;
    bool instantText = false;
    bool windowEffectRunning = false;
    bool clickAdvance = true;
    bool textHidden = false;
    bool useWindow2 = false;
    bool skipMode = false;

  private:
    struct OverlaySlot {
        CScene* scene = nullptr;
        bool open = false;
        bool deletePending = false;
    };
    void OpenOverlay(EOverlay which, int sceneId);
    void CloseOverlay(EOverlay which, CMessageHandler* newTarget);
    void DeleteOverlay(EOverlay which);
    void TraceOverlay(EOverlay which, bool open);

    Config m_Config;
    int m_SurfaceDepth = 0;
    std::unique_ptr<CMainWindow> m_MainWindow;
    std::unique_ptr<CSceneHolder> m_SceneHolder;
    CSurface* m_ComposeSurface = nullptr;
    std::unique_ptr<GlobalData> m_GlobalData;
    std::unique_ptr<CInputRouter> m_InputRouter;
    OverlaySlot m_Overlays[kOverlayCount];
    static SceneFactory s_Factory;
};
