// The renderers: what is drawn and where, item colours, visibility, INSERT expansion
// with arrays and the expansion stack, the fill pass, the block renderers and a golden
// image of every item type.
#include <gtest/gtest.h>

#include <QImage>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "render/render_state.h"
#include "drawing_fixture.h"
#include "render_test_support.h"
#include "halvern/halvern.h"
#include "osmark/memory.h"

namespace {

using halvern_test::add_block_definition;
using halvern_test::Drawing;
using halvern_test::make_block_insert;
using halvern_test::make_circle;
using halvern_test::make_line;
using halvern_test::make_point_item;

constexpr double kPi = 3.141592653589793;
constexpr int kSide = halvern_test::kSceneSide;
constexpr uint32_t kBlack = 0x000000;
// Pixels of a memory surface are 0x00RRGGBB, colour references 0x00BBGGRR.
constexpr uint32_t pixel_of(uint32_t colour)
{
    return ((colour & 0xFFu) << 16) | (colour & 0xFF00u) | ((colour >> 16) & 0xFFu);
}
constexpr uint32_t kWhitePixel = 0xFFFFFF;

// The surface is black and the device context's pen black, so items without a colour
// of their own draw white.
struct Scene : halvern_test::SceneBase {
    uint32_t at(int x, int y) const { return surface.at(x, y); }
    int lit() const { return kSide * kSide - surface.count(kBlack); }
};

// Makes the INSERT a circular array: count placements step radians apart round the
// circle about centre, the first at first, none of them turned.
void set_circular_array(InsertRec& insert, Point3DRec centre, double radius, Point3DRec first,
                        double step, int32_t count)
{
    insert.in_ArrayKind = 2;
    insert.in_CircRotation = 0.0;
    insert.in_CircRadius = radius;
    insert.in_CircCentre = centre;
    insert.in_CircFirst = first;
    insert.in_CircStep = step;
    insert.in_CircCount = count;
}

// ---- Set-up and clean-up ----------------------------------------------------------------

TEST(RenderPipeline, NullDrawingOrRectangleDoesNothing)
{
    Scene scene;
    scene.add(make_line(scene.drawing.pool(), 10, 50, 90, 50));
    ShowDXFDrawing(scene.surface.dc(), nullptr, &scene.view);
    ShowDXFDrawing(scene.surface.dc(), scene.drawing.get(), nullptr);
    DrawDXFDrawingFilled(scene.surface.dc(), scene.drawing.get(), nullptr, nullptr, nullptr, 0.0);
    ShowDXFBlock(scene.surface.dc(), scene.drawing.get(), nullptr, "B");
    EXPECT_EQ(scene.drawing->dxf_Device, nullptr);
    EXPECT_EQ(scene.lit(), 0);
}

TEST(RenderPipeline, GivesTheDeviceContextItsPenAndTextColourBack)
{
    Scene scene;
    Pool* pool = scene.drawing.pool();
    ItemRec* red = scene.add(make_line(pool, 10, 50, 90, 50));
    red->it_Header.ih_Colour = 1;
    ItemRec* green = scene.add(make_line(pool, 10, 60, 90, 60));
    green->it_Header.ih_Colour = 3;
    HPEN pen = CreatePen(PS_SOLID, 1, 0x123456);
    gdi_test::Selected selected(scene.surface.dc(), pen);
    SetTextColor(scene.surface.dc(), 0x654321);
    const size_t objects = platform_gdi_object_count();

    scene.show();

    EXPECT_EQ(GetCurrentObject(scene.surface.dc(), OBJ_PEN), pen);
    EXPECT_EQ(GetTextColor(scene.surface.dc()), 0x654321u);
    EXPECT_EQ(scene.drawing->dxf_CurrentPen, nullptr);
    EXPECT_EQ(platform_gdi_object_count(), objects);
    EXPECT_EQ(scene.drawing->dxf_PenColour, 0x00FF00u);
    EXPECT_EQ(scene.drawing->dxf_Device, scene.surface.dc());
}

// ---- Colours ------------------------------------------------------------------------------

TEST(RenderPipeline, ItemColourComesFromPaletteLayerPenOrHighlight)
{
    constexpr uint32_t kPen = 0x0000FF;        // red
    constexpr uint32_t kLayer = 0x00FF00;      // colour number 3
    constexpr uint32_t kPalette = 0xFF0000;    // colour number 5
    constexpr uint32_t kHighlight = 0x8040C0;
    struct Case {
        const char* name;
        int32_t colour;
        int32_t layer;
        uint32_t flags;
        bool monochrome;
        uint32_t expected;
    };
    const Case cases[] = {
        {"BYBLOCK takes the layer's colour", 0, 1, 0, false, kLayer},
        {"BYLAYER takes the layer's colour", 256, 1, 0, false, kLayer},
        {"a number past the palette takes the layer's colour", 300, 1, 0, false, kLayer},
        {"a palette colour wins over the layer", 5, 1, 0, false, kPalette},
        {"a layer past the table takes the pen's colour", 256, 7, 0, false, kPen},
        {"highlighted", 5, 1, DXFItemHighlighted, false, kHighlight},
        {"highlighted in monochrome", 5, 1, DXFItemHighlighted, true, kHighlight},
        {"monochrome keeps the device context's pen", 5, 1, 0, true, kPen},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        Scene scene;
        LayerTableRec& layers = scene.drawing->dxf_LayerTable;
        ASSERT_EQ(GetLayer(&layers, "L"), 1); // after the automatic layer 0
        layers.lt_Layers[1]->ld_Colour = 3;
        ItemRec* line = CreateItem(DXFItemLine, 0, row.layer, row.colour, 0, scene.drawing.pool());
        line->it_Line = LineRec{{10, 50, 0}, {90, 50, 0}};
        line->it_Header.ih_Flags = row.flags;
        scene.add(line);
        scene.drawing->dxf_Flags = row.monochrome ? DXFDrawMonochrome : 0;
        SetDXFHighlightColour(scene.drawing.get(), kHighlight);
        gdi_test::Selected pen(scene.surface.dc(), CreatePen(PS_SOLID, 1, kPen));

        scene.show();

        EXPECT_EQ(scene.at(50, 50), pixel_of(row.expected));
        EXPECT_EQ(scene.at(10, 50), pixel_of(row.expected));
        EXPECT_EQ(scene.at(90, 50), pixel_of(row.expected));
    }
}

TEST(RenderPipeline, MonochromeWithoutHighlightNeverMakesAPen)
{
    Drawing drawing;
    for (int32_t colour : {1, 3, 5, 256}) {
        ItemRec* line = make_line(drawing.pool(), 10, 10.0 * colour / 10 + 10, 90, 50);
        line->it_Header.ih_Colour = colour;
        AddItem(drawing.get(), &drawing->dxf_ItemBuffer, line);
    }
    drawing->dxf_Flags = DXFDrawMonochrome;
    drawing->dxf_DrwgSize = Rectangle2DRec{{0, 0}, {100, 100}};
    HDC dc = platform_create_recording_dc(100, 100);
    RectangleRec view{0, 0, 100, 100};

    ShowDXFDrawing(dc, drawing.get(), &view);

    const std::string log = gdi_test::recording_log(dc);
    EXPECT_EQ(log.find("SelectObject(pen PS_SOLID"), std::string::npos) << log;
    EXPECT_NE(log.find("LineTo("), std::string::npos) << log;
    DeleteDC(dc);
}

// ---- Visibility ---------------------------------------------------------------------------

TEST(RenderPipeline, HiddenItemsAreNotDrawnAtTopLevelNorInBlocks)
{
    for (const halvern_test::HiddenLineCase& row : halvern_test::kHiddenLineCases) {
        for (const bool in_block : {false, true}) {
            SCOPED_TRACE(std::string(row.name) + (in_block ? " in a block" : " at top level"));
            Scene scene;
            ItemRec* line = make_line(scene.drawing.pool(), 10, 50, 90, 50);
            if (in_block) {
                add_block_definition(scene.drawing, "B", {line});
                scene.add(make_block_insert(scene.drawing, "B", Point3DRec{0, 0, 0}));
            } else {
                scene.add(line);
            }
            row.hide(*scene.drawing.get(), *line);
            scene.show();
            EXPECT_EQ(scene.lit(), 0);
        }
    }
}

TEST(RenderPipeline, BlockDefinitionsAmongTopLevelItemsAreNotDrawn)
{
    Scene scene;
    Pool* pool = scene.drawing.pool();
    scene.add(CreateItem(DXFItemBlock, 0, 0, 0, 0, pool));
    scene.add(make_line(pool, 10, 50, 90, 50));
    scene.add(CreateItem(DXFItemEndBlock, 0, 0, 0, 0, pool));
    scene.show();
    EXPECT_EQ(scene.lit(), 0);
}

TEST(RenderPipeline, ContourModeDrawsOnlyItemsOfClosedContours)
{
    Scene scene;
    ContourTableRec& contours = scene.drawing->dxf_ContourTable;
    contours.ct_Contours =
        static_cast<ContourDataRec*>(CAllocVec(2, static_cast<uint32_t>(sizeof(ContourDataRec))));
    contours.ct_Max = contours.ct_N = 2;
    contours.ct_Contours[1].cd_Flags = 1; // open
    struct Row {
        int32_t contour;
        bool drawn;
    };
    const Row rows[] = {{0, true}, {1, false}, {-1, false}, {2, false}};
    for (int i = 0; i < 4; ++i) {
        ItemRec* line = make_line(scene.drawing.pool(), 10, 20.0 + 20 * i, 90, 20.0 + 20 * i);
        line->it_Header.ih_ContourID = rows[i].contour;
        scene.add(line);
    }
    scene.drawing->dxf_Flags = DXFDrawContoursOnly;
    scene.show();
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(rows[i].contour);
        EXPECT_EQ(scene.at(50, 80 - 20 * i) != kBlack, rows[i].drawn);
    }
}

