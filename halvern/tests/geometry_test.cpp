// Angles, points on curves, arcs, bulges, the arbitrary-axis matrix and rational
// B-splines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <utility>
#include <vector>

#include "geometry/geometry_internal.h"
#include "halvern/geometry.h"
#include "halvern/items.h"
#include "osmark/memory.h"
#include "osmark/testing.h"

namespace {

using namespace halvern;

constexpr double kNear = 1e-9;
constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

void expect_point(const Point3DRec& actual, double x, double y, double z) {
    EXPECT_NEAR(actual.x, x, kNear);
    EXPECT_NEAR(actual.y, y, kNear);
    EXPECT_NEAR(actual.z, z, kNear);
}

bool is_normalised(double angle) {
    return std::isfinite(angle) && angle > -kTolerance && angle <= kTwoPi - kTolerance;
}

// ---------------------------------------------------------------------------------------
// Angles

TEST(GeometryAngles, NormaliseAngleBringsAnglesIntoOneTurn) {
    struct Row {
        const char* name;
        double angle;
        double expected;
    };
    const Row rows[] = {
        {"zero", 0.0, 0.0},
        {"inside", 1.0, 1.0},
        {"a whole turn is 0", kTwoPi, 0.0},
        {"within 1e-6 below a turn is 0", kTwoPi - 5e-7, 0.0},
        {"2e-6 below a turn stays", kTwoPi - 2e-6, kTwoPi - 2e-6},
        {"just below 0 stays", -5e-7, -5e-7},
        {"-pi/2", -kHalfPi, 3.0 * kHalfPi},
        {"7 pi", 7.0 * kPi, kPi},
        {"two turns and a half", 2.0 * kTwoPi + 0.5, 0.5},
        {"minus two turns and a half", -2.0 * kTwoPi - 0.5, kTwoPi - 0.5},
        {"minus three turns", -3.0 * kTwoPi, 0.0},
        {"infinity", kInfinity, 0.0},
        {"minus infinity", -kInfinity, 0.0},
        {"not a number", kNaN, 0.0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_NEAR(DXFNormaliseAngle(row.angle), row.expected, kNear);
    }
}

TEST(GeometryAngles, NormaliseAngleOfHugeAnglesStaysInRange) {
    // Turn counts far beyond every integer type: the count is taken in double.
    for (const double angle : {1e10, -1e10, 4e9 * kTwoPi, 1e19, -1e19, 1e300, -1e300,
                               std::numeric_limits<double>::max(),
                               std::numeric_limits<double>::lowest()}) {
        SCOPED_TRACE(angle);
        EXPECT_TRUE(is_normalised(DXFNormaliseAngle(angle)));
    }
}

TEST(GeometryAngles, ArcSweep) {
    struct Row {
        const char* name;
        double start;
        double end;
        int32_t direction;
        double expected;
    };
    const Row rows[] = {
        {"equal angles sweep a full turn", 1.0, 1.0, 1, kTwoPi},
        {"equal angles clockwise too", 1.0, 1.0, -1, kTwoPi},
        {"0 to 2 pi", 0.0, kTwoPi, 1, kTwoPi},
        {"quarter counter-clockwise", 0.0, kHalfPi, 1, kHalfPi},
        {"quarter backwards is three quarters", 0.0, kHalfPi, -1, 3.0 * kHalfPi},
        {"direction 0 counts counter-clockwise", 0.0, kHalfPi, 0, kHalfPi},
        {"across 0", 3.0 * kHalfPi, kHalfPi, 1, kPi},
        {"clockwise across 0", kHalfPi, 3.0 * kHalfPi, -1, kPi},
        {"angles outside one turn", -kHalfPi, 5.0 * kHalfPi, 1, kPi},
        {"infinite start", kInfinity, 0.0, 1, 0.0},
        {"infinite end", 0.0, kInfinity, 1, 0.0},
        {"minus infinite start", -kInfinity, 1.0, 1, 0.0},
        {"not-a-number end", 0.0, kNaN, -1, 0.0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_NEAR(DXFArcSweep(row.start, row.end, row.direction), row.expected, 1e-9);
    }
    EXPECT_NEAR(DXFArcLength(2.0, 0.0, kHalfPi, 1), kPi, 1e-9);
}

TEST(GeometryAngles, ArcSweepOfHugeAnglesIsOneTurnAtMost) {
    for (const double angle : {1e19, -1e300, std::numeric_limits<double>::max()}) {
        SCOPED_TRACE(angle);
        const double sweep = DXFArcSweep(angle, 1.0, 1);
        EXPECT_GT(sweep, 0.0);
        EXPECT_LE(sweep, kTwoPi + 1e-9);
    }
}

TEST(GeometryAngles, AngleInSweep) {
    struct Row {
        const char* name;
        double start;
        double angle;
        double end;
        int32_t direction;
        int32_t expected;
    };
    const Row rows[] = {
        {"full circle holds anything", 1.0, 4.0, 1.0, 1, 1},
        {"full circle 0 to 2 pi", 0.0, 3.0, kTwoPi, -1, 1},
        {"at the start", 0.0, 0.0, kHalfPi, 1, 1},
        {"at the end", 0.0, kHalfPi, kHalfPi, 1, 1},
        {"inside", 0.0, 1.0, kHalfPi, 1, 1},
        {"outside", 0.0, 2.0, kHalfPi, 1, 0},
        {"clockwise: the long way round", 0.0, 2.0, kHalfPi, -1, 1},
        {"clockwise: not the short way", 0.0, 1.0, kHalfPi, -1, 0},
        {"across 0", 3.0 * kHalfPi, 0.1, kHalfPi, 1, 1},
        {"negative angle inside", 3.0 * kHalfPi, -0.1, kHalfPi, 1, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(DXFAngleInSweep(row.start, row.angle, row.end, row.direction), row.expected);
    }
}

// ---------------------------------------------------------------------------------------
// Points

TEST(GeometryPoints, SamePointDirectionAndDistance) {
    const Point3DRec origin{0.0, 0.0, 0.0};
    const Point3DRec near_origin{5e-7, -5e-7, 9e-7};
    const Point3DRec above{0.0, 0.0, 1e-6};
    EXPECT_EQ(DXFSamePoint(&origin, &near_origin), 1);
    EXPECT_EQ(DXFSamePoint(&origin, &above), 0) << "the tolerance is strict, z included";

    const Point3DRec below{0.0, -2.0, 7.0};
    EXPECT_NEAR(DXFPointDirection(&origin, &below), 3.0 * kHalfPi, kNear);
    EXPECT_EQ(DXFPointDirection(&origin, &above), 0.0);
    const Point3DRec corner{3.0, 4.0, 100.0};
    EXPECT_NEAR(DXFPointDistance(&origin, &corner), 5.0, kNear);
    EXPECT_EQ(DXFPointDistance(&origin, &near_origin), 0.0);
}

TEST(GeometryPoints, PointOnSegment) {
    struct Row {
        const char* name;
        Point3DRec start;
        Point3DRec end;
        Point3DRec point;
        int32_t expected;
    };
    const Row rows[] = {
        {"inside", {0, 0, 0}, {10, 0, 0}, {5, 0, 0}, 1},
        {"just past the end", {0, 0, 0}, {10, 0, 0}, {10.0000005, 0, 0}, 1},
        {"beyond the end", {0, 0, 0}, {10, 0, 0}, {10.000002, 0, 0}, 0},
        {"just off the line", {0, 0, 0}, {10, 0, 0}, {5, 0.0000005, 0}, 1},
        {"off the line", {0, 0, 0}, {10, 0, 0}, {5, 0.000002, 0}, 0},
        {"reversed segment", {10, 0, 0}, {0, 0, 0}, {3, 0, 0}, 1},
        {"before the start", {0, 0, 0}, {10, 0, 0}, {-1, 0, 0}, 0},
        {"vertical: along y", {0, 0, 0}, {0, 10, 0}, {0, 9.9999995, 0}, 1},
        {"vertical: beyond", {0, 0, 0}, {0, 10, 0}, {0, 10.000002, 0}, 0},
        {"vertical: aside", {0, 0, 0}, {0, 10, 0}, {0.000002, 5, 0}, 0},
        {"diagonal", {0, 0, 0}, {4, 2, 0}, {2, 1, 0}, 1},
        {"diagonal, off", {0, 0, 0}, {4, 2, 0}, {2, 1.00001, 0}, 0},
        {"steep", {1, 0, 0}, {2, 10, 0}, {1.5, 5, 0}, 1},
        {"tiny segment, its point", {1, 1, 0}, {1, 1, 0}, {1, 1, 0}, 1},
        {"tiny segment, aside", {1, 1, 0}, {1, 1, 0}, {1.00001, 1, 0}, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(DXFPointOnSegment(&row.start, &row.end, &row.point), row.expected);
    }
}

TEST(GeometryPoints, PointOnRay) {
    const Point3DRec origin{1.0, 1.0, 0.0};
    struct Row {
        const char* name;
        double angle;
        int32_t line;
        Point3DRec point;
        int32_t expected;
    };
    const Row rows[] = {
        {"ahead", 0.0, 0, {5, 1, 0}, 1},
        {"behind, ray", 0.0, 0, {-5, 1, 0}, 0},
        {"behind, line", 0.0, 1, {-5, 1, 0}, 1},
        {"aside", 0.0, 1, {5, 1.001, 0}, 0},
        {"the origin itself", 0.0, 0, {1, 1, 0}, 1},
        {"diagonal ahead", kPi / 4.0, 0, {3, 3, 0}, 1},
        {"diagonal behind", kPi / 4.0, 0, {0, 0, 0}, 0},
        {"angle beyond one turn", kTwoPi + kHalfPi, 0, {1, 4, 0}, 1},
        {"pointing down", -kHalfPi, 0, {1, -4, 0}, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(DXFPointOnRay(&origin, row.angle, row.line, &row.point), row.expected);
    }
    EXPECT_EQ(DXFPointOnRay(nullptr, 0.0, 1, &origin), 0);
    EXPECT_EQ(DXFPointOnRay(&origin, 0.0, 1, nullptr), 0);
}

TEST(GeometryPoints, PointOnArc) {
    const Point3DRec centre{1.0, 1.0, 0.0};
    const Point3DRec on_quarter{1.0 + std::cos(0.5), 1.0 + std::sin(0.5), 0.0};
    const Point3DRec opposite{0.0, 1.0, 0.0};
    const Point3DRec off_radius{2.00001, 1.0, 0.0};
    EXPECT_EQ(DXFPointOnArc(&centre, 1.0, 0.0, kHalfPi, 1, &on_quarter), 1);
    EXPECT_EQ(DXFPointOnArc(&centre, 1.0, 0.0, kHalfPi, 1, &opposite), 0);
    EXPECT_EQ(DXFPointOnArc(&centre, 1.0, 0.0, kHalfPi, -1, &opposite), 1);
    EXPECT_EQ(DXFPointOnArc(&centre, 1.0, 0.0, kTwoPi, 1, &off_radius), 0);
    EXPECT_EQ(DXFPointOnArc(nullptr, 1.0, 0.0, kTwoPi, 1, &opposite), 0);
    EXPECT_EQ(DXFPointOnArc(&centre, 1.0, 0.0, kTwoPi, 1, nullptr), 0);
}

// ---------------------------------------------------------------------------------------
// Arcs

TEST(GeometryArcs, ArcThroughPoints) {
    struct Row {
        const char* name;
        Point3DRec start;
        Point3DRec middle;
        Point3DRec end;
        double cx, cy, radius, start_angle, end_angle;
        int32_t direction;
    };
    const Row rows[] = {
        {"middle left of the chord: clockwise", {0, 0, 0}, {1, 1, 0}, {2, 0, 0}, 1, 0, 1, kPi, 0,
         -1},
        {"middle right of the chord: counter-clockwise", {0, 0, 0}, {1, -1, 0}, {2, 0, 0}, 1, 0,
         1, kPi, 0, 1},
        {"off-centre middle", {2, 0, 0}, {0, 2, 0}, {-2, 0, 0}, 0, 0, 2, 0, kPi, 1},
        {"large arc", {1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, 0, 0, 1, 0, kHalfPi, -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Point3DRec centre{9, 9, 9};
        double radius = 0, start = 0, end = 0;
        int32_t direction = 0;
        ASSERT_EQ(DXFArcThroughPoints(&row.start, &row.middle, &row.end, &centre, &radius, &start,
                                      &end, &direction),
                  1);
        expect_point(centre, row.cx, row.cy, 9.0);  // the centre's z is not written
        EXPECT_NEAR(radius, row.radius, kNear);
        EXPECT_NEAR(start, row.start_angle, kNear);
        EXPECT_NEAR(end, row.end_angle, kNear);
        EXPECT_EQ(direction, row.direction);
    }
}

TEST(GeometryArcs, ArcThroughPointsRefusesDegenerateInput) {
    const Point3DRec a{0, 0, 0};
    const Point3DRec b{1, 1, 0};
    const Point3DRec c{2, 2, 0};
    Point3DRec centre{7, 7, 7};
    double radius = 7, start = 7, end = 7;
    int32_t direction = 7;
    EXPECT_EQ(DXFArcThroughPoints(&a, &b, &c, &centre, &radius, &start, &end, &direction), 0)
        << "collinear";
    EXPECT_EQ(DXFArcThroughPoints(&a, &b, &a, &centre, &radius, &start, &end, &direction), 0)
        << "start and end coincide";
    EXPECT_EQ(DXFArcThroughPoints(&a, &b, &c, &centre, nullptr, &start, &end, &direction), 0);
    expect_point(centre, 7, 7, 7);
    EXPECT_EQ(radius, 7.0);
    EXPECT_EQ(start, 7.0);
    EXPECT_EQ(end, 7.0);
    EXPECT_EQ(direction, 7);
}

TEST(GeometryArcs, ArcFromTangent) {
    const Point3DRec start{0, 0, 0};
    const Point3DRec end{2, 0, 0};
    struct Row {
        const char* name;
        Point3DRec tangent;
        int32_t direction;
    };
    const Row rows[] = {
        {"leaving upwards turns clockwise", {0, 3, 0}, -1},
        {"leaving downwards turns counter-clockwise", {0, -0.5, 0}, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Point3DRec centre{};
        double radius = 0, start_angle = 0, end_angle = 0;
        int32_t direction = 0;
        ASSERT_EQ(DXFArcFromTangent(&start, &end, &row.tangent, &centre, &radius, &start_angle,
                                    &end_angle, &direction),
                  1);
        expect_point(centre, 1, 0, 0);
        EXPECT_NEAR(radius, 1.0, kNear);
        EXPECT_NEAR(start_angle, kPi, kNear);
        EXPECT_NEAR(end_angle, 0.0, kNear);
        EXPECT_EQ(direction, row.direction);
    }
    const Point3DRec along{1, 0, 0};
    Point3DRec centre{};
    double radius = 0, start_angle = 0, end_angle = 0;
    int32_t direction = 0;
    EXPECT_EQ(DXFArcFromTangent(&start, &end, &along, &centre, &radius, &start_angle, &end_angle,
                                &direction),
              0)
        << "a tangent along the chord";
    EXPECT_EQ(DXFArcFromTangent(&start, &start, &along, &centre, &radius, &start_angle,
                                &end_angle, &direction),
              0);
}

// ---------------------------------------------------------------------------------------
// Bulges

struct BulgeArc {
    int32_t result;
    ArcRec arc;
};

BulgeArc make_bulge_arc(Point3DRec from, double bulge, Point3DRec to) {
    const VertexRec first{from, bulge, 0};
    const VertexRec second{to, 0.0, 0};
    ItemRec item{};
    item.it_Arc = ArcRec{{-1, -1, -1}, -1, -1, -1, -7};
    const int32_t result = CreateBulgeArc(&first, &second, &item);
    return BulgeArc{result, item.it_Arc};
}

TEST(GeometryBulges, CreateBulgeArc) {
    const double quarter = std::tan(kPi / 8.0);
    struct Row {
        const char* name;
        Point3DRec from;
        double bulge;
        Point3DRec to;
        double cx, cy, radius, start, end;
    };
    const Row rows[] = {
        {"half circle below the chord", {0, 0, 3}, 1.0, {2, 0, 0}, 1, 0, 1, kPi, 0},
        {"half circle above, from the second vertex", {0, 0, 3}, -1.0, {2, 0, 0}, 1, 0, 1, 0, kPi},
        {"quarter counter-clockwise", {1, 0, 3}, quarter, {0, 1, 0}, 0, 0, 1, 0, kHalfPi},
        {"quarter clockwise, stored from the second vertex", {0, 1, 3}, -quarter, {1, 0, 0}, 0, 0,
         1, 0, kHalfPi},
        {"three quarters", {1, 0, 3}, std::tan(3.0 * kPi / 8.0), {0, -1, 0}, 0, 0, 1, 0,
         -kHalfPi},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const BulgeArc made = make_bulge_arc(row.from, row.bulge, row.to);
        ASSERT_EQ(made.result, 1);
        expect_point(made.arc.ar_Centre, row.cx, row.cy, 3.0);
        EXPECT_NEAR(made.arc.ar_Radius, row.radius, kNear);
        EXPECT_NEAR(made.arc.ar_Start, row.start, kNear);
        EXPECT_NEAR(made.arc.ar_End, row.end, kNear);
        EXPECT_EQ(made.arc.ar_Dir, 1) << "always counter-clockwise";
    }
}

TEST(GeometryBulges, CreateBulgeArcLeavesStraightSegmentsAlone) {
    for (const double bulge : {0.0, 0.5e-6, -0.9e-6, kNaN}) {
        SCOPED_TRACE(bulge);
        const BulgeArc made = make_bulge_arc({0, 0, 0}, bulge, {2, 0, 0});
        EXPECT_EQ(made.result, 0);
        expect_point(made.arc.ar_Centre, -1, -1, -1);
        EXPECT_EQ(made.arc.ar_Radius, -1.0);
        EXPECT_EQ(made.arc.ar_Dir, -7);
    }
    ItemRec item{};
    const VertexRec vertex{{0, 0, 0}, 1.0, 0};
    EXPECT_EQ(CreateBulgeArc(nullptr, &vertex, &item), 0);
    EXPECT_EQ(CreateBulgeArc(&vertex, &vertex, nullptr), 0);
}

TEST(GeometryBulges, BulgeFromArc) {
    const double quarter = std::tan(kPi / 8.0);
    struct Row {
        const char* name;
        ArcRec arc;
        double expected;
    };
    const Row rows[] = {
        {"quarter counter-clockwise", {{0, 0, 0}, 1, 0, kHalfPi, 1}, quarter},
        {"the same arc stored clockwise", {{0, 0, 0}, 1, kHalfPi, 0, -1}, -quarter},
        {"full circle", {{0, 0, 0}, 1, 0, kTwoPi, 1}, 0.0},
        {"half circle", {{0, 0, 0}, 1, kPi, 0, 1}, 1.0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ItemRec item{};
        item.it_Arc = row.arc;
        EXPECT_NEAR(BulgeFromArc(&item), row.expected, kNear);
    }
    EXPECT_EQ(BulgeFromArc(nullptr), 0.0);
}

TEST(GeometryBulges, BulgeFromArcInvertsCreateBulgeArc) {
    // A clockwise segment comes back as the counter-clockwise arc from the second vertex;
    // turning it round again gives the segment's own bulge.
    for (const double bulge : {0.01, 0.3, 1.0, 2.5, 40.0, -0.2, -1.0, -3.0}) {
        SCOPED_TRACE(bulge);
        BulgeArc made = make_bulge_arc({1, 2, 0}, bulge, {4, -1, 0});
        ASSERT_EQ(made.result, 1);
        if (bulge < 0) {
            std::swap(made.arc.ar_Start, made.arc.ar_End);
            made.arc.ar_Dir = -made.arc.ar_Dir;
        }
        ItemRec item{};
        item.it_Arc = made.arc;
        EXPECT_NEAR(BulgeFromArc(&item), bulge, 1e-9 * std::fabs(bulge));
    }
}

// ---------------------------------------------------------------------------------------
// Arbitrary-axis matrix

struct Axes {
    Point3DRec x;
    Point3DRec y;
};

Axes axes_of(const DXFMatrixRec& m) {
    return Axes{{m.m[0][0], m.m[1][0], m.m[2][0]}, {m.m[0][1], m.m[1][1], m.m[2][1]}};
}

TEST(GeometryMatrix, ArbitraryAxisMatrix) {
    const double s = 1.0 / std::sqrt(1.0 + 1.0 / (128.0 * 128.0));
    const double q = 1.0 / std::sqrt(1.0 + 1.0 / (64.0 * 64.0));
    struct Row {
        const char* name;
        Point3DRec normal;
        Point3DRec x;
        Point3DRec y;
    };
    const Row rows[] = {
        {"world z: identity", {0, 0, 1}, {1, 0, 0}, {0, 1, 0}},
        {"minus z", {0, 0, -1}, {-1, 0, 0}, {0, 1, 0}},
        {"minus y: not below 1/64, helper z", {0, -1, 0}, {1, 0, 0}, {0, 0, 1}},
        {"x below 1/64: helper y", {1.0 / 128.0, 0, 1}, {s, 0, -s / 128.0}, {0, 1, 0}},
        {"x at 1/64: helper z", {1.0 / 64.0, 0, 1}, {0, 1, 0}, {-q, 0, q / 64.0}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        DXFMatrixRec matrix{};
        ASSERT_EQ(DXFArbitraryAxisMatrix(&row.normal, &matrix), 0);
        const Axes axes = axes_of(matrix);
        expect_point(axes.x, row.x.x, row.x.y, row.x.z);
        expect_point(axes.y, row.y.x, row.y.y, row.y.z);
        for (int r = 0; r < 3; ++r) {
            EXPECT_EQ(matrix.m[r][3], 0.0);
        }
        EXPECT_EQ(matrix.m[0][2], row.normal.x) << "the direction goes in unnormalised";
        EXPECT_EQ(matrix.m[1][2], row.normal.y);
        EXPECT_EQ(matrix.m[2][2], row.normal.z);
        EXPECT_EQ(matrix.m[3][0], 0.0);
        EXPECT_EQ(matrix.m[3][1], 0.0);
        EXPECT_EQ(matrix.m[3][2], 0.0);
        EXPECT_EQ(matrix.m[3][3], 1.0);
    }
}

TEST(GeometryMatrix, ArbitraryAxisMatrixIsRightHandedForAnyDirection) {
    for (const Point3DRec normal : {Point3DRec{0.3, -0.2, 5}, Point3DRec{-1, 2, -3},
                                    Point3DRec{0.001, 0.002, -0.5}, Point3DRec{7, 0, 0}}) {
        SCOPED_TRACE(testing::Message() << normal.x << " " << normal.y << " " << normal.z);
        DXFMatrixRec matrix{};
        ASSERT_EQ(DXFArbitraryAxisMatrix(&normal, &matrix), 0);
        const Axes a = axes_of(matrix);
        EXPECT_NEAR(a.x.x * a.y.x + a.x.y * a.y.y + a.x.z * a.y.z, 0.0, kNear);
        EXPECT_NEAR(a.x.x * normal.x + a.x.y * normal.y + a.x.z * normal.z, 0.0, kNear);
        // X cross Y points along the direction.
        const double length = std::sqrt(normal.x * normal.x + normal.y * normal.y +
                                        normal.z * normal.z);
        EXPECT_NEAR(a.x.y * a.y.z - a.x.z * a.y.y, normal.x / length, kNear);
        EXPECT_NEAR(a.x.z * a.y.x - a.x.x * a.y.z, normal.y / length, kNear);
        EXPECT_NEAR(a.x.x * a.y.y - a.x.y * a.y.x, normal.z / length, kNear);
    }
}

TEST(GeometryMatrix, ArbitraryAxisMatrixRefusesZeroAndNonFiniteDirections) {
    for (const Point3DRec normal :
         {Point3DRec{0, 0, 0}, Point3DRec{1e-7, 0, 0}, Point3DRec{0, 0, kNaN},
          Point3DRec{kInfinity, 0, 1}, Point3DRec{0, -kInfinity, 0}}) {
        SCOPED_TRACE(testing::Message() << normal.x << " " << normal.y << " " << normal.z);
        DXFMatrixRec matrix{};
        matrix.m[0][0] = 42.0;
        EXPECT_EQ(DXFArbitraryAxisMatrix(&normal, &matrix), -1);
        EXPECT_EQ(matrix.m[0][0], 42.0) << "the matrix stays unwritten";
        EXPECT_EQ(matrix.m[1][1], 0.0);
    }
}

TEST(GeometryMatrix, MatrixPointUsesTheTranslationColumn) {
    DXFMatrixRec matrix{{{0, -1, 0, 10}, {1, 0, 0, 20}, {0, 0, 2, 30}, {9, 9, 9, 9}}};
    double x = 1, y = 2, z = 3;
    DXFMatrixPoint(&x, &y, &z, &matrix);
    EXPECT_DOUBLE_EQ(x, 8.0);
    EXPECT_DOUBLE_EQ(y, 21.0);
    EXPECT_DOUBLE_EQ(z, 36.0);
    double x2 = 0, y2 = 0, z2 = 0;
    x = 1, y = 0, z = 0;
    DXFMatrixPoints(&x, &y, &z, &x2, &y2, &z2, &matrix);
    EXPECT_DOUBLE_EQ(x, 10.0);
    EXPECT_DOUBLE_EQ(y, 21.0);
    EXPECT_DOUBLE_EQ(x2, 10.0);
    EXPECT_DOUBLE_EQ(y2, 20.0);
    EXPECT_DOUBLE_EQ(z2, 30.0);
}

TEST(GeometryMatrix, ExtrudePointAndArc) {
    const Point3DRec minus_z{0, 0, -1};
    double x = 1, y = 2, z = 3;
    DXFExtrudePoint(&x, &y, &z, &minus_z);
    EXPECT_NEAR(x, -1.0, kNear);
    EXPECT_NEAR(y, 2.0, kNear);
    EXPECT_NEAR(z, -3.0, kNear);

    // A counter-clockwise quarter about (1, 1) seen from below.
    double cx = 1, cy = 1, cz = 0, start = 0, end = kHalfPi;
    int32_t direction = 1;
    EXPECT_EQ(DXFExtrudeArc(&cx, &cy, &cz, 1.0, &start, &end, &direction, &minus_z), 0);
    EXPECT_NEAR(cx, -1.0, kNear);
    EXPECT_NEAR(cy, 1.0, kNear);
    EXPECT_NEAR(start, kHalfPi, kNear);
    EXPECT_NEAR(end, kPi, kNear);
    EXPECT_EQ(direction, 1);

    const Point3DRec zero{0, 0, 0};
    x = 1, y = 2, z = 3;
    DXFExtrudePoint(&x, &y, &z, &zero);
    double x2 = 4, y2 = 5, z2 = 6;
    DXFExtrudePoints(&x, &y, &z, &x2, &y2, &z2, &zero);
    EXPECT_EQ(x, 1.0);
    EXPECT_EQ(z2, 6.0);
    cx = 1, start = 0.5, direction = -1;
    EXPECT_EQ(DXFExtrudeArc(&cx, &cy, &cz, 1.0, &start, &end, &direction, &zero), -1);
    EXPECT_EQ(cx, 1.0);
    EXPECT_EQ(start, 0.5);
    EXPECT_EQ(direction, -1);
}

TEST(GeometryMatrix, MatrixArc) {
    DXFMatrixRec identity{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
    struct Row {
        const char* name;
        double start, end;
        int32_t direction;
        double expected_start, expected_end;
    };
    const Row rows[] = {
        {"full circle", 0, kTwoPi, 1, 0, kTwoPi},
        {"clockwise full circle", 1, 1, -1, 0, kTwoPi},
        {"counter-clockwise arc keeps its angles", 0.5, 2.0, 1, 0.5, 2.0},
        // Its middle lies backwards from the start; forwards it would lie on the rest of
        // the circle and the arc would come out as its complement, 2.0 to 0.5.
        {"clockwise arc turns round", 2.0, 0.5, -1, 0.5, 2.0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        double cx = 3, cy = 4, cz = 5, start = row.start, end = row.end;
        int32_t direction = row.direction;
        DXFMatrixArc(&cx, &cy, &cz, 2.0, &start, &end, &direction, &identity);
        EXPECT_NEAR(cx, 3.0, kNear);
        EXPECT_NEAR(cy, 4.0, kNear);
        EXPECT_NEAR(cz, 5.0, kNear);
        EXPECT_NEAR(start, row.expected_start, kNear);
        EXPECT_NEAR(end, row.expected_end, kNear);
        EXPECT_EQ(direction, 1);
    }
}

TEST(GeometryMatrix, EllipseParameter) {
    const Point3DRec centre{1, 1, 0};
    const Point3DRec axis{2, 0, 0};
    struct Row {
        const char* name;
        double ratio;
        Point3DRec point;
        double expected;
    };
    const Row rows[] = {
        {"on the major axis", 0.5, {3, 1, 0}, 0.0},
        {"on the minor axis", 0.5, {1, 2, 0}, kHalfPi},
        {"behind", 0.5, {-1, 1, 0}, kPi},
        {"below", 0.5, {1, 0, 0}, -kHalfPi},
        {"at 45 degrees of parameter", 0.5, {1 + 2 * std::cos(kPi / 4), 1 + std::sin(kPi / 4), 0},
         kPi / 4},
        {"zero ratio", 0.0, {1, 2, 0}, 0.0},
        {"the centre", 0.5, {1, 1, 0}, 0.0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_NEAR(DXFEllipseParameter(&centre, &axis, row.ratio, &row.point), row.expected,
                    kNear);
    }
}

TEST(GeometryMatrix, MatrixEllipse) {
    // Seen from below, the quarter from the major axis towards the minor one turns into
    // the quarter from minus the minor axis to the major one of the mirrored ellipse.
    const Point3DRec minus_z{0, 0, -1};
    double cx = 0, cy = 0, cz = 0, ax = 2, ay = 0, az = 0, ratio = 0.5, angle = 99;
    double start = 0, end = kHalfPi;
    int32_t direction = 1;
    DXFExtrudeEllipse(&cx, &cy, &cz, &ax, &ay, &az, &ratio, &angle, &start, &end, &direction,
                      &minus_z);
    EXPECT_NEAR(start, -kHalfPi, kNear);
    EXPECT_NEAR(end, 0.0, kNear);
    EXPECT_EQ(cx, 0.0);
    EXPECT_EQ(ax, 2.0);
    EXPECT_EQ(ratio, 0.5);
    EXPECT_EQ(angle, 99.0);
    EXPECT_EQ(direction, 1);

    const Point3DRec plus_z{0, 0, 1};
    start = 0.25;
    end = 2.0;
    DXFExtrudeEllipse(&cx, &cy, &cz, &ax, &ay, &az, &ratio, &angle, &start, &end, &direction,
                      &plus_z);
    EXPECT_NEAR(start, 0.25, kNear);
    EXPECT_NEAR(end, 2.0, kNear);

    // A clockwise ellipse arc keeps its own part of the ellipse, not the rest of it.
    start = 2.0;
    end = 0.5;
    direction = -1;
    DXFExtrudeEllipse(&cx, &cy, &cz, &ax, &ay, &az, &ratio, &angle, &start, &end, &direction,
                      &plus_z);
    EXPECT_NEAR(start, 2.0, kNear);
    EXPECT_NEAR(end, 0.5, kNear);
    EXPECT_EQ(direction, -1);
}

// ---------------------------------------------------------------------------------------
// Rational B-splines

TEST(GeometryNurbs, BasisAgainstHandComputedValues) {
    struct Row {
        const char* name;
        uint32_t order;
        std::vector<double> knots;
        std::vector<double> weights;  // empty: non-rational
        double t;
        std::vector<double> expected;
    };
    const Row rows[] = {
        {"linear at 0.25", 2, {0, 0, 1, 1}, {}, 0.25, {0.75, 0.25}},
        {"linear at the last knot", 2, {0, 0, 1, 1}, {}, 1.0, {0.0, 1.0}},
        {"linear at the first knot", 2, {0, 0, 1, 1}, {}, 0.0, {1.0, 0.0}},
        {"quadratic Bernstein", 3, {0, 0, 0, 1, 1, 1}, {}, 0.5, {0.25, 0.5, 0.25}},
        {"quadratic Bernstein at 0.2", 3, {0, 0, 0, 1, 1, 1}, {}, 0.2, {0.64, 0.32, 0.04}},
        {"uniform quadratic mid-span", 3, {0, 1, 2, 3, 4, 5, 6}, {}, 2.5, {0.125, 0.75, 0.125, 0}},
        {"uniform quadratic on a knot", 3, {0, 1, 2, 3, 4, 5, 6}, {}, 3.0, {0, 0.5, 0.5, 0}},
        {"rational quadratic", 3, {0, 0, 0, 1, 1, 1}, {1, 2, 1}, 0.5, {1.0 / 6, 2.0 / 3, 1.0 / 6}},
        {"weights summing to zero", 2, {0, 0, 1, 1}, {1, -1}, 0.5, {0, 0}},
        {"outside the knots", 2, {0, 0, 1, 1}, {}, 2.0, {0, 0}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto count = static_cast<uint32_t>(row.expected.size());
        ASSERT_EQ(row.knots.size(), row.order + count);
        std::vector<double> out(row.order + count + 1, -1.0);
        Basis(row.order, row.t, count, row.knots.data(),
              row.weights.empty() ? nullptr : row.weights.data(), out.data());
        for (uint32_t i = 0; i < count; ++i) {
            EXPECT_NEAR(out[i], row.expected[i], 1e-12) << "value " << i;
        }
    }
}

TEST(GeometryNurbs, BasisWritesNothingWithoutOrderOrPoints) {
    const double knots[] = {0, 0, 1, 1};
    double out[4] = {7, 7, 7, 7};
    Basis(0, 0.5, 2, knots, nullptr, out);
    Basis(2, 0.5, 0, knots, nullptr, out);
    Basis(2, 0.5, 2, nullptr, nullptr, out);
    Basis(2, 0.5, 2, knots, nullptr, nullptr);
    for (const double value : out) {
        EXPECT_EQ(value, 7.0);
    }
}

TEST(GeometryNurbs, BasisSurvivesKnotsThatRunBackwards) {
    // A knot interval of length zero under a non-zero value: no division by it.
    const double knots[] = {0, 1, 0, 1, 1, 1};
    double out[6] = {};
    Basis(3, 0.5, 3, knots, nullptr, out);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(std::isfinite(out[i])) << i;
    }
}

// A SPLINE item as the readers lay it out: points behind the record, knots and weights
// in their own blocks so that any read past their ends is caught.
class SplineItem {
public:
    SplineItem(int32_t degree, std::vector<Point3DRec> points, std::vector<double> knots,
               std::vector<double> weights)
        : m_knots(std::move(knots)), m_weights(std::move(weights)) {
        const size_t size =
            std::max(sizeof(ItemRec), offsetof(ItemRec, it_Spline.sp_Points) +
                                          points.size() * sizeof(Point3DRec));
        m_item = static_cast<ItemRec*>(CAllocVec(1, static_cast<uint32_t>(size)));
        m_item->it_Header.ih_ItemType = DXFItemSpline;
        SplineRec& spline = m_item->it_Spline;
        spline.sp_Degree = degree;
        spline.sp_NumPoints = static_cast<int32_t>(points.size());
        spline.sp_NumKnots = static_cast<int32_t>(m_knots.size());
        spline.sp_Knots = m_knots.empty() ? nullptr : m_knots.data();
        spline.sp_NumWeights = static_cast<int32_t>(m_weights.size());
        spline.sp_Weights = m_weights.empty() ? nullptr : m_weights.data();
        Point3DRec* target = spline.sp_Points;
        for (size_t i = 0; i < points.size(); ++i) {
            target[i] = points[i];
        }
    }
    ~SplineItem() { FreeVec(m_item); }
    SplineItem(const SplineItem&) = delete;
    SplineItem& operator=(const SplineItem&) = delete;

    ItemRec* item() { return m_item; }

private:
    std::vector<double> m_knots;
    std::vector<double> m_weights;
    ItemRec* m_item = nullptr;
};

SplineItem quarter_circle() {
    const double w = std::sqrt(2.0) / 2.0;
    return SplineItem(2, {{1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {0, 0, 0, 1, 1, 1}, {1, w, 1});
}

TEST(GeometryNurbs, EvaluateRationalQuarterCircle) {
    SplineItem spline = quarter_circle();
    for (const double t : {0.0, 0.1, 0.5, 0.77, 1.0}) {
        SCOPED_TRACE(t);
        Point3DRec point{9, 9, 9};
        NURBEvaluate(spline.item(), nullptr, t, &point);
        EXPECT_NEAR(std::hypot(point.x, point.y), 1.0, 1e-12);
        EXPECT_EQ(point.z, 0.0);
    }
    Point3DRec middle{};
    NURBEvaluate(spline.item(), nullptr, 0.5, &middle);
    expect_point(middle, std::sqrt(0.5), std::sqrt(0.5), 0.0);
    Point3DRec last{};
    NURBEvaluate(spline.item(), nullptr, 1.0, &last);
    expect_point(last, 0, 1, 0);

    // The caller's scratch space gives the same point.
    std::vector<double> scratch(3 + 2 + 2, 0.0);
    Point3DRec again{};
    NURBEvaluate(spline.item(), scratch.data(), 0.5, &again);
    expect_point(again, middle.x, middle.y, middle.z);
}

TEST(GeometryNurbs, EvaluateIgnoresWeightsThatDoNotCoverEveryPoint) {
    SplineItem spline(2, {{0, 0, 0}, {1, 2, 0}, {2, 0, 0}}, {0, 0, 0, 1, 1, 1}, {5, 1});
    Point3DRec point{};
    NURBEvaluate(spline.item(), nullptr, 0.5, &point);
    expect_point(point, 1.0, 1.0, 0.0);  // the plain Bezier midpoint
}

TEST(GeometryNurbs, EvaluateLeavesTheOutputAloneForMalformedSplines) {
    struct Row {
        const char* name;
        int32_t degree;
        size_t points;
        std::vector<double> knots;
    };
    const Row rows[] = {
        {"knots fewer than points + degree + 1", 3, 6, {0, 0, 0, 0, 1, 1, 1, 1}},
        {"a single knot", 2, 3, {0}},
        {"no knots", 2, 3, {}},
        {"negative degree", -1, 3, {0, 0, 0, 1}},
        {"no points", 2, 0, {0, 0, 0}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<Point3DRec> points(row.points, Point3DRec{1, 1, 1});
        SplineItem spline(row.degree, points, row.knots, {});
        Point3DRec point{7, 8, 9};
        NURBEvaluate(spline.item(), nullptr, 0.5, &point);
        expect_point(point, 7, 8, 9);
    }

    SplineItem not_a_spline = quarter_circle();
    not_a_spline.item()->it_Header.ih_ItemType = DXFItemLine;
    Point3DRec point{7, 8, 9};
    NURBEvaluate(not_a_spline.item(), nullptr, 0.5, &point);
    NURBEvaluate(nullptr, nullptr, 0.5, &point);
    expect_point(point, 7, 8, 9);
}

TEST(GeometryNurbs, EvaluateLeavesTheOutputAloneWhenScratchCannotBeAllocated) {
    SplineItem spline = quarter_circle();
    Point3DRec point{7, 8, 9};
    osmark_testing_fail_allocations(0, 1);
    NURBEvaluate(spline.item(), nullptr, 0.5, &point);
    osmark_testing_fail_allocations(0, 0);
    expect_point(point, 7, 8, 9);
}

struct Patch {
    double knots[4] = {0, 0, 1, 1};
    Point3DRec row0[2] = {{0, 0, 0}, {0, 2, 0}};
    Point3DRec row1[2] = {{2, 0, 4}, {2, 2, 0}};
    Point3DRec* rows[2] = {row0, row1};
    double weights0[2] = {1, 1};
    double weights1[2] = {3, 1};
    double* weight_rows[2] = {weights0, weights1};

    NURBSurfaceRec surface() {
        NURBSurfaceRec s{};
        s.ns_DegreeU = 1;
        s.ns_DegreeV = 1;
        s.ns_NumKnotsU = 4;
        s.ns_KnotsU = knots;
        s.ns_NumKnotsV = 4;
        s.ns_KnotsV = knots;
        s.ns_NumU = 2;
        s.ns_NumV = 2;
        s.ns_Points = rows;
        return s;
    }
};

TEST(GeometryNurbs, EvaluateSurface) {
    Patch patch;
    NURBSurfaceRec surface = patch.surface();
    Point3DRec point{};
    NURBEvaluate2(&surface, nullptr, nullptr, 0.5, 0.5, &point);
    expect_point(point, 1, 1, 1);
    NURBEvaluate2(&surface, nullptr, nullptr, 1.0, 0.0, &point);
    expect_point(point, 2, 0, 4);

    // Weight 3 on the raised corner pulls the middle towards it.
    surface.ns_Weights = patch.weight_rows;
    NURBEvaluate2(&surface, nullptr, nullptr, 0.5, 0.5, &point);
    expect_point(point, 4.0 / 3.0, 2.0 / 3.0, 2.0);
}

TEST(GeometryNurbs, EvaluateSurfaceLeavesTheOutputAloneWhenItCannot) {
    Patch patch;
    NURBSurfaceRec short_knots = patch.surface();
    short_knots.ns_NumKnotsV = 3;
    NURBSurfaceRec no_points = patch.surface();
    no_points.ns_NumU = 0;
    NURBSurfaceRec missing_row = patch.surface();
    Point3DRec* rows[2] = {patch.row0, nullptr};
    missing_row.ns_Points = rows;
    for (NURBSurfaceRec* surface : {&short_knots, &no_points, &missing_row}) {
        Point3DRec point{7, 8, 9};
        NURBEvaluate2(surface, nullptr, nullptr, 0.5, 0.5, &point);
        expect_point(point, 7, 8, 9);
    }
    NURBSurfaceRec good = patch.surface();
    Point3DRec point{7, 8, 9};
    osmark_testing_fail_allocations(1, 1);  // the u scratch is allocated, the v one fails
    NURBEvaluate2(&good, nullptr, nullptr, 0.5, 0.5, &point);
    osmark_testing_fail_allocations(0, 0);
    expect_point(point, 7, 8, 9);
}

}
