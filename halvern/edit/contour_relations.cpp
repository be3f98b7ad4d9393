// Where a point lies against a contour, and how two contours lie against each other.
//
// Inside and outside are decided by the parity of the crossings of the horizontal line
// through the point with the contour's items; the axis-line crossings count an end on
// the line only for the stretch that leaves it upward, so corners are counted once.
// A contour lies in one block run or among the entities, and the crossings are only
// looked for where the first contour of a test lies.
#include "edit/chain_internal.h"

#include <cmath>

#include "halvern/item_intersections.h"
#include "geometry/item_geometry_internal.h"

namespace halvern {

namespace {

// Where the items of one contour lie: the buffer, the index of the first of them and
// the index the parity scan starts from (the block run's BLOCK, or 0 for the entities).
struct ContourPlaceInfo {
    const ItemBufferRec* buffer = nullptr;
    int32_t first = -1;
    int32_t scan_start = 0;

    bool found() const noexcept { return buffer != nullptr; }
};

int32_t first_item_of(const ItemBufferRec& buffer, int32_t contour) noexcept
{
    for (int32_t k = 0; k < buffer.ib_N; ++k) {
        const ItemRec* item = buffer.ib_Items[k];
        if (item != nullptr && item->it_Header.ih_ContourID == contour)
            return k;
    }
    return -1;
}

// The block items are searched first, then the entities.
ContourPlaceInfo locate(const DXFDrawingRec& drawing, int32_t contour) noexcept
{
    ContourPlaceInfo place;
    const ItemBufferRec& blocks = drawing.dxf_BlockItemBuffer;
    int32_t first = first_item_of(blocks, contour);
    if (first >= 0) {
        place.buffer = &blocks;
        place.first = first;
        int32_t start = first;
        while (start > 0 && (blocks.ib_Items[start] == nullptr ||
                             blocks.ib_Items[start]->it_Header.ih_ItemType != DXFItemBlock))
            --start;
        place.scan_start = start;
        return place;
    }
    first = first_item_of(drawing.dxf_ItemBuffer, contour);
    if (first >= 0) {
        place.buffer = &drawing.dxf_ItemBuffer;
        place.first = first;
        place.scan_start = 0;
    }
    return place;
}

// Contour i's place for a test against another contour; not found when the drawing or
// the point buffer is missing.
ContourPlaceInfo locate_for_test(const DXFDrawingRec* drawing, const DXFPointBufferRec* points,
                                 int32_t i) noexcept
{
    if (drawing == nullptr || points == nullptr)
        return ContourPlaceInfo{};
    return locate(*drawing, i);
}

bool is_valid_contour(const DXFDrawingRec& drawing, int32_t index) noexcept
{
    const ContourTableRec& table = drawing.dxf_ContourTable;
    return index >= 0 && index < table.ct_N && table.ct_Contours != nullptr;
}

const ContourDataRec& record_of(const DXFDrawingRec& drawing, int32_t index) noexcept
{
    return drawing.dxf_ContourTable.ct_Contours[index];
}

bool has_extents(const ContourDataRec& contour) noexcept
{
    return !(is_zero(contour.cd_Min.x) && is_zero(contour.cd_Min.y) && is_zero(contour.cd_Max.x) &&
             is_zero(contour.cd_Max.y));
}

bool is_closed(const ContourDataRec& contour) noexcept
{
    return (contour.cd_Flags & 1u) == 0;
}

// The extents of two contours overlap (touching counts); false when either has none.
bool extents_overlap(const ContourDataRec& a, const ContourDataRec& b) noexcept
{
    if (!has_extents(a) || !has_extents(b))
        return false;
    return !(a.cd_Min.x - b.cd_Max.x >= kTolerance || a.cd_Max.x - b.cd_Min.x <= -kTolerance ||
             a.cd_Min.y - b.cd_Max.y >= kTolerance || a.cd_Max.y - b.cd_Min.y <= -kTolerance);
}

bool point_outside_extents(const ContourDataRec& contour, const Point3DRec& point) noexcept
{
    return contour.cd_Min.x - point.x >= kTolerance || contour.cd_Max.x - point.x <= -kTolerance ||
           contour.cd_Min.y - point.y >= kTolerance || contour.cd_Max.y - point.y <= -kTolerance;
}

// Calls visit(item) for every item of the contour in buffer; stops when visit returns
// true and then returns true.
template <typename Visit>
bool any_item(const ItemBufferRec& buffer, int32_t contour, Visit&& visit) noexcept
{
    for (int32_t k = 0; k < buffer.ib_N; ++k) {
        const ItemRec* item = buffer.ib_Items[k];
        if (item != nullptr && item->it_Header.ih_ContourID == contour && visit(*item))
            return true;
    }
    return false;
}

bool contains_items(const ItemBufferRec& buffer, int32_t contour) noexcept
{
    return first_item_of(buffer, contour) >= 0;
}

bool items_cross(const ItemBufferRec& buffer, int32_t i, int32_t j) noexcept
{
    return any_item(buffer, i, [&](const ItemRec& a) {
        return any_item(buffer, j, [&](const ItemRec& b) { return DXFIntersect(&a, &b, nullptr) > 0; });
    });
}

bool point_on_items(const ItemBufferRec& buffer, int32_t contour, const Point3DRec& point) noexcept
{
    return any_item(buffer, contour,
                    [&](const ItemRec& item) { return DXFPointOnItem(&item, &point) != 0; });
}

int32_t compare_x(const void* a, const void* b)
{
    const double xa = static_cast<const Point3DRec*>(a)->x;
    const double xb = static_cast<const Point3DRec*>(b)->x;
    if (is_equal(xa, xb))
        return 0;
    return xa < xb ? -1 : 1;
}

// ---------------------------------------------------------------------------------------
// Sample points

Point3DRec middle(const Point3DRec& a, const Point3DRec& b) noexcept
{
    return Point3DRec{(a.x + b.x) / 2.0, (a.y + b.y) / 2.0, (a.z + b.z) / 2.0};
}

// The middle of polyline segment k (from vertex k-1 to vertex k).
Point3DRec polyline_segment_middle(const PolylineRec& polyline, int32_t k) noexcept
{
    const VertexRec& first = polyline.pl_Vertices[k - 1];
    const VertexRec& second = polyline.pl_Vertices[k];
    ItemRec arc{};
    if (is_zero(first.vx_Bulge) || CreateBulgeArc(&first, &second, &arc) == 0)
        return middle(first.vx_Point, second.vx_Point);
    const ArcRec& a = arc.it_Arc;
    const double sweep = DXFArcSweep(a.ar_Start, a.ar_End, a.ar_Dir);
    return arc_point(a, a.ar_Start + sweep / 2.0 * a.ar_Dir);
}

// Samples of items that give exactly three: start, middle, end (phase 0, 1, 2).
bool three_point_sample(const ItemRec& item, int32_t phase, Point3DRec& out) noexcept
{
    switch (item.it_Header.ih_ItemType) {
    case DXFItemLine: {
        const LineRec& line = item.it_Line;
        out = phase == 0 ? line.ln_Start : phase == 1 ? middle(line.ln_Start, line.ln_End) : line.ln_End;
        return true;
    }
    case DXFItemArc: {
        const ArcRec& arc = item.it_Arc;
        const double sweep = DXFArcSweep(arc.ar_Start, arc.ar_End, arc.ar_Dir);
        const double angle = phase == 0   ? arc.ar_Start
                             : phase == 1 ? arc.ar_Start + sweep / 2.0 * arc.ar_Dir
                                          : arc.ar_End;
        out = arc_point(arc, angle);
        return true;
    }
    case DXFItemEllipse: {
        const EllipseRec& ellipse = item.it_Ellipse;
        const double sweep = DXFArcSweep(ellipse.el_Start, ellipse.el_End, ellipse.el_Dir);
        const double t = phase == 0   ? ellipse.el_Start
                         : phase == 1 ? ellipse.el_Start + sweep / 2.0 * ellipse.el_Dir
                                      : ellipse.el_End;
        out = ellipse_point(ellipse, t, EllipseHeight::Centre);
        return true;
    }
    default: return false;
    }
}

}

// ---------------------------------------------------------------------------------------
// Exported within the library

int32_t DXFItemSamplePoint(int32_t* part, const ItemRec* item,
                                                int32_t* phase, Point3DRec* out) noexcept
{
    if (part == nullptr || item == nullptr || phase == nullptr || out == nullptr || *part < 0 ||
        *phase < 0)
        return 0;
    switch (item->it_Header.ih_ItemType) {
    case DXFItemPoint:
        if (*phase > 0)
            return 0;
        *out = item->it_Point.pt_Point;
        ++*phase;
        return 1;
    case DXFItemSpline: {
        const SplineRec& spline = item->it_Spline;
        if (*phase > 0 || spline.sp_NumPoints <= 0)
            return 0;
        *out = spline.sp_Points[spline.sp_NumPoints - 1];
        ++*phase;
        return 1;
    }
    case DXFItemPolyline: {
        // part is the vertex reached; phase 0 gives the middle of the segment leading
        // to it, phase 1 the vertex itself. Vertex 0 has no segment before it.
        const PolylineRec& polyline = item->it_Polyline;
        if (*part >= polyline.pl_NumVertices)
            return 0;
        if (*part == 0) {
            *out = polyline.pl_Vertices[0].vx_Point;
            *part = 1;
            *phase = 0;
            return 1;
        }
        if (*phase == 0) {
            *out = polyline_segment_middle(polyline, *part);
            *phase = 1;
            return 1;
        }
        *out = polyline.pl_Vertices[*part].vx_Point;
        ++*part;
        *phase = 0;
        return 1;
    }
    default:
        if (*phase > 2 || !three_point_sample(*item, *phase, *out))
            return 0;
        ++*phase;
        return 1;
    }
}

int32_t DXFContoursIntersect(const DXFDrawingRec* drawing, int32_t i,
                                                  int32_t j) noexcept
{
    if (drawing == nullptr)
        return 0;
    const ItemBufferRec& blocks = drawing->dxf_BlockItemBuffer;
    if (contains_items(blocks, i))
        return items_cross(blocks, i, j) ? 1 : 0;
    return items_cross(drawing->dxf_ItemBuffer, i, j) ? 1 : 0;
}

int32_t DXFPointOnContour(const DXFDrawingRec* drawing,
                                               const Point3DRec* point, int32_t i) noexcept
{
    if (drawing == nullptr || point == nullptr)
        return 0;
    const ItemBufferRec& blocks = drawing->dxf_BlockItemBuffer;
    if (contains_items(blocks, i))
        return point_on_items(blocks, i, *point) ? 1 : 0;
    return point_on_items(drawing->dxf_ItemBuffer, i, *point) ? 1 : 0;
}

int32_t DXFPointInsideByParity(int32_t start, const ItemBufferRec* buffer,
                                                    DXFPointBufferRec* points, int32_t contour,
                                                    const Point3DRec* point) noexcept
{
    if (buffer == nullptr || points == nullptr || point == nullptr || start < 0)
        return 0;
    DXFPointBufferSetCount(points, 0);
    for (int32_t k = start; k < buffer->ib_N; ++k) {
        const ItemRec* item = buffer->ib_Items[k];
        if (item == nullptr)
            continue;
        if (item->it_Header.ih_ContourID == contour)
            DXFIntersectY(point->y, item, points);
        if (item->it_Header.ih_ItemType == DXFItemEndBlock)
            break;
    }
    const int32_t count = DXFPointBufferGetCount(points);
    if (count == 0)
        return 0;
    DXFPointBufferSort(points, 0, static_cast<uint32_t>(count), compare_x);
    for (int32_t k = 0; k < count; k += 2) {
        const double first = points->pb_Points[k].x;
        if (first - point->x >= kTolerance || k + 1 >= count)
            return 0;
        const double second = points->pb_Points[k + 1].x;
        if (point->x > first - kTolerance && point->x < second + kTolerance)
            return 1;
    }
    return 0;
}

int32_t DXFPointInContour(const DXFDrawingRec* drawing,
                                               DXFPointBufferRec* points,
                                               const Point3DRec* point, int32_t i) noexcept
{
    if (drawing == nullptr || point == nullptr || !is_valid_contour(*drawing, i))
        return 0;
    const ContourDataRec& contour = record_of(*drawing, i);
    if (point_outside_extents(contour, *point) || !has_extents(contour))
        return 0;
    if (DXFPointOnContour(drawing, point, i) != 0)
        return 1;
    const ContourPlaceInfo place = locate(*drawing, i);
    if (!place.found())
        return 0;
    return DXFPointInsideByParity(place.scan_start, place.buffer, points, i, point) != 0 ? 2 : 0;
}

int32_t DXFContourInside(const DXFDrawingRec* drawing,
                                              DXFPointBufferRec* points, int32_t i,
                                              int32_t j) noexcept
{
    const ContourPlaceInfo place = locate_for_test(drawing, points, i);
    if (!place.found())
        return 0;
    Point3DRec test{};
    const bool found = any_item(*place.buffer, i,
                                [&](const ItemRec& item) { return DXFItemEnd(&item, &test) != 0; });
    if (!found)
        return 0;
    return DXFPointInsideByParity(place.scan_start, place.buffer, points, j, &test);
}

int32_t DXFContourInsideAndOutside(const DXFDrawingRec* drawing,
                                                        DXFPointBufferRec* points, int32_t i,
                                                        int32_t j) noexcept
{
    const ContourPlaceInfo place = locate_for_test(drawing, points, i);
    if (!place.found())
        return 0;
    bool inside = false;
    bool outside = false;
    any_item(*place.buffer, i, [&](const ItemRec& item) {
        int32_t part = 0;
        int32_t phase = 0;
        Point3DRec sample{};
        while (DXFItemSamplePoint(&part, &item, &phase, &sample) != 0) {
            if (DXFPointOnContour(drawing, &sample, j) != 0)
                continue;
            if (DXFPointInsideByParity(place.scan_start, place.buffer, points, j, &sample) != 0)
                inside = true;
            else
                outside = true;
            if (inside && outside)
                return true;
        }
        return false;
    });
    return inside && outside ? 1 : 0;
}

int32_t DXFContourRelation(const DXFDrawingRec* drawing,
                                                DXFPointBufferRec* points, int32_t i,
                                                int32_t j) noexcept
{
    if (drawing == nullptr || !is_valid_contour(*drawing, i) || !is_valid_contour(*drawing, j))
        return 0;
    const ContourDataRec& a = record_of(*drawing, i);
    const ContourDataRec& b = record_of(*drawing, j);
    if (!extents_overlap(a, b))
        return 0;
    if (DXFContoursIntersect(drawing, i, j) != 0)
        return 1;
    if (is_closed(b) && DXFContourInside(drawing, points, i, j) != 0)
        return 2;
    if (is_closed(a) && DXFContourInside(drawing, points, j, i) != 0)
        return 3;
    return 0;
}

int32_t DXFContoursCross(const DXFDrawingRec* drawing,
                                              DXFPointBufferRec* points, int32_t i,
                                              int32_t j) noexcept
{
    if (drawing == nullptr || !is_valid_contour(*drawing, i) || !is_valid_contour(*drawing, j))
        return 0;
    if (!extents_overlap(record_of(*drawing, i), record_of(*drawing, j)))
        return 0;
    return DXFContoursIntersect(drawing, i, j) != 0 &&
                   DXFContourInsideAndOutside(drawing, points, i, j) != 0
               ? 1
               : 0;
}

}
