// The controls' event protocol, driven through a dialog with the messages the platform delivers.
#include "UiTestSupport.h"

#include "macro/MacroLibrary.h"
#include "ui/macro/Lists.h"
#include "ui/skin/Buttons.h"
#include "ui/skin/Displays.h"
#include "ui/skin/Sliders.h"

using namespace quorvik;
using namespace quorvik::ui;
using namespace quorvik::platform;
using quorvik::test::RecordingDlg;
using quorvik::test::Sent;

namespace {

class ControlsTest : public quorvik::test::UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        dlg.Create();
    }
    template <class T, class... Args> T* add(Args&&... args) {
        return dlg.AddControl(1, std::make_unique<T>(dlg.hwnd(), std::forward<Args>(args)...));
    }
    RecordingDlg dlg;
};

TEST_F(ControlsTest, DisabledButtonKeepsItsLookAndSendsNothing) {
    auto* check = add<CCheckButton>(2030, Rect{10, 10, 110, 30}, u"Accel", true, true, true);
    auto* image = add<CImageButton>(2010, Rect{10, 40, 110, 60}, u"OK", true, true, true);
    click(dlg, 50, 20);
    click(dlg, 50, 50);
    EXPECT_TRUE(dlg.sent.empty());
    EXPECT_EQ(check->mouseState(), kStateNormal);
    EXPECT_FALSE(check->IsChecked());
    EXPECT_EQ(image->mouseState(), kStateNormal);
}

TEST_F(ControlsTest, ClickSendsDownThenClickAndReleaseOutsideSendsNoClick) {
    auto* check = add<CCheckButton>(2030, Rect{10, 10, 110, 30}, u"Accel");
    click(dlg, 50, 20);
    EXPECT_EQ(dlg.of(2030), (std::vector<Sent>{{2030, 0, kCodeDown}, {2030, 0, kCodeClick}}));
    EXPECT_TRUE(check->IsChecked());
    EXPECT_EQ(check->Look(), 2);

    dlg.sent.clear();
    mouse(dlg, WM_MOUSEMOVE, 50, 20);
    mouse(dlg, WM_LBUTTONDOWN, 50, 20, MK_LBUTTON);
    mouse(dlg, WM_MOUSEMOVE, 300, 200, MK_LBUTTON);
    mouse(dlg, WM_LBUTTONUP, 300, 200);
    EXPECT_EQ(dlg.of(2030), (std::vector<Sent>{{2030, 0, kCodeDown}}));
    EXPECT_EQ(check->mouseState(), kStateNormal);
    EXPECT_TRUE(check->IsChecked()); // no click, no flip
    EXPECT_EQ(dlg.HotControl(), nullptr);
}

TEST_F(ControlsTest, ImageButtonCarriesItsIdAndOnly3502ReportsHover) {
    add<CImageButton>(2010, Rect{10, 10, 90, 34}, u"OK");
    add<CImageButton>(3502, Rect{100, 10, 180, 34}, u"List");
    mouse(dlg, WM_MOUSEMOVE, 20, 20);
    click(dlg, 20, 20);
    mouse(dlg, WM_MOUSEMOVE, 120, 20);
    mouse(dlg, WM_MOUSEMOVE, 121, 21); // still hovering: no second report
    EXPECT_EQ(dlg.of(2010), (std::vector<Sent>{{2010, 2010, kCodeDown}, {2010, 2010, kCodeClick}}));
    EXPECT_EQ(dlg.of(3502), (std::vector<Sent>{{3502, 0, kCodeHover3502}}));
}

TEST_F(ControlsTest, SameTextTwiceDoesNotInvalidate) {
    auto* text = add<CStaticText>(3405, Rect{10, 10, 110, 30}, u"50%", QColor(Qt::white));
    int before = dlg.window()->invalidationCount();
    text->SetText(u"50%");
    EXPECT_EQ(dlg.window()->invalidationCount(), before);
    text->SetText(u"51%");
    EXPECT_EQ(dlg.window()->invalidationCount(), before + 1);
    text->SetText(u"51%");
    EXPECT_EQ(dlg.window()->invalidationCount(), before + 1);
}

