// Profiles that follow the application in use. While switching is on, the focused window is
// followed (or, where no window can be seen, the running processes), and once the focus has
// settled on an application with a rule, that rule's profile becomes current as a click on its
// tab would make it. An application without a rule brings back the profile the user chose by hand.
//
// A switch waits while a dialog of ours is open or a download runs. The focus on our own windows
// changes nothing: there the user chooses by hand, and such a choice stands until the focus moves
// to another application.
#pragma once

#include "model/FileProblems.h"
#include "platform/AppWatch.h"
#include "platform/EventLoop.h"
#include "platform/Worker.h"

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace quorvik::app {

// What the switching acts on: the running program's window.
class SwitchHost {
public:
    virtual ~SwitchHost() = default;
    // A dialog of ours is open, or a download runs or is due.
    virtual bool Busy() = 0;
    // The profile of `slot` (a shown slot) becomes current as a click on its tab makes it, and
    // the on-screen display names it.
    virtual void SwitchTo(int slot) = 0;
};

class AppSwitcher : private platform::MessageHandler {
public:
    static constexpr std::uint32_t kSettleMs = 300;    // the focus must stay this long
    static constexpr std::uint32_t kScanMs = 2000;     // processes are looked at this often
    static constexpr std::uint32_t kBusyRetryMs = 100; // a waiting switch looks again
    static constexpr unsigned kTimerSettle = 1;
    static constexpr unsigned kTimerScan = 2;
    static constexpr unsigned kTimerRetry = 3;
    static constexpr unsigned kMsgSaved = 0x0400 + 0x2A0;   // a save of the rules ended
    static constexpr unsigned kMsgScanned = 0x0400 + 0x2A1; // a look at the processes ended

    // `focus` may be null (no display): the processes are then all there is. `ownPid` is this
    // program's process id.
    AppSwitcher(platform::EventLoop& loop, SwitchHost& host, platform::FocusWatcher* focus,
                platform::ProcessWatcher& processes, int ownPid);
    ~AppSwitcher() override;
    AppSwitcher(const AppSwitcher&) = delete;
    AppSwitcher& operator=(const AppSwitcher&) = delete;

    // Follows model::Rules() as they are now: starts or stops watching, and looks at once.
    void Follow();
    // model::Rules() changed: they are saved on the worker thread (`saved` is then told the
    // outcome on this thread; it may be empty) and followed from now on.
    void RulesChanged(std::function<void(const model::FileProblem&)> saved);
    // The window changed something: a current profile the switching did not choose is the user's.
    void WindowChanged();

    // The profile the user chose by hand, which an application without a rule brings back.
    int HandSlot() const { return handSlot_; }
    // The slot a rule gives `app`, when it has a rule that may be followed (a shown slot).
    std::optional<int> RuleSlot(const platform::AppIdentity& app) const;
    // How the focus is followed now: by its window, by the processes, or not at all.
    bool WatchingWindows() const { return watchingWindows_; }
    bool ScanningProcesses() const { return scanning_; }
    // A look at the processes is on its way on the worker thread.
    bool ScanInFlight() const { return scanInFlight_; }
    // The number of switches made (for the checks).
    int Switches() const { return switches_; }
    // Waits for the saves still queued (the program's end).
    void DrainSaves() { saver_.Drain(); }

private:
    platform::LRESULT handleMessage(unsigned message, platform::WPARAM wParam, platform::LPARAM lParam) override;
    void focusMoved();
    void settled(bool force);
    void scanSoon(bool force);
    void scanned();
    void follow(std::vector<platform::AppIdentity> running);
    void takeSaveOutcomes();
    void startScanning();
    void stopScanning();
    void want(int slot);
    void tryApply();
    platform::AppIdentity withProcessNames(platform::AppIdentity app);

    platform::EventLoop& loop_;
    SwitchHost& host_;
    platform::FocusWatcher* focus_;
    platform::ProcessWatcher& processes_;
    const int ownPid_;
    platform::WindowHandle handle_ = 0;
    bool following_ = false;
    bool watchingWindows_ = false;
    bool scanning_ = false;
    // What was last acted on: the focused window, the newest matching process, or nothing.
    std::optional<std::string> lastKey_;
    int handSlot_ = 0;
    int lastSeenSlot_ = 0;
    bool switching_ = false;
    std::optional<int> desired_; // a switch waiting for the window to be free
    int switches_ = 0;
    std::vector<std::function<void(const model::FileProblem&)>> savesTold_; // in the order queued
    std::optional<std::uint64_t> lastScanAt_;
    bool scanInFlight_ = false;
    bool forceScan_ = false;
    std::mutex scanMutex_;
    std::vector<platform::AppIdentity> scanned_; // the worker's last look, until taken
    std::mutex outcomesMutex_;
    std::vector<model::FileProblem> saveOutcomes_; // saves ended, until noted
    // Last: they end first, before what their jobs use.
    platform::Worker saver_;
    platform::Worker scanner_;
};

// The names of `app` as the rules compare them.
std::vector<std::u16string> RuleNames(const platform::AppIdentity& app);

} // namespace quorvik::app
