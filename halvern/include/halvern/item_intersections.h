/*
 * Crossings of whole items: two items with each other, and one item with a horizontal
 * line y = c or a vertical line x = c.
 *
 * Items taking part: LINE, ARC, POLYLINE (segment by segment; a closed polyline repeats
 * its first vertex, so no closing segment is added), RAY (a ray from ry_Base along
 * ry_Direction) and XLINE (the infinite line). Found points are appended to the point
 * buffer in the order found; a NULL buffer only counts them. Work is in x and y.
 *
 * The axis-line crossings count an end that lies exactly on the line (within 1e-6) only
 * for the stretch that leaves it upward (towards larger y for y = c, larger x for x = c),
 * and a stretch lying along the line never; counting crossings along a line therefore
 * gives the right inside/outside parity for a closed outline.
 */
#ifndef HALVERN_ITEM_INTERSECTIONS_H
#define HALVERN_ITEM_INTERSECTIONS_H

#include <stdint.h>

#include "halvern/api.h"
#include "halvern/item_geometry.h"
#include "halvern/items.h"
#include "halvern/types.h"

HALVERN_BEGIN_DECLS

/* The entry of the per-item-type operation tables (intersect, mirror, same items, snap)
 * for the types an operation does not handle: changes nothing and returns 0. */
HALVERN_API int32_t DXFNoItemOperation(void) HALVERN_NOEXCEPT;

/* Number of points where a and b cross, appended to buffer (or NULL). 0 for NULL items
 * and for types other than LINE, ARC, POLYLINE, RAY and XLINE. Overlapping collinear
 * lines and arcs of one circle give no points. */
HALVERN_API int32_t DXFIntersect(const ItemRec* a, const ItemRec* b,
                                 DXFPointBufferRec* buffer) HALVERN_NOEXCEPT;

/* Crossings of a LINE, ARC or POLYLINE with y = c (or x = c); 0 for other types and a
 * NULL item. */
HALVERN_API int32_t DXFIntersectY(double c, const ItemRec* item,
                                  DXFPointBufferRec* buffer) HALVERN_NOEXCEPT;
HALVERN_API int32_t DXFIntersectX(double c, const ItemRec* item,
                                  DXFPointBufferRec* buffer) HALVERN_NOEXCEPT;

/* The crossing (0 or 1) of the segment from start to end with y = c (x = c). A
 * horizontal (vertical) segment gives 0. An end on the line counts only when the
 * segment leaves it upward; the point stored is then that end as it is. z of a
 * crossing inside the segment follows the segment. */
HALVERN_API int32_t DXFIntersectYLine(double c, const Point3DRec* start, const Point3DRec* end,
                                      DXFPointBufferRec* buffer) HALVERN_NOEXCEPT;
HALVERN_API int32_t DXFIntersectXLine(double c, const Point3DRec* start, const Point3DRec* end,
                                      DXFPointBufferRec* buffer) HALVERN_NOEXCEPT;

/* The crossings (0, 1 or 2) of the arc about centre from start to end (radians) in
 * direction (1 counter-clockwise, -1 clockwise) with y = c (x = c). A tangent gives 0.
 * When an end of the arc lies on the line, ends are counted as for the segments of the
 * arc's outline of chords through its quarter points; the points stored are the exact
 * crossings of the circle: for y = c the right one before the left, for x = c the upper
 * one before the lower. Points take the centre's z. */
HALVERN_API int32_t DXFIntersectYArc(double c, const Point3DRec* centre, double radius,
                                     double start, double end, int32_t direction,
                                     DXFPointBufferRec* buffer) HALVERN_NOEXCEPT;
HALVERN_API int32_t DXFIntersectXArc(double c, const Point3DRec* centre, double radius,
                                     double start, double end, int32_t direction,
                                     DXFPointBufferRec* buffer) HALVERN_NOEXCEPT;

HALVERN_END_DECLS

#endif
