#include "osmark/errors.h"
#include "osmark/paged_array.h"
#include "osmark/testing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

struct Record {
    int32_t key;
    int32_t payload;
};

// A PagedArray of Records that is deleted at the end of the test.
struct Records {
    PagedArray* array;

    explicit Records(std::vector<int32_t> keys = {}, uint32_t per_page = 4)
        : array(PagedArrayCreate(sizeof(Record), per_page))
    {
        for (int32_t key : keys)
            add(key);
    }
    ~Records() { PagedArrayDelete(array); }
    Records(const Records&) = delete;
    Records& operator=(const Records&) = delete;

    int32_t add(int32_t key, int32_t payload = 0)
    {
        const Record record{key, payload};
        return PagedArrayAdd(array, &record);
    }

    std::vector<int32_t> keys() const
    {
        std::vector<int32_t> keys;
        for (uint32_t i = 0; i < array->pa_Count; ++i)
            keys.push_back(static_cast<const Record*>(PagedArrayGet(array, i))->key);
        return keys;
    }
};

const Record* at(PagedArray* array, uint32_t index)
{
    return static_cast<const Record*>(PagedArrayGet(array, index));
}

int32_t by_key(PagedArray*, const void* a, const void* b)
{
    const int32_t left = static_cast<const Record*>(a)->key;
    const int32_t right = static_cast<const Record*>(b)->key;
    return left < right ? -1 : left > right ? 1 : 0;
}

int32_t key_with_record(PagedArray*, const void* key, const void* record)
{
    const int32_t wanted = *static_cast<const int32_t*>(key);
    const int32_t have = static_cast<const Record*>(record)->key;
    return wanted < have ? -1 : wanted > have ? 1 : 0;
}

TEST(PagedArray, FirstAddCoversSeventeenPages)
{
    Records r({}, 3);
    ASSERT_NE(r.array, nullptr);
    EXPECT_EQ(r.array->pa_RecordsPerPage, 4u);
    EXPECT_EQ(r.array->pa_RecordSize, sizeof(Record));
    EXPECT_EQ(r.add(7), 1);
    EXPECT_EQ(r.array->pa_Capacity, 68u);
    EXPECT_EQ(r.array->pa_PagesAllocated, 17u);
    EXPECT_EQ(r.array->pa_PageTableSize, 17u);
    EXPECT_EQ(r.add(8), 2);
    EXPECT_EQ(r.keys(), (std::vector<int32_t>{7, 8}));
}

TEST(PagedArray, CreateChecksItsArguments)
{
    struct Case {
        uint32_t record_size;
        uint32_t per_page;
        uint32_t expected_per_page;  // 0: creation fails
    };
    const Case cases[] = {{8, 0, 4}, {8, 4, 4}, {8, 5, 5}, {1, 64, 64}, {0, 8, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.record_size) + " bytes, " + std::to_string(c.per_page) + " per page");
        IoErr();
        PagedArray* array = PagedArrayCreate(c.record_size, c.per_page);
        if (c.expected_per_page == 0) {
            EXPECT_EQ(array, nullptr);
            EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
            continue;
        }
        ASSERT_NE(array, nullptr);
        EXPECT_EQ(array->pa_RecordsPerPage, c.expected_per_page);
        EXPECT_EQ(array->pa_PageTableGrowth, 16u);
        PagedArrayDelete(array);
    }
}

TEST(PagedArray, GetDoesNotConsultTheCount)
{
    Records r;
    void* slot = PagedArrayGet(r.array, 1000);
    ASSERT_NE(slot, nullptr);
    EXPECT_EQ(PagedArrayGetCount(r.array), 0u);
    EXPECT_EQ(PagedArrayIndexAvailable(r.array, 1000), 1);
    EXPECT_EQ(PagedArrayIndexAvailable(r.array, 5000), 0);
    // The slot is memory of the record size that stays where it is.
    std::memset(slot, 0x5A, sizeof(Record));
    EXPECT_EQ(PagedArrayGet(r.array, 1000), slot);

    IoErr();
    EXPECT_EQ(PagedArrayGet(r.array, 0xFFFFFFFF), nullptr);
    EXPECT_EQ(IoErr(), IoErrBufferOverflow);
    EXPECT_EQ(PagedArrayFirst(r.array), PagedArrayGet(r.array, 0));
    EXPECT_EQ(PagedArrayLast(r.array), PagedArrayGet(r.array, 0));
}

