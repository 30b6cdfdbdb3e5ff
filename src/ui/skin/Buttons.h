// The button family of the skinned controls: check, radio, DPI level radio, image, colour,
// combo, link and the power-saving dial.
#pragma once

#include "ui/skin/ControlBase.h"

#include <QPolygonF>

#include <array>
#include <vector>

namespace quorvik::ui {

// Up to four image slots: a strip with every look side by side, or one image per look.
class ImageSet {
public:
    void setStrip(const std::string& path, int frames);
    void set(const std::string& normal, const std::string& hover = {}, const std::string& pressed = {});
    void clear();
    bool empty() const;
    // Draws look 0 (normal), 1 (hover), 2 (pressed or checked) or further strip frames stretched
    // over `target`. A missing hover picture falls back to normal, a missing pressed one to hover.
    void draw(QPainter& p, const QRect& target, int look) const;

    SkinImage strip, normal, hover, pressed;
    int frames = 3;
};

// Look colours of the text: normal, hover, pressed or checked.
struct TextColours {
    QColor normal = Rgb(kTextNormal);
    QColor hover = Rgb(kTextHover);
    QColor pressed = Rgb(kTextPressed);
    const QColor& forLook(int look) const { return look == 2 ? pressed : look == 1 ? hover : normal; }
};

// The look shared by the check, radio, DPI level and image buttons: images by look, the caption
// over them in the colour of the look, aligned between two margins (none over a strip image).
struct ButtonFace {
    ImageSet images;
    TextColours colours;
    Qt::Alignment align = Qt::AlignHCenter;
    int marginLeft = 0;
    int marginRight = 0;
    void draw(QPainter& p, const Rect& rect, int look, const std::u16string& caption, const QFont& font) const;
    void setMargins(int left, int right);
    // The look of a button that can be checked: pressed or checked 2, hover 1, else 0.
    static int lookOf(int state, bool checked);
};

class CCheckButton : public CControlBase {
public:
    CCheckButton(WindowHandle parent, int id, const Rect& rect, std::u16string text, bool shown = true,
                 bool active = true, bool disabled = false, Qt::Alignment align = Qt::AlignHCenter);

    void SetImages(const std::string& normal, const std::string& hover = {}, const std::string& pressed = {}) {
        face_.images.set(normal, hover, pressed);
    }
    void SetStripImage(const std::string& path, int frames = 3) { face_.images.setStrip(path, frames); }
    void SetTextColours(const TextColours& colours) { face_.colours = colours; }
    void SetCheckedText(std::u16string text) { checkedText_ = std::move(text); }
    void SetTextMargins(int left, int right) { face_.setMargins(left, right); }
    void SetChecked(bool checked) { checked_ = checked; }
    bool IsChecked() const { return checked_; }
    int Look() const;

    void Draw(QPainter& p, const Rect& clip) override;
    bool OnMouseMove(unsigned, int x, int y) override { return TrackHover(x, y); }
    bool OnLButtonDown(unsigned keys, int x, int y) override;
    bool OnLButtonUp(unsigned keys, int x, int y) override;
    void ReleaseImages() override { face_.images.clear(); }
    AccessRole Role() const override { return AccessRole::CheckBox; }
    std::optional<bool> CheckedState() const override { return checked_; }

private:
    ButtonFace face_;
    std::u16string checkedText_;
    bool checked_ = false;
};

// Checked when its bit of the radio group word is set; a click selects it in its group.
class CRadioButton : public CControlBase {
public:
    CRadioButton(WindowHandle parent, int id, const Rect& rect, std::u16string text, bool shown = true,
                 bool active = true, bool disabled = false, Qt::Alignment align = Qt::AlignHCenter);

    void SetImages(const std::string& normal, const std::string& hover = {}, const std::string& pressed = {}) {
        face_.images.set(normal, hover, pressed);
    }
    void SetStripImage(const std::string& path, int frames = 3) { face_.images.setStrip(path, frames); }
    void SetTextColours(const TextColours& colours) { face_.colours = colours; }
    void SetTextMargins(int left, int right) { face_.setMargins(left, right); }
    bool IsSelected() const;
    int Look() const;

