// The base of every skinned control: a windowless object that draws itself inside its parent
// window, takes the mouse events the parent forwards and reports to the parent with a message
// whose number is its id.
#pragma once

#include "platform/EventLoop.h"
#include "ui/skin/SkinSupport.h"

#include <QFont>
#include <QPainter>

#include <optional>
#include <string>
#include <type_traits>

namespace quorvik::ui {

using platform::LPARAM;
using platform::LRESULT;
using platform::WindowHandle;
using platform::WPARAM;

// Notification codes (lParam of a control's message).
inline constexpr LPARAM kCodeDown = 1;
inline constexpr LPARAM kCodeClick = 2;
inline constexpr LPARAM kCodeDragValue = 3;
inline constexpr LPARAM kCodeEnter = 4;
inline constexpr LPARAM kCodeLeave = 5;
inline constexpr LPARAM kCodeDoubleClick = 10;
inline constexpr LPARAM kCodeRightClick = 11;
inline constexpr LPARAM kCodeHover3502 = 12;
inline constexpr LPARAM kCodePopupClosedA = 14;
inline constexpr LPARAM kCodePopupClosedB = 15;

// Mouse state of interactive controls.
inline constexpr int kStateNormal = 0;
inline constexpr int kStateHover = 1;
inline constexpr int kStatePressed = 2;

// What assistive technology is told a control is.
enum class AccessRole {
    None, // drawn only: no accessible object (a bar behind a slider, a frame piece)
    Label,
    Picture,
    PushButton,
    CheckBox,
    RadioButton,
    Slider,
    Dial,
    ComboBox,
    Link,
    PageTab,
    List,
    Tree,
    ScrollBar,
    Indicator, // a read-only gauge (battery)
};

// A value a control holds between two ends (sliders, the dial, scroll bars).
struct AccessValue {
    int minimum = 0;
    int maximum = 0;
    int current = 0;
};

// What a key or a wheel step did to a control.
enum class StepResult {
    Ignored,
    Done,    // reported in full (a press: down and click)
    Stepped, // a value moved as a drag does (code 3); the release (code 2) is due once input pauses
};

class CControlBase {
public:
    CControlBase(WindowHandle parent, int id, const Rect& rect, std::u16string text, bool shown = true,
                 bool active = true, bool disabled = false);
    virtual ~CControlBase();
    CControlBase(const CControlBase&) = delete;
    CControlBase& operator=(const CControlBase&) = delete;

    virtual void Draw(QPainter& p, const Rect& clip);
    // Called with 0 on the previously pressed control when another one is pressed.
    virtual void CancelPress(int reason);
    virtual void SetRect(int left, int top, int right, int bottom);
    virtual Rect* GetRect(Rect* out) const;
    // Redraws only when the text really changes.
    virtual void SetText(const std::u16string& text);
    virtual std::u16string GetText() const;
    virtual void SetShown(bool shown);
    virtual void SetActive(bool active);
    // Mouse operations return true when the look changed (the parent then invalidates the rectangle).
    virtual bool OnMouseMove(unsigned keys, int x, int y);
    virtual bool OnLButtonDown(unsigned keys, int x, int y);
    virtual bool OnLButtonUp(unsigned keys, int x, int y);
    virtual bool OnRButtonUp(unsigned keys, int x, int y);
    virtual bool OnLButtonDblClk(unsigned keys, int x, int y);
    virtual void ReleaseImages();

    // Replaces the font with one of another height and face.
    void SetFont(int height, const std::u16string& face);
    void SetDisabled(bool disabled) { disabled_ = disabled; }
    // A control that is not hit-testable is drawn but never becomes the hot control.
    void SetHitTestable(bool hitTestable) { hitTestable_ = hitTestable; }

    int id() const { return id_; }
    const Rect& rect() const { return rect_; }
    bool isShown() const { return shown_; }
    bool isActive() const { return active_; }
    bool isDisabled() const { return disabled_; }
    bool isHitTestable() const { return hitTestable_; }
    // Shown and active: the control takes part in drawing and hit tests.
    bool isLive() const { return shown_ && active_; }
    WindowHandle parent() const { return parent_; }
    const std::u16string& text() const { return text_; }
    const QFont& font() const { return font_; }
    int mouseState() const { return state_; }

    // ---- keyboard, wheel and assistive technology ----
    // A key or a wheel step ends in exactly the messages the mouse would send for the same
    // change, so no handler needs to know where the input came from.

