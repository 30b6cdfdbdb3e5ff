// One complete set of mouse settings (a profile), the five profile slots of the process and the two
// globals that choose among them: the sensor the DPI codes are set up for and the current slot.
#pragma once

#include "model/KeyCodes.h"
#include "model/MacroRecord.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace quorvik::model {

inline constexpr int kProfileSlotCount = 5;
inline constexpr int kSettingPairCount = 20;
inline constexpr int kButtonCount = 7;
inline constexpr int kDpiLevelCount = 8;
inline constexpr int kLightingEffectCount = 10;
inline constexpr int kEffectColourCount = 10;

// 0x00BBGGRR: red in the lowest byte; files and reports carry red, green, blue.
using Colour = std::uint32_t;
inline constexpr Colour MakeColour(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return Colour(r) | (Colour(g) << 8) | (Colour(b) << 16);
}
inline constexpr std::uint8_t Red(Colour c) {
    return std::uint8_t(c);
}
inline constexpr std::uint8_t Green(Colour c) {
    return std::uint8_t(c >> 8);
}
inline constexpr std::uint8_t Blue(Colour c) {
    return std::uint8_t(c >> 16);
}

// Positions of the setting pairs. Code addresses a pair by position only; the name at a position is
// whatever the loaded file carried there.
enum SettingPairIndex : int {
    kPairProfileName = 0,
    kPairGameFile0 = 1,
    kPairGameFile1 = 2,
    kPairGameFile2 = 3,
    kPairDoubleClickSpeed = 4,
    kPairPointerSpeed = 5,
    kPairAccelerationEnable = 6,
    kPairScrollWheelSpeed = 7,
    kPairScrollWheelPageEnable = 8,
    kPairTiltSpeed = 9,
    kPairSensitivityX = 10,
    kPairSensitivityY = 11,
    kPairXYSynchronous = 12,
    kPairXDpi = 13,
    kPairYDpi = 14,
    kPairMoveLightingOnOffMode = 15,
    kPairPowerDownTime = 16,
    kPairLiftDetectionHeight = 17,
    kPairKeyDebounce = 18,
    kPairMotionWakeup = 19,
};

struct SettingPair {
    std::u16string name;
    std::u16string value;
    friend bool operator==(const SettingPair&, const SettingPair&) = default;
};

// A button's first code byte that makes it play the macro of its entry.
inline constexpr std::uint8_t kMacroFunctionClass = 0x90;

struct ProfileButton {
    std::u16string Name;             // display name of the current function
    KeyFunctionCode Value;           // what the firmware executes for the button
    std::uint32_t MacroKeyIndex = 0; // serial number of the assigned library macro; 0 when none
    model::MacroRecord Macro;        // the button's own copy of the assigned macro

    bool PlaysMacro() const { return Value.bytes[0] == kMacroFunctionClass; }
};

class ProfileRecord {
public:
    std::array<SettingPair, kSettingPairCount> pairs;
    std::array<ProfileButton, kButtonCount> buttons;

    std::u16string PollingRateName;
    std::array<std::uint8_t, 3> PollingRateValue{}; // byte 0: 0 = 125 Hz … 3 = 1000 Hz; 1, 2 reserved

    std::uint8_t Lighting1OffOn = 0;
    std::u16string Lighting1Name;
    std::array<std::uint8_t, 3> Lighting1ModeValue{}; // byte 0: selected effect; 1, 2 reserved
    std::array<std::uint8_t, kLightingEffectCount> Lighting1Speed{};
    std::array<std::uint8_t, kLightingEffectCount> Lighting1Brightness{};
    std::array<std::array<std::uint8_t, kEffectColourCount>, kLightingEffectCount> Lighting1ColorSelected{};
    std::array<std::array<Colour, kEffectColourCount>, kLightingEffectCount> Lighting1FixedColor{};
    std::array<std::uint8_t, kLightingEffectCount> Lighting1Direction{};

    std::uint8_t Lighting2OffOn = 0;
    std::u16string Lighting2Name;
    std::array<std::uint8_t, 3> Lighting2ModeValue{};
    std::uint8_t Lighting2Speed = 0;
    std::uint8_t Lighting2Brightness = 0;
    Colour Lighting2FixedColor = 0;

