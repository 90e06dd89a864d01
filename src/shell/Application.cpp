#include "shell/Application.h"

#include "media/Display.h"
#include "media/Surface.h"
#include "shell/Encoding.h"
#include "shell/InputRouter.h"
#include "shell/System.h"
#include "shell/Timer.h"

namespace {

// The pause after a screen-mode switch before the surfaces are rebuilt.
constexpr uint32_t kModeSwitchPause = 350;
// The white flash.
constexpr uint32_t kFlashMs = 100;

const char* const kOverlayNames[kOverlayCount] = {"setup", "sysmenu", "load", "save"};

}  // namespace

SceneFactory CApplication::s_Factory = nullptr;

void CApplication::SetSceneFactory(SceneFactory factory) {
    s_Factory = factory;
}

CApplication::CApplication(const CEntryArgs& args) {
    // 1. The settings.
    m_Config.Load();
    // 2. Members are cleared by their initialisers; the text speed comes from the settings.
    textSpeed = m_Config.Record().textSpeed;
    // 3.
    m_SurfaceDepth = CSystem::Platform().Display().DesktopBitsPerPixel();
    // 4. The window, on the display hardware unless the settings ask for software emulation.
    m_MainWindow = std::make_unique<CMainWindow>(args, m_Config.Record().softwareDisplay == 0);
    m_MainWindow->Create();
    // 5-7: the sound device, the channels and the text windows are made here once they exist.
    instantText = m_Config.Record().textSpeed == 0;
    // 8.
    m_SceneHolder = std::make_unique<CSceneHolder>();
    // 9.
    if (CDisplay* display = m_MainWindow->GetDisplay()) m_ComposeSurface = display->CreateSurface(800, 600);
    // 10.
    m_GlobalData = std::make_unique<GlobalData>();
    m_GlobalData->LoadGlobalData();
    // 11: the layer table.
    // 12.
    m_InputRouter = std::make_unique<CInputRouter>(m_MainWindow.get(), this);
    m_MainWindow->AttachRouter(m_InputRouter.get());
    // 13.
    m_SurfaceDepth = 0;
    m_MainWindow->SetRenderEnabled(true);
    CallScene(kSceneLogo);
    // 14.
    ApplyConfig();
    // 15.
    m_MainWindow->SetMenuEnabled(menu::kReturnToTitle, false);
    m_MainWindow->SetMenuEnabled(menu::kQuit, true);
    m_MainWindow->SetMenuEnabled(menu::kSave, false);
    m_MainWindow->SetMenuEnabled(menu::kLoad, true);
    m_MainWindow->SetMenuEnabled(menu::kSkipToChoice, false);
    m_MainWindow->SetMenuEnabled(menu::kSetup, true);
    m_MainWindow->SetMenuEnabled(menu::kAbout, true);
}

CApplication::~CApplication() {
    m_Config.Save();
    for (int i = 0; i < kOverlayCount; ++i) {
        delete m_Overlays[i].scene;
        m_Overlays[i] = {};
    }
    if (m_MainWindow) m_MainWindow->AttachRouter(nullptr);
    m_InputRouter.reset();
    m_SceneHolder.reset();
    if (m_ComposeSurface && m_MainWindow && m_MainWindow->GetDisplay())
        m_MainWindow->GetDisplay()->ReleaseSurface(m_ComposeSurface);
    m_ComposeSurface = nullptr;
    m_MainWindow.reset();
    if (m_GlobalData) m_GlobalData->SaveGlobalData();
    m_GlobalData.reset();
}

// ---- scenes

CScene* CApplication::CreateScene(CApplication* app, int id) {
    if (id == kSceneMainMenu && app && app->m_MainWindow) {
        CMainWindow* w = app->m_MainWindow.get();
        w->SetMenuEnabled(menu::kReturnToTitle, true);
        w->SetMenuEnabled(menu::kQuit, true);
        w->SetMenuEnabled(menu::kSave, false);
        w->SetMenuEnabled(menu::kLoad, true);
        w->SetMenuEnabled(menu::kSkipToChoice, false);
        w->SetMenuEnabled(menu::kSetup, true);
        w->SetMenuEnabled(menu::kAbout, true);
    }
    return s_Factory ? s_Factory(app, id) : nullptr;
}

