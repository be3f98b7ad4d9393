// Stretching blits, monochrome bitmaps and their colour rules, DIB rows of every depth,
// clip regions and the figures and fills the raster ports draw with.

#include "gdi_test_support.h"
#include "platform/user_paint.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

using gdi_test::MemorySurface;
using gdi_test::Selected;

namespace {

constexpr uint32_t kRed = 0x00FF0000; // pixel order
constexpr uint32_t kBlue = 0x000000FF;
constexpr uint32_t kWhite = 0x00FFFFFF;

// A memory DC holding a monochrome bitmap (black 0, white 1).
struct MonoSurface {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap;
    HGDIOBJ old;
    MonoSurface(int width, int height, const void* bits = nullptr)
        : bitmap(CreateBitmap(width, height, 1, 1, bits)), old(SelectObject(dc, bitmap))
    {
    }
    ~MonoSurface()
    {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    MonoSurface(const MonoSurface&) = delete;
    MonoSurface& operator=(const MonoSurface&) = delete;
    bool set(int x, int y) const { return GetPixel(dc, x, y) == RGB(255, 255, 255); }
};

struct DibInfo {
    BITMAPINFOHEADER header;
    uint32_t table[256];
};

DibInfo dib(int width, int height, int bits, uint32_t compression = BI_RGB)
{
    DibInfo info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = width;
    info.header.biHeight = height;
    info.header.biPlanes = 1;
    info.header.biBitCount = static_cast<WORD>(bits);
    info.header.biCompression = compression;
    return info;
}

const BITMAPINFO* as_info(const DibInfo& info)
{
    return reinterpret_cast<const BITMAPINFO*>(&info);
}

}

TEST(GdiMonochrome, ColourRulesOfBlitsBetweenMonochromeAndColour)
{
    // Row 0: bits 1 0 1 0 (a Win32 monochrome row is whole 16-bit words).
    const uint8_t bits[2] = {0xA0, 0x00};
    MonoSurface mono(4, 1, bits);
    MemorySurface colour(4, 1);
    SetTextColor(colour.dc(), RGB(255, 0, 0));
    SetBkColor(colour.dc(), RGB(0, 0, 255));
    ASSERT_TRUE(BitBlt(colour.dc(), 0, 0, 4, 1, mono.dc, 0, 0, SRCCOPY));
    // Clear bits take the destination's text colour, set bits its background colour.
    EXPECT_EQ(colour.at(0, 0), kBlue);
    EXPECT_EQ(colour.at(1, 0), kRed);
    EXPECT_EQ(colour.at(2, 0), kBlue);

    // A 1-bit DIB section gives the colours of its table instead.
    DibInfo info = dib(4, -1, 1);
    info.table[0] = 0x00FF00;
    info.table[1] = 0xFFFFFF;
    void* section_bits = nullptr;
    HBITMAP section =
        CreateDIBSection(nullptr, as_info(info), DIB_RGB_COLORS, &section_bits, nullptr, 0);
    ASSERT_NE(section, nullptr);
    static_cast<uint8_t*>(section_bits)[0] = 0xA0;
    HDC section_dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(section_dc, section);
    ASSERT_TRUE(BitBlt(colour.dc(), 0, 0, 4, 1, section_dc, 0, 0, SRCCOPY));
    EXPECT_EQ(colour.at(0, 0), kWhite);
    EXPECT_EQ(colour.at(1, 0), 0x0000FF00u);
    SelectObject(section_dc, old);
    DeleteObject(section);
    DeleteDC(section_dc);

    // Colour to monochrome: set exactly where the source has its background colour.
    colour.at(0, 0) = 0x00123456;
    colour.at(1, 0) = kWhite;
    colour.at(2, 0) = 0x00123456;
    colour.at(3, 0) = 0;
    SetBkColor(colour.dc(), RGB(0x12, 0x34, 0x56));
    MonoSurface target(4, 1);
    ASSERT_TRUE(BitBlt(target.dc, 0, 0, 4, 1, colour.dc(), 0, 0, SRCCOPY));
    EXPECT_TRUE(target.set(0, 0));
    EXPECT_FALSE(target.set(1, 0));
    EXPECT_TRUE(target.set(2, 0));
    EXPECT_FALSE(target.set(3, 0));
}

TEST(GdiMonochrome, DrawingInAOneBitSectionReachesItsRowsOnFlush)
{
    DibInfo info = dib(9, -2, 1);
    info.table[0] = 0x000000;
    info.table[1] = 0xFFFFFF;
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(nullptr, as_info(info), DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(section, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, section);
    // A near-white pen takes the white index; a dark one the black.
    SetPixelV(dc, 8, 1, RGB(250, 250, 240));
    SetPixelV(dc, 0, 1, RGB(20, 0, 0));
    GdiFlush();
    const auto* rows = static_cast<const uint8_t*>(bits);
    EXPECT_EQ(rows[4 + 1], 0x80); // row 1 (4-byte rows), pixel 8
    EXPECT_EQ(rows[4] & 0x80, 0);
    EXPECT_EQ(GetPixel(dc, 8, 1), RGB(255, 255, 255));
    SelectObject(dc, old);
    DeleteObject(section);
    DeleteDC(dc);
}

TEST(GdiDib, SetDIBitsReadsEveryDepthAndGetDIBitsGivesThemBack)
{
    // Two pixels, red then blue, bottom-up, one row: in each format other programs write.
    struct Case {
        int bits;
        uint32_t compression;
        std::vector<uint8_t> row;
        std::vector<uint32_t> table;
        std::vector<uint32_t> masks;
    };
    const Case cases[] = {
        {1, BI_RGB, {0x40, 0, 0, 0}, {0xFF0000, 0x0000FF}, {}},
        {4, BI_RGB, {0x12, 0, 0, 0}, {0, 0xFF0000, 0x0000FF}, {}},
        {8, BI_RGB, {2, 1, 0, 0}, {0, 0x0000FF, 0xFF0000}, {}},
        {16, BI_RGB, {0x00, 0x7C, 0x1F, 0x00}, {}, {}},
        {16, BI_BITFIELDS, {0x00, 0xF8, 0x1F, 0x00}, {}, {0xF800, 0x07E0, 0x001F}},
        {24, BI_RGB, {0, 0, 255, 255, 0, 0, 0, 0}, {}, {}},
        {32, BI_RGB, {0, 0, 255, 0, 255, 0, 0, 0}, {}, {}},
        {32, BI_BITFIELDS, {255, 0, 0, 0, 0, 0, 255, 0}, {}, {0x000000FF, 0x0000FF00, 0x00FF0000}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.bits);
        DibInfo info = dib(2, 1, test.bits, test.compression);
        for (size_t i = 0; i < test.table.size(); ++i)
            info.table[i] = test.table[i];
        for (size_t i = 0; i < test.masks.size(); ++i)
            info.table[i] = test.masks[i];
        if (!test.table.empty())
            info.header.biClrUsed = static_cast<DWORD>(test.table.size());
        MemorySurface target(2, 1);
        HBITMAP bitmap = static_cast<HBITMAP>(GetCurrentObject(target.dc(), OBJ_BITMAP));
        ASSERT_EQ(
            SetDIBits(target.dc(), bitmap, 0, 1, test.row.data(), as_info(info), DIB_RGB_COLORS),
            1);
        EXPECT_EQ(target.at(0, 0), kRed);
        EXPECT_EQ(target.at(1, 0), kBlue);

        DibInfo out = dib(2, -1, 24);
        uint8_t row[8] = {};
        ASSERT_EQ(GetDIBits(target.dc(), bitmap, 0, 1, row, reinterpret_cast<BITMAPINFO*>(&out),
                            DIB_RGB_COLORS),
                  1);
        EXPECT_EQ(std::vector<uint8_t>(row, row + 6), (std::vector<uint8_t>{0, 0, 255, 255, 0, 0}));
    }
    // Compressed rows are refused.
    DibInfo rle = dib(2, 1, 8, BI_RLE8);
    MemorySurface target(2, 1);
    const uint8_t data[4] = {};
    EXPECT_EQ(SetDIBits(target.dc(),
                        static_cast<HBITMAP>(GetCurrentObject(target.dc(), OBJ_BITMAP)), 0, 1, data,
                        as_info(rle), DIB_RGB_COLORS),
              0);
}

TEST(GdiStretch, StretchesMirrorsAndMergesAsTheModeSays)
{
    MemorySurface source(2, 1);
    source.at(0, 0) = kRed;
    source.at(1, 0) = kBlue;
    MemorySurface target(4, 1);
    ASSERT_TRUE(StretchBlt(target.dc(), 0, 0, 4, 1, source.dc(), 0, 0, 2, 1, SRCCOPY));
    EXPECT_EQ(target.snapshot(), (std::vector<uint32_t>{kRed, kRed, kBlue, kBlue}));
    // A negative destination width mirrors: the column at x comes first.
    ASSERT_TRUE(StretchBlt(target.dc(), 3, 0, -4, 1, source.dc(), 0, 0, 2, 1, SRCCOPY));
    EXPECT_EQ(target.snapshot(), (std::vector<uint32_t>{kBlue, kBlue, kRed, kRed}));

    // Shrinking: BLACKONWHITE (the default) keeps black, COLORONCOLOR one pixel.
    MemorySurface wide(4, 1);
    wide.fill(kWhite);
    wide.at(1, 0) = 0;
    MemorySurface one(1, 1);
    ASSERT_TRUE(StretchBlt(one.dc(), 0, 0, 1, 1, wide.dc(), 0, 0, 4, 1, SRCCOPY));
    EXPECT_EQ(one.at(0, 0), 0u);
    EXPECT_EQ(SetStretchBltMode(one.dc(), COLORONCOLOR), BLACKONWHITE);
    ASSERT_TRUE(StretchBlt(one.dc(), 0, 0, 1, 1, wide.dc(), 0, 0, 4, 1, SRCCOPY));
    EXPECT_EQ(one.at(0, 0), kWhite);
}

TEST(GdiStretch, AllTernaryOperationsCombinePatternSourceAndDestination)
{
    MemorySurface source(1, 1);
    MemorySurface target(1, 1);
    Selected brush(target.dc(), CreateSolidBrush(RGB(0xF0, 0xF0, 0xF0)));
    for (uint32_t operation = 0; operation < 256; ++operation) {
        source.at(0, 0) = 0x00CCCCCC;
        target.at(0, 0) = 0x00AAAAAA;
        ASSERT_TRUE(StretchBlt(target.dc(), 0, 0, 1, 1, source.dc(), 0, 0, 1, 1, operation << 16));
        // Bit (P S D) of the operation: here P = 0xF0, S = 0xCC, D = 0xAA per byte.
        const uint32_t expected = operation * 0x010101u;
        EXPECT_EQ(target.at(0, 0), expected) << operation;
    }
}

TEST(GdiStretch, StretchDIBitsTakesOneBitColoursFromTheTable)
{
    DibInfo info = dib(2, -1, 1);
    info.table[0] = 0xFF0000;
    info.table[1] = 0x0000FF;
    const uint8_t row[4] = {0x40, 0, 0, 0};
    MemorySurface target(4, 2);
    ASSERT_EQ(StretchDIBits(target.dc(), 0, 0, 4, 2, 0, 0, 2, 1, row, as_info(info), DIB_RGB_COLORS,
                            SRCCOPY),
              1);
    EXPECT_EQ(target.snapshot(),
              (std::vector<uint32_t>{kRed, kRed, kBlue, kBlue, kRed, kRed, kBlue, kBlue}));
}

TEST(GdiClip, EveryOutputKeepsToTheClipRegion)
{
    MemorySurface surface(8, 8);
    HRGN left = CreateRectRgn(0, 0, 4, 8);
    HRGN top = CreateRectRgn(0, 0, 8, 2);
    ASSERT_EQ(CombineRgn(left, left, top, RGN_OR), COMPLEXREGION);
    EXPECT_EQ(ExtSelectClipRgn(surface.dc(), left, RGN_COPY), COMPLEXREGION);
    // Taking away (5, 0, 8, 8) leaves the left half and the top of the middle.
    HRGN right = CreateRectRgn(5, 0, 8, 8);
    ExtSelectClipRgn(surface.dc(), right, RGN_DIFF);
    RECT box{};
    EXPECT_EQ(GetClipBox(surface.dc(), &box), COMPLEXREGION);
    EXPECT_EQ(box.right, 5);

    Selected pen(surface.dc(), CreatePen(PS_SOLID, 1, RGB(255, 255, 255)));
    Selected brush(surface.dc(), CreateSolidBrush(RGB(255, 255, 255)));
    const auto drawn_outside = [&] {
        int outside = 0;
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) {
                const bool inside = x < 4 || (y < 2 && x < 5);
                outside += !inside && surface.at(x, y) != 0 ? 1 : 0;
            }
        }
        return outside;
    };
    const RECT all{0, 0, 8, 8};
    MemorySurface white(8, 8);
    white.fill(kWhite);
    const POINT triangle[3] = {{0, 0}, {7, 0}, {7, 7}};
    const std::vector<std::function<void()>> outputs = {
        [&] { MoveToEx(surface.dc(), 0, 4, nullptr), LineTo(surface.dc(), 8, 4); },
        [&] {
            SetPixelV(surface.dc(), 6, 6, RGB(255, 255, 255)),
                SetPixelV(surface.dc(), 1, 6, RGB(255, 255, 255));
        },
        [&] { Rectangle(surface.dc(), 0, 0, 8, 8); },
        [&] { Ellipse(surface.dc(), 0, 0, 8, 8); },
        [&] { Polygon(surface.dc(), triangle, 3); },
        [&] { FillRect(surface.dc(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))); },
        [&] { PatBlt(surface.dc(), 0, 0, 8, 8, PATCOPY); },
        [&] { BitBlt(surface.dc(), 0, 0, 8, 8, white.dc(), 0, 0, SRCCOPY); },
        [&] { StretchBlt(surface.dc(), 0, 0, 8, 8, white.dc(), 0, 0, 4, 4, SRCCOPY); },
        [&] { ExtFloodFill(surface.dc(), 0, 0, 0, FLOODFILLSURFACE); },
        [&] { TextOutA(surface.dc(), 0, 0, "WWWW", 4); },
    };
    for (size_t i = 0; i < outputs.size(); ++i) {
        surface.fill(0);
        outputs[i]();
        EXPECT_EQ(drawn_outside(), 0) << "output " << i;
        EXPECT_NE(surface.count(0), 64) << "output " << i;
    }
    // Without a clip everything is drawable again.
    ExtSelectClipRgn(surface.dc(), nullptr, RGN_COPY);
    surface.fill(0);
    PatBlt(surface.dc(), 0, 0, 8, 8, PATCOPY);
    EXPECT_EQ(surface.count(kWhite), 64);
    POINT point{3, 4};
    EXPECT_TRUE(LPtoDP(surface.dc(), &point, 1));
    EXPECT_EQ(point.x, 3);
    DeleteObject(left);
    DeleteObject(top);
    DeleteObject(right);
}

