#include "device/DeviceConnection.h"

#include "emulator/Descriptors.h"
#include "emulator/VirtualMouse.h"
#include "platform/SimulatedHidBus.h"
#include "platform/VirtualClockLoop.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

using namespace quorvik;
using namespace quorvik::device;
using emulator::VirtualMouse;
using platform::SimulatedHidBus;
using platform::VirtualClockLoop;

namespace {

class RecordingHost : public DeviceHost {
public:
    std::vector<std::string> calls;
    int tickCounter = -1;
    std::vector<Report> statuses;

    int count(const std::string& call) const { return static_cast<int>(std::count(calls.begin(), calls.end(), call)); }

    void SetStatusTickCounter(int value) override { tickCounter = value; }
    void StartStatusTimer() override { calls.push_back("timer110"); }
    void ScheduleDownloadAfterScan() override { calls.push_back("download"); }
    void RefreshMainWindow() override { calls.push_back("refresh"); }
    void HandleStatusResponse(const Report& r) override {
        calls.push_back("status");
        statuses.push_back(r);
    }
    void ClearWindowOpenState() override { calls.push_back("clearOpen"); }
    void HideMainWindow() override { calls.push_back("hide"); }
    void CloseOpenWindows() override { calls.push_back("closeWindows"); }
    void QuitProgram() override { calls.push_back("quit"); }
};

// The main window's part: device changes go to the link, level changes are kept in order.
class Window : public platform::MessageHandler {
public:
    DeviceConnection* link = nullptr;
    std::vector<std::pair<int, int>> levelChanges;

    platform::LRESULT handleMessage(unsigned message, platform::WPARAM w, platform::LPARAM l) override {
        if (message == platform::WM_DEVICECHANGE && link)
            link->OnDeviceChange(w);
        else if (message == kLevelChangeMessage)
            levelChanges.emplace_back(static_cast<int>(w), static_cast<int>(l));
        return 0;
    }
};

struct DiscoveryTest : ::testing::Test {
    VirtualClockLoop loop;
    SimulatedHidBus bus;
    Window window;
    platform::WindowHandle handle = loop.registerWindow(&window);
    RecordingHost host;
    DeviceConnection link{bus, loop, handle, host};
    VirtualMouse mouse{bus, loop};

    void SetUp() override {
        window.link = &link;
        // A status read runs to its end within the step that started it.
        loop.SetPendingWork([this] { return link.Queue().Busy(); });
        ASSERT_TRUE(link.RegisterNotifications());
    }
    void TearDown() override {
        loop.SetPendingWork(nullptr);
        for (Form form : kForms) {
            mouse.unplug(form);
            EXPECT_TRUE(link.WaitForReaderEnd(form));
        }
    }
    void plug(Form form) {
        mouse.plug(form);
        loop.runUntilIdle();
    }
    void unplug(Form form) {
        mouse.unplug(form);
        loop.runUntilIdle();
    }
    // Delivers posted level changes until `n` have arrived (reader threads post them).
    bool waitForLevelChanges(std::size_t n) {
        while (window.levelChanges.size() < n)
            if (!loop.waitForPost())
                return false;
        return true;
    }
};

} // namespace

TEST_F(DiscoveryTest, OnlyTheReceiver) {
    plug(Form::Receiver);
    EXPECT_TRUE(link.IsPresent(Form::Receiver));
    EXPECT_FALSE(link.IsPresent(Form::Wired));
    EXPECT_TRUE(link.HasFeatureHandle(Form::Receiver));
    EXPECT_TRUE(link.IsReaderRunning(Form::Receiver));
    EXPECT_EQ(link.Target(), Form::Receiver);
    EXPECT_EQ(host.tickCounter, 19);
    // Scan, then the status read that the first arrival asks for, then the refreshes.
    EXPECT_EQ(host.calls, (std::vector<std::string>{"timer110", "download", "status", "refresh", "refresh"}));
    EXPECT_FALSE(link.QueryOnArrival());
    // The command interface (index 2) is the feature interface; the 33/33 interface (index 4) is
    // the input one, not a second feature candidate.
    EXPECT_EQ(link.FeaturePath(Form::Receiver), bus.interfacePath(2));
    EXPECT_EQ(link.InputPath(Form::Receiver), bus.interfacePath(4));

    ASSERT_TRUE(link.WriteCommand(BuildReportRateReport(link.Sequence().Take(), 2)));
    EXPECT_EQ(mouse.trace().back().form, Form::Receiver);
    EXPECT_EQ(mouse.state().reportInterval, 2);
}

