// Device-independent bitmaps: reading and writing the caller's DIB rows (1 to 32 bits,
// colour tables, bit fields), monochrome bitmaps, StretchDIBits and GdiFlush.

#include "gdi_blit_engine.h"
#include "gdi_objects.h"
#include "make_win32_error.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <new>

using namespace platform::gdi;

namespace {

// What a DIB's header says about its rows.
struct DibFormat {
    int width = 0;
    int height = 0; // rows, always positive
    bool top_down = false;
    int bits = 0;
    size_t stride = 0;
    uint32_t masks[3] = {0, 0, 0}; // red, green, blue of 16 and 32 bits
    uint32_t table[256] = {};      // 0x00RRGGBB
    int table_size = 0;
};

// The format of the header, or false for one this platform does not read.
bool dib_format(const BITMAPINFO* info, DibFormat& format)
{
    if (info == nullptr)
        return false;
    const BITMAPINFOHEADER& header = info->bmiHeader;
    if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biWidth <= 0 || header.biHeight == 0 ||
        header.biWidth > kMaxSurfaceSide || header.biHeight < -kMaxSurfaceSide ||
        header.biHeight > kMaxSurfaceSide)
        return false;
    format.width = header.biWidth;
    format.top_down = header.biHeight < 0;
    format.height = format.top_down ? -header.biHeight : header.biHeight;
    format.bits = header.biBitCount;
    format.stride =
        static_cast<size_t>((static_cast<int64_t>(format.width) * format.bits + 31) / 32 * 4);
    const auto* after_header = reinterpret_cast<const uint8_t*>(info) + header.biSize;
    switch (format.bits) {
    case 1:
    case 4:
    case 8: {
        if (header.biCompression != BI_RGB)
            return false;
        const uint32_t full = 1u << format.bits;
        const uint32_t used = header.biClrUsed == 0 ? full : std::min(header.biClrUsed, full);
        format.table_size = static_cast<int>(used);
        for (uint32_t i = 0; i < used; ++i) {
            RGBQUAD entry;
            std::memcpy(&entry, after_header + i * sizeof(RGBQUAD), sizeof entry);
            format.table[i] =
                (uint32_t{entry.rgbRed} << 16) | (uint32_t{entry.rgbGreen} << 8) | entry.rgbBlue;
        }
        return true;
    }
    case 16:
    case 32:
        if (header.biCompression == BI_BITFIELDS) {
            std::memcpy(format.masks, after_header, sizeof format.masks);
        } else if (header.biCompression == BI_RGB) {
            if (format.bits == 16) {
                format.masks[0] = 0x7C00;
                format.masks[1] = 0x03E0;
                format.masks[2] = 0x001F;
            } else {
                format.masks[0] = 0x00FF0000;
                format.masks[1] = 0x0000FF00;
                format.masks[2] = 0x000000FF;
            }
        } else {
            return false;
        }
        return true;
    case 24:
        return header.biCompression == BI_RGB;
    default:
        return false;
    }
}

// A channel of a bit-field pixel scaled to 8 bits.
uint32_t channel(uint32_t value, uint32_t mask)
{
    if (mask == 0)
        return 0;
    const int shift = std::countr_zero(mask);
    const int width = std::popcount(mask >> shift);
    uint32_t part = (value & mask) >> shift;
    if (width >= 8)
        return part >> (width - 8);
    // Repeat the bits so that a full channel gives 255.
    uint32_t result = 0;
    int filled = 0;
    while (filled < 8) {
        result = (result << width) | part;
        filled += width;
    }
    return result >> (filled - 8);
}

// Pixel x of a row as 0x00RRGGBB, and its table index for 1 to 8 bits (-1 otherwise).
uint32_t dib_pixel(const DibFormat& format, const uint8_t* row, int x, int& index)
{
    index = -1;
    switch (format.bits) {
    case 1:
    case 4:
    case 8: {
        const int per_byte = 8 / format.bits;
        const uint8_t byte = row[x / per_byte];
        const int shift = 8 - format.bits * (x % per_byte + 1);
        index = (byte >> shift) & ((1 << format.bits) - 1);
        return index < format.table_size ? format.table[index] : 0;
    }
    case 16: {
        const uint32_t value = uint32_t{row[2 * x]} | (uint32_t{row[2 * x + 1]} << 8);
        return (channel(value, format.masks[0]) << 16) | (channel(value, format.masks[1]) << 8) |
               channel(value, format.masks[2]);
    }
    case 24:
        return (uint32_t{row[3 * x + 2]} << 16) | (uint32_t{row[3 * x + 1]} << 8) | row[3 * x];
    default: {
        uint32_t value = 0;
        std::memcpy(&value, row + 4 * x, sizeof value);
        return (channel(value, format.masks[0]) << 16) | (channel(value, format.masks[1]) << 8) |
               channel(value, format.masks[2]);
    }
    }
}

