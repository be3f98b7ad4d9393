// Helpers shared by the primitive sources: the pixel mapping of placed points, exact
// quarter-turn cosines and the scratch blocks of the spline primitives.
#ifndef HALVERN_RENDER_PRIMITIVES_INTERNAL_H
#define HALVERN_RENDER_PRIMITIVES_INTERNAL_H

#include <cmath>
#include <cstdint>
#include <memory>

#include "halvern/drawing.h"
#include "osmark/memory.h"
#include "osmark/owners.h"

namespace halvern::primitives {

inline constexpr double kPi = 3.141592653589793;
inline constexpr double kTwoPi = 6.283185307179586;
inline constexpr double kFourPi = 12.566370614359172;
inline constexpr double kTolerance = 1e-6;
inline constexpr double kDegreesPerRadian = 57.29577951308232;
inline constexpr double kRadiansPerDegree = 0.0174532925199433;

// A pixel position on the device context.
struct Pixel {
    int32_t x;
    int32_t y;
};

// Osmark's Round for any double: values beyond the 32-bit range are clamped to it
// (far-away points must not wrap into the view when offsets are added) and a NaN
// gives 0. Inline because every drawn point goes through it: the same integers as
// Round (an exact half goes towards zero), with truncation standing in for floor,
// which is exact for magnitudes below 2^31.
inline int32_t round_to_pixel(double value) noexcept
{
    constexpr double kLimit = 2147483520.0;
    if (!(value < kLimit && value > -kLimit)) {
        if (std::isnan(value))
            return 0;
        return value > 0.0 ? INT32_MAX / 2 : INT32_MIN / 2;
    }
    // Truncation goes towards zero, so the fraction has the value's sign and is exact;
    // rounding its magnitude up past a half is the same on either side of zero.
    const int64_t whole = static_cast<int64_t>(value);
    const double fraction = value - static_cast<double>(whole);
    return static_cast<int32_t>(whole + (fraction > 0.5 ? 1 : 0) - (fraction < -0.5 ? 1 : 0));
}

// The pixel of a placed point by the mapping of SetDXFDrawingSize, clamped to the
// 32-bit range.
inline Pixel map_to_pixel(const DXFDrawingRec& drawing, double x, double y) noexcept
{
    const auto clamp_to_int32 = [](int64_t value) {
        return static_cast<int32_t>(value < INT32_MIN ? INT32_MIN : value > INT32_MAX ? INT32_MAX : value);
    };
    const int64_t px = int64_t{round_to_pixel((x - drawing.dxf_DrwgSize.min.x) * drawing.dxf_XScale)} +
                       drawing.dxf_XOffset;
    const int64_t height = int64_t{drawing.dxf_ViewSize.MaxY} - drawing.dxf_ViewSize.MinY;
    const int64_t py = height -
                       round_to_pixel((y - drawing.dxf_DrwgSize.min.y) * drawing.dxf_YScale) +
                       drawing.dxf_YOffset;
    return {clamp_to_int32(px), clamp_to_int32(py)};
}

// Cosine and sine with exact values within 1e-6 of the quarter turns, so that a text
// turned by pi/2 lands on whole pixels.
struct CosSin {
    double cos;
    double sin;
};
CosSin exact_cos_sin(double angle) noexcept;

inline bool all_finite(double a, double b) noexcept
{
    return std::isfinite(a) && std::isfinite(b);
}
inline bool all_finite(double a, double b, double c, double d) noexcept
{
    return all_finite(a, b) && all_finite(c, d);
}

// A cleared AllocVec block of doubles, freed with FreeVec.
using DoubleBlock = osmark::BlockOwner<double[]>;
// NULL when count is not positive, does not fit one block, or memory fails.
DoubleBlock allocate_doubles(int64_t count) noexcept;

// DrawNurbsSpline in two steps, so that a caller drawing many splines keeps one
// scratch block: the number of doubles of scratch the spline needs (0 when it is not
// drawn at all), and the drawing with a block of at least that many doubles, all zero,
// which it leaves zero again.
int64_t nurbs_scratch_count(const DXFDrawingRec* drawing, const Point3DRec* points,
                            int32_t numPoints, int32_t degree, int32_t numKnots,
                            const double* knots) noexcept;
void draw_nurbs_spline(DXFDrawingRec* drawing, double originX, double originY, double rotation,
                       double scaleX, double scaleY, double paramStart, double paramEnd,
                       const Point3DRec* points, int32_t numPoints, int32_t degree,
                       const double* knots, const double* weights, int32_t move,
                       double* basis) noexcept;

} // namespace halvern::primitives

#endif
