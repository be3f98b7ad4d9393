// Rotation, translation and reflection of points, lines, entities and profiles.

#include "osmark/transforms.h"

#include "geometry/curves.h"
#include "geometry/entity_geometry.h"
#include "geometry/profile_store.h"
#include "osmark/profile_entities.h"
#include "osmark/profiles.h"

#include <cmath>

using namespace osmark::geometry;

namespace {

// A turn about a centre with its cosine and sine computed once.
struct Turn {
    Point2DRec centre;
    double cos_angle;
    double sin_angle;

    Turn(const Point2DRec& about, double angle) noexcept
        : centre(about), cos_angle(std::cos(angle)), sin_angle(std::sin(angle))
    {
    }

    Point2DRec operator()(const Point2DRec& p) const noexcept
    {
        const double dx = p.x - centre.x;
        const double dy = p.y - centre.y;
        return Point2DRec{centre.x + dx * cos_angle - dy * sin_angle,
                          centre.y + dx * sin_angle + dy * cos_angle};
    }
};

Point2DRec shifted(const Point2DRec& p, const Point2DRec& first, const Point2DRec& second) noexcept
{
    return Point2DRec{p.x + (first.x - second.x), p.y + (first.y - second.y)};
}

void set_line(ProfileEntityRec& entity, const Point2DRec& start, const Point2DRec& end) noexcept
{
    entity.d1 = start.x;
    entity.d2 = start.y;
    entity.d3 = end.x;
    entity.d4 = end.y;
}

// An arc's new centre and the images of its ends give its new angles.
void place_arc(ProfileEntityRec& entity, const Point2DRec& centre, const Point2DRec& start,
               const Point2DRec& end) noexcept
{
    entity.d1 = centre.x;
    entity.d2 = centre.y;
    entity.d4 = line_angle(centre, start);
    entity.d5 = line_angle(centre, end);
}

// Maps every point of an entity through the mapping (a turn or a mirror); an arc keeps
// its radius. The output starts as a copy, so type, direction and user word carry over.
template <typename Mapping>
bool map_entity(const ProfileEntityRec& entity, const Mapping& map,
                ProfileEntityRec& output) noexcept
{
    if (!ProfileEntityCopy(&output, &entity))
        return false;
    if (is_line(entity)) {
        const Line2DRec line = line_of(entity);
        set_line(output, map(line.start), map(line.end));
    } else if (is_arc(entity)) {
        const Arc2DRec arc = arc_of(entity);
        place_arc(output, map(arc.centre), map(arc_start(arc)), map(arc_end(arc)));
    }
    return true;
}

// A new profile with the source's ID and accuracy and each entity transformed into it.
template <typename EntityTransform>
void transform_profile(const Profile* profile, Profile** output,
                       const EntityTransform& transform) noexcept
{
    if (output == nullptr)
        return;
    *output = nullptr;
    if (profile == nullptr)
        return;
    Profile* result = ProfileCreate();
    if (result == nullptr)
        return;
    result->id = profile->id;
    result->accuracy = profile->accuracy;
    for (uint32_t i = 0, count = entity_count(*profile); i < count; ++i) {
        ProfileEntityRec moved{};
        transform(*entity_at(*profile, i), moved);
        if (!append_entity(*result, moved)) {
            // A profile that lacks entities would pass for the whole transform.
            ProfileDelete(result);
            return;
        }
    }
    *output = result;
}

}

