// Item creation and the item buffers: append, insert, remove and release.
//
// Buffers hold item pointers in drawing order and grow into new pointer arrays; the
// items themselves live in the drawing's pool and are never moved.

#include "halvern/items.h"

#include <cstring>
#include <initializer_list>
#include <type_traits>

#include "halvern/drawing.h"
#include "halvern/geometry.h"
#include "model/item_internal.h"
#include "osmark/memory.h"

namespace {

template <typename T>
constexpr bool is_plain_record = std::is_standard_layout_v<T> && std::is_trivially_copyable_v<T>;

static_assert(is_plain_record<ItemHeaderRec> && is_plain_record<ItemRec> &&
              is_plain_record<ItemBufferRec> && is_plain_record<BlockRec> &&
              is_plain_record<InsertRec> && is_plain_record<PointRec> &&
              is_plain_record<LineRec> && is_plain_record<ArcRec> && is_plain_record<TextRec> &&
              is_plain_record<PolylineRec> && is_plain_record<VertexRec> &&
              is_plain_record<EllipseRec> && is_plain_record<SplineRec> &&
              is_plain_record<FaceRec> && is_plain_record<RayRec> &&
              is_plain_record<CompositeRec> && is_plain_record<VertexListRec> &&
              is_plain_record<DXFGroupRec> && is_plain_record<Point3DRec> &&
              is_plain_record<DXFFontRec>);

// The circular arrangement of an INSERT lies over the rectangular one field by field.
static_assert(offsetof(InsertRec, in_CircRotation) == offsetof(InsertRec, in_Point));
static_assert(offsetof(InsertRec, in_CircRadius) == offsetof(InsertRec, in_Point) + sizeof(double));
static_assert(offsetof(InsertRec, in_CircCentre) ==
              offsetof(InsertRec, in_Point) + 2 * sizeof(double));
static_assert(offsetof(InsertRec, in_CircCentre) + sizeof(Point3DRec) ==
              offsetof(InsertRec, in_Rows));
static_assert(offsetof(InsertRec, in_CircFirst) == offsetof(InsertRec, in_Rows));
static_assert(offsetof(InsertRec, in_CircFirst) + sizeof(Point3DRec) ==
              offsetof(InsertRec, in_ColumnSpacing));
static_assert(offsetof(InsertRec, in_CircStep) == offsetof(InsertRec, in_ColumnSpacing));
static_assert(offsetof(InsertRec, in_CircCount) == offsetof(InsertRec, in_RowSpacing));

// The surface data of a B-spline composite reads as a NURBSurfaceRec.
static_assert(offsetof(CompositeRec, cp_Points) - offsetof(CompositeRec, cp_DegreeU) ==
              offsetof(NURBSurfaceRec, ns_Points));
static_assert(offsetof(CompositeRec, cp_NumU) - offsetof(CompositeRec, cp_DegreeU) ==
              offsetof(NURBSurfaceRec, ns_NumU));
static_assert(offsetof(CompositeRec, cp_KnotsV) - offsetof(CompositeRec, cp_DegreeU) ==
              offsetof(NURBSurfaceRec, ns_KnotsV));
static_assert(offsetof(CompositeRec, cp_DegreeU) % alignof(NURBSurfaceRec) == 0);

// Trailing vertices and points continue the array that starts inside the record.
static_assert(offsetof(PolylineRec, pl_Vertices) + sizeof(VertexRec) == sizeof(PolylineRec));
static_assert(offsetof(SplineRec, sp_Points) + sizeof(Point3DRec) == sizeof(SplineRec));

// Buffers whose grow step is this or less grow by this much.
constexpr int32_t kMinimumItemGrowth = 20;

int32_t growth_of(const ItemBufferRec& buffer)
{
    return buffer.ib_Size > kMinimumItemGrowth ? buffer.ib_Size : kMinimumItemGrowth;
}

// Makes room for one more item, the pointer array coming from pool when one is given.
bool make_room(ItemBufferRec& buffer, Pool* pool)
{
    if (buffer.ib_N < buffer.ib_Max)
        return true;
    if (pool == nullptr)
        return halvern::grow_pointer_array(buffer.ib_Items, buffer.ib_Max, buffer.ib_N,
                                           growth_of(buffer));
    return halvern::grow_pointer_array(
        buffer.ib_Items, buffer.ib_Max, buffer.ib_N, growth_of(buffer),
        [pool](uint32_t bytes) { return AllocVecPooled(pool, bytes); },
        [pool](void* block) { FreeVecPooled(pool, block); });
}

void give_id(DXFDrawingRec* drawing, ItemRec* item)
{
    if (item != nullptr && item->it_Header.ih_ID == 0)
        item->it_Header.ih_ID = GetUniqueDXFID(drawing);
}

int32_t append(DXFDrawingRec* drawing, ItemBufferRec* buffer, ItemRec* item, Pool* pool)
{
    if (!make_room(*buffer, pool))
        return 0;
    give_id(drawing, item);
    buffer->ib_Items[buffer->ib_N++] = item;
    return 1;
}

int32_t index_in(const ItemBufferRec& buffer, const ItemRec* item)
{
    for (int32_t i = 0; i < buffer.ib_N; ++i) {
        if (buffer.ib_Items[i] == item)
            return i;
    }
    return -1;
}

bool insert_at(DXFDrawingRec* drawing, ItemBufferRec& buffer, int32_t index, ItemRec* item)
{
    if (!make_room(buffer, nullptr))
        return false;
    std::memmove(buffer.ib_Items + index + 1, buffer.ib_Items + index,
                 static_cast<size_t>(buffer.ib_N - index) * sizeof(ItemRec*));
    give_id(drawing, item);
    buffer.ib_Items[index] = item;
    ++buffer.ib_N;
    return true;
}

// Block items behind index moved up by one: every reference to them follows.
void renumber_block_references(DXFDrawingRec& drawing, int32_t index)
{
    for (ItemBufferRec* buffer : {&drawing.dxf_BlockItemBuffer, &drawing.dxf_ItemBuffer}) {
        for (int32_t i = 0; i < buffer->ib_N; ++i) {
            ItemRec* item = buffer->ib_Items[i];
            if (item != nullptr && item->it_Header.ih_ItemType == DXFItemInsert &&
                item->it_Insert.in_BlockIndex > index)
                ++item->it_Insert.in_BlockIndex;
        }
    }
    BlockIdentifierBufferRec& blocks = drawing.dxf_BlockIdentifierBuffer;
    for (int32_t i = 0; i < blocks.bib_N; ++i) {
        if (blocks.bib_Blocks[i] != nullptr && blocks.bib_Blocks[i]->bi_BlockData > index)
            ++blocks.bib_Blocks[i]->bi_BlockData;
    }
}

void release_items(ItemBufferRec& buffer, int32_t free_items, Pool* pool)
{
    if (free_items == 0 || pool == nullptr)
        return;
    for (int32_t i = 0; i < buffer.ib_N; ++i) {
        if (buffer.ib_Items[i] != nullptr)
            FreeVecPooled(pool, buffer.ib_Items[i]);
    }
}

void forget_items(ItemBufferRec& buffer)
{
    buffer.ib_Items = nullptr;
    buffer.ib_Max = 0;
    buffer.ib_N = 0;
}

}

