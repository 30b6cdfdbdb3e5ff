// How long the main thread is ever kept from its events while a download goes out: a 1 ms probe
// timer on the main thread of the real main window, on the real clock, during a whole-profile
// download to the virtual mouse (every command of the profile, fifteen reports, plus the chunks
// of its macro buttons), and for as long again with the window idle. A probe's delay is how much
// later than 1 ms after the previous one it fired; the largest and the 99th percentile are the
// figures.
//
// Usage: bench_stall [--downloads N]    (default 5 whole-profile downloads)
//   Runs on $QT_QPA_PLATFORM (offscreen when unset).
#include "WindowBench.h"
#include "app/StartupLoad.h"
#include "emulator/VirtualMouse.h"
#include "macro/MacroLibrary.h"
#include "model/ConfigPairs.h"
#include "platform/ProcessGlobals.h"
#include "platform/RealClockLoop.h"
#include "platform/SimulatedHidBus.h"
#include "platform/qt/QtLoopDriver.h"
#include "platform/qt/UiLoop.h"
#include "ui/main/QuorvikDlg.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

using namespace quorvik;
namespace fs = std::filesystem;

namespace {

// Probes the main thread every millisecond and keeps each tick's delay beyond that millisecond.
class Probe {
public:
    Probe() {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(1);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const qint64 now = clock_.nsecsElapsed();
            if (last_ >= 0)
                delays_.push_back(std::max(0.0, double(now - last_) / 1e6 - 1.0));
            last_ = now;
        });
    }
    void start() {
        delays_.clear();
        last_ = -1;
        clock_.start();
        timer_.start();
    }
    std::vector<double> stop() {
        timer_.stop();
        return delays_;
    }

private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = -1;
    std::vector<double> delays_;
};

double percentile(std::vector<double> values, double p) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const double rank = p / 100.0 * double(values.size() - 1);
    const auto low = std::size_t(rank);
    const std::size_t high = std::min(low + 1, values.size() - 1);
    return values[low] + (values[high] - values[low]) * (rank - double(low));
}

void runFor(platform::RealClockLoop& loop, int ms) {
    bool done = false;
    QTimer::singleShot(ms, [&] { done = true; });
    loop.runUntil([&] { return done; });
}

// Two macro buttons, one of them long enough for several chunks.
void giveMacros(model::ProfileRecord& profile) {
    auto& library = macro::TheMacroLibrary();
    int button = 3;
    for (int events : {40, 8}) {
        macro::MacroLocation at = macro::MacroLocation::None();
        library.AddMacro(u"Bench " + std::u16string(1, char16_t(u'A' + button)), at);
        model::MacroRecord& record = *library.SlotAt(at)->macro;
        for (int i = 0; i < events; ++i) {
            record.InsertAction(record.MacroActionNum, model::MakeKeyEvent(0x41, false));
            record.InsertAction(record.MacroActionNum, model::MakeDelay(10));
        }
        record.MacroCommandActionNum = record.CountEvents();
        profile.AssignMacro(button, &record);
        profile.buttons[std::size_t(button)].MacroKeyIndex = record.MacroKeyIndex;
        profile.buttons[std::size_t(button)].Value = model::KeyFunctionCode{{model::kMacroFunctionClass, 0, 0}};
        button += 3;
    }
}

void print(const char* what, const std::vector<double>& delays) {
    std::printf("%s: %zu probes · largest delay %.2f ms · 99th percentile %.2f ms · median %.2f ms\n", what,
                delays.size(), delays.empty() ? 0.0 : *std::max_element(delays.begin(), delays.end()),
                percentile(delays, 99), percentile(delays, 50));
}

} // namespace

int main(int argc, char** argv) {
    int downloads = 5;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--downloads") == 0 && i + 1 < argc) {
            downloads = std::max(1, std::atoi(argv[++i]));
        } else {
            std::fprintf(stderr, "usage: bench_stall [--downloads N]\n");
            return 2;
        }
    }
    bench::PrepareQtEnvironment();
    QApplication qtApp(argc, argv);

    platform::RealClockLoop loop;
    platform::SetUiLoop(&loop);
    platform::QtLoopDriver driver(loop);
    platform::SetDisplayScaleFactor(1.0);

    const fs::path data = bench::LoadBenchSettings("stall");

    platform::SimulatedHidBus bus;
    emulator::VirtualMouse mouse(bus, loop);
    mouse.plug(device::Form::Wired);

    ui::CQuorvikDlg::Services services = ui::CQuorvikDlg::DefaultServices();
    services.trayIcon = false;
    services.screenWidth = 1920;
    services.screenHeight = 1080;
    int result = 0;
    {
        ui::CQuorvikDlg window(bus, services);
        window.Create();
        runFor(loop, 1500); // the first scan, its download and status read
        giveMacros(window.CurrentRecord());

        Probe probe;
        std::vector<double> busy;
        std::uint64_t busyMs = 0;
        std::size_t reports = 0;
        for (int i = 0; i < downloads; ++i) {
            const std::size_t before = mouse.trace().size();
            // A mouse whose settings are unknown: every command and every macro chunk goes out.
            window.Core().Download().ForceNextRun();
            probe.start();
            const std::uint64_t started = loop.now();
            window.Core().RunDownload();
            loop.runUntil([&] { return !window.Core().Busy(); });
            busyMs += loop.now() - started;
            const std::vector<double> d = probe.stop();
            busy.insert(busy.end(), d.begin(), d.end());
            reports += mouse.trace().size() - before;
            runFor(loop, 200); // the progress window goes
        }
        probe.start();
        runFor(loop, int(busyMs));
        const std::vector<double> idle = probe.stop();
        window.Exit();
        loop.runUntil([&] { return !window.window(); });

        double load[3] = {};
        if (::getloadavg(load, 3) < 0)
            load[0] = -1;
        std::printf("main-thread stall on %s, %d whole-profile downloads (%zu reports, %.1f s), load average %.2f\n",
                    qgetenv("QT_QPA_PLATFORM").constData(), downloads, reports, double(busyMs) / 1000.0, load[0]);
        print("during the downloads", busy);
        print("window idle, as long", idle);
        std::printf("(goal: largest delay during a download at most 5 ms, 99th percentile at most 2 ms)\n");
        if (busy.empty())
            result = 1;
    }
    std::error_code ignored;
    fs::remove_all(data, ignored);
    return result;
}
