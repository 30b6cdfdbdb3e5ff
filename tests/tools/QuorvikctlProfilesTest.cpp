// The commands on the window's choices (profile list and select, the DPI level), the arguments that
// carry a command to the running program, and the frames of its session.
#include "CommandWire.h"
#include "CtlHarness.h"
#include "ProgramLink.h"

#include "model/ConfigPairs.h"
#include "model/ProfileFile.h"
#include "model/Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using namespace quorvik;
using device::Form;

namespace {

// Command codes (byte 2) of what the mouse received, status requests left out.
std::vector<std::uint8_t> codes(const emulator::VirtualMouse& mouse) {
    std::vector<std::uint8_t> found;
    for (const auto& entry : mouse.trace())
        if (entry.bytes[device::kOffCommand] != device::kCmdReadStatus)
            found.push_back(entry.bytes[device::kOffCommand]);
    return found;
}

} // namespace

TEST(QuorvikctlProfiles, ListShowsTheVisibleSlotsInTheWindowsOrder) {
    CtlHarness h;
    // Three shown, in the order 2, 0, 4; slot 4 current.
    model::Config().SetProfileShowCount(3);
    model::Config().SetProfileShowList(0, 2);
    model::Config().SetProfileShowList(1, 0);
    model::Config().SetProfileShowList(2, 4);
    model::SetCurrentSlot(4);
    model::Profile(0).SetPairValue(model::kPairProfileName, u"Say \"hi\"");
    ASSERT_EQ(h.run({"profile", "list"}), ctl::kExitOk) << h.err.str();
    EXPECT_EQ(h.out.str(), "  2\tProfile 3\n  0\tSay \"hi\"\n* 4\tProfile 5\n");
    ASSERT_EQ(h.run({"profile", "list", "--json"}), ctl::kExitOk) << h.err.str();
    EXPECT_EQ(h.out.str(), "[{\"slot\": 2, \"name\": \"Profile 3\", \"current\": false}, "
                           "{\"slot\": 0, \"name\": \"Say \\\"hi\\\"\", \"current\": false}, "
                           "{\"slot\": 4, \"name\": \"Profile 5\", \"current\": true}]\n");
    EXPECT_TRUE(h.mouse.trace().empty()) << "listing needs no mouse";
}

TEST(QuorvikctlProfiles, SelectWritesOnlyTheDifferencesAndSavesTheChoice) {
    CtlHarness h;
    h.mouse.plug(Form::Wired);
    // Slot 2 differs from slot 0 in its DPI levels and one button only.
    model::Profile(2).DPIOffOnFlagValue = 0x0F;
    model::Profile(2).buttons[5].Value = model::KeyFunctionCode{{0x70, 0x01, 0x06}};
    ASSERT_EQ(h.run({"profile", "select", "2"}), ctl::kExitOk) << h.err.str();
    EXPECT_EQ(codes(h.mouse), (std::vector<std::uint8_t>{device::kCmdButton, device::kCmdDpiLevels}));
    EXPECT_EQ(h.mouse.state().levelMask, 0x0F);
    EXPECT_EQ(model::CurrentSlot(), 2);
    model::ConfigPairs onDisk;
    ASSERT_TRUE(onDisk.Read(model::ConfigFilePath()));
    EXPECT_EQ(onDisk.CurrentProfile(), 2);

    // A slot no tab shows (three are shown at first) is no profile to select; nothing changes.
    ASSERT_EQ(h.run({"profile", "select", "4"}), ctl::kExitBadArguments);
    EXPECT_NE(h.err.str().find("profile list"), std::string::npos) << h.err.str();
    EXPECT_EQ(model::CurrentSlot(), 2);
}

