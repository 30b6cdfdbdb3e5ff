// quorvik: the program a person starts. One instance per desktop session; a second start opens
// the first one's window, `quorvik --quit` ends it.
#include "app/AppOptions.h"
#include "app/ProgramDoors.h"
#include "app/StartupClock.h"
#include "app/StartupLoad.h"
#include "app/StartupReport.h"
#include "app/VirtualMousePanel.h"
#include "emulator/VirtualMouse.h"
#include "model/FileProblems.h"
#include "model/LanguageTable.h"
#include "model/Text.h"
#include "platform/DataFolders.h"
#include "platform/Messages.h"
#include "platform/ProcessGlobals.h"
#include "platform/RealClockLoop.h"
#include "platform/SimulatedHidBus.h"
#include "platform/linux/LinuxHidBus.h"
#include "platform/qt/DesktopShell.h"
#include "platform/qt/DisplayEnvironment.h"
#include "platform/qt/ExitRequests.h"
#include "platform/qt/QtLoopDriver.h"
#include "platform/qt/SingleInstance.h"
#include "platform/qt/UiLoop.h"
#include "ui/main/MainIds.h"
#include "ui/main/QuorvikDlg.h"
#include "ui/skin/AttentionDlg.h"
#include "ui/skin/FileMessages.h"
#include "ui/skin/SkinSupport.h"

#include <QApplication>
#include <QDir>
#include <QTimer>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>

using namespace quorvik;

namespace {

// The name of the single-instance guard; the socket name is made from it and the user.
constexpr const char* kInstanceGuard = "20210610 Mouse 33XX";
constexpr unsigned kMsgOpenRequest = 0xBB7;
// What waits for the main window's first paint waits no longer than this for a window that stays
// hidden or minimised.
constexpr int kLatestStartMs = 1000;

// The attention dialog saying that the data folder is another user's, in the words of the
// language delivered with the program (the user's own choice lives in that folder). Nothing is
// shown without a screen (the offscreen platform).
void showForeignFolderMessage(const platform::ForeignFolder& foreign, const app::StartupPaths& paths) {
    const QString platformName = QGuiApplication::platformName();
    if (platformName == QLatin1String("offscreen") || platformName == QLatin1String("minimal"))
        return;
    platform::RealClockLoop loop;
    platform::SetUiLoop(&loop);
    platform::QtLoopDriver driver(loop);
    const platform::ScreenMetrics screen = platform::PrimaryScreenMetrics();
    platform::SetScreenFactors(screen.fullWidth, screen.fullHeight, screen.textFactor);
    platform::SetProgramFolder(paths.programFolder);
    platform::SetDataFolder(paths.programFolder);
    model::LoadLanguageTables();
    platform::SetDataFolder("");
    ui::CAttentionDlg message(
        ui::WithValues(model::LanguageText(ui::kTextForeignDataFolder),
                       {model::ToU16(foreign.path), model::ToU16(platform::UserName(foreign.owner))}),
        0);
    message.DoModal();
    platform::SetUiLoop(nullptr);
}

} // namespace

