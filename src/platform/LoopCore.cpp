#include "platform/LoopCore.h"

#include "platform/Messages.h"

#include <algorithm>

namespace quorvik::platform {

WindowHandle LoopCore::registerWindow(MessageHandler* handler) {
    WindowHandle handle = nextHandle_++;
    windows_[handle] = handler;
    return handle;
}

void LoopCore::unregisterWindow(WindowHandle window) {
    windows_.erase(window);
    std::erase_if(timers_, [window](const auto& entry) { return entry.first.first == window; });
    std::lock_guard lock(queueMutex_);
    std::erase_if(queue_, [window](const Posted& p) { return p.window == window; });
}

bool LoopCore::isWindow(WindowHandle window) const {
    return windows_.count(window) != 0;
}

LRESULT LoopCore::send(WindowHandle window, unsigned message, WPARAM wParam, LPARAM lParam) {
    auto it = windows_.find(window);
    if (it == windows_.end())
        return 0;
    return it->second->handleMessage(message, wParam, lParam);
}

void LoopCore::post(WindowHandle window, unsigned message, WPARAM wParam, LPARAM lParam) {
    {
        std::lock_guard lock(queueMutex_);
        queue_.push_back({window, message, wParam, lParam});
    }
    queueChanged_.notify_all();
    wake();
}

void LoopCore::postQuit() {
    {
        std::lock_guard lock(queueMutex_);
        quit_.store(true);
    }
    queueChanged_.notify_all();
    wake();
}

void LoopCore::setTimer(WindowHandle window, unsigned id, std::uint32_t periodMs) {
    // A zero period would spin: it is raised to the minimum of 1 ms.
    std::uint32_t period = std::max<std::uint32_t>(periodMs, 1);
    timers_[{window, id}] = Timer{now() + period, period, timerOrder_++};
    wake();
}

void LoopCore::killTimer(WindowHandle window, unsigned id) {
    timers_.erase({window, id});
}

bool LoopCore::hasTimer(WindowHandle window, unsigned id) const {
    return timers_.count({window, id}) != 0;
}

std::optional<std::map<LoopCore::TimerKey, LoopCore::Timer>::iterator> LoopCore::earliestTimer() {
    if (timers_.empty())
        return std::nullopt;
    auto best = timers_.begin();
    for (auto it = timers_.begin(); it != timers_.end(); ++it) {
        if (it->second.due < best->second.due ||
            (it->second.due == best->second.due && it->second.order < best->second.order))
            best = it;
    }
    return best;
}

std::optional<std::uint64_t> LoopCore::msUntilNextTimer() const {
    auto self = const_cast<LoopCore*>(this);
    auto best = self->earliestTimer();
    if (!best)
        return std::nullopt;
    std::uint64_t due = (*best)->second.due;
    std::uint64_t t = now();
    return due > t ? due - t : 0;
}

bool LoopCore::hasPostedMessages() const {
    std::lock_guard lock(queueMutex_);
    return !queue_.empty();
}

bool LoopCore::dispatchOnePost() {
    Posted p{};
    {
        std::lock_guard lock(queueMutex_);
        if (queue_.empty())
            return false;
        p = queue_.front();
        queue_.pop_front();
    }
    send(p.window, p.message, p.wParam, p.lParam);
    return true;
}

bool LoopCore::fireOneDueTimer() {
    auto best = earliestTimer();
    if (!best || (*best)->second.due > now())
        return false;
    TimerKey key = (*best)->first;
    Timer& timer = (*best)->second;
    // Rescheduled before the handler runs, so a handler that kills or restarts it wins. Periods
    // missed during a blocking wait are not made up: one WM_TIMER, then the normal rhythm.
    timer.due = now() + timer.period;
    timer.order = timerOrder_++;
    send(key.first, WM_TIMER, key.second, 0);
    return true;
}

int LoopCore::processDue() {
    int count = 0;
    // Posted messages go before timers, the order the program's handlers expect; a timer is only
    // looked at when the queue is empty, so a flood of posts delays timers but never reorders posts.
    for (;;) {
        if (dispatchOnePost()) {
            ++count;
            continue;
        }
        if (fireOneDueTimer()) {
            ++count;
            continue;
        }
        return count;
    }
}

bool LoopCore::runUntil(const std::function<bool()>& done) {
    for (;;) {
        if (quit_.load())
            return false;
        if (done())
            return true;
        if (dispatchOnePost() || fireOneDueTimer())
            continue;
        if (quit_.load())
            return false;
        if (done())
            return true;
        waitForWork(msUntilNextTimer());
    }
}

void LoopCore::setWakeHandler(std::function<void()> wake) {
    std::lock_guard lock(wakeMutex_);
    wake_ = std::move(wake);
}

void LoopCore::wake() {
    std::function<void()> w;
    {
        std::lock_guard lock(wakeMutex_);
        w = wake_;
    }
    if (w)
        w();
}

} // namespace quorvik::platform
