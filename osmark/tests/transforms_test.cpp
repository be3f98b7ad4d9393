#include "osmark/transforms.h"

#include "geometry_test_support.h"
#include "osmark/lines_arcs.h"

#include <gtest/gtest.h>

using namespace geometry_test;

namespace {

::testing::AssertionResult same_arc(const ProfileEntityRec& actual,
                                    const ProfileEntityRec& expected)
{
    if (actual.type != EntityTypeArc)
        return ::testing::AssertionFailure() << "type " << actual.type;
    if (!near_point(P(actual.d1, actual.d2), P(expected.d1, expected.d2)) ||
        std::abs(actual.d3 - expected.d3) > kClose || std::abs(actual.d4 - expected.d4) > kClose ||
        std::abs(actual.d5 - expected.d5) > kClose || actual.direction != expected.direction ||
        actual.user != expected.user)
        return ::testing::AssertionFailure()
               << "centre (" << actual.d1 << ", " << actual.d2 << ") radius " << actual.d3
               << " angles " << actual.d4 << " to " << actual.d5 << " direction "
               << actual.direction << " user " << actual.user;
    return ::testing::AssertionSuccess();
}

TEST(Transforms, PointsAndLines)
{
    const Point2DRec centre = P(1, 0);
    Point2DRec out = P(9, 9);
    PointRotate(2, 0, &centre, kPi / 2, &out);
    EXPECT_TRUE(near_point(out, P(1, 1)));
    const Point2DRec first = P(5, 5);
    const Point2DRec second = P(2, 1);
    PointTranslate(0, 0, &first, &second, &out);
    EXPECT_TRUE(near_point(out, P(3, 4), 0.0));

    // In place, one turn for all points.
    Point2DRec points[] = {P(2, 0), P(1, 1), P(0, 0)};
    PointsRotate(3, points, &centre, kPi, points);
    EXPECT_TRUE(near_points({points[0], points[1], points[2]}, {P(0, 0), P(1, -1), P(2, 0)}));
    PointsTranslate(3, points, &first, &second, points);
    EXPECT_TRUE(near_points({points[0], points[1], points[2]}, {P(3, 4), P(4, 3), P(5, 4)}));

    Point2DRec start{}, end{};
    LineRotate(2, 0, 1, 1, &centre, -kPi / 2, &start, &end);
    EXPECT_TRUE(near_points({start, end}, {P(1, -1), P(2, 0)}));
    LineTranslate(0, 0, 1, 1, &first, &second, &start, &end);
    EXPECT_TRUE(near_points({start, end}, {P(3, 4), P(4, 5)}));

    // A NULL pointer leaves the outputs alone.
    out = P(9, 9);
    PointRotate(2, 0, nullptr, 1, &out);
    PointTranslate(2, 0, &first, nullptr, &out);
    PointsRotate(0, points, &centre, 1, points);
    EXPECT_TRUE(near_point(out, P(9, 9), 0.0));
    EXPECT_TRUE(near_point(points[0], P(3, 4)));
}

TEST(Transforms, Entities)
{
    // The counter-clockwise quarter arc about (1, 0) from 0 to pi/2.
    const ProfileEntityRec quarter = arc_entity(1, 0, 1, 0, kPi / 2, 1, 7);
    const Point2DRec origin = P(0, 0);
    ProfileEntityRec out{};
    ProfileEntityRotate(&quarter, &origin, kPi, &out);
    EXPECT_TRUE(same_arc(out, arc_entity(-1, 0, 1, kPi, 1.5 * kPi, 1, 7)));

    const struct {
        const char* name;
        ProfileEntityRec entity;
        double value;
        int32_t axis;
        ProfileEntityRec expected;
    } reflections[] = {
        // The arc still runs from the image of its start to the image of its end.
        {"arc in y = 0", quarter, 0, ReflectHorizontal, arc_entity(1, 0, 1, 0, 1.5 * kPi, -1, 7)},
        {"arc in x = 1", quarter, 1, ReflectVertical, arc_entity(1, 0, 1, kPi, kPi / 2, -1, 7)},
        {"clockwise arc in y = 1", arc_entity(0, 0, 1, kPi, 0, -1), 1, ReflectHorizontal,
         arc_entity(0, 2, 1, kPi, 0, 1)},
        {"line in y = 1", line_entity(0, 0, 2, 1, 3), 1, ReflectHorizontal,
         line_entity(0, 2, 2, 1, 3)},
        {"line in x = 1", line_entity(0, 0, 2, 1), 1, ReflectVertical, line_entity(2, 0, 0, 1)},
        {"line, axis 3", line_entity(0, 0, 2, 1), 1, 3, line_entity(0, 0, 2, 1)},
        {"arc, axis 0", quarter, 1, 0, quarter},
    };
    for (const auto& row : reflections) {
        SCOPED_TRACE(row.name);
        ProfileEntityRec mirrored{};
        ProfileEntityReflect(&row.entity, row.value, row.axis, &mirrored);
        if (row.expected.type == EntityTypeArc) {
            EXPECT_TRUE(same_arc(mirrored, row.expected));
        } else {
            EXPECT_TRUE(near_points({start_of(mirrored), end_of(mirrored)},
                                    {start_of(row.expected), end_of(row.expected)}));
            EXPECT_EQ(mirrored.user, row.expected.user);
        }
    }

    const Point2DRec first = P(1, 1);
    const Point2DRec second = P(0, 3);
    ProfileEntityTranslate(&quarter, &first, &second, &out);
    EXPECT_TRUE(same_arc(out, arc_entity(2, -2, 1, 0, kPi / 2, 1, 7)));
    // In place, and a full circle stays a full circle.
    ProfileEntityRec full = arc_entity(0, 0, 2, 0, 2 * kPi, 1);
    ProfileEntityRotate(&full, &first, kPi / 2, &full);
    EXPECT_TRUE(near_point(P(full.d1, full.d2), P(2, 0)));
    EXPECT_NEAR(ArcAngle(full.d4, full.d5, full.direction), 2 * kPi, kClose);
    ProfileEntityRec none{};
    none.user = 4;
    ProfileEntityRotate(&none, &first, 1, &out);
    EXPECT_EQ(out.type, static_cast<uint32_t>(EntityTypeNone));
    EXPECT_EQ(out.user, 4u);
}

TEST(Transforms, ProfilesAreNewAndTheSourceStays)
{
    ProfileOwner source = square(0, 0, 1);
    source->id = 12;
    source->level = 3;
    source->accuracy = 1e-4;
    ProfileAddArc(source.get(), 5, 5, 1, 0, kPi, 1, 9);
    const Point2DRec first = P(10, 0);
    const Point2DRec second = P(0, 0);

    Profile* raw = reinterpret_cast<Profile*>(1);
    ProfileTranslate(source.get(), &first, &second, &raw);
    ProfileOwner moved(raw);
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(moved->id, 12);
    EXPECT_EQ(moved->level, 0);
    EXPECT_EQ(moved->accuracy, 1e-4);
    EXPECT_EQ(moved->cache_flags, 0u);
    ASSERT_EQ(ProfileEntityCount(moved.get()), 5u);
    EXPECT_TRUE(near_point(start_of(*ProfileEntity(moved.get(), 1)), P(11, 0)));
    EXPECT_TRUE(near_point(P(ProfileEntity(moved.get(), 4)->d1, 5), P(15, 5)));
    EXPECT_EQ(ProfileEntity(moved.get(), 4)->user, 9u);
    EXPECT_TRUE(near_point(start_of(*ProfileEntity(source.get(), 1)), P(1, 0), 0.0));

    ProfileRemove(source.get(), 4);
    ProfileReflect(source.get(), 0, ReflectVertical, &raw);
    ProfileOwner mirrored(raw);
    ASSERT_NE(mirrored, nullptr);
    EXPECT_NEAR(ProfileArea(mirrored.get()), 1, kClose);
    EXPECT_EQ(ProfileDir(mirrored.get()), -1); // a mirror image turns the other way
    EXPECT_EQ(ProfileOpen(mirrored.get()), 0);

    const Point2DRec centre = P(0, 0);
    ProfileRotate(source.get(), &centre, kPi / 2, &raw);
    ProfileOwner turned(raw);
    ASSERT_NE(turned, nullptr);
    EXPECT_EQ(ProfileDir(turned.get()), 1);
    Rectangle2DRec extents{};
    ASSERT_EQ(ProfileExtents(turned.get(), &extents), 1);
    EXPECT_TRUE(near_point(extents.min, P(-1, 0)));
    EXPECT_TRUE(near_point(extents.max, P(0, 1)));

    raw = reinterpret_cast<Profile*>(1);
    ProfileTranslate(nullptr, &first, &second, &raw);
    EXPECT_EQ(raw, nullptr);
    raw = reinterpret_cast<Profile*>(1);
    ProfileRotate(source.get(), nullptr, 1, &raw);
    EXPECT_EQ(raw, nullptr);
    ProfileReflect(source.get(), 0, 1, nullptr); // nothing to store into
}

}
