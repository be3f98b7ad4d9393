// The entity pass framework and the first and modify passes of the DXF filter.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "drawing_fixture.h"
#include "filter/filter_context.h"
#include "filter_test_support.h"
#include "halvern/filter.h"
#include "osmark/files.h"
#include "osmark/memory.h"
#include "osmark/paged_array.h"
#include "test_support/files.h"

namespace {

using filter_test::dxf;
using filter_test::FilterFolder;
using filter_test::group;
using filter_test::ReadBack;
using filter_test::Tags;
using test_support::read_file;

// What a recording pass saw: each entity's name and group count.
struct Seen {
    std::string name;
    uint32_t groups;
};
std::vector<Seen>* g_seen = nullptr;

int32_t record_pass(halvern::DXFFilterContext* context) noexcept
{
    const DXFGroupRec* first = halvern::FilterGroup(*context, 0);
    g_seen->push_back(Seen{first->dg_Value, PagedArrayGetCount(context->groups)});
    return 0;
}

// Runs the ordinary step function over input into output with a recording pass.
std::vector<Seen> gather(const std::string& input, const std::string& output)
{
    std::vector<Seen> seen;
    g_seen = &seen;
    halvern::DXFFilterContext context;
    context.groups = PagedArrayCreate(sizeof(DXFGroupRec), 100);
    NewDXFDrawing(&context.drawing);
    context.fc_Output = Open(output.c_str(), FileModeWrite);
    context.pass = record_pass;
    EXPECT_EQ(StepReadDXF(input.c_str(), halvern::FilterStepGroup, &context), 0);
    if (context.collecting != 0)
        halvern::FilterFlushEntity(context);
    Close(context.fc_Output);
    PagedArrayDelete(context.groups);
    FreeDXFDrawing(&context.drawing);
    g_seen = nullptr;
    return seen;
}

TEST(FilterPass, GathersEntitiesByTheirOpeningNames)
{
    FilterFolder folder;
    const std::string polyline = group(0, "POLYLINE") + group(8, "0") + group(66, "1") +
                                 group(0, "VERTEX") + group(10, "0") + group(20, "0") +
                                 group(0, "VERTEX") + group(10, "1") + group(20, "0") +
                                 group(0, "SEQEND");
    const std::string text = dxf(polyline + group(0, "TEXTX") + group(1, "a") + group(0, "MTEXT") +
                                 group(1, "b") + filter_test::point(1, 2));
    const std::string input = folder.write("in.dxf", text);
    const std::vector<Seen> seen = gather(input, folder.path("out.dxf"));
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].name, "POLYLINE");
    EXPECT_EQ(seen[0].groups, 10u); // its vertices and its SEQEND
    EXPECT_EQ(seen[1].name, "TEXTX");
    EXPECT_EQ(seen[2].name, "POINT");
}

TEST(FilterPass, AnEntityAtTheEndOfACutFileIsWritten)
{
    FilterFolder folder;
    const std::string text = group(0, "SECTION") + group(2, "ENTITIES") + filter_test::point(7, 8);
    const std::string input = folder.write("in.dxf", text);
    const std::vector<Seen> seen = gather(input, folder.path("out.dxf"));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].name, "POINT");
    EXPECT_NE(read_file(folder.path("out.dxf")).find(" 20\r\n8\r\n"), std::string::npos);
}

TEST(FilterPass, WritesGroupsWithOneBlankBeforeTheCode)
{
    FilterFolder folder;
    const std::string path = folder.path("groups.txt");
    FileHandle* stream = Open(path.c_str(), FileModeWrite);
    ASSERT_NE(stream, nullptr);
    halvern::FilterWriteGroup(0, "LINE", stream);
    halvern::FilterWriteGroup(1071, "", stream);
    halvern::FilterWriteGroup(-5, "x", stream);
    Close(stream);
    EXPECT_EQ(read_file(path), " 0\r\nLINE\r\n 1071\r\n\r\n -5\r\nx\r\n");
}

// A BLOCK_RECORD entry, a block and an INSERT, all named name.
std::string named_blocks(const std::string& name)
{
    const std::string records = group(0, "SECTION") + group(2, "TABLES") + group(0, "TABLE") +
                                group(2, "BLOCK_RECORD") + group(0, "BLOCK_RECORD") +
                                group(2, name) + group(0, "ENDTAB") + group(0, "ENDSEC");
    return records +
           dxf(filter_test::insert(name, 1, 1), filter_test::block(name, filter_test::point(0, 0)));
}

