// The seven button selectors on the buttons panel (and the two hidden ones), each showing the
// name of its button's function and opening the button-function menu.
#pragma once

#include "ui/main/Page.h"

#include <array>

namespace quorvik::ui {

class CComboButton;

class CButtonSelectors : public CPage {
public:
    explicit CButtonSelectors(PageHost& host) : CPage(host) {}

    void CreateControls() override;
    void Refresh(const model::ProfileRecord& record) override;
    bool HandleMessage(unsigned message, WPARAM wParam, LPARAM lParam) override;

    CComboButton* Selector(int index) const { return selectors_[std::size_t(index)]; }

private:
    std::array<CComboButton*, 9> selectors_{};
};

} // namespace quorvik::ui
