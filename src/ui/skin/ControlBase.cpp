#include "ui/skin/ControlBase.h"

#include "platform/qt/NativeWindow.h"
#include "platform/qt/UiLoop.h"

namespace quorvik::ui {

CControlBase::CControlBase(WindowHandle parent, int id, const Rect& rect, std::u16string text, bool shown, bool active,
                           bool disabled)
    : id_(id), rect_(rect), shown_(shown), active_(active), disabled_(disabled), text_(std::move(text)),
      parent_(parent), font_(ControlFont()) {}

CControlBase::~CControlBase() = default;

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

} // namespace quorvik::ui
