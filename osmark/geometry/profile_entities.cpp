// Profile entities: one line or arc of a profile, tested against the entity accuracy.

#include "osmark/profile_entities.h"

#include "geometry/curves.h"
#include "geometry/entity_geometry.h"
#include "geometry/intersect.h"
#include "geometry/tolerance.h"
#include "osmark/lines_arcs.h"
#include "osmark/numbers.h"
#include "osmark/stick_to.h"
#include "osmark/vectors.h"

#include <cmath>
#include <cstddef>
#include <type_traits>
#include <utility>

using namespace osmark::geometry;

// Callers pass the address of an entity's data where a Line2DRec or an Arc2DRec is
// asked for: the records must lie behind the type word in the same layout.
static_assert(std::is_standard_layout_v<ProfileEntityRec> &&
              std::is_trivially_copyable_v<ProfileEntityRec>);
static_assert(offsetof(ProfileEntityRec, d2) - offsetof(ProfileEntityRec, d1) ==
              offsetof(Arc2DRec, centre.y));
static_assert(offsetof(ProfileEntityRec, d3) - offsetof(ProfileEntityRec, d1) ==
              offsetof(Arc2DRec, radius));
static_assert(offsetof(ProfileEntityRec, d4) - offsetof(ProfileEntityRec, d1) ==
              offsetof(Arc2DRec, start_angle));
static_assert(offsetof(ProfileEntityRec, d5) - offsetof(ProfileEntityRec, d1) ==
              offsetof(Arc2DRec, end_angle));
static_assert(offsetof(ProfileEntityRec, direction) - offsetof(ProfileEntityRec, d1) ==
              offsetof(Arc2DRec, direction));
static_assert(offsetof(ProfileEntityRec, d3) - offsetof(ProfileEntityRec, d1) ==
              offsetof(Line2DRec, end));

namespace {

// The tolerance of the three entity tests; process-wide and unguarded, as documented.
double g_entity_accuracy = 1e-6;

bool is_valid_type(uint32_t type) noexcept
{
    return type <= EntityTypeArc;
}

// An overlap of two lines or two arcs, from the ends of each that lie on the other.
PointSet overlap_of(const ProfileEntityRec& a, const ProfileEntityRec& b) noexcept
{
    PointSet shared;
    Point2DRec a_start{}, a_end{}, b_start{}, b_end{};
    entity_point(a, 0.0, a_start);
    entity_point(a, 1.0, a_end);
    entity_point(b, 0.0, b_start);
    entity_point(b, 1.0, b_end);
    const auto share = [&shared](const Point2DRec& first, const Point2DRec& second) {
        shared.add(first);
        shared.add(second);
        return shared;
    };
    if (point_on_entity(a, b_start)) {
        if (point_on_entity(b, a_start))
            return share(b_start, a_start);
        if (point_on_entity(b, a_end))
            return share(b_start, a_end);
    }
    if (point_on_entity(a, b_end)) {
        if (point_on_entity(b, a_start))
            return share(a_start, b_end);
        if (point_on_entity(b, a_end))
            return share(a_end, b_end);
    }
    return shared;
}

// The parameter of a point that passed the arc test. A point at the start (or within
// the tolerance before it) has an angle just short of a whole turn from the start:
// it lies at 0, not beyond the end.
double arc_parameter(const Arc2DRec& arc, const Point2DRec& point) noexcept
{
    const double sweep = arc_angle(arc.start_angle, arc.end_angle, arc.direction);
    if (is_near_zero(sweep))
        return 0.0;
    const double part = arc_angle(arc.start_angle, line_angle(arc.centre, point), arc.direction);
    if (part - sweep >= kTolerance)
        return 0.0;
    return part / sweep;
}

}

namespace osmark::geometry {

double entity_accuracy() noexcept
{
    return g_entity_accuracy;
}

bool entity_point(const ProfileEntityRec& entity, double t, Point2DRec& point) noexcept
{
    if (is_line(entity)) {
        const Line2DRec line = line_of(entity);
        point = line_point(line.start, line.end, t);
        return true;
    }
    if (is_arc(entity)) {
        point = arc_point(arc_of(entity), t);
        return true;
    }
    return false;
}

bool point_on_entity(const ProfileEntityRec& entity, const Point2DRec& point, double* t) noexcept
{
    const double accuracy = g_entity_accuracy;
    if (is_line(entity)) {
        const Line2DRec line = line_of(entity);
        if (!point_on_line(line.start, line.end, point, accuracy))
            return false;
        if (t != nullptr) {
            const double length = line_length(line.start, line.end);
            *t = is_near_zero(length) ? 0.0 : line_length(line.start, point) / length;
        }
        return true;
    }
    if (is_arc(entity)) {
        const Arc2DRec arc = arc_of(entity);
        if (!point_on_arc(arc, point, accuracy))
            return false;
        if (t != nullptr)
            *t = arc_parameter(arc, point);
        return true;
    }
    return false;
}

PointSet entity_intersect(const ProfileEntityRec& a, const ProfileEntityRec& b,
                          int32_t* overlap) noexcept
{
    PointSet found;
    if (is_line(a) && is_line(b))
        found = line_line(line_of(a), line_of(b));
    else if (is_line(a) && is_arc(b))
        found = line_arc(line_of(a), arc_of(b));
    else if (is_arc(a) && is_line(b))
        found = line_arc(line_of(b), arc_of(a));
    else if (is_arc(a) && is_arc(b))
        found = arc_arc(arc_of(a), arc_of(b));
    else
        return found;
    if (!found.empty()) {
        if (overlap != nullptr)
            *overlap = 0;
        return found;
    }
    if (a.type != b.type)
        return found; // a line and an arc do not overlap
    found = overlap_of(a, b);
    if (!found.empty() && overlap != nullptr)
        *overlap = 1;
    return found;
}

}

