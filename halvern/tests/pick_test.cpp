// Picking: what a pick box hits, marks on the drawing's own records and INSERTs, the
// enumeration and clearing of marks, and what a pick leaves untouched.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "render/render_state.h"
#include "drawing_fixture.h"
#include "render_test_support.h"
#include "halvern/halvern.h"

namespace {

using halvern_test::add_block_definition;
using halvern_test::Drawing;
using halvern_test::make_block_insert;
using halvern_test::make_circle;
using halvern_test::make_line;
using halvern_test::make_point_item;

constexpr double kPi = 3.141592653589793;
constexpr int kSide = halvern_test::kSceneSide;

// A pick at pixel (px, py) looks around the point (px, 100 - py).
struct Scene : halvern_test::SceneBase {
    // A 4 by 4 pixel pick around the point (x, y) of the drawing.
    int32_t pick_at(double x, double y)
    {
        return PickDXF(surface.dc(), drawing.get(), static_cast<int32_t>(x),
                       static_cast<int32_t>(kSide - y), 4, 4);
    }
};

bool is_picked(const ItemRec* item)
{
    return (item->it_Header.ih_Flags & DXFItemPicked) != 0;
}

struct Report {
    ItemRec* insert;
    ItemRec* item;
};

int32_t record_report(ItemRec* insert, ItemRec* item, void* user)
{
    static_cast<std::vector<Report>*>(user)->push_back(Report{insert, item});
    return DXFStepContinue;
}

std::vector<Report> marked(Drawing& drawing)
{
    std::vector<Report> reports;
    StepDXFPick(drawing.get(), record_report, &reports);
    return reports;
}

// ---- What a pick hits ----------------------------------------------------------------------

TEST(Pick, HitsWhatPassesThroughTheBox)
{
    struct Case {
        const char* name;
        ItemRec* (*make)(Pool* pool);
        bool hit;
    };
    // The box spans (48, 48)-(52, 52).
    const Case cases[] = {
        {"a line crossing the box, neither end inside",
         [](Pool* pool) { return make_line(pool, 10, 10, 90, 90); }, true},
        {"a line passing just above the box", [](Pool* pool) { return make_line(pool, 10, 53, 90, 53); },
         false},
        {"a line ending on the box's edge", [](Pool* pool) { return make_line(pool, 10, 50, 48, 50); },
         true},
        {"a line ending on the box's corner", [](Pool* pool) { return make_line(pool, 10, 10, 48, 48); },
         true},
        {"a circle through the box", [](Pool* pool) { return make_circle(pool, 50, 20, 30); }, true},
        {"a circle around the box", [](Pool* pool) { return make_circle(pool, 50, 50, 30); }, false},
        {"a small circle inside the box", [](Pool* pool) { return make_circle(pool, 50, 50, 1); }, true},
        {"a point inside the box", [](Pool* pool) { return make_point_item(pool, 51, 49); }, true},
        {"a point beside the box", [](Pool* pool) { return make_point_item(pool, 55, 50); }, false},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        Scene scene;
        ItemRec* item = scene.add(row.make(scene.drawing.pool()));
        scene.show();
        EXPECT_EQ(scene.pick_at(50, 50), 1);
        EXPECT_EQ(is_picked(item), row.hit);
    }
}

TEST(Pick, ItemsThatAreNotDrawnAreNeverHit)
{
    for (const halvern_test::HiddenLineCase& row : halvern_test::kHiddenLineCases) {
        SCOPED_TRACE(row.name);
        Scene scene;
        ItemRec* line = scene.add(make_line(scene.drawing.pool(), 10, 50, 90, 50));
        scene.show();
        row.hide(*scene.drawing.get(), *line);
        EXPECT_EQ(scene.pick_at(50, 50), 1);
        EXPECT_FALSE(is_picked(line));
        EXPECT_EQ(ClearDXFPick(scene.drawing.get()), 0);
    }
}

TEST(Pick, TextIsHitByItsGlyphsNotByItsInsertionPoint)
{
    Scene scene;
    ItemRec* text = scene.add(halvern_test::make_text(scene.drawing.pool(), "HHHH"));
    text->it_Text.tx_Point = Point3DRec{20, 40, 0};
    text->it_Text.tx_Height = 20;
    scene.show();

    // Just below and left of the insertion point lies no glyph.
    EXPECT_EQ(PickDXF(scene.surface.dc(), scene.drawing.get(), 16, 64, 4, 4), 1);
    EXPECT_FALSE(is_picked(text));
    // A box across the middle of the text meets the strokes of its letters.
    EXPECT_EQ(PickDXF(scene.surface.dc(), scene.drawing.get(), 40, 52, 30, 6), 1);
    EXPECT_TRUE(is_picked(text));
}

// A pick passes over texts far from its box before it shapes them; a text is still hit
// at the glyph farthest from its insertion point: the end of a long one, one turned a
// quarter, one placed by its right end.
TEST(Pick, TextsAreHitAtTheirFarthestGlyphWhateverTheirTurnAndAlignment)
{
    struct Row {
        const char* name;
        double rotation;
        uint32_t flags;
        Point3DRec point;
    } rows[] = {
        {"left aligned", 0.0, 0, {5, 40, 0}},
        {"turned a quarter", kPi / 2, 0, {50, 5, 0}},
        {"right aligned", 0.0, DXFTextRight, {95, 40, 0}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Scene scene;
        ItemRec* text = scene.add(halvern_test::make_text(scene.drawing.pool(), "HHHHHHHHHHHH"));
        TextRec& record = text->it_Text;
        record.tx_Height = 6;
        record.tx_Rotation = row.rotation;
        record.tx_Point = row.point;
        record.tx_Point2 = row.point;
        record.tx_Flags = row.flags;
        const uint32_t background = scene.surface.at(0, 0);
        scene.show();
        // The inked pixel farthest from the insertion point.
        const int origin_x = static_cast<int>(row.point.x);
        const int origin_y = kSide - static_cast<int>(row.point.y);
        int far_x = origin_x;
        int far_y = origin_y;
        for (int y = 0; y < kSide; ++y) {
            for (int x = 0; x < kSide; ++x) {
                const auto distance = [&](int px, int py) {
                    return (px - origin_x) * (px - origin_x) + (py - origin_y) * (py - origin_y);
                };
                if (scene.surface.at(x, y) != background && distance(x, y) > distance(far_x, far_y)) {
                    far_x = x;
                    far_y = y;
                }
            }
        }
        ASSERT_GT((far_x - origin_x) * (far_x - origin_x) + (far_y - origin_y) * (far_y - origin_y), 30 * 30);
        EXPECT_EQ(PickDXF(scene.surface.dc(), scene.drawing.get(), far_x, far_y, 2, 2), 1);
        EXPECT_TRUE(is_picked(text));
    }
}

// ---- Marks ---------------------------------------------------------------------------------

TEST(Pick, MarksAddUpUntilCleared)
{
    Scene scene;
    ItemRec* low = scene.add(make_line(scene.drawing.pool(), 10, 20, 90, 20));
    ItemRec* high = scene.add(make_line(scene.drawing.pool(), 10, 80, 90, 80));
    scene.show();

    scene.pick_at(50, 20);
    scene.pick_at(50, 80);
    EXPECT_TRUE(is_picked(low));
    EXPECT_TRUE(is_picked(high));
    EXPECT_EQ(marked(scene.drawing).size(), 2u);

    EXPECT_EQ(ClearDXFPick(scene.drawing.get()), 1);
    EXPECT_FALSE(is_picked(low));
    EXPECT_FALSE(is_picked(high));
    EXPECT_EQ(ClearDXFPick(scene.drawing.get()), 0);
}

TEST(Pick, EmptySpaceRendersAndMarksNothing)
{
    Scene scene;
    scene.add(make_line(scene.drawing.pool(), 10, 20, 90, 20));
    scene.show();
    EXPECT_EQ(scene.pick_at(50, 60), 1);
    EXPECT_EQ(ClearDXFPick(scene.drawing.get()), 0);
    EXPECT_TRUE(marked(scene.drawing).empty());
}

// A hit inside an INSERT marks the block's own member and that INSERT; the member is
// then reported once for every visible INSERT of its block.
TEST(Pick, HitInBlockMarksMemberAndInsert)
{
    Scene scene;
    ItemRec* member = make_line(scene.drawing.pool(), 0, 0, 10, 0);
    add_block_definition(scene.drawing, "B", {member});
    ItemRec* first = scene.add(make_block_insert(scene.drawing, "B", Point3DRec{20, 50, 0}));
    ItemRec* second = scene.add(make_block_insert(scene.drawing, "B", Point3DRec{60, 50, 0}));
    ItemRec* hidden = scene.add(make_block_insert(scene.drawing, "B", Point3DRec{20, 80, 0}));
    hidden->it_Header.ih_Flags |= DXFItemHidden;
    scene.show();

    EXPECT_EQ(scene.pick_at(25, 50), 1);

    EXPECT_TRUE(is_picked(member));
    EXPECT_TRUE(is_picked(first));
    EXPECT_FALSE(is_picked(second));
    const std::vector<Report> reports = marked(scene.drawing);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].insert, first);
    EXPECT_EQ(reports[1].insert, second);
    EXPECT_EQ(reports[0].item, member);
    EXPECT_EQ(reports[1].item, member);
}

