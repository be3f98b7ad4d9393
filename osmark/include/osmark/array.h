/*
 * Array: a growable vector of pointer-wide items (pointers or numbers), which the
 * array never owns. Whenever items are stored one slot is kept spare (capacity > count).
 *
 * The record is shared so that an owner can set the growth step directly (0 acts as
 * 2). Item addresses change when the vector grows; keep items, not their addresses.
 *
 * A NULL array makes every call fail with -4 for IoErr and its failure result. An index
 * out of range leaves -23; a vector that cannot grow leaves -1.
 */
#ifndef OSMARK_ARRAY_H
#define OSMARK_ARRAY_H

#include "osmark/api.h"

OSMARK_BEGIN_DECLS

typedef struct Array {
    uint32_t ar_Count;     /* items in use; first word, as in PagedArray */
    uint32_t ar_Capacity;  /* slots in ar_Items */
    uint32_t ar_Growth;    /* slots added per growth; 16 from ArrayCreate */
    uintptr_t* ar_Items;   /* AllocVec'd vector, NULL until the first growth */
} Array;

/* Compares a key (ArraySearch) or an item (ArraySort) with an item:
 * negative, 0 or positive. */
typedef int32_t (*ArrayCompareFunc)(uintptr_t a, uintptr_t b);

/* An empty array: count 0, capacity 0, growth 16, no vector. NULL with -1. */
OSMARK_API Array* ArrayCreate(void) OSMARK_NOEXCEPT;
/* Frees the vector and the record; the items are not touched. */
OSMARK_API void ArrayDelete(Array* array) OSMARK_NOEXCEPT;
OSMARK_API uint32_t ArrayGetCount(const Array* array) OSMARK_NOEXCEPT;
/* Count 0; the vector stays allocated. */
OSMARK_API void ArrayClear(Array* array) OSMARK_NOEXCEPT;
/* The item at index; 0 with -23 when index >= count. */
OSMARK_API uintptr_t ArrayGet(const Array* array, uint32_t index) OSMARK_NOEXCEPT;
/* Stores the item, raising the count to index + 1 when needed (the slots between
 * read 0). Returns the item, or 0 when the array cannot grow. */
OSMARK_API uintptr_t ArrayPut(Array* array, uint32_t index, uintptr_t item) OSMARK_NOEXCEPT;
/* Appends; returns the item's index, or -1 when the array cannot grow. */
OSMARK_API int32_t ArrayAdd(Array* array, uintptr_t item) OSMARK_NOEXCEPT;
/* Inserts at index, shifting later items up; an index at or past the count appends. */
OSMARK_API void ArrayInsert(Array* array, uint32_t index, uintptr_t item) OSMARK_NOEXCEPT;
/* Removes the item at index, shifting later items down; -23 when index >= count. */
OSMARK_API void ArrayRemove(Array* array, uint32_t index) OSMARK_NOEXCEPT;
/* Removes the first slot holding item; its former index, or -1 with -12. */
OSMARK_API int32_t ArrayRemoveItem(Array* array, uintptr_t item) OSMARK_NOEXCEPT;
/* Index of the first slot holding item, or -1 with -12. */
OSMARK_API int32_t ArrayIndexOf(const Array* array, uintptr_t item) OSMARK_NOEXCEPT;
/* The first / last item; 0 with -23 when the array is empty. */
OSMARK_API uintptr_t ArrayFirst(const Array* array) OSMARK_NOEXCEPT;
OSMARK_API uintptr_t ArrayLast(const Array* array) OSMARK_NOEXCEPT;
/* Swaps two items; 1, or 0 with -23 when either index >= count. */
OSMARK_API int32_t ArrayExchange(Array* array, uint32_t index_a, uint32_t index_b) OSMARK_NOEXCEPT;
/* Copies the item at from over the item at to (to is cut to count - 1); the item at
 * from stays and nothing shifts. -23 when from >= count. */
OSMARK_API void ArrayMove(Array* array, uint32_t from, uint32_t to) OSMARK_NOEXCEPT;
/* Reallocates the vector to exactly capacity slots (new slots cleared) and cuts the
 * count to it. 1, or 0 when the vector cannot be allocated (nothing changes then). */
OSMARK_API int32_t ArraySetCapacity(Array* array, uint32_t capacity) OSMARK_NOEXCEPT;
/* Sets the count; growing clears the new slots, shrinking clears nothing. 1, or 0 when
 * the vector cannot grow. */
OSMARK_API int32_t ArraySetCount(Array* array, uint32_t count) OSMARK_NOEXCEPT;
/* Grows by the growth step until a slot is spare. 1, or 0 when it cannot grow. */
OSMARK_API int32_t ArrayExpand(Array* array) OSMARK_NOEXCEPT;
/* Moves the non-zero items to the front in their order; the count becomes their number. */
OSMARK_API void ArrayPack(Array* array) OSMARK_NOEXCEPT;
/* Halving search of the sorted range of up to count items from first, with
 * compare(key, item); the item found, or 0 (also for a zero key or count). */
OSMARK_API uintptr_t ArraySearch(const Array* array, uintptr_t key, uint32_t first, uint32_t count,
                                 ArrayCompareFunc compare) OSMARK_NOEXCEPT;
/* Quicksort of the range of up to count items from first with compare(item a, item b);
 * not stable. -4 for a NULL array or compare. */
OSMARK_API void ArraySort(Array* array, uint32_t first, uint32_t count,
                          ArrayCompareFunc compare) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
