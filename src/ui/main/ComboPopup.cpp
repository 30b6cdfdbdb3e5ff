#include "ui/main/ComboPopup.h"

#include "model/LanguageTable.h"
#include "platform/Messages.h"
#include "platform/qt/NativeWindow.h"
#include "platform/qt/UiLoop.h"
#include "ui/main/MainIds.h"
#include "ui/rules/ButtonAssignment.h"
#include "ui/rules/WindowPlacement.h"
#include "ui/skin/DlgBase.h"

#include <QFontMetrics>

#include <algorithm>
#include <array>
#include <vector>

namespace quorvik::ui {

using namespace main_ids;
using model::KeyMenu;
using platform::UiLoop;

namespace {

constexpr std::array<SubMenuInfo, 5> kSubMenus = {{
    {KeyMenu::Dpi, 2, kMsgOpenDpiMenu, kMsgDpiMenuChoice, kMsgDpiMenuClosed, kPopupSlotDpiMenu},
    {KeyMenu::Multimedia, 3, kMsgOpenMultimediaMenu, kMsgMultimediaChoice, kMsgMultimediaClosed,
     kPopupSlotMultimediaMenu},
    {KeyMenu::Office, 12, kMsgOpenOfficeMenu, kMsgOfficeChoice, kMsgOfficeClosed, kPopupSlotOfficeMenu},
    {KeyMenu::WindowManagement, 11, kMsgOpenWindowsMenu, kMsgWindowsChoice, kMsgWindowsClosed, kPopupSlotWindowsMenu},
    {KeyMenu::DpiLock, 10, kMsgOpenDpiLockMenu, kMsgDpiLockChoice, kMsgDpiLockClosed, kPopupSlotDpiLockMenu},
}};

// The menu stands a little apart from its selector; a submenu touches its menu, so the pointer
// crosses straight from the entry into it.
constexpr int kMenuGapUnits = 4;
// Room a label leaves at either end: the current-entry bar at the left, the arrow at the right.
constexpr int kLabelRoomUnits = 24;

unsigned dialogMessage(rules::ButtonDialog dialog) {
    switch (dialog) {
    case rules::ButtonDialog::FireKey:
        return kMsgFireKeyFromMenu;
    case rules::ButtonDialog::MacroSelect:
        return kMsgMacroSelectFromMenu;
    case rules::ButtonDialog::Shortcut:
        return kMsgShortcutFromMenu;
    }
    return 0;
}

// Menus keep this far inside the main window's edges.
constexpr int kWindowMarginUnits = 6;

rules::Box boxOf(const Rect& r) {
    return {r.left, r.top, r.right, r.bottom};
}

rules::Box inside(const Rect& window) {
    const int m = Scaled(kWindowMarginUnits);
    return {window.left + m, window.top + m, window.right - m, window.bottom - m};
}

Rect rectOf(const rules::Placement& p) {
    return Rect{p.x, p.y, p.x + p.width, p.y + p.height};
}

std::vector<std::u16string> menuLabels() {
    std::vector<std::u16string> labels;
    for (const rules::ButtonMenuEntry& entry : rules::ButtonMenuEntries())
        labels.push_back(model::LanguageText(entry.labelText));
    return labels;
}

std::vector<std::u16string> subMenuLabels(KeyMenu menu) {
    std::vector<std::u16string> labels;
    for (const model::ReadyMadeCode& entry : model::ReadyMadeCodes(menu))
        labels.push_back(model::ReadyMadeLabel(entry));
    return labels;
}

} // namespace

std::span<const SubMenuInfo> SubMenus() {
    return kSubMenus;
}

const SubMenuInfo* SubMenuOf(KeyMenu menu) {
    for (const SubMenuInfo& info : kSubMenus)
        if (info.menu == menu)
            return &info;
    return nullptr;
}

const SubMenuInfo* SubMenuByMessage(unsigned message) {
    for (const SubMenuInfo& info : kSubMenus)
        if (message == info.openMessage || message == info.choiceMessage || message == info.closedMessage)
            return &info;
    return nullptr;
}

int ButtonMenuWidth(std::span<const std::u16string> labels) {
    const QFontMetrics metrics(ControlFont());
    int widest = 0;
    for (const std::u16string& label : labels)
        widest = std::max(widest, metrics.horizontalAdvance(QString::fromStdU16String(label)));
    return std::max(Scaled(kButtonMenuMinWidthUnits), widest + 2 * Scaled(kLabelRoomUnits));
}

// ---- the family ----

Rect CButtonMenuBase::EntryOnScreen(int index) const {
    if (index < 0 || index >= int(items_.size()) || !window())
        return {};
    const QPoint origin = window()->pos();
    const Rect& r = items_[std::size_t(index)].rect;
    return Rect{origin.x() + r.left, origin.y() + r.top, origin.x() + r.right, origin.y() + r.bottom};
}

void CButtonMenuBase::DrawItems(QPainter& p, const Rect& client) {
    CWndPopup::DrawItems(p, client);
    if (!current_ || *current_ < 0 || *current_ >= int(items_.size()))
        return;
    // What the button does now: an accent bar at the left edge of its entry.
    const Rect& row = items_[std::size_t(*current_)].rect;
    p.fillRect(QRect(row.left + 1, row.top + Scaled(5), Scaled(3), row.height() - Scaled(10)), Rgb(kAccent));
}

// ---- the button-function menu ----

CComboPopup* CComboPopup::Open(WindowHandle owner, const Rect& selectorOnScreen, const Rect& windowOnScreen,
                               int selectorId, std::optional<int> current) {
    const std::vector<std::u16string> labels = menuLabels();
    const rules::Placement placed =
        rules::PlaceBeside(boxOf(selectorOnScreen), selectorOnScreen.top, ButtonMenuWidth(labels),
                           kEntryCount * Scaled(kButtonMenuRowUnits), inside(windowOnScreen), Scaled(kMenuGapUnits));
    auto* menu = new CComboPopup(current);
    if (!menu->Create(owner, rectOf(placed), kKind, selectorId, kMsgButtonMenuChoice)) {
        delete menu;
        return nullptr;
    }
    return menu;
}

void CComboPopup::BuildItems() {
    for (const rules::ButtonMenuEntry& entry : rules::ButtonMenuEntries()) {
        if (entry.kind == rules::EntryKind::SubMenu)
            AddItem(model::LanguageText(entry.labelText), SkinFile("menusub_nr.png"), SkinFile("menusub_ov.png"), true);
        else
            AddItem(model::LanguageText(entry.labelText), SkinFile("menu_nr.png"), SkinFile("menu_ov.png"));
    }
    LayoutRows(Scaled(kButtonMenuRowUnits), 0);
}

void CComboPopup::SetSubMenuEntry(std::optional<int> entry) {
    if (entry == subMenuEntry_)
        return;
    subMenuEntry_ = entry;
    Repaint();
}

void CComboPopup::DrawItems(QPainter& p, const Rect& client) {
    // Off the menu, the pointer is in the submenu of that entry: the entry keeps the hot look.
    const int pointer = hot_;
    if (hot_ < 0 && subMenuEntry_)
        hot_ = *subMenuEntry_;
    CButtonMenuBase::DrawItems(p, client);
    hot_ = pointer;
}

bool CComboPopup::OnMouseMove(int x, int y) {
    const int item = ItemAt(x, y);
    if (item == hot_)
        return false;
    hot_ = item;
    // A new entry under the pointer: it counts as rested on once the pointer stays a moment.
    if (item >= 0 && window())
        window()->trackMouse(kButtonMenuRestMs);
    return true;
}

void CComboPopup::restedOn(int index) {
    const rules::ButtonMenuEntry* entry = rules::ButtonMenuEntryAt(index);
    if (!entry)
        return;
    const SubMenuInfo* sub = entry->kind == rules::EntryKind::SubMenu ? SubMenuOf(entry->subMenu) : nullptr;
    UiLoop().post(Owner(), sub ? sub->openMessage : kMsgMenuPlainEntry, WPARAM(ControlId()), LPARAM(index));
}

bool CComboPopup::OnLButtonUp(int x, int y) {
    const int item = ItemAt(x, y);
    const rules::ButtonMenuEntry* entry = rules::ButtonMenuEntryAt(item);
    if (!entry)
        return false;
    switch (entry->kind) {
    case rules::EntryKind::Function:
        ReportChoice(item);
        break;
    case rules::EntryKind::Dialog:
        UiLoop().send(Owner(), dialogMessage(entry->dialog), WPARAM(ControlId()), 0);
        break;
    case rules::EntryKind::SubMenu:
        break; // its submenu opens by resting on it; a click there chooses nothing
    }
    return true;
}

CWndPopup* CComboPopup::openSubMenu() const {
    const rules::ButtonMenuEntry* entry = subMenuEntry_ ? rules::ButtonMenuEntryAt(*subMenuEntry_) : nullptr;
    const SubMenuInfo* info = entry && entry->kind == rules::EntryKind::SubMenu ? SubMenuOf(entry->subMenu) : nullptr;
    auto* owner = platform::WindowFromHandle(Owner());
    auto* dialog = owner ? dynamic_cast<CDlgBase*>(owner->owner()) : nullptr;
    auto* window = info && dialog ? platform::WindowFromHandle(dialog->Popup(info->popupSlot)) : nullptr;
    return window ? dynamic_cast<CWndPopup*>(window->owner()) : nullptr;
}

bool CComboPopup::onKey(unsigned vk) {
    using namespace platform;
    if (keysToSubMenu_) {
        CWndPopup* sub = openSubMenu();
        if (!sub || vk == VK_LEFT || vk == VK_ESCAPE) {
            // Back in the menu: its submenu folds, as when the pointer leaves for another entry.
            keysToSubMenu_ = false;
            if (sub && sub->hwnd())
                UiLoop().post(sub->hwnd(), WM_CLOSE, 0, 0);
            SetSubMenuEntry(std::nullopt);
            Repaint();
            if (!sub && vk != VK_LEFT && vk != VK_ESCAPE)
                return onKey(vk); // the submenu went by itself: the key is this menu's
            return sub != nullptr || vk == VK_LEFT;
        }
        if (sub->HotItem() < 0 && (vk == VK_DOWN || vk == VK_UP))
            return sub->OnKey(VK_HOME);
        return sub->OnKey(vk);
    }
    const rules::ButtonMenuEntry* entry = rules::ButtonMenuEntryAt(hot_);
    if (entry && entry->kind == rules::EntryKind::SubMenu && (vk == VK_RIGHT || vk == VK_RETURN || vk == VK_SPACE)) {
        if (subMenuEntry_ != hot_)
            restedOn(hot_);
        keysToSubMenu_ = true;
        return true;
    }
    return OnKey(vk);
}

LRESULT CComboPopup::handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) {
    if (message == platform::WM_KEYDOWN)
        return onKey(unsigned(wParam)) ? 1 : 0;
    if (message == platform::WM_MOUSEHOVER) {
        restedOn(hot_);
        return 0;
    }
    if (message == platform::WM_ACTIVATE && wParam != platform::WA_INACTIVE)
        UiLoop().post(Owner(), kMsgButtonMenuChoice, 0, 0); // the submenus stay in front of it
    return CWndPopup::handleMessage(message, wParam, lParam);
}

// ---- the submenus ----

CSubMenuPopup* CSubMenuPopup::Open(WindowHandle owner, const SubMenuInfo& info, const Rect& entryOnScreen,
                                   const Rect& windowOnScreen, int selectorId, std::optional<int> current) {
    const std::vector<std::u16string> labels = subMenuLabels(info.menu);
    // An entry is as wide as its menu: beside it is beside the menu, level with the entry.
    const rules::Placement placed =
        rules::PlaceBeside(boxOf(entryOnScreen), entryOnScreen.top, ButtonMenuWidth(labels),
                           int(labels.size()) * Scaled(kButtonMenuRowUnits), inside(windowOnScreen), 0);
    auto* menu = new CSubMenuPopup(info, current);
    if (!menu->Create(owner, rectOf(placed), info.kind, selectorId, info.choiceMessage)) {
        delete menu;
        return nullptr;
    }
    return menu;
}

void CSubMenuPopup::BuildItems() {
    for (const std::u16string& label : subMenuLabels(info_.menu))
        AddItem(label, SkinFile("menu_nr.png"), SkinFile("menu_ov.png"));
    LayoutRows(Scaled(kButtonMenuRowUnits), 0);
}

} // namespace quorvik::ui
