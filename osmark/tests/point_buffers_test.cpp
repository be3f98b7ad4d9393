#include "osmark/point_buffers.h"

#include "geometry_test_support.h"
#include "osmark/profiles.h"
#include "osmark/testing.h"
#include "test_support/child_process.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <string>
#include <utility>
#include <vector>

using namespace geometry_test;

namespace {

uint32_t blocks_allocated()
{
    uint32_t total = 0;
    osmark_testing_allocation_counts(nullptr, &total);
    return total;
}

// A buffer allocated for the test rather than handed out again from the free list, so
// that it has the capacity of a new buffer.
Buffer fresh_buffer()
{
    std::vector<osmark::PointBufferOwner> recycled;
    for (;;) {
        const uint32_t before = blocks_allocated();
        osmark::PointBufferOwner buffer(PointBufferCreate());
        if (buffer == nullptr || blocks_allocated() != before)
            return Buffer{std::move(buffer)};
        recycled.push_back(std::move(buffer));
    }
}

TEST(PointBuffers, GrowByTheGrowStep)
{
    const Buffer buffer = fresh_buffer();
    ASSERT_NE(buffer.get(), nullptr);
    EXPECT_EQ(buffer.owner->grow_step, 100u);
    for (int i = 0; i < 101; ++i) {
        const Point2DRec point = P(i, -i);
        PointBufferAdd(buffer, &point);
    }
    EXPECT_EQ(PointBufferGetCount(buffer), 101u);
    EXPECT_EQ(buffer.owner->capacity, 200u);
    EXPECT_TRUE(near_point(*PointBufferGet(buffer, 100), P(100, -100), 0.0));

    // A grow step below 10 is raised to 10 before it is used.
    buffer.owner->grow_step = 0;
    PointBufferSetCount(buffer, buffer.owner->capacity);
    const Point2DRec point = P(1, 1);
    PointBufferAdd(buffer, &point);
    EXPECT_EQ(buffer.owner->grow_step, 10u);
    EXPECT_EQ(buffer.owner->capacity, 210u);
}

TEST(PointBuffers, AddingAPointOfTheBufferItselfWhileItGrows)
{
    const Buffer buffer = fresh_buffer();
    ASSERT_NE(buffer.get(), nullptr);
    for (int i = 0; i < 100; ++i) {
        const Point2DRec point = P(i, i);
        PointBufferAdd(buffer, &point);
    }
    ASSERT_EQ(buffer.owner->count, buffer.owner->capacity);
    PointBufferAdd(buffer, PointBufferGet(buffer, 7)); // the array moves during this call
    EXPECT_TRUE(near_point(*PointBufferGet(buffer, 100), P(7, 7), 0.0));
}

TEST(PointBuffers, SetCountGrowsToOneMoreAndKeepsCapacityWhenShrinking)
{
    const Buffer buffer = fresh_buffer();
    ASSERT_NE(buffer.get(), nullptr);
    PointBufferSetCount(buffer, 150);
    EXPECT_EQ(PointBufferGetCount(buffer), 150u);
    EXPECT_EQ(buffer.owner->capacity, 151u);
    PointBufferSetCount(buffer, 0);
    EXPECT_EQ(PointBufferGetCount(buffer), 0u);
    EXPECT_EQ(buffer.owner->capacity, 151u);
}

TEST(PointBuffers, SetCountStopsAtTheCapacityWhenMemoryFails)
{
    const Buffer buffer = fresh_buffer();
    ASSERT_NE(buffer.get(), nullptr);
    osmark_testing_fail_allocations(0, 1);
    PointBufferSetCount(buffer, 500);
    osmark_testing_fail_allocations(0, 0);
    EXPECT_EQ(PointBufferGetCount(buffer), 100u);
    EXPECT_EQ(buffer.owner->capacity, 100u);
    // An absurd count cannot be allocated either.
    PointBufferSetCount(buffer, 0xFFFFFFFFu);
    EXPECT_EQ(PointBufferGetCount(buffer), 100u);
}

TEST(PointBuffers, ReadsPastTheCountGiveTheSharedOrigin)
{
    Buffer buffer;
    const Point2DRec point = P(4, 5);
    PointBufferAdd(buffer, &point);
    Point2DRec* past = PointBufferGet(buffer, 1);
    EXPECT_TRUE(near_point(*past, P(0, 0), 0.0));
    EXPECT_EQ(PointBufferGet(nullptr, 0), past);
    // A caller that wrongly wrote to it does not pass its values on.
    *past = P(7, 7);
    EXPECT_TRUE(near_point(*PointBufferGet(buffer, 5), P(0, 0), 0.0));
    EXPECT_EQ(PointBufferGetCount(nullptr), 0u);
    PointBufferAdd(nullptr, &point);
    PointBufferSetCount(nullptr, 3);
}

TEST(PointBuffers, DeletedBufferIsHandedOutAgainWithItsStorage)
{
    PointBuffer first = fresh_buffer().owner.release();
    ASSERT_NE(first, nullptr);
    PointBufferSetCount(first, 299);
    ASSERT_EQ(first->capacity, 300u);
    first->grow_step = 7;
    Point2DRec* const storage = first->points;
    PointBufferDelete(first);
    PointBufferDelete(first); // not on the used list any more: ignored

    PointBuffer again = PointBufferCreate();
    EXPECT_EQ(again, first);
    EXPECT_EQ(again->count, 0u);
    EXPECT_EQ(again->grow_step, 100u);
    EXPECT_EQ(again->capacity, 300u);
    EXPECT_EQ(again->points, storage);
    // Had the double delete put it on the free list twice, this create would hand the
    // same buffer out a second time.
    PointBuffer other = PointBufferCreate();
    EXPECT_NE(other, again);
    PointBufferDelete(other);
    PointBufferDelete(again);
}

TEST(PointBuffers, CreateFailsCleanlyWhenMemoryRunsOut)
{
    // Empty the free list into buffers in use, so that creates must allocate.
    std::vector<PointBuffer> taken;
    for (;;) {
        const uint32_t before = blocks_allocated();
        PointBuffer buffer = PointBufferCreate();
        ASSERT_NE(buffer, nullptr);
        taken.push_back(buffer);
        if (blocks_allocated() != before)
            break;
    }
    uint32_t live_before = 0;
    osmark_testing_allocation_counts(&live_before, nullptr);
    for (uint32_t successes : {0u, 1u}) {
        osmark_testing_fail_allocations(successes, 1);
        EXPECT_EQ(PointBufferCreate(), nullptr) << successes;
        osmark_testing_fail_allocations(0, 0);
    }
    uint32_t live_after = 0;
    osmark_testing_allocation_counts(&live_after, nullptr);
    EXPECT_EQ(live_after, live_before);
    for (PointBuffer buffer : taken)
        PointBufferDelete(buffer);
}

TEST(PointBuffers, SortARangeCutAtTheCount)
{
    Buffer buffer;
    for (const double x : {9.0, 8.0, 7.0, 6.0, 5.0}) {
        const Point2DRec point = P(x, 0);
        PointBufferAdd(buffer, &point);
    }
    const auto by_x = [](const void* a, const void* b) -> int32_t {
        const double left = static_cast<const Point2DRec*>(a)->x;
        const double right = static_cast<const Point2DRec*>(b)->x;
        return left < right ? -1 : left > right ? 1 : 0;
    };
    PointBufferSort(buffer, 2, 1000, by_x);
    EXPECT_TRUE(near_points(buffer.points(), {P(9, 0), P(8, 0), P(5, 0), P(6, 0), P(7, 0)}, 0.0));
    PointBufferSort(buffer, 6, 2, by_x); // past the count: nothing
    PointBufferSort(buffer, 0, 5, by_x);
    EXPECT_TRUE(near_points(buffer.points(), {P(5, 0), P(6, 0), P(7, 0), P(8, 0), P(9, 0)}, 0.0));
}

TEST(PointBuffers, CountAndProfileIdAreOneRoutine)
{
    Buffer buffer;
    PointBufferSetCount(buffer, 42);
    Profile* profile = ProfileCreate();
    ASSERT_NE(profile, nullptr);
    profile->id = 42;
    EXPECT_EQ(ProfileID(reinterpret_cast<const Profile*>(buffer.get())), 42);
    EXPECT_EQ(PointBufferGetCount(reinterpret_cast<const PointBufferRec*>(profile)), 42u);
    ProfileDelete(profile);
}

TEST(PointBuffers, UnloadFreesTheBuffersOfBothLists)
{
    const test_support::ChildResult child = test_support::run_child(
        test_support::program_beside_test("osmark_probe"), {"pointbuffers"});
    ASSERT_TRUE(WIFEXITED(child.status));
    EXPECT_EQ(WEXITSTATUS(child.status), 0) << child.err;
    EXPECT_NE(child.err.find("Information: ALLOCATIONS: 0, "), std::string::npos) << child.err;
}

}