TEST(GdiFigures, OutlinesFillsAndTheirEdges)
{
    MemorySurface surface(12, 12);
    Selected pen(surface.dc(), CreatePen(PS_SOLID, 1, RGB(255, 0, 0)));
    Selected brush(surface.dc(), CreateSolidBrush(RGB(0, 0, 255)));
    ASSERT_TRUE(Rectangle(surface.dc(), 1, 1, 5, 4));
    // Outline on the inner edge, right and bottom exclusive; inside the brush.
    EXPECT_EQ(surface.at(1, 1), kRed);
    EXPECT_EQ(surface.at(4, 3), kRed);
    EXPECT_EQ(surface.at(2, 2), kBlue);
    EXPECT_EQ(surface.at(5, 4), 0u);
    // The null pen gives up the right and bottom edges of the fill.
    surface.fill(0);
    {
        HGDIOBJ old = SelectObject(surface.dc(), GetStockObject(NULL_PEN));
        Rectangle(surface.dc(), 1, 1, 5, 4);
        SelectObject(surface.dc(), old);
    }
    // (ink() gives the last inked column and row.)
    EXPECT_EQ(surface.ink(0).right, 3);
    EXPECT_EQ(surface.ink(0).bottom, 2);

    // A polyline is open; a polygon closes.
    surface.fill(0);
    const POINT corner[3] = {{0, 0}, {6, 0}, {6, 6}};
    Polyline(surface.dc(), corner, 3);
    EXPECT_EQ(surface.at(3, 3), 0u);
    EXPECT_EQ(surface.at(6, 6), 0u);
    Polygon(surface.dc(), corner, 3);
    EXPECT_EQ(surface.at(3, 3), kRed);

    // Ellipse and round rectangle stay in their boxes and fill their middles.
    for (int figure = 0; figure < 2; ++figure) {
        surface.fill(0);
        if (figure == 0)
            Ellipse(surface.dc(), 2, 2, 11, 9);
        else
            RoundRect(surface.dc(), 2, 2, 11, 9, 4, 4);
        const RECT ink = surface.ink(0);
        EXPECT_EQ(ink.left, 2) << figure;
        EXPECT_EQ(ink.top, 2) << figure;
        EXPECT_EQ(ink.right, 10) << figure;
        EXPECT_EQ(ink.bottom, 8) << figure;
        EXPECT_EQ(surface.at(6, 5), kBlue) << figure;
    }
}

