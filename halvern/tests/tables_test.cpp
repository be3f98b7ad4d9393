#include "halvern/tables.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "halvern/drawing.h"
#include "osmark/memory.h"
#include "osmark/testing.h"
#include "drawing_fixture.h"

namespace {

// A drawing's tables, empty as NewDXFDrawing leaves them, released at the end.
struct Tables {
    DXFDrawingRec drawing{};
    Tables() { NewDXFDrawing(&drawing); }
    ~Tables() { FreeDXFDrawing(&drawing); }
    LayerTableRec* layers() { return &drawing.dxf_LayerTable; }
    LineTypeTableRec* line_types() { return &drawing.dxf_LineTypeTable; }
    BlockIdentifierBufferRec* blocks() { return &drawing.dxf_BlockIdentifierBuffer; }
};

using halvern_test::FailingAllocations;

TEST(LayerTable, FirstLayerGetsIndexOneAfterTheAutomaticLayer)
{
    Tables tables;
    EXPECT_EQ(GetLayer(tables.layers(), "WALLS"), 1);
    ASSERT_EQ(tables.layers()->lt_N, 2);
    EXPECT_EQ(tables.layers()->lt_Max, 25);

    const LayerDataRec* automatic = tables.layers()->lt_Layers[0];
    EXPECT_STREQ(automatic->ld_Name, "");
    EXPECT_EQ(automatic->ld_Colour, 0u);
    EXPECT_EQ(automatic->ld_Flags, 0u);
    EXPECT_EQ(automatic->ld_LineType, 0);

    const LayerDataRec* walls = tables.layers()->lt_Layers[1];
    EXPECT_STREQ(walls->ld_Name, "WALLS");
    EXPECT_EQ(walls->ld_Name, reinterpret_cast<const char*>(walls + 1)) << "name kept with the entry";
    EXPECT_EQ(walls->ld_Colour, 4u);
    EXPECT_EQ(walls->ld_LineType, 0);
    EXPECT_EQ(walls->ld_Flags, 0u);
}

TEST(LayerTable, LookupIsExactAndReturnsTheExistingIndex)
{
    Tables tables;
    struct Row {
        const char* name;
        int32_t index;
    };
    const Row rows[] = {
        {"WALLS", 1}, {"Walls", 2}, {"WALLS", 1}, {"", 0}, {"walls ", 3}, {"Walls", 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string("layer '") + row.name + "'");
        EXPECT_EQ(GetLayer(tables.layers(), row.name), row.index);
    }
    EXPECT_EQ(tables.layers()->lt_N, 4);
}

TEST(LayerTable, GrowingKeepsEveryEntryWhereItWas)
{
    Tables tables;
    std::vector<const LayerDataRec*> entries;
    for (int i = 1; i <= 24; ++i)
        ASSERT_EQ(GetLayer(tables.layers(), ("L" + std::to_string(i)).c_str()), i);
    ASSERT_EQ(tables.layers()->lt_Max, 25);
    for (int i = 0; i < 25; ++i)
        entries.push_back(tables.layers()->lt_Layers[i]);
    const char* name_of_first = entries[1]->ld_Name;

    // The 26th entry, counting entry 0, needs a larger pointer array.
    EXPECT_EQ(GetLayer(tables.layers(), "L25"), 25);
    EXPECT_EQ(tables.layers()->lt_Max, 50);
    for (int i = 0; i < 25; ++i)
        EXPECT_EQ(tables.layers()->lt_Layers[i], entries[static_cast<size_t>(i)]) << i;
    EXPECT_EQ(tables.layers()->lt_Layers[1]->ld_Name, name_of_first);
}

TEST(LayerTable, WithoutMemoryTheAutomaticLayerIsTheAnswer)
{
    Tables tables;
    {
        FailingAllocations failing(0, 1); // the pointer array
        EXPECT_EQ(GetLayer(tables.layers(), "WALLS"), 0);
    }
    EXPECT_EQ(tables.layers()->lt_N, 0);
    EXPECT_EQ(tables.layers()->lt_Max, 0);
    {
        FailingAllocations failing(2, 1); // array and entry 0 succeed, the named entry fails
        EXPECT_EQ(GetLayer(tables.layers(), "WALLS"), 0);
    }
    EXPECT_EQ(tables.layers()->lt_N, 1) << "the grown array keeps its automatic entry";
    EXPECT_EQ(tables.layers()->lt_Max, 25);
    EXPECT_EQ(GetLayer(tables.layers(), "WALLS"), 1);
}

TEST(LineTypeTable, ByBlockIsNeverStoredAndByLayerIsAName)
{
    Tables tables;
    EXPECT_EQ(GetLineType(tables.line_types(), "BYBLOCK"), 0);
    ASSERT_EQ(tables.line_types()->lt_N, 1) << "an empty table still gets its entry 0";
    EXPECT_EQ(tables.line_types()->lt_Max, 10);
    const LineTypeDataRec* automatic = tables.line_types()->lt_LineTypes[0];
    EXPECT_STREQ(automatic->ld_Name, "");
    EXPECT_EQ(automatic->ld_Description, nullptr);
    EXPECT_EQ(automatic->ld_Segments, nullptr);
    EXPECT_EQ(automatic->ld_NSegments, 0);

    EXPECT_EQ(GetLineType(tables.line_types(), "BYLAYER"), 1);
    EXPECT_EQ(GetLineType(tables.line_types(), "DASHED"), 2);
    EXPECT_EQ(GetLineType(tables.line_types(), "BYBLOCK"), 0);
    EXPECT_EQ(GetLineType(tables.line_types(), "ByBlock"), 3) << "only the exact name is special";
    EXPECT_EQ(GetLineType(tables.line_types(), "BYLAYER"), 1);
    EXPECT_EQ(tables.line_types()->lt_N, 4);
}

TEST(LineTypeTable, FreeingReleasesDescriptionsAndDashes)
{
    Tables tables;
    const int32_t index = GetLineType(tables.line_types(), "DASHED");
    LineTypeDataRec* dashed = tables.line_types()->lt_LineTypes[index];
    dashed->ld_Description = AllocStr(0, "__ __");
    dashed->ld_Segments = static_cast<double*>(AllocVec(2 * sizeof(double)));
    dashed->ld_NSegments = 2;

    EXPECT_EQ(FreeLineTypeTable(tables.line_types()), 0);
    EXPECT_EQ(tables.line_types()->lt_LineTypes, nullptr);
    EXPECT_EQ(tables.line_types()->lt_N, 0);
    EXPECT_EQ(tables.line_types()->lt_Max, 0);
    EXPECT_EQ(tables.line_types()->lt_Size, 10);
    EXPECT_EQ(FreeLineTypeTable(tables.line_types()), 0) << "an empty table is left alone";
    // The leak checker sees the description and the dashes if they were not freed.
}

TEST(BlockIdentifiers, AddingAnExistingNameReplacesIndexAndFlags)
{
    Tables tables;
    EXPECT_EQ(AddBlockIdentifier(tables.blocks(), "DOOR", -1, 0), 1);
    EXPECT_EQ(AddBlockIdentifier(tables.blocks(), "WINDOW", 4, 1), 1);
    ASSERT_EQ(tables.blocks()->bib_N, 2);
    EXPECT_EQ(tables.blocks()->bib_Max, 50);
    const BlockIdentifierRec* door = tables.blocks()->bib_Blocks[0];
    EXPECT_EQ(door->bi_Label, nullptr);
    EXPECT_EQ(door->bi_LabelAttr.df_Name, nullptr);

    EXPECT_EQ(AddBlockIdentifier(tables.blocks(), "DOOR", 12, 1), 1);
    EXPECT_EQ(tables.blocks()->bib_N, 2) << "nothing added";
    EXPECT_EQ(tables.blocks()->bib_Blocks[0], door);
    EXPECT_EQ(door->bi_BlockData, 12);
    EXPECT_EQ(door->bi_Flags, 1u);

    EXPECT_EQ(AddBlockIdentifier(tables.blocks(), "door", 3, 0), 1);
    EXPECT_EQ(tables.blocks()->bib_N, 3) << "names compare exactly";
}

TEST(BlockIdentifiers, IsBlockKnownHandsOutTheIdentifiersOwnName)
{
    Tables tables;
    char name[] = "DOOR";
    AddBlockIdentifier(tables.blocks(), name, 7, 0);

    char* kept = nullptr;
    int32_t index = -2;
    EXPECT_EQ(IsBlockKnown(tables.blocks(), "DOOR", &kept, &index), 1);
    EXPECT_EQ(kept, tables.blocks()->bib_Blocks[0]->bi_Name);
    EXPECT_NE(kept, name) << "the identifier keeps its own copy";
    EXPECT_STREQ(kept, "DOOR");
    EXPECT_EQ(index, 7);

    EXPECT_EQ(IsBlockKnown(tables.blocks(), "DOOR", nullptr, nullptr), 1);
    kept = nullptr;
    index = -2;
    EXPECT_EQ(IsBlockKnown(tables.blocks(), "Door", &kept, &index), 0);
    EXPECT_EQ(kept, nullptr);
    EXPECT_EQ(index, -2);

    // Growth beyond the first 50 identifiers leaves the kept name where it is.
    for (int i = 0; i < 60; ++i)
        ASSERT_EQ(AddBlockIdentifier(tables.blocks(), ("B" + std::to_string(i)).c_str(), i, 0), 1);
    EXPECT_EQ(tables.blocks()->bib_Max, 100);
    char* again = nullptr;
    IsBlockKnown(tables.blocks(), "DOOR", &again, nullptr);
    EXPECT_EQ(again, tables.blocks()->bib_Blocks[0]->bi_Name);
    EXPECT_STREQ(again, "DOOR");
}

TEST(BlockIdentifiers, WithoutMemoryNothingIsAdded)
{
    Tables tables;
    {
        FailingAllocations failing(1, 1); // the pointer array succeeds, the entry fails
        EXPECT_EQ(AddBlockIdentifier(tables.blocks(), "DOOR", 0, 0), 0);
    }
    EXPECT_EQ(tables.blocks()->bib_N, 0);
    EXPECT_EQ(IsBlockKnown(tables.blocks(), "DOOR", nullptr, nullptr), 0);
    EXPECT_EQ(FreeBlockIdentifierBuffer(tables.blocks()), 0);
    EXPECT_EQ(tables.blocks()->bib_Blocks, nullptr);
    EXPECT_EQ(tables.blocks()->bib_Size, 50);
}

}
