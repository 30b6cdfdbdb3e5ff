#include "app/VirtualMousePanel.h"

#include "device/CommandReports.h"
#include "platform/ProcessGlobals.h"
#include "ui/main/MainLayout.h"
#include "ui/rules/WindowPlacement.h"
#include "ui/skin/SkinSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace quorvik::app {

namespace {

constexpr int kShownReports = 40;

// What each command sets, for the list of received reports.
QString commandName(std::uint8_t code) {
    switch (code) {
    case device::kCmdButton:
        return QStringLiteral("button");
    case device::kCmdDpiLevels:
        return QStringLiteral("DPI levels");
    case device::kCmdDpiColours:
        return QStringLiteral("DPI colours");
    case device::kCmdReportRate:
        return QStringLiteral("report rate");
    case device::kCmdLighting:
        return QStringLiteral("lighting");
    case device::kCmdLiftOff:
        return QStringLiteral("lift-off");
    case device::kCmdDebounce:
        return QStringLiteral("debounce");
    case device::kCmdPowerSaving:
        return QStringLiteral("power saving");
    case device::kCmdMotionWakeup:
        return QStringLiteral("motion wake-up");
    case device::kCmdMacroChunk:
        return QStringLiteral("macro chunk");
    case device::kCmdFactoryReset:
        return QStringLiteral("factory reset");
    case device::kCmdReadStatus:
        return QStringLiteral("status request");
    default:
        return QStringLiteral("command 0x%1").arg(code, 2, 16, QLatin1Char('0'));
    }
}

QString reportLine(const emulator::TraceEntry& entry) {
    QString bytes;
    // Bytes 2 … 10 carry the command and the payload of every small command.
    for (std::size_t i = 2; i < 11; ++i)
        bytes += QStringLiteral("%1 ").arg(entry.bytes[i], 2, 16, QLatin1Char('0')).toUpper();
    return QStringLiteral("%1 s %2 %3\n   %4…")
        .arg(double(entry.ms) / 1000.0, 0, 'f', 2)
        .arg(entry.form == device::Form::Wired ? QStringLiteral("wired") : QStringLiteral("receiver"))
        .arg(commandName(entry.bytes[device::kOffCommand]))
        .arg(bytes.trimmed());
}

// The panel is a plain Qt window, which the program's own scaling does not reach: its text,
// spacing and check marks are sized by the display factor here, as the skins are.
void scaleForDisplay(QWidget& panel, double factor) {
    if (factor == 1.0)
        return;
    const int text = int(std::lround(QFontInfo(panel.font()).pixelSize() * factor));
    const int mark = int(std::lround(13 * factor));
    panel.setStyleSheet(
        QStringLiteral("QWidget { font-size: %1px; } QCheckBox::indicator { width: %2px; height: %2px; }")
            .arg(text)
            .arg(mark));
}

} // namespace

VirtualMousePanel::VirtualMousePanel(emulator::VirtualMouse& mouse, QWidget* parent)
    : QWidget(parent, Qt::Window), mouse_(mouse) {
    setWindowTitle(QStringLiteral("Virtual mouse"));
    const double factor = platform::DisplayScaleFactor();
    scaleForDisplay(*this, factor);
    auto* layout = new QVBoxLayout(this);
    const int margin = int(std::lround(9 * factor));
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->setSpacing(int(std::lround(6 * factor)));

    auto* buttons = new QGroupBox(QStringLiteral("Buttons on the mouse"));
    auto* buttonRow = new QHBoxLayout(buttons);
    auto* dpi = new QPushButton(QStringLiteral("DPI button"));
    auto* rate = new QPushButton(QStringLiteral("Report-rate button"));
    buttonRow->addWidget(dpi);
    buttonRow->addWidget(rate);
    layout->addWidget(buttons);

    auto* forms = new QGroupBox(QStringLiteral("Connection"));
    auto* formRows = new QVBoxLayout(forms);
    wired_ = new QCheckBox(QStringLiteral("Wired mouse plugged in"));
    receiver_ = new QCheckBox(QStringLiteral("Receiver plugged in"));
    online_ = new QCheckBox(QStringLiteral("Mouse switched on (online)"));
    formRows->addWidget(wired_);
    formRows->addWidget(receiver_);
    formRows->addWidget(online_);
    layout->addWidget(forms);

    auto* power = new QGroupBox(QStringLiteral("Battery"));
    auto* powerRows = new QFormLayout(power);
    battery_ = new QSpinBox;
    battery_->setRange(0, 255); // the byte as sent: above 100 is what a confused mouse may say
    battery_->setSuffix(QStringLiteral(" %"));
    charge_ = new QComboBox;
    charge_->addItems({QStringLiteral("Not charging"), QStringLiteral("Charging"), QStringLiteral("Fully charged")});
    powerRows->addRow(QStringLiteral("Level"), battery_);
    powerRows->addRow(QStringLiteral("Charge state"), charge_);
    layout->addWidget(power);

    state_ = new QLabel;
    state_->setWordWrap(true);
    layout->addWidget(state_);
    layout->addWidget(new QLabel(QStringLiteral("Reports received (newest first):")));
    reports_ = new QListWidget;
    reports_->setFont(QFont(QStringLiteral("monospace")));
    reports_->setMinimumSize(int(260 * factor), int(220 * factor));
    layout->addWidget(reports_, 1);

    const emulator::StatusSettings status = mouse_.status();
    wired_->setChecked(mouse_.isPlugged(device::Form::Wired));
    receiver_->setChecked(mouse_.isPlugged(device::Form::Receiver));
    online_->setChecked(status.online);
    battery_->setValue(status.battery);
    charge_->setCurrentIndex(std::min<int>(status.chargeState, 2));

    connect(dpi, &QPushButton::clicked, this, [this] { pressDpi(); });
    connect(rate, &QPushButton::clicked, this, [this] { pressRate(); });
    connect(wired_, &QCheckBox::toggled, this, [this](bool on) { setPlugged(device::Form::Wired, on); });
    connect(receiver_, &QCheckBox::toggled, this, [this](bool on) { setPlugged(device::Form::Receiver, on); });
    connect(online_, &QCheckBox::toggled, this, [this] { applyStatus(); });
    connect(battery_, &QSpinBox::valueChanged, this, [this] { applyStatus(); });
    connect(charge_, &QComboBox::currentIndexChanged, this, [this] { applyStatus(); });
    // Told of every report instead of looking every so often: the panel costs nothing while the
    // mouse gets nothing. A burst of reports is one refresh.
    mouse_.setReportObserver([this] {
        if (!refreshQueued_.exchange(true))
            QMetaObject::invokeMethod(
                this,
                [this] {
                    refreshQueued_.store(false);
                    refresh();
                },
                Qt::QueuedConnection);
    });
    refresh();
}

