#include "osmark/errors.h"
#include "osmark/memory.h"
#include "osmark/testing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

namespace {

uint32_t live_blocks()
{
    uint32_t live = 0;
    osmark_testing_allocation_counts(&live, nullptr);
    return live;
}

TEST(Pool, SizesRoundToEightAndTheThresholdMayNotExceedThePuddle)
{
    Pool* pool = CreatePool(100, 101); // both round to 104
    ASSERT_NE(pool, nullptr);
    DeletePool(pool);

    IoErr();
    EXPECT_EQ(CreatePool(100, 105), nullptr); // 112 > 104
    EXPECT_EQ(IoErr(), IoErrBadNumber);
}

TEST(Pool, FirstFitSplitsAndFreeingMergesWithBothNeighbours)
{
    Pool* pool = CreatePool(64, 64);
    ASSERT_NE(pool, nullptr);
    auto* a = static_cast<char*>(AllocVecPooled(pool, 16));
    auto* b = static_cast<char*>(AllocVecPooled(pool, 16));
    auto* c = static_cast<char*>(AllocVecPooled(pool, 16));
    ASSERT_TRUE(a && b && c);
    // Offsets 8, 32 and 56 of the block area: each block follows its 8-byte header,
    // and the third takes the last 16-byte block whole.
    EXPECT_EQ(b - a, 24);
    EXPECT_EQ(c - a, 48);

    const uint32_t live = live_blocks();
    FreeVecPooled(pool, b);
    FreeVecPooled(pool, c);
    FreeVecPooled(pool, a);
    // One free block of 64 bytes again: a 64-byte request fits without a new puddle.
    void* whole = AllocVecPooled(pool, 64);
    EXPECT_EQ(whole, a);
    EXPECT_EQ(live_blocks(), live);
    FreeVecPooled(pool, whole);

    EXPECT_EQ(CompactPool(pool), 1);
    EXPECT_EQ(live_blocks(), live - 1) << "the puddle was freed";
    DeletePool(pool);
}

TEST(Pool, ALastSmallBlockIsFreedAndMergedToo)
{
    // A block of 8 bytes right at the end of the puddle must still be recognised as
    // the pool's own, or the puddle could never become free again.
    Pool* pool = CreatePool(48, 48);
    void* a = AllocVecPooled(pool, 16);
    void* b = AllocVecPooled(pool, 8);
    void* last = AllocVecPooled(pool, 8);
    ASSERT_TRUE(a && b && last);
    EXPECT_EQ(static_cast<char*>(last) - static_cast<char*>(a), 40) << "the area's last 8 bytes";
    FreeVecPooled(pool, last);
    FreeVecPooled(pool, a);
    FreeVecPooled(pool, b);
    EXPECT_EQ(AllocVecPooled(pool, 48), a);
    DeletePool(pool);
}

TEST(Pool, LargeRequestsGetTheirOwnPuddleSearchedFirst)
{
    Pool* pool = CreatePool(256, 64);
    const uint32_t live = live_blocks();
    void* big = AllocVecPooled(pool, 1000);
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(live_blocks(), live + 1);
    std::memset(big, 1, 1000);
    FreeVecPooled(pool, big);
    // The big puddle is newest and searched first; a small request now fits there.
    EXPECT_EQ(AllocVecPooled(pool, 16), big);
    DeletePool(pool);
}

TEST(Pool, ZeroSizedRequestsNeverShareAnAddress)
{
    Pool* pool = CreatePool(64, 64);
    void* a = AllocVecPooled(pool, 0);
    void* b = AllocVecPooled(pool, 0);
    ASSERT_TRUE(a && b);
    EXPECT_NE(a, b);
    DeletePool(pool);
}

TEST(Pool, EmptyThenCompactFreesEveryPuddle)
{
    Pool* pool = CreatePool(64, 32);
    const uint32_t live = live_blocks();
    for (int i = 0; i < 10; ++i)
        AllocVecPooled(pool, 24);
    AllocVecPooled(pool, 500);
    EXPECT_GT(live_blocks(), live);
    EXPECT_EQ(CompactPool(pool), 0);
    EmptyPool(pool);
    EXPECT_EQ(CompactPool(pool), 1);
    EXPECT_EQ(live_blocks(), live - 1);
    DeletePool(pool);
}

TEST(Pool, BadArgumentsLeaveTheirCodes)
{
    struct FakePool {
        uint16_t magic;
        char rest[30];
    } fake{};
    Pool* not_a_pool = reinterpret_cast<Pool*>(&fake);

    IoErr();
    EXPECT_EQ(AllocVecPooled(nullptr, 8), nullptr);
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
    EXPECT_EQ(AllocVecPooled(not_a_pool, 8), nullptr);
    EXPECT_EQ(IoErr(), IoErrObjectInvalid);
    EXPECT_EQ(CompactPool(not_a_pool), 0);
    EXPECT_EQ(IoErr(), IoErrObjectInvalid);

    Pool* pool = CreatePool(64, 64);
    void* block = AllocVecPooled(pool, 8);
    FreeVecPooled(pool, nullptr);
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
    FreeVecPooled(pool, block);
    FreeVecPooled(pool, block); // twice: the block is no longer in use
    EXPECT_EQ(IoErr(), IoErrObjectInvalid);
    int outside = 0;
    FreeVecPooled(pool, &outside); // not in any puddle: ignored without a code
    EXPECT_EQ(IoErr(), 0);
    DeletePool(pool);
}

TEST(FixedPool, LivesInCallerMemoryAndNeverGrows)
{
    alignas(8) unsigned char memory[256];
    IoErr();
    EXPECT_EQ(CreateFixedPool(nullptr, 256, 1), nullptr);
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
    EXPECT_EQ(CreateFixedPool(memory, 64, 1), nullptr);
    EXPECT_EQ(IoErr(), IoErrNoMemory);

    const uint32_t live = live_blocks();
    Pool* pool = CreateFixedPool(memory + 1, 255, 1); // unaligned memory is aligned inside
    ASSERT_NE(pool, nullptr);
    std::vector<char*> blocks;
    while (char* block = static_cast<char*>(AllocVecPooled(pool, 16)))
        blocks.push_back(block);
    EXPECT_EQ(IoErr(), 0) << "a full fixed pool sets no code";
    EXPECT_FALSE(blocks.empty());
    for (char* block : blocks) {
        EXPECT_GE(block, reinterpret_cast<char*>(memory));
        EXPECT_LE(block + 16, reinterpret_cast<char*>(memory) + sizeof memory);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % 8, 0u);
    }
    EXPECT_EQ(live_blocks(), live) << "nothing comes from the heap";
    for (char* block : blocks)
        FreeVecPooled(pool, block);
    EXPECT_EQ(CompactPool(pool), 1);
    DeletePool(pool);
    EXPECT_EQ(AllocVecPooled(pool, 8), nullptr);
    EXPECT_EQ(IoErr(), IoErrObjectInvalid) << "a deleted pool in caller memory fails";
}

