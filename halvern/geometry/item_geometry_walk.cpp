// Walking along an item: the point at a distance from either end, and one step from a
// position towards the next break.
//
// A polyline walked from its end is walked as its reversal would be, segment by segment,
// without changing the item. A bulged segment's arc (CreateBulgeArc) runs from the
// segment's second vertex when its bulge is negative, so such a segment is measured from
// its arc's end.
#include "halvern/item_geometry.h"

#include <algorithm>
#include <cmath>

#include "geometry/item_geometry_internal.h"

namespace halvern {

namespace {

double direction_sign(int32_t direction) noexcept
{
    return direction >= 0 ? 1.0 : -1.0;
}

// 1 when the segment's own record runs the way the polyline is travelled.
int32_t segment_runs_forward(const SegmentEnds& ends) noexcept
{
    return is_straight(ends) || ends.first.vx_Bulge > 0.0 ? 1 : 0;
}

double segment_length(const ItemRec& segment) noexcept
{
    if (segment.it_Header.ih_ItemType == DXFItemLine)
        return DXFPointDistance(&segment.it_Line.ln_Start, &segment.it_Line.ln_End);
    const ArcRec& arc = segment.it_Arc;
    return DXFArcLength(arc.ar_Radius, arc.ar_Start, arc.ar_End, arc.ar_Dir);
}

int32_t line_length_point(const LineRec& line, double distance, int32_t from_start,
                          Point3DRec& out) noexcept
{
    const double length = DXFPointDistance(&line.ln_Start, &line.ln_End);
    if (length < kTolerance) {
        out = line.ln_Start;
        return 1;
    }
    const double share = distance / length;
    const Point3DRec& from = from_start != 0 ? line.ln_Start : line.ln_End;
    const double sign = from_start != 0 ? 1.0 : -1.0;
    out = Point3DRec{from.x + sign * share * (line.ln_End.x - line.ln_Start.x),
                     from.y + sign * share * (line.ln_End.y - line.ln_Start.y),
                     from.z + sign * share * (line.ln_End.z - line.ln_Start.z)};
    return 1;
}

int32_t arc_length_point(const ArcRec& arc, double distance, int32_t from_start,
                         Point3DRec& out) noexcept
{
    const double length = DXFArcLength(arc.ar_Radius, arc.ar_Start, arc.ar_End, arc.ar_Dir);
    double angle = from_start != 0 ? arc.ar_Start : arc.ar_End;
    if (length >= kTolerance) {
        const double turn = distance / arc.ar_Radius * direction_sign(arc.ar_Dir);
        angle += from_start != 0 ? turn : -turn;
    }
    out = arc_point(arc, angle);
    return 1;
}

int32_t polyline_length_point(const PolylineRec& polyline, double distance, int32_t from_start,
                              Point3DRec& out) noexcept
{
    const Travel travel = from_start != 0 ? Travel::Forward : Travel::Backward;
    double accumulated = 0.0;
    const int32_t count = polyline_segment_count(polyline);
    for (int32_t k = 1; k <= count; ++k) {
        const SegmentEnds ends = polyline_segment_ends(polyline, k, travel);
        ItemRec segment{};
        if (!make_segment_item(ends, segment))
            continue;
        const double length = segment_length(segment);
        // The far end of the whole polyline still counts as on it.
        if (distance - (accumulated + length) < kTolerance)
            return DXFItemArcLengthPoint(&segment, distance - accumulated,
                                         segment_runs_forward(ends), &out);
        accumulated += length;
    }
    return 0;
}

// The parameter one step on from position along an arc or ellipse of range (low, high).
double next_angle(double low, double high, double step, int32_t from_start,
                  double position) noexcept
{
    if (step <= 0.0)
        return from_start != 0 ? high : low;
    if (from_start != 0) {
        const double reached = low + position + step;
        return reached - high >= kTolerance ? high : reached;
    }
    const double reached = high - position - step;
    return low - reached >= kTolerance ? low : reached;
}

int32_t polyline_next_break(const PolylineRec& polyline, double step, int32_t from_start,
                            double position, double* length, double* parameter,
                            Point3DRec* out) noexcept
{
    const Travel travel = from_start != 0 ? Travel::Forward : Travel::Backward;
    double accumulated = 0.0;
    const int32_t count = polyline_segment_count(polyline);
    for (int32_t k = 1; k <= count; ++k) {
        const SegmentEnds ends = polyline_segment_ends(polyline, k, travel);
        ItemRec segment{};
        if (!make_segment_item(ends, segment))
            continue;
        const double span = segment_span(segment);
        if (accumulated + span - position > -kTolerance)
            return DXFItemNextBreak(&segment, step, segment_runs_forward(ends),
                                    position - accumulated, length, parameter, out);
        accumulated += span;
    }
    return 0;
}

}

}

extern "C" {

HALVERN_API int32_t DXFItemArcLengthPoint(const ItemRec* item, double distance, int32_t fromStart,
                                          Point3DRec* out) noexcept
{
    using namespace halvern;
    if (item == nullptr || out == nullptr)
        return 0;
    switch (item->it_Header.ih_ItemType) {
    case DXFItemPoint: *out = item->it_Point.pt_Point; return 1;
    case DXFItemLine: return line_length_point(item->it_Line, distance, fromStart, *out);
    case DXFItemArc: return arc_length_point(item->it_Arc, distance, fromStart, *out);
    case DXFItemPolyline:
        return polyline_length_point(item->it_Polyline, distance, fromStart, *out);
    default: return 0;
    }
}

HALVERN_API int32_t DXFItemNextBreak(const ItemRec* item, double step, int32_t fromStart,
                                     double position, double* length, double* parameter,
                                     Point3DRec* out) noexcept
{
    using namespace halvern;
    if (item == nullptr || out == nullptr)
        return 0;
    switch (item->it_Header.ih_ItemType) {
    case DXFItemPoint:
        *out = item->it_Point.pt_Point;
        if (length != nullptr)
            *length = 0.0;
        if (parameter != nullptr)
            *parameter = 0.0;
        return 1;
    case DXFItemLine: {
        const LineRec& line = item->it_Line;
        *out = fromStart != 0 ? line.ln_End : line.ln_Start;
        if (length != nullptr)
            *length = DXFPointDistance(&line.ln_Start, &line.ln_End);
        if (parameter != nullptr)
            *parameter = fromStart != 0 ? 1.0 : 0.0;
        return 1;
    }
    case DXFItemArc:
    case DXFItemEllipse: {
        double low = 0.0;
        double high = 0.0;
        DXFItemStartEndParameter(item, &low, &high);
        const double reached = next_angle(low, high, step, fromStart, position);
        *out = item->it_Header.ih_ItemType == DXFItemArc
                   ? arc_point(item->it_Arc, reached)
                   : ellipse_point(item->it_Ellipse, reached, EllipseHeight::FollowAxis);
        return 1;
    }
    case DXFItemPolyline:
        return polyline_next_break(item->it_Polyline, step, fromStart, position, length,
                                   parameter, out);
    case DXFItemSpline: return 1;
    default: return 0;
    }
}

}