TEST(Pick, StepDXFPickStopsWhenTheCallbackSaysSo)
{
    Scene scene;
    scene.add(make_line(scene.drawing.pool(), 10, 50, 90, 50));
    scene.add(make_line(scene.drawing.pool(), 50, 10, 50, 90));
    scene.show();
    scene.pick_at(50, 50);
    int calls = 0;
    StepDXFPick(
        scene.drawing.get(),
        [](ItemRec*, ItemRec*, void* user) -> int32_t {
            ++*static_cast<int*>(user);
            return DXFStepStop;
        },
        &calls);
    EXPECT_EQ(calls, 1);
}

// ---- Block picks and draw transforms ----------------------------------------------------------

TEST(Pick, BlockPickMarksTheMemberOnly)
{
    Scene scene;
    ItemRec* member = make_line(scene.drawing.pool(), 40, 50, 60, 50);
    add_block_definition(scene.drawing, "B", {member});
    ItemRec* insert = scene.add(make_block_insert(scene.drawing, "B", Point3DRec{0, 20, 0}));
    scene.show();

    EXPECT_EQ(PickDXFBlock(scene.surface.dc(), scene.drawing.get(), "b", 50, 50, 4, 4), 1);
    EXPECT_TRUE(is_picked(member));
    EXPECT_FALSE(is_picked(insert));
    EXPECT_EQ(PickDXFBlock(scene.surface.dc(), scene.drawing.get(), "NONE", 50, 50, 4, 4), 1);
}

