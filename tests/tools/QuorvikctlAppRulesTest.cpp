// The application rules from the command line, with no program running: the tool reads the rules
// file, changes it and writes it before it ends; the mouse is never needed.
#include "CtlHarness.h"

#include "model/AppRules.h"
#include "model/ConfigPairs.h"
#include "model/StdioFileEx.h"
#include "model/Text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace quorvik;
namespace fs = std::filesystem;

namespace {

model::AppRules onDisk() {
    model::AppRules rules;
    EXPECT_TRUE(rules.Read(model::AppRulesFilePath()));
    return rules;
}

// Slots 0, 1 and 2 shown; 3 and 4 hidden.
void showThreeSlots() {
    model::Config().SetProfileShowCount(3);
    for (int position = 0; position < 3; ++position)
        model::Config().SetProfileShowList(position, position);
}

} // namespace

TEST(QuorvikctlAppRules, CommandsTakeOnlyTheirArguments) {
    const std::pair<std::vector<std::string>, bool> cases[] = {
        {{"app", "list"}, true},
        {{"app", "list", "--json"}, true},
        {{"app", "add", "steam_app_570", "4"}, true},
        {{"app", "add", "  Game.exe ", "0"}, true},
        {{"app", "add", "Über Spiel", "1"}, true},
        {{"app", "remove", "firefox"}, true},
        {{"app", "auto", "on"}, true},
        {{"app"}, false},
        {{"app", "show"}, false},
        {{"app", "add"}, false},
        {{"app", "add", "firefox"}, false},
        {{"app", "add", "firefox", "5"}, false},
        {{"app", "add", "firefox", "one"}, false},
        {{"app", "add", "firefox", "1", "2"}, false},
        {{"app", "add", "   ", "1"}, false},
        {{"app", "add", "two\nlines", "1"}, false},
        {{"app", "add", std::string(256, 'x'), "1"}, false},
        {{"app", "add",
          "bad\xFF"
          "utf8",
          "1"},
         false},
        {{"app", "add", "firefox", "1", "--json"}, false},
        {{"app", "remove"}, false},
        {{"app", "remove", ""}, false},
        {{"app", "auto"}, false},
        {{"app", "auto", "yes"}, false},
    };
    for (const auto& [args, ok] : cases) {
        ctl::CtlOptions options;
        std::string error;
        const bool parsed = ctl::ParseCtlArgs(args, options, error);
        EXPECT_EQ(parsed, ok) << args.back() << " → " << error;
        if (!parsed) {
            EXPECT_FALSE(error.empty());
        }
    }
    ctl::CtlOptions options;
    std::string error;
    ASSERT_TRUE(ctl::ParseCtlArgs({"app", "add", std::string(255, 'x'), "3"}, options, error)) << error;
    EXPECT_EQ(options.appSlot, 3);
    // A name that would steer the terminal is not echoed in the message.
    ASSERT_FALSE(ctl::ParseCtlArgs({"app", "remove", "x\x1B[2J"}, options, error));
    EXPECT_EQ(error.find('\x1B'), std::string::npos) << error;
}

TEST(QuorvikctlAppRules, AddMoveRemoveAndTheSwitchAreWrittenToTheRulesFile) {
    CtlHarness h;
    ASSERT_EQ(h.run({"app", "add", "  firefox ", "1"}), ctl::kExitOk) << h.err.str();
    EXPECT_EQ(h.err.str(), "Rule added: \"firefox\" brings profile 1 \"Profile 2\".\n");
    ASSERT_EQ(h.run({"app", "add", "Game.exe", "2"}), ctl::kExitOk) << h.err.str();
    // The same name in other letters moves its rule, keeping its place in the order.
    ASSERT_EQ(h.run({"app", "add", "FIREFOX", "0"}), ctl::kExitOk) << h.err.str();
    EXPECT_EQ(h.err.str().substr(0, 12), "Rule moved: ");
    ASSERT_EQ(h.run({"app", "auto", "on"}), ctl::kExitOk) << h.err.str();
    EXPECT_EQ(h.err.str(), "Automatic switching is on.\n");

    model::AppRules expected;
    expected.rules = {{u"FIREFOX", 0}, {u"Game.exe", 2}};
    expected.autoSwitch = true;
    EXPECT_EQ(onDisk(), expected);
    EXPECT_TRUE(h.mouse.trace().empty()) << "the rules need no mouse";

    // Removed by any case; a rule that is not there fails and changes nothing.
    ASSERT_EQ(h.run({"app", "remove", "game.EXE"}), ctl::kExitOk) << h.err.str();
    EXPECT_EQ(h.err.str(), "Rule removed: \"Game.exe\".\n");
    EXPECT_EQ(h.run({"app", "remove", "Game.exe"}), ctl::kExitFailure);
    EXPECT_NE(h.err.str().find("no rule for \"Game.exe\""), std::string::npos) << h.err.str();
    expected.rules = {{u"FIREFOX", 0}};
    EXPECT_EQ(onDisk(), expected);
    ASSERT_EQ(h.run({"app", "auto", "off"}), ctl::kExitOk);
    EXPECT_FALSE(onDisk().autoSwitch);
}

