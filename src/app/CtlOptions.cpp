#include "CtlOptions.h"

#include "model/AppRules.h"
#include "model/Text.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <map>

namespace quorvik::ctl {

namespace {

// Beyond these the numbers would overflow the timer's milliseconds; no one watches that long.
constexpr int kMaxCount = 1000000;
constexpr int kMaxSeconds = 86400 * 30;

bool parseInt(const std::string& text, int& value) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

bool parseSensor(std::string text, std::uint16_t& value) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text = text.substr(2);
    unsigned parsed = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed, 16);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || parsed > 0xFFFF)
        return false;
    value = static_cast<std::uint16_t>(parsed);
    return true;
}

bool endsWith(const std::string& s, const std::string& suffix) {
    return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

} // namespace

std::string AppMatchProblem(const std::string& name) {
    const std::u16string text = model::ToU16(name);
    // What does not come back as it went in was not UTF-8: a rule keeps no replacement characters.
    if (model::ToUtf8(text) != name)
        return "an application's name is UTF-8 text";
    if (!model::AppRules::CleanMatch(text).empty())
        return {};
    if (name.find_first_not_of(' ') == std::string::npos)
        return "an application's name cannot be empty";
    if (text.size() > model::kAppRuleMatchMax)
        return "an application's name is at most " + std::to_string(model::kAppRuleMatchMax) + " characters long";
    return "an application's name is one line without control characters";
}