TEST(Pick, DrawTransformMovesWhatIsHit)
{
    Scene scene;
    scene.drawing->dxf_DrwgSize = Rectangle2DRec{{-50, -50}, {50, 50}};
    ItemRec* line = scene.add(make_line(scene.drawing.pool(), 10, 0, 20, 0));
    ItemRec* member = make_point_item(scene.drawing.pool(), 15, 0);
    add_block_definition(scene.drawing, "B", {member});
    Point3DRec offset{0, 5, 0};
    DrawDXFDrawing(scene.surface.dc(), scene.drawing.get(), &scene.view, &offset, nullptr, kPi / 2);

    // Turned by a quarter and moved up by 5 the line runs from (0, 15) to (0, 25):
    // pixels (50, 35) to (50, 25).
    EXPECT_EQ(PickDXFDrawing(scene.surface.dc(), scene.drawing.get(), &offset, nullptr, kPi / 2,
                             65, 50, 4, 4),
              1);
    EXPECT_FALSE(is_picked(line));
    EXPECT_EQ(PickDXFDrawing(scene.surface.dc(), scene.drawing.get(), &offset, nullptr, kPi / 2,
                             50, 30, 4, 4),
              1);
    EXPECT_TRUE(is_picked(line));
    EXPECT_EQ(PickDXFBlockDrawing(scene.surface.dc(), scene.drawing.get(), "B", &offset, nullptr,
                                  kPi / 2, 50, 30, 4, 4),
              1);
    EXPECT_TRUE(is_picked(member));
}

// ---- What a pick leaves alone -----------------------------------------------------------------

TEST(Pick, LeavesTheViewAndTheDeviceContextAsTheyWere)
{
    Scene scene;
    scene.add(make_line(scene.drawing.pool(), 10, 10, 90, 90));
    scene.add(make_circle(scene.drawing.pool(), 50, 50, 20));
    ItemRec* text = scene.add(halvern_test::make_text(scene.drawing.pool(), "TEXT"));
    text->it_Text.tx_Point = Point3DRec{30, 45, 0};
    text->it_Text.tx_Height = 10;
    add_block_definition(scene.drawing, "B", {make_line(scene.drawing.pool(), 0, 0, 10, 10)});
    scene.add(make_block_insert(scene.drawing, "B", Point3DRec{45, 45, 0}));
    scene.show();
    const DXFDrawingRec before = *scene.drawing.get();
    const std::vector<uint32_t> pixels = scene.surface.snapshot();

    EXPECT_EQ(scene.pick_at(50, 50), 1);
    EXPECT_EQ(PickDXFBlock(scene.surface.dc(), scene.drawing.get(), "B", 50, 50, 10, 10), 1);

    const DXFDrawingRec& after = *scene.drawing.get();
    EXPECT_EQ(std::memcmp(&after.dxf_DrwgSize, &before.dxf_DrwgSize, sizeof before.dxf_DrwgSize), 0);
    EXPECT_EQ(std::memcmp(&after.dxf_ViewSize, &before.dxf_ViewSize, sizeof before.dxf_ViewSize), 0);
    EXPECT_EQ(std::memcmp(&after.dxf_DrwgViewSize, &before.dxf_DrwgViewSize,
                          sizeof before.dxf_DrwgViewSize),
              0);
    EXPECT_EQ(after.dxf_XScale, before.dxf_XScale);
    EXPECT_EQ(after.dxf_YScale, before.dxf_YScale);
    EXPECT_EQ(after.dxf_XOffset, before.dxf_XOffset);
    EXPECT_EQ(after.dxf_YOffset, before.dxf_YOffset);
    EXPECT_EQ(after.dxf_Device, before.dxf_Device);
    EXPECT_EQ(after.dxf_PenColour, before.dxf_PenColour);
    EXPECT_EQ(scene.surface.snapshot(), pixels);
    EXPECT_EQ(ClearDXFPick(scene.drawing.get()), 1);
}

