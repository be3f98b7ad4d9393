// Line segments: measures, evaluation, the point-on test and the relations of two
// segments.

#include "osmark/lines_arcs.h"

#include "geometry/curves.h"
#include "geometry/tolerance.h"
#include "osmark/numbers.h"
#include "osmark/vectors.h"

#include <cmath>

namespace osmark::geometry {

double line_length(const Point2DRec& a, const Point2DRec& b) noexcept
{
    if (points_equal(a, b))
        return 0.0;
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    return std::sqrt(dx * dx + dy * dy);
}

double line_angle(const Point2DRec& a, const Point2DRec& b) noexcept
{
    if (points_equal(a, b))
        return 0.0;
    return CorrectAngle(std::atan2(b.y - a.y, b.x - a.x));
}

Point2DRec line_point(const Point2DRec& start, const Point2DRec& end, double t) noexcept
{
    const double u = clamp_parameter(t);
    return Point2DRec{start.x + u * (end.x - start.x), start.y + u * (end.y - start.y)};
}

bool point_on_line(const Point2DRec& start, const Point2DRec& end, const Point2DRec& point,
                   double tolerance) noexcept
{
    const bool end_is_high = end.x - start.x >= tolerance;
    const Point2DRec& low = end_is_high ? start : end;
    const Point2DRec& high = end_is_high ? end : start;
    if (!(point.x - low.x > -tolerance && point.x - high.x < tolerance))
        return false;
    if (!is_near_zero(low.x - high.x)) {
        // The distance is taken along y, not along the perpendicular: a steep segment
        // accepts less perpendicular deviation than a flat one.
        const double y = high.y + (low.y - high.y) / (low.x - high.x) * (point.x - high.x);
        return point.y - y > -tolerance && point.y - y < tolerance;
    }
    const bool end_is_top = end.y - start.y >= kTolerance;
    const Point2DRec& bottom = end_is_top ? start : end;
    const Point2DRec& top = end_is_top ? end : start;
    return point.y - bottom.y > -tolerance && point.y - top.y < tolerance;
}

}

using namespace osmark::geometry;

extern "C" {

OSMARK_API double LineLength(const Point2DRec* p1, const Point2DRec* p2) noexcept
{
    return line_length(*p1, *p2);
}

OSMARK_API double LineAngle(const Point2DRec* p1, const Point2DRec* p2) noexcept
{
    return line_angle(*p1, *p2);
}

OSMARK_API int32_t LineEval(const Point2DRec* /*p1*/, const Point2DRec* /*p2*/, double /*t1*/,
                            double /*t2*/, uint32_t /*count*/, PointBuffer /*buffer*/) noexcept
{
    return 0;
}

OSMARK_API void LinePoint(const Point2DRec* p1, const Point2DRec* p2, double t, uint32_t count,
                          Point2DRec* output) noexcept
{
    const Point2DRec start = *p1;
    const Point2DRec end = *p2;
    output[0] = line_point(start, end, t);
    if (count == 1)
        return;
    output[1] = Point2DRec{end.x - start.x, end.y - start.y};
    for (uint32_t i = 2; i < count; ++i)
        output[i] = Point2DRec{0.0, 0.0};
}

OSMARK_API int32_t PointOnLine(const Point2DRec* p1, const Point2DRec* p2,
                               const Point2DRec* point) noexcept
{
    return point_on_line(*p1, *p2, *point) ? 1 : 0;
}

OSMARK_API int32_t LineIsEmbedded(const Point2DRec* a1, const Point2DRec* a2, const Point2DRec* b1,
                                  const Point2DRec* b2) noexcept
{
    const bool a_on_b = point_on_line(*b1, *b2, *a1) && point_on_line(*b1, *b2, *a2);
    const bool b_on_a = point_on_line(*a1, *a2, *b1) && point_on_line(*a1, *a2, *b2);
    if (a_on_b && b_on_a)
        return EmbeddedSame;
    if (a_on_b)
        return EmbeddedFirstInSecond;
    if (b_on_a)
        return EmbeddedSecondInFirst;
    return EmbeddedNone;
}

OSMARK_API int32_t LineIsEndToEnd(const Point2DRec* a1, const Point2DRec* a2, const Point2DRec* b1,
                                  const Point2DRec* b2, PointBuffer buffer) noexcept
{
    if (LineIsEmbedded(a1, a2, b1, b2) != EmbeddedNone)
        return 0;
    const struct {
        const Point2DRec* a;
        const Point2DRec* b;
    } pairs[] = {{a1, b1}, {a2, b1}, {a1, b2}, {a2, b2}};
    for (int32_t i = 0; i < 4; ++i) {
        if (points_equal(*pairs[i].a, *pairs[i].b)) {
            PointBufferAdd(buffer, pairs[i].a);
            return i + 1;
        }
    }
    return 0;
}

OSMARK_API int32_t LineOverlap(const Point2DRec* a1, const Point2DRec* a2, const Point2DRec* b1,
                               const Point2DRec* b2, PointBuffer buffer) noexcept
{
    const auto shared = [buffer](const Point2DRec* first, const Point2DRec* second) {
        PointBufferAdd(buffer, first);
        PointBufferAdd(buffer, second);
        return 2;
    };
    if (point_on_line(*a1, *a2, *b1)) {
        if (point_on_line(*b1, *b2, *a1))
            return shared(b1, a1);
        if (point_on_line(*b1, *b2, *a2))
            return shared(b1, a2);
    }
    if (point_on_line(*a1, *a2, *b2)) {
        if (point_on_line(*b1, *b2, *a1))
            return shared(a1, b2);
        if (point_on_line(*b1, *b2, *a2))
            return shared(a2, b2);
    }
    return 0;
}
}
