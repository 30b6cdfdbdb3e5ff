#include "ui/skin/AccessiblePopups.h"

#include "platform/qt/NativeWindow.h"
#include "ui/skin/WndPopup.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPointer>
#include <QWindow>

#include <map>
#include <vector>

namespace quorvik::ui {

namespace {

using platform::NativeWindow;

// An entry of a popup menu or drop-down list.
class ItemAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    ItemAccessible(NativeWindow* window, int index) : window_(window), index_(index) {}
    CWndPopup* popup() const { return window_ ? dynamic_cast<CWndPopup*>(window_->owner()) : nullptr; }
    const CWndPopup::Item* item() const {
        CWndPopup* p = popup();
        return p && index_ < int(p->Items().size()) ? &p->Items()[std::size_t(index_)] : nullptr;
    }
    bool isValid() const override { return item() != nullptr; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return window_ ? window_->windowHandle() : nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override {
        return window_ ? QAccessible::queryAccessibleInterface(window_.data()) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override {
        const CWndPopup::Item* i = item();
        return i && t == QAccessible::Name ? QString::fromStdU16String(i->text) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        const CWndPopup::Item* i = item();
        if (!i)
            return {};
        const QRect local = i->rect.toQRect();
        return QRect(window_->mapToGlobal(local.topLeft()), local.size());
    }
    QAccessible::Role role() const override { return QAccessible::MenuItem; }
    QAccessible::State state() const override {
        QAccessible::State s;
        CWndPopup* p = popup();
        s.focusable = true;
        s.focused = s.hotTracked = p && p->HotItem() == index_;
        if (const CWndPopup::Item* i = item(); i && i->subMenu)
            s.hasPopup = true;
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType t) override {
        return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override {
        if (CWndPopup* p = popup(); p && name == pressAction())
            p->PostChooseItem(index_);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {QStringLiteral("Return")}; }

private:
    QPointer<NativeWindow> window_;
    int index_;
};

// A popup: a menu whose children are its entries (separators left out).
class PopupAccessible : public QAccessibleWidget {
public:
    explicit PopupAccessible(NativeWindow* window) : QAccessibleWidget(window, QAccessible::PopupMenu) {}
    ~PopupAccessible() override {
        for (const auto& [index, id] : items_)
            QAccessible::deleteAccessibleInterface(id);
    }
    int childCount() const override { return int(entries().size()); }
    QAccessibleInterface* child(int index) const override {
        const std::vector<int> list = entries();
        if (index < 0 || index >= int(list.size()))
            return nullptr;
        const int item = list[std::size_t(index)];
        auto it = items_.find(item);
        if (it == items_.end())
            it = items_
                     .emplace(item, QAccessible::registerAccessibleInterface(
                                        new ItemAccessible(static_cast<NativeWindow*>(widget()), item)))
                     .first;
        return QAccessible::accessibleInterface(it->second);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (int i = 0; i < childCount(); ++i)
            if (this->child(i) == child)
                return i;
        return -1;
    }
    QAccessibleInterface* focusChild() const override {
        CWndPopup* p = popup();
        if (!p || p->HotItem() < 0)
            return nullptr;
        const std::vector<int> list = entries();
        for (std::size_t i = 0; i < list.size(); ++i)
            if (list[i] == p->HotItem())
                return child(int(i));
        return nullptr;
    }

private:
    CWndPopup* popup() const {
        auto* window = qobject_cast<NativeWindow*>(widget());
        return window ? dynamic_cast<CWndPopup*>(window->owner()) : nullptr;
    }
    std::vector<int> entries() const {
        std::vector<int> list;
        if (CWndPopup* p = popup())
            for (std::size_t i = 0; i < p->Items().size(); ++i)
                if (!p->Items()[i].separator)
                    list.push_back(int(i));
        return list;
    }
    mutable std::map<int, QAccessible::Id> items_;
};

} // namespace

QAccessibleInterface* MakePopupAccessible(NativeWindow* window) {
    return new PopupAccessible(window);
}

} // namespace quorvik::ui
