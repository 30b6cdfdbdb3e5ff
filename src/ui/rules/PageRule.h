// Which settings pages close when one is opened: the page column keeps at most a few pages open
// so that they fit the window.
#pragma once

#include <array>
#include <cstdint>

namespace quorvik::ui::rules {

// Pages in the column's order, top to bottom.
enum class Page : std::uint8_t { Dpi, Lighting, PollingRate, LiftOff, Debounce, Pointer };
inline constexpr int kPageCount = 6;
inline constexpr std::array<Page, kPageCount> kColumnOrder = {Page::Dpi,     Page::Lighting, Page::PollingRate,
                                                              Page::LiftOff, Page::Debounce, Page::Pointer};

// Open state per page, indexed by Page.
using PageStates = std::array<bool, kPageCount>;

inline constexpr int IndexOf(Page page) {
    return static_cast<int>(page);
}

// `states` is taken after the click toggled `clicked`. When the page is now open, the first rule
// row of that page whose condition page is open closes its pages; a closed page changes nothing.
PageStates ApplyPageRule(Page clicked, PageStates states);

} // namespace quorvik::ui::rules
