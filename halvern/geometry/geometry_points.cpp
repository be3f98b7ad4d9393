// Points: equality, direction and distance, and the tests whether a point lies on a
// ray, a segment or an arc.
#include "geometry/geometry_internal.h"

#include <cmath>

namespace halvern {

namespace {

enum class Axis { X, Y };

double coordinate(const Point3DRec& point, Axis axis) {
    return axis == Axis::X ? point.x : point.y;
}

// Whether value lies strictly inside the range of the two ends along axis, widened by
// the tolerance on both sides. upper is b when it lies above a by at least the
// tolerance, else a.
bool is_within_ends(const Point3DRec& a, const Point3DRec& b, double value, Axis axis) {
    const double from = coordinate(a, axis);
    const double to = coordinate(b, axis);
    const bool b_is_upper = to - from >= kTolerance;
    const double upper = b_is_upper ? to : from;
    const double lower = b_is_upper ? from : to;
    return value > lower - kTolerance && value < upper + kTolerance;
}

}

int32_t DXFSamePoint(const Point3DRec* a, const Point3DRec* b) noexcept {
    return is_equal(a->x, b->x) && is_equal(a->y, b->y) && is_equal(a->z, b->z) ? 1 : 0;
}

double DXFPointDirection(const Point3DRec* from, const Point3DRec* to) noexcept {
    const double dx = to->x - from->x;
    const double dy = to->y - from->y;
    if (is_zero(dx) && is_zero(dy)) {
        return 0.0;
    }
    return DXFNormaliseAngle(std::atan2(dy, dx));
}

double DXFPointDistance(const Point3DRec* from, const Point3DRec* to) noexcept {
    const double dx = to->x - from->x;
    const double dy = to->y - from->y;
    if (is_zero(dx) && is_zero(dy)) {
        return 0.0;
    }
    return std::sqrt(dx * dx + dy * dy);
}

int32_t DXFPointOnRay(const Point3DRec* origin, double angle, int32_t line,
                      const Point3DRec* point) noexcept {
    if (origin == nullptr || point == nullptr) {
        return 0;
    }
    // The foot of the perpendicular from the point onto the line.
    Point3DRec foot{};
    if (DXFIntersectionPoint(origin, angle, point, angle + kHalfPi, &foot) == 0) {
        return 0;
    }
    if (DXFSamePoint(point, &foot) == 0) {
        return 0;
    }
    if (line != 0 || DXFSamePoint(origin, &foot) != 0) {
        return 1;
    }
    // On the line: it is on the ray when it lies ahead of the origin.
    return is_equal(DXFPointDirection(origin, &foot), DXFNormaliseAngle(angle)) ? 1 : 0;
}

int32_t DXFPointOnSegment(const Point3DRec* start, const Point3DRec* end,
                          const Point3DRec* point) noexcept {
    const double dx = end->x - start->x;
    const double dy = end->y - start->y;
    const Axis main = std::fabs(dx) - std::fabs(dy) >= kTolerance ? Axis::X : Axis::Y;
    const Axis other = main == Axis::X ? Axis::Y : Axis::X;

    if (!is_within_ends(*start, *end, coordinate(*point, main), main)) {
        return 0;
    }
    const bool end_is_upper = coordinate(*end, main) - coordinate(*start, main) >= kTolerance;
    const Point3DRec& upper = end_is_upper ? *end : *start;
    const Point3DRec& lower = end_is_upper ? *start : *end;
    const double span = coordinate(lower, main) - coordinate(upper, main);
    if (std::fabs(span) >= kTolerance) {
        // The segment's other coordinate where the point is, measured from the upper end.
        const double expected =
            coordinate(upper, other) + (coordinate(*point, main) - coordinate(upper, main)) *
                                           (coordinate(lower, other) - coordinate(upper, other)) /
                                           span;
        return is_equal(coordinate(*point, other), expected) ? 1 : 0;
    }
    // A segment shorter than the tolerance along its main axis: a range test on the other.
    return is_within_ends(*start, *end, coordinate(*point, other), other) ? 1 : 0;
}

int32_t DXFPointOnArc(const Point3DRec* centre, double radius, double start, double end,
                      int32_t direction, const Point3DRec* point) noexcept {
    if (centre == nullptr || point == nullptr) {
        return 0;
    }
    if (!is_equal(DXFPointDistance(centre, point), radius)) {
        return 0;
    }
    const double angle = std::atan2(point->y - centre->y, point->x - centre->x);
    return DXFAngleInSweep(start, angle, end, direction);
}

}
