// The drawing view's zoom and pan on a real drawing drawn into a memory surface.
#include "forms/view_navigation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "../../halvern/tests/drawing_fixture.h"
#include "../../platform/tests/memory_surface.h"
#include "halvern/extents.h"
#include "halvern/render.h"

namespace {

using vistrel::ViewNavigation;

constexpr int kClientWidth = 441;
constexpr int kClientHeight = 318;

// A view showing a 200 x 100 drawing in the drawing area of a 441 x 318 paint box, as
// the view does: measured, padded by 1 %, drawn (which sets the mapping).
class View : public vistrel::ViewNavigationHost {
public:
    View()
    {
        add_line(0, 0, 200, 0);
        add_line(200, 0, 200, 100);
        add_line(200, 100, 0, 0);
    }

    DXFDrawingRec* drawing() override { return m_shown ? m_drawing.get() : nullptr; }
    void recalc_drawing_size() override { CalcDXFDrawingSize(m_drawing.get()); }
    void pad_drawing() override
    {
        Rectangle2DRec& window = m_drawing->dxf_DrwgSize;
        const double margin_x = (window.max.x - window.min.x) * 0.01;
        const double margin_y = (window.max.y - window.min.y) * 0.01;
        window.min.x -= margin_x;
        window.max.x += margin_x;
        window.min.y -= margin_y;
        window.max.y += margin_y;
    }
    void redraw() override
    {
        ++redraws;
        if (!m_shown)
            return;
        const fw::TRect area = vistrel::DrawingRectOf(true, client(), true);
        RectangleRec port{area.Left, area.Top, area.Right - 1, area.Bottom - 1};
        DrawDXFDrawing(m_surface.dc(), m_drawing.get(), &port, nullptr, nullptr, 0.0);
    }

    static fw::TRect client() { return {0, 0, kClientWidth, kClientHeight}; }
    void hide_drawing() { m_shown = false; }
    Rectangle2DRec window() const { return m_drawing.record.dxf_DrwgSize; }
    Point2DRec drawing_point(double x, double y)
    {
        ViewPortToDXFDrawing(m_drawing.get(), &x, &y);
        return {x, y};
    }
    Point2DRec pixel_of(Point2DRec point)
    {
        DXFDrawingToViewPort(m_drawing.get(), &point.x, &point.y);
        return point;
    }

    int redraws = 0;

private:
    void add_line(double x1, double y1, double x2, double y2)
    {
        ItemRec* line = halvern_test::make_line(m_drawing.pool(), x1, y1, x2, y2);
        ASSERT_EQ(AddItem(m_drawing.get(), &m_drawing->dxf_ItemBuffer, line), 1);
    }

    halvern_test::Drawing m_drawing;
    gdi_test::MemorySurface m_surface{kClientWidth, kClientHeight};
    bool m_shown = true;
};

struct Navigated {
    View view;
    ViewNavigation navigation{view};
    Navigated() { navigation.Zoom_DoFullZoom(); }

