// Automatic placement of block labels. Nothing here measures distances between the
// label and the block's items: a candidate box is tested by rendering the block into
// it in pick mode, so a label clears exactly what the renderer would draw.

#include "render/block_label_placement.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>

#include "halvern/extents.h"
#include "halvern/items.h"
#include "halvern/pick.h"
#include "halvern/render.h"
#include "halvern/walkers.h"
#include "geometry/geometry_internal.h"
#include "platform/gdi.h"
#include "render/render_state.h"
#include "walk/walker_placement.h"

namespace halvern::render {

namespace {

// Candidates keep this many drawing units from the items they start from.
constexpr double kLabelMargin = 5.0;

// ---- Nearest end points ----------------------------------------------------------------

struct NearestPoints {
    Point2DRec target;
    bool has_point = false;
    Point2DRec by_x{};
    Point2DRec by_y{};
};

// p is nearer to the target than best along the main axis by more than the tolerance,
// or as near within it and nearer along the other axis by more than the tolerance.
bool is_nearer(double p_main, double best_main, double target_main, double p_other,
               double best_other, double target_other) noexcept
{
    const double main = std::fabs(target_main - p_main) - std::fabs(target_main - best_main);
    if (main <= -kTolerance)
        return true;
    if (!is_zero(main))
        return false;
    return std::fabs(target_other - p_other) - std::fabs(target_other - best_other) <= -kTolerance;
}

void UpdateNearestPoints(NearestPoints& nearest, double x, double y) noexcept
{
    const Point2DRec point{x, y};
    if (!nearest.has_point) {
        nearest.has_point = true;
        nearest.by_x = point;
        nearest.by_y = point;
        return;
    }
    const Point2DRec& target = nearest.target;
    if (is_nearer(x, nearest.by_x.x, target.x, y, nearest.by_x.y, target.y))
        nearest.by_x = point;
    if (is_nearer(y, nearest.by_y.y, target.y, x, nearest.by_y.x, target.x))
        nearest.by_y = point;
}

// Walker callback: the end points of each placed item.
int32_t CollectItemEndPoints(ItemRec*, ItemRec* item, void* user)
{
    auto& nearest = *static_cast<NearestPoints*>(user);
    switch (item->it_Header.ih_ItemType) {
    case DXFItemPoint: {
        const Point3DRec& point = item->it_Point.pt_Point;
        UpdateNearestPoints(nearest, point.x, point.y);
        UpdateNearestPoints(nearest, point.x, point.y);
        break;
    }
    case DXFItemLine:
        UpdateNearestPoints(nearest, item->it_Line.ln_Start.x, item->it_Line.ln_Start.y);
        UpdateNearestPoints(nearest, item->it_Line.ln_End.x, item->it_Line.ln_End.y);
        break;
    case DXFItemArc: {
        const ArcRec& arc = item->it_Arc;
        for (const double angle : {arc.ar_Start, arc.ar_End})
            UpdateNearestPoints(nearest, arc.ar_Centre.x + arc.ar_Radius * std::cos(angle),
                                arc.ar_Centre.y + arc.ar_Radius * std::sin(angle));
        break;
    }
    case DXFItemPolyline: {
        const int32_t count = walk::stored_vertex_count(*item);
        for (int32_t i = 0; i < count; ++i) {
            const Point3DRec& point = item->it_Polyline.pl_Vertices[i].vx_Point;
            UpdateNearestPoints(nearest, point.x, point.y);
        }
        break;
    }
    case DXFItemSpline: {
        const int32_t count = walk::stored_point_count(*item);
        if (count < 1)
            break;
        const Point3DRec* points = item->it_Spline.sp_Points;
        UpdateNearestPoints(nearest, points[0].x, points[0].y);
        UpdateNearestPoints(nearest, points[count - 1].x, points[count - 1].y);
        break;
    }
    default:
        break;
    }
    return DXFStepContinue;
}

// ---- Candidates ------------------------------------------------------------------------

struct Candidates {
    std::array<Point2DRec, 2> points;
    int32_t count;
};

Candidates candidates_for(DXFDrawingRec& copy, const BlockIdentifierRec& identifier, int32_t code,
                          const Rectangle2DRec& extents, LabelSize size) noexcept
{
    const double w = size.width;
    const double h = size.height;
    Point2DRec target{};
    Point2DRec shift{};
    switch (code) {
    case 1:
        target = extents.min;
        shift = Point2DRec{kLabelMargin, kLabelMargin};
        break;
    case 2:
        target = Point2DRec{extents.max.x, extents.min.y};
        shift = Point2DRec{-(w + kLabelMargin), kLabelMargin};
        break;
    case 3:
        target = Point2DRec{extents.min.x, extents.max.y};
        shift = Point2DRec{kLabelMargin, -(h + kLabelMargin)};
        break;
    case 4:
        target = extents.max;
        shift = Point2DRec{-(w + kLabelMargin), -(h + kLabelMargin)};
        break;
    default: {
        const Point2DRec centred{(extents.min.x + extents.max.x) / 2.0 - w / 2.0,
                                 (extents.min.y + extents.max.y) / 2.0 - h / 2.0};
        return Candidates{{centred, centred}, 1};
    }
    }
    const LabelAnchors anchors = FindBlockLabelAnchors(copy, identifier, target);
    const Point2DRec first{anchors.by_x.x + shift.x, anchors.by_x.y + shift.y};
    const Point2DRec second{anchors.by_y.x + shift.x, anchors.by_y.y + shift.y};
    const bool same = is_equal(first.x, second.x) && is_equal(first.y, second.y);
    return Candidates{{first, second}, same ? 1 : 2};
}

bool is_inside_extents(Point2DRec corner, LabelSize size, const Rectangle2DRec& extents) noexcept
{
    return corner.x - extents.min.x > -kTolerance &&
           (corner.x + size.width) - extents.max.x < kTolerance &&
           corner.y - extents.min.y > -kTolerance &&
           (corner.y + size.height) - extents.max.y < kTolerance;
}

// Toward zero, held to the 32-bit range (NaN gives 0).
int32_t truncate_to_pixel(double value) noexcept
{
    if (!(value == value))
        return 0;
    constexpr double kLow = std::numeric_limits<int32_t>::min();
    constexpr double kHigh = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(std::trunc(std::clamp(value, kLow, kHigh)));
}

// A scope in which the renderers mark instead of drawing; an enclosing pick mode is
// put back after it.
class PickModeScope {
public:
    PickModeScope() noexcept : m_saved(RenderPickMode) { RenderPickMode = 1; }
    ~PickModeScope() { RenderPickMode = m_saved; }
    PickModeScope(const PickModeScope&) = delete;
    PickModeScope& operator=(const PickModeScope&) = delete;

private:
    int32_t m_saved;
};

// Renders the block into the label box in pick mode, at about one pixel per drawing
// unit (the box's own coordinates serve as its pixels). The marks are read from the
// block's own item records, so a block that no visible INSERT of the drawing uses is
// tested as well as any other.
bool touches_block(DXFDrawingRec& copy, HDC hdc, const RectangleRec& view_port, const char* name,
                   Point2DRec corner, LabelSize size) noexcept
{
    const Rectangle2DRec box{corner, Point2DRec{corner.x + size.width, corner.y + size.height}};
    copy.dxf_ViewSize = view_port;
    SetDXFDrawingSize(&copy, box.min.x, box.min.y, box.max.x, box.max.y);
    RectangleRec pick_view{truncate_to_pixel(box.min.x), truncate_to_pixel(box.min.y),
                           truncate_to_pixel(box.max.x), truncate_to_pixel(box.max.y)};
    copy.dxf_ViewSize = pick_view;
    ClearDXFPick(&copy);
    {
        const PickModeScope pick_mode;
        ShowDXFBlock(hdc, &copy, &pick_view, name);
    }
    return ClearDXFPick(&copy) != 0;
}

Point2DRec block_base(const DXFDrawingRec& drawing, const BlockIdentifierRec& identifier) noexcept
{
    const ItemBufferRec& blocks = drawing.dxf_BlockItemBuffer;
    const int32_t index = identifier.bi_BlockData;
    if (blocks.ib_Items == nullptr || index < 0 || index >= blocks.ib_N)
        return Point2DRec{0.0, 0.0};
    const ItemRec* block = blocks.ib_Items[index];
    if (block == nullptr || block->it_Header.ih_ItemType != DXFItemBlock)
        return Point2DRec{0.0, 0.0};
    return Point2DRec{block->it_Block.bk_Base.x, block->it_Block.bk_Base.y};
}

}

LabelSize MeasureBlockLabel(DXFDrawingRec& copy, HDC hdc, const RectangleRec& view_port,
                            const char* text) noexcept
{
    copy.dxf_Device = hdc;
    copy.dxf_ViewSize = view_port;
    const Rectangle2DRec window = copy.dxf_DrwgSize;
    SetDXFDrawingSize(&copy, window.min.x, window.min.y, window.max.x, window.max.y);
    const size_t length = std::min<size_t>(std::strlen(text), std::numeric_limits<int>::max());
    SIZE extent{};
    if (GetTextExtentPoint32A(hdc, text, static_cast<int>(length), &extent) == FALSE)
        extent = SIZE{};
    double x0 = 0.0;
    double y0 = 0.0;
    double x1 = extent.cx;
    double y1 = extent.cy;
    ViewPortToDXFDrawing(&copy, &x0, &y0);
    ViewPortToDXFDrawing(&copy, &x1, &y1);
    return LabelSize{std::fabs(x1 - x0), std::fabs(y1 - y0)};
}

LabelAnchors FindBlockLabelAnchors(DXFDrawingRec& copy, const BlockIdentifierRec& identifier,
                                   Point2DRec target) noexcept
{
    // The block as the block renderers and the extents place it: one plain insertion
    // at the origin, which adds the base point.
    ItemRec insert{};
    insert.it_Header.ih_ItemType = DXFItemInsert;
    InsertRec& record = insert.it_Insert;
    record.in_BlockName = identifier.bi_Name;
    record.in_ArrayKind = 1;
    record.in_RowAngle = kHalfPi;
    record.in_Rows = 1;
    record.in_Columns = 1;
    record.in_Scale = Point3DRec{1.0, 1.0, 1.0};
    record.in_BlockIndex = identifier.bi_BlockData;

    NearestPoints nearest{target};
    StepDXFBlock(&copy, &insert, DXFWalkAll, CollectItemEndPoints, &nearest);
    if (!nearest.has_point)
        return LabelAnchors{target, target};
    return LabelAnchors{nearest.by_x, nearest.by_y};
}

std::optional<Point2DRec> find_label_place(DXFDrawingRec& copy, HDC hdc,
                                           const RectangleRec& view_port,
                                           const BlockIdentifierRec& identifier,
                                           LabelSize size) noexcept
{
    CalcDXFBlockSize(&copy, identifier.bi_Name);
    const Rectangle2DRec extents = copy.dxf_DrwgSize;
    for (const int32_t code : copy.dxf_LabelPlace) {
        const Candidates candidates = candidates_for(copy, identifier, code, extents, size);
        for (int32_t i = 0; i < candidates.count; ++i) {
            const Point2DRec corner = candidates.points[static_cast<size_t>(i)];
            if (!is_inside_extents(corner, size, extents) ||
                touches_block(copy, hdc, view_port, identifier.bi_Name, corner, size))
                continue;
            // The candidates lie where the block lands with its base point added, and so
            // does the label when it is drawn: it is kept without the base point.
            const Point2DRec base = block_base(copy, identifier);
            return Point2DRec{corner.x - base.x, corner.y - base.y};
        }
    }
    return std::nullopt;
}

}
