// Where the main window's controls are, for scripts that click them with xdotool: builds the
// window off screen at display factor 1 from a fresh data folder, as the program starts, and
// prints one line per control id asked for: "ID LEFT TOP RIGHT BOTTOM" in window pixels.
//
//   control_rects BIN_DIR [--click ID] ID…
//
// --click ID clicks control ID first (a page header that opens its page moves the ones below it),
// so a script can ask where a control will be after the clicks it makes. Exit 1 for an unknown id.
#include "app/StartupLoad.h"
#include "platform/Messages.h"
#include "platform/ProcessGlobals.h"
#include "platform/SimulatedHidBus.h"
#include "platform/VirtualClockLoop.h"
#include "platform/qt/UiLoop.h"
#include "ui/main/QuorvikDlg.h"

#include <QApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace quorvik;

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: control_rects BIN_DIR [--click ID] ID...\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::string bin = std::string(argv[1]) + "/";
    platform::VirtualClockLoop loop;
    platform::SetUiLoop(&loop);
    platform::SetProgramFolder(bin);
    platform::SetScreenFactors(1920, 1080, 1.0);
    QTemporaryDir data;
    app::LoadSettingsModel({bin, data.path().toStdString() + "/"});

    platform::SimulatedHidBus bus;
    ui::CQuorvikDlg::Services services;
    services.screenWidth = 1920;
    services.screenHeight = 1080;
    services.trayIcon = false;
    int status = 0;
    {
        ui::CQuorvikDlg window(bus, services);
        window.Create();
        for (int i = 2; i < argc; ++i) {
            const bool click = std::string(argv[i]) == "--click" && i + 1 < argc;
            const int id = std::atoi(argv[click ? ++i : i]);
            ui::CControlBase* control = window.FindControl(id);
            if (!control) {
                std::fprintf(stderr, "control_rects: no control %d\n", id);
                status = 1;
                continue;
            }
            const ui::Rect r = control->rect();
            if (click) {
                const auto at = platform::MakePointParam((r.left + r.right) / 2, (r.top + r.bottom) / 2);
                loop.send(window.hwnd(), platform::WM_MOUSEMOVE, 0, at);
                loop.send(window.hwnd(), platform::WM_LBUTTONDOWN, platform::MK_LBUTTON, at);
                loop.send(window.hwnd(), platform::WM_LBUTTONUP, 0, at);
                loop.runUntilIdle();
                continue;
            }
            std::printf("%d %d %d %d %d\n", id, r.left, r.top, r.right, r.bottom);
        }
    }
    platform::SetUiLoop(nullptr);
    return status;
}
