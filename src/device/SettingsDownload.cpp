#include "device/SettingsDownload.h"

#include "device/ProfileReports.h"
#include "model/KeyCodes.h"
#include "model/LanguageTable.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <optional>
#include <span>
#include <type_traits>
#include <utility>

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
    : ports_(std::move(ports)), tables_(tables),
      slotMap_(static_cast<std::uint8_t*>(std::calloc(macro::kLibrarySlotCount, 1))) {
    if (!slotMap_)
        throw std::bad_alloc();
}

bool SettingsDownload::AnyMarked() const {
    return std::find(flags_.begin(), flags_.end(), true) != flags_.end();
}

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

DownloadPlan SettingsDownload::Plan(model::ProfileRecord& profile, macro::MacroLibrary& library) {
    DownloadPlan plan;
    assignMacroSlots(profile, library);
    // Without a mouse the marked commands stay pending: their shadows are not touched.
    if (ports_.hasTarget())
        planCommands(plan, profile);
    flags_.fill(false);
    planMacros(plan, profile);
    for (const DownloadStep& step : plan.steps)
        plan.reports += step.report ? 1 : 0;
    return plan;
}

void SettingsDownload::Prime(model::ProfileRecord& profile, macro::MacroLibrary& library) {
    for (std::size_t row = 0; row < kComparedCommands.size(); ++row) {
        const ComparedCommand& command = kComparedCommands[row];
        const Report report = command.build(ports_.sequence.Peek(), profile, tables_);
        StoreShadow(shadows_.commands[row], ComparedBytes(command, report));
    }
    assignMacroSlots(profile, library);
    primeMacros(profile);
}

