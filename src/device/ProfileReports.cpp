#include "device/ProfileReports.h"

namespace quorvik::device {
namespace {

std::uint8_t PairByte(const model::ProfileRecord& profile, int pair) {
    return static_cast<std::uint8_t>(profile.PairNumber(pair));
}

} // namespace

std::array<std::uint8_t, 3> ButtonCodeAtPosition(const model::ProfileRecord& profile, int position) {
    const int button = ButtonOfDevicePosition(position);
    if (button < 0 || button >= model::kButtonCount)
        return {};
    return profile.buttons[static_cast<std::size_t>(button)].Value.bytes;
}

Report BuildButtonReport(std::uint8_t sequence, const model::ProfileRecord& profile, int position) {
    return BuildButtonReport(sequence, static_cast<std::uint8_t>(position), ButtonCodeAtPosition(profile, position));
}

Report BuildDpiLevelsReport(std::uint8_t sequence, const model::ProfileRecord& profile, const SensorTables& tables) {
    std::array<std::uint16_t, 6> registers{};
    for (int k = 0; k < 6; ++k)
        registers[static_cast<std::size_t>(k)] = tables.RegisterValue(profile.StepCode(k, tables.StepCount()));
    return BuildDpiLevelsReport(sequence, profile.DPIOffOnFlagValue, profile.CurrentDPILevelValue, registers);
}

Report BuildDpiColoursReport(std::uint8_t sequence, const model::ProfileRecord& profile) {
    std::array<std::uint32_t, 8> colours{};
    for (std::size_t k = 0; k < colours.size(); ++k)
        colours[k] = profile.DPILevelIndication[k];
    return BuildDpiColoursReport(sequence, colours);
}

Report BuildReportRateReport(std::uint8_t sequence, const model::ProfileRecord& profile) {
    return BuildReportRateReport(sequence, profile.PollingRateValue[0]);
}

LightingInput LightingInputOf(const model::ProfileRecord& profile) {
    LightingInput in;
    in.effect = profile.Lighting1ModeValue[0];
    in.direction = profile.Lighting1Direction[1];
    const auto effect = profile.SelectedEffect();
    if (!effect)
        return in;
    const auto e = static_cast<std::size_t>(*effect);
    in.brightness = profile.Lighting1Brightness[e];
    in.speed = profile.Lighting1Speed[e];
    for (std::size_t k = 0; k < in.colours.size(); ++k) {
        in.colours[k] = profile.Lighting1FixedColor[e][k];
        in.selected[k] = profile.Lighting1ColorSelected[e][k];
    }
    return in;
}

Report BuildLightingReport(std::uint8_t sequence, const model::ProfileRecord& profile) {
    return BuildLightingReport(sequence, LightingInputOf(profile));
}

Report BuildLiftOffReport(std::uint8_t sequence, const model::ProfileRecord& profile) {
    return BuildLiftOffReport(sequence, profile.PairNumber(model::kPairLiftDetectionHeight));
}

Report BuildDebounceReport(std::uint8_t sequence, const model::ProfileRecord& profile) {
    return BuildDebounceReport(sequence, PairByte(profile, model::kPairKeyDebounce));
}

Report BuildPowerSavingReport(std::uint8_t sequence, const model::ProfileRecord& profile) {
    return BuildPowerSavingReport(sequence, PairByte(profile, model::kPairPowerDownTime),
                                  PairByte(profile, model::kPairMoveLightingOnOffMode));
}

Report BuildMotionWakeupReport(std::uint8_t sequence, const model::ProfileRecord& profile) {
    return BuildMotionWakeupReport(sequence, PairByte(profile, model::kPairMotionWakeup));
}

std::uint8_t MacroSlotOf(const model::ProfileButton& button) {
    return button.Value.bytes[1] & 0x0F;
}

} // namespace quorvik::device