int main(int argc, char** argv) {
    app::AppOptions options;
    std::string error;
    if (!app::ParseAppArgs({argv + 1, argv + argc}, options, error)) {
        std::cerr << "quorvik: " << error << "\nTry 'quorvik --help'.\n";
        return app::kAppExitBadArguments;
    }
    if (options.action == app::AppAction::Help) {
        std::cout << app::AppHelpText();
        return app::kAppExitOk;
    }
    if (options.action == app::AppAction::Version) {
        std::cout << app::AppVersionText() << "\n";
        return app::kAppExitOk;
    }

    // Before Qt starts: the X11 platform where it is reachable, and no scaling by Qt itself.
    platform::PrepareDisplayEnvironment();
    // Qt sees only its own options; they must outlive the application object.
    std::vector<std::string> qtArgs{argv[0]};
    qtArgs.insert(qtArgs.end(), options.qtArguments.begin(), options.qtArguments.end());
    std::vector<char*> qtArgv;
    for (auto& arg : qtArgs)
        qtArgv.push_back(arg.data());
    int qtArgc = int(qtArgv.size());
    QApplication qtApp(qtArgc, qtArgv.data());
    QGuiApplication::setApplicationName(QStringLiteral("quorvik"));
    QGuiApplication::setDesktopFileName(QStringLiteral("quorvik"));
    // The program lives in the tray while its window is hidden.
    QGuiApplication::setQuitOnLastWindowClosed(false);

    app::StartupPaths paths = app::DefaultStartupPaths();
    if (!options.dataDir.empty())
        paths.dataFolder = options.dataDir;

    // Another user's data folder is not worked on: that user's links would steer the writes
    // (a profile linked to a system file). Said on standard error, and in the window's words
    // where there is a screen to show them on.
    if (const auto foreign = platform::ForeignDataFolder(paths.dataFolder)) {
        std::cerr << app::ForeignDataFolderReport(*foreign, "quorvik");
        if (options.action != app::AppAction::Quit)
            showForeignFolderMessage(*foreign, paths);
        return app::kAppExitFailure;
    }

    platform::SingleInstance instance(QString::fromLatin1(kInstanceGuard));
    // One program per data folder too, whatever socket folder each start finds.
    if (!paths.dataFolder.empty())
        instance.GuardDataFolder(QDir(QString::fromStdString(paths.dataFolder)).filePath(QStringLiteral("config")));
    if (options.action == app::AppAction::Quit)
        return instance.SendToPrimary(platform::SingleInstance::Request::Quit) ? app::kAppExitOk : app::kAppExitFailure;
    if (!instance.TryBecomePrimary()) {
        if (instance.SendToPrimary(platform::SingleInstance::Request::Open))
            return app::kAppExitOk;
        std::cerr << "quorvik: another quorvik is running but does not answer (at "
                  << instance.socketPath().toStdString() << "); end it or try again.\n";
        return app::kAppExitFailure;
    }

    platform::RealClockLoop loop;
    platform::SetUiLoop(&loop);
    platform::QtLoopDriver driver(loop);

    // Display scale from the screen, before the language sets the font height by it.
    const platform::ScreenMetrics screen = platform::PrimaryScreenMetrics();
    platform::SetScreenFactors(screen.fullWidth, screen.fullHeight, screen.textFactor);

    // A settings file that cannot be saved is named on standard error and in the window, once for
    // each kind of fault until it saves again. What the start-up load could not save waits for
    // the window.
    ui::CQuorvikDlg* shownIn = nullptr;
    std::vector<model::SaveFailure> earlyFailures;
    model::SetSaveFailureHandler([&](const model::SaveFailure& failure) {
        if (!failure.repeated)
            std::cerr << app::SaveFailureLine(failure);
        if (shownIn)
            shownIn->ShowSaveFailure(failure);
        else
            earlyFailures.push_back(failure);
    });

    std::cerr << app::LanguageReport(app::LoadSettingsModel(paths), paths);

    std::unique_ptr<platform::HidBus> bus;
    std::unique_ptr<emulator::VirtualMouse> mouse;
    if (options.virtualMouse == app::VirtualMouse::None) {
        bus = std::make_unique<platform::LinuxHidBus>();
    } else {
        auto simulated = std::make_unique<platform::SimulatedHidBus>();
        mouse = std::make_unique<emulator::VirtualMouse>(*simulated, loop);
        // Fresh from the factory, as the window's factory profile expects it (and a reset makes it).
        mouse->setState(emulator::FactoryFreshState());
        mouse->setFactoryState(emulator::FactoryFreshState());
        if (options.virtualMouse != app::VirtualMouse::Receiver)
            mouse->plug(device::Form::Wired);
        if (options.virtualMouse != app::VirtualMouse::Wired)
            mouse->plug(device::Form::Receiver);
        bus = std::move(simulated);
    }

    ui::CQuorvikDlg::Services services = ui::CQuorvikDlg::DefaultServices();
    ui::CQuorvikDlg window(*bus, services);
    shownIn = &window;
    for (const model::SaveFailure& failure : earlyFailures)
        window.ShowSaveFailure(failure);

    // quorvikctl's commands and the session bus go through the window's device link.
    app::ProgramDoors doors(window, *bus, mouse.get(), instance);

    // A later start, a signal or the end of the session: the same paths as the tray's.
    auto postToWindow = [&](unsigned message, platform::WPARAM wParam) {
        if (window.hwnd())
            loop.post(window.hwnd(), message, wParam, 0);
    };
    std::unique_ptr<app::VirtualMousePanel> panel;
    instance.SetRequestHandler([&](platform::SingleInstance::Request request) {
        if (request == platform::SingleInstance::Request::Quit) {
            window.RequestExit();
            return;
        }
        postToWindow(kMsgOpenRequest, 0);
        // A panel closed by its window's close button comes back with a later start.
        if (panel && panel->isHidden())
            panel->show();
    });
    // Every exit from outside saves what is pending at once, then goes the tray's way.
    platform::ExitRequests exitRequests([&](platform::ExitReason) { window.RequestExit(); });
    // Before the first paint only what it needs: once the window is on the screen, the watch on
    // the settings files and the session bus start (the private socket answers from the start),
    // a damaged installation is named file by file on standard error (and told once in the
    // window), and the virtual mouse's panel is made and shown beside the window. A window that starts minimised
    // opens as soon as the mouse reports itself online: all this waits for that paint too, but
    // never more than a second, for a window that stays hidden or minimised.
    bool initialised = false;
    auto afterFirstPaint = [&] {
        // An exit begun before (its wait for the last writes runs the loop) starts nothing more.
        if (std::exchange(initialised, true) || window.Exiting())
            return;
        doors.Start();
        std::vector<app::BrokenFile> broken;
        const std::string skins = platform::ProgramFolder() + "skins/";
        if (!std::filesystem::is_directory(skins))
            broken.push_back({skins, "missing"});
        else
            for (const ui::SkinProblem& problem : ui::SkinImageProblems())
                broken.push_back({problem.path, problem.what});
        const std::vector<app::BrokenFile> language = app::LanguageFileProblems(platform::ProgramFolder());
        broken.insert(broken.end(), language.begin(), language.end());
        std::cerr << app::BrokenFilesReport(broken, "quorvik");
        if (!broken.empty())
            window.ShowFileNotice(ui::BrokenInstallationMessage(int(broken.size()), broken.front().path));
        // A dialog's or popup's picture is loaded when it first opens: one found broken then
        // is named as it fails, and told in the window too.
        ui::SetSkinProblemObserver([&window](const ui::SkinProblem& problem) {
            std::cerr << app::BrokenFilesReport({{problem.path, problem.what}}, "quorvik");
            window.ShowFileNotice(ui::BrokenInstallationMessage(1, problem.path));
        });
        if (mouse && !panel) {
            panel = std::make_unique<app::VirtualMousePanel>(*mouse);
            if (window.window())
                panel->ShowBeside(window.window()->geometry(), window.window()->windowHandle());
        }
    };
    window.SetFirstPaintHook([&] {
        if (options.printStartupMs) {
            std::printf("first-paint-ms %.1f\n", app::MillisecondsSinceProcessStart());
            std::fflush(stdout);
        }
        // After the paint has returned; a start that ends after its first paint ends after that.
        QMetaObject::invokeMethod(
            &qtApp,
            [&] {
                afterFirstPaint();
                if (options.exitAfterPaint)
                    postToWindow(platform::WM_COMMAND, ui::main_ids::kCmdTrayExit);
            },
            Qt::QueuedConnection);
    });
    QTimer::singleShot(kLatestStartMs, &qtApp, afterFirstPaint);

    // The launcher's start is a request to see the window, with the mouse or without it.
    if (options.show)
        QMetaObject::invokeMethod(
            &qtApp, [&] { postToWindow(kMsgOpenRequest, 0); }, Qt::QueuedConnection);

    window.DoModal();
    doors.Close();
    // The window is gone; a failure of the last save is told on standard error only.
    shownIn = nullptr;
    ui::SetSkinProblemObserver(nullptr);

    panel.reset();
    int code = app::kAppExitOk;
    if (mouse && !options.traceFile.empty() && !mouse->writeTrace(options.traceFile)) {
        std::cerr << "quorvik: cannot write the trace to " << options.traceFile << "\n";
        code = app::kAppExitFailure;
    }
    return code;
}
