#pragma once
// A screen of the game. Every screen is made by number (`SceneId`) by the application's factory; only one
// scene exists at a time, and overlays (setup, system menu, load, save) are scenes opened over it.
#include "shell/MessageHandler.h"

class CApplication;

enum SceneId : int {
    kSceneLogo = 1,
    kSceneTitle = 2,
    kSceneStory = 3,
    kSceneMainMenu = 5,
    kSceneSetup = 6,
    kSceneNotice = 7,
    kSceneStaffRoll = 9,
    kSceneMusicRoom = 10,
    kSceneLoad = 11,
    kSceneSave = 12,
    kSceneCgGallery = 13,
    kSceneSwimsuitGallery = 15,
    kSceneReplayGallery = 16,
    kSceneCalendar = 17,
    kSceneDictionary = 18,
    kSceneGuide = 19,
    kSceneGuideDisclaimer = 20,
    kSceneSystemMenu = 21,
};

class CScene : public CMessageHandler {
  public:
    explicit CScene(CApplication* app);
    ~CScene() override = default;
    // Slots 0-25 are the message operations; a scene's OnIdle usually runs RunSequence, Update and
    // UpdateTimers in that order.
    virtual void OnDisplayModeChanged(int /*depth*/) {}  // 26
    virtual void ResetSequence() {}                      // 27: the class's sequence state back to 0
    virtual void RunSequence() {}                        // 28
    virtual void Update() {}                             // 29
    virtual void UpdateTimers() {}                       // 30

    CApplication* App() const { return m_App; }

  protected:
    CApplication* m_App;
};

// The current scene and the ids of the current and the previous request.
class CSceneHolder {
  public:
    ~CSceneHolder();
    CScene* scene = nullptr;  // owned
    int currentId = 0;
    int previousId = 0;
};
