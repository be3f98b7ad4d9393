// The viewer's bitmap routines.

#include "framework/graphics.h"
#include "picture_file_writers.h"
#include "platform/system_metrics.h"
#include "test_support/temp_folder.h"
#include "units/bitmap_utils.h"

#include <gtest/gtest.h>

using namespace vistrel;

namespace {

uint32_t& pixel(fw::TBitmap& bitmap, int x, int y)
{
    return static_cast<uint32_t*>(bitmap.ScanLine(y))[x];
}

}

TEST(BitmapUtils, PixelArithmetic)
{
    EXPECT_EQ(SwapRedBlue(0xAB123456u), 0x563412u);
    EXPECT_EQ(ColorToPixel(0x0080FF), 0xFF8000u);
    EXPECT_EQ(ColorToPixel(fw::clBtnFace), SwapRedBlue(GetSysColor(COLOR_BTNFACE)));
    const struct {
        uint32_t pixel;
        int amount;
        uint32_t result;
    } cases[] = {
        {0xFF10F0, 50, 0xFF42FF},  {0x313131, 50, 0x636363},  {0xFFFFFF, -100, 0x9B9B9B},
        {0x0A0B0C, -20, 0x000000}, {0xFF123456, 0, 0x123456},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AdjustPixel(c.pixel, c.amount), c.result)
            << std::hex << c.pixel << " " << std::dec << c.amount;
}

TEST(BitmapUtils, FitSizeKeepsTheAspectRatioInsideTheTarget)
{
    const struct {
        int sw, sh, tw, th;
        bool fits;
        int w, h;
    } cases[] = {
        {200, 100, 50, 50, true, 50, 25}, {100, 200, 50, 50, true, 25, 50},
        {3, 1, 10, 10, true, 10, 3},      {1, 1, 7, 3, true, 3, 3},
        {5, 2, 4, 100, true, 4, 2},       {0, 10, 5, 5, false, 0, 0},
        {10, 10, 5, 0, false, 0, 0},      {-1, 10, 5, 5, false, 0, 0},
    };
    for (const auto& c : cases) {
        int w = 0;
        int h = 0;
        EXPECT_EQ(FitSize(c.sw, c.sh, c.tw, c.th, w, h), c.fits) << c.sw << "x" << c.sh;
        if (c.fits) {
            EXPECT_EQ(w, c.w) << c.sw << "x" << c.sh << " into " << c.tw << "x" << c.th;
            EXPECT_EQ(h, c.h) << c.sw << "x" << c.sh << " into " << c.tw << "x" << c.th;
        }
    }
}

TEST(BitmapUtils, NewBitmapHas32BitPixelsAndAnUnlockedCanvas)
{
    std::unique_ptr<fw::TBitmap> bitmap = NewBitmap32(7, 3);
    EXPECT_EQ(bitmap->PixelFormat(), fw::pf32bit);
    EXPECT_EQ(bitmap->Width(), 7);
    EXPECT_EQ(bitmap->Height(), 3);
    EXPECT_EQ(bitmap->Canvas()->LockCount(), 0);
    EXPECT_THROW(NewBitmap32(70000, 3), fw::EOutOfResources);
}

