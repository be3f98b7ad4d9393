// Item drawing primitives on a 101 by 101 pixel recording device context. The drawing's
// mapping puts drawing unit (x, y) on pixel (x, 100 - y), and the visible window is
// (0, 0)-(100, 100) unless a test narrows it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "render/primitives.h"
#include "render/render_state.h"
#include "drawing_fixture.h"
#include "osmark/numbers.h"
#include "osmark/testing.h"
#include "platform/gdi.h"
#include "platform/gdi_support.h"

namespace {

using halvern_test::Drawing;

constexpr double kPi = 3.141592653589793;
constexpr int kSize = 101;
constexpr COLORREF kRed = 0x0000FF;

struct Point {
    int x;
    int y;
    bool operator==(const Point&) const = default;
};

class Primitives : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dc = platform_create_recording_dc(kSize, kSize);
        ASSERT_NE(m_dc, nullptr);
        drawing->dxf_Device = m_dc;
        drawing->dxf_ViewSize = RectangleRec{0, 0, 100, 100};
        SetDXFDrawingSize(drawing.get(), 0.0, 0.0, 100.0, 100.0);
        set_window(0.0, 0.0, 100.0, 100.0);
        halvern::RenderPickMode = 0;
        halvern::RenderHit = 0;
        halvern::RenderClipLines = 1;
        m_objects = platform_gdi_object_count();
    }

    void TearDown() override
    {
        if (drawing->dxf_CurrentPen != nullptr) {
            SelectObject(m_dc, GetStockObject(BLACK_PEN));
            DeleteObject(drawing->dxf_CurrentPen);
            drawing->dxf_CurrentPen = nullptr;
        }
        // Fonts, regions and replaced pens were all freed.
        EXPECT_EQ(platform_gdi_object_count(), m_objects);
        DeleteDC(m_dc);
        halvern::RenderPickMode = 0;
        halvern::RenderHit = 0;
        halvern::RenderClipLines = 1;
    }

    void set_window(double x0, double y0, double x1, double y1)
    {
        drawing->dxf_DrwgViewSize = Rectangle2DRec{{x0, y0}, {x1, y1}};
    }

    // Draws the following calls in red and forgets the pen's own calls.
    void use_red_pen()
    {
        halvern::SelectItemPen(kRed, kRed, 0, nullptr, drawing.get());
        platform_recording_dc_clear(m_dc);
    }

    std::string log() const
    {
        std::string text(platform_recording_dc_log(m_dc, nullptr, 0), '\0');
        platform_recording_dc_log(m_dc, text.data(), text.size() + 1);
        return text;
    }

    std::vector<std::string> calls(const std::string& name) const
    {
        std::vector<std::string> found;
        std::istringstream lines(log());
        for (std::string line; std::getline(lines, line);) {
            if (line.rfind(name + "(", 0) == 0)
                found.push_back(line);
        }
        return found;
    }

    // The points of MoveToEx and LineTo in call order.
    std::vector<Point> path_points() const
    {
        std::vector<Point> points;
        std::istringstream lines(log());
        for (std::string line; std::getline(lines, line);) {
            Point p{};
            if (std::sscanf(line.c_str(), "MoveToEx(%d, %d)", &p.x, &p.y) == 2 ||
                std::sscanf(line.c_str(), "LineTo(%d, %d)", &p.x, &p.y) == 2)
                points.push_back(p);
        }
        return points;
    }

    // The box of pixels that are not black (the surface starts black); left > right
    // when there are none.
    RECT ink()
    {
        RECT box{kSize, kSize, -1, -1};
        for (int y = 0; y < kSize; ++y) {
            for (int x = 0; x < kSize; ++x) {
                if (GetPixel(m_dc, x, y) == 0)
                    continue;
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x);
                box.bottom = std::max<LONG>(box.bottom, y);
            }
        }
        return box;
    }

    Drawing drawing;
    HDC m_dc = nullptr;
    size_t m_objects = 0;
};

// ---------------------------------------------------------------------------------
// Pens

