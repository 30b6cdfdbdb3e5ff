// What a mouse button does (three bytes the firmware executes) and the key vocabulary shared by
// the button assignment and the macros.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace quorvik::model {

// Byte 0 is the function class, bytes 1 and 2 its parameters. Compared byte by byte.
struct KeyFunctionCode {
    std::array<std::uint8_t, 3> bytes{};
    friend bool operator==(const KeyFunctionCode&, const KeyFunctionCode&) = default;
};

// Function classes (byte 0). The firmware gives them their meaning; we only build and pass them on.
inline constexpr std::uint8_t kClassDisabled = 0x00;
inline constexpr std::uint8_t kClassQuickLaunch = 0x0F;
inline constexpr std::uint8_t kClassMouseButton = 0x10; // byte 1 = button mask; 0 means profile cycle
inline constexpr std::uint8_t kClassProfileUp = 0x11;
inline constexpr std::uint8_t kClassProfileDown = 0x12;
inline constexpr std::uint8_t kClassFireKey = 0x30;
inline constexpr std::uint8_t kClassDpiFunction = 0x40;
inline constexpr std::uint8_t kClassDpiLock = 0x50;
inline constexpr std::uint8_t kClassSpecial60 = 0x60;
inline constexpr std::uint8_t kClassKeyboard = 0x70; // byte 1 = modifier mask, byte 2 = HID usage
inline constexpr std::uint8_t kClassConsumer = 0x80; // bytes 1, 2 = consumer usage, low byte first
inline constexpr std::uint8_t kClassMacro = 0x90;

// Mouse-button mask bits of class 0x10.
inline constexpr std::uint8_t kButtonLeft = 0x01;
inline constexpr std::uint8_t kButtonRight = 0x02;
inline constexpr std::uint8_t kButtonMiddle = 0x04;
inline constexpr std::uint8_t kButton4 = 0x08;
inline constexpr std::uint8_t kButton5 = 0x10;

// Modifier bits of class 0x70: the low four bits of the HID keyboard modifier byte.
inline constexpr std::uint8_t kModCtrl = 0x01;
inline constexpr std::uint8_t kModShift = 0x02;
inline constexpr std::uint8_t kModAlt = 0x04;
inline constexpr std::uint8_t kModWin = 0x08;

// DPI lock n (byte 1 of class 0x50) holds the pointer at 100 × (n + 1) DPI.
inline constexpr int kDpiLockFirst = 1;
inline constexpr int kDpiLockLast = 11;
constexpr int DpiLockValue(int n) {
    return 100 * (n + 1);
}

// Language text that names the DPI-lock entry; a locked button shows it, "-" and the value.
inline constexpr int kDpiLockNameText = 36;
// Language text of a disabled button (also what a button gets when its macro cannot be placed).
inline constexpr int kDisabledNameText = 34;

constexpr KeyFunctionCode MakeCode(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2) {
    return {{b0, b1, b2}};
}

// Six upper-case hex digits, byte 0 first ("100100" for the left button).
std::u16string FormatKeyCode(const KeyFunctionCode& code);
// Six hex digits back into the code; false when the text is not six hex digits.
bool ParseKeyCode(std::u16string_view text, KeyFunctionCode& code);

// Byte 0 = 0x10 and byte 1 = 0x01; byte 2 is not looked at.
bool IsLeftButton(const KeyFunctionCode& code);

// Name of a Windows virtual-key code ("Undefined" for the unassigned ones).
const std::u16string& VirtualKeyName(std::uint8_t vk);
// HID keyboard usage of a virtual-key code; 0 when it has none.
std::uint8_t VirtualKeyToHidUsage(std::uint8_t vk);

// The menus that offer ready-made codes.
enum class KeyMenu {
    ButtonFunction,
    Dpi,
    DpiLock,
    Multimedia,
    Office,
    WindowManagement,
};

// One entry of a menu that yields a fixed code. The label is language text `labelText`, or the
// literal `literalLabel` when labelText is negative (the DPI-lock values).
struct ReadyMadeCode {
    KeyMenu menu;
    int entry; // 1-based, top to bottom
    int labelText;
    std::u16string_view literalLabel;
    KeyFunctionCode code;
};

// Every ready-made code of every menu, menu by menu in entry order.
std::span<const ReadyMadeCode> ReadyMadeCodes();
// The entries of one menu, in entry order.
std::span<const ReadyMadeCode> ReadyMadeCodes(KeyMenu menu);

// The label an entry shows in its menu (language text or literal).
std::u16string ReadyMadeLabel(const ReadyMadeCode& entry);

// The display name a button gets for a code the program knows by itself: a ready-made code
// (its label; DPI lock as language text 36 + "-" + value) or one of the profile codes
// ("Profile Cycle", "Profile Up", "Profile Down"). Empty for any other code — fire keys,
// shortcuts and macros take their names from the dialog that made them.
std::u16string KnownCodeDisplayName(const KeyFunctionCode& code);

// What the desktop calls the logo key, modifier bit 0x08 of a shortcut: the language's word
// (language text 366), "Super" without one.
std::u16string SuperKeyName();

// Display name of a keyboard shortcut: "Ctrl+", "Shift+", "Alt+", the Super key's name and "+"
// for the set bits of `modifiers` in that order, then the key's name; the trailing "+" goes when
// there is no key.
std::u16string ShortcutDisplayName(std::uint8_t modifiers, std::optional<std::uint8_t> vk);

} // namespace quorvik::model
