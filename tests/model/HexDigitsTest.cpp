#include "model/MacroRecord.h"
#include "model/Text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace quorvik::model;

namespace {
// One pair the slow way: both digits hex, or nothing.
bool referencePair(char16_t hi, char16_t lo, std::uint8_t& out) {
    const int h = HexDigitValue(hi), l = HexDigitValue(lo);
    out = std::uint8_t(h * 16 + l);
    return h >= 0 && l >= 0;
}
} // namespace

// The wide path (sixteen digits at a time) and the tail agree with the one-pair rule on every
// digit of both cases, and a single bad unit anywhere (a neighbour of a digit range, a unit above
// 0xFF whose low byte is a digit, one above 0x7FFF) makes the whole decode report false.
TEST(HexDigits, PairsDecodeAsOnePairAtATimeAndAnyBadUnitIsReported) {
    const std::u16string digits = u"0123456789ABCDEFabcdef";
    for (std::size_t count : {1u, 7u, 8u, 9u, 23u, 1344u}) {
        SCOPED_TRACE(count);
        std::u16string text;
        for (std::size_t i = 0; i < 2 * count; ++i)
            text += digits[(i * 7 + i / 3) % digits.size()];
        std::vector<std::uint8_t> out(count), expected(count);
        for (std::size_t i = 0; i < count; ++i)
            ASSERT_TRUE(referencePair(text[2 * i], text[2 * i + 1], expected[i]));
        ASSERT_TRUE(DecodeHexPairs(text.data(), count, out.data()));
        EXPECT_EQ(out, expected);

        const char16_t bad[] = {u'/', u':', u'@', u'G', u'`', u'g', u' ', 0, 0x0130, 0x0141, 0xFF30, 0x8030};
        for (std::size_t at = 0; at < text.size(); at += (count > 20 ? 37 : 1)) {
            for (char16_t b : bad) {
                std::u16string broken = text;
                broken[at] = b;
                EXPECT_FALSE(DecodeHexPairs(broken.data(), count, out.data())) << "unit " << int(b) << " at " << at;
            }
        }
    }
}

TEST(HexDigits, ActionLinesDecodeEveryActionOrNone) {
    std::u16string line;
    for (std::size_t n = 0; n < kMaxMacroActions; ++n)
        line += u"0a1B2c3D";
    std::array<MacroAction, kMaxMacroActions> actions{};
    ASSERT_TRUE(DecodeActionDigits(line, actions));
    EXPECT_EQ(actions[0].b, (std::array<std::uint8_t, 4>{0x0A, 0x1B, 0x2C, 0x3D}));
    EXPECT_EQ(actions[kMaxMacroActions - 1], actions[0]);
    EXPECT_FALSE(DecodeActionDigits(line.substr(0, line.size() - 1), actions)); // too short
    line[line.size() - 1] = u'x';
    EXPECT_FALSE(DecodeActionDigits(line, actions));
}
