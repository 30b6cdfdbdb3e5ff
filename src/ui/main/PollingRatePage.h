// The polling-rate page: four rate buttons, and the rate selector with its drop-down list. A rate
// button and a choice in the list are both sent to the mouse at once; each stores its own spelling
// of the rate's name, and the page shows one.
#pragma once

#include "ui/main/Page.h"
#include "ui/rules/ClosingClick.h"

#include <array>
#include <cstdint>

namespace quorvik::ui {

class CComboButton;
class CRadioButton;
class CStaticText;

class CPollingRatePage : public CColumnPage {
public:
    static constexpr int kContentHeight = 96;

    explicit CPollingRatePage(PageHost& host);

    void CreateControls() override;
    void Refresh(const model::ProfileRecord& record) override;
    bool HandleMessage(unsigned message, WPARAM wParam, LPARAM lParam) override;

    // "125HZ" … "1000HZ": the name a rate button stores for rate code 0 … 3.
    static std::u16string RadioRateName(int code);

private:
    void onRadio(int code);
    void onSelector(LPARAM code);
    void onChoice(LPARAM choice);
    void onListClosed();
    void openList();
    void closeList();
    bool listOpen() const;

    CComboButton* selector_ = nullptr;
    std::array<CRadioButton*, 4> radios_{};
    std::array<CStaticText*, 4> texts_{};
    WindowHandle list_ = 0; // the drop-down list while it is open
    // When the list lost activation because the selector itself was pressed, that press's click
    // must not open the list again: the click on an open selector closes it.
    rules::ClosingClick closingClick_;
};

} // namespace quorvik::ui
