// PagedArray: fixed-size records by value in pages that never move.
//
// Pages are allocated strictly in order: pages 0 .. pa_PagesAllocated - 1 exist and
// every later table entry is NULL. A page that cannot be allocated stops the run there
// and is tried again on the next access, so a missing page is never passed over and a
// record is never reported stored when its page is missing.

#include "osmark/paged_array.h"

#include "core/containers/container_algorithms.h"
#include "core/memory/memory_internal.h"
#include "core/runtime/make_error.h"
#include "osmark/errors.h"
#include "osmark/memory.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <limits>

namespace {

constexpr uint32_t kMinimumRecordsPerPage = 4;
constexpr uint32_t kDefaultPageTableGrowth = 16;
// The index that no record can have: its count would not fit.
constexpr uint32_t kNoIndex = std::numeric_limits<uint32_t>::max();

static_assert(offsetof(PagedArray, pa_Count) == 0, "the count comes first, as in Array");

bool present(const void* array)
{
    if (array == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return false;
    }
    return true;
}

bool in_range(const PagedArray* array, uint32_t index)
{
    if (index >= array->pa_Count) {
        osmark::set_io_error(IoErrBufferOverflow);
        return false;
    }
    return true;
}

void default_swap(PagedArray* array, void* a, void* b)
{
    if (a == nullptr || b == nullptr || a == b)
        return;
    auto* first = static_cast<std::byte*>(a);
    std::swap_ranges(first, first + array->pa_RecordSize, static_cast<std::byte*>(b));
}

void default_copy(PagedArray* array, void* destination, const void* source)
{
    if (destination == nullptr || source == nullptr || destination == source)
        return;
    std::memcpy(destination, source, array->pa_RecordSize);
}

void copy_record(PagedArray* array, void* destination, const void* source)
{
    if (array->pa_Copy != nullptr)
        array->pa_Copy(array, destination, source);
    else
        default_copy(array, destination, source);
}

uint32_t page_of(const PagedArray* array, uint32_t index)
{
    return index / array->pa_RecordsPerPage;
}

bool page_present(const PagedArray* array, uint32_t page)
{
    return page < array->pa_PageTableSize && array->pa_Pages[page] != nullptr;
}

// Address of a record whose page is known to exist.
void* slot(const PagedArray* array, uint32_t index)
{
    const uint64_t offset = uint64_t{index % array->pa_RecordsPerPage} * array->pa_RecordSize;
    return static_cast<std::byte*>(array->pa_Pages[page_of(array, index)]) + offset;
}

bool grow_page_table(PagedArray* array, uint32_t page)
{
    const uint64_t old_size = array->pa_PageTableSize;
    uint64_t size = std::max(uint64_t{page} + 1, old_size + array->pa_PageTableGrowth);
    if (size > std::numeric_limits<uint32_t>::max())
        size = uint64_t{page} + 1;
    auto* pages = static_cast<void**>(osmark::allocate_counted(size * sizeof(void*), false));
    if (pages == nullptr)
        return false;
    if (old_size != 0)
        std::memcpy(pages, array->pa_Pages, old_size * sizeof(void*));
    std::fill(pages + old_size, pages + size, nullptr);
    FreeVec(array->pa_Pages);
    array->pa_Pages = pages;
    array->pa_PageTableSize = static_cast<uint32_t>(size);
    const uint64_t capacity = size * array->pa_RecordsPerPage;
    array->pa_Capacity = static_cast<uint32_t>(std::min<uint64_t>(capacity, kNoIndex));
    return true;
}

// Covers the page of index with the table and allocates every page up to it.
bool set_capacity(PagedArray* array, uint32_t index)
{
    const uint32_t page = page_of(array, index);
    if (page >= array->pa_PageTableSize && !grow_page_table(array, page))
        return false;
    if (array->pa_Pages[page] != nullptr)
        return true;
    const uint64_t page_bytes = uint64_t{array->pa_RecordsPerPage} * array->pa_RecordSize;
    for (uint32_t next = std::min(array->pa_PagesAllocated, page); next <= page; ++next) {
        if (array->pa_Pages[next] != nullptr)
            continue;
        array->pa_Pages[next] = osmark::allocate_counted(page_bytes, false);
        if (array->pa_Pages[next] == nullptr) {
            array->pa_PagesAllocated = next;
            return false;
        }
    }
    array->pa_PagesAllocated = std::max(array->pa_PagesAllocated, page + 1);
    return true;
}

// Makes sure that the pages of every index up to index exist (they are allocated in
// order, so the last one is enough).
bool cover(PagedArray* array, uint32_t index)
{
    return page_present(array, page_of(array, index)) || set_capacity(array, index);
}

void* get(PagedArray* array, uint32_t index)
{
    if (index == kNoIndex) {
        osmark::set_io_error(IoErrBufferOverflow);
        return nullptr;
    }
    return cover(array, index) ? slot(array, index) : nullptr;
}

bool put(PagedArray* array, uint32_t index, const void* record)
{
    void* destination = get(array, index);
    if (destination == nullptr)
        return false;
    copy_record(array, destination, record);
    if (index >= array->pa_Count)
        array->pa_Count = index + 1;
    return true;
}

bool expand(PagedArray* array)
{
    if (array->pa_Count < array->pa_Capacity)
        return true;
    const uint32_t growth = array->pa_PageTableGrowth != 0 ? array->pa_PageTableGrowth : 1;
    const uint64_t index = uint64_t{array->pa_Capacity} + uint64_t{array->pa_RecordsPerPage} * growth;
    if (index >= kNoIndex) {
        osmark::set_io_error(IoErrNoMemory);
        return false;
    }
    return set_capacity(array, static_cast<uint32_t>(index));
}

int32_t add(PagedArray* array, const void* record)
{
    // A failed growth may still have made room (the table grew, or the first pages
    // came before the one that failed); the put below decides.
    expand(array);
    if (array->pa_Count >= array->pa_Capacity)
        return -1;
    if (!put(array, array->pa_Count, record))
        return -1;
    return static_cast<int32_t>(array->pa_Count);
}

}

