// The first pass (block renaming, deletion by rules, duplicate removal, counting), the
// counting walk that stands in for it when it has nothing to do, and the modify pass.

#include <cstring>

#include "filter/expr_evaluator.h"
#include "filter/filter_context.h"
#include "halvern/dxf_writer.h"
#include "halvern/edits.h"
#include "halvern/walkers.h"
#include "model/make_error.h"
#include "osmark/errors.h"
#include "osmark/strings.h"

namespace halvern {

namespace {

const char* entity_name(DXFFilterContext& context) noexcept
{
    const DXFGroupRec* first = FilterGroup(context, 0);
    return first != nullptr && first->dg_Value != nullptr ? first->dg_Value : "";
}

// The first collected group with the code, or NULL.
DXFGroupRec* first_group(DXFFilterContext& context, int32_t code) noexcept
{
    const uint32_t count = PagedArrayGetCount(context.groups);
    for (uint32_t i = 0; i < count; ++i) {
        auto* group = static_cast<DXFGroupRec*>(PagedArrayGet(context.groups, i));
        if (group->dg_Code == code)
            return group;
    }
    return nullptr;
}

// Each character of the name found in the from-string becomes the character at the same
// place of the to-string, or its first character where the to-string is shorter.
void translate_name_chars(const char* from, const char* to, char* name) noexcept
{
    const size_t to_length = std::strlen(to);
    for (char* p = name; *p != '\0'; ++p) {
        const char* found = std::strchr(from, *p);
        if (found == nullptr)
            continue;
        const size_t i = static_cast<size_t>(found - from);
        *p = i < to_length ? to[i] : to[0];
    }
}

bool replace_value(DXFFilterContext& context, DXFGroupRec& group, const char* text) noexcept
{
    char* copy = FilterPoolString(context, text);
    if (copy == nullptr)
        return false;
    // The old text goes with the entity's other texts.
    group.dg_Value = copy;
    return true;
}

void count_entity(DXFFilterContext& context, const char* name) noexcept
{
    struct Counted {
        const char* name;
        FilterCounter counter;
    };
    static constexpr Counted kCounted[] = {
        {"POINT", FilterCounter::Point},         {"LINE", FilterCounter::Line},
        {"3DLINE", FilterCounter::Line},         {"ARC", FilterCounter::Arc},
        {"CIRCLE", FilterCounter::Arc},          {"POLYLINE", FilterCounter::Polyline},
        {"LWPOLYLINE", FilterCounter::Polyline}, {"ELLIPSE", FilterCounter::Ellipse},
        {"SPLINE", FilterCounter::Spline}};
    for (const Counted& counted : kCounted) {
        if (std::strcmp(name, counted.name) == 0) {
            FilterCount(context, counted.counter);
            return;
        }
    }
}

}

bool FilterItemTypeTest(int32_t type) noexcept
{
    return (type >= DXFItemInsert && type <= DXFItemSpline) || type == DXFItemRay ||
           type == DXFItemXLine;
}

bool FilterRenameBlock(DXFFilterContext& context) noexcept
{
    const char* name = entity_name(context);
    const bool is_block = std::strcmp(name, "BLOCK") == 0;
    if (!is_block && std::strcmp(name, "INSERT") != 0)
        return true;
    DXFGroupRec* name_group = first_group(context, 2);
    if (name_group == nullptr)
        return true;
    DXFGroupRec* second_name = is_block ? first_group(context, 3) : nullptr;
    const char* from = context.name_chars_from;
    const char* to = context.name_chars_to;
    if (from != nullptr && to != nullptr && from[0] != '\0' && to[0] != '\0')
        translate_name_chars(from, to, name_group->dg_Value);
    for (const DXFRenameRule* rule : context.options.rename_rules) {
        if (rule->rr_OldName == nullptr || rule->rr_NewName == nullptr ||
            rule->rr_OldName[0] == '\0' || rule->rr_NewName[0] == '\0')
            continue;
        if (StriCmp(name_group->dg_Value, rule->rr_OldName) != 0)
            continue;
        if (!replace_value(context, *name_group, rule->rr_NewName))
            return false;
        if (second_name != nullptr && !replace_value(context, *second_name, rule->rr_NewName))
            return false;
    }
    return true;
}

int32_t FilterDeleteTest(DXFFilterContext& context) noexcept
{
    ItemRec* item = context.current_item;
    if (item == nullptr || !FilterItemTypeTest(item->it_Header.ih_ItemType))
        return 0;
    for (const DXFDeleteRule* rule : context.options.delete_rules) {
        if (rule->dr_Type != DXFF_ANY_TYPE && rule->dr_Type != item->it_Header.ih_ItemType)
            continue;
        int32_t error = 0;
        int32_t position = -1;
        if (ExprEvaluateCondition(&context.drawing, item, rule->dr_Expression, &error, &position) !=
                0 &&
            error == 0)
            return 1;
    }
    return 0;
}

int32_t FilterDuplicateTest(DXFFilterContext& context) noexcept
{
    if (context.current_item == nullptr)
        return 0;
    FilterDuplicateMarks& marks = context.duplicates;
    if (!marks.built) {
        try {
            FilterMarkDuplicates(context.drawing, marks);
        } catch (...) {
            context.failure = make_error(IoErrNoMemory);
            return 0;
        }
    }
    // FilterFindItem has just recorded where the current item stands.
    const std::vector<uint8_t>& flags =
        context.search_in_entities != 0 ? marks.entities : marks.block_items;
    const auto index = static_cast<size_t>(context.search_index);
    return index < flags.size() && flags[index] != 0 ? 1 : 0;
}

int32_t FilterMainPass(DXFFilterContext* context) noexcept
{
    if (!FilterRenameBlock(*context)) {
        context->failure = make_error(IoErrNoMemory);
        return 1;
    }
    if (FilterDeleteTest(*context) != 0)
        return 1;
    if (context->options.remove_duplicates && FilterDuplicateTest(*context) != 0)
        return 1;
    count_entity(*context, entity_name(*context));
    return 0;
}

int32_t FilterCountItem(ItemRec*, ItemRec*, void* user) noexcept
{
    auto& context = *static_cast<DXFFilterContext*>(user);
    ItemRec* walked = context.drawing.dxf_StepItem;
    if (walked == nullptr || walked == context.last_counted)
        return DXFStepContinue;
    context.last_counted = walked;
    switch (walked->it_Header.ih_ItemType) {
    case DXFItemPoint:
        FilterCount(context, FilterCounter::Point);
        break;
    case DXFItemLine:
        FilterCount(context, FilterCounter::Line);
        break;
    case DXFItemArc:
        FilterCount(context, FilterCounter::Arc);
        break;
    case DXFItemPolyline:
        FilterCount(context, FilterCounter::Polyline);
        break;
    case DXFItemEllipse:
        FilterCount(context, FilterCounter::Ellipse);
        break;
    case DXFItemSpline:
        FilterCount(context, FilterCounter::Spline);
        break;
    default:
        break;
    }
    return DXFStepContinue;
}

int32_t FilterModifyPass(DXFFilterContext* context) noexcept
{
    ItemRec* item = context->current_item;
    if (item == nullptr || !FilterItemTypeTest(item->it_Header.ih_ItemType))
        return 0;
    bool changed = false;
    for (const DXFModifyRule* rule : context->options.modify_rules) {
        if (rule->mr_Type != DXFF_ANY_TYPE && rule->mr_Type != item->it_Header.ih_ItemType)
            continue;
        int32_t error = 0;
        int32_t position = -1;
        if (ExprEvaluateCondition(&context->drawing, item, rule->mr_Condition, &error, &position) ==
                0 ||
            error != 0)
            continue;
        // An error of the statement leaves the item as the statement left it.
        ExprRunStatement(&context->drawing, item, rule->mr_Statement, &error, &position);
        changed = true;
    }
    if (!changed)
        return 0;
    WriteDXFEntity(context->fc_Output, &context->drawing, item, 0);
    return 1;
}

}
