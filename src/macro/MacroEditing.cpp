#include "macro/MacroEditing.h"

#include <vector>

namespace quorvik::macro {

using model::MacroAction;
using model::MacroRecord;

namespace {
constexpr std::uint32_t kClockWrap = 0x80000000u; // bits 0 … 30 of a hook word
constexpr std::uint32_t kReleaseBit = 0x80000000u;

bool isReleaseWord(std::uint32_t word) {
    return (word & kReleaseBit) != 0;
}

void append(MacroRecord& macro, const MacroAction& action) {
    macro.InsertAction(macro.ValidActionCount(), action);
}

// Whether `actions` more entries fit in the macro's fixed table.
bool hasRoom(const MacroRecord& macro, std::size_t actions) {
    return macro.ValidActionCount() + actions <= model::kMaxMacroActions;
}

// Events a command adds.
int eventsOf(InsertCommand command) {
    switch (command) {
    case InsertCommand::Delay:
        return 0;
    case InsertCommand::MoveLeft:
    case InsertCommand::MoveRight:
    case InsertCommand::MoveUp:
    case InsertCommand::MoveDown:
        return 1;
    default:
        return 2;
    }
}
} // namespace

std::uint32_t RecordedDelay(std::uint32_t lastWord, std::uint32_t word) {
    const std::uint32_t then = lastWord & ~kReleaseBit;
    const std::uint32_t now = word & ~kReleaseBit;
    const std::uint64_t elapsed = now >= then ? std::uint64_t(now - then) : std::uint64_t(now) + kClockWrap - then;
    return elapsed > kMaxRecordedDelayMs ? kMaxRecordedDelayMs : std::uint32_t(elapsed);
}

RecordResult RecordEvent(MacroRecord& macro, RecordingState& state, std::uint8_t code, std::uint32_t word,
                         bool recordDelays) {
    if (code <= 7)
        return RecordResult::Ignored; // those codes would read as delays
    if (code == state.lastCode && isReleaseWord(word) == isReleaseWord(state.lastWord))
        return RecordResult::Ignored; // the same key reported again
    const MacroAction event = model::MakeKeyEvent(code, isReleaseWord(word));
    RecordResult result = RecordResult::Appended;
    if (macro.ValidActionCount() == 0) {
        append(macro, event);
        ++macro.MacroCommandActionNum;
    } else if (macro.MacroCommandActionNum >= model::kMaxMacroEvents || !hasRoom(macro, recordDelays ? 2 : 1)) {
        // Inserted delays can fill the table before the events reach their limit.
        result = RecordResult::LimitReached;
    } else if (recordDelays) {
        ++macro.MacroCommandActionNum;
        append(macro, model::MakeDelay(RecordedDelay(state.lastWord, word)));
        append(macro, event);
    } else {
        append(macro, event);
        ++macro.MacroCommandActionNum;
    }
    state.lastCode = code;
    state.lastWord = word;
    return result;
}

bool InsertFits(const MacroRecord& macro, InsertCommand command) {
    const int events = eventsOf(command);
    const std::size_t actions = events == 2 ? 3 : 1; // press, delay, release
    return hasRoom(macro, actions) && int(macro.MacroCommandActionNum) + events <= int(model::kMaxMacroEvents);
}

void InsertPressAndRelease(MacroRecord& macro, std::size_t position, std::uint8_t code) {
    macro.InsertAction(position, model::MakeKeyEvent(code, false));
    macro.InsertAction(position + 1, model::MakeDelay(kClickHoldMs));
    macro.InsertAction(position + 2, model::MakeKeyEvent(code, true));
}

bool IsMoveCommand(InsertCommand command) {
    return eventsOf(command) == 1;
}

MacroAction MoveAction(InsertCommand command, int amount) {
    const std::int8_t n = std::int8_t(amount < kMinMove ? kMinMove : amount > kMaxMove ? kMaxMove : amount);
    switch (command) {
    case InsertCommand::MoveLeft:
        return model::MakeMotion(model::kMoveX, std::int8_t(-n));
    case InsertCommand::MoveRight:
        return model::MakeMotion(model::kMoveX, n);
    case InsertCommand::MoveUp:
        return model::MakeMotion(model::kMoveY, std::int8_t(-n));
    default:
        return model::MakeMotion(model::kMoveY, n);
    }
}

int DeleteActionAt(MacroRecord& macro, int row) {
    const int count = int(macro.ValidActionCount());
    if (row < 0 || row >= count)
        return -1;
    const bool event = !model::IsDelay(macro.GetAction(std::size_t(row)));
    if (!macro.RemoveAction(std::size_t(row)))
        return -1;
    if (event && macro.MacroCommandActionNum > 0)
        --macro.MacroCommandActionNum;
    if (count - 1 == 0)
        return -1;
    if (row == count - 1)
        return row - 1;
    return row;
}

bool IsModifiableKey(const MacroAction& action) {
    const std::uint8_t code = action.b[0];
    return !model::IsDelay(action) && (code < model::kMouseLeft || code > model::kWheel);
}

std::optional<LoopCountEntry> ReadLoopCount(std::u16string_view text) {
    if (text.empty())
        return std::nullopt;
    // The leading digits, as a decimal reader takes them; saturating keeps "99999999999" large.
    std::uint32_t value = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9')
            break;
        value = value > 1000 ? 1000 : value * 10 + std::uint32_t(c - u'0');
    }
    LoopCountEntry entry;
    if (value == 0) {
        entry.count = 1;
        entry.correctedText = u"1";
    } else if (value >= 256) {
        entry.count = 255;
        entry.correctedText = u"255";
    } else {
        entry.count = std::uint8_t(value);
    }
    return entry;
}

std::optional<std::uint32_t> ParseTypedNumber(std::u16string_view text, std::uint32_t limit) {
    auto blank = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\u3000'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    if (text.empty())
        return std::nullopt;
    std::uint64_t value = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + std::uint64_t(c - u'0');
        if (value > limit)
            value = std::uint64_t(limit) + 1; // keeps counting from above the limit without overflow
    }
    return value > limit ? limit : std::uint32_t(value);
}

std::u16string CleanItemName(std::u16string_view typed) {
    std::u16string name;
    name.reserve(typed.size());
    for (char16_t c : typed) {
        const bool control = c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029;
        if (!control)
            name.push_back(c);
    }
    return name;
}

bool ItemPlayedByButtons(const MacroLibrary& library, const MacroLocation& location,
                         const model::ProfileRecord& profile) {
    const MacroLibraryNode* node = library.SlotAt(location);
    if (!node || !node->IsOccupied())
        return false;
    // The serial numbers of the macro, or of every macro below the folder.
    std::vector<std::uint32_t> serials;
    auto collect = [&](auto&& self, const MacroLocation& at) -> void {
        const MacroLibraryNode* slot = library.SlotAt(at);
        if (!slot || !slot->IsOccupied())
            return;
        if (slot->IsMacroSlot()) {
            serials.push_back(slot->macro->MacroKeyIndex);
            return;
        }
        if (at.stage >= kDepthCount - 1)
            return;
        for (int k = 0; k < kSlotsPerLevel; ++k) {
            const MacroLocation child = at.Child(k);
            if (!library.SlotAt(child)->IsOccupied())
                break; // siblings are contiguous from index 0
            self(self, child);
        }
    };
    collect(collect, location);
    for (const model::ProfileButton& button : profile.buttons)
        if (button.PlaysMacro())
            for (std::uint32_t serial : serials)
                if (button.MacroKeyIndex == serial)
                    return true;
    return false;
}

} // namespace quorvik::macro
