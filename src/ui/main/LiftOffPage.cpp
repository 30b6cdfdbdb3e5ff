#include "ui/main/LiftOffPage.h"

#include "model/LanguageTable.h"
#include "ui/main/MainIds.h"
#include "ui/skin/Buttons.h"
#include "ui/skin/Displays.h"
#include "ui/skin/ProgramWords.h"

namespace quorvik::ui {

using namespace main_ids;

namespace {

constexpr int kLiftOffHeaderText = 19;
constexpr int kTextLow = 304;
constexpr int kTextHigh = 305;

// Setting pair 17: 1 for the low distance, 2 for the high one (and for anything else a file holds).
constexpr long kLiftLowValue = 1;
constexpr long kLiftHighValue = 2;

// Two rows in units from the page's top-left corner. A radio is as large as its picture (the
// circle at its left end); its label lies over the rest of it, so a click on the label chooses.
constexpr int kLiftOffLeft = 16;
constexpr int kRadioWidth = 160;
constexpr int kRadioHeight = 20;
constexpr std::array<int, 2> kRowTops = {10, 34};
constexpr int kLabelIndent = 24;

} // namespace

CLiftOffPage::CLiftOffPage(PageHost& host) : CColumnPage(host, kHeaderLiftOff, kLiftOffHeaderText, kContentHeight) {}

void CLiftOffPage::CreateControls() {
    const std::array<int, 2> ids = {kLiftLow, kLiftHigh};
    const std::array<int, 2> texts = {kTextLow, kTextHigh};
    for (std::size_t i = 0; i < 2; ++i) {
        const int top = kRowTops[i];
        auto radio = std::make_unique<CRadioButton>(
            hwnd(), ids[i], ScaledRect(kLiftOffLeft, top, kLiftOffLeft + kRadioWidth, top + kRadioHeight), u"");
        radio->SetImages(SkinFile("radio_nr.png"), SkinFile("radio_ov.png"), SkinFile("radio_dn.png"));
        // The label beside it names it.
        radio->SetAccessibleName(model::LanguageText(texts[i]));
        radios_[i] = AddContent(1, std::move(radio));

        auto label = std::make_unique<CStaticText>(
            hwnd(), kLiftText + int(i),
            ScaledRect(kLiftOffLeft + kLabelIndent, top, kLiftOffLeft + kRadioWidth, top + kRadioHeight),
            model::LanguageText(texts[i]), Rgb(kTextNormal), Qt::AlignLeft);
        label->SetHitTestable(false); // the radio under it takes the click
        texts_[i] = AddContent(2, std::move(label));
    }
}

void CLiftOffPage::Refresh(const model::ProfileRecord& record) {
    const bool low = record.PairNumber(model::kPairLiftDetectionHeight) == kLiftLowValue;
    SelectRadio(low ? kLiftLow : kLiftHigh);
    shown_.Shown(low);
    showChoice();
}

void CLiftOffPage::showChoice() {
    // The chosen label in the checked colour of the other choices on the window.
    for (std::size_t i = 0; i < 2; ++i)
        texts_[i]->SetColour(radios_[i]->IsSelected() ? Rgb(kTextPressed) : Rgb(kTextNormal));
}

void CLiftOffPage::Collect(model::ProfileRecord& record) {
    const long stored = record.PairNumber(model::kPairLiftDetectionHeight);
    const bool low = radios_[0]->IsSelected();
    if (shown_.Writes(low, stored == kLiftLowValue || stored == kLiftHighValue))
        record.SetPairValue(model::kPairLiftDetectionHeight, int(low ? kLiftLowValue : kLiftHighValue));
}

bool CLiftOffPage::HandleMessage(unsigned message, WPARAM, LPARAM lParam) {
    if (message != unsigned(kLiftLow) && message != unsigned(kLiftHigh))
        return false;
    if (lParam == kCodeClick) {
        host_.CollectPageValues();
        showChoice();
        host_.MarkGroup(device::SettingGroup::SensorLighting);
    }
    return true;
}

} // namespace quorvik::ui
