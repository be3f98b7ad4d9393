// The window origin, clip rectangles, GetClipRgn, rounded regions, AngleArc and the
// wide text metrics.

#include "gdi_test_support.h"
#include "platform/user_paint.h"

#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace {

using gdi_test::kWhitePixel;
using gdi_test::MemorySurface;
using gdi_test::Selected;

constexpr uint32_t kRedPixel = 0x00FF0000;

// A surface with a red pen, a blue brush and the default font, cleared to white.
class Canvas : public MemorySurface {
public:
    Canvas(int width = 64, int height = 48)
        : MemorySurface(width, height), m_pen(dc(), CreatePen(PS_SOLID, 1, RGB(255, 0, 0))),
          m_brush(dc(), CreateSolidBrush(RGB(0, 0, 255)))
    {
        fill(kWhitePixel);
    }

private:
    Selected m_pen;
    Selected m_brush;
};

// The same pixels as a (logical) rectangle of surface pixels, for a clip region check.
bool region_is_rect(HRGN region, int left, int top, int right, int bottom)
{
    const HRGN expected = CreateRectRgn(left, top, right, bottom);
    const HRGN difference = CreateRectRgn(0, 0, 0, 0);
    const int kind = CombineRgn(difference, region, expected, RGN_XOR);
    DeleteObject(expected);
    DeleteObject(difference);
    return kind == NULLREGION;
}

struct OriginCase {
    const char* name;
    // Draws with every logical coordinate moved by (dx, dy).
    std::function<void(HDC dc, int dx, int dy)> draw;
};

