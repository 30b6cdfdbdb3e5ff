// The program on the desktop session's bus: org.quorvik.Quorvik at /org/quorvik/Quorvik, interface
// org.quorvik.Quorvik1. Its state is properties, announced with PropertiesChanged when they change;
// its methods are the command table's commands, answered when the command ends (a reply that
// waits does not hold the window). Without a session bus there is no service, and that is fine.
#pragma once

#include "CommandTable.h"

#include <QDBusArgument>
#include <QDBusContext>
#include <QDBusMessage>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <vector>

namespace quorvik::app {

class ProgramHost;

// One entry of Profiles: slot and name, a visible slot in show-list order.
struct BusProfile {
    int slot = 0;
    QString name;
    bool operator==(const BusProfile&) const = default;
};
using BusProfileList = QList<BusProfile>;

QDBusArgument& operator<<(QDBusArgument& argument, const BusProfile& profile);
const QDBusArgument& operator>>(const QDBusArgument& argument, BusProfile& profile);

// One entry of AppRules: the application's name and the slot it brings, in the rules' order.
struct BusAppRule {
    QString match;
    int slot = 0;
    bool operator==(const BusAppRule&) const = default;
};
using BusAppRuleList = QList<BusAppRule>;

QDBusArgument& operator<<(QDBusArgument& argument, const BusAppRule& rule);
const QDBusArgument& operator>>(const QDBusArgument& argument, BusAppRule& rule);

inline constexpr const char* kBusName = "org.quorvik.Quorvik";
inline constexpr const char* kBusPath = "/org/quorvik/Quorvik";
inline constexpr const char* kBusInterface = "org.quorvik.Quorvik1";

class BusService : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.quorvik.Quorvik1")
    Q_PROPERTY(bool Online READ online)
    Q_PROPERTY(int Battery READ battery)
    Q_PROPERTY(QString ChargeState READ chargeState)
    Q_PROPERTY(ushort Sensor READ sensor)
    Q_PROPERTY(int CurrentProfile READ currentProfile)
    Q_PROPERTY(quorvik::app::BusProfileList Profiles READ profiles)
    Q_PROPERTY(int DpiLevel READ dpiLevel)
    Q_PROPERTY(uint Dpi READ dpi)
    Q_PROPERTY(quorvik::app::BusAppRuleList AppRules READ appRules)
    Q_PROPERTY(bool AutoSwitch READ autoSwitch WRITE setAutoSwitch)
public:
    // `quit` ends the program the way the tray's exit does.
    BusService(ProgramHost& host, std::function<void()> quit);
    ~BusService() override;

    // Registers the object and asks for the name on the session bus; false (and no service) when
    // there is no session bus or the name is another program's.
    bool Publish();
    // False when the bus address (DBUS_SESSION_BUS_ADDRESS, null when unset) says there is no
    // session bus: every address in it is "disabled:". Qt would start its bus thread only to fail.
    static bool SessionBusMayExist(const char* address);

    bool online() const;
    int battery() const;
    QString chargeState() const;
    ushort sensor() const;
    int currentProfile() const;
    BusProfileList profiles() const;
    int dpiLevel() const;
    uint dpi() const;
    BusAppRuleList appRules() const;
    bool autoSwitch() const;
    // As "quorvikctl app auto": the change is announced, the save follows (a failed one is the
    // owner's to tell: Properties.Set has answered by then).
    void setAutoSwitch(bool on);

    // Compares every property with what was announced last and announces what changed.
    void CheckChanges();

public Q_SLOTS:
    Q_SCRIPTABLE void SelectProfile(int slot);
    Q_SCRIPTABLE void SetDpiLevel(int level);
    Q_SCRIPTABLE void Apply();
    Q_SCRIPTABLE void ShowWindow();
    Q_SCRIPTABLE void Quit();
    Q_SCRIPTABLE void AddAppRule(const QString& match, int slot);
    Q_SCRIPTABLE void RemoveAppRule(const QString& match);

private:
    class Call;
    QVariantMap snapshot() const;
    // Runs a command of the table for the method being called; the reply follows when it ends.
    void runForCaller(ctl::CtlOptions options);

    ProgramHost& host_;
    std::function<void()> quit_;
    QVariantMap announced_;
    QTimer poll_;
    bool published_ = false;
    std::vector<std::unique_ptr<Call>> calls_;
};

} // namespace quorvik::app

Q_DECLARE_METATYPE(quorvik::app::BusProfile)
Q_DECLARE_METATYPE(quorvik::app::BusAppRule)
