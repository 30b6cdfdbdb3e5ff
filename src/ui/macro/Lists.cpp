#include "ui/macro/Lists.h"

#include "macro/MacroActionText.h"
#include "platform/Messages.h"
#include "platform/ProcessGlobals.h"
#include "ui/macro/ListScrolling.h"
#include "ui/skin/Sliders.h"

#include <algorithm>

namespace quorvik::ui {

using macro::MacroLocation;

// ---- CEditShowList ----

CEditShowList::CEditShowList(WindowHandle parent, int id, const Rect& rect, macro::MacroLibrary& library, bool shown,
                             bool active, bool disabled)
    : CControlBase(parent, id, rect, {}, shown, active, disabled), library_(library) {}

void CEditShowList::SetFolderImages(const std::string& open, const std::string& closed) {
    folderOpen_.load(open);
    folderClosed_.load(closed);
}

void CEditShowList::ReleaseImages() {
    folderOpen_.clear();
    folderClosed_.clear();
}

std::vector<CEditShowList::Row> CEditShowList::Rows() const {
    std::vector<Row> rows;
    // Depth first in slot order; a closed folder hides everything below it.
    auto visit = [&](auto&& self, const MacroLocation& parent, int depth) -> void {
        for (int i = 0; i < macro::kSlotsPerLevel; ++i) {
            MacroLocation here = parent.Child(i);
            if (depth == 0 && !library_.SubtreeInUse(i))
                continue;
            const macro::MacroLibraryNode* node = library_.SlotAt(here);
            if (!node || !node->IsOccupied())
                continue;
            bool folder = node->isFolder != 0;
            rows.push_back(Row{here, depth, folder, node->folderIsOpen != 0, node->name});
            if (folder && node->folderIsOpen != 0 && depth + 1 < macro::kDepthCount)
                self(self, here, depth + 1);
        }
    };
    visit(visit, MacroLocation::None(), 0);
    return rows;
}

int CEditShowList::RowHeight() const {
    return ListRowHeight();
}
int CEditShowList::VisibleRows() const {
    return rect_.height() / ListRowHeight();
}

void CEditShowList::SetFirstVisibleRow(int row) {
    SetAndRedraw(first_, std::max(0, row));
}

int CEditShowList::RowOf(const MacroLocation& location) const {
    auto rows = Rows();
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i].location == location)
            return int(i);
    return -1;
}

int CEditShowList::iconWidth() const {
    int w = std::max(folderOpen_.width(), folderClosed_.width());
    return w > 0 ? w : 16;
}

int CEditShowList::indent() const {
    return int((iconWidth() + 3) * platform::DisplayScaleFactor());
}

QRect CEditShowList::FolderIconRect(const QRect& line, int depth, bool open) const {
    const double scale = platform::DisplayScaleFactor();
    const SkinImage& icon = open ? folderOpen_ : folderClosed_;
    const int iw = int((icon.width() > 0 ? icon.width() : iconWidth()) * scale);
    const int ih = int((icon.height() > 0 ? icon.height() : iconWidth()) * scale);
    return QRect(line.left() + Scaled(3) + depth * indent(), line.top() + (line.height() - ih) / 2, iw, ih);
}

std::pair<int, int> CEditShowList::FolderIconColumn(int depth) const {
    const int left = rect_.left + depth * indent();
    return {left, left + indent()};
}

void CEditShowList::Draw(QPainter& p, const Rect&) {
    auto rows = Rows();
    DrawListRows(p, rect_.toQRect(), first_, int(rows.size()), selected_, [&](int r, const QRect& line) {
        const Row& row = rows[std::size_t(r)];
        if (row.folder)
            (row.open ? folderOpen_ : folderClosed_).draw(p, FolderIconRect(line, row.depth, row.open));
        const int x = line.left() + Scaled(3) + (row.depth + 1) * indent();
        DrawSingleLine(p, QRect(x, line.top(), line.right() - x, line.height()), QString::fromStdU16String(row.name),
                       Rgb(0xFFFFFF), font_, Qt::AlignLeft);
    });
}

