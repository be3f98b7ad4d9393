/*
 * Picking: the items of a drawing, or of one block, that pass through a box of pixels
 * around a point of the view in which the drawing was last drawn.
 *
 * A pick renders a copy of the drawing record (sharing its tables, buffers and items)
 * into the box with the renderers in pick mode: nothing is drawn, and every item the
 * renderer would draw whose shape touches the box gets ih_Flags bit 0 (DXFItemPicked)
 * in the drawing's own record; inside an INSERT the block's own member is marked, and
 * so is the INSERT. Marks add up over picks until ClearDXFPick. The drawing's window,
 * view port and mapping stay as they were; a block stack made for the pick is handed
 * to the drawing, which frees it with FreeDXFDrawing.
 *
 * (x, y) is the point in device pixels of the last draw's view port, w and h the size
 * of the box in pixels. Offset, scale and angle mean what they mean to the renderer
 * the pick goes through, and should be those of the draw the view shows. The pick
 * functions return 1 when they rendered (whether or not anything was hit), 0 for a
 * NULL drawing or a box without width or height. One pick or draw of a drawing at a
 * time; threads may pick and draw different drawings at once.
 */
#ifndef HALVERN_PICK_H
#define HALVERN_PICK_H

#include "halvern/api.h"
#include "halvern/drawing.h"
#include "halvern/types.h"
#include "halvern/walkers.h"
#include "platform/win_types.h"

HALVERN_BEGIN_DECLS

/* Through ShowDXFDrawing. */
HALVERN_API int32_t PickDXF(HDC hdc, DXFDrawingRec* drawing, int32_t x, int32_t y, int32_t w,
                            int32_t h) HALVERN_NOEXCEPT;
/* Through DrawDXFDrawing. */
HALVERN_API int32_t PickDXFDrawing(HDC hdc, DXFDrawingRec* drawing, Point3DRec* offset,
                                   Point3DRec* scale, double angle, int32_t x, int32_t y,
                                   int32_t w, int32_t h) HALVERN_NOEXCEPT;
/* Through ShowDXFBlock: 1 also for a name that no block has. */
HALVERN_API int32_t PickDXFBlock(HDC hdc, DXFDrawingRec* drawing, const char* name, int32_t x,
                                 int32_t y, int32_t w, int32_t h) HALVERN_NOEXCEPT;
/* Through DrawDXFBlock. */
HALVERN_API int32_t PickDXFBlockDrawing(HDC hdc, DXFDrawingRec* drawing, const char* name,
                                        Point3DRec* offset, Point3DRec* scale, double angle,
                                        int32_t x, int32_t y, int32_t w,
                                        int32_t h) HALVERN_NOEXCEPT;

/* Clears the mark of every block member and every top-level item. 1 when one was set,
 * else 0 (also for a NULL drawing). */
HALVERN_API int32_t ClearDXFPick(DXFDrawingRec* drawing) HALVERN_NOEXCEPT;

/*
 * Walks the drawing as StepDXFDrawing does in mode 0 and calls callback(insert, item,
 * user) for each visit of a marked record: item is the drawing's own record (a block
 * member once for every placement of every visible INSERT of its block, a POLYLINE
 * once for every segment), insert the INSERT being expanded or NULL. The callback's
 * result steers the walk as for StepDXFDrawing. Nothing for a NULL drawing or callback.
 */
HALVERN_API void StepDXFPick(DXFDrawingRec* drawing, DXFStepCallback callback,
                             void* user) HALVERN_NOEXCEPT;

HALVERN_END_DECLS

#endif
