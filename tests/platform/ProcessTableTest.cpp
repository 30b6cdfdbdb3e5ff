// The running processes as a /proc made up by the test tells them.
#include "platform/linux/ProcessTable.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <sys/wait.h>
#include <unistd.h>

namespace quorvik::platform {
namespace {

namespace fs = std::filesystem;

using Names = std::vector<std::string>;

TEST(ProcessNames, InterpretersAndLoadersAreKnownByTheProgramTheyRun) {
    EXPECT_EQ(ProcessNames("/usr/games/supertux2", {"supertux2"}), (Names{"supertux2"}));
    EXPECT_EQ(ProcessNames("/usr/bin/python3.11", {"python3", "-u", "/opt/tool/launcher.py", "--x"}),
              (Names{"launcher.py", "python3.11", "python3"}));
    EXPECT_EQ(ProcessNames("/usr/bin/python3", {"python3", "-m", "mygame"}), (Names{"mygame", "python3"}));
    EXPECT_EQ(ProcessNames("/usr/bin/python3", {"python3", "-c", "print(1)"}), (Names{"python3"}));
    EXPECT_EQ(ProcessNames("/usr/lib/jvm/bin/java", {"java", "-Xmx2G", "-cp", "lib", "-jar", "/games/Mine.jar"}),
              (Names{"Mine.jar", "java"}));
    // A Windows program under its loader names itself by its Windows path.
    EXPECT_EQ(ProcessNames("/usr/lib/wine/wine64-preloader", {"C:\\Games\\Witcher\\witcher3.exe"}),
              (Names{"witcher3.exe", "wine64-preloader"}));
    EXPECT_EQ(ProcessNames("/opt/wine/bin/wine", {"wine", "Z:\\home\\me\\Game.exe"}), (Names{"Game.exe", "wine"}));
    // An executable replaced while running, and a process that renamed itself.
    EXPECT_EQ(ProcessNames("/usr/bin/steam (deleted)", {"/home/me/.steam/steam"}), (Names{"steam"}));
    EXPECT_EQ(ProcessNames("/usr/lib/firefox-esr/firefox-esr", {"/usr/lib/firefox/firefox"}),
              (Names{"firefox-esr", "firefox"}));
}

class ProcessTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::path(::testing::TempDir()) / ("proc-" + std::to_string(::getpid()));
        fs::remove_all(root);
        fs::create_directories(root);
        std::ofstream(root / "uptime") << "1.0 1.0\n"; // not a process
    }
    void TearDown() override { fs::remove_all(root); }

    void Add(int pid, const std::string& exe, const std::vector<std::string>& args, std::uint64_t started) {
        const fs::path folder = root / std::to_string(pid);
        fs::create_directories(folder);
        fs::remove(folder / "exe");
        if (!exe.empty())
            fs::create_symlink(exe, folder / "exe");
        std::string line;
        for (const std::string& arg : args)
            line += arg + '\0';
        std::ofstream(folder / "cmdline", std::ios::binary) << line;
        // The name may hold spaces and parentheses: the fields count from the last ")".
        std::ofstream(folder / "stat") << pid << " (a (b) c) S 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 " << started
                                       << " 123 456\n";
    }

    fs::path root;
};

TEST_F(ProcessTableTest, ListsProcessesWithTheirStartAndSkipsKernelThreadsAndEndedOnes) {
    Add(10, "/usr/bin/game", {"game"}, 5000);
    Add(11, "", {}, 10); // a kernel thread: no executable, no command line
    Add(12, "/usr/bin/python3", {"python3", "tool.py"}, 7000);
    ProcessTable table(root.string(), ::getuid());
    std::vector<AppIdentity> running = table.Running();
    ASSERT_EQ(running.size(), 2u);
    EXPECT_EQ(running[0].pid, 10);
    EXPECT_EQ(running[0].started, 5000u);
    EXPECT_EQ(running[0].names, (Names{"game"}));
    EXPECT_EQ(running[1].names, (Names{"tool.py", "python3"}));

    fs::remove_all(root / "10");
    running = table.Running();
    ASSERT_EQ(running.size(), 1u);
    EXPECT_EQ(running[0].pid, 12);
}

TEST_F(ProcessTableTest, AnotherUsersProcessesAreNotListed) {
    Add(10, "/usr/bin/game", {"game"}, 5000);
    ProcessTable table(root.string(), ::getuid() + 1);
    EXPECT_TRUE(table.Running().empty());
    EXPECT_FALSE(table.Process(10));
}

TEST_F(ProcessTableTest, ANewProcessIsReadAgainWhileYoungAnOldOneOnlyOnce) {
    Add(10, "/usr/bin/old", {"old"}, 1000);
    ProcessTable table(root.string(), ::getuid());
    table.Running();
    // A script that replaces itself with the game it starts, seen between the two.
    Add(20, "/usr/bin/bash", {"bash", "run-game.sh"}, 2000);
    EXPECT_EQ(table.Running().back().names.front(), "run-game.sh");
    Add(20, "/usr/games/game", {"/usr/games/game"}, 2000);
    EXPECT_EQ(table.Running().back().names, (Names{"game"}));
    // What ran before the first scan is not read again: each scan reads only what is new.
    Add(10, "/usr/bin/renamed", {"renamed"}, 1000);
    EXPECT_EQ(table.Running().front().names, (Names{"old"}));
}

// While /proc/loadavg names the same last process id, nothing new can have started: a look only
// finds what ended (by its signal test, so here with real process ids), until the id moves on.
TEST_F(ProcessTableTest, WhileNoProcessIdIsHandedOutOnlyEndsAreLookedFor) {
    const pid_t ended = ::fork();
    ASSERT_GE(ended, 0);
    if (ended == 0)
        ::_exit(0);
    ASSERT_EQ(::waitpid(ended, nullptr, 0), ended);
    const int own = int(::getpid());
    std::ofstream(root / "loadavg") << "0.00 0.01 0.05 1/123 " << ended << "\n";
    Add(own, "/usr/bin/game", {"game"}, 5000);
    Add(int(ended), "/usr/bin/tool", {"tool"}, 6000);
    ProcessTable table(root.string(), ::getuid());
    std::vector<AppIdentity> quick;
    EXPECT_EQ(table.QuickLook(quick), QuickSight::NeedsListing) << "nothing is known before the first look";
    ASSERT_EQ(table.Running().size(), 2u);
    EXPECT_EQ(table.QuickLook(quick), QuickSight::OnlyEnds) << "a process ended";
    ASSERT_EQ(quick.size(), 1u);

    Add(int(ended) + 1000, "/usr/bin/late", {"late"}, 7000); // not yet: no id was handed out
    const std::vector<AppIdentity> quiet = table.Running();
    ASSERT_EQ(quiet.size(), 1u);
    EXPECT_EQ(quiet[0].pid, own) << "the process that ended is gone without a listing";

    // The quick look says the same without reading a file of any process, and only while it can.
    ASSERT_EQ(table.QuickLook(quick), QuickSight::Unchanged);
    EXPECT_EQ(quick, quiet);

    std::ofstream(root / "loadavg") << "0.00 0.01 0.05 1/124 " << ended + 7 << "\n"; // later ids
    EXPECT_EQ(table.QuickLook(quick), QuickSight::NeedsListing) << "a process id was handed out";
    EXPECT_EQ(table.Running().size(), 3u) << "a listing finds every entry again";
    EXPECT_EQ(table.QuickLook(quick), QuickSight::NeedsListing) << "the new process is young: it is read again";
}

} // namespace
} // namespace quorvik::platform
