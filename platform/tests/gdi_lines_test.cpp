// Cosmetic lines, pixels, ROP2 modes and clipping at the surface edges.

#include "gdi_test_support.h"

#include <climits>
#include <random>
#include <set>
#include <utility>

namespace {

using gdi_test::kWhitePixel;
using gdi_test::MemorySurface;
using gdi_test::Selected;
using Pixel = std::pair<int64_t, int64_t>;

// The pixels of a cosmetic line by its rule stated plainly: one pixel per step along
// the longer axis, the end point left out; the other coordinate is the exact one
// rounded to the nearest integer, a tie going to the smaller coordinate. Only the
// steps that land inside the surface are computed, so huge lines stay cheap.
std::set<Pixel> reference_line(int x0, int y0, int x1, int y1, int width, int height)
{
    std::set<Pixel> pixels;
    const int64_t dx = int64_t{x1} - x0;
    const int64_t dy = int64_t{y1} - y0;
    const bool x_major = std::llabs(dx) >= std::llabs(dy);
    const int64_t steps = x_major ? std::llabs(dx) : std::llabs(dy);
    if (steps == 0)
        return pixels;
    const int64_t start = x_major ? x0 : y0;
    const int64_t sign = (x_major ? dx : dy) > 0 ? 1 : -1;
    const int64_t size = x_major ? width : height;
    // Steps whose major coordinate start + sign * i lies in [0, size).
    int64_t first = sign > 0 ? -start : start - (size - 1);
    int64_t last = sign > 0 ? size - 1 - start : start;
    first = std::max<int64_t>(first, 0);
    last = std::min<int64_t>(last, steps - 1);
    for (int64_t i = first; i <= last; ++i) {
        const int64_t major = start + sign * i;
        // minor = minor0 + delta * i / steps, rounded half down: ceil(v - 1/2).
        const __int128 minor0 = x_major ? y0 : x0;
        const __int128 delta = x_major ? dy : dx;
        const __int128 numerator = 2 * (minor0 * steps + delta * i) - steps;
        const __int128 denominator = 2 * static_cast<__int128>(steps);
        __int128 minor = numerator / denominator;
        if (numerator % denominator != 0 && numerator > 0)
            minor += 1;
        const int64_t x = x_major ? major : static_cast<int64_t>(minor);
        const int64_t y = x_major ? static_cast<int64_t>(minor) : major;
        if (x >= 0 && y >= 0 && x < width && y < height)
            pixels.emplace(x, y);
    }
    return pixels;
}

std::set<Pixel> drawn_pixels(const MemorySurface& surface)
{
    std::set<Pixel> pixels;
    for (int y = 0; y < surface.height(); ++y) {
        for (int x = 0; x < surface.width(); ++x) {
            if (surface.at(x, y) != kWhitePixel)
                pixels.emplace(x, y);
        }
    }
    return pixels;
}

std::set<Pixel> draw_one_line(MemorySurface& surface, int x0, int y0, int x1, int y1)
{
    surface.fill(kWhitePixel);
    MoveToEx(surface.dc(), x0, y0, nullptr);
    LineTo(surface.dc(), x1, y1);
    return drawn_pixels(surface);
}

constexpr uint32_t pixel_of(COLORREF colour)
{
    return ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
}

TEST(Lines, LineToLeavesOutItsLastPixel)
{
    MemorySurface surface(8, 3);
    const std::set<Pixel> expected = {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}};
    EXPECT_EQ(draw_one_line(surface, 0, 0, 5, 0), expected);
    POINT position{};
    ASSERT_TRUE(GetCurrentPositionEx(surface.dc(), &position));
    EXPECT_EQ(position.x, 5);
    EXPECT_EQ(position.y, 0);
    EXPECT_TRUE(draw_one_line(surface, 3, 1, 3, 1).empty()) << "a line to its own start draws nothing";
}

TEST(Lines, EveryOctantMatchesTheReference)
{
    MemorySurface surface(21, 21);
    // From the centre to a ring of end points: every octant, both sides of each
    // diagonal, and slopes with exact ties (2:1, 4:2, 1:2).
    const int ends[][2] = {{20, 10}, {20, 14}, {20, 20}, {14, 20}, {10, 20}, {6, 20}, {0, 20}, {0, 14},
                           {0, 10},  {0, 6},   {0, 0},   {6, 0},   {10, 0},  {14, 0}, {20, 0}, {20, 6},
                           {14, 12}, {6, 12},  {14, 8},  {6, 8},   {12, 14}, {8, 14}, {12, 6}, {8, 6}};
    for (const auto& end : ends) {
        SCOPED_TRACE(testing::Message() << "to " << end[0] << "," << end[1]);
        EXPECT_EQ(draw_one_line(surface, 10, 10, end[0], end[1]), reference_line(10, 10, end[0], end[1], 21, 21));
        EXPECT_EQ(draw_one_line(surface, end[0], end[1], 10, 10), reference_line(end[0], end[1], 10, 10, 21, 21));
    }
}

