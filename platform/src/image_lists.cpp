// Image lists: images of one size with their masks, drawn onto a DC through its window
// origin and clip.

#include "gdi_objects.h"
#include "gdi_raster.h"
#include "make_win32_error.h"
#include "platform/image_lists.h"
#include "platform/system_metrics.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <vector>

using namespace platform::gdi;

namespace {

constexpr int kOverlays = 16; // overlay 0 is none
constexpr UINT kKnownFlags = ILC_MASK | ILC_COLORDDB;

struct ImageList {
    int width;
    int height;
    bool masked;
    int count = 0;
    // Image i's pixels (0x00RRGGBB, top row first) and mask bytes (not 0: drawn) start at
    // i * width * height.
    std::vector<uint32_t> pixels;
    std::vector<uint8_t> mask;
    std::array<int, kOverlays> overlays{};

    size_t image_size() const { return static_cast<size_t>(width) * static_cast<size_t>(height); }
};

// Lists by handle. Handles count up and are never taken again, so the handle of a
// destroyed list is refused rather than taken for a newer one.
struct Registry {
    std::mutex lock;
    std::map<uintptr_t, std::unique_ptr<ImageList>> lists;
    uintptr_t next = uintptr_t{0x1A} << 24;
};

Registry& registry()
{
    static auto* lists = new Registry;
    return *lists;
}

ImageList* list_of(HIMAGELIST handle)
{
    Registry& all = registry();
    const std::lock_guard guard(all.lock);
    const auto found = all.lists.find(reinterpret_cast<uintptr_t>(handle));
    if (found == all.lists.end()) {
        platform::make_win32_error(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return found->second.get();
}

// The colour (0x00RRGGBB) of a bitmap's pixel, or for a monochrome bitmap whether the
// pixel is a 1 bit (0x00FFFFFF) or not (0).
uint32_t read_pixel(const Surface& surface, int x, int y)
{
    const uint32_t stored = *surface.pixel(x, y) & 0x00FFFFFFu;
    if (surface.is_mono())
        return stored != 0 ? 0x00FFFFFFu : 0u;
    return stored;
}

// Adds the bitmap's whole images; `transparent` says which mask pixels (from the mask
// bitmap, or the image itself with `from_image`) leave a pixel undrawn.
template <typename Transparent>
int add_images(ImageList& list, const Bitmap& image, const Bitmap* mask, Transparent&& transparent)
{
    const Surface source = image.surface();
    if (source.is_empty())
        return -1;
    const int added = source.width / list.width;
    if (added <= 0 || list.count > INT32_MAX - added)
        return -1;
    const Surface mask_surface = mask != nullptr ? mask->surface() : Surface{};
    const size_t size = list.image_size();
    const size_t first = static_cast<size_t>(list.count) * size;
    list.pixels.resize(first + static_cast<size_t>(added) * size, 0);
    list.mask.resize(first + static_cast<size_t>(added) * size, 1);
    const int rows = std::min(list.height, source.height);
    for (int k = 0; k < added; ++k) {
        for (int y = 0; y < rows; ++y) {
            for (int x = 0; x < list.width; ++x) {
                const int sx = k * list.width + x;
                const size_t at = first + static_cast<size_t>(k) * size +
                                  static_cast<size_t>(y) * static_cast<size_t>(list.width) +
                                  static_cast<size_t>(x);
                const uint32_t colour = read_pixel(source, sx, y);
                std::optional<uint32_t> mask_pixel;
                if (mask_surface.contains(sx, y) && !mask_surface.is_empty())
                    mask_pixel = read_pixel(mask_surface, sx, y);
                const bool clear = transparent(colour, mask_pixel);
                list.pixels[at] = clear ? 0u : colour;
                list.mask[at] = list.masked && clear ? 0 : 1;
            }
        }
    }
    const int index = list.count;
    list.count += added;
    return index;
}

uint32_t blended(uint32_t pixel, uint32_t colour, int quarters)
{
    uint32_t result = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t p = (pixel >> shift) & 0xFFu;
        const uint32_t c = (colour >> shift) & 0xFFu;
        const uint32_t mixed =
            (p * static_cast<uint32_t>(4 - quarters) + c * static_cast<uint32_t>(quarters)) / 4;
        result |= mixed << shift;
    }
    return result;
}

}

extern "C" {

PLATFORM_API HIMAGELIST ImageList_Create(int width, int height, UINT flags, int initial,
                                         int grow) noexcept
{
    if (width < 1 || height < 1 || width > kMaxSurfaceSide || height > kMaxSurfaceSide ||
        (flags & ~kKnownFlags) != 0 || initial < 0 || grow < 0) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    try {
        auto list = std::make_unique<ImageList>();
        list->width = width;
        list->height = height;
        list->masked = (flags & ILC_MASK) != 0;
        list->overlays.fill(-1);
        Registry& all = registry();
        const std::lock_guard guard(all.lock);
        const uintptr_t handle = all.next;
        all.next += 4;
        all.lists.emplace(handle, std::move(list));
        return reinterpret_cast<HIMAGELIST>(handle);
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

PLATFORM_API BOOL ImageList_Destroy(HIMAGELIST handle) noexcept
{
    Registry& all = registry();
    std::unique_ptr<ImageList> gone;
    {
        const std::lock_guard guard(all.lock);
        const auto found = all.lists.find(reinterpret_cast<uintptr_t>(handle));
        if (found == all.lists.end()) {
            platform::make_win32_error(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        gone = std::move(found->second);
        all.lists.erase(found);
    }
    return TRUE;
}

PLATFORM_API int ImageList_Add(HIMAGELIST handle, HBITMAP image, HBITMAP mask) noexcept
{
    ImageList* list = list_of(handle);
    const Bitmap* bitmap = object_of_kind<Bitmap>(image);
    if (list == nullptr || bitmap == nullptr)
        return -1;
    const Bitmap* mask_bitmap = nullptr;
    if (mask != nullptr && list->masked) {
        mask_bitmap = object_of_kind<Bitmap>(mask);
        if (mask_bitmap == nullptr)
            return -1;
    }
    try {
        return add_images(*list, *bitmap, mask_bitmap,
                          [](uint32_t, std::optional<uint32_t> mask_pixel) {
                              return mask_pixel.has_value() && *mask_pixel == 0x00FFFFFFu;
                          });
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return -1;
    }
}

PLATFORM_API int ImageList_AddMasked(HIMAGELIST handle, HBITMAP image,
                                     COLORREF mask_colour) noexcept
{
    ImageList* list = list_of(handle);
    const Bitmap* bitmap = object_of_kind<Bitmap>(image);
    if (list == nullptr || bitmap == nullptr)
        return -1;
    const bool masked = list->masked;
    const uint32_t key = pixel_of(mask_colour & 0x00FFFFFFu);
    try {
        return add_images(*list, *bitmap, nullptr,
                          [masked, key](uint32_t colour, std::optional<uint32_t>) {
                              return masked && colour == key;
                          });
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return -1;
    }
}

PLATFORM_API int ImageList_GetImageCount(HIMAGELIST handle) noexcept
{
    const ImageList* list = list_of(handle);
    return list != nullptr ? list->count : 0;
}

PLATFORM_API BOOL ImageList_GetIconSize(HIMAGELIST handle, int* width, int* height) noexcept
{
    const ImageList* list = list_of(handle);
    if (list == nullptr)
        return FALSE;
    if (width == nullptr || height == nullptr) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *width = list->width;
    *height = list->height;
    return TRUE;
}

PLATFORM_API BOOL ImageList_SetOverlayImage(HIMAGELIST handle, int image, int overlay) noexcept
{
    ImageList* list = list_of(handle);
    if (list == nullptr)
        return FALSE;
    if (overlay < 1 || overlay >= kOverlays || image < -1 || image >= list->count) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    list->overlays[static_cast<size_t>(overlay)] = image;
    return TRUE;
}

PLATFORM_API BOOL ImageList_DrawEx(HIMAGELIST handle, int image, HDC hdc, int x, int y, int width,
                                   int height, COLORREF background, COLORREF foreground,
                                   UINT style) noexcept
{
    const ImageList* list = list_of(handle);
    DeviceContext* dc = object_of_kind<DeviceContext>(hdc);
    if (list == nullptr || dc == nullptr)
        return FALSE;
    if (dc->is_recording()) [[unlikely]]
        dc->record("ImageList_DrawEx(%d, %d, %d, %d, %d, 0x%08X, 0x%08X, 0x%X)", image, x, y, width,
                   height, background, foreground, style);
    if (image < 0 || image >= list->count) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const int w = width > 0 ? std::min(width, list->width) : list->width;
    const int h = height > 0 ? std::min(height, list->height) : list->height;
    const bool transparent =
        (style & ILD_TRANSPARENT) != 0 || background == CLR_NONE || background == CLR_DEFAULT;
    const uint32_t fill = pixel_of(background & 0x00FFFFFFu);
    int quarters = 0;
    uint32_t blend = 0;
    if ((style & (ILD_BLEND25 | ILD_BLEND50)) != 0 && foreground != CLR_NONE) {
        quarters = (style & ILD_BLEND50) != 0 ? 2 : 1;
        blend = pixel_of(foreground == CLR_DEFAULT ? GetSysColor(COLOR_HIGHLIGHT)
                                                   : foreground & 0x00FFFFFFu);
    }
    const size_t overlay_slot = (style & ILD_OVERLAYMASK) >> 8;
    const int overlay = list->overlays[overlay_slot];
    const size_t size = list->image_size();
    const size_t base = static_cast<size_t>(image) * size;
    const size_t over =
        overlay >= 0 && overlay < list->count ? static_cast<size_t>(overlay) * size : SIZE_MAX;
    const Surface& surface = dc->surface();
    if (surface.is_empty())
        return TRUE;
    const int64_t left = dc->device_x(x);
    const int64_t top = dc->device_y(y);
    for (int row = 0; row < h; ++row) {
        const int64_t py = top + row;
        if (py < 0 || py >= surface.height)
            continue;
        for (int column = 0; column < w; ++column) {
            const int64_t px = left + column;
            if (px < 0 || px >= surface.width)
                continue;
            const auto sx = static_cast<int>(px);
            const auto sy = static_cast<int>(py);
            if (!surface.visible(sx, sy))
                continue;
            const size_t at = static_cast<size_t>(row) * static_cast<size_t>(list->width) +
                              static_cast<size_t>(column);
            std::optional<uint32_t> colour;
            if (list->mask[base + at] != 0)
                colour = quarters > 0 ? blended(list->pixels[base + at], blend, quarters)
                                      : list->pixels[base + at];
            else if (!transparent)
                colour = fill;
            // The overlay goes over the image, always through its mask.
            if (over != SIZE_MAX && list->mask[over + at] != 0)
                colour = quarters > 0 ? blended(list->pixels[over + at], blend, quarters)
                                      : list->pixels[over + at];
            if (colour.has_value())
                *surface.pixel(sx, sy) = surface.device_pixel(colour_of(*colour)) | surface.alpha;
        }
    }
    return TRUE;
}
}
