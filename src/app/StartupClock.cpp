#include "app/StartupClock.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include <unistd.h>

namespace quorvik::app {

namespace {

double clockMs(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// The process's start in milliseconds of CLOCK_BOOTTIME: field 22 of /proc/self/stat, in clock
// ticks. The fields are counted after the command name, which may itself hold spaces and ')'.
double kernelStartMs() {
    std::ifstream file("/proc/self/stat");
    std::string stat((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const auto close = stat.rfind(')');
    if (close == std::string::npos)
        return -1;
    std::istringstream fields(stat.substr(close + 1));
    std::string field;
    for (int number = 3; number <= 22 && fields >> field; ++number) {
        if (number == 22) {
            const long ticks = sysconf(_SC_CLK_TCK);
            return ticks > 0 ? std::strtod(field.c_str(), nullptr) * 1e3 / double(ticks) : -1;
        }
    }
    return -1;
}

} // namespace

double MillisecondsSinceProcessStart() {
    if (const char* launched = std::getenv(kStartClockVariable); launched != nullptr && *launched != '\0') {
        char* end = nullptr;
        errno = 0;
        const unsigned long long ns = std::strtoull(launched, &end, 10);
        if (errno == 0 && end != launched && *end == '\0')
            return clockMs(CLOCK_MONOTONIC) - double(ns) / 1e6;
    }
    const double start = kernelStartMs();
    return start < 0 ? -1 : clockMs(CLOCK_BOOTTIME) - start;
}

} // namespace quorvik::app
