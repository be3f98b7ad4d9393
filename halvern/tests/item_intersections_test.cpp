// Crossings of items with each other and with horizontal and vertical lines, with the
// half-open rule that keeps inside/outside parity right.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <utility>
#include <vector>

#include "geometry/geometry_internal.h"
#include "drawing_fixture.h"
#include "halvern/item_intersections.h"

namespace {

using halvern::kHalfPi;
using halvern::kPi;
using halvern::kTwoPi;
using halvern_test::Drawing;
using halvern_test::make_line;
using halvern_test::make_polyline;

constexpr double kNear = 1e-7;
const double kRoot3Half = std::sqrt(3.0) / 2.0;

struct BufferDeleter {
    void operator()(DXFPointBufferRec* buffer) const { DXFPointBufferDelete(buffer); }
};
using Buffer = std::unique_ptr<DXFPointBufferRec, BufferDeleter>;

struct Point2 {
    double x;
    double y;
};

// The count returned, and the points the buffer received, in order.
void expect_points(int32_t count, DXFPointBufferRec* buffer, const std::vector<Point2>& want)
{
    ASSERT_EQ(count, static_cast<int32_t>(want.size()));
    ASSERT_EQ(DXFPointBufferGetCount(buffer), count);
    for (size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "point " << i);
        const Point3DRec* got = DXFPointBufferGet(buffer, static_cast<uint32_t>(i));
        EXPECT_NEAR(got->x, want[i].x, kNear);
        EXPECT_NEAR(got->y, want[i].y, kNear);
    }
}

VertexRec vertex(double x, double y, double bulge = 0.0)
{
    return VertexRec{Point3DRec{x, y, 0.0}, bulge, 0};
}

ItemRec* make_arc(Pool* pool, Point3DRec centre, double radius, double start, double end,
                  int32_t direction)
{
    ItemRec* item = CreateItem(DXFItemArc, 0, 0, 0, 0, pool);
    item->it_Arc = ArcRec{centre, radius, start, end, direction};
    return item;
}

ItemRec* make_ray(Pool* pool, int32_t type, Point3DRec base, Point3DRec direction)
{
    ItemRec* item = CreateItem(type, 0, 0, 0, 0, pool);
    item->it_Ray = RayRec{base, direction};
    return item;
}

ItemRec* make_square(Pool* pool)
{
    return make_polyline(pool, {vertex(0, 0), vertex(2, 0), vertex(2, 2), vertex(0, 2), vertex(0, 0)});
}

double degrees(double value)
{
    return value * kPi / 180.0;
}

// ---------------------------------------------------------------------------------------
// Segments against axis lines

