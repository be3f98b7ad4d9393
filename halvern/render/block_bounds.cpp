// The bounds of what a block draws, through the walker engine with a box as its
// visitor: the extents' fold of each member, widened where a member draws beyond its
// points.

#include "render/block_bounds.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "edit/extents_internal.h"
#include "halvern/items.h"
#include "model/item_internal.h"
#include "osmark/memory.h"
#include "walk/walker_engine.h"
#include "walk/walker_placement.h"

namespace halvern::render {

namespace {

using walk::WalkResult;

// A text's glyphs lie within this many heights per character of either of its points
// (advances of common faces stay near one height; the margin covers wide and oblique
// faces and the cell above and below the line).
constexpr double kTextReachPerCharacter = 2.0;
constexpr double kTextReachBase = 2.0;

// A spline drawn through its control points stays within their hull when its weights
// are positive and its parameters lie within its knots; a spline through fit points
// (a cubic that interpolates them) may swing out of theirs.
bool is_within_control_points(const ItemRec& item)
{
    const SplineRec& spline = item.it_Spline;
    if (spline.sp_NumKnots <= 0 || spline.sp_Knots == nullptr ||
        (spline.sp_Flags & DXFSplineFitPoints) != 0)
        return false;
    const double first = spline.sp_Knots[0];
    const double last = spline.sp_Knots[spline.sp_NumKnots - 1];
    if (!(first <= spline.sp_StartParam && spline.sp_EndParam <= last))
        return false;
    for (int32_t i = 0; spline.sp_Weights != nullptr && i < spline.sp_NumWeights; ++i) {
        if (!(spline.sp_Weights[i] > 0.0))
            return false;
    }
    return true;
}

class BoundsVisitor {
public:
    static constexpr bool kWritesPlacements = false;

    WalkResult top_item(ItemRec&) { return WalkResult::Continue; }
    WalkResult block_item(ItemRec*, ItemRec&, const DXFBlockStackFrame&) { return WalkResult::Continue; }

    WalkResult member(ItemRec* insert, ItemRec& member, const DXFBlockStackFrame& frame)
    {
        const DXFMatrixRec& placement = frame.bs_Placement;
        switch (member.it_Header.ih_ItemType) {
        case DXFItemEndBlock:
            // A nested insertion's label is drawn at its own place, at any size.
            if (insert != nullptr && insert->it_Insert.in_Label != nullptr && frame.bs_Insert != m_outermost)
                return unbounded();
            return WalkResult::Continue;
        case DXFItemRay:
        case DXFItemXLine: return unbounded();
        case DXFItemSpline:
            if (!is_within_control_points(member))
                return unbounded();
            break;
        case DXFItemText: fold_text(member, placement); return WalkResult::Continue;
        default: break;
        }
        DXFFoldPlacedItemExtents(m_box, member, placement);
        return WalkResult::Continue;
    }

    walk::LevelStart level_start(DXFBlockStackFrame& frame, int32_t depth) noexcept
    {
        return m_arrays.level_start(frame, depth, m_box);
    }
    void level_end(DXFBlockStackFrame&, int32_t depth) noexcept { m_arrays.level_end(depth, m_box); }

    void set_outermost(const ItemRec* insert) noexcept { m_outermost = insert; }
    bool is_unbounded() const noexcept { return m_unbounded; }
    const ExtentsBox& box() const noexcept { return m_box; }

private:
    WalkResult unbounded()
    {
        m_unbounded = true;
        return WalkResult::Stop;
    }

    void fold_text(const ItemRec& member, const DXFMatrixRec& placement)
    {
        TextRec text = member.it_Text;
        walk::place_text(placement, text);
        const size_t stored = static_cast<size_t>(std::max(member.it_Header.ih_ItemSize, 0));
        const size_t length = text.tx_Text != nullptr ? std::strlen(text.tx_Text) : stored;
        const double reach = std::fabs(text.tx_Height) *
                             (kTextReachPerCharacter * static_cast<double>(length) + kTextReachBase);
        for (const Point3DRec& point : {text.tx_Point, text.tx_Point2}) {
            m_box.fold(point.x - reach, point.y - reach);
            m_box.fold(point.x + reach, point.y + reach);
        }
    }

    ExtentsBox m_box;
    ArrayShortcuts m_arrays;
    const ItemRec* m_outermost = nullptr;
    bool m_unbounded = false;
};

}

BlockBoundsCache::~BlockBoundsCache()
{
    FreeVec(m_frames);
}

BlockBounds BlockBoundsCache::bounds(int32_t index) noexcept
{
    const BlockBounds unbounded{BlockBounds::Extent::Unbounded, {}};
    if (index < 0 || index >= m_drawing.dxf_BlockItemBuffer.ib_N)
        return unbounded;
    const auto slot = static_cast<size_t>(index);
    try {
        if (slot >= m_bounds.size()) {
            m_bounds.resize(slot + 1);
            m_known.resize(slot + 1);
        }
    } catch (...) {
        return unbounded;
    }
    if (!m_known[slot]) {
        m_bounds[slot] = measure(index);
        m_known[slot] = true;
    }
    return m_bounds[slot];
}

// The block through an insertion that puts its members where they are stored: no
// scale, no turn, no extrusion, and the base point taken back out of the translation
// the walk adds.
BlockBounds BlockBoundsCache::measure(int32_t index) noexcept
{
    const ItemRec* block = m_drawing.dxf_BlockItemBuffer.ib_Items[index];
    if (block == nullptr || block->it_Header.ih_ItemType != DXFItemBlock)
        return BlockBounds{};
    ItemRec insert{};
    insert.it_Header.ih_ItemType = DXFItemInsert;
    insert.it_Header.ih_ItemSize = static_cast<int32_t>(kItemHeadSize + sizeof(InsertRec));
    insert.it_Header.ih_ContourID = -1;
    InsertRec& record = insert.it_Insert;
    record.in_BlockIndex = index;
    record.in_ArrayKind = 1;
    const Point3DRec& base = block->it_Block.bk_Base;
    record.in_Point = Point3DRec{-base.x, -base.y, -base.z};
    record.in_RowAngle = kHalfPi;
    record.in_Rows = 1;
    record.in_Columns = 1;
    record.in_Scale = Point3DRec{1.0, 1.0, 1.0};
    record.in_Extrusion = Point3DRec{0.0, 0.0, 1.0};
    BoundsVisitor visitor;
    visitor.set_outermost(&insert);
    walk::expand_insert(m_drawing, &insert, walk::identity_enclosing(), visitor, m_frames);
    if (visitor.is_unbounded())
        return BlockBounds{BlockBounds::Extent::Unbounded, {}};
    if (visitor.box().is_empty())
        return BlockBounds{};
    return BlockBounds{BlockBounds::Extent::Box, visitor.box().rectangle()};
}

}
