// Crossings of two whole items, built on the plane intersections of lines, rays and arcs.
//
// Each item is taken as a run of simple curves: a LINE is one segment, an ARC one arc, a
// POLYLINE its segments (straight, or the arc of CreateBulgeArc), a RAY a ray and an
// XLINE an infinite line. Every curve of a (outer loop) meets every curve of b, and the
// points each primitive reports are appended in the order reported.
#include "halvern/item_intersections.h"

#include "geometry/item_geometry_internal.h"

namespace halvern {

namespace {

struct Curve {
    enum class Kind { Segment, Arc, Ray };
    Kind kind = Kind::Segment;
    Point3DRec start{};  // segment start, or the ray's point
    Point3DRec end{};    // segment end
    ArcRec arc{};
    double angle = 0.0;  // direction of a ray
    int32_t line = 0;    // 0 a ray, 1 an infinite line
};

Curve segment_curve(const Point3DRec& start, const Point3DRec& end) noexcept
{
    Curve curve;
    curve.kind = Curve::Kind::Segment;
    curve.start = start;
    curve.end = end;
    return curve;
}

Curve arc_curve(const ArcRec& arc) noexcept
{
    Curve curve;
    curve.kind = Curve::Kind::Arc;
    curve.arc = arc;
    return curve;
}

Curve ray_curve(const RayRec& ray, int32_t line) noexcept
{
    Curve curve;
    curve.kind = Curve::Kind::Ray;
    curve.start = ray.ry_Base;
    curve.angle = DXFVectorAngle(&ray.ry_Direction);
    curve.line = line;
    return curve;
}

// Calls visit(curve) for every curve of the item; types that take no part give none.
template <typename Visit>
void for_each_curve(const ItemRec& item, Visit&& visit)
{
    switch (item.it_Header.ih_ItemType) {
    case DXFItemLine: visit(segment_curve(item.it_Line.ln_Start, item.it_Line.ln_End)); break;
    case DXFItemArc: visit(arc_curve(item.it_Arc)); break;
    case DXFItemRay: visit(ray_curve(item.it_Ray, 0)); break;
    case DXFItemXLine: visit(ray_curve(item.it_Ray, 1)); break;
    case DXFItemPolyline: {
        const PolylineRec& polyline = item.it_Polyline;
        const int32_t count = polyline_segment_count(polyline);
        for (int32_t k = 1; k <= count; ++k) {
            ItemRec segment{};
            if (!make_segment_item(polyline_segment_ends(polyline, k, Travel::Forward), segment))
                continue; // an arc that cannot be made is passed over
            if (segment.it_Header.ih_ItemType == DXFItemLine)
                visit(segment_curve(segment.it_Line.ln_Start, segment.it_Line.ln_End));
            else
                visit(arc_curve(segment.it_Arc));
        }
        break;
    }
    default: break;
    }
}

// The primitive for two curves. Curves of different kinds go in the primitive's own
// order (ray before segment before arc); curves of one kind in the order given.
int32_t cross(const Curve& p, const Curve& q, Point3DRec& first, Point3DRec& second) noexcept
{
    using Kind = Curve::Kind;
    if (p.kind == Kind::Segment && q.kind == Kind::Segment)
        return DXFIntersectLineLine(&p.start, &p.end, &q.start, &q.end, &first);
    if (p.kind == Kind::Arc && q.kind == Kind::Arc)
        return DXFIntersectArcArc(&p.arc.ar_Centre, p.arc.ar_Radius, p.arc.ar_Start, p.arc.ar_End,
                                  p.arc.ar_Dir, &q.arc.ar_Centre, q.arc.ar_Radius, q.arc.ar_Start,
                                  q.arc.ar_End, q.arc.ar_Dir, &first, &second);
    if (p.kind == Kind::Ray && q.kind == Kind::Ray)
        return DXFIntersectRayRay(&p.start, p.angle, p.line, &q.start, q.angle, q.line, &first);
    // Mixed kinds: put the curve that comes first in the primitive's order first.
    const auto rank = [](Kind kind) { return kind == Kind::Ray ? 0 : kind == Kind::Segment ? 1 : 2; };
    const Curve& u = rank(p.kind) < rank(q.kind) ? p : q;
    const Curve& v = rank(p.kind) < rank(q.kind) ? q : p;
    if (u.kind == Kind::Ray && v.kind == Kind::Segment)
        return DXFIntersectRayLine(&u.start, u.angle, u.line, &v.start, &v.end, &first);
    if (u.kind == Kind::Ray)
        return DXFIntersectRayArc(&u.start, u.angle, u.line, &v.arc.ar_Centre, v.arc.ar_Radius,
                                  v.arc.ar_Start, v.arc.ar_End, v.arc.ar_Dir, &first, &second);
    return DXFIntersectLineArc(&u.start, &u.end, &v.arc.ar_Centre, v.arc.ar_Radius,
                               v.arc.ar_Start, v.arc.ar_End, v.arc.ar_Dir, &first, &second);
}

bool takes_part(int32_t type) noexcept
{
    return type == DXFItemLine || type == DXFItemArc || type == DXFItemPolyline ||
           type == DXFItemRay || type == DXFItemXLine;
}

int32_t intersect(const ItemRec& a, const ItemRec& b, DXFPointBufferRec* buffer) noexcept
{
    if (!takes_part(a.it_Header.ih_ItemType))
        return DXFNoItemOperation();
    // Two curves of one kind meet in the order (a, b), except that a polyline's segment
    // comes first against a single LINE or ARC (the order of the primitives decides the
    // order of two points, and which line's point a crossing is computed from).
    const bool polyline_first = b.it_Header.ih_ItemType == DXFItemPolyline &&
                                a.it_Header.ih_ItemType != DXFItemPolyline;
    int32_t found = 0;
    for_each_curve(a, [&](const Curve& curve_a) {
        for_each_curve(b, [&](const Curve& curve_b) {
            Point3DRec points[2]{};
            const bool same_kind = curve_a.kind == curve_b.kind;
            const int32_t count = same_kind && polyline_first
                                      ? cross(curve_b, curve_a, points[0], points[1])
                                      : cross(curve_a, curve_b, points[0], points[1]);
            for (int32_t i = 0; i < count && i < 2; ++i) {
                if (buffer != nullptr)
                    DXFPointBufferAdd(buffer, &points[i]);
            }
            found += count;
        });
    });
    return found;
}

}

}

extern "C" {

HALVERN_API int32_t DXFNoItemOperation(void) noexcept
{
    return 0;
}

HALVERN_API int32_t DXFIntersect(const ItemRec* a, const ItemRec* b,
                                 DXFPointBufferRec* buffer) noexcept
{
    if (a == nullptr || b == nullptr)
        return 0;
    return halvern::intersect(*a, *b, buffer);
}

}
