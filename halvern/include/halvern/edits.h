/*
 * Edits of one item in place: mirroring across a line, snapping to a grid, and the test
 * whether two items describe the same geometry.
 *
 * They change or compare only the item's payload (and, for snapping, the excluded bit
 * of ih_Flags); the rest of the head is left alone. Work is in x and y; z values are
 * carried along. The stored corners of polylines and splines follow their moved points.
 */
#ifndef HALVERN_EDITS_H
#define HALVERN_EDITS_H

#include <stdint.h>

#include "halvern/api.h"
#include "halvern/items.h"
#include "halvern/types.h"

HALVERN_BEGIN_DECLS

/*
 * Reflects the item in place across the line through point (x and y) at angle
 * (radians from the x axis). Points, ends, centres, vertices and control points are
 * reflected; ARC and ELLIPSE keep their curve with the direction negated (an ARC's
 * angles come out as atan2 values, -pi to pi; an ELLIPSE's parameters are negated);
 * bulges are negated; a TEXT moves but is not turned or mirrored; an INSERT's insertion
 * point (or circular array centre and first point) is reflected, its y scale negated and
 * its rotation r (and array angles) become 2 * angle - r. Other types are unchanged.
 * Returns 0 in every case; a NULL item or point changes nothing.
 */
HALVERN_API int32_t DXFMirror(ItemRec* item, const Point3DRec* point,
                              double angle) HALVERN_NOEXCEPT;

/*
 * 1 when the two items have the same type and describe the same geometry within 1e-6
 * (x and y; z is never compared): a LINE, ARC, POLYLINE, SPLINE or ELLIPSE is also the
 * same as its reversal. Arc angles are compared as stored (0 and 2*pi differ). TEXTs
 * compare their placement and (case-sensitively) their strings, RAYs and XLINEs base and
 * direction. INSERT, BLOCK, ENDBLK and the other types are never the same. 0 for NULL.
 */
HALVERN_API int32_t DXFSameItems(const ItemRec* a, const ItemRec* b) HALVERN_NOEXCEPT;

/*
 * Rounds the coordinates of a POINT, LINE, ARC or POLYLINE to multiples of step
 * (RoundNum; a step within 1e-6 of 0 rounds nothing). A LINE whose ends meet after
 * rounding, an ARC of less than 180 degrees whose ends meet, and a full circle whose
 * radius becomes zero get the excluded bit (8) in ih_Flags; an ARC of 180 degrees or more
 * whose ends meet becomes a full circle. Other ARCs get the centre that keeps them
 * through their rounded ends. 1 for these four types, 0 (nothing changed) for the others
 * and for NULL.
 */
HALVERN_API int32_t DXFSnapEnd(ItemRec* item, double step) HALVERN_NOEXCEPT;

HALVERN_END_DECLS

#endif