TEST(QuorvikctlAppRules, ListSaysWhichRulesAreFollowedAndWhyNot) {
    CtlHarness h;
    showThreeSlots();
    model::Profile(1).SetPairValue(model::kPairProfileName, u"Say \"hi\"");
    // A hidden slot is taken, with a warning; a slot beyond 4 only a file edited by hand holds.
    ASSERT_EQ(h.run({"app", "add", "firefox", "1"}), ctl::kExitOk);
    ASSERT_EQ(h.run({"app", "add", "steam_app_570", "4"}), ctl::kExitOk);
    EXPECT_NE(h.err.str().find("warning: slot 4 is not shown"), std::string::npos) << h.err.str();
    EXPECT_NE(h.err.str().find("Rule added"), std::string::npos) << h.err.str();
    model::AppRules edited = onDisk();
    edited.rules.push_back({u"old", 7});
    ASSERT_TRUE(edited.Write(model::AppRulesFilePath()));

    ASSERT_EQ(h.run({"app", "list"}), ctl::kExitOk) << h.err.str();
    EXPECT_EQ(h.out.str(), "automatic switching: off\n"
                           "firefox\t1\tSay \"hi\"\tfollowed\n"
                           "steam_app_570\t4\tProfile 5\tignored: profile not shown\n"
                           "old\t7\t\tignored: no such profile\n");
    ASSERT_EQ(h.run({"app", "list", "--json"}), ctl::kExitOk) << h.err.str();
    EXPECT_EQ(h.out.str(),
              "{\"autoSwitch\": false, \"rules\": ["
              "{\"match\": \"firefox\", \"slot\": 1, \"profile\": \"Say \\\"hi\\\"\", \"followed\": true, "
              "\"reason\": \"\"}, "
              "{\"match\": \"steam_app_570\", \"slot\": 4, \"profile\": \"Profile 5\", \"followed\": false, "
              "\"reason\": \"profile not shown\"}, "
              "{\"match\": \"old\", \"slot\": 7, \"profile\": null, \"followed\": false, "
              "\"reason\": \"no such profile\"}]}\n");
}

TEST(QuorvikctlAppRules, ADamagedFileIsKeptAsideAndAFailedSaveFails) {
    CtlHarness h;
    const std::string path = model::AppRulesFilePath();
    { std::ofstream(path, std::ios::binary) << "not a rules file"; }
    ASSERT_EQ(h.run({"app", "list"}), ctl::kExitOk);
    EXPECT_NE(h.err.str().find("kept as " + path + ".unreadable"), std::string::npos) << h.err.str();
    EXPECT_EQ(h.out.str(), "automatic switching: off\n");
    EXPECT_TRUE(fs::exists(path + std::string(model::kUnreadableSuffix)));

    // The next change writes a whole file again.
    ASSERT_EQ(h.run({"app", "add", "firefox", "1"}), ctl::kExitOk) << h.err.str();
    EXPECT_EQ(onDisk().rules, (std::vector<model::AppRule>{{u"firefox", 1}}));

    // A file that cannot even be copied aside is not saved over: here a folder in its place.
    fs::remove(path);
    fs::create_directory(path);
    EXPECT_EQ(h.run({"app", "add", "game", "1"}), ctl::kExitFailure);
    EXPECT_NE(h.err.str().find("no copy of it could be kept"), std::string::npos) << h.err.str();
    EXPECT_TRUE(fs::is_directory(path));
    fs::remove(path);

    // The folder is gone: the change cannot be saved, and the tool says where and why.
    fs::remove_all(h.dir.path() / "config");
    EXPECT_EQ(h.run({"app", "auto", "on"}), ctl::kExitFailure);
    EXPECT_NE(h.err.str().find("cannot save " + path + ": no such file or folder"), std::string::npos) << h.err.str();
    EXPECT_EQ(h.err.str().find("Automatic switching is on"), std::string::npos) << "no success told";
}