// ---- INSERT expansion -----------------------------------------------------------------------

TEST(RenderPipeline, RectangularArrayDrawsItsBlockForEveryCell)
{
    Scene scene;
    const int32_t block =
        add_block_definition(scene.drawing, "B", {make_point_item(scene.drawing.pool(), 0, 0)});
    ItemRec* insert = scene.add(make_block_insert(scene.drawing, "B", Point3DRec{10, 10, 0}));
    insert->it_Insert.in_Rows = 3;
    insert->it_Insert.in_Columns = 2;
    insert->it_Insert.in_RowSpacing = 10;
    insert->it_Insert.in_ColumnSpacing = 20;

    scene.show();

    EXPECT_EQ(scene.lit(), 6);
    for (int x : {10, 30})
        for (int y : {10, 20, 30})
            EXPECT_EQ(scene.at(x, kSide - y), kWhitePixel) << x << "," << y;
    // The BLOCK keeps the last placement drawn: second column, third row.
    const BlockRec& placed = scene.drawing->dxf_BlockItemBuffer.ib_Items[block]->it_Block;
    EXPECT_DOUBLE_EQ(placed.bk_Offset.x, 30.0);
    EXPECT_DOUBLE_EQ(placed.bk_Offset.y, 30.0);
}

// An INSERT that would enter a block being drawn already is passed over: a block that
// inserts itself, directly or through another block, is drawn once on each path.
TEST(RenderPipeline, BlockCyclesDrawEveryBlockOncePerPath)
{
    for (const int extra_identifiers : {0, 2}) {
        SCOPED_TRACE(extra_identifiers);
        Scene scene;
        Pool* pool = scene.drawing.pool();
        ItemRec* self = halvern_test::make_insert(pool, nullptr, scene.drawing->dxf_BlockItemBuffer.ib_N);
        self->it_Insert.in_Point = Point3DRec{10, 0, 0};
        self->it_Insert.in_RowAngle = kPi / 2;
        add_block_definition(scene.drawing, "A", {make_point_item(pool, 0, 0), self});
        for (int i = 0; i < extra_identifiers; ++i)
            AddBlockIdentifier(&scene.drawing->dxf_BlockIdentifierBuffer, ("X" + std::to_string(i)).c_str(), -1, 0);
        scene.add(make_block_insert(scene.drawing, "A", Point3DRec{10, 50, 0}));

        scene.show();

        EXPECT_EQ(scene.lit(), 1);
        EXPECT_EQ(scene.at(10, 50), kWhitePixel);
    }

    // A inserts B ten units right, B inserts A ten units up.
    Scene scene;
    Pool* pool = scene.drawing.pool();
    AddBlockIdentifier(&scene.drawing->dxf_BlockIdentifierBuffer, "B", 4, 0);
    add_block_definition(scene.drawing, "A", {make_point_item(pool, 0, 0),
                                              make_block_insert(scene.drawing, "B", Point3DRec{10, 0, 0})});
    add_block_definition(scene.drawing, "B", {make_point_item(pool, 0, 0),
                                              make_block_insert(scene.drawing, "A", Point3DRec{0, 10, 0})});
    scene.add(make_block_insert(scene.drawing, "A", Point3DRec{20, 20, 0}));
    scene.add(make_block_insert(scene.drawing, "B", Point3DRec{60, 60, 0}));
    scene.show();
    EXPECT_EQ(scene.lit(), 4);
    for (const auto& [x, y] : {std::pair{20, 20}, std::pair{30, 20}, std::pair{60, 60}, std::pair{60, 70}})
        EXPECT_EQ(scene.at(x, kSide - y), kWhitePixel) << x << "," << y;
    // A pick ends too, and finds the points of either path.
    EXPECT_EQ(PickDXF(scene.surface.dc(), scene.drawing.get(), 30, kSide - 20, 3, 3), 1);
    EXPECT_EQ(ClearDXFPick(scene.drawing.get()), 1);
}

