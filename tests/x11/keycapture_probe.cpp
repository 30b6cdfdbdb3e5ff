// Key capture under a real window system: opens a window, runs the keyboard hook on it and prints
// every event the hook posts, one line each ("press 0xA0", "release 0xA0"), until it has seen
// the number of events given as its argument or ten seconds have passed.
//
//   keycapture_probe COUNT      exit 0 after COUNT events, 1 on the time limit, 77 without DISPLAY
//
// tests/x11/keycapture.sh types keys into it with xdotool under Xvfb.
#include "platform/Messages.h"
#include "platform/RealClockLoop.h"
#include "platform/qt/KeyboardHook.h"
#include "platform/qt/QtLoopDriver.h"
#include "platform/qt/UiLoop.h"
#include "ui/skin/DlgBase.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

using namespace quorvik;

namespace {

constexpr unsigned kGiveUpTimer = 1;
constexpr std::uint32_t kGiveUpMs = 10000;

class ProbeDlg : public ui::CDlgBase {
public:
    explicit ProbeDlg(int expected) : CDlgBase(900, 0), expected_(expected) {
        width_ = 320;
        height_ = 200;
    }
    int exitCode = 1;

    platform::LRESULT handleMessage(unsigned message, platform::WPARAM wParam, platform::LPARAM lParam) override {
        if (message == platform::kKeyboardHookMessage) {
            const bool release = (std::uint32_t(lParam) & platform::kHookReleaseBit) != 0;
            std::printf("%s 0x%02X\n", release ? "release" : "press", unsigned(wParam));
            std::fflush(stdout);
            if (++seen_ == expected_) {
                exitCode = 0;
                platform::UiLoop().postQuit();
            }
            return 0;
        }
        if (message == platform::WM_TIMER && wParam == kGiveUpTimer) {
            std::fprintf(stderr, "keycapture_probe: %d of %d key events after %u ms\n", seen_, expected_, kGiveUpMs);
            platform::UiLoop().postQuit();
            return 0;
        }
        if (message == platform::WM_KEYDOWN)
            return 1; // Enter and Escape do not end the probe
        return CDlgBase::handleMessage(message, wParam, lParam);
    }

private:
    int expected_;
    int seen_ = 0;
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr, "keycapture_probe: no DISPLAY, skipped\n");
        return 77;
    }
    const int expected = argc > 1 ? std::atoi(argv[1]) : 1;
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    QApplication app(argc, argv);
    platform::RealClockLoop loop;
    platform::SetUiLoop(&loop);
    platform::QtLoopDriver driver(loop);

    ProbeDlg dialog(expected);
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
    return dialog.exitCode;
}
