// The DPI page's arithmetic: which level stays current when a level is turned on or off, and
// which sensor step a typed DPI number means.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace quorvik::ui::rules {

inline constexpr int kDpiLevels = 8;

struct DpiLevelChange {
    // False when the click is refused: the last level that is on cannot be turned off. The
    // check goes back on and nothing else changes.
    bool accepted = false;
    std::uint8_t mask = 0;    // the levels that are on afterwards, bit k = level k
    std::uint8_t current = 0; // n: the current level counted among the levels that are on
};

// Level `level` (0 … 7) was clicked and is now `nowOn`; `maskBefore` and `current` are the levels
// that were on and the current level n before the click. The current level stays the same level
// when another level below it changes; when it is turned off itself the next lower level that is
// on becomes current, or the lowest one when there is none.
DpiLevelChange ApplyDpiLevelRule(std::uint8_t maskBefore, int level, bool nowOn, std::uint8_t current);

// Bit position of the (n + 1)-th set bit of `mask`, lowest first; none when fewer bits are set.
std::optional<int> NthSetBit(std::uint8_t mask, int n);

// The first step, counting from 0, whose DPI (step value × 50) is at least `dpi`; the last step
// when none is; 0 for an empty table.
int StepForDpi(std::span<const std::uint16_t> stepValues, long dpi);

// A DPI number as typed: digits only, spaces around it allowed; none for anything else (a sign,
// letters, nothing). Numbers too long for a long are taken as the largest long, which is beyond
// every step.
std::optional<long> ParseDpiText(std::u16string_view text);

} // namespace quorvik::ui::rules
