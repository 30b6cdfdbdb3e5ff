#include "ui/skin/AccessibleControls.h"

#include "ui/skin/AccessiblePopups.h"

#include "platform/qt/NativeWindow.h"
#include "ui/skin/DlgBase.h"
#include "ui/skin/WndPopup.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QPointer>
#include <QWindow>

#include <map>
#include <vector>

namespace quorvik::ui {

namespace {

using platform::NativeWindow;

constexpr int kTitleStripUnits = 32; // the dialogs' title strip, as the focus order has it

CDlgBase* DialogOf(QWidget* widget) {
    auto* window = qobject_cast<NativeWindow*>(widget);
    return window ? dynamic_cast<CDlgBase*>(window->owner()) : nullptr;
}

QAccessible::Role QtRole(const CControlBase& c) {
    switch (c.Role()) {
    case AccessRole::Label:
        return QAccessible::StaticText;
    case AccessRole::Picture:
        return QAccessible::Graphic;
    case AccessRole::PushButton:
        return QAccessible::Button;
    case AccessRole::CheckBox:
        return c.IsExpander() ? QAccessible::Button : QAccessible::CheckBox;
    case AccessRole::RadioButton:
        return QAccessible::RadioButton;
    case AccessRole::Slider:
        return QAccessible::Slider;
    case AccessRole::Dial:
        return QAccessible::Dial;
    case AccessRole::ComboBox:
        return QAccessible::ComboBox;
    case AccessRole::Link:
        return QAccessible::Link;
    case AccessRole::PageTab:
        return QAccessible::PageTab;
    case AccessRole::List:
        return QAccessible::List;
    case AccessRole::Tree:
        return QAccessible::Tree;
    case AccessRole::ScrollBar:
        return QAccessible::ScrollBar;
    case AccessRole::Indicator:
        return QAccessible::ProgressBar;
    case AccessRole::None:
        break;
    }
    return QAccessible::NoRole;
}

// What a control showed when it was last announced, to tell what changed since.
struct Shown {
    QAccessible::State state;
    int value = 0;
    QString name;
};

class ControlAccessible;

// The interfaces made so far, one per control (and per row of a list), so that assistive
// technology sees the same object each time it asks.
struct Registry {
    std::map<const CControlBase*, QAccessible::Id> controls;
    std::map<std::pair<const CControlBase*, int>, QAccessible::Id> rows;
    std::map<QAccessible::Id, Shown> shown;
};

Registry& registry() {
    // Never destroyed: a control that goes after the program's statics still finds it.
    static Registry* r = new Registry;
    return *r;
}

bool Alive(const CControlBase* control) {
    return registry().controls.count(control) != 0;
}

QAccessibleInterface* InterfaceFor(QWidget* window, CControlBase* control);

// One row of a list or tree.
class RowAccessible : public QAccessibleInterface {
public:
    RowAccessible(QWidget* window, CControlBase* list, int row) : window_(window), list_(list), row_(row) {}
    bool isValid() const override { return window_ && Alive(list_) && row_ < list_->AccessRowCount(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return window_ ? window_->windowHandle() : nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override { return isValid() ? InterfaceFor(window_, list_) : nullptr; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override {
        return isValid() && t == QAccessible::Name ? QString::fromStdU16String(list_->AccessRowText(row_)) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override { return isValid() ? parent()->rect() : QRect(); }
    QAccessible::Role role() const override {
        return list_->Role() == AccessRole::Tree ? QAccessible::TreeItem : QAccessible::ListItem;
    }
    QAccessible::State state() const override {
        QAccessible::State s;
        s.selectable = true;
        s.selected = isValid() && list_->AccessSelectedRow() == row_;
        return s;
    }

private:
    QPointer<QWidget> window_;
    CControlBase* list_;
    int row_;
};

class ControlAccessible : public QAccessibleInterface,
                          public QAccessibleActionInterface,
                          public QAccessibleValueInterface {
public:
    ControlAccessible(QWidget* window, CControlBase* control) : window_(window), control_(control) {}

    bool isValid() const override { return window_ && Alive(control_) && DialogOf(window_); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return window_ ? window_->windowHandle() : nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override {
        return window_ ? QAccessible::queryAccessibleInterface(window_.data()) : nullptr;
    }
    QAccessibleInterface* child(int index) const override {
        if (!isValid() || index < 0 || index >= childCount())
            return nullptr;
        auto& rows = registry().rows;
        const auto key = std::pair<const CControlBase*, int>(control_, index);
        auto it = rows.find(key);
        if (it == rows.end())
            it =
                rows.emplace(key, QAccessible::registerAccessibleInterface(new RowAccessible(window_, control_, index)))
                    .first;
        return QAccessible::accessibleInterface(it->second);
    }
    int childCount() const override { return isValid() ? control_->AccessRowCount() : 0; }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (int i = 0; i < childCount(); ++i)
            if (this->child(i) == child)
                return i;
        return -1;
    }
    QString text(QAccessible::Text t) const override {
        if (!isValid())
            return {};
        if (t == QAccessible::Name)
            return QString::fromStdU16String(control_->AccessibleName());
        if (t == QAccessible::Value && control_->Value())
            return QString::number(control_->Value()->current);
        return {};
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!isValid())
            return {};
        const QRect local = control_->rect().toQRect();
        return QRect(window_->mapToGlobal(local.topLeft()), local.size());
    }
    QAccessible::Role role() const override { return QtRole(*control_); }
    QAccessible::State state() const override {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        CDlgBase* dialog = DialogOf(window_);
        s.disabled = control_->isDisabled();
        s.invisible = !control_->isLive() || !window_->isVisible();
        s.focusable = control_->TakesFocus();
        // Focused for a screen reader only in the window that has the keyboard.
        s.focused = dialog->FocusedControl() == control_ && window_->isActiveWindow();
        if (const std::optional<bool> expanded = control_->ExpandedState()) {
            s.expandable = true;
            s.expanded = *expanded;
            s.collapsed = !*expanded;
        } else if (const std::optional<bool> checked = control_->CheckedState()) {
            s.checkable = true;
            s.checked = *checked;
        }
        if (control_->Role() == AccessRole::ComboBox)
            s.hasPopup = true;
        if (control_->Role() == AccessRole::Label || control_->Role() == AccessRole::Indicator)
            s.readOnly = true;
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::ActionInterface)
            return static_cast<QAccessibleActionInterface*>(this);
        if (t == QAccessible::ValueInterface && isValid() && control_->Value())
            return static_cast<QAccessibleValueInterface*>(this);
        return nullptr;
    }

    // ---- actions ----
    QStringList actionNames() const override {
        if (!isValid() || control_->isDisabled())
            return {};
        switch (control_->Role()) {
        case AccessRole::PushButton:
        case AccessRole::Link:
        case AccessRole::RadioButton:
        case AccessRole::PageTab:
            return {pressAction()};
        case AccessRole::CheckBox:
            return {toggleAction(), pressAction()};
        case AccessRole::ComboBox:
            return {showMenuAction(), pressAction()};
        case AccessRole::Slider:
        case AccessRole::Dial:
            return {increaseAction(), decreaseAction()};
        default:
            return {};
        }
    }
    void doAction(const QString& name) override {
        if (!isValid() || !actionNames().contains(name))
            return;
        CDlgBase* dialog = DialogOf(window_);
        if (name == increaseAction())
            dialog->PerformStep(control_, 1);
        else if (name == decreaseAction())
            dialog->PerformStep(control_, -1);
        else
            dialog->PostPress(control_);
    }
    QStringList keyBindingsForAction(const QString& name) const override {
        if (name == pressAction() || name == toggleAction() || name == showMenuAction())
            return {QStringLiteral("space")};
        if (name == increaseAction())
            return {QStringLiteral("Up")};
        if (name == decreaseAction())
            return {QStringLiteral("Down")};
        return {};
    }

    // ---- value ----
    QVariant currentValue() const override { return isValid() && control_->Value() ? control_->Value()->current : 0; }
    void setCurrentValue(const QVariant& value) override {
        if (!isValid() || !control_->Value())
            return;
        const int delta = value.toInt() - control_->Value()->current;
        if (delta != 0)
            DialogOf(window_)->PerformStep(control_, delta);
    }
    QVariant maximumValue() const override { return isValid() && control_->Value() ? control_->Value()->maximum : 0; }
    QVariant minimumValue() const override { return isValid() && control_->Value() ? control_->Value()->minimum : 0; }
    QVariant minimumStepSize() const override { return 1; }

private:
    QPointer<QWidget> window_;
    CControlBase* control_;
};

QAccessibleInterface* InterfaceFor(QWidget* window, CControlBase* control) {
    auto& controls = registry().controls;
    auto it = controls.find(control);
    if (it == controls.end())
        it = controls.emplace(control, QAccessible::registerAccessibleInterface(new ControlAccessible(window, control)))
                 .first;
    return QAccessible::accessibleInterface(it->second);
}

void ForgetControl(const CControlBase* control) {
    auto& r = registry();
    if (!QCoreApplication::instance()) {
        // Qt's accessibility went with the application, and the interfaces with it.
        r.controls.erase(control);
        std::erase_if(r.rows, [control](const auto& row) { return row.first.first == control; });
        return;
    }
    for (auto it = r.rows.begin(); it != r.rows.end();) {
        if (it->first.first == control) {
            QAccessible::deleteAccessibleInterface(it->second);
            it = r.rows.erase(it);
        } else {
            ++it;
        }
    }
    auto it = r.controls.find(control);
    if (it == r.controls.end())
        return;
    r.shown.erase(it->second);
    QAccessible::deleteAccessibleInterface(it->second);
    r.controls.erase(it);
}

// A skinned dialog: its children are the controls that show, in reading order, then its edit
// fields (standard widgets that describe themselves).
class DialogAccessible : public QAccessibleWidget {
public:
    explicit DialogAccessible(QWidget* window)
        : QAccessibleWidget(window, window->parentWidget() ? QAccessible::Dialog : QAccessible::Window) {}

    // The caption in the dialog's title strip names it (every window's title is the program's).
    QString text(QAccessible::Text t) const override {
        CDlgBase* dialog = DialogOf(widget());
        if (t == QAccessible::Name && dialog && widget()->parentWidget())
            for (CControlBase* c : dialog->ReadingOrder())
                if (c->Role() == AccessRole::Label && c->rect().bottom <= Scaled(kTitleStripUnits) &&
                    !c->AccessibleName().empty())
                    return QString::fromStdU16String(c->AccessibleName());
        return QAccessibleWidget::text(t);
    }
    int childCount() const override { return int(children().size()); }
    QAccessibleInterface* child(int index) const override {
        const auto list = children();
        return index >= 0 && index < int(list.size()) ? list[std::size_t(index)] : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const auto list = children();
        for (std::size_t i = 0; i < list.size(); ++i)
            if (list[i] == child)
                return int(i);
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        QAccessibleInterface* found = nullptr;
        for (QAccessibleInterface* c : children())
            if (c->rect().contains(x, y))
                found = c;
        return found;
    }
    QAccessibleInterface* focusChild() const override {
        CDlgBase* dialog = DialogOf(widget());
        if (!dialog)
            return nullptr;
        if (CControlBase* focused = dialog->FocusedControl())
            return InterfaceFor(widget(), focused);
        if (QLineEdit* edit = dialog->Edit(dialog->FocusedEditId()))
            return QAccessible::queryAccessibleInterface(edit);
        return nullptr;
    }

private:
    std::vector<QAccessibleInterface*> children() const {
        std::vector<QAccessibleInterface*> list;
        CDlgBase* dialog = DialogOf(widget());
        if (!dialog)
            return list;
        for (CControlBase* c : dialog->ReadingOrder())
            list.push_back(InterfaceFor(widget(), c));
        for (QLineEdit* edit : widget()->findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly))
            if (edit->isVisible())
                list.push_back(QAccessible::queryAccessibleInterface(edit));
        return list;
    }
};

QAccessibleInterface* Factory(const QString&, QObject* object) {
    auto* window = qobject_cast<NativeWindow*>(object);
    if (!window)
        return nullptr;
    if (dynamic_cast<CDlgBase*>(window->owner()))
        return new DialogAccessible(window);
    if (dynamic_cast<CWndPopup*>(window->owner()))
        return MakePopupAccessible(window);
    return nullptr;
}

// Announces focus moves and the changes of the controls assistive technology has looked at.
class Announcer : public DialogObserver {
public:
    void FocusMoved(CDlgBase& dialog, CControlBase* control) override {
        if (!QAccessible::isActive() || !dialog.window())
            return;
        QAccessibleInterface* iface =
            control ? InterfaceFor(dialog.window(), control) : QAccessible::queryAccessibleInterface(dialog.window());
        QAccessibleEvent event(iface, QAccessible::Focus);
        QAccessible::updateAccessibility(&event);
    }