TEST(FilterPass, NameCharactersChangeInsertAndBlockNames)
{
    FilterFolder folder;
    const std::string input = folder.write("in.dxf", named_blocks("xaby"));
    const std::string output = folder.path("out.dxf");
    const char* from = "ab";
    const char* to = "_";
    Tags tags;
    tags.add(DXFF_NameCharsFrom, from).add(DXFF_NameCharsTo, to);
    ASSERT_EQ(FilterDXF(input.c_str(), output.c_str(), tags.get()), 0);
    const std::string text = read_file(output);
    // The BLOCK and the INSERT name x__y; the BLOCK's group 3 and the table entry keep
    // the old name.
    size_t count = 0;
    for (size_t at = text.find(" 2\r\nx__y\r\n"); at != std::string::npos;
         at = text.find(" 2\r\nx__y\r\n", at + 1))
        ++count;
    EXPECT_EQ(count, 2u);
    EXPECT_NE(text.find(" 3\r\nxaby\r\n"), std::string::npos);
    EXPECT_NE(text.find("BLOCK_RECORD\r\n 2\r\nxaby\r\n"), std::string::npos);
}

TEST(FilterPass, RenameRulesChainAcrossLetterCase)
{
    FilterFolder folder;
    const std::string input = folder.write("in.dxf", named_blocks("old"));
    const std::string output = folder.path("out.dxf");
    const DXFRenameRule first{"OLD", "mid"};
    const DXFRenameRule second{"MID", "New"};
    const DXFRenameRule empty{"", "x"};
    Tags tags;
    tags.add(DXFF_RenameBlock, &first).add(DXFF_RenameBlock, &empty).add(DXFF_RenameBlock, &second);
    ASSERT_EQ(FilterDXF(input.c_str(), output.c_str(), tags.get()), 0);
    ReadBack result(output);
    ASSERT_EQ(result.result, 0);
    const auto inserts = result.items_of(DXFItemInsert);
    ASSERT_EQ(inserts.size(), 1u);
    EXPECT_STREQ(inserts[0]->it_Insert.in_BlockName, "New");
    EXPECT_NE(inserts[0]->it_Insert.in_BlockIndex, -1); // the block is known by that name
    EXPECT_NE(read_file(output).find(" 3\r\nNew\r\n"), std::string::npos);
}

TEST(FilterPass, DuplicatesLeaveTheLastOfEqualItems)
{
    FilterFolder folder;
    // Equal geometry on three layers, one of them reversed and off by less than 1e-6.
    const std::string input =
        folder.write("in.dxf", dxf(filter_test::line(0, 0, 5, 5, "A") +
                                   filter_test::line(5, 5, 0.0000004, 0, "B") +
                                   filter_test::point(9, 9) + filter_test::line(0, 0, 5, 5, "C")));
    const std::string output = folder.path("out.dxf");
    Tags tags;
    tags.add(DXFF_RemoveDuplicates, 1);
    ASSERT_EQ(FilterDXF(input.c_str(), output.c_str(), tags.get()), 0);
    ReadBack result(output);
    const auto lines = result.items_of(DXFItemLine);
    ASSERT_EQ(lines.size(), 1u);
    const LayerDataRec* layer =
        result.drawing.dxf_LayerTable.lt_Layers[lines[0]->it_Header.ih_Layer];
    EXPECT_STREQ(layer->ld_Name, "C");
    EXPECT_EQ(result.items_of(DXFItemPoint).size(), 1u);
}

TEST(FilterPass, DuplicateMarksAgreeWithComparingEveryPair)
{
    halvern_test::Drawing drawing;
    std::mt19937 random(37);
    std::uniform_int_distribution<int> coordinate(0, 3);
    std::uniform_int_distribution<int> kind(0, 2);
    std::uniform_real_distribution<double> jitter(-4e-7, 4e-7);
    // Few distinct coordinates, so that many items are equal; some within the tolerance.
    for (int i = 0; i < 400; ++i) {
        const double x1 = coordinate(random) * 0.0005 + jitter(random);
        const double y1 = coordinate(random) + jitter(random);
        const double x2 = coordinate(random) * 0.0005;
        const double y2 = coordinate(random);
        ItemRec* item = nullptr;
        switch (kind(random)) {
        case 0:
            item = halvern_test::make_line(drawing.pool(), x1, y1, x2, y2);
            break;
        case 1:
            item = halvern_test::make_point_item(drawing.pool(), x1, y1);
            break;
        default:
            item = halvern_test::make_arc(drawing.pool(), Point3DRec{x1, y1, 0}, 1.0, 0.0, y2, 1);
            break;
        }
        ASSERT_EQ(AddItem(drawing.get(), &drawing->dxf_ItemBuffer, item), 1);
    }
    halvern::FilterDuplicateMarks marks;
    halvern::FilterMarkDuplicates(drawing.record, marks);
    const ItemBufferRec& items = drawing->dxf_ItemBuffer;
    ASSERT_EQ(marks.entities.size(), static_cast<size_t>(items.ib_N));
    int32_t marked = 0;
    for (int32_t i = 0; i < items.ib_N; ++i) {
        bool later_same = false;
        for (int32_t j = i + 1; j < items.ib_N && !later_same; ++j)
            later_same = DXFSameItems(items.ib_Items[i], items.ib_Items[j]) != 0;
        EXPECT_EQ(marks.entities[static_cast<size_t>(i)] != 0, later_same) << "item " << i;
        marked += later_same ? 1 : 0;
    }
    EXPECT_GT(marked, 50);
}

