// Automatic placement of a block label: the label measured in the device context's
// font, candidate corners near the block's items, the extents test and the touch test
// (a pick render of the block into the label box).
#ifndef HALVERN_RENDER_BLOCK_LABEL_PLACEMENT_H
#define HALVERN_RENDER_BLOCK_LABEL_PLACEMENT_H

#include <cstdint>
#include <optional>

#include "halvern/drawing.h"
#include "halvern/tables.h"
#include "osmark/geometry_types.h"
#include "platform/win_types.h"

namespace halvern::render {

// Width and height of a label in drawing units.
struct LabelSize {
    double width;
    double height;
};

// The text's extent in hdc's font, in drawing units of viewPort showing the copy's
// window dxf_DrwgSize. Writes dxf_Device, dxf_ViewSize and the mapping of the copy.
LabelSize MeasureBlockLabel(DXFDrawingRec& copy, HDC hdc, const RectangleRec& view_port,
                            const char* text) noexcept;

// The two end points of the block's items nearest to target: first the one nearest
// along x (ties within 1e-6 go to the one nearer along y), then the one nearest along
// y (ties go by x). Both are target itself when the block has no end point. Points
// are where the block lies when placed at the origin, base point included.
struct LabelAnchors {
    Point2DRec by_x;
    Point2DRec by_y;
};
LabelAnchors FindBlockLabelAnchors(DXFDrawingRec& copy, const BlockIdentifierRec& identifier,
                                   Point2DRec target) noexcept;

// The lower-left corner of the first label box of the given size that the place codes
// of dxf_LabelPlace offer, in order, inside the block's extents and touching none of
// its items; in the block's own coordinates (without its base point). None when no
// candidate fits. Works on the copy only (its window, view and mapping change; the
// walks may reallocate its dxf_BlockStack) and clears every pick mark of the items it
// shares with the drawing.
std::optional<Point2DRec> find_label_place(DXFDrawingRec& copy, HDC hdc,
                                           const RectangleRec& view_port,
                                           const BlockIdentifierRec& identifier,
                                           LabelSize size) noexcept;

}

#endif
