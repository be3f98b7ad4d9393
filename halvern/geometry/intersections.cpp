// Intersections of lines, rays, segments, circles and arcs in the plane.
#include "geometry/geometry_internal.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>

namespace halvern {

namespace {

// Up to two points found, in the order they were accepted.
struct Candidates {
    std::array<Point3DRec, 2> points{};
    int32_t count = 0;

    void add(const Point3DRec& point) {
        if (count < 2) {
            points[static_cast<size_t>(count)] = point;
            ++count;
        }
    }
};

// Hands the accepted points to the caller's outputs that are not NULL.
int32_t deliver(const Candidates& found, Point3DRec* out1, Point3DRec* out2) {
    if (found.count >= 1 && out1 != nullptr) {
        *out1 = found.points[0];
    }
    if (found.count >= 2 && out2 != nullptr) {
        *out2 = found.points[1];
    }
    return found.count;
}

// The ray test: a crossing lies on a ray (line flag 0) when it is the ray's own point or
// lies ahead of it.
bool is_on_ray(const Point3DRec& origin, double angle, int32_t line, const Point3DRec& point) {
    if (line != 0 || DXFSamePoint(&origin, &point) != 0) {
        return true;
    }
    return is_equal(DXFPointDirection(&origin, &point), DXFNormaliseAngle(angle));
}

Candidates ray_circle(const Point3DRec& point, double angle, int32_t line, const Point3DRec& centre,
                      double radius) {
    Candidates found;
    // The foot of the perpendicular from the centre onto the line.
    Point3DRec foot{};
    if (DXFIntersectionPoint(&point, angle, &centre, angle + kHalfPi, &foot) == 0) {
        return found;
    }
    const double distance = DXFPointDistance(&centre, &foot);
    if (distance - radius >= kTolerance) {
        return found;
    }
    const double depth = radius - distance;
    const double half_chord = depth >= kTolerance ? std::sqrt(depth * (2.0 * radius - depth)) : 0.0;
    Point3DRec unit{};
    DXFVectorUnit(angle, &unit);
    Point3DRec ahead{foot.x + half_chord * unit.x, foot.y + half_chord * unit.y, foot.z};
    const Point3DRec behind{foot.x - half_chord * unit.x, foot.y - half_chord * unit.y, foot.z};
    if (is_zero(depth)) {
        // A tangent: one point only.
        ahead.x = (ahead.x + behind.x) / 2.0;
        ahead.y = (ahead.y + behind.y) / 2.0;
        if (DXFPointOnRay(&point, angle, line, &ahead) != 0) {
            found.add(ahead);
        }
        return found;
    }
    for (const Point3DRec& candidate : {ahead, behind}) {
        if (DXFPointOnRay(&point, angle, line, &candidate) != 0) {
            found.add(candidate);
        }
    }
    return found;
}

Candidates ray_arc(const Point3DRec& point, double angle, int32_t line, const Point3DRec& centre,
                   double radius, double start, double end, int32_t direction) {
    const Candidates on_circle = ray_circle(point, angle, line, centre, radius);
    Candidates found;
    for (int32_t i = 0; i < on_circle.count; ++i) {
        const Point3DRec& candidate = on_circle.points[static_cast<size_t>(i)];
        if (DXFPointOnArc(&centre, radius, start, end, direction, &candidate) != 0 &&
            DXFPointOnRay(&point, angle, line, &candidate) != 0) {
            found.add(candidate);
        }
    }
    return found;
}

// The points where two circles meet: none, the one where they touch, or the two where
// they cross (the one right of the line from the first centre to the second first).
Candidates circle_contact(const Point3DRec& c1, double r1, const Point3DRec& c2, double r2) {
    Candidates found;
    const double dx = c2.x - c1.x;
    const double dy = c2.y - c1.y;
    const double d = std::sqrt(dx * dx + dy * dy);
    // Concentric circles (equal ones included) have no single points in common.
    if (is_zero(r1) || is_zero(r2) || !(d >= kTolerance)) {
        return found;
    }
    // The first difference that is not clearly positive decides.
    for (const double difference : {r1 + d - r2, r2 + d - r1, r1 + r2 - d}) {
        if (difference <= -kTolerance) {
            return found;
        }
        if (is_zero(difference)) {
            const double larger = r1 - r2 >= kTolerance ? r1 : r2;
            const double r1_signed = d <= larger - kTolerance ? -r1 : r1;  // inner contact
            const double sum = r1_signed + r2;
            // Nearly equal circles with nearly the same centre would put the point
            // anywhere; like equal circles they have no single contact point.
            if (is_zero(sum)) {
                return found;
            }
            found.add(Point3DRec{(r1_signed * c2.x + r2 * c1.x) / sum,
                                 (r1_signed * c2.y + r2 * c1.y) / sum, c1.z});
            return found;
        }
    }
    const double alpha = std::atan2(dy, dx);
    // Rounding can carry the cosine just past 1 for large radii.
    const double cosine = std::clamp((r2 * r2 - r1 * r1 - d * d) / (-2.0 * r1 * d), -1.0, 1.0);
    const double beta = std::acos(cosine);
    found.add(Point3DRec{c1.x + r1 * std::cos(alpha - beta), c1.y + r1 * std::sin(alpha - beta), c1.z});
    found.add(Point3DRec{c1.x + r1 * std::cos(alpha + beta), c1.y + r1 * std::sin(alpha + beta), c1.z});
    return found;
}

}

}

