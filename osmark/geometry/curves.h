// The line and arc measures and tests that the whole profile geometry builds on, for
// the kernel's own code. The exported operations of lines_arcs.h wrap them.
#ifndef OSMARK_GEOMETRY_CURVES_H
#define OSMARK_GEOMETRY_CURVES_H

#include "geometry/tolerance.h"
#include "osmark/geometry_types.h"

#include <cmath>

namespace osmark::geometry {

// The distance; 0 for points equal within the tolerance.
double line_length(const Point2DRec& a, const Point2DRec& b) noexcept;
// The direction from a to b in [0, 2*pi]; 0 for equal points.
double line_angle(const Point2DRec& a, const Point2DRec& b) noexcept;
// The point at t (clamped) of the segment.
Point2DRec line_point(const Point2DRec& start, const Point2DRec& end, double t) noexcept;

// The point on the segment within the tolerance, measured vertically except for a
// vertical segment. With the fixed tolerance it is PointOnLine; the entities pass their
// accuracy, which also orders the ends by x.
bool point_on_line(const Point2DRec& start, const Point2DRec& end, const Point2DRec& point,
                   double tolerance = kTolerance) noexcept;

// The sweep from start to end in the direction, in (0, 2*pi]; 0 for an infinite angle.
double arc_angle(double start, double end, int32_t direction) noexcept;
bool angle_between(double start, double angle, double end, int32_t direction) noexcept;
// The point within the tolerance of the arc's circle, at an angle on the arc.
bool point_on_arc(const Arc2DRec& arc, const Point2DRec& point,
                  double tolerance = kTolerance) noexcept;

inline Point2DRec point_at_angle(const Point2DRec& centre, double radius, double angle) noexcept
{
    return Point2DRec{centre.x + radius * std::cos(angle), centre.y + radius * std::sin(angle)};
}

// The signed sweep: the arc runs from start_angle to start_angle + this.
inline double signed_sweep(const Arc2DRec& arc) noexcept
{
    return direction_sign(arc.direction) * arc_angle(arc.start_angle, arc.end_angle, arc.direction);
}

// The point at t (clamped) along the arc, the end at start_angle + signed sweep.
Point2DRec arc_point(const Arc2DRec& arc, double t) noexcept;
inline Point2DRec arc_start(const Arc2DRec& arc) noexcept
{
    return arc_point(arc, 0.0);
}
inline Point2DRec arc_end(const Arc2DRec& arc) noexcept
{
    return arc_point(arc, 1.0);
}

inline Arc2DRec make_arc(const Point2DRec& centre, double radius, double start, double end,
                         int32_t direction) noexcept
{
    return Arc2DRec{centre, radius, start, end, direction};
}

}

#endif
