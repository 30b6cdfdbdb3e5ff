// quorvikctl: the mouse from the command line, for scripts and for machines without a desktop.
#include "CtlOptions.h"
#include "CtlRunner.h"

#include "app/StartupLoad.h"
#include "app/StartupReport.h"
#include "emulator/VirtualMouse.h"
#include "platform/DataFolders.h"
#include "platform/RealClockLoop.h"
#include "platform/SimulatedHidBus.h"
#include "platform/linux/LinuxHidBus.h"

#include <atomic>
#include <csignal>
#include <iostream>
#include <memory>

namespace {

std::atomic<bool> g_interrupted{false};

void onInterrupt(int) {
    g_interrupted.store(true);
}

} // namespace

int main(int argc, char** argv) {
    using namespace quorvik;
    ctl::CtlOptions options;
    std::string error;
    if (!ctl::ParseCtlArgs({argv + 1, argv + argc}, options, error)) {
        std::cerr << "quorvikctl: " << error << "\n";
        return ctl::kExitBadArguments;
    }
    if (options.command == ctl::Command::Help) {
        std::cout << ctl::CtlHelpText();
        return ctl::kExitOk;
    }
    if (!options.traceFile.empty() && options.virtualMouse == ctl::VirtualMouse::None) {
        std::cerr << "quorvikctl: --trace records what the virtual mouse receives; add --virtual-mouse\n";
        return ctl::kExitBadArguments;
    }

    app::StartupPaths paths = app::DefaultStartupPaths();
    if (!options.dataDir.empty())
        paths.dataFolder = options.dataDir;
    if (paths.dataFolder.empty()) {
        std::cerr << "quorvikctl: no data folder: set HOME or XDG_CONFIG_HOME, or give --data-dir\n";
        return ctl::kExitBadArguments;
    }
    // Another user's data folder is not worked on: that user's links would steer the writes.
    if (const auto foreign = platform::ForeignDataFolder(paths.dataFolder)) {
        std::cerr << app::ForeignDataFolderReport(*foreign, "quorvikctl");
        return ctl::kExitFailure;
    }
    // A settings file the start-up load could not save is named, and the tool ends with failure.
    ctl::SaveFailureReport startupSaves(std::cerr);
    app::LoadResult loaded = app::LoadSettingsModel(paths);
    if (!loaded.dataFolderReady) {
        std::cerr << "quorvikctl: cannot create the data folder " << paths.dataFolder << "\n";
        return ctl::kExitFailure;
    }

    platform::RealClockLoop loop;
    std::unique_ptr<platform::HidBus> bus;
    std::unique_ptr<emulator::VirtualMouse> mouse;
    if (options.virtualMouse == ctl::VirtualMouse::None) {
        bus = std::make_unique<platform::LinuxHidBus>();
    } else {
        auto simulated = std::make_unique<platform::SimulatedHidBus>();
        mouse = std::make_unique<emulator::VirtualMouse>(*simulated, loop);
        if (options.virtualMouse != ctl::VirtualMouse::Receiver)
            mouse->plug(device::Form::Wired);
        if (options.virtualMouse != ctl::VirtualMouse::Wired)
            mouse->plug(device::Form::Receiver);
        bus = std::move(simulated);
    }

    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    ctl::CtlContext context{loop, *bus, std::cout, std::cerr, std::cin, &g_interrupted, {}};
    int code = ctl::RunCommand(options, context);
    if (code == ctl::kExitOk && startupSaves.Any())
        code = ctl::kExitFailure;

    if (mouse && !options.traceFile.empty() && !mouse->writeTrace(options.traceFile)) {
        std::cerr << "quorvikctl: cannot write the trace to " << options.traceFile << "\n";
        if (code == ctl::kExitOk)
            code = ctl::kExitFailure;
    }
    return code;
}
