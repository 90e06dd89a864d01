#include "shell/Scene.h"

#include "shell/Application.h"

CScene::CScene(CApplication* app) : CMessageHandler(app ? app->MainWindow() : nullptr), m_App(app) {}

CSceneHolder::~CSceneHolder() {
    delete scene;
}