TEST(WindowOrigin, EveryDrawingCallLandsWhereTheOriginSays)
{
    const std::u16string wide = u"Wg";
    const std::vector<OriginCase> cases = {
        {"LineTo",
         [](HDC dc, int dx, int dy) {
             MoveToEx(dc, 3 + dx, 4 + dy, nullptr);
             LineTo(dc, 40 + dx, 30 + dy);
         }},
        {"wide LineTo",
         [](HDC dc, int dx, int dy) {
             const HGDIOBJ old = SelectObject(dc, CreatePen(PS_SOLID, 3, RGB(0, 128, 0)));
             MoveToEx(dc, 5 + dx, 5 + dy, nullptr);
             LineTo(dc, 30 + dx, 20 + dy);
             DeleteObject(SelectObject(dc, old));
         }},
        {"Rectangle",
         [](HDC dc, int dx, int dy) { Rectangle(dc, 4 + dx, 6 + dy, 30 + dx, 20 + dy); }},
        {"RoundRect",
         [](HDC dc, int dx, int dy) { RoundRect(dc, 4 + dx, 6 + dy, 30 + dx, 26 + dy, 8, 6); }},
        {"Ellipse", [](HDC dc, int dx, int dy) { Ellipse(dc, 2 + dx, 3 + dy, 40 + dx, 30 + dy); }},
        {"Arc",
         [](HDC dc, int dx, int dy) {
             Arc(dc, 2 + dx, 3 + dy, 40 + dx, 30 + dy, 40 + dx, 3 + dy, 2 + dx, 30 + dy);
         }},
        {"Pie",
         [](HDC dc, int dx, int dy) {
             Pie(dc, 2 + dx, 3 + dy, 40 + dx, 30 + dy, 40 + dx, 3 + dy, 2 + dx, 30 + dy);
         }},
        {"AngleArc",
         [](HDC dc, int dx, int dy) {
             MoveToEx(dc, 1 + dx, 1 + dy, nullptr);
             AngleArc(dc, 20 + dx, 20 + dy, 12, 30.0f, 200.0f);
             LineTo(dc, 50 + dx, 40 + dy);
         }},
        {"Polygon and Polyline",
         [](HDC dc, int dx, int dy) {
             const POINT points[] = {{5 + dx, 5 + dy}, {35 + dx, 8 + dy}, {20 + dx, 30 + dy}};
             Polygon(dc, points, 3);
             const POINT line[] = {{40 + dx, 2 + dy}, {60 + dx, 20 + dy}, {45 + dx, 40 + dy}};
             Polyline(dc, line, 3);
         }},
        {"SetPixelV", [](HDC dc, int dx, int dy) { SetPixelV(dc, 7 + dx, 9 + dy, RGB(1, 2, 3)); }},
        {"TextOutA", [](HDC dc, int dx, int dy) { TextOutA(dc, 6 + dx, 8 + dy, "Hg", 2); }},
        {"ExtTextOutW clipped",
         [&](HDC dc, int dx, int dy) {
             const RECT cut{8 + dx, 10 + dy, 20 + dx, 18 + dy};
             ExtTextOutW(dc, 6 + dx, 8 + dy, ETO_CLIPPED | ETO_OPAQUE, &cut, wide.data(), 2,
                         nullptr);
         }},
        {"FillRect and FrameRect",
         [](HDC dc, int dx, int dy) {
             const RECT fill{3 + dx, 4 + dy, 20 + dx, 15 + dy};
             FillRect(dc, &fill, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
             const RECT frame{22 + dx, 4 + dy, 40 + dx, 30 + dy};
             FrameRect(dc, &frame, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
         }},
        {"DrawFocusRect",
         [](HDC dc, int dx, int dy) {
             const RECT rect{3 + dx, 4 + dy, 21 + dx, 15 + dy};
             DrawFocusRect(dc, &rect);
         }},
        {"DrawEdge",
         [](HDC dc, int dx, int dy) {
             RECT rect{3 + dx, 4 + dy, 30 + dx, 25 + dy};
             DrawEdge(dc, &rect, EDGE_SUNKEN, BF_RECT | BF_MIDDLE | BF_ADJUST);
             EXPECT_EQ(rect.left, 5 + dx) << "the adjusted rectangle stays logical";
             EXPECT_EQ(rect.bottom, 23 + dy);
         }},
        {"DrawTextW",
         [&](HDC dc, int dx, int dy) {
             RECT rect{4 + dx, 4 + dy, 30 + dx, 20 + dy};
             DrawTextW(dc, wide.data(), 2, &rect, DT_CENTER | DT_SINGLELINE | DT_VCENTER);
             RECT measured{4 + dx, 4 + dy, 4 + dx, 4 + dy};
             DrawTextW(dc, wide.data(), 2, &measured, DT_CALCRECT | DT_SINGLELINE);
             EXPECT_EQ(measured.left, 4 + dx);
             EXPECT_GT(measured.right, 4 + dx) << "a measured rectangle stays logical";
         }},
        {"PatBlt", [](HDC dc, int dx, int dy) { PatBlt(dc, 5 + dx, 6 + dy, 10, 7, PATCOPY); }},
        {"ExtFloodFill",
         [](HDC dc, int dx, int dy) {
             Rectangle(dc, 4 + dx, 4 + dy, 30 + dx, 30 + dy);
             const HGDIOBJ old = SelectObject(dc, CreateSolidBrush(RGB(0, 200, 0)));
             ExtFloodFill(dc, 10 + dx, 10 + dy, RGB(255, 0, 0), FLOODFILLBORDER);
             DeleteObject(SelectObject(dc, old));
         }},
        {"path",
         [](HDC dc, int dx, int dy) {
             BeginPath(dc);
             MoveToEx(dc, 5 + dx, 5 + dy, nullptr);
             LineTo(dc, 40 + dx, 10 + dy);
             LineTo(dc, 20 + dx, 35 + dy);
             EndPath(dc);
             StrokeAndFillPath(dc);
         }},
    };
    for (const OriginCase& c : cases) {
        SCOPED_TRACE(c.name);
        Canvas plain;
        c.draw(plain.dc(), 0, 0);
        ASSERT_FALSE(plain.marked(kWhitePixel).empty()) << "the case draws something";
        Canvas moved;
        SetWindowOrgEx(moved.dc(), 100, -50, nullptr);
        c.draw(moved.dc(), 100, -50);
        EXPECT_EQ(moved.snapshot(), plain.snapshot());
    }
}

TEST(WindowOrigin, BlitsMapTheSourceAndTheDestinationEachByItsOwnOrigin)
{
    Canvas source(20, 20);
    Rectangle(source.dc(), 2, 3, 12, 15);
    TextOutA(source.dc(), 4, 4, "x", 1);

    Canvas plain;
    BitBlt(plain.dc(), 10, 5, 15, 16, source.dc(), 1, 2, SRCCOPY);
    StretchBlt(plain.dc(), 30, 10, 30, 32, source.dc(), 1, 2, 15, 16, SRCCOPY);

    SetWindowOrgEx(source.dc(), -7, 9, nullptr);
    Canvas moved;
    SetWindowOrgEx(moved.dc(), 20, 30, nullptr);
    BitBlt(moved.dc(), 30, 35, 15, 16, source.dc(), -6, 11, SRCCOPY);
    StretchBlt(moved.dc(), 50, 40, 30, 32, source.dc(), -6, 11, 15, 16, SRCCOPY);
    EXPECT_EQ(moved.snapshot(), plain.snapshot());
}

TEST(WindowOrigin, PositionsBoxesAndPointsStayLogical)
{
    Canvas canvas;
    const HDC dc = canvas.dc();
    POINT origin{1, 1};
    ASSERT_TRUE(GetWindowOrgEx(dc, &origin));
    EXPECT_EQ(origin.x, 0) << "a new DC starts at (0, 0)";
    EXPECT_EQ(origin.y, 0);

    POINT old{};
    ASSERT_TRUE(SetWindowOrgEx(dc, 10, 20, &old));
    EXPECT_EQ(old.x, 0);
    ASSERT_TRUE(SetWindowOrgEx(dc, 30, 40, &old));
    EXPECT_EQ(old.x, 10);
    EXPECT_EQ(old.y, 20);

    MoveToEx(dc, 35, 45, nullptr);
    LineTo(dc, 40, 45);
    POINT position{};
    GetCurrentPositionEx(dc, &position);
    EXPECT_EQ(position.x, 40) << "the current position is logical";
    EXPECT_EQ(position.y, 45);
    EXPECT_EQ(canvas.at(5, 5), kRedPixel);
    EXPECT_EQ(GetPixel(dc, 35, 45), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(dc, 29, 45), CLR_INVALID) << "left of the surface";

    // The origin changed between MoveToEx and LineTo: the line starts at the logical
    // position seen through the new origin.
    SetWindowOrgEx(dc, 0, 0, nullptr);
    LineTo(dc, 40, 47);
    EXPECT_EQ(canvas.at(40, 45), kRedPixel);

    SetWindowOrgEx(dc, 30, 40, nullptr);
    RECT box{};
    EXPECT_EQ(GetClipBox(dc, &box), SIMPLEREGION);
    EXPECT_EQ(box.left, 30);
    EXPECT_EQ(box.top, 40);
    EXPECT_EQ(box.right, 30 + canvas.width());
    EXPECT_EQ(box.bottom, 40 + canvas.height());

    POINT points[2] = {{30, 40}, {-5, 0}};
    ASSERT_TRUE(LPtoDP(dc, points, 2));
    EXPECT_EQ(points[0].x, 0);
    EXPECT_EQ(points[0].y, 0);
    EXPECT_EQ(points[1].x, -35);
    ASSERT_TRUE(DPtoLP(dc, points, 2));
    EXPECT_EQ(points[1].x, -5);
    EXPECT_EQ(points[1].y, 0);

    SetWindowOrgEx(dc, -100, 0, nullptr);
    POINT far_point{INT32_MAX - 10, 0};
    EXPECT_FALSE(LPtoDP(dc, &far_point, 1)) << "past the 32-bit range";
    EXPECT_FALSE(Rectangle(dc, INT32_MAX - 10, 0, INT32_MAX, 5));
    EXPECT_FALSE(SetWindowOrgEx(nullptr, 0, 0, nullptr));
}

TEST(WindowOrigin, PaintDCsStartAtTheOriginAndPathRegionsAreDevicePixels)
{
    Canvas canvas;
    SetWindowOrgEx(canvas.dc(), 10, 10, nullptr);
    BeginPath(canvas.dc());
    MoveToEx(canvas.dc(), 10, 10, nullptr);
    LineTo(canvas.dc(), 30, 10);
    LineTo(canvas.dc(), 30, 30);
    LineTo(canvas.dc(), 10, 30);
    CloseFigure(canvas.dc());
    EndPath(canvas.dc());
    const HRGN region = PathToRegion(canvas.dc());
    ASSERT_NE(region, nullptr);
    EXPECT_TRUE(region_is_rect(region, 0, 0, 20, 20)) << "device coordinates";
    DeleteObject(region);
}

TEST(ClipRectangles, ExcludeAndIntersectTakeLogicalRectangles)
{
    Canvas canvas(40, 30);
    const HDC dc = canvas.dc();
    SetWindowOrgEx(dc, 100, 200, nullptr);
    // Without a clip the whole surface is where they start from.
    EXPECT_EQ(ExcludeClipRect(dc, 100, 200, 110, 210), COMPLEXREGION);
    const RECT all{100, 200, 140, 230};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(canvas.at(0, 0), kWhitePixel);
    EXPECT_EQ(canvas.at(9, 9), kWhitePixel);
    EXPECT_EQ(canvas.at(10, 9), 0u);
    EXPECT_EQ(canvas.at(9, 10), 0u);

    canvas.fill(kWhitePixel);
    // Corners in any order.
    EXPECT_EQ(IntersectClipRect(dc, 130, 225, 105, 205), COMPLEXREGION);
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(canvas.at(5, 5), kWhitePixel) << "outside the intersection";
    EXPECT_EQ(canvas.at(8, 8), kWhitePixel) << "still excluded";
    EXPECT_EQ(canvas.at(10, 5), 0u);
    EXPECT_EQ(canvas.at(29, 24), 0u);
    EXPECT_EQ(canvas.at(30, 24), kWhitePixel);
    EXPECT_EQ(canvas.at(29, 25), kWhitePixel);

    EXPECT_EQ(IntersectClipRect(dc, 0, 0, 5, 5), NULLREGION) << "nothing of it on the clip";
    EXPECT_EQ(ExcludeClipRect(nullptr, 0, 0, 1, 1), ERROR);
    EXPECT_EQ(IntersectClipRect(dc, INT32_MIN + 10, 0, INT32_MIN + 20, 5), ERROR);
}

TEST(ClipRectangles, DrawTextKeepsToTheClip)
{
    // A caption scrolled under an excluded header band must not show in it.
    const std::u16string text = u"WWWW";
    Canvas canvas(60, 30);
    ExcludeClipRect(canvas.dc(), 0, 0, 60, 10);
    RECT rect{0, 0, 60, 30};
    DrawTextW(canvas.dc(), text.data(), 4, &rect, DT_NOCLIP);
    RECT boxed{0, 0, 60, 30};
    DrawTextW(canvas.dc(), text.data(), 4, &boxed, DT_SINGLELINE);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 60; ++x)
            ASSERT_EQ(canvas.at(x, y), kWhitePixel) << x << "," << y;
    }
    EXPECT_FALSE(canvas.marked(kWhitePixel).empty()) << "the text below the band shows";
}

