// Start-up figures: the time from the process's start to the first paint of the main window, and
// the peak resident memory, of `quorvik --virtual-mouse --exit-after-paint --print-startup-ms`
// beside bench_bare_window (a bare Qt Widgets program with one 1127 × 740 window and a line of text), run
// alternately in the same conditions. Each run's start is the monotonic clock read just before the
// exec, passed in QUORVIK_START_NS; its memory is the child's peak resident set from wait4.
//
// Usage: bench_startup [--runs N] [--platform NAME]    (default: 15 runs, $QT_QPA_PLATFORM or xcb)
//
// The platform needs its display (xcb: DISPLAY; bench/program.sh starts Xvfb with openbox). The
// program runs in a desktop session of its own (XDG_RUNTIME_DIR, XDG_CONFIG_HOME and TMPDIR in a
// temp folder) whose data folder the first, uncounted, run of each program creates.
#include "app/StartupClock.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Run {
    double firstPaintMs = -1;
    double peakMiB = 0;
    double wallMs = 0; // until the process had ended
};

double monotonicMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// Runs `argv` with its standard output read back; false when it failed or printed no figure.
bool runOnce(const std::vector<std::string>& argv, Run& run) {
    int out[2];
    if (::pipe(out) != 0)
        return false;
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const double started = monotonicMs();
    const pid_t pid = ::fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        ::dup2(out[1], 1);
        ::close(out[0]);
        ::close(out[1]);
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        const std::string ns =
            std::to_string((unsigned long long)now.tv_sec * 1000000000ull + (unsigned long long)now.tv_nsec);
        ::setenv(quorvik::app::kStartClockVariable, ns.c_str(), 1);
        ::execv(args[0], args.data());
        _exit(127);
    }
    ::close(out[1]);
    std::string text;
    char buffer[256];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, std::size_t(n));
    ::close(out[0]);
    int status = 0;
    rusage usage{};
    if (::wait4(pid, &status, 0, &usage) != pid)
        return false;
    run.wallMs = monotonicMs() - started;
    run.peakMiB = double(usage.ru_maxrss) / 1024.0; // KiB on Linux
    const auto at = text.find("first-paint-ms ");
    if (at == std::string::npos || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "bench_startup: %s: status %d, output \"%s\"\n", argv[0].c_str(), status, text.c_str());
        return false;
    }
    run.firstPaintMs = std::strtod(text.c_str() + at + 15, nullptr);
    return true;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Series {
    std::vector<double> paint, peak, wall;
    void add(const Run& r) {
        paint.push_back(r.firstPaintMs);
        peak.push_back(r.peakMiB);
        wall.push_back(r.wallMs);
    }
};

void print(const char* name, const Series& s) {
    std::printf("%-28s first paint median %6.1f ms (min %6.1f, max %6.1f) · whole run median %6.1f ms · peak "
                "resident median %6.1f MiB\n",
                name, median(s.paint), *std::min_element(s.paint.begin(), s.paint.end()),
                *std::max_element(s.paint.begin(), s.paint.end()), median(s.wall), median(s.peak));
}

} // namespace

int main(int argc, char** argv) {
    int runs = 15;
    std::string platform = std::getenv("QT_QPA_PLATFORM") ? std::getenv("QT_QPA_PLATFORM") : "xcb";
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--platform") == 0 && i + 1 < argc)
            platform = argv[++i];
        else {
            std::fprintf(stderr, "usage: bench_startup [--runs N] [--platform NAME]\n");
            return 2;
        }
    }
    const fs::path bin = fs::canonical("/proc/self/exe").parent_path();
    const std::vector<std::string> program{(bin / "quorvik").string(), "--virtual-mouse", "--exit-after-paint",
                                           "--print-startup-ms"};
    const std::vector<std::string> bare{(bin / "bench_bare_window").string(), "--print-startup-ms"};

    const fs::path session = fs::temp_directory_path() / ("quorvik-bench-startup-" + std::to_string(::getpid()));
    for (const char* sub : {"runtime", "config", "tmp"})
        fs::create_directories(session / sub);
    fs::permissions(session / "runtime", fs::perms::owner_all, fs::perm_options::replace);
    ::setenv("XDG_RUNTIME_DIR", (session / "runtime").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (session / "config").c_str(), 1);
    ::setenv("TMPDIR", (session / "tmp").c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", platform.c_str(), 1);

    Run warm;
    if (!runOnce(program, warm) || !runOnce(bare, warm)) {
        fs::remove_all(session);
        return 1;
    }
    Series ours, baseline;
    for (int i = 0; i < runs; ++i) {
        Run a, b;
        // Alternate which goes first, so that neither always runs on a cache the other warmed.
        const bool ok = i % 2 ? runOnce(bare, b) && runOnce(program, a) : runOnce(program, a) && runOnce(bare, b);
        if (!ok) {
            fs::remove_all(session);
            return 1;
        }
        ours.add(a);
        baseline.add(b);
    }
    fs::remove_all(session);

    double load[3] = {};
    if (::getloadavg(load, 3) < 0)
        load[0] = -1;
    std::printf("start-up on %s, %d runs each, load average %.2f\n", platform.c_str(), runs, load[0]);
    print("quorvik --virtual-mouse", ours);
    print("bare Qt Widgets window", baseline);
    const double ratio = median(ours.paint) / median(baseline.paint);
    const double extra = median(ours.peak) - median(baseline.peak);
    std::printf("first paint: %.2f × the bare window (goal at most 1.3 ×) · peak resident: %+.1f MiB (goal at most "
                "+12 MiB)\n",
                ratio, extra);
    return 0;
}
