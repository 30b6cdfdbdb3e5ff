#include "ui/main/OsdDialog.h"

#include "model/LanguageTable.h"
#include "platform/ProcessGlobals.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

namespace quorvik::ui {

namespace {
// The face whose digits are half as wide as they are high; the others draw wider digits.
constexpr std::u16string_view kSongTi = u"宋体";

int ValueX(std::u16string_view face, std::size_t length) {
    const bool songTi = face == kSongTi;
    if (length == 5)
        return songTi ? 34 : 16;
    if (length == 4)
        return songTi ? 44 : 34;
    return 50;
}
} // namespace

OsdTextPositions OsdLayout(std::u16string_view face, const device::OsdTexts& texts) {
    OsdTextPositions at;
    at.title = QPoint(58, 20);
    at.value = QPoint(ValueX(face, texts.value.size()), 44);
    at.rate = QPoint(texts.rate.size() == 6 ? 50 : 57, 92);
    return at;
}

// The display asks for fonts by a cell height (ascent plus descent) and an average character
// width. Qt takes an em size and a stretch instead. The em
// size follows the toolkit's rule for cell heights (13/16 of the cell, as ControlFont); the
// stretch is chosen so that the font's average character width comes out as the asked width,
// which is what a font asked for by its width should look like.
QFont OsdFont(const OsdFontRequest& request, const std::u16string& face, double scale) {
    const double cell = request.height * scale;
    const double width = request.width * scale;
    QFont font(QString::fromStdU16String(face));
    font.setStyleHint(QFont::SansSerif); // family swiss
    font.setWeight(QFont::Weight(request.weight));
    font.setPixelSize(std::max(1, int(std::lround(cell * 13 / 16))));
    const double natural = QFontMetricsF(font).averageCharWidth();
    if (natural > 0)
        font.setStretch(std::clamp(int(std::lround(100 * width / natural)), 1, 4000));
    return font;
}

COSDDialog::COSDDialog(WindowHandle parent) : CDlgBase(kTemplate, parent) {
    width_ = Scaled(kWidthUnits);
    height_ = Scaled(kHeightUnits);
    background_ = FillColour();
}

bool COSDDialog::OnInitDialog() {
    background_ = FillColour();
    return CDlgBase::OnInitDialog();
}

void COSDDialog::SetTexts(const device::OsdTexts& texts, std::u16string profile) {
    texts_ = texts;
    profile_ = std::move(profile);
    InvalidateAll();
}

void COSDDialog::DrawBackground(QPainter& p, const Rect& client) {
    p.fillRect(client.toQRect(), FillColour());
    const std::u16string& face = model::FontFace();
    const double scale = platform::DisplayScaleFactor();
    const QFont small = OsdFont(kOsdTitleFont, face, scale);
    const QFont big = OsdFont(kOsdValueFont, face, scale);
    const OsdTextPositions at = OsdLayout(face, texts_);

    // Each position is the top of the text's cell, as the layout gives it; Qt draws on the
    // baseline, one ascent lower.
    auto draw = [&](const QPoint& topLeft, const QFont& font, const std::u16string& text) {
        p.setFont(font);
        const QFontMetricsF metrics(font);
        p.drawText(QPointF(Scaled(topLeft.x()), Scaled(topLeft.y()) + metrics.ascent()),
                   QString::fromStdU16String(text));
    };
    p.save();
    p.setPen(Qt::white);
    if (!profile_.empty()) {
        // The title and the profile's name, each centred; a long name is cut short with "…".
        const int margin = Scaled(10);
        const QRect line(client.left + margin, 0, client.width() - 2 * margin, 0);
        auto centred = [&](int top, const QFont& font, const std::u16string& text) {
            p.setFont(font);
            const QFontMetrics metrics(font);
            const QString shown = metrics.elidedText(QString::fromStdU16String(text), Qt::ElideRight, line.width());
            p.drawText(QRect(line.left(), Scaled(top), line.width(), metrics.height()), Qt::AlignHCenter, shown);
        };
        centred(at.title.y(), small, texts_.title);
        centred(at.value.y() + 14, small, profile_);
        p.restore();
        return;
    }
    draw(at.title, small, texts_.title);
    draw(at.value, big, texts_.value);
    draw(at.rate, small, texts_.rate);
    p.restore();
}

} // namespace quorvik::ui
