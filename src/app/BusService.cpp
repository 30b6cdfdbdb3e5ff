#include "app/BusService.h"

#include "app/ProgramHost.h"
#include "model/AppRules.h"
#include "model/ConfigPairs.h"
#include "model/ProfileRecord.h"
#include "model/Text.h"
#include "ui/rules/DpiLevelRule.h"
#include "ui/rules/ProfileSlots.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMetaType>

#include <algorithm>
#include <string_view>

namespace quorvik::app {

namespace {

// Properties are looked at again this often too, for what changes without the window noticing
// (the online flag while the window is hidden).
constexpr int kPollMs = 1000;

constexpr const char* kErrorPrefix = "org.quorvik.Quorvik1.Error.";

// The error name for an exit code of the command table.
QString errorName(int code) {
    switch (code) {
    case ctl::kExitBadArguments:
        return QString::fromLatin1(kErrorPrefix) + "InvalidArgument";
    case ctl::kExitNoMouse:
        return QString::fromLatin1(kErrorPrefix) + "NoMouse";
    case ctl::kExitMouseOffline:
        return QString::fromLatin1(kErrorPrefix) + "MouseOffline";
    case ctl::kExitBadProfile:
        return QString::fromLatin1(kErrorPrefix) + "BadProfile";
    case ctl::kExitCancelled:
        return QString::fromLatin1(kErrorPrefix) + "Cancelled";
    default:
        return QString::fromLatin1(kErrorPrefix) + "Failed";
    }
}

// The command's message to a terminal, as a message for a caller on the bus: the first line that
// is not a warning, without the tool's name.
QString readableMessage(const std::string& err) {
    const std::string tool = "quorvikctl: ";
    std::string text;
    for (std::size_t at = 0; at < err.size();) {
        const std::size_t end = std::min(err.find('\n', at), err.size());
        text = err.substr(at, end - at);
        if (text.rfind(tool + "warning: ", 0) != 0)
            break;
        text.clear();
        at = end + 1;
    }
    if (text.rfind(tool, 0) == 0)
        text.erase(0, tool.size());
    if (!text.empty())
        text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    return QString::fromStdString(text);
}

int currentLevel(const model::ProfileRecord& record) {
    if (const std::optional<int> active = record.ActiveDpiLevel())
        return *active;
    return ui::rules::NthSetBit(record.DPIOffOnFlagValue, 0).value_or(0);
}

QString chargeStateName(int state) {
    switch (state) {
    case device::kChargeCharging:
        return QStringLiteral("charging");
    case device::kChargeFull:
        return QStringLiteral("full");
    default:
        return QStringLiteral("discharging");
    }
}

} // namespace

QDBusArgument& operator<<(QDBusArgument& argument, const BusProfile& profile) {
    argument.beginStructure();
    argument << profile.slot << profile.name;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, BusProfile& profile) {
    argument.beginStructure();
    argument >> profile.slot >> profile.name;
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const BusAppRule& rule) {
    argument.beginStructure();
    argument << rule.match << rule.slot;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, BusAppRule& rule) {
    argument.beginStructure();
    argument >> rule.match >> rule.slot;
    argument.endStructure();
    return argument;
}

// One method call whose reply waits for its command: it collects what the command would have said
// on standard error, and answers the caller when the command ends.
class BusService::Call : public ctl::CommandOutput {
public:
    Call(BusService& service, QDBusMessage message) : service_(service), message_(std::move(message)) {}
    void Out(const std::string&) override {}
    void Err(const std::string& text) override { err_ += text; }
    // Nobody to ask on the bus: a method is its caller's decision already.
    void Ask(const std::string&, std::function<void(const std::string&)> answer) override { answer("y"); }

