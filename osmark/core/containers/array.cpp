// Array: a growable vector of pointer-wide items with one slot always spare.

#include "osmark/array.h"

#include "core/containers/container_algorithms.h"
#include "core/memory/memory_internal.h"
#include "core/runtime/make_error.h"
#include "osmark/errors.h"
#include "osmark/memory.h"

#include <cstddef>
#include <cstring>
#include <limits>

namespace {

constexpr uint32_t kDefaultGrowth = 16;
// A growth step of 0 would never make room.
constexpr uint32_t kGrowthForZero = 2;

static_assert(offsetof(Array, ar_Count) == 0, "ArrayGetCount and ArrayClear rely on the count coming first");

bool present(const Array* array)
{
    if (array == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return false;
    }
    return true;
}

bool in_range(const Array* array, uint32_t index)
{
    if (index >= array->ar_Count) {
        osmark::set_io_error(IoErrBufferOverflow);
        return false;
    }
    return true;
}

bool set_capacity(Array* array, uint32_t capacity)
{
    if (capacity == array->ar_Capacity)
        return true;
    auto* items = static_cast<uintptr_t*>(
        osmark::allocate_counted(uint64_t{capacity} * sizeof(uintptr_t), false));
    if (items == nullptr)
        return false;
    uint32_t kept = 0;
    if (array->ar_Items != nullptr && array->ar_Count != 0)
        kept = array->ar_Capacity < capacity ? array->ar_Capacity : capacity;
    if (kept != 0)
        std::memcpy(items, array->ar_Items, size_t{kept} * sizeof(uintptr_t));
    // Every slot that was not carried over reads 0, so growing never exposes garbage.
    std::memset(items + kept, 0, size_t{capacity - kept} * sizeof(uintptr_t));
    FreeVec(array->ar_Items);
    array->ar_Items = items;
    array->ar_Capacity = capacity;
    if (array->ar_Count > capacity)
        array->ar_Count = capacity;
    return true;
}

// Grows by whole growth steps until count + 1 < capacity.
bool expand(Array* array)
{
    const uint64_t needed = uint64_t{array->ar_Count} + 2;
    if (needed <= array->ar_Capacity)
        return true;
    const uint64_t step = array->ar_Growth != 0 ? array->ar_Growth : kGrowthForZero;
    const uint64_t steps = (needed - array->ar_Capacity + step - 1) / step;
    const uint64_t capacity = array->ar_Capacity + steps * step;
    if (capacity > std::numeric_limits<uint32_t>::max()) {
        osmark::set_io_error(IoErrNoMemory);
        return false;
    }
    return set_capacity(array, static_cast<uint32_t>(capacity));
}

bool set_count(Array* array, uint32_t count)
{
    if (count == array->ar_Count)
        return true;
    if (uint64_t{count} + 1 >= array->ar_Capacity) {
        // One slot stays spare, so a count of 0xFFFFFFFF can never be held.
        if (count == std::numeric_limits<uint32_t>::max()) {
            osmark::set_io_error(IoErrBufferOverflow);
            return false;
        }
        if (!set_capacity(array, count + 1))
            return false;
    }
    if (count > array->ar_Count)
        std::memset(array->ar_Items + array->ar_Count, 0, size_t{count - array->ar_Count} * sizeof(uintptr_t));
    array->ar_Count = count;
    return true;
}

int64_t index_of(const Array* array, uintptr_t item)
{
    for (uint32_t i = 0; i < array->ar_Count; ++i) {
        if (array->ar_Items[i] == item)
            return i;
    }
    return -1;
}

void remove_at(Array* array, uint32_t index)
{
    std::memmove(array->ar_Items + index, array->ar_Items + index + 1,
                 size_t{array->ar_Count - index - 1} * sizeof(uintptr_t));
    --array->ar_Count;
}

}

