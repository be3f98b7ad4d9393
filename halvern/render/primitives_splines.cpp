// Spline primitives: rational B-splines sampled per knot span, and natural cubic
// splines through fit points, both drawn as segments.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "halvern/geometry.h"
#include "geometry/geometry_internal.h"
#include "osmark/numbers.h"
#include "primitives.h"
#include "primitives_internal.h"

using namespace halvern::primitives;

namespace {

// Segments of one knot span or fit-spline piece: the distance of its two points in
// pixels, at most kMaxSegments, kDegenerateSegments when that is not positive.
constexpr int32_t kMaxSegments = 20;
constexpr int32_t kDegenerateSegments = 2;

// Where the spline's own coordinates go: scaled, turned, then moved to the origin.
struct Placement {
    double origin_x;
    double origin_y;
    double scale_x;
    double scale_y;
    CosSin turn;

    void place(double x, double y, double& out_x, double& out_y) const noexcept
    {
        const double sx = x * scale_x;
        const double sy = y * scale_y;
        out_x = sx * turn.cos - sy * turn.sin + origin_x;
        out_y = sx * turn.sin + sy * turn.cos + origin_y;
    }
};

int32_t segments_between(const Point3DRec& a, const Point3DRec& b, double pixels_per_unit) noexcept
{
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    // Under a pixel every length gives kDegenerateSegments, so a plain square root,
    // a few units in the last place from hypot, decides far below one pixel (a
    // square that underflows belongs to a length below 1e-154, which no scale up to
    // 1e100 brings near a pixel). Thumbnails are made of such spans.
    if (pixels_per_unit <= 1e100 && std::sqrt(dx * dx + dy * dy) * pixels_per_unit < 0.5)
        return kDegenerateSegments;
    const double length = std::hypot(dx, dy) * pixels_per_unit;
    if (!(length > 0.0))
        return kDegenerateSegments;
    if (length >= kMaxSegments)
        return kMaxSegments;
    const int32_t segments = Trunc(length);
    return segments <= 0 ? kDegenerateSegments : segments;
}

// Joins successive points with segments, the first with the caller's move flag.
class Polyline {
public:
    Polyline(DXFDrawingRec* drawing, int32_t move) noexcept : m_drawing(drawing), m_move(move) {}

