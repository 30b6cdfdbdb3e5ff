#include "ui/main/PointerPage.h"

#include "model/LanguageTable.h"
#include "model/Text.h"
#include "ui/main/MainIds.h"
#include "ui/skin/Buttons.h"
#include "ui/skin/Displays.h"
#include "ui/skin/ProgramWords.h"
#include "ui/skin/Sliders.h"

#include <algorithm>

namespace quorvik::ui {

using namespace main_ids;

namespace {

constexpr int kHeaderText = 14;
constexpr int kTextSlow = 317;
constexpr int kTextFast = 318;
constexpr int kTextAcceleration = 313;
constexpr int kTextWheelLines = 314;
constexpr int kTextWheelPage = 315;
constexpr int kTextMouseSettings = 316;

// What each slider row is: its slider, the number of positions, the label, the value text, the
// label and slow/fast text ids, and the setting pairs it fills.
struct RowSetup {
    int sliderId;
    int positions;
    const char* bar; // the track with ten marks fits sliders of eleven positions only
    int labelText;
    int valueId;
    int labelId;
    int slowId;
    int fastId;
    int pair;
    int secondPair; // -1 for none
};
constexpr std::array<RowSetup, 3> kRowSetups = {{
    {kPointerSpeedSlider, 11, "Slider_bar2.png", 310, 3130, 3133, 3136, 3137, model::kPairPointerSpeed, -1},
    // The wheel's lines also set the tilt wheel's speed: the page offers one choice for both.
    {kWheelLinesSlider, 10, "Slider_bar.png", 311, 3131, 3134, 3138, 3139, model::kPairScrollWheelSpeed,
     model::kPairTiltSpeed},
    {kDoubleClickSlider, 11, "Slider_bar2.png", 312, 3132, 3135, 3140, 3141, model::kPairDoubleClickSpeed, -1},
}};

// Layout in units from the page's top-left corner: each slider has a line with its label and
// value, then a line with "Slow", the slider and "Fast". The wheel's slider hangs under its radio.
constexpr int kLeft = 14;
constexpr int kRight = 246;
constexpr int kLabelHeight = 14;
constexpr int kSliderHeight = 16;
constexpr int kEndWidth = 32; // "Slow" and "Fast"
constexpr int kEndGap = 2;
constexpr int kValueWidth = 40;
constexpr int kKnobHalf = 8;
// A check or radio is as large as its picture, whose box sits 3 units in from its left end: the
// box lines up with the labels, the caption starts 24 units in.
constexpr int kChoiceLeft = kLeft - 3;
constexpr int kChoiceWidth = 160;
constexpr int kChoiceHeight = 20;
constexpr int kChoiceCaption = 24;
constexpr int kWheelIndent = kChoiceLeft + kChoiceCaption - kLeft; // under the radio's caption
constexpr int kPointerTop = 4;
constexpr int kAccelerationTop = 36;
constexpr int kDoubleClickTop = 62;
constexpr int kWheelLinesTop = 98;
constexpr int kWheelSliderTop = 118;
constexpr int kWheelPageTop = 150;
constexpr int kButtonTop = 174;
constexpr int kButtonWidth = 120; // the button picture's own width
constexpr int kButtonHeight = 22;

// The slow and fast ends are quieter than the labels; a row that cannot be used is dimmer still.
const QColor kEndColour = Rgb(0x8A8A8A);
const QColor kDimmed = Rgb(0x5A5A5A);

std::unique_ptr<CRadioButton> wheelRadio(WindowHandle parent, int id, int top, int text) {
    auto radio = std::make_unique<CRadioButton>(
        parent, id, ScaledRect(kChoiceLeft, top, kChoiceLeft + kChoiceWidth, top + kChoiceHeight),
        model::LanguageText(text), true, true, false, Qt::AlignLeft);
    radio->SetImages(SkinFile("radio_nr.png"), SkinFile("radio_ov.png"), SkinFile("radio_dn.png"));
    radio->SetTextMargins(Scaled(kChoiceCaption), 0);
    return radio;
}

} // namespace

CPointerPage::CPointerPage(PageHost& host) : CColumnPage(host, kHeaderPointer, kHeaderText, kContentHeight) {}

void CPointerPage::createRow(Row row, int top, int indent) {
    const RowSetup& setup = kRowSetups[std::size_t(row)];
    SliderRow& r = rows_[std::size_t(row)];
    const int left = kLeft + indent;
    const int sliderTop = top + kLabelHeight;
    auto text = [&](int id, int l, int right, int t, int height, std::u16string caption, Qt::Alignment align) {
        return AddContent(2, std::make_unique<CStaticText>(hwnd(), id, ScaledRect(l, t, right, t + height),
                                                           std::move(caption), Rgb(kTextNormal), align));
    };
    r.texts[0] = text(setup.labelId, left, kRight - kValueWidth, top, kLabelHeight,
                      model::LanguageText(setup.labelText), Qt::AlignLeft);
    r.value = text(setup.valueId, kRight - kValueWidth, kRight, top, kLabelHeight, u"", Qt::AlignRight);
    r.value->SetColour(Rgb(kTextHover));
    r.texts[1] = text(setup.slowId, left, left + kEndWidth, sliderTop, kSliderHeight, model::LanguageText(kTextSlow),
                      Qt::AlignLeft);
    r.texts[2] = text(setup.fastId, kRight - kEndWidth, kRight, sliderTop, kSliderHeight,
                      model::LanguageText(kTextFast), Qt::AlignRight);

    auto slider = std::make_unique<CSliderControl>(
        hwnd(), setup.sliderId,
        ScaledRect(left + kEndWidth + kEndGap, sliderTop, kRight - kEndWidth - kEndGap, sliderTop + kSliderHeight),
        setup.positions, Scaled(kKnobHalf), Scaled(kKnobHalf));
    slider->SetImages(SkinFile(setup.bar), SkinFile("Slider_Circle.png"));
    slider->SetAccessibleName(model::LanguageText(setup.labelText));
    r.slider = AddContent(1, std::move(slider));
}

void CPointerPage::CreateControls() {
    createRow(kRowPointerSpeed, kPointerTop, 0);

    auto check = std::make_unique<CCheckButton>(
        hwnd(), kAcceleration,
        ScaledRect(kChoiceLeft, kAccelerationTop, kChoiceLeft + kChoiceWidth, kAccelerationTop + kChoiceHeight),
        model::LanguageText(kTextAcceleration), true, true, false, Qt::AlignLeft);
    check->SetImages(SkinFile("check_nr.png"), SkinFile("check_ov.png"), SkinFile("check_dn.png"));
    check->SetTextMargins(Scaled(kChoiceCaption), 0);
    acceleration_ = AddContent(1, std::move(check));

    createRow(kRowDoubleClick, kDoubleClickTop, 0);

    wheelLines_ = AddContent(1, wheelRadio(hwnd(), kWheelLines, kWheelLinesTop, kTextWheelLines));
    createRow(kRowWheelLines, kWheelSliderTop, kWheelIndent);
    wheelPage_ = AddContent(1, wheelRadio(hwnd(), kWheelPage, kWheelPageTop, kTextWheelPage));

    const int buttonLeft = (kLeft + kRight - kButtonWidth) / 2;
    auto button = std::make_unique<CImageButton>(
        hwnd(), kMouseSettings,
        ScaledRect(buttonLeft, kButtonTop, buttonLeft + kButtonWidth, kButtonTop + kButtonHeight),
        model::LanguageText(kTextMouseSettings));
    button->SetImages(SkinFile("button4_nr.png"));
    AddContent(1, std::move(button));
}

void CPointerPage::Refresh(const model::ProfileRecord& record) {
    for (int row = 0; row < kRowCount; ++row) {
        const RowSetup& setup = kRowSetups[std::size_t(row)];
        const long position = std::clamp(record.PairNumber(setup.pair), 0L, long(setup.positions - 1));
        SliderRow& r = rows_[std::size_t(row)];
        r.slider->SetValue(int(position));
        r.shown.Shown(int(position));
        showValue(Row(row), int(position));
    }
    acceleration_->SetChecked(record.PairNumber(model::kPairAccelerationEnable) != 0);
    shownAcceleration_.Shown(acceleration_->IsChecked());
    const bool pages = record.PairNumber(model::kPairScrollWheelPageEnable) != 0;
    SelectRadio(pages ? kWheelPage : kWheelLines);
    shownWheelPage_.Shown(pages);
    showWheelMode();
}

namespace {

bool isFlag(long stored) {
    return stored == 0 || stored == 1;
}

} // namespace

void CPointerPage::Collect(model::ProfileRecord& record) {
    for (int row = 0; row < kRowCount; ++row) {
        const RowSetup& setup = kRowSetups[std::size_t(row)];
        SliderRow& r = rows_[std::size_t(row)];
        const int position = r.slider->GetValue();
        const long stored = record.PairNumber(setup.pair);
        if (r.shown.Writes(position, stored >= 0 && stored < setup.positions))
            record.SetPairValue(setup.pair, position);
        // The tilt wheel's own value from a file stays until the user chooses the lines.
        if (setup.secondPair >= 0 && r.shown.Moved(position))
            record.SetPairValue(setup.secondPair, position);
    }
    if (shownAcceleration_.Writes(acceleration_->IsChecked(),
                                  isFlag(record.PairNumber(model::kPairAccelerationEnable))))
        record.SetPairFlag(model::kPairAccelerationEnable, acceleration_->IsChecked());
    if (shownWheelPage_.Writes(wheelPage_->IsSelected(), isFlag(record.PairNumber(model::kPairScrollWheelPageEnable))))
        record.SetPairFlag(model::kPairScrollWheelPageEnable, wheelPage_->IsSelected());
}

void CPointerPage::showValue(Row row, int position) {
    rows_[std::size_t(row)].value->SetText(model::DecimalText(position + 1));
}

void CPointerPage::showWheelMode() {
    const bool lines = !wheelPage_->IsSelected();
    SliderRow& row = rows_[kRowWheelLines];
    row.slider->SetDisabled(!lines);
    row.value->SetColour(lines ? Rgb(kTextHover) : kDimmed);
    row.texts[0]->SetColour(lines ? Rgb(kTextNormal) : kDimmed);
    row.texts[1]->SetColour(lines ? kEndColour : kDimmed);
    row.texts[2]->SetColour(lines ? kEndColour : kDimmed);
    host_.Window().InvalidateControl(row.slider);
    host_.Window().InvalidateControl(wheelLines_);
    host_.Window().InvalidateControl(wheelPage_);
}

CPointerPage::SliderRow* CPointerPage::rowOf(unsigned sliderId) {
    for (int row = 0; row < kRowCount; ++row)
        if (unsigned(kRowSetups[std::size_t(row)].sliderId) == sliderId)
            return &rows_[std::size_t(row)];
    return nullptr;
}

bool CPointerPage::HandleMessage(unsigned message, WPARAM wParam, LPARAM lParam) {
    if (message == unsigned(kWheelLines) || message == unsigned(kWheelPage) || message == unsigned(kAcceleration)) {
        if (lParam == kCodeClick) {
            if (message != unsigned(kAcceleration))
                showWheelMode();
            host_.CollectPageValues();
            host_.StartDownloadTimer();
        }
        return true;
    }
    SliderRow* row = rowOf(message);
    if (!row)
        return false;
    const Row index = Row(row - rows_.data());
    if (lParam == kCodeDragValue) {
        showValue(index, int(wParam));
        host_.CollectPageValues();
    } else if (lParam == kCodeClick) {
        showValue(index, row->slider->GetValue());
        host_.CollectPageValues();
        host_.StartDownloadTimer();
    }
    return true;
}

} // namespace quorvik::ui
