#include "platform/qt/KeyMapping.h"

#include <QKeyEvent>

namespace quorvik::platform {

namespace {

struct KeyPair {
    int qt;
    unsigned vk;
};

// Keys whose side or keypad origin only the window system's key symbol tells, with the Qt key
// that comes with it.
struct NativeKey {
    std::uint32_t keysym;
    int qt;
    bool keypad;
    unsigned vk;
};

// clang-format off
constexpr NativeKey kNativeKeys[] = {
    {kKeysymShiftL, Qt::Key_Shift, false, 0xA0},   {kKeysymShiftR, Qt::Key_Shift, false, 0xA1},
    {kKeysymControlL, Qt::Key_Control, false, 0xA2}, {kKeysymControlR, Qt::Key_Control, false, 0xA3},
    {kKeysymAltL, Qt::Key_Alt, false, 0xA4},       {kKeysymAltR, Qt::Key_Alt, false, 0xA5},
    // Meta is what X11 reports for the Alt keys while Shift is held.
    {kKeysymMetaL, Qt::Key_Meta, false, 0xA4},     {kKeysymMetaR, Qt::Key_Meta, false, 0xA5},
    {kKeysymSuperL, Qt::Key_Super_L, false, 0x5B}, {kKeysymSuperR, Qt::Key_Super_R, false, 0x5C},
    {kKeysymIsoLevel3Shift, Qt::Key_AltGr, false, 0xA5},
    {0xFFB0, Qt::Key_0, true, 0x60}, {0xFFB1, Qt::Key_1, true, 0x61}, {0xFFB2, Qt::Key_2, true, 0x62},
    {0xFFB3, Qt::Key_3, true, 0x63}, {0xFFB4, Qt::Key_4, true, 0x64}, {0xFFB5, Qt::Key_5, true, 0x65},
    {0xFFB6, Qt::Key_6, true, 0x66}, {0xFFB7, Qt::Key_7, true, 0x67}, {0xFFB8, Qt::Key_8, true, 0x68},
    {0xFFB9, Qt::Key_9, true, 0x69},
    {0xFFAA, Qt::Key_Asterisk, true, 0x6A}, {0xFFAB, Qt::Key_Plus, true, 0x6B},
    {0xFFAC, Qt::Key_Comma, true, 0x6C},    {0xFFAD, Qt::Key_Minus, true, 0x6D},
    {0xFFAE, Qt::Key_Period, true, 0x6E},   {0xFFAF, Qt::Key_Slash, true, 0x6F},
    {0xFF8D, Qt::Key_Enter, true, 0x0D},
};

// Keypad keys by their Qt key, when the event carries the keypad modifier. With Num Lock off the
// keypad sends the navigation keys, and those are recorded as the navigation keys they act as
// (the plain table below): keypad 7 is Home then.
constexpr KeyPair kKeypadKeys[] = {
    {Qt::Key_0, 0x60}, {Qt::Key_1, 0x61}, {Qt::Key_2, 0x62}, {Qt::Key_3, 0x63}, {Qt::Key_4, 0x64},
    {Qt::Key_5, 0x65}, {Qt::Key_6, 0x66}, {Qt::Key_7, 0x67}, {Qt::Key_8, 0x68}, {Qt::Key_9, 0x69},
    {Qt::Key_Asterisk, 0x6A}, {Qt::Key_Plus, 0x6B}, {Qt::Key_Comma, 0x6C}, {Qt::Key_Minus, 0x6D},
    {Qt::Key_Period, 0x6E}, {Qt::Key_Slash, 0x6F}, {Qt::Key_Enter, 0x0D},
};

// Single keys. Qt names the character a key types, so the shifted characters of the US layout
// are listed too: Shift+1 arrives as "!", and the key is still the 1 key.
constexpr KeyPair kSingleKeys[] = {
    {Qt::Key_Cancel, 0x03},
    {Qt::Key_Backspace, 0x08}, {Qt::Key_Tab, 0x09}, {Qt::Key_Backtab, 0x09}, {Qt::Key_Clear, 0x0C},
    {Qt::Key_Return, 0x0D}, {Qt::Key_Enter, 0x0D},
    {Qt::Key_Shift, 0x10}, {Qt::Key_Control, 0x11}, {Qt::Key_Alt, 0x12}, {Qt::Key_Pause, 0x13},
    {Qt::Key_CapsLock, 0x14}, {Qt::Key_Kana_Lock, 0x15}, {Qt::Key_Kana_Shift, 0x15}, {Qt::Key_Hangul, 0x15},
    {Qt::Key_Hangul_Jeonja, 0x17}, {Qt::Key_Hangul_Hanja, 0x19}, {Qt::Key_Kanji, 0x19},
    {Qt::Key_Escape, 0x1B}, {Qt::Key_Henkan, 0x1C}, {Qt::Key_Muhenkan, 0x1D}, {Qt::Key_Mode_switch, 0x1F},
    {Qt::Key_Space, 0x20}, {Qt::Key_PageUp, 0x21}, {Qt::Key_PageDown, 0x22}, {Qt::Key_End, 0x23},
    {Qt::Key_Home, 0x24}, {Qt::Key_Left, 0x25}, {Qt::Key_Up, 0x26}, {Qt::Key_Right, 0x27}, {Qt::Key_Down, 0x28},
    {Qt::Key_Select, 0x29}, {Qt::Key_Printer, 0x2A}, {Qt::Key_Execute, 0x2B},
    {Qt::Key_Print, 0x2C}, {Qt::Key_SysReq, 0x2C}, // Alt+Print Screen arrives as SysReq
    {Qt::Key_Insert, 0x2D}, {Qt::Key_Delete, 0x2E}, {Qt::Key_Help, 0x2F},
    {Qt::Key_Exclam, '1'}, {Qt::Key_At, '2'}, {Qt::Key_NumberSign, '3'}, {Qt::Key_Dollar, '4'},
    {Qt::Key_Percent, '5'}, {Qt::Key_AsciiCircum, '6'}, {Qt::Key_Ampersand, '7'}, {Qt::Key_Asterisk, '8'},
    {Qt::Key_ParenLeft, '9'}, {Qt::Key_ParenRight, '0'},
    {Qt::Key_Super_L, 0x5B}, {Qt::Key_Super_R, 0x5C}, {Qt::Key_Meta, 0x5B}, {Qt::Key_Menu, 0x5D},
    {Qt::Key_Sleep, 0x5F}, {Qt::Key_NumLock, 0x90}, {Qt::Key_ScrollLock, 0x91},
    {Qt::Key_AltGr, 0xA5}, // AltGr is the right Alt key
    {Qt::Key_Semicolon, 0xBA}, {Qt::Key_Colon, 0xBA}, {Qt::Key_Equal, 0xBB}, {Qt::Key_Plus, 0xBB},
    {Qt::Key_Comma, 0xBC}, {Qt::Key_Less, 0xBC}, {Qt::Key_Minus, 0xBD}, {Qt::Key_Underscore, 0xBD},
    {Qt::Key_Period, 0xBE}, {Qt::Key_Greater, 0xBE}, {Qt::Key_Slash, 0xBF}, {Qt::Key_Question, 0xBF},
    {Qt::Key_QuoteLeft, 0xC0}, {Qt::Key_AsciiTilde, 0xC0},
    {Qt::Key_BracketLeft, 0xDB}, {Qt::Key_BraceLeft, 0xDB}, {Qt::Key_Backslash, 0xDC}, {Qt::Key_Bar, 0xDC},
    {Qt::Key_BracketRight, 0xDD}, {Qt::Key_BraceRight, 0xDD}, {Qt::Key_Apostrophe, 0xDE},
    {Qt::Key_QuoteDbl, 0xDE},
};
// clang-format on

// Runs of keys that map one to one.
struct KeyRun {
    int firstQt;
    int lastQt;
    unsigned firstVk;
};
constexpr KeyRun kRuns[] = {
    {Qt::Key_A, Qt::Key_Z, 0x41},
    {Qt::Key_0, Qt::Key_9, 0x30},
    {Qt::Key_F1, Qt::Key_F24, 0x70},
};

template <class Table> unsigned lookUp(const Table& table, int key) {
    for (const KeyPair& pair : table)
        if (pair.qt == key)
            return pair.vk;
    return 0;
}

} // namespace

unsigned VirtualKeyFromStroke(const KeyStroke& stroke) {
    if (stroke.nativeKey != 0)
        for (const NativeKey& native : kNativeKeys)
            if (native.keysym == stroke.nativeKey)
                return native.vk;
    if (stroke.keypad)
        if (unsigned vk = lookUp(kKeypadKeys, stroke.key))
            return vk;
    for (const KeyRun& run : kRuns)
        if (stroke.key >= run.firstQt && stroke.key <= run.lastQt)
            return run.firstVk + unsigned(stroke.key - run.firstQt);
    return lookUp(kSingleKeys, stroke.key);
}

unsigned VirtualKeyFromQt(int qtKey) {
    return VirtualKeyFromStroke(KeyStroke{qtKey, false, 0});
}

unsigned VirtualKeyFromEvent(const QKeyEvent& event) {
    return VirtualKeyFromStroke(
        KeyStroke{event.key(), event.modifiers().testFlag(Qt::KeypadModifier), event.nativeVirtualKey()});
}

std::optional<KeyStroke> KeyStrokeForVirtualKey(unsigned vk) {
    // The plainest stroke first: a Qt key alone, then a keypad key, then one that needs the
    // window system's key symbol.
    for (const KeyRun& run : kRuns) {
        int key = run.firstQt + int(vk) - int(run.firstVk);
        if (vk >= run.firstVk && key <= run.lastQt)
            return KeyStroke{key, false, 0};
    }
    for (const KeyPair& pair : kSingleKeys)
        if (pair.vk == vk)
            return KeyStroke{pair.qt, false, 0};
    for (const KeyPair& pair : kKeypadKeys)
        if (pair.vk == vk)
            return KeyStroke{pair.qt, true, 0};
    for (const NativeKey& native : kNativeKeys)
        if (native.vk == vk)
            return KeyStroke{native.qt, native.keypad, native.keysym};
    return std::nullopt;
}

} // namespace quorvik::platform
