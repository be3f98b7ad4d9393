#include "osmark/vectors.h"

#include "geometry_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace geometry_test;

namespace {

TEST(Vectors, OutputMayBeAnInput)
{
    // Each operation run in place must give what it gives into a separate record.
    using Binary = void (*)(const Point2DRec*, const Point2DRec*, Point2DRec*);
    using Unary = void (*)(const Point2DRec*, Point2DRec*);
    const Point2DRec a = P(3, -4);
    const Point2DRec b = P(-1.5, 2);
    for (const Binary operation : {VectorPntToPnt, VectorPntPlusVec, VectorPntMinusVec,
                                   VectorVecPlusVec, VectorVecMinusVec}) {
        Point2DRec expected{};
        operation(&a, &b, &expected);
        Point2DRec first = a;
        operation(&first, &b, &first);
        EXPECT_TRUE(near_point(first, expected, 0.0));
        Point2DRec second = b;
        operation(&a, &second, &second);
        EXPECT_TRUE(near_point(second, expected, 0.0));
    }
    for (const Unary operation :
         {VectorNegate, VectorUnitVecMinus90, VectorUnitVecPlus90, VectorUnitize}) {
        Point2DRec expected{};
        operation(&a, &expected);
        Point2DRec in_place = a;
        operation(&in_place, &in_place);
        EXPECT_TRUE(near_point(in_place, expected, 0.0));
    }
    Point2DRec rotated = P(1, 0);
    VectorRotateVec(&rotated, kPi / 2, &rotated);
    EXPECT_TRUE(near_point(rotated, P(0, 1)));
    Point2DRec scaled = P(1, 2);
    VectorScaleVec(-2, &scaled, &scaled);
    EXPECT_TRUE(near_point(scaled, P(-2, -4), 0.0));
}

TEST(Vectors, CrossProductSignAndTurns)
{
    const Point2DRec x = P(1, 0);
    const Point2DRec y = P(0, 1);
    EXPECT_EQ(VectorVecCrossVec(&x, &y), 1.0);
    EXPECT_EQ(VectorVecCrossVec(&y, &x), -1.0);
    const Point2DRec v = P(3, 4);
    Point2DRec turned{};
    VectorUnitVecPlus90(&v, &turned);
    EXPECT_TRUE(near_point(turned, P(-4, 3), 0.0)); // keeps its length
    VectorUnitVecMinus90(&v, &turned);
    EXPECT_TRUE(near_point(turned, P(4, -3), 0.0));
}

TEST(Vectors, ZeroUnitAndUnitize)
{
    const Point2DRec tiny = P(0.0000005, 0);
    Point2DRec out{};
    VectorUnitize(&tiny, &out);
    EXPECT_TRUE(near_point(out, P(0, 0), 0.0));
    EXPECT_EQ(VectorIsZeroVec(&tiny), 1);
    const Point2DRec v = P(3, 4);
    VectorUnitize(&v, &out);
    EXPECT_TRUE(near_point(out, P(0.6, 0.8)));
    EXPECT_EQ(VectorIsUnitVec(&out), 1);
    const Point2DRec almost_unit = P(1.0000009, 0);
    const Point2DRec not_unit = P(1.0000011, 0);
    EXPECT_EQ(VectorIsUnitVec(&almost_unit), 1);
    EXPECT_EQ(VectorIsUnitVec(&not_unit), 0);
}

TEST(Vectors, Angles)
{
    const Point2DRec down = P(0, -1);
    EXPECT_EQ(VectorAngleOfVec(&down), 1.5 * kPi); // exactly, through CorrectAngle
    const Point2DRec zero = P(0, 0);
    EXPECT_EQ(VectorAngleOfVec(&zero), 0.0);

    const struct {
        Point2DRec a;
        Point2DRec b;
        double ccw;
        double unsigned_angle;
    } rows[] = {
        {P(1, 0), P(0, 1), kPi / 2, kPi / 2},
        {P(0, 1), P(1, 0), 1.5 * kPi, kPi / 2},
        {P(1, 0), P(2, 0), 0, 0},
        {P(1, 0), P(-1, 0), kPi, kPi},
        {P(1, 0), P(-1, -1), 1.25 * kPi, 0.75 * kPi},
        {P(0, 0), P(1, 1), 0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message() << "(" << row.a.x << ", " << row.a.y << ") to ("
                                          << row.b.x << ", " << row.b.y << ")");
        EXPECT_NEAR(VectorAngleBetweenVecsCCW(&row.a, &row.b), row.ccw, kClose);
        EXPECT_NEAR(VectorAngleBetweenVecs(&row.a, &row.b), row.unsigned_angle, kClose);
    }
}

TEST(Vectors, NearlyParallelVectorsGiveZeroNotNaN)
{
    // The cosine quotient of (0.1, 0.6) with itself rounds to just above 1.
    const Point2DRec v = P(0.1, 0.6);
    const double angle = VectorAngleBetweenVecs(&v, &v);
    EXPECT_FALSE(std::isnan(angle));
    EXPECT_EQ(angle, 0.0);
    const Point2DRec w = P(-0.1, -0.6);
    EXPECT_EQ(VectorAngleBetweenVecs(&v, &w), kPi);
}

TEST(Vectors, DirectionTests)
{
    const struct {
        Point2DRec a;
        Point2DRec b;
        int32_t parallel;
        int32_t anti_parallel;
        int32_t perpendicular;
    } rows[] = {
        {P(1, 1), P(2, 2), 1, 0, 0}, {P(1, 1), P(-1, -1), 0, 1, 0},
        {P(0, 0), P(5, 7), 0, 0, 1}, // a zero vector is perpendicular to every vector
        {P(0, 0), P(0, 0), 1, 1, 1}, {P(1, 0), P(0, -3), 0, 0, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message() << "(" << row.a.x << ", " << row.a.y << ") and ("
                                          << row.b.x << ", " << row.b.y << ")");
        EXPECT_EQ(VectorAreVecsParallel(&row.a, &row.b), row.parallel);
        EXPECT_EQ(VectorAreVecsAntiParallel(&row.a, &row.b), row.anti_parallel);
        EXPECT_EQ(VectorAreVecsPerpendicular(&row.a, &row.b), row.perpendicular);
    }
}

TEST(Points, EqualWithinASquare)
{
    const Point2DRec origin = P(0, 0);
    const Point2DRec diagonal = P(0.0000009, 0.0000009); // 1.27e-6 away, yet inside the square
    const Point2DRec at_tolerance = P(0.000001, 0);
    EXPECT_EQ(PointOnPoint(&origin, &diagonal), 1);
    EXPECT_EQ(PointOnPoint(&origin, &at_tolerance), 0);
}

TEST(Points, ClosestKeepsTheFirstOfNearlyEqualDistances)
{
    const Point2DRec origin = P(0, 0);
    Point2DRec found = P(9, 9);
    double distance = 9;
    EXPECT_EQ(PointClosest(&origin, nullptr, 0, &found, &distance), -1);
    EXPECT_TRUE(near_point(found, P(9, 9), 0.0));
    EXPECT_EQ(distance, 9);

    const Point2DRec tie[] = {P(1, 0), P(0, 1)};
    EXPECT_EQ(PointClosest(&origin, tie, 2, &found, &distance), 0);
    EXPECT_TRUE(near_point(found, P(1, 0), 0.0));
    EXPECT_EQ(distance, 1);

    // A later point must be nearer by the tolerance to win.
    const Point2DRec close_call[] = {P(5, 5), P(1, 0), P(0, 0.9999995), P(0, -0.99)};
    EXPECT_EQ(PointClosest(&origin, close_call, 3, nullptr, nullptr), 1);
    EXPECT_EQ(PointClosest(&origin, close_call, 4, nullptr, &distance), 3);
    EXPECT_NEAR(distance, 0.99, kClose);
}

TEST(Extents, GrowByPointsAndExtents)
{
    Rectangle2DRec box{P(0, 0), P(1, 1)};
    const Point2DRec below = P(0.5, -2);
    ExtentsAppendPoint(&box, &below);
    EXPECT_TRUE(near_point(box.min, P(0, -2), 0.0));
    EXPECT_TRUE(near_point(box.max, P(1, 1), 0.0));
    const Point2DRec just_outside = P(1.0000005, 0.5);
    ExtentsAppendPoint(&box, &just_outside);
    EXPECT_EQ(box.max.x, 1.0);

    const Rectangle2DRec other{P(-3, 0), P(0.5, 4)};
    ExtentsAppend(&box, &other);
    EXPECT_TRUE(near_point(box.min, P(-3, -2), 0.0));
    EXPECT_TRUE(near_point(box.max, P(1, 4), 0.0));
}

TEST(Extents, Relations)
{
    const struct {
        Rectangle2DRec a;
        Rectangle2DRec b;
        int32_t relation;
        int32_t intersect;
    } rows[] = {
        {{P(0, 0), P(10, 10)}, {P(1, 1), P(2, 2)}, ExtentsContains, 1},
        {{P(1, 1), P(2, 2)}, {P(0, 0), P(10, 10)}, ExtentsInside, 1},
        {{P(0, 0), P(1, 1)}, {P(0, 0), P(1, 1)}, ExtentsInside, 1},
        {{P(0, 0), P(1, 1)}, {P(1, 0), P(2, 1)}, ExtentsOverlap, 1},
        {{P(0, 0), P(1, 1)}, {P(2, 2), P(3, 3)}, ExtentsApart, 0},
        // Apart by less than the tolerance.
        {{P(0, 0), P(1, 1)}, {P(1.0000005, 0), P(2, 1)}, ExtentsOverlap, 1},
        {{P(0, 0), P(1, 1)}, {P(1.0000011, 0), P(2, 1)}, ExtentsApart, 0},
        // Sharing a side: neither contains the other.
        {{P(0, 0), P(10, 10)}, {P(0, 1), P(2, 2)}, ExtentsOverlap, 1},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(::testing::Message() << "row " << i);
        EXPECT_EQ(ExtentsCmp(&rows[i].a, &rows[i].b), rows[i].relation);
        EXPECT_EQ(ExtentsIntersect(&rows[i].a, &rows[i].b), rows[i].intersect);
    }
}

}
