#include "macro/MacroActionText.h"

#include "model/KeyCodes.h"
#include "model/Text.h"

namespace quorvik::macro {

namespace {

struct MotionWords {
    const char16_t* negative;
    const char16_t* positive;
};

// Indexed by b0 - kMoveX: a negative amount is left, up or wheel up.
constexpr MotionWords kMotionWords[] = {
    {u"Move Left ", u"Move Right "},
    {u"Move Up ", u"Move Down "},
    {u"Wheel Up ", u"Wheel Down "},
};

} // namespace

std::u16string MacroActionText(const model::MacroAction& action) {
    if (model::IsDelay(action))
        return model::DecimalText(long(model::DelayMs(action))) + u"ms";
    const std::uint8_t kind = action.b[0];
    if (kind >= model::kMoveX && kind <= model::kWheel) {
        const MotionWords& words = kMotionWords[kind - model::kMoveX];
        const std::uint8_t amount = action.b[3];
        // Two's complement: 0xFF is one step, 0x80 the largest (128).
        const bool negative = (amount & 0x80) != 0;
        const long magnitude = negative ? 256 - long(amount) : long(amount);
        return (negative ? words.negative : words.positive) + model::DecimalText(magnitude);
    }
    return model::VirtualKeyName(kind);
}

const char* MacroActionIcon(const model::MacroAction& action) {
    if (model::IsDelay(action))
        return kDelayIcon;
    return (action.b[1] & model::kReleaseBit) ? kReleaseIcon : kPressIcon;
}

} // namespace quorvik::macro
