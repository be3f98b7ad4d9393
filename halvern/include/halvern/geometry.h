/*
 * Geometry shared by all drawing code: polyline bulges and arcs, rational B-spline
 * curves and surfaces, the transformation matrix, and the intersections of lines,
 * rays, circles and arcs in the plane.
 *
 * Conventions: coordinates are drawing units, angles radians; arcs run counter-clockwise
 * for direction 1 and clockwise for -1. Two values are equal when their difference lies
 * strictly between -1e-6 and 1e-6 (spline knots within 1e-4). Intersections work in x
 * and y. Every output record belongs to the caller and is written only when the function
 * succeeds.
 */
#ifndef HALVERN_GEOMETRY_H
#define HALVERN_GEOMETRY_H

#include <stdint.h>

#include "halvern/api.h"
#include "halvern/types.h"

HALVERN_BEGIN_DECLS

/* A 4 by 4 transformation matrix, row-major: m[row][column]. A point (x, y, z) maps to
 * x' = m[0][0]x + m[0][1]y + m[0][2]z + m[0][3], y' and z' likewise from rows 1 and 2;
 * row 3 takes no part in mapping points. */
typedef struct DXFMatrixRec {
    double m[4][4];
} DXFMatrixRec;

/* A rational B-spline surface. Only the degrees, knots, counts, weights and points are
 * read by NURBEvaluate2; the parameter ranges and repeated counts sit where the IGES
 * surface data keeps them. */
typedef struct NURBSurfaceRec {
    int32_t ns_DegreeU;
    int32_t ns_DegreeV;
    double ns_StartU; /* parameter ranges as the source gives them */
    double ns_EndU;
    double ns_StartV;
    double ns_EndV;
    uint32_t ns_NumKnotsU; /* entries of ns_KnotsU: at least ns_NumU + ns_DegreeU + 1 */
    double* ns_KnotsU;
    uint32_t ns_NumKnotsV; /* entries of ns_KnotsV: at least ns_NumV + ns_DegreeV + 1 */
    double* ns_KnotsV;
    uint32_t ns_NumU; /* control points in the u direction */
    uint32_t ns_NumV; /* control points in the v direction */
    uint32_t ns_NumU2; /* the two counts once more, as the IGES surface data repeats them */
    uint32_t ns_NumV2;
    double** ns_Weights;     /* ns_NumU rows of ns_NumV weights, or NULL */
    Point3DRec** ns_Points;  /* ns_NumU rows of ns_NumV points */
} NURBSurfaceRec;

/* ---- Polyline bulges ----------------------------------------------------------------- */

/* Fills the ArcRec of item (its head is not touched) with the arc that first's bulge
 * describes from first to second: always counter-clockwise (ar_Dir 1), so for a
 * negative bulge it runs from second back to first; the centre takes first's z. The
 * angles of a half circle are normalised, the others are atan2 values (-pi to pi).
 * 1, or 0 with nothing written when the bulge is zero within 1e-6 or not a number. */
HALVERN_API int32_t CreateBulgeArc(const VertexRec* first, const VertexRec* second,
                                   ItemRec* item) HALVERN_NOEXCEPT;
/* The bulge of item's arc: tan of a quarter of its sweep, times ar_Dir as stored;
 * 0 for a full circle (or a NULL item). */
HALVERN_API double BulgeFromArc(const ItemRec* item) HALVERN_NOEXCEPT;

/* ---- Rational B-splines -------------------------------------------------------------- */

/* Cox-de Boor: fills out[0..count-1] with the basis values of order `order` (degree + 1)
 * at t over the order + count knots; with weights (count of them) the rational values,
 * all 0 when the weighted sum is 0. out must hold order + count - 1 values. Nothing is
 * written for a zero order or count or a NULL knots or out pointer. */
HALVERN_API void Basis(uint32_t order, double t, uint32_t count, const double* knots,
                       const double* weights, double* out) HALVERN_NOEXCEPT;

/* The point at t of a SPLINE item. scratch holds sp_NumPoints + sp_Degree + 2 values,
 * or is NULL to have it allocated here. out is unchanged when scratch cannot be
 * allocated, the item is not a SPLINE, or the spline is not well formed (no points, a
 * negative degree, fewer than sp_NumPoints + sp_Degree + 1 knots). Weights are used
 * when sp_Weights holds one per point (sp_NumWeights >= sp_NumPoints). */
