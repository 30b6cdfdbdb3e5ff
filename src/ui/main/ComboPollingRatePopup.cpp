#include "ui/main/ComboPollingRatePopup.h"

#include "model/LanguageTable.h"

#include <array>

namespace quorvik::ui {

namespace {
constexpr int kFirstRateText = 300; // "125 Hz" … "1000 Hz"
// The selector's own spelling of the rates, unlike the radio buttons' "125HZ".
constexpr std::array<std::u16string_view, CComboPollingRatePopup::kEntryCount> kEntries = {u"125Hz", u"250Hz", u"500Hz",
                                                                                           u"1000Hz"};
} // namespace

std::u16string CComboPollingRatePopup::EntryText(int index) {
    if (index < 0 || index >= kEntryCount)
        return {};
    return std::u16string(kEntries[std::size_t(index)]);
}

std::u16string CComboPollingRatePopup::EntryCaption(int index) {
    if (index < 0 || index >= kEntryCount)
        return {};
    const std::u16string& caption = model::LanguageText(kFirstRateText + index);
    return caption.empty() ? EntryText(index) : caption;
}

CComboPollingRatePopup* CComboPollingRatePopup::Open(WindowHandle owner, const Rect& selectorOnScreen, int controlId,
                                                     int current) {
    auto* popup = new CComboPollingRatePopup(current);
    const Rect rect{selectorOnScreen.left, selectorOnScreen.bottom, selectorOnScreen.right,
                    selectorOnScreen.bottom + kEntryCount * Scaled(kRowHeightUnits)};
    if (!popup->Create(owner, rect, kKind, controlId, kChoiceMessage)) {
        delete popup;
        return nullptr;
    }
    return popup;
}

void CComboPollingRatePopup::BuildItems() {
    for (int i = 0; i < kEntryCount; ++i)
        AddItem(EntryCaption(i), SkinFile("menu_nr.png"), SkinFile("menu_ov.png"));
    LayoutRows(Scaled(kRowHeightUnits), 0);
}

void CComboPollingRatePopup::DrawItems(QPainter& p, const Rect& client) {
    CWndPopup::DrawItems(p, client);
    if (current_ < 0 || current_ >= int(items_.size()))
        return;
    // The rate in use: an accent bar at the left edge of its row.
    const Rect& row = items_[std::size_t(current_)].rect;
    p.fillRect(QRect(row.left + 1, row.top + Scaled(4), Scaled(3), row.height() - Scaled(8)), Rgb(kAccent));
}

} // namespace quorvik::ui
