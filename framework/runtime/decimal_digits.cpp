#include "runtime/decimal_digits.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace fw::detail {

namespace {

std::string non_finite_text(double value)
{
    if (std::isnan(value))
        return "NAN";
    return value < 0 ? "-INF" : "INF";
}

}

DecimalDigits decimal_digits(double value)
{
    DecimalDigits number;
    number.negative = std::signbit(value);
    if (value == 0)
        return number;
    // "d.ddddddddddddddddde[+-]x": 18 significant digits, correctly rounded.
    char text[40];
    const std::to_chars_result result = std::to_chars(text, text + sizeof text, std::fabs(value),
                                                      std::chars_format::scientific, 17);
    const char* exponent = text;
    while (exponent < result.ptr && *exponent != 'e')
        ++exponent;
    for (const char* c = text; c < exponent; ++c) {
        if (*c != '.')
            number.digits.push_back(*c);
    }
    int power = 0;
    const char* power_start = exponent + 1;
    if (power_start < result.ptr && *power_start == '+')
        ++power_start;
    std::from_chars(power_start, result.ptr, power);
    number.exponent = power + 1;
    while (!number.digits.empty() && number.digits.back() == '0')
        number.digits.pop_back();
    return number;
}

void round_digits(DecimalDigits& number, int keep)
{
    if (keep < 0) {
        number.digits.clear();
        return;
    }
    if (static_cast<size_t>(keep) >= number.digits.size())
        return;
    const bool up = number.digits[static_cast<size_t>(keep)] >= '5';
    number.digits.resize(static_cast<size_t>(keep));
    if (!up)
        return;
    // Carry from the last digit kept; a carry out of the first makes "1" one place up.
    for (size_t i = number.digits.size(); i-- > 0;) {
        if (number.digits[i] != '9') {
            ++number.digits[i];
            return;
        }
        number.digits[i] = '0';
    }
    number.digits.insert(number.digits.begin(), '1');
    ++number.exponent;
}

std::string fixed_text(double value, int decimals)
{
    if (!std::isfinite(value))
        return non_finite_text(value);
    DecimalDigits number = decimal_digits(value);
    round_digits(number, number.exponent + decimals);
    while (!number.digits.empty() && number.digits.back() == '0')
        number.digits.pop_back();
    auto digit_at = [&number](int index) {
        return index >= 0 && static_cast<size_t>(index) < number.digits.size()
                   ? number.digits[static_cast<size_t>(index)]
                   : '0';
    };

    std::string text;
    if (number.negative && !number.digits.empty())
        text.push_back('-');
    if (number.digits.empty() || number.exponent <= 0) {
        text.push_back('0');
    } else {
        for (int i = 0; i < number.exponent; ++i)
            text.push_back(digit_at(i));
    }
    if (decimals > 0) {
        text.push_back('.');
        for (int i = 0; i < decimals; ++i)
            text.push_back(digit_at(number.exponent + i));
    }
    return text;
}

std::string scientific_text(double value, int significant)
{
    if (!std::isfinite(value))
        return non_finite_text(value);
    if (significant < 1)
        significant = 1;
    DecimalDigits number = decimal_digits(value);
    round_digits(number, significant);
    const bool zero = number.digits.empty();
    number.digits.resize(static_cast<size_t>(significant), '0');

    std::string text;
    if (number.negative && !zero)
        text.push_back('-');
    text.push_back(number.digits[0]);
    if (significant > 1) {
        text.push_back('.');
        text.append(number.digits, 1, std::string::npos);
    }
    const int exponent = zero ? 0 : number.exponent - 1;
    text.push_back('E');
    text.push_back(exponent < 0 ? '-' : '+');
    std::string exponent_digits = std::to_string(std::abs(exponent));
    if (exponent_digits.size() < 3)
        exponent_digits.insert(0, 3 - exponent_digits.size(), '0');
    text += exponent_digits;
    return text;
}

}