TEST(ClipRectangles, GetClipRgnSavesTheClipForSelectingItBack)
{
    Canvas canvas(40, 30);
    const HDC dc = canvas.dc();
    const HRGN saved = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetClipRgn(dc, saved), 0) << "no clip yet";

    SetWindowOrgEx(dc, 5, 5, nullptr);
    IntersectClipRect(dc, 10, 10, 25, 20);
    ASSERT_EQ(GetClipRgn(dc, saved), 1);
    EXPECT_TRUE(region_is_rect(saved, 5, 5, 20, 15)) << "the clip in device coordinates";

    // Narrow further, then put the saved clip back.
    IntersectClipRect(dc, 10, 10, 12, 12);
    SelectClipRgn(dc, saved);
    const RECT all{0, 0, 60, 60};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(canvas.at(19, 14), 0u);
    EXPECT_EQ(canvas.at(20, 14), kWhitePixel);
    EXPECT_EQ(canvas.at(4, 5), kWhitePixel);

    // The copy is the caller's: changing it leaves the DC's clip alone.
    const HRGN more = CreateRectRgn(0, 0, 40, 30);
    CombineRgn(saved, saved, more, RGN_OR);
    const HRGN again = CreateRectRgn(0, 0, 0, 0);
    ASSERT_EQ(GetClipRgn(dc, again), 1);
    EXPECT_TRUE(region_is_rect(again, 5, 5, 20, 15));

    SelectClipRgn(dc, nullptr);
    EXPECT_EQ(GetClipRgn(dc, again), 0) << "the clip removed";
    EXPECT_EQ(GetClipRgn(nullptr, again), -1);
    EXPECT_EQ(GetClipRgn(dc, nullptr), -1);
    for (const HRGN region : {saved, more, again})
        DeleteObject(region);
}