    void add(double x, double y) noexcept
    {
        if (m_has_point) {
            halvern::DrawClippedLine(m_x, m_y, x, y, m_move, m_drawing);
            m_move = 0;
        }
        m_x = x;
        m_y = y;
        m_has_point = true;
    }

private:
    DXFDrawingRec* m_drawing;
    int32_t m_move;
    bool m_has_point = false;
    double m_x = 0.0;
    double m_y = 0.0;
};

// The grey polygon through the control (or fit) points. Its pen is chosen as for a
// plain item with a cleared monochrome state, so in monochrome mode nothing changes.
void draw_control_polygon(DXFDrawingRec* drawing, const Placement& placement,
                          const Point3DRec* points, int32_t count) noexcept
{
    if ((drawing->dxf_Flags & halvern::kDrawControlPolygons) == 0)
        return;
    int32_t state = 0;
    halvern::SelectItemPen(halvern::kControlPolygonColour, 0, 0, &state, drawing);
    Polyline polygon(drawing, 1);
    for (int32_t i = 0; i < count; ++i) {
        double x = 0.0;
        double y = 0.0;
        placement.place(points[i].x, points[i].y, x, y);
        polygon.add(x, y);
    }
}

// One term of the basis recursion, as Basis forms it: a value that is zero within the
// tolerance, or a zero-length knot interval, contributes nothing.
double basis_term(double value, double numerator, double denominator) noexcept
{
    if (halvern::is_zero(value) || denominator == 0.0)
        return 0.0;
    return value * numerator / denominator;
}

// Indices of the basis values that may be non-zero, first to last (none when first is
// above last).
struct BasisRange {
    int64_t first;
    int64_t last;
};

// The basis values of Basis, bit for bit, computed only where they can be non-zero:
// a value of order k is made from the values i and i + 1 of order k - 1, so the
// non-zero values of order 1 (the spans that hold u) decide a short run for each
// order, and the rest of the recursion only adds zeros. basis holds order + count + 1
// values that are all zero on entry; the caller clears the returned range (and
// nothing else is touched) before the next call. With weights every weight must be
// finite: a zero times an infinite weight would spoil the whole sum, which this
// shortcut does not reproduce.
//
// With sorted knots (finite and non-decreasing, see are_sorted) and a finite u the
// spans that hold u are found by bisection: u - x[i] > -tolerance holds for a run of
// leading knots, and the one span that holds u is the one that starts at its last.
BasisRange local_basis(int64_t order, double u, int64_t count, const double* knots,
                       const double* weights, bool sorted, double* basis) noexcept
{
    const double* x = knots;
    double* r = basis;
    int64_t lowest = -1;
    int64_t highest = -1;
    if (sorted && std::isfinite(u)) {
        int64_t low = 0;
        int64_t high = order + count;
        while (low < high) {
            const int64_t middle = low + (high - low) / 2;
            if (u - x[middle] > -halvern::kKnotTolerance)
                low = middle + 1;
            else
                high = middle;
        }
        if (low >= 1 && low <= order + count - 1) {
            lowest = highest = low - 1;
            r[lowest] = 1.0;
        }
    } else {
        for (int64_t i = 0; i + 1 < order + count; ++i) {
            if (u - x[i] > -halvern::kKnotTolerance &&
                u - x[i + 1] <= -halvern::kKnotTolerance) {
                r[i] = 1.0;
                if (lowest < 0)
                    lowest = i;
                highest = i;
            }
        }
    }
    if (highest >= 0) {
        for (int64_t k = 2; k <= order; ++k) {
            const int64_t first = std::max<int64_t>(lowest - (k - 1), 0);
            const int64_t last = std::min<int64_t>(highest, order + count - k - 1);
            for (int64_t i = first; i <= last; ++i) {
                const double d = basis_term(r[i], u - x[i], x[i + k - 1] - x[i]);
                const double e = basis_term(r[i + 1], x[i + k] - u, x[i + k] - x[i + 1]);
                r[i] = d + e;
            }
        }
    }
    BasisRange range{highest >= 0 ? std::max<int64_t>(lowest - (order - 1), 0) : count, highest};
    if (std::fabs(u - x[order + count - 1]) < halvern::kKnotTolerance) {
        r[count - 1] = 1.0;
        range.first = std::min(range.first, count - 1);
        range.last = std::max(range.last, count - 1);
    }
    if (weights != nullptr) {
        // Outside the range every value is zero, and adding a zero changes no sum.
        const int64_t last = std::min(range.last, count - 1);
        double sum = 0.0;
        for (int64_t i = range.first; i <= last; ++i)
            sum += r[i] * weights[i];
        const bool has_weight = !halvern::is_zero(sum);
        for (int64_t i = range.first; i <= last; ++i)
            r[i] = has_weight ? r[i] * weights[i] / sum : 0.0;
    }
    return range;
}

// The knots the basis reads, finite and non-decreasing.
bool are_sorted(const double* knots, int64_t count) noexcept
{
    for (int64_t i = 0; i < count; ++i) {
        if (!std::isfinite(knots[i]) || (i > 0 && !(knots[i - 1] <= knots[i])))
            return false;
    }
    return true;
}

bool all_weights_finite(const double* weights, int32_t count) noexcept
{
    if (weights == nullptr)
        return true;
    for (int32_t i = 0; i < count; ++i) {
        if (!std::isfinite(weights[i]))
            return false;
    }
    return true;
}

// The spline's point at u by local_basis, placed; false when the point is not finite.
// The values are summed in the order of the control points, as nurbs_point does.
bool local_nurbs_point(const Placement& placement, double u, const Point3DRec* points,
                       int32_t count, int32_t degree, const double* knots,
                       const double* weights, bool sorted, double* basis, double& x,
                       double& y) noexcept
{
    const BasisRange range =
        local_basis(int64_t{degree} + 1, u, count, knots, weights, sorted, basis);
    const int64_t last = std::min<int64_t>(range.last, count - 1);
    double sum_x = 0.0;
    double sum_y = 0.0;
    for (int64_t i = range.first; i <= last; ++i) {
        if (basis[i] == 0.0)
            continue;
        sum_x += basis[i] * points[i].x;
        sum_y += basis[i] * points[i].y;
    }
    if (range.first <= range.last)
        std::fill(basis + range.first, basis + range.last + 1, 0.0);
    placement.place(sum_x, sum_y, x, y);
    return all_finite(x, y);
}

// The spline's point at u, placed; false when the basis gives nothing usable.
bool nurbs_point(const Placement& placement, double u, const Point3DRec* points, int32_t count,
                 int32_t degree, const double* knots, const double* weights, double* basis,
                 double& x, double& y) noexcept
{
    Basis(static_cast<uint32_t>(degree + 1), u, static_cast<uint32_t>(count), knots, weights,
          basis);
    double sum_x = 0.0;
    double sum_y = 0.0;
    for (int32_t i = 0; i < count; ++i) {
        if (basis[i] == 0.0)
            continue;
        sum_x += basis[i] * points[i].x;
        sum_y += basis[i] * points[i].y;
    }
    placement.place(sum_x, sum_y, x, y);
    return all_finite(x, y);
}

// Natural cubic spline over unit parameter steps through values[0..n-1] (n >= 3):
// fills the quadratic coefficients c[0..n-1] (c[0] = c[n-1] = 0) by the tridiagonal
// system c[i-1] + 4 c[i] + c[i+1] = 3 (v[i+1] - 2 v[i] + v[i-1]); work holds n values.
void natural_spline(const double* values, int32_t n, double* c, double* work) noexcept
{
    c[0] = 0.0;
    c[n - 1] = 0.0;
    // Forward elimination (Thomas algorithm); the diagonal stays above 3.7, so no
    // pivot can vanish.
    work[0] = 0.0;
    double previous_c = 0.0;
    for (int32_t i = 1; i < n - 1; ++i) {
        const double rhs = 3.0 * (values[i + 1] - 2.0 * values[i] + values[i - 1]);
        const double diagonal = 4.0 - (i > 1 ? work[i - 1] : 0.0);
        work[i] = 1.0 / diagonal;
        previous_c = (rhs - (i > 1 ? previous_c : 0.0)) / diagonal;
        c[i] = previous_c;
    }
    for (int32_t i = n - 3; i >= 1; --i)
        c[i] -= work[i] * c[i + 1];
}

// Value at t in [0, 1] of piece i of the natural spline with coefficients c.
double spline_value(const double* values, const double* c, int32_t i, double t) noexcept
{
    const double b = values[i + 1] - values[i] - (2.0 * c[i] + c[i + 1]) / 3.0;
    const double d = (c[i + 1] - c[i]) / 3.0;
    return values[i] + t * (b + t * (c[i] + t * d));
}

} // namespace