void CEditShowList::flipOpen(const Row& row) {
    if (macro::MacroLibraryNode* node = library_.SlotAt(row.location))
        if (node->IsFolderSlot())
            node->folderIsOpen = node->folderIsOpen ? 0 : 1;
}

int CEditShowList::selectAt(int y, const std::vector<Row>& rows) {
    int row = ListRowAt(rect_, first_, y);
    if (row >= 0 && row < int(rows.size())) {
        selected_ = row;
        macro::CurrentMacroLocation() = rows[std::size_t(row)].location;
        return row;
    }
    selected_ = -1;
    macro::CurrentMacroLocation() = MacroLocation::None();
    return -1;
}

bool CEditShowList::OnLButtonDown(unsigned, int x, int y) {
    if (!PressButton(x, y))
        return false;
    auto rows = Rows();
    int row = selectAt(y, rows);
    flippedByPress_.reset();
    if (row >= 0) {
        const Row& r = rows[std::size_t(row)];
        // The icon, where its depth indents it, opens and closes the folder.
        const auto [left, right] = FolderIconColumn(r.depth);
        if (r.folder && x >= left && x < right) {
            flipOpen(r);
            flippedByPress_ = r.location;
        }
    }
    return true;
}

bool CEditShowList::OnLButtonUp(unsigned, int x, int y) {
    ReleaseButton(x, y, [this] { NotifySelf(kCodeClick); });
    return false; // the list has no pressed look
}

bool CEditShowList::OnRButtonUp(unsigned, int x, int y) {
    if (!TakesPoint(x, y))
        return false;
    selectAt(y, Rows());
    clickPoint_ = ClickPoint{x, y};
    NotifySelf(kCodeRightClick, reinterpret_cast<WPARAM>(&clickPoint_));
    return true;
}

bool CEditShowList::OnLButtonDblClk(unsigned, int x, int y) {
    if (!TakesPoint(x, y))
        return false;
    auto rows = Rows();
    int row = ListRowAt(rect_, first_, y);
    const std::optional<MacroLocation> flipped = std::exchange(flippedByPress_, std::nullopt);
    if (row < 0 || row >= int(rows.size()))
        return false;
    // A double-click on the icon ends with the folder flipped once: its first press did it.
    const Row& r = rows[std::size_t(row)];
    if (!(flipped && *flipped == r.location))
        flipOpen(r);
    NotifySelf(kCodeDoubleClick);
    return true;
}

// ---- CImageShowList ----

CImageShowList::CImageShowList(WindowHandle parent, int id, const Rect& rect, bool shown, bool active, bool disabled)
    : CControlBase(parent, id, rect, {}, shown, active, disabled) {
    const std::string& folder = platform::ProgramFolder();
    delay_.load(folder + macro::kDelayIcon);
    release_.load(folder + macro::kReleaseIcon);
    press_.load(folder + macro::kPressIcon);
}

void CImageShowList::ReleaseImages() {
    delay_.clear();
    release_.clear();
    press_.clear();
}

void CImageShowList::SetMacro(const model::MacroRecord* record) {
    record_ = record;
    first_ = 0;
    selected_ = -1;
    Invalidate();
}

int CImageShowList::RowCount() const {
    return record_ ? int(record_->ValidActionCount()) : 0;
}
int CImageShowList::RowHeight() const {
    return ListRowHeight();
}
int CImageShowList::VisibleRows() const {
    return rect_.height() / ListRowHeight();
}

void CImageShowList::SetFirstVisibleRow(int row) {
    SetAndRedraw(first_, std::max(0, row));
}

const SkinImage& CImageShowList::iconFor(const model::MacroAction& action) const {
    const char* icon = macro::MacroActionIcon(action);
    if (std::string_view(icon) == macro::kDelayIcon)
        return delay_;
    if (std::string_view(icon) == macro::kReleaseIcon)
        return release_;
    return press_;
}

