// Which colour slots of a lighting effect may be switched off.
#include "ui/rules/ColourSlotRule.h"

#include <gtest/gtest.h>

namespace quorvik::ui::rules {
namespace {

ColourSelection slots(std::initializer_list<int> selected) {
    ColourSelection row{};
    for (int k : selected)
        row[std::size_t(k)] = 1;
    return row;
}

TEST(ColourSlotRule, ReactiveKeepsTwoColoursAndAllowsMore) {
    EXPECT_EQ(ToggleColourSlot(6, slots({0, 1}), 0).refusedText, kTextNeedsTwoColours);
    EXPECT_TRUE(ToggleColourSlot(6, slots({0, 1}), 0).selected);
    // Slot 7 counts among the two even though the page never shows it.
    EXPECT_EQ(DeselectRefusal(6, slots({3, 7}), 3), kTextNeedsTwoColours);
    const SlotToggle three = ToggleColourSlot(6, slots({0, 1, 2}), 0);
    EXPECT_FALSE(three.selected);
    EXPECT_EQ(three.refusedText, 0);
    // Slots 8 and 9 are outside the counted range.
    EXPECT_EQ(DeselectRefusal(6, slots({0, 8, 9}), 0), 0);
}

TEST(ColourSlotRule, SteadyNeverLetsAColourGo) {
    for (int slot = 0; slot < model::kEffectColourCount; ++slot)
        EXPECT_EQ(DeselectRefusal(3, slots({0, 1, 2, 3, 4, 5, 6, 7, 8, 9}), slot), kTextNeedsAColour) << slot;
    // A slot that is off can still be switched on.
    EXPECT_EQ(ToggleColourSlot(3, slots({0}), 1).selected, true);
    EXPECT_EQ(ToggleColourSlot(3, slots({0}), 1).refusedText, 0);
}

TEST(ColourSlotRule, BreathingEffectsKeepTheirLastColourInTheirRange) {
    EXPECT_EQ(DeselectRefusal(2, slots({4}), 4), kTextNeedsAColour);
    EXPECT_EQ(DeselectRefusal(2, slots({4, 6}), 4), 0);
    // Slot 7 of effect 2 is not among the cycled ones: it goes even when it is the only one…
    EXPECT_EQ(DeselectRefusal(2, slots({7}), 7), 0);
    // …and does not keep slot 4 company.
    EXPECT_EQ(DeselectRefusal(2, slots({4, 7}), 4), kTextNeedsAColour);
    EXPECT_EQ(DeselectRefusal(7, slots({1}), 1), kTextNeedsAColour);
    EXPECT_EQ(DeselectRefusal(7, slots({0, 1}), 1), 0);
    EXPECT_EQ(DeselectRefusal(7, slots({1, 2}), 1), kTextNeedsAColour);
}

TEST(ColourSlotRule, OtherEffectsAndOutOfRangeSlots) {
    for (int effect : {0, 1, 4, 5, 8, 9, 10, -1}) {
        const SlotToggle off = ToggleColourSlot(effect, slots({2}), 2);
        EXPECT_FALSE(off.selected) << effect;
        EXPECT_EQ(off.refusedText, 0) << effect;
    }
    EXPECT_EQ(ToggleColourSlot(3, slots({0}), 10).selected, false);
    EXPECT_EQ(ToggleColourSlot(3, slots({0}), -1).refusedText, 0);
}

} // namespace
} // namespace quorvik::ui::rules
