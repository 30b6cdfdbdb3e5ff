#include "ui/main/DpiPage.h"

#include "model/LanguageTable.h"
#include "model/Text.h"
#include "platform/Messages.h"
#include "ui/main/ColorPaletteDlg.h"
#include "ui/main/DpiValueSettingDlg.h"
#include "ui/main/MainIds.h"
#include "ui/rules/DpiLevelRule.h"
#include "ui/skin/Buttons.h"
#include "ui/skin/Sliders.h"

#include <QFontMetrics>

#include <vector>

namespace quorvik::ui {

using namespace main_ids;

namespace {

// Red, light enough to read on the page (pure #FF0000 gives 4.4 : 1 on its panel).
constexpr std::uint32_t kCurrentLevelColour = 0xFF4040;
constexpr std::uint32_t kOtherLevelColour = 0xB4B4B4;
// The label of a level that is off: dimmer than those that are on, still readable.
constexpr std::uint32_t kOffLevelColour = 0x80858C;
// The bar of a level that is off: still movable, but drawn muted.
constexpr std::uint32_t kOffLevelBar = 0x3E5A6B;

// Eight columns across the 260-unit column, in units from the content's top-left corner.
constexpr double kFirstColumn = 6;
constexpr double kColumnPitch = 31;
constexpr double kCheckSide = 18;
constexpr double kCheckTop = 8;
constexpr double kLabelTop = 30, kLabelBottom = 46;
constexpr double kDpiSliderTop = 50, kSliderBottom = 148, kSliderWidth = 14;
constexpr double kBoxTop = 154, kBoxBottom = 172, kBoxInset = 2;
constexpr double kColourTop = 178, kColourBottom = 190, kColourInset = 5;

Rect columnRect(int k, double insetOrWidth, double top, double bottom, bool centredWidth) {
    const double left = kFirstColumn + k * kColumnPitch;
    if (centredWidth) {
        const double centre = left + kColumnPitch / 2;
        return ScaledRect(centre - insetOrWidth / 2, top, centre + insetOrWidth / 2, bottom);
    }
    return ScaledRect(left + insetOrWidth, top, left + kColumnPitch - insetOrWidth, bottom);
}

// The label font: the program's, made smaller until the widest DPI of any sensor fits a column with
// a little room to its neighbours.
int labelFontHeight(int width) {
    constexpr const char* kWidestDpi = "26000";
    int height = model::FontHeight();
    while (height > 6 &&
           QFontMetrics(ControlFont(height)).horizontalAdvance(QLatin1String(kWidestDpi)) > width - Scaled(5))
        --height;
    return height;
}

} // namespace

CDpiPage::CDpiPage(PageHost& host) : CColumnPage(host, kHeaderDpi, kHeaderText, kContentHeightUnits) {}

void CDpiPage::CreateControls() {
    const int steps = std::max<int>(1, host_.Sensor().StepCount());
    const int labelFont = labelFontHeight(columnRect(0, 0, kLabelTop, kLabelBottom, false).width());
    for (int k = 0; k < kLevels; ++k) {
        Level& level = levels_[std::size_t(k)];

        auto check = std::make_unique<CCheckButton>(
            hwnd(), kDpiLevelCheck + k, columnRect(k, kCheckSide, kCheckTop, kCheckTop + kCheckSide, true), u"");
        check->SetImages(SkinFile("check_button_dpi_nr.png"), SkinFile("check_button_dpi_ov.png"),
                         SkinFile("check_button_dpi_dn.png"));
        check->SetAccessibleName(NumberedText(kTextNameDpiLevel, k + 1));
        level.check = AddContent(1, std::move(check));

        auto label = std::make_unique<CDPIRadioButton>(hwnd(), kDpiLabel + k,
                                                       columnRect(k, 0, kLabelTop, kLabelBottom, false), u"");
        label->SetFont(labelFont, {});
        label->SetAccessibleName(NumberedText(kTextNameDpiCount, k + 1));
        level.label = AddContent(1, std::move(label));

        level.slider = AddContent(1, std::make_unique<CVerticalSliderControl>(
                                         hwnd(), kDpiSlider + k,
                                         columnRect(k, kSliderWidth, kDpiSliderTop, kSliderBottom, true), steps, 0, 0));
        level.slider->SetAccessibleName(NumberedText(kTextNameDpiValue, k + 1));

        // The label above the slider shows the DPI; the box is the pencil that opens the dialog.
        auto box = std::make_unique<CDPIValueShowControl>(hwnd(), kDpiValueBox + k,
                                                          columnRect(k, kBoxInset, kBoxTop, kBoxBottom, false), u"");
        box->SetImages(SkinFile("dpi_value_nr.png"), SkinFile("dpi_value_ov.png"));
        box->SetAccessibleName(NumberedText(kTextNameDpiBox, k + 1));
        level.box = AddContent(1, std::move(box));

        // The swatch fills the whole button: the button draws a frame over it under the pointer.
        const Rect swatch = columnRect(k, kColourInset, kColourTop, kColourBottom, false);
        level.colour =
            AddContent(1, std::make_unique<CColorSelectButton>(hwnd(), kDpiColourButton + k, swatch, swatch));
        level.colour->SetAccessibleName(NumberedText(kTextNameDpiColour, k + 1));
    }
}

void CDpiPage::showStep(int k, std::uint16_t code) {
    const device::SensorTables& tables = host_.Sensor();
    Level& level = levels_[std::size_t(k)];
    level.label->SetText(model::DecimalText(tables.Dpi(code)));
    level.slider->SetValue(code);
    level.box->SetValue(code, tables.StepCount());
    host_.Window().InvalidateControl(level.slider);
    host_.Window().InvalidateControl(level.box);
}

void CDpiPage::Refresh(const model::ProfileRecord& record) {
    current_ = record.CurrentDPILevelValue;
    const std::optional<int> active = record.ActiveDpiLevel();
    const int steps = host_.Sensor().StepCount();
    for (int k = 0; k < kLevels; ++k) {
        Level& level = levels_[std::size_t(k)];
        const bool on = (record.DPIOffOnFlagValue >> k) & 1;
        level.check->SetChecked(on);
        level.label->SetTextColour(Rgb(active == k ? kCurrentLevelColour : on ? kOtherLevelColour : kOffLevelColour));
        level.label->SetDisabled(!on);
        level.slider->SetStops(steps);
        level.slider->SetBarColour(on ? Rgb(kAccent) : Rgb(kOffLevelBar));
        showStep(k, record.XYSetting[std::size_t(k)]);
        level.colour->SetColor(record.DPILevelIndication[std::size_t(k)]);
    }
}

void CDpiPage::Collect(model::ProfileRecord& record) {
    std::uint8_t mask = 0;
    for (int k = 0; k < kLevels; ++k)
        if (levels_[std::size_t(k)].check->IsChecked())
            mask = std::uint8_t(mask | (1u << k));
    record.DPIOffOnFlagValue = mask;
    record.CurrentDPILevelValue = current_;
}

void CDpiPage::OnSensorChanged(const device::SensorTables& tables) {
    const int steps = tables.StepCount();
    for (Level& level : levels_) {
        level.slider->SetStops(steps);
        level.box->SetValue(level.box->GetValue(), steps);
    }
}

bool CDpiPage::HandleMessage(unsigned message, WPARAM wParam, LPARAM lParam) {
    const int id = int(message);
    auto levelOf = [id](int first) { return id >= first && id < first + kLevels ? id - first : -1; };
    if (int k = levelOf(kDpiLabel); k >= 0)
        return true; // the labels only show; their clicks change nothing here
    if (int k = levelOf(kDpiLevelCheck); k >= 0) {
        if (lParam == kCodeClick)
            onLevelCheck(k);
        return true;
    }
    if (int k = levelOf(kDpiSlider); k >= 0) {
        onSlider(k, wParam, lParam);
        return true;
    }
    if (int k = levelOf(kDpiValueBox); k >= 0) {
        if (lParam == kCodeClick)
            onValueBox(k);
        return true;
    }
    if (int k = levelOf(kDpiColourButton); k >= 0) {
        if (lParam == kCodeClick)
            onColour(k);
        return true;
    }
    return false;
}

void CDpiPage::onLevelCheck(int k) {
    Level& level = levels_[std::size_t(k)];
    model::ProfileRecord& record = host_.CurrentRecord();
    const rules::DpiLevelChange change =
        rules::ApplyDpiLevelRule(record.DPIOffOnFlagValue, k, level.check->IsChecked(), current_);
    if (!change.accepted) {
        level.check->SetChecked(true);
        host_.Window().InvalidateControl(level.check);
        return;
    }
    current_ = change.current;
    host_.CollectPageValues();
    host_.RefreshAllPages();
    host_.MarkGroup(device::SettingGroup::SensorLighting);
}

void CDpiPage::onSlider(int k, WPARAM value, LPARAM code) {
    Level& level = levels_[std::size_t(k)];
    if (code != kCodeDragValue && code != kCodeClick)
        return;
    // While dragging the slider reports its value; on release it holds the final one.
    const auto step = std::uint16_t(code == kCodeDragValue ? int(value) : level.slider->GetValue());
    host_.CurrentRecord().XYSetting[std::size_t(k)] = step;
    showStep(k, step);
    if (code == kCodeDragValue)
        host_.MarkGroupWithoutDownload(device::SettingGroup::SensorLighting);
    else
        host_.MarkGroup(device::SettingGroup::SensorLighting);
}

void CDpiPage::onValueBox(int k) {
    const device::SensorTables& tables = host_.Sensor();
    const int steps = tables.StepCount();
    if (steps == 0)
        return; // no sensor table: there is no step to choose
    std::vector<std::uint16_t> values;
    values.reserve(std::size_t(steps));
    for (int c = 0; c < steps; ++c)
        values.push_back(tables.StepValue(std::uint32_t(c)));
    CDPIValueSettingDlg dialog(levels_[std::size_t(k)].box->GetValue(), steps, values, hwnd());
    if (dialog.DoModal() != platform::IDOK)
        return;
    const auto step = std::uint16_t(dialog.Step());
    host_.CurrentRecord().XYSetting[std::size_t(k)] = step;
    showStep(k, step);
    host_.MarkGroup(device::SettingGroup::SensorLighting);
}

void CDpiPage::onColour(int k) {
    // The palette writes the level's colour into the record itself, and only on OK.
    model::ProfileRecord& record = host_.CurrentRecord();
    CColorPaletteDlg palette(record, CColorPaletteDlg::kModeDpiLevel, k, hwnd());
    if (palette.DoModal() != platform::IDOK)
        return;
    Level& level = levels_[std::size_t(k)];
    level.colour->SetColor(record.DPILevelIndication[std::size_t(k)]);
    host_.Window().InvalidateControl(level.colour);
    host_.MarkGroup(device::SettingGroup::SensorLighting);
}

} // namespace quorvik::ui
