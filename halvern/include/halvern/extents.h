/*
 * Extents: the axis-aligned box, in x and y, that the visible items of a drawing or of
 * one block occupy, stored in the drawing's dxf_DrwgSize (min the lower-left corner,
 * max the upper-right one). z never enters the box.
 *
 * The traversal is the walkers' (halvern/walkers.h): BLOCK ... ENDBLK runs among the
 * top-level items are passed over, items on layers that are off, of hidden types or
 * flagged hidden are skipped, and INSERTs are expanded with every placement. Besides,
 * items flagged excluded (ih_Flags bit 3) are left out, and so are the members of an
 * INSERT flagged excluded (a nested INSERT among them whose own flag is clear still
 * counts). Arcs and ellipses count with the axis extremes their sweep passes, placed
 * ones by the exact extremes of their images. Top-level POLYLINEs and SPLINEs that
 * are measured as they lie count by their stored corners (pl_Min/pl_Max,
 * sp_Min/sp_Max); under a placement they count by their vertices and points. The text
 * box is not estimated: a TEXT counts by its two alignment points.
 *
 * A drawing, block or selection without anything that counts gives (0, 0)-(0, 0);
 * dxf_DrwgSize is always replaced. Nothing happens for a NULL drawing. No error code
 * is set.
 *
 * Like a walk, an extents call writes the frames of dxf_BlockStack (allocating the
 * stack on first use) and the placement fields of the BLOCK items it enters: one walk
 * or extents call at a time per drawing, and never from a walker callback of the same
 * drawing.
 */
#ifndef HALVERN_EXTENTS_H
#define HALVERN_EXTENTS_H

#include <stdint.h>

#include "halvern/api.h"
#include "halvern/drawing.h"
#include "halvern/types.h"

HALVERN_BEGIN_DECLS

/* The drawing's top-level items, each as it lies. */
HALVERN_API void CalcDXFDrawingSize(DXFDrawingRec* drawing) HALVERN_NOEXCEPT;

/* The drawing as it would lie after scaling by scales (x and y; NULL for 1), turning
 * by rotation (radians, counter-clockwise about the origin) and moving by offset (x and
 * y; NULL for none), in this order. Every item is placed, top-level POLYLINEs and
 * SPLINEs included. */
HALVERN_API void CalcDXFDrawingBounds(DXFDrawingRec* drawing, const Point3DRec* offset,
                                      const Point3DRec* scales,
                                      double rotation) HALVERN_NOEXCEPT;

/* The items of the block whose name equals name without regard to case (the first
 * such identifier), as they lie in the block plus its base point. A name that no
 * block has, or a NULL name, gives (0, 0)-(0, 0). */
HALVERN_API void CalcDXFBlockSize(DXFDrawingRec* drawing, const char* name) HALVERN_NOEXCEPT;

/* CalcDXFBlockSize with the block scaled, turned and moved as CalcDXFDrawingBounds
 * places the drawing. */
HALVERN_API void CalcDXFBlockBounds(DXFDrawingRec* drawing, const char* name,
                                    const Point3DRec* offset, const Point3DRec* scales,
                                    double rotation) HALVERN_NOEXCEPT;

HALVERN_END_DECLS

#endif
