/*
 * One item seen as a curve (its ends, its parameter range, the point at a parameter or
 * at a distance along it, reversing it, testing a point on it, cutting a polyline into
 * its segments), and the point buffer that the intersections fill.
 *
 * Parameters of an item:
 *   POINT      0 to 0
 *   LINE       0 (start) to 1 (end)
 *   ARC        angles: the smaller and the larger of the two normalised end angles,
 *   ELLIPSE    whatever the direction (a full circle from 0 to 2*pi has the range 0 to 0)
 *   SPLINE     the first to the last knot
 *   POLYLINE   0 to the sum over its segments of 1 for a straight segment and the
 *              angle range of the arc for a bulged one
 * Segment k of a polyline runs from vertex k-1 to vertex k; it is straight when the
 * bulge of vertex k-1 is zero within 1e-6, otherwise it is the arc of CreateBulgeArc.
 *
 * Coordinates are drawing units, angles radians, tolerances 1e-6 in x and y. None of
 * these functions records an error code: they report failure by their result.
 */
#ifndef HALVERN_ITEM_GEOMETRY_H
#define HALVERN_ITEM_GEOMETRY_H

#include <stdint.h>

#include "halvern/api.h"
#include "halvern/items.h"
#include "halvern/types.h"
#include "osmark/memory.h"
#include "osmark/numbers.h"

HALVERN_BEGIN_DECLS

/* ---- Items as curves ----------------------------------------------------------------- */

/* The start point of a POINT, LINE, ARC, POLYLINE, ELLIPSE or SPLINE (the first control
 * point). 1, or 0 with out unwritten for NULL arguments, other types and a POLYLINE or
 * SPLINE without points. */
HALVERN_API int32_t DXFItemStart(const ItemRec* item, Point3DRec* out) HALVERN_NOEXCEPT;
/* The end point, as DXFItemStart. */
HALVERN_API int32_t DXFItemEnd(const ItemRec* item, Point3DRec* out) HALVERN_NOEXCEPT;

/* The item's parameter range (see above). 1, or 0 with nothing written for NULL
 * arguments, other types and a SPLINE without knots. */
HALVERN_API int32_t DXFItemStartEndParameter(const ItemRec* item, double* start,
                                             double* end) HALVERN_NOEXCEPT;

/* The point at a parameter: LINE start + t * (end - start); ARC the point at angle t;
 * ELLIPSE the point at parameter t (z follows the major axis); SPLINE the curve point;
 * POLYLINE the segment that the parameter reaches, a bulged one travelled from its
 * first vertex to its second in proportion to its parameter span, and past the last
 * segment the last vertex. 1, or 0 with out unwritten for other types, a POLYLINE
 * without vertices and a SPLINE that is not well formed. */
HALVERN_API int32_t DXFItemEvaluate(const ItemRec* item, double t,
                                    Point3DRec* out) HALVERN_NOEXCEPT;

/* Reverses the item in place so that it runs from its old end to its old start, the
 * same curve: LINE ends exchanged; ARC and ELLIPSE start and end exchanged, direction
 * negated; POLYLINE vertices in reverse order with each segment's bulge moved to its new
 * first vertex and negated; SPLINE points, weights and the two end tangents (negated) in
 * reverse order and the knots mirrored within their range. 1, or 0 for NULL and other
 * types. */
HALVERN_API int32_t DXFItemReverse(ItemRec* item) HALVERN_NOEXCEPT;

/* 1 when point lies on the LINE, ARC or POLYLINE within 1e-6; 0 otherwise (other types
 * and NULL arguments included). */
HALVERN_API int32_t DXFPointOnItem(const ItemRec* item, const Point3DRec* point) HALVERN_NOEXCEPT;

/* Segment index (from vertex index to vertex index + 1; negative: the last segment) of
 * a POLYLINE as a new LINE or ARC item from pool, with the polyline's layer, colour and
 * line type. It belongs to no buffer; it goes with the pool (or FreeVecPooled). NULL
 * for another type, fewer than two vertices, an index past the last segment, a segment
 * whose arc cannot be made, or when memory fails. */
