#pragma once
// The user's settings: one 40-byte little-endian record, stored as it is in "sav/confing.sav".
#include <cstddef>
#include <cstdint>

struct ConfigRecord {
    int32_t screenMode;    // 0 window; 16, 24, 32 full screen at that depth
    int32_t transparency;  // message window backing, per cent: 0, 25, 50, 75, 100
    int32_t textSpeed;     // 0 instant, 1 delay 12, 2 delay 33
    uint8_t ruby;          // 1 show readings
    uint8_t autoAdvance;   // 1 messages advance by themselves
    uint8_t unused14[2];
    int32_t skipCondition;  // 1, 0 or 2
    uint8_t screenEffects;  // 1 transitions on
    uint8_t unused21[3];
    int32_t musicVolume;  // volume steps 0, 25, 50, 75, 100
    int32_t effectsVolume;
    int32_t voiceVolume;
    uint8_t softwareDisplay;  // 1 display device in software emulation
    uint8_t soundQuality;     // 1 44100 Hz 16-bit stereo primary buffer
    uint8_t unused38[2];
};
static_assert(sizeof(ConfigRecord) == 40);
static_assert(offsetof(ConfigRecord, transparency) == 4);
static_assert(offsetof(ConfigRecord, textSpeed) == 8);
static_assert(offsetof(ConfigRecord, ruby) == 12);
static_assert(offsetof(ConfigRecord, autoAdvance) == 13);
static_assert(offsetof(ConfigRecord, skipCondition) == 16);
static_assert(offsetof(ConfigRecord, screenEffects) == 20);
static_assert(offsetof(ConfigRecord, musicVolume) == 24);
static_assert(offsetof(ConfigRecord, effectsVolume) == 28);
static_assert(offsetof(ConfigRecord, voiceVolume) == 32);
static_assert(offsetof(ConfigRecord, softwareDisplay) == 36);
static_assert(offsetof(ConfigRecord, soundQuality) == 37);

class Config {
  public:
    Config() : m_Record(Defaults()) {}
    // Reads the file; a missing file gives the defaults, a short one keeps the defaults after the bytes read.
    void Load();
    // Writes the file (creating "sav"); on failure shows the message and the program goes on.
    // Returns whether it was written.
    bool Save();
    ConfigRecord Get() const { return m_Record; }
    ConfigRecord& Record() { return m_Record; }
    const ConfigRecord& Record() const { return m_Record; }
    // Overwrites the whole record word by word.
    void Set(const int32_t words[10]);
    static ConfigRecord Defaults();

  private:
    ConfigRecord m_Record;
};

// The message window's character delay for a text-speed setting (0 means instant).
int TextDelayForSpeed(int speed);
