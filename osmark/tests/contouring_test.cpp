#include "osmark/contouring.h"

#include "geometry_test_support.h"
#include "osmark/testing.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace geometry_test;

namespace {

struct ListDeleter {
    void operator()(Profiles* list) const noexcept { ProfilesDelete(list); }
};
using ListOwner = std::unique_ptr<Profiles, ListDeleter>;

// A bag of entities as one source profile.
ProfileOwner bag(const std::vector<ProfileEntityRec>& entities)
{
    ProfileOwner source = new_profile();
    for (const ProfileEntityRec& entity : entities)
        ProfileAdd(source.get(), &entity);
    return source;
}

ListOwner contour(const Profile* source, double tolerance = 1e-6, int32_t snap = 0,
                  ContourChooser chooser = nullptr)
{
    ListOwner list(ProfileContour(source, chooser, tolerance, snap));
    EXPECT_NE(list, nullptr);
    return list;
}

// Each entity starts where the one before it ends.
::testing::AssertionResult chained(const Profile* profile)
{
    for (uint32_t i = 1; i < ProfileEntityCount(profile); ++i) {
        const Point2DRec end = end_of(*ProfileEntity(profile, i - 1));
        const Point2DRec start = start_of(*ProfileEntity(profile, i));
        if (!near_point(start, end, 1e-9))
            return ::testing::AssertionFailure() << "entity " << i << " does not follow on";
    }
    return ::testing::AssertionSuccess();
}

TEST(Contouring, LooseEntitiesChainIntoOneClosedProfile)
{
    const struct {
        const char* name;
        std::vector<ProfileEntityRec> entities;
        double area;
    } rows[] = {
        // Bottom, top, right, left, in mixed orientations.
        {"square",
         {line_entity(0, 0, 1, 0), line_entity(0, 1, 1, 1), line_entity(1, 1, 1, 0),
          line_entity(0, 1, 0, 0)},
         1},
        {"half disc, the arc reversed",
         {line_entity(1, 0, -1, 0), arc_entity(0, 0, 1, kPi, 0, -1)},
         kPi / 2},
        {"rounded corner",
         {line_entity(0, 0, 2, 0), line_entity(3, 1, 3, 3), line_entity(3, 3, 0, 3),
          arc_entity(2, 1, 1, 1.5 * kPi, 0, 1), line_entity(0, 0, 0, 3)},
         9 - 1 + kPi / 4},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ProfileOwner source = bag(row.entities);
        ListOwner list = contour(source.get());
        ASSERT_EQ(ProfilesCount(list.get()), 1u);
        Profile* profile = ProfilesProfile(list.get(), 0);
        EXPECT_EQ(ProfileEntityCount(profile), row.entities.size());
        EXPECT_EQ(ProfileOpen(profile), 0);
        EXPECT_TRUE(chained(profile));
        EXPECT_NEAR(ProfileArea(profile), row.area, 1e-9);
        EXPECT_EQ(ProfileID(profile), 1);
        EXPECT_EQ(ProfileLevel(profile), 0);
        EXPECT_EQ(ProfileParentID(profile), 0);
    }
}

TEST(Contouring, NestingLevelsAndParents)
{
    // The inner square and a full circle come first; the circle lies in the outer square.
    ProfileOwner source =
        bag({line_entity(1, 1, 2, 1), line_entity(2, 1, 2, 2), arc_entity(5, 5, 0.5, 0, 2 * kPi, 1),
             line_entity(2, 2, 1, 2), line_entity(1, 2, 1, 1), line_entity(0, 0, 8, 0),
             line_entity(8, 0, 8, 8), line_entity(8, 8, 0, 8), line_entity(0, 8, 0, 0),
             line_entity(20, 0, 21, 0)});
    ListOwner list = contour(source.get());
    ASSERT_EQ(ProfilesCount(list.get()), 4u);
    const Profile* outer = ProfilesProfile(list.get(), 0);
    const Profile* open_line = ProfilesProfile(list.get(), 1);
    EXPECT_EQ(ProfileEntityCount(outer), 4u);
    EXPECT_EQ(ProfileLevel(outer), 0);
    EXPECT_EQ(ProfileEntityCount(open_line), 1u);
    EXPECT_EQ(ProfileLevel(open_line), 0);
    for (uint32_t i = 2; i < 4; ++i) {
        const Profile* inner = ProfilesProfile(list.get(), i);
        EXPECT_EQ(ProfileLevel(inner), 1);
        EXPECT_EQ(ProfileParentID(inner), ProfileID(outer));
    }
    // IDs follow the order the profiles were found (the circle, a profile of its own, at
    // once); the list is sorted by level, then ID.
    EXPECT_EQ(ProfileID(ProfilesProfile(list.get(), 2)), 1);
    EXPECT_EQ(ProfileEntityCount(ProfilesProfile(list.get(), 2)), 1u);
    EXPECT_EQ(ProfileID(ProfilesProfile(list.get(), 3)), 2);
    EXPECT_EQ(ProfileEntityCount(ProfilesProfile(list.get(), 3)), 4u);
    EXPECT_EQ(ProfileID(outer), 3);
}

TEST(Contouring, AGapClosesWithinTheTolerance)
{
    // A square whose last corner misses the first by 0.5e-4, and a line going on from
    // the miss.
    const double gap = 0.5e-4;
    ProfileOwner source =
        bag({line_entity(0, 0, 1, 0), line_entity(1, 0, 1, 1), line_entity(1, 1, 0, 1),
             line_entity(0, 1, 0, gap), line_entity(0, gap, -1, gap)});
    {
        ListOwner list = contour(source.get(), 1e-3);
        ASSERT_EQ(ProfilesCount(list.get()), 2u);
        const Profile* square_profile = ProfilesProfile(list.get(), 0);
        ASSERT_EQ(ProfileEntityCount(square_profile), 4u);
        EXPECT_TRUE(near_point(end_of(*ProfileEntity(square_profile, 3)), P(0, gap), 1e-12));
        EXPECT_EQ(ProfileEntityCount(ProfilesProfile(list.get(), 1)), 1u);
    }
    {
        ListOwner list = contour(source.get(), 1e-3, 1);
        ASSERT_EQ(ProfilesCount(list.get()), 2u);
        const Profile* square_profile = ProfilesProfile(list.get(), 0);
        ASSERT_EQ(ProfileEntityCount(square_profile), 4u);
        EXPECT_TRUE(near_point(end_of(*ProfileEntity(square_profile, 3)), P(0, 0), 0.0));
    }
    for (const double tolerance : {1e-6, 0.0, -1.0}) {
        SCOPED_TRACE(tolerance);
        ListOwner list = contour(source.get(), tolerance);
        ASSERT_EQ(ProfilesCount(list.get()), 1u);
        EXPECT_EQ(ProfileEntityCount(ProfilesProfile(list.get(), 0)), 5u);
        EXPECT_TRUE(chained(ProfilesProfile(list.get(), 0)));
    }
}

TEST(Contouring, JunctionsAndDuplicates)
{
    // At (1, 0) a spur to a free end comes before the branch that leads on.
    ProfileOwner source =
        bag({line_entity(0, 0, 1, 0), line_entity(1, 0, 1, -1), line_entity(1, 0, 2, 0),
             line_entity(2, 0, 2, 1), line_entity(2, 1, 0, 1), line_entity(0, 1, 0, 0)});
    ListOwner list = contour(source.get());
    ASSERT_EQ(ProfilesCount(list.get()), 2u);
    Profile* loop = ProfilesProfile(list.get(), 0);
    EXPECT_EQ(ProfileEntityCount(loop), 5u);
    EXPECT_EQ(ProfileOpen(loop), 0);
    EXPECT_NEAR(ProfileArea(loop), 2, 1e-9);
    EXPECT_EQ(ProfileEntityCount(ProfilesProfile(list.get(), 1)), 1u);

    // With nothing else to take, the spur is taken.
    ProfileOwner path = bag({line_entity(0, 0, 1, 0), line_entity(1, -1, 1, 0)});
    list = contour(path.get());
    ASSERT_EQ(ProfilesCount(list.get()), 1u);
    EXPECT_EQ(ProfileEntityCount(ProfilesProfile(list.get(), 0)), 2u);
    EXPECT_TRUE(chained(ProfilesProfile(list.get(), 0)));

    // The same line twice (either way round) is never chained back over itself.
    ProfileOwner twice = bag({line_entity(0, 0, 1, 0), line_entity(1, 0, 0, 0)});
    list = contour(twice.get());
    EXPECT_EQ(ProfilesCount(list.get()), 2u);
}

TEST(Contouring, LinesThatRunOnThroughTheChainEnd)
{
    // The chain ends at (1, 0), in the middle of a line along the same line, either way
    // round: the line goes on from the chain end.
    for (const ProfileEntityRec& on : {line_entity(0.5, 0, 3, 0), line_entity(3, 0, 0.5, 0)}) {
        ProfileOwner source = bag({line_entity(0, 0, 1, 0), on});
        ListOwner list = contour(source.get());
        ASSERT_EQ(ProfilesCount(list.get()), 1u);
        const Profile* chain = ProfilesProfile(list.get(), 0);
        ASSERT_EQ(ProfileEntityCount(chain), 2u);
        EXPECT_TRUE(near_point(start_of(*ProfileEntity(chain, 1)), P(1, 0), 0.0));
        EXPECT_TRUE(near_point(end_of(*ProfileEntity(chain, 1)), P(3, 0), 0.0));
    }
    // A line across the chain end does not continue it: it stays whole.
    ProfileOwner cross = bag({line_entity(0, 0, 1, 0), line_entity(1, -1, 1, 1)});
    ListOwner list = contour(cross.get());
    ASSERT_EQ(ProfilesCount(list.get()), 2u);
    const Profile* across = ProfilesProfile(list.get(), 1);
    ASSERT_EQ(ProfileEntityCount(across), 1u);
    EXPECT_NEAR(ProfileEntityLength(ProfileEntity(across, 0)), 2, 1e-12);
}

struct ChooserLog {
    int calls = 0;
    Point2DRec last_end{};
    double tolerance = 0;
};
ChooserLog g_log;

int32_t first_candidate(PagedArray* candidates, PagedArray*, const Point2DRec* chain_end,
                        double tolerance, ContourCandidate* choice)
{
    ++g_log.calls;
    g_log.last_end = *chain_end;
    g_log.tolerance = tolerance;
    if (PagedArrayGetCount(candidates) == 0)
        return 0;
    *choice = *static_cast<ContourCandidate*>(PagedArrayGet(candidates, 0));
    return 1;
}

int32_t names_no_candidate(PagedArray*, PagedArray*, const Point2DRec*, double,
                           ContourCandidate* choice)
{
    *choice = ContourCandidate{9999, 0, ContourEndMatch};
    return 1;
}

TEST(Contouring, CallersChooseTheNextEntity)
{
    ProfileOwner source = bag({line_entity(0, 0, 1, 0), line_entity(0, 1, 1, 1),
                               line_entity(1, 1, 1, 0), line_entity(0, 1, 0, 0)});
    g_log = ChooserLog{};
    ListOwner list = contour(source.get(), 1e-4, 0, first_candidate);
    ASSERT_EQ(ProfilesCount(list.get()), 1u);
    EXPECT_EQ(ProfileEntityCount(ProfilesProfile(list.get(), 0)), 4u);
    EXPECT_EQ(g_log.calls, 3);
    EXPECT_TRUE(near_point(g_log.last_end, P(0, 1), 0.0));
    EXPECT_EQ(g_log.tolerance, 1e-4);

    // An answer that names none of the candidates counts as none.
    list = contour(source.get(), 1e-6, 0, names_no_candidate);
    EXPECT_EQ(ProfilesCount(list.get()), 4u);
}

TEST(Contouring, EmptySourcesAndFailingMemory)
{
    ProfileOwner empty = new_profile();
    EXPECT_EQ(ProfilesCount(contour(empty.get()).get()), 0u);
    EXPECT_EQ(ProfilesCount(contour(nullptr).get()), 0u);

    ProfileOwner source =
        bag({line_entity(0, 0, 1, 0), line_entity(0, 1, 1, 1), line_entity(1, 1, 1, 0),
             line_entity(0, 1, 0, 0), arc_entity(0.5, 0.5, 0.2, 0, 2 * kPi, 1)});
    ProfilesDelete(ProfileContour(source.get(), nullptr, 1e-6, 0)); // working buffers recycled
    uint32_t live_before = 0;
    osmark_testing_allocation_counts(&live_before, nullptr);
    bool whole = false;
    for (uint32_t successes = 0; !whole && successes < 200; ++successes) {
        SCOPED_TRACE(successes);
        osmark_testing_fail_allocations(successes, 1);
        Profiles* list = ProfileContour(source.get(), nullptr, 1e-6, 0);
        osmark_testing_fail_allocations(0, 0);
        whole = ProfilesCount(list) == 2 && ProfileEntityCount(ProfilesProfile(list, 0)) == 4;
        ProfilesDelete(list);
        uint32_t live_after = 0;
        osmark_testing_allocation_counts(&live_after, nullptr);
        EXPECT_EQ(live_after, live_before);
    }
    EXPECT_TRUE(whole);
}

}
