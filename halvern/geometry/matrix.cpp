// The arbitrary-axis matrix of an extrusion direction and its application to points,
// arcs and ellipses.
#include "geometry/geometry_internal.h"

#include <cmath>
#include <utility>

namespace halvern {

namespace {

struct Vector3 {
    double x;
    double y;
    double z;
};

Vector3 cross(const Vector3& a, const Vector3& b) {
    return Vector3{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

double length(const Vector3& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

// Maps (x, y, z) by rows 0 to 2 of the matrix, translation column included.
Vector3 map_point(const DXFMatrixRec& matrix, const Vector3& p) {
    const auto& m = matrix.m;
    return Vector3{m[0][0] * p.x + m[0][1] * p.y + m[0][2] * p.z + m[0][3],
                   m[1][0] * p.x + m[1][1] * p.y + m[1][2] * p.z + m[1][3],
                   m[2][0] * p.x + m[2][1] * p.y + m[2][2] * p.z + m[2][3]};
}

bool is_same(const Vector3& a, const Vector3& b) {
    return is_equal(a.x, b.x) && is_equal(a.y, b.y) && is_equal(a.z, b.z);
}

Point3DRec to_point(const Vector3& v) { return Point3DRec{v.x, v.y, v.z}; }

// The angle halfway along the arc. The sweep is a magnitude, so a clockwise arc takes
// it backwards from its start: forwards would land on the rest of the circle and make
// the mapped arc its complement.
double middle_angle(double start, double end, int32_t direction) {
    const double half = DXFArcSweep(start, end, direction) / 2.0;
    return direction >= 0 ? start + half : start - half;
}

}

int32_t DXFArbitraryAxisMatrix(const Point3DRec* extrusion, DXFMatrixRec* matrix) noexcept {
    const Vector3 normal{extrusion->x, extrusion->y, extrusion->z};
    // A non-finite direction has no axes; like a zero one it leaves items as they are.
    if (!std::isfinite(normal.x) || !std::isfinite(normal.y) || !std::isfinite(normal.z)) {
        return -1;
    }
    const bool near_z_axis =
        std::fabs(normal.x) < kArbitraryAxisLimit && std::fabs(normal.y) < kArbitraryAxisLimit;
    const Vector3 helper = near_z_axis ? Vector3{0.0, 1.0, 0.0} : Vector3{0.0, 0.0, 1.0};

    Vector3 x_axis = cross(helper, normal);
    const double x_length = length(x_axis);
    if (x_length < kTolerance) {
        return -1;
    }
    x_axis = Vector3{x_axis.x / x_length, x_axis.y / x_length, x_axis.z / x_length};
    Vector3 y_axis = cross(normal, x_axis);
    const double y_length = length(y_axis);
    if (y_length < kTolerance) {
        return -1;
    }
    y_axis = Vector3{y_axis.x / y_length, y_axis.y / y_length, y_axis.z / y_length};

    // Columns X, Y and the direction as given (not normalised): object to world.
    *matrix = DXFMatrixRec{{{x_axis.x, y_axis.x, normal.x, 0.0},
                            {x_axis.y, y_axis.y, normal.y, 0.0},
                            {x_axis.z, y_axis.z, normal.z, 0.0},
                            {0.0, 0.0, 0.0, 1.0}}};
    return 0;
}

void DXFMatrixPoint(double* x, double* y, double* z, const DXFMatrixRec* matrix) noexcept {
    const Vector3 mapped = map_point(*matrix, Vector3{*x, *y, *z});
    *x = mapped.x;
    *y = mapped.y;
    *z = mapped.z;
}

void DXFMatrixPoints(double* x1, double* y1, double* z1, double* x2, double* y2, double* z2,
                     const DXFMatrixRec* matrix) noexcept {
    DXFMatrixPoint(x1, y1, z1, matrix);
    DXFMatrixPoint(x2, y2, z2, matrix);
}

void DXFMatrixArc(double* cx, double* cy, double* cz, double radius, double* start, double* end,
                  int32_t* direction, const DXFMatrixRec* matrix) noexcept {
    const double height = *cz;
    const auto on_arc = [&](double angle) {
        return Vector3{*cx + radius * std::cos(angle), *cy + radius * std::sin(angle), height};
    };
    const double middle = middle_angle(*start, *end, *direction);
    const Vector3 start_point = map_point(*matrix, on_arc(*start));
    const Vector3 end_point = map_point(*matrix, on_arc(*end));
    const Vector3 middle_point = map_point(*matrix, on_arc(middle));
    DXFMatrixPoint(cx, cy, cz, matrix);

    if (is_same(start_point, end_point)) {
        *start = 0.0;
        *end = kTwoPi;
        *direction = 1;
        return;
    }
    // The mapped arc through its three points; a mirroring matrix turns it clockwise,
    // which is stored as the counter-clockwise arc from its end to its start.
    const Point3DRec ps = to_point(start_point);
    const Point3DRec pm = to_point(middle_point);
    const Point3DRec pe = to_point(end_point);
    Point3DRec unused_centre{};
    double unused_radius = 0.0;
    double new_start = *start;
    double new_end = *end;
    int32_t new_direction = *direction;
    if (DXFArcThroughPoints(&ps, &pm, &pe, &unused_centre, &unused_radius, &new_start, &new_end,
                            &new_direction) == 0) {
        new_start = *start;
        new_end = *end;
        new_direction = *direction;
    }
    if (new_direction == -1) {
        std::swap(new_start, new_end);
    }
    *start = new_start;
    *end = new_end;
    *direction = 1;
}

double DXFEllipseParameter(const Point3DRec* centre, const Point3DRec* major_axis, double ratio,
                           const Point3DRec* point) noexcept {
    if (is_zero(ratio)) {
        return 0.0;
    }
    const double dx = point->x - centre->x;
    const double dy = point->y - centre->y;
    // The point in the ellipse's frame, the minor direction stretched to a circle.
    const double u = dx * major_axis->x + dy * major_axis->y;
    const double v = (dy * major_axis->x - dx * major_axis->y) / ratio;
    const double norm = std::sqrt(u * u + v * v);
    if (!(norm >= kTolerance)) {
        return 0.0;
    }
    return std::atan2(v / norm, u / norm);
}

void DXFMatrixEllipse(double* cx, double* cy, double* cz, double* ax, double* ay, double* az,
                      double* ratio, double* angle, double* start, double* end, int32_t* direction,
                      const DXFMatrixRec* matrix) noexcept {
    (void)angle;  // the axis direction follows from ax and ay
    const auto& m = matrix->m;
    const Vector3 shift{m[3][0], m[3][1], m[3][2]};
    // Rows 0 and 1 without the translation column, about the shift.
    const auto rotate = [&](double x, double y, double z) {
        const double px = x - shift.x;
        const double py = y - shift.y;
        const double pz = z - shift.z;
        return Vector3{m[0][0] * px + m[0][1] * py + m[0][2] * pz,
                       m[1][0] * px + m[1][1] * py + m[1][2] * pz, 0.0};
    };
    const Vector3 centre = rotate(*cx, *cy, *cz);
    const Vector3 axis_end = rotate(*cx + *ax, *cy + *ay, *cz + *az);
    const double axis_x = axis_end.x - centre.x;
    const double axis_y = axis_end.y - centre.y;
    const double theta = std::atan2(axis_y, axis_x);
    const double major = std::sqrt(axis_x * axis_x + axis_y * axis_y);
    const double minor = major * *ratio;
    const double cos_theta = std::cos(theta);
    const double sin_theta = std::sin(theta);
    // The points are taken at the ellipse's own height before the whole matrix maps them.
    const auto at_parameter = [&](double phi) {
        const Vector3 q{centre.x + major * std::cos(phi) * cos_theta - minor * std::sin(phi) * sin_theta,
                        centre.y + major * std::cos(phi) * sin_theta + minor * std::sin(phi) * cos_theta,
                        *cz};
        return to_point(map_point(*matrix, q));
    };
    const Point3DRec start_point = at_parameter(*start);
    const Point3DRec end_point = at_parameter(*end);
    const Point3DRec middle_point = at_parameter(middle_angle(*start, *end, *direction));

    const Point3DRec plane_centre{*cx, *cy, 0.0};
    const Point3DRec plane_axis{*ax, *ay, 0.0};
    const double new_start = DXFEllipseParameter(&plane_centre, &plane_axis, *ratio, &start_point);
    const double new_end = DXFEllipseParameter(&plane_centre, &plane_axis, *ratio, &end_point);
    const double new_middle = DXFEllipseParameter(&plane_centre, &plane_axis, *ratio, &middle_point);
    if (DXFAngleInSweep(new_start, new_middle, new_end, *direction) == 0) {
        *start = new_end;
        *end = new_start;
        return;
    }
    *start = new_start;
    *end = new_end;
}

void DXFExtrudePoint(double* x, double* y, double* z, const Point3DRec* extrusion) noexcept {
    DXFMatrixRec matrix{};
    if (DXFArbitraryAxisMatrix(extrusion, &matrix) != 0) {
        return;
    }
    DXFMatrixPoint(x, y, z, &matrix);
}

void DXFExtrudePoints(double* x1, double* y1, double* z1, double* x2, double* y2, double* z2,
                      const Point3DRec* extrusion) noexcept {
    DXFMatrixRec matrix{};
    if (DXFArbitraryAxisMatrix(extrusion, &matrix) != 0) {
        return;
    }
    DXFMatrixPoints(x1, y1, z1, x2, y2, z2, &matrix);
}

int32_t DXFExtrudeArc(double* cx, double* cy, double* cz, double radius, double* start, double* end,
                      int32_t* direction, const Point3DRec* extrusion) noexcept {
    DXFMatrixRec matrix{};
    if (DXFArbitraryAxisMatrix(extrusion, &matrix) != 0) {
        return -1;
    }
    DXFMatrixArc(cx, cy, cz, radius, start, end, direction, &matrix);
    return 0;
}

void DXFExtrudeEllipse(double* cx, double* cy, double* cz, double* ax, double* ay, double* az,
                       double* ratio, double* angle, double* start, double* end, int32_t* direction,
                       const Point3DRec* extrusion) noexcept {
    DXFMatrixRec matrix{};
    if (DXFArbitraryAxisMatrix(extrusion, &matrix) != 0) {
        return;
    }
    DXFMatrixEllipse(cx, cy, cz, ax, ay, az, ratio, angle, start, end, direction, &matrix);
}

}
