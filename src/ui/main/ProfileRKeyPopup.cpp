#include "ui/main/ProfileRKeyPopup.h"

#include "model/LanguageTable.h"

namespace quorvik::ui {

namespace {
constexpr int kFirstText = 90; // Import, Export, Rename, Delete
} // namespace

CProfileRKeyPopup* CProfileRKeyPopup::Open(WindowHandle owner, int screenX, int screenY, int controlId) {
    // Sized to its entries; the context-menu area is only the room it may take.
    const Rect area = ContextMenuRect(screenX, screenY);
    const Rect rect{area.left, area.top, area.left + Scaled(kWidthUnits),
                    area.top + kEntryCount * Scaled(kRowHeightUnits)};
    auto* popup = new CProfileRKeyPopup();
    if (!popup->Create(owner, rect, kKind, controlId, kChoiceMessage)) {
        delete popup;
        return nullptr;
    }
    return popup;
}

void CProfileRKeyPopup::BuildItems() {
    for (int i = 0; i < kEntryCount; ++i)
        AddItem(model::LanguageText(kFirstText + i), SkinFile("menu_nr.png"), SkinFile("menu_ov.png"));
    LayoutRows(Scaled(kRowHeightUnits), 0);
}

} // namespace quorvik::ui
