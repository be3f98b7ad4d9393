/*
 * Lines and arcs of the profile geometry: measures, evaluation, point-on tests, the
 * relations of two lines or two arcs, and arc fitting.
 *
 * A line is given as its start and end points. An arc is given as its centre, radius,
 * start angle, end angle and direction; it runs from the start angle to the end angle,
 * counter-clockwise for a direction of 0 or more and clockwise for a negative one, and
 * its start point is centre + radius * (cos(start), sin(start)). A full circle runs
 * from 0 to 2*pi. Angles are radians.
 *
 * A parameter t runs from 0 at the start to 1 at the end; evaluations take t below
 * 1e-6 as 0 and t above 1 - 1e-6 as 1. The tolerance is the fixed absolute 1e-6.
 *
 * Points are written to caller records or appended to a point buffer; a NULL buffer
 * means the points are not wanted, and the counts are still returned. Pointers are not
 * tested for NULL except where an operation says so.
 */
#ifndef OSMARK_LINES_ARCS_H
#define OSMARK_LINES_ARCS_H

#include "osmark/api.h"
#include "osmark/geometry_types.h"
#include "osmark/point_buffers.h"

OSMARK_BEGIN_DECLS

/* ---- Lines ---- */

/* The distance; 0 when the points are equal within the tolerance (PointOnPoint). */
OSMARK_API double LineLength(const Point2DRec* p1, const Point2DRec* p2) OSMARK_NOEXCEPT;
/* The direction from p1 to p2 in [0, 2*pi]; 0 when the points are equal. */
OSMARK_API double LineAngle(const Point2DRec* p1, const Point2DRec* p2) OSMARK_NOEXCEPT;
/* The line counterpart of ArcEval: does nothing and returns 0. */
OSMARK_API int32_t LineEval(const Point2DRec* p1, const Point2DRec* p2, double t1, double t2,
                            uint32_t count, PointBuffer buffer) OSMARK_NOEXCEPT;
/*
 * Writes count records to output: the point at t; then, unless count is 1, the first
 * derivative p2 - p1 (as long as the line); then count - 2 zero vectors. A count of 0
 * writes two records.
 */
OSMARK_API void LinePoint(const Point2DRec* p1, const Point2DRec* p2, double t, uint32_t count,
                          Point2DRec* output) OSMARK_NOEXCEPT;
/* 1 when the point lies on the segment; the distance is measured vertically (along y),
 * except for a vertical segment. */
OSMARK_API int32_t PointOnLine(const Point2DRec* p1, const Point2DRec* p2,
                               const Point2DRec* point) OSMARK_NOEXCEPT;

/* Results of LineIsEmbedded and ArcIsEmbedded. */
enum EmbeddedRelation {
    EmbeddedNone = 0,
    EmbeddedFirstInSecond = 1,
    EmbeddedSecondInFirst = 2,
    EmbeddedSame = 3
};

OSMARK_API int32_t LineIsEmbedded(const Point2DRec* a1, const Point2DRec* a2, const Point2DRec* b1,
                                  const Point2DRec* b2) OSMARK_NOEXCEPT;
/*
 * Which ends meet, the first equal pair in this order: 1 a1 = b1, 2 a2 = b1, 3 a1 = b2,
 * 4 a2 = b2; its point of line a is appended. 0 when none meet or one line lies on the
 * other.
 */
OSMARK_API int32_t LineIsEndToEnd(const Point2DRec* a1, const Point2DRec* a2, const Point2DRec* b1,
                                  const Point2DRec* b2, PointBuffer buffer) OSMARK_NOEXCEPT;
/*
 * 2 when an end of each line lies on the other, with the two ends of the shared part
 * appended; else 0. Collinearity is not asked: lines that only share an end answer 2
 * with that point twice.
 */
OSMARK_API int32_t LineOverlap(const Point2DRec* a1, const Point2DRec* a2, const Point2DRec* b1,
                               const Point2DRec* b2, PointBuffer buffer) OSMARK_NOEXCEPT;

/* ---- Arcs ---- */

/* The angle swept from start to end in the direction, in (0, 2*pi]: equal angles give
 * 2*pi. 0 when start or end is +infinity. */
OSMARK_API double ArcAngle(double start, double end, int32_t direction) OSMARK_NOEXCEPT;
/* 1 when the angle lies on the arc from start to end in the direction (a full circle,
 * start equal to end, holds every angle). */
OSMARK_API int32_t AngleBetween(double start, double angle, double end,
                                int32_t direction) OSMARK_NOEXCEPT;
/* ArcAngle * radius. */
OSMARK_API double ArcLength(double radius, double start, double end,
                            int32_t direction) OSMARK_NOEXCEPT;
