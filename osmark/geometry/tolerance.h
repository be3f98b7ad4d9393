// The comparisons every part of the profile geometry shares. The tolerance is an
// absolute 1e-6, strict at both ends; a minimum search takes a candidate only when it
// is smaller by at least the tolerance, so of near-equal candidates the first wins.
#ifndef OSMARK_GEOMETRY_TOLERANCE_H
#define OSMARK_GEOMETRY_TOLERANCE_H

#include "osmark/geometry_types.h"

#include <cstdint>
#include <numbers>

namespace osmark::geometry {

constexpr double kTolerance = 1e-6;
constexpr double kPi = std::numbers::pi;
constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr double kHalfPi = 0.5 * std::numbers::pi;

// value lies within the tolerance of 0.
constexpr bool is_near_zero(double value) noexcept
{
    return value > -kTolerance && value < kTolerance;
}

// value lies within the tolerance of target.
constexpr bool is_near(double value, double target) noexcept
{
    return is_near_zero(value - target);
}

// A candidate of a minimum search replaces the best only when smaller by the tolerance.
constexpr bool beats(double candidate, double best) noexcept
{
    return candidate - best <= -kTolerance;
}

// Directions read 0 and above as +1 (counter-clockwise), below 0 as -1.
constexpr int32_t direction_sign(int32_t direction) noexcept
{
    return direction >= 0 ? 1 : -1;
}

// Evaluations take t below the tolerance as 0 and t within it of 1 (or above) as 1.
constexpr double clamp_parameter(double t) noexcept
{
    if (t < kTolerance)
        return 0.0;
    if (t - 1.0 > -kTolerance)
        return 1.0;
    return t;
}

// Points equal within the tolerance: a square, not a circle.
constexpr bool points_equal(const Point2DRec& a, const Point2DRec& b,
                            double tolerance = kTolerance) noexcept
{
    const double dx = a.x - b.x;
    const double dy = a.y - b.y;
    return dx > -tolerance && dx < tolerance && dy > -tolerance && dy < tolerance;
}

}

#endif
