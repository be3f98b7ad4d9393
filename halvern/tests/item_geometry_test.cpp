// Items as curves (ends, parameters, evaluation, reversal, point on item, walking along
// them) and point buffers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "geometry/geometry_internal.h"
#include "drawing_fixture.h"
#include "halvern/item_geometry.h"
#include "osmark/testing.h"

namespace {

using halvern::kHalfPi;
using halvern::kPi;
using halvern::kTwoPi;
using halvern_test::Drawing;
using halvern_test::make_line;
using halvern_test::make_polyline;
using halvern_test::make_spline;

constexpr double kNear = 1e-9;
const Point3DRec kUntouched{-99, -99, -99};

void expect_point(const Point3DRec& got, const Point3DRec& want, double near = kNear)
{
    EXPECT_NEAR(got.x, want.x, near);
    EXPECT_NEAR(got.y, want.y, near);
    EXPECT_NEAR(got.z, want.z, near);
}

ItemRec* make_point(Pool* pool, Point3DRec point)
{
    ItemRec* item = CreateItem(DXFItemPoint, 0, 0, 0, 0, pool);
    item->it_Point.pt_Point = point;
    return item;
}

ItemRec* make_arc(Pool* pool, Point3DRec centre, double radius, double start, double end,
                  int32_t direction)
{
    ItemRec* item = CreateItem(DXFItemArc, 0, 0, 0, 0, pool);
    item->it_Arc = ArcRec{centre, radius, start, end, direction};
    return item;
}

ItemRec* make_ellipse(Pool* pool, Point3DRec centre, Point3DRec major, double ratio, double start,
                      double end)
{
    ItemRec* item = CreateItem(DXFItemEllipse, 0, 0, 0, 0, pool);
    item->it_Ellipse = EllipseRec{centre, major, ratio, start, end, std::atan2(major.y, major.x), 1};
    return item;
}

VertexRec vertex(double x, double y, double bulge = 0.0)
{
    return VertexRec{Point3DRec{x, y, 0.0}, bulge, 0};
}

// ---------------------------------------------------------------------------------------
// Ends, parameters and evaluation

TEST(ItemGeometry, StartAndEndPerType)
{
    Drawing drawing;
    Pool* pool = drawing.pool();
    ItemRec* spline = make_spline(pool, {{0, 0, 0}, {1, 2, 0}, {3, 0, 0}}, {0, 0, 0, 1, 1, 1},
                                  {1, 1, 1});
    struct Row {
        const char* name;
        ItemRec* item;
        int32_t result;
        Point3DRec start;
        Point3DRec end;
    } rows[] = {
        {"point", make_point(pool, {1, 2, 3}), 1, {1, 2, 3}, {1, 2, 3}},
        {"line", make_line(pool, 0, 0, 2, 4), 1, {0, 0, 0}, {2, 4, 0}},
        {"arc", make_arc(pool, {1, 1, 5}, 2, 0, kHalfPi, 1), 1, {3, 1, 5}, {1, 3, 5}},
        {"ellipse at the centre's height",
         make_ellipse(pool, {0, 0, 1}, {2, 0, 4}, 0.5, 0, kHalfPi), 1, {2, 0, 1}, {0, 1, 1}},
        {"polyline", make_polyline(pool, {vertex(0, 0, 1), vertex(2, 0), vertex(2, 2)}), 1,
         {0, 0, 0}, {2, 2, 0}},
        {"spline control points", spline, 1, {0, 0, 0}, {3, 0, 0}},
        {"polyline without vertices", make_polyline(pool, {}), 0, kUntouched, kUntouched},
        {"text", halvern_test::make_text(pool, "A"), 0, kUntouched, kUntouched},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Point3DRec start = kUntouched;
        Point3DRec end = kUntouched;
        EXPECT_EQ(DXFItemStart(row.item, &start), row.result);
        EXPECT_EQ(DXFItemEnd(row.item, &end), row.result);
        expect_point(start, row.start);
        expect_point(end, row.end);
    }
    Point3DRec out{};
    EXPECT_EQ(DXFItemStart(nullptr, &out), 0);
    EXPECT_EQ(DXFItemEnd(rows[1].item, nullptr), 0);
}

TEST(ItemGeometry, ParameterRangePerType)
{
    Drawing drawing;
    Pool* pool = drawing.pool();
    ItemRec* spline = make_spline(pool, {{0, 0, 0}, {1, 2, 0}, {3, 0, 0}},
                                  {2, 2, 2, 5, 5, 5}, {1, 1, 1});
    spline->it_Spline.sp_Degree = 2;
    struct Row {
        const char* name;
        ItemRec* item;
        int32_t result;
        double start;
        double end;
    } rows[] = {
        {"point", make_point(pool, {1, 2, 3}), 1, 0, 0},
        {"line", make_line(pool, 0, 0, 2, 4), 1, 0, 1},
        {"arc across zero, whatever the direction",
         make_arc(pool, {0, 0, 0}, 1, 3 * kHalfPi, kHalfPi, 1), 1, kHalfPi, 3 * kHalfPi},
        {"full circle", make_arc(pool, {0, 0, 0}, 1, 0, kTwoPi, 1), 1, 0, 0},
        {"ellipse", make_ellipse(pool, {0, 0, 0}, {2, 0, 0}, 0.5, kPi, kHalfPi), 1, kHalfPi, kPi},
        {"spline knots", spline, 1, 2, 5},
        {"polyline: two straight segments and a half circle",
         make_polyline(pool, {vertex(0, 0), vertex(10, 0), vertex(10, 10, 1), vertex(10, 12)}),
         1, 0, 2 + kPi},
        {"polyline of one vertex", make_polyline(pool, {vertex(1, 1)}), 1, 0, 0},
        {"text", halvern_test::make_text(pool, "A"), 0, -1, -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        double start = -1;
        double end = -1;
        EXPECT_EQ(DXFItemStartEndParameter(row.item, &start, &end), row.result);
        EXPECT_NEAR(start, row.start, kNear);
        EXPECT_NEAR(end, row.end, kNear);
    }
}

TEST(ItemGeometry, EvaluatePerType)
{
    Drawing drawing;
    Pool* pool = drawing.pool();
    // A straight spline of degree 1: its parameter runs with the chord.
    ItemRec* spline = make_spline(pool, {{0, 0, 0}, {4, 2, 0}}, {0, 0, 1, 1}, {1, 1});
    spline->it_Spline.sp_Degree = 1;
    ItemRec* polyline = make_polyline(pool, {vertex(0, 0), vertex(10, 0), vertex(10, 10)});
    // Half circles from (0, 0) to (2, 0): bulge 1 passes below the chord, -1 above.
    ItemRec* below = make_polyline(pool, {vertex(0, 0, 1), vertex(2, 0)});
    ItemRec* above = make_polyline(pool, {vertex(0, 0, -1), vertex(2, 0)});
    struct Row {
        const char* name;
        ItemRec* item;
        double t;
        int32_t result;
        Point3DRec point;
    } rows[] = {
        {"point", make_point(pool, {1, 2, 3}), 7, 1, {1, 2, 3}},
        {"line at 0.5", make_line(pool, 0, 0, 2, 4), 0.5, 1, {1, 2, 0}},
        {"line at 0", make_line(pool, 0, 0, 2, 4), 0, 1, {0, 0, 0}},
        {"arc at an angle", make_arc(pool, {1, 1, 3}, 2, 0, kPi, 1), kHalfPi, 1, {1, 3, 3}},
        {"ellipse: z follows the major axis",
         make_ellipse(pool, {1, 1, 0}, {2, 0, 2}, 0.5, 0, kTwoPi), 0, 1, {3, 1, 2}},
        {"ellipse on its minor axis", make_ellipse(pool, {1, 1, 0}, {2, 0, 0}, 0.5, 0, kTwoPi),
         kHalfPi, 1, {1, 2, 0}},
        {"spline", spline, 0.25, 1, {1, 0.5, 0}},
        {"polyline in its second segment", polyline, 1.5, 1, {10, 5, 0}},
        {"polyline past its end", polyline, 7, 1, {10, 10, 0}},
        {"bulge 1 from its first vertex", below, 0, 1, {0, 0, 0}},
        {"bulge 1 halfway", below, kHalfPi, 1, {1, -1, 0}},
        {"bulge -1 from its first vertex", above, 0, 1, {0, 0, 0}},
        {"bulge -1 a quarter in", above, kPi / 4, 1, {1 - std::sqrt(0.5), std::sqrt(0.5), 0}},
        {"bulge -1 at its end", above, kPi, 1, {2, 0, 0}},
        {"polyline without vertices", make_polyline(pool, {}), 0, 0, kUntouched},
        {"text", halvern_test::make_text(pool, "A"), 0, 0, kUntouched},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Point3DRec out = kUntouched;
        EXPECT_EQ(DXFItemEvaluate(row.item, row.t, &out), row.result);
        expect_point(out, row.point);
    }
}

TEST(ItemGeometry, SplineWithTooFewKnotsIsNotEvaluated)
{
    Drawing drawing;
    ItemRec* spline = make_spline(drawing.pool(), {{0, 0, 0}, {4, 2, 0}}, {0, 0, 1}, {1, 1});
    spline->it_Spline.sp_Degree = 1;
    Point3DRec out = kUntouched;
    EXPECT_EQ(DXFItemEvaluate(spline, 0.5, &out), 0);
    expect_point(out, kUntouched);
}

// ---------------------------------------------------------------------------------------
// Reversal

TEST(ItemGeometry, ReversePolylineShiftsAndNegatesBulges)
{
    Drawing drawing;
    ItemRec* item = make_polyline(drawing.pool(), {vertex(0, 0, 1), vertex(2, 0), vertex(2, 2)});
    item->it_Polyline.pl_Vertices[0].vx_Flags = 7;
    ASSERT_EQ(DXFItemReverse(item), 1);
    const VertexRec* v = item->it_Polyline.pl_Vertices;
    const std::vector<VertexRec> want = {vertex(2, 2, 0), vertex(2, 0, -1), vertex(0, 0, 0)};
    for (size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE(i);
        expect_point(v[i].vx_Point, want[i].vx_Point);
        EXPECT_EQ(v[i].vx_Bulge, want[i].vx_Bulge);
    }
    EXPECT_EQ(v[2].vx_Flags, 7u) << "a vertex moves whole, flags included";
    // The reversed bulged segment is still the arc below the chord from (0, 0) to (2, 0).
    Point3DRec middle{};
    ASSERT_EQ(DXFItemArcLengthPoint(item, 2 + kHalfPi, 1, &middle), 1);
    expect_point(middle, {1, -1, 0});

    ASSERT_EQ(DXFItemReverse(item), 1);
    expect_point(v[0].vx_Point, {0, 0, 0});
    EXPECT_EQ(v[0].vx_Bulge, 1.0);
    EXPECT_EQ(v[1].vx_Bulge, 0.0);
}

TEST(ItemGeometry, ReverseLineArcAndEllipse)
{
    Drawing drawing;
    Pool* pool = drawing.pool();
    ItemRec* line = make_line(pool, 0, 0, 2, 4);
    ASSERT_EQ(DXFItemReverse(line), 1);
    expect_point(line->it_Line.ln_Start, {2, 4, 0});
    expect_point(line->it_Line.ln_End, {0, 0, 0});

    ItemRec* arc = make_arc(pool, {0, 0, 0}, 1, 0.5, 2.0, 1);
    ASSERT_EQ(DXFItemReverse(arc), 1);
    EXPECT_EQ(arc->it_Arc.ar_Start, 2.0);
    EXPECT_EQ(arc->it_Arc.ar_End, 0.5);
    EXPECT_EQ(arc->it_Arc.ar_Dir, -1);

    // Chaining reverses ellipses too: start and end change places with the direction.
    ItemRec* ellipse = make_ellipse(pool, {0, 0, 0}, {2, 0, 0}, 0.5, 0.5, 2.0);
    Point3DRec start{};
    DXFItemStart(ellipse, &start);
    ASSERT_EQ(DXFItemReverse(ellipse), 1);
    EXPECT_EQ(ellipse->it_Ellipse.el_Dir, -1);
    Point3DRec end{};
    DXFItemEnd(ellipse, &end);
    expect_point(end, start);

    EXPECT_EQ(DXFItemReverse(halvern_test::make_text(pool, "A")), 0);
    EXPECT_EQ(DXFItemReverse(make_point(pool, {1, 1, 1})), 0);
    EXPECT_EQ(DXFItemReverse(nullptr), 0);
}

TEST(ItemGeometry, ReverseSplineKeepsTheCurve)
{
    Drawing drawing;
    // Degree 2, four points, uneven knots that do not start at 0, uneven weights.
    ItemRec* item = make_spline(drawing.pool(), {{0, 0, 0}, {1, 3, 0}, {4, 3, 0}, {6, 0, 0}},
                                {1, 1, 1, 2, 4, 4, 4}, {1, 2, 0.5, 1});
    SplineRec& spline = item->it_Spline;
    spline.sp_Degree = 2;
    spline.sp_StartTangent = Point3DRec{1, 0, 0};
    spline.sp_EndTangent = Point3DRec{0, -1, 0};
    ItemRec* original = CopyItem(item, drawing.pool());
    ASSERT_NE(original, nullptr);

    ASSERT_EQ(DXFItemReverse(item), 1);
    const std::vector<double> knots(spline.sp_Knots, spline.sp_Knots + spline.sp_NumKnots);
    EXPECT_EQ(knots, (std::vector<double>{1, 1, 1, 3, 4, 4, 4})) << "mirrored within 1 to 4";
    EXPECT_EQ(spline.sp_Weights[1], 0.5);
    expect_point(spline.sp_Points[0], {6, 0, 0});
    expect_point(spline.sp_StartTangent, {0, 1, 0});
    expect_point(spline.sp_EndTangent, {-1, 0, 0});

    // The same curve, run backwards: the point at t is the old point at 1 + 4 - t.
    for (double t = 1.0; t <= 4.0; t += 0.25) {
        SCOPED_TRACE(t);
        Point3DRec reversed{};
        Point3DRec before{};
        ASSERT_EQ(DXFItemEvaluate(item, t, &reversed), 1);
        ASSERT_EQ(DXFItemEvaluate(original, 5.0 - t, &before), 1);
        expect_point(reversed, before, 1e-9);
    }
}

// ---------------------------------------------------------------------------------------
// Point on item and polyline segments

TEST(ItemGeometry, PointOnItem)
{
    Drawing drawing;
    Pool* pool = drawing.pool();
    ItemRec* line = make_line(pool, 0, 0, 10, 0);
    ItemRec* arc = make_arc(pool, {0, 0, 0}, 1, 0, kHalfPi, 1);
    ItemRec* polyline = make_polyline(pool, {vertex(0, 0), vertex(2, 0, 1), vertex(4, 0)});
    struct Row {
        const char* name;
        ItemRec* item;
        Point3DRec point;
        int32_t result;
    } rows[] = {
        {"line inside", line, {5, 0.0000005, 0}, 1},
        {"line beyond its end", line, {10.000002, 0, 0}, 0},
        {"arc on its sweep", arc, {std::sqrt(0.5), std::sqrt(0.5), 0}, 1},
        {"arc on its circle, off its sweep", arc, {-1, 0, 0}, 0},
        {"polyline straight segment", polyline, {1, 0, 0}, 1},
        {"polyline bulged segment, below the chord", polyline, {3, -1, 0}, 1},
        {"polyline bulged segment's other half circle", polyline, {3, 1, 0}, 0},
        {"ellipse is never tested", make_ellipse(pool, {0, 0, 0}, {2, 0, 0}, 1, 0, kTwoPi),
         {2, 0, 0}, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(DXFPointOnItem(row.item, &row.point), row.result);
    }
    EXPECT_EQ(DXFPointOnItem(line, nullptr), 0);
}

TEST(ItemGeometry, ExpandPolyItem)
{
    Drawing drawing;
    Pool* pool = drawing.pool();
    ItemRec* polyline = make_polyline(pool, {vertex(0, 0, 1), vertex(2, 0), vertex(2, 2)});
    polyline->it_Header.ih_Layer = 3;
    polyline->it_Header.ih_Colour = 5;
    polyline->it_Header.ih_LineType = 2;

    ItemRec* last = DXFExpandPolyItem(polyline, -1, pool);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->it_Header.ih_ItemType, DXFItemLine);
    expect_point(last->it_Line.ln_Start, {2, 0, 0});
    expect_point(last->it_Line.ln_End, {2, 2, 0});
    EXPECT_EQ(last->it_Header.ih_Layer, 3);
    EXPECT_EQ(last->it_Header.ih_Colour, 5);
    EXPECT_EQ(last->it_Header.ih_LineType, 2);
    EXPECT_EQ(last->it_Header.ih_ID, 0u) << "in no buffer";

    ItemRec* first = DXFExpandPolyItem(polyline, 0, pool);
    ASSERT_NE(first, nullptr);
    ASSERT_EQ(first->it_Header.ih_ItemType, DXFItemArc);
    Point3DRec start{};
    DXFItemStart(first, &start);
    expect_point(start, {0, 0, 0});
    EXPECT_NEAR(first->it_Arc.ar_Radius, 1.0, kNear);

    EXPECT_EQ(DXFExpandPolyItem(polyline, 2, pool), nullptr);
    EXPECT_EQ(DXFExpandPolyItem(make_polyline(pool, {vertex(1, 1)}), 0, pool), nullptr);
    EXPECT_EQ(DXFExpandPolyItem(make_line(pool, 0, 0, 1, 1), 0, pool), nullptr);
}

// ---------------------------------------------------------------------------------------
// Walking along items

TEST(ItemGeometry, ArcLengthPoint)
{
    Drawing drawing;
    Pool* pool = drawing.pool();
    ItemRec* line = make_line(pool, 0, 0, 10, 0);
    ItemRec* polyline = make_polyline(pool, {vertex(0, 0), vertex(10, 0), vertex(10, 10)});
    // A half circle above the chord from (0, 0) to (2, 0): its arc runs from the second
    // vertex, but the distance is still measured from the first.
    ItemRec* above = make_polyline(pool, {vertex(0, 0, -1), vertex(2, 0)});
    const double r = std::sqrt(0.5);
    struct Row {
        const char* name;
        ItemRec* item;
        double distance;
        int32_t from_start;
        int32_t result;
        Point3DRec point;
    } rows[] = {
        {"point", make_point(pool, {1, 2, 3}), 5, 1, 1, {1, 2, 3}},
        {"line from the start", line, 3, 1, 1, {3, 0, 0}},
        {"line from the end", line, 3, 0, 1, {7, 0, 0}},
        {"line of no length", make_line(pool, 1, 1, 1, 1), 3, 1, 1, {1, 1, 0}},
        {"arc from the start", make_arc(pool, {0, 0, 0}, 2, 0, kPi, 1), kPi, 1, 1, {0, 2, 0}},
        {"clockwise arc from the end", make_arc(pool, {0, 0, 0}, 2, kPi, 0, -1), kPi, 0, 1,
         {0, 2, 0}},
        {"polyline second segment", polyline, 15, 1, 1, {10, 5, 0}},
        {"polyline at its very end", polyline, 20, 1, 1, {10, 10, 0}},
        {"polyline beyond its end", polyline, 25, 1, 0, kUntouched},
        {"polyline from the end", polyline, 5, 0, 1, {10, 5, 0}},
        {"polyline from the end, second segment", polyline, 12, 0, 1, {8, 0, 0}},
        {"negative bulge from the start", above, kPi / 4, 1, 1, {1 - r, r, 0}},
        {"negative bulge from the end", above, kPi / 4, 0, 1, {1 + r, r, 0}},
        {"ellipse", make_ellipse(pool, {0, 0, 0}, {2, 0, 0}, 1, 0, kTwoPi), 1, 1, 0, kUntouched},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Point3DRec out = kUntouched;
        EXPECT_EQ(DXFItemArcLengthPoint(row.item, row.distance, row.from_start, &out), row.result);
        expect_point(out, row.point);
    }
    // Walking from the end leaves the polyline as it was.
    expect_point(polyline->it_Polyline.pl_Vertices[0].vx_Point, {0, 0, 0});
    EXPECT_EQ(above->it_Polyline.pl_Vertices[0].vx_Bulge, -1.0);
}

TEST(ItemGeometry, NextBreak)
{
    Drawing drawing;
    Pool* pool = drawing.pool();
    ItemRec* arc = make_arc(pool, {0, 0, 0}, 1, 0, kHalfPi, 1);
    ItemRec* line = make_line(pool, 0, 0, 3, 4);
    ItemRec* polyline = make_polyline(pool, {vertex(0, 0), vertex(10, 0), vertex(10, 10)});
    ItemRec* above = make_polyline(pool, {vertex(0, 0, -1), vertex(2, 0)});
    struct Row {
        const char* name;
        ItemRec* item;
        double step;
        int32_t from_start;
        double position;
        int32_t result;
        Point3DRec point;
        double length;
        double parameter;
    } rows[] = {
        {"arc, one step", arc, 1, 1, 0, 1, {std::cos(1.0), std::sin(1.0), 0}, -1, -1},
        {"arc, a step beyond its end", arc, 2, 1, 0, 1, {0, 1, 0}, -1, -1},
        {"arc from the end", arc, 1, 0, 0, 1,
         {std::cos(kHalfPi - 1), std::sin(kHalfPi - 1), 0}, -1, -1},
        {"arc, no step goes to the end", arc, 0, 1, 0.3, 1, {0, 1, 0}, -1, -1},
        {"line from the start", line, 1, 1, 0, 1, {3, 4, 0}, 5, 1},
        {"line from the end", line, 1, 0, 0, 1, {0, 0, 0}, 5, 0},
        {"point", make_point(pool, {1, 2, 3}), 1, 1, 0, 1, {1, 2, 3}, 0, 0},
        {"polyline first segment", polyline, 1, 1, 0.5, 1, {10, 0, 0}, 10, 1},
        {"polyline second segment", polyline, 1, 1, 1.5, 1, {10, 10, 0}, 10, 1},
        {"polyline from the end", polyline, 1, 0, 0, 1, {10, 0, 0}, 10, 1},
        {"polyline beyond its end", polyline, 1, 1, 3, 0, kUntouched, -1, -1},
        // The half circle above the chord from (0, 0) to (2, 0) is left from (0, 0).
        {"negative bulge from its first vertex", above, 1, 1, 0, 1,
         {1 - std::cos(1.0), std::sin(1.0), 0}, -1, -1},
        {"spline reports nothing", make_spline(pool, {{0, 0, 0}, {1, 1, 0}}, {0, 0, 1, 1}, {1, 1}), 1, 1, 0, 1,
         kUntouched, -1, -1},
        {"text", halvern_test::make_text(pool, "A"), 1, 1, 0, 0, kUntouched, -1, -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Point3DRec out = kUntouched;
        double length = -1;
        double parameter = -1;
        EXPECT_EQ(DXFItemNextBreak(row.item, row.step, row.from_start, row.position, &length,
                                   &parameter, &out),
                  row.result);
        expect_point(out, row.point);
        EXPECT_NEAR(length, row.length, kNear);
        EXPECT_NEAR(parameter, row.parameter, kNear);
    }
}

// ---------------------------------------------------------------------------------------
// Point buffers

struct BufferDeleter {
    void operator()(DXFPointBufferRec* buffer) const { DXFPointBufferDelete(buffer); }
};
using Buffer = std::unique_ptr<DXFPointBufferRec, BufferDeleter>;

int32_t by_x(const void* a, const void* b)
{
    const double ax = static_cast<const Point3DRec*>(a)->x;
    const double bx = static_cast<const Point3DRec*>(b)->x;
    return ax < bx ? -1 : ax > bx ? 1 : 0;
}

TEST(PointBuffer, GrowsByItsStep)
{
    Buffer buffer(DXFPointBufferCreate());
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(buffer->pb_Size, 100);
    EXPECT_EQ(buffer->pb_Max, 100);
    for (int32_t i = 0; i < 101; ++i) {
        const Point3DRec point{static_cast<double>(i), 1, 2};
        const Point3DRec* stored = DXFPointBufferAdd(buffer.get(), &point);
        ASSERT_NE(stored, nullptr);
        EXPECT_EQ(stored->x, point.x);
    }
    EXPECT_EQ(buffer->pb_Max, 200);
    EXPECT_EQ(DXFPointBufferGetCount(buffer.get()), 101);
    expect_point(*DXFPointBufferGet(buffer.get(), 100), {100, 1, 2});
    expect_point(*DXFPointBufferGet(buffer.get(), 0), {0, 1, 2});

    // A step below 10 is raised to 10.
    buffer->pb_Size = 3;
    DXFPointBufferSetCount(buffer.get(), 200);
    const Point3DRec point{1, 1, 1};
    ASSERT_NE(DXFPointBufferAdd(buffer.get(), &point), nullptr);
    EXPECT_EQ(buffer->pb_Max, 210);
    EXPECT_EQ(buffer->pb_Size, 10);
}

TEST(PointBuffer, OutOfRangeGivesTheSharedZeroPoint)
{
    Buffer buffer(DXFPointBufferCreate());
    const Point3DRec point{4, 5, 6};
    DXFPointBufferAdd(buffer.get(), &point);
    Point3DRec* zero = DXFPointBufferGet(buffer.get(), 1);
    expect_point(*zero, {0, 0, 0});
    zero->x = 42; // a careless caller
    EXPECT_EQ(DXFPointBufferGet(buffer.get(), 7), zero);
    expect_point(*DXFPointBufferGet(nullptr, 0), {0, 0, 0});
    EXPECT_EQ(DXFPointBufferGetCount(nullptr), 0);
    EXPECT_EQ(DXFPointBufferAdd(nullptr, &point), nullptr);
    DXFPointBufferDelete(nullptr);
}

TEST(PointBuffer, SetCountZeroFillsPointsThatComeIntoUse)
{
    Buffer buffer(DXFPointBufferCreate());
    for (double x : {1.0, 2.0, 3.0}) {
        const Point3DRec point{x, x, x};
        DXFPointBufferAdd(buffer.get(), &point);
    }
    DXFPointBufferSetCount(buffer.get(), 1);
    EXPECT_EQ(DXFPointBufferGetCount(buffer.get()), 1);
    DXFPointBufferSetCount(buffer.get(), 3);
    expect_point(*DXFPointBufferGet(buffer.get(), 0), {1, 1, 1});
    expect_point(*DXFPointBufferGet(buffer.get(), 1), {0, 0, 0});
    expect_point(*DXFPointBufferGet(buffer.get(), 2), {0, 0, 0});

    DXFPointBufferSetCount(buffer.get(), 150);
    EXPECT_EQ(buffer->pb_Max, 151);
    EXPECT_EQ(DXFPointBufferGetCount(buffer.get()), 150);
    expect_point(*DXFPointBufferGet(buffer.get(), 149), {0, 0, 0});
    expect_point(*DXFPointBufferGet(buffer.get(), 0), {1, 1, 1});
}

TEST(PointBuffer, SortsARange)
{
    Buffer buffer(DXFPointBufferCreate());
    for (double x : {5.0, 4.0, 3.0, 2.0, 1.0}) {
        const Point3DRec point{x, 0, 0};
        DXFPointBufferAdd(buffer.get(), &point);
    }
    DXFPointBufferSort(buffer.get(), 1, 3, by_x);
    std::vector<double> xs;
    for (uint32_t i = 0; i < 5; ++i)
        xs.push_back(DXFPointBufferGet(buffer.get(), i)->x);
    EXPECT_EQ(xs, (std::vector<double>{5, 2, 3, 4, 1}));

    DXFPointBufferSort(buffer.get(), 2, 100, by_x); // the count stops at the end
    DXFPointBufferSort(buffer.get(), 6, 2, by_x);   // beyond the count: nothing
    xs.clear();
    for (uint32_t i = 0; i < 5; ++i)
        xs.push_back(DXFPointBufferGet(buffer.get(), i)->x);
    EXPECT_EQ(xs, (std::vector<double>{5, 2, 1, 3, 4}));
    DXFPointBufferSort(nullptr, 0, 1, by_x);
}

TEST(PointBuffer, FailedGrowthKeepsThePoints)
{
    // Creation fails cleanly at either of its two blocks.
    for (uint32_t successes : {0u, 1u}) {
        SCOPED_TRACE(successes);
        osmark_testing_fail_allocations(successes, 1);
        EXPECT_EQ(DXFPointBufferCreate(), nullptr);
        osmark_testing_fail_allocations(0, 0);
    }

    Buffer buffer(DXFPointBufferCreate());
    DXFPointBufferSetCount(buffer.get(), 100);
    const Point3DRec point{7, 7, 7};
    osmark_testing_fail_allocations(0, 1);
    EXPECT_EQ(DXFPointBufferAdd(buffer.get(), &point), nullptr);
    osmark_testing_fail_allocations(0, 0);
    EXPECT_EQ(DXFPointBufferGetCount(buffer.get()), 100);
    EXPECT_EQ(buffer->pb_Max, 100);

    DXFPointBufferSetCount(buffer.get(), 0);
    osmark_testing_fail_allocations(0, 1);
    DXFPointBufferSetCount(buffer.get(), 500);
    osmark_testing_fail_allocations(0, 0);
    EXPECT_EQ(DXFPointBufferGetCount(buffer.get()), 100) << "the count becomes the capacity";
    expect_point(*DXFPointBufferGet(buffer.get(), 99), {0, 0, 0});
}

}
