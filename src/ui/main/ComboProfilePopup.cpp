#include "ui/main/ComboProfilePopup.h"

#include "model/LanguageTable.h"
#include "ui/rules/ProfileSlots.h"

namespace quorvik::ui {

namespace {
constexpr int kTextHeader = 10;
constexpr int kTextAddProfile = 200;
} // namespace

CComboProfilePopup* CComboProfilePopup::Open(WindowHandle owner, const Rect& anchorOnScreen, int controlId,
                                             Contents contents) {
    const int rows = RowCount(contents);
    auto* popup = new CComboProfilePopup(std::move(contents));
    const Rect rect{anchorOnScreen.left, anchorOnScreen.bottom, anchorOnScreen.right,
                    anchorOnScreen.bottom + rows * Scaled(kRowHeightUnits)};
    if (!popup->Create(owner, rect, kKind, controlId, kChoiceMessage)) {
        delete popup;
        return nullptr;
    }
    return popup;
}

void CComboProfilePopup::BuildItems() {
    // The header is a caption, not a choice: it gets no row picture, so it never lights up.
    AddItem(model::LanguageText(kTextHeader), {}, {}, false, rules::kPopupHeaderEntry);
    // Only the visible profiles get rows, so entry p + 2 is always the row that shows position p.
    for (std::size_t p = 0; p < contents_.names.size(); ++p)
        AddItem(contents_.names[p], SkinFile("menu_nr.png"), SkinFile("menu_ov.png"), false,
                rules::kPopupFirstProfileEntry + int(p));
    AddItem(model::LanguageText(kTextAddProfile), SkinFile("menu_nr.png"), SkinFile("menu_ov.png"), false,
            rules::kPopupAddEntry);
    LayoutRows(Scaled(kRowHeightUnits), 0);
}

void CComboProfilePopup::DrawItems(QPainter& p, const Rect&) {
    for (std::size_t i = 0; i < items_.size(); ++i) {
        const Item& item = items_[i];
        const QRect box = item.rect.toQRect();
        const QString text = QString::fromStdU16String(item.text);
        if (i == 0) {
            // The header: its caption in the accent colour over a hairline.
            p.fillRect(QRect(box.left() + Scaled(8), box.bottom(), box.width() - Scaled(16), 1), Rgb(0x2E3238));
            DrawSingleLine(p, box.adjusted(2, 2, -2, -2), text, Rgb(kAccent), font_, Qt::AlignHCenter);
            continue;
        }
        const bool hot = int(i) == hot_;
        (hot && !item.hover.isNull() ? item.hover : item.normal).draw(p, box);
        DrawSingleLine(p, box.adjusted(Scaled(8), 2, -Scaled(8), -2), text, hot ? Rgb(kTextHover) : Rgb(kTextNormal),
                       font_, Qt::AlignHCenter);
    }
    // The profile in use: an accent bar at the left edge of its row.
    const std::size_t row = std::size_t(contents_.current + 1);
    if (contents_.current < 0 || row + 1 >= items_.size())
        return;
    const Rect& r = items_[row].rect;
    p.fillRect(QRect(r.left + 1, r.top + Scaled(4), Scaled(3), r.height() - Scaled(8)), Rgb(kAccent));
}

bool CComboProfilePopup::OnMouseMove(int x, int y) {
    int item = ItemAt(x, y);
    if (item == 0)
        item = -1; // the header never becomes the hot row
    if (item == hot_)
        return false;
    hot_ = item;
    return true;
}

bool CComboProfilePopup::OnLButtonUp(int x, int y) {
    const int item = ItemAt(x, y);
    if (item < 0)
        return false;
    ReportChoice(items_[std::size_t(item)].id);
    return true;
}

} // namespace quorvik::ui
