// Command line of quorvikctl: what the user asked for, checked before anything touches the mouse.
#pragma once

#include "app/CommandLine.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorvik::ctl {

// Distinct exit codes, so scripts can tell the failures apart.
enum ExitCode : int {
    kExitOk = 0,
    kExitFailure = 1,      // the mouse did not take a command, a file could not be written, …
    kExitBadArguments = 2, // the command line is wrong
    kExitNoMouse = 3,      // neither the wired mouse nor the receiver was found, or may be opened
    kExitMouseOffline = 4, // only the receiver is there and the mouse does not answer as online
    kExitBadProfile = 5,   // the profile file given could not be read
    kExitCancelled = 6,    // the user declined the confirmation
};

enum class Command {
    Help,
    List,
    Status,
    Apply,
    Reports,
    Watch,
    Reset,
    ProfileList,
    ProfileSelect,
    Dpi,
    Show,
    AppList,
    AppAdd,
    AppRemove,
    AppAuto
};
using VirtualMouse = app::VirtualMouse;

struct CtlOptions {
    Command command = Command::Help;
    // Which profile: a slot 0..4 (default: the current slot) or a profile file.
    std::optional<int> slot;
    std::string profileFile;
    // `reports`: the sensor whose register table turns DPI codes into register values.
    std::optional<std::uint16_t> sensor;
    bool json = false;
    bool yes = false;
    VirtualMouse virtualMouse = VirtualMouse::None;
    std::string traceFile;
    // `watch`: stop after this many level changes or seconds (default: until interrupted).
    std::optional<int> watchCount;
    std::optional<int> watchSeconds;
    // `profile select`: the slot 0..4 that becomes current.
    std::optional<int> selectSlot;
    // `dpi LEVEL`: the level 1..8 that becomes current (none: the current one is shown).
    std::optional<int> dpiLevel;
    // `app add` and `app remove`: the application's name as given (UTF-8); `app add`: the slot 0..4.
    std::string appMatch;
    std::optional<int> appSlot;
    // `app auto on|off`.
    std::optional<bool> autoSwitch;
    // Overrides the data folder (default: $XDG_CONFIG_HOME/GamingMouseData20230810A).
    std::string dataDir;
};

// Why `name` cannot name an application in a rule (empty when it can): not UTF-8, empty, too
// long, or holding a control character.
std::string AppMatchProblem(const std::string& name);

// Parses argv[1..]. On failure returns false with a one-line message in `error`.
bool ParseCtlArgs(const std::vector<std::string>& args, CtlOptions& options, std::string& error);

// The arguments that carry a command to the running program: the command and its options, with
// a profile file's path made absolute against `workingFolder` (the program runs elsewhere). The
// options of this process only (data folder, virtual mouse) stay here.
std::vector<std::string> ForwardedArgs(const CtlOptions& options, const std::string& workingFolder);

// The whole --help text.
std::string CtlHelpText();

} // namespace quorvik::ctl