    void Start(const ctl::CtlOptions& options) {
        run_ = std::make_unique<ctl::CommandRun>(options, service_.host_, *this, [this](int code) {
            // A property's Set was answered by the bus already.
            if (message_.type() == QDBusMessage::MethodCallMessage)
                QDBusConnection::sessionBus().send(
                    code == ctl::kExitOk ? message_.createReply()
                                         : message_.createErrorReply(errorName(code), readableMessage(err_)));
            service_.CheckChanges();
            // Ended: dropped once the loop is back (not from inside its own callback).
            QTimer::singleShot(0, &service_, [service = &service_, self = this] {
                std::erase_if(service->calls_,
                              [self](const std::unique_ptr<Call>& call) { return call.get() == self; });
            });
        });
        run_->Start();
    }
    ~Call() override {
        if (run_ && !run_->Done())
            run_->Cancel();
    }

private:
    BusService& service_;
    QDBusMessage message_;
    std::string err_;
    std::unique_ptr<ctl::CommandRun> run_;
};

BusService::BusService(ProgramHost& host, std::function<void()> quit) : host_(host), quit_(std::move(quit)) {
    qDBusRegisterMetaType<BusProfile>();
    qDBusRegisterMetaType<BusProfileList>();
    qDBusRegisterMetaType<BusAppRule>();
    qDBusRegisterMetaType<BusAppRuleList>();
    poll_.setInterval(kPollMs);
    connect(&poll_, &QTimer::timeout, this, &BusService::CheckChanges);
}

BusService::~BusService() {
    // Calls still on their way end without an answer; their callers see the name go.
    calls_.clear();
    if (published_) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.unregisterObject(QString::fromLatin1(kBusPath));
        bus.unregisterService(QString::fromLatin1(kBusName));
    }
}

bool BusService::SessionBusMayExist(const char* address) {
    // Unset: the desktop's usual place, or a bus started on demand; only the bus library knows.
    if (!address)
        return true;
    const std::string_view addresses = address;
    bool disabled = false;
    for (std::size_t at = 0; at <= addresses.size();) {
        const std::size_t end = std::min(addresses.find(';', at), addresses.size());
        const std::string_view one = addresses.substr(at, end - at);
        if (!one.empty() && !one.starts_with("disabled:"))
            return true;
        disabled = disabled || !one.empty();
        at = end + 1;
    }
    return !disabled;
}

bool BusService::Publish() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    if (!bus.registerObject(QString::fromLatin1(kBusPath), this,
                            QDBusConnection::ExportAllProperties | QDBusConnection::ExportScriptableSlots))
        return false;
    // Another program (of another data folder) keeps the name: this one stays off the bus.
    if (!bus.registerService(QString::fromLatin1(kBusName))) {
        bus.unregisterObject(QString::fromLatin1(kBusPath));
        return false;
    }
    published_ = true;
    announced_ = snapshot();
    poll_.start();
    return true;
}

bool BusService::online() const {
    device::DeviceCore& core = host_.Core();
    return core.Online() && core.Connection().HasTarget();
}

int BusService::battery() const {
    // Known once the mouse answered a status request while it was there.
    return online() && host_.Core().StatusAnswers() > 0 ? host_.Core().ShownBatteryLevel() : -1;
}

QString BusService::chargeState() const {
    return battery() < 0 ? QStringLiteral("unknown") : chargeStateName(host_.Core().ChargeState());
}

ushort BusService::sensor() const {
    return model::SensorIdentifier();
}

int BusService::currentProfile() const {
    return model::CurrentSlot();
}

BusProfileList BusService::profiles() const {
    BusProfileList list;
    const ui::rules::VisibleSlots visible = ui::rules::VisibleProfiles(model::Config());
    for (int position = 0; position < visible.count; ++position) {
        const int slot = visible.order[std::size_t(position)];
        list.push_back({slot, QString::fromStdU16String(model::Profile(slot).PairValue(model::kPairProfileName))});
    }
    return list;
}

int BusService::dpiLevel() const {
    return currentLevel(model::Profile(model::CurrentSlot())) + 1;
}

uint BusService::dpi() const {
    const model::ProfileRecord& record = model::Profile(model::CurrentSlot());
    return uint(host_.Core().Tables().Dpi(record.XYSetting[std::size_t(currentLevel(record))]));
}

BusAppRuleList BusService::appRules() const {
    BusAppRuleList list;
    for (const model::AppRule& rule : model::Rules().rules)
        list.push_back({QString::fromStdU16String(rule.match), rule.slot});
    return list;
}

bool BusService::autoSwitch() const {
    return model::Rules().autoSwitch;
}

void BusService::setAutoSwitch(bool on) {
    ctl::CtlOptions options;
    options.command = ctl::Command::AppAuto;
    options.autoSwitch = on;
    calls_.push_back(std::make_unique<Call>(*this, QDBusMessage()));
    calls_.back()->Start(options);
}

