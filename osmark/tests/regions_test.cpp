// Regions: combining boxes and regions, levels, the clip of a port, region ports.

#include "osmark/regions.h"

#include "osmark/bitmaps.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

bool operator==(const RectangleBox& a, const RectangleBox& b);

namespace {

struct RegionDeleter {
    void operator()(Region* region) const { DisposeRegion(region); }
};
using RegionPtr = std::unique_ptr<Region, RegionDeleter>;

RegionPtr region_of(std::initializer_list<RectangleBox> boxes)
{
    RegionPtr region(NewRegion());
    for (const RectangleBox& box : boxes)
        CombineRectRegion(region.get(), &box, RegionOpUnion);
    return region;
}

std::vector<RectangleBox> top_level(const Region* region)
{
    if (region->rg_Top < 0)
        return {};
    const RegionRectList* list = region->rg_Levels[region->rg_Top];
    return std::vector<RectangleBox>(list->rrl_Rects, list->rrl_Rects + list->rrl_Count);
}

// Pixels covered, and whether any pixel is covered twice.
int64_t covered_pixels(const Region* region, bool& overlapping)
{
    overlapping = false;
    int64_t area = 0;
    const std::vector<RectangleBox> rects = top_level(region);
    for (size_t i = 0; i < rects.size(); ++i) {
        area += int64_t{rects[i].x1 - rects[i].x0} * (rects[i].y1 - rects[i].y0);
        for (size_t j = i + 1; j < rects.size(); ++j) {
            RectangleBox both{};
            if (IntersectRectangle(&both, &rects[i], &rects[j]) != 0 && both.x1 > both.x0 &&
                both.y1 > both.y0)
                overlapping = true;
        }
    }
    return area;
}

}

// Found by argument lookup for RectangleBox, which lives in the global namespace.
bool operator==(const RectangleBox& a, const RectangleBox& b)
{
    return a.x0 == b.x0 && a.y0 == b.y0 && a.x1 == b.x1 && a.y1 == b.y1;
}

TEST(Rectangles, UnionAndIntersection)
{
    const RectangleBox a{0, 0, 10, 10};
    const RectangleBox touching{10, 0, 20, 10};
    const RectangleBox empty{5, 5, 5, 9};
    RectangleBox result{};
    EXPECT_EQ(IntersectRectangle(&result, &a, &touching), 1);
    EXPECT_TRUE(result == (RectangleBox{10, 0, 10, 10}));
    EXPECT_EQ(IntersectRectangle(&result, &a, &empty), 1);
    EXPECT_TRUE(result == a);
    const RectangleBox far{30, 30, 40, 40};
    EXPECT_EQ(IntersectRectangle(&result, &a, &far), 0);
    EXPECT_TRUE(result == (RectangleBox{0, 0, 0, 0}));
    EXPECT_EQ(UnionRectangle(&result, &a, &far), 1);
    EXPECT_TRUE(result == (RectangleBox{0, 0, 40, 40}));
    EXPECT_EQ(UnionRectangle(&result, &empty, &empty), 0);
}

TEST(Regions, CombiningKeepsTheRectanglesDisjoint)
{
    struct Case {
        int32_t op;
        RectangleBox second;
        int64_t area;
        size_t rectangles;
    };
    const Case cases[] = {
        {RegionOpUnion, {5, 5, 15, 15}, 175, 3},
        {RegionOpSubtract, {2, 2, 8, 8}, 64, 4},
        {RegionOpIntersection, {5, 5, 15, 15}, 25, 1},
        {RegionOpExclusiveOr, {5, 5, 15, 15}, 150, 4},
        {RegionOpExclusiveOr, {0, 0, 10, 10}, 0, 0},
        {RegionOpReplace, {1, 1, 2, 2}, 1, 1},
        {RegionOpUnion, {3, 3, 3, 8}, 100, 1},
        {RegionOpSubtract, {3, 3, 3, 8}, 100, 1},
        {RegionOpIntersection, {3, 3, 3, 8}, 100, 1},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.op);
        RegionPtr region = region_of({{0, 0, 10, 10}});
        CombineRectRegion(region.get(), &test.second, test.op);
        bool overlapping = true;
        EXPECT_EQ(covered_pixels(region.get(), overlapping), test.area);
        EXPECT_FALSE(overlapping);
        EXPECT_EQ(top_level(region.get()).size(), test.rectangles);
        // The bounds follow the level, also after exclusive or.
        RectangleBox bounds{};
        for (const RectangleBox& box : top_level(region.get()))
            UnionRectangle(&bounds, &bounds, &box);
        EXPECT_TRUE(region->rg_Bounds == bounds);
    }
    RegionPtr region = region_of({{0, 0, 10, 10}});
    const RectangleBox hole{2, 2, 8, 8};
    CombineRectRegion(region.get(), &hole, RegionOpSubtract);
    EXPECT_EQ(
        top_level(region.get()),
        (std::vector<RectangleBox>{{0, 0, 2, 10}, {2, 0, 8, 2}, {2, 8, 8, 10}, {8, 0, 10, 10}}));
}

