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
    const ui::rules::VisibleSlots visible = ui::rules::VisibleProfiles(model::Config());
    for (int position = 0; position < visible.count; ++position)
        if (visible.order[std::size_t(position)] == slot)
            return true;
    return false;
}

struct SaveOutcome {
    std::string path;
    model::FileProblem problem;
};

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
    saver_.Drain();
    loop_.unregisterWindow(handle_);
}

std::optional<int> AppSwitcher::RuleSlot(const platform::AppIdentity& app) const {
    const model::AppRules& rules = model::Rules();
    const std::vector<std::u16string> names = RuleNames(app);
    // A rule whose slot holds no profile shown is passed over: a later rule may still hold.
    for (const model::AppRule& rule : rules.rules) {
        if (!slotShown(rule.slot))
            continue;
        for (const std::u16string& name : names)
            if (model::AppRules::Matches(rule.match, name))
                return rule.slot;
    }
    return std::nullopt;
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
    if (watchingWindows_)
        settled(true);
    else
        startScanning();
}

void AppSwitcher::RulesChanged(std::function<void(const model::FileProblem&)> saved) {
    const std::string path = model::AppRulesFilePath();
    savesTold_.push_back(std::move(saved));
    saver_.Run([rules = model::Rules(), path, &loop = loop_, handle = handle_] {
        auto* outcome = new SaveOutcome{path, {}};
        rules.Write(path, &outcome->problem);
        loop.post(handle, kMsgSaved, 0, reinterpret_cast<platform::LPARAM>(outcome));
    });
    Follow();
}

void AppSwitcher::WindowChanged() {
    if (switching_)
        return;
    const int current = model::CurrentSlot();
    if (current != lastSeenSlot_)
        handSlot_ = lastSeenSlot_ = current;
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
    stopScanning();
    if (reading.kind == platform::FocusKind::Window && reading.app.pid == ownPid_)
        return; // our own window: the user chooses here by hand
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
    scan(true);
}

void AppSwitcher::stopScanning() {
    if (scanning_)
        loop_.killTimer(handle_, kTimerScan);
    scanning_ = false;
}

void AppSwitcher::scan(bool force) {
    // The most recently started process with a rule wins: it is the one the user just opened.
    std::optional<platform::AppIdentity> newest;
    std::optional<int> slot;
    for (const platform::AppIdentity& app : processes_.Running()) {
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

platform::LRESULT AppSwitcher::handleMessage(unsigned message, platform::WPARAM wParam, platform::LPARAM lParam) {
    if (message == kMsgSaved) {
        std::unique_ptr<SaveOutcome> outcome(reinterpret_cast<SaveOutcome*>(lParam));
        model::NoteSettingsSave(outcome->path, outcome->problem);
        if (!savesTold_.empty()) {
            auto told = std::move(savesTold_.front());
            savesTold_.erase(savesTold_.begin());
            if (told)
                told(outcome->problem);
        }
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
        scan(false);
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
