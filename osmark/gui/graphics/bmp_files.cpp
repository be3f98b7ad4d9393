// BMP files: reading (12- and 40-byte headers, 1 to 32 bits per pixel, colour tables,
// bit fields, either row order) and writing (40-byte header, 1 or 32 bits), and bitmap
// resources.

#include "graphics_internal.h"

#include "osmark/errors.h"
#include "osmark/files.h"
#include "platform/user_caret.h"

#include <algorithm>
#include <cstring>

namespace {

using namespace osmark::graphics;

constexpr uint32_t kFileHeaderSize = 14;
// The largest picture read: 16384 x 16384 pixels, each side at most 65536.
constexpr int64_t kMaxSide = 65536;
constexpr int64_t kMaxPixels = int64_t{1} << 28;

uint32_t u32(const uint8_t* p)
{
    return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

uint16_t u16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

void put32(uint8_t* p, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(value >> (8 * i));
}

// The header as the conversion takes it, with room for a full table or three masks.
struct DibInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
};

bool read_exactly(FileHandle* file, void* buffer, uint32_t size)
{
    return size == 0 || FRead(file, buffer, size, 1) == 1;
}

struct Buffer {
    void* data = nullptr;
    ~Buffer() { FreeVec(data); }
};

BitMap* convert(const DibInfo& info, int32_t width, int32_t height, const void* pixels,
                bool one_bit)
{
    HDC dc = CreateCompatibleDC(nullptr);
    if (dc == nullptr)
        return nullptr;
    DibHeader section_info{};
    section_info.header.biSize = sizeof(BITMAPINFOHEADER);
    section_info.header.biWidth = width;
    section_info.header.biHeight = -height;
    section_info.header.biPlanes = 1;
    section_info.header.biBitCount = one_bit ? 1 : 32;
    section_info.header.biCompression = BI_RGB;
    const bool two_colours = info.header.biBitCount <= 8 && info.header.biClrUsed >= 2;
    section_info.colours[0] = two_colours ? info.colours[0] : RGBQUAD{0, 0, 0, 0};
    section_info.colours[1] = two_colours ? info.colours[1] : RGBQUAD{255, 255, 255, 0};
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(dc, reinterpret_cast<const BITMAPINFO*>(&section_info),
                                       DIB_RGB_COLORS, &bits, nullptr, 0);
    BitMap* result = nullptr;
    if (section != nullptr &&
        SetDIBits(dc, section, 0, static_cast<UINT>(height), pixels,
                  reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS) != 0) {
        GdiFlush();
        result = one_bit ? AllocBitMask(static_cast<uint32_t>(width), static_cast<uint32_t>(height),
                                        nullptr)
                         : AllocBitMap(width, height, nullptr);
        if (result != nullptr) {
            CopyDIBToBitMap(section, result);
            if (!one_bit) {
                auto* words = static_cast<uint32_t*>(result->bm_Pixels);
                const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
                for (size_t i = 0; i < count; ++i)
                    words[i] &= 0x00FFFFFFu;
            }
        }
    }
    if (section != nullptr)
        DeleteObject(section);
    DeleteDC(dc);
    return result;
}

}

extern "C" {

OSMARK_API BitMap* __LoadBitMapFromFile(FileHandle* file) noexcept
{
    if (file == nullptr)
        return nullptr;
    uint8_t file_header[kFileHeaderSize];
    if (!read_exactly(file, file_header, kFileHeaderSize) || file_header[0] != 'B' ||
        file_header[1] != 'M')
        return nullptr;
    const uint32_t data_offset = u32(file_header + 10);
    uint8_t header[40] = {};
    if (!read_exactly(file, header, 4))
        return nullptr;
    const uint32_t header_size = u32(header);
    DibInfo info{};
    uint64_t consumed = kFileHeaderSize;
    bool core = false;
    if (header_size == 12) {
        if (!read_exactly(file, header + 4, 8))
            return nullptr;
        info.header.biWidth = u16(header + 4);
        info.header.biHeight = u16(header + 6);
        info.header.biPlanes = u16(header + 8);
        info.header.biBitCount = u16(header + 10);
        core = true;
        consumed += 12;
    } else if (header_size == 40) {
        if (!read_exactly(file, header + 4, 36))
            return nullptr;
        info.header.biWidth = static_cast<int32_t>(u32(header + 4));
        info.header.biHeight = static_cast<int32_t>(u32(header + 8));
        info.header.biPlanes = u16(header + 12);
        info.header.biBitCount = u16(header + 14);
        info.header.biCompression = u32(header + 16);
        info.header.biClrUsed = u32(header + 32);
        consumed += 40;
    } else {
        return nullptr;
    }
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    const int bits = info.header.biBitCount;
    const uint32_t compression = info.header.biCompression;
    if (info.header.biPlanes != 1)
        return nullptr;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return nullptr;
    // Compressed rows are not read; bit fields only come with 16 and 32 bits.
    if (compression != BI_RGB && !(compression == BI_BITFIELDS && (bits == 16 || bits == 32)))
        return nullptr;
    const int64_t width = info.header.biWidth;
    const int64_t height =
        info.header.biHeight < 0 ? -int64_t{info.header.biHeight} : info.header.biHeight;
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide ||
        width * height > kMaxPixels)
        return nullptr;

    // The colour table: what the header counts (all of 1 to 8 bits by default), of which
    // at most 256 entries are kept; the rest is passed over up to the pixel data.
    uint64_t entries = info.header.biClrUsed;
    if (entries == 0 && bits <= 8)
        entries = uint64_t{1} << bits;
    const uint32_t kept = static_cast<uint32_t>(std::min<uint64_t>(entries, 256));
    if (compression == BI_BITFIELDS) {
        uint8_t masks[12];
        if (!read_exactly(file, masks, sizeof masks))
            return nullptr;
        std::memcpy(info.colours, masks, sizeof masks);
        consumed += sizeof masks;
    } else if (core) {
        for (uint32_t i = 0; i < kept; ++i) {
            uint8_t entry[3];
            if (!read_exactly(file, entry, 3))
                return nullptr;
            info.colours[i] = RGBQUAD{entry[0], entry[1], entry[2], 0};
        }
        consumed += uint64_t{kept} * 3;
    } else {
        uint8_t table[256 * 4];
        if (!read_exactly(file, table, kept * 4))
            return nullptr;
        for (uint32_t i = 0; i < kept; ++i)
            info.colours[i] = RGBQUAD{table[4 * i], table[4 * i + 1], table[4 * i + 2], 0};
        consumed += uint64_t{kept} * 4;
    }
    if (bits <= 8)
        info.header.biClrUsed = kept;
    else if (compression != BI_BITFIELDS)
        info.header.biClrUsed = 0;

    const uint64_t stride =
        (static_cast<uint64_t>(bits) * static_cast<uint64_t>(width) + 31) / 32 * 4;
    const uint64_t image_size = stride * static_cast<uint64_t>(height);
    if (image_size > 0x7FFFFFFFu || consumed > data_offset)
        return nullptr;
    while (consumed < data_offset) {
        uint8_t skipped = 0;
        if (Read(file, &skipped, 1) != 1)
            return nullptr;
        ++consumed;
    }
    Buffer image;
    image.data = AllocVec(static_cast<uint32_t>(image_size));
    if (image.data == nullptr || !read_exactly(file, image.data, static_cast<uint32_t>(image_size)))
        return nullptr;

    if (bits == 32 && compression == BI_RGB) {
        // 32-bit rows are the map's rows: taken whole, the fourth byte kept.
        BitMap* result =
            AllocBitMap(static_cast<int32_t>(width), static_cast<int32_t>(height), nullptr);
        if (result == nullptr)
            return nullptr;
        const bool top_down = info.header.biHeight < 0;
        for (int64_t row = 0; row < height; ++row) {
            const int64_t from = top_down ? row : height - 1 - row;
            std::memcpy(static_cast<uint8_t*>(result->bm_Pixels) + row * stride,
                        static_cast<const uint8_t*>(image.data) + from * stride,
                        static_cast<size_t>(stride));
        }
        return result;
    }
    return convert(info, static_cast<int32_t>(width), static_cast<int32_t>(height), image.data,
                   bits == 1);
}

