// The download end to end: edits marked by group reach the virtual mouse as the fewest reports,
// with the shadows deciding what changed.
#include "device/DeviceCoreHarness.h"

#include "device/CommandReports.h"
#include "model/LanguageTable.h"
#include "model/ProfileFile.h"

#include <gtest/gtest.h>

using namespace quorvik;
using device::Form;
using device::SettingGroup;
using test::DeviceCoreHarness;

namespace {

using Codes = std::vector<std::uint8_t>;

// A macro in the library: `events` key presses of 'A', each followed by a 10 ms delay.
std::uint32_t addLibraryMacro(const std::u16string& name, int events, std::uint8_t loopType = model::kLoopCounted,
                              std::uint8_t loopCount = 1) {
    auto& library = macro::TheMacroLibrary();
    macro::MacroLocation current = macro::MacroLocation::None();
    EXPECT_EQ(library.AddMacro(name, current), macro::AddResult::Added);
    model::MacroRecord& record = *library.SlotAt(current)->macro;
    for (int i = 0; i < events; ++i) {
        record.InsertAction(record.MacroActionNum, model::MakeKeyEvent(0x41, false));
        record.InsertAction(record.MacroActionNum, model::MakeDelay(10));
    }
    record.MacroCommandActionNum = record.CountEvents();
    record.MacroKeyLoopType = loopType;
    record.MacroKeyLoopNum = loopCount;
    return record.MacroKeyIndex;
}

void giveButtonMacro(model::ProfileRecord& profile, int button, std::uint32_t serial) {
    const macro::MacroLibrary& library = macro::TheMacroLibrary();
    for (std::size_t i = 0; i < macro::kSlotsPerLevel; ++i) {
        const auto& node = library.SlotByIndex(i);
        if (node.IsMacroSlot() && node.macro->MacroKeyIndex == serial) {
            profile.AssignMacro(button, node.macro.get());
            profile.buttons[button].MacroKeyIndex = serial;
            profile.buttons[button].Name = node.name;
            profile.buttons[button].Value = model::KeyFunctionCode{{0x90, 0, 0}};
            return;
        }
    }
    FAIL() << "no macro " << serial;
}

} // namespace

TEST(SettingsDownload, OnlyTheChangedCommandIsWrittenWithProgressAndTheSaveTimer) {
    DeviceCoreHarness h;
    h.start({Form::Wired});
    EXPECT_TRUE(h.takeCodes().empty()) << "the mouse holds the primed profile";
    EXPECT_TRUE(h.window.progress.empty()) << "the download after a scan shows no progress";

    auto& p = h.profile();
    int effect = *p.SelectedEffect();
    p.Lighting1Speed[effect] = 4;
    h.core->MarkGroup(SettingGroup::SensorLighting);
    h.advance(19);
    EXPECT_TRUE(h.takeCodes().empty()) << "the download waits 20 ms after the edit";
    h.advance(1);
    auto reports = h.takeReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0][device::kOffCommand], device::kCmdLighting);
    EXPECT_EQ(reports[0][8] & 0x0F, 5) << "speed + 1 in the low nibble";
    EXPECT_EQ(h.window.progress, std::vector<int>{146});
    EXPECT_TRUE(h.core->SavePending());
    EXPECT_TRUE(h.loop.hasTimer(h.hwnd, device::kTimerDelayedSave));
    EXPECT_EQ(h.mouse->state().lightingPayload.at(1) & 0x0F, 5) << "the mouse took it";
}

TEST(SettingsDownload, NothingChangedWritesNothingButRestartsTheSave) {
    DeviceCoreHarness h;
    h.start({Form::Wired});
    h.takeCodes();
    h.advance(9000); // the save from the start-up download is almost due
    h.core->MarkGroup(SettingGroup::SensorLighting);
    h.core->MarkGroup(SettingGroup::Power);
    h.advance(20);
    EXPECT_TRUE(h.takeCodes().empty());
    EXPECT_TRUE(h.window.progress.empty());
    h.advance(9990);
    EXPECT_TRUE(h.core->SavePending()) << "ten seconds count from the last download";
    h.advance(20);
    EXPECT_FALSE(h.core->SavePending());
}

