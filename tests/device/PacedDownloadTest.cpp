// The download as the loop paces it: its reports keep their order and spacing on the wire while
// the main thread goes on between them, and nothing the user did meanwhile is lost.
#include "device/DeviceCoreHarness.h"

#include "device/CommandReports.h"
#include "model/ProfileFile.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace quorvik;
using device::Form;
using device::SettingGroup;
using test::DeviceCoreHarness;

namespace {

using Codes = std::vector<std::uint8_t>;

// A window of the test's own: what reaches it shows the main thread was free.
struct Listener : platform::MessageHandler {
    std::vector<std::uint64_t> at;
    platform::VirtualClockLoop* loop = nullptr;
    platform::LRESULT handleMessage(unsigned message, platform::WPARAM, platform::LPARAM) override {
        if (message == platform::WM_USER)
            at.push_back(loop->now());
        return 0;
    }
};

// A library macro of `events` presses of 'A', each followed by a 10 ms delay, on `button`.
void giveButtonAMacro(model::ProfileRecord& profile, int button, const std::u16string& name, int events) {
    auto& library = macro::TheMacroLibrary();
    macro::MacroLocation current = macro::MacroLocation::None();
    ASSERT_EQ(library.AddMacro(name, current), macro::AddResult::Added);
    model::MacroRecord& record = *library.SlotAt(current)->macro;
    for (int i = 0; i < events; ++i) {
        record.InsertAction(record.MacroActionNum, model::MakeKeyEvent(0x41, false));
        record.InsertAction(record.MacroActionNum, model::MakeDelay(10));
    }
    record.MacroCommandActionNum = record.CountEvents();
    profile.AssignMacro(button, &record);
    profile.buttons[std::size_t(button)].MacroKeyIndex = record.MacroKeyIndex;
    profile.buttons[std::size_t(button)].Value = model::KeyFunctionCode{{model::kMacroFunctionClass, 0, 0}};
}

// Something other than the factory value in every command of a profile, and two macro buttons.
void editEverything(model::ProfileRecord& p) {
    p.buttons[1].Value = model::KeyFunctionCode{{0x10, 0x04, 0x00}};
    p.buttons[5].Value = model::KeyFunctionCode{{0x10, 0x08, 0x00}};
    p.DPIOffOnFlagValue = 0x07;
    p.DPILevelIndication[2] = model::MakeColour(9, 8, 7);
    p.PollingRateValue = {0, 0, 0};
    p.Lighting1ModeValue = {3, 0, 0};
    p.SetPairValue(model::kPairLiftDetectionHeight, 1);
    p.SetPairValue(model::kPairKeyDebounce, 20);
    p.SetPairValue(model::kPairPowerDownTime, 3);
    p.SetPairValue(model::kPairMotionWakeup, 0);
    giveButtonAMacro(p, 3, u"Long", 40); // five chunks
    giveButtonAMacro(p, 6, u"Short", 2);
}

// What a mouse holds once it was given every report of `profile`, one after the other.
emulator::MouseState stateAfterEverything(const model::ProfileRecord& profile, const device::SensorTables& tables) {
    platform::VirtualClockLoop loop;
    platform::SimulatedHidBus bus;
    emulator::VirtualMouse mouse(bus, loop);
    mouse.plug(Form::Wired);
    loop.runUntilIdle();
    auto device = bus.open(*bus.interfacePath(emulator::kCommandInterface));
    device::SequenceNumber sequence;
    device::SettingsDownload download(
        {[&](const device::Report& r) { return device->setFeature(r); }, [] { return true; }, sequence}, tables);
    model::ProfileRecord copy = profile;
    download.ForceNextRun();
    device::DownloadPlan plan = download.Plan(copy, macro::TheMacroLibrary());
    for (const device::DownloadStep& step : plan.steps)
        if (step.report)
            download.Write(plan, step);
    return mouse.state();
}

} // namespace

