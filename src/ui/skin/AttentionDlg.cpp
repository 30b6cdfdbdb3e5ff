#include "ui/skin/AttentionDlg.h"

#include "model/LanguageTable.h"
#include "platform/Messages.h"
#include "ui/skin/Displays.h"

namespace quorvik::ui {

using namespace platform;

CAttentionDlg::CAttentionDlg(std::u16string message, WindowHandle parent)
    : CDlgBase(kTemplate, parent), message_(std::move(message)) {
    width_ = Scaled(kWidthUnits);
    height_ = Scaled(kHeightUnits);
}

bool CAttentionDlg::OnInitDialog() {
    SetFrameBitmap(SkinFile("Frame_warning.bmp"));
    return CDlgBase::OnInitDialog();
}

void CAttentionDlg::CreateControls(const Rect&) {
    auto close = std::make_unique<CImageButton>(hwnd(), kCloseId, ScaledRect(291, 6, 313, 28), u"");
    close->SetImages(SkinFile("exit_nr.png"), SkinFile("exit_ov.png"));
    AddControl(1, std::move(close));

    auto ok = std::make_unique<CImageButton>(hwnd(), kOkId, ScaledRect(119.5, 70, 199.5, 94), model::LanguageText(4));
    ok->SetImages(SkinFile("button2_nr.png"), SkinFile("button2_ov.png"));
    AddControl(1, std::move(ok));

    auto text = std::make_unique<CStaticText>(hwnd(), kMessageId, ScaledRect(24, 22, 295, 66), message_,
                                              Rgb(kTextNormal), Qt::AlignHCenter);
    text->SetWordWrap(true);
    AddControl(2, std::move(text));
}

LRESULT CAttentionDlg::handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) {
    if (message == unsigned(kOkId) && lParam == 2) {
        EndDialog(IDOK);
        return 0;
    }
    if (message == unsigned(kCloseId) && lParam == 2) {
        EndDialog(IDCANCEL);
        return 0;
    }
    return CDlgBase::handleMessage(message, wParam, lParam);
}

} // namespace quorvik::ui
