// Entities with vertex lists: LWPOLYLINE, POLYLINE with its VERTEX and SEQEND entities,
// and SPLINE, collected in the reader's vertex list and made into POLYLINE and SPLINE
// items.
//
// Counts that a file announces (knots, control points) are never trusted for memory:
// knots are collected as they come, and a spline is kept with its knots only when
// their number fits its degree and its points; otherwise it is kept as its control
// polygon (degree 1 over its points), so that nothing evaluates it past its arrays.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "dxf/dxf_entity_parser.h"
#include "dxf/dxf_entity_reader.h"
#include "dxf/dxf_group_list_source.h"
#include "geometry/geometry_internal.h"

namespace halvern::entity {

namespace {

// Vertex flags of POLYLINE vertices, and POLYLINE flags.
constexpr uint32_t kFrameControlPoint = 0x10;
constexpr int32_t kPolylineClosed = 1;
constexpr int32_t kPolylineCurveFit = 2;
constexpr int32_t kPolylineSplineFit = 4;
// 3D polylines and meshes keep world coordinates; only 2D polylines lie in the plane
// of their extrusion.
constexpr int32_t kPolylineNotPlanar = 8 | 16 | 64;

// Marks of SPLINE points in the vertex list.
constexpr uint32_t kControlPoint = 1;
constexpr uint32_t kFitPoint = 2;

constexpr int32_t kDefaultSplineDegree = 4;

// Keeps the vertices that keep(vertex) accepts, in order, at the front of the list.
template <typename Keep>
uint32_t keep_vertices(VertexListRec& list, Keep keep)
{
    uint32_t kept = 0;
    for (uint32_t i = 0; i < list.vl_N; ++i) {
        if (keep(list.vl_Vertices[i]))
            list.vl_Vertices[kept++] = list.vl_Vertices[i];
    }
    list.vl_N = kept;
    return kept;
}

// 2D polylines are stored in their plane's coordinates: the extrusion maps them to the
// world, and a mapping that mirrors turns every bulge the other way.
template <typename Source>
void extrude_vertices(EntityReader<Source>& reader)
{
    if (!reader.is_extruded())
        return;
    DXFMatrixRec matrix{};
    if (DXFArbitraryAxisMatrix(&reader.extrusion(), &matrix) != 0)
        return;
    const auto& m = matrix.m;
    const bool mirrors = m[0][0] * m[1][1] - m[0][1] * m[1][0] < 0.0;
    VertexListRec& list = reader.vertices();
    for (uint32_t i = 0; i < list.vl_N; ++i) {
        VertexRec& vertex = list.vl_Vertices[i];
        DXFMatrixPoint(&vertex.vx_Point.x, &vertex.vx_Point.y, &vertex.vx_Point.z, &matrix);
        if (mirrors)
            vertex.vx_Bulge = -vertex.vx_Bulge;
    }
}

template <typename Source>
void append_first_vertex(EntityReader<Source>& reader)
{
    const VertexListRec& list = reader.vertices();
    if (list.vl_N == 0)
        return;
    const VertexRec first = list.vl_Vertices[0];
    reader.add_vertex(first.vx_Point.x, first.vx_Point.y, first.vx_Point.z, 0.0, first.vx_Flags);
}

// A POLYLINE item of the vertex list; a closed one repeats its first vertex at the end.
template <typename Source>
void add_polyline_item(EntityReader<Source>& reader, bool closed)
{
    if (closed)
        append_first_vertex(reader);
    const VertexListRec& list = reader.vertices();
    const int64_t count = list.vl_N;
    ItemRec* item = reader.create(DXFItemPolyline, (count - 1) * int64_t{sizeof(VertexRec)});
    if (item == nullptr)
        return;
    PolylineRec& polyline = item->it_Polyline;
    polyline.pl_Flags = closed ? 1u : 0u;
    polyline.pl_NumVertices = static_cast<int32_t>(count);
    VertexRec* vertices = polyline.pl_Vertices;
    for (int64_t i = 0; i < count; ++i) {
        vertices[i] = list.vl_Vertices[i];
        vertices[i].vx_Flags = 0;
    }
    DXFPolylineCorners(vertices, polyline.pl_NumVertices, &polyline.pl_Min, &polyline.pl_Max);
    reader.add(item);
}

// What a SPLINE item carries besides its points (the first point_count vertices of
// the list).
struct SplineShape {
    uint32_t flags = 0;
    int32_t degree = 0;
    Point3DRec start_tangent{};
    Point3DRec end_tangent{};
    std::vector<double> knots;
    std::vector<double> weights;  // the first ones; the other points weigh 1
};

// Knots of a clamped uniform B-spline of the degree over count points: degree + 1
// zeros, then 1, 2, ... up to count - degree, which repeats to fill count + degree + 1.
std::vector<double> clamped_uniform_knots(int64_t count, int32_t degree)
{
    std::vector<double> knots;
    if (count <= 0 || degree < 0 || count < degree + 1)
        return knots;
    const int64_t total = count + degree + 1;
    knots.reserve(static_cast<size_t>(total));
    knots.assign(static_cast<size_t>(degree) + 1, 0.0);
    for (int64_t value = 1; value <= count - degree; ++value)
        knots.push_back(static_cast<double>(value));
    knots.resize(static_cast<size_t>(total), static_cast<double>(count - degree));
    return knots;
}

template <typename Source>
void add_spline_item(EntityReader<Source>& reader, const SplineShape& shape)
{
    const VertexListRec& list = reader.vertices();
    const int64_t points = list.vl_N;
    const auto knots = static_cast<int64_t>(shape.knots.size());
    const int64_t extra = (points - 1) * int64_t{sizeof(Point3DRec)} +
                          knots * int64_t{sizeof(double)} + points * int64_t{sizeof(double)};
    if (points > INT32_MAX || knots > INT32_MAX) {
        reader.fail();
        return;
    }
    ItemRec* item = reader.create(DXFItemSpline, extra);
    if (item == nullptr)
        return;
    SplineRec& spline = item->it_Spline;
    spline.sp_Flags = shape.flags;
    spline.sp_Degree = shape.degree;
    spline.sp_StartTangent = shape.start_tangent;
    spline.sp_EndTangent = shape.end_tangent;
    spline.sp_NumPoints = static_cast<int32_t>(points);
    spline.sp_NumWeights = static_cast<int32_t>(points);
    spline.sp_NumKnots = static_cast<int32_t>(knots);
    spline.sp_Knots = reinterpret_cast<double*>(spline.sp_Points + points);
    spline.sp_Weights = spline.sp_Knots + knots;

    bool found = false;
    for (int64_t i = 0; i < points; ++i) {
        const Point3DRec& point = list.vl_Vertices[i].vx_Point;
        spline.sp_Points[i] = point;
        if (!found) {
            spline.sp_Min = Point3DRec{point.x, point.y, 0.0};
            spline.sp_Max = spline.sp_Min;
            found = true;
        }
        spline.sp_Min.x = std::fmin(spline.sp_Min.x, point.x);
        spline.sp_Min.y = std::fmin(spline.sp_Min.y, point.y);
        spline.sp_Max.x = std::fmax(spline.sp_Max.x, point.x);
        spline.sp_Max.y = std::fmax(spline.sp_Max.y, point.y);
    }
    if (knots > 0) {
        std::memcpy(spline.sp_Knots, shape.knots.data(), static_cast<size_t>(knots) * sizeof(double));
        spline.sp_StartParam = shape.knots.front();
        spline.sp_EndParam = shape.knots.back();
    }
    for (int64_t i = 0; i < points; ++i)
        spline.sp_Weights[i] = i < static_cast<int64_t>(shape.weights.size())
                                   ? shape.weights[static_cast<size_t>(i)]
                                   : 1.0;
    reader.add(item);
}

}

// ---------------------------------------------------------------------------------------
// LWPOLYLINE

template <typename Source>
void read_lwpolyline(EntityReader<Source>& reader)
{
    bool closed = false;
    bool in_vertices = false;
    bool begun = false;
    bool has_x = false;
    bool has_y = false;
    VertexRec vertex{};
    const auto add_complete = [&] {
        if (begun && has_x && has_y)
            reader.add_vertex(vertex.vx_Point.x, vertex.vx_Point.y, vertex.vx_Point.z,
                              vertex.vx_Bulge, 0);
    };
    const bool complete = reader.read_to_end([&](int32_t code) {
        // The extrusion comes after the vertices in most files.
        if (reader.take_extrusion())
            return;
        if (!in_vertices) {
            if (code != 10 && code != 20 && code != 30) {
                if (!reader.take_common() && code == 70)
                    closed = (reader.integer() & kPolylineClosed) != 0;
                return;
            }
            in_vertices = true;
        }
        switch (code) {
        case 10:
            add_complete();
            vertex = VertexRec{};
            vertex.vx_Point.x = reader.x();
            begun = true;
            has_x = true;
            has_y = false;
            break;
        case 20:
            vertex.vx_Point.y = reader.y();
            has_y = true;
            break;
        case 30: vertex.vx_Point.z = reader.z(); break;
        case 42: vertex.vx_Bulge = reader.real(); break;
        default: break;
        }
    }, GroupLayout::Vertices);
    if (!complete || !in_vertices)
        return;
    add_complete();
    extrude_vertices(reader);
    add_polyline_item(reader, closed);
}

// ---------------------------------------------------------------------------------------
// POLYLINE, VERTEX ... SEQEND

namespace {

// A smoothed polyline with more than two frame control points: a SPLINE through them
// (curve fit) or with them as control points (spline fit).
template <typename Source>
void add_smoothed_spline(EntityReader<Source>& reader, int32_t flags)
{
    if ((flags & kPolylineClosed) != 0)
        append_first_vertex(reader);
    const int64_t count = reader.vertices().vl_N;
    SplineShape shape;
    shape.degree = static_cast<int32_t>(std::min<int64_t>(count - 1, 3));
    shape.flags = DXFSplineFromPolyline;
    if ((flags & kPolylineSplineFit) != 0)
        shape.knots = clamped_uniform_knots(count, shape.degree);
    else
        shape.flags |= DXFSplineFitPoints;
    add_spline_item(reader, shape);
}

}

template <typename Source>
void read_polyline(EntityReader<Source>& reader)
{
    int32_t flags = 0;
    const bool header_complete = reader.read_to_end([&](int32_t code) {
        if (reader.take_common() || reader.take_extrusion())
            return;
        if (code == 70)
            flags = reader.integer();
    });
    if (!header_complete || !reader.is_group(0, "VERTEX"))
        return;

    // In a stream, coordinates missing from a vertex keep the previous vertex's values;
    // a group list gives each vertex its own, 0 where missing.
    Point3DRec point{};
    for (;;) {
        if constexpr (!Source::kCarriesVertexCoordinates)
            point = Point3DRec{};
        double bulge = 0.0;
        uint32_t vertex_flags = 0;
        bool has_coordinate = false;
        const bool vertex_complete = reader.read_to_end([&](int32_t code) {
            switch (code) {
            case 10: point.x = reader.x(); has_coordinate = true; break;
            case 20: point.y = reader.y(); has_coordinate = true; break;
            case 30: point.z = reader.z(); has_coordinate = true; break;
            case 42: bulge = reader.real(); break;
            case 70: vertex_flags = static_cast<uint32_t>(reader.integer()); break;
            default: break;
            }
        });
        if (!vertex_complete)
            return;
        if (has_coordinate)
            reader.add_vertex(point.x, point.y, point.z, bulge, vertex_flags);
        if (reader.is_group(0, "VERTEX"))
            continue;
        // SEQEND closes the vertices; any other entity ends a polyline that lacks one
        // and stays in the buffer for the caller.
        if (reader.is_group(0, "SEQEND") && !reader.read_to_end([](int32_t) {}))
            return;
        break;
    }

    if ((flags & kPolylineNotPlanar) == 0)
        extrude_vertices(reader);
    const bool closed = (flags & kPolylineClosed) != 0;
    if ((flags & (kPolylineCurveFit | kPolylineSplineFit)) == 0) {
        add_polyline_item(reader, closed);
        return;
    }
    VertexListRec& list = reader.vertices();
    uint32_t frame_points = 0;
    for (uint32_t i = 0; i < list.vl_N; ++i)
        frame_points += (list.vl_Vertices[i].vx_Flags & kFrameControlPoint) != 0 ? 1 : 0;
    if (frame_points > 2) {
        keep_vertices(list, [](const VertexRec& v) { return (v.vx_Flags & kFrameControlPoint) != 0; });
        add_smoothed_spline(reader, flags);
        return;
    }
    // Too few frame points for a curve (a curve-fit polyline has none at all): the
    // vertices the smoothing produced, with their bulges, still draw it.
    if (keep_vertices(list, [](const VertexRec& v) { return (v.vx_Flags & kFrameControlPoint) == 0; }) > 0)
        add_polyline_item(reader, closed);
}

// ---------------------------------------------------------------------------------------
// SPLINE

template <typename Source>
void read_spline(EntityReader<Source>& reader)
{
    SplineShape shape;
    shape.degree = kDefaultSplineDegree;
    int64_t announced_knots = -1;
    bool fit_marked = false;
    Point3DRec point{};
    uint32_t point_kind = 0;
    const auto add_point = [&] {
        if (point_kind != 0)
            reader.add_vertex(point.x, point.y, point.z, 0.0, point_kind);
    };
    const auto begin_point = [&](uint32_t kind) {
        add_point();
        point = Point3DRec{reader.x(), 0.0, 0.0};
        point_kind = kind;
    };
    const bool complete = reader.read_fields([&](int32_t code) {
        switch (code) {
        case 10: begin_point(kControlPoint); break;
        case 11: begin_point(kFitPoint); break;
        case 20:
        case 21: point.y = reader.y(); break;
        case 30:
        case 31: point.z = reader.z(); break;
        case 12: shape.start_tangent.x = reader.real(); break;
        case 22: shape.start_tangent.y = reader.real(); break;
        case 13: shape.end_tangent.x = reader.real(); break;
        case 23: shape.end_tangent.y = reader.real(); break;
        case 40:
            if (static_cast<int64_t>(shape.knots.size()) < announced_knots)
                shape.knots.push_back(reader.real());
            break;
        case 41: shape.weights.push_back(reader.real()); break;
        case 71: shape.degree = reader.integer16(); break;
        case 72: {
            const int32_t count = reader.integer();
            if (announced_knots < 0) {
                announced_knots = std::max(count, 0);
                // Room for the knots at once, but never more than a sane count asks.
                shape.knots.reserve(static_cast<size_t>(std::min<int64_t>(announced_knots, 4096)));
            }
            fit_marked = fit_marked || count == 0;
            break;
        }
        case 73: fit_marked = fit_marked || reader.integer() == 0; break;
        default: break;
        }
    }, GroupLayout::SplinePoints);
    if (!complete)
        return;
    add_point();

    const bool is_fit = fit_marked || shape.knots.empty();
    const uint32_t kept_kind = is_fit ? kFitPoint : kControlPoint;
    const int64_t count =
        keep_vertices(reader.vertices(), [kept_kind](const VertexRec& v) { return v.vx_Flags == kept_kind; });
    if (is_fit) {
        // Fit points carry no knot values.
        shape.flags = DXFSplineFitPoints;
        shape.knots.clear();
    } else if (shape.degree >= 1 && count >= int64_t{shape.degree} + 1 &&
               announced_knots == count + shape.degree + 1) {
        // Knot values the file announced but never gave stay 0.
        shape.knots.resize(static_cast<size_t>(announced_knots), 0.0);
    } else {
        shape.degree = count >= 2 ? 1 : 0;
        shape.knots = clamped_uniform_knots(count, shape.degree);
    }
    add_spline_item(reader, shape);
}

template void read_lwpolyline(EntityReader<StreamSource>& reader);
template void read_lwpolyline(EntityReader<ListSource>& reader);
template void read_polyline(EntityReader<StreamSource>& reader);
template void read_polyline(EntityReader<ListSource>& reader);
template void read_spline(EntityReader<StreamSource>& reader);
template void read_spline(EntityReader<ListSource>& reader);

}

