// Helpers of the profile-geometry tests: points, point buffers and comparisons.
#ifndef OSMARK_TESTS_GEOMETRY_TEST_SUPPORT_H
#define OSMARK_TESTS_GEOMETRY_TEST_SUPPORT_H

#include "osmark/geometry_types.h"
#include "osmark/owners.h"
#include "osmark/point_buffers.h"

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
