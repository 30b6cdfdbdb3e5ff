// Draws every skin picture the program loads by name, and the pictures built into the program,
// with QPainter: one dark look with the accent #35A0DE.
//
// Usage: skingen <skins folder> <built-in folder> [<icon theme folder>]
// Each skin is written at its size in units and, as "<name>@2x.<ext>", at twice that size, which
// the program picks on scaled displays. Built-in pictures go to the second folder together with
// the Qt resource file that lists them. The icon theme folder, when given, receives the program's
// icon for the desktop as <n>x<n>/apps/quorvik.png and scalable/apps/quorvik.svg (the hicolor
// theme's layout).
#include "ui/skin/DialGeometry.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTextStream>

#include <cstdio>
#include <functional>
#include <vector>

namespace {

using quorvik::ui::DialRegion;

const QColor kAccent(0x35, 0xA0, 0xDE);
const QColor kAccentDeep(0x1F, 0x6F, 0x9E);
const QColor kDeep(0x10, 0x11, 0x13);
const QColor kPanel(0x1A, 0x1C, 0x20);
const QColor kPanelHi(0x26, 0x29, 0x2F);
const QColor kBorder(0x33, 0x37, 0x3E);
const QColor kText(0xB4, 0xB4, 0xB4);
const QColor kWhite(0xF2, 0xF4, 0xF6);

using Paint = std::function<void(QPainter&, double w, double h)>;

struct Skin {
    QString name;
    int width;
    int height;
    Paint paint;
    bool opaque = false; // bitmaps have no alpha channel
};

QFont uiFont(double pixels, int weight = QFont::DemiBold) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(std::max(1, int(pixels + 0.5)));
    f.setWeight(QFont::Weight(weight));
    return f;
}

// Glyphs are sized in units; the painter's scale makes them crisp at twice the size too.
void setFont(QPainter& p, double pixels, int weight = QFont::DemiBold) {
    p.setFont(uiFont(pixels, weight));
}

void roundRect(QPainter& p, const QRectF& r, double radius, const QBrush& fill, const QColor& border,
               double borderWidth = 1.0) {
    p.save();
    p.setPen(border.isValid() && borderWidth > 0 ? QPen(border, borderWidth) : Qt::NoPen);
    p.setBrush(fill);
    double inset = border.isValid() ? borderWidth / 2 : 0;
    p.drawRoundedRect(r.adjusted(inset, inset, -inset, -inset), radius, radius);
    p.restore();
}

QLinearGradient vertical(const QRectF& r, const QColor& top, const QColor& bottom) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    return g;
}

void text(QPainter& p, const QRectF& r, const QString& s, const QColor& c, double px, int flags = Qt::AlignCenter,
          int weight = QFont::DemiBold) {
    p.save();
    setFont(p, px, weight);
    p.setPen(c);
    p.drawText(r, flags, s);
    p.restore();
}

