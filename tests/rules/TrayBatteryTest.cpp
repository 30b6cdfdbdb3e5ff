// The tray's battery tip and the low-battery notice.
#include "ui/rules/TrayBattery.h"

#include <gtest/gtest.h>

#include <vector>

namespace quorvik::ui::rules {
namespace {

const BatteryWords kWords{u"Gaming Mouse — %1 %", u"Gaming Mouse — charging", u"Gaming Mouse — fully charged"};

TEST(TrayBattery, TheTipNamesTheLevelOrTheChargeState) {
    EXPECT_EQ(BatteryTip(kWords, 76, kNotCharging), u"Gaming Mouse — 76 %");
    EXPECT_EQ(BatteryTip(kWords, 0, kNotCharging), u"Gaming Mouse — 0 %");
    EXPECT_EQ(BatteryTip(kWords, 40, kCharging), u"Gaming Mouse — charging");
    EXPECT_EQ(BatteryTip(kWords, 100, kFullyCharged), u"Gaming Mouse — fully charged");
    EXPECT_EQ(BatteryTip({u"游戏鼠标 — %1 %", u"", u""}, 9, kNotCharging), u"游戏鼠标 — 9 %");
    EXPECT_EQ(WithValue(u"%1 of %1", u"3"), u"3 of 3");
    EXPECT_EQ(WithValue(u"100 %", u"3"), u"100 %") << "a lone % is no placeholder";
}

TEST(TrayBattery, OneNoticePerFallBelowTheMark) {
    struct Step {
        int level;
        int charge;
        bool notified;
    };
    const std::vector<Step> steps = {
        {40, kNotCharging, false},  {15, kNotCharging, false}, // the mark itself is not low
        {14, kNotCharging, true},   {12, kNotCharging, false}, // still the same fall
        {9, kNotCharging, false},   {9, kCharging, false},     // charging re-arms it
        {8, kNotCharging, true},                               // unplugged again while low: a new fall
        {15, kNotCharging, false},  {19, kNotCharging, false}, // jitter above the mark is no recovery
        {14, kNotCharging, false},  {16, kNotCharging, false},  {13, kNotCharging, false},
        {20, kNotCharging, false}, // back at 20 %: re-armed
        {14, kNotCharging, true},   {10, kFullyCharged, false}, {3, kNotCharging, true},
        {255, kNotCharging, false}, {2, kNotCharging, false}, // a reading above 100 % is no level
    };
    LowBatteryNotice notice;
    for (const Step& step : steps)
        EXPECT_EQ(notice.Update(step.level, step.charge), step.notified) << step.level << " / " << step.charge;
}

TEST(TrayBattery, TheFirstReadingBelowTheMarkIsAFall) {
    LowBatteryNotice notice;
    EXPECT_FALSE(notice.Update(101, kNotCharging));
    EXPECT_TRUE(notice.Armed()) << "a reading above 100 % neither tells nor disarms";
    EXPECT_TRUE(notice.Update(5, kNotCharging));
    EXPECT_FALSE(notice.Armed());
}

} // namespace
} // namespace quorvik::ui::rules
