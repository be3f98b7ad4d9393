#include "listview/common/blending.h"

#include "bitmap_dc.h"

#include "framework/sysutils.h"

#include <gtest/gtest.h>

#include <array>

using namespace vistrel::listview;

namespace {

// The defining arithmetic, written out plainly: the exact mix, then the bias; a sum
// past the 16-bit lane wraps to a negative value.
uint8_t reference_blend(int s, int d, int a, int bias)
{
    const int mixed = (d * (256 - a) + s * a) / 256;
    const int16_t b = static_cast<int16_t>(bias & 0xFFFF);
    if (mixed + b >= 32768)
        return 0;
    return static_cast<uint8_t>(std::clamp(mixed + b, 0, 255));
}

}

TEST(RowBlends, ConstantAlphaMatchesTheExactMixForEveryByteAndAlpha)
{
    for (int bias : {0, 20, -20, 300, -300, 32512, 32513, 0x7FFF, 0x18000}) {
        SCOPED_TRACE(bias);
        for (int a = 0; a < 256; a += 5) {
            for (int s = 0; s < 256; s += 15) {
                for (int d = 0; d < 256; d += 17) {
                    const std::array<uint8_t, 4> source{uint8_t(s), uint8_t(s), uint8_t(s),
                                                        uint8_t(s)};
                    std::array<uint8_t, 4> destination{uint8_t(d), uint8_t(d), uint8_t(d),
                                                       uint8_t(d)};
                    BlendRowConstantAlpha(source.data(), destination.data(), 1, a, bias);
                    ASSERT_EQ(destination[0], reference_blend(s, d, a, bias))
                        << "s " << s << " d " << d << " a " << a;
                    ASSERT_EQ(destination[3], destination[0]);
                }
            }
        }
    }
}

TEST(RowBlends, FixedCasesOfTheRowRoutines)
{
    // Alpha 255 of white over black is 254, not 255: the mix divides by 256.
    std::array<uint8_t, 4> white{255, 255, 255, 255};
    std::array<uint8_t, 4> black{0, 0, 0, 0};
    BlendRowConstantAlpha(white.data(), black.data(), 1, 255, 0);
    EXPECT_EQ(black, (std::array<uint8_t, 4>{254, 254, 254, 254}));

    // A bias of +20 lifts all four bytes, alpha included, and stops at 255.
    std::array<uint8_t, 4> source{10, 100, 250, 0};
    std::array<uint8_t, 4> destination{10, 100, 250, 0};
    BlendRowConstantAlpha(source.data(), destination.data(), 1, 128, 20);
    EXPECT_EQ(destination, (std::array<uint8_t, 4>{30, 120, 255, 20}));

    // Solid white at 128 over black: half of each colour byte, none in the fourth.
    std::array<uint8_t, 8> two_black{};
    BlendRowSolidColor(two_black.data(), 2, 128, 0x00FFFFFF);
    EXPECT_EQ(two_black, (std::array<uint8_t, 8>{127, 127, 127, 0, 127, 127, 127, 0}));

    // The colour 0x00BBGGRR lands as blue, green, red in memory order.
    std::array<uint8_t, 4> pixel{};
    BlendRowSolidColor(pixel.data(), 1, 255, 0x00102030);
    EXPECT_EQ(pixel,
              (std::array<uint8_t, 4>{0x10 * 255 / 256, 0x20 * 255 / 256, 0x30 * 255 / 256, 0}));

    // Per-pixel alpha takes each pixel's own fourth byte; the master alpha scales it.
    std::array<uint8_t, 8> pixels{200, 200, 200, 0, 200, 200, 200, 255};
    std::array<uint8_t, 8> under{};
    BlendRowPixelAlpha(pixels.data(), under.data(), 2, 0);
    EXPECT_EQ(under, (std::array<uint8_t, 8>{0, 0, 0, 0, 199, 199, 199, 254}));
    std::array<uint8_t, 8> under_master{};
    BlendRowMasterAlpha(pixels.data(), under_master.data(), 2, 128, 0);
    // (255 * 128) >> 8 = 127: 200 * 127 / 256 = 99.
    EXPECT_EQ(under_master, (std::array<uint8_t, 8>{0, 0, 0, 0, 99, 99, 99, 126}));
    EXPECT_TRUE(HasMMX());
}

