#include "device/ProfileReports.h"

#include <gtest/gtest.h>

using namespace quorvik::device;
using quorvik::model::MakeCode;
using quorvik::model::ProfileRecord;

TEST(ProfileReports, ButtonsGoToTheirDevicePositions) {
    ProfileRecord p;
    for (int b = 0; b < 7; ++b)
        p.buttons[b].Value = MakeCode(0x10, static_cast<std::uint8_t>(b), 0x00);
    const Report r3 = BuildButtonReport(1, p, 3);
    EXPECT_EQ(r3[7], 3);
    EXPECT_EQ(r3[9], 4); // position 3 carries button 4
    EXPECT_EQ(BuildButtonReport(1, p, 4)[9], 3);
    EXPECT_EQ(BuildButtonReport(1, p, 6)[9], 6);
}

TEST(ProfileReports, DpiLevelsUseTheSensorsRegisters) {
    SensorTables tables;
    tables.Rebuild(0x3325);
    ProfileRecord p;
    p.DPIOffOnFlagValue = 0x2D;
    p.CurrentDPILevelValue = 2;
    p.XYSetting = {6, 0, 1, 2, 3, 4, 5, 7};
    const Report r = BuildDpiLevelsReport(1, p, tables);
    EXPECT_EQ(r[7], 0x34);
    EXPECT_EQ(r[8], 0x2D);
    EXPECT_EQ(r[9], 0x07);
    EXPECT_EQ(r[10], 0x00);
    EXPECT_EQ(r[19], 5); // level 6: code 4 → register 5; levels 7 and 8 are never sent
    EXPECT_EQ(r[21], 0);

    tables.Rebuild(0x3360);
    p.XYSetting[0] = 3;
    EXPECT_EQ(BuildDpiLevelsReport(1, p, tables)[9], 0x03);

    // A code beyond the sensor's steps (from a file) is sent as the last step's register.
    p.XYSetting[0] = 5000;
    const Report clamped = BuildDpiLevelsReport(1, p, tables);
    EXPECT_EQ(clamped[9], 120);
    EXPECT_EQ(clamped[10], 0);
}

TEST(ProfileReports, SettingPairsSendTheirLowByte) {
    ProfileRecord p;
    p.SetPairValue(quorvik::model::kPairKeyDebounce, 260); // low 8 bits: 4
    p.SetPairValue(quorvik::model::kPairPowerDownTime, 10);
    p.SetPairValue(quorvik::model::kPairMoveLightingOnOffMode, 1);
    p.SetPairValue(quorvik::model::kPairMotionWakeup, std::u16string(u"x1")); // not a number → 0
    p.SetPairValue(quorvik::model::kPairLiftDetectionHeight, 1);
    EXPECT_EQ(BuildDebounceReport(1, p)[7], 4);
    EXPECT_EQ(BuildPowerSavingReport(1, p)[7], 10);
    EXPECT_EQ(BuildPowerSavingReport(1, p)[8], 1);
    EXPECT_EQ(BuildMotionWakeupReport(1, p)[7], 0);
    EXPECT_EQ(BuildLiftOffReport(1, p)[7], 1);
}

TEST(ProfileReports, LightingTakesTheSelectedEffectsValues) {
    ProfileRecord p;
    p.Lighting1ModeValue[0] = 2;
    p.Lighting1Brightness[2] = 3;
    p.Lighting1Speed[2] = 1;
    p.Lighting1ColorSelected[2] = {1, 1, 1, 0, 0, 0, 0, 1, 1, 1};
    p.Lighting1FixedColor[2] = {0x0000FF, 0, 0x00FF00, 0, 0, 0, 0, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF};
    const Report r = BuildLightingReport(1, p);
    EXPECT_EQ(r[6], 9); // slots 7..9 are never sent
    EXPECT_EQ(r[8], 0x42);
    EXPECT_EQ(r[9], 2);

    // An effect number from a file beyond the ten effects: no table is read past its end.
    p.Lighting1ModeValue[0] = 200;
    const Report wild = BuildLightingReport(1, p);
    EXPECT_EQ(wild[6], 0);
    EXPECT_EQ(wild[7], 200);
    EXPECT_EQ(wild[8], 0x11);
}
