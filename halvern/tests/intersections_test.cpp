// Intersections of lines, rays, segments, circles and arcs, with the order in which
// they report their points.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "geometry/geometry_internal.h"
#include "halvern/geometry.h"

namespace {

using halvern::kHalfPi;
using halvern::kPi;
using halvern::kTwoPi;

constexpr double kNear = 1e-9;
const double kRoot3Half = std::sqrt(3.0) / 2.0;
const Point3DRec kUntouched{-99, -99, -99};

struct Found {
    int32_t count;
    std::vector<Point3DRec> points;  // out1, out2 as the call left them
};

void expect_found(const Found& found, const std::vector<Point3DRec>& expected) {
    ASSERT_EQ(found.count, static_cast<int32_t>(expected.size()));
    for (size_t i = 0; i < found.points.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "out" << i + 1);
        const Point3DRec& want = i < expected.size() ? expected[i] : kUntouched;
        EXPECT_NEAR(found.points[i].x, want.x, kNear);
        EXPECT_NEAR(found.points[i].y, want.y, kNear);
    }
}

// ---------------------------------------------------------------------------------------
// Lines and rays

TEST(Intersections, IntersectionPoint) {
    const Point3DRec a{0, 0, 5};
    const Point3DRec b{1, 1, 0};
    Point3DRec out = kUntouched;
    ASSERT_EQ(DXFIntersectionPoint(&a, 0.0, &b, kHalfPi, &out), 1);
    EXPECT_NEAR(out.x, 1.0, kNear);
    EXPECT_NEAR(out.y, 0.0, kNear);
    EXPECT_EQ(out.z, 5.0) << "z of the first point";

    out = kUntouched;
    EXPECT_EQ(DXFIntersectionPoint(&a, 0.0, &b, kTwoPi, &out), 0) << "the same direction";
    EXPECT_EQ(DXFIntersectionPoint(&a, 0.0, &b, kPi, &out), 0) << "parallel";
    EXPECT_EQ(DXFIntersectionPoint(&a, 0.0, &b, 1e-7, &out), 0) << "nearly the same direction";
    EXPECT_EQ(out.x, kUntouched.x);

    const Point3DRec a_again{0, 0, 5};
    ASSERT_EQ(DXFIntersectionPoint(&a, 0.3, &a_again, 2.0, &out), 1) << "through one point";
    EXPECT_EQ(out.x, 0.0);
    EXPECT_EQ(out.z, 5.0);

    EXPECT_EQ(DXFIntersectionPoint(&a, 0.0, &b, kHalfPi, nullptr), 1) << "counted, not written";
    EXPECT_EQ(DXFIntersectionPoint(nullptr, 0.0, &b, kHalfPi, &out), 0);
    EXPECT_EQ(DXFIntersectionPoint(&a, 0.0, nullptr, kHalfPi, &out), 0);
}