TEST(RoundRectRegions, CoverThePixelsOfRoundRect)
{
    struct Case {
        int left, top, right, bottom, corner_width, corner_height;
    };
    // Small corners, corners as large as the box, a box far wider than its corners
    // (its straight middle is not drawn pixel by pixel), corners given backwards.
    const Case cases[] = {{2, 3, 40, 30, 12, 10},
                          {5, 5, 25, 21, 40, 40},
                          {1, 2, 290, 190, 20, 14},
                          {30, 20, 4, 2, -9, 7}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.right) + "x" + std::to_string(c.bottom));
        Canvas drawn(300, 200);
        {
            const Selected pen(drawn.dc(), CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
            const Selected brush(drawn.dc(), CreateSolidBrush(RGB(0, 0, 0)));
            RoundRect(drawn.dc(), c.left, c.top, c.right, c.bottom, c.corner_width,
                      c.corner_height);
        }
        Canvas clipped(300, 200);
        const HRGN region =
            CreateRoundRectRgn(c.left, c.top, c.right, c.bottom, c.corner_width, c.corner_height);
        ASSERT_NE(region, nullptr);
        SelectClipRgn(clipped.dc(), region);
        const RECT all{0, 0, 300, 200};
        FillRect(clipped.dc(), &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        EXPECT_EQ(clipped.marked(kWhitePixel), drawn.marked(kWhitePixel));
        DeleteObject(region);
    }
    const RECT corner{2, 3, 3, 4};
    const HRGN rounded = CreateRoundRectRgn(2, 3, 40, 30, 12, 10);
    EXPECT_FALSE(RectInRegion(rounded, &corner)) << "the corner is cut";
    DeleteObject(rounded);
    EXPECT_EQ(CreateRoundRectRgn(0, 0, 70000, 10, 2, 2), nullptr);
    const HRGN flat = CreateRoundRectRgn(0, 0, 1, 10, 2, 2);
    const HRGN none = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(CombineRgn(none, flat, nullptr, RGN_COPY), NULLREGION) << "RoundRect draws nothing";
    DeleteObject(flat);
    DeleteObject(none);
}