extern "C" {

OSMARK_API Array* ArrayCreate(void) noexcept
{
    auto* array = static_cast<Array*>(AllocVec(sizeof(Array)));
    if (array == nullptr)
        return nullptr;
    array->ar_Count = 0;
    array->ar_Capacity = 0;
    array->ar_Growth = kDefaultGrowth;
    array->ar_Items = nullptr;
    return array;
}

OSMARK_API void ArrayDelete(Array* array) noexcept
{
    if (!present(array))
        return;
    FreeVec(array->ar_Items);
    FreeVec(array);
}

OSMARK_API uint32_t ArrayGetCount(const Array* array) noexcept
{
    return present(array) ? array->ar_Count : 0;
}

OSMARK_API void ArrayClear(Array* array) noexcept
{
    if (present(array))
        array->ar_Count = 0;
}

OSMARK_API uintptr_t ArrayGet(const Array* array, uint32_t index) noexcept
{
    if (!present(array) || !in_range(array, index))
        return 0;
    return array->ar_Items[index];
}

OSMARK_API uintptr_t ArrayPut(Array* array, uint32_t index, uintptr_t item) noexcept
{
    if (!present(array))
        return 0;
    // The last index can never be stored: its count would leave no spare slot.
    if (index == std::numeric_limits<uint32_t>::max()) {
        osmark::set_io_error(IoErrBufferOverflow);
        return 0;
    }
    if (index >= array->ar_Count && !set_count(array, index + 1))
        return 0;
    array->ar_Items[index] = item;
    return item;
}

OSMARK_API int32_t ArrayAdd(Array* array, uintptr_t item) noexcept
{
    if (!present(array))
        return -1;
    if (!expand(array))
        return -1;
    const uint32_t index = array->ar_Count;
    array->ar_Items[index] = item;
    array->ar_Count = index + 1;
    return static_cast<int32_t>(index);
}

OSMARK_API void ArrayInsert(Array* array, uint32_t index, uintptr_t item) noexcept
{
    if (!present(array))
        return;
    const uint32_t old_count = array->ar_Count;
    if (ArrayAdd(array, 0) < 0)
        return;
    if (index >= old_count) {
        array->ar_Items[old_count] = item;
        return;
    }
    std::memmove(array->ar_Items + index + 1, array->ar_Items + index,
                 size_t{old_count - index} * sizeof(uintptr_t));
    array->ar_Items[index] = item;
}

OSMARK_API void ArrayRemove(Array* array, uint32_t index) noexcept
{
    if (!present(array) || !in_range(array, index))
        return;
    remove_at(array, index);
}

OSMARK_API int32_t ArrayRemoveItem(Array* array, uintptr_t item) noexcept
{
    if (!present(array))
        return -1;
    const int64_t index = index_of(array, item);
    if (index < 0) {
        osmark::set_io_error(IoErrObjectNotFound);
        return -1;
    }
    remove_at(array, static_cast<uint32_t>(index));
    return static_cast<int32_t>(index);
}

OSMARK_API int32_t ArrayIndexOf(const Array* array, uintptr_t item) noexcept
{
    if (!present(array))
        return -1;
    const int64_t index = index_of(array, item);
    if (index < 0) {
        osmark::set_io_error(IoErrObjectNotFound);
        return -1;
    }
    return static_cast<int32_t>(index);
}

OSMARK_API uintptr_t ArrayFirst(const Array* array) noexcept
{
    return ArrayGet(array, 0);
}

OSMARK_API uintptr_t ArrayLast(const Array* array) noexcept
{
    if (!present(array))
        return 0;
    if (array->ar_Count == 0) {
        osmark::set_io_error(IoErrBufferOverflow);
        return 0;
    }
    return array->ar_Items[array->ar_Count - 1];
}

OSMARK_API int32_t ArrayExchange(Array* array, uint32_t index_a, uint32_t index_b) noexcept
{
    if (!present(array) || !in_range(array, index_a) || !in_range(array, index_b))
        return 0;
    const uintptr_t item = array->ar_Items[index_a];
    array->ar_Items[index_a] = array->ar_Items[index_b];
    array->ar_Items[index_b] = item;
    return 1;
}

OSMARK_API void ArrayMove(Array* array, uint32_t from, uint32_t to) noexcept
{
    if (!present(array) || !in_range(array, from))
        return;
    if (to >= array->ar_Count)
        to = array->ar_Count - 1;
    array->ar_Items[to] = array->ar_Items[from];
}

OSMARK_API int32_t ArraySetCapacity(Array* array, uint32_t capacity) noexcept
{
    return present(array) && set_capacity(array, capacity) ? 1 : 0;
}

OSMARK_API int32_t ArraySetCount(Array* array, uint32_t count) noexcept
{
    return present(array) && set_count(array, count) ? 1 : 0;
}

OSMARK_API int32_t ArrayExpand(Array* array) noexcept
{
    return present(array) && expand(array) ? 1 : 0;
}

OSMARK_API void ArrayPack(Array* array) noexcept
{
    if (!present(array))
        return;
    // One pass keeps the order of the non-zero items and clears the slots they left.
    uint32_t kept = 0;
    for (uint32_t i = 0; i < array->ar_Count; ++i) {
        const uintptr_t item = array->ar_Items[i];
        if (item == 0)
            continue;
        if (i != kept) {
            array->ar_Items[kept] = item;
            array->ar_Items[i] = 0;
        }
        ++kept;
    }
    array->ar_Count = kept;
}

OSMARK_API uintptr_t ArraySearch(const Array* array, uintptr_t key, uint32_t first, uint32_t count,
                                 ArrayCompareFunc compare) noexcept
{
    if (!present(array))
        return 0;
    if (compare == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return 0;
    }
    if (key == 0 || count == 0)
        return 0;
    const uintptr_t* items = array->ar_Items;
    const int64_t found = osmark::halving_search(osmark::clip_range(first, count, array->ar_Count),
                                                 [&](uint32_t at) { return compare(key, items[at]); });
    return found < 0 ? 0 : items[found];
}

OSMARK_API void ArraySort(Array* array, uint32_t first, uint32_t count, ArrayCompareFunc compare) noexcept
{
    if (!present(array))
        return;
    if (compare == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return;
    }
    uintptr_t* items = array->ar_Items;
    osmark::quicksort(
        osmark::clip_range(first, count, array->ar_Count), osmark::PivotChoice::UpperMiddle,
        [&](int64_t a, int64_t b) { return compare(items[a], items[b]); },
        [&](int64_t a, int64_t b) {
            const uintptr_t item = items[a];
            items[a] = items[b];
            items[b] = item;
        });
}

}
