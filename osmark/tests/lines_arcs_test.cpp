#include "osmark/lines_arcs.h"

#include "geometry_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace geometry_test;

namespace {

TEST(Lines, LengthAndAngleOfEqualPointsAreZero)
{
    const Point2DRec origin = P(0, 0);
    const Point2DRec near = P(0.0000005, 0.0000005);
    const Point2DRec down = P(0, -1);
    EXPECT_EQ(LineLength(&origin, &near), 0.0);
    EXPECT_EQ(LineAngle(&origin, &near), 0.0);
    EXPECT_EQ(LineAngle(&origin, &down), 1.5 * kPi);
    const Point2DRec far = P(3, 4);
    EXPECT_EQ(LineLength(&origin, &far), 5.0);
}

TEST(Lines, PointClampsTheParameterAndWritesDerivatives)
{
    const Point2DRec start = P(0, 0);
    const Point2DRec end = P(2, 0);
    const Point2DRec untouched = P(-9, -9);
    const struct {
        double t;
        uint32_t count;
        std::vector<Point2DRec> written;
    } rows[] = {
        {0.5, 2, {P(1, 0), P(2, 0)}},
        {-3, 1, {P(0, 0)}},
        {0.9999995, 1, {P(2, 0)}},
        {0.0000009, 1, {P(0, 0)}},
        {0.5, 0, {P(1, 0), P(2, 0)}}, // a count of 0 writes two records
        {0.25, 4, {P(0.5, 0), P(2, 0), P(0, 0), P(0, 0)}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message() << "t " << row.t << ", count " << row.count);
        std::vector<Point2DRec> output(6, untouched);
        LinePoint(&start, &end, row.t, row.count, output.data());
        std::vector<Point2DRec> expected = row.written;
        expected.resize(6, untouched);
        EXPECT_TRUE(near_points(output, expected, 0.0));
    }
}

TEST(Lines, PointOnLineMeasuresVertically)
{
    const struct {
        Line2DRec line;
        Point2DRec point;
        int32_t on;
    } rows[] = {
        {segment(0, 0, 10, 0), P(5, 0.0000005), 1},
        {segment(0, 0, 10, 0), P(10.0000005, 0), 1},
        {segment(0, 0, 10, 0), P(10.000002, 0), 0},
        {segment(10, 0, 0, 0), P(-0.0000009, 0), 1},
        {segment(0, 0, 0, 10), P(0, 10.0000009), 1}, // vertical
        {segment(0, 10, 0, 0), P(0, -0.000002), 0},
        {segment(0, 0, 0, 10), P(0.000002, 5), 0},
        // Steep: 1e-6 off along x is 1e-3 off along y.
        {segment(0, 0, 1, 1000), P(0.5, 500.0000005), 1},
        {segment(0, 0, 1, 1000), P(0.500001, 500), 0},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(::testing::Message() << "row " << i);
        EXPECT_EQ(PointOnLine(&rows[i].line.start, &rows[i].line.end, &rows[i].point), rows[i].on);
    }
}

TEST(Lines, RelationsOfTwoLines)
{
    const Line2DRec a = segment(0, 0, 1, 0);
    const Line2DRec b = segment(1, 0, 1, 1);
    Buffer meeting;
    EXPECT_EQ(LineIsEndToEnd(&a.start, &a.end, &b.start, &b.end, meeting), 2);
    EXPECT_TRUE(near_points(meeting.points(), {P(1, 0)}, 0.0));
    Buffer none;
    EXPECT_EQ(LineIsEndToEnd(&a.start, &a.end, &a.start, &a.end, none), 0); // embedded
    EXPECT_TRUE(none.points().empty());
    const Line2DRec away = segment(5, 5, 6, 6);
    EXPECT_EQ(LineIsEndToEnd(&a.start, &a.end, &away.start, &away.end, nullptr), 0);
    const Line2DRec reversed = segment(1, 0, 0, 0);
    EXPECT_EQ(LineIsEndToEnd(&reversed.start, &reversed.end, &b.end, &b.start, nullptr), 3);

    const Line2DRec inner = segment(1, 0, 2, 0);
    const Line2DRec outer = segment(0, 0, 4, 0);
    EXPECT_EQ(LineIsEmbedded(&inner.start, &inner.end, &outer.start, &outer.end),
              EmbeddedFirstInSecond);
    EXPECT_EQ(LineIsEmbedded(&outer.start, &outer.end, &inner.start, &inner.end),
              EmbeddedSecondInFirst);
    EXPECT_EQ(LineIsEmbedded(&outer.start, &outer.end, &outer.end, &outer.start), EmbeddedSame);
    EXPECT_EQ(LineIsEmbedded(&a.start, &a.end, &b.start, &b.end), EmbeddedNone);

    const Line2DRec right = segment(2, 0, 6, 0);
    Buffer shared;
    EXPECT_EQ(LineOverlap(&outer.start, &outer.end, &right.start, &right.end, shared), 2);
    EXPECT_TRUE(near_points(shared.points(), {P(2, 0), P(4, 0)}, 0.0));
    // Lines that only share an end answer 2 with that point twice.
    Buffer corner;
    EXPECT_EQ(LineOverlap(&a.start, &a.end, &b.start, &b.end, corner), 2);
    EXPECT_TRUE(near_points(corner.points(), {P(1, 0), P(1, 0)}, 0.0));
    EXPECT_EQ(LineOverlap(&a.start, &a.end, &right.start, &right.end, nullptr), 0);
}

TEST(Arcs, Sweep)
{
    const struct {
        double start;
        double end;
        int32_t direction;
        double sweep;
    } rows[] = {
        {0, kPi / 2, 1, kPi / 2},     {0, kPi / 2, -1, 1.5 * kPi},
        {0, kPi / 2, 0, kPi / 2}, // 0 reads as counter-clockwise
        {1, 1, 1, 2 * kPi},       // never a zero sweep
        {2 * kPi, 0, 1, 2 * kPi},     {0, 2 * kPi, -1, 2 * kPi},
        {1.5 * kPi, kPi / 2, 1, kPi}, {-kPi / 2, kPi / 2, -7, kPi},
        {HUGE_VAL, 1, 1, 0},          {1, HUGE_VAL, 1, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message()
                     << row.start << " to " << row.end << " direction " << row.direction);
        EXPECT_NEAR(ArcAngle(row.start, row.end, row.direction), row.sweep, kClose);
        EXPECT_NEAR(ArcLength(2, row.start, row.end, row.direction), 2 * row.sweep, kClose);
    }
}

TEST(Arcs, AngleBetween)
{
    const struct {
        double start;
        double angle;
        double end;
        int32_t direction;
        int32_t between;
    } rows[] = {
        {0, kPi / 2, kPi, 1, 1},
        {0, kPi, kPi / 2, 1, 0},
        {0, kPi, kPi / 2, -1, 1},
        {1, 4, 1, 1, 1}, // a full circle holds every angle
        {0, 3, 2 * kPi, 1, 1},
        {kPi, 0, 2 * kPi, 1, 1},
        {kPi, 0.000002, 2 * kPi, 1, 0},
        {kPi / 2, 0, 0, 1, 1},                     // an end
        {kPi / 2, kPi / 2 - 0.0000005, kPi, 1, 1}, // within the tolerance of the start
        {kPi / 2, kPi / 2 - 0.000002, kPi, 1, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.angle << " on " << row.start << " to " << row.end
                                          << " direction " << row.direction);
        EXPECT_EQ(AngleBetween(row.start, row.angle, row.end, row.direction), row.between);
    }
}

TEST(Arcs, PointOnArc)
{
    const Point2DRec centre = P(0, 0);
    const Point2DRec on = P(0, 1);
    const Point2DRec off_circle = P(0, 1.000002);
    const Point2DRec off_arc = P(0, -1);
    EXPECT_EQ(PointOnArc(&centre, 1, 0, kPi, 1, &on), 1);
    EXPECT_EQ(PointOnArc(&centre, 1, 0, kPi, 1, &off_circle), 0);
    EXPECT_EQ(PointOnArc(&centre, 1, 0, kPi, 1, &off_arc), 0);
    EXPECT_EQ(PointOnArc(&centre, 1, 0, kPi, -1, &off_arc), 1);
    EXPECT_EQ(PointOnArc(nullptr, 1, 0, kPi, 1, &on), 0);
    EXPECT_EQ(PointOnArc(&centre, 1, 0, kPi, 1, nullptr), 0);
}

TEST(Arcs, PointAndTangentRunInTheArcsDirection)
{
    const Point2DRec centre = P(0, 0);
    const double h = std::sqrt(0.5);
    Point2DRec output[3] = {P(9, 9), P(9, 9), P(9, 9)};
    ArcPoint(&centre, 1, 0, kPi / 2, 1, 0.5, 2, output);
    EXPECT_TRUE(near_point(output[0], P(h, h)));
    EXPECT_TRUE(near_point(output[1], P(-h, h)));
    EXPECT_TRUE(near_point(output[2], P(9, 9), 0.0));
    ArcPoint(&centre, 1, 0, kPi / 2, -1, 0.5, 3, output); // clockwise: the long way round
    EXPECT_TRUE(near_point(output[0], P(-h, -h)));
    EXPECT_TRUE(near_point(output[1], P(-h, h)));
    EXPECT_TRUE(near_point(output[2], P(0, 0), 0.0));
    // The end of an arc that passes angle 0.
    ArcPoint(&centre, 2, 1.5 * kPi, kPi / 2, 1, 1, 1, output);
    EXPECT_TRUE(near_point(output[0], P(0, 2)));
}

TEST(Arcs, EvalSpacesThePointsEvenlyBetweenTheEnds)
{
    const Point2DRec centre = P(1, 1);
    const auto at = [](double angle) {
        return P(1 + 2 * std::cos(angle), 1 + 2 * std::sin(angle));
    };
    {
        Buffer buffer;
        EXPECT_EQ(ArcEval(&centre, 2, 0, kPi / 2, 1, 0, 1, 1, buffer), 1);
        EXPECT_TRUE(near_points(buffer.points(), {at(0)}));
    }
    {
        Buffer buffer;
        EXPECT_EQ(ArcEval(&centre, 2, 0, kPi / 2, 1, 0.5, 1, 2, buffer), 2);
        EXPECT_TRUE(near_points(buffer.points(), {at(kPi / 4), at(kPi / 2)}));
    }
    {
        Buffer buffer;
        EXPECT_EQ(ArcEval(&centre, 2, 0, kPi / 2, 1, 0, 1, 5, buffer), 5);
        EXPECT_TRUE(near_points(buffer.points(),
                                {at(0), at(kPi / 8), at(kPi / 4), at(3 * kPi / 8), at(kPi / 2)}));
    }
    {
        Buffer buffer; // clockwise, and t running backwards
        EXPECT_EQ(ArcEval(&centre, 2, kPi / 2, 0, -1, 1, 0, 3, buffer), 3);
        EXPECT_TRUE(near_points(buffer.points(), {at(0), at(kPi / 4), at(kPi / 2)}));
    }
    Buffer unused;
    EXPECT_EQ(ArcEval(&centre, 2, 0, 1, 1, 0, 1, 0, unused), 0);
    EXPECT_EQ(ArcEval(&centre, 0.0000005, 0, 1, 1, 0, 1, 3, unused), 0);
    EXPECT_EQ(ArcEval(nullptr, 2, 0, 1, 1, 0, 1, 3, unused), 0);
    EXPECT_EQ(ArcEval(&centre, 2, 0, 1, 1, 0, 1, 3, nullptr), 0);
    EXPECT_TRUE(unused.points().empty());
}

TEST(Arcs, RelationsOfTwoArcs)
{
    const Point2DRec c = P(0, 0);
    const Point2DRec elsewhere = P(0.5, 0);
    EXPECT_EQ(ArcIsEmbedded(&c, 1, 0, kPi / 2, 1, &c, 1, 0, kPi, 1), EmbeddedFirstInSecond);
    EXPECT_EQ(ArcIsEmbedded(&c, 1, 0, kPi, 1, &c, 1, 0, kPi / 2, 1), EmbeddedSecondInFirst);
    EXPECT_EQ(ArcIsEmbedded(&c, 1, kPi / 2, 0, -1, &c, 1, 0, kPi / 2, 1), EmbeddedSame);
    EXPECT_EQ(ArcIsEmbedded(&c, 1, 0, kPi / 2, 1, &c, 1, kPi, 1.5 * kPi, 1), EmbeddedNone);
    // Both ends of the short arc lie on the long one, but its middle does not.
    EXPECT_EQ(ArcIsEmbedded(&c, 1, 1.75 * kPi, 0.25 * kPi, 1, &c, 1, 0.25 * kPi, 1.75 * kPi, 1),
              EmbeddedNone);
    EXPECT_EQ(ArcIsEmbedded(&c, 1, 0, kPi / 2, 1, &elsewhere, 1, 0, kPi / 2, 1), EmbeddedNone);
    EXPECT_EQ(ArcIsEmbedded(&c, 1, 0, kPi / 2, 1, &c, 1.000002, 0, kPi / 2, 1), EmbeddedNone);

    Buffer meeting;
    EXPECT_EQ(ArcIsEndToEnd(&c, 1, 0, kPi / 2, 1, &c, 1, kPi / 2, kPi, 1, meeting), 2);
    EXPECT_TRUE(near_points(meeting.points(), {P(0, 1)}));
    Buffer loop;
    EXPECT_EQ(ArcIsEndToEnd(&c, 1, 0, kPi, 1, &c, 1, kPi, 2 * kPi, 1, loop), 5);
    EXPECT_TRUE(near_points(loop.points(), {P(-1, 0), P(1, 0)}));
    EXPECT_EQ(ArcIsEndToEnd(&c, 1, 0, kPi / 2, 1, &c, 1, 0, kPi, 1, nullptr), 0); // embedded

    Buffer shared;
    EXPECT_EQ(ArcsOverlap(&c, 1, 0, kPi / 2, 1, &c, 1, kPi / 4, 3 * kPi / 4, 1, shared), 2);
    EXPECT_TRUE(near_points(shared.points(), {P(std::sqrt(0.5), std::sqrt(0.5)), P(0, 1)}));
    EXPECT_EQ(ArcsOverlap(&c, 1, 0, kPi / 2, 1, &c, 1, kPi, 1.5 * kPi, 1, nullptr), 0);
}

TEST(ArcFitting, ThroughThreePoints)
{
    const struct {
        Point2DRec middle;
        int32_t direction;
    } rows[] = {{P(1, 1), -1}, {P(1, -1), 1}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.direction);
        const Point2DRec start = P(0, 0);
        const Point2DRec end = P(2, 0);
        Point2DRec centre{};
        double radius = 0, start_angle = 0, end_angle = 0;
        int32_t direction = 0;
        ASSERT_EQ(FitArc3Points(&start, &row.middle, &end, &centre, &radius, &start_angle,
                                &end_angle, &direction),
                  1);
        EXPECT_TRUE(near_point(centre, P(1, 0)));
        EXPECT_NEAR(radius, 1, kClose);
        EXPECT_NEAR(start_angle, kPi, kClose);
        EXPECT_NEAR(end_angle, 0, kClose);
        EXPECT_EQ(direction, row.direction);
    }
    const Point2DRec a = P(0, 0), b = P(1, 1), c = P(2, 2);
    Point2DRec centre{};
    double radius = 0, start_angle = 0, end_angle = 0;
    int32_t direction = 0;
    EXPECT_EQ(FitArc3Points(&a, &b, &c, &centre, &radius, &start_angle, &end_angle, &direction), 0);
    const Point2DRec end = P(2, 0);
    EXPECT_EQ(FitArc3Points(&a, &b, &end, nullptr, &radius, &start_angle, &end_angle, &direction),
              0);
}

