// The base of every popup menu and drop-down list: a frameless topmost tool window owned by a
// dialog, with rows of items, a hot item under the pointer, and the choice reported to the owner.
#pragma once

#include "platform/qt/NativeWindow.h"
#include "ui/skin/Buttons.h"

#include <QPointer>

#include <vector>

namespace quorvik::ui {

// The record a choice points to; the index is its second field, where the owners read it.
struct PopupChoice {
    int kind = 0;
    int index = 0;
    int controlId = 0;
};

// Sent to the owner when the popup closes (WM_USER + 1).
inline constexpr unsigned kPopupClosingMessage = 0x401;

class CWndPopup : public platform::MessageHandler {
public:
    struct Item {
        bool separator = false;
        SkinImage normal;
        SkinImage hover;
        SkinImage icon;
        std::u16string text;
        Rect rect;
        bool subMenu = false;
        int id = 0;
    };

    CWndPopup();
    ~CWndPopup() override;
    CWndPopup(const CWndPopup&) = delete;
    CWndPopup& operator=(const CWndPopup&) = delete;

    // Creates and shows the popup over `screenRect` (screen pixels). Popups are made with `new`
    // and delete themselves when their window is destroyed.
    bool Create(WindowHandle owner, const Rect& screenRect, int kind, int controlId, unsigned message);

    // Where a context menu opened at a screen point goes: from the point to 300 × 300 units beyond.
    static Rect ContextMenuRect(int screenX, int screenY);

    // The closed message of a kind, or 0 for kinds that send none (4, 5) and unknown kinds.
    static unsigned ClosedMessageForKind(int kind);

    WindowHandle hwnd() const { return handle_; }
    WindowHandle Owner() const { return owner_; }
    platform::NativeWindow* window() const { return window_; }
    int Kind() const { return kind_; }
    int ControlId() const { return controlId_; }
    unsigned Message() const { return message_; }
    int HotItem() const { return hot_; }
    const std::vector<Item>& Items() const { return items_; }
    // The item under the point, separators excluded; -1 for none.
    int ItemAt(int x, int y) const;

    // Adds an item row; images are skin files (empty for none).
    Item& AddItem(std::u16string text, const std::string& normal, const std::string& hover, bool subMenu = false,
                  int id = 0);
    void AddSeparator();
    // Stacks the items from the top: rows of `rowHeight`, separators of `separatorHeight` pixels.
    void LayoutRows(int rowHeight, int separatorHeight);

    LRESULT handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) override;

    // Keys: Up and Down (Home, End) move the hot item as the pointer would, Enter and Space
    // choose it as a click does, Escape closes the popup as a click outside does. True when used.
    bool OnKey(unsigned vk);
    // The next item from `from` that can be chosen, going down or up with wrap-around; -1 for none.
    int NextItem(int from, bool down) const;
    // Chooses item `index` as the pointer would: onto it, then a click. The popup may be gone
    // when this returns.
    void ChooseItem(int index);
    // The same once the loop gets to it (a screen reader's request does not wait on a dialog
    // the choice opens).
    void PostChooseItem(int index);

protected:
    virtual void DrawItems(QPainter& p, const Rect& client);
    virtual void DrawItemIcons(QPainter& p, const Rect& client);
    virtual void BuildItems();
    virtual bool OnMouseMove(int x, int y);
    virtual bool OnLButtonDown(int x, int y);
    // A click on an item reports the choice.
    virtual bool OnLButtonUp(int x, int y);
    virtual void OnExtra();
    // A popup that opens beside another one (a submenu) answers false: it is shown and used
    // without ever taking the activation, so the popup beside it keeps it and hears no loss.
    virtual bool TakesActivation() const { return true; }

    // Sends the choice of item `index` to the owner.
    void ReportChoice(int index);
    void Repaint();

    std::vector<Item> items_;
    int hot_ = -1;
    QFont font_;

private:
    void onPaint();
    void onDeactivated();

    WindowHandle owner_ = 0;
    WindowHandle handle_ = 0;
    QPointer<platform::NativeWindow> window_;
    int kind_ = 0;
    int controlId_ = 0;
    unsigned message_ = 0;
    bool tracking_ = false;
    bool buttonDown_ = false;
    bool closing_ = false;
    bool closedReported_ = false;
    bool inDestructor_ = false;
    SkinImage background_;
    PopupChoice choice_;
};

} // namespace quorvik::ui