TEST(SettingsDownload, DelayedSaveWritesConfigurationAndAllProfiles) {
    DeviceCoreHarness h;
    h.start({Form::Wired});
    h.profile().SetPairValue(model::kPairProfileName, u"Edited");
    h.core->MarkGroup(SettingGroup::Wake);
    h.advance(20 + device::kDelayedSaveMs);
    model::ProfileRecord reread;
    ASSERT_TRUE(model::ReadProfileRecord(reread, model::Config().ProfileSlotPath(0)));
    EXPECT_EQ(reread.PairValue(model::kPairProfileName), u"Edited");
}

TEST(SettingsDownload, SwappingButtonsThreeAndFourWritesPositionsThreeAndFour) {
    DeviceCoreHarness h;
    h.start({Form::Wired});
    h.takeCodes();
    auto& p = h.profile();
    std::swap(p.buttons[3].Value, p.buttons[4].Value);
    std::uint64_t before = h.loop.now();
    h.core->MarkGroup(SettingGroup::Buttons);
    h.advance(20);
    auto reports = h.takeReports();
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0][7], 3);
    EXPECT_EQ(reports[1][7], 4);
    // Button 4 (10 08 00 in the factory profile) now on button 3, which the mouse calls position 4.
    EXPECT_EQ(reports[1][8], 0x10);
    EXPECT_EQ(reports[1][9], 0x08);
    EXPECT_GE(h.loop.now() - before, 20u + 7 * device::kReportPacingMs) << "every position is paced";
}

TEST(SettingsDownload, SharedMacroGetsOneDeviceSlotAndIsWrittenOnce) {
    DeviceCoreHarness h;
    h.start({Form::Wired});
    h.takeCodes();
    auto a = addLibraryMacro(u"A", 9, model::kLoopCounted, 5);
    auto b = addLibraryMacro(u"B", 2, model::kLoopFirstOption);
    auto& p = h.profile();
    giveButtonMacro(p, 2, a);
    giveButtonMacro(p, 3, b);
    giveButtonMacro(p, 5, a);
    h.core->MarkGroup(SettingGroup::Buttons);
    h.advance(20);

    EXPECT_EQ(p.buttons[2].Value, (model::KeyFunctionCode{{0x90, 0x21, 5}}));
    EXPECT_EQ(p.buttons[3].Value, (model::KeyFunctionCode{{0x90, 0x12, 0}}));
    EXPECT_EQ(p.buttons[5].Value, (model::KeyFunctionCode{{0x90, 0x21, 5}}));
    int chunksForSlot1 = 0, chunksForSlot2 = 0;
    for (const auto& r : h.takeReports()) {
        if (r[device::kOffCommand] != device::kCmdMacroChunk)
            continue;
        (r[7] == 1 ? chunksForSlot1 : chunksForSlot2)++;
    }
    EXPECT_EQ(chunksForSlot1, 2) << "macro A (27 data bytes) is written once, in two chunks";
    EXPECT_EQ(chunksForSlot2, 1);
    auto state = h.mouse->state();
    EXPECT_EQ(state.macros[1].data.size(), 27u);
    EXPECT_EQ(state.buttons[2], (std::array<std::uint8_t, 3>{0x90, 0x21, 5}));

    h.core->MarkGroup(SettingGroup::Buttons);
    h.advance(20);
    EXPECT_TRUE(h.takeCodes().empty()) << "a second download finds nothing new";
}

TEST(SettingsDownload, DeletedLibraryMacroDisablesItsButton) {
    DeviceCoreHarness h;
    h.start({Form::Wired});
    auto a = addLibraryMacro(u"A", 1);
    giveButtonMacro(h.profile(), 2, a);
    h.core->MarkGroup(SettingGroup::Buttons);
    h.advance(20);
    h.takeCodes();

    macro::TheMacroLibrary().Remove(macro::MacroLocation::At(0));
    h.core->MarkGroup(SettingGroup::Buttons);
    h.advance(20);
    EXPECT_EQ(h.profile().buttons[2].Value, model::KeyFunctionCode{});
    EXPECT_EQ(h.profile().buttons[2].Name, model::LanguageText(34));
    auto reports = h.takeReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0][7], 2);
    EXPECT_EQ(reports[0][8], 0x00);
}

