// Test support for the renderer and picking tests: a drawing shown on a memory
// surface, a full circle, and the ways a line is kept from being drawn.
#ifndef HALVERN_TESTS_RENDER_TEST_SUPPORT_H
#define HALVERN_TESTS_RENDER_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include "../../platform/tests/gdi_test_support.h"
#include "drawing_fixture.h"
#include "halvern/halvern.h"

namespace halvern_test {

constexpr int kSceneSide = 100;

// A 100 by 100 pixel surface showing the drawing window (0, 0)-(100, 100) at one pixel
// per unit: the point (x, y) lands on pixel (x, 100 - y).
struct SceneBase {
    Drawing drawing;
    gdi_test::MemorySurface surface{kSceneSide, kSceneSide};
    RectangleRec view{0, 0, kSceneSide, kSceneSide};

    SceneBase() { set_window(0.0, 0.0, kSceneSide, kSceneSide); }
    void set_window(double min_x, double min_y, double max_x, double max_y)
    {
        drawing->dxf_DrwgSize = Rectangle2DRec{Point2DRec{min_x, min_y}, Point2DRec{max_x, max_y}};
    }
    ItemRec* add(ItemRec* item)
    {
        EXPECT_EQ(AddItem(drawing.get(), &drawing->dxf_ItemBuffer, item), 1);
        return item;
    }
    void show() { ShowDXFDrawing(surface.dc(), drawing.get(), &view); }
};

inline ItemRec* make_circle(Pool* pool, double x, double y, double radius)
{
    return make_arc(pool, Point3DRec{x, y, 0.0}, radius, 0.0, 2.0 * 3.141592653589793, 1);
}

// The ways a line item is kept from being drawn, and so from being picked.
struct HiddenLineCase {
    const char* name;
    void (*hide)(DXFDrawingRec& drawing, ItemRec& line);
};

inline void hide_by_layer_off(DXFDrawingRec& drawing, ItemRec& line)
{
    line.it_Header.ih_Layer = GetLayer(&drawing.dxf_LayerTable, "OFF");
    drawing.dxf_LayerTable.lt_Layers[line.it_Header.ih_Layer]->ld_Flags |= DXFLayerOff;
}
inline void hide_by_type(DXFDrawingRec& drawing, ItemRec&)
{
    drawing.dxf_ItemFlags[DXFItemLine] |= 1;
}
inline void hide_by_item_flag(DXFDrawingRec&, ItemRec& line)
{
    line.it_Header.ih_Flags |= DXFItemHidden;
}
inline void exclude_item(DXFDrawingRec&, ItemRec& line)
{
    line.it_Header.ih_Flags |= DXFItemExcluded;
}

inline constexpr HiddenLineCase kHiddenLineCases[] = {
    {"layer off", hide_by_layer_off},
    {"type hidden", hide_by_type},
    {"item hidden", hide_by_item_flag},
    {"item excluded", exclude_item},
};

}

#endif
