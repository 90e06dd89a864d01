#include "shell/System.h"

#include <cstdio>
#include <cstdlib>

#include "shell/Encoding.h"

CPlatform* CSystem::s_Platform = nullptr;

void CSystem::Install(CPlatform* platform) {
    s_Platform = platform;
}

CPlatform& CSystem::Platform() {
    if (!s_Platform) {
        std::fputs("tovel: no platform installed\n", stderr);
        std::abort();
    }
    return *s_Platform;
}

EMsgBoxResult MessageBoxU8(std::string_view textUtf8, std::string_view captionUtf8, EMsgBoxButtons buttons,
                           EMsgBoxIcon icon, bool owned) {
    return MessageBoxSjis(Utf8ToSjis(textUtf8), Utf8ToSjis(captionUtf8), buttons, icon, owned);
}

EMsgBoxResult MessageBoxSjis(const std::string& textSjis, const std::string& captionSjis,
                             EMsgBoxButtons buttons, EMsgBoxIcon icon, bool owned) {
    return CSystem::Platform().MessageBox(textSjis, captionSjis, buttons, icon, owned);
}

void FatalError(std::string_view textUtf8, std::string_view captionUtf8) {
    FatalErrorSjis(Utf8ToSjis(textUtf8), Utf8ToSjis(captionUtf8));
}

void FatalErrorSjis(const std::string& textSjis, const std::string& captionSjis) {
    MessageBoxSjis(textSjis, captionSjis, EMsgBoxButtons::Ok, EMsgBoxIcon::None, false);
    CSystem::Platform().Terminate(-1);
    std::abort();  // Terminate does not return; this keeps the promise for the compiler
}

uint32_t TimeGetTime() {
    return CSystem::Platform().Clock().Milliseconds();
}

int GameRand() {
    return CSystem::Platform().Random().Rand();
}

void GameSrand(uint32_t seed) {
    CSystem::Platform().Random().Seed(seed);
}
