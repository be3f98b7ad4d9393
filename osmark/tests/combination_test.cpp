#include "osmark/combination.h"

#include "geometry_test_support.h"
#include "osmark/testing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

using namespace geometry_test;

namespace {

struct ListDeleter {
    void operator()(Profiles* list) const noexcept { ProfilesDelete(list); }
};
using ListOwner = std::unique_ptr<Profiles, ListDeleter>;

std::vector<double> areas_of(const Profiles* list)
{
    std::vector<double> areas;
    for (uint32_t i = 0; i < ProfilesCount(list); ++i)
        areas.push_back(ProfileArea(ProfilesProfile(list, i)));
    return areas;
}

// Closed, with each entity starting where the one before it ends.
::testing::AssertionResult closed_chain(Profile* profile)
{
    const uint32_t count = ProfileEntityCount(profile);
    for (uint32_t i = 0; i < count; ++i) {
        const Point2DRec end = end_of(*ProfileEntity(profile, i));
        const Point2DRec next = start_of(*ProfileEntity(profile, (i + 1) % count));
        if (!near_point(next, end, 1e-9))
            return ::testing::AssertionFailure() << "entity " << i << " is not followed on";
    }
    return ::testing::AssertionSuccess();
}

struct Case {
    const char* name;
    Profile* a;
    Profile* b;
    int32_t operation;
    std::vector<double> areas;
};

void check(const Case& row)
{
    SCOPED_TRACE(row.name);
    ListOwner list(ProfileCombine(row.a, row.b, row.operation));
    ASSERT_NE(list, nullptr);
    const std::vector<double> areas = areas_of(list.get());
    ASSERT_EQ(areas.size(), row.areas.size());
    for (size_t i = 0; i < areas.size(); ++i) {
        EXPECT_NEAR(areas[i], row.areas[i], 1e-6) << "profile " << i;
        EXPECT_TRUE(closed_chain(ProfilesProfile(list.get(), static_cast<uint32_t>(i))));
    }
}

TEST(Combination, OverlappingProfiles)
{
    ProfileOwner a = square(0, 0, 1);
    ProfileOwner b = square(0.5, 0.5, 1);
    ProfileOwner b_clockwise = polygon({P(0.5, 0.5), P(0.5, 1.5), P(1.5, 1.5), P(1.5, 0.5)});
    ProfileOwner disc = circle(0, 0, 1);
    ProfileOwner other_disc = circle(1, 0, 1);
    const double lens = 2 * std::acos(0.5) - 0.5 * std::sqrt(3.0);
    const Case rows[] = {
        {"squares, intersection", a.get(), b.get(), CombineIntersection, {0.25}},
        {"squares, union", a.get(), b.get(), CombineUnion, {1.75}},
        {"squares, difference", a.get(), b.get(), CombineDifference, {0.75}},
        {"the other difference", b.get(), a.get(), CombineDifference, {0.75}},
        {"a clockwise square, intersection",
         a.get(),
         b_clockwise.get(),
         CombineIntersection,
         {0.25}},
        {"a clockwise square, union", a.get(), b_clockwise.get(), CombineUnion, {1.75}},
        {"discs, intersection", disc.get(), other_disc.get(), CombineIntersection, {lens}},
        {"discs, union", disc.get(), other_disc.get(), CombineUnion, {2 * kPi - lens}},
        {"discs, difference", disc.get(), other_disc.get(), CombineDifference, {kPi - lens}},
    };
    for (const Case& row : rows)
        check(row);
    // The inputs stay as they were.
    EXPECT_EQ(ProfileEntityCount(a.get()), 4u);
    EXPECT_TRUE(near_point(end_of(*ProfileEntity(a.get(), 0)), P(1, 0), 0.0));
}

TEST(Combination, ProfilesWhoseBoundariesDoNotMeet)
{
    ProfileOwner small = square(1, 1, 1);
    ProfileOwner large = square(0, 0, 3);
    ProfileOwner far = square(10, 10, 1);
    // An L around a notch at its upper right, and a square in the notch: the square lies
    // within the L's extents but outside the L.
    ProfileOwner ell = polygon({P(0, 0), P(4, 0), P(4, 2), P(2, 2), P(2, 4), P(0, 4)});
    ProfileOwner in_notch = square(2.5, 2.5, 1);
    const Case rows[] = {
        {"small and large, intersection", small.get(), large.get(), CombineIntersection, {1}},
        {"large and small, intersection", large.get(), small.get(), CombineIntersection, {1}},
        {"small and large, union", small.get(), large.get(), CombineUnion, {9}},
        {"large without small", large.get(), small.get(), CombineDifference, {9, 1}},
        {"small without large", small.get(), large.get(), CombineDifference, {}},
        {"far apart, intersection", small.get(), far.get(), CombineIntersection, {}},
        {"far apart, union", small.get(), far.get(), CombineUnion, {1, 1}},
        {"far apart, difference", small.get(), far.get(), CombineDifference, {1}},
        {"in the notch, intersection", ell.get(), in_notch.get(), CombineIntersection, {}},
        {"in the notch, union", ell.get(), in_notch.get(), CombineUnion, {12, 1}},
        {"in the notch, difference", ell.get(), in_notch.get(), CombineDifference, {12}},
        {"the notch's square without the L", in_notch.get(), ell.get(), CombineDifference, {1}},
    };
    for (const Case& row : rows)
        check(row);
}

TEST(Combination, SharedEdgesMergeIntoSingleLines)
{
    ProfileOwner a = square(0, 0, 1);
    for (const double x : {1.0, -1.0}) {
        SCOPED_TRACE(x);
        ProfileOwner b = square(x, 0, 1);
        ListOwner list(ProfileCombine(a.get(), b.get(), CombineUnion));
        ASSERT_NE(list, nullptr);
        ASSERT_EQ(ProfilesCount(list.get()), 1u);
        Profile* rectangle = ProfilesProfile(list.get(), 0);
        EXPECT_EQ(ProfileEntityCount(rectangle), 4u);
        for (uint32_t i = 0; i < ProfileEntityCount(rectangle); ++i)
            EXPECT_EQ(ProfileEntityType(rectangle, i), static_cast<uint32_t>(EntityTypeLine));
        // Merged lines keep the direction of travel: the outline stays one chain.
        EXPECT_TRUE(closed_chain(rectangle));
        EXPECT_NEAR(ProfileArea(rectangle), 2, 1e-9);
    }
}

TEST(Combination, RefusedArguments)
{
    ProfileOwner a = square(0, 0, 1);
    ProfileOwner b = square(0.5, 0.5, 1);
    // Three sides of a square: open, although its line integral has an area.
    ProfileOwner open = new_profile();
    ProfileAddLine(open.get(), 0, 0, 1, 0, 0);
    ProfileAddLine(open.get(), 1, 0, 1, 1, 0);
    ProfileAddLine(open.get(), 1, 1, 0, 1, 0);
    ProfileOwner flat = polygon({P(0, 0), P(1, 0)});
    EXPECT_EQ(ProfileCombine(a.get(), b.get(), 4), nullptr);
    EXPECT_EQ(ProfileCombine(a.get(), b.get(), 0), nullptr);
    EXPECT_EQ(ProfileCombine(a.get(), open.get(), CombineUnion), nullptr);
    EXPECT_EQ(ProfileCombine(open.get(), a.get(), CombineUnion), nullptr);
    EXPECT_EQ(ProfileCombine(a.get(), flat.get(), CombineUnion), nullptr);
    EXPECT_EQ(ProfileCombine(nullptr, a.get(), CombineUnion), nullptr);
}

TEST(Combination, FailingMemoryLeavesNothingBehind)
{
    ProfileOwner a = square(0, 0, 1);
    ProfileOwner b = square(0.5, 0.5, 1);
    ProfilesDelete(ProfileCombine(a.get(), b.get(), CombineUnion)); // working buffers recycled
    uint32_t live_before = 0;
    osmark_testing_allocation_counts(&live_before, nullptr);
    bool whole = false;
    for (uint32_t successes = 0; !whole && successes < 400; ++successes) {
        SCOPED_TRACE(successes);
        osmark_testing_fail_allocations(successes, 1);
        Profiles* list = ProfileCombine(a.get(), b.get(), CombineUnion);
        osmark_testing_fail_allocations(0, 0);
        whole = ProfilesCount(list) == 1 &&
                std::abs(ProfileArea(ProfilesProfile(list, 0)) - 1.75) < 1e-9;
        ProfilesDelete(list);
        uint32_t live_after = 0;
        osmark_testing_allocation_counts(&live_after, nullptr);
        EXPECT_EQ(live_after, live_before);
    }
    EXPECT_TRUE(whole);
}

}
