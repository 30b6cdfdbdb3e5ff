// The dialogs that change one action of a macro: the key of a key event (captured from the
// keyboard), the time of a delay, and the distance of a pointer move.
#pragma once

#include "macro/MacroEditing.h"
#include "platform/qt/KeyboardHook.h"
#include "ui/macro/MacroSmallDlg.h"

namespace quorvik::ui {

// Shows the key the user presses and keeps it; OK hands it back. It captures keys with its own
// hook from opening to closing, so Enter and Escape are keys to capture here, not OK and Cancel.
class CActionKeyModifyDlg : public CMacroSmallDlg {
public:
    static constexpr int kTemplate = 173;
    // `code` is the key the edited action holds now; OK without a key pressed keeps it.
    CActionKeyModifyDlg(std::uint8_t code, WindowHandle parent);

    std::uint8_t Code() const { return code_; }
    bool HookRunning() const { return hook_.IsRunning(); }

    LRESULT handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) override;

protected:
    bool OnInitDialog() override;
    void CreateBody() override;
    void OnOK() override;
    void OnCancel() override;

private:
    platform::CKeyboardHook hook_;
    std::uint8_t code_;
};

// A delay in milliseconds, 0 … 15,300,000.
class CActionTimeModifyDlg : public CMacroSmallDlg {
public:
    static constexpr int kTemplate = 174;
    CActionTimeModifyDlg(std::uint32_t delayMs, WindowHandle parent);

    std::uint32_t DelayMs() const { return delayMs_; }
    model::MacroAction Action() const { return model::MakeDelay(delayMs_); }

protected:
    void CreateBody() override;
    void OnOK() override;

private:
    std::uint32_t delayMs_;
};

// A pointer move of 1 … 127 steps in the direction of its insert command.
class CActionXYModifyDlg : public CMacroSmallDlg {
public:
    static constexpr int kTemplate = 175;
    CActionXYModifyDlg(macro::InsertCommand direction, int amount, WindowHandle parent);

    int Amount() const { return amount_; }
    model::MacroAction Action() const { return macro::MoveAction(direction_, amount_); }

protected:
    void CreateBody() override;
    void OnOK() override;

private:
    macro::InsertCommand direction_;
    int amount_;
};

} // namespace quorvik::ui
