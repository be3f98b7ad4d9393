// The segments of a stored polyline as the walkers split it, shared by the walkers and
// the extents so that both see the same pieces.
#ifndef HALVERN_MODEL_POLYLINE_SEGMENTS_H
#define HALVERN_MODEL_POLYLINE_SEGMENTS_H

#include <cstdint>

#include "halvern/geometry.h"
#include "halvern/items.h"
#include "geometry/geometry_internal.h"
#include "walk/walker_placement.h"

namespace halvern::walk {

// A bulged segment is the arc of CreateBulgeArc, in the plane; a straight one (or a
// bulge that makes no arc) runs from start to end, also in the plane.
struct PolylineSegment {
    bool is_arc = false;
    ArcRec arc{};
    Point3DRec start{};
    Point3DRec end{};
};

// Calls visit(segment) for each segment in order while it returns true; false when a
// visit stopped it.
template <typename Visit>
bool for_each_polyline_segment(const ItemRec& polyline, Visit&& visit) noexcept
{
    const int32_t count = stored_vertex_count(polyline);
    const VertexRec* vertices = polyline.it_Polyline.pl_Vertices;
    for (int32_t k = 1; k < count; ++k) {
        const VertexRec& from = vertices[k - 1];
        const VertexRec& to = vertices[k];
        PolylineSegment segment;
        ItemRec arc{};
        if (!is_zero(from.vx_Bulge) && CreateBulgeArc(&from, &to, &arc) != 0) {
            arc.it_Arc.ar_Centre.z = 0.0;
            segment.is_arc = true;
            segment.arc = arc.it_Arc;
        } else {
            segment.start = Point3DRec{from.vx_Point.x, from.vx_Point.y, 0.0};
            segment.end = Point3DRec{to.vx_Point.x, to.vx_Point.y, 0.0};
        }
        if (!visit(segment))
            return false;
    }
    return true;
}

}

#endif
