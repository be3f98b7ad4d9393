// IGES curves and points: circular arcs (100), composite curves (102), conic arcs
// (104), copious data (106), lines (110), parametric splines (112), points (116),
// rational B-spline curves (126) and general notes (212).

#include <cmath>
#include <cstring>
#include <limits>

#include "dxf/dxf_entity_parser.h"
#include "geometry/geometry_internal.h"
#include "iges/iges_internal.h"
#include "model/make_error.h"
#include "osmark/errors.h"
#include "osmark/memory.h"

namespace halvern::iges {

namespace {

// Appends a made item; -1 when it could not be made or added.
int32_t append(Reader& reader, ItemRec* item, ItemBufferRec* target)
{
    if (item == nullptr || IGESAddItem(reader, item, target) == 0)
        return make_error(IoErrNoMemory);
    return 0;
}

Point3DRec point_on_circle(const Point3DRec& centre, double radius, double angle)
{
    return {centre.x + radius * std::cos(angle), centre.y + radius * std::sin(angle), centre.z};
}

// The middle angle of an arc, along its direction.
double middle_angle(const ArcRec& arc)
{
    const double direction = arc.ar_Dir < 0 ? -1.0 : 1.0;
    return arc.ar_Start + direction * DXFArcSweep(arc.ar_Start, arc.ar_End, arc.ar_Dir) / 2.0;
}

}

void transform_arc(const Matrix& matrix, ArcRec& arc) noexcept
{
    Point3DRec centre = arc.ar_Centre;
    Point3DRec start = point_on_circle(centre, arc.ar_Radius, arc.ar_Start);
    Point3DRec end = point_on_circle(centre, arc.ar_Radius, arc.ar_End);
    Point3DRec middle = point_on_circle(centre, arc.ar_Radius, middle_angle(arc));
    for (Point3DRec* point : {&centre, &start, &end, &middle})
        IGESApplyMatrix(matrix, *point);
    arc.ar_Centre = centre;
    arc.ar_Start = DXFPointDirection(&centre, &start);
    arc.ar_End = DXFPointDirection(&centre, &end);
    // A mirroring matrix turns the arc round: its middle then lies outside the sweep
    // in the old direction. The test is on the angle alone, so a matrix that is not
    // quite orthonormal does not turn the arc by moving the point off the radius.
    if (DXFAngleInSweep(arc.ar_Start, DXFPointDirection(&centre, &middle), arc.ar_End, arc.ar_Dir) == 0)
        arc.ar_Dir = -arc.ar_Dir;
}

// ---- 100 circular arc -------------------------------------------------------------------

int32_t convert_arc(Reader& reader, const Entry& entry, Parameters& parameters) noexcept
{
    Matrix matrix;
    if (const int32_t result = IGESReadMatrix(reader, entry, matrix); result != 0)
        return result;
    const double zt = reader.unit(parameters.real());
    const double x1 = reader.unit(parameters.real());
    const double y1 = reader.unit(parameters.real());
    const double x2 = reader.unit(parameters.real());
    const double y2 = reader.unit(parameters.real());
    const double x3 = reader.unit(parameters.real());
    const double y3 = reader.unit(parameters.real());

    ArcRec arc{};
    arc.ar_Centre = Point3DRec{x1, y1, zt};
    arc.ar_Radius = std::hypot(x2 - x1, y2 - y1);
    arc.ar_Dir = 1;
    if (is_equal(x2, x3) && is_equal(y2, y3)) {
        arc.ar_Start = 0.0;
        arc.ar_End = kTwoPi;
    } else {
        arc.ar_Start = std::atan2(y2 - y1, x2 - x1);
        arc.ar_End = std::atan2(y3 - y1, x3 - x1);
        // Start and end need not lie at the same distance from the centre: the arc
        // through both and the middle of the circle's arc is taken.
        const Point3DRec start{x2, y2, zt};
        const Point3DRec end{x3, y3, zt};
        const Point3DRec middle = point_on_circle(arc.ar_Centre, arc.ar_Radius, middle_angle(arc));
        DXFArcThroughPoints(&start, &middle, &end, &arc.ar_Centre, &arc.ar_Radius, &arc.ar_Start,
                            &arc.ar_End, &arc.ar_Dir);
    }
    if (matrix.present)
        transform_arc(matrix, arc);
    ItemRec* item = create_item(reader, entry, DXFItemArc, 0);
    if (item != nullptr)
        item->it_Arc = arc;
    return append(reader, item, entry.request.target);
}

// ---- 102 composite curve ----------------------------------------------------------------

int32_t convert_composite_curve(Reader& reader, const Entry& entry, Parameters& parameters) noexcept
{
    // Read on its own, every member is converted where it stands.
    if (!reader.top_level)
        return 0;
    Matrix matrix;
    if (const int32_t result = IGESReadMatrix(reader, entry, matrix); result != 0)
        return result;
    const int32_t count = parameters.integer(1);
    if (!parameters.can_hold(count))
        return 0;
    for (int32_t i = 0; i < count; ++i) {
        const MemberResult member =
            convert_member(reader, entry, parameters.integer(1), entry.request.target, entry.request.parent);
        if (!member.in_range || member.result != 0)
            return member.result;
    }
    return 0;
}

// ---- 104 conic arc ----------------------------------------------------------------------

int32_t convert_conic(Reader& reader, const Entry& entry, Parameters& parameters) noexcept
{
    Matrix matrix;
    if (const int32_t result = IGESReadMatrix(reader, entry, matrix); result != 0)
        return result;
    const double a = parameters.real();
    const double b = parameters.real();
    const double c = parameters.real();
    const double d = parameters.real();
    const double e = parameters.real();
    const double f = parameters.real();
    const double zt = reader.unit(parameters.real());
    Point3DRec start{reader.unit(parameters.real()), 0.0, zt};
    start.y = reader.unit(parameters.real());
    Point3DRec end{reader.unit(parameters.real()), 0.0, zt};
    end.y = reader.unit(parameters.real());

    // Only a centred, axis-aligned conic A x^2 + C y^2 + F = 0 is kept, and only a real
    // ellipse: A and C of one sign, F of the other.
    if (is_zero(a) || !is_zero(b) || is_zero(c) || !is_zero(d) || !is_zero(e) || is_zero(f))
        return 0;
    const double x_half = std::sqrt(-f / a);
    const double y_half = std::sqrt(-f / c);
    if (!(x_half > 0.0) || !(y_half > 0.0) || !std::isfinite(x_half) || !std::isfinite(y_half))
        return 0;
    // The major axis is the longer half axis; the ratio never exceeds 1.
    Point3DRec centre{0.0, 0.0, zt};
    Point3DRec axis_end = x_half >= y_half ? Point3DRec{x_half, 0.0, zt} : Point3DRec{0.0, y_half, zt};
    const double ratio = x_half >= y_half ? y_half / x_half : x_half / y_half;
    int32_t direction = 1;
    if (matrix.present) {
        for (Point3DRec* point : {&centre, &axis_end, &start, &end})
            IGESApplyMatrix(matrix, *point);
        // A mirroring matrix turns the arc from counter-clockwise to clockwise.
        const auto& r = matrix.r;
        if (is_applied(matrix) && r[0][0] * r[1][1] - r[0][1] * r[1][0] < 0.0)
            direction = -1;
    }
    const Point3DRec major{axis_end.x - centre.x, axis_end.y - centre.y, 0.0};

    ItemRec* item = create_item(reader, entry, DXFItemEllipse, 0);
    if (item != nullptr) {
        EllipseRec& ellipse = item->it_Ellipse;
        ellipse.el_Centre = centre;
        ellipse.el_MajorAxis = major;
        ellipse.el_Ratio = ratio;
        // The arc's ends as parameters of the ellipse, not as polar angles.
        ellipse.el_Start = DXFEllipseParameter(&centre, &major, ratio, &start);
        ellipse.el_End = DXFEllipseParameter(&centre, &major, ratio, &end);
        ellipse.el_Angle = std::atan2(major.y, major.x);
        ellipse.el_Dir = direction;
    }
    return append(reader, item, entry.request.target);
}

// ---- 106 copious data -------------------------------------------------------------------

int32_t convert_copious_data(Reader& reader, const Entry& entry, Parameters& parameters) noexcept
{
    Matrix matrix;
    if (const int32_t result = IGESReadMatrix(reader, entry, matrix); result != 0)
        return result;
    const int32_t interpretation = parameters.integer(1);
    const int32_t count = parameters.integer(2);
    const double zt = reader.unit(parameters.real());
    // N - IP + 1 vertices: the first one and N - IP further pairs.
    const int64_t vertices = int64_t{count} - interpretation + 1;
    if (vertices < 1 || !parameters.can_hold(2 * vertices))
        return 0;
    ItemRec* item = create_item(reader, entry, DXFItemPolyline,
                                (vertices - 1) * int64_t{sizeof(VertexRec)});
    if (item == nullptr)
        return make_error(IoErrNoMemory);
    PolylineRec& polyline = item->it_Polyline;
    for (int64_t v = 0; v < vertices; ++v) {
        Point3DRec point{reader.unit(parameters.real()), 0.0, zt};
        point.y = reader.unit(parameters.real());
        IGESApplyMatrix(matrix, point);
        polyline.pl_Vertices[v].vx_Point = point;
    }
    polyline.pl_NumVertices = static_cast<int32_t>(vertices);
    DXFPolylineCorners(polyline.pl_Vertices, polyline.pl_NumVertices, &polyline.pl_Min, &polyline.pl_Max);
    return append(reader, item, entry.request.target);
}

// ---- 110 line, 116 point ----------------------------------------------------------------

namespace {

Point3DRec read_point(Reader& reader, Parameters& parameters)
{
    Point3DRec point{};
    point.x = reader.unit(parameters.real());
    point.y = reader.unit(parameters.real());
    point.z = reader.unit(parameters.real());
    return point;
}

}

int32_t convert_line(Reader& reader, const Entry& entry, Parameters& parameters) noexcept
{
    Matrix matrix;
    if (const int32_t result = IGESReadMatrix(reader, entry, matrix); result != 0)
        return result;
    Point3DRec start = read_point(reader, parameters);
    Point3DRec end = read_point(reader, parameters);
    IGESApplyMatrix(matrix, start);
    IGESApplyMatrix(matrix, end);
    ItemRec* item = create_item(reader, entry, DXFItemLine, 0);
    if (item != nullptr) {
        item->it_Line.ln_Start = start;
        item->it_Line.ln_End = end;
    }
    return append(reader, item, entry.request.target);
}

int32_t convert_point(Reader& reader, const Entry& entry, Parameters& parameters) noexcept
{
    Matrix matrix;
    if (const int32_t result = IGESReadMatrix(reader, entry, matrix); result != 0)
        return result;
    Point3DRec point = read_point(reader, parameters);
    IGESApplyMatrix(matrix, point);
    ItemRec* item = create_item(reader, entry, DXFItemPoint, 0);
    if (item != nullptr)
        item->it_Point.pt_Point = point;
    return append(reader, item, entry.request.target);
}

// ---- 112 parametric spline --------------------------------------------------------------

namespace {

// Break point and twelve coefficients (AX BX CX DX, AY BY CY DY, AZ BZ CZ DZ) per set.
constexpr int64_t kSplineSetValues = 13;

struct Cubic {
    double a, b, c, d;
    double at(double s) const { return a + s * (b + s * (c + s * d)); }
};

// The segment from set to the start of the next one: a LINE when it is straight,
// else the ARC through its ends and its middle. 0, or -1 when it cannot be added.
int32_t add_segment(Reader& reader, const Entry& entry, const Matrix& matrix, const double* set,
                    const double* next)
{
    const Cubic x{set[1], set[2], set[3], set[4]};
    const Cubic y{set[5], set[6], set[7], set[8]};
    const Cubic z{set[9], set[10], set[11], set[12]};
    Point3DRec start{x.a, y.a, z.a};
    Point3DRec end{next[1], next[5], next[9]};
    if (is_zero(x.c) && is_zero(x.d) && is_zero(y.c) && is_zero(y.d) && is_zero(z.c) && is_zero(z.d)) {
        IGESApplyMatrix(matrix, start);
        IGESApplyMatrix(matrix, end);
        ItemRec* item = create_item(reader, entry, DXFItemLine, 0);
        if (item != nullptr) {
            item->it_Line.ln_Start = start;
            item->it_Line.ln_End = end;
        }
        return append(reader, item, entry.request.target);
    }
    const double s = (next[0] - set[0]) / 2.0;
    const Point3DRec middle{x.at(s), y.at(s), z.at(s)};
    ArcRec arc{};
    if (DXFArcThroughPoints(&start, &middle, &end, &arc.ar_Centre, &arc.ar_Radius, &arc.ar_Start,
                            &arc.ar_End, &arc.ar_Dir) == 0)
        return 0;
    if (matrix.present)
        transform_arc(matrix, arc);
    ItemRec* item = create_item(reader, entry, DXFItemArc, 0);
    if (item != nullptr)
        item->it_Arc = arc;
    return append(reader, item, entry.request.target);
}

}

int32_t convert_parametric_spline(Reader& reader, const Entry& entry, Parameters& parameters) noexcept
{
    Matrix matrix;
    if (const int32_t result = IGESReadMatrix(reader, entry, matrix); result != 0)
        return result;
    parameters.integer(0); // curve type
    parameters.integer(0); // degree
    parameters.integer(0); // dimension
    const int32_t segments = parameters.integer(0);
    if (segments <= 0)
        return 0;
    const int64_t sets = int64_t{segments} + 1;
    const int64_t bytes = sets * kSplineSetValues * int64_t{sizeof(double)};
    if (!parameters.can_hold(sets * kSplineSetValues) || bytes > UINT32_MAX)
        return 0;
    auto* values = static_cast<double*>(AllocVec(static_cast<uint32_t>(bytes)));
    if (values == nullptr)
        return make_error(IoErrNoMemory);
    for (int64_t i = 0; i < sets; ++i)
        values[i * kSplineSetValues] = parameters.real();
    for (int64_t i = 0; i < sets; ++i) {
        for (int64_t k = 1; k < kSplineSetValues; ++k)
            values[i * kSplineSetValues + k] = reader.unit(parameters.real());
    }
    // Break points are parameters and stay as read; a change of unit scales the whole
    // polynomial of each axis, which is every one of its coefficients.
    int32_t result = 0;
    for (int64_t i = 0; i < segments && result == 0; ++i)
        result = add_segment(reader, entry, matrix, values + i * kSplineSetValues,
                             values + (i + 1) * kSplineSetValues);
    FreeVec(values);
    return result;
}

// ---- 126 rational B-spline curve --------------------------------------------------------

int32_t convert_bspline_curve(Reader& reader, const Entry& entry, Parameters& parameters) noexcept
{
    Matrix matrix;
    if (const int32_t result = IGESReadMatrix(reader, entry, matrix); result != 0)
        return result;
    const int32_t upper = parameters.integer(0);  // K: points - 1
    const int32_t degree = parameters.integer(0); // M
    if (upper < 0 || degree < 0)
        return 0;
    const int64_t points = int64_t{upper} + 1;
    const int64_t knots = int64_t{upper} + degree + 2;
    // Four flags, the knots, the weights, three coordinates per point, V0 and V1.
    if (!parameters.can_hold(4 + knots + points + 3 * points + 2))
        return 0;
    for (int i = 0; i < 4; ++i)
        parameters.integer(0);
    const int64_t extra = (points - 1) * int64_t{sizeof(Point3DRec)} + knots * int64_t{sizeof(double)} +
                          points * int64_t{sizeof(double)};
    ItemRec* item = create_item(reader, entry, DXFItemSpline, extra);
    if (item == nullptr)
        return make_error(IoErrNoMemory);
    SplineRec& spline = item->it_Spline;
    spline.sp_Degree = degree;
    spline.sp_NumPoints = static_cast<int32_t>(points);
    spline.sp_NumWeights = static_cast<int32_t>(points);
    spline.sp_NumKnots = static_cast<int32_t>(knots);
    spline.sp_Knots = reinterpret_cast<double*>(spline.sp_Points + points);
    spline.sp_Weights = spline.sp_Knots + knots;
    for (int64_t k = 0; k < knots; ++k)
        spline.sp_Knots[k] = parameters.real();
    for (int64_t w = 0; w < points; ++w)
        spline.sp_Weights[w] = parameters.real();
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    Point3DRec low{kInfinity, kInfinity, 0.0};
    Point3DRec high{-kInfinity, -kInfinity, 0.0};
    for (int64_t p = 0; p < points; ++p) {
        Point3DRec point = read_point(reader, parameters);
        // A B-spline is carried by its control points under any affine map.
        IGESApplyMatrix(matrix, point);
        spline.sp_Points[p] = point;
        low.x = std::fmin(low.x, point.x);
        low.y = std::fmin(low.y, point.y);
        high.x = std::fmax(high.x, point.x);
        high.y = std::fmax(high.y, point.y);
    }
    spline.sp_Min = low;
    spline.sp_Max = high;
    spline.sp_StartParam = parameters.real();
    spline.sp_EndParam = parameters.real();
    return append(reader, item, entry.request.target);
}

// ---- 212 general note -------------------------------------------------------------------

int32_t convert_note(Reader& reader, const Entry& entry, Parameters& parameters) noexcept
{
    Matrix matrix;
    if (const int32_t result = IGESReadMatrix(reader, entry, matrix); result != 0)
        return result;
    const int32_t strings = parameters.integer(0);
    // Each string has twelve parameters.
    if (strings <= 0 || !parameters.can_hold(int64_t{strings} * 12))
        return 0;
    char text[kStringCapacity];
    for (int32_t i = 0; i < strings; ++i) {
        parameters.integer(0); // character count
        parameters.real();     // box width
        const double height = reader.unit(parameters.real());
        parameters.integer(0); // font
        parameters.real();     // slant angle
        const double rotation = parameters.real();
        parameters.integer(0); // mirror flag
        parameters.integer(0); // rotate flag
        Point3DRec point = read_point(reader, parameters);
        text[0] = '\0';
        parameters.string(text);
        IGESApplyMatrix(matrix, point);

        const size_t length = std::strlen(text);
        ItemRec* item = create_item(reader, entry, DXFItemText, static_cast<int64_t>(length) + 1);
        if (item == nullptr)
            return make_error(IoErrNoMemory);
        TextRec& note = item->it_Text;
        const double width = static_cast<double>(length) * height;
        note.tx_Point = Point3DRec{point.x, point.y, 0.0};
        note.tx_Point2 = Point3DRec{point.x + width * std::cos(rotation),
                                    point.y + height + width * std::sin(rotation), 0.0};
        note.tx_Height = height;
        note.tx_Rotation = rotation;
        note.tx_Text = reinterpret_cast<char*>(&note + 1);
        std::memcpy(note.tx_Text, text, length + 1);
        if (const int32_t result = append(reader, item, entry.request.target); result != 0)
            return result;
    }
    return 0;
}

}
