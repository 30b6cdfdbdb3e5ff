#include "ui/macro/MacroSmallDlg.h"

#include "model/LanguageTable.h"
#include "platform/Messages.h"
#include "ui/macro/MacroIds.h"
#include "ui/skin/AttentionDlg.h"
#include "ui/skin/DialogParts.h"

namespace quorvik::ui {

using namespace platform;

CHeadingText::CHeadingText(WindowHandle parent, int id, const Rect& rect, std::u16string text, const QColor& colour,
                           int cellHeight, Qt::Alignment align)
    : CStaticText(parent, id, rect, std::move(text), colour, align) {
    font_ = ControlFont(cellHeight);
    font_.setWeight(QFont::DemiBold);
}

CMacroSmallDlg::CMacroSmallDlg(int templateId, WindowHandle parent, int titleText)
    : CDlgBase(templateId, parent), titleText_(titleText) {
    width_ = Scaled(kWidthUnits);
    height_ = Scaled(kHeightUnits);
}

int CMacroSmallDlg::CancelControlId() const {
    return kIdDialogCancel;
}

bool CMacroSmallDlg::OnInitDialog() {
    SetFrameBitmap(SkinFile("Frame_warning.bmp"));
    return CDlgBase::OnInitDialog();
}

void CMacroSmallDlg::CreateControls(const Rect&) {
    AddControl(2, std::make_unique<CHeadingText>(hwnd(), kIdDialogTitle, ScaledRect(16, 7, 303, 27),
                                                 model::LanguageText(titleText_), Rgb(kAccent)));

    AddOkCancel(*this, kIdDialogOk, ScaledRect(72, 70, 152, 94), kIdDialogCancel, ScaledRect(167, 70, 247, 94));
    CreateBody();
}

void CMacroSmallDlg::DrawBackground(QPainter& p, const Rect& client) {
    p.fillRect(client.toQRect(), BackgroundColour());
    DrawFrame(p);
    // A hairline under the title, as the manager's panels have.
    p.fillRect(QRect(Scaled(16), Scaled(28), Width() - Scaled(32), std::max(1, Scaled(1))), Rgb(0x2A2E35));
    DrawControls(p, client);
}

void CMacroSmallDlg::AddPrompt(int text, const Rect& rect, Qt::Alignment align) {
    AddControl(2, std::make_unique<CStaticText>(hwnd(), kIdDialogPrompt, rect, model::LanguageText(text),
                                                Rgb(kTextNormal), align));
}

QLineEdit* CMacroSmallDlg::AddValueEdit(int id, const Rect& rect, const std::u16string& text) {
    QLineEdit* edit = AddEdit(id, rect, text);
    if (edit) {
        edit->setFocus();
        edit->selectAll();
    }
    return edit;
}

void CMacroSmallDlg::Attention(int text) {
    CAttentionDlg dialog(model::LanguageText(text), hwnd());
    dialog.DoModal();
}

LRESULT CMacroSmallDlg::handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) {
    if (message == unsigned(kIdDialogOk) && lParam == kCodeClick) {
        OnOK();
        return 0;
    }
    if (message == unsigned(kIdDialogCancel) && lParam == kCodeClick) {
        OnCancel();
        return 0;
    }
    return CDlgBase::handleMessage(message, wParam, lParam);
}

} // namespace quorvik::ui
