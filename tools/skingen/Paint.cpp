#include "Paint.h"

#include <QPainterPath>

#include <algorithm>

namespace quorvik::skingen {

QFont uiFont(double pixels, int weight) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(std::max(1, int(pixels + 0.5)));
    f.setWeight(QFont::Weight(weight));
    return f;
}

void setFont(QPainter& p, double pixels, int weight) {
    p.setFont(uiFont(pixels, weight));
}

void roundRect(QPainter& p, const QRectF& r, double radius, const QBrush& fill, const QColor& border,
               double borderWidth) {
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

void text(QPainter& p, const QRectF& r, const QString& s, const QColor& c, double px, int flags, int weight) {
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

} // namespace quorvik::skingen
