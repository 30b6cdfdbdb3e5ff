#include "TextContrast.h"

#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPainter>
#include <QTextItem>

#include <algorithm>
#include <climits>
#include <cmath>
#include <sstream>

namespace quorvik::test {

namespace {

double channel(int value) {
    const double c = value / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(const QColor& c) {
    return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

struct Run {
    QString text;
    QFont font;
    QColor colour;
    QPointF baseline; // in the painter's coordinates
    QTransform toDevice;
    QRectF clip; // in window pixels; empty for none
};

// Paints nothing: keeps each text run with the painter's state at that moment.
class RecordingEngine : public QPaintEngine {
public:
    RecordingEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawImage(const QRectF&, const QImage&, const QRectF&, Qt::ImageConversionFlags) override {}
    void drawPath(const QPainterPath&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawTextItem(const QPointF& p, const QTextItem& item) override {
        Run run;
        run.text = item.text();
        run.font = item.font();
        run.colour = painter()->pen().color();
        run.baseline = p;
        run.toDevice = painter()->deviceTransform();
        if (painter()->hasClipping())
            run.clip = painter()->deviceTransform().mapRect(painter()->clipBoundingRect());
        runs.push_back(run);
    }
    Type type() const override { return QPaintEngine::User; }

    std::vector<Run> runs;
};

class RecordingDevice : public QPaintDevice {
public:
    RecordingDevice(QSize size, int dpi) : size_(size), dpi_(dpi) {}
    QPaintEngine* paintEngine() const override { return &engine_; }
    std::vector<Run>& runs() { return engine_.runs; }

protected:
    int metric(PaintDeviceMetric metric) const override {
        switch (metric) {
        case PdmWidth:
            return size_.width();
        case PdmHeight:
            return size_.height();
        case PdmWidthMM:
            return size_.width() * 254 / (dpi_ * 10);
        case PdmHeightMM:
            return size_.height() * 254 / (dpi_ * 10);
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return dpi_;
        case PdmDepth:
            return 32;
        case PdmNumColors:
            return INT_MAX;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(QPaintDevice::devicePixelRatioFScale());
        default:
            return 0;
        }
    }

private:
    QSize size_;
    int dpi_;
    mutable RecordingEngine engine_;
};

// Glyph coverage (0 … 255) of a run over `box` (window pixels), the run drawn alone.
QImage coverage(const Run& run, const QRect& box) {
    QImage mask(box.size(), QImage::Format_ARGB32_Premultiplied);
    mask.fill(Qt::transparent);
    QPainter p(&mask);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.translate(-box.topLeft());
    p.setTransform(run.toDevice, true);
    p.setFont(run.font);
    p.setPen(Qt::white);
    p.drawText(run.baseline, run.text);
    p.end();
    return mask;
}

// Pixels within `radius` (a square) of a covered pixel.
std::vector<bool> grown(const QImage& mask, int radius) {
    const int w = mask.width(), h = mask.height();
    std::vector<bool> near(std::size_t(w * h), false);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (qAlpha(mask.pixel(x, y)) == 0)
                continue;
            for (int dy = std::max(0, y - radius); dy <= std::min(h - 1, y + radius); ++dy)
                for (int dx = std::max(0, x - radius); dx <= std::min(w - 1, x + radius); ++dx)
                    near[std::size_t(dy * w + dx)] = true;
        }
    return near;
}

struct Placed {
    const Run* run;
    QRect box;   // window pixels around its glyphs, clipped to what is in view
    QImage mask; // its glyph coverage over `box`
};

Placed place(const Run& run, const QRect& view) {
    const QRectF glyphs = QFontMetricsF(run.font).boundingRect(run.text).translated(run.baseline);
    QRect box = run.toDevice.mapRect(glyphs).toAlignedRect().adjusted(-4, -4, 4, 4) & view;
    if (!run.clip.isEmpty())
        box &= run.clip.toAlignedRect().adjusted(-4, -4, 4, 4);
    return {&run, box, box.isEmpty() ? QImage() : coverage(run, box)};
}

// Every pixel any text's glyphs touch, or touch the pixel beside: never a background.
std::vector<bool> inkOf(const std::vector<Placed>& placed, const QSize& size) {
    std::vector<bool> ink(std::size_t(size.width() * size.height()), false);
    for (const Placed& p : placed) {
        if (p.box.isEmpty())
            continue;
        const std::vector<bool> edge = grown(p.mask, 1);
        for (int y = 0; y < p.box.height(); ++y)
            for (int x = 0; x < p.box.width(); ++x)
                if (edge[std::size_t(y * p.box.width() + x)])
                    ink[std::size_t((p.box.top() + y) * size.width() + p.box.left() + x)] = true;
    }
    return ink;
}

DrawnText measure(const Placed& placed, const QImage& shot, const std::vector<bool>& ink) {
    const Run& run = *placed.run;
    DrawnText drawn{run.text, run.colour, placed.box, 0, {}};
    if (placed.box.isEmpty())
        return drawn;
    const QRect& box = placed.box;
    const QRect clip = run.clip.isEmpty() ? shot.rect() : run.clip.toAlignedRect();
    const std::vector<bool> ring = grown(placed.mask, 3);
    // A colour drawn see-through is measured as it came out: over its own core pixels.
    int r = 0, g = 0, b = 0, cores = 0;
    std::vector<std::pair<double, QColor>> around;
    for (int y = 0; y < box.height(); ++y)
        for (int x = 0; x < box.width(); ++x) {
            const QPoint at = box.topLeft() + QPoint(x, y);
            if (!clip.contains(at))
                continue;
            if (qAlpha(placed.mask.pixel(x, y)) >= 160) {
                const QColor c = shot.pixelColor(at);
                r += c.red();
                g += c.green();
                b += c.blue();
                ++cores;
            } else if (ring[std::size_t(y * box.width() + x)] && !ink[std::size_t(at.y() * shot.width() + at.x())]) {
                around.push_back({0, shot.pixelColor(at)});
            }
        }
    if (cores == 0 || around.empty())
        return drawn; // out of view
    QColor colour = run.colour;
    if (colour.alpha() < 255)
        colour = QColor(r / cores, g / cores, b / cores);
    drawn.colour = colour;
    for (auto& [ratio, pixel] : around)
        ratio = ContrastRatio(colour, pixel);
    std::sort(around.begin(), around.end(), [](const auto& a, const auto& c) { return a.first < c.first; });
    const auto& worst = around[around.size() / 10];
    drawn.contrast = worst.first;
    drawn.background = worst.second;
    return drawn;
}

} // namespace

double ContrastRatio(const QColor& a, const QColor& b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

std::vector<DrawnText> MeasureTexts(QWidget* widget, const QRect& within) {
    const QImage shot = widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
    RecordingDevice recorder(shot.size(), widget->logicalDpiX());
    widget->render(&recorder, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
    const QRect view = within.isEmpty() ? shot.rect() : within & shot.rect();
    std::vector<Placed> placed;
    for (const Run& run : recorder.runs())
        if (!run.text.trimmed().isEmpty())
            placed.push_back(place(run, view));
    const std::vector<bool> ink = inkOf(placed, shot.size());
    std::vector<DrawnText> texts;
    for (const Placed& p : placed) {
        DrawnText drawn = measure(p, shot, ink);
        if (drawn.contrast > 0)
            texts.push_back(drawn);
    }
    return texts;
}

std::string LowContrast(const std::vector<DrawnText>& texts, double minimum) {
    std::ostringstream out;
    for (const DrawnText& t : texts) {
        if (t.contrast >= minimum)
            continue;
        out << "'" << t.text.toStdString() << "' " << t.colour.name().toStdString() << " on "
            << t.background.name().toStdString() << ": " << std::round(t.contrast * 10) / 10 << " at " << t.box.x()
            << "," << t.box.y() << "\n";
    }
    return out.str();
}

} // namespace quorvik::test