namespace halvern::primitives {

int64_t nurbs_scratch_count(const DXFDrawingRec* drawing, const Point3DRec* points,
                            int32_t numPoints, int32_t degree, int32_t numKnots,
                            const double* knots) noexcept
{
    if (drawing == nullptr || points == nullptr || knots == nullptr || numPoints < 1 ||
        degree < 0)
        return 0;
    // The basis reads degree + numPoints + 1 knots; a spline without them is not drawn
    // at all, its control polygon included.
    if (int64_t{degree} + numPoints + 1 > numKnots)
        return 0;
    return int64_t{degree} + numPoints + 2;
}

void draw_nurbs_spline(DXFDrawingRec* drawing, double originX, double originY, double rotation,
                       double scaleX, double scaleY, double paramStart, double paramEnd,
                       const Point3DRec* points, int32_t numPoints, int32_t degree,
                       const double* knots, const double* weights, int32_t move,
                       double* basis) noexcept
{
    const Placement placement{originX, originY, scaleX, scaleY, exact_cos_sin(rotation)};
    const bool local = all_weights_finite(weights, numPoints);
    const bool sorted = are_sorted(knots, int64_t{degree} + numPoints + 1);
    Polyline curve(drawing, move);
    bool has_sample = false;
    double last_u = 0.0;
    const auto sample = [&](double u) {
        // Spans meet at their shared knot: that point is drawn once.
        if (has_sample && u == last_u)
            return;
        double x = 0.0;
        double y = 0.0;
        const bool usable =
            local ? local_nurbs_point(placement, u, points, numPoints, degree, knots, weights,
                                      sorted, basis, x, y)
                  : nurbs_point(placement, u, points, numPoints, degree, knots, weights, basis,
                                x, y);
        if (!usable)
            return;
        curve.add(x, y);
        has_sample = true;
        last_u = u;
    };
    for (int32_t i = 1; i < numPoints; ++i) {
        const double span_start = knots[degree + i - 1];
        const double span_end = knots[degree + i];
        if (!all_finite(span_start, span_end) || span_end < paramStart)
            continue;
        if (span_start > paramEnd)
            break;
        const int32_t segments = segments_between(points[i - 1], points[i], drawing->dxf_YScale);
        const double from = std::max(span_start, paramStart);
        const double to = std::min(span_end, paramEnd);
        const double step = (to - from) / segments;
        for (int32_t s = 0; s < segments; ++s)
            sample(from + s * step);
        sample(span_end);
    }
    // The full basis leaves its values behind; the next spline expects zeros.
    if (!local)
        std::fill(basis, basis + int64_t{degree} + numPoints + 2, 0.0);
    draw_control_polygon(drawing, placement, points, numPoints);
}

} // namespace halvern::primitives

