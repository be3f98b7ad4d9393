// Blits between bitmaps and into ports: stretching, key colours, masks, pattern tiling
// with phases and mirroring, port-to-port copies and button states.

#include "osmark/blits.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr Colour kWhite = 0xFFFFFF;
constexpr Colour kRed = 0x0000FF;
constexpr Colour kBlue = 0xFF0000;

struct BitmapPort {
    BitMap* bitmap;
    RastPort* rp;
    BitmapPort(int32_t width, int32_t height, Colour fill = kWhite)
        : bitmap(AllocBitMap(width, height, nullptr))
    {
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x)
                SetBitMapPixel(bitmap, x, y, fill);
        }
        rp = AllocBitMapRastPort(bitmap);
    }
    ~BitmapPort()
    {
        FreeBitMapRastPort(rp);
        FreeBitMap(bitmap);
    }
    BitmapPort(const BitmapPort&) = delete;
    BitmapPort& operator=(const BitmapPort&) = delete;
    std::vector<Colour> row(int32_t y)
    {
        FlushRastPort(rp);
        std::vector<Colour> result;
        for (int32_t x = 0; x < bitmap->bm_Width; ++x)
            result.push_back(GetBitMapPixel(bitmap, x, y));
        return result;
    }
};

// A 4 x 4 pattern whose column c has the colour c + 1.
BitMap* column_pattern()
{
    std::vector<Colour> colours;
    for (int y = 0; y < 4; ++y) {
        for (Colour c = 1; c <= 4; ++c)
            colours.push_back(c);
    }
    return AllocBitMap(4, 4, colours.data());
}

}

TEST(Blits, BitMapToBitMapStretchesAndKeysOut)
{
    const Colour source_colours[4] = {kRed, kBlue, kWhite, kRed};
    BitMap* source = AllocBitMap(2, 2, source_colours);
    BitMap* destination = AllocBitMap(4, 4, nullptr);
    for (int32_t i = 0; i < 16; ++i)
        SetBitMapPixel(destination, i % 4, i / 4, 0x010101);
    BltBitMap(destination, nullptr, source, nullptr, ColourNone);
    EXPECT_EQ(GetBitMapPixel(destination, 1, 1), kRed);
    EXPECT_EQ(GetBitMapPixel(destination, 2, 1), kBlue);
    EXPECT_EQ(GetBitMapPixel(destination, 0, 3), kWhite);
    // White as the key: those pixels keep the destination, also when stretched.
    for (int32_t i = 0; i < 16; ++i)
        SetBitMapPixel(destination, i % 4, i / 4, 0x010101);
    BltBitMap(destination, nullptr, source, nullptr, kWhite);
    EXPECT_EQ(GetBitMapPixel(destination, 0, 3), 0x010101u);
    EXPECT_EQ(GetBitMapPixel(destination, 1, 2), 0x010101u);
    EXPECT_EQ(GetBitMapPixel(destination, 3, 3), kRed);
    FreeBitMap(source);
    FreeBitMap(destination);
}

TEST(Blits, MaskPreparedForMaskedDrawing)
{
    const Colour colours[3] = {kRed, 0x00FF00, kRed};
    BitMap* picture = AllocBitMap(3, 1, colours);
    BitMap* mask = nullptr;
    ASSERT_EQ(CreateMaskBitMap(picture, kRed, &mask), 1);
    ASSERT_NE(mask, nullptr);
    // Set exactly at the key's pixels, which turn black.
    EXPECT_EQ(GetBitMapPixel(mask, 0, 0), kWhite);
    EXPECT_EQ(GetBitMapPixel(mask, 1, 0), 0u);
    EXPECT_EQ(GetBitMapPixel(picture, 0, 0), 0u);
    EXPECT_EQ(GetBitMapPixel(picture, 1, 0), 0x00FF00u);
    BitmapPort port(3, 1, kBlue);
    const RectangleBox all{0, 0, 3, 1};
    BltBitMapRastPortMask(port.rp, &all, picture, nullptr, mask);
    EXPECT_EQ(port.row(0), (std::vector<Colour>{kBlue, 0x00FF00, kBlue}));
    FreeBitMap(mask);
    FreeBitMap(picture);
    EXPECT_EQ(CreateMaskBitMap(nullptr, 0, &mask), 0);
    EXPECT_EQ(mask, nullptr);
}

TEST(Blits, KeyedBlitIntoAPortKeepsKeyPixels)
{
    const Colour colours[2] = {kWhite, kRed};
    BitMap* picture = AllocBitMap(2, 1, colours);
    BitmapPort port(4, 1, kBlue);
    SetRastPortOrigin(port.rp, 1, 0);
    const RectangleBox box{0, 0, 2, 1};
    BltBitMapRastPort(port.rp, &box, picture, nullptr, kWhite);
    EXPECT_EQ(port.row(0), (std::vector<Colour>{kBlue, kBlue, kRed, kBlue}));
    // A whole bitmap of the key colour leaves the port alone.
    const Colour white[2] = {kWhite, kWhite};
    BitMap* blank = AllocBitMap(2, 1, white);
    BltBitMapRastPort(port.rp, &box, blank, nullptr, kWhite);
    EXPECT_EQ(port.row(0), (std::vector<Colour>{kBlue, kBlue, kRed, kBlue}));
    // A locked port takes nothing.
    SetRPLock(port.rp, 1);
    BltBitMapRastPort(port.rp, &box, blank, nullptr, ColourNone);
    EXPECT_EQ(port.row(0)[1], kBlue);
    FreeBitMap(blank);
    FreeBitMap(picture);
}

