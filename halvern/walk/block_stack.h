// The levels of INSERT expansion: the drawing's stack of frames, the set-up of a level
// for one INSERT, its sequence of placements, and the visibility rules of walks.
#ifndef HALVERN_MODEL_BLOCK_STACK_H
#define HALVERN_MODEL_BLOCK_STACK_H

#include <cstdint>

#include "halvern/drawing.h"
#include "halvern/items.h"
#include "halvern/walkers.h"

namespace halvern::walk {

// What a level inherits from the level that encloses it (or, for the outermost one,
// the base placement of the walk).
struct Enclosing {
    DXFMatrixRec placement;  // the enclosing block's coordinates to drawing coordinates
    double rotation;         // sum of the rotations so far
    Point3DRec scale;        // product of the scales so far
};

// The base placement of a walk: scales, then the rotation, then the offset. The
// walkers use none (identity); the bounds of the extents pass their own.
Enclosing base_enclosing(const Point3DRec& offset, const Point3DRec& scale,
                         double rotation) noexcept;
Enclosing identity_enclosing() noexcept;
// What the current placement of a frame hands to a level nested in it.
Enclosing enclosing_of(const DXFBlockStackFrame& frame) noexcept;
// The base placement for a top-level INSERT: the base's scale and rotation turn the
// block about its BLOCK item's base point, which keeps its place (offset added). Under
// the identity this is the base itself. Drawing, measuring and picking all start their
// expansions here, so that they agree.
Enclosing about_block_base(const DXFDrawingRec& drawing, const Enclosing& base,
                           const ItemRec& insert) noexcept;

// dxf_BlockStack of a drawing (or another stack of frames of the same form, whose
// owner frees it with FreeVec): frame(depth) is the frame of that level, the stack
// grown to hold it. Growing may move the frames, so a frame pointer is good only
// until the next call of frame(). NULL when the memory for the stack runs out.
class BlockStack {
public:
    explicit BlockStack(DXFDrawingRec& drawing) noexcept
        : m_drawing(drawing), m_storage(drawing.dxf_BlockStack)
    {
    }
    BlockStack(DXFDrawingRec& drawing, DXFBlockStackFrame*& storage) noexcept
        : m_drawing(drawing), m_storage(storage)
    {
    }
    // Inline: the expansion asks for its frame at every member it visits.
    DXFBlockStackFrame* frame(int32_t depth) noexcept
    {
        DXFBlockStackFrame* stack = m_storage;
        // Element 0 counts the frames that follow it.
        if (stack != nullptr && depth >= 0 && depth < stack[0].bs_Index)
            return &stack[depth + 1];
        return grown_frame(depth);
    }

private:
    DXFBlockStackFrame* grown_frame(int32_t depth) noexcept;

    DXFDrawingRec& m_drawing;
    DXFBlockStackFrame*& m_storage;
};

// Sets frame up for one INSERT and its first placement. false, with nothing to walk,
// when in_BlockIndex names no BLOCK item of dxf_BlockItemBuffer or the array has no
// cell.
bool begin_level(const DXFDrawingRec& drawing, DXFBlockStackFrame& frame, ItemRec* insert,
                 const Enclosing& enclosing) noexcept;
// Moves frame to its next placement (and bs_Index back to the BLOCK item); false when
// its placements are done.
bool next_placement(DXFBlockStackFrame& frame) noexcept;

// Rectangular arrays (in_ArrayKind other than 2): the frame runs column by column
// (bs_Outer up to bs_OuterCount), row by row within a column (bs_Inner up to
// bs_InnerCount). Every cell is a translate of the first: the same plane part, moved
// by a column step and a row step.
bool is_rectangular(const DXFBlockStackFrame& frame) noexcept;
// Puts the frame on the cell of bs_Outer and bs_Inner: its placement, and bs_Index
// back to the BLOCK item.
void place_cell(DXFBlockStackFrame& frame) noexcept;
// Where the placement of the cell (column, row) puts the block's origin, in drawing
// coordinates, worked out as the walk would work it out.
Point3DRec cell_translation(const DXFBlockStackFrame& frame, int32_t column, int32_t row) noexcept;
// Writes the placement of frame into the placed block's BLOCK item.
void write_placement(ItemRec& block, const DXFBlockStackFrame& frame) noexcept;

// The layer is on, the type is not hidden by dxf_ItemFlags and the item is not flagged
// hidden.
bool is_visible(const DXFDrawingRec& drawing, const ItemRec& item) noexcept;
// is_visible, and with dxf_Flags bit 1 set the member belongs to a contour.
bool is_visible_member(const DXFDrawingRec& drawing, const ItemRec& item) noexcept;

}

#endif
