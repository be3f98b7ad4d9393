// Shortest distances between points, segments, circles, arcs, entities and profiles.

#include "osmark/distances.h"

#include "geometry/curves.h"
#include "geometry/entity_geometry.h"
#include "geometry/intersect.h"
#include "geometry/minimum.h"
#include "geometry/profile_store.h"
#include "geometry/tolerance.h"

#include <cmath>
#include <utility>

using namespace osmark::geometry;

namespace {

double point_line(const Point2DRec& point, const Point2DRec& start, const Point2DRec& end) noexcept
{
    const double angle = line_angle(start, end);
    const PointSet foot = ray_ray(start, angle, point, angle + kHalfPi);
    if (foot.empty())
        return 0.0;
    if (point_on_line(start, end, foot.points[0]))
        return line_length(point, foot.points[0]);
    const double to_start = line_length(point, start);
    const double to_end = line_length(point, end);
    return beats(to_end, to_start) ? to_end : to_start;
}

double line_line_distance(const Line2DRec& a, const Line2DRec& b) noexcept
{
    if (!line_line(a, b).empty())
        return 0.0;
    // An end within the tolerance of the other segment means the two meet: collinear
    // segments that overlap, or one lying within the other, are at distance 0.
    Minimum minimum;
    for (const auto& [point, other] :
         {std::pair{a.start, b}, std::pair{a.end, b}, std::pair{b.start, a}, std::pair{b.end, a}}) {
        const double d = point_line(point, other.start, other.end);
        if (d < kTolerance)
            return 0.0;
        minimum.offer(d);
    }
    return minimum.best;
}

double line_circle_distance(const Line2DRec& line, const Point2DRec& centre, double radius) noexcept
{
    if (!line_arc(line, make_arc(centre, radius, 0.0, kTwoPi, 1)).empty())
        return 0.0;
    const double angle = line_angle(line.start, line.end);
    const PointSet foot = ray_ray(line.start, angle, centre, angle + kHalfPi);
    if (foot.empty())
        return 0.0;
    const Point2DRec f = foot.points[0];
    Minimum minimum;
    if (point_on_line(line.start, line.end, f)) {
        for (const Point2DRec& on_circle : ray_circle(centre, angle + kHalfPi, centre, radius))
            minimum.offer(line_length(on_circle, f));
        if (line_length(f, centre) - radius >= kTolerance)
            return minimum.best;
    }
    for (const Point2DRec& end : {line.start, line.end}) {
        const double d = line_length(centre, end);
        minimum.offer(d - radius >= kTolerance ? d - radius : radius - d);
    }
    return minimum.best;
}

double line_arc_distance(const Line2DRec& line, const Arc2DRec& arc) noexcept
{
    if (!line_arc(line, arc).empty())
        return 0.0;
    const double angle = line_angle(line.start, line.end);
    const PointSet foot = ray_ray(line.start, angle, arc.centre, angle + kHalfPi);
    if (foot.empty())
        return 0.0;
    Minimum minimum;
    if (point_on_line(line.start, line.end, foot.points[0])) {
        for (const Point2DRec& on_arc : ray_arc(arc.centre, angle + kHalfPi, arc))
            minimum.offer(line_length(on_arc, foot.points[0]));
    }
    // Where the lines from the segment's ends to the centre cross the arc.
    for (const Point2DRec& end : {line.start, line.end}) {
        for (const Point2DRec& on_arc : line_arc(Line2DRec{end, arc.centre}, arc))
            minimum.offer(line_length(on_arc, end));
    }
    for (const Point2DRec& arc_end_point : {arc_start(arc), arc_end(arc)})
        minimum.offer(point_line(arc_end_point, line.start, line.end));
    return minimum.best;
}

double arc_arc_distance(const Arc2DRec& a, const Arc2DRec& b) noexcept
{
    if (!arc_arc(a, b).empty())
        return 0.0;
    Minimum minimum;
    // Along the line through both centres.
    const double phi = line_angle(a.centre, b.centre);
    const PointSet on_b = ray_arc(b.centre, phi, b);
    const PointSet on_a = ray_arc(b.centre, phi, a);
    for (const Point2DRec& pb : on_b) {
        for (const Point2DRec& pa : on_a)
            minimum.offer(line_length(pb, pa));
    }
    // From each end of one arc to the other along the line through the other's centre.
    const Point2DRec ends_a[] = {arc_start(a), arc_end(a)};
    const Point2DRec ends_b[] = {arc_start(b), arc_end(b)};
    for (const Point2DRec& end : ends_a) {
        for (const Point2DRec& on_other : ray_arc(end, line_angle(b.centre, end), b))
            minimum.offer(line_length(on_other, end));
    }
    for (const Point2DRec& end : ends_b) {
        for (const Point2DRec& on_other : ray_arc(end, line_angle(a.centre, end), a))
            minimum.offer(line_length(on_other, end));
    }
    minimum.offer(line_length(ends_a[0], ends_b[0]));
    minimum.offer(line_length(ends_a[1], ends_b[0]));
    minimum.offer(line_length(ends_a[0], ends_b[1]));
    minimum.offer(line_length(ends_a[1], ends_b[1]));
    return minimum.best;
}

double entity_distance(const ProfileEntityRec& a, const ProfileEntityRec& b) noexcept
{
    if (is_line(a) && is_line(b))
        return line_line_distance(line_of(a), line_of(b));
    if (is_line(a) && is_arc(b))
        return line_arc_distance(line_of(a), arc_of(b));
    if (is_arc(a) && is_line(b))
        return line_arc_distance(line_of(b), arc_of(a));
    if (is_arc(a) && is_arc(b))
        return arc_arc_distance(arc_of(a), arc_of(b));
    return 0.0;
}

int32_t shortest_profile_distance(const Profile& a, const Profile& b, double& distance) noexcept
{
    Minimum minimum;
    for (uint32_t i = 0, count_a = entity_count(a); i < count_a; ++i) {
        for (uint32_t j = 0, count_b = entity_count(b); j < count_b; ++j) {
            if (minimum.offer(entity_distance(*entity_at(a, i), *entity_at(b, j))) &&
                is_near_zero(minimum.best)) {
                distance = minimum.best;
                return DistanceShortest;
            }
        }
    }
    if (!minimum.taken)
        return 0;
    distance = minimum.best;
    return DistanceShortest;
}

int32_t axis_profile_distance(const Profile& a, const Profile& b, int32_t mode,
                              double& distance) noexcept
{
    Minimum minimum;
    for (uint32_t i = 0, count_a = entity_count(a); i < count_a; ++i) {
        for (uint32_t j = 0, count_b = entity_count(b); j < count_b; ++j) {
            double gap = 0.0;
            if (DistanceProfileEntityEntity(entity_at(a, i), entity_at(b, j), mode, &gap) != 0)
                minimum.offer(gap);
        }
    }
    if (!minimum.taken)
        return 0;
    distance = minimum.best;
    return mode;
}

}