TEST(BitmapUtils, DotGridOnTheViewsBlackBuffer)
{
    std::unique_ptr<fw::TBitmap> bitmap = NewBitmap32(401, 300);
    pixel(*bitmap, 40, 40) = 0xFFFFFF; // a white crossing
    pixel(*bitmap, 42, 40) = 0xFFFFFF; // a white dot
    DrawDotGrid(bitmap.get(), 0x313131, 50);
    const struct {
        int x, y;
        uint32_t value;
    } cases[] = {
        {0, 0, 0x636363},   {20, 20, 0x636363}, {2, 0, 0x313131},     {0, 2, 0x313131},
        {1, 0, 0},          {3, 20, 0},         {400, 0, 0},          {21, 21, 0},
        {398, 0, 0x313131}, {380, 299, 0},      {380, 298, 0x313131}, {40, 40, 0x9B9B9B},
        {42, 40, 0xCDCDCD}, {5, 5, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(pixel(*bitmap, c.x, c.y), c.value) << c.x << "," << c.y;

    // One row (stride from the width), and no rows at all.
    std::unique_ptr<fw::TBitmap> strip = NewBitmap32(45, 1);
    DrawDotGrid(strip.get(), 0x313131, 50);
    EXPECT_EQ(pixel(*strip, 20, 0), 0x636363u);
    EXPECT_EQ(pixel(*strip, 22, 0), 0x313131u);
    fw::TBitmap empty;
    DrawDotGrid(&empty, 0x313131, 50);
}

TEST(BitmapUtils, LoadImageFileChoosesTheReaderByExtension)
{
    test_support::TempFolder folder;
    ASSERT_TRUE(folder.ok());
    // Smooth, so that JPEG keeps it within a few levels.
    picture_files::Picture picture{9, 5, {}};
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 9; ++x)
            picture.pixels.push_back(
                static_cast<uint32_t>((0x40 + 8 * x) << 16 | (0x60 + 8 * y) << 8 | 0x90));
    picture_files::PngOptions png_options;
    const std::string png = picture_files::png_file(picture, png_options);
    const std::string bmp = picture_files::bmp_file(picture, {24});
    const std::string jpeg = picture_files::jpeg_file(picture, 95, false, false);
    const auto path = [&](const char* name, const std::string& bytes) {
        return QString::fromStdString(folder.write(name, bytes));
    };

    const auto expect_picture = [&](const std::unique_ptr<fw::TBitmap>& bitmap, int tolerance) {
        ASSERT_NE(bitmap, nullptr);
        EXPECT_EQ(bitmap->PixelFormat(), fw::pf32bit);
        ASSERT_EQ(bitmap->Width(), 9);
        ASSERT_EQ(bitmap->Height(), 5);
        for (int y = 0; y < 5; ++y) {
            for (int x = 0; x < 9; ++x) {
                for (int shift = 0; shift <= 16; shift += 8) {
                    const int got = static_cast<int>((pixel(*bitmap, x, y) >> shift) & 0xFF);
                    const int want = static_cast<int>((picture.at(x, y) >> shift) & 0xFF);
                    ASSERT_LE(std::abs(got - want), tolerance) << x << "," << y;
                }
            }
        }
    };
    expect_picture(LoadImageFile(path("a.Png", png)), 0);
    expect_picture(LoadImageFile(path("b.bmp", bmp)), 0);
    expect_picture(LoadImageFile(path("c.JPG", jpeg)), 6);
    expect_picture(LoadImageFile(path("d.jpeg", jpeg)), 6);
    expect_picture(LoadPngFile(path("e.data", png)), 0);

    EXPECT_EQ(LoadImageFile(path("f.gif", png)), nullptr);
    EXPECT_EQ(LoadImageFile(path("g.png", png.substr(0, png.size() - 20))), nullptr);
    EXPECT_EQ(LoadImageFile(path("h.jpg", jpeg.substr(0, jpeg.size() / 2))), nullptr);
    EXPECT_EQ(LoadImageFile(path("i.bmp", bmp.substr(0, 60))), nullptr);
    EXPECT_EQ(LoadImageFile(path("j.png", bmp)), nullptr);
    EXPECT_EQ(LoadBmpFile(QString::fromStdString(folder.path("missing.bmp"))), nullptr);
}

TEST(BitmapUtils, FittedDrawCentresTheCopyInTheRectangleAndFramesIt)
{
    std::unique_ptr<fw::TBitmap> source = NewBitmap32(4, 2);
    source->Canvas()->Brush()->SetColor(fw::clRed);
    source->Canvas()->FillRect(fw::Rect(0, 0, 4, 2));
    std::unique_ptr<fw::TBitmap> target = NewBitmap32(50, 50);
    target->Canvas()->Brush()->SetColor(fw::clWhite);
    target->Canvas()->FillRect(fw::Rect(0, 0, 50, 50));

    DrawBitmapFitted(source.get(), target->Canvas(), fw::Rect(10, 10, 30, 30), true);
    // 4 x 2 fits 20 x 20 as 20 x 10, centred at (10, 15); the frame lies round it.
    for (int y = 0; y < 50; ++y) {
        for (int x = 0; x < 50; ++x) {
            uint32_t want = 0xFFFFFF;
            if (x >= 10 && x < 30 && y >= 15 && y < 25)
                want = 0xFF0000;
            else if (x >= 9 && x <= 30 && y >= 14 && y <= 25)
                want = 0x000000;
            ASSERT_EQ(pixel(*target, x, y) & 0xFFFFFF, want) << x << "," << y;
        }
    }
    EXPECT_EQ(source->Canvas()->LockCount(), 0);
    DrawBitmapFitted(nullptr, target->Canvas(), fw::Rect(0, 0, 5, 5), true);
    DrawBitmapFitted(source.get(), target->Canvas(), fw::Rect(5, 5, 5, 9), true);
    EXPECT_EQ(pixel(*target, 5, 5) & 0xFFFFFF, 0xFFFFFFu) << "an empty rectangle draws nothing";
}
