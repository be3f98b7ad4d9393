// Regions: stacks of levels of disjoint rectangles in the region pool, combined with
// boxes and with other regions; the two rectangle functions of the library.

#include "graphics_internal.h"

#include "core/runtime/debug_flags.h"
#include "osmark/exit_list.h"
#include "osmark/gui_services.h"
#include "osmark/library.h"
#include "platform/user.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace {

using namespace osmark::graphics;

constexpr int32_t kListGrowth = 50;
constexpr int32_t kLevelGrowth = 5;

Pool* g_region_pool = nullptr;

bool is_empty(const RectangleBox& box)
{
    return box.x1 <= box.x0 || box.y1 <= box.y0;
}

bool overlap(const RectangleBox& a, const RectangleBox& b)
{
    return a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1;
}

RectangleBox overlap_of(const RectangleBox& a, const RectangleBox& b)
{
    return {std::max(a.x0, b.x0), std::max(a.y0, b.y0), std::min(a.x1, b.x1), std::min(a.y1, b.y1)};
}

// The parts of b outside a (a inside b): left strip, above, below, right strip; only
// the non-empty ones.
std::vector<RectangleBox> split_rectangle(const RectangleBox& b, const RectangleBox& a)
{
    std::vector<RectangleBox> parts;
    const RectangleBox candidates[4] = {{b.x0, b.y0, a.x0, b.y1},
                                        {a.x0, b.y0, a.x1, a.y0},
                                        {a.x0, a.y1, a.x1, b.y1},
                                        {a.x1, b.y0, b.x1, b.y1}};
    for (const RectangleBox& part : candidates) {
        if (!is_empty(part))
            parts.push_back(part);
    }
    return parts;
}

size_t list_bytes(int32_t capacity)
{
    return offsetof(RegionRectList, rrl_Rects) +
           static_cast<size_t>(capacity) * sizeof(RectangleBox);
}

RegionRectList* new_list(int32_t capacity)
{
    auto* list = static_cast<RegionRectList*>(
        AllocVecPooled(g_region_pool, static_cast<uint32_t>(list_bytes(capacity))));
    if (list != nullptr) {
        list->rrl_Count = 0;
        list->rrl_Capacity = capacity;
    }
    return list;
}

RegionRectList* top_list(const Region* region)
{
    if (region == nullptr || region->rg_Top < 0 || region->rg_Levels == nullptr)
        return nullptr;
    return region->rg_Levels[region->rg_Top];
}

std::vector<RectangleBox> rects_of(const RegionRectList* list)
{
    if (list == nullptr)
        return {};
    return std::vector<RectangleBox>(list->rrl_Rects, list->rrl_Rects + list->rrl_Count);
}

// Stores the rectangles (empty ones dropped) as the top level, growing its list by 50s.
// When the list cannot grow, the rectangles that fit are kept.
void store_rects(Region* region, const std::vector<RectangleBox>& rects)
{
    RegionRectList*& list = region->rg_Levels[region->rg_Top];
    int32_t wanted = 0;
    for (const RectangleBox& box : rects)
        wanted += is_empty(box) ? 0 : 1;
    if (list == nullptr || wanted > list->rrl_Capacity) {
        int32_t capacity = list != nullptr ? list->rrl_Capacity : kListGrowth;
        while (capacity < wanted)
            capacity += kListGrowth;
        if (RegionRectList* grown = new_list(capacity); grown != nullptr) {
            FreeVecPooled(g_region_pool, list);
            list = grown;
        }
    }
    if (list == nullptr)
        return;
    list->rrl_Count = 0;
    for (const RectangleBox& box : rects) {
        if (!is_empty(box) && list->rrl_Count < list->rrl_Capacity)
            list->rrl_Rects[list->rrl_Count++] = box;
    }
}

bool bounds_not_empty(const Region* region)
{
    return !is_empty(region->rg_Bounds);
}

// Cuts every rectangle of `rects` that overlaps the box around the overlap: the first
// part replaces it, further parts are appended, a rectangle with nothing left empties.
void cut_around(std::vector<RectangleBox>& rects, const RectangleBox& box)
{
    const size_t count = rects.size();
    for (size_t i = 0; i < count; ++i) {
        if (is_empty(rects[i]) || !overlap(rects[i], box))
            continue;
        std::vector<RectangleBox> parts = split_rectangle(rects[i], overlap_of(rects[i], box));
        if (parts.empty()) {
            rects[i] = RectangleBox{0, 0, 0, 0};
            continue;
        }
        rects[i] = parts[0];
        rects.insert(rects.end(), parts.begin() + 1, parts.end());
    }
}

