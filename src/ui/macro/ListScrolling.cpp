#include "ui/macro/ListScrolling.h"

#include "platform/Messages.h"

namespace quorvik::ui {

int ListRowHeight() {
    return std::max(1, Scaled(kListRowUnits));
}

int ListRowAt(const Rect& box, int first, int y) {
    return first + (y - box.top) / ListRowHeight();
}

int ListRowForKey(unsigned vk, int selected, int rows, int visible) {
    using namespace platform;
    if (rows <= 0)
        return -1;
    int row = selected;
    switch (vk) {
    case VK_UP:
        row = selected < 0 ? 0 : selected - 1;
        break;
    case VK_DOWN:
        row = selected < 0 ? 0 : selected + 1;
        break;
    case VK_PRIOR:
        row = std::max(0, selected) - std::max(1, visible - 1);
        break;
    case VK_NEXT:
        row = std::max(0, selected) + std::max(1, visible - 1);
        break;
    case VK_HOME:
        row = 0;
        break;
    case VK_END:
        row = rows - 1;
        break;
    default:
        return -1;
    }
    return std::clamp(row, 0, rows - 1);
}

void ClickListRow(CControlBase& list, CControlBase* bar, int row, int& first, int visible, int rowHeight) {
    auto* scroll = dynamic_cast<CVScrollBar*>(bar);
    for (int guard = 0; scroll && guard < 4096 && (row < first || row >= first + visible); ++guard) {
        const int before = first;
        scroll->PressArrow(row < first ? kScrollLineUp : kScrollLineDown);
        if (first == before)
            break; // the owner did not move the list: click what shows
    }
    const Rect& r = list.rect();
    const int y = r.top + (row - first) * rowHeight + rowHeight / 2;
    const int x = r.right - 2;
    if (!r.contains(x, y))
        return;
    list.OnLButtonDown(0, x, y);
    list.OnLButtonUp(0, x, y);
}

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