extern "C" {

OSMARK_API PagedArray* PagedArrayCreate(uint32_t record_size, uint32_t records_per_page) noexcept
{
    if (record_size == 0) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return nullptr;
    }
    auto* array = static_cast<PagedArray*>(AllocVec(sizeof(PagedArray)));
    if (array == nullptr)
        return nullptr;
    array->pa_Count = 0;
    array->pa_Capacity = 0;
    array->pa_RecordsPerPage = records_per_page <= kMinimumRecordsPerPage ? kMinimumRecordsPerPage
                                                                          : records_per_page;
    array->pa_RecordSize = record_size;
    array->pa_PagesAllocated = 0;
    array->pa_PageTableSize = 0;
    array->pa_PageTableGrowth = kDefaultPageTableGrowth;
    array->pa_Pages = nullptr;
    array->pa_Swap = default_swap;
    array->pa_Copy = default_copy;
    return array;
}

OSMARK_API void PagedArrayDelete(PagedArray* array) noexcept
{
    if (!present(array))
        return;
    for (uint32_t page = 0; page < array->pa_PageTableSize; ++page)
        FreeVec(array->pa_Pages[page]);
    FreeVec(array->pa_Pages);
    FreeVec(array);
}

OSMARK_API uint32_t PagedArrayGetCount(const PagedArray* array) noexcept
{
    return present(array) ? array->pa_Count : 0;
}

OSMARK_API void PagedArrayClear(PagedArray* array) noexcept
{
    if (present(array))
        array->pa_Count = 0;
}

OSMARK_API void* PagedArrayGet(PagedArray* array, uint32_t index) noexcept
{
    return present(array) ? get(array, index) : nullptr;
}

OSMARK_API void PagedArrayPut(PagedArray* array, uint32_t index, const void* record) noexcept
{
    if (present(array))
        put(array, index, record);
}

OSMARK_API int32_t PagedArrayAdd(PagedArray* array, const void* record) noexcept
{
    return present(array) ? add(array, record) : -1;
}

OSMARK_API int32_t PagedArrayInsert(PagedArray* array, uint32_t index, const void* record) noexcept
{
    if (!present(array))
        return -1;
    const uint32_t count = array->pa_Count;
    if (index >= count)
        return add(array, record);
    // Room for one more first, so that a failure leaves every record where it was.
    expand(array);
    if (count >= array->pa_Capacity || !cover(array, count))
        return -1;
    for (uint32_t at = count; at > index; --at)
        copy_record(array, slot(array, at), slot(array, at - 1));
    copy_record(array, slot(array, index), record);
    array->pa_Count = count + 1;
    return static_cast<int32_t>(array->pa_Count);
}

