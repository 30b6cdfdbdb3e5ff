// The shortcut dialog: modifier checks and a key captured from the keyboard. OK sends the code
// 70 <modifiers> <key's HID usage> with its name ("Ctrl+Alt+Del") to the parent as 0x40C
// (lParam → rules::ButtonChoice) and closes; with neither key nor modifier it closes without one.
// It captures keys with its own hook from opening to closing, so Enter and Escape are keys here.
//
//   CShortcutDlg dialog(mainWindow);
//   dialog.DoModal(); // 0x40C has reached the parent when the user chose a shortcut
#pragma once

#include "platform/qt/KeyboardHook.h"
#include "ui/rules/ButtonAssignment.h"
#include "ui/skin/DlgBase.h"

namespace quorvik::ui {

class CShortcutDlg : public CDlgBase {
public:
    static constexpr int kTemplate = 135;
    static constexpr int kWidthUnits = 429;
    static constexpr int kHeightUnits = 200;
    static constexpr int kCloseId = 2004;
    static constexpr int kNoModifierId = 2005;
    static constexpr int kCtrlId = 2006;
    static constexpr int kAltId = 2007;
    static constexpr int kShiftId = 2008;
    static constexpr int kWinId = 2009;
    static constexpr int kOkId = 2010;
    static constexpr int kCancelId = 2011;
    static constexpr int kKeyTextId = 2012;
    static constexpr int kPreviewId = 2014;

    explicit CShortcutDlg(WindowHandle parent);

    bool HookRunning() const { return hook_.IsRunning(); }
    // What the checks and the captured key say now.
    rules::ShortcutInput Input() const;

    LRESULT handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) override;

protected:
    bool OnInitDialog() override;
    void CreateControls(const Rect& client) override;
    void DrawBackground(QPainter& p, const Rect& client) override;
    void OnOK() override;
    void OnCancel() override;

private:
    bool checked(int id) const;
    void onNoModifier();
    void onHookEvent(WPARAM wParam);
    void showPreview();

    WindowHandle parent_;
    SkinImage frame_;
    platform::CKeyboardHook hook_;
    std::optional<std::uint8_t> key_;
};

} // namespace quorvik::ui
