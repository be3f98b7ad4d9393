/*
 * Transforms of the profile geometry: points, lines, profile entities and profiles
 * turned about a centre, moved by the displacement between two reference points, and
 * mirrored in a horizontal or vertical line.
 *
 * A translation moves by first - second. Angles are radians, counter-clockwise
 * positive. Reflection axis 1 mirrors in the horizontal line y = value, axis 2 in the
 * vertical line x = value; any other axis leaves the geometry as it is.
 *
 * Nothing returns a value. The point and line forms do nothing when a pointer is NULL;
 * the entity forms do not test their pointers. The profile forms set the output
 * pointer to NULL first and then to a new profile that the caller frees with
 * ProfileDelete; the source is never changed.
 */
#ifndef OSMARK_TRANSFORMS_H
#define OSMARK_TRANSFORMS_H

#include "osmark/api.h"
#include "osmark/geometry_types.h"

OSMARK_BEGIN_DECLS

/* Values of the reflection axis. */
enum ReflectionAxis {
    ReflectHorizontal = 1, /* in the line y = value */
    ReflectVertical = 2    /* in the line x = value */
};

OSMARK_API void PointRotate(double x, double y, const Point2DRec* centre, double angle,
                            Point2DRec* output) OSMARK_NOEXCEPT;
/* Turns count points into output, which may be the input array. */
OSMARK_API void PointsRotate(uint32_t count, const Point2DRec* points, const Point2DRec* centre,
                             double angle, Point2DRec* output) OSMARK_NOEXCEPT;
OSMARK_API void LineRotate(double x1, double y1, double x2, double y2, const Point2DRec* centre,
                           double angle, Point2DRec* output_start,
                           Point2DRec* output_end) OSMARK_NOEXCEPT;
OSMARK_API void PointTranslate(double x, double y, const Point2DRec* first,
                               const Point2DRec* second, Point2DRec* output) OSMARK_NOEXCEPT;
OSMARK_API void PointsTranslate(uint32_t count, const Point2DRec* points, const Point2DRec* first,
                                const Point2DRec* second, Point2DRec* output) OSMARK_NOEXCEPT;
OSMARK_API void LineTranslate(double x1, double y1, double x2, double y2, const Point2DRec* first,
                              const Point2DRec* second, Point2DRec* output_start,
                              Point2DRec* output_end) OSMARK_NOEXCEPT;

/*
 * The output becomes a copy of the entity (type, direction and user word), turned: an
 * arc keeps its radius and direction and takes its angles from its turned ends, in
 * [0, 2*pi]. An entity of type 0 is only copied.
 */
OSMARK_API void ProfileEntityRotate(const ProfileEntityRec* entity, const Point2DRec* centre,
                                    double angle, ProfileEntityRec* output) OSMARK_NOEXCEPT;
OSMARK_API void ProfileEntityTranslate(const ProfileEntityRec* entity, const Point2DRec* first,
                                       const Point2DRec* second,
                                       ProfileEntityRec* output) OSMARK_NOEXCEPT;
/* A mirrored arc runs from the image of its start to the image of its end, so its
 * direction is negated. */
OSMARK_API void ProfileEntityReflect(const ProfileEntityRec* entity, double value, int32_t axis,
                                     ProfileEntityRec* output) OSMARK_NOEXCEPT;

/* A new profile with the source's ID and accuracy and its entities transformed, in
 * order; NULL in *output when the source is NULL or memory runs out. */
OSMARK_API void ProfileRotate(const Profile* profile, const Point2DRec* centre, double angle,
                              Profile** output) OSMARK_NOEXCEPT;
OSMARK_API void ProfileTranslate(const Profile* profile, const Point2DRec* first,
                                 const Point2DRec* second, Profile** output) OSMARK_NOEXCEPT;
OSMARK_API void ProfileReflect(const Profile* profile, double value, int32_t axis,
                               Profile** output) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
