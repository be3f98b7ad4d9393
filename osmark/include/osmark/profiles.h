/*
 * Profiles: ordered chains of profile entities, open or closed (Profile,
 * geometry_types.h), with their area and direction, perimeter, extents, centre of
 * gravity and intersections.
 *
 * The derived values are cached in the record: each query fills its value and sets its
 * cache flag, and every addition or removal of an entity (and a reversal) clears the
 * cache. An entity changed in place through ProfileEntity leaves the cache as it was.
 * A profile belongs to one thread at a time; queries write the cache.
 *
 * NULL arguments give the neutral results stated; no operation sets an error code.
 */
#ifndef OSMARK_PROFILES_H
#define OSMARK_PROFILES_H

#include "osmark/api.h"
#include "osmark/geometry_types.h"
#include "osmark/point_buffers.h"

OSMARK_BEGIN_DECLS

/* A new empty profile (accuracy 1e-6, everything else 0); NULL when memory runs out.
 * Free it with ProfileDelete. */
OSMARK_API Profile* ProfileCreate(void) OSMARK_NOEXCEPT;
/* Frees the profile and its entities; NULL is ignored. */
OSMARK_API void ProfileDelete(Profile* profile) OSMARK_NOEXCEPT;
/*
 * A new profile with the source's identity, accuracy, direction and cached values and
 * a copy of each entity (so its cache ends clear when the source has entities); a NULL
 * source gives a new empty profile. NULL when memory runs out. Free it with
 * ProfileDelete.
 */
OSMARK_API Profile* ProfileCopy(const Profile* profile) OSMARK_NOEXCEPT;
/* Appends a copy of an entity of type 0, 1 or 2; other types are ignored. */
OSMARK_API void ProfileAdd(Profile* profile, const ProfileEntityRec* entity) OSMARK_NOEXCEPT;
OSMARK_API void ProfileAddLine(Profile* profile, double x1, double y1, double x2, double y2,
                               uint32_t user) OSMARK_NOEXCEPT;
/* A direction of 0 or more is stored as +1, a negative one as -1. */
OSMARK_API void ProfileAddArc(Profile* profile, double centre_x, double centre_y, double radius,
                              double start_angle, double end_angle, int32_t direction,
                              uint32_t user) OSMARK_NOEXCEPT;
/* Removes the entity at index; later entities move down one place. */
OSMARK_API void ProfileRemove(Profile* profile, uint32_t index) OSMARK_NOEXCEPT;
OSMARK_API uint32_t ProfileEntityCount(const Profile* profile) OSMARK_NOEXCEPT;
/* The entity at index in place, valid while entities are only appended; NULL for an
 * index not below the count. */
OSMARK_API ProfileEntityRec* ProfileEntity(const Profile* profile, uint32_t index) OSMARK_NOEXCEPT;
/* The type of the entity at index; 0 when there is none. */
OSMARK_API uint32_t ProfileEntityType(const Profile* profile, uint32_t index) OSMARK_NOEXCEPT;
/* The ID; 0 for NULL. The same routine as PointBufferGetCount: both read the second
 * 32-bit field. */
OSMARK_API int32_t ProfileID(const Profile* profile) OSMARK_NOEXCEPT;
/* The parent ID, the third 32-bit field; 0 for NULL. */
OSMARK_API int32_t ProfileParentID(const Profile* profile) OSMARK_NOEXCEPT;
/* The level; -1 for NULL. */
OSMARK_API int32_t ProfileLevel(const Profile* profile) OSMARK_NOEXCEPT;
/*
 * The enclosed area, positive once the direction is known. Also settles the direction:
 * +1 for a counter-clockwise profile, -1 for a clockwise one; an area within 1e-6 of 0
 * leaves the direction as it was.
 */
OSMARK_API double ProfileArea(Profile* profile) OSMARK_NOEXCEPT;
/* The direction, computing the area first when it is not cached; 0 for NULL. */
OSMARK_API int32_t ProfileDir(Profile* profile) OSMARK_NOEXCEPT;
/* The sum of the entity lengths. */
OSMARK_API double ProfilePerimeter(Profile* profile) OSMARK_NOEXCEPT;
/*
 * 1 when the profile is open (its direction becomes 0), 0 when closed: one entity
 * closes only as a full circle; more close when the first start and the last end are
 * equal within the profile's accuracy. A NULL or empty profile is open.
 */
OSMARK_API int32_t ProfileOpen(Profile* profile) OSMARK_NOEXCEPT;
/* 1 when the profiles have equal entities, index by index, within a's accuracy. */
OSMARK_API int32_t ProfileCmp(const Profile* a, const Profile* b) OSMARK_NOEXCEPT;
/* Copies the extents of the entities to the caller's record; 1, or 0 with the record
 * untouched when no entity has extents. */
OSMARK_API int32_t ProfileExtents(Profile* profile, Rectangle2DRec* extents) OSMARK_NOEXCEPT;
/* The address of the profile's centre-of-gravity field, computed; (0, 0) for an area
 * within 1e-6 of 0. For NULL, a shared point (0, 0) that callers must not change. */
OSMARK_API Point2DRec* ProfileCentreOfGravity(Profile* profile) OSMARK_NOEXCEPT;
/* 1 when the point lies on any entity (PointOnProfileEntity). */
OSMARK_API int32_t PointOnProfile(const Profile* profile, const Point2DRec* point) OSMARK_NOEXCEPT;
/* Reverses every entity and their order, so the profile runs the other way. */
OSMARK_API void ProfileReverse(Profile* profile) OSMARK_NOEXCEPT;
/*
 * Intersections of an entity with the profile's entities, in order. With exclude_ends
 * set, entities of the profile count only from the first point found that is not an
 * end of the given entity on. With all set and an output, the points of every counting
 * entity are appended and their number returned; otherwise 1 at the first counting
 * entity, else 0.
 */
OSMARK_API int32_t ProfileProfileEntityIntersect(const Profile* profile,
                                                 const ProfileEntityRec* entity, int32_t all,
                                                 int32_t exclude_ends,
                                                 PointBuffer output) OSMARK_NOEXCEPT;
/* ProfileProfileEntityIntersect(b, each entity of a, all, 0, output), summed; without
 * all or an output, 1 at the first entity of a that meets b. */
OSMARK_API int32_t ProfileProfileIntersect(const Profile* a, const Profile* b, int32_t all,
                                           PointBuffer output) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