TEST_F(ControlsTest, RadioClickSelectsOnlyWithinItsGroup) {
    add<CRadioButton>(2032, Rect{10, 10, 110, 30}, u"Toggle");
    SetRadioGroupWord(0x2000 | 0x8000 | 0x1 | 0x80000 | 0x100);
    click(dlg, 20, 20);
    EXPECT_EQ(RadioGroupWord(), 0x4000u | 0x1 | 0x80000 | 0x100);
    EXPECT_EQ(dlg.of(2032).back(), (Sent{2032, 0, kCodeClick}));

    // An id outside the groups only notifies.
    add<CRadioButton>(2999, Rect{10, 40, 110, 60}, u"Other");
    click(dlg, 20, 50);
    EXPECT_EQ(RadioGroupWord(), 0x4000u | 0x1 | 0x80000 | 0x100);
    EXPECT_EQ(dlg.of(2999).back(), (Sent{2999, 0, kCodeClick}));
}

TEST_F(ControlsTest, RadioGroupsCoverTheirBits) {
    EXPECT_EQ(RadioGroupMask(2006), 0x7Fu);
    EXPECT_EQ(RadioGroupMask(2010), 0x180u);
    EXPECT_EQ(RadioGroupMask(3502), 0x600u);
    EXPECT_EQ(RadioGroupMask(3250), 0x1800u);
    EXPECT_EQ(RadioGroupMask(2033), 0xE000u);
    EXPECT_EQ(RadioGroupMask(3033), 0xF0000u);
    EXPECT_EQ(RadioGroupMask(3511), 0x300000u);
    EXPECT_EQ(RadioBit(2085), 6);
    EXPECT_EQ(RadioBit(3030), 16);
    EXPECT_EQ(RadioBit(1234), -1);
}

TEST_F(ControlsTest, DpiLevelLabelsSetTheLevelMask) {
    add<CDPIRadioButton>(3293, Rect{10, 10, 60, 30}, u"L4");
    add<CDPIRadioButton>(3297, Rect{70, 10, 120, 30}, u"L8");
    add<CDPIRadioButton>(3300, Rect{130, 10, 180, 30}, u"box");
    click(dlg, 20, 20);
    EXPECT_EQ(DpiLevelWord() & 0xFF, 0x0Fu);
    click(dlg, 80, 20);
    EXPECT_EQ(DpiLevelWord() & 0xFF, 0xFFu);
    click(dlg, 140, 20);
    EXPECT_EQ(DpiLevelWord() & 0xFF, 0xFFu);
    EXPECT_EQ(dlg.of(3300).back().lParam, kCodeClick);
}

TEST_F(ControlsTest, TabsKeepTwoSelectionGroupsAndReportRightClicks) {
    auto* slot2 = add<CTabControl>(2051, Rect{10, 10, 60, 30}, u"2");
    add<CTabControl>(3008, Rect{70, 10, 120, 30}, u"B8");
    SetTabSelectionA(0);
    SetTabSelectionB(1);
    click(dlg, 20, 20);
    EXPECT_EQ(TabSelectionA(), 2);
    EXPECT_EQ(TabSelectionB(), 1);
    EXPECT_EQ(slot2->Look(), 3); // selected and under the pointer, group A
    click(dlg, 80, 20);
    EXPECT_EQ(TabSelectionB(), 8);
    mouse(dlg, WM_MOUSEMOVE, 20, 20);
    mouse(dlg, WM_RBUTTONUP, 20, 20);
    EXPECT_EQ(dlg.of(2051).back(), (Sent{2051, 2051, kCodeRightClick}));
}

// A caption too long for its tab is cut off inside the tab's margins: nothing is drawn in the
// columns next to either side, where the tab's edge is.
TEST_F(ControlsTest, ATabsLongCaptionKeepsClearOfItsSides) {
    auto* tab = add<CTabControl>(2052, Rect{0, 0, 60, 20}, u"IIIIIIIIIIIIIIIIIIIIIIIIIIIIIIIIIIII");
    QImage canvas(60, 20, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    QPainter p(&canvas);
    tab->Draw(p, Rect{0, 0, 60, 20});
    p.end();
    const int inset = Scaled(CTabControl::kCaptionInsetUnits);
    int inked = 0;
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 60; ++x) {
            const bool ink = canvas.pixelColor(x, y) != QColor(Qt::black);
            inked += ink;
            if (x < inset || x >= 60 - inset) {
                EXPECT_FALSE(ink) << "ink at " << x << ", " << y;
            }
        }
    }
    EXPECT_GT(inked, 0) << "the caption is drawn";
}

