// Snapping a point onto a segment, an infinite line, a circle or an arc.

#include "osmark/stick_to.h"

#include "geometry/curves.h"
#include "geometry/intersect.h"
#include "geometry/tolerance.h"

using namespace osmark::geometry;

namespace {

// The foot of the perpendicular from the point to the line through line_point at the
// angle. The two lines are at right angles, so they always cross.
Point2DRec foot_of_perpendicular(const Point2DRec& point, const Point2DRec& line_point,
                                 double angle) noexcept
{
    const PointSet foot = ray_ray(line_point, angle, point, angle + kHalfPi);
    return foot.empty() ? line_point : foot.points[0];
}

// The nearer of two ends, the second on a tie.
const Point2DRec& nearer_end(const Point2DRec& point, const Point2DRec& first,
                             const Point2DRec& second) noexcept
{
    return line_length(point, first) - line_length(point, second) < -kTolerance ? first : second;
}

// The points where the line from the centre through the point meets the circle:
// near on the point's side, far on the other.
struct CirclePoints {
    Point2DRec near;
    Point2DRec far;
};

CirclePoints circle_points(const Point2DRec& point, const Point2DRec& centre,
                           double radius) noexcept
{
    const double angle = points_equal(point, centre) ? 0.0 : line_angle(centre, point);
    const Point2DRec near = point_at_angle(centre, radius, angle);
    return CirclePoints{near, Point2DRec{2.0 * centre.x - near.x, 2.0 * centre.y - near.y}};
}

}

extern "C" {

OSMARK_API void StickToLine(const Point2DRec* point, const Point2DRec* start, const Point2DRec* end,
                            Point2DRec* output) noexcept
{
    const Point2DRec foot = foot_of_perpendicular(*point, *start, line_angle(*start, *end));
    if (point_on_line(*start, *end, foot)) {
        *output = foot;
        return;
    }
    *output = nearer_end(foot, *start, *end);
}

OSMARK_API void StickToRay(const Point2DRec* point, const Point2DRec* line_point, double angle,
                           Point2DRec* output) noexcept
{
    *output = foot_of_perpendicular(*point, *line_point, angle);
}

OSMARK_API void StickToCircle(const Point2DRec* point, const Point2DRec* centre, double radius,
                              Point2DRec* output) noexcept
{
    // The point of the circle on the point's side of the centre, wherever the point
    // lies: outside, on or inside the circle.
    *output = circle_points(*point, *centre, radius).near;
}

OSMARK_API void StickToArc(const Point2DRec* point, const Point2DRec* centre, double radius,
                           double start, double end, int32_t direction, Point2DRec* output) noexcept
{
    const Point2DRec p = *point;
    const Arc2DRec arc = make_arc(*centre, radius, start, end, direction);
    const CirclePoints on_circle = circle_points(p, arc.centre, radius);
    const Point2DRec candidate =
        point_on_line(arc.centre, p, on_circle.far) ? on_circle.far : on_circle.near;
    if (point_on_arc(arc, candidate)) {
        *output = candidate;
        return;
    }
    *output = nearer_end(p, arc_start(arc), arc_end(arc));
}
}
