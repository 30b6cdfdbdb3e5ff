// The macro manager driven as a user drives it: clicks on its controls, keys through the key
// capture, menu choices that run after the repaint, and the modal dialogs answered as they open.
#include "MacroUiSupport.h"

#include "macro/MacroEditing.h"
#include "platform/qt/KeyMapping.h"
#include "ui/macro/ActionModifyDlgs.h"
#include "ui/macro/MacroIds.h"
#include "ui/macro/MacroManagerDlg.h"
#include "ui/macro/MacroNameDlgs.h"
#include "ui/macro/MacroPopups.h"
#include "ui/skin/OpenWindowTable.h"
#include "ui/skin/ProgramWords.h"

using namespace quorvik;
using namespace quorvik::ui;
using namespace quorvik::platform;
using macro::MacroLocation;
using model::MacroAction;
using model::MakeDelay;
using model::MakeKeyEvent;
using quorvik::test::DialogScript;
using quorvik::test::GiveActions;

namespace {

MacroLocation addMacro(const char16_t* name, MacroLocation at = MacroLocation::None()) {
    EXPECT_EQ(macro::TheMacroLibrary().AddMacro(name, at), macro::AddResult::Added);
    return at;
}
MacroLocation addFolder(const char16_t* name, MacroLocation at = MacroLocation::None()) {
    EXPECT_EQ(macro::TheMacroLibrary().AddFolder(name, at), macro::AddResult::Added);
    return at;
}

std::vector<MacroAction> actionsOf(const model::MacroRecord& m) {
    return {m.actions.begin(), m.actions.begin() + long(m.ValidActionCount())};
}

class MacroManagerTest : public quorvik::test::MacroUiTest {
protected:
    void SetUp() override {
        MacroUiTest::SetUp();
        manager = std::make_unique<CMacroManagerDlg>(0);
    }
    void TearDown() override {
        manager.reset();
        MacroUiTest::TearDown();
    }
    void open() {
        ASSERT_TRUE(manager->Create());
        manager->window()->showCommand(SW_SHOW);
        QCoreApplication::processEvents(); // exposed, so that a repaint paints
    }
    CEditShowList* tree() { return manager->FindControlAs<CEditShowList>(kIdMacroTree); }
    CImageShowList* actionList() { return manager->FindControlAs<CImageShowList>(kIdActionList); }
    CCheckButton* recordButton() { return manager->FindControlAs<CCheckButton>(kIdRecord); }

    // A click on the tree row of `location`, to the right of the folder icons.
    void selectRow(const MacroLocation& location) {
        const int row = tree()->RowOf(location);
        ASSERT_GE(row, 0);
        const Rect r = tree()->rect();
        click(*manager, r.left + Scaled(80), r.top + (row - tree()->FirstVisibleRow()) * tree()->RowHeight() + 5);
    }
    void selectAction(int row) {
        const Rect r = actionList()->rect();
        click(*manager, r.left + 40, r.top + (row - actionList()->FirstVisibleRow()) * actionList()->RowHeight() + 5);
    }
    // The item under the pointer of an open popup, clicked; then the repaint that runs the command.
    void clickPopupItem(int slot, int item) {
        const WindowHandle popup = manager->Popup(slot);
        ASSERT_NE(popup, WindowHandle(0));
        const auto* menu = dynamic_cast<CWndPopup*>(NativeWindow::fromHandle(popup)->owner());
        ASSERT_NE(menu, nullptr);
        const Rect& row = menu->Items().at(std::size_t(item)).rect;
        const int y = (row.top + row.bottom) / 2;
        loop.send(popup, WM_MOUSEMOVE, 0, MakePointParam(20, y));
        loop.send(popup, WM_LBUTTONDOWN, MK_LBUTTON, MakePointParam(20, y));
        loop.send(popup, WM_LBUTTONUP, 0, MakePointParam(20, y));
    }
    void repaintAndRun() {
        loop.runUntilIdle(); // the popup goes
        manager->window()->updateNow();
        loop.runUntilIdle(); // the command the painting handed on
    }
    void chooseInsert(macro::InsertCommand command) {
        clickControl(*manager, kIdInsert);
        clickPopupItem(kInsertMenuSlot, int(command));
        repaintAndRun();
    }
    // Right-click on a row (or below the rows for none), then the item with `id` (1 … 8).
    void chooseItem(std::optional<MacroLocation> row, int id) {
        const Rect r = tree()->rect();
        int y = r.bottom - 3;
        if (row)
            y = r.top + (tree()->RowOf(*row) - tree()->FirstVisibleRow()) * tree()->RowHeight() + 5;
        mouse(*manager, WM_MOUSEMOVE, r.left + Scaled(80), y);
        mouse(*manager, WM_RBUTTONUP, r.left + Scaled(80), y);
        const macro::MacroLibraryNode* node = macro::TheMacroLibrary().SlotAt(macro::CurrentMacroLocation());
        const ItemMenuRow kind = !node || !node->IsOccupied() ? ItemMenuRow::None
                                 : node->IsFolderSlot()       ? ItemMenuRow::Folder
                                                              : ItemMenuRow::Macro;
        const auto ids = CMacroListPopup::ItemIds(kind);
        const auto at = std::find(ids.begin(), ids.end(), id);
        ASSERT_NE(at, ids.end()) << "item " << id << " is not in this row's menu";
        clickPopupItem(kItemMenuSlot, int(at - ids.begin()));
        repaintAndRun();
    }
    void key(QEvent::Type type, int qtKey, bool autoRepeat = false) {
        sendKey(*manager, type, qtKey, 0, autoRepeat);
        loop.runUntilIdle();
    }

