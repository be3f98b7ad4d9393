// The drawing view embedded as the main window embeds it, on windows without a display:
// the back buffer and what reaches the paint box's surface, the cross-hair, and the
// mouse, wheel and menu roads through the form to the zoom and pan.

#include "forms/drawing_view.h"

#include "drawing_files.h"
#include "test_support/temp_folder.h"
#include "units/vector_object.h"

#include "framework/forms.h"
#include "framework/stdctrls.h"
#include "halvern/drawing.h"
#include "platform/qt.h"
#include "platform/user_input.h"
#include "platform/user_messages.h"

#include <QtGui/QImage>
#include <QtWidgets/QApplication>

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>

using namespace vistrel;
using namespace drawing_files;

namespace {

constexpr int kClientWidth = 441;
constexpr int kClientHeight = 318;

// A 200 x 100 triangle.
std::string triangle_dxf()
{
    return dxf({section("ENTITIES", line("0", 0, 0, 200, 0) + line("0", 200, 0, 200, 100) +
                                        line("0", 200, 100, 0, 0))});
}

uint32_t pixel(fw::TBitmap* bitmap, int x, int y)
{
    return static_cast<const uint32_t*>(bitmap->ScanLine(y))[x] & 0xFFFFFFu;
}

// White pixels (the text's colour) in the rectangle.
int white_pixels(fw::TBitmap* bitmap, const fw::TRect& area)
{
    int count = 0;
    for (int y = area.Top; y < area.Bottom; ++y)
        for (int x = area.Left; x < area.Right; ++x)
            count += pixel(bitmap, x, y) == 0xFFFFFFu ? 1 : 0;
    return count;
}

// A main window in small: a form with a black panel in which the view is embedded,
// shown, with the view's first show done.
class ViewWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.ok());
        m_host = new fw::TForm(fw::Application);
        m_host->AfterConstruction();
        m_host->SetBounds(20, 30, kClientWidth, kClientHeight);
        m_panel = new fw::TPanel(m_host);
        m_panel->SetParent(m_host);
        m_panel->SetBevelOuter(fw::bvNone);
        m_panel->SetAlign(fw::alClient);
        m_view = new TfrmComponentVector(m_host);
        m_view->AfterConstruction();
        m_view->Hide();
        m_view->SetParent(m_panel);
        m_view->SetAlign(fw::alClient);
        m_view->Show();
        m_host->Show();
        fw::Application->ProcessMessages();
    }
    void TearDown() override
    {
        if (m_view != nullptr)
            m_view->SetStruct(nullptr);
        fw::Free(m_host);
        fw::Application->ProcessMessages();
        for (const int key : {VK_SHIFT, VK_CONTROL, VK_MENU})
            platform::test::SetKeyState(key, false);
    }

    TfrmComponentVector* view() const { return m_view; }
    TOvraFocusedPaintBox* box() const { return m_view->VectorBox; }
    fw::TForm* host() const { return m_host; }
    Tqxp_VectorObject& object() { return m_object; }

    void show_triangle()
    {
        ASSERT_TRUE(m_object.Load_Dxf(
            QString::fromStdString(m_folder.write("triangle.dxf", triangle_dxf()))));
        m_view->SetStruct(&m_object);
    }

    // What the paint box's window shows.
    QImage surface() { return platform::test::WindowSurface(box()->Handle()); }

    DXFDrawingRec* record() { return m_object.pInternal(); }
    Point2DRec drawing_point(int x, int y)
    {
        double px = x;
        double py = y;
        ViewPortToDXFDrawing(record(), &px, &py);
        return {px, py};
    }
    Rectangle2DRec window() { return record()->dxf_DrwgSize; }

    // The pointer at the paint-box point, then a mouse message reported there, as the
    // platform moves the pointer before it reports the input.
    void mouse(UINT msg, WPARAM keys, int x, int y)
    {
        const fw::TPoint screen = box()->ClientToScreen(fw::TPoint{x, y});
        SetCursorPos(screen.X, screen.Y);
        SendMessageW(box()->Handle(), msg, keys, MAKELPARAM(x, y));
    }

    // The pointer at the paint-box point, then a wheel turn reported there.
    LRESULT turn_wheel(int x, int y, int notches)
    {
        const fw::TPoint screen = box()->ClientToScreen(fw::TPoint{x, y});
        SetCursorPos(screen.X, screen.Y);
        return SendMessageW(box()->Handle(), WM_MOUSEWHEEL,
                            MAKEWPARAM(0, static_cast<WORD>(static_cast<int16_t>(-120 * notches))),
                            MAKELPARAM(screen.X, screen.Y));
    }

    test_support::TempFolder m_folder;

private:
    fw::TForm* m_host = nullptr;
    fw::TPanel* m_panel = nullptr;
    TfrmComponentVector* m_view = nullptr;
    Tqxp_VectorObject m_object;
};

