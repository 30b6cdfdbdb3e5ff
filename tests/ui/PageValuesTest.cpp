// What the pages write back into the profile: values from a file that a control can only
// approximate stay as they are when another page's edit collects the pages' values, while moving
// the control still writes.
#include "SmallPagesSupport.h"

#include "model/ConfigPairs.h"
#include "model/ProfileFile.h"
#include "ui/skin/Displays.h"

#include <functional>

namespace quorvik::test {
namespace {

using device::Form;
using namespace ui::main_ids;
using Codes = std::vector<std::uint8_t>;

class PageValuesTest : public SmallPagesTest {
protected:
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

} // namespace
} // namespace quorvik::test
