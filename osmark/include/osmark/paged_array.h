/*
 * PagedArray: fixed-size records stored by value in pages that never move, so the
 * address of a record stays valid while the array grows (until PagedArrayDelete).
 *
 * The record at index i lies in page i / pa_RecordsPerPage, at byte
 * (i mod pa_RecordsPerPage) x pa_RecordSize of that page. Pages are allocated on first
 * use and not cleared. Records move only through the swap and copy operations, which an
 * owner may replace for records that need it.
 *
 * A NULL array makes every call fail with -4 for IoErr and its failure result. An index
 * out of range leaves -23; a page or page table that cannot be allocated leaves -1.
 */
#ifndef OSMARK_PAGED_ARRAY_H
#define OSMARK_PAGED_ARRAY_H

#include "osmark/api.h"

OSMARK_BEGIN_DECLS

struct PagedArray;

/* Exchanges the records at a and b. */
typedef void (*PagedArraySwapFunc)(struct PagedArray* array, void* a, void* b);
/* Copies the record at source over the record at destination. */
typedef void (*PagedArrayCopyFunc)(struct PagedArray* array, void* destination, const void* source);
/* Compares a key (PagedArraySearch) or a record (PagedArraySort) with a record:
 * negative, 0 or positive. */
typedef int32_t (*PagedArrayCompareFunc)(struct PagedArray* array, const void* a, const void* b);

typedef struct PagedArray {
    uint32_t pa_Count;           /* records in use; first word, as in Array */
    uint32_t pa_Capacity;        /* records the page table covers */
    uint32_t pa_RecordsPerPage;  /* at least 4 */
    uint32_t pa_RecordSize;      /* bytes, never 0 */
    uint32_t pa_PagesAllocated;  /* pages 0 .. this - 1 have been allocated, in order */
    uint32_t pa_PageTableSize;   /* entries of pa_Pages */
    uint32_t pa_PageTableGrowth; /* 16 from PagedArrayCreate; 0 acts as 1 */
    void** pa_Pages;             /* AllocVec'd; NULL entries for pages not allocated */
    PagedArraySwapFunc pa_Swap;  /* NULL: PagedArrayExchange and PagedArraySort fail */
    PagedArrayCopyFunc pa_Copy;
} PagedArray;

/* A new array of records of record_size bytes; fewer than 5 records per page become 4.
 * NULL with -4 for record size 0, with -1 when memory fails. */
OSMARK_API PagedArray* PagedArrayCreate(uint32_t record_size, uint32_t records_per_page) OSMARK_NOEXCEPT;
/* Frees every page, the page table and the record. */
OSMARK_API void PagedArrayDelete(PagedArray* array) OSMARK_NOEXCEPT;
OSMARK_API uint32_t PagedArrayGetCount(const PagedArray* array) OSMARK_NOEXCEPT;
/* Count 0; pages stay allocated. */
OSMARK_API void PagedArrayClear(PagedArray* array) OSMARK_NOEXCEPT;
/* Address of the record slot at index, its page allocated on first use; the count is
 * not consulted. NULL with -23 for index 0xFFFFFFFF, NULL with -1 when memory fails. */
OSMARK_API void* PagedArrayGet(PagedArray* array, uint32_t index) OSMARK_NOEXCEPT;
/* Copies the record into the slot at index and raises the count to index + 1 when
 * needed. -23 for index 0xFFFFFFFF; nothing changes when the page cannot be allocated. */
OSMARK_API void PagedArrayPut(PagedArray* array, uint32_t index, const void* record) OSMARK_NOEXCEPT;
/* Appends a copy of the record; returns the new count (the record's index + 1), or -1
 * when no page can hold it. */
OSMARK_API int32_t PagedArrayAdd(PagedArray* array, const void* record) OSMARK_NOEXCEPT;
/* Inserts a copy at index, moving later records one place up; an index at or past the
 * count appends. Returns the new count, or -1 when the array cannot grow. */
OSMARK_API int32_t PagedArrayInsert(PagedArray* array, uint32_t index, const void* record) OSMARK_NOEXCEPT;
/* Removes the record at index, moving later records one place down; -23 when
 * index >= count. */
OSMARK_API void PagedArrayRemove(PagedArray* array, uint32_t index) OSMARK_NOEXCEPT;
/* PagedArrayGet of index 0 (the count is not consulted). */
OSMARK_API void* PagedArrayFirst(PagedArray* array) OSMARK_NOEXCEPT;
/* PagedArrayGet of count - 1, or of 0 when the array is empty. */
OSMARK_API void* PagedArrayLast(PagedArray* array) OSMARK_NOEXCEPT;
/* Swaps two records with the swap operation; 1, or 0 with -22 when there is none,
 * with -23 when either index >= count. */
OSMARK_API int32_t PagedArrayExchange(PagedArray* array, uint32_t index_a, uint32_t index_b) OSMARK_NOEXCEPT;
/* Copies the record at from over the record at to (to is cut to count - 1); -23 when
 * from >= count. */
OSMARK_API void PagedArrayMove(PagedArray* array, uint32_t from, uint32_t to) OSMARK_NOEXCEPT;
/* Makes the page table cover the page of index and allocates the pages up to it.
 * 1, or 0 when the table or a page cannot be allocated. */
OSMARK_API int32_t PagedArraySetCapacity(PagedArray* array, uint32_t index) OSMARK_NOEXCEPT;
/* Sets the count, covering it first when needed; new records are not cleared.
 * 1, or 0 when the array cannot cover the count. */
OSMARK_API int32_t PagedArraySetCount(PagedArray* array, uint32_t count) OSMARK_NOEXCEPT;
/* When the count has reached the capacity, grows the table by its growth step (plus
 * one page) and allocates the new pages. 1, or 0 when it cannot grow. */
OSMARK_API int32_t PagedArrayExpand(PagedArray* array) OSMARK_NOEXCEPT;
/* 1 when the page of index is allocated, else 0. */
OSMARK_API int32_t PagedArrayIndexAvailable(const PagedArray* array, uint32_t index) OSMARK_NOEXCEPT;
/* Halving search of the sorted range of up to count records from first, with
 * compare(array, key, record); the record's address, or NULL. */
OSMARK_API void* PagedArraySearch(PagedArray* array, const void* key, uint32_t first, uint32_t count,
                                  PagedArrayCompareFunc compare) OSMARK_NOEXCEPT;
/* Quicksort of the range of up to count records from first with compare(array, a, b),
 * exchanging with the swap operation; not stable. -4 for a NULL array or compare, -22
 * without swap operation. */
OSMARK_API void PagedArraySort(PagedArray* array, uint32_t first, uint32_t count,
                               PagedArrayCompareFunc compare) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
