// The editing rules of the macro manager that need no window: one recorded key event, the
// actions the insert menu puts in, deleting an action, the loop count typed in its field, names
// typed into the name dialogs, and whether an item may be deleted.
#pragma once

#include "macro/MacroLibrary.h"
#include "model/MacroRecord.h"
#include "model/ProfileRecord.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorvik::macro {

// ---- recording ----

// The longest pause a recording keeps between two events.
inline constexpr std::uint32_t kMaxRecordedDelayMs = 4095;
// The pause every inserted click and key holds between press and release.
inline constexpr std::uint32_t kClickHoldMs = 50;
// The delay the insert menu puts in before it is edited.
inline constexpr std::uint32_t kInsertedDelayMs = 100;
// The longest delay the time dialog stores.
inline constexpr std::uint32_t kMaxDelayMs = 15300000;
// Pointer moves the XY dialog stores: 1 … 127 steps.
inline constexpr int kMinMove = 1;
inline constexpr int kMaxMove = 127;

// What a recording remembers between two hook events.
struct RecordingState {
    std::uint8_t lastCode = 0;
    std::uint32_t lastWord = 0;
};

enum class RecordResult {
    Ignored,      // not an event (a code 0 … 7) or the same key reported again
    Appended,     // the event (after its delay) is in the macro
    LimitReached, // the macro holds as many events as the mouse can play; nothing was added
};

// Milliseconds between two hook words (bits 0 … 30 are a clock that wraps), at most 4,095.
std::uint32_t RecordedDelay(std::uint32_t lastWord, std::uint32_t word);

// One hook event (code = virtual key, word = lParam) into the macro being recorded.
RecordResult RecordEvent(model::MacroRecord& macro, RecordingState& state, std::uint8_t code, std::uint32_t word,
                         bool recordDelays);

// ---- the insert menu ----

enum class InsertCommand : int {
    LeftClick = 0,
    RightClick,
    MiddleClick,
    Delay,
    Key,
    MoveLeft,
    MoveRight,
    MoveUp,
    MoveDown,
};
inline constexpr int kInsertCommandCount = 9;

// Whether the macro has room for the command's events (a click or key takes two, a move one).
bool InsertFits(const model::MacroRecord& macro, InsertCommand command);
// Press, a 50 ms delay and release of `code` at `position`; the event count is the caller's.
void InsertPressAndRelease(model::MacroRecord& macro, std::size_t position, std::uint8_t code);
// The step of a move command by `amount` (1 … 127): left and up are negative.
model::MacroAction MoveAction(InsertCommand command, int amount);
// Whether the command is one of the four moves.
bool IsMoveCommand(InsertCommand command);

// ---- editing ----

// Removes action `row` (lowering the event count for an event) and returns the row selected
// afterwards: the previous one when the last row went, none (-1) when the list is empty, else
// the same row. -1 and nothing changed when `row` is not an action.
int DeleteActionAt(model::MacroRecord& macro, int row);

// Mouse buttons, moves and the wheel (0xE0 … 0xE7) are kept as recorded; other events take a
// new key, delays a new time.
bool IsModifiableKey(const model::MacroAction& action);

// The loop count field read as the user types: none while the field is empty; otherwise the
// leading digits as a count 1 … 255 and, when the field must show something else, its new text.
struct LoopCountEntry {
    std::uint8_t count = 1;
    std::optional<std::u16string> correctedText;
};
std::optional<LoopCountEntry> ReadLoopCount(std::u16string_view text);

// A whole number typed into a field: digits only, blanks around them allowed; none for empty,
// negative or other text. Values beyond the range saturate at `limit`.
std::optional<std::uint32_t> ParseTypedNumber(std::u16string_view text, std::uint32_t limit);

// A name as the library may store it: on one line, without control characters (line breaks, tabs
// and the rest of them are dropped). Everything else, "=" included, stays as typed.
std::u16string CleanItemName(std::u16string_view typed);

// Whether a button of `profile` plays the macro at `location` or, for a folder, any macro inside
// it at any depth; such an item may not be deleted.
bool ItemPlayedByButtons(const MacroLibrary& library, const MacroLocation& location,
                         const model::ProfileRecord& profile);

} // namespace quorvik::macro
