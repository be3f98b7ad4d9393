// Picture files as other programs write them, made byte by byte from the formats (BMP,
// PNG with zlib) or by libjpeg itself, for the decoder tests and the fuzz seeds.
#ifndef FRAMEWORK_TESTS_PICTURE_FILE_WRITERS_H
#define FRAMEWORK_TESTS_PICTURE_FILE_WRITERS_H

#include <cstdint>
#include <string>
#include <vector>

namespace picture_files {

// Pixels 0x00RRGGBB, top row first.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// A picture with a different colour in every pixel.
Picture gradient(int width, int height);

// ---- BMP --------------------------------------------------------------------------------

struct BmpOptions {
    int bits = 24;            // 1, 4, 8 (palette from the picture's colours), 16, 24, 32
    bool top_down = false;    // negative height
    bool bit_fields = false;  // BI_BITFIELDS with 5-6-5 (16) or 8-8-8 (32) masks
    bool core_header = false; // the 12-byte header of old programs
    uint32_t colours_used = 0;
};
std::string bmp_file(const Picture& picture, const BmpOptions& options);

// ---- PNG --------------------------------------------------------------------------------

struct PngOptions {
    int colour_type = 2; // 0 grey, 2 RGB, 3 palette, 4 grey + alpha, 6 RGBA
    int depth = 8;
    bool interlaced = false;
    bool vary_filters = false;  // rows cycle through the five filter types
    std::vector<uint8_t> alpha; // one byte per pixel for types 4 and 6
    // Palette type: the palette, and tRNS alphas for its first entries.
    std::vector<uint32_t> palette;
    std::vector<uint8_t> palette_alpha;
    // Types 0 and 3: the samples themselves (grey levels or indices), one per pixel.
    std::vector<uint16_t> samples;
};
std::string png_file(const Picture& picture, const PngOptions& options);
// A chunk with its length and checksum.
std::string png_chunk(const char* type, const std::string& body);

// ---- JPEG -------------------------------------------------------------------------------

std::string jpeg_file(const Picture& picture, int quality, bool grey, bool progressive);

}

#endif
