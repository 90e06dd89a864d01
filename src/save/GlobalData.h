#pragma once
// What outlives a playthrough: 2000 global flags (bytes 0-1999) and 1000 global variables (signed
// 32-bit at byte 2000 + 4n), stored as they are, 6000 bytes, in "sav/global.sav".
#include <cstdint>

class GlobalData {
  public:
    static constexpr int kSize = 6000;
    static constexpr int kFlagCount = 2000;
    static constexpr int kVariableCount = 1000;

    GlobalData() { ResetGlobalData(); }
    // A missing file gives the fresh record; a short file replaces only the start of a fresh record.
    void LoadGlobalData();
    // On failure shows the message; the record in memory stays. Returns whether it was written.
    bool SaveGlobalData();
    // All zero, then the calendar cells of the fresh calendar.
    void ResetGlobalData();

    // Out-of-range numbers read 0 and are not stored.
    uint8_t Flag(int n) const { return n >= 0 && n < kFlagCount ? m_Bytes[n] : 0; }
    void SetFlag(int n, uint8_t value);
    int32_t Variable(int n) const;
    void SetVariable(int n, int32_t value);
    // The record seen as 1500 32-bit words (variable n is word 500 + n).
    int32_t Word(int index) const;
    void SetWord(int index, int32_t value);
    uint8_t* Bytes() { return m_Bytes; }
    const uint8_t* Bytes() const { return m_Bytes; }

    // The three script commands: set, add, and set flag (1 sets, any other value clears).
    // They return false for a number outside the record.
    bool GlobalSetVar(int n, int32_t v);
    bool GlobalAddVar(int n, int32_t v);
    bool GlobalSetFlag(int n, int32_t v);

  private:
    uint8_t m_Bytes[kSize];
};
