/*
 * Profile entities: one line or arc of a profile (ProfileEntityRec, geometry_types.h),
 * with evaluation, length, extents, point-on tests, closest point, reversal, moving an
 * end, splitting and intersecting. Entities are plain records owned by the caller.
 *
 * The entity accuracy (one process-wide value, initially 1e-6, unguarded) is the
 * tolerance of the three geometric tests: equal points, point on a line and point on an
 * arc, all strict. Every other comparison uses the fixed 1e-6.
 *
 * A NULL record or output, or an entity of type 0, gives 0 (or does nothing) unless an
 * operation says otherwise. t runs from 0 at the start to 1 at the end.
 */
#ifndef OSMARK_PROFILE_ENTITIES_H
#define OSMARK_PROFILE_ENTITIES_H

#include "osmark/api.h"
#include "osmark/geometry_types.h"
#include "osmark/point_buffers.h"

OSMARK_BEGIN_DECLS

/* Stores the entity accuracy (a negative value as 0); returns the previous one. */
OSMARK_API double ProfileEntitySetAccuracy(double accuracy) OSMARK_NOEXCEPT;
/* Sets the type to 0; returns the entity. */
OSMARK_API ProfileEntityRec* ProfileEntityInitialise(ProfileEntityRec* entity) OSMARK_NOEXCEPT;
/* Copies the whole record; 0 (destination untouched) for a source type above 2. */
OSMARK_API int32_t ProfileEntityCopy(ProfileEntityRec* destination,
                                     const ProfileEntityRec* source) OSMARK_NOEXCEPT;
OSMARK_API double ProfileEntityLength(const ProfileEntityRec* entity) OSMARK_NOEXCEPT;
/*
 * Evaluates at t: mode 1 writes the point, mode 2 the point and the tangent in the
 * direction of travel (a line's is as long as the line, an arc's is a unit vector);
 * see LinePoint and ArcPoint for other modes. 1, or 0.
 */
OSMARK_API int32_t ProfileEntityPoint(const ProfileEntityRec* entity, double t, uint32_t mode,
                                      Point2DRec* output) OSMARK_NOEXCEPT;
/* The tangent vector of mode 2 at t; 1, or 0. */
OSMARK_API int32_t ProfileEntityTangent(const ProfileEntityRec* entity, double t,
                                        Point2DRec* output) OSMARK_NOEXCEPT;
/* The point of the entity that the point snaps to (StickToLine, StickToArc). */
OSMARK_API void ProfileEntityPointClosestTo(const ProfileEntityRec* entity, const Point2DRec* point,
                                            Point2DRec* output) OSMARK_NOEXCEPT;
/* A line swaps its ends; an arc swaps its angles and negates its direction. */
OSMARK_API void ProfileEntityReverse(ProfileEntityRec* entity) OSMARK_NOEXCEPT;
/* Zeroes the extents, then fills them; 1, or 0 (extents zero) for type 0. */
OSMARK_API int32_t ProfileEntityExtents(const ProfileEntityRec* entity,
                                        Rectangle2DRec* extents) OSMARK_NOEXCEPT;
/*
 * 1 when the point lies on the entity within the entity accuracy; then the point's
 * parameter goes to the optional t (a point at an arc's start is at 0).
 */
OSMARK_API int32_t PointOnProfileEntity(const ProfileEntityRec* entity, const Point2DRec* point,
                                        double* t) OSMARK_NOEXCEPT;
/*
 * Of the count points, the one on the entity nearest its start (from_start set) or its
 * end goes to output; a point equal to that end is passed over unless keep_end is set.
 * A later point must be nearer by at least 1e-6 in t to win. 1 when a point was found;
 * 0 with the first point in output when none was, and 0 with nothing read or written
 * for a count of 0.
 */
OSMARK_API int32_t ProfileEntityFirstPointOn(const ProfileEntityRec* entity,
                                             const Point2DRec* points, uint32_t count,
                                             int32_t from_start, int32_t keep_end,
                                             Point2DRec* output) OSMARK_NOEXCEPT;
/*
 * Moves the start (which_end non-zero) or the end (0) to the point. A line answers 0
 * when its ends are then equal (the move is kept). An arc is fitted anew through its
 * new ends, keeping its start tangent; 0 with the entity unchanged when that fails.
 */
OSMARK_API int32_t ProfileEntityChangeEndPoint(ProfileEntityRec* entity, int32_t which_end,
                                               const Point2DRec* point) OSMARK_NOEXCEPT;
/* parts[0] = the entity up to the point, parts[1] = the entity from the point. */
OSMARK_API int32_t ProfileEntitySplit(const ProfileEntityRec* entity, const Point2DRec* point,
                                      ProfileEntityRec parts[2]) OSMARK_NOEXCEPT;
/*
 * The number of points where the entities meet, appended to the optional output. When
 * they do not cross, two lines or two arcs that overlap give the two ends of the shared
 * part, count 2 and the optional overlap flag 1; a crossing sets the flag to 0; no
 * point leaves it alone.
 */
OSMARK_API int32_t ProfileEntityIntersect(const ProfileEntityRec* a, const ProfileEntityRec* b,
                                          PointBuffer output, int32_t* overlap) OSMARK_NOEXCEPT;
/* Does nothing: the step the profiles run on an entity before they drop it. */
OSMARK_API void ProfileEntityClean(ProfileEntityRec* entity) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
