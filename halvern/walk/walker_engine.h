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
// A visitor may also have, each of them optional:
//
//   static constexpr bool kModelSpaceOnly
//       true: top-level items of a layout (ih_Space 1) are passed over like hidden ones;
//   static constexpr bool kWritesPlacements
//       false: the BLOCK items are left as they are (a walk that only looks);
//   LevelStart level_start(DXFBlockStackFrame& frame, int32_t depth)
//       a level has been set up on its first placement (the cell in column 0, row 0
//       of a rectangular array). Skip passes the level over; the visitor may lower
//       bs_OuterCount and bs_InnerCount of a rectangular level to walk fewer cells;
//   void level_end(DXFBlockStackFrame& frame, int32_t depth)
//       the placements of a level that level_start let walk are done;
//   void columns(const DXFBlockStackFrame& frame, int32_t depth, int32_t& first,
//                int32_t& end)
//       with rows below: the columns [first, end) of a rectangular level to walk,
//       narrowed from [0, bs_OuterCount);
//   void rows(const DXFBlockStackFrame& frame, int32_t depth, int32_t column,
//             int32_t& first, int32_t& end)
//       the rows [first, end) of a column of a rectangular level to walk, narrowed
//       from [0, in_Rows); an empty range passes the column over. With it bs_InnerCount
//       holds the end of the current column's rows.
//
// Nesting is bounded by the block count: a nested INSERT starts a new level only while
// the levels below it number fewer than the drawing's blocks. An INSERT of a block that
// is being expanded already on the way down (a block that inserts itself, directly or
// through others) is passed over, so every block is expanded once per path. Frames
// live in dxf_BlockStack (or a stack the caller gives), so the native stack stays flat
// however deep blocks nest.
#ifndef HALVERN_MODEL_WALKER_ENGINE_H
#define HALVERN_MODEL_WALKER_ENGINE_H

#include <algorithm>
#include <cstdint>

#include "halvern/drawing.h"
#include "halvern/items.h"
#include "halvern/walkers.h"
#include "block_stack.h"

