// Osmark's conversion of reals for the formatter (styles e, f and g).
//
// The integer digits of the value are exact (a double of 1e308 has 309 of them);
// the fraction is taken apart digit by digit, multiplying by ten and splitting with
// the formatter's tolerance: a fraction above 1 - 1e-6 counts as a whole unit.

#include "core/text/real_format.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace osmark {
namespace {

constexpr double kTolerance = 1e-6;
constexpr size_t kMaxIntegerDigits = 310; // the largest double has 309
constexpr int kMaxExponentDigits = 3;     // e-324 .. e+309

struct Split {
    double integer;
    double fraction;
};

// modf with the tolerance: a fraction within 1e-6 below 1 is carried into the
// integer part. Both parts keep the sign of value.
Split split_real(double value)
{
    const double magnitude = std::fabs(value);
    double integer = std::floor(magnitude);
    double fraction = magnitude - integer;
    if (fraction > 1.0 - kTolerance) {
        integer += 1.0;
        fraction = 0.0;
    }
    return {std::copysign(integer, value), std::copysign(fraction, value)};
}

// The digit that ten times fraction (below 1) gives, and the fraction left.
int next_fraction_digit(double& fraction)
{
    const Split split = split_real(fraction * 10.0);
    fraction = split.fraction;
    // A fraction never exceeds 1 - 1e-6 after a split, so the digit stays below 10.
    return std::min(static_cast<int>(split.integer), 9);
}

// Exact decimal digits of an integral double of at least 1, most significant first.
// Computing them by repeated division by ten in floating point loses digits from
// about 2^49 upwards, so large values are expanded in base 1e9 instead.
size_t exact_integer_digits(double integer, std::array<char, kMaxIntegerDigits>& digits)
{
    constexpr double kTwoTo64 = 18446744073709551616.0;
    constexpr uint32_t kLimbBase = 1000000000;
    std::array<char, kMaxIntegerDigits> reversed{};
    size_t count = 0;
    const auto put_reversed = [&](uint32_t digit) {
        if (count < reversed.size())
            reversed[count++] = static_cast<char>('0' + digit);
    };

    if (integer < kTwoTo64) {
        for (uint64_t value = static_cast<uint64_t>(integer); value != 0; value /= 10)
            put_reversed(static_cast<uint32_t>(value % 10));
    } else {
        int exponent = 0;
        const double mantissa_part = std::frexp(integer, &exponent);
        uint64_t mantissa = static_cast<uint64_t>(std::ldexp(mantissa_part, 53));
        exponent -= 53; // integer = mantissa * 2^exponent, exponent > 11 here
        std::array<uint32_t, 40> limbs{}; // little-endian base-1e9 limbs
        size_t used = 0;
        for (; mantissa != 0; mantissa /= kLimbBase)
            limbs[used++] = static_cast<uint32_t>(mantissa % kLimbBase);
        while (exponent > 0) {
            const int step = std::min(exponent, 29); // a limb times 2^29 fits 64 bits
            uint64_t carry = 0;
            for (size_t i = 0; i < used; ++i) {
                const uint64_t product = (uint64_t{limbs[i]} << step) + carry;
                limbs[i] = static_cast<uint32_t>(product % kLimbBase);
                carry = product / kLimbBase;
            }
            for (; carry != 0 && used < limbs.size(); carry /= kLimbBase)
                limbs[used++] = static_cast<uint32_t>(carry % kLimbBase);
            exponent -= step;
        }
        for (size_t i = 0; i < used; ++i) {
            uint32_t limb = limbs[i];
            const bool top = i + 1 == used;
            for (int place = 0; place < 9 && (!top || limb != 0); ++place, limb /= 10)
                put_reversed(limb % 10);
        }
    }
    for (size_t i = 0; i < count; ++i)
        digits[i] = reversed[count - 1 - i];
    return count;
}

class RealFormatter {
public:
    RealFormatter(double magnitude, bool soft_negative, bool alternate)
        : m_alternate(alternate), m_soft_negative(soft_negative)
    {
        if (!std::isfinite(magnitude)) {
            m_integer_digits[0] = 'i';
            m_integer_digits[1] = 'n';
            m_integer_digits[2] = 'f';
            m_integer_count = 3;
            m_finite = false;
            return;
        }
        const Split split = split_real(magnitude);
        m_fraction = split.fraction;
        if (split.integer >= 1.0)
            m_integer_count = exact_integer_digits(split.integer, m_integer_digits);
    }

