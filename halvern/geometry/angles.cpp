// Angle normalisation and arc sweeps.
#include "geometry/geometry_internal.h"

#include <cmath>

namespace halvern {

double DXFNormaliseAngle(double angle) noexcept {
    // A non-finite angle has no place on the circle; 0 keeps every caller's arithmetic
    // finite (the turn count below would be NaN).
    if (!std::isfinite(angle)) {
        return 0.0;
    }
    if (angle > -kTolerance && angle - kTwoPi <= -kTolerance) {
        return angle;
    }
    // The whole turns are counted in double: an angle of any size has an exact integral
    // quotient there, where a conversion to an integer type would overflow.
    const double turns = std::trunc(angle / kTwoPi);
    double reduced = angle - turns * kTwoPi;
    if (reduced <= -kTolerance) {
        reduced += kTwoPi;
    }
    // Rounding of huge angles can leave the remainder anywhere; it still ends in range.
    if (reduced <= -kTolerance || reduced - kTwoPi > -kTolerance) {
        return 0.0;
    }
    return reduced;
}

double DXFArcSweep(double start, double end, int32_t direction) noexcept {
    if (!std::isfinite(start) || !std::isfinite(end)) {
        return 0.0;
    }
    const double sense = direction >= 0 ? 1.0 : -1.0;
    const double from = DXFNormaliseAngle(start);
    const double to = DXFNormaliseAngle(end);
    // More than one whole turn, in degrees; the turns are then taken off until at most
    // one remains, so that equal angles sweep a full circle and never 0.
    double sweep = std::fabs(to * sense + (kFourPi - from * sense)) * kDegreesPerRadian;
    if (sweep - 360.0 >= kTolerance) {
        sweep -= 360.0;
        while (sweep - 360.0 >= kTolerance) {
            sweep -= 360.0;
        }
    }
    return sweep * kRadiansPerDegree;
}

int32_t DXFAngleInSweep(double start, double angle, double end, int32_t direction) noexcept {
    const double from = DXFNormaliseAngle(start);
    const double at = DXFNormaliseAngle(angle);
    const double to = DXFNormaliseAngle(end);
    if (is_equal(from, to)) {
        return 1;
    }
    if (is_equal(at, from) || is_equal(at, to)) {
        return 1;
    }
    const int32_t sense = direction >= 0 ? 1 : -1;
    return DXFArcSweep(from, at, sense) - DXFArcSweep(from, to, sense) < kTolerance ? 1 : 0;
}

double DXFArcLength(double radius, double start, double end, int32_t direction) noexcept {
    return DXFArcSweep(start, end, direction) * radius;
}

}
