#include "ui/main/PageColumn.h"

#include "model/LanguageTable.h"
#include "ui/main/MainLayout.h"
#include "ui/skin/Buttons.h"

namespace quorvik::ui {

using rules::Page;

CPageColumn::CPageColumn(PageHost& host) : host_(host) {}

void CPageColumn::SetPage(Page page, std::unique_ptr<CColumnPage> content) {
    pages_[std::size_t(rules::IndexOf(page))] = std::move(content);
}

std::optional<Page> CPageColumn::PageOfHeader(int headerId) const {
    for (Page page : rules::kColumnOrder) {
        const auto& content = pages_[std::size_t(rules::IndexOf(page))];
        if (content && content->HeaderId() == headerId)
            return page;
    }
    return std::nullopt;
}

void CPageColumn::CreateHeaders() {
    for (Page page : rules::kColumnOrder) {
        const int index = rules::IndexOf(page);
        const CColumnPage& content = *pages_[std::size_t(index)];
        auto header = std::make_unique<CCheckButton>(
            host_.Window().hwnd(), content.HeaderId(),
            ScaledRect(layout::kColumnLeft, 0, layout::kColumnLeft + layout::kColumnWidth, layout::kHeaderHeight),
            model::LanguageText(content.HeaderText()), true, true, false, Qt::AlignLeft);
        header->SetImages(SkinFile("header_nr.png"), SkinFile("header_ov.png"));
        header->SetTextMargins(Scaled(14), Scaled(30));
        header->SetExpander(true); // checked while its page is open
        headers_[std::size_t(index)] = host_.Window().AddControl(1, std::move(header));
    }
}

void CPageColumn::ApplyStartState() {
    for (Page page : rules::kColumnOrder)
        headers_[std::size_t(rules::IndexOf(page))]->SetChecked(page == Page::Dpi || page == Page::Lighting);
    Layout();
}

rules::PageStates CPageColumn::States() const {
    rules::PageStates states{};
    for (int i = 0; i < rules::kPageCount; ++i)
        states[std::size_t(i)] = headers_[std::size_t(i)] && headers_[std::size_t(i)]->IsChecked();
    return states;
}

void CPageColumn::OnHeaderClicked(int headerId) {
    auto page = PageOfHeader(headerId);
    if (!page)
        return;
    rules::PageStates states = rules::ApplyPageRule(*page, States());
    for (int i = 0; i < rules::kPageCount; ++i)
        headers_[std::size_t(i)]->SetChecked(states[std::size_t(i)]);
    Layout();
}

void CPageColumn::Layout() {
    const int left = Scaled(layout::kColumnLeft);
    const int width = Scaled(layout::kColumnWidth);
    int top = Scaled(layout::kColumnTop);
    for (Page page : rules::kColumnOrder) {
        const std::size_t index = std::size_t(rules::IndexOf(page));
        CCheckButton* header = headers_[index];
        if (!header->isActive()) {
            // A page whose header is inactive (lift-off on sensors without it) takes no room.
            pages_[index]->Place(left, top, width, false);
            continue;
        }
        const int headerHeight = Scaled(layout::kHeaderHeight);
        header->SetRect(left, top, left + width, top + headerHeight);
        top += headerHeight + Scaled(layout::kColumnGap);
        const bool open = header->IsChecked();
        pages_[index]->Place(left, top, width, open);
        if (open)
            top += Scaled(pages_[index]->ContentHeightUnits()) + Scaled(layout::kColumnGap);
    }
    host_.Window().InvalidateAll();
}

void CPageColumn::SetLiftOffActive(bool active) {
    CCheckButton* header = headers_[std::size_t(rules::IndexOf(Page::LiftOff))];
    if (!header || header->isActive() == active)
        return;
    header->SetActive(active);
    if (!active && header->IsChecked()) {
        // An inactive header cannot be clicked: its page must not stay open behind it.
        header->SetChecked(false);
    }
    Layout();
}

std::vector<Rect> CPageColumn::OpenPanels() const {
    std::vector<Rect> panels;
    for (const auto& page : pages_)
        if (page && page->IsOpen())
            panels.push_back(page->ContentRect());
    return panels;
}

} // namespace quorvik::ui
