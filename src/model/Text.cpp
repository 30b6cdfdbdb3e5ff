#include "model/Text.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace quorvik::model {

std::u16string ToU16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        auto byte = static_cast<unsigned char>(utf8[i]);
        char32_t cp = 0xFFFD;
        std::size_t extra = 0;
        if (byte < 0x80) {
            cp = byte;
        } else if ((byte & 0xE0) == 0xC0) {
            cp = byte & 0x1F;
            extra = 1;
        } else if ((byte & 0xF0) == 0xE0) {
            cp = byte & 0x0F;
            extra = 2;
        } else if ((byte & 0xF8) == 0xF0) {
            cp = byte & 0x07;
            extra = 3;
        }
        ++i;
        for (std::size_t k = 0; k < extra; ++k, ++i) {
            if (i >= utf8.size() || (static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80) {
                cp = 0xFFFD;
                break;
            }
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i]) & 0x3F);
        }
        if (cp >= 0x10000 && cp <= 0x10FFFF) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(cp > 0x10FFFF ? u'\uFFFD' : static_cast<char16_t>(cp));
        }
    }
    return out;
}

std::string ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD; // a lone surrogate cannot be written as UTF-8
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

long ParseLeadingDigits(std::u16string_view text) {
    long value = 0;
    for (std::size_t i = 0; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        if (value > 100000000000L)
            break; // far beyond anything the files hold; stop before overflow
        value = value * 10 + (text[i] - u'0');
    }
    return value;
}

long ParseDecimal(std::u16string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    const long value = ParseLeadingDigits(text.substr(i));
    return negative ? -value : value;
}

std::uint32_t ParseHex(std::u16string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    if (i + 1 < text.size() && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X'))
        i += 2;
    std::uint32_t value = 0;
    for (int digits = 0; i < text.size() && digits < 8; ++i, ++digits) {
        int d = HexDigitValue(text[i]);
        if (d < 0)
            break;
        value = (value << 4) | static_cast<std::uint32_t>(d);
    }
    return value;
}

bool DecodeHexPairs(const char16_t* digits, std::size_t count, std::uint8_t* out) {
    bool clean = true;
    std::size_t i = 0;
#ifdef __SSE2__
    // Sixteen digits to eight bytes at a time: an action line is 2,688 digits, a macro library
    // thousands of them, and one at a time through the table is most of a library's read.
    for (; i + 8 <= count; i += 8) {
        const auto* at = reinterpret_cast<const __m128i*>(digits + 2 * i);
        // Units above 0xFF saturate to 0x00 or 0xFF, neither of them a digit.
        const __m128i c = _mm_packus_epi16(_mm_loadu_si128(at), _mm_loadu_si128(at + 1));
        const __m128i lower = _mm_or_si128(c, _mm_set1_epi8(0x20));
        const __m128i isDigit =
            _mm_and_si128(_mm_cmpgt_epi8(c, _mm_set1_epi8('0' - 1)), _mm_cmplt_epi8(c, _mm_set1_epi8('9' + 1)));
        const __m128i isLetter =
            _mm_and_si128(_mm_cmpgt_epi8(lower, _mm_set1_epi8('a' - 1)), _mm_cmplt_epi8(lower, _mm_set1_epi8('f' + 1)));
        if (_mm_movemask_epi8(_mm_or_si128(isDigit, isLetter)) != 0xFFFF)
            clean = false;
        const __m128i value = _mm_or_si128(_mm_and_si128(isDigit, _mm_sub_epi8(c, _mm_set1_epi8('0'))),
                                           _mm_andnot_si128(isDigit, _mm_sub_epi8(lower, _mm_set1_epi8('a' - 10))));
        // Each 16-bit lane holds a pair: the high digit in its low byte.
        const __m128i high = _mm_and_si128(value, _mm_set1_epi16(0x00FF));
        const __m128i bytes = _mm_or_si128(_mm_slli_epi16(high, 4), _mm_srli_epi16(value, 8));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(bytes, bytes));
    }
#endif
    int bad = 0;
    for (; i < count; ++i) {
        const int hi = HexDigitValue(digits[2 * i]);
        const int lo = HexDigitValue(digits[2 * i + 1]);
        bad |= hi | lo; // a -1 sets the sign bit
        out[i] = static_cast<std::uint8_t>(static_cast<unsigned>(hi) << 4 | static_cast<unsigned>(lo));
    }
    return clean && bad >= 0;
}

std::uint32_t ParseLeadingHexDigits(std::u16string_view text) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < text.size() && i < 8; ++i) {
        const int d = HexDigitValue(text[i]);
        if (d < 0)
            break;
        value = (value << 4) | static_cast<std::uint32_t>(d);
    }
    return value;
}

std::u16string OneLineText(std::u16string text) {
    for (char16_t& c : text) {
        if (c < 0x20 || c == 0x7F)
            c = u' ';
    }
    return text;
}

std::u16string DecimalText(long value) {
    std::string s = std::to_string(value);
    return {s.begin(), s.end()};
}

std::u16string HexText(std::uint32_t value, int width) {
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    std::u16string out;
    do {
        out.insert(out.begin(), kDigits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    while (static_cast<int>(out.size()) < width)
        out.insert(out.begin(), u'0');
    return out;
}

} // namespace quorvik::model