    void style_f(int precision);
    void style_e(int precision, char letter, bool trim);
    void style_g(int precision, char letter);

    RealText finish()
    {
        RealText text;
        text.length = m_end - m_start;
        std::copy(m_text.begin() + static_cast<std::ptrdiff_t>(m_start),
                  m_text.begin() + static_cast<std::ptrdiff_t>(m_end), text.characters.begin());
        text.owed_zeros_at = (m_has_exponent ? m_exponent_at : m_end) - m_start;
        text.negative = m_soft_negative;
        return text;
    }

    bool is_finite() const { return m_finite; }

private:
    void push(char character)
    {
        if (m_end < m_text.size())
            m_text[m_end++] = character;
    }
    void push_zeros(int count)
    {
        for (; count > 0; --count)
            push('0');
    }
    char last() const { return m_end > m_start ? m_text[m_end - 1] : '\0'; }
    void push_fraction_digit() { push(static_cast<char>('0' + next_fraction_digit(m_fraction))); }
    void trim_trailing_zeros_and_point();
    void carry_digits(double fraction, int next_digit, int* exponent);
    void push_exponent(int exponent, char letter);

    // m_start leaves room in front for the digit that a carry out of the first one
    // adds in the f and g styles.
    std::array<char, kRealTextCapacity> m_text{};
    size_t m_start = 1;
    size_t m_end = 1;
    bool m_has_exponent = false;
    size_t m_exponent_at = 0;

    std::array<char, kMaxIntegerDigits> m_integer_digits{};
    size_t m_integer_count = 0; // the number of integer digits (0 below 1)
    double m_fraction = 0.0;
    bool m_finite = true;
    bool m_alternate;
    bool m_soft_negative;
};

// Rounds the digits written so far by the digit after them: the first digit of the
// fraction left over, or next_digit when no fraction is left.
void RealFormatter::carry_digits(double fraction, int next_digit, int* exponent)
{
    const int deciding = fraction != 0.0 ? next_fraction_digit(fraction) : next_digit;
    if (deciding > 4) {
        for (size_t at = m_end; at > m_start;) {
            --at;
            if (m_text[at] == '.') {
                if (at == m_start)
                    break;
                --at;
            }
            if (++m_text[at] <= '9')
                return;
            m_text[at] = '0';
            if (at != m_start)
                continue;
            if (exponent != nullptr) {
                m_text[at] = '1';
                ++*exponent;
            } else if (m_start > 0) {
                m_text[--m_start] = '1';
            }
            return;
        }
        return;
    }
    // Rounded down: a negative value whose every digit is 0 prints without sign.
    const bool all_zeros = std::all_of(m_text.begin() + static_cast<std::ptrdiff_t>(m_start),
                                       m_text.begin() + static_cast<std::ptrdiff_t>(m_end),
                                       [](char c) { return c == '0' || c == '.'; });
    if (all_zeros)
        m_soft_negative = false;
}

void RealFormatter::trim_trailing_zeros_and_point()
{
    while (m_end > m_start + 1 && m_text[m_end - 1] == '0')
        --m_end;
    if (m_end > m_start + 1 && m_text[m_end - 1] == '.')
        --m_end;
}

void RealFormatter::push_exponent(int exponent, char letter)
{
    m_has_exponent = true;
    m_exponent_at = m_end;
    push(letter);
    push(exponent < 0 ? '-' : '+');
    int magnitude = exponent < 0 ? -exponent : exponent;
    char digits[kMaxExponentDigits + 1];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0 && count < kMaxExponentDigits + 1);
    if (count == 1)
        digits[count++] = '0';
    while (count > 0)
        push(digits[--count]);
}

