// The keyboard side of the dialog base: the focus order, the keys the focused control takes, the
// wheel, the focus mark, and the release a key or wheel step ends with.
#include "platform/Messages.h"
#include "platform/ProcessGlobals.h"
#include "platform/qt/KeyboardHook.h"
#include "platform/qt/UiLoop.h"
#include "ui/skin/DlgBase.h"

#include <QApplication>

#include <algorithm>

namespace quorvik::ui {

using namespace platform;

namespace {
DialogObserver* g_observer = nullptr;

// The mark: a light accent that keeps 3 : 1 and more against the skin's dark panels and frames.
constexpr std::uint32_t kFocusMarkRgb = 0x8FD6FF;
constexpr int kFocusMarkUnits = 2; // line width; the mark stands this far outside the control too
constexpr unsigned kStepTimerId = 1;
constexpr unsigned kMsgPressLater = WM_USER + 1; // wParam: the control
constexpr int kTitleStripUnits = 32;

// The dialog's own input on a handle of its own: the step's release timer and the presses asked
// from outside, clear of the dialogs' timer ids and message numbers.
class StepTimer : public MessageHandler {
public:
    explicit StepTimer(CDlgBase& dialog) : dialog_(dialog) {}
    LRESULT handleMessage(unsigned message, WPARAM wParam, LPARAM) override {
        if (message == WM_TIMER && wParam == kStepTimerId)
            dialog_.FinishStep();
        if (message == kMsgPressLater)
            dialog_.PerformPress(reinterpret_cast<CControlBase*>(wParam)); // checks it is still there
        return 0;
    }

private:
    CDlgBase& dialog_;
};

bool IsArrow(unsigned vk) {
    return vk == VK_LEFT || vk == VK_RIGHT || vk == VK_UP || vk == VK_DOWN;
}
} // namespace

void SetDialogObserver(DialogObserver* observer) {
    g_observer = observer;
}

DialogObserver* GetDialogObserver() {
    return g_observer;
}

int CDlgBase::FocusBand(const Rect& rect) const {
    return rect.bottom <= Scaled(kTitleStripUnits) ? 1 : 0;
}

std::vector<CControlBase*> CDlgBase::ReadingOrder() const {
    std::vector<CControlBase*> controls;
    for (const FocusStop& stop : sortedStops(false))
        controls.push_back(stop.control);
    return controls;
}

std::vector<FocusStop> CDlgBase::FocusOrder() const {
    return sortedStops(true);
}

std::vector<FocusStop> CDlgBase::sortedStops(bool focusOnly) const {
    struct Keyed {
        FocusStop stop;
        int band;
        std::size_t order;
    };
    std::vector<Keyed> keyed;
    forEachControl([&](CControlBase* c) {
        const bool wanted = focusOnly ? c->TakesFocus() : c->isLive() && c->Role() != AccessRole::None;
        if (wanted)
            keyed.push_back({FocusStop{c, -1, c->rect()}, FocusBand(c->rect()), keyed.size()});
    });
    for (const auto& [id, edit] : edits_) {
        if (!focusOnly)
            break;
        if (!edit || !edit->isVisibleTo(window_) || !edit->isEnabled())
            continue;
        const QRect g = edit->geometry();
        const Rect r{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
        keyed.push_back({FocusStop{nullptr, id, r}, FocusBand(r), keyed.size()});
    }
    std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        if (a.band != b.band)
            return a.band < b.band;
        if (a.stop.rect.top != b.stop.rect.top)
            return a.stop.rect.top < b.stop.rect.top;
        if (a.stop.rect.left != b.stop.rect.left)
            return a.stop.rect.left < b.stop.rect.left;
        return a.order < b.order;
    });
    std::vector<FocusStop> stops;
    stops.reserve(keyed.size());
    for (auto& k : keyed)
        stops.push_back(k.stop);
    return stops;
}

bool CDlgBase::owns(const CControlBase* control) const {
    bool found = false;
    forEachControl([&](CControlBase* c) { found = found || c == control; });
    return control && found;
}

