// One thread for slow work that must not hold up the main thread (the flushes of a save): jobs run
// one after the other, in the order given, and report back by posting to the main thread. A job
// touches only what it was given.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace quorvik::platform {

class Worker {
public:
    Worker() = default;
    // Runs what was queued, then ends the thread.
    ~Worker();
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    // Queues `job`; the thread starts with the first one.
    void Run(std::function<void()> job);
    // Blocks until every queued job has run (the program's end, before it saves on its own).
    void Drain();
    // No job is queued or running.
    bool Idle() const;

private:
    void loop();

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> jobs_;
    bool running_ = false; // a job is being run
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace quorvik::platform
