// The clip of a raster port: its Region's levels pushed, combined, offset and popped,
// each change installed on the device at once; and region ports, whose black pixels
// become a Region.

#include "graphics_internal.h"

namespace {

using namespace osmark::graphics;

// The port's clip Region, made when the port has none.
Region* clip_of(RastPort* rp)
{
    if (rp->rp_ClipRegion == nullptr)
        rp->rp_ClipRegion = NewRegion();
    return rp->rp_ClipRegion;
}

int32_t bounds_result(const Region* region)
{
    return region != nullptr && region->rg_Bounds.x1 > region->rg_Bounds.x0 &&
                   region->rg_Bounds.y1 > region->rg_Bounds.y0
               ? 1
               : 0;
}

// A level without rectangles stands for the whole port; so does no level at all.
void ensure_whole_port_level(RastPort* rp, Region* clip)
{
    if (clip->rg_Top < 0 || !top_level_has_rects(clip))
        set_top_level(clip, whole_port(rp));
}

}

extern "C" {

OSMARK_API int32_t GetClipArea(RastPort* rp, RectangleBox* box) noexcept
{
    if (box != nullptr)
        *box = RectangleBox{0, 0, 0, 0};
    if (rp == nullptr || box == nullptr)
        return -1;
    const Region* clip = clip_of(rp);
    if (clip == nullptr || clip->rg_Top < 0 || !top_level_has_rects(clip)) {
        if (clip != nullptr && clip->rg_Top >= 0 && clip->rg_Levels[clip->rg_Top] == nullptr)
            return -1;
        *box = whole_port(rp);
    } else {
        *box = clip->rg_Bounds;
    }
    return box->x1 > box->x0 && box->y1 > box->y0 ? 1 : 0;
}

OSMARK_API int32_t InstallClipRegion(RastPort* rp, const Region* region, int32_t op) noexcept
{
    if (rp == nullptr)
        return 0;
    Region* clip = clip_of(rp);
    if (clip == nullptr)
        return 0;
    if (region == nullptr) {
        set_top_level(clip, whole_port(rp));
        apply_clip(rp);
        return bounds_result(clip);
    }
    if (clip->rg_Top < 0)
        set_top_level(clip, whole_port(rp));
    if (region->rg_Top >= 0) {
        if (!top_level_has_rects(clip))
            set_top_level(clip, whole_port(rp));
        CombineRegionRegion(clip, region, op);
        apply_clip(rp);
    }
    return bounds_result(clip);
}

OSMARK_API int32_t InstallClipRect(RastPort* rp, const RectangleBox* box, int32_t op) noexcept
{
    if (box == nullptr)
        return InstallClipRegion(rp, nullptr, op);
    Region* temporary = NewRegion();
    if (temporary == nullptr)
        return 0;
    PushRectRegion(temporary, box, RegionOpUnion);
    const int32_t result = InstallClipRegion(rp, temporary, op);
    DisposeRegion(temporary);
    return result;
}

OSMARK_API int32_t PushClipRegion(RastPort* rp, const Region* region, int32_t op) noexcept
{
    if (rp == nullptr)
        return 0;
    Region* clip = clip_of(rp);
    if (clip == nullptr)
        return 0;
    const RectangleBox nothing{0, 0, 0, 0};
    PushRectRegion(clip, &nothing, RegionOpUnion);
    return InstallClipRegion(rp, region, op);
}

OSMARK_API int32_t PushClipRect(RastPort* rp, const RectangleBox* box, int32_t op) noexcept
{
    if (rp == nullptr || box == nullptr)
        return 0;
    Region* temporary = NewRegion();
    if (temporary == nullptr)
        return 0;
    PushRectRegion(temporary, box, RegionOpUnion);
    PushClipRegion(rp, temporary, op);
    DisposeRegion(temporary);
    return 0;
}

OSMARK_API int32_t PopClipRegion(RastPort* rp) noexcept
{
    if (rp == nullptr)
        return 0;
    Region* clip = clip_of(rp);
    if (clip == nullptr)
        return 0;
    PopRegion(clip);
    apply_clip(rp);
    return bounds_result(clip);
}

OSMARK_API int32_t OffsetClipRegion(RastPort* rp, int32_t dx, int32_t dy) noexcept
{
    if (rp == nullptr)
        return 0;
    Region* clip = clip_of(rp);
    if (clip == nullptr)
        return 0;
    ensure_whole_port_level(rp, clip);
    OffsetRegion(clip, dx, dy);
    apply_clip(rp);
    return bounds_result(clip);
}
}

extern "C" {

OSMARK_API RastPort* AllocRegionRastPort(int32_t width, int32_t height) noexcept
{
    BitMap* mask =
        AllocBitMask(static_cast<uint32_t>(width), static_cast<uint32_t>(height), nullptr);
    if (mask == nullptr)
        return nullptr;
    RastPort* rp = AllocBitMapRastPort(mask);
    if (rp == nullptr) {
        FreeBitMap(mask);
        return nullptr;
    }
    SetDrMd(rp, DrawModeTransparent);
    SetRast(rp, 0xFFFFFF);
    SetAPen(rp, 0);
    SetBPen(rp, 0);
    return rp;
}

OSMARK_API void FreeRegionRastPort(RastPort* rp, Region* region) noexcept
{
    if (rp == nullptr)
        return;
    BitMap* mask = rp->rp_BitMap;
    FreeBitMapRastPort(rp);
    if (region != nullptr && mask != nullptr && region_pool() != nullptr) {
        if (region->rg_Top >= 0 && region->rg_Levels[region->rg_Top] != nullptr)
            region->rg_Levels[region->rg_Top]->rrl_Count = 0;
        for (int32_t y = 0; y < mask->bm_Height; ++y) {
            int32_t x = 0;
            while (x < mask->bm_Width) {
                if (GetBitMapPixel(mask, x, y) != 0) {
                    ++x;
                    continue;
                }
                const int32_t start = x;
                while (x < mask->bm_Width && GetBitMapPixel(mask, x, y) == 0)
                    ++x;
                const RectangleBox run{start, y, x, y + 1};
                if (region->rg_Top < 0) {
                    PushRectRegion(region, &run, RegionOpUnion);
                    continue;
                }
                RegionRectList* list = region->rg_Levels[region->rg_Top];
                RectangleBox* last = list != nullptr && list->rrl_Count > 0
                                         ? &list->rrl_Rects[list->rrl_Count - 1]
                                         : nullptr;
                // A run continues the rectangle above it only when that ends on the row
                // just above: a white row between them stays outside.
                if (last != nullptr && last->x0 == run.x0 && last->x1 == run.x1 && last->y1 == y) {
                    last->y1 = y + 1;
                } else {
                    append_rect(region, run);
                }
            }
        }
        recompute_bounds(region);
    }
    FreeBitMap(mask);
}
}
