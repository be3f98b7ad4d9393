/*
 * Drawing regions: one drawing shown in several rectangles of a device context at
 * once, each rectangle with its own window of the drawing and its own draw transform.
 *
 * The filling functions measure every window in the drawing's dxf_DrwgSize (its
 * extents, from CalcDXFDrawingSize for example) and write only the caller's arrays,
 * which hold at least as many regions as the function may fill; they set offset
 * (0, 0, 0), scale (1, 1, 1) and angle 0. A percent window is four reals min x, min y,
 * max x, max y in percent of dxf_DrwgSize: 0 is its minimum, 100 its maximum on that
 * axis; they are used as they are, neither limited nor sorted.
 */
#ifndef HALVERN_REGIONS_H
#define HALVERN_REGIONS_H

#include <stdint.h>

#include "halvern/api.h"
#include "halvern/drawing.h"
#include "halvern/types.h"
#include "osmark/geometry_types.h"
#include "platform/win_types.h"

HALVERN_BEGIN_DECLS

/* One display region: the drawing window dr_DrwgSize shown in the pixel rectangle
 * dr_ViewSize through DrawDXFDrawing with dr_Offset, dr_Scale and dr_Angle (radians). */
typedef struct DXFRegionRec {
    RectangleRec dr_ViewSize;
    Rectangle2DRec dr_DrwgSize;
    Point3DRec dr_Offset;
    Point3DRec dr_Scale;
    double dr_Angle;
} DXFRegionRec;

/* Region i shows windows[i] (percent) in rectangles[i]. 0 done (also for count 0 or
 * less); 1 when the drawing, the rectangles, the windows or the regions are NULL. */
HALVERN_API int32_t CreateDXFRegions(DXFDrawingRec* drawing, int32_t count,
                                     RectangleRec* rectangles, double (*windows)[4],
                                     DXFRegionRec* regions) HALVERN_NOEXCEPT;

/*
 * Tiles the rectangle into rows by columns cells, columnGap and rowGap pixels apart,
 * and lets region r * columns + c show windows[r * columns + c] in the cell of row r
 * and column c, both counted from the corner: 0 bottom left (columns go right, rows
 * up), 1 bottom right (left, up), 2 top left (right, down), 3 top right (left, down).
 * Cell edges are truncated toward zero. order (0 row after row, else column after
 * column) changes nothing in the result.
 *
 *  0  done
 *  1  drawing, rectangle, windows or regions NULL, rows or columns below 1, or a
 *     corner other than 0 to 3; nothing filled
 *  2  a cell would be narrower or lower than 1 pixel; nothing filled
 *  3  no memory (also for more cells than memory can hold); nothing filled
 */
HALVERN_API int32_t MosaicDXFRegions(DXFDrawingRec* drawing, RectangleRec* rectangle, int32_t rows,
                                     int32_t columns, int32_t columnGap, int32_t rowGap,
                                     int32_t corner, int32_t order, double (*windows)[4],
                                     DXFRegionRec* regions) HALVERN_NOEXCEPT;

/*
 * Cuts the drawing along x into strips shown one at a time in the rectangle, at the
 * scale that makes the drawing's height fill the rectangle's height. Consecutive
 * strips overlap by overlap pixels; a rest of at most slack pixels gets no strip of its
 * own (the scale is then lowered so that the strips cover the whole width). Fills at
 * most maximum regions and returns the number of strips the drawing needs (at least
 * 1), which may exceed maximum. 0 for a NULL drawing, rectangle or regions, a maximum
 * below 1, a rectangle whose width less the overlap or whose height is not positive,
 * extents narrower or lower than 1e-6, or more strips than an int32_t holds.
 */
HALVERN_API int32_t SpreadDXFFixedHeight(DXFDrawingRec* drawing, RectangleRec* rectangle,
                                         int32_t overlap, int32_t slack, int32_t maximum,
                                         DXFRegionRec* regions) HALVERN_NOEXCEPT;

/* Draws the drawing into each of the count regions in turn: dxf_DrwgSize becomes the
 * region's window (SetDXFDrawingSize), then DrawDXFDrawing. The drawing keeps the last
 * region's window and view. Nothing for a NULL drawing or regions or a count below 1. */
HALVERN_API void ShowDXFDrawingRegion(HDC hdc, DXFDrawingRec* drawing, int32_t count,
                                      DXFRegionRec* regions) HALVERN_NOEXCEPT;

HALVERN_END_DECLS

#endif
