// Windows bitmap files.

#include "graphics/image_decoders.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

namespace fw::graphics {
namespace {

constexpr uint32_t kRgb = 0;
constexpr uint32_t kBitFields = 3;
constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kInfoHeaderSize = 40;

uint32_t u16(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8;
}

uint32_t u32(const uint8_t* p)
{
    return u16(p) | u16(p + 2) << 16;
}

// One channel of a bit-field pixel, scaled to 0..255.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    uint64_t top = 0; // the largest value the mask holds

    explicit Channel(uint32_t m) : mask(m)
    {
        if (mask == 0)
            return;
        shift = std::countr_zero(mask);
        top = uint64_t{mask} >> shift;
    }
    uint32_t value(uint32_t pixel) const
    {
        if (top == 0)
            return 0;
        return static_cast<uint32_t>(((uint64_t{pixel & mask} >> shift) * 255 + top / 2) / top);
    }
};

}

bool DecodeBmp(const uint8_t* data, size_t size, DecodedImage& image)
{
    if (data == nullptr || size < kFileHeaderSize + kCoreHeaderSize || data[0] != 'B' ||
        data[1] != 'M')
        return false;
    const uint32_t pixel_offset = u32(data + 10);
    const uint32_t header_size = u32(data + 14);
    if (header_size > size - kFileHeaderSize)
        return false;
    const uint8_t* header = data + kFileHeaderSize;
    int64_t width = 0;
    int64_t height = 0;
    uint32_t bits = 0;
    uint32_t compression = kRgb;
    uint32_t colours_used = 0;
    size_t palette_entry = 4;
    size_t palette_at = kFileHeaderSize + header_size;
    uint32_t masks[3] = {0, 0, 0};
    if (header_size == kCoreHeaderSize) {
        width = u16(header + 4);
        height = u16(header + 6);
        bits = u16(header + 10);
        palette_entry = 3;
    } else if (header_size >= kInfoHeaderSize) {
        width = static_cast<int32_t>(u32(header + 4));
        height = static_cast<int32_t>(u32(header + 8));
        bits = u16(header + 14);
        compression = u32(header + 16);
        colours_used = u32(header + 32);
        if (compression == kBitFields) {
            // The masks follow a plain info header; later headers hold them.
            size_t masks_at = kFileHeaderSize + kInfoHeaderSize;
            if (header_size == kInfoHeaderSize)
                palette_at += 12;
            if (masks_at + 12 > size)
                return false;
            for (int i = 0; i < 3; ++i)
                masks[i] = u32(data + masks_at + 4 * i);
        }
    } else {
        return false;
    }
    const bool top_down = height < 0;
    height = std::abs(height);
    if (!is_acceptable_size(width, height))
        return false;
    const bool palette_bits = bits == 1 || bits == 4 || bits == 8;
    if (compression == kRgb) {
        if (!palette_bits && bits != 16 && bits != 24 && bits != 32)
            return false;
        if (bits == 16) {
            masks[0] = 0x7C00;
            masks[1] = 0x03E0;
            masks[2] = 0x001F;
        } else if (bits == 32) {
            masks[0] = 0x00FF0000;
            masks[1] = 0x0000FF00;
            masks[2] = 0x000000FF;
        }
    } else if (compression != kBitFields || (bits != 16 && bits != 32)) {
        return false;
    }

    // The palette: as many entries as the header says, at most what the bit count can
    // index; indices past it are black.
    uint32_t palette[256] = {};
    if (palette_bits) {
        const uint32_t possible = uint32_t{1} << bits;
        uint32_t count = colours_used == 0 ? possible : std::min(colours_used, possible);
        // Some writers store fewer entries than they announce: the palette cannot run
        // into the pixels.
        if (pixel_offset >= palette_at)
            count = static_cast<uint32_t>(
                std::min<size_t>(count, (pixel_offset - palette_at) / palette_entry));
        if (palette_at > size || (size - palette_at) / palette_entry < count)
            return false;
        for (uint32_t i = 0; i < count; ++i) {
            const uint8_t* entry = data + palette_at + i * palette_entry;
            palette[i] = uint32_t{entry[2]} << 16 | uint32_t{entry[1]} << 8 | entry[0];
        }
    }

    const int64_t stride = (width * bits + 31) / 32 * 4;
    if (pixel_offset > size ||
        static_cast<uint64_t>(size - pixel_offset) / static_cast<uint64_t>(stride) <
            static_cast<uint64_t>(height))
        return false;
    try {
        image.pixels.assign(static_cast<size_t>(width * height), 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    image.alpha.clear();
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    image.bits_per_pixel = static_cast<int>(bits);
    const Channel red(masks[0]);
    const Channel green(masks[1]);
    const Channel blue(masks[2]);
    for (int64_t row = 0; row < height; ++row) {
        const uint8_t* in = data + pixel_offset + static_cast<size_t>(row * stride);
        const int64_t target_row = top_down ? row : height - 1 - row;
        uint32_t* out = image.pixels.data() + static_cast<size_t>(target_row * width);
        for (int64_t x = 0; x < width; ++x) {
            uint32_t pixel = 0;
            switch (bits) {
            case 1:
                pixel = palette[(in[x / 8] >> (7 - x % 8)) & 1];
                break;
            case 4:
                pixel = palette[(in[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 0xF];
                break;
            case 8:
                pixel = palette[in[x]];
                break;
            case 24:
                pixel = uint32_t{in[3 * x + 2]} << 16 | uint32_t{in[3 * x + 1]} << 8 | in[3 * x];
                break;
            case 16: {
                const uint32_t value = u16(in + 2 * x);
                pixel = red.value(value) << 16 | green.value(value) << 8 | blue.value(value);
                break;
            }
            default: {
                const uint32_t value = u32(in + 4 * x);
                pixel = red.value(value) << 16 | green.value(value) << 8 | blue.value(value);
                break;
            }
            }
            out[x] = pixel;
        }
    }
    return true;
}

}
