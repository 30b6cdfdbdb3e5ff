// The profiles panel: the profile selector with its list, one tab per profile slot (the visible
// ones in show-list order), the current profile's name, and the buttons that add, rename, import,
// export and re-send profiles. It selects, adds, renames, deletes, imports and exports profiles;
// every change of the slots ends with a commit: the configuration and all five profile files are
// saved and the window shows the current profile again.
//
// A choice in a tab's context menu (Import, Export, Rename, Delete, and the Applications dialog), and
// the list's Add entry, run 100 ms later from timer 60, once the menu is gone from the screen.
#pragma once

#include "ui/main/Page.h"
#include "ui/rules/ClosingClick.h"

#include <array>
#include <string>

namespace quorvik::ui {

class CComboButton;
class CImageButton;
class CTabControl;
class CStaticText;

class CProfileArea : public CPage {
public:
    // Operation codes of the deferred commands.
    enum Operation : int {
        kImport = 0,
        kExport = 1,
        kRename = 2,
        kDelete = 3,
        kApplications = 4, // the Applications dialog (for every profile, whichever tab it came from)
        kAdd = 5,
        kLimitMessage = 6, // Add chosen while the limit is reached
    };
    static constexpr unsigned kCommandDelayMs = 100;

    explicit CProfileArea(PageHost& host) : CPage(host) {}

    // The selector, the tabs, the name and the profile buttons.
    void CreateControls() override;
    void Refresh(const model::ProfileRecord& record) override;
    bool HandleMessage(unsigned message, WPARAM wParam, LPARAM lParam) override;
    bool OnTimer(unsigned id) override;

    CTabControl* Tab(int slot) const { return tabs_[std::size_t(slot)]; }
    // The open profile list, or 0.
    WindowHandle List() const;

    // The operations, for the slot given (the buttons pass the current slot).
    void SelectSlot(int slot);
    void AddProfile();
    void RenameProfile(int slot);
    void DeleteProfile(int slot);
    void ImportProfile(int slot);
    void ExportProfile(int slot);
    // The Applications dialog, modal.
    void EditApplicationRules();

private:
    void commit();
    void onAnchorClick();
    void openList();
    void closeList();
    void onListChoice(LPARAM lParam);
    void onListClosed();
    void openSlotMenu(int slot);
    void onMenuChoice(LPARAM lParam);
    void runLater(int operation, int slot);
    void runOperation(int operation, int slot);

    CComboButton* selector_ = nullptr;
    CImageButton* listButton_ = nullptr;
    std::array<CTabControl*, 5> tabs_{};
    CStaticText* name_ = nullptr;

    WindowHandle list_ = 0;
    // The list lost its activation to a press on the selector or the list button: the click that
    // follows must not open it again at once.
    rules::ClosingClick closingClick_;

    int menuSlot_ = -1; // the tab whose context menu is open
    int pendingOperation_ = -1;
    int pendingSlot_ = -1;
};

} // namespace quorvik::ui