void RealFormatter::style_f(int precision)
{
    if (m_integer_count == 0)
        push('0');
    for (size_t i = 0; i < m_integer_count; ++i)
        push(m_integer_digits[i]);
    if (precision > 0 || m_alternate)
        push('.');
    for (; precision > 0 && m_fraction != 0.0; --precision)
        push_fraction_digit();
    if (m_fraction != 0.0)
        carry_digits(m_fraction, 0, nullptr);
    if (precision <= 0)
        return;
    if (!m_alternate) {
        push_zeros(precision);
        return;
    }
    // With # a precision left over is not filled: the fraction keeps the digits it
    // has, and a bare point gets one 0.
    while (m_end > m_start + 1 && last() == '0')
        --m_end;
    if (last() == '.')
        push('0');
}

void RealFormatter::style_e(int precision, char letter, bool trim)
{
    int exponent = 0;
    if (m_integer_count > 0) {
        push(m_integer_digits[0]);
        if (precision > 0 || m_alternate)
            push('.');
        size_t next = 1;
        for (; next < m_integer_count && precision > 0; ++next, --precision)
            push(m_integer_digits[next]);
        exponent = static_cast<int>(m_integer_count) - 1;
        if (next < m_integer_count) {
            carry_digits(0.0, m_integer_digits[next] - '0', &exponent);
            m_fraction = 0.0;
        }
    } else if (m_fraction != 0.0) {
        exponent = -1;
        int digit = next_fraction_digit(m_fraction);
        // Ten times a positive fraction grows, so a non-zero digit comes within
        // the 324 places of the smallest double; the bound only guards the loop.
        for (int guard = 0; digit == 0 && m_fraction != 0.0 && guard < 400; ++guard) {
            --exponent;
            digit = next_fraction_digit(m_fraction);
        }
        push(static_cast<char>('0' + digit));
        if (precision > 0 || m_alternate)
            push('.');
    } else {
        push('0');
        if (precision > 0 || m_alternate)
            push('.');
    }
    for (; precision > 0 && m_fraction != 0.0; --precision)
        push_fraction_digit();
    if (m_fraction != 0.0)
        carry_digits(m_fraction, 0, &exponent);
    push_zeros(precision);
    if (trim && !m_alternate)
        trim_trailing_zeros_and_point();
    push_exponent(exponent, letter);
}

void RealFormatter::style_g(int precision, char letter)
{
    if (precision == 0)
        precision = 1;
    const bool tiny = m_integer_count == 0 && m_fraction != 0.0 && !(m_fraction >= 0.0001);
    // "inf" never takes the e style: its letters are no digits to round.
    if (m_finite && (static_cast<int>(m_integer_count) > precision || tiny)) {
        style_e(precision - 1, static_cast<char>(letter - 2), true);
        return;
    }
    if (m_integer_count == 0)
        push('0');
    for (size_t i = 0; i < m_integer_count; ++i, --precision)
        push(m_integer_digits[i]);
    precision = std::max(precision, 0);
    bool point_written = false;
    if (precision > 0 || m_alternate) {
        push('.');
        point_written = true;
    }
    if (m_fraction != 0.0) {
        if (precision > 0) {
            // Below 1 the leading zeros of the fraction are no significant digits.
            int digit = 0;
            do {
                digit = next_fraction_digit(m_fraction);
                push(static_cast<char>('0' + digit));
            } while (digit == 0 && m_fraction != 0.0 && m_integer_count == 0);
            while (--precision > 0 && m_fraction != 0.0)
                push_fraction_digit();
        }
        if (m_fraction != 0.0)
            carry_digits(m_fraction, 0, nullptr);
    }
    if (m_alternate)
        push_zeros(precision);
    else if (point_written)
        trim_trailing_zeros_and_point();
}

}

RealText format_real(double value, int precision, bool alternate, char letter)
{
    // Zero, minus zero and a value that is not a number have no sign.
    const bool soft_negative = value < 0.0;
    RealFormatter formatter(std::fabs(value), soft_negative, alternate);
    precision = std::clamp(precision, 0, kMaxRealPrecision);
    switch (letter) {
    case 'e':
    case 'E':
        if (formatter.is_finite())
            formatter.style_e(precision, letter, false);
        else
            formatter.style_f(precision);
        break;
    case 'g':
    case 'G':
        formatter.style_g(precision, letter);
        break;
    default:
        formatter.style_f(precision);
        break;
    }
    return formatter.finish();
}

}
