// ScanDXFFilter: the expressions of a tag list tried on empty items, without filtering.

#include "filter/expr_evaluator.h"
#include "filter/filter_context.h"
#include "halvern/filter.h"
#include "halvern/items.h"
#include "osmark/memory.h"

namespace {

// Evaluates text as a condition on an empty item of type; error and position of it.
void try_on_empty_item(DXFDrawingRec& drawing, int32_t type, const char* text, int32_t& error,
                       int32_t& position)
{
    error = 0;
    position = -1;
    if (!halvern::FilterItemTypeTest(type))
        return;
    ItemRec* item = CreateItem(type, 0, 0, 0, 0, drawing.dxf_Pool);
    if (item == nullptr) {
        error = DXFExprNoMemory;
        position = 0;
        return;
    }
    if (type == DXFItemInsert)
        item->it_Insert.in_ArrayKind = 1;
    halvern::ExprEvaluateCondition(&drawing, item, text, &error, &position);
    FreeVecPooled(drawing.dxf_Pool, item);
}

void store(const TagItem* tags, Tag tag, int32_t value)
{
    const TagItem* found = FindTagItem(tag, tags);
    if (found != nullptr && found->ti_Data != 0)
        *reinterpret_cast<int32_t*>(found->ti_Data) = value;
}

}

extern "C" {

HALVERN_API int32_t ScanDXFFilter(const TagItem* tags) noexcept
{
    DXFDrawingRec drawing;
    NewDXFDrawing(&drawing);
    if (drawing.dxf_Pool == nullptr)
        drawing.dxf_Pool = CreatePool(0x4000, 0x4000);
    int32_t answer = -1;
    TagItem* cursor = const_cast<TagItem*>(tags);
    int32_t index = 0;
    for (const TagItem* tag = NextTagItem(&cursor); tag != nullptr;
         tag = NextTagItem(&cursor), ++index) {
        if (tag->ti_Data == 0)
            continue;
        int32_t error = 0;
        int32_t position = -1;
        if (tag->ti_Tag == DXFF_Delete) {
            const auto* rule = reinterpret_cast<const DXFDeleteRule*>(tag->ti_Data);
            try_on_empty_item(drawing, rule->dr_Type, rule->dr_Expression, error, position);
        } else if (tag->ti_Tag == DXFF_Modify) {
            const auto* rule = reinterpret_cast<const DXFModifyRule*>(tag->ti_Data);
            try_on_empty_item(drawing, rule->mr_Type, rule->mr_Condition, error, position);
        }
        if (error != 0) {
            store(tags, DXFF_ErrorCode, error);
            store(tags, DXFF_ErrorPosition, position);
            answer = index;
            break;
        }
    }
    FreeDXFDrawing(&drawing);
    return answer;
}
}
