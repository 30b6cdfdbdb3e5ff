#include "ui/skin/ControlBase.h"

#include "platform/Messages.h"
#include "platform/qt/NativeWindow.h"
#include "platform/qt/UiLoop.h"

#include <climits>

namespace quorvik::ui {

CControlBase::CControlBase(WindowHandle parent, int id, const Rect& rect, std::u16string text, bool shown, bool active,
                           bool disabled)
    : id_(id), rect_(rect), shown_(shown), active_(active), disabled_(disabled), text_(std::move(text)),
      parent_(parent), font_(ControlFont()) {}

CControlBase::~CControlBase() {
    if (auto gone = ControlGoneHook())
        gone(this);
}

ControlGone& ControlGoneHook() {
    static ControlGone hook = nullptr;
    return hook;
}

void CControlBase::Draw(QPainter&, const Rect&) {}
void CControlBase::CancelPress(int) {}

void CControlBase::SetRect(int left, int top, int right, int bottom) {
    rect_ = Rect{left, top, right, bottom};
}

Rect* CControlBase::GetRect(Rect* out) const {
    *out = rect_;
    return out;
}

void CControlBase::SetText(const std::u16string& text) {
    SetAndRedraw(text_, text);
}

std::u16string CControlBase::GetText() const {
    return text_;
}
void CControlBase::SetShown(bool shown) {
    shown_ = shown;
}
void CControlBase::SetActive(bool active) {
    active_ = active;
}
bool CControlBase::OnMouseMove(unsigned, int, int) {
    return false;
}
bool CControlBase::OnLButtonDown(unsigned, int, int) {
    return false;
}
bool CControlBase::OnLButtonUp(unsigned, int, int) {
    return false;
}
bool CControlBase::OnRButtonUp(unsigned, int, int) {
    return false;
}
bool CControlBase::OnLButtonDblClk(unsigned, int, int) {
    return false;
}
void CControlBase::ReleaseImages() {}

void CControlBase::SetFont(int height, const std::u16string& face) {
    font_ = ControlFont(height, face);
}

LRESULT CControlBase::Notify(unsigned message, WPARAM wParam, LPARAM code) {
    return platform::UiLoop().send(parent_, message, wParam, code);
}

void CControlBase::Invalidate() {
    if (auto* window = platform::WindowFromHandle(parent_))
        window->invalidate(rect_.toQRect());
}

bool CControlBase::TrackHover(int x, int y) {
    if (disabled_ || state_ == kStatePressed)
        return false;
    int next = rect_.contains(x, y) ? kStateHover : kStateNormal;
    if (next == state_)
        return false;
    state_ = next;
    return true;
}

bool CControlBase::DragTo(int& value, int next) {
    int old = value;
    value = next;
    NotifySelf(kCodeDragValue, WPARAM(value));
    return value != old;
}

// ---- keyboard and wheel ----

int PageStep(int stops) {
    return std::max(1, stops / 10);
}

bool CControlBase::TakesFocus() const {
    if (!focusable_ || !isLive() || disabled_ || !hitTestable_)
        return false;
    switch (Role()) {
    case AccessRole::None:
    case AccessRole::Label:
    case AccessRole::Picture:
    case AccessRole::Indicator:
    case AccessRole::ScrollBar: // its list takes the keys and the wheel for it
        return false;
    default:
        return true;
    }
}

StepResult CControlBase::Press() {
    if (disabled_ || !isLive())
        return StepResult::Ignored;
    const int x = rect_.left + rect_.width() / 2;
    const int y = rect_.top + rect_.height() / 2;
    OnLButtonDown(0, x, y);
    OnLButtonUp(0, x, y);
    // No pointer rests on the control: it shows its normal (or checked) look again.
    state_ = kStateNormal;
    Invalidate();
    return StepResult::Done;
}

StepResult CControlBase::OnKey(unsigned vk, unsigned) {
    using namespace platform;
    const std::optional<AccessValue> value = Value();
    const int stops = value ? value->maximum - value->minimum + 1 : 1;
    switch (vk) {
    case VK_SPACE:
    case VK_RETURN:
        return Press();
    case VK_LEFT:
    case VK_DOWN:
        return Step(-1);
    case VK_RIGHT:
    case VK_UP:
        return Step(1);
    case VK_NEXT:
        return Step(-PageStep(stops));
    case VK_PRIOR:
        return Step(PageStep(stops));
    case VK_HOME:
        return Step(INT_MIN / 2);
    case VK_END:
        return Step(INT_MAX / 2);
    default:
        return StepResult::Ignored;
    }
}

StepResult CControlBase::OnWheel(int steps) {
    if (wheelTarget_)
        return wheelTarget_->OnWheel(steps);
    if (disabled_ || !isLive() || !Value())
        return StepResult::Ignored;
    return Step(steps);
}

} // namespace quorvik::ui
