#include "ui/main/ProfileRKeyPopup.h"

#include "model/LanguageTable.h"
#include "ui/rules/WindowPlacement.h"

namespace quorvik::ui {

namespace {
// Import, Export, Rename, Delete, Applications…
constexpr int kEntryTexts[CProfileRKeyPopup::kEntryCount] = {90, 91, 92, 93, 461};
} // namespace

CProfileRKeyPopup* CProfileRKeyPopup::Open(WindowHandle owner, int screenX, int screenY, const Rect& bounds,
                                           int controlId) {
    // Sized to its entries.
    const rules::Placement placed =
        rules::PlaceAtPoint(screenX, screenY, Scaled(kWidthUnits), kEntryCount * Scaled(kRowHeightUnits),
                            rules::Box{bounds.left, bounds.top, bounds.right, bounds.bottom});
    const Rect rect{placed.x, placed.y, placed.x + placed.width, placed.y + placed.height};
    auto* popup = new CProfileRKeyPopup();
    if (!popup->Create(owner, rect, kKind, controlId, kChoiceMessage)) {
        delete popup;
        return nullptr;
    }
    return popup;
}

void CProfileRKeyPopup::BuildItems() {
    for (int text : kEntryTexts)
        AddItem(model::LanguageText(text), SkinFile("menu_nr.png"), SkinFile("menu_ov.png"));
    LayoutRows(Scaled(kRowHeightUnits), 0);
}

} // namespace quorvik::ui
