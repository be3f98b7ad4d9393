// The vertex-list tools of the conversion passes and the contour edits.

#include "filter/vertex_tools.h"

#include <algorithm>
#include <cmath>

#include "filter/entity_forms.h"
#include "geometry/geometry_internal.h"
#include "model/vertex_list_internal.h"

namespace halvern {

namespace {

bool is_straight(const VertexRec& vertex) noexcept
{
    return is_zero(vertex.vx_Bulge);
}

// The arc through three vertices of a run, as arc fitting tries it.
struct FitArc {
    Point3DRec centre;
    double radius;
    double start;
    double end;
    int32_t direction;
};

// The difference of two directions, folded into [0, pi].
double direction_gap(double a, double b) noexcept
{
    const double gap = std::fmod(std::fabs(a - b), kTwoPi);
    return gap > kPi ? kTwoPi - gap : gap;
}

double chord_direction(const VertexRec& from, const VertexRec& to) noexcept
{
    return std::atan2(to.vx_Point.y - from.vx_Point.y, to.vx_Point.x - from.vx_Point.x);
}

// Squared distance minus squared tolerance below 1e-6.
bool within_squared(double dx, double dy, double tolerance) noexcept
{
    return dx * dx + dy * dy - tolerance * tolerance < kTolerance;
}

// Whether the point lies within tolerance of the circle.
bool near_circle(const Point3DRec& point, double cx, double cy, double radius,
                 double tolerance) noexcept
{
    const double gap = std::hypot(point.x - cx, point.y - cy) - radius;
    return gap * gap - tolerance * tolerance < kTolerance;
}

// Whether the arc may replace the vertices s to e: every chord's midpoint and every
// vertex lie within tolerance of the circle, the midpoints' projections on the arc, and
// the first and last chords leave and reach it along its tangents (within a quarter turn).
bool arc_passes(const VertexRec* vertices, uint32_t s, uint32_t e, const FitArc& arc,
                double tolerance) noexcept
{
    const double turn = arc.direction >= 0 ? kHalfPi : -kHalfPi;
    if (!(direction_gap(chord_direction(vertices[s], vertices[s + 1]), arc.start + turn) <
          kHalfPi - kTolerance))
        return false;
    if (!(direction_gap(chord_direction(vertices[e - 1], vertices[e]), arc.end + turn) <
          kHalfPi - kTolerance))
        return false;
    const Point3DRec& c = arc.centre;
    for (uint32_t j = s + 1; j <= e; ++j) {
        const Point3DRec& a = vertices[j - 1].vx_Point;
        const Point3DRec& b = vertices[j].vx_Point;
        const double mx = (a.x + b.x) / 2.0 - c.x;
        const double my = (a.y + b.y) / 2.0 - c.y;
        const double mid_distance = std::sqrt(mx * mx + my * my);
        if (!(mid_distance >= kTolerance))
            return false;
        const double scale = arc.radius / mid_distance - 1.0;
        if (!within_squared(mx * scale, my * scale, tolerance))
            return false;
        if (DXFAngleInSweep(arc.start, std::atan2(my, mx), arc.end, arc.direction) == 0)
            return false;
        if (!near_circle(b, c.x, c.y, arc.radius, tolerance))
            return false;
    }
    return true;
}

// The arcs from vertex s to vertex e through each middle vertex. The circle of a middle
// vertex comes cheaply from the chord's frame, and most circles of a long run leave some
// vertex out of tolerance: only a circle that keeps every vertex gets its angles and the
// full arc check. The answers are those of the three-point arc and the check in turn.
class RunArcs {
public:
    RunArcs(const VertexRec* vertices, uint32_t s, uint32_t e, double tolerance) noexcept
        : m_vertices(vertices), m_s(s), m_e(e), m_tolerance(tolerance),
          m_has_chord(ArcChordOf(vertices[s].vx_Point, vertices[e].vx_Point, m_chord))
    {
    }

