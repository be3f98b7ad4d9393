// Crossings of lines, arcs and items with a horizontal line y = c or a vertical line
// x = c, counted with a half-open rule so that the count along a line gives the right
// inside/outside parity for a closed outline.
//
// The two directions share one implementation: "along" is the coordinate compared with c
// (y for y = c, x for x = c) and "across" the one a crossing is found in.
#include "halvern/item_intersections.h"

#include <array>
#include <cmath>

#include "geometry/item_geometry_internal.h"

namespace halvern {

namespace {

enum class Axis { Y, X };

double along(Axis axis, const Point3DRec& point) noexcept
{
    return axis == Axis::Y ? point.y : point.x;
}

double across(Axis axis, const Point3DRec& point) noexcept
{
    return axis == Axis::Y ? point.x : point.y;
}

// The point on the axis line c at the given across coordinate.
Point3DRec on_line(Axis axis, double c, double across_value, double z) noexcept
{
    return axis == Axis::Y ? Point3DRec{across_value, c, z} : Point3DRec{c, across_value, z};
}

void append(DXFPointBufferRec* buffer, const Point3DRec& point) noexcept
{
    if (buffer != nullptr)
        DXFPointBufferAdd(buffer, &point);
}

// The end of a segment that lies on the line is probed this far above it: the end counts
// only when the segment goes on upward.
constexpr double kProbe = 2e-6;
// Every probe moves the line by at least one representable step, so that it also moves
// where the coordinates are too large for the probe distance to register; after one such
// step an end no longer lies on the line. The limit only guards against the unforeseen.
constexpr int32_t kMostProbes = 4;

double probe_above(double c) noexcept
{
    return std::fmax(c + kProbe, std::nextafter(c, HUGE_VAL));
}

bool segment_crossing(Axis axis, double c, const Point3DRec& a, const Point3DRec& b,
                      Point3DRec& crossing, int32_t probes = 0) noexcept
{
    const double a_along = along(axis, a);
    const double b_along = along(axis, b);
    if (is_equal(a_along, b_along))
        return false; // a segment along the line never counts
    const Point3DRec* end_on_line = is_equal(a_along, c) ? &a : is_equal(b_along, c) ? &b : nullptr;
    if (end_on_line != nullptr) {
        Point3DRec ignored{};
        if (probes >= kMostProbes || !segment_crossing(axis, probe_above(c), a, b, ignored, probes + 1))
            return false;
        crossing = *end_on_line;
        return true;
    }
    const bool a_is_upper = a_along - b_along >= kTolerance;
    const Point3DRec& upper = a_is_upper ? a : b;
    const Point3DRec& lower = a_is_upper ? b : a;
    const double lower_along = along(axis, lower);
    const double upper_along = along(axis, upper);
    if (!(lower_along - c <= -kTolerance && upper_along - c >= kTolerance))
        return false;
    const double share = (c - lower_along) / (upper_along - lower_along);
    const double across_value =
        across(axis, lower) + share * (across(axis, upper) - across(axis, lower));
    crossing = on_line(axis, c, across_value, lower.z + share * (upper.z - lower.z));
    return true;
}

int32_t segment_crossings(Axis axis, double c, const Point3DRec& a, const Point3DRec& b,
                          DXFPointBufferRec* buffer) noexcept
{
    Point3DRec crossing{};
    if (!segment_crossing(axis, c, a, b, crossing))
        return 0;
    append(buffer, crossing);
    return 1;
}

// The chord outline of an arc (start and end point, and the quarter points it passes),
// with the crossings of its chords with the axis line.
class ChordOutline {
public:
    ChordOutline(Axis axis, double c) noexcept : m_axis(axis), m_c(c) {}

    void add_chord(const Point3DRec& from, const Point3DRec& to) noexcept
    {
        if (is_equal(from.x, to.x) && is_equal(from.y, to.y))
            return;
        Point3DRec crossing{};
        if (!segment_crossing(m_axis, m_c, from, to, crossing))
            return;
        if (m_count < m_found.size())
            m_found[m_count] = crossing;
        ++m_count;
    }

