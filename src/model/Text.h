// UTF-16 text helpers. The model keeps text as UTF-16, as the files store it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quorvik::model {

std::u16string ToU16(std::string_view utf8);
std::string ToUtf8(std::u16string_view text);

// Decimal value of the leading digits (an optional sign first); anything else gives 0, the way
// the original number parsing treats bad text.
long ParseDecimal(std::u16string_view text);
// Value of one hex digit (either case), -1 for anything else.
int HexDigitValue(char16_t c);
// Hexadecimal value of the leading hex digits (an optional "0x" first); bad text gives 0.
std::uint32_t ParseHex(std::u16string_view text);

std::u16string DecimalText(long value);
// Upper-case hex with at least `width` digits, zero padded ("%.2X", "%.6X").
std::u16string HexText(std::uint32_t value, int width);

} // namespace quorvik::model
