#include "ui/skin/Sliders.h"

#include <QPainterPath>

#include <utility>

namespace quorvik::ui {

// ---- CSliderControl ----

CSliderControl::CSliderControl(WindowHandle parent, int id, const Rect& rect, int stops, int leftMargin,
                               int rightMargin, bool shown, bool active, bool disabled)
    : CControlBase(parent, id, rect, {}, shown, active, disabled), stops_(std::max(1, stops)), leftMargin_(leftMargin),
      rightMargin_(rightMargin) {}

void CSliderControl::SetImages(const std::string& bar, const std::string& thumb) {
    bar_.load(bar);
    thumb_.load(thumb);
}

void CSliderControl::ReleaseImages() {
    bar_.clear();
    thumb_.clear();
}

void CSliderControl::SetValue(int value) {
    SetAndRedraw(value_, std::clamp(value, 0, stops_ - 1));
}

int CSliderControl::StopX(int i) const {
    if (i <= 0 || stops_ == 1)
        return rect_.left + leftMargin_;
    if (i >= stops_ - 1)
        return rect_.right - rightMargin_;
    return rect_.left + leftMargin_ + i * (rect_.width() - leftMargin_ - rightMargin_) / (stops_ - 1);
}

int CSliderControl::ValueFromX(int x) const {
    int px = std::clamp(x, rect_.left, rect_.right - 1);
    for (int i = 0; i + 1 < stops_; ++i)
        if (px < (StopX(i) + StopX(i + 1)) / 2)
            return i;
    return stops_ - 1;
}

Rect CSliderControl::ThumbRect() const {
    int x = StopX(value_);
    return Rect{x - leftMargin_, rect_.top, x + rightMargin_, rect_.bottom};
}

void CSliderControl::Draw(QPainter& p, const Rect&) {
    // A disabled slider is greyed: drawn faint, the same shapes.
    p.save();
    if (disabled_)
        p.setOpacity(0.35);
    drawFace(p);
    p.restore();
}

void CSliderControl::drawFace(QPainter& p) const {
    QRect box = rect_.toQRect();
    int barHeight = bar_.isNull() ? Scaled(6) : std::min(box.height(), Scaled(bar_.height()));
    QRect barBox(box.left() + leftMargin_ / 2, box.center().y() - barHeight / 2 + 1,
                 box.width() - (leftMargin_ + rightMargin_) / 2, barHeight);
    if (!bar_.isNull()) {
        bar_.draw(p, barBox);
    } else {
        p.save();
        p.setPen(Qt::NoPen);
        p.setBrush(Rgb(0x1F1F1F));
        p.drawRoundedRect(barBox, barHeight / 2.0, barHeight / 2.0);
        p.restore();
    }
    // The travelled part of the track in the accent colour.
    int fillHeight = std::max(2, barHeight / 3);
    QRect filled(StopX(0), box.center().y() - fillHeight / 2 + 1, StopX(value_) - StopX(0), fillHeight);
    if (filled.width() > 0) {
        p.save();
        p.setPen(Qt::NoPen);
        p.setBrush(Rgb(kAccent));
        p.drawRoundedRect(filled, fillHeight / 2.0, fillHeight / 2.0);
        p.restore();
    }
    QRect thumbBox = ThumbRect().toQRect();
    int side = std::min(thumbBox.width(), thumbBox.height());
    QRect knob(thumbBox.center().x() - side / 2 + 1, thumbBox.center().y() - side / 2 + 1, side, side);
    if (!thumb_.isNull()) {
        thumb_.draw(p, knob);
    } else {
        p.save();
        p.setPen(QPen(Rgb(kAccent), std::max(1, side / 8)));
        p.setBrush(Rgb(0xE6E6E6));
        p.drawEllipse(knob.adjusted(1, 1, -1, -1));
        p.restore();
    }
}

bool CSliderControl::OnMouseMove(unsigned, int x, int y) {
    if (disabled_)
        return false;
    return dragging_ ? DragTo(value_, ValueFromX(x)) : TrackHover(x, y);
}

bool CSliderControl::OnLButtonDown(unsigned, int x, int y) {
    return PressButton(x, y, [&] {
        dragging_ = ThumbRect().contains(x, y);
        NotifySelf(kCodeDown);
    });
}

bool CSliderControl::OnLButtonUp(unsigned, int x, int y) {
    if (disabled_)
        return false;
    dragging_ = false; // wherever the button goes up
    return ReleaseButton(x, y, [&] {
        value_ = ValueFromX(x);
        NotifySelf(kCodeClick, 0);
    });
}

// ---- level bar ----

void DrawLevelBar(QPainter& p, const QRect& box, double fraction, const QColor& fill, bool hot) {
    p.save();
    p.setPen(hot ? QPen(Rgb(kAccent), 1) : QPen(Rgb(0x2C2C2C), 1));
    p.setBrush(Rgb(0x1A1A1A));
    double radius = std::min(box.width(), box.height()) / 4.0;
    p.drawRoundedRect(QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    double f = std::clamp(fraction, 0.0, 1.0);
    if (f > 0.0) {
        QRectF inner = QRectF(box).adjusted(2, 2, -2, -2);
        double h = inner.height() * f;
        QRectF level(inner.left(), inner.bottom() - h, inner.width(), h);
        p.setPen(Qt::NoPen);
        p.setBrush(fill);
        p.drawRoundedRect(level, radius / 2, radius / 2);
    }
    p.restore();
}

// ---- CVerticalSliderControl ----

CVerticalSliderControl::CVerticalSliderControl(WindowHandle parent, int id, const Rect& rect, int stops, int topMargin,
                                               int bottomMargin, bool shown, bool active, bool disabled)
    : CControlBase(parent, id, rect, {}, shown, active, disabled), stops_(std::max(1, stops)), topMargin_(topMargin),
      bottomMargin_(bottomMargin) {}

void CVerticalSliderControl::SetValue(int value) {
    SetAndRedraw(value_, std::clamp(value, 0, stops_ - 1));
}

void CVerticalSliderControl::SetStops(int stops) {
    stops_ = std::max(1, stops);
    value_ = std::clamp(value_, 0, stops_ - 1);
}

int CVerticalSliderControl::ValueFromY(int y) const {
    int height = rect_.height();
    if (height <= 0)
        return 0;
    int py = std::clamp(y, rect_.top, rect_.bottom);
    // At the bottom edge itself the value is 0; one pixel up it is already computed from the
    // pixel row, so values grow upwards from 0 to n − 1.
    int value = py >= rect_.bottom ? 0 : (rect_.bottom - py - 1) * stops_ / height;
    return std::clamp(value, 0, stops_ - 1);
}

void CVerticalSliderControl::Draw(QPainter& p, const Rect&) {
    QRect box = rect_.toQRect().adjusted(0, topMargin_, 0, -bottomMargin_);
    double fraction = stops_ > 1 ? double(value_ + 1) / stops_ : 1.0;
    DrawLevelBar(p, box, fraction, disabled_ ? Rgb(0x3A3A3A) : colour_, state_ != kStateNormal && !disabled_);
}

bool CVerticalSliderControl::OnMouseMove(unsigned, int x, int y) {
    if (disabled_)
        return false;
    return dragging_ ? DragTo(value_, ValueFromY(y)) : TrackHover(x, y);
}

bool CVerticalSliderControl::OnLButtonDown(unsigned, int x, int y) {
    return PressButton(x, y, [&] {
        dragging_ = true;
        value_ = ValueFromY(y);
        NotifySelf(kCodeDown, WPARAM(value_));
    });
}

bool CVerticalSliderControl::OnLButtonUp(unsigned, int x, int y) {
    if (disabled_)
        return false;
    const bool dragged = std::exchange(dragging_, false); // the drag ends wherever the button goes up
    if (rect_.contains(x, y))
        return ReleaseButton(x, y, [this] { NotifySelf(kCodeClick, WPARAM(value_)); });
    state_ = kStateNormal;
    // A drag of the narrow bar often ends beside it. The value is where the drag left it, so the
    // owner must hear of the release there too, or that value is shown but never applied.
    if (dragged)
        NotifySelf(kCodeClick, WPARAM(value_));
    return true;
}

// ---- CVScrollBar ----

CVScrollBar::CVScrollBar(WindowHandle parent, int id, const Rect& rect, bool shown, bool active, bool disabled)
    : CControlBase(parent, id, rect, {}, shown, active, disabled) {}

void CVScrollBar::SetArrowImages(const std::string& up, const std::string& down) {
    up_.load(up);
    down_.load(down);
}

void CVScrollBar::ReleaseImages() {
    up_.clear();
    down_.clear();
}

void CVScrollBar::SetScroll(int position, int page, int total) {
    total_ = std::max(0, total);
    page_ = std::max(1, page);
    position_ = std::clamp(position, 0, MaxPosition());
    Invalidate();
}

Rect CVScrollBar::UpArrow() const {
    int side = std::min(rect_.width(), rect_.height() / 2);
    return Rect{rect_.left, rect_.top, rect_.right, rect_.top + side};
}

Rect CVScrollBar::DownArrow() const {
    int side = std::min(rect_.width(), rect_.height() / 2);
    return Rect{rect_.left, rect_.bottom - side, rect_.right, rect_.bottom};
}

Rect CVScrollBar::Track() const {
    return Rect{rect_.left, UpArrow().bottom, rect_.right, DownArrow().top};
}

int CVScrollBar::thumbLength() const {
    int track = Track().height();
    if (total_ <= page_ || total_ <= 0)
        return track;
    return std::min(track, std::max(track * page_ / total_, rect_.width() / 2));
}

int CVScrollBar::thumbOffset() const {
    if (dragging_)
        return dragThumbOffset_;
    int track = Track().height();
    if (total_ <= 0)
        return 0;
    return std::clamp(position_ * track / total_, 0, track - thumbLength());
}

Rect CVScrollBar::Thumb() const {
    Rect track = Track();
    int top = track.top + thumbOffset();
    return Rect{track.left, top, track.right, top + thumbLength()};
}

WPARAM CVScrollBar::partAt(int x, int y) const {
    if (UpArrow().contains(x, y))
        return kScrollLineUp;
    if (DownArrow().contains(x, y))
        return kScrollLineDown;
    Rect thumb = Thumb();
    if (y < thumb.top)
        return kScrollPageUp;
    return y >= thumb.bottom ? kScrollPageDown : kScrollThumb;
}

void CVScrollBar::Draw(QPainter& p, const Rect&) {
    p.fillRect(rect_.toQRect(), Rgb(0x101010));
    auto drawArrow = [&](const SkinImage& strip, const Rect& box, bool hot, bool up) {
        if (!strip.isNull()) {
            double frame = strip.width() / 2.0;
            strip.draw(p, box.toQRect(), QRectF(hot ? frame : 0, 0, frame, strip.height()));
            return;
        }
        QRectF r = QRectF(box.toQRect())
                       .adjusted(box.width() * 0.28, box.height() * 0.34, -box.width() * 0.28, -box.height() * 0.34);
        QPainterPath path;
        if (up) {
            path.moveTo(r.center().x(), r.top());
            path.lineTo(r.right(), r.bottom());
            path.lineTo(r.left(), r.bottom());
        } else {
            path.moveTo(r.left(), r.top());
            path.lineTo(r.right(), r.top());
            path.lineTo(r.center().x(), r.bottom());
        }
        path.closeSubpath();
        p.save();
        p.setPen(Qt::NoPen);
        p.setBrush(hot ? Rgb(kAccent) : Rgb(0x8C8C8C));
        p.drawPath(path);
        p.restore();
    };
    drawArrow(up_, UpArrow(), hotPart_ == int(kScrollLineUp), true);
    drawArrow(down_, DownArrow(), hotPart_ == int(kScrollLineDown), false);
    QRect thumb = Thumb().toQRect().adjusted(2, 1, -2, -1);
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(hotPart_ == int(kScrollThumb) || dragging_ ? Rgb(kAccent) : Rgb(0x1F1F1F));
    p.drawRoundedRect(thumb, thumb.width() / 3.0, thumb.width() / 3.0);
    p.restore();
}

bool CVScrollBar::OnMouseMove(unsigned, int x, int y) {
    if (disabled_)
        return false;
    if (dragging_) {
        int room = std::max(0, Track().height() - thumbLength());
        int offset = std::clamp(y - Track().top - dragGrip_, 0, room);
        bool moved = offset != dragThumbOffset_;
        dragThumbOffset_ = offset;
        // The thumb pushed to the end of the track shows the last page; the proportional formula
        // alone stops one row short of it.
        int position =
            offset >= room ? MaxPosition() : std::clamp(offset * total_ / (Track().height() + 1), 0, MaxPosition());
        if (position != position_) {
            position_ = position;
            NotifySelf(kCodeDragValue, WPARAM(position_));
        }
        return moved;
    }
    TrackHover(x, y);
    int part = -1;
    if (rect_.contains(x, y)) {
        WPARAM at = partAt(x, y);
        if (at == kScrollLineUp || at == kScrollLineDown || at == kScrollThumb)
            part = int(at); // the track itself never lights up
    }
    if (part == hotPart_)
        return false;
    hotPart_ = part;
    return true;
}

bool CVScrollBar::OnLButtonDown(unsigned, int x, int y) {
    if (!PressButton(x, y))
        return false;
    WPARAM part = partAt(x, y);
    if (part == kScrollThumb) {
        dragThumbOffset_ = thumbOffset();
        dragGrip_ = y - Thumb().top;
        dragging_ = true;
    }
    NotifySelf(kCodeDown, part);
    return true;
}

bool CVScrollBar::OnLButtonUp(unsigned, int x, int y) {
    if (disabled_)
        return false;
    dragging_ = false;
    state_ = rect_.contains(x, y) ? kStateHover : kStateNormal;
    NotifySelf(kCodeClick);
    return true;
}

// ---- CDPIValueShowControl ----

CDPIValueShowControl::CDPIValueShowControl(WindowHandle parent, int id, const Rect& rect, std::u16string text,
                                           bool shown, bool active, bool disabled)
    : CControlBase(parent, id, rect, std::move(text), shown, active, disabled) {}

void CDPIValueShowControl::SetValue(int step, int stepCount) {
    steps_ = std::max(1, stepCount);
    SetAndRedraw(value_, std::clamp(step, 0, steps_ - 1));
}

void CDPIValueShowControl::Draw(QPainter& p, const Rect&) {
    QRect box = rect_.toQRect();
    if (!images_.empty()) {
        images_.draw(p, box, state_);
    } else {
        p.save();
        p.setPen(state_ != kStateNormal && !disabled_ ? QPen(Rgb(kAccent), 1) : QPen(Rgb(0x3A3A3A), 1));
        p.setBrush(Rgb(0x1A1A1A));
        p.drawRoundedRect(QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5), Scaled(3), Scaled(3));
        // A thin gauge along the bottom shows how far up the sensor's step table the level is.
        double fraction = steps_ > 1 ? double(value_) / (steps_ - 1) : 1.0;
        QRectF gauge(box.left() + 3, box.bottom() - Scaled(3) - 1, (box.width() - 6) * fraction, Scaled(2));
        p.setPen(Qt::NoPen);
        p.setBrush(disabled_ ? Rgb(0x3A3A3A) : Rgb(kAccent));
        p.drawRect(gauge);
        p.restore();
    }
    DrawSingleLine(p, box, QString::fromStdU16String(text_),
                   disabled_                ? Rgb(0x5A5A5A)
                   : state_ == kStateNormal ? Rgb(kTextNormal)
                                            : Rgb(kTextHover),
                   font_, Qt::AlignHCenter);
}

bool CDPIValueShowControl::OnLButtonDown(unsigned, int x, int y) {
    return PressButton(x, y);
}

bool CDPIValueShowControl::OnLButtonUp(unsigned, int x, int y) {
    return ReleaseButton(x, y, [this] { NotifySelf(kCodeClick); });
}

} // namespace quorvik::ui