OSMARK_API void PagedArrayRemove(PagedArray* array, uint32_t index) noexcept
{
    if (!present(array) || !in_range(array, index))
        return;
    const uint32_t last = array->pa_Count - 1;
    if (!cover(array, last))
        return;
    for (uint32_t at = index; at < last; ++at)
        copy_record(array, slot(array, at), slot(array, at + 1));
    array->pa_Count = last;
}

OSMARK_API void* PagedArrayFirst(PagedArray* array) noexcept
{
    return PagedArrayGet(array, 0);
}

OSMARK_API void* PagedArrayLast(PagedArray* array) noexcept
{
    if (!present(array))
        return nullptr;
    return get(array, array->pa_Count != 0 ? array->pa_Count - 1 : 0);
}

OSMARK_API int32_t PagedArrayExchange(PagedArray* array, uint32_t index_a, uint32_t index_b) noexcept
{
    if (!present(array))
        return 0;
    if (array->pa_Swap == nullptr) {
        osmark::set_io_error(IoErrNotImplemented);
        return 0;
    }
    if (!in_range(array, index_a) || !in_range(array, index_b))
        return 0;
    if (!cover(array, std::max(index_a, index_b)))
        return 0;
    array->pa_Swap(array, slot(array, index_a), slot(array, index_b));
    return 1;
}

OSMARK_API void PagedArrayMove(PagedArray* array, uint32_t from, uint32_t to) noexcept
{
    if (!present(array) || !in_range(array, from))
        return;
    to = std::min(to, array->pa_Count - 1);
    if (!cover(array, std::max(from, to)))
        return;
    copy_record(array, slot(array, to), slot(array, from));
}

OSMARK_API int32_t PagedArraySetCapacity(PagedArray* array, uint32_t index) noexcept
{
    return present(array) && set_capacity(array, index) ? 1 : 0;
}

OSMARK_API int32_t PagedArraySetCount(PagedArray* array, uint32_t count) noexcept
{
    if (!present(array))
        return 0;
    if (count == array->pa_Count)
        return 1;
    if (count >= array->pa_Capacity && (count == kNoIndex || !set_capacity(array, count))) {
        if (count == kNoIndex)
            osmark::set_io_error(IoErrBufferOverflow);
        return 0;
    }
    array->pa_Count = count;
    return 1;
}

OSMARK_API int32_t PagedArrayExpand(PagedArray* array) noexcept
{
    return present(array) && expand(array) ? 1 : 0;
}

OSMARK_API int32_t PagedArrayIndexAvailable(const PagedArray* array, uint32_t index) noexcept
{
    return present(array) && page_present(array, page_of(array, index)) ? 1 : 0;
}

OSMARK_API void* PagedArraySearch(PagedArray* array, const void* key, uint32_t first, uint32_t count,
                                  PagedArrayCompareFunc compare) noexcept
{
    if (!present(array))
        return nullptr;
    if (compare == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return nullptr;
    }
    if (key == nullptr || count == 0)
        return nullptr;
    const osmark::ElementRange range = osmark::clip_range(first, count, array->pa_Count);
    if (range.size == 0 || !cover(array, range.first + range.size - 1))
        return nullptr;
    const int64_t found = osmark::halving_search(
        range, [&](uint32_t at) { return compare(array, key, slot(array, at)); });
    return found < 0 ? nullptr : slot(array, static_cast<uint32_t>(found));
}

OSMARK_API void PagedArraySort(PagedArray* array, uint32_t first, uint32_t count,
                               PagedArrayCompareFunc compare) noexcept
{
    if (!present(array))
        return;
    if (compare == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return;
    }
    if (array->pa_Swap == nullptr) {
        osmark::set_io_error(IoErrNotImplemented);
        return;
    }
    const osmark::ElementRange range = osmark::clip_range(first, count, array->pa_Count);
    if (range.size < 2 || !cover(array, range.first + range.size - 1))
        return;
    const PagedArraySwapFunc swap = array->pa_Swap;
    osmark::quicksort(
        range, osmark::PivotChoice::LowerMiddle,
        [&](int64_t a, int64_t b) {
            return compare(array, slot(array, static_cast<uint32_t>(a)), slot(array, static_cast<uint32_t>(b)));
        },
        [&](int64_t a, int64_t b) {
            swap(array, slot(array, static_cast<uint32_t>(a)), slot(array, static_cast<uint32_t>(b)));
        });
}

}
