// The integer raster code of the GDI: 32-bit surfaces, the 16 ROP2 operations,
// cosmetic lines and the compositing of coverage masks. No Qt here: Qt only makes
// coverage masks (gdi_shapes.cpp, gdi_text.cpp), these loops put them on the surface.
#ifndef PLATFORM_SRC_GDI_RASTER_H
#define PLATFORM_SRC_GDI_RASTER_H

#include "platform/gdi.h"

#include <cstddef>
#include <cstdint>

namespace platform::gdi {

// Pixels 0xAARRGGBB from the top row down; stride (in pixels) is negative for a
// bottom-up DIB. Every store keeps RGB and puts `alpha` in the top byte.
//
// A clip mask, when there is one, has the pixels' layout: byte y * stride + x from
// `clip` is not 0 where drawing may land. A monochrome surface (a 1-bit bitmap) keeps
// each pixel as its colour index, 0 or 0x00FFFFFF, so that the raster operations work
// on the index bits; `palette` gives the two colours.
struct Surface {
    uint32_t* top_row = nullptr;
    ptrdiff_t stride = 0;
    int width = 0;
    int height = 0;
    uint32_t alpha = 0;
    const uint8_t* clip = nullptr;
    const uint32_t* palette = nullptr; // two 0x00RRGGBB colours of a monochrome surface
    bool colour_table = false;         // a 1-bit DIB section: blits take its table's colours

    bool is_empty() const { return top_row == nullptr || width <= 0 || height <= 0; }
    bool contains(int64_t x, int64_t y) const
    {
        return x >= 0 && y >= 0 && x < width && y < height;
    }
    uint32_t* pixel(int x, int y) const { return top_row + y * stride + x; }
    // Drawing may land on the pixel (which lies on the surface).
    bool visible(int x, int y) const { return clip == nullptr || clip[y * stride + x] != 0; }
    const uint8_t* clip_row(int x, int y) const
    {
        return clip == nullptr ? nullptr : clip + y * stride + x;
    }
    bool is_mono() const { return palette != nullptr; }
    // What the surface stores for a colour: the colour, or the index of the nearer
    // palette colour on a monochrome surface.
    uint32_t device_pixel(COLORREF colour) const;
    // The colour a stored pixel shows.
    COLORREF colour_at(uint32_t stored) const;
};

// COLORREF 0x00BBGGRR <-> pixel 0x00RRGGBB.
constexpr uint32_t pixel_of(COLORREF colour)
{
    return ((colour & 0xFFu) << 16) | (colour & 0xFF00u) | ((colour >> 16) & 0xFFu);
}
constexpr COLORREF colour_of(uint32_t pixel)
{
    return ((pixel & 0xFFu) << 16) | (pixel & 0xFF00u) | ((pixel >> 16) & 0xFFu);
}

// The index (0 or 1) of the palette colour nearer to the pixel; ties go to 0.
inline int nearest_index(const uint32_t* palette, uint32_t pixel)
{
    auto distance = [pixel](uint32_t entry) {
        int64_t sum = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            const int64_t d = int64_t((entry >> shift) & 0xFF) - int64_t((pixel >> shift) & 0xFF);
            sum += d * d;
        }
        return sum;
    };
    return distance(palette[1]) < distance(palette[0]) ? 1 : 0;
}

inline uint32_t Surface::device_pixel(COLORREF colour) const
{
    const uint32_t value = pixel_of(colour);
    if (palette == nullptr)
        return value;
    return nearest_index(palette, value) != 0 ? 0x00FFFFFFu : 0u;
}

inline COLORREF Surface::colour_at(uint32_t stored) const
{
    if (palette == nullptr)
        return colour_of(stored);
    return colour_of(palette[(stored & 0x00FFFFFFu) != 0 ? 1 : 0]);
}

constexpr bool is_rop2(int mode)
{
    return mode >= R2_BLACK && mode <= R2_WHITE;
}

// Win32 keeps coordinates of curves and text within 27 bits; so do we, which keeps
// every floating-point step that Qt takes exact enough.
constexpr int64_t kMaxCurveCoordinate = int64_t{1} << 27;
constexpr bool is_curve_coordinate(int64_t value)
{
    return value >= -kMaxCurveCoordinate && value <= kMaxCurveCoordinate;
}

// A cosmetic (one pixel) line from (x0, y0) to (x1, y1) without its last pixel, through
// the ROP2 mode, clipped to the surface; any coordinates within 33 bits. Ties between two pixels go to the one with the
// smaller coordinate, so a line covers the same pixels in both directions.
void draw_line(const Surface& surface, int64_t x0, int64_t y0, int64_t x1, int64_t y1, uint32_t pen,
               int rop2);

// The one-pixel outline of the ellipse whose box runs from (left, top) to (right,
// bottom), all four inclusive, through the ROP2 mode, clipped to the surface. Only the
// pixels whose direction from the centre lies within `sweep` radians counter-clockwise
// (on the screen) from `start` are drawn; a sweep of 2 pi or more draws them all.
// Each pixel is drawn once and the outline is symmetric about both axes.
void draw_ellipse(const Surface& surface, int64_t left, int64_t top, int64_t right, int64_t bottom, double start,
                  double sweep, uint32_t pen, int rop2);

// A pixel through the ROP2 mode (R2_COPYPEN for SetPixelV); nothing outside the surface.
void plot(const Surface& surface, int x, int y, uint32_t pen, int rop2);

// What a coverage mask is painted with: one colour, or an 8-by-8 hatch whose set bits
// take `colour` and whose gaps take `background` unless the gaps are transparent.
struct Paint {
    uint32_t colour = 0;
    const uint8_t* hatch = nullptr; // 8 rows, bit 7 - (x & 7) of row (y & 7)
    uint32_t background = 0;
    bool transparent_gaps = true;
};

// The hatch pattern of an HS_ style, or NULL for an unknown style.
const uint8_t* hatch_pattern(ULONG_PTR style);

// Paints every pixel whose mask byte is not 0 through the ROP2 mode. The mask is
// width by height bytes, row r at mask + r * mask_stride, placed with its top-left
// corner on surface pixel (left, top); that box must lie inside the surface.
void composite_mask(const Surface& surface, const uint8_t* mask, ptrdiff_t mask_stride, int left,
                    int top, int width, int height, const Paint& paint, int rop2);

// Blends `colour` over the surface by the mask's levels: 255 puts the colour, 0 leaves
// the pixel, a level between mixes the two in proportion (antialiased text). Same mask
// layout and placement as composite_mask.
void blend_mask(const Surface& surface, const uint8_t* mask, ptrdiff_t mask_stride, int left,
                int top, int width, int height, uint32_t colour);
}

#endif
