// Numbers of DXF group values: StrToDouble, StrToLong and the binary reals' round trip
// through "%15.15lf", each with a fast path for the forms DXF files use.
//
// The fast paths give the same values as the calls they stand for, not nearly the
// same: a decimal of at most 19 significant digits and at most 22 decimals is one
// exact integer divided by one exact power of ten, which IEEE division rounds
// correctly, as Osmark's parser (std::from_chars) does. Everything else goes through
// the calls themselves.

#include "dxf/dxf_group_reader_numbers.h"

#include <algorithm>
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

// The next decimal of a fraction (0 up to 1), as the formatter takes it; fraction keeps
// the rest. Ten times the fraction is below 10, so its integer part comes exactly from
// a conversion, where split's floor would cost a call.
int next_decimal(double& fraction)
{
    const double shifted = fraction * 10.0;
    double digit = static_cast<double>(static_cast<int>(shifted));
    fraction = shifted - digit;
    if (fraction > 1.0 - kFormatterTolerance) {
        digit += 1.0;
        fraction = 0.0;
    }
    return std::min(static_cast<int>(digit), 9);
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

constexpr uint64_t kTens[] = {
    1ull,
    10ull,
    100ull,
    1000ull,
    10000ull,
    100000ull,
    1000000ull,
    10000000ull,
    100000000ull,
    1000000000ull,
    10000000000ull,
    100000000000ull,
    1000000000000ull,
    10000000000000ull,
    100000000000000ull,
    1000000000000000ull,
    10000000000000000ull,
};

// A fraction below 1 of whole units of 2^-50 (or of coarser ones) gives exact products
// when the formatter multiplies it by ten (under 5 * 2^50 units of 2^-49, within the 53
// bits of a double), and what is left after the integer part is again of whole units:
// from such a fraction on, the formatter's decimals are the true ones, and they can be
// taken in integers.
constexpr int32_t kExactFractionBits = 50;
constexpr double kExactScale = 0x1.0p50;

// Up to three decimals after a carry of the formatter the true fraction is still above
// 0.998: a fraction 1 - d that it carries (d below 1e-6 and a hair) is 1 - 10^n d n
// decimals later (n < 6), above 1 - 1e-3 - 1e-18. As units of 2^-53, rounded down.
constexpr uint64_t kNearCarryNumerator = 998 * (uint64_t{1} << 53) / 1000;

// The first decimal from first to last (0: the fraction itself) at which the formatter
// carries a fraction of units/2^bits into a unit, or -1. Before the first carry its
// fractions are the true ones: that of the n-th decimal is units * 10^n mod 2^bits
// (exact in 64 bits, which 2^bits divides). Each window of four decimals is looked at
// once at its last decimal, which is near a carry after any carry in the window.
int32_t first_carry(uint64_t units, int32_t bits, int32_t first, int32_t last)
{
    const uint64_t mask = (uint64_t{1} << bits) - 1;
    const uint64_t near = kNearCarryNumerator >> (53 - bits);
    for (int32_t low = first; low <= last; low += 4) {
        const int32_t high = std::min(low + 3, last);
        if (((units * kTens[high]) & mask) <= near)
            continue;
        const uint64_t limit = kToleranceLimitNumerator >> (53 - bits);
        for (int32_t taken = low; taken <= high; ++taken) {
            if (((units * kTens[taken]) & mask) > limit)
                return taken;
        }
    }
    return -1;
}

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
//
// The magnitude is below 2^52 here (above, it is an integer), so its integer part fits
// 64 bits and its fraction is of whole units of 2^-49.
bool magnitude_from_text(double magnitude, double& result)
{
    constexpr int32_t kFractionBits = 49;
    const auto integer = static_cast<int64_t>(magnitude);
    const double fraction = magnitude - static_cast<double>(integer);
    const auto units = static_cast<uint64_t>(static_cast<int64_t>(fraction * 0x1.0p49));
    result = magnitude;
    // An integer has no decimals to round; its digits are exact.
    if (units == 0)
        return true;
    const int32_t taken = first_carry(units, kFractionBits, 0, 9);
    if (taken < 0)
        return true;
    // The text is the integer and the decimals so far plus one unit of the last.
    const unsigned __int128 decimals = static_cast<unsigned __int128>(static_cast<uint64_t>(integer)) * kTens[taken] +
                                       (static_cast<unsigned __int128>(units) * kTens[taken] >> kFractionBits);
    if (decimals + 1 >= kLargestExactInteger)
        return false;
    result = static_cast<double>(static_cast<uint64_t>(decimals) + 1) / kPowersOfTen[taken];
    return true;
}

// The fifteen-decimal number (the text's digits as one integer) of a value whose
// integer and first taken decimals are decimals and whose fraction left is
// units / 2^50, exactly as the formatter's decimals go, carries and rounding by the
// sixteenth decimal included.
uint64_t exact_fifteen_decimals(uint64_t decimals, int32_t taken, uint64_t units)
{
    constexpr uint64_t mask = (uint64_t{1} << kExactFractionBits) - 1;
    constexpr uint64_t limit = kToleranceLimitNumerator >> (53 - kExactFractionBits);
    constexpr uint64_t near = kNearCarryNumerator >> (53 - kExactFractionBits);
    const int32_t left = kDecimals - taken;
    // The first carry among the decimals left (see first_carry), its windows taken
    // from the last down, so that the lowest one near a carry is looked into.
    int32_t near_at = 0;
    for (int32_t high = left; high > 0; high -= 4) {
        if (((units * kTens[high]) & mask) > near)
            near_at = high;
    }
    if (near_at > 0) {
        for (int32_t carry = std::max(near_at - 3, 1); carry <= left; ++carry) {
            if (((units * kTens[carry]) & mask) > limit) {
                // The text ends at that decimal, one unit up, and zeros follow.
                const auto more =
                    static_cast<uint64_t>(static_cast<unsigned __int128>(units) * kTens[carry] >> kExactFractionBits);
                return (decimals * kTens[carry] + more + 1) * kTens[left - carry];
            }
        }
    }
    // All the decimals left and the sixteenth, which rounds the last: up from 5, or
    // from 4 when the formatter's tolerance carries the fraction after it.
    const auto shifted = static_cast<unsigned __int128>(units) * kTens[left + 1];
    const auto digits = static_cast<uint64_t>(shifted >> kExactFractionBits);
    const uint64_t sixteenth = digits % 10 + ((static_cast<uint64_t>(shifted) & mask) > limit ? 1 : 0);
    return decimals * kTens[left] + digits / 10 + (sixteenth > 4 ? 1 : 0);
}

// The smallest magnitude from which on every double is an integer.
constexpr double kFirstInteger = 0x1.0p52;

// Values of whole units of 2^-15, whose text holds them exactly.
constexpr double kShortScale = 0x1.0p15;

// Below this every decimal of the text, the sixteenth too, is 0: ten to the fifteen
// times the value stays below 0.1 even as the formatter rounds on the way.
constexpr double kBelowAllDecimals = 1e-16;

// The value of the fifteen-decimal text of a magnitude below 8.
//
// The formatter's decimals are taken in doubles as it takes them only while ten times
// the fraction may round; once the fraction is a whole number of units of 2^-50 (from
// the start when the magnitude is, and at the latest after a decimal of 4 or more: its
// fraction keeps at most 50 bits) the rest is exact and taken in integers.
[[gnu::noinline]] double small_value(double value)
{
    const double magnitude = std::fabs(value);
    // A whole number of units of 2^-15: fifteen decimals hold it exactly (2^-15 has
    // fifteen), its fraction never comes within 2^-15 of a unit, so the text is the
    // value itself. (Conversions go through int64_t, which is one instruction.)
    const double short_units = magnitude * kShortScale;
    if (static_cast<double>(static_cast<int64_t>(short_units)) == short_units)
        return value;
    const auto integer = static_cast<int64_t>(magnitude);
    double fraction = magnitude - static_cast<double>(integer);
    uint64_t decimals = static_cast<uint64_t>(integer);
    if (fraction > 1.0 - kFormatterTolerance) {
        ++decimals;
        fraction = 0.0;
    }
    int32_t taken = 0;
    uint64_t number = 0;
    for (;;) {
        const double scaled = fraction * kExactScale;
        const auto units = static_cast<int64_t>(scaled);
        if (static_cast<double>(units) == scaled) {
            number = units == 0 ? decimals * kTens[kDecimals - taken]
                                : exact_fifteen_decimals(decimals, taken, static_cast<uint64_t>(units));
            break;
        }
        if (taken == kDecimals) {
            number = decimals + (next_decimal(fraction) > 4 ? 1 : 0);
            break;
        }
        decimals = decimals * 10 + static_cast<uint64_t>(next_decimal(fraction));
        ++taken;
    }
    // A text of zeros only has no sign.
    if (number == 0)
        return 0.0;
    // At most 8 * 10^15, below 2^53: exact, and one division rounds it as the parser does.
    const double result = static_cast<double>(number) / kPowersOfTen[kDecimals];
    return value < 0.0 ? -result : result;
}

// Every value the fast ways leave: the formatter's decimals in doubles, read back from
// the integer and decimals as the parser reads them.
[[gnu::noinline]] double binary_real_by_decimals(double value)
{
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

double DXFBinaryRealValue(double value) noexcept
{
    const double magnitude = std::fabs(value);
    // A text of zeros only has no sign.
    if (magnitude < kBelowAllDecimals)
        return 0.0;
    if (magnitude < 8.0)
        return small_value(value);
    if (magnitude < kFirstInteger) {
        double fast = 0.0;
        if (!magnitude_from_text(magnitude, fast))
            return binary_real_by_decimals(value);
        return value < 0.0 ? -fast : fast;
    }
    // From 2^52 up every double is an integer, whose text is exact.
    return std::isfinite(value) ? value : binary_real_by_osmark(value);
}

}
