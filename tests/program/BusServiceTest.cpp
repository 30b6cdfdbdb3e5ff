// The program on the session bus, seen by another connection as a desktop applet would see it.
// Runs where a session bus is (CTest starts one for it with dbus-run-session); skipped elsewhere.
#include "MainWindowHarness.h"

#include "app/BusService.h"
#include "app/ProgramDoors.h"
#include "model/AppRules.h"
#include "platform/qt/SingleInstance.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QTimer>

namespace quorvik::test {

namespace {

constexpr const char* kProperties = "org.freedesktop.DBus.Properties";

// Collects the PropertiesChanged signals the service sends.
class Listener : public QObject {
    Q_OBJECT
public:
    std::vector<QVariantMap> changes;
public Q_SLOTS:
    void changed(const QString& interface, const QVariantMap& values, const QStringList&) {
        if (interface == QLatin1String(app::kBusInterface))
            changes.push_back(values);
    }
};

class BusServiceTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        if (!QDBusConnection::sessionBus().isConnected())
            GTEST_SKIP() << "no session bus";
        client_ = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("applet")));
        ASSERT_TRUE(client_->isConnected());
    }
    void TearDown() override {
        doors_.reset();
        instance_.reset();
        if (client_)
            QDBusConnection::disconnectFromBus(QStringLiteral("applet"));
        client_.reset();
        MainWindowTest::TearDown();
    }
    void startProgram() {
        start("0", {device::Form::Wired});
        instance_ = std::make_unique<platform::SingleInstance>(
            platform::SingleInstance::SocketAt{QString::fromStdString((dir_.path() / "socket").string())});
        doors_ = std::make_unique<app::ProgramDoors>(dlg(), bus_, mouse_.get(), *instance_);
        doors_->Start();
        // The service goes on the bus once the loop runs.
        pump([] { return false; }, 200);
        takeCodes();
    }
    // Lets both loops run until `done`, at most `ms` of wall time (the bus daemon is a real process).
    void pump(const std::function<bool()>& done, int ms = 3000) {
        const QDeadlineTimer patience(ms);
        while (!done() && !patience.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            loop.advance(10);
        }
    }
    // A method call from the applet, answered while the program's loops run.
    QDBusMessage call(const QString& interface, const QString& method, const QVariantList& args) {
        QDBusMessage message = QDBusMessage::createMethodCall(QString::fromLatin1(app::kBusName),
                                                              QString::fromLatin1(app::kBusPath), interface, method);
        message.setArguments(args);
        QDBusPendingCall pending = client_->asyncCall(message);
        pump([&] { return pending.isFinished(); });
        return pending.reply();
    }
    QVariant property(const char* name) {
        const QDBusMessage reply = call(QString::fromLatin1(kProperties), QStringLiteral("Get"),
                                        {QString::fromLatin1(app::kBusInterface), QString::fromLatin1(name)});
        return reply.arguments().value(0).value<QDBusVariant>().variant();
    }

    std::unique_ptr<QDBusConnection> client_;
    std::unique_ptr<platform::SingleInstance> instance_;
    std::unique_ptr<app::ProgramDoors> doors_;
};

} // namespace