TEST(Pool, RandomWorkNeverHandsOutOverlappingBlocks)
{
    Pool* pool = CreatePool(512, 256);
    std::mt19937 random(7);
    struct Live {
        unsigned char* data;
        uint32_t size;
        unsigned char fill;
    };
    std::vector<Live> live;
    for (int step = 0; step < 4000; ++step) {
        if (live.empty() || random() % 3 != 0) {
            const uint32_t size = random() % 300;
            auto* data = static_cast<unsigned char*>(AllocVecPooled(pool, size));
            ASSERT_NE(data, nullptr);
            const auto fill = static_cast<unsigned char>(step);
            std::memset(data, fill, size);
            live.push_back({data, size, fill});
        } else {
            const size_t index = random() % live.size();
            const Live& victim = live[index];
            for (uint32_t i = 0; i < victim.size; ++i)
                ASSERT_EQ(victim.data[i], victim.fill) << "a block was overwritten";
            FreeVecPooled(pool, victim.data);
            live.erase(live.begin() + static_cast<ptrdiff_t>(index));
        }
    }
    for (const Live& block : live)
        FreeVecPooled(pool, block.data);
    EXPECT_EQ(CompactPool(pool), 1);
    DeletePool(pool);
}

// A pool that has grown past a megabyte takes large puddles: a big drawing's items then
// live in a few hundred puddles rather than tens of thousands, and every block still
// comes back whole.
TEST(Pool, BigPoolsGrowInLargePuddles)
{
    const uint32_t live = live_blocks();
    Pool* pool = CreatePool(16384, 16384);
    ASSERT_NE(pool, nullptr);
    constexpr uint32_t kBlock = 1000;
    constexpr int kBlocks = 8 * 1024;  // about 8 MB
    std::vector<unsigned char*> blocks;
    for (int i = 0; i < kBlocks; ++i) {
        auto* block = static_cast<unsigned char*>(AllocVecPooled(pool, kBlock));
        ASSERT_NE(block, nullptr);
        std::memset(block, i & 0xFF, kBlock);
        blocks.push_back(block);
    }
    // 64 small puddles make the first megabyte, then four or five large ones the rest.
    EXPECT_LT(live_blocks() - live, 80u);
    for (int i = 0; i < kBlocks; ++i) {
        ASSERT_EQ(blocks[static_cast<size_t>(i)][0], i & 0xFF);
        ASSERT_EQ(blocks[static_cast<size_t>(i)][kBlock - 1], i & 0xFF);
    }
    for (unsigned char* block : blocks)
        FreeVecPooled(pool, block);
    EXPECT_EQ(CompactPool(pool), 1);
    DeletePool(pool);
    EXPECT_EQ(live_blocks(), live);
}

TEST(Pool, FailedPuddleAllocationReturnsNull)
{
    IoErr();
    osmark_testing_fail_allocations(0, 1);
    EXPECT_EQ(CreatePool(64, 64), nullptr);
    EXPECT_EQ(IoErr(), IoErrNoMemory);

    Pool* pool = CreatePool(64, 64);
    osmark_testing_fail_allocations(0, 1);
    EXPECT_EQ(AllocVecPooled(pool, 128), nullptr);
    EXPECT_NE(AllocVecPooled(pool, 128), nullptr);
    DeletePool(pool);
}

}
