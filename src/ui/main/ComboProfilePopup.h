// The profile selector's list: a header, the visible profiles in show-list order (the one in use
// marked), and an Add entry. A choice is reported with 0x465 carrying the entry's identifier
// (1 header, 2 … 6 the profiles at show-list positions 0 … 4, 7 Add); losing activation reports
// 0x466.
#pragma once

#include "ui/skin/WndPopup.h"

#include <string>
#include <vector>

namespace quorvik::ui {

class CComboProfilePopup : public CWndPopup {
public:
    // The kind whose closed message is 0x466.
    static constexpr int kKind = 7;
    static constexpr unsigned kChoiceMessage = 0x465;
    static constexpr int kRowHeightUnits = 26;

    // The names of the visible profiles, position 0 first, and the position of the one in use
    // (-1 when it is not among them).
    struct Contents {
        std::vector<std::u16string> names;
        int current = -1;
    };

    // Rows: the header, one per visible profile, Add.
    static int RowCount(const Contents& contents) { return int(contents.names.size()) + 2; }

    // Opens the list below `anchorOnScreen` (screen pixels), as wide as it. The popup deletes
    // itself when its window closes.
    static CComboProfilePopup* Open(WindowHandle owner, const Rect& anchorOnScreen, int controlId, Contents contents);

    const Contents& Shown() const { return contents_; }

protected:
    void BuildItems() override;
    void DrawItems(QPainter& p, const Rect& client) override;
    bool OnMouseMove(int x, int y) override;
    bool OnLButtonUp(int x, int y) override;

private:
    explicit CComboProfilePopup(Contents contents) : contents_(std::move(contents)) {}

    Contents contents_;
};

} // namespace quorvik::ui
