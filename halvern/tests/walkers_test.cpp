// The item walkers: top-level walks, INSERT expansion with arrays, nesting and
// extrusion, the walk modes, visibility, the callback protocol and the block stack.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "geometry/geometry_internal.h"
#include "drawing_fixture.h"
#include "halvern/halvern.h"

namespace {

using halvern_test::Drawing;

constexpr double kPi = 3.141592653589793;
constexpr double kNear = 1e-9;

void expect_point(const Point3DRec& actual, double x, double y)
{
    EXPECT_NEAR(actual.x, x, kNear);
    EXPECT_NEAR(actual.y, y, kNear);
}

// ---- Drawings -------------------------------------------------------------------------

ItemRec* make_point(Pool* pool, double x, double y)
{
    ItemRec* item = CreateItem(DXFItemPoint, 0, 0, 0, 0, pool);
    item->it_Point.pt_Point = Point3DRec{x, y, 0.0};
    return item;
}

ItemRec* make_arc(Pool* pool, double cx, double cy, double radius, double start, double end)
{
    ItemRec* item = CreateItem(DXFItemArc, 0, 0, 0, 0, pool);
    item->it_Arc.ar_Centre = Point3DRec{cx, cy, 0.0};
    item->it_Arc.ar_Radius = radius;
    item->it_Arc.ar_Start = start;
    item->it_Arc.ar_End = end;
    item->it_Arc.ar_Dir = 1;
    return item;
}

void add(Drawing& drawing, ItemRec* item)
{
    ASSERT_EQ(AddItem(drawing.get(), &drawing->dxf_ItemBuffer, item), 1);
}

using halvern_test::add_block_definition;
using halvern_test::make_placed_insert;

// ---- Recording walks ------------------------------------------------------------------

struct Visit {
    ItemRec* insert;
    ItemRec* item;       // as handed over; copies are gone after the call
    ItemRec* step_item;  // dxf_StepItem during the call
    ItemRec fields;      // the fixed part of the item as it was
    std::string text;
};

struct Log {
    DXFDrawingRec* drawing = nullptr;
    std::vector<Visit> visits;
    size_t stop_at = SIZE_MAX;
    size_t end_polyline_at = SIZE_MAX;

    std::vector<int32_t> types() const
    {
        std::vector<int32_t> list;
        for (const Visit& visit : visits)
            list.push_back(visit.fields.it_Header.ih_ItemType);
        return list;
    }
    std::vector<const Visit*> of_type(int32_t type) const
    {
        std::vector<const Visit*> list;
        for (const Visit& visit : visits) {
            if (visit.fields.it_Header.ih_ItemType == type)
                list.push_back(&visit);
        }
        return list;
    }
};

int32_t record(ItemRec* insert, ItemRec* item, void* user)
{
    auto* log = static_cast<Log*>(user);
    Visit visit{insert, item, log->drawing->dxf_StepItem, ItemRec{}, {}};
    std::memcpy(static_cast<void*>(&visit.fields), item,
                std::min<size_t>(static_cast<size_t>(item->it_Header.ih_ItemSize), sizeof(ItemRec)));
    if (item->it_Header.ih_ItemType == DXFItemText)
        visit.text = item->it_Text.tx_Text;
    log->visits.push_back(visit);
    const size_t index = log->visits.size() - 1;
    if (index == log->stop_at)
        return DXFStepStop;
    return index == log->end_polyline_at ? DXFStepEndPolyline : DXFStepContinue;
}

Log walk(Drawing& drawing, int32_t mode = DXFWalkAll)
{
    Log log;
    log.drawing = drawing.get();
    StepDXFDrawing(drawing.get(), mode, record, &log);
    EXPECT_EQ(drawing->dxf_StepItem, nullptr);
    return log;
}

// Points of curves, to compare a placed curve with the image of the original.
Point3DRec arc_point(const ArcRec& arc, double angle)
{
    return Point3DRec{arc.ar_Centre.x + arc.ar_Radius * std::cos(angle),
                      arc.ar_Centre.y + arc.ar_Radius * std::sin(angle), 0.0};
}

Point3DRec ellipse_point(const EllipseRec& ellipse, double parameter)
{
    const Point3DRec& axis = ellipse.el_MajorAxis;
    const double c = std::cos(parameter);
    const double s = std::sin(parameter);
    return Point3DRec{ellipse.el_Centre.x + c * axis.x - s * ellipse.el_Ratio * axis.y,
                      ellipse.el_Centre.y + c * axis.y + s * ellipse.el_Ratio * axis.x, 0.0};
}

// The start, middle and end point of a reported ARC or ELLIPSE.
std::vector<Point3DRec> curve_points(const ItemRec& item)
{
    const bool is_arc = item.it_Header.ih_ItemType == DXFItemArc;
    const double start = is_arc ? item.it_Arc.ar_Start : item.it_Ellipse.el_Start;
    const double end = is_arc ? item.it_Arc.ar_End : item.it_Ellipse.el_End;
    const int32_t direction = is_arc ? item.it_Arc.ar_Dir : item.it_Ellipse.el_Dir;
    const double sweep = halvern::DXFArcSweep(start, end, direction);
    const double middle = direction >= 0 ? start + sweep / 2 : start - sweep / 2;
    std::vector<Point3DRec> points;
    for (const double t : {start, middle, end})
        points.push_back(is_arc ? arc_point(item.it_Arc, t) : ellipse_point(item.it_Ellipse, t));
    return points;
}

void expect_points(const std::vector<Point3DRec>& actual, const std::vector<Point3DRec>& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        expect_point(actual[i], expected[i].x, expected[i].y);
    }
}