namespace halvern {

void DrawNurbsSpline(DXFDrawingRec* drawing, double originX, double originY, double rotation,
                     double scaleX, double scaleY, double paramStart, double paramEnd,
                     const Point3DRec* points, int32_t numPoints, int32_t degree,
                     int32_t numKnots, const double* knots, const double* weights,
                     int32_t move) noexcept
{
    const int64_t scratch = nurbs_scratch_count(drawing, points, numPoints, degree, numKnots, knots);
    if (scratch == 0)
        return;
    DoubleBlock basis = allocate_doubles(scratch);
    if (basis == nullptr)
        return;
    draw_nurbs_spline(drawing, originX, originY, rotation, scaleX, scaleY, paramStart, paramEnd,
                      points, numPoints, degree, knots, weights, move, basis.get());
}

void DrawFitSpline(DXFDrawingRec* drawing, double originX, double originY, double rotation,
                   double scaleX, double scaleY, int32_t numPoints, const Point3DRec* points,
                   int32_t move) noexcept
{
    if (drawing == nullptr || points == nullptr || numPoints < 2)
        return;
    const Placement placement{originX, originY, scaleX, scaleY, exact_cos_sin(rotation)};
    if (numPoints == 2) {
        double x1 = 0.0, y1 = 0.0, x2 = 0.0, y2 = 0.0;
        placement.place(points[0].x, points[0].y, x1, y1);
        placement.place(points[1].x, points[1].y, x2, y2);
        DrawClippedLine(x1, y1, x2, y2, move, drawing);
        draw_control_polygon(drawing, placement, points, numPoints);
        return;
    }

    // One block: placed x and y, their coefficients, and the elimination's work row.
    const int64_t n = numPoints;
    DoubleBlock scratch = allocate_doubles(5 * n);
    if (scratch == nullptr)
        return;
    double* xs = scratch.get();
    double* ys = xs + n;
    double* cx = ys + n;
    double* cy = cx + n;
    double* work = cy + n;
    for (int32_t i = 0; i < numPoints; ++i)
        placement.place(points[i].x, points[i].y, xs[i], ys[i]);
    natural_spline(xs, numPoints, cx, work);
    natural_spline(ys, numPoints, cy, work);

    Polyline curve(drawing, move);
    for (int32_t i = 0; i + 1 < numPoints; ++i) {
        const int32_t segments = segments_between(points[i], points[i + 1], drawing->dxf_YScale);
        for (int32_t s = 0;; ++s) {
            const double t = static_cast<double>(s) / segments;
            if (!(t < 1.0 - kTolerance))
                break;
            curve.add(spline_value(xs, cx, i, t), spline_value(ys, cy, i, t));
        }
    }
    curve.add(xs[numPoints - 1], ys[numPoints - 1]);
    draw_control_polygon(drawing, placement, points, numPoints);
}

} // namespace halvern