    virtual AccessRole Role() const { return AccessRole::None; }
    // The name a screen reader speaks: set by the page (from the label beside the control) or
    // the caption.
    std::u16string AccessibleName() const { return accessibleName_.empty() ? text_ : accessibleName_; }
    void SetAccessibleName(std::u16string name) { accessibleName_ = std::move(name); }
    // Checked or not for the controls that can be; none for the rest.
    virtual std::optional<bool> CheckedState() const { return std::nullopt; }
    virtual std::optional<AccessValue> Value() const { return std::nullopt; }
    // A header that opens and closes what lies below it: expanded while checked.
    void SetExpander(bool expander) { expander_ = expander; }
    bool IsExpander() const { return expander_; }
    // Open or closed for what opens something: an expander's page, a selector's list; none for
    // the rest.
    virtual std::optional<bool> ExpandedState() const { return expander_ ? CheckedState() : std::nullopt; }
    // Rows of lists and trees, for assistive technology.
    virtual int AccessRowCount() const { return 0; }
    virtual std::u16string AccessRowText(int row) const {
        (void)row;
        return {};
    }
    virtual int AccessSelectedRow() const { return -1; }
    // Whether Tab stops here: an interactive control that is shown, active and enabled.
    bool TakesFocus() const;
    void SetFocusable(bool focusable) { focusable_ = focusable; }
    // Keys arrive only while the control has the focus. Space and Enter press it; the value
    // controls also take the arrows, PageUp / PageDown, Home and End.
    virtual StepResult OnKey(unsigned vk, unsigned modifiers);
    // `steps` wheel notches, positive away from the user.
    virtual StepResult OnWheel(int steps);
    // The pause after Stepped: sends the release a drag ends with.
    virtual void EndStep() {}
    // A click in the middle of the control: button down, then up (codes 1 and 2 as the class
    // sends them); the look returns to normal afterwards, as no pointer rests on it.
    virtual StepResult Press();
    // Moves the value by `delta` (or to an end) as a drag would; Ignored when nothing moves.
    virtual StepResult Step(int delta) {
        (void)delta;
        return StepResult::Ignored;
    }
    // Where the wheel over this control goes instead (a list's scroll bar).
    void SetWheelTarget(CControlBase* target) { wheelTarget_ = target; }
    CControlBase* WheelTarget() const { return wheelTarget_; }
    // Arrows move among the controls of one group (a radio group, the colour slots, the tabs);
    // 0 for none. `ArrowsPress` tells whether reaching one presses it (radios and tabs do).
    virtual int ArrowGroup() const { return 0; }
    virtual bool ArrowsPress() const { return true; }

protected:
    // Sends `message` to the parent at once (its handler runs before this returns).
    LRESULT Notify(unsigned message, WPARAM wParam, LPARAM code);
    LRESULT NotifySelf(LPARAM code, WPARAM wParam = 0) { return Notify(unsigned(id_), wParam, code); }
    void Invalidate();
    // Stores `value` and redraws the control, only when it differs from what is there.
    template <class T> void SetAndRedraw(T& field, const std::type_identity_t<T>& value) {
        if (field == value)
            return;
        field = value;
        Invalidate();
    }
    // The event at (x, y) is this control's: it is enabled and the point lies inside.
    bool TakesPoint(int x, int y) const { return !disabled_ && rect_.contains(x, y); }
    // The common hover rule: no change while disabled or pressed; inside → hover, else normal.
    bool TrackHover(int x, int y);

    // The press and release of the button family. A left press the control takes makes it pressed
    // and `onPress` reports it. A release inside makes it hover and `onClick` acts and reports the
    // click; outside it returns to normal with no click. Both are ignored while disabled. True
    // when the look changed.
    template <class OnPress> bool PressButton(int x, int y, OnPress&& onPress) {
        if (!TakesPoint(x, y))
            return false;
        state_ = kStatePressed;
        onPress();
        return true;
    }
    bool PressButton(int x, int y) {
        return PressButton(x, y, [] {});
    }
    template <class OnClick> bool ReleaseButton(int x, int y, OnClick&& onClick) {
        if (disabled_)
            return false;
        if (rect_.contains(x, y)) {
            state_ = kStateHover;
            onClick();
        } else {
            state_ = kStateNormal;
        }
        return true;
    }
    // A slider's drag step: the value follows the pointer and every move reports it (code 3 with
    // the value in wParam), changed or not. True when the value changed.
    bool DragTo(int& value, int next);
    // A key's or the wheel's step of a slider's `value` (0 … stops − 1) by `delta`, as a drag to
    // the next value reports it; Ignored when the control is off or the value is at its end.
    StepResult StepValue(int& value, int stops, int delta);

    int id_;
    Rect rect_;
    bool shown_;
    bool active_;
    bool disabled_;
    bool hitTestable_ = true;
    std::u16string text_;
    WindowHandle parent_;
    QFont font_;
    int state_ = kStateNormal;

private:
    std::u16string accessibleName_;
    CControlBase* wheelTarget_ = nullptr;
    bool expander_ = false;
    bool focusable_ = true;
};

// The larger step of PageUp / PageDown on a control with `stops` stops.
int PageStep(int stops);

// A language text with its "%1" replaced by `number`: the names of numbered controls.
std::u16string NumberedText(int textIndex, int number);
// Texts of the names a screen reader speaks for controls without a caption.
inline constexpr int kTextNameDpiLevel = 450;
inline constexpr int kTextNameDpiValue = 451;
inline constexpr int kTextNameDpiColour = 452;
inline constexpr int kTextNameDpiBox = 453;
inline constexpr int kTextNamePowerDial = 454;
inline constexpr int kTextNameLightingColour = 455;
inline constexpr int kTextNameDpiCount = 456;
inline constexpr int kTextNameClose = 457;
inline constexpr int kTextNameMinimise = 458;

// Called as a control goes, so that whoever described it to assistive technology lets go.
using ControlGone = void (*)(const CControlBase*);
ControlGone& ControlGoneHook();

} // namespace quorvik::ui
