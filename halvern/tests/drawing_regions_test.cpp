// Drawing regions: percent windows, mosaics of cells, strips of a fixed height, and
// drawing into several regions.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "../../platform/tests/gdi_test_support.h"
#include "drawing_fixture.h"
#include "halvern/halvern.h"

namespace {

using halvern_test::Drawing;

constexpr double kExact = 1e-9;
constexpr uint32_t kBlack = 0;

// A region no function would write: its fields tell whether it was filled.
DXFRegionRec untouched()
{
    DXFRegionRec region{};
    region.dr_ViewSize = RectangleRec{-7, -7, -7, -7};
    region.dr_Angle = -7.0;
    return region;
}

bool is_untouched(const DXFRegionRec& region)
{
    return region.dr_ViewSize.MinX == -7 && region.dr_Angle == -7.0;
}

void expect_window(const Rectangle2DRec& got, double x0, double y0, double x1, double y1)
{
    EXPECT_NEAR(got.min.x, x0, kExact);
    EXPECT_NEAR(got.min.y, y0, kExact);
    EXPECT_NEAR(got.max.x, x1, kExact);
    EXPECT_NEAR(got.max.y, y1, kExact);
}

void expect_plain_transform(const DXFRegionRec& region)
{
    EXPECT_EQ(region.dr_Offset.x, 0.0);
    EXPECT_EQ(region.dr_Offset.y, 0.0);
    EXPECT_EQ(region.dr_Offset.z, 0.0);
    EXPECT_EQ(region.dr_Scale.x, 1.0);
    EXPECT_EQ(region.dr_Scale.y, 1.0);
    EXPECT_EQ(region.dr_Scale.z, 1.0);
    EXPECT_EQ(region.dr_Angle, 0.0);
}

std::string text_of(const RectangleRec& r)
{
    return "(" + std::to_string(r.MinX) + ", " + std::to_string(r.MinY) + ", " +
           std::to_string(r.MaxX) + ", " + std::to_string(r.MaxY) + ")";
}

// ---- Percent windows -------------------------------------------------------------------

TEST(CreateRegions, WindowsArePercentOfTheExtentsUsedAsGiven)
{
    Drawing drawing;
    drawing->dxf_DrwgSize = Rectangle2DRec{{10, -20}, {210, 80}};
    RectangleRec rectangles[] = {{0, 0, 10, 10}, {1, 2, 3, 4}, {5, 6, 7, 8}, {9, 9, 9, 9}};
    double windows[][4] = {
        {0, 0, 100, 100}, {0, 0, 50, 100}, {150, -10, -50, 25}, {25, 50, 75, 50}};
    DXFRegionRec regions[4] = {untouched(), untouched(), untouched(), untouched()};

    ASSERT_EQ(CreateDXFRegions(drawing.get(), 4, rectangles, windows, regions), 0);

    expect_window(regions[0].dr_DrwgSize, 10, -20, 210, 80);
    expect_window(regions[1].dr_DrwgSize, 10, -20, 110, 80);
    // Past the extents and inverted: neither limited nor sorted.
    expect_window(regions[2].dr_DrwgSize, 310, -30, -90, 5);
    expect_window(regions[3].dr_DrwgSize, 60, 30, 160, 30);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(text_of(regions[i].dr_ViewSize), text_of(rectangles[i]));
        expect_plain_transform(regions[i]);
    }
}

TEST(CreateRegions, MissingArraysAreRefusedAndNoCountFillsNothing)
{
    Drawing drawing;
    RectangleRec rectangle{0, 0, 10, 10};
    double window[][4] = {{0, 0, 100, 100}};
    DXFRegionRec region = untouched();

    EXPECT_EQ(CreateDXFRegions(nullptr, 1, &rectangle, window, &region), 1);
    EXPECT_EQ(CreateDXFRegions(drawing.get(), 1, nullptr, window, &region), 1);
    EXPECT_EQ(CreateDXFRegions(drawing.get(), 1, &rectangle, nullptr, &region), 1);
    EXPECT_EQ(CreateDXFRegions(drawing.get(), 1, &rectangle, window, nullptr), 1);
    EXPECT_EQ(CreateDXFRegions(drawing.get(), 0, &rectangle, window, &region), 0);
    EXPECT_EQ(CreateDXFRegions(drawing.get(), -3, &rectangle, window, &region), 0);
    EXPECT_TRUE(is_untouched(region));
}

