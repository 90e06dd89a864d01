#include "shell/Config.h"

#include <cstring>

#include "shell/AtomicFile.h"
#include "shell/System.h"

namespace {
const char* const kFolder = "sav";
const char* const kPath = "sav/confing.sav";
}  // namespace

ConfigRecord Config::Defaults() {
    ConfigRecord r;
    std::memset(&r, 0, sizeof r);  // the unused bytes are written as 0
    r.screenMode = 0;
    r.transparency = 25;
    r.textSpeed = 2;
    r.ruby = 1;
    r.autoAdvance = 0;
    r.skipCondition = 1;
    r.screenEffects = 1;
    r.musicVolume = 100;
    r.effectsVolume = 100;
    r.voiceVolume = 100;
    r.softwareDisplay = 0;
    r.soundQuality = 1;
    return r;
}

void Config::Load() {
    ConfigRecord r = Defaults();
    long n = ReadFilePrefix(kPath, &r, sizeof r);
    // No check of size or values: the bytes read are the settings, the rest stays at the defaults.
    m_Record = n < 0 ? Defaults() : r;
}

bool Config::Save() {
    EnsureFolder(kFolder);
    if (!WriteFileAtomically(kPath, &m_Record, sizeof m_Record)) {
        MessageBoxU8("コンフィングのセーブに失敗しました。\n設定が保存されません。",
                     "アプリケーションエラー");
        return false;
    }
    return true;
}

void Config::Set(const int32_t words[10]) {
    std::memcpy(&m_Record, words, sizeof m_Record);
}

int TextDelayForSpeed(int speed) {
    switch (speed) {
        case 0:
            return 0;
        case 1:
            return 12;
        default:
            return 33;
    }
}
