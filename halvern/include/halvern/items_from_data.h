/*
 * Items from group lists: one item made from one DXF entity held in memory as a list of
 * groups, by the same rules as the drawing reader's entity parser.
 *
 * The list is a PagedArray of DXFGroupRec records in file order: the entity's groups,
 * starting with its 0 group (whose value names the entity), and for a POLYLINE also
 * its VERTEX entities and the closing SEQEND. The entity's groups end at the next 0
 * group or at the end of the list; groups in front of its 0 group count as its own.
 *
 * Where the list differs from a stream of the same groups:
 * - a value comes from the first group of its code (a stream keeps the last);
 * - layer and line type are looked up only when a drawing is given, else both are 0;
 * - an ARC keeps the height of its centre; ELLIPSE parameters (41, 42) stay as given;
 *   a TEXT's first point has z 0; an MTEXT gives an MTEXT item (type 19) with its
 *   head alone;
 * - an INSERT gives an item only when the drawing knows its block (nothing is
 *   registered);
 * - LWPOLYLINE vertices pair their 10, 20, 30 and 42 groups by position, SPLINE points
 *   their k-th 10, 20 and 30 groups (z 0 without one), and a POLYLINE vertex carries
 *   no coordinate over from the vertex before it.
 */
#ifndef HALVERN_ITEMS_FROM_DATA_H
#define HALVERN_ITEMS_FROM_DATA_H

#include "halvern/api.h"
#include "halvern/drawing.h"
#include "halvern/items.h"
#include "osmark/memory.h"
#include "osmark/paged_array.h"

HALVERN_BEGIN_DECLS

/*
 * A new item, from pool (CreateItem), made of the entity in groups, its points taken
 * relative to (offsetX, offsetY, offsetZ). drawing may be NULL. The item belongs to the
 * caller and is in no buffer: ih_ID 0, ih_Line -1, no comment lines. NULL for a NULL
 * or foreign list, a list without a 0 group, an entity name that is no known entity,
 * an entity that makes no item, an INSERT of a block the drawing does not know, and
 * when memory runs out. The list is not changed.
 */
HALVERN_API ItemRec* CreateItemFromData(DXFDrawingRec* drawing, PagedArray* groups,
                                        double offsetX, double offsetY, double offsetZ,
                                        Pool* pool) HALVERN_NOEXCEPT;

HALVERN_END_DECLS

#endif
