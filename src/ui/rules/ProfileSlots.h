// The five profile slots and the show list that decides which of them the user sees: which slot
// Add hands out, what Delete does to the list, and which slot a profile popup entry stands for.
//
// The show list is the configuration's ProfileShowList0 … 4 with ProfileShowCount n: the slots at
// positions 0 … n−1 are the visible profiles in that order, the others are free, and the next
// profile added takes the slot at position n. Add only raises n and Delete only moves one slot to
// the end and lowers n, so the list stays a permutation. A list read from a file need not be one
// (a slot twice, a count of 0): it is used as read, and Add still never hands out a slot that is
// shown or in use.
#pragma once

#include "model/ConfigPairs.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace quorvik::ui::rules {

inline constexpr int kProfileLimit = 5;

// The popup's entries: a header, the visible profiles as entries p + 2, and Add.
inline constexpr int kPopupHeaderEntry = 1;
inline constexpr int kPopupFirstProfileEntry = 2;
inline constexpr int kPopupAddEntry = 7;

// The slots shown, in show-list order.
struct VisibleSlots {
    std::array<int, kProfileLimit> order{};
    int count = 0;
};
VisibleSlots VisibleProfiles(const model::ConfigPairs& config);
// Whether `slot` is one of the slots shown (a rule or a command may name any number).
bool SlotShown(const model::ConfigPairs& config, int slot);

// What becomes of an application rule for `slot`: followed, or passed over and why.
enum class RuleSlotState { Followed, NotShown, NoSuchProfile };
RuleSlotState RuleSlotStateOf(const model::ConfigPairs& config, int slot);

// The slot Add hands out: the one at position n, unless that slot is visible or `currentSlot`
// (possible only with a list that is not a permutation); then the lowest slot that is neither.
// None when n has reached the limit or no slot is free.
std::optional<int> SlotForNewProfile(const model::ConfigPairs& config, int currentSlot);

// Add with a name: n + 1, `slot` takes position n (the slot that stood there moves to the
// position `slot` left, so the rest of the list stays), and record `slot` becomes a factory
// profile (built as slot 0's, so only the name tells it apart) named `name`.
void AddProfile(model::ConfigPairs& config, int slot, std::u16string name);

enum class DeleteOutcome {
    Deleted,
    IsCurrent, // the profile in use is never deleted
    NotShown,  // the slot is not a visible profile: nothing changes
    LastShown, // the only profile shown stays, even when another slot is current
};
// Removes `slot` from the visible profiles: the positions after it move up by one, the slot goes
// to position 4 and n goes down by one. Record and file stay; Add hands the slot out again later.
DeleteOutcome DeleteProfile(model::ConfigPairs& config, int slot, int currentSlot);

// The slot that popup entry `entry` selects: entry p + 2 is the profile at show-list position p.
// None for the header, Add, and entries beyond the visible profiles.
std::optional<int> SlotOfPopupEntry(const model::ConfigPairs& config, int entry);

// A typed name as a profile may hold it: on one line, control characters removed (a line break
// would end the name's line in the profile file).
std::u16string CleanProfileName(std::u16string_view typed);

} // namespace quorvik::ui::rules
