// The DPI page's arithmetic: the current level when levels are turned on and off, and the step a
// typed DPI number selects.
#include "ui/rules/DpiLevelRule.h"
#include "device/SensorTables.h"

#include <gtest/gtest.h>

#include <vector>

namespace quorvik::ui::rules {
namespace {

TEST(DpiLevelRule, TheCurrentLevelStaysTheSameLevelOrFallsToTheNextLowerOne) {
    // Levels 1 … 6 on, level 3 current (n = 2).
    auto off1 = ApplyDpiLevelRule(0x3F, 0, false, 2);
    EXPECT_TRUE(off1.accepted);
    EXPECT_EQ(off1.mask, 0x3E);
    EXPECT_EQ(off1.current, 1); // still level 3
    auto off3 = ApplyDpiLevelRule(0x3F, 2, false, 2);
    EXPECT_EQ(off3.mask, 0x3B);
    EXPECT_EQ(off3.current, 1); // level 2 becomes current
    auto on8 = ApplyDpiLevelRule(0x3F, 7, true, 2);
    EXPECT_EQ(on8.mask, 0xBF);
    EXPECT_EQ(on8.current, 2); // above the current level: no change
    // A level turned on below the current one moves its count up.
    auto on1 = ApplyDpiLevelRule(0x3E, 0, true, 1); // level 3 current among 2 … 6
    EXPECT_EQ(on1.current, 2);
    // Level 6 off while level 3 is current: nothing moves.
    EXPECT_EQ(ApplyDpiLevelRule(0x3F, 5, false, 2).current, 2);
    // The lowest level is current and goes off: the new lowest level is current.
    auto offLowest = ApplyDpiLevelRule(0x0D, 0, false, 0);
    EXPECT_EQ(offLowest.mask, 0x0C);
    EXPECT_EQ(offLowest.current, 0);
    // The current level 8 goes off: level 6 (the next lower one on) becomes current.
    auto offTop = ApplyDpiLevelRule(0xA1, 7, false, 2);
    EXPECT_EQ(offTop.mask, 0x21);
    EXPECT_EQ(offTop.current, 1);
}

TEST(DpiLevelRule, TheLastLevelOnCannotBeTurnedOff) {
    for (int k = 0; k < kDpiLevels; ++k) {
        auto only = static_cast<std::uint8_t>(1u << k);
        auto change = ApplyDpiLevelRule(only, k, false, 0);
        EXPECT_FALSE(change.accepted) << k;
        EXPECT_EQ(change.mask, only);
        EXPECT_EQ(change.current, 0);
    }
}

TEST(DpiLevelRule, DamagedRecordsGiveALevelThatExists) {
    // n beyond the levels that are on counts as the last of them (level 2 of 0x03).
    auto change = ApplyDpiLevelRule(0x03, 0, false, 5);
    EXPECT_EQ(change.mask, 0x02);
    EXPECT_EQ(change.current, 0);
    // Nothing on at all: the level turned on is current.
    auto first = ApplyDpiLevelRule(0x00, 4, true, 3);
    EXPECT_TRUE(first.accepted);
    EXPECT_EQ(first.mask, 0x10);
    EXPECT_EQ(first.current, 0);
    // A click that matches what the mask already says changes nothing.
    auto same = ApplyDpiLevelRule(0x3F, 1, true, 2);
    EXPECT_EQ(same.mask, 0x3F);
    EXPECT_EQ(same.current, 2);
}

TEST(DpiLevelRule, NthSetBitCountsFromTheLowestBit) {
    EXPECT_EQ(NthSetBit(0xA4, 0), 2);
    EXPECT_EQ(NthSetBit(0xA4, 2), 7);
    EXPECT_EQ(NthSetBit(0xA4, 3), std::nullopt);
}

std::vector<std::uint16_t> stepValues(std::uint16_t sensor) {
    device::SensorTables tables;
    EXPECT_TRUE(tables.Rebuild(sensor));
    std::vector<std::uint16_t> values;
    for (std::uint16_t c = 0; c < tables.StepCount(); ++c)
        values.push_back(tables.StepValue(c));
    return values;
}

TEST(DpiStep, ATypedNumberSelectsTheFirstStepAtLeastAsHigh) {
    const auto values = stepValues(0x3325);
    EXPECT_EQ(StepForDpi(values, 850), 7); // step value 18: 900 DPI
    EXPECT_EQ(StepForDpi(values, 900), 7);
    EXPECT_EQ(StepForDpi(values, 901), 8);
    EXPECT_EQ(StepForDpi(values, 0), 0);
    EXPECT_EQ(StepForDpi(values, 99999), 58); // none is as high: the last step, 10000 DPI
    EXPECT_EQ(StepForDpi(values, 10000), 58);
    EXPECT_EQ(StepForDpi({}, 800), 0);
}

TEST(DpiStep, OnlyDigitsAreANumber) {
    EXPECT_EQ(ParseDpiText(u"850"), 850);
    EXPECT_EQ(ParseDpiText(u" 1600 "), 1600);
    EXPECT_EQ(ParseDpiText(u"0"), 0);
    EXPECT_EQ(ParseDpiText(u"-800"), std::nullopt);
    EXPECT_EQ(ParseDpiText(u"+800"), std::nullopt);
    EXPECT_EQ(ParseDpiText(u"8OO"), std::nullopt);
    EXPECT_EQ(ParseDpiText(u"16 00"), std::nullopt);
    EXPECT_EQ(ParseDpiText(u""), std::nullopt);
    EXPECT_EQ(ParseDpiText(u"   "), std::nullopt);
    // Too long for a number: beyond every step, not a wrapped small one.
    auto huge = ParseDpiText(u"99999999999999999999999999");
    ASSERT_TRUE(huge.has_value());
    EXPECT_EQ(StepForDpi(stepValues(0x3325), *huge), 58);
}

} // namespace
} // namespace quorvik::ui::rules
