#include "platform/RealClockLoop.h"

#include <thread>

namespace quorvik::platform {

RealClockLoop::RealClockLoop() : start_(std::chrono::steady_clock::now()) {}

std::uint64_t RealClockLoop::now() const {
    auto elapsed = std::chrono::steady_clock::now() - start_;
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

void RealClockLoop::sleep(std::uint32_t ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void RealClockLoop::waitForWork(std::optional<std::uint64_t> maxMs) {
    if (waitHook_) {
        waitHook_(maxMs);
        return;
    }
    std::unique_lock lock(queueMutex_);
    auto ready = [this] { return !queue_.empty() || quit_.load(); };
    if (maxMs)
        queueChanged_.wait_for(lock, std::chrono::milliseconds(*maxMs), ready);
    else
        queueChanged_.wait(lock, ready);
}

} // namespace quorvik::platform