    void Draw(QPainter& p, const Rect& clip) override;
    bool OnMouseMove(unsigned, int x, int y) override { return TrackHover(x, y); }
    bool OnLButtonDown(unsigned keys, int x, int y) override;
    bool OnLButtonUp(unsigned keys, int x, int y) override;
    void ReleaseImages() override { face_.images.clear(); }
    AccessRole Role() const override { return AccessRole::RadioButton; }
    std::optional<bool> CheckedState() const override { return IsSelected(); }
    int ArrowGroup() const override;

private:
    ButtonFace face_;
};

// A DPI level label: a click on 3290 … 3297 sets the DPI level word to that many enabled levels.
class CDPIRadioButton : public CControlBase {
public:
    CDPIRadioButton(WindowHandle parent, int id, const Rect& rect, std::u16string text, bool shown = true,
                    bool active = true, bool disabled = false);
    void SetImages(const std::string& normal, const std::string& hover = {}, const std::string& pressed = {}) {
        face_.images.set(normal, hover, pressed);
    }
    // One colour for the caption in every look.
    void SetTextColour(const QColor& colour) { face_.colours = TextColours{colour, colour, colour}; }
    const QColor& TextColour() const { return face_.colours.normal; }
    void Draw(QPainter& p, const Rect& clip) override;
    bool OnMouseMove(unsigned, int x, int y) override { return TrackHover(x, y); }
    bool OnLButtonDown(unsigned keys, int x, int y) override;
    bool OnLButtonUp(unsigned keys, int x, int y) override;
    void ReleaseImages() override { face_.images.clear(); }
    AccessRole Role() const override { return AccessRole::RadioButton; }
    // Selected while the DPI level word holds the levels this button enables.
    std::optional<bool> CheckedState() const override;
    int ArrowGroup() const override { return kArrowGroupDpiLevels; }
    static constexpr int kArrowGroupDpiLevels = 3290;

private:
    ButtonFace face_;
};

// An image button; its click carries its own id in wParam. Id 3502 also reports hovering.
class CImageButton : public CControlBase {
public:
    CImageButton(WindowHandle parent, int id, const Rect& rect, std::u16string text, bool shown = true,
                 bool active = true, bool disabled = false);
    void SetImages(const std::string& normal, const std::string& hover = {}, const std::string& pressed = {}) {
        face_.images.set(normal, hover, pressed);
    }
    void SetStripImage(const std::string& path, int frames = 3) { face_.images.setStrip(path, frames); }
    void SetTextColours(const TextColours& colours) { face_.colours = colours; }
    void Draw(QPainter& p, const Rect& clip) override;
    bool OnMouseMove(unsigned keys, int x, int y) override;
    bool OnLButtonDown(unsigned keys, int x, int y) override;
    bool OnLButtonUp(unsigned keys, int x, int y) override;
    void ReleaseImages() override { face_.images.clear(); }
    AccessRole Role() const override { return AccessRole::PushButton; }

private:
    ButtonFace face_;
};

// A colour swatch filled inside an inner rectangle (client pixels) that moves with the control.
struct Swatch {
    Rect inner;
    std::uint32_t color = 0x00FF00; // green as a stored colour value (red lowest)
    void follow(const Rect& from, const Rect& to);
    void draw(QPainter& p) const { p.fillRect(inner.toQRect(), FromColorValue(color)); }
};

class CColorSelectButton : public CControlBase {
public:
    CColorSelectButton(WindowHandle parent, int id, const Rect& rect, const Rect& inner, bool shown = true,
                       bool active = true, bool disabled = false);
    void SetColor(std::uint32_t colorValue);
    std::uint32_t GetColor() const { return swatch_.color; }
    void SetRect(int left, int top, int right, int bottom) override;
    void Draw(QPainter& p, const Rect& clip) override;
    bool OnMouseMove(unsigned, int x, int y) override { return TrackHover(x, y); }
    bool OnLButtonDown(unsigned keys, int x, int y) override;
    bool OnLButtonUp(unsigned keys, int x, int y) override;
    AccessRole Role() const override { return AccessRole::PushButton; }

private:
    Swatch swatch_;
};

// A colour swatch with a frame image and a checked flag; double-clicks are reported too.
class CColorSelectCheckButton : public CControlBase {
public:
    CColorSelectCheckButton(WindowHandle parent, int id, const Rect& rect, const Rect& inner, bool shown = true,
                            bool active = true, bool disabled = false);
    void SetImages(const std::string& normal, const std::string& checked) { images_.set(normal, {}, checked); }
    void SetColor(std::uint32_t colorValue);
    std::uint32_t GetColor() const { return swatch_.color; }
    void SetChecked(bool checked) { checked_ = checked; }
    bool IsChecked() const { return checked_; }
    void SetRect(int left, int top, int right, int bottom) override;
    void Draw(QPainter& p, const Rect& clip) override;
    bool OnMouseMove(unsigned, int x, int y) override { return TrackHover(x, y); }
    bool OnLButtonDown(unsigned keys, int x, int y) override;
    bool OnLButtonUp(unsigned keys, int x, int y) override;
    bool OnLButtonDblClk(unsigned keys, int x, int y) override;
    void ReleaseImages() override { images_.clear(); }
    AccessRole Role() const override { return AccessRole::CheckBox; }
    std::optional<bool> CheckedState() const override { return checked_; }
    // The colour slots: arrows move among them, Space presses one, Enter opens its colour as a
    // double-click does.
    int ArrowGroup() const override { return kArrowGroupColourSlots; }
    bool ArrowsPress() const override { return false; }
    StepResult OnKey(unsigned vk, unsigned modifiers) override;
    static constexpr int kArrowGroupColourSlots = -2;

private:
    Swatch swatch_;
    ImageSet images_;
    bool checked_ = false;
};

// A drop-down selector: shows the current choice ("Disable" while its off flag is set) and
// reports clicks, entering and leaving with its popup message number (wParam = its id).
class CComboButton : public CControlBase {
public:
    CComboButton(WindowHandle parent, int id, const Rect& rect, std::u16string text, unsigned popupMessage,
                 bool shown = true, bool active = true, bool disabled = false);
    void SetImages(const std::string& normal, const std::string& hover = {}, const std::string& pressed = {}) {
        images_.set(normal, hover, pressed);
    }
    void SetOff(bool off);
    bool IsOff() const { return off_; }
    unsigned PopupMessage() const { return popupMessage_; }
    // The owner clears the hover look once its popup is gone.
    void ClearHover();
    // While its popup is up the selector keeps the hover look, pointer or not.
    void SetOpenMark(bool open);
    bool HasOpenMark() const { return openMark_; }