TEST(Lines, TiesMakeALineTheSameBothWays)
{
    MemorySurface surface(8, 8);
    // Half-way points at x = 1 and x = 3 of a 4:2 line.
    std::set<Pixel> forward = draw_one_line(surface, 0, 0, 4, 2);
    std::set<Pixel> backward = draw_one_line(surface, 4, 2, 0, 0);
    forward.emplace(4, 2);
    backward.emplace(0, 0);
    EXPECT_EQ(forward, backward);
}

TEST(Lines, RandomLinesAcrossTheEdgesMatchTheReference)
{
    MemorySurface surface(32, 24);
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> coordinate(-24, 56);
    for (int n = 0; n < 2500; ++n) {
        const int x0 = coordinate(random);
        const int y0 = coordinate(random);
        const int x1 = coordinate(random);
        const int y1 = coordinate(random);
        SCOPED_TRACE(testing::Message() << x0 << "," << y0 << " -> " << x1 << "," << y1);
        ASSERT_EQ(draw_one_line(surface, x0, y0, x1, y1), reference_line(x0, y0, x1, y1, 32, 24));
    }
}

TEST(Lines, HugeCoordinatesAreClippedExactly)
{
    MemorySurface surface(32, 24);
    const int rows[][4] = {
        {INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {INT_MIN, 5, INT_MAX, 20},
        {3, -2000000000, 10, 2000000000},     {INT_MAX, 12, INT_MIN, 11},
        {-1000000, 23, 1000000, 0},           {31, INT_MIN, 0, INT_MAX},
        {16, 12, INT_MAX, INT_MAX - 7},       {-5, -5, 40, 30},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row[0] << "," << row[1] << " -> " << row[2] << "," << row[3]);
        EXPECT_EQ(draw_one_line(surface, row[0], row[1], row[2], row[3]),
                  reference_line(row[0], row[1], row[2], row[3], 32, 24));
    }
}

TEST(Lines, NullPenMovesWithoutDrawing)
{
    MemorySurface surface(8, 8);
    surface.fill(kWhitePixel);
    SelectObject(surface.dc(), GetStockObject(NULL_PEN));
    MoveToEx(surface.dc(), 0, 0, nullptr);
    EXPECT_TRUE(LineTo(surface.dc(), 7, 7));
    EXPECT_EQ(surface.count(kWhitePixel), 64);
    POINT position{};
    GetCurrentPositionEx(surface.dc(), &position);
    EXPECT_EQ(position.x, 7);
    SelectObject(surface.dc(), GetStockObject(BLACK_PEN));
}

// ---- ROP2 ----------------------------------------------------------------------------

// The ROP2 code as a truth table: bit (2 * pen bit + destination bit) of code - 1.
uint32_t rop_by_truth_table(int code, uint32_t pen, uint32_t destination)
{
    uint32_t result = 0;
    for (int bit = 0; bit < 24; ++bit) {
        const unsigned index = ((pen >> bit) & 1u) * 2 + ((destination >> bit) & 1u);
        result |= ((static_cast<unsigned>(code - 1) >> index) & 1u) << bit;
    }
    return result;
}

constexpr uint32_t kDestinations[] = {0x000000, 0xFFFFFF, 0xFF00FF, 0x00FF00, 0x123456, 0xA5A5A5, 0x5A0F3C, 0x800001};
constexpr COLORREF kPenColours[] = {RGB(0, 0, 0), RGB(255, 255, 255), RGB(0x12, 0x34, 0x56), RGB(0xF0, 0x0F, 0xAA)};
constexpr int kDestinationCount = static_cast<int>(std::size(kDestinations));

