// The lighting page end to end: the effect list, speed, brightness and direction, the colour
// slots with their deselect rule and the palette, and what shows for which effect.
#include "MainWindowHarness.h"

#include "model/LanguageTable.h"
#include "ui/main/ColorPaletteDlg.h"
#include "ui/main/ComboLightingPopup.h"
#include "ui/main/LightingPage.h"
#include "ui/main/MainIds.h"
#include "ui/skin/AttentionDlg.h"
#include "ui/skin/Buttons.h"
#include "ui/skin/Sliders.h"

#include <QFontMetrics>

#include <functional>
#include <map>
#include <optional>

namespace quorvik::test {
namespace {

using device::Form;
using device::SettingGroup;
using namespace ui::main_ids;

constexpr model::Colour kPaletteRed = model::MakeColour(255, 0, 0);

class LightingPageTest : public MainWindowTest {
protected:
    void startAt(double scale) {
        platform::SetDisplayScaleFactor(scale);
        start("0", {Form::Wired});
    }
    void TearDown() override {
        ui::CDlgBase::OnNextDialogShown({});
        MainWindowTest::TearDown();
        platform::SetDisplayScaleFactor(1.0);
    }

    ui::CControlBase* control(int id) { return dlg().FindControl(id); }
    ui::CSliderControl* slider(int id) { return dlg().FindControlAs<ui::CSliderControl>(id); }
    ui::CColorSelectCheckButton* check(int slot) {
        return dlg().FindControlAs<ui::CColorSelectCheckButton>(kColourCheck + slot);
    }
    bool marked() { return core().Download().IsMarked(SettingGroup::SensorLighting); }

    // A profile file that selects `effect`, shown as the window shows a loaded profile.
    void selectEffect(int effect) {
        profile().Lighting1ModeValue[0] = std::uint8_t(effect);
        dlg().RefreshAllPages();
    }
    // The lighting reports the mouse received since the last call.
    std::vector<device::Report> lightingReports() {
        std::vector<device::Report> found;
        for (const auto& report : takeReports())
            if (report[device::kOffCommand] == device::kCmdLighting)
                found.push_back(report);
        return found;
    }
    // Lets the download run and its pacing pass; the lighting report, when exactly one came.
    std::optional<device::Report> theOneLightingReport() {
        loop.advance(1000);
        auto reports = lightingReports();
        EXPECT_EQ(reports.size(), 1u);
        return reports.size() == 1 ? std::optional(reports[0]) : std::nullopt;
    }

    void pointer(unsigned message, int x, int y) {
        mouse(dlg(), message, x, y, message == platform::WM_LBUTTONUP ? 0 : platform::MK_LBUTTON);
    }
    // Drags a slider's knob to stop `to` and keeps the button down.
    void dragSlider(int id, int to) {
        ui::CSliderControl* s = slider(id);
        const int y = (s->rect().top + s->rect().bottom) / 2;
        mouse(dlg(), platform::WM_MOUSEMOVE, s->StopX(s->GetValue()), y);
        pointer(platform::WM_LBUTTONDOWN, s->StopX(s->GetValue()), y);
        pointer(platform::WM_MOUSEMOVE, s->StopX(to), y);
    }
    void releaseSlider(int id, int at) {
        ui::CSliderControl* s = slider(id);
        pointer(platform::WM_LBUTTONUP, s->StopX(at), (s->rect().top + s->rect().bottom) / 2);
    }

    // Chooses entry `index` (0 … 7) of the effect list through the selector.
    void chooseEntry(int index) {
        clickControl(kEffectSelector);
        const platform::WindowHandle list = dlg().Popup(kPopupSlotControl);
        ASSERT_NE(list, 0u);
        const int x = ui::Scaled(94);
        const int y = index * ui::Scaled(22) + ui::Scaled(11);
        loop.send(list, platform::WM_MOUSEMOVE, 0, platform::MakePointParam(x, y));
        loop.send(list, platform::WM_LBUTTONUP, 0, platform::MakePointParam(x, y));
        loop.runUntilIdle();
    }

