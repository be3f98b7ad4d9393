#include "osmark/errors.h"
#include "osmark/hash.h"
#include "osmark/testing.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

// A hash that is deleted at the end of the test.
struct Table {
    Hash* hash;

    explicit Table(uint32_t size) : hash(HashCreate(size)) {}
    ~Table() { HashDelete(hash); }
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    std::vector<std::string> chain(int32_t bucket) const
    {
        std::vector<std::string> keys;
        for (const HashEntry* entry = hash->hs_Buckets[bucket]; entry != nullptr; entry = entry->he_Next)
            keys.emplace_back(entry->he_Key);
        return keys;
    }
};

struct Visit {
    int32_t bucket;
    std::string key;
    uintptr_t value;
};

std::vector<Visit> walk(Hash* hash)
{
    std::vector<Visit> visits;
    HashWalk(
        hash,
        [](Hash*, int32_t bucket, const char* key, uintptr_t value, uintptr_t user_data) -> int32_t {
            reinterpret_cast<std::vector<Visit>*>(user_data)->push_back({bucket, key, value});
            return 1;
        },
        reinterpret_cast<uintptr_t>(&visits));
    return visits;
}

TEST(Hash, BucketCountIsTheNextOddPrime)
{
    const std::pair<uint32_t, int32_t> cases[] = {{10, 11}, {9, 11}, {0, 1},   {1, 1},    {2, 3},
                                                  {3, 3},   {4, 5},  {24, 29}, {90, 97}, {1000, 1009}};
    for (const auto& [size, buckets] : cases) {
        SCOPED_TRACE("size " + std::to_string(size));
        Table t(size);
        ASSERT_NE(t.hash, nullptr);
        EXPECT_EQ(t.hash->hs_BucketCount, buckets);
        EXPECT_EQ(t.hash->hs_UsedBuckets, 0);
        EXPECT_EQ(t.hash->hs_LongestChain, 0);
        for (int32_t i = 0; i < buckets; ++i)
            ASSERT_EQ(t.hash->hs_Buckets[i], nullptr);
    }
}

TEST(Hash, KeysGoToTheBucketOfTheirWordSum)
{
    // Words of up to four bytes, big-endian, bytes unsigned, summed with wrap-around.
    const std::pair<const char*, uint32_t> cases[] = {
        {"", 0},
        {"a", 0x61},
        {"abcd", 0x61626364},
        {"abcde", 0x61626364u + 0x65},
        {"\xff\xff\xff\xff\x01", 0xFFFFFFFFu + 1},  // wraps to 0
        {"\x80", 0x80},
    };
    Table t(97);
    for (const auto& [key, sum] : cases)
        ASSERT_EQ(HashAdd(t.hash, key, 1), 0);
    const std::vector<Visit> visits = walk(t.hash);
    for (const auto& [key, sum] : cases) {
        SCOPED_TRACE(std::string("key '") + key + "'");
        bool found = false;
        for (const Visit& visit : visits) {
            if (visit.key == key) {
                found = true;
                EXPECT_EQ(visit.bucket, static_cast<int32_t>(sum % 97));
            }
        }
        EXPECT_TRUE(found);
    }
}

