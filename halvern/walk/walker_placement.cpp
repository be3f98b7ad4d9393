// Placements and the images of curves under them.

#include "walk/walker_placement.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "geometry/geometry_internal.h"
#include "model/item_internal.h"

namespace halvern::walk {

namespace {

struct Vector2 {
    double x;
    double y;
};

// The plane part applied to a vector.
Vector2 plane_map(const DXFMatrixRec& placement, double x, double y)
{
    const auto& m = placement.m;
    return Vector2{m[0][0] * x + m[0][1] * y, m[1][0] * x + m[1][1] * y};
}

double length(const Vector2& v)
{
    return std::hypot(v.x, v.y);
}

double cross(const Vector2& a, const Vector2& b)
{
    return a.x * b.y - a.y * b.x;
}

bool is_full_turn(double start, double end, int32_t direction)
{
    return is_equal(DXFArcSweep(start, end, direction), kTwoPi);
}

// The elliptic arc centre + cos t u + sin t v for t from start to end, written as an
// ellipse record: the principal axes of the frame (u, v) found by the angle theta at
// which |cos t u + sin t v| is largest, the parameters shifted by theta, and exchanged
// when the frame is turned over so that the direction word stays as it was.
void ellipse_from_frame(const Point3DRec& centre, Vector2 u, Vector2 v, double start, double end,
                        int32_t direction, EllipseRec& out)
{
    const double uu = u.x * u.x + u.y * u.y;
    const double vv = v.x * v.x + v.y * v.y;
    double uv = u.x * v.x + u.y * v.y;
    // Rounding must not turn the axes of a frame that is already orthogonal.
    if (std::fabs(uv) <= 1e-12 * (uu + vv))
        uv = 0.0;
    const double theta = 0.5 * std::atan2(2.0 * uv, uu - vv);
    const double c = std::cos(theta);
    const double s = std::sin(theta);
    const Vector2 major{c * u.x + s * v.x, c * u.y + s * v.y};
    const Vector2 minor{c * v.x - s * u.x, c * v.y - s * u.y};
    const double major_length = length(major);
    const double minor_length = length(minor);

    out.el_Centre = centre;
    out.el_MajorAxis = Point3DRec{major.x, major.y, 0.0};
    out.el_Ratio = major_length > 0.0 ? std::min(minor_length / major_length, 1.0) : 1.0;
    out.el_Angle = std::atan2(major.y, major.x);
    out.el_Dir = direction;
    if (is_full_turn(start, end, direction)) {
        out.el_Start = 0.0;
        out.el_End = kTwoPi;
    } else if (cross(major, minor) >= 0.0) {
        out.el_Start = DXFNormaliseAngle(start - theta);
        out.el_End = DXFNormaliseAngle(end - theta);
    } else {
        out.el_Start = DXFNormaliseAngle(theta - end);
        out.el_End = DXFNormaliseAngle(theta - start);
    }
}

int32_t stored_count(const ItemRec& item, size_t array_offset, size_t element_size, int32_t count)
{
    const auto size = static_cast<size_t>(std::max(item.it_Header.ih_ItemSize, 0));
    const size_t at = kItemHeadSize + array_offset;
    const size_t capacity = size > at ? (size - at) / element_size : 0;
    return static_cast<int32_t>(std::clamp<int64_t>(count, 0, static_cast<int64_t>(capacity)));
}

}

DXFMatrixRec identity_placement() noexcept
{
    return DXFMatrixRec{{{1.0, 0.0, 0.0, 0.0},
                         {0.0, 1.0, 0.0, 0.0},
                         {0.0, 0.0, 1.0, 0.0},
                         {0.0, 0.0, 0.0, 1.0}}};
}

DXFMatrixRec compose(const DXFMatrixRec& outer, const DXFMatrixRec& inner) noexcept
{
    DXFMatrixRec result = identity_placement();
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 4; ++c) {
            double sum = c == 3 ? outer.m[r][3] : 0.0;
            for (int k = 0; k < 3; ++k)
                sum += outer.m[r][k] * inner.m[k][c];
            result.m[r][c] = sum;
        }
    }
    return result;
}

DXFMatrixRec local_placement(const Point3DRec& scale, double cos_rotation, double sin_rotation,
                             const Point3DRec& translation, const DXFMatrixRec* extrusion) noexcept
{
    const DXFMatrixRec cell{{{cos_rotation * scale.x, -sin_rotation * scale.y, 0.0, translation.x},
                             {sin_rotation * scale.x, cos_rotation * scale.y, 0.0, translation.y},
                             {0.0, 0.0, scale.z, translation.z},
                             {0.0, 0.0, 0.0, 1.0}}};
    if (extrusion == nullptr)
        return cell;
    DXFMatrixRec axes = *extrusion;
    for (int r = 0; r < 3; ++r)
        axes.m[r][3] = 0.0;
    axes.m[3][0] = axes.m[3][1] = axes.m[3][2] = 0.0;
    axes.m[3][3] = 1.0;
    return compose(axes, cell);
}

void snapped_cos_sin(double angle, double& cos_angle, double& sin_angle) noexcept
{
    if (is_equal(angle, 0.0)) {
        cos_angle = 1.0;
        sin_angle = 0.0;
    } else if (is_equal(angle, kHalfPi)) {
        cos_angle = 0.0;
        sin_angle = 1.0;
    } else if (is_equal(angle, kPi)) {
        cos_angle = -1.0;
        sin_angle = 0.0;
    } else if (is_equal(angle, -kHalfPi) || is_equal(angle, 3.0 * kHalfPi)) {
        cos_angle = 0.0;
        sin_angle = -1.0;
    } else {
        cos_angle = std::cos(angle);
        sin_angle = std::sin(angle);
    }
}