    bool fits(uint32_t m, FitArc& arc) const noexcept
    {
        ArcCircle circle{};
        if (!m_has_chord || !ArcCircleOnChord(m_chord, m_vertices[m].vx_Point, circle))
            return false;
        for (uint32_t j = m_s + 1; j <= m_e; ++j) {
            if (!near_circle(m_vertices[j].vx_Point, circle.cx, circle.cy, circle.radius,
                             m_tolerance))
                return false;
        }
        arc.centre = m_vertices[m_s].vx_Point;
        arc.centre.x = circle.cx;
        arc.centre.y = circle.cy;
        arc.radius = circle.radius;
        ArcCircleAngles(m_chord, circle, arc.start, arc.end);
        arc.direction = circle.direction;
        return arc_passes(m_vertices, m_s, m_e, arc, m_tolerance);
    }

private:
    const VertexRec* m_vertices;
    uint32_t m_s;
    uint32_t m_e;
    double m_tolerance;
    ArcChord m_chord{};
    bool m_has_chord;
};

// The longest run from s, ends from first_end down to last_end, each with every middle
// from the end down: the end of the first passing arc, or 0.
uint32_t search_ends(const VertexRec* vertices, uint32_t s, uint32_t first_end, uint32_t last_end,
                     double tolerance, FitArc& arc) noexcept
{
    for (uint32_t e = first_end; e >= last_end && e >= s + 2; --e) {
        const RunArcs run(vertices, s, e, tolerance);
        for (uint32_t m = e - 1; m > s; --m) {
            if (run.fits(m, arc))
                return e;
        }
    }
    return 0;
}

// Halving: the end falls to the middle of the run while the arc through the run's
// middle fails; once one passes, the ends between it and the last failing end are
// searched in full, longest first.
uint32_t search_by_halving(const VertexRec* vertices, uint32_t s, uint32_t last, double tolerance,
                           FitArc& arc) noexcept
{
    uint32_t e = last;
    uint32_t failed = 0;
    while (e >= s + 2) {
        const uint32_t m = s + (e - s) / 2;
        if (RunArcs(vertices, s, e, tolerance).fits(m, arc))
            break;
        failed = e;
        e = m;
    }
    if (e < s + 2)
        return 0;
    if (failed == 0)
        return e;
    // The search reaches e at the latest, where the halving arc passes.
    FitArc longer{};
    if (const uint32_t end = search_ends(vertices, s, failed, e, tolerance, longer); end != 0) {
        arc = longer;
        return end;
    }
    return e;
}

// Distance of point from the segment: perpendicular where its foot lies on the
// segment, else the larger of the distances to the two ends.
double segment_distance(const Point3DRec& point, const Point3DRec& a, const Point3DRec& b) noexcept
{
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double px = point.x - a.x;
    const double py = point.y - a.y;
    const double length2 = dx * dx + dy * dy;
    if (length2 > 0.0) {
        const double u = (px * dx + py * dy) / length2;
        if (u >= 0.0 && u <= 1.0)
            return std::fabs(px * dy - py * dx) / std::sqrt(length2);
    }
    return std::max(std::hypot(px, py), std::hypot(point.x - b.x, point.y - b.y));
}

bool run_is_straight(const VertexRec* vertices, uint32_t i, uint32_t j, double tolerance) noexcept
{
    for (uint32_t k = i + 1; k < j; ++k) {
        if (!(segment_distance(vertices[k].vx_Point, vertices[i].vx_Point, vertices[j].vx_Point) -
                  tolerance <
              kTolerance))
            return false;
    }
    return true;
}

}

void FilterWriteVertexList(DXFFilterContext& context, const VertexListRec& list,
                           bool as_polyline) noexcept
{
    if (as_polyline) {
        FilterWritePolyline(context, list);
        return;
    }
    const VertexRec* v = list.vl_Vertices;
    const uint32_t count = v != nullptr ? list.vl_N : 0;
    ArcRec arc{};
    if (count == 3 && is_equal(v[0].vx_Bulge, 1.0) && is_equal(v[1].vx_Bulge, 1.0) &&
        DXFSamePoint(&v[0].vx_Point, &v[2].vx_Point) != 0) {
        // Two half circles that return to their start: one circle.
        if (FilterBulgeArc(v[0], v[1], arc)) {
            arc.ar_End = DXFNormaliseAngle(arc.ar_Start + kTwoPi);
            FilterWriteArc(context, arc);
        }
        return;
    }
    for (uint32_t i = 0; i + 1 < count; ++i) {
        if (is_straight(v[i]))
            FilterWriteLine(context, v[i].vx_Point, v[i + 1].vx_Point);
        else if (FilterBulgeArc(v[i], v[i + 1], arc))
            FilterWriteArc(context, arc);
    }
}

void FilterArcToChords(DXFFilterContext& context, const ArcRec& arc, uint32_t flags,
                       double tolerance) noexcept
{
    const double size = std::fabs(tolerance);
    const double radius = std::fabs(arc.ar_Radius);
    if (!(size >= kTolerance) || !(radius >= kTolerance) || !std::isfinite(radius))
        return;
    const double direction = arc.ar_Dir >= 0 ? 1.0 : -1.0;
    double sweep = std::fabs(kFourPi + direction * (arc.ar_End - arc.ar_Start));
    if (!std::isfinite(sweep))
        return;
    if (sweep - kTwoPi >= kTolerance)
        sweep = std::fmod(sweep - kTolerance, kTwoPi) + kTolerance;
    // A tolerance of the diameter or more has no step of its own: half turns then.
    double step = size < 2.0 * radius ? 2.0 * std::acos(1.0 - size / radius) : kPi;
    step = std::max(step, sweep / kFilterMostChords);
    if (!(step > 0.0))
        return;

    const bool as_polyline = (flags & kFilterAsPolyline) != 0;
    VertexListRec& chords = context.chords;
    chords.vl_N = 0;
    Point3DRec previous = FilterArcPoint(arc, arc.ar_Start);
    if (as_polyline)
        VertexListAppend(chords, previous.x, previous.y, previous.z, 0.0, 0);
    const auto add = [&](const Point3DRec& point) {
        if (as_polyline)
            VertexListAppend(chords, point.x, point.y, point.z, 0.0, 0);
        else
            FilterWriteLine(context, previous, point);
        previous = point;
    };
    // A point that would fall within 1e-6 of the end makes no chord of its own.
    for (int32_t k = 1; sweep - k * step >= kTolerance; ++k)
        add(FilterArcPoint(arc, arc.ar_Start + direction * k * step));
    add(FilterArcPoint(arc, arc.ar_End));
    if (as_polyline)
        FilterWritePolyline(context, chords);
}

uint32_t FilterFitArcs(DXFFilterContext* context, VertexRec* vertices, uint32_t count,
                       double tolerance) noexcept
{
    if (vertices == nullptr || count < 3)
        return count;
    const bool halving = count >= kFilterFitHalvingCount;
    const bool reports = count > kFilterFitHalvingCount && context != nullptr;
    const uint32_t last = count - 1;
    uint32_t kept = 0; // vertices settled at the front; never beyond s
    uint32_t s = 0;
    int32_t reported = -1;
    while (s < count) {
        if (reports) {
            const auto share = static_cast<int32_t>(uint64_t{s} * 100 / count);
            if (share != reported) {
                reported = share;
                if (FilterProgressStep(*context, DXFFilterArcFitting, share) == 0)
                    break;
            }
        }
        FitArc arc{};
        uint32_t end = 0;
        if (s + 2 <= last) {
            end = halving ? search_by_halving(vertices, s, last, tolerance, arc)
                          : search_ends(vertices, s, last, s + 2, tolerance, arc);
        }
        vertices[kept] = vertices[s];
        if (end == 0) {
            ++kept;
            ++s;
            continue;
        }
        const double sweep = DXFArcSweep(arc.start, arc.end, arc.direction);
        vertices[kept].vx_Bulge = std::tan(sweep / 4.0) * (arc.direction >= 0 ? 1.0 : -1.0);
        ++kept;
        s = end;
    }
    // A stop leaves the rest as it was.
    for (; s < count; ++s)
        vertices[kept++] = vertices[s];
    return kept;
}

uint32_t FilterRemoveNeedlessVertices(VertexRec* vertices, uint32_t count,
                                      double tolerance) noexcept
{
    if (vertices == nullptr || count < 3)
        return count;
    const uint32_t last = count - 1;
    uint32_t kept = 0; // never beyond i
    uint32_t i = 0;
    while (i < count) {
        vertices[kept++] = vertices[i];
        if (!is_straight(vertices[i]) || i + 2 > last) {
            ++i;
            continue;
        }
        uint32_t run_end = i + 1;
        while (run_end < last && is_straight(vertices[run_end]))
            ++run_end;
        uint32_t next = i + 1;
        for (uint32_t j = run_end; j >= i + 2; --j) {
            if (run_is_straight(vertices, i, j, tolerance)) {
                next = j;
                break;
            }
        }
        i = next;
    }
    return kept;
}

}
