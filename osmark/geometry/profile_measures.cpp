// The cached measures of a profile: area and direction, perimeter, extents and centre
// of gravity.
//
// The area is the line integral of y dx along the profile: positive for a clockwise
// profile, negative for a counter-clockwise one. An arc contributes along the path it
// runs, from its start angle through its signed sweep, so an arc that passes angle 0
// counts the same as one that does not.

#include "osmark/profiles.h"

#include "geometry/curves.h"
#include "geometry/entity_geometry.h"
#include "geometry/profile_store.h"
#include "geometry/tolerance.h"
#include "osmark/profile_entities.h"

#include <cmath>

using namespace osmark::geometry;

namespace {

// A shared (0, 0) for a NULL profile, set again each time it is handed out.
Point2DRec g_no_centre = {};

// The start and end angles of an arc's path: the end is start + signed sweep.
struct ArcPath {
    double from;
    double to;
};

ArcPath path_of(const Arc2DRec& arc) noexcept
{
    return ArcPath{arc.start_angle, arc.start_angle + signed_sweep(arc)};
}

double line_area_share(const Line2DRec& line) noexcept
{
    return (line.end.x - line.start.x) * (line.end.y + line.start.y) * 0.5;
}

double arc_area_share(const Arc2DRec& arc) noexcept
{
    const double r = arc.radius;
    if (arc_angle(arc.start_angle, arc.end_angle, arc.direction) >= kTwoPi - kTolerance)
        return arc.direction >= 0 ? -kPi * r * r : kPi * r * r;
    const double cy = arc.centre.y;
    const auto integral = [r, cy](double t) {
        return r * (cy * std::cos(t) - r * t * 0.5 + std::sin(2.0 * t) * r * 0.25);
    };
    const ArcPath path = path_of(arc);
    return integral(path.to) - integral(path.from);
}

struct Moments {
    double x = 0.0;
    double y = 0.0;
};

void add_line_moments(const Line2DRec& line, Moments& moments) noexcept
{
    const double x1 = line.start.x;
    const double y1 = line.start.y;
    const double x2 = line.end.x;
    const double y2 = line.end.y;
    moments.x +=
        (x2 * x2 + x2 * x1 + x1 * x1) * (y2 - y1) / 3.0 - (x1 * y2 - y1 * x2) * (x2 + x1) * 0.5;
    moments.y +=
        (y2 * y2 + y2 * y1 + y1 * y1) * (x2 - x1) / 3.0 - (y1 * x2 - x1 * y2) * (y2 + y1) * 0.5;
}

void add_arc_moments(const Arc2DRec& arc, Moments& moments) noexcept
{
    const double cx = arc.centre.x;
    const double cy = arc.centre.y;
    const double r2 = arc.radius * arc.radius;
    const ArcPath path = path_of(arc);
    const double s = (std::sin(2.0 * path.to) - std::sin(2.0 * path.from)) * 0.5;
    const double w = path.to - path.from;
    const Point2DRec p0 = arc_start(arc);
    const Point2DRec p1 = arc_end(arc);
    const auto cube = [](double v) { return v * v * v; };
    const auto square = [](double v) { return v * v; };
    moments.x += -(cube(p1.y - cy) - cube(p0.y - cy)) / 3.0 +
                 cy * 0.5 * (square(p1.x - cx) - square(p0.x - cx)) + 0.5 * cx * r2 * (s - w) +
                 (p1.x - p0.x) * cx * cy;
    moments.y += -(cube(p1.x - cx) - cube(p0.x - cx)) / 3.0 +
                 cx * 0.5 * (square(p1.y - cy) - square(p0.y - cy)) + 0.5 * r2 * cy * (w + s) +
                 (p1.y - p0.y) * cx * cy;
}

void merge_extents(Rectangle2DRec& merged, const Rectangle2DRec& extents) noexcept
{
    if (extents.min.x <= merged.min.x)
        merged.min.x = extents.min.x;
    if (extents.min.y <= merged.min.y)
        merged.min.y = extents.min.y;
    if (extents.max.x >= merged.max.x)
        merged.max.x = extents.max.x;
    if (extents.max.y >= merged.max.y)
        merged.max.y = extents.max.y;
}

}

