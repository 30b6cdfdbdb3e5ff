// Everything the program writes to the mouse goes through one queue, one job at a time, and every
// pause the mouse needs between two reports is a timer of the loop, never a wait of the main
// thread: between two reports the window takes input, runs its timers and paints.
//
// A job is a small state machine (a download, a status read, a factory reset). The queue calls its
// Step, which does at most one exchange with the mouse and says how long the mouse needs before the
// next one; after that pause Step runs again, until it says the job is done. A pause outlives the
// job that asked for it: the next job, or one pushed after an abandoned job, starts only once the
// last pause is over, so reports keep their spacing on the wire whatever happens between them.
#pragma once

#include "platform/EventLoop.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace quorvik::device {

class WireJob {
public:
    virtual ~WireJob() = default;
    // Does the next piece of the job's work; returns the pause that must follow it (0: go on at
    // once), or none when the job is done.
    virtual std::optional<std::uint32_t> Step() = 0;
    // After the last step: the job's work is done.
    virtual void Finished() {}
    // The job ends before its work is done (a device scan, the mouse gone, the program ending);
    // what it did not write must stay to be written later.
    virtual void Abandon() {}
};

// A job given as one function, called with the turn (0, 1, …) at each step.
class FunctionJob : public WireJob {
public:
    explicit FunctionJob(std::function<std::optional<std::uint32_t>(int turn)> step) : step_(std::move(step)) {}
    std::optional<std::uint32_t> Step() override { return step_(turn_++); }

private:
    std::function<std::optional<std::uint32_t>(int)> step_;
    int turn_ = 0;
};

// The queue is a window of the loop of its own: its pauses are its own timer.
class WireQueue : private platform::MessageHandler {
public:
    explicit WireQueue(platform::EventLoop& loop);
    ~WireQueue() override;
    WireQueue(const WireQueue&) = delete;
    WireQueue& operator=(const WireQueue&) = delete;

    // Queues the job; it starts at once when the queue is idle and no pause is pending.
    void Push(std::unique_ptr<WireJob> job);
    // A job runs, waits for its turn, or the last pause is not over yet.
    bool Busy() const;
    // Whether `job` is the one running now.
    bool IsRunning(const WireJob* job) const { return current_ && current_.get() == job; }
    // Every job, running or waiting, is abandoned (in queue order); the pending pause still holds.
    void AbandonAll();

private:
    platform::LRESULT handleMessage(unsigned message, platform::WPARAM wParam, platform::LPARAM lParam) override;
    void pump();
    void armFor(std::uint64_t until);

    platform::EventLoop& loop_;
    platform::WindowHandle window_;
    std::unique_ptr<WireJob> current_;
    std::deque<std::unique_ptr<WireJob>> waiting_;
    std::uint64_t quietUntil_ = 0; // loop time before which nothing is written
    bool pumping_ = false;
    std::vector<std::unique_ptr<WireJob>> retired_; // abandoned inside a step, freed after it
};

} // namespace quorvik::device
