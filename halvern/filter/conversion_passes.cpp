// The geometry conversion passes: lines to end points; arcs to chords, end points or
// clean arcs; polylines to lines, arcs and chords; ellipses and splines to chords,
// optionally refitted with arcs.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "filter/entity_forms.h"
#include "filter/filter_passes.h"
#include "filter/vertex_tools.h"
#include "geometry/geometry_internal.h"
#include "model/vertex_list_internal.h"
#include "halvern/items_from_data.h"
#include "model/make_error.h"
#include "osmark/errors.h"
#include "osmark/memory.h"
#include "osmark/strings.h"

namespace halvern {

namespace {

constexpr uint32_t kPoints = 1;         // bit 0: end points
constexpr uint32_t kChords = 2;         // bit 1: chords
constexpr uint32_t kArcs = 4;           // bit 2: arcs (polylines), arc fitting (curves)
constexpr uint32_t kRewriteArcs = 0x20; // bit 5 of the arc pass
// Entities of more groups than this report the polyline pass's progress.
constexpr uint32_t kLongPolylineGroups = 1000;

const char* entity_name(DXFFilterContext& context) noexcept
{
    const DXFGroupRec* first = FilterGroup(context, 0);
    return first != nullptr && first->dg_Value != nullptr ? first->dg_Value : "";
}

bool is_named(DXFFilterContext& context, const char* a, const char* b = nullptr) noexcept
{
    const char* name = entity_name(context);
    return std::strcmp(name, a) == 0 || (b != nullptr && std::strcmp(name, b) == 0);
}

// The answer after a replacement was written.
int32_t replaced(uint32_t flags) noexcept
{
    return (flags & kFilterKeepSource) != 0 ? 0 : 1;
}

double group_real(DXFFilterContext& context, int32_t code, double fallback) noexcept
{
    if (DXFFindGroup(context.groups, code, 0, context.DXFTextBuffer, sizeof context.DXFTextBuffer) <
        0)
        return fallback;
    return StrToDouble(context.DXFTextBuffer, nullptr);
}

double value_real(const DXFGroupRec& group) noexcept
{
    return group.dg_Value != nullptr ? StrToDouble(group.dg_Value, nullptr) : 0.0;
}

bool extruded(const Point3DRec& extrusion) noexcept
{
    return !is_zero(extrusion.z - 1.0);
}

// An item made from the collected groups, from the context's item pool.
ItemRec* item_from_groups(DXFFilterContext& context) noexcept
{
    if (context.item_pool == nullptr)
        context.item_pool = CreatePool(0x4000, 0x4000);
    if (context.item_pool == nullptr)
        return nullptr;
    return CreateItemFromData(nullptr, context.groups, 0.0, 0.0, 0.0, context.item_pool);
}

void release_item(DXFFilterContext& context, ItemRec* item) noexcept
{
    if (item != nullptr)
        FreeVecPooled(context.item_pool, item);
}

// Arc fitting of the context's vertex list, when flags ask for it.
void fit_when_asked(DXFFilterContext& context, uint32_t flags, double tolerance) noexcept
{
    if ((flags & kArcs) == 0)
        return;
    VertexListRec& list = context.vertices;
    list.vl_N = FilterFitArcs(&context, list.vl_Vertices, list.vl_N, tolerance);
}

// ---- Polylines -------------------------------------------------------------------------

// Progress of a long polyline: reading takes 0 to 50 per cent, converting 50 to 100.
struct PolylineProgress {
    DXFFilterContext& context;
    bool reports;
    int32_t last = -1;