TEST_F(BusServiceTest, PropertiesMethodsAndTheirChangesReachTheBus) {
    startProgram();
    emulator::StatusSettings status = mouse_->status();
    status.battery = 64;
    mouse_->setStatus(status);
    // Known after a status read; the window reads every 21 seconds.
    loop.advance(22000);
    EXPECT_EQ(property("Battery").toInt(), 64);
    EXPECT_EQ(property("ChargeState").toString(), QStringLiteral("discharging"));
    EXPECT_TRUE(property("Online").toBool());

    Listener listener;
    ASSERT_TRUE(client_->connect(QString::fromLatin1(app::kBusName), QString::fromLatin1(app::kBusPath),
                                 QString::fromLatin1(kProperties), QStringLiteral("PropertiesChanged"), &listener,
                                 SLOT(changed(QString, QVariantMap, QStringList))));
    // SetDpiLevel(4): the DPI levels report with level 4 current.
    const QDBusMessage set = call(QString::fromLatin1(app::kBusInterface), QStringLiteral("SetDpiLevel"), {4});
    EXPECT_EQ(set.type(), QDBusMessage::ReplyMessage) << set.errorMessage().toStdString();
    EXPECT_EQ(takeCodes(), std::vector<std::uint8_t>{device::kCmdDpiLevels});
    EXPECT_EQ(mouse_->state().currentLevel, 4);
    pump([&] { return !listener.changes.empty(); });
    ASSERT_FALSE(listener.changes.empty());
    EXPECT_EQ(listener.changes.back().value(QStringLiteral("DpiLevel")).toInt(), 4);

    // The DPI button on the mouse: announced as the window shows it.
    listener.changes.clear();
    mouse_->pressDpiButton(device::Form::Wired);
    pump([&] { return !listener.changes.empty(); });
    ASSERT_FALSE(listener.changes.empty());
    EXPECT_EQ(listener.changes.back().value(QStringLiteral("DpiLevel")).toInt(), 5);

    // Errors carry their own names and a message a person can read.
    const QDBusMessage off = call(QString::fromLatin1(app::kBusInterface), QStringLiteral("SelectProfile"), {4});
    EXPECT_EQ(off.errorName(), QStringLiteral("org.quorvik.Quorvik1.Error.InvalidArgument"));
    EXPECT_TRUE(off.errorMessage().startsWith(QStringLiteral("Slot 4 holds no profile")))
        << off.errorMessage().toStdString();
    const QDBusMessage range = call(QString::fromLatin1(app::kBusInterface), QStringLiteral("SetDpiLevel"), {0});
    EXPECT_EQ(range.errorName(), QStringLiteral("org.quorvik.Quorvik1.Error.InvalidArgument"));
}

// Without the mouse the battery is unknown, and Apply says why it cannot write.
TEST_F(BusServiceTest, WithoutTheMouseTheBatteryIsUnknownAndApplyFailsByName) {
    startProgram();
    mouse_->unplug(device::Form::Wired);
    pump([] { return false; }, 300);
    // Unplugging the last form ends the program; the bus answers until then.
    EXPECT_EQ(property("Battery").toInt(), -1);
    EXPECT_EQ(property("ChargeState").toString(), QStringLiteral("unknown"));
    const QDBusMessage apply = call(QString::fromLatin1(app::kBusInterface), QStringLiteral("Apply"), {});
    EXPECT_EQ(apply.errorName(), QStringLiteral("org.quorvik.Quorvik1.Error.NoMouse"));
}