TEST(ArcFitting, TwoPointsAndASpan)
{
    const Point2DRec start = P(-1, 0);
    const Point2DRec end = P(1, 0);
    Point2DRec centres[2];
    double radii[2], starts[2], ends[2];
    int32_t directions[2];
    ASSERT_EQ(FitArc2PointsSpan(&start, &end, kPi / 2, centres, radii, starts, ends, directions),
              2);
    EXPECT_TRUE(near_points({centres[0], centres[1]}, {P(0, 1), P(0, -1)}));
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(radii[i], std::sqrt(2.0), kClose);
        EXPECT_EQ(directions[i], 1);
        EXPECT_NEAR(ArcAngle(starts[i], ends[i], 1), kPi / 2, kClose);
    }
    // The left arc runs from the start point, the right one from the end point.
    EXPECT_NEAR(starts[0], 1.25 * kPi, kClose);
    EXPECT_NEAR(starts[1], 0.25 * kPi, kClose);

    // A whole turn (and so also two) puts the centres at infinity: no arc.
    for (const double span : {2 * kPi, 4 * kPi, 2 * kPi + 0.0000005, 0.0, 0.0000009}) {
        SCOPED_TRACE(span);
        EXPECT_EQ(FitArc2PointsSpan(&start, &end, span, centres, radii, starts, ends, directions),
                  0);
    }
    EXPECT_EQ(FitArc2PointsSpan(&start, &start, kPi / 2, centres, radii, starts, ends, directions),
              0);
    EXPECT_EQ(FitArc2PointsSpan(&start, &end, kPi / 2, centres, radii, nullptr, ends, directions),
              0);
}

