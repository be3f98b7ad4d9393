/*
 * Call-back hooks: a record whose entry is called with the hook, an object and a
 * message. A class of the object system is a hook whose entry is its dispatcher.
 *
 * The entry's result is pointer-wide, since a method may answer an object.
 */
#ifndef OSMARK_HOOKS_H
#define OSMARK_HOOKS_H

#include "osmark/api.h"
#include "osmark/lists.h"

OSMARK_BEGIN_DECLS

struct Hook;
typedef uintptr_t (*HookEntry)(struct Hook* hook, void* object, void* message);

typedef struct Hook {
    MinNode h_MinNode;      /* so that hooks can be kept on a list */
    HookEntry h_Entry;
    HookEntry h_SubEntry;   /* for the owner's use */
    uintptr_t h_Data;       /* for the owner's use */
} Hook;

/* Calls the hook's entry; (uintptr_t)-1 when the hook or its entry is NULL. */
OSMARK_API uintptr_t CallHookA(Hook* hook, void* object, void* message) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

/*
 * CallHook(hook, object, word...): CallHookA with the words that follow, as an array
 * of pointer-wide slots, for the message; so a method id and its arguments can be
 * passed inline.
 */
#ifdef __cplusplus
#include <type_traits>

template <typename Word>
inline uintptr_t osmark_hook_word(Word word) noexcept
{
    if constexpr (std::is_pointer_v<Word>)
        return reinterpret_cast<uintptr_t>(word);
    else
        return static_cast<uintptr_t>(word);
}

template <typename... Words>
inline uintptr_t CallHook(Hook* hook, void* object, Words... words) noexcept
{
    uintptr_t message[] = {osmark_hook_word(words)..., 0};
    return CallHookA(hook, object, message);
}
#else
#define CallHook(hook, object, ...) \
    CallHookA((hook), (object), (void*)(uintptr_t[]){__VA_ARGS__})
#endif

#endif
