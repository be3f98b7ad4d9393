// Circular arcs: sweep, the angle and point-on tests, evaluation and the relations of
// two arcs.

#include "osmark/lines_arcs.h"

#include "geometry/curves.h"
#include "geometry/tolerance.h"
#include "osmark/numbers.h"

#include <cmath>
#include <utility>

namespace osmark::geometry {

double arc_angle(double start, double end, int32_t direction) noexcept
{
    if (start == HUGE_VAL || end == HUGE_VAL)
        return 0.0;
    const double c1 = CorrectAngle(start);
    const double c2 = CorrectAngle(end);
    // Both angles lie in [0, 2*pi], so s lies in [2*pi, 6*pi]: a sweep of a whole turn
    // stays 2*pi, and a zero sweep is never returned.
    const double s = std::fabs(2.0 * kTwoPi + direction_sign(direction) * (c2 - c1));
    if (s - kTwoPi < kTolerance)
        return s;
    double r = s - kTwoPi;
    while (r - kTwoPi >= kTolerance)
        r -= kTwoPi;
    return r;
}

bool angle_between(double start, double angle, double end, int32_t direction) noexcept
{
    const double s = CorrectAngle(start);
    const double a = CorrectAngle(angle);
    const double e = CorrectAngle(end);
    if (is_near(e, s))
        return true; // a full circle holds every angle
    if (is_near(a, s) || is_near(a, e))
        return true;
    return arc_angle(s, a, direction) - arc_angle(s, e, direction) < kTolerance;
}

bool point_on_arc(const Arc2DRec& arc, const Point2DRec& point, double tolerance) noexcept
{
    const double dx = point.x - arc.centre.x;
    const double dy = point.y - arc.centre.y;
    const double off_circle = std::sqrt(dx * dx + dy * dy) - arc.radius;
    if (!(off_circle > -tolerance && off_circle < tolerance))
        return false;
    return angle_between(CorrectAngle(arc.start_angle), std::atan2(dy, dx),
                         CorrectAngle(arc.end_angle), arc.direction);
}

Point2DRec arc_point(const Arc2DRec& arc, double t) noexcept
{
    return point_at_angle(arc.centre, arc.radius,
                          arc.start_angle + signed_sweep(arc) * clamp_parameter(t));
}

}

using namespace osmark::geometry;

namespace {

// Both arcs counter-clockwise: an arc with a negative direction swaps its angles.
struct CcwSpan {
    double from;
    double to;
};

CcwSpan ccw_span(double start, double end, int32_t direction) noexcept
{
    CcwSpan span{CorrectAngle(start), CorrectAngle(end)};
    if (direction < 0)
        std::swap(span.from, span.to);
    return span;
}

// The shorter span lies within the longer when its ends and its middle do.
bool span_within(const CcwSpan& inner, double inner_sweep, const CcwSpan& outer) noexcept
{
    return angle_between(outer.from, inner.from, outer.to, 1) &&
           angle_between(outer.from, inner.to, outer.to, 1) &&
           angle_between(outer.from, inner.from + inner_sweep / 2.0, outer.to, 1);
}

}

