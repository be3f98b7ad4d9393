// Extents of drawings and blocks: the box of each item type as it lies and placed,
// what is left out, block look-up, the bounds under a base placement, and the road of a
// drawing read from a file, measured, moved to the origin and measured again.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <limits>
#include <string>
#include <vector>

#include "edit/extents_internal.h"
#include "dxf/dxf_entity_parser.h"
#include "drawing_fixture.h"
#include "dxf_test_support.h"
#include "halvern/halvern.h"
#include "osmark/testing.h"
#include "test_support/temp_folder.h"

namespace {

using halvern_test::Drawing;
using halvern_test::vertex;

constexpr double kPi = 3.141592653589793;
constexpr double kNear = 1e-9;

struct Box {
    double min_x;
    double min_y;
    double max_x;
    double max_y;
};

void expect_box(const Rectangle2DRec& got, const Box& want)
{
    EXPECT_NEAR(got.min.x, want.min_x, kNear);
    EXPECT_NEAR(got.min.y, want.min_y, kNear);
    EXPECT_NEAR(got.max.x, want.max_x, kNear);
    EXPECT_NEAR(got.max.y, want.max_y, kNear);
}

// ---- Drawings -------------------------------------------------------------------------

void add(Drawing& drawing, ItemRec* item)
{
    ASSERT_NE(item, nullptr);
    ASSERT_EQ(AddItem(drawing.get(), &drawing->dxf_ItemBuffer, item), 1);
}

ItemRec* make_point(Pool* pool, double x, double y)
{
    ItemRec* item = CreateItem(DXFItemPoint, 0, 0, 0, 0, pool);
    item->it_Point.pt_Point = Point3DRec{x, y, 0.0};
    return item;
}

ItemRec* make_circle(Pool* pool, double cx, double cy, double radius)
{
    return halvern_test::make_arc(pool, Point3DRec{cx, cy, 0.0}, radius, 0.0, 2 * kPi, 1);
}

ItemRec* make_ellipse(Pool* pool, Point3DRec centre, Point3DRec major, double ratio,
                      double start = 0.0, double end = 2 * kPi)
{
    ItemRec* item = CreateItem(DXFItemEllipse, 0, 0, 0, 0, pool);
    EllipseRec& ellipse = item->it_Ellipse;
    ellipse.el_Centre = centre;
    ellipse.el_MajorAxis = major;
    ellipse.el_Ratio = ratio;
    ellipse.el_Start = start;
    ellipse.el_End = end;
    ellipse.el_Angle = std::atan2(major.y, major.x);
    ellipse.el_Dir = 1;
    return item;
}

// A polyline with its stored corners as the readers leave them.
ItemRec* make_measured_polyline(Pool* pool, const std::vector<VertexRec>& vertices)
{
    ItemRec* item = halvern_test::make_polyline(pool, vertices);
    PolylineRec& polyline = item->it_Polyline;
    halvern::DXFPolylineCorners(polyline.pl_Vertices, polyline.pl_NumVertices, &polyline.pl_Min,
                                &polyline.pl_Max);
    return item;
}

ItemRec* make_measured_spline(Pool* pool, const std::vector<Point3DRec>& points)
{
    ItemRec* item = halvern_test::make_spline(pool, points, {0, 0, 0, 0, 1, 1, 1, 1},
                                              std::vector<double>(points.size(), 1.0));
    SplineRec& spline = item->it_Spline;
    spline.sp_Min = spline.sp_Max = points.front();
    for (const Point3DRec& point : points) {
        spline.sp_Min.x = std::fmin(spline.sp_Min.x, point.x);
        spline.sp_Min.y = std::fmin(spline.sp_Min.y, point.y);
        spline.sp_Max.x = std::fmax(spline.sp_Max.x, point.x);
        spline.sp_Max.y = std::fmax(spline.sp_Max.y, point.y);
    }
    spline.sp_Min.z = spline.sp_Max.z = 0.0;
    return item;
}

using halvern_test::add_block_definition;
using halvern_test::make_placed_insert;

Rectangle2DRec size_of(Drawing& drawing)
{
    // A stale box must not survive the call.
    drawing->dxf_DrwgSize = Rectangle2DRec{{-7.0, -7.0}, {7.0, 7.0}};
    CalcDXFDrawingSize(drawing.get());
    return drawing->dxf_DrwgSize;
}

// ---- Items as they lie ----------------------------------------------------------------

TEST(CalcDxfDrawingSize, MeasuresEachItemTypeAsItLies)
{
    using Build = std::function<void(Drawing&)>;
    struct Case {
        const char* name;
        Build build;
        Box want;
    };
    const double r2 = std::sqrt(0.5);
    const Case cases[] = {
        {"empty drawing", [](Drawing&) {}, {0, 0, 0, 0}},
        {"rays, xlines and faces have no extent",
         [](Drawing& d) {
             for (int32_t type : {DXFItemRay, DXFItemXLine, DXFItem3DFace}) {
                 ItemRec* item = CreateItem(type, 0, 0, 0, 0, d.pool());
                 item->it_Ray.ry_Base = Point3DRec{5, 5, 0};
                 add(d, item);
             }
         },
         {0, 0, 0, 0}},
        {"one point", [](Drawing& d) { add(d, make_point(d.pool(), 3, 4)); }, {3, 4, 3, 4}},
        {"line", [](Drawing& d) { add(d, halvern_test::make_line(d.pool(), 5, -1, -2, 7)); },
         {-2, -1, 5, 7}},
        {"text by its two alignment points",
         [](Drawing& d) {
             ItemRec* text = halvern_test::make_text(d.pool(), "AB");
             text->it_Text.tx_Point = Point3DRec{1, 2, 0};
             text->it_Text.tx_Point2 = Point3DRec{6, 3, 0};
             text->it_Text.tx_Height = 10;
             add(d, text);
         },
         {1, 2, 6, 3}},
        {"quarter arc counter-clockwise",
         [](Drawing& d) { add(d, halvern_test::make_arc(d.pool(), {0, 0, 0}, 1, 0, kPi / 2, 1)); },
         {0, 0, 1, 1}},
        {"three-quarter arc clockwise",
         [](Drawing& d) { add(d, halvern_test::make_arc(d.pool(), {0, 0, 0}, 1, 0, kPi / 2, -1)); },
         {-1, -1, 1, 1}},
        {"arc crossing the top quadrant point",
         [](Drawing& d) {
             add(d, halvern_test::make_arc(d.pool(), {0, 0, 0}, 1, kPi / 4, 3 * kPi / 4, 1));
         },
         {-r2, r2, r2, 1}},
        {"arc crossing the angle zero",
         [](Drawing& d) {
             add(d, halvern_test::make_arc(d.pool(), {0, 0, 0}, 1, 7 * kPi / 4, kPi / 4, 1));
         },
         {r2, -r2, 1, r2}},
        {"circle", [](Drawing& d) { add(d, make_circle(d.pool(), 1, 1, 2)); }, {-1, -1, 3, 3}},
        {"ellipse along x",
         [](Drawing& d) { add(d, make_ellipse(d.pool(), {0, 0, 0}, {2, 0, 0}, 0.5)); },
         {-2, -1, 2, 1}},
        {"ellipse along y",
         [](Drawing& d) { add(d, make_ellipse(d.pool(), {0, 0, 0}, {0, 2, 0}, 0.5)); },
         {-1, -2, 1, 2}},
        {"upper half of an ellipse",
         [](Drawing& d) { add(d, make_ellipse(d.pool(), {0, 0, 0}, {2, 0, 0}, 0.5, 0, kPi)); },
         {-2, 0, 2, 1}},
        {"polyline by its stored corners, whatever its vertices",
         [](Drawing& d) {
             ItemRec* polyline =
                 halvern_test::make_polyline(d.pool(), {vertex(1, 1), vertex(2, 2, 1), vertex(3, 1)});
             polyline->it_Polyline.pl_Min = Point3DRec{0, 0, 0};
             polyline->it_Polyline.pl_Max = Point3DRec{5, 5, 0};
             add(d, polyline);
         },
         {0, 0, 5, 5}},
        {"spline by its stored corners",
         [](Drawing& d) {
             ItemRec* spline = make_measured_spline(d.pool(), {{0, 0, 0}, {1, 9, 0}, {2, 0, 0}, {3, 1, 0}});
             spline->it_Spline.sp_Min = Point3DRec{-1, -2, 0};
             add(d, spline);
         },
         {-1, -2, 3, 9}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Drawing drawing;
        c.build(drawing);
        expect_box(size_of(drawing), c.want);
    }
}

// The lead's mix: every kind of item a drawing holds, and an INSERT whose placement
// turns a circle into a slanted ellipse. Worked by hand:
//   LINE (0, 0)-(10, 5);  CIRCLE (20, 0) r 3: (17, -3)-(23, 3);
//   ARC (0, 20) r 4 from pi/4 to 3pi/4: x within +-4 sqrt(1/2), y from 20 + 4 sqrt(1/2) to 24;
//   ELLIPSE (40, 0) axis (0, 5) ratio 0.4: (38, -5)-(42, 5);
//   POLYLINE (0, -10) bulge 1 to (10, -10): the half circle below, down to y = -15;
//   SPLINE (50, 1), (55, 8), (60, -2);
//   INSERT at (100, 50), turned pi/6, scales (2, 1), of a CIRCLE r 1 about (1, 0): an
//   ellipse with half-axes 2 and 1 turned pi/6 about (100 + sqrt 3, 51), reaching
//   sqrt(4 cos^2 + sin^2) = sqrt(3.25) across and sqrt(4 sin^2 + cos^2) = sqrt(1.75) up.
TEST(CalcDxfDrawingSize, MeasuresAMixedDrawingExactly)
{
    Drawing drawing;
    Pool* pool = drawing.pool();
    add(drawing, halvern_test::make_line(pool, 0, 0, 10, 5));
    add(drawing, make_circle(pool, 20, 0, 3));
    add(drawing, halvern_test::make_arc(pool, {0, 20, 0}, 4, kPi / 4, 3 * kPi / 4, 1));
    add(drawing, make_ellipse(pool, {40, 0, 0}, {0, 5, 0}, 0.4));
    add(drawing, make_measured_polyline(pool, {vertex(0, -10, 1), vertex(10, -10)}));
    add(drawing, make_measured_spline(pool, {{50, 1, 0}, {55, 8, 0}, {58, 3, 0}, {60, -2, 0}}));
    add_block_definition(drawing, "WHEEL", {make_circle(pool, 1, 0, 1)});
    add(drawing, make_placed_insert(drawing, "WHEEL", {100, 50, 0}, kPi / 6, {2, 1, 1}));

    const double ellipse_x = 100 + std::sqrt(3.0);
    expect_box(size_of(drawing), {-4 * std::sqrt(0.5), -15, ellipse_x + std::sqrt(3.25),
                                  51 + std::sqrt(1.75)});

    // Without the INSERT the spline and the arc bound the drawing.
    drawing->dxf_ItemBuffer.ib_N -= 1;
    expect_box(size_of(drawing), {-4 * std::sqrt(0.5), -15, 60, 24});
    drawing->dxf_ItemBuffer.ib_N += 1;
    // The block under the INSERT's placement is the slanted ellipse alone.
    const Point3DRec offset{100, 50, 0};
    const Point3DRec scales{2, 1, 1};
    CalcDXFBlockBounds(drawing.get(), "wheel", &offset, &scales, kPi / 6);
    expect_box(drawing->dxf_DrwgSize, {ellipse_x - std::sqrt(3.25), 51 - std::sqrt(1.75),
                                       ellipse_x + std::sqrt(3.25), 51 + std::sqrt(1.75)});
}

TEST(CalcDxfDrawingSize, LeavesOutHiddenAndExcludedItems)
{
    struct Case {
        const char* name;
        std::function<void(Drawing&, ItemRec&)> hide;
    };
    const Case cases[] = {
        {"flagged hidden", [](Drawing&, ItemRec& item) { item.it_Header.ih_Flags |= DXFItemHidden; }},
        {"flagged excluded", [](Drawing&, ItemRec& item) { item.it_Header.ih_Flags |= DXFItemExcluded; }},
        {"layer off",
         [](Drawing& d, ItemRec& item) {
             item.it_Header.ih_Layer = GetLayer(&d->dxf_LayerTable, "OFF");
             d->dxf_LayerTable.lt_Layers[item.it_Header.ih_Layer]->ld_Flags |= 1;
         }},
        {"type hidden",
         [](Drawing& d, ItemRec&) { d->dxf_ItemFlags[DXFItemLine] |= DXF_ITEM_TYPE_HIDDEN; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Drawing drawing;
        GetLayer(&drawing->dxf_LayerTable, "0");
        add(drawing, make_point(drawing.pool(), 1, 1));
        ItemRec* far_line = halvern_test::make_line(drawing.pool(), 50, 50, 60, 60);
        add(drawing, far_line);
        ItemRec* far_member = halvern_test::make_line(drawing.pool(), -50, -50, -60, -60);
        add_block_definition(drawing, "B", {far_member, make_point(drawing.pool(), 2, 2)});
        add(drawing, make_placed_insert(drawing, "B", {0, 0, 0}));
        c.hide(drawing, *far_line);
        c.hide(drawing, *far_member);
        expect_box(size_of(drawing), {1, 1, 2, 2});
    }
}

TEST(CalcDxfDrawingSize, AnExcludedInsertLeavesOutItsMembersButNotNestedInserts)
{
    Drawing drawing;
    Pool* pool = drawing.pool();
    add_block_definition(drawing, "INNER", {make_point(pool, 5, 5)});
    ItemRec* nested = make_placed_insert(drawing, "INNER", {0, 0, 0});
    add_block_definition(drawing, "OUTER", {make_point(pool, -3, -3), nested});
    ItemRec* outer = make_placed_insert(drawing, "OUTER", {0, 0, 0});
    add(drawing, outer);
    add(drawing, make_point(pool, 1, 1));

    expect_box(size_of(drawing), {-3, -3, 5, 5});
    outer->it_Header.ih_Flags |= DXFItemExcluded;
    expect_box(size_of(drawing), {1, 1, 5, 5});
    nested->it_Header.ih_Flags |= DXFItemExcluded;
    expect_box(size_of(drawing), {1, 1, 1, 1});
}

TEST(CalcDxfDrawingSize, BlockDefinitionsAmongTheEntitiesDoNotCount)
{
    Drawing drawing;
    add(drawing, CreateItem(DXFItemBlock, 0, 0, 0, 0, drawing.pool()));
    add(drawing, make_point(drawing.pool(), 100, 100));
    add(drawing, CreateItem(DXFItemEndBlock, 0, 0, 0, 0, drawing.pool()));
    add(drawing, make_point(drawing.pool(), 1, 2));
    expect_box(size_of(drawing), {1, 2, 1, 2});
}

// A coordinate that is not a finite number must neither leave an infinite box nor
// pull the box to the origin; an empty polyline keeps corners that are no point of it.
TEST(CalcDxfDrawingSize, IgnoresPointsThatAreNotFiniteAndEmptyItems)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    Drawing drawing;
    add(drawing, make_point(drawing.pool(), nan, 4));
    add(drawing, halvern_test::make_line(drawing.pool(), 0, infinity, 1, nan));
    add(drawing, halvern_test::make_polyline(drawing.pool(), {}));
    expect_box(size_of(drawing), {0, 0, 0, 0});

    add(drawing, make_point(drawing.pool(), 7, 8));
    add(drawing, make_point(drawing.pool(), 9, 9));
    expect_box(size_of(drawing), {7, 8, 9, 9});
}

// ---- Items placed by INSERTs ----------------------------------------------------------

TEST(CalcDxfDrawingSize, MeasuresBlockMembersAsPlaced)
{
    struct Case {
        const char* name;
        std::function<ItemRec*(Pool*)> member;
        Point3DRec at;
        double rotation;
        Point3DRec scale;
        Box want;
    };
    const Case cases[] = {
        {"line turned a quarter and doubled",
         [](Pool* p) { return halvern_test::make_line(p, 0, 0, 1, 0); }, {100, 50, 0}, kPi / 2,
         {2, 2, 1}, {100, 50, 100, 52}},
        {"quarter arc mirrored in x",
         [](Pool* p) { return halvern_test::make_arc(p, {0, 0, 0}, 1, 0, kPi / 2, 1); }, {0, 0, 0},
         0, {-1, 1, 1}, {-1, 0, 0, 1}},
        {"circle stretched along x",
         [](Pool* p) { return make_circle(p, 0, 0, 1); }, {10, 0, 0}, 0, {2, 1, 1},
         {8, -1, 12, 1}},
        {"circle stretched along x and turned a quarter",
         [](Pool* p) { return make_circle(p, 0, 0, 1); }, {0, 0, 0}, kPi / 2, {2, 1, 1},
         {-1, -2, 1, 2}},
        {"ellipse moved",
         [](Pool* p) { return make_ellipse(p, {0, 0, 0}, {2, 0, 0}, 0.5); }, {100, 0, 0}, 0,
         {1, 1, 1}, {98, -1, 102, 1}},
        {"ellipse turned an eighth",
         // Half-axes 2 and 1 at pi/4: both half-extents are sqrt((4 + 1) / 2).
         [](Pool* p) { return make_ellipse(p, {0, 0, 0}, {2, 0, 0}, 0.5); }, {0, 0, 0}, kPi / 4,
         {1, 1, 1}, {-std::sqrt(2.5), -std::sqrt(2.5), std::sqrt(2.5), std::sqrt(2.5)}},
        {"polyline from its vertices, not its stale corners",
         [](Pool* p) {
             ItemRec* polyline =
                 halvern_test::make_polyline(p, {vertex(0, 0), vertex(4, 0, 1), vertex(8, 0)});
             polyline->it_Polyline.pl_Min = Point3DRec{-100, -100, 0};
             polyline->it_Polyline.pl_Max = Point3DRec{100, 100, 0};
             return polyline;
         },
         {0, 10, 0}, 0, {1, 1, 1}, {0, 8, 8, 10}},
        {"bulged polyline under unequal scales",
         [](Pool* p) { return halvern_test::make_polyline(p, {vertex(-1, 0, -1), vertex(1, 0)}); },
         {0, 0, 0}, 0, {3, 2, 1}, {-3, 0, 3, 2}},
        {"spline from its points",
         [](Pool* p) {
             ItemRec* spline = make_measured_spline(p, {{0, 0, 0}, {1, 3, 0}, {2, -1, 0}, {3, 0, 0}});
             spline->it_Spline.sp_Max = Point3DRec{1000, 1000, 0};
             return spline;
         },
         {0, 0, 0}, kPi, {1, 1, 1}, {-3, -3, 0, 1}},
        {"text points",
         [](Pool* p) {
             ItemRec* text = halvern_test::make_text(p, "T");
             text->it_Text.tx_Point2 = Point3DRec{2, 1, 0};
             return text;
         },
         {5, 5, 0}, 0, {1, 1, 1}, {5, 5, 7, 6}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Drawing drawing;
        add_block_definition(drawing, "B", {c.member(drawing.pool())});
        add(drawing, make_placed_insert(drawing, "B", c.at, c.rotation, c.scale));
        expect_box(size_of(drawing), c.want);
    }
}

TEST(CalcDxfDrawingSize, CountsEveryCellOfAnArrayAndNestedPlacements)
{
    Drawing drawing;
    Pool* pool = drawing.pool();
    add_block_definition(drawing, "DOT", {make_point(pool, 0, 0)});
    ItemRec* grid = make_placed_insert(drawing, "DOT", {1, 1, 0});
    grid->it_Insert.in_Rows = 2;
    grid->it_Insert.in_Columns = 3;
    grid->it_Insert.in_RowSpacing = 5;
    grid->it_Insert.in_ColumnSpacing = 10;
    add_block_definition(drawing, "GRID", {grid});
    add(drawing, make_placed_insert(drawing, "GRID", {100, 0, 0}, kPi / 2));
    // The grid spans (1, 1)-(21, 6) in its block; turned a quarter about the block's
    // origin and moved to (100, 0).
    expect_box(size_of(drawing), {94, 1, 99, 21});
    ASSERT_NE(drawing->dxf_BlockStack, nullptr) << "the extents share the walkers' stack";
}

TEST(CalcDxfDrawingSize, AnInsertWithoutItsBlockAddsNothing)
{
    Drawing drawing;
    add(drawing, halvern_test::make_insert(drawing.pool(), nullptr, -1));
    ItemRec* not_a_block = halvern_test::make_insert(drawing.pool(), nullptr, 0);
    add_block_definition(drawing, "B", {make_point(drawing.pool(), 4, 4)});
    not_a_block->it_Insert.in_BlockIndex = 1;  // the POINT member, not a BLOCK
    add(drawing, not_a_block);
    add(drawing, make_point(drawing.pool(), -1, -1));
    expect_box(size_of(drawing), {-1, -1, -1, -1});
}

TEST(CalcDxfDrawingSize, AnInsertWhoseFramesCannotBeMadeIsPassedOverAndTheNextTriesAgain)
{
    Drawing drawing;
    add_block_definition(drawing, "B", {make_point(drawing.pool(), 0, 0)});
    add(drawing, make_placed_insert(drawing, "B", {-10, -10, 0}));
    add(drawing, make_placed_insert(drawing, "B", {10, 10, 0}));
    ASSERT_EQ(drawing->dxf_BlockStack, nullptr);
    osmark_testing_fail_allocations(0, 1);
    CalcDXFDrawingSize(drawing.get());
    osmark_testing_fail_allocations(0, 0);
    expect_box(drawing->dxf_DrwgSize, {10, 10, 10, 10});
    EXPECT_NE(drawing->dxf_BlockStack, nullptr);
    expect_box(size_of(drawing), {-10, -10, 10, 10});
}

TEST(CalcDxfDrawingSize, ABlockThatInsertsItselfEnds)
{
    Drawing drawing;
    ItemRec* self = halvern_test::make_insert(drawing.pool(), nullptr, 0);
    self->it_Insert.in_Point = Point3DRec{1, 0, 0};
    self->it_Insert.in_RowAngle = kPi / 2;
    add_block_definition(drawing, "LOOP", {make_point(drawing.pool(), 0, 0), self});
    add(drawing, make_placed_insert(drawing, "LOOP", {0, 0, 0}));
    // The INSERT of the block being measured is passed over: the block counts once.
    expect_box(size_of(drawing), {0, 0, 0, 0});
}

// ---- Arrays -----------------------------------------------------------------------------

// The box of every cell, folded one by one: what the walkers report, placed.
Rectangle2DRec cell_by_cell(DXFDrawingRec* drawing)
{
    struct Fold {
        halvern::ExtentsBox box;
    } fold;
    StepDXFDrawing(drawing, DXFWalkAll, [](ItemRec*, ItemRec* item, void* user) -> int32_t {
        auto& box = static_cast<Fold*>(user)->box;
        halvern::DXFFoldItemExtents(box, *item);
        return DXFStepContinue;
    }, &fold);
    return fold.box.rectangle();
}

// A rectangular array is measured by its first cell moved to the corner cells: the same
// box as every cell folded one by one, at once however many cells there are.
TEST(CalcDxfDrawingSize, ArraysAreMeasuredByTheirFirstCellAndCorners)
{
    struct Row {
        const char* name;
        int32_t columns;
        int32_t rows;
        double rotation;
        Point3DRec scale;
    };
    const Row rows[] = {
        {"plain", 7, 5, 0.0, {1, 1, 1}},
        {"turned", 4, 6, 0.3, {1, 1, 1}},
        {"mirrored and scaled", 3, 9, 2.0, {-2, 0.5, 1}},
        {"one column", 1, 8, 0.7, {1, 1, 1}},
        {"one row", 8, 1, -1.2, {1, 1, 1}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Drawing drawing;
        add_block_definition(drawing, "CELL", {halvern_test::make_line(drawing.pool(), 0, 0, 1, 0.5),
                                              make_circle(drawing.pool(), 2, -1, 0.75)});
        // A nested array inside the array's block.
        add_block_definition(drawing, "GRID", {make_placed_insert(drawing, "CELL", {1, 1, 0}, 0.4)});
        drawing->dxf_BlockItemBuffer.ib_Items[5]->it_Insert.in_Columns = 3;
        drawing->dxf_BlockItemBuffer.ib_Items[5]->it_Insert.in_Rows = 2;
        drawing->dxf_BlockItemBuffer.ib_Items[5]->it_Insert.in_ColumnSpacing = 4;
        drawing->dxf_BlockItemBuffer.ib_Items[5]->it_Insert.in_RowSpacing = -3;
        ItemRec* insert = make_placed_insert(drawing, "GRID", {10, 20, 0}, row.rotation, row.scale);
        InsertRec& array = insert->it_Insert;
        array.in_Columns = row.columns;
        array.in_Rows = row.rows;
        array.in_ColumnSpacing = 15;
        array.in_RowSpacing = 12;
        array.in_ColumnAngle = row.rotation;
        array.in_RowAngle = row.rotation + kPi / 2;
        add(drawing, insert);
        const Rectangle2DRec reference = cell_by_cell(drawing.get());
        expect_box(size_of(drawing), {reference.min.x, reference.min.y, reference.max.x, reference.max.y});
    }
}

TEST(CalcDxfDrawingSize, TheLargestArrayIsExactAndOneCellsWork)
{
    Drawing drawing;
    add_block_definition(drawing, "DOT", {halvern_test::make_line(drawing.pool(), 0, 0, 1, 0.5)});
    ItemRec* insert = make_placed_insert(drawing, "DOT", {10, 20, 0});
    InsertRec& array = insert->it_Insert;
    array.in_Columns = 32767;
    array.in_Rows = 32767;
    array.in_ColumnSpacing = 2;
    array.in_RowSpacing = 3;
    add(drawing, insert);
    // Whole numbers and halves: the box is exact.
    const Rectangle2DRec box = size_of(drawing);
    EXPECT_EQ(box.min.x, 10.0);
    EXPECT_EQ(box.min.y, 20.0);
    EXPECT_EQ(box.max.x, 10.0 + 32766.0 * 2.0 + 1.0);
    EXPECT_EQ(box.max.y, 20.0 + 32766.0 * 3.0 + 0.5);
    // Turned a quarter (an exact turn), and the same array as a member of a block.
    array.in_Rotation = kPi / 2;
    array.in_ColumnAngle = kPi / 2;
    array.in_RowAngle = kPi;
    expect_box(size_of(drawing), {10.0 - 32766.0 * 3.0 - 0.5, 20.0, 10.0, 20.0 + 32766.0 * 2.0 + 1.0});
    CalcDXFBlockSize(drawing.get(), "DOT");
    expect_box(drawing->dxf_DrwgSize, {0, 0, 1, 0.5});
}

// ---- Blocks ---------------------------------------------------------------------------

TEST(CalcDxfBlockSize, FindsTheBlockWithoutRegardToCase)
{
    Drawing drawing;
    add_block_definition(drawing, "Other", {make_point(drawing.pool(), 100, 100)});
    add_block_definition(drawing, "Flange", {halvern_test::make_line(drawing.pool(), 0, 0, 4, 2)}, {10, 20, 0});

    CalcDXFBlockSize(drawing.get(), "FLANGE");
    expect_box(drawing->dxf_DrwgSize, {10, 20, 14, 22});

    struct Miss {
        const char* name;
    };
    for (const Miss& miss : {Miss{"FLANG"}, Miss{""}, Miss{nullptr}}) {
        SCOPED_TRACE(miss.name != nullptr ? miss.name : "NULL");
        drawing->dxf_DrwgSize = Rectangle2DRec{{1, 1}, {2, 2}};
        CalcDXFBlockSize(drawing.get(), miss.name);
        expect_box(drawing->dxf_DrwgSize, {0, 0, 0, 0});
    }
}

TEST(CalcDxfBlockBounds, PlacesTheBlockByTheGivenScalesRotationAndOffset)
{
    Drawing drawing;
    add_block_definition(drawing, "B", {halvern_test::make_line(drawing.pool(), 0, 0, 2, 1)});
    const Point3DRec offset{10, 0, 0};
    const Point3DRec scales{2, 3, 1};
    // (2, 1) scaled to (4, 3), turned a quarter to (-3, 4), moved to (7, 4).
    CalcDXFBlockBounds(drawing.get(), "b", &offset, &scales, kPi / 2);
    expect_box(drawing->dxf_DrwgSize, {7, 0, 10, 4});
    const BlockRec& block = drawing->dxf_BlockItemBuffer.ib_Items[0]->it_Block;
    EXPECT_EQ(block.bk_Cos, 0.0) << "the placement is written into the BLOCK item";
    EXPECT_EQ(block.bk_Sin, 1.0);
}

// ---- Bounds of a drawing --------------------------------------------------------------

TEST(CalcDxfDrawingBounds, WithoutAPlacementMatchesTheSizeButMeasuresCurvesByTheirPoints)
{
    Drawing drawing;
    add(drawing, halvern_test::make_line(drawing.pool(), 0, 0, 3, 3));
    ItemRec* polyline = make_measured_polyline(drawing.pool(), {vertex(1, 1), vertex(2, 5)});
    add(drawing, polyline);
    CalcDXFDrawingBounds(drawing.get(), nullptr, nullptr, 0.0);
    const Rectangle2DRec bounds = drawing->dxf_DrwgSize;
    expect_box(bounds, {0, 0, 3, 5});
    expect_box(size_of(drawing), {0, 0, 3, 5});

    // Stale corners fool the size, not the bounds.
    polyline->it_Polyline.pl_Max = Point3DRec{50, 50, 0};
    expect_box(size_of(drawing), {0, 0, 50, 50});
    CalcDXFDrawingBounds(drawing.get(), nullptr, nullptr, 0.0);
    expect_box(drawing->dxf_DrwgSize, {0, 0, 3, 5});
}

TEST(CalcDxfDrawingBounds, AQuarterTurnPlacesALineExactly)
{
    Drawing drawing;
    add(drawing, halvern_test::make_line(drawing.pool(), 0, 0, 10, 0));
    CalcDXFDrawingBounds(drawing.get(), nullptr, nullptr, kPi / 2);
    EXPECT_EQ(drawing->dxf_DrwgSize.min.x, 0.0);
    EXPECT_EQ(drawing->dxf_DrwgSize.min.y, 0.0);
    EXPECT_EQ(drawing->dxf_DrwgSize.max.x, 0.0);
    EXPECT_EQ(drawing->dxf_DrwgSize.max.y, 10.0);
}

// The bounds are the box of the drawing moved as a whole: insertion points and block
// bases scale and turn with the items, so scaling by 2 and moving doubles and moves the
// box of the drawing as it lies.
TEST(CalcDxfDrawingBounds, TurnsBlocksAboutTheirBasePointAsTheRendererDraws)
{
    Drawing drawing;
    Pool* pool = drawing.pool();
    add_block_definition(drawing, "B", {make_circle(pool, 0, 0, 1), halvern_test::make_line(pool, 0, 0, 3, 0)},
              {1, 1, 0});
    add(drawing, make_placed_insert(drawing, "B", {10, 10, 0}, kPi / 2));
    const Rectangle2DRec block = size_of(drawing);
    add(drawing, make_point(pool, 0, 0));
    expect_box(size_of(drawing), {0, 0, 12, 14});

    // The bounds' scale and rotation turn each block about its base point (1,1), which
    // keeps its place; the offset moves everything. Top-level items turn about the origin.
    const auto with_point = [](Box box, double x, double y) {
        return Box{std::min(box.min_x, x), std::min(box.min_y, y), std::max(box.max_x, x),
                   std::max(box.max_y, y)};
    };
    const Point3DRec offset{-5, 7, 0};
    const Point3DRec scales{2, 2, 2};
    CalcDXFDrawingBounds(drawing.get(), &offset, &scales, 0.0);
    // Base shift (1,1) - 2 * (1,1) = (-1,-1), then the offset.
    expect_box(drawing->dxf_DrwgSize,
               with_point({2 * block.min.x - 6, 2 * block.min.y + 6, 2 * block.max.x - 6,
                           2 * block.max.y + 6},
                          -5, 7));

    // A half turn: base shift (1,1) - (-1,-1) = (2,2).
    CalcDXFDrawingBounds(drawing.get(), nullptr, nullptr, kPi);
    expect_box(drawing->dxf_DrwgSize,
               with_point({-block.max.x + 2, -block.max.y + 2, -block.min.x + 2, -block.min.y + 2},
                          0, 0));
}

// ---- Shared helpers -------------------------------------------------------------------

TEST(DxfMeasureDrawing, SelectsOneContourAndExpandsInsertsWhateverTheirContour)
{
    Drawing drawing;
    Pool* pool = drawing.pool();
    ItemRec* in_two = halvern_test::make_line(pool, 0, 0, 1, 1);
    in_two->it_Header.ih_ContourID = 2;
    ItemRec* in_three = halvern_test::make_line(pool, 5, 5, 6, 6);
    in_three->it_Header.ih_ContourID = 3;
    ItemRec* member_in_two = make_point(pool, -4, 0);
    member_in_two->it_Header.ih_ContourID = 2;
    add_block_definition(drawing, "B", {member_in_two, make_point(pool, 40, 40)});
    ItemRec* insert = make_placed_insert(drawing, "B", {0, 0, 0});
    insert->it_Header.ih_ContourID = 7;
    add(drawing, in_two);
    add(drawing, in_three);
    add(drawing, insert);

    halvern::DXFMeasureDrawing(drawing.record, nullptr, 2);
    expect_box(drawing->dxf_DrwgSize, {-4, 0, 1, 1});
    halvern::DXFMeasureDrawing(drawing.record, nullptr, 9);
    expect_box(drawing->dxf_DrwgSize, {0, 0, 0, 0});
    halvern::DXFMeasureDrawing(drawing.record, nullptr, halvern::kExtentsAllContours);
    const Rectangle2DRec all = drawing->dxf_DrwgSize;
    expect_box(all, {-4, 0, 40, 40});
    expect_box(size_of(drawing), {all.min.x, all.min.y, all.max.x, all.max.y});
}

TEST(DxfFoldItemExtents, NothingFoldedGivesTheEmptyBox)
{
    halvern::ExtentsBox box;
    EXPECT_TRUE(box.is_empty());
    expect_box(box.rectangle(), {0, 0, 0, 0});
    ItemRec insert{};
    insert.it_Header.ih_ItemType = DXFItemInsert;
    halvern::DXFFoldItemExtents(box, insert);
    EXPECT_TRUE(box.is_empty());
    box.fold(-0.0, 3);
    EXPECT_FALSE(box.is_empty());
    expect_box(box.rectangle(), {0, 3, 0, 3});
}

TEST(CalcDxfDrawingSize, NullDrawingsAreIgnored)
{
    CalcDXFDrawingSize(nullptr);
    CalcDXFDrawingBounds(nullptr, nullptr, nullptr, 0.0);
    CalcDXFBlockSize(nullptr, "B");
    CalcDXFBlockBounds(nullptr, "B", nullptr, nullptr, 0.0);
}

// ---- The road of a drawing file --------------------------------------------------------

// A drawing file as a CAD program writes one: a HEADER the reader passes over, a layer
// table, one block and every kind of entity. Its box, worked by hand:
//   LINE (10, 10)-(30, 20);  CIRCLE (50, 10) r 5: (45, 5)-(55, 15);
//   ARC (0, 40) r 10 from 30 to 150 degrees: x within +-5 sqrt 3, y from 45 to 50;
//   ELLIPSE (80, 30) axis (0, 10) ratio 0.5: (75, 20)-(85, 40);
//   LWPOLYLINE (20, -5) bulge 1 to (30, -5): the half circle below, down to y = -10;
//   SPLINE over (60, 0), (65, 8), (70, -2), (75, 5);  TEXT "AB" at (40, 25) height 2;
//   INSERT of B at (100, 50), 90 degrees, scales (2, 1): B's LINE (0, 0)-(5, 0) becomes
//   (100, 50)-(100, 60) and its CIRCLE r 1 an ellipse reaching 1 across and 2 up.
std::vector<dxf_test::Group> drawing_file_groups()
{
    return {
        {0, "SECTION"}, {2, "HEADER"}, {9, "$ACADVER"}, {1, "AC1015"}, {9, "$EXTMIN"},
        {10, "-1000.0"}, {20, "-1000.0"}, {30, "0.0"}, {0, "ENDSEC"},
        {0, "SECTION"}, {2, "TABLES"}, {0, "TABLE"}, {2, "LAYER"}, {70, "1"},
        {0, "LAYER"}, {2, "PARTS"}, {70, "0"}, {62, "3"}, {6, "CONTINUOUS"}, {0, "ENDTAB"},
        {0, "ENDSEC"},
        {0, "SECTION"}, {2, "BLOCKS"},
        {0, "BLOCK"}, {8, "0"}, {2, "B"}, {70, "0"}, {10, "0.0"}, {20, "0.0"}, {30, "0.0"},
        {3, "B"}, {1, ""},
        {0, "LINE"}, {8, "PARTS"}, {10, "0.0"}, {20, "0.0"}, {30, "0.0"}, {11, "5.0"}, {21, "0.0"},
        {31, "0.0"},
        {0, "CIRCLE"}, {8, "PARTS"}, {10, "0.0"}, {20, "0.0"}, {30, "0.0"}, {40, "1.0"},
        {0, "ENDBLK"}, {8, "0"},
        {0, "ENDSEC"},
        {0, "SECTION"}, {2, "ENTITIES"},
        {0, "LINE"}, {8, "PARTS"}, {10, "10.0"}, {20, "10.0"}, {30, "0.0"}, {11, "30.0"},
        {21, "20.0"}, {31, "0.0"},
        {0, "CIRCLE"}, {8, "PARTS"}, {10, "50.0"}, {20, "10.0"}, {30, "0.0"}, {40, "5.0"},
        {0, "ARC"}, {8, "PARTS"}, {10, "0.0"}, {20, "40.0"}, {30, "0.0"}, {40, "10.0"}, {50, "30.0"},
        {51, "150.0"},
        {0, "ELLIPSE"}, {8, "PARTS"}, {10, "80.0"}, {20, "30.0"}, {30, "0.0"}, {11, "0.0"},
        {21, "10.0"}, {31, "0.0"}, {40, "0.5"}, {41, "0.0"}, {42, "6.283185307179586"},
        {0, "LWPOLYLINE"}, {8, "PARTS"}, {90, "2"}, {70, "0"}, {10, "20.0"}, {20, "-5.0"},
        {42, "1.0"}, {10, "30.0"}, {20, "-5.0"},
        {0, "SPLINE"}, {8, "PARTS"}, {70, "8"}, {71, "3"}, {72, "8"}, {73, "4"}, {74, "0"},
        {40, "0.0"}, {40, "0.0"}, {40, "0.0"}, {40, "0.0"}, {40, "1.0"}, {40, "1.0"}, {40, "1.0"},
        {40, "1.0"}, {10, "60.0"}, {20, "0.0"}, {30, "0.0"}, {10, "65.0"}, {20, "8.0"}, {30, "0.0"},
        {10, "70.0"}, {20, "-2.0"}, {30, "0.0"}, {10, "75.0"}, {20, "5.0"}, {30, "0.0"},
        {0, "TEXT"}, {8, "PARTS"}, {10, "40.0"}, {20, "25.0"}, {30, "0.0"}, {40, "2.0"}, {1, "AB"},
        {0, "INSERT"}, {8, "PARTS"}, {2, "B"}, {10, "100.0"}, {20, "50.0"}, {30, "0.0"},
        {41, "2.0"}, {42, "1.0"}, {43, "1.0"}, {50, "90.0"},
        {0, "ENDSEC"},
        {0, "EOF"},
    };
}

using test_support::TempFile;

const Box kDrawingFileBox{-5 * std::sqrt(3.0), -10, 101, 60};

// What the viewer does with every drawing it opens: read, measure, move the lower-left
// corner to the origin, measure again.
TEST(DrawingExtents, ReadMeasureMoveToTheOriginAndMeasureAgain)
{
    const TempFile file("road.dxf", dxf_test::ascii(drawing_file_groups(), "\r\n"));
    Drawing drawing;
    ASSERT_EQ(ReadDXF(file.c_str(), drawing.get()), 0);
    ASSERT_EQ(drawing->dxf_ItemBuffer.ib_N, 8);

    const Rectangle2DRec loaded = size_of(drawing);
    expect_box(loaded, kDrawingFileBox);

    const ItemBufferRec& items = drawing->dxf_ItemBuffer;
    for (int32_t i = 0; i < items.ib_N; ++i)
        DXFTranslate(items.ib_Items[i], -loaded.min.x, -loaded.min.y, 0.0);
    const Rectangle2DRec moved = size_of(drawing);
    expect_box(moved, {0, 0, loaded.max.x - loaded.min.x, loaded.max.y - loaded.min.y});
}

TEST(DrawingExtents, AsciiAndBinaryFilesOfOneDrawingHaveTheSameExtents)
{
    struct Form {
        const char* name;
        std::string bytes;
    };
    const std::vector<dxf_test::Group> groups = drawing_file_groups();
    const Form forms[] = {
        {"ascii.dxf", dxf_test::ascii(groups)},
        {"binary8.dxf", dxf_test::binary(groups, 1)},
        {"binary16.dxf", dxf_test::binary(groups, 2)},
    };
    for (const Form& form : forms) {
        SCOPED_TRACE(form.name);
        const TempFile file(form.name, form.bytes);
        Drawing drawing;
        ASSERT_EQ(ReadDXF(file.c_str(), drawing.get()), 0);
        EXPECT_EQ(drawing->dxf_ItemBuffer.ib_N, 8);
        expect_box(size_of(drawing), kDrawingFileBox);
        CalcDXFBlockSize(drawing.get(), "b");
        expect_box(drawing->dxf_DrwgSize, {-1, -1, 5, 1});
    }
}

}