TEST(QuorvikctlProfiles, DpiShowsAndSetsTheLevelAsTheWindowCountsIt) {
    CtlHarness h;
    h.mouse.plug(Form::Wired);
    auto& profile = model::Profile(0);
    profile.DPIOffOnFlagValue = 0x2D; // levels 1, 3, 4, 6 on
    profile.CurrentDPILevelValue = 1; // the second level on: level 3
    ASSERT_EQ(h.run({"dpi", "--json"}), ctl::kExitOk) << h.err.str();
    EXPECT_EQ(h.out.str().substr(0, 36), "{\"level\": 3, \"dpi\": 2400, \"levels\": ");

    ASSERT_EQ(h.run({"dpi", "6"}), ctl::kExitOk) << h.err.str();
    EXPECT_EQ(model::Profile(0).CurrentDPILevelValue, 3) << "level 6 is the fourth level on";
    EXPECT_EQ(codes(h.mouse), (std::vector<std::uint8_t>{device::kCmdDpiLevels})) << "only the DPI levels";
    EXPECT_EQ(h.mouse.state().currentLevel, 4) << "the mouse counts the levels on from 1";

    // A level that is off cannot become current.
    ASSERT_EQ(h.run({"dpi", "2"}), ctl::kExitBadArguments);
    EXPECT_NE(h.err.str().find("levels on: 1, 3, 4, 6"), std::string::npos) << h.err.str();
    EXPECT_EQ(model::Profile(0).CurrentDPILevelValue, 3);

    // Without a mouse the tool changes nothing: the files never say what the mouse does not hold.
    h.mouse.unplug(Form::Wired);
    ASSERT_EQ(h.run({"dpi", "1"}), ctl::kExitNoMouse);
    EXPECT_EQ(model::Profile(0).CurrentDPILevelValue, 3);
}

TEST(QuorvikctlProfiles, NewCommandsTakeOnlyTheirArguments) {
    const std::pair<std::vector<std::string>, bool> cases[] = {
        {{"profile", "list", "--json"}, true},
        {{"profile", "select", "0"}, true},
        {{"dpi"}, true},
        {{"dpi", "8"}, true},
        {{"dpi", "--json"}, true},
        {{"show"}, true},
        {{"profile"}, false},
        {{"profile", "select"}, false},
        {{"profile", "select", "5"}, false},
        {{"profile", "delete", "1"}, false},
        {{"dpi", "0"}, false},
        {{"dpi", "9"}, false},
        {{"dpi", "3", "--json"}, false},
        {{"show", "--json"}, false},
        {{"profile", "select", "1", "2"}, false},
    };
    for (const auto& [args, ok] : cases) {
        ctl::CtlOptions options;
        std::string error;
        EXPECT_EQ(ctl::ParseCtlArgs(args, options, error), ok) << args.size() << " " << args[0] << " → " << error;
    }
}

// What goes to the running program parses there to the same command, with files found from the
// tool's own folder.
TEST(QuorvikctlProfiles, ForwardedArgumentsMeanTheSameToTheProgram) {
    const std::vector<std::vector<std::string>> commands = {
        {"apply", "sub/my.psf"},
        {"reports", "--slot", "3", "--sensor", "0x3389"},
        {"watch", "--count", "2", "--seconds", "5"},
        {"reset", "-y", "--trace", "t.txt", "--virtual-mouse"},
        {"profile", "select", "4"},
        {"dpi", "7"},
        {"status", "--json"},
        {"app", "list", "--json"},
        {"app", "add", " Game One.exe", "3"},
        {"app", "remove", "list"},
        {"app", "auto", "on"},
    };
    for (const auto& args : commands) {
        ctl::CtlOptions options, there;
        std::string error;
        ASSERT_TRUE(ctl::ParseCtlArgs(args, options, error)) << error;
        const std::vector<std::string> forwarded = ctl::ForwardedArgs(options, "/home/u");
        ASSERT_TRUE(ctl::ParseCtlArgs(forwarded, there, error)) << args[0] << ": " << error;
        EXPECT_EQ(there.command, options.command);
        EXPECT_EQ(there.slot, options.slot);
        EXPECT_EQ(there.sensor, options.sensor);
        EXPECT_EQ(there.yes, options.yes);
        EXPECT_EQ(there.json, options.json);
        EXPECT_EQ(there.watchCount, options.watchCount);
        EXPECT_EQ(there.selectSlot, options.selectSlot);
        EXPECT_EQ(there.dpiLevel, options.dpiLevel);
        EXPECT_EQ(there.appMatch, options.appMatch);
        EXPECT_EQ(there.appSlot, options.appSlot);
        EXPECT_EQ(there.autoSwitch, options.autoSwitch);
        EXPECT_EQ(there.virtualMouse, ctl::VirtualMouse::None) << "the program's mouse is the one it has";
    }
    ctl::CtlOptions options;
    std::string error;
    ASSERT_TRUE(ctl::ParseCtlArgs({"apply", "sub/my.psf", "--trace", "/t/x"}, options, error));
    const auto forwarded = ctl::ForwardedArgs(options, "/home/u");
    EXPECT_NE(std::find(forwarded.begin(), forwarded.end(), "/home/u/sub/my.psf"), forwarded.end());
    EXPECT_NE(std::find(forwarded.begin(), forwarded.end(), "--trace=/t/x"), forwarded.end());
}