/* 1 when the point lies on the arc; 0 for a NULL centre or point. */
OSMARK_API int32_t PointOnArc(const Point2DRec* centre, double radius, double start, double end,
                              int32_t direction, const Point2DRec* point) OSMARK_NOEXCEPT;
/*
 * Writes count records to output: the point at t; then, unless count is 1, the unit
 * tangent in the direction of travel; then count - 2 zero vectors. A count of 0 writes
 * two records.
 */
OSMARK_API void ArcPoint(const Point2DRec* centre, double radius, double start, double end,
                         int32_t direction, double t, uint32_t count,
                         Point2DRec* output) OSMARK_NOEXCEPT;
/*
 * Appends count points of the arc from t1 to t2, evenly spaced, the first at t1 and
 * (for a count above 1) the last at t2; returns count. 0 for a NULL centre or buffer,
 * a count of 0 or a radius within the tolerance of 0.
 */
OSMARK_API int32_t ArcEval(const Point2DRec* centre, double radius, double start, double end,
                           int32_t direction, double t1, double t2, uint32_t count,
                           PointBuffer buffer) OSMARK_NOEXCEPT;
/* An EmbeddedRelation of two arcs on one circle; 0 for arcs on different circles. */
OSMARK_API int32_t ArcIsEmbedded(const Point2DRec* centre_a, double radius_a, double start_a,
                                 double end_a, int32_t direction_a, const Point2DRec* centre_b,
                                 double radius_b, double start_b, double end_b,
                                 int32_t direction_b) OSMARK_NOEXCEPT;
/*
 * Which ends meet: 1 start a = start b, 2 end a = start b, 3 start a = end b, 4 end a =
 * end b, 5 both ends of a meet both of b; each equal pair appends its point of arc a.
 * 0 for any other combination, or when one arc lies on the other.
 */
OSMARK_API int32_t ArcIsEndToEnd(const Point2DRec* centre_a, double radius_a, double start_a,
                                 double end_a, int32_t direction_a, const Point2DRec* centre_b,
                                 double radius_b, double start_b, double end_b, int32_t direction_b,
                                 PointBuffer buffer) OSMARK_NOEXCEPT;
/* LineOverlap for arcs, with PointOnArc for the ends; the circles are not compared. */
OSMARK_API int32_t ArcsOverlap(const Point2DRec* centre_a, double radius_a, double start_a,
                               double end_a, int32_t direction_a, const Point2DRec* centre_b,
                               double radius_b, double start_b, double end_b, int32_t direction_b,
                               PointBuffer buffer) OSMARK_NOEXCEPT;

/* ---- Arc fitting: 0 for any NULL pointer; outputs are undefined after a 0 ---- */

/*
 * 1 with the arc from start through middle to end; 0 for collinear points. The angles
 * are atan2's, in (-pi, pi].
 */
OSMARK_API int32_t FitArc3Points(const Point2DRec* start, const Point2DRec* middle,
                                 const Point2DRec* end, Point2DRec* centre, double* radius,
                                 double* start_angle, double* end_angle,
                                 int32_t* direction) OSMARK_NOEXCEPT;
/*
 * 2 with the two counter-clockwise arcs through both points that sweep the span (taken
 * through CorrectAngle): element 0 about the centre left of the chord from start to end,
 * element 1 right of it. 0 for equal points or a span that is no turn or a full turn.
 */
OSMARK_API int32_t FitArc2PointsSpan(const Point2DRec* start, const Point2DRec* end, double span,
                                     Point2DRec centres[2], double radii[2], double start_angles[2],
                                     double end_angles[2], int32_t directions[2]) OSMARK_NOEXCEPT;
/* 1 with the arc that leaves start along the tangent and ends at end; 0 for equal
 * points or a tangent along the chord. */
OSMARK_API int32_t FitArc2PointsVector(const Point2DRec* start, const Point2DRec* end,
                                       const Point2DRec* tangent, Point2DRec* centre,
                                       double* radius, double* start_angle, double* end_angle,
                                       int32_t* direction) OSMARK_NOEXCEPT;
/*
 * 1 with the arc about centre that starts at the point and sweeps the span in the
 * direction (a full circle 0 to 2*pi for a span of a full turn or more). 0 for
 * direction 0, and for a point on the centre, after the direction, centre and radius
 * were written.
 */
OSMARK_API int32_t FitArcCentrePointSpanDir(const Point2DRec* centre, const Point2DRec* point,
                                            double span, int32_t direction, Point2DRec* out_centre,
                                            double* radius, double* start_angle, double* end_angle,
                                            int32_t* out_direction) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
