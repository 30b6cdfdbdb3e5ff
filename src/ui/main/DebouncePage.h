// The debounce page: how long a button must stay still before the mouse reports it, 0 … 30 ms in
// steps of 2 ms.
#pragma once

#include "ui/main/Page.h"

namespace quorvik::ui {

class CSliderControl;
class CStaticText;

class CDebouncePage : public CColumnPage {
public:
    static constexpr int kContentHeight = 64;
    static constexpr int kPositions = 16;
    static constexpr int kMsPerPosition = 2;

    explicit CDebouncePage(PageHost& host);

    void CreateControls() override;
    void Refresh(const model::ProfileRecord& record) override;
    // The slider's time, once it was moved or when the stored time is one of its positions.
    void Collect(model::ProfileRecord& record) override;
    bool HandleMessage(unsigned message, WPARAM wParam, LPARAM lParam) override;

    // The slider position a stored time shows at: half of it, rounded down (an odd time from a
    // file shows at the even time below it), 30 ms and above at the last position.
    static int PositionOfMs(long ms);

private:
    void showPosition(int position);

    CSliderControl* slider_ = nullptr;
    CStaticText* value_ = nullptr;
    ShownValue shown_;
};

} // namespace quorvik::ui
