#include "ui/main/ProgressBarDlg.h"

#include "model/LanguageTable.h"
#include "platform/Messages.h"
#include "platform/qt/UiLoop.h"
#include "ui/skin/Displays.h"

#include <algorithm>

namespace quorvik::ui {

using namespace platform;

namespace {
constexpr std::uint32_t kLabelColour = 0xBEBEBE;
} // namespace

CProgressBarDlg::CProgressBarDlg(int textIndex, WindowHandle parent)
    : CProgressBarDlg(model::LanguageText(textIndex), parent) {}

CProgressBarDlg::CProgressBarDlg(std::u16string text, WindowHandle parent)
    : CDlgBase(kTemplate, parent), text_(std::move(text)) {
    width_ = Scaled(kWidthUnits);
    height_ = Scaled(kHeightUnits);
}

int CProgressBarDlg::Run(int textIndex, WindowHandle parent) {
    CProgressBarDlg dialog(textIndex, parent);
    return dialog.DoModal();
}

bool CProgressBarDlg::OnInitDialog() {
    SetFrameBitmap(SkinFile("Frame_progress_nr.bmp"));
    full_.load(SkinFile("Frame_progress_ov.bmp"));
    progress_ = 0;
    bool ok = CDlgBase::OnInitDialog();
    // Each step is a timer tick on the window's own loop, so the bar moves on the same clock
    // as everything else and nothing runs beside the UI thread.
    UiLoop().setTimer(hwnd(), kTimerStep, kStepMs);
    return ok;
}

void CProgressBarDlg::CreateControls(const Rect&) {
    AddControl(1, std::make_unique<CStaticText>(hwnd(), kLabelId, ScaledRect(10, 3, 164, 23), text_, Rgb(kLabelColour),
                                                Qt::AlignLeft));
}

QRect CProgressBarDlg::BarRect() const {
    return QRect(0, Scaled(kBarTopUnits), Scaled(BarWidthUnits(progress_)), Scaled(kBarHeightUnits));
}

void CProgressBarDlg::DrawBackground(QPainter& p, const Rect& client) {
    p.fillRect(client.toQRect(), BackgroundColour());
    DrawFrame(p);
    const int barWidth = BarWidthUnits(progress_);
    if (barWidth > 0)
        full_.draw(p, BarRect(), QRectF(0, kBarTopUnits, barWidth, kBarHeightUnits));
    DrawControls(p, client);
}

void CProgressBarDlg::OnStep() {
    progress_ = std::min(100, progress_ + kStepPercent);
    if (window())
        window()->invalidate(BarRect());
    if (progress_ >= 100) {
        UiLoop().killTimer(hwnd(), kTimerStep);
        UiLoop().setTimer(hwnd(), kTimerClose, kCloseMs);
    }
}

LRESULT CProgressBarDlg::handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == kTimerStep) {
        OnStep();
        return 0;
    }
    if (message == WM_TIMER && wParam == kTimerClose) {
        UiLoop().killTimer(hwnd(), kTimerClose);
        EndDialog(IDOK);
        return 0;
    }
    return CDlgBase::handleMessage(message, wParam, lParam);
}

} // namespace quorvik::ui
