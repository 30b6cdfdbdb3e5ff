// What the skin's lists share: rows of one height drawn from the first visible row, the keys that
// move the selection, and what the scroll bar beside a list does to its first visible row.
#pragma once

#include "ui/skin/Sliders.h"

#include <QPainter>

#include <optional>

namespace quorvik::ui {

inline constexpr int kListRowUnits = 20;
// The selected row: the accent, deep enough under white text for 4.5 : 1 (the bright accent
// #35A0DE gives 2.9 : 1).
inline constexpr std::uint32_t kSelectedRowFill = 0x2479AA;

int ListRowHeight();
// The row under client y, counted from the list's first visible row `first` (may be past the last).
int ListRowAt(const Rect& box, int first, int y);

// Fills the list's background and hands each row in view to `drawRow(row, line)`, the selected
// one on the accent, clipped to the list.
template <class DrawRow>
void DrawListRows(QPainter& p, const QRect& box, int first, int count, int selected, DrawRow&& drawRow) {
    p.fillRect(box, Rgb(kListBackground));
    const int height = ListRowHeight();
    const int visible = box.height() / height;
    p.save();
    p.setClipRect(box);
    for (int r = first; r < count && (r - first) < visible + 1; ++r) {
        QRect line(box.left(), box.top() + (r - first) * height, box.width(), height);
        if (r == selected)
            p.fillRect(line, Rgb(kSelectedRowFill));
        drawRow(r, line);
    }
    p.restore();
}

// The row a key moves the selection to among `rows` (Up, Down, PageUp, PageDown, Home, End), or
// -1 for a key that moves none.
int ListRowForKey(unsigned vk, int selected, int rows, int visible);

// Scrolls `row` into view as presses of the scroll bar's arrows do (the owner moves the list on
// them), then clicks it at the row's right end, clear of a folder's icon: what a user scrolling
// and clicking would send.
void ClickListRow(CControlBase& list, CControlBase* bar, int row, int& first, int visible, int rowHeight);

// Handles a scroll bar's message: a press on an arrow moves one row, on the track a page less one
// row; a thumb drag has already moved the bar. Returns the first row the list should show now,
// or none for messages that move nothing.
std::optional<int> ScrollBarMoved(CVScrollBar& bar, WPARAM part, LPARAM code);

// The first row that keeps `row` in view when `visible` rows show from `first`.
int FirstRowShowing(int row, int first, int visible);

} // namespace quorvik::ui
