// quorvik: the program a person starts. One instance per desktop session; a second start opens
// the first one's window, `quorvik --quit` ends it.
#include "app/AppOptions.h"
#include "app/StartupLoad.h"
#include "app/VirtualMousePanel.h"
#include "emulator/VirtualMouse.h"
#include "platform/Messages.h"
#include "platform/ProcessGlobals.h"
#include "platform/RealClockLoop.h"
#include "platform/SimulatedHidBus.h"
#include "platform/linux/LinuxHidBus.h"
#include "platform/qt/DesktopShell.h"
#include "platform/qt/ExitRequests.h"
#include "platform/qt/QtLoopDriver.h"
#include "platform/qt/SingleInstance.h"
#include "platform/qt/UiLoop.h"
#include "ui/macro/MacroManagerDlg.h"
#include "ui/main/MainIds.h"
#include "ui/main/QuorvikDlg.h"

#include <QApplication>

#include <cstdio>
#include <iostream>
#include <memory>

using namespace quorvik;

namespace {

// The name of the single-instance guard; the socket name is made from it and the user.
constexpr const char* kInstanceGuard = "20210610 Mouse 33XX";
constexpr unsigned kMsgOpenRequest = 0xBB7;

} // namespace

int main(int argc, char** argv) {
    app::AppOptions options;
    std::string error;
    if (!app::ParseAppArgs(argc, argv, options, error)) {
        std::cerr << "quorvik: " << error << "\nTry 'quorvik --help'.\n";
        return app::kExitBadArguments;
    }
    if (options.help) {
        std::cout << app::AppHelpText();
        return 0;
    }
    if (options.version) {
        std::cout << app::AppVersionText();
        return 0;
    }

    // Before Qt starts: the X11 platform where it is reachable, and no scaling by Qt itself.
    platform::PrepareQtPlatform();
    QApplication qtApp(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("quorvik"));
    QGuiApplication::setDesktopFileName(QStringLiteral("quorvik"));
    // The program lives in the tray when its window is hidden.
    QGuiApplication::setQuitOnLastWindowClosed(false);

    platform::SingleInstance instance(QString::fromLatin1(kInstanceGuard));
    if (options.quit)
        return instance.SendToPrimary(platform::SingleInstance::Request::Quit) ? 0 : 1;
    if (!instance.TryBecomePrimary()) {
        instance.SendToPrimary(platform::SingleInstance::Request::Open);
        return 0;
    }

    platform::RealClockLoop loop;
    platform::SetUiLoop(&loop);
    platform::QtLoopDriver driver(loop);

    // Display scale from the screen, before the language sets the font height by it.
    const platform::ScreenMetrics screen = platform::PrimaryScreenMetrics();
    platform::SetDisplayScaleFactor(platform::ScaleFactorForScreen(screen.fullWidth, screen.fullHeight));

    app::StartupPaths paths = app::DefaultStartupPaths();
    if (!options.dataDir.empty())
        paths.dataFolder = options.dataDir;
    app::LoadSettingsModel(paths);

    std::unique_ptr<platform::HidBus> bus;
    std::unique_ptr<emulator::VirtualMouse> mouse;
    if (options.virtualMouse == app::VirtualMouseForms::None) {
        bus = std::make_unique<platform::LinuxHidBus>();
    } else {
        auto simulated = std::make_unique<platform::SimulatedHidBus>();
        mouse = std::make_unique<emulator::VirtualMouse>(*simulated, loop);
        if (options.virtualMouse != app::VirtualMouseForms::Receiver)
            mouse->plug(device::Form::Wired);
        if (options.virtualMouse != app::VirtualMouseForms::Wired)
            mouse->plug(device::Form::Receiver);
        bus = std::move(simulated);
    }

    ui::CQuorvikDlg::Services services = ui::CQuorvikDlg::DefaultServices();
    services.runMacroManager = [](platform::WindowHandle parent) {
        ui::CMacroManagerDlg manager(parent);
        manager.DoModal();
    };
    ui::CQuorvikDlg window(*bus, services);

    // A later start, a signal or the end of the session: the same paths as the tray's.
    auto postToWindow = [&](unsigned message, platform::WPARAM wParam) {
        if (window.hwnd())
            loop.post(window.hwnd(), message, wParam, 0);
    };
    instance.SetRequestHandler([&](platform::SingleInstance::Request request) {
        if (request == platform::SingleInstance::Request::Quit)
            postToWindow(platform::WM_COMMAND, ui::main_ids::kCmdTrayExit);
        else
            postToWindow(kMsgOpenRequest, 0);
    });
    platform::InstallExitRequests([&] { postToWindow(platform::WM_COMMAND, ui::main_ids::kCmdTrayExit); });
    if (options.exitAfterPaint)
        window.SetFirstPaintHook([&] { postToWindow(platform::WM_COMMAND, ui::main_ids::kCmdTrayExit); });

    std::unique_ptr<app::VirtualMousePanel> panel;
    if (mouse) {
        panel = std::make_unique<app::VirtualMousePanel>(*mouse);
        // Shown once the main window has its place.
        QMetaObject::invokeMethod(
            &qtApp,
            [&] {
                if (window.window())
                    panel->ShowBeside(window.window()->geometry());
            },
            Qt::QueuedConnection);
    }

    window.DoModal();

    panel.reset();
    int code = 0;
    if (mouse && !options.traceFile.empty() && !mouse->writeTrace(options.traceFile)) {
        std::cerr << "quorvik: cannot write the trace to " << options.traceFile << "\n";
        code = 1;
    }
    return code;
}
