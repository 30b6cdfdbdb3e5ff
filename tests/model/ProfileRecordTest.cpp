#include "model/ProfileRecord.h"
#include "SmallLanguage.h"
#include "model/LanguageTable.h"
#include "platform/ProcessGlobals.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace quorvik::model {
namespace {

using Codes = std::array<std::uint16_t, kDpiLevelCount>;

class ProfileRecordTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(test::LoadSmallEnglishLanguage(dir_));
        SetSensorIdentifier(kDefaultSensor);
    }
    void TearDown() override {
        ResetLanguageTables();
        SetSensorIdentifier(kDefaultSensor);
    }

    test::TempDir dir_;
};

// Every factory value is checked byte by byte through the factory profile file; here only what
// depends on the slot number and on the previous contents.
TEST_F(ProfileRecordTest, FactoryResetNamesTheSlotAndDropsButtonMacros) {
    ProfileRecord r;
    r.ResetToFactory(3);
    EXPECT_EQ(r.PairValue(kPairProfileName), u"Movie");
    r.ResetToFactory(7);
    EXPECT_EQ(r.PairValue(kPairProfileName), u"Profile8");
    EXPECT_EQ(r.buttons[6].Name, u"Fire");

    model::MacroRecord m;
    m.name = u"combo";
    m.InsertAction(0, model::MakeKeyEvent(0x41, false));
    r.AssignMacro(2, &m);
    r.buttons[2].MacroKeyIndex = 9;
    r.ResetToFactory(0);
    EXPECT_EQ(r.buttons[2].Macro.name, u"");
    EXPECT_EQ(r.buttons[2].Macro.MacroActionNum, 0u);
    EXPECT_EQ(r.buttons[2].Macro.actions[0], model::MacroAction{});
    EXPECT_EQ(r.buttons[2].MacroKeyIndex, 0u);
}

TEST_F(ProfileRecordTest, DpiDefaultsFollowTheSensor) {
    struct Case {
        std::uint16_t sensor;
        Codes codes;
    };
    const Case cases[] = {
        {0x3212, {0x06, 0x0A, 0x0E, 0x16, 0x21, 0x0C, 0x0C, 0x0C}},
        {0x3360, {0x03, 0x07, 0x0F, 0x1F, 0x31, 0x3B, 0x3B, 0x3B}},
        {0x3389, {0x03, 0x07, 0x0F, 0x1F, 0x31, 0x3B, 0x3B, 0x3B}},
        {0x3399, {0x07, 0x0F, 0x1F, 0x3F, 0x63, 0x63, 0x63, 0x63}},
        // Level 6 of this sensor is the program's own choice: the top of its 48 steps.
        {0x3104, {0x04, 0x0F, 0x17, 0x1F, 0x2F, 0x2F, 0x3A, 0x32}},
    };
    for (const auto& c : cases) {
        SetSensorIdentifier(c.sensor);
        ProfileRecord r;
        r.XYSetting.fill(0x55);
        r.ResetToFactory(0);
        EXPECT_EQ(r.XYSetting, c.codes) << std::hex << c.sensor;
    }
}

TEST_F(ProfileRecordTest, UnknownSensorKeepsTheCodesButResetsTheRestOfTheDpiBlock) {
    SetSensorIdentifier(0x1234);
    ProfileRecord r;
    r.XYSetting = {1, 2, 3, 4, 5, 6, 7, 8};
    r.DPIOffOnFlagValue = 0x01;
    r.CurrentDPILevelValue = 0;
    r.AngleSnapValue = 1;
    r.ApplySensorDpiDefaults();
    EXPECT_EQ(r.XYSetting, (Codes{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(r.DPIOffOnFlagValue, 0x3F);
    EXPECT_EQ(r.CurrentDPILevelValue, 1);
    EXPECT_EQ(r.AngleSnapValue, 0);
    EXPECT_EQ(r.LiftDetectionValue, 2);
}

TEST_F(ProfileRecordTest, PairAndButtonAccessStayInsideTheTables) {
    ProfileRecord r;
    r.ResetToFactory(0);
    EXPECT_EQ(r.PairName(20), u"");
    EXPECT_EQ(r.PairValue(-1), u"");
    r.SetPairValue(20, 5); // ignored, not written past the table
    r.SetPairFlag(kPairMotionWakeup, false);
    EXPECT_EQ(r.PairValue(kPairMotionWakeup), u"0");
    r.pairs[kPairKeyDebounce].value = u"14ms";
    EXPECT_EQ(r.PairNumber(kPairKeyDebounce), 14);

    model::MacroRecord m;
    m.InsertAction(0, model::MakeKeyEvent(0x41, false));
    m.InsertAction(1, model::MakeDelay(30));
    m.MacroCommandActionNum = m.CountEvents();
    r.AssignMacro(4, &m);
    m.actions[0] = model::MakeKeyEvent(0x42, false);
    EXPECT_EQ(r.buttons[4].Macro.actions[0], model::MakeKeyEvent(0x41, false)) << "the button holds a copy";
    EXPECT_EQ(r.buttons[4].Macro.MacroCommandActionNum, 1);
    r.AssignMacro(4, nullptr);
    EXPECT_EQ(r.buttons[4].Macro.MacroActionNum, 0u);
    r.AssignMacro(7, &m); // no such button; nothing happens
}

TEST_F(ProfileRecordTest, ValuesUsedAsIndexesAreCheckedBeforeUse) {
    ProfileRecord r;
    r.ResetToFactory(0);
    EXPECT_EQ(r.SelectedEffect(), 1);
    r.Lighting1ModeValue[0] = 9;
    EXPECT_EQ(r.SelectedEffect(), 9);
    r.Lighting1ModeValue[0] = 10;
    EXPECT_EQ(r.SelectedEffect(), std::nullopt);

    r.PollingRateValue[0] = 3;
    EXPECT_EQ(r.PollingRateCode(), 3);
    r.PollingRateValue[0] = 4;
    EXPECT_EQ(r.PollingRateCode(), std::nullopt);

    // Levels 1, 3, 4, 6 on; the third enabled level is level 4.
    r.DPIOffOnFlagValue = 0x2D;
    r.CurrentDPILevelValue = 2;
    EXPECT_EQ(r.ActiveDpiLevel(), 3);
    r.CurrentDPILevelValue = 4;
    EXPECT_EQ(r.ActiveDpiLevel(), std::nullopt);
    r.DPIOffOnFlagValue = 0;
    r.CurrentDPILevelValue = 0;
    EXPECT_EQ(r.ActiveDpiLevel(), std::nullopt);

    r.XYSetting[6] = 0x3A;
    EXPECT_EQ(r.StepCode(6, 48), 47);
    EXPECT_EQ(r.StepCode(6, 59), 0x3A);
    EXPECT_EQ(r.StepCode(6, 0), 0);
    EXPECT_EQ(r.StepCode(8, 520), r.XYSetting[0]);
}

TEST_F(ProfileRecordTest, SlotIndexesOutsideTheFiveSlotsAreRefused) {
    EXPECT_NO_THROW(Profile(4));
    EXPECT_THROW(Profile(5), std::out_of_range);
    EXPECT_THROW(Profile(-1), std::out_of_range);
    SetCurrentSlot(5);
    EXPECT_EQ(CurrentSlot(), 0);
}

} // namespace
} // namespace quorvik::model