HALVERN_API ItemRec* DXFExpandPolyItem(const ItemRec* item, int32_t index,
                                       Pool* pool) HALVERN_NOEXCEPT;

/* The point at distance (along the curve, in x and y) from the start (fromStart
 * non-zero) or from the end of a POINT, LINE, ARC or POLYLINE. 1, or 0 with out
 * unwritten for other types, NULL arguments and a distance beyond a polyline's length
 * (its whole length included, within 1e-6). */
HALVERN_API int32_t DXFItemArcLengthPoint(const ItemRec* item, double distance, int32_t fromStart,
                                          Point3DRec* out) HALVERN_NOEXCEPT;

/*
 * One step along an item from position, measured from its start (fromStart non-zero)
 * or from its end:
 *   POINT     the point; length and parameter 0.
 *   LINE      the far end; length the line's length, parameter 1 from the start and 0
 *             from the end.
 *   ARC,      with (lo, hi) its parameter range: a step <= 0 goes to hi from the start
 *   ELLIPSE   and to lo from the end; otherwise to lo + position + step (limited to hi)
 *             or hi - position - step (limited to lo). Length and parameter unwritten.
 *   POLYLINE  the step on the segment that position reaches (positions in parameter
 *             units); 0 when no segment is reached.
 *   SPLINE    1 and nothing written.
 * Returns 1 with the point reached in out, or 0 for other types and NULL arguments.
 * length and parameter may be NULL.
 */
HALVERN_API int32_t DXFItemNextBreak(const ItemRec* item, double step, int32_t fromStart,
                                     double position, double* length, double* parameter,
                                     Point3DRec* out) HALVERN_NOEXCEPT;

/* ---- Point buffers ------------------------------------------------------------------- */

/* A growable array of points. pb_Points is its own AllocVec block of pb_Max points, of
 * which the first pb_N are in use; pb_Size is the growth step (at least 10 is used). */
typedef struct DXFPointBufferRec {
    int32_t pb_Size;
    int32_t pb_N;
    int32_t pb_Max;
    Point3DRec* pb_Points;
} DXFPointBufferRec;

/* A new empty buffer with room for 100 points (AllocVec; free it with
 * DXFPointBufferDelete), or NULL when memory fails. */
HALVERN_API DXFPointBufferRec* DXFPointBufferCreate(void) HALVERN_NOEXCEPT;
/* Frees the buffer and its points; NULL is ignored. */
HALVERN_API void DXFPointBufferDelete(DXFPointBufferRec* buffer) HALVERN_NOEXCEPT;
/* Points in use; 0 for NULL. */
HALVERN_API int32_t DXFPointBufferGetCount(const DXFPointBufferRec* buffer) HALVERN_NOEXCEPT;
/* The point at index while index < pb_N, else (and for NULL) a shared point (0, 0, 0)
 * that is zero again at every such call. Valid until the buffer next grows. */
HALVERN_API Point3DRec* DXFPointBufferGet(DXFPointBufferRec* buffer, uint32_t index) HALVERN_NOEXCEPT;
/* Sorts count points from index first (fewer when the buffer ends before) with QSort;
 * compare receives two Point3DRec pointers. Nothing for NULL arguments or first > pb_N. */
HALVERN_API void DXFPointBufferSort(DXFPointBufferRec* buffer, uint32_t first, uint32_t count,
                                    OsmarkCompareFunc compare) HALVERN_NOEXCEPT;
/* Sets the number of points in use, growing the buffer to count + 1 when needed; points
 * that come into use are (0, 0, 0). When the buffer cannot grow the count becomes its
 * capacity. Nothing for NULL. */
HALVERN_API void DXFPointBufferSetCount(DXFPointBufferRec* buffer, uint32_t count) HALVERN_NOEXCEPT;
/* Appends a copy of point and returns the stored copy (valid until the buffer next
 * grows); NULL, with nothing stored, for NULL arguments or when the buffer cannot grow. */
HALVERN_API Point3DRec* DXFPointBufferAdd(DXFPointBufferRec* buffer,
                                          const Point3DRec* point) HALVERN_NOEXCEPT;

HALVERN_END_DECLS

#endif