void checkMark(QPainter& p, const QRectF& r, const QColor& c, double width) {
    QPainterPath path;
    path.moveTo(r.left() + r.width() * 0.2, r.top() + r.height() * 0.52);
    path.lineTo(r.left() + r.width() * 0.42, r.top() + r.height() * 0.74);
    path.lineTo(r.left() + r.width() * 0.8, r.top() + r.height() * 0.28);
    p.save();
    p.setPen(QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    p.restore();
}

void chevron(QPainter& p, QPointF centre, double size, const QColor& c, double width, int direction) {
    // direction: 0 down, 1 up, 2 right
    QPainterPath path;
    double s = size / 2;
    if (direction == 0) {
        path.moveTo(centre.x() - s, centre.y() - s / 2);
        path.lineTo(centre.x(), centre.y() + s / 2);
        path.lineTo(centre.x() + s, centre.y() - s / 2);
    } else if (direction == 1) {
        path.moveTo(centre.x() - s, centre.y() + s / 2);
        path.lineTo(centre.x(), centre.y() - s / 2);
        path.lineTo(centre.x() + s, centre.y() + s / 2);
    } else {
        path.moveTo(centre.x() - s / 2, centre.y() - s);
        path.lineTo(centre.x() + s / 2, centre.y());
        path.lineTo(centre.x() - s / 2, centre.y() + s);
    }
    p.save();
    p.setPen(QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    p.restore();
}

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
        roundRect(p, r, h / 4, vertical(r, kAccent, kAccentDeep), kAccent.lighter(120));
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
        roundRect(p, r, 3, vertical(r, look == 3 ? kAccent.lighter(115) : kAccent, kAccentDeep),
                  kAccent.lighter(look == 3 ? 140 : 120));
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
        g.setColorAt(1, kAccent);
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
        roundRect(p, r, h / 2, vertical(r, kAccent, kAccentDeep), kAccent.lighter(115));
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
    p.setPen(QPen(kAccent, 1.3));
    p.setBrush(Qt::NoBrush);
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

// ---- sliders, battery, dial, mouse ----

void sliderBar(QPainter& p, double w, double h, bool ticks) {
    QRectF r(0, 0, w, h);
    roundRect(p, r, h / 2, vertical(r, QColor(0x0C, 0x0D, 0x0F), QColor(0x22, 0x25, 0x2A)), kBorder);
    if (ticks) {
        p.setPen(QPen(QColor(0x4A, 0x4F, 0x56), 1));
        for (int i = 1; i < 10; ++i)
            p.drawLine(QPointF(w * i / 10, 2), QPointF(w * i / 10, h - 2));
    }
}

void sliderKnob(QPainter& p, double w, double h) {
    QRectF r(0.8, 0.8, w - 1.6, h - 1.6);
    QRadialGradient g(r.center() - QPointF(w * 0.15, h * 0.15), w * 0.7);
    g.setColorAt(0, QColor(0xFF, 0xFF, 0xFF));
    g.setColorAt(1, QColor(0xC8, 0xCC, 0xD2));
    p.setPen(QPen(kAccent, 2));
    p.setBrush(g);
    p.drawEllipse(r.adjusted(0.5, 0.5, -0.5, -0.5));
}

QRectF batteryBody(double w, double h) {
    return QRectF(1, 1, w - 6, h - 2);
}
QRectF batteryInside(double w, double h) {
    return batteryBody(w, h).adjusted(3, 3, -3, -3);
}

void batteryOutline(QPainter& p, double w, double h, const QColor& line) {
    roundRect(p, batteryBody(w, h), 3, QColor(0x14, 0x15, 0x18), line, 1.5);
    roundRect(p, QRectF(w - 5, h * 0.3, 4, h * 0.4), 1, line, QColor());
}

void batteryFill(QPainter& p, double w, double h, const QColor& c) {
    roundRect(p, batteryInside(w, h), 1.5, vertical(batteryInside(w, h), c.lighter(120), c), QColor());
}

void bolt(QPainter& p, double w, double h) {
    QPainterPath path;
    double cx = (w - 5) / 2, top = 2, bottom = h - 2;
    path.moveTo(cx + 3, top);
    path.lineTo(cx - 4, h / 2 + 1);
    path.lineTo(cx, h / 2 + 1);
    path.lineTo(cx - 3, bottom);
    path.lineTo(cx + 4, h / 2 - 1);
    path.lineTo(cx, h / 2 - 1);
    path.closeSubpath();
    p.setPen(QPen(kDeep, 1));
    p.setBrush(QColor(0xFF, 0xE0, 0x4D));
    p.drawPath(path);
}

void powerDial(QPainter& p, double w, double h, int minutes) {
    QRectF box(0, 0, w, h);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x14, 0x15, 0x18));
    p.drawEllipse(box.adjusted(1, 1, -1, -1));
    for (int k = 2; k <= 9; ++k) {
        QPolygonF sector = DialRegion(box.adjusted(3, 3, -3, -3), k);
        int choice = k + 1;
        QColor fill = choice < minutes ? kAccentDeep : choice == minutes ? kAccent : QColor(0x2A, 0x2D, 0x33);
        p.setPen(QPen(QColor(0x14, 0x15, 0x18), 2));
        p.setBrush(fill);
        p.drawPolygon(sector);
        QPointF label = quorvik::ui::DialPoint(box, quorvik::ui::DialRadius(box) * 0.71,
                                               (quorvik::ui::DialSectorStart(k) + quorvik::ui::DialSectorEnd(k)) / 2);
        text(p, QRectF(label.x() - 9, label.y() - 7, 18, 14), QString::number(choice),
             choice <= minutes ? kWhite : QColor(0x80, 0x86, 0x8E), w * 0.085);
    }
    QRectF hub = box.adjusted(w * 0.3, h * 0.3, -w * 0.3, -h * 0.3);
    p.setPen(QPen(kBorder, 1));
    p.setBrush(vertical(hub, QColor(0x2A, 0x2E, 0x35), QColor(0x18, 0x1A, 0x1E)));
    p.drawEllipse(hub);
    text(p, hub.adjusted(0, -h * 0.06, 0, -h * 0.06), QString::number(minutes), kWhite, h * 0.16);
    text(p, hub.adjusted(0, h * 0.12, 0, h * 0.06), QStringLiteral("min"), kText, h * 0.075, Qt::AlignCenter,
         QFont::Normal);
}

