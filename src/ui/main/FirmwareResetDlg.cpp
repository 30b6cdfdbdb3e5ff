#include "ui/main/FirmwareResetDlg.h"

#include "model/LanguageTable.h"
#include "platform/Messages.h"
#include "ui/skin/Buttons.h"
#include "ui/skin/Displays.h"

namespace quorvik::ui {

using namespace platform;

namespace {
constexpr std::uint32_t kCaptionColour = 0xBEBEBE;
// "Frame_common.bmp" has a title bar 30 units high.
constexpr double kTitleBarUnits = 30;
} // namespace

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
    auto close = std::make_unique<CImageButton>(hwnd(), kCloseId, ScaledRect(401, 4, 423, 26), u"");
    close->SetImages(SkinFile("exit_nr.png"), SkinFile("exit_ov.png"));
    AddControl(1, std::move(close));

    auto ok =
        std::make_unique<CImageButton>(hwnd(), kOkId, ScaledRect(119.5, 104, 199.5, 128), model::LanguageText(kOkText));
    ok->SetImages(SkinFile("button2_nr.png"), SkinFile("button2_ov.png"));
    AddControl(1, std::move(ok));

    auto cancel = std::make_unique<CImageButton>(hwnd(), kCancelId, ScaledRect(229.5, 104, 309.5, 128),
                                                 model::LanguageText(kCancelText));
    cancel->SetImages(SkinFile("button2_nr.png"), SkinFile("button2_ov.png"));
    AddControl(1, std::move(cancel));

    auto text = std::make_unique<CStaticText>(hwnd(), kMessageId, ScaledRect(30, 38, 399, 98),
                                              model::LanguageText(kMessageText), Rgb(kTextNormal), Qt::AlignHCenter);
    text->SetWordWrap(true);
    AddControl(2, std::move(text));
}

void CFirmwareResetDlg::DrawBackground(QPainter& p, const Rect& client) {
    p.fillRect(client.toQRect(), BackgroundColour());
    DrawFrame(p);
    // The title bar names the action the question is about.
    const QRect caption(Scaled(12), 0, Scaled(380), Scaled(kTitleBarUnits));
    DrawSingleLine(p, caption, QString::fromStdU16String(model::LanguageText(kCaptionText)), Rgb(kCaptionColour),
                   DialogFont(), Qt::AlignLeft);
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