using halvern::Candidates;
using halvern::deliver;
using halvern::kTolerance;

extern "C" {

HALVERN_API int32_t DXFIntersectionPoint(const Point3DRec* p1, double angle1, const Point3DRec* p2,
                                         double angle2, Point3DRec* out) noexcept {
    using namespace halvern;
    if (p1 == nullptr || p2 == nullptr) {
        return 0;
    }
    // Opposite directions are caught below as parallel lines.
    if (is_equal(DXFNormaliseAngle(angle1), DXFNormaliseAngle(angle2))) {
        return 0;
    }
    Point3DRec crossing = *p1;
    if (DXFSamePoint(p1, p2) == 0) {
        Point3DRec u1{};
        Point3DRec u2{};
        DXFVectorUnit(angle1, &u1);
        DXFVectorUnit(angle2, &u2);
        Point3DRec w{};
        DXFVectorFromPoints(p1, p2, &w);
        const double f = DXFVectorCross(&u2, &u1);
        if (is_zero(f) || std::isnan(f)) {
            return 0;
        }
        const double s = DXFVectorCross(&u2, &w) / f;
        crossing = Point3DRec{p1->x + s * u1.x, p1->y + s * u1.y, p1->z};
    }
    if (out != nullptr) {
        *out = crossing;
    }
    return 1;
}

HALVERN_API int32_t DXFIntersectRayRay(const Point3DRec* p1, double angle1, int32_t line1,
                                       const Point3DRec* p2, double angle2, int32_t line2,
                                       Point3DRec* out) noexcept {
    using namespace halvern;
    Point3DRec crossing{};
    if (DXFIntersectionPoint(p1, angle1, p2, angle2, &crossing) == 0) {
        return 0;
    }
    if (!is_on_ray(*p1, angle1, line1, crossing) || !is_on_ray(*p2, angle2, line2, crossing)) {
        return 0;
    }
    if (out != nullptr) {
        *out = crossing;
    }
    return 1;
}

HALVERN_API int32_t DXFIntersectRayLine(const Point3DRec* point, double angle, int32_t line,
                                        const Point3DRec* start, const Point3DRec* end,
                                        Point3DRec* out) noexcept {
    using namespace halvern;
    if (point == nullptr || start == nullptr || end == nullptr) {
        return 0;
    }
    Point3DRec crossing{};
    if (DXFIntersectionPoint(point, angle, start, DXFPointDirection(start, end), &crossing) == 0) {
        return 0;
    }
    if (!is_on_ray(*point, angle, line, crossing) || DXFPointOnSegment(start, end, &crossing) == 0) {
        return 0;
    }
    if (out != nullptr) {
        *out = crossing;
    }
    return 1;
}

HALVERN_API int32_t DXFIntersectRayCircle(const Point3DRec* point, double angle, int32_t line,
                                          const Point3DRec* centre, double radius,
                                          Point3DRec* out1, Point3DRec* out2) noexcept {
    if (point == nullptr || centre == nullptr) {
        return 0;
    }
    return deliver(halvern::ray_circle(*point, angle, line, *centre, radius), out1, out2);
}

HALVERN_API int32_t DXFIntersectRayArc(const Point3DRec* point, double angle, int32_t line,
                                       const Point3DRec* centre, double radius, double start,
                                       double end, int32_t direction, Point3DRec* out1,
                                       Point3DRec* out2) noexcept {
    if (point == nullptr || centre == nullptr) {
        return 0;
    }
    return deliver(halvern::ray_arc(*point, angle, line, *centre, radius, start, end, direction),
                   out1, out2);
}

HALVERN_API int32_t DXFIntersectLineLine(const Point3DRec* start1, const Point3DRec* end1,
                                         const Point3DRec* start2, const Point3DRec* end2,
                                         Point3DRec* out) noexcept {
    using namespace halvern;
    if (start1 == nullptr || end1 == nullptr || start2 == nullptr || end2 == nullptr) {
        return 0;
    }
    // Boxes apart by the tolerance or more cannot meet.
    const auto [a_min_x, a_max_x] = std::minmax(start1->x, end1->x);
    const auto [a_min_y, a_max_y] = std::minmax(start1->y, end1->y);
    const auto [b_min_x, b_max_x] = std::minmax(start2->x, end2->x);
    const auto [b_min_y, b_max_y] = std::minmax(start2->y, end2->y);
    if (a_max_x - b_min_x <= -kTolerance || a_min_x - b_max_x >= kTolerance ||
        a_max_y - b_min_y <= -kTolerance || a_min_y - b_max_y >= kTolerance) {
        return 0;
    }
    Point3DRec crossing{};
    if (DXFIntersectionPoint(start1, DXFPointDirection(start1, end1), start2,
                             DXFPointDirection(start2, end2), &crossing) == 0) {
        return 0;
    }
    if (DXFPointOnSegment(start1, end1, &crossing) == 0 ||
        DXFPointOnSegment(start2, end2, &crossing) == 0) {
        return 0;
    }
    if (out != nullptr) {
        *out = crossing;
    }
    return 1;
}

HALVERN_API int32_t DXFIntersectLineCircle(const Point3DRec* start, const Point3DRec* end,
                                           const Point3DRec* centre, double radius,
                                           Point3DRec* out1, Point3DRec* out2) noexcept {
    using namespace halvern;
    if (start == nullptr || end == nullptr || centre == nullptr) {
        return 0;
    }
    const Candidates on_line = ray_circle(*start, DXFPointDirection(start, end), 1, *centre, radius);
    Candidates found;
    for (int32_t i = 0; i < on_line.count; ++i) {
        const Point3DRec& candidate = on_line.points[static_cast<size_t>(i)];
        if (DXFPointOnSegment(start, end, &candidate) != 0) {
            found.add(candidate);
        }
    }
    return deliver(found, out1, out2);
}

HALVERN_API int32_t DXFIntersectLineArc(const Point3DRec* start, const Point3DRec* end,
                                        const Point3DRec* centre, double radius, double start_angle,
                                        double end_angle, int32_t direction, Point3DRec* out1,
                                        Point3DRec* out2) noexcept {
    using namespace halvern;
    if (start == nullptr || end == nullptr || centre == nullptr) {
        return 0;
    }
    const Candidates on_line = ray_arc(*start, DXFPointDirection(start, end), 1, *centre, radius,
                                       start_angle, end_angle, direction);
    Candidates found;
    for (int32_t i = 0; i < on_line.count; ++i) {
        const Point3DRec& candidate = on_line.points[static_cast<size_t>(i)];
        if (DXFPointOnSegment(start, end, &candidate) != 0) {
            found.add(candidate);
        }
    }
    return deliver(found, out1, out2);
}

HALVERN_API int32_t DXFIntersectCircleCircle(const Point3DRec* centre1, double radius1,
                                             const Point3DRec* centre2, double radius2,
                                             Point3DRec* out1, Point3DRec* out2) noexcept {
    if (centre1 == nullptr || centre2 == nullptr) {
        return 0;
    }
    return deliver(halvern::circle_contact(*centre1, radius1, *centre2, radius2), out1, out2);
}

HALVERN_API int32_t DXFIntersectCircleArc(const Point3DRec* circle_centre, double circle_radius,
                                          const Point3DRec* arc_centre, double arc_radius,
                                          double start, double end, int32_t direction,
                                          Point3DRec* out1, Point3DRec* out2) noexcept {
    using namespace halvern;
    if (circle_centre == nullptr || arc_centre == nullptr) {
        return 0;
    }
    const Candidates contact = circle_contact(*circle_centre, circle_radius, *arc_centre, arc_radius);
    Candidates found;
    for (int32_t i = 0; i < contact.count; ++i) {
        const Point3DRec& candidate = contact.points[static_cast<size_t>(i)];
        if (DXFPointOnArc(arc_centre, arc_radius, start, end, direction, &candidate) != 0) {
            found.add(candidate);
        }
    }
    return deliver(found, out1, out2);
}

HALVERN_API int32_t DXFIntersectArcArc(const Point3DRec* centre1, double radius1, double start1,
                                       double end1, int32_t direction1, const Point3DRec* centre2,
                                       double radius2, double start2, double end2,
                                       int32_t direction2, Point3DRec* out1,
                                       Point3DRec* out2) noexcept {
    using namespace halvern;
    if (centre1 == nullptr || centre2 == nullptr) {
        return 0;
    }
    const Candidates contact = circle_contact(*centre1, radius1, *centre2, radius2);
    Candidates found;
    for (int32_t i = 0; i < contact.count; ++i) {
        const Point3DRec& candidate = contact.points[static_cast<size_t>(i)];
        if (DXFPointOnArc(centre1, radius1, start1, end1, direction1, &candidate) != 0 &&
            DXFPointOnArc(centre2, radius2, start2, end2, direction2, &candidate) != 0) {
            found.add(candidate);
        }
    }
    return deliver(found, out1, out2);
}

}
