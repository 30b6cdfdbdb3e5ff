// Waiting for something that another thread or process does, while this thread serves its events.
#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include <functional>

namespace quorvik::test {

// Serves events until `done()` holds; false when `limitMs` passed first (the test then fails
// instead of hanging). A short tick wakes the wait, so `done()` may watch anything.
inline bool WaitUntil(const std::function<bool()>& done, int limitMs = 5000) {
    QDeadlineTimer deadline(limitMs);
    QTimer tick;
    tick.start(10);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

} // namespace quorvik::test