// The picture row (0 the top) of the DIB's row i in memory.
int picture_row(const DibFormat& format, int i)
{
    return format.top_down ? i : format.height - 1 - i;
}

std::unique_ptr<Bitmap> make_mono_bitmap(int64_t width, int64_t height, bool top_down,
                                         uint32_t colour0, uint32_t colour1, bool packed_rows,
                                         uint8_t** packed_out)
{
    std::unique_ptr<Bitmap> bitmap = make_dib(width, height, top_down);
    if (bitmap == nullptr)
        return nullptr;
    uint8_t* packed = nullptr;
    if (packed_rows) {
        const size_t stride = static_cast<size_t>((width + 31) / 32 * 4);
        packed = static_cast<uint8_t*>(std::calloc(stride * static_cast<size_t>(height), 1));
        if (packed == nullptr) {
            platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
    }
    bitmap->make_mono(colour0, colour1, packed);
    if (packed_out != nullptr)
        *packed_out = packed;
    return bitmap;
}

uint32_t quad_colour(const RGBQUAD& entry)
{
    return (uint32_t{entry.rgbRed} << 16) | (uint32_t{entry.rgbGreen} << 8) | entry.rgbBlue;
}

}

namespace platform::gdi {

// A 1-bit DIB section: called by CreateDIBSection.
HBITMAP create_mono_section(const BITMAPINFO* info, void** bits)
{
    const BITMAPINFOHEADER& header = info->bmiHeader;
    const int64_t height = header.biHeight;
    const auto* table =
        reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const uint8_t*>(info) + header.biSize);
    const uint32_t colour0 = quad_colour(table[0]);
    const uint32_t colour1 = header.biClrUsed == 1 ? 0u : quad_colour(table[1]);
    uint8_t* packed = nullptr;
    std::unique_ptr<Bitmap> bitmap = make_mono_bitmap(header.biWidth, height < 0 ? -height : height,
                                                      height < 0, colour0, colour1, true, &packed);
    if (bitmap == nullptr)
        return nullptr;
    bitmap->set_dib_section();
    const HGDIOBJ handle = add_object(std::move(bitmap));
    if (handle != nullptr && bits != nullptr)
        *bits = packed;
    return static_cast<HBITMAP>(handle);
}

}

extern "C" {

PLATFORM_API HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bits_per_pixel,
                                  const void* bits) noexcept
{
    if (planes != 1 || (bits_per_pixel != 1 && bits_per_pixel != 32)) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::unique_ptr<Bitmap> bitmap =
        bits_per_pixel == 1 ? make_mono_bitmap(width, height, true, 0, 0x00FFFFFFu, false, nullptr)
                            : make_dib(width, height, true);
    if (bitmap == nullptr)
        return nullptr;
    if (bits != nullptr) {
        const auto* source = static_cast<const uint8_t*>(bits);
        const Surface surface = bitmap->surface();
        if (bits_per_pixel == 1) {
            const size_t stride = static_cast<size_t>((width + 15) / 16 * 2);
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x) {
                    const bool set = ((source[y * stride + x / 8] >> (7 - x % 8)) & 1u) != 0;
                    *surface.pixel(x, y) = set ? 0x00FFFFFFu : 0u;
                }
            }
        } else {
            for (int y = 0; y < height; ++y)
                std::memcpy(surface.pixel(0, y), source + static_cast<size_t>(y) * width * 4,
                            static_cast<size_t>(width) * 4);
        }
    }
    return static_cast<HBITMAP>(add_object(std::move(bitmap)));
}

PLATFORM_API HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) noexcept
{
    const DeviceContext* context = object_of_kind<DeviceContext>(dc);
    if (context == nullptr)
        return nullptr;
    const bool mono = context->bitmap() != nullptr && context->bitmap()->is_mono();
    return CreateBitmap(width, height, 1, mono ? 1 : 32, nullptr);
}

