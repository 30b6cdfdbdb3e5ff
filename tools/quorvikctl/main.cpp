// quorvikctl: the mouse from the command line, for scripts and for machines without a desktop.
#include "CommandTable.h"
#include "CtlOptions.h"
#include "ProgramLink.h"

#include "app/StartupLoad.h"
#include "app/StartupReport.h"
#include "emulator/VirtualMouse.h"
#include "platform/DataFolders.h"
#include "platform/RealClockLoop.h"
#include "platform/SimulatedHidBus.h"
#include "platform/linux/LinuxHidBus.h"

#include <atomic>
#include <climits>
#include <csignal>
#include <filesystem>
#include <iostream>
#include <memory>

#include <sys/wait.h>
#include <unistd.h>

namespace {

std::atomic<bool> g_interrupted{false};

void onInterrupt(int) {
    g_interrupted.store(true);
}

// Starts the program beside this tool (else the one on the PATH) with its window open, detached
// from the tool so that it outlives it.
bool startProgram(const quorvik::ctl::CtlOptions& options, std::string& error) {
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    std::string program = "quorvik";
    if (!ec && std::filesystem::exists(self.parent_path() / "quorvik"))
        program = (self.parent_path() / "quorvik").string();
    std::vector<std::string> args{program, "--show"};
    if (!options.dataDir.empty())
        args.push_back("--data-dir=" + options.dataDir);
    if (options.virtualMouse != quorvik::ctl::VirtualMouse::None)
        args.push_back(options.virtualMouse == quorvik::ctl::VirtualMouse::Wired      ? "--virtual-mouse=wired"
                       : options.virtualMouse == quorvik::ctl::VirtualMouse::Receiver ? "--virtual-mouse=receiver"
                                                                                      : "--virtual-mouse");
    std::vector<char*> argv;
    for (auto& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child < 0) {
        error = "cannot start quorvik";
        return false;
    }
    if (child == 0) {
        // The grandchild runs the program in a session of its own; the child ends at once.
        ::setsid();
        if (::fork() == 0) {
            ::execvp(argv[0], argv.data());
            ::_exit(127);
        }
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
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
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);

    // While the program runs for this data folder it is the only owner of the mouse and the files:
    // the command goes to it, and nothing here is opened or written.
    const ctl::RunningProgram running = ctl::FindRunningProgram(paths.dataFolder);
    if (running.state == ctl::RunningProgram::State::Silent) {
        std::cerr << "quorvikctl: quorvik is running for " << paths.dataFolder
                  << " but cannot be reached; end it or try again\n";
        return ctl::kExitFailure;
    }
    if (running.state == ctl::RunningProgram::State::Reachable) {
        char cwd[PATH_MAX];
        const std::string workingFolder = ::getcwd(cwd, sizeof cwd) ? cwd : "";
        std::string linkError;
        const int code = ctl::RunInProgram(running.socketPath, ctl::ForwardedArgs(options, workingFolder), std::cout,
                                           std::cerr, std::cin, &g_interrupted, linkError);
        if (code < 0) {
            std::cerr << "quorvikctl: " << linkError << "\n";
            return ctl::kExitFailure;
        }
        return code;
    }

    // With no program running, "show" starts one; it loads the settings itself.
    if (options.command == ctl::Command::Show) {
        std::string startError;
        if (startProgram(options, startError))
            return ctl::kExitOk;
        std::cerr << "quorvikctl: " << startError << "\n";
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

    ctl::CtlContext context{
        loop,      *bus,
        std::cout, std::cerr,
        std::cin,  &g_interrupted,
        {},        [&options](std::string& startError) { return startProgram(options, startError); }};
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
