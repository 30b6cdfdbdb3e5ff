// Keys and wheel steps of the skinned controls that do more than press: each ends in the messages
// the mouse sends for the same change (a drag's code 3 and its release's code 2, a click on a
// dial sector, presses of a scroll bar's arrows).
#include "model/LanguageTable.h"
#include "model/Text.h"
#include "platform/Messages.h"
#include "ui/skin/Displays.h"
#include "ui/skin/ProgramWords.h"
#include "ui/skin/Sliders.h"

#include <algorithm>

namespace quorvik::ui {

using namespace platform;

namespace {
// The value `delta` away from `value` within 0 … stops − 1; deltas far beyond an end reach it.
int SteppedValue(int value, int delta, int stops) {
    const long next = long(value) + long(delta);
    return int(std::clamp(next, 0L, long(std::max(0, stops - 1))));
}
} // namespace

std::u16string NumberedText(int textIndex, int number) {
    std::u16string text = model::LanguageText(textIndex);
    const std::size_t at = text.find(u"%1");
    if (at != std::u16string::npos)
        text.replace(at, 2, model::DecimalText(number));
    return text;
}

int CRadioButton::ArrowGroup() const {
    // The group's mask names it; an id outside the groups only notifies and has no neighbours.
    return int(RadioGroupMask(id_));
}

std::optional<bool> CDPIRadioButton::CheckedState() const {
    if (id_ < 3290 || id_ > 3297)
        return false;
    const unsigned levels = unsigned(id_ - 3290 + 1);
    return (DpiLevelWord() & 0xFFu) == ((1u << levels) - 1);
}

StepResult CTabControl::OnKey(unsigned vk, unsigned modifiers) {
    if (vk != VK_APPS)
        return CControlBase::OnKey(vk, modifiers);
    if (disabled_ || !isLive())
        return StepResult::Ignored;
    OnRButtonUp(0, rect_.left + rect_.width() / 2, rect_.top + rect_.height() / 2);
    return StepResult::Done;
}

StepResult CColorSelectCheckButton::OnKey(unsigned vk, unsigned modifiers) {
    if (vk != VK_RETURN)
        return CControlBase::OnKey(vk, modifiers);
    if (disabled_ || !isLive())
        return StepResult::Ignored;
    // What a double-click sends: a click, the double-click, and the second release.
    const int x = rect_.left + rect_.width() / 2;
    const int y = rect_.top + rect_.height() / 2;
    Press();
    OnLButtonDblClk(0, x, y);
    OnLButtonUp(0, x, y);
    state_ = kStateNormal;
    Invalidate();
    return StepResult::Done;
}

StepResult CPowerManageButton::Step(int delta) {
    if (disabled_ || !isLive())
        return StepResult::Ignored;
    const int next = int(std::clamp(long(choice_) + long(delta), 3L, 10L));
    if (next == choice_)
        return StepResult::Ignored;
    choice_ = next;
    Invalidate();
    Notify(kMessage, 0, kCodeClick);
    return StepResult::Done;
}

StepResult CControlBase::StepValue(int& value, int stops, int delta) {
    if (disabled_ || !isLive())
        return StepResult::Ignored;
    const int next = SteppedValue(value, delta, stops);
    if (next == value)
        return StepResult::Ignored;
    DragTo(value, next);
    Invalidate();
    return StepResult::Stepped;
}

StepResult CSliderControl::Step(int delta) {
    return StepValue(value_, stops_, delta);
}

void CSliderControl::EndStep() {
    NotifySelf(kCodeClick, 0);
}

StepResult CVerticalSliderControl::Step(int delta) {
    return StepValue(value_, stops_, delta);
}

void CVerticalSliderControl::EndStep() {
    NotifySelf(kCodeClick, WPARAM(value_));
}

StepResult CVScrollBar::OnWheel(int steps) {
    if (disabled_ || !isLive() || steps == 0 || MaxPosition() == 0)
        return StepResult::Ignored;
    const WPARAM part = steps > 0 ? kScrollLineUp : kScrollLineDown;
    const int presses = std::min(std::abs(steps) * kRowsPerNotch, std::max(1, total_));
    for (int i = 0; i < presses; ++i)
        PressArrow(part);
    Invalidate();
    return StepResult::Done;
}

void CVScrollBar::PressArrow(WPARAM part) {
    NotifySelf(kCodeDown, part);
    NotifySelf(kCodeClick);
}

} // namespace quorvik::ui