bool ParseCtlArgs(const std::vector<std::string>& args, CtlOptions& options, std::string& error) {
    static const std::map<std::string, Command> kCommands = {
        {"list", Command::List},       {"status", Command::Status},       {"apply", Command::Apply},
        {"reports", Command::Reports}, {"watch", Command::Watch},         {"reset", Command::Reset},
        {"help", Command::Help},       {"profile", Command::ProfileList}, {"dpi", Command::Dpi},
        {"show", Command::Show},       {"app", Command::AppList},
    };
    options = CtlOptions{};
    bool haveCommand = false;
    bool haveProfileVerb = false;
    bool haveAppVerb = false;
    // Options that take a value accept both "--opt value" and "--opt=value".
    auto takeValue = [&](std::size_t& i, const std::string& name, std::string& out) {
        return app::TakeOptionValue(args, i, name, out, error);
    };
    // A whole number in [low, high] for an option; the message says what the option takes.
    auto takeInt = [&](std::size_t& i, const std::string& name, int low, int high, const std::string& what,
                       std::optional<int>& out) {
        std::string text;
        if (!takeValue(i, name, text))
            return false;
        int parsed = 0;
        if (!parseInt(text, parsed) || parsed < low || parsed > high) {
            error = name + " takes " + what + ", not \"" + text + "\"";
            return false;
        }
        out = parsed;
        return true;
    };
    using app::IsOption;

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string value;
        if (arg == "-h" || arg == "--help") {
            options.command = Command::Help;
            return true;
        } else if (IsOption(arg, "--virtual-mouse")) {
            if (!app::TakeVirtualMouse(arg, options.virtualMouse, error))
                return false;
        } else if (IsOption(arg, "--trace")) {
            if (!takeValue(i, "--trace", options.traceFile))
                return false;
        } else if (IsOption(arg, "--data-dir")) {
            if (!takeValue(i, "--data-dir", options.dataDir))
                return false;
        } else if (IsOption(arg, "--slot")) {
            if (!takeInt(i, "--slot", 0, 4, "a profile slot from 0 to 4", options.slot))
                return false;
        } else if (IsOption(arg, "--sensor")) {
            std::uint16_t sensor = 0;
            if (!takeValue(i, "--sensor", value))
                return false;
            if (!parseSensor(value, sensor)) {
                error = "--sensor takes a 16-bit hexadecimal sensor id such as 0x3325, not \"" + value + "\"";
                return false;
            }
            options.sensor = sensor;
        } else if (IsOption(arg, "--count")) {
            if (!takeInt(i, "--count", 1, kMaxCount, "a positive number", options.watchCount))
                return false;
        } else if (IsOption(arg, "--seconds")) {
            if (!takeInt(i, "--seconds", 1, kMaxSeconds, "a positive number of seconds", options.watchSeconds))
                return false;
        } else if (arg == "--json") {
            options.json = true;
        } else if (arg == "--yes" || arg == "-y") {
            options.yes = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option " + arg;
            return false;
        } else if (!haveCommand) {
            auto it = kCommands.find(arg);
            if (it == kCommands.end()) {
                error = "unknown command \"" + arg + "\" (try --help)";
                return false;
            }
            options.command = it->second;
            haveCommand = true;
        } else if (options.command == Command::ProfileList && !haveProfileVerb) {
            // "profile" takes a verb: list, or select with a slot.
            if (arg == "select")
                options.command = Command::ProfileSelect;
            else if (arg != "list") {
                error = "profile takes list or select N, not \"" + arg + "\"";
                return false;
            }
            haveProfileVerb = true;
        } else if (options.command == Command::ProfileSelect && !options.selectSlot) {
            int slot = 0;
            if (!parseInt(arg, slot) || slot < 0 || slot > 4) {
                error = "profile select takes a profile slot from 0 to 4, not \"" + arg + "\"";
                return false;
            }
            options.selectSlot = slot;
        } else if (options.command == Command::AppList && !haveAppVerb) {
            static const std::map<std::string, Command> kAppVerbs = {
                {"list", Command::AppList},
                {"add", Command::AppAdd},
                {"remove", Command::AppRemove},
                {"auto", Command::AppAuto},
            };
            const auto verb = kAppVerbs.find(arg);
            if (verb == kAppVerbs.end()) {
                error = "app takes list, add MATCH SLOT, remove MATCH or auto on|off, not \"" + arg + "\"";
                return false;
            }
            options.command = verb->second;
            haveAppVerb = true;
        } else if ((options.command == Command::AppAdd || options.command == Command::AppRemove) &&
                   options.appMatch.empty()) {
            if (const std::string problem = AppMatchProblem(arg); !problem.empty()) {
                // Control characters are not echoed: they could steer the terminal.
                const bool printable = std::none_of(
                    arg.begin(), arg.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
                error =
                    problem + (printable && problem.find("long") == std::string::npos ? ", not \"" + arg + "\"" : "");
                return false;
            }
            options.appMatch = arg;
        } else if (options.command == Command::AppAdd && !options.appSlot) {
            int slot = 0;
            if (!parseInt(arg, slot) || slot < 0 || slot > 4) {
                error = "app add takes a profile slot from 0 to 4, not \"" + arg + "\"";
                return false;
            }
            options.appSlot = slot;
        } else if (options.command == Command::AppAuto && !options.autoSwitch) {
            if (arg != "on" && arg != "off") {
                error = "app auto takes on or off, not \"" + arg + "\"";
                return false;
            }
            options.autoSwitch = arg == "on";
        } else if (options.command == Command::Dpi && !options.dpiLevel) {
            int level = 0;
            if (!parseInt(arg, level) || level < 1 || level > 8) {
                error = "dpi takes a DPI level from 1 to 8, not \"" + arg + "\"";
                return false;
            }
            options.dpiLevel = level;
        } else if (options.profileFile.empty() &&
                   (options.command == Command::Apply || options.command == Command::Reports)) {
            if (!endsWith(arg, ".psf")) {
                error = "a profile file ends in .psf: \"" + arg + "\"";
                return false;
            }
            options.profileFile = arg;
        } else {
            error = "unexpected argument \"" + arg + "\"";
            return false;
        }
    }

    if (!haveCommand) {
        error = "no command given (try --help)";
        return false;
    }
    if (options.command == Command::ProfileList && !haveProfileVerb) {
        error = "profile takes list or select N";
        return false;
    }
    if (options.command == Command::ProfileSelect && !options.selectSlot) {
        error = "profile select takes a profile slot from 0 to 4";
        return false;
    }
    if (options.command == Command::AppList && !haveAppVerb) {
        error = "app takes list, add MATCH SLOT, remove MATCH or auto on|off";
        return false;
    }
    if (options.command == Command::AppAdd && !options.appSlot) {
        error = "app add takes an application's name and a profile slot from 0 to 4";
        return false;
    }
    if (options.command == Command::AppRemove && options.appMatch.empty()) {
        error = "app remove takes an application's name";
        return false;
    }
    if (options.command == Command::AppAuto && !options.autoSwitch) {
        error = "app auto takes on or off";
        return false;
    }
    const bool takesProfile = options.command == Command::Apply || options.command == Command::Reports;
    if (!takesProfile && (options.slot || !options.profileFile.empty())) {
        error = "--slot and profile files go with apply and reports only";
        return false;
    }
    if (options.slot && !options.profileFile.empty()) {
        error = "give either --slot or a profile file, not both";
        return false;
    }
    if (options.sensor && options.command != Command::Reports) {
        error = "--sensor goes with reports only";
        return false;
    }
    const bool printsJson = options.command == Command::Status || options.command == Command::List ||
                            options.command == Command::ProfileList || options.command == Command::AppList ||
                            (options.command == Command::Dpi && !options.dpiLevel);
    if (options.json && !printsJson) {
        error = "--json goes with status, list, profile list, app list and dpi (without a level) only";
        return false;
    }
    if ((options.watchCount || options.watchSeconds) && options.command != Command::Watch) {
        error = "--count and --seconds go with watch only";
        return false;
    }
    return true;
}