// The cells of an array whose box lies outside the view are passed over, and cells
// smaller than a pixel draw as the one pixel they cover: an array of 32767 by 32767
// cells draws at full view, zoomed in and picked well within a test's time, and lights
// the pixels its cells would light one by one.
TEST(RenderPipeline, HugeArraysDrawOnlyWhatTheViewShows)
{
    Scene scene;
    Pool* pool = scene.drawing.pool();
    add_block_definition(scene.drawing, "DOT", {make_line(pool, 0, 0, 0.0005, 0)});
    ItemRec* insert = scene.add(make_block_insert(scene.drawing, "DOT", Point3DRec{10, 20, 0}));
    InsertRec& array = insert->it_Insert;
    array.in_Columns = 32767;
    array.in_Rows = 32767;
    array.in_ColumnSpacing = 0.001;
    array.in_RowSpacing = 0.001;

    // One pixel a unit: the cells' pixels run from (10, 20) to (43, 53) in drawing units.
    scene.show();
    EXPECT_EQ(scene.lit(), 34 * 34);
    for (const auto& [x, y] : {std::pair{10, 20}, std::pair{43, 20}, std::pair{10, 53}, std::pair{43, 53}})
        EXPECT_EQ(scene.at(x, kSide - y), kWhitePixel) << x << "," << y;
    EXPECT_EQ(scene.at(44, kSide - 30), kBlack);

    // 2000 pixels a unit: cells two pixels apart, each line two pixels long.
    scene.surface.fill(kBlack);
    scene.set_window(9.99, 19.99, 10.04, 20.04);
    scene.show();
    EXPECT_EQ(scene.at(20, 80), kWhitePixel);
    EXPECT_EQ(scene.at(21, 80), kWhitePixel);
    EXPECT_EQ(scene.at(19, 80), kBlack);
    EXPECT_EQ(scene.at(20, 79), kBlack);
    EXPECT_EQ(scene.at(24, 78), kWhitePixel);
    EXPECT_EQ(scene.at(100 - 1, 0), kWhitePixel);

    // A pick at full view inside the array marks the member and the INSERT; outside it
    // marks nothing.
    scene.set_window(0.0, 0.0, kSide, kSide);
    scene.show();
    EXPECT_EQ(PickDXF(scene.surface.dc(), scene.drawing.get(), 80, 50, 3, 3), 1);
    EXPECT_EQ(ClearDXFPick(scene.drawing.get()), 0);
    EXPECT_EQ(PickDXF(scene.surface.dc(), scene.drawing.get(), 30, kSide - 30, 3, 3), 1);
    EXPECT_NE(insert->it_Header.ih_Flags & DXFItemPicked, 0u);
    EXPECT_NE(scene.drawing->dxf_BlockItemBuffer.ib_Items[1]->it_Header.ih_Flags & DXFItemPicked, 0u);
    EXPECT_EQ(ClearDXFPick(scene.drawing.get()), 1);
}

// Items of a layout (paper space) are not drawn and not picked.
TEST(RenderPipeline, LayoutItemsAreNeitherDrawnNorPicked)
{
    Scene scene;
    Pool* pool = scene.drawing.pool();
    scene.add(make_line(pool, 10, 10, 90, 10));
    ItemRec* sheet = scene.add(make_line(pool, 10, 50, 90, 50));
    sheet->it_Header.ih_Space = 1;
    scene.show();
    EXPECT_EQ(scene.lit(), 81);
    EXPECT_EQ(scene.at(50, kSide - 50), kBlack);
    EXPECT_EQ(PickDXF(scene.surface.dc(), scene.drawing.get(), 50, kSide - 50, 3, 3), 1);
    EXPECT_EQ(ClearDXFPick(scene.drawing.get()), 0);
}

// Blocks defined after the first draw nest deeper than the stack made then.
TEST(RenderPipeline, ExpansionStackGrowsWithBlocksAddedLater)
{
    Scene scene;
    Pool* pool = scene.drawing.pool();
    add_block_definition(scene.drawing, "FIRST", {make_point_item(pool, 5, 5)});
    scene.add(make_block_insert(scene.drawing, "FIRST", Point3DRec{0, 0, 0}));
    scene.show();
    ASSERT_NE(scene.drawing->dxf_BlockStack, nullptr);

    constexpr int kDepth = 24;
    add_block_definition(scene.drawing, "C23", {make_point_item(pool, 50, 50)});
    for (int level = kDepth - 2; level >= 0; --level) {
        const std::string inner = "C" + std::to_string(level + 1);
        ItemRec* nested = make_block_insert(scene.drawing, inner.c_str(), Point3DRec{1, 0, 0});
        add_block_definition(scene.drawing, ("C" + std::to_string(level)).c_str(), {nested});
    }
    scene.add(make_block_insert(scene.drawing, "C0", Point3DRec{0, 0, 0}));
    scene.show();

    EXPECT_EQ(scene.at(5, 95), kWhitePixel);
    EXPECT_EQ(scene.at(50 + kDepth - 1, 50), kWhitePixel);
    EXPECT_EQ(scene.lit(), 2);
}

