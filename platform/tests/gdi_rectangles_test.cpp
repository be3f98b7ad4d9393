// Rectangle, RoundRect, StretchBlt, GetClipBox and the faces that stand for others.

#include "gdi_test_support.h"

#include <cstring>
#include <string>

namespace {

using gdi_test::kWhitePixel;
using gdi_test::MemorySurface;
using gdi_test::Selected;

HFONT make_font(const char* face, LONG height)
{
    LOGFONTA font{};
    font.lfHeight = height;
    std::strncpy(font.lfFaceName, face, LF_FACESIZE - 1);
    return CreateFontIndirectA(&font);
}

// The width of a text in a face, measured with a fresh font.
LONG text_width(HDC dc, const char* face)
{
    const char* text = "Substitution of faces 0123456789";
    Selected font(dc, make_font(face, -20));
    SIZE size{0, 0};
    EXPECT_TRUE(GetTextExtentPoint32A(dc, text, static_cast<int>(std::strlen(text)), &size));
    return size.cx;
}

}

TEST(Rectangles, OutlineAndFillCoverEachPixelOnce)
{
    MemorySurface surface(12, 10);
    surface.fill(kWhitePixel);
    {
        Selected pen(surface.dc(), CreatePen(PS_SOLID, 1, RGB(0, 0, 255)));
        Selected brush(surface.dc(), CreateSolidBrush(RGB(255, 255, 0)));
        ASSERT_TRUE(Rectangle(surface.dc(), 8, 7, 2, 2)); // corners in any order
    }
    const RECT ink = surface.ink(kWhitePixel);
    EXPECT_EQ(ink.left, 2);
    EXPECT_EQ(ink.top, 2);
    EXPECT_EQ(ink.right, 7); // the last pixel
    EXPECT_EQ(ink.bottom, 6);
    EXPECT_EQ(surface.count(0x0000FF), 2 * 6 + 2 * 3);
    EXPECT_EQ(surface.count(0xFFFF00), 4 * 3);

    // XOR twice is nothing: no pixel is drawn twice, by the pen or by the brush.
    const std::vector<uint32_t> before = surface.snapshot();
    SetROP2(surface.dc(), R2_XORPEN);
    for (const int width : {1, 3}) {
        Selected pen(surface.dc(), CreatePen(PS_SOLID, width, RGB(0x55, 0x66, 0x77)));
        Selected brush(surface.dc(), CreateSolidBrush(RGB(1, 2, 3)));
        Rectangle(surface.dc(), 1, 1, 11, 9);
        EXPECT_NE(surface.snapshot(), before);
        Rectangle(surface.dc(), 1, 1, 11, 9);
        EXPECT_EQ(surface.snapshot(), before) << width;
    }
    SetROP2(surface.dc(), R2_COPYPEN);

    // Without a pen the fill leaves out the right column and the bottom row.
    surface.fill(kWhitePixel);
    {
        Selected brush(surface.dc(), CreateSolidBrush(RGB(0, 0, 0)));
        SelectObject(surface.dc(), GetStockObject(NULL_PEN));
        Rectangle(surface.dc(), 0, 0, 4, 3);
        SelectObject(surface.dc(), GetStockObject(BLACK_PEN));
    }
    EXPECT_EQ(surface.count(0), 3 * 2);
}

TEST(Rectangles, RoundRectKeepsItsCornersOut)
{
    MemorySurface surface(30, 20);
    surface.fill(kWhitePixel);
    {
        Selected brush(surface.dc(), CreateSolidBrush(RGB(255, 0, 0)));
        ASSERT_TRUE(RoundRect(surface.dc(), 0, 0, 30, 20, 12, 12));
    }
    EXPECT_EQ(surface.at(0, 0), kWhitePixel);
    EXPECT_EQ(surface.at(29, 19), kWhitePixel);
    EXPECT_EQ(surface.at(15, 0), 0u) << "the black pen along the top";
    EXPECT_EQ(surface.at(15, 10), 0xFF0000u);
    const RECT ink = surface.ink(kWhitePixel);
    EXPECT_EQ(ink.right, 29); // the last pixel
    EXPECT_EQ(ink.bottom, 19);
}

TEST(StretchBlt, EachTargetPixelTakesTheSourcePixelUnderItsCentre)
{
    MemorySurface source(3, 1);
    source.at(0, 0) = 0x111111;
    source.at(1, 0) = 0x222222;
    source.at(2, 0) = 0x333333;
    MemorySurface target(8, 2);
    target.fill(kWhitePixel);
    ASSERT_TRUE(StretchBlt(target.dc(), 1, 0, 6, 2, source.dc(), 0, 0, 3, 1, SRCCOPY));
    const uint32_t row[8] = {kWhitePixel, 0x111111, 0x111111, 0x222222,
                             0x222222,    0x333333, 0x333333, kWhitePixel};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(target.at(x, y), row[x]) << x << "," << y;

    // Through a raster operation, off the surfaces, and mirrored.
    ASSERT_TRUE(StretchBlt(target.dc(), -3, 0, 6, 1, source.dc(), 0, 0, 3, 1, SRCINVERT));
    EXPECT_EQ(target.at(0, 0), kWhitePixel ^ 0x222222u);
    EXPECT_EQ(target.at(2, 0), 0x111111u ^ 0x333333u);
    ASSERT_TRUE(StretchBlt(target.dc(), 7, 1, -6, 1, source.dc(), 0, 0, 3, 1, SRCCOPY));
    const uint32_t mirrored[8] = {kWhitePixel, 0x111111, 0x333333, 0x333333,
                                  0x222222,    0x222222, 0x111111, 0x111111};
    for (int x = 1; x < 8; ++x)
        EXPECT_EQ(target.at(x, 1), mirrored[x]) << x;
    EXPECT_TRUE(StretchBlt(target.dc(), 0, 0, 0, 1, source.dc(), 0, 0, 3, 1, SRCCOPY));

    // Within one surface the source is read before it is written.
    MemorySurface same(4, 1);
    for (int x = 0; x < 4; ++x)
        same.at(x, 0) = static_cast<uint32_t>(x + 1);
    StretchBlt(same.dc(), 0, 0, 4, 1, same.dc(), 2, 0, 2, 1, SRCCOPY);
    EXPECT_EQ(same.snapshot(), (std::vector<uint32_t>{3, 3, 4, 4}));
}

TEST(ClipBox, IsTheSurfaceOfAMemoryDc)
{
    MemorySurface surface(17, 9);
    RECT box{};
    EXPECT_EQ(GetClipBox(surface.dc(), &box), SIMPLEREGION);
    EXPECT_EQ(box.right, 17);
    EXPECT_EQ(box.bottom, 9);
    EXPECT_EQ(GetClipBox(nullptr, &box), RGN_ERROR);
}

TEST(FontFaces, WindowsFacesAreDrawnInTheirInstalledTwins)
{
    MemorySurface surface(10, 10);
    const struct {
        const char* asked;
        const char* drawn;
    } cases[] = {
        {"Arial", "Liberation Sans"},
        {"Tahoma", "Liberation Sans"},
        {"MS Shell Dlg 2", "Liberation Sans"},
        {"calibri", "Carlito"},
        {"Times New Roman", "Liberation Serif"},
        {"Courier New", "Liberation Mono"},
        {"Wingdings", "DejaVu Sans"},
        {"", "Liberation Sans"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(text_width(surface.dc(), c.asked), text_width(surface.dc(), c.drawn)) << c.asked;
    EXPECT_NE(text_width(surface.dc(), "Courier New"), text_width(surface.dc(), "Arial"));
}
