// What a mouse button does (three bytes the firmware executes) and the key vocabulary shared by
// the button assignment and the macros.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace quorvik::model {

// Byte 0 is the function class, bytes 1 and 2 its parameters. Compared byte by byte.
struct KeyFunctionCode {
    std::array<std::uint8_t, 3> bytes{};
    friend bool operator==(const KeyFunctionCode&, const KeyFunctionCode&) = default;
};

// Six upper-case hex digits, byte 0 first ("100100" for the left button).
std::u16string FormatKeyCode(const KeyFunctionCode& code);
// Six hex digits back into the code; false when the text is not six hex digits.
bool ParseKeyCode(std::u16string_view text, KeyFunctionCode& code);

bool IsLeftButton(const KeyFunctionCode& code);

// Name of a Windows virtual-key code ("Undefined" for the unassigned ones).
const std::u16string& VirtualKeyName(std::uint8_t vk);
// HID keyboard usage of a virtual-key code; 0 when it has none.
std::uint8_t VirtualKeyToHidUsage(std::uint8_t vk);

} // namespace quorvik::model