TEST(CommandWire, FramesSurviveAnySplitAndOversizedOnesBreakTheStream) {
    namespace wire = ctl::wire;
    const std::string stream = wire::EncodeArgs({"profile", "select", "", "2"}) + wire::Encode(wire::kOut, "x\n") +
                               wire::Encode(wire::kExit, std::string(1, '\0'));
    // Byte by byte, as a slow socket may hand them out.
    wire::FrameReader reader;
    std::vector<wire::Frame> frames;
    for (char c : stream) {
        reader.Append(&c, 1);
        while (auto frame = reader.Next())
            frames.push_back(*frame);
    }
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(wire::DecodeArgs(frames[0].payload), (std::vector<std::string>{"profile", "select", "", "2"}));
    EXPECT_EQ(frames[1].kind, wire::kOut);
    EXPECT_EQ(frames[1].payload, "x\n");
    EXPECT_EQ(frames[2].payload, std::string(1, '\0'));
    EXPECT_FALSE(wire::DecodeArgs("no end").has_value());

    wire::FrameReader flooded;
    const std::string huge = std::string(1, wire::kOut) + std::string("\xFF\xFF\xFF\x7F", 4);
    flooded.Append(huge.data(), huge.size());
    EXPECT_FALSE(flooded.Next().has_value());
    EXPECT_TRUE(flooded.Broken());
}

// The tool hands its command over only to a program that holds the data folder now: a lock file
// left by a program that ended, or one planted as a link, leads it nowhere.
TEST(ProgramLink, OnlyAHeldLockOfTheUsersOwnNamesARunningProgram) {
    test::TempDir dir;
    const std::filesystem::path config = dir.path() / "config";
    std::filesystem::create_directories(config);
    const std::string lock = (config / "quorvik.lock").string();
    EXPECT_EQ(ctl::FindRunningProgram(dir.str()).state, ctl::RunningProgram::State::None) << "no lock file";

    std::string record = "/run/user/1000/quorvik-socket";
    record.resize(108, '\0');
    { std::ofstream(lock, std::ios::binary) << record; }
    EXPECT_EQ(ctl::FindRunningProgram(dir.str()).state, ctl::RunningProgram::State::None) << "nobody holds it";

    const int held = ::open(lock.c_str(), O_RDWR);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    const ctl::RunningProgram running = ctl::FindRunningProgram(dir.str());
    EXPECT_EQ(running.state, ctl::RunningProgram::State::Reachable);
    EXPECT_EQ(running.socketPath, "/run/user/1000/quorvik-socket");
    // Held, but without a socket to reach it by: the tool must not work on the folder itself.
    ASSERT_EQ(::ftruncate(held, 0), 0);
    EXPECT_EQ(ctl::FindRunningProgram(dir.str()).state, ctl::RunningProgram::State::Silent);
    ::close(held);

    // A link in its place is not followed.
    test::TempDir other;
    std::filesystem::create_directories(other.path() / "config");
    std::filesystem::create_symlink(lock, other.path() / "config" / "quorvik.lock");
    const int again = ::open(lock.c_str(), O_RDWR);
    ASSERT_EQ(::flock(again, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(ctl::FindRunningProgram(other.str()).state, ctl::RunningProgram::State::None);
    ::close(again);
}
