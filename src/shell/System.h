#pragma once
// Process-wide access to the platform, as the Win32 calls were process-wide: message boxes, the
// end of the process, the millisecond counter, the random generator. The platform object is chosen by
// main() (SDL) or by tovel-play and the tests (headless) and installed once; nothing here knows which.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Platform.h"

class CSystem {
  public:
    // Installs the platform that the calls below use (nullptr removes it).
    static void Install(CPlatform* platform);
    static bool Installed() { return s_Platform != nullptr; }
    static CPlatform& Platform();

  private:
    static CPlatform* s_Platform;
};

// A message box with UTF-8 texts (the literals of the source), converted to Shift-JIS for the platform.
EMsgBoxResult MessageBoxU8(std::string_view textUtf8, std::string_view captionUtf8,
                           EMsgBoxButtons buttons = EMsgBoxButtons::Ok, EMsgBoxIcon icon = EMsgBoxIcon::None,
                           bool owned = false);
// The same with texts already in Shift-JIS (messages that quote script text).
EMsgBoxResult MessageBoxSjis(const std::string& textSjis, const std::string& captionSjis,
                             EMsgBoxButtons buttons = EMsgBoxButtons::Ok,
                             EMsgBoxIcon icon = EMsgBoxIcon::None, bool owned = false);
// A fatal condition: the message with an OK button, then the process ends with exit code -1.
[[noreturn]] void FatalError(std::string_view textUtf8, std::string_view captionUtf8);
[[noreturn]] void FatalErrorSjis(const std::string& textSjis, const std::string& captionSjis);

// The millisecond counter (timeGetTime's stand-in).
uint32_t TimeGetTime();
// rand() and srand() of the game.
int GameRand();
void GameSrand(uint32_t seed);
