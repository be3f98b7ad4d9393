// Vector arithmetic on Point3DRec.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "geometry/geometry_internal.h"

namespace {

using namespace halvern;

constexpr double kNear = 1e-12;

void expect_point(const Point3DRec& actual, double x, double y, double z) {
    EXPECT_NEAR(actual.x, x, kNear);
    EXPECT_NEAR(actual.y, y, kNear);
    EXPECT_NEAR(actual.z, z, kNear);
}

TEST(GeometryVectors, Arithmetic) {
    const Point3DRec a{1, 2, 3};
    const Point3DRec b{4, -6, 8};
    Point3DRec out{};
    DXFVectorFromPoints(&a, &b, &out);
    expect_point(out, 3, -8, 5);
    DXFVectorNegate(&a, &out);
    expect_point(out, -1, -2, -3);
    DXFVectorAdd(&a, &b, &out);
    expect_point(out, 5, -4, 11);
    DXFVectorScale(-0.5, &b, &out);
    expect_point(out, -2, 3, -4);
    EXPECT_DOUBLE_EQ(DXFVectorCross(&a, &b), 1.0 * -6.0 - 2.0 * 4.0);
    EXPECT_DOUBLE_EQ(DXFVectorLength(&a), std::sqrt(14.0));

    // An output may be one of the inputs.
    Point3DRec c = a;
    DXFVectorAdd(&c, &c, &c);
    expect_point(c, 2, 4, 6);
}

TEST(GeometryVectors, PolarAndUnit) {
    Point3DRec out{9, 9, 9};
    DXFVectorPolar(2.0, kHalfPi, &out);
    expect_point(out, 0, 2, 0);
    DXFVectorUnit(kPi, &out);
    expect_point(out, -1, 0, 0);
}

TEST(GeometryVectors, ZeroNormaliseAndAngle) {
    struct Row {
        const char* name;
        Point3DRec vector;
        int32_t is_zero;
        Point3DRec unit;
        double angle;
    };
    const double r = 1.0 / std::sqrt(2.0);
    const Row rows[] = {
        {"along x", {3, 0, 0}, 0, {1, 0, 0}, 0.0},
        {"down", {0, -2, 0}, 0, {0, -1, 0}, 3.0 * kHalfPi},
        {"diagonal", {-1, 1, 0}, 0, {-r, r, 0}, 3.0 * kPi / 4.0},
        {"straight up in z: no plane angle", {0, 0, 5}, 0, {0, 0, 1}, 0.0},
        {"just below the tolerance", {5e-7, 5e-7, 5e-7}, 1, {0, 0, 0}, 0.0},
        {"zero", {0, 0, 0}, 1, {0, 0, 0}, 0.0},
        {"not a number", {std::numeric_limits<double>::quiet_NaN(), 0, 0}, 0, {0, 0, 0}, 0.0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(DXFVectorIsZero(&row.vector), row.is_zero);
        Point3DRec unit{9, 9, 9};
        DXFVectorNormalise(&row.vector, &unit);
        expect_point(unit, row.unit.x, row.unit.y, row.unit.z);
        EXPECT_NEAR(DXFVectorAngle(&row.vector), row.angle, kNear);
    }
}

}