    std::unique_ptr<CMacroManagerDlg> manager;
};

TEST_F(MacroManagerTest, HoldingAKeyRecordsOnePressAndDelaysAreCapped) {
    const MacroLocation m = addMacro(u"Held");
    open();
    selectRow(m);
    clickControl(*manager, kIdRecord);
    ASSERT_TRUE(manager->IsRecording());
    EXPECT_TRUE(manager->Hook().IsRunning());

    key(QEvent::KeyPress, Qt::Key_A);
    loop.advance(30);
    // The window system's repeat of a held key, and a second report of the press: one press.
    for (int i = 0; i < 3; ++i) {
        key(QEvent::KeyRelease, Qt::Key_A, true);
        key(QEvent::KeyPress, Qt::Key_A, true);
    }
    loop.post(manager->hwnd(), kMsgHookEvent, 'A', HookEventWord(false, loop.now()));
    loop.runUntilIdle();
    loop.advance(10000); // ten seconds later: kept as 4,095 ms
    key(QEvent::KeyRelease, Qt::Key_A);
    loop.advance(120);
    key(QEvent::KeyPress, Qt::Key_Space);

    const model::MacroRecord& macro = *manager->SelectedMacro();
    EXPECT_EQ(actionsOf(macro),
              (std::vector<MacroAction>{MakeKeyEvent('A', false), MakeDelay(4095), MakeKeyEvent('A', true),
                                        MakeDelay(120), MakeKeyEvent(0x20, false)}));
    EXPECT_EQ(macro.MacroCommandActionNum, 3);
    EXPECT_EQ(actionList()->RowCount(), 5);
}

TEST_F(MacroManagerTest, RecordingWithoutDelaysAndTheControlsItSwitchesOff) {
    const MacroLocation m = addMacro(u"Fast");
    open();
    selectRow(m);
    clickControl(*manager, kIdRecordDelays); // unchecked
    clickControl(*manager, kIdRecord);
    for (int id : {kIdMacroTree, kIdNewMacro, kIdDeleteItem, kIdModifyAction, kIdDeleteAction, kIdLoopFirst,
                   kIdMacroClose, kIdRecordDelays})
        EXPECT_TRUE(manager->FindControl(id)->isDisabled()) << id;
    EXPECT_FALSE(recordButton()->isDisabled());
    EXPECT_FALSE(manager->FindControl(kIdInsert)->isDisabled());
    EXPECT_FALSE(manager->Edit(kIdLoopCount)->isEnabled());

    tapKey(*manager, Qt::Key_B);
    loop.advance(500);
    tapKey(*manager, Qt::Key_Escape); // a key like any other: the manager stays open
    EXPECT_TRUE(manager->IsOpen());
    // A key still queued when the recording stops is not added behind the saved file's back.
    sendKey(*manager, QEvent::KeyPress, Qt::Key_D);
    clickControl(*manager, kIdRecord);
    loop.runUntilIdle();
    EXPECT_FALSE(manager->IsRecording());
    EXPECT_FALSE(manager->Hook().IsRunning());
    EXPECT_FALSE(manager->FindControl(kIdMacroTree)->isDisabled());
    EXPECT_EQ(actionsOf(*manager->SelectedMacro()),
              (std::vector<MacroAction>{MakeKeyEvent('B', false), MakeKeyEvent('B', true), MakeKeyEvent(0x1B, false),
                                        MakeKeyEvent(0x1B, true)}));
}

TEST_F(MacroManagerTest, ANewRecordingStartsEmptyAndTheFileKeepsTheOldEntriesPastTheCount) {
    const MacroLocation m = addMacro(u"Twenty");
    std::vector<MacroAction> old;
    for (int i = 0; i < 20; ++i)
        old.push_back(i % 2 ? MakeDelay(10 + i) : MakeKeyEvent(std::uint8_t('A' + i), false));
    model::MacroRecord& macro = *macro::TheMacroLibrary().SlotAt(m)->macro;
    for (const auto& a : old)
        macro.InsertAction(macro.MacroActionNum, a);
    macro.MacroCommandActionNum = 10;
    open();
    selectRow(m);
    clickControl(*manager, kIdRecord);
    EXPECT_EQ(macro.MacroActionNum, 0u);
    EXPECT_EQ(macro.MacroCommandActionNum, 0);
    EXPECT_EQ(actionList()->RowCount(), 0);
    clickControl(*manager, kIdRecord); // stop: the library file is written

    macro::MacroLibrary back;
    ASSERT_TRUE(macro::ReadMacroLibraryFile(back, libraryFile(), nullptr));
    const model::MacroRecord& saved = *back.SlotAt(m)->macro;
    EXPECT_EQ(saved.MacroActionNum, 0u);
    EXPECT_EQ(std::vector<MacroAction>(saved.actions.begin(), saved.actions.begin() + 20), old);
}

TEST_F(MacroManagerTest, TheEventLimitStopsTheRecordingAndSaves) {
    const MacroLocation m = addMacro(u"Long");
    open();
    selectRow(m);
    clickControl(*manager, kIdRecordDelays);
    clickControl(*manager, kIdRecord);
    for (int i = 0; i < 84; ++i)
        tapKey(*manager, Qt::Key_A + (i % 26));
    EXPECT_EQ(manager->SelectedMacro()->MacroCommandActionNum, 168);
    DialogScript script;
    script.then(expectAttention(kTextRecordingFull));
    key(QEvent::KeyPress, Qt::Key_Z);
    EXPECT_TRUE(script.done());
    EXPECT_FALSE(manager->IsRecording());
    EXPECT_FALSE(recordButton()->IsChecked());
    EXPECT_FALSE(manager->Hook().IsRunning());
    EXPECT_EQ(manager->SelectedMacro()->MacroActionNum, 168u);
    EXPECT_TRUE(std::filesystem::exists(libraryFile()));
}

TEST_F(MacroManagerTest, RecordingNeedsASelectedMacro) {
    addFolder(u"Folder");
    open();
    selectRow(MacroLocation::At(0));
    DialogScript script;
    script.then(expectAttention(kTextNoMacroSelected));
    clickControl(*manager, kIdRecord);
    EXPECT_TRUE(script.done());
    EXPECT_FALSE(recordButton()->IsChecked());
    EXPECT_FALSE(manager->IsRecording());
    EXPECT_FALSE(manager->Hook().IsRunning());
}

TEST_F(MacroManagerTest, InsertMenuChoicesRunAfterTheRepaint) {
    const MacroLocation m = addMacro(u"Clicks");
    open();
    selectRow(m);
    clickControl(*manager, kIdInsert);
    clickPopupItem(kInsertMenuSlot, int(macro::InsertCommand::RightClick));
    EXPECT_TRUE(manager->HasPendingCommand());
    loop.runUntilIdle();
    EXPECT_EQ(manager->SelectedMacro()->MacroActionNum, 0u); // not before the window has repainted
    EXPECT_EQ(manager->Popup(kInsertMenuSlot), WindowHandle(0));
    manager->window()->updateNow();
    loop.runUntilIdle();
    EXPECT_FALSE(manager->HasPendingCommand());
    EXPECT_EQ(actionsOf(*manager->SelectedMacro()),
              (std::vector<MacroAction>{MakeKeyEvent(0xE1, false), MakeDelay(50), MakeKeyEvent(0xE1, true)}));
    EXPECT_EQ(manager->SelectedMacro()->MacroCommandActionNum, 2);
    EXPECT_EQ(actionList()->SelectedRow(), 2);

    // With the first row selected the next click goes after it.
    selectAction(0);
    chooseInsert(macro::InsertCommand::MiddleClick);
    EXPECT_EQ(manager->SelectedMacro()->GetAction(1), MakeKeyEvent(0xE2, false));
    EXPECT_EQ(manager->SelectedMacro()->GetAction(3), MakeKeyEvent(0xE2, true));
    EXPECT_EQ(actionList()->SelectedRow(), 3);
}

TEST_F(MacroManagerTest, AFullMacroRefusesAClickButTakesAMove) {
    const MacroLocation m = addMacro(u"Nearly full");
    model::MacroRecord& macro = *macro::TheMacroLibrary().SlotAt(m)->macro;
    for (int i = 0; i < 167; ++i)
        macro.InsertAction(macro.MacroActionNum, MakeKeyEvent(std::uint8_t('A' + i % 26), i % 2 == 1));
    macro.MacroCommandActionNum = 167;
    open();
    selectRow(m);

    DialogScript script;
    script.then(expectAttention(kTextInsertRefused));
    chooseInsert(macro::InsertCommand::LeftClick);
    EXPECT_TRUE(script.done());
    EXPECT_EQ(macro.MacroActionNum, 167u);

    script.then([this](CDlgBase& dialog) {
        EXPECT_EQ(dialog.templateId(), CActionXYModifyDlg::kTemplate);
        dialog.SetEditText(kIdValueEdit, u"12");
        clickControl(dialog, kIdDialogOk);
    });
    chooseInsert(macro::InsertCommand::MoveRight);
    EXPECT_TRUE(script.done());
    EXPECT_EQ(macro.MacroActionNum, 168u);
    EXPECT_EQ(macro.MacroCommandActionNum, 168);
    EXPECT_EQ(macro.GetAction(167), model::MakeMotion(model::kMoveX, 12));

    // Now full: another move is refused too.
    script.then(expectAttention(kTextInsertRefused));
    chooseInsert(macro::InsertCommand::MoveUp);
    EXPECT_EQ(macro.MacroActionNum, 168u);
}

TEST_F(MacroManagerTest, ADelayRightAfterADelayEditsIt) {
    const MacroLocation m = addMacro(u"Pause");
    const model::MacroRecord& macro =
        GiveActions(m, {MakeKeyEvent('A', false), MakeDelay(50), MakeKeyEvent('A', true)});
    open();
    selectRow(m);
    selectAction(1); // the delay: the new delay would go right after it

    DialogScript script;
    script.then([this](CDlgBase& dialog) {
        EXPECT_EQ(dialog.templateId(), CActionTimeModifyDlg::kTemplate);
        EXPECT_EQ(dialog.GetEditText(kIdValueEdit), u"50");
        dialog.SetEditText(kIdValueEdit, u"250");
        clickControl(dialog, kIdDialogOk);
    });
    chooseInsert(macro::InsertCommand::Delay);
    EXPECT_TRUE(script.done());
    EXPECT_EQ(actionsOf(macro),
              (std::vector<MacroAction>{MakeKeyEvent('A', false), MakeDelay(250), MakeKeyEvent('A', true)}));

    // After the release a new delay is inserted; cancelling takes it out again.
    selectAction(2);
    script.then([this](CDlgBase& dialog) {
        EXPECT_EQ(dialog.GetEditText(kIdValueEdit), u"100");
        clickControl(dialog, kIdDialogCancel);
    });
    chooseInsert(macro::InsertCommand::Delay);
    EXPECT_EQ(macro.MacroActionNum, 3u);
    script.then([this](CDlgBase& dialog) {
        dialog.SetEditText(kIdValueEdit, u"75");
        clickControl(dialog, kIdDialogOk);
    });
    chooseInsert(macro::InsertCommand::Delay);
    EXPECT_EQ(macro.GetAction(3), MakeDelay(75));
    EXPECT_EQ(macro.MacroCommandActionNum, 2); // delays are no events
    EXPECT_EQ(actionList()->SelectedRow(), 3);
}

TEST_F(MacroManagerTest, InsertingAKeyWhileRecordingHandsTheKeyboardToTheKeyDialog) {
    const MacroLocation m = addMacro(u"Keys");
    open();
    selectRow(m);
    clickControl(*manager, kIdRecord);
    tapKey(*manager, Qt::Key_C);
    const model::MacroRecord& macro = *manager->SelectedMacro();
    const std::vector<MacroAction> before = actionsOf(macro);

    // Cancel: the three placeholder actions go again and the event count stays.
    DialogScript script;
    script.then([this](CDlgBase& dialog) {
        auto& keyDialog = dynamic_cast<CActionKeyModifyDlg&>(dialog);
        EXPECT_TRUE(keyDialog.HookRunning());
        EXPECT_FALSE(manager->Hook().IsRunning()); // one hook at a time
        clickControl(dialog, kIdDialogCancel);
    });
    chooseInsert(macro::InsertCommand::Key);
    EXPECT_TRUE(script.done());
    EXPECT_EQ(actionsOf(macro), before);
    EXPECT_EQ(macro.MacroCommandActionNum, 2);
    EXPECT_TRUE(manager->Hook().IsRunning()); // the recording goes on

    // OK after pressing Right Shift: its press and release around the 50 ms hold.
    script.then([this](CDlgBase& dialog) {
        sendKey(dialog, QEvent::KeyPress, Qt::Key_Shift, kKeysymShiftR);
        sendKey(dialog, QEvent::KeyRelease, Qt::Key_Shift, kKeysymShiftR);
        loop.runUntilIdle();
        EXPECT_EQ(dialog.FindControl(kIdKeyName)->text(), u"Shift_R");
        clickControl(dialog, kIdDialogOk);
    });
    chooseInsert(macro::InsertCommand::Key);
    // Nothing the key dialog saw reached the recording.
    EXPECT_EQ(actionsOf(macro),
              (std::vector<MacroAction>{MakeKeyEvent('C', false), MakeDelay(0), MakeKeyEvent('C', true),
                                        MakeKeyEvent(0xA1, false), MakeDelay(50), MakeKeyEvent(0xA1, true)}));
    EXPECT_EQ(macro.MacroCommandActionNum, 4);
    EXPECT_TRUE(manager->Hook().IsRunning());
}

TEST_F(MacroManagerTest, ClosingAMenuWhileRecordingRecordsNothing) {
    const MacroLocation m = addMacro(u"Menu");
    open();
    selectRow(m);
    clickControl(*manager, kIdRecord);
    // The popup's closing note has the hook's message number; it is not a key.
    clickControl(*manager, kIdInsert);
    ASSERT_NE(manager->Popup(kInsertMenuSlot), WindowHandle(0));
    loop.send(manager->Popup(kInsertMenuSlot), WM_ACTIVATE, WA_INACTIVE, 0);
    loop.runUntilIdle();
    EXPECT_EQ(manager->Popup(kInsertMenuSlot), WindowHandle(0));
    EXPECT_EQ(manager->SelectedMacro()->MacroActionNum, 0u);
    EXPECT_TRUE(manager->IsRecording());
}

TEST_F(MacroManagerTest, ModifyChangesKeysAndDelaysButNotMouseSteps) {
    const MacroLocation m = addMacro(u"Edit");
    const model::MacroRecord& macro =
        GiveActions(m, {MakeKeyEvent('A', true), MakeDelay(40), MakeKeyEvent(model::kMouseLeft, false)});
    open();
    selectRow(m);
    DialogScript script;
    selectAction(0);
    script.then([this](CDlgBase& dialog) {
        EXPECT_EQ(dialog.FindControl(kIdKeyName)->text(), u"A");
        sendKey(dialog, QEvent::KeyPress, Qt::Key_F5);
        loop.runUntilIdle();
        loop.send(dialog.hwnd(), WM_KEYDOWN, VK_RETURN, 0); // Enter is a key here, not OK
        EXPECT_TRUE(dialog.IsOpen());
        clickControl(dialog, kIdDialogOk);
    });
    clickControl(*manager, kIdModifyAction);
    EXPECT_EQ(macro.GetAction(0), MakeKeyEvent(0x74, true)); // the release stays a release

    selectAction(1);
    script.then([this](CDlgBase& dialog) {
        dialog.SetEditText(kIdValueEdit, u"99999999");
        clickControl(dialog, kIdDialogOk);
    });
    mouse(*manager, WM_LBUTTONDBLCLK, actionList()->rect().left + 40, actionList()->rect().top + 25);
    EXPECT_EQ(macro.GetAction(1), MakeDelay(macro::kMaxDelayMs));

    selectAction(2);
    clickControl(*manager, kIdModifyAction); // a mouse button: no dialog opens
    EXPECT_EQ(script.shown(), 2);
    EXPECT_EQ(macro.GetAction(2), MakeKeyEvent(model::kMouseLeft, false));
}

TEST_F(MacroManagerTest, DeletingThePressOfAClickKeepsItsDelayAndRelease) {
    const MacroLocation m = addMacro(u"Click");
    const model::MacroRecord& macro =
        GiveActions(m, {MakeKeyEvent(0xE0, false), MakeDelay(50), MakeKeyEvent(0xE0, true)});
    open();
    selectRow(m);
    selectAction(0);
    clickControl(*manager, kIdDeleteAction);
    EXPECT_EQ(actionsOf(macro), (std::vector<MacroAction>{MakeDelay(50), MakeKeyEvent(0xE0, true)}));
    EXPECT_EQ(macro.MacroCommandActionNum, 1);
    EXPECT_EQ(actionList()->SelectedRow(), 0);
    // The last row going selects the one before; the list going empty selects nothing.
    selectAction(1);
    clickControl(*manager, kIdDeleteAction);
    EXPECT_EQ(actionList()->SelectedRow(), 0);
    EXPECT_EQ(macro.MacroCommandActionNum, 0);
    clickControl(*manager, kIdDeleteAction);
    EXPECT_EQ(actionList()->SelectedRow(), -1);
    EXPECT_EQ(macro.MacroActionNum, 0u);
}

TEST_F(MacroManagerTest, AFolderPlayedByAButtonOfTheCurrentProfileIsNotDeleted) {
    const MacroLocation folder = addFolder(u"Games");
    MacroLocation inner = folder;
    macro::TheMacroLibrary().AddFolder(u"Shooters", inner);
    const MacroLocation deep = addMacro(u"Burst", inner);
    const std::uint32_t serial = macro::TheMacroLibrary().SlotAt(deep)->macro->MacroKeyIndex;
    macro::TheMacroLibrary().SlotAt(folder)->folderIsOpen = 1;
    model::ProfileButton& button = model::Profile(0).buttons[4];
    button.Value = model::MakeCode(0x90, 0, 0);
    button.MacroKeyIndex = serial;
    open();
    selectRow(folder);

    DialogScript script;
    script.then(expectAttention(kTextConfirmDelete)).then(expectAttention(kTextItemInUse));
    clickControl(*manager, kIdDeleteItem);
    EXPECT_TRUE(script.done());
    EXPECT_TRUE(macro::TheMacroLibrary().SlotAt(folder)->IsOccupied());

    // Played only by a button of another profile: the folder goes, with everything in it.
    model::Profile(0).buttons[4] = savedProfiles_[0].buttons[4];
    model::Profile(1).buttons[2].Value = model::MakeCode(0x90, 0, 0);
    model::Profile(1).buttons[2].MacroKeyIndex = serial;
    script.then(expectAttention(kTextConfirmDelete));
    clickControl(*manager, kIdDeleteItem);
    EXPECT_TRUE(script.done());
    EXPECT_EQ(macro::TheMacroLibrary().CountOccupied(), 0u);
    EXPECT_EQ(macro::CurrentMacroLocation(), MacroLocation::None());
    EXPECT_EQ(tree()->SelectedRow(), -1);

    // Nothing selected: there is nothing to delete.
    script.then(expectAttention(kTextNothingToDelete));
    clickControl(*manager, kIdDeleteItem);
    EXPECT_TRUE(script.done());
}

TEST_F(MacroManagerTest, LoopOptionsAndTheCountField) {
    const MacroLocation m = addMacro(u"Loop");
    open();
    selectRow(m);
    model::MacroRecord& macro = *manager->SelectedMacro();
    EXPECT_EQ(RadioGroupWord() & RadioGroupMask(kIdLoopFirst), 1u << RadioBit(kIdLoopCounted));
    QLineEdit* count = manager->Edit(kIdLoopCount);
    EXPECT_TRUE(count->isVisible());
    EXPECT_EQ(count->text(), "1");

    manager->SetEditText(kIdLoopCount, u"300");
    EXPECT_EQ(macro.MacroKeyLoopNum, 255);
    EXPECT_EQ(count->text(), "255");
    manager->SetEditText(kIdLoopCount, u"0");
    EXPECT_EQ(macro.MacroKeyLoopNum, 1);
    EXPECT_EQ(count->text(), "1");
    manager->SetEditText(kIdLoopCount, u"42");
    EXPECT_EQ(macro.MacroKeyLoopNum, 42);
    manager->SetEditText(kIdLoopCount, u""); // on the way to a new number: nothing changes yet
    EXPECT_EQ(macro.MacroKeyLoopNum, 42);
    EXPECT_EQ(count->text(), "");

    clickControl(*manager, kIdLoopSecond);
    EXPECT_EQ(macro.MacroKeyLoopType, model::kLoopSecondOption);
    EXPECT_FALSE(count->isVisible());
    clickControl(*manager, kIdLoopFirst);
    EXPECT_EQ(macro.MacroKeyLoopType, model::kLoopFirstOption);
    manager->SetEditText(kIdLoopCount, u"7"); // hidden: not the count of this loop type
    EXPECT_EQ(macro.MacroKeyLoopNum, 42);
    clickControl(*manager, kIdLoopCounted);
    EXPECT_EQ(macro.MacroKeyLoopType, model::kLoopCounted);
    EXPECT_TRUE(count->isVisible());
    EXPECT_EQ(count->text(), "42");
    EXPECT_EQ(count->selectedText(), "42");
}

TEST_F(MacroManagerTest, NewMacroNamesStayOnOneLineAndKeepTheirEqualsSign) {
    const MacroLocation folder = addFolder(u"Folder");
    open();
    selectRow(folder);
    DialogScript script;
    script.then([this](CDlgBase& dialog) {
        EXPECT_EQ(dialog.templateId(), CMacroKeyOrFolderNameDlg::kTemplate);
        dialog.SetEditText(kIdNameEdit, u"Jump=Crouch\r\nnext");
        loop.send(dialog.hwnd(), WM_KEYDOWN, VK_RETURN, 0); // Enter is OK
    });
    clickControl(*manager, kIdNewMacro);
    EXPECT_TRUE(script.done());
    const MacroLocation added = MacroLocation::At(0, 0);
    ASSERT_TRUE(macro::TheMacroLibrary().SlotAt(added)->IsMacroSlot());
    EXPECT_EQ(macro::TheMacroLibrary().SlotAt(added)->name, u"Jump=Crouchnext");
    EXPECT_EQ(macro::TheMacroLibrary().SlotAt(folder)->folderIsOpen, 1u); // the folder opened
    EXPECT_EQ(macro::CurrentMacroLocation(), added);
    EXPECT_EQ(tree()->SelectedRow(), 1);
    EXPECT_EQ(actionList()->Macro(), manager->SelectedMacro());

    // The library file reads the name back whole.
    clickControl(*manager, kIdMacroClose);
    macro::MacroLibrary back;
    ASSERT_TRUE(macro::ReadMacroLibraryFile(back, libraryFile(), nullptr));
    EXPECT_EQ(back.SlotAt(added)->name, u"Jump=Crouchnext");
}

TEST_F(MacroManagerTest, NameDialogAnswersEmptyAndTakenNames) {
    addMacro(u"Taken");
    open();
    DialogScript script;
    script.then([this](CDlgBase& dialog) {
        dialog.SetEditText(kIdNameEdit, u"\n\t");
        loop.send(dialog.hwnd(), WM_KEYDOWN, VK_ESCAPE, 0); // swallowed
        EXPECT_TRUE(dialog.IsOpen());
        clickControl(dialog, kIdDialogOk);
    });
    script.then(expectAttention(kTextEmptyName));
    chooseItem(std::nullopt, 1);
    script.then([this](CDlgBase& dialog) {
        dialog.SetEditText(kIdNameEdit, u"Taken");
        clickControl(dialog, kIdDialogOk);
    });
    script.then(expectAttention(kTextNameExists));
    chooseItem(std::nullopt, 2); // a folder of that name may not stand beside the macro either
    EXPECT_TRUE(script.done());
    EXPECT_EQ(macro::TheMacroLibrary().CountOccupied(), 1u);
}

TEST_F(MacroManagerTest, RenameKeepsAnUnchangedNameAndRefusesATakenOne) {
    const MacroLocation a = addMacro(u"Alpha");
    addMacro(u"Beta");
    open();
    DialogScript script;
    script.then([this](CDlgBase& dialog) {
        EXPECT_EQ(dialog.templateId(), CMacroKeyRenameDlg::kTemplate);
        EXPECT_EQ(dialog.GetEditText(kIdNameEdit), u"Alpha");
        clickControl(dialog, kIdDialogOk); // unchanged: closes as Cancel
        EXPECT_EQ(dialog.Result(), IDCANCEL);
    });
    chooseItem(a, 5);
    script.then([this](CDlgBase& dialog) {
        dialog.SetEditText(kIdNameEdit, u"Beta");
        clickControl(dialog, kIdDialogOk);
    });
    script.then(expectAttention(kTextNameExists));
    chooseItem(a, 5);
    script.then([this](CDlgBase& dialog) {
        dialog.SetEditText(kIdNameEdit, u"Gamma");
        clickControl(dialog, kIdDialogOk);
    });
    chooseItem(a, 5);
    EXPECT_TRUE(script.done());
    EXPECT_EQ(macro::TheMacroLibrary().SlotAt(a)->name, u"Gamma");
}

TEST_F(MacroManagerTest, ExportedMacroImportsBackWithTheSameActions) {
    const MacroLocation m = addMacro(u"Combo");
    model::MacroRecord& source =
        GiveActions(m, {MakeKeyEvent(0xA2, false), MakeDelay(30), MakeKeyEvent('V', false), MakeKeyEvent('V', true),
                        MakeKeyEvent(0xA2, true), model::MakeMotion(model::kWheel, -3)});
    source.MacroKeyLoopType = model::kLoopCounted;
    source.MacroKeyLoopNum = 9;
    const auto saved = actionsOf(source);
    const std::string file = (data_.path() / "combo").string(); // typed without the extension

    std::vector<FileDialogRequest> asked;
    std::optional<std::string> answer = file;
    SetFileDialogAnswerer([&](const FileDialogRequest& request) {
        asked.push_back(request);
        return answer;
    });
    open();
    chooseItem(m, 3); // export macro
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].kind, FileDialogRequest::Kind::Save);
    EXPECT_EQ(asked[0].title, model::LanguageText(kTextExportMacroTitle));
    EXPECT_EQ(asked[0].filter, u"mkf file(*.mkf)|*.mkf||");
    EXPECT_EQ(asked[0].defaultExtension, u"mkf");
    EXPECT_EQ(asked[0].fileName, u"Combo.mkf");
    ASSERT_TRUE(std::filesystem::exists(file + ".mkf"));

    // Importing it where the name is taken changes nothing.
    answer = file + ".mkf";
    DialogScript script;
    script.then(expectAttention(kTextNameExists));
    chooseItem(m, 4);
    EXPECT_TRUE(script.done());
    EXPECT_EQ(asked.back().title, model::LanguageText(kTextImportMacroTitle));
    EXPECT_EQ(asked.back().fileName, u".mkf");
    EXPECT_EQ(macro::TheMacroLibrary().CountOccupied(), 1u);

    // Into a folder it comes back as a new macro with the same steps and loop settings.
    const MacroLocation folder = addFolder(u"Imported");
    chooseItem(folder, 4);
    const macro::MacroLibraryNode* copy = macro::TheMacroLibrary().SlotAt(MacroLocation::At(1, 0));
    ASSERT_TRUE(copy && copy->IsMacroSlot());
    EXPECT_EQ(copy->name, u"Combo");
    EXPECT_EQ(actionsOf(*copy->macro), saved);
    EXPECT_EQ(copy->macro->MacroKeyLoopNum, 9);
    EXPECT_EQ(copy->macro->MacroCommandActionNum, 5);
    EXPECT_NE(copy->macro->MacroKeyIndex, source.MacroKeyIndex);
    EXPECT_EQ(macro::CurrentMacroLocation(), MacroLocation::At(1, 0));
    EXPECT_EQ(actionList()->Macro(), copy->macro.get());

    // A cancelled dialog exports nothing.
    answer.reset();
    chooseItem(m, 8);
    EXPECT_EQ(asked.back().fileName, u"Combo.mbf");
    EXPECT_EQ(asked.back().filter, u"mbf file(*.mbf)|*.mbf||");
    EXPECT_FALSE(std::filesystem::exists(file + ".mbf"));
}