TEST_F(DiscoveryTest, BothFormsCommandsGoToTheWiredMouse) {
    plug(Form::Receiver);
    plug(Form::Wired);
    EXPECT_EQ(link.Target(), Form::Wired);
    EXPECT_TRUE(link.HasFeatureHandle(Form::Receiver));
    EXPECT_TRUE(link.IsReaderRunning(Form::Wired));
    EXPECT_TRUE(link.IsReaderRunning(Form::Receiver));
    EXPECT_EQ(host.count("status"), 1); // only the first arrival reads the status
    ASSERT_TRUE(link.WriteCommand(BuildDebounceReport(link.Sequence().Take(), 8)));
    EXPECT_EQ(mouse.trace().back().form, Form::Wired);
}

TEST_F(DiscoveryTest, UnrelatedDeviceCausesNoScanAndIsNeverChosen) {
    // Another vendor's device with a 33/33 interface, enumerated before the mouse.
    bus.plug(emulator::UnrelatedDeviceInterfaces());
    loop.runUntilIdle();
    EXPECT_FALSE(link.AnyDevice());
    plug(Form::Wired);
    EXPECT_EQ(link.InputPath(Form::Wired), bus.interfacePath(2 + 4));
    plug(Form::Receiver);
    const int scans = host.count("download");
    const int opens = bus.totalOpens();
    bus.plug(emulator::UnrelatedDeviceInterfaces());
    loop.runUntilIdle();
    // With both forms present an arrival probes nothing.
    EXPECT_EQ(host.count("download"), scans);
    EXPECT_EQ(bus.totalOpens(), opens);
}

TEST_F(DiscoveryTest, UnpluggingTheReceiverKeepsTheProgramRunning) {
    plug(Form::Wired);
    plug(Form::Receiver);
    unplug(Form::Receiver);
    EXPECT_FALSE(link.IsPresent(Form::Receiver));
    EXPECT_FALSE(link.HasFeatureHandle(Form::Receiver));
    EXPECT_EQ(link.FeaturePath(Form::Receiver), "");
    EXPECT_TRUE(link.HasFeatureHandle(Form::Wired));
    EXPECT_EQ(host.count("quit"), 0);
    EXPECT_TRUE(link.WaitForReaderEnd(Form::Receiver));
    EXPECT_EQ(link.InputPath(Form::Receiver), "");
}

TEST_F(DiscoveryTest, UnpluggingTheLastFormEndsTheProgram) {
    plug(Form::Receiver);
    host.calls.clear();
    unplug(Form::Receiver);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"download", "clearOpen", "hide", "closeWindows", "quit"}));
    EXPECT_TRUE(link.QueryOnArrival());
    EXPECT_FALSE(link.HasTarget());
    EXPECT_FALSE(link.WriteCommand(BuildDebounceReport(1, 8)));
    // A removal with nothing present (another device) changes nothing.
    host.calls.clear();
    loop.post(handle, platform::WM_DEVICECHANGE, platform::DBT_DEVICEREMOVECOMPLETE, 0);
    loop.runUntilIdle();
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(DiscoveryTest, SecondScanReopensNothing) {
    plug(Form::Wired);
    const std::string feature = link.FeaturePath(Form::Wired);
    const int opens = bus.totalOpens();
    link.Scan();
    // One probe open per interface of the form and nothing else: no new feature handle, no new reader.
    EXPECT_EQ(bus.totalOpens() - opens, static_cast<int>(emulator::kInterfacesPerForm));
    EXPECT_TRUE(link.IsPresent(Form::Wired));
    EXPECT_EQ(link.FeaturePath(Form::Wired), feature);
}

TEST_F(DiscoveryTest, LowestIndexWinsAndInputIsTestedFirst) {
    using platform::SimulatedInterface;
    const auto featureOnly = emulator::VendorFeatureDescriptor(); // 9 / 33
    const auto both = emulator::VendorInputDescriptor();          // 33 / 33
    bus.plug(std::vector<SimulatedInterface>{
        {kVendorId, kWiredProductId, emulator::VendorWideDescriptor(), nullptr}, // 65 / 65: ignored
        {kVendorId, kWiredProductId, both, nullptr},
        {kVendorId, kWiredProductId, featureOnly, nullptr},
        {kVendorId, kWiredProductId, both, nullptr},
        {kVendorId, kWiredProductId, featureOnly, nullptr},
        {0x1234, kWiredProductId, featureOnly, nullptr}, // another vendor
    });
    loop.runUntilIdle();
    EXPECT_EQ(link.InputPath(Form::Wired), bus.interfacePath(1));
    EXPECT_EQ(link.FeaturePath(Form::Wired), bus.interfacePath(2));
    EXPECT_TRUE(link.IsPresent(Form::Wired));
    EXPECT_FALSE(link.IsPresent(Form::Receiver));
    bus.unplug(1);
    loop.runUntilIdle();
}

