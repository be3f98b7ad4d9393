// Block labels: automatic placement (anchors, extents test, touch test, place codes),
// given positions, the label font, removal and replacement, and the references of the
// block's INSERTs.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "../../platform/tests/gdi_test_support.h"
#include "drawing_fixture.h"
#include "halvern/halvern.h"

namespace {

using gdi_test::recording_log;
using halvern_test::add_block_definition;
using halvern_test::Drawing;
using halvern_test::make_block_insert;
using halvern_test::make_line;
using halvern_test::make_point_item;

constexpr double kExact = 1e-9;

// Lines through the points in order.
std::vector<ItemRec*> make_path(Pool* pool, std::initializer_list<Point2DRec> points)
{
    std::vector<ItemRec*> lines;
    const Point2DRec* previous = nullptr;
    for (const Point2DRec& point : points) {
        if (previous != nullptr)
            lines.push_back(make_line(pool, previous->x, previous->y, point.x, point.y));
        previous = &point;
    }
    return lines;
}

int32_t add_block(Drawing& drawing, const char* name, const std::vector<ItemRec*>& members,
                  Point3DRec base = {})
{
    ItemBufferRec& blocks = drawing->dxf_BlockItemBuffer;
    ItemRec* block = CreateItem(DXFItemBlock, 0, 0, 0, 0, drawing.pool());
    block->it_Block.bk_Base = base;
    const int32_t index = blocks.ib_N;
    AddItem(drawing.get(), &blocks, block);
    for (ItemRec* member : members)
        AddItem(drawing.get(), &blocks, member);
    AddItem(drawing.get(), &blocks, CreateItem(DXFItemEndBlock, 0, 0, 0, 0, drawing.pool()));
    AddBlockIdentifier(&drawing->dxf_BlockIdentifierBuffer, name, index, 0);
    return index;
}

LOGFONTA arial(LONG height)
{
    LOGFONTA font{};
    font.lfHeight = height;
    font.lfWeight = FW_NORMAL;
    std::strcpy(font.lfFaceName, "Arial");
    return font;
}

// A drawing whose window (0, 0)-(100, 100) fills a 400 by 400 pixel view: 4 pixels per
// unit. The memory DC has a 12-pixel Arial selected.
struct LabelScene {
    Drawing drawing;
    gdi_test::MemorySurface surface{400, 400};
    RectangleRec view{0, 0, 400, 400};
    LOGFONTA font_record = arial(-12);
    gdi_test::Selected font{surface.dc(), CreateFontIndirectA(&font_record)};

    LabelScene() { drawing->dxf_DrwgSize = Rectangle2DRec{{0, 0}, {100, 100}}; }