TEST(GdiFigures, ArcDirectionPieFloodAndScroll)
{
    MemorySurface surface(21, 21);
    Selected pen(surface.dc(), CreatePen(PS_SOLID, 1, RGB(255, 0, 0)));
    // Counter-clockwise from the right-hand point to the top: the upper right quarter.
    ASSERT_EQ(GetArcDirection(surface.dc()), AD_COUNTERCLOCKWISE);
    Arc(surface.dc(), 0, 0, 21, 21, 20, 10, 10, 0);
    EXPECT_EQ(surface.ink(0).left, 10);
    EXPECT_EQ(surface.ink(0).bottom, 10);
    surface.fill(0);
    EXPECT_EQ(SetArcDirection(surface.dc(), AD_CLOCKWISE), AD_COUNTERCLOCKWISE);
    Arc(surface.dc(), 0, 0, 21, 21, 20, 10, 10, 0);
    EXPECT_EQ(surface.ink(0).left, 0);
    SetArcDirection(surface.dc(), AD_COUNTERCLOCKWISE);

    // A pie fills its sector only.
    surface.fill(0);
    Selected brush(surface.dc(), CreateSolidBrush(RGB(0, 0, 255)));
    Pie(surface.dc(), 0, 0, 21, 21, 20, 10, 10, 0);
    EXPECT_EQ(surface.at(14, 6), kBlue);
    EXPECT_EQ(surface.at(6, 14), 0u);

    // Flood fills: up to a border, and over a surface colour.
    surface.fill(0);
    for (int i = 0; i < 21; ++i)
        surface.at(10, i) = kRed;
    EXPECT_TRUE(ExtFloodFill(surface.dc(), 2, 2, RGB(255, 0, 0), FLOODFILLBORDER));
    EXPECT_EQ(surface.at(9, 20), kBlue);
    EXPECT_EQ(surface.at(11, 0), 0u);
    EXPECT_FALSE(ExtFloodFill(surface.dc(), 10, 3, RGB(255, 0, 0), FLOODFILLBORDER));
    EXPECT_TRUE(ExtFloodFill(surface.dc(), 15, 3, RGB(0, 0, 0), FLOODFILLSURFACE));
    EXPECT_EQ(surface.at(20, 20), kBlue);
    EXPECT_EQ(surface.at(10, 5), kRed);

    // ScrollDC moves the pixels of the box and reports what it uncovered.
    surface.fill(0);
    surface.at(2, 2) = kRed;
    const RECT scroll{0, 0, 10, 10};
    RECT uncovered{};
    ASSERT_TRUE(ScrollDC(surface.dc(), 3, 0, &scroll, &scroll, nullptr, &uncovered));
    EXPECT_EQ(surface.at(5, 2), kRed);
    EXPECT_EQ(uncovered.left, 0);
    EXPECT_EQ(uncovered.right, 3);
}

