// Bitmaps: the record, its pixel memory, copies, pixel access, images, the ordered-dither
// mask, the bridge to the platform's DIB sections and the ports that draw into a bitmap.

#include "graphics_internal.h"

#include "osmark/blits.h"
#include "osmark/errors.h"
#include "platform/user_paint.h"

#include <algorithm>
#include <cstring>

namespace osmark::graphics {

uint32_t row_bytes_for_depth(int32_t width, int32_t depth)
{
    const int64_t w = width;
    switch (depth) {
    case 1:
    case 2:
    case 4:
    case 8:
    case 16:
        return static_cast<uint32_t>(((w * depth + 7) / 8 + 3) & ~int64_t{3});
    case 24:
        return static_cast<uint32_t>((w * 3 + 3) & ~int64_t{3});
    case 32:
        return static_cast<uint32_t>(w * 4);
    default:
        SetIoErr(IoErrWrongType);
        return 0;
    }
}

DibHeader dib_header_of(const BitMap* bitmap)
{
    DibHeader info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = bitmap->bm_Width;
    info.header.biHeight = -bitmap->bm_Height;
    info.header.biPlanes = 1;
    info.header.biBitCount = is_mask(bitmap) ? 1 : 32;
    info.header.biCompression = BI_RGB;
    info.colours[0] = RGBQUAD{0, 0, 0, 0};
    info.colours[1] = RGBQUAD{255, 255, 255, 0};
    return info;
}

HBITMAP CreateDIBFromBitMap(const BitMap* bitmap)
{
    if (bitmap == nullptr || bitmap->bm_Pixels == nullptr)
        return nullptr;
    const DibHeader info = dib_header_of(bitmap);
    HDC screen = GetDC(nullptr);
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(screen, reinterpret_cast<const BITMAPINFO*>(&info),
                                       DIB_RGB_COLORS, &bits, nullptr, 0);
    if (section != nullptr)
        SetDIBits(screen, section, 0, static_cast<UINT>(bitmap->bm_Height), bitmap->bm_Pixels,
                  reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    GdiFlush();
    return section;
}

void CopyDIBToBitMap(HBITMAP section, BitMap* bitmap)
{
    if (bitmap == nullptr || bitmap->bm_Pixels == nullptr || section == nullptr)
        return;
    GdiFlush();
    DibHeader info = dib_header_of(bitmap);
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, section, 0, static_cast<UINT>(bitmap->bm_Height), bitmap->bm_Pixels,
              reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
}

}

using namespace osmark::graphics;

namespace {

constexpr char kTag[4] = {'B', 'M', 'B', 'M'};

bool has_tag(const BitMap* bitmap)
{
    return std::memcmp(bitmap->bm_Tag, "BM", 2) == 0 &&
           std::memcmp(bitmap->bm_Tag + 2, "BM", 2) == 0;
}

uint8_t* row_of(const BitMap* bitmap, int32_t y)
{
    return static_cast<uint8_t*>(bitmap->bm_Pixels) +
           static_cast<size_t>(y) * bitmap_row_bytes(bitmap);
}

bool inside(const BitMap* bitmap, int32_t x, int32_t y)
{
    return bitmap != nullptr && bitmap->bm_Pixels != nullptr && x >= 0 && y >= 0 &&
           x < bitmap->bm_Width && y < bitmap->bm_Height;
}

bool mask_bit(const BitMap* bitmap, int32_t x, int32_t y)
{
    return ((row_of(bitmap, y)[x / 8] >> (7 - x % 8)) & 1u) != 0;
}

void set_mask_bit(BitMap* bitmap, int32_t x, int32_t y, bool set)
{
    uint8_t& byte = row_of(bitmap, y)[x / 8];
    const auto bit = static_cast<uint8_t>(0x80u >> (x % 8));
    byte = set ? static_cast<uint8_t>(byte | bit) : static_cast<uint8_t>(byte & ~bit);
}

uint32_t& pixel_at(const BitMap* bitmap, int32_t x, int32_t y)
{
    return reinterpret_cast<uint32_t*>(row_of(bitmap, y))[x];
}

BitMap* new_record(uint32_t flags, int32_t width, int32_t height)
{
    auto* bitmap = static_cast<BitMap*>(AllocVec(sizeof(BitMap)));
    if (bitmap == nullptr)
        return nullptr;
    bitmap->bm_Flags = flags;
    bitmap->bm_Width = width;
    bitmap->bm_Height = height;
    bitmap->bm_Pixels = AllocBits(width, height, 0, (flags & BMF_MASK) != 0 ? 1 : 32, nullptr);
    std::memcpy(bitmap->bm_Tag, kTag, sizeof kTag);
    if (bitmap->bm_Pixels == nullptr) {
        FreeVec(bitmap);
        return nullptr;
    }
    return bitmap;
}

// The 8 x 8 ordered-dither matrix.
constexpr uint8_t kBayer[8][8] = {{0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
                                  {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
                                  {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
                                  {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21}};

}

extern "C" {

OSMARK_API uint32_t RowBytesForDepth(int32_t width, int32_t depth) noexcept
{
    return row_bytes_for_depth(width, depth);
}

OSMARK_API void* AllocBits(int32_t width, int32_t height, uint32_t flags, int32_t depth,
                           uint32_t* row_bytes) noexcept
{
    if (width == 0)
        width = 1;
    if (height == 0)
        height = 1;
    const uint32_t row = row_bytes_for_depth(width, depth);
    if (row_bytes != nullptr)
        *row_bytes = row;
    if (row == 0)
        return nullptr;
    const uint64_t size = uint64_t{row} * static_cast<uint32_t>(height);
    if (height < 0 || size > 0x7FFFFFFFu) {
        SetIoErr(IoErrNoMemory);
        return nullptr;
    }
    void* bits = AllocVec(static_cast<uint32_t>(size));
    if (bits != nullptr && (flags & 1u) != 0)
        std::memset(bits, 0, static_cast<size_t>(size));
    return bits;
}

OSMARK_API BitMap* AllocBitMap(int32_t width, int32_t height, const Colour* initial) noexcept
{
    width = std::max(width, 1);
    height = std::max(height, 1);
    BitMap* bitmap = new_record(0, width, height);
    if (bitmap != nullptr && initial != nullptr) {
        auto* pixels = static_cast<uint32_t*>(bitmap->bm_Pixels);
        const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
        for (size_t i = 0; i < count; ++i)
            pixels[i] = swap_red_blue(initial[i]) & 0x00FFFFFFu;
    }
    return bitmap;
}

OSMARK_API BitMap* AllocBitMask(uint32_t width, uint32_t height, const void* initial) noexcept
{
    if (width == 0)
        width = 1;
    if (height == 0)
        height = 1;
    if (width > 0x7FFFFFFFu || height > 0x7FFFFFFFu) {
        SetIoErr(IoErrNoMemory);
        return nullptr;
    }
    BitMap* bitmap =
        new_record(BMF_MASK, static_cast<int32_t>(width), static_cast<int32_t>(height));
    if (bitmap != nullptr && initial != nullptr)
        std::memcpy(bitmap->bm_Pixels, initial,
                    static_cast<size_t>(bitmap_row_bytes(bitmap)) * height);
    return bitmap;
}

OSMARK_API void FreeBitMap(BitMap* bitmap) noexcept
{
    if (bitmap == nullptr || !has_tag(bitmap))
        return;
    FreeVec(bitmap->bm_Pixels);
    FreeVec(bitmap);
}

OSMARK_API int32_t ResizeBitMap(BitMap* bitmap, int32_t width, int32_t height) noexcept
{
    if (bitmap == nullptr)
        return IoErrRequiredArgMissing;
    width = std::max(width, 1);
    height = std::max(height, 1);
    void* pixels = AllocBits(width, height, 0, is_mask(bitmap) ? 1 : 32, nullptr);
    if (pixels == nullptr)
        return IoErr();
    FreeVec(bitmap->bm_Pixels);
    bitmap->bm_Pixels = pixels;
    bitmap->bm_Width = width;
    bitmap->bm_Height = height;
    return 0;
}

OSMARK_API int32_t EmptyBitMap(const BitMap* bitmap) noexcept
{
    if (bitmap == nullptr || bitmap->bm_Pixels == nullptr)
        return 1;
    return bitmap->bm_Width == 0 && bitmap->bm_Height == 0 ? 1 : 0;
}

OSMARK_API BitMap* CopyBitMap(const BitMap* bitmap, const RectangleBox* rect) noexcept
{
    if (bitmap == nullptr || bitmap->bm_Pixels == nullptr)
        return nullptr;
    RectangleBox box{0, 0, bitmap->bm_Width, bitmap->bm_Height};
    if (rect != nullptr) {
        box = *rect;
        if (box.x0 < 0) {
            box.x1 -= box.x0;
            box.x0 = 0;
        }
        if (box.y0 < 0) {
            box.y1 -= box.y0;
            box.y0 = 0;
        }
        box.x1 = std::min(box.x1, bitmap->bm_Width);
        box.y1 = std::min(box.y1, bitmap->bm_Height);
        // Nothing of the source is left to copy.
        if (box.x1 <= box.x0 || box.y1 <= box.y0)
            return nullptr;
    }
    const int32_t width = box.x1 - box.x0;
    const int32_t height = box.y1 - box.y0;
    BitMap* copy = is_mask(bitmap) ? AllocBitMask(static_cast<uint32_t>(width),
                                                  static_cast<uint32_t>(height), nullptr)
                                   : AllocBitMap(width, height, nullptr);
    if (copy == nullptr)
        return nullptr;
    BltBitMap(copy, nullptr, const_cast<BitMap*>(bitmap), &box, ColourNone);
    return copy;
}

OSMARK_API Image* CreateImage(BitMap* bitmap) noexcept
{
    if (bitmap == nullptr)
        return nullptr;
    auto* image = static_cast<Image*>(AllocVec(sizeof(Image)));
    if (image == nullptr)
        return nullptr;
    std::memset(image, 0, sizeof(Image));
    image->im_Width = bitmap->bm_Width;
    image->im_Height = bitmap->bm_Height;
    image->im_BitMap = bitmap;
    return image;
}

OSMARK_API void FreeImage(Image* image) noexcept
{
    FreeVec(image);
}

OSMARK_API uintptr_t GetBitMapAttr(const BitMap* bitmap, uint32_t attribute) noexcept
{
    if (bitmap == nullptr)
        return 0;
    switch (attribute) {
    case BMA_Height:
        return static_cast<uintptr_t>(bitmap->bm_Height);
    case BMA_Width:
        return static_cast<uintptr_t>(bitmap->bm_Width);
    case BMA_Flags:
        return bitmap->bm_Flags;
    case BMA_Pixels:
        return reinterpret_cast<uintptr_t>(bitmap->bm_Pixels);
    case BMA_Depth:
        return is_mask(bitmap) ? 1 : 32;
    case BMA_BytesPerRow:
        return bitmap_row_bytes(bitmap);
    default:
        return 0;
    }
}

OSMARK_API Colour GetBitMapPixel(const BitMap* bitmap, int32_t x, int32_t y) noexcept
{
    if (!inside(bitmap, x, y))
        return ColourNone;
    if (is_mask(bitmap))
        return mask_bit(bitmap, x, y) ? 0xFFFFFFu : 0u;
    return swap_red_blue(pixel_at(bitmap, x, y)) & 0x00FFFFFFu;
}

OSMARK_API Colour SetBitMapPixel(BitMap* bitmap, int32_t x, int32_t y, Colour colour) noexcept
{
    if (!inside(bitmap, x, y))
        return ColourNone;
    const uint32_t resolved = ColourToRGB(static_cast<int32_t>(colour));
    if (is_mask(bitmap)) {
        set_mask_bit(bitmap, x, y, resolved != 0);
        return resolved != 0 ? 0xFFFFFFu : 0u;
    }
    pixel_at(bitmap, x, y) = swap_red_blue(resolved) & 0x00FFFFFFu;
    return resolved;
}
}

namespace {

// Calls move(x, y, index) for every pixel of the ordered rectangle inside the map.
template <typename Move>
int32_t for_rectangle(const BitMap* bitmap, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                      Move&& move)
{
    if (x0 > x1)
        std::swap(x0, x1);
    if (y0 > y1)
        std::swap(y0, y1);
    const int64_t row_words = int64_t{x1} - x0 + 1;
    const int32_t left = std::max(x0, 0);
    const int32_t top = std::max(y0, 0);
    const int32_t right = std::min(x1, bitmap->bm_Width - 1);
    const int32_t bottom = std::min(y1, bitmap->bm_Height - 1);
    int32_t moved = 0;
    for (int32_t y = top; y <= bottom; ++y) {
        for (int32_t x = left; x <= right; ++x) {
            move(x, y, static_cast<size_t>((int64_t{y} - y0) * row_words + (int64_t{x} - x0)));
            ++moved;
        }
    }
    return moved;
}

}

extern "C" {

OSMARK_API int32_t GetBitMapPixels(const BitMap* bitmap, int32_t x0, int32_t y0, int32_t x1,
                                   int32_t y1, uint32_t* buffer) noexcept
{
    if (bitmap == nullptr || buffer == nullptr || bitmap->bm_Pixels == nullptr ||
        bitmap->bm_Width < 1 || bitmap->bm_Height < 1)
        return 0;
    return for_rectangle(bitmap, x0, y0, x1, y1, [&](int32_t x, int32_t y, size_t index) {
        buffer[index] = is_mask(bitmap) ? (mask_bit(bitmap, x, y) ? 0xFFFFFFu : 0u)
                                        : swap_red_blue(pixel_at(bitmap, x, y));
    });
}

OSMARK_API int32_t SetBitMapPixels(BitMap* bitmap, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                                   const uint32_t* buffer) noexcept
{
    if (bitmap == nullptr || buffer == nullptr || bitmap->bm_Pixels == nullptr)
        return 0;
    return for_rectangle(bitmap, x0, y0, x1, y1, [&](int32_t x, int32_t y, size_t index) {
        if (is_mask(bitmap))
            set_mask_bit(bitmap, x, y, buffer[index] != 0);
        else
            pixel_at(bitmap, x, y) = swap_red_blue(buffer[index]);
    });
}

OSMARK_API Colour BitMapTransparentColour(const BitMap* bitmap) noexcept
{
    return bitmap != nullptr ? GetBitMapPixel(bitmap, 0, bitmap->bm_Height - 1) : 0;
}

OSMARK_API Colour SetBitMapTransparentColour(BitMap* bitmap, Colour colour) noexcept
{
    return bitmap != nullptr ? SetBitMapPixel(bitmap, 0, bitmap->bm_Height - 1, colour) : 0;
}

OSMARK_API BitMap* AllocDitheredBitMask(uint32_t level, int32_t width, int32_t height) noexcept
{
    BitMap* mask =
        AllocBitMask(static_cast<uint32_t>(width), static_cast<uint32_t>(height), nullptr);
    if (mask == nullptr)
        return nullptr;
    // level / 4 rounded half away from zero: level 2 gives 1.
    const uint32_t threshold = std::min<uint32_t>((level + 2) / 4, 64);
    auto fill_cell = [threshold](BitMap* target) {
        for (int32_t y = 0; y < 8; ++y) {
            for (int32_t x = 0; x < 8; ++x)
                SetBitMapPixel(target, x, y, kBayer[y][x] < threshold ? 0xFFFFFFu : 0u);
        }
    };
    if (mask->bm_Width <= 8 && mask->bm_Height <= 8) {
        fill_cell(mask);
        return mask;
    }
    BitMap* cell = AllocBitMask(8, 8, nullptr);
    if (cell == nullptr) {
        FreeBitMap(mask);
        return nullptr;
    }
    fill_cell(cell);
    if (RastPort* rp = AllocBitMapRastPort(mask); rp != nullptr) {
        const RectangleBox box{0, 0, mask->bm_Width, mask->bm_Height};
        BltPattern(rp, cell, &box, ColourNone, 0);
        FreeBitMapRastPort(rp);
    }
    FreeBitMap(cell);
    return mask;
}

OSMARK_API RastPort* AllocBitMapRastPort(BitMap* bitmap) noexcept
{
    if (bitmap == nullptr)
        return nullptr;
    HDC memory = CreateCompatibleDC(nullptr);
    if (memory == nullptr)
        return nullptr;
    RastPort* rp = __CreateOSBitMapRastPort(memory, bitmap);
    if (rp == nullptr)
        DeleteDC(memory);
    return rp;
}

OSMARK_API void FreeBitMapRastPort(RastPort* rp) noexcept
{
    FreeRastPort(rp);
}
}