TEST(PacedDownload, ReportsKeepTheirSpacingWhileTheMainThreadGoesOnBetweenThem) {
    DeviceCoreHarness h;
    h.start({Form::Wired});
    h.mouse->clearTrace();
    h.traceSeen = 0;
    h.loop.SetPendingWork(nullptr); // look inside the download
    Listener listener;
    listener.loop = &h.loop;
    const platform::WindowHandle other = h.loop.registerWindow(&listener);

    // Button position 6 (after six unchanged, paced positions) and the DPI levels.
    h.profile().buttons[6].Value = model::KeyFunctionCode{{0x10, 0x10, 0x00}};
    h.profile().DPIOffOnFlagValue = 0x1F;
    const std::uint64_t marked = h.loop.now();
    h.core->MarkGroup(SettingGroup::Buttons);
    h.core->MarkGroup(SettingGroup::SensorLighting);
    h.advance(20);
    EXPECT_TRUE(h.core->DownloadRunning());
    EXPECT_TRUE(h.takeReports().empty()) << "positions 0 to 5 have not changed: their pauses come first";
    for (int i = 0; i < 5; ++i) {
        h.loop.post(other, platform::WM_USER);
        h.advance(100);
    }
    EXPECT_EQ(listener.at.size(), 5u) << "messages were handled while the download waited for the mouse";
    h.advance(1000);
    EXPECT_FALSE(h.core->DownloadRunning());

    const auto trace = h.mouse->trace();
    ASSERT_EQ(trace.size(), 2u);
    EXPECT_EQ(trace[0].bytes[device::kOffCommand], device::kCmdButton);
    EXPECT_EQ(trace[0].ms, marked + device::kDownloadDelayMs + 6 * device::kReportPacingMs);
    EXPECT_EQ(trace[1].bytes[device::kOffCommand], device::kCmdDpiLevels);
    EXPECT_EQ(trace[1].ms - trace[0].ms, device::kReportPacingMs);
    EXPECT_EQ(trace[1].bytes[device::kOffSequence], std::uint8_t(trace[0].bytes[device::kOffSequence] + 1));
    EXPECT_EQ(h.window.progress, std::vector<int>{146});
    EXPECT_EQ(h.window.progressCounts, (std::pair<std::size_t, std::size_t>{2, 2}));
    EXPECT_FALSE(h.window.progressOpen) << "the window is told the download ended";
    h.loop.unregisterWindow(other);
}

TEST(PacedDownload, EditsMadeDuringADownloadGoOutInTheNextOneAndBuiltReportsKeepTheirBytes) {
    DeviceCoreHarness h;
    h.start({Form::Wired});
    h.mouse->clearTrace();
    h.traceSeen = 0;
    h.loop.SetPendingWork(nullptr);
    auto& p = h.profile();
    p.DPIOffOnFlagValue = 0x1F;
    p.SetPairValue(model::kPairKeyDebounce, 20);
    h.core->MarkGroup(SettingGroup::SensorLighting);
    h.advance(20); // the DPI levels went out, the debounce report is built and waits its turn
    ASSERT_EQ(h.takeCodes(), Codes{device::kCmdDpiLevels});
    // A second click 30 ms into the download: the level and a new debounce.
    p.DPIOffOnFlagValue = 0x0F;
    p.SetPairValue(model::kPairKeyDebounce, 24);
    h.core->MarkGroup(SettingGroup::SensorLighting);
    h.advance(30);
    h.advance(30);
    auto first = h.takeReports();
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0][device::kOffCommand], device::kCmdDebounce);
    EXPECT_EQ(first[0][device::kOffPayload], 20) << "the report keeps the bytes it was built with";

    h.advance(2000);
    EXPECT_EQ(h.takeCodes(), (Codes{device::kCmdDpiLevels, device::kCmdDebounce})) << "one download more";
    EXPECT_EQ(h.mouse->state().levelMask, 0x0F);
    EXPECT_EQ(h.mouse->state().debounceMs, 24);
    const auto trace = h.mouse->trace();
    for (std::size_t i = 1; i < trace.size(); ++i)
        EXPECT_GE(trace[i].ms - trace[i - 1].ms, device::kReportPacingMs) << "report " << i;
    EXPECT_EQ(h.window.progress.size(), 2u);
}

TEST(PacedDownload, StatusReadsLevelChangesAndResetsWaitForTheDownload) {
    DeviceCoreHarness h;
    h.start({Form::Wired});
    h.mouse->clearTrace();
    h.traceSeen = 0;
    h.loop.SetPendingWork(nullptr);
    auto& p = h.profile();
    p.buttons[6].Value = model::KeyFunctionCode{{0x10, 0x10, 0x00}};
    h.core->MarkGroup(SettingGroup::Buttons);
    h.advance(20);
    ASSERT_TRUE(h.core->DownloadRunning());

    h.core->Connection().ReadStatus(); // the poll's, say
    h.mouse->pressDpiButton(Form::Wired);
    ASSERT_TRUE(h.loop.waitForPost());
    EXPECT_TRUE(h.window.osd.empty()) << "the mouse's change is taken in after the download";
    EXPECT_TRUE(h.core->FactoryReset()) << "taken, to follow the download";
    h.advance(5000);

    const auto trace = h.mouse->trace();
    Codes codes;
    for (const auto& entry : trace)
        codes.push_back(entry.bytes[device::kOffCommand]);
    EXPECT_EQ(codes, (Codes{device::kCmdButton, device::kCmdReadStatus, device::kCmdFactoryReset}));
    EXPECT_GE(trace[1].ms - trace[0].ms, device::kReportPacingMs) << "the download's last pause holds";
    EXPECT_EQ(h.window.osd.size(), 1u);
    model::ProfileRecord factory;
    factory.ResetToFactory(0);
    EXPECT_EQ(h.profile().buttons[6].Value, factory.buttons[6].Value) << "the reset came last";
}

