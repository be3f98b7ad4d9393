// Banded fills on bitmap ports: dithered bands and their seams, gradients, and the
// port's pens and pattern left as they were.

#include "osmark/banded_fills.h"
#include "osmark/bitmaps.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr Colour kBlack = 0x000000;
constexpr Colour kWhite = 0xFFFFFF;

struct Canvas {
    BitMap* bitmap;
    RastPort* rp;
    Canvas(int32_t w, int32_t h) : bitmap(AllocBitMap(w, h, nullptr))
    {
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                SetBitMapPixel(bitmap, x, y, 0x00FF00);
        rp = AllocBitMapRastPort(bitmap);
    }
    ~Canvas()
    {
        FreeBitMapRastPort(rp);
        FreeBitMap(bitmap);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    Colour at(int32_t x, int32_t y)
    {
        FlushRastPort(rp);
        return GetBitMapPixel(bitmap, x, y);
    }
    // White pixels in columns x0 to x1 - 1 of rows 0 to height - 1.
    int whites(int32_t x0, int32_t x1, int32_t height)
    {
        int count = 0;
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = x0; x < x1; ++x)
                count += at(x, y) == kWhite ? 1 : 0;
        return count;
    }
};

}

TEST(DitheredBands, TwoColoursOverFiftyPixelsMakeFiveBands)
{
    Canvas canvas(50, 8);
    const Colour colours[2] = {kBlack, kWhite};
    const RectangleBox box{0, 0, 50, 8};
    DitherRastPort(canvas.rp, &box, colours, 2, DITHER_ALONG_X);
    // Band 1 is the first colour but for its far-edge seam of the second colour (every
    // fourth pixel from row 1); band 5 the second colour but for its start seam.
    EXPECT_EQ(canvas.whites(0, 9, 8), 0);
    EXPECT_EQ(canvas.whites(9, 10, 8), 2);
    EXPECT_EQ(canvas.at(9, 1), kWhite);
    EXPECT_EQ(canvas.at(9, 5), kWhite);
    EXPECT_EQ(canvas.whites(41, 50, 8), 9 * 8);
    EXPECT_EQ(canvas.whites(40, 41, 8), 6);
    EXPECT_EQ(canvas.at(40, 0), kBlack);
    EXPECT_EQ(canvas.at(40, 4), kBlack);
    // Patterns 2, 3 and 4 grow the second colour's share; pattern 3 is exactly half.
    const int two = canvas.whites(10, 20, 8);
    const int three = canvas.whites(20, 30, 8);
    const int four = canvas.whites(30, 40, 8);
    EXPECT_EQ(three, 40);
    EXPECT_LT(two, three);
    EXPECT_LT(three, four);
    EXPECT_GT(two, 0);
    EXPECT_LT(four, 80);
}

TEST(DitheredBands, PlainFillsAndTheBandDirection)
{
    Canvas canvas(8, 8);
    const Colour colours[3] = {0x0000FF, kWhite, kBlack};
    const RectangleBox box{0, 0, 8, 8};
    DitherRastPort(canvas.rp, &box, colours, 1, DITHER_ALONG_Y);
    EXPECT_EQ(canvas.at(7, 7), 0x0000FFu) << "one colour: a plain fill";
    DitherRastPort(canvas.rp, &box, colours + 1, 2, 0);
    EXPECT_EQ(canvas.at(7, 7), kWhite) << "no direction: a plain fill";
    // Along y (which wins over x): the first rows take the first colour.
    Canvas tall(4, 50);
    const RectangleBox column{0, 0, 4, 50};
    DitherRastPort(tall.rp, &column, colours + 1, 2, DITHER_ALONG_X | DITHER_ALONG_Y);
    EXPECT_EQ(tall.at(0, 0), kWhite);
    EXPECT_EQ(tall.at(3, 49), kBlack);
    EXPECT_EQ(tall.at(2, 45), kBlack);
}

TEST(Gradients, BlackToWhiteOverRowsZeroTo255)
{
    Canvas canvas(2, 256);
    const Colour colours[2] = {kBlack, kWhite};
    const RectangleBox box{0, 0, 2, 256};
    DitherRastPort(canvas.rp, &box, colours, 2, DITHER_ALONG_Y | DITHER_SMOOTH);
    for (uint32_t row = 0; row < 255; ++row)
        ASSERT_EQ(canvas.at(1, static_cast<int32_t>(row)), row * 0x010101u) << row;
    EXPECT_EQ(canvas.at(0, 255), 254u * 0x010101u) << "the last line repeats the colour before";
}

TEST(Gradients, FewerLinesThanSegmentsTakeTheFirstColour)
{
    // Four colours over three columns: no segment gets a whole line, and the lines left
    // take the first colour rather than one that was never drawn.
    Canvas canvas(3, 2);
    const Colour colours[4] = {0x0000FF, 0x00FF00, 0xFF0000, kWhite};
    const RectangleBox box{0, 0, 3, 2};
    DitherRastPort(canvas.rp, &box, colours, 4, DITHER_ALONG_X | DITHER_SMOOTH);
    for (int32_t x = 0; x < 3; ++x)
        EXPECT_EQ(canvas.at(x, 1), 0x0000FFu) << x;
    // A box one line wide is a plain fill.
    Canvas thin(1, 2);
    const RectangleBox one{0, 0, 1, 2};
    DitherRastPort(thin.rp, &one, colours + 2, 2, DITHER_ALONG_X | DITHER_SMOOTH);
    EXPECT_EQ(thin.at(0, 1), 0xFF0000u);
}

TEST(DitheredBands, ThePortsPensAndPatternStay)
{
    Canvas canvas(40, 8);
    BitMap* pattern = AllocBitMask(8, 8, nullptr);
    SetAPen(canvas.rp, 0x112233);
    const BPenData b_pen{0x445566, 3};
    SetBPenData(canvas.rp, &b_pen);
    SetAfPt(canvas.rp, pattern);
    const Colour colours[2] = {kBlack, kWhite};
    const RectangleBox box{0, 0, 40, 8};
    for (const uint32_t flags : {DITHER_ALONG_X, DITHER_ALONG_X | DITHER_SMOOTH}) {
        DitherRastPort(canvas.rp, &box, colours, 2, flags);
        EXPECT_EQ(GetAPen(canvas.rp), 0x112233u);
        BPenData now{};
        GetBPenData(canvas.rp, &now);
        EXPECT_EQ(now.bpd_Colour, 0x445566u);
        EXPECT_EQ(now.bpd_Style, 3u);
        EXPECT_EQ(GetAfPt(canvas.rp), pattern);
    }
    SetAfPt(canvas.rp, nullptr);
    FreeBitMap(pattern);
}