extern "C" {

HALVERN_API ItemRec* CreateItem(int32_t type, int32_t extra, int32_t layer, int32_t colour,
                                int32_t lineType, Pool* pool) noexcept
{
    const int64_t payload = halvern::payload_size(type);
    if (payload < 0)
        return nullptr;
    const int64_t size = int64_t{halvern::kItemHeadSize} + payload + extra;
    if (size < int64_t{halvern::kItemHeadSize} || size > INT32_MAX)
        return nullptr;
    auto* item = static_cast<ItemRec*>(AllocVecPooled(pool, static_cast<uint32_t>(size)));
    if (item == nullptr)
        return nullptr;
    std::memset(static_cast<void*>(item), 0, static_cast<size_t>(size));
    ItemHeaderRec& head = item->it_Header;
    head.ih_ItemSize = static_cast<int32_t>(size);
    head.ih_ItemType = type;
    head.ih_Layer = layer;
    head.ih_Colour = colour;
    head.ih_LineType = lineType;
    head.ih_Extrusion = Point3DRec{0.0, 0.0, 1.0};
    head.ih_ContourID = -1;
    head.ih_Line = -1;
    return item;
}

HALVERN_API int32_t AddItem(DXFDrawingRec* drawing, ItemBufferRec* buffer, ItemRec* item) noexcept
{
    return append(drawing, buffer, item, nullptr);
}

HALVERN_API int32_t AddItemPool(DXFDrawingRec* drawing, ItemBufferRec* buffer, ItemRec* item,
                                Pool* pool) noexcept
{
    // Without a pool there is nowhere to take a pooled pointer array from.
    if (pool == nullptr && buffer->ib_N >= buffer->ib_Max)
        return 0;
    return append(drawing, buffer, item, pool);
}

HALVERN_API int32_t InsertItem(DXFDrawingRec* drawing, ItemRec* before, ItemRec* item) noexcept
{
    if (drawing == nullptr)
        return 0;
    const int32_t block_index = index_in(drawing->dxf_BlockItemBuffer, before);
    if (block_index >= 0) {
        if (!insert_at(drawing, drawing->dxf_BlockItemBuffer, block_index, item))
            return 0;
        renumber_block_references(*drawing, block_index);
        return 1;
    }
    const int32_t entity_index = index_in(drawing->dxf_ItemBuffer, before);
    if (entity_index < 0)
        return 0;
    return insert_at(drawing, drawing->dxf_ItemBuffer, entity_index, item) ? 1 : 0;
}

HALVERN_API ItemRec* RemoveItem(ItemBufferRec* buffer, int32_t index) noexcept
{
    if (index < 0 || index >= buffer->ib_N)
        return nullptr;
    ItemRec* item = buffer->ib_Items[index];
    std::memmove(buffer->ib_Items + index, buffer->ib_Items + index + 1,
                 static_cast<size_t>(buffer->ib_N - index - 1) * sizeof(ItemRec*));
    --buffer->ib_N;
    return item;
}

HALVERN_API int32_t FreeItemBuffer(ItemBufferRec* buffer, int32_t freeItems, Pool* pool) noexcept
{
    if (buffer->ib_Items != nullptr) {
        release_items(*buffer, freeItems, pool);
        FreeVec(buffer->ib_Items);
    }
    forget_items(*buffer);
    return 0;
}

HALVERN_API int32_t FreeItemBufferPool(ItemBufferRec* buffer, int32_t freeItems,
                                       Pool* pool) noexcept
{
    if (buffer->ib_Items != nullptr) {
        release_items(*buffer, freeItems, pool);
        FreeVecPooled(pool, buffer->ib_Items);
    }
    forget_items(*buffer);
    return 0;
}

}
