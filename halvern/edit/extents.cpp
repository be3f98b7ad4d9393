// Extents of drawings and blocks: the walker engine's traversal with a box as its
// visitor. Nothing is copied and nothing allocated but the shared block stack; every
// item folds its points straight into the box.

#include "halvern/extents.h"

#include <cmath>
#include <initializer_list>
#include <utility>

#include "edit/extents_internal.h"
#include "walk/block_stack.h"
#include "model/item_internal.h"
#include "walk/polyline_segments.h"
#include "walk/walker_engine.h"
#include "walk/walker_placement.h"
#include "osmark/strings.h"

namespace {

using halvern::ExtentsBox;
using halvern::ExtentsPlacement;
using halvern::walk::WalkResult;

// The axis points of a circle: the angle at which each lies and its offset from the
// centre in radii. Written out so that quarter points land exactly.
struct AxisPoint {
    double angle;
    double dx;
    double dy;
};

constexpr AxisPoint kAxisPoints[] = {
    {0.0, 1.0, 0.0},
    {halvern::kHalfPi, 0.0, 1.0},
    {halvern::kPi, -1.0, 0.0},
    {-halvern::kHalfPi, 0.0, -1.0},
};

void fold_arc(ExtentsBox& box, const ArcRec& arc)
{
    const double cx = arc.ar_Centre.x;
    const double cy = arc.ar_Centre.y;
    const double r = arc.ar_Radius;
    box.fold(cx + r * std::cos(arc.ar_Start), cy + r * std::sin(arc.ar_Start));
    box.fold(cx + r * std::cos(arc.ar_End), cy + r * std::sin(arc.ar_End));
    for (const AxisPoint& axis : kAxisPoints) {
        if (halvern::DXFAngleInSweep(arc.ar_Start, axis.angle, arc.ar_End, arc.ar_Dir) != 0)
            box.fold(cx + r * axis.dx, cy + r * axis.dy);
    }
}

// C + cos t A + sin t B with B the minor axis, A turned a quarter and scaled by the
// ratio: x is extreme where tan t = B.x / A.x, y where tan t = B.y / A.y, and at
// those parameters plus a half turn.
void fold_ellipse(ExtentsBox& box, const EllipseRec& ellipse)
{
    const double cx = ellipse.el_Centre.x;
    const double cy = ellipse.el_Centre.y;
    const double ax = ellipse.el_MajorAxis.x;
    const double ay = ellipse.el_MajorAxis.y;
    const double bx = -ellipse.el_Ratio * ay;
    const double by = ellipse.el_Ratio * ax;
    const auto fold_at = [&](double t) {
        const double c = std::cos(t);
        const double s = std::sin(t);
        box.fold(cx + c * ax + s * bx, cy + c * ay + s * by);
    };
    fold_at(ellipse.el_Start);
    fold_at(ellipse.el_End);
    const double tx = std::atan2(bx, ax);
    const double ty = std::atan2(by, ay);
    for (const double t : {tx, tx + halvern::kPi, ty, ty + halvern::kPi}) {
        if (halvern::DXFAngleInSweep(ellipse.el_Start, t, ellipse.el_End, ellipse.el_Dir) != 0)
            fold_at(t);
    }
}

// The stored corners of a polyline or spline. Callers pass them only when the item
// holds a vertex or point: an empty one keeps (0, 0) corners that are no point of it.
void fold_corners(ExtentsBox& box, const Point3DRec& min, const Point3DRec& max)
{
    box.fold(min);
    box.fold(max);
}

void fold_placed_arc(ExtentsBox& box, const ArcRec& arc, const DXFMatrixRec& placement)
{
    ItemRec image{};
    halvern::walk::place_arc(placement, arc, image);
    if (image.it_Header.ih_ItemType == DXFItemArc)
        fold_arc(box, image.it_Arc);
    else
        fold_ellipse(box, image.it_Ellipse);
}

// Segment by segment, as the walkers split a polyline: a bulged segment is its arc, a
// straight one its two vertices.
void fold_placed_polyline(ExtentsBox& box, const ItemRec& item, const DXFMatrixRec& placement)
{
    const auto fold_segment = [&](const halvern::walk::PolylineSegment& segment) {
        if (segment.is_arc) {
            fold_placed_arc(box, segment.arc, placement);
        } else {
            box.fold(halvern::walk::map_point(placement, segment.start));
            box.fold(halvern::walk::map_point(placement, segment.end));
        }
        return true;
    };
    halvern::walk::for_each_polyline_segment(item, fold_segment);
}

bool is_excluded(const ItemRec& item)
{
    return (item.it_Header.ih_Flags & DXFItemExcluded) != 0;
}

// The visitor of the walker engine. Top-level items fold as they lie, or under the base
// placement of the bounds; members fold under their placement. Items of a layout (paper
// space) do not count.
class MeasureVisitor {
public:
    static constexpr bool kModelSpaceOnly = true;

    MeasureVisitor(const DXFMatrixRec* top_placement, int32_t contour) noexcept
        : m_top_placement(top_placement), m_contour(contour)
    {
    }

