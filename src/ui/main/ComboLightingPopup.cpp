#include "ui/main/ComboLightingPopup.h"

#include "model/LanguageTable.h"

namespace quorvik::ui {

Rect CComboLightingPopup::PlaceBelow(const Rect& selector) {
    const int width = Scaled(kEntryWidthUnits);
    const int height = Scaled(kEntryHeightUnits) * int(kEffectEntries.size());
    const int left = selector.left + (selector.width() - width) / 2;
    const int top = selector.bottom + Scaled(2);
    return Rect{left, top, left + width, top + height};
}

void CComboLightingPopup::BuildItems() {
    for (const EffectEntry& entry : kEffectEntries)
        AddItem(model::LanguageText(entry.text), SkinFile("menu_nr.png"), SkinFile("menu_ov.png"), false, entry.effect);
    LayoutRows(Scaled(kEntryHeightUnits), 0);
}

void CComboLightingPopup::DrawItems(QPainter& p, const Rect& client) {
    CWndPopup::DrawItems(p, client);
    // A bar at the left of the effect the profile has now.
    for (const Item& item : items_) {
        if (!current_ || item.id != *current_)
            continue;
        p.fillRect(QRect(item.rect.left + Scaled(3), item.rect.top + Scaled(5), std::max(2, Scaled(3)),
                         item.rect.height() - Scaled(10)),
                   Rgb(kAccent));
    }
}

} // namespace quorvik::ui
