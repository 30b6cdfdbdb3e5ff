#include "device/SettingsDownload.h"

#include "device/ProfileReports.h"
#include "model/KeyCodes.h"
#include "model/LanguageTable.h"

#include <algorithm>
#include <optional>
#include <span>

namespace quorvik::device {

namespace {

// Language text that names a button whose macro is gone from the library.
constexpr int kDisabledButtonText = 34;

// One command the download compares: how it is built from the profile, which of its bytes the
// shadow keeps, and which group sends it. Priming and sending both walk the table below.
struct ComparedCommand {
    SettingGroup group;
    Report (*build)(std::uint8_t sequence, const model::ProfileRecord& profile, const SensorTables& tables);
    std::size_t first; // first byte the shadow keeps
    std::size_t count; // how many; kLengthAndPayload: the length byte and the payload it announces
    // Button positions are paced whether they are written or not; the other commands only when written.
    bool pacedWhenUnchanged;
};

// The lighting command's length varies by effect: its shadow keeps the length byte first, so a
// change of length is a change.
constexpr std::size_t kLengthAndPayload = 0;

template <int Position>
Report ButtonAt(std::uint8_t sequence, const model::ProfileRecord& profile, const SensorTables&) {
    return BuildButtonReport(sequence, profile, Position);
}

Report DpiLevels(std::uint8_t sequence, const model::ProfileRecord& profile, const SensorTables& tables) {
    return BuildDpiLevelsReport(sequence, profile, tables);
}

template <Report (*Build)(std::uint8_t, const model::ProfileRecord&)>
Report FromProfile(std::uint8_t sequence, const model::ProfileRecord& profile, const SensorTables&) {
    return Build(sequence, profile);
}

using enum SettingGroup;

// In the order a download writes them: button positions 0..6; DPI levels, DPI level colours,
// report rate, lift-off distance, key debounce, lighting; power saving; motion wake-up.
constexpr std::array<ComparedCommand, kComparedCommandCount> kComparedCommands = {{
    {Buttons, ButtonAt<0>, kOffButtonCode, 3, true},
    {Buttons, ButtonAt<1>, kOffButtonCode, 3, true},
    {Buttons, ButtonAt<2>, kOffButtonCode, 3, true},
    {Buttons, ButtonAt<3>, kOffButtonCode, 3, true},
    {Buttons, ButtonAt<4>, kOffButtonCode, 3, true},
    {Buttons, ButtonAt<5>, kOffButtonCode, 3, true},
    {Buttons, ButtonAt<6>, kOffButtonCode, 3, true},
    {SensorLighting, DpiLevels, kOffPayload, 17, false}, // bytes 7..23
    {SensorLighting, FromProfile<BuildDpiColoursReport>, kOffPayload, 24, false},
    {SensorLighting, FromProfile<BuildReportRateReport>, kOffPayload, 1, false},
    {SensorLighting, FromProfile<BuildLiftOffReport>, kOffPayload, 1, false},
    {SensorLighting, FromProfile<BuildDebounceReport>, kOffPayload, 1, false},
    {SensorLighting, FromProfile<BuildLightingReport>, kOffLength, kLengthAndPayload, false},
    {Power, FromProfile<BuildPowerSavingReport>, kOffPayload, 2, false},
    {Wake, FromProfile<BuildMotionWakeupReport>, kOffPayload, 1, false},
}};

// The bytes of `report` that the shadow of `command` keeps.
std::span<const std::uint8_t> ComparedBytes(const ComparedCommand& command, const Report& report) {
    const std::size_t count =
        command.count != kLengthAndPayload ? command.count : 1 + std::min<std::size_t>(report[kOffLength], kMaxPayload);
    return std::span<const std::uint8_t>(report).subspan(command.first, count);
}

bool MatchesShadow(const std::optional<CommandShadow>& shadow, std::span<const std::uint8_t> bytes) {
    return shadow && std::equal(bytes.begin(), bytes.end(), shadow->begin());
}

void StoreShadow(std::optional<CommandShadow>& shadow, std::span<const std::uint8_t> bytes) {
    shadow.emplace(); // zero beyond the compared bytes
    std::copy(bytes.begin(), bytes.end(), shadow->begin());
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

MacroImageBytes MacroImage(std::uint8_t slot, const model::MacroRecord& macro) {
    MacroImageBytes image{};
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

void SettingsDownload::ForceNextRun() {
    flags_.fill(true);
    shadows_.Forget();
}

bool SettingsDownload::Run(model::ProfileRecord& profile, macro::MacroLibrary& library) {
    somethingWritten_ = false;
    assignMacroSlots(profile, library);
    // Without a mouse the marked commands stay pending: their shadows are not touched.
    if (ports_.hasTarget())
        sendCommands(profile);
    flags_.fill(false);
    sendMacros(profile, true);
    return somethingWritten_;
}

void SettingsDownload::Prime(model::ProfileRecord& profile, macro::MacroLibrary& library) {
    for (std::size_t row = 0; row < kComparedCommands.size(); ++row) {
        const ComparedCommand& command = kComparedCommands[row];
        const Report report = command.build(ports_.sequence.Peek(), profile, tables_);
        StoreShadow(shadows_.commands[row], ComparedBytes(command, report));
    }
    assignMacroSlots(profile, library);
    sendMacros(profile, false);
}

void SettingsDownload::assignMacroSlots(model::ProfileRecord& profile, macro::MacroLibrary& library) {
    std::fill(slotMap_.begin(), slotMap_.end(), 0);
    std::uint8_t nextSlot = 1;
    for (int k = 0; k < model::kButtonCount; ++k) {
        auto& button = profile.buttons[std::size_t(k)];
        if (!button.PlaysMacro())
            continue;
        auto found = findLibraryMacro(library, button.MacroKeyIndex);
        if (!found) {
            // The macro was deleted from the library: the button does nothing from now on.
            profile.SetButtonName(k, model::LanguageText(kDisabledButtonText));
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

void SettingsDownload::sendCommands(const model::ProfileRecord& profile) {
    for (std::size_t row = 0; row < kComparedCommands.size(); ++row) {
        const ComparedCommand& command = kComparedCommands[row];
        if (!IsMarked(command.group))
            continue;
        // Built with the number it will carry; the number is used up only when the report is written.
        const Report report = command.build(ports_.sequence.Peek(), profile, tables_);
        const auto bytes = ComparedBytes(command, report);
        auto& shadow = shadows_.commands[row];
        if (MatchesShadow(shadow, bytes)) {
            if (command.pacedWhenUnchanged)
                ports_.sleep(kReportPacingMs);
            continue;
        }
        ports_.sequence.Take();
        // A write that did not reach the mouse leaves the shadow as it was, so the next download
        // writes this command again.
        if (writePaced(report))
            StoreShadow(shadow, bytes);
    }
}

void SettingsDownload::sendMacros(const model::ProfileRecord& profile, bool writing) {
    for (const auto& button : profile.buttons) {
        if (!button.PlaysMacro())
            continue;
        std::uint8_t slot = MacroSlotOf(button);
        auto image = MacroImage(slot, button.Macro);
        auto& shadow = shadows_.macros[slot & 0x0F];
        if (!shadow || *shadow != image) {
            if (!writing) {
                shadow = image; // priming: the mouse is taken to hold it
            } else if (ports_.hasTarget()) {
                bool allWritten = true;
                for (const Report& chunk : BuildMacroChunks(ports_.sequence, slot, MacroChunkData(button.Macro)))
                    allWritten = writePaced(chunk) && allWritten;
                if (allWritten)
                    shadow = image;
            }
            // With no mouse the shadow keeps what the mouse last got, so the download after the
            // next scan that finds it writes the image, as it does the other commands.
        }
        ports_.sleep(kReportPacingMs);
    }
}

} // namespace quorvik::device
