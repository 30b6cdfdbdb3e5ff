// quorvikctl end to end: its commands run against the virtual mouse on the virtual clock, after the
// same settings load as the program.
#include "CtlHarness.h"

#include "app/StartupLoad.h"
#include "device/ProfileReports.h"
#include "device/SensorTables.h"
#include "emulator/VirtualMouse.h"
#include "macro/MacroLibrary.h"
#include "model/ConfigPairs.h"
#include "model/ProfileFile.h"
#include "model/Text.h"
#include "platform/SimulatedHidBus.h"
#include "platform/VirtualClockLoop.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <map>
#include <sstream>

using namespace quorvik;
using ctl::Command;
using ctl::CtlOptions;
using device::Form;

namespace {

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        result.push_back(line);
    return result;
}

// Slot 2 with a macro on button 6, non-factory DPI, lighting effect 2 and pair values.
void customiseSlot2() {
    auto& library = macro::TheMacroLibrary();
    macro::MacroLocation current = macro::MacroLocation::None();
    ASSERT_EQ(library.AddMacro(u"Burst", current), macro::AddResult::Added);
    model::MacroRecord& m = *library.SlotAt(current)->macro;
    for (int i = 0; i < 12; ++i) {
        m.InsertAction(m.MacroActionNum, model::MakeKeyEvent(0x41 + i, false));
        m.InsertAction(m.MacroActionNum, model::MakeDelay(30));
        m.InsertAction(m.MacroActionNum, model::MakeKeyEvent(0x41 + i, true));
    }
    m.MacroCommandActionNum = m.CountEvents();

    auto& p = model::Profile(2);
    p.AssignMacro(6, &m);
    p.buttons[6].MacroKeyIndex = m.MacroKeyIndex;
    p.buttons[6].Value = model::KeyFunctionCode{{0x90, 0, 0}};
    p.buttons[3].Value = model::KeyFunctionCode{{0x70, 0x01, 0x06}};
    p.DPIOffOnFlagValue = 0x2D;
    p.CurrentDPILevelValue = 2;
    p.XYSetting[0] = 0x10;
    p.XYSetting[5] = 0x200; // beyond the sensor's steps: clamped to the last one
    p.DPILevelIndication[7] = model::MakeColour(1, 2, 3);
    p.PollingRateValue = {1, 0, 0};
    p.Lighting1ModeValue = {2, 0, 0};
    p.Lighting1ColorSelected[2] = {1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
    p.Lighting1FixedColor[2][1] = 0; // selected but black: not sent
    p.SetPairValue(model::kPairLiftDetectionHeight, 1);
    p.SetPairValue(model::kPairKeyDebounce, 16);
    p.SetPairValue(model::kPairPowerDownTime, 9);
    p.SetPairValue(model::kPairMoveLightingOnOffMode, 1);
    p.SetPairValue(model::kPairMotionWakeup, 0);
}

} // namespace

