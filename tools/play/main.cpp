#include <cstdio>
#include <string>
#include <vector>

#include "tools/play/Runner.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    for (const auto& a : args) {
        if (a == "--help" || a == "-h") {
            std::puts(
                "usage: tovel-play [--input FILE|-] [--until-ms T] [--depth 8|15|16|24|32] [--log FILE]\n"
                "                  [--seed N] [--frame-ms MS] [GAME_DIR]");
            return 0;
        }
    }
    CPlayOptions options;
    std::string error;
    if (!ParsePlayOptions(args, options, error)) {
        std::fprintf(stderr, "tovel-play: %s\n", error.c_str());
        return 2;
    }
    return RunPlay(options);
}
