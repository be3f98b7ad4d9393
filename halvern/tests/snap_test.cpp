// The same-item test and snapping to a grid.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "geometry/geometry_internal.h"
#include "drawing_fixture.h"
#include "halvern/edits.h"
#include "halvern/item_geometry.h"

namespace {

using halvern::kHalfPi;
using halvern::kPi;
using halvern::kTwoPi;
using halvern_test::Drawing;
using halvern_test::make_line;
using halvern_test::make_polyline;
using halvern_test::make_spline;

using halvern_test::expect_point;
using halvern_test::kNear;
using halvern_test::make_arc;
using halvern_test::vertex;

ItemRec* make_ellipse(Pool* pool, double start, double end)
{
    ItemRec* item = CreateItem(DXFItemEllipse, 0, 0, 0, 0, pool);
    item->it_Ellipse = EllipseRec{{1, 2, 0}, {3, 1, 0}, 0.5, start, end, std::atan2(1.0, 3.0), 1};
    return item;
}

ItemRec* make_text(Pool* pool, const char* text)
{
    ItemRec* item = halvern_test::make_text(pool, text);
    item->it_Text.tx_Point = Point3DRec{1, 1, 0};
    item->it_Text.tx_Height = 2.5;
    item->it_Text.tx_Rotation = 0.5;
    return item;
}

ItemRec* make_ray(Pool* pool, int32_t type, Point3DRec base, Point3DRec direction)
{
    ItemRec* item = CreateItem(type, 0, 0, 0, 0, pool);
    item->it_Ray = RayRec{base, direction};
    return item;
}

// ---------------------------------------------------------------------------------------
// Same items

TEST(SameItems, PairsPerType)
{
    Drawing drawing;
    Pool* pool = drawing.pool();
    ItemRec* line = make_line(pool, 0, 0, 10, 0);
    ItemRec* lifted = make_line(pool, 0, 0, 10, 0);
    lifted->it_Line.ln_End.z = 3;
    ItemRec* polyline = make_polyline(pool, {vertex(0, 0), vertex(2, 0, 1), vertex(2, 2)});
    ItemRec* insert = halvern_test::make_insert(pool, nullptr, 0);
    struct Row {
        const char* name;
        ItemRec* a;
        ItemRec* b;
        int32_t same;
    } rows[] = {
        {"line reversed", line, make_line(pool, 10, 0, 0, 0), 1},
        {"line within the tolerance", line, make_line(pool, 0, 0, 10, 0.0000005), 1},
        {"line beyond the tolerance", line, make_line(pool, 0, 0, 10, 0.000002), 0},
        {"z never matters", line, lifted, 1},
        {"arc reversed with the other direction", make_arc(pool, {1, 1, 0}, 2, 0, kHalfPi, 1),
         make_arc(pool, {1, 1, 0}, 2, kHalfPi, 0, -1), 1},
        {"arc exchanged in the same direction", make_arc(pool, {1, 1, 0}, 2, 0, kHalfPi, 1),
         make_arc(pool, {1, 1, 0}, 2, kHalfPi, 0, 1), 0},
        {"circles from 0 to 2pi and from 0 to 0", make_arc(pool, {1, 1, 0}, 2, 0, kTwoPi, 1),
         make_arc(pool, {1, 1, 0}, 2, 0, 0, 1), 0},
        {"arc of another radius", make_arc(pool, {1, 1, 0}, 2, 0, 1, 1),
         make_arc(pool, {1, 1, 0}, 2.1, 0, 1, 1), 0},
        {"texts", make_text(pool, "Part"), make_text(pool, "Part"), 1},
        {"texts differing in case", make_text(pool, "Part"), make_text(pool, "PART"), 0},
        {"polyline backwards, other bulges", polyline,
         make_polyline(pool, {vertex(2, 2, 0.3), vertex(2, 0), vertex(0, 0)}), 1},
        {"polyline with one vertex moved", polyline,
         make_polyline(pool, {vertex(0, 0), vertex(2, 0), vertex(2, 3)}), 0},
        {"polylines without vertices", make_polyline(pool, {}), make_polyline(pool, {}), 1},
        {"ellipse reversed", make_ellipse(pool, 0.2, 1.5), [&] {
             ItemRec* e = make_ellipse(pool, 1.5, 0.2);
             e->it_Ellipse.el_Dir = -1;
             return e;
         }(), 1},
        {"ellipse of another ratio", make_ellipse(pool, 0.2, 1.5), [&] {
             ItemRec* e = make_ellipse(pool, 0.2, 1.5);
             e->it_Ellipse.el_Ratio = 0.6;
             return e;
         }(), 0},
        {"rays", make_ray(pool, DXFItemRay, {1, 2, 0}, {0, 1, 0}),
         make_ray(pool, DXFItemRay, {1, 2, 5}, {0, 1, 0}), 1},
        {"infinite lines the other way", make_ray(pool, DXFItemXLine, {1, 2, 0}, {0, 1, 0}),
         make_ray(pool, DXFItemXLine, {1, 2, 0}, {0, -1, 0}), 0},
        {"a point and a line", CreateItem(DXFItemPoint, 0, 0, 0, 0, pool), line, 0},
        {"two inserts at the same place", insert, CopyItem(insert, pool), 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(DXFSameItems(row.a, row.b), row.same);
        EXPECT_EQ(DXFSameItems(row.b, row.a), row.same);
    }
    EXPECT_EQ(DXFSameItems(line, nullptr), 0);
    EXPECT_EQ(DXFSameItems(nullptr, line), 0);
}

TEST(SameItems, SplineComparesKnotsAndWeights)
{
    Drawing drawing;
    Pool* pool = drawing.pool();
    const std::vector<Point3DRec> points = {{0, 0, 0}, {1, 3, 0}, {4, 3, 0}, {6, 0, 0}};
    ItemRec* spline = make_spline(pool, points, {1, 1, 1, 2, 4, 4, 4}, {1, 2, 0.5, 1});
    ItemRec* other_knots = make_spline(pool, points, {1, 1, 1, 3, 4, 4, 4}, {1, 2, 0.5, 1});
    ItemRec* other_weights = make_spline(pool, points, {1, 1, 1, 2, 4, 4, 4}, {1, 2, 0.6, 1});
    ItemRec* backwards = make_spline(pool, {points.rbegin(), points.rend()},
                                     {1, 1, 1, 3, 4, 4, 4}, {1, 0.5, 2, 1});
    EXPECT_EQ(DXFSameItems(spline, CopyItem(spline, pool)), 1);
    EXPECT_EQ(DXFSameItems(spline, other_knots), 0);
    EXPECT_EQ(DXFSameItems(spline, other_weights), 0);
    EXPECT_EQ(DXFSameItems(spline, backwards), 1) << "knots mirrored within 1 to 4";
    ItemRec* degree = CopyItem(spline, pool);
    degree->it_Spline.sp_Degree = 2;
    EXPECT_EQ(DXFSameItems(spline, degree), 0);
}

// Whatever DXFItemReverse does to an item, the item stays the same item.
TEST(SameItems, ReversedItemsAreTheSame)
{
    Drawing drawing;
    Pool* pool = drawing.pool();
    const std::vector<ItemRec*> items = {
        make_line(pool, 1, 2, 7, -3),
        make_arc(pool, {1, 1, 0}, 2, 0.4, 2.2, 1),
        make_arc(pool, {1, 1, 0}, 2, 0.4, 2.2, -1),
        make_polyline(pool, {vertex(0, 0, 0.4), vertex(2, 0), vertex(2, 2, -1), vertex(0, 3)}),
        make_spline(pool, {{0, 0, 0}, {1, 3, 0}, {4, 3, 0}, {6, 0, 0}}, {1, 1, 1, 2, 4, 4, 4},
                    {1, 2, 0.5, 1}),
        make_ellipse(pool, 0.2, 1.5),
    };
    for (ItemRec* item : items) {
        SCOPED_TRACE(item->it_Header.ih_ItemType);
        ItemRec* reversed = CopyItem(item, pool);
        ASSERT_EQ(DXFItemReverse(reversed), 1);
        EXPECT_EQ(DXFSameItems(item, reversed), 1);
        EXPECT_EQ(DXFSameItems(reversed, item), 1);
    }
}

// ---------------------------------------------------------------------------------------
// Snap

TEST(SnapEnd, LinesCollapsingToAPointAreExcluded)
{
    Drawing drawing;
    Pool* pool = drawing.pool();
    struct Row {
        const char* name;
        double step;
        Point3DRec start;
        Point3DRec end;
        Point3DRec snapped_start;
        Point3DRec snapped_end;
        bool excluded;
    } rows[] = {
        {"collapses", 1, {0.4, 0.2, 0}, {0.3, -0.4, 0}, {0, 0, 0}, {0, 0, 0}, true},
        {"keeps a length", 1, {0.4, 0, 0}, {2.6, 0, 0}, {0, 0, 0}, {3, 0, 0}, false},
        {"rounds z too", 0.5, {0.3, 0.2, 1.3}, {2.6, 0.8, 0.2}, {0.5, 0, 1.5}, {2.5, 1, 0}, false},
        {"step of zero rounds nothing", 0, {0.3, 0.2, 0}, {0.3, 0.2, 0}, {0.3, 0.2, 0},
         {0.3, 0.2, 0}, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ItemRec* line = make_line(pool, 0, 0, 0, 0);
        line->it_Line.ln_Start = row.start;
        line->it_Line.ln_End = row.end;
        line->it_Header.ih_Flags = DXFItemPicked;
        EXPECT_EQ(DXFSnapEnd(line, row.step), 1);
        expect_point(line->it_Line.ln_Start, row.snapped_start);
        expect_point(line->it_Line.ln_End, row.snapped_end);
        EXPECT_EQ(line->it_Header.ih_Flags,
                  row.excluded ? DXFItemPicked | DXFItemExcluded : DXFItemPicked);
    }
}

TEST(SnapEnd, Arcs)
{
    Drawing drawing;
    Pool* pool = drawing.pool();
    struct Row {
        const char* name;
        double step;
        ArcRec arc;
        ArcRec snapped;
        bool excluded;
    } rows[] = {
        {"short arc collapsing to a point", 1, {{0, 0, 0}, 0.3, 0, kHalfPi, 1},
         {{0, 0, 0}, 0.3, 0, kHalfPi, 1}, true},
        {"long arc collapsing becomes a full circle", 1, {{0, 0, 0}, 0.3, 0, 3 * kHalfPi, 1},
         {{0, 0, 0}, 0.3, 0, 0, 1}, false},
        {"more than a half circle collapsing", 1, {{0.1, 0.1, 0}, 0.3, 0, kPi + 0.1, 1},
         {{0.1, 0.1, 0}, 0.3, std::atan2(-0.1, -0.1), std::atan2(-0.1, -0.1), 1}, false},
        {"circle through its rounded start", 1, {{0.2, 0.2, 4}, 1.1, 0, kTwoPi, 1},
         {{0.2, 0.2, 4}, std::sqrt(0.68), 0, kTwoPi, 1}, false},
        {"circle shrinking to its centre stays", 1, {{1, 1, 0}, 0.3, 0, kTwoPi, 1},
         {{1, 1, 0}, 0, 0, kTwoPi, 1}, false},
        {"arc moved through its rounded ends", 10, {{1, -1, 2}, 9, 0, kHalfPi, 1},
         {{0, 0, 2}, 10, 0, kHalfPi, 1}, false},
        {"clockwise arc keeps its direction", 10, {{1, -1, 0}, 9, kHalfPi, 0, -1},
         {{0, 0, 0}, 10, kHalfPi, 0, -1}, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ItemRec* item = make_arc(pool, row.arc.ar_Centre, row.arc.ar_Radius, row.arc.ar_Start,
                                 row.arc.ar_End, row.arc.ar_Dir);
        EXPECT_EQ(DXFSnapEnd(item, row.step), 1);
        const ArcRec& got = item->it_Arc;
        expect_point(got.ar_Centre, row.snapped.ar_Centre);
        EXPECT_NEAR(got.ar_Radius, row.snapped.ar_Radius, kNear);
        EXPECT_NEAR(got.ar_Start, row.snapped.ar_Start, kNear);
        EXPECT_NEAR(got.ar_End, row.snapped.ar_End, kNear);
        EXPECT_EQ(got.ar_Dir, row.snapped.ar_Dir);
        EXPECT_EQ((item->it_Header.ih_Flags & DXFItemExcluded) != 0, row.excluded);
    }
}

TEST(SnapEnd, PointsAndPolylines)
{
    Drawing drawing;
    Pool* pool = drawing.pool();
    ItemRec* point = CreateItem(DXFItemPoint, 0, 0, 0, 0, pool);
    point->it_Point.pt_Point = Point3DRec{1.4, -2.6, 0.51};
    EXPECT_EQ(DXFSnapEnd(point, 1), 1);
    expect_point(point->it_Point.pt_Point, {1, -3, 1});

    ItemRec* polyline =
        make_polyline(pool, {vertex(0.2, 0.1, 1), vertex(2.1, -0.2, -0.25), vertex(3.9, 4.2)});
    EXPECT_EQ(DXFSnapEnd(polyline, 1), 1);
    const PolylineRec& p = polyline->it_Polyline;
    expect_point(p.pl_Vertices[0].vx_Point, {0, 0, 0});
    expect_point(p.pl_Vertices[1].vx_Point, {2, 0, 0});
    expect_point(p.pl_Vertices[2].vx_Point, {4, 4, 0});
    EXPECT_EQ(p.pl_Vertices[0].vx_Bulge, 1.0);
    EXPECT_EQ(p.pl_Vertices[1].vx_Bulge, -0.25);
    // The stored corners follow: the half circle below (0, 0)-(2, 0) reaches y = -1.
    EXPECT_NEAR(p.pl_Min.x, 0, kNear);
    EXPECT_NEAR(p.pl_Min.y, -1, kNear);
    EXPECT_NEAR(p.pl_Max.x, 4, kNear);
    EXPECT_NEAR(p.pl_Max.y, 4, kNear);
}

TEST(SnapEnd, OtherTypesAreLeftAlone)
{
    Drawing drawing;
    Pool* pool = drawing.pool();
    ItemRec* text = make_text(pool, "A");
    text->it_Text.tx_Point = Point3DRec{0.3, 0.3, 0};
    ItemRec* spline = make_spline(pool, {{0.3, 0, 0}, {1.2, 1, 0}}, {0, 0, 1, 1}, {1, 1});
    ItemRec* ellipse = make_ellipse(pool, 0, 1);
    for (ItemRec* item : {text, spline, ellipse, halvern_test::make_insert(pool, nullptr, 0),
                          make_ray(pool, DXFItemRay, {0.3, 0.3, 0}, {1, 0, 0})}) {
        SCOPED_TRACE(item->it_Header.ih_ItemType);
        const std::vector<unsigned char> before(reinterpret_cast<unsigned char*>(item),
                                                reinterpret_cast<unsigned char*>(item) +
                                                    item->it_Header.ih_ItemSize);
        EXPECT_EQ(DXFSnapEnd(item, 1), 0);
        EXPECT_EQ(std::memcmp(before.data(), item, before.size()), 0);
    }
    EXPECT_EQ(DXFSnapEnd(nullptr, 1), 0);
}

}
