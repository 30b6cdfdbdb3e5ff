#include "ui/rules/PageRule.h"

#include <initializer_list>

namespace quorvik::ui::rules {

namespace {

using enum Page;

// One row: when `ifOpen` is open, close `close`. Rows of one page are tried in order.
struct Row {
    Page opened;
    Page ifOpen;
    std::initializer_list<Page> close;
};

// Each page's rows, tried in order; the first whose condition page is open applies.
const Row kRows[] = {
    {Dpi, Lighting, {PollingRate, LiftOff, Debounce, Pointer}},
    {Dpi, PollingRate, {LiftOff, Debounce, Pointer}},
    {Dpi, LiftOff, {Debounce, Pointer}},
    {Lighting, Dpi, {PollingRate, LiftOff, Debounce, Pointer}},
    {Lighting, PollingRate, {LiftOff, Debounce, Pointer}},
    {Lighting, LiftOff, {Debounce, Pointer}},
    {PollingRate, Dpi, {Lighting, LiftOff, Debounce, Pointer}},
    {PollingRate, Lighting, {LiftOff, Debounce, Pointer}},
    {PollingRate, LiftOff, {Debounce, Pointer}},
    {Debounce, Dpi, {Lighting, PollingRate, LiftOff, Pointer}},
    {Debounce, Lighting, {PollingRate, LiftOff, Pointer}},
    {Debounce, PollingRate, {LiftOff, Pointer}},
    {LiftOff, Dpi, {Lighting, PollingRate, Debounce, Pointer}},
    {LiftOff, Lighting, {PollingRate, Debounce, Pointer}},
    {LiftOff, PollingRate, {Debounce, Pointer}},
    {Pointer, Dpi, {Lighting, PollingRate, LiftOff, Debounce}},
    {Pointer, Lighting, {PollingRate, LiftOff, Debounce}},
    {Pointer, PollingRate, {LiftOff, Debounce}},
};

} // namespace

PageStates ApplyPageRule(Page clicked, PageStates states) {
    if (!states[std::size_t(IndexOf(clicked))])
        return states;
    for (const Row& row : kRows) {
        if (row.opened != clicked || !states[std::size_t(IndexOf(row.ifOpen))])
            continue;
        for (Page page : row.close)
            states[std::size_t(IndexOf(page))] = false;
        break;
    }
    return states;
}

} // namespace quorvik::ui::rules
