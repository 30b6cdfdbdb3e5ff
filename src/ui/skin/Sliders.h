// Value controls: horizontal and vertical sliders, the vertical scroll bar and the DPI value box.
#pragma once

#include "ui/skin/Buttons.h"

namespace quorvik::ui {

// n stops between a left and a right margin; the value is a stop index.
class CSliderControl : public CControlBase {
public:
    CSliderControl(WindowHandle parent, int id, const Rect& rect, int stops, int leftMargin, int rightMargin,
                   bool shown = true, bool active = true, bool disabled = false);
    void SetImages(const std::string& bar, const std::string& thumb);
    void SetBarImage(const std::string& bar) { bar_.load(bar); }
    void SetThumbImage(const std::string& thumb) { thumb_.load(thumb); }

    int Stops() const { return stops_; }
    int GetValue() const { return value_; }
    void SetValue(int value);
    // x of stop i in client pixels.
    int StopX(int i) const;
    // The stop a pointer at x selects (x is clamped to the rectangle).
    int ValueFromX(int x) const;
    Rect ThumbRect() const;
    bool IsDragging() const { return dragging_; }

    void Draw(QPainter& p, const Rect& clip) override;
    bool OnMouseMove(unsigned keys, int x, int y) override;
    bool OnLButtonDown(unsigned keys, int x, int y) override;
    bool OnLButtonUp(unsigned keys, int x, int y) override;
    void ReleaseImages() override;
    AccessRole Role() const override { return AccessRole::Slider; }
    std::optional<AccessValue> Value() const override { return AccessValue{0, stops_ - 1, value_}; }
    StepResult Step(int delta) override;
    void EndStep() override;
    // A press in the middle would move the value there: Space and Enter leave a slider alone.
    StepResult Press() override { return StepResult::Ignored; }

private:
    void drawFace(QPainter& p) const;

    int stops_;
    int leftMargin_;
    int rightMargin_;
    int value_ = 0;
    bool dragging_ = false;
    SkinImage bar_;
    SkinImage thumb_;
};

// A level bar drawn from the bottom up: the vertical slider's look.
void DrawLevelBar(QPainter& p, const QRect& box, double fraction, const QColor& fill, bool hot);

// n stops from the bottom (0) to the top (n − 1). A press starts a drag; the release reports the
// value (code 2) inside the bar, and also beside it when a drag ends there.
class CVerticalSliderControl : public CControlBase {
public:
    CVerticalSliderControl(WindowHandle parent, int id, const Rect& rect, int stops, int topMargin, int bottomMargin,
                           bool shown = true, bool active = true, bool disabled = false);
    int Stops() const { return stops_; }
    int GetValue() const { return value_; }
    void SetValue(int value);
    void SetStops(int stops);
    // The stop a pointer at y selects (y is clamped to the rectangle).
    int ValueFromY(int y) const;
    void SetBarColour(const QColor& colour) { colour_ = colour; }
    bool IsDragging() const { return dragging_; }

    void Draw(QPainter& p, const Rect& clip) override;
    bool OnMouseMove(unsigned keys, int x, int y) override;
    bool OnLButtonDown(unsigned keys, int x, int y) override;
    bool OnLButtonUp(unsigned keys, int x, int y) override;
    AccessRole Role() const override { return AccessRole::Slider; }
    std::optional<AccessValue> Value() const override { return AccessValue{0, stops_ - 1, value_}; }
    StepResult Step(int delta) override;
    void EndStep() override;
    StepResult Press() override { return StepResult::Ignored; }

private:
    int stops_;
    int topMargin_;
    int bottomMargin_;
    int value_ = 0;
    bool dragging_ = false;
    QColor colour_ = Rgb(kAccent);
};

// wParam values of a scroll bar's button-down message: which part was pressed.
inline constexpr WPARAM kScrollThumb = 0;
inline constexpr WPARAM kScrollLineUp = 6;
inline constexpr WPARAM kScrollLineDown = 7;
inline constexpr WPARAM kScrollPageUp = 8;
inline constexpr WPARAM kScrollPageDown = 9;

// A vertical scroll bar: up arrow, track with thumb, down arrow. The owner moves the position
// on the arrow and page codes and hands back position, page and total together.
class CVScrollBar : public CControlBase {
public:
    CVScrollBar(WindowHandle parent, int id, const Rect& rect, bool shown = true, bool active = true,
                bool disabled = false);
    // Strip images of the arrows: normal and hover frames side by side.
    void SetArrowImages(const std::string& up, const std::string& down);
    void SetScroll(int position, int page, int total);
    int Position() const { return position_; }
    int Page() const { return page_; }
    int Total() const { return total_; }
    int MaxPosition() const { return std::max(0, total_ - page_); }

    // Geometry in client pixels.
    Rect UpArrow() const;
    Rect DownArrow() const;
    Rect Track() const;
    Rect Thumb() const;
    bool IsDragging() const { return dragging_; }

    void Draw(QPainter& p, const Rect& clip) override;
    bool OnMouseMove(unsigned keys, int x, int y) override;
    bool OnLButtonDown(unsigned keys, int x, int y) override;
    bool OnLButtonUp(unsigned keys, int x, int y) override;
    void ReleaseImages() override;
    AccessRole Role() const override { return AccessRole::ScrollBar; }
    std::optional<AccessValue> Value() const override { return AccessValue{0, MaxPosition(), position_}; }
    // Each notch is three presses of an arrow, as the owner moves a row per press.
    StepResult OnWheel(int steps) override;
    StepResult Press() override { return StepResult::Ignored; }
    // A press and release of an arrow (kScrollLineUp, kScrollLineDown), as the mouse sends it.
    void PressArrow(WPARAM part);
    static constexpr int kRowsPerNotch = 3;

private:
    int thumbLength() const;
    int thumbOffset() const;
    // The part under a point inside the bar: an arrow, the thumb, or the track above or below it.
    WPARAM partAt(int x, int y) const;

    int position_ = 0;
    int page_ = 1;
    int total_ = 0;
    bool dragging_ = false;
    int dragGrip_ = 0;        // pointer y minus thumb top when the drag started
    int dragThumbOffset_ = 0; // thumb offset in the track while dragging
    int hotPart_ = -1;        // 6 up, 7 down, 0 thumb, -1 none
    SkinImage up_;
    SkinImage down_;
};

// The DPI value box of a level: its step as a bar, the DPI number as caption.
class CDPIValueShowControl : public CControlBase {
public:
    CDPIValueShowControl(WindowHandle parent, int id, const Rect& rect, std::u16string text, bool shown = true,
                         bool active = true, bool disabled = false);
    void SetImages(const std::string& normal, const std::string& hover = {}) { images_.set(normal, hover); }
    void SetValue(int step, int stepCount);
    int GetValue() const { return value_; }
    int StepCount() const { return steps_; }

    void Draw(QPainter& p, const Rect& clip) override;
    bool OnMouseMove(unsigned, int x, int y) override { return TrackHover(x, y); }
    bool OnLButtonDown(unsigned keys, int x, int y) override;
    bool OnLButtonUp(unsigned keys, int x, int y) override;
    void ReleaseImages() override { images_.clear(); }
    AccessRole Role() const override { return AccessRole::PushButton; }

private:
    ImageSet images_;
    int value_ = 0;
    int steps_ = 1;
};

} // namespace quorvik::ui
