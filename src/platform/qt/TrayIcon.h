// The program's icon in the desktop's notification area, speaking window messages to its owner.
//
// A double-click posts the tray notification (message, wParam = icon id, lParam = WM_LBUTTONDBLCLK)
// to the owner window; a menu item posts WM_COMMAND with wParam = the item's id. The menu is handed
// to the tray itself, so it opens on right-click both on X11 trays and on StatusNotifierItem
// desktops (where the panel, not the program, shows it); the tray therefore does not post the
// right-button notification, which would open a second menu.
//
// When the desktop has no tray (Xvfb, offscreen, some desktops) every call is a harmless no-op.
// The icon is still shown to Qt, which puts it in place when an X11 tray appears later (a panel
// that starts after the program at login). Whether the desktop speaks StatusNotifierItem Qt
// decides once per process, when the first tray icon is made.
#pragma once

#include "platform/EventLoop.h"

#include <QIcon>
#include <QMenu>
#include <QString>
#include <QSystemTrayIcon>

#include <memory>
#include <vector>

namespace quorvik::platform {

struct TrayMenuItem {
    unsigned id = 0; // 0: a separator
    QString text;
};

struct TraySetup {
    WindowHandle owner = 0;
    unsigned message = 0; // the owner's tray notification message
    unsigned iconId = 0;  // wParam of the notifications
    QIcon icon;
    QString tip;
    std::vector<TrayMenuItem> menu;
};

class TrayIcon {
public:
    explicit TrayIcon(TraySetup setup);
    ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // Whether the desktop offers a tray right now.
    static bool Available();

    void Show();
    void Remove();
    bool IsShown() const { return shown_; }
    void SetTip(const QString& tip);
    const QString& Tip() const { return setup_.tip; }

    // A desktop notification through the tray, where the tray can show one. True when shown.
    bool ShowMessage(const QString& title, const QString& text);

    // Opens the menu at a screen point (the owner's handling of a right-button notification).
    void PopupMenuAt(const QPoint& screenPoint);

    // What the tray reports on a click, double-click or menu request.
    void HandleActivation(QSystemTrayIcon::ActivationReason reason);

    QMenu* Menu() const { return menu_.get(); }

private:
    TraySetup setup_;
    std::unique_ptr<QMenu> menu_;
    std::unique_ptr<QSystemTrayIcon> icon_;
    bool shown_ = false;
};

} // namespace quorvik::platform
