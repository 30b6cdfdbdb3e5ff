// The macro manager's two popup menus: the insert menu under its insert button (kind 14) and the
// item menu of the tree list (kind 15).
#pragma once

#include "ui/skin/WndPopup.h"

#include <vector>

namespace quorvik::ui {

// Row height of the item menu, in units.
inline constexpr int kMacroMenuRowUnits = 26;
// The insert menu's rows, a little lower: its nine hang under the insert button and end inside
// the manager, above the bottom of its panels.
inline constexpr int kInsertMenuRowUnits = 24;
inline constexpr int kMacroMenuWidthUnits = 160;

// Nine entries in the order of the insert commands: three clicks, delay, key, four moves. The
// chosen index is the command.
class CComboActionInsertPopup : public CWndPopup {
public:
    static constexpr int kItemCount = 9;

protected:
    void BuildItems() override;
};

// What the row under a right-click holds; the item menu lists the commands that apply to it.
enum class ItemMenuRow { None, Folder, Macro };

// Items carry the ids 1 … 8 and choose the item command id − 1.
class CMacroListPopup : public CWndPopup {
public:
    explicit CMacroListPopup(ItemMenuRow row) : row_(row) {}
    // The ids listed for a row: no row 1, 2, 4, 7, 8; a folder adds 5 and 6; a macro lists all.
    static std::vector<int> ItemIds(ItemMenuRow row);

protected:
    void BuildItems() override;
    bool OnLButtonUp(int x, int y) override;

private:
    ItemMenuRow row_;
};

} // namespace quorvik::ui
