// The macro select dialog: the library tree (the same current location as the manager) with OK
// and a close button. OK on a macro sends 0x42A to the parent window (wParam passed on from the
// OK button, lParam 0) and closes; the parent then takes the macro at macro::CurrentMacroLocation().
//
//   CMacroSelectDlg dialog(mainWindow);
//   if (dialog.DoModal() == IDOK) { /* 0x42A has already reached the parent */ }
#pragma once

#include "ui/skin/DlgBase.h"

namespace quorvik::ui {

class CMacroSelectDlg : public CDlgBase {
public:
    static constexpr int kTemplate = 176;
    static constexpr int kWidthUnits = 260;
    static constexpr int kHeightUnits = 342;

    explicit CMacroSelectDlg(WindowHandle parent);

    LRESULT handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) override;

protected:
    bool OnInitDialog() override;
    void CreateControls(const Rect& client) override;
    void DrawBackground(QPainter& p, const Rect& client) override;
    // Enter chooses as the OK button does.
    void OnOK() override;

private:
    void refreshTree();
    void choose(WPARAM wParam);

    WindowHandle parent_;
};

} // namespace quorvik::ui