void CImageShowList::Draw(QPainter& p, const Rect&) {
    const double scale = platform::DisplayScaleFactor();
    const int textLeft = rect_.left + Scaled(24);
    DrawListRows(p, rect_.toQRect(), first_, RowCount(), selected_, [&](int r, const QRect& line) {
        const model::MacroAction action = record_->GetAction(std::size_t(r));
        const SkinImage& icon = iconFor(action);
        // The icon sits 15 units left of the text and 3 units below the row's top.
        icon.draw(p, QRect(textLeft - Scaled(15), line.top() + Scaled(3), int(icon.width() * scale),
                           int(icon.height() * scale)));
        DrawSingleLine(p, QRect(textLeft + Scaled(4), line.top(), line.right() - textLeft - Scaled(4), line.height()),
                       QString::fromStdU16String(macro::MacroActionText(action)), Rgb(0xFFFFFF), font_, Qt::AlignLeft);
    });
}

bool CImageShowList::OnLButtonDown(unsigned, int x, int y) {
    if (!TakesPoint(x, y))
        return false;
    int row = ListRowAt(rect_, first_, y);
    if (row >= 0 && row < RowCount()) {
        selected_ = row;
        return true;
    }
    return false;
}

bool CImageShowList::OnLButtonUp(unsigned, int x, int y) {
    if (TakesPoint(x, y))
        NotifySelf(kCodeClick);
    return false;
}

bool CImageShowList::OnLButtonDblClk(unsigned, int x, int y) {
    if (TakesPoint(x, y))
        NotifySelf(kCodeDoubleClick);
    return false;
}

// ---- keys ----

std::u16string CEditShowList::AccessRowText(int row) const {
    const std::vector<Row> rows = Rows();
    return row >= 0 && row < int(rows.size()) ? rows[std::size_t(row)].name : std::u16string();
}

StepResult CEditShowList::OnKey(unsigned vk, unsigned modifiers) {
    if (disabled_ || !isLive())
        return StepResult::Ignored;
    const int count = int(Rows().size());
    if (vk == platform::VK_RETURN || vk == platform::VK_SPACE) {
        if (selected_ < 0 || selected_ >= count || selected_ < first_ || selected_ >= first_ + VisibleRows())
            return StepResult::Ignored;
        if (vk == platform::VK_SPACE) {
            ClickListRow(*this, WheelTarget(), selected_, first_, VisibleRows(), RowHeight());
        } else {
            const int y = rect_.top + (selected_ - first_) * RowHeight() + RowHeight() / 2;
            OnLButtonDblClk(0, rect_.right - 2, y);
        }
        Invalidate();
        return StepResult::Done;
    }
    const int row = ListRowForKey(vk, selected_, count, VisibleRows());
    if (row < 0) {
        (void)modifiers;
        return StepResult::Ignored;
    }
    ClickListRow(*this, WheelTarget(), row, first_, VisibleRows(), RowHeight());
    Invalidate();
    return StepResult::Done;
}

std::u16string CImageShowList::AccessRowText(int row) const {
    if (!record_ || row < 0 || row >= RowCount())
        return {};
    return macro::MacroActionText(record_->GetAction(std::size_t(row)));
}

StepResult CImageShowList::OnKey(unsigned vk, unsigned) {
    if (disabled_ || !isLive())
        return StepResult::Ignored;
    if (vk == platform::VK_RETURN) {
        if (selected_ < first_ || selected_ >= first_ + VisibleRows() || selected_ >= RowCount())
            return StepResult::Ignored;
        const int y = rect_.top + (selected_ - first_) * RowHeight() + RowHeight() / 2;
        OnLButtonDblClk(0, rect_.right - 2, y);
        return StepResult::Done;
    }
    const int row = ListRowForKey(vk, selected_, RowCount(), VisibleRows());
    if (row < 0)
        return StepResult::Ignored;
    ClickListRow(*this, WheelTarget(), row, first_, VisibleRows(), RowHeight());
    Invalidate();
    return StepResult::Done;
}

} // namespace quorvik::ui
