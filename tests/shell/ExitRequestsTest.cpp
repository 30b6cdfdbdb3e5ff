// Signals and the end of the event loop become the program's exit path, called on the GUI thread,
// instead of killing the process with unsaved edits.
#include "ShellTestSupport.h"

#include "platform/qt/ExitRequests.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <vector>

namespace quorvik::platform {
namespace {

using test::WaitUntil;

TEST(ExitRequestsTest, EachSignalRunsTheExitPathOnTheGuiThreadInsteadOfEndingTheProcess) {
    int calls = 0;
    bool onGuiThread = false;
    std::vector<ExitReason> reasons;
    ExitRequests requests([&](ExitReason reason) {
        ++calls;
        reasons.push_back(reason);
        onGuiThread = QThread::currentThread() == QCoreApplication::instance()->thread();
    });

    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        const int before = calls;
        ASSERT_EQ(std::raise(signal), 0);
        EXPECT_EQ(calls, before) << "nothing runs inside the signal handler";
        ASSERT_TRUE(WaitUntil([&] { return calls > before; })) << "signal " << signal;
        EXPECT_TRUE(onGuiThread);
    }
    // Signals that arrive before the GUI thread gets to them are one request: one exit path.
    std::raise(SIGTERM);
    std::raise(SIGTERM);
    std::raise(SIGINT);
    ASSERT_TRUE(WaitUntil([&] { return calls == 4; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(calls, 4);
    EXPECT_EQ(requests.requestCount(), 4);
    EXPECT_EQ(reasons, std::vector<ExitReason>(4, ExitReason::Signal));
}

TEST(ExitRequestsTest, TheOldSignalDispositionsComeBackAfterwards) {
    struct sigaction before {};
    sigaction(SIGTERM, nullptr, &before);
    {
        ExitRequests requests([](ExitReason) {});
        struct sigaction during {};
        sigaction(SIGTERM, nullptr, &during);
        EXPECT_NE(during.sa_handler, before.sa_handler);
    }
    struct sigaction after {};
    sigaction(SIGTERM, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
}

TEST(ExitRequestsTest, TheLoopEndingWithoutARequestRunsTheExitPathOnce) {
    auto endLoop = [] {
        QTimer::singleShot(0, [] { QCoreApplication::quit(); });
        QCoreApplication::exec();
    };
    {
        int calls = 0;
        ExitReason reason = ExitReason::Signal;
        ExitRequests requests([&](ExitReason r) {
            ++calls;
            reason = r;
        });
        endLoop();
        EXPECT_EQ(calls, 1) << "aboutToQuit is the last resort";
        EXPECT_EQ(reason, ExitReason::LoopEnded);
    }
    {
        // After a request the program's own exit path ends the loop: no second call.
        int calls = 0;
        ExitRequests requests([&](ExitReason) { ++calls; });
        std::raise(SIGTERM);
        ASSERT_TRUE(WaitUntil([&] { return calls == 1; }));
        endLoop();
        EXPECT_EQ(calls, 1);
    }
}

} // namespace
} // namespace quorvik::platform
