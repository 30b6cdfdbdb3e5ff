#include "platform/Messages.h"
#include "platform/RealClockLoop.h"
#include "platform/VirtualClockLoop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <thread>
#include <vector>

using namespace quorvik::platform;

namespace {

struct Delivered {
    std::uint64_t time;
    unsigned message;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Delivered&) const = default;
};

// A window that records what reaches it; timer ids listed in `oneShot` kill themselves.
class Recorder : public MessageHandler {
public:
    explicit Recorder(EventLoop& loop) : loop_(loop), handle_(loop.registerWindow(this)) {}
    ~Recorder() override { loop_.unregisterWindow(handle_); }
    LRESULT handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) override {
        log.push_back({loop_.now(), message, wParam, lParam});
        if (message == WM_TIMER && oneShot.count(static_cast<unsigned>(wParam)))
            loop_.killTimer(handle_, static_cast<unsigned>(wParam));
        if (onMessage)
            onMessage(message, wParam);
        return static_cast<LRESULT>(message) + 1;
    }
    WindowHandle handle() const { return handle_; }
    std::vector<unsigned> timerIds() const {
        std::vector<unsigned> ids;
        for (auto& d : log)
            if (d.message == WM_TIMER)
                ids.push_back(static_cast<unsigned>(d.wParam));
        return ids;
    }

    std::vector<Delivered> log;
    std::set<unsigned> oneShot;
    std::function<void(unsigned, WPARAM)> onMessage;

private:
    EventLoop& loop_;
    WindowHandle handle_;
};

} // namespace

TEST(VirtualClockLoop, TimersFireInDueOrderAndRestartOnSet) {
    VirtualClockLoop loop;
    Recorder w(loop);
    w.oneShot = {30, 70, 80};
    loop.setTimer(w.handle(), 70, 10000);
    loop.setTimer(w.handle(), 80, 2000);
    loop.setTimer(w.handle(), 30, 20);
    loop.advance(5000);
    // Setting 70 again restarts it: it now falls due 10 s after the restart, not after the start.
    loop.setTimer(w.handle(), 70, 10000);
    loop.advance(9999);
    EXPECT_EQ(w.timerIds(), (std::vector<unsigned>{30, 80}));
    loop.advance(1);
    ASSERT_EQ(w.timerIds(), (std::vector<unsigned>{30, 80, 70}));
    EXPECT_EQ(w.log[0].time, 20u);
    EXPECT_EQ(w.log[1].time, 2000u);
    EXPECT_EQ(w.log[2].time, 15000u);
    EXPECT_FALSE(loop.hasTimer(w.handle(), 70));
}

TEST(VirtualClockLoop, PeriodicTimerKeepsFiringAndEqualDueTimesKeepSetOrder) {
    VirtualClockLoop loop;
    Recorder w(loop);
    loop.setTimer(w.handle(), 110, 1000);
    loop.setTimer(w.handle(), 40, 100);
    loop.advance(1000);
    auto ids = w.timerIds();
    EXPECT_EQ(std::count(ids.begin(), ids.end(), 40u), 10);
    EXPECT_EQ(std::count(ids.begin(), ids.end(), 110u), 1);
    // At 1000 ms both are due; 110 was scheduled for 1000 before 40's tenth period was.
    EXPECT_EQ(ids.back(), 40u);
    EXPECT_EQ(ids[ids.size() - 2], 110u);
    EXPECT_TRUE(loop.hasTimer(w.handle(), 110));
}

TEST(VirtualClockLoop, BlockingSleepMovesTimeWithoutFiringTimersThenTheyFireOnce) {
    VirtualClockLoop loop;
    Recorder w(loop);
    loop.setTimer(w.handle(), 1, 100);
    size_t timersDuringSleep = 99;
    w.onMessage = [&](unsigned message, WPARAM id) {
        if (message == WM_USER && id == 0) {
            loop.sleep(350); // device pacing inside a handler
            timersDuringSleep = w.timerIds().size();
        }
    };
    loop.post(w.handle(), WM_USER, 0, 0);
    loop.runUntilIdle();
    EXPECT_EQ(loop.now(), 350u);
    EXPECT_EQ(timersDuringSleep, 0u) << "no timer fires inside a blocking wait";
    ASSERT_EQ(w.timerIds(), (std::vector<unsigned>{1})) << "missed periods are not made up";
    EXPECT_EQ(w.log.back().time, 350u);
    loop.advance(100);
    EXPECT_EQ(w.timerIds().size(), 2u);
}

