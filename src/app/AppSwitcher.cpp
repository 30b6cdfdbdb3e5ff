#include "app/AppSwitcher.h"

#include "model/AppRules.h"
#include "model/ConfigPairs.h"
#include "model/ProfileRecord.h"
#include "model/Text.h"
#include "platform/Messages.h"
#include "ui/rules/ProfileSlots.h"

#include <algorithm>
#include <memory>
#include <utility>

namespace quorvik::app {

namespace {

bool slotShown(int slot) {
    return ui::rules::SlotShown(model::Config(), slot);
}

} // namespace

std::vector<std::u16string> RuleNames(const platform::AppIdentity& app) {
    std::vector<std::u16string> names;
    names.reserve(app.names.size());
    for (const std::string& name : app.names)
        names.push_back(model::ToU16(name));
    return names;
}

AppSwitcher::AppSwitcher(platform::EventLoop& loop, SwitchHost& host, platform::FocusWatcher* focus,
                         platform::ProcessWatcher& processes, int ownPid)
    : loop_(loop), host_(host), focus_(focus), processes_(processes), ownPid_(ownPid),
      handle_(loop.registerWindow(this)), handSlot_(model::CurrentSlot()), lastSeenSlot_(model::CurrentSlot()) {}

AppSwitcher::~AppSwitcher() {
    if (focus_ && watchingWindows_)
        focus_->Stop();
    scanner_.Drain();
    saver_.Drain();
    // Saves that ended while the program ends are noted and answered here: their messages will
    // not be delivered any more.
    takeSaveOutcomes();
    loop_.unregisterWindow(handle_);
}

std::optional<int> AppSwitcher::RuleSlot(const platform::AppIdentity& app) const {
    // A rule whose slot holds no profile shown is passed over: a later rule may still hold.
    const model::AppRule* rule =
        model::Rules().FirstMatching(RuleNames(app), [](const model::AppRule& r) { return slotShown(r.slot); });
    return rule ? std::optional<int>(rule->slot) : std::nullopt;
}

void AppSwitcher::Follow() {
    if (!model::Rules().autoSwitch) {
        if (focus_ && watchingWindows_)
            focus_->Stop();
        watchingWindows_ = false;
        stopScanning();
        loop_.killTimer(handle_, kTimerSettle);
        loop_.killTimer(handle_, kTimerRetry);
        following_ = false;
        desired_.reset();
        lastKey_.reset();
        return;
    }
    if (!following_) {
        following_ = true;
        // From here on, the profile current now is the one chosen by hand.
        handSlot_ = lastSeenSlot_ = model::CurrentSlot();
        watchingWindows_ = focus_ && focus_->Start([this] { focusMoved(); });
    }
    if (watchingWindows_ && !scanning_)
        settled(true);
    else
        startScanning(); // a window we cannot see, or no windows at all: the processes decide
}

void AppSwitcher::RulesChanged(std::function<void(const model::FileProblem&)> saved) {
    const std::string path = model::AppRulesFilePath();
    savesTold_.push_back(std::move(saved));
    saver_.Run([this, rules = model::Rules(), path] {
        model::FileProblem problem;
        rules.Write(path, &problem);
        {
            std::lock_guard<std::mutex> lock(outcomesMutex_);
            saveOutcomes_.push_back(problem);
        }
        loop_.post(handle_, kMsgSaved, 0, 0);
    });
    // The rules are new: the application in use is looked at again when the focus comes back to
    // it, even if it is the one acted on last (the user left it to make the rule).
    lastKey_.reset();
    Follow();
}

void AppSwitcher::takeSaveOutcomes() {
    std::vector<model::FileProblem> outcomes;
    {
        std::lock_guard<std::mutex> lock(outcomesMutex_);
        outcomes.swap(saveOutcomes_);
    }
    const std::string path = model::AppRulesFilePath();
    for (const model::FileProblem& problem : outcomes) {
        model::NoteSettingsSave(path, problem);
        if (savesTold_.empty())
            continue;
        auto told = std::move(savesTold_.front());
        savesTold_.erase(savesTold_.begin());
        if (told)
            told(problem);
    }
}

void AppSwitcher::WindowChanged() {
    if (switching_)
        return;
    const int current = model::CurrentSlot();
    if (current == lastSeenSlot_)
        return;
    handSlot_ = lastSeenSlot_ = current;
    // A switch still waiting for the window would undo what the user just chose.
    desired_.reset();
    loop_.killTimer(handle_, kTimerRetry);
}

void AppSwitcher::focusMoved() {
    // Every move starts the wait again: quick alternation ends in one look at the last window.
    loop_.setTimer(handle_, kTimerSettle, kSettleMs);
}

platform::AppIdentity AppSwitcher::withProcessNames(platform::AppIdentity app) {
    if (app.pid <= 0)
        return app;
    if (std::optional<platform::AppIdentity> process = processes_.Process(app.pid)) {
        std::vector<std::string> names = std::move(process->names);
        for (std::string& name : app.names)
            platform::AddName(names, std::move(name));
        app.names = std::move(names);
        app.started = process->started;
    }
    return app;
}

void AppSwitcher::settled(bool force) {
    loop_.killTimer(handle_, kTimerSettle);
    const platform::FocusReading reading = focus_->Current();
    if (reading.kind == platform::FocusKind::Unknown) {
        // A window we cannot see: the running processes are what is left, while it lasts.
        if (!scanning_) {
            lastKey_.reset();
            startScanning();
        }
        return;
    }
    if (reading.kind == platform::FocusKind::Window && reading.app.pid == ownPid_)
        return; // our own window: the user chooses here by hand, and what was followed stays
    stopScanning();
    const std::string key =
        reading.kind == platform::FocusKind::Window ? "window " + std::to_string(reading.app.window) : "none";
    if (!force && lastKey_ == key)
        return; // the same window again: a choice made by hand meanwhile stands
    lastKey_ = key;
    std::optional<int> slot;
    if (reading.kind == platform::FocusKind::Window)
        slot = RuleSlot(withProcessNames(reading.app));
    want(slot.value_or(handSlot_));
}

void AppSwitcher::startScanning() {
    if (!scanning_) {
        scanning_ = true;
        loop_.setTimer(handle_, kTimerScan, kScanMs);
    }
    scanSoon(true);
}

void AppSwitcher::stopScanning() {
    if (scanning_)
        loop_.killTimer(handle_, kTimerScan);
    scanning_ = false;
    forceScan_ = false;
}

void AppSwitcher::scanSoon(bool force) {
    forceScan_ = forceScan_ || force;
    // At most one look at the processes every 2 s, whatever asks for more: the periodic timer
    // takes a forced look that comes too early.
    if (scanInFlight_ || (lastScanAt_ && loop_.now() - *lastScanAt_ < kScanMs))
        return;
    lastScanAt_ = loop_.now();
    // Most looks find that nothing started or ended: then what was followed stays as it is. A
    // look that finds only ends is told at once, without waking the worker.
    std::vector<platform::AppIdentity> quick;
    const platform::QuickSight sight = processes_.QuickLook(quick);
    if (sight == platform::QuickSight::Unchanged && !forceScan_)
        return;
    if (sight != platform::QuickSight::NeedsListing) {
        follow(std::move(quick));
        return;
    }
    scanInFlight_ = true;
    // /proc is read on the worker: a process stuck in the kernel can hold the read of its
    // command line, and the window must not wait for it.
    scanner_.Run([this] {
        std::vector<platform::AppIdentity> running = processes_.Running();
        {
            std::lock_guard<std::mutex> lock(scanMutex_);
            scanned_ = std::move(running);
        }
        loop_.post(handle_, kMsgScanned, 0, 0);
    });
}

void AppSwitcher::scanned() {
    std::vector<platform::AppIdentity> running;
    {
        std::lock_guard<std::mutex> lock(scanMutex_);
        running.swap(scanned_);
    }
    scanInFlight_ = false;
    follow(std::move(running));
}

void AppSwitcher::follow(std::vector<platform::AppIdentity> running) {
    if (!scanning_ || !model::Rules().autoSwitch)
        return;
    const bool force = std::exchange(forceScan_, false);
    // The most recently started process with a rule wins: it is the one the user just opened.
    std::optional<platform::AppIdentity> newest;
    std::optional<int> slot;
    for (const platform::AppIdentity& app : running) {
        if (app.pid == ownPid_)
            continue;
        const std::optional<int> ruled = RuleSlot(app);
        if (ruled &&
            (!newest || app.started > newest->started || (app.started == newest->started && app.pid > newest->pid))) {
            newest = app;
            slot = ruled;
        }
    }
    const std::string key =
        newest ? "process " + std::to_string(newest->pid) + " " + std::to_string(newest->started) : "none";
    if (!force && lastKey_ == key)
        return;
    lastKey_ = key;
    want(slot.value_or(handSlot_));
}

void AppSwitcher::want(int slot) {
    desired_ = slot;
    tryApply();
}

void AppSwitcher::tryApply() {
    if (!desired_)
        return;
    if (host_.Busy()) {
        loop_.setTimer(handle_, kTimerRetry, kBusyRetryMs);
        return;
    }
    loop_.killTimer(handle_, kTimerRetry);
    const int slot = *std::exchange(desired_, std::nullopt);
    if (slot == model::CurrentSlot() || !slotShown(slot))
        return;
    switching_ = true;
    host_.SwitchTo(slot);
    switching_ = false;
    lastSeenSlot_ = model::CurrentSlot();
    ++switches_;
}

platform::LRESULT AppSwitcher::handleMessage(unsigned message, platform::WPARAM wParam, platform::LPARAM) {
    if (message == kMsgSaved) {
        takeSaveOutcomes();
        return 0;
    }
    if (message == kMsgScanned) {
        scanned();
        return 0;
    }
    if (message != platform::WM_TIMER)
        return 0;
    switch (wParam) {
    case kTimerSettle:
        if (watchingWindows_)
            settled(false);
        else
            loop_.killTimer(handle_, kTimerSettle);
        break;
    case kTimerScan:
        scanSoon(false);
        break;
    case kTimerRetry:
        tryApply();
        break;
    default:
        break;
    }
    return 0;
}

} // namespace quorvik::app
