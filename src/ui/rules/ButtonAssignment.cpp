#include "ui/rules/ButtonAssignment.h"

#include "model/LanguageTable.h"

#include <algorithm>
#include <array>

namespace quorvik::ui::rules {

namespace {

using model::KeyFunctionCode;
using model::KeyMenu;
using model::MakeCode;

constexpr int kTextLeftButton = 20;
constexpr int kTextFireKey = 26;
constexpr int kTextMacroPrefix = 190;

constexpr ButtonMenuEntry function(int text, KeyFunctionCode code) {
    return {text, EntryKind::Function, code};
}
constexpr ButtonMenuEntry subMenu(int text, KeyMenu menu) {
    return {text, EntryKind::SubMenu, {}, menu};
}
constexpr ButtonMenuEntry dialog(int text, ButtonDialog which) {
    return {text, EntryKind::Dialog, {}, KeyMenu::ButtonFunction, which};
}

// The menu's fixed codes are the ready-made codes of the key vocabulary; the table repeats them
// beside their entries so the menu reads top to bottom, and a test holds the two together.
constexpr std::array<ButtonMenuEntry, kButtonMenuEntryCount> kEntries = {{
    function(20, MakeCode(0x10, 0x01, 0x00)), // left button
    function(21, MakeCode(0x10, 0x02, 0x00)), // right button
    function(22, MakeCode(0x10, 0x04, 0x00)), // middle button
    function(23, MakeCode(0x10, 0x10, 0x00)), // button 5
    function(24, MakeCode(0x10, 0x08, 0x00)), // button 4
    subMenu(25, KeyMenu::Dpi), dialog(26, ButtonDialog::FireKey),
    function(27, MakeCode(0x30, 0x32, 0x03)), // fire key 50, 3
    dialog(28, ButtonDialog::MacroSelect), dialog(29, ButtonDialog::Shortcut), subMenu(30, KeyMenu::Multimedia),
    subMenu(31, KeyMenu::Office), subMenu(32, KeyMenu::WindowManagement), function(33, MakeCode(0x60, 0x04, 0x00)),
    subMenu(36, KeyMenu::DpiLock), function(34, MakeCode(0x00, 0x00, 0x00)), // disabled
}};

constexpr KeyFunctionCode kLeftButton = MakeCode(0x10, 0x01, 0x00);
constexpr KeyFunctionCode kMacroAssigned = MakeCode(model::kClassMacro, 0x00, 0x00);
constexpr KeyFunctionCode kDisabled = MakeCode(model::kClassDisabled, 0x00, 0x00);

// A field's value stops growing here: far above anything a field may hold, far below overflow.
constexpr unsigned kFieldValueCap = 99999;

constexpr bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

int indexOf(const ButtonMenuEntry* entry) {
    return int(entry - kEntries.data());
}

} // namespace

std::span<const ButtonMenuEntry> ButtonMenuEntries() {
    return kEntries;
}

const ButtonMenuEntry* ButtonMenuEntryAt(int index) {
    if (index < 0 || index >= kButtonMenuEntryCount)
        return nullptr;
    return &kEntries[std::size_t(index)];
}

int SubMenuEntryIndex(KeyMenu menu) {
    for (const auto& entry : kEntries)
        if (entry.kind == EntryKind::SubMenu && entry.subMenu == menu)
            return indexOf(&entry);
    return -1;
}

std::optional<ButtonChoice> FunctionEntryChoice(int index) {
    const ButtonMenuEntry* entry = ButtonMenuEntryAt(index);
    if (!entry || entry->kind != EntryKind::Function)
        return std::nullopt;
    return ButtonChoice{model::LanguageText(entry->labelText), entry->code};
}

std::optional<ButtonChoice> SubMenuChoice(KeyMenu menu, int index) {
    if (menu == KeyMenu::ButtonFunction)
        return std::nullopt;
    const auto entries = model::ReadyMadeCodes(menu);
    if (index < 0 || index >= int(entries.size()))
        return std::nullopt;
    const model::ReadyMadeCode& entry = entries[std::size_t(index)];
    // A DPI lock shows the bare value in its menu; the button says what the value is for.
    if (menu == KeyMenu::DpiLock)
        return ButtonChoice{model::LanguageText(model::kDpiLockNameText) + u"-" + model::ReadyMadeLabel(entry),
                            entry.code};
    return ButtonChoice{model::ReadyMadeLabel(entry), entry.code};
}

std::optional<int> SubMenuEntryOfCode(KeyMenu menu, const KeyFunctionCode& code) {
    if (menu == KeyMenu::ButtonFunction)
        return std::nullopt;
    const auto entries = model::ReadyMadeCodes(menu);
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (entries[i].code == code)
            return int(i);
    return std::nullopt;
}

std::optional<int> MenuEntryOfCode(const KeyFunctionCode& code) {
    for (const auto& entry : kEntries) {
        if (entry.kind == EntryKind::Function && entry.code == code)
            return indexOf(&entry);
        if (entry.kind == EntryKind::SubMenu && SubMenuEntryOfCode(entry.subMenu, code))
            return indexOf(&entry);
    }
    auto dialogEntry = [](ButtonDialog which) -> std::optional<int> {
        for (const auto& entry : kEntries)
            if (entry.kind == EntryKind::Dialog && entry.dialog == which)
                return indexOf(&entry);
        return std::nullopt;
    };
    switch (code.bytes[0]) {
    case model::kClassFireKey:
        return dialogEntry(ButtonDialog::FireKey);
    case model::kClassMacro:
        return dialogEntry(ButtonDialog::MacroSelect);
    case model::kClassKeyboard:
        return dialogEntry(ButtonDialog::Shortcut);
    default:
        return std::nullopt;
    }
}

void StoreChoice(model::ProfileRecord& record, int button, const ButtonChoice& choice) {
    if (button < 0 || button >= model::kButtonCount)
        return;
    model::ProfileButton& target = record.buttons[std::size_t(button)];
    target.Name = choice.name;
    target.Value = choice.code;
    record.AssignMacro(button, choice.macro);
    if (choice.macro)
        target.MacroKeyIndex = choice.macro->MacroKeyIndex;
}

int CountLeftButtons(const model::ProfileRecord& record) {
    return int(std::count_if(record.buttons.begin(), record.buttons.end(),
                             [](const model::ProfileButton& b) { return model::IsLeftButton(b.Value); }));
}

bool KeepsLeftButton(model::ProfileRecord& record, int editedButton) {
    if (CountLeftButtons(record) > 0)
        return true;
    StoreChoice(record, editedButton, ButtonChoice{model::LanguageText(kTextLeftButton), kLeftButton});
    return false;
}

unsigned FireFieldValue(std::u16string_view text) {
    unsigned value = 0;
    for (char16_t c : text) {
        if (!isDigit(c))
            continue;
        value = std::min(kFieldValueCap, value * 10 + unsigned(c - u'0'));
    }
    return value;
}

std::u16string DigitsOnly(std::u16string_view text) {
    std::u16string digits;
    for (char16_t c : text)
        if (isDigit(c))
            digits += c;
    return digits;
}

std::u16string FireKeyDisplayName() {
    std::u16string name = model::LanguageText(kTextFireKey);
    if (!name.empty() && name.back() == u'+')
        name.pop_back();
    return name;
}

std::optional<ButtonChoice> FireKeyChoice(unsigned first, unsigned second) {
    if (first <= kFireIntervalAbove)
        return std::nullopt;
    return ButtonChoice{FireKeyDisplayName(),
                        MakeCode(model::kClassFireKey, std::uint8_t(std::min(first, kFireValueMax)),
                                 std::uint8_t(std::min(second, kFireValueMax)))};
}

bool ShortcutTakesKey(std::uint8_t vk) {
    constexpr std::uint8_t kWinLeft = 0x5B, kWinRight = 0x5C, kShiftLeft = 0xA0, kAltRight = 0xA5;
    return vk != kWinLeft && vk != kWinRight && (vk < kShiftLeft || vk > kAltRight);
}

namespace {
std::uint8_t modifierBits(const ShortcutInput& input) {
    if (input.noModifier)
        return 0;
    return std::uint8_t((input.ctrl ? model::kModCtrl : 0) | (input.shift ? model::kModShift : 0) |
                        (input.alt ? model::kModAlt : 0) | (input.win ? model::kModWin : 0));
}
} // namespace

KeyFunctionCode ShortcutCode(const ShortcutInput& input) {
    return MakeCode(model::kClassKeyboard, modifierBits(input),
                    input.key ? model::VirtualKeyToHidUsage(*input.key) : std::uint8_t(0));
}

std::optional<ButtonChoice> ShortcutChoice(const ShortcutInput& input) {
    std::u16string name = model::ShortcutDisplayName(modifierBits(input), input.key);
    if (name.empty())
        return std::nullopt;
    return ButtonChoice{std::move(name), ShortcutCode(input)};
}

ButtonChoice MacroChoice(const macro::MacroLibrary& library, const macro::MacroLocation& location) {
    const macro::MacroLibraryNode* node = library.SlotAt(location);
    if (!node || !node->IsMacroSlot())
        return ButtonChoice{model::LanguageText(model::kDisabledNameText), kDisabled};
    // The name the library shows for it: a rename changes the slot's name only.
    return ButtonChoice{model::LanguageText(kTextMacroPrefix) + node->name, kMacroAssigned, node->macro.get()};
}

} // namespace quorvik::ui::rules
