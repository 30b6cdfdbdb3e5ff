#include "ui/main/ProfileNameDlgs.h"

#include "platform/Messages.h"
#include "ui/rules/ProfileSlots.h"

namespace quorvik::ui {

using namespace platform;

namespace {
constexpr int kTextAddTitle = 148;
constexpr int kTextRenameTitle = 149;
constexpr int kTextAddPrompt = 141;
constexpr int kTextRenamePrompt = 144;
constexpr int kTextEmptyName = 147;
} // namespace

CAddProfileDlg::CAddProfileDlg(WindowHandle parent)
    : CAddProfileDlg(kTemplate, kTextAddTitle, kTextAddPrompt, {}, parent) {}

CAddProfileDlg::CAddProfileDlg(int templateId, int titleText, int promptText, std::u16string initial,
                               WindowHandle parent)
    : CMacroSmallDlg(templateId, parent, titleText), promptText_(promptText), initial_(std::move(initial)) {}

void CAddProfileDlg::CreateBody() {
    AddPrompt(promptText_, ScaledRect(16, 31, 303, 46), Qt::AlignHCenter);
    AddValueEdit(kNameEdit, ScaledRect(40, 47, 279, 66), initial_);
}

void CAddProfileDlg::OnOK() {
    std::u16string name = rules::CleanProfileName(GetEditText(kNameEdit));
    if (name.empty()) {
        Attention(kTextEmptyName);
        return; // the dialog stays for another name
    }
    name_ = std::move(name);
    EndDialog(IDOK);
}

LRESULT CAddProfileDlg::handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN && wParam == VK_ESCAPE)
        return 1; // the bare message is swallowed; a typed Escape presses Cancel
    return CMacroSmallDlg::handleMessage(message, wParam, lParam);
}

CEditProfileDlg::CEditProfileDlg(std::u16string currentName, WindowHandle parent)
    : CAddProfileDlg(kTemplate, kTextRenameTitle, kTextRenamePrompt, std::move(currentName), parent) {}

} // namespace quorvik::ui
