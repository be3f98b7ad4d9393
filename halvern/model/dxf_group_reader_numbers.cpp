// Numbers of DXF group values: StrToDouble, StrToLong and the binary reals' round trip
// through "%15.15lf", each with a fast path for the forms DXF files use.
//
// The fast paths give the same values as the calls they stand for, not nearly the
// same: a decimal of at most 19 significant digits and at most 22 decimals is one
// exact integer divided by one exact power of ten, which IEEE division rounds
// correctly, as Osmark's parser (std::from_chars) does. Everything else goes through
// the calls themselves.

#include "model/dxf_group_reader_numbers.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>

#include "osmark/format.h"
#include "osmark/strings.h"

namespace halvern {

namespace {

// The longest text a value buffer holds.
constexpr size_t kLongestText = 4095;

constexpr double kPowersOfTen[] = {
    1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22,
};
constexpr int32_t kMostExactDecimals = 22;
constexpr int32_t kMostSignificantDigits = 19;
constexpr uint64_t kLargestExactInteger = uint64_t{1} << 53;

// Osmark's white space, which its number parsers skip.
bool is_white_space(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

// The first length bytes of a text (at most a value buffer's worth), for the calls
// that take a C string.
class Text {
public:
    Text(const char* text, size_t length) : m_text(text), m_length(std::min(length, kLongestText)) {}

    // The text as a C string, in buffer (kLongestText + 1 bytes).
    void copy_to(char* buffer) const
    {
        std::memcpy(buffer, m_text, m_length);
        buffer[m_length] = '\0';
    }

private:
    const char* m_text;
    size_t m_length;
};

[[gnu::noinline]] double real_by_osmark(const Text& text)
{
    char buffer[kLongestText + 1];
    text.copy_to(buffer);
    return StrToDouble(buffer, nullptr);
}

// ---------------------------------------------------------------------------------------
// Osmark's "%f" conversion, for the reals of binary files

// Osmark's formatter carries a fraction within 1e-6 below a whole unit into the unit.
constexpr double kFormatterTolerance = 1e-6;
// The fraction above which it carries, 1 - 1e-6 as a double, times 2^53: exact, since
// the limit lies in [0.5, 1).
constexpr uint64_t kToleranceLimitNumerator =
    static_cast<uint64_t>((1.0 - kFormatterTolerance) * 9007199254740992.0);
static_assert(static_cast<double>(kToleranceLimitNumerator) / 9007199254740992.0 ==
              1.0 - kFormatterTolerance);

struct Split {
    double integer;
    double fraction;
};

// The formatter's split of a non-negative value into its integer and its fraction.
Split split(double magnitude)
{
    double integer = std::floor(magnitude);
    double fraction = magnitude - integer;
    if (fraction > 1.0 - kFormatterTolerance) {
        integer += 1.0;
        fraction = 0.0;
    }
    return {integer, fraction};
}

// The next decimal of a fraction, as the formatter takes it; fraction keeps the rest.
int next_decimal(double& fraction)
{
    const double shifted = fraction * 10.0;
    const Split parts = split(shifted);
    fraction = parts.fraction;
    return std::min(static_cast<int>(parts.integer), 9);
}

[[gnu::noinline]] double binary_real_by_osmark(double value)
{
    // The longest "%15.15lf" text: 309 integer digits, sign, point and 15 decimals.
    char text[400];
    SnPrintf(text, sizeof text, "%15.15lf", value);
    return StrToDouble(text, nullptr);
}

constexpr int32_t kDecimals = 15;
constexpr uint64_t kDecimalScale = 1000000000000000ull;  // 10^15

// The value of the decimal text "integer.fraction" (fraction of 15 digits) of number
// = integer * 10^15 + fraction, as StrToDouble reads that text.
double decimal_value(unsigned __int128 number)
{
    if (number < kLargestExactInteger)
        return static_cast<double>(static_cast<uint64_t>(number)) / kPowersOfTen[kDecimals];
    const auto integer = static_cast<uint64_t>(number / kDecimalScale);
    auto fraction = static_cast<uint64_t>(number % kDecimalScale);
    char text[48];
    char* end = std::to_chars(text, text + 24, integer).ptr;
    *end++ = '.';
    for (int32_t place = kDecimals - 1; place >= 0; --place) {
        end[place] = static_cast<char>('0' + fraction % 10);
        fraction /= 10;
    }
    end += kDecimals;
    double value = 0.0;
    std::from_chars(text, end, value, std::chars_format::general);
    return value;
}

// Passes over leading white space, a sign and white space after it; true for '-'.
bool skip_sign(const char*& p, const char* end) noexcept
{
    while (p != end && is_white_space(*p))
        ++p;
    if (p == end || (*p != '-' && *p != '+'))
        return false;
    const bool negative = *p == '-';
    ++p;
    while (p != end && is_white_space(*p))
        ++p;
    return negative;
}

}

double DXFTextReal(const char* text_bytes, size_t length) noexcept
{
    // A NUL ends the text as the end does: it is neither white space, sign, digit nor
    // point, so every loop below stops at it.
    const char* p = text_bytes;
    const char* const end = text_bytes + std::min(length, kLongestText);
    const bool negative = skip_sign(p, end);
    // Up to 19 digits fit 64 bits; with more the value wraps and the long way is taken.
    uint64_t mantissa = 0;
    const char* digits = p;
    while (p != end && is_digit(*p))
        mantissa = mantissa * 10 + static_cast<uint64_t>(*p++ - '0');
    int64_t count = p - digits;
    int64_t decimals = 0;
    if (p != end && *p == '.') {
        const char* fraction = ++p;
        while (p != end && is_digit(*p))
            mantissa = mantissa * 10 + static_cast<uint64_t>(*p++ - '0');
        decimals = p - fraction;
        count += decimals;
    }
    const bool exponent = p != end && (*p == 'e' || *p == 'E');
    if (count == 0 || count > kMostSignificantDigits || exponent || mantissa > kLargestExactInteger ||
        decimals > kMostExactDecimals)
        return real_by_osmark(Text(text_bytes, length));
    const double magnitude = static_cast<double>(mantissa) / kPowersOfTen[decimals];
    return negative ? -magnitude : magnitude;
}

int32_t DXFTextInteger(const char* text_bytes, size_t length) noexcept
{
    const char* p = text_bytes;
    const char* const end = text_bytes + std::min(length, kLongestText);
    const bool negative = skip_sign(p, end);
    // Digits accumulate in 32 bits and wrap, as Osmark's parser does.
    uint32_t value = 0;
    while (p != end && is_digit(*p))
        value = value * 10 + static_cast<uint32_t>(*p++ - '0');
    return static_cast<int32_t>(negative ? 0u - value : value);
}

namespace {

// The value that the fifteen-decimal text of a magnitude of at least 8 reads back as,
// computed in integers; false when that takes the long way.
//
// From 8 up the formatter's decimals are exact: the fraction has at most 49 bits after
// the point, so ten times it is exact, and the decimals are the true ones. The text then
// differs from the magnitude by at most half a unit of the 15th decimal, less than half
// the spacing of doubles there (2^-50 and more), so it reads back as the magnitude
// itself, unless the formatter's tolerance rounds up at one of the first ten decimals
// (a fraction within 1e-6 below a unit): the text then ends at that decimal, one unit
// up, and reads back as that short decimal.
bool magnitude_from_text(double magnitude, double& result)
{
    const auto bits = std::bit_cast<uint64_t>(magnitude);
    const int32_t exponent = static_cast<int32_t>((bits >> 52) & 0x7FF) - 1075;
    result = magnitude;
    // An integer has no decimals to round; its digits are exact.
    if (exponent >= 0)
        return true;
    const int32_t fraction_bits = -exponent;  // 1 to 49 from 8 up
    const uint64_t mantissa = (bits & ((uint64_t{1} << 52) - 1)) | (uint64_t{1} << 52);
    const uint64_t mask = (uint64_t{1} << fraction_bits) - 1;
    const uint64_t integer = mantissa >> fraction_bits;
    uint64_t fraction = mantissa & mask;
    // fraction / 2^bits > the tolerance limit, in integers.
    const uint64_t limit = kToleranceLimitNumerator >> (53 - fraction_bits);
    if (fraction > limit) {
        result = static_cast<double>(integer + 1);
        return true;
    }
    // The integer and the decimals so far as one number, while it stays exact.
    uint64_t decimals = integer;
    bool exact = true;
    for (int32_t taken = 1; taken < 10; ++taken) {
        const uint64_t shifted = fraction * 10;
        if (exact) {
            decimals = decimals * 10 + (shifted >> fraction_bits);
            exact = decimals + 1 < kLargestExactInteger;
        }
        fraction = shifted & mask;
        if (fraction > limit) {
            // The text is decimals + 1 units of the taken-th decimal.
            if (!exact)
                return false;
            result = static_cast<double>(decimals + 1) / kPowersOfTen[taken];
            return true;
        }
    }
    return true;
}

}

double DXFBinaryRealValue(double value) noexcept
{
    if (!std::isfinite(value))
        return binary_real_by_osmark(value);
    double fast = 0.0;
    if (std::fabs(value) >= 8.0 && magnitude_from_text(std::fabs(value), fast))
        return value < 0.0 ? -fast : fast;
    const bool negative = value < 0.0;
    const Split whole = split(std::fabs(value));
    if (whole.integer >= static_cast<double>(kLargestExactInteger))
        return binary_real_by_osmark(value);
    // Fifteen decimals, fewer when the fraction runs out (the rest are zeros), then the
    // sixteenth decides the rounding of the last.
    double fraction = whole.fraction;
    uint64_t decimals = 0;
    int32_t taken = 0;
    for (; taken < kDecimals && fraction != 0.0; ++taken)
        decimals = decimals * 10 + static_cast<uint64_t>(next_decimal(fraction));
    for (; taken < kDecimals; ++taken)
        decimals *= 10;
    if (fraction != 0.0 && next_decimal(fraction) > 4)
        ++decimals;
    const unsigned __int128 number =
        static_cast<unsigned __int128>(static_cast<uint64_t>(whole.integer)) * kDecimalScale + decimals;
    // A text of zeros only has no sign.
    if (number == 0)
        return 0.0;
    const double magnitude = decimal_value(number);
    return negative ? -magnitude : magnitude;
}

}
