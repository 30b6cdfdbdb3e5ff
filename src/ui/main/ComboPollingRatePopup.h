// The drop-down list of the rate selector: the four report rates, the current one marked. A choice
// is reported with 0x46F (its index is the rate code); losing activation reports 0x470. The rows
// show the rates as the rest of the page writes them; the profile keeps the list's own name.
#pragma once

#include "ui/skin/WndPopup.h"

#include <string>

namespace quorvik::ui {

class CComboPollingRatePopup : public CWndPopup {
public:
    // The kind whose closed message is 0x470.
    static constexpr int kKind = 8;
    static constexpr unsigned kChoiceMessage = 0x46F;
    static constexpr int kEntryCount = 4;
    static constexpr int kRowHeightUnits = 26;

    // The name a choice stores for entry `index` (the rate code 0 … 3): "125Hz" … "1000Hz"; empty
    // for other indexes.
    static std::u16string EntryText(int index);
    // How the page writes rate code `index` (the language's "125 Hz" …), the stored name where
    // the language file has no text for it.
    static std::u16string EntryCaption(int index);

    // Opens the list under the selector at `selectorOnScreen` (screen pixels), as wide as it; the
    // entry of rate code `current` is marked. The popup deletes itself when its window closes.
    static CComboPollingRatePopup* Open(WindowHandle owner, const Rect& selectorOnScreen, int controlId, int current);

    int Current() const { return current_; }

protected:
    void BuildItems() override;
    void DrawItems(QPainter& p, const Rect& client) override;

private:
    explicit CComboPollingRatePopup(int current) : current_(current) {}

    int current_;
};

} // namespace quorvik::ui
