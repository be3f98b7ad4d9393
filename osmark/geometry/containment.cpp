// Containment of points and profiles in closed profiles.

#include "osmark/containment.h"

#include "geometry/curves.h"
#include "geometry/entity_geometry.h"
#include "geometry/intersect.h"
#include "geometry/profile_store.h"
#include "geometry/tolerance.h"
#include "osmark/owners.h"
#include "osmark/point_buffers.h"
#include "osmark/profiles.h"
#include "osmark/vectors.h"

using namespace osmark::geometry;

namespace {

// Orders crossings by x, x values within the tolerance of each other as equal.
int32_t compare_x(const void* a, const void* b)
{
    const double dx = static_cast<const Point2DRec*>(a)->x - static_cast<const Point2DRec*>(b)->x;
    if (is_near_zero(dx))
        return 0;
    return dx > 0.0 ? 1 : -1;
}

// The even-odd test on a horizontal line through the point, in a working buffer.
bool point_in_profile(const Profile& profile, const Point2DRec& point,
                      PointBuffer crossings) noexcept
{
    PointBufferSetCount(crossings, 0);
    for (uint32_t i = 0, count = entity_count(profile); i < count; ++i) {
        const ProfileEntityRec& entity = *entity_at(profile, i);
        if (is_line(entity)) {
            const Line2DRec line = line_of(entity);
            if (point_on_line(line.start, line.end, point))
                return true; // on the boundary counts as inside
            y_line(point.y, line).append_to(crossings);
        } else if (is_arc(entity)) {
            const Arc2DRec arc = arc_of(entity);
            if (point_on_arc(arc, point))
                return true;
            y_arc(point.y, arc).append_to(crossings);
        }
    }
    const uint32_t count = crossings->count;
    if (count == 0)
        return false;
    PointBufferSort(crossings, 0, count, compare_x);
    const Point2DRec* x = crossings->points;
    for (uint32_t i = 0; i < count; i += 2) {
        if (point.x - x[i].x <= -kTolerance || i + 1 == count)
            return false; // left of the pair, or a crossing without a partner
        if (point.x - x[i + 1].x < kTolerance)
            return true;
    }
    return false;
}

// Every end point of a's entities lies in b.
bool ends_inside(const Profile& a, const Profile& b, PointBuffer crossings) noexcept
{
    if (crossings == nullptr)
        return false;
    for (uint32_t i = 0, count = entity_count(a); i < count; ++i) {
        Point2DRec end{};
        if (entity_point(*entity_at(a, i), 1.0, end) && !point_in_profile(b, end, crossings))
            return false;
    }
    return true;
}

}

extern "C" {

OSMARK_API int32_t PointInProfile(const Profile* profile, const Point2DRec* point) noexcept
{
    if (profile == nullptr || point == nullptr)
        return 0;
    const osmark::PointBufferOwner crossings(PointBufferCreate());
    if (crossings == nullptr)
        return 0;
    return point_in_profile(*profile, *point, crossings.get()) ? 1 : 0;
}

OSMARK_API int32_t ProfileInProfile(Profile* a, Profile* b) noexcept
{
    if (a == nullptr || b == nullptr)
        return ProfilesApart;
    Rectangle2DRec extents_a{};
    Rectangle2DRec extents_b{};
    if (!ProfileExtents(a, &extents_a) || !ProfileExtents(b, &extents_b) ||
        !ExtentsIntersect(&extents_a, &extents_b))
        return ProfilesApart;
    for (uint32_t i = 0, count_a = entity_count(*a); i < count_a; ++i) {
        for (uint32_t j = 0, count_b = entity_count(*b); j < count_b; ++j) {
            if (!entity_intersect(*entity_at(*a, i), *entity_at(*b, j), nullptr).empty())
                return ProfilesMeet;
        }
    }
    const osmark::PointBufferOwner crossings(PointBufferCreate());
    if (ends_inside(*a, *b, crossings.get()))
        return ProfileFirstInside;
    if (ends_inside(*b, *a, crossings.get()))
        return ProfileSecondInside;
    return ProfilesApart;
}
}
