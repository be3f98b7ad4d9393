#include "osmark/intersections.h"

#include "geometry_test_support.h"
#include "osmark/stick_to.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace geometry_test;

namespace {

const double kHalfRoot3 = std::sqrt(3.0) / 2;

TEST(Intersections, InfiniteLinesThroughTwoPoints)
{
    const struct {
        Line2DRec a;
        Line2DRec b;
        int32_t kind;
        Point2DRec point;
    } rows[] = {
        {segment(0, 0, 2, 2), segment(0, 2, 2, 0), IntersectionCrossing, P(1, 1)},
        {segment(0, 0, 1, 0), segment(0, 1, 1, 1), IntersectionNone, P(9, 9)},
        {segment(0, 0, 2, 0), segment(1, 0, 3, 0), IntersectionTouching, P(1, 0)},
        // b's end lies on a.
        {segment(0, 0, 2, 0), segment(3, 0, 1, 0), IntersectionTouching, P(1, 0)},
        {segment(1, -5, 1, 5), segment(0, 3, 2, 3), IntersectionCrossing, P(1, 3)},
        {segment(0, 3, 2, 3), segment(1, -5, 1, 5), IntersectionCrossing, P(1, 3)},
        {segment(1, -5, 1, 5), segment(0, 0, 2, 4), IntersectionCrossing, P(1, 2)},
        {segment(0, 1, 5, 1), segment(0, 0, 2, 4), IntersectionCrossing, P(0.5, 1)},
        // Beyond both segments.
        {segment(0, 0, 2, 4), segment(7, 0, 7, 1), IntersectionCrossing, P(7, 14)},
        {segment(0, 0, 2, 4), segment(0, 8, 1, 8), IntersectionCrossing, P(4, 8)},
        {segment(0, 0, 1, 2), segment(5, 0, 6, 2), IntersectionNone, P(9, 9)},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(::testing::Message() << "row " << i);
        Point2DRec point = P(9, 9);
        EXPECT_EQ(IntersectionPoint(&rows[i].a.start, &rows[i].a.end, &rows[i].b.start,
                                    &rows[i].b.end, &point),
                  rows[i].kind);
        EXPECT_TRUE(near_point(point, rows[i].point));
        EXPECT_EQ(IntersectionPoint(&rows[i].a.start, &rows[i].a.end, &rows[i].b.start,
                                    &rows[i].b.end, nullptr),
                  rows[i].kind);
    }
}

TEST(Intersections, TwoSegments)
{
    const struct {
        Line2DRec a;
        Line2DRec b;
        std::vector<Point2DRec> points;
    } rows[] = {
        {segment(0, 0, 2, 2), segment(0, 2, 2, 0), {P(1, 1)}},
        {segment(0, 0, 1, 0), segment(1, 0, 2, 0), {P(1, 0)}}, // collinear, end to end
        {segment(1, 0, 0, 0), segment(2, 0, 1, 0), {P(1, 0)}},
        {segment(0, 0, 2, 0), segment(1, 0, 3, 0), {}}, // collinear overlap: not here
        {segment(0, 0, 4, 0), segment(1, 0, 2, 0), {}},
        {segment(0, 0, 1, 1), segment(2, 0, 3, 1), {}}, // parallel, apart
        {segment(0, 0, 1, 1), segment(3, 0, 2, 1), {}}, // the lines cross beyond the segments
        {segment(0, 0, 2, 0), segment(1, 0, 1, 5), {P(1, 0)}}, // T
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(::testing::Message() << "row " << i);
        Buffer buffer;
        EXPECT_EQ(IntersectLineLine(&rows[i].a, &rows[i].b, buffer),
                  static_cast<int32_t>(rows[i].points.size()));
        EXPECT_TRUE(near_points(buffer.points(), rows[i].points));
        EXPECT_EQ(IntersectLineLine(&rows[i].a, &rows[i].b, nullptr),
                  static_cast<int32_t>(rows[i].points.size()));
    }
    const Line2DRec line = segment(0, 0, 1, 1);
    EXPECT_EQ(IntersectLineLine(nullptr, &line, nullptr), 0);
    EXPECT_EQ(IntersectLineLine(&line, nullptr, nullptr), 0);
}

TEST(Intersections, InfiniteLines)
{
    const Point2DRec origin = P(0, 0);
    const Point2DRec corner = P(5, 5);
    Buffer buffer;
    EXPECT_EQ(IntersectRayRay(&origin, 0, &corner, kPi / 2, buffer), 1);
    EXPECT_EQ(IntersectRayRay(&origin, 0, &corner, kPi, buffer), 0);
    EXPECT_EQ(IntersectRayRay(&origin, 0, &corner, 2 * kPi, buffer), 0);
    EXPECT_EQ(IntersectRayRay(&origin, 0.3, &origin, 1.2, buffer), 1); // same point
    EXPECT_EQ(IntersectRayRay(&corner, kPi / 4, &origin, 1.75 * kPi, buffer), 1);
    EXPECT_TRUE(near_points(buffer.points(), {P(5, 0), P(0, 0), P(0, 0)}));
}

TEST(Intersections, LineAndCircleOrArc)
{
    const Point2DRec centre = P(0, 0);
    const Point2DRec top = P(0, 1);
    const Point2DRec origin = P(0, 0);
    const Point2DRec above = P(0, 1.5);
    {
        Buffer buffer;
        EXPECT_EQ(IntersectRayCircle(&top, 0, &centre, 1, buffer), 1); // tangent
        EXPECT_TRUE(near_points(buffer.points(), {P(0, 1)}));
    }
    {
        Buffer buffer;
        EXPECT_EQ(IntersectRayCircle(&origin, 0, &centre, 1, buffer), 2);
        EXPECT_EQ(IntersectRayCircle(&origin, kPi, &centre, 1, buffer), 2);
        EXPECT_TRUE(near_points(buffer.points(), {P(1, 0), P(-1, 0), P(-1, 0), P(1, 0)}));
    }
    EXPECT_EQ(IntersectRayCircle(&above, 0, &centre, 1, nullptr), 0);
    {
        Buffer buffer;
        EXPECT_EQ(IntersectRayArc(&origin, 0, &centre, 1, 0, kPi / 2, 1, buffer), 1);
        EXPECT_EQ(IntersectRayArc(&origin, kPi / 2, &centre, 1, 0, kPi, -1, buffer),
                  1); // clockwise: the lower half
        EXPECT_TRUE(near_points(buffer.points(), {P(1, 0), P(0, -1)}));
    }
    {
        const Line2DRec chord = segment(-2, 0.5, 2, 0.5);
        const Line2DRec short_chord = segment(-0.5, 0.5, 0.5, 0.5);
        const Arc2DRec upper = arc(0, 0, 1, 0, kPi, 1);
        const Arc2DRec right_quarter = arc(0, 0, 1, 0, kPi / 2, 1);
        Buffer buffer;
        EXPECT_EQ(IntersectLineArc(&chord, &upper, buffer), 2);
        EXPECT_EQ(IntersectLineArc(&chord, &right_quarter, buffer), 1);
        EXPECT_EQ(IntersectLineArc(&short_chord, &upper, buffer), 0);
        EXPECT_TRUE(near_points(buffer.points(),
                                {P(kHalfRoot3, 0.5), P(-kHalfRoot3, 0.5), P(kHalfRoot3, 0.5)}));
        EXPECT_EQ(IntersectLineArc(nullptr, &upper, buffer), 0);
        EXPECT_EQ(IntersectLineArc(&chord, nullptr, buffer), 0);
    }
}

TEST(Intersections, TwoCircles)
{
    const struct {
        Point2DRec centre1;
        double radius1;
        Point2DRec centre2;
        double radius2;
        std::vector<Point2DRec> points;
    } rows[] = {
        {P(0, 0), 1, P(1, 0), 1, {P(0.5, kHalfRoot3), P(0.5, -kHalfRoot3)}},
        {P(0, 0), 1, P(3, 0), 2, {P(1, 0)}}, // touching from outside
        {P(0, 0), 2, P(1, 0), 1, {P(2, 0)}}, // touching from inside
        {P(1, 0), 1, P(0, 0), 2, {P(2, 0)}},
        {P(0, 0), 1, P(5, 0), 1, {}},   // apart
        {P(0, 0), 3, P(0.5, 0), 1, {}}, // one inside the other
        {P(0, 0), 1, P(0, 0), 2, {}},   // concentric
        {P(2, 3), 1, P(2, 3), 1, {}},   // on one another: no single point
        {P(2, 3), 1, P(2.0000005, 3), 1.0000002, {}},
        {P(0, 0), 0.0000005, P(0, 0), 1, {}}, // a zero radius
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(::testing::Message() << "row " << i);
        const auto& row = rows[i];
        Buffer buffer;
        const int32_t count =
            IntersectCircleCircle(&row.centre1, row.radius1, &row.centre2, row.radius2, buffer);
        EXPECT_EQ(count, static_cast<int32_t>(row.points.size()));
        EXPECT_TRUE(near_points(buffer.points(), row.points));
        EXPECT_EQ(
            IntersectCircleCircle(&row.centre1, row.radius1, &row.centre2, row.radius2, nullptr),
            count);
    }
}

TEST(Intersections, TwoArcs)
{
    {
        // The same circles as IntersectCircleCircle's first row, in the reverse order.
        const Arc2DRec a = arc(0, 0, 1, 0, 2 * kPi, 1);
        const Arc2DRec b = arc(1, 0, 1, 0, 2 * kPi, 1);
        Buffer buffer;
        EXPECT_EQ(IntersectArcArc(&a, &b, buffer), 2);
        EXPECT_TRUE(near_points(buffer.points(), {P(0.5, -kHalfRoot3), P(0.5, kHalfRoot3)}));
    }
    {
        const Arc2DRec upper = arc(0, 0, 1, 0, kPi, 1);
        const Arc2DRec crossing = arc(1, 0, 1, 0, 2 * kPi, 1);
        Buffer buffer;
        EXPECT_EQ(IntersectArcArc(&upper, &crossing, buffer), 1);
        EXPECT_TRUE(near_points(buffer.points(), {P(0.5, kHalfRoot3)}));
    }
    {
        const Arc2DRec a = arc(0, 0, 1, 0, kPi, 1);
        const Arc2DRec same_circle = arc(0, 0, 1, kPi / 2, 1.5 * kPi, 1);
        EXPECT_EQ(IntersectArcArc(&a, &same_circle, nullptr), 0);
    }
    {
        const Arc2DRec a = arc(0, 0, 1, -0.5, 0.5, 1);
        const Arc2DRec touching = arc(3, 0, 2, 2, 4, 1);
        const Arc2DRec away = arc(3, 0, 2, -0.5, 0.5, 1);
        Buffer buffer;
        EXPECT_EQ(IntersectArcArc(&a, &touching, buffer), 1);
        EXPECT_EQ(IntersectArcArc(&a, &away, buffer), 0);
        EXPECT_TRUE(near_points(buffer.points(), {P(1, 0)}));
    }
    {
        // Circles apart by 1.2e-6 along the diagonal: they do not meet, but the end of
        // a and the start of b are equal within the tolerance square.
        const double d = (2 + 0.0000012) / std::sqrt(2.0);
        const Arc2DRec a = arc(0, 0, 1, kPi / 4 - 0.1, kPi / 4, 1);
        const Arc2DRec b = arc(d, d, 1, 1.25 * kPi, 1.25 * kPi + 0.1, 1);
        Buffer buffer;
        EXPECT_EQ(IntersectArcArc(&a, &b, buffer), 1);
        EXPECT_TRUE(near_points(buffer.points(), {P(std::sqrt(0.5), std::sqrt(0.5))}));
    }
    const Arc2DRec a = arc(0, 0, 1, 0, 1, 1);
    EXPECT_EQ(IntersectArcArc(nullptr, &a, nullptr), 0);
    EXPECT_EQ(IntersectArcArc(&a, nullptr, nullptr), 0);
}

TEST(ScanLines, SegmentsAgainstAHorizontalLine)
{
    const struct {
        double y;
        Line2DRec line;
        std::vector<Point2DRec> points;
    } rows[] = {
        {0, segment(0, -1, 0, 1), {P(0, 0)}},
        {0.5, segment(0, 0, 2, 2), {P(0.5, 0.5)}},
        {0, segment(0, 0, 1, 1), {P(0, 0)}}, // the start on the line, going up
        {0, segment(0, 0, 1, -1), {}},       // going down
        {0, segment(1, 1, 0, 0), {P(0, 0)}}, // the end on the line, coming from above
        {0, segment(1, -1, 0, 0), {}},
        {0, segment(0, 0, 5, 0), {}}, // along the line
        {0, segment(0, 1, 5, 2), {}},
        {0.0000005, segment(0, 0, 1, 1), {P(0, 0)}}, // an end within the tolerance
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(::testing::Message() << "row " << i);
        Buffer buffer;
        EXPECT_EQ(IntersectYLine(rows[i].y, &rows[i].line, buffer),
                  static_cast<int32_t>(rows[i].points.size()));
        EXPECT_TRUE(near_points(buffer.points(), rows[i].points));
        // The same with the axes exchanged.
        const Line2DRec swapped = segment(rows[i].line.start.y, rows[i].line.start.x,
                                          rows[i].line.end.y, rows[i].line.end.x);
        Buffer swapped_buffer;
        EXPECT_EQ(IntersectXLine(rows[i].y, &swapped, swapped_buffer),
                  static_cast<int32_t>(rows[i].points.size()));
        std::vector<Point2DRec> expected;
        for (const Point2DRec& p : rows[i].points)
            expected.push_back(P(p.y, p.x));
        EXPECT_TRUE(near_points(swapped_buffer.points(), expected));
    }
}

TEST(ScanLines, AVertexOnTheLineCountsForParity)
{
    // Two segments meeting at (0, 0) on the scan line y = 0.
    const struct {
        Line2DRec into;
        Line2DRec out_of;
        int32_t crossings;
    } rows[] = {
        {segment(-1, -1, 0, 0), segment(0, 0, 1, 1), 1}, // passing through
        {segment(-1, 1, 0, 0), segment(0, 0, 1, -1), 1},
        {segment(-1, 1, 0, 0), segment(0, 0, 1, 1), 2},   // touching from above
        {segment(-1, -1, 0, 0), segment(0, 0, 1, -1), 0}, // touching from below
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(::testing::Message() << "row " << i);
        EXPECT_EQ(IntersectYLine(0, &rows[i].into, nullptr) +
                      IntersectYLine(0, &rows[i].out_of, nullptr),
                  rows[i].crossings);
    }
}

TEST(ScanLines, AnEndOnTheLineAtCoordinatesTooLargeToMoveTheLine)
{
    // At 1e12 an offset of 2e-6 is below the spacing of doubles: the test above the
    // line cannot be made, and the end does not count (rather than recursing forever).
    const Line2DRec line = segment(0, 1e12, 1, 1e12 + 5);
    EXPECT_EQ(IntersectYLine(1e12, &line, nullptr), 0);
    const Line2DRec across = segment(0, 1e12 - 5, 1, 1e12 + 5);
    EXPECT_EQ(IntersectYLine(1e12, &across, nullptr), 1);
}

TEST(ScanLines, Arcs)
{
    const struct {
        double y;
        Arc2DRec arc;
        std::vector<Point2DRec> points;
    } rows[] = {
        {0, arc(0, 0, 1, 0, kPi, 1), {P(1, 0), P(-1, 0)}}, // both ends on the line, going up
        {0, arc(0, 0, 1, kPi, 2 * kPi, 1), {}},
        {0, arc(0, 0, 1, kPi, 0, -1), {P(1, 0), P(-1, 0)}},
        {0.5, arc(0, 0, 1, 0, 2 * kPi, 1), {P(kHalfRoot3, 0.5), P(-kHalfRoot3, 0.5)}},
        {1, arc(0, 0, 1, 0, 2 * kPi, 1), {}}, // tangent
        {0.5, arc(0, 0, 1, 0, kPi / 2, 1), {P(kHalfRoot3, 0.5)}},
        {0, arc(0, 0, 1, kPi / 2, 1.5 * kPi, 1), {P(-1, 0)}},
        {0, arc(0, 0, 1, 0, kPi / 2, 1), {P(1, 0)}},  // the start on the line
        {0, arc(0, 0, 1, 1.5 * kPi, 2 * kPi, 1), {}}, // the end on the line, from below
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(::testing::Message() << "row " << i);
        Buffer buffer;
        EXPECT_EQ(IntersectYArc(rows[i].y, &rows[i].arc, buffer),
                  static_cast<int32_t>(rows[i].points.size()));
        EXPECT_TRUE(near_points(buffer.points(), rows[i].points));
        // Mirrored in the diagonal: x for y, and the arc the other way round.
        Arc2DRec mirrored = rows[i].arc;
        mirrored.start_angle = kPi / 2 - rows[i].arc.start_angle;
        mirrored.end_angle = kPi / 2 - rows[i].arc.end_angle;
        mirrored.direction = -rows[i].arc.direction;
        Buffer mirrored_buffer;
        EXPECT_EQ(IntersectXArc(rows[i].y, &mirrored, mirrored_buffer),
                  static_cast<int32_t>(rows[i].points.size()));
        std::vector<Point2DRec> expected;
        for (const Point2DRec& p : rows[i].points)
            expected.push_back(P(p.y, p.x));
        EXPECT_TRUE(near_points(mirrored_buffer.points(), expected));
    }
}

TEST(StickTo, Segments)
{
    const Point2DRec start = P(0, 0);
    const Point2DRec end = P(10, 0);
    const struct {
        Point2DRec point;
        Point2DRec snapped;
    } rows[] = {{P(5, 3), P(5, 0)}, {P(-2, 3), P(0, 0)}, {P(12, -1), P(10, 0)}, {P(5, 0), P(5, 0)}};
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.point.x << ", " << row.point.y);
        Point2DRec out{};
        StickToLine(&row.point, &start, &end, &out);
        EXPECT_TRUE(near_point(out, row.snapped));
    }
    const Point2DRec point = P(3, 5);
    Point2DRec out{};
    StickToRay(&point, &start, kPi / 4, &out);
    EXPECT_TRUE(near_point(out, P(4, 4)));
}