std::vector<std::string> ForwardedArgs(const CtlOptions& options, const std::string& workingFolder) {
    std::vector<std::string> args;
    switch (options.command) {
    case Command::Help:
        args = {"help"};
        break;
    case Command::List:
        args = {"list"};
        break;
    case Command::Status:
        args = {"status"};
        break;
    case Command::Apply:
        args = {"apply"};
        break;
    case Command::Reports:
        args = {"reports"};
        break;
    case Command::Watch:
        args = {"watch"};
        break;
    case Command::Reset:
        args = {"reset"};
        break;
    case Command::ProfileList:
        args = {"profile", "list"};
        break;
    case Command::ProfileSelect:
        args = {"profile", "select", std::to_string(options.selectSlot.value_or(0))};
        break;
    case Command::Dpi:
        args = {"dpi"};
        if (options.dpiLevel)
            args.push_back(std::to_string(*options.dpiLevel));
        break;
    case Command::Show:
        args = {"show"};
        break;
    case Command::AppList:
        args = {"app", "list"};
        break;
    case Command::AppAdd:
        args = {"app", "add", options.appMatch, std::to_string(options.appSlot.value_or(0))};
        break;
    case Command::AppRemove:
        args = {"app", "remove", options.appMatch};
        break;
    case Command::AppAuto:
        args = {"app", "auto", options.autoSwitch.value_or(false) ? "on" : "off"};
        break;
    }
    auto absolute = [&](const std::string& path) {
        return path.empty() || path[0] == '/' || workingFolder.empty() ? path : workingFolder + "/" + path;
    };
    if (options.slot)
        args.push_back("--slot=" + std::to_string(*options.slot));
    if (!options.profileFile.empty())
        args.push_back(absolute(options.profileFile));
    if (options.sensor) {
        char text[8];
        std::snprintf(text, sizeof text, "%04X", unsigned(*options.sensor));
        args.push_back(std::string("--sensor=0x") + text);
    }
    if (options.json)
        args.push_back("--json");
    if (options.yes)
        args.push_back("--yes");
    if (options.watchCount)
        args.push_back("--count=" + std::to_string(*options.watchCount));
    if (options.watchSeconds)
        args.push_back("--seconds=" + std::to_string(*options.watchSeconds));
    if (!options.traceFile.empty())
        args.push_back("--trace=" + absolute(options.traceFile));
    return args;
}

std::string CtlHelpText() {
    return R"(Usage: quorvikctl [global options] COMMAND [command options]

Configures the gaming mouse from the command line. Every command first loads the settings the
desktop program uses (language, macro library, configuration and the five profiles) from the data
folder, then talks to the mouse through the same device link.

Commands:
  list                      the HID interfaces of the mouse that were found: form, role, path
  status [--json]           model tag, sensor, battery, charge state and online flag
  apply [--slot N | FILE.psf]
                            write a whole profile to the mouse: every button, DPI level, colour,
                            report rate, lighting, lift-off distance, debounce, power saving,
                            motion wake-up and macro (default: the current slot); progress goes
                            to standard error
  reports [--slot N | FILE.psf] [--sensor 0xNNNN]
                            print, without a mouse, the command reports that apply would write,
                            in order, one per line as 33 hexadecimal bytes (sequence numbers from 1);
                            --sensor picks the sensor whose DPI register table is used
                            (default: the configured sensor)
  watch [--count N] [--seconds S]
                            print the DPI level and report rate changes made on the mouse as they
                            arrive, with the on-screen display texts; stops after N changes or S
                            seconds, otherwise on Ctrl+C
  reset [--yes]             factory reset of the mouse and of the current profile (keeping its
                            name); asks for confirmation unless --yes is given
  profile list [--json]     the profiles shown in the window, in its order: slot, name, and
                            which one is current
  profile select N          make the profile of slot N (0 to 4) current, as a click on its tab
                            does: only what differs from the previous profile is written
  dpi [LEVEL] [--json]      show the current DPI level (1 to 8) and its DPI, or make LEVEL
                            current (a level that is on)
  show                      open the program's window (starts the program when it is not running)
  app list [--json]         whether profiles follow the application in use, and the rules in
                            order: application, slot, the slot's profile, and whether the rule is
                            followed (or why not)
  app add MATCH SLOT        the application MATCH (its program's file name or its window class,
                            without regard to case) brings the profile of slot SLOT (0 to 4);
                            a rule for MATCH that exists moves to SLOT
  app remove MATCH          remove the rule for MATCH
  app auto on|off           turn the following of the rules on or off
  help                      this text

While the program runs for the same data folder, every command is carried out by it: it is the
only one that opens the mouse and writes the settings. Output and exit codes stay the same.

Global options:
  --virtual-mouse[=wired|receiver|both]
                            use the built-in virtual mouse instead of real hardware (default: both);
                            while the program runs, its mouse is used, whichever it is
  --trace FILE              with the virtual mouse: write every report it received to FILE, one
                            line each: milliseconds, form, 33 hexadecimal bytes
  --data-dir DIR            use DIR as the data folder instead of
                            $XDG_CONFIG_HOME/GamingMouseData20230810A (default ~/.config/...)
  -h, --help                this text

Exit codes:
  0 success, 1 the operation failed (also: a settings file could not be saved, the data folder
  belongs to another user, or "app remove" found no such rule), 2 bad arguments, 3 no mouse
  found (or this user may not open it), 4 mouse offline, 5 unreadable profile file (the reason is
  named), 6 cancelled at the confirmation
)";
}

} // namespace quorvik::ctl
