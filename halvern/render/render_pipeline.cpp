// The render body: set-up, the walk, acceptance, pen choice, placement and hand-over of
// every drawn item to its primitive, pick marks, the fill pass and the clean-up.
//
// Placement is the walker engine's (model/walker_engine.h, walker_placement.h): INSERTs
// expand level by level in the drawing's dxf_BlockStack and every member is placed by
// its level's affine placement, so that a block lands where the walkers and the extents
// put it. The draw transform of the Draw renderers is the base placement of the walk.

#include "render/render_pipeline.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "halvern/items.h"
#include "halvern/palette.h"
#include "halvern/tables.h"
#include "halvern/walkers.h"
#include "walk/block_stack.h"
#include "geometry/geometry_internal.h"
#include "walk/walker_engine.h"
#include "walk/walker_placement.h"
#include "osmark/strings.h"
#include "platform/gdi.h"
#include "render/block_bounds.h"
#include "render/cell_culling.h"
#include "render/primitives.h"
#include "render/primitives_internal.h"
#include "render/render_state.h"

namespace halvern::render {

namespace {

using walk::WalkResult;

// What one walk over the drawing draws: everything (Show and Draw renderers), only the
// closed items into one path (first pass of the filled renderers), or everything else
// (their second pass).
enum class Pass : int32_t { Plain = 0, Fill = 1, Outline = 2 };

constexpr uint32_t kPolylineClosed = 1;
constexpr uint32_t kContourOpen = 1;

bool is_drawn_type(int32_t type)
{
    switch (type) {
    case DXFItemPoint:
    case DXFItemLine:
    case DXFItemArc:
    case DXFItemText:
    case DXFItemPolyline:
    case DXFItemEllipse:
    case DXFItemSpline:
    case DXFItemRay:
    case DXFItemXLine: return true;
    default: return false;
    }
}

// Closed items are the ones a fill pass fills: whole circles and ellipses, polylines
// flagged closed and splines that end where they start.
bool is_closed(const ItemRec& item)
{
    switch (item.it_Header.ih_ItemType) {
    case DXFItemArc: {
        const ArcRec& arc = item.it_Arc;
        return is_equal(DXFArcSweep(arc.ar_Start, arc.ar_End, arc.ar_Dir), kTwoPi);
    }
    case DXFItemEllipse: {
        const EllipseRec& ellipse = item.it_Ellipse;
        return is_equal(DXFArcSweep(ellipse.el_Start, ellipse.el_End, ellipse.el_Dir), kTwoPi);
    }
    case DXFItemPolyline: return (item.it_Polyline.pl_Flags & kPolylineClosed) != 0;
    case DXFItemSpline: {
        const int32_t count = walk::stored_point_count(item);
        const Point3DRec* points = item.it_Spline.sp_Points;
        return count >= 2 && DXFSamePoint(&points[0], &points[count - 1]) != 0;
    }
    default: return false;
    }
}

bool is_identity(const DrawTransform& transform)
{
    return transform.offset.x == 0.0 && transform.offset.y == 0.0 && transform.offset.z == 0.0 &&
           transform.scale.x == 1.0 && transform.scale.y == 1.0 && transform.scale.z == 1.0 &&
           is_zero(transform.angle);
}

// How many of count doubles behind values lie inside the item's own block; values that
// point elsewhere are taken at their count.
int32_t doubles_inside(const ItemRec& item, const double* values, int32_t count)
{
    if (values == nullptr || count <= 0)
        return 0;
    const auto* begin = reinterpret_cast<const std::byte*>(&item);
    const auto* end = begin + std::max(item.it_Header.ih_ItemSize, 0);
    const auto* at = reinterpret_cast<const std::byte*>(values);
    if (at < begin || at >= end)
        return count;
    const auto room = static_cast<int64_t>((end - at) / static_cast<ptrdiff_t>(sizeof(double)));
    return static_cast<int32_t>(std::min<int64_t>(count, room));
}

BlockIdentifierRec* find_block(const DXFDrawingRec& drawing, const char* name)
{
    const BlockIdentifierBufferRec& identifiers = drawing.dxf_BlockIdentifierBuffer;
    if (name == nullptr || identifiers.bib_Blocks == nullptr)
        return nullptr;
    for (int32_t i = 0; i < identifiers.bib_N; ++i) {
        BlockIdentifierRec* identifier = identifiers.bib_Blocks[i];
        if (identifier != nullptr && identifier->bi_Name != nullptr &&
            StriCmp(identifier->bi_Name, name) == 0)
            return identifier;
    }
    return nullptr;
}

class Renderer {
public:
    Renderer(HDC dc, DXFDrawingRec& drawing, const RectangleRec& view_port,
             const DrawTransform& transform) noexcept;
    ~Renderer();
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    void draw_drawing(Pass pass) noexcept;
    void draw_block(ItemRec& insert, Pass pass) noexcept;

