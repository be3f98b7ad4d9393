// Items as curves: their ends, parameter ranges, points at a parameter, reversal, the
// point-on-item test and the expansion of one polyline segment into an item.
#include "halvern/item_geometry.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <utility>
#include <vector>

#include "geometry/item_geometry_internal.h"

namespace halvern {

namespace {

bool spline_is_well_formed(const SplineRec& spline) noexcept
{
    const int64_t needed = int64_t{spline.sp_NumPoints} + spline.sp_Degree + 1;
    return spline.sp_NumPoints >= 1 && spline.sp_Degree >= 0 && spline.sp_Knots != nullptr &&
           spline.sp_NumKnots >= needed;
}

// The point of a bulged segment at offset u (0 to its span) into it, travelled from its
// first vertex: u is taken as the share u / span of the arc's sweep, so that the
// segment's parameters run from its first vertex to its second whatever the arc's angles.
Point3DRec bulged_segment_point(const SegmentEnds& ends, const ArcRec& arc, double span,
                                double u) noexcept
{
    const double share = span > 0.0 ? std::clamp(u / span, 0.0, 1.0) : 0.0;
    const double sweep = DXFArcSweep(arc.ar_Start, arc.ar_End, 1);
    // CreateBulgeArc runs counter-clockwise, from the second vertex for a negative bulge.
    if (ends.first.vx_Bulge > 0.0)
        return arc_point(arc, arc.ar_Start + share * sweep);
    return arc_point(arc, arc.ar_End - share * sweep);
}

int32_t evaluate_polyline(const PolylineRec& polyline, double t, Point3DRec& out) noexcept
{
    if (polyline.pl_NumVertices <= 0)
        return 0;
    double accumulated = 0.0;
    const int32_t count = polyline_segment_count(polyline);
    for (int32_t k = 1; k <= count; ++k) {
        const SegmentEnds ends = polyline_segment_ends(polyline, k, Travel::Forward);
        ItemRec segment{};
        if (!make_segment_item(ends, segment))
            continue;
        const double span = segment_span(segment);
        if (accumulated + span - t > -kTolerance) {
            const double u = t - accumulated;
            if (segment.it_Header.ih_ItemType == DXFItemLine)
                return DXFItemEvaluate(&segment, u, &out);
            out = bulged_segment_point(ends, segment.it_Arc, span, u);
            return 1;
        }
        accumulated += span;
    }
    out = polyline.pl_Vertices[polyline.pl_NumVertices - 1].vx_Point;
    return 1;
}

int32_t evaluate_spline(const ItemRec& item, double t, Point3DRec& out) noexcept
{
    const SplineRec& spline = item.it_Spline;
    if (!spline_is_well_formed(spline))
        return 0;
    try {
        std::vector<double> scratch(static_cast<size_t>(spline.sp_NumPoints) +
                                    static_cast<size_t>(spline.sp_Degree) + 2);
        NURBEvaluate(&item, scratch.data(), t, &out);
        return 1;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

bool point_on_polyline(const PolylineRec& polyline, const Point3DRec& point) noexcept
{
    const int32_t count = polyline_segment_count(polyline);
    for (int32_t k = 1; k <= count; ++k) {
        const SegmentEnds ends = polyline_segment_ends(polyline, k, Travel::Forward);
        ItemRec segment{};
        if (make_segment_item(ends, segment) && DXFPointOnItem(&segment, &point) != 0)
            return true;
    }
    return false;
}

void reverse_polyline(PolylineRec& polyline) noexcept
{
    const int32_t n = polyline.pl_NumVertices;
    if (n <= 0)
        return;
    VertexRec* vertices = polyline.pl_Vertices;
    std::reverse(vertices, vertices + n);
    // Each segment keeps its arc: its bulge moves to its new first vertex, negated
    // because the arc is now travelled the other way.
    for (int32_t k = 1; k < n; ++k)
        vertices[k - 1].vx_Bulge = -vertices[k].vx_Bulge;
    vertices[n - 1].vx_Bulge = 0.0;
}

void reverse_spline(SplineRec& spline) noexcept
{
    if (spline.sp_NumPoints > 0)
        std::reverse(spline.sp_Points, spline.sp_Points + spline.sp_NumPoints);
    if (spline.sp_Weights != nullptr && spline.sp_NumWeights > 0)
        std::reverse(spline.sp_Weights, spline.sp_Weights + spline.sp_NumWeights);
    if (spline.sp_Knots != nullptr && spline.sp_NumKnots > 0) {
        // Mirrored within their own range: the first and the last knot stay, so the
        // parameter range (and sp_StartParam, sp_EndParam) do not move.
        double* knots = spline.sp_Knots;
        const int32_t count = spline.sp_NumKnots;
        const double sum = knots[0] + knots[count - 1];
        std::reverse(knots, knots + count);
        for (int32_t i = 0; i < count; ++i)
            knots[i] = sum - knots[i];
    }
    // The curve now leaves from its old end, against the old end tangent.
    const Point3DRec start_tangent = spline.sp_StartTangent;
    DXFVectorNegate(&spline.sp_EndTangent, &spline.sp_StartTangent);
    DXFVectorNegate(&start_tangent, &spline.sp_EndTangent);
}

}

bool make_segment_item(const SegmentEnds& ends, ItemRec& segment) noexcept
{
    if (is_straight(ends)) {
        segment.it_Header.ih_ItemType = DXFItemLine;
        segment.it_Line.ln_Start = ends.first.vx_Point;
        segment.it_Line.ln_End = ends.second.vx_Point;
        return true;
    }
    if (CreateBulgeArc(&ends.first, &ends.second, &segment) == 0) {
        segment.it_Header.ih_ItemType = 0;
        return false;
    }
    segment.it_Header.ih_ItemType = DXFItemArc;
    return true;
}

int32_t DXFItemFirstPoint(const ItemRec* item, Point3DRec* out) noexcept
{
    if (DXFItemStart(item, out) != 0)
        return 1;
    if (item == nullptr || out == nullptr || item->it_Header.ih_ItemType != DXFItemText)
        return 0;
    *out = item->it_Text.tx_Point;
    return 1;
}

}

extern "C" {

HALVERN_API int32_t DXFItemStart(const ItemRec* item, Point3DRec* out) noexcept
{
    using namespace halvern;
    if (item == nullptr || out == nullptr)
        return 0;
    switch (item->it_Header.ih_ItemType) {
    case DXFItemPoint: *out = item->it_Point.pt_Point; return 1;
    case DXFItemLine: *out = item->it_Line.ln_Start; return 1;
    case DXFItemArc: *out = arc_point(item->it_Arc, item->it_Arc.ar_Start); return 1;
    case DXFItemEllipse:
        *out = ellipse_point(item->it_Ellipse, item->it_Ellipse.el_Start, EllipseHeight::Centre);
        return 1;
    case DXFItemPolyline:
        if (item->it_Polyline.pl_NumVertices <= 0)
            return 0;
        *out = item->it_Polyline.pl_Vertices[0].vx_Point;
        return 1;
    case DXFItemSpline:
        if (item->it_Spline.sp_NumPoints <= 0)
            return 0;
        *out = item->it_Spline.sp_Points[0];
        return 1;
    default: return 0;
    }
}

HALVERN_API int32_t DXFItemEnd(const ItemRec* item, Point3DRec* out) noexcept
{
    using namespace halvern;
    if (item == nullptr || out == nullptr)
        return 0;
    switch (item->it_Header.ih_ItemType) {
    case DXFItemPoint: *out = item->it_Point.pt_Point; return 1;
    case DXFItemLine: *out = item->it_Line.ln_End; return 1;
    case DXFItemArc: *out = arc_point(item->it_Arc, item->it_Arc.ar_End); return 1;
    case DXFItemEllipse:
        *out = ellipse_point(item->it_Ellipse, item->it_Ellipse.el_End, EllipseHeight::Centre);
        return 1;
    case DXFItemPolyline: {
        const PolylineRec& polyline = item->it_Polyline;
        if (polyline.pl_NumVertices <= 0)
            return 0;
        *out = polyline.pl_Vertices[polyline.pl_NumVertices - 1].vx_Point;
        return 1;
    }
    case DXFItemSpline: {
        const SplineRec& spline = item->it_Spline;
        if (spline.sp_NumPoints <= 0)
            return 0;
        *out = spline.sp_Points[spline.sp_NumPoints - 1];
        return 1;
    }
    default: return 0;
    }
}

HALVERN_API int32_t DXFItemStartEndParameter(const ItemRec* item, double* start,
                                             double* end) noexcept
{
    using namespace halvern;
    if (item == nullptr || start == nullptr || end == nullptr)
        return 0;
    std::pair<double, double> range{0.0, 0.0};
    switch (item->it_Header.ih_ItemType) {
    case DXFItemPoint: break;
    case DXFItemLine: range = {0.0, 1.0}; break;
    case DXFItemArc: range = angle_range(item->it_Arc.ar_Start, item->it_Arc.ar_End); break;
    case DXFItemEllipse:
        range = angle_range(item->it_Ellipse.el_Start, item->it_Ellipse.el_End);
        break;
    case DXFItemSpline: {
        const SplineRec& spline = item->it_Spline;
        if (spline.sp_Knots == nullptr || spline.sp_NumKnots <= 0)
            return 0;
        range = {spline.sp_Knots[0], spline.sp_Knots[spline.sp_NumKnots - 1]};
        break;
    }
    case DXFItemPolyline: {
        const PolylineRec& polyline = item->it_Polyline;
        double total = 0.0;
        const int32_t count = polyline_segment_count(polyline);
        for (int32_t k = 1; k <= count; ++k) {
            ItemRec segment{};
            if (make_segment_item(polyline_segment_ends(polyline, k, Travel::Forward), segment))
                total += segment_span(segment);
        }
        range = {0.0, total};
        break;
    }
    default: return 0;
    }
    *start = range.first;
    *end = range.second;
    return 1;
}

HALVERN_API int32_t DXFItemEvaluate(const ItemRec* item, double t, Point3DRec* out) noexcept
{
    using namespace halvern;
    if (item == nullptr || out == nullptr)
        return 0;
    switch (item->it_Header.ih_ItemType) {
    case DXFItemPoint: *out = item->it_Point.pt_Point; return 1;
    case DXFItemLine: {
        const LineRec& line = item->it_Line;
        *out = Point3DRec{line.ln_Start.x + t * (line.ln_End.x - line.ln_Start.x),
                          line.ln_Start.y + t * (line.ln_End.y - line.ln_Start.y),
                          line.ln_Start.z + t * (line.ln_End.z - line.ln_Start.z)};
        return 1;
    }
    case DXFItemArc: *out = arc_point(item->it_Arc, t); return 1;
    case DXFItemEllipse:
        *out = ellipse_point(item->it_Ellipse, t, EllipseHeight::FollowAxis);
        return 1;
    case DXFItemSpline: return evaluate_spline(*item, t, *out);
    case DXFItemPolyline: return evaluate_polyline(item->it_Polyline, t, *out);
    default: return 0;
    }
}

HALVERN_API int32_t DXFItemReverse(ItemRec* item) noexcept
{
    using namespace halvern;
    if (item == nullptr)
        return 0;
    switch (item->it_Header.ih_ItemType) {
    case DXFItemLine: std::swap(item->it_Line.ln_Start, item->it_Line.ln_End); return 1;
    case DXFItemArc:
        std::swap(item->it_Arc.ar_Start, item->it_Arc.ar_End);
        item->it_Arc.ar_Dir = -item->it_Arc.ar_Dir;
        return 1;
    case DXFItemEllipse:
        // As for an arc: chaining reverses ellipses too, and the same-item test takes
        // exchanged parameters with the other direction for the same ellipse.
        std::swap(item->it_Ellipse.el_Start, item->it_Ellipse.el_End);
        item->it_Ellipse.el_Dir = -item->it_Ellipse.el_Dir;
        return 1;
    case DXFItemPolyline: reverse_polyline(item->it_Polyline); return 1;
    case DXFItemSpline: reverse_spline(item->it_Spline); return 1;
    default: return 0;
    }
}

HALVERN_API int32_t DXFPointOnItem(const ItemRec* item, const Point3DRec* point) noexcept
{
    using namespace halvern;
    if (item == nullptr || point == nullptr)
        return 0;
    switch (item->it_Header.ih_ItemType) {
    case DXFItemLine: return DXFPointOnSegment(&item->it_Line.ln_Start, &item->it_Line.ln_End, point);
    case DXFItemArc: {
        const ArcRec& arc = item->it_Arc;
        return DXFPointOnArc(&arc.ar_Centre, arc.ar_Radius, arc.ar_Start, arc.ar_End, arc.ar_Dir,
                             point);
    }
    case DXFItemPolyline: return point_on_polyline(item->it_Polyline, *point) ? 1 : 0;
    default: return 0;
    }
}

HALVERN_API ItemRec* DXFExpandPolyItem(const ItemRec* item, int32_t index, Pool* pool) noexcept
{
    using namespace halvern;
    if (item == nullptr || item->it_Header.ih_ItemType != DXFItemPolyline)
        return nullptr;
    const PolylineRec& polyline = item->it_Polyline;
    const int32_t count = polyline_segment_count(polyline);
    if (count == 0)
        return nullptr;
    if (index < 0)
        index = count - 1;
    if (index >= count)
        return nullptr;
    const SegmentEnds ends = polyline_segment_ends(polyline, index + 1, Travel::Forward);
    const ItemHeaderRec& head = item->it_Header;
    const int32_t type = is_straight(ends) ? DXFItemLine : DXFItemArc;
    ItemRec* segment = CreateItem(type, 0, head.ih_Layer, head.ih_Colour, head.ih_LineType, pool);
    if (segment == nullptr)
        return nullptr;
    if (type == DXFItemLine) {
        segment->it_Line.ln_Start = ends.first.vx_Point;
        segment->it_Line.ln_End = ends.second.vx_Point;
    } else if (CreateBulgeArc(&ends.first, &ends.second, segment) == 0) {
        FreeVecPooled(pool, segment);
        return nullptr;
    }
    return segment;
}

}
