#include "emulator/VirtualMouse.h"

#include "device/CommandReports.h"
#include "device/ProfileReports.h"
#include "model/ProfileRecord.h"
#include "platform/SimulatedHidBus.h"
#include "platform/VirtualClockLoop.h"

#include <gtest/gtest.h>

using namespace quorvik::device;
using namespace quorvik::emulator;
using quorvik::platform::SimulatedHidBus;
using quorvik::platform::VirtualClockLoop;

namespace {

struct VirtualMouseTest : ::testing::Test {
    VirtualClockLoop loop;
    SimulatedHidBus bus;
    VirtualMouse mouse{bus, loop};

    bool apply(const Report& r) { return mouse.handleCommand(Form::Wired, r); }
};

} // namespace

TEST_F(VirtualMouseTest, AppliesEverySettingCommand) {
    ASSERT_TRUE(apply(BuildButtonReport(1, 3, {0x70, 0x02, 0x04})));
    ASSERT_TRUE(apply(BuildDpiLevelsReport(2, 0x2D, 2, {1, 2, 3, 4, 5, 0x0123})));
    std::array<std::uint32_t, 8> colours{};
    colours[1] = 0x00332211;
    ASSERT_TRUE(apply(BuildDpiColoursReport(3, colours)));
    ASSERT_TRUE(apply(BuildReportRateReport(4, 0)));
    LightingInput light;
    light.effect = 2;
    light.selected = {1, 0, 0, 0, 0, 0, 0};
    light.colours = {0x0000FF};
    ASSERT_TRUE(apply(BuildLightingReport(5, light)));
    ASSERT_TRUE(apply(BuildLiftOffReport(6, 1)));
    ASSERT_TRUE(apply(BuildDebounceReport(7, 12)));
    ASSERT_TRUE(apply(BuildPowerSavingReport(8, 5, 1)));
    ASSERT_TRUE(apply(BuildMotionWakeupReport(9, 1)));

    const MouseState s = mouse.state();
    EXPECT_EQ(s.buttons[3], (std::array<std::uint8_t, 3>{0x70, 0x02, 0x04}));
    EXPECT_EQ(s.levelMask, 0x2D);
    EXPECT_EQ(s.enabledLevels, 4);
    EXPECT_EQ(s.currentLevel, 3);
    EXPECT_EQ(s.dpiRegisters[5], 0x0123);
    EXPECT_EQ(s.levelColours[1], (std::array<std::uint8_t, 3>{0x11, 0x22, 0x33}));
    EXPECT_EQ(s.reportInterval, 8);
    EXPECT_EQ(s.lightingLength, 6);
    EXPECT_EQ(s.lightingPayload, (std::vector<std::uint8_t>{2, 0x11, 1, 0xFF, 0, 0}));
    EXPECT_EQ(s.liftOff, 1);
    EXPECT_EQ(s.debounceMs, 12);
    EXPECT_EQ(s.powerDownTime, 5);
    EXPECT_EQ(s.moveLightingMode, 1);
    EXPECT_EQ(s.motionWakeup, 1);
    EXPECT_EQ(mouse.rejectedCount(), 0u);
}

TEST_F(VirtualMouseTest, RefusesMalformedReportsWithoutChangingState) {
    const MouseState before = mouse.state();
    auto with = [](Report r, std::size_t at, std::uint8_t value) {
        r[at] = value;
        return r;
    };
    const Report rate = BuildReportRateReport(1, 2);
    LightingInput light;
    light.effect = 2;
    const Report rows[] = {
        with(rate, 0, 0x0B),                                 // report id
        with(rate, 1, 0x02),                                 // marker
        with(rate, 3, 0x01),                                 // status byte
        with(rate, 5, 0x11),                                 // chunk byte
        with(rate, 6, 2),                                    // payload length
        with(rate, 7, 3),                                    // not an interval
        with(rate, 2, 0x30),                                 // unknown command
        with(BuildButtonReport(1, 7, {}), 6, 4),             // position 7
        with(BuildLightingReport(1, light), 6, 6),           // effect 2 says no colours
        with(BuildDpiLevelsReport(1, 0x0F, 0, {}), 7, 0x13), // 3 levels claimed, 4 enabled
        with(BuildFactoryResetReport(1), 7, 0xFE),
        BuildMacroChunk(1, 0, std::vector<std::uint8_t>(3), 0),  // slot 0
        BuildMacroChunk(1, 1, std::vector<std::uint8_t>(60), 1), // chunk 1 without chunk 0
    };
    for (const Report& r : rows)
        EXPECT_FALSE(apply(r));
    EXPECT_FALSE(mouse.handleCommand(Form::Wired, std::span(rate.data(), 32))); // short report
    EXPECT_EQ(mouse.rejectedCount(), std::size(rows) + 1);
    EXPECT_EQ(mouse.state(), before);
    EXPECT_EQ(mouse.trace().size(), std::size(rows) + 1); // refused reports are traced too
}

TEST_F(VirtualMouseTest, ReassemblesMacrosFromTheirChunks) {
    SequenceNumber seq;
    std::vector<std::uint8_t> data(504);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<std::uint8_t>(i * 7);
    for (const Report& chunk : BuildMacroChunks(seq, 5, data))
        ASSERT_TRUE(apply(chunk));
    EXPECT_EQ(mouse.state().macros[5].data, data);
    EXPECT_EQ(mouse.state().macros[5].chunksReceived, 21u);

    // A new, shorter macro in the same slot replaces the old one.
    const std::vector<std::uint8_t> small = {1, 2, 3};
    for (const Report& chunk : BuildMacroChunks(seq, 5, small))
        ASSERT_TRUE(apply(chunk));
    EXPECT_EQ(mouse.state().macros[5].data, small);

    for (const Report& chunk : BuildMacroChunks(seq, 6, {}))
        ASSERT_TRUE(apply(chunk));
    EXPECT_TRUE(mouse.state().macros[6].data.empty());
    EXPECT_EQ(mouse.state().macros[6].chunksReceived, 1u);
}

