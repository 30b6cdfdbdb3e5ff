// Status, window-open rules, level changes made on the mouse, the no-mouse warning and the factory
// reset, driven through the virtual mouse on the virtual clock.
#include "device/DeviceCoreHarness.h"

#include "device/CommandReports.h"
#include "model/ProfileFile.h"

#include <gtest/gtest.h>

#include <cerrno>

using namespace quorvik;
using device::Form;
using test::DeviceCoreHarness;

namespace {

int statusRequests(const std::vector<std::uint8_t>& codes) {
    return static_cast<int>(std::count(codes.begin(), codes.end(), device::kCmdReadStatus));
}

} // namespace

TEST(DeviceStatus, ReceiverWithTheMouseOffThenOnThenOffAgain) {
    DeviceCoreHarness h("1");
    auto status = h.mouse->status();
    status.online = false;
    h.mouse->setStatus(status);
    h.start({Form::Receiver});
    EXPECT_EQ(h.window.count("minimise"), 1) << "NeedPassword 1 starts minimised";
    EXPECT_FALSE(h.core->WindowOpen());
    EXPECT_EQ(statusRequests(h.takeCodes(true)), 1) << "the first scan reads the status once";

    h.advance(device::kNoMouseDelayMs);
    EXPECT_EQ(h.window.attentions, std::vector<int>{156});
    EXPECT_GE(h.window.count("hide"), 1) << "timer 40 keeps the window hidden";

    h.advance(60000);
    EXPECT_EQ(statusRequests(h.takeCodes(true)), 0) << "no status poll while the window is not open";
    EXPECT_TRUE(h.window.battery.empty());

    status.online = true;
    h.mouse->setStatus(status);
    h.loop.post(h.hwnd, device::kMsgOpenRequest);
    h.loop.runUntilIdle();
    EXPECT_TRUE(h.core->WindowOpen());
    EXPECT_TRUE(h.core->OpenedByDevice());
    EXPECT_EQ(h.window.calls.back(), "show");

    status.online = false;
    h.mouse->setStatus(status);
    h.advance(21000); // one status poll
    EXPECT_EQ(h.window.calls.back(), "minimise") << "going offline minimises, it does not hide";
    EXPECT_TRUE(h.core->WindowOpen());
    EXPECT_FALSE(h.core->OpenedByDevice());
}

TEST(DeviceStatus, WindowOpenFromTheStartIsNeverMinimisedByTheOnlineFlag) {
    DeviceCoreHarness h("0");
    h.start({Form::Receiver});
    auto status = h.mouse->status();
    status.online = false;
    h.mouse->setStatus(status);
    h.advance(25000);
    EXPECT_EQ(h.window.count("minimise"), 0);
    EXPECT_TRUE(h.core->WindowOpen());
    EXPECT_TRUE(h.window.attentions.empty()) << "the mouse was online at start-up";
}

TEST(DeviceStatus, NoMouseWarningPicksItsText) {
    {
        DeviceCoreHarness h;
        h.start({});
        h.advance(device::kNoMouseDelayMs);
        EXPECT_EQ(h.window.attentions, std::vector<int>{155});
        h.advance(10000);
        EXPECT_EQ(h.window.attentions.size(), 1u) << "the warning comes once";
    }
    {
        DeviceCoreHarness h;
        h.start({Form::Wired});
        h.advance(device::kNoMouseDelayMs);
        EXPECT_TRUE(h.window.attentions.empty());
    }
}