TEST_F(MacroManagerTest, ItemsExportedWithNothingSelectedImportIntoAnotherLibrary) {
    const MacroLocation f = addFolder(u"Set");
    GiveActions(addMacro(u"Inside", f), {MakeKeyEvent('Q', false)});
    addMacro(u"Top");
    const std::string file = (data_.path() / "all.mbf").string();
    SetFileDialogAnswerer([&](const FileDialogRequest&) { return std::optional<std::string>(file); });
    open();
    chooseItem(std::nullopt, 8);
    EXPECT_TRUE(std::filesystem::exists(file));

    macro::TheMacroLibrary().Clear();
    addMacro(u"Here");
    chooseItem(MacroLocation::At(0), 7); // a depth-0 macro is current: folders come along
    EXPECT_EQ(macro::TheMacroLibrary().SlotAt(MacroLocation::At(1))->name, u"Set");
    EXPECT_EQ(macro::TheMacroLibrary().SlotAt(MacroLocation::At(1, 0))->name, u"Inside");
    EXPECT_EQ(macro::TheMacroLibrary().SlotAt(MacroLocation::At(2))->name, u"Top");
    EXPECT_EQ(macro::CurrentMacroLocation(), MacroLocation::At(2));
}

TEST_F(MacroManagerTest, EveryWayOutStopsTheHookAndSavesTheLibrary) {
    const MacroLocation m = addMacro(u"Kept");
    // What the library file holds for the macro: its actions, and the location line.
    auto saved = [&] {
        macro::MacroLibrary back;
        MacroLocation fileLocation = MacroLocation::At(5);
        EXPECT_TRUE(macro::ReadMacroLibraryFile(back, libraryFile(), &fileLocation));
        EXPECT_EQ(fileLocation, MacroLocation::None());
        const macro::MacroLibraryNode* node = back.SlotAt(m);
        return node && node->IsMacroSlot() ? actionsOf(*node->macro) : std::vector<MacroAction>{};
    };
    open();
    selectRow(m);
    clickControl(*manager, kIdRecordDelays);
    clickControl(*manager, kIdRecord);
    ASSERT_TRUE(manager->Hook().IsRunning());
    tapKey(*manager, Qt::Key_K);
    // WM_CLOSE (Alt+F4): the hook stops first, then the recording is saved.
    loop.send(manager->hwnd(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(manager->IsOpen());
    EXPECT_EQ(CKeyboardHook::Active(), nullptr);
    ASSERT_TRUE(std::filesystem::exists(libraryFile()));
    EXPECT_EQ(saved(), (std::vector<MacroAction>{MakeKeyEvent('K', false), MakeKeyEvent('K', true)}));
    EXPECT_EQ(macro::CurrentMacroLocation(), MacroLocation::None());

    // The main window closing every dialog on its way out (exit, the last mouse unplugged).
    std::filesystem::remove(libraryFile());
    manager = std::make_unique<CMacroManagerDlg>(0);
    open();
    selectRow(m);
    clickControl(*manager, kIdRecordDelays);
    clickControl(*manager, kIdRecord);
    tapKey(*manager, Qt::Key_L);
    CloseOpenWindows();
    EXPECT_FALSE(manager->IsOpen());
    EXPECT_EQ(CKeyboardHook::Active(), nullptr);
    EXPECT_EQ(saved(), (std::vector<MacroAction>{MakeKeyEvent('L', false), MakeKeyEvent('L', true)}));

    // Destroyed while recording (the program quitting under it): the hook goes with it, the
    // recording is kept.
    std::filesystem::remove(libraryFile());
    manager = std::make_unique<CMacroManagerDlg>(0);
    open();
    selectRow(m);
    clickControl(*manager, kIdRecordDelays);
    clickControl(*manager, kIdRecord);
    ASSERT_NE(CKeyboardHook::Active(), nullptr);
    tapKey(*manager, Qt::Key_M);
    manager.reset();
    EXPECT_EQ(CKeyboardHook::Active(), nullptr);
    EXPECT_EQ(saved(), (std::vector<MacroAction>{MakeKeyEvent('M', false), MakeKeyEvent('M', true)}));

    // The close button: selection forgotten, library saved.
    manager = std::make_unique<CMacroManagerDlg>(0);
    DialogScript script;
    script.then([this](CDlgBase& dialog) {
        selectRow(MacroLocation::At(0));
        EXPECT_EQ(macro::CurrentMacroLocation(), MacroLocation::At(0));
        clickControl(dialog, kIdMacroClose);
    });
    EXPECT_EQ(manager->DoModal(), IDOK);
    EXPECT_EQ(macro::CurrentMacroLocation(), MacroLocation::None());
    ASSERT_TRUE(std::filesystem::exists(libraryFile()));
    MacroLocation fileLocation = MacroLocation::At(5);
    macro::MacroLibrary back;
    ASSERT_TRUE(macro::ReadMacroLibraryFile(back, libraryFile(), &fileLocation));
    EXPECT_EQ(fileLocation, MacroLocation::None());
    EXPECT_EQ(back.SlotAt(m)->name, u"Kept");
}

TEST_F(MacroManagerTest, FoldersOpenAndCloseAndTheTreeScrolls) {
    const MacroLocation f = addFolder(u"Many");
    for (int i = 0; i < 20; ++i) {
        const char16_t name[] = {u'M', u'a', u'c', u'r', u'o', u' ', char16_t(u'a' + i), 0};
        addMacro(name, f);
    }
    open();
    EXPECT_EQ(tree()->Rows().size(), 1u);
    const Rect r = tree()->rect();
    mouse(*manager, WM_MOUSEMOVE, r.left + Scaled(80), r.top + 5);
    mouse(*manager, WM_LBUTTONDBLCLK, r.left + Scaled(80), r.top + 5);
    EXPECT_EQ(tree()->Rows().size(), 21u);
    auto* bar = manager->FindControlAs<CVScrollBar>(kIdTreeScroll);
    EXPECT_EQ(bar->Total(), 21);
    EXPECT_EQ(bar->Page(), tree()->VisibleRows());
    // A page down stops where the last row shows at the bottom.
    loop.send(manager->hwnd(), kIdTreeScroll, kScrollPageDown, kCodeDown);
    EXPECT_EQ(tree()->FirstVisibleRow(), 21 - tree()->VisibleRows());
    loop.send(manager->hwnd(), kIdTreeScroll, kScrollLineUp, kCodeDown);
    EXPECT_EQ(tree()->FirstVisibleRow(), 20 - tree()->VisibleRows());
    EXPECT_EQ(bar->Position(), tree()->FirstVisibleRow());
}

TEST_F(MacroManagerTest, TheFolderIconFlipsOnAPressAndADoubleClickOnItFlipsOnce) {
    const MacroLocation outer = addFolder(u"Outer");
    const MacroLocation inner = addFolder(u"Inner", outer);
    addMacro(u"Deep", inner);
    open();
    const macro::MacroLibrary& lib = macro::TheMacroLibrary();
    auto isOpen = [&](const MacroLocation& at) { return lib.SlotAt(at)->folderIsOpen != 0; };
    // Where the icon of a row is drawn.
    auto icon = [&](const MacroLocation& at) {
        const int row = tree()->RowOf(at);
        EXPECT_GE(row, 0);
        const Rect r = tree()->rect();
        const QRect line(r.left, r.top + (row - tree()->FirstVisibleRow()) * tree()->RowHeight(), r.width(),
                         tree()->RowHeight());
        const CEditShowList::Row shown = tree()->Rows()[std::size_t(row)];
        return tree()->FolderIconRect(line, shown.depth, shown.open);
    };
    auto doubleClick = [&](QPoint at) {
        click(*manager, at.x(), at.y());
        mouse(*manager, WM_LBUTTONDBLCLK, at.x(), at.y(), MK_LBUTTON);
        mouse(*manager, WM_LBUTTONUP, at.x(), at.y());
    };

    click(*manager, icon(outer).center().x(), icon(outer).center().y());
    EXPECT_TRUE(isOpen(outer));
    EXPECT_EQ(macro::CurrentMacroLocation(), outer);
    // The inner folder's icon is indented by its depth: its right edge flips it, the column of
    // the folder above it does not.
    const QRect innerIcon = icon(inner);
    click(*manager, tree()->rect().left + 2, innerIcon.center().y());
    EXPECT_FALSE(isOpen(inner));
    EXPECT_EQ(macro::CurrentMacroLocation(), inner);
    click(*manager, innerIcon.right(), innerIcon.center().y());
    EXPECT_TRUE(isOpen(inner));
    EXPECT_EQ(tree()->Rows().size(), 3u);

    // A double-click on the icon: one flip in all, each time.
    doubleClick(icon(inner).center());
    EXPECT_FALSE(isOpen(inner));
    doubleClick(icon(inner).center());
    EXPECT_TRUE(isOpen(inner));
    // On the name the double-click flips and the press does not.
    const QRect name = icon(outer).adjusted(Scaled(60), 0, Scaled(60), 0);
    doubleClick(name.center());
    EXPECT_FALSE(isOpen(outer));
    EXPECT_EQ(tree()->Rows().size(), 1u);
    doubleClick(name.center());
    EXPECT_TRUE(isOpen(outer));
    EXPECT_TRUE(isOpen(inner));
}

TEST_F(MacroManagerTest, TheManagerIsItsSizeTimesTheDisplayScaleAndItsInsertMenuEndsInsideIt) {
    for (double scale : {1.0, 2.0}) {
        SetDisplayScaleFactor(scale);
        manager = std::make_unique<CMacroManagerDlg>(0);
        open();
        EXPECT_EQ(manager->Width(), int(528 * scale)) << scale;
        EXPECT_EQ(manager->Height(), int(365 * scale)) << scale;
        EXPECT_EQ(manager->window()->size(), QSize(int(528 * scale), int(365 * scale))) << scale;
        // The insert menu hangs under its button, inside the manager's frame.
        clickControl(*manager, kIdInsert);
        const WindowHandle insert = manager->Popup(kInsertMenuSlot);
        ASSERT_NE(insert, WindowHandle(0));
        const QRect menu = NativeWindow::fromHandle(insert)->geometry();
        const QRect frame = manager->window()->geometry();
        EXPECT_TRUE(frame.contains(menu)) << scale << ": menu to " << menu.bottom() << ", frame to " << frame.bottom();
        const Rect button = manager->FindControl(kIdInsert)->rect();
        EXPECT_EQ(menu.top(), frame.top() + button.bottom + Scaled(2)) << scale;
        manager->ClosePopup(kInsertMenuSlot);
        loop.runUntilIdle();
        manager.reset();
    }
    SetDisplayScaleFactor(1.0);
}

TEST_F(MacroManagerTest, TheMenusListTheirEntriesAndTellTheirClosing) {
    const MacroLocation folder = addFolder(u"Folder");
    const MacroLocation m = addMacro(u"Macro");
    open();
    auto popupIn = [&](int slot) -> CWndPopup* {
        const WindowHandle h = manager->Popup(slot);
        auto* window = h ? NativeWindow::fromHandle(h) : nullptr;
        return window ? dynamic_cast<CWndPopup*>(window->owner()) : nullptr;
    };

    // The insert menu under its button: nine entries, language texts 280 … 288 in order.
    clickControl(*manager, kIdInsert);
    CWndPopup* insert = popupIn(kInsertMenuSlot);
    ASSERT_NE(dynamic_cast<CComboActionInsertPopup*>(insert), nullptr);
    EXPECT_EQ(insert->Kind(), 14);
    ASSERT_EQ(insert->Items().size(), 9u);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(insert->Items()[std::size_t(i)].text, model::LanguageText(280 + i)) << i;
    // Clicked away: it tells its closing with 0x490 and the manager closes it.
    EXPECT_EQ(CWndPopup::ClosedMessageForKind(14), 0x490u);
    loop.send(insert->hwnd(), WM_ACTIVATE, WA_INACTIVE, 0);
    loop.runUntilIdle();
    EXPECT_EQ(manager->Popup(kInsertMenuSlot), WindowHandle(0));

    // The item menu at a right-click: the ids for what the row holds, each with its label.
    struct Case {
        std::optional<MacroLocation> row;
        std::vector<int> ids;
    };
    const Case cases[] = {
        {std::nullopt, {1, 2, 4, 7, 8}}, {folder, {1, 2, 4, 5, 6, 7, 8}}, {m, {1, 2, 3, 4, 5, 6, 7, 8}}};
    for (const Case& c : cases) {
        const Rect r = tree()->rect();
        const int y = c.row ? r.top + tree()->RowOf(*c.row) * tree()->RowHeight() + 5 : r.bottom - 3;
        mouse(*manager, WM_MOUSEMOVE, r.left + Scaled(80), y);
        mouse(*manager, WM_RBUTTONUP, r.left + Scaled(80), y);
        CWndPopup* items = popupIn(kItemMenuSlot);
        ASSERT_NE(dynamic_cast<CMacroListPopup*>(items), nullptr);
        EXPECT_EQ(items->Kind(), 15);
        std::vector<int> ids;
        for (const CWndPopup::Item& item : items->Items()) {
            ids.push_back(item.id);
            EXPECT_EQ(item.text, model::LanguageText(kTextItemMenuFirst + item.id - 1));
        }
        EXPECT_EQ(ids, c.ids);
        EXPECT_EQ(CWndPopup::ClosedMessageForKind(15), 0x492u);
        loop.send(items->hwnd(), WM_ACTIVATE, WA_INACTIVE, 0);
        loop.runUntilIdle();
        EXPECT_EQ(manager->Popup(kItemMenuSlot), WindowHandle(0));
    }
}

TEST_F(MacroManagerTest, ACancelledMoveIsTakenOutAgain) {
    const MacroLocation m = addMacro(u"Moves");
    const model::MacroRecord& macro = GiveActions(m, {MakeKeyEvent('A', false), MakeKeyEvent('A', true)});
    open();
    selectRow(m);
    selectAction(0);
    DialogScript script;
    script.then([&](CDlgBase& dialog) {
        EXPECT_EQ(dialog.templateId(), CActionXYModifyDlg::kTemplate);
        // The move stands in the list while the dialog is open.
        EXPECT_EQ(macro.GetAction(1), model::MakeMotion(model::kMoveY, 1));
        dialog.SetEditText(kIdValueEdit, u"40");
        clickControl(dialog, kIdDialogCancel);
    });
    chooseInsert(macro::InsertCommand::MoveDown);
    EXPECT_TRUE(script.done());
    EXPECT_EQ(actionsOf(macro), (std::vector<MacroAction>{MakeKeyEvent('A', false), MakeKeyEvent('A', true)}));
    EXPECT_EQ(macro.MacroCommandActionNum, 2);
}

} // namespace
