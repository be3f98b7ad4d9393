// Copies of items.
//
// An item is one block, so a copy starts as a byte copy of ih_ItemSize bytes; then
// every pointer that would still lead into the source is redirected to storage of the
// copy: the text, knots and weights into the copy's own block, the comment lines and a
// composite's members and surface arrays into copies of their own. A copy therefore
// stays valid after the source's drawing and pool are gone.
//
// A copy in a pool keeps its comment lines in one further pool block. A copy without a
// pool is a single AllocVec block that the caller frees with FreeVec, so its comment
// lines live in the same block behind the item (outside ih_ItemSize); a composite copied
// without a pool has nowhere to keep members and arrays and so carries none.

#include <cstring>
#include <initializer_list>

#include "halvern/items.h"
#include "model/item_internal.h"
#include "osmark/memory.h"

namespace {

using halvern::kItemHeadSize;

constexpr size_t align_up(size_t value)
{
    return (value + 7) & ~size_t{7};
}

// Bytes that the comment lines of an item take as one array of pointers followed by
// the texts.
size_t comment_bytes(const ItemHeaderRec& head)
{
    if (head.ih_NumComments <= 0 || head.ih_Comments == nullptr)
        return 0;
    size_t bytes = static_cast<size_t>(head.ih_NumComments) * sizeof(char*);
    for (int32_t i = 0; i < head.ih_NumComments; ++i) {
        if (head.ih_Comments[i] != nullptr)
            bytes += std::strlen(head.ih_Comments[i]) + 1;
    }
    return bytes;
}

// Lays the source's comment lines out in storage (comment_bytes of them) for the copy.
void place_comments(ItemHeaderRec& copy, const ItemHeaderRec& source, void* storage)
{
    auto** lines = static_cast<char**>(storage);
    char* text = reinterpret_cast<char*>(lines + source.ih_NumComments);
    for (int32_t i = 0; i < source.ih_NumComments; ++i) {
        const char* line = source.ih_Comments[i];
        if (line == nullptr) {
            lines[i] = nullptr;
            continue;
        }
        const size_t length = std::strlen(line) + 1;
        std::memcpy(text, line, length);
        lines[i] = text;
        text += length;
    }
    copy.ih_NumComments = source.ih_NumComments;
    copy.ih_Comments = lines;
}

void drop_comments(ItemHeaderRec& head)
{
    head.ih_NumComments = 0;
    head.ih_Comments = nullptr;
}

char* block_bytes(ItemRec* item)
{
    return reinterpret_cast<char*>(item);
}

// Points tx_Text at the text behind the record when the block has room for one.
void fix_text(ItemRec* copy)
{
    const size_t record_end = kItemHeadSize + sizeof(TextRec);
    if (static_cast<size_t>(copy->it_Header.ih_ItemSize) > record_end)
        copy->it_Text.tx_Text = block_bytes(copy) + record_end;
}

// Points sp_Knots behind the points and sp_Weights behind the knots; an array that the
// block cannot hold by its counts gets NULL rather than a pointer past the block.
void fix_spline(ItemRec* copy)
{
    SplineRec& spline = copy->it_Spline;
    const int64_t size = copy->it_Header.ih_ItemSize;
    const int64_t points_at =
        static_cast<int64_t>(kItemHeadSize + offsetof(SplineRec, sp_Points));
    const bool counts_valid = spline.sp_NumPoints >= 0 && spline.sp_NumKnots >= 0;
    const int64_t points = spline.sp_NumPoints;
    const int64_t knots = spline.sp_NumKnots;
    const int64_t knots_at = points_at + points * static_cast<int64_t>(sizeof(Point3DRec));
    const int64_t weights_at = knots_at + knots * static_cast<int64_t>(sizeof(double));
    const int64_t weights_end = weights_at + points * static_cast<int64_t>(sizeof(double));
    spline.sp_Knots = counts_valid && weights_at <= size
                          ? reinterpret_cast<double*>(block_bytes(copy) + knots_at)
                          : nullptr;
    spline.sp_Weights = counts_valid && weights_end <= size
                            ? reinterpret_cast<double*>(block_bytes(copy) + weights_at)
                            : nullptr;
}

// Refills list (a byte copy of source) with copies of source's members, appended with
// AddItemPool so that they keep their ids. A member that cannot be copied is left out.
void copy_members(ItemBufferRec& list, const ItemBufferRec& source, Pool* pool)
{
    list.ib_Max = 0;
    list.ib_N = 0;
    list.ib_Items = nullptr;
    if (source.ib_Items == nullptr)
        return;
    for (int32_t i = 0; i < source.ib_N; ++i) {
        ItemRec* member = CopyItem(source.ib_Items[i], pool);
        if (member != nullptr && AddItemPool(nullptr, &list, member, pool) == 0)
            FreeVecPooled(pool, member);
    }
}

// A pool block holding rows row pointers, each to columns elements of Element, copied
// from source; NULL for no source or when memory fails.
template <typename Element>
Element** copy_rows(Element* const* source, uint32_t rows, uint32_t columns, Pool* pool)
{
    if (source == nullptr || rows == 0)
        return nullptr;
    const uint64_t bytes =
        uint64_t{rows} * sizeof(Element*) + uint64_t{rows} * columns * sizeof(Element);
    if (bytes > 0xFFFFFFFFu)
        return nullptr;
    auto** copy = static_cast<Element**>(AllocVecPooled(pool, static_cast<uint32_t>(bytes)));
    if (copy == nullptr)
        return nullptr;
    auto* elements = reinterpret_cast<Element*>(copy + rows);
    for (uint32_t row = 0; row < rows; ++row) {
        copy[row] = elements + size_t{row} * columns;
        if (source[row] != nullptr)
            std::memcpy(copy[row], source[row], size_t{columns} * sizeof(Element));
        else
            std::memset(static_cast<void*>(copy[row]), 0, size_t{columns} * sizeof(Element));
    }
    return copy;
}

double* copy_values(const double* source, uint32_t count, Pool* pool)
{
    if (source == nullptr || count == 0 || count > 0xFFFFFFFFu / sizeof(double))
        return nullptr;
    auto* copy = static_cast<double*>(AllocVecPooled(pool, count * uint32_t{sizeof(double)}));
    if (copy != nullptr)
        std::memcpy(copy, source, size_t{count} * sizeof(double));
    return copy;
}

// The knots, weights and control points of a B-spline surface, copied into the pool.
// When one of them cannot be copied the copy holds no surface at all, rather than a
// surface that reads the source's memory.
void copy_surface(CompositeRec& copy, const CompositeRec& source, Pool* pool)
{
    copy.cp_KnotsU = copy_values(source.cp_KnotsU, source.cp_NumKnotsU, pool);
    copy.cp_KnotsV = copy_values(source.cp_KnotsV, source.cp_NumKnotsV, pool);
    copy.cp_Weights = copy_rows(source.cp_Weights, source.cp_NumU, source.cp_NumV, pool);
    copy.cp_Points = copy_rows(source.cp_Points, source.cp_NumU, source.cp_NumV, pool);
    // An array was copied when it exists in the copy or there was nothing to copy.
    auto copied = [](const void* copy_array, const void* source_array, uint32_t count) {
        return copy_array != nullptr || source_array == nullptr || count == 0;
    };
    const bool complete = copied(copy.cp_KnotsU, source.cp_KnotsU, source.cp_NumKnotsU) &&
                          copied(copy.cp_KnotsV, source.cp_KnotsV, source.cp_NumKnotsV) &&
                          copied(copy.cp_Weights, source.cp_Weights, source.cp_NumU) &&
                          copied(copy.cp_Points, source.cp_Points, source.cp_NumU);
    if (complete)
        return;
    for (void* block : {static_cast<void*>(copy.cp_KnotsU), static_cast<void*>(copy.cp_KnotsV),
                        static_cast<void*>(copy.cp_Weights), static_cast<void*>(copy.cp_Points)}) {
        if (block != nullptr)
            FreeVecPooled(pool, block);
    }
    copy.cp_NumKnotsU = copy.cp_NumKnotsV = 0;
    copy.cp_NumU = copy.cp_NumV = copy.cp_NumU2 = copy.cp_NumV2 = 0;
    copy.cp_KnotsU = copy.cp_KnotsV = nullptr;
    copy.cp_Weights = nullptr;
    copy.cp_Points = nullptr;
}

void empty_list(ItemBufferRec& list)
{
    list.ib_Max = 0;
    list.ib_N = 0;
    list.ib_Items = nullptr;
}

// A composite copied without a pool: every list and array is left empty.
void strip_composite(CompositeRec& copy)
{
    switch (copy.cp_Kind) {
    case DXFCompositePlane: empty_list(copy.cp_List4); break;
    case DXFCompositeRevolution: empty_list(copy.cp_List3); break;
    case DXFCompositeRuled:
        empty_list(copy.cp_List1);
        empty_list(copy.cp_List2);
        break;
    case DXFCompositeBSpline:
        copy.cp_NumKnotsU = copy.cp_NumKnotsV = 0;
        copy.cp_NumU = copy.cp_NumV = copy.cp_NumU2 = copy.cp_NumV2 = 0;
        copy.cp_KnotsU = copy.cp_KnotsV = nullptr;
        copy.cp_Weights = nullptr;
        copy.cp_Points = nullptr;
        break;
    default: break;
    }
    empty_list(copy.cp_Outer);
    copy.cp_NumInner = 0;
    copy.cp_Inner = nullptr;
}

void copy_composite(CompositeRec& copy, const CompositeRec& source, Pool* pool)
{
    if (pool == nullptr) {
        strip_composite(copy);
        return;
    }
    copy_members(copy.cp_Outer, source.cp_Outer, pool);

    copy.cp_Inner = nullptr;
    const int32_t inner_count =
        source.cp_Inner != nullptr && source.cp_NumInner > 0 ? source.cp_NumInner : 0;
    const uint64_t inner_bytes = static_cast<uint64_t>(inner_count) * sizeof(ItemBufferRec);
    if (inner_count > 0 && inner_bytes <= 0xFFFFFFFFu)
        copy.cp_Inner = static_cast<ItemBufferRec*>(
            AllocVecPooled(pool, static_cast<uint32_t>(inner_bytes)));
    if (copy.cp_Inner == nullptr) {
        copy.cp_NumInner = 0;
    } else {
        std::memset(static_cast<void*>(copy.cp_Inner), 0, static_cast<size_t>(inner_bytes));
        for (int32_t i = 0; i < inner_count; ++i)
            copy_members(copy.cp_Inner[i], source.cp_Inner[i], pool);
    }

    switch (copy.cp_Kind) {
    case DXFCompositePlane: copy_members(copy.cp_List4, source.cp_List4, pool); break;
    case DXFCompositeRevolution: copy_members(copy.cp_List3, source.cp_List3, pool); break;
    case DXFCompositeRuled:
        copy_members(copy.cp_List1, source.cp_List1, pool);
        copy_members(copy.cp_List2, source.cp_List2, pool);
        break;
    case DXFCompositeBSpline: copy_surface(copy, source, pool); break;
    default: break;
    }
}

}

