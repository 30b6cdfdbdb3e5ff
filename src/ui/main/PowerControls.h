// The power-saving dial and the two switches beside it, always shown on the power panel.
#pragma once

#include "ui/main/Page.h"

namespace quorvik::ui {

class CPowerManageButton;
class CCheckButton;

class CPowerControls : public CPage {
public:
    explicit CPowerControls(PageHost& host) : CPage(host) {}

    void CreateControls() override;
    void Refresh(const model::ProfileRecord& record) override;
    void Collect(model::ProfileRecord& record) override;
    bool HandleMessage(unsigned message, WPARAM wParam, LPARAM lParam) override;

private:
    // A switch's pair as "1" or "0", unless it holds another number and the switch was not moved.
    static void collectFlag(model::ProfileRecord& record, int pair, const CCheckButton& check, ShownValue& shown);

    CPowerManageButton* dial_ = nullptr;
    CCheckButton* moveLighting_ = nullptr;
    CCheckButton* motionWake_ = nullptr;
    ShownValue shownMinutes_;
    ShownValue shownMoveLighting_;
    ShownValue shownMotionWake_;
};

} // namespace quorvik::ui
