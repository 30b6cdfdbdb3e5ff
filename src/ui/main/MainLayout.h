// Where things sit on the main window, in units of its 1127 × 740 frame.
#pragma once

#include <array>

namespace quorvik::ui::layout {

// The title bar along the top, drawn in the background picture, with its divider line as its
// last row: the window's title, battery, minimise and close buttons sit in it, everything else
// below it.
inline constexpr int kTitleBarHeight = 31;

// The settings column at the right.
inline constexpr int kColumnLeft = 846;
inline constexpr int kColumnWidth = 260;
inline constexpr int kColumnTop = 50;
inline constexpr int kHeaderHeight = 30;
inline constexpr int kColumnGap = 4; // below every header and every open page

// The fixed panels at the left, each with a header-styled check above it.
struct Panel {
    int y;
    int height;
};
inline constexpr int kPanelLeft = 36;
inline constexpr int kPanelWidth = 230;
inline constexpr int kPanelHeaderHeight = 26;
inline constexpr std::array<Panel, 4> kPanels = {{{62, 234}, {326, 43}, {423, 82}, {550, 146}}};
// Panel order: buttons, macros, power saving, profiles.
inline constexpr int kPanelButtons = 0;
inline constexpr int kPanelMacros = 1;
inline constexpr int kPanelPower = 2;
inline constexpr int kPanelProfiles = 3;

// The mouse picture between the panels and the column.
inline constexpr int kMouseLeft = 387;
inline constexpr int kMouseTop = 120;
inline constexpr int kMouseWidth = 338;
inline constexpr int kMouseHeight = 390;

} // namespace quorvik::ui::layout
