/*
 * Vectors, points and extents of the profile geometry.
 *
 * One record, Point2DRec, serves for points and for vectors (displacements). Every
 * operation takes its inputs by pointer and writes its result into the caller's out
 * record, which may be one of the inputs. Extents are a Rectangle2DRec: minimum x and
 * y, then maximum x and y.
 *
 * The tolerance is the fixed absolute 1e-6: a value lies within it of v when it is
 * strictly between v - 1e-6 and v + 1e-6. Angles are radians. The tests answer 0 or 1.
 * Pointers are not tested for NULL except where a parameter is marked optional.
 */
#ifndef OSMARK_VECTORS_H
#define OSMARK_VECTORS_H

#include "osmark/api.h"
#include "osmark/geometry_types.h"

OSMARK_BEGIN_DECLS

/* out = b - a, the vector from point a to point b. */
OSMARK_API void VectorPntToPnt(const Point2DRec* a, const Point2DRec* b,
                               Point2DRec* out) OSMARK_NOEXCEPT;
OSMARK_API void VectorNegate(const Point2DRec* v, Point2DRec* out) OSMARK_NOEXCEPT;
OSMARK_API void VectorPntPlusVec(const Point2DRec* p, const Point2DRec* v,
                                 Point2DRec* out) OSMARK_NOEXCEPT;
OSMARK_API void VectorPntMinusVec(const Point2DRec* p, const Point2DRec* v,
                                  Point2DRec* out) OSMARK_NOEXCEPT;
OSMARK_API void VectorVecPlusVec(const Point2DRec* a, const Point2DRec* b,
                                 Point2DRec* out) OSMARK_NOEXCEPT;
OSMARK_API void VectorVecMinusVec(const Point2DRec* a, const Point2DRec* b,
                                  Point2DRec* out) OSMARK_NOEXCEPT;
/* out = factor * v. */
OSMARK_API void VectorScaleVec(double factor, const Point2DRec* v, Point2DRec* out) OSMARK_NOEXCEPT;
OSMARK_API double VectorVecDotVec(const Point2DRec* a, const Point2DRec* b) OSMARK_NOEXCEPT;
/* a.x * b.y - a.y * b.x: positive when b lies counter-clockwise of a. */
OSMARK_API double VectorVecCrossVec(const Point2DRec* a, const Point2DRec* b) OSMARK_NOEXCEPT;
OSMARK_API void VectorLengthAngleToVec(double length, double angle,
                                       Point2DRec* out) OSMARK_NOEXCEPT;
OSMARK_API void VectorUnitVecAtAngle(double angle, Point2DRec* out) OSMARK_NOEXCEPT;
OSMARK_API double VectorModulus(const Point2DRec* v) OSMARK_NOEXCEPT;
/* v turned clockwise (Minus90) or counter-clockwise (Plus90) by a right angle; the
 * length is kept, not normalised. */
OSMARK_API void VectorUnitVecMinus90(const Point2DRec* v, Point2DRec* out) OSMARK_NOEXCEPT;
OSMARK_API void VectorUnitVecPlus90(const Point2DRec* v, Point2DRec* out) OSMARK_NOEXCEPT;
/* v turned counter-clockwise by the angle. */
OSMARK_API void VectorRotateVec(const Point2DRec* v, double angle, Point2DRec* out) OSMARK_NOEXCEPT;
/* 1 when the modulus lies within the tolerance of 0 (of 1). */
OSMARK_API int32_t VectorIsZeroVec(const Point2DRec* v) OSMARK_NOEXCEPT;
OSMARK_API int32_t VectorIsUnitVec(const Point2DRec* v) OSMARK_NOEXCEPT;
/* v divided by its modulus; (0, 0) for a zero vector. */
OSMARK_API void VectorUnitize(const Point2DRec* v, Point2DRec* out) OSMARK_NOEXCEPT;
/* The direction of v in [0, 2*pi] (through CorrectAngle); 0 for a zero vector. */
OSMARK_API double VectorAngleOfVec(const Point2DRec* v) OSMARK_NOEXCEPT;
/* The unsigned angle between a and b in [0, pi]; 0 when either is a zero vector. */
OSMARK_API double VectorAngleBetweenVecs(const Point2DRec* a, const Point2DRec* b) OSMARK_NOEXCEPT;
/* The counter-clockwise angle from a to b in [0, 2*pi); parallel vectors give 0,
 * anti-parallel ones pi. */
OSMARK_API double VectorAngleBetweenVecsCCW(const Point2DRec* a,
                                            const Point2DRec* b) OSMARK_NOEXCEPT;
/* Direction tests on the unit vectors; a zero vector is parallel to a zero vector and
 * perpendicular to every vector. */
OSMARK_API int32_t VectorAreVecsParallel(const Point2DRec* a, const Point2DRec* b) OSMARK_NOEXCEPT;
OSMARK_API int32_t VectorAreVecsAntiParallel(const Point2DRec* a,
                                             const Point2DRec* b) OSMARK_NOEXCEPT;
OSMARK_API int32_t VectorAreVecsPerpendicular(const Point2DRec* a,
                                              const Point2DRec* b) OSMARK_NOEXCEPT;

/* 1 when both coordinates differ by less than the tolerance (a square, not a circle). */
OSMARK_API int32_t PointOnPoint(const Point2DRec* a, const Point2DRec* b) OSMARK_NOEXCEPT;
/*
 * The index of the point of points[0 .. count - 1] nearest to point, or -1 when there
 * is none. A later point must be nearer by at least the tolerance to win, so of points
 * at equal distance the first wins. The point and its distance are copied to the
 * optional out_point and out_distance.
 */
OSMARK_API int32_t PointClosest(const Point2DRec* point, const Point2DRec* points, uint32_t count,
                                Point2DRec* out_point, double* out_distance) OSMARK_NOEXCEPT;

/* Grows the extents to take in the point (or the other extents); a point within the
 * tolerance outside leaves them unchanged. Start from a real box, as a rule minimum and
 * maximum both at the first point. */
OSMARK_API void ExtentsAppendPoint(Rectangle2DRec* extents,
                                   const Point2DRec* point) OSMARK_NOEXCEPT;
OSMARK_API void ExtentsAppend(Rectangle2DRec* extents, const Rectangle2DRec* other) OSMARK_NOEXCEPT;
/* 1 when the extents overlap or touch (or are apart by less than the tolerance). */
OSMARK_API int32_t ExtentsIntersect(const Rectangle2DRec* a,
                                    const Rectangle2DRec* b) OSMARK_NOEXCEPT;

/* Results of ExtentsCmp. */
enum ExtentsRelation {
    ExtentsApart = 0,
    ExtentsContains = 1, /* a extends beyond b on all four sides */
    ExtentsInside = 2,   /* a lies inside b; equal extents answer this */
    ExtentsOverlap = 3
};

OSMARK_API int32_t ExtentsCmp(const Rectangle2DRec* a, const Rectangle2DRec* b) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
