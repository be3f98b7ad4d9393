// Number parsing: the integers and reals of every text format the libraries read.
//
// The rules are the library's own, not the C runtime's: white space is allowed
// between the sign and the digits, base 0 knows "0x", "0b" and a leading 0, integers
// wrap in 32 bits, and a real may carry a fractional exponent ("1e0.5").

#include "osmark/strings.h"

#include "core/text/string_chars.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <system_error>

namespace {

using osmark::is_white_space;

constexpr int32_t kNotADigit = 99;

bool is_decimal_digit(char c)
{
    return c >= '0' && c <= '9';
}

int32_t digit_value(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return kNotADigit;
}

const char* skip_white_space(const char* p)
{
    while (is_white_space(*p))
        ++p;
    return p;
}

const char* skip_digits(const char* p)
{
    while (is_decimal_digit(*p))
        ++p;
    return p;
}

// White space, an optional sign, white space again.
const char* skip_sign(const char* p, bool& negative)
{
    p = skip_white_space(p);
    negative = *p == '-';
    if (*p == '-' || *p == '+')
        p = skip_white_space(p + 1);
    return p;
}

bool has_prefix(const char* p, char lower_letter)
{
    return p[0] == '0' && osmark::fold(p[1]) == static_cast<uint8_t>(lower_letter);
}

// Settles the base (0 by prefix; unknown bases act as 10) and skips its prefix.
const char* choose_base(const char* p, int32_t& base)
{
    switch (base) {
    case 0:
        if (has_prefix(p, 'x')) {
            base = 16;
            return p + 2;
        }
        if (has_prefix(p, 'b')) {
            base = 2;
            return p + 2;
        }
        if (p[0] == '0' && is_decimal_digit(p[1])) {
            base = 8;
            return p + 1;
        }
        base = 10;
        return p;
    case 16:
        return has_prefix(p, 'x') ? p + 2 : p;
    case 2:
        return has_prefix(p, 'b') ? p + 2 : p;
    case 8:
    case 10:
        return p;
    default:
        base = 10;
        return p;
    }
}

// Digits accumulate in an unsigned 32-bit value that wraps; the bits are then read as
// a signed value. Callers rely on "0xFFFFFFFF" giving -1.
int32_t accumulate_integer(const char*& p, int32_t base)
{
    uint32_t value = 0;
    for (int32_t digit = digit_value(*p); digit < base; digit = digit_value(*++p))
        value = value * static_cast<uint32_t>(base) + static_cast<uint32_t>(digit);
    return static_cast<int32_t>(value);
}

int32_t apply_sign(int32_t value, bool negative)
{
    // In unsigned arithmetic, so that the negative of INT32_MIN wraps instead of
    // overflowing.
    return negative ? static_cast<int32_t>(0u - static_cast<uint32_t>(value)) : value;
}

// The extent of a real number's text, found by the library's grammar.
struct RealText {
    const char* mantissa_begin = nullptr;
    const char* mantissa_end = nullptr;
    bool mantissa_has_digits = false;
    bool has_exponent = false;           // an 'e' or 'E' was taken
    bool exponent_negative = false;
    const char* exponent_begin = nullptr;  // the exponent's digits (and fraction)
    const char* exponent_end = nullptr;
    bool exponent_has_fraction = false;
    bool point_or_exponent = false;      // a '.', 'e' or 'E' was taken
    const char* end = nullptr;
};

enum class Separators {
    Always,          // '.', 'e' and 'E' always belong to the number
    WhenFollowed     // only when another byte follows them
};

bool takes_separator(const char* p, Separators rule)
{
    return rule == Separators::Always || p[1] != '\0';
}

RealText scan_real(const char* p, Separators rule)
{
    RealText text;
    text.mantissa_begin = p;
    const char* digits_end = skip_digits(p);
    text.mantissa_has_digits = digits_end != p;
    p = digits_end;
    if (*p == '.' && takes_separator(p, rule)) {
        text.point_or_exponent = true;
        const char* fraction = p + 1;
        p = skip_digits(fraction);
        text.mantissa_has_digits = text.mantissa_has_digits || p != fraction;
    }
    text.mantissa_end = p;
    if ((*p == 'e' || *p == 'E') && takes_separator(p, rule)) {
        text.point_or_exponent = true;
        text.has_exponent = true;
        ++p;
        text.exponent_negative = *p == '-';
        if (*p == '-' || *p == '+')
            ++p;
        text.exponent_begin = p;
        p = skip_digits(p);
        if (*p == '.' && takes_separator(p, rule)) {
            text.exponent_has_fraction = true;
            p = skip_digits(p + 1);
        }
        text.exponent_end = p;
    }
    text.end = p;
    return text;
}

// Decimal exponent of the leading digit of "digits[.digits]", for telling overflow
// from underflow.
int64_t leading_digit_exponent(const char* first, const char* last)
{
    int64_t integer_digits = 0;
    const char* p = first;
    while (p != last && *p == '0')
        ++p;
    for (; p != last && is_decimal_digit(*p); ++p)
        ++integer_digits;
    if (integer_digits > 0)
        return integer_digits - 1;
    if (p != last && *p == '.')
        ++p;
    int64_t zeros = 0;
    while (p != last && *p == '0') {
        ++p;
        ++zeros;
    }
    return -(zeros + 1);
}

// The value of an exponent's digits, saturated far beyond the range of a double.
int64_t saturated_integer(const char* first, const char* last)
{
    constexpr int64_t kLimit = 1000000;
    int64_t value = 0;
    for (const char* p = first; p != last && is_decimal_digit(*p); ++p)
        value = std::min<int64_t>(value * 10 + (*p - '0'), kLimit);
    return value;
}

// from_chars gives the correctly rounded value; beyond the range of a double the
// result is infinity or zero by the magnitude the text spells.
double parse_chars(const char* first, const char* last, const RealText& text)
{
    double value = 0.0;
    const auto [position, error] = std::from_chars(first, last, value, std::chars_format::general);
    static_cast<void>(position);
    if (error != std::errc::result_out_of_range)
        return value;
    int64_t exponent = leading_digit_exponent(text.mantissa_begin, text.mantissa_end);
    if (last > text.mantissa_end && text.has_exponent) {
        const int64_t explicit_exponent = saturated_integer(text.exponent_begin, text.exponent_end);
        exponent += text.exponent_negative ? -explicit_exponent : explicit_exponent;
    }
    return exponent >= 0 ? HUGE_VAL : 0.0;
}

double real_value(const RealText& text)
{
    if (!text.mantissa_has_digits)
        return 0.0;
    if (text.has_exponent && text.exponent_has_fraction) {
        const double mantissa = parse_chars(text.mantissa_begin, text.mantissa_end, text);
        double exponent = 0.0;
        std::from_chars(text.exponent_begin, text.exponent_end, exponent, std::chars_format::fixed);
        if (mantissa == 0.0)
            return 0.0;
        return mantissa * std::pow(10.0, text.exponent_negative ? -exponent : exponent);
    }
    if (text.has_exponent && text.exponent_begin != text.exponent_end) {
        // "e", sign and digits are from_chars' own exponent syntax.
        return parse_chars(text.mantissa_begin, text.exponent_end, text);
    }
    // No exponent, or an 'e' without digits, which counts as exponent 0.
    return parse_chars(text.mantissa_begin, text.mantissa_end, text);
}

void store_end(char** end, const char* position)
{
    if (end != nullptr)
        *end = const_cast<char*>(position);
}

}