// The pixels of the surface that the pen drew.
std::vector<std::string> red_pixels(const MemorySurface& surface)
{
    std::vector<std::string> pixels;
    for (int y = 0; y < surface.height(); ++y) {
        for (int x = 0; x < surface.width(); ++x) {
            if (surface.at(x, y) == kRedPixel)
                pixels.push_back(std::to_string(x) + "," + std::to_string(y));
        }
    }
    return pixels;
}

TEST(AngleArcs, AQuarterArcRunsCounterClockwiseAndMovesThePosition)
{
    Canvas canvas;
    const HDC dc = canvas.dc();
    MoveToEx(dc, 20, 10, nullptr);
    // The upper left quarter about (20, 20): from the top point to the left one.
    ASSERT_TRUE(AngleArc(dc, 20, 20, 10, 90.0f, 90.0f));
    POINT position{};
    GetCurrentPositionEx(dc, &position);
    EXPECT_EQ(position.x, 10);
    EXPECT_EQ(position.y, 20);
    EXPECT_EQ(canvas.at(20, 10), kRedPixel);
    EXPECT_EQ(canvas.at(10, 20), kRedPixel);
    const RECT ink = canvas.ink(kWhitePixel);
    EXPECT_EQ(ink.left, 10);
    EXPECT_EQ(ink.top, 10);
    EXPECT_EQ(ink.right, 20);
    EXPECT_EQ(ink.bottom, 20);
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            if (canvas.at(x, y) == kRedPixel) {
                EXPECT_NEAR(std::hypot(x - 20.0, y - 20.0), 10.0, 0.75) << x << "," << y;
            }
        }
    }

    // A negative sweep runs clockwise: the same quarter the other way, ending on top.
    Canvas backwards;
    MoveToEx(backwards.dc(), 10, 20, nullptr);
    AngleArc(backwards.dc(), 20, 20, 10, 180.0f, -90.0f);
    EXPECT_EQ(red_pixels(backwards), red_pixels(canvas));
    GetCurrentPositionEx(backwards.dc(), &position);
    EXPECT_EQ(position.x, 20);
    EXPECT_EQ(position.y, 10);
}

