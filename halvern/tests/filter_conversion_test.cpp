// The DXF filter's geometry conversions: lines, arcs, polylines, ellipses and splines.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "filter_test_support.h"
#include "halvern/filter.h"
#include "test_support/files.h"

namespace {

using filter_test::dxf;
using filter_test::FilterFolder;
using filter_test::group;
using filter_test::number;
using filter_test::ReadBack;
using filter_test::Tags;
using test_support::read_file;

constexpr double kPi = 3.141592653589793;

std::string arc(double x, double y, double radius, double start, double end)
{
    return group(0, "ARC") + group(8, "0") + group(10, number(x)) + group(20, number(y)) +
           group(30, "0") + group(40, number(radius)) + group(50, number(start)) +
           group(51, number(end));
}

// An LWPOLYLINE of the points, each with its bulge, closed or not.
std::string lwpolyline(const std::vector<std::vector<double>>& points, bool closed)
{
    std::string text = group(0, "LWPOLYLINE") + group(8, "0") +
                       group(90, std::to_string(points.size())) + group(70, closed ? "1" : "0");
    for (const auto& p : points) {
        text += group(10, number(p[0])) + group(20, number(p[1]));
        if (p.size() > 2)
            text += group(42, number(p[2]));
    }
    return text;
}

std::string spline(int degree, const std::vector<double>& knots, const std::vector<double>& weights,
                   const std::vector<std::vector<double>>& points)
{
    std::string text = group(0, "SPLINE") + group(8, "0") +
                       group(70, weights.empty() ? "8" : "12") + group(71, std::to_string(degree)) +
                       group(72, std::to_string(knots.size())) +
                       group(73, std::to_string(points.size()));
    for (const double k : knots)
        text += group(40, number(k));
    for (const double w : weights)
        text += group(41, number(w));
    for (const auto& p : points)
        text += group(10, number(p[0])) + group(20, number(p[1])) +
                group(30, number(p.size() > 2 ? p[2] : 0.0));
    return text;
}

// Filters the entities under the tags and reads the result back.
struct Filtered {
    FilterFolder folder;
    std::string output;
    int32_t result = 0;
    std::string text;

