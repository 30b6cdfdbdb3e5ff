#include "Pictures.h"

#include "ui/main/MainLayout.h"

#include <QImage>
#include <QLineF>
#include <QPainterPath>
#include <QRadialGradient>

namespace quorvik::skingen {

// ---- built-in pictures ----

void mainBackground(QPainter& p, double w, double h) {
    QRectF all(0, 0, w, h);
    p.fillRect(all, vertical(all, QColor(0x17, 0x19, 0x1D), QColor(0x0E, 0x0F, 0x11)));
    // A faint diagonal texture so large areas are not flat.
    p.setPen(QPen(QColor(255, 255, 255, 6), 1));
    for (double x = -h; x < w; x += 14)
        p.drawLine(QPointF(x, h), QPointF(x + h, 0));
    // The title bar ends above the first panel's header.
    const double divider = quorvik::ui::layout::kTitleBarHeight - 1;
    QRectF bar(0, 0, w, divider);
    p.fillRect(bar, vertical(bar, QColor(0x22, 0x25, 0x2B), QColor(0x19, 0x1B, 0x20)));
    p.fillRect(QRectF(0, divider, w, 1), kBorder);
    p.fillRect(QRectF(0, 0, w, 2), kAccent);
    text(p, QRectF(20, 1, 400, divider), QStringLiteral("GAMING MOUSE"), kWhite, 17, Qt::AlignLeft | Qt::AlignVCenter,
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
namespace {

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

} // namespace

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

} // namespace quorvik::skingen
