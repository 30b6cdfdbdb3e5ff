// Keys under the names the program stores them by: Windows virtual-key codes, taken from Qt key
// events. One table serves the dialogs' Enter and Escape, the key capture of the macros and the
// reverse look-up the tests and the key-capture probe use.
#pragma once

#include <cstdint>
#include <optional>

class QKeyEvent;

namespace quorvik::platform {

// What tells keys apart in a Qt key event.
struct KeyStroke {
    int key = 0;                 // Qt::Key
    bool keypad = false;         // Qt::KeypadModifier: the key is on the numeric keypad
    std::uint32_t nativeKey = 0; // the window system's key symbol (an X11 / xkb keysym); 0 for none

    friend bool operator==(const KeyStroke&, const KeyStroke&) = default;
};

// X11 keysyms that name the side of a modifier (or a keypad key) where Qt's key does not.
inline constexpr std::uint32_t kKeysymShiftL = 0xFFE1;
inline constexpr std::uint32_t kKeysymShiftR = 0xFFE2;
inline constexpr std::uint32_t kKeysymControlL = 0xFFE3;
inline constexpr std::uint32_t kKeysymControlR = 0xFFE4;
inline constexpr std::uint32_t kKeysymMetaL = 0xFFE7;
inline constexpr std::uint32_t kKeysymMetaR = 0xFFE8;
inline constexpr std::uint32_t kKeysymAltL = 0xFFE9;
inline constexpr std::uint32_t kKeysymAltR = 0xFFEA;
inline constexpr std::uint32_t kKeysymSuperL = 0xFFEB;
inline constexpr std::uint32_t kKeysymSuperR = 0xFFEC;
inline constexpr std::uint32_t kKeysymIsoLevel3Shift = 0xFE03; // AltGr

// The virtual-key code of a key stroke; 0 for a key that has none. Left and right Shift, Ctrl,
// Alt and Win come apart when the native key names the side; otherwise the generic codes
// (0x10 Shift, 0x11 Ctrl, 0x12 Alt, 0x5B Win) stand for both.
unsigned VirtualKeyFromStroke(const KeyStroke& stroke);
unsigned VirtualKeyFromEvent(const QKeyEvent& event);
// The code of a plain Qt key, with no keypad or native information.
unsigned VirtualKeyFromQt(int qtKey);

// A stroke that produces `vk`; none for a code no key gives (mouse buttons, the macros' mouse
// codes, codes no keyboard on this platform reports).
std::optional<KeyStroke> KeyStrokeForVirtualKey(unsigned vk);

} // namespace quorvik::platform
