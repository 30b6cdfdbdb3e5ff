// The rules file: what is written reads back, and what is damaged is refused as a whole.
#include "model/AppRules.h"

#include "model/StdioFileEx.h"
#include "model/Text.h"
#include "platform/ProcessGlobals.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <csignal>

#include <sys/wait.h>
#include <unistd.h>

namespace quorvik::model {
namespace {

namespace fs = std::filesystem;

class AppRulesFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::path(::testing::TempDir()) / ("apprules-" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        path = (folder / "apprules.ini").string();
    }
    void TearDown() override { fs::remove_all(folder); }

    // Writes `text` as the program's files are: UTF-16 little-endian with its byte-order mark.
    void WriteRaw(const std::u16string& text) {
        std::ofstream out(path, std::ios::binary);
        out.write("\xFF\xFE", 2);
        for (char16_t c : text) {
            const char bytes[2] = {char(c & 0xFF), char(c >> 8)};
            out.write(bytes, 2);
        }
    }

    fs::path folder;
    std::string path;
};

TEST_F(AppRulesFileTest, WhatIsWrittenReadsBackAndAMissingFileIsNoRulesAndSwitchingOff) {
    AppRules rules;
    EXPECT_TRUE(rules.Read(path));
    EXPECT_TRUE(rules.rules.empty());
    EXPECT_FALSE(rules.autoSwitch);

    rules.autoSwitch = true;
    ASSERT_TRUE(rules.Add(u"  steam_app_570 ", 2)); // spaces around a name are dropped
    ASSERT_TRUE(rules.Add(u"Doom Eternal.exe", 1));
    ASSERT_TRUE(rules.Add(u"游戏", 0));
    ASSERT_TRUE(rules.Add(u"STEAM_APP_570", 4)); // the same name moves, keeping its place
    EXPECT_FALSE(rules.Add(u"two\nlines", 1));
    EXPECT_FALSE(rules.Add(u"   ", 1));
    EXPECT_FALSE(rules.Add(std::u16string(kAppRuleMatchMax + 1, u'a'), 1));
    ASSERT_TRUE(rules.Write(path));

    AppRules read;
    ASSERT_TRUE(read.Read(path));
    EXPECT_EQ(read, rules);
    ASSERT_EQ(read.rules.size(), 3u);
    EXPECT_EQ(read.rules[0], (AppRule{u"STEAM_APP_570", 4}));
    EXPECT_TRUE(read.Remove(u"doom eternal.EXE"));
    EXPECT_FALSE(read.Remove(u"doom eternal"));
    EXPECT_EQ(read.rules.size(), 2u);
}

TEST_F(AppRulesFileTest, ADamagedFileIsRefusedWholeAndKeptAsideByTheLoad) {
    const std::vector<std::u16string> damaged{
        u"[Setting]\nAutoSwitch=1\n",                  // another file's section
        u"[Applications]\nAutoSwitch=yes\n",           // a switch that is neither 0 nor 1
        u"[Applications]\nRule=x game\n",              // no slot
        u"[Applications]\nRule=1\n",                   // no name
        u"[Applications]\nRule=1 game\nRule=2 GAME\n", // the same name twice
        u"[Applications]\nRule=123 game\n",            // more digits than a slot has
        u"[Applications]\nColour=red\n",               // a line of no kind
    };
    for (const std::u16string& text : damaged) {
        WriteRaw(text);
        AppRules rules;
        rules.Add(u"left over", 1);
        FileProblem problem;
        EXPECT_FALSE(rules.Read(path, &problem)) << ToUtf8(text);
        EXPECT_EQ(problem.fault, FileFault::Damaged);
        EXPECT_TRUE(rules.rules.empty());
        EXPECT_FALSE(rules.autoSwitch);
    }
    // The program's load keeps the damaged file beside it and goes on with no rules.
    const std::string data = platform::DataFolder();
    platform::SetDataFolder((folder / "data").string() + "/");
    fs::create_directories(folder / "data" / "config");
    path = AppRulesFilePath();
    WriteRaw(u"[Applications]\nRule=1\n");
    Rules().Add(u"stale", 1);
    EXPECT_FALSE(LoadAppRules());
    EXPECT_TRUE(Rules().rules.empty());
    EXPECT_TRUE(fs::exists(path + ".unreadable"));
    platform::SetDataFolder(data);
    path = (folder / "apprules.ini").string();

    // A slot that holds no profile is not damage: the rule is kept, and ignored when switching.
    WriteRaw(u"[Applications]\nAutoSwitch=1\nRule=9 old game\n");
    AppRules rules;
    ASSERT_TRUE(rules.Read(path));
    EXPECT_EQ(rules.rules.front(), (AppRule{u"old game", 9}));
}

// A process killed while it saves the rules, over and over at random moments, leaves a file
// that reads as one of the versions it wrote, never a damaged one.
TEST_F(AppRulesFileTest, AKillDuringASaveLeavesAFileThatReads) {
    AppRules one;
    AppRules two;
    two.autoSwitch = true;
    for (int i = 0; i < 200; ++i) {
        one.Add(u"game-" + DecimalText(i), i % 5);
        two.Add(u"other-program-" + DecimalText(i), (i + 1) % 5);
    }
    ASSERT_TRUE(one.Write(path));
    for (int round = 0; round < 12; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int k = 0;; ++k)
                (k % 2 ? one : two).Write(path);
        }
        ::usleep(useconds_t(1000 + 700 * round));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        AppRules read;
        ASSERT_TRUE(read.Read(path)) << "round " << round;
        EXPECT_TRUE(read == one || read == two) << "round " << round;
    }
}

TEST(AppRuleMatching, IgnoresCaseAndTheExeSuffixOfAWindowsProgram) {
    EXPECT_TRUE(AppRules::Matches(u"firefox", u"Firefox"));
    EXPECT_TRUE(AppRules::Matches(u"witcher3", u"Witcher3.EXE"));
    EXPECT_TRUE(AppRules::Matches(u"ÉLITE", u"élite"));
    EXPECT_FALSE(AppRules::Matches(u"witcher3.exe", u"witcher3"));
    EXPECT_FALSE(AppRules::Matches(u"fire", u"firefox"));
    EXPECT_FALSE(AppRules::Matches(u"", u""));
    AppRules rules;
    rules.Add(u"code", 1);
    rules.Add(u"Navigator", 2);
    const AppRule* first = rules.FirstMatching({u"firefox-esr", u"navigator"});
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->slot, 2);
    EXPECT_EQ(rules.FirstMatching({u"vim"}), nullptr);
}

} // namespace
} // namespace quorvik::model
