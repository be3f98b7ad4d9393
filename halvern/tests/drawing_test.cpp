#include "halvern/halvern.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "drawing_fixture.h"
#include "osmark/memory.h"
#include "osmark/testing.h"

namespace {

using halvern_test::Drawing;

uint32_t live_blocks()
{
    uint32_t live = 0;
    osmark_testing_allocation_counts(&live, nullptr);
    return live;
}

TEST(DrawingRecord, NewDrawingSetsGrowStepsAndLabelOrderOverAnyOldContents)
{
    DXFDrawingRec drawing;
    std::memset(&drawing, 0xA5, sizeof drawing);
    EXPECT_EQ(NewDXFDrawing(&drawing), &drawing);

    EXPECT_EQ(drawing.dxf_LineTypeTable.lt_Size, 10);
    EXPECT_EQ(drawing.dxf_LayerTable.lt_Size, 25);
    EXPECT_EQ(drawing.dxf_BlockIdentifierBuffer.bib_Size, 50);
    EXPECT_EQ(drawing.dxf_ItemBuffer.ib_Size, 5000);
    EXPECT_EQ(drawing.dxf_BlockItemBuffer.ib_Size, 5000);
    const int32_t order[5] = {1, 2, 3, 4, 0};
    EXPECT_EQ(std::memcmp(drawing.dxf_LabelPlace, order, sizeof order), 0);

    EXPECT_EQ(drawing.dxf_LayerTable.lt_Max, 0);
    EXPECT_EQ(drawing.dxf_LayerTable.lt_Layers, nullptr);
    EXPECT_EQ(drawing.dxf_ItemBuffer.ib_Items, nullptr);
    EXPECT_EQ(drawing.dxf_Pool, nullptr);
    EXPECT_EQ(drawing.dxf_LastID, 0u);
    EXPECT_EQ(drawing.dxf_Device, nullptr);
    EXPECT_EQ(drawing.dxf_ItemFlags[29], 0u);

    EXPECT_EQ(GetUniqueDXFID(&drawing), 1u);
    EXPECT_EQ(GetUniqueDXFID(&drawing), 2u);
    EXPECT_EQ(GetUniqueDXFID(nullptr), 0u);
    FreeDXFDrawing(&drawing);
}

TEST(DrawingRecord, SetBlockLabelOrderStoresTheFiveCodesInOrder)
{
    Drawing drawing;
    EXPECT_EQ(SetBlockLabelOrder(drawing.get(), 4, 0, 3, 1, 2), drawing.get());
    const int32_t order[5] = {4, 0, 3, 1, 2};
    EXPECT_EQ(std::memcmp(drawing->dxf_LabelPlace, order, sizeof order), 0);
    EXPECT_EQ(SetBlockLabelOrder(nullptr, 1, 2, 3, 4, 0), nullptr);
}

// Fills every part of a drawing that FreeDXFDrawing owns.
void fill(DXFDrawingRec* drawing)
{
    if (drawing->dxf_Pool == nullptr)
        drawing->dxf_Pool = CreatePool(8192, 4096);
    Pool* pool = drawing->dxf_Pool;
    ASSERT_EQ(GetLayer(&drawing->dxf_LayerTable, "WALLS"), 1);
    const int32_t dashed = GetLineType(&drawing->dxf_LineTypeTable, "DASHED");
    ASSERT_EQ(dashed, 1);
    LineTypeDataRec* line_type = drawing->dxf_LineTypeTable.lt_LineTypes[dashed];
    line_type->ld_Description = static_cast<char*>(AllocVec(16));
    std::strcpy(line_type->ld_Description, "__ __ __");
    line_type->ld_NSegments = 2;
    line_type->ld_Segments = static_cast<double*>(AllocVec(2 * sizeof(double)));
    line_type->ld_Segments[0] = 0.5;
    line_type->ld_Segments[1] = -0.25;

    ASSERT_EQ(AddBlockIdentifier(&drawing->dxf_BlockIdentifierBuffer, "DOOR", 0, 0), 1);
    BlockIdentifierRec* door = drawing->dxf_BlockIdentifierBuffer.bib_Blocks[0];
    door->bi_Label = AllocStr(0, "Door");
    door->bi_LabelAttr.df_Name = AllocStr(0, "Arial");

    ItemRec* block = CreateItem(DXFItemBlock, 0, 0, 0, 0, pool);
    ItemRec* member = halvern_test::make_line(pool, 0, 0, 1, 1);
    ItemRec* end = CreateItem(DXFItemEndBlock, 0, 0, 0, 0, pool);
    ASSERT_EQ(AddItem(drawing, &drawing->dxf_BlockItemBuffer, block), 1);
    ASSERT_EQ(AddItem(drawing, &drawing->dxf_BlockItemBuffer, member), 1);
    ASSERT_EQ(AddItem(drawing, &drawing->dxf_BlockItemBuffer, end), 1);
    ItemRec* text = halvern_test::make_text(pool, "label");
    halvern_test::set_comments(text, pool, {"UID=5"});
    ASSERT_EQ(AddItem(drawing, &drawing->dxf_ItemBuffer, text), 1);
    ASSERT_EQ(AddItem(drawing, &drawing->dxf_ItemBuffer,
                      halvern_test::make_insert(pool, door->bi_Name, 0)),
              1);

    drawing->dxf_ContourTable.ct_Contours =
        static_cast<ContourDataRec*>(AllocVec(20 * sizeof(ContourDataRec)));
    drawing->dxf_ContourTable.ct_Max = 20;
    drawing->dxf_ContourTable.ct_N = 1;
    drawing->dxf_BlockStack = static_cast<DXFBlockStackFrame*>(AllocVec(256));
}

TEST(DrawingRecord, FreeReleasesEverythingKeepsTheSettingsAndCanBeFilledAgain)
{
    const uint32_t live_before = live_blocks();
    DXFDrawingRec drawing;
    NewDXFDrawing(&drawing);
    SetBlockLabelOrder(&drawing, 2, 3, 4, 0, 1);
    drawing.dxf_Flags = DXFDrawMonochrome;
    drawing.dxf_ItemFlags[DXFItemText] = DXF_ITEM_TYPE_HIDDEN;
    drawing.dxf_ViewSize = RectangleRec{0, 0, 100, 100};
    SetDXFDrawingSize(&drawing, 0, 0, 200, 100);

    fill(&drawing);
    ASSERT_FALSE(HasFatalFailure());
    const uint32_t last_id = drawing.dxf_LastID;
    EXPECT_EQ(last_id, 5u);
    FreeDXFDrawing(&drawing);

    EXPECT_EQ(drawing.dxf_Pool, nullptr);
    EXPECT_EQ(drawing.dxf_LayerTable.lt_Layers, nullptr);
    EXPECT_EQ(drawing.dxf_LayerTable.lt_N, 0);
    EXPECT_EQ(drawing.dxf_LayerTable.lt_Max, 0);
    EXPECT_EQ(drawing.dxf_LineTypeTable.lt_LineTypes, nullptr);
    EXPECT_EQ(drawing.dxf_BlockIdentifierBuffer.bib_Blocks, nullptr);
    EXPECT_EQ(drawing.dxf_ItemBuffer.ib_Items, nullptr);
    EXPECT_EQ(drawing.dxf_ItemBuffer.ib_N, 0);
    EXPECT_EQ(drawing.dxf_BlockItemBuffer.ib_Max, 0);
    EXPECT_EQ(drawing.dxf_ContourTable.ct_Contours, nullptr);
    EXPECT_EQ(drawing.dxf_ContourTable.ct_N, 0);
    EXPECT_EQ(drawing.dxf_ContourTable.ct_Max, 0);
    EXPECT_EQ(drawing.dxf_BlockStack, nullptr);
    EXPECT_EQ(live_blocks(), live_before) << "every block of the drawing was freed";

    // The settings stay.
    EXPECT_EQ(drawing.dxf_LastID, last_id);
    EXPECT_EQ(drawing.dxf_LayerTable.lt_Size, 25);
    EXPECT_EQ(drawing.dxf_ItemBuffer.ib_Size, 5000);
    EXPECT_EQ(drawing.dxf_LabelPlace[0], 2);
    EXPECT_EQ(drawing.dxf_Flags, static_cast<uint32_t>(DXFDrawMonochrome));
    EXPECT_EQ(drawing.dxf_ItemFlags[DXFItemText], DXF_ITEM_TYPE_HIDDEN);
    EXPECT_DOUBLE_EQ(drawing.dxf_XScale, 0.5);

    // Filled again without a new set-up: ids go on from the old last id.
    fill(&drawing);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(drawing.dxf_BlockItemBuffer.ib_Items[0]->it_Header.ih_ID, last_id + 1);
    EXPECT_EQ(drawing.dxf_LastID, 2 * last_id);
    FreeDXFDrawing(&drawing);
    FreeDXFDrawing(&drawing); // a second release finds nothing left to free
    EXPECT_EQ(live_blocks(), live_before);
}

// ---- View-port mapping ---------------------------------------------------------------

struct MappingCase {
    const char* name;
    RectangleRec view;
    double min_x, min_y, max_x, max_y;
    double scale;
    int32_t x_offset, y_offset;
};

TEST(ViewMapping, SetDrawingSizeFitsOneScaleAndCentresTheOtherAxis)
{
    const MappingCase cases[] = {
        // Twice as wide as high in a square: x fills, y is centred (50 of 100 pixels).
        {"wide window", {0, 0, 100, 100}, 0, 0, 200, 100, 0.5, 0, -25},
        {"tall window", {0, 0, 100, 100}, 10, 20, 110, 220, 0.5, 25, 0},
        {"view given backwards", {100, 100, 0, 0}, 0, 0, 200, 100, 0.5, 0, -25},
        {"offset view", {20, 10, 120, 110}, -50, -50, 150, 50, 0.5, 20, -15},
        // 101 / 2 = 50 and 51 / 2 = 25: both halves truncate.
        {"odd pixel counts", {0, 0, 101, 51}, 0, 0, 10, 10, 5.1, 25, 0},
        // 0.5 * 7 = 3.5 rounds to 3, not 4: the offset is 10 - 1.
        {"exact half rounds toward zero", {0, 0, 20, 7}, 0, 0, 0.5, 1, 7.0, 9, 0},
        // A zero width gives scale 0 on x, which then holds for both axes.
        {"zero-width window", {0, 0, 100, 100}, 5, 0, 5, 100, 0.0, 0, -50},
        {"inverted window", {0, 0, 100, 100}, 10, 10, 0, 0, 0.0, 0, -50},
    };
    for (const MappingCase& c : cases) {
        SCOPED_TRACE(c.name);
        DXFDrawingRec drawing;
        NewDXFDrawing(&drawing);
        drawing.dxf_ViewSize = c.view;
        SetDXFDrawingSize(&drawing, c.min_x, c.min_y, c.max_x, c.max_y);
        EXPECT_DOUBLE_EQ(drawing.dxf_XScale, c.scale);
        EXPECT_DOUBLE_EQ(drawing.dxf_YScale, c.scale);
        EXPECT_EQ(drawing.dxf_XOffset, c.x_offset);
        EXPECT_EQ(drawing.dxf_YOffset, c.y_offset);
        EXPECT_LE(drawing.dxf_ViewSize.MinX, drawing.dxf_ViewSize.MaxX);
        EXPECT_LE(drawing.dxf_ViewSize.MinY, drawing.dxf_ViewSize.MaxY);
        // The window is stored as given, unsorted.
        EXPECT_EQ(drawing.dxf_DrwgSize.min.x, c.min_x);
        EXPECT_EQ(drawing.dxf_DrwgSize.max.y, c.max_y);
    }
    SetDXFDrawingSize(nullptr, 0, 0, 1, 1);
}

struct PointCase {
    const char* name;
    double x, y;
    double pixel_x, pixel_y;
};

TEST(ViewMapping, DrawingToViewPortTruncatesAndFlipsY)
{
    // The wide-window mapping: scale 0.5, x offset 0, y offset -25, 100 pixels high.
    DXFDrawingRec drawing;
    NewDXFDrawing(&drawing);
    drawing.dxf_ViewSize = RectangleRec{0, 0, 100, 100};
    SetDXFDrawingSize(&drawing, 0, 0, 200, 100);

    const PointCase cases[] = {
        {"lower-left corner", 0, 0, 0, 75},
        {"upper-right corner", 200, 100, 100, 25},
        {"10.9 pixels give 10", 21.8, 0, 10, 75},
        {"-10.9 pixels give -10", -21.8, 0, -10, 75},
        {"y within a pixel", 0, 1.9, 0, 75},
        {"outside the window", 400, -100, 200, 125},
    };
    for (const PointCase& c : cases) {
        SCOPED_TRACE(c.name);
        double x = c.x;
        double y = c.y;
        DXFDrawingToViewPort(&drawing, &x, &y);
        EXPECT_EQ(x, c.pixel_x);
        EXPECT_EQ(y, c.pixel_y);
    }

    double x = 3;
    double y = 4;
    DXFDrawingToViewPort(&drawing, &x, nullptr);
    DXFDrawingToViewPort(nullptr, &x, &y);
    ViewPortToDXFDrawing(&drawing, nullptr, &y);
    EXPECT_EQ(x, 3);
    EXPECT_EQ(y, 4);
}

TEST(ViewMapping, APointOnThePixelGridRoundTrips)
{
    DXFDrawingRec drawing;
    NewDXFDrawing(&drawing);
    drawing.dxf_ViewSize = RectangleRec{10, 20, 410, 320};
    SetDXFDrawingSize(&drawing, -100, -50, 100, 50);
    ASSERT_DOUBLE_EQ(drawing.dxf_XScale, 2.0);

    double x = 40.5;
    double y = -12.5;
    DXFDrawingToViewPort(&drawing, &x, &y);
    EXPECT_EQ(x, 291.0);
    ViewPortToDXFDrawing(&drawing, &x, &y);
    EXPECT_DOUBLE_EQ(x, 40.5);
    EXPECT_DOUBLE_EQ(y, -12.5);

    // Between pixels the way back gives the position of the pixel, which lies toward
    // the window's lower-left corner (here 74.6 pixels up became 74).
    x = 40.7;
    y = -12.7;
    DXFDrawingToViewPort(&drawing, &x, &y);
    ViewPortToDXFDrawing(&drawing, &x, &y);
    EXPECT_DOUBLE_EQ(x, 40.5);
    EXPECT_DOUBLE_EQ(y, -13.0);
}

TEST(ViewMapping, ViewPortToDrawingGivesZeroWithoutAScale)
{
    DXFDrawingRec drawing;
    NewDXFDrawing(&drawing);
    drawing.dxf_DrwgSize = Rectangle2DRec{{5, 5}, {10, 10}};
    double x = 30;
    double y = 40;
    ViewPortToDXFDrawing(&drawing, &x, &y);
    EXPECT_EQ(x, 0.0);
    EXPECT_EQ(y, 0.0);

    drawing.dxf_XScale = 5e-7; // within the tolerance of 0
    drawing.dxf_YScale = 1.0;
    x = 30;
    y = 40;
    ViewPortToDXFDrawing(&drawing, &x, &y);
    EXPECT_EQ(x, 0.0);
    EXPECT_DOUBLE_EQ(y, 5 - 40);
}

TEST(ViewMapping, MapPointScalesRotatesThenOffsets)
{
    const Point2DRec offset{1, 1};
    const Point2DRec scale{2, 3};
    int handle = 0;
    double x = 1;
    double y = 1;
    DXFMapPoint(&handle, &offset, &scale, 0.0, 1.0, &x, &y); // a quarter turn
    EXPECT_DOUBLE_EQ(x, -2);
    EXPECT_DOUBLE_EQ(y, 3);

    x = 1;
    y = 2;
    DXFMapPoint(&handle, nullptr, nullptr, 1.0, 0.0, &x, &y);
    EXPECT_DOUBLE_EQ(x, 1);
    EXPECT_DOUBLE_EQ(y, 2);

    DXFMapPoint(nullptr, &offset, &scale, 0.0, 1.0, &x, &y);
    DXFMapPoint(&handle, &offset, &scale, 0.0, 1.0, &x, nullptr);
    EXPECT_DOUBLE_EQ(x, 1);
}

// ---- Look-ups ---------------------------------------------------------------------------

TEST(DrawingLookup, ItemsByIdSearchBlockItemsFirst)
{
    Drawing drawing;
    ItemRec* entity = halvern_test::make_line(drawing.pool(), 0, 0, 1, 0);
    ItemRec* entity2 = halvern_test::make_line(drawing.pool(), 1, 0, 2, 0);
    ItemRec* member = halvern_test::make_line(drawing.pool(), 0, 0, 0, 1);
    entity->it_Header.ih_ID = 7;
    member->it_Header.ih_ID = 7;
    entity2->it_Header.ih_ID = 8;
    AddItem(drawing.get(), &drawing->dxf_ItemBuffer, entity);
    AddItem(drawing.get(), &drawing->dxf_ItemBuffer, entity2);
    AddItem(drawing.get(), &drawing->dxf_BlockItemBuffer, member);

    EXPECT_EQ(GetDXFItem(drawing.get(), 7), member);
    EXPECT_EQ(GetDXFItem(drawing.get(), 8), entity2);
    EXPECT_EQ(GetDXFItem(drawing.get(), 9), nullptr);
    EXPECT_EQ(GetDXFItem(nullptr, 7), nullptr);

    // The id 7 is found among the block items first, where it is the last item.
    EXPECT_EQ(GetNextDXFItem(drawing.get(), 7), nullptr);
    EXPECT_EQ(GetNextDXFItem(drawing.get(), 8), nullptr);
    member->it_Header.ih_ID = 3;
    EXPECT_EQ(GetNextDXFItem(drawing.get(), 7), entity2);
    EXPECT_EQ(GetNextDXFItem(drawing.get(), 12), nullptr);
}

struct UidCase {
    const char* name;
    std::initializer_list<const char*> lines;
    const char* uid; // nullptr: none
};

TEST(DrawingLookup, UidIsTheTextAfterTheFirstUidLineInAnyCase)
{
    Drawing drawing;
    const UidCase cases[] = {
        {"upper case", {"UID=42"}, "42"},
        {"lower case after another line", {"NAME=x", "uid=42"}, "42"},
        {"mixed case, first line wins", {"uId=7", "UID=8"}, "7"},
        {"no equals sign", {"UID42"}, nullptr},
        {"too short", {"UI"}, nullptr},
        {"empty value", {"Uid="}, ""},
    };
    for (const UidCase& c : cases) {
        SCOPED_TRACE(c.name);
        ItemRec* item = halvern_test::make_line(drawing.pool(), 0, 0, 1, 1);
        halvern_test::set_comments(item, drawing.pool(), c.lines);
        const char* uid = GetDXFUID(item);
        if (c.uid == nullptr) {
            EXPECT_EQ(uid, nullptr);
        } else {
            ASSERT_NE(uid, nullptr);
            EXPECT_STREQ(uid, c.uid);
            EXPECT_EQ(uid[-1], '=') << "the result points into the comment line";
        }
    }
    ItemRec* bare = halvern_test::make_line(drawing.pool(), 0, 0, 1, 1);
    EXPECT_EQ(GetDXFUID(bare), nullptr);
    EXPECT_EQ(GetDXFUID(nullptr), nullptr);
}

// ---- Highlighting -----------------------------------------------------------------------

class Highlight : public ::testing::Test {
protected:
    void SetUp() override
    {
        AddBlockIdentifier(&drawing->dxf_BlockIdentifierBuffer, "Door", 0, 0);
        IsBlockKnown(&drawing->dxf_BlockIdentifierBuffer, "Door", &door_name, nullptr);
        nested = halvern_test::make_insert(drawing.pool(), door_name, 0);
        top = halvern_test::make_insert(drawing.pool(), door_name, 0);
        line = halvern_test::make_line(drawing.pool(), 0, 0, 1, 1);
        line->it_Header.ih_ContourID = 3;
        AddItem(drawing.get(), &drawing->dxf_BlockItemBuffer, nested);
        AddItem(drawing.get(), &drawing->dxf_ItemBuffer, top);
        AddItem(drawing.get(), &drawing->dxf_ItemBuffer, line);
    }

