// UTF-16 text helpers. The model keeps text as UTF-16, as the files store it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace quorvik::model {

std::u16string ToU16(std::string_view utf8);
std::string ToUtf8(std::u16string_view text);

// Decimal value of the leading digits (an optional sign first); anything else gives 0, so bad
// text in a settings file reads as 0.
long ParseDecimal(std::u16string_view text);
// Decimal value of the digits the text starts with, and nothing else: no sign and no spaces before
// them ("-2", " 1", "+1" and "0x1F" read as 0). Profile files read their numbers this way.
long ParseLeadingDigits(std::u16string_view text);
namespace detail {
// Digit values of the ASCII range, -1 for everything that is not a hex digit: the file readers
// look up millions of digits, so this is an inline table, not a call or a chain of comparisons.
inline constexpr std::array<std::int8_t, 128> kHexDigits = [] {
    std::array<std::int8_t, 128> t{};
    t.fill(-1);
    for (int c = 0; c < 10; ++c)
        t[std::size_t('0' + c)] = std::int8_t(c);
    for (int c = 0; c < 6; ++c) {
        t[std::size_t('A' + c)] = std::int8_t(10 + c);
        t[std::size_t('a' + c)] = std::int8_t(10 + c);
    }
    return t;
}();
} // namespace detail

// Value of one hex digit (either case), -1 for anything else.
inline int HexDigitValue(char16_t c) {
    return c < detail::kHexDigits.size() ? detail::kHexDigits[c] : -1;
}
// Decodes `count` bytes from the 2 × `count` hex digits at `digits` (either case) into `out`. False
// when some pair is not two hex digits: those bytes are then wrong, and the caller reads the text
// again by its own rule. The files' long lines of byte pairs (a macro's actions) are read this way.
bool DecodeHexPairs(const char16_t* digits, std::size_t count, std::uint8_t* out);
// Hexadecimal value of the leading hex digits (spaces and an optional "0x" first); bad text gives
// 0. The configuration's values ("0x%4X", padded with spaces) are read this way.
std::uint32_t ParseHex(std::u16string_view text);
// Hexadecimal value of the hex digits the text starts with, and nothing else: no spaces and no
// "0x" before them (" 7" and "0x1F" read as 0). Profile files read their hex fields this way.
std::uint32_t ParseLeadingHexDigits(std::u16string_view text);

// `text` with every control character (line feed, carriage return, tab, …) replaced by a space.
// The files keep one text per line, so every text the user or the program hands to a record goes
// through this on its way in: a line feed would otherwise make the file unwritable.
std::u16string OneLineText(std::u16string text);

std::u16string DecimalText(long value);
// Upper-case hex with at least `width` digits, zero padded ("%.2X", "%.6X").
std::u16string HexText(std::uint32_t value, int width);

} // namespace quorvik::model
