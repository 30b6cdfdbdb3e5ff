// The profiles that follow the application in use, on the virtual clock with a desktop made up
// by the test: which window has the focus, which processes run.
#include "app/AppSwitcher.h"

#include "model/AppRules.h"
#include "model/ConfigPairs.h"
#include "model/ProfileRecord.h"
#include "model/Text.h"
#include "platform/VirtualClockLoop.h"

#include <gtest/gtest.h>

#include <atomic>

namespace quorvik::app {
namespace {

using platform::AppIdentity;
using platform::FocusKind;

constexpr int kOwnPid = 4242;

class FakeDesktop : public platform::FocusWatcher, public platform::ProcessWatcher {
public:
    bool Start(std::function<void()> changed) override {
        changed_ = std::move(changed);
        return windows;
    }
    void Stop() override { changed_ = nullptr; }
    platform::FocusReading Current() override { return focus; }
    std::vector<AppIdentity> OpenApplications() override { return {}; }
    std::vector<AppIdentity> Running() override {
        ++scans;
        return running;
    }
    std::optional<AppIdentity> Process(int pid) override {
        for (const AppIdentity& app : running)
            if (app.pid == pid)
                return app;
        return std::nullopt;
    }

    // The window manager gives the focus to a window of class `wmClass` (process `pid`).
    void Focus(std::uint32_t window, const std::string& wmClass, int pid = 0) {
        Focus(window, std::vector<std::string>{wmClass}, pid);
    }
    void Focus(std::uint32_t window, std::vector<std::string> names, int pid = 0) {
        focus.kind = FocusKind::Window;
        focus.app = {};
        focus.app.window = window;
        focus.app.pid = pid;
        focus.app.names = std::move(names);
        if (changed_)
            changed_();
    }
    void FocusKindOnly(FocusKind kind) {
        focus = {kind, {}};
        if (changed_)
            changed_();
    }

    bool windows = true;
    platform::FocusReading focus;
    std::vector<AppIdentity> running;
    std::atomic<int> scans = 0; // counted on the worker

private:
    std::function<void()> changed_;
};

class FakeWindow : public SwitchHost {
public:
    bool Busy() override { return busy; }
    void SwitchTo(int slot) override {
        model::SetCurrentSlot(slot);
        switched.push_back(slot);
    }
    bool busy = false;
    std::vector<int> switched;
};

class AppSwitcherTest : public ::testing::Test {
protected:
    void SetUp() override {
        model::Config().SetFactory("/nowhere/"); // slots 0, 1 and 2 shown
        model::SetCurrentSlot(0);
        model::Rules() = {};
        model::Rules().autoSwitch = true;
        model::Rules().Add(u"Game", 1);
        model::Rules().Add(u"editor.exe", 2);
    }
    void TearDown() override {
        loop.SetPendingWork({});
        switcher.reset();
        model::Rules() = {};
    }

    AppSwitcher& Make(bool windows = true) {
        desktop.windows = windows;
        switcher = std::make_unique<AppSwitcher>(loop, window, &desktop, desktop, kOwnPid);
        // The processes are read on a worker: the clock waits for its answer.
        auto inFlight = [this] { return switcher && switcher->ScanInFlight(); };
        loop.SetPendingWork(inFlight, inFlight);
        switcher->Follow();
        loop.runUntilIdle();
        return *switcher;
    }
    // The user clicks a tab: the window changes, and tells the switcher so.
    void ChooseByHand(int slot) {
        model::SetCurrentSlot(slot);
        switcher->WindowChanged();
    }
    static AppIdentity Process(int pid, std::uint64_t started, const std::string& name) {
        AppIdentity app;
        app.pid = pid;
        app.started = started;
        app.names = {name};
        return app;
    }

