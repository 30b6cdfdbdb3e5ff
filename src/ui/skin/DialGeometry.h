// The power-saving dial's sectors, shared by the control's hit test and the skin generator so that
// the clickable areas and the painted ones are the same shapes.
//
// Ten regions: 0 the hub, 1 the gap at the bottom, 2 … 9 the ring sectors of the choices 3 … 10
// minutes, clockwise from lower left to lower right across the top.
#pragma once

#include <QPolygonF>
#include <QRectF>

#include <cmath>
#include <numbers>

namespace quorvik::ui {

inline constexpr int kDialRegions = 10;
inline constexpr double kDialStartDegrees = -135.0; // from 12 o'clock, clockwise
inline constexpr double kDialSweepDegrees = 270.0;
inline constexpr double kDialHubRatio = 0.42; // inner radius of the ring / outer radius

// Point at `radius` and `degrees` (0 = up, clockwise) around the centre of `box`.
inline QPointF DialPoint(const QRectF& box, double radius, double degrees) {
    double a = degrees * std::numbers::pi / 180.0;
    return QPointF(box.center().x() + radius * std::sin(a), box.center().y() - radius * std::cos(a));
}

inline double DialRadius(const QRectF& box) {
    return std::min(box.width(), box.height()) / 2.0;
}

// Start and end angle of ring sector `k` (2 … 9).
inline double DialSectorStart(int k) {
    return kDialStartDegrees + (k - 2) * (kDialSweepDegrees / 8.0);
}
inline double DialSectorEnd(int k) {
    return DialSectorStart(k) + kDialSweepDegrees / 8.0;
}

// A closed polygon approximating region `k` inside `box`.
inline QPolygonF DialRegion(const QRectF& box, int k) {
    const double outer = DialRadius(box);
    const double inner = outer * kDialHubRatio;
    QPolygonF poly;
    auto arc = [&](double radius, double from, double to) {
        const int steps = 12;
        for (int i = 0; i <= steps; ++i)
            poly << DialPoint(box, radius, from + (to - from) * i / steps);
    };
    if (k == 0) {
        arc(inner, 0.0, 360.0);
    } else if (k == 1) {
        arc(outer, kDialStartDegrees + kDialSweepDegrees, 360.0 + kDialStartDegrees);
        arc(inner, 360.0 + kDialStartDegrees, kDialStartDegrees + kDialSweepDegrees);
    } else {
        arc(outer, DialSectorStart(k), DialSectorEnd(k));
        arc(inner, DialSectorEnd(k), DialSectorStart(k));
    }
    return poly;
}

} // namespace quorvik::ui
