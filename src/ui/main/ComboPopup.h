// The button-function menu that a button selector opens, and the five submenus that open beside
// it (DPI, DPI lock, multimedia, office, window management), all one family built from tables.
//
// The menu (kind 0, lost activation → 0x405) reports, with the selector's id in wParam:
//   0x403  a function entry was clicked (lParam → PopupChoice, its index the entry)
//   0x426, 0x429, 0x40B  the fire-key, macro or shortcut entry was clicked
//   0x410, 0x413, 0x488, 0x485, 0x482  the pointer rests on a submenu's entry (lParam = the entry)
//   0x409  the pointer rests on any other entry (lParam = the entry)
//   0x403 with wParam 0  the menu came to the front: bring every open popup forward
// A submenu reports its choice with its own message (lParam → PopupChoice) and, should it lose
// the activation, its own closed message. Submenus never take the activation, so the menu keeps
// it while the user works in them.
#pragma once

#include "model/KeyCodes.h"
#include "ui/skin/WndPopup.h"

#include <cstdint>
#include <optional>
#include <span>

namespace quorvik::ui {

// Rows and the narrowest width of the menus, in units.
inline constexpr int kButtonMenuRowUnits = 26;
inline constexpr int kButtonMenuMinWidthUnits = 160;
// How long the pointer rests on an entry before its submenu opens (or the open ones close).
inline constexpr std::uint32_t kButtonMenuRestMs = 50;

struct SubMenuInfo {
    model::KeyMenu menu;
    int kind;
    unsigned openMessage;
    unsigned choiceMessage;
    unsigned closedMessage;
    int popupSlot; // of the main window
};

// The five submenus, in the order of their entries in the menu.
std::span<const SubMenuInfo> SubMenus();
const SubMenuInfo* SubMenuOf(model::KeyMenu menu);
// The submenu whose open, choice or closed message `message` is; null for others.
const SubMenuInfo* SubMenuByMessage(unsigned message);

// A menu's width in pixels: the narrowest width, or wider when a label needs it.
int ButtonMenuWidth(std::span<const std::u16string> labels);

// What the family shares: rows from the menu images, the entry that stands for the button's
// function marked at its left edge.
class CButtonMenuBase : public CWndPopup {
public:
    std::optional<int> Current() const { return current_; }
    // Entry `index`'s rectangle on the screen.
    Rect EntryOnScreen(int index) const;

protected:
    explicit CButtonMenuBase(std::optional<int> current) : current_(current) {}
    void DrawItems(QPainter& p, const Rect& client) override;

private:
    std::optional<int> current_;
};

class CComboPopup : public CButtonMenuBase {
public:
    static constexpr int kKind = 0;
    static constexpr int kEntryCount = 16;

    // Opens the menu for `selectorId` beside the selector at `selectorOnScreen`, inside the main
    // window at `windowOnScreen` (screen pixels); `current` is the entry to mark. The popup
    // deletes itself when its window closes.
    static CComboPopup* Open(WindowHandle owner, const Rect& selectorOnScreen, const Rect& windowOnScreen,
                             int selectorId, std::optional<int> current);

    LRESULT handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) override;

    // The entry whose submenu is open stays lit while the pointer is in the submenu.
    void SetSubMenuEntry(std::optional<int> entry);
    std::optional<int> SubMenuEntry() const { return subMenuEntry_; }

protected:
    void BuildItems() override;
    void DrawItems(QPainter& p, const Rect& client) override;
    bool OnMouseMove(int x, int y) override;
    bool OnLButtonUp(int x, int y) override;

private:
    using CButtonMenuBase::CButtonMenuBase;
    // The pointer rested on entry `index`.
    void restedOn(int index);
    // Keys: Right, Enter or Space on a submenu's entry open it (as resting there does) and send
    // the keys that follow to it, until Left or Escape bring them back. True when used.
    bool onKey(unsigned vk);
    CWndPopup* openSubMenu() const;

    std::optional<int> subMenuEntry_;
    bool keysToSubMenu_ = false;
};

class CSubMenuPopup : public CButtonMenuBase {
public:
    // Opens `info`'s submenu for `selectorId` beside the menu entry at `entryOnScreen`, inside
    // the main window at `windowOnScreen`.
    static CSubMenuPopup* Open(WindowHandle owner, const SubMenuInfo& info, const Rect& entryOnScreen,
                               const Rect& windowOnScreen, int selectorId, std::optional<int> current);

    const SubMenuInfo& Info() const { return info_; }

protected:
    void BuildItems() override;
    bool TakesActivation() const override { return false; }

private:
    CSubMenuPopup(const SubMenuInfo& info, std::optional<int> current) : CButtonMenuBase(current), info_(info) {}

    const SubMenuInfo& info_;
};

} // namespace quorvik::ui