TEST(Blits, PatternTilesFromTheGrid)
{
    BitMap* pattern = column_pattern();
    BitmapPort port(16, 4);
    const RectangleBox box{2, 0, 14, 4};
    BltPattern(port.rp, pattern, &box, ColourNone, 0);
    EXPECT_EQ(port.row(2), (std::vector<Colour>{kWhite, kWhite, 3, 4, 1, 2, 3, 4, 1, 2, 3, 4, 1, 2,
                                                kWhite, kWhite}));
    // Corners in either order tile the same area.
    BitmapPort reversed(16, 4);
    const RectangleBox backwards{14, 4, 2, 0};
    BltPattern(reversed.rp, pattern, &backwards, ColourNone, 0);
    EXPECT_EQ(reversed.row(2), port.row(2));

    // Phase (3, 0): two whole tiles; with bit 0 the second is mirrored.
    BitmapPort phased(12, 4);
    const RectangleBox two{3, 0, 11, 4};
    BltPatternPt(phased.rp, pattern, &two, ColourNone, BLTPAT_MIRROR_X, 3, 0);
    EXPECT_EQ(phased.row(1),
              (std::vector<Colour>{kWhite, kWhite, kWhite, 1, 2, 3, 4, 4, 3, 2, 1, kWhite}));

    // A phase right of the corner anchors the grid below it: column floor((0 - 6) / 4).
    BitmapPort ahead(8, 4);
    const RectangleBox left{0, 0, 8, 4};
    BltPatternPt(ahead.rp, pattern, &left, ColourNone, 0, 6, 0);
    EXPECT_EQ(ahead.row(0), (std::vector<Colour>{3, 4, 1, 2, 3, 4, 1, 2}));
    FreeBitMap(pattern);
}

TEST(Blits, OneBitPatternsPaintInThePens)
{
    // Bits 1 0 1 0 in every row.
    const uint8_t rows[16] = {0xA0, 0, 0, 0, 0xA0, 0, 0, 0, 0xA0, 0, 0, 0, 0xA0, 0, 0, 0};
    BitMap* pattern = AllocBitMask(4, 4, rows);
    BitmapPort port(4, 1, 0x00FF00);
    SetAPen(port.rp, kRed);
    SetBPen(port.rp, kBlue);
    const RectangleBox box{0, 0, 4, 1};
    BltPattern(port.rp, pattern, &box, ColourNone, 0);
    EXPECT_EQ(port.row(0), (std::vector<Colour>{kBlue, kRed, kBlue, kRed}));
    // With white as the key only the clear bits paint, in the A pen.
    BitmapPort keyed(4, 1, 0x00FF00);
    SetAPen(keyed.rp, kRed);
    BltPattern(keyed.rp, pattern, &box, kWhite, 0);
    EXPECT_EQ(keyed.row(0), (std::vector<Colour>{0x00FF00, kRed, 0x00FF00, kRed}));
    FreeBitMap(pattern);
}

TEST(Blits, AreaPatternFillsAndExclusiveOrPatterns)
{
    BitMap* pattern = column_pattern();
    BitmapPort port(6, 2);
    SetAfPt(port.rp, pattern);
    const RectangleBox box{0, 0, 6, 2};
    RectangleFill(port.rp, &box);
    EXPECT_EQ(port.row(0), (std::vector<Colour>{1, 2, 3, 4, 1, 2}));
    SetAfPt(port.rp, nullptr);
    // In exclusive-or mode the finished area combines with the port.
    BitmapPort xored(4, 1, kWhite);
    SetDrMd(xored.rp, -3);
    const RectangleBox line{0, 0, 4, 1};
    BltPattern(xored.rp, pattern, &line, ColourNone, 0);
    BltPattern(xored.rp, pattern, &line, ColourNone, 0);
    EXPECT_EQ(xored.row(0), (std::vector<Colour>(4, kWhite)));
    FreeBitMap(pattern);
}

TEST(Blits, ClipBlitBetweenPorts)
{
    BitmapPort source(4, 1);
    SetRPPixel(source.rp, 1, 0, kRed);
    BitmapPort destination(4, 1, kBlue);
    const RectangleBox from{0, 0, 2, 1};
    const RectangleBox to{2, 0, 4, 1};
    ClipBlit(destination.rp, &to, source.rp, &from, 0xCC0020);
    EXPECT_EQ(destination.row(0), (std::vector<Colour>{kBlue, kBlue, kWhite, kRed}));
}

TEST(Blits, ButtonStatesPlaceThePicture)
{
    const Colour face = 0xC0C0C0;
    std::vector<Colour> colours(16 * 16, 0);
    colours[0] = face;
    BitMap* picture = AllocBitMap(16, 16, colours.data());
    BitmapPort port(20, 20, kWhite);
    const RectangleBox box{0, 0, 20, 20};
    // Pressed and drawn: the picture at (3, 3); its face-coloured pixel transparent.
    BltBitMapRastPortState(port.rp, &box, picture, nullptr, 3 | 0xF00);
    EXPECT_EQ(port.row(3)[3], kWhite);
    EXPECT_EQ(port.row(3)[4], 0u);
    EXPECT_EQ(port.row(2)[4], kWhite);
    // Flags 2 and 16: no picture, the box written back as it was.
    BitmapPort plain(20, 20, kWhite);
    BltBitMapRastPortState(plain.rp, &box, picture, nullptr, 18);
    EXPECT_EQ(plain.row(10), std::vector<Colour>(20, kWhite));
    FreeBitMap(picture);
}
