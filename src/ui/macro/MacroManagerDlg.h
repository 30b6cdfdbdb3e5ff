// The macro manager: the library as a tree, the actions of the selected macro, recording from
// the keyboard, single-step editing, the loop options and the item commands (new, rename, delete,
// export, import). It edits the program's library in place and saves it to the library file when
// a recording stops and whenever the manager ends: by its close button, by WM_CLOSE (Alt+F4, or
// the main window closing every dialog on its way out) or by the program quitting. Ending stops
// the hook first and forgets the selection, so the file's location line is stage -1.
//
//   CMacroManagerDlg manager(mainWindow);
//   manager.DoModal();                 // returns when the user closes it (or WM_CLOSE arrives)
//   macro::ReadMacroLibraryAtStartup(); // the library as the manager saved it
//
// Menu choices run after the window has repainted: the painting hands them to the loop.
#pragma once

#include "macro/MacroEditing.h"
#include "model/FileProblems.h"
#include "platform/qt/FileDialogs.h"
#include "platform/qt/KeyboardHook.h"
#include "ui/macro/Lists.h"
#include "ui/skin/Buttons.h"
#include "ui/skin/DlgBase.h"
#include "ui/skin/Sliders.h"

#include <bitset>
#include <optional>

namespace quorvik::ui {

class CMacroManagerDlg : public CDlgBase {
public:
    static constexpr int kTemplate = 170;
    static constexpr int kWidthUnits = 528;
    static constexpr int kHeightUnits = 365;

    enum ItemCommand {
        kNewMacro = 0,
        kNewFolder = 1,
        kExportMacro = 2,
        kImportMacro = 3,
        kRename = 4,
        kDelete = 5,
        kImportItems = 6,
        kExportItems = 7,
    };

    explicit CMacroManagerDlg(WindowHandle parent);
    ~CMacroManagerDlg() override;

    LRESULT handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) override;

    bool IsRecording() const { return recording_; }
    const platform::CKeyboardHook& Hook() const { return hook_; }
    // The macro at the current location, or null for a folder or no selection.
    model::MacroRecord* SelectedMacro() const;
    // A menu choice that waits for the next repaint.
    bool HasPendingCommand() const { return pendingInsert_ || pendingItem_; }

    // The commands a menu choice leads to, run at once.
    void RunInsertCommand(macro::InsertCommand command);
    void RunItemCommand(int command);

protected:
    bool OnInitDialog() override;
    void CreateControls(const Rect& client) override;
    void DrawBackground(QPainter& p, const Rect& client) override;
    void OnOK() override;
    void OnCancel() override;

private:
    friend class HookPause;

    CEditShowList* tree() const;
    CImageShowList* actions() const;
    CCheckButton* recordButton() const;

    // Selection: the current location's macro into the action list and the loop controls.
    void refreshSelection();
    void refreshTree();
    // Scroll range of the action list; `toEnd` scrolls a list longer than the view to its end.
    void refreshActions(bool toEnd);
    void showLoopControls();
    void setLoopType(std::uint8_t type, int radioId);
    void onLoopCountChanged();
    void updateEventCount();
    void syncSelectionIfMoved();

    void startRecording();
    // Recording off by the record button; `save` writes the library file.
    void stopRecording();
    void onHookEvent(WPARAM wParam, LPARAM lParam);
    void onRecordingFull();
    void setControlsDisabled(bool disabled);

    void openInsertMenu();
    void openItemMenu(const ClickPoint& point);
    void runDeferred(WPARAM which, LPARAM index);

    void modifyAction();
    void deleteAction();
    // The row after the selected action, or the end of the list.
    std::size_t insertPosition(const model::MacroRecord& macro) const;
    void insertDelay(model::MacroRecord& macro, std::size_t position);
    void insertKey(model::MacroRecord& macro, std::size_t position);
    void insertMove(model::MacroRecord& macro, std::size_t position, macro::InsertCommand command);

    // Item commands (MacroManagerItems.cpp).
    void newItem(bool folder);
    void renameItem();
    void deleteItem();
    void exportMacro();
    void importMacro();
    void exportItems();
    void importItems();
    // After an add or import made `location` current: its row selected and shown.
    void selectLocation(const macro::MacroLocation& location);
    std::optional<std::string> askFile(platform::FileDialogRequest::Kind kind, int title, const char16_t* filter,
                                       const char16_t* extension, std::u16string name);

    int attention(int text);
    // The attention dialog naming an import file that was refused, and why.
    void refused(const std::string& path, const model::FileProblem& problem);
    // Every way out: hook stopped, selection forgotten, library saved (once).
    void finish();

    platform::CKeyboardHook hook_;
    bool recording_ = false;
    macro::RecordingState recordingState_;
    // The keys pressed since the recording began: the release of a key held when it began (the
    // Space or Enter that pressed the record button) is not the macro's.
    std::bitset<256> pressedWhileRecording_;
    bool pendingInsert_ = false;
    int pendingInsertIndex_ = 0;
    bool pendingItem_ = false;
    int pendingItemIndex_ = 0;
    // The location the action list and loop controls show.
    macro::MacroLocation shown_ = macro::MacroLocation::None();
    bool showingLoopCount_ = false;
    bool finished_ = false;
};

// Stops the manager's hook while a command runs (a dialog may capture keys with its own, and only
// one hook runs at a time) and starts it again afterwards when the recording goes on.
class HookPause {
public:
    explicit HookPause(CMacroManagerDlg& manager) : manager_(manager) { manager_.hook_.StopHook(); }
    ~HookPause() {
        if (manager_.recording_ && manager_.hwnd())
            manager_.hook_.StartHook(manager_.hwnd());
    }
    HookPause(const HookPause&) = delete;
    HookPause& operator=(const HookPause&) = delete;

private:
    CMacroManagerDlg& manager_;
};

} // namespace quorvik::ui