TEST(Intersections, RayRay) {
    struct Row {
        const char* name;
        Point3DRec p1;
        double a1;
        int32_t l1;
        Point3DRec p2;
        double a2;
        int32_t l2;
        int32_t expected;
    };
    // The second ray always runs down the line x = 1, so the lines cross in (1, 0).
    const Row rows[] = {
        {"ahead of both", {0, 0, 0}, 0.0, 0, {1, 1, 0}, -kHalfPi, 0, 1},
        {"behind the first ray", {2, 0, 0}, 0.0, 0, {1, 1, 0}, -kHalfPi, 0, 0},
        {"behind the first, as a line", {2, 0, 0}, 0.0, 1, {1, 1, 0}, -kHalfPi, 0, 1},
        {"behind the second ray", {0, 0, 0}, 0.0, 0, {1, -1, 0}, -kHalfPi, 0, 0},
        {"behind the second, as a line", {0, 0, 0}, 0.0, 0, {1, -1, 0}, -kHalfPi, 1, 1},
        {"at the first ray's own point", {1, 0, 0}, 0.0, 0, {1, 1, 0}, -kHalfPi, 0, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Point3DRec out = kUntouched;
        ASSERT_EQ(DXFIntersectRayRay(&row.p1, row.a1, row.l1, &row.p2, row.a2, row.l2, &out),
                  row.expected);
        expect_found({row.expected, {out}},
                     row.expected == 1 ? std::vector<Point3DRec>{{1, 0, 0}}
                                       : std::vector<Point3DRec>{});
    }
    const Point3DRec p{0, 0, 0};
    EXPECT_EQ(DXFIntersectRayRay(&p, 0.0, 1, nullptr, 1.0, 1, nullptr), 0);
}

TEST(Intersections, RayLine) {
    struct Row {
        const char* name;
        Point3DRec point;
        double angle;
        int32_t line;
        Point3DRec start;
        Point3DRec end;
        int32_t expected;
    };
    const Row rows[] = {
        {"through the segment", {0, 0, 0}, 0.0, 0, {1, -1, 0}, {1, 1, 0}, 1},
        {"past the segment's end", {0, 0, 0}, 0.0, 0, {1, 1, 0}, {1, 2, 0}, 0},
        {"pointing away", {0, 0, 0}, kPi, 0, {1, -1, 0}, {1, 1, 0}, 0},
        {"pointing away, as a line", {0, 0, 0}, kPi, 1, {1, -1, 0}, {1, 1, 0}, 1},
        {"at the segment's end", {0, 0, 0}, 0.0, 0, {1, 0, 0}, {1, 3, 0}, 1},
        {"parallel", {0, 0, 0}, 0.0, 1, {0, 1, 0}, {5, 1, 0}, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Point3DRec out = kUntouched;
        ASSERT_EQ(DXFIntersectRayLine(&row.point, row.angle, row.line, &row.start, &row.end, &out),
                  row.expected);
        if (row.expected == 1) {
            EXPECT_NEAR(out.x, 1.0, kNear);
            EXPECT_NEAR(out.y, 0.0, kNear);
        } else {
            EXPECT_EQ(out.x, kUntouched.x);
        }
    }
}

TEST(Intersections, LineLine) {
    struct Row {
        const char* name;
        Point3DRec a1, a2, b1, b2;
        std::vector<Point3DRec> expected;
    };
    const Row rows[] = {
        {"crossing", {0, 0, 0}, {2, 0, 0}, {1, -1, 0}, {1, 1, 0}, {{1, 0, 0}}},
        {"collinear and overlapping", {0, 0, 0}, {2, 0, 0}, {1, 0, 0}, {3, 0, 0}, {}},
        {"touching at an end", {0, 0, 0}, {2, 0, 0}, {2, 0, 0}, {3, 5, 0}, {{2, 0, 0}}},
        {"boxes apart", {0, 0, 0}, {1, 1, 0}, {2, 0, 0}, {3, -1, 0}, {}},
        {"lines meet beyond a segment", {0, 0, 0}, {2, 2, 0}, {0, 2, 0}, {0.9, 1.1, 0}, {}},
        {"parallel", {0, 0, 0}, {2, 0, 0}, {0, 1, 0}, {2, 1, 0}, {}},
        {"diagonals of a square", {0, 0, 0}, {2, 2, 0}, {2, 0, 0}, {0, 2, 0}, {{1, 1, 0}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Point3DRec out = kUntouched;
        const int32_t count = DXFIntersectLineLine(&row.a1, &row.a2, &row.b1, &row.b2, &out);
        expect_found({count, {out}}, row.expected);
    }
}

// ---------------------------------------------------------------------------------------
// Circles and arcs

const Point3DRec kOrigin{0, 0, 0};

TEST(Intersections, RayCircle) {
    struct Row {
        const char* name;
        Point3DRec point;
        double angle;
        int32_t line;
        std::vector<Point3DRec> expected;
    };
    const Row rows[] = {
        {"ray through: the far point first", {-5, 0, 0}, 0.0, 0, {{1, 0, 0}, {-1, 0, 0}}},
        {"line through", {-5, 0, 0}, 0.0, 1, {{1, 0, 0}, {-1, 0, 0}}},
        {"ray leaving the circle behind", {5, 0, 0}, 0.0, 0, {}},
        {"the same, as a line", {5, 0, 0}, 0.0, 1, {{1, 0, 0}, {-1, 0, 0}}},
        {"ray from the centre", {0, 0, 0}, 0.0, 0, {{1, 0, 0}}},
        {"ray going left", {5, 0, 0}, kPi, 0, {{-1, 0, 0}, {1, 0, 0}}},
        {"tangent", {-3, 1, 0}, 0.0, 1, {{0, 1, 0}}},
        {"passing outside", {-3, 2, 0}, 0.0, 1, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Point3DRec out1 = kUntouched;
        Point3DRec out2 = kUntouched;
        const int32_t count =
            DXFIntersectRayCircle(&row.point, row.angle, row.line, &kOrigin, 1.0, &out1, &out2);
        expect_found({count, {out1, out2}}, row.expected);
    }
    const Point3DRec from{-5, 0, 0};
    EXPECT_EQ(DXFIntersectRayCircle(&from, 0.0, 0, &kOrigin, 1.0, nullptr, nullptr), 2);
    EXPECT_EQ(DXFIntersectRayCircle(&from, 0.0, 0, nullptr, 1.0, nullptr, nullptr), 0);
}

TEST(Intersections, RayArcAndLineArc) {
    const Point3DRec from{-5, 0, 0};
    const Point3DRec to{5, 0, 0};
    struct Row {
        const char* name;
        double start, end;
        int32_t direction;
        std::vector<Point3DRec> expected;
    };
    const Row rows[] = {
        {"upper half: both ends", 0.0, kPi, 1, {{1, 0, 0}, {-1, 0, 0}}},
        {"left half", kHalfPi, 3.0 * kHalfPi, 1, {{-1, 0, 0}}},
        {"left half, clockwise: the right half", kHalfPi, 3.0 * kHalfPi, -1, {{1, 0, 0}}},
        {"upper quarter arcs miss", kPi / 4.0, 3.0 * kPi / 4.0, 1, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Point3DRec out1 = kUntouched;
        Point3DRec out2 = kUntouched;
        int32_t count = DXFIntersectRayArc(&from, 0.0, 0, &kOrigin, 1.0, row.start, row.end,
                                           row.direction, &out1, &out2);
        expect_found({count, {out1, out2}}, row.expected);

        out1 = kUntouched;
        out2 = kUntouched;
        count = DXFIntersectLineArc(&from, &to, &kOrigin, 1.0, row.start, row.end, row.direction,
                                    &out1, &out2);
        expect_found({count, {out1, out2}}, row.expected);
    }
}

TEST(Intersections, LineCircle) {
    struct Row {
        const char* name;
        Point3DRec start, end;
        std::vector<Point3DRec> expected;
    };
    const Row rows[] = {
        {"through", {-5, 0, 0}, {5, 0, 0}, {{1, 0, 0}, {-1, 0, 0}}},
        {"reversed", {5, 0, 0}, {-5, 0, 0}, {{-1, 0, 0}, {1, 0, 0}}},
        {"ending inside", {-5, 0, 0}, {0, 0, 0}, {{-1, 0, 0}}},
        {"ending short", {-5, 0, 0}, {-2, 0, 0}, {}},
        {"touching", {-2, 1, 0}, {2, 1, 0}, {{0, 1, 0}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Point3DRec out1 = kUntouched;
        Point3DRec out2 = kUntouched;
        const int32_t count =
            DXFIntersectLineCircle(&row.start, &row.end, &kOrigin, 1.0, &out1, &out2);
        expect_found({count, {out1, out2}}, row.expected);
    }
}

TEST(Intersections, CircleCircle) {
    struct Row {
        const char* name;
        Point3DRec c1;
        double r1;
        Point3DRec c2;
        double r2;
        std::vector<Point3DRec> expected;
    };
    const Row rows[] = {
        {"crossing: right of the centre line first", {0, 0, 0}, 1, {1, 0, 0}, 1,
         {{0.5, -kRoot3Half, 0}, {0.5, kRoot3Half, 0}}},
        {"crossing the other way round", {1, 0, 0}, 1, {0, 0, 0}, 1,
         {{0.5, kRoot3Half, 0}, {0.5, -kRoot3Half, 0}}},
        {"touching outside", {0, 0, 0}, 1, {2, 0, 0}, 1, {{1, 0, 0}}},
        {"touching inside, the first larger", {0, 0, 0}, 2, {1, 0, 0}, 1, {{2, 0, 0}}},
        {"touching inside, the second larger", {1, 0, 0}, 1, {0, 0, 0}, 2, {{2, 0, 0}}},
        {"concentric", {0, 0, 0}, 1, {0, 0, 0}, 2, {}},
        {"equal", {3, 3, 0}, 1, {3, 3, 0}, 1, {}},
        {"apart", {0, 0, 0}, 1, {3, 0, 0}, 1, {}},
        {"one inside the other", {0, 0, 0}, 5, {1, 0, 0}, 1, {}},
        {"zero radius", {0, 0, 0}, 0, {1, 0, 0}, 1, {}},
        // Within the tolerance these are one circle: the contact formula would divide by
        // the difference of the radii and put a point a thousand units away.
        {"nearly equal, nearly concentric", {0, 0, 0}, 1, {1.0000001e-6, 0, 0}, 1 + 1e-9, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Point3DRec out1 = kUntouched;
        Point3DRec out2 = kUntouched;
        const int32_t count = DXFIntersectCircleCircle(&row.c1, row.r1, &row.c2, row.r2, &out1, &out2);
        expect_found({count, {out1, out2}}, row.expected);
    }
    const Point3DRec raised{0, 0, 4};
    const Point3DRec beside{1, 0, 0};
    Point3DRec out{};
    ASSERT_EQ(DXFIntersectCircleCircle(&raised, 1, &beside, 1, &out, nullptr), 2);
    EXPECT_EQ(out.z, 4.0) << "points take the first centre's z";
    EXPECT_EQ(DXFIntersectCircleCircle(nullptr, 1, &beside, 1, &out, nullptr), 0);
}

TEST(Intersections, CircleCircleOfLargeRadiiStaysFinite) {
    const Point3DRec c1{0, 0, 0};
    const Point3DRec c2{1e8, 0, 0};
    Point3DRec out1{};
    Point3DRec out2{};
    ASSERT_EQ(DXFIntersectCircleCircle(&c1, 1e8, &c2, 1e8, &out1, &out2), 2);
    EXPECT_NEAR(out1.x, 5e7, 1e-3);
    EXPECT_NEAR(out1.y, -1e8 * kRoot3Half, 1e-3);
    EXPECT_NEAR(out2.y, 1e8 * kRoot3Half, 1e-3);
}

TEST(Intersections, CircleArcAndArcArc) {
    const Point3DRec second{1, 0, 0};
    struct Row {
        const char* name;
        double start, end;
        std::vector<Point3DRec> expected;
    };
    // Arcs of the circle about (1, 0) against the unit circle about the origin, which
    // meets it at 2 pi / 3 and 4 pi / 3 seen from (1, 0).
    const Row rows[] = {
        {"left half holds both", kHalfPi, 3.0 * kHalfPi, {{0.5, -kRoot3Half, 0}, {0.5, kRoot3Half, 0}}},
        {"upper left quarter holds one", kHalfPi, kPi, {{0.5, kRoot3Half, 0}}},
        {"right quarter holds none", 0.0, kHalfPi, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Point3DRec out1 = kUntouched;
        Point3DRec out2 = kUntouched;
        const int32_t count =
            DXFIntersectCircleArc(&kOrigin, 1.0, &second, 1.0, row.start, row.end, 1, &out1, &out2);
        expect_found({count, {out1, out2}}, row.expected);
    }

    // Both arcs must hold a point: the lower right quarter of the first circle holds only
    // the lower one.
    Point3DRec out1 = kUntouched;
    Point3DRec out2 = kUntouched;
    int32_t count = DXFIntersectArcArc(&kOrigin, 1.0, 3.0 * kHalfPi, 0.0, 1, &second, 1.0, kHalfPi,
                                       3.0 * kHalfPi, 1, &out1, &out2);
    expect_found({count, {out1, out2}}, {{0.5, -kRoot3Half, 0}});

    out1 = kUntouched;
    count = DXFIntersectArcArc(&kOrigin, 1.0, 0.0, kPi, 1, &kOrigin, 1.0, kHalfPi, 3.0 * kHalfPi, 1,
                               &out1, nullptr);
    EXPECT_EQ(count, 0) << "two arcs of one circle";
    EXPECT_EQ(DXFIntersectArcArc(nullptr, 1.0, 0.0, kPi, 1, &second, 1.0, 0.0, kPi, 1, nullptr,
                                 nullptr),
              0);
    EXPECT_EQ(DXFIntersectCircleArc(&kOrigin, 1.0, nullptr, 1.0, 0.0, kPi, 1, nullptr, nullptr), 0);
}

}
