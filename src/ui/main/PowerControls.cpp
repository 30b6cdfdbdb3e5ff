#include "ui/main/PowerControls.h"

#include "model/LanguageTable.h"
#include "model/Text.h"
#include "ui/main/MainIds.h"
#include "ui/main/MainLayout.h"
#include "ui/skin/Buttons.h"

#include <algorithm>

namespace quorvik::ui {

using namespace main_ids;

namespace {

constexpr int kTextMoveLighting = 306;
// The dial's range of minutes; a file's time outside it shows at the nearer end.
constexpr long kFirstMinutes = 3;
constexpr long kLastMinutes = 10;
constexpr int kTextMotionWake = 307;

// The power panel: the dial at its left, the two checks stacked beside it, both centred on the
// panel's height. The checks take the rest of the panel's width so their captions have room.
constexpr int kDialSize = 70;
constexpr int kDialLeft = layout::kPanelLeft + 6;
constexpr int kCheckLeft = kDialLeft + kDialSize + 6;
constexpr int kCheckRight = layout::kPanelLeft + layout::kPanelWidth - 2;
constexpr int kCheckHeight = 20;
constexpr int kCheckGap = 10;

std::unique_ptr<CCheckButton> makeCheck(WindowHandle parent, int id, const Rect& rect, int text) {
    auto check =
        std::make_unique<CCheckButton>(parent, id, rect, model::LanguageText(text), true, true, false, Qt::AlignLeft);
    check->SetImages(SkinFile("check_nr.png"), SkinFile("check_ov.png"), SkinFile("check_dn.png"));
    check->SetTextMargins(Scaled(22), 0);
    return check;
}

} // namespace

void CPowerControls::CreateControls() {
    const auto& panel = layout::kPanels[layout::kPanelPower];
    const int middle = panel.y + panel.height / 2;
    const int dialTop = middle - kDialSize / 2;
    auto dial = std::make_unique<CPowerManageButton>(
        hwnd(), kPowerDial, ScaledRect(kDialLeft, dialTop, kDialLeft + kDialSize, dialTop + kDialSize));
    std::array<std::string, 8> images;
    for (int minutes = 3; minutes <= 10; ++minutes)
        images[std::size_t(minutes - 3)] = SkinFile("power_manage_" + std::to_string(minutes) + "min.png");
    dial->SetImages(images);
    dial->SetAccessibleName(model::LanguageText(kTextNamePowerDial));
    dial_ = Add(1, std::move(dial));

    const int firstTop = middle - kCheckHeight - kCheckGap / 2;
    const int secondTop = middle + kCheckGap / 2;
    moveLighting_ =
        Add(1, makeCheck(hwnd(), kMoveLightingCheck,
                         ScaledRect(kCheckLeft, firstTop, kCheckRight, firstTop + kCheckHeight), kTextMoveLighting));
    motionWake_ =
        Add(1, makeCheck(hwnd(), kMotionWakeCheck,
                         ScaledRect(kCheckLeft, secondTop, kCheckRight, secondTop + kCheckHeight), kTextMotionWake));
}

void CPowerControls::Refresh(const model::ProfileRecord& record) {
    dial_->SetChoice(int(std::clamp(record.PairNumber(model::kPairPowerDownTime), kFirstMinutes, kLastMinutes)));
    shownMinutes_.Shown(dial_->GetChoice());
    moveLighting_->SetChecked(record.PairNumber(model::kPairMoveLightingOnOffMode) != 0);
    shownMoveLighting_.Shown(moveLighting_->IsChecked());
    motionWake_->SetChecked(record.PairNumber(model::kPairMotionWakeup) != 0);
    shownMotionWake_.Shown(motionWake_->IsChecked());
}

void CPowerControls::Collect(model::ProfileRecord& record) {
    const long minutes = record.PairNumber(model::kPairPowerDownTime);
    if (shownMinutes_.Writes(dial_->GetChoice(), minutes >= kFirstMinutes && minutes <= kLastMinutes))
        record.SetPairValue(model::kPairPowerDownTime, dial_->GetChoice());
    collectFlag(record, model::kPairMoveLightingOnOffMode, *moveLighting_, shownMoveLighting_);
    collectFlag(record, model::kPairMotionWakeup, *motionWake_, shownMotionWake_);
}

void CPowerControls::collectFlag(model::ProfileRecord& record, int pair, const CCheckButton& check, ShownValue& shown) {
    const long stored = record.PairNumber(pair);
    if (shown.Writes(check.IsChecked(), stored == 0 || stored == 1))
        record.SetPairFlag(pair, check.IsChecked());
}

bool CPowerControls::HandleMessage(unsigned message, WPARAM, LPARAM lParam) {
    if (message != unsigned(kPowerDial) && message != unsigned(kMoveLightingCheck) &&
        message != unsigned(kMotionWakeCheck))
        return false;
    if (lParam != kCodeClick)
        return true; // presses and hovering change nothing
    model::ProfileRecord& record = host_.CurrentRecord();
    switch (message) {
    case kPowerDial:
        record.SetPairValue(model::kPairPowerDownTime, dial_->GetChoice());
        host_.RefreshAllPages();
        host_.MarkGroup(device::SettingGroup::Power);
        break;
    case kMoveLightingCheck:
        record.SetPairFlag(model::kPairMoveLightingOnOffMode, moveLighting_->IsChecked());
        host_.RefreshAllPages();
        host_.MarkGroup(device::SettingGroup::Power);
        break;
    default:
        record.SetPairFlag(model::kPairMotionWakeup, motionWake_->IsChecked());
        host_.RefreshAllPages();
        host_.MarkGroup(device::SettingGroup::Wake);
        break;
    }
    return true;
}

} // namespace quorvik::ui