TEST(SettingsDownload, HiddenWindowWritesNothingAndKeepsTheMarks) {
    DeviceCoreHarness h("1");
    auto status = h.mouse->status();
    status.online = false; // the window stays in the tray
    h.mouse->setStatus(status);
    h.start({Form::Wired});
    h.takeCodes();
    h.profile().DPIOffOnFlagValue = 0x0F;
    h.core->MarkGroup(SettingGroup::SensorLighting);
    h.advance(20);
    EXPECT_TRUE(h.takeCodes().empty());
    EXPECT_TRUE(h.core->Download().IsMarked(SettingGroup::SensorLighting));
    h.core->SetWindowOpen(true);
    h.core->RunDownload();
    h.loop.runUntilIdle(); // the paced positions of the buttons the scan marked come first
    EXPECT_EQ(h.takeCodes(), Codes{device::kCmdDpiLevels});
}

TEST(SettingsDownload, EditsWithoutAMouseAreWrittenAfterTheFirstScanThatFindsIt) {
    DeviceCoreHarness h;
    h.start({});
    h.profile().SetPairValue(model::kPairKeyDebounce, 20);
    h.profile().SetPairValue(model::kPairPowerDownTime, 8);
    h.core->MarkGroup(SettingGroup::SensorLighting);
    h.core->MarkGroup(SettingGroup::Power);
    h.advance(20);
    EXPECT_FALSE(h.core->Download().IsMarked(SettingGroup::Power));

    h.mouse->plug(Form::Receiver); // arrival → scan → download 20 ms later
    h.advance(20);
    EXPECT_EQ(h.takeCodes(), (Codes{device::kCmdDebounce, device::kCmdPowerSaving}));
    EXPECT_TRUE(h.window.progress.empty()) << "the download after a scan shows no progress";
    EXPECT_EQ(h.mouse->state().debounceMs, 20);
    EXPECT_EQ(h.mouse->state().powerDownTime, 8);
}

TEST(SettingsDownload, AWriteThatFailsIsWrittenAgainByTheNextDownload) {
    DeviceCoreHarness h;
    h.start({Form::Wired});
    h.takeCodes();
    h.profile().SetPairValue(model::kPairMotionWakeup, 0);
    h.core->Download().Mark(SettingGroup::Wake);
    // The mouse goes away before the removal is handled: the write fails.
    h.mouse->unplug(Form::Wired);
    h.core->RunDownload();
    EXPECT_TRUE(h.window.progress.empty()) << "a failed write is not reported as written";

    h.loop.runUntilIdle(); // the removal: no form left, the program would quit
    h.mouse->plug(Form::Wired);
    h.loop.runUntilIdle();
    h.core->MarkGroup(SettingGroup::Wake);
    h.advance(20);
    EXPECT_EQ(h.takeCodes(), Codes{device::kCmdMotionWakeup});
    EXPECT_EQ(h.mouse->state().motionWakeup, 0);
}

TEST(SettingsDownload, UnpluggingTheLastFormQuitsAfterThePendingSave) {
    DeviceCoreHarness h;
    h.start({Form::Wired, Form::Receiver});
    h.profile().SetPairValue(model::kPairProfileName, u"Unsaved");
    h.core->MarkGroup(SettingGroup::Wake);
    h.advance(20);
    ASSERT_TRUE(h.core->SavePending());

    h.mouse->unplug(Form::Receiver);
    h.loop.runUntilIdle();
    EXPECT_EQ(h.window.count("quit"), 0) << "the wired mouse is still there";
    h.mouse->unplug(Form::Wired);
    h.loop.runUntilIdle();
    EXPECT_EQ(h.window.calls.back(), "quit");
    EXPECT_EQ(h.window.count("hide"), 1);
    EXPECT_EQ(h.window.count("close-windows"), 1);
    EXPECT_FALSE(h.core->WindowOpen());
    EXPECT_FALSE(h.core->SavePending());
    model::ProfileRecord reread;
    ASSERT_TRUE(model::ReadProfileRecord(reread, model::Config().ProfileSlotPath(0)));
    EXPECT_EQ(reread.PairValue(model::kPairProfileName), u"Unsaved");
}

