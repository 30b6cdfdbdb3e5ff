// An edit's latency on the real clock: from a synthetic click on a control of the real main window
// to the first byte of the resulting command reaching the virtual mouse, over many edits. The
// window, its device link, the Qt-driven loop on the machine's clock and the virtual mouse are the
// program's own; the click is the three mouse messages the platform posts for one (move, press,
// release) at the control's centre, and the first byte is timed where the command report enters
// the HID bus. The window's 20 ms download timer is part of every figure.
//
// Usage: bench_edit_latency [--edits N] [--controls ID,ID…]
//   default: 200 edits alternating between the DPI level checks of levels 2 and 3 (3261, 3262),
//   or, while the window has none, the power-saving check "wake on motion" (3504), which each
//   click toggles. Runs on $QT_QPA_PLATFORM (offscreen when unset). Each edit waits until the
//   download it caused has ended (its last report's pause for the mouse is over) before the next
//   click, so that every click finds the link to the mouse idle.
#include "BenchSupport.h"
#include "WindowBench.h"
#include "app/StartupLoad.h"
#include "device/CommandReports.h"
#include "emulator/VirtualMouse.h"
#include "model/ConfigPairs.h"
#include "model/Text.h"
#include "platform/Messages.h"
#include "platform/ProcessGlobals.h"
#include "platform/RealClockLoop.h"
#include "platform/SimulatedHidBus.h"
#include "platform/qt/QtLoopDriver.h"
#include "platform/qt/UiLoop.h"
#include "ui/main/QuorvikDlg.h"

#include <QApplication>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

using namespace quorvik;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

namespace {

// Where command reports enter the bus: the first one after `arm` is timed (status requests, which
// the one-second poll sends on its own, are not edits).
struct WriteClock {
    bool armed = false;
    std::optional<Clock::time_point> first;
    void arm() {
        armed = true;
        first.reset();
    }
    void onWrite(std::span<const std::uint8_t> report) {
        if (!armed || first || report.size() <= device::kOffCommand ||
            report[device::kOffCommand] == device::kCmdReadStatus)
            return;
        first = Clock::now();
        armed = false;
    }
};

class TimedDevice : public platform::HidDevice {
public:
    TimedDevice(std::unique_ptr<platform::HidDevice> inner, WriteClock& clock)
        : inner_(std::move(inner)), clock_(clock) {}
    bool attributes(platform::HidAttributes& out) override { return inner_->attributes(out); }
    bool capabilities(platform::HidCaps& out) override { return inner_->capabilities(out); }
    bool collections(std::vector<platform::HidCaps>& out) override { return inner_->collections(out); }
    bool setFeature(std::span<const std::uint8_t> report) override {
        clock_.onWrite(report);
        return inner_->setFeature(report);
    }
    bool getFeature(std::span<std::uint8_t> report) override { return inner_->getFeature(report); }
    std::optional<std::size_t> readInput(std::span<std::uint8_t> buffer) override { return inner_->readInput(buffer); }
    int lastError() const override { return inner_->lastError(); }

private:
    std::unique_ptr<platform::HidDevice> inner_;
    WriteClock& clock_;
};

class TimedBus : public platform::HidBus {
public:
    TimedBus(platform::HidBus& inner, WriteClock& clock) : inner_(inner), clock_(clock) {}
    std::optional<std::string> interfacePath(int index) override { return inner_.interfacePath(index); }
    std::unique_ptr<platform::HidDevice> open(const std::string& path, int* error) override {
        auto device = inner_.open(path, error);
        return device ? std::make_unique<TimedDevice>(std::move(device), clock_) : nullptr;
    }
    bool describe(const std::string& path, platform::HidAttributes& out) override { return inner_.describe(path, out); }
    bool registerNotifications(platform::EventLoop& loop, platform::WindowHandle window) override {
        return inner_.registerNotifications(loop, window);
    }
    void unregisterNotifications() override { inner_.unregisterNotifications(); }

private:
    platform::HidBus& inner_;
    WriteClock& clock_;
};

// Runs the loop (and Qt's events) for `ms` of the real clock.
void runFor(platform::RealClockLoop& loop, int ms) {
    bool done = false;
    QTimer::singleShot(ms, [&] { done = true; });
    loop.runUntil([&] { return done; });
}

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    const double rank = p / 100.0 * double(values.size() - 1);
    const auto low = std::size_t(rank);
    const std::size_t high = std::min(low + 1, values.size() - 1);
    return values[low] + (values[high] - values[low]) * (rank - double(low));
}

} // namespace