// ---- Top level -------------------------------------------------------------------------

TEST(StepDxfDrawing, ReportsATopLevelItemAsItIs)
{
    Drawing drawing;
    ItemRec* line = halvern_test::make_line(drawing.pool(), 0, 0, 1, 1);
    add(drawing, line);
    const Log log = walk(drawing);
    ASSERT_EQ(log.visits.size(), 1u);
    EXPECT_EQ(log.visits[0].insert, nullptr);
    EXPECT_EQ(log.visits[0].item, line);
    EXPECT_EQ(log.visits[0].step_item, line);
}

TEST(StepDxfDrawing, PassesOverBlockDefinitionsAmongTheEntities)
{
    Drawing drawing;
    add(drawing, CreateItem(DXFItemBlock, 0, 0, 0, 0, drawing.pool()));
    add(drawing, halvern_test::make_line(drawing.pool(), 0, 0, 1, 1));
    add(drawing, CreateItem(DXFItemEndBlock, 0, 0, 0, 0, drawing.pool()));
    add(drawing, make_point(drawing.pool(), 1, 2));
    add(drawing, CreateItem(DXFItemBlock, 0, 0, 0, 0, drawing.pool()));
    add(drawing, make_point(drawing.pool(), 3, 4));
    EXPECT_EQ(walk(drawing).types(), (std::vector<int32_t>{DXFItemPoint}))
        << "a BLOCK without ENDBLK hides the rest";
}

