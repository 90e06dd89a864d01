#include "shell/Entry.h"

#include "shell/Application.h"
#include "shell/System.h"

int GameMain(const CEntryArgs& args) {
    CPlatform& platform = CSystem::Platform();
    // A second copy of the game ends at once, silently.
    if (!platform.AcquireInstanceLock(kProductTitle)) return 0;
    if (platform.Display().DesktopBitsPerPixel() < 16) {
        MessageBoxU8("ハイカラー（65536色以上）でプレイしてください", kProductTitle);
        return 0;
    }
    auto app = std::make_unique<CApplication>(args);
    int code = app->Run();
    app.reset();
    return code;
}
