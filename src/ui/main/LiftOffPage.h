// The lift-off page: two choices of the distance at which the sensor stops tracking. Only sensors
// whose class flag is 1 have it; the column hides the page for the others.
#pragma once

#include "ui/main/Page.h"

#include <array>

namespace quorvik::ui {

class CRadioButton;
class CStaticText;

class CLiftOffPage : public CColumnPage {
public:
    static constexpr int kContentHeight = 64;

    explicit CLiftOffPage(PageHost& host);

    void CreateControls() override;
    void Refresh(const model::ProfileRecord& record) override;
    void Collect(model::ProfileRecord& record) override;
    bool HandleMessage(unsigned message, WPARAM wParam, LPARAM lParam) override;

private:
    void showChoice();

    std::array<CRadioButton*, 2> radios_{};
    std::array<CStaticText*, 2> texts_{};
    ShownValue shown_; // 1 for the low choice
};

} // namespace quorvik::ui
