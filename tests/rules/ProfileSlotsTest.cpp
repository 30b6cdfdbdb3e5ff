// The show list of the profile slots where the window's tests do not reach: what Delete refuses,
// which slot a list entry selects, a show list read from a file, and how typed names are kept.
// (Add and Delete as the user meets them are tested through the window.)
#include "ui/rules/ProfileSlots.h"
#include "model/ConfigPairs.h"
#include "model/ProfileRecord.h"

#include <gtest/gtest.h>

#include <vector>

namespace quorvik::ui::rules {
namespace {

model::ConfigPairs configWith(std::vector<int> list, int count) {
    model::ConfigPairs config;
    config.SetFactory("/data/");
    for (int position = 0; position < 5; ++position)
        config.SetProfileShowList(position, list[std::size_t(position)]);
    config.SetProfileShowCount(count);
    return config;
}

std::vector<int> listOf(const model::ConfigPairs& config) {
    std::vector<int> list;
    for (int position = 0; position < 5; ++position)
        list.push_back(int(config.ProfileShowList(position)));
    return list;
}

TEST(ProfileSlots, DeletingTheLastVisiblePositionMovesNothing) {
    model::ConfigPairs config = configWith({0, 2, 3, 4, 1}, 3);
    EXPECT_EQ(DeleteProfile(config, 3, 0), DeleteOutcome::Deleted);
    EXPECT_EQ(listOf(config), (std::vector<int>{0, 2, 4, 1, 3}));
    EXPECT_EQ(config.ProfileShowCount(), 2);
    EXPECT_EQ(SlotForNewProfile(config, 0), 4);
}

TEST(ProfileSlots, DeleteRefusesTheCurrentAndSlotsThatAreNotShown) {
    model::ConfigPairs config = configWith({2, 0, 1, 3, 4}, 3);
    const model::ConfigPairs before = config;
    EXPECT_EQ(DeleteProfile(config, 0, 0), DeleteOutcome::IsCurrent);
    EXPECT_EQ(DeleteProfile(config, 3, 0), DeleteOutcome::NotShown) << "a free slot";
    EXPECT_EQ(DeleteProfile(config, 7, 0), DeleteOutcome::NotShown);
    EXPECT_EQ(listOf(config), listOf(before));
    EXPECT_EQ(config.ProfileShowCount(), 3);

    // A configuration whose current slot is not shown keeps its one visible profile.
    model::ConfigPairs one = configWith({1, 0, 2, 3, 4}, 1);
    EXPECT_EQ(DeleteProfile(one, 1, 4), DeleteOutcome::LastShown);
    EXPECT_EQ(one.ProfileShowCount(), 1);
}

TEST(ProfileSlots, PopupEntriesStandForTheVisiblePositionsInOrder) {
    const model::ConfigPairs config = configWith({0, 2, 3, 4, 1}, 3);
    EXPECT_EQ(SlotOfPopupEntry(config, kPopupFirstProfileEntry + 0), 0);
    EXPECT_EQ(SlotOfPopupEntry(config, kPopupFirstProfileEntry + 1), 2);
    EXPECT_EQ(SlotOfPopupEntry(config, kPopupFirstProfileEntry + 2), 3);
    EXPECT_EQ(SlotOfPopupEntry(config, kPopupFirstProfileEntry + 3), std::nullopt) << "beyond the visible ones";
    EXPECT_EQ(SlotOfPopupEntry(config, kPopupHeaderEntry), std::nullopt);
    EXPECT_EQ(SlotOfPopupEntry(config, kPopupAddEntry), std::nullopt);

    const VisibleSlots visible = VisibleProfiles(config);
    EXPECT_EQ(visible.count, 3);
    EXPECT_EQ((std::vector<int>{visible.order[0], visible.order[1], visible.order[2]}), (std::vector<int>{0, 2, 3}));
}

TEST(ProfileSlots, AShowListFromAFileIsUsedWithinItsRange) {
    // Out-of-range entries read as their position's factory slot, a count above five as five.
    model::ConfigPairs config = configWith({0, 9, 2, 3, 4}, 8);
    EXPECT_EQ(VisibleProfiles(config).count, 5);
    EXPECT_EQ(VisibleProfiles(config).order[1], 1);
    EXPECT_EQ(SlotForNewProfile(config, 0), std::nullopt);
}

TEST(ProfileSlots, TypedNamesStayOnOneLine) {
    EXPECT_EQ(CleanProfileName(u"Fast\nShooter\r\t"), u"FastShooter");
    EXPECT_EQ(CleanProfileName(u"a=b ü 游戏"), u"a=b ü 游戏") << "everything else stays as typed";
    EXPECT_EQ(CleanProfileName(u"\n\u2028"), u"");
}

} // namespace
} // namespace quorvik::ui::rules
