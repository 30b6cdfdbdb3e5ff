// The factory-reset confirmation: a message, OK, Cancel and a close button. OK and Enter
// confirm (IDOK); Cancel, the close button and closing the window cancel (IDCANCEL). Escape is
// ignored, so a reset is never answered by a key pressed by habit.
#pragma once

#include "ui/skin/DlgBase.h"

namespace quorvik::ui {

class CFirmwareResetDlg : public CDlgBase {
public:
    static constexpr int kTemplate = 152;
    static constexpr int kCloseId = 0x7D4;
    static constexpr int kOkId = 0x7DA;
    static constexpr int kCancelId = 0x7DB;
    static constexpr int kMessageId = 2013;
    static constexpr int kWidthUnits = 429;
    static constexpr int kHeightUnits = 140;
    // Language texts: the question and the caption of the title bar.
    static constexpr int kMessageText = 140;
    static constexpr int kCaptionText = 7;

    explicit CFirmwareResetDlg(WindowHandle parent);

    // Asks modally; true when the user confirmed.
    static bool Confirm(WindowHandle parent);

    LRESULT handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) override;

protected:
    bool OnInitDialog() override;
    // The question stays until it is answered: Escape does not close it.
    int CancelControlId() const override { return 0; }
    void CreateControls(const Rect& client) override;
    void DrawBackground(QPainter& p, const Rect& client) override;
};

} // namespace quorvik::ui