extern "C" {

OSMARK_API int32_t StrToLong(const char* s, char** end, int32_t base) noexcept
{
    if (s == nullptr) {
        store_end(end, nullptr);
        return 0;
    }
    bool negative = false;
    const char* p = choose_base(skip_sign(s, negative), base);
    const int32_t value = accumulate_integer(p, base);
    store_end(end, p);
    return apply_sign(value, negative);
}

OSMARK_API int32_t StrToLongDef(const char* s, int32_t base, int32_t def) noexcept
{
    if (s == nullptr)
        return def;
    char* end = nullptr;
    const int32_t value = StrToLong(s, &end, base);
    return *end == '\0' ? value : def;
}

OSMARK_API double StrToDouble(const char* s, char** end) noexcept
{
    if (s == nullptr) {
        store_end(end, nullptr);
        return 0.0;
    }
    bool negative = false;
    const RealText text = scan_real(skip_sign(s, negative), Separators::Always);
    store_end(end, text.end);
    const double value = real_value(text);
    return negative ? -value : value;
}

OSMARK_API double StrToNum(const char* s, char** end, int32_t* integer_flag, int32_t base) noexcept
{
    store_end(end, nullptr);
    if (integer_flag != nullptr)
        *integer_flag = 1;
    if (s == nullptr)
        return 0.0;
    bool negative = false;
    const char* p = choose_base(skip_sign(s, negative), base);
    double value = 0.0;
    if (base == 10) {
        const RealText text = scan_real(p, Separators::WhenFollowed);
        if (text.point_or_exponent && integer_flag != nullptr)
            *integer_flag = 0;
        value = real_value(text);
        p = text.end;
    } else {
        value = accumulate_integer(p, base);
    }
    store_end(end, skip_white_space(p));
    return negative ? -value : value;
}

}