// The mouse from above; picture n marks button n.
void mousePicture(QPainter& p, double w, double h, int n) {
    QRectF body(w * 0.22, h * 0.06, w * 0.56, h * 0.86);
    QPainterPath shell;
    shell.addRoundedRect(body, body.width() * 0.48, body.width() * 0.55);
    QLinearGradient g(body.topLeft(), body.topRight());
    g.setColorAt(0, QColor(0x24, 0x27, 0x2D));
    g.setColorAt(0.5, QColor(0x31, 0x35, 0x3C));
    g.setColorAt(1, QColor(0x1E, 0x21, 0x26));
    p.setPen(QPen(QColor(0x45, 0x4A, 0x52), 1.5));
    p.setBrush(g);
    p.drawPath(shell);
    double split = body.top() + body.height() * 0.40;
    double cx = body.center().x();
    p.setPen(QPen(QColor(0x12, 0x13, 0x16), 1.5));
    p.drawLine(QPointF(cx, body.top() + 2), QPointF(cx, split));
    p.drawLine(QPointF(body.left() + 4, split), QPointF(body.right() - 4, split));
    // Accent light strip along the back.
    p.setPen(QPen(kAccent, 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(cx - body.width() * 0.22, body.bottom() - h * 0.08),
               QPointF(cx + body.width() * 0.22, body.bottom() - h * 0.08));

    struct Part {
        QRectF area;
        QPointF callout;
    };
    double bw = body.width();
    const std::array<Part, 9> parts{{
        {QRectF(body.left() + 6, body.top() + 8, bw / 2 - 10, split - body.top() - 12), QPointF(w * 0.1, h * 0.12)},
        {QRectF(cx + 4, body.top() + 8, bw / 2 - 10, split - body.top() - 12), QPointF(w * 0.9, h * 0.12)},
        {QRectF(cx - 6, body.top() + h * 0.1, 12, h * 0.12), QPointF(w * 0.5, h * 0.02 + 6)},
        {QRectF(body.left() - 3, h * 0.44, 6, h * 0.09), QPointF(w * 0.08, h * 0.44)},
        {QRectF(body.left() - 3, h * 0.56, 6, h * 0.09), QPointF(w * 0.08, h * 0.6)},
        {QRectF(cx - 5, split + h * 0.03, 10, h * 0.07), QPointF(w * 0.9, h * 0.46)},
        {QRectF(body.right() - 3, h * 0.48, 6, h * 0.1), QPointF(w * 0.92, h * 0.62)},
        {QRectF(cx - 12, body.bottom() - h * 0.2, 24, h * 0.06), QPointF(w * 0.9, h * 0.8)},
        {QRectF(cx - 14, body.bottom() - h * 0.04 - 4, 28, 5), QPointF(w * 0.1, h * 0.86)},
    }};
    for (int i = 0; i < 9; ++i) {
        const Part& part = parts[std::size_t(i)];
        bool lit = i + 1 == n;
        p.setPen(QPen(lit ? kAccent : QColor(0x4A, 0x4F, 0x56), 1.2));
        p.setBrush(lit ? QColor(0x35, 0xA0, 0xDE, 110) : QColor(0x2A, 0x2E, 0x34));
        p.drawRoundedRect(part.area, 3, 3);
        p.setPen(QPen(lit ? kAccent : QColor(0x3A, 0x3F, 0x46), 1, lit ? Qt::SolidLine : Qt::DotLine));
        p.drawLine(part.area.center(), part.callout);
        QRectF dot(part.callout.x() - 8, part.callout.y() - 8, 16, 16);
        p.setPen(QPen(lit ? kAccent : QColor(0x5A, 0x5F, 0x66), 1.2));
        p.setBrush(lit ? kAccent : QColor(0x1A, 0x1C, 0x20));
        p.drawEllipse(dot);
        text(p, dot, QString::number(i + 1), lit ? kWhite : kText, 10);
    }
}

// ---- built-in pictures ----

void mainBackground(QPainter& p, double w, double h) {
    QRectF all(0, 0, w, h);
    p.fillRect(all, vertical(all, QColor(0x17, 0x19, 0x1D), QColor(0x0E, 0x0F, 0x11)));
    // A faint diagonal texture so large areas are not flat.
    p.setPen(QPen(QColor(255, 255, 255, 6), 1));
    for (double x = -h; x < w; x += 14)
        p.drawLine(QPointF(x, h), QPointF(x + h, 0));
    QRectF bar(0, 0, w, 46);
    p.fillRect(bar, vertical(bar, QColor(0x22, 0x25, 0x2B), QColor(0x19, 0x1B, 0x20)));
    p.fillRect(QRectF(0, 46, w, 1), kBorder);
    p.fillRect(QRectF(0, 0, w, 2), kAccent);
    text(p, QRectF(20, 0, 400, 46), QStringLiteral("GAMING MOUSE"), kWhite, 18, Qt::AlignLeft | Qt::AlignVCenter,
         QFont::Bold);
    QRadialGradient glow(QPointF(w * 0.47, h * 0.52), h * 0.45);
    glow.setColorAt(0, QColor(0x35, 0xA0, 0xDE, 38));
    glow.setColorAt(1, QColor(0x35, 0xA0, 0xDE, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(QPointF(w * 0.47, h * 0.52), h * 0.45, h * 0.45);
    p.setPen(QPen(kBorder, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, w - 1, h - 1));
}

// The colour palette's picture: a hue and lightness field and a set of ready colours, on the
// #0F0F0F background the dialog ignores clicks on.
void colourPicture(QPainter& p, double w, double h) {
    p.fillRect(QRectF(0, 0, w, h), QColor(0x0F, 0x0F, 0x0F));
    const QRect field(18, 26, 222 - 18, 270 - 26);
    QImage hues(field.size(), QImage::Format_RGB32);
    for (int y = 0; y < field.height(); ++y) {
        double t = double(y) / (field.height() - 1);
        for (int x = 0; x < field.width(); ++x) {
            double hue = double(x) / field.width();
            // Top: full colours fading to white; bottom half: to black.
            QColor c = t < 0.5 ? QColor::fromHslF(float(hue), 1.0f, float(0.5 + (0.5 - t) * 0.9))
                               : QColor::fromHslF(float(hue), 1.0f, float(0.5 - (t - 0.5) * 0.98));
            hues.setPixel(x, y, c.rgb());
        }
    }
    p.drawImage(field.topLeft(), hues);
    const QRect presets(244, 26, 473 - 244, 190 - 26);
    const int cols = 6, rows = 5;
    const QColor ready[rows][cols] = {
        {QColor(255, 0, 0), QColor(255, 128, 0), QColor(255, 255, 0), QColor(128, 255, 0), QColor(0, 255, 0),
         QColor(0, 255, 128)},
        {QColor(0, 255, 255), QColor(0, 128, 255), QColor(0, 0, 255), QColor(128, 0, 255), QColor(255, 0, 255),
         QColor(255, 0, 128)},
        {QColor(255, 128, 128), QColor(255, 200, 128), QColor(255, 255, 160), QColor(160, 255, 160),
         QColor(160, 255, 255), QColor(160, 160, 255)},
        {QColor(128, 0, 0), QColor(128, 64, 0), QColor(128, 128, 0), QColor(0, 128, 0), QColor(0, 96, 128),
         QColor(64, 0, 128)},
        {QColor(255, 255, 255), QColor(200, 200, 200), QColor(150, 150, 150), QColor(100, 100, 100),
         QColor(0x35, 0xA0, 0xDE), QColor(1, 1, 1)},
    };
    const int gap = 4;
    const int cw = (presets.width() - gap * (cols - 1)) / cols;
    const int ch = (presets.height() - gap * (rows - 1)) / rows;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            p.fillRect(QRect(presets.left() + c * (cw + gap), presets.top() + r * (ch + gap), cw, ch), ready[r][c]);
}

// The program's icon: a rounded plate with a mouse outline and its wheel. The shapes are kept apart
// from the painting so that the scalable copy of the icon theme draws exactly the same picture.
struct IconShapes {
    QRectF plate; // the stroke's centre line
    double plateRadius;
    double plateBorder;
    QRectF body;
    double bodyRadiusX;
    double bodyRadiusY;
    double bodyLine;
    QLineF split; // between the two buttons
    QLineF wheel;
    double wheelLine;
};
const QColor kIconTop(0x2A, 0x2E, 0x35);
const QColor kIconBottom(0x12, 0x13, 0x16);

IconShapes iconShapes(double w, double h) {
    IconShapes s;
    s.plateBorder = w * 0.03;
    const double inset = w * 0.04 + s.plateBorder / 2;
    s.plate = QRectF(inset, h * 0.04 + s.plateBorder / 2, w - 2 * inset, h - 2 * (h * 0.04 + s.plateBorder / 2));
    s.plateRadius = w * 0.22;
    s.body = QRectF(w * 0.32, h * 0.18, w * 0.36, h * 0.64);
    s.bodyRadiusX = s.body.width() * 0.48;
    s.bodyRadiusY = s.body.width() * 0.55;
    s.bodyLine = w * 0.035;
    s.split = QLineF(w / 2, s.body.top(), w / 2, s.body.top() + s.body.height() * 0.38);
    s.wheel = QLineF(w / 2, s.body.top() + s.body.height() * 0.1, w / 2, s.body.top() + s.body.height() * 0.24);
    s.wheelLine = w * 0.05;
    return s;
}

void appIcon(QPainter& p, double w, double h) {
    const IconShapes s = iconShapes(w, h);
    p.save();
    p.setPen(QPen(kAccent, s.plateBorder));
    p.setBrush(vertical(QRectF(0, 0, w, h), kIconTop, kIconBottom));
    p.drawRoundedRect(s.plate, s.plateRadius, s.plateRadius);
    p.restore();
    p.setPen(QPen(kWhite, s.bodyLine));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(s.body, s.bodyRadiusX, s.bodyRadiusY);
    p.drawLine(s.split);
    p.setPen(QPen(kAccent, s.wheelLine, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(s.wheel);
}

// The same shapes as SVG: Qt's default pen has square caps and bevelled joins.
QByteArray appIconSvg(double size) {
    const IconShapes s = iconShapes(size, size);
    auto n = [](double v) { return QByteArray::number(v, 'g', 6); };
    auto colour = [](const QColor& c) { return c.name().toLatin1(); };
    auto rect = [&](const QRectF& r, double rx, double ry) {
        return "x=\"" + n(r.x()) + "\" y=\"" + n(r.y()) + "\" width=\"" + n(r.width()) + "\" height=\"" +
               n(r.height()) + "\" rx=\"" + n(rx) + "\" ry=\"" + n(ry) + "\"";
    };
    auto line = [&](const QLineF& l) {
        return "x1=\"" + n(l.x1()) + "\" y1=\"" + n(l.y1()) + "\" x2=\"" + n(l.x2()) + "\" y2=\"" + n(l.y2()) + "\"";
    };
    QByteArray svg;
    svg += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + n(size) + "\" height=\"" + n(size) +
           "\" viewBox=\"0 0 " + n(size) + " " + n(size) + "\">\n";
    svg += "  <defs>\n    <linearGradient id=\"plate\" gradientUnits=\"userSpaceOnUse\" x1=\"0\" y1=\"0\" x2=\"0\" "
           "y2=\"" +
           n(size) + "\">\n";
    svg += "      <stop offset=\"0\" stop-color=\"" + colour(kIconTop) + "\"/>\n";
    svg += "      <stop offset=\"1\" stop-color=\"" + colour(kIconBottom) + "\"/>\n";
    svg += "    </linearGradient>\n  </defs>\n";
    svg += "  <rect " + rect(s.plate, s.plateRadius, s.plateRadius) + " fill=\"url(#plate)\" stroke=\"" +
           colour(kAccent) + "\" stroke-width=\"" + n(s.plateBorder) + "\" stroke-linejoin=\"bevel\"/>\n";
    svg += "  <g fill=\"none\" stroke=\"" + colour(kWhite) + "\" stroke-width=\"" + n(s.bodyLine) +
           "\" stroke-linecap=\"square\" stroke-linejoin=\"bevel\">\n";
    svg += "    <rect " + rect(s.body, s.bodyRadiusX, s.bodyRadiusY) + "/>\n";
    svg += "    <line " + line(s.split) + "/>\n  </g>\n";
    svg += "  <line " + line(s.wheel) + " stroke=\"" + colour(kAccent) + "\" stroke-width=\"" + n(s.wheelLine) +
           "\" stroke-linecap=\"round\"/>\n";
    svg += "</svg>\n";
    return svg;
}

void popupBackground(QPainter& p, double w, double h) {
    QRectF r(0, 0, w, h);
    p.fillRect(r, vertical(r, QColor(0x1F, 0x22, 0x27), QColor(0x15, 0x16, 0x1A)));
}

// ---- the list ----

std::vector<Skin> skins() {
    std::vector<Skin> list;
    auto add = [&](QString name, int w, int h, Paint paint) {
        bool bmp = name.endsWith(QStringLiteral(".bmp"));
        list.push_back(Skin{std::move(name), w, h, std::move(paint), bmp});
    };
    const char* looks[] = {"nr", "ov", "dn"};
    for (int look = 0; look < 3; ++look) {
        QString s = QString::fromLatin1(looks[look]);
        add("check_" + s + ".png", 160, 20, [look](QPainter& p, double w, double h) { checkBox(p, w, h, look); });
        add("radio_" + s + ".png", 160, 20, [look](QPainter& p, double w, double h) { radio(p, w, h, look); });
        add("check_button_dpi_" + s + ".png", 18, 18,
            [look](QPainter& p, double w, double h) { dpiCheck(p, w, h, look); });
    }
    add("dpi_value_nr.png", 28, 18, [](QPainter& p, double w, double h) { dpiValueButton(p, w, h, false); });
    add("dpi_value_ov.png", 28, 18, [](QPainter& p, double w, double h) { dpiValueButton(p, w, h, true); });
    for (int look = 0; look < 2; ++look) {
        QString s = QString::fromLatin1(looks[look]);
        bool hover = look == 1;
        add("exit_" + s + ".png", 22, 22, [hover](QPainter& p, double w, double h) { exitButton(p, w, h, hover); });
        add("min_" + s + ".png", 22, 22, [hover](QPainter& p, double w, double h) { minButton(p, w, h, hover); });
        add("button2_" + s + ".png", 80, 24, [look](QPainter& p, double w, double h) { textButton(p, w, h, look); });
        add("header_" + s + ".png", 260, 30,
            [hover](QPainter& p, double w, double h) { header(p, w, h, hover, false); });
        add("header2_" + s + ".png", 260, 30,
            [hover](QPainter& p, double w, double h) { header(p, w, h, hover, true); });
        add("combo2_" + s + ".png", 200, 26, [hover](QPainter& p, double w, double h) { combo(p, w, h, hover); });
        add("combo3_" + s + ".png", 150, 24, [hover](QPainter& p, double w, double h) { combo(p, w, h, hover); });
        add("menu_" + s + ".png", 160, 26,
            [hover](QPainter& p, double w, double h) { menuRow(p, w, h, hover, false); });
        add("menusub_" + s + ".png", 160, 26,
            [hover](QPainter& p, double w, double h) { menuRow(p, w, h, hover, true); });
        add("profile_list_" + s + ".png", 24, 24,
            [hover](QPainter& p, double w, double h) { profileListButton(p, w, h, hover); });
    }
    add("button4_nr.png", 120, 26, [](QPainter& p, double w, double h) { textButton(p, w, h, 0); });
    const char* tabLooks[] = {"nr", "ov", "dn", "dn_ov"};
    for (int look = 0; look < 4; ++look)
        add(QStringLiteral("profile_tab_%1.png").arg(QLatin1String(tabLooks[look])), 104, 20,
            [look](QPainter& p, double w, double h) { profileTab(p, w, h, look); });
    const char* arrowLooks[] = {"nr", "ov", "check"};
    for (int look = 0; look < 3; ++look) {
        QString s = QString::fromLatin1(arrowLooks[look]);
        add("up_" + s + ".png", 26, 26, [look](QPainter& p, double w, double h) { arrowButton(p, w, h, true, look); });
        add("down_" + s + ".png", 26, 26,
            [look](QPainter& p, double w, double h) { arrowButton(p, w, h, false, look); });
    }
    for (int rate : {125, 250, 500, 1000}) {
        QString r = QString::number(rate);
        add(r + "hz_nr.png", 60, 26, [r](QPainter& p, double w, double h) { rateButton(p, w, h, r, false); });
        add(r + "hz_dn.png", 60, 26, [r](QPainter& p, double w, double h) { rateButton(p, w, h, r, true); });
    }
    add("color_select_nr.png", 24, 24, [](QPainter& p, double w, double h) { colourFrame(p, w, h, false); });
    add("color_select_check.png", 24, 24, [](QPainter& p, double w, double h) { colourFrame(p, w, h, true); });
    add("foldr_open.png", 16, 16, [](QPainter& p, double w, double h) { folder(p, w, h, true); });
    add("foldr_close.png", 16, 16, [](QPainter& p, double w, double h) { folder(p, w, h, false); });
    add("macro_up.png", 12, 12, [](QPainter& p, double w, double h) { macroArrow(p, w, h, true); });
    add("macro_down.png", 12, 12, [](QPainter& p, double w, double h) { macroArrow(p, w, h, false); });
    add("macro_time.png", 12, 12, [](QPainter& p, double w, double h) { clock(p, w, h); });
    add("macro_record_nr.png", 90, 26, [](QPainter& p, double w, double h) { recordButton(p, w, h, false); });
    add("macro_record_dn.png", 90, 26, [](QPainter& p, double w, double h) { recordButton(p, w, h, true); });
    add("Slider_bar.png", 200, 8, [](QPainter& p, double w, double h) { sliderBar(p, w, h, false); });
    add("Slider_bar2.png", 200, 8, [](QPainter& p, double w, double h) { sliderBar(p, w, h, true); });
    add("Slider_Circle.png", 16, 16, [](QPainter& p, double w, double h) { sliderKnob(p, w, h); });
    const QColor green(0x4C, 0xC2, 0x5E), orange(0xF0, 0x9A, 0x3E), red(0xE5, 0x48, 0x48);
    add("battery_full.png", 40, 18, [green](QPainter& p, double w, double h) {
        batteryOutline(p, w, h, QColor(0x8C, 0x92, 0x9A));
        batteryFill(p, w, h, green);
    });
    add("battery_empty.png", 40, 18,
        [](QPainter& p, double w, double h) { batteryOutline(p, w, h, QColor(0x8C, 0x92, 0x9A)); });
    add("battery_charging.png", 40, 18, [](QPainter& p, double w, double h) { batteryOutline(p, w, h, kAccent); });
    add("battery_lighting.png", 40, 18, [](QPainter& p, double w, double h) { bolt(p, w, h); });
    add("battery_green.png", 40, 18, [green](QPainter& p, double w, double h) { batteryFill(p, w, h, green); });
    add("battery_orange.png", 40, 18, [orange](QPainter& p, double w, double h) { batteryFill(p, w, h, orange); });
    add("battery_red.png", 40, 18, [red](QPainter& p, double w, double h) { batteryFill(p, w, h, red); });
    for (int minutes = 3; minutes <= 10; ++minutes)
        add(QStringLiteral("power_manage_%1min.png").arg(minutes), 120, 120,
            [minutes](QPainter& p, double w, double h) { powerDial(p, w, h, minutes); });
    for (int n = 1; n <= 9; ++n)
        add(QStringLiteral("mouse/serial_number%1.png").arg(n), 260, 300,
            [n](QPainter& p, double w, double h) { mousePicture(p, w, h, n); });
    // Shared by the message box and the small editing dialogs, which draw their own titles.
    add("Frame_warning.bmp", 319, 102, [](QPainter& p, double w, double h) { framePanel(p, w, h, false); });
    add("Frame_common.bmp", 429, 140, [](QPainter& p, double w, double h) { framePanel(p, w, h, true); });
    add("Frame_progress_nr.bmp", 429, 140, [](QPainter& p, double w, double h) { progressFrame(p, w, h, false); });
    add("Frame_progress_ov.bmp", 429, 140, [](QPainter& p, double w, double h) { progressFrame(p, w, h, true); });
    add("Frame_Lighting_Setting.bmp", 230, 82, [](QPainter& p, double w, double h) {
        QRectF r(0, 0, w, h);
        p.fillRect(r, QColor(0x17, 0x19, 0x1D));
        p.setPen(QPen(kBorder, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(0.5, 0.5, w - 1, h - 1));
    });
    add("Frame_Macro_Manager.bmp", 528, 365, [](QPainter& p, double w, double h) { framePanel(p, w, h, true); });
    return list;
}

std::vector<Skin> builtins() {
    return {
        {"364.png", 1127, 740, mainBackground, true},
        {"287.png", 500, 291, colourPicture, true},
        {"128.png", 256, 256, appIcon, false},
        {"151.png", 200, 300, popupBackground, true},
    };
}

QImage render(const Skin& skin, double factor) {
    QImage image(int(skin.width * factor + 0.5), int(skin.height * factor + 0.5),
                 skin.opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
    image.fill(skin.opaque ? QColor(0x0F, 0x0F, 0x0F) : QColor(Qt::transparent));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.scale(factor, factor);
    skin.paint(p, skin.width, skin.height);
    p.end();
    return image;
}

bool save(const QImage& image, const QString& path) {
    QDir().mkpath(QFileInfo(path).path());
    const char* format = path.endsWith(QStringLiteral(".bmp")) ? "BMP" : "PNG";
    if (!image.save(path, format)) {
        std::fprintf(stderr, "skingen: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

// The sizes desktops look up in the hicolor theme; each is drawn at its size, not scaled down.
constexpr int kIconSizes[] = {16, 24, 32, 48, 64, 128, 256};

bool writeIconTheme(const QString& folder) {
    bool ok = true;
    const Skin icon{QStringLiteral("quorvik.png"), 0, 0, appIcon, false};
    for (int size : kIconSizes) {
        Skin sized = icon;
        sized.width = sized.height = size;
        ok &= save(render(sized, 1.0), QStringLiteral("%1/%2x%2/apps/quorvik.png").arg(folder).arg(size));
    }
    const QString svgPath = folder + QStringLiteral("/scalable/apps/quorvik.svg");
    QDir().mkpath(QFileInfo(svgPath).path());
    QFile svg(svgPath);
    if (!svg.open(QIODevice::WriteOnly | QIODevice::Truncate) || svg.write(appIconSvg(256)) < 0 || !svg.flush()) {
        std::fprintf(stderr, "skingen: cannot write %s\n", qPrintable(svgPath));
        return false;
    }
    return ok;
}

QString twinName(const QString& name) {
    int dot = name.lastIndexOf('.');
    return name.left(dot) + QStringLiteral("@2x") + name.mid(dot);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: skingen <skins folder> <built-in folder> [<icon theme folder>]\n");
        return 2;
    }
    const QString skinDir = QString::fromLocal8Bit(argv[1]);
    const QString builtinDir = QString::fromLocal8Bit(argv[2]);
    bool ok = true;
    int count = 0;
    for (const Skin& skin : skins()) {
        ok &= save(render(skin, 1.0), skinDir + "/" + skin.name);
        ok &= save(render(skin, 2.0), skinDir + "/" + twinName(skin.name));
        ++count;
    }
    QFile qrc(builtinDir + "/builtin_images.qrc");
    QDir().mkpath(builtinDir);
    if (!qrc.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "skingen: cannot write %s\n", qPrintable(qrc.fileName()));
        return 1;
    }
    QTextStream out(&qrc);
    out << "<RCC>\n  <qresource prefix=\"/quorvik/builtin\">\n";
    for (const Skin& skin : builtins()) {
        ok &= save(render(skin, 1.0), builtinDir + "/" + skin.name);
        out << "    <file>" << skin.name << "</file>\n";
        if (skin.name != QStringLiteral("128.png")) { // the icon is drawn large already
            ok &= save(render(skin, 2.0), builtinDir + "/" + twinName(skin.name));
            out << "    <file>" << twinName(skin.name) << "</file>\n";
        }
    }
    out << "  </qresource>\n</RCC>\n";
    qrc.close();
    if (argc == 4)
        ok &= writeIconTheme(QString::fromLocal8Bit(argv[3]));
    if (!ok)
        return 1;
    // The stamp tells the build the set is complete.
    QFile stamp(skinDir + "/.generated");
    if (!stamp.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 1;
    stamp.write(QByteArray::number(count) + " skins\n");
    return 0;
}
