// The DPI value dialog of a DPI level: a slider with one position per sensor step, the DPI of
// the position, and a field to type a DPI. Enter turns the typed number into the first step
// that reaches it (the last step when none does); OK does the same, keeps the step and closes
// with IDOK. Cancel, the close button and Escape close with IDCANCEL and keep nothing.
#pragma once

#include "ui/skin/DlgBase.h"

#include <cstdint>
#include <span>
#include <vector>

namespace quorvik::ui {

class CSliderControl;

class CDPIValueSettingDlg : public CDlgBase {
public:
    static constexpr int kTemplate = 153;
    static constexpr int kCloseId = 0x7D4;
    static constexpr int kOkId = 0x7DA;
    static constexpr int kCancelId = 0x7DB;
    static constexpr int kDpiTextId = 2013;
    static constexpr int kSliderId = 2021;
    static constexpr int kEditId = 2022;
    static constexpr int kWidthUnits = 429;
    static constexpr int kHeightUnits = 140;
    // Language texts: the caption and the message for input that is not a number.
    static constexpr int kCaptionText = 273;
    static constexpr int kNotANumberText = 370;

    // `step` is the value box's step; `stepValues` the sensor's step value table, of which the
    // first `stepCount` entries are used (DPI = step value × 50).
    CDPIValueSettingDlg(int step, int stepCount, std::span<const std::uint16_t> stepValues, WindowHandle parent);

    // The step shown now; after IDOK the step chosen.
    int Step() const { return step_; }
    int StepCount() const { return int(values_.size()); }

    LRESULT handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) override;

protected:
    bool OnInitDialog() override;
    void CreateControls(const Rect& client) override;
    void DrawBackground(QPainter& p, const Rect& client) override;

private:
    // Slider, text and edit show `step`.
    void show(int step);
    // The typed number as a step, shown; false (with a message, nothing changed) when the text
    // is not a number.
    bool takeTyped();
    int dpiOf(int step) const;

    std::vector<std::uint16_t> values_;
    int step_ = 0;
    CSliderControl* slider_ = nullptr;
};

} // namespace quorvik::ui
