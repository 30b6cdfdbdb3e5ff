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
    CPowerManageButton* dial_ = nullptr;
    CCheckButton* moveLighting_ = nullptr;
    CCheckButton* motionWake_ = nullptr;
};

} // namespace quorvik::ui