    // The next attention dialog's message, answered with OK.
    void expectMessage(std::u16string& told) {
        ui::CDlgBase::OnNextDialogShown([&told](ui::CDlgBase& message) {
            told = message.FindControl(ui::CAttentionDlg::kMessageId)->text();
            message.EndDialog(platform::IDOK);
        });
    }
    // A double-click on colour slot `slot`, as the platform reports one; `inPalette` acts on the
    // palette it opens.
    void doubleClickSlot(int slot, const std::function<void(ui::CDlgBase&)>& inPalette) {
        const ui::Rect& r = check(slot)->rect();
        const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
        ui::CDlgBase::OnNextDialogShown(inPalette);
        click(dlg(), x, y);
        mouse(dlg(), platform::WM_LBUTTONDBLCLK, x, y, platform::MK_LBUTTON);
        mouse(dlg(), platform::WM_LBUTTONUP, x, y);
    }
    // Takes the first ready colour of the palette, then clicks `button`.
    void pickRedAnd(ui::CDlgBase& palette, int button) {
        click(palette, ui::Scaled(260), ui::Scaled(40));
        const ui::Rect& b = palette.FindControl(button)->rect();
        click(palette, (b.left + b.right) / 2, (b.top + b.bottom) / 2);
    }
};

TEST_F(LightingPageTest, TheEffectListSetsTheEffectAndItsNameAndSendsIt) {
    startAt(1.0);
    EXPECT_EQ(control(kEffectSelector)->text(), model::LanguageText(100));

    clickControl(kEffectSelector);
    const platform::WindowHandle list = dlg().Popup(kPopupSlotControl);
    ASSERT_NE(list, 0u);
    // It hangs below the selector, one 188 × 22 row per entry.
    const QRect shown = platform::WindowFromHandle(list)->geometry();
    const QPoint selectorBottom =
        native()->mapToGlobal(QPoint(control(kEffectSelector)->rect().left, control(kEffectSelector)->rect().bottom));
    EXPECT_GE(shown.top(), selectorBottom.y());
    EXPECT_EQ(shown.size(), QSize(188, 8 * 22));
    // A second click folds it away.
    clickControl(kEffectSelector);
    loop.runUntilIdle();
    EXPECT_EQ(dlg().Popup(kPopupSlotControl), 0u);

    chooseEntry(7); // the last entry: lighting off
    EXPECT_EQ(profile().Lighting1ModeValue[0], 0);
    EXPECT_EQ(profile().Lighting1Name, model::LanguageText(109));
    EXPECT_EQ(control(kEffectSelector)->text(), model::LanguageText(109));
    EXPECT_EQ(dlg().Popup(kPopupSlotControl), 0u);
    EXPECT_TRUE(marked());
    EXPECT_FALSE(control(kSpeedSlider)->isShown());
    auto report = theOneLightingReport();
    ASSERT_TRUE(report);
    EXPECT_EQ((*report)[device::kOffLength], 2);
    EXPECT_EQ((*report)[7], 0);
    EXPECT_FALSE(marked());

    chooseEntry(5); // reactive, effect 6
    EXPECT_EQ(profile().Lighting1ModeValue[0], 6);
    EXPECT_EQ(profile().Lighting1Name, model::LanguageText(105));
    EXPECT_TRUE(check(4)->isShown());
    EXPECT_FALSE(check(5)->isShown());
    report = theOneLightingReport();
    ASSERT_TRUE(report);
    EXPECT_EQ((*report)[7], 6);

    // Losing activation closes the list. When a press on the selector took the activation, its
    // click folds the list away rather than opening it again.
    clickControl(kEffectSelector);
    ASSERT_NE(dlg().Popup(kPopupSlotControl), 0u);
    loop.send(dlg().Popup(kPopupSlotControl), platform::WM_ACTIVATE, platform::WA_INACTIVE, 0);
    {
        // The press that took the activation, on the spot the pointer already rests on.
        const ui::Rect& r = control(kEffectSelector)->rect();
        pointer(platform::WM_LBUTTONDOWN, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
        pointer(platform::WM_LBUTTONUP, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    loop.runUntilIdle();
    EXPECT_EQ(dlg().Popup(kPopupSlotControl), 0u);
    // The selector does not keep its hover look once the pointer leaves it.
    mouse(dlg(), platform::WM_MOUSEMOVE, ui::Scaled(600), ui::Scaled(600));
    EXPECT_EQ(control(kEffectSelector)->mouseState(), ui::kStateNormal);
    // Activation lost to anything else: the next click on the selector opens it.
    clickControl(kEffectSelector);
    ASSERT_NE(dlg().Popup(kPopupSlotControl), 0u);
    mouse(dlg(), platform::WM_MOUSEMOVE, ui::Scaled(600), ui::Scaled(600));
    loop.send(dlg().Popup(kPopupSlotControl), platform::WM_ACTIVATE, platform::WA_INACTIVE, 0);
    loop.runUntilIdle();
    EXPECT_EQ(dlg().Popup(kPopupSlotControl), 0u);
    clickControl(kEffectSelector);
    ASSERT_NE(dlg().Popup(kPopupSlotControl), 0u);
    // The list goes with its page.
    clickControl(kHeaderLighting);
    loop.runUntilIdle();
    EXPECT_EQ(dlg().Popup(kPopupSlotControl), 0u);
    EXPECT_TRUE(lightingReports().empty());
}

TEST_F(LightingPageTest, ASpeedDragSendsNothingUntilTheReleaseSendsOneReport) {
    startAt(1.0);
    ASSERT_EQ(profile().Lighting1ModeValue[0], 1);
    EXPECT_EQ(slider(kSpeedSlider)->GetValue(), 1);
    EXPECT_EQ(control(kSpeedText)->text(), u"2");

    dragSlider(kSpeedSlider, 2);
    EXPECT_EQ(profile().Lighting1Speed[1], 2);
    EXPECT_EQ(control(kSpeedText)->text(), u"3");
    EXPECT_TRUE(marked());
    loop.advance(1000);
    EXPECT_TRUE(lightingReports().empty());

    dragSlider(kSpeedSlider, 0); // still held: back to the slow end
    EXPECT_EQ(profile().Lighting1Speed[1], 0);
    releaseSlider(kSpeedSlider, 0);
    EXPECT_EQ(control(kSpeedText)->text(), u"1");
    const auto report = theOneLightingReport();
    ASSERT_TRUE(report);
    EXPECT_EQ((*report)[7], 1);
    EXPECT_EQ((*report)[8] & 0x0F, 1); // speed + 1
    EXPECT_FALSE(marked());
}

TEST_F(LightingPageTest, BrightnessShowsItsPercentOnRefreshWhileDraggingAndOnRelease) {
    startAt(1.0);
    selectEffect(3);
    ASSERT_TRUE(control(kBrightnessSlider)->isShown());
    EXPECT_EQ(control(kBrightnessText)->text(), u"100%");
    dragSlider(kBrightnessSlider, 0);
    EXPECT_EQ(control(kBrightnessText)->text(), u"25%");
    EXPECT_EQ(profile().Lighting1Brightness[3], 0);
    loop.advance(1000);
    EXPECT_TRUE(lightingReports().empty());
    releaseSlider(kBrightnessSlider, 1);
    EXPECT_EQ(control(kBrightnessText)->text(), u"50%");
    EXPECT_EQ(profile().Lighting1Brightness[3], 1);
    const auto report = theOneLightingReport();
    ASSERT_TRUE(report);
    EXPECT_EQ((*report)[8] >> 4, 2);           // brightness + 1
    EXPECT_EQ(profile().Lighting1Speed[1], 1); // other effects keep theirs
}

TEST_F(LightingPageTest, DirectionRadiosSetTheDirectionOfTheEffect) {
    startAt(1.0);
    auto* down = dlg().FindControlAs<ui::CRadioButton>(kDirectionDown);
    EXPECT_TRUE(down->IsSelected()); // effect 1 starts with direction 1
    clickControl(kDirectionUp);
    EXPECT_FALSE(down->IsSelected());
    EXPECT_EQ(profile().Lighting1Direction[1], 0);
    auto report = theOneLightingReport();
    ASSERT_TRUE(report);
    EXPECT_EQ((*report)[9], 0);
    clickControl(kDirectionDown);
    EXPECT_EQ(profile().Lighting1Direction[1], 1);
    report = theOneLightingReport();
    ASSERT_TRUE(report);
    EXPECT_EQ((*report)[9], 1);
}

TEST_F(LightingPageTest, ColourSlotsToggleAfterTheDelayWithinTheDeselectRule) {
    startAt(1.0);
    profile().Lighting1ColorSelected[6] = {1, 1, 0, 0, 0, 0, 0, 0, 0, 0};
    selectEffect(6);
    std::u16string told;

    // Two of the reactive effect's colours: slot 0 stays, and the user is told why.
    expectMessage(told);
    clickControl(kColourCheck);
    loop.advance(100);
    EXPECT_TRUE(told.empty()); // the toggle waits for a possible second click
    loop.advance(60);
    EXPECT_EQ(told, model::LanguageText(154));
    EXPECT_TRUE(check(0)->IsChecked());
    EXPECT_EQ(profile().Lighting1ColorSelected[6][0], 1);
    EXPECT_FALSE(marked());
    loop.advance(1000);
    EXPECT_TRUE(lightingReports().empty());

    // A third colour: now slot 0 may go.
    clickControl(kColourCheck + 2);
    loop.advance(200);
    EXPECT_EQ(profile().Lighting1ColorSelected[6][2], 1);
    EXPECT_TRUE(check(2)->IsChecked());
    ASSERT_TRUE(theOneLightingReport());
    told.clear();
    clickControl(kColourCheck);
    loop.advance(200);
    EXPECT_TRUE(told.empty());
    EXPECT_FALSE(check(0)->IsChecked());
    EXPECT_EQ(profile().Lighting1ColorSelected[6][0], 0);
    const auto report = theOneLightingReport();
    ASSERT_TRUE(report);
    EXPECT_EQ((*report)[9], 0); // colour 0 is sent as black now
    EXPECT_EQ((*report)[12], 0x00);
    EXPECT_EQ((*report)[13], 0xFF); // colour 1 is green

    // The steady effect lets none go.
    selectEffect(3);
    expectMessage(told);
    clickControl(kColourCheck);
    loop.advance(200);
    EXPECT_EQ(told, model::LanguageText(153));
    EXPECT_TRUE(check(0)->IsChecked());
    EXPECT_EQ(profile().Lighting1ColorSelected[3][0], 1);
}

TEST_F(LightingPageTest, ADoubleClickOpensThePaletteInsteadOfToggling) {
    startAt(1.0);
    selectEffect(2);
    const auto selectedBefore = profile().Lighting1ColorSelected[2];

    doubleClickSlot(1, [this](ui::CDlgBase& palette) { pickRedAnd(palette, ui::CColorPaletteDlg::kCloseId); });
    loop.advance(1000);
    EXPECT_EQ(profile().Lighting1ColorSelected[2], selectedBefore);
    EXPECT_TRUE(check(1)->IsChecked());
    EXPECT_EQ(profile().Lighting1FixedColor[2][1], model::MakeColour(0, 255, 0));
    EXPECT_FALSE(marked());
    EXPECT_TRUE(lightingReports().empty());

    doubleClickSlot(1, [this](ui::CDlgBase& palette) { pickRedAnd(palette, ui::CColorPaletteDlg::kOkId); });
    EXPECT_EQ(profile().Lighting1FixedColor[2][1], kPaletteRed);
    EXPECT_EQ(check(1)->GetColor(), kPaletteRed);
    const auto report = theOneLightingReport();
    ASSERT_TRUE(report);
    EXPECT_EQ(profile().Lighting1ColorSelected[2], selectedBefore);
    EXPECT_TRUE(check(1)->IsChecked());
    // Effect 2 sends its selected colours in order: red, then red again for slot 1.
    EXPECT_EQ((*report)[9], 7);
    EXPECT_EQ((*report)[13], 0xFF);
    EXPECT_EQ((*report)[14], 0x00);

    // The second press of a double-click may be lost in the palette: the next click still toggles.
    const ui::Rect& r = check(5)->rect();
    ui::CDlgBase::OnNextDialogShown([](ui::CDlgBase& palette) { palette.EndDialog(platform::IDCANCEL); });
    click(dlg(), (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    mouse(dlg(), platform::WM_LBUTTONDBLCLK, (r.left + r.right) / 2, (r.top + r.bottom) / 2, platform::MK_LBUTTON);
    EXPECT_TRUE(check(5)->IsChecked());
    click(dlg(), (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    loop.advance(200);
    EXPECT_EQ(profile().Lighting1ColorSelected[2][5], 0);
    EXPECT_FALSE(check(5)->IsChecked());
}

TEST_F(LightingPageTest, EffectsSevenAndEightFromAFileShowAndEdit) {
    startAt(1.0);
    selectEffect(7);
    EXPECT_TRUE(check(0)->isShown());
    EXPECT_TRUE(check(1)->isShown());
    EXPECT_FALSE(check(2)->isShown());
    EXPECT_TRUE(control(kSpeedSlider)->isShown());
    std::u16string told;
    clickControl(kColourCheck); // slot 1 is still selected: slot 0 may go
    loop.advance(200);
    EXPECT_EQ(profile().Lighting1ColorSelected[7][0], 0);
    ASSERT_TRUE(theOneLightingReport());
    expectMessage(told);
    clickControl(kColourCheck + 1);
    loop.advance(200);
    EXPECT_EQ(told, model::LanguageText(153));
    EXPECT_EQ(profile().Lighting1ColorSelected[7][1], 1);

    selectEffect(8);
    EXPECT_FALSE(check(0)->isShown());
    dragSlider(kSpeedSlider, 2);
    releaseSlider(kSpeedSlider, 2);
    EXPECT_EQ(profile().Lighting1Speed[8], 2);
    const auto report = theOneLightingReport();
    ASSERT_TRUE(report);
    EXPECT_EQ((*report)[7], 8);
}

TEST_F(LightingPageTest, AClickWaitingToToggleASlotGoesWithItsEffectAndItsPage) {
    startAt(1.0);
    // Slot 1 shows for both effects, and either could let it go without a word.
    profile().Lighting1ColorSelected[2] = {1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
    profile().Lighting1ColorSelected[6] = {1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
    selectEffect(2);
    const auto before = profile().Lighting1ColorSelected;

    // The effect changes before the click's delay has passed.
    clickControl(kColourCheck + 1);
    chooseEntry(5); // reactive, effect 6
    ASSERT_EQ(profile().Lighting1ModeValue[0], 6);
    EXPECT_TRUE(theOneLightingReport()); // the effect itself
    EXPECT_EQ(profile().Lighting1ColorSelected, before);
    EXPECT_TRUE(check(1)->IsChecked());
    EXPECT_FALSE(marked());

    // The page closes before the delay has passed.
    clickControl(kColourCheck + 1);
    clickControl(kHeaderLighting);
    ASSERT_FALSE(dlg().FindControlAs<ui::CCheckButton>(kHeaderLighting)->IsChecked());
    loop.advance(1000);
    EXPECT_EQ(profile().Lighting1ColorSelected, before);
    EXPECT_FALSE(marked());
    EXPECT_TRUE(lightingReports().empty());

    // Open again, a click that waits its delay out still toggles.
    clickControl(kHeaderLighting);
    EXPECT_TRUE(check(1)->IsChecked());
    clickControl(kColourCheck + 1);
    loop.advance(ui::CLightingPage::kToggleDelayMs + 10);
    EXPECT_EQ(profile().Lighting1ColorSelected[6][1], 0);
    EXPECT_FALSE(check(1)->IsChecked());
    EXPECT_TRUE(theOneLightingReport());
}

// Which controls show for an effect, in the order of the visibility table.
struct Expected {
    int effect;
    int shownSlots; // slots 0 … shownSlots - 1 show
    bool speed, brightness, direction;
};
constexpr Expected kExpected[] =
    {
        {1, 0, true, false, true},    {2, 7, true, false, false},  {3, 1, false, true, false},
        {6, 5, false, false, false},  {0, 0, false, false, false}, {7, 2, true, false, false},
        {12, 0, false, false, false}, // a file's effect outside 0 … 9 selects nothing
};

class LightingPageLookTest : public LightingPageTest, public ::testing::WithParamInterface<double> {};

TEST_P(LightingPageLookTest, EachEffectShowsItsControlsInsideThePageWithoutOverlaps) {
    startAt(GetParam());
    auto* page = dynamic_cast<ui::CLightingPage*>(dlg().PageFor(kEffectSelector));
    ASSERT_NE(page, nullptr);
    for (const Expected& e : kExpected) {
        SCOPED_TRACE(e.effect);
        selectEffect(e.effect);
        std::map<int, bool> expected = {{kEffectSelector, true},
                                        {kLightingText1, e.shownSlots > 0},
                                        {kSpeedSlider, e.speed},
                                        {kSpeedImage, e.speed},
                                        {kSpeedText, e.speed},
                                        {kLightingText1 + 2, e.speed},
                                        {kBrightnessSlider, e.brightness},
                                        {kBrightnessImage, e.brightness},
                                        {kBrightnessText, e.brightness},
                                        {kLightingText1 + 1, e.brightness},
                                        {kDirectionUp, e.direction},
                                        {kDirectionDown, e.direction},
                                        {kLightingText1 + 3, e.direction}};
        for (int k = 0; k < 8; ++k)
            expected[kColourCheck + k] = k < e.shownSlots;

        std::vector<ui::Rect> shown;
        for (const auto& [id, visible] : expected) {
            ui::CControlBase* c = control(id);
            ASSERT_NE(c, nullptr) << id;
            EXPECT_EQ(c->isLive(), visible) << id;
            if (!visible)
                continue;
            const ui::Rect& r = c->rect();
            const ui::Rect& content = page->ContentRect();
            EXPECT_TRUE(r.left >= content.left && r.right <= content.right && r.top >= content.top &&
                        r.bottom <= content.bottom)
                << id;
            // A slider sits on its stop marks; nothing else shares space.
            if (id != kSpeedImage && id != kBrightnessImage)
                shown.push_back(r);
        }
        for (std::size_t a = 0; a < shown.size(); ++a)
            for (std::size_t b = a + 1; b < shown.size(); ++b)
                EXPECT_FALSE(shown[a].intersects(shown[b])) << a << " " << b;

        // What is drawn: the swatches that show carry their colours; hidden ones draw nothing.
        const QImage image = native()->grab().toImage();
        ASSERT_EQ(image.width(), ui::Scaled(1127));
        for (int k = 0; k < 8; ++k) {
            const ui::Rect& r = check(k)->rect();
            const QColor centre = image.pixelColor((r.left + r.right) / 2, (r.top + r.bottom) / 2);
            if (e.effect > 9)
                continue;
            const model::Colour colour = profile().Lighting1FixedColor[std::size_t(e.effect)][std::size_t(k)];
            if (k < e.shownSlots) {
                EXPECT_EQ(ui::ToColorValue(centre), colour) << k;
            } else if (colour != 0) {
                EXPECT_NE(ui::ToColorValue(centre), colour) << k; // e.g. reactive's slots 5 … 7
            }
        }
        // Labels and values fit their boxes (the selector leaves room for its arrow), and the page
        // fits the window.
        for (int id : {kLightingText1, kLightingText1 + 1, kLightingText1 + 2, kLightingText1 + 3, kSpeedText,
                       kBrightnessText, kEffectSelector}) {
            ui::CControlBase* c = control(id);
            const int room = c->rect().width() - (id == kEffectSelector ? ui::Scaled(30) : 0);
            EXPECT_LE(QFontMetrics(c->font()).horizontalAdvance(QString::fromStdU16String(c->text())), room) << id;
        }
        EXPECT_LE(page->ContentRect().bottom, ui::Scaled(kWindowHeightUnits));
    }
    // The rows stack under the selector: the first row starts at the same place for every effect.
    selectEffect(1);
    const int speedTop = control(kSpeedSlider)->rect().top;
    selectEffect(2);
    EXPECT_GT(control(kSpeedSlider)->rect().top, speedTop);
    EXPECT_EQ(check(0)->rect().top, speedTop);
}

TEST_P(LightingPageLookTest, ThePageEndsBelowItsLastRowAndThePagesBelowFollow) {
    startAt(GetParam());
    auto* page = dynamic_cast<ui::CLightingPage*>(dlg().PageFor(kEffectSelector));
    ASSERT_NE(page, nullptr);
    ui::CControlBase* nextHeader = control(kHeaderPollingRate);
    // The gap between the page's end and the next header stays the same, whatever the height.
    auto gapBelow = [&] { return nextHeader->rect().top - page->ContentRect().bottom; };
    ASSERT_EQ(profile().SelectedEffect(), 1); // two rows: speed and direction
    EXPECT_EQ(page->ContentRect().height(), ui::Scaled(ui::CLightingPage::kContentHeightUnits));
    const int gap = gapBelow();
    const int twoRowsHeader = nextHeader->rect().top;

    chooseEntry(5); // reactive: the colours only
    EXPECT_EQ(page->ContentRect().bottom, check(0)->rect().bottom + ui::Scaled(10));
    EXPECT_EQ(gapBelow(), gap);
    EXPECT_EQ(nextHeader->rect().top, twoRowsHeader - ui::Scaled(48));
    chooseEntry(7); // lighting off: the selector alone
    EXPECT_EQ(page->ContentRect().bottom, control(kEffectSelector)->rect().bottom + ui::Scaled(10));
    EXPECT_EQ(gapBelow(), gap);
    // A loaded profile's effect resizes the page as well, and an open page below moves with it.
    selectEffect(2);
    EXPECT_EQ(nextHeader->rect().top, twoRowsHeader);
    clickControl(kHeaderDpi); // closed, so that the polling-rate page may open beside the lighting
    clickControl(kHeaderPollingRate);
    ASSERT_TRUE(page->IsOpen());
    ASSERT_TRUE(dlg().FindControlAs<ui::CCheckButton>(kHeaderPollingRate)->IsChecked());
    const int rateSelectorTop = control(kRateSelector)->rect().top;
    selectEffect(6);
    EXPECT_EQ(gapBelow(), gap);
    EXPECT_EQ(control(kRateSelector)->rect().top, rateSelectorTop - ui::Scaled(48));
    EXPECT_TRUE(control(kRateSelector)->isLive());
}

INSTANTIATE_TEST_SUITE_P(Scales, LightingPageLookTest, ::testing::Values(1.0, 2.0));

} // namespace
} // namespace quorvik::test
