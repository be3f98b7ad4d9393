/*
 * Regions and clipping. A Region is an area made of disjoint rectangles, kept as a
 * stack of levels: the top level is the current area, a pop brings back the one below.
 * Every port's clip is a Region; the clip calls push, combine, offset and pop it and the
 * handler installs the top level on the device. All Region memory comes from the
 * library's region pool; every call does nothing (and answers 0) without it.
 */
#ifndef OSMARK_REGIONS_H
#define OSMARK_REGIONS_H

#include "osmark/api.h"
#include "osmark/raster_ports.h"

OSMARK_BEGIN_DECLS

/* One level: count rectangles of room for capacity. */
typedef struct RegionRectList {
    int32_t rrl_Count;
    int32_t rrl_Capacity;
    RectangleBox rrl_Rects[1];
} RegionRectList;

typedef struct Region {
    RectangleBox rg_Bounds;   /* the union of the top level's rectangles */
    int32_t rg_Top;           /* index of the top level; -1: none (empty) */
    int32_t rg_LevelCapacity; /* slots; grows by 5 */
    RegionRectList** rg_Levels;
} Region;

enum RegionOp {
    RegionOpUnion = 1,
    RegionOpIntersection = 2,
    RegionOpReplace = 3,
    RegionOpExclusiveOr = 4,
    RegionOpSubtract = 5
};

/* result = a and b together; 1, or 0 when both are empty (result all zero). */
OSMARK_API int32_t UnionRectangle(RectangleBox* result, const RectangleBox* a,
                                  const RectangleBox* b) OSMARK_NOEXCEPT;
/* result = the overlap; an empty box counts as "no constraint": the other one. 0 with
 * an all-zero result when the boxes neither overlap nor touch. */
OSMARK_API int32_t IntersectRectangle(RectangleBox* result, const RectangleBox* a,
                                      const RectangleBox* b) OSMARK_NOEXCEPT;

OSMARK_API Region* NewRegion(void) OSMARK_NOEXCEPT;
OSMARK_API void DisposeRegion(Region* region) OSMARK_NOEXCEPT;
/* The combining calls answer 1 when the bounds are not empty afterwards. */
OSMARK_API int32_t CombineRectRegion(Region* region, const RectangleBox* box,
                                     int32_t op) OSMARK_NOEXCEPT;
OSMARK_API int32_t PushRectRegion(Region* region, const RectangleBox* box,
                                  int32_t op) OSMARK_NOEXCEPT;
OSMARK_API int32_t CombineRegionRegion(Region* destination, const Region* source,
                                       int32_t op) OSMARK_NOEXCEPT;
OSMARK_API int32_t PushRegionRegion(Region* destination, const Region* source,
                                    int32_t op) OSMARK_NOEXCEPT;
OSMARK_API int32_t PopRegion(Region* region) OSMARK_NOEXCEPT;
OSMARK_API void OffsetRegion(Region* region, int32_t dx, int32_t dy) OSMARK_NOEXCEPT;
OSMARK_API int32_t PointInRegion(const Region* region, int32_t x, int32_t y) OSMARK_NOEXCEPT;
/* The outline of the top level in the A pen. */
OSMARK_API void DrawRegion(RastPort* rp, const Region* region) OSMARK_NOEXCEPT;
/* Fills with the B pen, then outlines in the A pen (each unless that pen is none). */
OSMARK_API void AreaRegion(RastPort* rp, const Region* region) OSMARK_NOEXCEPT;

/* A port over a new white 1-bit mask for drawing a region's shape in black. */
OSMARK_API RastPort* AllocRegionRastPort(int32_t width, int32_t height) OSMARK_NOEXCEPT;
/* Frees the port and its mask; with a Region, its top level becomes the black area. */
OSMARK_API void FreeRegionRastPort(RastPort* rp, Region* region) OSMARK_NOEXCEPT;

/* ---- The clip of a port ---------------------------------------------------------- */

/* The clip's bounds, or the whole port without a clip; 1 when not empty, -1 for NULL. */
OSMARK_API int32_t GetClipArea(RastPort* rp, RectangleBox* box) OSMARK_NOEXCEPT;
OSMARK_API int32_t InstallClipRegion(RastPort* rp, const Region* region,
                                     int32_t op) OSMARK_NOEXCEPT;
OSMARK_API int32_t InstallClipRect(RastPort* rp, const RectangleBox* box,
                                   int32_t op) OSMARK_NOEXCEPT;
OSMARK_API int32_t PushClipRegion(RastPort* rp, const Region* region, int32_t op) OSMARK_NOEXCEPT;
/* Always answers 0. */
OSMARK_API int32_t PushClipRect(RastPort* rp, const RectangleBox* box, int32_t op) OSMARK_NOEXCEPT;
OSMARK_API int32_t PopClipRegion(RastPort* rp) OSMARK_NOEXCEPT;
OSMARK_API int32_t OffsetClipRegion(RastPort* rp, int32_t dx, int32_t dy) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
