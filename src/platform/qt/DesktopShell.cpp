#include "platform/qt/DesktopShell.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QUrl>

namespace quorvik::platform {

namespace {

constexpr double kBaseDpi = 96.0;
const QRect kNoScreenDesktop(0, 0, 1024, 768);

} // namespace

ScreenMetrics PrimaryScreenMetrics() {
    ScreenMetrics metrics;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        metrics.fullWidth = kNoScreenDesktop.width();
        metrics.fullHeight = kNoScreenDesktop.height();
        metrics.workArea = kNoScreenDesktop;
        return metrics;
    }
    metrics.workArea = screen->availableGeometry();
    metrics.fullWidth = metrics.workArea.width();
    metrics.fullHeight = metrics.workArea.height();
    const double dpi = screen->logicalDotsPerInchX();
    metrics.textFactor = dpi > 0 ? dpi / kBaseDpi : 1.0;
    return metrics;
}

const std::vector<MouseSettingsTool>& MouseSettingsTools() {
    static const std::vector<MouseSettingsTool> kTools = {
        {"gnome-control-center", {"mouse"}, {"GNOME", "Unity"}},
        {"kcmshell6", {"kcm_mouse"}, {"KDE"}},
        {"kcmshell5", {"mouse"}, {"KDE"}},
        {"systemsettings", {"kcm_mouse"}, {"KDE"}},
        {"xfce4-mouse-settings", {}, {"XFCE"}},
        {"cinnamon-settings", {"mouse"}, {"X-Cinnamon", "Cinnamon"}},
        {"mate-mouse-properties", {}, {"MATE"}},
        {"budgie-control-center", {"mouse"}, {"Budgie"}},
        {"lxqt-config-input", {}, {"LXQt"}},
        {"lxinput", {}, {"LXDE"}},
    };
    return kTools;
}

std::vector<MouseSettingsTool> MouseSettingsCandidates(const QString& currentDesktop) {
    const QStringList desktops = currentDesktop.split(':', Qt::SkipEmptyParts);
    auto belongs = [&](const MouseSettingsTool& tool) {
        for (const QString& d : desktops)
            if (tool.desktops.contains(d, Qt::CaseInsensitive))
                return true;
        return false;
    };
    std::vector<MouseSettingsTool> ordered;
    for (const auto& tool : MouseSettingsTools())
        if (belongs(tool))
            ordered.push_back(tool);
    for (const auto& tool : MouseSettingsTools())
        if (!belongs(tool))
            ordered.push_back(tool);
    return ordered;
}

bool OpenMouseSettings(const QString& currentDesktop, const ExecutableFinder& find, const DetachedLauncher& launch) {
    for (const auto& tool : MouseSettingsCandidates(currentDesktop)) {
        const QString path = find(tool.program);
        if (!path.isEmpty() && launch(path, tool.arguments))
            return true;
    }
    return false;
}

bool OpenMouseSettings() {
    return OpenMouseSettings(
        qEnvironmentVariable("XDG_CURRENT_DESKTOP"),
        [](const QString& program) { return QStandardPaths::findExecutable(program); },
        [](const QString& path, const QStringList& arguments) { return QProcess::startDetached(path, arguments); });
}

bool OpenUrl(const QString& url) {
    const QUrl parsed(url, QUrl::StrictMode);
    if (!parsed.isValid() || (parsed.scheme() != "http" && parsed.scheme() != "https") || parsed.host().isEmpty())
        return false;
    return QDesktopServices::openUrl(parsed);
}

} // namespace quorvik::platform
