// The one body behind the eight renderers: set-up of the view-port mapping and the
// device context, the walk over the drawing's top-level items (or one block) with the
// walker engine expanding INSERTs, the choice of what is drawn and in which pen, the
// hand-over to the item primitives, the fill pass of the filled renderers and the
// clean-up. In pick mode (RenderPickMode) the same body marks instead of drawing.
#ifndef HALVERN_RENDER_RENDER_PIPELINE_H
#define HALVERN_RENDER_RENDER_PIPELINE_H

#include <cstdint>

#include "halvern/drawing.h"
#include "halvern/types.h"
#include "osmark/geometry_types.h"
#include "platform/win_types.h"

namespace halvern::render {

// Scales, then turns (radians, counter-clockwise), then moves every coordinate.
struct DrawTransform {
    Point3DRec offset;
    Point3DRec scale;
    double angle;
};

// The identity for NULL offset and scale.
DrawTransform make_draw_transform(const Point3DRec* offset, const Point3DRec* scale,
                                  double angle) noexcept;

enum class Passes { OutlineOnly, FillThenOutline };

// The drawing's top-level items. Nothing for a NULL drawing or view port.
void render_drawing(HDC dc, DXFDrawingRec* drawing, const RectangleRec* view_port,
                    const DrawTransform& transform, Passes passes) noexcept;

// One block by name, as a plain insertion at the origin. Nothing for a NULL drawing or
// view port; for an unknown name only the set-up and clean-up of the device context.
void render_block(HDC dc, DXFDrawingRec* drawing, const RectangleRec* view_port,
                  const char* name, const DrawTransform& transform, Passes passes) noexcept;

}

#endif