extern "C" {

OSMARK_API double DistancePointLine(const Point2DRec* point, const Point2DRec* start,
                                    const Point2DRec* end) noexcept
{
    return point_line(*point, *start, *end);
}

OSMARK_API double DistanceLineLine(const Point2DRec* a_start, const Point2DRec* a_end,
                                   const Point2DRec* b_start, const Point2DRec* b_end) noexcept
{
    return line_line_distance(Line2DRec{*a_start, *a_end}, Line2DRec{*b_start, *b_end});
}

OSMARK_API double DistanceLineCircle(const Point2DRec* start, const Point2DRec* end,
                                     const Point2DRec* centre, double radius) noexcept
{
    return line_circle_distance(Line2DRec{*start, *end}, *centre, radius);
}

OSMARK_API double DistanceLineArc(const Point2DRec* start, const Point2DRec* end,
                                  const Point2DRec* centre, double radius, double start_angle,
                                  double end_angle, int32_t direction) noexcept
{
    return line_arc_distance(Line2DRec{*start, *end},
                             make_arc(*centre, radius, start_angle, end_angle, direction));
}

OSMARK_API double DistanceArcArc(const Point2DRec* centre_a, double radius_a, double start_a,
                                 double end_a, int32_t direction_a, const Point2DRec* centre_b,
                                 double radius_b, double start_b, double end_b,
                                 int32_t direction_b) noexcept
{
    return arc_arc_distance(make_arc(*centre_a, radius_a, start_a, end_a, direction_a),
                            make_arc(*centre_b, radius_b, start_b, end_b, direction_b));
}

OSMARK_API double DistanceCircleCircle(const Point2DRec* centre1, double radius1,
                                       const Point2DRec* centre2, double radius2) noexcept
{
    const Point2DRec c1 = *centre1;
    const Point2DRec c2 = *centre2;
    if (!circle_circle(c1, radius1, c2, radius2).empty())
        return 0.0;
    const double d = line_length(c1, c2);
    const double gap = d - (radius1 + radius2);
    if (gap >= kTolerance)
        return d - radius1 - radius2;
    if (gap > -kTolerance)
        return 0.0;
    // One circle lies inside the other.
    if (radius1 - radius2 >= kTolerance)
        return radius1 - (d + radius2);
    return radius2 - (radius1 + d);
}

OSMARK_API double DistanceEntityEntity(const ProfileEntityRec* a,
                                       const ProfileEntityRec* b) noexcept
{
    return entity_distance(*a, *b);
}

OSMARK_API int32_t DistanceProfileProfile(const Profile* a, const Profile* b, int32_t mode,
                                          double* distance) noexcept
{
    if (distance == nullptr)
        return 0;
    *distance = 0.0;
    if (a == nullptr || b == nullptr)
        return 0;
    if (mode == DistanceShortest)
        return shortest_profile_distance(*a, *b, *distance);
    return axis_profile_distance(*a, *b, mode, *distance);
}
}