extern "C" {

OSMARK_API double ProfileArea(Profile* profile) noexcept
{
    if (profile == nullptr)
        return 0.0;
    if ((profile->cache_flags & ProfileCacheArea) != 0)
        return profile->area;
    double sum = 0.0;
    for (uint32_t i = 0, count = entity_count(*profile); i < count; ++i) {
        const ProfileEntityRec& entity = *entity_at(*profile, i);
        if (is_line(entity))
            sum += line_area_share(line_of(entity));
        else if (is_arc(entity))
            sum += arc_area_share(arc_of(entity));
    }
    profile->area = sum;
    if (sum > kTolerance) {
        profile->direction = -1;
    } else if (sum <= -kTolerance) {
        profile->direction = 1;
        profile->area = -sum;
    }
    profile->cache_flags |= ProfileCacheArea;
    return profile->area;
}

OSMARK_API int32_t ProfileDir(Profile* profile) noexcept
{
    if (profile == nullptr)
        return 0;
    if ((profile->cache_flags & ProfileCacheArea) == 0)
        ProfileArea(profile);
    return profile->direction;
}

OSMARK_API double ProfilePerimeter(Profile* profile) noexcept
{
    if (profile == nullptr)
        return 0.0;
    if ((profile->cache_flags & ProfileCachePerimeter) != 0)
        return profile->perimeter;
    double sum = 0.0;
    for (uint32_t i = 0, count = entity_count(*profile); i < count; ++i)
        sum += ProfileEntityLength(entity_at(*profile, i));
    profile->perimeter = sum;
    profile->cache_flags |= ProfileCachePerimeter;
    return sum;
}

OSMARK_API int32_t ProfileExtents(Profile* profile, Rectangle2DRec* extents) noexcept
{
    if (profile == nullptr || profile->entities == nullptr || extents == nullptr)
        return 0;
    if ((profile->cache_flags & ProfileCacheExtents) != 0) {
        *extents = profile->extents;
        return 1;
    }
    bool any = false;
    Rectangle2DRec merged{};
    for (uint32_t i = 0, count = entity_count(*profile); i < count; ++i) {
        Rectangle2DRec own{};
        if (!ProfileEntityExtents(entity_at(*profile, i), &own))
            continue;
        if (any)
            merge_extents(merged, own);
        else
            merged = own;
        any = true;
    }
    if (!any)
        return 0;
    profile->extents = merged;
    profile->cache_flags |= ProfileCacheExtents;
    *extents = merged;
    return 1;
}

OSMARK_API Point2DRec* ProfileCentreOfGravity(Profile* profile) noexcept
{
    if (profile == nullptr) {
        g_no_centre = Point2DRec{0.0, 0.0};
        return &g_no_centre;
    }
    if ((profile->cache_flags & ProfileCacheArea) == 0)
        ProfileArea(profile);
    if ((profile->cache_flags & ProfileCacheCentre) != 0)
        return &profile->centre_of_gravity;
    profile->centre_of_gravity = Point2DRec{0.0, 0.0};
    const double area = profile->area;
    if (is_near_zero(area))
        return &profile->centre_of_gravity;
    Moments moments;
    for (uint32_t i = 0, count = entity_count(*profile); i < count; ++i) {
        const ProfileEntityRec& entity = *entity_at(*profile, i);
        if (is_line(entity))
            add_line_moments(line_of(entity), moments);
        else if (is_arc(entity))
            add_arc_moments(arc_of(entity), moments);
    }
    if (ProfileDir(profile) == 1)
        profile->centre_of_gravity = Point2DRec{-moments.x / area, moments.y / area};
    else
        profile->centre_of_gravity = Point2DRec{moments.x / area, -moments.y / area};
    profile->cache_flags |= ProfileCacheCentre;
    return &profile->centre_of_gravity;
}
}
