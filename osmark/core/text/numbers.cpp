// Truncation and rounding with the library's own rule for halves, unique numbers and
// the normalisation of angles that all geometry applies before comparing or storing
// an angle.

#include "osmark/numbers.h"

#include <atomic>
#include <cmath>

namespace {

constexpr double kSnapTolerance = 1e-6;
constexpr double kHalfPi = 1.5707963267948966;
constexpr double kPi = 3.141592653589793;
constexpr double kThreeHalvesPi = 4.71238898038469;
constexpr double kTwoPi = 6.283185307179586;

std::atomic<uint32_t> g_unique_id{0};

// The sign is -1 only for x < 0 (0 and not-a-number count as positive).
double sign_of(double x)
{
    return x < 0.0 ? -1.0 : 1.0;
}

// An exact half goes towards zero: only a fraction above 0.5 rounds the magnitude up.
double rounded_magnitude(double x)
{
    const double magnitude = std::fabs(x);
    const double whole = std::floor(magnitude);
    return magnitude - whole > 0.5 ? whole + 1.0 : whole;
}

// Values outside the 32-bit range (and not-a-number) give INT32_MIN, as the hardware
// conversion does, without the undefined behaviour of converting them in C++.
int32_t to_int32(double value)
{
    if (value >= -2147483648.0 && value < 2147483648.0)
        return static_cast<int32_t>(value);
    return INT32_MIN;
}

bool is_near(double a, double b)
{
    const double difference = a - b;
    return difference > -kSnapTolerance && difference < kSnapTolerance;
}

bool is_in_turn(double a)
{
    return a > -kSnapTolerance && a - kTwoPi < kSnapTolerance;
}

}

extern "C" {

OSMARK_API int32_t Trunc(double x) noexcept
{
    return to_int32(sign_of(x) * std::floor(std::fabs(x)));
}

OSMARK_API int32_t Round(double x) noexcept
{
    return to_int32(sign_of(x) * rounded_magnitude(x));
}

OSMARK_API double RoundF(double x) noexcept
{
    return sign_of(x) * rounded_magnitude(x);
}

OSMARK_API double RoundNum(double x, double step) noexcept
{
    if (step > -kSnapTolerance && step < kSnapTolerance)
        return x;
    return RoundF(x / step) * step;
}

OSMARK_API uint32_t GetUniqueID(void) noexcept
{
    return g_unique_id.fetch_add(1, std::memory_order_relaxed);
}

// An angle within the tolerance of a whole turn stays 2*pi rather than becoming 0,
// so that a full circle keeps its end angle.
OSMARK_API double CorrectAngle(double angle) noexcept
{
    double a = angle;
    if (!is_in_turn(a)) {
        // The whole turns are counted in a double: an int would overflow for huge
        // angles.
        const double turns = std::trunc(a / kTwoPi);
        a -= turns * kTwoPi;
        if (a <= -kSnapTolerance)
            a += kTwoPi;
        if (!is_in_turn(a))
            return 0.0;
    }
    for (const double quarter : {0.0, kHalfPi, kPi, kThreeHalvesPi, kTwoPi}) {
        if (is_near(a, quarter))
            return quarter;
    }
    return a;
}

}
