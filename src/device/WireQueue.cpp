#include "device/WireQueue.h"

#include "platform/Messages.h"

#include <vector>

namespace quorvik::device {

namespace {
constexpr unsigned kTimerPause = 1;
} // namespace

WireQueue::WireQueue(platform::EventLoop& loop) : loop_(loop), window_(loop.registerWindow(this)) {}

WireQueue::~WireQueue() {
    loop_.unregisterWindow(window_);
}

void WireQueue::Push(std::unique_ptr<WireJob> job) {
    waiting_.push_back(std::move(job));
    pump();
}

bool WireQueue::Busy() const {
    return current_ || !waiting_.empty();
}

void WireQueue::AbandonAll() {
    // A job may be abandoned from inside its own step (a handler it called ended it): it is kept
    // alive until that step has returned.
    std::vector<std::unique_ptr<WireJob>> ended;
    if (current_)
        ended.push_back(std::move(current_));
    while (!waiting_.empty()) {
        ended.push_back(std::move(waiting_.front()));
        waiting_.pop_front();
    }
    for (auto& job : ended)
        job->Abandon();
    if (pumping_)
        for (auto& job : ended)
            retired_.push_back(std::move(job));
    if (!Busy() && loop_.now() >= quietUntil_)
        loop_.killTimer(window_, kTimerPause);
}

platform::LRESULT WireQueue::handleMessage(unsigned message, platform::WPARAM wParam, platform::LPARAM) {
    if (message == platform::WM_TIMER && wParam == kTimerPause) {
        loop_.killTimer(window_, kTimerPause);
        pump();
    }
    return 0;
}

void WireQueue::armFor(std::uint64_t until) {
    const std::uint64_t now = loop_.now();
    loop_.setTimer(window_, kTimerPause, std::uint32_t(until > now ? until - now : 1));
}

void WireQueue::pump() {
    if (pumping_)
        return; // a job pushed from inside a step waits for the loop below
    pumping_ = true;
    for (;;) {
        if (!current_) {
            if (waiting_.empty())
                break;
            if (loop_.now() < quietUntil_) {
                armFor(quietUntil_);
                break;
            }
            current_ = std::move(waiting_.front());
            waiting_.pop_front();
        }
        WireJob* job = current_.get();
        const std::optional<std::uint32_t> pause = job->Step();
        if (current_.get() != job)
            continue; // abandoned while it stepped
        if (!pause) {
            std::unique_ptr<WireJob> done = std::move(current_);
            done->Finished();
            continue;
        }
        if (*pause == 0)
            continue;
        // A pause is a minimum: a clock of whole milliseconds may fire its timer up to one early.
        quietUntil_ = loop_.now() + *pause + loop_.timerGranularityMs();
        armFor(quietUntil_);
        break;
    }
    pumping_ = false;
    retired_.clear();
}

} // namespace quorvik::device
