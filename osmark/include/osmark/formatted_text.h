/*
 * Formatted text: a string with escape codes for colour, bold, italic, underline and
 * strike-through, '^' line breaks and alignment, drawn into a box of a raster port
 * (cut, marked with "...", wrapped at white space, turned with the port's font), and
 * measured without drawing.
 *
 * Escapes are ESC (0x1B) and a code: + on, - off, b bold, i italic, n normal, s strike,
 * u underline, 0-9 and A-F a colour, X the A pen again, and c, l, r at the start of a
 * line its alignment. Unless FT_NOCONVERT, '~' and a digit, A-F or X stands for ESC and
 * that code, '~' and any other byte for that byte, and '^' for a line break.
 */
#ifndef OSMARK_FORMATTED_TEXT_H
#define OSMARK_FORMATTED_TEXT_H

#include "osmark/api.h"
#include "osmark/raster_ports.h"

OSMARK_BEGIN_DECLS

/* Flags of FText. */
#define FT_BOTTOM 0x1u          /* block at the bottom of the box */
#define FT_RIGHT 0x2u           /* lines right-aligned */
#define FT_VCENTRE 0x4u         /* block centred vertically (before FT_BOTTOM) */
#define FT_CENTRE 0x8u          /* lines centred (before FT_RIGHT) */
#define FT_CLIP 0x10u           /* keep to the box: cut lines, stop below it */
#define FT_FILL 0x20u           /* fill the box with the B pen first */
#define FT_DOTS 0x40u           /* with FT_CLIP: "..." where a line is cut */
#define FT_WRAP 0x100u          /* with FT_CLIP: wrap long lines at white space */
#define FT_NOCONVERT 0x1000u    /* '^' and '~' stay as they are */
#define FT_SINGLELINE 0x2000u   /* single-line mode also without FT_CLIP */
#define FT_KEEPDRAWMODE 0x4000u /* else the text is drawn in draw mode -1 */

OSMARK_API void FText(RastPort* rp, const char* text, uint32_t length, const RectangleBox* box,
                      uint32_t flags) OSMARK_NOEXCEPT;
/* extent: width, height. Of the flags only FT_NOCONVERT counts. */
OSMARK_API void FTextExtent(RastPort* rp, const char* text, uint32_t length, int32_t* extent,
                            uint32_t flags) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
