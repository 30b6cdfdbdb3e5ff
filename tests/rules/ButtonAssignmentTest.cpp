// What a button may be given and how it is stored: the menus' entries, the codes the fire-key
// and shortcut dialogs build, the macro choice, and the left button the mouse always keeps.
#include "ui/rules/ButtonAssignment.h"
#include "model/LanguageTable.h"
#include "platform/ProcessGlobals.h"
#include "support/TestSupport.h"
#include "ui/rules/WindowPlacement.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace quorvik::ui::rules {
namespace {

using model::KeyMenu;
using model::MakeCode;

class ButtonAssignmentRules : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(dir_.path() / "config");
        test::writeBytes(dir_.path() / "config/LanSetting.ini", test::utf16File(u"[ChangeLanguage]\nLanguage=EN\n"));
        // The fire key's name carries a "+" that a button's name leaves off.
        test::writeBytes(dir_.path() / "config/Lan_EN.txt",
                         test::utf16File(u"[Setting]\n0=English\n20=Left\n21=Right\n26=Rapid+\n34=Off\n36=Lock\n"
                                         u"67=Explorer\n190=Macro-\n"));
        platform::SetDataFolder(dir_.str());
        model::ResetLanguageTables();
        ASSERT_TRUE(model::LoadLanguageTables());
        record_.ResetToFactory(0);
    }
    void TearDown() override { model::ResetLanguageTables(); }

    // Only button 0 is a left button, as in a profile where the user moved the others away.
    void onlyButtonZeroIsLeft() {
        for (int k = 1; k < model::kButtonCount; ++k)
            record_.buttons[std::size_t(k)].Value = MakeCode(0x10, 0x02, 0x00);
        record_.buttons[0].Value = MakeCode(0x10, 0x01, 0x00);
    }

    test::TempDir dir_;
    model::ProfileRecord record_;
};

TEST_F(ButtonAssignmentRules, TheMenuHoldsTheReadyMadeCodesAndItsSubmenusAndDialogsInPlace) {
    const auto entries = ButtonMenuEntries();
    ASSERT_EQ(entries.size(), std::size_t(kButtonMenuEntryCount));
    // Every function entry is the ready-made code of its row, with the same label.
    int functions = 0;
    for (const model::ReadyMadeCode& ready : model::ReadyMadeCodes(KeyMenu::ButtonFunction)) {
        const ButtonMenuEntry& entry = entries[std::size_t(ready.entry - 1)];
        EXPECT_EQ(entry.kind, EntryKind::Function) << ready.entry;
        EXPECT_EQ(entry.code, ready.code) << ready.entry;
        EXPECT_EQ(entry.labelText, ready.labelText) << ready.entry;
        ++functions;
    }
    EXPECT_EQ(functions, 8);
    EXPECT_EQ(SubMenuEntryIndex(KeyMenu::Dpi), 5);
    EXPECT_EQ(SubMenuEntryIndex(KeyMenu::Multimedia), 10);
    EXPECT_EQ(SubMenuEntryIndex(KeyMenu::Office), 11);
    EXPECT_EQ(SubMenuEntryIndex(KeyMenu::WindowManagement), 12);
    EXPECT_EQ(SubMenuEntryIndex(KeyMenu::DpiLock), 14);
    EXPECT_EQ(SubMenuEntryIndex(KeyMenu::ButtonFunction), -1);
    EXPECT_EQ(entries[6].dialog, ButtonDialog::FireKey);
    EXPECT_EQ(entries[8].dialog, ButtonDialog::MacroSelect);
    EXPECT_EQ(entries[9].dialog, ButtonDialog::Shortcut);
    EXPECT_EQ(entries[14].labelText, 36);

    // A click on a function entry chooses its label and code; the others choose nothing.
    const auto right = FunctionEntryChoice(1);
    ASSERT_TRUE(right);
    EXPECT_EQ(right->name, u"Right");
    EXPECT_EQ(right->code, MakeCode(0x10, 0x02, 0x00));
    EXPECT_FALSE(right->macro);
    for (int index : {5, 6, 8, 9, 14, -1, 16})
        EXPECT_FALSE(FunctionEntryChoice(index)) << index;
}