    // The visitor of the walker engine.
    WalkResult top_item(ItemRec& item) noexcept;
    WalkResult block_item(ItemRec*, ItemRec&, const DXFBlockStackFrame&) noexcept
    {
        return WalkResult::Continue;
    }
    WalkResult member(ItemRec* insert, ItemRec& member, const DXFBlockStackFrame& frame) noexcept;
    // Cells of rectangular arrays (single insertions among them) whose placed box lies
    // outside the visible window are passed over; cells smaller than a pixel are drawn
    // as one pixel each.
    walk::LevelStart level_start(DXFBlockStackFrame& frame, int32_t depth) noexcept;
    void columns(const DXFBlockStackFrame& frame, int32_t depth, int32_t& first, int32_t& end) noexcept;
    void rows(const DXFBlockStackFrame& frame, int32_t depth, int32_t column, int32_t& first,
              int32_t& end) noexcept;

private:
    void begin_pass(Pass pass) noexcept;
    void end_pass() noexcept;
    void expand(ItemRec& insert) noexcept;
    walk::Enclosing first_level(const ItemRec& insert) const noexcept;

    bool accepts(const ItemRec& item, const ItemRec* insert) const noexcept;
    void choose_pen(const ItemRec& item, const ItemRec* insert) noexcept;
    void draw_item(ItemRec& item, ItemRec* insert, const DXFMatrixRec* placement) noexcept;
    void draw_label(ItemRec& insert, const DXFBlockStackFrame& frame) noexcept;
    // The lattice of the level at depth, NULL when its cells are not culled.
    const CellLattice* lattice_at(int32_t depth) const noexcept;
    bool choose_cell_pen(const DXFBlockStackFrame& frame) noexcept;
    bool pick_cells(const DXFBlockStackFrame& frame, const CellLattice& lattice) noexcept;
    void keep_last_cell(DXFBlockStackFrame& frame, const CellLattice& lattice) noexcept;

    void draw_arc(const ArcRec& arc, const DXFMatrixRec* placement, int32_t move,
                  bool keep_sense) noexcept;
    const walk::PlaneShape& shape_of(const DXFMatrixRec& placement) noexcept;
    void draw_ellipse(const EllipseRec& ellipse) noexcept;
    void draw_text(const ItemRec& item, const DXFMatrixRec* placement) noexcept;
    void draw_polyline(ItemRec& item, ItemRec* insert, const DXFMatrixRec* placement) noexcept;
    bool draw_bulge_as_point(const VertexRec& from, const VertexRec& to, int32_t move) noexcept;
    void draw_spline(const ItemRec& item, const DXFMatrixRec* placement) noexcept;
    void draw_ray(const ItemRec& item, const DXFMatrixRec* placement) noexcept;

    // A primitive call: RenderHit is cleared before it, and a hit marks the item (the
    // drawing's own record) and the INSERT being expanded.
    void before_primitive() noexcept { RenderHit = 0; }
    void after_primitive(ItemRec& item, ItemRec* insert) noexcept
    {
        if (RenderHit == 0)
            return;
        item.it_Header.ih_Flags |= DXFItemPicked;
        if (insert != nullptr)
            insert->it_Header.ih_Flags |= DXFItemPicked;
    }

