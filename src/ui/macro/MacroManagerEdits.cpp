// The macro manager at work: what the lists show for the selection, recording from the key
// capture, the insert and item menus, and the edits of single actions (insert, modify, delete).
#include "ui/macro/MacroManagerDlg.h"

#include "macro/MacroFiles.h"
#include "model/LanguageTable.h"
#include "model/Text.h"
#include "platform/Messages.h"
#include "platform/qt/UiLoop.h"
#include "ui/macro/ActionModifyDlgs.h"
#include "ui/macro/MacroIds.h"
#include "ui/macro/MacroPopups.h"
#include "ui/skin/AttentionDlg.h"
#include "ui/skin/ProgramWords.h"

namespace quorvik::ui {

using namespace platform;
using macro::InsertCommand;
using macro::MacroLocation;

namespace {

// The loop radio that shows a loop type; 0 for a type the program never writes.
int radioOfLoopType(std::uint8_t type) {
    return type == model::kLoopFirstOption    ? kIdLoopFirst
           : type == model::kLoopSecondOption ? kIdLoopSecond
           : type == model::kLoopCounted      ? kIdLoopCounted
                                              : 0;
}

} // namespace

// ---- selection ----

void CMacroManagerDlg::refreshTree() {
    CEditShowList* list = tree();
    if (!list)
        return;
    const int rows = int(list->Rows().size());
    list->SetSelectedRow(list->RowOf(macro::CurrentMacroLocation()));
    const int first = std::clamp(list->FirstVisibleRow(), 0, std::max(0, rows - list->VisibleRows()));
    list->SetFirstVisibleRow(first);
    if (auto* bar = FindControlAs<CVScrollBar>(kIdTreeScroll))
        bar->SetScroll(first, list->VisibleRows(), rows);
    InvalidateControl(list);
}

void CMacroManagerDlg::refreshSelection() {
    shown_ = macro::CurrentMacroLocation();
    model::MacroRecord* macro = SelectedMacro();
    if (CImageShowList* list = actions())
        list->SetMacro(macro);
    refreshActions(false);
    showLoopControls();
}

void CMacroManagerDlg::syncSelectionIfMoved() {
    // The tree takes the current location on the press; a release away from it sends no click.
    if (!(macro::CurrentMacroLocation() == shown_)) {
        refreshTree();
        refreshSelection();
    }
}

void CMacroManagerDlg::refreshActions(bool toEnd) {
    CImageShowList* list = actions();
    if (!list)
        return;
    const int rows = list->RowCount();
    const int visible = list->VisibleRows();
    int first = std::clamp(list->FirstVisibleRow(), 0, std::max(0, rows - visible));
    if (toEnd && rows > visible)
        first = rows - visible;
    list->SetFirstVisibleRow(first);
    if (auto* bar = FindControlAs<CVScrollBar>(kIdActionScroll))
        bar->SetScroll(first, visible, rows);
    InvalidateControl(list);
    updateEventCount();
}

void CMacroManagerDlg::updateEventCount() {
    const model::MacroRecord* macro = SelectedMacro();
    std::u16string label;
    if (macro)
        label = model::LanguageText(kTextEventCount) + u"  " + model::DecimalText(long(macro->MacroCommandActionNum)) +
                u" / " + model::DecimalText(long(model::kMaxMacroEvents));
    if (CControlBase* count = FindControl(kIdEventCount))
        count->SetText(label);
    InvalidateAll(); // the meter is part of the background
}

void CMacroManagerDlg::showLoopControls() {
    const model::MacroRecord* macro = SelectedMacro();
    const std::uint32_t group = RadioGroupMask(kIdLoopFirst);
    const int radio = macro ? radioOfLoopType(macro->MacroKeyLoopType) : 0;
    if (radio)
        SelectRadio(radio);
    else
        SetRadioGroupWord(RadioGroupWord() & ~group);
    showingLoopCount_ = macro && macro->MacroKeyLoopType == model::kLoopCounted;
    if (QLineEdit* edit = Edit(kIdLoopCount)) {
        if (showingLoopCount_)
            SetEditText(kIdLoopCount, model::DecimalText(long(macro->MacroKeyLoopNum)));
        edit->setVisible(showingLoopCount_);
    }
    if (CControlBase* label = FindControl(kIdLoopCountLabel))
        label->SetShown(showingLoopCount_);
    for (int id : {kIdLoopFirst, kIdLoopSecond, kIdLoopCounted})
        InvalidateControl(FindControl(id));
    InvalidateControl(FindControl(kIdLoopCountLabel));
}

void CMacroManagerDlg::setLoopType(std::uint8_t type, int radioId) {
    model::MacroRecord* macro = SelectedMacro();
    if (!macro) {
        SetRadioGroupWord(RadioGroupWord() & ~RadioGroupMask(radioId));
        showLoopControls();
        return;
    }
    macro->MacroKeyLoopType = type;
    showLoopControls();
    if (type == model::kLoopCounted)
        if (QLineEdit* edit = Edit(kIdLoopCount)) {
            edit->setFocus();
            edit->selectAll();
        }
}

void CMacroManagerDlg::onLoopCountChanged() {
    model::MacroRecord* macro = SelectedMacro();
    if (!macro || macro->MacroKeyLoopType != model::kLoopCounted || !showingLoopCount_)
        return;
    auto entry = macro::ReadLoopCount(GetEditText(kIdLoopCount));
    if (!entry)
        return; // an empty field while the user types a new count
    macro->MacroKeyLoopNum = entry->count;
    if (entry->correctedText)
        SetEditText(kIdLoopCount, *entry->correctedText);
}

// ---- recording ----

void CMacroManagerDlg::setControlsDisabled(bool disabled) {
    for (int list = 1; list <= kControlLists; ++list)
        for (const auto& control : ControlList(list))
            if (control->id() != kIdRecord && control->id() != kIdInsert)
                control->SetDisabled(disabled);
    if (QLineEdit* edit = Edit(kIdLoopCount))
        edit->setEnabled(!disabled);
    InvalidateAll();
}

void CMacroManagerDlg::startRecording() {
    model::MacroRecord* macro = SelectedMacro();
    CCheckButton* button = recordButton();
    if (!macro) {
        if (button)
            button->SetChecked(false);
        InvalidateControl(button);
        attention(kTextNoMacroSelected);
        return;
    }
    hook_.StartHook(hwnd());
    recording_ = true;
    recordingState_ = {};
    pressedWhileRecording_.reset();
    // The entries stay where they are; only the counts start again.
    macro->MacroActionNum = 0;
    macro->MacroCommandActionNum = 0;
    if (CImageShowList* list = actions()) {
        list->SetSelectedRow(-1);
        list->SetFirstVisibleRow(0);
    }
    refreshActions(false);
    setControlsDisabled(true);
    // Keys typed now are the macro's, not the loop count's.
    if (window())
        window()->setFocus();
}

void CMacroManagerDlg::stopRecording() {
    hook_.StopHook();
    recording_ = false;
    setControlsDisabled(false);
    macro::SaveMacroLibraryFile();
    refreshActions(false);
}

void CMacroManagerDlg::onRecordingFull() {
    CCheckButton* button = recordButton();
    if (!button || !button->IsChecked())
        return; // the limit was already handled: the event is dropped
    // The hook goes first, so that keys typed at the message are not recorded behind it.
    hook_.StopHook();
    setControlsDisabled(false);
    button->SetChecked(false);
    InvalidateControl(button);
    recording_ = false;
    attention(kTextRecordingFull);
    macro::SaveMacroLibraryFile();
}

void CMacroManagerDlg::onHookEvent(WPARAM wParam, LPARAM lParam) {
    // A popup closing tells its owner with this number too, carrying its control id where the
    // hook has a key code; and events still queued when a recording stopped belong to none.
    if (wParam > 0xFF || !recording_)
        return;
    // Pause ends the recording from the keyboard, as the record button does, and is the one key
    // not recorded (every other key is the macro's while it records).
    if (wParam == kStopRecordingKey) {
        if (!(std::uint32_t(lParam) & 0x80000000u))
            if (CCheckButton* button = recordButton())
                button->Press();
        return;
    }
    model::MacroRecord* macro = SelectedMacro();
    if (!macro)
        return;
    if (wParam < kFirstMouseCode) {
        const bool release = std::uint32_t(lParam) & 0x80000000u;
        if (!release)
            pressedWhileRecording_.set(wParam);
        else if (!pressedWhileRecording_.test(wParam))
            return;
    }
    const bool delays = FindControlAs<CCheckButton>(kIdRecordDelays)->IsChecked();
    switch (macro::RecordEvent(*macro, recordingState_, std::uint8_t(wParam), std::uint32_t(lParam), delays)) {
    case macro::RecordResult::Appended:
        refreshActions(true);
        break;
    case macro::RecordResult::LimitReached:
        onRecordingFull();
        break;
    case macro::RecordResult::Ignored:
        break;
    }
}

// ---- menus ----

void CMacroManagerDlg::openInsertMenu() {
    ClosePopup(kInsertMenuSlot);
    CControlBase* button = FindControl(kIdInsert);
    if (!button || !window())
        return;
    const Rect r = button->rect();
    const QPoint corner = window()->mapToGlobal(QPoint(r.left, r.bottom + Scaled(2)));
    const Rect screen{corner.x(), corner.y(), corner.x() + r.width(),
                      corner.y() + CComboActionInsertPopup::kItemCount * Scaled(kInsertMenuRowUnits)};
    auto* popup = new CComboActionInsertPopup();
    if (popup->Create(hwnd(), screen, kInsertMenuKind, kIdInsert, kMsgInsertChoice))
        SetPopup(kInsertMenuSlot, popup->hwnd());
    else
        delete popup;
}

void CMacroManagerDlg::openItemMenu(const ClickPoint& point) {
    ClosePopup(kItemMenuSlot);
    if (!window())
        return;
    const macro::MacroLibraryNode* node = macro::TheMacroLibrary().SlotAt(macro::CurrentMacroLocation());
    const ItemMenuRow row = !node || !node->IsOccupied() ? ItemMenuRow::None
                            : node->IsFolderSlot()       ? ItemMenuRow::Folder
                                                         : ItemMenuRow::Macro;
    const int items = int(CMacroListPopup::ItemIds(row).size());
    const QPoint at = window()->mapToGlobal(QPoint(point.x, point.y));
    // Sized to its items; the context-menu area is only the room it may take.
    const Rect area = CWndPopup::ContextMenuRect(at.x(), at.y());
    const Rect screen{area.left, area.top, area.left + Scaled(kMacroMenuWidthUnits),
                      area.top + items * Scaled(kMacroMenuRowUnits)};
    auto* popup = new CMacroListPopup(row);
    if (popup->Create(hwnd(), screen, kItemMenuKind, kIdMacroTree, kMsgItemChoice))
        SetPopup(kItemMenuSlot, popup->hwnd());
    else
        delete popup;
}

void CMacroManagerDlg::runDeferred(WPARAM which, LPARAM index) {
    if (which == 0)
        RunInsertCommand(InsertCommand(index));
    else
        RunItemCommand(int(index));
}

// ---- actions ----

std::size_t CMacroManagerDlg::insertPosition(const model::MacroRecord& macro) const {
    const int row = actions() ? actions()->SelectedRow() : -1;
    const std::size_t count = macro.ValidActionCount();
    return row >= 0 && std::size_t(row) < count ? std::size_t(row) + 1 : count;
}

void CMacroManagerDlg::RunInsertCommand(InsertCommand command) {
    if (int(command) < 0 || int(command) >= macro::kInsertCommandCount)
        return;
    model::MacroRecord* macro = SelectedMacro();
    if (!macro) {
        attention(kTextInsertWithoutMacro);
        return;
    }
    HookPause pause(*this);
    const std::size_t p = insertPosition(*macro);
    if (command == InsertCommand::Delay) {
        insertDelay(*macro, p);
    } else if (!macro::InsertFits(*macro, command)) {
        attention(kTextInsertRefused);
    } else if (command == InsertCommand::Key) {
        insertKey(*macro, p);
    } else if (macro::IsMoveCommand(command)) {
        insertMove(*macro, p, command);
    } else {
        const std::uint8_t buttons[] = {model::kMouseLeft, model::kMouseLeft + 1, model::kMouseLeft + 2};
        macro::InsertPressAndRelease(*macro, p, buttons[int(command)]);
        macro->MacroCommandActionNum = std::uint8_t(macro->MacroCommandActionNum + 2);
        actions()->SetSelectedRow(int(p) + 2);
    }
    refreshActions(true);
}

void CMacroManagerDlg::insertDelay(model::MacroRecord& macro, std::size_t p) {
    // Right after a delay the command edits that delay instead of adding a second one.
    if (p > 0 && model::IsDelay(macro.GetAction(p - 1))) {
        CActionTimeModifyDlg dialog(model::DelayMs(macro.GetAction(p - 1)), hwnd());
        if (dialog.DoModal() == IDOK)
            macro.SetAction(p - 1, dialog.Action());
        return;
    }
    if (!macro::InsertFits(macro, InsertCommand::Delay)) {
        attention(kTextInsertRefused);
        return;
    }
    macro.InsertAction(p, model::MakeDelay(macro::kInsertedDelayMs));
    refreshActions(false);
    CActionTimeModifyDlg dialog(macro::kInsertedDelayMs, hwnd());
    if (dialog.DoModal() == IDOK) {
        macro.SetAction(p, dialog.Action());
        actions()->SetSelectedRow(int(p));
    } else {
        macro.RemoveAction(p);
    }
}

void CMacroManagerDlg::insertKey(model::MacroRecord& macro, std::size_t p) {
    constexpr std::uint8_t kPlaceholder = 'A';
    macro::InsertPressAndRelease(macro, p, kPlaceholder);
    refreshActions(false);
    CActionKeyModifyDlg dialog(kPlaceholder, hwnd());
    if (dialog.DoModal() == IDOK) {
        macro.SetAction(p, model::MakeKeyEvent(dialog.Code(), false));
        macro.SetAction(p + 2, model::MakeKeyEvent(dialog.Code(), true));
        macro.MacroCommandActionNum = std::uint8_t(macro.MacroCommandActionNum + 2);
        actions()->SetSelectedRow(int(p) + 2);
    } else {
        for (int i = 0; i < 3; ++i)
            macro.RemoveAction(p);
    }
}

void CMacroManagerDlg::insertMove(model::MacroRecord& macro, std::size_t p, InsertCommand command) {
    macro.InsertAction(p, macro::MoveAction(command, 1));
    refreshActions(false);
    CActionXYModifyDlg dialog(command, 1, hwnd());
    if (dialog.DoModal() == IDOK) {
        macro.SetAction(p, dialog.Action());
        macro.MacroCommandActionNum = std::uint8_t(macro.MacroCommandActionNum + 1);
        actions()->SetSelectedRow(int(p));
    } else {
        macro.RemoveAction(p);
    }
}

void CMacroManagerDlg::modifyAction() {
    model::MacroRecord* macro = SelectedMacro();
    CImageShowList* list = actions();
    if (!macro || !list)
        return;
    const int row = list->SelectedRow();
    if (row < 0 || row >= list->RowCount())
        return;
    HookPause pause(*this);
    const model::MacroAction action = macro->GetAction(std::size_t(row));
    if (model::IsDelay(action)) {
        CActionTimeModifyDlg dialog(model::DelayMs(action), hwnd());
        if (dialog.DoModal() == IDOK)
            macro->SetAction(std::size_t(row), dialog.Action());
    } else if (macro::IsModifiableKey(action)) {
        CActionKeyModifyDlg dialog(action.b[0], hwnd());
        if (dialog.DoModal() == IDOK) {
            model::MacroAction changed = action;
            changed.b[0] = dialog.Code();
            macro->SetAction(std::size_t(row), changed);
        }
    }
    InvalidateControl(list);
}

void CMacroManagerDlg::deleteAction() {
    model::MacroRecord* macro = SelectedMacro();
    CImageShowList* list = actions();
    if (!macro || !list || list->SelectedRow() < 0)
        return;
    list->SetSelectedRow(macro::DeleteActionAt(*macro, list->SelectedRow()));
    refreshActions(false);
}

} // namespace quorvik::ui