VirtualMousePanel::~VirtualMousePanel() {
    mouse_.setReportObserver(nullptr);
}

void VirtualMousePanel::ShowBeside(const QRect& mainWindow, QWindow* mainHandle) {
    adjustSize();
    const QRect area =
        QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->availableGeometry() : QRect();
    using ui::rules::Box;
    const Box main{mainWindow.left(), mainWindow.top(), mainWindow.left() + mainWindow.width(),
                   mainWindow.top() + mainWindow.height()};
    // Where it hides the least of the window: the mouse picture, between the buttons' panels
    // and the settings column, under the title bar.
    namespace layout = ui::layout;
    const Box middle{main.left + ui::Scaled(layout::kPanelLeft + layout::kPanelWidth),
                     main.top + ui::Scaled(layout::kTitleBarHeight + 4), main.left + ui::Scaled(layout::kColumnLeft),
                     main.bottom};
    const Box screen{area.left(), area.top(), area.left() + area.width(), area.top() + area.height()};
    const ui::rules::CompanionPlacement placed =
        ui::rules::PlaceCompanion(main, middle, width(), minimumSizeHint().width(), height(), screen, ui::Scaled(8));
    resize(placed.at.width, placed.at.height);
    move(placed.at.x, placed.at.y);
    if (placed.overWindow && mainHandle) {
        // A window it covers would be raised over it at every click. A dialog transient for the
        // window the window manager keeps above it (X11 marks only dialogs and tools transient).
        setWindowFlag(Qt::Dialog);
        winId();
        windowHandle()->setTransientParent(mainHandle);
    }
    // It comes a moment after the window: the keys stay where the user has them.
    setAttribute(Qt::WA_ShowWithoutActivating);
    show();
}

device::Form VirtualMousePanel::buttonForm() const {
    // The mouse's buttons announce on the form the program reads: the wired one when plugged.
    return mouse_.isPlugged(device::Form::Wired) ? device::Form::Wired : device::Form::Receiver;
}

void VirtualMousePanel::pressDpi() {
    mouse_.pressDpiButton(buttonForm());
    refresh();
}

void VirtualMousePanel::pressRate() {
    mouse_.pressRateButton(buttonForm());
    refresh();
}

void VirtualMousePanel::setPlugged(device::Form form, bool plugged) {
    if (plugged)
        mouse_.plug(form);
    else
        mouse_.unplug(form);
    refresh();
}

void VirtualMousePanel::applyStatus() {
    emulator::StatusSettings status = mouse_.status();
    status.online = online_->isChecked();
    status.battery = std::uint8_t(battery_->value());
    status.chargeState = std::uint8_t(charge_->currentIndex());
    mouse_.setStatus(status);
}

void VirtualMousePanel::refresh() {
    const emulator::MouseState state = mouse_.state();
    state_->setText(QStringLiteral("DPI level %1 of %2 · report interval %3 ms · lighting effect %4")
                        .arg(state.currentLevel)
                        .arg(state.enabledLevels)
                        .arg(state.reportInterval)
                        .arg(state.lightingEffect()));
    // Only what arrived since the last look: the trace grows for as long as the program runs.
    const std::size_t size = mouse_.traceSize();
    if (size < shownTrace_)
        shownTrace_ = 0; // the trace was cleared
    if (size == shownTrace_)
        return;
    const std::vector<emulator::TraceEntry> added = mouse_.trace(shownTrace_);
    // Only the newest fit in the list.
    const std::size_t first = added.size() > std::size_t(kShownReports) ? added.size() - kShownReports : 0;
    for (std::size_t i = first; i < added.size(); ++i)
        reports_->insertItem(0, reportLine(added[i]));
    shownTrace_ += added.size();
    while (reports_->count() > kShownReports)
        delete reports_->takeItem(reports_->count() - 1);
}

QStringList VirtualMousePanel::ReportLines() const {
    QStringList lines;
    for (int i = 0; i < reports_->count(); ++i)
        lines << reports_->item(i)->text();
    return lines;
}

} // namespace quorvik::app