TEST_F(ButtonAssignmentRules, SubmenuChoicesCarryTheirLabelsAndALockedDpiSaysWhatItLocks) {
    const int sizes[] = {3, 11, 10, 9, 6};
    const KeyMenu menus[] = {KeyMenu::Dpi, KeyMenu::DpiLock, KeyMenu::Multimedia, KeyMenu::Office,
                             KeyMenu::WindowManagement};
    for (int m = 0; m < 5; ++m) {
        EXPECT_TRUE(SubMenuChoice(menus[m], sizes[m] - 1)) << m;
        EXPECT_FALSE(SubMenuChoice(menus[m], sizes[m])) << m;
        EXPECT_FALSE(SubMenuChoice(menus[m], -1)) << m;
    }
    EXPECT_FALSE(SubMenuChoice(KeyMenu::ButtonFunction, 0));

    const auto lock = SubMenuChoice(KeyMenu::DpiLock, 6);
    ASSERT_TRUE(lock);
    EXPECT_EQ(lock->code, MakeCode(0x50, 0x07, 0x00));
    EXPECT_EQ(lock->name, u"Lock-800");
    const auto explorer = SubMenuChoice(KeyMenu::Office, 7);
    ASSERT_TRUE(explorer);
    EXPECT_EQ(explorer->code, MakeCode(0x70, 0x08, 0x08));
    EXPECT_EQ(explorer->name, u"Explorer");
}

TEST_F(ButtonAssignmentRules, TheMenuMarksTheEntryOfAButtonsFunction) {
    EXPECT_EQ(MenuEntryOfCode(MakeCode(0x10, 0x01, 0x00)), 0);
    EXPECT_EQ(MenuEntryOfCode(MakeCode(0x00, 0x00, 0x00)), 15);
    EXPECT_EQ(MenuEntryOfCode(MakeCode(0x40, 0x01, 0x00)), 5);  // in the DPI submenu
    EXPECT_EQ(MenuEntryOfCode(MakeCode(0x50, 0x07, 0x00)), 14); // a DPI lock
    EXPECT_EQ(MenuEntryOfCode(MakeCode(0x70, 0x01, 0x06)), 11); // Ctrl+C of the office submenu
    EXPECT_EQ(MenuEntryOfCode(MakeCode(0x70, 0x04, 0x3D)), 12); // Alt+F4 of window management
    EXPECT_EQ(MenuEntryOfCode(MakeCode(0x70, 0x05, 0x4C)), 9);  // a shortcut of the user's own
    EXPECT_EQ(MenuEntryOfCode(MakeCode(0x30, 0x32, 0x03)), 7);  // the ready-made fire key
    EXPECT_EQ(MenuEntryOfCode(MakeCode(0x30, 0x14, 0x00)), 6);  // a fire key of the dialog
    EXPECT_EQ(MenuEntryOfCode(MakeCode(0x90, 0x13, 0x00)), 8);
    EXPECT_EQ(MenuEntryOfCode(MakeCode(0x10, 0x00, 0x00)), std::nullopt); // profile cycle
    EXPECT_EQ(SubMenuEntryOfCode(KeyMenu::DpiLock, MakeCode(0x50, 0x0B, 0x00)), 10);
    EXPECT_EQ(SubMenuEntryOfCode(KeyMenu::Dpi, MakeCode(0x50, 0x0B, 0x00)), std::nullopt);
}

TEST_F(ButtonAssignmentRules, TheOnlyLeftButtonComesBackAndASecondOneLetsTheFirstGo) {
    onlyButtonZeroIsLeft();
    StoreChoice(record_, 0, *FunctionEntryChoice(1));
    EXPECT_EQ(CountLeftButtons(record_), 0);
    EXPECT_FALSE(KeepsLeftButton(record_, 0));
    EXPECT_EQ(record_.buttons[0].Value, MakeCode(0x10, 0x01, 0x00));
    EXPECT_EQ(record_.buttons[0].Name, u"Left");

    // Button 4 becomes a left button too; then button 0 may become something else.
    StoreChoice(record_, 4, *FunctionEntryChoice(0));
    EXPECT_TRUE(KeepsLeftButton(record_, 4));
    EXPECT_EQ(CountLeftButtons(record_), 2);
    StoreChoice(record_, 0, *FunctionEntryChoice(1));
    EXPECT_TRUE(KeepsLeftButton(record_, 0));
    EXPECT_EQ(record_.buttons[0].Value, MakeCode(0x10, 0x02, 0x00));
    EXPECT_EQ(record_.buttons[0].Name, u"Right");
    // A left button whose third byte is not 0 still counts.
    record_.buttons[4].Value = MakeCode(0x10, 0x01, 0x07);
    EXPECT_EQ(CountLeftButtons(record_), 1);
}