HALVERN_API void NURBEvaluate(const ItemRec* item, double* scratch, double t,
                              Point3DRec* out) HALVERN_NOEXCEPT;

/* The point at (u, v) of the surface. su and sv are scratch space of ns_NumU + ns_DegreeU
 * + 2 and ns_NumV + ns_DegreeV + 2 values, or NULL to have them allocated here. out is
 * unchanged when scratch cannot be allocated or the surface is not well formed (too few
 * knots, a negative degree, no points). */
HALVERN_API void NURBEvaluate2(const NURBSurfaceRec* surface, double* su, double* sv, double u,
                               double v, Point3DRec* out) HALVERN_NOEXCEPT;

/* ---- Intersections in the plane ------------------------------------------------------ *
 * A ray is a point and a direction angle with a line flag: 0 the ray runs forward from
 * its point only, any other value the infinite line through it. A segment is two points.
 * Every function returns how many points it found (0, 1 or 2) and writes the first one
 * accepted to out1 and the second to out2; NULL outputs are counted but not written.
 * A NULL input point gives 0. */

/* The crossing of two infinite lines (z of p1); 0 for parallel lines. */
HALVERN_API int32_t DXFIntersectionPoint(const Point3DRec* p1, double angle1, const Point3DRec* p2,
                                         double angle2, Point3DRec* out) HALVERN_NOEXCEPT;
HALVERN_API int32_t DXFIntersectRayRay(const Point3DRec* p1, double angle1, int32_t line1,
                                       const Point3DRec* p2, double angle2, int32_t line2,
                                       Point3DRec* out) HALVERN_NOEXCEPT;
HALVERN_API int32_t DXFIntersectRayLine(const Point3DRec* point, double angle, int32_t line,
                                        const Point3DRec* start, const Point3DRec* end,
                                        Point3DRec* out) HALVERN_NOEXCEPT;
/* Points in the order of the ray's direction. */
HALVERN_API int32_t DXFIntersectRayCircle(const Point3DRec* point, double angle, int32_t line,
                                          const Point3DRec* centre, double radius,
                                          Point3DRec* out1, Point3DRec* out2) HALVERN_NOEXCEPT;
HALVERN_API int32_t DXFIntersectRayArc(const Point3DRec* point, double angle, int32_t line,
                                       const Point3DRec* centre, double radius, double start,
                                       double end, int32_t direction, Point3DRec* out1,
                                       Point3DRec* out2) HALVERN_NOEXCEPT;
/* Parallel segments give 0, overlapping collinear ones included. */
HALVERN_API int32_t DXFIntersectLineLine(const Point3DRec* start1, const Point3DRec* end1,
                                         const Point3DRec* start2, const Point3DRec* end2,
                                         Point3DRec* out) HALVERN_NOEXCEPT;
HALVERN_API int32_t DXFIntersectLineCircle(const Point3DRec* start, const Point3DRec* end,
                                           const Point3DRec* centre, double radius,
                                           Point3DRec* out1, Point3DRec* out2) HALVERN_NOEXCEPT;
HALVERN_API int32_t DXFIntersectLineArc(const Point3DRec* start, const Point3DRec* end,
                                        const Point3DRec* centre, double radius, double start_angle,
                                        double end_angle, int32_t direction, Point3DRec* out1,
                                        Point3DRec* out2) HALVERN_NOEXCEPT;
/* Circles that touch give one point; crossing circles give the point to the right of
 * the line from centre1 to centre2 first. Concentric circles (equal ones included) and
 * circles of zero radius give 0. Found points take centre1's z. */
HALVERN_API int32_t DXFIntersectCircleCircle(const Point3DRec* centre1, double radius1,
                                             const Point3DRec* centre2, double radius2,
                                             Point3DRec* out1, Point3DRec* out2) HALVERN_NOEXCEPT;
HALVERN_API int32_t DXFIntersectCircleArc(const Point3DRec* circle_centre, double circle_radius,
                                          const Point3DRec* arc_centre, double arc_radius,
                                          double start, double end, int32_t direction,
                                          Point3DRec* out1, Point3DRec* out2) HALVERN_NOEXCEPT;
HALVERN_API int32_t DXFIntersectArcArc(const Point3DRec* centre1, double radius1, double start1,
                                       double end1, int32_t direction1, const Point3DRec* centre2,
                                       double radius2, double start2, double end2,
                                       int32_t direction2, Point3DRec* out1,
                                       Point3DRec* out2) HALVERN_NOEXCEPT;

HALVERN_END_DECLS

#endif
