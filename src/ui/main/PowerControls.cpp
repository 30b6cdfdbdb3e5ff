#include "ui/main/PowerControls.h"

#include "model/LanguageTable.h"
#include "model/Text.h"
#include "ui/main/MainIds.h"
#include "ui/skin/Buttons.h"

namespace quorvik::ui {

using namespace main_ids;

namespace {

std::unique_ptr<CCheckButton> makeCheck(WindowHandle parent, int id, const Rect& rect, int text) {
    auto check =
        std::make_unique<CCheckButton>(parent, id, rect, model::LanguageText(text), true, true, false, Qt::AlignLeft);
    check->SetImages(SkinFile("check_nr.png"), SkinFile("check_ov.png"), SkinFile("check_dn.png"));
    check->SetTextMargins(Scaled(24), 0);
    return check;
}

} // namespace

void CPowerControls::CreateControls() {
    auto dial = std::make_unique<CPowerManageButton>(hwnd(), kPowerDial, ScaledRect(44, 426, 120, 502));
    std::array<std::string, 8> images;
    for (int minutes = 3; minutes <= 10; ++minutes)
        images[std::size_t(minutes - 3)] = SkinFile("power_manage_" + std::to_string(minutes) + "min.png");
    dial->SetImages(images);
    dial_ = Add(1, std::move(dial));
    moveLighting_ = Add(1, makeCheck(hwnd(), kMoveLightingCheck, ScaledRect(128, 436, 264, 456), 306));
    motionWake_ = Add(1, makeCheck(hwnd(), kMotionWakeCheck, ScaledRect(128, 468, 264, 488), 307));
}

void CPowerControls::Refresh(const model::ProfileRecord& record) {
    dial_->SetChoice(int(model::ParseDecimal(record.PairValue(model::kPairPowerDownTime))));
    moveLighting_->SetChecked(model::ParseDecimal(record.PairValue(model::kPairMoveLightingOnOffMode)) != 0);
    motionWake_->SetChecked(model::ParseDecimal(record.PairValue(model::kPairMotionWakeup)) != 0);
}

void CPowerControls::Collect(model::ProfileRecord& record) {
    record.SetPairValue(model::kPairPowerDownTime, dial_->GetChoice());
    record.SetPairFlag(model::kPairMoveLightingOnOffMode, moveLighting_->IsChecked());
    record.SetPairFlag(model::kPairMotionWakeup, motionWake_->IsChecked());
}

bool CPowerControls::HandleMessage(unsigned, WPARAM, LPARAM) {
    return false;
}

} // namespace quorvik::ui
