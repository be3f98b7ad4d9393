/*
 * Renderers: a drawing, or one block of it, drawn into a device context.
 *
 * Every renderer fits the drawing window dxf_DrwgSize into the rectangle with one
 * uniform scale, centred, y up (SetDXFDrawingSize), walks the visible items with their
 * INSERTs expanded and draws each in its colour: a palette colour of the item (1..255)
 * wins over its layer's colour, BYBLOCK, BYLAYER and every other number take the
 * layer's colour, and a highlighted item (ih_Flags bit 2, or inside an INSERT that is
 * highlighted) takes dxf_HighlightColour. The pen of the device context at entry gives
 * the colour of items on no layer; in monochrome mode (dxf_Flags bit 0) it draws every
 * item that is not highlighted.
 *
 * Show renderers place the drawing as it is. Draw renderers first scale (scale x and y;
 * NULL means 1, 1, 1), turn (angle, radians, counter-clockwise) and move (offset; NULL
 * means 0, 0, 0) every coordinate; insertion points and array steps move with the
 * items around them, while the base point of an inserted block is added unscaled and
 * unturned, so the transform turns and scales each block about its base point. The
 * block renderers draw one block, found by name without regard to case, as one plain
 * insertion at the origin.
 * Filled renderers first fill the closed items (full circles and ellipses, closed
 * polylines, splines that end where they start) with the device context's brush inside
 * one path, then draw the outlines of everything else.
 *
 * Each call writes into the drawing: dxf_Device, dxf_ViewSize (the rectangle), the
 * view-port mapping, dxf_DrwgViewSize (the visible window), dxf_PenColour (the last pen
 * colour), the placement records of the BLOCK items drawn, and dxf_BlockStack, which is
 * kept for later calls and freed by FreeDXFDrawing. The device context gets its pen and
 * text colour back. A NULL drawing or rectangle does nothing. The renderers keep their
 * switches per thread: threads may draw different drawings at once, each into a device
 * context of its own, but one drawing is drawn by one call at a time.
 */
#ifndef HALVERN_RENDER_H
#define HALVERN_RENDER_H

#include "halvern/api.h"
#include "halvern/drawing.h"
#include "halvern/types.h"
#include "osmark/geometry_types.h"
#include "platform/win_types.h"

HALVERN_BEGIN_DECLS

HALVERN_API void ShowDXFDrawing(HDC hdc, DXFDrawingRec* drawing,
                                RectangleRec* viewPort) HALVERN_NOEXCEPT;
HALVERN_API void ShowDXFDrawingFilled(HDC hdc, DXFDrawingRec* drawing,
                                      RectangleRec* viewPort) HALVERN_NOEXCEPT;
HALVERN_API void DrawDXFDrawing(HDC hdc, DXFDrawingRec* drawing, RectangleRec* viewPort,
                                Point3DRec* offset, Point3DRec* scale,
                                double angle) HALVERN_NOEXCEPT;
HALVERN_API void DrawDXFDrawingFilled(HDC hdc, DXFDrawingRec* drawing, RectangleRec* viewPort,
                                      Point3DRec* offset, Point3DRec* scale,
                                      double angle) HALVERN_NOEXCEPT;

/* The block forms draw nothing for a NULL name, a name no identifier has, or a block
 * that is only referenced; the block's label (bi_Label at bi_LabelPos) is drawn after
 * its items. */
HALVERN_API void ShowDXFBlock(HDC hdc, DXFDrawingRec* drawing, RectangleRec* viewPort,
                              const char* name) HALVERN_NOEXCEPT;
HALVERN_API void ShowDXFBlockFilled(HDC hdc, DXFDrawingRec* drawing, RectangleRec* viewPort,
                                    const char* name) HALVERN_NOEXCEPT;
HALVERN_API void DrawDXFBlock(HDC hdc, DXFDrawingRec* drawing, RectangleRec* viewPort,
                              const char* name, Point3DRec* offset, Point3DRec* scale,
                              double angle) HALVERN_NOEXCEPT;
HALVERN_API void DrawDXFBlockFilled(HDC hdc, DXFDrawingRec* drawing, RectangleRec* viewPort,
                                    const char* name, Point3DRec* offset, Point3DRec* scale,
                                    double angle) HALVERN_NOEXCEPT;

HALVERN_END_DECLS

#endif
