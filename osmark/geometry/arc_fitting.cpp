// Fitting arcs: through three points, through two points with a given sweep, through
// two points with a start tangent, and about a centre from a point with a sweep.
// Inputs are copied before any output is written, so outputs may overlap inputs.

#include "osmark/lines_arcs.h"

#include "geometry/curves.h"
#include "geometry/intersect.h"
#include "geometry/tolerance.h"
#include "osmark/numbers.h"
#include "osmark/vectors.h"

#include <cmath>

using namespace osmark::geometry;

namespace {

Point2DRec unit(const Point2DRec& v) noexcept
{
    const double m = std::sqrt(v.x * v.x + v.y * v.y);
    if (is_near_zero(m))
        return Point2DRec{0.0, 0.0};
    return Point2DRec{v.x / m, v.y / m};
}

}

extern "C" {

OSMARK_API int32_t FitArc3Points(const Point2DRec* start, const Point2DRec* middle,
                                 const Point2DRec* end, Point2DRec* centre, double* radius,
                                 double* start_angle, double* end_angle,
                                 int32_t* direction) noexcept
{
    if (start == nullptr || middle == nullptr || end == nullptr || centre == nullptr ||
        radius == nullptr || start_angle == nullptr || end_angle == nullptr || direction == nullptr)
        return 0;
    const Point2DRec s = *start;
    const Point2DRec e = *end;
    const Point2DRec u{middle->x - s.x, middle->y - s.y};
    const Point2DRec w{e.x - s.x, e.y - s.y};
    const double phi = std::atan2(w.y, w.x);
    const double chord = std::sqrt(w.x * w.x + w.y * w.y);
    // In the frame turned by -phi the start is the origin and the end is (chord, 0);
    // the middle point lies at (q, v).
    const double q = u.x * std::cos(-phi) - u.y * std::sin(-phi);
    const double v = u.x * std::sin(-phi) + u.y * std::cos(-phi);
    if (is_near_zero(v))
        return 0; // collinear
    const double h = chord / 2.0;
    const double k = v / 2.0 + q * (q - chord) / (2.0 * v);
    const Point2DRec c{s.x + h * std::cos(phi) - k * std::sin(phi),
                       s.y + h * std::sin(phi) + k * std::cos(phi)};
    *centre = c;
    *radius = std::sqrt(h * h + k * k);
    *start_angle = std::atan2(s.y - c.y, s.x - c.x);
    *end_angle = std::atan2(e.y - c.y, e.x - c.x);
    *direction = v >= kTolerance ? -1 : 1; // middle left of the chord: clockwise
    return 1;
}

OSMARK_API int32_t FitArc2PointsSpan(const Point2DRec* start, const Point2DRec* end, double span,
                                     Point2DRec centres[2], double radii[2], double start_angles[2],
                                     double end_angles[2], int32_t directions[2]) noexcept
{
    if (start == nullptr || end == nullptr || centres == nullptr || radii == nullptr ||
        start_angles == nullptr || end_angles == nullptr || directions == nullptr ||
        is_near_zero(span))
        return 0;
    const Point2DRec s = *start;
    const Point2DRec e = *end;
    if (points_equal(s, e))
        return 0;
    const double chord_angle = line_angle(s, e);
    const Point2DRec middle = line_point(s, e, 0.5);
    const double chord = line_length(s, e);
    const double sweep = CorrectAngle(span);
    const double theta = sweep - kPi >= kTolerance ? kTwoPi - sweep : sweep;
    // A whole turn (or none, after CorrectAngle) puts the centres at infinity: no arc
    // through two distinct points sweeps it.
    if (is_near_zero(theta))
        return 0;
    const double h = (chord / 2.0) / std::tan(theta / 2.0);
    const Point2DRec left{h * std::cos(chord_angle + kHalfPi), h * std::sin(chord_angle + kHalfPi)};
    centres[0] = Point2DRec{middle.x + left.x, middle.y + left.y};
    centres[1] = Point2DRec{middle.x - left.x, middle.y - left.y};
    const double radius = line_length(centres[0], s);
    for (int i = 0; i < 2; ++i) {
        const double to_start = line_angle(centres[i], s);
        const double to_end = line_angle(centres[i], e);
        const bool start_first = is_near(arc_angle(to_start, to_end, 1), sweep);
        radii[i] = radius;
        start_angles[i] = start_first ? to_start : to_end;
        end_angles[i] = start_first ? to_end : to_start;
        directions[i] = 1;
    }
    return 2;
}

OSMARK_API int32_t FitArc2PointsVector(const Point2DRec* start, const Point2DRec* end,
                                       const Point2DRec* tangent, Point2DRec* centre,
                                       double* radius, double* start_angle, double* end_angle,
                                       int32_t* direction) noexcept
{
    if (start == nullptr || end == nullptr || tangent == nullptr || centre == nullptr ||
        radius == nullptr || start_angle == nullptr || end_angle == nullptr || direction == nullptr)
        return 0;
    const Point2DRec s = *start;
    const Point2DRec e = *end;
    const Point2DRec t = *tangent;
    if (points_equal(s, e))
        return 0;
    // The centre lies on the chord's perpendicular bisector and on the normal of the
    // tangent at the start.
    const PointSet found = ray_ray(line_point(s, e, 0.5), line_angle(s, e) + kHalfPi, s,
                                   VectorAngleOfVec(&t) + kHalfPi);
    if (found.empty())
        return 0; // the tangent runs along the chord
    const Point2DRec c = found.points[0];
    const Point2DRec unit_tangent = unit(t);
    const Point2DRec unit_chord = unit(Point2DRec{e.x - s.x, e.y - s.y});
    *centre = c;
    *radius = line_length(c, s);
    *start_angle = line_angle(c, s);
    *end_angle = line_angle(c, e);
    *direction =
        unit_tangent.x * unit_chord.y - unit_tangent.y * unit_chord.x >= kTolerance ? 1 : -1;
    return 1;
}

OSMARK_API int32_t FitArcCentrePointSpanDir(const Point2DRec* centre, const Point2DRec* point,
                                            double span, int32_t direction, Point2DRec* out_centre,
                                            double* radius, double* start_angle, double* end_angle,
                                            int32_t* out_direction) noexcept
{
    if (direction == 0 || centre == nullptr || point == nullptr || out_centre == nullptr ||
        radius == nullptr || start_angle == nullptr || end_angle == nullptr ||
        out_direction == nullptr)
        return 0;
    const Point2DRec c = *centre;
    const Point2DRec p = *point;
    const int32_t d = direction > 0 ? 1 : -1;
    *out_direction = d;
    *out_centre = c;
    *radius = line_length(c, p);
    if (is_near_zero(*radius))
        return 0;
    if (span - kTwoPi > -kTolerance) {
        *start_angle = 0.0;
        *end_angle = kTwoPi;
        return 1;
    }
    const double from = line_angle(c, p);
    *start_angle = from;
    *end_angle = CorrectAngle(from + d * span);
    return 1;
}
}