    platform::VirtualClockLoop loop;
    FakeDesktop desktop;
    FakeWindow window;
    std::unique_ptr<AppSwitcher> switcher;
};

TEST_F(AppSwitcherTest, TheFocusSelectsTheRuleOnceSettledAndAnUnruledWindowBringsTheHandChoiceBack) {
    Make();
    desktop.Focus(10, "game");
    loop.advance(AppSwitcher::kSettleMs - 1);
    EXPECT_EQ(model::CurrentSlot(), 0) << "not before the focus has settled";
    loop.advance(1);
    EXPECT_EQ(model::CurrentSlot(), 1) << "names match without regard to case";

    desktop.Focus(11, "Editor", 77);
    loop.advance(AppSwitcher::kSettleMs);
    EXPECT_EQ(model::CurrentSlot(), 0) << "a rule naming editor.exe is no rule for a program called editor";

    desktop.Focus(12, "EDITOR.EXE");
    loop.advance(AppSwitcher::kSettleMs);
    EXPECT_EQ(model::CurrentSlot(), 2);

    desktop.Focus(13, "terminal");
    loop.advance(AppSwitcher::kSettleMs);
    EXPECT_EQ(model::CurrentSlot(), 0);
    EXPECT_EQ(window.switched, (std::vector<int>{1, 0, 2, 0}));
}

TEST_F(AppSwitcherTest, QuickAlternationEndsOnTheLastWindowWithOneSwitch) {
    Make();
    for (int i = 0; i < 10; ++i) {
        desktop.Focus(std::uint32_t(20 + i % 2), i % 2 ? "game" : "editor.exe");
        loop.advance(100);
    }
    loop.advance(AppSwitcher::kSettleMs);
    EXPECT_EQ(model::CurrentSlot(), 1);
    EXPECT_EQ(window.switched, (std::vector<int>{1}));
}

TEST_F(AppSwitcherTest, AHandChoiceStandsUntilTheFocusMovesAndIsWhatUnruledWindowsGetBack) {
    Make();
    desktop.Focus(10, "game");
    loop.advance(AppSwitcher::kSettleMs);
    ASSERT_EQ(model::CurrentSlot(), 1);
    ChooseByHand(2);
    desktop.Focus(10, "game"); // the same window told again
    loop.advance(AppSwitcher::kSettleMs);
    EXPECT_EQ(model::CurrentSlot(), 2);
    // Our own window changes nothing either: the user chooses there.
    desktop.Focus(30, "quorvik", kOwnPid);
    loop.advance(AppSwitcher::kSettleMs);
    EXPECT_EQ(model::CurrentSlot(), 2);
    desktop.Focus(31, "terminal");
    loop.advance(AppSwitcher::kSettleMs);
    EXPECT_EQ(model::CurrentSlot(), 2) << "the hand choice is the one unruled windows get";
    EXPECT_EQ(switcher->HandSlot(), 2);
}

TEST_F(AppSwitcherTest, RulesForSlotsNotShownAreIgnoredAndALaterRuleMayHold) {
    model::Rules().Add(u"launcher", 3); // slot 3 is not shown
    model::Rules().Add(u"hidden-only", 7);
    model::Rules().Add(u"Launcher-Window", 2);
    Make();
    desktop.Focus(40, std::vector<std::string>{"launcher", "Launcher-Window"});
    loop.advance(AppSwitcher::kSettleMs);
    EXPECT_EQ(model::CurrentSlot(), 2);
    desktop.Focus(41, "hidden-only");
    loop.advance(AppSwitcher::kSettleMs);
    EXPECT_EQ(model::CurrentSlot(), 0);
}

TEST_F(AppSwitcherTest, ASwitchWaitsWhileTheWindowIsBusy) {
    Make();
    window.busy = true;
    desktop.Focus(10, "game");
    loop.advance(AppSwitcher::kSettleMs + 5 * AppSwitcher::kBusyRetryMs);
    EXPECT_EQ(model::CurrentSlot(), 0);
    window.busy = false;
    loop.advance(AppSwitcher::kBusyRetryMs);
    EXPECT_EQ(model::CurrentSlot(), 1);
    EXPECT_EQ(window.switched.size(), 1u);
}

TEST_F(AppSwitcherTest, WithoutWindowsTheNewestRuledProcessWinsAndItsEndBringsTheHandChoiceBack) {
    Make(/*windows=*/false);
    EXPECT_TRUE(switcher->ScanningProcesses());
    desktop.running = {Process(100, 5000, "bash"), Process(kOwnPid, 9000, "game")};
    loop.advance(AppSwitcher::kScanMs);
    EXPECT_EQ(model::CurrentSlot(), 0) << "our own process is no application in use";
    desktop.running.push_back(Process(200, 6000, "game"));
    desktop.running.push_back(Process(300, 7000, "Editor.exe"));
    loop.advance(AppSwitcher::kScanMs);
    EXPECT_EQ(model::CurrentSlot(), 2) << "the editor started last";
    ChooseByHand(1);
    loop.advance(3 * AppSwitcher::kScanMs);
    EXPECT_EQ(model::CurrentSlot(), 1) << "a hand choice stands while the same process leads";
    desktop.running.pop_back();
    loop.advance(AppSwitcher::kScanMs);
    EXPECT_EQ(model::CurrentSlot(), 1) << "the game leads now: slot 1, already current";
    desktop.running.pop_back();
    ChooseByHand(0);
    desktop.running.push_back(Process(400, 8000, "GAME"));
    loop.advance(AppSwitcher::kScanMs);
    EXPECT_EQ(model::CurrentSlot(), 1);
    desktop.running.pop_back();
    loop.advance(AppSwitcher::kScanMs);
    EXPECT_EQ(model::CurrentSlot(), 0);
}

TEST_F(AppSwitcherTest, AWindowThatCannotBeSeenFallsBackToTheProcessesWhileItHasTheFocus) {
    Make();
    desktop.running = {Process(200, 6000, "game")};
    desktop.FocusKindOnly(FocusKind::Unknown);
    loop.advance(AppSwitcher::kSettleMs);
    EXPECT_TRUE(switcher->ScanningProcesses());
    EXPECT_EQ(model::CurrentSlot(), 1);
    desktop.Focus(50, "terminal");
    loop.advance(AppSwitcher::kSettleMs);
    EXPECT_FALSE(switcher->ScanningProcesses());
    EXPECT_EQ(model::CurrentSlot(), 0);
    const int scans = desktop.scans.load();
    loop.advance(10 * AppSwitcher::kScanMs);
    EXPECT_EQ(desktop.scans, scans) << "no scanning while the focus can be seen";
}

TEST_F(AppSwitcherTest, SwitchingOffStopsEverythingAndOnLooksAtOnce) {
    model::Rules().autoSwitch = false;
    Make(/*windows=*/false);
    desktop.running = {Process(200, 6000, "game")};
    loop.advance(10 * AppSwitcher::kScanMs);
    EXPECT_EQ(desktop.scans, 0);
    EXPECT_FALSE(loop.msUntilNextTimer().has_value());
    model::Rules().autoSwitch = true;
    switcher->Follow();
    loop.runUntilIdle();
    EXPECT_EQ(model::CurrentSlot(), 1);
    model::Rules().autoSwitch = false;
    switcher->Follow();
    EXPECT_FALSE(loop.msUntilNextTimer().has_value());
}

TEST_F(AppSwitcherTest, ARuleMadeInOurWindowHoldsWhenTheFocusGoesBackToTheApplicationLeft) {
    model::Rules().rules.clear();
    Make();
    desktop.Focus(10, "game");
    loop.advance(AppSwitcher::kSettleMs);
    ASSERT_EQ(model::CurrentSlot(), 0);
    desktop.Focus(30, "quorvik", kOwnPid);
    loop.advance(AppSwitcher::kSettleMs);
    model::Rules().Add(u"game", 2);
    switcher->RulesChanged({});
    EXPECT_EQ(model::CurrentSlot(), 0) << "our own window has the focus";
    desktop.Focus(10, "game");
    loop.advance(AppSwitcher::kSettleMs);
    EXPECT_EQ(model::CurrentSlot(), 2);
}

TEST_F(AppSwitcherTest, AHandChoiceMadeWhileASwitchWaitsCancelsIt) {
    Make();
    window.busy = true;
    desktop.Focus(10, "game");
    loop.advance(AppSwitcher::kSettleMs);
    ChooseByHand(2);
    window.busy = false;
    loop.advance(5 * AppSwitcher::kBusyRetryMs);
    EXPECT_EQ(model::CurrentSlot(), 2);
    EXPECT_TRUE(window.switched.empty());
}

TEST_F(AppSwitcherTest, RuleChangesDoNotLookAtTheProcessesMoreOftenThanEveryTwoSeconds) {
    Make(/*windows=*/false);
    const int first = desktop.scans.load();
    desktop.running = {Process(200, 6000, "game")};
    for (int i = 0; i < 10; ++i) {
        model::Rules().Add(u"tool-" + model::DecimalText(i), 0);
        switcher->RulesChanged({});
        loop.advance(100);
    }
    EXPECT_EQ(desktop.scans.load(), first) << "within the first 2 s";
    model::Rules().Add(u"game", 2); // moved while the game runs: the next look applies it
    switcher->RulesChanged({});
    loop.advance(AppSwitcher::kScanMs);
    EXPECT_EQ(desktop.scans.load(), first + 1);
    EXPECT_EQ(model::CurrentSlot(), 2);
}

} // namespace
} // namespace quorvik::app