TEST_F(ButtonAssignmentRules, AMacroChoiceCopiesTheMacroAndAnyOtherChoiceEmptiesTheCopy) {
    macro::MacroLibrary library;
    macro::MacroLocation at = macro::MacroLocation::None();
    ASSERT_EQ(library.AddMacro(u"Burst", at), macro::AddResult::Added);
    model::MacroRecord& source = *library.SlotAt(at)->macro;
    source.InsertAction(0, model::MakeKeyEvent('A', false));
    source.InsertAction(1, model::MakeKeyEvent('A', true));
    source.MacroCommandActionNum = 2;
    ASSERT_TRUE(library.Rename(at, u"Burst fire") == macro::AddResult::Added);

    const ButtonChoice choice = MacroChoice(library, at);
    EXPECT_EQ(choice.name, u"Macro-Burst fire"); // the name the library shows
    EXPECT_EQ(choice.code, MakeCode(0x90, 0x00, 0x00));
    ASSERT_EQ(choice.macro, &source);
    onlyButtonZeroIsLeft();
    StoreChoice(record_, 2, choice);
    EXPECT_TRUE(KeepsLeftButton(record_, 2));
    const model::ProfileButton& button = record_.buttons[2];
    EXPECT_EQ(button.MacroKeyIndex, source.MacroKeyIndex);
    EXPECT_EQ(button.Macro.MacroActionNum, 2u);
    EXPECT_EQ(button.Macro.actions[1], model::MakeKeyEvent('A', true));

    // Another function empties the button's copy and leaves the serial number.
    StoreChoice(record_, 2, *FunctionEntryChoice(15));
    EXPECT_EQ(button.Macro.MacroActionNum, 0u);
    EXPECT_EQ(button.MacroKeyIndex, source.MacroKeyIndex);
    EXPECT_EQ(button.Value, MakeCode(0, 0, 0));

    // The only left button given a macro: it is the left button again, without the macro.
    StoreChoice(record_, 0, choice);
    EXPECT_FALSE(KeepsLeftButton(record_, 0));
    EXPECT_EQ(record_.buttons[0].Value, MakeCode(0x10, 0x01, 0x00));
    EXPECT_EQ(record_.buttons[0].Macro.MacroActionNum, 0u);

    // No macro where the choice points: the button is disabled.
    for (macro::MacroLocation none : {macro::MacroLocation::None(), macro::MacroLocation::At(5)}) {
        const ButtonChoice off = MacroChoice(library, none);
        EXPECT_EQ(off.name, u"Off");
        EXPECT_EQ(off.code, MakeCode(0, 0, 0));
        EXPECT_EQ(off.macro, nullptr);
    }
    macro::MacroLocation folder = macro::MacroLocation::None();
    ASSERT_EQ(library.AddFolder(u"Set", folder), macro::AddResult::Added);
    EXPECT_EQ(MacroChoice(library, folder).macro, nullptr);
}

TEST_F(ButtonAssignmentRules, FireKeysNeedAnIntervalAboveFourAndFitInABytePerValue) {
    const auto fifty = FireKeyChoice(FireFieldValue(u"50"), FireFieldValue(u"0"));
    ASSERT_TRUE(fifty);
    EXPECT_EQ(fifty->code, MakeCode(0x30, 0x32, 0x00));
    EXPECT_EQ(fifty->name, u"Rapid");
    EXPECT_FALSE(FireKeyChoice(4, 3));
    EXPECT_FALSE(FireKeyChoice(FireFieldValue(u""), 3));
    EXPECT_EQ(FireKeyChoice(5, 255)->code, MakeCode(0x30, 0x05, 0xFF));
    // Never a wrapped byte: 300 is sent as 255, not as 44.
    EXPECT_EQ(FireKeyChoice(300, 256)->code, MakeCode(0x30, 0xFF, 0xFF));

    EXPECT_EQ(FireFieldValue(u"1a2"), 12u);
    EXPECT_GT(FireFieldValue(u"99999999999999999999"), kFireValueMax); // no overflow back to small
    EXPECT_EQ(DigitsOnly(u"4x5 -6"), u"456");
}