TEST(GdiFigures, LineDDAWalksThePixelsOfLineTo)
{
    MemorySurface surface(16, 16);
    Selected pen(surface.dc(), CreatePen(PS_SOLID, 1, RGB(255, 255, 255)));
    for (const POINT end : {POINT{15, 4}, POINT{3, 13}, POINT{0, 15}, POINT{15, 15}}) {
        surface.fill(0);
        MoveToEx(surface.dc(), 7, 2, nullptr);
        LineTo(surface.dc(), end.x, end.y);
        std::vector<POINT> points;
        LineDDA(
            7, 2, end.x, end.y,
            [](int x, int y, LPARAM data) {
                reinterpret_cast<std::vector<POINT>*>(data)->push_back({x, y});
            },
            reinterpret_cast<LPARAM>(&points));
        EXPECT_EQ(static_cast<int>(points.size()), surface.count(kWhite));
        for (const POINT& point : points)
            EXPECT_EQ(surface.at(point.x, point.y), kWhite);
    }
}

TEST(GdiText, ExtentExCountsTheCharactersThatFit)
{
    MemorySurface surface(4, 4);
    SIZE whole{};
    ASSERT_TRUE(GetTextExtentPoint32A(surface.dc(), "abcdef", 6, &whole));
    SIZE three{};
    GetTextExtentPoint32A(surface.dc(), "abc", 3, &three);
    INT fit = -1;
    INT widths[6] = {};
    SIZE size{};
    ASSERT_TRUE(GetTextExtentExPointA(surface.dc(), "abcdef", 6, three.cx, &fit, widths, &size));
    EXPECT_EQ(fit, 3);
    EXPECT_EQ(widths[2], three.cx);
    EXPECT_EQ(size.cx, whole.cx);
}