TEST_F(ControlsTest, HorizontalSliderStopsMidpointsAndEdges) {
    // 5 stops over 100 px with margins 10 and 10: stops at 10, 30, 50, 70, 90 (+ left 0).
    auto* slider = add<CSliderControl>(3200, Rect{0, 0, 100, 20}, 5, 10, 10);
    EXPECT_EQ(slider->StopX(0), 10);
    EXPECT_EQ(slider->StopX(1), 30);
    EXPECT_EQ(slider->StopX(4), 90);
    EXPECT_EQ(slider->ValueFromX(-50), 0);
    EXPECT_EQ(slider->ValueFromX(19), 0);
    EXPECT_EQ(slider->ValueFromX(20), 1); // exactly on the midpoint: the upper stop
    EXPECT_EQ(slider->ValueFromX(59), 2);
    EXPECT_EQ(slider->ValueFromX(60), 3);
    EXPECT_EQ(slider->ValueFromX(80), 4);
    EXPECT_EQ(slider->ValueFromX(500), 4);

    // Uneven division: 4 stops over 103 px, margins 8 and 5 → 8, 8+90/3=38, 8+180/3=68, 98.
    CSliderControl uneven(dlg.hwnd(), 1, Rect{0, 0, 103, 20}, 4, 8, 5);
    EXPECT_EQ(uneven.StopX(1), 38);
    EXPECT_EQ(uneven.StopX(2), 68);
    EXPECT_EQ(uneven.StopX(3), 98);
    EXPECT_EQ(uneven.ValueFromX(82), 2);
    EXPECT_EQ(uneven.ValueFromX(83), 3);
}

TEST_F(ControlsTest, HorizontalSliderDragsOnlyFromTheThumb) {
    auto* slider = add<CSliderControl>(3200, Rect{0, 0, 100, 20}, 5, 10, 10);
    // Press away from the thumb (value 0 → thumb 0..20): no drag, the value follows on release.
    mouse(dlg, WM_MOUSEMOVE, 70, 10);
    mouse(dlg, WM_LBUTTONDOWN, 70, 10, MK_LBUTTON);
    EXPECT_FALSE(slider->IsDragging());
    mouse(dlg, WM_LBUTTONUP, 72, 10);
    EXPECT_EQ(slider->GetValue(), 3);
    EXPECT_EQ(dlg.of(3200), (std::vector<Sent>{{3200, 0, kCodeDown}, {3200, 0, kCodeClick}}));

    // From the thumb (now 60..80) a drag reports every move with the value.
    dlg.sent.clear();
    mouse(dlg, WM_LBUTTONDOWN, 70, 10, MK_LBUTTON);
    EXPECT_TRUE(slider->IsDragging());
    mouse(dlg, WM_MOUSEMOVE, 31, 10, MK_LBUTTON);
    mouse(dlg, WM_MOUSEMOVE, 150, 30, MK_LBUTTON); // strays below and right: clamped, still followed
    EXPECT_EQ(slider->GetValue(), 4);
    mouse(dlg, WM_LBUTTONUP, 150, 30);
    EXPECT_FALSE(slider->IsDragging());
    EXPECT_EQ(dlg.of(3200),
              (std::vector<Sent>{{3200, 0, kCodeDown}, {3200, 1, kCodeDragValue}, {3200, 4, kCodeDragValue}}));
}

TEST_F(ControlsTest, VerticalSliderValuesGrowUpwards) {
    // 10 stops over 100 px (top 0, bottom 100).
    auto* slider = add<CVerticalSliderControl>(3280, Rect{0, 0, 20, 100}, 10, 0, 0);
    EXPECT_EQ(slider->ValueFromY(100), 0); // bottom edge
    EXPECT_EQ(slider->ValueFromY(99), 0);
    EXPECT_EQ(slider->ValueFromY(90), 0);
    EXPECT_EQ(slider->ValueFromY(89), 1);
    EXPECT_EQ(slider->ValueFromY(50), 4);
    EXPECT_EQ(slider->ValueFromY(49), 5);
    EXPECT_EQ(slider->ValueFromY(0), 9); // top edge
    EXPECT_EQ(slider->ValueFromY(-40), 9);
    EXPECT_EQ(slider->ValueFromY(400), 0);

    mouse(dlg, WM_MOUSEMOVE, 10, 95);
    mouse(dlg, WM_LBUTTONDOWN, 10, 95, MK_LBUTTON);
    mouse(dlg, WM_MOUSEMOVE, 10, 45, MK_LBUTTON);
    mouse(dlg, WM_LBUTTONUP, 10, 45);
    auto sent = dlg.of(3280);
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0].lParam, kCodeDown);
    EXPECT_EQ(sent[1], (Sent{3280, 5, kCodeDragValue}));
    EXPECT_EQ(sent[2].lParam, kCodeClick);
    EXPECT_EQ(slider->GetValue(), 5);
}