    std::uint8_t DPIOffOnFlagValue = 0;                    // bit i set: level i + 1 enabled
    std::array<std::uint16_t, kDpiLevelCount> XYSetting{}; // the sensor's step code of each level
    std::uint8_t CurrentDPILevelValue = 0;                 // counted among the enabled levels
    std::array<Colour, kDpiLevelCount> DPILevelIndication{};

    std::uint8_t AngleSnapValue = 0;
    std::uint8_t LiftDetectionValue = 0;

    friend bool operator==(const ProfileRecord& a, const ProfileRecord& b);

    // Every field to its factory value. The profile name and the button and effect names come from
    // the language loaded now; `slot` 0..4 picks the slot's own profile name ("Profile%u" of slot + 1
    // for any other number). The DPI block follows the in-memory sensor. The file is not touched.
    void ResetToFactory(unsigned slot);
    // The DPI block (level mask, codes of the in-memory sensor, current level, indicator colours,
    // angle snap, lift detection) to its factory values; run for every record when the sensor changes.
    void ApplySensorDpiDefaults();

    // Pair `i`; empty text for i outside 0..19.
    const std::u16string& PairName(int i) const;
    const std::u16string& PairValue(int i) const;
    // Decimal value of pair `i`: the digits it starts with (no sign, no spaces; bad or missing text
    // gives 0).
    long PairNumber(int i) const;
    // The text setters keep every text on one line (control characters become spaces), so that the
    // record can always be saved and reads back as saved.
    void SetPairValue(int i, std::u16string value);
    void SetPairValue(int i, int value); // "%d"
    void SetPairFlag(int i, bool flag);  // "1" or "0"

    // Zone 1 or 2; other zones read as empty and are not written.
    const std::u16string& EffectName(int zone) const;
    void SetEffectName(int zone, std::u16string name);
    // Display name of button `k`; buttons outside 0..6 are ignored.
    void SetButtonName(int k, std::u16string name);

    // Gives button `k` its own copy of `source` (name, serial number, loop settings, actions and the
    // event count; the name kept on one line); nullptr leaves the copy without actions. Buttons
    // outside 0..6 are ignored.
    void AssignMacro(int k, const model::MacroRecord* source);

    // Values loaded from a file are kept as read, so anything used as an index goes through these.
    //
    // Selected zone-1 effect, or none when byte 0 of Lighting1ModeValue is 10 or more: the per-effect
    // arrays have ten entries.
    std::optional<int> SelectedEffect() const;
    // Rate code 0..3 (byte 0 of PollingRateValue), or none for other values: rate tables have four rows.
    std::optional<int> PollingRateCode() const;
    // Level index 0..7 that CurrentDPILevelValue selects (the (n+1)-th enabled level, lowest bit
    // first), or none when fewer levels are enabled: XYSetting and DPILevelIndication have eight entries.
    std::optional<int> ActiveDpiLevel() const;
    // Step code of level `level` (0..7, else level 0) limited to stepCount - 1 (0 when stepCount is
    // 0): the sensor's step and register tables have stepCount entries, and a file or another
    // sensor's defaults may carry larger codes.
    std::uint16_t StepCode(int level, int stepCount) const;
};

// Factory DPI codes of levels 1..8 for a sensor, or none for a sensor the program has no table for
// (its records then keep their codes).
std::optional<std::array<std::uint16_t, kDpiLevelCount>> FactoryDpiCodes(std::uint16_t sensor);

inline constexpr std::uint16_t kDefaultSensor = 0x3325;

// The five records of the process, slot index 0..4. Throws std::out_of_range for any other index:
// callers hold slot indexes that went through a range check.
ProfileRecord& Profile(int slot);

// The sensor the profiles' DPI codes follow (from `Sensor` at start-up, from the mouse at run time).
std::uint16_t SensorIdentifier();
void SetSensorIdentifier(std::uint16_t sensor);

// The current slot. Always 0..4: an index outside is stored as 0.
int CurrentSlot();
void SetCurrentSlot(int slot);

} // namespace quorvik::model