    DXFDrawingRec& m_drawing;
    HDC m_dc;
    walk::Enclosing m_base;
    // The draw transform of top-level items; NULL when it is the identity.
    const DXFMatrixRec* m_top_placement = nullptr;
    Pass m_pass = Pass::Plain;
    uint32_t m_entry_colour = 0;
    COLORREF m_saved_text_colour = 0;
    HGDIOBJ m_saved_pen = nullptr;
    int32_t m_monochrome_state = 0;
    // Placed spline points, reused from spline to spline.
    std::vector<Point3DRec> m_points;
    // The basis scratch of the NURBS, all zero between splines.
    primitives::DoubleBlock m_basis;
    int64_t m_basis_count = 0;
    // Item records the primitives and placements fill, made once per call: an ItemRec
    // is large, and clearing one per polyline segment shows in the time of a draw.
    ItemRec m_bulge{};
    ItemRec m_placed{};
    ItemRec m_text{};
    // The shape of the placement the last arc was placed by, keyed by the bits of its
    // plane part: the members of a block share it, and working it out takes a square
    // root or two and an arc tangent.
    double m_shape_key[4] = {};
    bool m_has_shape = false;
    walk::PlaneShape m_shape{};
    // What each block can draw, and the culled lattice of each level (by depth).
    BlockBoundsCache m_bounds;
    std::vector<CellLattice> m_lattices;
    std::vector<bool> m_culled;
};

Renderer::Renderer(HDC dc, DXFDrawingRec& drawing, const RectangleRec& view_port,
                   const DrawTransform& transform) noexcept
    : m_drawing(drawing), m_dc(dc),
      m_base(walk::base_enclosing(transform.offset, transform.scale, transform.angle)),
      m_bounds(drawing)
{
    if (!is_identity(transform))
        m_top_placement = &m_base.placement;

    drawing.dxf_Device = dc;
    drawing.dxf_ViewSize = view_port;
    const Rectangle2DRec window = drawing.dxf_DrwgSize;
    SetDXFDrawingSize(&drawing, window.min.x, window.min.y, window.max.x, window.max.y);

    m_saved_text_colour = GetTextColor(dc);
    m_saved_pen = GetCurrentObject(dc, OBJ_PEN);
    LOGPEN pen{};
    m_entry_colour = GetObjectA(m_saved_pen, static_cast<int>(sizeof(pen)), &pen) != 0
                         ? pen.lopnColor
                         : 0;
    drawing.dxf_PenColour = m_entry_colour;

    // The visible window: in pick mode the pick window itself, otherwise the view port
    // mapped back to drawing units.
    Rectangle2DRec visible = drawing.dxf_DrwgSize;
    if (RenderPickMode == 0) {
        const RectangleRec& view = drawing.dxf_ViewSize;
        double x0 = view.MinX;
        double y0 = view.MinY;
        double x1 = view.MaxX;
        double y1 = view.MaxY;
        ViewPortToDXFDrawing(&drawing, &x0, &y0);
        ViewPortToDXFDrawing(&drawing, &x1, &y1);
        visible = Rectangle2DRec{Point2DRec{x0, y0}, Point2DRec{x1, y1}};
    }
    if (visible.min.x > visible.max.x)
        std::swap(visible.min.x, visible.max.x);
    if (visible.min.y > visible.max.y)
        std::swap(visible.min.y, visible.max.y);
    drawing.dxf_DrwgViewSize = visible;

    RenderHit = 0;
    RenderClipLines = 1;
}

Renderer::~Renderer()
{
    SelectObject(m_dc, m_saved_pen);
    if (m_drawing.dxf_CurrentPen != nullptr) {
        DeleteObject(m_drawing.dxf_CurrentPen);
        m_drawing.dxf_CurrentPen = nullptr;
    }
    SetTextColor(m_dc, m_saved_text_colour);
    RenderClipLines = 1;
}

// The fill pass draws only closed items, without clipping so that every outline stays
// whole and connected, into one path that is filled at the end. In pick mode nothing
// may reach the device context, so there is no path.
void Renderer::begin_pass(Pass pass) noexcept
{
    m_pass = pass;
    RenderClipLines = pass == Pass::Fill ? 0 : 1;
    if (pass == Pass::Fill && RenderPickMode == 0)
        BeginPath(m_dc);
}

void Renderer::end_pass() noexcept
{
    if (m_pass == Pass::Fill && RenderPickMode == 0) {
        EndPath(m_dc);
        StrokeAndFillPath(m_dc);
    }
    RenderClipLines = 1;
}

void Renderer::draw_drawing(Pass pass) noexcept
{
    begin_pass(pass);
    const ItemBufferRec& items = m_drawing.dxf_ItemBuffer;
    for (int32_t i = 0; items.ib_Items != nullptr && i < items.ib_N; ++i) {
        ItemRec* item = items.ib_Items[i];
        if (item == nullptr)
            continue;
        const int32_t type = item->it_Header.ih_ItemType;
        if (type == DXFItemBlock) {
            // A block definition among the top-level items is passed over up to its
            // ENDBLK; without one it hides the rest, as in every walk.
            while (i + 1 < items.ib_N) {
                const ItemRec* next = items.ib_Items[++i];
                if (next != nullptr && next->it_Header.ih_ItemType == DXFItemEndBlock)
                    break;
            }
            continue;
        }
        // The items of a layout (paper space) are not part of the drawing's view.
        if (!walk::is_visible(m_drawing, *item) || item->it_Header.ih_Space != 0)
            continue;
        if (type == DXFItemInsert)
            expand(*item);
        else
            top_item(*item);
    }
    end_pass();
}

void Renderer::draw_block(ItemRec& insert, Pass pass) noexcept
{
    begin_pass(pass);
    expand(insert);
    end_pass();
}

// The first level of an INSERT runs under the draw transform with the block's base
// point kept where it is: the transform turns and scales the block about its base
// point. Under the identity this is the walkers' own placement.
walk::Enclosing Renderer::first_level(const ItemRec& insert) const noexcept
{
    return walk::about_block_base(m_drawing, m_base, insert);
}

void Renderer::expand(ItemRec& insert) noexcept
{
    walk::expand_insert(m_drawing, &insert, first_level(insert), *this);
}

WalkResult Renderer::top_item(ItemRec& item) noexcept
{
    if (is_drawn_type(item.it_Header.ih_ItemType) && accepts(item, nullptr)) {
        choose_pen(item, nullptr);
        draw_item(item, nullptr, m_top_placement);
    }
    return WalkResult::Continue;
}

WalkResult Renderer::member(ItemRec* insert, ItemRec& member, const DXFBlockStackFrame& frame) noexcept
{
    const int32_t type = member.it_Header.ih_ItemType;
    if (type == DXFItemEndBlock) {
        if (insert != nullptr)
            draw_label(*insert, frame);
    } else if (is_drawn_type(type) && accepts(member, insert)) {
        choose_pen(member, insert);
        draw_item(member, insert, &frame.bs_Placement);
    }
    return WalkResult::Continue;
}

walk::LevelStart Renderer::level_start(DXFBlockStackFrame& frame, int32_t depth) noexcept
{
    const auto slot = static_cast<size_t>(depth);
    try {
        if (slot >= m_culled.size()) {
            m_lattices.resize(slot + 1);
            m_culled.resize(slot + 1);
        }
    } catch (...) {
        // Without room for its lattice the level is walked cell by cell.
        return walk::LevelStart::Walk;
    }
    m_culled[slot] = false;
    const ItemRec& insert = *frame.bs_Insert;
    // A label is drawn at its own place, at any size: such a level is walked whole.
    if (!walk::is_rectangular(frame) || insert.it_Insert.in_Label != nullptr)
        return walk::LevelStart::Walk;
    const BlockBounds bounds = m_bounds.bounds(frame.bs_BlockIndex);
    if (bounds.extent == BlockBounds::Extent::Nothing)
        return walk::LevelStart::Skip;
    const double x_scale = m_drawing.dxf_XScale;
    const double y_scale = m_drawing.dxf_YScale;
    const auto& m = frame.bs_Placement.m;
    // The box is flat: a placement that tilts z into the plane (an extrusion) could move
    // members off it.
    if (bounds.extent != BlockBounds::Extent::Box || m[0][2] != 0.0 || m[1][2] != 0.0 ||
        !(x_scale > 0.0 && y_scale > 0.0 && std::isfinite(x_scale) && std::isfinite(y_scale)))
        return walk::LevelStart::Walk;

    CellLattice lattice{};
    lattice.first = placed_box(bounds.box, frame.bs_Placement);
    const Point3DRec origin = frame.bs_Translation;
    if (frame.bs_OuterCount > 1) {
        const Point3DRec next = walk::cell_translation(frame, 1, 0);
        lattice.column_step = Point2DRec{next.x - origin.x, next.y - origin.y};
    }
    if (frame.bs_InnerCount > 1) {
        const Point3DRec next = walk::cell_translation(frame, 0, 1);
        lattice.row_step = Point2DRec{next.x - origin.x, next.y - origin.y};
    }
    // Two pixels of margin: what rounds onto the window's edge still counts.
    const Rectangle2DRec& visible = m_drawing.dxf_DrwgViewSize;
    const double margin_x = 2.0 / x_scale;
    const double margin_y = 2.0 / y_scale;
    lattice.window = Rectangle2DRec{Point2DRec{visible.min.x - margin_x, visible.min.y - margin_y},
                                    Point2DRec{visible.max.x + margin_x, visible.max.y + margin_y}};
    // Cells below a pixel draw as one pixel each (not in the fill pass, which draws
    // outlines into a path), and a pick tests those pixels.
    if (m_pass != Pass::Fill && is_below_a_pixel(lattice.first, m_drawing)) {
        if (RenderPickMode == 0) {
            if (choose_cell_pen(frame))
                draw_cells_as_pixels(lattice, frame.bs_OuterCount, frame.bs_InnerCount, m_drawing);
            keep_last_cell(frame, lattice);
            return walk::LevelStart::Skip;
        }
        if (pick_cells(frame, lattice))
            return walk::LevelStart::Skip;
    }
    m_lattices[slot] = lattice;
    m_culled[slot] = true;
    return walk::LevelStart::Walk;
}

const CellLattice* Renderer::lattice_at(int32_t depth) const noexcept
{
    const auto slot = static_cast<size_t>(depth);
    return slot < m_culled.size() && m_culled[slot] ? &m_lattices[slot] : nullptr;
}

void Renderer::columns(const DXFBlockStackFrame& frame, int32_t depth, int32_t& first,
                       int32_t& end) noexcept
{
    if (const CellLattice* lattice = lattice_at(depth))
        visible_columns(*lattice, frame.bs_Insert->it_Insert.in_Rows, first, end);
}

void Renderer::rows(const DXFBlockStackFrame&, int32_t depth, int32_t column, int32_t& first,
                    int32_t& end) noexcept
{
    if (const CellLattice* lattice = lattice_at(depth))
        visible_rows(*lattice, column, first, end);
}

// The pen of a cell drawn as a pixel: that of the first member the level would draw
// (a block of one item draws in its colour), else that of the insertion. false when
// the insertion's members draw nothing in this pass.
bool Renderer::choose_cell_pen(const DXFBlockStackFrame& frame) noexcept
{
    ItemRec* insert = frame.bs_Insert;
    const ItemBufferRec& blocks = m_drawing.dxf_BlockItemBuffer;
    for (int32_t i = frame.bs_BlockIndex + 1; i < blocks.ib_N; ++i) {
        const ItemRec* member = blocks.ib_Items[i];
        if (member == nullptr)
            continue;
        const int32_t type = member->it_Header.ih_ItemType;
        if (type == DXFItemEndBlock || type == DXFItemBlock)
            break;
        if (is_drawn_type(type) && walk::is_visible_member(m_drawing, *member) &&
            accepts(*member, insert)) {
            choose_pen(*member, insert);
            return true;
        }
    }
    if ((insert->it_Header.ih_Flags & DXFItemExcluded) != 0)
        return false;
    choose_pen(*insert, nullptr);
    return true;
}

// The BLOCK item keeps the last placement drawn, cells drawn as pixels included.
void Renderer::keep_last_cell(DXFBlockStackFrame& frame, const CellLattice& lattice) noexcept
{
    int32_t column = 0;
    int32_t row = 0;
    if (!last_visible_cell(lattice, frame.bs_OuterCount, frame.bs_InnerCount, column, row))
        return;
    frame.bs_Outer = column;
    frame.bs_Inner = row;
    walk::place_cell(frame);
    walk::write_placement(*m_drawing.dxf_BlockItemBuffer.ib_Items[frame.bs_BlockIndex], frame);
}

// A pick of cells smaller than a pixel hits when the pixel of a cell lies in the pick
// window: the members the level would draw are marked, and its INSERT. A block with
// nested insertions is walked instead, cell by cell within the window, so that the
// marks land on the nested members as they would. false when the level is to be walked.
bool Renderer::pick_cells(const DXFBlockStackFrame& frame, const CellLattice& lattice) noexcept
{
    ItemRec* insert = frame.bs_Insert;
    const ItemBufferRec& blocks = m_drawing.dxf_BlockItemBuffer;
    int32_t end = frame.bs_BlockIndex + 1;
    for (; end < blocks.ib_N; ++end) {
        const ItemRec* member = blocks.ib_Items[end];
        if (member == nullptr)
            continue;
        const int32_t type = member->it_Header.ih_ItemType;
        if (type == DXFItemEndBlock || type == DXFItemBlock)
            break;
        if (type == DXFItemInsert)
            return false;
    }
    if (!has_cell_centre_in(lattice, frame.bs_OuterCount, frame.bs_InnerCount,
                            m_drawing.dxf_DrwgViewSize))
        return true;
    for (int32_t i = frame.bs_BlockIndex + 1; i < end; ++i) {
        ItemRec* member = blocks.ib_Items[i];
        if (member != nullptr && is_drawn_type(member->it_Header.ih_ItemType) &&
            walk::is_visible_member(m_drawing, *member) && accepts(*member, insert)) {
            RenderHit = 1;
            after_primitive(*member, insert);
        }
    }
    RenderHit = 0;
    return true;
}

bool Renderer::accepts(const ItemRec& item, const ItemRec* insert) const noexcept
{
    if (m_pass != Pass::Plain && is_closed(item) != (m_pass == Pass::Fill))
        return false;
    const ItemHeaderRec& head = item.it_Header;
    if ((m_drawing.dxf_Flags & DXFDrawContoursOnly) != 0) {
        const ContourTableRec& contours = m_drawing.dxf_ContourTable;
        if (head.ih_ContourID < 0 || head.ih_ContourID >= contours.ct_N ||
            contours.ct_Contours == nullptr ||
            (contours.ct_Contours[head.ih_ContourID].cd_Flags & kContourOpen) != 0)
            return false;
    }
    if ((head.ih_Flags & DXFItemExcluded) != 0)
        return false;
    return insert == nullptr || (insert->it_Header.ih_Flags & DXFItemExcluded) == 0;
}

// The item's own palette colour wins over its layer's, highlighting wins over both;
// every other colour number falls back to the layer's colour, and an item on no layer
// to the pen the device context had at entry.
void Renderer::choose_pen(const ItemRec& item, const ItemRec* insert) noexcept
{
    const ItemHeaderRec& head = item.it_Header;
    const bool is_highlighted =
        (insert != nullptr && (insert->it_Header.ih_Flags & DXFItemHighlighted) != 0) ||
        (head.ih_Flags & DXFItemHighlighted) != 0;
    // In monochrome mode a plain item keeps the DC's pen until a highlighted one has
    // taken it over: SelectItemPen would not look at the colour.
    if ((m_drawing.dxf_Flags & DXFDrawMonochrome) != 0 && !is_highlighted &&
        m_monochrome_state == 0)
        return;
    uint32_t colour = m_entry_colour;
    const LayerTableRec& layers = m_drawing.dxf_LayerTable;
    if (head.ih_Layer >= 0 && head.ih_Layer < layers.lt_N && layers.lt_Layers != nullptr &&
        layers.lt_Layers[head.ih_Layer] != nullptr)
        colour = DXFDisplayColour(static_cast<int32_t>(layers.lt_Layers[head.ih_Layer]->ld_Colour),
                                  m_entry_colour);
    if (is_highlighted)
        colour = m_drawing.dxf_HighlightColour;
    else
        colour = DXFDisplayColour(head.ih_Colour, colour);
    SelectItemPen(colour, m_entry_colour, is_highlighted ? 1 : 0, &m_monochrome_state,
                  &m_drawing);
}

void Renderer::draw_item(ItemRec& item, ItemRec* insert, const DXFMatrixRec* placement) noexcept
{
    switch (item.it_Header.ih_ItemType) {
    case DXFItemPoint: {
        Point3DRec point = item.it_Point.pt_Point;
        if (placement != nullptr)
            point = walk::map_point(*placement, point);
        before_primitive();
        DrawClippedLine(point.x, point.y, point.x, point.y, 1, &m_drawing);
        break;
    }
    case DXFItemLine: {
        Point3DRec start = item.it_Line.ln_Start;
        Point3DRec end = item.it_Line.ln_End;
        if (placement != nullptr) {
            start = walk::map_point(*placement, start);
            end = walk::map_point(*placement, end);
        }
        before_primitive();
        DrawClippedLine(start.x, start.y, end.x, end.y, 1, &m_drawing);
        break;
    }
    case DXFItemArc:
        before_primitive();
        draw_arc(item.it_Arc, placement, 1, false);
        break;
    case DXFItemEllipse:
        before_primitive();
        if (placement != nullptr) {
            EllipseRec placed{};
            walk::place_ellipse(*placement, item.it_Ellipse, placed);
            draw_ellipse(placed);
        } else {
            draw_ellipse(item.it_Ellipse);
        }
        break;
    case DXFItemText:
        before_primitive();
        draw_text(item, placement);
        break;
    case DXFItemPolyline:
        // Marks after every segment.
        draw_polyline(item, insert, placement);
        break;
    case DXFItemSpline:
        before_primitive();
        draw_spline(item, placement);
        break;
    case DXFItemRay:
    case DXFItemXLine:
        before_primitive();
        draw_ray(item, placement);
        break;
    default: return;
    }
    after_primitive(item, insert);
    if (m_pass == Pass::Fill && RenderPickMode == 0)
        CloseFigure(m_dc);
}

// keep_sense: the arc is a piece of a polyline and must be traced from its start, so a
// placement that mirrors it gets its ends and direction exchanged back.
void Renderer::draw_arc(const ArcRec& arc, const DXFMatrixRec* placement, int32_t move,
                        bool keep_sense) noexcept
{
    if (placement == nullptr) {
        DrawArcChords(arc.ar_Centre.x, arc.ar_Centre.y, arc.ar_Radius, arc.ar_Start, arc.ar_End,
                      arc.ar_Dir, move, &m_drawing);
        return;
    }
    const walk::PlaneShape& shape = shape_of(*placement);
    walk::place_arc(*placement, shape, arc, m_placed);
    if (m_placed.it_Header.ih_ItemType == DXFItemEllipse) {
        draw_ellipse(m_placed.it_Ellipse);
        return;
    }
    ArcRec& image = m_placed.it_Arc;
    if (keep_sense && shape.is_mirroring) {
        std::swap(image.ar_Start, image.ar_End);
        image.ar_Dir = -image.ar_Dir;
    }
    DrawArcChords(image.ar_Centre.x, image.ar_Centre.y, image.ar_Radius, image.ar_Start,
                  image.ar_End, image.ar_Dir, move, &m_drawing);
}

const walk::PlaneShape& Renderer::shape_of(const DXFMatrixRec& placement) noexcept
{
    const double key[4] = {placement.m[0][0], placement.m[0][1], placement.m[1][0],
                           placement.m[1][1]};
    // Bits, not values: a zero's sign decides the turn atan2 gives.
    if (!m_has_shape || std::memcmp(key, m_shape_key, sizeof key) != 0) {
        m_shape = walk::plane_shape(placement);
        std::memcpy(m_shape_key, key, sizeof key);
        m_has_shape = true;
    }
    return m_shape;
}

// The ellipse primitive always runs counter-clockwise, so a clockwise ellipse is drawn
// from its end to its start: the same curve.
void Renderer::draw_ellipse(const EllipseRec& ellipse) noexcept
{
    const double major = std::hypot(ellipse.el_MajorAxis.x, ellipse.el_MajorAxis.y);
    double start = ellipse.el_Start;
    double end = ellipse.el_End;
    if (ellipse.el_Dir < 0)
        std::swap(start, end);
    DrawEllipseArc(ellipse.el_Centre.x, ellipse.el_Centre.y, major, major * ellipse.el_Ratio,
                   ellipse.el_Angle, start, end, 1, &m_drawing);
}

void Renderer::draw_text(const ItemRec& item, const DXFMatrixRec* placement) noexcept
{
    constexpr size_t kTextBytes = offsetof(ItemRec, it_Text) + sizeof(TextRec);
    if (item.it_Header.ih_ItemSize < static_cast<int32_t>(kTextBytes))
        return;
    // The primitive reads the head and the record; the text itself stays where it is.
    std::memcpy(static_cast<void*>(&m_text), &item, kTextBytes);
    if (placement != nullptr)
        walk::place_text(*placement, m_text.it_Text);
    const TextRec& text = m_text.it_Text;
    DrawTextItem(text.tx_Point.x, text.tx_Point.y, text.tx_Point2.x, text.tx_Point2.y, &m_text,
                 &m_drawing);
}

// A bulge arc that DrawArcChords would draw as the pixel of its centre (a radius of at
// most half a pixel, its circle well inside the window) is drawn here without working
// out the arc: CreateBulgeArc's arc tangents and sines are most of a thumbnail's time.
// Its radius is chord (1 + b^2) / (4 |b|), give or take rounding, and its centre lies
// within the radius of the first vertex. When every point that close to the vertex
// falls on the vertex's pixel (the mapping is monotone on each axis, so the corners
// of the square tell), that pixel is the centre's, and the segment is the same
// MoveToEx, LineTo and SetPixelV of it. Anything less certain takes the arc.
bool Renderer::draw_bulge_as_point(const VertexRec& from, const VertexRec& to, int32_t move) noexcept
{
    // Bulges beyond this turn the arc nearly into a full circle, where the sine that
    // gives the radius loses the precision the bound relies on.
    constexpr double kLargestBulge = 1000.0;
    const double magnitude = std::fabs(from.vx_Bulge);
    if (RenderClipLines != 1 || !(magnitude <= kLargestBulge))
        return false;
    const double x = from.vx_Point.x;
    const double y = from.vx_Point.y;
    const double dx = to.vx_Point.x - x;
    const double dy = to.vx_Point.y - y;
    const double chord = std::sqrt(dx * dx + dy * dy);
    // Above the radius whatever its rounding, and above the rounding of the centre's
    // coordinates, which lie near the vertex's.
    const double radius = chord * (1.0 + magnitude * magnitude) / (4.0 * magnitude);
    const double reach = radius * (1.0 + 1e-6) + 1e-15 * (std::fabs(x) + std::fabs(y) + radius);
    const double x_scale = m_drawing.dxf_XScale;
    // The arc's radius must be at least the tolerance (it is at least half the chord),
    // and at most half a pixel.
    if (!(std::isfinite(reach) && std::isfinite(x) && std::isfinite(y) && chord > 4e-6 &&
          x_scale > 0.0 && reach * x_scale < 0.5 && std::isfinite(m_drawing.dxf_YScale)))
        return false;
    // The circle's box lies strictly inside the window: the arc is not culled.
    const Rectangle2DRec& window = m_drawing.dxf_DrwgViewSize;
    if (!(window.min.x < x - 2.0 * reach && x + 2.0 * reach < window.max.x &&
          window.min.y < y - 2.0 * reach && y + 2.0 * reach < window.max.y))
        return false;
    const primitives::Pixel low = primitives::map_to_pixel(m_drawing, x - reach, y - reach);
    const primitives::Pixel high = primitives::map_to_pixel(m_drawing, x + reach, y + reach);
    if (low.x != high.x || low.y != high.y)
        return false;
    DrawClippedLine(x, y, x, y, move, &m_drawing);
    return true;
}

void Renderer::draw_polyline(ItemRec& item, ItemRec* insert, const DXFMatrixRec* placement) noexcept
{
    const int32_t count = walk::stored_vertex_count(item);
    const VertexRec* vertices = item.it_Polyline.pl_Vertices;
    for (int32_t k = 1; k < count; ++k) {
        const VertexRec& from = vertices[k - 1];
        const VertexRec& to = vertices[k];
        const int32_t move = k == 1 ? 1 : 0;
        before_primitive();
        if (!is_zero(from.vx_Bulge) && placement == nullptr &&
            draw_bulge_as_point(from, to, move)) {
            // Drawn as the one pixel it covers.
        } else if (!is_zero(from.vx_Bulge) && CreateBulgeArc(&from, &to, &m_bulge) != 0) {
            ArcRec arc = m_bulge.it_Arc;
            arc.ar_Centre.z = 0.0;
            // A negative bulge's arc is stored counter-clockwise from the second vertex;
            // traced from the first it runs clockwise, which keeps the outline connected.
            if (from.vx_Bulge <= -kTolerance) {
                std::swap(arc.ar_Start, arc.ar_End);
                arc.ar_Dir = -1;
            }
            draw_arc(arc, placement, move, true);
        } else {
            Point3DRec start{from.vx_Point.x, from.vx_Point.y, 0.0};
            Point3DRec end{to.vx_Point.x, to.vx_Point.y, 0.0};
            if (placement != nullptr) {
                start = walk::map_point(*placement, start);
                end = walk::map_point(*placement, end);
            }
            DrawClippedLine(start.x, start.y, end.x, end.y, move, &m_drawing);
        }
        after_primitive(item, insert);
    }
    RenderHit = 0;
}

// The spline primitives get their points placed already (identity placement), so a
// spline follows every placement the walker engine builds.
void Renderer::draw_spline(const ItemRec& item, const DXFMatrixRec* placement) noexcept
{
    const SplineRec& spline = item.it_Spline;
    const int32_t count = walk::stored_point_count(item);
    const Point3DRec* points = spline.sp_Points;
    if (placement != nullptr && count > 0) {
        try {
            m_points.resize(static_cast<size_t>(count));
        } catch (const std::bad_alloc&) {
            return;
        }
        for (int32_t i = 0; i < count; ++i)
            m_points[static_cast<size_t>(i)] = walk::map_point(*placement, spline.sp_Points[i]);
        points = m_points.data();
    }
    const int32_t knots = doubles_inside(item, spline.sp_Knots, spline.sp_NumKnots);
    if (knots > 0 && (spline.sp_Flags & DXFSplineFitPoints) == 0) {
        const int32_t weights = doubles_inside(item, spline.sp_Weights, spline.sp_NumWeights);
        // DrawNurbsSpline, with one scratch block for all the splines of the call.
        const int64_t scratch = primitives::nurbs_scratch_count(&m_drawing, points, count,
                                                                spline.sp_Degree, knots,
                                                                spline.sp_Knots);
        if (scratch == 0)
            return;
        if (scratch > m_basis_count) {
            m_basis = primitives::allocate_doubles(scratch);
            m_basis_count = m_basis != nullptr ? scratch : 0;
            if (m_basis == nullptr)
                return;
        }
        primitives::draw_nurbs_spline(&m_drawing, 0.0, 0.0, 0.0, 1.0, 1.0, spline.sp_StartParam,
                                      spline.sp_EndParam, points, count, spline.sp_Degree,
                                      spline.sp_Knots,
                                      weights >= count ? spline.sp_Weights : nullptr, 1,
                                      m_basis.get());
    } else {
        DrawFitSpline(&m_drawing, 0.0, 0.0, 0.0, 1.0, 1.0, count, points, 1);
    }
}

void Renderer::draw_ray(const ItemRec& item, const DXFMatrixRec* placement) noexcept
{
    const RayRec& ray = item.it_Ray;
    Point3DRec base = ray.ry_Base;
    Point3DRec ahead{base.x + ray.ry_Direction.x, base.y + ray.ry_Direction.y,
                     base.z + ray.ry_Direction.z};
    if (placement != nullptr) {
        base = walk::map_point(*placement, base);
        ahead = walk::map_point(*placement, ahead);
    }
    double ux = ahead.x - base.x;
    double uy = ahead.y - base.y;
    const double length = std::hypot(ux, uy);
    if (length < kTolerance || !std::isfinite(length)) {
        ux = 0.0;
        uy = 1.0;
    } else {
        ux /= length;
        uy /= length;
    }
    if (item.it_Header.ih_ItemType == DXFItemRay)
        DrawRay(base.x, base.y, ux, uy, &m_drawing);
    else
        DrawXLine(base.x, base.y, ux, uy, &m_drawing);
}

// A block label closes every placement of an INSERT that carries one, whatever the
// INSERT's own flags, in black (white on a dark background); never in the fill pass.
void Renderer::draw_label(ItemRec& insert, const DXFBlockStackFrame& frame) noexcept
{
    const InsertRec& record = insert.it_Insert;
    if (m_pass == Pass::Fill || record.in_Label == nullptr || record.in_LabelPos == nullptr)
        return;
    SelectItemPen(DXFDisplayColour(0, 0), m_entry_colour, 0, &m_monochrome_state, &m_drawing);
    const Point3DRec position = walk::map_point(
        frame.bs_Placement, Point3DRec{record.in_LabelPos->x, record.in_LabelPos->y, 0.0});
    DrawBlockLabelText(position.x, position.y, frame.bs_Rotation, &insert, &m_drawing);
}

void run_passes(Renderer& renderer, Passes passes, void (Renderer::*walk)(Pass) noexcept)
{
    if (passes == Passes::OutlineOnly) {
        (renderer.*walk)(Pass::Plain);
        return;
    }
    (renderer.*walk)(Pass::Fill);
    (renderer.*walk)(Pass::Outline);
}

}

DrawTransform make_draw_transform(const Point3DRec* offset, const Point3DRec* scale,
                                  double angle) noexcept
{
    return DrawTransform{offset != nullptr ? *offset : Point3DRec{0.0, 0.0, 0.0},
                         scale != nullptr ? *scale : Point3DRec{1.0, 1.0, 1.0}, angle};
}

void render_drawing(HDC dc, DXFDrawingRec* drawing, const RectangleRec* view_port,
                    const DrawTransform& transform, Passes passes) noexcept
{
    if (drawing == nullptr || view_port == nullptr)
        return;
    Renderer renderer(dc, *drawing, *view_port, transform);
    run_passes(renderer, passes, &Renderer::draw_drawing);
}

void render_block(HDC dc, DXFDrawingRec* drawing, const RectangleRec* view_port,
                  const char* name, const DrawTransform& transform, Passes passes) noexcept
{
    if (drawing == nullptr || view_port == nullptr)
        return;
    Renderer renderer(dc, *drawing, *view_port, transform);
    BlockIdentifierRec* identifier = find_block(*drawing, name);
    if (identifier == nullptr)
        return;
    // The block goes through an INSERT of its own that lives only for this call: one
    // plain placement at the origin, flags 0 (neither excluded nor highlighted) and no
    // extrusion, carrying the block's label.
    ItemRec insert{};
    InsertRec& record = insert.it_Insert;
    record.in_BlockName = identifier->bi_Name;
    record.in_ArrayKind = 1;
    record.in_RowAngle = kHalfPi;
    record.in_Rows = 1;
    record.in_Columns = 1;
    record.in_Scale = Point3DRec{1.0, 1.0, 1.0};
    record.in_BlockIndex = identifier->bi_BlockData;
    record.in_Label = identifier->bi_Label;
    record.in_LabelPos = &identifier->bi_LabelPos;
    record.in_LabelAttr = &identifier->bi_LabelAttr;

    if (passes == Passes::OutlineOnly) {
        renderer.draw_block(insert, Pass::Plain);
        return;
    }
    renderer.draw_block(insert, Pass::Fill);
    renderer.draw_block(insert, Pass::Outline);
}

}
