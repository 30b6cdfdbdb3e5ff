// Command line of the desktop program: what the user asked for, and the arguments meant for Qt.
#pragma once

#include "app/CommandLine.h"

#include <string>
#include <vector>

namespace quorvik::app {

enum AppExitCode : int {
    kAppExitOk = 0,
    kAppExitFailure = 1,      // --quit found no running instance; a running one did not answer
    kAppExitBadArguments = 2, // the command line is wrong
};

enum class AppAction {
    Run,     // start (or, when one runs already, ask it to open its window)
    Quit,    // ask the running instance to exit
    Help,    // print the help text
    Version, // print the version
};

struct AppOptions {
    AppAction action = AppAction::Run;
    VirtualMouse virtualMouse = VirtualMouse::None;
    // With the virtual mouse: every report it receives goes to this file.
    std::string traceFile;
    // Overrides the data folder (default: $XDG_CONFIG_HOME/GamingMouseData20230810A).
    std::string dataDir;
    // Open the window at the start, as an open request does (the launcher's start).
    bool show = false;
    // End right after the main window's first paint (start-up measurements).
    bool exitAfterPaint = false;
    // Print the milliseconds from the process's start to that first paint on standard output.
    bool printStartupMs = false;
    // Qt's own options (-platform, -display, -style …) with their values, in the order given, for
    // the QApplication; the program name is not among them.
    std::vector<std::string> qtArguments;
};

// Parses argv[1..]. On failure returns false with a one-line message in `error`.
bool ParseAppArgs(const std::vector<std::string>& args, AppOptions& options, std::string& error);

std::string AppHelpText();
// "quorvik " and the version number.
std::string AppVersionText();

} // namespace quorvik::app