TEST_F(ButtonAssignmentRules, ShortcutsTakeModifiersInTheirOrderAndKeysButNeverSidedModifiers) {
    ShortcutInput ctrlAltDel;
    ctrlAltDel.ctrl = ctrlAltDel.alt = true;
    ctrlAltDel.key = 0x2E;
    const auto del = ShortcutChoice(ctrlAltDel);
    ASSERT_TRUE(del);
    EXPECT_EQ(del->code, MakeCode(0x70, 0x05, 0x4C));
    EXPECT_EQ(del->name, u"Ctrl+Alt+Del");

    ShortcutInput win;
    win.win = true;
    EXPECT_EQ(ShortcutChoice(win)->code, MakeCode(0x70, 0x08, 0x00));
    EXPECT_EQ(ShortcutChoice(win)->name, u"Super");

    ShortcutInput all;
    all.ctrl = all.shift = all.alt = all.win = true;
    all.key = 'Z';
    EXPECT_EQ(ShortcutChoice(all)->name, u"Ctrl+Shift+Alt+Super+Z");
    EXPECT_EQ(ShortcutChoice(all)->code, MakeCode(0x70, 0x0F, 0x1D));
    // "No modifier keys" leaves the checks out, whatever they say.
    all.noModifier = true;
    EXPECT_EQ(ShortcutChoice(all)->name, u"Z");
    EXPECT_EQ(ShortcutChoice(all)->code, MakeCode(0x70, 0x00, 0x1D));
    all.key.reset();
    EXPECT_FALSE(ShortcutChoice(all));
    EXPECT_FALSE(ShortcutChoice(ShortcutInput{}));

    // The generic Shift is a key of its own, with no keyboard usage.
    ShortcutInput shift;
    shift.key = 0x10;
    EXPECT_EQ(ShortcutChoice(shift)->name, u"Shift");
    EXPECT_EQ(ShortcutChoice(shift)->code, MakeCode(0x70, 0x00, 0x00));

    for (int vk : {0x5B, 0x5C, 0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5})
        EXPECT_FALSE(ShortcutTakesKey(std::uint8_t(vk))) << vk;
    for (int vk : {0x10, 0x11, 0x12, 0x5D, 0x9F, 0xA6, 0x2E, 0x41})
        EXPECT_TRUE(ShortcutTakesKey(std::uint8_t(vk))) << vk;
}

TEST(MenuPlacement, BesideItsAnchorAndNeverOutsideTheWindow) {
    const Box window{100, 50, 1227, 790};
    const Box selector{151, 120, 351, 146};
    // Right of the selector, tops level.
    EXPECT_EQ(PlaceBeside(selector, selector.top, 160, 416, window, 4), (Placement{355, 120, 160, 416}));
    // Low in the window it moves up just enough to end at the window's bottom.
    EXPECT_EQ(PlaceBeside(selector, 600, 160, 286, window, 0), (Placement{351, 790 - 286, 160, 286}));
    // No room to the right: to the left of the anchor.
    const Box nearRight{1000, 200, 1160, 226};
    EXPECT_EQ(PlaceBeside(nearRight, 200, 160, 100, window, 0), (Placement{840, 200, 160, 100}));
    // No room on either side, or taller than the window: it stays inside, top first.
    const Box wide{110, 60, 1200, 80};
    EXPECT_EQ(PlaceBeside(wide, 60, 300, 900, window, 0), (Placement{927, 50, 300, 900}));
}

// A context menu opens at the pointer, moved in as little as keeps it inside the window.
TEST(MenuPlacement, AContextMenuStaysInsideTheWindow) {
    const Box window{100, 50, 1227, 790};
    EXPECT_EQ(PlaceAtPoint(200, 300, 160, 104, window), (Placement{200, 300, 160, 104}));
    EXPECT_EQ(PlaceAtPoint(200, 731, 160, 104, window), (Placement{200, 790 - 104, 160, 104})) << "low: moved up";
    EXPECT_EQ(PlaceAtPoint(1200, 300, 160, 104, window), (Placement{1227 - 160, 300, 160, 104}));
    EXPECT_EQ(PlaceAtPoint(1226, 789, 160, 104, window), (Placement{1067, 686, 160, 104}));
    EXPECT_EQ(PlaceAtPoint(150, 60, 2000, 1000, window), (Placement{100, 50, 2000, 1000}))
        << "too big: top-left inside";
}

} // namespace
} // namespace quorvik::ui::rules
