/*
 * Tag lists: arrays of {tag, data} items ended by TagEnd, carrying optional arguments
 * and attributes. Control items chain (TagMore), skip (TagSkip) and neutralise
 * (TagIgnore) entries; every walk obeys them and never returns them.
 *
 * The data word is pointer-wide: it often carries a pointer.
 */
#ifndef OSMARK_TAGS_H
#define OSMARK_TAGS_H

#include "osmark/api.h"

OSMARK_BEGIN_DECLS

typedef uint32_t Tag;

typedef struct TagItem {
    Tag ti_Tag;
    uintptr_t ti_Data;
} TagItem;

enum TagControl {
    TagEnd = 0,    /* the list ends */
    TagIgnore = 1, /* the item is passed over */
    TagMore = 2,   /* continue at the list in ti_Data; NULL ends */
    TagSkip = 3    /* move forward ti_Data items, this one included */
};

/* The libraries' own tags have bit 31 set. */
#define TagUser 0x80000000u

/* Room for count + 1 items from the tag pool, not cleared; NULL when the pool fails. */
OSMARK_API TagItem* AllocateTagItems(uint32_t count) OSMARK_NOEXCEPT;
OSMARK_API void FreeTagItems(TagItem* list) OSMARK_NOEXCEPT;
/* The next data item, advancing *cursor past it; NULL at the end. */
OSMARK_API TagItem* NextTagItem(TagItem** cursor) OSMARK_NOEXCEPT;
OSMARK_API TagItem* FindTagItem(Tag tag, const TagItem* list) OSMARK_NOEXCEPT;
OSMARK_API uintptr_t GetTagData(Tag tag, uintptr_t default_value, const TagItem* list) OSMARK_NOEXCEPT;
/* 1 when tag is in the array of tags ended by 0. */
OSMARK_API int32_t TagInArray(Tag tag, const Tag* array) OSMARK_NOEXCEPT;
OSMARK_API uint32_t PackBoolTags(uint32_t initial_flags, const TagItem* list, const TagItem* map)
    OSMARK_NOEXCEPT;
/* logic 0 keeps items whose tag is in the array, 1 those whose tag is not; the
 * others become TagIgnore. Returns the number kept. */
OSMARK_API uint32_t FilterTagItems(TagItem* list, const Tag* array, uint32_t logic) OSMARK_NOEXCEPT;
OSMARK_API void FilterTagChanges(TagItem* change_list, TagItem* reference_list, uint32_t apply)
    OSMARK_NOEXCEPT;
OSMARK_API void MapTags(TagItem* list, const TagItem* map, uint32_t keep) OSMARK_NOEXCEPT;
/* A flat copy (data items only) in the tag pool; free with FreeTagItems. */
OSMARK_API TagItem* CloneTagItems(const TagItem* list) OSMARK_NOEXCEPT;
OSMARK_API void RefreshTagItemClones(TagItem* clone, const TagItem* source) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
