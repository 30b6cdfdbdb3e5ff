#include "model/ProfileRecord.h"

#include "model/LanguageTable.h"
#include "model/Text.h"

#include <stdexcept>
#include <string>

namespace quorvik::model {

namespace {

struct PairDefault {
    const char16_t* name;
    const char16_t* value;
};

// Factory names and values of the setting pairs; pair 0's value is the slot's profile name.
constexpr std::array<PairDefault, kSettingPairCount> kPairDefaults{{
    {u"ProfileName", u""},
    {u"GameFile0", u""},
    {u"GameFile1", u""},
    {u"GameFile2", u""},
    {u"DoubleClickSpeed", u"6"},
    {u"PointerSpeed", u"5"},
    {u"AccelerationEnable", u"1"},
    {u"ScrollWheelSpeed", u"2"},
    {u"ScrollWheelPageEnable", u"0"},
    {u"TiltSpeed", u"2"},
    {u"Sensitivity_X", u"4"},
    {u"Sensitivity_Y", u"4"},
    {u"XYSynchronous", u"1"},
    {u"X_DPI", u"1"},
    {u"Y_DPI", u"1"},
    {u"MoveLightingOnOffMode", u"0"},
    {u"PowerDownTime", u"6"},
    {u"LiftDetectionHeight", u"2"},
    {u"KeyDebounce", u"12"},
    {u"MotionWakeup", u"1"},
}};

// Language texts 85..89 name the five slots' factory profiles.
constexpr int kProfileNameText = 85;

struct ButtonDefault {
    int nameText;
    KeyFunctionCode value;
};

constexpr std::array<ButtonDefault, kButtonCount> kButtonDefaults{{
    {20, {{0x10, 0x01, 0x00}}}, // left button
    {21, {{0x10, 0x02, 0x00}}}, // right button
    {22, {{0x10, 0x04, 0x00}}}, // middle button
    {23, {{0x10, 0x10, 0x00}}}, // button 5
    {24, {{0x10, 0x08, 0x00}}}, // button 4
    {42, {{0x40, 0x01, 0x00}}}, // a DPI function
    {26, {{0x30, 0x32, 0x00}}},
}};

constexpr int kDefaultEffectNameText = 100;

constexpr std::array<std::uint8_t, kLightingEffectCount> kDefaultBrightness{1, 1, 1, 3, 1, 1, 1, 1, 1, 1};
constexpr std::array<std::uint8_t, kLightingEffectCount> kDefaultDirection{0, 1, 0, 0, 0, 0, 0, 0, 0, 0};

// Effects whose colour slots are in use at the factory, with their colours (R, G, B).
struct EffectColours {
    int effect;
    std::array<Colour, kEffectColourCount> colours; // a slot is in use when its colour is listed
    int used;
};

constexpr std::array<EffectColours, 4> kDefaultEffectColours{{
    {2,
     {MakeColour(0xFF, 0, 0), MakeColour(0, 0xFF, 0), MakeColour(0, 0, 0xFF), MakeColour(0, 0xFF, 0xFF),
      MakeColour(0xFF, 0xFF, 0), MakeColour(0xFF, 0, 0xFF), MakeColour(0xFF, 0xFF, 0xFF)},
     7},
    {3, {MakeColour(0xFF, 0, 0xFF)}, 1},
    {6,
     {MakeColour(0xFF, 0, 0), MakeColour(0, 0xFF, 0), MakeColour(0, 0, 0xFF), MakeColour(0xFF, 0xFF, 0),
      MakeColour(0, 0xFF, 0xFF), MakeColour(0xFA, 0, 0xFA), MakeColour(0xFF, 0xFF, 0xFF), MakeColour(0xFA, 0x46, 0xFF)},
     8},
    {7, {MakeColour(0, 0xFF, 0), MakeColour(0xFA, 0, 0x6A)}, 2},
}};

constexpr std::array<Colour, kDpiLevelCount> kDefaultLevelColours{
    MakeColour(0xFF, 0, 0),    MakeColour(0, 0xFF, 0),    MakeColour(0, 0, 0xFF),       MakeColour(0xFF, 0xFF, 0),
    MakeColour(0, 0xFF, 0xFF), MakeColour(0xFF, 0, 0xFF), MakeColour(0xFF, 0xFF, 0xFF), MakeColour(0xFF, 0xFF, 0xFF),
};

struct SensorDpiCodes {
    std::uint16_t sensor;
    std::array<std::uint16_t, kDpiLevelCount> codes;
};

// Factory step codes of levels 1..8 per sensor. Level 6 of sensor 0x3104 had no factory code; it
// gets 0x2F, the sensor's top step (8000 DPI): level 6 is sent to the mouse, level 5 already sits at
// the top of the 48 steps, and any larger code would be beyond the sensor's step table.
constexpr std::array<SensorDpiCodes, 10> kSensorDpiCodes{{
    {0x3104, {0x04, 0x0F, 0x17, 0x1F, 0x2F, 0x2F, 0x3A, 0x32}},
    {0x3325, {0x06, 0x0E, 0x16, 0x22, 0x30, 0x3A, 0x3A, 0x32}},
    {0x3327, {0x02, 0x06, 0x0E, 0x1E, 0x30, 0x3A, 0x3A, 0x3A}},
    {0x3212, {0x06, 0x0A, 0x0E, 0x16, 0x21, 0x0C, 0x0C, 0x0C}},
    {0x3335, {0x0B, 0x17, 0x1F, 0x3F, 0x63, 0x9F, 0x3B, 0x3B}},
    {0x3360, {0x03, 0x07, 0x0F, 0x1F, 0x31, 0x3B, 0x3B, 0x3B}},
    {0x3389, {0x03, 0x07, 0x0F, 0x1F, 0x31, 0x3B, 0x3B, 0x3B}},
    {0x3370, {0x07, 0x0F, 0x1F, 0x3F, 0x63, 0x77, 0x77, 0x77}},
    {0x3395, {0x07, 0x0F, 0x1F, 0x3F, 0x63, 0x63, 0x63, 0x63}},
    {0x3399, {0x07, 0x0F, 0x1F, 0x3F, 0x63, 0x63, 0x63, 0x63}},
}};

const std::u16string kEmpty;

bool validPair(int i) {
    return i >= 0 && i < kSettingPairCount;
}

bool sameMacro(const model::MacroRecord& a, const model::MacroRecord& b) {
    return a.name == b.name && a.MacroKeyIndex == b.MacroKeyIndex && a.MacroActionNum == b.MacroActionNum &&
           a.actions == b.actions && a.MacroKeyLoopType == b.MacroKeyLoopType &&
           a.MacroKeyLoopNum == b.MacroKeyLoopNum && a.MacroCommandActionNum == b.MacroCommandActionNum;
}

bool sameButton(const ProfileButton& a, const ProfileButton& b) {
    return a.Name == b.Name && a.Value == b.Value && a.MacroKeyIndex == b.MacroKeyIndex && sameMacro(a.Macro, b.Macro);
}

// The records start with the default sensor's DPI codes: a sensor without factory codes keeps the
// codes a record has, and a slot whose file is missing must not get code 0 at every level.
std::array<ProfileRecord, kProfileSlotCount> makeProfiles() {
    std::array<ProfileRecord, kProfileSlotCount> profiles;
    for (ProfileRecord& record : profiles)
        record.XYSetting = *FactoryDpiCodes(kDefaultSensor);
    return profiles;
}
std::array<ProfileRecord, kProfileSlotCount> g_profiles = makeProfiles();
std::uint16_t g_sensor = kDefaultSensor;
int g_currentSlot = 0;

} // namespace

bool operator==(const ProfileRecord& a, const ProfileRecord& b) {
    for (int k = 0; k < kButtonCount; ++k) {
        if (!sameButton(a.buttons[k], b.buttons[k]))
            return false;
    }
    return a.pairs == b.pairs && a.PollingRateName == b.PollingRateName && a.PollingRateValue == b.PollingRateValue &&
           a.Lighting1OffOn == b.Lighting1OffOn && a.Lighting1Name == b.Lighting1Name &&
           a.Lighting1ModeValue == b.Lighting1ModeValue && a.Lighting1Speed == b.Lighting1Speed &&
           a.Lighting1Brightness == b.Lighting1Brightness && a.Lighting1ColorSelected == b.Lighting1ColorSelected &&
           a.Lighting1FixedColor == b.Lighting1FixedColor && a.Lighting1Direction == b.Lighting1Direction &&
           a.Lighting2OffOn == b.Lighting2OffOn && a.Lighting2Name == b.Lighting2Name &&
           a.Lighting2ModeValue == b.Lighting2ModeValue && a.Lighting2Speed == b.Lighting2Speed &&
           a.Lighting2Brightness == b.Lighting2Brightness && a.Lighting2FixedColor == b.Lighting2FixedColor &&
           a.DPIOffOnFlagValue == b.DPIOffOnFlagValue && a.XYSetting == b.XYSetting &&
           a.CurrentDPILevelValue == b.CurrentDPILevelValue && a.DPILevelIndication == b.DPILevelIndication &&
           a.AngleSnapValue == b.AngleSnapValue && a.LiftDetectionValue == b.LiftDetectionValue;
}

std::optional<std::array<std::uint16_t, kDpiLevelCount>> FactoryDpiCodes(std::uint16_t sensor) {
    for (const auto& row : kSensorDpiCodes) {
        if (row.sensor == sensor)
            return row.codes;
    }
    return std::nullopt;
}

void ProfileRecord::ResetToFactory(unsigned slot) {
    for (int i = 0; i < kSettingPairCount; ++i)
        pairs[i] = {kPairDefaults[i].name, kPairDefaults[i].value};
    if (slot < unsigned(kProfileSlotCount)) {
        pairs[kPairProfileName].value = LanguageText(kProfileNameText + int(slot));
    } else {
        std::string name = "Profile" + std::to_string(std::uint64_t(slot) + 1);
        pairs[kPairProfileName].value = ToU16(name);
    }

    for (int k = 0; k < kButtonCount; ++k) {
        ProfileButton& b = buttons[k];
        b.Name = LanguageText(kButtonDefaults[k].nameText);
        b.Value = kButtonDefaults[k].value;
        b.MacroKeyIndex = 0;
        b.Macro = model::MacroRecord{};
    }

    PollingRateName = u"500HZ";
    PollingRateValue = {2, 0, 0};

    Lighting1OffOn = 1;
    Lighting1Name = LanguageText(kDefaultEffectNameText);
    Lighting1ModeValue = {1, 0, 0};
    Lighting1Speed.fill(1);
    Lighting1Brightness = kDefaultBrightness;
    for (auto& row : Lighting1ColorSelected)
        row.fill(0);
    for (auto& row : Lighting1FixedColor)
        row.fill(0);
    for (const auto& e : kDefaultEffectColours) {
        Lighting1FixedColor[e.effect] = e.colours;
        for (int i = 0; i < e.used; ++i)
            Lighting1ColorSelected[e.effect][i] = 1;
    }
    Lighting1Direction = kDefaultDirection;

    Lighting2OffOn = 0;
    Lighting2Name = LanguageText(kDefaultEffectNameText);
    Lighting2ModeValue = {1, 0, 0};
    Lighting2Speed = 0;
    Lighting2Brightness = 0;
    Lighting2FixedColor = 0;

    ApplySensorDpiDefaults();
}

void ProfileRecord::ApplySensorDpiDefaults() {
    DPIOffOnFlagValue = 0x3F;
    if (auto codes = FactoryDpiCodes(SensorIdentifier()))
        XYSetting = *codes;
    CurrentDPILevelValue = 1;
    DPILevelIndication = kDefaultLevelColours;
    AngleSnapValue = 0;
    LiftDetectionValue = 2;
}

const std::u16string& ProfileRecord::PairName(int i) const {
    return validPair(i) ? pairs[i].name : kEmpty;
}

const std::u16string& ProfileRecord::PairValue(int i) const {
    return validPair(i) ? pairs[i].value : kEmpty;
}

long ProfileRecord::PairNumber(int i) const {
    // Digits only: a sign would turn "-2" into a byte of 254 on its way to the mouse.
    return ParseLeadingDigits(PairValue(i));
}

void ProfileRecord::SetPairValue(int i, std::u16string value) {
    if (validPair(i))
        pairs[i].value = OneLineText(std::move(value));
}

void ProfileRecord::SetPairValue(int i, int value) {
    SetPairValue(i, DecimalText(value));
}

void ProfileRecord::SetPairFlag(int i, bool flag) {
    SetPairValue(i, flag ? 1 : 0);
}

const std::u16string& ProfileRecord::EffectName(int zone) const {
    if (zone == 1)
        return Lighting1Name;
    if (zone == 2)
        return Lighting2Name;
    return kEmpty;
}

void ProfileRecord::SetEffectName(int zone, std::u16string name) {
    if (zone == 1)
        Lighting1Name = OneLineText(std::move(name));
    else if (zone == 2)
        Lighting2Name = OneLineText(std::move(name));
}

void ProfileRecord::SetButtonName(int k, std::u16string name) {
    if (k >= 0 && k < kButtonCount)
        buttons[k].Name = OneLineText(std::move(name));
}

void ProfileRecord::AssignMacro(int k, const model::MacroRecord* source) {
    if (k < 0 || k >= kButtonCount)
        return;
    model::MacroRecord& copy = buttons[k].Macro;
    if (source) {
        copy.CopyFrom(*source);
    } else {
        copy.MacroActionNum = 0;
        copy.MacroCommandActionNum = 0;
    }
}

std::optional<int> ProfileRecord::SelectedEffect() const {
    if (Lighting1ModeValue[0] < kLightingEffectCount)
        return Lighting1ModeValue[0];
    return std::nullopt;
}

std::optional<int> ProfileRecord::PollingRateCode() const {
    if (PollingRateValue[0] <= 3)
        return PollingRateValue[0];
    return std::nullopt;
}

std::optional<int> ProfileRecord::ActiveDpiLevel() const {
    int seen = 0;
    for (int level = 0; level < kDpiLevelCount; ++level) {
        if ((DPIOffOnFlagValue >> level) & 1) {
            if (seen == CurrentDPILevelValue)
                return level;
            ++seen;
        }
    }
    return std::nullopt;
}

std::uint16_t ProfileRecord::StepCode(int level, int stepCount) const {
    if (level < 0 || level >= kDpiLevelCount)
        level = 0;
    if (stepCount <= 0)
        return 0;
    return XYSetting[level] < stepCount ? XYSetting[level] : std::uint16_t(stepCount - 1);
}

ProfileRecord& Profile(int slot) {
    if (slot < 0 || slot >= kProfileSlotCount)
        throw std::out_of_range("profile slot " + std::to_string(slot) + " is outside 0..4");
    return g_profiles[slot];
}

std::uint16_t SensorIdentifier() {
    return g_sensor;
}
void SetSensorIdentifier(std::uint16_t sensor) {
    g_sensor = sensor;
}

int CurrentSlot() {
    return g_currentSlot;
}
void SetCurrentSlot(int slot) {
    g_currentSlot = (slot >= 0 && slot < kProfileSlotCount) ? slot : 0;
}

} // namespace quorvik::model
