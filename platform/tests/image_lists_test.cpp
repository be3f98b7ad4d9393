// Image lists: adding images with masks, transparent, blended and overlaid drawing.

#include "gdi_test_support.h"
#include "platform/image_lists.h"
#include "platform/system_metrics.h"

#include <memory>
#include <vector>

namespace {

using gdi_test::MemorySurface;

constexpr uint32_t kGrey = 0x00808080;
constexpr uint32_t kRed = 0x00FF0000;
constexpr uint32_t kGreen = 0x0000FF00;
constexpr uint32_t kBlue = 0x000000FF;

// A 32-bit bitmap of `count` 4 x 4 images side by side, image k filled with colours[k]
// (0x00RRGGBB).
HBITMAP strip(const std::vector<uint32_t>& colours)
{
    std::vector<uint32_t> pixels;
    for (int y = 0; y < 4; ++y) {
        for (const uint32_t colour : colours)
            pixels.insert(pixels.end(), 4, colour);
    }
    return CreateBitmap(static_cast<int>(colours.size()) * 4, 4, 1, 32, pixels.data());
}

// A monochrome mask over `count` 4 x 4 images whose left half (columns 0 and 1 of each)
// is transparent (1 bits).
HBITMAP left_half_mask(int count)
{
    // Rows of whole 16-bit words, the most significant bit first.
    std::vector<uint8_t> bits(static_cast<size_t>(4) * 2, 0);
    for (int y = 0; y < 4; ++y) {
        uint16_t row = 0;
        for (int k = 0; k < count; ++k)
            row |= static_cast<uint16_t>(0xC000u >> (4 * k));
        bits[static_cast<size_t>(y) * 2] = static_cast<uint8_t>(row >> 8);
        bits[static_cast<size_t>(y) * 2 + 1] = static_cast<uint8_t>(row);
    }
    return CreateBitmap(count * 4, 4, 1, 1, bits.data());
}

struct ListDeleter {
    void operator()(HIMAGELIST__* list) const { ImageList_Destroy(list); }
};
using List = std::unique_ptr<HIMAGELIST__, ListDeleter>;

// A masked 4 x 4 list of red, green and blue images, their left halves transparent.
List masked_list()
{
    List list(ImageList_Create(4, 4, ILC_COLOR32 | ILC_MASK, 4, 4));
    const HBITMAP image = strip({kRed, kGreen, kBlue});
    const HBITMAP mask = left_half_mask(3);
    EXPECT_EQ(ImageList_Add(list.get(), image, mask), 0);
    DeleteObject(image);
    DeleteObject(mask);
    return list;
}

class Surface : public MemorySurface {
public:
    Surface() : MemorySurface(16, 12) { fill(kGrey); }
};

TEST(ImageLists, AddCountsImagesAndDrawsThroughTheMask)
{
    const List list = masked_list();
    EXPECT_EQ(ImageList_GetImageCount(list.get()), 3);
    int width = 0;
    int height = 0;
    ASSERT_TRUE(ImageList_GetIconSize(list.get(), &width, &height));
    EXPECT_EQ(width, 4);
    EXPECT_EQ(height, 4);

    Surface surface;
    ASSERT_TRUE(ImageList_DrawEx(list.get(), 1, surface.dc(), 2, 3, 0, 0, CLR_NONE, CLR_NONE,
                                 ILD_TRANSPARENT));
    EXPECT_EQ(surface.at(2, 3), kGrey) << "transparent half";
    EXPECT_EQ(surface.at(3, 6), kGrey);
    EXPECT_EQ(surface.at(4, 3), kGreen);
    EXPECT_EQ(surface.at(5, 6), kGreen);
    EXPECT_EQ(surface.at(6, 3), kGrey) << "right of the image";

    // ILD_NORMAL with a background colour fills the masked half; CLR_NONE keeps it.
    ImageList_DrawEx(list.get(), 0, surface.dc(), 8, 0, 0, 0, RGB(1, 2, 3), CLR_NONE, ILD_NORMAL);
    EXPECT_EQ(surface.at(8, 0), 0x00010203u);
    EXPECT_EQ(surface.at(10, 0), kRed);
    ImageList_DrawEx(list.get(), 0, surface.dc(), 8, 6, 0, 0, CLR_NONE, CLR_NONE, ILD_NORMAL);
    EXPECT_EQ(surface.at(8, 6), kGrey);
    // ILD_TRANSPARENT wins over a background colour.
    ImageList_DrawEx(list.get(), 2, surface.dc(), 12, 6, 0, 0, RGB(1, 2, 3), CLR_NONE,
                     ILD_TRANSPARENT);
    EXPECT_EQ(surface.at(12, 6), kGrey);
    EXPECT_EQ(surface.at(14, 6), kBlue);
}

TEST(ImageLists, PartsOriginsAndClipsOfTheDestination)
{
    const List list = masked_list();
    Surface surface;
    SetWindowOrgEx(surface.dc(), 100, 50, nullptr);
    IntersectClipRect(surface.dc(), 100, 50, 104, 54);
    // Only 3 x 1 pixels of the image, at logical (101, 52) = device (1, 2).
    ImageList_DrawEx(list.get(), 0, surface.dc(), 101, 52, 3, 1, RGB(0, 0, 0), CLR_NONE,
                     ILD_NORMAL);
    EXPECT_EQ(surface.at(1, 2), 0u);
    EXPECT_EQ(surface.at(3, 2), kRed);
    EXPECT_EQ(surface.at(4, 2), kGrey) << "outside the clip";
    EXPECT_EQ(surface.at(1, 3), kGrey) << "below the rows asked for";
}

TEST(ImageLists, BlendingMixesTheForegroundColourIn)
{
    const List list = masked_list();
    Surface surface;
    ImageList_DrawEx(list.get(), 0, surface.dc(), 0, 0, 0, 0, CLR_NONE, RGB(0, 0, 255),
                     ILD_TRANSPARENT | ILD_BLEND50);
    EXPECT_EQ(surface.at(2, 0), 0x007F007Fu) << "red and blue half and half";
    EXPECT_EQ(surface.at(0, 0), kGrey) << "the transparent half is not blended";

    ImageList_DrawEx(list.get(), 0, surface.dc(), 4, 0, 0, 0, CLR_NONE, RGB(0, 0, 255),
                     ILD_TRANSPARENT | ILD_BLEND25);
    EXPECT_EQ(surface.at(6, 0), 0x00BF003Fu) << "a quarter of blue";

    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    ImageList_DrawEx(list.get(), 1, surface.dc(), 8, 0, 0, 0, CLR_NONE, CLR_DEFAULT,
                     ILD_TRANSPARENT | ILD_BLEND50);
    const uint32_t expected = ((GetRValue(highlight) / 2u) << 16) |
                              (((0xFFu + GetGValue(highlight)) / 2u) << 8) |
                              (GetBValue(highlight) / 2u);
    EXPECT_EQ(surface.at(10, 0), expected) << "CLR_DEFAULT is the highlight colour";

    ImageList_DrawEx(list.get(), 2, surface.dc(), 12, 0, 0, 0, CLR_NONE, CLR_NONE,
                     ILD_TRANSPARENT | ILD_BLEND50);
    EXPECT_EQ(surface.at(14, 0), kBlue) << "CLR_NONE blends nothing";
}

TEST(ImageLists, OverlaysGoOverTheImage)
{
    List list(ImageList_Create(4, 4, ILC_COLOR32 | ILC_MASK, 1, 1));
    const HBITMAP image = strip({kRed, kGreen});
    ASSERT_EQ(ImageList_Add(list.get(), image, nullptr), 0) << "no mask: every pixel drawn";
    const HBITMAP overlay = strip({kBlue});
    const HBITMAP mask = left_half_mask(1);
    ASSERT_EQ(ImageList_Add(list.get(), overlay, mask), 2);
    ASSERT_TRUE(ImageList_SetOverlayImage(list.get(), 2, 1));

    Surface surface;
    ImageList_DrawEx(list.get(), 0, surface.dc(), 0, 0, 0, 0, CLR_NONE, CLR_NONE,
                     ILD_TRANSPARENT | INDEXTOOVERLAYMASK(1));
    EXPECT_EQ(surface.at(0, 0), kRed) << "under the overlay's transparent half";
    EXPECT_EQ(surface.at(3, 3), kBlue) << "the overlay's own pixels";

    ImageList_DrawEx(list.get(), 1, surface.dc(), 4, 0, 0, 0, CLR_NONE, RGB(255, 255, 255),
                     ILD_TRANSPARENT | ILD_BLEND50 | INDEXTOOVERLAYMASK(1));
    EXPECT_EQ(surface.at(7, 0), 0x007F7FFFu) << "the overlay is blended alike";

    ImageList_DrawEx(list.get(), 1, surface.dc(), 8, 0, 0, 0, CLR_NONE, CLR_NONE,
                     ILD_TRANSPARENT | INDEXTOOVERLAYMASK(2));
    EXPECT_EQ(surface.at(11, 0), kGreen) << "an overlay never set adds nothing";

    EXPECT_FALSE(ImageList_SetOverlayImage(list.get(), 3, 1)) << "no such image";
    EXPECT_FALSE(ImageList_SetOverlayImage(list.get(), 0, 16));
    EXPECT_TRUE(ImageList_SetOverlayImage(list.get(), -1, 1));
    ImageList_DrawEx(list.get(), 0, surface.dc(), 12, 0, 0, 0, CLR_NONE, CLR_NONE,
                     ILD_TRANSPARENT | INDEXTOOVERLAYMASK(1));
    EXPECT_EQ(surface.at(15, 3), kRed) << "the overlay taken away";
    for (const HBITMAP bitmap : {image, overlay, mask})
        DeleteObject(bitmap);
}

TEST(ImageLists, AddMaskedMakesTheColourTransparent)
{
    List list(ImageList_Create(4, 4, ILC_COLOR32 | ILC_MASK, 1, 1));
    // Nine columns: two whole images and one column left over; magenta is the mask
    // colour.
    std::vector<uint32_t> rows(9 * 5, kGreen);
    rows[0] = 0x00FF00FF;
    rows[5] = 0x00FF00FF;
    const HBITMAP masked = CreateBitmap(9, 5, 1, 32, rows.data());
    EXPECT_EQ(ImageList_AddMasked(list.get(), masked, RGB(255, 0, 255)), 0);
    EXPECT_EQ(ImageList_GetImageCount(list.get()), 2) << "two whole images of 9 columns";

    Surface surface;
    ImageList_DrawEx(list.get(), 0, surface.dc(), 0, 0, 0, 0, RGB(0, 0, 0), CLR_NONE,
                     ILD_TRANSPARENT);
    EXPECT_EQ(surface.at(0, 0), kGrey);
    EXPECT_EQ(surface.at(1, 0), kGreen);
    ImageList_DrawEx(list.get(), 1, surface.dc(), 4, 0, 0, 0, CLR_NONE, CLR_NONE, ILD_TRANSPARENT);
    EXPECT_EQ(surface.at(5, 0), kGrey) << "column 5 of the bitmap is the second image's 1";

    // Without masks the colour stays.
    List plain(ImageList_Create(4, 4, ILC_COLOR32, 1, 1));
    EXPECT_EQ(ImageList_AddMasked(plain.get(), masked, RGB(255, 0, 255)), 0);
    ImageList_DrawEx(plain.get(), 0, surface.dc(), 8, 0, 0, 0, CLR_NONE, CLR_NONE, ILD_TRANSPARENT);
    EXPECT_EQ(surface.at(8, 0), 0x00FF00FFu);
    DeleteObject(masked);
}

TEST(ImageLists, RefusesWhatItCannotDo)
{
    EXPECT_EQ(ImageList_Create(0, 4, ILC_COLOR32, 1, 1), nullptr);
    EXPECT_EQ(ImageList_Create(4, 4, 0x10000u, 1, 1), nullptr) << "an unknown flag";
    HIMAGELIST list = ImageList_Create(4, 4, ILC_COLOR32 | ILC_MASK, 1, 1);
    ASSERT_NE(list, nullptr);
    const HBITMAP narrow = CreateBitmap(3, 4, 1, 32, nullptr);
    EXPECT_EQ(ImageList_Add(list, narrow, nullptr), -1) << "narrower than an image";
    EXPECT_EQ(ImageList_Add(list, nullptr, nullptr), -1);
    Surface surface;
    EXPECT_FALSE(ImageList_DrawEx(list, 0, surface.dc(), 0, 0, 0, 0, CLR_NONE, CLR_NONE, 0))
        << "no image 0 yet";
    EXPECT_TRUE(ImageList_Destroy(list));
    EXPECT_FALSE(ImageList_Destroy(list)) << "a destroyed list is refused";
    EXPECT_EQ(ImageList_GetImageCount(list), 0);
    const HIMAGELIST other = ImageList_Create(4, 4, ILC_COLOR32, 1, 1);
    EXPECT_NE(other, list) << "handles are not taken again";
    EXPECT_EQ(ImageList_Add(list, narrow, nullptr), -1);
    ImageList_Destroy(other);
    DeleteObject(narrow);
}

TEST(ImageLists, AnImageStretchedOntoASmallerTarget)
{
    // What a view does with an image larger than its target: draw it into a bitmap of
    // the image's size, then StretchBlt that to the scaled size.
    List list(ImageList_Create(4, 4, ILC_COLOR32 | ILC_MASK, 1, 1));
    std::vector<uint32_t> pixels(16, kRed);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            pixels[static_cast<size_t>(y) * 4 + static_cast<size_t>(x)] = kBlue;
    const HBITMAP image = CreateBitmap(4, 4, 1, 32, pixels.data());
    ASSERT_EQ(ImageList_Add(list.get(), image, nullptr), 0);
    MemorySurface buffer(4, 4);
    ImageList_DrawEx(list.get(), 0, buffer.dc(), 0, 0, 0, 0, CLR_NONE, CLR_NONE, ILD_TRANSPARENT);
    Surface target;
    SetStretchBltMode(target.dc(), COLORONCOLOR);
    ASSERT_TRUE(StretchBlt(target.dc(), 3, 3, 2, 2, buffer.dc(), 0, 0, 4, 4, SRCCOPY));
    EXPECT_EQ(target.at(3, 3), kBlue);
    EXPECT_EQ(target.at(4, 4), kRed);
    EXPECT_EQ(target.at(5, 5), kGrey);
    DeleteObject(image);
}

}