TEST(SettingsDownload, PrimedShadowsHoldEveryCommandAndWrittenReportsNumberInTurn) {
    DeviceCoreHarness h;
    h.start({Form::Wired});
    auto& p = h.profile();
    // Something other than the factory value in every compared command, the lighting with a
    // length that depends on its colours.
    p.buttons[1].Value = model::KeyFunctionCode{{0x10, 0x04, 0x00}};
    p.DPIOffOnFlagValue = 0x07;
    p.DPILevelIndication[2] = model::MakeColour(9, 8, 7);
    p.PollingRateValue = {0, 0, 0};
    p.Lighting1ModeValue = {2, 0, 0};
    p.Lighting1ColorSelected[2] = {1, 1, 0, 0, 0, 0, 0, 0, 0, 0};
    p.Lighting1FixedColor[2][0] = model::MakeColour(1, 2, 3);
    p.Lighting1FixedColor[2][1] = model::MakeColour(4, 5, 6);
    p.SetPairValue(model::kPairLiftDetectionHeight, 1);
    p.SetPairValue(model::kPairKeyDebounce, 12);
    p.SetPairValue(model::kPairPowerDownTime, 3);
    p.SetPairValue(model::kPairMotionWakeup, 0);
    h.core->PrimeShadows();
    h.takeReports();
    for (auto group : {SettingGroup::Buttons, SettingGroup::SensorLighting, SettingGroup::Power, SettingGroup::Wake})
        h.core->MarkGroup(group);
    h.advance(20);
    EXPECT_TRUE(h.takeCodes().empty()) << "priming stored what sending compares";

    // Two changes: each report carries the next number, with none used up by the unchanged ones.
    p.Lighting1ColorSelected[2][0] = 0;
    p.SetPairValue(model::kPairMotionWakeup, 1);
    h.core->MarkGroup(SettingGroup::SensorLighting);
    h.core->MarkGroup(SettingGroup::Wake);
    h.advance(20);
    auto reports = h.takeReports();
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0][device::kOffCommand], device::kCmdLighting);
    EXPECT_EQ(reports[0][device::kOffLength], 6) << "one colour fewer";
    EXPECT_EQ(reports[1][device::kOffCommand], device::kCmdMotionWakeup);
    EXPECT_EQ(reports[1][device::kOffSequence], static_cast<std::uint8_t>(reports[0][device::kOffSequence] + 1));
    h.core->Connection().ReadStatus();
    auto status = h.takeReports();
    ASSERT_FALSE(status.empty());
    EXPECT_EQ(status[0][device::kOffSequence], static_cast<std::uint8_t>(reports[1][device::kOffSequence] + 1));
}

TEST(SettingsDownload, MacroEditedWithoutAMouseIsWrittenOnceItIsPluggedIn) {
    DeviceCoreHarness h;
    auto a = addLibraryMacro(u"A", 2);
    giveButtonMacro(h.profile(), 2, a);
    h.start({}); // primed with the two-event macro: the mouse is taken to hold it
    auto& macro = h.profile().buttons[2].Macro;
    macro.InsertAction(macro.MacroActionNum, model::MakeKeyEvent(0x42, false));
    macro.MacroCommandActionNum = macro.CountEvents();
    h.core->MarkGroup(SettingGroup::Buttons);
    h.advance(20);

    h.mouse->plug(Form::Wired);
    h.advance(20);
    auto codes = h.takeCodes();
    EXPECT_EQ(std::count(codes.begin(), codes.end(), device::kCmdMacroChunk), 1);
    EXPECT_EQ(h.mouse->state().macros[1].data.size(), 9u) << "three events reached the mouse";
    h.core->MarkGroup(SettingGroup::Buttons);
    h.advance(20);
    EXPECT_TRUE(h.takeCodes().empty()) << "and it is written once";
}
