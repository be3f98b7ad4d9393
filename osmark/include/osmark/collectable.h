/*
 * Collectable: a bag of objects with destructors that are all run at once, newest
 * first (CollectableCollect, CollectableDelete).
 *
 * Every function returns 0, or -4 for a NULL collectable and -25 for a record that is
 * not a live collectable (the call then does nothing), leaving the same code for IoErr.
 */
#ifndef OSMARK_COLLECTABLE_H
#define OSMARK_COLLECTABLE_H

#include "osmark/api.h"

OSMARK_BEGIN_DECLS

typedef struct Collectable Collectable;

typedef void (*CollectableDestructor)(void* object);

/* A new, empty collectable whose entries without destructor use default_destructor
 * (may be NULL). NULL with -1 when memory fails. */
OSMARK_API Collectable* CollectableCreate(CollectableDestructor default_destructor) OSMARK_NOEXCEPT;
/* Adds object with its destructor (NULL: the default one). 0; -1 when memory fails. */
OSMARK_API int32_t CollectableAdd(Collectable* collectable, void* object,
                                  CollectableDestructor destructor) OSMARK_NOEXCEPT;
/* Drops the newest entry holding object without touching the object. 0; -12 when absent. */
OSMARK_API int32_t CollectableRemove(Collectable* collectable, void* object) OSMARK_NOEXCEPT;
/* Runs the destructor of every entry, newest first, and empties the collectable. */
OSMARK_API int32_t CollectableCollect(Collectable* collectable) OSMARK_NOEXCEPT;
/* Collects, then frees the record. */
OSMARK_API int32_t CollectableDelete(Collectable* collectable) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
