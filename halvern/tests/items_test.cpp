#include "halvern/items.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "drawing_fixture.h"
#include "model/vertex_list_internal.h"
#include "halvern/drawing.h"
#include "osmark/memory.h"
#include "osmark/paged_array.h"
#include "osmark/testing.h"

namespace {

using halvern_test::Drawing;

constexpr size_t kHead = offsetof(ItemRec, it_Block);

using halvern_test::FailingAllocations;

// ---- Creation ---------------------------------------------------------------------------

TEST(CreateItem, RefusesNumbersThatAreNoItemType)
{
    Drawing drawing;
    for (int32_t type : {0, 30, -1, 1000}) {
        SCOPED_TRACE(type);
        EXPECT_EQ(CreateItem(type, 0, 0, 0, 0, drawing.pool()), nullptr);
    }
    EXPECT_EQ(CreateItem(DXFItemLine, 0, 0, 0, 0, nullptr), nullptr) << "no pool";
    EXPECT_EQ(CreateItem(DXFItemLine, -static_cast<int32_t>(sizeof(LineRec) + kHead + 1), 0, 0,
                         0, drawing.pool()),
              nullptr)
        << "smaller than a head";
}

TEST(CreateItem, ClearsEverythingButTheHeadFieldsItSets)
{
    Drawing drawing;
    struct Row {
        int32_t type;
        int32_t extra;
        size_t size;
    };
    const Row rows[] = {
        {DXFItemBlock, 0, kHead + sizeof(BlockRec)},
        {DXFItemEndBlock, 0, kHead},
        {DXFItemInsert, 0, kHead + sizeof(InsertRec)},
        {DXFItemLine, 0, kHead + sizeof(LineRec)},
        {DXFItemText, 6, kHead + sizeof(TextRec) + 6},
        {DXFItemPolyline, 2 * static_cast<int32_t>(sizeof(VertexRec)),
         kHead + sizeof(PolylineRec) + 2 * sizeof(VertexRec)},
        // A polyline without vertices ends where its first vertex would begin.
        {DXFItemPolyline, -static_cast<int32_t>(sizeof(VertexRec)),
         kHead + offsetof(PolylineRec, pl_Vertices)},
        {DXFItemSpline, 40, kHead + sizeof(SplineRec) + 40},
        {DXFItemAttDef, 0, kHead},
        {DXFItemXLine, 0, kHead + sizeof(RayRec)},
        {DXFItemComposite, 0, kHead + sizeof(CompositeRec)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.type);
        ItemRec* item = CreateItem(row.type, row.extra, 3, 256, 2, drawing.pool());
        ASSERT_NE(item, nullptr);
        const ItemHeaderRec& head = item->it_Header;
        EXPECT_EQ(head.ih_ItemSize, static_cast<int32_t>(row.size));
        EXPECT_EQ(head.ih_ItemType, row.type);
        EXPECT_EQ(head.ih_Layer, 3);
        EXPECT_EQ(head.ih_Colour, 256);
        EXPECT_EQ(head.ih_LineType, 2);
        EXPECT_EQ(head.ih_Extrusion.x, 0.0);
        EXPECT_EQ(head.ih_Extrusion.y, 0.0);
        EXPECT_EQ(head.ih_Extrusion.z, 1.0);
        EXPECT_EQ(head.ih_ContourID, -1);
        EXPECT_EQ(head.ih_Line, -1);
        EXPECT_EQ(head.ih_ID, 0u);
        EXPECT_EQ(head.ih_Flags, 0u);
        EXPECT_EQ(head.ih_Height, 0.0);
        EXPECT_EQ(head.ih_Space, 0u);
        EXPECT_EQ(head.ih_NumComments, 0);
        EXPECT_EQ(head.ih_Comments, nullptr);
        const auto* bytes = reinterpret_cast<const unsigned char*>(item);
        for (size_t i = kHead; i < row.size; ++i)
            ASSERT_EQ(bytes[i], 0) << "payload byte " << i;
    }
}

// ---- Buffers ----------------------------------------------------------------------------

TEST(ItemBuffer, GrowsByItsStepOrByTwentyForSmallSteps)
{
    Drawing drawing;
    ItemBufferRec& entities = drawing->dxf_ItemBuffer;
    ItemRec* line = halvern_test::make_line(drawing.pool(), 0, 0, 1, 1);
    for (int i = 0; i < 5000; ++i)
        ASSERT_EQ(AddItem(drawing.get(), &entities, line), 1);
    EXPECT_EQ(entities.ib_Max, 5000);
    ASSERT_EQ(AddItem(drawing.get(), &entities, line), 1);
    EXPECT_EQ(entities.ib_Max, 10000);
    EXPECT_EQ(entities.ib_N, 5001);

    for (int32_t step : {5, 20, 0}) {
        SCOPED_TRACE(step);
        ItemBufferRec small{step, 0, 0, nullptr};
        ASSERT_EQ(AddItem(nullptr, &small, line), 1);
        EXPECT_EQ(small.ib_Max, 20);
        FreeItemBuffer(&small, 0, nullptr);
        EXPECT_EQ(small.ib_Size, step) << "the grow step stays";
    }
    ItemBufferRec large{21, 0, 0, nullptr};
    AddItem(nullptr, &large, line);
    EXPECT_EQ(large.ib_Max, 21);
    FreeItemBuffer(&large, 0, nullptr);
}

TEST(ItemBuffer, AddingGivesIdsOnlyToItemsWithoutOne)
{
    Drawing drawing;
    ItemRec* fresh = halvern_test::make_line(drawing.pool(), 0, 0, 1, 1);
    ItemRec* numbered = halvern_test::make_line(drawing.pool(), 0, 0, 1, 1);
    numbered->it_Header.ih_ID = 77;
    ItemRec* unowned = halvern_test::make_line(drawing.pool(), 0, 0, 1, 1);

    EXPECT_EQ(AddItem(drawing.get(), &drawing->dxf_ItemBuffer, fresh), 1);
    EXPECT_EQ(AddItem(drawing.get(), &drawing->dxf_ItemBuffer, numbered), 1);
    EXPECT_EQ(fresh->it_Header.ih_ID, 1u);
    EXPECT_EQ(numbered->it_Header.ih_ID, 77u);
    EXPECT_EQ(drawing->dxf_LastID, 1u);

    ItemBufferRec list{5, 0, 0, nullptr};
    EXPECT_EQ(AddItemPool(nullptr, &list, unowned, drawing.pool()), 1);
    EXPECT_EQ(unowned->it_Header.ih_ID, 0u) << "no drawing, no id";
    FreeItemBufferPool(&list, 0, drawing.pool());
}

TEST(ItemBuffer, AFailedGrowthLeavesBufferAndItemAlone)
{
    Drawing drawing;
    ItemRec* line = halvern_test::make_line(drawing.pool(), 0, 0, 1, 1);
    ItemBufferRec& entities = drawing->dxf_ItemBuffer;
    {
        FailingAllocations failing(0, 1);
        EXPECT_EQ(AddItem(drawing.get(), &entities, line), 0);
    }
    EXPECT_EQ(entities.ib_N, 0);
    EXPECT_EQ(entities.ib_Max, 0);
    EXPECT_EQ(entities.ib_Items, nullptr);
    EXPECT_EQ(line->it_Header.ih_ID, 0u);
    EXPECT_EQ(drawing->dxf_LastID, 0u);

    ItemBufferRec list{5, 0, 0, nullptr};
    EXPECT_EQ(AddItemPool(drawing.get(), &list, line, nullptr), 0) << "nowhere to grow";
    EXPECT_EQ(list.ib_Items, nullptr);
    EXPECT_EQ(line->it_Header.ih_ID, 0u);
}

TEST(ItemBuffer, PoolBuffersTakeTheirArrayFromThePool)
{
    Drawing drawing;
    uint32_t live_before = 0;
    osmark_testing_allocation_counts(&live_before, nullptr);
    ItemBufferRec list{2, 0, 0, nullptr};
    for (int i = 0; i < 45; ++i)
        ASSERT_EQ(AddItemPool(drawing.get(), &list, halvern_test::make_line(drawing.pool(), i, 0, 0, 0),
                              drawing.pool()),
                  1);
    EXPECT_EQ(list.ib_Max, 60);
    EXPECT_EQ(list.ib_Items[44]->it_Line.ln_Start.x, 44.0);
    uint32_t live_after = 0;
    osmark_testing_allocation_counts(&live_after, nullptr);
    EXPECT_EQ(live_after, live_before) << "no heap block outside the pool";
    EXPECT_EQ(FreeItemBufferPool(&list, 1, drawing.pool()), 0);
    EXPECT_EQ(list.ib_Items, nullptr);
    EXPECT_EQ(list.ib_N, 0);
    EXPECT_EQ(list.ib_Size, 2);
}

TEST(ItemBuffer, RemoveTakesOutWithoutFreeing)
{
    Drawing drawing;
    ItemBufferRec& entities = drawing->dxf_ItemBuffer;
    ItemRec* items[3];
    for (int i = 0; i < 3; ++i) {
        items[i] = halvern_test::make_line(drawing.pool(), i, 0, 0, 0);
        AddItem(drawing.get(), &entities, items[i]);
    }
    EXPECT_EQ(RemoveItem(&entities, -1), nullptr);
    EXPECT_EQ(RemoveItem(&entities, 3), nullptr);
    EXPECT_EQ(entities.ib_N, 3);

    EXPECT_EQ(RemoveItem(&entities, 1), items[1]);
    ASSERT_EQ(entities.ib_N, 2);
    EXPECT_EQ(entities.ib_Items[0], items[0]);
    EXPECT_EQ(entities.ib_Items[1], items[2]);
    EXPECT_EQ(items[1]->it_Line.ln_Start.x, 1.0) << "still readable";
    EXPECT_EQ(RemoveItem(&entities, 1), items[2]);
    EXPECT_EQ(RemoveItem(&entities, 0), items[0]);
    EXPECT_EQ(RemoveItem(&entities, 0), nullptr);
}

// A drawing with two blocks, A at index 0 and B at index 5, INSERTs of both among the
// entities and one INSERT of B inside A.
class BlockDrawing : public ::testing::Test {
protected:
    void SetUp() override
    {
        Pool* pool = drawing.pool();
        BlockIdentifierBufferRec* blocks = &drawing->dxf_BlockIdentifierBuffer;
        AddBlockIdentifier(blocks, "A", 0, 0);
        AddBlockIdentifier(blocks, "B", 5, 0);
        AddBlockIdentifier(blocks, "UNDEFINED", -1, 0);
        char* a = nullptr;
        char* b = nullptr;
        IsBlockKnown(blocks, "A", &a, nullptr);
        IsBlockKnown(blocks, "B", &b, nullptr);
        insert_in_a = halvern_test::make_insert(pool, b, 5);
        insert_a = halvern_test::make_insert(pool, a, 0);
        insert_b = halvern_test::make_insert(pool, b, 5);

        ItemBufferRec* block_items = &drawing->dxf_BlockItemBuffer;
        auto add = [&](ItemRec* item) { AddItem(drawing.get(), block_items, item); };
        // Block A: 0 BLOCK, 1 line, 2 INSERT of B, 3 line, 4 ENDBLK.
        add(CreateItem(DXFItemBlock, 0, 0, 0, 0, pool));
        add(halvern_test::make_line(pool, 1, 0, 0, 0));
        add(insert_in_a);
        add(halvern_test::make_line(pool, 3, 0, 0, 0));
        add(CreateItem(DXFItemEndBlock, 0, 0, 0, 0, pool));
        // Block B: 5 BLOCK, 6 to 8 lines, 9 ENDBLK.
        add(CreateItem(DXFItemBlock, 0, 0, 0, 0, pool));
        for (int i = 6; i <= 8; ++i)
            add(halvern_test::make_line(pool, i, 0, 0, 0));
        add(CreateItem(DXFItemEndBlock, 0, 0, 0, 0, pool));

        AddItem(drawing.get(), &drawing->dxf_ItemBuffer, insert_a);
        AddItem(drawing.get(), &drawing->dxf_ItemBuffer, insert_b);
    }

