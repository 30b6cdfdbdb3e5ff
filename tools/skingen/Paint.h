// The look every picture shares (colours, fonts, rounded boxes, gradients, marks) and the list
// entry a picture is drawn from.
#pragma once

#include <QColor>
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QString>

#include <functional>

namespace quorvik::skingen {

inline const QColor kAccent(0x35, 0xA0, 0xDE);
inline const QColor kAccentDeep(0x1F, 0x6F, 0x9E);
// The accent where text lies on it (a pressed button, the profile in use, a menu row under the
// pointer): from here down to kAccentDeep white and yellow text keep 4.5 : 1 or more.
inline const QColor kAccentFill(0x24, 0x79, 0xAA);
inline const QColor kDeep(0x10, 0x11, 0x13);
inline const QColor kPanel(0x1A, 0x1C, 0x20);
inline const QColor kPanelHi(0x26, 0x29, 0x2F);
inline const QColor kBorder(0x33, 0x37, 0x3E);
inline const QColor kText(0xB4, 0xB4, 0xB4);
inline const QColor kWhite(0xF2, 0xF4, 0xF6);

// Draws a picture of w × h units.
using Paint = std::function<void(QPainter&, double w, double h)>;

struct Skin {
    QString name;
    int width;
    int height;
    Paint paint;
    bool opaque = false; // bitmaps have no alpha channel
};

QFont uiFont(double pixels, int weight = QFont::DemiBold);
// Glyphs are sized in units; the painter's scale makes them crisp at twice the size too.
void setFont(QPainter& p, double pixels, int weight = QFont::DemiBold);
void roundRect(QPainter& p, const QRectF& r, double radius, const QBrush& fill, const QColor& border,
               double borderWidth = 1.0);
QLinearGradient vertical(const QRectF& r, const QColor& top, const QColor& bottom);
void text(QPainter& p, const QRectF& r, const QString& s, const QColor& c, double px, int flags = Qt::AlignCenter,
          int weight = QFont::DemiBold);
void checkMark(QPainter& p, const QRectF& r, const QColor& c, double width);
// direction: 0 down, 1 up, 2 right
void chevron(QPainter& p, QPointF centre, double size, const QColor& c, double width, int direction);

} // namespace quorvik::skingen
