// Paths, regions made from paths, arcs and wide pens.

#include "gdi_test_support.h"

namespace {

using gdi_test::kWhitePixel;
using gdi_test::MemorySurface;
using gdi_test::Selected;

constexpr uint32_t kRed = 0xFF0000;   // pixel of RGB(255, 0, 0)
constexpr uint32_t kGreen = 0x00FF00; // pixel of RGB(0, 255, 0)

void rectangle_path(HDC dc, int left, int top, int right, int bottom, bool close)
{
    BeginPath(dc);
    MoveToEx(dc, left, top, nullptr);
    LineTo(dc, right, top);
    LineTo(dc, right, bottom);
    LineTo(dc, left, bottom);
    if (close)
        CloseFigure(dc);
    EndPath(dc);
}

class PathTest : public testing::Test {
protected:
    PathTest()
        : m_surface(20, 16),
          m_pen(m_surface.dc(), CreatePen(PS_SOLID, 1, RGB(255, 0, 0))),
          m_brush(m_surface.dc(), CreateSolidBrush(RGB(0, 255, 0)))
    {
        m_surface.fill(kWhitePixel);
    }
    HDC dc() { return m_surface.dc(); }

    MemorySurface m_surface;
    Selected m_pen;
    Selected m_brush;
};

TEST_F(PathTest, StrokeAndFillPathClosesFillsAndStrokes)
{
    rectangle_path(dc(), 2, 2, 12, 10, false);
    ASSERT_TRUE(StrokeAndFillPath(dc()));
    for (const POINT& corner : {POINT{2, 2}, POINT{12, 2}, POINT{12, 10}, POINT{2, 10}, POINT{7, 2}, POINT{12, 6},
                                POINT{7, 10}, POINT{2, 6}}) {
        EXPECT_EQ(m_surface.at(corner.x, corner.y), kRed) << corner.x << "," << corner.y << " outline";
    }
    EXPECT_EQ(m_surface.at(7, 6), kGreen);
    EXPECT_EQ(m_surface.at(3, 3), kGreen);
    EXPECT_EQ(m_surface.at(11, 9), kGreen);
    EXPECT_EQ(m_surface.at(13, 6), kWhitePixel);
    EXPECT_EQ(m_surface.at(1, 1), kWhitePixel);
    EXPECT_EQ(m_surface.count(kRed), 36) << "the perimeter once";
    EXPECT_EQ(m_surface.count(kGreen), 9 * 7);
    EXPECT_FALSE(StrokeAndFillPath(dc())) << "the path was used up";
}

TEST_F(PathTest, NullPenOrBrushLeavesItsPartOut)
{
    SelectObject(dc(), GetStockObject(NULL_BRUSH));
    rectangle_path(dc(), 2, 2, 12, 10, true);
    StrokeAndFillPath(dc());
    EXPECT_EQ(m_surface.count(kGreen), 0);
    EXPECT_EQ(m_surface.count(kRed), 36);
    m_surface.fill(kWhitePixel);
    HGDIOBJ brush = GetCurrentObject(dc(), OBJ_BRUSH);
    SelectObject(dc(), GetStockObject(NULL_PEN));
    SelectObject(dc(), GetStockObject(BLACK_BRUSH));
    rectangle_path(dc(), 2, 2, 12, 10, true);
    StrokeAndFillPath(dc());
    EXPECT_EQ(m_surface.count(0), 10 * 8) << "the left and top edges filled, the right and bottom ones not";
    EXPECT_EQ(m_surface.at(11, 9), 0u);
    EXPECT_EQ(m_surface.at(12, 9), kWhitePixel);
    SelectObject(dc(), brush);
}

TEST_F(PathTest, HatchedBrushShowsItsGapsAsTheModeSays)
{
    const LOGBRUSH hatch{BS_HATCHED, RGB(255, 0, 0), HS_CROSS};
    HBRUSH brush = CreateBrushIndirect(&hatch);
    HGDIOBJ old = SelectObject(dc(), brush);
    SelectObject(dc(), GetStockObject(NULL_PEN));
    SetBkMode(dc(), TRANSPARENT);
    rectangle_path(dc(), 0, 0, 16, 16, true);
    StrokeAndFillPath(dc());
    const int hatched = m_surface.count(kRed);
    EXPECT_GT(hatched, 0);
    EXPECT_GT(m_surface.count(kWhitePixel), 0) << "transparent gaps";
    SetBkMode(dc(), OPAQUE);
    SetBkColor(dc(), RGB(0, 0, 255));
    rectangle_path(dc(), 0, 0, 16, 16, true);
    StrokeAndFillPath(dc());
    EXPECT_EQ(m_surface.count(kRed), hatched) << "the same pattern";
    EXPECT_EQ(m_surface.count(kRed) + m_surface.count(0x0000FF), 16 * 16);
    SelectObject(dc(), old);
    DeleteObject(brush);
}

TEST_F(PathTest, FiguresInAPathAreNotDrawnButPixelsAre)
{
    BeginPath(dc());
    MoveToEx(dc(), 1, 1, nullptr);
    LineTo(dc(), 15, 12);
    EXPECT_TRUE(SetPixelV(dc(), 5, 5, RGB(0, 0, 0)));
    EXPECT_EQ(m_surface.count(kWhitePixel), 20 * 16 - 1);
    EXPECT_EQ(m_surface.at(5, 5), 0u);
    POINT position{};
    GetCurrentPositionEx(dc(), &position);
    EXPECT_EQ(position.x, 15) << "the current position still moves";
    BeginPath(dc());
    EndPath(dc());
    StrokeAndFillPath(dc());
    EXPECT_EQ(m_surface.count(kRed), 0) << "BeginPath dropped the earlier figure";
}

TEST_F(PathTest, FarOffFiguresFillOnlyTheSurface)
{
    // Unclipped figures reach far past any surface; only the part on it is painted.
    BeginPath(dc());
    MoveToEx(dc(), -2000000000, -2000000000, nullptr);
    LineTo(dc(), 2000000000, -2000000000);
    LineTo(dc(), 2000000000, 2000000000);
    LineTo(dc(), -2000000000, 2000000000);
    CloseFigure(dc());
    EndPath(dc());
    ASSERT_TRUE(StrokeAndFillPath(dc()));
    EXPECT_EQ(m_surface.count(kGreen), 20 * 16);
}

TEST_F(PathTest, BracketErrors)
{
    struct Row {
        const char* why;
        BOOL (*call)(HDC);
    };
    const Row without_path[] = {
        {"EndPath", EndPath},
        {"CloseFigure", CloseFigure},
        {"StrokeAndFillPath", StrokeAndFillPath},
    };
    for (const Row& row : without_path) {
        SCOPED_TRACE(row.why);
        EXPECT_FALSE(row.call(dc()));
    }
    EXPECT_EQ(PathToRegion(dc()), nullptr);
    BeginPath(dc());
    EXPECT_FALSE(CloseFigure(dc())) << "no figure yet";
    EXPECT_FALSE(StrokeAndFillPath(dc())) << "path not ended";
    EXPECT_EQ(PathToRegion(dc()), nullptr);
    MoveToEx(dc(), 0, 0, nullptr);
    LineTo(dc(), 5, 0);
    EXPECT_TRUE(CloseFigure(dc()));
    EXPECT_FALSE(CloseFigure(dc())) << "already closed";
    EXPECT_TRUE(EndPath(dc()));
    EXPECT_FALSE(EndPath(dc()));
}

TEST_F(PathTest, PathToRegionHoldsTheFilledPixels)
{
    rectangle_path(dc(), 2, 2, 12, 10, true);
    HRGN region = PathToRegion(dc());
    ASSERT_NE(region, nullptr);
    struct Row {
        RECT pixel;
        BOOL inside;
    };
    const Row rows[] = {
        {{2, 2, 3, 3}, TRUE},   {{11, 9, 12, 10}, TRUE},  {{12, 9, 13, 10}, FALSE},
        {{11, 10, 12, 11}, FALSE}, {{1, 2, 2, 3}, FALSE}, {{2, 1, 3, 2}, FALSE},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.pixel.left << "," << row.pixel.top);
        EXPECT_EQ(RectInRegion(region, &row.pixel), row.inside);
    }
    EXPECT_EQ(PathToRegion(dc()), nullptr) << "the path was used up";
    DeleteObject(region);
}