PLATFORM_API int SetDIBits(HDC /*dc*/, HBITMAP handle, UINT start, UINT lines, const void* bits,
                           const BITMAPINFO* info, UINT usage) noexcept
{
    Bitmap* bitmap = object_of_kind<Bitmap>(handle);
    if (bitmap == nullptr)
        return 0;
    DibFormat format;
    if (bits == nullptr || usage != DIB_RGB_COLORS || !dib_format(info, format) ||
        bitmap->pixels() == nullptr) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const Surface surface = bitmap->surface();
    const uint32_t* palette = bitmap->is_mono() ? bitmap->palette() : nullptr;
    // Indices carry over when the DIB's table is the bitmap's.
    const bool same_table = palette != nullptr && format.bits == 1 && format.table_size == 2 &&
                            format.table[0] == palette[0] && format.table[1] == palette[1];
    const int width = std::min(format.width, surface.width);
    const auto* data = static_cast<const uint8_t*>(bits);
    int written = 0;
    for (UINT k = 0; k < lines; ++k) {
        const int64_t i = int64_t{start} + k;
        if (i >= format.height)
            break;
        const int y = picture_row(format, static_cast<int>(i));
        const uint8_t* row = data + static_cast<size_t>(k) * format.stride;
        ++written;
        if (y >= surface.height)
            continue;
        uint32_t* out = surface.pixel(0, y);
        for (int x = 0; x < width; ++x) {
            int index = -1;
            const uint32_t colour = dib_pixel(format, row, x, index);
            if (palette == nullptr)
                out[x] = colour;
            else if (same_table)
                out[x] = index != 0 ? 0x00FFFFFFu : 0u;
            else
                out[x] = nearest_index(palette, colour) != 0 ? 0x00FFFFFFu : 0u;
        }
    }
    bitmap->pixels_to_packed();
    return written;
}

PLATFORM_API int GetDIBits(HDC /*dc*/, HBITMAP handle, UINT start, UINT lines, void* bits,
                           BITMAPINFO* info, UINT usage) noexcept
{
    Bitmap* bitmap = object_of_kind<Bitmap>(handle);
    if (bitmap == nullptr)
        return 0;
    if (info == nullptr || usage != DIB_RGB_COLORS || bitmap->pixels() == nullptr) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return 0;
    }
    BITMAPINFOHEADER& header = info->bmiHeader;
    if (bits == nullptr) {
        header.biWidth = bitmap->width();
        header.biHeight = bitmap->height();
        header.biPlanes = 1;
        header.biBitCount = 32;
        header.biCompression = BI_RGB;
        header.biSizeImage = static_cast<DWORD>(bitmap->width() * 4 * bitmap->height());
        return bitmap->height();
    }
    const int depth = header.biBitCount;
    if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biWidth <= 0 || header.biHeight == 0 ||
        (depth != 1 && depth != 24 && depth != 32) || header.biCompression != BI_RGB) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const bool top_down = header.biHeight < 0;
    const int64_t rows = top_down ? -int64_t{header.biHeight} : header.biHeight;
    const size_t stride = static_cast<size_t>((int64_t{header.biWidth} * depth + 31) / 32 * 4);
    const Surface surface = bitmap->surface();
    const uint32_t* palette = bitmap->is_mono() ? bitmap->palette() : nullptr;
    uint32_t table[2] = {0, 0x00FFFFFFu};
    if (depth == 1) {
        if (palette != nullptr) {
            table[0] = palette[0];
            table[1] = palette[1];
        }
        auto* colours =
            reinterpret_cast<RGBQUAD*>(reinterpret_cast<uint8_t*>(info) + header.biSize);
        for (int i = 0; i < 2; ++i)
            colours[i] = RGBQUAD{static_cast<BYTE>(table[i]), static_cast<BYTE>(table[i] >> 8),
                                 static_cast<BYTE>(table[i] >> 16), 0};
    }
    const int width = std::min<int>(header.biWidth, surface.width);
    auto* data = static_cast<uint8_t*>(bits);
    int read = 0;
    for (UINT k = 0; k < lines; ++k) {
        const int64_t i = int64_t{start} + k;
        if (i >= rows)
            break;
        const int64_t y = top_down ? i : rows - 1 - i;
        uint8_t* row = data + static_cast<size_t>(k) * stride;
        ++read;
        if (y >= surface.height)
            continue;
        const uint32_t* in = surface.pixel(0, static_cast<int>(y));
        if (depth == 1)
            std::memset(row, 0, stride);
        for (int x = 0; x < width; ++x) {
            const uint32_t stored = in[x] & 0x00FFFFFFu;
            const uint32_t colour = palette != nullptr ? palette[stored != 0 ? 1 : 0] : stored;
            if (depth == 32) {
                std::memcpy(row + 4 * x, &colour, 4);
            } else if (depth == 24) {
                row[3 * x] = static_cast<uint8_t>(colour);
                row[3 * x + 1] = static_cast<uint8_t>(colour >> 8);
                row[3 * x + 2] = static_cast<uint8_t>(colour >> 16);
            } else {
                const bool set =
                    palette != nullptr ? stored != 0 : nearest_index(table, colour) != 0;
                if (set)
                    row[x / 8] = static_cast<uint8_t>(row[x / 8] | (0x80u >> (x % 8)));
            }
        }
    }
    return read;
}