namespace halvern {

void DXFPolylineCorners(const VertexRec* vertices, int32_t count, Point3DRec* min,
                        Point3DRec* max) noexcept
{
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    Point3DRec low{kInfinity, kInfinity, 0.0};
    Point3DRec high{-kInfinity, -kInfinity, 0.0};
    bool found = false;
    const auto fold = [&](double x, double y) {
        if (!std::isfinite(x) || !std::isfinite(y))
            return;
        low.x = std::min(low.x, x);
        low.y = std::min(low.y, y);
        high.x = std::max(high.x, x);
        high.y = std::max(high.y, y);
        found = true;
    };
    for (int32_t i = 0; vertices != nullptr && i < count; ++i)
        fold(vertices[i].vx_Point.x, vertices[i].vx_Point.y);
    for (int32_t i = 0; vertices != nullptr && i + 1 < count; ++i) {
        if (is_zero(vertices[i].vx_Bulge))
            continue;
        ItemRec arc{};
        if (CreateBulgeArc(&vertices[i], &vertices[i + 1], &arc) == 0)
            continue;
        const ArcRec& a = arc.it_Arc;
        const double cx = a.ar_Centre.x;
        const double cy = a.ar_Centre.y;
        const double r = a.ar_Radius;
        if (DXFAngleInSweep(a.ar_Start, 0.0, a.ar_End, a.ar_Dir) != 0)
            fold(cx + r, cy);
        if (DXFAngleInSweep(a.ar_Start, kHalfPi, a.ar_End, a.ar_Dir) != 0)
            fold(cx, cy + r);
        if (DXFAngleInSweep(a.ar_Start, kPi, a.ar_End, a.ar_Dir) != 0)
            fold(cx - r, cy);
        if (DXFAngleInSweep(a.ar_Start, -kHalfPi, a.ar_End, a.ar_Dir) != 0)
            fold(cx, cy - r);
    }
    if (min != nullptr)
        *min = found ? low : Point3DRec{};
    if (max != nullptr)
        *max = found ? high : Point3DRec{};
}

}