    halvern::walk::LevelStart level_start(DXFBlockStackFrame& frame, int32_t depth) noexcept
    {
        return m_arrays.level_start(frame, depth, m_box);
    }
    void level_end(DXFBlockStackFrame&, int32_t depth) noexcept { m_arrays.level_end(depth, m_box); }

    WalkResult top_item(ItemRec& item)
    {
        if (!counts(item))
            return WalkResult::Continue;
        if (m_top_placement != nullptr)
            halvern::DXFFoldPlacedItemExtents(m_box, item, *m_top_placement);
        else
            halvern::DXFFoldItemExtents(m_box, item);
        return WalkResult::Continue;
    }

    WalkResult block_item(ItemRec*, ItemRec&, const DXFBlockStackFrame&) { return WalkResult::Continue; }

    WalkResult member(ItemRec* insert, ItemRec& member, const DXFBlockStackFrame& frame)
    {
        // An excluded INSERT stands for items that replaced it: its members do not count.
        if ((insert != nullptr && is_excluded(*insert)) || !counts(member))
            return WalkResult::Continue;
        halvern::DXFFoldPlacedItemExtents(m_box, member, frame.bs_Placement);
        return WalkResult::Continue;
    }

    const ExtentsBox& box() const noexcept { return m_box; }

private:
    bool counts(const ItemRec& item) const
    {
        if (is_excluded(item))
            return false;
        return m_contour < 0 || item.it_Header.ih_ContourID == m_contour;
    }

    ExtentsBox m_box;
    const DXFMatrixRec* m_top_placement;
    int32_t m_contour;
    halvern::ArrayShortcuts m_arrays;
};

ExtentsPlacement placement_of(const Point3DRec* offset, const Point3DRec* scales, double rotation)
{
    return ExtentsPlacement{offset != nullptr ? *offset : Point3DRec{0.0, 0.0, 0.0},
                            scales != nullptr ? *scales : Point3DRec{1.0, 1.0, 1.0}, rotation};
}

halvern::walk::Enclosing enclosing_of(const ExtentsPlacement& placement)
{
    return halvern::walk::base_enclosing(placement.offset, placement.scale, placement.rotation);
}

const BlockIdentifierRec* find_block(const DXFDrawingRec& drawing, const char* name)
{
    const BlockIdentifierBufferRec& identifiers = drawing.dxf_BlockIdentifierBuffer;
    for (int32_t i = 0; identifiers.bib_Blocks != nullptr && i < identifiers.bib_N; ++i) {
        const BlockIdentifierRec* identifier = identifiers.bib_Blocks[i];
        if (identifier != nullptr && identifier->bi_Name != nullptr &&
            StriCmp(identifier->bi_Name, name) == 0)
            return identifier;
    }
    return nullptr;
}

// The block expanded through an INSERT made on the spot: one plain placement at the
// origin, unscaled, unturned and without extrusion.
void measure_block(DXFDrawingRec& drawing, const char* name, const ExtentsPlacement& placement)
{
    drawing.dxf_DrwgSize = Rectangle2DRec{};
    const BlockIdentifierRec* identifier = name != nullptr ? find_block(drawing, name) : nullptr;
    if (identifier == nullptr)
        return;
    ItemRec insert{};
    insert.it_Header.ih_ItemType = DXFItemInsert;
    insert.it_Header.ih_ItemSize = static_cast<int32_t>(halvern::kItemHeadSize + sizeof(InsertRec));
    insert.it_Header.ih_ContourID = -1;
    InsertRec& record = insert.it_Insert;
    record.in_BlockName = identifier->bi_Name;
    record.in_BlockIndex = identifier->bi_BlockData;
    record.in_ArrayKind = 1;
    record.in_RowAngle = halvern::kHalfPi;
    record.in_Rows = 1;
    record.in_Columns = 1;
    record.in_Scale = Point3DRec{1.0, 1.0, 1.0};
    record.in_Extrusion = Point3DRec{0.0, 0.0, 1.0};
    MeasureVisitor visitor(nullptr, halvern::kExtentsAllContours);
    halvern::walk::expand_insert(
        drawing, &insert, halvern::walk::about_block_base(drawing, enclosing_of(placement), insert),
        visitor);
    drawing.dxf_DrwgSize = visitor.box().rectangle();
}

}