    int32_t block_data(const char* name)
    {
        int32_t index = -2;
        IsBlockKnown(&drawing->dxf_BlockIdentifierBuffer, name, nullptr, &index);
        return index;
    }

    Drawing drawing;
    ItemRec* insert_a = nullptr;
    ItemRec* insert_b = nullptr;
    ItemRec* insert_in_a = nullptr;
};

TEST_F(BlockDrawing, InsertingIntoABlockRenumbersTheBlocksBehindIt)
{
    ItemBufferRec& block_items = drawing->dxf_BlockItemBuffer;
    ASSERT_EQ(block_items.ib_N, 10);
    ASSERT_EQ(block_items.ib_Items[5]->it_Header.ih_ItemType, DXFItemBlock);
    ItemRec* third_of_b = block_items.ib_Items[8];
    ItemRec* text = halvern_test::make_text(drawing.pool(), "note");

    EXPECT_EQ(InsertItem(drawing.get(), third_of_b, text), 1);
    EXPECT_EQ(block_items.ib_N, 11);
    EXPECT_EQ(block_items.ib_Items[8], text);
    EXPECT_EQ(block_items.ib_Items[9], third_of_b);
    EXPECT_NE(text->it_Header.ih_ID, 0u);
    // B starts before the insertion point: nothing refers to a moved block.
    EXPECT_EQ(insert_b->it_Insert.in_BlockIndex, 5);
    EXPECT_EQ(block_data("B"), 5);

    // Into block A, in front of its INSERT: block B moves up by one, A and the
    // undefined block keep theirs.
    ASSERT_EQ(block_items.ib_Items[2], insert_in_a);
    EXPECT_EQ(InsertItem(drawing.get(), insert_in_a, halvern_test::make_text(drawing.pool(), "x")), 1);
    EXPECT_EQ(block_items.ib_Items[6]->it_Header.ih_ItemType, DXFItemBlock);
    EXPECT_EQ(insert_b->it_Insert.in_BlockIndex, 6);
    EXPECT_EQ(insert_in_a->it_Insert.in_BlockIndex, 6) << "INSERTs among block items too";
    EXPECT_EQ(block_data("B"), 6);
    EXPECT_EQ(insert_a->it_Insert.in_BlockIndex, 0);
    EXPECT_EQ(block_data("A"), 0);
    EXPECT_EQ(block_data("UNDEFINED"), -1);
}

TEST_F(BlockDrawing, InsertingAmongEntitiesRenumbersNothing)
{
    ItemRec* line = halvern_test::make_line(drawing.pool(), 0, 0, 1, 1);
    line->it_Header.ih_ID = 500;
    EXPECT_EQ(InsertItem(drawing.get(), insert_b, line), 1);
    ASSERT_EQ(drawing->dxf_ItemBuffer.ib_N, 3);
    EXPECT_EQ(drawing->dxf_ItemBuffer.ib_Items[1], line);
    EXPECT_EQ(line->it_Header.ih_ID, 500u);
    EXPECT_EQ(insert_b->it_Insert.in_BlockIndex, 5);
    EXPECT_EQ(block_data("B"), 5);

    ItemRec* stranger = halvern_test::make_line(drawing.pool(), 0, 0, 1, 1);
    EXPECT_EQ(InsertItem(drawing.get(), stranger, line), 0) << "not in the drawing";
    EXPECT_EQ(InsertItem(drawing.get(), nullptr, line), 0);
    EXPECT_EQ(drawing->dxf_ItemBuffer.ib_N, 3);
}

TEST_F(BlockDrawing, AFailedInsertionChangesNothing)
{
    // Fill the block buffer to its capacity so that the insertion has to grow it.
    ItemBufferRec& block_items = drawing->dxf_BlockItemBuffer;
    block_items.ib_Max = block_items.ib_N;
    ItemRec* third_of_b = block_items.ib_Items[8];
    ItemRec* text = halvern_test::make_text(drawing.pool(), "note");
    {
        FailingAllocations failing(0, 1);
        EXPECT_EQ(InsertItem(drawing.get(), third_of_b, text), 0);
    }
    EXPECT_EQ(block_items.ib_N, 10);
    EXPECT_EQ(block_items.ib_Items[8], third_of_b);
    EXPECT_EQ(text->it_Header.ih_ID, 0u);
    EXPECT_EQ(InsertItem(drawing.get(), third_of_b, text), 1);
    EXPECT_EQ(block_items.ib_Max, 10 + 5000);
}

// ---- Copies -----------------------------------------------------------------------------

TEST(CopyItem, CopiesOutliveTheSourceDrawing)
{
    DXFDrawingRec target;
    NewDXFDrawing(&target);
    target.dxf_Pool = CreatePool(8192, 4096);
    std::vector<ItemRec*> copies;
    ItemRec* unpooled_text = nullptr;
    {
        Drawing source;
        Pool* pool = source.pool();
        ItemRec* text = halvern_test::make_text(pool, "Hello");
        text->it_Header.ih_ID = 41;
        halvern_test::set_comments(text, pool, {"NOTE", "UID=9"});
        ItemRec* polyline = halvern_test::make_polyline(
            pool, {{{0, 0, 0}, 0.5, 1}, {{10, 0, 0}, 0, 0}, {{10, 10, 0}, 0, 0}});
        ItemRec* spline = halvern_test::make_spline(
            pool, {{0, 0, 0}, {1, 2, 0}, {3, 2, 0}, {4, 0, 0}}, {0, 0, 0, 0, 1, 1, 1, 1},
            {1, 0.5, 0.5, 1});
        for (ItemRec* item : {text, polyline, spline}) {
            ItemRec* copy = CopyItem(item, target.dxf_Pool);
            ASSERT_NE(copy, nullptr);
            ASSERT_EQ(AddItem(&target, &target.dxf_ItemBuffer, copy), 1);
            copies.push_back(copy);
        }
        unpooled_text = CopyItem(text, nullptr);
        ASSERT_NE(unpooled_text, nullptr);
        // The source's blocks are scribbled over before they go, so that a copy that
        // still read them would see it even where the sanitizer does not.
        for (ItemRec* item : {text, polyline, spline})
            std::memset(static_cast<void*>(item), 0xEE, static_cast<size_t>(item->it_Header.ih_ItemSize));
    }

    const ItemRec* text = copies[0];
    EXPECT_EQ(text->it_Header.ih_ID, 41u) << "a copy keeps its source's id";
    EXPECT_STREQ(text->it_Text.tx_Text, "Hello");
    EXPECT_EQ(text->it_Text.tx_Text, reinterpret_cast<const char*>(&text->it_Text + 1));
    ASSERT_EQ(text->it_Header.ih_NumComments, 2);
    EXPECT_STREQ(text->it_Header.ih_Comments[0], "NOTE");
    ASSERT_NE(GetDXFUID(text), nullptr);
    EXPECT_STREQ(GetDXFUID(text), "9");

    const PolylineRec& polyline = copies[1]->it_Polyline;
    ASSERT_EQ(polyline.pl_NumVertices, 3);
    EXPECT_EQ(polyline.pl_Vertices[0].vx_Bulge, 0.5);
    EXPECT_EQ(polyline.pl_Vertices[0].vx_Flags, 1u);
    EXPECT_EQ(polyline.pl_Vertices[2].vx_Point.y, 10.0);

    const ItemRec* spline_item = copies[2];
    const SplineRec& spline = spline_item->it_Spline;
    const auto* begin = reinterpret_cast<const char*>(spline_item);
    const char* end = begin + spline_item->it_Header.ih_ItemSize;
    EXPECT_EQ(reinterpret_cast<const char*>(spline.sp_Knots),
              reinterpret_cast<const char*>(spline.sp_Points + 4));
    EXPECT_EQ(spline.sp_Weights, spline.sp_Knots + 8);
    EXPECT_EQ(reinterpret_cast<const char*>(spline.sp_Weights + 4), end) << "all inside the copy";
    EXPECT_EQ(spline.sp_Knots[4], 1.0);
    EXPECT_EQ(spline.sp_Weights[1], 0.5);
    EXPECT_EQ(spline.sp_Points[3].x, 4.0);

    // Without a pool the copy is one block, comment lines included.
    EXPECT_STREQ(unpooled_text->it_Text.tx_Text, "Hello");
    ASSERT_EQ(unpooled_text->it_Header.ih_NumComments, 2);
    EXPECT_STREQ(GetDXFUID(unpooled_text), "9");
    FreeVec(unpooled_text);

    // A copy of a copy is as good as the first.
    ItemRec* again = CopyItem(text, target.dxf_Pool);
    ASSERT_NE(again, nullptr);
    EXPECT_STREQ(again->it_Text.tx_Text, "Hello");
    EXPECT_NE(again->it_Header.ih_Comments, text->it_Header.ih_Comments);
    EXPECT_STREQ(GetDXFUID(again), "9");
    FreeDXFDrawing(&target);
}

// A composite of the given kind, with members in its outer boundary, two inner
// boundaries and its kind's own lists.
ItemRec* make_composite(Pool* pool, int32_t kind)
{
    ItemRec* item = CreateItem(DXFItemComposite, 0, 0, 0, 0, pool);
    CompositeRec& composite = item->it_Composite;
    composite.cp_Kind = kind;
    auto add = [pool](ItemBufferRec& list, double x) {
        ItemRec* line = halvern_test::make_line(pool, x, 0, x + 1, 0);
        line->it_Header.ih_ID = static_cast<uint32_t>(100 + x);
        halvern_test::set_comments(line, pool, {"UID=1"});
        AddItemPool(nullptr, &list, line, pool);
    };
    add(composite.cp_Outer, 1);
    add(composite.cp_Outer, 2);
    composite.cp_NumInner = 2;
    composite.cp_Inner = static_cast<ItemBufferRec*>(AllocVecPooled(pool, 2 * sizeof(ItemBufferRec)));
    std::memset(static_cast<void*>(composite.cp_Inner), 0, 2 * sizeof(ItemBufferRec));
    add(composite.cp_Inner[0], 3);
    add(composite.cp_Inner[1], 4);
    add(composite.cp_Inner[1], 5);
    switch (kind) {
    case DXFCompositePlane: add(composite.cp_List4, 6); break;
    case DXFCompositeRevolution: add(composite.cp_List3, 6); break;
    case DXFCompositeRuled:
        add(composite.cp_List1, 6);
        add(composite.cp_List2, 7);
        break;
    case DXFCompositeBSpline: {
        composite.cp_DegreeU = composite.cp_DegreeV = 1;
        composite.cp_NumU = composite.cp_NumV = composite.cp_NumU2 = composite.cp_NumV2 = 2;
        composite.cp_NumKnotsU = composite.cp_NumKnotsV = 4;
        composite.cp_KnotsU = static_cast<double*>(AllocVecPooled(pool, 4 * sizeof(double)));
        composite.cp_KnotsV = static_cast<double*>(AllocVecPooled(pool, 4 * sizeof(double)));
        const double knots[4] = {0, 0, 1, 1};
        std::memcpy(composite.cp_KnotsU, knots, sizeof knots);
        std::memcpy(composite.cp_KnotsV, knots, sizeof knots);
        composite.cp_Weights = static_cast<double**>(AllocVecPooled(pool, 2 * sizeof(double*)));
        composite.cp_Points = static_cast<Point3DRec**>(AllocVecPooled(pool, 2 * sizeof(Point3DRec*)));
        for (int row = 0; row < 2; ++row) {
            composite.cp_Weights[row] = static_cast<double*>(AllocVecPooled(pool, 2 * sizeof(double)));
            composite.cp_Points[row] =
                static_cast<Point3DRec*>(AllocVecPooled(pool, 2 * sizeof(Point3DRec)));
            for (int column = 0; column < 2; ++column) {
                composite.cp_Weights[row][column] = 1.0 + row;
                composite.cp_Points[row][column] = Point3DRec{1.0 * column, 1.0 * row, 7.0};
            }
        }
        break;
    }
    default: break;
    }
    return item;
}

void expect_members(const ItemBufferRec& list, std::vector<double> starts, const char* name)
{
    SCOPED_TRACE(name);
    ASSERT_EQ(list.ib_N, static_cast<int32_t>(starts.size()));
    for (size_t i = 0; i < starts.size(); ++i) {
        const ItemRec* member = list.ib_Items[i];
        EXPECT_EQ(member->it_Line.ln_Start.x, starts[i]);
        EXPECT_EQ(member->it_Header.ih_ID, static_cast<uint32_t>(100 + starts[i])) << "ids kept";
        ASSERT_EQ(member->it_Header.ih_NumComments, 1);
        EXPECT_STREQ(member->it_Header.ih_Comments[0], "UID=1");
    }
}

TEST(CopyItem, CompositeCopiesOwnTheirMembersAndSurface)
{
    for (int32_t kind : {DXFCompositePlane, DXFCompositeRevolution, DXFCompositeRuled,
                         DXFCompositeBSpline}) {
        SCOPED_TRACE(kind);
        DXFDrawingRec target;
        NewDXFDrawing(&target);
        target.dxf_Pool = CreatePool(8192, 4096);
        ItemRec* copy = nullptr;
        {
            Drawing source;
            ItemRec* composite = make_composite(source.pool(), kind);
            copy = CopyItem(composite, target.dxf_Pool);
            ASSERT_NE(copy, nullptr);
        }
        const CompositeRec& c = copy->it_Composite;
        expect_members(c.cp_Outer, {1, 2}, "outer");
        ASSERT_EQ(c.cp_NumInner, 2);
        expect_members(c.cp_Inner[0], {3}, "first inner");
        expect_members(c.cp_Inner[1], {4, 5}, "second inner");
        switch (kind) {
        case DXFCompositePlane: expect_members(c.cp_List4, {6}, "bounding curve"); break;
        case DXFCompositeRevolution: expect_members(c.cp_List3, {6}, "generatrix"); break;
        case DXFCompositeRuled:
            expect_members(c.cp_List1, {6}, "first curve");
            expect_members(c.cp_List2, {7}, "second curve");
            break;
        default:
            ASSERT_EQ(c.cp_NumU, 2u);
            ASSERT_NE(c.cp_KnotsU, nullptr);
            ASSERT_NE(c.cp_Points, nullptr);
            ASSERT_NE(c.cp_Weights, nullptr);
            EXPECT_EQ(c.cp_KnotsU[2], 1.0);
            EXPECT_EQ(c.cp_KnotsV[3], 1.0);
            EXPECT_EQ(c.cp_Weights[1][0], 2.0);
            EXPECT_EQ(c.cp_Points[1][1].x, 1.0);
            EXPECT_EQ(c.cp_Points[1][1].z, 7.0);
            break;
        }
        FreeDXFDrawing(&target);
    }
}

TEST(CopyItem, ACompositeWithoutPoolCarriesNoMembers)
{
    Drawing source;
    ItemRec* composite = make_composite(source.pool(), DXFCompositeRuled);
    ItemRec* copy = CopyItem(composite, nullptr);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->it_Composite.cp_Outer.ib_N, 0);
    EXPECT_EQ(copy->it_Composite.cp_Outer.ib_Items, nullptr);
    EXPECT_EQ(copy->it_Composite.cp_NumInner, 0);
    EXPECT_EQ(copy->it_Composite.cp_Inner, nullptr);
    EXPECT_EQ(copy->it_Composite.cp_List1.ib_Items, nullptr);
    EXPECT_EQ(copy->it_Composite.cp_Kind, DXFCompositeRuled);
    FreeVec(copy);
}

