#include "Pictures.h"

#include <QPainterPath>

namespace quorvik::skingen {

// ---- frames ----

void framePanel(QPainter& p, double w, double h, bool titleBar) {
    QRectF all(0, 0, w, h);
    p.fillRect(all, vertical(all, QColor(0x1C, 0x1E, 0x23), QColor(0x13, 0x14, 0x17)));
    if (titleBar) {
        QRectF bar(0, 0, w, 30);
        p.fillRect(bar, vertical(bar, QColor(0x23, 0x26, 0x2C), QColor(0x1B, 0x1D, 0x22)));
        p.fillRect(QRectF(0, 30, w, 1), kBorder);
    }
    p.fillRect(QRectF(0, 0, w, 2), kAccent);
    p.setPen(QPen(kBorder, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, w - 1, h - 1));
}

// The bar's track lies inside the frame, 16 units from each side (the progress window copies the
// filled track from that inset on).
void progressFrame(QPainter& p, double w, double h, bool filled) {
    framePanel(p, w, h, false);
    constexpr double kInset = 16;
    QRectF bar(kInset, 66, w - 2 * kInset, 12);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath track;
    track.addRoundedRect(bar, 3, 3);
    p.setClipPath(track);
    if (filled) {
        QLinearGradient g(bar.topLeft(), bar.topRight());
        g.setColorAt(0, kAccentDeep);
        g.setColorAt(1, kAccent);
        p.fillRect(bar, g);
        p.fillRect(QRectF(kInset, 66, w - 2 * kInset, 3), QColor(255, 255, 255, 50));
    } else {
        p.fillRect(bar, QColor(0x0C, 0x0D, 0x0F));
        p.fillRect(QRectF(kInset, 77, w - 2 * kInset, 1), kBorder);
    }
    p.restore();
}

// ---- buttons ----

void textButton(QPainter& p, double w, double h, int look) {
    QRectF r(0, 0, w, h);
    if (look == 0)
        roundRect(p, r, h / 4, vertical(r, QColor(0x2C, 0x30, 0x36), QColor(0x22, 0x25, 0x2A)), kBorder);
    else
        roundRect(p, r, h / 4, vertical(r, kAccentFill, kAccentDeep), kAccentFill);
}

void exitButton(QPainter& p, double w, double h, bool hover) {
    QRectF r(0, 0, w, h);
    if (hover)
        roundRect(p, r.adjusted(1, 1, -1, -1), w / 2, QColor(0xD9, 0x45, 0x45), QColor());
    double m = w * 0.33;
    p.save();
    p.setPen(QPen(hover ? kWhite : kText, w / 11, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(m, m), QPointF(w - m, h - m));
    p.drawLine(QPointF(w - m, m), QPointF(m, h - m));
    p.restore();
}

void minButton(QPainter& p, double w, double h, bool hover) {
    QRectF r(0, 0, w, h);
    if (hover)
        roundRect(p, r.adjusted(1, 1, -1, -1), w / 2, kAccent, QColor());
    p.save();
    p.setPen(QPen(hover ? kWhite : kText, w / 11, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(w * 0.32, h * 0.55), QPointF(w * 0.68, h * 0.55));
    p.restore();
}

void checkBox(QPainter& p, double, double h, int look) {
    QRectF box(3, (h - 14) / 2, 14, 14);
    if (look == 2) {
        roundRect(p, box, 3, kAccent, kAccent);
        checkMark(p, box, kWhite, 2);
    } else {
        roundRect(p, box, 3, kPanel, look == 1 ? kAccent : QColor(0x5A, 0x5F, 0x66), 1.2);
    }
}

void radio(QPainter& p, double, double h, int look) {
    QRectF ring(3, (h - 14) / 2, 14, 14);
    p.save();
    p.setPen(QPen(look == 0 ? QColor(0x5A, 0x5F, 0x66) : kAccent, 1.4));
    p.setBrush(kPanel);
    p.drawEllipse(ring.adjusted(0.7, 0.7, -0.7, -0.7));
    if (look == 2) {
        p.setPen(Qt::NoPen);
        p.setBrush(kAccent);
        p.drawEllipse(ring.adjusted(3.5, 3.5, -3.5, -3.5));
    }
    p.restore();
}

void dpiCheck(QPainter& p, double w, double h, int look) {
    QRectF box(1, 1, w - 2, h - 2);
    if (look == 2) {
        roundRect(p, box, 3, kAccent, kAccent);
        checkMark(p, box, kWhite, 2);
    } else {
        roundRect(p, box, 3, kPanel, look == 1 ? kAccent : QColor(0x5A, 0x5F, 0x66), 1.2);
    }
}

// The DPI value box of a level: a small button with a pencil, for typing an exact DPI.
void dpiValueButton(QPainter& p, double w, double h, bool hover) {
    QRectF r(0, 0, w, h);
    if (hover)
        roundRect(p, r.adjusted(0.5, 0.5, -0.5, -0.5), 3,
                  vertical(r, QColor(0x2E, 0x4A, 0x5E), QColor(0x24, 0x37, 0x45)), kAccent);
    else
        roundRect(p, r.adjusted(0.5, 0.5, -0.5, -0.5), 3,
                  vertical(r, QColor(0x2C, 0x30, 0x36), QColor(0x22, 0x25, 0x2A)), kBorder);
    const double length = h * 0.72;
    const double thick = h * 0.2;
    const double tip = thick * 1.1;
    p.save();
    p.translate(r.center());
    p.rotate(-45);
    p.translate(-length / 2, 0);
    p.setPen(Qt::NoPen);
    p.setBrush(hover ? kWhite : kText);
    p.drawRect(QRectF(thick * 0.9, -thick / 2, length - tip - thick * 0.9, thick));
    QPainterPath point;
    point.moveTo(length - tip, -thick / 2);
    point.lineTo(length, 0);
    point.lineTo(length - tip, thick / 2);
    point.closeSubpath();
    p.drawPath(point);
    p.setBrush(hover ? kWhite : kAccent);
    p.drawRoundedRect(QRectF(0, -thick / 2, thick * 0.7, thick), thick * 0.2, thick * 0.2);
    p.restore();
}

void header(QPainter& p, double w, double h, bool hover, bool second) {
    QRectF r(0, 0, w, h);
    p.fillRect(r, vertical(r, hover ? QColor(0x2A, 0x2E, 0x35) : QColor(0x22, 0x25, 0x2A),
                           hover ? QColor(0x20, 0x23, 0x29) : QColor(0x1A, 0x1C, 0x20)));
    p.fillRect(QRectF(0, h - 1, w, 1), kBorder);
    p.fillRect(QRectF(0, 4, 3, h - 8), hover ? kAccent : (second ? QColor(0x5A, 0x5F, 0x66) : kAccentDeep));
    chevron(p, QPointF(w - 16, h / 2), 8, hover ? kAccent : kText, 1.8, second ? 2 : 0);
}

void combo(QPainter& p, double w, double h, bool hover) {
    QRectF r(0, 0, w, h);
    roundRect(p, r, 4, vertical(r, QColor(0x24, 0x27, 0x2D), QColor(0x1B, 0x1D, 0x22)), hover ? kAccent : kBorder);
    p.fillRect(QRectF(w - 22, 5, 1, h - 10), hover ? kAccent : kBorder);
    chevron(p, QPointF(w - 11, h / 2 + 0.5), 7, hover ? kAccent : kText, 1.6, 0);
}

// A row of the profile list: look 0 normal, 1 under the pointer, 2 the profile in use, 3 the
// profile in use under the pointer.
void profileTab(QPainter& p, double w, double h, int look) {
    QRectF r(0, 0, w, h);
    switch (look) {
    case 0:
        roundRect(p, r, 3, QColor(0x1E, 0x21, 0x26), kBorder);
        break;
    case 1:
        roundRect(p, r, 3, QColor(0x28, 0x2C, 0x33), QColor(0x4A, 0x50, 0x59));
        break;
    default:
        roundRect(p, r, 3, vertical(r, kAccentFill, kAccentDeep), look == 3 ? kAccent.lighter(140) : kAccent);
        break;
    }
}

// The profile list button: three lines of a list in a box like the selector's.
void profileListButton(QPainter& p, double w, double h, bool hover) {
    QRectF r(0, 0, w, h);
    roundRect(p, r, 4, vertical(r, QColor(0x24, 0x27, 0x2D), QColor(0x1B, 0x1D, 0x22)), hover ? kAccent : kBorder);
    p.save();
    const QColor ink = hover ? kAccent : kText;
    p.setPen(QPen(ink, 1.6, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 3; ++i) {
        const double y = h * 0.32 + i * h * 0.18;
        p.drawPoint(QPointF(w * 0.3, y));
        p.drawLine(QPointF(w * 0.42, y), QPointF(w * 0.72, y));
    }
    p.restore();
}

void menuRow(QPainter& p, double w, double h, bool hover, bool sub) {
    QRectF r(0, 0, w, h);
    if (hover) {
        QLinearGradient g(r.topLeft(), r.topRight());
        g.setColorAt(0, kAccentDeep);
        g.setColorAt(1, kAccentFill);
        p.fillRect(r, g);
    } else {
        p.fillRect(r, QColor(0x1A, 0x1C, 0x20));
        p.fillRect(QRectF(6, h - 1, w - 12, 1), QColor(0x24, 0x27, 0x2C));
    }
    if (sub)
        chevron(p, QPointF(w - 10, h / 2), 7, hover ? kWhite : kText, 1.5, 2);
}

void rateButton(QPainter& p, double w, double h, const QString& rate, bool checked) {
    QRectF r(0, 0, w, h);
    if (checked)
        roundRect(p, r, h / 2, vertical(r, kAccentFill, kAccentDeep), kAccent);
    else
        roundRect(p, r, h / 2, QColor(0x1E, 0x21, 0x26), kBorder);
    text(p, r, rate, checked ? kWhite : kText, h * 0.46);
}

void arrowButton(QPainter& p, double w, double h, bool up, int look) {
    QRectF r(0, 0, w, h);
    if (look == 2)
        roundRect(p, r, 5, vertical(r, kAccent, kAccentDeep), kAccent);
    else
        roundRect(p, r, 5, QColor(0x1E, 0x21, 0x26), look == 1 ? kAccent : kBorder);
    chevron(p, QPointF(w / 2, h / 2), w * 0.42, look == 2 ? kWhite : (look == 1 ? kAccent : kText), 2.2, up ? 1 : 0);
}

void colourFrame(QPainter& p, double w, double h, bool checked) {
    // The swatch is painted by the program under this picture: the centre stays clear.
    QPainterPath outer;
    outer.addRoundedRect(QRectF(0, 0, w, h), 5, 5);
    QPainterPath inner;
    inner.addRoundedRect(QRectF(4, 4, w - 8, h - 8), 3, 3);
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(checked ? kAccent : QColor(0x2C, 0x30, 0x36));
    p.drawPath(outer.subtracted(inner));
    if (checked) {
        QRectF badge(w - 10, h - 10, 10, 10);
        p.setBrush(kWhite);
        p.drawEllipse(badge);
        checkMark(p, badge.adjusted(1, 1, -1, -1), kAccentDeep, 1.6);
    }
    p.restore();
}

// ---- small icons ----

void folder(QPainter& p, double w, double h, bool open) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    if (!open) {
        // Closed: one flat shape, tab and body in the same mid gold.
        const QColor body(0xC9, 0x94, 0x35);
        p.setBrush(body);
        p.drawRoundedRect(QRectF(1, 2, w * 0.45, 3.5), 1, 1);
        p.drawRoundedRect(QRectF(1, 4, w - 2, h - 6), 1.5, 1.5);
        p.setBrush(body.lighter(118)); // a thin edge where the lid meets the body
        p.drawRect(QRectF(1.5, 4.5, w - 3, 1));
        p.restore();
        return;
    }
    // Open: the dark back with its tab, a sheet inside, and the light front flap tipped forward,
    // so the opening shows between the back's top edge and the flap.
    const QColor back(0x7A, 0x55, 0x1C);
    p.setBrush(back);
    p.drawRoundedRect(QRectF(1, 2, w * 0.45, 3.5), 1, 1);
    p.drawRoundedRect(QRectF(1, 4, w - 3, h - 6), 1.5, 1.5);
    p.setBrush(QColor(0xF4, 0xF1, 0xE8));
    p.drawRect(QRectF(3, 5, w - 7, 5));
    QPainterPath flap;
    flap.moveTo(4.5, 8);
    flap.lineTo(w - 0.5, 8);
    flap.lineTo(w - 3, h - 2);
    flap.lineTo(1, h - 2);
    flap.closeSubpath();
    p.setBrush(QColor(0xF6, 0xCF, 0x6E));
    p.drawPath(flap);
    p.restore();
}

void macroArrow(QPainter& p, double w, double h, bool up) {
    QColor c = up ? QColor(0x5C, 0xC8, 0x7A) : QColor(0xF0, 0x9A, 0x3E);
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    QPainterPath arrow;
    if (up) {
        arrow.moveTo(w / 2, 0.5);
        arrow.lineTo(w - 0.5, h * 0.5);
        arrow.lineTo(w * 0.66, h * 0.5);
        arrow.lineTo(w * 0.66, h - 0.5);
        arrow.lineTo(w * 0.34, h - 0.5);
        arrow.lineTo(w * 0.34, h * 0.5);
        arrow.lineTo(0.5, h * 0.5);
    } else {
        arrow.moveTo(w / 2, h - 0.5);
        arrow.lineTo(w - 0.5, h * 0.5);
        arrow.lineTo(w * 0.66, h * 0.5);
        arrow.lineTo(w * 0.66, 0.5);
        arrow.lineTo(w * 0.34, 0.5);
        arrow.lineTo(w * 0.34, h * 0.5);
        arrow.lineTo(0.5, h * 0.5);
    }
    arrow.closeSubpath();
    p.drawPath(arrow);
    p.restore();
}

void clock(QPainter& p, double w, double h) {
    p.save();
    // A dark face: the clock stays in sight on a selected (accent) row as on a plain one.
    p.setPen(QPen(kAccent, 1.3));
    p.setBrush(kDeep);
    p.drawEllipse(QRectF(0.8, 0.8, w - 1.6, h - 1.6));
    p.setPen(QPen(kWhite, 1.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(w / 2, h / 2), QPointF(w / 2, h * 0.22));
    p.drawLine(QPointF(w / 2, h / 2), QPointF(w * 0.74, h / 2));
    p.restore();
}

void recordButton(QPainter& p, double w, double h, bool on) {
    QRectF r(0, 0, w, h);
    roundRect(p, r, h / 2, on ? QBrush(QColor(0x4A, 0x16, 0x18)) : QBrush(QColor(0x1E, 0x21, 0x26)),
              on ? QColor(0xE5, 0x3E, 0x3E) : kBorder);
    QPointF dot(h / 2 + 2, h / 2);
    if (on) {
        QRadialGradient glow(dot, h * 0.45);
        glow.setColorAt(0, QColor(0xFF, 0x50, 0x50, 200));
        glow.setColorAt(1, QColor(0xFF, 0x50, 0x50, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawEllipse(dot, h * 0.45, h * 0.45);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(on ? QColor(0xFF, 0x4D, 0x4D) : QColor(0xB0, 0x3A, 0x3A));
    p.drawEllipse(dot, h * 0.2, h * 0.2);
}

} // namespace quorvik::skingen
