#include "model/KeyCodes.h"

#include "model/LanguageTable.h"
#include "model/Text.h"

#include <algorithm>

namespace quorvik::model {

namespace {

// Indexed by Windows virtual-key code. 0xE0 … 0xE7 are not Windows keys: macros use them for
// mouse events (five buttons, horizontal move, vertical move, wheel).
// clang-format off
constexpr std::array<std::u16string_view, 256> kVirtualKeyNames = {
    // 0x00
    u"Undefined", u"LBUTTON", u"RBUTTON", u"CANCEL", u"MBUTTON", u"XBUTTON1", u"XBUTTON2", u"Undefined",
    u"Backspace", u"Tab", u"Undefined", u"Undefined", u"Clear", u"Enter", u"Undefined", u"Undefined",
    // 0x10
    u"Shift", u"Ctrl", u"Alt", u"Pause", u"CapsLock", u"Kana", u"Undefined", u"junja",
    u"Final", u"Hanja", u"Undefined", u"Esc", u"Convert", u"Nonconvert", u"Accept", u"ModeChange",
    // 0x20
    u"Space", u"Page Up", u"Page Down", u"End", u"Home", u"Left Arrow", u"Up Arrow", u"Right Arrow",
    u"Down Arrow", u"Select", u"Print", u"Execute", u"Print Screen", u"Ins", u"Del", u"Help",
    // 0x30
    u"0", u"1", u"2", u"3", u"4", u"5", u"6", u"7",
    u"8", u"9", u"Undefined", u"Undefined", u"Undefined", u"Undefined", u"Undefined", u"Undefined",
    // 0x40
    u"Undefined", u"A", u"B", u"C", u"D", u"E", u"F", u"G",
    u"H", u"I", u"J", u"K", u"L", u"M", u"N", u"O",
    // 0x50
    u"P", u"Q", u"R", u"S", u"T", u"U", u"V", u"W",
    u"X", u"Y", u"Z", u"Super_L", u"Super_R", u"App", u"Undefined", u"Sleep",
    // 0x60
    u"Num0", u"Num1", u"Num2", u"Num3", u"Num4", u"Num5", u"Num6", u"Num7",
    u"Num8", u"Num9", u"Multiply", u"Add", u"Separator", u"Subtract", u"Decimal", u"Divide",
    // 0x70
    u"F1", u"F2", u"F3", u"F4", u"F5", u"F6", u"F7", u"F8",
    u"F9", u"F10", u"F11", u"F12", u"F13", u"F14", u"F15", u"F16",
    // 0x80
    u"F17", u"F18", u"F19", u"F20", u"F21", u"F22", u"F23", u"F24",
    u"Undefined", u"Undefined", u"Undefined", u"Undefined", u"Undefined", u"Undefined", u"Undefined", u"Undefined",
    // 0x90
    u"Num Lock", u"Scroll Lock", u"Undefined", u"Undefined", u"Undefined", u"Undefined", u"Undefined", u"Undefined",
    u"Undefined", u"Undefined", u"Undefined", u"Undefined", u"Undefined", u"Undefined", u"Undefined", u"Undefined",
    // 0xA0
    u"Shift_L", u"Shift_R", u"Ctrl_L", u"Ctrl_R", u"Alt_L", u"Alt_R", u"Undefined", u"Undefined",
    u"Undefined", u"Undefined", u"Undefined", u"Undefined", u"Undefined", u"Undefined", u"Undefined", u"Undefined",
    // 0xB0
    u"Undefined", u"Undefined", u"Undefined", u"Undefined", u"Undefined", u"Undefined", u"Undefined", u"Undefined",
    u"Undefined", u"Undefined", u";", u"=", u",", u"-", u".", u"/",
    // 0xC0
    u"~", u"Undefined", u"Undefined", u"Undefined", u"Undefined", u"Undefined", u"Undefined", u"Undefined",
    u"Undefined", u"Undefined", u"Undefined", u"Undefined", u"Undefined", u"Undefined", u"Undefined", u"Undefined",
    // 0xD0
    u"Undefined", u"Undefined", u"Undefined", u"Undefined", u"Undefined", u"Undefined", u"Undefined", u"Undefined",
    u"Undefined", u"Undefined", u"Undefined", u"[", u"\\", u"]", u"'", u"Undefined",
    // 0xE0
    u"L Key", u"R Key", u"M Key", u"K4", u"K5", u"Mouse X", u"Mouse Y", u"Mouse Wheel",
    u"Undefined", u"Undefined", u"Undefined", u"Undefined", u"Undefined", u"Undefined", u"Undefined", u"Undefined",
    // 0xF0
    u"Undefined", u"Undefined", u"Undefined", u"Undefined", u"Undefined", u"Undefined", u"Undefined", u"Undefined",
    u"Undefined", u"Undefined", u"Undefined", u"Undefined", u"Undefined", u"Undefined", u"Undefined", u"Undefined",
};

// HID keyboard usage (page 0x07) of each virtual-key code; 0x00 means none. The generic
// Shift/Ctrl/Alt (0x10 … 0x12), the separator key and F13 … F24 have none on purpose.
constexpr std::array<std::uint8_t, 256> kVirtualKeyToHidUsage = {
    //   x0    x1    x2    x3    x4    x5    x6    x7    x8    x9    xA    xB    xC    xD    xE    xF
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x2A, 0x2B, 0x00, 0x00, 0x00, 0x28, 0x58, 0x00, // 0x00
    0x00, 0x00, 0x00, 0x48, 0x39, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x29, 0x00, 0x00, 0x00, 0x00, // 0x10
    0x2C, 0x4B, 0x4E, 0x4D, 0x4A, 0x50, 0x52, 0x4F, 0x51, 0x00, 0x00, 0x00, 0x46, 0x49, 0x4C, 0x00, // 0x20
    0x27, 0x1E, 0x1F, 0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x00, 0x29, 0x00, 0x00, 0x00, 0x00, // 0x30
    0x00, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x10, 0x11, 0x12, // 0x40
    0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B, 0x1C, 0x1D, 0xE3, 0xE7, 0x65, 0x00, 0x82, // 0x50
    0x62, 0x59, 0x5A, 0x5B, 0x5C, 0x5D, 0x5E, 0x5F, 0x60, 0x61, 0x55, 0x57, 0x00, 0x56, 0x63, 0x54, // 0x60
    0x3A, 0x3B, 0x3C, 0x3D, 0x3E, 0x3F, 0x40, 0x41, 0x42, 0x43, 0x44, 0x45, 0x00, 0x00, 0x00, 0x00, // 0x70
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // 0x80
    0x53, 0x47, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // 0x90
    0xE1, 0xE5, 0xE0, 0xE4, 0xE2, 0xE6, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // 0xA0
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x33, 0x2E, 0x36, 0x2D, 0x37, 0x38, // 0xB0
    0x35, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // 0xC0
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x2F, 0x31, 0x30, 0x34, 0x00, // 0xD0
    0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // 0xE0
    0x81, 0x83, 0x32, 0x64, 0x85, 0x87, 0x88, 0x89, 0x8A, 0x8B, 0x90, 0x91, 0x00, 0x00, 0x00, 0x00, // 0xF0
};
// clang-format on

using enum KeyMenu;
constexpr int kLiteral = -1;

constexpr ReadyMadeCode kReadyMade[] = {
    {ButtonFunction, 1, 20, {}, MakeCode(0x10, 0x01, 0x00)}, // left button
    {ButtonFunction, 2, 21, {}, MakeCode(0x10, 0x02, 0x00)}, // right button
    {ButtonFunction, 3, 22, {}, MakeCode(0x10, 0x04, 0x00)}, // middle button
    {ButtonFunction, 4, 23, {}, MakeCode(0x10, 0x10, 0x00)}, // button 5
    {ButtonFunction, 5, 24, {}, MakeCode(0x10, 0x08, 0x00)}, // button 4
    {ButtonFunction, 8, 27, {}, MakeCode(0x30, 0x32, 0x03)}, // fire key 50, 3
    {ButtonFunction, 14, 33, {}, MakeCode(0x60, 0x04, 0x00)},
    {ButtonFunction, 16, 34, {}, MakeCode(0x00, 0x00, 0x00)}, // disabled

    {Dpi, 1, 40, {}, MakeCode(0x40, 0x02, 0x00)},
    {Dpi, 2, 41, {}, MakeCode(0x40, 0x03, 0x00)},
    {Dpi, 3, 42, {}, MakeCode(0x40, 0x01, 0x00)},

    {DpiLock, 1, kLiteral, u"200", MakeCode(0x50, 1, 0x00)},
    {DpiLock, 2, kLiteral, u"300", MakeCode(0x50, 2, 0x00)},
    {DpiLock, 3, kLiteral, u"400", MakeCode(0x50, 3, 0x00)},
    {DpiLock, 4, kLiteral, u"500", MakeCode(0x50, 4, 0x00)},
    {DpiLock, 5, kLiteral, u"600", MakeCode(0x50, 5, 0x00)},
    {DpiLock, 6, kLiteral, u"700", MakeCode(0x50, 6, 0x00)},
    {DpiLock, 7, kLiteral, u"800", MakeCode(0x50, 7, 0x00)},
    {DpiLock, 8, kLiteral, u"900", MakeCode(0x50, 8, 0x00)},
    {DpiLock, 9, kLiteral, u"1000", MakeCode(0x50, 9, 0x00)},
    {DpiLock, 10, kLiteral, u"1100", MakeCode(0x50, 10, 0x00)},
    {DpiLock, 11, kLiteral, u"1200", MakeCode(0x50, 11, 0x00)},

    // Consumer usages, low byte first.
    {Multimedia, 1, 45, {}, MakeCode(0x80, 0x83, 0x01)},  // 0x0183 AL Consumer Control Configuration
    {Multimedia, 2, 46, {}, MakeCode(0x80, 0xB6, 0x00)},  // 0x00B6 Scan Previous Track
    {Multimedia, 3, 47, {}, MakeCode(0x80, 0xB5, 0x00)},  // 0x00B5 Scan Next Track
    {Multimedia, 4, 48, {}, MakeCode(0x80, 0xB7, 0x00)},  // 0x00B7 Stop
    {Multimedia, 5, 49, {}, MakeCode(0x80, 0xCD, 0x00)},  // 0x00CD Play/Pause
    {Multimedia, 6, 50, {}, MakeCode(0x80, 0xE2, 0x00)},  // 0x00E2 Mute
    {Multimedia, 7, 51, {}, MakeCode(0x80, 0xE9, 0x00)},  // 0x00E9 Volume Increment
    {Multimedia, 8, 52, {}, MakeCode(0x80, 0xEA, 0x00)},  // 0x00EA Volume Decrement
    {Multimedia, 9, 53, {}, MakeCode(0x80, 0x8A, 0x01)},  // 0x018A AL Email Reader
    {Multimedia, 10, 54, {}, MakeCode(0x80, 0x92, 0x01)}, // 0x0192 AL Calculator

    {Office, 1, 60, {}, MakeCode(0x70, 0x01, 0x06)}, // Ctrl+C
    {Office, 2, 61, {}, MakeCode(0x70, 0x01, 0x19)}, // Ctrl+V
    {Office, 3, 62, {}, MakeCode(0x70, 0x01, 0x1B)}, // Ctrl+X
    {Office, 4, 63, {}, MakeCode(0x70, 0x01, 0x04)}, // Ctrl+A
    {Office, 5, 64, {}, MakeCode(0x70, 0x01, 0x11)}, // Ctrl+N
    {Office, 6, 65, {}, MakeCode(0x70, 0x01, 0x16)}, // Ctrl+S
    {Office, 7, 66, {}, MakeCode(0x70, 0x01, 0x13)}, // Ctrl+P
    {Office, 8, 67, {}, MakeCode(0x70, 0x08, 0x08)}, // Super+E
    {Office, 9, 68, {}, MakeCode(0x70, 0x01, 0x1D)}, // Ctrl+Z

    {WindowManagement, 1, 75, {}, MakeCode(0x80, 0x94, 0x01)}, // 0x0194 AL Local Machine Browser
    {WindowManagement, 2, 76, {}, MakeCode(0x70, 0x04, 0x3D)}, // Alt+F4
    {WindowManagement, 3, 77, {}, MakeCode(0x70, 0x08, 0x07)}, // Super+D
    {WindowManagement, 4, 78, {}, MakeCode(0x70, 0x08, 0x15)}, // Super+R
    {WindowManagement, 5, 79, {}, MakeCode(0x70, 0x08, 0x51)}, // Super+Down Arrow
    {WindowManagement, 6, 80, {}, MakeCode(0x70, 0x08, 0x52)}, // Super+Up Arrow
};
static_assert(std::size(kReadyMade) == 8 + 3 + 11 + 10 + 9 + 6);

// Codes outside the menus whose display names are fixed texts.
struct FixedName {
    KeyFunctionCode code;
    std::u16string_view name;
};
constexpr std::array<FixedName, 3> kProfileCodeNames = {{
    {MakeCode(0x10, 0x00, 0x00), u"Profile Cycle"},
    {MakeCode(0x11, 0x00, 0x00), u"Profile Up"},
    {MakeCode(0x12, 0x00, 0x00), u"Profile Down"},
}};

struct Modifier {
    std::uint8_t bit;
    std::u16string_view name; // empty: the Super key's name of the language
};
// Display order of the modifiers, whatever the bit order.
constexpr std::array<Modifier, 4> kModifierNames = {{
    {kModCtrl, u"Ctrl"},
    {kModShift, u"Shift"},
    {kModAlt, u"Alt"},
    {kModWin, u""},
}};

constexpr int kTextSuperKey = 366;

} // namespace

std::u16string FormatKeyCode(const KeyFunctionCode& code) {
    std::u16string text;
    for (std::uint8_t b : code.bytes)
        text += HexText(b, 2);
    return text;
}

bool ParseKeyCode(std::u16string_view text, KeyFunctionCode& code) {
    if (text.size() != 6)
        return false;
    KeyFunctionCode parsed;
    for (std::size_t i = 0; i < 3; ++i) {
        int hi = HexDigitValue(text[2 * i]);
        int lo = HexDigitValue(text[2 * i + 1]);
        if (hi < 0 || lo < 0)
            return false;
        parsed.bytes[i] = static_cast<std::uint8_t>(hi << 4 | lo);
    }
    code = parsed;
    return true;
}

bool IsLeftButton(const KeyFunctionCode& code) {
    return code.bytes[0] == kClassMouseButton && code.bytes[1] == kButtonLeft;
}

const std::u16string& VirtualKeyName(std::uint8_t vk) {
    // Built once; callers keep references for the life of the process.
    static const std::array<std::u16string, 256> names = [] {
        std::array<std::u16string, 256> out;
        for (std::size_t i = 0; i < out.size(); ++i)
            out[i] = std::u16string(kVirtualKeyNames[i]);
        return out;
    }();
    return names[vk];
}

std::uint8_t VirtualKeyToHidUsage(std::uint8_t vk) {
    return kVirtualKeyToHidUsage[vk];
}

std::span<const ReadyMadeCode> ReadyMadeCodes() {
    return kReadyMade;
}

std::span<const ReadyMadeCode> ReadyMadeCodes(KeyMenu menu) {
    auto first =
        std::find_if(std::begin(kReadyMade), std::end(kReadyMade), [&](const auto& e) { return e.menu == menu; });
    auto last = std::find_if(first, std::end(kReadyMade), [&](const auto& e) { return e.menu != menu; });
    return {first, last};
}

std::u16string ReadyMadeLabel(const ReadyMadeCode& entry) {
    if (entry.labelText < 0)
        return std::u16string(entry.literalLabel);
    return LanguageText(entry.labelText);
}

std::u16string KnownCodeDisplayName(const KeyFunctionCode& code) {
    for (const auto& fixed : kProfileCodeNames) {
        if (fixed.code == code)
            return std::u16string(fixed.name);
    }
    for (const auto& entry : kReadyMade) {
        if (entry.code != code)
            continue;
        if (entry.menu == DpiLock)
            return LanguageText(kDpiLockNameText) + u"-" + std::u16string(entry.literalLabel);
        return ReadyMadeLabel(entry);
    }
    return {};
}

std::u16string SuperKeyName() {
    const std::u16string& text = LanguageText(kTextSuperKey);
    return text.empty() ? u"Super" : text;
}

std::u16string ShortcutDisplayName(std::uint8_t modifiers, std::optional<std::uint8_t> vk) {
    std::u16string name;
    for (const auto& mod : kModifierNames) {
        if (modifiers & mod.bit)
            name += (mod.name.empty() ? SuperKeyName() : std::u16string(mod.name)) + u"+";
    }
    if (vk)
        name += VirtualKeyName(*vk);
    else if (!name.empty())
        name.pop_back(); // the "+" of the last prefix
    return name;
}

} // namespace quorvik::model