void combine_rects(std::vector<RectangleBox>& rects, const RectangleBox& box, int32_t op)
{
    switch (op) {
    case RegionOpUnion:
        if (is_empty(box))
            return;
        cut_around(rects, box);
        rects.push_back(box);
        return;
    case RegionOpIntersection:
        if (is_empty(box))
            return;
        for (RectangleBox& r : rects)
            r = overlap(r, box) ? overlap_of(r, box) : RectangleBox{0, 0, 0, 0};
        return;
    case RegionOpReplace:
        rects.assign(1, box);
        return;
    case RegionOpExclusiveOr: {
        if (is_empty(box))
            return;
        // The box less every rectangle of the level, beside the level less the box:
        // each piece is cut by every rectangle, so the level stays disjoint.
        std::vector<RectangleBox> pieces{box};
        for (const RectangleBox& r : rects) {
            if (!is_empty(r))
                cut_around(pieces, r);
        }
        cut_around(rects, box);
        for (const RectangleBox& piece : pieces) {
            if (!is_empty(piece))
                rects.push_back(piece);
        }
        return;
    }
    case RegionOpSubtract:
        if (is_empty(box))
            return;
        cut_around(rects, box);
        return;
    default:
        return;
    }
}

void clean_up_region_pool()
{
    if (g_region_pool == nullptr)
        return;
    if (osmark::debug_flag_set(DebugRegionPool) && CompactPool(g_region_pool) == 0)
        MessageBoxA(nullptr, "Region Pool is not emptied", "Information", MB_OK);
    DeletePool(g_region_pool);
    g_region_pool = nullptr;
}

// Adds a level above the top: a copy of the top (or an empty level 0). False when no
// slot can be had.
bool push_level(Region* region)
{
    if (region->rg_LevelCapacity == 0 || region->rg_Top >= region->rg_LevelCapacity - 1) {
        const int32_t capacity = region->rg_LevelCapacity + kLevelGrowth;
        auto* levels = static_cast<RegionRectList**>(AllocVecPooled(
            g_region_pool, static_cast<uint32_t>(capacity * sizeof(RegionRectList*))));
        if (levels != nullptr) {
            for (int32_t i = 0; i < capacity; ++i)
                levels[i] =
                    i < region->rg_LevelCapacity ? region->rg_Levels[i] : new_list(kListGrowth);
            FreeVecPooled(g_region_pool, region->rg_Levels);
            region->rg_Levels = levels;
            region->rg_LevelCapacity = capacity;
        }
    }
    if (region->rg_Top + 1 >= region->rg_LevelCapacity)
        return false;
    if (region->rg_Top < 0) {
        region->rg_Top = 0;
        if (region->rg_Levels[0] != nullptr)
            region->rg_Levels[0]->rrl_Count = 0;
        return true;
    }
    const RegionRectList* from = region->rg_Levels[region->rg_Top];
    RegionRectList*& to = region->rg_Levels[region->rg_Top + 1];
    if (from != nullptr) {
        if (RegionRectList* copy = new_list(from->rrl_Capacity); copy != nullptr) {
            std::memcpy(copy, from, list_bytes(from->rrl_Count));
            copy->rrl_Capacity = from->rrl_Capacity;
            FreeVecPooled(g_region_pool, to);
            to = copy;
        }
    }
    ++region->rg_Top;
    return true;
}

}

namespace osmark::graphics {

Pool* region_pool()
{
    return g_region_pool;
}

void recompute_bounds(Region* region)
{
    RectangleBox bounds{0, 0, 0, 0};
    if (const RegionRectList* list = top_list(region); list != nullptr) {
        for (int32_t i = 0; i < list->rrl_Count; ++i)
            UnionRectangle(&bounds, &bounds, &list->rrl_Rects[i]);
    }
    region->rg_Bounds = bounds;
}

bool top_level_has_rects(const Region* region)
{
    const RegionRectList* list = top_list(region);
    return list != nullptr && list->rrl_Count > 0;
}

void append_rect(Region* region, const RectangleBox& box)
{
    if (region->rg_Top < 0 && !push_level(region))
        return;
    if (RegionRectList* list = top_list(region);
        list != nullptr && list->rrl_Count < list->rrl_Capacity) {
        list->rrl_Rects[list->rrl_Count++] = box;
        return;
    }
    try {
        std::vector<RectangleBox> rects = rects_of(top_list(region));
        rects.push_back(box);
        store_rects(region, rects);
    } catch (const std::bad_alloc&) {
        // The rectangle is not added.
    }
}

void set_top_level(Region* region, const RectangleBox& box)
{
    if (region->rg_Top < 0 && !push_level(region))
        return;
    store_rects(region, {box});
    recompute_bounds(region);
}

}

