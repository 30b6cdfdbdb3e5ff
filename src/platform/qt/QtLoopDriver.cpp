#include "platform/qt/QtLoopDriver.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <limits>

namespace quorvik::platform {

QtLoopDriver::QtLoopDriver(RealClockLoop& loop, QObject* parent) : QObject(parent), loop_(loop) {
    timerWake_.setSingleShot(true);
    connect(&timerWake_, &QTimer::timeout, this, &QtLoopDriver::pump);
    waitLimit_.setSingleShot(true);
    loop_.setWakeHandler([this] { requestPump(); });
    loop_.setWaitHook([this](std::optional<std::uint64_t> maxMs) { waitForWork(maxMs); });
    requestPump();
}

QtLoopDriver::~QtLoopDriver() {
    loop_.setWakeHandler({});
    loop_.setWaitHook({});
}

void QtLoopDriver::requestPump() {
    // Called from reader threads too: only a queued invocation crosses to the GUI thread, and one
    // queued pump is enough however many posts arrive before it runs.
    if (pumpQueued_.exchange(true))
        return;
    QMetaObject::invokeMethod(this, &QtLoopDriver::pump, Qt::QueuedConnection);
}

void QtLoopDriver::pump() {
    pumpQueued_.store(false);
    loop_.processDue();
    if (loop_.quitRequested()) {
        QCoreApplication::exit(0);
        return;
    }
    if (auto next = loop_.msUntilNextTimer()) {
        auto ms = std::min<std::uint64_t>(*next, std::numeric_limits<int>::max());
        timerWake_.start(static_cast<int>(ms));
    } else {
        timerWake_.stop();
    }
}

void QtLoopDriver::waitForWork(std::optional<std::uint64_t> maxMs) {
    // A nested loop waits here: Qt delivers input, paints and our queued pumps, and returns after
    // handling at least one event; the limit timer wakes it when our next timer falls due.
    if (maxMs) {
        auto ms = std::min<std::uint64_t>(*maxMs, std::numeric_limits<int>::max());
        waitLimit_.start(static_cast<int>(ms));
    }
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::AllEvents);
}

void QtLoopDriver::exec() {
    if (loop_.quitRequested())
        return;
    requestPump();
    QCoreApplication::exec();
}

} // namespace quorvik::platform