extern "C" {

OSMARK_API void PointRotate(double x, double y, const Point2DRec* centre, double angle,
                            Point2DRec* output) noexcept
{
    if (centre == nullptr || output == nullptr)
        return;
    *output = Turn(*centre, angle)(Point2DRec{x, y});
}

OSMARK_API void PointsRotate(uint32_t count, const Point2DRec* points, const Point2DRec* centre,
                             double angle, Point2DRec* output) noexcept
{
    if (count == 0 || points == nullptr || centre == nullptr || output == nullptr)
        return;
    const Turn turn(*centre, angle);
    for (uint32_t i = 0; i < count; ++i)
        output[i] = turn(points[i]);
}

OSMARK_API void LineRotate(double x1, double y1, double x2, double y2, const Point2DRec* centre,
                           double angle, Point2DRec* output_start, Point2DRec* output_end) noexcept
{
    if (centre == nullptr || output_start == nullptr || output_end == nullptr)
        return;
    const Turn turn(*centre, angle);
    *output_start = turn(Point2DRec{x1, y1});
    *output_end = turn(Point2DRec{x2, y2});
}

OSMARK_API void PointTranslate(double x, double y, const Point2DRec* first,
                               const Point2DRec* second, Point2DRec* output) noexcept
{
    if (first == nullptr || second == nullptr || output == nullptr)
        return;
    *output = shifted(Point2DRec{x, y}, *first, *second);
}

OSMARK_API void PointsTranslate(uint32_t count, const Point2DRec* points, const Point2DRec* first,
                                const Point2DRec* second, Point2DRec* output) noexcept
{
    if (count == 0 || points == nullptr || first == nullptr || second == nullptr ||
        output == nullptr)
        return;
    const Point2DRec a = *first;
    const Point2DRec b = *second;
    for (uint32_t i = 0; i < count; ++i)
        output[i] = shifted(points[i], a, b);
}

OSMARK_API void LineTranslate(double x1, double y1, double x2, double y2, const Point2DRec* first,
                              const Point2DRec* second, Point2DRec* output_start,
                              Point2DRec* output_end) noexcept
{
    if (first == nullptr || second == nullptr || output_start == nullptr || output_end == nullptr)
        return;
    const Point2DRec a = *first;
    const Point2DRec b = *second;
    *output_start = shifted(Point2DRec{x1, y1}, a, b);
    *output_end = shifted(Point2DRec{x2, y2}, a, b);
}

OSMARK_API void ProfileEntityRotate(const ProfileEntityRec* entity, const Point2DRec* centre,
                                    double angle, ProfileEntityRec* output) noexcept
{
    map_entity(*entity, Turn(*centre, angle), *output);
}

OSMARK_API void ProfileEntityTranslate(const ProfileEntityRec* entity, const Point2DRec* first,
                                       const Point2DRec* second, ProfileEntityRec* output) noexcept
{
    const ProfileEntityRec source = *entity;
    if (!ProfileEntityCopy(output, &source))
        return;
    if (is_line(source)) {
        const Line2DRec line = line_of(source);
        set_line(*output, shifted(line.start, *first, *second), shifted(line.end, *first, *second));
    } else if (is_arc(source)) {
        const Point2DRec centre = shifted(Point2DRec{source.d1, source.d2}, *first, *second);
        output->d1 = centre.x;
        output->d2 = centre.y;
    }
}

OSMARK_API void ProfileEntityReflect(const ProfileEntityRec* entity, double value, int32_t axis,
                                     ProfileEntityRec* output) noexcept
{
    const ProfileEntityRec source = *entity;
    const double m = 2.0 * value;
    bool mirrored = false;
    if (axis == ReflectHorizontal) {
        mirrored = map_entity(
            source,
            [m](const Point2DRec& p) {
                return Point2DRec{p.x, m - p.y};
            },
            *output);
    } else if (axis == ReflectVertical) {
        mirrored = map_entity(
            source,
            [m](const Point2DRec& p) {
                return Point2DRec{m - p.x, p.y};
            },
            *output);
    } else {
        ProfileEntityCopy(output, &source);
    }
    // A mirror image runs the other way round its centre.
    if (mirrored && is_arc(source))
        output->direction = -direction_sign(source.direction);
}

OSMARK_API void ProfileRotate(const Profile* profile, const Point2DRec* centre, double angle,
                              Profile** output) noexcept
{
    if (centre == nullptr) {
        if (output != nullptr)
            *output = nullptr;
        return;
    }
    const Turn turn(*centre, angle);
    transform_profile(profile, output, [&turn](const ProfileEntityRec& e, ProfileEntityRec& out) {
        map_entity(e, turn, out);
    });
}

OSMARK_API void ProfileTranslate(const Profile* profile, const Point2DRec* first,
                                 const Point2DRec* second, Profile** output) noexcept
{
    if (first == nullptr || second == nullptr) {
        if (output != nullptr)
            *output = nullptr;
        return;
    }
    transform_profile(profile, output,
                      [first, second](const ProfileEntityRec& e, ProfileEntityRec& out) {
                          ProfileEntityTranslate(&e, first, second, &out);
                      });
}

OSMARK_API void ProfileReflect(const Profile* profile, double value, int32_t axis,
                               Profile** output) noexcept
{
    transform_profile(profile, output,
                      [value, axis](const ProfileEntityRec& e, ProfileEntityRec& out) {
                          ProfileEntityReflect(&e, value, axis, &out);
                      });
}
}
