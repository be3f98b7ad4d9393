// Equal and nearest points, and the growth and comparison of extents.

#include "osmark/vectors.h"

#include "geometry/curves.h"
#include "geometry/tolerance.h"

#include <cmath>

using namespace osmark::geometry;

namespace {

// Within the tolerance counts as inside in every comparison below.
bool is_below(double value, double bound) noexcept
{
    return value - bound <= -kTolerance;
}

bool is_above(double value, double bound) noexcept
{
    return value - bound >= kTolerance;
}

}

extern "C" {

OSMARK_API int32_t PointOnPoint(const Point2DRec* a, const Point2DRec* b) noexcept
{
    return points_equal(*a, *b) ? 1 : 0;
}

OSMARK_API int32_t PointClosest(const Point2DRec* point, const Point2DRec* points, uint32_t count,
                                Point2DRec* out_point, double* out_distance) noexcept
{
    double best = HUGE_VAL;
    int32_t best_index = -1;
    for (uint32_t i = 0; i < count; ++i) {
        const double distance = line_length(*point, points[i]);
        if (beats(distance, best)) {
            best = distance;
            best_index = static_cast<int32_t>(i);
        }
    }
    if (best_index < 0)
        return -1; // no points, or no distance was a number
    if (out_distance != nullptr)
        *out_distance = best;
    if (out_point != nullptr)
        *out_point = points[best_index];
    return best_index;
}

OSMARK_API void ExtentsAppendPoint(Rectangle2DRec* extents, const Point2DRec* point) noexcept
{
    const Point2DRec p = *point;
    if (is_below(p.x, extents->min.x))
        extents->min.x = p.x;
    else if (is_above(p.x, extents->max.x))
        extents->max.x = p.x;
    if (is_below(p.y, extents->min.y))
        extents->min.y = p.y;
    else if (is_above(p.y, extents->max.y))
        extents->max.y = p.y;
}

OSMARK_API void ExtentsAppend(Rectangle2DRec* extents, const Rectangle2DRec* other) noexcept
{
    const Rectangle2DRec o = *other;
    if (is_below(o.min.x, extents->min.x))
        extents->min.x = o.min.x;
    if (is_above(o.max.x, extents->max.x))
        extents->max.x = o.max.x;
    if (is_below(o.min.y, extents->min.y))
        extents->min.y = o.min.y;
    if (is_above(o.max.y, extents->max.y))
        extents->max.y = o.max.y;
}

OSMARK_API int32_t ExtentsIntersect(const Rectangle2DRec* a, const Rectangle2DRec* b) noexcept
{
    const bool apart = is_above(a->min.x, b->max.x) || is_above(a->min.y, b->max.y) ||
                       is_below(a->max.x, b->min.x) || is_below(a->max.y, b->min.y);
    return apart ? 0 : 1;
}

OSMARK_API int32_t ExtentsCmp(const Rectangle2DRec* a, const Rectangle2DRec* b) noexcept
{
    if (is_below(a->min.x, b->min.x) && is_below(a->min.y, b->min.y) &&
        is_above(a->max.x, b->max.x) && is_above(a->max.y, b->max.y))
        return ExtentsContains;
    if (!is_below(a->min.x, b->min.x) && !is_below(a->min.y, b->min.y) &&
        !is_above(a->max.x, b->max.x) && !is_above(a->max.y, b->max.y))
        return ExtentsInside;
    return ExtentsIntersect(a, b) ? ExtentsOverlap : ExtentsApart;
}
}