int main(int argc, char** argv) {
    int edits = 200;
    std::vector<int> controls;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--edits") == 0 && i + 1 < argc) {
            edits = std::max(1, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--controls") == 0 && i + 1 < argc) {
            std::stringstream list(argv[++i]);
            for (std::string id; std::getline(list, id, ',');)
                controls.push_back(std::atoi(id.c_str()));
        } else {
            std::fprintf(stderr, "usage: bench_edit_latency [--edits N] [--controls ID,ID...]\n");
            return 2;
        }
    }
    bench::PrepareQtEnvironment();
    QApplication qtApp(argc, argv);

    platform::RealClockLoop loop;
    platform::SetUiLoop(&loop);
    platform::QtLoopDriver driver(loop);
    platform::SetDisplayScaleFactor(1.0);

    const fs::path data = bench::LoadBenchSettings("latency");

    WriteClock writes;
    platform::SimulatedHidBus simulated;
    TimedBus bus(simulated, writes);
    emulator::VirtualMouse mouse(simulated, loop);
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

        if (controls.empty()) {
            if (window.FindControl(3261) && window.FindControl(3262))
                controls = {3261, 3262};
            else
                controls = {3504};
        }
        for (int id : controls) {
            if (!window.FindControl(id)) {
                std::fprintf(stderr, "bench_edit_latency: the window has no control %d\n", id);
                return 1;
            }
        }

        std::vector<double> latencies;
        latencies.reserve(std::size_t(edits));
        long residentAfterFirst = -1;
        int missed = 0;
        for (int i = 0; i < edits; ++i) {
            const ui::Rect& r = window.FindControl(controls[std::size_t(i) % controls.size()])->rect();
            const platform::LPARAM at = platform::MakePointParam((r.left + r.right) / 2, (r.top + r.bottom) / 2);
            writes.arm();
            const Clock::time_point clicked = Clock::now();
            loop.post(window.hwnd(), platform::WM_MOUSEMOVE, 0, at);
            loop.post(window.hwnd(), platform::WM_LBUTTONDOWN, platform::MK_LBUTTON, at);
            loop.post(window.hwnd(), platform::WM_LBUTTONUP, 0, at);
            // Returns at the first write, or after a second without one.
            bool late = false;
            QTimer limit;
            limit.setSingleShot(true);
            QObject::connect(&limit, &QTimer::timeout, [&] { late = true; });
            limit.start(1000);
            loop.runUntil([&] { return writes.first.has_value() || late; });
            if (!writes.first) {
                ++missed;
                continue;
            }
            latencies.push_back(std::chrono::duration<double, std::milli>(*writes.first - clicked).count());
            loop.runUntil([&] { return !window.Core().Busy(); });
            runFor(loop, 30); // the window settles (repaints) before the next click
            if (latencies.size() == 1)
                residentAfterFirst = bench::ResidentKiB();
        }
        const long residentAfterAll = bench::ResidentKiB();
        window.Exit();
        loop.runUntil([&] { return !window.window(); });

        double load[3] = {};
        if (::getloadavg(load, 3) < 0)
            load[0] = -1;
        std::string used;
        for (int id : controls)
            used += (used.empty() ? "" : ",") + std::to_string(id);
        std::printf("edit latency on %s, %zu edits of control%s %s (%d without a write), load average %.2f\n",
                    qgetenv("QT_QPA_PLATFORM").constData(), latencies.size(), controls.size() > 1 ? "s" : "",
                    used.c_str(), missed, load[0]);
        if (latencies.empty()) {
            result = 1;
        } else {
            std::printf("click to first byte at the mouse: median %.2f ms · 99th percentile %.2f ms · min %.2f · max "
                        "%.2f (goal: median at most 21 ms: the 20 ms timer and at most 1 ms of work)\n",
                        percentile(latencies, 50), percentile(latencies, 99),
                        *std::min_element(latencies.begin(), latencies.end()),
                        *std::max_element(latencies.begin(), latencies.end()));
            std::printf("resident memory after the first edit %.1f MiB, after the last %.1f MiB: %+.2f MiB (goal: "
                        "within 1 MiB)\n",
                        double(residentAfterFirst) / 1024.0, double(residentAfterAll) / 1024.0,
                        double(residentAfterAll - residentAfterFirst) / 1024.0);
        }
    }
    std::error_code ignored;
    fs::remove_all(data, ignored);
    return result;
}
