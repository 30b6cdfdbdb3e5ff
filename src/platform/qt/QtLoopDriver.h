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

private slots:
    void pump();

private:
    void requestPump();
    void waitForWork(std::optional<std::uint64_t> maxMs);

    RealClockLoop& loop_;
    QTimer timerWake_;
    QTimer waitLimit_;
    std::atomic<bool> pumpQueued_{false};
};

} // namespace quorvik::platform
