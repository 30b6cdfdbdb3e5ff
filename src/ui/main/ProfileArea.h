// The profiles panel: the profile selector, one tab per profile slot, the current profile's name
// and the buttons that add, rename, import, export and re-send profiles.
#pragma once

#include "ui/main/Page.h"

#include <array>

namespace quorvik::ui {

class CComboButton;
class CTabControl;
class CStaticText;
class CImageButton;

class CProfileArea : public CPage {
public:
    explicit CProfileArea(PageHost& host) : CPage(host) {}

    // The selector, the tabs, the name and the profile buttons.
    void CreateControls() override;
    void Refresh(const model::ProfileRecord& record) override;
    bool HandleMessage(unsigned message, WPARAM wParam, LPARAM lParam) override;

    CTabControl* Tab(int slot) const { return tabs_[std::size_t(slot)]; }

private:
    CComboButton* selector_ = nullptr;
    std::array<CTabControl*, 5> tabs_{};
    CStaticText* name_ = nullptr;
};

} // namespace quorvik::ui