void CApplication::CallScene(int id) {
    m_SceneHolder->previousId = m_SceneHolder->currentId;
    m_SceneHolder->currentId = id;
    m_InputRouter->target = nullptr;
    switchPending = true;
}

void CApplication::ReturnToPreviousScene() {
    std::swap(m_SceneHolder->previousId, m_SceneHolder->currentId);
    m_InputRouter->target = nullptr;
    switchPending = true;
}

void CApplication::PerformSceneSwitch() {
    delete m_SceneHolder->scene;
    m_SceneHolder->scene = nullptr;
    CSystem::Platform().Event("scene", CEventFields().Int("id", m_SceneHolder->currentId));
    m_SceneHolder->scene = CreateScene(this, m_SceneHolder->currentId);
    m_InputRouter->target = m_SceneHolder->scene;
    switchPending = false;
}

// ---- overlays

bool CApplication::AnyOverlayOpen() const {
    for (const auto& o : m_Overlays)
        if (o.open) return true;
    return false;
}

void CApplication::TraceOverlay(EOverlay which, bool open) {
    CSystem::Platform().Event("overlay",
                              CEventFields().Str("which", kOverlayNames[which]).Int("open", open ? 1 : 0));
}

void CApplication::DeleteOverlay(EOverlay which) {
    if (m_InputRouter && m_InputRouter->target == m_Overlays[which].scene) m_InputRouter->target = nullptr;
    delete m_Overlays[which].scene;
    m_Overlays[which].scene = nullptr;
}

void CApplication::OpenOverlay(EOverlay which, int sceneId) {
    // An old object of the slot (closed, waiting for deletion) goes first.
    if (m_Overlays[which].scene) {
        DeleteOverlay(which);
        m_Overlays[which].deletePending = false;
    }
    CScene* scene = CreateScene(this, sceneId);
    // A screen that cannot be made does not open: an open overlay without an object would hold the game
    // with nothing to close it.
    if (!scene) return;
    m_Overlays[which].scene = scene;
    m_InputRouter->target = scene;
    m_Overlays[which].open = true;
    TraceOverlay(which, true);
}

void CApplication::CloseOverlay(EOverlay which, CMessageHandler* newTarget) {
    if (!m_Overlays[which].open) return;
    m_InputRouter->target = newTarget;
    m_Overlays[which].open = false;
    m_Overlays[which].deletePending = true;
    TraceOverlay(which, false);
}

void CApplication::OpenSetup() {
    if (m_Overlays[kOverlaySystemMenu].open && m_Overlays[kOverlaySystemMenu].scene)
        m_Overlays[kOverlaySystemMenu].scene->ResetSequence();
    OpenOverlay(kOverlaySetup, kSceneSetup);
}

void CApplication::CloseSetup() {
    CMessageHandler* target =
        m_Overlays[kOverlaySystemMenu].open ? m_Overlays[kOverlaySystemMenu].scene : m_SceneHolder->scene;
    CloseOverlay(kOverlaySetup, target);
}

void CApplication::OpenSystemMenu() {
    if (pictureMode) return;
    OpenOverlay(kOverlaySystemMenu, kSceneSystemMenu);
}

void CApplication::CloseSystemMenu() {
    CloseOverlay(kOverlaySystemMenu, m_SceneHolder->scene);
}

void CApplication::OpenLoad() {
    OpenOverlay(kOverlayLoad, kSceneLoad);
}

void CApplication::CloseLoad() {
    CloseOverlay(kOverlayLoad, m_SceneHolder->scene);
    if (m_Overlays[kOverlaySystemMenu].open) CloseSystemMenu();
}

void CApplication::OpenSave() {
    OpenOverlay(kOverlaySave, kSceneSave);
}

void CApplication::CloseSave() {
    CloseOverlay(kOverlaySave, m_SceneHolder->scene);
    if (m_Overlays[kOverlaySystemMenu].open) CloseSystemMenu();
}

// ---- the frame