TEST_F(DiscoveryTest, ReaderDeliversLevelChangesInOrderAndEndsOnUnplug) {
    plug(Form::Wired);
    ASSERT_TRUE(link.IsReaderRunning(Form::Wired));
    Report other{};
    other[0] = 0x05;
    other[1] = 0x07; // another notification kind: dropped
    mouse.sendInputReport(Form::Wired, other);
    mouse.pressDpiButton(Form::Wired);
    mouse.pressRateButton(Form::Wired);
    mouse.pressDpiButton(Form::Wired);
    ASSERT_TRUE(waitForLevelChanges(3));
    EXPECT_EQ(window.levelChanges, (std::vector<std::pair<int, int>>{{1, 2}, {8, 2}, {8, 3}}));

    unplug(Form::Wired);
    ASSERT_TRUE(link.WaitForReaderEnd(Form::Wired));
    EXPECT_EQ(link.InputPath(Form::Wired), "");

    // Plugged in again: the arrival's scan starts a new reader.
    plug(Form::Wired);
    EXPECT_TRUE(link.IsReaderRunning(Form::Wired));
    mouse.pressDpiButton(Form::Wired);
    ASSERT_TRUE(waitForLevelChanges(4));
    EXPECT_EQ(window.levelChanges.back(), (std::pair<int, int>{8, 4}));
}

TEST_F(DiscoveryTest, StatusReadAsksTwiceWhenUnanswered) {
    plug(Form::Wired);
    host.statuses.clear();
    mouse.clearTrace();
    auto status = mouse.status();
    status.answered = false;
    mouse.setStatus(status);
    const auto start = loop.now();
    link.ReadStatus();
    loop.runUntilIdle();
    EXPECT_TRUE(host.statuses.empty());
    const auto trace = mouse.trace();
    ASSERT_EQ(trace.size(), 2u);
    EXPECT_EQ(trace[0].bytes[2], kCmdReadStatus);
    EXPECT_EQ(trace[1].bytes[4], static_cast<std::uint8_t>(trace[0].bytes[4] + 1));
    EXPECT_EQ(trace[1].ms - trace[0].ms, kStatusReadDelayMs);
    EXPECT_EQ(loop.now() - start, 2 * kStatusReadDelayMs);

    status.answered = true;
    status.sensorCode = 0x60;
    status.battery = 55;
    mouse.setStatus(status);
    link.ReadStatus();
    loop.runUntilIdle();
    ASSERT_EQ(host.statuses.size(), 1u);
    const auto parsed = ParseStatusResponse(host.statuses[0]);
    ASSERT_TRUE(parsed);
    EXPECT_TRUE(parsed->tagMatches);
    EXPECT_TRUE(parsed->online);
    EXPECT_EQ(parsed->sensorId, 0x3360);
    EXPECT_EQ(parsed->battery, 55);
}

TEST(InterfaceRoles, EachCollectionGivesItsInterfaceARole) {
    using platform::HidCaps;
    struct Row {
        const char* name;
        std::vector<HidCaps> collections;
        bool input, feature;
    } rows[] = {
        {"33-byte input and feature in one collection: input only", {{33, 0, 33}}, true, false},
        {"feature collection", {{9, 0, 33}}, false, true},
        {"input and feature collections in one interface", {{33, 0, 0}, {9, 0, 33}}, true, true},
        {"the 33/33 collection is still input beside a feature one", {{33, 0, 33}, {9, 0, 33}}, true, true},
        {"wrong lengths", {{65, 0, 65}, {5, 0, 0}}, false, false},
        {"no collections", {}, false, false},
    };
    for (const auto& row : rows) {
        const auto roles = RolesOf(row.collections);
        EXPECT_EQ(roles.input, row.input) << row.name;
        EXPECT_EQ(roles.feature, row.feature) << row.name;
    }
}