QVariantMap BusService::snapshot() const {
    QVariantMap values;
    values.insert(QStringLiteral("Online"), online());
    values.insert(QStringLiteral("Battery"), battery());
    values.insert(QStringLiteral("ChargeState"), chargeState());
    values.insert(QStringLiteral("Sensor"), QVariant::fromValue(sensor()));
    values.insert(QStringLiteral("CurrentProfile"), currentProfile());
    values.insert(QStringLiteral("Profiles"), QVariant::fromValue(profiles()));
    values.insert(QStringLiteral("DpiLevel"), dpiLevel());
    values.insert(QStringLiteral("Dpi"), dpi());
    values.insert(QStringLiteral("AppRules"), QVariant::fromValue(appRules()));
    values.insert(QStringLiteral("AutoSwitch"), autoSwitch());
    return values;
}

void BusService::CheckChanges() {
    if (!published_)
        return;
    const QVariantMap now = snapshot();
    QVariantMap changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        const QVariant before = announced_.value(it.key());
        // The lists are types of ours, which QVariant cannot compare by their contents.
        const bool same = it.key() == QLatin1String("Profiles")
                              ? before.value<BusProfileList>() == it.value().value<BusProfileList>()
                          : it.key() == QLatin1String("AppRules")
                              ? before.value<BusAppRuleList>() == it.value().value<BusAppRuleList>()
                              : before == it.value();
        if (!same)
            changed.insert(it.key(), it.value());
    }
    announced_ = now;
    if (changed.isEmpty())
        return;
    QDBusMessage signal =
        QDBusMessage::createSignal(QString::fromLatin1(kBusPath), QStringLiteral("org.freedesktop.DBus.Properties"),
                                   QStringLiteral("PropertiesChanged"));
    signal << QString::fromLatin1(kBusInterface) << changed << QStringList();
    QDBusConnection::sessionBus().send(signal);
}

void BusService::runForCaller(ctl::CtlOptions options) {
    setDelayedReply(true);
    calls_.push_back(std::make_unique<Call>(*this, message()));
    calls_.back()->Start(options);
}

void BusService::SelectProfile(int slot) {
    if (slot < 0 || slot > 4) {
        sendErrorReply(errorName(ctl::kExitBadArguments), QStringLiteral("A profile slot is 0 to 4, not %1").arg(slot));
        return;
    }
    ctl::CtlOptions options;
    options.command = ctl::Command::ProfileSelect;
    options.selectSlot = slot;
    runForCaller(options);
}

void BusService::SetDpiLevel(int level) {
    if (level < 1 || level > ui::rules::kDpiLevels) {
        sendErrorReply(errorName(ctl::kExitBadArguments), QStringLiteral("A DPI level is 1 to 8, not %1").arg(level));
        return;
    }
    ctl::CtlOptions options;
    options.command = ctl::Command::Dpi;
    options.dpiLevel = level;
    runForCaller(options);
}

void BusService::Apply() {
    ctl::CtlOptions options;
    options.command = ctl::Command::Apply;
    runForCaller(options);
}

void BusService::AddAppRule(const QString& match, int slot) {
    ctl::CtlOptions options;
    options.command = ctl::Command::AppAdd;
    options.appMatch = match.toStdString();
    options.appSlot = slot;
    runForCaller(options);
}

void BusService::RemoveAppRule(const QString& match) {
    // A rule that is not there is the caller's mistake on the bus, not a failure of the program.
    const std::string name = match.toStdString();
    const std::u16string clean = model::AppRules::CleanMatch(match.toStdU16String());
    if (ctl::AppMatchProblem(name).empty() && !model::Rules().Find(clean)) {
        sendErrorReply(errorName(ctl::kExitBadArguments),
                       QStringLiteral("There is no rule for \"%1\"").arg(QString::fromStdU16String(clean)));
        return;
    }
    ctl::CtlOptions options;
    options.command = ctl::Command::AppRemove;
    options.appMatch = name;
    runForCaller(options);
}

void BusService::ShowWindow() {
    host_.ShowWindow();
}

void BusService::Quit() {
    // Answered first: the program's end takes the connection with it.
    if (calledFromDBus())
        QDBusConnection::sessionBus().send(message().createReply());
    setDelayedReply(true);
    QTimer::singleShot(0, this, [this] {
        if (quit_)
            quit_();
    });
}

} // namespace quorvik::app
