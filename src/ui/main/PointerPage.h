// The pointer page: the desktop pointer preferences that a profile keeps (pointer speed,
// acceleration, double-click speed, wheel lines or pages). They are stored in the profile and its
// file only: nothing here is sent to the mouse or applied to the desktop. The mouse-settings
// button opens the desktop's own settings (the window handles it).
#pragma once

#include "ui/main/Page.h"

#include <array>

namespace quorvik::ui {

class CCheckButton;
class CRadioButton;
class CSliderControl;
class CStaticText;

class CPointerPage : public CColumnPage {
public:
    static constexpr int kContentHeight = 200;

    explicit CPointerPage(PageHost& host);

    void CreateControls() override;
    void Refresh(const model::ProfileRecord& record) override;
    // What the controls hold, for the ones the user moved since the refresh and the ones that show
    // the stored value exactly; the tilt wheel's pair only once the lines slider was moved.
    void Collect(model::ProfileRecord& record) override;
    bool HandleMessage(unsigned message, WPARAM wParam, LPARAM lParam) override;

private:
    // One slider with its label, its value and the slow and fast ends.
    struct SliderRow {
        CSliderControl* slider = nullptr;
        CStaticText* value = nullptr;
        std::array<CStaticText*, 3> texts{}; // label, slow, fast
        ShownValue shown;
    };
    enum Row { kRowPointerSpeed, kRowWheelLines, kRowDoubleClick, kRowCount };

    void createRow(Row row, int top, int indent);
    void showValue(Row row, int position);
    // Lines are chosen with the slider only while the wheel scrolls lines.
    void showWheelMode();
    SliderRow* rowOf(unsigned sliderId);

    std::array<SliderRow, kRowCount> rows_{};
    CCheckButton* acceleration_ = nullptr;
    CRadioButton* wheelLines_ = nullptr;
    CRadioButton* wheelPage_ = nullptr;
    ShownValue shownAcceleration_;
    ShownValue shownWheelPage_;
};

} // namespace quorvik::ui
