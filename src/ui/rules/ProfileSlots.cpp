#include "ui/rules/ProfileSlots.h"

#include "macro/MacroEditing.h"
#include "model/ProfileRecord.h"

#include <algorithm>

namespace quorvik::ui::rules {

VisibleSlots VisibleProfiles(const model::ConfigPairs& config) {
    VisibleSlots visible;
    visible.count = config.ShowCountClamped();
    for (int position = 0; position < visible.count; ++position)
        visible.order[std::size_t(position)] = config.ShowListSlot(position);
    return visible;
}

bool SlotShown(const model::ConfigPairs& config, int slot) {
    const VisibleSlots visible = VisibleProfiles(config);
    return std::find(visible.order.begin(), visible.order.begin() + visible.count, slot) !=
           visible.order.begin() + visible.count;
}

RuleSlotState RuleSlotStateOf(const model::ConfigPairs& config, int slot) {
    if (slot < 0 || slot >= model::kProfileSlotCount)
        return RuleSlotState::NoSuchProfile;
    return SlotShown(config, slot) ? RuleSlotState::Followed : RuleSlotState::NotShown;
}

std::optional<int> SlotForNewProfile(const model::ConfigPairs& config, int currentSlot) {
    const VisibleSlots visible = VisibleProfiles(config);
    if (visible.count >= kProfileLimit)
        return std::nullopt;
    // Add resets the slot it hands out: one that is shown or in use would lose its profile.
    auto isFree = [&](int slot) {
        for (int position = 0; position < visible.count; ++position)
            if (visible.order[std::size_t(position)] == slot)
                return false;
        return slot != currentSlot;
    };
    if (const int next = config.ShowListSlot(visible.count); isFree(next))
        return next;
    for (int slot = 0; slot < model::kProfileSlotCount; ++slot)
        if (isFree(slot))
            return slot;
    return std::nullopt;
}

void AddProfile(model::ConfigPairs& config, int slot, std::u16string name) {
    const int n = config.ShowCountClamped();
    if (n < kProfileLimit && config.ShowListSlot(n) != slot) {
        // The new profile is shown at position n. Where the slot already stood further on, the two
        // entries change places; a slot the list did not hold replaces the entry at n.
        for (int position = n + 1; position < kProfileLimit; ++position) {
            if (config.ShowListSlot(position) == slot) {
                config.SetProfileShowList(position, config.ShowListSlot(n));
                break;
            }
        }
        config.SetProfileShowList(n, slot);
    }
    config.SetProfileShowCount(n + 1);
    model::ProfileRecord& record = model::Profile(slot);
    record.ResetToFactory(0);
    record.SetPairValue(model::kPairProfileName, std::move(name));
}

DeleteOutcome DeleteProfile(model::ConfigPairs& config, int slot, int currentSlot) {
    if (slot == currentSlot)
        return DeleteOutcome::IsCurrent;
    const VisibleSlots visible = VisibleProfiles(config);
    int found = -1;
    for (int position = 0; position < visible.count && found < 0; ++position)
        if (visible.order[std::size_t(position)] == slot)
            found = position;
    if (found < 0)
        return DeleteOutcome::NotShown;
    // Only a configuration whose current slot is not shown gets here: a show count of 0 would
    // leave the user nothing to select.
    if (visible.count <= 1)
        return DeleteOutcome::LastShown;

    std::array<int, kProfileLimit> list{};
    for (int position = 0; position < kProfileLimit; ++position)
        list[std::size_t(position)] = config.ShowListSlot(position);
    for (int position = found; position < kProfileLimit - 1; ++position)
        list[std::size_t(position)] = list[std::size_t(position) + 1];
    list[kProfileLimit - 1] = slot;
    for (int position = 0; position < kProfileLimit; ++position)
        config.SetProfileShowList(position, list[std::size_t(position)]);
    config.SetProfileShowCount(visible.count - 1);
    return DeleteOutcome::Deleted;
}

std::optional<int> SlotOfPopupEntry(const model::ConfigPairs& config, int entry) {
    const int position = entry - kPopupFirstProfileEntry;
    if (position < 0 || position >= kProfileLimit || position >= config.ShowCountClamped())
        return std::nullopt;
    return config.ShowListSlot(position);
}

std::u16string CleanProfileName(std::u16string_view typed) {
    return macro::CleanItemName(typed);
}

} // namespace quorvik::ui::rules
