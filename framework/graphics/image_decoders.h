// Decoders of picture files into 32-bit pixels. They read files that other programs
// wrote: every count, length and offset is checked against the data before it is used
// or allocated for, and a file that is corrupt, truncated or of an unsupported kind
// gives false, never a crash.
#ifndef FRAMEWORK_GRAPHICS_IMAGE_DECODERS_H
#define FRAMEWORK_GRAPHICS_IMAGE_DECODERS_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace fw::graphics {

// Largest picture accepted: the platform's limits of a DIB section.
constexpr int64_t kMaxImageSide = 65536;
constexpr int64_t kMaxImagePixels = (int64_t{1} << 30) / 4;

struct DecodedImage {
    int width = 0;
    int height = 0;
    // 0x00RRGGBB, top row first.
    std::vector<uint32_t> pixels;
    // One opacity byte per pixel; empty when the file has no transparency.
    std::vector<uint8_t> alpha;
    // Bits per pixel as the file stores them (1, 4, 8, 16, 24, 32; BMP only).
    int bits_per_pixel = 32;
};

// A Windows bitmap file ("BM" header): bit counts 1, 4, 8, 16, 24 and 32, uncompressed
// or with bit-field masks (16 and 32), rows bottom-up or top-down.
bool DecodeBmp(const uint8_t* data, size_t size, DecodedImage& image);
// A PNG file: every colour type and bit depth, Adam7 interlacing, palette and colour-key
// transparency; chunk checksums are verified.
bool DecodePng(const uint8_t* data, size_t size, DecodedImage& image);
// A JPEG file through libjpeg: baseline and progressive, greyscale, colour and CMYK.
bool DecodeJpeg(const uint8_t* data, size_t size, DecodedImage& image);

// Whether a picture of that size may be allocated at all.
inline bool is_acceptable_size(int64_t width, int64_t height)
{
    return width > 0 && height > 0 && width <= kMaxImageSide && height <= kMaxImageSide &&
           width * height <= kMaxImagePixels;
}

}

#endif
