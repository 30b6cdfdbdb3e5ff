// The controls of the Applications dialog that the skin has no kind for: a list of rows in two
// columns (an application, and what stands beside it), a check whose caption runs on past its
// picture, and the menu of the profiles a rule may select.
#pragma once

#include "ui/skin/Buttons.h"
#include "ui/skin/WndPopup.h"

#include <string>
#include <vector>

namespace quorvik::ui {

// Rows of two texts: the first column takes `firstShare` of the width. A greyed row is one that
// does nothing now (its second text says why). A press on a row selects it and its release
// reports the click (code 2); a double-click on the selected row reports code 10.
class CTwoColumnList : public CControlBase {
public:
    struct Row {
        std::u16string first;
        std::u16string second;
        bool greyed = false;
    };

    CTwoColumnList(WindowHandle parent, int id, const Rect& rect, double firstShare);

    // New rows; the selection and the first visible row stay where they still can.
    void SetRows(std::vector<Row> rows);
    const std::vector<Row>& Rows() const { return rows_; }
    int RowCount() const { return int(rows_.size()); }
    int VisibleRows() const;
    int FirstVisibleRow() const { return first_; }
    void SetFirstVisibleRow(int row);
    int SelectedRow() const { return selected_; }
    void SetSelectedRow(int row);
    // Drawn in the middle while there are no rows.
    void SetEmptyText(std::u16string text) { empty_ = std::move(text); }

    void Draw(QPainter& p, const Rect& clip) override;
    bool OnLButtonDown(unsigned keys, int x, int y) override;
    bool OnLButtonUp(unsigned keys, int x, int y) override;
    bool OnLButtonDblClk(unsigned keys, int x, int y) override;

    AccessRole Role() const override { return AccessRole::List; }
    int AccessRowCount() const override { return RowCount(); }
    std::u16string AccessRowText(int row) const override;
    int AccessSelectedRow() const override { return selected_; }
    // Up, Down, PageUp, PageDown, Home and End select as a click on the row does; Enter on the
    // selected row is its double-click.
    StepResult OnKey(unsigned vk, unsigned modifiers) override;

private:
    std::vector<Row> rows_;
    double firstShare_;
    std::u16string empty_;
    int first_ = 0;
    int selected_ = -1;
    bool pressedRow_ = false; // the press fell on a row: its release is a click
};

// A check box whose caption may be longer than its picture: the picture keeps its own width at
// the left, the caption runs on to the control's right edge.
class CWideCheckButton : public CCheckButton {
public:
    CWideCheckButton(WindowHandle parent, int id, const Rect& rect, std::u16string text);
    void Draw(QPainter& p, const Rect& clip) override;
    void ReleaseImages() override;

private:
    ImageSet pictures_;
};

// The profiles a rule may select, in show-list order, the chosen one marked. A choice reports the
// entry's index; losing the activation reports the kind's closed message.
class CRuleProfilePopup : public CWndPopup {
public:
    static constexpr int kKind = 16;
    static constexpr int kRowHeightUnits = 26;

    // Opens below `anchorOnScreen` (screen pixels), as wide as it; `chosen` is the entry to mark
    // (-1 for none). The popup deletes itself when its window closes.
    static CRuleProfilePopup* Open(WindowHandle owner, const Rect& anchorOnScreen, int controlId, unsigned message,
                                   std::vector<std::u16string> names, int chosen);

protected:
    void BuildItems() override;
    void DrawItems(QPainter& p, const Rect& client) override;

private:
    CRuleProfilePopup(std::vector<std::u16string> names, int chosen) : names_(std::move(names)), chosen_(chosen) {}

    std::vector<std::u16string> names_;
    int chosen_;
};

} // namespace quorvik::ui