TEST(QuorvikctlArguments, AcceptsTheDocumentedFormsAndRejectsTheRest) {
    struct Case {
        std::vector<std::string> args;
        bool ok;
    };
    const Case cases[] = {
        {{"status", "--json"}, true},
        {{"--virtual-mouse=receiver", "apply", "--slot", "3"}, true},
        {{"apply", "--slot=4", "--virtual-mouse"}, true},
        {{"reports", "my.psf", "--sensor", "0x3389"}, true},
        {{"watch", "--count", "2", "--seconds", "5"}, true},
        {{"reset", "--yes", "--trace", "t.txt", "--virtual-mouse=wired"}, true},
        {{}, false},
        {{"frobnicate"}, false},
        {{"apply", "--slot", "5"}, false},
        {{"apply", "--slot", "x"}, false},
        {{"apply", "--slot", "1", "a.psf"}, false},
        {{"apply", "profile.txt"}, false},
        {{"status", "--slot", "1"}, false},
        {{"reports", "--sensor", "0x1FFFF"}, false},
        {{"reports", "--sensor"}, false},
        {{"apply", "--json"}, false},
        {{"status", "--count", "1"}, false},
        {{"watch", "--seconds", "99999999"}, false},
        {{"watch", "--count", "0"}, false},
        {{"--virtual-mouse=mouse", "status"}, false},
        {{"status", "--bogus"}, false},
    };
    for (const auto& c : cases) {
        CtlOptions options;
        std::string error;
        std::string joined;
        for (const auto& a : c.args)
            joined += a + " ";
        EXPECT_EQ(ctl::ParseCtlArgs(c.args, options, error), c.ok) << joined << "→ " << error;
        if (!c.ok) {
            EXPECT_FALSE(error.empty()) << joined;
        }
    }
    CtlOptions options;
    std::string error;
    ASSERT_TRUE(ctl::ParseCtlArgs({"--help", "bogus"}, options, error));
    EXPECT_EQ(options.command, Command::Help);
    EXPECT_NE(ctl::CtlHelpText().find("--virtual-mouse"), std::string::npos);
}

TEST(Quorvikctl, ApplyLeavesTheMouseHoldingTheProfile) {
    CtlHarness h;
    customiseSlot2();
    h.mouse.plug(Form::Wired);
    ASSERT_EQ(h.run({"apply", "--slot", "2"}), ctl::kExitOk) << h.err.str();
    EXPECT_NE(h.err.str().find("reports"), std::string::npos) << "progress on standard error";

    device::SensorTables tables;
    ASSERT_TRUE(tables.Rebuild(model::SensorIdentifier()));
    auto state = h.mouse.state();
    EXPECT_EQ(h.mouse.rejectedCount(), 0u);
    // Buttons by the mouse's positions (3 and 4 exchanged); the macro button got device slot 1.
    EXPECT_EQ(state.buttons[4], (std::array<std::uint8_t, 3>{0x70, 0x01, 0x06}));
    EXPECT_EQ(state.buttons[3], (std::array<std::uint8_t, 3>{0x10, 0x08, 0x00}));
    EXPECT_EQ(state.buttons[6], (std::array<std::uint8_t, 3>{0x90, 0x21, 0x01}));
    EXPECT_EQ(state.levelMask, 0x2D);
    EXPECT_EQ(state.enabledLevels, 4);
    EXPECT_EQ(state.currentLevel, 3);
    EXPECT_EQ(state.dpiRegisters[0], 0x11) << "sensor 0x3325 sends code + 1";
    EXPECT_EQ(state.dpiRegisters[5], tables.StepCount()) << "an out-of-range code is the last step";
    EXPECT_EQ(state.levelColours[7], (std::array<std::uint8_t, 3>{1, 2, 3}));
    EXPECT_EQ(state.reportInterval, 4);
    EXPECT_EQ(state.lightingEffect(), 2);
    ASSERT_GE(state.lightingPayload.size(), 3u);
    EXPECT_EQ(state.lightingPayload[2], 2) << "two coloured slots; the black one is left out";
    EXPECT_EQ(state.liftOff, 1);
    EXPECT_EQ(state.debounceMs, 16);
    EXPECT_EQ(state.powerDownTime, 9);
    EXPECT_EQ(state.moveLightingMode, 1);
    EXPECT_EQ(state.motionWakeup, 0);
    // 24 events, 72 data bytes in three chunks.
    EXPECT_EQ(state.macros[1].data.size(), 72u);
    EXPECT_EQ(state.macros[1].chunksReceived, 3u);
    EXPECT_EQ(state.macros[1].data[2], 0x04) << "the first event is key A (usage 0x04)";
    EXPECT_EQ(state.macros[1].data[1], 30) << "with the 30 ms delay after it";
    // The tool changes no file: slot 2 on disk is still the factory profile.
    model::ProfileRecord onDisk;
    ASSERT_TRUE(model::ReadProfileRecord(onDisk, model::Config().ProfileSlotPath(2)));
    EXPECT_EQ(onDisk.DPIOffOnFlagValue, 0x3F);
}

