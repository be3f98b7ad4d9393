// The drawing record: set-up and release, item ids and look-ups, comment UIDs,
// highlighting and the block-label order.

#include "halvern/drawing.h"

#include <cstring>
#include <initializer_list>
#include <type_traits>

#include "model/drawing_internal.h"
#include "osmark/memory.h"
#include "osmark/strings.h"

namespace {

template <typename T>
constexpr bool is_plain_record = std::is_standard_layout_v<T> && std::is_trivially_copyable_v<T>;

static_assert(is_plain_record<DXFDrawingRec> && is_plain_record<ContourDataRec> &&
              is_plain_record<ContourTableRec> && is_plain_record<Rectangle2DRec> &&
              is_plain_record<RectangleRec> && is_plain_record<Point2DRec>);
// The renderer keeps a device context and a pen here: they must hold a whole handle.
static_assert(sizeof(DXFDrawingRec::dxf_Device) == sizeof(void*));
static_assert(sizeof(DXFDrawingRec::dxf_CurrentPen) == sizeof(void*));

constexpr int32_t kLineTypeGrowth = 10;
constexpr int32_t kLayerGrowth = 25;
constexpr int32_t kBlockGrowth = 50;
constexpr int32_t kItemGrowth = 5000;

constexpr char kUidPrefix[] = "UID=";
constexpr int32_t kUidPrefixLength = 4;

// Calls visit(item) for every item of the block buffer and then of the entity buffer.
template <typename Visit>
void for_each_item(DXFDrawingRec& drawing, Visit visit)
{
    for (ItemBufferRec* buffer : {&drawing.dxf_BlockItemBuffer, &drawing.dxf_ItemBuffer}) {
        for (int32_t i = 0; i < buffer->ib_N; ++i) {
            if (buffer->ib_Items[i] != nullptr)
                visit(*buffer->ib_Items[i]);
        }
    }
}

bool is_highlighted(const ItemRec& item)
{
    return (item.it_Header.ih_Flags & DXFItemHighlighted) != 0;
}

// Highlights the item; true when it was not highlighted before.
bool highlight(ItemRec& item)
{
    if (is_highlighted(item))
        return false;
    item.it_Header.ih_Flags |= DXFItemHighlighted;
    return true;
}

// Highlights the stored item that is target (block items looked at first).
bool highlight_stored(DXFDrawingRec& drawing, const ItemRec* target, bool inserts_only)
{
    bool changed = false;
    bool found = false;
    for_each_item(drawing, [&](ItemRec& item) {
        if (found || &item != target)
            return;
        found = true;
        if (!inserts_only || item.it_Header.ih_ItemType == DXFItemInsert)
            changed = highlight(item);
    });
    return changed;
}

}

namespace halvern {

void FreeDXFBlockLabels(DXFDrawingRec* drawing) noexcept
{
    BlockIdentifierBufferRec& blocks = drawing->dxf_BlockIdentifierBuffer;
    for (int32_t i = 0; i < blocks.bib_N; ++i) {
        BlockIdentifierRec* block = blocks.bib_Blocks[i];
        if (block == nullptr)
            continue;
        if (block->bi_Label != nullptr)
            FreeStr(block->bi_Label);
        if (block->bi_LabelAttr.df_Name != nullptr)
            FreeStr(block->bi_LabelAttr.df_Name);
        block->bi_Label = nullptr;
        block->bi_LabelAttr.df_Name = nullptr;
    }
}

}

