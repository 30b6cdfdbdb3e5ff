// The program's message and confirmation box: a message, OK and a close button. OK answers
// IDOK, the close button (and Escape, and closing the window) IDCANCEL. A message longer than the
// box's lines makes the dialog taller, so that nothing of it is cut off.
#pragma once

#include "ui/skin/DlgBase.h"

namespace quorvik::ui {

class CAttentionDlg : public CDlgBase {
public:
    static constexpr int kTemplate = 152;
    static constexpr int kCloseId = 2004;
    static constexpr int kOkId = 2010;
    static constexpr int kMessageId = 2013;
    // Size of the small dialogs in units.
    static constexpr int kWidthUnits = 319;
    static constexpr int kHeightUnits = 102;

    CAttentionDlg(std::u16string message, WindowHandle parent);
    // Pixels the dialog grows by for `message`: 0 for a message that fits the box.
    static int ExtraHeight(const std::u16string& message);
    const std::u16string& Message() const { return message_; }

    LRESULT handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) override;

protected:
    bool OnInitDialog() override;
    void CreateControls(const Rect& client) override;
    void DrawBackground(QPainter& p, const Rect& client) override;

private:
    std::u16string message_;
};

} // namespace quorvik::ui
