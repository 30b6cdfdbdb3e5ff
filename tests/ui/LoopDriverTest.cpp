// Qt's loop and ours as one: posts from other threads, window timers and Qt's own events all run
// on the GUI thread, in the outer loop and inside a nested modal loop alike. These tests use the
// real clock, with timers of a few milliseconds and a guard that fails instead of hanging.
#include "platform/Messages.h"
#include "platform/RealClockLoop.h"
#include "platform/qt/QtLoopDriver.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace quorvik::platform;

namespace {

struct Recorder : MessageHandler {
    std::vector<unsigned> messages;
    std::vector<bool> onGuiThread;
    std::function<void(unsigned)> then;
    LRESULT handleMessage(unsigned message, WPARAM, LPARAM) override {
        messages.push_back(message);
        onGuiThread.push_back(QThread::currentThread() == QCoreApplication::instance()->thread());
        if (then)
            then(message);
        return 0;
    }
};

TEST(QtLoopDriverTest, PostsFromAReaderThreadAndTimersArriveOnTheGuiThreadInOrder) {
    RealClockLoop loop;
    QtLoopDriver driver(loop);
    Recorder window;
    const WindowHandle h = loop.registerWindow(&window);
    window.then = [&](unsigned message) {
        if (message == WM_TIMER) {
            loop.killTimer(h, 1);
            loop.postQuit();
        }
    };
    bool timedOut = false;
    QTimer::singleShot(5000, [&] {
        timedOut = true;
        loop.postQuit();
    });

    std::thread reader([&] {
        for (unsigned i = 0; i < 50; ++i)
            loop.post(h, WM_USER + i);
    });
    reader.join();
    loop.setTimer(h, 1, 5);
    driver.exec();

    ASSERT_FALSE(timedOut);
    ASSERT_EQ(window.messages.size(), 51u);
    for (unsigned i = 0; i < 50; ++i)
        EXPECT_EQ(window.messages[i], WM_USER + i);
    EXPECT_EQ(window.messages.back(), WM_TIMER);
    for (bool gui : window.onGuiThread)
        EXPECT_TRUE(gui);
    loop.clearQuit();
}

TEST(QtLoopDriverTest, ANestedLoopKeepsQtEventsAndTimersFlowing) {
    RealClockLoop loop;
    QtLoopDriver driver(loop);
    Recorder window;
    const WindowHandle h = loop.registerWindow(&window);
    window.then = [&](unsigned message) {
        if (message == WM_TIMER)
            loop.killTimer(h, 2);
    };

    // Inside the nested loop a Qt timer (standing for user input) posts to our window, and one of
    // our own timers fires; the loop ends when both have been seen.
    bool qtEventSeen = false;
    QTimer::singleShot(3, [&] {
        qtEventSeen = true;
        loop.post(h, WM_USER + 7);
    });
    loop.setTimer(h, 2, 10);
    bool guard = false;
    QTimer::singleShot(5000, [&] { guard = true; });
    const bool finished = loop.runUntil([&] { return guard || (qtEventSeen && window.messages.size() == 2); });

    EXPECT_TRUE(finished);
    ASSERT_FALSE(guard);
    EXPECT_EQ(window.messages, (std::vector<unsigned>{WM_USER + 7, WM_TIMER}));
}

// A periodic timer wakes the GUI thread once per period: each wake-up finds it due. (Qt's coarse
// timers fire up to 5 % early, and every period then cost a second wake-up for the rest.)
TEST(QtLoopDriverTest, APeriodicTimerWakesOncePerPeriod) {
    RealClockLoop loop;
    QtLoopDriver driver(loop);
    Recorder window;
    const WindowHandle h = loop.registerWindow(&window);
    constexpr unsigned kTicks = 8;
    window.then = [&](unsigned) {
        if (window.messages.size() == kTicks)
            loop.postQuit();
    };
    bool timedOut = false;
    QTimer::singleShot(5000, [&] {
        timedOut = true;
        loop.postQuit();
    });
    loop.setTimer(h, 3, 60);
    driver.exec();

    ASSERT_FALSE(timedOut);
    EXPECT_EQ(window.messages.size(), kTicks);
    EXPECT_EQ(driver.idleWakes(), 0u);
    loop.clearQuit();
}

} // namespace
