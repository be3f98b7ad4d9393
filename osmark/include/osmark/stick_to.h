/*
 * Stick-to: the point of a segment, an infinite line, a circle or an arc that a given
 * point snaps to. The result goes to the output point; pointers are not tested.
 */
#ifndef OSMARK_STICK_TO_H
#define OSMARK_STICK_TO_H

#include "osmark/api.h"
#include "osmark/geometry_types.h"

OSMARK_BEGIN_DECLS

/* The foot of the perpendicular when it lies on the segment, else the nearer end (the
 * end point on a tie). */
OSMARK_API void StickToLine(const Point2DRec* point, const Point2DRec* start, const Point2DRec* end,
                            Point2DRec* output) OSMARK_NOEXCEPT;
/* The foot of the perpendicular on the infinite line through line_point at the angle. */
OSMARK_API void StickToRay(const Point2DRec* point, const Point2DRec* line_point, double angle,
                           Point2DRec* output) OSMARK_NOEXCEPT;
/* The point of the circle on the ray from the centre through the point (at angle 0 for
 * the centre itself). */
OSMARK_API void StickToCircle(const Point2DRec* point, const Point2DRec* centre, double radius,
                              Point2DRec* output) OSMARK_NOEXCEPT;
/* The point of the circle as for StickToCircle when it lies on the arc, else the
 * nearer end of the arc (the end point on a tie). */
OSMARK_API void StickToArc(const Point2DRec* point, const Point2DRec* centre, double radius,
                           double start, double end, int32_t direction,
                           Point2DRec* output) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