extern "C" {

OSMARK_API double ProfileEntitySetAccuracy(double accuracy) noexcept
{
    const double previous = g_entity_accuracy;
    g_entity_accuracy = accuracy < 0.0 ? 0.0 : accuracy;
    return previous;
}

OSMARK_API ProfileEntityRec* ProfileEntityInitialise(ProfileEntityRec* entity) noexcept
{
    if (entity != nullptr)
        entity->type = EntityTypeNone;
    return entity;
}

OSMARK_API int32_t ProfileEntityCopy(ProfileEntityRec* destination,
                                     const ProfileEntityRec* source) noexcept
{
    if (destination == nullptr || source == nullptr || !is_valid_type(source->type))
        return 0;
    *destination = *source;
    return 1;
}

OSMARK_API double ProfileEntityLength(const ProfileEntityRec* entity) noexcept
{
    if (entity == nullptr)
        return 0.0;
    if (is_line(*entity)) {
        const Line2DRec line = line_of(*entity);
        return line_length(line.start, line.end);
    }
    if (is_arc(*entity))
        return arc_angle(entity->d4, entity->d5, entity->direction) * entity->d3;
    return 0.0;
}

OSMARK_API int32_t ProfileEntityPoint(const ProfileEntityRec* entity, double t, uint32_t mode,
                                      Point2DRec* output) noexcept
{
    if (entity == nullptr || output == nullptr)
        return 0;
    if (is_line(*entity)) {
        const Line2DRec line = line_of(*entity);
        LinePoint(&line.start, &line.end, t, mode, output);
        return 1;
    }
    if (is_arc(*entity)) {
        const Arc2DRec arc = arc_of(*entity);
        ArcPoint(&arc.centre, arc.radius, arc.start_angle, arc.end_angle, arc.direction, t, mode,
                 output);
        return 1;
    }
    return 0;
}

OSMARK_API int32_t ProfileEntityTangent(const ProfileEntityRec* entity, double t,
                                        Point2DRec* output) noexcept
{
    Point2DRec point_and_tangent[2];
    if (output == nullptr || !ProfileEntityPoint(entity, t, 2, point_and_tangent))
        return 0;
    *output = point_and_tangent[1];
    return 1;
}

OSMARK_API void ProfileEntityPointClosestTo(const ProfileEntityRec* entity, const Point2DRec* point,
                                            Point2DRec* output) noexcept
{
    if (entity == nullptr || point == nullptr || output == nullptr)
        return;
    if (is_line(*entity)) {
        const Line2DRec line = line_of(*entity);
        StickToLine(point, &line.start, &line.end, output);
    } else if (is_arc(*entity)) {
        const Arc2DRec arc = arc_of(*entity);
        StickToArc(point, &arc.centre, arc.radius, arc.start_angle, arc.end_angle, arc.direction,
                   output);
    }
}

OSMARK_API void ProfileEntityReverse(ProfileEntityRec* entity) noexcept
{
    if (entity == nullptr)
        return;
    if (is_line(*entity)) {
        std::swap(entity->d1, entity->d3);
        std::swap(entity->d2, entity->d4);
    } else if (is_arc(*entity)) {
        std::swap(entity->d4, entity->d5);
        // Direction 0 reads as counter-clockwise, so its reverse is clockwise.
        entity->direction = entity->direction >= 0 ? -1 : 1;
    }
}

OSMARK_API int32_t ProfileEntityExtents(const ProfileEntityRec* entity,
                                        Rectangle2DRec* extents) noexcept
{
    if (entity == nullptr || extents == nullptr)
        return 0;
    *extents = Rectangle2DRec{};
    if (is_line(*entity)) {
        const Line2DRec line = line_of(*entity);
        const bool start_left = line.start.x - line.end.x <= -kTolerance;
        const bool start_below = line.start.y - line.end.y <= -kTolerance;
        extents->min.x = start_left ? line.start.x : line.end.x;
        extents->max.x = start_left ? line.end.x : line.start.x;
        extents->min.y = start_below ? line.start.y : line.end.y;
        extents->max.y = start_below ? line.end.y : line.start.y;
        return 1;
    }
    if (!is_arc(*entity))
        return 0;
    const Arc2DRec arc = arc_of(*entity);
    const Point2DRec start = arc_start(arc);
    const Point2DRec end = arc_end(arc);
    *extents = Rectangle2DRec{start, start};
    ExtentsAppendPoint(extents, &end);
    // The points of the circle on its axes, where the arc passes them.
    for (const double angle : {0.0, kHalfPi, kPi, -kHalfPi}) {
        if (angle_between(arc.start_angle, angle, arc.end_angle, arc.direction)) {
            const Point2DRec axis_point = point_at_angle(arc.centre, arc.radius, angle);
            ExtentsAppendPoint(extents, &axis_point);
        }
    }
    return 1;
}

OSMARK_API int32_t PointOnProfileEntity(const ProfileEntityRec* entity, const Point2DRec* point,
                                        double* t) noexcept
{
    if (entity == nullptr || point == nullptr)
        return 0;
    return point_on_entity(*entity, *point, t) ? 1 : 0;
}

OSMARK_API int32_t ProfileEntityFirstPointOn(const ProfileEntityRec* entity,
                                             const Point2DRec* points, uint32_t count,
                                             int32_t from_start, int32_t keep_end,
                                             Point2DRec* output) noexcept
{
    if (entity == nullptr || points == nullptr || output == nullptr || count == 0)
        return 0;
    Point2DRec reference{};
    const bool skip_reference =
        keep_end == 0 && entity_point(*entity, from_start ? 0.0 : 1.0, reference);
    const double accuracy = g_entity_accuracy;
    bool found = false;
    double best_t = 0.0;
    Point2DRec best{};
    for (uint32_t i = 0; i < count; ++i) {
        const Point2DRec& candidate = points[i];
        if (skip_reference && points_equal(candidate, reference, accuracy))
            continue;
        double t = 0.0;
        if (!point_on_entity(*entity, candidate, &t))
            continue;
        const bool nearer = from_start ? t - best_t <= -kTolerance : t - best_t >= kTolerance;
        if (!found || nearer) {
            found = true;
            best_t = t;
            best = candidate;
        }
    }
    *output = found ? best : points[0];
    return found ? 1 : 0;
}

OSMARK_API int32_t ProfileEntityChangeEndPoint(ProfileEntityRec* entity, int32_t which_end,
                                               const Point2DRec* point) noexcept
{
    if (entity == nullptr || point == nullptr)
        return 0;
    const Point2DRec p = *point;
    if (is_line(*entity)) {
        if (which_end != 0) {
            entity->d1 = p.x;
            entity->d2 = p.y;
        } else {
            entity->d3 = p.x;
            entity->d4 = p.y;
        }
        const Line2DRec line = line_of(*entity);
        return points_equal(line.start, line.end, g_entity_accuracy) ? 0 : 1;
    }
    if (!is_arc(*entity))
        return 0;
    // The arc is fitted anew through its new ends, leaving the start along the tangent
    // that the old circle has at the new start.
    const Arc2DRec arc = arc_of(*entity);
    const Point2DRec start = which_end != 0 ? p : arc_start(arc);
    const Point2DRec end = which_end != 0 ? arc_end(arc) : p;
    const double turn = direction_sign(arc.direction) > 0 ? kHalfPi : -kHalfPi;
    const double tangent_angle = CorrectAngle(line_angle(arc.centre, start) + turn);
    const Point2DRec tangent{std::cos(tangent_angle), std::sin(tangent_angle)};
    Arc2DRec fitted{};
    if (!FitArc2PointsVector(&start, &end, &tangent, &fitted.centre, &fitted.radius,
                             &fitted.start_angle, &fitted.end_angle, &fitted.direction))
        return 0;
    entity->d1 = fitted.centre.x;
    entity->d2 = fitted.centre.y;
    entity->d3 = fitted.radius;
    entity->d4 = fitted.start_angle;
    entity->d5 = fitted.end_angle;
    entity->direction = fitted.direction;
    return 1;
}

OSMARK_API int32_t ProfileEntitySplit(const ProfileEntityRec* entity, const Point2DRec* point,
                                      ProfileEntityRec parts[2]) noexcept
{
    if (entity == nullptr || point == nullptr || parts == nullptr)
        return 0;
    const ProfileEntityRec whole = *entity;
    const Point2DRec at = *point;
    parts[0] = whole;
    parts[1] = whole;
    ProfileEntityChangeEndPoint(&parts[0], 0, &at);
    ProfileEntityChangeEndPoint(&parts[1], 1, &at);
    return 1;
}

OSMARK_API int32_t ProfileEntityIntersect(const ProfileEntityRec* a, const ProfileEntityRec* b,
                                          PointBuffer output, int32_t* overlap) noexcept
{
    if (a == nullptr || b == nullptr)
        return 0;
    return entity_intersect(*a, *b, overlap).append_to(output);
}

OSMARK_API void ProfileEntityClean(ProfileEntityRec* /*entity*/) noexcept
{
}
}
