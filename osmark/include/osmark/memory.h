/*
 * Counted memory blocks, strings, memory pools and remember chains.
 *
 * Blocks from AllocVec, CAllocVec and ReAllocVec go back with FreeVec; strings from
 * AllocStr with FreeStr. Osmark counts the blocks that are live and the blocks ever
 * allocated (AllocInfo reports both).
 *
 * A pool carves many small blocks out of large puddles, first fit, and frees them one
 * by one (FreeVecPooled) or all at once (DeletePool). Pool blocks are 8-byte aligned
 * and carry an 8-byte header in front of the caller's pointer.
 */
#ifndef OSMARK_MEMORY_H
#define OSMARK_MEMORY_H

#include "osmark/api.h"

OSMARK_BEGIN_DECLS

/* Heap block of size rounded up to a multiple of 4 (0 counts as 1); not cleared.
 * NULL with -1 when the heap refuses. */
OSMARK_API void* AllocVec(uint32_t size) OSMARK_NOEXCEPT;
/* AllocVec of count x size, every byte cleared; NULL with -1 (also on overflow). */
OSMARK_API void* CAllocVec(uint32_t count, uint32_t size) OSMARK_NOEXCEPT;
/* Resizes a block (NULL: a new one), keeping its contents; NULL with -1 on failure,
 * the old block then stays valid. */
OSMARK_API void* ReAllocVec(void* block, uint32_t size) OSMARK_NOEXCEPT;
/* Frees a block of AllocVec/CAllocVec/ReAllocVec; NULL is ignored. Returns 0. */
OSMARK_API int32_t FreeVec(void* block) OSMARK_NOEXCEPT;
/* Writes "ALLOCATIONS: <live>, (TOTAL NUMBER <total>)" into buffer; returns its length. */
OSMARK_API int32_t AllocInfo(char* buffer) OSMARK_NOEXCEPT;

/* A copy of source (length ignored), or with NULL source an empty string in a block of
 * length + 1 bytes. NULL with -1. Free with FreeStr. */
OSMARK_API char* AllocStr(uint32_t length, const char* source) OSMARK_NOEXCEPT;
OSMARK_API int32_t FreeStr(char* string) OSMARK_NOEXCEPT;

typedef struct Pool Pool;

enum PoolFlags {
    PoolFixed = 1,        /* the pool never grows */
    PoolCallerMemory = 2  /* record and puddle lie in caller memory */
};

/* New pool with its first puddle; sizes round up to multiples of 8. NULL with -3 when
 * the threshold exceeds the puddle size, NULL with -1 when memory fails. */
OSMARK_API Pool* CreatePool(uint32_t puddle_size, uint32_t threshold) OSMARK_NOEXCEPT;
/* A pool that never grows, inside the caller's memory of size bytes (flags 1).
 * NULL with -4 for NULL memory, -1 when size does not exceed the pool's overhead. */
OSMARK_API Pool* CreateFixedPool(void* memory, uint32_t size, uint32_t flags) OSMARK_NOEXCEPT;
/* At least size bytes, not cleared; NULL with -4 (NULL pool) or -25 (not a pool), or
 * NULL without code when the pool cannot grow. */
OSMARK_API void* AllocVecPooled(Pool* pool, uint32_t size) OSMARK_NOEXCEPT;
/* Returns a block to its pool; -4 for NULL arguments, -25 for a bad pool or a block
 * that is not in use. A block outside the pool is ignored. */
OSMARK_API void FreeVecPooled(Pool* pool, void* block) OSMARK_NOEXCEPT;
/* Makes every puddle one free block again; all blocks handed out are void. */
OSMARK_API void EmptyPool(Pool* pool) OSMARK_NOEXCEPT;
/* Frees the wholly free puddles; 1 when no used block is left, else 0. */
OSMARK_API int32_t CompactPool(Pool* pool) OSMARK_NOEXCEPT;
/* Frees the pool and every block in it (caller memory stays the caller's). */
OSMARK_API void DeletePool(Pool* pool) OSMARK_NOEXCEPT;

/* Remember chains: blocks allocated together and freed together. */
typedef struct Remember {
    struct Remember* rm_NextRemember;
    uint32_t rm_RememberSize;
    void* rm_Memory;
} Remember;

/* Allocates size bytes and records them on the chain of *key; NULL with -1 or -4. */
OSMARK_API void* AllocRemember(Remember** key, uint32_t size) OSMARK_NOEXCEPT;
/* Frees the chain's records (and with free_blocks non-zero their blocks); *key = NULL. */
OSMARK_API void FreeRemember(Remember** key, int32_t free_blocks) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