OSMARK_API int32_t __SaveBitMapToFile(FileHandle* file, const BitMap* bitmap) noexcept
{
    if (file == nullptr || bitmap == nullptr || bitmap->bm_Pixels == nullptr)
        return 0;
    const bool mask = is_mask(bitmap);
    const uint32_t row_bytes = bitmap_row_bytes(bitmap);
    const uint32_t palette = mask ? 8 : 0;
    const uint32_t image_size = row_bytes * static_cast<uint32_t>(bitmap->bm_Height);
    uint8_t file_header[kFileHeaderSize] = {'B', 'M'};
    put32(file_header + 2, kFileHeaderSize + 40 + palette + image_size);
    put32(file_header + 10, kFileHeaderSize + 40 + palette);
    uint8_t header[40] = {};
    put32(header, 40);
    put32(header + 4, static_cast<uint32_t>(bitmap->bm_Width));
    put32(header + 8, static_cast<uint32_t>(bitmap->bm_Height));
    header[12] = 1;
    header[14] = mask ? 1 : 32;
    put32(header + 20, image_size);
    if (FWrite(file, file_header, sizeof file_header, 1) != 1 ||
        FWrite(file, header, sizeof header, 1) != 1)
        return 0;
    if (mask) {
        const uint8_t colours[8] = {0, 0, 0, 0, 255, 255, 255, 0};
        if (FWrite(file, colours, sizeof colours, 1) != 1)
            return 0;
    }
    for (int32_t y = bitmap->bm_Height - 1; y >= 0; --y) {
        const auto* row =
            static_cast<const uint8_t*>(bitmap->bm_Pixels) + static_cast<size_t>(y) * row_bytes;
        if (FWrite(file, row, row_bytes, 1) != 1)
            return 0;
    }
    return 1;
}

OSMARK_API BitMap* LoadBitMapFromFile(const char* name) noexcept
{
    FileHandle* file = Open(name, FileModeRead);
    if (file == nullptr)
        return nullptr;
    BitMap* bitmap = __LoadBitMapFromFile(file);
    Close(file);
    return bitmap;
}

OSMARK_API int32_t SaveBitMapToFile(const char* name, const BitMap* bitmap) noexcept
{
    FileHandle* file = Open(name, FileModeWrite);
    if (file == nullptr)
        return 0;
    const int32_t written = __SaveBitMapToFile(file, bitmap);
    Close(file);
    return written;
}

OSMARK_API BitMap* LoadBitMapResource(HINSTANCE module, uint32_t id) noexcept
{
    HBITMAP resource = LoadBitmapA(module, MAKEINTRESOURCEA(id));
    if (resource == nullptr)
        return nullptr;
    BITMAP record{};
    BitMap* bitmap = nullptr;
    if (GetObjectA(resource, sizeof record, &record) != 0) {
        bitmap = record.bmBitsPixel == 1
                     ? AllocBitMask(static_cast<uint32_t>(record.bmWidth),
                                    static_cast<uint32_t>(record.bmHeight), nullptr)
                     : AllocBitMap(record.bmWidth, record.bmHeight, nullptr);
        if (bitmap != nullptr)
            CopyDIBToBitMap(resource, bitmap);
    }
    DeleteObject(resource);
    return bitmap;
}
}
