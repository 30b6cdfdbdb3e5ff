// The name dialogs of the profile area: a name for a new profile, and a new name for one. The
// name field is centred; OK (or Enter) with an empty name shows the attention dialog and the
// dialog stays open; Cancel (or Escape typed on the keyboard) closes without a name. Names are kept on one
// line: control characters typed or pasted are dropped.
#pragma once

#include "ui/macro/MacroSmallDlg.h"

namespace quorvik::ui {

class CAddProfileDlg : public CMacroSmallDlg {
public:
    static constexpr int kTemplate = 141;
    static constexpr int kNameEdit = 2017;

    explicit CAddProfileDlg(WindowHandle parent);

    // The name OK took (empty until then).
    const std::u16string& Name() const { return name_; }

    LRESULT handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) override;

protected:
    CAddProfileDlg(int templateId, int titleText, int promptText, std::u16string initial, WindowHandle parent);
    void CreateBody() override;
    void OnOK() override;

private:
    int promptText_;
    std::u16string initial_;
    std::u16string name_;
};

class CEditProfileDlg : public CAddProfileDlg {
public:
    static constexpr int kTemplate = 144;
    // The field starts with the profile's name.
    CEditProfileDlg(std::u16string currentName, WindowHandle parent);
};

} // namespace quorvik::ui
