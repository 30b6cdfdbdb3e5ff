#include "Pictures.h"

#include "ui/skin/DialGeometry.h"

#include <QPainterPath>
#include <QRadialGradient>

#include <array>

namespace quorvik::skingen {

using quorvik::ui::DialRegion;

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

namespace {

QRectF batteryBody(double w, double h) {
    return QRectF(1, 1, w - 6, h - 2);
}
QRectF batteryInside(double w, double h) {
    return batteryBody(w, h).adjusted(3, 3, -3, -3);
}

} // namespace

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
             choice == minutes  ? kDeep
             : choice < minutes ? kWhite
                                : QColor(0x9A, 0xA0, 0xA8),
             w * 0.085);
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
    // The seven buttons the program sets, numbered as the selectors are: left, right, middle,
    // forward, back, the DPI button behind the wheel, the fire key on the right side. Pictures 8
    // and 9 (for the two selectors the window keeps hidden) light none.
    const std::array<Part, 7> parts{{
        {QRectF(body.left() + 6, body.top() + 8, bw / 2 - 10, split - body.top() - 12), QPointF(w * 0.1, h * 0.12)},
        {QRectF(cx + 4, body.top() + 8, bw / 2 - 10, split - body.top() - 12), QPointF(w * 0.9, h * 0.12)},
        {QRectF(cx - 6, body.top() + h * 0.1, 12, h * 0.12), QPointF(w * 0.5, h * 0.02 + 6)},
        {QRectF(body.left() - 3, h * 0.44, 6, h * 0.09), QPointF(w * 0.08, h * 0.44)},
        {QRectF(body.left() - 3, h * 0.56, 6, h * 0.09), QPointF(w * 0.08, h * 0.6)},
        {QRectF(cx - 5, split + h * 0.03, 10, h * 0.07), QPointF(w * 0.9, h * 0.46)},
        {QRectF(body.right() - 3, h * 0.48, 6, h * 0.1), QPointF(w * 0.92, h * 0.62)},
    }};
    for (int i = 0; i < int(parts.size()); ++i) {
        const Part& part = parts[std::size_t(i)];
        bool lit = i + 1 == n;
        p.setPen(QPen(lit ? kAccent : QColor(0x4A, 0x4F, 0x56), 1.2));
        p.setBrush(lit ? QColor(0x35, 0xA0, 0xDE, 110) : QColor(0x2A, 0x2E, 0x34));
        p.drawRoundedRect(part.area, 3, 3);
        p.setPen(QPen(lit ? kAccent : QColor(0x3A, 0x3F, 0x46), 1, lit ? Qt::SolidLine : Qt::DotLine));
        p.drawLine(part.area.center(), part.callout);
        QRectF dot(part.callout.x() - 8, part.callout.y() - 8, 16, 16);
        p.setPen(QPen(lit ? kAccent : QColor(0x5A, 0x5F, 0x66), 1.2));
        p.setBrush(lit ? kAccentFill : QColor(0x1A, 0x1C, 0x20));
        p.drawEllipse(dot);
        text(p, dot, QString::number(i + 1), lit ? kWhite : kText, 10);
    }
}

} // namespace quorvik::skingen
