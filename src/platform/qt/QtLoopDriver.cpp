#include "platform/qt/QtLoopDriver.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <limits>

namespace quorvik::platform {

QtLoopDriver::QtLoopDriver(RealClockLoop& loop, QObject* parent) : QObject(parent), loop_(loop) {
    // Precise, not Qt's default coarse timers: a coarse one may fire up to 5 % of its interval early,
    // before our timer is due, and the GUI thread then woke a second time a few milliseconds later
    // for the rest; with the window hidden that doubled the wake-ups of the 100 ms keep-hidden timer.
    timerWake_.setTimerType(Qt::PreciseTimer);
    timerWake_.setSingleShot(true);
    connect(&timerWake_, &QTimer::timeout, this, [this] {
        if (pump() == 0)
            ++idleWakes_;
    });
    waitLimit_.setTimerType(Qt::PreciseTimer);
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
    QMetaObject::invokeMethod(
        this, [this] { pump(); }, Qt::QueuedConnection);
}

int QtLoopDriver::pump() {
    pumpQueued_.store(false);
    const int dispatched = loop_.processDue();
    if (loop_.quitRequested()) {
        QCoreApplication::exit(0);
        return dispatched;
    }
    if (auto next = loop_.msUntilNextTimer()) {
        auto ms = std::min<std::uint64_t>(*next, std::numeric_limits<int>::max());
        // A pump that changed nothing (a post, a timer set to the same time) leaves the wake-up
        // as it is armed instead of arming it again.
        const std::uint64_t due = loop_.now() + ms;
        if (!timerWake_.isActive() || due != armedFor_) {
            timerWake_.start(static_cast<int>(ms));
            armedFor_ = due;
        }
    } else {
        timerWake_.stop();
    }
    return dispatched;
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