    void ControlsChanged(CDlgBase& dialog) override {
        if (!QAccessible::isActive() || !dialog.window())
            return;
        auto& r = registry();
        for (const auto& [control, id] : r.controls) {
            if (control->parent() != dialog.hwnd())
                continue;
            QAccessibleInterface* iface = QAccessible::accessibleInterface(id);
            if (!iface || !iface->isValid())
                continue;
            Shown now{iface->state(), control->Value() ? control->Value()->current : 0, iface->text(QAccessible::Name)};
            auto it = r.shown.find(id);
            if (it == r.shown.end()) {
                r.shown.emplace(id, now);
                continue;
            }
            Shown& before = it->second;
            QAccessible::State changed;
            changed.checked = before.state.checked != now.state.checked;
            changed.expanded = before.state.expanded != now.state.expanded;
            changed.collapsed = before.state.collapsed != now.state.collapsed;
            changed.disabled = before.state.disabled != now.state.disabled;
            changed.invisible = before.state.invisible != now.state.invisible;
            if (changed.checked || changed.expanded || changed.collapsed || changed.disabled || changed.invisible) {
                QAccessibleStateChangeEvent event(iface, changed);
                QAccessible::updateAccessibility(&event);
            }
            if (before.value != now.value) {
                QAccessibleValueChangeEvent event(iface, now.value);
                QAccessible::updateAccessibility(&event);
            }
            if (before.name != now.name) {
                QAccessibleEvent event(iface, QAccessible::NameChanged);
                QAccessible::updateAccessibility(&event);
            }
            before = now;
        }
    }
};

} // namespace

void InstallAccessibility() {
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(Factory);
    static Announcer announcer;
    SetDialogObserver(&announcer);
    ControlGoneHook() = ForgetControl;
}

} // namespace quorvik::ui