TEST(PagedArray, RecordsNeverMoveWhileTheArrayGrows)
{
    Records r;
    r.add(0, 100);
    const Record* first = at(r.array, 0);
    for (int32_t i = 1; i < 500; ++i)
        ASSERT_EQ(r.add(i, 100 + i), i + 1);
    EXPECT_EQ(at(r.array, 0), first);
    for (uint32_t i = 0; i < 500; ++i) {
        ASSERT_EQ(at(r.array, i)->key, static_cast<int32_t>(i));
        ASSERT_EQ(at(r.array, i)->payload, static_cast<int32_t>(100 + i));
    }
    EXPECT_EQ(PagedArrayLast(r.array), at(r.array, 499));
}

TEST(PagedArray, SetCountToTheCapacityGrowsTheTable)
{
    Records r({1});
    const uint32_t capacity = r.array->pa_Capacity;
    EXPECT_EQ(PagedArraySetCount(r.array, capacity), 1);
    EXPECT_EQ(PagedArrayGetCount(r.array), capacity);
    EXPECT_GT(r.array->pa_Capacity, capacity);
    EXPECT_EQ(PagedArrayIndexAvailable(r.array, capacity), 1);
    EXPECT_EQ(PagedArraySetCount(r.array, 1), 1);
    EXPECT_EQ(r.keys(), (std::vector<int32_t>{1}));
}

TEST(PagedArray, FailedPageIsNeverReportedAsStored)
{
    // The page table is allocated, then page 0 fails, and so does the retry of the put.
    Records r;
    osmark_testing_fail_allocations(1, 2);
    IoErr();
    EXPECT_EQ(r.add(5), -1);
    EXPECT_EQ(IoErr(), IoErrNoMemory);
    EXPECT_EQ(PagedArrayGetCount(r.array), 0u);
    EXPECT_EQ(PagedArrayIndexAvailable(r.array, 0), 0);
    osmark_testing_fail_allocations(0, 0);
    EXPECT_EQ(r.add(5), 1);
    EXPECT_EQ(r.keys(), (std::vector<int32_t>{5}));

    // A page in the middle of an expansion fails: the pages before it serve, and the
    // missing one is allocated when a record first needs it.
    Records s;
    osmark_testing_fail_allocations(3, 1);
    EXPECT_EQ(s.add(0), 1);
    EXPECT_EQ(s.array->pa_PagesAllocated, 2u);
    EXPECT_EQ(PagedArrayIndexAvailable(s.array, 8), 0);
    for (int32_t i = 1; i < 12; ++i)
        ASSERT_EQ(s.add(i), i + 1);
    EXPECT_EQ(PagedArrayIndexAvailable(s.array, 8), 1);
    EXPECT_EQ(s.keys(), (std::vector<int32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));

    // Put and Get report the failure too.
    Records t({1, 2, 3, 4});
    const Record record{9, 9};
    osmark_testing_fail_allocations(0, 1);
    EXPECT_EQ(PagedArrayGet(t.array, 5000), nullptr);
    osmark_testing_fail_allocations(0, 1);
    PagedArrayPut(t.array, 5000, &record);
    EXPECT_EQ(PagedArrayGetCount(t.array), 4u);
    osmark_testing_fail_allocations(0, 0);
}

