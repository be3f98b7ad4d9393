/*
 * Point buffers: growable arrays of Point2DRec through which the profile geometry
 * returns a variable number of points.
 *
 * Buffers are recycled: PointBufferDelete puts a buffer on a free list with its point
 * storage, and the next PointBufferCreate hands it out again, so short-lived working
 * buffers cost no allocation once the free list holds enough. A buffer must not be
 * used after it was deleted. Buffers never deleted are freed when Osmark unloads.
 *
 * The lists are process-wide and unguarded: a buffer belongs to one thread at a time,
 * and buffers are created and deleted on one thread.
 *
 * Every operation accepts a NULL buffer and does nothing, or returns 0 (or the shared
 * point). Memory exhaustion makes create return NULL, add drop its point and set-count
 * stop at the capacity; no error code is set.
 */
#ifndef OSMARK_POINT_BUFFERS_H
#define OSMARK_POINT_BUFFERS_H

#include "osmark/api.h"
#include "osmark/geometry_types.h"
#include "osmark/numbers.h"

OSMARK_BEGIN_DECLS

/* What a buffer handle points at: the count is the second 32-bit field. */
typedef struct PointBufferRec {
    uint32_t grow_step; /* capacity added when an append finds the buffer full */
    uint32_t count;     /* points held */
    uint32_t capacity;  /* points the array can hold */
    Point2DRec* points; /* owned by the buffer */
} PointBufferRec;

typedef PointBufferRec* PointBuffer;

/* A buffer with count 0 and grow step 100; NULL when memory runs out. Give it back
 * with PointBufferDelete. */
OSMARK_API PointBuffer PointBufferCreate(void) OSMARK_NOEXCEPT;
/* Puts the buffer on the free list; one not handed out (or deleted already) is
 * ignored. */
OSMARK_API void PointBufferDelete(PointBuffer buffer) OSMARK_NOEXCEPT;
/* The count. The same routine as ProfileID: both read the second 32-bit field. */
OSMARK_API uint32_t PointBufferGetCount(const PointBufferRec* buffer) OSMARK_NOEXCEPT;
/* The point at index, in place; for an index not below the count, the address of a
 * shared point (0, 0), which callers must not change. */
OSMARK_API Point2DRec* PointBufferGet(PointBuffer buffer, uint32_t index) OSMARK_NOEXCEPT;
/* Appends a copy of the point, growing by the grow step (at least 10) when full. */
OSMARK_API void PointBufferAdd(PointBuffer buffer, const Point2DRec* point) OSMARK_NOEXCEPT;
/* Sets the count, growing the array to count + 1 when it is too small; points between
 * the old and the new count are not cleared. */
OSMARK_API void PointBufferSetCount(PointBuffer buffer, uint32_t count) OSMARK_NOEXCEPT;
/* Sorts up to number points from index first (cut at the count) with QSort; nothing
 * when first is above the count. */
OSMARK_API void PointBufferSort(PointBuffer buffer, uint32_t first, uint32_t number,
                                OsmarkCompareFunc compare) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