TEST_F(DiscoveryTest, OneInterfaceCarryingBothCollectionsFillsBothRoles) {
    VirtualMouse combined{bus, loop, emulator::InterfaceLayout::Combined};
    combined.plug(Form::Wired);
    loop.runUntilIdle();
    const auto vendor = bus.interfacePath(static_cast<int>(emulator::kCombinedVendorInterface));
    EXPECT_TRUE(link.IsPresent(Form::Wired));
    EXPECT_EQ(link.FeaturePath(Form::Wired), vendor);
    EXPECT_EQ(link.InputPath(Form::Wired), vendor);
    // The feature handle and the reader each hold the node open.
    EXPECT_EQ(bus.openHandleCount(1, emulator::kCombinedVendorInterface), 2);
    ASSERT_TRUE(link.IsReaderRunning(Form::Wired));

    ASSERT_TRUE(link.WriteCommand(BuildReportRateReport(link.Sequence().Take(), 1)));
    EXPECT_EQ(combined.state().reportInterval, 4);
    combined.pressDpiButton(Form::Wired);
    ASSERT_TRUE(waitForLevelChanges(1));
    EXPECT_EQ(window.levelChanges[0], (std::pair<int, int>{4, 2}));

    // A second scan sees the same node in both roles and reopens nothing.
    const int opens = bus.totalOpens();
    link.Scan();
    EXPECT_EQ(bus.totalOpens() - opens, static_cast<int>(emulator::kCombinedInterfacesPerForm));
    combined.unplug(Form::Wired);
    loop.runUntilIdle();
    EXPECT_TRUE(link.WaitForReaderEnd(Form::Wired));
    EXPECT_FALSE(link.IsPresent(Form::Wired));
}

TEST_F(DiscoveryTest, AnInterfaceWithOnlyA33By33CollectionIsNoFeatureInterface) {
    using platform::SimulatedInterface;
    const int id = bus.plug(std::vector<SimulatedInterface>{
        {kVendorId, kReceiverProductId, emulator::VendorInputDescriptor(), nullptr},
    });
    loop.runUntilIdle();
    EXPECT_EQ(link.InputPath(Form::Receiver), bus.interfacePath(0));
    EXPECT_EQ(link.FeaturePath(Form::Receiver), "");
    EXPECT_FALSE(link.IsPresent(Form::Receiver));
    bus.unplug(id);
    loop.runUntilIdle();
}

TEST_F(DiscoveryTest, AMouseThatCannotBeOpenedIsReportedWithItsCause) {
    plug(Form::Wired);
    EXPECT_TRUE(link.OpenFailures().empty());
    unplug(Form::Wired);
    ASSERT_TRUE(link.WaitForReaderEnd(Form::Wired));

    // The mouse comes back on nodes the user may not open; another maker's device opens.
    bus.plug(emulator::UnrelatedDeviceInterfaces());
    mouse.plug(Form::Wired);
    std::vector<std::string> mousePaths;
    for (std::size_t i = 0; i < emulator::kInterfacesPerForm; ++i) {
        mousePaths.push_back(*bus.interfacePath(static_cast<int>(2 + i)));
        bus.setOpenError(mousePaths.back(), EACCES);
    }
    bus.setOpenError(*bus.interfacePath(0), EACCES); // not the mouse: not reported
    loop.runUntilIdle();
    EXPECT_FALSE(link.AnyDevice());
    ASSERT_EQ(link.OpenFailures().size(), emulator::kInterfacesPerForm);
    for (std::size_t i = 0; i < mousePaths.size(); ++i) {
        const OpenFailure& f = link.OpenFailures()[i];
        EXPECT_EQ(f.form, Form::Wired);
        EXPECT_EQ(f.index, static_cast<int>(2 + i));
        EXPECT_EQ(f.path, mousePaths[i]);
        EXPECT_EQ(f.error, EACCES);
    }

    // Access granted (the udev rule installed): the next scan finds it and forgets the failures.
    for (const auto& path : mousePaths)
        bus.setOpenError(path, 0);
    link.Scan();
    EXPECT_TRUE(link.HasTarget());
    EXPECT_TRUE(link.OpenFailures().empty());
}

TEST_F(DiscoveryTest, AFailedWriteKeepsItsCause) {
    plug(Form::Wired);
    ASSERT_TRUE(link.WriteCommand(BuildDebounceReport(link.Sequence().Take(), 8)));
    EXPECT_EQ(link.LastFeatureError(), 0);
    Report refused = BuildDebounceReport(link.Sequence().Take(), 8);
    refused[kOffMarker] = 0x02; // the firmware refuses it
    EXPECT_FALSE(link.WriteCommand(refused));
    EXPECT_EQ(link.LastFeatureError(), EPIPE);

    mouse.unplug(Form::Wired); // gone before the removal is handled: the handle is still open
    EXPECT_FALSE(link.WriteCommand(BuildDebounceReport(link.Sequence().Take(), 8)));
    EXPECT_EQ(link.LastFeatureError(), ENODEV);
    loop.runUntilIdle();
    EXPECT_FALSE(link.WriteCommand(BuildDebounceReport(link.Sequence().Take(), 8)));
    EXPECT_EQ(link.LastFeatureError(), ENODEV) << "no target";
}
