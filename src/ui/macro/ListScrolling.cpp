#include "ui/macro/ListScrolling.h"

namespace quorvik::ui {

std::optional<int> ScrollBarMoved(CVScrollBar& bar, WPARAM part, LPARAM code) {
    if (code == kCodeDragValue)
        return bar.Position();
    if (code != kCodeDown || part == kScrollThumb)
        return std::nullopt;
    int position = bar.Position();
    if (part == kScrollLineUp)
        position -= 1;
    else if (part == kScrollLineDown)
        position += 1;
    else if (part == kScrollPageUp)
        position -= std::max(1, bar.Page() - 1);
    else if (part == kScrollPageDown)
        position += std::max(1, bar.Page() - 1);
    else
        return std::nullopt;
    bar.SetScroll(std::clamp(position, 0, bar.MaxPosition()), bar.Page(), bar.Total());
    return bar.Position();
}

int FirstRowShowing(int row, int first, int visible) {
    if (row < 0 || visible <= 0)
        return first;
    if (row < first)
        return row;
    if (row >= first + visible)
        return row - visible + 1;
    return first;
}

} // namespace quorvik::ui
