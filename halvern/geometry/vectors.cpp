// Vector arithmetic on Point3DRec.
#include "geometry/geometry_internal.h"

#include <cmath>

namespace halvern {

void DXFVectorFromPoints(const Point3DRec* from, const Point3DRec* to, Point3DRec* out) noexcept {
    *out = Point3DRec{to->x - from->x, to->y - from->y, to->z - from->z};
}

void DXFVectorNegate(const Point3DRec* vector, Point3DRec* out) noexcept {
    *out = Point3DRec{-vector->x, -vector->y, -vector->z};
}

void DXFVectorAdd(const Point3DRec* point, const Point3DRec* vector, Point3DRec* out) noexcept {
    *out = Point3DRec{point->x + vector->x, point->y + vector->y, point->z + vector->z};
}

void DXFVectorScale(double factor, const Point3DRec* vector, Point3DRec* out) noexcept {
    *out = Point3DRec{factor * vector->x, factor * vector->y, factor * vector->z};
}

double DXFVectorCross(const Point3DRec* a, const Point3DRec* b) noexcept {
    return a->x * b->y - a->y * b->x;
}

void DXFVectorPolar(double length, double angle, Point3DRec* out) noexcept {
    *out = Point3DRec{length * std::cos(angle), length * std::sin(angle), 0.0};
}

void DXFVectorUnit(double angle, Point3DRec* out) noexcept { DXFVectorPolar(1.0, angle, out); }

double DXFVectorLength(const Point3DRec* vector) noexcept {
    return std::sqrt(vector->x * vector->x + vector->y * vector->y + vector->z * vector->z);
}

int32_t DXFVectorIsZero(const Point3DRec* vector) noexcept {
    return DXFVectorLength(vector) < kTolerance ? 1 : 0;
}

void DXFVectorNormalise(const Point3DRec* vector, Point3DRec* out) noexcept {
    const double length = DXFVectorLength(vector);
    // A NaN length fails this test too, so nothing is ever divided by it.
    if (!(length >= kTolerance)) {
        *out = Point3DRec{0.0, 0.0, 0.0};
        return;
    }
    *out = Point3DRec{vector->x / length, vector->y / length, vector->z / length};
}

double DXFVectorAngle(const Point3DRec* vector) noexcept {
    if (DXFVectorIsZero(vector) != 0) {
        return 0.0;
    }
    return DXFNormaliseAngle(std::atan2(vector->y, vector->x));
}

}
