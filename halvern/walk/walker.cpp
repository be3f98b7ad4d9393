// The item walkers: StepDXFDrawing, StepDXFBlock, StepDXFItemType and
// StepDXFInsertion, with the placed copies they hand to callbacks.
//
// Copies of POINT, LINE, ARC, ELLIPSE, RAY and XLINE members and the segments of split
// polylines are built in the walker's own template; TEXT, SPLINE and whole POLYLINE
// copies carry trailing data and are AllocVec blocks (CopyItem without a pool), freed
// as soon as the callback returns.

#include "halvern/walkers.h"

#include <cmath>

#include "dxf/dxf_entity_parser.h"
#include "geometry/geometry_internal.h"
#include "model/item_internal.h"
#include "walk/polyline_segments.h"
#include "walk/walker_engine.h"
#include "walk/walker_placement.h"
#include "osmark/memory.h"

namespace {

using halvern::walk::WalkResult;

// An AllocVec copy of an item, freed when it goes out of scope.
class HeapCopy {
public:
    explicit HeapCopy(const ItemRec& source) noexcept : m_item(CopyItem(&source, nullptr)) {}
    ~HeapCopy() { FreeVec(m_item); }
    HeapCopy(const HeapCopy&) = delete;
    HeapCopy& operator=(const HeapCopy&) = delete;
    ItemRec* get() const noexcept { return m_item; }

private:
    ItemRec* m_item;
};

class StepVisitor {
public:
    StepVisitor(DXFDrawingRec& drawing, int32_t mode, DXFStepCallback callback, void* user) noexcept
        : m_drawing(drawing), m_mode(mode), m_callback(callback), m_user(user)
    {
    }

    WalkResult top_item(ItemRec& item)
    {
        if (item.it_Header.ih_ItemType == DXFItemPolyline && m_mode != DXFWalkWholePolylines)
            return split_polyline(nullptr, item, nullptr);
        return report(nullptr, item, item);
    }

    WalkResult block_item(ItemRec* insert, ItemRec& block, const DXFBlockStackFrame&)
    {
        return report(insert, block, block);
    }

    WalkResult member(ItemRec* insert, ItemRec& member, const DXFBlockStackFrame& frame)
    {
        if (m_mode == DXFWalkBlocksOnly)
            return WalkResult::Continue;
        const DXFMatrixRec& placement = frame.bs_Placement;
        switch (member.it_Header.ih_ItemType) {
        case DXFItemPoint:
            start_template(member, DXFItemPoint, sizeof(PointRec));
            m_template.it_Point = member.it_Point;
            m_template.it_Point.pt_Point = halvern::walk::map_point(placement, member.it_Point.pt_Point);
            return report(insert, m_template, member);
        case DXFItemLine:
            start_template(member, DXFItemLine, sizeof(LineRec));
            m_template.it_Line.ln_Start = halvern::walk::map_point(placement, member.it_Line.ln_Start);
            m_template.it_Line.ln_End = halvern::walk::map_point(placement, member.it_Line.ln_End);
            return report(insert, m_template, member);
        case DXFItemArc:
            start_template(member, DXFItemArc, sizeof(ArcRec));
            halvern::walk::place_arc(placement, member.it_Arc, m_template);
            return report(insert, m_template, member);
        case DXFItemEllipse:
            start_template(member, DXFItemEllipse, sizeof(EllipseRec));
            halvern::walk::place_ellipse(placement, member.it_Ellipse, m_template.it_Ellipse);
            return report(insert, m_template, member);
        case DXFItemRay:
        case DXFItemXLine:
            start_template(member, member.it_Header.ih_ItemType, sizeof(RayRec));
            place_ray(placement, member.it_Ray, m_template.it_Ray);
            return report(insert, m_template, member);
        case DXFItemText: return report_text(insert, member, placement);
        case DXFItemSpline: return report_spline(insert, member, placement);
        case DXFItemPolyline:
            if (m_mode == DXFWalkWholePolylines && halvern::walk::is_similarity(placement))
                return report_whole_polyline(insert, member, placement);
            return split_polyline(insert, member, &placement);
        default:
            // ENDBLK and the types that have no placement arrive as they are.
            return report(insert, member, member);
        }
    }

private:
    WalkResult report(ItemRec* insert, ItemRec& item, ItemRec& source)
    {
        m_drawing.dxf_StepItem = &source;
        return m_callback(insert, &item, m_user) == DXFStepStop ? WalkResult::Stop
                                                                : WalkResult::Continue;
    }

