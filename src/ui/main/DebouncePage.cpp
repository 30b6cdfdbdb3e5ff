#include "ui/main/DebouncePage.h"

#include "model/LanguageTable.h"
#include "model/Text.h"
#include "ui/main/MainIds.h"
#include "ui/skin/Displays.h"
#include "ui/skin/Sliders.h"

#include <algorithm>

namespace quorvik::ui {

using namespace main_ids;

namespace {

constexpr int kHeaderText = 272;
constexpr int kLabelText = 309;

// Units from the page's top-left corner: the label and the value on one line, the slider below.
constexpr int kLeft = 16;
constexpr int kRight = 244;
constexpr int kTextTop = 8;
constexpr int kTextHeight = 18;
constexpr int kValueWidth = 60;
constexpr int kSliderLeft = 12;
constexpr int kSliderRight = 248;
constexpr int kSliderTop = 32;
constexpr int kSliderHeight = 20;
constexpr int kKnobHalf = 8; // the slider's margins: half the knob on either side of a stop
constexpr int kBarHeight = 8;

std::u16string msText(int ms) {
    return model::DecimalText(ms) + u"ms";
}

} // namespace

CDebouncePage::CDebouncePage(PageHost& host) : CColumnPage(host, kHeaderDebounce, kHeaderText, kContentHeight) {}

int CDebouncePage::PositionOfMs(long ms) {
    return int(std::clamp(ms, 0L, long((kPositions - 1) * kMsPerPosition)) / kMsPerPosition);
}

void CDebouncePage::CreateControls() {
    AddContent(2, std::make_unique<CStaticText>(
                      hwnd(), kDebounceLabel, ScaledRect(kLeft, kTextTop, kRight - kValueWidth, kTextTop + kTextHeight),
                      model::LanguageText(kLabelText), Rgb(kTextNormal), Qt::AlignLeft));
    value_ = AddContent(
        2, std::make_unique<CStaticText>(hwnd(), kDebounceText,
                                         ScaledRect(kRight - kValueWidth, kTextTop, kRight, kTextTop + kTextHeight),
                                         u"", Rgb(kTextHover), Qt::AlignRight));

    // The bar picture lies exactly where the slider draws its track (half a margin in from either
    // end, centred on the slider's middle row), so the two make one bar.
    const int margin = Scaled(kKnobHalf);
    const Rect sliderRect = ScaledRect(kSliderLeft, kSliderTop, kSliderRight, kSliderTop + kSliderHeight);
    const int barHeight = Scaled(kBarHeight);
    const int barLeft = sliderRect.left + margin / 2;
    const int barTop = sliderRect.top + (sliderRect.height() - 1) / 2 - barHeight / 2 + 1;
    const int barWidth = sliderRect.width() - (margin + margin) / 2;
    auto bar = std::make_unique<CStaticImage>(hwnd(), kDebounceImage,
                                              Rect{barLeft, barTop, barLeft + barWidth, barTop + barHeight});
    bar->SetImage(SkinFile("Slider_bar.png"));
    bar->SetHitTestable(false);
    AddContent(1, std::move(bar));

    auto slider = std::make_unique<CSliderControl>(hwnd(), kDebounceSlider, sliderRect, kPositions, margin, margin);
    slider->SetImages(SkinFile("Slider_bar.png"), SkinFile("Slider_Circle.png"));
    slider->SetAccessibleName(model::LanguageText(kLabelText));
    slider_ = AddContent(1, std::move(slider));
}

void CDebouncePage::Refresh(const model::ProfileRecord& record) {
    const int position = PositionOfMs(record.PairNumber(model::kPairKeyDebounce));
    slider_->SetValue(position);
    shown_.Shown(position);
    showPosition(position);
}

void CDebouncePage::showPosition(int position) {
    value_->SetText(msText(position * kMsPerPosition));
}

void CDebouncePage::Collect(model::ProfileRecord& record) {
    const long stored = record.PairNumber(model::kPairKeyDebounce);
    if (shown_.Writes(slider_->GetValue(), stored == long(PositionOfMs(stored) * kMsPerPosition)))
        record.SetPairValue(model::kPairKeyDebounce, slider_->GetValue() * kMsPerPosition);
}

bool CDebouncePage::HandleMessage(unsigned message, WPARAM wParam, LPARAM lParam) {
    if (message != unsigned(kDebounceSlider))
        return false;
    if (lParam == kCodeDragValue) {
        showPosition(int(wParam));
        host_.CollectPageValues();
        host_.MarkGroupWithoutDownload(device::SettingGroup::SensorLighting);
    } else if (lParam == kCodeClick) {
        showPosition(slider_->GetValue());
        host_.CollectPageValues();
        host_.MarkGroup(device::SettingGroup::SensorLighting);
    }
    return true;
}

} // namespace quorvik::ui