TEST(VirtualClockLoop, PostsFromAnotherThreadArriveInOrder) {
    VirtualClockLoop loop;
    Recorder w(loop);
    constexpr int kCount = 2000;
    std::thread reader([&] {
        for (int i = 0; i < kCount; ++i)
            loop.post(w.handle(), WM_USER + 0x2B, static_cast<WPARAM>(i), -i);
    });
    while (static_cast<int>(w.log.size()) < kCount && loop.waitForPost(5000)) {
    }
    reader.join();
    loop.runUntilIdle();
    ASSERT_EQ(w.log.size(), static_cast<size_t>(kCount));
    for (int i = 0; i < kCount; ++i) {
        EXPECT_EQ(w.log[i].wParam, static_cast<WPARAM>(i));
        EXPECT_EQ(w.log[i].lParam, -i);
    }
}

TEST(VirtualClockLoop, SendIsSynchronousAndUnregisteredWindowsGetNothing) {
    VirtualClockLoop loop;
    auto w = std::make_unique<Recorder>(loop);
    WindowHandle h = w->handle();
    EXPECT_EQ(loop.send(h, WM_USER, 1, 2), static_cast<LRESULT>(WM_USER + 1));
    EXPECT_EQ(w->log.size(), 1u);
    loop.post(h, WM_USER, 3, 4);
    loop.setTimer(h, 5, 10);
    w.reset();
    EXPECT_FALSE(loop.isWindow(h));
    EXPECT_EQ(loop.send(h, WM_USER, 0, 0), 0);
    loop.advance(100); // neither the queued post nor the timer may reach the destroyed window
    Recorder other(loop);
    EXPECT_NE(other.handle(), h) << "handles are never reused";
}

TEST(VirtualClockLoop, NestedModalLoopRunsTimersUntilDoneAndQuitIsSticky) {
    VirtualClockLoop loop;
    Recorder w(loop);
    w.oneShot = {7};
    bool closed = false;
    w.onMessage = [&](unsigned message, WPARAM id) {
        if (message == WM_TIMER && id == 7)
            closed = true;
    };
    loop.setTimer(w.handle(), 7, 500);
    EXPECT_TRUE(loop.runUntil([&] { return closed; }));
    EXPECT_EQ(loop.now(), 500u);

    loop.postQuit();
    EXPECT_FALSE(loop.runUntil([] { return false; }));
    EXPECT_FALSE(loop.runUntil([] { return false; })) << "the quit stays pending for outer loops";
    EXPECT_TRUE(loop.quitRequested());
}

TEST(RealClockLoop, TimerAndCrossThreadPostEndTheLoop) {
    RealClockLoop loop;
    Recorder w(loop);
    w.oneShot = {1};
    loop.setTimer(w.handle(), 1, 5);
    std::thread poster([&] { loop.post(w.handle(), WM_USER, 9, 0); });
    bool gotPost = false;
    w.onMessage = [&](unsigned message, WPARAM) {
        if (message == WM_USER)
            gotPost = true;
    };
    EXPECT_TRUE(loop.runUntil([&] { return gotPost && !w.timerIds().empty(); }));
    poster.join();
}

TEST(VirtualClockLoop, AdvanceNeverTurnsTheClockBackAfterABlockingWaitInAHandler) {
    VirtualClockLoop loop;
    Recorder w(loop);
    w.oneShot = {30};
    w.onMessage = [&](unsigned message, WPARAM id) {
        if (message == WM_TIMER && id == 30)
            loop.sleep(420); // a download pacing its reports
    };
    loop.setTimer(w.handle(), 30, 20);
    loop.setTimer(w.handle(), 31, 100);
    loop.advance(20);
    EXPECT_EQ(loop.now(), 440u);
    ASSERT_EQ(w.timerIds(), (std::vector<unsigned>{30, 31})) << "the overdue timer fires after the wait";
    EXPECT_EQ(w.log[1].time, 440u);
}
