/*
 * Distances of the profile geometry: the shortest distance between a point and a
 * segment, two segments, a segment and a circle or an arc, two arcs, two circles, two
 * profile entities and two profiles; and the axis distance, how far one entity or
 * profile must move along x (mode 1) or y (mode 2) to touch the other.
 *
 * Elements that meet are at distance 0. An arc is given as its centre, radius, start
 * angle, end angle and direction, a circle as its centre and radius. Every minimum is
 * taken the same way: a later candidate must be smaller by at least 1e-6 to replace the
 * best, so of equal candidates the first stays. The element operations do not test
 * their pointers.
 */
#ifndef OSMARK_DISTANCES_H
#define OSMARK_DISTANCES_H

#include "osmark/api.h"
#include "osmark/geometry_types.h"

OSMARK_BEGIN_DECLS

/* Modes of DistanceProfileEntityEntity and DistanceProfileProfile. */
enum DistanceMode {
    DistanceAlongX = 1,
    DistanceAlongY = 2,
    DistanceShortest = 3
};

OSMARK_API double DistancePointLine(const Point2DRec* point, const Point2DRec* start,
                                    const Point2DRec* end) OSMARK_NOEXCEPT;
/* 0 when the segments cross, meet or overlap. */
OSMARK_API double DistanceLineLine(const Point2DRec* a_start, const Point2DRec* a_end,
                                   const Point2DRec* b_start,
                                   const Point2DRec* b_end) OSMARK_NOEXCEPT;
/* A segment inside the circle is as far from it as its nearest point. */
OSMARK_API double DistanceLineCircle(const Point2DRec* start, const Point2DRec* end,
                                     const Point2DRec* centre, double radius) OSMARK_NOEXCEPT;
OSMARK_API double DistanceLineArc(const Point2DRec* start, const Point2DRec* end,
                                  const Point2DRec* centre, double radius, double start_angle,
                                  double end_angle, int32_t direction) OSMARK_NOEXCEPT;
OSMARK_API double DistanceArcArc(const Point2DRec* centre_a, double radius_a, double start_a,
                                 double end_a, int32_t direction_a, const Point2DRec* centre_b,
                                 double radius_b, double start_b, double end_b,
                                 int32_t direction_b) OSMARK_NOEXCEPT;
/* For one circle inside the other, the gap between them. */
OSMARK_API double DistanceCircleCircle(const Point2DRec* centre1, double radius1,
                                       const Point2DRec* centre2, double radius2) OSMARK_NOEXCEPT;
/* By the entity types; 0 for an entity of type 0. */
OSMARK_API double DistanceEntityEntity(const ProfileEntityRec* a,
                                       const ProfileEntityRec* b) OSMARK_NOEXCEPT;

/*
 * The axis distance in mode 1 or 2. *distance is set to 0 first; the result is the
 * mode when a move along the axis can bring the entities together, with the gap in
 * *distance (+infinity where they can meet but no move closes a gap, as for two arcs
 * touching straight across the axis), else 0. 0 with nothing written for a NULL
 * distance; 0 with 0 for a NULL entity, an entity of type 0 or another mode.
 */
OSMARK_API int32_t DistanceProfileEntityEntity(const ProfileEntityRec* a, const ProfileEntityRec* b,
                                               int32_t mode, double* distance) OSMARK_NOEXCEPT;
/*
 * Mode 3: the shortest distance between any two entities, result 3. Modes 1 and 2: the
 * smallest finite axis distance of any pair, result the mode. 0 with *distance 0 when
 * no pair gave one (or for a NULL distance, which is not written).
 */
OSMARK_API int32_t DistanceProfileProfile(const Profile* a, const Profile* b, int32_t mode,
                                          double* distance) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
