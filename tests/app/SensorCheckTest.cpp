// The sensor check of the start-up load and the sensor change at run time: which sensor the
// profiles' DPI codes are set up for, and when they are set up again.
#include "SettingsLoadSupport.h"

namespace quorvik::model::startup_test {
namespace {

TEST_F(SettingsLoadTest, SensorChangeSincePreSTResetsEveryProfileDpiBlockAndKeepsTheCurrentSlot) {
    startWithSensorPair(u"0x3389", u"0xCCDA", u"3");
    for (int s = 0; s < kProfileSlotCount; ++s) {
        Profile(s).SetPairValue(kPairPointerSpeed, 10 + s);
        Profile(s).DPIOffOnFlagValue = 0x01;
        ASSERT_TRUE(WriteProfile(s, Config().ProfileSlotPath(s)));
    }

    const LoadResult r = LoadSettingsModel(paths_);
    EXPECT_TRUE(r.sensorReset);
    EXPECT_EQ(SensorIdentifier(), 0x3389);
    EXPECT_EQ(CurrentSlot(), 3);
    ConfigPairs onDisk;
    ASSERT_TRUE(onDisk.Read(data("config/config.ini").string()));
    EXPECT_EQ(onDisk.Value(kCfgPreST), u"0xCC76");
    EXPECT_EQ(onDisk.Value(kCfgSensor), u"0x3389");
    EXPECT_EQ(onDisk.Value(kCfgCurrentProfile), u"3") << "the start-up save must keep the user's slot";
    for (int s = 0; s < kProfileSlotCount; ++s) {
        ProfileRecord back;
        ASSERT_TRUE(ReadProfileRecord(back, slotFile(s).string()));
        EXPECT_EQ(back.XYSetting, k3389Codes) << s;
        EXPECT_EQ(back.DPIOffOnFlagValue, 0x3F) << s;
        EXPECT_EQ(back.PairNumber(kPairPointerSpeed), 10 + s) << "only the DPI block is reset";
    }
}

TEST_F(SettingsLoadTest, MatchingPreSTChangesNothing) {
    startWithSensorPair(u"0x3389", u"0xCC76", u"2");
    const auto configBefore = test::readBytes(data("config/config.ini"));
    const auto profileBefore = test::readBytes(slotFile(4));

    const LoadResult r = LoadSettingsModel(paths_);
    EXPECT_FALSE(r.sensorReset);
    EXPECT_EQ(SensorIdentifier(), 0x3389);
    EXPECT_EQ(Profile(4).XYSetting, k3325Codes) << "codes set up earlier stay";
    EXPECT_EQ(test::readBytes(data("config/config.ini")), configBefore);
    EXPECT_EQ(test::readBytes(slotFile(4)), profileBefore);
}

// A sensor the program has no factory codes for stays the configured one: the first start sets
// PreST up for it (resetting the rest of the DPI block once), and no later start resets anything.
TEST_F(SettingsLoadTest, UnknownSensorKeepsTheDpiCodesAndSettlesAfterOneStart) {
    startWithSensorPair(u"0xF123", u"0xCCDA", u"1");
    const Codes custom{0x01, 0x05, 0x09, 0x0D, 0x11, 0x15, 0x19, 0x1D};
    for (int s = 0; s < kProfileSlotCount; ++s) {
        Profile(s).XYSetting = custom;
        Profile(s).DPIOffOnFlagValue = 0x07;
        ASSERT_TRUE(WriteProfile(s, Config().ProfileSlotPath(s)));
    }

    LoadResult r = LoadSettingsModel(paths_);
    EXPECT_TRUE(r.sensorReset);
    EXPECT_EQ(SensorIdentifier(), 0xF123);
    ConfigPairs onDisk;
    ASSERT_TRUE(onDisk.Read(data("config/config.ini").string()));
    EXPECT_EQ(onDisk.Value(kCfgSensor), u"0xF123");
    EXPECT_EQ(onDisk.Value(kCfgPreST), u"0x EDC");
    for (int s = 0; s < kProfileSlotCount; ++s) {
        ProfileRecord back;
        ASSERT_TRUE(ReadProfileRecord(back, slotFile(s).string()));
        EXPECT_EQ(back.XYSetting, custom) << s;
        EXPECT_EQ(back.DPIOffOnFlagValue, 0x3F) << "the rest of the block is set up once";
    }

    const Snapshot settled = snapshot(data("config"));
    for (int start = 0; start < 2; ++start) {
        Config() = ConfigPairs{}; // as in a new process
        r = LoadSettingsModel(paths_);
        EXPECT_FALSE(r.sensorReset) << start;
        EXPECT_EQ(SensorIdentifier(), 0xF123);
        EXPECT_EQ(snapshot(data("config")), settled) << "nothing written at start " << start;
    }
}

// The profiles are read after the sensor is known: a missing slot file is re-created with the DPI
// codes of the configured sensor, not those of the default one.
TEST_F(SettingsLoadTest, MissingProfileIsRecreatedForTheConfiguredSensor) {
    startWithSensorPair(u"0x3212", u"0xCDED", u"0");
    fs::remove(slotFile(3));
    const LoadResult r = LoadSettingsModel(paths_);
    EXPECT_FALSE(r.sensorReset);
    EXPECT_FALSE(r.profilesRead[3]);
    EXPECT_EQ(Profile(3).XYSetting, k3212Codes);
    ProfileRecord back;
    ASSERT_TRUE(ReadProfileRecord(back, slotFile(3).string()));
    EXPECT_EQ(back.XYSetting, k3212Codes);
    EXPECT_EQ(Profile(2).XYSetting, k3325Codes) << "files that were read keep their codes";
}

TEST_F(SettingsLoadTest, RunTimeSensorChangeRewritesConfigurationAndProfiles) {
    LoadSettingsModel(paths_);
    SetCurrentSlot(1);
    const auto before = test::readBytes(slotFile(0));
    EXPECT_FALSE(ChangeSensor(0x3325));
    EXPECT_EQ(test::readBytes(slotFile(0)), before);

    Profile(2).XYSetting[0] = 0x20;
    EXPECT_TRUE(ChangeSensor(0x3212));
    EXPECT_EQ(SensorIdentifier(), 0x3212);
    ConfigPairs onDisk;
    ASSERT_TRUE(onDisk.Read(data("config/config.ini").string()));
    EXPECT_EQ(onDisk.Value(kCfgSensor), u"0x3212");
    EXPECT_EQ(onDisk.Value(kCfgPreST), u"0xCDED");
    EXPECT_EQ(onDisk.Value(kCfgCurrentProfile), u"1");
    for (int s = 0; s < kProfileSlotCount; ++s) {
        ProfileRecord back;
        ASSERT_TRUE(ReadProfileRecord(back, slotFile(s).string()));
        EXPECT_EQ(back.XYSetting, (Codes{0x06, 0x0A, 0x0E, 0x16, 0x21, 0x0C, 0x0C, 0x0C})) << s;
    }
    // The next start agrees with what was saved: no second reset.
    EXPECT_FALSE(LoadSettingsModel(paths_).sensorReset);
}

} // namespace
} // namespace quorvik::model::startup_test
