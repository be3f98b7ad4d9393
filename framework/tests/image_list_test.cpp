// TCustomImageList over a platform image list: sizes, adding bitmaps, drawing.

#include "framework/controls.h"
#include "framework/graphics.h"

#include <gtest/gtest.h>

#include <memory>

using namespace fw;

namespace {

std::unique_ptr<TBitmap> filled_bitmap(int width, int height, TColor color)
{
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(pf32bit);
    bitmap->SetSize(width, height);
    bitmap->Canvas()->Brush()->SetColor(color);
    bitmap->Canvas()->FillRect(Rect(0, 0, width, height));
    return bitmap;
}

uint32_t pixel(TBitmap& bitmap, int x, int y)
{
    return static_cast<const uint32_t*>(bitmap.ScanLine(y))[x] & 0x00FFFFFFu;
}

}

TEST(ImageList, HoldsThirtyTwoPixelImagesForDrawing)
{
    TCustomImageList list(nullptr);
    EXPECT_NE(list.Handle(), nullptr);
    EXPECT_EQ(list.Count(), 0);
    list.SetSize(32, 32);
    EXPECT_EQ(list.Width(), 32);
    EXPECT_EQ(list.Height(), 32);

    // Two images side by side: red, then blue with a clWhite mask pixel.
    auto images = filled_bitmap(64, 32, clRed);
    images->Canvas()->Brush()->SetColor(clBlue);
    images->Canvas()->FillRect(Rect(32, 0, 64, 32));
    EXPECT_EQ(list.Add(images.get(), nullptr), 0);
    EXPECT_EQ(list.Count(), 2);

    auto masked = filled_bitmap(32, 32, clLime);
    masked->Canvas()->SetPixels(0, 0, clFuchsia);
    EXPECT_EQ(list.AddMasked(masked.get(), clFuchsia), 2);
    EXPECT_EQ(list.Count(), 3);

    auto target = filled_bitmap(40, 40, clGray);
    const HDC dc = target->Canvas()->Handle();
    ASSERT_TRUE(
        ImageList_DrawEx(list.Handle(), 1, dc, 4, 4, 0, 0, CLR_NONE, CLR_NONE, ILD_TRANSPARENT));
    EXPECT_EQ(pixel(*target, 4, 4), 0x000000FFu) << "the blue image";
    EXPECT_EQ(pixel(*target, 35, 35), 0x000000FFu);
    EXPECT_EQ(pixel(*target, 36, 36), 0x00808080u);
    ImageList_DrawEx(list.Handle(), 2, dc, 0, 0, 0, 0, CLR_NONE, CLR_NONE, ILD_TRANSPARENT);
    EXPECT_EQ(pixel(*target, 0, 0), 0x00808080u) << "the mask colour is transparent";
    EXPECT_EQ(pixel(*target, 1, 0), 0x0000FF00u);
}

TEST(ImageList, ResizingEmptiesAndNothingAddsNothing)
{
    TCustomImageList list(nullptr);
    auto image = filled_bitmap(16, 16, clRed);
    EXPECT_EQ(list.Add(image.get(), nullptr), 0);
    list.SetWidth(16);
    EXPECT_EQ(list.Count(), 1) << "the same size keeps the images";
    list.SetWidth(8);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_NE(list.Handle(), nullptr);
    EXPECT_EQ(list.Add(nullptr, nullptr), -1);
    TBitmap empty;
    EXPECT_EQ(list.Add(&empty, nullptr), -1);
    list.SetHeight(-3);
    EXPECT_EQ(list.Height(), 1);
    EXPECT_EQ(list.Add(image.get(), nullptr), 0);
    EXPECT_EQ(list.Count(), 2);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}
