#include "model/MacroRecord.h"

#include "model/Text.h"

#include <algorithm>

namespace quorvik::model {

MacroAction MakeDelay(std::uint32_t ms) {
    ms = std::min<std::uint32_t>(ms, 0xFFFFFF);
    return {{kDelayKind, std::uint8_t(ms >> 16), std::uint8_t(ms >> 8), std::uint8_t(ms)}};
}

MacroAction MakeKeyEvent(std::uint8_t code, bool release) {
    return {{code, std::uint8_t(release ? kReleaseBit : 0), 0, 0}};
}

MacroAction MakeMotion(std::uint8_t kind, std::int8_t amount) {
    return {{kind, 0, 0, static_cast<std::uint8_t>(amount)}};
}

bool DecodeActionDigits(std::u16string_view digits, std::array<MacroAction, kMaxMacroActions>& actions) {
    std::array<std::uint8_t, 4 * kMaxMacroActions> bytes;
    if (digits.size() < 2 * bytes.size() || !DecodeHexPairs(digits.data(), bytes.size(), bytes.data()))
        return false;
    for (std::size_t n = 0; n < kMaxMacroActions; ++n)
        std::copy_n(bytes.begin() + std::ptrdiff_t(4 * n), 4, actions[n].b.begin());
    return true;
}

bool MacroRecord::SetAction(std::size_t index, MacroAction value) {
    if (index >= kMaxMacroActions)
        return false;
    actions[index] = value;
    return true;
}

MacroAction MacroRecord::GetAction(std::size_t index) const {
    return index < kMaxMacroActions ? actions[index] : actions[0];
}

bool MacroRecord::InsertAction(std::size_t position, MacroAction value) {
    if (MacroActionNum >= kMaxMacroActions)
        return false;
    position = std::min<std::size_t>(position, MacroActionNum);
    std::copy_backward(actions.begin() + position, actions.begin() + (kMaxMacroActions - 1), actions.end());
    actions[position] = value;
    ++MacroActionNum;
    return true;
}

bool MacroRecord::RemoveAction(std::size_t index) {
    if (index >= MacroActionNum || index >= kMaxMacroActions)
        return false;
    std::copy(actions.begin() + index + 1, actions.end(), actions.begin() + index);
    actions[kMaxMacroActions - 1] = MacroAction{};
    --MacroActionNum;
    return true;
}

std::size_t MacroRecord::ValidActionCount() const {
    return std::min<std::size_t>(MacroActionNum, kMaxMacroActions);
}

std::uint8_t MacroRecord::CountEvents() const {
    std::size_t n = ValidActionCount();
    auto events = std::count_if(actions.begin(), actions.begin() + n, [](const MacroAction& a) { return !IsDelay(a); });
    return static_cast<std::uint8_t>(std::min<std::ptrdiff_t>(events, 255));
}

void MacroRecord::CopyFrom(const MacroRecord& source) {
    // The copy goes into a profile file line.
    name = OneLineText(source.name);
    MacroKeyIndex = source.MacroKeyIndex;
    MacroKeyLoopType = source.MacroKeyLoopType;
    MacroKeyLoopNum = source.MacroKeyLoopNum;
    MacroCommandActionNum = source.MacroCommandActionNum;
    MacroActionNum = 0;
    actions.fill(MacroAction{});
    std::size_t n = source.ValidActionCount();
    for (std::size_t i = 0; i < n; ++i)
        InsertAction(i, source.actions[i]);
}

} // namespace quorvik::model