TEST_F(ControlsTest, ScrollBarReportsTheAreaPressed) {
    // 16 px wide: arrows 0..16 and 184..200, track 16..184 (168 px).
    auto* bar = add<CVScrollBar>(2021, Rect{0, 0, 16, 200});
    bar->SetScroll(10, 10, 40); // thumb 42 px long at 10 × 168 / 40 = 42
    ASSERT_EQ(bar->Thumb(), (Rect{0, 58, 16, 100}));
    auto pressAt = [&](int y) {
        dlg.sent.clear();
        mouse(dlg, WM_MOUSEMOVE, 8, y);
        mouse(dlg, WM_LBUTTONDOWN, 8, y, MK_LBUTTON);
        Sent down = dlg.of(2021).front();
        mouse(dlg, WM_LBUTTONUP, 8, y);
        EXPECT_EQ(dlg.of(2021).back().lParam, kCodeClick);
        return down;
    };
    EXPECT_EQ(pressAt(5), (Sent{2021, kScrollLineUp, kCodeDown}));
    EXPECT_EQ(pressAt(195), (Sent{2021, kScrollLineDown, kCodeDown}));
    EXPECT_EQ(pressAt(30), (Sent{2021, kScrollPageUp, kCodeDown}));
    EXPECT_EQ(pressAt(150), (Sent{2021, kScrollPageDown, kCodeDown}));
    EXPECT_EQ(pressAt(70), (Sent{2021, kScrollThumb, kCodeDown}));
}

TEST_F(ControlsTest, ScrollBarThumbDragReportsPositionChangesOnly) {
    auto* bar = add<CVScrollBar>(2021, Rect{0, 0, 16, 200});
    bar->SetScroll(0, 10, 40);
    mouse(dlg, WM_MOUSEMOVE, 8, 20);
    mouse(dlg, WM_LBUTTONDOWN, 8, 20, MK_LBUTTON);
    mouse(dlg, WM_MOUSEMOVE, 8, 21, MK_LBUTTON);  // offset 1 → position 1 × 40 / 169 = 0
    mouse(dlg, WM_MOUSEMOVE, 30, 62, MK_LBUTTON); // off the bar sideways; offset 42 → 42 × 40 / 169 = 9
    mouse(dlg, WM_MOUSEMOVE, 8, 500, MK_LBUTTON); // clamped to the end: position 30
    mouse(dlg, WM_LBUTTONUP, 8, 500);
    auto drags = dlg.of(2021);
    std::vector<platform::WPARAM> positions;
    for (const auto& s : drags)
        if (s.lParam == kCodeDragValue)
            positions.push_back(s.wParam);
    EXPECT_EQ(positions, (std::vector<platform::WPARAM>{9, 30}));
    EXPECT_EQ(bar->Position(), 30);
    EXPECT_EQ(drags.back().lParam, kCodeClick);
}

TEST_F(ControlsTest, ComboReportsEnteringAtMostFiveTimesThenLeavingOnce) {
    auto* combo = add<CComboButton>(2013, Rect{10, 10, 210, 36}, u"Left", 0x404u);
    for (int i = 0; i < 8; ++i)
        mouse(dlg, WM_MOUSEMOVE, 20 + i, 20);
    mouse(dlg, WM_MOUSEMOVE, 300, 200);
    mouse(dlg, WM_MOUSEMOVE, 310, 200);
    auto sent = dlg.of(0x404);
    ASSERT_EQ(sent.size(), 6u);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(sent[std::size_t(i)], (Sent{0x404, 2013, kCodeEnter}));
    EXPECT_EQ(sent[5], (Sent{0x404, 2013, kCodeLeave}));

    dlg.sent.clear();
    combo->SetOff(true);
    click(dlg, 20, 20);
    EXPECT_EQ(dlg.of(2013), (std::vector<Sent>{{2013, 0, kCodeDown}}));
    EXPECT_EQ(dlg.of(0x404).back(), (Sent{0x404, 2013, kCodeClick}));
}