// ---- Mosaics ---------------------------------------------------------------------------

struct MosaicResult {
    int32_t result;
    std::vector<std::string> cells;
    std::vector<DXFRegionRec> regions;
};

MosaicResult mosaic(RectangleRec area, int32_t rows, int32_t columns, int32_t column_gap,
                    int32_t row_gap, int32_t corner, int32_t order = 0)
{
    Drawing drawing;
    drawing->dxf_DrwgSize = Rectangle2DRec{{0, 0}, {100, 100}};
    const size_t count = static_cast<size_t>(rows) * static_cast<size_t>(columns);
    // Region k shows the window k percent wide.
    std::vector<std::array<double, 4>> windows(count);
    for (size_t k = 0; k < count; ++k)
        windows[k] = {0, 0, static_cast<double>(k + 1), 100};
    MosaicResult out{};
    out.regions.assign(count, untouched());
    out.result =
        MosaicDXFRegions(drawing.get(), &area, rows, columns, column_gap, row_gap, corner, order,
                         reinterpret_cast<double(*)[4]>(windows.data()), out.regions.data());
    for (const DXFRegionRec& region : out.regions) {
        if (!is_untouched(region))
            out.cells.push_back(text_of(region.dr_ViewSize));
    }
    return out;
}

TEST(MosaicRegions, CornersChooseWhereCellsStartAndWhichWayTheyGo)
{
    struct Row {
        int32_t corner;
        std::vector<std::string> cells;
    };
    const Row rows[] = {
        {0,
         {"(0, 100, 100, 200)", "(100, 100, 200, 200)", "(200, 100, 300, 200)", "(0, 0, 100, 100)",
          "(100, 0, 200, 100)", "(200, 0, 300, 100)"}},
        {1,
         {"(200, 100, 300, 200)", "(100, 100, 200, 200)", "(0, 100, 100, 200)",
          "(200, 0, 300, 100)", "(100, 0, 200, 100)", "(0, 0, 100, 100)"}},
        {2,
         {"(0, 0, 100, 100)", "(100, 0, 200, 100)", "(200, 0, 300, 100)", "(0, 100, 100, 200)",
          "(100, 100, 200, 200)", "(200, 100, 300, 200)"}},
        {3,
         {"(200, 0, 300, 100)", "(100, 0, 200, 100)", "(0, 0, 100, 100)", "(200, 100, 300, 200)",
          "(100, 100, 200, 200)", "(0, 100, 100, 200)"}},
    };
    for (const Row& row : rows) {
        for (const int32_t order : {0, 1}) {
            SCOPED_TRACE("corner " + std::to_string(row.corner) + ", order " +
                         std::to_string(order));
            const MosaicResult got =
                mosaic(RectangleRec{0, 0, 300, 200}, 2, 3, 0, 0, row.corner, order);
            ASSERT_EQ(got.result, 0);
            EXPECT_EQ(got.cells, row.cells);
            for (size_t k = 0; k < got.regions.size(); ++k) {
                SCOPED_TRACE(k);
                expect_window(got.regions[k].dr_DrwgSize, 0, 0, static_cast<double>(k + 1), 100);
                expect_plain_transform(got.regions[k]);
            }
        }
    }
}