    // The template takes the head of the item it stands for, with its own type and size.
    void start_template(const ItemRec& source, int32_t type, size_t payload)
    {
        m_template = ItemRec{};
        m_template.it_Header = source.it_Header;
        m_template.it_Header.ih_ItemType = type;
        m_template.it_Header.ih_ItemSize = static_cast<int32_t>(halvern::kItemHeadSize + payload);
    }

    static void place_ray(const DXFMatrixRec& placement, const RayRec& ray, RayRec& out)
    {
        out.ry_Base = halvern::walk::map_point(placement, ray.ry_Base);
        Point3DRec direction = halvern::walk::map_vector(placement, ray.ry_Direction);
        const double length = std::sqrt(direction.x * direction.x + direction.y * direction.y +
                                        direction.z * direction.z);
        if (length < halvern::kTolerance || !std::isfinite(length))
            direction = Point3DRec{0.0, 1.0, 0.0};
        else
            direction = Point3DRec{direction.x / length, direction.y / length, direction.z / length};
        out.ry_Direction = direction;
    }

    WalkResult report_text(ItemRec* insert, ItemRec& member, const DXFMatrixRec& placement)
    {
        const HeapCopy copy(member);
        if (copy.get() == nullptr)
            return WalkResult::Continue;
        halvern::walk::place_text(placement, copy.get()->it_Text);
        return report(insert, *copy.get(), member);
    }

    WalkResult report_spline(ItemRec* insert, ItemRec& member, const DXFMatrixRec& placement)
    {
        const HeapCopy copy(member);
        if (copy.get() == nullptr)
            return WalkResult::Continue;
        SplineRec& spline = copy.get()->it_Spline;
        const int32_t count = halvern::walk::stored_point_count(*copy.get());
        for (int32_t i = 0; i < count; ++i) {
            Point3DRec& point = spline.sp_Points[i];
            point = halvern::walk::map_point(placement, point);
            const Point3DRec corner{point.x, point.y, 0.0};
            if (i == 0)
                spline.sp_Min = spline.sp_Max = corner;
            spline.sp_Min.x = std::fmin(spline.sp_Min.x, point.x);
            spline.sp_Min.y = std::fmin(spline.sp_Min.y, point.y);
            spline.sp_Max.x = std::fmax(spline.sp_Max.x, point.x);
            spline.sp_Max.y = std::fmax(spline.sp_Max.y, point.y);
        }
        spline.sp_StartTangent = halvern::walk::map_vector(placement, spline.sp_StartTangent);
        spline.sp_EndTangent = halvern::walk::map_vector(placement, spline.sp_EndTangent);
        return report(insert, *copy.get(), member);
    }

    WalkResult report_whole_polyline(ItemRec* insert, ItemRec& member, const DXFMatrixRec& placement)
    {
        const HeapCopy copy(member);
        if (copy.get() == nullptr)
            return WalkResult::Continue;
        PolylineRec& polyline = copy.get()->it_Polyline;
        const int32_t count = halvern::walk::stored_vertex_count(*copy.get());
        // A similarity keeps every arc's sweep; a mirror reverses its sense.
        const double sense = halvern::walk::is_mirroring(placement) ? -1.0 : 1.0;
        for (int32_t i = 0; i < count; ++i) {
            VertexRec& vertex = polyline.pl_Vertices[i];
            vertex.vx_Point = halvern::walk::map_point(placement, vertex.vx_Point);
            vertex.vx_Bulge *= sense;
        }
        halvern::DXFPolylineCorners(polyline.pl_Vertices, count, &polyline.pl_Min, &polyline.pl_Max);
        return report(insert, *copy.get(), member);
    }