namespace halvern::walk {

enum class WalkResult { Continue, Stop };
enum class LevelStart { Walk, Skip };

template <typename Visitor>
constexpr bool kHasRows = requires(Visitor& visitor, const DXFBlockStackFrame& frame,
                                   int32_t& index) {
    visitor.rows(frame, 0, 0, index, index);
};

template <typename Visitor>
constexpr bool is_model_space_only()
{
    if constexpr (requires { Visitor::kModelSpaceOnly; })
        return Visitor::kModelSpaceOnly;
    return false;
}

template <typename Visitor>
constexpr bool writes_placements()
{
    if constexpr (requires { Visitor::kWritesPlacements; })
        return Visitor::kWritesPlacements;
    return true;
}

namespace detail {

// The next cell of a rectangular level whose visitor narrows the rows: the next row of
// the column, else the first row of the next column that has any. false when the
// level is done.
template <typename Visitor>
bool next_cell(DXFBlockStackFrame& frame, int32_t depth, Visitor& visitor)
{
    const int32_t rows = frame.bs_Insert->it_Insert.in_Rows;
    if (frame.bs_Inner + 1 < frame.bs_InnerCount) {
        ++frame.bs_Inner;
        place_cell(frame);
        return true;
    }
    while (frame.bs_Outer + 1 < frame.bs_OuterCount) {
        ++frame.bs_Outer;
        int32_t first = 0;
        int32_t end = rows;
        visitor.rows(frame, depth, frame.bs_Outer, first, end);
        first = std::max(first, 0);
        end = std::min(end, rows);
        if (first < end) {
            frame.bs_Inner = first;
            frame.bs_InnerCount = end;
            place_cell(frame);
            return true;
        }
    }
    return false;
}

// What a level set up by begin_level starts as: the visitor's say, and with narrowed
// rows the first cell that has any. false when the level walks nothing.
template <typename Visitor>
bool start_level(DXFBlockStackFrame& frame, int32_t depth, Visitor& visitor)
{
    if constexpr (requires { visitor.level_start(frame, depth); }) {
        if (visitor.level_start(frame, depth) == LevelStart::Skip)
            return false;
    }
    if constexpr (kHasRows<Visitor>) {
        if (is_rectangular(frame)) {
            int32_t first = 0;
            int32_t end = frame.bs_OuterCount;
            if constexpr (requires(int32_t& index) { visitor.columns(frame, depth, index, index); })
                visitor.columns(frame, depth, first, end);
            first = std::max(first, 0);
            frame.bs_OuterCount = std::min(end, frame.bs_OuterCount);
            // An empty column before the first ends at once: the search starts there.
            frame.bs_Outer = first - 1;
            frame.bs_Inner = 0;
            frame.bs_InnerCount = 0;
            if (next_cell(frame, depth, visitor))
                return true;
            if constexpr (requires { visitor.level_end(frame, depth); })
                visitor.level_end(frame, depth);
            return false;
        }
    }
    return true;
}

template <typename Visitor>
bool advance(DXFBlockStackFrame& frame, int32_t depth, Visitor& visitor)
{
    if constexpr (kHasRows<Visitor>) {
        if (is_rectangular(frame))
            return next_cell(frame, depth, visitor);
    }
    return next_placement(frame);
}

// Whether the INSERT names a block that one of the levels 0 to depth expands.
inline bool is_entered(BlockStack& stack, int32_t depth, const ItemRec& insert)
{
    const int32_t block = insert.it_Insert.in_BlockIndex;
    for (int32_t level = 0; level <= depth; ++level) {
        if (stack.frame(level)->bs_BlockIndex == block)
            return true;
    }
    return false;
}

}

// Expands one INSERT record under the base placement, with the frames in storage.
template <typename Visitor>
WalkResult expand_insert(DXFDrawingRec& drawing, ItemRec* insert, const Enclosing& base,
                         Visitor& visitor, DXFBlockStackFrame*& storage)
{
    BlockStack stack(drawing, storage);
    DXFBlockStackFrame* outermost = stack.frame(0);
    // Without a stack the INSERT is passed over; the next one tries again.
    if (outermost == nullptr || !begin_level(drawing, *outermost, insert, base))
        return WalkResult::Continue;
    if (!detail::start_level(*outermost, 0, visitor))
        return WalkResult::Continue;
    int32_t depth = 0;
    for (;;) {
        DXFBlockStackFrame& frame = *stack.frame(depth);
        if (frame.bs_Index < 0) {
            if (detail::advance(frame, depth, visitor))
                continue;
            if constexpr (requires { visitor.level_end(frame, depth); })
                visitor.level_end(frame, depth);
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
            if constexpr (writes_placements<Visitor>())
                write_placement(*item, frame);
            result = visitor.block_item(frame.bs_Insert, *item, frame);
        } else if (type == DXFItemEndBlock) {
            result = visitor.member(frame.bs_Insert, *item, frame);
        } else if (!is_visible_member(drawing, *item)) {
            continue;
        } else if (type == DXFItemInsert) {
            if (depth >= drawing.dxf_BlockIdentifierBuffer.bib_N ||
                detail::is_entered(stack, depth, *item))
                continue;
            // Growing the stack may move the frames: look both up again.
            DXFBlockStackFrame* nested = stack.frame(depth + 1);
            if (nested == nullptr ||
                !begin_level(drawing, *nested, item, enclosing_of(*stack.frame(depth))))
                continue;
            if (detail::start_level(*stack.frame(depth + 1), depth + 1, visitor))
                ++depth;
            continue;
        } else {
            result = visitor.member(frame.bs_Insert, *item, frame);
        }
        if (result == WalkResult::Stop)
            return WalkResult::Stop;
    }
}

// Expands one INSERT record under the base placement, in the drawing's dxf_BlockStack.
template <typename Visitor>
WalkResult expand_insert(DXFDrawingRec& drawing, ItemRec* insert, const Enclosing& base,
                         Visitor& visitor)
{
    return expand_insert(drawing, insert, base, visitor, drawing.dxf_BlockStack);
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
        if constexpr (is_model_space_only<Visitor>()) {
            if (item->it_Header.ih_Space != 0)
                continue;
        }
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
