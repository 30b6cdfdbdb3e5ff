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

CompanionPlacement PlaceCompanion(const Box& main, const Box& middle, int width, int minWidth, int height,
                                  const Box& area, int gap) {
    CompanionPlacement p;
    p.at.height = std::min(height, area.bottom - area.top);
    const int leftRoom = main.left - gap - area.left;
    const int rightRoom = area.right - gap - main.right;
    const int room = std::max(leftRoom, rightRoom);
    if (room >= minWidth) {
        p.at.width = std::min(width, room);
        p.at.x = leftRoom >= rightRoom ? main.left - gap - p.at.width : main.right + gap;
        p.at.y = main.top;
    } else {
        p.overWindow = true;
        p.at.width = std::min(width, area.right - area.left);
        p.at.x = (middle.left + middle.right - p.at.width) / 2;
        p.at.y = middle.top;
    }
    p.at.x = std::max(area.left, std::min(p.at.x, area.right - p.at.width));
    p.at.y = std::max(area.top, std::min(p.at.y, area.bottom - p.at.height));
    return p;
}

} // namespace quorvik::ui::rules