// Every placement of a circular array lies on the circle moved by the block's base
// point, the draw offset and the origin of the enclosing block, not only the first.
TEST(RenderPipeline, CircularArrayPlacementsKeepBaseOffsetAndEnclosingOrigin)
{
    Scene scene;
    Pool* pool = scene.drawing.pool();
    add_block_definition(scene.drawing, "RING", {make_point_item(pool, 0, 0)}, Point3DRec{2, 3, 0});
    ItemRec* ring = make_block_insert(scene.drawing, "RING", Point3DRec{0, 0, 0});
    set_circular_array(ring->it_Insert, Point3DRec{0, 0, 0}, 10.0, Point3DRec{10, 0, 0}, kPi / 2, 4);
    add_block_definition(scene.drawing, "OUTER", {ring});
    scene.add(make_block_insert(scene.drawing, "OUTER", Point3DRec{40, 40, 0}));
    Point3DRec offset{5, 0, 0};

    DrawDXFDrawing(scene.surface.dc(), scene.drawing.get(), &scene.view, &offset, nullptr, 0.0);

    EXPECT_EQ(scene.lit(), 4);
    const int expected[4][2] = {{57, 43}, {47, 53}, {37, 43}, {47, 33}};
    for (const auto& point : expected)
        EXPECT_EQ(scene.at(point[0], kSide - point[1]), kWhitePixel) << point[0] << "," << point[1];
}

TEST(RenderPipeline, XLineInBlockIsDrawnForRectangularAndCircularPlacements)
{
    Scene scene;
    ItemRec* xline = CreateItem(DXFItemXLine, 0, 0, 0, 0, scene.drawing.pool());
    xline->it_Ray = RayRec{{0, 0, 0}, {1, 0, 0}};
    add_block_definition(scene.drawing, "X", {xline});
    scene.add(make_block_insert(scene.drawing, "X", Point3DRec{0, 30, 0}));
    ItemRec* circular = scene.add(make_block_insert(scene.drawing, "X", Point3DRec{0, 0, 0}));
    set_circular_array(circular->it_Insert, Point3DRec{0, 50, 0}, 10.0, Point3DRec{0, 60, 0},
                       kPi, 2);

    scene.show();

    for (int y : {30, 60, 40}) {
        SCOPED_TRACE(y);
        for (int x = 0; x < kSide; ++x)
            ASSERT_EQ(scene.at(x, kSide - y), kWhitePixel) << x;
    }
    EXPECT_EQ(scene.lit(), 3 * kSide);
}

// Items of a block follow the INSERT that expands it: its highlight and exclusion, but
// not those of the INSERTs around it.
TEST(RenderPipeline, HighlightAndExclusionComeFromTheInnermostInsert)
{
    constexpr uint32_t kHighlight = 0x00FFFF;
    struct Case {
        const char* name;
        uint32_t outer_flags;
        uint32_t before;  // pixel of the outer block's line before the nested INSERT
        uint32_t nested;  // pixel of the nested block's line
        uint32_t after;   // pixel of the outer block's line after it
    };
    const Case cases[] = {
        {"highlighted", DXFItemHighlighted, pixel_of(kHighlight), kWhitePixel, pixel_of(kHighlight)},
        {"excluded", DXFItemExcluded, kBlack, kWhitePixel, kBlack},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        Scene scene;
        Pool* pool = scene.drawing.pool();
        add_block_definition(scene.drawing, "INNER", {make_line(pool, 10, 40, 90, 40)});
        ItemRec* nested = make_block_insert(scene.drawing, "INNER", Point3DRec{0, 0, 0});
        add_block_definition(scene.drawing, "OUTER",
                             {make_line(pool, 10, 20, 90, 20), nested, make_line(pool, 10, 60, 90, 60)});
        ItemRec* outer = scene.add(make_block_insert(scene.drawing, "OUTER", Point3DRec{0, 0, 0}));
        outer->it_Header.ih_Flags = row.outer_flags;
        SetDXFHighlightColour(scene.drawing.get(), kHighlight);

        scene.show();

        EXPECT_EQ(scene.at(50, 80), row.before);
        EXPECT_EQ(scene.at(50, 60), row.nested);
        EXPECT_EQ(scene.at(50, 40), row.after);
    }
}

// An ELLIPSE running clockwise (as extrusion towards -z leaves it) covers the part of
// the curve from its start clockwise to its end, not the complementary part.
TEST(RenderPipeline, ClockwiseEllipseDrawsItsOwnPart)
{
    Scene scene;
    ItemRec* ellipse = scene.add(CreateItem(DXFItemEllipse, 0, 0, 0, 0, scene.drawing.pool()));
    ellipse->it_Ellipse = EllipseRec{{50, 50, 0}, {30, 0, 0}, 0.5, 0.0, kPi / 2, 0.0, -1};

    scene.show();

    EXPECT_EQ(scene.at(20, 50), kWhitePixel);  // t = pi, on the clockwise sweep
    EXPECT_EQ(scene.at(50, 65), kWhitePixel);  // t = 3 pi / 2
    // t = pi / 4 lies on the counter-clockwise part only.
    const int x = static_cast<int>(std::lround(50 + 30 * std::cos(kPi / 4)));
    const int y = static_cast<int>(std::lround(50 + 15 * std::sin(kPi / 4)));
    EXPECT_EQ(scene.at(x, kSide - y), kBlack);
}

// ---- Draw transform ------------------------------------------------------------------------

TEST(RenderPipeline, QuarterTurnUsesExactCosineAndSine)
{
    Scene scene;
    scene.set_window(-50, -50, 50, 50);
    Pool* pool = scene.drawing.pool();
    scene.add(make_point_item(pool, 30, 0));
    const int32_t block = add_block_definition(scene.drawing, "B", {make_point_item(pool, 0, 20)});
    scene.add(make_block_insert(scene.drawing, "B", Point3DRec{0, 0, 0}));

    DrawDXFDrawing(scene.surface.dc(), scene.drawing.get(), &scene.view, nullptr, nullptr, kPi / 2);

    // (30, 0) turns to (0, 30); the block's (0, 20) to (-20, 0).
    EXPECT_EQ(scene.at(50, 20), kWhitePixel);
    EXPECT_EQ(scene.at(30, 50), kWhitePixel);
    EXPECT_EQ(scene.lit(), 2);
    const BlockRec& placed = scene.drawing->dxf_BlockItemBuffer.ib_Items[block]->it_Block;
    EXPECT_EQ(placed.bk_Cos, 0.0);
    EXPECT_EQ(placed.bk_Sin, 1.0);
}

