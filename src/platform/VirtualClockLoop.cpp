#include "platform/VirtualClockLoop.h"

#include <chrono>

namespace quorvik::platform {

void VirtualClockLoop::advance(std::uint64_t ms) {
    const std::uint64_t target = now_.load() + ms;
    for (;;) {
        processDue();
        auto next = msUntilNextTimer();
        if (!next || now_.load() + *next > target)
            break;
        now_ += *next;
    }
    // A blocking wait inside a handler may have carried the clock past the target already.
    if (now_.load() < target)
        now_ = target;
    processDue();
    settle();
}

int VirtualClockLoop::runUntilIdle() {
    const int dispatched = processDue();
    settle();
    return dispatched;
}

void VirtualClockLoop::settle() {
    // A bound, so that work that never ends fails its test instead of hanging it.
    constexpr std::uint64_t kMostMs = 10 * 60 * 1000;
    const std::uint64_t limit = now_.load() + kMostMs;
    while (pending_ && pending_() && now_.load() < limit) {
        if (threads_ && threads_()) {
            if (!waitForPost(realWaitLimitMs_))
                break; // the other thread never answered: the test fails on what it finds
            continue;
        }
        auto next = msUntilNextTimer();
        if (!next)
            break;
        now_ += *next;
        processDue();
    }
}

bool VirtualClockLoop::waitForPost(std::uint64_t maxRealMs) {
    {
        std::unique_lock lock(queueMutex_);
        if (!queueChanged_.wait_for(lock, std::chrono::milliseconds(maxRealMs), [this] { return !queue_.empty(); }))
            return false;
    }
    processDue();
    return true;
}

void VirtualClockLoop::waitForWork(std::optional<std::uint64_t> maxMs) {
    if (maxMs) {
        now_ += *maxMs;
        return;
    }
    std::unique_lock lock(queueMutex_);
    bool arrived = queueChanged_.wait_for(lock, std::chrono::milliseconds(realWaitLimitMs_),
                                          [this] { return !queue_.empty() || quit_.load(); });
    if (!arrived)
        quit_.store(true); // nothing can ever happen again: end the loop instead of hanging
}

} // namespace quorvik::platform
