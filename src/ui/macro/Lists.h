// The two list controls of the macro manager: the library tree and the action list.
#pragma once

#include "macro/MacroLibrary.h"
#include "ui/macro/ListScrolling.h"
#include "ui/skin/ControlBase.h"

#include <optional>
#include <utility>
#include <vector>

namespace quorvik::ui {

// The click point a right-click on a list carries in wParam (client pixels).
struct ClickPoint {
    int x = 0;
    int y = 0;
};

// The macro library as an indented tree: the occupied slots depth first, children only under
// open folders.
class CEditShowList : public CControlBase {
public:
    struct Row {
        macro::MacroLocation location;
        int depth = 0;
        bool folder = false;
        bool open = false;
        std::u16string name;
    };

    CEditShowList(WindowHandle parent, int id, const Rect& rect, macro::MacroLibrary& library, bool shown = true,
                  bool active = true, bool disabled = false);
    void SetFolderImages(const std::string& open, const std::string& closed);

    // The rows as the library stands now.
    std::vector<Row> Rows() const;
    int RowHeight() const;
    int VisibleRows() const;
    int FirstVisibleRow() const { return first_; }
    void SetFirstVisibleRow(int row);
    int SelectedRow() const { return selected_; }
    void SetSelectedRow(int row) { selected_ = row; }
    // The row of a location, or -1 when it is not listed (free, or under a closed folder).
    int RowOf(const macro::MacroLocation& location) const;
    // Where the folder icon of a row at `depth` is drawn, in the row `line` (client pixels).
    QRect FolderIconRect(const QRect& line, int depth, bool open) const;
    // The column a row's folder icon stands in, indented by its depth: a press there opens or
    // closes the folder. Left and right edge in client pixels.
    std::pair<int, int> FolderIconColumn(int depth) const;

    void Draw(QPainter& p, const Rect& clip) override;
    bool OnLButtonDown(unsigned keys, int x, int y) override;
    bool OnLButtonUp(unsigned keys, int x, int y) override;
    bool OnRButtonUp(unsigned keys, int x, int y) override;
    bool OnLButtonDblClk(unsigned keys, int x, int y) override;
    void ReleaseImages() override;

    AccessRole Role() const override { return AccessRole::Tree; }
    int AccessRowCount() const override { return int(Rows().size()); }
    std::u16string AccessRowText(int row) const override;
    int AccessSelectedRow() const override { return selected_; }
    // Up and Down select the row beside, scrolled into view; Enter opens or closes a folder as a
    // double-click does.
    StepResult OnKey(unsigned vk, unsigned modifiers) override;

private:
    int iconWidth() const;
    int indent() const;
    // Selects the row under the pointer (or nothing below the last row) and makes it the current
    // location; returns the row or -1.
    int selectAt(int y, const std::vector<Row>& rows);
    void flipOpen(const Row& row);

    macro::MacroLibrary& library_;
    SkinImage folderOpen_;
    SkinImage folderClosed_;
    int first_ = 0;
    int selected_ = -1;
    ClickPoint clickPoint_;
    // The folder the last press flipped on its icon: the double-click that may follow that press
    // is the same gesture and does not flip it back.
    std::optional<macro::MacroLocation> flippedByPress_;
};

// The actions of one macro, one row each, with the action's icon and text.
class CImageShowList : public CControlBase {
public:
    CImageShowList(WindowHandle parent, int id, const Rect& rect, bool shown = true, bool active = true,
                   bool disabled = false);
    // The macro shown (null for none); the list only reads it.
    void SetMacro(const model::MacroRecord* record);
    const model::MacroRecord* Macro() const { return record_; }
    int RowCount() const;
    int RowHeight() const;
    int VisibleRows() const;
    int FirstVisibleRow() const { return first_; }
    void SetFirstVisibleRow(int row);
    int SelectedRow() const { return selected_; }
    void SetSelectedRow(int row) { selected_ = row; }

    void Draw(QPainter& p, const Rect& clip) override;
    bool OnLButtonDown(unsigned keys, int x, int y) override;
    bool OnLButtonUp(unsigned keys, int x, int y) override;
    bool OnLButtonDblClk(unsigned keys, int x, int y) override;
    void ReleaseImages() override;

    AccessRole Role() const override { return AccessRole::List; }
    int AccessRowCount() const override { return RowCount(); }
    std::u16string AccessRowText(int row) const override;
    int AccessSelectedRow() const override { return selected_; }
    StepResult OnKey(unsigned vk, unsigned modifiers) override;

private:
    const SkinImage& iconFor(const model::MacroAction& action) const;

    const model::MacroRecord* record_ = nullptr;
    SkinImage delay_;
    SkinImage release_;
    SkinImage press_;
    int first_ = 0;
    int selected_ = -1;
};

} // namespace quorvik::ui
