#include "device/SettingsDownload.h"

#include "device/ProfileReports.h"
#include "model/KeyCodes.h"
#include "model/LanguageTable.h"

#include <algorithm>
#include <optional>

namespace quorvik::device {

namespace {

// Language text that names a button whose macro is gone from the library.
constexpr int kDisabledButtonText = 34;

template <std::size_t N> std::array<std::uint8_t, N> payloadBytes(const Report& report, std::size_t first) {
    std::array<std::uint8_t, N> out{};
    std::copy_n(report.begin() + static_cast<std::ptrdiff_t>(first), N, out.begin());
    return out;
}

// Bytes 6..6+L of the lighting command: the compared part of it.
std::vector<std::uint8_t> lightingBytes(const Report& report) {
    std::size_t length = std::min<std::size_t>(report[kOffLength], kMaxPayload);
    return {report.begin() + kOffLength, report.begin() + static_cast<std::ptrdiff_t>(kOffPayload + length)};
}

// Position in the library block of the first macro slot whose macro has this serial number;
// depth 0 first, then depth 1, then depth 2, each in slot order (which is block order).
std::optional<std::size_t> findLibraryMacro(const macro::MacroLibrary& library, std::uint32_t serial) {
    if (serial == 0)
        return std::nullopt;
    auto matches = [&](std::size_t index) {
        const auto& node = library.SlotByIndex(index);
        return node.IsMacroSlot() && node.macro->MacroKeyIndex == serial;
    };
    constexpr std::size_t kLevel = macro::kSlotsPerLevel;
    for (std::size_t i = 0; i < kLevel; ++i)
        if (matches(i))
            return i;
    for (std::size_t i = 0; i < kLevel; ++i) {
        if (!library.SubtreeInUse(int(i)))
            continue;
        for (std::size_t j = 0; j < kLevel; ++j)
            if (matches(macro::kDepth1Base + i * kLevel + j))
                return macro::kDepth1Base + i * kLevel + j;
    }
    for (std::size_t i = 0; i < kLevel; ++i) {
        if (!library.SubtreeInUse(int(i)))
            continue;
        for (std::size_t jk = 0; jk < kLevel * kLevel; ++jk)
            if (matches(macro::kDepth2Base + i * kLevel * kLevel + jk))
                return macro::kDepth2Base + i * kLevel * kLevel + jk;
    }
    return std::nullopt;
}

} // namespace

std::array<std::uint8_t, kMacroImageCompared> MacroImage(std::uint8_t slot, const model::MacroRecord& macro) {
    std::array<std::uint8_t, kMacroImageCompared> image{};
    image[0] = kMacroImageMarker0;
    image[1] = kMacroImageMarker1;
    image[2] = slot;
    image[3] = macro.MacroCommandActionNum;
    std::vector<std::uint8_t> events = PackMacroEvents(macro);
    std::copy_n(events.begin(), std::min(events.size(), image.size() - 4), image.begin() + 4);
    return image;
}

SettingsDownload::SettingsDownload(DownloadPorts ports, const SensorTables& tables)
    : ports_(std::move(ports)), tables_(tables), slotMap_(macro::kLibrarySlotCount, 0) {}

void SettingsDownload::MarkAfterScan() {
    Mark(SettingGroup::Buttons);
    Mark(SettingGroup::SensorLighting);
    Mark(SettingGroup::Power);
    suppressProgress_ = true;
}

std::uint8_t SettingsDownload::DeviceSlotOfLibrarySlot(std::size_t librarySlot) const {
    return librarySlot < slotMap_.size() ? slotMap_[librarySlot] : 0;
}

void SettingsDownload::ForceNextRun() {
    flags_.fill(true);
    forced_ = true;
}

bool SettingsDownload::Run(model::ProfileRecord& profile, macro::MacroLibrary& library) {
    somethingWritten_ = false;
    assignMacroSlots(profile, library);
    if (IsMarked(SettingGroup::Buttons))
        sendButtons(profile);
    if (IsMarked(SettingGroup::SensorLighting))
        sendSensorAndLighting(profile);
    if (IsMarked(SettingGroup::Power))
        sendPower(profile);
    if (IsMarked(SettingGroup::Wake))
        sendWake(profile);
    flags_.fill(false);
    sendMacros(profile, true);
    forced_ = false;
    return somethingWritten_;
}

void SettingsDownload::Prime(model::ProfileRecord& profile, macro::MacroLibrary& library) {
    for (int position = 0; position < model::kButtonCount; ++position) {
        auto code = ButtonCodeAtPosition(profile, position);
        std::copy(code.begin(), code.end(), shadows_.buttons.begin() + position * 3);
    }
    fillSingleShadows(profile);
    assignMacroSlots(profile, library);
    sendMacros(profile, false);
}

void SettingsDownload::fillSingleShadows(const model::ProfileRecord& profile) {
    // The sequence number does not matter for the compared bytes; 0 keeps the counter untouched.
    shadows_.dpiLevels = payloadBytes<17>(BuildDpiLevelsReport(0, profile, tables_), kOffPayload);
    shadows_.dpiColours = payloadBytes<24>(BuildDpiColoursReport(0, profile), kOffPayload);
    shadows_.reportRate = BuildReportRateReport(0, profile)[kOffPayload];
    shadows_.liftOff = BuildLiftOffReport(0, profile)[kOffPayload];
    shadows_.debounce = BuildDebounceReport(0, profile)[kOffPayload];
    shadows_.lighting = lightingBytes(BuildLightingReport(0, profile));
    shadows_.power = payloadBytes<2>(BuildPowerSavingReport(0, profile), kOffPayload);
    shadows_.wake = BuildMotionWakeupReport(0, profile)[kOffPayload];
}

void SettingsDownload::assignMacroSlots(model::ProfileRecord& profile, macro::MacroLibrary& library) {
    std::fill(slotMap_.begin(), slotMap_.end(), 0);
    std::uint8_t nextSlot = 1;
    for (auto& button : profile.buttons) {
        if (!button.PlaysMacro())
            continue;
        auto found = findLibraryMacro(library, button.MacroKeyIndex);
        if (!found) {
            // The macro was deleted from the library: the button does nothing from now on.
            button.Name = model::LanguageText(kDisabledButtonText);
            button.Value = model::KeyFunctionCode{};
            continue;
        }
        if (slotMap_[*found] == 0)
            slotMap_[*found] = nextSlot++;
        const model::MacroRecord& source = *library.SlotByIndex(*found).macro;
        if (refreshButtonMacros_)
            button.Macro.CopyFrom(source);
        std::uint8_t slot = slotMap_[*found];
        std::uint8_t loopType = source.MacroKeyLoopType;
        button.Value.bytes = {model::kMacroFunctionClass, std::uint8_t((loopType << 4) | (slot & 0x0F)),
                              std::uint8_t(loopType == model::kLoopCounted ? source.MacroKeyLoopNum : 0)};
    }
    refreshButtonMacros_ = false;
}

bool SettingsDownload::writePaced(const Report& report) {
    bool written = ports_.write(report);
    if (observer_)
        observer_(report, written);
    if (written)
        somethingWritten_ = true;
    ports_.sleep(kReportPacingMs);
    return written;
}

void SettingsDownload::sendButtons(const model::ProfileRecord& profile) {
    if (!ports_.hasTarget())
        return; // the shadow keeps the old codes, so the change stays pending for a later download
    for (int position = 0; position < model::kButtonCount; ++position) {
        auto code = ButtonCodeAtPosition(profile, position);
        auto shadow = shadows_.buttons.begin() + position * 3;
        if (!forced_ && std::equal(code.begin(), code.end(), shadow)) {
            ports_.sleep(kReportPacingMs); // every position is paced, changed or not
            continue;
        }
        // A write that did not reach the mouse leaves the shadow as it was, so the next download
        // writes this position again.
        if (writePaced(BuildButtonReport(ports_.takeSequence(), profile, position)))
            std::copy(code.begin(), code.end(), shadow);
    }
}

void SettingsDownload::sendSensorAndLighting(const model::ProfileRecord& profile) {
    if (!ports_.hasTarget())
        return;
    // Built and compared first, written afterwards in the mouse's order: levels, colours, rate,
    // lift-off, debounce, lighting.
    Report dpi = BuildDpiLevelsReport(0, profile, tables_);
    Report colours = BuildDpiColoursReport(0, profile);
    Report rate = BuildReportRateReport(0, profile);
    Report lift = BuildLiftOffReport(0, profile);
    Report debounce = BuildDebounceReport(0, profile);
    Report lighting = BuildLightingReport(0, profile);

    auto dpiBytes = payloadBytes<17>(dpi, kOffPayload);
    auto colourBytes = payloadBytes<24>(colours, kOffPayload);
    auto lightingPart = lightingBytes(lighting);

    // Each changed command gets its sequence number when it is written, in writing order.
    auto send = [&](Report report, auto& shadow, const auto& value) {
        if (unchanged(shadow, value))
            return;
        report[kOffSequence] = ports_.takeSequence();
        if (writePaced(report))
            shadow = value;
    };
    send(dpi, shadows_.dpiLevels, dpiBytes);
    send(colours, shadows_.dpiColours, colourBytes);
    send(rate, shadows_.reportRate, rate[kOffPayload]);
    send(lift, shadows_.liftOff, lift[kOffPayload]);
    send(debounce, shadows_.debounce, debounce[kOffPayload]);
    send(lighting, shadows_.lighting, lightingPart);
}

void SettingsDownload::sendPower(const model::ProfileRecord& profile) {
    if (!ports_.hasTarget())
        return;
    Report report = BuildPowerSavingReport(0, profile);
    auto bytes = payloadBytes<2>(report, kOffPayload);
    if (unchanged(shadows_.power, bytes))
        return;
    report[kOffSequence] = ports_.takeSequence();
    if (writePaced(report))
        shadows_.power = bytes;
}

void SettingsDownload::sendWake(const model::ProfileRecord& profile) {
    if (!ports_.hasTarget())
        return;
    Report report = BuildMotionWakeupReport(0, profile);
    if (unchanged(shadows_.wake, report[kOffPayload]))
        return;
    report[kOffSequence] = ports_.takeSequence();
    if (writePaced(report))
        shadows_.wake = report[kOffPayload];
}

void SettingsDownload::sendMacros(const model::ProfileRecord& profile, bool writing) {
    for (const auto& button : profile.buttons) {
        if (!button.PlaysMacro())
            continue;
        std::uint8_t slot = MacroSlotOf(button);
        auto image = MacroImage(slot, button.Macro);
        auto& shadow = shadows_.macros[slot & 0x0F];
        if (!unchanged(shadow, image)) {
            if (!writing || !ports_.hasTarget()) {
                // Without a mouse the image is taken as sent: the mouse gets it with the next change.
                shadow = image;
            } else {
                std::vector<std::uint8_t> data = MacroChunkData(button.Macro);
                std::size_t count = MacroChunkCount(data.size());
                bool allWritten = true;
                for (std::size_t i = 0; i < count; ++i) {
                    Report chunk = BuildMacroChunk(ports_.takeSequence(), slot, data, i);
                    allWritten = writePaced(chunk) && allWritten;
                }
                if (allWritten)
                    shadow = image;
            }
        }
        ports_.sleep(kReportPacingMs);
    }
}

} // namespace quorvik::device
