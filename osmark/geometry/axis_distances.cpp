// Axis distances: how far one entity must move along x (mode 1) or y (mode 2) to touch
// another. Every rule reads coordinates through an Axis: "along" is the coordinate
// the gap is measured in, "across" the other one, which decides whether the two can
// meet at all.

#include "osmark/distances.h"

#include "geometry/curves.h"
#include "geometry/entity_geometry.h"
#include "geometry/intersect.h"
#include "geometry/minimum.h"
#include "geometry/tolerance.h"
#include "osmark/profile_entities.h"

#include <cmath>
#include <optional>

using namespace osmark::geometry;

namespace {

struct Axis {
    bool along_y; // mode 2

    double along(const Point2DRec& p) const noexcept { return along_y ? p.y : p.x; }
    double across(const Point2DRec& p) const noexcept { return along_y ? p.x : p.y; }
    Point2DRec point(double along_value, double across_value) const noexcept
    {
        return along_y ? Point2DRec{across_value, along_value}
                       : Point2DRec{along_value, across_value};
    }
};

// v lies between the bounds, in either order, with the tolerance at both ends.
bool between(double v, double b1, double b2) noexcept
{
    return (b1 - v > -kTolerance && v - b2 > -kTolerance) ||
           (v - b1 > -kTolerance && b2 - v > -kTolerance);
}

// The gap from a point to a segment along the axis; none when the segment runs along
// the axis away from the point's line.
std::optional<double> point_segment_gap(const Axis& axis, const Point2DRec& s, const Point2DRec& e,
                                        const Point2DRec& p) noexcept
{
    if (is_near_zero(axis.along(s) - axis.along(e)))
        return std::fabs(axis.along(s) - axis.along(p)); // across the axis
    if (is_near_zero(axis.across(s) - axis.across(e))) {
        if (!is_near_zero(axis.across(p) - axis.across(s)))
            return std::nullopt;
        const double to_start = std::fabs(axis.along(p) - axis.along(s));
        const double to_end = std::fabs(axis.along(p) - axis.along(e));
        return to_start - to_end >= kTolerance ? to_end : to_start;
    }
    const double at_height = axis.along(s) + (axis.across(p) - axis.across(s)) *
                                                 (axis.along(e) - axis.along(s)) /
                                                 (axis.across(e) - axis.across(s));
    return std::fabs(at_height - axis.along(p));
}

// The gaps from a point to the arc along the axis, nearer crossing of the circle first.
void offer_point_arc_gaps(const Axis& axis, const Point2DRec& p, const Arc2DRec& arc,
                          Minimum& minimum) noexcept
{
    const double dc = axis.across(p) - axis.across(arc.centre);
    const double q = std::sqrt(std::fabs(arc.radius * arc.radius - dc * dc));
    const double centre = axis.along(arc.centre);
    const bool beyond = axis.along(p) - centre >= kTolerance;
    for (const double crossing :
         {beyond ? centre + q : centre - q, beyond ? centre - q : centre + q}) {
        // A line that misses the circle gives points off it, which fail the test.
        if (point_on_arc(arc, axis.point(crossing, axis.across(p))))
            minimum.offer(std::fabs(crossing - axis.along(p)));
    }
}

int32_t line_line_rule(const Axis& axis, int32_t mode, const Line2DRec& a, const Line2DRec& b,
                       double& distance) noexcept
{
    Minimum minimum;
    const auto offer_ends = [&](const Line2DRec& from, const Line2DRec& to) {
        for (const Point2DRec& end : {from.start, from.end}) {
            if (!between(axis.across(end), axis.across(to.start), axis.across(to.end)))
                continue;
            if (const std::optional<double> gap = point_segment_gap(axis, to.start, to.end, end))
                minimum.offer(*gap);
        }
    };
    offer_ends(a, b);
    offer_ends(b, a);
    if (!minimum.taken)
        return 0;
    distance = minimum.best;
    return mode;
}

// The circle moved along the axis until it touches the segment's line.
struct Contact {
    Point2DRec moved_centre;
    Point2DRec point;
};

std::optional<Contact> slide_circle_onto_segment(const Axis& axis, const Point2DRec& c, double r,
                                                 const Point2DRec& s, const Point2DRec& e) noexcept
{
    if (is_near_zero(axis.across(s) - axis.across(e)))
        return std::nullopt; // along the axis: nothing to run into
    if (is_near_zero(axis.along(s) - axis.along(e))) {
        const double side = axis.along(c) - axis.along(s) > -kTolerance ? r : -r;
        return Contact{axis.point(axis.along(s) + side, axis.across(c)),
                       axis.point(axis.along(s), axis.across(c))};
    }
    const double at_height = axis.along(s) + (axis.across(c) - axis.across(s)) *
                                                 (axis.along(e) - axis.along(s)) /
                                                 (axis.across(e) - axis.across(s));
    const double phi = std::atan2(e.y - s.y, e.x - s.x);
    const double reach = std::fabs(r / (axis.along_y ? std::cos(phi) : std::sin(phi)));
    const double side = axis.along(c) - at_height > -kTolerance ? reach : -reach;
    const Point2DRec moved = axis.point(at_height + side, axis.across(c));
    const double angle = line_angle(s, e);
    const PointSet foot =
        ray_ray(axis.point(at_height, axis.across(c)), angle, moved, angle + kHalfPi);
    if (foot.empty())
        return std::nullopt;
    return Contact{moved, foot.points[0]};
}

Point2DRec carried_back(const Point2DRec& contact, const Point2DRec& centre,
                        const Point2DRec& moved) noexcept
{
    return Point2DRec{contact.x + (centre.x - moved.x), contact.y + (centre.y - moved.y)};
}

struct Corners {
    Point2DRec min;
    Point2DRec max;
};

Corners corners_of(const ProfileEntityRec& arc_entity) noexcept
{
    Rectangle2DRec extents{};
    ProfileEntityExtents(&arc_entity, &extents);
    return Corners{extents.min, extents.max};
}

int32_t line_arc_rule(const Axis& axis, int32_t mode, const ProfileEntityRec& line_entity,
                      const ProfileEntityRec& arc_entity, double& distance) noexcept
{
    const Line2DRec line = line_of(line_entity);
    const Arc2DRec arc = arc_of(arc_entity);
    const Point2DRec& s = line.start;
    const Point2DRec& e = line.end;
    const Corners corners = corners_of(arc_entity);
    const bool can_meet =
        between(axis.across(corners.min), axis.across(s), axis.across(e)) ||
        between(axis.across(corners.max), axis.across(s), axis.across(e)) ||
        between(axis.across(s), axis.across(corners.max), axis.across(corners.min)) ||
        between(axis.across(e), axis.across(corners.max), axis.across(corners.min));
    if (!can_meet) {
        distance = HUGE_VAL;
        return mode;
    }
    const auto fallback = [&]() {
        Minimum minimum;
        for (const Point2DRec& end : {s, e}) {
            if (between(axis.across(end), axis.across(corners.min), axis.across(corners.max)))
                offer_point_arc_gaps(axis, end, arc, minimum);
        }
        for (const Point2DRec& end : {arc_start(arc), arc_end(arc)}) {
            if (!between(axis.across(end), axis.across(s), axis.across(e)))
                continue;
            if (const std::optional<double> gap = point_segment_gap(axis, s, e, end))
                minimum.offer(*gap);
        }
        distance = minimum.best;
        return mode;
    };
    // A segment whose line cuts the circle meets it off the slide's single contact.
    const double angle = line_angle(s, e);
    const PointSet foot = ray_ray(s, angle, arc.centre, angle + kHalfPi);
    if (!foot.empty() && ray_circle(foot.points[0], angle, arc.centre, arc.radius).count == 2)
        return fallback();
    const std::optional<Contact> contact =
        slide_circle_onto_segment(axis, arc.centre, arc.radius, s, e);
    if (!contact)
        return 0;
    if (!point_on_arc(arc, carried_back(contact->point, arc.centre, contact->moved_centre)) ||
        !point_on_line(s, e, contact->point))
        return fallback();
    const double g = axis.along(contact->moved_centre) - axis.along(arc.centre);
    distance = is_near_zero(g) ? 0.0 : std::fabs(g);
    return mode;
}

// The moved centres of circle a (centre A, radius ra) sliding along the axis until it
// touches circle b from inside, with their contact points, in the order they are tried.
struct InsideContacts {
    int count = 0;
    Contact contacts[2];
};

InsideContacts slide_inside(const Axis& axis, const Arc2DRec& a, const Arc2DRec& b) noexcept
{
    InsideContacts result;
    const double dc = axis.across(a.centre) - axis.across(b.centre);
    const double dr = a.radius - b.radius;
    if (std::fabs(dc) - std::fabs(dr) > -kTolerance)
        return result;
    const double h = std::sqrt(std::fabs(dr * dr - dc * dc));
    const bool a_smaller = dr <= -kTolerance;
    const double first = a_smaller ? h : -h;
    for (const double shift : {first, -first}) {
        const Point2DRec moved = axis.point(axis.along(b.centre) + shift, axis.across(a.centre));
        // The contact lies on the larger circle, towards the smaller one's centre.
        const Point2DRec& big_centre = a_smaller ? b.centre : moved;
        const Point2DRec& small_centre = a_smaller ? moved : b.centre;
        const double big_radius = a_smaller ? b.radius : a.radius;
        const double dx = small_centre.x - big_centre.x;
        const double dy = small_centre.y - big_centre.y;
        const double length = std::sqrt(dx * dx + dy * dy);
        if (is_near_zero(length))
            continue; // concentric: the contact has no direction
        result.contacts[result.count++] =
            Contact{moved, Point2DRec{big_centre.x + big_radius * dx / length,
                                      big_centre.y + big_radius * dy / length}};
    }
    return result;
}

int32_t arc_arc_rule(const Axis& axis, int32_t mode, const ProfileEntityRec& a_entity,
                     const ProfileEntityRec& b_entity, double& distance) noexcept
{
    const Arc2DRec a = arc_of(a_entity);
    const Arc2DRec b = arc_of(b_entity);
    const auto usable = [&](const Contact& contact) {
        return point_on_arc(a, carried_back(contact.point, a.centre, contact.moved_centre)) &&
               point_on_arc(b, contact.point);
    };
    const auto fallback = [&]() {
        const Corners corners_a = corners_of(a_entity);
        const Corners corners_b = corners_of(b_entity);
        Minimum minimum;
        for (const Point2DRec& end : {arc_start(a), arc_end(a)}) {
            if (between(axis.across(end), axis.across(corners_b.min), axis.across(corners_b.max)))
                offer_point_arc_gaps(axis, end, b, minimum);
        }
        for (const Point2DRec& end : {arc_start(b), arc_end(b)}) {
            if (between(axis.across(end), axis.across(corners_a.min), axis.across(corners_a.max)))
                offer_point_arc_gaps(axis, end, a, minimum);
        }
        if (!minimum.taken)
            return 0;
        distance = minimum.best;
        return mode;
    };
    const double d = line_length(a.centre, b.centre);
    const double sum = a.radius + b.radius;
    if (is_near_zero(d - sum) || d - sum >= kTolerance) {
        // Apart or touching: a slides until it touches b from outside.
        const double dc = axis.across(a.centre) - axis.across(b.centre);
        if (std::fabs(dc) - sum > -kTolerance)
            return 0;
        const double h = std::sqrt(std::fabs(sum * sum - dc * dc));
        const double shift = axis.along(a.centre) - axis.along(b.centre) > -kTolerance ? h : -h;
        const Point2DRec moved = axis.point(axis.along(b.centre) + shift, axis.across(a.centre));
        const Contact contact{moved,
                              Point2DRec{b.centre.x + (moved.x - b.centre.x) * b.radius / sum,
                                         b.centre.y + (moved.y - b.centre.y) * b.radius / sum}};
        if (!usable(contact))
            return fallback();
        const double g = axis.along(moved) - axis.along(a.centre);
        if (!is_near_zero(g)) {
            distance = std::fabs(g);
            return mode;
        }
        // Already touching; a touch straight across the axis does not block a move.
        const Point2DRec back = carried_back(contact.point, a.centre, moved);
        distance = is_near(axis.along(back), axis.along(moved)) ? HUGE_VAL : 0.0;
        return mode;
    }
    // The circles overlap: of the contacts from inside, the smaller usable gap.
    const InsideContacts inside = slide_inside(axis, a, b);
    Minimum minimum;
    for (int i = 0; i < inside.count; ++i) {
        if (!usable(inside.contacts[i]))
            continue;
        const double g = axis.along(inside.contacts[i].moved_centre) - axis.along(a.centre);
        minimum.offer(is_near_zero(g) ? 0.0 : std::fabs(g));
    }
    if (!minimum.taken)
        return fallback();
    distance = minimum.best;
    return mode;
}

}

extern "C" {

OSMARK_API int32_t DistanceProfileEntityEntity(const ProfileEntityRec* a, const ProfileEntityRec* b,
                                               int32_t mode, double* distance) noexcept
{
    if (distance == nullptr)
        return 0;
    *distance = 0.0;
    if (a == nullptr || b == nullptr || (mode != DistanceAlongX && mode != DistanceAlongY))
        return 0;
    const Axis axis{mode == DistanceAlongY};
    double gap = 0.0;
    int32_t result = 0;
    if (is_line(*a) && is_line(*b))
        result = line_line_rule(axis, mode, line_of(*a), line_of(*b), gap);
    else if (is_line(*a) && is_arc(*b))
        result = line_arc_rule(axis, mode, *a, *b, gap);
    else if (is_arc(*a) && is_line(*b))
        result = line_arc_rule(axis, mode, *b, *a, gap);
    else if (is_arc(*a) && is_arc(*b))
        result = arc_arc_rule(axis, mode, *a, *b, gap);
    if (result != 0)
        *distance = gap;
    return result;
}
}
