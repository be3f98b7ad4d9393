// The engine of the blits: a source rectangle already turned into the destination's
// pixels, stretched and mirrored onto the destination through a ternary raster
// operation, within the destination's clip.
#ifndef PLATFORM_SRC_GDI_BLIT_ENGINE_H
#define PLATFORM_SRC_GDI_BLIT_ENGINE_H

#include "gdi_objects.h"

#include <vector>

namespace platform::gdi {

// Pixels of a source rectangle, top row first, in the destination's pixel space.
// Pixels that lay off the source surface are marked missing and leave the destination
// alone.
struct BlitSource {
    std::vector<uint32_t> pixels;
    std::vector<uint8_t> present;
    int width = 0;
    int height = 0;
};

// The result of the ternary operation on pattern, source and destination bits.
uint32_t ternary(uint8_t operation, uint32_t pattern, uint32_t source, uint32_t destination);
bool uses_source(uint8_t operation);

// The source rectangle (left, top, width, height; both positive, in source surface
// pixels) of a DC as the destination takes it (monochrome rules of Win32).
BlitSource read_source(const DeviceContext& source, const Surface& destination,
                       COLORREF text_colour, COLORREF background_colour, int left, int top,
                       int width, int height);

// Puts the source (or, without one, the pattern alone) on the destination rectangle
// x, y, width, height, stretched and mirrored as the signs say; source_width and
// source_height carry the source's signs. Pattern: the destination's brush colour.
void blit(DeviceContext& destination, int x, int y, int width, int height, const BlitSource* source,
          int source_width, int source_height, DWORD rop);

}

#endif
