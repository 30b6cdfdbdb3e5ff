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

} // namespace quorvik::ui::rules
