#include "ui/rules/ColourSlotRule.h"

namespace quorvik::ui::rules {

namespace {

enum class Keep {
    Always,     // no slot of the effect can be switched off
    LastOne,    // the last selected slot of the range stays
    ExactlyTwo, // with exactly two selected slots in the range, both stay
};

struct Guard {
    int effect;
    int firstSlot;
    int lastSlot;
    Keep keep;
    int text;
};

// The steady effect has a single colour; the breathing effect cycles slots 0 … 6 and the
// two-colour breathing slots 0 and 1, each needing one; the reactive effect mixes two.
constexpr Guard kGuards[] = {
    {3, 0, model::kEffectColourCount - 1, Keep::Always, kTextNeedsAColour},
    {2, 0, 6, Keep::LastOne, kTextNeedsAColour},
    {7, 0, 1, Keep::LastOne, kTextNeedsAColour},
    {6, 0, 7, Keep::ExactlyTwo, kTextNeedsTwoColours},
};

int selectedIn(const ColourSelection& selected, int first, int last) {
    int count = 0;
    for (int k = first; k <= last; ++k)
        count += selected[std::size_t(k)] != 0 ? 1 : 0;
    return count;
}

bool validSlot(int slot) {
    return slot >= 0 && slot < model::kEffectColourCount;
}

} // namespace

int DeselectRefusal(int effect, const ColourSelection& selected, int slot) {
    if (!validSlot(slot) || selected[std::size_t(slot)] == 0)
        return 0;
    for (const Guard& guard : kGuards) {
        if (guard.effect != effect)
            continue;
        const bool inRange = slot >= guard.firstSlot && slot <= guard.lastSlot;
        const int count = selectedIn(selected, guard.firstSlot, guard.lastSlot);
        switch (guard.keep) {
        case Keep::Always:
            return guard.text;
        case Keep::LastOne:
            return inRange && count == 1 ? guard.text : 0;
        case Keep::ExactlyTwo:
            return count == 2 ? guard.text : 0;
        }
    }
    return 0;
}

SlotToggle ToggleColourSlot(int effect, const ColourSelection& selected, int slot) {
    if (!validSlot(slot))
        return {};
    if (selected[std::size_t(slot)] == 0)
        return {true, 0};
    if (int text = DeselectRefusal(effect, selected, slot))
        return {true, text};
    return {false, 0};
}

} // namespace quorvik::ui::rules