extern "C" {

HALVERN_API ItemRec* CopyItem(const ItemRec* item, Pool* pool) noexcept
{
    if (item == nullptr || item->it_Header.ih_ItemSize < static_cast<int32_t>(kItemHeadSize))
        return nullptr;
    const size_t item_size = static_cast<size_t>(item->it_Header.ih_ItemSize);
    const size_t comments = comment_bytes(item->it_Header);

    ItemRec* copy = nullptr;
    void* comment_storage = nullptr;
    if (pool == nullptr) {
        const size_t bytes = align_up(item_size) + comments;
        if (bytes > 0xFFFFFFFFu)
            return nullptr;
        copy = static_cast<ItemRec*>(AllocVec(static_cast<uint32_t>(bytes)));
        if (copy == nullptr)
            return nullptr;
        comment_storage = block_bytes(copy) + align_up(item_size);
    } else {
        if (comments > 0xFFFFFFFFu)
            return nullptr;
        copy = static_cast<ItemRec*>(AllocVecPooled(pool, static_cast<uint32_t>(item_size)));
        if (copy == nullptr)
            return nullptr;
        if (comments > 0) {
            comment_storage = AllocVecPooled(pool, static_cast<uint32_t>(comments));
            if (comment_storage == nullptr) {
                FreeVecPooled(pool, copy);
                return nullptr;
            }
        }
    }

    std::memcpy(static_cast<void*>(copy), item, item_size);
    if (comments > 0)
        place_comments(copy->it_Header, item->it_Header, comment_storage);
    else
        drop_comments(copy->it_Header);

    // A block too short for its own record is copied as it is; there is nothing in
    // it to redirect.
    const int64_t record_size =
        static_cast<int64_t>(kItemHeadSize) + halvern::payload_size(copy->it_Header.ih_ItemType);
    if (static_cast<int64_t>(item_size) < record_size)
        return copy;
    switch (copy->it_Header.ih_ItemType) {
    case DXFItemText: fix_text(copy); break;
    case DXFItemSpline: fix_spline(copy); break;
    case DXFItemComposite: copy_composite(copy->it_Composite, item->it_Composite, pool); break;
    default: break;
    }
    return copy;
}

}
