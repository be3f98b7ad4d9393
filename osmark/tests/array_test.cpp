#include "osmark/array.h"
#include "osmark/errors.h"
#include "osmark/testing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr uintptr_t A = 0xA1;
constexpr uintptr_t B = 0xB2;
constexpr uintptr_t C = 0xC3;
constexpr uintptr_t D = 0xD4;

// An array that is deleted at the end of the test.
struct ArrayOf {
    Array* array = ArrayCreate();

    explicit ArrayOf(const std::vector<uintptr_t>& items = {})
    {
        for (uintptr_t item : items)
            ArrayAdd(array, item);
    }
    ~ArrayOf() { ArrayDelete(array); }
    ArrayOf(const ArrayOf&) = delete;
    ArrayOf& operator=(const ArrayOf&) = delete;

    std::vector<uintptr_t> items() const
    {
        return std::vector<uintptr_t>(array->ar_Items, array->ar_Items + array->ar_Count);
    }
};

int32_t by_value(uintptr_t a, uintptr_t b)
{
    return a < b ? -1 : a > b ? 1 : 0;
}

TEST(Array, GrowsInStepsAndKeepsOneSlotSpare)
{
    ArrayOf a;
    ASSERT_NE(a.array, nullptr);
    EXPECT_EQ(a.array->ar_Capacity, 0u);
    EXPECT_EQ(a.array->ar_Growth, 16u);
    EXPECT_EQ(a.array->ar_Items, nullptr);
    for (uint32_t i = 0; i < 40; ++i) {
        SCOPED_TRACE("add number " + std::to_string(i + 1));
        EXPECT_EQ(ArrayAdd(a.array, 100 + i), static_cast<int32_t>(i));
        // Adds 1..15 fit 16 slots, the 16th needs a spare slot beyond them.
        const uint32_t expected_capacity = (i + 1) / 16 * 16 + 16;
        EXPECT_EQ(a.array->ar_Capacity, expected_capacity);
        EXPECT_GT(a.array->ar_Capacity, ArrayGetCount(a.array));
    }
    for (uint32_t i = 0; i < 40; ++i)
        EXPECT_EQ(ArrayGet(a.array, i), 100 + i);
}

TEST(Array, GrowthStepOfZeroActsAsTwo)
{
    ArrayOf a;
    a.array->ar_Growth = 0;
    EXPECT_EQ(ArrayAdd(a.array, A), 0);
    EXPECT_EQ(a.array->ar_Capacity, 2u);
    EXPECT_EQ(ArrayAdd(a.array, B), 1);
    EXPECT_EQ(a.array->ar_Capacity, 4u);
}

TEST(Array, PutPastTheCountFillsTheGapWithZeros)
{
    ArrayOf a;
    EXPECT_EQ(ArrayPut(a.array, 5, A), A);
    EXPECT_EQ(a.items(), (std::vector<uintptr_t>{0, 0, 0, 0, 0, A}));
    EXPECT_GT(a.array->ar_Capacity, 6u);

    // Slots that held items before a clear must read 0 again, not the old items.
    ArrayOf b({A, B, C, D});
    ArrayClear(b.array);
    EXPECT_EQ(ArrayPut(b.array, 2, D), D);
    EXPECT_EQ(b.items(), (std::vector<uintptr_t>{0, 0, D}));

    EXPECT_EQ(ArrayPut(b.array, 0, A), A);
    EXPECT_EQ(b.items(), (std::vector<uintptr_t>{A, 0, D}));
}