TEST(PagedArray, EditsMoveRecordsThroughTheCopyOperation)
{
    struct Case {
        const char* name;
        std::vector<int32_t> before;
        void (*edit)(PagedArray*);
        std::vector<int32_t> after;
    };
    static const Record nine{9, 0};
    const Case cases[] = {
        {"insert at 0", {1, 2, 3}, [](PagedArray* a) { EXPECT_EQ(PagedArrayInsert(a, 0, &nine), 4); }, {9, 1, 2, 3}},
        {"insert in the middle", {1, 2, 3}, [](PagedArray* a) { PagedArrayInsert(a, 2, &nine); }, {1, 2, 9, 3}},
        {"insert past the count", {1, 2}, [](PagedArray* a) { EXPECT_EQ(PagedArrayInsert(a, 8, &nine), 3); }, {1, 2, 9}},
        {"insert across a page", {1, 2, 3, 4}, [](PagedArray* a) { PagedArrayInsert(a, 1, &nine); }, {1, 9, 2, 3, 4}},
        {"remove across a page", {1, 2, 3, 4, 5, 6}, [](PagedArray* a) { PagedArrayRemove(a, 1); }, {1, 3, 4, 5, 6}},
        {"remove last", {1, 2, 3}, [](PagedArray* a) { PagedArrayRemove(a, 2); }, {1, 2}},
        {"move 0 to 2", {1, 2, 3}, [](PagedArray* a) { PagedArrayMove(a, 0, 2); }, {1, 2, 1}},
        {"move to past the end is cut", {1, 2, 3}, [](PagedArray* a) { PagedArrayMove(a, 0, 7); }, {1, 2, 1}},
        {"move onto itself", {1, 2, 3}, [](PagedArray* a) { PagedArrayMove(a, 1, 1); }, {1, 2, 3}},
        {"exchange across pages", {1, 2, 3, 4, 5}, [](PagedArray* a) { EXPECT_EQ(PagedArrayExchange(a, 0, 4), 1); }, {5, 2, 3, 4, 1}},
        {"put raises the count", {1}, [](PagedArray* a) { PagedArrayPut(a, 2, &nine); }, {1, -1, 9}},
        {"put overwrites", {1, 2}, [](PagedArray* a) { PagedArrayPut(a, 0, &nine); }, {9, 2}},
        {"clear", {1, 2}, PagedArrayClear, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Records r(c.before);
        // A record that a put skips over has no defined content; mark it.
        Record* gap = static_cast<Record*>(PagedArrayGet(r.array, 1));
        if (c.before.size() == 1)
            gap->key = -1;
        c.edit(r.array);
        EXPECT_EQ(r.keys(), c.after);
    }
}

TEST(PagedArray, ReplacedOperationsAreUsed)
{
    static int copies;
    static int swaps;
    copies = 0;
    swaps = 0;
    Records r({3, 1, 2});
    r.array->pa_Copy = [](PagedArray* array, void* destination, const void* source) {
        ++copies;
        std::memcpy(destination, source, array->pa_RecordSize);
    };
    r.array->pa_Swap = [](PagedArray* array, void* a, void* b) {
        ++swaps;
        Record temporary;
        std::memcpy(&temporary, a, array->pa_RecordSize);
        std::memcpy(a, b, array->pa_RecordSize);
        std::memcpy(b, &temporary, array->pa_RecordSize);
    };
    r.add(0);
    EXPECT_EQ(copies, 1);
    PagedArraySort(r.array, 0, 4, by_key);
    EXPECT_GT(swaps, 0);
    EXPECT_EQ(r.keys(), (std::vector<int32_t>{0, 1, 2, 3}));

    r.array->pa_Swap = nullptr;
    IoErr();
    EXPECT_EQ(PagedArrayExchange(r.array, 0, 1), 0);
    EXPECT_EQ(IoErr(), IoErrNotImplemented);
    PagedArraySort(r.array, 0, 4, by_key);
    EXPECT_EQ(IoErr(), IoErrNotImplemented);
}

TEST(PagedArray, OutOfRangeAndNullLeaveTheirCodes)
{
    Records r({1, 2, 3});
    struct Case {
        const char* name;
        int64_t (*call)(PagedArray*);
        int64_t result;
        IoErrCode code;
    };
    static const Record nine{9, 0};
    const Case cases[] = {
        {"remove at count", [](PagedArray* a) -> int64_t { PagedArrayRemove(a, 3); return 0; }, 0, IoErrBufferOverflow},
        {"move from count", [](PagedArray* a) -> int64_t { PagedArrayMove(a, 3, 0); return 0; }, 0, IoErrBufferOverflow},
        {"exchange out", [](PagedArray* a) -> int64_t { return PagedArrayExchange(a, 0, 3); }, 0, IoErrBufferOverflow},
        {"put at the last index", [](PagedArray* a) -> int64_t { PagedArrayPut(a, 0xFFFFFFFF, &nine); return 0; }, 0,
         IoErrBufferOverflow},
        {"set count to the last index", [](PagedArray* a) -> int64_t { return PagedArraySetCount(a, 0xFFFFFFFF); }, 0,
         IoErrBufferOverflow},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IoErr();
        EXPECT_EQ(c.call(r.array), c.result);
        EXPECT_EQ(IoErr(), c.code);
        EXPECT_EQ(r.keys(), (std::vector<int32_t>{1, 2, 3}));
    }

    const Case null_cases[] = {
        {"get count", [](PagedArray* a) -> int64_t { return PagedArrayGetCount(a); }, 0, IoErrRequiredArgMissing},
        {"get", [](PagedArray* a) -> int64_t { return PagedArrayGet(a, 0) != nullptr; }, 0, IoErrRequiredArgMissing},
        {"add", [](PagedArray* a) -> int64_t { return PagedArrayAdd(a, &nine); }, -1, IoErrRequiredArgMissing},
        {"insert", [](PagedArray* a) -> int64_t { return PagedArrayInsert(a, 0, &nine); }, -1, IoErrRequiredArgMissing},
        {"first", [](PagedArray* a) -> int64_t { return PagedArrayFirst(a) != nullptr; }, 0, IoErrRequiredArgMissing},
        {"last", [](PagedArray* a) -> int64_t { return PagedArrayLast(a) != nullptr; }, 0, IoErrRequiredArgMissing},
        {"exchange", [](PagedArray* a) -> int64_t { return PagedArrayExchange(a, 0, 0); }, 0, IoErrRequiredArgMissing},
        {"set capacity", [](PagedArray* a) -> int64_t { return PagedArraySetCapacity(a, 0); }, 0, IoErrRequiredArgMissing},
        {"set count", [](PagedArray* a) -> int64_t { return PagedArraySetCount(a, 1); }, 0, IoErrRequiredArgMissing},
        {"expand", [](PagedArray* a) -> int64_t { return PagedArrayExpand(a); }, 0, IoErrRequiredArgMissing},
        {"index available", [](PagedArray* a) -> int64_t { return PagedArrayIndexAvailable(a, 0); }, 0,
         IoErrRequiredArgMissing},
        {"search", [](PagedArray* a) -> int64_t { return PagedArraySearch(a, &nine, 0, 1, by_key) != nullptr; }, 0,
         IoErrRequiredArgMissing},
        {"put", [](PagedArray* a) -> int64_t { PagedArrayPut(a, 0, &nine); return 0; }, 0, IoErrRequiredArgMissing},
        {"remove", [](PagedArray* a) -> int64_t { PagedArrayRemove(a, 0); return 0; }, 0, IoErrRequiredArgMissing},
        {"move", [](PagedArray* a) -> int64_t { PagedArrayMove(a, 0, 0); return 0; }, 0, IoErrRequiredArgMissing},
        {"clear", [](PagedArray* a) -> int64_t { PagedArrayClear(a); return 0; }, 0, IoErrRequiredArgMissing},
        {"sort", [](PagedArray* a) -> int64_t { PagedArraySort(a, 0, 2, by_key); return 0; }, 0, IoErrRequiredArgMissing},
        {"delete", [](PagedArray* a) -> int64_t { PagedArrayDelete(a); return 0; }, 0, IoErrRequiredArgMissing},
    };
    for (const Case& c : null_cases) {
        SCOPED_TRACE(c.name);
        IoErr();
        EXPECT_EQ(c.call(nullptr), c.result);
        EXPECT_EQ(IoErr(), c.code);
    }
}

TEST(PagedArray, SearchFindsOnlyEqualRecords)
{
    for (uint32_t size = 0; size <= 12; ++size) {
        Records r;
        for (uint32_t i = 0; i < size; ++i)
            r.add(static_cast<int32_t>(2 * i + 2));
        for (int32_t key = 1; key <= static_cast<int32_t>(2 * size + 3); ++key) {
            SCOPED_TRACE("size " + std::to_string(size) + " key " + std::to_string(key));
            const bool present = key % 2 == 0 && key <= static_cast<int32_t>(2 * size);
            const void* found = PagedArraySearch(r.array, &key, 0, size, key_with_record);
            EXPECT_EQ(found, present ? PagedArrayGet(r.array, static_cast<uint32_t>(key / 2 - 1)) : nullptr);
        }
    }
    Records r({1, 3, 5});
    const int32_t five = 5;
    EXPECT_EQ(PagedArraySearch(r.array, &five, 0, 2, key_with_record), nullptr);
    EXPECT_EQ(PagedArraySearch(r.array, nullptr, 0, 3, key_with_record), nullptr);
}

TEST(PagedArray, SortMatchesAReferenceSort)
{
    std::mt19937 random(99);
    for (uint32_t size : {0u, 1u, 2u, 3u, 5u, 8u, 9u, 33u, 400u}) {
        for (uint32_t distinct : {2u, 1000u}) {
            SCOPED_TRACE("size " + std::to_string(size) + " distinct " + std::to_string(distinct));
            std::vector<int32_t> keys(size);
            for (int32_t& key : keys)
                key = static_cast<int32_t>(random() % distinct);
            Records r(keys, 5);
            // Payloads travel with their keys.
            for (uint32_t i = 0; i < size; ++i)
                static_cast<Record*>(PagedArrayGet(r.array, i))->payload = keys[i] * 3;
            PagedArraySort(r.array, 0, size + 10, by_key);
            std::sort(keys.begin(), keys.end());
            EXPECT_EQ(r.keys(), keys);
            for (uint32_t i = 0; i < size; ++i)
                ASSERT_EQ(at(r.array, i)->payload, at(r.array, i)->key * 3);
        }
    }
    Records part({6, 5, 4, 3, 2, 1});
    PagedArraySort(part.array, 1, 3, by_key);
    EXPECT_EQ(part.keys(), (std::vector<int32_t>{6, 3, 4, 5, 2, 1}));
}

}
