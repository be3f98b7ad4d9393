// BitBlt, StretchBlt and PatBlt: copying pixels between DCs through the 256 ternary
// raster operations.

#include "gdi_blit_engine.h"
#include "gdi_objects.h"
#include "make_win32_error.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

using namespace platform::gdi;

extern "C" {

PLATFORM_API BOOL BitBlt(HDC destination_dc, int x, int y, int width, int height, HDC source_dc,
                         int source_x, int source_y, DWORD rop) noexcept
{
    DeviceContext* destination = object_of_kind<DeviceContext>(destination_dc);
    if (destination == nullptr)
        return FALSE;
    destination->record("BitBlt(%d, %d, %d, %d, %d, %d, 0x%08X)", x, y, width, height, source_x,
                        source_y, rop);
    const auto operation = static_cast<uint8_t>(rop >> 16);
    const bool with_source = uses_source(operation);
    const DeviceContext* source = nullptr;
    if (with_source) {
        source = object_of_kind<DeviceContext>(source_dc);
        if (source == nullptr)
            return FALSE;
    }
    // Each DC maps its own rectangle by its own window origin.
    if (!destination->to_device(x, y) ||
        (source != nullptr && !source->to_device(source_x, source_y))) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (width <= 0 || height <= 0)
        return TRUE;
    const Surface& to = destination->surface();

    const Surface from = source != nullptr ? source->surface() : Surface{};
    // Clip once against the destination and, with a source, against the source too.
    int64_t left = x;
    int64_t top = y;
    int64_t right = int64_t{x} + width;
    int64_t bottom = int64_t{y} + height;
    int64_t shift_x = 0;
    int64_t shift_y = 0;
    if (with_source) {
        shift_x = int64_t{source_x} - x;
        shift_y = int64_t{source_y} - y;
        left = std::max(left, -shift_x);
        top = std::max(top, -shift_y);
        right = std::min(right, from.width - shift_x);
        bottom = std::min(bottom, from.height - shift_y);
    }
    left = std::max<int64_t>(left, 0);
    top = std::max<int64_t>(top, 0);
    right = std::min<int64_t>(right, to.width);
    bottom = std::min<int64_t>(bottom, to.height);
    if (to.is_empty() || left >= right || top >= bottom || (with_source && from.is_empty()))
        return TRUE;
    if (to.clip != nullptr || to.is_mono() || (with_source && from.is_mono())) {
        // Clipped or monochrome: the general road, over the part on both surfaces.
        const auto w = static_cast<int>(right - left);
        const auto h = static_cast<int>(bottom - top);
        try {
            if (!with_source) {
                blit(*destination, static_cast<int>(left), static_cast<int>(top), w, h, nullptr, 0,
                     0, rop);
                return TRUE;
            }
            const BlitSource pixels = read_source(
                *source, to, destination->text_colour, destination->background_colour,
                static_cast<int>(left + shift_x), static_cast<int>(top + shift_y), w, h);
            blit(*destination, static_cast<int>(left), static_cast<int>(top), w, h, &pixels, w, h,
                 rop);
        } catch (const std::bad_alloc&) {
            platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
            return FALSE;
        }
        return TRUE;
    }
    const auto count = static_cast<size_t>(right - left);
    const uint32_t alpha = to.alpha;
    const uint32_t pattern = pixel_of(destination->brush().record().lbColor);
    // Rows in the order that keeps an overlapping copy on one surface intact.
    const bool upwards = with_source && from.top_row == to.top_row && shift_y < 0;
    std::vector<uint32_t> row_copy;
    for (int64_t i = 0; i < bottom - top; ++i) {
        const int row = static_cast<int>(upwards ? bottom - 1 - i : top + i);
        uint32_t* out = to.pixel(static_cast<int>(left), row);
        const uint32_t* in = with_source ? from.pixel(static_cast<int>(left + shift_x),
                                                      static_cast<int>(row + shift_y))
                                         : nullptr;
        if (rop == SRCCOPY) {
            if (in != out) {
                if (in < out + count && out < in + count)
                    std::memmove(out, in, count * sizeof(uint32_t));
                else
                    std::copy_n(in, count, out);
            }
            for (size_t k = 0; k < count; ++k)
                out[k] = (out[k] & 0x00FFFFFFu) | alpha;
            continue;
        }
        if (in != nullptr && in < out + count && out < in + count) {
            // The source overlaps this row: read it before it is written.
            row_copy.assign(in, in + count);
            in = row_copy.data();
        }
        for (size_t k = 0; k < count; ++k) {
            const uint32_t s = in != nullptr ? in[k] : 0;
            out[k] = (ternary(operation, pattern, s, out[k]) & 0x00FFFFFFu) | alpha;
        }
    }
    return TRUE;
}

PLATFORM_API BOOL StretchBlt(HDC destination_dc, int x, int y, int width, int height, HDC source_dc,
                             int source_x, int source_y, int source_width, int source_height,
                             DWORD rop) noexcept
{
    DeviceContext* destination = object_of_kind<DeviceContext>(destination_dc);
    if (destination == nullptr)
        return FALSE;
    destination->record("StretchBlt(%d, %d, %d, %d, %d, %d, %d, %d, 0x%08X)", x, y, width, height,
                        source_x, source_y, source_width, source_height, rop);
    const auto operation = static_cast<uint8_t>(rop >> 16);
    if (!destination->to_device(x, y)) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!uses_source(operation)) {
        blit(*destination, x, y, width, height, nullptr, 0, 0, rop);
        return TRUE;
    }
    const DeviceContext* source = object_of_kind<DeviceContext>(source_dc);
    if (source == nullptr)
        return FALSE;
    if (!source->to_device(source_x, source_y)) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (source_width == 0 || source_height == 0 || width == 0 || height == 0)
        return TRUE;
    // The source rectangle in surface order: a negative size counts back from the
    // origin, which is its first pixel.
    const int64_t left = source_width > 0 ? source_x : int64_t{source_x} + source_width + 1;
    const int64_t top = source_height > 0 ? source_y : int64_t{source_y} + source_height + 1;
    const int64_t span_x = std::llabs(int64_t{source_width});
    const int64_t span_y = std::llabs(int64_t{source_height});
    if (span_x > kMaxSurfaceSide || span_y > kMaxSurfaceSide || left < INT32_MIN ||
        top < INT32_MIN) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    try {
        const BlitSource pixels =
            read_source(*source, destination->surface(), destination->text_colour,
                        destination->background_colour, static_cast<int>(left),
                        static_cast<int>(top), static_cast<int>(span_x), static_cast<int>(span_y));
        blit(*destination, x, y, width, height, &pixels, source_width, source_height, rop);
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    return TRUE;
}

PLATFORM_API BOOL PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop) noexcept
{
    DeviceContext* destination = object_of_kind<DeviceContext>(dc);
    if (destination == nullptr)
        return FALSE;
    destination->record("PatBlt(%d, %d, %d, %d, 0x%08X)", x, y, width, height, rop);
    if (uses_source(static_cast<uint8_t>(rop >> 16)) || !destination->to_device(x, y)) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    blit(*destination, x, y, width, height, nullptr, 0, 0, rop);
    return TRUE;
}

PLATFORM_API int SetStretchBltMode(HDC dc, int mode) noexcept
{
    DeviceContext* context = object_of_kind<DeviceContext>(dc);
    if (context == nullptr)
        return 0;
    context->record("SetStretchBltMode(%d)", mode);
    if (mode < BLACKONWHITE || mode > HALFTONE) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return std::exchange(context->stretch_mode, mode);
}

PLATFORM_API int GetStretchBltMode(HDC dc) noexcept
{
    const DeviceContext* context = object_of_kind<DeviceContext>(dc);
    return context != nullptr ? context->stretch_mode : 0;
}
}
