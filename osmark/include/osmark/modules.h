/*
 * Modules: dynamic libraries loaded by path and searched for entry points.
 *
 * A module name "X.dll" finds "X.dll", "libX.so" or "X.so" in its folder; a name
 * without a folder is looked for in the program's folder first. The path's assign is
 * expanded. The tag lists carry no tags that are read (NULL is fine).
 */
#ifndef OSMARK_MODULES_H
#define OSMARK_MODULES_H

#include "osmark/api.h"
#include "osmark/hooks.h"
#include "osmark/tags.h"

OSMARK_BEGIN_DECLS

/* A loaded module; made by OpenModuleA, released by CloseModuleA. */
typedef struct Module Module;

#define ModuleMagic 0x5A015A01u

/* Loads the module at path. NULL with -4 for a NULL path, -1 when memory fails, or the
 * translated system error when it cannot be loaded. */
OSMARK_API Module* OpenModuleA(const char* path, const TagItem* tags) OSMARK_NOEXCEPT;
/* Unloads the module and frees its record: 0, or -4 for NULL and -25 for a record that
 * is not an open module (a closed one among them). The results are not left for
 * IoErr. */
OSMARK_API int32_t CloseModuleA(Module* module) OSMARK_NOEXCEPT;
/* The address of the entry point that the module (NULL: the program file itself, not
 * Osmark) defines under name. NULL with -4 for a NULL name, -25 for a record that is
 * not an open module, or the translated system error when there is no such entry. */
OSMARK_API void* ModuleLookupA(Module* module, const char* name, const TagItem* tags) OSMARK_NOEXCEPT;

/* CloseModuleA under its twin's name. */
static inline int32_t CloseModule(Module* module)
{
    return CloseModuleA(module);
}

OSMARK_END_DECLS

/*
 * OpenModule(path, tag, data, ...) and ModuleLookup(module, name, tag, data, ...):
 * the A functions with the tag items that follow, written inline. In C the list must
 * end with TagEnd; in C++ the twins end it themselves.
 */
#ifdef __cplusplus
/* Room for the words as tag items plus the end item (an odd last word gets data 0). */
template <typename... Words>
constexpr size_t osmark_inline_tag_count = (sizeof...(Words) + 1) / 2 + 1;

template <typename... Words>
inline const TagItem* osmark_inline_tags(TagItem* items, const Words&... words) noexcept
{
    const uintptr_t flat[] = {osmark_hook_word(words)..., 0, 0, 0};
    for (size_t i = 0; i < osmark_inline_tag_count<Words...>; ++i) {
        items[i].ti_Tag = static_cast<Tag>(flat[2 * i]);
        items[i].ti_Data = flat[2 * i + 1];
    }
    return items;
}

template <typename... Words>
inline Module* OpenModule(const char* path, Words... words) noexcept
{
    TagItem items[osmark_inline_tag_count<Words...>];
    return OpenModuleA(path, osmark_inline_tags(items, words...));
}

template <typename... Words>
inline void* ModuleLookup(Module* module, const char* name, Words... words) noexcept
{
    TagItem items[osmark_inline_tag_count<Words...>];
    return ModuleLookupA(module, name, osmark_inline_tags(items, words...));
}
#else
#define OpenModule(path, ...) OpenModuleA((path), (const TagItem*)(const uintptr_t[]){__VA_ARGS__})
#define ModuleLookup(module, name, ...) \
    ModuleLookupA((module), (name), (const TagItem*)(const uintptr_t[]){__VA_ARGS__})
#endif

#endif
