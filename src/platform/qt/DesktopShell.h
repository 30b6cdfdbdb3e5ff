// What the program asks of the desktop: screen metrics, the desktop's mouse settings, web pages.
#pragma once

#include <QRect>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace quorvik::platform {

struct ScreenMetrics {
    // The size a maximised window's client area gets on the primary screen: the available
    // geometry (the screen less panels and docks). The program's windows are frameless, so no
    // caption is taken off. The display scale factor and the main window's placement use it.
    int fullWidth = 0;
    int fullHeight = 0;
    // Horizontal logical dots per inch / 96 (text sizes follow it).
    double textFactor = 1.0;
    // The desktop work area in screen coordinates (where the on-screen display goes).
    QRect workArea;
};

// The primary screen's metrics; with no screen at all, a 1024 × 768 desktop at 96 dpi.
ScreenMetrics PrimaryScreenMetrics();

// A desktop's mouse-settings tool: the program and its arguments, and the desktops (names as in
// XDG_CURRENT_DESKTOP) it belongs to.
struct MouseSettingsTool {
    QString program;
    QStringList arguments;
    QStringList desktops;
};

// The known tools, in the order they are tried when none belongs to the current desktop.
const std::vector<MouseSettingsTool>& MouseSettingsTools();

// The tools to try, in order: those of the current desktop (XDG_CURRENT_DESKTOP, a
// colon-separated list such as "ubuntu:GNOME") first, then the others in table order.
std::vector<MouseSettingsTool> MouseSettingsCandidates(const QString& currentDesktop);

// Returns the full path of an installed program, or an empty string.
using ExecutableFinder = std::function<QString(const QString& program)>;
// Starts a program detached from this process; true when it started.
using DetachedLauncher = std::function<bool(const QString& path, const QStringList& arguments)>;

// Starts the first installed mouse-settings tool that starts, detached. False when none is
// installed or none would start (the caller then tells the user).
bool OpenMouseSettings();
bool OpenMouseSettings(const QString& currentDesktop, const ExecutableFinder& find, const DetachedLauncher& launch);

// Opens a web page with the desktop's browser. False for anything but an http(s) address, or when
// the desktop could not open it.
bool OpenUrl(const QString& url);

} // namespace quorvik::platform
