// What the tray says about the mouse's battery: its tip with the level or the charge state, and
// one desktop notification each time the level falls below the low mark while not charging.
#pragma once

#include <string>
#include <string_view>

namespace quorvik::ui::rules {

// Below this level (percent) the battery counts as low.
inline constexpr int kLowBatteryPercent = 15;
// The notice is armed again only once the level is back at this mark (or the mouse charges): a
// reading that wobbles around the low mark is one fall, not many.
inline constexpr int kRearmBatteryPercent = 20;
// Readings above this are no level (a mouse that has not measured yet, a garbled report).
inline constexpr int kMaxBatteryPercent = 100;

// Charge states as the mouse reports them.
inline constexpr int kNotCharging = 0;
inline constexpr int kCharging = 1;
inline constexpr int kFullyCharged = 2;

// The tip's wording in the language in use; "%1" in `level` stands for the level in percent.
struct BatteryWords {
    std::u16string level;    // "Gaming Mouse — %1 %"
    std::u16string charging; // "Gaming Mouse — charging"
    std::u16string full;     // "Gaming Mouse — fully charged"
};

// The tip for a status read from the mouse.
std::u16string BatteryTip(const BatteryWords& words, int level, int chargeState);

// `text` with every "%1" replaced by `value`.
std::u16string WithValue(std::u16string_view text, std::u16string_view value);

// Remembers whether the user has been told about the current fall below the mark.
class LowBatteryNotice {
public:
    // A status read: true when it calls for the notification now, that is when the level is below
    // the low mark, the mouse is not charging, and no notification went out since the level was
    // last at or above the re-arm mark (or the mouse charging). A level above 100 changes nothing.
    bool Update(int level, int chargeState);
    bool Armed() const { return armed_; }

private:
    bool armed_ = true;
};

} // namespace quorvik::ui::rules
