// The name dialogs of the macro manager: a name for a new macro or folder, and a new name for an
// item. Enter confirms; a typed Escape presses Cancel. The name is taken as typed, except
// that line breaks and other control characters are dropped, so it always stays on its one line
// of the library file.
#pragma once

#include "ui/macro/MacroSmallDlg.h"

namespace quorvik::ui {

class CMacroKeyOrFolderNameDlg : public CMacroSmallDlg {
public:
    static constexpr int kTemplate = 171;
    enum Mode { kMacroMode = 0, kFolderMode = 1 };

    CMacroKeyOrFolderNameDlg(int mode, WindowHandle parent);

    // The name OK stored (empty until then).
    const std::u16string& Name() const { return name_; }

    LRESULT handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) override;

protected:
    CMacroKeyOrFolderNameDlg(int templateId, int titleText, std::u16string initial, WindowHandle parent);
    void CreateBody() override;
    void OnOK() override;
    // Whether OK with this name closes as OK (otherwise as Cancel).
    virtual bool Changes(const std::u16string& name) const;

private:
    std::u16string initial_;
    std::u16string name_;
};

class CMacroKeyRenameDlg : public CMacroKeyOrFolderNameDlg {
public:
    static constexpr int kTemplate = 172;
    CMacroKeyRenameDlg(std::u16string currentName, WindowHandle parent);

protected:
    // An unchanged name is no rename.
    bool Changes(const std::u16string& name) const override { return name != current_; }

private:
    std::u16string current_;
};

} // namespace quorvik::ui
