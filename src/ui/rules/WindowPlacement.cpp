#include "ui/rules/WindowPlacement.h"

namespace quorvik::ui::rules {

Placement MainWindowPlacement(int screenWidth, int screenHeight, int width, int height) {
    Placement p{0, 0, width, height};
    // Half the difference, truncated as the original's conversion does.
    if (screenWidth > width)
        p.x = int((screenWidth - width) * 0.5);
    if (screenHeight > height)
        p.y = int((screenHeight - height) * 0.5);
    return p;
}

} // namespace quorvik::ui::rules