TEST_F(Primitives, SelectItemPenFollowsTheMonochromeState)
{
    struct Row {
        uint32_t flags;
        int32_t highlighted;
        int32_t state_in;
        bool makes_pen;
        uint32_t pen_colour;
        int32_t state_out;
        const char* why;
    };
    const Row rows[] = {
        {0, 0, 0, true, 0x00FF00, 0, "colour mode: every item gets its colour"},
        {0, 1, 0, true, 0x00FF00, 0, "colour mode ignores the state"},
        {DXFDrawMonochrome, 0, 0, false, 0, 0, "monochrome: the DC's pen stays"},
        {DXFDrawMonochrome, 1, 0, true, 0x00FF00, 1, "a highlighted item gets its colour"},
        {DXFDrawMonochrome, 0, 1, true, 0x0000FF, 0, "after a highlight: back to the default"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        drawing->dxf_Flags = row.flags;
        drawing->dxf_PenColour = 0x123456;
        int32_t state = row.state_in;
        platform_recording_dc_clear(m_dc);
        HPEN before = drawing->dxf_CurrentPen;
        halvern::SelectItemPen(0x00FF00, 0x0000FF, row.highlighted, &state, drawing.get());
        EXPECT_EQ(state, row.state_out);
        if (!row.makes_pen) {
            EXPECT_EQ(log(), "");
            EXPECT_EQ(drawing->dxf_CurrentPen, before);
            EXPECT_EQ(drawing->dxf_PenColour, 0x123456u);
            continue;
        }
        char expected[128];
        std::snprintf(expected, sizeof expected,
                      "SelectObject(pen PS_SOLID 1 0x%06X)\nSetTextColor(0x%06X)\n", row.pen_colour,
                      row.pen_colour);
        EXPECT_EQ(log(), expected);
        EXPECT_EQ(drawing->dxf_PenColour, row.pen_colour);
        EXPECT_NE(drawing->dxf_CurrentPen, nullptr);
        EXPECT_EQ(GetCurrentObject(m_dc, OBJ_PEN), drawing->dxf_CurrentPen);
    }
    // Five pens were made; only the last one is still alive.
    EXPECT_EQ(platform_gdi_object_count(), m_objects + 1);
}

// ---------------------------------------------------------------------------------
// Segments

TEST_F(Primitives, SegmentsAreCutToTheWindow)
{
    struct Row {
        double x1, y1, x2, y2;
        const char* expected;
        const char* why;
    };
    const Row rows[] = {
        {-20, 50, -5, 60, "", "wholly left of the window"},
        {-10, 5, 5, -10, "", "passes outside the lower-left corner"},
        {-50, 50, 150, 50,
         "MoveToEx(100, 50)\nLineTo(0, 50)\nSetPixelV(0, 50, 0x0000FF)\n",
         "crosses the window: cut at both edges"},
        {-10, -10, 110, 110,
         "MoveToEx(100, 0)\nLineTo(0, 100)\nSetPixelV(0, 100, 0x0000FF)\n",
         "diagonal through two corners"},
        {30, 40, 30, 40, "MoveToEx(30, 60)\nLineTo(30, 60)\nSetPixelV(30, 60, 0x0000FF)\n",
         "zero length: one pixel"},
        {100, 20, 120, 20, "MoveToEx(100, 80)\nLineTo(100, 80)\nSetPixelV(100, 80, 0x0000FF)\n",
         "touches the right edge"},
        {10, 10, 20, 30, "MoveToEx(10, 90)\nLineTo(20, 70)\nSetPixelV(20, 70, 0x0000FF)\n",
         "inside: unchanged"},
    };
    use_red_pen();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        platform_recording_dc_clear(m_dc);
        EXPECT_EQ(halvern::DrawClippedLine(row.x1, row.y1, row.x2, row.y2, 1, drawing.get()), 0);
        EXPECT_EQ(log(), row.expected);
    }
}

TEST_F(Primitives, ACutSegmentCoversBothEndPixelsAndNothingOutside)
{
    use_red_pen();
    set_window(10, 10, 90, 90);
    halvern::DrawClippedLine(-50, 50, 150, 50, 1, drawing.get());
    EXPECT_EQ(GetPixel(m_dc, 9, 50), 0u);
    for (int x = 10; x <= 90; ++x)
        ASSERT_EQ(GetPixel(m_dc, x, 50), kRed) << x;
    EXPECT_EQ(GetPixel(m_dc, 91, 50), 0u);
}

TEST_F(Primitives, WithoutClippingASegmentContinuesFromTheCurrentPosition)
{
    use_red_pen();
    halvern::RenderClipLines = 0;
    MoveToEx(m_dc, 5, 5, nullptr);
    platform_recording_dc_clear(m_dc);
    halvern::DrawClippedLine(-50, 50, 150, 50, 0, drawing.get());
    EXPECT_EQ(log(), "LineTo(150, 50)\nSetPixelV(150, 50, 0x0000FF)\n");

    platform_recording_dc_clear(m_dc);
    halvern::DrawClippedLine(10, 50, 20, 50, 1, drawing.get());
    EXPECT_EQ(log(), "MoveToEx(10, 50)\nLineTo(20, 50)\nSetPixelV(20, 50, 0x0000FF)\n");
}

TEST_F(Primitives, PickModeReportsSegmentsThatTouchTheWindowAndDrawsNothing)
{
    struct Row {
        double x1, y1, x2, y2;
        int32_t hit;
    };
    const Row rows[] = {
        {-50, 50, 150, 50, 1}, // crosses without an end inside
        {40, 101, 60, 101, 0}, // just above
        {50, 50, 50, 50, 1},   // a point inside
        {100, 0, 120, 0, 1},   // touches a corner
    };
    halvern::RenderPickMode = 1;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.y1);
        halvern::RenderHit = 0;
        halvern::DrawClippedLine(row.x1, row.y1, row.x2, row.y2, 1, drawing.get());
        EXPECT_EQ(halvern::RenderHit, row.hit);
    }
    EXPECT_EQ(log(), "");
}

TEST_F(Primitives, SegmentsWithoutAFiniteEndDrawNothing)
{
    const double inf = HUGE_VAL;
    halvern::DrawClippedLine(std::nan(""), 50, 60, 50, 1, drawing.get());
    halvern::DrawClippedLine(10, 50, inf, 50, 1, drawing.get());
    halvern::RenderClipLines = 0;
    halvern::DrawClippedLine(10, -inf, 60, 50, 1, drawing.get());
    EXPECT_EQ(log(), "");
}

TEST_F(Primitives, FarPointsOfAnUnclippedSegmentStayOnTheirSide)
{
    // Without clipping (the fill pass) a point far beyond the 32-bit pixel range must
    // not wrap around to the other side of the view.
    halvern::RenderClipLines = 0;
    halvern::DrawClippedLine(50, 50, 1e12, -1e12, 1, drawing.get());
    const std::vector<Point> points = path_points();
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(points[0], (Point{50, 50}));
    EXPECT_GT(points[1].x, 1000000);
    EXPECT_GT(points[1].y, 1000000);
}

// ---------------------------------------------------------------------------------
// Circular arcs

