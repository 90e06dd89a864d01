#pragma once
#include "shell/MainWindow.h"

// The game's entry function on the installed platform: single instance, the colour-depth refusal, the
// application and its message loop. Returns the exit code.
int GameMain(const CEntryArgs& args);
