// Where the main window opens: centred on the screen, or at the screen's edge when the screen is
// smaller than the window.
#pragma once

namespace quorvik::ui::rules {

struct Placement {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const Placement&, const Placement&) = default;
};

// `screenWidth` × `screenHeight` is the full-screen size; `width` × `height` the window's.
Placement MainWindowPlacement(int screenWidth, int screenHeight, int width, int height);
// The same on a work area whose top-left corner is at (`left`, `top`) of the desktop: a second
// monitor, or a panel at the top or a dock on the left, moves the window with it.
Placement MainWindowPlacement(int left, int top, int screenWidth, int screenHeight, int width, int height);

// A rectangle by its edges (right and bottom just outside).
struct Box {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// Where a menu of `width` × `height` goes beside `anchor` (a control, or the menu it cascades
// from), all within `bounds`: `gap` pixels right of the anchor with its top at `top`, or left of
// it when the right has no room; then moved up or down as little as keeps it inside `bounds`
// (its top stays inside when it is taller than `bounds`).
Placement PlaceBeside(const Box& anchor, int top, int width, int height, const Box& bounds, int gap);

// Where a context menu of `width` × `height` opened at the point (x, y) goes within `bounds`: its
// top-left corner at the point, moved left and up as little as keeps it inside (its top-left
// corner stays inside when it is larger than `bounds`).
Placement PlaceAtPoint(int x, int y, int width, int height, const Box& bounds);

// Where a companion window of `width` × `height` (the virtual mouse's panel) goes beside the main
// window `main` on the work area `area`: on the side with more room, `gap` pixels from the window,
// narrowed to that room when at least `minWidth` fits there, its top level with the window's.
// When neither side has room for `minWidth` it goes over the window, centred on `middle` (the
// part of the window it hides least) and `overWindow` is set: it must then stay above the window.
// Its height is cut to the work area's.
struct CompanionPlacement {
    Placement at;
    bool overWindow = false;
};
CompanionPlacement PlaceCompanion(const Box& main, const Box& middle, int width, int minWidth, int height,
                                  const Box& area, int gap);

} // namespace quorvik::ui::rules