TEST_F(ViewWindow, WithoutADrawingTheGridShowsImageUnavailableAndTheRulersGetNoRoom)
{
    ASSERT_EQ(box()->ClientRect(), fw::Rect(0, 0, kClientWidth, kClientHeight));
    EXPECT_EQ(view()->DrawingRect(), fw::Rect(40, 1, kClientWidth, kClientHeight));
    view()->Draw_Redraw();
    fw::TBitmap* buffer = view()->BackBuff();
    ASSERT_EQ(buffer->Width(), kClientWidth);
    ASSERT_EQ(buffer->Height(), kClientHeight);
    const fw::TRect middle = fw::Rect(kClientWidth / 2 - 60, kClientHeight / 2 - 10,
                                      kClientWidth / 2 + 60, kClientHeight / 2 + 10);
    EXPECT_GT(white_pixels(buffer, middle), 20);
    EXPECT_EQ(white_pixels(buffer, fw::Rect(0, 0, kClientWidth, middle.Top)), 0);
    // Black with a grid dot: the first grid row is row 0, dots on every second pixel.
    EXPECT_EQ(pixel(buffer, 1, 1), 0u);
    EXPECT_EQ(pixel(buffer, 2, 0), 0x313131u);
    // The screen shows the buffer.
    const QImage shown = surface();
    EXPECT_EQ(shown.pixel(2, 0) & 0xFFFFFFu, 0x313131u);
    EXPECT_EQ(shown.pixel(1, 1) & 0xFFFFFFu, 0u);

    show_triangle();
    EXPECT_EQ(view()->DrawingRect(), fw::Rect(40, 1, kClientWidth - 1, kClientHeight - 17));
    EXPECT_EQ(white_pixels(buffer, middle), 0);
    // A file that cannot be read: the drawing is detached and the view is empty again.
    EXPECT_FALSE(object().Load_Dxf(
        QString::fromStdString(m_folder.write("bad.dxf", "this is no drawing\n"))));
    view()->SetStruct(nullptr);
    EXPECT_EQ(view()->DrawingRect(), fw::Rect(40, 1, kClientWidth, kClientHeight));
    EXPECT_GT(white_pixels(buffer, middle), 20);
}

TEST_F(ViewWindow, NothingIsDrawnUntilAViewHasBeenShown)
{
    test::ResetFirstShow();
    EXPECT_FALSE(view()->CanDraw());
    EXPECT_EQ(view()->DrawingRect(), fw::TRect{});
    EXPECT_FALSE(view()->DrawToBackBuffer());
    const QImage empty = surface();
    show_triangle();
    EXPECT_EQ(surface(), empty);
    auto* second = new TfrmComponentVector(host());
    second->AfterConstruction();
    second->SetParent(host());
    second->Show();
    EXPECT_TRUE(view()->CanDraw());
    view()->Draw_Redraw();
    EXPECT_NE(surface(), empty);
}