TEST(Pick, RestoresThePickSwitch)
{
    Scene scene;
    scene.add(make_line(scene.drawing.pool(), 10, 50, 90, 50));
    scene.show();
    for (const int32_t mode : {0, 1}) {
        halvern::RenderPickMode = mode;
        scene.pick_at(50, 50);
        EXPECT_EQ(halvern::RenderPickMode, mode);
    }
    halvern::RenderPickMode = 0;
}

TEST(Pick, EmptyBoxOrNullDrawingPicksNothing)
{
    Scene scene;
    ItemRec* line = scene.add(make_line(scene.drawing.pool(), 10, 50, 90, 50));
    scene.show();
    HDC dc = scene.surface.dc();
    EXPECT_EQ(PickDXF(dc, scene.drawing.get(), 50, 50, 0, 4), 0);
    EXPECT_EQ(PickDXF(dc, scene.drawing.get(), 50, 50, 4, 0), 0);
    EXPECT_EQ(PickDXFBlock(dc, scene.drawing.get(), "B", 50, 50, 0, 0), 0);
    EXPECT_FALSE(is_picked(line));
    EXPECT_EQ(PickDXF(dc, nullptr, 50, 50, 4, 4), 0);
    EXPECT_EQ(PickDXFDrawing(dc, nullptr, nullptr, nullptr, 0.0, 50, 50, 4, 4), 0);
    EXPECT_EQ(PickDXFBlock(dc, nullptr, "B", 50, 50, 4, 4), 0);
    EXPECT_EQ(PickDXFBlockDrawing(dc, nullptr, "B", nullptr, nullptr, 0.0, 50, 50, 4, 4), 0);
    EXPECT_EQ(ClearDXFPick(nullptr), 0);
    StepDXFPick(nullptr, record_report, nullptr);
    StepDXFPick(scene.drawing.get(), nullptr, nullptr);
    // A box at the very end of the coordinate range does not wrap around.
    EXPECT_EQ(PickDXF(dc, scene.drawing.get(), INT32_MAX, INT32_MIN, INT32_MAX, INT32_MAX), 1);
}

// The expansion stack a pick makes, or grows, belongs to the drawing afterwards and
// goes with FreeDXFDrawing; the sanitizer run catches a leak or a stale pointer.
TEST(Pick, ExpansionStackMadeOrGrownByAPickStaysWithTheDrawing)
{
    Scene scene;
    Pool* pool = scene.drawing.pool();
    add_block_definition(scene.drawing, "FIRST", {make_point_item(pool, 0, 0)});
    scene.add(make_block_insert(scene.drawing, "FIRST", Point3DRec{0, 0, 0}));
    ASSERT_EQ(scene.drawing->dxf_BlockStack, nullptr);

    EXPECT_EQ(scene.pick_at(50, 50), 1); // never drawn: a degenerate window
    ASSERT_NE(scene.drawing->dxf_BlockStack, nullptr);

    constexpr int kDepth = 24;
    ItemRec* deepest = make_line(pool, 40, 50, 60, 50);
    add_block_definition(scene.drawing, "C23", {deepest});
    for (int level = kDepth - 2; level >= 0; --level) {
        const std::string inner = "C" + std::to_string(level + 1);
        ItemRec* nested = make_block_insert(scene.drawing, inner.c_str(), Point3DRec{0, 0, 0});
        add_block_definition(scene.drawing, ("C" + std::to_string(level)).c_str(), {nested});
    }
    scene.add(make_block_insert(scene.drawing, "C0", Point3DRec{0, 0, 0}));
    // The view of a draw, without drawing: the pick itself has to grow the stack.
    scene.drawing->dxf_ViewSize = scene.view;
    SetDXFDrawingSize(scene.drawing.get(), 0, 0, kSide, kSide);
    const DXFBlockStackFrame* small = scene.drawing->dxf_BlockStack;

    EXPECT_EQ(scene.pick_at(50, 50), 1);
    EXPECT_TRUE(is_picked(deepest));
    EXPECT_NE(scene.drawing->dxf_BlockStack, small);
    scene.show(); // draws through the grown stack
    EXPECT_NE(scene.surface.count(0), kSide * kSide);
}

}
