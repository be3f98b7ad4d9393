#include "osmark/errors.h"
#include "osmark/memory.h"
#include "osmark/testing.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct Counts {
    uint32_t live;
    uint32_t total;
};

Counts counts()
{
    Counts c{};
    osmark_testing_allocation_counts(&c.live, &c.total);
    return c;
}

TEST(AllocVec, CountsEveryBlockAndFreeVecOfNullCountsNothing)
{
    const Counts before = counts();
    void* block = AllocVec(0);
    ASSERT_NE(block, nullptr);
    std::memset(block, 0xAB, 4); // a size of 0 still gives 4 usable bytes
    EXPECT_EQ(counts().live, before.live + 1);
    EXPECT_EQ(counts().total, before.total + 1);

    EXPECT_EQ(FreeVec(nullptr), 0);
    EXPECT_EQ(counts().live, before.live + 1);

    EXPECT_EQ(FreeVec(block), 0);
    EXPECT_EQ(counts().live, before.live);
    EXPECT_EQ(counts().total, before.total + 1);
}

TEST(AllocVec, CAllocVecClearsAndReAllocKeepsContents)
{
    auto* cleared = static_cast<unsigned char*>(CAllocVec(3, 5));
    ASSERT_NE(cleared, nullptr);
    for (int i = 0; i < 16; ++i) // 15 rounded up to 16, all cleared
        EXPECT_EQ(cleared[i], 0) << i;
    cleared[14] = 9;

    const Counts before = counts();
    auto* grown = static_cast<unsigned char*>(ReAllocVec(cleared, 1000));
    ASSERT_NE(grown, nullptr);
    EXPECT_EQ(grown[14], 9);
    EXPECT_EQ(counts().total, before.total) << "resizing a block is not a new block";
    FreeVec(grown);

    void* fresh = ReAllocVec(nullptr, 8);
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(counts().total, before.total + 1);
    FreeVec(fresh);
}

TEST(AllocVec, OverflowingCountTimesSizeFailsCleanly)
{
    // Wrapped to 32 bits these products would be tiny and the call would succeed.
    const uint32_t rows[][2] = {{0xFFFFFFFFu, 0xFFFFFFFFu}, {0x80000000u, 0x80000000u}};
    for (const auto& row : rows) {
        IoErr();
        EXPECT_EQ(CAllocVec(row[0], row[1]), nullptr);
        EXPECT_EQ(IoErr(), IoErrNoMemory);
    }
}

TEST(AllocVec, InjectedFailuresSetNoMemoryAndKeepTheOldBlock)
{
    IoErr();
    const Counts before = counts();
    osmark_testing_fail_allocations(1, 2);
    void* first = AllocVec(16);
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(AllocVec(16), nullptr);
    EXPECT_EQ(IoErr(), IoErrNoMemory);
    EXPECT_EQ(ReAllocVec(first, 64), nullptr) << "the second injected failure";
    EXPECT_EQ(IoErr(), IoErrNoMemory);
    void* third = AllocVec(16);
    EXPECT_NE(third, nullptr) << "failures stop after the count";
    EXPECT_EQ(counts().live, before.live + 2);
    FreeVec(first); // still valid after the failed resize
    FreeVec(third);
}

TEST(AllocStr, CopiesTheSourceOrMakesAnEmptyStringOfTheLength)
{
    char* empty = AllocStr(10, nullptr);
    ASSERT_NE(empty, nullptr);
    EXPECT_STREQ(empty, "");
    std::memset(empty, 'x', 11); // room for length + 1 bytes
    FreeStr(empty);

    char* copy = AllocStr(10, "abc");
    ASSERT_NE(copy, nullptr);
    EXPECT_STREQ(copy, "abc");
    FreeStr(copy);
    EXPECT_EQ(FreeStr(nullptr), 0);
}

TEST(AllocInfo, ReportsLiveAndTotalCounts)
{
    char report[96];
    const Counts now = counts();
    const int32_t length = AllocInfo(report);
    char expected[96];
    std::snprintf(expected, sizeof expected, "ALLOCATIONS: %u, (TOTAL NUMBER %u)", now.live, now.total);
    EXPECT_STREQ(report, expected);
    EXPECT_EQ(length, static_cast<int32_t>(std::strlen(expected)));
}

TEST(Remember, FreesRecordsAndOptionallyTheirBlocks)
{
    Remember* key = nullptr;
    const Counts before = counts();
    void* a = AllocRemember(&key, 10);
    void* b = AllocRemember(&key, 20);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(key->rm_Memory, b) << "newest first";
    EXPECT_EQ(counts().live, before.live + 4);

    FreeRemember(&key, 0);
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(counts().live, before.live + 2) << "blocks stay allocated";
    FreeVec(a);
    FreeVec(b);

    AllocRemember(&key, 10);
    AllocRemember(&key, 10);
    FreeRemember(&key, 1);
    EXPECT_EQ(counts().live, before.live);

    IoErr();
    EXPECT_EQ(AllocRemember(nullptr, 4), nullptr);
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
    osmark_testing_fail_allocations(1, 1); // the record succeeds, the block fails
    EXPECT_EQ(AllocRemember(&key, 8), nullptr);
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(counts().live, before.live) << "the record is freed again";
}

}