TEST(ArcFitting, TwoPointsAndAStartTangent)
{
    const Point2DRec start = P(0, 0);
    const Point2DRec end = P(1, 1);
    const struct {
        Point2DRec tangent;
        Point2DRec centre;
        double start_angle;
        double end_angle;
        int32_t direction;
    } rows[] = {
        {P(1, 0), P(0, 1), 1.5 * kPi, 0, 1},
        {P(0, 1), P(1, 0), kPi, kPi / 2, -1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.direction);
        Point2DRec centre{};
        double radius = 0, start_angle = 0, end_angle = 0;
        int32_t direction = 0;
        ASSERT_EQ(FitArc2PointsVector(&start, &end, &row.tangent, &centre, &radius, &start_angle,
                                      &end_angle, &direction),
                  1);
        EXPECT_TRUE(near_point(centre, row.centre));
        EXPECT_NEAR(radius, 1, kClose);
        EXPECT_NEAR(start_angle, row.start_angle, kClose);
        EXPECT_NEAR(end_angle, row.end_angle, kClose);
        EXPECT_EQ(direction, row.direction);
    }
    const Point2DRec along_chord = P(2, 2);
    Point2DRec centre{};
    double radius = 0, start_angle = 0, end_angle = 0;
    int32_t direction = 0;
    EXPECT_EQ(FitArc2PointsVector(&start, &end, &along_chord, &centre, &radius, &start_angle,
                                  &end_angle, &direction),
              0);
    EXPECT_EQ(FitArc2PointsVector(&start, &start, &rows[0].tangent, &centre, &radius, &start_angle,
                                  &end_angle, &direction),
              0);
}