TEST(AxisCrossings, SegmentEndsCountOnlyWhenTheSegmentLeavesUpward)
{
    struct Row {
        const char* name;
        Point3DRec start;
        Point3DRec end;
        std::vector<Point2> points;
    } rows[] = {
        {"crossing", {0, -1, 0}, {2, 1, 0}, {{1, 0}}},
        {"start on the line, going up", {0, 0, 0}, {2, 1, 0}, {{0, 0}}},
        {"end on the line, coming down to it", {2, 1, 0}, {0, 0, 0}, {{0, 0}}},
        {"start on the line, going down", {0, 0, 0}, {2, -1, 0}, {}},
        {"start within the tolerance, going down", {0, 5e-7, 0}, {2, -1, 0}, {}},
        {"along the line", {0, 0, 0}, {2, 0, 0}, {}},
        {"horizontal above", {0, 1, 0}, {2, 1, 0}, {}},
        {"missing the line", {0, 1, 0}, {2, 3, 0}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Buffer buffer(DXFPointBufferCreate());
        expect_points(DXFIntersectYLine(0.0, &row.start, &row.end, buffer.get()), buffer.get(),
                      row.points);
        // The same with x and y exchanged against x = 0.
        const Point3DRec start{row.start.y, row.start.x, 0};
        const Point3DRec end{row.end.y, row.end.x, 0};
        std::vector<Point2> swapped;
        for (const Point2& p : row.points)
            swapped.push_back({p.y, p.x});
        Buffer across(DXFPointBufferCreate());
        expect_points(DXFIntersectXLine(0.0, &start, &end, across.get()), across.get(), swapped);
        EXPECT_EQ(DXFIntersectYLine(0.0, &row.start, &row.end, nullptr),
                  static_cast<int32_t>(row.points.size()))
            << "counted without a buffer";
    }
}

// Far from the origin the probe distance is below the spacing of doubles; an end on the
// line must still count for a segment that leaves it upward.
TEST(AxisCrossings, EndsFarFromTheOrigin)
{
    const double c = 1e12;
    const Point3DRec low{0, c, 0};
    const Point3DRec high{1, c + 1, 0};
    const Point3DRec lower{1, c - 1, 0};
    EXPECT_EQ(DXFIntersectYLine(c, &low, &high, nullptr), 1);
    EXPECT_EQ(DXFIntersectYLine(c, &high, &low, nullptr), 1);
    EXPECT_EQ(DXFIntersectYLine(c, &low, &lower, nullptr), 0);
    const Point3DRec left{c, 0, 0};
    const Point3DRec right{c + 1, 1, 0};
    EXPECT_EQ(DXFIntersectXLine(c, &left, &right, nullptr), 1);
}

TEST(AxisCrossings, CrossingTakesTheSegmentsHeight)
{
    const Point3DRec start{0, -1, 0};
    const Point3DRec end{2, 1, 4};
    Buffer buffer(DXFPointBufferCreate());
    ASSERT_EQ(DXFIntersectYLine(0.0, &start, &end, buffer.get()), 1);
    EXPECT_NEAR(DXFPointBufferGet(buffer.get(), 0)->z, 2.0, kNear);
}

TEST(AxisCrossings, ClosedSquareGivesEvenCounts)
{
    Drawing drawing;
    ItemRec* square = make_square(drawing.pool());
    struct Row {
        double c;
        std::vector<Point2> points;
    } rows[] = {
        {1.0, {{2, 1}, {0, 1}}},
        {0.0, {{2, 0}, {0, 0}}}, // its bottom edge: each corner from its upward edge
        {2.0, {}},               // its top edge
        {3.0, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.c);
        Buffer buffer(DXFPointBufferCreate());
        expect_points(DXFIntersectY(row.c, square, buffer.get()), buffer.get(), row.points);
    }
    Buffer buffer(DXFPointBufferCreate());
    expect_points(DXFIntersectX(1.0, square, buffer.get()), buffer.get(), {{1, 0}, {1, 2}});
    EXPECT_EQ(DXFIntersectY(1.0, nullptr, nullptr), 0);
    EXPECT_EQ(DXFIntersectY(1.0, halvern_test::make_text(drawing.pool(), "A"), nullptr), 0);
}

// ---------------------------------------------------------------------------------------
// Arcs against axis lines

TEST(AxisCrossings, Arcs)
{
    const Point3DRec origin{0, 0, 0};
    struct Row {
        const char* name;
        double c;
        double start;
        double end;
        int32_t direction;
        std::vector<Point2> points;
    } rows[] = {
        {"upper half circle, inside", 0.5, 0, kPi, 1, {{kRoot3Half, 0.5}, {-kRoot3Half, 0.5}}},
        {"upper half circle, clockwise", 0.5, kPi, 0, -1, {{kRoot3Half, 0.5}, {-kRoot3Half, 0.5}}},
        {"upper half circle, both ends on the line", 0, 0, kPi, 1, {{1, 0}, {-1, 0}}},
        {"lower half circle, both ends on the line", 0, kPi, kTwoPi, 1, {}},
        {"quarter, one crossing", 0.5, 0, kHalfPi, 1, {{kRoot3Half, 0.5}}},
        {"quarter ending on the line from below", 1e-9, -kHalfPi, 0, 1, {}},
        {"quarter starting on the line, going up", 0, 0, kHalfPi, 1, {{1, 0}}},
        {"tangent", 1, 0, kPi, 1, {}},
        {"missing", 2, 0, kTwoPi, 1, {}},
        {"full circle", 0.5, 0, kTwoPi, 1, {{kRoot3Half, 0.5}, {-kRoot3Half, 0.5}}},
        // Three quarters from the top round to the right: it passes (-1, 0) going down
        // and ends at (1, 0) coming up from below, so only (-1, 0) counts.
        {"start on a quarter point", 0, kHalfPi, 0, 1, {{-1, 0}}},
        // 320 degrees from 160 round to 120 degrees, whose end lies on y = sin 120: the
        // line at the end's height meets it at 60 degrees and, from above, at its end.
        {"sweep above three quarters", std::sin(degrees(120)), degrees(160), degrees(120), 1,
         {{0.5, std::sin(degrees(120))}, {-0.5, std::sin(degrees(120))}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Buffer buffer(DXFPointBufferCreate());
        expect_points(DXFIntersectYArc(row.c, &origin, 1.0, row.start, row.end, row.direction,
                                       buffer.get()),
                      buffer.get(), row.points);
        // The same arc turned a quarter clockwise against x = c: x takes the old y and
        // y the old -x, so the upper crossing comes first.
        Buffer across(DXFPointBufferCreate());
        std::vector<Point2> turned;
        for (const Point2& p : row.points)
            turned.push_back({p.y, -p.x});
        if (turned.size() == 2 && turned[0].y < turned[1].y)
            std::swap(turned[0], turned[1]);
        expect_points(DXFIntersectXArc(row.c, &origin, 1.0, row.start - kHalfPi,
                                       row.end - kHalfPi, row.direction, across.get()),
                      across.get(), turned);
    }
}

// Counting crossings on either side of a point inside a closed outline must give odd
// numbers on both sides; an arc whose end lies behind its start in the start's quarter
// needs every chord of its outline for that.
TEST(AxisCrossings, ParityInsideAnArcOfMoreThanThreeQuarters)
{
    Drawing drawing;
    Pool* pool = drawing.pool();
    const double c = std::sin(degrees(120));
    ItemRec* arc = make_arc(pool, {0, 0, 0}, 1, degrees(160), degrees(120), 1);
    Point3DRec start{};
    Point3DRec end{};
    ASSERT_EQ(DXFItemStart(arc, &start), 1);
    ASSERT_EQ(DXFItemEnd(arc, &end), 1);
    ItemRec* chord = make_line(pool, end.x, end.y, start.x, start.y);

    Buffer buffer(DXFPointBufferCreate());
    const int32_t count = DXFIntersectY(c, arc, buffer.get()) + DXFIntersectY(c, chord, buffer.get());
    ASSERT_EQ(count, DXFPointBufferGetCount(buffer.get()));
    int32_t left = 0;
    int32_t right = 0;
    for (int32_t i = 0; i < count; ++i)
        (DXFPointBufferGet(buffer.get(), static_cast<uint32_t>(i))->x < 0.0 ? left : right) += 1;
    EXPECT_EQ(left % 2, 1) << "the point (0, c) lies inside";
    EXPECT_EQ(right % 2, 1);
}

TEST(AxisCrossings, PolylineWithBulges)
{
    Drawing drawing;
    // A closed outline: a half circle below the chord from (0, 0) to (2, 0), then back
    // over a straight top at y = 1.
    ItemRec* outline = make_polyline(drawing.pool(), {vertex(0, 0, 1), vertex(2, 0), vertex(2, 1),
                                                      vertex(0, 1), vertex(0, 0)});
    Buffer buffer(DXFPointBufferCreate());
    expect_points(DXFIntersectY(-0.5, outline, buffer.get()), buffer.get(),
                  {{1 + kRoot3Half, -0.5}, {1 - kRoot3Half, -0.5}});
    Buffer across(DXFPointBufferCreate());
    expect_points(DXFIntersectX(1.0, outline, across.get()), across.get(), {{1, -1}, {1, 1}});
}

// ---------------------------------------------------------------------------------------
// Items against items

TEST(ItemIntersections, LineAgainstPolylineSegments)
{
    Drawing drawing;
    Pool* pool = drawing.pool();
    // A straight segment across the diagonal, one beside it, then the half circle about
    // (1, 1) from (2, 0) counter-clockwise to (0, 2), which meets the diagonal at (2, 2).
    ItemRec* polyline =
        make_polyline(pool, {vertex(0, 1), vertex(1, 0), vertex(2, 0, 1), vertex(0, 2)});
    const double far = 2.0;
    ItemRec* short_line = make_line(pool, 0, 0, 1, 1);
    Buffer one(DXFPointBufferCreate());
    expect_points(DXFIntersect(short_line, polyline, one.get()), one.get(), {{0.5, 0.5}});

    ItemRec* line = make_line(pool, 0, 0, 3, 3);
    Buffer both(DXFPointBufferCreate());
    expect_points(DXFIntersect(line, polyline, both.get()), both.get(), {{0.5, 0.5}, {far, far}});
    Buffer reversed(DXFPointBufferCreate());
    expect_points(DXFIntersect(polyline, line, reversed.get()), reversed.get(),
                  {{0.5, 0.5}, {far, far}});
    EXPECT_EQ(DXFIntersect(line, polyline, nullptr), 2) << "counted without a buffer";
}

TEST(ItemIntersections, TypesThatTakeNoPart)
{
    Drawing drawing;
    Pool* pool = drawing.pool();
    ItemRec* line = make_line(pool, 0, 0, 2, 2);
    for (int32_t type : {DXFItemInsert, DXFItemEllipse, DXFItemSpline, DXFItemPoint, DXFItemText}) {
        SCOPED_TRACE(type);
        ItemRec* other = CreateItem(type, 64, 0, 0, 0, pool);
        EXPECT_EQ(DXFIntersect(line, other, nullptr), 0);
        EXPECT_EQ(DXFIntersect(other, line, nullptr), 0);
    }
    EXPECT_EQ(DXFIntersect(nullptr, line, nullptr), 0);
    EXPECT_EQ(DXFIntersect(line, nullptr, nullptr), 0);
    EXPECT_EQ(DXFNoItemOperation(), 0);
}

TEST(ItemIntersections, RaysAndLines)
{
    Drawing drawing;
    Pool* pool = drawing.pool();
    ItemRec* ray = make_ray(pool, DXFItemRay, {0, 0, 0}, {1, 0, 0});
    ItemRec* upward = make_ray(pool, DXFItemRay, {1, -1, 0}, {0, 1, 0});
    ItemRec* behind = make_ray(pool, DXFItemRay, {-1, -1, 0}, {0, 1, 0});
    ItemRec* xline = make_ray(pool, DXFItemXLine, {1, 5, 0}, {0, 1, 0});
    ItemRec* segment = make_polyline(pool, {vertex(0, 0), vertex(2, 0)});
    ItemRec* circle = make_arc(pool, {0, 0, 0}, 1, 0, kTwoPi, 1);
    struct Row {
        const char* name;
        ItemRec* a;
        ItemRec* b;
        std::vector<Point2> points;
    } rows[] = {
        {"ray and ray", ray, upward, {{1, 0}}},
        {"crossing behind a ray", ray, behind, {}},
        {"infinite line and ray behind it", xline, ray, {{1, 0}}},
        {"polyline segment and infinite line", segment, xline, {{1, 0}}},
        {"ray and circle: forward only", ray, circle, {{1, 0}}},
        {"infinite line and circle", make_ray(pool, DXFItemXLine, {5, 0, 0}, {-1, 0, 0}), circle,
         {{-1, 0}, {1, 0}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Buffer buffer(DXFPointBufferCreate());
        expect_points(DXFIntersect(row.a, row.b, buffer.get()), buffer.get(), row.points);
    }
}

TEST(ItemIntersections, ArcsAndBulgedSegments)
{
    Drawing drawing;
    Pool* pool = drawing.pool();
    // A half circle below the chord from (0, 0) to (2, 0) against a vertical segment.
    ItemRec* bulged = make_polyline(pool, {vertex(0, 0, 1), vertex(2, 0)});
    ItemRec* post = make_polyline(pool, {vertex(1, -3), vertex(1, 3)});
    Buffer buffer(DXFPointBufferCreate());
    expect_points(DXFIntersect(bulged, post, buffer.get()), buffer.get(), {{1, -1}});

    // Circles of radius 1 about (0, 0) and (1, 0): the point right of the line of
    // centres comes first, whichever item is a.
    ItemRec* first = make_arc(pool, {0, 0, 0}, 1, 0, kTwoPi, 1);
    ItemRec* second = make_arc(pool, {1, 0, 0}, 1, 0, kTwoPi, 1);
    Buffer circles(DXFPointBufferCreate());
    expect_points(DXFIntersect(first, second, circles.get()), circles.get(),
                  {{0.5, -kRoot3Half}, {0.5, kRoot3Half}});
    // A polyline's arc goes first against a single ARC.
    ItemRec* ring = make_polyline(pool, {vertex(0, 1, 1), vertex(0, -1, 1), vertex(0, 1)});
    Buffer against(DXFPointBufferCreate());
    expect_points(DXFIntersect(second, ring, against.get()), against.get(),
                  {{0.5, -kRoot3Half}, {0.5, kRoot3Half}});
}

}