// ---- Arcs ------------------------------------------------------------------------------

TEST_F(PathTest, SameRayTwiceDrawsTheWholeEllipse)
{
    ASSERT_TRUE(Arc(dc(), 2, 2, 13, 13, 2, 7, 2, 7));
    const RECT ink = m_surface.ink(kWhitePixel);
    EXPECT_EQ(ink.left, 2);
    EXPECT_EQ(ink.top, 2);
    EXPECT_EQ(ink.right, 12) << "right edge of the box left out";
    EXPECT_EQ(ink.bottom, 12);
    EXPECT_EQ(m_surface.at(7, 7), kWhitePixel);
    for (int y = 2; y <= 12; ++y) {
        for (int x = 2; x <= 12; ++x) {
            EXPECT_EQ(m_surface.at(x, y), m_surface.at(14 - x, y)) << x << "," << y;
            EXPECT_EQ(m_surface.at(x, y), m_surface.at(x, 14 - y)) << x << "," << y;
        }
    }
    POINT position{};
    GetCurrentPositionEx(dc(), &position);
    EXPECT_EQ(position.x, 0) << "Arc leaves the current position";
}

TEST_F(PathTest, ArcsRunCounterClockwise)
{
    // From 3 o'clock to 12 o'clock: the upper right quarter only.
    Arc(dc(), 0, 0, 15, 15, 14, 7, 7, 0);
    const RECT quarter = m_surface.ink(kWhitePixel);
    EXPECT_GE(quarter.left, 7);
    EXPECT_LE(quarter.bottom, 7);
    m_surface.fill(kWhitePixel);
    // From 12 o'clock to 3 o'clock: the other three quarters.
    Arc(dc(), 0, 0, 15, 15, 7, 0, 14, 7);
    const RECT rest = m_surface.ink(kWhitePixel);
    EXPECT_EQ(rest.left, 0);
    EXPECT_EQ(rest.bottom, 14);
    EXPECT_EQ(m_surface.at(12, 2), kWhitePixel) << "the upper right stays empty";
}