TEST_F(Primitives, CirclesAreCulledDottedWholeOrChorded)
{
    struct Row {
        double cx, cy, radius;
        int clip;
        size_t arcs;
        bool chords;
        bool dot;
        const char* why;
    };
    const Row rows[] = {
        {50, 50, 0.4, 1, 0, false, true, "radius 0.4 pixel: one pixel"},
        {50, 50, 5, 1, 1, false, false, "10-pixel box inside the window: one Arc"},
        {50, 50, 1.5, 1, 0, true, false, "3-pixel box: chords"},
        {2, 50, 10, 1, 0, true, false, "box crosses the left edge: chords"},
        {50, 50, 5, 0, 0, true, false, "no clipping (fill pass): chords"},
        {50, 50, 200, 1, 0, false, false, "window inside the inscribed square: nothing"},
        {300, 50, 10, 1, 0, false, false, "wholly right of the window: nothing"},
        {50, 50, 0.0, 1, 0, false, false, "no radius: nothing"},
    };
    use_red_pen();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        platform_recording_dc_clear(m_dc);
        halvern::RenderClipLines = row.clip;
        halvern::DrawArcChords(row.cx, row.cy, row.radius, 0.0, 2 * kPi, 1, 1, drawing.get());
        EXPECT_EQ(calls("Arc").size(), row.arcs);
        EXPECT_EQ(calls("LineTo").size() > 1, row.chords);
        if (row.dot) {
            EXPECT_EQ(log(), "MoveToEx(50, 50)\nLineTo(50, 50)\nSetPixelV(50, 50, 0x0000FF)\n");
        }
    }
    halvern::RenderClipLines = 1;
    platform_recording_dc_clear(m_dc);
    halvern::DrawArcChords(50, 50, 5, 1.0, 1.0, -1, 1, drawing.get());
    EXPECT_EQ(log(), "Arc(45, 45, 55, 55, 45, 50, 45, 50)\n");
}

TEST_F(Primitives, ArcsSweepInTheirDirection)
{
    struct Row {
        int32_t direction;
        double lowest_degrees;  // every chord point lies in [lowest, highest]
        double highest_degrees; // (angles in 0..360, measured with y up)
    };
    const Row rows[] = {
        {1, 0.0, 90.0},    // counter-clockwise from 0 to pi/2: a quarter
        {-1, 90.0, 360.0}, // clockwise from 0 to pi/2: three quarters
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.direction);
        platform_recording_dc_clear(m_dc);
        halvern::DrawArcChords(50, 50, 30, 0.0, kPi / 2, row.direction, 1, drawing.get());
        const std::vector<Point> points = path_points();
        ASSERT_GE(points.size(), 4u);
        double lowest = 360.0;
        double highest = 0.0;
        for (const Point& p : points) {
            const double dx = p.x - 50.0;
            const double dy = 50.0 - p.y;
            EXPECT_NEAR(std::hypot(dx, dy), 30.0, 1.0);
            double degrees = std::atan2(dy, dx) * 180.0 / kPi;
            if (degrees < -1.0)
                degrees += 360.0;
            // The clockwise arc ends where it started going round: at 90 and at 360 (0).
            if (row.direction < 0 && degrees < 1.0)
                degrees += 360.0;
            lowest = std::min(lowest, degrees);
            highest = std::max(highest, degrees);
        }
        EXPECT_NEAR(lowest, row.lowest_degrees, 2.0);
        EXPECT_NEAR(highest, row.highest_degrees, 2.0);
    }
}

TEST_F(Primitives, ArcChordsStayWithinHalfAPixelOfTheCircle)
{
    // Chords are as long as half-pixel accuracy allows: for radius 40 twenty of them
    // make a full circle (chord angle 2 acos(39.5 / 40)), and every chord's middle lies
    // within half a pixel of the circle.
    halvern::RenderClipLines = 0; // keep GDI's whole circle out of the way
    halvern::DrawArcChords(50, 50, 40, 0.0, 2 * kPi, 1, 1, drawing.get());
    const std::vector<Point> points = path_points();
    const double step = 2.0 * std::acos(39.5 / 40.0);
    EXPECT_EQ(calls("LineTo").size(), static_cast<size_t>(std::ceil(2 * kPi / step)));
    for (size_t i = 1; i < points.size(); ++i) {
        const double mx = (points[i - 1].x + points[i].x) / 2.0 - 50.0;
        const double my = (points[i - 1].y + points[i].y) / 2.0 - 50.0;
        EXPECT_GT(std::hypot(mx, my), 40.0 - 0.5 - 1.0); // 1 pixel of rounding
    }
}

TEST_F(Primitives, PickModeHitsCirclesThroughTheWindowOnly)
{
    struct Row {
        double cx, cy, radius;
        int32_t hit;
        const char* why;
    };
    const Row rows[] = {
        {50, 50, 5, 1, "small full circle inside the window: hit as a whole"},
        {0, 50, 30, 1, "circle through the window"},
        {50, 50, 200, 0, "circle around the window"},
        {50, 50, 0.3, 1, "a dot inside the window"},
        {150, 50, 30, 0, "circle beside the window"},
    };
    halvern::RenderPickMode = 1;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        halvern::RenderHit = 0;
        halvern::DrawArcChords(row.cx, row.cy, row.radius, 0.0, 2 * kPi, 1, 1, drawing.get());
        EXPECT_EQ(halvern::RenderHit, row.hit);
    }
    EXPECT_EQ(log(), "");
}

