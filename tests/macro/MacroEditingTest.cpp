// The editing rules of the macro manager that need no window.
#include "macro/MacroEditing.h"

#include <gtest/gtest.h>

using namespace quorvik::macro;
namespace model = quorvik::model;

namespace {

constexpr std::uint32_t kRelease = 0x80000000u;

TEST(MacroEditing, RecordedDelaysWrapWithTheClockAndStopAt4095) {
    EXPECT_EQ(RecordedDelay(1000, 1250), 250u);
    EXPECT_EQ(RecordedDelay(1000 | kRelease, 1250), 250u); // the release bit is no time
    EXPECT_EQ(RecordedDelay(0x7FFFFF00u, 0x10u | kRelease), 0x110u);
    EXPECT_EQ(RecordedDelay(0, 10000), kMaxRecordedDelayMs);
    EXPECT_EQ(RecordedDelay(500, 500), 0u);
}

TEST(MacroEditing, RecordingIgnoresDelayCodesAndRepeatsAndStopsWhenTheTableIsFull) {
    model::MacroRecord m;
    RecordingState state;
    EXPECT_EQ(RecordEvent(m, state, 0x05, 10, true), RecordResult::Ignored);
    EXPECT_EQ(RecordEvent(m, state, 'A', 10, true), RecordResult::Appended);
    EXPECT_EQ(RecordEvent(m, state, 'A', 40, true), RecordResult::Ignored);
    EXPECT_EQ(RecordEvent(m, state, 'A', 90 | kRelease, true), RecordResult::Appended);
    ASSERT_EQ(m.MacroActionNum, 3u);
    EXPECT_EQ(m.GetAction(1), model::MakeDelay(80));
    EXPECT_EQ(m.MacroCommandActionNum, 2);

    // Delays inserted by hand can fill the table while events are still below their limit.
    model::MacroRecord full;
    for (std::size_t i = 0; i < model::kMaxMacroActions - 1; ++i)
        full.InsertAction(i, model::MakeDelay(1));
    full.InsertAction(0, model::MakeKeyEvent('B', false));
    full.MacroCommandActionNum = 1;
    RecordingState s;
    EXPECT_EQ(RecordEvent(full, s, 'C', 5, true), RecordResult::LimitReached);
    EXPECT_EQ(full.MacroActionNum, model::kMaxMacroActions);
    EXPECT_EQ(full.MacroCommandActionNum, 1);
    EXPECT_FALSE(InsertFits(full, InsertCommand::Delay));
    EXPECT_FALSE(InsertFits(full, InsertCommand::MoveUp));
}

TEST(MacroEditing, TypedNumbersAreDigitsOnly) {
    EXPECT_EQ(ParseTypedNumber(u" 250 ", kMaxDelayMs), 250u);
    EXPECT_EQ(ParseTypedNumber(u"0", kMaxDelayMs), 0u);
    EXPECT_EQ(ParseTypedNumber(u"99999999999999999999", kMaxDelayMs), kMaxDelayMs);
    for (const char16_t* bad : {u"", u"  ", u"-5", u"12ms", u"1 2", u"+3", u"0x10"})
        EXPECT_EQ(ParseTypedNumber(bad, kMaxDelayMs), std::nullopt) << std::u16string(bad).size();

    EXPECT_EQ(ReadLoopCount(u""), std::nullopt);
    EXPECT_EQ(ReadLoopCount(u"300")->count, 255);
    EXPECT_EQ(ReadLoopCount(u"300")->correctedText, u"255");
    EXPECT_EQ(ReadLoopCount(u"0")->correctedText, u"1");
    EXPECT_EQ(ReadLoopCount(u"12")->count, 12);
    EXPECT_FALSE(ReadLoopCount(u"12")->correctedText);
}

TEST(MacroEditing, NamesLoseLineBreaksAndControlsButKeepTheRest) {
    EXPECT_EQ(CleanItemName(u"a=b\r\n\tc"), u"a=bc");
    EXPECT_EQ(CleanItemName(u"line\u2028two\u0085"), u"linetwo");
    EXPECT_EQ(CleanItemName(u" \u4E2D\u6587 = ok "), u" \u4E2D\u6587 = ok ");
    EXPECT_EQ(CleanItemName(u"\n"), u"");
}

TEST(MacroEditing, MovesPointTheirWayWithinRange) {
    EXPECT_EQ(MoveAction(InsertCommand::MoveLeft, 1), model::MakeMotion(model::kMoveX, -1));
    EXPECT_EQ(MoveAction(InsertCommand::MoveDown, 200), model::MakeMotion(model::kMoveY, 127));
    EXPECT_EQ(MoveAction(InsertCommand::MoveUp, 0), model::MakeMotion(model::kMoveY, -1));
    EXPECT_EQ(MoveAction(InsertCommand::MoveRight, 5).b, (std::array<std::uint8_t, 4>{0xE5, 0, 0, 5}));
}

TEST(MacroEditing, OnlyTheMouseCodesKeepTheirKeyOnModify) {
    for (unsigned code = 0x08; code <= 0xFF; ++code) {
        const bool mouse = code >= 0xE0 && code <= 0xE7;
        EXPECT_EQ(IsModifiableKey(model::MakeKeyEvent(std::uint8_t(code), code % 2 == 0)), !mouse)
            << std::hex << "0x" << code;
    }
    EXPECT_FALSE(IsModifiableKey(model::MakeDelay(40))); // a delay takes a new time instead
}

} // namespace