// The draw transform moves a block's insertion point, its array steps and its circular
// placements exactly as it moves the top-level items around them.
TEST(RenderPipeline, InsertsFollowTheDrawTransformLikeTopLevelItems)
{
    Scene scene;
    scene.set_window(-50, -50, 50, 50);
    Pool* pool = scene.drawing.pool();
    add_block_definition(scene.drawing, "B", {make_point_item(pool, 0, 0)});
    for (const double y : {2.0, 6.0})
        scene.add(make_point_item(pool, 4, y));
    ItemRec* column = scene.add(make_block_insert(scene.drawing, "B", Point3DRec{4, 2, 0}));
    column->it_Insert.in_Rows = 2;
    column->it_Insert.in_RowSpacing = 4;
    scene.add(make_point_item(pool, -8, 0));
    ItemRec* ring = scene.add(make_block_insert(scene.drawing, "B", Point3DRec{0, 0, 0}));
    set_circular_array(ring->it_Insert, Point3DRec{0, 0, 0}, 8.0, Point3DRec{8, 0, 0}, kPi, 2);
    Point3DRec offset{1, 3, 0};
    Point3DRec scale{3, 3, 1};

    DrawDXFDrawing(scene.surface.dc(), scene.drawing.get(), &scene.view, &offset, &scale, kPi / 2);

    // Every block placement lands on a top-level point: (4, 2) and (4, 6) go to
    // (-5, 15) and (-17, 15), (-8, 0) to (1, -21); the ring's first copy (8, 0) to
    // (1, 27).
    EXPECT_EQ(scene.lit(), 4);
    const int expected[4][2] = {{-5, 15}, {-17, 15}, {1, -21}, {1, 27}};
    for (const auto& point : expected)
        EXPECT_EQ(scene.at(point[0] + 50, 50 - point[1]), kWhitePixel) << point[0] << "," << point[1];
}

// ---- Filled renderers -------------------------------------------------------------------------

TEST(RenderPipeline, FilledRenderersFillClosedItemsAndOutlineTheRest)
{
    constexpr uint32_t kBrush = 0xFF8000;
    Scene scene;
    Pool* pool = scene.drawing.pool();
    using halvern_test::vertex;
    ItemRec* square = scene.add(halvern_test::make_polyline(
        pool, {vertex(10, 10), vertex(40, 10), vertex(40, 40), vertex(10, 40), vertex(10, 10)}));
    square->it_Polyline.pl_Flags = 1;
    scene.add(make_circle(pool, 70, 70, 12));
    scene.add(halvern_test::make_polyline(
        pool, {vertex(10, 60), vertex(10, 90), vertex(40, 90), vertex(40, 60)}));
    gdi_test::Selected brush(scene.surface.dc(), CreateSolidBrush(kBrush));

    ShowDXFDrawingFilled(scene.surface.dc(), scene.drawing.get(), &scene.view);

    EXPECT_EQ(scene.at(25, 75), pixel_of(kBrush)); // inside the square
    EXPECT_EQ(scene.at(70, 30), pixel_of(kBrush)); // inside the circle
    EXPECT_EQ(scene.at(25, 25), kBlack);            // inside the open polyline
    EXPECT_EQ(scene.at(10, 25), kWhitePixel);       // its outline
    EXPECT_EQ(scene.at(25, 10), kWhitePixel);
}

// Under a mirroring placement every bulged edge is still traced from its first vertex,
// so the outline stays one figure and fills whole.
TEST(RenderPipeline, MirroredBlockFillsItsBulgedOutline)
{
    constexpr uint32_t kBrush = 0xFF8000;
    Scene scene;
    using halvern_test::vertex;
    ItemRec* shape = halvern_test::make_polyline(
        scene.drawing.pool(),
        {vertex(0, 0, 0.4), vertex(30, 0), vertex(30, 30, 0.4), vertex(0, 30), vertex(0, 0)});
    shape->it_Polyline.pl_Flags = 1;
    add_block_definition(scene.drawing, "S", {shape});
    ItemRec* insert = scene.add(make_block_insert(scene.drawing, "S", Point3DRec{65, 35, 0}));
    insert->it_Insert.in_Scale = Point3DRec{-1, 1, 1};
    gdi_test::Selected brush(scene.surface.dc(), CreateSolidBrush(kBrush));

    ShowDXFDrawingFilled(scene.surface.dc(), scene.drawing.get(), &scene.view);

    // The block's (15, 15), (15, -4) inside the lower bulge and (15, 34) inside the
    // upper one land at (50, 50), (50, 31) and (50, 69).
    EXPECT_EQ(scene.at(50, 50), pixel_of(kBrush));
    EXPECT_EQ(scene.at(50, 69), pixel_of(kBrush));
    EXPECT_EQ(scene.at(50, 31), pixel_of(kBrush));
    EXPECT_EQ(scene.at(50, 25), kBlack);
}

TEST(RenderPipeline, FilledPassRecordsOnePathOfClosedFigures)
{
    Drawing drawing;
    drawing->dxf_DrwgSize = Rectangle2DRec{{0, 0}, {100, 100}};
    AddItem(drawing.get(), &drawing->dxf_ItemBuffer, make_circle(drawing.pool(), 30, 30, 10));
    AddItem(drawing.get(), &drawing->dxf_ItemBuffer, make_circle(drawing.pool(), 70, 70, 10));
    AddItem(drawing.get(), &drawing->dxf_ItemBuffer, make_line(drawing.pool(), 0, 50, 100, 50));
    HDC dc = platform_create_recording_dc(100, 100);
    RectangleRec view{0, 0, 100, 100};

    ShowDXFDrawingFilled(dc, drawing.get(), &view);

    const std::string log = gdi_test::recording_log(dc);
    const size_t begin = log.find("BeginPath()");
    const size_t fill = log.find("StrokeAndFillPath()");
    ASSERT_NE(begin, std::string::npos) << log;
    ASSERT_NE(fill, std::string::npos) << log;
    const std::string path = log.substr(begin, fill - begin);
    size_t figures = 0;
    for (size_t at = path.find("CloseFigure()"); at != std::string::npos;
         at = path.find("CloseFigure()", at + 1))
        ++figures;
    EXPECT_EQ(figures, 2u) << path;
    // The line is no closed item: it comes after the fill, in the outline pass.
    EXPECT_EQ(path.find("LineTo(100, 50)"), std::string::npos) << path;
    EXPECT_NE(log.find("LineTo(100, 50)", fill), std::string::npos) << log;
    DeleteDC(dc);
}