TEST_F(Primitives, ArcsOfExtremeSizeOrAngleFinish)
{
    // A radius so large that the half-pixel chord angle is 0 in doubles, and angles so
    // large that subtracting whole turns changes nothing: both once looped for ever.
    halvern::DrawArcChords(50, -1e16, 1e16 + 50, 0.0, kPi, 1, 1, drawing.get());
    EXPECT_LE(calls("LineTo").size(), 262144u);
    platform_recording_dc_clear(m_dc);
    halvern::DrawArcChords(50, 50, 20, 0.0, 1e300, 1, 1, drawing.get());
    EXPECT_FALSE(calls("LineTo").empty());
    platform_recording_dc_clear(m_dc);
    halvern::DrawEllipseArc(50, 50, 20, 10, 0.0, 1e300, 0.0, 1, drawing.get());
    EXPECT_FALSE(calls("LineTo").empty());
    platform_recording_dc_clear(m_dc);
    halvern::DrawArcChords(50, 50, 20, std::nan(""), 1.0, 1, 1, drawing.get());
    halvern::DrawEllipseArc(50, 50, 20, 10, HUGE_VAL, 0.0, 1.0, 1, drawing.get());
    EXPECT_EQ(log(), "");
}

// ---------------------------------------------------------------------------------
// Elliptical arcs

TEST_F(Primitives, EllipsesLieOnTheirCurveAndFollowTheirAxis)
{
    // a = 30 along 30 degrees, b = 10: every chord point satisfies the ellipse's
    // equation in its own axes, within a pixel of rounding.
    const double angle = kPi / 6;
    halvern::DrawEllipseArc(50, 50, 30, 10, angle, 0.0, 0.0, 1, drawing.get());
    const std::vector<Point> points = path_points();
    ASSERT_GT(points.size(), 8u);
    double widest = 0.0;
    for (const Point& p : points) {
        const double dx = p.x - 50.0;
        const double dy = 50.0 - p.y;
        const double u = dx * std::cos(angle) + dy * std::sin(angle);
        const double v = -dx * std::sin(angle) + dy * std::cos(angle);
        const double along = u / 30.0;
        const double across = v / 10.0;
        EXPECT_NEAR(std::hypot(along, across), 1.0, 0.1);
        widest = std::max(widest, std::fabs(u));
    }
    EXPECT_NEAR(widest, 30.0, 1.0);
    EXPECT_EQ(points.front(), points.back()); // a whole ellipse closes
}

TEST_F(Primitives, EllipseParametersAlwaysRunCounterClockwise)
{
    // From pi/2 to 0 is three quarters: the points reach the left and the bottom.
    halvern::DrawEllipseArc(50, 50, 30, 20, 0.0, kPi / 2, 0.0, 1, drawing.get());
    const std::vector<Point> points = path_points();
    ASSERT_FALSE(points.empty());
    EXPECT_EQ(points.front(), (Point{50, 30}));
    EXPECT_EQ(points.back(), (Point{80, 50}));
    const auto leftmost = std::min_element(points.begin(), points.end(),
                                           [](Point a, Point b) { return a.x < b.x; });
    const auto lowest = std::max_element(points.begin(), points.end(),
                                         [](Point a, Point b) { return a.y < b.y; });
    EXPECT_EQ(leftmost->x, 20);
    EXPECT_EQ(lowest->y, 70);
}

TEST_F(Primitives, DegenerateEllipsesDrawADotOrNothing)
{
    struct Row {
        double a, b;
        const char* expected;
    };
    const Row rows[] = {
        {0.4, 0.2, "MoveToEx(50, 50)\nLineTo(50, 50)\nSetPixelV(50, 50, 0x0000FF)\n"},
        {20, 0.0, ""},
        {1e-7, 20, ""},
    };
    use_red_pen();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.a);
        platform_recording_dc_clear(m_dc);
        halvern::DrawEllipseArc(50, 50, row.a, row.b, 0.0, 0.0, 0.0, 1, drawing.get());
        EXPECT_EQ(log(), row.expected);
    }
}

TEST_F(Primitives, AFlatEllipseStillShowsItsLength)
{
    // 80 pixels long and 0.6 high: on screen a line, not a dot at its centre.
    use_red_pen();
    halvern::DrawEllipseArc(50, 50, 40, 0.3, 0.0, 0.0, 0.0, 1, drawing.get());
    const RECT box = ink();
    EXPECT_EQ(box.left, 10);
    EXPECT_EQ(box.right, 90);
    EXPECT_LE(box.bottom - box.top, 1);
}

TEST_F(Primitives, PickModeHitsEllipsesThroughTheWindowOnly)
{
    halvern::RenderPickMode = 1;
    halvern::DrawEllipseArc(50, 50, 300, 200, 0.0, 0.0, 0.0, 1, drawing.get());
    EXPECT_EQ(halvern::RenderHit, 0);
    halvern::DrawEllipseArc(0, 50, 30, 20, 0.0, 0.0, 0.0, 1, drawing.get());
    EXPECT_EQ(halvern::RenderHit, 1);
    EXPECT_EQ(log(), "");
}

// ---------------------------------------------------------------------------------
// Rays and construction lines

