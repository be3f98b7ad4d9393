// Quicksort and halving search over arrays of fixed-size elements.

#include "osmark/numbers.h"

#include <utility>

namespace {

// Ranges this short are sorted by selection instead of being partitioned.
constexpr int64_t kSelectionLimit = 8;
// The larger part is the one pushed, so the stack never holds more than the base-2
// logarithm of the element count.
constexpr int kStackSize = 64;

class ElementArray {
public:
    ElementArray(void* base, int32_t width, OsmarkCompareFunc compare)
        : m_base(static_cast<unsigned char*>(base)), m_width(static_cast<size_t>(width)), m_compare(compare)
    {
    }

    unsigned char* at(int64_t index) const { return m_base + static_cast<size_t>(index) * m_width; }

    int32_t compare(int64_t a, int64_t b) const { return m_compare(at(a), at(b)); }

    void exchange(int64_t a, int64_t b) const
    {
        if (a == b)
            return;
        unsigned char* x = at(a);
        unsigned char* y = at(b);
        for (size_t i = 0; i < m_width; ++i)
            std::swap(x[i], y[i]);
    }

    // The greatest element (the first of equal ones) goes to the end, and the range
    // shrinks from the end.
    void selection_sort(int64_t lo, int64_t hi) const
    {
        for (; hi > lo; --hi) {
            int64_t greatest = lo;
            for (int64_t i = lo + 1; i <= hi; ++i) {
                if (compare(i, greatest) > 0)
                    greatest = i;
            }
            exchange(greatest, hi);
        }
    }

    // Partitions lo..hi around its middle element. Afterwards lo..last_low holds the
    // elements not above the pivot and first_high..hi those not below it; the pivot
    // and the equal elements between the parts are in place.
    void partition(int64_t lo, int64_t hi, int64_t& last_low, int64_t& first_high) const
    {
        exchange(lo + (hi - lo + 1) / 2, lo);
        int64_t i = lo;
        int64_t j = hi + 1;
        for (;;) {
            do
                ++i;
            while (i <= hi && compare(i, lo) <= 0);
            do
                --j;
            while (j > lo && compare(j, lo) >= 0);
            if (j < i)
                break;
            exchange(i, j);
        }
        exchange(lo, j);
        last_low = j - 1;
        first_high = i;
    }

private:
    unsigned char* m_base;
    size_t m_width;
    OsmarkCompareFunc m_compare;
};

struct Range {
    int64_t lo;
    int64_t hi;
};

}

extern "C" {

OSMARK_API void QSort(void* base, int32_t count, int32_t width, OsmarkCompareFunc compare) noexcept
{
    if (base == nullptr || compare == nullptr || count < 2 || width < 1)
        return;
    const ElementArray elements(base, width, compare);
    Range stack[kStackSize];
    int depth = 0;
    Range range{0, count - 1};
    for (;;) {
        if (range.hi - range.lo + 1 <= kSelectionLimit) {
            elements.selection_sort(range.lo, range.hi);
        } else {
            int64_t last_low = 0;
            int64_t first_high = 0;
            elements.partition(range.lo, range.hi, last_low, first_high);
            const Range low{range.lo, last_low};
            const Range high{first_high, range.hi};
            const int64_t low_count = low.hi - low.lo + 1;
            const int64_t high_count = high.hi - high.lo + 1;
            const bool low_is_smaller = low_count < high_count;
            const Range& pushed = low_is_smaller ? high : low;
            const Range& kept = low_is_smaller ? low : high;
            if (pushed.hi - pushed.lo + 1 >= 2 && depth < kStackSize)
                stack[depth++] = pushed;
            if (kept.hi - kept.lo + 1 >= 2) {
                range = kept;
                continue;
            }
        }
        if (depth == 0)
            return;
        range = stack[--depth];
    }
}

OSMARK_API void* BSearch(const void* key, const void* base, int32_t count, int32_t width,
                         OsmarkCompareFunc compare) noexcept
{
    if (key == nullptr || base == nullptr || compare == nullptr || count < 1 || width < 1)
        return nullptr;
    const unsigned char* elements = static_cast<const unsigned char*>(base);
    const size_t size = static_cast<size_t>(width);
    int64_t lo = 0;
    int64_t n = count;
    while (n >= 2) {
        const int64_t half = n / 2;
        const bool odd = n % 2 != 0;
        const int64_t probe = odd ? lo + half : lo + half - 1;
        const unsigned char* element = elements + static_cast<size_t>(probe) * size;
        const int32_t order = compare(key, element);
        if (order == 0)
            return const_cast<unsigned char*>(element);
        if (order < 0) {
            n = odd ? half : half - 1;
        } else {
            lo = probe + 1;
            n = half;
        }
    }
    if (n == 1 && compare(key, elements + static_cast<size_t>(lo) * size) == 0)
        return const_cast<unsigned char*>(elements + static_cast<size_t>(lo) * size);
    return nullptr;
}

}
