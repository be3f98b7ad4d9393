// Profiles: the record and its entities, identity, open and closed, comparison,
// reversal and intersections. The measures (area, perimeter, extents, centre of
// gravity) are in profile_measures.cpp.

#include "osmark/profiles.h"

#include "geometry/curves.h"
#include "geometry/entity_geometry.h"
#include "geometry/profile_store.h"
#include "geometry/tolerance.h"
#include "osmark/memory.h"
#include "osmark/numbers.h"
#include "osmark/paged_array.h"
#include "osmark/point_buffers.h"
#include "osmark/profile_entities.h"
#include "osmark/raster_ports.h"

#include <cstddef>
#include <type_traits>
#include <utility>

using namespace osmark::geometry;

static_assert(std::is_standard_layout_v<Profile> && std::is_trivially_copyable_v<Profile>);
// One routine answers ProfileID and PointBufferGetCount: both read the second 32-bit
// field of the record they are given.
static_assert(offsetof(Profile, id) == 4 && offsetof(PointBufferRec, count) == 4);
static_assert(sizeof(Profile::id) == sizeof(PointBufferRec::count));
// ProfileParentID reads the third 32-bit field, where a raster port keeps its draw
// mode: the draw-mode getter is the same routine.
static_assert(offsetof(Profile, parent_id) == 8 && offsetof(RastPort, rp_DrMd) == 8);
static_assert(sizeof(Profile::parent_id) == sizeof(RastPort::rp_DrMd));

namespace {

constexpr uint32_t kEntitiesPerPage = 250;
constexpr double kNewAccuracy = 1e-6;

bool entities_equal(const ProfileEntityRec& a, const ProfileEntityRec& b, double tolerance) noexcept
{
    const auto near = [tolerance](double x, double y) {
        return x - y > -tolerance && x - y < tolerance;
    };
    if (a.type != b.type)
        return false;
    if (is_line(a)) {
        const Line2DRec la = line_of(a);
        const Line2DRec lb = line_of(b);
        return points_equal(la.start, lb.start, tolerance) &&
               points_equal(la.end, lb.end, tolerance);
    }
    if (is_arc(a)) {
        const Arc2DRec aa = arc_of(a);
        const Arc2DRec ab = arc_of(b);
        return aa.direction == ab.direction && near(aa.radius, ab.radius) &&
               points_equal(aa.centre, ab.centre, tolerance) &&
               near(CorrectAngle(aa.start_angle), CorrectAngle(ab.start_angle)) &&
               near(CorrectAngle(aa.end_angle), CorrectAngle(ab.end_angle));
    }
    return true; // entities of type 0 compare equal
}

bool has_point_off_ends(const PointSet& points, const Point2DRec& start,
                        const Point2DRec& end) noexcept
{
    for (const Point2DRec& point : points) {
        if (!points_equal(point, start) && !points_equal(point, end))
            return true;
    }
    return false;
}

}

namespace osmark::geometry {

uint32_t entity_count(const Profile& profile) noexcept
{
    return profile.entities != nullptr ? PagedArrayGetCount(profile.entities) : 0;
}

ProfileEntityRec* entity_at(const Profile& profile, uint32_t index) noexcept
{
    if (index >= entity_count(profile))
        return nullptr;
    return static_cast<ProfileEntityRec*>(PagedArrayGet(profile.entities, index));
}

bool append_entity(Profile& profile, const ProfileEntityRec& entity) noexcept
{
    if (profile.entities == nullptr || PagedArrayAdd(profile.entities, &entity) < 0)
        return false;
    profile.cache_flags &= ~uint32_t{ProfileCacheAll};
    return true;
}

void clear_entities(Profile& profile) noexcept
{
    for (uint32_t i = 0, count = entity_count(profile); i < count; ++i)
        ProfileEntityClean(entity_at(profile, i));
    if (profile.entities != nullptr)
        PagedArrayClear(profile.entities);
    profile.cache_flags &= ~uint32_t{ProfileCacheAll};
}

}

