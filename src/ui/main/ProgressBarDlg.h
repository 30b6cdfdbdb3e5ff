// The write-progress window: while a download writes to the mouse, a bar shows how many of its
// reports went out, and the window goes a moment after the last one. Like the on-screen display
// it is shown without activation and lets the pointer through, so the user goes on working in the
// window under it while the mouse takes the change.
#pragma once

#include "ui/skin/DlgBase.h"
#include "ui/skin/SkinSupport.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace quorvik::ui {

class CProgressBarDlg : public CDlgBase {
public:
    static constexpr int kTemplate = 152;
    static constexpr int kLabelId = 2012;
    static constexpr int kWidthUnits = 429;
    static constexpr int kHeightUnits = 140;
    // The bar is the row of the "_ov" frame at y 66 … 77, uncovered from the left.
    static constexpr int kBarTopUnits = 66;
    static constexpr int kBarHeightUnits = 12;
    // The text sits centred over the bar.
    static constexpr int kLabelTopUnits = 22;
    static constexpr int kLabelBottomUnits = 58;
    // How long a full bar stays before the window goes.
    static constexpr unsigned kTimerClose = 2;
    static constexpr std::uint32_t kCloseMs = 150;

    // The window with language text `textIndex`, or with `text` itself.
    CProgressBarDlg(int textIndex, WindowHandle parent);
    CProgressBarDlg(std::u16string text, WindowHandle parent);

    // Shows the window (when it is not up) with `written` of `total` reports done. A full bar
    // closes the window kCloseMs later, unless more progress comes first.
    void ShowProgress(std::size_t written, std::size_t total);
    // The writes ended, complete or not: the window goes kCloseMs after now.
    void Finish();

    // Progress in percent, 0 … 100.
    int Progress() const { return progress_; }
    bool IsShown() const;
    // Width of the uncovered bar in units for progress `percent`.
    static int BarWidthUnits(int percent) { return percent * kWidthUnits / 100; }

    LRESULT handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) override;

protected:
    bool OnInitDialog() override;
    void CreateControls(const Rect& client) override;
    void DrawBackground(QPainter& p, const Rect& client) override;
    bool ListsInOpenWindows() const override { return false; }
    platform::WindowKind Kind() const override { return platform::WindowKind::Overlay; }

private:
    // The bar in client pixels for the current progress.
    QRect BarRect() const;
    void setProgress(int percent);

    WindowHandle owner_;
    std::u16string text_;
    SkinImage full_;
    int progress_ = 0;
};

} // namespace quorvik::ui