extern "C" {

OSMARK_API double ArcAngle(double start, double end, int32_t direction) noexcept
{
    return arc_angle(start, end, direction);
}

OSMARK_API int32_t AngleBetween(double start, double angle, double end, int32_t direction) noexcept
{
    return angle_between(start, angle, end, direction) ? 1 : 0;
}

OSMARK_API double ArcLength(double radius, double start, double end, int32_t direction) noexcept
{
    return arc_angle(start, end, direction) * radius;
}

OSMARK_API int32_t PointOnArc(const Point2DRec* centre, double radius, double start, double end,
                              int32_t direction, const Point2DRec* point) noexcept
{
    if (centre == nullptr || point == nullptr)
        return 0;
    return point_on_arc(make_arc(*centre, radius, start, end, direction), *point) ? 1 : 0;
}

OSMARK_API void ArcPoint(const Point2DRec* centre, double radius, double start, double end,
                         int32_t direction, double t, uint32_t count, Point2DRec* output) noexcept
{
    const Arc2DRec arc = make_arc(*centre, radius, start, end, direction);
    const double angle = arc.start_angle + signed_sweep(arc) * clamp_parameter(t);
    output[0] = point_at_angle(arc.centre, arc.radius, angle);
    if (count == 1)
        return;
    const double tangent = direction >= 0 ? angle + kHalfPi : angle - kHalfPi;
    output[1] = Point2DRec{std::cos(tangent), std::sin(tangent)};
    for (uint32_t i = 2; i < count; ++i)
        output[i] = Point2DRec{0.0, 0.0};
}

OSMARK_API int32_t ArcEval(const Point2DRec* centre, double radius, double start, double end,
                           int32_t direction, double t1, double t2, uint32_t count,
                           PointBuffer buffer) noexcept
{
    if (centre == nullptr || is_near_zero(radius) || count == 0 || buffer == nullptr)
        return 0;
    const Point2DRec c = *centre;
    const double sweep = signed_sweep(make_arc(c, radius, start, end, direction));
    const double u1 = clamp_parameter(t1);
    const double u2 = clamp_parameter(t2);
    const Point2DRec first = point_at_angle(c, radius, start + sweep * u1);
    PointBufferAdd(buffer, &first);
    if (count == 1)
        return 1;
    // The inner points step from the first by one fixed rotation: one cosine and one
    // sine for the whole run. The step is signed, so they lie between the first and
    // the last point whichever way t runs.
    const double step = sweep * (u2 - u1) / static_cast<double>(count - 1);
    const double cos_step = std::cos(step);
    const double sin_step = std::sin(step);
    Point2DRec offset{first.x - c.x, first.y - c.y};
    for (uint32_t k = 1; k + 1 < count; ++k) {
        offset = Point2DRec{offset.x * cos_step - offset.y * sin_step,
                            offset.x * sin_step + offset.y * cos_step};
        const Point2DRec inner{c.x + offset.x, c.y + offset.y};
        PointBufferAdd(buffer, &inner);
    }
    const Point2DRec last = point_at_angle(c, radius, start + sweep * u2);
    PointBufferAdd(buffer, &last);
    return static_cast<int32_t>(count);
}

OSMARK_API int32_t ArcIsEmbedded(const Point2DRec* centre_a, double radius_a, double start_a,
                                 double end_a, int32_t direction_a, const Point2DRec* centre_b,
                                 double radius_b, double start_b, double end_b,
                                 int32_t direction_b) noexcept
{
    if (!points_equal(*centre_a, *centre_b) || !is_near(radius_a, radius_b))
        return EmbeddedNone;
    const CcwSpan a = ccw_span(start_a, end_a, direction_a);
    const CcwSpan b = ccw_span(start_b, end_b, direction_b);
    if (is_near(a.from, b.from) && is_near(a.to, b.to))
        return EmbeddedSame;
    const double sweep_a = arc_angle(a.from, a.to, 1);
    const double sweep_b = arc_angle(b.from, b.to, 1);
    if (sweep_a - sweep_b <= -kTolerance)
        return span_within(a, sweep_a, b) ? EmbeddedFirstInSecond : EmbeddedNone;
    return span_within(b, sweep_b, a) ? EmbeddedSecondInFirst : EmbeddedNone;
}

OSMARK_API int32_t ArcIsEndToEnd(const Point2DRec* centre_a, double radius_a, double start_a,
                                 double end_a, int32_t direction_a, const Point2DRec* centre_b,
                                 double radius_b, double start_b, double end_b, int32_t direction_b,
                                 PointBuffer buffer) noexcept
{
    if (ArcIsEmbedded(centre_a, radius_a, start_a, end_a, direction_a, centre_b, radius_b, start_b,
                      end_b, direction_b) != EmbeddedNone)
        return 0;
    const Arc2DRec a = make_arc(*centre_a, radius_a, start_a, end_a, direction_a);
    const Arc2DRec b = make_arc(*centre_b, radius_b, start_b, end_b, direction_b);
    const Point2DRec start_of_a = arc_start(a);
    const Point2DRec end_of_a = arc_end(a);
    const Point2DRec start_of_b = arc_start(b);
    const Point2DRec end_of_b = arc_end(b);
    // Bits 1 and 2 mark the start and end of a, bits 4 and 8 those of b.
    const struct {
        const Point2DRec& a_end;
        const Point2DRec& b_end;
        uint32_t bits;
    } pairs[] = {{start_of_a, start_of_b, 1 | 4},
                 {end_of_a, start_of_b, 2 | 4},
                 {start_of_a, end_of_b, 1 | 8},
                 {end_of_a, end_of_b, 2 | 8}};
    uint32_t bits = 0;
    for (const auto& pair : pairs) {
        if (points_equal(pair.a_end, pair.b_end)) {
            bits |= pair.bits;
            PointBufferAdd(buffer, &pair.a_end);
        }
    }
    switch (bits) {
    case 5:
        return 1;
    case 6:
        return 2;
    case 9:
        return 3;
    case 10:
        return 4;
    case 15:
        return 5;
    default:
        return 0;
    }
}

OSMARK_API int32_t ArcsOverlap(const Point2DRec* centre_a, double radius_a, double start_a,
                               double end_a, int32_t direction_a, const Point2DRec* centre_b,
                               double radius_b, double start_b, double end_b, int32_t direction_b,
                               PointBuffer buffer) noexcept
{
    const Arc2DRec a = make_arc(*centre_a, radius_a, start_a, end_a, direction_a);
    const Arc2DRec b = make_arc(*centre_b, radius_b, start_b, end_b, direction_b);
    const Point2DRec start_of_a = arc_start(a);
    const Point2DRec end_of_a = arc_end(a);
    const Point2DRec start_of_b = arc_start(b);
    const Point2DRec end_of_b = arc_end(b);
    const auto shared = [buffer](const Point2DRec& first, const Point2DRec& second) {
        PointBufferAdd(buffer, &first);
        PointBufferAdd(buffer, &second);
        return 2;
    };
    if (point_on_arc(a, start_of_b)) {
        if (point_on_arc(b, start_of_a))
            return shared(start_of_b, start_of_a);
        if (point_on_arc(b, end_of_a))
            return shared(start_of_b, end_of_a);
    }
    if (point_on_arc(a, end_of_b)) {
        if (point_on_arc(b, start_of_a))
            return shared(start_of_a, end_of_b);
        if (point_on_arc(b, end_of_a))
            return shared(end_of_a, end_of_b);
    }
    return 0;
}
}
