#include "ui/main/AppRuleControls.h"

#include "platform/Messages.h"
#include "ui/macro/ListScrolling.h"

#include <algorithm>

namespace quorvik::ui {

namespace {
// Texts on the list's grey, all readable at 4.5 : 1 and more: a row that does nothing now is
// dimmer than the others but not faint. On the selected row every text is white.
constexpr std::uint32_t kFirstText = 0xFFFFFF;
constexpr std::uint32_t kSecondText = 0xD2D2D2;
constexpr std::uint32_t kGreyedText = 0xBDBDBD;
constexpr int kPaddingUnits = 6;
// The check picture's own width: the box at its left, clear space after it.
constexpr int kCheckPictureUnits = 160;
constexpr int kCheckCaptionUnits = 24;
} // namespace

// ---- CTwoColumnList ----

CTwoColumnList::CTwoColumnList(WindowHandle parent, int id, const Rect& rect, double firstShare)
    : CControlBase(parent, id, rect, {}), firstShare_(firstShare) {}

void CTwoColumnList::SetRows(std::vector<Row> rows) {
    rows_ = std::move(rows);
    selected_ = std::min(selected_, RowCount() - 1);
    first_ = std::clamp(first_, 0, std::max(0, RowCount() - VisibleRows()));
    Invalidate();
}

int CTwoColumnList::VisibleRows() const {
    return std::max(1, rect_.height() / ListRowHeight());
}

void CTwoColumnList::SetFirstVisibleRow(int row) {
    SetAndRedraw(first_, std::max(0, row));
}

void CTwoColumnList::SetSelectedRow(int row) {
    SetAndRedraw(selected_, row >= 0 && row < RowCount() ? row : -1);
}

void CTwoColumnList::Draw(QPainter& p, const Rect&) {
    const QRect box = rect_.toQRect();
    const int padding = Scaled(kPaddingUnits);
    const int split = box.left() + int(box.width() * firstShare_);
    DrawListRows(p, box, first_, RowCount(), selected_, [&](int r, const QRect& line) {
        const Row& row = rows_[std::size_t(r)];
        const bool selected = r == selected_;
        const QColor first = Rgb(selected ? kFirstText : row.greyed ? kGreyedText : kFirstText);
        const QColor second = Rgb(selected ? kFirstText : row.greyed ? kGreyedText : kSecondText);
        DrawSingleLine(p, QRect(line.left() + padding, line.top(), split - line.left() - 2 * padding, line.height()),
                       QString::fromStdU16String(row.first), first, font_, Qt::AlignLeft);
        // What makes a row do nothing is said in italics beside it.
        QFont font = font_;
        font.setItalic(row.greyed);
        DrawSingleLine(p, QRect(split, line.top(), line.right() - split - padding, line.height()),
                       QString::fromStdU16String(row.second), second, font, Qt::AlignLeft);
    });
    if (rows_.empty() && !empty_.empty()) {
        p.save();
        p.setFont(font_);
        p.setPen(Rgb(kGreyedText));
        p.drawText(box.adjusted(padding, padding, -padding, -padding), Qt::AlignCenter | Qt::TextWordWrap,
                   QString::fromStdU16String(empty_));
        p.restore();
    }
}

bool CTwoColumnList::OnLButtonDown(unsigned, int x, int y) {
    pressedRow_ = false;
    if (!TakesPoint(x, y))
        return false;
    const int row = ListRowAt(rect_, first_, y);
    if (row < 0 || row >= RowCount())
        return false;
    selected_ = row;
    pressedRow_ = true;
    return true;
}

bool CTwoColumnList::OnLButtonUp(unsigned, int x, int y) {
    // A press below the last row selects nothing, and its release reports nothing.
    if (std::exchange(pressedRow_, false) && TakesPoint(x, y))
        NotifySelf(kCodeClick);
    return false;
}

bool CTwoColumnList::OnLButtonDblClk(unsigned, int x, int y) {
    if (!TakesPoint(x, y))
        return false;
    const int row = ListRowAt(rect_, first_, y);
    if (row >= 0 && row < RowCount() && row == selected_)
        NotifySelf(kCodeDoubleClick);
    return false;
}

std::u16string CTwoColumnList::AccessRowText(int row) const {
    if (row < 0 || row >= RowCount())
        return {};
    const Row& r = rows_[std::size_t(row)];
    return r.second.empty() ? r.first : r.first + u", " + r.second;
}

StepResult CTwoColumnList::OnKey(unsigned vk, unsigned) {
    if (disabled_ || !isLive())
        return StepResult::Ignored;
    if (vk == platform::VK_RETURN) {
        if (selected_ < first_ || selected_ >= first_ + VisibleRows() || selected_ >= RowCount())
            return StepResult::Ignored;
        const int y = rect_.top + (selected_ - first_) * ListRowHeight() + ListRowHeight() / 2;
        OnLButtonDblClk(0, rect_.right - 2, y);
        return StepResult::Done;
    }
    const int row = ListRowForKey(vk, selected_, RowCount(), VisibleRows());
    if (row < 0)
        return StepResult::Ignored;
    ClickListRow(*this, WheelTarget(), row, first_, VisibleRows(), ListRowHeight());
    Invalidate();
    return StepResult::Done;
}

// ---- CWideCheckButton ----

CWideCheckButton::CWideCheckButton(WindowHandle parent, int id, const Rect& rect, std::u16string text)
    : CCheckButton(parent, id, rect, std::move(text), true, true, false, Qt::AlignLeft) {
    pictures_.set(SkinFile("check_nr.png"), SkinFile("check_ov.png"), SkinFile("check_dn.png"));
    SetTextMargins(Scaled(kCheckCaptionUnits), 0);
}

void CWideCheckButton::Draw(QPainter& p, const Rect& clip) {
    const QRect picture(rect_.left, rect_.top, std::min(rect_.width(), Scaled(kCheckPictureUnits)), rect_.height());
    pictures_.draw(p, picture, Look());
    CCheckButton::Draw(p, clip); // the caption: the base has no pictures of its own
}

void CWideCheckButton::ReleaseImages() {
    pictures_.clear();
    CCheckButton::ReleaseImages();
}

// ---- CRuleProfilePopup ----

CRuleProfilePopup* CRuleProfilePopup::Open(WindowHandle owner, const Rect& anchorOnScreen, int controlId,
                                           unsigned message, std::vector<std::u16string> names, int chosen) {
    const int rows = std::max<int>(1, int(names.size()));
    auto* popup = new CRuleProfilePopup(std::move(names), chosen);
    const Rect rect{anchorOnScreen.left, anchorOnScreen.bottom, anchorOnScreen.right,
                    anchorOnScreen.bottom + rows * Scaled(kRowHeightUnits)};
    if (!popup->Create(owner, rect, kKind, controlId, message)) {
        delete popup;
        return nullptr;
    }
    return popup;
}

void CRuleProfilePopup::BuildItems() {
    for (const std::u16string& name : names_)
        AddItem(name, SkinFile("menu_nr.png"), SkinFile("menu_ov.png"));
    LayoutRows(Scaled(kRowHeightUnits), 0);
}

void CRuleProfilePopup::DrawItems(QPainter& p, const Rect& client) {
    CWndPopup::DrawItems(p, client);
    // The profile chosen now: an accent bar at the left edge of its row, as the profile list has.
    if (chosen_ < 0 || chosen_ >= int(items_.size()))
        return;
    const Rect& r = items_[std::size_t(chosen_)].rect;
    p.fillRect(QRect(r.left + 1, r.top + Scaled(4), Scaled(3), r.height() - Scaled(8)), Rgb(kAccent));
}

} // namespace quorvik::ui
