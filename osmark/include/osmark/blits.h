/*
 * Blits: rectangles of pixels moved and composed between bitmaps and raster ports,
 * patterns tiled over a port, port-to-port copies with a raster operation and buttons
 * drawn in a GUI state. A transparent colour of ColourNone means none; a NULL source
 * rectangle means the whole bitmap; sizes that differ stretch.
 */
#ifndef OSMARK_BLITS_H
#define OSMARK_BLITS_H

#include "osmark/api.h"
#include "osmark/bitmaps.h"
#include "osmark/raster_ports.h"

OSMARK_BEGIN_DECLS

/* Flags of BltBitMapRastPortState. */
enum BlitState {
    BlitStatePressed = 0x1,
    BlitStateDraw = 0x2,
    BlitStateEmbossed = 0x4,
    BlitStateDithered = 0x8,
    BlitStateNoPicture = 0x10,
    BlitStateBlackText = 0x100,
    BlitStateGreyShadow = 0x200,
    BlitStateGreyFace = 0x400,
    BlitStateWhiteHighlight = 0x800
};

/* Flags of BltPatternPt: mirror every other tile column or row. */
#define BLTPAT_MIRROR_X 0x1u
#define BLTPAT_MIRROR_Y 0x2u

/* Keeps a raster operation in the port; answers the previous one (0 for NULL). */
OSMARK_API uint32_t SetBltMode(RastPort* rp, uint32_t code) OSMARK_NOEXCEPT;
OSMARK_API void BltBitMap(BitMap* destination, const RectangleBox* dest_rect, BitMap* source,
                          const RectangleBox* src_rect, Colour transparent) OSMARK_NOEXCEPT;
/* Each destination pixel becomes (destination AND mask) XOR source. */
OSMARK_API void BltBitMapMask(BitMap* destination, const RectangleBox* dest_rect, BitMap* source,
                              const RectangleBox* src_rect, BitMap* mask) OSMARK_NOEXCEPT;
OSMARK_API void BltBitMapRastPort(RastPort* rp, const RectangleBox* dest_rect, BitMap* bitmap,
                                  const RectangleBox* src_rect, Colour transparent) OSMARK_NOEXCEPT;
OSMARK_API void BltBitMapRastPortMask(RastPort* rp, const RectangleBox* dest_rect, BitMap* bitmap,
                                      const RectangleBox* src_rect, BitMap* mask) OSMARK_NOEXCEPT;
/* The phase point is the corner of the tile grid in port coordinates. */
OSMARK_API void BltPatternPt(RastPort* rp, BitMap* pattern, const RectangleBox* rect,
                             Colour transparent, uint32_t flags, int32_t phase_x,
                             int32_t phase_y) OSMARK_NOEXCEPT;
OSMARK_API void BltPattern(RastPort* rp, BitMap* pattern, const RectangleBox* rect,
                           Colour transparent, uint32_t flags) OSMARK_NOEXCEPT;
OSMARK_API void ClipBlit(RastPort* destination, const RectangleBox* dest_rect, RastPort* source,
                         const RectangleBox* src_rect, uint32_t code) OSMARK_NOEXCEPT;
/* A mask set where the bitmap has the key colour, and those pixels turned black. */
OSMARK_API int32_t CreateMaskBitMap(BitMap* bitmap, Colour key, BitMap** mask) OSMARK_NOEXCEPT;
OSMARK_API void BltBitMapRastPortState(RastPort* rp, const RectangleBox* box, BitMap* bitmap,
                                       const RectangleBox* src_rect,
                                       uint32_t flags) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