TEST_F(ControlsTest, LinkAlwaysReportsAs3503) {
    add<CLinkButton>(3021, Rect{10, 10, 110, 30}, u"site");
    click(dlg, 20, 20);
    mouse(dlg, WM_MOUSEMOVE, 300, 200);
    std::vector<LPARAM> codes;
    for (const auto& s : dlg.of(3503))
        codes.push_back(s.lParam);
    EXPECT_EQ(codes, (std::vector<LPARAM>{kCodeEnter, kCodeDown, kCodeClick, kCodeLeave}));
}

TEST_F(ControlsTest, PowerDialChoosesBySector) {
    auto* dial = add<CPowerManageButton>(3500, Rect{0, 0, 120, 120});
    // Straight up is the border of sectors 5 and 6; just right of it lies sector 6 (7 minutes).
    click(dlg, 64, 8);
    EXPECT_EQ(dial->GetChoice(), 7);
    EXPECT_EQ(dlg.of(3500).back(), (Sent{3500, 0, kCodeClick}));
    // Left of centre, level: sector 3 (4 minutes); the bottom gap and the hub choose nothing.
    click(dlg, 6, 60);
    EXPECT_EQ(dial->GetChoice(), 4);
    dlg.sent.clear();
    click(dlg, 60, 115);
    click(dlg, 60, 60);
    EXPECT_TRUE(dlg.of(3500).empty());
    EXPECT_EQ(dial->GetChoice(), 4);
    EXPECT_EQ(dial->RegionAt(60, 60), 0);
    EXPECT_EQ(dial->RegionAt(60, 115), 1);
}

TEST_F(ControlsTest, ColourCheckReportsDoubleClicks) {
    auto* swatch = add<CColorSelectCheckButton>(3180, Rect{10, 10, 34, 34}, Rect{14, 14, 30, 30});
    EXPECT_EQ(swatch->GetColor(), 0x00FF00u);
    click(dlg, 20, 20);
    mouse(dlg, WM_LBUTTONDBLCLK, 20, 20);
    std::vector<LPARAM> codes;
    for (const auto& s : dlg.of(3180))
        codes.push_back(s.lParam);
    EXPECT_EQ(codes, (std::vector<LPARAM>{kCodeDown, kCodeClick, kCodeDoubleClick}));
    EXPECT_TRUE(swatch->IsChecked());
}

class ListTest : public ControlsTest {
protected:
    void SetUp() override {
        ControlsTest::SetUp();
        auto& library = macro::TheMacroLibrary();
        library.Clear();
        library.AddFolderAt(macro::MacroLocation::At(0), u"Games", true);
        library.AddMacroAt(macro::MacroLocation::At(0, 0), u"Burst", std::make_unique<model::MacroRecord>());
        library.AddFolderAt(macro::MacroLocation::At(0, 1), u"Closed", false);
        library.AddMacroAt(macro::MacroLocation::At(0, 1, 0), u"Hidden", std::make_unique<model::MacroRecord>());
        library.AddMacroAt(macro::MacroLocation::At(1), u"Top", std::make_unique<model::MacroRecord>());
        macro::CurrentMacroLocation() = macro::MacroLocation::None();
    }
    void TearDown() override {
        macro::TheMacroLibrary().Clear();
        ControlsTest::TearDown();
    }
};

TEST_F(ListTest, TreeRowsAreDepthFirstUnderOpenFolders) {
    auto* tree = add<CEditShowList>(2015, Rect{0, 0, 200, 200}, macro::TheMacroLibrary());
    auto rows = tree->Rows();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].name, u"Games");
    EXPECT_EQ(rows[1].name, u"Burst");
    EXPECT_EQ(rows[2].name, u"Closed");
    EXPECT_EQ(rows[2].depth, 1);
    EXPECT_EQ(rows[3].name, u"Top");
}

