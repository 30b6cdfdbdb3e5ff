// The settings column: six pages stacked under their headers, DPI at the top and pointer at the
// bottom. A closed page shows only its header; the pages below an open one move down.
#pragma once

#include "ui/main/Page.h"
#include "ui/rules/PageRule.h"

#include <array>
#include <memory>
#include <optional>
#include <vector>

namespace quorvik::ui {

class CCheckButton;

class CPageColumn {
public:
    explicit CPageColumn(PageHost& host);

    // Takes the page that `page` names (created by the window in its own order).
    void SetPage(rules::Page page, std::unique_ptr<CColumnPage> content);
    CColumnPage* PageAt(rules::Page page) const { return pages_[std::size_t(rules::IndexOf(page))].get(); }
    // The page whose header has this id, or none.
    std::optional<rules::Page> PageOfHeader(int headerId) const;

    // The six header checks, in column order.
    void CreateHeaders();
    // At start the DPI and lighting pages are open and the other four closed.
    void ApplyStartState();

    // A header was clicked (its check has flipped): the page rule, then every page placed anew.
    void OnHeaderClicked(int headerId);
    // Places headers and pages from the headers' check states.
    void Layout();

    rules::PageStates States() const;
    // Only while the sensor class flag is 1 can the lift-off page be used.
    void SetLiftOffActive(bool active);

    // The panels behind the open pages (client pixels), for the window's painting.
    std::vector<Rect> OpenPanels() const;

private:
    PageHost& host_;
    std::array<std::unique_ptr<CColumnPage>, rules::kPageCount> pages_;
    std::array<CCheckButton*, rules::kPageCount> headers_{};
};

} // namespace quorvik::ui
