// The lighting page's edits: the effect list, the speed and brightness sliders, the direction and
// the colour slots.
#include "ui/main/LightingPage.h"

#include "model/LanguageTable.h"
#include "platform/Messages.h"
#include "platform/qt/UiLoop.h"
#include "ui/main/ColorPaletteDlg.h"
#include "ui/main/ComboLightingPopup.h"
#include "ui/main/MainIds.h"
#include "ui/rules/ColourSlotRule.h"
#include "ui/skin/Buttons.h"
#include "ui/skin/Sliders.h"

namespace quorvik::ui {

using namespace main_ids;
using device::SettingGroup;

// ---- effect selector ----

WindowHandle CLightingPage::OpenList() const {
    return list_ && host_.Window().Popup(kPopupSlotControl) == list_ ? list_ : 0;
}

void CLightingPage::onSelectorMessage(WPARAM controlId, LPARAM code) {
    if (controlId != WPARAM(kEffectSelector) || code != kCodeClick)
        return; // entering and leaving the selector change nothing here
    const bool folding = foldUntil_ != 0 && platform::UiLoop().now() <= foldUntil_;
    foldUntil_ = 0;
    if (OpenList() || folding) {
        closeList(); // a second click folds the list away
        return;
    }
    openList();
}

void CLightingPage::openList() {
    CDlgBase& window = host_.Window();
    if (!window.window())
        return;
    window.ClosePopup(kPopupSlotControl); // one list at a time hangs off a control
    const Rect& r = selector_->rect();
    const QPoint origin = window.window()->mapToGlobal(QPoint(r.left, r.top));
    const Rect onScreen{origin.x(), origin.y(), origin.x() + r.width(), origin.y() + r.height()};
    auto* list = new CComboLightingPopup(host_.CurrentRecord().SelectedEffect());
    if (!list->Create(window.hwnd(), CComboLightingPopup::PlaceBelow(onScreen), CComboLightingPopup::kKind,
                      kEffectSelector, CComboLightingPopup::kChoiceMessage)) {
        delete list;
        return;
    }
    list_ = list->hwnd();
    window.SetPopup(kPopupSlotControl, list_);
}

void CLightingPage::closeList() {
    if (OpenList())
        host_.Window().ClosePopup(kPopupSlotControl);
    list_ = 0;
    selector_->ClearHover();
}

void CLightingPage::onEffectChosen(LPARAM choice) {
    const auto* chosen = reinterpret_cast<const PopupChoice*>(choice);
    closeList();
    if (!chosen || chosen->index < 0 || chosen->index >= int(kEffectEntries.size()))
        return;
    const EffectEntry& entry = kEffectEntries[std::size_t(chosen->index)];
    model::ProfileRecord& record = host_.CurrentRecord();
    record.SetEffectName(1, model::LanguageText(entry.text));
    record.Lighting1ModeValue[0] = std::uint8_t(entry.effect);
    selector_->SetText(record.EffectName(1));
    // The sliders, checks and radios show the new effect's values.
    host_.RefreshAllPages();
    host_.MarkGroup(SettingGroup::SensorLighting);
}

// ---- speed, brightness, direction ----

void CLightingPage::onSlider(bool speed, WPARAM wParam, LPARAM code) {
    if (code != kCodeDragValue && code != kCodeClick)
        return;
    CSliderControl* slider = speed ? speed_ : brightness_;
    // While dragging the value comes with the message; on release the slider holds it.
    const int position = std::clamp(code == kCodeDragValue ? int(wParam) : slider->GetValue(), 0, slider->Stops() - 1);
    if (speed)
        showSpeedText();
    else
        showBrightnessText();
    model::ProfileRecord& record = host_.CurrentRecord();
    const std::optional<int> effect = record.SelectedEffect();
    if (!effect)
        return;
    auto& field = speed ? record.Lighting1Speed : record.Lighting1Brightness;
    field[std::size_t(*effect)] = std::uint8_t(position);
    if (code == kCodeDragValue)
        host_.MarkGroupWithoutDownload(SettingGroup::SensorLighting); // sent once the knob is let go
    else
        host_.MarkGroup(SettingGroup::SensorLighting);
}

void CLightingPage::onDirection() {
    host_.Window().InvalidateControl(up_);
    host_.Window().InvalidateControl(down_);
    model::ProfileRecord& record = host_.CurrentRecord();
    const std::optional<int> effect = record.SelectedEffect();
    if (!effect)
        return;
    record.Lighting1Direction[std::size_t(*effect)] = up_->IsSelected() ? 0 : 1;
    host_.MarkGroup(SettingGroup::SensorLighting);
}

// ---- colour slots ----

void CLightingPage::onColourCheck(int slot, LPARAM code) {
    const std::size_t k = std::size_t(slot);
    switch (code) {
    case kCodeDown:
        swallowClick_.fill(false); // a new press: whatever came before is over
        break;
    case kCodeClick:
        if (swallowClick_[k]) {
            // The release of a double-click's second press.
            swallowClick_[k] = false;
            syncCheck(slot);
            return;
        }
        // A second click may follow and make it a double-click: wait before toggling.
        pendingToggle_[k] = host_.CurrentRecord().SelectedEffect();
        host_.SetTimer(kTimerColourFirst + unsigned(slot), kToggleDelayMs);
        break;
    case kCodeDoubleClick:
        host_.KillTimer(kTimerColourFirst + unsigned(slot));
        pendingToggle_[k].reset();
        swallowClick_[k] = true;
        editSlotColour(slot);
        break;
    default:
        break;
    }
}

void CLightingPage::syncCheck(int slot) {
    const model::ProfileRecord& record = host_.CurrentRecord();
    const std::optional<int> effect = record.SelectedEffect();
    CColorSelectCheckButton* check = checks_[std::size_t(slot)];
    check->SetChecked(effect && record.Lighting1ColorSelected[std::size_t(*effect)][std::size_t(slot)] != 0);
    host_.Window().InvalidateControl(check);
}

void CLightingPage::toggleSlot(int slot) {
    model::ProfileRecord& record = host_.CurrentRecord();
    const std::optional<int> effect = record.SelectedEffect();
    CColorSelectCheckButton* check = checks_[std::size_t(slot)];
    if (!effect) {
        check->SetChecked(false);
        host_.Window().InvalidateControl(check);
        return;
    }
    auto& selected = record.Lighting1ColorSelected[std::size_t(*effect)];
    const rules::SlotToggle toggle = rules::ToggleColourSlot(*effect, selected, slot);
    selected[std::size_t(slot)] = toggle.selected ? 1 : 0;
    check->SetChecked(toggle.selected);
    host_.Window().InvalidateControl(check);
    if (toggle.refusedText != 0) {
        host_.ShowMessage(toggle.refusedText);
        return;
    }
    host_.MarkGroup(SettingGroup::SensorLighting);
}

void CLightingPage::editSlotColour(int slot) {
    model::ProfileRecord& record = host_.CurrentRecord();
    const std::optional<int> effect = record.SelectedEffect();
    // The first click of the double-click flipped the check; the selection stays as stored.
    syncCheck(slot);
    if (!effect)
        return;
    CColorPaletteDlg palette(record, CColorPaletteDlg::kModeLighting, slot, hwnd());
    if (palette.DoModal() != platform::IDOK)
        return;
    checks_[std::size_t(slot)]->SetColor(record.Lighting1FixedColor[std::size_t(*effect)][std::size_t(slot)]);
    host_.MarkGroup(SettingGroup::SensorLighting);
}

} // namespace quorvik::ui