TEST(FilterPass, DeleteAnyTypeRemovesOnlyServedTypes)
{
    FilterFolder folder;
    const std::string face = group(0, "3DFACE") + group(8, "0") + group(10, "0") + group(20, "0") +
                             group(11, "1") + group(21, "0") + group(12, "1") + group(22, "1") +
                             group(13, "0") + group(23, "1");
    const std::string dimension =
        group(0, "DIMENSION") + group(8, "0") + group(10, "0") + group(20, "0");
    const std::string text = group(0, "TEXT") + group(8, "0") + group(10, "0") + group(20, "0") +
                             group(40, "1") + group(1, "hello");
    const std::string input =
        folder.write("in.dxf", dxf(filter_test::line(0, 0, 1, 0) + filter_test::point(1, 1) +
                                       filter_test::circle(0, 0, 2) + text + face + dimension +
                                       filter_test::insert("B", 0, 0),
                                   filter_test::block("B", filter_test::line(0, 0, 3, 3))));
    const std::string output = folder.path("out.dxf");
    const DXFDeleteRule rule{DXFF_ANY_TYPE, "1"};
    Tags tags;
    tags.add(DXFF_Delete, &rule);
    ASSERT_EQ(FilterDXF(input.c_str(), output.c_str(), tags.get()), 0);
    const std::string out = read_file(output);
    for (const char* gone : {"\nLINE\r", "\nPOINT\r", "\nCIRCLE\r", "\nTEXT\r", "\nINSERT\r"})
        EXPECT_EQ(out.find(gone), std::string::npos) << gone;
    for (const char* kept : {"\n3DFACE\r", "\nDIMENSION\r", "\nBLOCK\r", "\nENDBLK\r", "\nLAYER\r"})
        EXPECT_NE(out.find(kept), std::string::npos) << kept;
}

TEST(FilterPass, ModifyRewritesTheEntityEvenWhenTheStatementFails)
{
    FilterFolder folder;
    const std::string input =
        folder.write("in.dxf", dxf(filter_test::line(1, 2, 3, 4) + filter_test::point(5, 6)));
    // Contouring before the pass may turn the LINE round: its ends are compared as a set.
    struct Case {
        const char* statement;
        bool moved;
    };
    const Case cases[] = {{"x1 = 5", false}, {"x1 = 5.0", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.statement);
        const std::string output = folder.path("out.dxf");
        const DXFModifyRule rule{DXFItemLine, "x1 + x2 = 4.0", c.statement};
        Tags tags;
        tags.add(DXFF_Modify, &rule);
        ASSERT_EQ(FilterDXF(input.c_str(), output.c_str(), tags.get()), 0);
        const std::string text = read_file(output);
        // Written anew by the entity writer (codes right-aligned), the POINT as it came.
        EXPECT_NE(text.find("  0\r\nLINE\r\n"), std::string::npos);
        EXPECT_NE(text.find(" 0\r\nPOINT\r\n"), std::string::npos);
        ReadBack result(output);
        const auto lines = result.items_of(DXFItemLine);
        ASSERT_EQ(lines.size(), 1u);
        const LineRec& line = lines[0]->it_Line;
        EXPECT_DOUBLE_EQ(line.ln_Start.y + line.ln_End.y, 6.0);
        if (c.moved)
            EXPECT_TRUE(line.ln_Start.x == 5.0 || line.ln_End.x == 5.0);
        else
            EXPECT_DOUBLE_EQ(line.ln_Start.x + line.ln_End.x, 4.0);
    }
}

TEST(FilterPass, FindItemFollowsTheFileAndSkipsJoinedPolylines)
{
    FilterFolder folder;
    const std::string path =
        folder.write("in.dxf", dxf(filter_test::line(0, 0, 1, 0) + filter_test::point(1, 1),
                                   filter_test::block("B", filter_test::point(2, 2))));
    halvern::DXFFilterContext context;
    NewDXFDrawing(&context.drawing);
    ASSERT_EQ(ReadDXF(path.c_str(), &context.drawing), 0);
    halvern::FilterResetItemSearch(context);
    std::vector<ItemRec*> all;
    for (const ItemBufferRec* buffer :
         {&context.drawing.dxf_BlockItemBuffer, &context.drawing.dxf_ItemBuffer}) {
        for (int32_t i = 0; i < buffer->ib_N; ++i)
            all.push_back(buffer->ib_Items[i]);
    }
    for (ItemRec* item : all)
        EXPECT_EQ(halvern::FilterFindItem(context, item->it_Header.ih_Line), item);
    // Backwards too, and lines that no item has.
    for (auto it = all.rbegin(); it != all.rend(); ++it)
        EXPECT_EQ(halvern::FilterFindItem(context, (*it)->it_Header.ih_Line), *it);
    EXPECT_EQ(halvern::FilterFindItem(context, 3), nullptr);
    all.back()->it_Header.ih_Flags |= DXFItemJoined;
    halvern::FilterResetItemSearch(context);
    EXPECT_EQ(halvern::FilterFindItem(context, all.back()->it_Header.ih_Line), nullptr);
    FreeDXFDrawing(&context.drawing);
}

}
