// BitBlt and StretchBlt: copying pixels between DCs through the 256 ternary raster
// operations.

#include "gdi_objects.h"
#include "make_win32_error.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace platform::gdi {
namespace {

// The result of a ternary operation on pattern, source and destination bits: bit m of
// the operation's index says what the combination m = P S D (P the high bit) gives.
uint32_t ternary(uint8_t operation, uint32_t pattern, uint32_t source, uint32_t destination)
{
    uint32_t result = 0;
    for (int m = 0; m < 8; ++m) {
        if ((operation >> m & 1) == 0)
            continue;
        const uint32_t p = (m & 4) != 0 ? pattern : ~pattern;
        const uint32_t s = (m & 2) != 0 ? source : ~source;
        const uint32_t d = (m & 1) != 0 ? destination : ~destination;
        result |= p & s & d;
    }
    return result;
}

bool uses_source(uint8_t operation)
{
    // The source matters when swapping its bit changes some result bit.
    return ((operation >> 2) & 0x33) != (operation & 0x33);
}

}

}

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
    if (!uses_source(operation))
        return BitBlt(destination_dc, x, y, width, height, nullptr, 0, 0, rop);
    const DeviceContext* source = object_of_kind<DeviceContext>(source_dc);
    if (source == nullptr)
        return FALSE;
    if (width <= 0 || height <= 0 || source_width <= 0 || source_height <= 0) {
        if (width < 0 || height < 0 || source_width < 0 || source_height < 0) {
            platform::make_win32_error(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        return TRUE;
    }
    const Surface& to = destination->surface();
    const Surface& from = source->surface();
    const int64_t left = std::max<int64_t>(x, 0);
    const int64_t top = std::max<int64_t>(y, 0);
    const int64_t right = std::min<int64_t>(int64_t{x} + width, to.width);
    const int64_t bottom = std::min<int64_t>(int64_t{y} + height, to.height);
    if (to.is_empty() || from.is_empty() || left >= right || top >= bottom)
        return TRUE;
    // Each destination pixel takes the source pixel under its centre; destination
    // pixels whose source lies off the source surface are left alone. The source is
    // read through a copy, so a stretch within one surface reads no pixel it wrote.
    const auto source_of = [](int64_t offset, int64_t size, int64_t source_size) {
        return (2 * offset + 1) * source_size / (2 * size);
    };
    std::vector<int64_t> columns(static_cast<size_t>(right - left));
    for (int64_t column = left; column < right; ++column)
        columns[static_cast<size_t>(column - left)] =
            source_x + source_of(column - x, width, source_width);
    const uint32_t alpha = to.alpha;
    const uint32_t pattern = pixel_of(destination->brush().record().lbColor);
    const bool same_surface = from.top_row == to.top_row;
    std::vector<uint32_t> source_copy;
    if (same_surface) {
        source_copy.resize(static_cast<size_t>(from.width) * static_cast<size_t>(from.height));
        for (int row = 0; row < from.height; ++row)
            std::copy_n(from.pixel(0, row), from.width,
                        source_copy.data() + static_cast<size_t>(row) * from.width);
    }
    for (int64_t row = top; row < bottom; ++row) {
        const int64_t source_row = source_y + source_of(row - y, height, source_height);
        if (source_row < 0 || source_row >= from.height)
            continue;
        const uint32_t* in = same_surface
                                 ? source_copy.data() + static_cast<size_t>(source_row) * from.width
                                 : from.pixel(0, static_cast<int>(source_row));
        uint32_t* out = to.pixel(0, static_cast<int>(row));
        for (int64_t column = left; column < right; ++column) {
            const int64_t source_column = columns[static_cast<size_t>(column - left)];
            if (source_column < 0 || source_column >= from.width)
                continue;
            const uint32_t s = in[source_column];
            const uint32_t d = out[column];
            const uint32_t result = rop == SRCCOPY ? s : ternary(operation, pattern, s, d);
            out[column] = (result & 0x00FFFFFFu) | alpha;
        }
    }
    return TRUE;
}

}
