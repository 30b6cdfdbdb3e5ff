// The on-screen display: a half-transparent box in the corner of the screen that shows the DPI
// level, the DPI value and the report rate for a moment after the user changed them on the
// mouse. It never takes the keyboard or the pointer from the program underneath (a game).
#pragma once

#include "device/MainWindowPort.h"
#include "ui/skin/DlgBase.h"

#include <QPoint>

#include <string_view>

namespace quorvik::ui {

// A font as the display asks for it: cell height, average character width, weight.
struct OsdFontRequest {
    int height;
    int width;
    int weight;
};
inline constexpr OsdFontRequest kOsdTitleFont{24, 12, 700}; // title and rate
inline constexpr OsdFontRequest kOsdValueFont{48, 24, 400}; // the DPI value

// Top-left corners of the three texts in logical pixels, before the display scale.
struct OsdTextPositions {
    QPoint title;
    QPoint value;
    QPoint rate;
    friend bool operator==(const OsdTextPositions&, const OsdTextPositions&) = default;
};

// Where the texts go. The value is placed by its length so that it looks centred, with one set
// of places for the "宋体" face (narrow digits) and one for every other face; the rate moves
// left by seven pixels for "1000Hz".
OsdTextPositions OsdLayout(std::u16string_view face, const device::OsdTexts& texts);

// The font for `request` in `face`, with height and width multiplied by `scale`.
QFont OsdFont(const OsdFontRequest& request, const std::u16string& face, double scale);

class COSDDialog : public CDlgBase {
public:
    static constexpr int kTemplate = 359;
    static constexpr int kWidthUnits = 180;
    static constexpr int kHeightUnits = 140;
    static QColor FillColour() { return QColor(164, 73, 164); }

    explicit COSDDialog(WindowHandle parent = 0);

    // Replaces the three texts and repaints. With a `profile` name, the title and that name are
    // shown instead (a profile made current because of the application in use).
    void SetTexts(const device::OsdTexts& texts, std::u16string profile = {});
    const std::u16string& ProfileName() const { return profile_; }
    const device::OsdTexts& Texts() const { return texts_; }

protected:
    bool OnInitDialog() override;
    void DrawBackground(QPainter& p, const Rect& client) override;
    bool ListsInOpenWindows() const override { return false; }
    platform::WindowKind Kind() const override { return platform::WindowKind::Overlay; }

private:
    device::OsdTexts texts_;
    std::u16string profile_;
};

} // namespace quorvik::ui
