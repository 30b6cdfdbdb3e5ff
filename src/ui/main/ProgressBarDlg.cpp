#include "ui/main/ProgressBarDlg.h"

#include "model/LanguageTable.h"
#include "platform/Messages.h"
#include "platform/qt/NativeWindow.h"
#include "platform/qt/UiLoop.h"
#include "ui/skin/Displays.h"

#include <algorithm>

namespace quorvik::ui {

using namespace platform;

namespace {
constexpr std::uint32_t kLabelColour = 0xBEBEBE;
// The track of the frame pictures starts this far in from each side.
constexpr int kBarInsetUnits = 16;
constexpr int kBarWidthUnits = CProgressBarDlg::kWidthUnits - 2 * kBarInsetUnits;
} // namespace

CProgressBarDlg::CProgressBarDlg(int textIndex, WindowHandle parent)
    : CProgressBarDlg(model::LanguageText(textIndex), parent) {}

CProgressBarDlg::CProgressBarDlg(std::u16string text, WindowHandle parent)
    : CDlgBase(kTemplate, parent), owner_(parent), text_(std::move(text)) {
    width_ = Scaled(kWidthUnits);
    height_ = Scaled(kHeightUnits);
}

bool CProgressBarDlg::OnInitDialog() {
    SetFrameBitmap(SkinFile("Frame_progress_nr.bmp"));
    full_.load(SkinFile("Frame_progress_ov.bmp"));
    return CDlgBase::OnInitDialog();
}

void CProgressBarDlg::CreateControls(const Rect&) {
    AddControl(1, std::make_unique<CStaticText>(hwnd(), kLabelId,
                                                ScaledRect(0, kLabelTopUnits, kWidthUnits, kLabelBottomUnits), text_,
                                                Rgb(kLabelColour), Qt::AlignHCenter));
}

bool CProgressBarDlg::IsShown() const {
    return window() && window()->isVisible();
}

void CProgressBarDlg::ShowProgress(std::size_t written, std::size_t total) {
    if (!window())
        Create();
    const int percent = total == 0 ? 100 : int(std::min(written, total) * 100 / total);
    setProgress(percent);
    if (!window()->isVisible()) {
        // Over the middle of the window it belongs to, wherever that is now.
        if (auto* owner = WindowFromHandle(owner_))
            window()->move(owner->geometry().center() - QPoint(width_ / 2, height_ / 2));
        window()->showCommand(SW_SHOWNOACTIVATE);
    }
    if (percent >= 100)
        UiLoop().setTimer(hwnd(), kTimerClose, kCloseMs);
    else
        UiLoop().killTimer(hwnd(), kTimerClose);
}

void CProgressBarDlg::Finish() {
    if (IsShown() && !UiLoop().hasTimer(hwnd(), kTimerClose))
        UiLoop().setTimer(hwnd(), kTimerClose, kCloseMs);
}

void CProgressBarDlg::setProgress(int percent) {
    if (percent == progress_)
        return;
    const QRect before = BarRect();
    progress_ = percent;
    if (window())
        window()->invalidate(before.united(BarRect()));
}

QRect CProgressBarDlg::BarRect() const {
    const int width = progress_ * kBarWidthUnits / 100;
    return QRect(Scaled(kBarInsetUnits), Scaled(kBarTopUnits), Scaled(width), Scaled(kBarHeightUnits));
}

void CProgressBarDlg::DrawBackground(QPainter& p, const Rect& client) {
    FillBehindFrame(p, client);
    DrawFrame(p);
    const int barWidth = progress_ * kBarWidthUnits / 100;
    if (barWidth > 0)
        full_.draw(p, BarRect(), QRectF(kBarInsetUnits, kBarTopUnits, barWidth, kBarHeightUnits));
    DrawControls(p, client);
}

LRESULT CProgressBarDlg::handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == kTimerClose) {
        UiLoop().killTimer(hwnd(), kTimerClose);
        // Hidden, not destroyed: the next download shows the same window again.
        if (window())
            window()->showCommand(SW_HIDE);
        setProgress(0);
        return 0;
    }
    return CDlgBase::handleMessage(message, wParam, lParam);
}

} // namespace quorvik::ui
