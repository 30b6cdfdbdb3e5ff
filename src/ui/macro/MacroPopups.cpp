#include "ui/macro/MacroPopups.h"

#include "model/LanguageTable.h"
#include "ui/macro/MacroIds.h"

namespace quorvik::ui {

void CComboActionInsertPopup::BuildItems() {
    for (int i = 0; i < kItemCount; ++i)
        AddItem(model::LanguageText(kTextInsertFirst + i), SkinFile("menu_nr.png"), SkinFile("menu_ov.png"));
    LayoutRows(Scaled(kInsertMenuRowUnits), 0);
}

std::vector<int> CMacroListPopup::ItemIds(ItemMenuRow row) {
    switch (row) {
    case ItemMenuRow::None:
        return {1, 2, 4, 7, 8};
    case ItemMenuRow::Folder:
        return {1, 2, 4, 5, 6, 7, 8};
    default:
        return {1, 2, 3, 4, 5, 6, 7, 8};
    }
}

void CMacroListPopup::BuildItems() {
    for (int id : ItemIds(row_))
        AddItem(model::LanguageText(kTextItemMenuFirst + id - 1), SkinFile("menu_nr.png"), SkinFile("menu_ov.png"),
                false, id);
    LayoutRows(Scaled(kMacroMenuRowUnits), 0);
}

bool CMacroListPopup::OnLButtonUp(int x, int y) {
    int item = ItemAt(x, y);
    if (item < 0)
        return false;
    ReportChoice(Items()[std::size_t(item)].id - 1);
    return true;
}

} // namespace quorvik::ui