namespace {

// is_similarity, with the length of the first column (the scale of a similarity).
bool is_similarity(const DXFMatrixRec& placement, double& first_length) noexcept
{
    const Vector2 u = plane_map(placement, 1.0, 0.0);
    const Vector2 v = plane_map(placement, 0.0, 1.0);
    const double lu = length(u);
    const double lv = length(v);
    const double dot = u.x * v.x + u.y * v.y;
    first_length = lu;
    return std::fabs(lu - lv) < kTolerance && std::fabs(dot) <= kTolerance * lu * lv;
}

}

bool is_similarity(const DXFMatrixRec& placement) noexcept
{
    double first_length = 0.0;
    return is_similarity(placement, first_length);
}

bool is_mirroring(const DXFMatrixRec& placement) noexcept
{
    const auto& m = placement.m;
    return m[0][0] * m[1][1] - m[0][1] * m[1][0] < 0.0;
}

PlaneShape plane_shape(const DXFMatrixRec& placement) noexcept
{
    const auto& m = placement.m;
    double first_length = 0.0;
    PlaneShape shape{is_similarity(placement, first_length), is_mirroring(placement), 0.0, 0.0};
    if (shape.is_similarity) {
        // The first column's length is hypot(m[0][0], m[1][0]) already.
        shape.scale = first_length;
        shape.turn = std::atan2(m[1][0], m[0][0]);
    }
    return shape;
}

void place_arc(const DXFMatrixRec& placement, const ArcRec& arc, ItemRec& out) noexcept
{
    place_arc(placement, plane_shape(placement), arc, out);
}

void place_arc(const DXFMatrixRec& placement, const PlaneShape& shape, const ArcRec& arc,
               ItemRec& out) noexcept
{
    const Point3DRec centre = map_point(placement, arc.ar_Centre);
    const Vector2 u = plane_map(placement, arc.ar_Radius, 0.0);
    const Vector2 v = plane_map(placement, 0.0, arc.ar_Radius);
    if (!shape.is_similarity) {
        out.it_Header.ih_ItemType = DXFItemEllipse;
        out.it_Header.ih_ItemSize = static_cast<int32_t>(kItemHeadSize + sizeof(EllipseRec));
        out.it_Ellipse = EllipseRec{};
        ellipse_from_frame(centre, u, v, arc.ar_Start, arc.ar_End, arc.ar_Dir, out.it_Ellipse);
        return;
    }
    const double turn = shape.turn;
    ArcRec placed = arc;
    placed.ar_Centre = centre;
    placed.ar_Radius = arc.ar_Radius * shape.scale;
    if (is_full_turn(arc.ar_Start, arc.ar_End, arc.ar_Dir)) {
        placed.ar_Start = 0.0;
        placed.ar_End = kTwoPi;
    } else if (!shape.is_mirroring) {
        placed.ar_Start = DXFNormaliseAngle(arc.ar_Start + turn);
        placed.ar_End = DXFNormaliseAngle(arc.ar_End + turn);
    } else {
        // A mirror sends the angle t to turn - t.
        placed.ar_Start = DXFNormaliseAngle(turn - arc.ar_End);
        placed.ar_End = DXFNormaliseAngle(turn - arc.ar_Start);
    }
    out.it_Header.ih_ItemType = DXFItemArc;
    out.it_Header.ih_ItemSize = static_cast<int32_t>(kItemHeadSize + sizeof(ArcRec));
    out.it_Arc = placed;
}

void place_ellipse(const DXFMatrixRec& placement, const EllipseRec& ellipse,
                   EllipseRec& out) noexcept
{
    const double ratio = ellipse.el_Ratio;
    const Point3DRec& axis = ellipse.el_MajorAxis;
    const Vector2 u = plane_map(placement, axis.x, axis.y);
    const Vector2 v = plane_map(placement, -ratio * axis.y, ratio * axis.x);
    const Point3DRec centre = map_point(placement, ellipse.el_Centre);
    ellipse_from_frame(centre, u, v, ellipse.el_Start, ellipse.el_End, ellipse.el_Dir, out);
}

void place_text(const DXFMatrixRec& placement, TextRec& text) noexcept
{
    text.tx_Point = map_point(placement, text.tx_Point);
    text.tx_Point2 = map_point(placement, text.tx_Point2);
    double c = 1.0;
    double s = 0.0;
    snapped_cos_sin(text.tx_Rotation, c, s);
    const Vector2 baseline = plane_map(placement, c, s);
    const Vector2 up = plane_map(placement, -s, c);
    const double baseline_length = length(baseline);
    const double turn = cross(baseline, up);
    if (baseline_length > 0.0) {
        text.tx_Rotation = DXFNormaliseAngle(std::atan2(baseline.y, baseline.x));
        text.tx_Height *= std::fabs(turn) / baseline_length;
    } else {
        text.tx_Height *= length(up);
    }
    if (turn < 0.0)
        text.tx_Flags ^= DXFTextUpsideDown;
}

int32_t stored_vertex_count(const ItemRec& polyline) noexcept
{
    return stored_count(polyline, offsetof(PolylineRec, pl_Vertices), sizeof(VertexRec),
                        polyline.it_Polyline.pl_NumVertices);
}

int32_t stored_point_count(const ItemRec& spline) noexcept
{
    return stored_count(spline, offsetof(SplineRec, sp_Points), sizeof(Point3DRec),
                        spline.it_Spline.sp_NumPoints);
}

}
