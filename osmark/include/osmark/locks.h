/*
 * Locks and shared memory: the library-wide lock, semaphores (named ones are shared by
 * every process that opens the same name), section semaphores that their owning
 * thread may take repeatedly, and named shared-memory blocks.
 *
 * The Semaphore and SectionSemaphore records belong to the caller. A NULL record
 * leaves -4 and does nothing else. System failures leave their translated code
 * (SetIoErrFromWin32).
 */
#ifndef OSMARK_LOCKS_H
#define OSMARK_LOCKS_H

#include "osmark/api.h"
#include "osmark/lists.h"
#include "platform/win_types.h"

OSMARK_BEGIN_DECLS

/* Enters the library lock, waiting while another thread holds it. The lock is
 * recursive: a thread may enter again and must leave as often. */
OSMARK_API void Forbid(void) OSMARK_NOEXCEPT;
/* Leaves the library lock. */
OSMARK_API void Permit(void) OSMARK_NOEXCEPT;

/* A semaphore of one holder at a time. Fill in sem_Name (NULL: unnamed; the text stays
 * the caller's) before AllocSemaphore. */
typedef struct Semaphore {
    HANDLE sem_Semaphore; /* the system semaphore; NULL when not allocated */
    char* sem_Name;
} Semaphore;

/* Creates the system semaphore (count 1), or opens it when the name exists already.
 * 1, or 0 with the translated system error. */
OSMARK_API int32_t AllocSemaphore(Semaphore* semaphore) OSMARK_NOEXCEPT;
/* Closes the system semaphore and clears the handle. */
OSMARK_API void FreeSemaphore(Semaphore* semaphore) OSMARK_NOEXCEPT;
/* Waits without limit until it holds the semaphore; the wait's result: 0 when held,
 * 0xFFFFFFFF on failure (with the translated system error). */
OSMARK_API uint32_t ObtainSemaphore(Semaphore* semaphore) OSMARK_NOEXCEPT;
/* Takes the semaphore only when that can be done at once: 1 when taken, else 0. */
OSMARK_API int32_t AttemptSemaphore(Semaphore* semaphore) OSMARK_NOEXCEPT;
/* Releases the semaphore once. */
OSMARK_API void DropSemaphore(Semaphore* semaphore) OSMARK_NOEXCEPT;

/* A lock that its owning thread may take repeatedly; each take needs its drop. */
typedef struct SectionSemaphore {
    int32_t ss_NestCount; /* 0 when free */
    uint32_t ss_Owner;    /* thread id of the owner; 0 when free */
    HANDLE ss_Semaphore;  /* unnamed system semaphore */
} SectionSemaphore;

/* Clears the record and creates its system semaphore; on failure the handle stays
 * NULL with the translated system error, and taking the lock fails. */
OSMARK_API void InitialiseSectionSemaphore(SectionSemaphore* section) OSMARK_NOEXCEPT;
/* Closes the system semaphore and clears the record. */
OSMARK_API void DeleteSectionSemaphore(SectionSemaphore* section) OSMARK_NOEXCEPT;
/* Takes the lock, waiting as needed; the owner takes it again by raising the nest
 * count. */
OSMARK_API void ObtainSectionSemaphore(SectionSemaphore* section) OSMARK_NOEXCEPT;
/* Takes the lock only when that can be done at once: 1 when the caller holds it
 * afterwards, else 0. */
OSMARK_API int32_t AttemptSectionSemaphore(SectionSemaphore* section) OSMARK_NOEXCEPT;
/* Undoes one take by the owner; the last one releases the lock. Calls from other
 * threads do nothing. */
OSMARK_API void DropSectionSemaphore(SectionSemaphore* section) OSMARK_NOEXCEPT;

/*
 * Named shared-memory blocks. Every process that opens the same name maps the same
 * memory. The block begins with a header in the mapping (little-endian 32-bit words:
 * "MEM ", the number of mappings open on it, its total size), then the caller's data.
 * The creator chooses the size; a later opener gets the creator's size whatever it
 * asked for. The record is Osmark's (read-only for callers); FreeVecShared releases it,
 * and unloading Osmark releases every block still open.
 */
typedef struct SharedBlock {
    Node sb_Node;          /* on Osmark's list; type 7, ln_Name a copy of the block's name */
    uint32_t sb_Size;      /* data bytes: the header's total size less 12 */
    uint32_t* sb_UseCount; /* the header's count of mappings */
    void* sb_View;         /* this process's view: the header, then the data */
    HANDLE sb_Mapping;     /* the system mapping */
} SharedBlock;

#define SharedBlockNodeType 7

/* Opens the named block, or creates it with room for size bytes of data (total size
 * size + 15 rounded down to a multiple of 4, data size the total less 12). NULL with
 * -4 for a NULL name, -1 when memory fails, -25 when the named mapping is not a shared
 * block, or the translated system error. */
OSMARK_API SharedBlock* AllocVecShared(const char* name, uint32_t size) OSMARK_NOEXCEPT;
/* The address of the data in this process's view; NULL with -25 for a record that is
 * not open (-4 for NULL). */
OSMARK_API void* AddressOfShared(SharedBlock* block) OSMARK_NOEXCEPT;
/* Unmaps and releases the block; the memory goes when no process maps it any longer.
 * -25 for a record that is not open. */
OSMARK_API void FreeVecShared(SharedBlock* block) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
