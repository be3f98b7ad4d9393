// JPEG files through libjpeg.
//
// libjpeg reports fatal errors through a callback that must not return; it jumps back
// to the decoder with longjmp. Everything the decoder keeps across that jump lives in
// a Decoding record outside the jumping frame, and nothing between setjmp and the
// jump has a destructor.

#include "graphics/image_decoders.h"

#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>
// After jpeglib.h, which it needs.
#include <jerror.h>

#include <new>

namespace fw::graphics {
namespace {

// A corrupt file could otherwise keep the decoder busy with endless scans.
constexpr int kMaxScans = 1000;
// No JPEG stream holds more pixels than this per byte (one bit per 8-by-8 block of
// one component, with room to spare): a header that asks for more is refused before
// anything is allocated. Arithmetic coding can in theory pack tighter; such files are
// refused too.
constexpr uint64_t kMaxPixelsPerByte = 1024;

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

struct Decoding {
    jpeg_decompress_struct info;
    ErrorManager errors;
    jpeg_progress_mgr progress;
    std::vector<uint8_t> row;
};

[[noreturn]] void fail(j_common_ptr common)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(common->err)->jump, 1);
}

// Warnings mean damaged data that libjpeg would paper over (grey blocks, a cut-off
// picture): such a file is refused. Stray bytes between markers are common and
// harmless.
void warn(j_common_ptr common, int level)
{
    if (level < 0 && common->err->msg_code != JWRN_EXTRANEOUS_DATA)
        fail(common);
}

void silent(j_common_ptr)
{
}

void count_scans(j_common_ptr common)
{
    if (common->is_decompressor &&
        reinterpret_cast<j_decompress_ptr>(common)->input_scan_number > kMaxScans)
        fail(common);
}

uint8_t mul255(unsigned a, unsigned b)
{
    return static_cast<uint8_t>((a * b + 127) / 255);
}

// The part that libjpeg may leave by longjmp; true when the picture was decoded.
bool run(Decoding& d, const uint8_t* data, size_t size, DecodedImage& image)
{
    if (setjmp(d.errors.jump) != 0)
        return false;
    jpeg_mem_src(&d.info, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(&d.info, TRUE) != JPEG_HEADER_OK)
        return false;
    const uint64_t width = d.info.image_width;
    const uint64_t height = d.info.image_height;
    if (!is_acceptable_size(static_cast<int64_t>(width), static_cast<int64_t>(height)) ||
        width * height > uint64_t{size} * kMaxPixelsPerByte)
        return false;
    const bool cmyk = d.info.jpeg_color_space == JCS_CMYK || d.info.jpeg_color_space == JCS_YCCK;
    d.info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    if (!jpeg_start_decompress(&d.info))
        return false;
    const unsigned components = static_cast<unsigned>(d.info.output_components);
    if (d.info.output_width != width || d.info.output_height != height ||
        components != (cmyk ? 4u : 3u))
        return false;
    // Adobe's CMYK files store the inks inverted.
    const bool inverted = cmyk && d.info.saw_Adobe_marker;
    while (d.info.output_scanline < d.info.output_height) {
        const uint64_t y = d.info.output_scanline;
        JSAMPROW row = d.row.data();
        if (jpeg_read_scanlines(&d.info, &row, 1) != 1)
            return false;
        uint32_t* out = image.pixels.data() + y * width;
        for (uint64_t x = 0; x < width; ++x) {
            const uint8_t* in = d.row.data() + x * components;
            if (!cmyk) {
                out[x] = uint32_t{in[0]} << 16 | uint32_t{in[1]} << 8 | in[2];
                continue;
            }
            unsigned c = in[0];
            unsigned m = in[1];
            unsigned yellow = in[2];
            unsigned k = in[3];
            if (!inverted) {
                c = 255 - c;
                m = 255 - m;
                yellow = 255 - yellow;
                k = 255 - k;
            }
            out[x] = uint32_t{mul255(c, k)} << 16 | uint32_t{mul255(m, k)} << 8 | mul255(yellow, k);
        }
    }
    jpeg_finish_decompress(&d.info);
    return true;
}

// Sizes the outputs once the header is known, outside libjpeg's calls: an allocation
// failure is then an ordinary result.
bool prepare(Decoding& d, DecodedImage& image, uint64_t width, uint64_t height)
{
    try {
        image.pixels.assign(width * height, 0);
        d.row.assign(width * 4, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

}

bool DecodeJpeg(const uint8_t* data, size_t size, DecodedImage& image)
{
    if (data == nullptr || size < 4)
        return false;
    auto* d = new (std::nothrow) Decoding{};
    if (d == nullptr)
        return false;
    d->info.err = jpeg_std_error(&d->errors.base);
    d->errors.base.error_exit = fail;
    d->errors.base.emit_message = warn;
    d->errors.base.output_message = silent;
    d->progress.progress_monitor = count_scans;
    volatile bool decoded = false;
    if (setjmp(d->errors.jump) == 0) {
        jpeg_create_decompress(&d->info);
        d->info.progress = &d->progress;
        // The header first, on its own, so that the outputs can be sized outside
        // libjpeg's reach.
        jpeg_mem_src(&d->info, data, static_cast<unsigned long>(size));
        if (jpeg_read_header(&d->info, TRUE) == JPEG_HEADER_OK) {
            const uint64_t width = d->info.image_width;
            const uint64_t height = d->info.image_height;
            if (is_acceptable_size(static_cast<int64_t>(width), static_cast<int64_t>(height)) &&
                width * height <= uint64_t{size} * kMaxPixelsPerByte &&
                prepare(*d, image, width, height)) {
                jpeg_abort_decompress(&d->info);
                image.width = static_cast<int>(width);
                image.height = static_cast<int>(height);
                image.bits_per_pixel = 24;
                image.alpha.clear();
                decoded = run(*d, data, size, image);
            }
        }
    }
    jpeg_destroy_decompress(&d->info);
    delete d;
    return decoded;
}

}
