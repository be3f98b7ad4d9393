// Profile entities as the kernel's own code sees them: their line or arc data, their
// ends, and the entity tests and intersection without a point buffer.
#ifndef OSMARK_GEOMETRY_ENTITY_GEOMETRY_H
#define OSMARK_GEOMETRY_ENTITY_GEOMETRY_H

#include "geometry/point_set.h"
#include "osmark/geometry_types.h"

#include <cstdint>

namespace osmark::geometry {

inline bool is_line(const ProfileEntityRec& entity) noexcept
{
    return entity.type == EntityTypeLine;
}

inline bool is_arc(const ProfileEntityRec& entity) noexcept
{
    return entity.type == EntityTypeArc;
}

// The entity's data as a record (copied, so no record is read through another type).
inline Line2DRec line_of(const ProfileEntityRec& entity) noexcept
{
    return Line2DRec{Point2DRec{entity.d1, entity.d2}, Point2DRec{entity.d3, entity.d4}};
}

inline Arc2DRec arc_of(const ProfileEntityRec& entity) noexcept
{
    return Arc2DRec{Point2DRec{entity.d1, entity.d2}, entity.d3, entity.d4, entity.d5,
                    entity.direction};
}

// The tolerance of the entity tests (ProfileEntitySetAccuracy).
double entity_accuracy() noexcept;

// The point at t (clamped) of a line or an arc; false for other types.
bool entity_point(const ProfileEntityRec& entity, double t, Point2DRec& point) noexcept;
// The point on the entity within the entity accuracy; its parameter to the optional t.
bool point_on_entity(const ProfileEntityRec& entity, const Point2DRec& point,
                     double* t = nullptr) noexcept;
// The points where the entities meet (see ProfileEntityIntersect); the overlap flag is
// set to 0 for crossings and 1 for an overlap, and left alone otherwise.
PointSet entity_intersect(const ProfileEntityRec& a, const ProfileEntityRec& b,
                          int32_t* overlap) noexcept;

}

#endif
