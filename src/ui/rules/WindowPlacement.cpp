#include "ui/rules/WindowPlacement.h"

#include <algorithm>

namespace quorvik::ui::rules {

Placement MainWindowPlacement(int screenWidth, int screenHeight, int width, int height) {
    Placement p{0, 0, width, height};
    // Half the difference, truncated towards zero.
    if (screenWidth > width)
        p.x = int((screenWidth - width) * 0.5);
    if (screenHeight > height)
        p.y = int((screenHeight - height) * 0.5);
    return p;
}

Placement MainWindowPlacement(int left, int top, int screenWidth, int screenHeight, int width, int height) {
    Placement p = MainWindowPlacement(screenWidth, screenHeight, width, height);
    p.x += left;
    p.y += top;
    return p;
}

Placement PlaceBeside(const Box& anchor, int top, int width, int height, const Box& bounds, int gap) {
    Placement p{0, 0, width, height};
    const int toTheRight = anchor.right + gap;
    const int toTheLeft = anchor.left - gap - width;
    if (toTheRight + width <= bounds.right)
        p.x = toTheRight;
    else if (toTheLeft >= bounds.left)
        p.x = toTheLeft;
    else // room on neither side: over the anchor, still inside
        p.x = std::max(bounds.left, bounds.right - width);
    p.y = std::max(bounds.top, std::min(top, bounds.bottom - height));
    return p;
}

Placement PlaceAtPoint(int x, int y, int width, int height, const Box& bounds) {
    Placement p{x, y, width, height};
    p.x = std::max(bounds.left, std::min(x, bounds.right - width));
    p.y = std::max(bounds.top, std::min(y, bounds.bottom - height));
    return p;
}

} // namespace quorvik::ui::rules