TEST(MosaicRegions, GapsSeparateCellsAndEdgesTruncateTowardZero)
{
    const MosaicResult gaps = mosaic(RectangleRec{0, 0, 310, 205}, 2, 3, 5, 5, 2);
    ASSERT_EQ(gaps.result, 0);
    EXPECT_EQ(gaps.cells,
              (std::vector<std::string>{"(0, 0, 100, 100)", "(105, 0, 205, 100)",
                                        "(210, 0, 310, 100)", "(0, 105, 100, 205)",
                                        "(105, 105, 205, 205)", "(210, 105, 310, 205)"}));

    // Thirds of 100 pixels left of the origin: -66.7 becomes -66, not -67.
    const MosaicResult thirds = mosaic(RectangleRec{-100, 0, 0, 10}, 1, 3, 0, 0, 2);
    ASSERT_EQ(thirds.result, 0);
    EXPECT_EQ(thirds.cells, (std::vector<std::string>{"(-100, 0, -66, 10)", "(-66, 0, -33, 10)",
                                                      "(-33, 0, 0, 10)"}));
}

TEST(MosaicRegions, RefusalsFillNothing)
{
    struct Row {
        const char* name;
        RectangleRec area;
        int32_t rows;
        int32_t columns;
        int32_t column_gap;
        int32_t corner;
        int32_t result;
    };
    const Row rows[] = {
        {"no rows", {0, 0, 300, 200}, 0, 3, 0, 2, 1},
        {"no columns", {0, 0, 300, 200}, 2, -1, 0, 2, 1},
        {"corner 4", {0, 0, 300, 200}, 2, 3, 0, 4, 1},
        {"corner -1", {0, 0, 300, 200}, 2, 3, 0, -1, 1},
        {"10 pixels in 20 columns", {0, 0, 10, 200}, 2, 20, 0, 2, 2},
        {"gaps eat the width", {0, 0, 300, 200}, 2, 3, 150, 2, 2},
        {"an inverted rectangle", {300, 0, 0, 200}, 2, 3, 0, 2, 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Drawing drawing;
        drawing->dxf_DrwgSize = Rectangle2DRec{{0, 0}, {100, 100}};
        RectangleRec area = row.area;
        std::vector<std::array<double, 4>> windows(64, std::array<double, 4>{0, 0, 100, 100});
        std::vector<DXFRegionRec> regions(64, untouched());
        EXPECT_EQ(MosaicDXFRegions(drawing.get(), &area, row.rows, row.columns, row.column_gap, 0,
                                   row.corner, 0, reinterpret_cast<double(*)[4]>(windows.data()),
                                   regions.data()),
                  row.result);
        for (const DXFRegionRec& region : regions)
            EXPECT_TRUE(is_untouched(region));
    }
}

TEST(MosaicRegions, MissingArgumentsAndMemory)
{
    Drawing drawing;
    RectangleRec area{0, 0, 300, 200};
    double windows[6][4] = {};
    DXFRegionRec regions[6];
    EXPECT_EQ(MosaicDXFRegions(nullptr, &area, 2, 3, 0, 0, 2, 0, windows, regions), 1);
    EXPECT_EQ(MosaicDXFRegions(drawing.get(), nullptr, 2, 3, 0, 0, 2, 0, windows, regions), 1);
    EXPECT_EQ(MosaicDXFRegions(drawing.get(), &area, 2, 3, 0, 0, 2, 0, nullptr, regions), 1);
    EXPECT_EQ(MosaicDXFRegions(drawing.get(), &area, 2, 3, 0, 0, 2, 0, windows, nullptr), 1);

    for (DXFRegionRec& region : regions)
        region = untouched();
    int32_t result = 0;
    {
        const halvern_test::FailingAllocations failing(0, 1);
        result = MosaicDXFRegions(drawing.get(), &area, 2, 3, 0, 0, 2, 0, windows, regions);
    }
    EXPECT_EQ(result, 3);
    for (const DXFRegionRec& region : regions)
        EXPECT_TRUE(is_untouched(region));

    // More cells than an array can hold: one pixel each over the whole 32-bit range.
    RectangleRec huge{-2000000000, -2000000000, 2000000000, 2000000000};
    EXPECT_EQ(MosaicDXFRegions(drawing.get(), &huge, 100000, 100000, 0, 0, 2, 0, windows, regions),
              3);
    EXPECT_TRUE(is_untouched(regions[0]));
}

// ---- Strips of a fixed height ----------------------------------------------------------

struct SpreadScene {
    Drawing drawing;
    RectangleRec rectangle{0, 0, 400, 200};
    std::vector<DXFRegionRec> regions = std::vector<DXFRegionRec>(8, untouched());

    SpreadScene() { drawing->dxf_DrwgSize = Rectangle2DRec{{0, 0}, {1000, 100}}; }
    int32_t spread(int32_t overlap, int32_t slack, int32_t maximum)
    {
        return SpreadDXFFixedHeight(drawing.get(), &rectangle, overlap, slack, maximum,
                                    regions.data());
    }
};

TEST(SpreadFixedHeight, StripsOverlapAndFillTheHeight)
{
    SpreadScene scene;
    ASSERT_EQ(scene.spread(20, 0, 8), 6);
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        expect_window(scene.regions[static_cast<size_t>(i)].dr_DrwgSize, 190.0 * i, 0,
                      190.0 * i + 200, 100);
        EXPECT_EQ(text_of(scene.regions[static_cast<size_t>(i)].dr_ViewSize), "(0, 0, 400, 200)");
        expect_plain_transform(scene.regions[static_cast<size_t>(i)]);
    }
    EXPECT_TRUE(is_untouched(scene.regions[6]));
}

