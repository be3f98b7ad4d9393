// Tag lists and the tag pool.

#include "osmark/tags.h"

#include "core/runtime/startup_steps.h"
#include "osmark/exit_list.h"
#include "osmark/library.h"
#include "osmark/memory.h"

namespace {

// Every tag list made by AllocateTagItems and CloneTagItems is a block of this pool;
// it lives from start-up to unload.
Pool* g_tag_pool = nullptr;

void delete_tag_pool()
{
    DeletePool(g_tag_pool);
    g_tag_pool = nullptr;
}

// Walks read-only lists with the same cursor logic as NextTagItem.
const TagItem* next_data_item(const TagItem** cursor)
{
    return NextTagItem(const_cast<TagItem**>(cursor));
}

bool tag_in_array(Tag tag, const Tag* array)
{
    if (array == nullptr)
        return false;
    for (; *array != 0; ++array) {
        if (*array == tag)
            return true;
    }
    return false;
}

}

namespace osmark {

void InitialiseTagPool()
{
    AddExitProc(&LibraryExitList, delete_tag_pool);
    g_tag_pool = CreatePool(4000, 4000);
}

}

extern "C" {

OSMARK_API TagItem* AllocateTagItems(uint32_t count) noexcept
{
    const uint64_t bytes = (uint64_t{count} + 1) * sizeof(TagItem);
    if (g_tag_pool == nullptr || bytes > 0xFFFFFFF0u)
        return nullptr;
    return static_cast<TagItem*>(AllocVecPooled(g_tag_pool, static_cast<uint32_t>(bytes)));
}

OSMARK_API void FreeTagItems(TagItem* list) noexcept
{
    if (list == nullptr || g_tag_pool == nullptr)
        return;
    FreeVecPooled(g_tag_pool, list);
}

OSMARK_API TagItem* NextTagItem(TagItem** cursor) noexcept
{
    if (cursor == nullptr || *cursor == nullptr)
        return nullptr;
    for (;;) {
        TagItem* item = *cursor;
        switch (item->ti_Tag) {
        case TagEnd:
            return nullptr;
        case TagIgnore:
            *cursor = item + 1;
            break;
        case TagMore:
            *cursor = reinterpret_cast<TagItem*>(item->ti_Data);
            if (*cursor == nullptr)
                return nullptr;
            break;
        case TagSkip:
            // A skip of 0 would never move; treat it as skipping itself.
            *cursor = item + (item->ti_Data != 0 ? item->ti_Data : 1);
            break;
        default:
            *cursor = item + 1;
            return item;
        }
    }
}

OSMARK_API TagItem* FindTagItem(Tag tag, const TagItem* list) noexcept
{
    const TagItem* cursor = list;
    while (const TagItem* item = next_data_item(&cursor)) {
        if (item->ti_Tag == tag)
            return const_cast<TagItem*>(item);
    }
    return nullptr;
}

OSMARK_API uintptr_t GetTagData(Tag tag, uintptr_t default_value, const TagItem* list) noexcept
{
    const TagItem* item = FindTagItem(tag, list);
    return item != nullptr ? item->ti_Data : default_value;
}

OSMARK_API int32_t TagInArray(Tag tag, const Tag* array) noexcept
{
    return tag_in_array(tag, array) ? 1 : 0;
}

OSMARK_API uint32_t PackBoolTags(uint32_t initial_flags, const TagItem* list, const TagItem* map) noexcept
{
    uint32_t flags = initial_flags;
    const TagItem* cursor = list;
    while (const TagItem* item = next_data_item(&cursor)) {
        const TagItem* map_cursor = map;
        while (const TagItem* entry = next_data_item(&map_cursor)) {
            if (entry->ti_Tag != item->ti_Tag)
                continue;
            const uint32_t bits = static_cast<uint32_t>(entry->ti_Data);
            if (item->ti_Data == 0)
                flags &= ~bits;
            else
                flags |= bits;
        }
    }
    return flags;
}

OSMARK_API uint32_t FilterTagItems(TagItem* list, const Tag* array, uint32_t logic) noexcept
{
    uint32_t kept = 0;
    TagItem* cursor = list;
    while (TagItem* item = NextTagItem(&cursor)) {
        const bool listed = tag_in_array(item->ti_Tag, array);
        const bool keep = logic == 0 ? listed : logic == 1 ? !listed : true;
        if (keep)
            ++kept;
        else
            item->ti_Tag = TagIgnore;
    }
    return kept;
}

OSMARK_API void FilterTagChanges(TagItem* change_list, TagItem* reference_list, uint32_t apply) noexcept
{
    TagItem* reference_cursor = reference_list;
    while (TagItem* reference = NextTagItem(&reference_cursor)) {
        TagItem* change_cursor = change_list;
        while (TagItem* change = NextTagItem(&change_cursor)) {
            if (change->ti_Tag != reference->ti_Tag)
                continue;
            if (change->ti_Data == reference->ti_Data) {
                change->ti_Tag = TagIgnore; // it would change nothing
            } else if (apply != 0) {
                // With apply set the reference takes on the change.
                reference->ti_Data = change->ti_Data;
            }
        }
    }
}

OSMARK_API void MapTags(TagItem* list, const TagItem* map, uint32_t keep) noexcept
{
    TagItem* cursor = list;
    while (TagItem* item = NextTagItem(&cursor)) {
        const TagItem* entry = FindTagItem(item->ti_Tag, map);
        if (entry != nullptr)
            item->ti_Tag = static_cast<Tag>(entry->ti_Data);
        else if (keep == 0)
            item->ti_Tag = TagIgnore;
    }
}

OSMARK_API TagItem* CloneTagItems(const TagItem* list) noexcept
{
    uint32_t count = 0;
    const TagItem* cursor = list;
    while (next_data_item(&cursor) != nullptr)
        ++count;
    TagItem* clone = AllocateTagItems(count + 1);
    if (clone == nullptr)
        return nullptr;
    RefreshTagItemClones(clone, list);
    return clone;
}

OSMARK_API void RefreshTagItemClones(TagItem* clone, const TagItem* source) noexcept
{
    if (clone == nullptr)
        return;
    TagItem* out = clone;
    const TagItem* cursor = source;
    while (const TagItem* item = next_data_item(&cursor))
        *out++ = *item;
    out->ti_Tag = TagEnd;
    out->ti_Data = 0;
}

}
