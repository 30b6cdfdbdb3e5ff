// Shared machinery of both clocks: window table, posted-message queue, timer table and dispatch.
// Subclasses decide what "now" is and how the loop waits for more work.
#pragma once

#include "platform/EventLoop.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <optional>

namespace quorvik::platform {

class LoopCore : public EventLoop {
public:
    WindowHandle registerWindow(MessageHandler* handler) override;
    void unregisterWindow(WindowHandle window) override;
    bool isWindow(WindowHandle window) const override;

    LRESULT send(WindowHandle window, unsigned message, WPARAM wParam = 0, LPARAM lParam = 0) override;
    void post(WindowHandle window, unsigned message, WPARAM wParam = 0, LPARAM lParam = 0) override;
    void postQuit() override;
    bool quitRequested() const override { return quit_.load(); }
    // Forgets a quit (a test that checked it, or a program that decided to go on).
    void clearQuit() { quit_.store(false); }

    void setTimer(WindowHandle window, unsigned id, std::uint32_t periodMs) override;
    void killTimer(WindowHandle window, unsigned id) override;
    bool hasTimer(WindowHandle window, unsigned id) const override;

    int processDue() override;
    bool runUntil(const std::function<bool()>& done) override;

    // Milliseconds until the earliest timer falls due (0 when one is overdue), or none.
    std::optional<std::uint64_t> msUntilNextTimer() const;
    bool hasPostedMessages() const;

    // Called after every post (from the posting thread) and timer change, so an outer loop
    // (Qt's) can schedule `processDue`.
    void setWakeHandler(std::function<void()> wake);

protected:
    struct Timer {
        std::uint64_t due = 0;
        std::uint32_t period = 0;
        std::uint64_t order = 0; // ties at the same due time fire in the order they were set
    };
    using TimerKey = std::pair<WindowHandle, unsigned>;

    // Blocks until a post arrives or `maxMs` passes (none = no timer pending).
    virtual void waitForWork(std::optional<std::uint64_t> maxMs) = 0;

    bool dispatchOnePost();
    bool fireOneDueTimer();
    std::optional<std::map<TimerKey, Timer>::iterator> earliestTimer();
    void wake();

    struct Posted {
        WindowHandle window;
        unsigned message;
        WPARAM wParam;
        LPARAM lParam;
    };

    mutable std::mutex queueMutex_;
    std::condition_variable queueChanged_;
    std::deque<Posted> queue_;
    std::atomic<bool> quit_{false};

    std::map<WindowHandle, MessageHandler*> windows_;
    WindowHandle nextHandle_ = 1;
    std::map<TimerKey, Timer> timers_;
    std::uint64_t timerOrder_ = 0;

    std::mutex wakeMutex_;
    std::function<void()> wake_;
};

} // namespace quorvik::platform