TEST(CopyItem, FailsCleanly)
{
    Drawing drawing;
    EXPECT_EQ(CopyItem(nullptr, drawing.pool()), nullptr);
    ItemRec* text = halvern_test::make_text(drawing.pool(), "Hello");
    halvern_test::set_comments(text, drawing.pool(), {"UID=9"});
    {
        FailingAllocations failing(0, 1);
        EXPECT_EQ(CopyItem(text, nullptr), nullptr);
    }
    // A pool that cannot grow cannot take the copy either.
    alignas(8) unsigned char memory[160];
    Pool* fixed = CreateFixedPool(memory, sizeof memory, PoolFixed);
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(CopyItem(text, fixed), nullptr);
    DeletePool(fixed);
}

// ---- Vertex lists -----------------------------------------------------------------------

TEST(VertexList, GrowsByAHundredAndDropsWhatFindsNoRoom)
{
    VertexListRec list{};
    DXFAddVertex(&list, 1, 2, 0.5, 3);
    ASSERT_EQ(list.vl_N, 1u);
    EXPECT_EQ(list.vl_Max, 100u);
    EXPECT_EQ(list.vl_Vertices[0].vx_Point.z, 0.0);
    EXPECT_EQ(list.vl_Vertices[0].vx_Bulge, 0.5);
    EXPECT_EQ(list.vl_Vertices[0].vx_Flags, 3u);
    for (int i = 1; i < 100; ++i)
        DXFAddVertex2(&list, i, 0, -i, 0, 0);
    EXPECT_EQ(list.vl_Max, 100u);
    {
        FailingAllocations failing(0, 1);
        DXFAddVertex(&list, 100, 0, 0, 0);
    }
    EXPECT_EQ(list.vl_N, 100u) << "dropped";
    DXFAddVertex2(&list, 100, 0, 5, 0, 0);
    EXPECT_EQ(list.vl_N, 101u);
    EXPECT_EQ(list.vl_Max, 200u);
    EXPECT_EQ(list.vl_Vertices[99].vx_Point.z, -99.0);
    EXPECT_EQ(list.vl_Vertices[100].vx_Point.z, 5.0);

    DXFVertexListFree(&list);
    EXPECT_EQ(list.vl_Vertices, nullptr);
    EXPECT_EQ(list.vl_N, 0u);
    EXPECT_EQ(list.vl_Max, 0u);
    DXFAddVertex(nullptr, 1, 1, 0, 0);
    DXFVertexListFree(nullptr);
}

