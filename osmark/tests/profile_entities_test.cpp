#include "osmark/profile_entities.h"

#include "geometry_test_support.h"
#include "osmark/testing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace geometry_test;

namespace {

// Sets the entity accuracy for one test and puts the previous value back.
struct AccuracyScope {
    double previous;
    explicit AccuracyScope(double accuracy) : previous(ProfileEntitySetAccuracy(accuracy)) {}
    ~AccuracyScope() { ProfileEntitySetAccuracy(previous); }
};

TEST(ProfileEntities, EvaluationAndTangents)
{
    const ProfileEntityRec line = line_entity(0, 0, 2, 0);
    const struct {
        double t;
        Point2DRec point;
    } rows[] = {{-3, P(0, 0)}, {0.9999995, P(2, 0)}, {0.5, P(1, 0)}};
    for (const auto& row : rows) {
        Point2DRec point{};
        EXPECT_EQ(ProfileEntityPoint(&line, row.t, 1, &point), 1);
        EXPECT_TRUE(near_point(point, row.point, 0.0)) << row.t;
    }
    Point2DRec tangent{};
    EXPECT_EQ(ProfileEntityTangent(&line, 0.3, &tangent), 1);
    EXPECT_TRUE(near_point(tangent, P(2, 0), 0.0)); // as long as the line
    const ProfileEntityRec clockwise = arc_entity(0, 0, 3, kPi / 2, 0, -1);
    EXPECT_EQ(ProfileEntityTangent(&clockwise, 0, &tangent), 1);
    EXPECT_TRUE(near_point(tangent, P(1, 0)));
    Point2DRec pair[2];
    EXPECT_EQ(ProfileEntityPoint(&clockwise, 0.5, 2, pair), 1);
    EXPECT_TRUE(near_point(pair[0], P(3 * std::sqrt(0.5), 3 * std::sqrt(0.5))));

    ProfileEntityRec none{};
    ProfileEntityInitialise(&none);
    EXPECT_EQ(ProfileEntityPoint(&none, 0, 1, pair), 0);
    EXPECT_EQ(ProfileEntityTangent(&none, 0, &tangent), 0);
    EXPECT_EQ(ProfileEntityPoint(nullptr, 0, 1, pair), 0);
    EXPECT_EQ(ProfileEntityPoint(&line, 0, 1, nullptr), 0);
    EXPECT_EQ(ProfileEntityInitialise(nullptr), nullptr);
}

TEST(ProfileEntities, LengthCopyAndReverse)
{
    const ProfileEntityRec line = line_entity(0, 0, 3, 4, 77);
    const ProfileEntityRec arc = arc_entity(1, 1, 2, 0, kPi / 2, 1, 78);
    EXPECT_EQ(ProfileEntityLength(&line), 5.0);
    EXPECT_NEAR(ProfileEntityLength(&arc), kPi, kClose);
    ProfileEntityRec none{};
    EXPECT_EQ(ProfileEntityLength(&none), 0.0);
    EXPECT_EQ(ProfileEntityLength(nullptr), 0.0);

    ProfileEntityRec copy{};
    ASSERT_EQ(ProfileEntityCopy(&copy, &arc), 1);
    EXPECT_EQ(copy.user, 78u);
    EXPECT_EQ(copy.d5, kPi / 2);
    ProfileEntityRec invalid = line;
    invalid.type = 3;
    EXPECT_EQ(ProfileEntityCopy(&copy, &invalid), 0);
    EXPECT_EQ(copy.type, static_cast<uint32_t>(EntityTypeArc)); // untouched
    EXPECT_EQ(ProfileEntityCopy(nullptr, &line), 0);

    ProfileEntityRec reversed = line;
    ProfileEntityReverse(&reversed);
    EXPECT_TRUE(near_point(start_of(reversed), P(3, 4), 0.0));
    EXPECT_TRUE(near_point(end_of(reversed), P(0, 0), 0.0));
    reversed = arc;
    ProfileEntityReverse(&reversed);
    EXPECT_EQ(reversed.d4, kPi / 2);
    EXPECT_EQ(reversed.d5, 0.0);
    EXPECT_EQ(reversed.direction, -1);
    EXPECT_TRUE(near_point(start_of(reversed), end_of(arc)));
    EXPECT_TRUE(near_point(end_of(reversed), start_of(arc)));
    // Direction 0 reads as counter-clockwise: its reverse is clockwise.
    ProfileEntityRec unset = arc_entity(0, 0, 1, 0, 1, 0);
    ProfileEntityReverse(&unset);
    EXPECT_EQ(unset.direction, -1);
}

TEST(ProfileEntities, Extents)
{
    const struct {
        ProfileEntityRec entity;
        Rectangle2DRec extents;
    } rows[] = {
        {arc_entity(0, 0, 1, 0, kPi / 2, 1), {P(0, 0), P(1, 1)}},
        {arc_entity(0, 0, 1, 0, 2 * kPi, 1), {P(-1, -1), P(1, 1)}},
        {arc_entity(0, 0, 1, 0, kPi / 2, -1), {P(-1, -1), P(1, 1)}}, // the long way round
        {arc_entity(2, 3, 1, 1.5 * kPi, kPi / 2, 1), {P(2, 2), P(3, 4)}},
        {line_entity(3, 4, 1, -2), {P(1, -2), P(3, 4)}},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(::testing::Message() << "row " << i);
        Rectangle2DRec extents{P(9, 9), P(9, 9)};
        EXPECT_EQ(ProfileEntityExtents(&rows[i].entity, &extents), 1);
        EXPECT_TRUE(near_point(extents.min, rows[i].extents.min));
        EXPECT_TRUE(near_point(extents.max, rows[i].extents.max));
    }
    ProfileEntityRec none{};
    Rectangle2DRec extents{P(9, 9), P(9, 9)};
    EXPECT_EQ(ProfileEntityExtents(&none, &extents), 0);
    EXPECT_TRUE(near_point(extents.min, P(0, 0), 0.0));
    EXPECT_TRUE(near_point(extents.max, P(0, 0), 0.0));
}

TEST(ProfileEntities, PointOnWithParameter)
{
    const ProfileEntityRec line = line_entity(0, 0, 10, 0);
    const ProfileEntityRec quarter = arc_entity(0, 0, 1, 0, kPi / 2, 1);
    const ProfileEntityRec dot = line_entity(1, 1, 1.0000005, 1);
    const double h = std::sqrt(0.5);
    const struct {
        const ProfileEntityRec& entity;
        Point2DRec point;
        int32_t on;
        double t;
    } rows[] = {
        {line, P(5, 0), 1, 0.5},
        {line, P(5, 0.0000005), 1, 0.5},
        {line, P(5, 0.000002), 0, -1},
        {line, P(10.000002, 0), 0, -1}, // beyond the end
        {line, P(0, 0), 1, 0},
        {dot, P(1, 1), 1, 0},     // a zero-length line
        {quarter, P(1, 0), 1, 0}, // the start is at 0, not a whole turn on
        {quarter, P(1, -0.0000005), 1, 0},
        {quarter, P(h, h), 1, 0.5},
        {quarter, P(0, 1), 1, 1},
        {quarter, P(-h, -h), 0, -1},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(::testing::Message() << "row " << i);
        double t = -1;
        EXPECT_EQ(PointOnProfileEntity(&rows[i].entity, &rows[i].point, &t), rows[i].on);
        EXPECT_NEAR(t, rows[i].t, kClose);
        EXPECT_EQ(PointOnProfileEntity(&rows[i].entity, &rows[i].point, nullptr), rows[i].on);
    }
}

TEST(ProfileEntities, AccuracyIsTheToleranceOfTheEntityTests)
{
    const ProfileEntityRec line = line_entity(0, 0, 10, 0);
    const ProfileEntityRec circle = arc_entity(0, 0, 1, 0, 2 * kPi, 1);
    const Point2DRec off_line = P(5, 0.0005);
    const Point2DRec off_circle = P(1.0005, 0);
    {
        AccuracyScope coarse(1e-3);
        EXPECT_EQ(PointOnProfileEntity(&line, &off_line, nullptr), 1);
        EXPECT_EQ(PointOnProfileEntity(&circle, &off_circle, nullptr), 1);
        EXPECT_EQ(ProfileEntitySetAccuracy(1e-3), 1e-3);
    }
    {
        AccuracyScope exact(-1); // stored as 0: with strict tests nothing is on anything
        EXPECT_EQ(ProfileEntitySetAccuracy(0), 0.0);
        const Point2DRec on = P(5, 0);
        const Point2DRec on_circle = P(1, 0);
        EXPECT_EQ(PointOnProfileEntity(&line, &on, nullptr), 0);
        EXPECT_EQ(PointOnProfileEntity(&circle, &on_circle, nullptr), 0);
    }
    EXPECT_EQ(PointOnProfileEntity(&line, &off_line, nullptr), 0);
}

TEST(ProfileEntities, ClosestPoint)
{
    const ProfileEntityRec line = line_entity(0, 0, 10, 0);
    const ProfileEntityRec quarter = arc_entity(0, 0, 1, 0, kPi / 2, 1);
    const Point2DRec point = P(-1, -1);
    Point2DRec out{};
    ProfileEntityPointClosestTo(&line, &point, &out);
    EXPECT_TRUE(near_point(out, P(0, 0)));
    ProfileEntityPointClosestTo(&quarter, &point, &out);
    EXPECT_TRUE(near_point(out, P(0, 1)));
    ProfileEntityPointClosestTo(nullptr, &point, &out);
}

TEST(ProfileEntities, FirstPointOn)
{
    const ProfileEntityRec line = line_entity(0, 0, 10, 0);
    const std::vector<Point2DRec> points = {P(5, 0), P(2.000005, 0), P(2, 0), P(0, 0),
                                            P(8, 0), P(10, 0),       P(3, 1)};
    const struct {
        int32_t from_start;
        int32_t keep_end;
        Point2DRec chosen;
    } rows[] = {
        {1, 0, P(2.000005, 0)}, // the start is passed over; of near-equal t the first wins
        {1, 1, P(0, 0)},
        {0, 0, P(8, 0)},
        {0, 1, P(10, 0)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message()
                     << "from start " << row.from_start << ", keep end " << row.keep_end);
        Point2DRec out{};
        EXPECT_EQ(ProfileEntityFirstPointOn(&line, points.data(),
                                            static_cast<uint32_t>(points.size()), row.from_start,
                                            row.keep_end, &out),
                  1);
        EXPECT_TRUE(near_point(out, row.chosen, 0.0));
    }
    const Point2DRec off[] = {P(3, 1), P(4, 1)};
    Point2DRec out = P(9, 9);
    EXPECT_EQ(ProfileEntityFirstPointOn(&line, off, 2, 1, 0, &out), 0);
    EXPECT_TRUE(near_point(out, P(3, 1), 0.0));
    out = P(9, 9);
    EXPECT_EQ(ProfileEntityFirstPointOn(&line, nullptr, 0, 1, 0, &out), 0);
    EXPECT_TRUE(near_point(out, P(9, 9), 0.0));

    // On an arc, the point at the start is the furthest from the end.
    const ProfileEntityRec quarter = arc_entity(0, 0, 1, 0, kPi / 2, 1);
    const double h = std::sqrt(0.5);
    const Point2DRec on_arc[] = {P(1, 0), P(h, h)};
    EXPECT_EQ(ProfileEntityFirstPointOn(&quarter, on_arc, 2, 0, 0, &out), 1);
    EXPECT_TRUE(near_point(out, P(h, h), 0.0));
    EXPECT_EQ(ProfileEntityFirstPointOn(&quarter, on_arc, 2, 1, 1, &out), 1);
    EXPECT_TRUE(near_point(out, P(1, 0), 0.0));
}

TEST(ProfileEntities, MovingAnEnd)
{
    ProfileEntityRec line = line_entity(0, 0, 4, 0, 5);
    const Point2DRec start = P(0, 0);
    EXPECT_EQ(ProfileEntityChangeEndPoint(&line, 0, &start), 0);
    EXPECT_TRUE(near_point(end_of(line), P(0, 0), 0.0)); // the move is kept
    const Point2DRec new_start = P(-1, 2);
    EXPECT_EQ(ProfileEntityChangeEndPoint(&line, 1, &new_start), 1);
    EXPECT_TRUE(near_point(start_of(line), P(-1, 2), 0.0));

    ProfileEntityRec arc = arc_entity(0, 0, 1, 0, kPi / 2, 1, 9);
    const Point2DRec left = P(-1, 0);
    ASSERT_EQ(ProfileEntityChangeEndPoint(&arc, 0, &left), 1);
    EXPECT_TRUE(near_point(P(arc.d1, arc.d2), P(0, 0)));
    EXPECT_NEAR(arc.d3, 1, kClose);
    EXPECT_NEAR(arc.d4, 0, kClose);
    EXPECT_NEAR(arc.d5, kPi, kClose);
    EXPECT_EQ(arc.direction, 1);
    EXPECT_EQ(arc.user, 9u);
    // An arc whose ends would meet cannot be fitted: unchanged.
    const ProfileEntityRec before = arc;
    const Point2DRec onto_start = P(1, 0);
    EXPECT_EQ(ProfileEntityChangeEndPoint(&arc, 0, &onto_start), 0);
    EXPECT_EQ(arc.d5, before.d5);
    EXPECT_EQ(arc.d3, before.d3);
    ProfileEntityRec none{};
    EXPECT_EQ(ProfileEntityChangeEndPoint(&none, 0, &onto_start), 0);
}

TEST(ProfileEntities, Split)
{
    const ProfileEntityRec line = line_entity(0, 0, 4, 0, 12);
    const Point2DRec at = P(1, 0);
    ProfileEntityRec parts[2];
    ASSERT_EQ(ProfileEntitySplit(&line, &at, parts), 1);
    EXPECT_TRUE(near_point(start_of(parts[0]), P(0, 0), 0.0));
    EXPECT_TRUE(near_point(end_of(parts[0]), P(1, 0), 0.0));
    EXPECT_TRUE(near_point(start_of(parts[1]), P(1, 0), 0.0));
    EXPECT_TRUE(near_point(end_of(parts[1]), P(4, 0), 0.0));
    EXPECT_EQ(parts[0].user, 12u);
    EXPECT_EQ(parts[1].user, 12u);

    const ProfileEntityRec half = arc_entity(0, 0, 1, 0, kPi, 1);
    const Point2DRec top = P(0, 1);
    ASSERT_EQ(ProfileEntitySplit(&half, &top, parts), 1);
    EXPECT_NEAR(parts[0].d4, 0, kClose);
    EXPECT_NEAR(parts[0].d5, kPi / 2, kClose);
    EXPECT_NEAR(parts[1].d4, kPi / 2, kClose);
    EXPECT_NEAR(parts[1].d5, kPi, kClose);
    EXPECT_EQ(ProfileEntitySplit(&half, nullptr, parts), 0);
}

TEST(ProfileEntities, Intersections)
{
    const struct {
        ProfileEntityRec a;
        ProfileEntityRec b;
        std::vector<Point2DRec> points;
        int32_t overlap; // 7: left alone
    } rows[] = {
        {line_entity(0, 0, 2, 2), line_entity(0, 2, 2, 0), {P(1, 1)}, 0},
        {line_entity(0, 0, 4, 0), line_entity(2, 0, 6, 0), {P(2, 0), P(4, 0)}, 1},
        // Overlaps are found from ends of each that lie on the other: one within the
        // other shares no such pair.
        {line_entity(0, 0, 4, 0), line_entity(1, 0, 2, 0), {}, 7},
        {line_entity(0, 0, 4, 0), line_entity(0, 1, 4, 1), {}, 7},
        {line_entity(-2, 0.5, 2, 0.5),
         arc_entity(0, 0, 1, 0, kPi, 1),
         {P(std::sqrt(0.75), 0.5), P(-std::sqrt(0.75), 0.5)},
         0},
        {arc_entity(0, 0, 1, 0, kPi, 1),
         line_entity(-2, 0.5, 2, 0.5),
         {P(std::sqrt(0.75), 0.5), P(-std::sqrt(0.75), 0.5)},
         0},
        {line_entity(5, 5, 6, 6), arc_entity(0, 0, 1, 0, kPi, 1), {}, 7},
        {arc_entity(0, 0, 1, 0, kPi / 2, 1),
         arc_entity(0, 0, 1, kPi / 4, 3 * kPi / 4, 1),
         {P(std::sqrt(0.5), std::sqrt(0.5)), P(0, 1)},
         1},
        {arc_entity(0, 0, 1, 0, 2 * kPi, 1),
         arc_entity(1, 0, 1, 0, 2 * kPi, 1),
         {P(0.5, -std::sqrt(0.75)), P(0.5, std::sqrt(0.75))},
         0},
        {ProfileEntityRec{}, line_entity(0, 0, 1, 1), {}, 7},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(::testing::Message() << "row " << i);
        Buffer buffer;
        int32_t overlap = 7;
        EXPECT_EQ(ProfileEntityIntersect(&rows[i].a, &rows[i].b, buffer, &overlap),
                  static_cast<int32_t>(rows[i].points.size()));
        EXPECT_TRUE(near_points(buffer.points(), rows[i].points));
        EXPECT_EQ(overlap, rows[i].overlap);
        EXPECT_EQ(ProfileEntityIntersect(&rows[i].a, &rows[i].b, nullptr, nullptr),
                  static_cast<int32_t>(rows[i].points.size()));
    }
}

TEST(ProfileEntities, RepeatedIntersectionsAllocateNothing)
{
    const ProfileEntityRec a = arc_entity(0, 0, 1, 0, 2 * kPi, 1);
    const ProfileEntityRec b = line_entity(-2, 0.5, 2, 0.5);
    const ProfileEntityRec c = line_entity(0, 0, 4, 0);
    const ProfileEntityRec d = line_entity(2, 0, 6, 0);
    Buffer output;
    const auto run = [&] {
        for (int i = 0; i < 10000; ++i) {
            PointBufferSetCount(output, 0);
            int32_t overlap = 0;
            ProfileEntityIntersect(&a, &b, output, &overlap);
            ProfileEntityIntersect(&c, &d, output, &overlap);
        }
    };
    run(); // warm-up
    uint32_t before = 0;
    osmark_testing_allocation_counts(nullptr, &before);
    run();
    uint32_t after = 0;
    osmark_testing_allocation_counts(nullptr, &after);
    EXPECT_EQ(after, before);
    EXPECT_EQ(PointBufferGetCount(output), 4u);
}

}
