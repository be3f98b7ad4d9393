// The decimal digits of a double as the framework's formatting sees them: the value
// taken to 18 significant digits (correctly rounded), then rounded half away from zero
// at the place that is shown. Locale-independent.
#ifndef FRAMEWORK_RUNTIME_DECIMAL_DIGITS_H
#define FRAMEWORK_RUNTIME_DECIMAL_DIGITS_H

#include <string>

namespace fw::detail {

// value = sign 0.d1 d2 d3 ... x 10^exponent; digits is empty for zero.
struct DecimalDigits {
    std::string digits;
    int exponent = 0;
    bool negative = false;
};

// The 18 significant digits of a finite value, trailing zeros dropped.
DecimalDigits decimal_digits(double value);

// Keeps the first `keep` digits, rounding half away from zero on the next one; a keep
// below 0 gives zero.
void round_digits(DecimalDigits& number, int keep);

// Fixed notation with `decimals` places after '.', none when decimals is 0; no sign for
// a value that shows as zero. "INF", "-INF" or "NAN" for a value that is not finite.
std::string fixed_text(double value, int decimals);

// Scientific notation "d.ddd...E+ddd" with `significant` digits in all (at least one)
// and at least three exponent digits.
std::string scientific_text(double value, int significant);

}

#endif
