#include "ui/macro/ActionModifyDlgs.h"

#include "model/KeyCodes.h"
#include "model/Text.h"
#include "platform/Messages.h"
#include "ui/macro/MacroIds.h"

namespace quorvik::ui {

using namespace platform;

namespace {
int moveTitle(macro::InsertCommand direction) {
    return kTextMoveLeftTitle + (int(direction) - int(macro::InsertCommand::MoveLeft));
}
} // namespace

// ---- key ----

CActionKeyModifyDlg::CActionKeyModifyDlg(std::uint8_t code, WindowHandle parent)
    : CMacroSmallDlg(kTemplate, parent, kTextKeyTitle), code_(code) {}

void CActionKeyModifyDlg::CreateBody() {
    AddPrompt(kTextKeyPrompt, ScaledRect(16, 31, 303, 45), Qt::AlignHCenter);
    AddControl(2, std::make_unique<CHeadingText>(hwnd(), kIdKeyName, ScaledRect(16, 45, 303, 67),
                                                 model::VirtualKeyName(code_), Rgb(kTextHover), Scaled(20),
                                                 Qt::AlignHCenter));
}

bool CActionKeyModifyDlg::OnInitDialog() {
    bool ok = CMacroSmallDlg::OnInitDialog();
    hook_.StartHook(hwnd());
    return ok;
}

void CActionKeyModifyDlg::OnOK() {
    hook_.StopHook();
    EndDialog(IDOK);
}

void CActionKeyModifyDlg::OnCancel() {
    hook_.StopHook();
    EndDialog(IDCANCEL);
}

LRESULT CActionKeyModifyDlg::handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kMsgHookEvent: {
        const auto word = std::uint32_t(lParam);
        const auto code = std::uint8_t(wParam & 0xFF);
        // The key that went down last. Codes 0 … 7 would turn the action into a delay and the
        // mouse codes into a mouse event, so neither is taken.
        if (wParam > 0xFF || (word & kHookReleaseBit) != 0 || code <= 7 || code >= model::kMouseLeft)
            return 0;
        code_ = code;
        if (CControlBase* text = FindControl(kIdKeyName))
            text->SetText(model::VirtualKeyName(code_));
        return 0;
    }
    case WM_KEYDOWN:
        return 1; // Enter and Escape are keys to capture
    case WM_DESTROY:
        hook_.StopHook();
        break;
    default:
        break;
    }
    return CMacroSmallDlg::handleMessage(message, wParam, lParam);
}

// ---- time ----

CActionTimeModifyDlg::CActionTimeModifyDlg(std::uint32_t delayMs, WindowHandle parent)
    : CMacroSmallDlg(kTemplate, parent, kTextDelayTitle), delayMs_(std::min(delayMs, macro::kMaxDelayMs)) {}

void CActionTimeModifyDlg::CreateBody() {
    AddPrompt(kTextDelayPrompt, ScaledRect(16, 37, 150, 61), Qt::AlignRight);
    AddValueEdit(kIdValueEdit, ScaledRect(158, 37, 279, 61), model::DecimalText(long(delayMs_)));
}

void CActionTimeModifyDlg::OnOK() {
    auto value = macro::ParseTypedNumber(GetEditText(kIdValueEdit), macro::kMaxDelayMs);
    if (!value) {
        Attention(kTextNotANumber);
        return;
    }
    delayMs_ = *value;
    EndDialog(IDOK);
}

// ---- move ----

CActionXYModifyDlg::CActionXYModifyDlg(macro::InsertCommand direction, int amount, WindowHandle parent)
    : CMacroSmallDlg(kTemplate, parent, moveTitle(direction)), direction_(direction),
      amount_(std::clamp(amount, macro::kMinMove, macro::kMaxMove)) {}

void CActionXYModifyDlg::CreateBody() {
    AddPrompt(kTextMovePrompt, ScaledRect(16, 37, 150, 61), Qt::AlignRight);
    AddValueEdit(kIdValueEdit, ScaledRect(158, 37, 279, 61), model::DecimalText(long(amount_)));
}

void CActionXYModifyDlg::OnOK() {
    auto value = macro::ParseTypedNumber(GetEditText(kIdValueEdit), std::uint32_t(macro::kMaxMove));
    if (!value) {
        Attention(kTextNotANumber);
        return;
    }
    amount_ = std::clamp(int(*value), macro::kMinMove, macro::kMaxMove);
    EndDialog(IDOK);
}

} // namespace quorvik::ui