int CDlgBase::FocusedEditId() const {
    if (!window_)
        return -1;
    QWidget* focus = window_->focusWidget();
    for (const auto& [id, edit] : edits_)
        if (edit && edit == focus)
            return id;
    return -1;
}

CControlBase* CDlgBase::FocusedControl() const {
    // An edit field the user clicked into holds the keys; the skinned focus waits behind it.
    if (FocusedEditId() >= 0)
        return nullptr;
    return focus_ && focus_->TakesFocus() ? focus_ : nullptr;
}

void CDlgBase::SetFocusTo(CControlBase* control) {
    if (control && !owns(control))
        return;
    CControlBase* old = focus_;
    focus_ = control;
    if (window_ && control && window_->focusWidget() != window_)
        window_->setFocus(Qt::OtherFocusReason);
    if (old != control) {
        InvalidateControl(old);
        InvalidateControl(control);
        if (window_)
            window_->invalidate(FocusMarkRect(old ? old->rect() : Rect{}));
        announceFocus();
    }
}

void CDlgBase::SetFocusToEdit(int id) {
    QLineEdit* edit = Edit(id);
    if (!edit)
        return;
    if (focus_)
        InvalidateAll();
    focus_ = nullptr;
    edit->setFocus(Qt::TabFocusReason);
    edit->selectAll();
}

bool CDlgBase::keysCaptured() const {
    // A key capture (macro recording, a shortcut or a key being chosen) keeps every key.
    return CKeyboardHook::Active() != nullptr;
}

bool CDlgBase::moveFocus(bool forward) {
    const std::vector<FocusStop> stops = FocusOrder();
    if (stops.empty())
        return false;
    const int edit = FocusedEditId();
    CControlBase* current = edit >= 0 ? nullptr : FocusedControl();
    int at = -1;
    for (std::size_t i = 0; i < stops.size(); ++i)
        if ((current && stops[i].control == current) || (edit >= 0 && stops[i].editId == edit))
            at = int(i);
    const int n = int(stops.size());
    const int next = at < 0 ? (forward ? 0 : n - 1) : (at + (forward ? 1 : n - 1)) % n;
    const FocusStop& stop = stops[std::size_t(next)];
    if (stop.control)
        SetFocusTo(stop.control);
    else
        SetFocusToEdit(stop.editId);
    return true;
}

bool CDlgBase::moveInGroup(CControlBase& from, bool forward) {
    const std::vector<FocusStop> stops = FocusOrder();
    std::vector<CControlBase*> group;
    for (const auto& stop : stops)
        if (stop.control && stop.control->ArrowGroup() == from.ArrowGroup())
            group.push_back(stop.control);
    auto it = std::find(group.begin(), group.end(), &from);
    if (it == group.end())
        return false;
    if (forward ? it + 1 == group.end() : it == group.begin())
        return true; // at the end of its group: the key is used, nothing moves
    CControlBase* next = forward ? *(it + 1) : *(it - 1);
    SetFocusTo(next);
    if (next->ArrowsPress())
        next->Press();
    return true;
}

bool CDlgBase::NavigateKey(unsigned vk, unsigned modifiers) {
    // While the mouse holds a control, its drag owns the control's messages.
    if (!window_ || !handle_ || keysCaptured() || buttonDown_)
        return false;
    if (modifiers & (KEY_CONTROL | KEY_ALT))
        return false;
    // Shift+F10 is the Menu key of keyboards that have none.
    if (vk == VK_F10 && modifiers == KEY_SHIFT) {
        vk = VK_APPS;
        modifiers = 0;
    }
    bool used = false;
    if (vk == VK_TAB) {
        used = moveFocus(!(modifiers & KEY_SHIFT));
    } else if (vk == VK_ESCAPE) {
        CControlBase* cancel = CancelControlId() ? FindControl(CancelControlId()) : nullptr;
        if (cancel && cancel->isLive() && !cancel->isDisabled()) {
            focusVisible_ = true;
            cancel->Press();
            return true;
        }
        return false;
    } else if (CControlBase* focused = FocusedControl()) {
        if (IsArrow(vk) && focused->ArrowGroup() != 0)
            used = moveInGroup(*focused, vk == VK_RIGHT || vk == VK_DOWN);
        else if (modifiers == 0) {
            const StepResult result = focused->OnKey(vk, modifiers);
            if (result == StepResult::Stepped)
                armStep(focused);
            used = result != StepResult::Ignored;
        }
    }
    if (!used)
        return false;
    focusVisible_ = true;
    InvalidateAll();
    announceChanges();
    return true;
}