extern "C" {

OSMARK_API Profile* ProfileCreate(void) noexcept
{
    auto* profile = static_cast<Profile*>(CAllocVec(1, sizeof(Profile)));
    if (profile == nullptr)
        return nullptr;
    profile->accuracy = kNewAccuracy;
    profile->entities = PagedArrayCreate(sizeof(ProfileEntityRec), kEntitiesPerPage);
    if (profile->entities == nullptr) {
        FreeVec(profile);
        return nullptr;
    }
    return profile;
}

OSMARK_API void ProfileDelete(Profile* profile) noexcept
{
    if (profile == nullptr)
        return;
    for (uint32_t i = 0, count = entity_count(*profile); i < count; ++i)
        ProfileEntityClean(entity_at(*profile, i));
    PagedArrayDelete(profile->entities);
    FreeVec(profile);
}

OSMARK_API Profile* ProfileCopy(const Profile* profile) noexcept
{
    Profile* copy = ProfileCreate();
    if (copy == nullptr || profile == nullptr)
        return copy;
    PagedArray* const entities = copy->entities;
    *copy = *profile;
    copy->entities = entities;
    for (uint32_t i = 0, count = entity_count(*profile); i < count; ++i) {
        const ProfileEntityRec& entity = *entity_at(*profile, i);
        if (entity.type > EntityTypeArc)
            continue; // as ProfileAdd ignores it
        if (!append_entity(*copy, entity)) {
            // A copy that lacks entities would pass for the whole profile.
            ProfileDelete(copy);
            return nullptr;
        }
    }
    return copy;
}

OSMARK_API void ProfileAdd(Profile* profile, const ProfileEntityRec* entity) noexcept
{
    if (profile == nullptr || entity == nullptr || entity->type > EntityTypeArc)
        return;
    append_entity(*profile, *entity);
}

OSMARK_API void ProfileAddLine(Profile* profile, double x1, double y1, double x2, double y2,
                               uint32_t user) noexcept
{
    if (profile == nullptr)
        return;
    ProfileEntityRec line{};
    line.type = EntityTypeLine;
    line.d1 = x1;
    line.d2 = y1;
    line.d3 = x2;
    line.d4 = y2;
    line.user = user;
    append_entity(*profile, line);
}

OSMARK_API void ProfileAddArc(Profile* profile, double centre_x, double centre_y, double radius,
                              double start_angle, double end_angle, int32_t direction,
                              uint32_t user) noexcept
{
    if (profile == nullptr)
        return;
    ProfileEntityRec arc{};
    arc.type = EntityTypeArc;
    arc.d1 = centre_x;
    arc.d2 = centre_y;
    arc.d3 = radius;
    arc.d4 = start_angle;
    arc.d5 = end_angle;
    arc.direction = direction_sign(direction);
    arc.user = user;
    append_entity(*profile, arc);
}

OSMARK_API void ProfileRemove(Profile* profile, uint32_t index) noexcept
{
    if (profile == nullptr)
        return;
    ProfileEntityRec* entity = entity_at(*profile, index);
    if (entity == nullptr)
        return;
    ProfileEntityClean(entity);
    PagedArrayRemove(profile->entities, index);
    profile->cache_flags &= ~uint32_t{ProfileCacheAll};
}

OSMARK_API uint32_t ProfileEntityCount(const Profile* profile) noexcept
{
    return profile != nullptr ? entity_count(*profile) : 0;
}

OSMARK_API ProfileEntityRec* ProfileEntity(const Profile* profile, uint32_t index) noexcept
{
    return profile != nullptr ? entity_at(*profile, index) : nullptr;
}

OSMARK_API uint32_t ProfileEntityType(const Profile* profile, uint32_t index) noexcept
{
    const ProfileEntityRec* entity = ProfileEntity(profile, index);
    return entity != nullptr ? entity->type : uint32_t{EntityTypeNone};
}

OSMARK_API int32_t ProfileID(const Profile* profile) noexcept
{
    return profile != nullptr ? profile->id : 0;
}

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wattribute-alias"
#endif
// The same code under a second name (see the layout assertions above).
OSMARK_API uint32_t PointBufferGetCount(const PointBufferRec* buffer) noexcept
    __attribute__((alias("ProfileID")));
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

OSMARK_API int32_t ProfileParentID(const Profile* profile) noexcept
{
    return profile != nullptr ? profile->parent_id : 0;
}

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wattribute-alias"
#endif
// The same code under a second name (see the layout assertions above).
OSMARK_API int32_t GetDrMd(const RastPort* rp) noexcept __attribute__((alias("ProfileParentID")));
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

OSMARK_API int32_t ProfileLevel(const Profile* profile) noexcept
{
    return profile != nullptr ? profile->level : -1;
}

OSMARK_API int32_t ProfileOpen(Profile* profile) noexcept
{
    if (profile == nullptr)
        return 1;
    const uint32_t count = entity_count(*profile);
    bool closed = false;
    if (count == 1) {
        const ProfileEntityRec& only = *entity_at(*profile, 0);
        closed = is_arc(only) && arc_angle(only.d4, only.d5, only.direction) >= kTwoPi - kTolerance;
    } else if (count > 1) {
        Point2DRec start{};
        Point2DRec end{};
        closed = entity_point(*entity_at(*profile, 0), 0.0, start) &&
                 entity_point(*entity_at(*profile, count - 1), 1.0, end) &&
                 points_equal(start, end, profile->accuracy);
    }
    if (closed)
        return 0;
    profile->direction = 0;
    return 1;
}

OSMARK_API int32_t ProfileCmp(const Profile* a, const Profile* b) noexcept
{
    if (a == nullptr || b == nullptr || a->entities == nullptr || b->entities == nullptr)
        return 0;
    const uint32_t count = entity_count(*a);
    if (count != entity_count(*b))
        return 0;
    for (uint32_t i = 0; i < count; ++i) {
        if (!entities_equal(*entity_at(*a, i), *entity_at(*b, i), a->accuracy))
            return 0;
    }
    return 1;
}

OSMARK_API int32_t PointOnProfile(const Profile* profile, const Point2DRec* point) noexcept
{
    if (profile == nullptr || point == nullptr)
        return 0;
    for (uint32_t i = 0, count = entity_count(*profile); i < count; ++i) {
        if (point_on_entity(*entity_at(*profile, i), *point))
            return 1;
    }
    return 0;
}

OSMARK_API void ProfileReverse(Profile* profile) noexcept
{
    if (profile == nullptr)
        return;
    const uint32_t count = entity_count(*profile);
    for (uint32_t i = 0; i < count; ++i)
        ProfileEntityReverse(entity_at(*profile, i));
    for (uint32_t i = 0; i < count / 2; ++i)
        std::swap(*entity_at(*profile, i), *entity_at(*profile, count - 1 - i));
    // The profile now runs the other way: what was cached no longer holds.
    profile->cache_flags &= ~uint32_t{ProfileCacheAll};
    profile->direction = -profile->direction;
}

OSMARK_API int32_t ProfileProfileEntityIntersect(const Profile* profile,
                                                 const ProfileEntityRec* entity, int32_t all,
                                                 int32_t exclude_ends, PointBuffer output) noexcept
{
    if (profile == nullptr || entity == nullptr || profile->entities == nullptr)
        return 0;
    Point2DRec start{};
    Point2DRec end{};
    if (exclude_ends != 0) {
        entity_point(*entity, 0.0, start);
        entity_point(*entity, 1.0, end);
    }
    // With exclude_ends, profile entities count from the first point off both ends of
    // the given entity on.
    bool found_off_ends = false;
    int32_t total = 0;
    for (uint32_t i = 0, count = entity_count(*profile); i < count; ++i) {
        int32_t overlap = 0;
        const PointSet points = entity_intersect(*entity, *entity_at(*profile, i), &overlap);
        if (points.empty())
            continue;
        if (exclude_ends != 0) {
            found_off_ends = found_off_ends || has_point_off_ends(points, start, end);
            if (!found_off_ends)
                continue;
        }
        if (all == 0 || output == nullptr)
            return 1;
        total += points.append_to(output);
    }
    return total;
}

OSMARK_API int32_t ProfileProfileIntersect(const Profile* a, const Profile* b, int32_t all,
                                           PointBuffer output) noexcept
{
    if (a == nullptr || b == nullptr || a->entities == nullptr || b->entities == nullptr)
        return 0;
    int32_t total = 0;
    for (uint32_t i = 0, count = entity_count(*a); i < count; ++i) {
        const int32_t found = ProfileProfileEntityIntersect(b, entity_at(*a, i), all, 0, output);
        if (found == 0)
            continue;
        if (all == 0 || output == nullptr)
            return 1;
        total += found;
    }
    return total;
}
}
