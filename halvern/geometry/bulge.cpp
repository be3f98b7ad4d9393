// Polyline bulges and the arcs they describe.
#include "geometry/geometry_internal.h"

#include <cmath>
#include <utility>

#include "halvern/items.h"

using namespace halvern;

extern "C" {

HALVERN_API int32_t CreateBulgeArc(const VertexRec* first, const VertexRec* second,
                                   ItemRec* item) noexcept {
    if (first == nullptr || second == nullptr || item == nullptr) {
        return 0;
    }
    const double bulge = first->vx_Bulge;
    // A bulge that is not a number describes no arc; it is taken as a straight segment
    // so that no NaN reaches the arc record.
    if (is_zero(bulge) || std::isnan(bulge)) {
        return 0;
    }
    const Point3DRec& from = first->vx_Point;
    const Point3DRec& to = second->vx_Point;
    const double dx = to.x - from.x;
    const double dy = to.y - from.y;
    const double chord = std::sqrt(dx * dx + dy * dy);
    const double theta = std::atan2(dy, dx);
    const bool is_clockwise = bulge <= -kTolerance;

    ArcRec arc{};
    arc.ar_Dir = 1;
    arc.ar_Centre.z = from.z;
    if (is_zero(bulge - 1.0) || is_zero(bulge + 1.0)) {
        // A half circle about the chord's midpoint.
        arc.ar_Centre.x = from.x + dx / 2.0;
        arc.ar_Centre.y = from.y + dy / 2.0;
        arc.ar_Radius = chord / 2.0;
        arc.ar_Start = DXFNormaliseAngle(is_clockwise ? theta : theta - kPi);
        arc.ar_End = DXFNormaliseAngle(is_clockwise ? theta + kPi : theta);
    } else {
        // Half the included angle lies in (0, pi) for every bulge that is not zero, so
        // its sine never vanishes.
        const double half_angle = std::fabs(4.0 * std::atan(bulge)) / 2.0;
        const double radius = chord / (2.0 * std::sin(half_angle));
        const double towards_centre =
            is_clockwise ? theta - (kHalfPi - half_angle) : theta + (kHalfPi - half_angle);
        arc.ar_Radius = radius;
        arc.ar_Centre.x = from.x + radius * std::cos(towards_centre);
        arc.ar_Centre.y = from.y + radius * std::sin(towards_centre);
        arc.ar_Start = std::atan2(from.y - arc.ar_Centre.y, from.x - arc.ar_Centre.x);
        arc.ar_End = std::atan2(to.y - arc.ar_Centre.y, to.x - arc.ar_Centre.x);
        if (is_clockwise) {
            // Stored counter-clockwise: from the second vertex back to the first.
            std::swap(arc.ar_Start, arc.ar_End);
        }
    }
    item->it_Arc = arc;
    return 1;
}

HALVERN_API double BulgeFromArc(const ItemRec* item) noexcept {
    if (item == nullptr) {
        return 0.0;
    }
    const ArcRec& arc = item->it_Arc;
    const double sweep = DXFArcSweep(arc.ar_Start, arc.ar_End, arc.ar_Dir);
    // A full circle has no single bulge.
    if (is_equal(sweep, kTwoPi)) {
        return 0.0;
    }
    return std::tan(sweep / 4.0) * arc.ar_Dir;
}

}
