#include "platform/qt/TrayIcon.h"

#include "platform/Messages.h"
#include "platform/qt/UiLoop.h"

namespace quorvik::platform {

namespace {
// How long a desktop notification stays, where the desktop honours it.
constexpr int kMessageMs = 10000;
} // namespace

TrayIcon::TrayIcon(TraySetup setup) : setup_(std::move(setup)), menu_(std::make_unique<QMenu>()) {
    for (const TrayMenuItem& item : setup_.menu) {
        if (item.id == 0) {
            menu_->addSeparator();
            continue;
        }
        QAction* action = menu_->addAction(item.text);
        const unsigned id = item.id;
        const WindowHandle owner = setup_.owner;
        QObject::connect(action, &QAction::triggered, [owner, id] { UiLoop().post(owner, WM_COMMAND, id, 0); });
    }

    icon_ = std::make_unique<QSystemTrayIcon>(setup_.icon);
    icon_->setToolTip(setup_.tip);
    icon_->setContextMenu(menu_.get());
    QObject::connect(icon_.get(), &QSystemTrayIcon::activated,
                     [this](QSystemTrayIcon::ActivationReason reason) { HandleActivation(reason); });
}

TrayIcon::~TrayIcon() {
    // The icon refers to the menu: it goes first.
    icon_.reset();
}

bool TrayIcon::Available() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayIcon::Show() {
    icon_->show();
    shown_ = true;
}

void TrayIcon::Remove() {
    icon_->hide();
    shown_ = false;
}

void TrayIcon::SetTip(const QString& tip) {
    setup_.tip = tip;
    icon_->setToolTip(tip);
}

bool TrayIcon::ShowMessage(const QString& title, const QString& text) {
    if (!shown_ || !Available() || !QSystemTrayIcon::supportsMessages())
        return false;
    icon_->showMessage(title, text, setup_.icon, kMessageMs);
    return true;
}

void TrayIcon::PopupMenuAt(const QPoint& screenPoint) {
    // Not exec(): a nested Qt loop here would run outside the program's own loop. The choice
    // arrives as a posted WM_COMMAND either way.
    menu_->popup(screenPoint);
}

void TrayIcon::HandleActivation(QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::DoubleClick && setup_.owner != 0)
        UiLoop().post(setup_.owner, setup_.message, setup_.iconId, WM_LBUTTONDBLCLK);
}

} // namespace quorvik::platform
