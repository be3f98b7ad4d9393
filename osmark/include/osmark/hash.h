/*
 * Hash: a table of string keys with pointer-wide values. Each bucket holds a chain in
 * ascending key order by StrCmp; keys are unique and case-sensitive. The table owns
 * copies of its keys (AllocStr) and never touches what the values point to.
 *
 * The record and its bucket heads are one block from HashCreate; free it with
 * HashDelete. The counts are statistics that are raised, never lowered.
 */
#ifndef OSMARK_HASH_H
#define OSMARK_HASH_H

#include "osmark/api.h"

OSMARK_BEGIN_DECLS

typedef struct HashEntry {
    struct HashEntry* he_Next;
    char* he_Key;          /* owned copy */
    uintptr_t he_Value;
} HashEntry;

typedef struct Hash {
    int32_t hs_BucketCount;   /* an odd prime, or 1 */
    int32_t hs_UsedBuckets;   /* raised each time an empty bucket receives an entry */
    int32_t hs_LongestChain;  /* longest chain seen after an addition */
    HashEntry** hs_Buckets;   /* hs_BucketCount chain heads, inside the same block */
} Hash;

/* Called for an entry by HashWalk; returning 0 stops the walk. */
typedef int32_t (*HashWalkFunc)(Hash* hash, int32_t bucket, const char* key, uintptr_t value,
                                uintptr_t user_data);

/* A table of at least size buckets: an even size is made odd, then raised by 2 until
 * prime (0 gives 1 bucket, 2 gives 3, 10 and 9 give 11). NULL with -1 when memory fails
 * or the size cannot be held. */
OSMARK_API Hash* HashCreate(uint32_t size) OSMARK_NOEXCEPT;
/* Adds key with value, or replaces the value of an equal key. 0; -1 when memory
 * fails (the table is unchanged); -4 for a NULL hash or key. */
OSMARK_API int32_t HashAdd(Hash* hash, const char* key, uintptr_t value) OSMARK_NOEXCEPT;
/* 1 with *value set, or 0 with *value = 0 and -12 when the key is absent; -4 for a NULL
 * argument. */
OSMARK_API int32_t HashSearch(Hash* hash, const char* key, uintptr_t* value) OSMARK_NOEXCEPT;
/* Removes the entry and frees its key copy. 0, -12 when absent, -4 for NULL. */
OSMARK_API int32_t HashRemove(Hash* hash, const char* key) OSMARK_NOEXCEPT;
/* Calls callback for every entry, bucket by bucket in index order and along each chain,
 * until it returns 0. The callback may remove the entry it is given. 0; -4 for NULL. */
OSMARK_API int32_t HashWalk(Hash* hash, HashWalkFunc callback, uintptr_t user_data) OSMARK_NOEXCEPT;
/* Frees every entry with its key copy and the table. 0; -4 for NULL. */
OSMARK_API int32_t HashDelete(Hash* hash) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
