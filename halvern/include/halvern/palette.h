/*
 * The DXF colour palette: DXF colour numbers 1 to 255 as colour references
 * (0x00BBGGRR, so 0x0000FF is red), the nearest number of a colour reference, and the
 * display colour of a number, which keeps colours apart from the background so that
 * nothing is drawn invisible.
 *
 * The background belongs to the calling thread (initially black) and is read by every
 * renderer on it; set it before drawing, on the thread that draws.
 */
#ifndef HALVERN_PALETTE_H
#define HALVERN_PALETTE_H

#include <stdint.h>

#include "halvern/api.h"

HALVERN_BEGIN_DECLS

/* Number of entries of DXFColourPalette. */
#define DXF_PALETTE_SIZE 255

/* The colour of DXF colour number n (1..255) is DXFColourPalette[n - 1]. Numbers 1..9
 * are the primaries and two greys, 10..249 24 hues of ten shades each, 250..255 six
 * greys ending in white. */
HALVERN_API extern const uint32_t DXFColourPalette[DXF_PALETTE_SIZE];

/* Sets the calling thread's background colour, which DXFDisplayColour contrasts
 * against; returns the colour given. */
HALVERN_API uint32_t SetDXFBackgroundColour(uint32_t colour) HALVERN_NOEXCEPT;

/* The palette colour of a number 1..255; for any other number the colour of number 1
 * (red, 0x0000FF). */
HALVERN_API uint32_t DXFToRGB(uint32_t number) HALVERN_NOEXCEPT;

/* The number 1..255 of the first palette entry equal to the colour; when none is, the
 * number of the entry nearest by squared RGB distance, the lowest number on a tie. The
 * top byte of the colour is ignored. Always in 1..255. */
HALVERN_API int32_t RGBToDXF(uint32_t colour) HALVERN_NOEXCEPT;

/*
 * The colour to draw DXF colour number `number` with: its palette entry for 1..255,
 * else defaultColour (BYBLOCK 0, BYLAYER 256 and negative numbers follow the default).
 * A colour within 9 of the background in each of red, green and blue becomes white
 * (0xFFFFFF) on a dark background (red + green + blue below 383) and black on a light
 * one.
 */
HALVERN_API uint32_t DXFDisplayColour(int32_t number, uint32_t defaultColour) HALVERN_NOEXCEPT;

HALVERN_END_DECLS

#endif