    std::optional<fw::TPoint> wheel_down(int x, int y)
    {
        return navigation.WheelZoomIn(x, y, kClientWidth, kClientHeight);
    }
};

void expect_same_window(const Rectangle2DRec& actual, const Rectangle2DRec& expected)
{
    EXPECT_DOUBLE_EQ(actual.min.x, expected.min.x);
    EXPECT_DOUBLE_EQ(actual.min.y, expected.min.y);
    EXPECT_DOUBLE_EQ(actual.max.x, expected.max.x);
    EXPECT_DOUBLE_EQ(actual.max.y, expected.max.y);
}

Rectangle2DRec window_of(const vistrel::ZoomRec& entry)
{
    const auto& area = entry.RZoomArea;
    return {{area.min.x, area.min.y}, {area.max.x, area.max.y}};
}

TEST(ViewNavigation, WheelZoomKeepsTheDrawingPointUnderThePointerAndMagnifies)
{
    Navigated scene;
    int x = 150;
    int y = 90;
    for (int turn = 0; turn < 8; ++turn) {
        SCOPED_TRACE(turn);
        const Point2DRec before = scene.view.drawing_point(x, y);
        const double scale_before = scene.view.drawing()->dxf_XScale;
        const std::optional<fw::TPoint> pointer = scene.wheel_down(x, y);
        ASSERT_TRUE(pointer.has_value());
        EXPECT_EQ(scene.navigation.ZoomCurrent(), turn);
        EXPECT_FALSE(scene.navigation.WheelZooming());
        // Each turn records the window under 70 % of the paint box around the pointer:
        // 2 x Round(220 x 0.7) by 2 x Round(159 x 0.7) pixels at the scale before.
        const Rectangle2DRec recorded = window_of(scene.navigation.ZoomEntry(turn));
        EXPECT_NEAR((recorded.max.x - recorded.min.x) * scale_before, 308.0, 1e-6);
        EXPECT_NEAR((recorded.max.y - recorded.min.y) * scale_before, 222.0, 1e-6);
        EXPECT_GT(scene.view.drawing()->dxf_XScale, scale_before * 1.25);
        // The point under the pointer moved to the middle of the drawing area, and the
        // pointer went with it.
        const fw::TRect area = vistrel::DrawingRectOf(true, View::client(), true);
        EXPECT_NEAR(pointer->X, (area.Left + area.Right) / 2, 2);
        EXPECT_NEAR(pointer->Y, (area.Top + area.Bottom) / 2, 2);
        const Point2DRec pixel = scene.view.pixel_of(before);
        EXPECT_EQ(pixel.x, pointer->X);
        EXPECT_EQ(pixel.y, pointer->Y);
        x = pointer->X + 7;
        y = pointer->Y - 3;
    }
    EXPECT_EQ(scene.navigation.ZoomCurrent(), 7);
}

TEST(ViewNavigation, HistoryKeepsTwentyEntriesAndDropsTheOldest)
{
    Navigated scene;
    std::vector<Rectangle2DRec> recorded;
    for (int turn = 0; turn < 21; ++turn) {
        ASSERT_TRUE(scene.wheel_down(200, 150).has_value());
        recorded.push_back(scene.view.window());
    }
    EXPECT_EQ(scene.navigation.ZoomCurrent(), 19);
    for (int index = 0; index < ViewNavigation::kZoomHistorySize; ++index) {
        SCOPED_TRACE(index);
        expect_same_window(window_of(scene.navigation.ZoomEntry(index)),
                           recorded[static_cast<size_t>(index) + 1]);
    }

    // Twenty steps back end in the full view, the 21st turn's way back being lost.
    for (int step = 18; step >= 0; --step) {
        ASSERT_TRUE(scene.navigation.WheelZoomBack());
        EXPECT_EQ(scene.navigation.ZoomCurrent(), step);
        expect_same_window(scene.view.window(), recorded[static_cast<size_t>(step) + 1]);
    }
    ASSERT_TRUE(scene.navigation.WheelZoomBack());
    EXPECT_EQ(scene.navigation.ZoomCurrent(), -1);
}

TEST(ViewNavigation, WheelBackAndZoomPreviousEndInTheFullView)
{
    Navigated scene;
    const Rectangle2DRec full = scene.view.window();
    ASSERT_TRUE(scene.wheel_down(100, 100).has_value());
    const Rectangle2DRec first = scene.view.window();
    ASSERT_TRUE(scene.wheel_down(300, 200).has_value());
    ASSERT_TRUE(scene.wheel_down(50, 250).has_value());

    ASSERT_TRUE(scene.navigation.WheelZoomBack());
    ASSERT_TRUE(scene.navigation.WheelZoomBack());
    EXPECT_EQ(scene.navigation.ZoomCurrent(), 0);
    expect_same_window(scene.view.window(), first);
    ASSERT_TRUE(scene.navigation.WheelZoomBack());
    EXPECT_EQ(scene.navigation.ZoomCurrent(), -1);
    expect_same_window(scene.view.window(), full);

    // At the full view a wheel turn back does nothing, and "Zoom previous" gives the
    // full view again.
    const int redraws = scene.view.redraws;
    EXPECT_FALSE(scene.navigation.WheelZoomBack());
    EXPECT_EQ(scene.view.redraws, redraws);
    scene.navigation.ZoomPrevious();
    EXPECT_EQ(scene.navigation.ZoomCurrent(), -1);
    expect_same_window(scene.view.window(), full);
}

TEST(ViewNavigation, WithoutADrawingZoomAndPanDoNothing)
{
    View view;
    view.hide_drawing();
    ViewNavigation navigation(view);
    // Before the first full view the history stands at 0, so a turn back asks for the
    // full view; without a drawing that only redraws the empty view.
    EXPECT_TRUE(navigation.WheelZoomBack());
    navigation.Zoom_DoFullZoom();
    EXPECT_EQ(navigation.ZoomCurrent(), -1);
    EXPECT_FALSE(navigation.WheelZoomIn(10, 10, kClientWidth, kClientHeight).has_value());
    EXPECT_FALSE(navigation.ZoomToWindow());
    const int redraws = view.redraws;
    navigation.SetCursor(50, 50);
    EXPECT_FALSE(navigation.MouseMove(true, 0, 60, 70));
    EXPECT_EQ(view.redraws, redraws);
    EXPECT_EQ(navigation.Cursor(), (fw::TPoint{50, 50}));
}

TEST(ViewNavigation, DragWithoutModifiersPansAndKeepsThePointUnderThePointer)
{
    struct Row {
        const char* name;
        bool shift;
        bool ctrl;
        bool alt;
        bool pans;
    };
    const Row rows[] = {
        {"no key", false, false, false, true},        {"Shift", true, false, false, false},
        {"Ctrl", false, true, false, false},          {"Alt", false, false, true, false},
        {"Shift and Ctrl", true, true, false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Navigated scene;
        ASSERT_TRUE(scene.wheel_down(200, 150).has_value());
        const Rectangle2DRec before = scene.view.window();
        scene.navigation.SetCursor(120, 100);
        const Point2DRec grabbed = scene.view.drawing_point(120, 100);
        const int key_mode = vistrel::KeyModeOf(row.shift, row.ctrl, row.alt);

        int x = 120;
        int y = 100;
        for (int move = 0; move < 4; ++move) {
            x += 13;
            y += 6;
            const bool moves_cross_hair = scene.navigation.MouseMove(true, key_mode, x, y);
            EXPECT_EQ(moves_cross_hair, !row.pans);
            if (moves_cross_hair)
                scene.navigation.SetCursor(x, y);
        }
        if (!row.pans) {
            expect_same_window(scene.view.window(), before);
            EXPECT_EQ(scene.navigation.MouseMode(), ViewNavigation::kIdle);
            continue;
        }
        EXPECT_EQ(scene.navigation.MouseMode(), ViewNavigation::kPanning);
        EXPECT_EQ(scene.navigation.Cursor(), (fw::TPoint{x, y}));
        const Point2DRec pixel = scene.view.pixel_of(grabbed);
        EXPECT_NEAR(pixel.x, x, 1.0);
        EXPECT_NEAR(pixel.y, y, 1.0);
        // Panning keeps the scale and does not touch the history.
        EXPECT_NEAR(scene.view.window().max.x - scene.view.window().min.x,
                    before.max.x - before.min.x, 1e-9 * (before.max.x - before.min.x) + 0.5);
        EXPECT_EQ(scene.navigation.ZoomCurrent(), 0);
        scene.navigation.MouseUp();
        EXPECT_EQ(scene.navigation.MouseMode(), ViewNavigation::kIdle);
    }
}

TEST(ViewNavigation, PointerMovesWithoutAButtonOnlyMoveTheCrossHair)
{
    Navigated scene;
    scene.navigation.SetCursor(30, 40);
    const int redraws = scene.view.redraws;
    EXPECT_FALSE(scene.navigation.MouseMove(false, 0, 30, 40)) << "no move at all";
    EXPECT_TRUE(scene.navigation.MouseMove(false, 0, 31, 40));
    EXPECT_EQ(scene.view.redraws, redraws);
}

TEST(ViewNavigation, DrawingRectLeavesRoomForTheRulers)
{
    const fw::TRect client{0, 0, 401, 300};
    EXPECT_EQ(vistrel::DrawingRectOf(false, client, true), (fw::TRect{}));
    EXPECT_EQ(vistrel::DrawingRectOf(true, client, false), (fw::TRect{40, 1, 401, 300}));
    EXPECT_EQ(vistrel::DrawingRectOf(true, client, true), (fw::TRect{40, 1, 400, 283}));
}

}
