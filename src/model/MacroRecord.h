// One macro: a named list of timed input steps that the mouse plays for a button.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace quorvik::model {

inline constexpr std::size_t kMaxMacroActions = 336;
// Events (actions that are not delays) a macro may hold; the mouse's macro memory is sized for it.
inline constexpr std::size_t kMaxMacroEvents = 168;

// Loop types the program writes; their meaning on the mouse is the firmware's.
inline constexpr std::uint8_t kLoopFirstOption = 1;
inline constexpr std::uint8_t kLoopCounted = 2; // plays MacroKeyLoopNum times
inline constexpr std::uint8_t kLoopSecondOption = 4;

// Four bytes b0 b1 b2 b3, kept in this order in memory and in files. b0 selects the kind:
// 0..7 delay (b1 b2 b3 = big-endian milliseconds), 8..0xDF key (b0 = virtual key), 0xE0..0xE4
// mouse buttons, 0xE5/0xE6 pointer moves and 0xE7 the wheel (b3 = signed amount). For keys and
// buttons bit 7 of b1 marks a release.
struct MacroAction {
    std::array<std::uint8_t, 4> b{};
    friend bool operator==(const MacroAction&, const MacroAction&) = default;
};

inline constexpr std::uint8_t kDelayKind = 3; // every delay the program creates
inline constexpr std::uint8_t kReleaseBit = 0x80;
inline constexpr std::uint8_t kMouseLeft = 0xE0;
inline constexpr std::uint8_t kMouseButton5 = 0xE4;
inline constexpr std::uint8_t kMoveX = 0xE5;
inline constexpr std::uint8_t kMoveY = 0xE6;
inline constexpr std::uint8_t kWheel = 0xE7;

inline bool IsDelay(const MacroAction& a) {
    return a.b[0] <= 7;
}
inline std::uint32_t DelayMs(const MacroAction& a) {
    return (std::uint32_t(a.b[1]) << 16) | (std::uint32_t(a.b[2]) << 8) | a.b[3];
}
MacroAction MakeDelay(std::uint32_t ms);
MacroAction MakeKeyEvent(std::uint8_t code, bool release);
// Pointer move (kMoveX / kMoveY) or wheel turn with a signed amount.
MacroAction MakeMotion(std::uint8_t kind, std::int8_t amount);

// The actions from a file's line of their bytes as hex digits, eight per action, every action of
// the table. False when some pair is not two hex digits: the caller then reads each action by its
// own rule. The line must hold 8 × kMaxMacroActions units.
bool DecodeActionDigits(std::u16string_view digits, std::array<MacroAction, kMaxMacroActions>& actions);

struct MacroRecord {
    std::u16string name;
    std::uint32_t MacroKeyIndex = 0;
    std::uint32_t MacroActionNum = 0;
    std::array<MacroAction, kMaxMacroActions> actions{};
    std::uint8_t MacroKeyLoopType = kLoopCounted;
    std::uint8_t MacroKeyLoopNum = 1;
    std::uint8_t MacroCommandActionNum = 0;

    // Entry `index`; refused past the fixed table.
    bool SetAction(std::size_t index, MacroAction value);
    // Entry `index`; past the table, entry 0.
    MacroAction GetAction(std::size_t index) const;
    // Refused when the table is full; a position past the end appends. Callers keep
    // MacroCommandActionNum up to date.
    bool InsertAction(std::size_t position, MacroAction value);
    bool RemoveAction(std::size_t index);

    // The count of valid actions, never beyond the fixed table even when a file said more.
    std::size_t ValidActionCount() const;
    // Number of event actions (everything that is not a delay) among the valid ones.
    std::uint8_t CountEvents() const;

    // Copies name (kept on one line), serial number, loop settings and the valid actions (the rest
    // stays zero).
    void CopyFrom(const MacroRecord& source);
};

} // namespace quorvik::model
