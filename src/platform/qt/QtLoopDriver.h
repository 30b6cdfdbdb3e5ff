// Makes Qt's event loop and ours one loop on the GUI thread.
//
// Posts from any thread and timer changes call the wake handler, which queues `pump` on the GUI
// thread; `pump` dispatches what is due and arms a single-shot QTimer for the next window timer.
// Inside a nested modal loop (`runUntil`) the wait hook lets Qt deliver its own input and paint
// events, so timers, posts from reader threads and user input arrive in one order.
#pragma once

#include "platform/RealClockLoop.h"

#include <QObject>
#include <QTimer>

#include <atomic>

namespace quorvik::platform {

class QtLoopDriver : public QObject {
    Q_OBJECT
public:
    // Installs itself on `loop`; the loop must outlive the driver.
    explicit QtLoopDriver(RealClockLoop& loop, QObject* parent = nullptr);
    ~QtLoopDriver() override;

    // Runs Qt's loop until our loop's quit is posted (the program's main loop).
    void exec();

    // Timer wake-ups that found nothing due (a wake-up that came too early costs a second one).
    std::uint64_t idleWakes() const { return idleWakes_; }

private:
    // Dispatches what is due and arms the wake-up for the next timer; returns what it dispatched.
    int pump();
    void requestPump();
    void waitForWork(std::optional<std::uint64_t> maxMs);

    RealClockLoop& loop_;
    QTimer timerWake_;
    QTimer waitLimit_;
    std::uint64_t armedFor_ = 0; // loop time the armed wake-up is for
    std::uint64_t idleWakes_ = 0;
    std::atomic<bool> pumpQueued_{false};
};

} // namespace quorvik::platform
