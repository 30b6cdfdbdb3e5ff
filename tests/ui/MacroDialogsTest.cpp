// The macro manager's small dialogs and the macro select dialog.
#include "MacroUiSupport.h"

#include "platform/qt/KeyMapping.h"
#include "ui/macro/ActionModifyDlgs.h"
#include "ui/macro/Lists.h"
#include "ui/macro/MacroIds.h"
#include "ui/macro/MacroSelectDlg.h"

using namespace quorvik;
using namespace quorvik::ui;
using namespace quorvik::platform;
using macro::MacroLocation;
using quorvik::test::DialogScript;
using quorvik::test::RecordingDlg;
using quorvik::test::Sent;

namespace {

class MacroDialogsTest : public quorvik::test::MacroUiTest {
protected:
    // Types `text` and presses OK; the dialog may stay open.
    void enter(CDlgBase& dialog, const char16_t* text) {
        dialog.SetEditText(kIdValueEdit, text);
        clickControl(dialog, kIdDialogOk);
    }
};

TEST_F(MacroDialogsTest, TheTimeDialogRefusesWhatIsNoNumberAndCapsLongDelays) {
    CActionTimeModifyDlg dialog(100, 0);
    DialogScript script;
    script.then([&](CDlgBase& shown) {
        EXPECT_EQ(shown.Width(), 319);
        EXPECT_EQ(shown.Height(), 102);
        EXPECT_EQ(shown.FindControl(kIdDialogTitle)->text(), model::LanguageText(kTextDelayTitle));
        EXPECT_EQ(shown.GetEditText(kIdValueEdit), u"100");
        enter(shown, u"-5");
        EXPECT_TRUE(shown.IsOpen());
        enter(shown, u"1.5s");
        EXPECT_TRUE(shown.IsOpen());
        enter(shown, u"20000000");
    });
    script.then(expectAttention(kTextNotANumber)).then(expectAttention(kTextNotANumber));
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_TRUE(script.done());
    EXPECT_EQ(dialog.DelayMs(), macro::kMaxDelayMs);
    EXPECT_EQ(dialog.Action(), model::MakeDelay(15300000));
}

TEST_F(MacroDialogsTest, TheMoveDialogKeepsDistancesFrom1To127) {
    struct Case {
        macro::InsertCommand direction;
        const char16_t* typed;
        model::MacroAction stored;
    };
    const Case cases[] = {
        {macro::InsertCommand::MoveLeft, u"0", model::MacroAction{{0xE5, 0, 0, 0xFF}}},
        {macro::InsertCommand::MoveUp, u"500", model::MacroAction{{0xE6, 0, 0, 0x81}}},
        {macro::InsertCommand::MoveDown, u" 64", model::MacroAction{{0xE6, 0, 0, 64}}},
    };
    for (const Case& c : cases) {
        CActionXYModifyDlg dialog(c.direction, 1, 0);
        DialogScript script;
        script.then([&](CDlgBase& shown) {
            const int title = kTextMoveLeftTitle + int(c.direction) - int(macro::InsertCommand::MoveLeft);
            EXPECT_EQ(shown.FindControl(kIdDialogTitle)->text(), model::LanguageText(title));
            enter(shown, c.typed);
        });
        EXPECT_EQ(dialog.DoModal(), IDOK);
        EXPECT_EQ(dialog.Action(), c.stored);
    }
    CActionXYModifyDlg refused(macro::InsertCommand::MoveRight, 3, 0);
    DialogScript script;
    script.then([&](CDlgBase& shown) {
        enter(shown, u"-3");
        clickControl(shown, kIdDialogCancel);
    });
    script.then(expectAttention(kTextNotANumber));
    EXPECT_EQ(refused.DoModal(), IDCANCEL);
    EXPECT_EQ(refused.Amount(), 3);
}

TEST_F(MacroDialogsTest, TheKeyDialogCapturesEveryKeyWithItsOwnHook) {
    CActionKeyModifyDlg dialog('A', 0);
    DialogScript script;
    script.then([&](CDlgBase& shown) {
        ASSERT_TRUE(dialog.HookRunning());
        EXPECT_EQ(CKeyboardHook::Active()->Target(), shown.hwnd());
        EXPECT_EQ(shown.FindControl(kIdKeyName)->text(), u"A");
        // Escape and Enter are keys to capture, not Cancel and OK.
        sendKey(shown, QEvent::KeyPress, Qt::Key_Escape);
        sendKey(shown, QEvent::KeyRelease, Qt::Key_Escape);
        loop.runUntilIdle();
        EXPECT_TRUE(shown.IsOpen());
        EXPECT_EQ(shown.FindControl(kIdKeyName)->text(), u"Esc");
        // A release of another key, a code that would read as a delay, a mouse code: kept out.
        sendKey(shown, QEvent::KeyRelease, Qt::Key_Control, kKeysymControlL);
        loop.post(shown.hwnd(), kKeyboardHookMessage, 0x03, HookEventWord(false, 0));
        loop.post(shown.hwnd(), kKeyboardHookMessage, 0xE0, HookEventWord(false, 0));
        loop.runUntilIdle();
        EXPECT_EQ(shown.FindControl(kIdKeyName)->text(), u"Esc");
        clickControl(shown, kIdDialogOk);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.Code(), 0x1B);
    EXPECT_FALSE(dialog.HookRunning());
    EXPECT_EQ(CKeyboardHook::Active(), nullptr);

    // OK with no key pressed keeps the key the action had; closing stops the hook as well.
    CActionKeyModifyDlg untouched(0x74, 0);
    script.then([this](CDlgBase& shown) { clickControl(shown, kIdDialogOk); });
    EXPECT_EQ(untouched.DoModal(), IDOK);
    EXPECT_EQ(untouched.Code(), 0x74);
    CActionKeyModifyDlg closed(0x74, 0);
    script.then([this](CDlgBase& shown) { loop.send(shown.hwnd(), WM_CLOSE, 0, 0); });
    EXPECT_EQ(closed.DoModal(), IDCANCEL);
    EXPECT_EQ(CKeyboardHook::Active(), nullptr);
}

TEST_F(MacroDialogsTest, TheSelectDialogHandsAMacroToItsParent) {
    MacroLocation folder;
    macro::TheMacroLibrary().AddFolder(u"Folder", folder);
    macro::TheMacroLibrary().SlotAt(folder)->folderIsOpen = 1;
    MacroLocation inside = folder;
    macro::TheMacroLibrary().AddMacro(u"Inside", inside);
    macro::CurrentMacroLocation() = folder;

    RecordingDlg parent;
    parent.Create();
    CMacroSelectDlg dialog(parent.hwnd());
    DialogScript script;
    script.then([&](CDlgBase& shown) {
        auto* tree = shown.FindControlAs<CEditShowList>(kIdMacroTree);
        EXPECT_EQ(tree->SelectedRow(), 0); // the same current location as the manager
        clickControl(shown, kIdDialogOk);  // a folder: refused
        EXPECT_TRUE(parent.of(kMsgMacroChosen).empty());
        const Rect r = tree->rect();
        click(shown, r.left + Scaled(80), r.top + tree->RowHeight() + 5);
        EXPECT_EQ(macro::CurrentMacroLocation(), inside);
        clickControl(shown, kIdDialogOk);
    });
    script.then(expectAttention(kTextNoMacroSelected));
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_TRUE(script.done());
    EXPECT_EQ(parent.of(kMsgMacroChosen), (std::vector<Sent>{{kMsgMacroChosen, WPARAM(kIdDialogOk), 0}}));
    EXPECT_EQ(macro::CurrentMacroLocation(), inside);

    // The close button chooses nothing.
    CMacroSelectDlg again(parent.hwnd());
    script.then([this](CDlgBase& shown) { clickControl(shown, kIdDialogClose); });
    EXPECT_EQ(again.DoModal(), IDCANCEL);
    EXPECT_EQ(parent.of(kMsgMacroChosen).size(), 1u);
}

} // namespace
