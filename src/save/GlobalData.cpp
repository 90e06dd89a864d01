#include "save/GlobalData.h"

#include <cstring>

#include "shell/AtomicFile.h"
#include "shell/System.h"

namespace {

const char* const kFolder = "sav";
const char* const kPath = "sav/global.sav";

// The fresh calendar: for each day 1-14 and each of the twelve hours (8, 9, 10, 11, 13, 14, 15, 16,
// 18, 19, 20, 21), the plates of heroines 0-3, one digit each.
const char* const kFreshCalendar[14][12] = {
    {"0008", "0080", "0800", "0000", "8888", "8888", "8888", "8888", "0808", "0080", "8888", "8800"},
    {"8080", "0808", "8080", "0008", "8888", "8888", "8888", "8888", "0008", "8880", "8888", "8880"},
    {"8088", "0008", "8800", "8000", "8888", "8888", "8888", "8888", "0008", "8888", "8888", "8088"},
    {"8008", "8080", "0808", "0888", "8888", "8888", "8888", "8888", "0888", "8880", "8808", "8088"},
    {"0008", "0800", "0080", "8000", "8888", "8888", "8888", "8888", "0800", "8888", "8088", "8888"},
    {"0888", "0088", "8000", "8808", "8888", "8888", "8888", "8888", "8888", "8088", "0888", "0808"},
    {"8008", "0808", "0080", "8000", "8888", "8888", "8888", "8888", "0808", "8088", "8888", "8808"},
    {"0088", "0808", "8088", "8008", "8888", "8888", "8888", "8888", "8800", "8808", "8808", "8088"},
    {"8008", "0080", "8808", "8000", "8888", "8888", "8888", "8888", "0888", "8888", "8808", "8888"},
    {"0808", "8080", "0800", "0088", "8888", "8888", "8888", "8888", "8880", "8080", "8808", "8888"},
    {"0088", "0808", "0080", "8000", "8888", "8888", "8888", "8888", "8880", "8888", "8088", "8888"},
    {"8880", "8000", "0888", "8088", "8888", "8888", "8888", "8888", "8800", "0888", "8808", "8080"},
    {"0880", "0888", "0888", "8000", "8888", "8888", "8888", "8888", "8888", "8088", "8880", "8880"},
    {"8000", "0888", "0080", "0808", "8888", "8888", "8888", "8888", "8888", "8080", "8808", "8888"},
};

}  // namespace

void GlobalData::ResetGlobalData() {
    std::memset(m_Bytes, 0, sizeof m_Bytes);
    for (int day = 0; day < 14; ++day)
        for (int hour = 0; hour < 12; ++hour)
            for (int k = 0; k < 4; ++k)
                SetVariable(day * 48 + hour * 4 + k, kFreshCalendar[day][hour][k] - '0');
}

void GlobalData::LoadGlobalData() {
    ResetGlobalData();
    uint8_t buffer[kSize];
    long n = ReadFilePrefix(kPath, buffer, sizeof buffer);
    if (n > 0) std::memcpy(m_Bytes, buffer, static_cast<size_t>(n));
}

bool GlobalData::SaveGlobalData() {
    EnsureFolder(kFolder);
    if (!WriteFileAtomically(kPath, m_Bytes, sizeof m_Bytes)) {
        MessageBoxU8("グローバルデータのセーブに失敗しました。", "アプリケーションエラー");
        return false;
    }
    return true;
}

void GlobalData::SetFlag(int n, uint8_t value) {
    if (n >= 0 && n < kFlagCount) m_Bytes[n] = value;
}

int32_t GlobalData::Variable(int n) const {
    return n >= 0 && n < kVariableCount ? Word(500 + n) : 0;
}

void GlobalData::SetVariable(int n, int32_t value) {
    if (n >= 0 && n < kVariableCount) SetWord(500 + n, value);
}

int32_t GlobalData::Word(int index) const {
    if (index < 0 || index >= kSize / 4) return 0;
    int32_t v;
    std::memcpy(&v, m_Bytes + 4 * index, 4);
    return v;
}

void GlobalData::SetWord(int index, int32_t value) {
    if (index >= 0 && index < kSize / 4) std::memcpy(m_Bytes + 4 * index, &value, 4);
}

bool GlobalData::GlobalSetVar(int n, int32_t v) {
    if (n < 0 || n >= kVariableCount) return false;
    SetVariable(n, v);
    return true;
}

bool GlobalData::GlobalAddVar(int n, int32_t v) {
    if (n < 0 || n >= kVariableCount) return false;
    // Wraps as the 32-bit word does rather than overflowing.
    SetVariable(n, static_cast<int32_t>(static_cast<uint32_t>(Variable(n)) + static_cast<uint32_t>(v)));
    return true;
}

bool GlobalData::GlobalSetFlag(int n, int32_t v) {
    if (n < 0 || n >= kFlagCount) return false;
    SetFlag(n, v == 1 ? 1 : 0);
    return true;
}