TEST(DIBRowAddress, BottomUpBitmapsKeepRowZeroLast)
{
    uint8_t bits[3 * 2 * 4] = {};
    EXPECT_EQ(DIBRowAddress(bits, 2, 3, 0), bits + 2 * 8);
    EXPECT_EQ(DIBRowAddress(bits, 2, 3, 2), bits);
    EXPECT_EQ(DIBRowAddress(bits, 2, -3, 0), bits);
    EXPECT_EQ(DIBRowAddress(bits, 2, -3, 2), bits + 2 * 8);
}

TEST(BlendBitmaps, BlendsTheRectangleIntoTheDestinationAtTheOrigin)
{
    for (const int height : {4, -4}) {
        SCOPED_TRACE(height);
        BitmapDC source(4, height);
        BitmapDC destination(4, -height);
        source.fill(0xFFFFFFFFu);
        BlendBitmaps(source.dc(), destination.dc(), fw::Rect(1, 1, 3, 2), fw::Point(0, 2),
                     cbmConstantAlpha, 255, 0);
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 4; ++x) {
                const bool inside = y == 2 && x < 2;
                EXPECT_EQ(destination.value(x, y), inside ? 0xFEFEFEFEu : 0u) << x << "," << y;
            }
        }
    }
}

TEST(BlendBitmaps, ColourModeMixesTheDestinationAndEmptyRectanglesDoNothing)
{
    BitmapDC destination(3, 3);
    BlendBitmaps(nullptr, destination.dc(), fw::Rect(1, 0, 3, 1), fw::Point(0, 0),
                 cbmConstantAlphaAndColor, 128, 0x0000FF);
    EXPECT_EQ(destination.value(0, 0), 0u);
    EXPECT_EQ(destination.value(1, 0), 0x007F0000u); // red lands in the third byte
    EXPECT_EQ(destination.value(2, 0), 0x007F0000u);

    BitmapDC source(3, 3);
    source.fill(0xFFFFFFFFu);
    for (const fw::TRect empty :
         {fw::Rect(1, 1, 1, 3), fw::Rect(2, 2, 1, 3), fw::Rect(0, 2, 3, 2)}) {
        BlendBitmaps(source.dc(), destination.dc(), empty, fw::Point(0, 0), cbmConstantAlpha, 255,
                     0);
        BlendBitmaps(nullptr, destination.dc(), empty, fw::Point(0, 0), cbmConstantAlphaAndColor,
                     255, 0xFFFFFF);
    }
    EXPECT_EQ(destination.value(0, 1), 0u);
    EXPECT_EQ(destination.value(2, 2), 0u);
}

TEST(BlendBitmaps, ClipsRectanglesThatReachOutsideEitherBitmap)
{
    BitmapDC source(4, 4);
    BitmapDC destination(3, 3);
    source.fill(0xFFFFFFFFu);
    // The rectangle runs past the source's right edge and the origin sits so that it
    // also runs past the destination's bottom and lies partly left of it.
    BlendBitmaps(source.dc(), destination.dc(), fw::Rect(-1, 2, 6, 9), fw::Point(-2, 1),
                 cbmPerPixelAlpha, 0, 0);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x) {
            // Source (0..3, 2..3) lands at destination (x - 1, y - 1).
            const bool inside = y >= 1 && x <= 2;
            EXPECT_EQ(destination.value(x, y), inside ? 0xFEFEFEFEu : 0u) << x << "," << y;
        }
    }
    BlendBitmaps(nullptr, destination.dc(), fw::Rect(-5, -5, 50, 50), fw::Point(0, 0),
                 cbmConstantAlphaAndColor, 255, 0);
}

TEST(BlendBitmaps, RefusesBitmapsThatAreNotThirtyTwoBitSections)
{
    BitmapDC mono(8, 8, 1);
    BitmapDC colour(8, 8);
    try {
        BlendBitmaps(mono.dc(), colour.dc(), fw::Rect(0, 0, 2, 2), fw::Point(0, 0),
                     cbmConstantAlpha, 128, 0);
        FAIL() << "no assertion";
    } catch (const fw::EAssertionFailed& failure) {
        EXPECT_TRUE(failure.Message().startsWith(
            QStringLiteral("Alpha blending error: bitmap must use 32 bpp.")))
            << failure.what();
    }
    const HDC no_section = CreateCompatibleDC(nullptr);
    int width = 7;
    int height = 7;
    EXPECT_THROW(GetDCBitmapBits(no_section, width, height), fw::EAssertionFailed);
    EXPECT_EQ(width, 0);
    EXPECT_EQ(height, 0);
    DeleteDC(no_section);
}