    size_t count() const noexcept { return m_count; }
    const Point3DRec& first() const noexcept { return m_found[0]; }

private:
    Axis m_axis;
    double m_c;
    // A line crosses the convex outline of an arc at most twice; the spare room only
    // keeps a count of more from writing past the end.
    std::array<Point3DRec, 5> m_found{};
    size_t m_count = 0;
};

Point3DRec circle_point(const Point3DRec& centre, double radius, double angle) noexcept
{
    return Point3DRec{centre.x + radius * std::cos(angle), centre.y + radius * std::sin(angle),
                      centre.z};
}

// Walks the arc from its start to its end through the quarter points of its circle. The
// end can lie in the start's own quarter behind the start (a sweep above 3pi/2), so the
// walk may need a fifth chord from the last quarter point to the end.
void add_arc_chords(ChordOutline& outline, const Point3DRec& centre, double radius,
                    double start, double end, int32_t direction) noexcept
{
    const double a = DXFNormaliseAngle(start);
    const double b = DXFNormaliseAngle(end);
    if (DXFArcSweep(a, b, direction) - kTwoPi > -kTolerance) {
        Point3DRec from = circle_point(centre, radius, 0.0);
        for (int32_t k = 1; k <= 4; ++k) {
            const Point3DRec to = circle_point(centre, radius, k * kHalfPi);
            outline.add_chord(from, to);
            from = to;
        }
        return;
    }
    const double step = direction >= 0 ? kHalfPi : -kHalfPi;
    int32_t quarter = 0;
    while (quarter < 3 &&
           DXFAngleInSweep(quarter * step, a, (quarter + 1) * step, direction) == 0)
        ++quarter;
    double next = (quarter + 1) * step;
    // A start on a quarter point belongs to the quarter that begins there; the quarter
    // that ends there would give a first chord of no length that reads as a full turn.
    if (is_equal(DXFNormaliseAngle(next), a))
        next += step;
    double current = a;
    Point3DRec from = circle_point(centre, radius, a);
    const Point3DRec last = circle_point(centre, radius, b);
    for (int32_t chord = 0; chord < 5; ++chord) {
        if (DXFAngleInSweep(current, b, next, direction) != 0) {
            outline.add_chord(from, last);
            return;
        }
        const Point3DRec to = circle_point(centre, radius, next);
        outline.add_chord(from, to);
        from = to;
        current = next;
        next += step;
    }
}

int32_t arc_crossings(Axis axis, double c, const Point3DRec& centre, double radius, double start,
                      double end, int32_t direction, DXFPointBufferRec* buffer) noexcept
{
    const double offset = c - along(axis, centre);
    if (std::fabs(offset) - radius > -kTolerance)
        return 0; // the line misses the circle or only touches it
    const double square = radius * radius - offset * offset;
    const double half_chord = square >= kTolerance ? std::sqrt(square) : 0.0;
    // y = c: the right crossing first; x = c: the upper one first.
    const Point3DRec crossings[2] = {
        on_line(axis, c, across(axis, centre) + half_chord, centre.z),
        on_line(axis, c, across(axis, centre) - half_chord, centre.z)};

    const bool start_on_line = is_equal(along(axis, circle_point(centre, radius, start)), c);
    const bool end_on_line = is_equal(along(axis, circle_point(centre, radius, end)), c);
    if (!start_on_line && !end_on_line) {
        int32_t found = 0;
        for (const Point3DRec& crossing : crossings) {
            const double angle = std::atan2(crossing.y - centre.y, crossing.x - centre.x);
            if (DXFAngleInSweep(start, angle, end, direction) != 0) {
                append(buffer, crossing);
                ++found;
            }
        }
        return found;
    }

    // An end on the line: count as the chords of the arc's outline count.
    ChordOutline outline(axis, c);
    add_arc_chords(outline, centre, radius, start, end, direction);
    if (outline.count() == 2) {
        append(buffer, crossings[0]);
        append(buffer, crossings[1]);
        return 2;
    }
    if (outline.count() == 1) {
        const double at = across(axis, outline.first());
        const bool first_is_nearer = std::fabs(at - across(axis, crossings[0])) -
                                         std::fabs(at - across(axis, crossings[1])) <=
                                     -kTolerance;
        append(buffer, first_is_nearer ? crossings[0] : crossings[1]);
        return 1;
    }
    return 0;
}

int32_t item_crossings(Axis axis, double c, const ItemRec* item, DXFPointBufferRec* buffer) noexcept
{
    if (item == nullptr)
        return 0;
    switch (item->it_Header.ih_ItemType) {
    case DXFItemLine:
        return segment_crossings(axis, c, item->it_Line.ln_Start, item->it_Line.ln_End, buffer);
    case DXFItemArc: {
        const ArcRec& arc = item->it_Arc;
        return arc_crossings(axis, c, arc.ar_Centre, arc.ar_Radius, arc.ar_Start, arc.ar_End,
                             arc.ar_Dir, buffer);
    }
    case DXFItemPolyline: {
        const PolylineRec& polyline = item->it_Polyline;
        int32_t found = 0;
        const int32_t count = polyline_segment_count(polyline);
        for (int32_t k = 1; k <= count; ++k) {
            ItemRec segment{};
            if (!make_segment_item(polyline_segment_ends(polyline, k, Travel::Forward), segment))
                continue; // an arc that cannot be made is passed over
            found += item_crossings(axis, c, &segment, buffer);
        }
        return found;
    }
    default: return 0;
    }
}

}

}

extern "C" {

HALVERN_API int32_t DXFIntersectYLine(double c, const Point3DRec* start, const Point3DRec* end,
                                      DXFPointBufferRec* buffer) noexcept
{
    using namespace halvern;
    if (start == nullptr || end == nullptr)
        return 0;
    return segment_crossings(Axis::Y, c, *start, *end, buffer);
}

HALVERN_API int32_t DXFIntersectXLine(double c, const Point3DRec* start, const Point3DRec* end,
                                      DXFPointBufferRec* buffer) noexcept
{
    using namespace halvern;
    if (start == nullptr || end == nullptr)
        return 0;
    return segment_crossings(Axis::X, c, *start, *end, buffer);
}

HALVERN_API int32_t DXFIntersectYArc(double c, const Point3DRec* centre, double radius,
                                     double start, double end, int32_t direction,
                                     DXFPointBufferRec* buffer) noexcept
{
    using namespace halvern;
    if (centre == nullptr)
        return 0;
    return arc_crossings(Axis::Y, c, *centre, radius, start, end, direction, buffer);
}

HALVERN_API int32_t DXFIntersectXArc(double c, const Point3DRec* centre, double radius,
                                     double start, double end, int32_t direction,
                                     DXFPointBufferRec* buffer) noexcept
{
    using namespace halvern;
    if (centre == nullptr)
        return 0;
    return arc_crossings(Axis::X, c, *centre, radius, start, end, direction, buffer);
}

HALVERN_API int32_t DXFIntersectY(double c, const ItemRec* item, DXFPointBufferRec* buffer) noexcept
{
    return halvern::item_crossings(halvern::Axis::Y, c, item, buffer);
}

HALVERN_API int32_t DXFIntersectX(double c, const ItemRec* item, DXFPointBufferRec* buffer) noexcept
{
    return halvern::item_crossings(halvern::Axis::X, c, item, buffer);
}

}