// Every ROP2 code with every pen colour over every destination pixel, one row each.
void check_all_rop2_codes(HDC dc, uint32_t* pixels, ptrdiff_t stride, uint32_t alpha)
{
    for (int code = R2_BLACK; code <= R2_WHITE; ++code) {
        ASSERT_NE(SetROP2(dc, code), 0);
        for (const COLORREF colour : kPenColours) {
            SCOPED_TRACE(testing::Message() << "code " << code << " pen 0x" << std::hex << colour);
            for (int x = 0; x < kDestinationCount; ++x)
                pixels[x] = kDestinations[x];
            HPEN pen = CreatePen(PS_SOLID, 1, colour);
            Selected selected(dc, pen);
            MoveToEx(dc, 0, 0, nullptr);
            LineTo(dc, kDestinationCount, 0);
            for (int x = 0; x < kDestinationCount; ++x) {
                const uint32_t expected = rop_by_truth_table(code, pixel_of(colour), kDestinations[x]) | alpha;
                EXPECT_EQ(pixels[x], expected) << "destination 0x" << std::hex << kDestinations[x];
            }
            EXPECT_EQ(pixels[stride], 0xDEADBEEFu) << "the row below stays";
        }
    }
    SetROP2(dc, R2_COPYPEN);
}

TEST(Rop2, AllSixteenCodesOnADib)
{
    MemorySurface surface(kDestinationCount, 2);
    surface.at(0, 1) = 0xDEADBEEF;
    check_all_rop2_codes(surface.dc(), &surface.at(0, 0), kDestinationCount, 0);
}

TEST(Rop2, AllSixteenCodesKeepAnOpaqueAlpha)
{
    std::vector<uint32_t> pixels(2 * kDestinationCount, 0);
    pixels[kDestinationCount] = 0xDEADBEEF;
    HDC dc = platform_create_dc_for_pixels(pixels.data(), kDestinationCount, 2, kDestinationCount * 4,
                                           PLATFORM_PIXELS_OPAQUE_ALPHA);
    ASSERT_NE(dc, nullptr);
    check_all_rop2_codes(dc, pixels.data(), kDestinationCount, 0xFF000000u);
    DeleteDC(dc);
}

TEST(Rop2, RefusesUnknownCodes)
{
    MemorySurface surface(2, 2);
    EXPECT_EQ(SetROP2(surface.dc(), 0), 0);
    EXPECT_EQ(SetROP2(surface.dc(), 17), 0);
    EXPECT_EQ(GetROP2(surface.dc()), R2_COPYPEN);
    EXPECT_EQ(SetROP2(surface.dc(), R2_NOT), R2_COPYPEN);
    EXPECT_EQ(GetROP2(surface.dc()), R2_NOT);
}

TEST(Rop2, XorDrawnTwiceRestoresEveryPixel)
{
    MemorySurface surface(40, 30);
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 40; ++x)
            surface.at(x, y) = static_cast<uint32_t>(x * 0x0A0B0C + y * 0x1F2E3D) & 0xFFFFFF;
    }
    const std::vector<uint32_t> before = surface.snapshot();
    HDC dc = surface.dc();
    SetROP2(dc, R2_XORPEN);
    HPEN thin = CreatePen(PS_SOLID, 1, RGB(0x5A, 0xC3, 0x0F));
    HPEN wide = CreatePen(PS_SOLID, 5, RGB(0x11, 0x22, 0x33));
    HBRUSH brush = CreateSolidBrush(RGB(0x80, 0x40, 0x20));
    HGDIOBJ old_pen = SelectObject(dc, thin);
    HGDIOBJ old_brush = SelectObject(dc, brush);
    auto draw = [&] {
        SelectObject(dc, thin);
        MoveToEx(dc, -5, -3, nullptr);
        for (const POINT& point : {POINT{45, 20}, POINT{3, 29}, POINT{20, -10}, POINT{39, 0}})
            LineTo(dc, point.x, point.y);
        Arc(dc, 2, 2, 36, 27, 0, 0, 40, 30);
        BeginPath(dc);
        MoveToEx(dc, 5, 5, nullptr);
        LineTo(dc, 30, 8);
        LineTo(dc, 12, 25);
        EndPath(dc);
        StrokeAndFillPath(dc);
        SelectObject(dc, wide);
        MoveToEx(dc, 0, 15, nullptr);
        LineTo(dc, 39, 2);
    };
    draw();
    EXPECT_NE(surface.snapshot(), before);
    draw();
    EXPECT_EQ(surface.snapshot(), before);
    SelectObject(dc, old_pen);
    SelectObject(dc, old_brush);
    DeleteObject(thin);
    DeleteObject(wide);
    DeleteObject(brush);
}

// ---- Pixels --------------------------------------------------------------------------