    // One LINE or ARC per segment (an ELLIPSE for an arc under unequal scales). A
    // callback result of 2 ends this polyline only.
    WalkResult split_polyline(ItemRec* insert, ItemRec& polyline, const DXFMatrixRec* placement)
    {
        bool stopped = false;
        const auto report_segment = [&](const halvern::walk::PolylineSegment& segment) {
            if (segment.is_arc) {
                start_template(polyline, DXFItemArc, sizeof(ArcRec));
                if (placement != nullptr)
                    halvern::walk::place_arc(*placement, segment.arc, m_template);
                else
                    m_template.it_Arc = segment.arc;
            } else {
                start_template(polyline, DXFItemLine, sizeof(LineRec));
                LineRec& line = m_template.it_Line;
                line.ln_Start = segment.start;
                line.ln_End = segment.end;
                if (placement != nullptr) {
                    line.ln_Start = halvern::walk::map_point(*placement, line.ln_Start);
                    line.ln_End = halvern::walk::map_point(*placement, line.ln_End);
                }
            }
            m_drawing.dxf_StepItem = &polyline;
            const int32_t result = m_callback(insert, &m_template, m_user);
            stopped = result == DXFStepStop;
            return !stopped && result != DXFStepEndPolyline;
        };
        halvern::walk::for_each_polyline_segment(polyline, report_segment);
        return stopped ? WalkResult::Stop : WalkResult::Continue;
    }

    DXFDrawingRec& m_drawing;
    int32_t m_mode;
    DXFStepCallback m_callback;
    void* m_user;
    ItemRec m_template{};
};

// StepDXFItemType's filter in front of the caller's callback.
struct TypeFilter {
    int32_t type;
    DXFStepCallback callback;
    void* user;
};

int32_t filter_by_type(ItemRec* insert, ItemRec* item, void* user)
{
    const auto* filter = static_cast<const TypeFilter*>(user);
    const int32_t type = item->it_Header.ih_ItemType;
    const bool wanted = type == filter->type ||
                        (filter->type == DXFItemInsert && type == DXFItemBlock);
    return wanted ? filter->callback(insert, item, filter->user) : DXFStepContinue;
}

constexpr int32_t kCircularArray = 2;

bool names_block(const DXFDrawingRec& drawing, int32_t index)
{
    const ItemBufferRec& blocks = drawing.dxf_BlockItemBuffer;
    return index >= 0 && index < blocks.ib_N && blocks.ib_Items != nullptr &&
           blocks.ib_Items[index] != nullptr &&
           blocks.ib_Items[index]->it_Header.ih_ItemType == DXFItemBlock;
}

// Hands one placement to the callback; true when it asks to stop.
bool place(DXFPlacementCallback callback, ItemRec* insert, const Point3DRec& position,
           const Point3DRec& scales, double rotation, void* user)
{
    Point3DRec reported_position = position;
    Point3DRec reported_scales = scales;
    return callback(insert, &reported_position, &reported_scales, rotation, user) == DXFStepStop;
}

void list_circular(ItemRec* insert, const Point3DRec& base, DXFPlacementCallback callback,
                   void* user)
{
    const InsertRec& record = insert->it_Insert;
    const double step = record.in_CircStep;
    const double step_cos = std::cos(std::fabs(step));
    const double step_sin = step <= -halvern::kTolerance ? -std::sin(std::fabs(step))
                                                         : std::sin(std::fabs(step));
    const double first = std::atan2(record.in_CircFirst.y - record.in_CircCentre.y,
                                    record.in_CircFirst.x - record.in_CircCentre.x);
    double c = std::cos(first);
    double s = std::sin(first);
    Point3DRec position{record.in_CircFirst.x + base.x, record.in_CircFirst.y + base.y,
                        record.in_CircFirst.z + base.z};
    for (int32_t j = 0; j < record.in_CircCount; ++j) {
        if (place(callback, insert, position, record.in_Scale,
                  record.in_CircRotation + j * step, user))
            return;
        const double turned_c = c * step_cos - s * step_sin;
        s = s * step_cos + c * step_sin;
        c = turned_c;
        position.x = record.in_CircCentre.x + record.in_CircRadius * c + base.x;
        position.y = record.in_CircCentre.y + record.in_CircRadius * s + base.y;
    }
}

void list_rectangular(ItemRec* insert, const Point3DRec& base, DXFPlacementCallback callback,
                      void* user)
{
    const InsertRec& record = insert->it_Insert;
    double row_c = 0.0;
    double row_s = 1.0;
    halvern::walk::snapped_cos_sin(record.in_RowAngle, row_c, row_s);
    double column_c = 1.0;
    double column_s = 0.0;
    halvern::walk::snapped_cos_sin(record.in_ColumnAngle, column_c, column_s);
    const Point3DRec start{record.in_Point.x + base.x, record.in_Point.y + base.y,
                           record.in_Point.z + base.z};
    for (int32_t column = 0; column < record.in_Columns; ++column) {
        for (int32_t row = 0; row < record.in_Rows; ++row) {
            const Point3DRec position{
                start.x + column * record.in_ColumnSpacing * column_c + row * record.in_RowSpacing * row_c,
                start.y + column * record.in_ColumnSpacing * column_s + row * record.in_RowSpacing * row_s,
                start.z};
            if (place(callback, insert, position, record.in_Scale, record.in_Rotation, user))
                return;
        }
    }
}

}

