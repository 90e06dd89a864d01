// tovel: the game in its installation folder (the current directory), on the SDL backend.
#include "platform/sdl/SdlPlatform.h"
#include "shell/Entry.h"
#include "shell/System.h"

int main(int argc, char** argv) {
    CEntryArgs args;
    for (int i = 1; i < argc; ++i) args.commandLine += (i > 1 ? " " : "") + std::string(argv[i]);
    CSdlPlatform platform;
    if (!platform.Init()) return 1;
    CSystem::Install(&platform);
    int code = GameMain(args);
    CSystem::Install(nullptr);
    return code & 0xFF;
}