namespace halvern {

walk::LevelStart ArrayShortcuts::level_start(DXFBlockStackFrame& frame, int32_t depth,
                                             ExtentsBox& box) noexcept
{
    if (!walk::is_rectangular(frame) || (frame.bs_OuterCount <= 1 && frame.bs_InnerCount <= 1))
        return walk::LevelStart::Walk;
    const int32_t last_column = frame.bs_OuterCount - 1;
    const int32_t last_row = frame.bs_InnerCount - 1;
    const Point3DRec first = walk::cell_translation(frame, 0, 0);
    Shortcut shortcut{depth, box, {}};
    const std::pair<int32_t, int32_t> cells[3] = {{last_column, 0}, {0, last_row}, {last_column, last_row}};
    for (int k = 0; k < 3; ++k) {
        const Point3DRec corner = walk::cell_translation(frame, cells[k].first, cells[k].second);
        shortcut.corners[k] = Point2DRec{corner.x - first.x, corner.y - first.y};
    }
    try {
        m_shortcuts.push_back(shortcut);
    } catch (...) {
        // Without room to note it, the array is measured cell by cell.
        return walk::LevelStart::Walk;
    }
    box = ExtentsBox{};
    frame.bs_OuterCount = 1;
    frame.bs_InnerCount = 1;
    return walk::LevelStart::Walk;
}

void ArrayShortcuts::level_end(int32_t depth, ExtentsBox& box) noexcept
{
    if (m_shortcuts.empty() || m_shortcuts.back().depth != depth)
        return;
    const Shortcut shortcut = m_shortcuts.back();
    m_shortcuts.pop_back();
    const ExtentsBox cell = box;
    box = shortcut.enclosing;
    box.fold(cell);
    for (const Point2DRec& corner : shortcut.corners)
        box.fold_moved(cell, corner.x, corner.y);
}

void DXFFoldItemExtents(ExtentsBox& box, const ItemRec& item) noexcept
{
    switch (item.it_Header.ih_ItemType) {
    case DXFItemPoint: box.fold(item.it_Point.pt_Point); break;
    case DXFItemLine:
        box.fold(item.it_Line.ln_Start);
        box.fold(item.it_Line.ln_End);
        break;
    case DXFItemText:
        box.fold(item.it_Text.tx_Point);
        box.fold(item.it_Text.tx_Point2);
        break;
    case DXFItemPolyline:
        if (walk::stored_vertex_count(item) > 0)
            fold_corners(box, item.it_Polyline.pl_Min, item.it_Polyline.pl_Max);
        break;
    case DXFItemSpline:
        if (walk::stored_point_count(item) > 0)
            fold_corners(box, item.it_Spline.sp_Min, item.it_Spline.sp_Max);
        break;
    case DXFItemArc: fold_arc(box, item.it_Arc); break;
    case DXFItemEllipse: fold_ellipse(box, item.it_Ellipse); break;
    default:
        // INSERTs are expanded by the walk; the other types have no extent here.
        break;
    }
}

void DXFFoldPlacedItemExtents(ExtentsBox& box, const ItemRec& item,
                              const DXFMatrixRec& placement) noexcept
{
    switch (item.it_Header.ih_ItemType) {
    case DXFItemPoint: box.fold(walk::map_point(placement, item.it_Point.pt_Point)); break;
    case DXFItemLine:
        box.fold(walk::map_point(placement, item.it_Line.ln_Start));
        box.fold(walk::map_point(placement, item.it_Line.ln_End));
        break;
    case DXFItemText:
        box.fold(walk::map_point(placement, item.it_Text.tx_Point));
        box.fold(walk::map_point(placement, item.it_Text.tx_Point2));
        break;
    case DXFItemPolyline: fold_placed_polyline(box, item, placement); break;
    case DXFItemSpline: {
        const int32_t count = walk::stored_point_count(item);
        for (int32_t i = 0; i < count; ++i)
            box.fold(walk::map_point(placement, item.it_Spline.sp_Points[i]));
        break;
    }
    case DXFItemArc: fold_placed_arc(box, item.it_Arc, placement); break;
    case DXFItemEllipse: {
        EllipseRec image{};
        walk::place_ellipse(placement, item.it_Ellipse, image);
        fold_ellipse(box, image);
        break;
    }
    default: break;
    }
}

void DXFMeasureDrawing(DXFDrawingRec& drawing, const ExtentsPlacement* placement,
                       int32_t contour) noexcept
{
    const walk::Enclosing base =
        placement != nullptr ? enclosing_of(*placement) : walk::identity_enclosing();
    MeasureVisitor visitor(placement != nullptr ? &base.placement : nullptr, contour);
    walk::walk_drawing(drawing, base, visitor);
    drawing.dxf_DrwgSize = visitor.box().rectangle();
}

}

extern "C" {

HALVERN_API void CalcDXFDrawingSize(DXFDrawingRec* drawing) noexcept
{
    if (drawing != nullptr)
        halvern::DXFMeasureDrawing(*drawing, nullptr, halvern::kExtentsAllContours);
}

HALVERN_API void CalcDXFDrawingBounds(DXFDrawingRec* drawing, const Point3DRec* offset,
                                      const Point3DRec* scales, double rotation) noexcept
{
    if (drawing == nullptr)
        return;
    const ExtentsPlacement placement = placement_of(offset, scales, rotation);
    halvern::DXFMeasureDrawing(*drawing, &placement, halvern::kExtentsAllContours);
}

HALVERN_API void CalcDXFBlockSize(DXFDrawingRec* drawing, const char* name) noexcept
{
    if (drawing != nullptr)
        measure_block(*drawing, name, placement_of(nullptr, nullptr, 0.0));
}

HALVERN_API void CalcDXFBlockBounds(DXFDrawingRec* drawing, const char* name,
                                    const Point3DRec* offset, const Point3DRec* scales,
                                    double rotation) noexcept
{
    if (drawing != nullptr)
        measure_block(*drawing, name, placement_of(offset, scales, rotation));
}

}