TEST(DeviceStatus, AMouseTheUserMayNotOpenIsNamedInsteadOfTheNoMouseWarning) {
    // Every node of the wired mouse is closed to the user: the warning names the first one.
    {
        DeviceCoreHarness h;
        h.mouse->plug(Form::Wired);
        for (int i = 0; i < int(emulator::kInterfacesPerForm); ++i)
            h.bus.setOpenError(*h.bus.interfacePath(i), EACCES);
        h.start({});
        h.advance(device::kNoMouseDelayMs);
        EXPECT_TRUE(h.window.attentions.empty());
        EXPECT_EQ(h.window.noAccess, std::vector<std::string>{*h.bus.interfacePath(0)});
        h.advance(30000);
        EXPECT_EQ(h.window.noAccess.size(), 1u) << "once per start";
    }
    // The receiver opens but its mouse is off, while the cable's mouse may not be opened: the
    // plugged-in wired mouse is what the user needs to hear about.
    {
        DeviceCoreHarness h;
        auto status = h.mouse->status();
        status.online = false;
        h.mouse->setStatus(status);
        h.mouse->plug(Form::Wired);
        h.mouse->plug(Form::Receiver);
        const std::string wired = *h.bus.interfacePath(2);
        h.bus.setOpenError(wired, EACCES);
        h.start({});
        h.advance(device::kNoMouseDelayMs);
        EXPECT_TRUE(h.window.attentions.empty());
        EXPECT_EQ(h.window.noAccess, std::vector<std::string>{wired});
    }
    // Only the receiver's notification node is closed and the mouse is off: still "switch it on".
    {
        DeviceCoreHarness h;
        auto status = h.mouse->status();
        status.online = false;
        h.mouse->setStatus(status);
        h.mouse->plug(Form::Receiver);
        h.bus.setOpenError(*h.bus.interfacePath(4), EACCES);
        h.start({});
        h.advance(device::kNoMouseDelayMs);
        EXPECT_EQ(h.window.attentions, std::vector<int>{156});
        EXPECT_TRUE(h.window.noAccess.empty());
    }
    // A node that fails for another reason than access is no access problem.
    {
        DeviceCoreHarness h;
        h.mouse->plug(Form::Wired);
        for (int i = 0; i < int(emulator::kInterfacesPerForm); ++i)
            h.bus.setOpenError(*h.bus.interfacePath(i), EBUSY);
        h.start({});
        h.advance(device::kNoMouseDelayMs);
        EXPECT_EQ(h.window.attentions, std::vector<int>{155});
        EXPECT_TRUE(h.window.noAccess.empty());
    }
}

TEST(DeviceStatus, BatteryPollAndFullCharge) {
    DeviceCoreHarness h;
    auto status = h.mouse->status();
    status.battery = 37;
    status.chargeState = 2;
    h.mouse->setStatus(status);
    h.start({Form::Wired});
    EXPECT_EQ(h.core->BatteryLevel(), 100) << "fully charged shows 100";
    EXPECT_EQ(h.core->ChargeState(), 2);

    status.battery = 150;
    status.chargeState = 0;
    h.mouse->setStatus(status);
    h.takeCodes();
    h.advance(21000);
    EXPECT_EQ(statusRequests(h.takeCodes(true)), 1) << "the 21st tick reads the status";
    ASSERT_FALSE(h.window.battery.empty());
    EXPECT_EQ(h.window.battery.back().level, 0) << "a battery byte above 100 shows as 0";
    h.advance(21000);
    EXPECT_EQ(statusRequests(h.takeCodes(true)), 1) << "then every 21 ticks";
    // The phase runs 25, 50, 75, 100, 25, …
    for (const auto& b : h.window.battery)
        EXPECT_TRUE(b.phase == 25 || b.phase == 50 || b.phase == 75 || b.phase == 100);
}

TEST(DeviceStatus, UnansweredStatusChangesNothing) {
    DeviceCoreHarness h;
    auto status = h.mouse->status();
    status.answered = false;
    status.battery = 55;
    h.mouse->setStatus(status);
    h.start({Form::Wired});
    EXPECT_EQ(statusRequests(h.takeCodes(true)), 2) << "two attempts";
    EXPECT_EQ(h.core->BatteryLevel(), 10);
}

TEST(DeviceStatus, SensorChangeReportedByTheMouseResetsAndSavesAllProfilesOnce) {
    DeviceCoreHarness h;
    for (int s = 0; s < model::kProfileSlotCount; ++s)
        model::Profile(s).XYSetting[0] = 0x20;
    auto status = h.mouse->status();
    status.sensorCode = 0x60;
    h.mouse->setStatus(status);
    h.start({Form::Wired});
    EXPECT_EQ(model::SensorIdentifier(), 0x3360);
    EXPECT_EQ(model::Config().Value(model::kCfgSensor), u"0x3360");
    EXPECT_EQ(model::Config().Value(model::kCfgPreST), u"0xCC9F");
    EXPECT_EQ(h.core->Tables().StepCount(), 121);
    ASSERT_EQ(h.window.sensorUpdates.size(), 1u);
    EXPECT_EQ(h.window.sensorUpdates[0], (std::pair<int, int>{1, 121}));
    for (int s = 0; s < model::kProfileSlotCount; ++s) {
        EXPECT_EQ(model::Profile(s).XYSetting[0], 0x03);
        model::ProfileRecord saved;
        ASSERT_TRUE(model::ReadProfileRecord(saved, model::Config().ProfileSlotPath(s)));
        EXPECT_EQ(saved.XYSetting[0], 0x03) << "slot " << s;
    }
    model::Profile(1).XYSetting[0] = 0x20;
    h.loop.post(h.hwnd, device::kMsgOpenRequest);
    h.loop.runUntilIdle();
    EXPECT_EQ(model::Profile(1).XYSetting[0], 0x20) << "the same sensor again changes nothing";
    EXPECT_EQ(h.window.sensorUpdates.size(), 1u);
}