    static bool lit(const ItemRec* item) { return (item->it_Header.ih_Flags & DXFItemHighlighted) != 0; }

    Drawing drawing;
    char* door_name = nullptr;
    ItemRec* nested = nullptr;
    ItemRec* top = nullptr;
    ItemRec* line = nullptr;
};

TEST_F(Highlight, ByBlockNameMatchesInsertsInAnyCaseOnce)
{
    EXPECT_EQ(HighlightDXF(drawing.get(), "DOOR", nullptr, line), 1);
    EXPECT_TRUE(lit(nested));
    EXPECT_TRUE(lit(top));
    EXPECT_FALSE(lit(line)) << "the block name is the selector; the item is not used";
    EXPECT_EQ(HighlightDXF(drawing.get(), "door", nullptr, nullptr), 0) << "already highlighted";
    EXPECT_EQ(HighlightDXF(drawing.get(), "Window", nullptr, nullptr), 0);

    EXPECT_EQ(ClearDXFHighlight(drawing.get()), 1);
    EXPECT_FALSE(lit(nested));
    EXPECT_EQ(ClearDXFHighlight(drawing.get()), 0);
}

TEST_F(Highlight, ByPointerTakesOnlyStoredItems)
{
    EXPECT_EQ(HighlightDXF(drawing.get(), nullptr, line, nullptr), 0) << "not an INSERT";
    EXPECT_EQ(HighlightDXF(drawing.get(), nullptr, top, line), 1);
    EXPECT_TRUE(lit(top));
    EXPECT_FALSE(lit(line));
    EXPECT_FALSE(lit(nested));
    EXPECT_EQ(HighlightDXF(drawing.get(), nullptr, nullptr, line), 1);
    EXPECT_EQ(HighlightDXF(drawing.get(), nullptr, nullptr, line), 0);

    ItemRec* stranger = halvern_test::make_line(drawing.pool(), 0, 0, 1, 1);
    EXPECT_EQ(HighlightDXF(drawing.get(), nullptr, nullptr, stranger), 0);
    EXPECT_FALSE(lit(stranger));
    EXPECT_EQ(HighlightDXF(drawing.get(), nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(HighlightDXF(nullptr, "Door", nullptr, nullptr), 0);
}

TEST_F(Highlight, ContourAndColour)
{
    EXPECT_EQ(HighlightDXFContour(drawing.get(), 3), 1);
    EXPECT_TRUE(lit(line));
    EXPECT_FALSE(lit(top));
    EXPECT_EQ(HighlightDXFContour(drawing.get(), 3), 0);
    EXPECT_EQ(HighlightDXFContour(drawing.get(), 4), 0);

    EXPECT_EQ(SetDXFHighlightColour(drawing.get(), 0x0000FF), 0u);
    EXPECT_EQ(SetDXFHighlightColour(drawing.get(), 0x00FF00), 0x0000FFu);
    EXPECT_EQ(drawing->dxf_HighlightColour, 0x00FF00u);
    EXPECT_EQ(SetDXFHighlightColour(nullptr, 1), 0u);
}

// ---- Library --------------------------------------------------------------------------

TEST(HalvernLibrary, ExportsItsOwnVersionStrings)
{
    // The tests run on the library's static twin; the shared library lies beside the
    // program, and its exports are what other programs see. Osmark exports strings
    // of the same names, so look in Halvern itself.
    const std::string program = std::filesystem::read_symlink("/proc/self/exe").string();
    const std::string path = program.substr(0, program.rfind('/') + 1) + "libhalvern.so";
    void* library = dlopen(path.c_str(), RTLD_LAZY | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    ASSERT_NE(dlsym(library, "NewDXFDrawing"), nullptr);
    const auto* title = static_cast<const char*>(dlsym(library, "Application_Title"));
    const auto* version = static_cast<const char*>(dlsym(library, "Application_Version"));
    ASSERT_NE(title, nullptr);
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(std::string(title).rfind("Halvern ", 0), 0u);
    EXPECT_EQ(version[0], '\0') << "one NUL byte leads the version string";
    const std::string text = version + 1;
    EXPECT_EQ(text.rfind("$VER: " + std::string(title) + " (", 0), 0u) << text;
    EXPECT_EQ(text.back(), ')');
    for (const char* name : {"Application_Copyright", "Application_Author", "Application_Description"}) {
        const auto* value = static_cast<const char*>(dlsym(library, name));
        ASSERT_NE(value, nullptr) << name;
        EXPECT_NE(value[0], '\0') << name;
    }
    // Internals stay inside: the reader's helpers are C++ and not exported.
    EXPECT_EQ(dlsym(library, "DXFLineCounter"), nullptr);
    dlclose(library);
}

}
