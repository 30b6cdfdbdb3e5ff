// A popup list that loses activation because its own selector was pressed closes at the press;
// the click that press makes then reaches the selector, and would open the list again at once.
// The list remembers which selector the pointer was over when it closed, and that selector's next
// click within half a second is the closing click, spent on nothing.
#pragma once

#include <cstdint>

namespace quorvik::ui::rules {

inline constexpr std::uint64_t kClosingClickWindowMs = 500;

class ClosingClick {
public:
    // The list closed at `nowMs` with the pointer over `selector` (0: over none of them; no
    // selector has id 0).
    void ListClosed(int selector, std::uint64_t nowMs) {
        selector_ = selector;
        closedAtMs_ = nowMs;
    }
    // A click on `selector` at `nowMs`: true when it is the click that closed the list. Any click
    // ends the wait, so only the first one after the closing can be it.
    bool IsClosingClick(int selector, std::uint64_t nowMs);

private:
    int selector_ = 0;
    std::uint64_t closedAtMs_ = 0;
};

} // namespace quorvik::ui::rules