TEST(AngleArcs, ALineJoinsTheCurrentPositionAndAWholeTurnIsTheCircle)
{
    Canvas canvas;
    MoveToEx(canvas.dc(), 0, 0, nullptr);
    AngleArc(canvas.dc(), 20, 20, 10, 90.0f, 90.0f);
    EXPECT_EQ(canvas.at(0, 0), kRedPixel) << "the line from the current position";
    EXPECT_EQ(canvas.at(10, 5), kRedPixel);

    Canvas circle;
    MoveToEx(circle.dc(), 30, 20, nullptr);
    AngleArc(circle.dc(), 20, 20, 10, 0.0f, 720.0f);
    Canvas outline;
    Arc(outline.dc(), 10, 10, 31, 31, 31, 20, 31, 20);
    EXPECT_EQ(red_pixels(circle), red_pixels(outline));

    EXPECT_FALSE(AngleArc(circle.dc(), 0, 0, 1u << 30, 0.0f, 90.0f)) << "radius out of range";
    EXPECT_FALSE(AngleArc(circle.dc(), 0, 0, 5, NAN, 90.0f));
}

TEST(TextMetrics, TheWideFormGivesTheSameMeasures)
{
    Canvas canvas;
    TEXTMETRICA narrow{};
    TEXTMETRICW wide{};
    ASSERT_TRUE(GetTextMetricsA(canvas.dc(), &narrow));
    ASSERT_TRUE(GetTextMetricsW(canvas.dc(), &wide));
    EXPECT_GT(wide.tmHeight, 0);
    EXPECT_EQ(wide.tmHeight, narrow.tmHeight);
    EXPECT_EQ(wide.tmAscent, narrow.tmAscent);
    EXPECT_EQ(wide.tmAveCharWidth, narrow.tmAveCharWidth);
    EXPECT_EQ(wide.tmLastChar, narrow.tmLastChar);
    EXPECT_EQ(wide.tmPitchAndFamily, narrow.tmPitchAndFamily);
    EXPECT_FALSE(GetTextMetricsW(canvas.dc(), nullptr));
    EXPECT_FALSE(GetTextMetricsW(nullptr, &wide));
}

}