TEST(VertexList, AppendingKeepsEveryVertexAndFallsBackOnTheHundreds)
{
    VertexListRec list{};
    for (int i = 0; i < 1000; ++i)
        ASSERT_TRUE(halvern::VertexListAppend(list, i, -i, 0.5 * i, 0.25, 1));
    ASSERT_EQ(list.vl_N, 1000u);
    EXPECT_GE(list.vl_Max, 1000u);
    for (uint32_t i = 0; i < list.vl_N; ++i) {
        const VertexRec& v = list.vl_Vertices[i];
        ASSERT_EQ(v.vx_Point.x, i);
        ASSERT_EQ(v.vx_Point.y, -static_cast<double>(i));
        ASSERT_EQ(v.vx_Point.z, 0.5 * i);
        ASSERT_EQ(v.vx_Bulge, 0.25);
        ASSERT_EQ(v.vx_Flags, 1u);
    }
    // Filled to the brim: the doubled array is refused, a hundred more is not.
    while (list.vl_N < list.vl_Max)
        halvern::VertexListAppend(list, 0, 0, 0, 0, 0);
    const uint32_t full = list.vl_Max;
    {
        FailingAllocations failing(0, 1);
        EXPECT_TRUE(halvern::VertexListAppend(list, 7, 8, 9, 0, 0));
    }
    EXPECT_EQ(list.vl_Max, full + 100);
    EXPECT_EQ(list.vl_Vertices[full].vx_Point.x, 7.0);
    EXPECT_EQ(list.vl_Vertices[999].vx_Point.x, 999.0);
    {
        FailingAllocations failing(0, 2);
        while (list.vl_N < list.vl_Max)
            halvern::VertexListAppend(list, 0, 0, 0, 0, 0);
        EXPECT_FALSE(halvern::VertexListAppend(list, 1, 1, 1, 0, 0)) << "no room at all";
    }
    EXPECT_EQ(list.vl_N, full + 100);
    DXFVertexListFree(&list);
}