TEST_F(ListTest, TreePressSelectsAndTheIconAreaFlipsTheFolder) {
    auto* tree = add<CEditShowList>(2015, Rect{0, 0, 200, 200}, macro::TheMacroLibrary());
    tree->SetFolderImages(SkinFile("foldr_open.png"), SkinFile("foldr_close.png"));
    // Row 2 is "Closed" at depth 1: its icon area reaches 16 × (1 + 1) = 32 px.
    click(dlg, 100, 45);
    EXPECT_EQ(tree->SelectedRow(), 2);
    EXPECT_EQ(macro::CurrentMacroLocation(), macro::MacroLocation::At(0, 1));
    EXPECT_EQ(tree->Rows().size(), 4u); // a press on the name leaves it closed
    click(dlg, 31, 45);
    EXPECT_EQ(tree->Rows().size(), 5u);
    EXPECT_EQ(dlg.of(2015).back().lParam, kCodeClick);

    // Below the last row nothing is selected and the current location is cleared.
    click(dlg, 100, 190);
    EXPECT_EQ(tree->SelectedRow(), -1);
    EXPECT_EQ(macro::CurrentMacroLocation().stage, -1);
}

TEST_F(ListTest, TreeDoubleClickFlipsAndRightClickCarriesThePoint) {
    auto* tree = add<CEditShowList>(2015, Rect{0, 0, 200, 200}, macro::TheMacroLibrary());
    mouse(dlg, WM_MOUSEMOVE, 100, 5);
    mouse(dlg, WM_LBUTTONDBLCLK, 100, 5);
    EXPECT_EQ(tree->Rows().size(), 2u); // "Games" closed: only it and "Top" stay
    EXPECT_EQ(dlg.of(2015).back().lParam, kCodeDoubleClick);

    mouse(dlg, WM_MOUSEMOVE, 120, 25);
    mouse(dlg, WM_RBUTTONUP, 120, 25);
    Sent right = dlg.of(2015).back();
    ASSERT_EQ(right.lParam, kCodeRightClick);
    const auto* point = reinterpret_cast<const ClickPoint*>(right.wParam);
    EXPECT_EQ(point->x, 120);
    EXPECT_EQ(point->y, 25);
    EXPECT_EQ(macro::CurrentMacroLocation(), macro::MacroLocation::At(1));
}

TEST_F(ListTest, ActionListSelectsWithoutNotifyingUntilRelease) {
    model::MacroRecord record;
    record.InsertAction(0, model::MakeKeyEvent('A', false));
    record.InsertAction(1, model::MakeDelay(50));
    record.InsertAction(2, model::MakeKeyEvent('A', true));
    auto* list = add<CImageShowList>(2020, Rect{0, 0, 200, 200});
    list->SetMacro(&record);
    EXPECT_EQ(list->RowCount(), 3);
    mouse(dlg, WM_MOUSEMOVE, 50, 30);
    mouse(dlg, WM_LBUTTONDOWN, 50, 30, MK_LBUTTON);
    EXPECT_EQ(list->SelectedRow(), 1);
    EXPECT_TRUE(dlg.of(2020).empty());
    mouse(dlg, WM_LBUTTONUP, 50, 30);
    mouse(dlg, WM_LBUTTONDBLCLK, 50, 30);
    std::vector<LPARAM> codes;
    for (const auto& s : dlg.of(2020))
        codes.push_back(s.lParam);
    EXPECT_EQ(codes, (std::vector<LPARAM>{kCodeClick, kCodeDoubleClick}));
    // Below the last action the selection stays.
    mouse(dlg, WM_LBUTTONDOWN, 50, 150, MK_LBUTTON);
    EXPECT_EQ(list->SelectedRow(), 1);
}

} // namespace

namespace {

TEST_F(ControlsTest, ColourSwatchMovesWithItsButton) {
    auto* swatch = add<CColorSelectButton>(3270, Rect{0, 0, 24, 24}, Rect{4, 4, 20, 20});
    swatch->SetColor(0x0000FF); // red, as a stored colour value
    swatch->SetRect(40, 10, 64, 34);
    QImage canvas(80, 40, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    QPainter p(&canvas);
    swatch->Draw(p, Rect{0, 0, 80, 40});
    p.end();
    EXPECT_EQ(canvas.pixelColor(52, 22), QColor(255, 0, 0));
    EXPECT_EQ(canvas.pixelColor(12, 12), QColor(Qt::black));
}

} // namespace