    Filtered(const std::string& entities, Tags& tags)
    {
        const std::string input = folder.write("in.dxf", dxf(entities));
        output = folder.path("out.dxf");
        result = FilterDXF(input.c_str(), output.c_str(), tags.get());
        text = read_file(output);
    }
};

size_t count_of(const std::string& text, const std::string& what)
{
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

TEST(FilterConversion, ArcFlagsChooseWhatArcsBecome)
{
    struct Case {
        uint32_t flags;
        double tolerance;
        size_t lines, arcs, points;
    };
    // A quarter arc of radius 10 (six chords at 0.1) and a circle of radius 1 (step
    // 2 acos(0.9), seven chords).
    const Case cases[] = {
        {0x22, 0.1, 13, 0, 0},      // bit 1 wins over bit 5
        {0x2, 0.0, 0, 0, 0},        // no step: nothing written
        {0x4, 0.1, 0, 0, 0},        // no known bit: dropped
        {0x80000004, 0.1, 0, 2, 0}, // kept
        {0x1, 0.1, 0, 0, 4},        // end points
        {0x20, 0.1, 0, 2, 0},       // written anew
        {0x80000001, 0.1, 0, 2, 4}, // end points and the source
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        Tags tags;
        tags.add(DXFF_ArcFlags, c.flags).add(DXFF_ArcChordTolerance, &c.tolerance);
        Filtered out(arc(0, 0, 10, 0, 90) + filter_test::circle(5, 5, 1), tags);
        ASSERT_EQ(out.result, 0);
        ReadBack back(out.output);
        ASSERT_EQ(back.result, 0);
        EXPECT_EQ(back.items_of(DXFItemLine).size(), c.lines);
        EXPECT_EQ(back.items_of(DXFItemArc).size(), c.arcs);
        EXPECT_EQ(back.items_of(DXFItemPoint).size(), c.points);
    }
}

TEST(FilterConversion, ArcChordsEndOnTheArcsEnd)
{
    Tags tags;
    tags.add(DXFF_ArcFlags, 2);
    Filtered out(arc(0, 0, 10, 0, 90), tags);
    ReadBack back(out.output);
    const auto lines = back.items_of(DXFItemLine);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_NEAR(lines.back()->it_Line.ln_End.x, 0.0, 1e-6);
    EXPECT_NEAR(lines.back()->it_Line.ln_End.y, 10.0, 1e-6);
}

TEST(FilterConversion, LinesBecomeTheirEndPoints)
{
    Tags tags;
    tags.add(DXFF_LineFlags, 1);
    Filtered out(filter_test::line(1, 2, 3, 4) + filter_test::point(9, 9), tags);
    ReadBack back(out.output);
    const auto points = back.items_of(DXFItemPoint);
    ASSERT_EQ(points.size(), 3u);
    EXPECT_NEAR(points[1]->it_Point.pt_Point.x, 3.0, 1e-6);
    EXPECT_TRUE(back.items_of(DXFItemLine).empty());
}

TEST(FilterConversion, AClosedSquareBecomesOneClosedPolyline)
{
    Tags tags;
    tags.add(DXFF_PolylineFlags, 10);
    Filtered out(lwpolyline({{0, 0}, {10, 0}, {10, 10}, {0, 10}}, true), tags);
    ASSERT_EQ(out.result, 0);
    EXPECT_NE(out.text.find("POLYLINE\r\n 8\r\n0\r\n 66\r\n1\r\n 70\r\n1\r\n"), std::string::npos);
    EXPECT_EQ(count_of(out.text, "VERTEX"), 4u);
    ReadBack back(out.output);
    const auto polylines = back.items_of(DXFItemPolyline);
    ASSERT_EQ(polylines.size(), 1u);
    EXPECT_EQ(back.items().size(), 1u);
}

TEST(FilterConversion, PolylineFlagsWithoutLinesOrArcsDropPolylines)
{
    Tags tags;
    tags.add(DXFF_PolylineFlags, 8);
    Filtered out(lwpolyline({{0, 0}, {10, 0}}, false) + filter_test::point(1, 1), tags);
    ReadBack back(out.output);
    EXPECT_TRUE(back.items_of(DXFItemPolyline).empty());
    EXPECT_EQ(back.items().size(), 1u);
}

TEST(FilterConversion, ABulgeBelongsToTheVertexBeforeIt)
{
    // The 42 after the first vertex's 10 and 20: a half circle from (0, 0) to (10, 0),
    // then a straight segment.
    const std::string entity = group(0, "LWPOLYLINE") + group(8, "0") + group(90, "3") +
                               group(70, "0") + group(10, "0") + group(20, "0") + group(42, "1") +
                               group(10, "10") + group(20, "0") + group(10, "10") + group(20, "5");
    Tags tags;
    tags.add(DXFF_PolylineFlags, 4);
    Filtered out(entity, tags);
    ReadBack back(out.output);
    ASSERT_EQ(back.items().size(), 2u);
    const ItemRec* half = back.items()[0];
    ASSERT_EQ(half->it_Header.ih_ItemType, DXFItemArc);
    EXPECT_NEAR(half->it_Arc.ar_Centre.x, 5.0, 1e-6);
    EXPECT_NEAR(half->it_Arc.ar_Radius, 5.0, 1e-6);
    const ItemRec* line = back.items()[1];
    ASSERT_EQ(line->it_Header.ih_ItemType, DXFItemLine);
    EXPECT_NEAR(line->it_Line.ln_End.y, 5.0, 1e-6);
}

TEST(FilterConversion, StraightRunsAndChordsOfAPolyline)
{
    // Chords (bit 1) with runs as polylines (bit 3): the straight run before the arc,
    // the arc's chords, and the straight run after it, each one POLYLINE. A POLYLINE
    // entity reads its vertices from its VERTEX entities.
    const std::string entity =
        group(0, "POLYLINE") + group(8, "0") + group(66, "1") + group(70, "0") +
        group(0, "VERTEX") + group(8, "0") + group(10, "-10") + group(20, "0") +
        group(0, "VERTEX") + group(8, "0") + group(10, "0") + group(20, "0") + group(42, "1") +
        group(0, "VERTEX") + group(8, "0") + group(10, "10") + group(20, "0") + group(0, "VERTEX") +
        group(8, "0") + group(10, "20") + group(20, "0") + group(0, "SEQEND");
    Tags tags;
    tags.add(DXFF_PolylineFlags, 10);
    Filtered out(entity, tags);
    ReadBack back(out.output);
    const auto polylines = back.items_of(DXFItemPolyline);
    ASSERT_EQ(polylines.size(), 3u);
    EXPECT_EQ(polylines[0]->it_Polyline.pl_NumVertices, 2);
    EXPECT_NEAR(polylines[0]->it_Polyline.pl_Vertices[1].vx_Bulge, 0.0, 1e-9);
    EXPECT_EQ(polylines[1]->it_Polyline.pl_NumVertices, 9); // step 2 acos(0.98)
    EXPECT_EQ(polylines[2]->it_Polyline.pl_NumVertices, 2);
    EXPECT_NEAR(polylines[2]->it_Polyline.pl_Vertices[1].vx_Point.x, 20.0, 1e-6);
}

std::string ellipse(double ratio, double end = 2 * kPi)
{
    return group(0, "ELLIPSE") + group(8, "0") + group(10, "0") + group(20, "0") + group(30, "0") +
           group(11, "10") + group(21, "0") + group(31, "0") + group(40, number(ratio)) +
           group(41, "0") + group(42, number(end));
}

TEST(FilterConversion, EllipsesBecomeChords)
{
    struct Case {
        const char* name;
        uint32_t flags;
        double tolerance;
        size_t lines, polylines, ellipses;
    };
    // Step 2 acos(1 - 0.1 / 20) for the full turn: 32 chords.
    const Case cases[] = {
        {"polyline bit alone", 8, 0.1, 0, 0, 1},
        {"chords", 2, 0.1, 32, 0, 0},
        {"one polyline", 10, 0.1, 0, 1, 0},
        {"zero tolerance", 2, 0.0, 100, 0, 0},
        {"the diameter or more: half turns", 2, 100.0, 3, 0, 0},
        {"source kept", 0x80000002, 0.1, 32, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Tags tags;
        tags.add(DXFF_EllipseFlags, c.flags).add(DXFF_EllipseTolerance, &c.tolerance);
        Filtered out(ellipse(0.5), tags);
        ASSERT_EQ(out.result, 0);
        ReadBack back(out.output);
        EXPECT_EQ(back.items_of(DXFItemLine).size(), c.lines);
        EXPECT_EQ(back.items_of(DXFItemPolyline).size(), c.polylines);
        EXPECT_EQ(back.items_of(DXFItemEllipse).size(), c.ellipses);
        for (const ItemRec* line : back.items_of(DXFItemLine)) {
            const Point3DRec& p = line->it_Line.ln_Start;
            EXPECT_NEAR(p.x * p.x / 100.0 + p.y * p.y / 25.0, 1.0, 1e-6);
        }
    }
}

TEST(FilterConversion, ACircleOfChordsFitsBackToArcs)
{
    // The 50 chords of half a circular ellipse, refitted with arcs: one half circle.
    Tags tags;
    const double tolerance = 0.01;
    tags.add(DXFF_EllipseFlags, 4).add(DXFF_EllipseTolerance, &tolerance);
    Filtered out(ellipse(1.0, kPi), tags);
    ReadBack back(out.output);
    ASSERT_EQ(back.items().size(), 1u);
    const auto arcs = back.items_of(DXFItemArc);
    ASSERT_EQ(arcs.size(), 1u);
    EXPECT_NEAR(arcs[0]->it_Arc.ar_Radius, 10.0, 1e-6);
    EXPECT_NEAR(arcs[0]->it_Arc.ar_Start, 0.0, 1e-6);
    EXPECT_NEAR(arcs[0]->it_Arc.ar_End, kPi, 1e-6);
}

TEST(FilterConversion, QuadraticCircleFormsBecomeCirclesAndArcs)
{
    const double s = std::sqrt(2.0) / 2.0;
    // About (10, 20), radius 5, at height 3.
    const double cx = 10, cy = 20, r = 5, z = 3;
    const auto at = [&](double dx, double dy) { return std::vector<double>{cx + dx, cy + dy, z}; };
    std::vector<std::vector<double>> triangle;
    {
        std::vector<std::vector<double>> corners;
        for (const double degrees : {90.0, 210.0, 330.0}) {
            const double a = degrees * kPi / 180.0;
            corners.push_back(at(2 * r * std::cos(a), 2 * r * std::sin(a)));
        }
        const auto mid = [](const std::vector<double>& a, const std::vector<double>& b) {
            return std::vector<double>{(a[0] + b[0]) / 2, (a[1] + b[1]) / 2, (a[2] + b[2]) / 2};
        };
        triangle = {
            mid(corners[2], corners[0]), corners[0], mid(corners[0], corners[1]), corners[1],
            mid(corners[1], corners[2]), corners[2], mid(corners[2], corners[0])};
    }
    struct Case {
        const char* name;
        std::string entity;
        bool full;
        double radius, centre_x, centre_y;
        double start, end; // degrees, counter-clockwise
    };
    const Case cases[] = {
        {"nine points",
         spline(2, {0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 4}, {1, s, 1, s, 1, s, 1, s, 1},
                {at(r, 0), at(r, r), at(0, r), at(-r, r), at(-r, 0), at(-r, -r), at(0, -r),
                 at(r, -r), at(r, 0)}),
         true, r, cx, cy, 0, 0},
        {"seven points",
         spline(2, {0, 0, 0, 1, 1, 2, 2, 3, 3, 3}, {1, 0.5, 1, 0.5, 1, 0.5, 1}, triangle), true, r,
         cx, cy, 0, 0},
        {"five points",
         spline(2, {0, 0, 0, 1, 1, 2, 2, 2}, {1, s, 1, s, 1},
                {at(r, 0), at(r, r), at(0, r), at(-r, r), at(-r, 0)}),
         false, r, cx, cy, 0, 180},
        {"five points clockwise",
         spline(2, {0, 0, 0, 1, 1, 2, 2, 2}, {1, s, 1, s, 1},
                {at(-r, 0), at(-r, r), at(0, r), at(r, r), at(r, 0)}),
         false, r, cx, cy, 0, 180},
        // Through (0, 0), the centroid (5, 5/3) and (10, 0).
        {"three points", spline(2, {0, 0, 0, 1, 1, 1}, {}, {{0, 0, z}, {5, 5, z}, {10, 0, z}}),
         false, (25 + 25.0 / 9) / (2 * 5.0 / 3), 5, 5.0 / 3 - (25 + 25.0 / 9) / (2 * 5.0 / 3), 0,
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Tags tags;
        tags.add(DXFF_SplineFlags, 2);
        Filtered out(c.entity, tags);
        ASSERT_EQ(out.result, 0);
        ReadBack back(out.output);
        ASSERT_EQ(back.items().size(), 1u);
        const ItemRec* item = back.items()[0];
        ASSERT_EQ(item->it_Header.ih_ItemType, DXFItemArc);
        const ArcRec& a = item->it_Arc;
        EXPECT_NEAR(a.ar_Radius, c.radius, 1e-6);
        EXPECT_NEAR(a.ar_Centre.x, c.centre_x, 1e-6);
        EXPECT_NEAR(a.ar_Centre.y, c.centre_y, 1e-6);
        EXPECT_NEAR(a.ar_Centre.z, 0.0, 1e-9);
        EXPECT_EQ(out.text.find("CIRCLE") != std::string::npos, c.full);
        if (!c.full && c.end > c.start) {
            EXPECT_NEAR(a.ar_Start, c.start * kPi / 180.0, 1e-6);
            EXPECT_NEAR(a.ar_End, c.end * kPi / 180.0, 1e-6);
        }
    }
}

TEST(FilterConversion, OtherSplinesAreSampledSpanBySpan)
{
    // A cubic of two spans: chords from its first to its last control point.
    const std::string cubic =
        spline(3, {0, 0, 0, 0, 1, 2, 2, 2, 2}, {}, {{0, 0}, {5, 10}, {10, -10}, {15, 10}, {20, 0}});
    Tags tags;
    tags.add(DXFF_SplineFlags, 2);
    Filtered out(cubic, tags);
    ReadBack back(out.output);
    const auto lines = back.items_of(DXFItemLine);
    ASSERT_GT(lines.size(), 10u);
    EXPECT_NEAR(lines.front()->it_Line.ln_Start.x, 0.0, 1e-6);
    EXPECT_NEAR(lines.back()->it_Line.ln_End.x, 20.0, 1e-6);
    EXPECT_NEAR(lines.back()->it_Line.ln_End.y, 0.0, 1e-6);
    for (size_t i = 1; i < lines.size(); ++i)
        EXPECT_NEAR(lines[i]->it_Line.ln_Start.x, lines[i - 1]->it_Line.ln_End.x, 1e-9);
}

TEST(FilterConversion, SplinesOfDegreeOneAndBadKnots)
{
    Tags tags;
    tags.add(DXFF_SplineFlags, 2);
    // Degree 1: its control points are the vertices. Fit points without knots: the
    // spline stays as it is.
    const std::string fitted = group(0, "SPLINE") + group(8, "0") + group(70, "8") +
                               group(71, "3") + group(72, "0") + group(73, "0") + group(74, "3") +
                               group(11, "0") + group(21, "0") + group(31, "0") + group(11, "5") +
                               group(21, "5") + group(31, "0") + group(11, "10") + group(21, "0") +
                               group(31, "0");
    Filtered out(spline(1, {0, 0, 1, 2, 2}, {}, {{0, 0}, {5, 5}, {10, 0}}) + fitted, tags);
    ASSERT_EQ(out.result, 0);
    ReadBack back(out.output);
    const auto lines = back.items_of(DXFItemLine);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NEAR(lines[0]->it_Line.ln_End.x, 5.0, 1e-9);
    EXPECT_EQ(back.items_of(DXFItemSpline).size(), 1u);
}

TEST(FilterConversion, ASplineWrittenAsPolylineGoesOnThroughThePolylinePass)
{
    // The spline pass raises the polyline counter: the polyline pass of the same run
    // cuts the POLYLINE it wrote into LINEs.
    Tags tags;
    tags.add(DXFF_SplineFlags, 8).add(DXFF_PolylineFlags, 2);
    Filtered out(spline(1, {0, 0, 1, 2, 2}, {}, {{0, 0}, {5, 5}, {10, 0}}), tags);
    ReadBack back(out.output);
    EXPECT_EQ(back.items_of(DXFItemLine).size(), 2u);
    EXPECT_TRUE(back.items_of(DXFItemPolyline).empty());
}

}
