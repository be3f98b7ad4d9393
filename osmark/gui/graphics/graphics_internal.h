// What the graphics code of the library shares between its parts and does not export.
#ifndef OSMARK_GUI_GRAPHICS_INTERNAL_H
#define OSMARK_GUI_GRAPHICS_INTERNAL_H

#include "osmark/bitmaps.h"
#include "osmark/memory.h"
#include "osmark/raster_ports.h"
#include "osmark/regions.h"
#include "platform/gdi.h"

namespace osmark::graphics {

// ---- Raster ports ----------------------------------------------------------------

// The handler's bytes after the port.
inline void* port_extra(RastPort* rp)
{
    return rp + 1;
}

// Runs the handler's clip operation with the clip offset by the origin.
void apply_clip(RastPort* rp);
// The whole port (-origin, size - origin) in port coordinates.
RectangleBox whole_port(const RastPort* rp);
// Height of the port's font; 0 without a font.
int32_t font_y_size(const RastPort* rp);

// ---- The OS handler ------------------------------------------------------------------

extern RastPortHandler g_os_handler;
// The handler's transparent blit and pattern fills tile through this (blits).
void tile_pattern(RastPort* rp, BitMap* pattern, const RectangleBox& box, Colour transparent,
                  uint32_t flags, int32_t phase_x, int32_t phase_y);

// ---- Regions --------------------------------------------------------------------------

Pool* region_pool();
// Replaces the top level (made when missing) by one rectangle.
void set_top_level(Region* region, const RectangleBox& box);
void recompute_bounds(Region* region);
// Appends a rectangle to the top level (made when missing), growing its list.
void append_rect(Region* region, const RectangleBox& box);
bool top_level_has_rects(const Region* region);

// ---- Bitmaps and the platform ------------------------------------------------------

// Row size of every layout the library uses; 0 and error -32 for another depth.
uint32_t row_bytes_for_depth(int32_t width, int32_t depth);
inline bool is_mask(const BitMap* bitmap)
{
    return (bitmap->bm_Flags & BMF_MASK) != 0;
}
inline uint32_t bitmap_row_bytes(const BitMap* bitmap)
{
    return row_bytes_for_depth(bitmap->bm_Width, is_mask(bitmap) ? 1 : 32);
}
// 0x00BBGGRR <-> 0x00RRGGBB, the fourth byte kept.
constexpr uint32_t swap_red_blue(uint32_t value)
{
    return (value & 0xFF00FF00u) | ((value & 0xFFu) << 16) | ((value >> 16) & 0xFFu);
}

// A top-down DIB section of the bitmap's size and kind holding its pixels; NULL when
// the bitmap has none or the section cannot be made.
HBITMAP CreateDIBFromBitMap(const BitMap* bitmap);
// The rows of the platform bitmap into the bitmap's pixel memory.
void CopyDIBToBitMap(HBITMAP section, BitMap* bitmap);
// A BITMAPINFO with room for a two-entry table, top-down, of the bitmap's kind.
struct DibHeader {
    BITMAPINFOHEADER header;
    RGBQUAD colours[2];
};
DibHeader dib_header_of(const BitMap* bitmap);

// A bitmap from a packed DIB (40-byte header, table or bit fields, rows) of the
// clipboard; NULL for data that does not hold one.
BitMap* bitmap_from_packed_dib(const uint8_t* data, uint32_t size);

}

#endif
