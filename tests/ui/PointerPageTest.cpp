// The pointer page: its values go into the profile and its file (the delayed save), never to the
// mouse; the wheel's lines slider serves only while the wheel scrolls lines.
#include "SmallPagesSupport.h"

#include "device/DeviceCore.h"
#include "model/ConfigPairs.h"
#include "model/ProfileFile.h"
#include "ui/skin/Displays.h"
#include "ui/skin/ProgramWords.h"

namespace quorvik::test {
namespace {

using device::Form;
using device::SettingGroup;
using namespace ui::main_ids;
using Codes = std::vector<std::uint8_t>;

class PointerPageTest : public SmallPagesTest {
protected:
    void SetUp() override {
        SmallPagesTest::SetUp();
        start("0", {Form::Wired});
        openPage(kHeaderPointer);
        // The save the start-up's download scheduled: afterwards only these edits can start one.
        loop.advance(device::kDelayedSaveMs);
        ASSERT_FALSE(core().SavePending());
    }
    bool anyGroupMarked() {
        for (auto group :
             {SettingGroup::Buttons, SettingGroup::SensorLighting, SettingGroup::Power, SettingGroup::Wake})
            if (marked(group))
                return true;
        return false;
    }
    std::u16string savedPair(int pair) {
        model::ProfileRecord saved;
        EXPECT_TRUE(model::ReadProfileRecord(saved, model::Config().ProfileSlotPath(model::CurrentSlot())));
        return saved.PairValue(pair);
    }
    std::u16string shown(int id) { return control<ui::CControlBase>(id)->text(); }
};

TEST_F(PointerPageTest, EditsReachTheProfileFileTenSecondsLaterAndNeverTheMouse) {
    ASSERT_EQ(profile().PairValue(model::kPairAccelerationEnable), u"1");
    clickControl(kAcceleration);
    EXPECT_EQ(profile().PairValue(model::kPairAccelerationEnable), u"0");
    EXPECT_FALSE(anyGroupMarked());
    EXPECT_FALSE(core().SavePending());
    loop.advance(device::kDownloadDelayMs);
    EXPECT_TRUE(core().SavePending()); // the download ran, with nothing to send
    EXPECT_EQ(takeCodes(), Codes{});
    EXPECT_EQ(savedPair(model::kPairAccelerationEnable), u"1");

    dragSlider(kPointerSpeedSlider, 9);
    EXPECT_EQ(profile().PairValue(model::kPairPointerSpeed), u"9");
    EXPECT_EQ(shown(3130), u"10");
    loop.advance(device::kDelayedSaveMs - 1);
    EXPECT_EQ(savedPair(model::kPairPointerSpeed), u"5"); // the release restarted the ten seconds
    loop.advance(device::kDownloadDelayMs + 1);
    EXPECT_EQ(savedPair(model::kPairAccelerationEnable), u"0");
    EXPECT_EQ(savedPair(model::kPairPointerSpeed), u"9");
    EXPECT_EQ(takeCodes(), Codes{});
}

TEST_F(PointerPageTest, DraggingShowsAndKeepsTheValueButStartsNoDownload) {
    dragSlider(kWheelLinesSlider, 4, false);
    EXPECT_EQ(profile().PairValue(model::kPairScrollWheelSpeed), u"4");
    EXPECT_EQ(profile().PairValue(model::kPairTiltSpeed), u"4");
    EXPECT_EQ(shown(3131), u"5");
    loop.advance(100);
    EXPECT_FALSE(core().SavePending());
    releaseSlider(kWheelLinesSlider);
    loop.advance(device::kDownloadDelayMs);
    EXPECT_TRUE(core().SavePending());
    EXPECT_EQ(takeCodes(), Codes{});

    dragSlider(kDoubleClickSlider, 0);
    EXPECT_EQ(profile().PairValue(model::kPairDoubleClickSpeed), u"0");
    EXPECT_EQ(shown(3132), u"1");
    dragSlider(kPointerSpeedSlider, 10);
    EXPECT_EQ(profile().PairValue(model::kPairPointerSpeed), u"10");
    EXPECT_EQ(shown(3130), u"11");
    EXPECT_FALSE(anyGroupMarked());
}

TEST_F(PointerPageTest, ScrollingByPagesGreysTheLinesSliderAndKeepsItsValue) {
    dragSlider(kWheelLinesSlider, 6);
    clickControl(kWheelPage);
    auto* lines = control<ui::CSliderControl>(kWheelLinesSlider);
    EXPECT_EQ(profile().PairValue(model::kPairScrollWheelPageEnable), u"1");
    EXPECT_TRUE(lines->isDisabled());
    EXPECT_TRUE(lines->isShown());
    EXPECT_EQ(profile().PairValue(model::kPairScrollWheelSpeed), u"6");
    EXPECT_NE(control<ui::CStaticText>(3131)->Colour(), ui::Rgb(ui::kTextHover));
    EXPECT_TRUE(control<ui::CRadioButton>(kWheelPage)->IsSelected());
    EXPECT_FALSE(control<ui::CRadioButton>(kWheelLines)->IsSelected());

    // A greyed slider takes no drag.
    dragSlider(kWheelLinesSlider, 1);
    EXPECT_EQ(lines->GetValue(), 6);
    EXPECT_EQ(profile().PairValue(model::kPairScrollWheelSpeed), u"6");

    clickControl(kWheelLines);
    EXPECT_EQ(profile().PairValue(model::kPairScrollWheelPageEnable), u"0");
    EXPECT_FALSE(lines->isDisabled());
    EXPECT_EQ(control<ui::CStaticText>(3131)->Colour(), ui::Rgb(ui::kTextHover));
    EXPECT_FALSE(anyGroupMarked());
    loop.advance(100);
    EXPECT_EQ(takeCodes(), Codes{});
}

TEST_F(PointerPageTest, FileValuesOutsideTheSlidersShowAtTheirEnds) {
    model::ProfileRecord& record = profile();
    record.SetPairValue(model::kPairPointerSpeed, std::u16string(u"25"));
    record.SetPairValue(model::kPairScrollWheelSpeed, std::u16string(u"x"));
    record.SetPairValue(model::kPairDoubleClickSpeed, std::u16string(u"99999999999999999999"));
    record.SetPairValue(model::kPairAccelerationEnable, std::u16string(u"7"));
    record.SetPairValue(model::kPairScrollWheelPageEnable, std::u16string(u"1"));
    dlg().RefreshAllPages();
    EXPECT_EQ(control<ui::CSliderControl>(kPointerSpeedSlider)->GetValue(), 10);
    EXPECT_EQ(shown(3130), u"11");
    EXPECT_EQ(control<ui::CSliderControl>(kWheelLinesSlider)->GetValue(), 0);
    EXPECT_EQ(control<ui::CSliderControl>(kDoubleClickSlider)->GetValue(), 10);
    EXPECT_TRUE(control<ui::CCheckButton>(kAcceleration)->IsChecked());
    EXPECT_TRUE(control<ui::CRadioButton>(kWheelPage)->IsSelected());
    EXPECT_TRUE(control<ui::CSliderControl>(kWheelLinesSlider)->isDisabled());
}

} // namespace
} // namespace quorvik::test
