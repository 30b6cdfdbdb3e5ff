// What the pages write back into the profile: values from a file that a control can only
// approximate stay as they are when another page's edit collects the pages' values, while moving
// the control still writes; and a run's DPI and lighting edits made through the window show again
// after the program's end and the next start.
#include "SmallPagesSupport.h"

#include "model/ConfigPairs.h"
#include "model/ProfileFile.h"
#include "ui/main/ColorPaletteDlg.h"
#include "ui/main/DpiValueSettingDlg.h"
#include "ui/main/LightingPage.h"
#include "ui/skin/Displays.h"

#include <QLineEdit>
#include <QTest>

#include <functional>

namespace quorvik::test {
namespace {

using device::Form;
using namespace ui::main_ids;
using Codes = std::vector<std::uint8_t>;

class PageValuesTest : public SmallPagesTest {
protected:
    void TearDown() override {
        ui::CDlgBase::OnNextDialogShown({});
        SmallPagesTest::TearDown();
    }

    // The slot file holds values the pages' controls cannot show exactly (an odd debounce time,
    // speeds beyond the sliders, a tilt speed of its own); the program starts on it.
    void startOnOddFile() {
        useLiftOffSensor();
        start("0", {Form::Wired});
        model::ProfileRecord& r = profile();
        r.SetPairValue(model::kPairKeyDebounce, std::u16string(u"13"));
        r.SetPairValue(model::kPairPowerDownTime, std::u16string(u"2"));
        r.SetPairValue(model::kPairMoveLightingOnOffMode, std::u16string(u"5"));
        r.SetPairValue(model::kPairPointerSpeed, std::u16string(u"15"));
        r.SetPairValue(model::kPairTiltSpeed, std::u16string(u"7"));
        r.SetPairValue(model::kPairLiftDetectionHeight, std::u16string(u"7"));
        r.Lighting1Speed[1] = 5;
        r.Lighting1Brightness[1] = 9;
        r.Lighting1Direction[1] = 2;
        ASSERT_EQ(r.SelectedEffect(), 1);
        ASSERT_TRUE(model::WriteProfile(0, model::Config().ProfileSlotPath(0)));
        restart();
        ASSERT_EQ(profile().PairValue(model::kPairKeyDebounce), u"13"); // kept as read
        ASSERT_EQ(profile().Lighting1Speed[1], 5);
        ASSERT_EQ(profile().PairValue(model::kPairTiltSpeed), u"7");
        loaded_ = profile();
    }

    // The record as loaded, apart from the fields `edit` changes on it.
    void expectLoadedExcept(const std::function<void(model::ProfileRecord&)>& edit, const char* what) {
        model::ProfileRecord expected = loaded_;
        edit(expected);
        EXPECT_EQ(profile().pairs, expected.pairs) << what;
        EXPECT_EQ(profile().Lighting1Speed, expected.Lighting1Speed) << what;
        EXPECT_EQ(profile().Lighting1Brightness, expected.Lighting1Brightness) << what;
        EXPECT_EQ(profile().Lighting1Direction, expected.Lighting1Direction) << what;
        EXPECT_TRUE(profile() == expected) << what;
    }

