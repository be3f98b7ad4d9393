// What a block can draw, as a box in the block's own coordinates: the renderer maps it
// through a cell's placement to pass over the cells of an array (or single insertions)
// that lie outside the window, and to draw a cell smaller than a pixel as one pixel.
//
// The box holds everything the block's members draw, nested blocks included: points,
// lines, polylines, arcs and ellipses exactly, splines by their control points, texts
// by a disc of a generous text width about both their points. What has no finite box
// (rays, construction lines, splines through fit points, splines of weights that are
// not positive, block labels of nested insertions) makes the block unbounded: its
// cells are always walked.
#ifndef HALVERN_RENDER_BLOCK_BOUNDS_H
#define HALVERN_RENDER_BLOCK_BOUNDS_H

#include <cstdint>
#include <vector>

#include "halvern/drawing.h"
#include "halvern/types.h"

namespace halvern::render {

struct BlockBounds {
    enum class Extent : uint8_t { Nothing, Box, Unbounded };
    Extent extent = Extent::Nothing;
    Rectangle2DRec box{};
};

// The bounds of the drawing's blocks, each worked out when first asked for during one
// render call (layers and flags do not change within it). The walk that measures runs
// on frames of its own, so that it may run while the render's expansion holds the
// drawing's, and leaves the BLOCK items' placement records alone.
class BlockBoundsCache {
public:
    explicit BlockBoundsCache(DXFDrawingRec& drawing) noexcept : m_drawing(drawing) {}
    ~BlockBoundsCache();
    BlockBoundsCache(const BlockBoundsCache&) = delete;
    BlockBoundsCache& operator=(const BlockBoundsCache&) = delete;

    // The bounds of the block whose BLOCK item is at index of dxf_BlockItemBuffer.
    // Unbounded when they cannot be worked out (memory).
    BlockBounds bounds(int32_t index) noexcept;

private:
    BlockBounds measure(int32_t index) noexcept;

    DXFDrawingRec& m_drawing;
    DXFBlockStackFrame* m_frames = nullptr;
    // By BLOCK item index; grown as blocks are asked for.
    std::vector<BlockBounds> m_bounds;
    std::vector<bool> m_known;
};

}

#endif