TEST(DeviceStatus, ASensorCodeOutsideTheTableChangesNothingAtAnyRead) {
    DeviceCoreHarness h;
    auto status = h.mouse->status();
    status.sensorCode = 0x4F; // no sensor of the table
    h.mouse->setStatus(status);
    for (int s = 0; s < model::kProfileSlotCount; ++s) {
        model::Profile(s).DPIOffOnFlagValue = 0x07;
        model::Profile(s).DPILevelIndication[0] = 0x123456;
    }
    h.start({Form::Wired});
    for (int read = 0; read < 3; ++read) {
        h.loop.post(h.hwnd, device::kMsgOpenRequest);
        h.loop.runUntilIdle();
        h.advance(21000); // and the poll's own read
    }
    EXPECT_TRUE(h.window.sensorUpdates.empty());
    EXPECT_EQ(model::SensorIdentifier(), 0x3325);
    for (int s = 0; s < model::kProfileSlotCount; ++s) {
        EXPECT_EQ(model::Profile(s).DPIOffOnFlagValue, 0x07) << "slot " << s;
        EXPECT_EQ(model::Profile(s).DPILevelIndication[0], 0x123456u) << "slot " << s;
    }
}

TEST(DeviceStatus, LevelChangeOnTheMouseUpdatesTheProfileAndIsNotSentBack) {
    DeviceCoreHarness h;
    h.start({Form::Wired});
    h.takeCodes();
    ASSERT_EQ(h.profile().DPIOffOnFlagValue, 0x3F);
    device::Report report{};
    report[0] = 0x05;
    report[1] = 0x06;
    report[3] = 0x02; // 500 Hz
    report[4] = 0x03; // level 3
    h.mouse->sendInputReport(Form::Wired, report);
    ASSERT_TRUE(h.loop.waitForPost());
    h.loop.runUntilIdle(); // the on-screen display message
    EXPECT_EQ(h.profile().CurrentDPILevelValue, 2);
    EXPECT_EQ(h.profile().PollingRateValue, (std::array<std::uint8_t, 3>{2, 0, 0}));
    EXPECT_EQ(h.profile().PollingRateName, u"500Hz");
    EXPECT_EQ(h.core->DeviceLevel(), 2);
    ASSERT_EQ(h.window.osd.size(), 1u);
    EXPECT_EQ(h.window.osd[0].title, u"DPI-3");
    EXPECT_EQ(h.window.osd[0].rate, u"500Hz");
    // Sensor 0x3325: level-3 code 0x16 is step value 48 → 2400 DPI.
    EXPECT_EQ(h.window.osd[0].value, u"2400");

    h.core->MarkGroup(device::SettingGroup::SensorLighting);
    h.advance(20);
    EXPECT_TRUE(h.takeCodes().empty()) << "the mouse already holds level and rate";
}

TEST(DeviceStatus, LevelChangesArriveInOrderAndConfusedLevelsAreIgnored) {
    DeviceCoreHarness h;
    h.start({Form::Wired});
    h.profile().DPIOffOnFlagValue = 0x2D; // levels 1, 3, 4, 6
    auto deliver = [&](std::uint8_t interval, std::uint8_t level) {
        device::Report report{};
        report[0] = 0x05;
        report[1] = 0x06;
        report[3] = interval;
        report[4] = level;
        h.mouse->sendInputReport(Form::Wired, report);
        ASSERT_TRUE(h.loop.waitForPost());
        h.loop.runUntilIdle();
    };
    deliver(8, 0);
    deliver(8, 9);
    EXPECT_TRUE(h.window.osd.empty()) << "levels 0 and 9 come from a confused device";
    EXPECT_EQ(h.profile().CurrentDPILevelValue, 1);
    deliver(4, 2);
    deliver(8, 4);
    ASSERT_EQ(h.window.osd.size(), 2u);
    EXPECT_EQ(h.window.osd[0].title, u"DPI-3") << "the second enabled level is level 3";
    EXPECT_EQ(h.window.osd[0].rate, u"250Hz");
    EXPECT_EQ(h.window.osd[1].title, u"DPI-6");
    EXPECT_EQ(h.window.osd[1].rate, u"125Hz");
    EXPECT_EQ(h.profile().CurrentDPILevelValue, 3);
}

