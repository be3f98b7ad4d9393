// Where segments, infinite lines, circles and arcs meet.

#include "osmark/intersections.h"

#include "geometry/curves.h"
#include "geometry/intersect.h"
#include "geometry/tolerance.h"
#include "osmark/numbers.h"

#include <algorithm>
#include <cmath>

namespace osmark::geometry {

namespace {

// A line through two points as the crossing rules see it. A line shorter than the
// tolerance both ways is vertical and horizontal at once.
struct LineForm {
    bool vertical;
    bool horizontal;
    double slope = 0.0;
    double intercept = 0.0;
};

LineForm line_form(const Point2DRec& p1, const Point2DRec& p2) noexcept
{
    LineForm form{is_near_zero(p2.x - p1.x), is_near_zero(p2.y - p1.y)};
    if (!form.vertical && !form.horizontal) {
        form.slope = (p2.y - p1.y) / (p2.x - p1.x);
        form.intercept = p1.y - p1.x * form.slope;
    }
    return form;
}

bool is_sloped(const LineForm& form) noexcept
{
    return !form.vertical && !form.horizontal;
}

Point2DRec crossing(const LineForm& a, const LineForm& b, const Point2DRec& a1,
                    const Point2DRec& b1) noexcept
{
    if (a.vertical && b.horizontal)
        return Point2DRec{a1.x, b1.y};
    if (a.horizontal && b.vertical)
        return Point2DRec{b1.x, a1.y};
    if (a.vertical)
        return Point2DRec{a1.x, b.slope * a1.x + b.intercept};
    if (a.horizontal)
        return Point2DRec{(a1.y - b.intercept) / b.slope, a1.y};
    if (b.vertical)
        return Point2DRec{b1.x, a.slope * b1.x + a.intercept};
    if (b.horizontal)
        return Point2DRec{(b1.y - a.intercept) / a.slope, b1.y};
    const double x = (a.intercept - b.intercept) / (b.slope - a.slope);
    return Point2DRec{x, a.slope * x + a.intercept};
}

// acos of a cosine that rounding may carry just past +-1.
double safe_acos(double cosine) noexcept
{
    return std::acos(std::clamp(cosine, -1.0, 1.0));
}

enum class CircleRelation {
    Apart,
    Touching,
    Crossing
};

// Apart covers one circle inside the other too.
CircleRelation circle_relation(double distance, double radius1, double radius2) noexcept
{
    if (distance <= -kTolerance || radius1 <= -kTolerance || radius2 <= -kTolerance)
        return CircleRelation::Apart;
    for (const double sum : {distance + radius1 - radius2, radius2 + distance - radius1,
                             radius1 + radius2 - distance}) {
        if (std::fabs(sum) < kTolerance)
            return CircleRelation::Touching;
        if (sum <= -kTolerance)
            return CircleRelation::Apart;
    }
    return CircleRelation::Crossing;
}

// The point where two touching circles meet, on the line through their centres. For
// circles on one another (same centre and radius within the tolerance) there is no
// such point, and the weights would divide by zero: none.
PointSet touching_point(const Point2DRec& centre1, double radius1, const Point2DRec& centre2,
                        double radius2, double distance) noexcept
{
    const double bigger = radius1 - radius2 >= kTolerance ? radius1 : radius2;
    const double weight1 =
        distance - bigger <= -kTolerance ? -radius1 : radius1; // one inside the other
    const double weights = weight1 + radius2;
    PointSet points;
    if (is_near_zero(weights))
        return points;
    points.add(Point2DRec{(radius2 * centre1.x + weight1 * centre2.x) / weights,
                          (radius2 * centre1.y + weight1 * centre2.y) / weights});
    return points;
}

}

int32_t intersection_point(const Point2DRec& a1, const Point2DRec& a2, const Point2DRec& b1,
                           const Point2DRec& b2, Point2DRec* output) noexcept
{
    const LineForm a = line_form(a1, a2);
    const LineForm b = line_form(b1, b2);
    const bool parallel = (a.vertical && b.vertical) || (a.horizontal && b.horizontal) ||
                          (is_sloped(a) && is_sloped(b) && is_near(a.slope, b.slope));
    if (parallel) {
        for (const Point2DRec* end : {&b1, &b2}) {
            if (point_on_line(a1, a2, *end)) {
                if (output != nullptr)
                    *output = *end;
                return IntersectionTouching;
            }
        }
        return IntersectionNone;
    }
    if (output != nullptr)
        *output = crossing(a, b, a1, b1);
    return IntersectionCrossing;
}

PointSet line_line(const Line2DRec& a, const Line2DRec& b) noexcept
{
    PointSet points;
    Point2DRec point{};
    const int32_t kind = intersection_point(a.start, a.end, b.start, b.end, &point);
    if (kind == IntersectionCrossing) {
        if (point_on_line(a.start, a.end, point) && point_on_line(b.start, b.end, point))
            points.add(point);
        return points;
    }
    if (kind != IntersectionTouching)
        return points;
    // Collinear: only segments that meet end to end give their meeting point; one
    // lying within the other gives none.
    const bool a_within_b =
        point_on_line(b.start, b.end, a.start) && point_on_line(b.start, b.end, a.end);
    const bool b_within_a =
        point_on_line(a.start, a.end, b.start) && point_on_line(a.start, a.end, b.end);
    if (a_within_b || b_within_a)
        return points;
    if (points_equal(a.start, b.start) || points_equal(a.end, b.start) ||
        points_equal(a.start, b.end) || points_equal(a.end, b.end))
        points.add(point);
    return points;
}

PointSet ray_ray(const Point2DRec& p1, double angle1, const Point2DRec& p2, double angle2) noexcept
{
    PointSet points;
    const double c1 = CorrectAngle(angle1);
    const double c2 = CorrectAngle(angle2);
    if (is_near(c1, c2))
        return points;
    const Point2DRec u1{std::cos(c1), std::sin(c1)};
    const Point2DRec u2{std::cos(c2), std::sin(c2)};
    if (points_equal(p1, p2)) {
        points.add(p1);
        return points;
    }
    const Point2DRec w{p2.x - p1.x, p2.y - p1.y};
    const double denominator = u2.x * u1.y - u2.y * u1.x;
    if (is_near_zero(denominator))
        return points; // parallel or opposite
    const double s = (u2.x * w.y - u2.y * w.x) / denominator;
    points.add(Point2DRec{p1.x + s * u1.x, p1.y + s * u1.y});
    return points;
}

PointSet ray_circle(const Point2DRec& p, double angle, const Point2DRec& centre,
                    double radius) noexcept
{
    PointSet points;
    const PointSet foot_set = ray_ray(p, angle, centre, angle + kHalfPi);
    if (foot_set.empty())
        return points;
    const Point2DRec foot = foot_set.points[0];
    const double distance = line_length(centre, foot);
    if (distance - radius >= kTolerance)
        return points;
    const double gap = radius - distance;
    if (is_near_zero(gap)) {
        points.add(foot); // tangent
        return points;
    }
    const double half_chord = gap < kTolerance ? 0.0 : std::sqrt(gap * (2.0 * radius - gap));
    const double direction = CorrectAngle(angle);
    const Point2DRec along{half_chord * std::cos(direction), half_chord * std::sin(direction)};
    points.add(Point2DRec{foot.x + along.x, foot.y + along.y});
    points.add(Point2DRec{foot.x - along.x, foot.y - along.y});
    return points;
}

PointSet ray_arc(const Point2DRec& p, double angle, const Arc2DRec& arc) noexcept
{
    PointSet points;
    for (const Point2DRec& point : ray_circle(p, angle, arc.centre, arc.radius)) {
        if (point_on_arc(arc, point))
            points.add(point);
    }
    return points;
}

PointSet circle_circle(const Point2DRec& centre1, double radius1, const Point2DRec& centre2,
                       double radius2) noexcept
{
    PointSet points;
    if (is_near_zero(radius1) || is_near_zero(radius2))
        return points;
    const double distance = line_length(centre1, centre2);
    switch (circle_relation(distance, radius1, radius2)) {
    case CircleRelation::Apart:
        return points;
    case CircleRelation::Touching:
        return touching_point(centre1, radius1, centre2, radius2, distance);
    case CircleRelation::Crossing:
        break;
    }
    // Each crossing is where the line from centre 1 meets the line from centre 2, at
    // the triangle's angles alpha (at centre 1) and beta (at centre 2).
    const double phi = line_angle(centre1, centre2);
    const double d2 = distance * distance;
    const double alpha =
        safe_acos((radius1 * radius1 + d2 - radius2 * radius2) / (2.0 * radius1 * distance));
    const double beta =
        safe_acos((radius2 * radius2 + d2 - radius1 * radius1) / (2.0 * radius2 * distance));
    points.add_all(ray_ray(centre1, phi + alpha, centre2, phi + kPi - beta));
    points.add_all(ray_ray(centre1, phi - alpha, centre2, phi + kPi + beta));
    return points;
}

PointSet line_arc(const Line2DRec& line, const Arc2DRec& arc) noexcept
{
    PointSet points;
    for (const Point2DRec& point :
         ray_circle(line.start, line_angle(line.start, line.end), arc.centre, arc.radius)) {
        if (point_on_line(line.start, line.end, point) && point_on_arc(arc, point))
            points.add(point);
    }
    return points;
}

PointSet arc_arc(const Arc2DRec& a, const Arc2DRec& b) noexcept
{
    PointSet points;
    if (is_near_zero(a.radius) || is_near_zero(b.radius))
        return points;
    const double distance = line_length(a.centre, b.centre);
    if (distance < kTolerance)
        return points; // concentric: no crossing points
    const auto add_if_on_both = [&](const Point2DRec& point) {
        if (point_on_arc(a, point) && point_on_arc(b, point))
            points.add(point);
    };
    switch (circle_relation(distance, a.radius, b.radius)) {
    case CircleRelation::Touching:
        for (const Point2DRec& point :
             touching_point(a.centre, a.radius, b.centre, b.radius, distance))
            add_if_on_both(point);
        return points;
    case CircleRelation::Crossing: {
        const double phi = std::atan2(b.centre.y - a.centre.y, b.centre.x - a.centre.x);
        const double alpha =
            safe_acos((a.radius * a.radius + distance * distance - b.radius * b.radius) /
                      (2.0 * a.radius * distance));
        add_if_on_both(point_at_angle(a.centre, a.radius, phi - alpha));
        add_if_on_both(point_at_angle(a.centre, a.radius, phi + alpha));
        return points;
    }
    case CircleRelation::Apart:
        break;
    }
    // The circles do not meet, yet the ends may (within the tolerance).
    const Point2DRec start_a = point_at_angle(a.centre, a.radius, a.start_angle);
    const Point2DRec end_a = point_at_angle(a.centre, a.radius, a.end_angle);
    const Point2DRec start_b = point_at_angle(b.centre, b.radius, b.start_angle);
    const Point2DRec end_b = point_at_angle(b.centre, b.radius, b.end_angle);
    const struct {
        const Point2DRec& of_a;
        const Point2DRec& of_b;
    } pairs[] = {{start_a, start_b}, {end_a, start_b}, {start_a, end_b}, {end_a, end_b}};
    for (const auto& pair : pairs) {
        if (points_equal(pair.of_a, pair.of_b))
            points.add(pair.of_a);
    }
    return points;
}

}

