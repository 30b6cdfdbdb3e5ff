#include "ui/skin/Buttons.h"

#include "ui/skin/DialGeometry.h"
#include "ui/skin/ProgramWords.h"

namespace quorvik::ui {

// ---- ImageSet ----

void ImageSet::setStrip(const std::string& path, int frameCount) {
    strip.load(path);
    frames = std::max(1, frameCount);
}

void ImageSet::set(const std::string& n, const std::string& h, const std::string& d) {
    normal.load(n);
    if (!h.empty())
        hover.load(h);
    if (!d.empty())
        pressed.load(d);
}

void ImageSet::clear() {
    strip.clear();
    normal.clear();
    hover.clear();
    pressed.clear();
}

bool ImageSet::empty() const {
    return strip.isNull() && normal.isNull() && hover.isNull() && pressed.isNull();
}

void ImageSet::draw(QPainter& p, const QRect& target, int look) const {
    if (!strip.isNull()) {
        double frameWidth = double(strip.width()) / frames;
        int frame = std::clamp(look, 0, frames - 1);
        strip.draw(p, target, QRectF(frame * frameWidth, 0, frameWidth, strip.height()));
        return;
    }
    const SkinImage* image = &normal;
    if (look >= 2)
        image = !pressed.isNull() ? &pressed : !hover.isNull() ? &hover : &normal;
    else if (look == 1 && !hover.isNull())
        image = &hover;
    image->draw(p, target);
}

// ---- ButtonFace ----

void ButtonFace::draw(QPainter& p, const Rect& rect, int look, const std::u16string& caption, const QFont& font) const {
    images.draw(p, rect.toQRect(), look);
    if (!images.strip.isNull())
        return;
    QRect box = rect.toQRect().adjusted(marginLeft, 0, -marginRight, 0);
    DrawSingleLine(p, box, QString::fromStdU16String(caption), colours.forLook(look), font, align);
}

void ButtonFace::setMargins(int left, int right) {
    marginLeft = left;
    marginRight = right;
}

int ButtonFace::lookOf(int state, bool checked) {
    if (state == kStatePressed || checked)
        return 2;
    return state == kStateHover ? 1 : 0;
}

// ---- CCheckButton ----

CCheckButton::CCheckButton(WindowHandle parent, int id, const Rect& rect, std::u16string text, bool shown, bool active,
                           bool disabled, Qt::Alignment align)
    : CControlBase(parent, id, rect, std::move(text), shown, active, disabled) {
    face_.align = align;
}

int CCheckButton::Look() const {
    return ButtonFace::lookOf(state_, checked_);
}

void CCheckButton::Draw(QPainter& p, const Rect&) {
    int look = Look();
    bool useSecond = look == 2 && checked_ && !checkedText_.empty();
    face_.draw(p, rect_, look, useSecond ? checkedText_ : text_, font_);
}

bool CCheckButton::OnLButtonDown(unsigned, int x, int y) {
    return PressButton(x, y, [this] { NotifySelf(kCodeDown); });
}

bool CCheckButton::OnLButtonUp(unsigned, int x, int y) {
    return ReleaseButton(x, y, [this] {
        checked_ = !checked_;
        NotifySelf(kCodeClick);
    });
}

// ---- CRadioButton ----

CRadioButton::CRadioButton(WindowHandle parent, int id, const Rect& rect, std::u16string text, bool shown, bool active,
                           bool disabled, Qt::Alignment align)
    : CControlBase(parent, id, rect, std::move(text), shown, active, disabled) {
    face_.align = align;
}

bool CRadioButton::IsSelected() const {
    int bit = RadioBit(id_);
    return bit >= 0 && (RadioGroupWord() & (1u << bit)) != 0;
}

int CRadioButton::Look() const {
    return ButtonFace::lookOf(state_, IsSelected());
}

void CRadioButton::Draw(QPainter& p, const Rect&) {
    face_.draw(p, rect_, Look(), text_, font_);
}

bool CRadioButton::OnLButtonDown(unsigned, int x, int y) {
    return PressButton(x, y, [this] { NotifySelf(kCodeDown); });
}

bool CRadioButton::OnLButtonUp(unsigned, int x, int y) {
    return ReleaseButton(x, y, [this] {
        SelectRadio(id_);
        NotifySelf(kCodeClick);
    });
}

// ---- CDPIRadioButton ----

CDPIRadioButton::CDPIRadioButton(WindowHandle parent, int id, const Rect& rect, std::u16string text, bool shown,
                                 bool active, bool disabled)
    : CControlBase(parent, id, rect, std::move(text), shown, active, disabled) {
    SetTextColour(Rgb(kTextNormal));
}

void CDPIRadioButton::Draw(QPainter& p, const Rect&) {
    face_.draw(p, rect_, state_, text_, font_);
}

bool CDPIRadioButton::OnLButtonDown(unsigned, int x, int y) {
    return PressButton(x, y);
}

bool CDPIRadioButton::OnLButtonUp(unsigned, int x, int y) {
    return ReleaseButton(x, y, [this] {
        if (id_ >= 3290 && id_ <= 3297) {
            int levels = id_ - 3290 + 1;
            SetDpiLevelWord((DpiLevelWord() & ~0xFFu) | ((1u << levels) - 1));
        }
        NotifySelf(kCodeClick);
    });
}

// ---- CImageButton ----

CImageButton::CImageButton(WindowHandle parent, int id, const Rect& rect, std::u16string text, bool shown, bool active,
                           bool disabled)
    : CControlBase(parent, id, rect, std::move(text), shown, active, disabled) {}

void CImageButton::Draw(QPainter& p, const Rect&) {
    face_.draw(p, rect_, state_, text_, font_);
}

bool CImageButton::OnMouseMove(unsigned, int x, int y) {
    bool wasHover = state_ == kStateHover;
    bool changed = TrackHover(x, y);
    if (changed && !wasHover && state_ == kStateHover && id_ == 3502)
        NotifySelf(kCodeHover3502);
    return changed;
}

bool CImageButton::OnLButtonDown(unsigned, int x, int y) {
    return PressButton(x, y, [this] { NotifySelf(kCodeDown, WPARAM(id_)); });
}

bool CImageButton::OnLButtonUp(unsigned, int x, int y) {
    return ReleaseButton(x, y, [this] { NotifySelf(kCodeClick, WPARAM(id_)); });
}

// ---- Swatch ----

void Swatch::follow(const Rect& from, const Rect& to) {
    const int dx = to.left - from.left;
    const int dy = to.top - from.top;
    inner = Rect{inner.left + dx, inner.top + dy, inner.right + dx, inner.bottom + dy};
}

// ---- CColorSelectButton ----

CColorSelectButton::CColorSelectButton(WindowHandle parent, int id, const Rect& rect, const Rect& inner, bool shown,
                                       bool active, bool disabled)
    : CControlBase(parent, id, rect, {}, shown, active, disabled) {
    swatch_.inner = inner;
}

void CColorSelectButton::SetColor(std::uint32_t colorValue) {
    SetAndRedraw(swatch_.color, colorValue);
}

void CColorSelectButton::SetRect(int left, int top, int right, int bottom) {
    swatch_.follow(rect_, Rect{left, top, right, bottom});
    CControlBase::SetRect(left, top, right, bottom);
}

void CColorSelectButton::Draw(QPainter& p, const Rect&) {
    swatch_.draw(p);
    if (state_ != kStateNormal) {
        p.save();
        p.setPen(QPen(state_ == kStatePressed ? Rgb(kAccent) : Rgb(kTextHover), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect_.toQRect().adjusted(0, 0, -1, -1));
        p.restore();
    }
}

bool CColorSelectButton::OnLButtonDown(unsigned, int x, int y) {
    return PressButton(x, y, [this] { NotifySelf(kCodeDown); });
}

bool CColorSelectButton::OnLButtonUp(unsigned, int x, int y) {
    return ReleaseButton(x, y, [this] { NotifySelf(kCodeClick); });
}

// ---- CColorSelectCheckButton ----

CColorSelectCheckButton::CColorSelectCheckButton(WindowHandle parent, int id, const Rect& rect, const Rect& inner,
                                                 bool shown, bool active, bool disabled)
    : CControlBase(parent, id, rect, {}, shown, active, disabled) {
    swatch_.inner = inner;
}

void CColorSelectCheckButton::SetColor(std::uint32_t colorValue) {
    SetAndRedraw(swatch_.color, colorValue);
}

void CColorSelectCheckButton::SetRect(int left, int top, int right, int bottom) {
    swatch_.follow(rect_, Rect{left, top, right, bottom});
    CControlBase::SetRect(left, top, right, bottom);
}

void CColorSelectCheckButton::Draw(QPainter& p, const Rect&) {
    swatch_.draw(p);
    int look = checked_ ? 2 : state_ == kStateHover ? 1 : 0;
    images_.draw(p, rect_.toQRect(), look);
    if (images_.empty() && state_ == kStateHover) {
        p.save();
        p.setPen(Rgb(kTextHover));
        p.drawRect(rect_.toQRect().adjusted(0, 0, -1, -1));
        p.restore();
    }
}

bool CColorSelectCheckButton::OnLButtonDown(unsigned, int x, int y) {
    return PressButton(x, y, [this] { NotifySelf(kCodeDown); });
}

bool CColorSelectCheckButton::OnLButtonUp(unsigned, int x, int y) {
    return ReleaseButton(x, y, [this] {
        checked_ = !checked_;
        NotifySelf(kCodeClick);
    });
}

bool CColorSelectCheckButton::OnLButtonDblClk(unsigned, int x, int y) {
    if (TakesPoint(x, y))
        NotifySelf(kCodeDoubleClick);
    return false;
}

// ---- CComboButton ----

CComboButton::CComboButton(WindowHandle parent, int id, const Rect& rect, std::u16string text, unsigned popupMessage,
                           bool shown, bool active, bool disabled)
    : CControlBase(parent, id, rect, std::move(text), shown, active, disabled), popupMessage_(popupMessage) {}

void CComboButton::SetOff(bool off) {
    SetAndRedraw(off_, off);
}

void CComboButton::ClearHover() {
    inside_ = false;
    enterReports_ = 0;
    if (state_ != kStateNormal) {
        state_ = kStateNormal;
        Invalidate();
    }
}

void CComboButton::SetOpenMark(bool open) {
    SetAndRedraw(openMark_, open);
}

void CComboButton::Draw(QPainter& p, const Rect&) {
    const int look = openMark_ ? std::max(state_, kStateHover) : state_;
    images_.draw(p, rect_.toQRect(), look);
    // The arrow sits at the right end of the picture; the caption keeps clear of it.
    QRect box = rect_.toQRect().adjusted(Scaled(8), 0, -Scaled(22), 0);
    QString caption = off_ ? QStringLiteral("Disable") : QString::fromStdU16String(text_);
    DrawSingleLine(p, box, caption, look == kStateNormal ? Rgb(kTextNormal) : Rgb(kTextHover), font_, Qt::AlignLeft);
}

bool CComboButton::OnMouseMove(unsigned, int x, int y) {
    if (disabled_)
        return false;
    bool inside = rect_.contains(x, y);
    bool changed = false;
    if (inside) {
        // The owner opens or refreshes its popup on code 4; a few reports are enough to catch a
        // popup that was still closing, after that the selector stays quiet until left.
        if (enterReports_ < kMaxEnterReports) {
            ++enterReports_;
            Notify(popupMessage_, WPARAM(id_), kCodeEnter);
        }
        if (state_ == kStateNormal) {
            state_ = kStateHover;
            changed = true;
        }
    } else {
        if (inside_) {
            enterReports_ = 0;
            Notify(popupMessage_, WPARAM(id_), kCodeLeave);
        }
        // Also after the owner cleared the hover while the pointer was still inside and a click
        // lit it again: outside is normal.
        if (state_ == kStateHover) {
            state_ = kStateNormal;
            changed = true;
        }
    }
    inside_ = inside;
    return changed;
}

bool CComboButton::OnLButtonDown(unsigned, int x, int y) {
    return PressButton(x, y, [this] { NotifySelf(kCodeDown); });
}

bool CComboButton::OnLButtonUp(unsigned, int x, int y) {
    return ReleaseButton(x, y, [this] { Notify(popupMessage_, WPARAM(id_), kCodeClick); });
}

// ---- CLinkButton ----

CLinkButton::CLinkButton(WindowHandle parent, int id, const Rect& rect, std::u16string text, bool shown, bool active,
                         bool disabled)
    : CControlBase(parent, id, rect, std::move(text), shown, active, disabled) {}

void CLinkButton::Draw(QPainter& p, const Rect&) {
    QFont f = font_;
    f.setUnderline(state_ != kStateNormal);
    DrawSingleLine(p, rect_.toQRect(), QString::fromStdU16String(text_), state_ == kStateNormal ? normal_ : hover_, f,
                   Qt::AlignLeft);
}

bool CLinkButton::OnMouseMove(unsigned, int x, int y) {
    if (disabled_)
        return false;
    bool inside = rect_.contains(x, y);
    if (inside != inside_) {
        inside_ = inside;
        Notify(kMessage, 0, inside ? kCodeEnter : kCodeLeave);
    }
    return TrackHover(x, y);
}

bool CLinkButton::OnLButtonDown(unsigned, int x, int y) {
    return PressButton(x, y, [this] { Notify(kMessage, 0, kCodeDown); });
}

bool CLinkButton::OnLButtonUp(unsigned, int x, int y) {
    return ReleaseButton(x, y, [this] { Notify(kMessage, 0, kCodeClick); });
}

// ---- CPowerManageButton ----

CPowerManageButton::CPowerManageButton(WindowHandle parent, int id, const Rect& rect, bool shown, bool active,
                                       bool disabled)
    : CControlBase(parent, id, rect, {}, shown, active, disabled) {
    buildRegions();
}

void CPowerManageButton::buildRegions() {
    QRectF box(rect_.left, rect_.top, rect_.width(), rect_.height());
    for (int k = 0; k < kDialRegions; ++k)
        regions_[std::size_t(k)] = DialRegion(box, k);
}

void CPowerManageButton::SetImages(const std::array<std::string, 8>& paths) {
    for (std::size_t i = 0; i < paths.size(); ++i)
        images_[i].load(paths[i]);
}

void CPowerManageButton::SetChoice(int minutes) {
    SetAndRedraw(choice_, std::clamp(minutes, 3, 10));
}

int CPowerManageButton::RegionAt(int x, int y) const {
    QPointF point(x + 0.5, y + 0.5);
    for (int k = 0; k < kDialRegions; ++k)
        if (regions_[std::size_t(k)].containsPoint(point, Qt::OddEvenFill))
            return k;
    return -1;
}

void CPowerManageButton::SetRect(int left, int top, int right, int bottom) {
    CControlBase::SetRect(left, top, right, bottom);
    buildRegions();
}

void CPowerManageButton::Draw(QPainter& p, const Rect&) {
    images_[std::size_t(choice_ - 3)].draw(p, rect_.toQRect());
    if (hotRegion_ >= 2 && hotRegion_ <= 9 && hotRegion_ + 1 != choice_) {
        p.save();
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 40));
        p.drawPolygon(regions_[std::size_t(hotRegion_)]);
        p.restore();
    }
}

bool CPowerManageButton::OnMouseMove(unsigned, int x, int y) {
    if (disabled_)
        return false;
    int region = rect_.contains(x, y) ? RegionAt(x, y) : -1;
    TrackHover(x, y);
    if (region == hotRegion_)
        return false;
    hotRegion_ = region;
    return true;
}

bool CPowerManageButton::OnLButtonDown(unsigned, int x, int y) {
    PressButton(x, y);
    return false; // the dial has no pressed look
}

bool CPowerManageButton::OnLButtonUp(unsigned, int x, int y) {
    if (disabled_)
        return false;
    state_ = rect_.contains(x, y) ? kStateHover : kStateNormal;
    int k = rect_.contains(x, y) ? RegionAt(x, y) : -1;
    if (k < 2 || k > 9)
        return false;
    choice_ = k + 1;
    Notify(kMessage, 0, kCodeClick);
    return true;
}

void CPowerManageButton::ReleaseImages() {
    for (auto& image : images_)
        image.clear();
}

} // namespace quorvik::ui