    // false once the run is stopped.
    bool at(int32_t share) noexcept
    {
        if (!reports || share == last)
            return context.stop == 0;
        last = share;
        return FilterProgressStep(context, DXFFilterPolyline, share) != 0;
    }
};

// One vertex per VERTEX sub-entity, each from its own groups 10, 20, 30 and 42.
bool read_polyline_vertices(DXFFilterContext& context, PolylineProgress& progress) noexcept
{
    VertexListRec& list = context.vertices;
    const uint32_t count = PagedArrayGetCount(context.groups);
    bool in_vertex = false;
    VertexRec vertex{};
    for (uint32_t i = 1; i < count; ++i) {
        const DXFGroupRec& group = *FilterGroup(context, i);
        if (group.dg_Code == 0) {
            if (in_vertex)
                VertexListAppend(list, vertex.vx_Point.x, vertex.vx_Point.y, vertex.vx_Point.z,
                                 vertex.vx_Bulge, 0);
            in_vertex = group.dg_Value != nullptr && std::strcmp(group.dg_Value, "VERTEX") == 0;
            vertex = VertexRec{};
            if (!progress.at(static_cast<int32_t>(uint64_t{i} * 50 / count)))
                return false;
            continue;
        }
        if (!in_vertex)
            continue;
        switch (group.dg_Code) {
        case 10:
            vertex.vx_Point.x = value_real(group);
            break;
        case 20:
            vertex.vx_Point.y = value_real(group);
            break;
        case 30:
            vertex.vx_Point.z = value_real(group);
            break;
        case 42:
            vertex.vx_Bulge = value_real(group);
            break;
        default:
            break;
        }
    }
    if (in_vertex)
        VertexListAppend(list, vertex.vx_Point.x, vertex.vx_Point.y, vertex.vx_Point.z,
                         vertex.vx_Bulge, 0);
    return true;
}

// Vertex k of an LWPOLYLINE: the k-th 10 and 20, the first 30 from its 10 on, and a 42
// between its 10 and 20 and the next vertex's (after the last vertex, any later 42).
bool read_lwpolyline_vertices(DXFFilterContext& context, PolylineProgress& progress) noexcept
{
    const uint32_t count = PagedArrayGetCount(context.groups);
    std::vector<uint32_t> xs;
    std::vector<uint32_t> ys;
    std::vector<uint32_t> zs;
    std::vector<uint32_t> bulges;
    try {
        for (uint32_t i = 1; i < count; ++i) {
            switch (FilterGroup(context, i)->dg_Code) {
            case 10:
                xs.push_back(i);
                break;
            case 20:
                ys.push_back(i);
                break;
            case 30:
                zs.push_back(i);
                break;
            case 42:
                bulges.push_back(i);
                break;
            default:
                break;
            }
        }
    } catch (...) {
        context.failure = make_error(IoErrNoMemory);
        return false;
    }
    const size_t vertices = std::min(xs.size(), ys.size());
    const auto first_after = [](const std::vector<uint32_t>& at, uint32_t from) {
        return std::lower_bound(at.begin(), at.end(), from);
    };
    for (size_t k = 0; k < vertices; ++k) {
        VertexRec vertex{};
        vertex.vx_Point.x = value_real(*FilterGroup(context, xs[k]));
        vertex.vx_Point.y = value_real(*FilterGroup(context, ys[k]));
        if (const auto z = first_after(zs, xs[k]); z != zs.end())
            vertex.vx_Point.z = value_real(*FilterGroup(context, *z));
        const uint32_t after = std::max(xs[k], ys[k]);
        const uint32_t before = k + 1 < vertices ? std::min(xs[k + 1], ys[k + 1]) : count;
        if (const auto bulge = first_after(bulges, after); bulge != bulges.end() && *bulge < before)
            vertex.vx_Bulge = value_real(*FilterGroup(context, *bulge));
        VertexListAppend(context.vertices, vertex.vx_Point.x, vertex.vx_Point.y, vertex.vx_Point.z,
                         vertex.vx_Bulge, 0);
        if (!progress.at(static_cast<int32_t>(uint64_t{xs[k]} * 50 / count)))
            return false;
    }
    return true;
}

// A gathered straight run as one POLYLINE; a run of one vertex makes no polyline.
void write_straight_run(DXFFilterContext& context) noexcept
{
    VertexListRec& run = context.straight_run;
    if (run.vl_N >= 2)
        FilterWritePolyline(context, run);
    run.vl_N = 0;
}

void add_vertex(VertexListRec& list, const VertexRec& vertex) noexcept
{
    VertexListAppend(list, vertex.vx_Point.x, vertex.vx_Point.y, vertex.vx_Point.z, vertex.vx_Bulge,
                     vertex.vx_Flags);
}

// ---- Splines ---------------------------------------------------------------------------

bool near(double a, double b) noexcept
{
    return is_equal(a, b);
}

bool same(const Point3DRec& a, const Point3DRec& b) noexcept
{
    return DXFSamePoint(&a, &b) != 0;
}

Point3DRec midpoint(const Point3DRec& a, const Point3DRec& b) noexcept
{
    return Point3DRec{(a.x + b.x) / 2.0, (a.y + b.y) / 2.0, (a.z + b.z) / 2.0};
}

bool on_segment(const Point3DRec& start, const Point3DRec& end, const Point3DRec& point) noexcept
{
    return DXFPointOnSegment(&start, &end, &point) != 0;
}

// Knots and weights of a quadratic circle form: counts, then the weights in order.
bool has_weights(const SplineRec& spline, const std::vector<double>& weights) noexcept
{
    if (spline.sp_NumWeights != static_cast<int32_t>(weights.size()) ||
        spline.sp_Weights == nullptr)
        return false;
    for (size_t i = 0; i < weights.size(); ++i) {
        if (!near(spline.sp_Weights[i], weights[i]))
            return false;
    }
    return true;
}

// Knot i equals multiple times the knot 3 (k).
bool knots_at(const SplineRec& spline, std::initializer_list<int32_t> indexes,
              double multiple) noexcept
{
    const double k = spline.sp_Knots[3];
    for (const int32_t i : indexes) {
        if (!near(spline.sp_Knots[i], multiple * k))
            return false;
    }
    return true;
}

// The circle or arc that a quadratic spline of one of the exact forms describes (at
// z 0); false when it is of none.
bool spline_circle(const SplineRec& spline, ArcRec& arc) noexcept
{
    const Point3DRec* p = spline.sp_Points;
    const int32_t points = spline.sp_NumPoints;
    const int32_t knots = spline.sp_Knots != nullptr ? spline.sp_NumKnots : 0;
    const double s = std::sqrt(2.0) / 2.0;
    arc = ArcRec{};
    arc.ar_Dir = 1;
    const auto centred = [&](const Point3DRec& centre) {
        arc.ar_Centre = Point3DRec{centre.x, centre.y, 0.0};
        arc.ar_Radius = DXFPointDistance(&centre, &p[0]);
    };
    if (points == 7 && knots == 10 && has_weights(spline, {1, 0.5, 1, 0.5, 1, 0.5, 1}) &&
        knots_at(spline, {3, 4}, 1) && knots_at(spline, {6}, 2) && knots_at(spline, {7, 8, 9}, 3) &&
        on_segment(p[1], p[3], p[2]) && on_segment(p[3], p[5], p[4]) &&
        on_segment(p[5], p[1], p[0]) && same(p[0], p[6])) {
        // The sides touch the circle at points 0 and 2: their normals meet at the centre.
        Point3DRec centre{};
        if (DXFIntersectRayRay(&p[0], DXFPointDirection(&p[5], &p[1]) + kHalfPi, 1, &p[2],
                               DXFPointDirection(&p[1], &p[3]) + kHalfPi, 1, &centre) == 0)
            return false;
        centred(centre);
        return true;
    }
    if (points == 9 && knots == 12 && has_weights(spline, {1, s, 1, s, 1, s, 1, s, 1}) &&
        knots_at(spline, {3, 4}, 1) && knots_at(spline, {6}, 2) && knots_at(spline, {7, 8}, 3) &&
        knots_at(spline, {9, 10, 11}, 4) && on_segment(p[1], p[3], p[2]) &&
        on_segment(p[3], p[5], p[4]) && on_segment(p[5], p[7], p[6]) &&
        on_segment(p[7], p[1], p[0]) && same(p[0], p[8])) {
        centred(midpoint(p[0], p[4]));
        return true;
    }
    if (points == 5 && knots == 8 && has_weights(spline, {1, s, 1, s, 1}) &&
        knots_at(spline, {3, 4}, 1) && knots_at(spline, {6, 7}, 2) &&
        on_segment(p[1], p[3], p[2])) {
        const Point3DRec centre = midpoint(p[0], p[4]);
        centred(centre);
        arc.ar_Start = DXFPointDirection(&centre, &p[0]);
        arc.ar_End = DXFPointDirection(&centre, &p[4]);
        const double middle = DXFPointDirection(&centre, &p[2]);
        arc.ar_Dir = DXFAngleInSweep(arc.ar_Start, middle, arc.ar_End, 1) != 0 ? 1 : -1;
        return arc.ar_Radius >= kTolerance;
    }
    if (points == 3 && knots == 6 && has_weights(spline, {1, 1, 1})) {
        // Through the first point, the centroid of the three and the last point.
        const Point3DRec centroid{(p[0].x + p[1].x + p[2].x) / 3.0,
                                  (p[0].y + p[1].y + p[2].y) / 3.0, 0.0};
        Point3DRec centre{};
        if (DXFArcThroughPoints(&p[0], &centroid, &p[2], &centre, &arc.ar_Radius, &arc.ar_Start,
                                &arc.ar_End, &arc.ar_Dir) == 0)
            return false;
        arc.ar_Centre = Point3DRec{centre.x, centre.y, 0.0};
        return true;
    }
    return false;
}

// Degree 2, all control points at one height, neither all on one vertical nor all on
// one horizontal line.
bool may_be_circle(const SplineRec& spline) noexcept
{
    const Point3DRec* p = spline.sp_Points;
    if (spline.sp_Degree != 2 || spline.sp_NumPoints < 1)
        return false;
    bool one_x = true;
    bool one_y = true;
    for (int32_t i = 1; i < spline.sp_NumPoints; ++i) {
        if (!near(p[i].z, p[0].z))
            return false;
        one_x = one_x && near(p[i].x, p[0].x);
        one_y = one_y && near(p[i].y, p[0].y);
    }
    return !one_x && !one_y;
}

// The knots fit the degree and the points.
bool knots_fit(const SplineRec& spline) noexcept
{
    return spline.sp_Degree >= 1 && spline.sp_NumPoints >= 1 && spline.sp_Knots != nullptr &&
           int64_t{spline.sp_NumKnots} >=
               int64_t{spline.sp_NumPoints} + int64_t{spline.sp_Degree} + 1;
}

// The chords of one control-point triple, by how far its middle point bends.
int64_t triple_chords(const Point3DRec& a, const Point3DRec& b, const Point3DRec& c, int32_t degree,
                      double tolerance) noexcept
{
    const Point3DRec middle = midpoint(a, c);
    const double bend = DXFPointDistance(&b, &middle);
    if (is_zero(bend) || is_zero(tolerance))
        return 1;
    const double chords = std::trunc(std::sqrt(bend / std::fabs(tolerance)));
    if (!(chords < 1e9))
        return 1000000000;
    return static_cast<int64_t>(chords) + degree;
}

// The span holding the parameter: the last knot interval that begins at or before it
// (the last interval for the last knot), found by bisection.
int32_t find_span(const double* knots, int32_t count, double parameter) noexcept
{
    int32_t low = 0;
    int32_t high = count - 1;
    if (is_equal(parameter, knots[high])) {
        while (high > 0 && !(knots[high - 1] < knots[high]))
            --high;
        return std::max(high - 1, 0);
    }
    while (high - low > 1) {
        const int32_t middle = low + (high - low) / 2;
        if (parameter < knots[middle])
            high = middle;
        else
            low = middle;
    }
    return low;
}

// Samples the spline into the context's vertex list, span by span. false when memory
// fails.
bool sample_spline(DXFFilterContext& context, const ItemRec* item, double tolerance) noexcept
{
    const SplineRec& spline = item->it_Spline;
    const int32_t degree = spline.sp_Degree;
    const int32_t knots = spline.sp_NumKnots;
    const double* u = spline.sp_Knots;
    const int64_t scratch_size =
        (int64_t{spline.sp_NumPoints} + degree + 2) * int64_t{sizeof(double)};
    if (scratch_size > INT32_MAX)
        return false;
    auto* scratch = static_cast<double*>(AllocVec(static_cast<uint32_t>(scratch_size)));
    if (scratch == nullptr)
        return false;
    // At most 32000 points over the whole curve; at least one chord a span.
    const int64_t most = std::max<int64_t>(1, 32000 / (4 * int64_t{knots}));
    const double start = spline.sp_StartParam;
    const double end = spline.sp_EndParam;
    VertexListRec& list = context.vertices;
    bool first = true;
    for (int32_t span = find_span(u, knots, start); span + 1 < knots && u[span] < end; ++span) {
        const double from = std::max(u[span], start);
        const double to = std::min(u[span + 1], end);
        if (!(to - from > 0.0))
            continue;
        int64_t chords = 0;
        for (int32_t k = std::max(span - degree, 0); k + 2 <= span && k + 2 < spline.sp_NumPoints;
             ++k)
            chords = std::max(chords, triple_chords(spline.sp_Points[k], spline.sp_Points[k + 1],
                                                    spline.sp_Points[k + 2], degree, tolerance));
        chords = std::min(chords, most);
        if (chords == 0)
            continue;
        Point3DRec point{};
        if (first) {
            NURBEvaluate(item, scratch, from, &point);
            VertexListAppend(list, point.x, point.y, point.z, 0.0, 0);
            first = false;
        }
        for (int64_t j = 1; j <= chords; ++j) {
            NURBEvaluate(item, scratch, from + (to - from) * static_cast<double>(j) / chords,
                         &point);
            VertexListAppend(list, point.x, point.y, point.z, 0.0, 0);
        }
    }
    FreeVec(scratch);
    return true;
}

}

int32_t FilterLinePass(DXFFilterContext* context) noexcept
{
    DXFFilterContext& c = *context;
    const uint32_t flags = c.options.line_flags;
    if (!is_named(c, "LINE", "3DLINE") || (flags & kPoints) == 0)
        return 0;
    Point3DRec start{group_real(c, 10, 0.0), group_real(c, 20, 0.0), group_real(c, 30, 0.0)};
    Point3DRec end{group_real(c, 11, 0.0), group_real(c, 21, 0.0), group_real(c, 31, 0.0)};
    Point3DRec extrusion{};
    FilterReadExtrusion(c, extrusion);
    if (extruded(extrusion)) {
        DXFExtrudePoint(&start.x, &start.y, &start.z, &extrusion);
        DXFExtrudePoint(&end.x, &end.y, &end.z, &extrusion);
    }
    FilterWritePoint(c, start);
    FilterWritePoint(c, end);
    return replaced(flags);
}

int32_t FilterArcPass(DXFFilterContext* context) noexcept
{
    DXFFilterContext& c = *context;
    const uint32_t flags = c.options.arc_flags;
    if (!is_named(c, "ARC", "CIRCLE"))
        return 0;
    ArcRec arc{};
    arc.ar_Centre =
        Point3DRec{group_real(c, 10, 0.0), group_real(c, 20, 0.0), group_real(c, 30, 0.0)};
    arc.ar_Radius = group_real(c, 40, 0.0);
    arc.ar_Start = group_real(c, 50, 0.0) * kRadiansPerDegree;
    arc.ar_End = group_real(c, 51, 0.0) * kRadiansPerDegree;
    arc.ar_Dir = 1;
    Point3DRec extrusion{};
    FilterReadExtrusion(c, extrusion);
    if (extruded(extrusion))
        DXFExtrudeArc(&arc.ar_Centre.x, &arc.ar_Centre.y, &arc.ar_Centre.z, arc.ar_Radius,
                      &arc.ar_Start, &arc.ar_End, &arc.ar_Dir, &extrusion);
    if ((flags & kChords) != 0) {
        FilterArcToChords(c, arc, flags, c.options.arc_chord_tolerance);
    } else if ((flags & kPoints) != 0) {
        for (const double angle : {arc.ar_Start, arc.ar_End}) {
            Point3DRec point = FilterArcPoint(arc, angle);
            point.z = 0.0;
            FilterWritePoint(c, point);
        }
    } else if ((flags & kRewriteArcs) != 0) {
        FilterWriteArc(c, arc);
    }
    return replaced(flags);
}

int32_t FilterPolylinePass(DXFFilterContext* context) noexcept
{
    DXFFilterContext& c = *context;
    const uint32_t flags = c.options.polyline_flags;
    const bool lightweight = is_named(c, "LWPOLYLINE");
    if (!lightweight && !is_named(c, "POLYLINE"))
        return 0;
    PolylineProgress progress{c, PagedArrayGetCount(c.groups) > kLongPolylineGroups};
    VertexListRec& list = c.vertices;
    list.vl_N = 0;
    const bool read =
        lightweight ? read_lwpolyline_vertices(c, progress) : read_polyline_vertices(c, progress);
    if (!read)
        return 1;
    const bool closed =
        DXFFindGroup(c.groups, 70, 0, c.DXFTextBuffer, sizeof c.DXFTextBuffer) >= 0 &&
        (StrToLong(c.DXFTextBuffer, nullptr, 10) & 1) != 0;
    if (list.vl_N > 0 && closed) {
        VertexRec first = list.vl_Vertices[0];
        first.vx_Bulge = 0.0;
        add_vertex(list, first);
    }
    Point3DRec extrusion{};
    FilterReadExtrusion(c, extrusion);
    DXFMatrixRec matrix{};
    if (extruded(extrusion) && DXFArbitraryAxisMatrix(&extrusion, &matrix) == 0) {
        for (uint32_t i = 0; i < list.vl_N; ++i) {
            Point3DRec& point = list.vl_Vertices[i].vx_Point;
            DXFMatrixPoint(&point.x, &point.y, &point.z, &matrix);
        }
    }
    if ((flags & (kChords | kArcs)) == 0)
        return replaced(flags);

    const bool runs = (flags & kFilterAsPolyline) != 0;
    c.straight_run.vl_N = 0;
    const uint32_t count = list.vl_N;
    for (uint32_t i = 0; i < count; ++i) {
        const VertexRec& vertex = list.vl_Vertices[i];
        if (!is_zero(vertex.vx_Bulge) && i + 1 < count) {
            if (runs) {
                // The run ends at this vertex; its bulge belongs to the arc.
                if (c.straight_run.vl_N > 0) {
                    VertexRec end = vertex;
                    end.vx_Bulge = 0.0;
                    add_vertex(c.straight_run, end);
                }
                write_straight_run(c);
            }
            ArcRec arc{};
            if (FilterBulgeArc(vertex, list.vl_Vertices[i + 1], arc)) {
                if ((flags & kArcs) != 0)
                    FilterWriteArc(c, arc);
                else
                    FilterArcToChords(c, arc, flags, c.options.polyline_chord_tolerance);
            }
        } else if (runs) {
            add_vertex(c.straight_run, vertex);
        } else if (i + 1 < count) {
            FilterWriteLine(c, vertex.vx_Point, list.vl_Vertices[i + 1].vx_Point);
        }
        if (!progress.at(static_cast<int32_t>(50 + uint64_t{i + 1} * 50 / count)))
            return 1;
    }
    if (runs)
        write_straight_run(c);
    return replaced(flags);
}

int32_t FilterEllipsePass(DXFFilterContext* context) noexcept
{
    DXFFilterContext& c = *context;
    const uint32_t flags = c.options.ellipse_flags;
    if (!is_named(c, "ELLIPSE") || (flags & (kChords | kArcs)) == 0)
        return 0;
    ItemRec* item = item_from_groups(c);
    if (item == nullptr)
        return 0;
    const EllipseRec ellipse = item->it_Ellipse;
    release_item(c, item);
    const Point3DRec& major = ellipse.el_MajorAxis;
    const Point3DRec minor{-ellipse.el_Ratio * major.y, ellipse.el_Ratio * major.x, 0.0};
    const double reach = std::max(std::hypot(major.x, major.y), std::hypot(minor.x, minor.y));
    const double tolerance = c.options.ellipse_tolerance;
    // The step of a chord whose sagitta is the tolerance on a circle of the larger
    // axis; a tolerance of that circle's diameter or more cuts half turns, and no
    // usable step (a zero tolerance, a point-like ellipse) takes 100 chords.
    double step = std::nan("");
    if (reach > 0.0) {
        const double share = std::fabs(tolerance) / (2.0 * reach);
        step = share < 2.0 ? 2.0 * std::acos(1.0 - share) : kPi;
    }
    const double sweep = DXFArcSweep(ellipse.el_Start, ellipse.el_End, ellipse.el_Dir);
    int64_t chords = 100;
    if (step > kTolerance) {
        const double steps = std::trunc(sweep / step) + 1.0;
        chords = steps < kFilterMostChords ? static_cast<int64_t>(steps) : kFilterMostChords;
    }
    const double direction = ellipse.el_Dir >= 0 ? 1.0 : -1.0;
    VertexListRec& list = c.vertices;
    list.vl_N = 0;
    for (int64_t k = 0; k <= chords; ++k) {
        const double t = ellipse.el_Start + static_cast<double>(k) * (sweep / chords) * direction;
        const double cosine = std::cos(t);
        const double sine = std::sin(t);
        VertexListAppend(list, ellipse.el_Centre.x + major.x * cosine + minor.x * sine,
                         ellipse.el_Centre.y + major.y * cosine + minor.y * sine,
                         ellipse.el_Centre.z + major.z * cosine, 0.0, 0);
    }
    fit_when_asked(c, flags, tolerance);
    FilterWriteVertexList(c, list, (flags & kFilterAsPolyline) != 0);
    return replaced(flags);
}

int32_t FilterSplinePass(DXFFilterContext* context) noexcept
{
    DXFFilterContext& c = *context;
    const uint32_t flags = c.options.spline_flags;
    if (!is_named(c, "SPLINE"))
        return 0;
    ItemRec* item = item_from_groups(c);
    if (item == nullptr)
        return 0;
    const SplineRec& spline = item->it_Spline;
    const double tolerance = c.options.spline_tolerance;
    VertexListRec& list = c.vertices;
    list.vl_N = 0;
    int32_t answer = replaced(flags);
    ArcRec arc{};
    if (spline.sp_Degree == 1) {
        for (int32_t i = 0; i < spline.sp_NumPoints; ++i) {
            const Point3DRec& point = spline.sp_Points[i];
            VertexListAppend(list, point.x, point.y, point.z, 0.0, 0);
        }
    } else if (may_be_circle(spline) && spline_circle(spline, arc)) {
        FilterWriteArc(c, arc);
        release_item(c, item);
        return answer;
    } else if (!knots_fit(spline) || !sample_spline(c, item, tolerance)) {
        // Knots that do not fit the curve, or no memory to sample it: kept as it is.
        release_item(c, item);
        return 0;
    }
    release_item(c, item);
    fit_when_asked(c, flags, tolerance);
    FilterWriteVertexList(c, list, (flags & kFilterAsPolyline) != 0);
    return answer;
}

}
