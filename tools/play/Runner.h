#pragma once
// tovel-play: the game on the headless backend with a virtual clock and timed input.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/headless/HeadlessPlatform.h"

struct CPlayOptions {
    std::string gameDir = ".";
    std::string inputPath;  // empty: no input; "-": standard input
    int64_t untilMs = -1;   // -1: one second after the last input
    int depth = 32;
    std::string logPath;  // empty: standard error
    uint32_t seed = 1;
    uint32_t frameMs = 16;
};

// Parses the command line; false with a message in `error` when it is wrong.
bool ParsePlayOptions(const std::vector<std::string>& args, CPlayOptions& options, std::string& error);
// Parses input lines into the window's script; false with "line N: ..." in `error`.
bool ParsePlayInput(const std::string& text, CHeadlessPlatform& platform, std::string& error);
// Runs the game; returns its exit code.
int RunPlay(const CPlayOptions& options);
