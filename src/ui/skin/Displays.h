// Display controls: battery gauge, picture, label and tab.
#pragma once

#include "ui/skin/Buttons.h"
#include "ui/skin/ProgramWords.h"

namespace quorvik::ui {

// The battery gauge: a frame picture by charge state and a level picture cut at the level.
class CBattery : public CControlBase {
public:
    CBattery(WindowHandle parent, int id, const Rect& rect, bool shown = true, bool active = true,
             bool disabled = false);
    void SetImages(const std::string& full, const std::string& empty, const std::string& charging,
                   const std::string& lighting, const std::string& green, const std::string& orange,
                   const std::string& red);
    // Level in percent, charge state 0 not charging / 1 charging / 2 full, animation phase 0 … 100.
    void SetStatus(int level, int chargeState, int phase);
    int Level() const { return level_; }
    int ChargeState() const { return chargeState_; }

    void Draw(QPainter& p, const Rect& clip) override;
    bool OnLButtonDown(unsigned keys, int x, int y) override;
    void ReleaseImages() override;
    AccessRole Role() const override { return AccessRole::Indicator; }
    std::optional<AccessValue> Value() const override { return AccessValue{0, 100, level_}; }

private:
    SkinImage full_, empty_, charging_, lighting_, green_, orange_, red_;
    int level_ = 0;
    int chargeState_ = 0;
    int phase_ = 0;
};

// A picture stretched over the control; clicks are reported.
class CStaticImage : public CControlBase {
public:
    CStaticImage(WindowHandle parent, int id, const Rect& rect, bool shown = true, bool active = true,
                 bool disabled = false);
    void SetImage(const std::string& path) { image_.load(path); }
    void SetImage(QImage image) { image_.setImage(std::move(image)); }
    bool HasImage() const { return !image_.isNull(); }
    void Draw(QPainter& p, const Rect& clip) override;
    bool OnLButtonDown(unsigned keys, int x, int y) override;
    bool OnLButtonUp(unsigned keys, int x, int y) override;
    void ReleaseImages() override { image_.clear(); }
    AccessRole Role() const override { return AccessRole::Picture; }

private:
    SkinImage image_;
};

// A label; it never reports anything.
class CStaticText : public CControlBase {
public:
    CStaticText(WindowHandle parent, int id, const Rect& rect, std::u16string text, const QColor& colour,
                Qt::Alignment align = Qt::AlignLeft, bool shown = true, bool active = true, bool disabled = false);
    void SetColour(const QColor& colour);
    const QColor& Colour() const { return colour_; }
    // Several lines broken at words, vertically centred as a block.
    void SetWordWrap(bool wrap) { wordWrap_ = wrap; }
    void Draw(QPainter& p, const Rect& clip) override;
    AccessRole Role() const override { return AccessRole::Label; }

private:
    QColor colour_;
    Qt::Alignment align_;
    bool wordWrap_ = false;
};

// A tab of one of the two program-wide tab groups.
class CTabControl : public CControlBase {
public:
    // The caption keeps this far (scaled) from the tab's sides, so that a long one, cut off, does
    // not run into the tab's edge.
    static constexpr int kCaptionInsetUnits = 4;

    CTabControl(WindowHandle parent, int id, const Rect& rect, std::u16string text, bool shown = true,
                bool active = true, bool disabled = false);
    // Pictures of the looks: normal, hover, selected, and selected under the pointer (group A).
    void SetImages(const std::string& normal, const std::string& hover, const std::string& selected,
                   const std::string& selectedHover = {});
    bool IsSelected() const;
    int Look() const;

    void Draw(QPainter& p, const Rect& clip) override;
    bool OnMouseMove(unsigned, int x, int y) override { return TrackHover(x, y); }
    bool OnLButtonDown(unsigned keys, int x, int y) override;
    bool OnLButtonUp(unsigned keys, int x, int y) override;
    bool OnRButtonUp(unsigned keys, int x, int y) override;
    void ReleaseImages() override;
    AccessRole Role() const override { return AccessRole::PageTab; }
    // The Menu key opens the tab's context menu, as a right-click on it does.
    StepResult OnKey(unsigned vk, unsigned modifiers) override;
    std::optional<bool> CheckedState() const override { return IsSelected(); }
    int ArrowGroup() const override { return int(TabSlotOf(id_).group); }

private:
    ImageSet images_;
    SkinImage selectedHover_;
};

} // namespace quorvik::ui
