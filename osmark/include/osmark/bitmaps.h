/*
 * Bitmaps: the library's pixel maps in ordinary memory, 32-bit colour (pixels
 * 0x00RRGGBB, rows of width * 4 bytes) or 1-bit masks (most significant bit first, rows
 * padded to 4 bytes), rows top-down. The calls that take or give colours use Colour
 * order (0x00BBGGRR) and swap at the boundary. A bitmap's bottom-left pixel is its
 * transparent colour by convention. Also: Image records, BMP files, bitmap resources,
 * ordered-dither masks and the ports that draw into a bitmap.
 */
#ifndef OSMARK_BITMAPS_H
#define OSMARK_BITMAPS_H

#include "osmark/api.h"
#include "osmark/files.h"
#include "osmark/raster_ports.h"

OSMARK_BEGIN_DECLS

#define BMF_MASK 0x1u

typedef struct BitMap {
    uint32_t bm_Flags; /* BMF_MASK: 1-bit mask; else 32-bit colour */
    int32_t bm_Width;
    int32_t bm_Height;
    void* bm_Pixels; /* from AllocVec, owned by the record; may be NULL in a hand-made record */
    char bm_Tag[4];  /* "BMBM" in every record the allocators make */
} BitMap;

typedef struct Image {
    int32_t im_Left;
    int32_t im_Top;
    int32_t im_Width;
    int32_t im_Height;
    uint16_t im_Depth; /* 0xFFFF: an image object of the class system */
    BitMap* im_BitMap; /* not owned */
    struct Image* im_Next;
} Image;

/* Attributes of GetBitMapAttr. */
enum BitMapAttr {
    BMA_Height = 0,
    BMA_Width = 1,
    BMA_Flags = 2,
    BMA_Pixels = 3,
    BMA_Depth = 4,
    BMA_BytesPerRow = 5
};

/* Row size of a layout: depths 1, 2, 4, 8, 16, 24, 32; 0 and error -32 otherwise. */
OSMARK_API uint32_t RowBytesForDepth(int32_t width, int32_t depth) OSMARK_NOEXCEPT;
OSMARK_API void* AllocBits(int32_t width, int32_t height, uint32_t flags, int32_t depth,
                           uint32_t* row_bytes) OSMARK_NOEXCEPT;
/* initial: width * height Colour words, top row first, or NULL. */
OSMARK_API BitMap* AllocBitMap(int32_t width, int32_t height,
                               const Colour* initial) OSMARK_NOEXCEPT;
/* initial: packed mask rows, or NULL. */
OSMARK_API BitMap* AllocBitMask(uint32_t width, uint32_t height,
                                const void* initial) OSMARK_NOEXCEPT;
OSMARK_API void FreeBitMap(BitMap* bitmap) OSMARK_NOEXCEPT;
OSMARK_API int32_t ResizeBitMap(BitMap* bitmap, int32_t width, int32_t height) OSMARK_NOEXCEPT;
OSMARK_API int32_t EmptyBitMap(const BitMap* bitmap) OSMARK_NOEXCEPT;
/* A copy of the whole map or of a rectangle of it; NULL when nothing is left to copy. */
OSMARK_API BitMap* CopyBitMap(const BitMap* bitmap, const RectangleBox* rect) OSMARK_NOEXCEPT;
OSMARK_API Image* CreateImage(BitMap* bitmap) OSMARK_NOEXCEPT;
OSMARK_API void FreeImage(Image* image) OSMARK_NOEXCEPT;

OSMARK_API uintptr_t GetBitMapAttr(const BitMap* bitmap, uint32_t attribute) OSMARK_NOEXCEPT;
OSMARK_API Colour GetBitMapPixel(const BitMap* bitmap, int32_t x, int32_t y) OSMARK_NOEXCEPT;
OSMARK_API Colour SetBitMapPixel(BitMap* bitmap, int32_t x, int32_t y,
                                 Colour colour) OSMARK_NOEXCEPT;
/* Inclusive corners in any order; the buffer covers the whole rectangle, only the part
 * inside the map moves. Answers the number of pixels moved. */
OSMARK_API int32_t GetBitMapPixels(const BitMap* bitmap, int32_t x0, int32_t y0, int32_t x1,
                                   int32_t y1, uint32_t* buffer) OSMARK_NOEXCEPT;
OSMARK_API int32_t SetBitMapPixels(BitMap* bitmap, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                                   const uint32_t* buffer) OSMARK_NOEXCEPT;
OSMARK_API Colour BitMapTransparentColour(const BitMap* bitmap) OSMARK_NOEXCEPT;
OSMARK_API Colour SetBitMapTransparentColour(BitMap* bitmap, Colour colour) OSMARK_NOEXCEPT;

/* BMP files: 12- or 40-byte headers, 1 to 32 bits per pixel, bottom-up or top-down. */
OSMARK_API BitMap* __LoadBitMapFromFile(FileHandle* file) OSMARK_NOEXCEPT;
OSMARK_API int32_t __SaveBitMapToFile(FileHandle* file, const BitMap* bitmap) OSMARK_NOEXCEPT;
OSMARK_API BitMap* LoadBitMapFromFile(const char* name) OSMARK_NOEXCEPT;
OSMARK_API int32_t SaveBitMapToFile(const char* name, const BitMap* bitmap) OSMARK_NOEXCEPT;
OSMARK_API BitMap* LoadBitMapResource(HINSTANCE module, uint32_t id) OSMARK_NOEXCEPT;

/* A mask whose bit (x, y) is set where the 8 x 8 ordered-dither entry is below
 * Round(level / 4). */
OSMARK_API BitMap* AllocDitheredBitMask(uint32_t level, int32_t width,
                                        int32_t height) OSMARK_NOEXCEPT;

/* A port that draws into the bitmap; the pixels arrive on flush and on free. */
OSMARK_API RastPort* AllocBitMapRastPort(BitMap* bitmap) OSMARK_NOEXCEPT;
OSMARK_API void FreeBitMapRastPort(RastPort* rp) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
