// The drop-down list of the lighting effect selector: the effects the mouse offers, top to bottom,
// each with its name; the choice goes to the main window with the entry's index.
#pragma once

#include "ui/skin/WndPopup.h"

#include <array>
#include <optional>

namespace quorvik::ui {

// One entry: the language text that names the effect, and the effect number the mouse takes.
struct EffectEntry {
    int text;
    int effect;
};

// Effects 7 and 8 are not offered (a profile file may still select them).
inline constexpr std::array<EffectEntry, 8> kEffectEntries{{
    {100, 1},
    {101, 2},
    {102, 3},
    {103, 4},
    {110, 5},
    {105, 6},
    {108, 9},
    {109, 0},
}};

class CComboLightingPopup : public CWndPopup {
public:
    // Kind 9: losing activation reports 0x47A; the choice is reported with 0x479.
    static constexpr int kKind = 9;
    static constexpr unsigned kChoiceMessage = 0x479;
    static constexpr int kEntryWidthUnits = 188;
    static constexpr int kEntryHeightUnits = 22;

    // `currentEffect` is marked in the list.
    explicit CComboLightingPopup(std::optional<int> currentEffect) : current_(currentEffect) {}

    // Where the list opens under a selector whose rectangle on the screen is `selector`: centred
    // below it, one row per entry.
    static Rect PlaceBelow(const Rect& selector);

protected:
    void BuildItems() override;
    void DrawItems(QPainter& p, const Rect& client) override;

private:
    std::optional<int> current_;
};

} // namespace quorvik::ui
