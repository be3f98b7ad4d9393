// The halving search and the quicksort that Array and PagedArray share. Both work on
// positions and reach the elements only through the callables they are given, so the
// item vector and the paged records use one scheme.
#ifndef OSMARK_CORE_CONTAINER_ALGORITHMS_H
#define OSMARK_CORE_CONTAINER_ALGORITHMS_H

#include <cstdint>

namespace osmark {

// Positions [first, first + n) of a container holding count elements, cut at the end.
// Empty when first is not below count.
struct ElementRange {
    uint32_t first = 0;
    uint32_t size = 0;
};

inline ElementRange clip_range(uint32_t first, uint32_t n, uint32_t count)
{
    if (first >= count)
        return {};
    const uint32_t available = count - first;
    return {first, n < available ? n : available};
}

// Halving search: compare_at(position) compares the key with the element there.
// The probe of n elements from lo sits at lo + n/2 for odd n and lo + n/2 - 1 for even
// n, so both halves that remain are never larger than n/2. Returns the position found,
// or -1.
template <typename CompareAt>
int64_t halving_search(ElementRange range, CompareAt compare_at)
{
    uint32_t lo = range.first;
    uint32_t n = range.size;
    while (n >= 2) {
        const bool even = n % 2 == 0;
        const uint32_t probe = lo + n / 2 - (even ? 1 : 0);
        const int32_t order = compare_at(probe);
        if (order == 0)
            return probe;
        if (order < 0) {
            n = even ? n / 2 - 1 : n / 2;
        } else {
            lo = probe + 1;
            n = n / 2;
        }
    }
    if (n == 1 && compare_at(lo) == 0)
        return lo;
    return -1;
}

// Where the pivot of a range lo..hi comes from: Array takes lo + n/2 of its n
// elements, PagedArray lo + (hi - lo)/2 (they differ for even n).
enum class PivotChoice { UpperMiddle, LowerMiddle };

// Quicksort of positions lo..hi (inclusive). compare_at(a, b) compares the elements at
// two positions, exchange(a, b) swaps them. The pivot is moved to lo and stays there
// while the range is partitioned. The larger part is pushed and the smaller one sorted
// next, so the stack never holds more ranges than log2 of the element count.
template <typename CompareAt, typename Exchange>
void quicksort(ElementRange range, PivotChoice pivot_choice, CompareAt compare_at, Exchange exchange)
{
    if (range.size < 2)
        return;
    struct Pending {
        int64_t lo;
        int64_t hi;
    };
    Pending stack[64];
    int depth = 0;
    int64_t lo = range.first;
    int64_t hi = int64_t{range.first} + range.size - 1;
    for (;;) {
        const int64_t middle = pivot_choice == PivotChoice::UpperMiddle ? lo + (hi - lo + 1) / 2
                                                                        : lo + (hi - lo) / 2;
        if (middle != lo)
            exchange(middle, lo);
        int64_t i = lo;
        int64_t j = hi + 1;
        for (;;) {
            do
                ++i;
            while (i <= hi && compare_at(i, lo) <= 0);
            do
                --j;
            while (j > lo && compare_at(j, lo) >= 0);
            if (j < i)
                break;
            if (i != j)
                exchange(i, j);
        }
        if (j != lo)
            exchange(lo, j);

        const int64_t left_size = j - lo;
        const int64_t right_size = hi - i + 1;
        bool continued = false;
        if (left_size < right_size) {
            if (right_size >= 2)
                stack[depth++] = {i, hi};
            if (left_size >= 2) {
                hi = j - 1;
                continued = true;
            }
        } else {
            if (left_size >= 2)
                stack[depth++] = {lo, j - 1};
            if (right_size >= 2) {
                lo = i;
                continued = true;
            }
        }
        if (continued)
            continue;
        if (depth == 0)
            return;
        --depth;
        lo = stack[depth].lo;
        hi = stack[depth].hi;
    }
}

}

#endif