TEST(Quorvikctl, ReportsPrintsExactlyWhatApplyWrites) {
    CtlHarness h;
    customiseSlot2();
    ASSERT_EQ(h.run({"reports", "--slot", "2"}), ctl::kExitOk) << h.err.str();
    auto printed = lines(h.out.str());
    ASSERT_FALSE(printed.empty());
    EXPECT_EQ(printed[0].substr(0, 14), "0C 01 04 00 01") << "sequence numbers start at 1";
    EXPECT_EQ(printed[0].size(), 33u * 3 - 1);

    h.mouse.plug(Form::Receiver);
    ASSERT_EQ(h.run({"apply", "--slot", "2"}), ctl::kExitOk) << h.err.str();
    EXPECT_EQ(h.traceLines(), printed);
}

TEST(Quorvikctl, ReportsForAFactoryProfileFileAndAnotherSensor) {
    CtlHarness h;
    std::string file = (h.dir.path() / "exported.psf").string();
    model::ProfileRecord factory;
    factory.ResetToFactory(0);
    ASSERT_TRUE(model::WriteProfileRecord(factory, file));
    ASSERT_EQ(h.run({"reports", file, "--sensor", "0x3360"}), ctl::kExitOk) << h.err.str();
    auto printed = lines(h.out.str());
    ASSERT_EQ(printed.size(), 7u + 6 + 2) << "seven buttons, six sensor-and-lighting commands, power, wake";
    // Level 1 code 0x06 (the 0x3325 defaults in the file) is register 0x06 on sensor 0x3360.
    EXPECT_EQ(printed[7].substr(0, 3 * 11), "0C 01 05 00 08 01 12 26 3F 06 00 ");
}

// The configuration the program saved (or a hand-edited one) never keeps the tool from running:
// pairs left out keep their factory text, and a sensor the program has no tables for stays the
// configured one while the default sensor's tables encode the codes.
TEST(Quorvikctl, NoConfigurationValueStopsTheTool) {
    CtlHarness h;
    ASSERT_EQ(h.run({"reports", "--slot", "1"}), ctl::kExitOk) << h.err.str();
    const std::string factoryReports = h.out.str();
    const std::pair<const char16_t*, std::uint16_t> configs[] = {
        {u"[Setting]\n", model::kDefaultSensor},
        {u"[Setting]\nNeedPassword=1\nSensor=0x0000\n", 0x0000},
        {u"[Setting]\nNeedPassword=1\nSensor=junk\n", 0x0000},
        {u"[Setting]\nA=1\nSensor=0x1234\n", 0x1234},
        {u"[Setting]\nA=1\nSensor=0xF123\n", 0xF123},
    };
    for (const auto& [text, sensor] : configs) {
        SCOPED_TRACE(model::ToUtf8(text));
        test::writeBytes(model::ConfigFilePath(), test::utf16File(text));
        model::Config() = model::ConfigPairs{}; // as in a new process
        ASSERT_TRUE(app::LoadSettingsModel({QV_BIN_DIR "/", h.dir.str()}).configurationRead);
        EXPECT_EQ(model::SensorIdentifier(), sensor);
        EXPECT_EQ(h.run({"reports", "--slot", "1"}), ctl::kExitOk) << h.err.str();
        EXPECT_EQ(h.out.str(), factoryReports);
    }
    EXPECT_EQ(h.run({"reports", "--slot", "1", "--sensor", "0xF123"}), ctl::kExitBadArguments)
        << "a sensor asked for by name must have tables";
}

