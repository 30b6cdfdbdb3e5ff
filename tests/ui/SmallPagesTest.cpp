// The polling-rate, lift-off and debounce pages and the power controls, driven through their
// controls with the mouse: what each edit writes into the profile, which group it marks, and
// what the mouse receives; the pages as drawn at both display factors; a run's edits surviving
// the program's end and start.
#include "SmallPagesSupport.h"

#include "model/ConfigPairs.h"
#include "model/ProfileFile.h"
#include "ui/main/ComboPollingRatePopup.h"
#include "ui/main/MainLayout.h"
#include "ui/skin/Displays.h"
#include "ui/skin/ProgramWords.h"
#include "ui/skin/WndPopup.h"

namespace quorvik::test {
namespace {

using device::Form;
using device::SettingGroup;
using namespace ui::main_ids;
using Codes = std::vector<std::uint8_t>;

class PollingRateTest : public SmallPagesTest {
protected:
    void SetUp() override {
        SmallPagesTest::SetUp();
        start("0", {Form::Wired});
        openPage(kHeaderPollingRate);
    }
    ui::CComboButton* selector() { return control<ui::CComboButton>(kRateSelector); }
    platform::WindowHandle list() { return dlg().Popup(kPopupSlotControl); }
    // A click on entry `index` of the open list, where the user's pointer would be.
    void chooseInList(int index) {
        const platform::WindowHandle popup = list();
        ASSERT_NE(popup, 0u);
        const int row = ui::Scaled(ui::CComboPollingRatePopup::kRowHeightUnits);
        const int y = index * row + row / 2;
        loop.send(popup, platform::WM_MOUSEMOVE, 0, platform::MakePointParam(20, y));
        loop.send(popup, platform::WM_LBUTTONDOWN, platform::MK_LBUTTON, platform::MakePointParam(20, y));
        loop.send(popup, platform::WM_LBUTTONUP, 0, platform::MakePointParam(20, y));
        loop.runUntilIdle();
    }
};

TEST_F(PollingRateTest, ARateButtonIsSentAtOnceWithItsOwnName) {
    clickControl(kRateRadio + 3);
    EXPECT_EQ(profile().PollingRateName, u"1000HZ");
    EXPECT_EQ(profile().PollingRateValue[0], 3);
    EXPECT_TRUE(marked(SettingGroup::SensorLighting));
    EXPECT_EQ(codesAfterDownload(), Codes{device::kCmdReportRate});
    EXPECT_EQ(mouse_->state().reportInterval, 1);

    clickControl(kRateRadio + 2);
    EXPECT_EQ(profile().PollingRateName, u"500HZ");
    EXPECT_EQ(profile().PollingRateValue[0], 2);
    EXPECT_EQ(codesAfterDownload(), Codes{device::kCmdReportRate});
    EXPECT_EQ(mouse_->state().reportInterval, 2);
    // The pages show it: one button chosen, its label lit, the selector naming the rate.
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(control<ui::CRadioButton>(kRateRadio + i)->IsSelected(), i == 2) << i;
    EXPECT_EQ(control<ui::CStaticText>(kRateText + 2)->Colour(), ui::Rgb(ui::kTextHover));
    EXPECT_EQ(control<ui::CStaticText>(kRateText + 1)->Colour(), ui::Rgb(ui::kTextNormal));
    EXPECT_EQ(selector()->text(), model::LanguageText(302));
}

TEST_F(PollingRateTest, TheListsChoiceIsSentAtOnceWithItsOwnNameShownAsTheButtonsWriteIt) {
    clickControl(kRateSelector);
    ASSERT_NE(list(), 0u);
    const platform::WindowHandle opened = list();
    chooseInList(0);
    EXPECT_EQ(profile().PollingRateName, u"125Hz");
    EXPECT_EQ(profile().PollingRateValue[0], 0);
    EXPECT_FALSE(loop.isWindow(opened)); // the list closed with the choice
    EXPECT_EQ(list(), 0u);
    EXPECT_TRUE(control<ui::CRadioButton>(kRateRadio)->IsSelected());
    EXPECT_TRUE(marked(SettingGroup::SensorLighting));
    EXPECT_EQ(codesAfterDownload(), Codes{device::kCmdReportRate});
    EXPECT_EQ(mouse_->state().reportInterval, 8);

    // Whichever control stored the name, the page writes the rate one way: as its labels do.
    const std::u16string caption = model::LanguageText(300);
    ASSERT_FALSE(caption.empty());
    EXPECT_EQ(selector()->text(), caption);
    EXPECT_EQ(control<ui::CStaticText>(kRateText)->text(), caption);
    clickControl(kRateRadio);
    EXPECT_EQ(profile().PollingRateName, u"125HZ");
    EXPECT_EQ(selector()->text(), caption);
    clickControl(kRateSelector);
    auto* rows = dynamic_cast<ui::CComboPollingRatePopup*>(platform::NativeWindow::fromHandle(list())->owner());
    ASSERT_NE(rows, nullptr);
    ASSERT_EQ(rows->Items().size(), 4u);
    EXPECT_EQ(rows->Items()[3].text, model::LanguageText(303));
}

TEST_F(PollingRateTest, TheListOpensOnceAndClosesOnASecondClickOrWhenLeft) {
    clickControl(kRateSelector);
    const platform::WindowHandle first = list();
    ASSERT_NE(first, 0u);
    // Its rows start under the selector, as wide as it, the current rate first in line.
    auto* window = platform::NativeWindow::fromHandle(first);
    const QPoint under = dlg().window()->mapToGlobal(QPoint(selector()->rect().left, selector()->rect().bottom));
    EXPECT_EQ(window->pos(), under);
    EXPECT_EQ(window->width(), selector()->rect().width());
    EXPECT_EQ(window->height(), 4 * ui::Scaled(ui::CComboPollingRatePopup::kRowHeightUnits));

    clickControl(kRateSelector); // a second click closes it
    loop.runUntilIdle();
    EXPECT_EQ(list(), 0u);
    EXPECT_FALSE(loop.isWindow(first));

    // The list lost activation because the selector was pressed: the press's click leaves it closed.
    clickControl(kRateSelector);
    const platform::WindowHandle second = list();
    ASSERT_NE(second, 0u);
    ui::CControlBase* box = selector();
    mouse(dlg(), platform::WM_MOUSEMOVE, box->rect().left + 5, box->rect().top + 5);
    loop.send(dlg().hwnd(), kMsgRateLast, kRateSelector, ui::CComboPollingRatePopup::kKind);
    loop.runUntilIdle();
    EXPECT_EQ(list(), 0u);
    EXPECT_FALSE(loop.isWindow(second));
    clickControl(kRateSelector);
    EXPECT_EQ(list(), 0u);
    // The click after that opens it again.
    clickControl(kRateSelector);
    EXPECT_NE(list(), 0u);
    EXPECT_EQ(profile().PollingRateName, u"500HZ"); // nothing was chosen
}

TEST_F(PollingRateTest, TheListClosesWithItsPage) {
    clickControl(kRateSelector);
    const platform::WindowHandle open = list();
    ASSERT_NE(open, 0u);
    // The page's header closes the page while the list still hangs off its selector.
    clickControl(kHeaderPollingRate);
    loop.runUntilIdle();
    ASSERT_FALSE(headerOpen(kHeaderPollingRate));
    EXPECT_EQ(list(), 0u);
    EXPECT_FALSE(loop.isWindow(open));
    // Opened again, one click opens the list again.
    openPage(kHeaderPollingRate);
    clickControl(kRateSelector);
    EXPECT_NE(list(), 0u);
    EXPECT_EQ(profile().PollingRateName, u"500HZ");
}

TEST_F(SmallPagesTest, LiftOffChoicesAreSentAndTheHeaderFollowsTheSensor) {
    useLiftOffSensor();
    start("0", {Form::Wired});
    auto* header = control<ui::CCheckButton>(kHeaderLiftOff);
    ASSERT_TRUE(header->isLive());
    openPage(kHeaderLiftOff);

    clickControl(kLiftLow);
    EXPECT_EQ(profile().PairValue(model::kPairLiftDetectionHeight), u"1");
    EXPECT_TRUE(marked(SettingGroup::SensorLighting));
    EXPECT_EQ(codesAfterDownload(), Codes{device::kCmdLiftOff});
    EXPECT_EQ(mouse_->state().liftOff, 1);
    EXPECT_EQ(control<ui::CStaticText>(kLiftText)->Colour(), ui::Rgb(ui::kTextPressed));
    EXPECT_EQ(control<ui::CStaticText>(kLiftText + 1)->Colour(), ui::Rgb(ui::kTextNormal));

    // A click on the label is a click on its radio.
    clickControl(kLiftText + 1);
    EXPECT_EQ(profile().PairValue(model::kPairLiftDetectionHeight), u"2");
    EXPECT_TRUE(control<ui::CRadioButton>(kLiftHigh)->IsSelected());
    EXPECT_FALSE(control<ui::CRadioButton>(kLiftLow)->IsSelected());
    EXPECT_EQ(codesAfterDownload(), Codes{device::kCmdLiftOff});
    EXPECT_EQ(mouse_->state().liftOff, 2);

    // The mouse reports a sensor without lift-off choice: header and page go, the pages below
    // move up; a class-1 sensor brings the header back, its page closed.
    const int debounceTop = control<ui::CCheckButton>(kHeaderDebounce)->rect().top;
    auto status = mouse_->status();
    status.sensorCode = 0x25;
    mouse_->setStatus(status);
    loop.advance(22000);
    EXPECT_FALSE(header->isLive());
    EXPECT_FALSE(control<ui::CRadioButton>(kLiftLow)->isShown());
    EXPECT_LT(control<ui::CCheckButton>(kHeaderDebounce)->rect().top, debounceTop);
    status.sensorCode = 0x60;
    mouse_->setStatus(status);
    loop.advance(22000);
    EXPECT_TRUE(header->isLive());
    EXPECT_FALSE(header->IsChecked());
    EXPECT_FALSE(control<ui::CRadioButton>(kLiftLow)->isShown());
}

TEST_F(SmallPagesTest, LiftOffFromTheFileShowsTheLowChoiceOnlyForOne) {
    useLiftOffSensor();
    start("0", {Form::Wired});
    for (const auto& [stored, low] : {std::pair{u"1", true}, {u"2", false}, {u"7", false}, {u"", false}}) {
        profile().SetPairValue(model::kPairLiftDetectionHeight, std::u16string(stored));
        dlg().RefreshAllPages();
        EXPECT_EQ(control<ui::CRadioButton>(kLiftLow)->IsSelected(), low) << model::ToUtf8(stored);
        EXPECT_EQ(control<ui::CRadioButton>(kLiftHigh)->IsSelected(), !low) << model::ToUtf8(stored);
    }
}

TEST_F(SmallPagesTest, DebounceDragsWithoutSendingAndReleasesIntoOneReport) {
    start("0", {Form::Wired});
    openPage(kHeaderDebounce);
    auto* slider = control<ui::CSliderControl>(kDebounceSlider);
    auto* text = control<ui::CStaticText>(kDebounceText);
    EXPECT_EQ(slider->GetValue(), 6); // the factory 12 ms
    EXPECT_EQ(text->text(), u"12ms");

    dragSlider(kDebounceSlider, 15, false);
    EXPECT_EQ(text->text(), u"30ms");
    EXPECT_EQ(profile().PairValue(model::kPairKeyDebounce), u"30");
    EXPECT_TRUE(marked(SettingGroup::SensorLighting));
    EXPECT_EQ(codesAfterDownload(), Codes{}); // no download while dragging
    EXPECT_TRUE(marked(SettingGroup::SensorLighting));
    releaseSlider(kDebounceSlider);
    EXPECT_EQ(codesAfterDownload(), Codes{device::kCmdDebounce});
    EXPECT_EQ(mouse_->state().debounceMs, 30);

    dragSlider(kDebounceSlider, 0);
    EXPECT_EQ(text->text(), u"0ms");
    EXPECT_EQ(profile().PairValue(model::kPairKeyDebounce), u"0");
    EXPECT_EQ(codesAfterDownload(), Codes{device::kCmdDebounce});
    EXPECT_EQ(mouse_->state().debounceMs, 0);
}

TEST_F(SmallPagesTest, DebounceTimesFromAFileShowAtTheNearestPositionBelow) {
    start("0", {Form::Wired});
    auto* slider = control<ui::CSliderControl>(kDebounceSlider);
    for (const auto& [stored, position] :
         {std::pair{u"13", 6}, {u"1", 0}, {u"31", 15}, {u"255", 15}, {u"99999999999999999999", 15}, {u"x", 0}}) {
        profile().SetPairValue(model::kPairKeyDebounce, std::u16string(stored));
        dlg().RefreshAllPages();
        EXPECT_EQ(slider->GetValue(), position) << model::ToUtf8(stored);
        EXPECT_EQ(control<ui::CStaticText>(kDebounceText)->text(), model::DecimalText(2 * position) + u"ms");
    }
}

using PowerTest = SmallPagesTest;

TEST_F(PowerTest, TheDialAndTheChecksAreSentInTheirGroups) {
    start("0", {Form::Wired});
    clickDial(8);
    EXPECT_EQ(profile().PairValue(model::kPairPowerDownTime), u"8");
    EXPECT_TRUE(marked(SettingGroup::Power));
    EXPECT_FALSE(marked(SettingGroup::SensorLighting));
    EXPECT_EQ(codesAfterDownload(), Codes{device::kCmdPowerSaving});
    EXPECT_EQ(mouse_->state().powerDownTime, 8);
    EXPECT_EQ(control<ui::CPowerManageButton>(kPowerDial)->GetChoice(), 8);

    clickControl(kMoveLightingCheck);
    EXPECT_EQ(profile().PairValue(model::kPairMoveLightingOnOffMode), u"1");
    EXPECT_TRUE(marked(SettingGroup::Power));
    EXPECT_EQ(codesAfterDownload(), Codes{device::kCmdPowerSaving});
    EXPECT_EQ(mouse_->state().moveLightingMode, 1);

    clickControl(kMotionWakeCheck);
    EXPECT_EQ(profile().PairValue(model::kPairMotionWakeup), u"0");
    EXPECT_TRUE(marked(SettingGroup::Wake));
    EXPECT_FALSE(marked(SettingGroup::Power));
    EXPECT_EQ(codesAfterDownload(), Codes{device::kCmdMotionWakeup});
    EXPECT_EQ(mouse_->state().motionWakeup, 0);
    EXPECT_FALSE(control<ui::CCheckButton>(kMotionWakeCheck)->IsChecked());
}

TEST_F(PowerTest, TheCaptionsFitBesideTheDialInsideThePanel) {
    for (double factor : {1.0, 2.0}) {
        platform::SetDisplayScaleFactor(factor);
        start("0", {Form::Wired});
        const auto& panel = ui::layout::kPanels[ui::layout::kPanelPower];
        const ui::Rect area = ui::ScaledRect(ui::layout::kPanelLeft, panel.y,
                                             ui::layout::kPanelLeft + ui::layout::kPanelWidth, panel.y + panel.height);
        const ui::Rect dial = control<ui::CControlBase>(kPowerDial)->rect();
        for (int id : {kMoveLightingCheck, kMotionWakeCheck}) {
            auto* check = control<ui::CCheckButton>(id);
            const ui::Rect& r = check->rect();
            EXPECT_TRUE(r.left >= area.left && r.right <= area.right && r.top >= area.top && r.bottom <= area.bottom);
            EXPECT_FALSE(r.intersects(dial)) << id;
            const int width = QFontMetrics(check->font()).horizontalAdvance(QString::fromStdU16String(check->text()));
            EXPECT_LE(width, r.width() - ui::Scaled(22)) << factor << " " << model::ToUtf8(check->text());
        }
        EXPECT_FALSE(control<ui::CControlBase>(kMoveLightingCheck)
                         ->rect()
                         .intersects(control<ui::CControlBase>(kMotionWakeCheck)->rect()));
        window_.reset();
    }
}

// The pages as drawn, at both display factors: the pictures go to QV_RENDER_DIR when it is set.
class PagesDrawnTest : public SmallPagesTest, public ::testing::WithParamInterface<double> {};

TEST_P(PagesDrawnTest, EveryControlInsideItsPanelClearOfTheOthersWithItsCaptionWhole) {
    platform::SetDisplayScaleFactor(GetParam());
    useLiftOffSensor();
    start("0", {Form::Wired});
    const std::string factor = GetParam() == 1.0 ? "1x" : "2x";

    openPage(kHeaderPollingRate);
    std::vector<Shown> polling = {{kRateSelector, 30}};
    for (int i = 0; i < 4; ++i) {
        polling.push_back({kRateRadio + i});
        polling.push_back({kRateText + i});
    }
    expectLaidOut(kHeaderPollingRate, polling, {}, "polling-rate-" + factor);

    openPage(kHeaderLiftOff);
    expectLaidOut(kHeaderLiftOff, {{kLiftLow}, {kLiftHigh}, {kLiftText}, {kLiftText + 1}},
                  {{kLiftLow, kLiftText}, {kLiftHigh, kLiftText + 1}}, "lift-off-" + factor);

    openPage(kHeaderDebounce);
    expectLaidOut(kHeaderDebounce, {{kDebounceLabel}, {kDebounceText}, {kDebounceImage}, {kDebounceSlider}},
                  {{kDebounceSlider, kDebounceImage}}, "debounce-" + factor);

    openPage(kHeaderPointer);
    std::vector<Shown> pointer = {{kPointerSpeedSlider}, {kWheelLinesSlider}, {kDoubleClickSlider}, {kAcceleration, 24},
                                  {kWheelLines, 24},     {kWheelPage, 24},    {kMouseSettings}};
    for (int id = kPointerFirstText; id <= kPointerFirstText + 11; ++id)
        pointer.push_back({id});
    expectLaidOut(kHeaderPointer, pointer, {}, "pointer-" + factor);
    // With the wheel scrolling pages, as the user sees it greyed.
    clickControl(kWheelPage);
    expectLaidOut(kHeaderPointer, pointer, {}, "pointer-pages-" + factor);
}

INSTANTIATE_TEST_SUITE_P(Factors, PagesDrawnTest, ::testing::Values(1.0, 2.0));

TEST_F(SmallPagesTest, ARunsEditsSurviveTheProgramsEndAndShowAgainAtTheNextStart) {
    useLiftOffSensor();
    start("0", {Form::Wired});
    openPage(kHeaderPollingRate);
    clickControl(kRateRadio + 1);
    clickControl(kRateSelector);
    const int row = ui::Scaled(ui::CComboPollingRatePopup::kRowHeightUnits);
    const platform::WindowHandle popup = dlg().Popup(kPopupSlotControl);
    ASSERT_NE(popup, 0u);
    loop.send(popup, platform::WM_LBUTTONUP, 0, platform::MakePointParam(20, 3 * row + row / 2));
    openPage(kHeaderLiftOff);
    clickControl(kLiftLow);
    openPage(kHeaderDebounce);
    dragSlider(kDebounceSlider, 4);
    clickDial(5);
    clickControl(kMoveLightingCheck);
    clickControl(kMotionWakeCheck);
    openPage(kHeaderPointer);
    dragSlider(kPointerSpeedSlider, 2);
    clickControl(kAcceleration);
    dragSlider(kDoubleClickSlider, 8);
    dragSlider(kWheelLinesSlider, 7);
    clickControl(kWheelPage);
    loop.advance(300);
    ASSERT_TRUE(core().SavePending()); // not yet saved: the window's end must do it
    const model::ProfileRecord edited = profile();
    ASSERT_EQ(edited.PollingRateName, u"1000Hz");
    ASSERT_EQ(edited.PairValue(model::kPairKeyDebounce), u"8");

    restart();
    EXPECT_EQ(profile().pairs, edited.pairs);
    EXPECT_EQ(profile().PollingRateName, u"1000Hz");
    EXPECT_EQ(profile().PollingRateValue, edited.PollingRateValue);
    EXPECT_TRUE(control<ui::CRadioButton>(kRateRadio + 3)->IsSelected());
    EXPECT_EQ(control<ui::CComboButton>(kRateSelector)->text(), model::LanguageText(303));
    EXPECT_TRUE(control<ui::CRadioButton>(kLiftLow)->IsSelected());
    EXPECT_EQ(control<ui::CSliderControl>(kDebounceSlider)->GetValue(), 4);
    EXPECT_EQ(control<ui::CStaticText>(kDebounceText)->text(), u"8ms");
    EXPECT_EQ(control<ui::CPowerManageButton>(kPowerDial)->GetChoice(), 5);
    EXPECT_TRUE(control<ui::CCheckButton>(kMoveLightingCheck)->IsChecked());
    EXPECT_FALSE(control<ui::CCheckButton>(kMotionWakeCheck)->IsChecked());
    EXPECT_EQ(control<ui::CSliderControl>(kPointerSpeedSlider)->GetValue(), 2);
    EXPECT_FALSE(control<ui::CCheckButton>(kAcceleration)->IsChecked());
    EXPECT_EQ(control<ui::CSliderControl>(kDoubleClickSlider)->GetValue(), 8);
    EXPECT_EQ(control<ui::CSliderControl>(kWheelLinesSlider)->GetValue(), 7);
    EXPECT_EQ(control<ui::CControlBase>(3131)->text(), u"8");
    EXPECT_TRUE(control<ui::CRadioButton>(kWheelPage)->IsSelected());
    EXPECT_TRUE(control<ui::CSliderControl>(kWheelLinesSlider)->isDisabled());
    // What the first run sent is what the mouse holds, so nothing is sent again.
    EXPECT_EQ(codesAfterDownload(), Codes{});
}

} // namespace
} // namespace quorvik::test