TEST(PacedDownload, AMouseUnpluggedHalfwayGetsTheWholeProfile) {
    DeviceCoreHarness h;
    h.start({Form::Wired, Form::Receiver});
    h.takeReports();
    editEverything(h.profile());
    const emulator::MouseState expected = stateAfterEverything(h.profile(), h.core->Tables());

    h.loop.SetPendingWork(nullptr);
    h.core->Download().ForceNextRun();
    h.core->RunDownload();
    h.advance(8 * device::kReportPacingMs);
    const std::size_t before = h.takeReports().size();
    ASSERT_GT(before, 4u);
    ASSERT_LT(before, 15u) << "halfway";
    // The wired mouse's cable is pulled: the scan of the removal ends the download, and the one it
    // schedules sends the rest through the receiver.
    h.mouse->unplug(Form::Wired);
    h.loop.runUntilIdle();
    EXPECT_FALSE(h.core->DownloadRunning());
    h.loop.SetPendingWork([&] { return h.core->Busy(); });
    h.advance(20);
    EXPECT_EQ(h.mouse->state(), expected);
    EXPECT_TRUE(h.window.progress.size() <= 1u) << "the download after a scan shows no progress";

    // Back on its cable, it is told nothing more: it has it all.
    h.takeReports();
    h.mouse->plug(Form::Wired);
    h.advance(20);
    EXPECT_TRUE(h.takeCodes().empty());
    EXPECT_EQ(h.mouse->state(), expected);
}

TEST(PacedDownload, TheProgramsEndWaitsForADownloadThenSaves) {
    DeviceCoreHarness h;
    h.start({Form::Wired});
    h.takeReports();
    h.loop.SetPendingWork(nullptr);
    h.profile().DPIOffOnFlagValue = 0x1F;
    h.profile().SetPairValue(model::kPairKeyDebounce, 20);
    h.profile().SetPairValue(model::kPairProfileName, u"Kept");
    h.core->MarkGroup(SettingGroup::SensorLighting);
    h.advance(20);
    ASSERT_TRUE(h.core->DownloadRunning());
    EXPECT_TRUE(h.core->FinishWrites(device::kExitWaitMs));
    EXPECT_EQ(h.takeCodes(), (Codes{device::kCmdDpiLevels, device::kCmdDebounce}));
    h.core->Shutdown();
    model::ProfileRecord reread;
    ASSERT_TRUE(model::ReadProfileRecord(reread, model::Config().ProfileSlotPath(0)));
    EXPECT_EQ(reread.PairValue(model::kPairProfileName), u"Kept");
}

TEST(PacedDownload, TheProgramsEndWaitsNoLongerThanItsBound) {
    DeviceCoreHarness h;
    h.start({Form::Wired});
    h.loop.SetPendingWork(nullptr);
    // Three long macros: some four seconds of chunks.
    giveButtonAMacro(h.profile(), 2, u"One", 160);
    giveButtonAMacro(h.profile(), 3, u"Two", 160);
    giveButtonAMacro(h.profile(), 4, u"Three", 160);
    h.core->MarkGroup(SettingGroup::Buttons);
    h.advance(20);
    const std::uint64_t start = h.loop.now();
    EXPECT_FALSE(h.core->FinishWrites(device::kExitWaitMs));
    EXPECT_LE(h.loop.now() - start, device::kExitWaitMs + device::kReportPacingMs);
    EXPECT_FALSE(h.core->Busy());
    EXPECT_FALSE(h.window.progressOpen);
    EXPECT_TRUE(h.core->SavePending()) << "what was edited is still saved";
}

TEST(PacedDownload, AMacroChangedInPlaceOrMovedToAnotherSlotIsWrittenAgain) {
    DeviceCoreHarness h;
    giveButtonAMacro(h.profile(), 3, u"Same length", 4);
    h.start({Form::Wired});
    h.takeReports();
    // The packed image of an unchanged macro is kept between downloads; one action changed in
    // place (the same count) must still be seen.
    h.profile().buttons[3].Macro.actions[2] = model::MakeKeyEvent(0x42, false);
    h.core->MarkGroup(SettingGroup::Wake);
    h.advance(20);
    EXPECT_EQ(h.takeCodes(), Codes{device::kCmdMacroChunk});
    EXPECT_EQ(h.mouse->state().macros[1].data[3 * 1 + 2], 0x05) << "the second event is B";

    // A second macro button before it takes device slot 1: the first button's macro moves to 2.
    giveButtonAMacro(h.profile(), 1, u"Other", 2);
    h.core->MarkGroup(SettingGroup::Buttons);
    h.advance(20);
    const auto codes = h.takeCodes();
    EXPECT_EQ(std::count(codes.begin(), codes.end(), device::kCmdMacroChunk), 2);
    EXPECT_EQ(h.mouse->state().macros[2].data.size(), 12u) << "four events in slot 2";
}