// ---- Block renderers -------------------------------------------------------------------------

// Window (-50, -50)-(50, 50) on 100 by 100 pixels: (x, y) lands on (x + 50, 50 - y).
TEST(BlockRendering, BasePointStaysUnderTheDrawTransform)
{
    struct Case {
        const char* name;
        bool draw;
        int x;
        int y;
    };
    // Block base (3, 4), member (5, 2): shown at (8, 6); drawn turned by pi/2, scaled
    // by 2 and moved by (10, 0) at (-2 * 2 + 3 + 10, 2 * 5 + 4).
    const Case cases[] = {{"ShowDXFBlock", false, 8, 6}, {"DrawDXFBlock", true, 9, 14}};
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        Scene scene;
        scene.set_window(-50, -50, 50, 50);
        add_block_definition(scene.drawing, "B", {make_point_item(scene.drawing.pool(), 5, 2)},
                             Point3DRec{3, 4, 0});
        Point3DRec offset{10, 0, 0};
        Point3DRec scale{2, 2, 1};
        if (row.draw)
            DrawDXFBlock(scene.surface.dc(), scene.drawing.get(), &scene.view, "B", &offset, &scale, kPi / 2);
        else
            ShowDXFBlock(scene.surface.dc(), scene.drawing.get(), &scene.view, "B");
        EXPECT_EQ(scene.lit(), 1);
        EXPECT_EQ(scene.at(row.x + 50, 50 - row.y), kWhitePixel);
    }
}

TEST(BlockRendering, DrawsOnlyTheNamedBlockFoundWhateverItsCase)
{
    Scene scene;
    Pool* pool = scene.drawing.pool();
    scene.add(make_line(pool, 10, 10, 90, 10));
    add_block_definition(scene.drawing, "Part", {make_point_item(pool, 20, 50)});
    add_block_definition(scene.drawing, "PART", {make_point_item(pool, 80, 50)});

    ShowDXFBlock(scene.surface.dc(), scene.drawing.get(), &scene.view, "pArT");

    EXPECT_EQ(scene.at(20, 50), kWhitePixel);
    EXPECT_EQ(scene.lit(), 1);
}

TEST(BlockRendering, UnknownOrOnlyReferencedBlocksDrawNothing)
{
    Drawing drawing;
    drawing->dxf_DrwgSize = Rectangle2DRec{{0, 0}, {100, 100}};
    AddBlockIdentifier(&drawing->dxf_BlockIdentifierBuffer, "REF", -1, 0);
    BlockIdentifierRec* reference = drawing->dxf_BlockIdentifierBuffer.bib_Blocks[0];
    reference->bi_Label = AllocStr(0, "LABEL");
    reference->bi_LabelPos = Point2DRec{10, 10};
    reference->bi_LabelAttr = DXFFontRec{AllocStr(0, "Arial"), 10.0, 0, 0xFFFFFF};
    HDC dc = platform_create_recording_dc(100, 100);
    RectangleRec view{0, 0, 100, 100};

    for (const char* name : {"REF", "NONE", static_cast<const char*>(nullptr)}) {
        SCOPED_TRACE(name != nullptr ? name : "NULL");
        platform_recording_dc_clear(dc);
        ShowDXFBlock(dc, drawing.get(), &view, name);
        const std::string log = gdi_test::recording_log(dc);
        EXPECT_EQ(log.find("TextOutA"), std::string::npos) << log;
        EXPECT_EQ(log.find("LineTo"), std::string::npos) << log;
        EXPECT_EQ(drawing->dxf_Device, dc);
    }
    DeleteDC(dc);
}

TEST(BlockRendering, EmptyBlockDrawsItsLabelOnly)
{
    Drawing drawing;
    drawing->dxf_DrwgSize = Rectangle2DRec{{0, 0}, {100, 100}};
    add_block_definition(drawing, "E", {});
    BlockIdentifierRec* identifier = drawing->dxf_BlockIdentifierBuffer.bib_Blocks[0];
    identifier->bi_Label = AllocStr(0, "LABEL");
    identifier->bi_LabelPos = Point2DRec{10, 20};
    identifier->bi_LabelAttr = DXFFontRec{AllocStr(0, "Arial"), 12.0, 0, 0x00FF00};
    HDC dc = platform_create_recording_dc(100, 100);
    RectangleRec view{0, 0, 100, 100};

    ShowDXFBlockFilled(dc, drawing.get(), &view, "E");

    const std::string log = gdi_test::recording_log(dc);
    EXPECT_EQ(log.find("LineTo"), std::string::npos) << log;
    const size_t text = log.find("TextOutA(10, 80, \"LABEL\")");
    EXPECT_NE(text, std::string::npos) << log;
    // Once: in the outline pass, not in the fill pass.
    EXPECT_EQ(log.find("TextOutA", text + 1), std::string::npos) << log;
    DeleteDC(dc);
}

TEST(BlockRendering, HiddenInsertTypeSkipsOnlyNestedInserts)
{
    Scene scene;
    Pool* pool = scene.drawing.pool();
    add_block_definition(scene.drawing, "INNER", {make_point_item(pool, 80, 50)});
    ItemRec* nested = make_block_insert(scene.drawing, "INNER", Point3DRec{0, 0, 0});
    add_block_definition(scene.drawing, "OUTER", {make_point_item(pool, 20, 50), nested});
    scene.drawing->dxf_ItemFlags[DXFItemInsert] |= 1;

    ShowDXFBlock(scene.surface.dc(), scene.drawing.get(), &scene.view, "OUTER");

    EXPECT_EQ(scene.at(20, 50), kWhitePixel);
    EXPECT_EQ(scene.lit(), 1);
}