// ---- Group look-up ----------------------------------------------------------------------

class Groups : public ::testing::Test {
protected:
    void SetUp() override
    {
        pairs = PagedArrayCreate(sizeof(DXFGroupRec), 8);
        ASSERT_NE(pairs, nullptr);
        for (DXFGroupRec group : {DXFGroupRec{0, text("LINE")}, DXFGroupRec{8, text("WALLS")},
                                  DXFGroupRec{10, text("1.5")}, DXFGroupRec{8, text("DOORS")},
                                  DXFGroupRec{1, text("A long value of the group")}})
            ASSERT_GT(PagedArrayAdd(pairs, &group), 0);
    }
    void TearDown() override { PagedArrayDelete(pairs); }

    char* text(const char* value)
    {
        values.emplace_back(value);
        return values.back().data();
    }

    PagedArray* pairs = nullptr;
    std::deque<std::string> values; // a deque never moves the strings the groups point at
};

TEST_F(Groups, FindsTheFirstOccurrenceAtOrAfterTheStart)
{
    struct Row {
        int32_t code;
        int32_t start;
        int32_t index;
        const char* value;
    };
    const Row rows[] = {
        {8, 0, 1, "WALLS"}, {8, 1, 1, "WALLS"}, {8, 2, 3, "DOORS"}, {8, 4, -1, ""},
        {0, 0, 0, "LINE"},  {10, -5, 2, "1.5"}, {62, 0, -1, ""},   {8, 99, -1, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.code) + " from " + std::to_string(row.start));
        char value[32];
        std::strcpy(value, "stale");
        EXPECT_EQ(DXFFindGroup(pairs, row.code, row.start, value, sizeof value), row.index);
        EXPECT_STREQ(value, row.value);
    }
}

TEST_F(Groups, CutsTheValueToTheCallersBuffer)
{
    char small[8];
    std::memset(small, 'x', sizeof small);
    EXPECT_EQ(DXFFindGroup(pairs, 1, 0, small, sizeof small), 4);
    EXPECT_STREQ(small, "A long ");

    char one[1] = {'x'};
    EXPECT_EQ(DXFFindGroup(pairs, 1, 0, one, sizeof one), 4);
    EXPECT_EQ(one[0], '\0');
    EXPECT_EQ(DXFFindGroup(pairs, 8, 0, nullptr, 0), 1) << "the index alone";

    char value[8] = "stale";
    EXPECT_EQ(DXFFindGroup(nullptr, 8, 0, value, sizeof value), -1);
    EXPECT_STREQ(value, "");
}

}