extern "C" {

HALVERN_API DXFDrawingRec* NewDXFDrawing(DXFDrawingRec* drawing) noexcept
{
    std::memset(static_cast<void*>(drawing), 0, sizeof *drawing);
    drawing->dxf_LineTypeTable.lt_Size = kLineTypeGrowth;
    drawing->dxf_LayerTable.lt_Size = kLayerGrowth;
    drawing->dxf_BlockIdentifierBuffer.bib_Size = kBlockGrowth;
    drawing->dxf_ItemBuffer.ib_Size = kItemGrowth;
    drawing->dxf_BlockItemBuffer.ib_Size = kItemGrowth;
    return SetBlockLabelOrder(drawing, 1, 2, 3, 4, 0);
}

HALVERN_API void FreeDXFDrawing(DXFDrawingRec* drawing) noexcept
{
    halvern::FreeDXFBlockLabels(drawing);
    FreeLineTypeTable(&drawing->dxf_LineTypeTable);
    FreeLayerTable(&drawing->dxf_LayerTable);
    FreeBlockIdentifierBuffer(&drawing->dxf_BlockIdentifierBuffer);
    // The items go with the pool, all at once.
    FreeItemBuffer(&drawing->dxf_ItemBuffer, 0, nullptr);
    FreeItemBuffer(&drawing->dxf_BlockItemBuffer, 0, nullptr);
    ContourTableRec& contours = drawing->dxf_ContourTable;
    FreeVec(contours.ct_Contours);
    contours.ct_Contours = nullptr;
    contours.ct_N = 0;
    contours.ct_Max = 0;
    FreeVec(drawing->dxf_BlockStack);
    drawing->dxf_BlockStack = nullptr;
    // A walk in progress would otherwise keep a pointer into the pool.
    drawing->dxf_StepItem = nullptr;
    if (drawing->dxf_Pool != nullptr)
        DeletePool(drawing->dxf_Pool);
    drawing->dxf_Pool = nullptr;
}

HALVERN_API uint32_t GetUniqueDXFID(DXFDrawingRec* drawing) noexcept
{
    if (drawing == nullptr)
        return 0;
    return ++drawing->dxf_LastID;
}

HALVERN_API ItemRec* GetDXFItem(DXFDrawingRec* drawing, uint32_t id) noexcept
{
    if (drawing == nullptr)
        return nullptr;
    ItemRec* found = nullptr;
    for_each_item(*drawing, [&](ItemRec& item) {
        if (found == nullptr && item.it_Header.ih_ID == id)
            found = &item;
    });
    return found;
}

HALVERN_API ItemRec* GetNextDXFItem(DXFDrawingRec* drawing, uint32_t id) noexcept
{
    if (drawing == nullptr)
        return nullptr;
    for (ItemBufferRec* buffer : {&drawing->dxf_BlockItemBuffer, &drawing->dxf_ItemBuffer}) {
        for (int32_t i = 0; i < buffer->ib_N; ++i) {
            const ItemRec* item = buffer->ib_Items[i];
            if (item == nullptr || item->it_Header.ih_ID != id)
                continue;
            return i + 1 < buffer->ib_N ? buffer->ib_Items[i + 1] : nullptr;
        }
    }
    return nullptr;
}

HALVERN_API char* GetDXFUID(const ItemRec* item) noexcept
{
    if (item == nullptr || item->it_Header.ih_Comments == nullptr)
        return nullptr;
    for (int32_t i = 0; i < item->it_Header.ih_NumComments; ++i) {
        char* line = item->it_Header.ih_Comments[i];
        if (line != nullptr && StrniCmp(line, kUidPrefix, kUidPrefixLength) == 0)
            return line + kUidPrefixLength;
    }
    return nullptr;
}

HALVERN_API uint32_t SetDXFHighlightColour(DXFDrawingRec* drawing, uint32_t colour) noexcept
{
    if (drawing == nullptr)
        return 0;
    const uint32_t previous = drawing->dxf_HighlightColour;
    drawing->dxf_HighlightColour = colour;
    return previous;
}

HALVERN_API int32_t HighlightDXF(DXFDrawingRec* drawing, const char* blockName,
                                 const ItemRec* insert, const ItemRec* item) noexcept
{
    if (drawing == nullptr)
        return 0;
    bool changed = false;
    if (blockName != nullptr) {
        for_each_item(*drawing, [&](ItemRec& candidate) {
            if (candidate.it_Header.ih_ItemType == DXFItemInsert &&
                candidate.it_Insert.in_BlockName != nullptr &&
                StriCmp(candidate.it_Insert.in_BlockName, blockName) == 0 && highlight(candidate))
                changed = true;
        });
    } else if (insert != nullptr) {
        changed = highlight_stored(*drawing, insert, true);
    } else if (item != nullptr) {
        changed = highlight_stored(*drawing, item, false);
    }
    return changed ? 1 : 0;
}

HALVERN_API int32_t ClearDXFHighlight(DXFDrawingRec* drawing) noexcept
{
    if (drawing == nullptr)
        return 0;
    bool had_highlight = false;
    for_each_item(*drawing, [&](ItemRec& item) {
        if (!is_highlighted(item))
            return;
        had_highlight = true;
        item.it_Header.ih_Flags &= ~static_cast<uint32_t>(DXFItemHighlighted);
    });
    return had_highlight ? 1 : 0;
}

HALVERN_API int32_t HighlightDXFContour(DXFDrawingRec* drawing, int32_t contourID) noexcept
{
    if (drawing == nullptr)
        return 0;
    bool changed = false;
    for_each_item(*drawing, [&](ItemRec& item) {
        if (item.it_Header.ih_ContourID == contourID && highlight(item))
            changed = true;
    });
    return changed ? 1 : 0;
}

HALVERN_API DXFDrawingRec* SetBlockLabelOrder(DXFDrawingRec* drawing, int32_t p1, int32_t p2,
                                              int32_t p3, int32_t p4, int32_t p5) noexcept
{
    if (drawing == nullptr)
        return nullptr;
    drawing->dxf_LabelPlace[0] = p1;
    drawing->dxf_LabelPlace[1] = p2;
    drawing->dxf_LabelPlace[2] = p3;
    drawing->dxf_LabelPlace[3] = p4;
    drawing->dxf_LabelPlace[4] = p5;
    return drawing;
}

}