TEST_F(Primitives, RaysAndLinesAreCutAtTheWindow)
{
    struct Row {
        bool ray;
        double x, y, ux, uy;
        const char* expected; // MoveToEx and LineTo only
        const char* why;
    };
    const double d = std::sqrt(0.5);
    const Row rows[] = {
        {true, 50, 50, -1, 0, "MoveToEx(50, 50)\nLineTo(0, 50)\n", "ray to the left: left half"},
        {false, 50, 50, -1, 0, "MoveToEx(0, 50)\nLineTo(100, 50)\n", "line: both halves"},
        {true, 50, 50, 0, 1, "MoveToEx(50, 50)\nLineTo(50, 0)\n", "ray up"},
        {true, 50, 50, 0, -1, "MoveToEx(50, 50)\nLineTo(50, 100)\n", "ray down"},
        {false, 30, 50, 0, 1, "MoveToEx(30, 100)\nLineTo(30, 0)\n", "vertical line"},
        {true, 50, 50, d, d, "MoveToEx(50, 50)\nLineTo(100, 0)\n", "diagonal ray"},
        {true, -20, 50, 1, 0, "MoveToEx(0, 50)\nLineTo(100, 50)\n", "ray from the left"},
        {true, 150, 50, 0, 1, "", "vertical ray beside the window"},
        {false, -1, 50, 0, 1, "", "vertical line beside the window"},
        {true, 120, 50, 1, 0, "", "ray right of the window pointing away"},
        {true, 50, 120, 0, 1, "", "ray above the window pointing up"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        platform_recording_dc_clear(m_dc);
        const int32_t result = row.ray ? halvern::DrawRay(row.x, row.y, row.ux, row.uy, drawing.get())
                                       : halvern::DrawXLine(row.x, row.y, row.ux, row.uy, drawing.get());
        EXPECT_EQ(result, 0);
        std::string moves;
        for (const Point& p : path_points()) {
            moves += (moves.empty() ? "MoveToEx(" : "LineTo(") + std::to_string(p.x) + ", " +
                     std::to_string(p.y) + ")\n";
        }
        EXPECT_EQ(moves, row.expected);
    }
}

TEST_F(Primitives, ARayPointingAwayFromThePickWindowIsNoHit)
{
    // Its line runs through the window, but the ray itself starts beyond it.
    halvern::RenderPickMode = 1;
    halvern::DrawRay(150, 50, 1, 0, drawing.get());
    EXPECT_EQ(halvern::RenderHit, 0);
    halvern::DrawRay(150, 50, -1, 0, drawing.get());
    EXPECT_EQ(halvern::RenderHit, 1);
}

// ---------------------------------------------------------------------------------
// Text

class TextPrimitives : public Primitives {
protected:
    ItemRec* text(const char* content, double height, uint32_t flags, double rotation = 0.0)
    {
        ItemRec* item = halvern_test::make_text(drawing.pool(), content);
        item->it_Text.tx_Height = height;
        item->it_Text.tx_Flags = flags;
        item->it_Text.tx_Rotation = rotation;
        return item;
    }

    // The width of the text in the font DrawTextItem asks for, measured on its own DC.
    static int width_of(const char* content, int height)
    {
        LOGFONTA request{};
        request.lfHeight = height;
        request.lfOutPrecision = OUT_TT_ONLY_PRECIS;
        request.lfQuality = DRAFT_QUALITY;
        std::snprintf(request.lfFaceName, LF_FACESIZE, "Arial");
        HFONT font = CreateFontIndirectA(&request);
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, font);
        SIZE size{};
        GetTextExtentPoint32A(dc, content, static_cast<int>(std::strlen(content)), &size);
        SelectObject(dc, old);
        DeleteObject(font);
        DeleteDC(dc);
        return size.cx;
    }
};

TEST_F(TextPrimitives, TextOutsideTheReadableHeightsIsNotDrawn)
{
    for (const double height : {0.4, 10000.6, -5.0, std::nan("")}) {
        SCOPED_TRACE(height);
        halvern::DrawTextItem(10, 10, 10, 10, text("abc", height, 0), drawing.get());
        EXPECT_EQ(log(), "");
    }
}

TEST_F(TextPrimitives, TextAsksForItsFontAndPutsTheDeviceContextBack)
{
    SetTextAlign(m_dc, TA_TOP | TA_LEFT);
    SetBkMode(m_dc, OPAQUE);
    HGDIOBJ font = GetCurrentObject(m_dc, OBJ_FONT);
    ItemRec* item = text("Hi", 20, 0, kPi / 2);
    item->it_Text.tx_Oblique = kPi / 18; // 10 degrees
    platform_recording_dc_clear(m_dc);
    halvern::DrawTextItem(10, 30, 10, 30, item, drawing.get());
    EXPECT_EQ(calls("SelectObject").front(),
              "SelectObject(font \"Arial\" height=20 width=0 escapement=900 orientation=1000 "
              "weight=400 italic=0 underline=0 strikeout=0)");
    EXPECT_EQ(calls("TextOutA"), std::vector<std::string>{"TextOutA(10, 70, \"Hi\")"});
    EXPECT_EQ(GetTextAlign(m_dc), static_cast<UINT>(TA_TOP | TA_LEFT));
    EXPECT_EQ(GetBkMode(m_dc), OPAQUE);
    EXPECT_EQ(GetCurrentObject(m_dc, OBJ_FONT), font);
}

