// Vector arithmetic of the profile geometry. Each operation reads every input component
// it needs before it writes the output, so the output may be one of the inputs.

#include "osmark/vectors.h"

#include "geometry/tolerance.h"
#include "osmark/numbers.h"

#include <algorithm>
#include <cmath>

using namespace osmark::geometry;

namespace {

double modulus(const Point2DRec& v) noexcept
{
    return std::sqrt(v.x * v.x + v.y * v.y);
}

Point2DRec unit(const Point2DRec& v) noexcept
{
    const double m = modulus(v);
    if (is_near_zero(m))
        return Point2DRec{0.0, 0.0};
    return Point2DRec{v.x / m, v.y / m};
}

bool is_zero(const Point2DRec& v) noexcept
{
    return is_near_zero(modulus(v));
}

// The angle whose cosine is dot / (|a| |b|). Rounding can carry the quotient of nearly
// parallel vectors just past +-1, where acos has no value: clamp it.
double angle_from_dot(const Point2DRec& a, const Point2DRec& b, double moduli) noexcept
{
    const double cosine = (a.x * b.x + a.y * b.y) / moduli;
    return std::acos(std::clamp(cosine, -1.0, 1.0));
}

}

extern "C" {

OSMARK_API void VectorPntToPnt(const Point2DRec* a, const Point2DRec* b, Point2DRec* out) noexcept
{
    *out = Point2DRec{b->x - a->x, b->y - a->y};
}

OSMARK_API void VectorNegate(const Point2DRec* v, Point2DRec* out) noexcept
{
    *out = Point2DRec{-v->x, -v->y};
}

OSMARK_API void VectorPntPlusVec(const Point2DRec* p, const Point2DRec* v, Point2DRec* out) noexcept
{
    *out = Point2DRec{p->x + v->x, p->y + v->y};
}

OSMARK_API void VectorPntMinusVec(const Point2DRec* p, const Point2DRec* v,
                                  Point2DRec* out) noexcept
{
    *out = Point2DRec{p->x - v->x, p->y - v->y};
}

OSMARK_API void VectorVecPlusVec(const Point2DRec* a, const Point2DRec* b, Point2DRec* out) noexcept
{
    *out = Point2DRec{a->x + b->x, a->y + b->y};
}

OSMARK_API void VectorVecMinusVec(const Point2DRec* a, const Point2DRec* b,
                                  Point2DRec* out) noexcept
{
    *out = Point2DRec{a->x - b->x, a->y - b->y};
}

OSMARK_API void VectorScaleVec(double factor, const Point2DRec* v, Point2DRec* out) noexcept
{
    *out = Point2DRec{factor * v->x, factor * v->y};
}

OSMARK_API double VectorVecDotVec(const Point2DRec* a, const Point2DRec* b) noexcept
{
    return a->x * b->x + a->y * b->y;
}

OSMARK_API double VectorVecCrossVec(const Point2DRec* a, const Point2DRec* b) noexcept
{
    return a->x * b->y - a->y * b->x;
}

OSMARK_API void VectorLengthAngleToVec(double length, double angle, Point2DRec* out) noexcept
{
    *out = Point2DRec{length * std::cos(angle), length * std::sin(angle)};
}

OSMARK_API void VectorUnitVecAtAngle(double angle, Point2DRec* out) noexcept
{
    *out = Point2DRec{std::cos(angle), std::sin(angle)};
}

OSMARK_API double VectorModulus(const Point2DRec* v) noexcept
{
    return modulus(*v);
}

OSMARK_API void VectorUnitVecMinus90(const Point2DRec* v, Point2DRec* out) noexcept
{
    *out = Point2DRec{v->y, -v->x};
}

OSMARK_API void VectorUnitVecPlus90(const Point2DRec* v, Point2DRec* out) noexcept
{
    *out = Point2DRec{-v->y, v->x};
}

OSMARK_API void VectorRotateVec(const Point2DRec* v, double angle, Point2DRec* out) noexcept
{
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    *out = Point2DRec{v->x * c - v->y * s, v->x * s + v->y * c};
}

OSMARK_API int32_t VectorIsZeroVec(const Point2DRec* v) noexcept
{
    return is_zero(*v) ? 1 : 0;
}

OSMARK_API int32_t VectorIsUnitVec(const Point2DRec* v) noexcept
{
    return is_near(std::fabs(modulus(*v)), 1.0) ? 1 : 0;
}

OSMARK_API void VectorUnitize(const Point2DRec* v, Point2DRec* out) noexcept
{
    *out = unit(*v);
}

OSMARK_API double VectorAngleOfVec(const Point2DRec* v) noexcept
{
    if (is_zero(*v))
        return 0.0;
    return CorrectAngle(std::atan2(v->y, v->x));
}

OSMARK_API double VectorAngleBetweenVecs(const Point2DRec* a, const Point2DRec* b) noexcept
{
    const double moduli = modulus(*a) * modulus(*b);
    if (is_near_zero(moduli))
        return 0.0;
    return angle_from_dot(*a, *b, moduli);
}

OSMARK_API double VectorAngleBetweenVecsCCW(const Point2DRec* a, const Point2DRec* b) noexcept
{
    if (VectorAreVecsParallel(a, b))
        return 0.0;
    if (VectorAreVecsAntiParallel(a, b))
        return kPi;
    const double moduli = modulus(*a) * modulus(*b);
    if (is_near_zero(moduli))
        return 0.0;
    const double theta = angle_from_dot(*a, *b, moduli);
    // b clockwise of a: the counter-clockwise way round is the long one.
    if (VectorVecCrossVec(a, b) <= -kTolerance)
        return kTwoPi - theta;
    return theta;
}

OSMARK_API int32_t VectorAreVecsParallel(const Point2DRec* a, const Point2DRec* b) noexcept
{
    const Point2DRec ua = unit(*a);
    const Point2DRec ub = unit(*b);
    return is_zero(Point2DRec{ua.x - ub.x, ua.y - ub.y}) ? 1 : 0;
}

OSMARK_API int32_t VectorAreVecsAntiParallel(const Point2DRec* a, const Point2DRec* b) noexcept
{
    const Point2DRec ua = unit(*a);
    const Point2DRec ub = unit(*b);
    return is_zero(Point2DRec{ua.x + ub.x, ua.y + ub.y}) ? 1 : 0;
}

OSMARK_API int32_t VectorAreVecsPerpendicular(const Point2DRec* a, const Point2DRec* b) noexcept
{
    const Point2DRec ua = unit(*a);
    const Point2DRec ub = unit(*b);
    return std::fabs(ua.x * ub.x + ua.y * ub.y) < kTolerance ? 1 : 0;
}
}
