#include "ui/rules/DpiLevelRule.h"

#include <bit>
#include <climits>

namespace quorvik::ui::rules {

std::optional<int> NthSetBit(std::uint8_t mask, int n) {
    int seen = 0;
    for (int bit = 0; bit < kDpiLevels; ++bit) {
        if (((mask >> bit) & 1) == 0)
            continue;
        if (seen == n)
            return bit;
        ++seen;
    }
    return std::nullopt;
}

DpiLevelChange ApplyDpiLevelRule(std::uint8_t maskBefore, int level, bool nowOn, std::uint8_t current) {
    DpiLevelChange change{false, maskBefore, current};
    if (level < 0 || level >= kDpiLevels)
        return change;
    const auto bit = static_cast<std::uint8_t>(1u << level);
    if (maskBefore == bit)
        return change;
    change.accepted = true;
    if (((maskBefore & bit) != 0) == nowOn)
        return change; // the level already was so: the current level stays
    change.mask = static_cast<std::uint8_t>(nowOn ? maskBefore | bit : maskBefore & ~bit);

    const int levelsOn = std::popcount(maskBefore);
    if (levelsOn == 0) {
        // Nothing was on (a damaged file): the level just turned on is the only one and current.
        change.current = 0;
        return change;
    }
    // A current level beyond the levels that are on (a damaged file) counts as the last of them,
    // so that the result names a level that exists.
    int n = current < levelsOn ? current : levelsOn - 1;
    const int c = *NthSetBit(maskBefore, n);
    if (nowOn) {
        if (c > level)
            ++n;
    } else if (c == level) {
        if (n > 0)
            --n;
    } else if (c > level) {
        --n;
    }
    change.current = static_cast<std::uint8_t>(n);
    return change;
}

int StepForDpi(std::span<const std::uint16_t> stepValues, long dpi) {
    if (stepValues.empty())
        return 0;
    for (std::size_t step = 0; step < stepValues.size(); ++step)
        if (long(stepValues[step]) * 50 >= dpi)
            return int(step);
    return int(stepValues.size() - 1);
}

std::optional<long> ParseDpiText(std::u16string_view text) {
    auto isSpace = [](char16_t c) { return c == u' ' || c == u'\t'; };
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    if (text.empty())
        return std::nullopt;
    long value = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        const int digit = c - u'0';
        value = value > (LONG_MAX - digit) / 10 ? LONG_MAX : value * 10 + digit;
    }
    return value;
}

} // namespace quorvik::ui::rules