bool CDlgBase::PerformPress(CControlBase* control) {
    if (!control || !owns(control) || !control->isLive() || control->isDisabled())
        return false;
    FinishStep();
    if (control->Press() == StepResult::Ignored)
        return false;
    InvalidateAll();
    announceChanges();
    return true;
}

bool CDlgBase::PerformStep(CControlBase* control, int delta) {
    if (!control || !owns(control))
        return false;
    const StepResult result = control->Step(delta);
    if (result == StepResult::Stepped)
        armStep(control);
    if (result == StepResult::Ignored)
        return false;
    InvalidateControl(control);
    announceChanges();
    return true;
}

void CDlgBase::OnMouseWheel(WPARAM wParam, LPARAM lParam) {
    const int steps = WheelDelta(wParam) / WHEEL_DELTA;
    if (steps == 0)
        return;
    const int x = PointX(lParam), y = PointY(lParam);
    CControlBase* under = nullptr;
    forEachControl([&](CControlBase* c) {
        if (c->isLive() && c->isHitTestable() && c->rect().contains(x, y))
            under = c;
    });
    if (!under || buttonDown_)
        return;
    CControlBase* target = under->WheelTarget() ? under->WheelTarget() : under;
    const StepResult result = under->OnWheel(steps);
    if (result == StepResult::Stepped)
        armStep(target);
    if (result != StepResult::Ignored) {
        InvalidateControl(under);
        InvalidateControl(target);
        announceChanges();
    }
}

WindowHandle CDlgBase::inputHandle() {
    if (!stepTimer_) {
        stepTimer_ = std::make_unique<StepTimer>(*this);
        stepTimerHandle_ = UiLoop().registerWindow(stepTimer_.get());
    }
    return stepTimerHandle_;
}

void CDlgBase::PostPress(CControlBase* control) {
    if (control && owns(control))
        UiLoop().post(inputHandle(), kMsgPressLater, reinterpret_cast<WPARAM>(control), 0);
}

void CDlgBase::armStep(CControlBase* control) {
    if (stepping_ && stepping_ != control)
        FinishStep();
    stepping_ = control;
    inputHandle();
    // Each step restarts the wait: the release comes once, after the last step.
    UiLoop().setTimer(stepTimerHandle_, kStepTimerId, kStepPauseMs);
}

void CDlgBase::FinishStep() {
    if (stepTimerHandle_ && HasUiLoop())
        UiLoop().killTimer(stepTimerHandle_, kStepTimerId);
    CControlBase* control = std::exchange(stepping_, nullptr);
    if (control && owns(control)) {
        control->EndStep();
        InvalidateControl(control);
        announceChanges();
    }
}

QRect CDlgBase::FocusMarkRect(const Rect& control) {
    const int gap = std::max(2, Scaled(kFocusMarkUnits));
    return control.toQRect().adjusted(-gap, -gap, gap, gap);
}

QColor CDlgBase::FocusMarkColour() {
    return Rgb(kFocusMarkRgb);
}

void CDlgBase::DrawFocusMark(QPainter& p) const {
    if (!focusVisible_)
        return;
    CControlBase* focused = FocusedControl();
    if (!focused)
        return;
    const int width = std::max(2, Scaled(kFocusMarkUnits));
    const QRectF box =
        QRectF(FocusMarkRect(focused->rect())).adjusted(width / 2.0, width / 2.0, -width / 2.0, -width / 2.0);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(FocusMarkColour(), width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    p.drawRect(box);
    p.restore();
}

void CDlgBase::announceFocus() {
    if (g_observer)
        g_observer->FocusMoved(*this, FocusedControl());
}

void CDlgBase::announceChanges() {
    if (g_observer)
        g_observer->ControlsChanged(*this);
}

} // namespace quorvik::ui
