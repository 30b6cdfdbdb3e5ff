// Key capture under a real window system: opens a window, runs the keyboard hook on it and prints
// every event the hook posts, one line each ("press 0xA0", "release 0xA0"), until the release of
// the stop key given as its argument (a virtual-key code) or until ten seconds have passed. The
// stop key is typed last, so whatever the hook posted before it, repeats of a held key included,
// is in the output.
//
//   keycapture_probe STOP_VK    exit 0 after the stop key's release, 1 on the time limit,
//                               77 without DISPLAY
//
// Its last line, "window-system presses N", counts the presses the window system delivered to
// the window before the hook saw them (repeats included): more presses than the hook posted show
// that a held key really was repeated. The first press of A keeps the probe's main thread busy
// for two seconds, as a slow status read or download would; the release of A then prints
// "held-ms N", the time between the two events the hook posted, which must be the time the key
// was held, not the time the busy window took to handle them.
//
// tests/x11/keycapture.sh types keys into it with xdotool under Xvfb.
#include "platform/Messages.h"
#include "platform/RealClockLoop.h"
#include "platform/qt/KeyboardHook.h"
#include "platform/qt/QtLoopDriver.h"
#include "platform/qt/UiLoop.h"
#include "ui/skin/DlgBase.h"

#include <QApplication>
#include <QKeyEvent>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <thread>

using namespace quorvik;

namespace {

constexpr unsigned kGiveUpTimer = 1;
constexpr std::uint32_t kGiveUpMs = 10000;
constexpr unsigned kBusyKey = 0x41; // A
constexpr auto kBusy = std::chrono::seconds(2);

class ProbeDlg : public ui::CDlgBase {
public:
    explicit ProbeDlg(unsigned stopKey) : CDlgBase(900, 0), stopKey_(stopKey) {
        width_ = 320;
        height_ = 200;
    }
    int exitCode = 1;

    platform::LRESULT handleMessage(unsigned message, platform::WPARAM wParam, platform::LPARAM lParam) override {
        if (message == platform::kKeyboardHookMessage) {
            const bool release = (std::uint32_t(lParam) & platform::kHookReleaseBit) != 0;
            std::printf("%s 0x%02X\n", release ? "release" : "press", unsigned(wParam));
            std::fflush(stdout);
            ++seen_;
            if (unsigned(wParam) == kBusyKey && !release && !busyWord_) {
                busyWord_ = std::uint32_t(lParam);
                std::this_thread::sleep_for(kBusy);
            } else if (unsigned(wParam) == kBusyKey && release && busyWord_) {
                const std::uint32_t held = (std::uint32_t(lParam) - *busyWord_) & platform::kHookTimeMask;
                std::printf("held-ms %u\n", held);
            }
            if (release && unsigned(wParam) == stopKey_) {
                exitCode = 0;
                platform::UiLoop().postQuit();
            }
            return 0;
        }
        if (message == platform::WM_TIMER && wParam == kGiveUpTimer) {
            std::fprintf(stderr, "keycapture_probe: no release of 0x%02X after %u ms (%d key events)\n", stopKey_,
                         kGiveUpMs, seen_);
            platform::UiLoop().postQuit();
            return 0;
        }
        if (message == platform::WM_KEYDOWN)
            return 1; // Enter and Escape do not end the probe
        return CDlgBase::handleMessage(message, wParam, lParam);
    }

private:
    unsigned stopKey_;
    int seen_ = 0;
    std::optional<std::uint32_t> busyWord_; // the first press of the busy key
};

// Counts the key presses that reach the program's windows, as the hook's own filter sees them.
class PressCounter : public QObject {
public:
    int presses = 0;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && watched->isWindowType())
            ++presses;
        return false;
    }
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr, "keycapture_probe: no DISPLAY, skipped\n");
        return 77;
    }
    const unsigned stopKey = argc > 1 ? unsigned(std::strtoul(argv[1], nullptr, 0)) : 0x7B;
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    QApplication app(argc, argv);
    PressCounter counter;
    app.installEventFilter(&counter);
    platform::RealClockLoop loop;
    platform::SetUiLoop(&loop);
    platform::QtLoopDriver driver(loop);

    ProbeDlg dialog(stopKey);
    dialog.Create();
    dialog.window()->setTitle(QStringLiteral("quorvik-keycapture"));
    dialog.window()->showCommand(platform::SW_SHOW);
    platform::CKeyboardHook hook;
    hook.StartHook(dialog.hwnd());
    loop.setTimer(dialog.hwnd(), kGiveUpTimer, kGiveUpMs);
    std::printf("ready\n");
    std::fflush(stdout);
    driver.exec();
    hook.StopHook();
    std::printf("window-system presses %d\n", counter.presses);
    return dialog.exitCode;
}
