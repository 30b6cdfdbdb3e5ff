// The write-progress dialog: after a download wrote something, a bar fills in about half a
// second and the dialog closes itself. The bar does not follow the writes (they are all done
// before it opens); it tells the user that the mouse took the change.
#pragma once

#include "ui/skin/DlgBase.h"
#include "ui/skin/SkinSupport.h"

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
    // Timers of this dialog: one step of the animation, then the pause before it closes.
    static constexpr unsigned kTimerStep = 1;
    static constexpr unsigned kTimerClose = 2;
    static constexpr std::uint32_t kStepMs = 10;
    static constexpr std::uint32_t kCloseMs = 20;
    static constexpr int kStepPercent = 2;

    // The dialog with language text `textIndex`, or with `text` itself.
    CProgressBarDlg(int textIndex, WindowHandle parent);
    CProgressBarDlg(std::u16string text, WindowHandle parent);

    // Shows the dialog modally until it closed itself; returns the dialog result (IDOK, or
    // IDCANCEL when the program quit meanwhile).
    static int Run(int textIndex, WindowHandle parent);

    // Progress in percent, 0 … 100.
    int Progress() const { return progress_; }
    // Width of the uncovered bar in units for progress `percent`.
    static int BarWidthUnits(int percent) { return percent * kWidthUnits / 100; }

    LRESULT handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) override;

protected:
    bool OnInitDialog() override;
    void CreateControls(const Rect& client) override;
    void DrawBackground(QPainter& p, const Rect& client) override;
    bool ListsInOpenWindows() const override { return false; }

private:
    void OnStep();
    // The bar in client pixels for the current progress.
    QRect BarRect() const;

    std::u16string text_;
    SkinImage full_;
    int progress_ = 0;
};

} // namespace quorvik::ui