TEST(ArcFitting, CentrePointSpanAndDirection)
{
    const Point2DRec centre = P(0, 0);
    const Point2DRec point = P(1, 0);
    Point2DRec out_centre = P(9, 9);
    double radius = 0, start_angle = 0, end_angle = 0;
    int32_t direction = 0;
    ASSERT_EQ(FitArcCentrePointSpanDir(&centre, &point, kPi / 2, -5, &out_centre, &radius,
                                       &start_angle, &end_angle, &direction),
              1);
    EXPECT_EQ(direction, -1);
    EXPECT_NEAR(start_angle, 0, kClose);
    EXPECT_NEAR(end_angle, 1.5 * kPi, kClose);
    const Point2DRec above = P(0, 3);
    ASSERT_EQ(FitArcCentrePointSpanDir(&centre, &above, 2 * kPi, 1, &out_centre, &radius,
                                       &start_angle, &end_angle, &direction),
              1);
    EXPECT_EQ(start_angle, 0.0);
    EXPECT_EQ(end_angle, 2 * kPi);
    EXPECT_NEAR(radius, 3, kClose);

    // On the centre: 0, after direction, centre and radius were written.
    const Point2DRec on_centre = P(0.0000005, 0);
    out_centre = P(9, 9);
    EXPECT_EQ(FitArcCentrePointSpanDir(&centre, &on_centre, 1, 3, &out_centre, &radius,
                                       &start_angle, &end_angle, &direction),
              0);
    EXPECT_EQ(direction, 1);
    EXPECT_TRUE(near_point(out_centre, centre, 0.0));
    EXPECT_EQ(radius, 0.0);
    EXPECT_EQ(FitArcCentrePointSpanDir(&centre, &point, 1, 0, &out_centre, &radius, &start_angle,
                                       &end_angle, &direction),
              0);
}

}
