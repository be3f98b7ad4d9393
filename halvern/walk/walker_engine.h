// The one traversal of a drawing with its INSERTs expanded. The walkers, the extents
// and the renderer run it with a visitor of their own:
//
//   WalkResult top_item(ItemRec& item)
//       a visible top-level item other than an INSERT (BLOCK ... ENDBLK runs of the
//       top level are passed over);
//   WalkResult block_item(ItemRec* insert, ItemRec& block, const DXFBlockStackFrame& frame)
//       the BLOCK item of a placement, after the placement was written into it;
//   WalkResult member(ItemRec* insert, ItemRec& member, const DXFBlockStackFrame& frame)
//       every other member of a placed block: its ENDBLK, and the visible members that
//       are not INSERTs (those are expanded in turn). frame.bs_Placement maps the
//       member's coordinates to drawing coordinates.
//
// insert is the INSERT record of the level being expanded. A visitor returning
// WalkResult::Stop ends the whole traversal.
//
// Nesting is bounded by the block count: a nested INSERT starts a new level only while
// the levels below it number fewer than the drawing's blocks, which ends blocks that
// insert themselves. Frames live in dxf_BlockStack, so the native stack stays flat
// however deep blocks nest.
#ifndef HALVERN_MODEL_WALKER_ENGINE_H
#define HALVERN_MODEL_WALKER_ENGINE_H

#include <cstdint>

#include "halvern/drawing.h"
#include "halvern/items.h"
#include "halvern/walkers.h"
#include "block_stack.h"

namespace halvern::walk {

enum class WalkResult { Continue, Stop };

// Expands one INSERT record under the base placement.
template <typename Visitor>
WalkResult expand_insert(DXFDrawingRec& drawing, ItemRec* insert, const Enclosing& base,
                         Visitor& visitor)
{
    BlockStack stack(drawing);
    DXFBlockStackFrame* outermost = stack.frame(0);
    // Without a stack the INSERT is passed over; the next one tries again.
    if (outermost == nullptr || !begin_level(drawing, *outermost, insert, base))
        return WalkResult::Continue;
    int32_t depth = 0;
    for (;;) {
        DXFBlockStackFrame& frame = *stack.frame(depth);
        if (frame.bs_Index < 0) {
            if (next_placement(frame))
                continue;
            if (depth == 0)
                return WalkResult::Continue;
            --depth;
            continue;
        }
        // Read afresh: a callback may have appended items.
        const ItemBufferRec& blocks = drawing.dxf_BlockItemBuffer;
        const int32_t index = frame.bs_Index;
        ItemRec* item = index < blocks.ib_N ? blocks.ib_Items[index] : nullptr;
        if (item == nullptr) {
            frame.bs_Index = index < blocks.ib_N ? index + 1 : -1;
            continue;
        }
        const int32_t type = item->it_Header.ih_ItemType;
        // A block that lacks its ENDBLK ends where the next block begins.
        if (type == DXFItemBlock && index != frame.bs_BlockIndex) {
            frame.bs_Index = -1;
            continue;
        }
        frame.bs_Index = type == DXFItemEndBlock ? -1 : index + 1;
        frame.bs_Item = item;

        WalkResult result = WalkResult::Continue;
        if (type == DXFItemBlock) {
            write_placement(*item, frame);
            result = visitor.block_item(frame.bs_Insert, *item, frame);
        } else if (type == DXFItemEndBlock) {
            result = visitor.member(frame.bs_Insert, *item, frame);
        } else if (!is_visible_member(drawing, *item)) {
            continue;
        } else if (type == DXFItemInsert) {
            if (depth >= drawing.dxf_BlockIdentifierBuffer.bib_N)
                continue;
            // Growing the stack may move the frames: look both up again.
            DXFBlockStackFrame* nested = stack.frame(depth + 1);
            if (nested != nullptr &&
                begin_level(drawing, *nested, item, enclosing_of(*stack.frame(depth))))
                ++depth;
            continue;
        } else {
            result = visitor.member(frame.bs_Insert, *item, frame);
        }
        if (result == WalkResult::Stop)
            return WalkResult::Stop;
    }
}

// The top-level items of dxf_ItemBuffer in order, INSERTs expanded.
template <typename Visitor>
WalkResult walk_drawing(DXFDrawingRec& drawing, const Enclosing& base, Visitor& visitor)
{
    for (int32_t i = 0; i < drawing.dxf_ItemBuffer.ib_N; ++i) {
        ItemRec* item = drawing.dxf_ItemBuffer.ib_Items[i];
        if (item == nullptr)
            continue;
        const int32_t type = item->it_Header.ih_ItemType;
        if (type == DXFItemBlock) {
            // A block definition among the entities is passed over to its ENDBLK; without
            // one it hides the rest.
            while (i + 1 < drawing.dxf_ItemBuffer.ib_N) {
                const ItemRec* next = drawing.dxf_ItemBuffer.ib_Items[++i];
                if (next != nullptr && next->it_Header.ih_ItemType == DXFItemEndBlock)
                    break;
            }
            continue;
        }
        if (!is_visible(drawing, *item))
            continue;
        const WalkResult result =
            type == DXFItemInsert
                ? expand_insert(drawing, item, about_block_base(drawing, base, *item), visitor)
                : visitor.top_item(*item);
        if (result == WalkResult::Stop)
            return WalkResult::Stop;
    }
    return WalkResult::Continue;
}

}

#endif
