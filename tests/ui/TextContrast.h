// How readable a window's texts are: every text run the window paints, found by painting it once
// more into a recorder, and its colour against the pixels just around its glyphs in the window's
// picture, as the contrast ratio of the accessibility guidelines (1 … 21; 4.5 is the least for
// body text). The glyphs themselves are drawn again, alone, to tell them from their background,
// so gradients, images and panels behind a text are measured where the text sits.
#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>
#include <QWidget>

#include <string>
#include <vector>

namespace quorvik::test {

// The contrast ratio of two opaque colours: (L1 + 0.05) / (L2 + 0.05) of their relative
// luminances, the lighter first.
double ContrastRatio(const QColor& a, const QColor& b);

struct DrawnText {
    QString text;
    QColor colour; // as painted
    QRect box;     // around its glyphs, in the window's pixels
    // The colour against its background: the tenth-lowest percent of the ratios to the pixels
    // 2 to 3 pixels off its glyphs (a stray pixel of a neighbour does not count, a dark corner of
    // a gradient does). 0 when none of its glyphs are in view.
    double contrast = 0;
    QColor background; // the pixel of that ratio
};

// Every text `widget` paints now, measured in its picture (`widget->grab()`). Only `within`
// (window pixels) when it is not empty.
std::vector<DrawnText> MeasureTexts(QWidget* widget, const QRect& within = {});

// The texts below `minimum`, one line each ("'Apply' #B4B4B4 on #35A0DE: 2.4 at 120,30"), for a
// failure message; empty when all reach it.
std::string LowContrast(const std::vector<DrawnText>& texts, double minimum = 4.5);

} // namespace quorvik::test
