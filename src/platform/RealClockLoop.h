// The loop on the machine's monotonic clock. Headless tools call `run`; the GUI lets Qt's loop
// drive it through the wake handler and, for nested modal loops, through the wait hook.
#pragma once

#include "platform/LoopCore.h"

#include <chrono>

namespace quorvik::platform {

class RealClockLoop : public LoopCore {
public:
    RealClockLoop();

    std::uint64_t now() const override;
    std::uint32_t timerGranularityMs() const override { return 1; }
    void sleep(std::uint32_t ms) override;

    // Replaces the plain wait of `runUntil` (the GUI processes its own events there). The hook
    // must return when a post arrives (the wake handler is called) or after `maxMs`.
    void setWaitHook(std::function<void(std::optional<std::uint64_t> maxMs)> hook) { waitHook_ = std::move(hook); }

protected:
    void waitForWork(std::optional<std::uint64_t> maxMs) override;

private:
    std::chrono::steady_clock::time_point start_;
    std::function<void(std::optional<std::uint64_t>)> waitHook_;
};

} // namespace quorvik::platform
