// Steps that both chain builders share: progress reports, moving one end of an item onto
// its neighbour's, and the length of a chain.
#include "edit/chain_internal.h"

#include <cmath>

#include "geometry/item_geometry_internal.h"

namespace halvern {

namespace {

// ---------------------------------------------------------------------------------------
// Moving the ends of an arc

// An arc's sweep stands for degrees here because the limits of the rules are in degrees.
double sweep_degrees(double start, double end, int32_t direction) noexcept
{
    return DXFArcSweep(start, end, direction) * kDegreesPerRadian;
}

// Moves one end of an arc while the tangent at its start keeps its direction, so that
// the arc still leaves its start the way it did. An arc that cannot be rebuilt, or that
// would grow by half a turn or more, is left as it is: such a move belongs to a gap the
// arc cannot bridge.
void move_arc_end(ArcRec& arc, const Point3DRec& point, int32_t which) noexcept
{
    arc.ar_Dir = arc.ar_Dir >= 0 ? 1 : -1;
    const Point3DRec arc_start = arc_point(arc, arc.ar_Start);
    const Point3DRec arc_end = arc_point(arc, arc.ar_End);
    const Point3DRec& from = which == kMoveItemStart ? point : arc_start;
    const Point3DRec& to = which == kMoveItemStart ? arc_end : point;
    const double old_sweep = sweep_degrees(arc.ar_Start, arc.ar_End, arc.ar_Dir);

    if (DXFSamePoint(&from, &to) != 0) {
        // The ends meet: a long arc closes into a full circle, a short one stays.
        if (old_sweep - 180.0 >= kTolerance)
            arc.ar_End = arc.ar_Start + kTwoPi * arc.ar_Dir;
        return;
    }
    const double tangent_angle = arc.ar_Start + (arc.ar_Dir == 1 ? kHalfPi : -kHalfPi);
    const Point3DRec tangent{std::cos(tangent_angle), std::sin(tangent_angle), 0.0};
    Point3DRec centre{};
    double radius = 0.0;
    double start = 0.0;
    double end = 0.0;
    int32_t direction = 1;
    if (DXFArcFromTangent(&from, &to, &tangent, &centre, &radius, &start, &end, &direction) == 0)
        return;
    if (sweep_degrees(start, end, direction) - old_sweep - 180.0 >= kTolerance)
        return;
    arc.ar_Centre.x = centre.x;
    arc.ar_Centre.y = centre.y;
    arc.ar_Radius = radius;
    arc.ar_Start = start;
    arc.ar_End = end;
    arc.ar_Dir = direction;
}

// ---------------------------------------------------------------------------------------
// Lengths

double polyline_length(const PolylineRec& polyline) noexcept
{
    double length = 0.0;
    for (int32_t k = 1; k < polyline.pl_NumVertices; ++k) {
        const VertexRec& first = polyline.pl_Vertices[k - 1];
        const VertexRec& second = polyline.pl_Vertices[k];
        ItemRec arc{};
        if (is_zero(first.vx_Bulge) || CreateBulgeArc(&first, &second, &arc) == 0) {
            length += DXFPointDistance(&first.vx_Point, &second.vx_Point);
            continue;
        }
        length += DXFArcLength(arc.it_Arc.ar_Radius, arc.it_Arc.ar_Start, arc.it_Arc.ar_End,
                               arc.it_Arc.ar_Dir);
    }
    return length;
}

double spline_length(const SplineRec& spline) noexcept
{
    double length = 0.0;
    for (int32_t k = 1; k < spline.sp_NumPoints; ++k)
        length += DXFPointDistance(&spline.sp_Points[k - 1], &spline.sp_Points[k]);
    return length;
}

double item_length(const ItemRec& item) noexcept
{
    switch (item.it_Header.ih_ItemType) {
    case DXFItemLine: return DXFPointDistance(&item.it_Line.ln_Start, &item.it_Line.ln_End);
    case DXFItemArc:
        return DXFArcLength(item.it_Arc.ar_Radius, item.it_Arc.ar_Start, item.it_Arc.ar_End,
                            item.it_Arc.ar_Dir);
    case DXFItemPolyline: return polyline_length(item.it_Polyline);
    case DXFItemEllipse: {
        // Measured as an arc of the major axis' radius: enough to tell a real chain from
        // one that collapsed to a point.
        const EllipseRec& ellipse = item.it_Ellipse;
        const double radius = std::hypot(ellipse.el_MajorAxis.x, ellipse.el_MajorAxis.y);
        return DXFArcLength(radius, ellipse.el_Start, ellipse.el_End, ellipse.el_Dir);
    }
    case DXFItemSpline: return spline_length(item.it_Spline);
    default: return 0.0;
    }
}

}

// ---------------------------------------------------------------------------------------
// Exported within the library

int32_t DXFReportProgress(DXFProgressRec* progress, int32_t used,
                                               int32_t count) noexcept
{
    if (progress == nullptr)
        return 0;
    if (progress->callback == nullptr || count <= 0)
        return progress->cancel;
    const double value = progress->base + progress->span * used / count;
    const auto percent = static_cast<int32_t>(value);
    if (percent != progress->last) {
        progress->last = percent;
        progress->cancel = progress->callback(progress->code, percent, progress->user);
    }
    return progress->cancel;
}

void DXFMoveItemEnd(ItemRec* item, const Point3DRec* point,
                                         int32_t which) noexcept
{
    if (item == nullptr || point == nullptr)
        return;
    switch (item->it_Header.ih_ItemType) {
    case DXFItemLine:
        (which == kMoveItemStart ? item->it_Line.ln_Start : item->it_Line.ln_End) = *point;
        return;
    case DXFItemPolyline: {
        PolylineRec& polyline = item->it_Polyline;
        if (polyline.pl_NumVertices <= 0)
            return;
        const int32_t index = which == kMoveItemStart ? 0 : polyline.pl_NumVertices - 1;
        polyline.pl_Vertices[index].vx_Point = *point;
        return;
    }
    case DXFItemArc: move_arc_end(item->it_Arc, *point, which); return;
    default: return;
    }
}

double DXFChainLength(const Array* chain) noexcept
{
    if (chain == nullptr)
        return 0.0;
    double length = 0.0;
    for (uint32_t i = 0; i < chain->ar_Count; ++i) {
        const auto* item = reinterpret_cast<const ItemRec*>(chain->ar_Items[i]);
        if (item != nullptr)
            length += item_length(*item);
    }
    return length;
}

}