// Profile numbers are the digits a value starts with: a sign or a space makes the value 0, so
// "-2" is no 254 ms debounce and " 1" is not the lower lift-off distance.
TEST(Quorvikctl, SignedOrPaddedProfileNumbersSendWhatTheirDigitsSay) {
    CtlHarness h;
    model::ProfileRecord p;
    p.ResetToFactory(0);
    p.SetPairValue(model::kPairKeyDebounce, std::u16string(u"-2"));
    p.SetPairValue(model::kPairPowerDownTime, std::u16string(u" 7"));
    p.SetPairValue(model::kPairLiftDetectionHeight, std::u16string(u" 1"));
    p.SetPairValue(model::kPairMotionWakeup, std::u16string(u"+1"));
    const std::string file = (h.dir.path() / "signs.psf").string();
    ASSERT_TRUE(model::WriteProfileRecord(p, file));

    model::ProfileRecord read;
    ASSERT_TRUE(model::ReadProfileRecord(read, file));
    EXPECT_EQ(device::BuildDebounceReport(1, read)[device::kOffPayload], 0);
    EXPECT_EQ(device::BuildPowerSavingReport(1, read)[device::kOffPayload], 0);
    EXPECT_EQ(device::BuildLiftOffReport(1, read)[device::kOffPayload], 2);
    EXPECT_EQ(device::BuildMotionWakeupReport(1, read)[device::kOffPayload], 0);

    // The tool sends the same.
    ASSERT_EQ(h.run({"reports", file}), ctl::kExitOk) << h.err.str();
    auto byteOf = [](const std::string& line, std::size_t offset) {
        return std::stoi(line.substr(offset * 3, 2), nullptr, 16);
    };
    std::map<int, int> payloadOf;
    for (const auto& line : lines(h.out.str()))
        payloadOf[byteOf(line, device::kOffCommand)] = byteOf(line, device::kOffPayload);
    EXPECT_EQ(payloadOf.at(device::kCmdDebounce), 0);
    EXPECT_EQ(payloadOf.at(device::kCmdLiftOff), 2);
    EXPECT_EQ(payloadOf.at(device::kCmdPowerSaving), 0);
    EXPECT_EQ(payloadOf.at(device::kCmdMotionWakeup), 0);
}

TEST(Quorvikctl, FailuresHaveTheirOwnExitCodes) {
    CtlHarness h;
    EXPECT_EQ(h.run({"status"}), ctl::kExitNoMouse);
    EXPECT_NE(h.err.str().find("no mouse found"), std::string::npos);
    EXPECT_EQ(h.run({"apply", (h.dir.path() / "missing.psf").string()}), ctl::kExitBadProfile);
    std::string broken = (h.dir.path() / "broken.psf").string();
    test::writeBytes(broken, test::utf16File(u"[Setting]\nProfileName=x\n"));
    EXPECT_EQ(h.run({"reports", broken}), ctl::kExitBadProfile);
    EXPECT_NE(h.err.str().find("not a complete profile file"), std::string::npos);
    EXPECT_EQ(h.run({"reports", "--sensor", "0x1234"}), ctl::kExitBadArguments);

    auto status = h.mouse.status();
    status.online = false;
    h.mouse.setStatus(status);
    h.mouse.plug(Form::Receiver);
    EXPECT_EQ(h.run({"status", "--json"}), ctl::kExitMouseOffline);
    EXPECT_NE(h.out.str().find("\"online\": false"), std::string::npos);
}

TEST(Quorvikctl, ResetAsksFirstAndWritesOnlyTheResetCommand) {
    CtlHarness h;
    h.mouse.plug(Form::Wired);
    model::Profile(0).SetPairValue(model::kPairProfileName, u"Keep me");
    model::Profile(0).DPIOffOnFlagValue = 0x01;
    EXPECT_EQ(h.run({"reset"}, "n\n"), ctl::kExitCancelled);
    EXPECT_EQ(h.run({"reset"}, ""), ctl::kExitCancelled) << "no answer is no";
    EXPECT_EQ(h.mouse.factoryResetCount(), 0u);
    EXPECT_EQ(h.run({"reset"}, "y\n"), ctl::kExitOk) << h.err.str();
    ASSERT_EQ(h.mouse.trace().size(), 1u);
    EXPECT_EQ(h.mouse.trace()[0].bytes[device::kOffCommand], device::kCmdFactoryReset);
    model::ProfileRecord onDisk;
    ASSERT_TRUE(model::ReadProfileRecord(onDisk, model::Config().ProfileSlotPath(0)));
    EXPECT_EQ(onDisk.PairValue(model::kPairProfileName), u"Keep me");
    EXPECT_EQ(onDisk.DPIOffOnFlagValue, 0x3F);
}