    void Draw(QPainter& p, const Rect& clip) override;
    bool OnMouseMove(unsigned keys, int x, int y) override;
    bool OnLButtonDown(unsigned keys, int x, int y) override;
    bool OnLButtonUp(unsigned keys, int x, int y) override;
    void ReleaseImages() override { images_.clear(); }
    AccessRole Role() const override { return AccessRole::ComboBox; }

    static constexpr int kMaxEnterReports = 5;

private:
    ImageSet images_;
    unsigned popupMessage_;
    bool off_ = false;
    bool openMark_ = false;
    bool inside_ = false;
    int enterReports_ = 0;
};

// A text link; always reports with message 3503.
class CLinkButton : public CControlBase {
public:
    static constexpr unsigned kMessage = 3503;
    CLinkButton(WindowHandle parent, int id, const Rect& rect, std::u16string text, bool shown = true,
                bool active = true, bool disabled = false);
    void SetColours(const QColor& normal, const QColor& hover) {
        normal_ = normal;
        hover_ = hover;
    }
    void Draw(QPainter& p, const Rect& clip) override;
    bool OnMouseMove(unsigned keys, int x, int y) override;
    bool OnLButtonDown(unsigned keys, int x, int y) override;
    bool OnLButtonUp(unsigned keys, int x, int y) override;
    AccessRole Role() const override { return AccessRole::Link; }

private:
    QColor normal_ = Rgb(kAccent);
    QColor hover_ = Rgb(kTextHover);
    bool inside_ = false;
};

// The power-saving dial: ten regions, of which the ring sectors 2 … 9 choose 3 … 10 minutes.
class CPowerManageButton : public CControlBase {
public:
    static constexpr unsigned kMessage = 3500;
    CPowerManageButton(WindowHandle parent, int id, const Rect& rect, bool shown = true, bool active = true,
                       bool disabled = false);
    // One picture per choice, 3 … 10 minutes in order.
    void SetImages(const std::array<std::string, 8>& paths);
    int GetChoice() const { return choice_; }
    void SetChoice(int minutes);
    // Region 0 … 9 under the point, or -1.
    int RegionAt(int x, int y) const;

    void SetRect(int left, int top, int right, int bottom) override;
    void Draw(QPainter& p, const Rect& clip) override;
    bool OnMouseMove(unsigned keys, int x, int y) override;
    bool OnLButtonDown(unsigned keys, int x, int y) override;
    bool OnLButtonUp(unsigned keys, int x, int y) override;
    void ReleaseImages() override;
    AccessRole Role() const override { return AccessRole::Dial; }
    std::optional<AccessValue> Value() const override { return AccessValue{3, 10, choice_}; }
    // A choice by key is reported as a click on its sector is.
    StepResult Step(int delta) override;
    StepResult Press() override { return StepResult::Ignored; }

private:
    void buildRegions();
    std::array<QPolygonF, 10> regions_;
    std::array<SkinImage, 8> images_;
    int choice_ = 10;
    int hotRegion_ = -1;
};

} // namespace quorvik::ui
