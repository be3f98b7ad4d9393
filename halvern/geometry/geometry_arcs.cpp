// Arcs through three points and from a tangent.
#include "geometry/geometry_internal.h"

#include <cmath>

namespace halvern {

bool ArcChordOf(const Point3DRec& start, const Point3DRec& end, ArcChord& chord) noexcept
{
    const double chord_x = end.x - start.x;
    const double chord_y = end.y - start.y;
    if (is_zero(chord_x) && is_zero(chord_y)) {
        return false;
    }
    const double theta = std::atan2(chord_y, chord_x);
    chord.start = start;
    chord.end = end;
    chord.cos_theta = std::cos(theta);
    chord.sin_theta = std::sin(theta);
    chord.length = std::sqrt(chord_x * chord_x + chord_y * chord_y);
    return true;
}

bool ArcCircleOnChord(const ArcChord& chord, const Point3DRec& middle, ArcCircle& circle) noexcept
{
    // The middle point in the chord's frame: u along the chord, v to its left.
    const double mx = middle.x - chord.start.x;
    const double my = middle.y - chord.start.y;
    const double u = mx * chord.cos_theta + my * chord.sin_theta;
    const double v = my * chord.cos_theta - mx * chord.sin_theta;
    if (is_zero(v)) {
        return false;
    }
    // The centre lies on the chord's perpendicular bisector, k along its left normal.
    const double k = u / (2.0 * v) * (u - chord.length) + v / 2.0;
    const double half = chord.length / 2.0;
    circle.cx = chord.start.x + half * chord.cos_theta - k * chord.sin_theta;
    circle.cy = chord.start.y + half * chord.sin_theta + k * chord.cos_theta;
    circle.radius = std::sqrt(k * k + half * half);
    // A middle point left of the chord means the arc bends left: it runs clockwise.
    circle.direction = v >= kTolerance ? -1 : 1;
    return true;
}

void ArcCircleAngles(const ArcChord& chord, const ArcCircle& circle, double& start_angle,
                     double& end_angle) noexcept
{
    start_angle = std::atan2(chord.start.y - circle.cy, chord.start.x - circle.cx);
    end_angle = std::atan2(chord.end.y - circle.cy, chord.end.x - circle.cx);
}

int32_t DXFArcThroughPoints(const Point3DRec* start, const Point3DRec* middle,
                            const Point3DRec* end, Point3DRec* centre, double* radius,
                            double* start_angle, double* end_angle, int32_t* direction) noexcept {
    if (start == nullptr || middle == nullptr || end == nullptr || centre == nullptr ||
        radius == nullptr || start_angle == nullptr || end_angle == nullptr ||
        direction == nullptr) {
        return 0;
    }
    ArcChord chord{};
    ArcCircle circle{};
    if (!ArcChordOf(*start, *end, chord) || !ArcCircleOnChord(chord, *middle, circle)) {
        return 0;
    }
    *radius = circle.radius;
    ArcCircleAngles(chord, circle, *start_angle, *end_angle);
    *direction = circle.direction;
    centre->x = circle.cx;
    centre->y = circle.cy;
    return 1;
}

int32_t DXFArcFromTangent(const Point3DRec* start, const Point3DRec* end,
                          const Point3DRec* tangent, Point3DRec* centre, double* radius,
                          double* start_angle, double* end_angle, int32_t* direction) noexcept {
    if (start == nullptr || end == nullptr || tangent == nullptr || centre == nullptr ||
        radius == nullptr || start_angle == nullptr || end_angle == nullptr ||
        direction == nullptr) {
        return 0;
    }
    if (DXFSamePoint(start, end) != 0) {
        return 0;
    }
    const double chord_angle = DXFPointDirection(start, end);
    const Point3DRec midpoint{(start->x + end->x) / 2.0, (start->y + end->y) / 2.0, 0.0};
    const double tangent_angle = DXFVectorAngle(tangent);

    // The chord's perpendicular bisector meets the normal at the start in the centre.
    Point3DRec found{};
    if (DXFIntersectRayRay(&midpoint, chord_angle + kHalfPi, 1, start, tangent_angle + kHalfPi, 1,
                           &found) == 0) {
        return 0;
    }
    Point3DRec unit_tangent{};
    DXFVectorNormalise(tangent, &unit_tangent);
    Point3DRec chord{};
    DXFVectorFromPoints(start, end, &chord);
    Point3DRec unit_chord{};
    DXFVectorNormalise(&chord, &unit_chord);

    *radius = DXFPointDistance(&found, start);
    *start_angle = DXFPointDirection(&found, start);
    *end_angle = DXFPointDirection(&found, end);
    // The chord turning left of the tangent makes the arc counter-clockwise.
    *direction = DXFVectorCross(&unit_tangent, &unit_chord) >= kTolerance ? 1 : -1;
    *centre = found;
    return 1;
}

}
