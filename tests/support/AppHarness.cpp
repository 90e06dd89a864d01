#include "support/AppHarness.h"

std::vector<std::string> CRecordingScene::log;

namespace {
CScene* RecordingFactory(CApplication* app, int id) {
    // Every id of the table gets a recording scene; others create nothing.
    static const int kIds[] = {1, 2, 3, 5, 6, 7, 9, 10, 11, 12, 13, 15, 16, 17, 18, 19, 20, 21};
    for (int known : kIds)
        if (known == id) return new CRecordingScene(app, id);
    return nullptr;
}
}  // namespace

CRecordingScene::CRecordingScene(CApplication* app, int sceneId) : CScene(app), id(sceneId) {
    log.push_back("ctor " + std::to_string(id));
}
CRecordingScene::~CRecordingScene() {
    log.push_back("dtor " + std::to_string(id));
}
void CRecordingScene::OnLButtonDown(HWindow, int x, int y) {
    log.push_back("lbd " + std::to_string(x) + " " + std::to_string(y));
}
void CRecordingScene::OnRButtonDown(HWindow, int x, int y) {
    log.push_back("rbd " + std::to_string(x) + " " + std::to_string(y));
}
void CRecordingScene::OnKeyDown(HWindow, uint32_t key) {
    log.push_back("key " + std::to_string(key));
}
void CRecordingScene::OnKeyUp(HWindow, uint32_t key) {
    log.push_back("keyup " + std::to_string(key));
}
void CRecordingScene::OnMouseWheel(HWindow, int d) {
    log.push_back("wheel " + std::to_string(d));
}
void CRecordingScene::OnIdle(HWindow) {
    log.push_back("idle " + std::to_string(id));
}
void CRecordingScene::OnCommand(HWindow, uint32_t w) {
    log.push_back("cmd " + std::to_string(w));
}
void CRecordingScene::OnDisplayModeChanged(int depth) {
    log.push_back("mode " + std::to_string(depth));
}
void CRecordingScene::ResetSequence() {
    log.push_back("reset " + std::to_string(id));
}

CAppTest::CAppTest() {
    CRecordingScene::log.clear();
    CApplication::SetSceneFactory(RecordingFactory);
    TempDir();
}

CAppTest::~CAppTest() {
    app.reset();
    CApplication::SetSceneFactory(nullptr);
}

CApplication& CAppTest::Start() {
    app = std::make_unique<CApplication>(CEntryArgs{});
    return *app;
}

bool CAppTest::Frames(int count) {
    for (int i = 0; i < count; ++i)
        if (!app->MainWindow()->RunFrame(exitCode)) return false;
    return true;
}
