// The loop for tests: time stands still until the test (or a blocking wait) moves it, so a
// ten-second save or a full download runs in microseconds and always in the same order.
#pragma once

#include "platform/LoopCore.h"

namespace quorvik::platform {

class VirtualClockLoop : public LoopCore {
public:
    std::uint64_t now() const override { return now_.load(); }

    // A blocking wait moves the clock at once and dispatches nothing.
    void sleep(std::uint32_t ms) override { now_ += ms; }

    // Moves the clock by `ms`, firing every timer that falls due on the way at its own due time
    // and delivering posted messages in between.
    void advance(std::uint64_t ms);

    // Delivers posted messages and overdue timers without moving the clock (but see SetPendingWork).
    int runUntilIdle();

    // Work that tests take as one step, as they did when it blocked the thread (a download on its
    // way to the mouse, paced by timers): while `pending` says some is under way, `advance` and
    // `runUntilIdle` move the clock on past their target, timer by timer, until it is done.
    // Unset (the default), the clock stops where it was told to.
    // `threads`, when given, says the work is on another thread, which posts when it is done: the
    // clock waits (in real time, bounded) for its post before it moves on.
    void SetPendingWork(std::function<bool()> pending, std::function<bool()> threads = {}) {
        pending_ = std::move(pending);
        threads_ = std::move(threads);
    }

    // Waits (on the wall clock, at most `maxRealMs`) for another thread to post something, then
    // delivers it. Returns false when nothing arrived in time.
    bool waitForPost(std::uint64_t maxRealMs = 5000);

    // Longest real time `runUntil` waits for posts from other threads when no timer is pending,
    // before it gives up (a test that would otherwise hang fails instead).
    void setRealWaitLimit(std::uint64_t ms) { realWaitLimitMs_ = ms; }

protected:
    // Jumps to the next timer, or waits a bounded real time for another thread's post.
    void waitForWork(std::optional<std::uint64_t> maxMs) override;

private:
    // Runs the clock on while pending work is under way.
    void settle();

    std::atomic<std::uint64_t> now_{0};
    std::function<bool()> pending_;
    std::function<bool()> threads_;
    std::uint64_t realWaitLimitMs_ = 5000;
};

} // namespace quorvik::platform