TEST_F(TextPrimitives, AlignmentFlagsPlaceTheTextAtTheSecondPoint)
{
    const int width = width_of("HHH", 20);
    ASSERT_GT(width, 10);
    struct Row {
        uint32_t flags;
        double rotation;
        int x, y; // where TextOutA anchors the text
        const char* why;
    };
    const Row rows[] = {
        {0, 0.0, 20, 50, "left on the baseline: the first point"},
        {DXFTextRight, 0.0, 80 - width, 50, "right: ends at the second point"},
        {DXFTextCentre, 0.0, 80 - width / 2, 50, "centred on the second point"},
        {DXFTextRight, kPi / 2, 80, 50 + width, "turned a quarter: ends at the second point"},
        {DXFTextRight, kPi, 80 + width, 50, "upside down: ends at the second point"},
        {DXFTextRight, 3 * kPi / 2, 80, 50 - width, "turned three quarters"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        platform_recording_dc_clear(m_dc);
        halvern::DrawTextItem(20, 50, 80, 50, text("HHH", 20, row.flags, row.rotation),
                              drawing.get());
        char expected[64];
        std::snprintf(expected, sizeof expected, "TextOutA(%d, %d, \"HHH\")", row.x, row.y);
        EXPECT_EQ(calls("TextOutA"), std::vector<std::string>{expected});
    }
}

TEST_F(TextPrimitives, RightAlignedTextEndsAtTheSecondPoint)
{
    use_red_pen();
    halvern::DrawTextItem(10, 50, 80, 50, text("HHH", 20, DXFTextRight), drawing.get());
    const RECT box = ink();
    ASSERT_LE(box.left, box.right);
    EXPECT_LE(box.right, 80);
    EXPECT_GE(box.right, 74); // the side bearing of an H is a pixel or two
    EXPECT_LE(box.bottom, 50); // on the baseline
}

TEST_F(TextPrimitives, TextCentredOnThePointStraddlesIt)
{
    use_red_pen();
    halvern::DrawTextItem(10, 10, 50, 50, text("HH", 30, DXFTextCentreMiddle), drawing.get());
    const RECT box = ink();
    ASSERT_LE(box.left, box.right);
    EXPECT_LT(box.top, 50);
    EXPECT_GT(box.bottom, 50);
    EXPECT_LT(box.left, 50);
    EXPECT_GT(box.right, 50);
}

TEST_F(TextPrimitives, PickModeTestsTheGlyphsNotTheInsertionPoint)
{
    // The pick box (48, 48)-(52, 52) holds the insertion point (50, 50); two spaces
    // keep the H's ink well to the right of it.
    drawing->dxf_ViewSize = RectangleRec{48, 48, 52, 52};
    SetDXFDrawingSize(drawing.get(), 48, 48, 52, 52); // keeps one pixel per unit
    set_window(48, 48, 52, 52);
    halvern::RenderPickMode = 1;
    halvern::DrawTextItem(50, 50, 50, 50, text("  H", 20, 0), drawing.get());
    EXPECT_EQ(halvern::RenderHit, 0);
    halvern::DrawTextItem(46, 50, 46, 50, text("H", 20, 0), drawing.get());
    EXPECT_EQ(halvern::RenderHit, 1);
    EXPECT_EQ(ink().right, -1) << "nothing drawn";
}

// ---------------------------------------------------------------------------------
// Block labels

class LabelPrimitives : public Primitives {
protected:
    void SetUp() override
    {
        Primitives::SetUp();
        m_insert = halvern_test::make_insert(drawing.pool(), nullptr, -1);
        m_font = DXFFontRec{m_face, 12.0, 0, 0x00FF00};
        m_insert->it_Insert.in_Label = m_label;
        m_insert->it_Insert.in_LabelAttr = &m_font;
    }

    char m_face[16] = "Courier New";
    char m_label[8] = "QX";
    DXFFontRec m_font{};
    ItemRec* m_insert = nullptr;
};

TEST_F(LabelPrimitives, LabelsTakeTheirFontAndColour)
{
    SetTextAlign(m_dc, TA_TOP | TA_LEFT);
    m_font.df_Style = 1 | 2 | 4 | 8;
    halvern::DrawBlockLabelText(10, 20, kPi, m_insert, drawing.get());
    EXPECT_EQ(calls("SelectObject").front(),
              "SelectObject(font \"Courier New\" height=-12 width=0 escapement=1800 "
              "orientation=1800 weight=700 italic=1 underline=1 strikeout=1)");
    EXPECT_EQ(calls("SetTextColor"), std::vector<std::string>{"SetTextColor(0x00FF00)"});
    EXPECT_EQ(calls("TextOutA"), std::vector<std::string>{"TextOutA(10, 80, \"QX\")"});
    EXPECT_EQ(GetTextAlign(m_dc), static_cast<UINT>(TA_TOP | TA_LEFT));
}

TEST_F(LabelPrimitives, LabelsBelowTwoPixelsOrWhilePickingAreNotDrawn)
{
    struct Row {
        double height;
        int pick;
        bool drawn;
    };
    const Row rows[] = {{1.4, 0, false}, {1.6, 0, true}, {12.0, 1, false}, {20000.0, 0, false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.height);
        platform_recording_dc_clear(m_dc);
        m_font.df_YSize = row.height;
        halvern::RenderPickMode = row.pick;
        halvern::DrawBlockLabelText(10, 20, 0.0, m_insert, drawing.get());
        EXPECT_EQ(calls("TextOutA").size(), row.drawn ? 1u : 0u);
        EXPECT_EQ(halvern::RenderHit, 0);
    }
    halvern::RenderPickMode = 0;
    platform_recording_dc_clear(m_dc);
    m_insert->it_Insert.in_Label = nullptr;
    halvern::DrawBlockLabelText(10, 20, 0.0, m_insert, drawing.get());
    EXPECT_EQ(log(), "");
}

// ---------------------------------------------------------------------------------
// Splines

class SplinePrimitives : public Primitives {
protected:
    // A cubic Bezier as a clamped B-spline.
    std::vector<Point3DRec> m_points{{10, 10, 0}, {10, 90, 0}, {90, 90, 0}, {90, 10, 0}};
    std::vector<double> m_knots{0, 0, 0, 0, 1, 1, 1, 1};

    void draw_nurbs(int32_t knot_count, const double* weights = nullptr)
    {
        halvern::DrawNurbsSpline(drawing.get(), 0, 0, 0, 1, 1, 0, 1, m_points.data(),
                                 static_cast<int32_t>(m_points.size()), 3, knot_count,
                                 m_knots.data(), weights, 1);
    }
};

TEST_F(SplinePrimitives, ABezierRunsFromItsFirstToItsLastPointThroughItsMiddle)
{
    draw_nurbs(8);
    const std::vector<Point> points = path_points();
    ASSERT_GE(points.size(), 4u);
    EXPECT_EQ(points.front(), (Point{10, 90}));
    EXPECT_EQ(points.back(), (Point{90, 90}));
    // B(1/2) = (P0 + 3 P1 + 3 P2 + P3) / 8 = (50, 70).
    EXPECT_NE(std::find(points.begin(), points.end(), Point{50, 30}), points.end());
    EXPECT_LE(calls("LineTo").size(), 20u * 3u);
}

TEST_F(SplinePrimitives, WeightsPullTheCurve)
{
    const double weights[] = {1, 3, 3, 1};
    draw_nurbs(8, weights);
    // With heavier inner points the middle moves towards them: above (50, 70).
    const std::vector<Point> points = path_points();
    const auto middle = std::find_if(points.begin(), points.end(), [](Point p) { return p.x == 50; });
    ASSERT_NE(middle, points.end());
    EXPECT_LT(middle->y, 30);
}

TEST_F(SplinePrimitives, TooFewKnotsDrawNothingNotEvenThePolygon)
{
    drawing->dxf_Flags = halvern::kDrawControlPolygons;
    draw_nurbs(7);
    EXPECT_EQ(log(), "");
}

TEST_F(SplinePrimitives, TheControlPolygonIsGreyUnlessMonochrome)
{
    struct Row {
        uint32_t flags;
        bool grey_pen;
    };
    const Row rows[] = {
        {halvern::kDrawControlPolygons, true},
        {halvern::kDrawControlPolygons | DXFDrawMonochrome, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.flags);
        platform_recording_dc_clear(m_dc);
        drawing->dxf_Flags = row.flags;
        draw_nurbs(8);
        EXPECT_EQ(calls("SelectObject"),
                  row.grey_pen ? std::vector<std::string>{"SelectObject(pen PS_SOLID 1 0xAAAAAA)"}
                               : std::vector<std::string>{});
        // The polygon's three sides end the path.
        const std::vector<Point> points = path_points();
        ASSERT_GE(points.size(), 6u);
        const std::vector<Point> tail(points.end() - 6, points.end());
        const std::vector<Point> polygon{{10, 90}, {10, 10}, {10, 10}, {90, 10}, {90, 10}, {90, 90}};
        EXPECT_EQ(tail, polygon);
    }
}

TEST_F(SplinePrimitives, FitSplinesPassThroughTheirPoints)
{
    const std::vector<Point3DRec> fit{{10, 10, 0}, {30, 60, 0}, {60, 20, 0}, {90, 80, 0}};
    halvern::DrawFitSpline(drawing.get(), 0, 0, 0, 1, 1, static_cast<int32_t>(fit.size()),
                           fit.data(), 1);
    const std::vector<Point> points = path_points();
    for (const Point3DRec& p : fit) {
        const Point pixel{static_cast<int>(p.x), 100 - static_cast<int>(p.y)};
        EXPECT_NE(std::find(points.begin(), points.end(), pixel), points.end())
            << pixel.x << "," << pixel.y;
    }
    EXPECT_EQ(points.front(), (Point{10, 90}));
    EXPECT_EQ(points.back(), (Point{90, 20}));
}

TEST_F(SplinePrimitives, AFitSplineThroughPointsOnALineStaysOnIt)
{
    const std::vector<Point3DRec> fit{{10, 10, 0}, {30, 30, 0}, {50, 50, 0}, {70, 70, 0}, {90, 90, 0}};
    halvern::DrawFitSpline(drawing.get(), 0, 0, 0, 1, 1, 5, fit.data(), 1);
    const std::vector<Point> points = path_points();
    ASSERT_GT(points.size(), 5u);
    for (const Point& p : points)
        EXPECT_EQ(p.x + p.y, 100) << p.x << "," << p.y;
}

TEST_F(SplinePrimitives, ShortFitSplinesAndPlacement)
{
    // Two points are one segment, placed: scaled by 2, turned a quarter, moved to
    // (50, 50). One point draws nothing.
    const std::vector<Point3DRec> fit{{1, 0, 0}, {2, 0, 0}};
    halvern::DrawFitSpline(drawing.get(), 50, 50, kPi / 2, 2, 2, 2, fit.data(), 1);
    EXPECT_EQ(path_points(), (std::vector<Point>{{50, 48}, {50, 46}}));
    platform_recording_dc_clear(m_dc);
    halvern::DrawFitSpline(drawing.get(), 0, 0, 0, 1, 1, 1, fit.data(), 1);
    EXPECT_EQ(log(), "");
}

TEST_F(SplinePrimitives, SplinesWithoutScratchMemoryAreNotDrawn)
{
    const std::vector<Point3DRec> fit{{10, 10, 0}, {30, 60, 0}, {60, 20, 0}};
    osmark_testing_fail_allocations(0, 1);
    draw_nurbs(8);
    osmark_testing_fail_allocations(0, 1);
    halvern::DrawFitSpline(drawing.get(), 0, 0, 0, 1, 1, 3, fit.data(), 1);
    osmark_testing_fail_allocations(0, 0);
    EXPECT_EQ(log(), "");
}

// The pixels a spline of control points at least 20 units apart must pass through, by
// the model's Basis itself: every knot span in 20 equal steps and at its end knot,
// repeated parameters once, and samples that are not finite left out.
std::vector<Point> pixels_by_basis(const std::vector<Point3DRec>& points, int degree,
                                   const std::vector<double>& knots, const double* weights)
{
    const int count = static_cast<int>(points.size());
    std::vector<double> basis(knots.size() + 2, 0.0);
    std::vector<Point> pixels;
    bool has_sample = false;
    double last_u = 0.0;
    const auto sample = [&](double u) {
        if (has_sample && u == last_u)
            return;
        Basis(static_cast<uint32_t>(degree + 1), u, static_cast<uint32_t>(count), knots.data(),
              weights, basis.data());
        double x = 0.0;
        double y = 0.0;
        for (int i = 0; i < count; ++i) {
            if (basis[i] == 0.0)
                continue;
            x += basis[i] * points[i].x;
            y += basis[i] * points[i].y;
        }
        if (!std::isfinite(x) || !std::isfinite(y))
            return;
        pixels.push_back(Point{Round(x), 100 - Round(y)});
        has_sample = true;
        last_u = u;
    };
    for (int i = 1; i < count; ++i) {
        const double start = knots[degree + i - 1];
        const double end = knots[degree + i];
        if (!std::isfinite(start) || !std::isfinite(end) || end < 0.0)
            continue;
        if (start > 1.0)
            break;
        const double from = std::max(start, 0.0);
        const double step = (std::min(end, 1.0) - from) / 20;
        for (int s = 0; s < 20; ++s)
            sample(from + s * step);
        sample(end);
    }
    return pixels;
}

TEST_F(SplinePrimitives, SplinePointsAreTheBasisPointsForAnyKnotsAndWeights)
{
    // The primitive works the basis out only where it can be non-zero; the points
    // must still be those of the full basis, to the pixel.
    const std::vector<Point3DRec> points{{5, 10, 0},  {20, 80, 0}, {40, 15, 0},
                                         {60, 85, 0}, {80, 20, 0}, {95, 90, 0}};
    const double inf = HUGE_VAL;
    const double nan = std::nan("");
    const std::vector<double> no_weights;
    struct Row {
        const char* why;
        int degree;
        std::vector<double> knots;
        std::vector<double> weights;
    };
    const Row rows[] = {
        {"clamped cubic", 3, {0, 0, 0, 0, 0.33, 0.67, 1, 1, 1, 1}, no_weights},
        {"rational", 3, {0, 0, 0, 0, 0.33, 0.67, 1, 1, 1, 1}, {1, 0.5, 2, 1, 3, 1}},
        {"a double inner knot", 3, {0, 0, 0, 0, 0.5, 0.5, 1, 1, 1, 1}, no_weights},
        {"knots out of order", 3, {0, 0, 0, 0, 0.7, 0.3, 1, 1, 1, 1}, no_weights},
        {"a knot that is not a number", 3, {0, 0, 0, 0, nan, 0.67, 1, 1, 1, 1}, no_weights},
        {"an infinite weight", 3, {0, 0, 0, 0, 0.33, 0.67, 1, 1, 1, 1}, {1, 1, inf, 1, 1, 1}},
        {"weights summing to zero", 1, {0, 0, 0.2, 0.4, 0.6, 0.8, 1, 1}, {1, -1, 1, -1, 1, -1}},
        {"degree 1", 1, {0, 0, 0.2, 0.4, 0.6, 0.8, 1, 1}, no_weights},
        {"degree 5, one span", 5, {0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1}, no_weights},
        {"unclamped", 2, {0, 0.1, 0.2, 0.3, 0.5, 0.6, 0.8, 0.9, 1}, no_weights},
    };
    // Odd knots and weights throw the curve far out: nothing may be cut.
    set_window(-1e6, -1e6, 1e6, 1e6);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        platform_recording_dc_clear(m_dc);
        const double* weights = row.weights.empty() ? nullptr : row.weights.data();
        halvern::DrawNurbsSpline(drawing.get(), 0, 0, 0, 1, 1, 0, 1, points.data(),
                                 static_cast<int32_t>(points.size()), row.degree,
                                 static_cast<int32_t>(row.knots.size()), row.knots.data(),
                                 weights, 1);
        const std::vector<Point> samples = pixels_by_basis(points, row.degree, row.knots, weights);
        // Every segment is MoveToEx to its first sample and LineTo its second.
        std::vector<Point> expected;
        for (size_t i = 1; i < samples.size(); ++i) {
            expected.push_back(samples[i - 1]);
            expected.push_back(samples[i]);
        }
        EXPECT_EQ(path_points(), expected);
    }
}