void CApplication::RunFrame() {
    // 1. Overlays closed since the last frame go now.
    for (int i = 0; i < kOverlayCount; ++i) {
        if (m_Overlays[i].deletePending) {
            m_Overlays[i].deletePending = false;
            DeleteOverlay(static_cast<EOverlay>(i));
        }
    }
    // 2. The focused screen.
    if (m_InputRouter->target) m_InputRouter->target->OnIdle(m_MainWindow.get());
    // 3. Skipping advances the text every frame.
    if (!AnyOverlayOpen() && skipMode) AdvanceText();
    // 4. A lost display comes back in windowed mode, or the program ends.
    if (m_MainWindow->SurfaceLost()) {
        if (SetScreenMode(0) == -1) {
            m_MainWindow->PostMessage(wm::Destroy);
        } else {
            m_MainWindow->SetSurfaceLost(false);
            m_MainWindow->SetRenderEnabled(true);
        }
    }
    // 5.
    ComposeFrame();
    // 6.
    if (!AnyOverlayOpen() && switchPending) PerformSceneSwitch();
    // 7.
    m_MainWindow->UpdateMenuState();
}

void CApplication::AdvanceText() {
    switch (textState) {
        case 0:
            break;  // the message window types on by itself until it reports a result
        case 1:
        case 2:
            textState = 0;
            break;
        case 3:
            messageShowing = false;
            textState = 0;
            break;
        default:
            break;
    }
}

void CApplication::ComposeFrame() {
    if (!frameEnabled) return;
    if (!m_MainWindow->GetBackBuffer()) return;
    // The layer table, the large picture and the text windows draw here as they are built; with none of
    // them the back buffer keeps what it holds.
}

int CApplication::SetScreenMode(int mode) {
    frameEnabled = false;
    static const int kChain1516[] = {24, 32, 0};
    static const int kChain24[] = {32, 16, 0};
    static const int kChain32[] = {24, 16, 0};
    int entered = -1;
    if (m_MainWindow->SetScreenMode(mode)) {
        entered = mode;
    } else {
        const int* chain = nullptr;
        int count = 0;
        if (mode == 15 || mode == 16) chain = kChain1516, count = 3;
        if (mode == 24) chain = kChain24, count = 3;
        if (mode == 32) chain = kChain32, count = 3;
        for (int i = 0; i < count; ++i) {
            if (m_MainWindow->SetScreenMode(chain[i])) {
                entered = chain[i];
                break;
            }
        }
    }
    if (entered == -1) {
        // The frame stays off: there are no surfaces to draw into until a mode is entered.
        return -1;
    }
    int depth = entered == 0 ? m_MainWindow->DesktopDepth() : entered;
    CSystem::Platform().Clock().Wait(kModeSwitchPause);
    if (m_ComposeSurface) m_ComposeSurface->Restore(depth);
    if (CScene* scene = CurrentScene()) scene->OnDisplayModeChanged(depth);
    frameEnabled = true;
    return entered;
}

void CApplication::ApplyConfig() {
    ConfigRecord& c = m_Config.Record();
    int entered = m_MainWindow->ScreenMode();
    if (c.screenMode != entered) entered = SetScreenMode(c.screenMode);
    instantText = c.textSpeed == 0;
    textSpeed = c.textSpeed;
    // When no mode at all could be entered, the settings keep the windowed mode, so that the next start
    // does not ask for the same failing mode again.
    c.screenMode = entered < 0 ? 0 : entered;
}

void CApplication::ReturnToTitle() {
    pictureMode = false;
    layerMode = false;
    useWindow2 = false;
    helpWindowVisible = false;
    if (CScene* scene = CurrentScene()) scene->ResetSequence();
    if (CDisplay* display = m_MainWindow->GetDisplay()) {
        if (m_ComposeSurface) display->ReleaseSurface(m_ComposeSurface);
        m_ComposeSurface = display->CreateSurface(800, 600);
    }
    messageShowing = false;
    textState = 0;
    CallScene(kSceneTitle);
}

void CApplication::StartSkip() {
    skipMode = true;
    effectsAllowed = false;
}

void CApplication::StopSkip() {
    skipMode = false;
    effectsAllowed = true;
}

void CApplication::FlashWhite() {
    CSurface* back = m_MainWindow->GetBackBuffer();
    CSurface* primary = m_MainWindow->GetPrimarySurface();
    if (back) back->Fill(0, 0, 800, 600, 0xFFFFFF);
    if (back && primary) primary->Present(*back, 0, 0, 800, 600);
    CTimer timer;
    timer.Restart();
    while (timer.Elapsed() < kFlashMs) CSystem::Platform().Clock().Wait(1);
    ComposeFrame();
    if (back && primary) primary->Present(*back, 0, 0, 800, 600);
}
