// BMP files built byte by byte as other programs write them, for the bitmap tests.
#ifndef OSMARK_TESTS_BITMAP_FILES_H
#define OSMARK_TESTS_BITMAP_FILES_H

#include <cstdint>
#include <string>
#include <vector>

namespace bitmap_files {

struct BmpSpec {
    uint32_t header_size = 40; // 12 (core), 40, 108, 124
    int32_t width = 2;
    int32_t height = 2; // negative: top-down
    uint16_t bits = 24;
    uint32_t compression = 0;
    uint32_t colours_used = 0;
    std::vector<uint32_t> table; // 0x00RRGGBB, written as the header wants them
    std::vector<uint32_t> masks; // bit fields after the header
    uint32_t gap = 0;            // bytes between the table and the pixels
    int32_t offset_shift = 0;    // added to the true pixel data offset
    std::vector<uint8_t> rows;   // as stored, padding included
};

inline void put(std::string& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

inline std::string bmp(const BmpSpec& spec)
{
    std::string body;
    put(body, spec.header_size, 4);
    if (spec.header_size == 12) {
        put(body, static_cast<uint32_t>(spec.width), 2);
        put(body, static_cast<uint32_t>(spec.height), 2);
        put(body, 1, 2);
        put(body, spec.bits, 2);
    } else {
        put(body, static_cast<uint32_t>(spec.width), 4);
        put(body, static_cast<uint32_t>(spec.height), 4);
        put(body, 1, 2);
        put(body, spec.bits, 2);
        put(body, spec.compression, 4);
        put(body, static_cast<uint32_t>(spec.rows.size()), 4);
        put(body, 2835, 4);
        put(body, 2835, 4);
        put(body, spec.colours_used, 4);
        put(body, 0, 4);
        body.resize(spec.header_size, '\0');
    }
    for (uint32_t mask : spec.masks)
        put(body, mask, 4);
    for (uint32_t colour : spec.table)
        put(body, colour, spec.header_size == 12 ? 3 : 4);
    body.append(spec.gap, '\0');
    std::string file = "BM";
    put(file, static_cast<uint32_t>(14 + body.size() + spec.rows.size()), 4);
    put(file, 0, 4);
    put(file, static_cast<uint32_t>(static_cast<int32_t>(14 + body.size()) + spec.offset_shift), 4);
    file += body;
    file.append(spec.rows.begin(), spec.rows.end());
    return file;
}

}

#endif