TEST(StepDxfDrawing, SkipsHiddenItemsAtTopLevelAndInBlocksAndReportsExcludedOnes)
{
    struct Row {
        const char* name;
        void (*hide)(DXFDrawingRec&, ItemRec&);
        bool top_reported;
        bool member_reported;
    };
    const Row rows[] = {
        {"layer off",
         [](DXFDrawingRec& drawing, ItemRec& item) {
             item.it_Header.ih_Layer = GetLayer(&drawing.dxf_LayerTable, "OFF");
             drawing.dxf_LayerTable.lt_Layers[item.it_Header.ih_Layer]->ld_Flags |= DXFLayerOff;
         },
         false, false},
        {"type hidden", [](DXFDrawingRec& drawing, ItemRec&) { drawing.dxf_ItemFlags[DXFItemPoint] = 1; }, false, false},
        {"item hidden", [](DXFDrawingRec&, ItemRec& item) { item.it_Header.ih_Flags |= DXFItemHidden; }, false, false},
        {"contours only", [](DXFDrawingRec& drawing, ItemRec&) { drawing.dxf_Flags |= DXFDrawContoursOnly; }, true, false},
        {"excluded", [](DXFDrawingRec&, ItemRec& item) { item.it_Header.ih_Flags |= DXFItemExcluded; }, true, true},
        {"layer index out of range", [](DXFDrawingRec&, ItemRec& item) { item.it_Header.ih_Layer = 99; }, true, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Drawing drawing;
        ItemRec* top = make_point(drawing.pool(), 1, 1);
        ItemRec* member = make_point(drawing.pool(), 2, 2);
        row.hide(drawing.record, *top);
        row.hide(drawing.record, *member);
        add_block_definition(drawing, "B", {member});
        add(drawing, top);
        add(drawing, make_placed_insert(drawing, "B", {10, 0, 0}));
        const Log walked = walk(drawing);
        const auto points = walked.of_type(DXFItemPoint);
        size_t expected = (row.top_reported ? 1 : 0) + (row.member_reported ? 1 : 0);
        EXPECT_EQ(points.size(), expected);
        if (row.member_reported) {
            expect_point(points.back()->fields.it_Point.pt_Point, 12, 2);
            EXPECT_EQ(points.back()->step_item, member);
        }
    }
}

TEST(StepDxfDrawing, SplitsPolylinesIntoLinesAndArcsUnlessAskedForThemWhole)
{
    Drawing drawing;
    ItemRec* polyline = halvern_test::make_polyline(
        drawing.pool(), {{{0, 0, 0}, 0.0, 0}, {{10, 0, 0}, 1.0, 0}, {{10, 10, 0}, 0.0, 0}});
    polyline->it_Header.ih_Colour = 5;
    add(drawing, polyline);
    add(drawing, make_point(drawing.pool(), 1, 1));

    const Log split = walk(drawing);
    ASSERT_EQ(split.types(), (std::vector<int32_t>{DXFItemLine, DXFItemArc, DXFItemPoint}));
    const ItemRec& line = split.visits[0].fields;
    EXPECT_EQ(line.it_Header.ih_Colour, 5) << "segments carry the polyline's head";
    EXPECT_EQ(line.it_Header.ih_ItemSize, static_cast<int32_t>(offsetof(ItemRec, it_Block) + sizeof(LineRec)));
    expect_point(line.it_Line.ln_Start, 0, 0);
    expect_point(line.it_Line.ln_End, 10, 0);
    EXPECT_EQ(split.visits[1].step_item, polyline);
    expect_point(split.visits[1].fields.it_Arc.ar_Centre, 10, 5);
    EXPECT_NEAR(split.visits[1].fields.it_Arc.ar_Radius, 5, kNear);

    Log ended;
    ended.drawing = drawing.get();
    ended.end_polyline_at = 0;
    StepDXFDrawing(drawing.get(), DXFWalkAll, record, &ended);
    EXPECT_EQ(ended.types(), (std::vector<int32_t>{DXFItemLine, DXFItemPoint}));

    const Log whole = walk(drawing, DXFWalkWholePolylines);
    ASSERT_EQ(whole.visits.size(), 2u);
    EXPECT_EQ(whole.visits[0].item, polyline);
}

// ---- INSERT expansion ------------------------------------------------------------------

TEST(StepDxfDrawing, PlacesBlockMembersByTheInsert)
{
    Drawing drawing;
    add_block_definition(drawing, "B", {halvern_test::make_line(drawing.pool(), 0, 0, 1, 0)});
    ItemRec* insert = make_placed_insert(drawing, "B", {100, 50, 0}, kPi / 2, {2, 2, 1});
    add(drawing, insert);
    const Log log = walk(drawing);
    ASSERT_EQ(log.types(), (std::vector<int32_t>{DXFItemBlock, DXFItemLine, DXFItemEndBlock}));
    for (const Visit& visit : log.visits)
        EXPECT_EQ(visit.insert, insert);
    const BlockRec& block = log.visits[0].fields.it_Block;
    expect_point(block.bk_Offset, 100, 50);
    EXPECT_EQ(block.bk_Cos, 0.0);
    EXPECT_EQ(block.bk_Sin, 1.0);
    EXPECT_EQ(block.bk_Scale.x, 2.0);
    // Quarter turns place exactly.
    EXPECT_EQ(log.visits[1].fields.it_Line.ln_Start.x, 100.0);
    EXPECT_EQ(log.visits[1].fields.it_Line.ln_Start.y, 50.0);
    EXPECT_EQ(log.visits[1].fields.it_Line.ln_End.x, 100.0);
    EXPECT_EQ(log.visits[1].fields.it_Line.ln_End.y, 52.0);
    EXPECT_EQ(log.visits[1].step_item, drawing->dxf_BlockItemBuffer.ib_Items[1]);
}

TEST(StepDxfDrawing, ArcsBecomeTheirExactImage)
{
    struct Row {
        const char* name;
        double rotation;
        Point3DRec scale;
        Point3DRec extrusion;
        int32_t type;
    };
    const Row rows[] = {
        {"turned", 0.7, {3, 3, 1}, {0, 0, 1}, DXFItemArc},
        {"unequal scales", kPi / 2, {2, 1, 1}, {0, 0, 1}, DXFItemEllipse},
        {"taller than wide", 0.3, {1, 2, 1}, {0, 0, 1}, DXFItemEllipse},
        {"mirrored by a scale", 0.0, {-1, 1, 1}, {0, 0, 1}, DXFItemArc},
        {"mirrored and stretched", 0.4, {-3, 1, 1}, {0, 0, 1}, DXFItemEllipse},
        {"mirrored by the extrusion", 0.5, {1, 1, 1}, {0, 0, -1}, DXFItemArc},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Drawing drawing;
        ItemRec* arc = make_arc(drawing.pool(), 1, 2, 1.5, 0.2, 2.0);
        arc->it_Header.ih_Layer = 3;
        add_block_definition(drawing, "B", {arc});
        ItemRec* insert = make_placed_insert(drawing, "B", {10, -4, 0}, row.rotation, row.scale);
        insert->it_Insert.in_Extrusion = row.extrusion;
        add(drawing, insert);
        const Log log = walk(drawing);
        ASSERT_EQ(log.visits.size(), 3u);
        const ItemRec& placed = log.visits[1].fields;
        ASSERT_EQ(placed.it_Header.ih_ItemType, row.type);
        EXPECT_EQ(placed.it_Header.ih_Layer, 3);
        if (row.type == DXFItemEllipse) {
            EXPECT_LE(placed.it_Ellipse.el_Ratio, 1.0);
        }
        // The image of the arc's start, middle and end, mapped by hand.
        const double c = std::cos(row.rotation);
        const double s = std::sin(row.rotation);
        const double mirror_x = row.extrusion.z < 0 ? -1.0 : 1.0;
        std::vector<Point3DRec> expected;
        for (const double t : {0.2, 1.1, 2.0}) {
            const double x = (1 + 1.5 * std::cos(t)) * row.scale.x;
            const double y = (2 + 1.5 * std::sin(t)) * row.scale.y;
            expected.push_back(Point3DRec{mirror_x * (c * x - s * y + 10), s * x + c * y - 4, 0});
        }
        // A mirror keeps the arc counter-clockwise: its ends change places.
        const bool mirrored = (row.scale.x < 0) != (row.extrusion.z < 0);
        if (mirrored)
            std::swap(expected[0], expected[2]);
        expect_points(curve_points(placed), expected);
    }
}

TEST(StepDxfDrawing, EllipsesBecomeTheirExactImage)
{
    const struct {
        const char* name;
        double rotation;
        Point3DRec scale;
    } rows[] = {
        {"turned", 1.2, {2, 2, 1}},
        {"stretched across the axis", 0.5, {1, 3, 1}},
        {"mirrored and stretched", -0.8, {2, -0.5, 1}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Drawing drawing;
        ItemRec* ellipse = CreateItem(DXFItemEllipse, 0, 0, 0, 0, drawing.pool());
        ellipse->it_Ellipse = EllipseRec{{1, 2, 0}, {2, 1, 0}, 0.4, 0.3, 2.5, std::atan2(1.0, 2.0), 1};
        add_block_definition(drawing, "B", {ellipse});
        add(drawing, make_placed_insert(drawing, "B", {-3, 7, 0}, row.rotation, row.scale));
        const Log log = walk(drawing);
        ASSERT_EQ(log.visits.size(), 3u);
        const ItemRec& placed = log.visits[1].fields;
        ASSERT_EQ(placed.it_Header.ih_ItemType, DXFItemEllipse);
        EXPECT_LE(placed.it_Ellipse.el_Ratio, 1.0);
        EXPECT_NEAR(placed.it_Ellipse.el_Angle,
                    std::atan2(placed.it_Ellipse.el_MajorAxis.y, placed.it_Ellipse.el_MajorAxis.x), kNear);
        const double c = std::cos(row.rotation);
        const double s = std::sin(row.rotation);
        std::vector<Point3DRec> expected;
        for (const double t : {0.3, 1.4, 2.5}) {
            const Point3DRec p = ellipse_point(ellipse->it_Ellipse, t);
            const double x = p.x * row.scale.x;
            const double y = p.y * row.scale.y;
            expected.push_back(Point3DRec{c * x - s * y - 3, s * x + c * y + 7, 0});
        }
        if (row.scale.x * row.scale.y < 0)
            std::swap(expected[0], expected[2]);
        expect_points(curve_points(placed), expected);
    }
}

TEST(StepDxfDrawing, UnequalScalesTurnTheEllipseAxisWithTheInsert)
{
    Drawing drawing;
    add_block_definition(drawing, "B", {make_arc(drawing.pool(), 0, 0, 1, 0, 2 * kPi)});
    add(drawing, make_placed_insert(drawing, "B", {0, 0, 0}, kPi / 2, {2, 1, 1}));
    const Log log = walk(drawing);
    ASSERT_EQ(log.visits.size(), 3u);
    const ItemRec& ellipse = log.visits[1].fields;
    ASSERT_EQ(ellipse.it_Header.ih_ItemType, DXFItemEllipse);
    EXPECT_EQ(ellipse.it_Header.ih_ItemSize, static_cast<int32_t>(offsetof(ItemRec, it_Block) + sizeof(EllipseRec)));
    expect_point(ellipse.it_Ellipse.el_MajorAxis, 0, 2);
    EXPECT_EQ(ellipse.it_Ellipse.el_Ratio, 0.5);
    EXPECT_NEAR(ellipse.it_Ellipse.el_Angle, kPi / 2, kNear);
    EXPECT_EQ(ellipse.it_Ellipse.el_Start, 0.0);
    EXPECT_EQ(ellipse.it_Ellipse.el_End, 2 * kPi);
}

TEST(StepDxfDrawing, PolylinesUnderAMirrorTurnTheirBulges)
{
    Drawing drawing;
    add_block_definition(drawing, "B",
                 {halvern_test::make_polyline(drawing.pool(), {{{0, 0, 0}, 0.5, 0}, {{4, 0, 0}, 0.0, 0}})});
    for (const Point3DRec& extrusion : {Point3DRec{0, 0, -1}, Point3DRec{0, 0, 1}}) {
        // Either mirror puts the polyline at x -10 to -14.
        const bool by_extrusion = extrusion.z < 0;
        ItemRec* insert = make_placed_insert(drawing, "B", {by_extrusion ? 10.0 : -10.0, 0, 0}, 0.0,
                                      {by_extrusion ? 1.0 : -1.0, 1, 1});
        insert->it_Insert.in_Extrusion = extrusion;
        drawing->dxf_ItemBuffer.ib_N = 0;
        add(drawing, insert);
        SCOPED_TRACE(extrusion.z);
        const Log whole = walk(drawing, DXFWalkWholePolylines);
        ASSERT_EQ(whole.visits.size(), 3u);
        const PolylineRec& polyline = whole.visits[1].fields.it_Polyline;
        EXPECT_EQ(polyline.pl_Vertices[0].vx_Bulge, -0.5);
        expect_point(polyline.pl_Vertices[0].vx_Point, -10, 0);
        EXPECT_NE(whole.visits[1].item, drawing->dxf_BlockItemBuffer.ib_Items[1]) << "a copy";
        // pl_Min and pl_Max are those of the placed outline.
        EXPECT_NEAR(polyline.pl_Min.x, -14, kNear);
        EXPECT_NEAR(polyline.pl_Max.x, -10, kNear);

        // Split, the arc of the segment is the mirror image: below the chord now.
        const Log split = walk(drawing);
        ASSERT_EQ(split.types(), (std::vector<int32_t>{DXFItemBlock, DXFItemArc, DXFItemEndBlock}));
        const std::vector<Point3DRec> ends = curve_points(split.visits[1].fields);
        EXPECT_LT(ends[1].y, 0.0);
        expect_point(ends[0], -14, 0);
        expect_point(ends[2], -10, 0);
    }
}

TEST(StepDxfDrawing, RectangularArraysPlaceColumnByColumn)
{
    Drawing drawing;
    add_block_definition(drawing, "B", {make_point(drawing.pool(), 0, 0)});
    ItemRec* insert = make_placed_insert(drawing, "B", {1, 2, 0});
    insert->it_Insert.in_Rows = 2;
    insert->it_Insert.in_Columns = 3;
    insert->it_Insert.in_RowSpacing = 5;
    insert->it_Insert.in_ColumnSpacing = 10;
    add(drawing, insert);
    const Log walked = walk(drawing);
    const auto points = walked.of_type(DXFItemPoint);
    const double expected[][2] = {{0, 0}, {0, 5}, {10, 0}, {10, 5}, {20, 0}, {20, 5}};
    ASSERT_EQ(points.size(), 6u);
    for (size_t i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(points[i]->fields.it_Point.pt_Point.x, 1 + expected[i][0]);
        EXPECT_EQ(points[i]->fields.it_Point.pt_Point.y, 2 + expected[i][1]);
    }
    insert->it_Insert.in_Rows = 0;
    EXPECT_TRUE(walk(drawing).visits.empty());
}

struct Placement {
    Point3DRec position;
    double rotation;
};

int32_t record_placement(ItemRec*, Point3DRec* position, Point3DRec* scales, double rotation, void* user)
{
    EXPECT_EQ(scales->x, 1.0);
    static_cast<std::vector<Placement>*>(user)->push_back(Placement{*position, rotation});
    return 0;
}

TEST(StepDxfDrawing, CircularArraysPlaceRoundTheCentre)
{
    Drawing drawing;
    add_block_definition(drawing, "B", {halvern_test::make_line(drawing.pool(), 0, 0, 1, 0)});
    ItemRec* insert = make_placed_insert(drawing, "B", {});
    InsertRec& circular = insert->it_Insert;
    circular.in_ArrayKind = 2;
    circular.in_CircCentre = Point3DRec{0, 0, 0};
    circular.in_CircRadius = 10;
    circular.in_CircFirst = Point3DRec{10, 0, 0};
    circular.in_CircStep = kPi / 2;
    circular.in_CircRotation = 0;
    circular.in_CircCount = 4;
    add(drawing, insert);
    const Log log = walk(drawing);
    const auto blocks = log.of_type(DXFItemBlock);
    const auto lines = log.of_type(DXFItemLine);
    const double positions[][2] = {{10, 0}, {0, 10}, {-10, 0}, {0, -10}};
    ASSERT_EQ(blocks.size(), 4u);
    ASSERT_EQ(lines.size(), 4u);
    std::vector<Placement> listed;
    StepDXFInsertion(drawing.get(), insert, record_placement, &listed);
    ASSERT_EQ(listed.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        expect_point(blocks[i]->fields.it_Block.bk_Offset, positions[i][0], positions[i][1]);
        EXPECT_NEAR(blocks[i]->fields.it_Block.bk_Rotation, i * kPi / 2, kNear);
        // Each copy turns with its place on the circle: the line points outwards.
        expect_point(lines[i]->fields.it_Line.ln_End, positions[i][0] * 1.1, positions[i][1] * 1.1);
        expect_point(listed[i].position, positions[i][0], positions[i][1]);
        EXPECT_NEAR(listed[i].rotation, i * kPi / 2, kNear);
    }
}

TEST(StepDxfDrawing, NestedInsertsComposeEveryEnclosingPlacement)
{
    Drawing drawing;
    add_block_definition(drawing, "INNER", {halvern_test::make_line(drawing.pool(), 0, 0, 1, 0)});
    add_block_definition(drawing, "OUTER", {make_placed_insert(drawing, "INNER", {5, 0, 0}, 0.0, {2, 2, 1})});
    ItemRec* outer = make_placed_insert(drawing, "OUTER", {10, 0, 0}, kPi / 2);
    add(drawing, outer);
    const Log log = walk(drawing);
    ASSERT_EQ(log.types(), (std::vector<int32_t>{DXFItemBlock, DXFItemBlock, DXFItemLine,
                                                 DXFItemEndBlock, DXFItemEndBlock}));
    // The inner block is placed by its own INSERT and then turned about the outer one.
    const ItemRec& line = log.visits[2].fields;
    expect_point(line.it_Line.ln_Start, 10, 5);
    expect_point(line.it_Line.ln_End, 10, 7);
    EXPECT_EQ(log.visits[0].insert, outer);
    EXPECT_EQ(log.visits[2].insert, drawing->dxf_BlockItemBuffer.ib_Items[4]) << "the nested INSERT";
    EXPECT_EQ(log.visits[4].insert, outer);
    const BlockRec& inner_block = log.visits[1].fields.it_Block;
    expect_point(inner_block.bk_Offset, 10, 5);
    EXPECT_NEAR(inner_block.bk_Rotation, kPi / 2, kNear);
    EXPECT_EQ(inner_block.bk_Scale.x, 2.0);
}

TEST(StepDxfDrawing, NestedArraysVisitEveryPlacedCopyInOrder)
{
    // A 2 x 3 array of a cell that holds a circular array of three dots, the whole under
    // a mirroring extrusion.
    Drawing drawing;
    add_block_definition(drawing, "DOT", {make_point(drawing.pool(), 1, 0)});
    ItemRec* ring = make_placed_insert(drawing, "DOT", {});
    ring->it_Insert.in_ArrayKind = 2;
    ring->it_Insert.in_CircRadius = 10;
    ring->it_Insert.in_CircFirst = Point3DRec{10, 0, 0};
    ring->it_Insert.in_CircStep = 2 * kPi / 3;
    ring->it_Insert.in_CircCount = 3;
    add_block_definition(drawing, "CELL", {ring});
    ItemRec* grid = make_placed_insert(drawing, "CELL", {0, 0, 0});
    grid->it_Insert.in_Rows = 2;
    grid->it_Insert.in_Columns = 3;
    grid->it_Insert.in_RowSpacing = 50;
    grid->it_Insert.in_ColumnSpacing = 100;
    grid->it_Insert.in_Extrusion = Point3DRec{0, 0, -1};
    add(drawing, grid);
    const Log walked = walk(drawing);
    const auto points = walked.of_type(DXFItemPoint);
    ASSERT_EQ(points.size(), 18u);
    size_t i = 0;
    for (int column = 0; column < 3; ++column) {
        for (int row = 0; row < 2; ++row) {
            for (int k = 0; k < 3; ++k, ++i) {
                SCOPED_TRACE(i);
                const double angle = k * 2 * kPi / 3;
                const double x = column * 100 + 11 * std::cos(angle);
                const double y = row * 50 + 11 * std::sin(angle);
                expect_point(points[i]->fields.it_Point.pt_Point, -x, y);
            }
        }
    }
}

TEST(StepDxfDrawing, BlocksOnlyModeReportsOneBlockItemPerPlacement)
{
    Drawing drawing;
    add_block_definition(drawing, "INNER", {halvern_test::make_line(drawing.pool(), 0, 0, 1, 0)});
    add_block_definition(drawing, "OUTER", {make_point(drawing.pool(), 0, 0), make_placed_insert(drawing, "INNER", {5, 0, 0})});
    ItemRec* insert = make_placed_insert(drawing, "OUTER", {});
    insert->it_Insert.in_Columns = 2;
    add(drawing, insert);
    add(drawing, halvern_test::make_line(drawing.pool(), 0, 0, 3, 3));
    EXPECT_EQ(walk(drawing, DXFWalkBlocksOnly).types(),
              (std::vector<int32_t>{DXFItemBlock, DXFItemBlock, DXFItemBlock, DXFItemBlock, DXFItemLine}));
}

// A block that inserts itself, directly or through another block, is a cycle: the
// INSERT that would enter a block already being expanded is passed over, so every block
// is walked once on each path, however many blocks the drawing has.
TEST(StepDxfDrawing, ABlockCycleIsWalkedOncePerPath)
{
    for (const int extra_blocks : {0, 2}) {
        SCOPED_TRACE(extra_blocks);
        Drawing drawing;
        // The INSERT refers to the block it is part of.
        AddBlockIdentifier(&drawing->dxf_BlockIdentifierBuffer, "SELF", 0, 0);
        add_block_definition(drawing, "SELF", {make_placed_insert(drawing, "SELF", {1, 0, 0}), make_point(drawing.pool(), 0, 0)});
        for (int i = 0; i < extra_blocks; ++i)
            add_block_definition(drawing, ("OTHER" + std::to_string(i)).c_str(), {});
        add(drawing, make_placed_insert(drawing, "SELF", {}));
        const Log log = walk(drawing);
        EXPECT_EQ(log.of_type(DXFItemBlock).size(), 1u);
        const auto points = log.of_type(DXFItemPoint);
        ASSERT_EQ(points.size(), 1u);
        expect_point(points.front()->fields.it_Point.pt_Point, 0, 0);
    }

    // A inserts B, B inserts A: from a top-level A the walk sees A, then B, and stops at
    // B's INSERT of A; from a top-level B, B and then A.
    Drawing drawing;
    AddBlockIdentifier(&drawing->dxf_BlockIdentifierBuffer, "A", 0, 0);
    AddBlockIdentifier(&drawing->dxf_BlockIdentifierBuffer, "B", 4, 0);
    add_block_definition(drawing, "A", {make_point(drawing.pool(), 0, 0), make_placed_insert(drawing, "B", {10, 0, 0})});
    add_block_definition(drawing, "B", {make_point(drawing.pool(), 1, 1), make_placed_insert(drawing, "A", {0, 10, 0})});
    add(drawing, make_placed_insert(drawing, "A", {}));
    add(drawing, make_placed_insert(drawing, "B", {100, 0, 0}));
    const Log log = walk(drawing);
    EXPECT_EQ(log.of_type(DXFItemBlock).size(), 4u);
    const auto points = log.of_type(DXFItemPoint);
    ASSERT_EQ(points.size(), 4u);
    expect_point(points[0]->fields.it_Point.pt_Point, 0, 0);
    expect_point(points[1]->fields.it_Point.pt_Point, 11, 1);
    expect_point(points[2]->fields.it_Point.pt_Point, 101, 1);
    expect_point(points[3]->fields.it_Point.pt_Point, 100, 10);
}

TEST(StepDxfDrawing, TheBlockStackGrowsForBlocksAddedLater)
{
    Drawing drawing;
    add_block_definition(drawing, "B0", {make_point(drawing.pool(), 0, 0)});
    add(drawing, make_placed_insert(drawing, "B0", {}));
    walk(drawing);
    ASSERT_NE(drawing->dxf_BlockStack, nullptr);
    const int32_t first_capacity = drawing->dxf_BlockStack[0].bs_Index;

    // A chain of blocks, each inserting the one before, far deeper than the stack.
    constexpr int kChain = 60;
    for (int i = 1; i <= kChain; ++i) {
        const std::string previous = "B" + std::to_string(i - 1);
        add_block_definition(drawing, ("B" + std::to_string(i)).c_str(), {make_placed_insert(drawing, previous.c_str(), {1, 0, 0})});
    }
    drawing->dxf_ItemBuffer.ib_N = 0;
    add(drawing, make_placed_insert(drawing, ("B" + std::to_string(kChain)).c_str(), {}));
    const Log walked = walk(drawing);
    const auto points = walked.of_type(DXFItemPoint);
    ASSERT_EQ(points.size(), 1u);
    expect_point(points[0]->fields.it_Point.pt_Point, kChain, 0);
    EXPECT_GT(drawing->dxf_BlockStack[0].bs_Index, first_capacity);
}

TEST(StepDxfDrawing, ACallbackStopsTheWholeWalk)
{
    Drawing drawing;
    add_block_definition(drawing, "B", {make_point(drawing.pool(), 0, 0)});
    ItemRec* insert = make_placed_insert(drawing, "B", {});
    insert->it_Insert.in_Columns = 3;
    add(drawing, insert);
    add(drawing, make_point(drawing.pool(), 5, 5));
    Log log;
    log.drawing = drawing.get();
    log.stop_at = 0;
    StepDXFDrawing(drawing.get(), DXFWalkAll, record, &log);
    EXPECT_EQ(log.visits.size(), 1u);
    EXPECT_EQ(drawing->dxf_StepItem, nullptr);
}

TEST(StepDxfDrawing, AnInsertWithoutItsBlockProducesNothing)
{
    Drawing drawing;
    add_block_definition(drawing, "B", {make_point(drawing.pool(), 0, 0)});
    for (const int32_t index : {-1, 2, 99}) {
        SCOPED_TRACE(index);
        drawing->dxf_ItemBuffer.ib_N = 0;
        ItemRec* insert = make_placed_insert(drawing, "B", {});
        insert->it_Insert.in_BlockIndex = index;
        add(drawing, insert);
        EXPECT_TRUE(walk(drawing).visits.empty());
    }
}

TEST(StepDxfDrawing, ABlockThatLacksItsEndblkEndsAtTheNextBlock)
{
    Drawing drawing;
    ItemBufferRec& blocks = drawing->dxf_BlockItemBuffer;
    AddItem(drawing.get(), &blocks, CreateItem(DXFItemBlock, 0, 0, 0, 0, drawing.pool()));
    AddItem(drawing.get(), &blocks, halvern_test::make_line(drawing.pool(), 0, 0, 1, 0));
    AddBlockIdentifier(&drawing->dxf_BlockIdentifierBuffer, "OPEN", 0, 0);
    add_block_definition(drawing, "NEXT", {make_point(drawing.pool(), 0, 0)});
    add(drawing, make_placed_insert(drawing, "OPEN", {}));
    EXPECT_EQ(walk(drawing).types(), (std::vector<int32_t>{DXFItemBlock, DXFItemLine}));
}

TEST(StepDxfDrawing, TextsAndSplinesArePlacedCopies)
{
    Drawing drawing;
    ItemRec* text = halvern_test::make_text(drawing.pool(), "label");
    text->it_Text.tx_Point = Point3DRec{1, 0, 0};
    text->it_Text.tx_Point2 = Point3DRec{6, 1, 0};
    text->it_Text.tx_Height = 1;
    ItemRec* spline = halvern_test::make_spline(drawing.pool(), {{0, 0, 0}, {1, 1, 0}, {2, 0, 0}},
                                                {0, 0, 0, 1, 1, 1}, {1, 2, 1});
    add_block_definition(drawing, "B", {text, spline});
    add(drawing, make_placed_insert(drawing, "B", {10, 10, 0}, kPi / 2, {2, 2, 1}));
    const Log log = walk(drawing);
    ASSERT_EQ(log.types(), (std::vector<int32_t>{DXFItemBlock, DXFItemText, DXFItemSpline, DXFItemEndBlock}));
    const TextRec& placed_text = log.visits[1].fields.it_Text;
    EXPECT_EQ(log.visits[1].text, "label");
    EXPECT_NE(log.visits[1].item, text);
    expect_point(placed_text.tx_Point, 10, 12);
    expect_point(placed_text.tx_Point2, 8, 22);
    EXPECT_NEAR(placed_text.tx_Rotation, kPi / 2, kNear);
    EXPECT_NEAR(placed_text.tx_Height, 2, kNear) << "the text grows with its block";
    const ItemRec& placed_spline = log.visits[2].fields;
    expect_point(placed_spline.it_Spline.sp_Points[0], 10, 10);
    expect_point(placed_spline.it_Spline.sp_Min, 8, 10);
    expect_point(placed_spline.it_Spline.sp_Max, 10, 14);
}

TEST(StepDxfBlock, ExpandsARecordTheCallerFilledIn)
{
    Drawing drawing;
    const int32_t index = add_block_definition(drawing, "B", {make_point(drawing.pool(), 1, 1)});
    // As the block-label code fills one: zeroed, with the block, kind, scales, row angle
    // and counts.
    ItemRec filled{};
    filled.it_Insert.in_BlockIndex = index;
    filled.it_Insert.in_ArrayKind = 1;
    filled.it_Insert.in_Scale = Point3DRec{1, 1, 1};
    filled.it_Insert.in_RowAngle = kPi / 2;
    filled.it_Insert.in_Rows = 1;
    filled.it_Insert.in_Columns = 1;
    Log log;
    log.drawing = drawing.get();
    StepDXFBlock(drawing.get(), &filled, DXFWalkAll, record, &log);
    ASSERT_EQ(log.types(), (std::vector<int32_t>{DXFItemBlock, DXFItemPoint, DXFItemEndBlock}));
    EXPECT_EQ(log.visits[1].insert, &filled);
    expect_point(log.visits[1].fields.it_Point.pt_Point, 1, 1);
    StepDXFBlock(drawing.get(), nullptr, DXFWalkAll, record, &log);
    StepDXFBlock(nullptr, &filled, DXFWalkAll, record, &log);
    EXPECT_EQ(log.visits.size(), 3u);
}

TEST(StepDxfItemType, PassesOnlyItemsOfOneType)
{
    Drawing drawing;
    add_block_definition(drawing, "B", {make_point(drawing.pool(), 0, 0)});
    ItemRec* insert = make_placed_insert(drawing, "B", {});
    insert->it_Insert.in_Rows = 2;
    insert->it_Insert.in_Columns = 2;
    add(drawing, insert);
    add(drawing, halvern_test::make_polyline(drawing.pool(), {{{0, 0, 0}, 0.0, 0}, {{1, 0, 0}, 0.0, 0}, {{1, 1, 0}, 0.0, 0}}));
    add(drawing, halvern_test::make_line(drawing.pool(), 0, 0, 1, 1));
    Log blocks;
    blocks.drawing = drawing.get();
    StepDXFItemType(drawing.get(), DXFItemInsert, record, &blocks);
    EXPECT_EQ(blocks.types(), std::vector<int32_t>(4, DXFItemBlock));
    Log lines;
    lines.drawing = drawing.get();
    StepDXFItemType(drawing.get(), DXFItemLine, record, &lines);
    EXPECT_EQ(lines.types(), std::vector<int32_t>(3, DXFItemLine));
}

}
