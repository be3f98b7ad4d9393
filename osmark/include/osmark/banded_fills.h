/*
 * Banded fills: a box of a raster port filled with bands that blend an array of
 * colours one into the next, along x or y, either dithered through five fixed 32 x 32
 * patterns (four bands per colour step, no extra colours needed) or as a smooth
 * gradient drawn line by line.
 */
#ifndef OSMARK_BANDED_FILLS_H
#define OSMARK_BANDED_FILLS_H

#include "osmark/api.h"
#include "osmark/raster_ports.h"

OSMARK_BEGIN_DECLS

/* Flags of DitherRastPort. */
#define DITHER_ALONG_X 0x1u
#define DITHER_ALONG_Y 0x2u /* wins over DITHER_ALONG_X */
#define DITHER_SMOOTH 0x4u  /* a gradient instead of dithered bands */

/* Fills the box with bands blending colours[0] .. colours[count - 1]; one colour, or
 * neither direction, is a plain RectFill. The port's pens and area pattern are kept. */
OSMARK_API void DitherRastPort(RastPort* rp, const RectangleBox* box, const Colour* colours,
                               int32_t count, uint32_t flags) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