// A block whose members are stored in drawing coordinates lands on the pixels the same
// items get when the drawing itself is shown through any zoom window.
TEST(BlockRendering, ShowDXFBlockOverlaysTheDrawingExactly)
{
    Scene drawn;
    Scene overlaid;
    for (Scene* scene : {&drawn, &overlaid})
        scene->set_window(13.3, 7.1, 63.3, 57.1);
    auto items = [](Pool* pool) {
        return std::vector<ItemRec*>{make_line(pool, 14.2, 9.9, 61.7, 44.4),
                                     make_circle(pool, 40.4, 30.3, 11.1),
                                     make_point_item(pool, 20.5, 50.5)};
    };
    for (ItemRec* item : items(drawn.drawing.pool()))
        drawn.add(item);
    const std::vector<ItemRec*> members = items(overlaid.drawing.pool());
    add_block_definition(overlaid.drawing, "TOOLS", {members[0], members[1], members[2]});

    drawn.show();
    ShowDXFBlock(overlaid.surface.dc(), overlaid.drawing.get(), &overlaid.view, "TOOLS");

    EXPECT_GT(drawn.lit(), 0);
    EXPECT_EQ(drawn.surface.snapshot(), overlaid.surface.snapshot());
}

TEST(RenderPipeline, BlockArcsFollowEveryPlacementInTurn)
{
    // The renderer works out the shape of a placement once and keeps it for the next
    // arc: a drawing of several differently placed INSERTs must still draw each one as
    // a drawing of that INSERT alone does.
    struct Placement {
        Point3DRec point;
        double rotation;
        Point3DRec scale;
    };
    const Placement placements[] = {
        {{30, 30, 0}, 0.0, {1, 1, 1}},
        {{70, 30, 0}, 0.0, {-1, 1, 1}},        // mirrored: the arc's ends change places
        {{30, 70, 0}, kPi / 6, {1.5, 1.5, 1}}, // turned and scaled alike
        {{70, 70, 0}, 0.0, {1.5, 0.75, 1}},   // unequal scales: an ellipse
        {{50, 50, 0}, 0.0, {1, 1, 1}},         // the first shape again
    };
    auto add_block = [](Drawing& drawing) {
        using halvern_test::vertex;
        add_block_definition(
            drawing, "ARCS",
            {halvern_test::make_arc(drawing.pool(), Point3DRec{0, 0, 0}, 12, 0.2, 2.0, 1),
             halvern_test::make_polyline(drawing.pool(),
                                         {vertex(-10, -10, 0.6), vertex(10, -10, -0.4), vertex(10, 5)})});
    };
    Scene together;
    add_block(together.drawing);
    Scene alone;
    for (const Placement& placement : placements) {
        together.add(halvern_test::make_placed_insert(together.drawing, "ARCS", placement.point,
                                                      placement.rotation, placement.scale));
        // Each INSERT alone in a drawing of its own, drawn onto the same surface.
        Drawing single;
        add_block(single);
        AddItem(single.get(), &single->dxf_ItemBuffer,
                halvern_test::make_placed_insert(single, "ARCS", placement.point,
                                                 placement.rotation, placement.scale));
        single->dxf_DrwgSize = alone.drawing->dxf_DrwgSize;
        ShowDXFDrawing(alone.surface.dc(), single.get(), &alone.view);
    }
    together.show();
    EXPECT_GT(together.lit(), 0);
    EXPECT_EQ(together.surface.snapshot(), alone.surface.snapshot());
}

TEST(RenderPipeline, BulgeArcsBelowAPixelDrawTheirCentresPixel)
{
    // A top-level bulge far below a pixel is drawn as its centre's pixel without the
    // arc being worked out; the same polylines placed through a plain INSERT still
    // take the arc, so both drawings must make the very same calls. The polylines
    // straddle pixel edges, run in both directions and cover half circles, tiny and
    // huge bulges and chords at the tolerance.
    struct Shape {
        double x, y, dx, dy, bulge;
    };
    std::vector<Shape> shapes{
        {10.45, 20.45, 0.05, 0.0, 0.5},   {10.49, 30.2, 0.02, 0.01, -0.8},
        {40.5, 40.5, 0.1, 0.1, 1.0},      {50.2, 60.7, -0.1, 0.05, -1.0},
        {60.1, 10.1, 0.3, 0.0, 0.001},    {70.3, 70.3, 0.001, 0.001, 900.0},
        {80.3, 80.3, 0.001, 0.0, 2000.0}, {20.2, 80.2, 3e-6, 0.0, 0.5},
        {30.25, 50.25, 0.0, 0.0, 0.5},    {90.2, 90.4, 0.2, -0.3, 0.3},
    };
    // And a spread of small ones, some of which cross a pixel edge.
    uint32_t seed = 12345;
    const auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<double>(seed >> 8) / 16777216.0;
    };
    for (int i = 0; i < 300; ++i)
        shapes.push_back({5 + 90 * next(), 5 + 90 * next(), 0.6 * next() - 0.3,
                          0.6 * next() - 0.3, 4 * next() - 2});
    auto add_shapes = [&shapes](Drawing& drawing, std::vector<ItemRec*>& out) {
        using halvern_test::vertex;
        for (const Shape& shape : shapes)
            out.push_back(halvern_test::make_polyline(
                drawing.pool(), {vertex(shape.x, shape.y, shape.bulge),
                                 vertex(shape.x + shape.dx, shape.y + shape.dy, -shape.bulge),
                                 vertex(shape.x, shape.y)}));
    };
    auto log_of = [](Drawing& drawing) {
        drawing->dxf_DrwgSize = Rectangle2DRec{{0, 0}, {100, 100}};
        HDC dc = platform_create_recording_dc(100, 100);
        RectangleRec view{0, 0, 100, 100};
        ShowDXFDrawing(dc, drawing.get(), &view);
        std::string log = gdi_test::recording_log(dc);
        DeleteDC(dc);
        return log;
    };
    Drawing top;
    std::vector<ItemRec*> items;
    add_shapes(top, items);
    for (ItemRec* item : items)
        AddItem(top.get(), &top->dxf_ItemBuffer, item);
    Drawing placed;
    std::vector<ItemRec*> members;
    add_shapes(placed, members);
    add_block_definition(placed, "SHAPES", {});
    // The members go between the BLOCK and its ENDBLK.
    ItemBufferRec& blocks = placed->dxf_BlockItemBuffer;
    ItemRec* end_block = blocks.ib_Items[blocks.ib_N - 1];
    blocks.ib_N -= 1;
    for (ItemRec* member : members)
        AddItem(placed.get(), &blocks, member);
    AddItem(placed.get(), &blocks, end_block);
    AddItem(placed.get(), &placed->dxf_ItemBuffer,
            make_block_insert(placed, "SHAPES", Point3DRec{0, 0, 0}));

    const std::string expected = log_of(placed);
    EXPECT_NE(expected.find("SetPixelV("), std::string::npos);
    EXPECT_EQ(log_of(top), expected);
}

