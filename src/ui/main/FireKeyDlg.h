// The fire-key dialog: an interval and a number of shots, typed as digits. OK with an interval
// above 4 sends the code 30 <interval> <shots> with the fire key's name to the parent as 0x427
// (lParam → rules::ButtonChoice) and closes; a smaller interval is refused and the dialog stays.
// Values above 255 are cut to 255, every 100 ms while it is open and before OK reads them.
//
//   CFireKeyDlg dialog(mainWindow);
//   dialog.DoModal(); // 0x427 has reached the parent when the user chose a fire key
#pragma once

#include "ui/skin/DlgBase.h"

#include <cstdint>
#include <memory>

namespace quorvik::ui {

class CFireKeyDlg : public CDlgBase {
public:
    static constexpr int kTemplate = 134;
    static constexpr int kWidthUnits = 429;
    static constexpr int kHeightUnits = 140;
    static constexpr int kIntervalEdit = 2030;
    static constexpr int kShotsEdit = 2031;
    static constexpr int kCloseId = 2004;
    static constexpr int kOkId = 2010;
    static constexpr int kCancelId = 2011;
    static constexpr unsigned kTimerCheck = 1;
    static constexpr std::uint32_t kCheckPeriodMs = 100;

    explicit CFireKeyDlg(WindowHandle parent);
    ~CFireKeyDlg() override;

    LRESULT handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) override;

protected:
    bool OnInitDialog() override;
    void CreateControls(const Rect& client) override;
    void DrawBackground(QPainter& p, const Rect& client) override;
    void OnOK() override;

private:
    class CharacterFilter;
    // The timer's check: a field above 255 becomes "255" with its message. True when it cut one.
    bool cutValues();
    // A typed or pasted character that is not a digit: the user hears it once the key is handled.
    void refuse();
    void attention(int text);

    WindowHandle parent_;
    std::unique_ptr<CharacterFilter> filter_;
    bool checking_ = false; // a message of the check is open: the timer waits for it
    bool refusalPending_ = false;
};

} // namespace quorvik::ui