TEST(Quorvikctl, WatchPrintsLevelChangesAsTheyArrive) {
    CtlHarness h;
    h.mouse.plug(Form::Wired);
    h.onWatching = [&] {
        h.mouse.pressDpiButton(Form::Wired);
        h.mouse.pressRateButton(Form::Wired);
    };
    ASSERT_EQ(h.run({"watch", "--count", "2"}), ctl::kExitOk) << h.err.str();
    auto printed = lines(h.out.str());
    ASSERT_EQ(printed.size(), 2u);
    EXPECT_EQ(printed[0].rfind("DPI-", 0), 0u);
    EXPECT_NE(printed[1].find("Hz"), std::string::npos);
    EXPECT_TRUE(h.mouse.trace().empty()) << "watching writes nothing to the mouse";
}

TEST(Quorvikctl, WatchEndsWhenTheMouseIsUnplugged) {
    CtlHarness h;
    h.mouse.plug(Form::Receiver);
    h.onWatching = [&] { h.mouse.unplug(Form::Receiver); };
    EXPECT_EQ(h.run({"watch"}), ctl::kExitNoMouse);
    EXPECT_NE(h.err.str().find("unplugged"), std::string::npos);
}

TEST(Quorvikctl, StatusShowsABatteryByteAbove100AsZero) {
    CtlHarness h;
    auto status = h.mouse.status();
    status.battery = 150;
    h.mouse.setStatus(status);
    h.mouse.plug(Form::Wired);
    ASSERT_EQ(h.run({"status"}), ctl::kExitOk) << h.err.str();
    EXPECT_NE(h.out.str().find("battery:  0%\n"), std::string::npos) << h.out.str();
    ASSERT_EQ(h.run({"status", "--json"}), ctl::kExitOk) << h.err.str();
    EXPECT_NE(h.out.str().find("\"battery\": 0,"), std::string::npos) << h.out.str();
}

TEST(Quorvikctl, ApplyWritesAMacroSharedByTwoButtonsOnce) {
    CtlHarness h;
    auto& library = macro::TheMacroLibrary();
    const model::MacroRecord* macros[2] = {};
    for (int k = 0; k < 2; ++k) {
        macro::MacroLocation current = macro::MacroLocation::None();
        ASSERT_EQ(library.AddMacro(k == 0 ? u"A" : u"B", current), macro::AddResult::Added);
        model::MacroRecord& m = *library.SlotAt(current)->macro;
        for (int i = 0; i < 9; ++i) // 27 data bytes: two chunks
            m.InsertAction(m.MacroActionNum, model::MakeKeyEvent(0x41 + k, false));
        m.MacroCommandActionNum = m.CountEvents();
        macros[k] = &m;
    }
    auto& p = model::Profile(0);
    const int buttons[3] = {2, 3, 5};
    const model::MacroRecord* carried[3] = {macros[0], macros[1], macros[0]}; // A, B, A
    for (int i = 0; i < 3; ++i) {
        const int b = buttons[i];
        p.AssignMacro(b, carried[i]);
        p.buttons[b].MacroKeyIndex = carried[i]->MacroKeyIndex;
        p.buttons[b].Value = model::KeyFunctionCode{{0x90, 0, 0}};
    }
    ASSERT_EQ(h.run({"reports"}), ctl::kExitOk) << h.err.str();
    const auto printed = lines(h.out.str());
    h.mouse.plug(Form::Wired);
    ASSERT_EQ(h.run({"apply"}), ctl::kExitOk) << h.err.str();
    int chunks[3] = {};
    for (const auto& entry : h.mouse.trace())
        if (entry.bytes[device::kOffCommand] == device::kCmdMacroChunk && entry.bytes[7] < 3)
            ++chunks[entry.bytes[7]];
    EXPECT_EQ(chunks[1], 2) << "macro A in device slot 1, written once";
    EXPECT_EQ(chunks[2], 2) << "macro B in device slot 2";
    EXPECT_EQ(h.traceLines(), printed) << "reports prints the same single copy";
    EXPECT_EQ(h.mouse.state().buttons[5], (std::array<std::uint8_t, 3>{0x90, 0x21, 0x01}));
}