void SettingsDownload::assignMacroSlots(model::ProfileRecord& profile, macro::MacroLibrary& library) {
    // Only the entries the last assignment set are cleared: at most one per button.
    for (std::size_t index : slotsSet_)
        slotMap_[index] = 0;
    slotsSet_.clear();
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
        if (slotMap_[*found] == 0) {
            slotMap_[*found] = nextSlot++;
            slotsSet_.push_back(*found);
        }
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

namespace {

// A pause with nothing written joins the step before it: the wire sees the same spacing.
void AddPause(DownloadPlan& plan, std::uint32_t ms) {
    if (plan.steps.empty())
        plan.steps.push_back(DownloadStep{std::nullopt, ms});
    else
        plan.steps.back().pauseMs += ms;
}

} // namespace

void SettingsDownload::planCommands(DownloadPlan& plan, const model::ProfileRecord& profile) const {
    for (std::size_t row = 0; row < kComparedCommands.size(); ++row) {
        const ComparedCommand& command = kComparedCommands[row];
        if (!IsMarked(command.group))
            continue;
        // Byte 4 is the number the report takes when it is written.
        const Report report = command.build(ports_.sequence.Peek(), profile, tables_);
        if (MatchesShadow(shadows_.commands[row], ComparedBytes(command, report))) {
            if (command.pacedWhenUnchanged)
                AddPause(plan, kReportPacingMs);
            continue;
        }
        DownloadStep step{report, kReportPacingMs};
        step.row = int(row);
        plan.steps.push_back(step);
    }
}

const MacroImageBytes& SettingsDownload::imageOf(int button, std::uint8_t slot, const model::MacroRecord& macro) const {
    PackedImage& packed = packed_[std::size_t(button)];
    const std::size_t count = macro.ValidActionCount();
    const auto first = macro.actions.begin();
    const auto last = first + static_cast<std::ptrdiff_t>(count);
    // Actions are four plain bytes each: one memcmp compares them all.
    static_assert(sizeof(model::MacroAction) == 4 && std::is_trivially_copyable_v<model::MacroAction>);
    if (!packed.valid || packed.slot != slot || packed.events != macro.MacroCommandActionNum || packed.count != count ||
        std::memcmp(macro.actions.data(), packed.actions.data(), count * sizeof(model::MacroAction)) != 0) {
        packed.valid = true;
        packed.slot = slot;
        packed.events = macro.MacroCommandActionNum;
        packed.count = count;
        std::copy(first, last, packed.actions.begin());
        packed.image = MacroImage(slot, macro);
    }
    return packed.image;
}

void SettingsDownload::planMacros(DownloadPlan& plan, const model::ProfileRecord& profile) const {
    // What each slot will hold once the plan is written: two buttons with one macro share a slot,
    // and its image goes out once. Index into plan.images, or -1: the slot keeps its shadow.
    std::array<int, kDeviceMacroSlots> planned;
    planned.fill(-1);
    const bool mouse = ports_.hasTarget();
    for (int k = 0; k < model::kButtonCount; ++k) {
        const auto& button = profile.buttons[std::size_t(k)];
        if (!button.PlaysMacro())
            continue;
        const std::uint8_t slot = MacroSlotOf(button);
        const MacroImageBytes& image = imageOf(k, slot, button.Macro);
        const int index = planned[slot & 0x0F];
        const auto& shadow = shadows_.macros[slot & 0x0F];
        const bool held = index >= 0 ? plan.images[std::size_t(index)] == image : shadow && *shadow == image;
        // With no mouse the shadow keeps what the mouse last got, so the download after the next
        // scan that finds it writes the image, as it does the other commands.
        if (mouse && !held) {
            const std::vector<std::uint8_t> data = MacroChunkData(button.Macro);
            const std::size_t count = MacroChunkCount(data.size());
            plan.images.push_back(image);
            plan.chunkFailed.push_back(false);
            planned[slot & 0x0F] = int(plan.images.size() - 1);
            for (std::size_t i = 0; i < count; ++i) {
                DownloadStep step{BuildMacroChunk(ports_.sequence.Peek(), slot, data, i), kReportPacingMs};
                step.macroSlot = slot & 0x0F;
                step.image = int(plan.images.size() - 1);
                step.lastChunk = i + 1 == count;
                plan.steps.push_back(step);
            }
        }
        if (mouse)
            AddPause(plan, kReportPacingMs);
    }
}

void SettingsDownload::primeMacros(const model::ProfileRecord& profile) {
    for (int k = 0; k < model::kButtonCount; ++k) {
        const auto& button = profile.buttons[std::size_t(k)];
        if (!button.PlaysMacro())
            continue;
        const std::uint8_t slot = MacroSlotOf(button);
        shadows_.macros[slot & 0x0F] = imageOf(k, slot, button.Macro); // the mouse is taken to hold it
    }
}

bool SettingsDownload::Write(DownloadPlan& plan, const DownloadStep& step) {
    Report report = *step.report;
    report[kOffSequence] = ports_.sequence.Take();
    const bool written = ports_.write(report);
    if (observer_)
        observer_(report, written);
    if (step.row >= 0) {
        const ComparedCommand& command = kComparedCommands[std::size_t(step.row)];
        // A write that did not reach the mouse leaves the shadow as it was and the group marked,
        // so the next download writes this command again.
        if (written)
            StoreShadow(shadows_.commands[std::size_t(step.row)], ComparedBytes(command, report));
        else
            Mark(command.group);
    }
    if (step.image >= 0) {
        const auto image = std::size_t(step.image);
        if (!written)
            plan.chunkFailed[image] = true;
        // A macro is the mouse's only once every chunk of it arrived.
        if (step.lastChunk && !plan.chunkFailed[image])
            shadows_.macros[std::size_t(step.macroSlot)] = plan.images[image];
    }
    return written;
}

void SettingsDownload::Abandon(const DownloadPlan& plan, std::size_t next) {
    for (std::size_t i = next; i < plan.steps.size(); ++i)
        if (plan.steps[i].report && plan.steps[i].row >= 0)
            Mark(kComparedCommands[std::size_t(plan.steps[i].row)].group);
}

DownloadJob::DownloadJob(SettingsDownload& download, std::function<DownloadPlan()> plan, Events events)
    : download_(download), makePlan_(std::move(plan)), events_(std::move(events)) {}

std::optional<std::uint32_t> DownloadJob::Step() {
    if (makePlan_) {
        // Worked out when the download's turn comes, so edits made while it waited go with it.
        plan_ = std::exchange(makePlan_, nullptr)();
        if (events_.started)
            events_.started(plan_);
    }
    if (next_ >= plan_.steps.size())
        return std::nullopt;
    const DownloadStep& step = plan_.steps[next_++];
    if (step.report && download_.Write(plan_, step) && events_.wrote)
        events_.wrote(++written_, plan_.reports);
    return step.pauseMs;
}

void DownloadJob::Finished() {
    if (events_.ended)
        events_.ended(true);
}

void DownloadJob::Abandon() {
    if (!makePlan_)
        download_.Abandon(plan_, next_);
    if (events_.ended)
        events_.ended(false);
}

} // namespace quorvik::device
