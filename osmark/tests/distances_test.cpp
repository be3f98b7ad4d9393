#include "osmark/distances.h"

#include "geometry_test_support.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace geometry_test;

namespace {

double line_line(const Line2DRec& a, const Line2DRec& b)
{
    return DistanceLineLine(&a.start, &a.end, &b.start, &b.end);
}

double arc_arc(const Arc2DRec& a, const Arc2DRec& b)
{
    return DistanceArcArc(&a.centre, a.radius, a.start_angle, a.end_angle, a.direction, &b.centre,
                          b.radius, b.start_angle, b.end_angle, b.direction);
}

double line_arc(const Line2DRec& line, const Arc2DRec& a)
{
    return DistanceLineArc(&line.start, &line.end, &a.centre, a.radius, a.start_angle, a.end_angle,
                           a.direction);
}

double line_circle(const Line2DRec& line, double cx, double cy, double radius)
{
    const Point2DRec centre = P(cx, cy);
    return DistanceLineCircle(&line.start, &line.end, &centre, radius);
}

double circle_circle(double x1, double y1, double r1, double x2, double y2, double r2)
{
    const Point2DRec c1 = P(x1, y1);
    const Point2DRec c2 = P(x2, y2);
    return DistanceCircleCircle(&c1, r1, &c2, r2);
}

double point_line(const Point2DRec& point, const Line2DRec& line)
{
    return DistancePointLine(&point, &line.start, &line.end);
}

TEST(Distances, ElementPairs)
{
    const Arc2DRec unit_circle = arc(0, 0, 1, 0, 2 * kPi, 1);
    const struct {
        const char* name;
        double distance;
        double expected;
    } rows[] = {
        {"point above a segment", point_line(P(5, 3), segment(0, 0, 10, 0)), 3},
        {"point beyond the start", point_line(P(-3, 4), segment(0, 0, 10, 0)), 5},
        {"parallel segments", line_line(segment(0, 0, 1, 0), segment(0, 2, 1, 2)), 2},
        {"crossing segments", line_line(segment(0, 0, 2, 2), segment(0, 2, 2, 0)), 0},
        {"segments end to end", line_line(segment(0, 0, 1, 0), segment(1, 0, 2, 0)), 0},
        // Collinear segments that share a stretch meet: no positive distance.
        {"overlapping collinear segments", line_line(segment(0, 0, 2, 0), segment(1, 0, 3, 0)), 0},
        {"one segment within the other", line_line(segment(0, 0, 4, 0), segment(3, 0, 1, 0)), 0},
        {"an end on the other segment", line_line(segment(0, 0, 4, 0), segment(2, 0, 2, 5)), 0},
        {"skew segments", line_line(segment(0, 0, 1, 0), segment(3, 1, 3, 5)), std::sqrt(5.0)},
        {"segment above the circle", line_circle(segment(-5, 3, 5, 3), 0, 0, 1), 2},
        {"segment inside the circle", line_circle(segment(-0.5, 0, 0.5, 0), 0, 0, 1), 0.5},
        {"segment beside the circle", line_circle(segment(3, 0, 5, 0), 0, 0, 1), 2},
        {"segment through the circle", line_circle(segment(-5, 0, 5, 0), 0, 0, 1), 0},
        {"segment and the upper half circle",
         line_arc(segment(-5, -3, 5, -3), arc(0, 0, 1, 0, kPi, 1)), 3},
        {"segment and the lower half circle",
         line_arc(segment(-5, -3, 5, -3), arc(0, 0, 1, kPi, 2 * kPi, 1)), 2},
        {"segment ending inside the circle", line_arc(segment(0, 0.5, 0, 5), unit_circle), 0},
        {"arcs across a gap", arc_arc(arc(0, 0, 1, 0, kPi, 1), arc(0, 3, 1, kPi, 2 * kPi, 1)), 1},
        {"arcs turned away", arc_arc(arc(0, 0, 1, 0, kPi, 1), arc(0, 3, 1, 0, kPi, 1)),
         std::sqrt(10.0) - 1},
        {"crossing arcs", arc_arc(unit_circle, arc(1, 0, 1, 0, 2 * kPi, 1)), 0},
        {"concentric arcs", arc_arc(unit_circle, arc(0, 0, 3, 0, kPi, 1)), 2},
        {"circles apart", circle_circle(0, 0, 1, 3, 0, 1), 1},
        {"circle inside a circle", circle_circle(0, 0, 3, 1, 0, 1), 1},
        {"the larger second", circle_circle(1, 0, 1, 0, 0, 3), 1},
        {"crossing circles", circle_circle(0, 0, 1, 1, 0, 1), 0},
        {"touching circles", circle_circle(0, 0, 1, 2, 0, 1), 0},
    };
    for (const auto& row : rows)
        EXPECT_NEAR(row.distance, row.expected, kClose) << row.name;
}

TEST(Distances, EntitiesByType)
{
    const ProfileEntityRec line = line_entity(-5, 3, 5, 3);
    const ProfileEntityRec circle_entity = arc_entity(0, 0, 1, 0, 2 * kPi, 1);
    const ProfileEntityRec far_circle = arc_entity(0, 10, 1, 0, 2 * kPi, 1);
    const ProfileEntityRec none{};
    EXPECT_NEAR(DistanceEntityEntity(&line, &circle_entity), 2, kClose);
    EXPECT_NEAR(DistanceEntityEntity(&circle_entity, &line), 2, kClose);
    EXPECT_NEAR(DistanceEntityEntity(&circle_entity, &far_circle), 8, kClose);
    EXPECT_NEAR(DistanceEntityEntity(&line, &line), 0, kClose);
    EXPECT_EQ(DistanceEntityEntity(&line, &none), 0.0);
}

TEST(Distances, ShortestBetweenProfiles)
{
    ProfileOwner a = square(0, 0, 1);
    ProfileOwner b = square(3, 0.5, 1);
    ProfileOwner crossing = square(0.5, 0.5, 1);
    ProfileOwner ring = circle(0.5, 4, 1);
    double distance = -1;
    EXPECT_EQ(DistanceProfileProfile(a.get(), b.get(), DistanceShortest, &distance), 3);
    EXPECT_NEAR(distance, 2, kClose);
    EXPECT_EQ(DistanceProfileProfile(a.get(), ring.get(), DistanceShortest, &distance), 3);
    EXPECT_NEAR(distance, 2, kClose);
    EXPECT_EQ(DistanceProfileProfile(a.get(), crossing.get(), DistanceShortest, &distance), 3);
    EXPECT_EQ(distance, 0.0);

    ProfileOwner empty = new_profile();
    distance = -1;
    EXPECT_EQ(DistanceProfileProfile(a.get(), empty.get(), DistanceShortest, &distance), 0);
    EXPECT_EQ(distance, 0.0);
    EXPECT_EQ(DistanceProfileProfile(a.get(), b.get(), DistanceShortest, nullptr), 0);
}

// The axis distance of two entities: the result and the gap it reports.
struct AxisRow {
    const char* name;
    ProfileEntityRec a;
    ProfileEntityRec b;
    int32_t mode;
    int32_t result;
    double distance;
};

TEST(Distances, AlongAnAxis)
{
    const double inf = HUGE_VAL;
    const ProfileEntityRec unit = arc_entity(0, 0, 1, 0, 2 * kPi, 1);
    const ProfileEntityRec vertical = line_entity(5, -5, 5, 5);
    const AxisRow rows[] = {
        {"lines one above the other, along y", line_entity(0, 0, 10, 0), line_entity(2, 3, 4, 3), 2,
         2, 3},
        {"lines one above the other, along x", line_entity(0, 0, 10, 0), line_entity(2, 3, 4, 3), 1,
         0, 0},
        {"lines side by side, along x", line_entity(0, 0, 0, 5), line_entity(7, 1, 7, 4), 1, 1, 7},
        {"lines side by side, along y", line_entity(0, 0, 0, 5), line_entity(7, 1, 7, 4), 2, 0, 0},
        {"a line running down", line_entity(0, 10, 0, 0), line_entity(3, 5, 8, 5), 1, 1, 3},
        {"lines in one row", line_entity(0, 0, 10, 0), line_entity(12, 0, 20, 0), 1, 1, 2},
        {"a sloped line", line_entity(0, 0, 4, 4), line_entity(6, 2, 9, 2), 1, 1, 4},
        {"circles in a row, along x", unit, arc_entity(5, 0, 1, 0, 2 * kPi, 1), 1, 1, 3},
        {"circles in a row, along y", unit, arc_entity(5, 0, 1, 0, 2 * kPi, 1), 2, 0, 0},
        {"circles touching", unit, arc_entity(2, 0, 1, 0, 2 * kPi, 1), 1, 1, 0},
        // Touching straight across the axis, no move along it closes a gap.
        {"circles touching across", unit, arc_entity(0, 2, 1, 0, 2 * kPi, 1), 1, 0, 0},
        {"circles offset", unit, arc_entity(5, 1, 1, 0, 2 * kPi, 1), 1, 1, 5 - std::sqrt(3.0)},
        {"circle and a line, along x", unit, vertical, 1, 1, 4},
        {"line and a circle, along x", vertical, unit, 1, 1, 4},
        {"line and a circle, along y", vertical, unit, 2, 2, inf},
        {"a segment whose line cuts the circle", line_entity(1.1, 0, 1.6, 1), unit, 1, 1, 0.1},
        {"a segment beside the circle", line_entity(3, 0, 5, 2), unit, 1, 1, 2},
        // Overlapping circles: a small circle inside a large one, both ways.
        {"small inside large", arc_entity(1, 0, 1, 0, 2 * kPi, 1),
         arc_entity(0, 0, 3, 0, 2 * kPi, 1), 1, 1, 1},
        {"large around small", arc_entity(0, 0, 3, 0, 2 * kPi, 1),
         arc_entity(1, 0, 1, 0, 2 * kPi, 1), 1, 1, 1},
        {"another mode", unit, vertical, 3, 0, 0},
        {"an entity of type 0", unit, ProfileEntityRec{}, 1, 0, 0},
    };
    for (const AxisRow& row : rows) {
        SCOPED_TRACE(row.name);
        double distance = -1;
        EXPECT_EQ(DistanceProfileEntityEntity(&row.a, &row.b, row.mode, &distance), row.result);
        if (std::isinf(row.distance))
            EXPECT_TRUE(std::isinf(distance)) << distance;
        else
            EXPECT_NEAR(distance, row.distance, kClose);
    }
    EXPECT_EQ(DistanceProfileEntityEntity(&unit, &vertical, 1, nullptr), 0);
    double distance = -1;
    EXPECT_EQ(DistanceProfileEntityEntity(nullptr, &vertical, 1, &distance), 0);
    EXPECT_EQ(distance, 0.0);
}

TEST(Distances, ProfilesAlongAnAxis)
{
    ProfileOwner a = square(0, 0, 1);
    ProfileOwner right = square(3, 0.5, 1);
    ProfileOwner ring = circle(5.5, 0.5, 0.5);
    ProfileOwner far_above = square(10, 10, 1);
    double distance = -1;
    EXPECT_EQ(DistanceProfileProfile(a.get(), right.get(), DistanceAlongX, &distance), 1);
    EXPECT_NEAR(distance, 2, kClose);
    EXPECT_EQ(DistanceProfileProfile(a.get(), ring.get(), DistanceAlongX, &distance), 1);
    EXPECT_NEAR(distance, 4, kClose);
    // Nothing meets along y, and the infinite gaps are never taken.
    EXPECT_EQ(DistanceProfileProfile(a.get(), ring.get(), DistanceAlongY, &distance), 0);
    EXPECT_EQ(distance, 0.0);
    EXPECT_EQ(DistanceProfileProfile(a.get(), far_above.get(), DistanceAlongX, &distance), 0);
    EXPECT_EQ(distance, 0.0);
}

}