TEST_F(PathTest, ArcRefusesCoordinatesPastTheRange)
{
    EXPECT_FALSE(Arc(dc(), 0, 0, 1 << 28, 10, 0, 0, 0, 0));
    EXPECT_FALSE(Arc(dc(), 0, 0, 10, 10, -(1 << 28), 0, 0, 0));
    EXPECT_EQ(m_surface.count(kWhitePixel), 20 * 16);
    EXPECT_TRUE(Arc(dc(), -(1 << 26), -(1 << 26), 1 << 26, 1 << 26, 0, 0, 0, 0)) << "huge, off the surface";
}

TEST_F(PathTest, ArcInAPathIsFilled)
{
    BeginPath(dc());
    Arc(dc(), 2, 2, 15, 15, 0, 0, 0, 0);
    EndPath(dc());
    StrokeAndFillPath(dc());
    EXPECT_EQ(m_surface.at(8, 8), kGreen);
    EXPECT_EQ(m_surface.at(2, 8), kRed);
    EXPECT_EQ(m_surface.at(0, 0), kWhitePixel);
}

// ---- Wide pens ---------------------------------------------------------------------------

TEST_F(PathTest, WidePensCoverTheirWidthAndBothEnds)
{
    HPEN wide = CreatePen(PS_SOLID, 5, RGB(0, 0, 0));
    HGDIOBJ old = SelectObject(dc(), wide);
    MoveToEx(dc(), 5, 8, nullptr);
    LineTo(dc(), 14, 8);
    const RECT ink = m_surface.ink(kWhitePixel);
    EXPECT_EQ(ink.top, 6);
    EXPECT_EQ(ink.bottom, 10);
    EXPECT_LE(ink.left, 4) << "round start";
    EXPECT_GE(ink.right, 15) << "round end: the end point is drawn";
    for (int y = 6; y <= 10; ++y)
        EXPECT_EQ(m_surface.at(9, y), 0u) << y;
    SelectObject(dc(), old);
    DeleteObject(wide);

    m_surface.fill(kWhitePixel);
    HPEN zero = CreatePen(PS_SOLID, 0, RGB(0, 0, 0));
    SelectObject(dc(), zero);
    MoveToEx(dc(), 5, 8, nullptr);
    LineTo(dc(), 14, 8);
    EXPECT_EQ(m_surface.count(0), 9) << "width 0 is the one-pixel pen";
    SelectObject(dc(), old);
    DeleteObject(zero);
}

}
