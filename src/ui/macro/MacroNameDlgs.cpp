#include "ui/macro/MacroNameDlgs.h"

#include "macro/MacroEditing.h"
#include "platform/Messages.h"
#include "ui/macro/MacroIds.h"

namespace quorvik::ui {

using namespace platform;

CMacroKeyOrFolderNameDlg::CMacroKeyOrFolderNameDlg(int mode, WindowHandle parent)
    : CMacroKeyOrFolderNameDlg(kTemplate, mode == kFolderMode ? kTextNewFolderTitle : kTextNewMacroTitle, {}, parent) {}

CMacroKeyOrFolderNameDlg::CMacroKeyOrFolderNameDlg(int templateId, int titleText, std::u16string initial,
                                                   WindowHandle parent)
    : CMacroSmallDlg(templateId, parent, titleText), initial_(std::move(initial)) {}

void CMacroKeyOrFolderNameDlg::CreateBody() {
    AddValueEdit(kIdNameEdit, ScaledRect(40, 37, 279, 61), initial_);
}

bool CMacroKeyOrFolderNameDlg::Changes(const std::u16string&) const {
    return true;
}

void CMacroKeyOrFolderNameDlg::OnOK() {
    name_ = macro::CleanItemName(GetEditText(kIdNameEdit));
    EndDialog(Changes(name_) ? IDOK : IDCANCEL);
}

LRESULT CMacroKeyOrFolderNameDlg::handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN && wParam == VK_ESCAPE)
        return 1; // the bare message is swallowed; a typed Escape presses Cancel
    return CMacroSmallDlg::handleMessage(message, wParam, lParam);
}

CMacroKeyRenameDlg::CMacroKeyRenameDlg(std::u16string currentName, WindowHandle parent)
    : CMacroKeyOrFolderNameDlg(kTemplate, kTextRenameTitle, currentName, parent), current_(std::move(currentName)) {}

} // namespace quorvik::ui