extern "C" {

HALVERN_API void StepDXFDrawing(DXFDrawingRec* drawing, int32_t mode, DXFStepCallback callback,
                                void* user) noexcept
{
    if (drawing == nullptr || callback == nullptr)
        return;
    drawing->dxf_StepItem = nullptr;
    StepVisitor visitor(*drawing, mode, callback, user);
    halvern::walk::walk_drawing(*drawing, halvern::walk::identity_enclosing(), visitor);
    drawing->dxf_StepItem = nullptr;
}

HALVERN_API void StepDXFBlock(DXFDrawingRec* drawing, ItemRec* insert, int32_t mode,
                              DXFStepCallback callback, void* user) noexcept
{
    if (drawing == nullptr || insert == nullptr || callback == nullptr)
        return;
    drawing->dxf_StepItem = nullptr;
    StepVisitor visitor(*drawing, mode, callback, user);
    halvern::walk::expand_insert(*drawing, insert, halvern::walk::identity_enclosing(), visitor);
    drawing->dxf_StepItem = nullptr;
}

HALVERN_API void StepDXFItemType(DXFDrawingRec* drawing, int32_t type, DXFStepCallback callback,
                                 void* user) noexcept
{
    if (callback == nullptr)
        return;
    TypeFilter filter{type, callback, user};
    StepDXFDrawing(drawing, DXFWalkAll, filter_by_type, &filter);
}

HALVERN_API void StepDXFInsertion(DXFDrawingRec* drawing, ItemRec* insert,
                                  DXFPlacementCallback callback, void* user) noexcept
{
    if (drawing == nullptr || insert == nullptr || callback == nullptr ||
        !names_block(*drawing, insert->it_Insert.in_BlockIndex))
        return;
    const Point3DRec base =
        drawing->dxf_BlockItemBuffer.ib_Items[insert->it_Insert.in_BlockIndex]->it_Block.bk_Base;
    if (insert->it_Insert.in_ArrayKind == kCircularArray)
        list_circular(insert, base, callback, user);
    else
        list_rectangular(insert, base, callback, user);
}

}