TEST(StickTo, CirclesAndArcs)
{
    const Point2DRec centre = P(0, 0);
    const struct {
        Point2DRec point;
        Point2DRec on_circle;
    } circle_rows[] = {
        {P(3, 4), P(0.6, 0.8)},
        {P(0.3, 0.4), P(0.6, 0.8)}, // inside: the nearer point, on the point's side
        {P(0, 0), P(1, 0)},
    };
    for (const auto& row : circle_rows) {
        SCOPED_TRACE(::testing::Message() << row.point.x << ", " << row.point.y);
        Point2DRec out{};
        StickToCircle(&row.point, &centre, 1, &out);
        EXPECT_TRUE(near_point(out, row.on_circle));
    }
    const struct {
        Point2DRec point;
        Point2DRec on_arc;
    } arc_rows[] = {
        {P(0, 2), P(0, 1)},         {P(-1, -1), P(0, 1)}, // as far from both ends: the end
        {P(-1, -0.9), P(0, 1)},     {P(-0.9, -1), P(1, 0)},
        {P(0.3, 0.4), P(0.6, 0.8)}, // inside the circle
    };
    for (const auto& row : arc_rows) {
        SCOPED_TRACE(::testing::Message() << row.point.x << ", " << row.point.y);
        Point2DRec out{};
        StickToArc(&row.point, &centre, 1, 0, kPi / 2, 1, &out);
        EXPECT_TRUE(near_point(out, row.on_arc));
    }
}

}