TEST(Quorvikctl, ListNamesTheRolesOfEachInterface) {
    CtlHarness h;
    h.mouse.plug(Form::Wired);
    emulator::VirtualMouse combined{h.bus, h.loop, emulator::InterfaceLayout::Combined};
    combined.plug(Form::Receiver);
    ASSERT_EQ(h.run({"list"}), ctl::kExitOk) << h.err.str();
    auto roles = [](const std::vector<std::string>& printed) {
        std::vector<std::string> out;
        for (const auto& line : printed)
            out.push_back(line.substr(0, line.rfind('\t')));
        return out;
    };
    EXPECT_EQ(roles(lines(h.out.str())), (std::vector<std::string>{"wired\tother", "wired\tother", "wired\tfeature",
                                                                   "wired\tother", "wired\tinput", "receiver\tother",
                                                                   "receiver\tother", "receiver\tinput+feature"}));
}

TEST(Quorvikctl, AMouseThisUserMayNotOpenIsNamedWithTheFix) {
    CtlHarness h;
    h.mouse.plug(Form::Wired);
    std::vector<std::string> nodes;
    for (int i = 0; i < int(emulator::kInterfacesPerForm); ++i) {
        nodes.push_back(*h.bus.interfacePath(i));
        h.bus.setOpenError(nodes.back(), EACCES);
    }
    auto explainsAccess = [&](const std::string& err) {
        for (const std::string& node : nodes)
            EXPECT_NE(err.find("wired mouse is plugged in, but this user may not open " + node), std::string::npos)
                << err;
        EXPECT_NE(err.find("70-quorvik.rules"), std::string::npos);
        EXPECT_NE(err.find("unplug and replug the mouse"), std::string::npos);
        EXPECT_NE(err.find("sudo udevadm control --reload && sudo udevadm trigger"), std::string::npos);
        EXPECT_EQ(err.find("no mouse found"), std::string::npos) << "it is there";
    };
    // Nothing can be sent to it: the exit code of no mouse, with the reason spelt out.
    EXPECT_EQ(h.run({"status"}), ctl::kExitNoMouse);
    explainsAccess(h.err.str());
    EXPECT_EQ(h.run({"apply"}), ctl::kExitNoMouse);
    explainsAccess(h.err.str());
    EXPECT_TRUE(h.traceLines().empty());
    EXPECT_EQ(h.run({"list"}), ctl::kExitNoMouse);
    explainsAccess(h.err.str());
    EXPECT_EQ(lines(h.out.str()).front(), "wired\tno-access\t" + nodes.front());

    // Only the notification node is closed to the user: the commands work, with a note about it.
    for (const std::string& node : nodes)
        h.bus.setOpenError(node, 0);
    h.bus.setOpenError(nodes[4], EACCES);
    EXPECT_EQ(h.run({"status"}), ctl::kExitOk);
    EXPECT_NE(h.err.str().find("may not open " + nodes[4]), std::string::npos);
    // Another error than a refused permission is not explained as one.
    h.bus.setOpenError(nodes[4], EBUSY);
    EXPECT_EQ(h.run({"status"}), ctl::kExitOk);
    EXPECT_EQ(h.err.str(), "");
}