extern "C" {

OSMARK_API int32_t UnionRectangle(RectangleBox* result, const RectangleBox* a,
                                  const RectangleBox* b) noexcept
{
    if (result == nullptr || a == nullptr || b == nullptr)
        return 0;
    const RectangleBox first = *a;
    const RectangleBox second = *b;
    if (is_empty(first)) {
        *result = is_empty(second) ? RectangleBox{0, 0, 0, 0} : second;
        return is_empty(second) ? 0 : 1;
    }
    if (is_empty(second)) {
        *result = first;
        return 1;
    }
    *result = {std::min(first.x0, second.x0), std::min(first.y0, second.y0),
               std::max(first.x1, second.x1), std::max(first.y1, second.y1)};
    return 1;
}

OSMARK_API int32_t IntersectRectangle(RectangleBox* result, const RectangleBox* a,
                                      const RectangleBox* b) noexcept
{
    if (result == nullptr || a == nullptr || b == nullptr)
        return 0;
    const RectangleBox first = *a;
    const RectangleBox second = *b;
    if (is_empty(first)) {
        *result = is_empty(second) ? RectangleBox{0, 0, 0, 0} : second;
        return is_empty(second) ? 0 : 1;
    }
    if (is_empty(second)) {
        *result = first;
        return 1;
    }
    if (first.x0 <= second.x1 && first.x1 >= second.x0 && first.y0 <= second.y1 &&
        first.y1 >= second.y0) {
        *result = overlap_of(first, second);
        return 1;
    }
    *result = RectangleBox{0, 0, 0, 0};
    return 0;
}

OSMARK_API Region* NewRegion(void) noexcept
{
    if (g_region_pool == nullptr)
        return nullptr;
    auto* region = static_cast<Region*>(AllocVecPooled(g_region_pool, sizeof(Region)));
    if (region == nullptr)
        return nullptr;
    std::memset(region, 0, sizeof(Region));
    region->rg_Top = -1;
    return region;
}

OSMARK_API void DisposeRegion(Region* region) noexcept
{
    if (region == nullptr || g_region_pool == nullptr)
        return;
    for (int32_t i = 0; i < region->rg_LevelCapacity; ++i)
        FreeVecPooled(g_region_pool, region->rg_Levels[i]);
    FreeVecPooled(g_region_pool, region->rg_Levels);
    FreeVecPooled(g_region_pool, region);
}

OSMARK_API int32_t CombineRectRegion(Region* region, const RectangleBox* box, int32_t op) noexcept
{
    if (g_region_pool == nullptr || region == nullptr)
        return 0;
    if (box == nullptr)
        return bounds_not_empty(region) ? 1 : 0;
    if (region->rg_Top < 0)
        return PushRectRegion(region, box, op);
    try {
        std::vector<RectangleBox> rects = rects_of(top_list(region));
        combine_rects(rects, *box, op);
        store_rects(region, rects);
    } catch (const std::bad_alloc&) {
        // The level stays as it was.
    }
    recompute_bounds(region);
    return bounds_not_empty(region) ? 1 : 0;
}

OSMARK_API int32_t PushRectRegion(Region* region, const RectangleBox* box, int32_t op) noexcept
{
    if (g_region_pool == nullptr || region == nullptr || box == nullptr)
        return 0;
    if (!push_level(region))
        return 0;
    return CombineRectRegion(region, box, op);
}

OSMARK_API int32_t CombineRegionRegion(Region* destination, const Region* source,
                                       int32_t op) noexcept
{
    if (g_region_pool == nullptr || destination == nullptr)
        return 0;
    const RegionRectList* from = top_list(source);
    if (from == nullptr)
        return bounds_not_empty(destination) ? 1 : 0;
    if (destination->rg_Top < 0)
        return PushRegionRegion(destination, source, op);
    try {
        const std::vector<RectangleBox> sources = rects_of(from);
        std::vector<RectangleBox> rects = rects_of(top_list(destination));
        if (op == RegionOpReplace) {
            rects.clear();
            for (const RectangleBox& box : sources)
                combine_rects(rects, box, RegionOpUnion);
        } else if (op == RegionOpIntersection) {
            // The parts of the level that lie in any source rectangle.
            std::vector<RectangleBox> kept;
            for (const RectangleBox& box : sources) {
                std::vector<RectangleBox> part = rects;
                combine_rects(part, box, RegionOpIntersection);
                kept.insert(kept.end(), part.begin(), part.end());
            }
            rects = std::move(kept);
        } else {
            for (const RectangleBox& box : sources)
                combine_rects(rects, box, op);
        }
        store_rects(destination, rects);
    } catch (const std::bad_alloc&) {
        // The level stays as it was.
    }
    recompute_bounds(destination);
    return bounds_not_empty(destination) ? 1 : 0;
}

OSMARK_API int32_t PushRegionRegion(Region* destination, const Region* source, int32_t op) noexcept
{
    if (g_region_pool == nullptr || destination == nullptr || source == nullptr)
        return 0;
    if (!push_level(destination))
        return 0;
    return CombineRegionRegion(destination, source, op);
}

OSMARK_API int32_t PopRegion(Region* region) noexcept
{
    if (g_region_pool == nullptr || region == nullptr || region->rg_Top < 0)
        return 0;
    if (RegionRectList* list = top_list(region); list != nullptr)
        list->rrl_Count = 0;
    --region->rg_Top;
    recompute_bounds(region);
    return 1;
}

OSMARK_API void OffsetRegion(Region* region, int32_t dx, int32_t dy) noexcept
{
    RegionRectList* list = g_region_pool != nullptr ? top_list(region) : nullptr;
    if (list == nullptr)
        return;
    for (int32_t i = 0; i < list->rrl_Count; ++i) {
        RectangleBox& box = list->rrl_Rects[i];
        box = {box.x0 + dx, box.y0 + dy, box.x1 + dx, box.y1 + dy};
    }
    recompute_bounds(region);
}

OSMARK_API int32_t PointInRegion(const Region* region, int32_t x, int32_t y) noexcept
{
    const RegionRectList* list = g_region_pool != nullptr ? top_list(region) : nullptr;
    if (list == nullptr)
        return 0;
    for (int32_t i = 0; i < list->rrl_Count; ++i) {
        const RectangleBox& box = list->rrl_Rects[i];
        if (box.x0 <= x && x < box.x1 && box.y0 <= y && y < box.y1)
            return 1;
    }
    return 0;
}

OSMARK_API void DrawRegion(RastPort* rp, const Region* region) noexcept
{
    const RegionRectList* list = g_region_pool != nullptr ? top_list(region) : nullptr;
    if (list == nullptr || rp == nullptr || rp->rp_Lock == 1 || rp->rp_APen == ColourNone ||
        list->rrl_Count == 0)
        return;
    auto covered = [region](int32_t x, int32_t y) { return PointInRegion(region, x, y) != 0; };
    // Runs of an edge whose neighbour on the outside is not in the region, each drawn
    // one pixel longer at an inner start so that it meets the edge it turns into.
    auto edge = [&](bool vertical, int32_t line, int32_t probe, int32_t from, int32_t to) {
        int32_t i = from;
        while (i < to) {
            const bool outside = vertical ? !covered(probe, i) : !covered(i, probe);
            if (!outside) {
                ++i;
                continue;
            }
            const int32_t start = i;
            while (i < to && (vertical ? !covered(probe, i) : !covered(i, probe)))
                ++i;
            const int32_t first = start == from ? start : start - 1;
            const int32_t last = i < to ? i + 1 : to;
            if (vertical) {
                Move(rp, line, first);
                Draw(rp, line, last);
            } else {
                Move(rp, first, line);
                Draw(rp, last, line);
            }
        }
    };
    for (int32_t k = 0; k < list->rrl_Count; ++k) {
        const RectangleBox box = list->rrl_Rects[k];
        edge(true, box.x0, box.x0 - 1, box.y0, box.y1);
        edge(true, box.x1 - 1, box.x1, box.y0, box.y1);
        edge(false, box.y0, box.y0 - 1, box.x0, box.x1);
        edge(false, box.y1 - 1, box.y1, box.x0, box.x1);
    }
}

OSMARK_API void AreaRegion(RastPort* rp, const Region* region) noexcept
{
    const RegionRectList* list = g_region_pool != nullptr ? top_list(region) : nullptr;
    if (list == nullptr || rp == nullptr || rp->rp_Lock == 1)
        return;
    if (rp->rp_BPen != ColourNone) {
        for (int32_t i = 0; i < list->rrl_Count; ++i)
            RectangleFill(rp, &list->rrl_Rects[i]);
    }
    if (rp->rp_APen != ColourNone)
        DrawRegion(rp, region);
}

OSMARK_API void InitialiseRegionPool(void) noexcept
{
    g_region_pool = CreatePool(4096, 2048);
    if (g_region_pool != nullptr)
        AddExitProc(&LibraryExitList, clean_up_region_pool);
}
}