TEST_F(ViewWindow, ThePaintBoxRepaintsFromTheBufferAndFramesItselfWhileFocused)
{
    show_triangle();
    EXPECT_EQ(SendMessageW(box()->Handle(), WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS);
    const QImage drawn = surface();
    // Something else drew on the screen; a repaint of the window tree brings the
    // picture back without erasing first.
    box()->Canvas()->Brush()->SetColor(fw::clRed);
    box()->Canvas()->FillRect(fw::Rect(100, 100, 140, 140));
    fw::FreeDeviceContexts();
    EXPECT_EQ(SendMessageW(box()->Handle(), WM_ERASEBKGND, 0, 0), 1);
    ASSERT_NE(surface(), drawn);
    view()->Draw_RefreshWindow();
    fw::Application->ProcessMessages();
    EXPECT_EQ(surface(), drawn);
    // With the focus a dotted frame lies along the edges, and goes with it.
    mouse(WM_LBUTTONDOWN, MK_LBUTTON, 100, 100);
    mouse(WM_LBUTTONUP, 0, 100, 100);
    ASSERT_TRUE(box()->Focused());
    view()->HideCursorCross();
    fw::Application->ProcessMessages();
    const QImage focused = surface();
    int changed_on_edge = 0;
    for (int x = 0; x < kClientWidth; ++x)
        changed_on_edge += focused.pixel(x, 0) != drawn.pixel(x, 0) ? 1 : 0;
    EXPECT_GT(changed_on_edge, kClientWidth / 4);
    host()->SetFocus();
    fw::Application->ProcessMessages();
    EXPECT_EQ(surface(), drawn);
}

TEST_F(ViewWindow, ShowingAndHidingTheCrossHairLeavesTheSurfaceAsItWas)
{
    for (const bool with_drawing : {false, true}) {
        SCOPED_TRACE(with_drawing ? "with a drawing" : "without a drawing");
        if (with_drawing)
            show_triangle();
        view()->Draw_Redraw();
        ASSERT_FALSE(view()->CursorVisible());
        const QImage before = surface();
        // Near an edge too: the square reaches past the surface.
        for (const auto& [x, y] : {std::pair{150, 120}, std::pair{2, kClientHeight - 3}}) {
            view()->MoveCursorCross(x, y);
            EXPECT_TRUE(view()->CursorVisible());
            EXPECT_NE(surface(), before);
            view()->HideCursorCross();
            EXPECT_EQ(surface(), before);
        }
        // A full repaint takes the cross-hair away before it covers the picture.
        view()->MoveCursorCross(100, 100);
        view()->Draw_Redraw();
        EXPECT_FALSE(view()->CursorVisible());
        EXPECT_EQ(surface(), before);
    }
}

TEST_F(ViewWindow, TheBackBufferFollowsTheClientSizeAndTheWindowStays)
{
    show_triangle();
    const Rectangle2DRec shown = window();
    host()->SetBounds(20, 30, 300, 250);
    fw::Application->ProcessMessages();
    ASSERT_EQ(box()->ClientRect(), fw::Rect(0, 0, 300, 250));
    EXPECT_EQ(view()->BackBuff()->Width(), 300);
    EXPECT_EQ(view()->BackBuff()->Height(), 250);
    const Rectangle2DRec after = window();
    EXPECT_DOUBLE_EQ(after.min.x, shown.min.x);
    EXPECT_DOUBLE_EQ(after.max.y, shown.max.y);
    // Drawn again at the new size: the window fits the new drawing area on one axis.
    double left = shown.min.x;
    double bottom = shown.min.y;
    double right = shown.max.x;
    double top = shown.max.y;
    DXFDrawingToViewPort(record(), &left, &bottom);
    DXFDrawingToViewPort(record(), &right, &top);
    const fw::TRect area = view()->DrawingRect();
    ASSERT_EQ(area, fw::Rect(40, 1, 299, 233));
    const bool fills_width = std::abs((right - left) - (area.Width() - 1)) <= 1.0;
    const bool fills_height = std::abs((bottom - top) - (area.Height() - 1)) <= 1.0;
    EXPECT_TRUE(fills_width || fills_height) << left << " " << right << " " << top << " " << bottom;
    EXPECT_GE(left, area.Left - 1);
    EXPECT_LE(bottom, area.Bottom);
}

TEST_F(ViewWindow, WheelTurnsThroughTheFormZoomAboutThePointerAndStepBack)
{
    show_triangle();
    box()->SetFocus();
    ASSERT_TRUE(box()->Focused());
    const Point2DRec under = drawing_point(200, 150);
    EXPECT_EQ(turn_wheel(200, 150, 1), 1);
    EXPECT_EQ(view()->Navigation().ZoomCurrent(), 0);
    // The point that was under the pointer now lies where the pointer and the
    // cross-hair were moved.
    const fw::TPoint at = view()->Navigation().Cursor();
    POINT pointer{};
    GetCursorPos(&pointer);
    EXPECT_EQ(box()->ScreenToClient(fw::TPoint{pointer.x, pointer.y}), at);
    EXPECT_TRUE(view()->CursorVisible());
    const Point2DRec now = drawing_point(at.X, at.Y);
    const double pixel_size = (window().max.x - window().min.x) / 400;
    EXPECT_NEAR(now.x, under.x, pixel_size);
    EXPECT_NEAR(now.y, under.y, pixel_size);

    for (int turn = 1; turn < 8; ++turn)
        turn_wheel(at.X, at.Y, 1);
    EXPECT_EQ(view()->Navigation().ZoomCurrent(), 7);
    for (int turn = 0; turn < 8; ++turn)
        turn_wheel(at.X, at.Y, -1);
    EXPECT_EQ(view()->Navigation().ZoomCurrent(), -1);
    const Rectangle2DRec full = window();
    turn_wheel(at.X, at.Y, -1);
    EXPECT_EQ(view()->Navigation().ZoomCurrent(), -1);
    EXPECT_DOUBLE_EQ(window().min.x, full.min.x);
}

TEST_F(ViewWindow, WheelTurnsOutsideTheFocusOrThePaintBoxZoomNothing)
{
    show_triangle();
    const Rectangle2DRec full = window();
    // Without the focus the turn is left to the controls.
    ASSERT_FALSE(box()->Focused());
    EXPECT_EQ(turn_wheel(200, 150, 1), 0);
    EXPECT_EQ(view()->Navigation().ZoomCurrent(), -1);
    // With the focus but the pointer outside the paint box it is taken and ignored.
    box()->SetFocus();
    EXPECT_EQ(turn_wheel(kClientWidth + 5, 150, 1), 1);
    EXPECT_EQ(view()->Navigation().ZoomCurrent(), -1);
    EXPECT_DOUBLE_EQ(window().min.x, full.min.x);
    // Without a drawing nothing zooms either.
    view()->SetStruct(nullptr);
    EXPECT_EQ(turn_wheel(200, 150, 1), 1);
    EXPECT_EQ(view()->Navigation().ZoomCurrent(), -1);
}

TEST_F(ViewWindow, ADragPansWithThePointUnderThePointerAndAModifierOnlyMovesTheCrossHair)
{
    show_triangle();
    mouse(WM_MOUSEMOVE, 0, 150, 120);
    mouse(WM_LBUTTONDOWN, MK_LBUTTON, 150, 120);
    EXPECT_TRUE(box()->Focused());
    const Point2DRec grabbed = drawing_point(150, 120);
    mouse(WM_MOUSEMOVE, MK_LBUTTON, 190, 100);
    EXPECT_EQ(view()->Navigation().MouseMode(), ViewNavigation::kPanning);
    EXPECT_FALSE(view()->CursorVisible());
    const Point2DRec now = drawing_point(190, 100);
    EXPECT_NEAR(now.x, grabbed.x, 1e-9);
    EXPECT_NEAR(now.y, grabbed.y, 1e-9);
    mouse(WM_LBUTTONUP, 0, 190, 100);
    EXPECT_EQ(view()->Navigation().MouseMode(), ViewNavigation::kIdle);
    EXPECT_TRUE(view()->CursorVisible());
    EXPECT_EQ(view()->Navigation().Cursor(), (fw::TPoint{190, 100}));

    // With a modifier held the drag only moves the cross-hair.
    const Rectangle2DRec panned = window();
    int x = 190;
    for (const int key : {VK_SHIFT, VK_CONTROL, VK_MENU}) {
        SCOPED_TRACE(key);
        platform::test::SetKeyState(key, true);
        const WPARAM keys = MK_LBUTTON | (key == VK_SHIFT     ? MK_SHIFT
                                          : key == VK_CONTROL ? MK_CONTROL
                                                              : 0);
        mouse(WM_LBUTTONDOWN, keys, x, 100);
        x -= 30;
        mouse(WM_MOUSEMOVE, keys, x, 60);
        EXPECT_EQ(view()->Navigation().MouseMode(), ViewNavigation::kIdle);
        EXPECT_EQ(view()->Navigation().Cursor(), (fw::TPoint{x, 60}));
        EXPECT_TRUE(view()->CursorVisible());
        EXPECT_DOUBLE_EQ(window().min.x, panned.min.x);
        EXPECT_DOUBLE_EQ(window().min.y, panned.min.y);
        mouse(WM_LBUTTONUP, keys & ~WPARAM{MK_LBUTTON}, x, 60);
        platform::test::SetKeyState(key, false);
    }
}

TEST_F(ViewWindow, ThePopupMenuGivesTheFullViewAndZoomsBack)
{
    show_triangle();
    const Rectangle2DRec full = window();
    box()->SetFocus();
    turn_wheel(200, 150, 1);
    turn_wheel(200, 150, 1);
    ASSERT_EQ(view()->Navigation().ZoomCurrent(), 1);
    const auto choose = [this](int index) {
        platform::test::ChooseMenuItem(index);
        const fw::TPoint screen = box()->ClientToScreen(fw::TPoint{10, 10});
        SendMessageW(box()->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(box()->Handle()),
                     MAKELPARAM(screen.X, screen.Y));
    };
    choose(1); // "Zoom previous"
    EXPECT_EQ(view()->Navigation().ZoomCurrent(), 0);
    EXPECT_DOUBLE_EQ(window().min.x, view()->Navigation().ZoomEntry(0).RZoomArea.min.x);
    choose(2); // "Full view"
    EXPECT_EQ(view()->Navigation().ZoomCurrent(), -1);
    EXPECT_DOUBLE_EQ(window().min.x, full.min.x);
    choose(1); // "Zoom previous" at the full view stays there
    EXPECT_EQ(view()->Navigation().ZoomCurrent(), -1);
    EXPECT_DOUBLE_EQ(window().min.x, full.min.x);
    EXPECT_DOUBLE_EQ(window().max.y, full.max.y);
}

}

int main(int argc, char** argv)
{
    fw::PrepareQtApplication();
    QApplication application(argc, argv);
    std::setlocale(LC_ALL, "C");
    ::testing::InitGoogleTest(&argc, argv);
    fw::InitializeFormsUnit();
    fw::Application->Initialize();
    const int result = RUN_ALL_TESTS();
    fw::FinalizeFormsUnit();
    return result;
}
