// Helpers for code that walks items as curves: the segments of a polyline as LINE and
// ARC records of their own, the first point of any item, and the shared entry of the
// per-item-type operation tables.
#ifndef HALVERN_MODEL_ITEM_GEOMETRY_INTERNAL_H
#define HALVERN_MODEL_ITEM_GEOMETRY_INTERNAL_H

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

#include "halvern/item_geometry.h"
#include "halvern/item_intersections.h"
#include "halvern/items.h"
#include "geometry/geometry_internal.h"

namespace halvern {

// DXFItemStart, falling back to the first alignment point of a TEXT item.
int32_t DXFItemFirstPoint(const ItemRec* item, Point3DRec* out) noexcept;

// The entry of a per-item-type table for the types the operation does not handle; it
// takes the table's arguments and answers DXFNoItemOperation.
template <typename... Args>
int32_t no_item_operation(Args...) noexcept
{
    return DXFNoItemOperation();
}

// ---------------------------------------------------------------------------------------
// Points of arcs and ellipses

// The point of an arc at an angle, at the centre's height.
inline Point3DRec arc_point(const ArcRec& arc, double angle) noexcept
{
    return Point3DRec{arc.ar_Centre.x + arc.ar_Radius * std::cos(angle),
                      arc.ar_Centre.y + arc.ar_Radius * std::sin(angle), arc.ar_Centre.z};
}

// The height of an ellipse point: the minor axis lies in the plane, so only the major
// axis lifts a point out of the centre's height; the ends of an ellipse are reported at
// the centre's height.
enum class EllipseHeight { Centre, FollowAxis };

// The point of an ellipse at parameter t: centre + cos t * M + sin t * ratio * (M turned
// a quarter counter-clockwise), M the major axis.
inline Point3DRec ellipse_point(const EllipseRec& ellipse, double t, EllipseHeight height) noexcept
{
    const Point3DRec& major = ellipse.el_MajorAxis;
    const double c = std::cos(t);
    const double s = std::sin(t);
    const double z = height == EllipseHeight::FollowAxis ? ellipse.el_Centre.z + major.z * c
                                                         : ellipse.el_Centre.z;
    return Point3DRec{ellipse.el_Centre.x + major.x * c - ellipse.el_Ratio * major.y * s,
                      ellipse.el_Centre.y + major.y * c + ellipse.el_Ratio * major.x * s, z};
}

// The parameter range of an arc or ellipse: the smaller and the larger of the two
// normalised angles, whatever the direction.
inline std::pair<double, double> angle_range(double start, double end) noexcept
{
    const double a = DXFNormaliseAngle(start);
    const double b = DXFNormaliseAngle(end);
    return {std::min(a, b), std::max(a, b)};
}

// ---------------------------------------------------------------------------------------
// Polyline segments

// Which way a polyline is travelled: as stored, or as DXFItemReverse would leave it.
enum class Travel { Forward, Backward };

// Number of segments: one fewer than the vertices, 0 for fewer than two.
inline int32_t polyline_segment_count(const PolylineRec& polyline) noexcept
{
    return polyline.pl_NumVertices >= 2 ? polyline.pl_NumVertices - 1 : 0;
}

// The two vertices of segment k (1 to polyline_segment_count) in the direction of
// travel; first carries the bulge of the segment as seen in that direction.
struct SegmentEnds {
    VertexRec first;
    VertexRec second;
};

inline SegmentEnds polyline_segment_ends(const PolylineRec& polyline, int32_t k,
                                         Travel travel) noexcept
{
    const VertexRec* vertices = polyline.pl_Vertices;
    if (travel == Travel::Forward)
        return SegmentEnds{vertices[k - 1], vertices[k]};
    // Segment k of the reversed polyline runs from vertex n-k back to vertex n-k-1 over
    // the arc that the bulge of vertex n-k-1 describes, seen the other way round.
    const int32_t n = polyline.pl_NumVertices;
    SegmentEnds ends{vertices[n - k], vertices[n - k - 1]};
    ends.first.vx_Bulge = -vertices[n - k - 1].vx_Bulge;
    return ends;
}

// A segment is straight when the bulge of its first vertex is zero within 1e-6.
inline bool is_straight(const SegmentEnds& ends) noexcept
{
    return is_zero(ends.first.vx_Bulge);
}

// Fills segment (only its item type and payload) with the LINE or, for a bulged
// segment, the ARC of CreateBulgeArc (always counter-clockwise; for a negative bulge it
// runs from second back to first). false when the arc cannot be made (a bulge that is
// not a number); segment's type is then 0.
bool make_segment_item(const SegmentEnds& ends, ItemRec& segment) noexcept;

// The span of a segment record in polyline parameters: 1 for a LINE, the angle range of
// an ARC.
inline double segment_span(const ItemRec& segment) noexcept
{
    if (segment.it_Header.ih_ItemType == DXFItemLine)
        return 1.0;
    const auto [low, high] = angle_range(segment.it_Arc.ar_Start, segment.it_Arc.ar_End);
    return high - low;
}

}

#endif