TEST_F(VirtualMouseTest, FactoryResetRestoresTheFactoryState) {
    MouseState factory;
    factory.debounceMs = 9;
    mouse.setFactoryState(factory);
    ASSERT_TRUE(apply(BuildDebounceReport(1, 30)));
    ASSERT_TRUE(apply(BuildFactoryResetReport(2)));
    EXPECT_EQ(mouse.state(), factory);
    EXPECT_EQ(mouse.factoryResetCount(), 1u);
}

TEST_F(VirtualMouseTest, ButtonsCycleLevelsAndRates) {
    MouseState s;
    s.levelMask = 0xED; // levels 1, 3, 4, 6 of the six the mouse holds (7 and 8 are not on the mouse)
    s.currentLevel = 3;
    s.reportInterval = 8;
    mouse.setState(s);
    EXPECT_FALSE(mouse.pressDpiButton(Form::Wired)); // not plugged
    mouse.plug(Form::Wired);
    std::vector<int> levels, rates;
    for (int i = 0; i < 3; ++i) {
        mouse.pressDpiButton(Form::Wired);
        levels.push_back(mouse.state().currentLevel);
    }
    for (int i = 0; i < 5; ++i) {
        mouse.pressRateButton(Form::Wired);
        rates.push_back(mouse.state().reportInterval);
    }
    EXPECT_EQ(levels, (std::vector<int>{4, 1, 2}));
    EXPECT_EQ(rates, (std::vector<int>{4, 2, 1, 8, 4}));
}

TEST_F(VirtualMouseTest, TraceRecordsTimeFormAndBytes) {
    loop.advance(120);
    apply(BuildReportRateReport(5, 2));
    loop.advance(60);
    mouse.handleCommand(Form::Receiver, BuildStatusRequest(6));
    EXPECT_EQ(mouse.traceText(), "120 wired 0C0107000501010200000000000000000000000000000000000000000000000000\n"
                                 "180 receiver 0C0120000600000000000000000000000000000000000000000000000000000000\n");
}

TEST_F(VirtualMouseTest, ASwitchedOffMouseSendsNothingFromItsButtons) {
    mouse.plug(Form::Receiver);
    StatusSettings off = mouse.status();
    off.online = false;
    mouse.setStatus(off);
    const MouseState before = mouse.state();
    EXPECT_FALSE(mouse.pressDpiButton(Form::Receiver));
    EXPECT_FALSE(mouse.pressRateButton(Form::Receiver));
    EXPECT_EQ(mouse.state(), before) << "nothing moved on a mouse that is off";
    off.online = true;
    mouse.setStatus(off);
    EXPECT_TRUE(mouse.pressDpiButton(Form::Receiver));
    EXPECT_NE(mouse.state().currentLevel, before.currentLevel);
}

TEST_F(VirtualMouseTest, TheTraceCanBeReadFromAnIndexOn) {
    apply(BuildDebounceReport(1, 4));
    apply(BuildDebounceReport(2, 8));
    apply(BuildLiftOffReport(3, 1));
    EXPECT_EQ(mouse.traceSize(), 3u);
    const std::vector<TraceEntry> tail = mouse.trace(1);
    ASSERT_EQ(tail.size(), 2u);
    EXPECT_EQ(tail[0].bytes[kOffSequence], 2);
    EXPECT_EQ(tail[1].bytes[kOffCommand], kCmdLiftOff);
    EXPECT_TRUE(mouse.trace(3).empty());
    EXPECT_TRUE(mouse.trace(7).empty());
    mouse.clearTrace();
    EXPECT_EQ(mouse.traceSize(), 0u);
}

TEST_F(VirtualMouseTest, FreshFromTheFactoryItHoldsWhatTheFactoryProfileProgrammes) {
    quorvik::model::ProfileRecord factory;
    factory.ResetToFactory(0);
    ASSERT_TRUE(apply(BuildDpiLevelsReport(1, factory.DPIOffOnFlagValue, factory.CurrentDPILevelValue, {})));
    ASSERT_TRUE(apply(BuildReportRateReport(2, factory)));
    const MouseState fresh = FactoryFreshState();
    EXPECT_EQ(fresh.currentLevel, mouse.state().currentLevel);
    EXPECT_EQ(fresh.levelMask, mouse.state().levelMask);
    EXPECT_EQ(fresh.enabledLevels, mouse.state().enabledLevels);
    EXPECT_EQ(fresh.reportInterval, mouse.state().reportInterval);
}

TEST_F(VirtualMouseTest, AViewerIsToldOfEveryReportThatArrivesThroughTheBus) {
    int told = 0;
    std::size_t traceWhenTold = 0;
    mouse.setReportObserver([&] {
        ++told;
        traceWhenTold = mouse.traceSize(); // the trace already holds the report, and the lock is free
    });
    mouse.plug(Form::Wired);
    loop.runUntilIdle();
    auto device = bus.open(*bus.interfacePath(kCommandInterface));
    ASSERT_NE(device, nullptr);
    ASSERT_TRUE(device->setFeature(BuildReportRateReport(1, 2)));
    ASSERT_TRUE(device->setFeature(BuildDebounceReport(2, 8)));
    EXPECT_EQ(told, 2);
    EXPECT_EQ(traceWhenTold, 2u);
    mouse.setReportObserver(nullptr);
    ASSERT_TRUE(device->setFeature(BuildDebounceReport(3, 6)));
    EXPECT_EQ(told, 2);
}
