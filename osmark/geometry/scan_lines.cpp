// Crossings of segments and arcs with horizontal and vertical scan lines: the inner
// loop of the containment test, which counts them for crossing parity.
//
// An end of a segment or an arc that lies on the scan line counts only when the
// outline goes on beyond the line (above a horizontal one, right of a vertical one),
// tested on the line moved by 2e-6. So a vertex on the line counts once where the
// outline passes through and zero or two times where it only touches.

#include "osmark/intersections.h"

#include "geometry/curves.h"
#include "geometry/intersect.h"
#include "geometry/tolerance.h"

#include <cmath>

using namespace osmark::geometry;

namespace {

constexpr double kBeyondLine = 2e-6;

// Coordinates seen along one scan direction: "scan" is the coordinate that the scan
// line fixes (y for a horizontal line), "other" the one along the line.
template <bool Horizontal>
struct Axes {
    static double scan(const Point2DRec& p) noexcept { return Horizontal ? p.y : p.x; }
    static double other(const Point2DRec& p) noexcept { return Horizontal ? p.x : p.y; }
    static Point2DRec point(double scan, double other) noexcept
    {
        return Horizontal ? Point2DRec{other, scan} : Point2DRec{scan, other};
    }
    // The angle about the centre of a point given by its offsets from the centre.
    static double angle(double scan_offset, double other_offset) noexcept
    {
        return Horizontal ? std::atan2(scan_offset, other_offset)
                          : std::atan2(other_offset, scan_offset);
    }
    // The scan coordinate of an arc's point at an angle.
    static double arc_scan(const Arc2DRec& arc, double angle) noexcept
    {
        return Horizontal ? arc.centre.y + arc.radius * std::sin(angle)
                          : arc.centre.x + arc.radius * std::cos(angle);
    }
};

template <bool Horizontal>
PointSet segment_crossing(double line, const Line2DRec& segment) noexcept;

// The segment goes on beyond the line from an end that lies on it. Each level moves
// the line by 2e-6, so the recursion ends after a few levels; where the coordinates are
// too large for 2e-6 to move the line at all, no end counts.
template <bool Horizontal>
bool continues_beyond(double line, const Line2DRec& segment) noexcept
{
    const double beyond = line + kBeyondLine;
    if (!(beyond > line))
        return false;
    return !segment_crossing<Horizontal>(beyond, segment).empty();
}

template <bool Horizontal>
PointSet segment_crossing(double line, const Line2DRec& segment) noexcept
{
    using A = Axes<Horizontal>;
    PointSet points;
    const double s1 = A::scan(segment.start);
    const double s2 = A::scan(segment.end);
    if (is_near(s1, s2))
        return points; // along the line: never a crossing
    if (is_near(s1, line)) {
        if (continues_beyond<Horizontal>(line, segment))
            points.add(segment.start);
        return points;
    }
    if (is_near(s2, line)) {
        if (continues_beyond<Horizontal>(line, segment))
            points.add(segment.end);
        return points;
    }
    const bool start_is_upper = s1 - s2 >= kTolerance;
    const Point2DRec& upper = start_is_upper ? segment.start : segment.end;
    const Point2DRec& lower = start_is_upper ? segment.end : segment.start;
    if (A::scan(upper) - line >= kTolerance && A::scan(lower) - line <= -kTolerance) {
        const double other = A::other(lower) + (line - A::scan(lower)) *
                                                   (A::other(upper) - A::other(lower)) /
                                                   (A::scan(upper) - A::scan(lower));
        points.add(A::point(line, other));
    }
    return points;
}

// The two ends of the chord that the line cuts from the arc's circle, the one of
// greater other coordinate first; both at the centre when the chord is shorter than
// the tolerance allows.
struct Chord {
    double plus;
    double minus;
};

template <bool Horizontal>
Chord chord_on(double line, const Arc2DRec& arc) noexcept
{
    using A = Axes<Horizontal>;
    const double offset = line - A::scan(arc.centre);
    const double q = arc.radius * arc.radius - offset * offset;
    const double centre = A::other(arc.centre);
    if (q >= kTolerance)
        return Chord{centre + std::sqrt(q), centre - std::sqrt(q)};
    return Chord{centre, centre};
}

template <bool Horizontal>
bool chord_end_on_arc(double line, double other, const Arc2DRec& arc) noexcept
{
    using A = Axes<Horizontal>;
    const double angle = A::angle(line - A::scan(arc.centre), other - A::other(arc.centre));
    return angle_between(arc.start_angle, angle, arc.end_angle, arc.direction);
}

template <bool Horizontal>
PointSet arc_crossing(double line, const Arc2DRec& arc) noexcept
{
    using A = Axes<Horizontal>;
    PointSet points;
    // The line must cut the circle by at least the tolerance: a tangent gives none.
    if (!(std::fabs(A::scan(arc.centre) - line) - arc.radius <= -kTolerance))
        return points;
    const Chord chord = chord_on<Horizontal>(line, arc);
    bool plus = chord_end_on_arc<Horizontal>(line, chord.plus, arc);
    bool minus = chord_end_on_arc<Horizontal>(line, chord.minus, arc);
    if (is_near(A::arc_scan(arc, arc.start_angle), line) ||
        is_near(A::arc_scan(arc, arc.end_angle), line)) {
        const double beyond = line + kBeyondLine;
        const Chord next = chord_on<Horizontal>(beyond, arc);
        plus = plus && chord_end_on_arc<Horizontal>(beyond, next.plus, arc);
        minus = minus && chord_end_on_arc<Horizontal>(beyond, next.minus, arc);
    }
    if (plus)
        points.add(A::point(line, chord.plus));
    if (minus)
        points.add(A::point(line, chord.minus));
    return points;
}

}

namespace osmark::geometry {

PointSet y_line(double y, const Line2DRec& line) noexcept
{
    return segment_crossing<true>(y, line);
}

PointSet x_line(double x, const Line2DRec& line) noexcept
{
    return segment_crossing<false>(x, line);
}

PointSet y_arc(double y, const Arc2DRec& arc) noexcept
{
    return arc_crossing<true>(y, arc);
}

PointSet x_arc(double x, const Arc2DRec& arc) noexcept
{
    return arc_crossing<false>(x, arc);
}

}

extern "C" {

OSMARK_API int32_t IntersectYLine(double y, const Line2DRec* line, PointBuffer buffer) noexcept
{
    if (line == nullptr)
        return 0;
    return y_line(y, *line).append_to(buffer);
}

OSMARK_API int32_t IntersectXLine(double x, const Line2DRec* line, PointBuffer buffer) noexcept
{
    if (line == nullptr)
        return 0;
    return x_line(x, *line).append_to(buffer);
}

OSMARK_API int32_t IntersectYArc(double y, const Arc2DRec* arc, PointBuffer buffer) noexcept
{
    if (arc == nullptr)
        return 0;
    return y_arc(y, *arc).append_to(buffer);
}

OSMARK_API int32_t IntersectXArc(double x, const Arc2DRec* arc, PointBuffer buffer) noexcept
{
    if (arc == nullptr)
        return 0;
    return x_arc(x, *arc).append_to(buffer);
}
}
