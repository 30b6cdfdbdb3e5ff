// Program-wide choice words the radio buttons and tabs keep, read and set by the pages.
#pragma once

#include <cstdint>

namespace quorvik::ui {

// All radio groups of the program packed into one word, one bit per radio button.
std::uint32_t RadioGroupWord();
void SetRadioGroupWord(std::uint32_t word);
// Bit of radio button `id`, or -1 for an id outside the groups.
int RadioBit(int id);
// Mask of the group radio `id` belongs to; 0 for an id outside the groups.
std::uint32_t RadioGroupMask(int id);
// Clears the group of `id` and sets its bit; false (word unchanged) for ids outside the groups.
bool SelectRadio(int id);

// Low byte: the mask of enabled DPI levels chosen with the level radio buttons 3290 … 3297.
std::uint32_t DpiLevelWord();
void SetDpiLevelWord(std::uint32_t word);

// Tab selections: group A (ids 2049 … 2053, values 0 … 4) and group B (3001 … 3004 → 0 … 3,
// 3007 … 3009 → 7 … 9).
int TabSelectionA();
int TabSelectionB();
void SetTabSelectionA(int value);
void SetTabSelectionB(int value);
// The group ('A', 'B') and value of tab `id`; group 0 for other ids.
struct TabSlot {
    char group = 0;
    int value = 0;
};
TabSlot TabSlotOf(int id);

} // namespace quorvik::ui
