// Helpers of the profile-geometry tests: points, point buffers and comparisons.
#ifndef OSMARK_TESTS_GEOMETRY_TEST_SUPPORT_H
#define OSMARK_TESTS_GEOMETRY_TEST_SUPPORT_H

#include "osmark/geometry_types.h"
#include "osmark/owners.h"
#include "osmark/point_buffers.h"
#include "osmark/profile_entities.h"
#include "osmark/profiles.h"

#include <gtest/gtest.h>

#include <numbers>
#include <vector>

namespace geometry_test {

constexpr double kPi = std::numbers::pi;
// Results computed through trigonometry agree to rounding, not exactly.
constexpr double kClose = 1e-9;

inline Point2DRec P(double x, double y)
{
    return Point2DRec{x, y};
}

inline Line2DRec segment(double x1, double y1, double x2, double y2)
{
    return Line2DRec{P(x1, y1), P(x2, y2)};
}

inline Arc2DRec arc(double cx, double cy, double radius, double start, double end,
                    int32_t direction)
{
    return Arc2DRec{P(cx, cy), radius, start, end, direction};
}

// A point buffer that goes back to the free list at the end of the test.
struct Buffer {
    osmark::PointBufferOwner owner{PointBufferCreate()};

    PointBuffer get() const { return owner.get(); }
    operator PointBuffer() const { return owner.get(); }

    std::vector<Point2DRec> points() const
    {
        std::vector<Point2DRec> result;
        for (uint32_t i = 0; i < owner->count; ++i)
            result.push_back(owner->points[i]);
        return result;
    }
};

inline ProfileEntityRec line_entity(double x1, double y1, double x2, double y2, uint32_t user = 0)
{
    ProfileEntityRec entity{};
    entity.type = EntityTypeLine;
    entity.d1 = x1;
    entity.d2 = y1;
    entity.d3 = x2;
    entity.d4 = y2;
    entity.user = user;
    return entity;
}

inline ProfileEntityRec arc_entity(double cx, double cy, double radius, double start, double end,
                                   int32_t direction, uint32_t user = 0)
{
    ProfileEntityRec entity{};
    entity.type = EntityTypeArc;
    entity.d1 = cx;
    entity.d2 = cy;
    entity.d3 = radius;
    entity.d4 = start;
    entity.d5 = end;
    entity.direction = direction;
    entity.user = user;
    return entity;
}

inline Point2DRec start_of(const ProfileEntityRec& entity)
{
    Point2DRec point{};
    ProfileEntityPoint(&entity, 0, 1, &point);
    return point;
}

inline Point2DRec end_of(const ProfileEntityRec& entity)
{
    Point2DRec point{};
    ProfileEntityPoint(&entity, 1, 1, &point);
    return point;
}

using osmark::ProfileOwner;

inline ProfileOwner new_profile()
{
    ProfileOwner profile(ProfileCreate());
    EXPECT_NE(profile, nullptr);
    return profile;
}

// A closed polygon through the corners in order; each line's user word is its index.
inline ProfileOwner polygon(const std::vector<Point2DRec>& corners)
{
    ProfileOwner profile = new_profile();
    for (size_t i = 0; i < corners.size(); ++i) {
        const Point2DRec& a = corners[i];
        const Point2DRec& b = corners[(i + 1) % corners.size()];
        ProfileAddLine(profile.get(), a.x, a.y, b.x, b.y, static_cast<uint32_t>(i));
    }
    return profile;
}

// A counter-clockwise square with its lower left corner at (x, y).
inline ProfileOwner square(double x, double y, double side)
{
    return polygon({P(x, y), P(x + side, y), P(x + side, y + side), P(x, y + side)});
}

// A full circle as one arc.
inline ProfileOwner circle(double cx, double cy, double radius, int32_t direction = 1)
{
    ProfileOwner profile = new_profile();
    if (direction >= 0)
        ProfileAddArc(profile.get(), cx, cy, radius, 0, 2 * kPi, 1, 0);
    else
        ProfileAddArc(profile.get(), cx, cy, radius, 2 * kPi, 0, -1, 0);
    return profile;
}

inline ::testing::AssertionResult near_point(const Point2DRec& actual, const Point2DRec& expected,
                                             double tolerance = kClose)
{
    if (std::abs(actual.x - expected.x) <= tolerance &&
        std::abs(actual.y - expected.y) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << actual.x << ", " << actual.y << ") is not ("
                                         << expected.x << ", " << expected.y << ")";
}

inline ::testing::AssertionResult near_points(const std::vector<Point2DRec>& actual,
                                              const std::vector<Point2DRec>& expected,
                                              double tolerance = kClose)
{
    if (actual.size() != expected.size())
        return ::testing::AssertionFailure()
               << actual.size() << " points instead of " << expected.size();
    for (size_t i = 0; i < actual.size(); ++i) {
        const ::testing::AssertionResult one = near_point(actual[i], expected[i], tolerance);
        if (!one)
            return ::testing::AssertionFailure() << "point " << i << ": " << one.message();
    }
    return ::testing::AssertionSuccess();
}

}

#endif
