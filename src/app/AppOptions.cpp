#include "app/AppOptions.h"

#include <array>
#include <string_view>

#ifndef QV_VERSION
#error "QV_VERSION must name the program version"
#endif

namespace quorvik::app {

namespace {

// Qt's application options, passed on untouched. Qt also takes them with two dashes, and the ones
// with a value also as "-option=value".
struct QtOption {
    std::string_view name;
    bool takesValue;
};
constexpr std::array<QtOption, 20> kQtOptions{{
    {"-platform", true},        {"-platformpluginpath", true},
    {"-platformtheme", true},   {"-plugin", true},
    {"-qwindowgeometry", true}, {"-qwindowicon", true},
    {"-qwindowtitle", true},    {"-session", true},
    {"-display", true}, // X11
    {"-geometry", true},        {"-name", true},
    {"-title", true},           {"-style", true},
    {"-stylesheet", true},      {"-qmljsdebugger", true},
    {"-reverse", false},        {"-widgetcount", false},
    {"-sync", false},           {"-nograb", false},
    {"-dograb", false},
}};

// The Qt option `arg` names, or null. `inlineValue` tells whether it carries "=value".
const QtOption* findQtOption(std::string_view arg, bool& inlineValue) {
    if (arg.size() > 2 && arg.substr(0, 2) == "--")
        arg.remove_prefix(1);
    const auto eq = arg.find('=');
    const std::string_view name = arg.substr(0, eq);
    for (const auto& option : kQtOptions) {
        if (option.name != name)
            continue;
        inlineValue = eq != std::string_view::npos;
        if (inlineValue && !option.takesValue)
            return nullptr;
        return &option;
    }
    return nullptr;
}

} // namespace

bool ParseAppArgs(const std::vector<std::string>& args, AppOptions& options, std::string& error) {
    options = AppOptions{};
    bool quit = false;
    bool ownOptions = false; // any option of ours that --quit cannot go with
    // Options that take a value accept both "--opt value" and "--opt=value", and not an empty one.
    auto takeValue = [&](std::size_t& i, const std::string& name, std::string& out) {
        if (!TakeOptionValue(args, i, name, out, error))
            return false;
        if (out.empty()) {
            error = name + " needs a value";
            return false;
        }
        return true;
    };

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        bool inlineValue = false;
        if (arg == "-h" || arg == "--help") {
            options.action = AppAction::Help;
            return true;
        } else if (arg == "--version") {
            options.action = AppAction::Version;
            return true;
        } else if (IsOption(arg, "--virtual-mouse")) {
            if (!TakeVirtualMouse(arg, options.virtualMouse, error))
                return false;
            ownOptions = true;
        } else if (IsOption(arg, "--trace")) {
            if (!takeValue(i, "--trace", options.traceFile))
                return false;
            ownOptions = true;
        } else if (IsOption(arg, "--data-dir")) {
            if (!takeValue(i, "--data-dir", options.dataDir))
                return false;
            ownOptions = true;
        } else if (arg == "--show") {
            options.show = true;
        } else if (arg == "--exit-after-paint") {
            options.exitAfterPaint = true;
            ownOptions = true;
        } else if (arg == "--print-startup-ms") {
            options.printStartupMs = true;
            ownOptions = true;
        } else if (arg == "--quit") {
            quit = true;
        } else if (const QtOption* qt = findQtOption(arg, inlineValue)) {
            options.qtArguments.push_back(arg);
            if (qt->takesValue && !inlineValue) {
                if (i + 1 >= args.size()) {
                    error = arg + " needs a value";
                    return false;
                }
                options.qtArguments.push_back(args[++i]);
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option " + arg + " (try --help)";
            return false;
        } else {
            error = "unexpected argument \"" + arg + "\" (try --help)";
            return false;
        }
    }

    if (!options.traceFile.empty() && options.virtualMouse == VirtualMouse::None) {
        error = "--trace goes with --virtual-mouse only";
        return false;
    }
    if (quit) {
        if (ownOptions) {
            error = "--quit goes alone: it only asks the running program to exit";
            return false;
        }
        options.action = AppAction::Quit;
    }
    return true;
}

std::string AppHelpText() {
    return R"(Usage: quorvik [options]

Configures the gaming mouse: buttons, DPI levels, report rate, lighting, macros and the five
profiles. The program runs once per user session with an icon in the notification area; starting
it again asks the running one to open its window.

Options:
  --virtual-mouse[=wired|receiver|both]
                            use the built-in virtual mouse instead of real hardware (default: both)
  --trace FILE              with the virtual mouse: write every report it received to FILE, one
                            line each: milliseconds, form, 33 hexadecimal bytes
  --data-dir DIR            use DIR as the data folder instead of
                            $XDG_CONFIG_HOME/GamingMouseData20230810A (default ~/.config/...)
  --quit                    ask the running program to exit (as its tray menu's Exit does)
  --show                    open the window at the start, also when the mouse is not connected
                            (the desktop launcher's way; the automatic start at login starts
                            hidden until the mouse is online)
  --exit-after-paint        end right after the main window is first drawn (start-up timing)
  --print-startup-ms        print "first-paint-ms N" on standard output when the main window is
                            first drawn: N milliseconds after the process started (counted from
                            the CLOCK_MONOTONIC nanoseconds in $QUORVIK_START_NS when a launcher
                            sets it, else from the kernel's start time, in 10 ms steps)
  --version                 print the version
  -h, --help                this text

Qt's own options (-platform NAME, -display DISPLAY, -style NAME, ...) are passed on to Qt.

Exit codes:
  0 success (also when a running program was asked to open its window), 1 --quit found no running
  program, a running program did not answer, or the data folder belongs to another user, 2 bad
  arguments
)";
}

std::string AppVersionText() {
    return std::string("quorvik ") + QV_VERSION;
}

} // namespace quorvik::app
