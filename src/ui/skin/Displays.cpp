#include "ui/skin/Displays.h"

#include "ui/skin/ProgramWords.h"

namespace quorvik::ui {

// ---- CBattery ----

CBattery::CBattery(WindowHandle parent, int id, const Rect& rect, bool shown, bool active, bool disabled)
    : CControlBase(parent, id, rect, {}, shown, active, disabled) {}

void CBattery::SetImages(const std::string& full, const std::string& empty, const std::string& charging,
                         const std::string& lighting, const std::string& green, const std::string& orange,
                         const std::string& red) {
    full_.load(full);
    empty_.load(empty);
    charging_.load(charging);
    lighting_.load(lighting);
    green_.load(green);
    orange_.load(orange);
    red_.load(red);
}

void CBattery::SetStatus(int level, int chargeState, int phase) {
    level_ = std::clamp(level, 0, 100);
    chargeState_ = chargeState;
    phase_ = std::clamp(phase, 0, 100);
    Invalidate();
}

void CBattery::Draw(QPainter& p, const Rect&) {
    QRect box = rect_.toQRect();
    if (chargeState_ == 2) {
        full_.draw(p, box);
        return;
    }
    bool charging = chargeState_ == 1;
    (charging ? charging_ : empty_).draw(p, box);
    // While charging the fill runs up with the animation phase; otherwise it shows the level.
    int percent = charging ? phase_ : level_;
    const SkinImage& fill = level_ > 50 || charging ? green_ : level_ > 20 ? orange_ : red_;
    if (!fill.isNull() && percent > 0) {
        p.save();
        p.setClipRect(QRect(box.left(), box.top(), box.width() * percent / 100, box.height()));
        fill.draw(p, box);
        p.restore();
    }
    if (charging)
        lighting_.draw(p, box);
}

bool CBattery::OnLButtonDown(unsigned, int x, int y) {
    if (TakesPoint(x, y))
        NotifySelf(kCodeDown);
    return false;
}

void CBattery::ReleaseImages() {
    for (SkinImage* image : {&full_, &empty_, &charging_, &lighting_, &green_, &orange_, &red_})
        image->clear();
}

// ---- CStaticImage ----

CStaticImage::CStaticImage(WindowHandle parent, int id, const Rect& rect, bool shown, bool active, bool disabled)
    : CControlBase(parent, id, rect, {}, shown, active, disabled) {}

void CStaticImage::Draw(QPainter& p, const Rect&) {
    image_.draw(p, rect_.toQRect());
}

bool CStaticImage::OnLButtonDown(unsigned, int x, int y) {
    PressButton(x, y, [this] { NotifySelf(kCodeDown); });
    return false; // a picture has no pressed look
}

bool CStaticImage::OnLButtonUp(unsigned, int x, int y) {
    if (disabled_)
        return false;
    bool wasPressed = state_ == kStatePressed;
    state_ = kStateNormal;
    if (wasPressed && rect_.contains(x, y))
        NotifySelf(kCodeClick);
    return false;
}

// ---- CStaticText ----

CStaticText::CStaticText(WindowHandle parent, int id, const Rect& rect, std::u16string text, const QColor& colour,
                         Qt::Alignment align, bool shown, bool active, bool disabled)
    : CControlBase(parent, id, rect, std::move(text), shown, active, disabled), colour_(colour), align_(align) {}

void CStaticText::SetColour(const QColor& colour) {
    SetAndRedraw(colour_, colour);
}

void CStaticText::Draw(QPainter& p, const Rect&) {
    QString text = QString::fromStdU16String(text_);
    if (!wordWrap_) {
        DrawSingleLine(p, rect_.toQRect(), text, colour_, font_, align_);
        return;
    }
    p.save();
    p.setFont(font_);
    p.setPen(colour_);
    p.drawText(rect_.toQRect(), int(align_ | Qt::AlignVCenter | Qt::TextWordWrap), text);
    p.restore();
}

// ---- CTabControl ----

CTabControl::CTabControl(WindowHandle parent, int id, const Rect& rect, std::u16string text, bool shown, bool active,
                         bool disabled)
    : CControlBase(parent, id, rect, std::move(text), shown, active, disabled) {}

void CTabControl::SetImages(const std::string& normal, const std::string& hover, const std::string& selected,
                            const std::string& selectedHover) {
    images_.set(normal, hover, selected);
    if (!selectedHover.empty())
        selectedHover_.load(selectedHover);
}

void CTabControl::ReleaseImages() {
    images_.clear();
    selectedHover_.clear();
}

bool CTabControl::IsSelected() const {
    TabSlot slot = TabSlotOf(id_);
    if (slot.group == 'A')
        return TabSelectionA() == slot.value;
    if (slot.group == 'B')
        return TabSelectionB() == slot.value;
    return false;
}

int CTabControl::Look() const {
    if (IsSelected()) {
        bool hot = state_ != kStateNormal;
        return hot && TabSlotOf(id_).group == 'A' ? 3 : 2;
    }
    return state_ == kStatePressed ? 1 : state_;
}

void CTabControl::Draw(QPainter& p, const Rect&) {
    int look = Look();
    QRect box = rect_.toQRect();
    if (look == 3 && !selectedHover_.isNull())
        selectedHover_.draw(p, box);
    else
        images_.draw(p, box, std::min(look, 2));
    if (images_.empty() && look >= 2) {
        // Without pictures a selected tab is marked by an accent line under its caption.
        p.fillRect(QRect(box.left(), box.bottom() - Scaled(2) + 1, box.width(), Scaled(2)), Rgb(kAccent));
    }
    QColor colour = look == 0 ? Rgb(kTextNormal) : Rgb(kTextHover);
    const int inset = Scaled(kCaptionInsetUnits);
    DrawSingleLine(p, box.adjusted(inset, 0, -inset, 0), QString::fromStdU16String(text_), colour, font_,
                   Qt::AlignHCenter);
}

bool CTabControl::OnLButtonDown(unsigned, int x, int y) {
    return PressButton(x, y);
}

bool CTabControl::OnLButtonUp(unsigned, int x, int y) {
    return ReleaseButton(x, y, [this] {
        TabSlot slot = TabSlotOf(id_);
        if (slot.group == 'A')
            SetTabSelectionA(slot.value);
        else if (slot.group == 'B')
            SetTabSelectionB(slot.value);
        NotifySelf(kCodeClick);
    });
}

bool CTabControl::OnRButtonUp(unsigned, int x, int y) {
    if (TakesPoint(x, y))
        Notify(unsigned(id_), WPARAM(id_), kCodeRightClick);
    return false;
}

} // namespace quorvik::ui
