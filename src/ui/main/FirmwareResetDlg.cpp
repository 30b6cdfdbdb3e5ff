#include "ui/main/FirmwareResetDlg.h"

#include "model/LanguageTable.h"
#include "platform/Messages.h"
#include "ui/skin/DialogParts.h"
#include "ui/skin/Displays.h"

namespace quorvik::ui {

using namespace platform;

CFirmwareResetDlg::CFirmwareResetDlg(WindowHandle parent) : CDlgBase(kTemplate, parent) {
    width_ = Scaled(kWidthUnits);
    height_ = Scaled(kHeightUnits);
}

bool CFirmwareResetDlg::Confirm(WindowHandle parent) {
    CFirmwareResetDlg dialog(parent);
    return dialog.DoModal() == IDOK;
}

bool CFirmwareResetDlg::OnInitDialog() {
    SetFrameBitmap(SkinFile("Frame_common.bmp"));
    return CDlgBase::OnInitDialog();
}

void CFirmwareResetDlg::CreateControls(const Rect&) {
    AddControl(1, MakeCommonFrameClose(hwnd(), kCloseId));
    AddOkCancel(*this, kOkId, ScaledRect(119.5, 104, 199.5, 128), kCancelId, ScaledRect(229.5, 104, 309.5, 128));

    auto text = std::make_unique<CStaticText>(hwnd(), kMessageId, ScaledRect(30, 38, 399, 98),
                                              model::LanguageText(kMessageText), Rgb(kTextNormal), Qt::AlignHCenter);
    text->SetWordWrap(true);
    AddControl(2, std::move(text));
}

void CFirmwareResetDlg::DrawBackground(QPainter& p, const Rect& client) {
    FillBehindFrame(p, client);
    DrawFrame(p);
    // The title bar names the action the question is about.
    DrawCommonFrameCaption(p, *this, model::LanguageText(kCaptionText));
    DrawControls(p, client);
}

LRESULT CFirmwareResetDlg::handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN && wParam == VK_ESCAPE)
        return 1; // swallowed: the dialog stays open
    if (lParam == kCodeClick) {
        if (message == unsigned(kOkId)) {
            EndDialog(IDOK);
            return 0;
        }
        if (message == unsigned(kCancelId) || message == unsigned(kCloseId)) {
            EndDialog(IDCANCEL);
            return 0;
        }
    }
    return CDlgBase::handleMessage(message, wParam, lParam);
}

} // namespace quorvik::ui
