// The main window's arithmetic: which pages close when one opens, where the window opens, which
// click on a selector only ends its list.
#include "platform/ProcessGlobals.h"
#include "ui/rules/ClosingClick.h"
#include "ui/rules/PageRule.h"
#include "ui/rules/WindowPlacement.h"

#include <gtest/gtest.h>

namespace quorvik::ui::rules {
namespace {

using enum Page;

PageStates open(std::initializer_list<Page> pages) {
    PageStates states{};
    for (Page p : pages)
        states[std::size_t(IndexOf(p))] = true;
    return states;
}

// The click has already flipped the clicked page's header when the rule runs.
PageStates click(Page page, PageStates before) {
    before[std::size_t(IndexOf(page))] = !before[std::size_t(IndexOf(page))];
    return ApplyPageRule(page, before);
}

TEST(PageRule, OpeningAPageClosesWhatItsFirstMatchingRowSays) {
    // Pointer with DPI and lighting open: lighting, polling rate, lift-off and debounce close.
    EXPECT_EQ(click(Pointer, open({Dpi, Lighting})), open({Dpi, Pointer}));
    // Debounce while only lift-off is open: no row matches, both stay.
    EXPECT_EQ(click(Debounce, open({LiftOff})), open({LiftOff, Debounce}));
    // DPI while lighting and pointer are open: the first row (lighting) wins and closes pointer.
    EXPECT_EQ(click(Dpi, open({Lighting, Pointer})), open({Dpi, Lighting}));
    // DPI while polling rate, lift-off and debounce are open: the polling-rate row applies.
    EXPECT_EQ(click(Dpi, open({PollingRate, LiftOff, Debounce})), open({Dpi, PollingRate}));
    // Lift-off with lighting and debounce open: debounce closes, lighting stays.
    EXPECT_EQ(click(LiftOff, open({Lighting, Debounce})), open({Lighting, LiftOff}));
    // Polling rate with DPI, lighting and pointer: everything but DPI closes.
    EXPECT_EQ(click(PollingRate, open({Dpi, Lighting, Pointer})), open({Dpi, PollingRate}));
}

TEST(PageRule, ClosingAPageNeverChangesAnother) {
    for (Page page : kColumnOrder) {
        PageStates all{};
        all.fill(true);
        PageStates expected = all;
        expected[std::size_t(IndexOf(page))] = false;
        EXPECT_EQ(click(page, all), expected) << IndexOf(page);
    }
}

TEST(PageRule, NothingOpenElsewhereKeepsEverything) {
    for (Page page : kColumnOrder) {
        PageStates expected{};
        expected[std::size_t(IndexOf(page))] = true;
        EXPECT_EQ(click(page, PageStates{}), expected);
    }
}

struct ScreenCase {
    int w, h;
    double factor;
    Placement placed;
};

TEST(WindowPlacement, FactorAndPlaceForCommonScreens) {
    const ScreenCase cases[] = {
        {1920, 1080, 1.0, {396, 170, 1127, 740}},
        {1920, 1200, 1.0, {396, 230, 1127, 740}},
        {2560, 1440, 1.5, {435, 165, 1690, 1110}},
        {3840, 2160, 2.0, {793, 340, 2254, 1480}},
        // Smaller than the window: it opens at the edge, never off the screen's top or left.
        {1024, 768, 1.0, {0, 14, 1127, 740}},
        {800, 600, 1.0, {0, 0, 1127, 740}},
    };
    for (const auto& c : cases) {
        const double factor = platform::ScaleFactorForScreen(c.w, c.h);
        EXPECT_EQ(factor, c.factor) << c.w << "x" << c.h;
        const int width = int(1127 * factor);
        const int height = int(740 * factor);
        EXPECT_EQ(MainWindowPlacement(c.w, c.h, width, height), c.placed) << c.w << "x" << c.h;
    }
}

TEST(WindowPlacement, TheStartKeepsTheScaleAndTheTextFactorOfItsScreen) {
    platform::SetScreenFactors(2560, 1440, 1.25); // 120 dots per inch
    EXPECT_EQ(platform::DisplayScaleFactor(), 1.5);
    EXPECT_EQ(platform::TextFactor(), 1.25);
    platform::SetScreenFactors(1920, 1080, 1.0);
    EXPECT_EQ(platform::DisplayScaleFactor(), 1.0);
    EXPECT_EQ(platform::TextFactor(), 1.0);
}

TEST(WindowPlacement, TheWorkAreaOriginMovesTheWindowWithIt) {
    // A second monitor to the right, a top panel of 27 pixels, a left dock on a small screen.
    EXPECT_EQ(MainWindowPlacement(1920, 0, 1920, 1080, 1127, 740), (Placement{2316, 170, 1127, 740}));
    EXPECT_EQ(MainWindowPlacement(0, 27, 1920, 1053, 1127, 740), (Placement{396, 183, 1127, 740}));
    EXPECT_EQ(MainWindowPlacement(64, 0, 960, 768, 1127, 740), (Placement{64, 14, 1127, 740}));
    // A monitor left of the primary one has negative coordinates.
    EXPECT_EQ(MainWindowPlacement(-2560, 0, 2560, 1440, 1690, 1110), (Placement{-2125, 165, 1690, 1110}));
}

TEST(WindowPlacement, TheVirtualMousePanelGoesBesideTheWindowOrAboveItsMiddle) {
    // 1920 × 1080 at factor 1: room on both sides; the right has a pixel more.
    const Box screen{0, 0, 1920, 1080};
    const Box main1{396, 170, 1523, 910};
    const Box middle1{696, 201, 1232, 910};
    CompanionPlacement p = PlaceCompanion(main1, middle1, 300, 260, 600, screen, 8);
    EXPECT_FALSE(p.overWindow);
    EXPECT_EQ(p.at, (Placement{1531, 170, 300, 600}));
    // A wide panel is narrowed to the room; a window at the right edge gets it at its left.
    EXPECT_EQ(PlaceCompanion(main1, middle1, 500, 260, 600, screen, 8).at, (Placement{1531, 170, 389, 600}));
    EXPECT_EQ(PlaceCompanion(Box{793, 170, 1920, 910}, middle1, 300, 260, 600, screen, 8).at,
              (Placement{485, 170, 300, 600}));
    EXPECT_EQ(PlaceCompanion(Box{0, 170, 1127, 910}, middle1, 300, 260, 600, screen, 8).at,
              (Placement{1135, 170, 300, 600}));
    // 2600 × 1700 at factor 2: 173 pixels on either side, too little. Above the window's middle,
    // which it must then stay above, and no taller than the screen.
    const Box wide{0, 0, 2600, 1700};
    p = PlaceCompanion(Box{173, 110, 2427, 1590}, Box{773, 172, 1845, 1590}, 600, 520, 1900, wide, 16);
    EXPECT_TRUE(p.overWindow);
    EXPECT_EQ(p.at, (Placement{1009, 0, 600, 1700}));
    p = PlaceCompanion(Box{173, 110, 2427, 1590}, Box{773, 172, 1845, 1590}, 600, 520, 1200, wide, 16);
    EXPECT_EQ(p.at, (Placement{1009, 172, 600, 1200}));
}

TEST(ClosingClick, OnlyTheFirstClickOnThatSelectorWithinHalfASecondIsSpent) {
    ClosingClick click;
    EXPECT_FALSE(click.IsClosingClick(7, 0)) << "nothing closed yet";

    click.ListClosed(7, 1000);
    EXPECT_TRUE(click.IsClosingClick(7, 1000 + kClosingClickWindowMs));
    EXPECT_FALSE(click.IsClosingClick(7, 1000 + kClosingClickWindowMs)) << "the closing click is spent once";

    click.ListClosed(7, 1000);
    EXPECT_FALSE(click.IsClosingClick(7, 1001 + kClosingClickWindowMs)) << "too late: a click of its own";

    click.ListClosed(7, 1000);
    EXPECT_FALSE(click.IsClosingClick(8, 1100)) << "another selector";
    EXPECT_FALSE(click.IsClosingClick(7, 1200)) << "any click ends the wait";

    click.ListClosed(0, 1000);
    EXPECT_FALSE(click.IsClosingClick(7, 1000)) << "closed with the pointer elsewhere";
}

} // namespace
} // namespace quorvik::ui::rules
