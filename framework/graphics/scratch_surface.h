// A short-lived 32-bit DIB section in a memory DC, for drawing steps that need pixels
// of their own (clipped text, transparent and blended draws).
#ifndef FRAMEWORK_GRAPHICS_SCRATCH_SURFACE_H
#define FRAMEWORK_GRAPHICS_SCRATCH_SURFACE_H

#include "platform/gdi.h"

#include <cstdint>

namespace fw::graphics {

class ScratchSurface {
public:
    // Raises EOutOfResources when the platform cannot make it.
    ScratchSurface(int width, int height);
    ~ScratchSurface();
    ScratchSurface(const ScratchSurface&) = delete;
    ScratchSurface& operator=(const ScratchSurface&) = delete;

    HDC dc() const { return m_dc; }
    int width() const { return m_width; }
    int height() const { return m_height; }
    // Pixels 0x00RRGGBB, top row first, rows of width pixels.
    uint32_t* pixels() const { return m_pixels; }

private:
    int m_width;
    int m_height;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old_bitmap = nullptr;
    uint32_t* m_pixels = nullptr;
};

// A top-down 32-bit DIB section; nullptr when the platform refuses the size or has no
// memory for it.
HBITMAP CreateTopDownDib(int width, int height, uint32_t** pixels);

}

#endif
