// The desktop's mouse settings, web pages and the display platform, with the desktop itself
// replaced: which tool starts, what a URL may be, and what the environment says before Qt starts.
#include "platform/qt/DesktopShell.h"
#include "platform/qt/DisplayEnvironment.h"

#include <QDesktopServices>
#include <QObject>
#include <QUrl>

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>

namespace quorvik::platform {
namespace {

QStringList programsOf(const std::vector<MouseSettingsTool>& tools) {
    QStringList names;
    for (const auto& tool : tools)
        names << tool.program;
    return names;
}

TEST(MouseSettingsTest, TheCurrentDesktopsToolsComeFirstThenTheTableOrder) {
    const QStringList table = programsOf(MouseSettingsTools());
    EXPECT_EQ(programsOf(MouseSettingsCandidates("")), table);
    EXPECT_EQ(programsOf(MouseSettingsCandidates("Hyprland")), table);

    const QStringList kde = programsOf(MouseSettingsCandidates("KDE"));
    EXPECT_EQ(kde.mid(0, 3), (QStringList{"kcmshell6", "kcmshell5", "systemsettings"}));
    EXPECT_EQ(kde.size(), table.size()) << "the other desktops' tools stay as fallbacks";
    EXPECT_EQ(kde[3], "gnome-control-center");

    // XDG_CURRENT_DESKTOP is a list; any of its names may match, in any case.
    EXPECT_EQ(programsOf(MouseSettingsCandidates("ubuntu:GNOME")).first(), "gnome-control-center");
    EXPECT_EQ(programsOf(MouseSettingsCandidates("xfce")).first(), "xfce4-mouse-settings");
    EXPECT_EQ(programsOf(MouseSettingsCandidates("X-Cinnamon")).first(), "cinnamon-settings");
}

// A machine with some programs installed; records what was started.
struct FakeDesktop {
    std::map<QString, QString> installed; // program → path
    QStringList refusing;                 // paths that fail to start
    std::vector<std::pair<QString, QStringList>> started;

    ExecutableFinder finder() {
        return [this](const QString& program) {
            auto it = installed.find(program);
            return it == installed.end() ? QString() : it->second;
        };
    }
    DetachedLauncher launcher() {
        return [this](const QString& path, const QStringList& args) {
            if (refusing.contains(path))
                return false;
            started.emplace_back(path, args);
            return true;
        };
    }
};

TEST(MouseSettingsTest, StartsTheFirstInstalledToolThatStartsWithItsArguments) {
    FakeDesktop machine;
    machine.installed = {{"gnome-control-center", "/usr/bin/gnome-control-center"},
                         {"kcmshell5", "/usr/bin/kcmshell5"},
                         {"lxinput", "/usr/bin/lxinput"}};
    EXPECT_TRUE(OpenMouseSettings("KDE", machine.finder(), machine.launcher()));
    ASSERT_EQ(machine.started.size(), 1u);
    EXPECT_EQ(machine.started[0].first, "/usr/bin/kcmshell5");
    EXPECT_EQ(machine.started[0].second, QStringList{"mouse"});

    machine.started.clear();
    machine.refusing = {"/usr/bin/kcmshell5", "/usr/bin/gnome-control-center"};
    EXPECT_TRUE(OpenMouseSettings("KDE", machine.finder(), machine.launcher()));
    ASSERT_EQ(machine.started.size(), 1u);
    EXPECT_EQ(machine.started[0].first, "/usr/bin/lxinput");
    EXPECT_TRUE(machine.started[0].second.isEmpty());
}

TEST(MouseSettingsTest, NoToolInstalledOrNoneStartingIsAFailure) {
    FakeDesktop machine;
    EXPECT_FALSE(OpenMouseSettings("GNOME", machine.finder(), machine.launcher()));
    machine.installed = {{"mate-mouse-properties", "/usr/bin/mate-mouse-properties"}};
    machine.refusing = {"/usr/bin/mate-mouse-properties"};
    EXPECT_FALSE(OpenMouseSettings("MATE", machine.finder(), machine.launcher()));
    EXPECT_TRUE(machine.started.empty());
}

// Receives what QDesktopServices would hand to the browser.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

TEST(OpenUrlTest, OnlyWebAddressesReachTheDesktop) {
    UrlCatcher catcher;
    for (const char* scheme : {"http", "https", "file", "javascript", "mailto"})
        QDesktopServices::setUrlHandler(scheme, &catcher, "open");

    EXPECT_TRUE(OpenUrl("https://example.com/support?model=R7K3"));
    EXPECT_TRUE(OpenUrl("http://example.com"));
    for (const char* bad : {"", "example.com", "file:///etc/passwd", "javascript:alert(1)", "mailto:a@b.c", "https://",
                            "https://exa mple.com"})
        EXPECT_FALSE(OpenUrl(bad)) << bad;
    ASSERT_EQ(catcher.opened.size(), 2);
    EXPECT_EQ(catcher.opened[0].toString(), "https://example.com/support?model=R7K3");

    for (const char* scheme : {"http", "https", "file", "javascript", "mailto"})
        QDesktopServices::unsetUrlHandler(scheme);
}

struct DisplayCase {
    std::optional<std::string> qpa;
    std::optional<std::string> display;
    std::optional<std::string> expectedQpa;
};

TEST(DisplayEnvironmentTest, PrefersX11WhenReachableAndNothingWasChosen) {
    const DisplayCase cases[] = {
        {std::nullopt, ":0", "xcb;wayland"}, // X11 or XWayland there: take it
        {"", ":1", "xcb;wayland"},           // an empty choice is no choice
        {"wayland", ":0", "wayland"},        // the user's choice stands
        {"offscreen", std::nullopt, "offscreen"},
        {std::nullopt, std::nullopt, std::nullopt}, // a Wayland-only session: Qt decides
        {std::nullopt, "", std::nullopt},
    };
    for (const auto& c : cases) {
        std::map<std::string, std::string> env;
        if (c.qpa)
            env["QT_QPA_PLATFORM"] = *c.qpa;
        if (c.display)
            env["DISPLAY"] = *c.display;
        // A desktop that scales Qt programs by itself sets these.
        env["QT_SCALE_FACTOR"] = "1.5";
        env["QT_SCREEN_SCALE_FACTORS"] = "eDP-1=2;HDMI-1=1";
        env["QT_AUTO_SCREEN_SCALE_FACTOR"] = "1";
        PrepareDisplayEnvironment(
            [&](const char* name) {
                auto it = env.find(name);
                return it == env.end() ? nullptr : it->second.c_str();
            },
            [&](const char* name, const char* value) { env[name] = value; },
            [&](const char* name) { env.erase(name); });
        SCOPED_TRACE(c.qpa.value_or("(unset)") + " / " + c.display.value_or("(unset)"));
        if (c.expectedQpa)
            EXPECT_EQ(env["QT_QPA_PLATFORM"], *c.expectedQpa);
        else
            EXPECT_EQ(env.count("QT_QPA_PLATFORM"), 0u);
        EXPECT_EQ(env["QT_ENABLE_HIGHDPI_SCALING"], "0") << "the skins scale by the program's own factor";
        for (const char* name : {"QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS", "QT_AUTO_SCREEN_SCALE_FACTOR"})
            EXPECT_EQ(env.count(name), 0u) << name << ": Qt would scale on top of the program's factor";
    }
}

} // namespace
} // namespace quorvik::platform

#include "DesktopShellTest.moc"
