/*
 * Intersections of the profile geometry: where segments, infinite lines, circles and
 * arcs meet, and where a segment or an arc crosses a horizontal or vertical scan line.
 *
 * An infinite line is given as a point and a direction angle (called a ray in the
 * names, but unbounded both ways); a circle as a centre and a radius. Points found are
 * appended to the buffer in the order each operation states; a NULL buffer means they
 * are not wanted, and the count is still returned. Degenerate input (zero radii,
 * concentric arcs, parallel lines) gives 0 points. The tolerance is the fixed 1e-6.
 */
#ifndef OSMARK_INTERSECTIONS_H
#define OSMARK_INTERSECTIONS_H

#include "osmark/api.h"
#include "osmark/geometry_types.h"
#include "osmark/point_buffers.h"

OSMARK_BEGIN_DECLS

/* Results of IntersectionPoint. */
enum IntersectionKind {
    IntersectionNone = 0,     /* parallel, apart */
    IntersectionCrossing = 1, /* the crossing of the infinite lines */
    IntersectionTouching = 2  /* parallel, and b1 (else b2) lies on segment a */
};

/* The crossing of the infinite lines through a1, a2 and through b1, b2, written to the
 * optional output. */
OSMARK_API int32_t IntersectionPoint(const Point2DRec* a1, const Point2DRec* a2,
                                     const Point2DRec* b1, const Point2DRec* b2,
                                     Point2DRec* output) OSMARK_NOEXCEPT;
/* 0 or 1: the one point where two segments cross or meet end to end (collinear
 * segments that overlap give 0). 0 for a NULL segment. */
OSMARK_API int32_t IntersectLineLine(const Line2DRec* a, const Line2DRec* b,
                                     PointBuffer buffer) OSMARK_NOEXCEPT;
/* 0 or 1: the crossing of two infinite lines. */
OSMARK_API int32_t IntersectRayRay(const Point2DRec* p1, double angle1, const Point2DRec* p2,
                                   double angle2, PointBuffer buffer) OSMARK_NOEXCEPT;
/* 0, 1 (tangent) or 2, the second the first mirrored in the foot of the perpendicular
 * from the centre, the first further along the line's direction. */
OSMARK_API int32_t IntersectRayCircle(const Point2DRec* p, double angle, const Point2DRec* centre,
                                      double radius, PointBuffer buffer) OSMARK_NOEXCEPT;
/* IntersectRayCircle's points that lie on the arc. */
OSMARK_API int32_t IntersectRayArc(const Point2DRec* p, double angle, const Point2DRec* centre,
                                   double radius, double start, double end, int32_t direction,
                                   PointBuffer buffer) OSMARK_NOEXCEPT;
/* 0, 1 (tangent) or 2, counter-clockwise of the line from centre 1 to centre 2 first.
 * Circles on one another give 0. */
OSMARK_API int32_t IntersectCircleCircle(const Point2DRec* centre1, double radius1,
                                         const Point2DRec* centre2, double radius2,
                                         PointBuffer buffer) OSMARK_NOEXCEPT;
/* 0 to 2: IntersectRayCircle's points on both the segment and the arc. 0 for NULL. */
OSMARK_API int32_t IntersectLineArc(const Line2DRec* line, const Arc2DRec* arc,
                                    PointBuffer buffer) OSMARK_NOEXCEPT;
/*
 * 0 to 2: the crossings of two arcs, clockwise of the line from centre a to centre b
 * first (the reverse of IntersectCircleCircle). Circles that do not meet give the ends
 * that meet, up to 4. Concentric arcs give 0. 0 for NULL.
 */
OSMARK_API int32_t IntersectArcArc(const Arc2DRec* a, const Arc2DRec* b,
                                   PointBuffer buffer) OSMARK_NOEXCEPT;
/*
 * 0 or 1: where the segment crosses the horizontal line at y (IntersectXLine: the
 * vertical line at x). A segment along the line never crosses it; an end on the line
 * counts only when the segment goes on above it (to the right of it), so that a vertex
 * on the line counts once where the outline passes through and zero or two times
 * where it only touches, as a crossing-parity test needs.
 */
OSMARK_API int32_t IntersectYLine(double y, const Line2DRec* line,
                                  PointBuffer buffer) OSMARK_NOEXCEPT;
OSMARK_API int32_t IntersectXLine(double x, const Line2DRec* line,
                                  PointBuffer buffer) OSMARK_NOEXCEPT;
/*
 * 0 to 2: where the arc crosses the horizontal line at y, the point of greater x first
 * (IntersectXArc: the vertical line at x, the point of greater y first). A tangent line
 * gives 0; when an end of the arc lies on the line, a crossing counts only when the arc
 * goes on above it (to the right of it).
 */
OSMARK_API int32_t IntersectYArc(double y, const Arc2DRec* arc, PointBuffer buffer) OSMARK_NOEXCEPT;
OSMARK_API int32_t IntersectXArc(double x, const Arc2DRec* arc, PointBuffer buffer) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