TEST(Hash, ChainsStayInByteOrderAndKeysStayUnique)
{
    Table t(0);
    EXPECT_EQ(HashAdd(t.hash, "b", 2), 0);
    EXPECT_EQ(HashAdd(t.hash, "a", 1), 0);
    EXPECT_EQ(HashAdd(t.hash, "c", 3), 0);
    EXPECT_EQ(t.chain(0), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(t.hash->hs_UsedBuckets, 1);
    EXPECT_EQ(t.hash->hs_LongestChain, 3);

    EXPECT_EQ(HashAdd(t.hash, "b", 20), 0);
    EXPECT_EQ(t.chain(0), (std::vector<std::string>{"a", "b", "c"}));
    uintptr_t value = 0;
    EXPECT_EQ(HashSearch(t.hash, "b", &value), 1);
    EXPECT_EQ(value, 20u);

    // Case matters, and bytes from 0x80 up sort below ASCII as the string order says.
    EXPECT_EQ(HashAdd(t.hash, "B", 4), 0);
    EXPECT_EQ(HashAdd(t.hash, "\x80", 5), 0);
    EXPECT_EQ(t.chain(0), (std::vector<std::string>{"\x80", "B", "a", "b", "c"}));
    EXPECT_EQ(HashSearch(t.hash, "\x80", &value), 1);
    EXPECT_EQ(value, 5u);

    // The statistics are never lowered.
    EXPECT_EQ(HashRemove(t.hash, "a"), 0);
    EXPECT_EQ(HashRemove(t.hash, "b"), 0);
    EXPECT_EQ(t.hash->hs_LongestChain, 5);
    EXPECT_EQ(t.chain(0), (std::vector<std::string>{"\x80", "B", "c"}));
}

TEST(Hash, AbsentKeysLeaveNotFound)
{
    Table t(10);
    HashAdd(t.hash, "alpha", 7);
    struct Case {
        const char* key;
        int32_t found;
        uintptr_t value;
    };
    const Case cases[] = {{"alpha", 1, 7}, {"Alpha", 0, 0}, {"alph", 0, 0}, {"alphas", 0, 0}, {"", 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        uintptr_t value = 99;
        IoErr();
        EXPECT_EQ(HashSearch(t.hash, c.key, &value), c.found);
        EXPECT_EQ(value, c.value);
        EXPECT_EQ(IoErr(), c.found ? 0 : IoErrObjectNotFound);
    }
    IoErr();
    EXPECT_EQ(HashRemove(t.hash, "beta"), IoErrObjectNotFound);
    EXPECT_EQ(IoErr(), IoErrObjectNotFound);
    EXPECT_EQ(HashRemove(t.hash, "alpha"), 0);
    uintptr_t value = 1;
    EXPECT_EQ(HashSearch(t.hash, "alpha", &value), 0);
    EXPECT_EQ(value, 0u);
}

TEST(Hash, WalkGoesBucketByBucketUntilTheCallbackStops)
{
    Table t(3);
    // Buckets by sum mod 3: "a" 97 -> 1, "b" 98 -> 2, "c" 99 -> 0, "d" 100 -> 1.
    for (const char* key : {"d", "b", "a", "c"})
        HashAdd(t.hash, key, static_cast<uintptr_t>(key[0]));
    const std::vector<Visit> visits = walk(t.hash);
    std::vector<std::string> order;
    for (const Visit& visit : visits)
        order.push_back(std::to_string(visit.bucket) + visit.key);
    EXPECT_EQ(order, (std::vector<std::string>{"0c", "1a", "1d", "2b"}));

    int calls = 0;
    HashWalk(
        t.hash, [](Hash*, int32_t, const char*, uintptr_t, uintptr_t user_data) -> int32_t {
            return ++*reinterpret_cast<int*>(user_data) < 2 ? 1 : 0;
        },
        reinterpret_cast<uintptr_t>(&calls));
    EXPECT_EQ(calls, 2);

    // A callback may remove the entry it is given.
    EXPECT_EQ(HashWalk(
                  t.hash, [](Hash* hash, int32_t, const char* key, uintptr_t, uintptr_t) -> int32_t {
                      return HashRemove(hash, key) == 0 ? 1 : 0;
                  },
                  0),
              0);
    EXPECT_TRUE(walk(t.hash).empty());
}

TEST(Hash, NullArgumentsAreRejected)
{
    Table t(5);
    uintptr_t value = 5;
    struct Case {
        const char* name;
        int32_t result;
    };
    const Case cases[] = {
        {"add to NULL", HashAdd(nullptr, "k", 1)},
        {"add NULL key", HashAdd(t.hash, nullptr, 1)},
        {"search NULL", HashSearch(nullptr, "k", &value)},
        {"search NULL key", HashSearch(t.hash, nullptr, &value)},
        {"search NULL value", HashSearch(t.hash, "k", nullptr)},
        {"remove NULL", HashRemove(nullptr, "k")},
        {"remove NULL key", HashRemove(t.hash, nullptr)},
        {"walk NULL", HashWalk(nullptr, nullptr, 0)},
        {"walk NULL callback", HashWalk(t.hash, nullptr, 0)},
        {"delete NULL", HashDelete(nullptr)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.result, IoErrRequiredArgMissing);
    }
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
    EXPECT_EQ(value, 0u);
}

TEST(Hash, FailedAdditionLeavesTheTableUnchanged)
{
    Table t(0);
    HashAdd(t.hash, "a", 1);
    // The entry, then the key copy fails.
    for (uint32_t successes : {0u, 1u}) {
        SCOPED_TRACE("successes " + std::to_string(successes));
        uint32_t live_before = 0;
        osmark_testing_allocation_counts(&live_before, nullptr);
        osmark_testing_fail_allocations(successes, 1);
        IoErr();
        EXPECT_EQ(HashAdd(t.hash, "b", 2), IoErrNoMemory);
        EXPECT_EQ(IoErr(), IoErrNoMemory);
        osmark_testing_fail_allocations(0, 0);
        uint32_t live_after = 0;
        osmark_testing_allocation_counts(&live_after, nullptr);
        EXPECT_EQ(live_after, live_before);
        EXPECT_EQ(t.chain(0), (std::vector<std::string>{"a"}));
        EXPECT_EQ(t.hash->hs_LongestChain, 1);
    }
    osmark_testing_fail_allocations(0, 1);
    EXPECT_EQ(HashCreate(10), nullptr);
    osmark_testing_fail_allocations(0, 0);
}

TEST(Hash, DeleteFreesEveryKeyCopy)
{
    uint32_t live_before = 0;
    osmark_testing_allocation_counts(&live_before, nullptr);
    Hash* hash = HashCreate(7);
    char key[] = "key-0";
    for (char c = '0'; c <= '9'; ++c) {
        key[4] = c;
        HashAdd(hash, key, 1);
    }
    key[0] = 'x';
    uintptr_t value = 0;
    EXPECT_EQ(HashSearch(hash, "key-9", &value), 1);  // the table kept its own copy
    EXPECT_EQ(HashDelete(hash), 0);
    uint32_t live_after = 0;
    osmark_testing_allocation_counts(&live_after, nullptr);
    EXPECT_EQ(live_after, live_before);
}

}
