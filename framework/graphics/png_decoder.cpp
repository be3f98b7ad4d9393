// PNG files: chunks, zlib inflate, the five row filters, Adam7 and the colour types.

#include "graphics/image_decoders.h"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace fw::graphics {
namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// Deflate never expands less than this: no stream of n bytes inflates to more than
// about 1032 n bytes, so a header that asks for more than its image data can hold is
// refused before anything is allocated.
constexpr uint64_t kMaxInflateRatio = 1032;

uint32_t be32(const uint8_t* p)
{
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

struct Header {
    uint32_t width = 0;
    uint32_t height = 0;
    int depth = 0;
    int colour_type = 0;
    bool interlaced = false;

    int channels() const
    {
        switch (colour_type) {
        case 2:
            return 3;
        case 4:
            return 2;
        case 6:
            return 4;
        default:
            return 1;
        }
    }
    int bits_per_pixel() const { return channels() * depth; }
    // Bytes per complete pixel for the filters (at least 1).
    int filter_step() const { return std::max(1, bits_per_pixel() / 8); }
    uint64_t row_bytes(uint64_t pixels) const
    {
        return (pixels * static_cast<uint64_t>(bits_per_pixel()) + 7) / 8;
    }
};

bool valid_depth(int colour_type, int depth)
{
    switch (colour_type) {
    case 0:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2:
    case 4:
    case 6:
        return depth == 8 || depth == 16;
    default:
        return false;
    }
}

struct Pass {
    int x0, y0, dx, dy;
};
constexpr Pass kAdam7[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                            {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
constexpr Pass kWhole = {0, 0, 1, 1};

uint64_t pass_size(uint32_t size, int start, int step)
{
    return size > static_cast<uint32_t>(start) ? (uint64_t{size} - start + step - 1) / step : 0;
}

struct Span {
    const uint8_t* data;
    uint32_t size;
};

bool inflate_all(const std::vector<Span>& spans, uint8_t* out, uint64_t out_size)
{
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        return false;
    uint64_t produced = 0;
    bool ended = false;
    bool failed = false;
    for (const Span& span : spans) {
        stream.next_in = const_cast<Bytef*>(span.data);
        stream.avail_in = span.size;
        while (stream.avail_in > 0 && !ended && produced < out_size) {
            const uint64_t room = std::min<uint64_t>(out_size - produced, 1u << 30);
            stream.next_out = out + produced;
            stream.avail_out = static_cast<uInt>(room);
            const int result = inflate(&stream, Z_NO_FLUSH);
            produced += room - stream.avail_out;
            if (result == Z_STREAM_END) {
                ended = true;
            } else if (result != Z_OK) {
                failed = true;
                break;
            }
        }
        if (failed || ended || produced >= out_size)
            break;
    }
    inflateEnd(&stream);
    return !failed && produced == out_size;
}

int paeth(int a, int b, int c)
{
    const int p = a + b - c;
    const int pa = std::abs(p - a);
    const int pb = std::abs(p - b);
    const int pc = std::abs(p - c);
    if (pa <= pb && pa <= pc)
        return a;
    return pb <= pc ? b : c;
}

// Undoes the filters of one pass in place; false for an unknown filter type.
bool unfilter(uint8_t* rows, uint64_t height, uint64_t row_bytes, int step)
{
    const uint8_t* previous = nullptr;
    for (uint64_t y = 0; y < height; ++y) {
        uint8_t* line = rows + y * (row_bytes + 1);
        const uint8_t filter = line[0];
        uint8_t* cur = line + 1;
        for (uint64_t i = 0; i < row_bytes; ++i) {
            const int a = i >= static_cast<uint64_t>(step) ? cur[i - step] : 0;
            const int b = previous != nullptr ? previous[i] : 0;
            const int c =
                previous != nullptr && i >= static_cast<uint64_t>(step) ? previous[i - step] : 0;
            int add = 0;
            switch (filter) {
            case 0:
                break;
            case 1:
                add = a;
                break;
            case 2:
                add = b;
                break;
            case 3:
                add = (a + b) / 2;
                break;
            case 4:
                add = paeth(a, b, c);
                break;
            default:
                return false;
            }
            cur[i] = static_cast<uint8_t>(cur[i] + add);
        }
        previous = cur;
    }
    return true;
}

struct Transparency {
    bool present = false;
    uint8_t palette_alpha[256];
    uint32_t key[3] = {0, 0, 0}; // grey in key[0], or red, green, blue
};

// Sample `index` (in units of the depth) of a row.
uint32_t sample(const uint8_t* row, uint64_t index, int depth)
{
    switch (depth) {
    case 16:
        return uint32_t{row[2 * index]} << 8 | row[2 * index + 1];
    case 8:
        return row[index];
    default: {
        const uint64_t bit = index * static_cast<uint64_t>(depth);
        const int shift = 8 - depth - static_cast<int>(bit % 8);
        return (row[bit / 8] >> shift) & ((1u << depth) - 1);
    }
    }
}

uint8_t to_byte(uint32_t value, int depth)
{
    switch (depth) {
    case 16:
        return static_cast<uint8_t>(value >> 8);
    case 8:
        return static_cast<uint8_t>(value);
    default:
        return static_cast<uint8_t>(value * 255 / ((1u << depth) - 1));
    }
}

}

bool DecodePng(const uint8_t* data, size_t size, DecodedImage& image)
{
    if (data == nullptr || size < sizeof kSignature ||
        std::memcmp(data, kSignature, sizeof kSignature) != 0)
        return false;
    Header header;
    bool have_header = false;
    bool have_end = false;
    uint32_t palette[256] = {};
    uint32_t palette_size = 0;
    Transparency transparency;
    std::fill(std::begin(transparency.palette_alpha), std::end(transparency.palette_alpha),
              uint8_t{255});
    std::vector<Span> image_data;
    uint64_t image_data_size = 0;
    size_t at = sizeof kSignature;
    try {
        while (!have_end) {
            if (size - at < 12)
                return false;
            const uint32_t length = be32(data + at);
            if (length > 0x7FFFFFFFu || size - at - 12 < length)
                return false;
            const uint8_t* type = data + at + 4;
            const uint8_t* body = type + 4;
            const uint32_t crc =
                static_cast<uint32_t>(crc32(crc32(0L, nullptr, 0), type, length + 4));
#ifndef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
            if (crc != be32(body + length))
                return false;
#else
            static_cast<void>(crc);
#endif
            at += 12 + size_t{length};
            const auto is = [&](const char* name) { return std::memcmp(type, name, 4) == 0; };
            if (!have_header) {
                if (!is("IHDR") || length != 13)
                    return false;
                header.width = be32(body);
                header.height = be32(body + 4);
                header.depth = body[8];
                header.colour_type = body[9];
                if (body[10] != 0 || body[11] != 0 || body[12] > 1)
                    return false;
                header.interlaced = body[12] == 1;
                if (!valid_depth(header.colour_type, header.depth) ||
                    !is_acceptable_size(header.width, header.height))
                    return false;
                have_header = true;
            } else if (is("PLTE")) {
                if (length % 3 != 0 || length == 0 || length / 3 > 256)
                    return false;
                palette_size = length / 3;
                for (uint32_t i = 0; i < palette_size; ++i)
                    palette[i] = uint32_t{body[3 * i]} << 16 | uint32_t{body[3 * i + 1]} << 8 |
                                 body[3 * i + 2];
            } else if (is("tRNS")) {
                if (header.colour_type == 3) {
                    if (length > 256)
                        return false;
                    std::memcpy(transparency.palette_alpha, body, length);
                } else if (header.colour_type == 0 && length == 2) {
                    transparency.key[0] = uint32_t{body[0]} << 8 | body[1];
                } else if (header.colour_type == 2 && length == 6) {
                    for (int i = 0; i < 3; ++i)
                        transparency.key[i] = uint32_t{body[2 * i]} << 8 | body[2 * i + 1];
                } else {
                    return false;
                }
                transparency.present = true;
            } else if (is("IDAT")) {
                image_data.push_back(Span{body, length});
                image_data_size += length;
            } else if (is("IEND")) {
                have_end = true;
            } else if ((type[0] & 0x20) == 0) {
                // An unknown chunk that the picture cannot do without.
                return false;
            }
        }
        if (image_data_size == 0 || (header.colour_type == 3 && palette_size == 0))
            return false;

        const Pass* passes = header.interlaced ? kAdam7 : &kWhole;
        const int pass_count = header.interlaced ? 7 : 1;
        uint64_t raw_size = 0;
        for (int p = 0; p < pass_count; ++p) {
            const uint64_t w = pass_size(header.width, passes[p].x0, passes[p].dx);
            const uint64_t h = pass_size(header.height, passes[p].y0, passes[p].dy);
            if (w > 0 && h > 0)
                raw_size += h * (header.row_bytes(w) + 1);
        }
        if (raw_size > image_data_size * kMaxInflateRatio + 1024)
            return false;
        std::vector<uint8_t> raw(raw_size);
        if (!inflate_all(image_data, raw.data(), raw_size))
            return false;

        const uint64_t pixel_count = uint64_t{header.width} * header.height;
        image.width = static_cast<int>(header.width);
        image.height = static_cast<int>(header.height);
        image.bits_per_pixel = 32;
        image.pixels.assign(pixel_count, 0);
        const bool with_alpha =
            header.colour_type == 4 || header.colour_type == 6 || transparency.present;
        image.alpha.assign(with_alpha ? pixel_count : 0, 255);

        uint8_t* rows = raw.data();
        const int depth = header.depth;
        for (int p = 0; p < pass_count; ++p) {
            const uint64_t w = pass_size(header.width, passes[p].x0, passes[p].dx);
            const uint64_t h = pass_size(header.height, passes[p].y0, passes[p].dy);
            if (w == 0 || h == 0)
                continue;
            const uint64_t row_bytes = header.row_bytes(w);
            if (!unfilter(rows, h, row_bytes, header.filter_step()))
                return false;
            for (uint64_t y = 0; y < h; ++y) {
                const uint8_t* row = rows + y * (row_bytes + 1) + 1;
                const uint64_t target_y = static_cast<uint64_t>(passes[p].y0) + y * passes[p].dy;
                for (uint64_t x = 0; x < w; ++x) {
                    const uint64_t target =
                        target_y * header.width + passes[p].x0 + x * passes[p].dx;
                    uint32_t red = 0;
                    uint32_t green = 0;
                    uint32_t blue = 0;
                    uint32_t alpha = 255;
                    switch (header.colour_type) {
                    case 0: {
                        const uint32_t grey = sample(row, x, depth);
                        red = green = blue = to_byte(grey, depth);
                        if (transparency.present && grey == transparency.key[0])
                            alpha = 0;
                        break;
                    }
                    case 2: {
                        const uint32_t r = sample(row, 3 * x, depth);
                        const uint32_t g = sample(row, 3 * x + 1, depth);
                        const uint32_t b = sample(row, 3 * x + 2, depth);
                        red = to_byte(r, depth);
                        green = to_byte(g, depth);
                        blue = to_byte(b, depth);
                        if (transparency.present && r == transparency.key[0] &&
                            g == transparency.key[1] && b == transparency.key[2])
                            alpha = 0;
                        break;
                    }
                    case 3: {
                        const uint32_t index = sample(row, x, depth);
                        const uint32_t colour = index < palette_size ? palette[index] : 0;
                        red = colour >> 16;
                        green = (colour >> 8) & 0xFF;
                        blue = colour & 0xFF;
                        alpha = transparency.palette_alpha[index];
                        break;
                    }
                    case 4:
                        red = green = blue = to_byte(sample(row, 2 * x, depth), depth);
                        alpha = to_byte(sample(row, 2 * x + 1, depth), depth);
                        break;
                    default:
                        red = to_byte(sample(row, 4 * x, depth), depth);
                        green = to_byte(sample(row, 4 * x + 1, depth), depth);
                        blue = to_byte(sample(row, 4 * x + 2, depth), depth);
                        alpha = to_byte(sample(row, 4 * x + 3, depth), depth);
                        break;
                    }
                    image.pixels[target] = red << 16 | green << 8 | blue;
                    if (with_alpha)
                        image.alpha[target] = static_cast<uint8_t>(alpha);
                }
            }
            rows += h * (row_bytes + 1);
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

}