TEST(DeviceStatus, VirtualMouseButtonsCycleAndReachTheDisplay) {
    DeviceCoreHarness h;
    h.start({Form::Receiver});
    h.mouse->pressRateButton(Form::Receiver);
    ASSERT_TRUE(h.loop.waitForPost());
    h.loop.runUntilIdle();
    ASSERT_EQ(h.window.osd.size(), 1u);
    EXPECT_EQ(h.profile().PollingRateName, h.window.osd[0].rate);
}

TEST(DeviceStatus, FactoryResetWithoutAMouseChangesNothingAndSaysSo) {
    DeviceCoreHarness h;
    h.start({});
    auto& p = h.profile();
    p.SetPairValue(model::kPairProfileName, u"Mine");
    p.SetPairValue(model::kPairKeyDebounce, 30);

    h.loop.send(h.hwnd, device::kMsgFactoryReset, 0, 2);
    EXPECT_EQ(h.window.attentions, std::vector<int>{155});
    EXPECT_EQ(h.window.count("confirm-reset"), 0) << "nothing to confirm without a mouse";
    EXPECT_FALSE(h.core->FactoryReset());
    EXPECT_EQ(h.window.attentions, (std::vector<int>{155, 155}));
    EXPECT_TRUE(h.window.progress.empty()) << "no write progress for a reset nobody received";
    EXPECT_EQ(p.PairValue(model::kPairKeyDebounce), u"30");
    model::ProfileRecord saved;
    ASSERT_TRUE(model::ReadProfileRecord(saved, model::Config().ProfileSlotPath(0)));
    EXPECT_NE(saved.PairValue(model::kPairProfileName), u"Mine") << "nothing was saved";

    // The mouse plugged in afterwards gets the profile the window still shows.
    h.mouse->plug(Form::Wired);
    h.loop.runUntilIdle();
    h.advance(device::kDownloadDelayMs);
    EXPECT_EQ(h.mouse->state().debounceMs, 30);
    EXPECT_EQ(h.mouse->factoryResetCount(), 0u);
}

TEST(DeviceStatus, FactoryResetKeepsTheNameAndWritesOnlyTheResetCommand) {
    DeviceCoreHarness h;
    h.start({Form::Wired});
    h.takeCodes();
    auto& p = h.profile();
    p.SetPairValue(model::kPairProfileName, u"Mine");
    p.DPIOffOnFlagValue = 0x03;
    p.buttons[1].Value = model::KeyFunctionCode{{0x70, 0x01, 0x06}};

    h.window.confirmReset = false;
    h.loop.send(h.hwnd, device::kMsgFactoryReset, 0, 2);
    EXPECT_TRUE(h.takeCodes().empty()) << "declined";

    h.window.confirmReset = true;
    h.loop.send(h.hwnd, device::kMsgFactoryReset, 0, 1);
    EXPECT_EQ(h.window.count("confirm-reset"), 1) << "other lParam values are ignored";
    h.loop.send(h.hwnd, device::kMsgFactoryReset, 0, 2);
    EXPECT_EQ(h.takeCodes(), std::vector<std::uint8_t>{device::kCmdFactoryReset});
    EXPECT_EQ(p.PairValue(model::kPairProfileName), u"Mine");
    EXPECT_EQ(p.DPIOffOnFlagValue, 0x3F);
    EXPECT_EQ(h.window.progress, std::vector<int>{146});
    EXPECT_EQ(h.mouse->factoryResetCount(), 1u);
    model::ProfileRecord saved;
    h.loop.runUntilIdle(); // the save is written off the main thread
    ASSERT_TRUE(model::ReadProfileRecord(saved, model::Config().ProfileSlotPath(0)));
    EXPECT_EQ(saved.PairValue(model::kPairProfileName), u"Mine");
    EXPECT_EQ(saved.buttons[1].Value, (model::KeyFunctionCode{{0x10, 0x02, 0x00}}));

    h.core->MarkGroup(device::SettingGroup::Buttons);
    h.core->MarkGroup(device::SettingGroup::SensorLighting);
    h.advance(20);
    EXPECT_TRUE(h.takeCodes().empty()) << "the shadows hold the factory profile the mouse now has";
}