    model::ProfileRecord loaded_;
};

TEST_F(PageValuesTest, AnotherPagesEditLeavesFileValuesTheControlsOnlyApproximate) {
    startOnOddFile();
    // Each control shows the value as near as it can.
    EXPECT_EQ(control<ui::CSliderControl>(kDebounceSlider)->GetValue(), 6);
    EXPECT_EQ(control<ui::CSliderControl>(kSpeedSlider)->GetValue(), 2);
    EXPECT_EQ(control<ui::CSliderControl>(kBrightnessSlider)->GetValue(), 3);
    EXPECT_TRUE(control<ui::CRadioButton>(kDirectionDown)->IsSelected());
    EXPECT_EQ(control<ui::CPowerManageButton>(kPowerDial)->GetChoice(), 3);
    EXPECT_TRUE(control<ui::CCheckButton>(kMoveLightingCheck)->IsChecked());
    EXPECT_EQ(control<ui::CSliderControl>(kPointerSpeedSlider)->GetValue(), 10);
    EXPECT_TRUE(control<ui::CRadioButton>(kLiftHigh)->IsSelected());

    // A DPI level check collects every page's values: only the levels change and are sent.
    openPage(kHeaderDpi);
    clickControl(kDpiLevelCheck + 2);
    const std::uint8_t levels = loaded_.DPIOffOnFlagValue & ~0x04;
    ASSERT_NE(levels, loaded_.DPIOffOnFlagValue);
    expectLoadedExcept([&](model::ProfileRecord& r) { r.DPIOffOnFlagValue = levels; }, "DPI check");
    EXPECT_EQ(codesAfterDownload(), Codes{device::kCmdDpiLevels});

    // A pointer-page edit collects too: the tilt speed keeps its own value.
    openPage(kHeaderPointer);
    clickControl(kAcceleration);
    expectLoadedExcept(
        [&](model::ProfileRecord& r) {
            r.DPIOffOnFlagValue = levels;
            r.SetPairFlag(model::kPairAccelerationEnable, false);
        },
        "acceleration");
    EXPECT_EQ(codesAfterDownload(), Codes{});

    // The lift-off choice, made by the user, is written and sent alone.
    openPage(kHeaderLiftOff);
    clickControl(kLiftLow);
    expectLoadedExcept(
        [&](model::ProfileRecord& r) {
            r.DPIOffOnFlagValue = levels;
            r.SetPairFlag(model::kPairAccelerationEnable, false);
            r.SetPairValue(model::kPairLiftDetectionHeight, 1);
        },
        "lift-off");
    EXPECT_EQ(codesAfterDownload(), Codes{device::kCmdLiftOff});
}

TEST_F(PageValuesTest, MovingAControlStillWritesOverTheFileValue) {
    startOnOddFile();
    // The debounce slider dragged away and back to where it showed the file's 13 ms: 12 ms now.
    openPage(kHeaderDebounce);
    dragSlider(kDebounceSlider, 8, false);
    EXPECT_EQ(profile().PairValue(model::kPairKeyDebounce), u"16");
    auto* debounce = control<ui::CSliderControl>(kDebounceSlider);
    const int y = (debounce->rect().top + debounce->rect().bottom) / 2;
    mouse(dlg(), platform::WM_MOUSEMOVE, debounce->StopX(6), y, platform::MK_LBUTTON);
    mouse(dlg(), platform::WM_LBUTTONUP, debounce->StopX(6), y);
    EXPECT_EQ(profile().PairValue(model::kPairKeyDebounce), u"12");
    EXPECT_EQ(control<ui::CStaticText>(kDebounceText)->text(), u"12ms");
    EXPECT_EQ(codesAfterDownload(), Codes{device::kCmdDebounce});
    EXPECT_EQ(mouse_->state().debounceMs, 12);

    // The wheel's lines slider sets both wheels.
    openPage(kHeaderPointer);
    dragSlider(kWheelLinesSlider, 4);
    EXPECT_EQ(profile().PairValue(model::kPairScrollWheelSpeed), u"4");
    EXPECT_EQ(profile().PairValue(model::kPairTiltSpeed), u"4");
    // Back to the position it showed at the start: both follow it there too.
    dragSlider(kWheelLinesSlider, 2);
    EXPECT_EQ(profile().PairValue(model::kPairScrollWheelSpeed), u"2");
    EXPECT_EQ(profile().PairValue(model::kPairTiltSpeed), u"2");

    // The lighting speed slider.
    openPage(kHeaderLighting);
    dragSlider(kSpeedSlider, 1);
    EXPECT_EQ(profile().Lighting1Speed[1], 1);
    EXPECT_EQ(profile().Lighting1Brightness[1], 9);
    EXPECT_EQ(profile().Lighting1Direction[1], 2);
    EXPECT_EQ(codesAfterDownload(), Codes{device::kCmdLighting});
}

// ---- a run's DPI and lighting edits through the window, and the next start ----

class PageRoundTripTest : public PageValuesTest {
protected:
    // Opens the palette with `open` (a click), types the colour into its fields and ends it with OK.
    void chooseColour(const std::function<void()>& open, std::array<int, 3> rgb) {
        bool shown = false;
        ui::CDlgBase::OnNextDialogShown([&](ui::CDlgBase& dialog) {
            auto* palette = dynamic_cast<ui::CColorPaletteDlg*>(&dialog);
            ASSERT_NE(palette, nullptr);
            shown = true;
            palette->SetEditText(ui::CColorPaletteDlg::kRedField, model::DecimalText(rgb[0]));
            palette->SetEditText(ui::CColorPaletteDlg::kGreenField, model::DecimalText(rgb[1]));
            palette->SetEditText(ui::CColorPaletteDlg::kBlueField, model::DecimalText(rgb[2]));
            loop.runUntilIdle();
            clickIn(*palette, ui::CColorPaletteDlg::kOkId);
        });
        open();
        EXPECT_TRUE(shown);
    }
    void clickIn(ui::CDlgBase& dialog, int id) {
        const ui::Rect& r = dialog.FindControl(id)->rect();
        click(dialog, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    // Entry `index` of the effect list, chosen through the selector.
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
    // A vertical DPI slider pressed at its knob and let go at `y`.
    void dragDpiSlider(int k, int y) {
        auto* s = control<ui::CVerticalSliderControl>(kDpiSlider + k);
        const int x = (s->rect().left + s->rect().right) / 2;
        const int from = s->rect().bottom - 2;
        mouse(dlg(), platform::WM_MOUSEMOVE, x, from);
        mouse(dlg(), platform::WM_LBUTTONDOWN, x, from, platform::MK_LBUTTON);
        mouse(dlg(), platform::WM_MOUSEMOVE, x, y, platform::MK_LBUTTON);
        mouse(dlg(), platform::WM_LBUTTONUP, x, y);
    }
    bool slotChecked(int k) { return control<ui::CColorSelectCheckButton>(kColourCheck + k)->IsChecked(); }
};

TEST_F(PageRoundTripTest, DpiAndLightingEditsShowAgainAtTheNextStart) {
    start("0", {Form::Wired});
    const model::ProfileRecord factory = profile();

    // DPI: level 1 off (level 2 stays current, now the first level on), level 8 on, steps by a
    // slider and by the value dialog, a level colour from the palette.
    openPage(kHeaderDpi);
    clickControl(kDpiLevelCheck);
    clickControl(kDpiLevelCheck + 7);
    const ui::Rect slider3 = control<ui::CVerticalSliderControl>(kDpiSlider + 3)->rect();
    dragDpiSlider(3, (slider3.top + slider3.bottom) / 2);
    const int step3 = control<ui::CVerticalSliderControl>(kDpiSlider + 3)->GetValue();
    ui::CDlgBase::OnNextDialogShown([&](ui::CDlgBase& dialog) {
        auto& value = dynamic_cast<ui::CDPIValueSettingDlg&>(dialog);
        QLineEdit* edit = value.Edit(ui::CDPIValueSettingDlg::kEditId);
        edit->clear();
        QTest::keyClicks(edit, QStringLiteral("850"));
        clickIn(value, ui::CDPIValueSettingDlg::kOkId);
    });
    clickControl(kDpiValueBox + 1);
    chooseColour([&] { clickControl(kDpiColourButton + 4); }, {10, 20, 30});

    // Lighting: the wave with a slower speed and the other direction, the steady effect dimmer,
    // then the breathing effect with a faster speed, one slot off and one slot's colour changed.
    openPage(kHeaderLighting);
    ASSERT_EQ(profile().SelectedEffect(), 1);
    dragSlider(kSpeedSlider, 0);
    clickControl(kDirectionDown);
    chooseEntry(2); // steady, effect 3
    dragSlider(kBrightnessSlider, 1);
    chooseEntry(1); // breathing, effect 2
    dragSlider(kSpeedSlider, 2);
    ASSERT_TRUE(slotChecked(5));
    clickControl(kColourCheck + 5);
    loop.advance(ui::CLightingPage::kToggleDelayMs + 10);
    const ui::Rect& slot3 = control<ui::CColorSelectCheckButton>(kColourCheck + 3)->rect();
    const int x3 = (slot3.left + slot3.right) / 2, y3 = (slot3.top + slot3.bottom) / 2;
    chooseColour(
        [&] {
            click(dlg(), x3, y3);
            mouse(dlg(), platform::WM_LBUTTONDBLCLK, x3, y3, platform::MK_LBUTTON);
            mouse(dlg(), platform::WM_LBUTTONUP, x3, y3);
        },
        {200, 100, 50});
    loop.advance(300);
    ASSERT_TRUE(core().SavePending()); // not yet saved: the window's end must do it

    const model::ProfileRecord edited = profile();
    ASSERT_EQ(edited.DPIOffOnFlagValue, 0xBE);
    ASSERT_EQ(edited.CurrentDPILevelValue, 0);
    ASSERT_NE(edited.XYSetting[3], factory.XYSetting[3]);
    ASSERT_EQ(edited.XYSetting[3], step3);
    ASSERT_EQ(edited.XYSetting[1], 7);
    ASSERT_EQ(edited.DPILevelIndication[4], model::MakeColour(10, 20, 30));
    ASSERT_EQ(edited.Lighting1ModeValue[0], 2);
    ASSERT_EQ(edited.Lighting1Speed[1], 0);
    ASSERT_EQ(edited.Lighting1Direction[1], 1);
    ASSERT_EQ(edited.Lighting1Brightness[3], 1);
    ASSERT_EQ(edited.Lighting1Speed[2], 2);
    ASSERT_EQ(edited.Lighting1ColorSelected[2][5], 0);
    ASSERT_EQ(edited.Lighting1ColorSelected[2][3], factory.Lighting1ColorSelected[2][3]);
    ASSERT_EQ(edited.Lighting1FixedColor[2][3], model::MakeColour(200, 100, 50));

    restart();
    EXPECT_TRUE(profile() == edited);
    EXPECT_EQ(profile().XYSetting, edited.XYSetting);
    EXPECT_EQ(profile().Lighting1ColorSelected, edited.Lighting1ColorSelected);
    // The DPI page shows it.
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(control<ui::CCheckButton>(kDpiLevelCheck + k)->IsChecked(), ((0xBE >> k) & 1) != 0) << k;
        EXPECT_EQ(control<ui::CVerticalSliderControl>(kDpiSlider + k)->GetValue(), edited.XYSetting[std::size_t(k)])
            << k;
        // The current level red, the other levels grey, dimmer where they are off.
        const bool on = ((0xBE >> k) & 1) != 0;
        EXPECT_EQ(control<ui::CDPIRadioButton>(kDpiLabel + k)->TextColour(), k == 1 ? QColor(0xFF, 0x40, 0x40)
                                                                             : on   ? QColor(0xB4, 0xB4, 0xB4)
                                                                                    : QColor(0x80, 0x85, 0x8C))
            << k;
    }
    EXPECT_EQ(control<ui::CControlBase>(kDpiLabel + 1)->text(), u"900");
    EXPECT_EQ(control<ui::CColorSelectButton>(kDpiColourButton + 4)->GetColor(), model::MakeColour(10, 20, 30));
    // The lighting page shows the breathing effect as left.
    EXPECT_EQ(control<ui::CComboButton>(kEffectSelector)->text(), model::LanguageText(101));
    EXPECT_EQ(control<ui::CSliderControl>(kSpeedSlider)->GetValue(), 2);
    EXPECT_EQ(control<ui::CStaticText>(kSpeedText)->text(), u"3");
    EXPECT_FALSE(slotChecked(5));
    EXPECT_TRUE(slotChecked(3));
    EXPECT_EQ(control<ui::CColorSelectCheckButton>(kColourCheck + 3)->GetColor(), model::MakeColour(200, 100, 50));
    // What the first run sent is what the mouse holds, so nothing is sent again.
    EXPECT_EQ(codesAfterDownload(), Codes{});

    // The other effects kept theirs: the wave shows its speed and direction when chosen again.
    openPage(kHeaderLighting);
    chooseEntry(0);
    EXPECT_EQ(control<ui::CSliderControl>(kSpeedSlider)->GetValue(), 0);
    EXPECT_TRUE(control<ui::CRadioButton>(kDirectionDown)->IsSelected());
    chooseEntry(2);
    EXPECT_EQ(control<ui::CSliderControl>(kBrightnessSlider)->GetValue(), 1);
    EXPECT_EQ(control<ui::CStaticText>(kBrightnessText)->text(), u"50%");
}

} // namespace
} // namespace quorvik::test
