// The context menu of a profile slot tab: Import, Export, Rename, Delete, Applications…. The
// chosen entry's index is the operation code (0 … 4), reported with 0x48C; losing activation
// reports 0x48D.
#pragma once

#include "ui/skin/WndPopup.h"

namespace quorvik::ui {

class CProfileRKeyPopup : public CWndPopup {
public:
    // The kind whose closed message is 0x48D.
    static constexpr int kKind = 13;
    static constexpr unsigned kChoiceMessage = 0x48C;
    static constexpr int kEntryCount = 5;
    static constexpr int kRowHeightUnits = 26;
    static constexpr int kWidthUnits = 160;

    // Opens the menu at a screen point, for the tab `controlId`, moved in as little as keeps it
    // within `bounds` (screen pixels: the main window, inside its margin), as the program's other
    // menus stay inside the window. The popup deletes itself when its window closes.
    static CProfileRKeyPopup* Open(WindowHandle owner, int screenX, int screenY, const Rect& bounds, int controlId);

protected:
    void BuildItems() override;

private:
    CProfileRKeyPopup() = default;
};

} // namespace quorvik::ui