TEST(Regions, ExclusiveOrAgainstManyRectanglesStaysDisjoint)
{
    // Pieces of the box that one rectangle's cut leaves are cut by the later ones too.
    RegionPtr region = region_of({{0, 0, 4, 4}, {6, 0, 10, 4}, {0, 6, 4, 10}, {6, 6, 10, 10}});
    const RectangleBox cross{2, 2, 8, 8};
    CombineRectRegion(region.get(), &cross, RegionOpExclusiveOr);
    bool overlapping = true;
    EXPECT_EQ(covered_pixels(region.get(), overlapping), 4 * 16 - 4 * 4 + (36 - 4 * 4));
    EXPECT_FALSE(overlapping);
}

TEST(Regions, IntersectingRegionsKeepsThePartsInAnySourceRectangle)
{
    RegionPtr destination = region_of({{0, 0, 10, 10}});
    RegionPtr source = region_of({{0, 0, 2, 2}, {8, 8, 10, 10}});
    CombineRegionRegion(destination.get(), source.get(), RegionOpIntersection);
    bool overlapping = true;
    EXPECT_EQ(covered_pixels(destination.get(), overlapping), 8);
    EXPECT_TRUE(destination->rg_Bounds == (RectangleBox{0, 0, 10, 10}));
}

TEST(Regions, LevelsPushPopAndOffset)
{
    RegionPtr region = region_of({{0, 0, 10, 10}});
    const RectangleBox small{2, 2, 4, 4};
    EXPECT_EQ(PushRectRegion(region.get(), &small, RegionOpIntersection), 1);
    EXPECT_EQ(region->rg_Top, 1);
    EXPECT_EQ(PointInRegion(region.get(), 5, 5), 0);
    OffsetRegion(region.get(), 10, 0);
    EXPECT_TRUE(region->rg_Bounds == (RectangleBox{12, 2, 14, 4}));
    EXPECT_EQ(PopRegion(region.get()), 1);
    EXPECT_EQ(PointInRegion(region.get(), 5, 5), 1);
    EXPECT_TRUE(region->rg_Bounds == (RectangleBox{0, 0, 10, 10}));
    EXPECT_EQ(PopRegion(region.get()), 1);
    EXPECT_EQ(PopRegion(region.get()), 0);
    // Many levels and many rectangles grow the slots and the lists.
    for (int i = 0; i < 12; ++i) {
        const RectangleBox box{i * 3, 0, i * 3 + 2, 2};
        PushRectRegion(region.get(), &box, RegionOpUnion);
    }
    for (int i = 0; i < 120; ++i) {
        const RectangleBox box{i * 3, 10, i * 3 + 2, 12};
        CombineRectRegion(region.get(), &box, RegionOpUnion);
    }
    EXPECT_EQ(top_level(region.get()).size(), 132u);
}

TEST(Regions, RegionPortGivesTheBlackArea)
{
    RastPort* rp = AllocRegionRastPort(4, 1);
    ASSERT_NE(rp, nullptr);
    SetRPPixel(rp, 1, 0, 0);
    SetRPPixel(rp, 2, 0, 0);
    RegionPtr region(NewRegion());
    FreeRegionRastPort(rp, region.get());
    EXPECT_EQ(top_level(region.get()), (std::vector<RectangleBox>{{1, 0, 3, 1}}));
}

TEST(Regions, RegionPortScanDoesNotStretchOverAWhiteRow)
{
    RastPort* rp = AllocRegionRastPort(3, 3);
    ASSERT_NE(rp, nullptr);
    SetRPPixel(rp, 0, 0, 0);
    SetRPPixel(rp, 0, 2, 0);
    RegionPtr region(NewRegion());
    FreeRegionRastPort(rp, region.get());
    EXPECT_EQ(PointInRegion(region.get(), 0, 1), 0);
    EXPECT_EQ(PointInRegion(region.get(), 0, 2), 1);
}
