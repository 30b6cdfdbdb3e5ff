// What a button may be given and how it is stored: the entries of the button-function menu and
// its submenus, the codes the fire-key and shortcut dialogs build, the macro choice, and the rule
// that the mouse always keeps a left button.
#pragma once

#include "macro/MacroLibrary.h"
#include "model/KeyCodes.h"
#include "model/MacroRecord.h"
#include "model/ProfileRecord.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace quorvik::ui::rules {

// What a button gets: its display name, its code and, for a macro, the library macro it copies.
struct ButtonChoice {
    std::u16string name;
    model::KeyFunctionCode code;
    const model::MacroRecord* macro = nullptr;
};

// ---- the button-function menu ----

enum class EntryKind : std::uint8_t { Function, SubMenu, Dialog };
enum class ButtonDialog : std::uint8_t { FireKey, MacroSelect, Shortcut };

struct ButtonMenuEntry {
    int labelText;
    EntryKind kind;
    model::KeyFunctionCode code{};                           // Function entries
    model::KeyMenu subMenu = model::KeyMenu::ButtonFunction; // SubMenu entries
    ButtonDialog dialog = ButtonDialog::FireKey;             // Dialog entries
};

inline constexpr int kButtonMenuEntryCount = 16;

// The sixteen entries, top to bottom (index 0 is the first entry).
std::span<const ButtonMenuEntry> ButtonMenuEntries();
// Entry `index`, or null outside 0 … 15.
const ButtonMenuEntry* ButtonMenuEntryAt(int index);
// Index of the entry that opens submenu `menu`; -1 for a menu that is not a submenu.
int SubMenuEntryIndex(model::KeyMenu menu);

// The choice a click on function entry `index` makes (its label and code); none for submenu and
// dialog entries and for indexes outside the menu.
std::optional<ButtonChoice> FunctionEntryChoice(int index);
// The choice of entry `index` (0-based) of submenu `menu`: its label and code, a DPI lock named
// language text 36, "-" and the value. None outside the submenu.
std::optional<ButtonChoice> SubMenuChoice(model::KeyMenu menu, int index);

// The entry of the button-function menu that stands for `code` (the menu marks it): the function
// entry with that code, the submenu that offers it, the fire-key dialog for any other fire key,
// the macro entry for a macro, the shortcut entry for any other keyboard code. None otherwise.
std::optional<int> MenuEntryOfCode(const model::KeyFunctionCode& code);
// The entry of submenu `menu` whose code is `code`, or none.
std::optional<int> SubMenuEntryOfCode(model::KeyMenu menu, const model::KeyFunctionCode& code);

// ---- storing a choice ----

// Button `button` (0 … 6) gets the choice's name and code. With a macro it gets its own copy and
// the macro's serial number; without one its copy is emptied and the serial number stays.
void StoreChoice(model::ProfileRecord& record, int button, const ButtonChoice& choice);

int CountLeftButtons(const model::ProfileRecord& record);

// Run after every stored choice. With a left button left it returns true. With none the edited
// button becomes the left button again (language text 20, 10 01 00, its macro copy emptied) and
// it returns false: the mouse must never be left without a button that clicks.
bool KeepsLeftButton(model::ProfileRecord& record, int editedButton);

// ---- fire key ----

inline constexpr unsigned kFireValueMax = 255;
// The first value (the interval) must be more than this.
inline constexpr unsigned kFireIntervalAbove = 4;

// The number a field holds: its decimal digits, other characters skipped; values too large for
// the field stop growing at 99,999, which every check still takes as too large.
unsigned FireFieldValue(std::u16string_view text);
// `text` with everything but the digits taken out.
std::u16string DigitsOnly(std::u16string_view text);
// Language text 26 without a trailing "+".
std::u16string FireKeyDisplayName();
// 30 first second with the fire-key name; none when the first value is 4 or less. Values above
// 255 are taken as 255, the most a code byte holds.
std::optional<ButtonChoice> FireKeyChoice(unsigned first, unsigned second);

// ---- shortcut ----

// The Windows keys and the sided Shift, Ctrl and Alt are modifiers of the checks, never the key.
bool ShortcutTakesKey(std::uint8_t vk);

struct ShortcutInput {
    bool noModifier = false; // the "no modifier keys" check: the four below are not used
    bool ctrl = false;
    bool shift = false;
    bool alt = false;
    bool win = false;
    std::optional<std::uint8_t> key;
};

// 70 <modifier bits> <HID usage of the key, 0 without one>.
model::KeyFunctionCode ShortcutCode(const ShortcutInput& input);
// The code with its name (the modifiers' prefixes, then the key's name); none when the name is
// empty (no key and no modifier).
std::optional<ButtonChoice> ShortcutChoice(const ShortcutInput& input);

// ---- macro ----

// Language text 190 and the slot's name, 90 00 00 and the slot's macro; language text 34 and
// 00 00 00 without a macro when `location` holds none.
ButtonChoice MacroChoice(const macro::MacroLibrary& library, const macro::MacroLocation& location);

} // namespace quorvik::ui::rules
