// A list beside its scroll bar: what the bar's messages do to the list's first visible row.
#pragma once

#include "ui/skin/Sliders.h"

#include <optional>

namespace quorvik::ui {

// Handles a scroll bar's message: a press on an arrow moves one row, on the track a page less one
// row; a thumb drag has already moved the bar. Returns the first row the list should show now,
// or none for messages that move nothing.
std::optional<int> ScrollBarMoved(CVScrollBar& bar, WPARAM part, LPARAM code);

// The first row that keeps `row` in view when `visible` rows show from `first`.
int FirstRowShowing(int row, int first, int visible);

} // namespace quorvik::ui