// ---- Golden image -----------------------------------------------------------------------------

// Every drawn item type but TEXT (no font metrics are pinned) on a 400 by 300 surface,
// compared pixel by pixel with halvern/tests/data/render/every_item.png. Run the test
// with TARVEK_UPDATE_GOLDEN=1 to write the image anew after a deliberate change.
void build_every_item_drawing(Drawing& drawing)
{
    Pool* pool = drawing.pool();
    auto add = [&](ItemRec* item, int32_t colour) {
        item->it_Header.ih_Colour = colour;
        AddItem(drawing.get(), &drawing->dxf_ItemBuffer, item);
        return item;
    };
    using halvern_test::vertex;
    add(make_point_item(pool, 10, 10), 7);
    add(make_line(pool, 20, 10, 120, 60), 1);
    add(halvern_test::make_arc(pool, Point3DRec{60, 120, 0}, 40, 0.3, 2.5, 1), 2);
    add(halvern_test::make_arc(pool, Point3DRec{60, 120, 0}, 30, 0.5, 2.0, -1), 3);
    add(make_circle(pool, 160, 60, 25), 4);
    add(make_circle(pool, 190, 90, 1.5), 5);
    add(halvern_test::make_polyline(pool, {vertex(220, 20, 0.5), vertex(280, 20), vertex(280, 60, -0.8),
                                           vertex(240, 80), vertex(220, 20)}),
        6);
    ItemRec* ellipse = add(CreateItem(DXFItemEllipse, 0, 0, 0, 0, pool), 30);
    ellipse->it_Ellipse = EllipseRec{{330, 60, 0}, {50, 20, 0}, 0.4, 0.0, 2.0 * kPi, std::atan2(20.0, 50.0), 1};
    ItemRec* half = add(CreateItem(DXFItemEllipse, 0, 0, 0, 0, pool), 40);
    half->it_Ellipse = EllipseRec{{330, 150, 0}, {0, 30, 0}, 0.5, 0.0, kPi, kPi / 2, 1};
    add(halvern_test::make_spline(pool, {{20, 200, 0}, {60, 260, 0}, {100, 180, 0}, {140, 250, 0}},
                                  {0, 0, 0, 0, 1, 1, 1, 1}, {1, 1, 1, 1}),
        50);
    ItemRec* nurbs = drawing->dxf_ItemBuffer.ib_Items[drawing->dxf_ItemBuffer.ib_N - 1];
    nurbs->it_Spline.sp_StartParam = 0.0;
    nurbs->it_Spline.sp_EndParam = 1.0;
    ItemRec* fit = add(halvern_test::make_spline(pool, {{160, 200, 0}, {190, 260, 0}, {220, 210, 0}, {250, 280, 0}},
                                                 {0}, {1, 1, 1, 1}),
                       90);
    fit->it_Spline.sp_Flags = DXFSplineFitPoints;
    ItemRec* ray = add(CreateItem(DXFItemRay, 0, 0, 0, 0, pool), 130);
    ray->it_Ray = RayRec{{200, 150, 0}, {0.6, -0.8, 0}};
    ItemRec* xline = add(CreateItem(DXFItemXLine, 0, 0, 0, 0, pool), 170);
    xline->it_Ray = RayRec{{0, 290, 0}, {1, 0, 0}};

    add_block_definition(drawing, "SYMBOL",
                         {make_line(pool, -5, -5, 5, 5), make_line(pool, -5, 5, 5, -5),
                          make_circle(pool, 0, 0, 4)},
                         Point3DRec{1, 1, 0});
    ItemRec* grid = add(make_block_insert(drawing, "SYMBOL", Point3DRec{280, 200, 0}), 210);
    grid->it_Insert.in_Rows = 2;
    grid->it_Insert.in_Columns = 3;
    grid->it_Insert.in_RowSpacing = 20;
    grid->it_Insert.in_ColumnSpacing = 15;
    grid->it_Insert.in_Rotation = 0.4;
    ItemRec* ring = add(make_block_insert(drawing, "SYMBOL", Point3DRec{0, 0, 0}), 250);
    InsertRec& circular = ring->it_Insert;
    set_circular_array(circular, Point3DRec{100, 150, 0}, 25.0, Point3DRec{125, 150, 0},
                       kPi / 3, 5);
    circular.in_Scale = Point3DRec{1.5, 0.75, 1};
}

std::filesystem::path golden_path()
{
    return std::filesystem::path(TARVEK_RENDER_GOLDEN_DIR) / "every_item.png";
}

TEST(RenderGolden, EveryItemTypeMatchesTheStoredImage)
{
    constexpr int kWidth = 400;
    constexpr int kHeight = 300;
    Drawing drawing;
    build_every_item_drawing(drawing);
    drawing->dxf_DrwgSize = Rectangle2DRec{{0, 0}, {kWidth, kHeight}};
    gdi_test::MemorySurface surface(kWidth, kHeight);
    RectangleRec view{0, 0, kWidth - 1, kHeight - 1};

    ShowDXFDrawing(surface.dc(), drawing.get(), &view);

    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            image.setPixel(x, y, 0xFF000000u | surface.at(x, y));
    const char* update = std::getenv("TARVEK_UPDATE_GOLDEN");
    if (update != nullptr && std::strcmp(update, "1") == 0) {
        std::filesystem::create_directories(golden_path().parent_path());
        ASSERT_TRUE(image.save(QString::fromStdString(golden_path().string()), "PNG"));
        GTEST_SKIP() << "wrote " << golden_path();
    }
    QImage golden;
    ASSERT_TRUE(golden.load(QString::fromStdString(golden_path().string())))
        << "missing " << golden_path() << "; write it with TARVEK_UPDATE_GOLDEN=1";
    golden = golden.convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(golden.width(), kWidth);
    ASSERT_EQ(golden.height(), kHeight);
    int differing = 0;
    std::string first;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            if ((golden.pixel(x, y) & 0xFFFFFFu) == surface.at(x, y))
                continue;
            if (differing++ == 0)
                first = std::to_string(x) + "," + std::to_string(y);
        }
    }
    EXPECT_EQ(differing, 0) << "first differing pixel at " << first;
}

}