PLATFORM_API int StretchDIBits(HDC dc, int x, int y, int width, int height, int source_x,
                               int source_y, int source_width, int source_height, const void* bits,
                               const BITMAPINFO* info, UINT usage, DWORD rop) noexcept
{
    DeviceContext* destination = object_of_kind<DeviceContext>(dc);
    if (destination == nullptr)
        return 0;
    destination->record("StretchDIBits(%d, %d, %d, %d, %d, %d, %d, %d, 0x%08X)", x, y, width,
                        height, source_x, source_y, source_width, source_height, rop);
    DibFormat format;
    if (bits == nullptr || usage != DIB_RGB_COLORS || !dib_format(info, format) ||
        !destination->to_device(x, y)) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (width == 0 || height == 0 || source_width == 0 || source_height == 0)
        return 0;
    const int64_t left = source_width > 0 ? source_x : int64_t{source_x} + source_width + 1;
    const int64_t top = source_height > 0 ? source_y : int64_t{source_y} + source_height + 1;
    const int64_t span_x = std::llabs(int64_t{source_width});
    const int64_t span_y = std::llabs(int64_t{source_height});
    if (span_x > kMaxSurfaceSide || span_y > kMaxSurfaceSide) {
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return 0;
    }
    try {
        const Surface& to = destination->surface();
        BlitSource source;
        source.width = static_cast<int>(span_x);
        source.height = static_cast<int>(span_y);
        source.pixels.assign(static_cast<size_t>(span_x * span_y), 0);
        source.present.assign(static_cast<size_t>(span_x * span_y), 0);
        const auto* data = static_cast<const uint8_t*>(bits);
        for (int64_t r = 0; r < span_y; ++r) {
            // Source rows count from the first row in memory.
            const int64_t i = top + r;
            if (i < 0 || i >= format.height)
                continue;
            const uint8_t* row = data + static_cast<size_t>(i) * format.stride;
            for (int64_t c = 0; c < span_x; ++c) {
                const int64_t column = left + c;
                if (column < 0 || column >= format.width)
                    continue;
                int index = -1;
                const uint32_t colour = dib_pixel(format, row, static_cast<int>(column), index);
                const size_t k = static_cast<size_t>(r * span_x + c);
                source.pixels[k] = to.device_pixel(colour_of(colour));
                source.present[k] = 1;
            }
        }
        blit(*destination, x, y, width, height, &source, source_width, source_height, rop);
    } catch (const std::bad_alloc&) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    return static_cast<int>(span_y);
}

PLATFORM_API UINT SetDIBColorTable(HDC dc, UINT first, UINT count, const RGBQUAD* colours) noexcept
{
    const DeviceContext* context = object_of_kind<DeviceContext>(dc);
    if (context == nullptr || colours == nullptr)
        return 0;
    Bitmap* bitmap = context->bitmap();
    if (bitmap == nullptr || !bitmap->is_mono())
        return 0;
    UINT set = 0;
    for (UINT i = first; i < 2 && i < first + count; ++i, ++set)
        bitmap->set_palette(static_cast<int>(i), quad_colour(colours[i - first]));
    return set;
}

PLATFORM_API BOOL GdiFlush(void) noexcept
{
    flush_packed_sections();
    return TRUE;
}
}
