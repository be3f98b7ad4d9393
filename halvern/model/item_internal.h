// Sizes of item records and the growth of pointer tables, shared by the drawing-model
// sources.
#ifndef HALVERN_MODEL_ITEM_INTERNAL_H
#define HALVERN_MODEL_ITEM_INTERNAL_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>

#include "halvern/drawing.h"
#include "halvern/items.h"
#include "osmark/memory.h"

namespace halvern {

// Every payload starts right behind the head, at the same offset.
inline constexpr size_t kItemHeadSize = offsetof(ItemRec, it_Block);

// Bytes of the payload record of an item type (0 for the types that carry only their
// head); -1 for a number that is no item type.
constexpr int64_t payload_size(int32_t type)
{
    switch (type) {
    case DXFItemBlock: return sizeof(BlockRec);
    case DXFItemInsert: return sizeof(InsertRec);
    case DXFItemPoint: return sizeof(PointRec);
    case DXFItemLine: return sizeof(LineRec);
    case DXFItemArc: return sizeof(ArcRec);
    case DXFItemText: return sizeof(TextRec);
    case DXFItemPolyline: return sizeof(PolylineRec);
    case DXFItemEllipse: return sizeof(EllipseRec);
    case DXFItemSpline: return sizeof(SplineRec);
    case DXFItem3DFace: return sizeof(FaceRec);
    case DXFItemRay:
    case DXFItemXLine: return sizeof(RayRec);
    case DXFItemComposite: return sizeof(CompositeRec);
    default: return type >= DXFItemBlock && type <= DXFItemComposite ? 0 : -1;
    }
}

// The pointer array of a table, grown by step into a new block; the entries it points
// to never move. Alloc and Free take and return the blocks (AllocVec or a pool).
// Returns false, with the table unchanged, when the array cannot be allocated.
template <typename Entry, typename Alloc, typename Free>
bool grow_pointer_array(Entry**& array, int32_t& capacity, int32_t count, int32_t step,
                        Alloc alloc, Free release)
{
    if (step <= 0 || capacity < 0 || count < 0 || count > capacity)
        return false;
    const int64_t new_capacity = int64_t{capacity} + step;
    const int64_t bytes = new_capacity * int64_t{sizeof(Entry*)};
    if (new_capacity > std::numeric_limits<int32_t>::max() ||
        bytes > std::numeric_limits<uint32_t>::max())
        return false;
    auto* grown = static_cast<Entry**>(alloc(static_cast<uint32_t>(bytes)));
    if (grown == nullptr)
        return false;
    if (array != nullptr && count > 0)
        std::memcpy(grown, array, static_cast<size_t>(count) * sizeof(Entry*));
    if (array != nullptr)
        release(array);
    array = grown;
    capacity = static_cast<int32_t>(new_capacity);
    return true;
}

// grow_pointer_array with AllocVec and FreeVec.
template <typename Entry>
bool grow_pointer_array(Entry**& array, int32_t& capacity, int32_t count, int32_t step)
{
    return grow_pointer_array(
        array, capacity, count, step, [](uint32_t bytes) { return AllocVec(bytes); },
        [](void* block) { FreeVec(block); });
}

}

#endif