TEST_F(Primitives, SegmentEndsLandOnThePixelsOfRound)
{
    // Ends are mapped side by side while everything is well inside the 32-bit range,
    // one by one otherwise; both ways must give Round's pixels, halves towards zero.
    struct Row {
        double x1, y1, x2, y2;
        int32_t x_offset;
        const char* why;
    };
    const Row rows[] = {
        {10.5, 20.5, 30.4999, 40.5001, 0, "halves go towards zero"},
        {-2.5, -3.5, -2.5000001, -3.4999999, 0, "negative halves too"},
        {-0.0, 0.0, 0.49, -0.51, 7, "zeros and an offset"},
        {6e8, -6e8, 12.25, 13.75, 0, "beyond 2^29 pixels: one by one"},
        {12.5, 13.5, 14.5, 15.6, 536870917, "an offset beyond 2^29 pixels"},
        {536870911.5, 1.5, -536870911.5, 2.5, -3, "just inside 2^29"},
    };
    halvern::RenderClipLines = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        drawing->dxf_XOffset = row.x_offset;
        platform_recording_dc_clear(m_dc);
        halvern::DrawClippedLine(row.x1, row.y1, row.x2, row.y2, 1, drawing.get());
        const std::vector<Point> expected{
            {Round(row.x1) + row.x_offset, 100 - Round(row.y1)},
            {Round(row.x2) + row.x_offset, 100 - Round(row.y2)}};
        EXPECT_EQ(path_points(), expected);
    }
    drawing->dxf_XOffset = 0;
}

} // namespace