    HDC dc() const { return surface.dc(); }
    BlockIdentifierRec* identifier(int32_t index)
    {
        return drawing->dxf_BlockIdentifierBuffer.bib_Blocks[index];
    }
    // The text's extent in the DC's font, in drawing units of the view.
    Point2DRec label_size(const char* text) const
    {
        SIZE extent{};
        EXPECT_TRUE(GetTextExtentPoint32A(surface.dc(), text, static_cast<int>(std::strlen(text)),
                                          &extent));
        return Point2DRec{extent.cx / 4.0, extent.cy / 4.0};
    }
    int32_t place(const char* name, const char* text)
    {
        return SetBlockLabel(dc(), drawing.get(), &view, name, text, nullptr);
    }
    ItemRec* add_insert(const char* name, Point3DRec point = {})
    {
        ItemRec* insert = make_block_insert(drawing, name, point);
        AddItem(drawing.get(), &drawing->dxf_ItemBuffer, insert);
        return insert;
    }
};

void expect_position(const Point2DRec& got, double x, double y)
{
    EXPECT_NEAR(got.x, x, kExact);
    EXPECT_NEAR(got.y, y, kExact);
}

bool refers_to_label(const ItemRec* insert, const BlockIdentifierRec* identifier)
{
    const InsertRec& record = insert->it_Insert;
    return record.in_Label == identifier->bi_Label && record.in_Label != nullptr &&
           record.in_LabelPos == &identifier->bi_LabelPos &&
           record.in_LabelAttr == &identifier->bi_LabelAttr;
}

bool has_no_references(const ItemRec* insert)
{
    const InsertRec& record = insert->it_Insert;
    return record.in_Label == nullptr && record.in_LabelPos == nullptr &&
           record.in_LabelAttr == nullptr;
}

// ---- Automatic placement ---------------------------------------------------------------

// The left edge x = 0 holds two end points, (0, 60) and (0, 20); the one nearer the
// bottom anchors the label, not the corner of the extents. The base point (7, 3) moves
// the whole block, and the label is kept without it.
TEST(BlockLabelPlacement, DefaultOrderAnchorsAtTheEndPointNearestTheLeftEdge)
{
    LabelScene scene;
    Pool* pool = scene.drawing.pool();
    add_block(scene.drawing, "FRAME",
              make_path(pool, {{30, 0}, {100, 0}, {100, 60}, {0, 60}, {0, 20}}),
              Point3DRec{7, 3, 0});
    ItemRec* insert = scene.add_insert("FRAME");
    ItemRec* line = make_line(pool, 0, 0, 100, 100);
    AddItem(scene.drawing.get(), &scene.drawing->dxf_ItemBuffer, line);
    line->it_Header.ih_Flags |= DXFItemPicked;
    const DXFDrawingRec before = scene.drawing.record;

    ASSERT_EQ(scene.place("frame", "AB"), 0);

    BlockIdentifierRec* frame = scene.identifier(0);
    ASSERT_NE(frame->bi_Label, nullptr);
    EXPECT_STREQ(frame->bi_Label, "AB");
    expect_position(frame->bi_LabelPos, 5, 25);
    EXPECT_TRUE(refers_to_label(insert, frame));
    // Placement clears every pick mark and leaves the caller's view alone.
    EXPECT_EQ(line->it_Header.ih_Flags & DXFItemPicked, 0u);
    EXPECT_EQ(
        std::memcmp(&scene.drawing->dxf_DrwgSize, &before.dxf_DrwgSize, sizeof before.dxf_DrwgSize),
        0);
    EXPECT_EQ(
        std::memcmp(&scene.drawing->dxf_ViewSize, &before.dxf_ViewSize, sizeof before.dxf_ViewSize),
        0);
    EXPECT_EQ(scene.drawing->dxf_YScale, before.dxf_YScale);
    EXPECT_EQ(scene.drawing->dxf_XOffset, before.dxf_XOffset);

    // Drawn where it was placed: 5 units right of and above (7, 23), at (12, 28), which
    // is pixel (12, 72) at one pixel per unit.
    HDC recorder = platform_create_recording_dc(100, 100);
    RectangleRec view{0, 0, 100, 100};
    ShowDXFBlock(recorder, scene.drawing.get(), &view, "FRAME");
    const std::string log = recording_log(recorder);
    EXPECT_NE(log.find("TextOutA(12, 72, \"AB\")"), std::string::npos) << log;
    DeleteDC(recorder);
}

TEST(BlockLabelPlacement, EveryPlaceCodeOtherThanOneToFourIsTheCentre)
{
    for (const int32_t code : {0, 5, -1}) {
        SCOPED_TRACE(code);
        LabelScene scene;
        add_block(scene.drawing, "B",
                  make_path(scene.drawing.pool(), {{0, 0}, {100, 0}, {100, 60}, {0, 60}, {0, 0}}));
        SetBlockLabelOrder(scene.drawing.get(), code, code, code, code, code);

        ASSERT_EQ(scene.place("B", "Centre"), 0);

        const Point2DRec size = scene.label_size("Centre");
        expect_position(scene.identifier(0)->bi_LabelPos, 50 - size.x / 2, 30 - size.y / 2);
    }
}

// Corner 1 would put the label across a short line; the next code in the default
// order, corner 2, is clear. The block has no INSERT in the drawing: the touch test
// finds the marks on the block's own items all the same.
TEST(BlockLabelPlacement, TouchTestSkipsBoxesAcrossItemsOfABlockNoInsertUses)
{
    LabelScene scene;
    std::vector<ItemRec*> members =
        make_path(scene.drawing.pool(), {{0, 0}, {100, 0}, {100, 60}, {0, 60}, {0, 0}});
    members.push_back(make_line(scene.drawing.pool(), 7, 3, 7, 9));
    add_block(scene.drawing, "B", members);

    ASSERT_EQ(scene.place("B", "AB"), 0);

    const Point2DRec size = scene.label_size("AB");
    ASSERT_LT(size.x, 20.0);
    expect_position(scene.identifier(0)->bi_LabelPos, 100 - size.x - 5, 5);
}

TEST(BlockLabelPlacement, CornerCodesShiftTheLabelIntoTheBlock)
{
    struct Row {
        int32_t code;
        double x; // of the lower-left corner, with w and h the label's size
        double w_factor;
        double y;
        double h_factor;
    };
    // The extents (0, 0)-(100, 60); each corner is an end point of the frame.
    const Row rows[] = {
        {1, 5, 0, 5, 0},
        {2, 95, -1, 5, 0},
        {3, 5, 0, 55, -1},
        {4, 95, -1, 55, -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.code);
        LabelScene scene;
        add_block(scene.drawing, "B",
                  make_path(scene.drawing.pool(), {{0, 0}, {100, 0}, {100, 60}, {0, 60}, {0, 0}}));
        SetBlockLabelOrder(scene.drawing.get(), row.code, 0, 0, 0, 0);

        ASSERT_EQ(scene.place("B", "AB"), 0);

        const Point2DRec size = scene.label_size("AB");
        expect_position(scene.identifier(0)->bi_LabelPos, row.x + row.w_factor * size.x,
                        row.y + row.h_factor * size.y);
    }
}

TEST(BlockLabelPlacement, NoPlaceLeavesTheBlockWithoutALabel)
{
    struct Row {
        const char* name;
        std::vector<Point2DRec> path;
        bool centre_only; // the five codes all the centre, a line across it
        const char* text;
    };
    const Row rows[] = {
        {"a label wider than the block",
         {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}},
         false,
         "A label far wider than the block"},
        {"the centre, crossed, five times",
         {{0, 0}, {100, 0}, {100, 60}, {0, 60}, {0, 0}},
         true,
         "AB"},
        {"a block without measurable items", {}, false, "AB"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        LabelScene scene;
        Pool* pool = scene.drawing.pool();
        std::vector<ItemRec*> members;
        for (size_t i = 1; i < row.path.size(); ++i)
            members.push_back(make_line(pool, row.path[i - 1].x, row.path[i - 1].y, row.path[i].x,
                                        row.path[i].y));
        if (row.centre_only) {
            SetBlockLabelOrder(scene.drawing.get(), 0, 5, -1, 0, 0);
            members.push_back(make_line(pool, 0, 30, 100, 30));
        }
        add_block(scene.drawing, "B", members);
        ItemRec* insert = scene.add_insert("B");
        // An old label goes whatever comes of the new one.
        Point2DRec old_position{1, 1};
        ASSERT_EQ(
            SetBlockLabel(scene.dc(), scene.drawing.get(), &scene.view, "B", "old", &old_position),
            0);

        EXPECT_EQ(scene.place("B", row.text), 1);

        EXPECT_EQ(scene.identifier(0)->bi_Label, nullptr);
        EXPECT_EQ(scene.identifier(0)->bi_LabelAttr.df_Name, nullptr);
        EXPECT_TRUE(has_no_references(insert));
    }
}

// ---- Given positions and the font ------------------------------------------------------

TEST(BlockLabelFont, HeightFollowsTheViewWhenDrawnLater)
{
    LabelScene scene;
    add_block(scene.drawing, "B", {make_point_item(scene.drawing.pool(), 0, 0)});
    ItemRec* insert = scene.add_insert("B", Point3DRec{10, 10, 0});
    LOGFONTA styled = arial(-12);
    styled.lfWeight = FW_BOLD;
    styled.lfItalic = 1;
    styled.lfUnderline = 1;
    styled.lfStrikeOut = 1;
    gdi_test::Selected font(scene.dc(), CreateFontIndirectA(&styled));
    SetTextColor(scene.dc(), 0x00336699);
    Point2DRec position{2, 4};

    ASSERT_EQ(SetBlockLabel(scene.dc(), scene.drawing.get(), &scene.view, "B", "Door", &position),
              0);

    const DXFFontRec& attributes = scene.identifier(0)->bi_LabelAttr;
    EXPECT_DOUBLE_EQ(attributes.df_YSize, 3.0);
    EXPECT_STREQ(attributes.df_Name, "Arial");
    EXPECT_EQ(attributes.df_Style, 15u);
    EXPECT_EQ(attributes.df_Colour, 0x00336699u);
    expect_position(scene.identifier(0)->bi_LabelPos, 2, 4);
    EXPECT_TRUE(refers_to_label(insert, scene.identifier(0)));

    // (0, 0)-(50, 50) in 400 pixels: 8 pixels per unit, so 24 pixels high, at
    // (12, 14) = pixel (96, 288).
    scene.drawing->dxf_DrwgSize = Rectangle2DRec{{0, 0}, {50, 50}};
    HDC recorder = platform_create_recording_dc(400, 400);
    ShowDXFDrawing(recorder, scene.drawing.get(), &scene.view);
    const std::string log = recording_log(recorder);
    EXPECT_NE(log.find("SelectObject(font \"Arial\" height=-24 "), std::string::npos) << log;
    EXPECT_NE(log.find("TextOutA(96, 288, \"Door\")"), std::string::npos) << log;
    DeleteDC(recorder);
}

TEST(BlockLabelFont, GivenPositionWithoutDeviceContextOrViewPort)
{
    LabelScene scene;
    add_block(scene.drawing, "B", {make_point_item(scene.drawing.pool(), 0, 0)});
    ItemRec* insert = scene.add_insert("B");
    Point2DRec position{2, 4};

    // The last view's mapping: the drawing was shown at 4 pixels per unit.
    ShowDXFDrawing(scene.dc(), scene.drawing.get(), &scene.view);
    ASSERT_EQ(SetBlockLabel(scene.dc(), scene.drawing.get(), nullptr, "B", "A", &position), 0);
    EXPECT_DOUBLE_EQ(scene.identifier(0)->bi_LabelAttr.df_YSize, 3.0);

    // Without a device context the font cannot be read: all zero, never drawn.
    ASSERT_EQ(SetBlockLabel(nullptr, scene.drawing.get(), &scene.view, "B", "A", &position), 0);
    const DXFFontRec& attributes = scene.identifier(0)->bi_LabelAttr;
    EXPECT_EQ(attributes.df_Name, nullptr);
    EXPECT_EQ(attributes.df_YSize, 0.0);
    EXPECT_EQ(attributes.df_Style, 0u);
    EXPECT_EQ(attributes.df_Colour, 0u);
    EXPECT_TRUE(refers_to_label(insert, scene.identifier(0)));
    HDC recorder = platform_create_recording_dc(400, 400);
    ShowDXFDrawing(recorder, scene.drawing.get(), &scene.view);
    EXPECT_EQ(recording_log(recorder).find("TextOutA"), std::string::npos);
    DeleteDC(recorder);
}

// ---- References, removal and replacement -----------------------------------------------

TEST(BlockLabelReferences, OnlyInsertsTheWalkPassesGetThem)
{
    LabelScene scene;
    Pool* pool = scene.drawing.pool();
    add_block(scene.drawing, "B", {make_point_item(pool, 0, 0)});
    ItemRec* nested = make_block_insert(scene.drawing, "B", Point3DRec{5, 5, 0});
    add_block(scene.drawing, "OUTER", {nested});
    add_block(scene.drawing, "b", {make_point_item(pool, 1, 1)});
    ItemRec* visible = scene.add_insert("B");
    ItemRec* hidden = scene.add_insert("B");
    hidden->it_Header.ih_Flags |= DXFItemHidden;
    ItemRec* outer = scene.add_insert("OUTER");
    ItemRec* other_case = scene.add_insert("b");
    Point2DRec position{0, 0};

    ASSERT_EQ(SetBlockLabel(scene.dc(), scene.drawing.get(), &scene.view, "b", "L", &position), 0);

    // The first identifier of that name without regard to case gets the label.
    BlockIdentifierRec* labelled = scene.identifier(0);
    EXPECT_TRUE(refers_to_label(visible, labelled));
    EXPECT_TRUE(refers_to_label(nested, labelled));
    EXPECT_TRUE(has_no_references(hidden));
    EXPECT_TRUE(has_no_references(outer));
    EXPECT_TRUE(has_no_references(other_case));
    EXPECT_EQ(scene.identifier(2)->bi_Label, nullptr);
}

// A hidden INSERT is passed over by every walk, but still drops its references when the
// label goes: shown again, it draws no label and reads no freed text.
TEST(BlockLabelReferences, RemovalReachesHiddenInserts)
{
    LabelScene scene;
    Pool* pool = scene.drawing.pool();
    add_block(scene.drawing, "B", {make_point_item(pool, 0, 0)});
    ItemRec* nested = make_block_insert(scene.drawing, "B", Point3DRec{5, 5, 0});
    add_block(scene.drawing, "OUTER", {nested});
    ItemRec* top = scene.add_insert("B", Point3DRec{20, 20, 0});
    ItemRec* outer = scene.add_insert("OUTER", Point3DRec{40, 40, 0});
    Point2DRec position{1, 1};
    ASSERT_EQ(SetBlockLabel(scene.dc(), scene.drawing.get(), &scene.view, "B", "Gone", &position),
              0);
    ASSERT_TRUE(refers_to_label(top, scene.identifier(0)));
    ASSERT_TRUE(refers_to_label(nested, scene.identifier(0)));

    top->it_Header.ih_Flags |= DXFItemHidden;
    outer->it_Header.ih_Flags |= DXFItemHidden;
    ASSERT_EQ(SetBlockLabel(nullptr, scene.drawing.get(), nullptr, "B", nullptr, nullptr), 0);
    top->it_Header.ih_Flags &= ~static_cast<uint32_t>(DXFItemHidden);
    outer->it_Header.ih_Flags &= ~static_cast<uint32_t>(DXFItemHidden);

    EXPECT_EQ(scene.identifier(0)->bi_Label, nullptr);
    EXPECT_EQ(scene.identifier(0)->bi_LabelAttr.df_Name, nullptr);
    EXPECT_TRUE(has_no_references(top));
    EXPECT_TRUE(has_no_references(nested));
    HDC recorder = platform_create_recording_dc(400, 400);
    ShowDXFDrawing(recorder, scene.drawing.get(), &scene.view);
    EXPECT_EQ(recording_log(recorder).find("TextOutA"), std::string::npos);
    DeleteDC(recorder);
}

TEST(BlockLabelReferences, ReplacingCopiesTheNewLabelAndPointsTheInsertsAgain)
{
    LabelScene scene;
    add_block(scene.drawing, "B", {make_point_item(scene.drawing.pool(), 0, 0)});
    ItemRec* insert = scene.add_insert("B");
    Point2DRec first{1, 2};
    Point2DRec second{3, 4};
    ASSERT_EQ(SetBlockLabel(scene.dc(), scene.drawing.get(), &scene.view, "B", "One", &first), 0);

    char text[] = "Two";
    ASSERT_EQ(SetBlockLabel(scene.dc(), scene.drawing.get(), &scene.view, "B", text, &second), 0);
    text[0] = 'X';

    BlockIdentifierRec* identifier = scene.identifier(0);
    EXPECT_STREQ(identifier->bi_Label, "Two");
    EXPECT_NE(static_cast<const void*>(identifier->bi_Label), static_cast<const void*>(text));
    expect_position(identifier->bi_LabelPos, 3, 4);
    EXPECT_TRUE(refers_to_label(insert, identifier));

    // Removing a label the block does not have changes nothing.
    ASSERT_EQ(SetBlockLabel(nullptr, scene.drawing.get(), nullptr, "B", nullptr, nullptr), 0);
    ASSERT_EQ(SetBlockLabel(nullptr, scene.drawing.get(), nullptr, "B", nullptr, nullptr), 0);
    EXPECT_EQ(identifier->bi_Label, nullptr);
    EXPECT_TRUE(has_no_references(insert));
}

// ---- Refusals --------------------------------------------------------------------------

TEST(BlockLabelRefusals, BadArgumentsChangeNothing)
{
    LabelScene scene;
    add_block(scene.drawing, "B", {make_point_item(scene.drawing.pool(), 0, 0)});
    ItemRec* insert = scene.add_insert("B");
    Point2DRec position{1, 2};
    ASSERT_EQ(SetBlockLabel(scene.dc(), scene.drawing.get(), &scene.view, "B", "Kept", &position),
              0);
    BlockIdentifierRec* identifier = scene.identifier(0);
    char* kept = identifier->bi_Label;

    struct Row {
        const char* name;
        HDC dc;
        DXFDrawingRec* drawing;
        RectangleRec* view;
        const char* block;
        const char* text;
        int32_t result;
    };
    const Row rows[] = {
        {"no drawing", scene.dc(), nullptr, &scene.view, "B", "New", -1},
        {"no name", scene.dc(), scene.drawing.get(), &scene.view, nullptr, "New", -1},
        {"unknown block", scene.dc(), scene.drawing.get(), &scene.view, "C", "New", -2},
        {"unknown block, removal", scene.dc(), scene.drawing.get(), &scene.view, "C", nullptr, -2},
        {"automatic without device context", nullptr, scene.drawing.get(), &scene.view, "B", "New",
         -1},
        {"automatic without view port", scene.dc(), scene.drawing.get(), nullptr, "B", "New", -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(SetBlockLabel(row.dc, row.drawing, row.view, row.block, row.text, nullptr),
                  row.result);
        EXPECT_EQ(identifier->bi_Label, kept);
        EXPECT_TRUE(refers_to_label(insert, identifier));
    }
}

TEST(BlockLabelRefusals, TextThatCannotBeCopiedLeavesNoLabel)
{
    LabelScene scene;
    add_block(scene.drawing, "B", {make_point_item(scene.drawing.pool(), 0, 0)});
    ItemRec* insert = scene.add_insert("B");
    Point2DRec position{1, 2};
    ASSERT_EQ(SetBlockLabel(scene.dc(), scene.drawing.get(), &scene.view, "B", "Old", &position),
              0);

    int32_t result = 0;
    {
        const halvern_test::FailingAllocations failing(0, 1);
        result = SetBlockLabel(scene.dc(), scene.drawing.get(), &scene.view, "B", "New", &position);
    }

    EXPECT_EQ(result, -1);
    EXPECT_EQ(scene.identifier(0)->bi_Label, nullptr);
    EXPECT_TRUE(has_no_references(insert));
}

}
