// The OS handler on bitmap ports: shared pens, dashed lines, exclusive-or fills, arcs,
// clipping and the pixels that reach the bitmap.

#include "osmark/bitmaps.h"
#include "osmark/raster_ports.h"
#include "osmark/regions.h"
#include "platform/gdi.h"
#include "platform/gdi_support.h"
#include "platform/system_metrics.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr Colour kWhite = 0xFFFFFF;
constexpr Colour kRed = 0x0000FF;

// A bitmap port over a new white bitmap; the bitmap is read after the port is freed.
struct BitmapPort {
    BitMap* bitmap;
    RastPort* rp;
    BitmapPort(int32_t width, int32_t height) : bitmap(AllocBitMap(width, height, nullptr))
    {
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x)
                SetBitMapPixel(bitmap, x, y, kWhite);
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
    Colour at(int32_t x, int32_t y)
    {
        FlushRastPort(rp);
        return GetBitMapPixel(bitmap, x, y);
    }
    std::string row(int32_t y, int32_t width)
    {
        std::string text;
        for (int32_t x = 0; x < width; ++x) {
            const Colour c = at(x, y);
            text += c == kWhite ? '.' : c == 0 ? '#' : c == kRed ? 'r' : '?';
        }
        return text;
    }
};

}

TEST(GdiHandler, PortsWithOneAPenShareAGdiPenUntilBothAreFreed)
{
    BitMap* first_map = AllocBitMap(4, 4, nullptr);
    BitMap* second_map = AllocBitMap(4, 4, nullptr);
    RastPort* first = AllocBitMapRastPort(first_map);
    RastPort* second = AllocBitMapRastPort(second_map);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    SetAPen(first, 0x123456);
    SetAPen(second, 0x123456);
    HGDIOBJ pen = GetCurrentObject(GetRPHandle(first), OBJ_PEN);
    EXPECT_EQ(GetCurrentObject(GetRPHandle(second), OBJ_PEN), pen);
    LOGPEN record{};
    ASSERT_EQ(GetObjectA(pen, sizeof record, &record), static_cast<int>(sizeof record));
    EXPECT_EQ(record.lopnColor, 0x123456u);
    FreeBitMapRastPort(first);
    EXPECT_EQ(GetObjectA(pen, sizeof record, &record), static_cast<int>(sizeof record));
    FreeBitMapRastPort(second);
    EXPECT_EQ(GetObjectA(pen, sizeof record, &record), 0);
    FreeBitMap(first_map);
    FreeBitMap(second_map);
}

TEST(GdiHandler, PortsFreeEveryObjectTheyMade)
{
    const size_t before = platform_gdi_object_count();
    {
        BitmapPort port(8, 8);
        SetAPen(port.rp, 0x00ABCD);
        SetBPen(port.rp, 0x00DCBA);
        const RectangleBox box{0, 0, 4, 4};
        AreaRect(port.rp, &box);
        RectFill(port.rp, &box, 0x010203);
    }
    EXPECT_EQ(platform_gdi_object_count(), before);
}

TEST(GdiHandler, LinePatternDrawsFourOnFourOff)
{
    BitmapPort port(16, 2);
    SetABDrMd(port.rp, 0, kRed, -2);
    SetDrPt(port.rp, 0xF0F0F0F0u);
    Move(port.rp, 0, 0);
    Draw(port.rp, 16, 0);
    EXPECT_EQ(port.row(0, 16), "####rrrr####rrrr");
    SetDrMd(port.rp, -1);
    SetDrPt(port.rp, 0xF0F0F0F0u);
    Move(port.rp, 0, 1);
    Draw(port.rp, 16, 1);
    EXPECT_EQ(port.row(1, 16), "####....####....");
}

TEST(GdiHandler, ExclusiveOrFillTwiceRestores)
{
    BitmapPort port(6, 6);
    SetRPPixel(port.rp, 2, 2, 0x345678);
    const RectangleBox box{1, 1, 5, 5};
    SetDrMd(port.rp, -3);
    RectFill(port.rp, &box, 0x00FF00);
    EXPECT_NE(port.at(1, 1), kWhite);
    RectFill(port.rp, &box, 0x00FF00);
    EXPECT_EQ(port.at(1, 1), kWhite);
    EXPECT_EQ(port.at(2, 2), 0x345678u);
}

TEST(GdiHandler, ArcsAndFullEllipses)
{
    BitmapPort port(21, 21);
    SetAPen(port.rp, 0);
    // Start 0, sweep 90 degrees in a 20 x 20 box: counter-clockwise from the right-hand
    // point to the top point.
    DrawArc(port.rp, 0, 0, 20, 20, 0, 9000);
    FlushRastPort(port.rp);
    int32_t left = 21;
    int32_t bottom = 0;
    for (int32_t y = 0; y < 21; ++y) {
        for (int32_t x = 0; x < 21; ++x) {
            if (GetBitMapPixel(port.bitmap, x, y) == 0) {
                left = std::min(left, x);
                bottom = std::max(bottom, y);
            }
        }
    }
    EXPECT_GE(left, 9);
    EXPECT_LE(bottom, 11);
    // Sweeps of whole turns draw the whole ellipse; width 0 draws nothing.
    BitmapPort full(21, 21);
    DrawArc(full.rp, 0, 0, 20, 20, 4500, -72000);
    EXPECT_EQ(full.at(0, 10), 0u);
    EXPECT_EQ(full.at(19, 10), 0u);
    BitmapPort none(21, 21);
    DrawArc(none.rp, 0, 0, 0, 20, 0, 36000);
    EXPECT_EQ(none.row(10, 21), std::string(21, '.'));
}

TEST(GdiHandler, ClipLevelsReachTheDevice)
{
    BitmapPort port(10, 4);
    const RectangleBox inside{2, 0, 5, 4};
    PushClipRect(port.rp, &inside, RegionOpIntersection);
    const RectangleBox all{0, 0, 10, 4};
    RectFill(port.rp, &all, 0);
    EXPECT_EQ(port.row(0, 10), "..###.....");
    RectangleBox area{};
    EXPECT_EQ(GetClipArea(port.rp, &area), 1);
    EXPECT_EQ(area.x0, 2);
    PopClipRegion(port.rp);
    RectFill(port.rp, &all, kRed);
    EXPECT_EQ(port.row(1, 10), "rrrrrrrrrr");
    // An intersection that empties the level: nothing drawable, the area the whole port.
    const RectangleBox away{20, 20, 30, 30};
    PushClipRect(port.rp, &away, RegionOpIntersection);
    EXPECT_EQ(GetClipArea(port.rp, &area), 1);
    EXPECT_EQ(area.x1, 10);
    RectFill(port.rp, &all, 0);
    EXPECT_EQ(port.row(1, 10), "rrrrrrrrrr");
}

TEST(GdiHandler, ColourToRgbResolvesSystemColours)
{
    EXPECT_EQ(ColourToRGB(0x123456), 0x123456u);
    EXPECT_EQ(ColourToRGB(static_cast<int32_t>(0x80000005u)), GetSysColor(5));
    BitmapPort port(2, 1);
    SetRPPixel(port.rp, 0, 0, 0x80000005u);
    EXPECT_EQ(port.at(0, 0), GetSysColor(5));
    EXPECT_EQ(GetRPPixel(port.rp, 5, 5), ColourNone);
}
