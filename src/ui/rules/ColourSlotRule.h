// Whether a colour slot of a lighting effect may be switched off: some effects need a least
// number of colours, and the mouse shows nothing sensible without them.
#pragma once

#include "model/ProfileRecord.h"

#include <array>
#include <cstdint>

namespace quorvik::ui::rules {

// Language texts of the refusals.
inline constexpr int kTextNeedsAColour = 153;
inline constexpr int kTextNeedsTwoColours = 154;

// The selection flags of one effect, slots 0 … 9 (Lighting1ColorSelected[e]).
using ColourSelection = std::array<std::uint8_t, model::kEffectColourCount>;

// The language text that refuses deselecting `slot` of `effect` with these flags, or 0 when it
// may go. Only a selected slot is ever refused.
int DeselectRefusal(int effect, const ColourSelection& selected, int slot);

struct SlotToggle {
    bool selected = false; // the slot's state after the toggle
    int refusedText = 0;   // the message to show when the toggle was refused, else 0
};

// A click on `slot`: selecting is always allowed, deselecting only when DeselectRefusal allows it.
// A slot outside 0 … 9 keeps its state (false).
SlotToggle ToggleColourSlot(int effect, const ColourSelection& selected, int slot);

} // namespace quorvik::ui::rules