TEST(SpreadFixedHeight, ASmallRestWidensTheStripsToTheEnd)
{
    SpreadScene scene;
    // 2001 pixels in strips of 380: a rest of 101 pixels.
    ASSERT_EQ(scene.spread(20, 200, 8), 5);
    const double scale = 1.92;
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        const double start = i * 380.0 / scale;
        expect_window(scene.regions[static_cast<size_t>(i)].dr_DrwgSize, start, 0,
                      start + 400.0 / scale, 200.0 / scale);
    }
    EXPECT_NEAR(scene.regions[4].dr_DrwgSize.max.x, 1000.0, kExact);
    EXPECT_NEAR(scene.regions[0].dr_DrwgSize.max.x, 208.33333333333334, kExact);
    EXPECT_TRUE(is_untouched(scene.regions[5]));

    // A rest of exactly the slack gets no strip; one pixel more does.
    EXPECT_EQ(scene.spread(20, 101, 8), 5);
    EXPECT_EQ(scene.spread(20, 100, 8), 6);
}

TEST(SpreadFixedHeight, MaximumLimitsWhatIsFilledNotTheCount)
{
    SpreadScene scene;
    EXPECT_EQ(scene.spread(20, 0, 2), 6);
    EXPECT_FALSE(is_untouched(scene.regions[0]));
    EXPECT_FALSE(is_untouched(scene.regions[1]));
    EXPECT_TRUE(is_untouched(scene.regions[2]));

    // A drawing shorter than one strip still needs one.
    scene.drawing->dxf_DrwgSize = Rectangle2DRec{{0, 0}, {10, 100}};
    EXPECT_EQ(scene.spread(20, 500, 8), 1);
}

