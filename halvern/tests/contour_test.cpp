// Contouring with the two-run builder, joining into POLYLINEs, the contour relations,
// progress and cancelling, and the extents of one contour.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "edit/chain_internal.h"
#include "chain_test_support.h"
#include "drawing_fixture.h"
#include "halvern/contours.h"
#include "halvern/extents.h"
#include "halvern/item_geometry.h"
#include "osmark/testing.h"

namespace {

using halvern::kHalfPi;
using halvern::kPi;
using halvern::kTwoPi;
using halvern_test::Drawing;
using halvern_test::end_of;
using halvern_test::expect_point;
using halvern_test::make_arc;
using halvern_test::make_line;
using halvern_test::make_polyline;
using halvern_test::Segment;
using halvern_test::start_of;
using halvern_test::vertex;

constexpr int32_t kTwoRun = 1;

// The four sides of the square from (x, y) with side s, counter-clockwise.
std::vector<Segment> square(double x, double y, double s)
{
    return {{x, y, x + s, y}, {x + s, y, x + s, y + s}, {x + s, y + s, x, y + s}, {x, y + s, x, y}};
}

bool same_xy(const Point3DRec& a, const Point3DRec& b, double tolerance)
{
    return std::fabs(a.x - b.x) < tolerance && std::fabs(a.y - b.y) < tolerance;
}

class Contours : public ::testing::Test {
protected:
    ItemRec* add(ItemRec* item, int32_t layer = 0)
    {
        item->it_Header.ih_Layer = layer;
        EXPECT_EQ(AddItem(drawing().get(), &drawing()->dxf_ItemBuffer, item), 1);
        return item;
    }
    ItemRec* line(const Segment& s, int32_t layer = 0)
    {
        return add(make_line(drawing().pool(), s.x1, s.y1, s.x2, s.y2), layer);
    }
    std::vector<ItemRec*> lines(const std::vector<Segment>& segments, int32_t layer = 0)
    {
        std::vector<ItemRec*> made;
        for (const Segment& s : segments)
            made.push_back(line(s, layer));
        return made;
    }

    const ContourTableRec& table() { return drawing()->dxf_ContourTable; }
    const ContourDataRec& contour(int32_t index) { return table().ct_Contours[index]; }
    bool is_open(int32_t index) { return (contour(index).cd_Flags & 1u) != 0; }

    std::vector<ItemRec*> items_of(int32_t index)
    {
        std::vector<ItemRec*> found;
        for (int32_t i = 0; i < drawing()->dxf_ItemBuffer.ib_N; ++i) {
            ItemRec* item = drawing()->dxf_ItemBuffer.ib_Items[i];
            if (item->it_Header.ih_ContourID == index)
                found.push_back(item);
        }
        return found;
    }

    // Every item id names a record of the table and every record has an item.
    void expect_consistent_table()
    {
        std::set<int32_t> used;
        for (const ItemBufferRec* buffer : {&drawing()->dxf_ItemBuffer, &drawing()->dxf_BlockItemBuffer}) {
            for (int32_t i = 0; i < buffer->ib_N; ++i) {
                const int32_t id = buffer->ib_Items[i]->it_Header.ih_ContourID;
                EXPECT_GE(id, -1);
                EXPECT_LT(id, table().ct_N);
                used.insert(id);
            }
        }
        for (int32_t c = 0; c < table().ct_N; ++c)
            EXPECT_EQ(used.count(c), 1u) << "contour " << c << " has no item";
    }

