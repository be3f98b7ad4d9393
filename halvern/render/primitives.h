// Item drawing primitives: turn one placed item of the render pipeline into calls on
// the drawing's device context. Every primitive works on the drawing record that the
// pipeline has set up for the call in progress: dxf_Device, dxf_ViewSize, the mapping
// of SetDXFDrawingSize (dxf_DrwgSize, dxf_XScale, dxf_YScale, dxf_XOffset,
// dxf_YOffset) and the visible window dxf_DrwgViewSize (min not above max), and on the
// switches of render_state.h.
//
// Coordinates handed in are placed drawing units; angles are radians, counter-clockwise.
// A placed point (X, Y) lands on pixel
//   px = Round((X - dxf_DrwgSize.min.x) * dxf_XScale) + dxf_XOffset
//   py = (dxf_ViewSize.MaxY - dxf_ViewSize.MinY)
//        - Round((Y - dxf_DrwgSize.min.y) * dxf_YScale) + dxf_YOffset
// with Osmark's Round.
//
// Move flag: 1 starts a new figure at the first point of the segment, 0 continues from
// the device context's current position (the pipeline passes 1 for the first segment
// of an item and 0 for the rest).
//
// In pick mode (RenderPickMode 1) nothing is drawn: a primitive sets RenderHit when its
// shape touches the pick window. Pens and fonts are still chosen as outside pick mode.
//
// Nothing here reports errors: a pen, font or scratch block that cannot be had skips
// the drawing it was needed for. The primitives are not re-entrant (process switches).
#ifndef HALVERN_RENDER_PRIMITIVES_H
#define HALVERN_RENDER_PRIMITIVES_H

#include <cstdint>

#include "halvern/drawing.h"
#include "halvern/items.h"
#include "halvern/types.h"
#include "render_state.h"

namespace halvern {

// Bit of dxf_Flags: spline control polygons are drawn too, in kControlPolygonColour.
inline constexpr uint32_t kDrawControlPolygons = 4;
inline constexpr uint32_t kControlPolygonColour = 0xAAAAAA;

// Chooses the pen of one item. With dxf_Flags bit 0 (monochrome): a highlighted item
// (highlighted != 0) sets *monochromeState and gets a pen of colour; a plain item
// changes nothing while *monochromeState is 0 (the DC's own pen stays) and otherwise
// clears it and gets a pen of defaultColour. Without bit 0 every item gets a pen of
// colour. Getting a pen: CreatePen(PS_SOLID, 1, ...), then dxf_PenColour, the DC's pen
// and text colour follow it, and the previous dxf_CurrentPen is deleted; the new pen
// becomes dxf_CurrentPen (the renderer deletes it at the end of its call). When the
// pen cannot be created nothing changes. monochromeState may be NULL (taken as 0).
void SelectItemPen(uint32_t colour, uint32_t defaultColour,
                                        int32_t highlighted, int32_t* monochromeState,
                                        DXFDrawingRec* drawing) noexcept;

// One segment, clipped (Cohen-Sutherland) to the visible window while RenderClipLines
// is 1, drawn with MoveToEx (when clipping or move is set), LineTo and SetPixelV of
// the end pixel in dxf_PenColour. A segment from a point to itself is one pixel. In
// pick mode a segment that survives clipping sets RenderHit. Returns 0.
int32_t DrawClippedLine(double x1, double y1, double x2, double y2,
                                             int32_t move, DXFDrawingRec* drawing) noexcept;

// A circular arc from start to end around (cx, cy), counter-clockwise for direction 1
// and clockwise for -1 (equal angles: the full circle). Culled when the circle's box
// misses the window or the window lies inside the circle's inscribed square; a radius
// of at most half a pixel is a point; a full circle inside the window and larger than
// 3 pixels is one GDI Arc; everything else is chords within half a pixel of the arc.
void DrawArcChords(double cx, double cy, double radius, double start,
                                        double end, int32_t direction, int32_t move,
                                        DXFDrawingRec* drawing) noexcept;

// The elliptical arc centre + rotate(axisAngle, (a cos t, b sin t)) for t from start to
// end, always counter-clockwise in t (equal parameters: the whole ellipse), as chords.
// Nothing when a or b is below 1e-6; a point when the smaller radius is at most half a
// pixel.
void DrawEllipseArc(double cx, double cy, double a, double b,
                                         double axisAngle, double start, double end,
                                         int32_t move, DXFDrawingRec* drawing) noexcept;

// A TEXT item through a temporary "Arial" font of height Round(tx_Height * dxf_YScale)
// pixels (nothing outside 1..10000), aligned by tx_Flags at the placed alignment
// points (x1, y1) and (x2, y2). The text's rotation and oblique angle are read from
// the record: the renderer passes a copy of the item's head and TextRec whose
// tx_Rotation already includes the placement rotation (only offsetof(ItemRec,
// it_Text) + sizeof(TextRec) bytes are read; tx_Text may point into the original).
// Drawn in the DC's text colour (set by SelectItemPen). In pick mode the glyph outlines
// go into a path whose region is tested against dxf_ViewSize (the pick box). Text
// alignment, background mode and the DC's font are restored.
void DrawTextItem(double x1, double y1, double x2, double y2,
                                       const ItemRec* text, DXFDrawingRec* drawing) noexcept;

// The block label of an INSERT (in_Label in the font in_LabelAttr) at the placed point
// (x, y), turned by angle. Nothing in pick mode, without label or font, or when the
// height maps to fewer than 2 pixels. Drawn in df_Colour; the text colour is left
// for the renderer to restore.
void DrawBlockLabelText(double x, double y, double angle,
                                             const ItemRec* insert,
                                             DXFDrawingRec* drawing) noexcept;

// A rational B-spline of the given degree over [paramStart, paramEnd], as segments
// (at most 20 a knot span). Control points are unplaced: each sampled point is placed
// by scale (scaleX, scaleY), rotation and origin. weights may be NULL (all 1), or hold
// numPoints values. Nothing unless degree + numPoints + 1 <= numKnots. With dxf_Flags
// bit 2 the control polygon follows in grey (not in monochrome mode).
void DrawNurbsSpline(DXFDrawingRec* drawing, double originX, double originY,
                                          double rotation, double scaleX, double scaleY,
                                          double paramStart, double paramEnd,
                                          const Point3DRec* points, int32_t numPoints,
                                          int32_t degree, int32_t numKnots, const double* knots,
                                          const double* weights, int32_t move) noexcept;

// A natural cubic spline through numPoints unplaced fit points (placed as for
// DrawNurbsSpline); two points are one segment, fewer draw nothing. With dxf_Flags
// bit 2 the control polygon follows.
void DrawFitSpline(DXFDrawingRec* drawing, double originX, double originY,
                                        double rotation, double scaleX, double scaleY,
                                        int32_t numPoints, const Point3DRec* points,
                                        int32_t move) noexcept;

// A ray from the placed base point along the unit direction (ux, uy), cut at the edge
// of the visible window; 0 when culled, else as DrawClippedLine.
int32_t DrawRay(double x, double y, double ux, double uy,
                                     DXFDrawingRec* drawing) noexcept;

// The infinite line through the placed base point along (ux, uy), across the visible
// window; 0 when culled, else as DrawClippedLine.
int32_t DrawXLine(double x, double y, double ux, double uy,
                                       DXFDrawingRec* drawing) noexcept;

} // namespace halvern

#endif