TEST(SpreadFixedHeight, BadInputGivesZeroAndFillsNothing)
{
    struct Row {
        const char* name;
        Rectangle2DRec extents;
        RectangleRec rectangle;
        int32_t overlap;
        int32_t maximum;
    };
    const Row rows[] = {
        {"zero-width extents", {{5, 0}, {5, 100}}, {0, 0, 400, 200}, 20, 8},
        {"zero-height extents", {{0, 0}, {1000, 0}}, {0, 0, 400, 200}, 20, 8},
        {"inverted extents", {{1000, 0}, {0, 100}}, {0, 0, 400, 200}, 20, 8},
        {"overlap as wide as the rectangle", {{0, 0}, {1000, 100}}, {0, 0, 400, 200}, 400, 8},
        {"a rectangle without height", {{0, 0}, {1000, 100}}, {0, 0, 400, 0}, 20, 8},
        {"maximum 0", {{0, 0}, {1000, 100}}, {0, 0, 400, 200}, 20, 0},
        {"more strips than an int32_t", {{0, 0}, {1e300, 1}}, {0, 0, 400, 200}, 20, 8},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SpreadScene scene;
        scene.drawing->dxf_DrwgSize = row.extents;
        scene.rectangle = row.rectangle;
        EXPECT_EQ(scene.spread(row.overlap, 0, row.maximum), 0);
        EXPECT_TRUE(is_untouched(scene.regions[0]));
    }
    SpreadScene scene;
    EXPECT_EQ(SpreadDXFFixedHeight(nullptr, &scene.rectangle, 20, 0, 8, scene.regions.data()), 0);
    EXPECT_EQ(SpreadDXFFixedHeight(scene.drawing.get(), nullptr, 20, 0, 8, scene.regions.data()),
              0);
    EXPECT_EQ(SpreadDXFFixedHeight(scene.drawing.get(), &scene.rectangle, 20, 0, 8, nullptr), 0);
}

// ---- Drawing into regions --------------------------------------------------------------

// One drawing shown twice side by side: the right half is the left half moved by 100
// pixels, and the drawing keeps the last region's window.
TEST(ShowRegions, EachRegionShowsItsWindowInItsRectangle)
{
    Drawing drawing;
    drawing->dxf_DrwgSize = Rectangle2DRec{{0, 0}, {100, 100}};
    AddItem(drawing.get(), &drawing->dxf_ItemBuffer,
            halvern_test::make_line(drawing.pool(), 10, 20, 90, 70));
    // Black, as the background the renderers keep colours apart from.
    gdi_test::MemorySurface surface(200, 100);
    surface.fill(kBlack);
    RectangleRec area{0, 0, 200, 100};
    double windows[2][4] = {{0, 0, 100, 100}, {0, 0, 100, 100}};
    DXFRegionRec regions[2];
    ASSERT_EQ(MosaicDXFRegions(drawing.get(), &area, 1, 2, 0, 0, 2, 0, windows, regions), 0);
    // A window of the caller's zoom: each region shows its own window instead.
    drawing->dxf_DrwgSize = Rectangle2DRec{{-1000, -1000}, {1000, 1000}};

    ShowDXFDrawingRegion(surface.dc(), drawing.get(), 2, regions);

    std::vector<std::string> left;
    std::vector<std::string> right;
    int left_min_x = 100;
    int left_max_x = -1;
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 100; ++x) {
            if (surface.at(x, y) != kBlack) {
                left.push_back(std::to_string(x) + "," + std::to_string(y));
                left_min_x = std::min(left_min_x, x);
                left_max_x = std::max(left_max_x, x);
            }
            if (surface.at(x + 100, y) != kBlack)
                right.push_back(std::to_string(x) + "," + std::to_string(y));
        }
    }
    // The line from x = 10 to x = 90 spans the cell at one pixel per unit.
    EXPECT_NEAR(left_min_x, 10, 2);
    EXPECT_NEAR(left_max_x, 90, 2);
    EXPECT_EQ(left, right);
    expect_window(drawing->dxf_DrwgSize, 0, 0, 100, 100);
    EXPECT_EQ(text_of(drawing->dxf_ViewSize), "(100, 0, 200, 100)");

    // Nothing for no regions.
    const std::vector<uint32_t> before = surface.snapshot();
    ShowDXFDrawingRegion(surface.dc(), drawing.get(), 0, regions);
    ShowDXFDrawingRegion(surface.dc(), nullptr, 2, regions);
    ShowDXFDrawingRegion(surface.dc(), drawing.get(), 2, nullptr);
    EXPECT_EQ(surface.snapshot(), before);
}

}
