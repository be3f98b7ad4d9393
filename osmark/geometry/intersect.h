// The intersection operations for the kernel's own code: each returns the points it
// finds, in the order that the exported operation of intersections.h appends them,
// without a point buffer.
#ifndef OSMARK_GEOMETRY_INTERSECT_H
#define OSMARK_GEOMETRY_INTERSECT_H

#include "geometry/point_set.h"
#include "osmark/geometry_types.h"

#include <cstdint>

namespace osmark::geometry {

// An IntersectionKind; the point goes to the optional output.
int32_t intersection_point(const Point2DRec& a1, const Point2DRec& a2, const Point2DRec& b1,
                           const Point2DRec& b2, Point2DRec* output) noexcept;
PointSet line_line(const Line2DRec& a, const Line2DRec& b) noexcept;
PointSet ray_ray(const Point2DRec& p1, double angle1, const Point2DRec& p2, double angle2) noexcept;
PointSet ray_circle(const Point2DRec& p, double angle, const Point2DRec& centre,
                    double radius) noexcept;
PointSet ray_arc(const Point2DRec& p, double angle, const Arc2DRec& arc) noexcept;
PointSet circle_circle(const Point2DRec& centre1, double radius1, const Point2DRec& centre2,
                       double radius2) noexcept;
PointSet line_arc(const Line2DRec& line, const Arc2DRec& arc) noexcept;
PointSet arc_arc(const Arc2DRec& a, const Arc2DRec& b) noexcept;

// Scan lines: horizontal at y (y_*) and vertical at x (x_*).
PointSet y_line(double y, const Line2DRec& line) noexcept;
PointSet x_line(double x, const Line2DRec& line) noexcept;
PointSet y_arc(double y, const Arc2DRec& arc) noexcept;
PointSet x_arc(double x, const Arc2DRec& arc) noexcept;

}

#endif