TEST(Array, EditsShiftAsDescribed)
{
    struct Case {
        const char* name;
        std::vector<uintptr_t> before;
        void (*edit)(Array*);
        std::vector<uintptr_t> after;
    };
    const Case cases[] = {
        {"pack 0 A 0 B", {0, A, 0, B}, ArrayPack, {A, B}},
        {"pack keeps order", {A, 0, 0, B, 0, C}, ArrayPack, {A, B, C}},
        {"pack only zeros", {0, 0, 0}, ArrayPack, {}},
        {"pack nothing to do", {A, B}, ArrayPack, {A, B}},
        {"pack empty", {}, ArrayPack, {}},
        {"move 0 to 2", {A, B, C}, [](Array* a) { ArrayMove(a, 0, 2); }, {A, B, A}},
        {"move 2 to 0", {A, B, C}, [](Array* a) { ArrayMove(a, 2, 0); }, {C, B, C}},
        {"move to past the end is cut", {A, B, C}, [](Array* a) { ArrayMove(a, 1, 9); }, {A, B, B}},
        {"insert at 0", {A, B}, [](Array* a) { ArrayInsert(a, 0, C); }, {C, A, B}},
        {"insert in the middle", {A, B}, [](Array* a) { ArrayInsert(a, 1, C); }, {A, C, B}},
        {"insert at the count", {A, B}, [](Array* a) { ArrayInsert(a, 2, C); }, {A, B, C}},
        {"insert past the count appends", {A, B}, [](Array* a) { ArrayInsert(a, 50, C); }, {A, B, C}},
        {"insert into empty", {}, [](Array* a) { ArrayInsert(a, 3, C); }, {C}},
        {"remove first", {A, B, C}, [](Array* a) { ArrayRemove(a, 0); }, {B, C}},
        {"remove last", {A, B, C}, [](Array* a) { ArrayRemove(a, 2); }, {A, B}},
        {"remove item", {A, B, A}, [](Array* a) { EXPECT_EQ(ArrayRemoveItem(a, A), 0); }, {B, A}},
        {"exchange", {A, B, C}, [](Array* a) { EXPECT_EQ(ArrayExchange(a, 0, 2), 1); }, {C, B, A}},
        {"set count shrinks", {A, B, C}, [](Array* a) { EXPECT_EQ(ArraySetCount(a, 1), 1); }, {A}},
        {"set count grows with zeros", {A}, [](Array* a) { EXPECT_EQ(ArraySetCount(a, 3), 1); }, {A, 0, 0}},
        {"set capacity cuts the count", {A, B, C}, [](Array* a) { EXPECT_EQ(ArraySetCapacity(a, 2), 1); }, {A, B}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ArrayOf a(c.before);
        c.edit(a.array);
        EXPECT_EQ(a.items(), c.after);
    }
}

TEST(Array, PackClearsTheSlotsItLeft)
{
    ArrayOf a({0, A, 0, B});
    ArrayPack(a.array);
    ASSERT_EQ(ArrayGetCount(a.array), 2u);
    EXPECT_EQ(a.array->ar_Items[2], 0u);
    EXPECT_EQ(a.array->ar_Items[3], 0u);
}

TEST(Array, OutOfRangeAndMissingItemsLeaveTheirCodes)
{
    struct Case {
        const char* name;
        int64_t (*call)(Array*);
        int64_t result;
        IoErrCode code;
    };
    const Case cases[] = {
        {"get at count", [](Array* a) -> int64_t { return ArrayGet(a, 3); }, 0, IoErrBufferOverflow},
        {"exchange a out", [](Array* a) -> int64_t { return ArrayExchange(a, 3, 0); }, 0, IoErrBufferOverflow},
        {"exchange b out", [](Array* a) -> int64_t { return ArrayExchange(a, 0, 7); }, 0, IoErrBufferOverflow},
        {"index of absent", [](Array* a) -> int64_t { return ArrayIndexOf(a, D); }, -1, IoErrObjectNotFound},
        {"remove absent item", [](Array* a) -> int64_t { return ArrayRemoveItem(a, D); }, -1, IoErrObjectNotFound},
        {"remove at count", [](Array* a) -> int64_t { ArrayRemove(a, 3); return 0; }, 0, IoErrBufferOverflow},
        {"move from count", [](Array* a) -> int64_t { ArrayMove(a, 3, 0); return 0; }, 0, IoErrBufferOverflow},
        {"put at the last index", [](Array* a) -> int64_t { return ArrayPut(a, UINT32_MAX, D); }, 0,
         IoErrBufferOverflow},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ArrayOf a({A, B, C});
        IoErr();
        EXPECT_EQ(c.call(a.array), c.result);
        EXPECT_EQ(IoErr(), c.code);
        EXPECT_EQ(a.items(), (std::vector<uintptr_t>{A, B, C}));
    }

    ArrayOf empty;
    IoErr();
    EXPECT_EQ(ArrayFirst(empty.array), 0u);
    EXPECT_EQ(IoErr(), IoErrBufferOverflow);
    EXPECT_EQ(ArrayLast(empty.array), 0u);
    EXPECT_EQ(IoErr(), IoErrBufferOverflow);
    EXPECT_EQ(ArrayIndexOf(empty.array, A), -1);
    EXPECT_EQ(IoErr(), IoErrObjectNotFound);

    ArrayOf full({A, B, C});
    EXPECT_EQ(ArrayFirst(full.array), A);
    EXPECT_EQ(ArrayLast(full.array), C);
    EXPECT_EQ(ArrayIndexOf(full.array, C), 2);
}

TEST(Array, NullArrayFailsWithoutEffect)
{
    struct Case {
        const char* name;
        int64_t (*call)();
        int64_t result;
    };
    const Case cases[] = {
        {"get count", []() -> int64_t { return ArrayGetCount(nullptr); }, 0},
        {"get", []() -> int64_t { return ArrayGet(nullptr, 0); }, 0},
        {"put", []() -> int64_t { return ArrayPut(nullptr, 0, A); }, 0},
        {"add", []() -> int64_t { return ArrayAdd(nullptr, A); }, -1},
        {"remove item", []() -> int64_t { return ArrayRemoveItem(nullptr, A); }, -1},
        {"index of", []() -> int64_t { return ArrayIndexOf(nullptr, A); }, -1},
        {"first", []() -> int64_t { return ArrayFirst(nullptr); }, 0},
        {"last", []() -> int64_t { return ArrayLast(nullptr); }, 0},
        {"exchange", []() -> int64_t { return ArrayExchange(nullptr, 0, 0); }, 0},
        {"set capacity", []() -> int64_t { return ArraySetCapacity(nullptr, 4); }, 0},
        {"set count", []() -> int64_t { return ArraySetCount(nullptr, 4); }, 0},
        {"expand", []() -> int64_t { return ArrayExpand(nullptr); }, 0},
        {"search", []() -> int64_t { return ArraySearch(nullptr, A, 0, 1, by_value); }, 0},
        {"delete", []() -> int64_t { ArrayDelete(nullptr); return 0; }, 0},
        {"clear", []() -> int64_t { ArrayClear(nullptr); return 0; }, 0},
        {"insert", []() -> int64_t { ArrayInsert(nullptr, 0, A); return 0; }, 0},
        {"remove", []() -> int64_t { ArrayRemove(nullptr, 0); return 0; }, 0},
        {"move", []() -> int64_t { ArrayMove(nullptr, 0, 0); return 0; }, 0},
        {"pack", []() -> int64_t { ArrayPack(nullptr); return 0; }, 0},
        {"sort", []() -> int64_t { ArraySort(nullptr, 0, 2, by_value); return 0; }, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IoErr();
        EXPECT_EQ(c.call(), c.result);
        EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
    }

    ArrayOf a({B, A});
    IoErr();
    ArraySort(a.array, 0, 2, nullptr);
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
    EXPECT_EQ(a.items(), (std::vector<uintptr_t>{B, A}));
}

TEST(Array, FailedGrowthChangesNothing)
{
    ArrayOf a;
    for (uintptr_t i = 1; i <= 15; ++i)
        ArrayAdd(a.array, i);
    const uintptr_t* items = a.array->ar_Items;

    osmark_testing_fail_allocations(0, 1);
    IoErr();
    EXPECT_EQ(ArrayAdd(a.array, 16), -1);
    EXPECT_EQ(IoErr(), IoErrNoMemory);
    EXPECT_EQ(ArrayGetCount(a.array), 15u);
    EXPECT_EQ(a.array->ar_Capacity, 16u);
    EXPECT_EQ(a.array->ar_Items, items);

    osmark_testing_fail_allocations(0, 1);
    EXPECT_EQ(ArrayPut(a.array, 40, 99), 0u);
    EXPECT_EQ(ArrayGetCount(a.array), 15u);

    osmark_testing_fail_allocations(0, 1);
    ArrayInsert(a.array, 0, 99);
    EXPECT_EQ(ArrayGetCount(a.array), 15u);
    EXPECT_EQ(ArrayFirst(a.array), 1u);

    osmark_testing_fail_allocations(0, 0);
    EXPECT_EQ(ArrayAdd(a.array, 16), 15);
    EXPECT_EQ(ArrayLast(a.array), 16u);
}

TEST(Array, SearchFindsOnlyEqualItems)
{
    ArrayOf a({1, 3, 5});
    EXPECT_EQ(ArraySearch(a.array, 5, 0, 3, by_value), 5u);
    EXPECT_EQ(ArraySearch(a.array, 4, 0, 3, by_value), 0u);
    EXPECT_EQ(ArraySearch(a.array, 1, 1, 2, by_value), 0u);  // before the range
    EXPECT_EQ(ArraySearch(a.array, 3, 1, 99, by_value), 3u);  // count cut at the end
    EXPECT_EQ(ArraySearch(a.array, 3, 3, 1, by_value), 0u);   // first at the count
    EXPECT_EQ(ArraySearch(a.array, 3, 0, 0, by_value), 0u);

    // Every size up to 12, every key present and absent: the probes never leave the
    // range and every present item is found.
    for (uint32_t size = 0; size <= 12; ++size) {
        ArrayOf b;
        for (uint32_t i = 0; i < size; ++i)
            ArrayAdd(b.array, 2 * i + 2);
        for (uintptr_t key = 1; key <= 2 * size + 3; ++key) {
            SCOPED_TRACE("size " + std::to_string(size) + " key " + std::to_string(key));
            const bool present = key % 2 == 0 && key <= 2 * size;
            EXPECT_EQ(ArraySearch(b.array, key, 0, size, by_value), present ? key : 0u);
        }
    }
}

TEST(Array, SortOrdersTheRangeOnly)
{
    ArrayOf a({3, 1, 2});
    ArraySort(a.array, 0, 3, by_value);
    EXPECT_EQ(a.items(), (std::vector<uintptr_t>{1, 2, 3}));

    ArrayOf one({9, 4});
    ArraySort(one.array, 1, 1, by_value);
    ArraySort(one.array, 0, 1, by_value);
    ArraySort(one.array, 2, 5, by_value);
    EXPECT_EQ(one.items(), (std::vector<uintptr_t>{9, 4}));

    ArrayOf part({9, 8, 7, 6, 5, 4});
    ArraySort(part.array, 2, 100, by_value);  // the range is cut at the last item
    EXPECT_EQ(part.items(), (std::vector<uintptr_t>{9, 8, 4, 5, 6, 7}));
    ArraySort(part.array, 0, 3, by_value);
    EXPECT_EQ(part.items(), (std::vector<uintptr_t>{4, 8, 9, 5, 6, 7}));

    // Against std::sort: many sizes, few and many distinct values, sorted and reversed
    // input (where a poor pivot would degrade).
    std::mt19937 random(1234);
    for (uint32_t size : {2u, 3u, 7u, 8u, 9u, 16u, 31u, 100u, 1000u}) {
        for (uint32_t distinct : {1u, 3u, 1000000u}) {
            for (int shape = 0; shape < 3; ++shape) {
                SCOPED_TRACE("size " + std::to_string(size) + " distinct " + std::to_string(distinct) +
                             " shape " + std::to_string(shape));
                std::vector<uintptr_t> values(size);
                for (uintptr_t& v : values)
                    v = random() % distinct + 1;
                if (shape == 1)
                    std::sort(values.begin(), values.end());
                if (shape == 2)
                    std::sort(values.rbegin(), values.rend());
                ArrayOf b(values);
                ArraySort(b.array, 0, size, by_value);
                std::sort(values.begin(), values.end());
                EXPECT_EQ(b.items(), values);
            }
        }
    }
}

}