// The rules on the bus: read, changed by the methods and by Set, each change announced, the
// errors by name.
TEST_F(BusServiceTest, AppRulesAndTheSwitchAreChangedThroughTheCommandsAndAnnounced) {
    model::Rules() = {};
    startProgram();
    Listener listener;
    ASSERT_TRUE(client_->connect(QString::fromLatin1(app::kBusName), QString::fromLatin1(app::kBusPath),
                                 QString::fromLatin1(kProperties), QStringLiteral("PropertiesChanged"), &listener,
                                 SLOT(changed(QString, QVariantMap, QStringList))));
    const QString iface = QString::fromLatin1(app::kBusInterface);
    auto rulesOf = [](const QVariant& value) { return qdbus_cast<app::BusAppRuleList>(value); };

    const QDBusMessage add = call(iface, QStringLiteral("AddAppRule"), {QStringLiteral("firefox"), 1});
    ASSERT_EQ(add.type(), QDBusMessage::ReplyMessage) << add.errorMessage().toStdString();
    pump([&] { return !listener.changes.empty(); });
    ASSERT_FALSE(listener.changes.empty());
    EXPECT_EQ(rulesOf(listener.changes.back().value(QStringLiteral("AppRules"))),
              (app::BusAppRuleList{{QStringLiteral("firefox"), 1}}));
    EXPECT_EQ(rulesOf(property("AppRules")), (app::BusAppRuleList{{QStringLiteral("firefox"), 1}}));

    // Set goes through the table as "app auto on" does: in memory, in the file, announced.
    listener.changes.clear();
    const QDBusMessage set = call(QString::fromLatin1(kProperties), QStringLiteral("Set"),
                                  {iface, QStringLiteral("AutoSwitch"), QVariant::fromValue(QDBusVariant(true))});
    ASSERT_EQ(set.type(), QDBusMessage::ReplyMessage) << set.errorMessage().toStdString();
    pump([&] { return !listener.changes.empty(); });
    ASSERT_FALSE(listener.changes.empty());
    EXPECT_EQ(listener.changes.back().value(QStringLiteral("AutoSwitch")), QVariant(true));
    // The program saves the rules on its worker thread: the file holds them once that is done.
    model::AppRules onDisk;
    pump([&] { return onDisk.Read(model::AppRulesFilePath()) && onDisk.autoSwitch; });
    ASSERT_TRUE(onDisk.Read(model::AppRulesFilePath()));
    EXPECT_TRUE(onDisk.autoSwitch);
    EXPECT_EQ(onDisk.rules, (std::vector<model::AppRule>{{u"firefox", 1}}));

    const QString invalid = QStringLiteral("org.quorvik.Quorvik1.Error.InvalidArgument");
    EXPECT_EQ(call(iface, QStringLiteral("AddAppRule"), {QStringLiteral(" "), 1}).errorName(), invalid);
    EXPECT_EQ(call(iface, QStringLiteral("AddAppRule"), {QStringLiteral("game"), 5}).errorName(), invalid);
    const QDBusMessage missing = call(iface, QStringLiteral("RemoveAppRule"), {QStringLiteral("game")});
    EXPECT_EQ(missing.errorName(), invalid);
    EXPECT_EQ(missing.errorMessage(), QStringLiteral("There is no rule for \"game\""));

    // A save that fails is Failed, with the file named; a warning told before it is no message.
    doors_->Host().SetAppRulesHandler([](std::function<void(const model::FileProblem&)> saved) {
        QTimer::singleShot(20, [saved] { saved({model::FileFault::DiskFull}); });
    });
    model::Config().SetProfileShowCount(3);
    const QDBusMessage failed = call(iface, QStringLiteral("AddAppRule"), {QStringLiteral("game"), 4});
    EXPECT_EQ(failed.errorName(), QStringLiteral("org.quorvik.Quorvik1.Error.Failed"));
    EXPECT_TRUE(failed.errorMessage().startsWith(QStringLiteral("Cannot save ")))
        << failed.errorMessage().toStdString();
    listener.changes.clear();
    EXPECT_EQ(call(iface, QStringLiteral("RemoveAppRule"), {QStringLiteral("FIREFOX")}).errorName(),
              QStringLiteral("org.quorvik.Quorvik1.Error.Failed"));
    pump([&] { return !listener.changes.empty(); });
    ASSERT_FALSE(listener.changes.empty());
    EXPECT_EQ(rulesOf(listener.changes.back().value(QStringLiteral("AppRules"))),
              (app::BusAppRuleList{{QStringLiteral("game"), 4}}));
}

// An address that names only the disabled transport is no bus to try; anything else is left to
// the bus library, including an unset address (the desktop's usual place, or a bus on demand).
TEST(SessionBusAddress, OnlyDisabledAddressesMeanNoBus) {
    EXPECT_FALSE(app::BusService::SessionBusMayExist("disabled:"));
    EXPECT_FALSE(app::BusService::SessionBusMayExist("disabled:;disabled:"));
    EXPECT_TRUE(app::BusService::SessionBusMayExist(nullptr));
    EXPECT_TRUE(app::BusService::SessionBusMayExist(""));
    EXPECT_TRUE(app::BusService::SessionBusMayExist("unix:path=/run/user/1000/bus"));
    EXPECT_TRUE(app::BusService::SessionBusMayExist("disabled:;unix:path=/run/user/1000/bus"));
    EXPECT_TRUE(app::BusService::SessionBusMayExist("unix:abstract=/tmp/dbus-x,guid=1;disabled:"));
}

} // namespace quorvik::test

#include "BusServiceTest.moc"