using namespace osmark::geometry;

extern "C" {

OSMARK_API int32_t IntersectionPoint(const Point2DRec* a1, const Point2DRec* a2,
                                     const Point2DRec* b1, const Point2DRec* b2,
                                     Point2DRec* output) noexcept
{
    return intersection_point(*a1, *a2, *b1, *b2, output);
}

OSMARK_API int32_t IntersectLineLine(const Line2DRec* a, const Line2DRec* b,
                                     PointBuffer buffer) noexcept
{
    if (a == nullptr || b == nullptr)
        return 0;
    return line_line(*a, *b).append_to(buffer);
}

OSMARK_API int32_t IntersectRayRay(const Point2DRec* p1, double angle1, const Point2DRec* p2,
                                   double angle2, PointBuffer buffer) noexcept
{
    return ray_ray(*p1, angle1, *p2, angle2).append_to(buffer);
}

OSMARK_API int32_t IntersectRayCircle(const Point2DRec* p, double angle, const Point2DRec* centre,
                                      double radius, PointBuffer buffer) noexcept
{
    return ray_circle(*p, angle, *centre, radius).append_to(buffer);
}

OSMARK_API int32_t IntersectRayArc(const Point2DRec* p, double angle, const Point2DRec* centre,
                                   double radius, double start, double end, int32_t direction,
                                   PointBuffer buffer) noexcept
{
    return ray_arc(*p, angle, make_arc(*centre, radius, start, end, direction)).append_to(buffer);
}

OSMARK_API int32_t IntersectCircleCircle(const Point2DRec* centre1, double radius1,
                                         const Point2DRec* centre2, double radius2,
                                         PointBuffer buffer) noexcept
{
    return circle_circle(*centre1, radius1, *centre2, radius2).append_to(buffer);
}

OSMARK_API int32_t IntersectLineArc(const Line2DRec* line, const Arc2DRec* arc,
                                    PointBuffer buffer) noexcept
{
    if (line == nullptr || arc == nullptr)
        return 0;
    return line_arc(*line, *arc).append_to(buffer);
}

OSMARK_API int32_t IntersectArcArc(const Arc2DRec* a, const Arc2DRec* b,
                                   PointBuffer buffer) noexcept
{
    if (a == nullptr || b == nullptr)
        return 0;
    return arc_arc(*a, *b).append_to(buffer);
}
}