TEST(Pixels, SetPixelVIgnoresTheRopAndTheEdges)
{
    MemorySurface surface(4, 4);
    surface.fill(kWhitePixel);
    SetROP2(surface.dc(), R2_XORPEN);
    EXPECT_TRUE(SetPixelV(surface.dc(), 1, 2, RGB(0x10, 0x20, 0x30)));
    EXPECT_EQ(surface.at(1, 2), 0x102030u);
    EXPECT_EQ(GetPixel(surface.dc(), 1, 2), RGB(0x10, 0x20, 0x30));
    for (const POINT& outside : {POINT{-1, 0}, POINT{4, 0}, POINT{0, -1}, POINT{0, 4}, POINT{INT_MIN, INT_MAX}}) {
        EXPECT_FALSE(SetPixelV(surface.dc(), outside.x, outside.y, 0));
        EXPECT_EQ(GetPixel(surface.dc(), outside.x, outside.y), CLR_INVALID);
    }
    EXPECT_EQ(surface.count(kWhitePixel), 15);
}

TEST(Pixels, BottomUpDibKeepsItsTopRowLast)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 3;
    info.bmiHeader.biHeight = 2;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bitmap, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    SetPixelV(dc, 0, 0, RGB(255, 0, 0));
    SetPixelV(dc, 2, 1, RGB(0, 0, 255));
    const auto* pixels = static_cast<const uint32_t*>(bits);
    EXPECT_EQ(pixels[3], 0x00FF0000u) << "pixel (0, 0) is the first of the last row";
    EXPECT_EQ(pixels[2], 0x000000FFu) << "pixel (2, 1) is the last of the first row";
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
}

// ---- Clipping ------------------------------------------------------------------------

TEST(Clipping, NothingIsWrittenOutsideACallersBuffer)
{
    // 10 by 6 pixels with a stride of 13, inside guard rows above and below.
    constexpr int kWidth = 10;
    constexpr int kHeight = 6;
    constexpr int kStride = 13;
    constexpr uint32_t kGuard = 0xA5A5A5A5;
    std::vector<uint32_t> memory((kHeight + 2) * kStride, kGuard);
    uint32_t* pixels = memory.data() + kStride;
    for (int y = 0; y < kHeight; ++y)
        std::fill(pixels + y * kStride, pixels + y * kStride + kWidth, 0u);
    HDC dc = platform_create_dc_for_pixels(pixels, kWidth, kHeight, kStride * 4, 0);
    ASSERT_NE(dc, nullptr);
    HPEN wide = CreatePen(PS_SOLID, 7, RGB(1, 2, 3));
    HBRUSH brush = CreateSolidBrush(RGB(4, 5, 6));
    HGDIOBJ old_brush = SelectObject(dc, brush);
    for (const int rop : {R2_COPYPEN, R2_NOT}) {
        SetROP2(dc, rop);
        for (const int x : {-3, 0, 9, 10, 14}) {
            MoveToEx(dc, x, -4, nullptr);
            LineTo(dc, 9 - x, 12);
            LineTo(dc, -20, 3);
            LineTo(dc, 30, 5);
        }
        HGDIOBJ old_pen = SelectObject(dc, wide);
        MoveToEx(dc, -2, 0, nullptr);
        LineTo(dc, 12, 6);
        LineTo(dc, 12, -1);
        Arc(dc, -8, -8, 18, 14, 0, 0, 0, 0);
        SelectObject(dc, old_pen);
        Arc(dc, -30, -30, 40, 40, 0, 0, 0, 0);
        BeginPath(dc);
        MoveToEx(dc, -5, -5, nullptr);
        LineTo(dc, 20, 3);
        LineTo(dc, -2, 20);
        EndPath(dc);
        StrokeAndFillPath(dc);
        TextOutA(dc, -4, -6, "Clipped text", 12);
        TextOutA(dc, 6, 3, "Wide", 4);
        SetPixelV(dc, kWidth, 0, 0);
    }
    for (int x = 0; x < kStride; ++x) {
        EXPECT_EQ(memory[x], kGuard) << "guard row above, x " << x;
        EXPECT_EQ(memory[(kHeight + 1) * kStride + x], kGuard) << "guard row below, x " << x;
    }
    for (int y = 0; y < kHeight; ++y) {
        for (int x = kWidth; x < kStride; ++x)
            EXPECT_EQ(pixels[y * kStride + x], kGuard) << "padding " << x << "," << y;
    }
    SelectObject(dc, old_brush);
    DeleteObject(brush);
    DeleteObject(wide);
    DeleteDC(dc);
}

}
