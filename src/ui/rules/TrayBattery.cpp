#include "ui/rules/TrayBattery.h"

#include "model/Text.h"

namespace quorvik::ui::rules {

std::u16string WithValue(std::u16string_view text, std::u16string_view value) {
    static constexpr std::u16string_view kPlaceholder = u"%1";
    std::u16string out;
    std::size_t from = 0;
    for (std::size_t at = text.find(kPlaceholder); at != std::u16string_view::npos;
         at = text.find(kPlaceholder, from)) {
        out.append(text.substr(from, at - from));
        out.append(value);
        from = at + kPlaceholder.size();
    }
    out.append(text.substr(from));
    return out;
}

std::u16string BatteryTip(const BatteryWords& words, int level, int chargeState) {
    if (chargeState == kCharging)
        return words.charging;
    if (chargeState == kFullyCharged)
        return words.full;
    return WithValue(words.level, model::DecimalText(level));
}

bool LowBatteryNotice::Update(int level, int chargeState) {
    if (chargeState != kNotCharging) {
        armed_ = true;
        return false;
    }
    if (level < 0 || level > kMaxBatteryPercent)
        return false;
    if (level >= kRearmBatteryPercent)
        armed_ = true;
    if (level >= kLowBatteryPercent || !armed_)
        return false;
    armed_ = false;
    return true;
}

} // namespace quorvik::ui::rules
