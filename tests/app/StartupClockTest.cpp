// The start-up clock: a launcher's moment when it passes one, else the kernel's start time.
#include "app/StartupClock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

namespace quorvik::app {
namespace {

unsigned long long monotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<unsigned long long>(now.tv_sec) * 1000000000ull + static_cast<unsigned long long>(now.tv_nsec);
}

class StartupClockTest : public ::testing::Test {
protected:
    void TearDown() override { ::unsetenv(kStartClockVariable); }
};

TEST_F(StartupClockTest, CountsFromTheLaunchersMoment) {
    const std::string launched = std::to_string(monotonicNs() - 250'000'000ull);
    ::setenv(kStartClockVariable, launched.c_str(), 1);
    const double ms = MillisecondsSinceProcessStart();
    EXPECT_GE(ms, 250.0);
    EXPECT_LT(ms, 5250.0);
}

TEST_F(StartupClockTest, WithoutOneOrWithGarbageTheKernelsStartTimeCounts) {
    // This process started before the test ran and less than a day ago (an unreadable start time
    // gives -1; a start taken for the boot would give the machine's uptime, which may be shorter).
    for (const char* value : {"", "12abc", "-", "99999999999999999999999"}) {
        SCOPED_TRACE(value);
        if (*value != '\0')
            ::setenv(kStartClockVariable, value, 1);
        const double ms = MillisecondsSinceProcessStart();
        EXPECT_GE(ms, 0.0);
        EXPECT_LT(ms, 24.0 * 3600 * 1000);
    }
}

} // namespace
} // namespace quorvik::app
