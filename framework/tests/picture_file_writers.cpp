// Picture files for tests.

#include "picture_file_writers.h"

#include <zlib.h>

#include <cstdio>
#include <jpeglib.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <stdexcept>

namespace picture_files {
namespace {

void put16(std::string& out, uint32_t value)
{
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void put32(std::string& out, uint32_t value)
{
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

void put_be32(std::string& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

}

Picture gradient(int width, int height)
{
    Picture picture{width, height, {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.pixels.push_back(static_cast<uint32_t>(
                (x * 255 / std::max(width - 1, 1)) << 16 |
                (y * 255 / std::max(height - 1, 1)) << 8 | ((x + y) * 37 & 0xFF)));
    return picture;
}

std::string bmp_file(const Picture& picture, const BmpOptions& options)
{
    // The palette: the picture's colours in order of appearance.
    std::vector<uint32_t> palette;
    std::map<uint32_t, uint32_t> index_of;
    if (options.bits <= 8) {
        for (const uint32_t pixel : picture.pixels) {
            if (index_of.emplace(pixel, static_cast<uint32_t>(palette.size())).second)
                palette.push_back(pixel);
        }
        if (palette.size() > (1u << options.bits))
            throw std::invalid_argument("too many colours for the bit count");
    }
    const uint32_t header_size = options.core_header ? 12 : 40;
    const uint32_t masks_size = options.bit_fields ? 12 : 0;
    const uint32_t entry = options.core_header ? 3 : 4;
    const uint32_t palette_size = static_cast<uint32_t>(palette.size()) * entry;
    const uint32_t stride = (static_cast<uint32_t>(picture.width) * options.bits + 31) / 32 * 4;
    const uint32_t offset = 14 + header_size + masks_size + palette_size;
    std::string out = "BM";
    put32(out, offset + stride * picture.height);
    put32(out, 0);
    put32(out, offset);
    put32(out, header_size);
    if (options.core_header) {
        put16(out, picture.width);
        put16(out, picture.height);
        put16(out, 1);
        put16(out, options.bits);
    } else {
        put32(out, picture.width);
        put32(out, static_cast<uint32_t>(options.top_down ? -picture.height : picture.height));
        put16(out, 1);
        put16(out, options.bits);
        put32(out, options.bit_fields ? 3 : 0);
        put32(out, stride * picture.height);
        put32(out, 2835);
        put32(out, 2835);
        put32(out, options.colours_used != 0 ? options.colours_used
                                             : static_cast<uint32_t>(palette.size()));
        put32(out, 0);
    }
    if (options.bit_fields) {
        if (options.bits == 16) {
            put32(out, 0xF800);
            put32(out, 0x07E0);
            put32(out, 0x001F);
        } else {
            put32(out, 0x00FF0000);
            put32(out, 0x0000FF00);
            put32(out, 0x000000FF);
        }
    }
    for (const uint32_t colour : palette) {
        out.push_back(static_cast<char>(colour & 0xFF));
        out.push_back(static_cast<char>((colour >> 8) & 0xFF));
        out.push_back(static_cast<char>((colour >> 16) & 0xFF));
        if (!options.core_header)
            out.push_back(0);
    }
    for (int i = 0; i < picture.height; ++i) {
        const int y = options.top_down ? i : picture.height - 1 - i;
        std::string row(stride, '\0');
        for (int x = 0; x < picture.width; ++x) {
            const uint32_t pixel = picture.at(x, y);
            switch (options.bits) {
            case 1:
                row[x / 8] = static_cast<char>(row[x / 8] | index_of[pixel] << (7 - x % 8));
                break;
            case 4:
                row[x / 2] =
                    static_cast<char>(row[x / 2] | index_of[pixel] << (x % 2 == 0 ? 4 : 0));
                break;
            case 8:
                row[x] = static_cast<char>(index_of[pixel]);
                break;
            case 16: {
                const uint32_t r = (pixel >> 16) & 0xFF;
                const uint32_t g = (pixel >> 8) & 0xFF;
                const uint32_t b = pixel & 0xFF;
                const uint32_t value = options.bit_fields ? (r >> 3) << 11 | (g >> 2) << 5 | b >> 3
                                                          : (r >> 3) << 10 | (g >> 3) << 5 | b >> 3;
                row[2 * x] = static_cast<char>(value & 0xFF);
                row[2 * x + 1] = static_cast<char>(value >> 8);
                break;
            }
            case 24:
                row[3 * x] = static_cast<char>(pixel & 0xFF);
                row[3 * x + 1] = static_cast<char>((pixel >> 8) & 0xFF);
                row[3 * x + 2] = static_cast<char>((pixel >> 16) & 0xFF);
                break;
            default:
                for (int k = 0; k < 4; ++k)
                    row[4 * x + k] = static_cast<char>(k == 3 ? 0 : (pixel >> (8 * k)) & 0xFF);
                break;
            }
        }
        out += row;
    }
    return out;
}

std::string png_chunk(const char* type, const std::string& body)
{
    std::string out;
    put_be32(out, static_cast<uint32_t>(body.size()));
    std::string typed = std::string(type, 4) + body;
    out += typed;
    put_be32(out, static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(typed.data()),
                                              static_cast<uInt>(typed.size()))));
    return out;
}

namespace {

int channels_of(int colour_type)
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

// The samples of one pixel at the picture's depth.
std::vector<uint32_t> samples_of(const Picture& picture, const PngOptions& options, int x, int y)
{
    const size_t index = static_cast<size_t>(y) * picture.width + x;
    const uint32_t pixel = picture.pixels[index];
    const auto scale = [&](uint32_t byte) { return options.depth == 16 ? byte * 257 : byte; };
    switch (options.colour_type) {
    case 0:
    case 3:
        return {options.samples[index]};
    case 2:
        return {scale(pixel >> 16), scale((pixel >> 8) & 0xFF), scale(pixel & 0xFF)};
    case 4:
        return {scale(pixel & 0xFF), scale(options.alpha[index])};
    default:
        return {scale(pixel >> 16), scale((pixel >> 8) & 0xFF), scale(pixel & 0xFF),
                scale(options.alpha[index])};
    }
}

std::string packed_row(const Picture& picture, const PngOptions& options, int y, int x0, int dx)
{
    const int channels = channels_of(options.colour_type);
    const int width = picture.width > x0 ? (picture.width - x0 + dx - 1) / dx : 0;
    const size_t bytes = (static_cast<size_t>(width) * channels * options.depth + 7) / 8;
    std::string row(bytes, '\0');
    size_t bit = 0;
    for (int i = 0; i < width; ++i) {
        for (const uint32_t sample : samples_of(picture, options, x0 + i * dx, y)) {
            if (options.depth == 16) {
                row[bit / 8] = static_cast<char>(sample >> 8);
                row[bit / 8 + 1] = static_cast<char>(sample & 0xFF);
            } else if (options.depth == 8) {
                row[bit / 8] = static_cast<char>(sample);
            } else {
                const int shift = 8 - options.depth - static_cast<int>(bit % 8);
                row[bit / 8] = static_cast<char>(row[bit / 8] | sample << shift);
            }
            bit += static_cast<size_t>(options.depth);
        }
    }
    return row;
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

std::string filtered(const std::string& row, const std::string& previous, int filter, int step)
{
    std::string out(1, static_cast<char>(filter));
    for (size_t i = 0; i < row.size(); ++i) {
        const int x = static_cast<uint8_t>(row[i]);
        const int a = i >= static_cast<size_t>(step) ? static_cast<uint8_t>(row[i - step]) : 0;
        const int b = previous.empty() ? 0 : static_cast<uint8_t>(previous[i]);
        const int c = previous.empty() || i < static_cast<size_t>(step)
                          ? 0
                          : static_cast<uint8_t>(previous[i - step]);
        const int predictions[5] = {0, a, b, (a + b) / 2, paeth(a, b, c)};
        out.push_back(static_cast<char>(x - predictions[filter]));
    }
    return out;
}

}

std::string png_file(const Picture& picture, const PngOptions& options)
{
    std::string raw;
    const int step = std::max(1, channels_of(options.colour_type) * options.depth / 8);
    struct Pass {
        int x0, y0, dx, dy;
    };
    const std::vector<Pass> passes =
        options.interlaced
            ? std::vector<Pass>{{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}}
            : std::vector<Pass>{{0, 0, 1, 1}};
    int row_number = 0;
    for (const Pass& pass : passes) {
        if (picture.width <= pass.x0)
            continue;
        std::string previous;
        for (int y = pass.y0; y < picture.height; y += pass.dy) {
            const std::string row = packed_row(picture, options, y, pass.x0, pass.dx);
            raw += filtered(row, previous, options.vary_filters ? row_number % 5 : 0, step);
            previous = row;
            ++row_number;
        }
    }
    uLongf packed_size = compressBound(static_cast<uLong>(raw.size()));
    std::string packed(packed_size, '\0');
    compress2(reinterpret_cast<Bytef*>(packed.data()), &packed_size,
              reinterpret_cast<const Bytef*>(raw.data()), static_cast<uLong>(raw.size()), 9);
    packed.resize(packed_size);

    std::string header;
    put_be32(header, static_cast<uint32_t>(picture.width));
    put_be32(header, static_cast<uint32_t>(picture.height));
    header.push_back(static_cast<char>(options.depth));
    header.push_back(static_cast<char>(options.colour_type));
    header.push_back(0);
    header.push_back(0);
    header.push_back(options.interlaced ? 1 : 0);
    std::string out = "\x89PNG\r\n\x1A\n";
    out += png_chunk("IHDR", header);
    out += png_chunk("tEXt", std::string("Software\0test", 13));
    if (!options.palette.empty()) {
        std::string body;
        for (const uint32_t colour : options.palette) {
            body.push_back(static_cast<char>(colour >> 16));
            body.push_back(static_cast<char>((colour >> 8) & 0xFF));
            body.push_back(static_cast<char>(colour & 0xFF));
        }
        out += png_chunk("PLTE", body);
    }
    if (!options.palette_alpha.empty())
        out += png_chunk("tRNS",
                         std::string(options.palette_alpha.begin(), options.palette_alpha.end()));
    // Image data split over two chunks, as writers with small buffers do.
    const size_t half = packed.size() / 2;
    out += png_chunk("IDAT", packed.substr(0, half));
    out += png_chunk("IDAT", packed.substr(half));
    out += png_chunk("IEND", "");
    return out;
}

std::string jpeg_file(const Picture& picture, int quality, bool grey, bool progressive)
{
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(picture.width);
    info.image_height = static_cast<JDIMENSION>(picture.height);
    info.input_components = grey ? 1 : 3;
    info.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    if (progressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(static_cast<size_t>(picture.width) * 3);
    while (info.next_scanline < info.image_height) {
        const int y = static_cast<int>(info.next_scanline);
        for (int x = 0; x < picture.width; ++x) {
            const uint32_t pixel = picture.at(x, y);
            if (grey) {
                row[x] = static_cast<unsigned char>(pixel & 0xFF);
            } else {
                row[3 * x] = static_cast<unsigned char>(pixel >> 16);
                row[3 * x + 1] = static_cast<unsigned char>((pixel >> 8) & 0xFF);
                row[3 * x + 2] = static_cast<unsigned char>(pixel & 0xFF);
            }
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    std::string out(reinterpret_cast<const char*>(buffer), size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return out;
}

}