    Drawing& drawing() { return *m_drawing; }
    // Starts a row of a table on an empty drawing.
    void fresh() { m_drawing.emplace(); }
    // Releases the drawing (and everything it holds) before the test ends.
    void drop() { m_drawing.reset(); }

private:
    std::optional<Drawing> m_drawing{std::in_place};
};

// How many items start where no other item ends: 0 for a loop that runs one way round,
// 1 for a path that runs from one free end to the other.
int32_t chain_starts(const std::vector<ItemRec*>& items, double tolerance)
{
    int32_t starts = 0;
    for (const ItemRec* item : items) {
        bool joined = false;
        for (const ItemRec* other : items)
            if (other != item && same_xy(start_of(item), end_of(other), tolerance))
                joined = true;
        if (!joined)
            ++starts;
    }
    return starts;
}

// ---------------------------------------------------------------------------------------
// Chaining

TEST_F(Contours, SquareInAnyOrderAndDirectionIsOneClosedContour)
{
    const std::vector<Segment> sides = square(0, 0, 10);
    const auto reversed = [](const Segment& s) { return Segment{s.x2, s.y2, s.x1, s.y1}; };
    struct Case {
        const char* name;
        std::vector<Segment> segments;
    };
    const Case cases[] = {
        {"in order", sides},
        {"shuffled", {sides[2], sides[0], sides[3], sides[1]}},
        {"shuffled, mixed directions",
         {reversed(sides[2]), sides[0], reversed(sides[3]), sides[1]}},
        {"all reversed", {reversed(sides[3]), reversed(sides[2]), reversed(sides[1]), reversed(sides[0])}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fresh();
        const std::vector<ItemRec*> made = lines(c.segments);
        ASSERT_EQ(ContourDXFDrawing(drawing().get(), 1e-3, 0, kTwoRun, nullptr, nullptr), 0);
        ASSERT_EQ(table().ct_N, 1);
        EXPECT_FALSE(is_open(0));
        EXPECT_EQ(contour(0).cd_ContourLevel, 0);
        EXPECT_EQ(contour(0).cd_ParentContourID, -1);
        expect_point(contour(0).cd_Min, {0, 0, 0});
        expect_point(contour(0).cd_Max, {10, 10, 0});
        for (const ItemRec* item : made)
            EXPECT_EQ(item->it_Header.ih_ContourID, 0);
        // Lines that ran the wrong way were reversed in the drawing: every side now
        // starts where another ends.
        EXPECT_EQ(chain_starts(made, 1e-9), 0);
    }
}

TEST_F(Contours, NestedSquaresGetLevelsAndParents)
{
    // Stored inner first, so that the parent is not simply the previous contour.
    lines(square(10, 10, 10));
    lines(square(0, 0, 30));
    lines(square(5, 5, 20));
    lines(square(100, 0, 5)); // apart from the others
    ASSERT_EQ(ContourDXFDrawing(drawing().get(), 1e-6, 0, kTwoRun, nullptr, nullptr), 0);
    ASSERT_EQ(table().ct_N, 4);
    const int32_t inner = drawing()->dxf_ItemBuffer.ib_Items[0]->it_Header.ih_ContourID;
    const int32_t outer = drawing()->dxf_ItemBuffer.ib_Items[4]->it_Header.ih_ContourID;
    const int32_t middle = drawing()->dxf_ItemBuffer.ib_Items[8]->it_Header.ih_ContourID;
    const int32_t apart = drawing()->dxf_ItemBuffer.ib_Items[12]->it_Header.ih_ContourID;
    EXPECT_EQ(contour(outer).cd_ContourLevel, 0);
    EXPECT_EQ(contour(outer).cd_ParentContourID, -1);
    EXPECT_EQ(contour(middle).cd_ContourLevel, 1);
    EXPECT_EQ(contour(middle).cd_ParentContourID, outer);
    EXPECT_EQ(contour(inner).cd_ContourLevel, 2);
    EXPECT_EQ(contour(inner).cd_ParentContourID, middle);
    EXPECT_EQ(contour(apart).cd_ContourLevel, 0);

    // Without levels every contour stays at level 0 without a parent.
    ASSERT_EQ(ContourDXFDrawingEx(drawing().get(), 1e-6, 0, kTwoRun, 0, nullptr, nullptr), 0);
    ASSERT_EQ(table().ct_N, 4);
    for (int32_t i = 0; i < 4; ++i) {
        EXPECT_EQ(contour(i).cd_ContourLevel, 0);
        EXPECT_EQ(contour(i).cd_ParentContourID, -1);
    }
}

// A square whose corners miss each other by 0.5e-4: each side starts that far beyond
// the previous side's end.
std::vector<Segment> gapped_square(double gap)
{
    return {{0, 0, 10, 0}, {10, gap, 10, 10}, {10 - gap, 10, 0, 10}, {0, 10 - gap, 0, gap}};
}

TEST_F(Contours, GapClosesOnlyWithinTheToleranceAndSnapMakesEndsExact)
{
    struct Case {
        const char* name;
        double gap;
        double tolerance;
        int32_t snap;
        int32_t contours;
        bool closed;
    };
    const Case cases[] = {
        {"gap within tolerance", 0.5e-4, 1e-3, 0, 1, true},
        {"gap within tolerance, snapped", 0.5e-4, 1e-3, 1, 1, true},
        {"gap beyond tolerance", 0.5e-4, 1e-6, 0, 4, false},
        {"tolerance 0 acts as 1e-6: small gap", 0.5e-6, 0.0, 1, 1, true},
        {"tolerance 0 acts as 1e-6: larger gap", 2e-6, 0.0, 0, 4, false},
        {"negative tolerance acts as 1e-6", 0.5e-6, -5.0, 1, 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fresh();
        const std::vector<ItemRec*> made = lines(gapped_square(c.gap));
        ASSERT_EQ(ContourDXFDrawing(drawing().get(), c.tolerance, c.snap, kTwoRun, nullptr, nullptr), 0);
        ASSERT_EQ(table().ct_N, c.contours);
        for (int32_t i = 0; i < c.contours; ++i)
            EXPECT_EQ(is_open(i), !c.closed);
        if (c.snap == 0)
            continue;
        // Snapped: each side starts exactly where the previous one ends, and the last
        // one ends exactly on the first one's start.
        for (size_t i = 0; i < made.size(); ++i) {
            SCOPED_TRACE(i);
            const Point3DRec end = end_of(made[i]);
            const Point3DRec next = start_of(made[(i + 1) % made.size()]);
            EXPECT_EQ(end.x, next.x);
            EXPECT_EQ(end.y, next.y);
        }
    }
}

TEST_F(Contours, IdenticalLinesAreNeverChained)
{
    ItemRec* a = line({0, 0, 10, 0});
    ItemRec* b = line({0, 0, 10, 0});
    ItemRec* c = line({10, 0, 0, 0}); // the same line once more, the other way round
    ASSERT_EQ(ContourDXFDrawing(drawing().get(), 1e-3, 1, kTwoRun, nullptr, nullptr), 0);
    ASSERT_EQ(table().ct_N, 3);
    EXPECT_NE(a->it_Header.ih_ContourID, b->it_Header.ih_ContourID);
    EXPECT_NE(b->it_Header.ih_ContourID, c->it_Header.ih_ContourID);
    for (int32_t i = 0; i < 3; ++i)
        EXPECT_TRUE(is_open(i));
}

TEST_F(Contours, OpenPathIsOneOpenContourFromFreeEndToFreeEnd)
{
    const std::vector<Segment> path = {{0, 0, 10, 0}, {10, 0, 10, 10}, {10, 10, 20, 10}};
    const auto reversed = [](const Segment& s) { return Segment{s.x2, s.y2, s.x1, s.y1}; };
    struct Case {
        const char* name;
        std::vector<Segment> segments;
    };
    const Case cases[] = {
        {"path order", path},
        {"reverse order", {path[2], path[1], path[0]}},
        {"middle first", {path[1], path[0], path[2]}},
        {"mixed directions", {reversed(path[1]), path[2], reversed(path[0])}},
        {"all reversed", {reversed(path[2]), reversed(path[1]), reversed(path[0])}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fresh();
        const std::vector<ItemRec*> made = lines(c.segments);
        ASSERT_EQ(ContourDXFDrawing(drawing().get(), 1e-6, 0, kTwoRun, nullptr, nullptr), 0);
        ASSERT_EQ(table().ct_N, 1);
        EXPECT_TRUE(is_open(0));
        EXPECT_EQ(items_of(0).size(), 3u);
        // One way through: a single item whose start meets no other item's end.
        EXPECT_EQ(chain_starts(made, 1e-9), 1);
    }
}

TEST_F(Contours, LoopAndOpenPathOnOneLayerStayApart)
{
    const std::vector<ItemRec*> path = lines({{50, 0, 60, 0}, {60, 0, 60, 10}});
    const std::vector<ItemRec*> loop = lines(square(0, 0, 10));
    ASSERT_EQ(ContourDXFDrawing(drawing().get(), 1e-6, 0, kTwoRun, nullptr, nullptr), 0);
    ASSERT_EQ(table().ct_N, 2);
    const int32_t path_id = path[0]->it_Header.ih_ContourID;
    const int32_t loop_id = loop[0]->it_Header.ih_ContourID;
    EXPECT_EQ(path[1]->it_Header.ih_ContourID, path_id);
    EXPECT_TRUE(is_open(path_id));
    EXPECT_FALSE(is_open(loop_id));
    EXPECT_EQ(items_of(loop_id).size(), 4u);
}

TEST_F(Contours, ItemsClosedByThemselvesAreContoursOfOneItem)
{
    ItemRec* polyline = add(make_polyline(drawing().pool(), {vertex(0, 0), vertex(5, 0), vertex(5, 5), vertex(0, 0)}));
    ItemRec* circle = add(make_arc(drawing().pool(), {20, 0, 0}, 2, 0, kTwoPi, 1));
    // A LINE that starts on the circle's start point is not drawn into the circle's
    // contour: the circle is closed before anything is appended to it.
    ItemRec* touching = line({22, 0, 30, 0});
    ASSERT_EQ(ContourDXFDrawing(drawing().get(), 1e-3, 1, kTwoRun, nullptr, nullptr), 0);
    ASSERT_EQ(table().ct_N, 3);
    const int32_t polyline_id = polyline->it_Header.ih_ContourID;
    const int32_t circle_id = circle->it_Header.ih_ContourID;
    EXPECT_FALSE(is_open(polyline_id));
    EXPECT_FALSE(is_open(circle_id));
    EXPECT_TRUE(is_open(touching->it_Header.ih_ContourID));
    EXPECT_EQ(items_of(polyline_id).size(), 1u);
    EXPECT_EQ(items_of(circle_id).size(), 1u);
    expect_point(contour(circle_id).cd_Min, {18, -2, 0});
    expect_point(contour(circle_id).cd_Max, {22, 2, 0});
}

TEST_F(Contours, PointsAndItemsWithoutEndsTakeNoPart)
{
    ItemRec* point = CreateItem(DXFItemPoint, 0, 0, 0, 0, drawing().pool());
    add(point);
    ItemRec* text = add(halvern_test::make_text(drawing().pool(), "A"));
    lines(square(0, 0, 1));
    ASSERT_EQ(ContourDXFDrawing(drawing().get(), 1e-6, 0, kTwoRun, nullptr, nullptr), 0);
    EXPECT_EQ(table().ct_N, 1);
    EXPECT_EQ(point->it_Header.ih_ContourID, -1);
    EXPECT_EQ(text->it_Header.ih_ContourID, -1);
}

TEST_F(Contours, LayersAreChainedApart)
{
    const int32_t a = GetLayer(&drawing()->dxf_LayerTable, "A");
    const int32_t b = GetLayer(&drawing()->dxf_LayerTable, "B");
    ItemRec* first = line({0, 0, 10, 0}, a);
    ItemRec* second = line({10, 0, 10, 10}, b);
    ASSERT_EQ(ContourDXFDrawing(drawing().get(), 1e-3, 0, kTwoRun, nullptr, nullptr), 0);
    ASSERT_EQ(table().ct_N, 2);
    EXPECT_NE(first->it_Header.ih_ContourID, second->it_Header.ih_ContourID);
}

TEST_F(Contours, ContouringAgainReplacesTheTable)
{
    lines(square(0, 0, 10));
    ASSERT_EQ(ContourDXFDrawing(drawing().get(), 1e-6, 0, kTwoRun, nullptr, nullptr), 0);
    ASSERT_EQ(ContourDXFDrawing(drawing().get(), 1e-6, 0, kTwoRun, nullptr, nullptr), 0);
    EXPECT_EQ(table().ct_N, 1);
    expect_consistent_table();
}

TEST_F(Contours, TableGrowsBeyondItsFirstRecords)
{
    // More squares than one growth step of the table holds.
    for (int32_t i = 0; i < 45; ++i)
        lines(square(i * 20.0, 0, 10));
    ASSERT_EQ(ContourDXFDrawing(drawing().get(), 1e-6, 0, kTwoRun, nullptr, nullptr), 0);
    EXPECT_EQ(table().ct_N, 45);
    EXPECT_GE(table().ct_Max, 45);
    expect_consistent_table();
    for (int32_t i = 0; i < 45; ++i) {
        EXPECT_FALSE(is_open(i));
        EXPECT_EQ(contour(i).cd_ContourLevel, 0);
    }
}

TEST_F(Contours, NullDrawingGivesZero)
{
    EXPECT_EQ(ContourDXFDrawingEx(nullptr, 1e-3, 1, kTwoRun, 1, nullptr, nullptr), 0);
    EXPECT_EQ(ContourDXFDrawing(nullptr, 1e-3, 1, kTwoRun, nullptr, nullptr), 0);
    EXPECT_EQ(DXFLinesArcsToPolylines(nullptr, 1e-3, 1, 1, kTwoRun, nullptr, nullptr), 0);
    EXPECT_EQ(DXFDrawingReadyForFilling(nullptr, 1e-3), 0);
}

// ---------------------------------------------------------------------------------------
// Blocks

// A block definition BLOCK, members, ENDBLK registered under name.
void define_block(Drawing& target, const char* name, const std::vector<ItemRec*>& members)
{
    ItemBufferRec& blocks = target->dxf_BlockItemBuffer;
    const int32_t index = blocks.ib_N;
    AddItem(target.get(), &blocks, CreateItem(DXFItemBlock, 0, 0, 0, 0, target.pool()));
    for (ItemRec* member : members)
        AddItem(target.get(), &blocks, member);
    AddItem(target.get(), &blocks, CreateItem(DXFItemEndBlock, 0, 0, 0, 0, target.pool()));
    AddBlockIdentifier(&target->dxf_BlockIdentifierBuffer, name, index, 0);
}

std::vector<ItemRec*> make_lines(Pool* pool, const std::vector<Segment>& segments)
{
    std::vector<ItemRec*> made;
    for (const Segment& s : segments)
        made.push_back(make_line(pool, s.x1, s.y1, s.x2, s.y2));
    return made;
}

TEST_F(Contours, BlockMembersAreChainedAmongThemselvesInBlockCoordinates)
{
    // Two blocks whose squares touch the entities' square and each other: still three
    // separate groups. The second block holds nested squares and is never inserted; its
    // contours are measured in its own coordinates and still nest.
    std::vector<ItemRec*> first = make_lines(drawing().pool(), square(0, 0, 10));
    define_block(drawing(), "FIRST", first);
    std::vector<ItemRec*> nested = make_lines(drawing().pool(), square(0, 0, 10));
    for (ItemRec* item : make_lines(drawing().pool(), square(2, 2, 6)))
        nested.push_back(item);
    define_block(drawing(), "NESTED", nested);
    const std::vector<ItemRec*> entities = lines(square(0, 0, 10));

    ASSERT_EQ(ContourDXFDrawing(drawing().get(), 1e-6, 0, kTwoRun, nullptr, nullptr), 0);
    ASSERT_EQ(table().ct_N, 4);
    expect_consistent_table();
    const int32_t first_id = first[0]->it_Header.ih_ContourID;
    const int32_t outer_id = nested[0]->it_Header.ih_ContourID;
    const int32_t inner_id = nested[4]->it_Header.ih_ContourID;
    const int32_t entity_id = entities[0]->it_Header.ih_ContourID;
    EXPECT_EQ(std::set<int32_t>({first_id, outer_id, inner_id, entity_id}).size(), 4u);
    for (int32_t k = 0; k < 4; ++k) {
        EXPECT_EQ(first[k]->it_Header.ih_ContourID, first_id);
        EXPECT_EQ(entities[k]->it_Header.ih_ContourID, entity_id);
    }
    expect_point(contour(inner_id).cd_Min, {2, 2, 0});
    expect_point(contour(inner_id).cd_Max, {8, 8, 0});
    EXPECT_EQ(contour(outer_id).cd_ContourLevel, 0);
    EXPECT_EQ(contour(inner_id).cd_ContourLevel, 1);
    EXPECT_EQ(contour(inner_id).cd_ParentContourID, outer_id);
    // Squares of different blocks, or of a block and the entities, never nest.
    EXPECT_EQ(contour(first_id).cd_ContourLevel, 0);
    EXPECT_EQ(contour(entity_id).cd_ContourLevel, 0);
}

// ---------------------------------------------------------------------------------------
// Joining

TEST_F(Contours, JoiningASquareMakesOneClosedPolylineBeforeItsFirstLine)
{
    const std::vector<ItemRec*> sides = lines(square(0, 0, 10));
    ASSERT_EQ(ContourDXFDrawing(drawing().get(), 1e-6, 1, kTwoRun, nullptr, nullptr), 0);
    ASSERT_EQ(DXFLinesArcsToPolylines(drawing().get(), 1e-6, 1, 1, kTwoRun, nullptr, nullptr), 0);
    ASSERT_EQ(drawing()->dxf_ItemBuffer.ib_N, 5);
    ItemRec* polyline = drawing()->dxf_ItemBuffer.ib_Items[0];
    ASSERT_EQ(polyline->it_Header.ih_ItemType, DXFItemPolyline);
    EXPECT_EQ(drawing()->dxf_ItemBuffer.ib_Items[1], sides[0]);
    EXPECT_NE(polyline->it_Header.ih_Flags & DXFItemJoined, 0u);
    EXPECT_EQ(polyline->it_Header.ih_Flags & DXFItemExcluded, 0u);
    EXPECT_EQ(polyline->it_Header.ih_ContourID, 0);
    EXPECT_NE(polyline->it_Header.ih_ID, 0u);
    const PolylineRec& pl = polyline->it_Polyline;
    EXPECT_EQ(pl.pl_Flags & 1u, 1u);
    ASSERT_EQ(pl.pl_NumVertices, 5);
    const Point3DRec corners[] = {{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}, {0, 0, 0}};
    for (int32_t k = 0; k < 5; ++k) {
        SCOPED_TRACE(k);
        expect_point(pl.pl_Vertices[k].vx_Point, corners[k]);
        EXPECT_EQ(pl.pl_Vertices[k].vx_Bulge, 0.0);
    }
    expect_point(pl.pl_Min, {0, 0, 0});
    expect_point(pl.pl_Max, {10, 10, 0});
    for (const ItemRec* side : sides)
        EXPECT_NE(side->it_Header.ih_Flags & DXFItemExcluded, 0u);
}

TEST_F(Contours, JoiningArcsGivesBulgesAndKeepsTheExtents)
{
    // A slot: two lines and two half circles, the right one clockwise and stored the
    // wrong way round, so that chaining must reverse it.
    line({0, 0, 10, 0});
    add(make_arc(drawing().pool(), {10, 2, 0}, 2, kHalfPi, -kHalfPi, -1)); // (10,4) -> (10,0) cw
    line({10, 4, 0, 4});
    add(make_arc(drawing().pool(), {0, 2, 0}, 2, kHalfPi, 3 * kHalfPi, 1)); // (0,4) -> (0,0) ccw
    // A quarter arc alone, open.
    ItemRec* quarter = add(make_arc(drawing().pool(), {50, 0, 0}, 5, 0, kHalfPi, 1));

    CalcDXFDrawingSize(drawing().get());
    const Rectangle2DRec before = drawing()->dxf_DrwgSize;
    ASSERT_EQ(ContourDXFDrawing(drawing().get(), 1e-6, 1, kTwoRun, nullptr, nullptr), 0);
    ASSERT_EQ(table().ct_N, 2);
    ASSERT_EQ(DXFLinesArcsToPolylines(drawing().get(), 1e-6, 1, 1, kTwoRun, nullptr, nullptr), 0);

    std::vector<const ItemRec*> made;
    for (int32_t i = 0; i < drawing()->dxf_ItemBuffer.ib_N; ++i) {
        const ItemRec* item = drawing()->dxf_ItemBuffer.ib_Items[i];
        if ((item->it_Header.ih_Flags & DXFItemJoined) != 0)
            made.push_back(item);
        else
            EXPECT_NE(item->it_Header.ih_Flags & DXFItemExcluded, 0u);
    }
    ASSERT_EQ(made.size(), 2u);
    const PolylineRec& slot = made[0]->it_Polyline;
    ASSERT_EQ(slot.pl_NumVertices, 5);
    EXPECT_EQ(slot.pl_Flags & 1u, 1u);
    // Half circles have bulge 1 counter-clockwise: the whole slot runs counter-clockwise.
    const double bulges[] = {0.0, 1.0, 0.0, 1.0, 0.0};
    for (int32_t k = 0; k < 5; ++k)
        EXPECT_NEAR(slot.pl_Vertices[k].vx_Bulge, bulges[k], 1e-12) << k;
    expect_point(slot.pl_Min, {-2, 0, 0});
    expect_point(slot.pl_Max, {12, 4, 0});

    const PolylineRec& arc = made[1]->it_Polyline;
    EXPECT_EQ(arc.pl_Flags & 1u, 0u);
    ASSERT_EQ(arc.pl_NumVertices, 2);
    EXPECT_NEAR(arc.pl_Vertices[0].vx_Bulge, BulgeFromArc(quarter), 1e-12);
    EXPECT_NEAR(arc.pl_Vertices[0].vx_Bulge, std::tan(kPi / 8), 1e-12);

    // The excluded items do not count, the POLYLINEs do: the same box.
    CalcDXFDrawingSize(drawing().get());
    EXPECT_NEAR(drawing()->dxf_DrwgSize.min.x, before.min.x, 1e-9);
    EXPECT_NEAR(drawing()->dxf_DrwgSize.min.y, before.min.y, 1e-9);
    EXPECT_NEAR(drawing()->dxf_DrwgSize.max.x, before.max.x, 1e-9);
    EXPECT_NEAR(drawing()->dxf_DrwgSize.max.y, before.max.y, 1e-9);
}

TEST_F(Contours, JoiningSingleClosedItems)
{
    ItemRec* circle = add(make_arc(drawing().pool(), {0, 0, 0}, 2, 0, kTwoPi, -1));
    ItemRec* closed = add(make_polyline(drawing().pool(),
                                        {vertex(10, 0, 0.5), vertex(15, 0), vertex(15, 5), vertex(10, 0)}));
    closed->it_Polyline.pl_Flags = 1;
    ASSERT_EQ(ContourDXFDrawing(drawing().get(), 1e-6, 1, kTwoRun, nullptr, nullptr), 0);
    ASSERT_EQ(DXFLinesArcsToPolylines(drawing().get(), 1e-6, 1, 1, kTwoRun, nullptr, nullptr), 0);
    ASSERT_EQ(drawing()->dxf_ItemBuffer.ib_N, 4);

    // The circle: two half circles and the closing vertex.
    const ItemRec* from_circle = drawing()->dxf_ItemBuffer.ib_Items[0];
    ASSERT_EQ(from_circle->it_Header.ih_ItemType, DXFItemPolyline);
    const PolylineRec& c = from_circle->it_Polyline;
    ASSERT_EQ(c.pl_NumVertices, 3);
    EXPECT_EQ(c.pl_Flags & 1u, 1u);
    expect_point(c.pl_Vertices[0].vx_Point, {2, 0, 0});
    expect_point(c.pl_Vertices[1].vx_Point, {-2, 0, 0});
    expect_point(c.pl_Vertices[2].vx_Point, {2, 0, 0});
    EXPECT_EQ(c.pl_Vertices[0].vx_Bulge, 1.0);
    EXPECT_EQ(c.pl_Vertices[1].vx_Bulge, 1.0);
    EXPECT_EQ(c.pl_Vertices[2].vx_Bulge, 0.0);
    expect_point(c.pl_Min, {-2, -2, 0});
    expect_point(c.pl_Max, {2, 2, 0});
    EXPECT_EQ(drawing()->dxf_ItemBuffer.ib_Items[1], circle);

    // The closed POLYLINE: the same vertices, and it stays closed.
    const ItemRec* from_polyline = drawing()->dxf_ItemBuffer.ib_Items[2];
    ASSERT_EQ(from_polyline->it_Header.ih_ItemType, DXFItemPolyline);
    const PolylineRec& p = from_polyline->it_Polyline;
    ASSERT_EQ(p.pl_NumVertices, 4);
    EXPECT_EQ(p.pl_Flags & 1u, 1u);
    for (int32_t k = 0; k < 4; ++k) {
        expect_point(p.pl_Vertices[k].vx_Point, closed->it_Polyline.pl_Vertices[k].vx_Point);
        EXPECT_EQ(p.pl_Vertices[k].vx_Bulge, closed->it_Polyline.pl_Vertices[k].vx_Bulge);
    }
}

TEST_F(Contours, JoiningFollowsTheSwitchesAndSkipsEllipses)
{
    lines(square(0, 0, 10));
    const std::vector<ItemRec*> open = lines({{20, 0, 30, 0}, {30, 0, 30, 10}});
    ItemRec* ellipse = CreateItem(DXFItemEllipse, 0, 0, 0, 0, drawing().pool());
    ellipse->it_Ellipse = EllipseRec{{50, 0, 0}, {5, 0, 0}, 0.5, 0, kPi, 0, 1}; // (55,0) to (45,0)
    add(ellipse);
    line({45, 0, 55, 0});

    struct Case {
        const char* name;
        int32_t closed;
        int32_t open;
        int32_t polylines;
    };
    const Case cases[] = {
        {"closed only", 1, 0, 1},
        {"open only", 0, 1, 1},
        {"both", 1, 1, 2},
        {"neither", 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Joining leaves the joined items in the drawing: take the POLYLINEs out again and
        // clear the flags, so that each row starts from the same drawing.
        ItemBufferRec& buffer = drawing()->dxf_ItemBuffer;
        for (int32_t i = buffer.ib_N - 1; i >= 0; --i) {
            if ((buffer.ib_Items[i]->it_Header.ih_Flags & DXFItemJoined) != 0)
                RemoveItem(&buffer, i);
            else
                buffer.ib_Items[i]->it_Header.ih_Flags = 0;
        }
        ASSERT_EQ(ContourDXFDrawing(drawing().get(), 1e-6, 1, kTwoRun, nullptr, nullptr), 0);
        ASSERT_EQ(table().ct_N, 3);
        ASSERT_EQ(DXFLinesArcsToPolylines(drawing().get(), 1e-6, c.closed, c.open, kTwoRun, nullptr,
                                          nullptr),
                  0);
        EXPECT_EQ(buffer.ib_N, 8 + c.polylines);
        EXPECT_EQ(ellipse->it_Header.ih_Flags & DXFItemExcluded, 0u);
        EXPECT_EQ((open[0]->it_Header.ih_Flags & DXFItemExcluded) != 0, c.open != 0);
    }
}

TEST_F(Contours, JoiningWithoutContouringChangesNothing)
{
    lines(square(0, 0, 10));
    EXPECT_EQ(DXFLinesArcsToPolylines(drawing().get(), 1e-6, 1, 1, kTwoRun, nullptr, nullptr), 0);
    EXPECT_EQ(drawing()->dxf_ItemBuffer.ib_N, 4);
    for (int32_t i = 0; i < 4; ++i)
        EXPECT_EQ(drawing()->dxf_ItemBuffer.ib_Items[i]->it_Header.ih_Flags, 0u);
}

TEST_F(Contours, JoiningBlockMembersInsertsIntoTheBlock)
{
    std::vector<ItemRec*> members = make_lines(drawing().pool(), square(0, 0, 10));
    define_block(drawing(), "B", members);
    ASSERT_EQ(ContourDXFDrawing(drawing().get(), 1e-6, 1, kTwoRun, nullptr, nullptr), 0);
    ASSERT_EQ(DXFLinesArcsToPolylines(drawing().get(), 1e-6, 1, 1, kTwoRun, nullptr, nullptr), 0);
    const ItemBufferRec& blocks = drawing()->dxf_BlockItemBuffer;
    ASSERT_EQ(blocks.ib_N, 7);
    EXPECT_EQ(blocks.ib_Items[0]->it_Header.ih_ItemType, DXFItemBlock);
    EXPECT_EQ(blocks.ib_Items[1]->it_Header.ih_ItemType, DXFItemPolyline);
    EXPECT_EQ(blocks.ib_Items[6]->it_Header.ih_ItemType, DXFItemEndBlock);
    EXPECT_EQ(drawing()->dxf_BlockIdentifierBuffer.bib_Blocks[0]->bi_BlockData, 0);
}

TEST_F(Contours, ReadyForFillingClosesAGappedSquareIntoOnePolyline)
{
    lines(gapped_square(0.5e-4));
    ASSERT_EQ(DXFDrawingReadyForFilling(drawing().get(), 1e-3), 0);
    ASSERT_EQ(drawing()->dxf_ItemBuffer.ib_N, 5);
    const ItemRec* polyline = drawing()->dxf_ItemBuffer.ib_Items[0];
    ASSERT_EQ(polyline->it_Header.ih_ItemType, DXFItemPolyline);
    const PolylineRec& pl = polyline->it_Polyline;
    EXPECT_EQ(pl.pl_Flags & 1u, 1u);
    ASSERT_EQ(pl.pl_NumVertices, 5);
    // Snapped: the outline meets itself exactly.
    EXPECT_EQ(pl.pl_Vertices[4].vx_Point.x, pl.pl_Vertices[0].vx_Point.x);
    EXPECT_EQ(pl.pl_Vertices[4].vx_Point.y, pl.pl_Vertices[0].vx_Point.y);
}

// ---------------------------------------------------------------------------------------
// Progress and cancelling

struct ProgressLog {
    std::vector<int32_t> codes;
    std::vector<int32_t> percents;
    size_t cancel_at = SIZE_MAX; // the call (0 first) that answers cancel_value
    int32_t cancel_value = 0;
};

int32_t log_progress(int32_t code, int32_t percent, void* user)
{
    auto* log = static_cast<ProgressLog*>(user);
    log->codes.push_back(code);
    log->percents.push_back(percent);
    return log->percents.size() - 1 == log->cancel_at ? log->cancel_value : 0;
}

TEST_F(Contours, ProgressGrowsAndCancellingStopsWithAConsistentDrawing)
{
    const int32_t a = GetLayer(&drawing()->dxf_LayerTable, "A");
    const int32_t b = GetLayer(&drawing()->dxf_LayerTable, "B");
    for (int32_t i = 0; i < 10; ++i)
        lines(square(i * 20.0, 0, 10), i % 2 == 0 ? a : b);

    ProgressLog full;
    ASSERT_EQ(ContourDXFDrawing(drawing().get(), 1e-6, 0, kTwoRun, log_progress, &full), 0);
    ASSERT_EQ(table().ct_N, 10);
    ASSERT_FALSE(full.percents.empty());
    for (size_t i = 0; i < full.percents.size(); ++i) {
        EXPECT_EQ(full.codes[i], DXFProgressContouring);
        EXPECT_GE(full.percents[i], 0);
        EXPECT_LE(full.percents[i], 100);
        if (i > 0) {
            EXPECT_GE(full.percents[i], full.percents[i - 1]) << i;
        }
    }
    EXPECT_EQ(full.percents.back(), 100);

    for (const size_t cancel_at : {size_t{0}, size_t{3}}) {
        SCOPED_TRACE(cancel_at);
        ProgressLog log;
        log.cancel_at = cancel_at;
        log.cancel_value = 7;
        EXPECT_EQ(ContourDXFDrawing(drawing().get(), 1e-6, 0, kTwoRun, log_progress, &log), 7);
        EXPECT_EQ(log.percents.size(), cancel_at + 1);
        EXPECT_GE(table().ct_N, 1);
        EXPECT_LT(table().ct_N, 10);
        expect_consistent_table();
    }

    // Joining reports with its own code and stops as well.
    ASSERT_EQ(ContourDXFDrawing(drawing().get(), 1e-6, 0, kTwoRun, nullptr, nullptr), 0);
    ProgressLog join;
    join.cancel_at = 1;
    join.cancel_value = 2;
    EXPECT_EQ(DXFLinesArcsToPolylines(drawing().get(), 1e-6, 1, 1, kTwoRun, log_progress, &join), 2);
    EXPECT_EQ(join.codes.front(), DXFProgressJoining);
    int32_t joined = 0;
    for (int32_t i = 0; i < drawing()->dxf_ItemBuffer.ib_N; ++i)
        if ((drawing()->dxf_ItemBuffer.ib_Items[i]->it_Header.ih_Flags & DXFItemJoined) != 0)
            ++joined;
    EXPECT_GE(joined, 1);
    EXPECT_LT(joined, 10);
}

TEST_F(Contours, AllocationFailuresLeaveAConsistentDrawing)
{
    drop();
    uint32_t baseline = 0;
    osmark_testing_allocation_counts(&baseline, nullptr);
    for (uint32_t successes = 0; successes < 40; ++successes) {
        SCOPED_TRACE(successes);
        fresh();
        for (int32_t i = 0; i < 25; ++i)
            lines(square(i * 20.0, 0, 10));
        lines(square(2, 2, 6));
        osmark_testing_fail_allocations(successes, 1);
        ContourDXFDrawing(drawing().get(), 1e-6, 1, kTwoRun, nullptr, nullptr);
        DXFLinesArcsToPolylines(drawing().get(), 1e-6, 1, 1, kTwoRun, nullptr, nullptr);
        osmark_testing_fail_allocations(0, 0);
        EXPECT_LE(table().ct_N, table().ct_Max);
        expect_consistent_table();
        for (int32_t i = 0; i < drawing()->dxf_ItemBuffer.ib_N; ++i) {
            const ItemRec* item = drawing()->dxf_ItemBuffer.ib_Items[i];
            if (item->it_Header.ih_ItemType == DXFItemPolyline) {
                EXPECT_EQ(item->it_Polyline.pl_NumVertices, 5);
            }
        }
        drop();
        uint32_t live = 0;
        osmark_testing_allocation_counts(&live, nullptr);
        EXPECT_EQ(live, baseline);
    }
}

// ---------------------------------------------------------------------------------------
// Steps

// ---------------------------------------------------------------------------------------
// Contour relations

class Relations : public Contours {
protected:
    // Contours: 0 the square (0,0)-(10,10), 1 a square inside it, 2 a square crossing
    // the first one's right side, 3 a square far apart.
    void SetUp() override
    {
        lines(square(0, 0, 10));
        lines(square(2, 2, 4));
        lines(square(8, 4, 4));
        lines(square(100, 100, 1));
        ASSERT_EQ(ContourDXFDrawingEx(drawing().get(), 1e-6, 0, kTwoRun, 0, nullptr, nullptr), 0);
        ASSERT_EQ(table().ct_N, 4);
        ids = {id_of(0), id_of(4), id_of(8), id_of(12)};
        points = DXFPointBufferCreate();
        ASSERT_NE(points, nullptr);
    }
    void TearDown() override { DXFPointBufferDelete(points); }
    int32_t id_of(int32_t item) { return drawing()->dxf_ItemBuffer.ib_Items[item]->it_Header.ih_ContourID; }

    std::vector<int32_t> ids;
    DXFPointBufferRec* points = nullptr;
};

TEST_F(Relations, PointInContour)
{
    struct Case {
        const char* name;
        Point3DRec point;
        int32_t expected;
    };
    const Case cases[] = {
        {"inside", {5, 5, 0}, 2},
        {"inside, level with a corner", {5, 10 - 1e-3, 0}, 2},
        {"on a side", {10, 5, 0}, 1},
        {"on a corner", {0, 0, 0}, 1},
        {"outside the extents", {15, 5, 0}, 0},
        {"just outside the extents", {10.001, 5, 0}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(halvern::DXFPointInContour(drawing().get(), points, &c.point, ids[0]), c.expected);
    }
    const Point3DRec centre{5, 5, 0};
    // Inside the crossing square, where it overlaps the first one.
    const Point3DRec beside{8.5, 4.5, 0};
    EXPECT_EQ(halvern::DXFPointInContour(drawing().get(), points, &beside, ids[2]), 2);
    EXPECT_EQ(halvern::DXFPointInContour(drawing().get(), points, &centre, ids[3]), 0);
    EXPECT_EQ(halvern::DXFPointInContour(drawing().get(), points, &centre, -1), 0);
    EXPECT_EQ(halvern::DXFPointInContour(drawing().get(), points, &centre, 4), 0);
    // Without a point buffer only the edge can be found.
    const Point3DRec edge{10, 5, 0};
    EXPECT_EQ(halvern::DXFPointInContour(drawing().get(), nullptr, &centre, ids[0]), 0);
    EXPECT_EQ(halvern::DXFPointInContour(drawing().get(), nullptr, &edge, ids[0]), 1);
    // A contour whose extents are all 0 takes part in nothing.
    ContourDataRec& record = drawing()->dxf_ContourTable.ct_Contours[ids[0]];
    record.cd_Min = Point3DRec{};
    record.cd_Max = Point3DRec{};
    const Point3DRec origin{0, 0, 0};
    EXPECT_EQ(halvern::DXFPointInContour(drawing().get(), points, &origin, ids[0]), 0);
}

TEST_F(Relations, RelationOfTwoContours)
{
    struct Case {
        const char* name;
        int32_t i;
        int32_t j;
        int32_t relation;
        int32_t cross;
    };
    const Case cases[] = {
        {"inner in outer", 1, 0, 2, 0},
        {"outer holds inner", 0, 1, 3, 0},
        {"crossing", 0, 2, 1, 1},
        {"crossing, other way", 2, 0, 1, 1},
        {"apart", 0, 3, 0, 0},
        {"side by side", 1, 2, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(halvern::DXFContourRelation(drawing().get(), points, ids[c.i], ids[c.j]), c.relation);
        EXPECT_EQ(halvern::DXFContoursCross(drawing().get(), points, ids[c.i], ids[c.j]), c.cross);
    }
    EXPECT_EQ(halvern::DXFContourRelation(drawing().get(), points, -1, ids[0]), 0);
    EXPECT_EQ(halvern::DXFContourRelation(drawing().get(), points, ids[0], 4), 0);
    // Without a point buffer nesting cannot be decided; crossing still can.
    EXPECT_EQ(halvern::DXFContourRelation(drawing().get(), nullptr, ids[1], ids[0]), 0);
    EXPECT_EQ(halvern::DXFContourRelation(drawing().get(), nullptr, ids[0], ids[2]), 1);
    // An open outer contour holds nothing.
    drawing()->dxf_ContourTable.ct_Contours[ids[0]].cd_Flags |= 1u;
    EXPECT_EQ(halvern::DXFContourRelation(drawing().get(), points, ids[1], ids[0]), 0);
    EXPECT_EQ(halvern::DXFContourRelation(drawing().get(), points, ids[0], ids[1]), 0);
}

TEST(ContourSamples, EachItemTypeGivesItsSamplesInOrder)
{
    Drawing drawing;
    ItemRec* point = CreateItem(DXFItemPoint, 0, 0, 0, 0, drawing.pool());
    point->it_Point.pt_Point = Point3DRec{3, 4, 5};
    ItemRec* text = halvern_test::make_text(drawing.pool(), "T");
    struct Case {
        const char* name;
        const ItemRec* item;
        std::vector<Point3DRec> samples;
    };
    const Case cases[] = {
        {"line", make_line(drawing.pool(), 0, 0, 2, 0), {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}}},
        {"polyline",
         make_polyline(drawing.pool(), {vertex(0, 0), vertex(2, 0), vertex(2, 2)}),
         {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {2, 1, 0}, {2, 2, 0}}},
        {"bulged polyline", make_polyline(drawing.pool(), {vertex(0, 0, 1), vertex(2, 0)}),
         {{0, 0, 0}, {1, -1, 0}, {2, 0, 0}}},
        {"clockwise arc", make_arc(drawing.pool(), {0, 0, 1}, 1, kHalfPi, 0, -1),
         {{0, 1, 1}, {std::sqrt(0.5), std::sqrt(0.5), 1}, {1, 0, 1}}},
        {"point", point, {{3, 4, 5}}},
        {"text", text, {}},
        {"polyline without vertices", make_polyline(drawing.pool(), {}), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int32_t part = 0;
        int32_t phase = 0;
        Point3DRec sample{};
        std::vector<Point3DRec> got;
        while (halvern::DXFItemSamplePoint(&part, c.item, &phase, &sample) != 0 && got.size() < 20)
            got.push_back(sample);
        ASSERT_EQ(got.size(), c.samples.size());
        for (size_t k = 0; k < got.size(); ++k)
            expect_point(got[k], c.samples[k]);
        // Once done, it stays done.
        EXPECT_EQ(halvern::DXFItemSamplePoint(&part, c.item, &phase, &sample), 0);
    }
}

// ---------------------------------------------------------------------------------------
// Steps shared by the builders

TEST(ChainSteps, MoveItemEndKeepsTheArcLeavingItsStartAlike)
{
    Drawing drawing;
    struct Case {
        const char* name;
        ArcRec arc;
        Point3DRec point;
        int32_t which;
        ArcRec expected;
    };
    // A quarter circle about the origin from (1, 0) to (0, 1): its start tangent points
    // up, so an arc ending at (0, 1.0002) has its centre on the x axis.
    const double c = -0.00020002;
    const double r = 1.00020002;
    const Case cases[] = {
        {"end moved", {{0, 0, 7}, 1, 0, kHalfPi, 1}, {0, 1.0002, 0}, halvern::kMoveItemEnd,
         {{c, 0, 7}, r, 0, std::atan2(1.0002, -c), 1}},
        {"long arc closed onto its start", {{0, 0, 0}, 1, 0, 3 * kHalfPi, 1}, {1, 0, 0},
         halvern::kMoveItemEnd, {{0, 0, 0}, 1, 0, kTwoPi, 1}},
        {"short arc onto its start stays", {{0, 0, 0}, 1, 0, kHalfPi, 1}, {1, 0, 0},
         halvern::kMoveItemEnd, {{0, 0, 0}, 1, 0, kHalfPi, 1}},
        {"would grow by half a turn: stays", {{0, 0, 0}, 1, 0, kHalfPi, 1}, {0.99, -0.05, 0},
         halvern::kMoveItemEnd, {{0, 0, 0}, 1, 0, kHalfPi, 1}},
        {"direction 0 counts as 1", {{0, 0, 0}, 1, 0, kHalfPi, 0}, {1, 0, 0},
         halvern::kMoveItemEnd, {{0, 0, 0}, 1, 0, kHalfPi, 1}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        ItemRec* arc = make_arc(drawing.pool(), k.arc.ar_Centre, k.arc.ar_Radius, k.arc.ar_Start,
                                k.arc.ar_End, k.arc.ar_Dir);
        halvern::DXFMoveItemEnd(arc, &k.point, k.which);
        expect_point(arc->it_Arc.ar_Centre, k.expected.ar_Centre);
        EXPECT_NEAR(arc->it_Arc.ar_Radius, k.expected.ar_Radius, 1e-9);
        EXPECT_NEAR(arc->it_Arc.ar_Start, k.expected.ar_Start, 1e-9);
        EXPECT_NEAR(arc->it_Arc.ar_End, k.expected.ar_End, 1e-9);
        EXPECT_EQ(arc->it_Arc.ar_Dir, k.expected.ar_Dir);
    }

    // The start moved: the new arc leaves the new start upwards and still ends at (0, 1).
    ItemRec* arc = make_arc(drawing.pool(), {0, 0, 0}, 1, 0, kHalfPi, 1);
    const Point3DRec start{1.0002, 0, 0};
    halvern::DXFMoveItemEnd(arc, &start, halvern::kMoveItemStart);
    expect_point(start_of(arc), start);
    expect_point(end_of(arc), {0, 1, 0});
    EXPECT_NEAR(arc->it_Arc.ar_Centre.y, 0.0, 1e-12);

    ItemRec* line = make_line(drawing.pool(), 0, 0, 10, 0);
    const Point3DRec moved{1, 1, 1};
    halvern::DXFMoveItemEnd(line, &moved, halvern::kMoveItemStart);
    expect_point(line->it_Line.ln_Start, moved);
    ItemRec* polyline = make_polyline(drawing.pool(), {vertex(0, 0), vertex(5, 0), vertex(5, 5)});
    halvern::DXFMoveItemEnd(polyline, &moved, halvern::kMoveItemEnd);
    expect_point(polyline->it_Polyline.pl_Vertices[2].vx_Point, moved);
    expect_point(polyline->it_Polyline.pl_Vertices[0].vx_Point, {0, 0, 0});
}

TEST(ChainSteps, ChainLengthAddsEveryItem)
{
    Drawing drawing;
    Array* chain = ArrayCreate();
    ASSERT_NE(chain, nullptr);
    ArrayAdd(chain, reinterpret_cast<uintptr_t>(make_line(drawing.pool(), 0, 0, 10, 0)));
    ArrayAdd(chain, reinterpret_cast<uintptr_t>(make_arc(drawing.pool(), {0, 0, 0}, 2, 0, kHalfPi, 1)));
    ArrayAdd(chain, reinterpret_cast<uintptr_t>(
                        make_polyline(drawing.pool(), {vertex(0, 0), vertex(3, 4), vertex(5, 4, 1), vertex(7, 4)})));
    ArrayAdd(chain, reinterpret_cast<uintptr_t>(halvern_test::make_text(drawing.pool(), "none")));
    // 10 + a quarter of a circle of radius 2 + 5 + 2 + a half circle of radius 1.
    EXPECT_NEAR(halvern::DXFChainLength(chain), 10 + kPi + 5 + 2 + kPi, 1e-9);
    EXPECT_EQ(halvern::DXFChainLength(nullptr), 0.0);
    ArrayDelete(chain);
}

TEST_F(Contours, ContourSizeMeasuresOneContourOrAll)
{
    lines(square(0, 0, 10));
    lines(square(20, 5, 2));
    ASSERT_EQ(ContourDXFDrawing(drawing().get(), 1e-6, 0, kTwoRun, nullptr, nullptr), 0);
    const int32_t small = drawing()->dxf_ItemBuffer.ib_Items[4]->it_Header.ih_ContourID;
    CalcDXFContourSize(drawing().get(), small);
    EXPECT_EQ(drawing()->dxf_DrwgSize.min.x, 20.0);
    EXPECT_EQ(drawing()->dxf_DrwgSize.min.y, 5.0);
    EXPECT_EQ(drawing()->dxf_DrwgSize.max.x, 22.0);
    EXPECT_EQ(drawing()->dxf_DrwgSize.max.y, 7.0);
    CalcDXFContourSize(drawing().get(), -1);
    const Rectangle2DRec all = drawing()->dxf_DrwgSize;
    CalcDXFDrawingSize(drawing().get());
    EXPECT_EQ(all.min.x, drawing()->dxf_DrwgSize.min.x);
    EXPECT_EQ(all.max.x, drawing()->dxf_DrwgSize.max.x);
    EXPECT_EQ(all.max.y, 10.0);
}
}
