#include "osmark/profiles.h"

#include "geometry_test_support.h"
#include "osmark/owners.h"
#include "osmark/paged_array.h"
#include "osmark/profile_entities.h"
#include "osmark/testing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

using namespace geometry_test;

namespace {

ProfileOwner unit_square_ccw()
{
    return polygon({P(0, 0), P(1, 0), P(1, 1), P(0, 1)});
}

struct Measures {
    const char* name;
    std::function<ProfileOwner()> make;
    double area;
    int32_t direction;
    Point2DRec centre;
    double perimeter;
};

TEST(Profiles, AreaDirectionCentreAndPerimeter)
{
    const double third = 4 / (3 * kPi);
    const Measures rows[] = {
        {"square ccw", unit_square_ccw, 1, 1, P(0.5, 0.5), 4},
        {"square cw",
         [] {
             return polygon({P(0, 0), P(0, 1), P(1, 1), P(1, 0)});
         },
         1, -1, P(0.5, 0.5), 4},
        {"circle of radius 2, one arc",
         [] {
             ProfileOwner p = new_profile();
             ProfileAddArc(p.get(), 0, 0, 2, 0, 2 * kPi, 1, 0);
             return p;
         },
         4 * kPi, 1, P(0, 0), 4 * kPi},
        {"circle at (2, 1), clockwise",
         [] {
             ProfileOwner p = new_profile();
             ProfileAddArc(p.get(), 2, 1, 1, 2 * kPi, 0, -1, 0);
             return p;
         },
         kPi, -1, P(2, 1), 2 * kPi},
        {"upper half disc",
         [] {
             ProfileOwner p = new_profile();
             ProfileAddLine(p.get(), -1, 0, 1, 0, 0);
             ProfileAddArc(p.get(), 0, 0, 1, 0, kPi, 1, 0);
             return p;
         },
         kPi / 2, 1, P(0, third), 2 + kPi},
        // Arcs whose path passes angle 0 count along that path.
        {"right half disc, ccw arc through 0",
         [] {
             ProfileOwner p = new_profile();
             ProfileAddLine(p.get(), 0, 1, 0, -1, 0);
             ProfileAddArc(p.get(), 0, 0, 1, 1.5 * kPi, kPi / 2, 1, 0);
             return p;
         },
         kPi / 2, 1, P(third, 0), 2 + kPi},
        {"right half disc, cw arc through 0",
         [] {
             ProfileOwner p = new_profile();
             ProfileAddLine(p.get(), 0, -1, 0, 1, 0);
             ProfileAddArc(p.get(), 0, 0, 1, kPi / 2, 1.5 * kPi, -1, 0);
             return p;
         },
         kPi / 2, -1, P(third, 0), 2 + kPi},
        {"quarter disc in the fourth quadrant",
         [] {
             ProfileOwner p = new_profile();
             ProfileAddLine(p.get(), 0, 0, 0, -2, 0);
             ProfileAddArc(p.get(), 0, 0, 2, -kPi / 2, 0, 1, 0);
             ProfileAddLine(p.get(), 2, 0, 0, 0, 0);
             return p;
         },
         kPi, 1, P(8 / (3 * kPi), -8 / (3 * kPi)), 4 + kPi},
    };
    for (const Measures& row : rows) {
        SCOPED_TRACE(row.name);
        ProfileOwner profile = row.make();
        EXPECT_NEAR(ProfileArea(profile.get()), row.area, kClose);
        EXPECT_EQ(ProfileDir(profile.get()), row.direction);
        EXPECT_TRUE(near_point(*ProfileCentreOfGravity(profile.get()), row.centre));
        EXPECT_NEAR(ProfilePerimeter(profile.get()), row.perimeter, kClose);
        EXPECT_EQ(ProfileOpen(profile.get()), 0);
        EXPECT_EQ(profile->cache_flags & ProfileCacheAll,
                  uint32_t{ProfileCacheArea | ProfileCachePerimeter | ProfileCacheCentre});
    }
}

TEST(Profiles, OpenProfilesHaveNoDirection)
{
    ProfileOwner corner = new_profile();
    ProfileAddLine(corner.get(), 0, 0, 1, 0, 0);
    ProfileAddLine(corner.get(), 1, 0, 1, 1, 0);
    corner->direction = 1;
    EXPECT_EQ(ProfileOpen(corner.get()), 1);
    EXPECT_EQ(corner->direction, 0);
    EXPECT_EQ(ProfileDir(corner.get()), 0);
    EXPECT_NEAR(ProfileArea(corner.get()), 0, kClose);

    ProfileOwner empty = new_profile();
    EXPECT_EQ(ProfileOpen(empty.get()), 1);
    EXPECT_EQ(ProfileOpen(nullptr), 1);
    ProfileOwner half_circle = new_profile();
    ProfileAddArc(half_circle.get(), 0, 0, 1, 0, kPi, 1, 0);
    EXPECT_EQ(ProfileOpen(half_circle.get()), 1);
    // Closed within the profile's own accuracy.
    ProfileOwner nearly = polygon({P(0, 0), P(1, 0), P(1, 1)});
    ProfileEntity(nearly.get(), 2)->d3 = 0.0005;
    EXPECT_EQ(ProfileOpen(nearly.get()), 1);
    nearly->accuracy = 1e-3;
    EXPECT_EQ(ProfileOpen(nearly.get()), 0);
}

TEST(Profiles, EntitiesAndTheirStore)
{
    ProfileOwner profile = new_profile();
    EXPECT_EQ(profile->accuracy, 1e-6);
    EXPECT_EQ(profile->entities->pa_RecordsPerPage, 250u);
    ProfileAddArc(profile.get(), 0, 0, 1, 0, 1, 0, 3);
    ProfileAddArc(profile.get(), 0, 0, 1, 0, 1, -7, 4);
    EXPECT_EQ(ProfileEntity(profile.get(), 0)->direction, 1);
    EXPECT_EQ(ProfileEntity(profile.get(), 1)->direction, -1);
    EXPECT_EQ(ProfileEntity(profile.get(), 1)->user, 4u);
    ProfileEntityRec invalid{};
    invalid.type = 3;
    ProfileAdd(profile.get(), &invalid);
    ProfileEntityRec none{};
    ProfileAdd(profile.get(), &none);
    EXPECT_EQ(ProfileEntityCount(profile.get()), 3u);
    EXPECT_EQ(ProfileEntityType(profile.get(), 2), static_cast<uint32_t>(EntityTypeNone));
    EXPECT_EQ(ProfileEntityType(profile.get(), 3), static_cast<uint32_t>(EntityTypeNone));
    EXPECT_EQ(ProfileEntity(profile.get(), 3), nullptr);

    // Addresses stay valid while entities are appended, across pages.
    ProfileEntityRec* const first = ProfileEntity(profile.get(), 0);
    for (int i = 0; i < 600; ++i)
        ProfileAddLine(profile.get(), i, 0, i + 1, 0, static_cast<uint32_t>(i));
    EXPECT_EQ(ProfileEntity(profile.get(), 0), first);
    EXPECT_EQ(ProfileEntity(profile.get(), 602)->user, 599u);

    ProfileRemove(profile.get(), 1);
    EXPECT_EQ(ProfileEntityCount(profile.get()), 602u);
    EXPECT_EQ(ProfileEntityType(profile.get(), 1), static_cast<uint32_t>(EntityTypeNone));
    EXPECT_EQ(ProfileEntity(profile.get(), 2)->user, 0u);
    ProfileRemove(profile.get(), 602); // past the end: nothing
    EXPECT_EQ(ProfileEntityCount(profile.get()), 602u);
}

TEST(Profiles, NullProfilesGiveNeutralResults)
{
    EXPECT_EQ(ProfileLevel(nullptr), -1);
    EXPECT_EQ(ProfileID(nullptr), 0);
    EXPECT_EQ(ProfileParentID(nullptr), 0);
    EXPECT_EQ(ProfileArea(nullptr), 0.0);
    EXPECT_EQ(ProfileDir(nullptr), 0);
    EXPECT_EQ(ProfilePerimeter(nullptr), 0.0);
    EXPECT_EQ(ProfileEntityCount(nullptr), 0u);
    EXPECT_EQ(ProfileEntity(nullptr, 0), nullptr);
    EXPECT_EQ(ProfileEntityType(nullptr, 0), 0u);
    Point2DRec* shared = ProfileCentreOfGravity(nullptr);
    ASSERT_NE(shared, nullptr);
    *shared = P(5, 5);
    EXPECT_TRUE(near_point(*ProfileCentreOfGravity(nullptr), P(0, 0), 0.0));
    Rectangle2DRec extents{};
    EXPECT_EQ(ProfileExtents(nullptr, &extents), 0);
    EXPECT_EQ(ProfileCmp(nullptr, nullptr), 0);
    const Point2DRec point = P(0, 0);
    EXPECT_EQ(PointOnProfile(nullptr, &point), 0);
    ProfileAddLine(nullptr, 0, 0, 1, 1, 0);
    ProfileAddArc(nullptr, 0, 0, 1, 0, 1, 1, 0);
    ProfileRemove(nullptr, 0);
    ProfileReverse(nullptr);
    ProfileDelete(nullptr);

    ProfileOwner profile = new_profile();
    profile->id = 5;
    profile->parent_id = -3;
    profile->level = 2;
    EXPECT_EQ(ProfileID(profile.get()), 5);
    EXPECT_EQ(ProfileParentID(profile.get()), -3);
    EXPECT_EQ(ProfileLevel(profile.get()), 2);
}

TEST(Profiles, Comparison)
{
    ProfileOwner square = unit_square_ccw();
    ProfileAddArc(square.get(), 5, 5, 1, -kPi / 2, kPi, 1, 0);
    ProfileOwner copy(ProfileCopy(square.get()));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(ProfileCmp(square.get(), copy.get()), 1);
    ProfileEntity(copy.get(), 4)->d4 = 1.5 * kPi; // the same angle
    EXPECT_EQ(ProfileCmp(square.get(), copy.get()), 1);
    ProfileEntity(copy.get(), 1)->d3 += 1e-3;
    EXPECT_EQ(ProfileCmp(square.get(), copy.get()), 0);
    square->accuracy = 1e-2; // the first profile's accuracy is the tolerance
    EXPECT_EQ(ProfileCmp(square.get(), copy.get()), 1);
    ProfileEntity(copy.get(), 4)->direction = -1;
    EXPECT_EQ(ProfileCmp(square.get(), copy.get()), 0);

    ProfileOwner shorter = polygon({P(0, 0), P(1, 0), P(1, 1)});
    EXPECT_EQ(ProfileCmp(square.get(), shorter.get()), 0);
    ProfileOwner empty_a = new_profile();
    ProfileOwner empty_b = new_profile();
    EXPECT_EQ(ProfileCmp(empty_a.get(), empty_b.get()), 1);
}

TEST(Profiles, Extents)
{
    ProfileOwner empty = new_profile();
    Rectangle2DRec extents{P(9, 9), P(9, 9)};
    EXPECT_EQ(ProfileExtents(empty.get(), &extents), 0);
    EXPECT_TRUE(near_point(extents.min, P(9, 9), 0.0));
    EXPECT_EQ(ProfileExtents(empty.get(), nullptr), 0);

    ProfileOwner profile = new_profile();
    ProfileAddLine(profile.get(), 0, 0, 3, 0, 0);
    ProfileAddArc(profile.get(), 3, 1, 1, 1.5 * kPi, kPi / 2, 1, 0);
    ProfileAddLine(profile.get(), 3, 2, 0, 0, 0);
    ASSERT_EQ(ProfileExtents(profile.get(), &extents), 1);
    EXPECT_TRUE(near_point(extents.min, P(0, 0)));
    EXPECT_TRUE(near_point(extents.max, P(4, 2)));
    EXPECT_NE(profile->cache_flags & ProfileCacheExtents, 0u);
    // Changing an entity in place leaves the cache as it was.
    ProfileEntity(profile.get(), 0)->d1 = -5;
    ASSERT_EQ(ProfileExtents(profile.get(), &extents), 1);
    EXPECT_EQ(extents.min.x, 0.0);
    ProfileAddLine(profile.get(), 0, 0, 0, 0, 0); // an addition clears it
    ASSERT_EQ(ProfileExtents(profile.get(), &extents), 1);
    EXPECT_EQ(extents.min.x, -5.0);
}

TEST(Profiles, CopyKeepsIdentityAndClearsTheCache)
{
    ProfileOwner square = unit_square_ccw();
    square->id = 11;
    square->parent_id = 4;
    square->level = 3;
    square->accuracy = 0.01;
    ProfileArea(square.get());
    ProfileOwner copy(ProfileCopy(square.get()));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->id, 11);
    EXPECT_EQ(copy->parent_id, 4);
    EXPECT_EQ(copy->level, 3);
    EXPECT_EQ(copy->accuracy, 0.01);
    EXPECT_EQ(copy->direction, 1);
    EXPECT_EQ(copy->cache_flags & ProfileCacheAll, 0u);
    EXPECT_NE(copy->entities, square->entities);
    EXPECT_EQ(ProfileEntityCount(copy.get()), 4u);

    ProfileOwner from_null(ProfileCopy(nullptr));
    ASSERT_NE(from_null, nullptr);
    EXPECT_EQ(ProfileEntityCount(from_null.get()), 0u);
}

TEST(Profiles, CreateAndCopyFailCleanlyWhenMemoryRunsOut)
{
    // Enough entities for three pages, so that a copy can fail part-way.
    ProfileOwner source = new_profile();
    for (int i = 0; i < 600; ++i)
        ProfileAddLine(source.get(), i, 0, i + 1, 0, 0);
    uint32_t live_before = 0;
    osmark_testing_allocation_counts(&live_before, nullptr);
    bool completed = false;
    for (uint32_t successes = 0; !completed && successes < 50; ++successes) {
        SCOPED_TRACE(successes);
        osmark_testing_fail_allocations(successes, 1);
        Profile* copy = ProfileCopy(source.get());
        osmark_testing_fail_allocations(0, 0);
        if (copy != nullptr) {
            // A copy is whole or not there at all.
            EXPECT_EQ(ProfileEntityCount(copy), 600u);
            EXPECT_EQ(ProfileCmp(source.get(), copy), 1);
            completed = true;
        }
        ProfileDelete(copy);
        uint32_t live_after = 0;
        osmark_testing_allocation_counts(&live_after, nullptr);
        EXPECT_EQ(live_after, live_before);
    }
    EXPECT_TRUE(completed);
}

TEST(Profiles, ReverseRunsTheOtherWayAndClearsTheCache)
{
    ProfileOwner square = unit_square_ccw();
    const ProfileEntityRec last = *ProfileEntity(square.get(), 3);
    ASSERT_EQ(ProfileDir(square.get()), 1);
    ProfileReverse(square.get());
    const ProfileEntityRec& first = *ProfileEntity(square.get(), 0);
    EXPECT_EQ(first.d1, last.d3);
    EXPECT_EQ(first.d2, last.d4);
    EXPECT_EQ(first.d3, last.d1);
    EXPECT_EQ(first.d4, last.d2);
    EXPECT_EQ(first.user, last.user);
    EXPECT_EQ(ProfileDir(square.get()), -1);
    EXPECT_NEAR(ProfileArea(square.get()), 1, kClose);
    EXPECT_EQ(ProfileOpen(square.get()), 0);

    ProfileOwner disc = new_profile();
    ProfileAddLine(disc.get(), -1, 0, 1, 0, 0);
    ProfileAddArc(disc.get(), 0, 0, 1, 0, kPi, 1, 0);
    ProfileCentreOfGravity(disc.get());
    ProfileReverse(disc.get());
    EXPECT_EQ(ProfileDir(disc.get()), -1);
    EXPECT_TRUE(near_point(*ProfileCentreOfGravity(disc.get()), P(0, 4 / (3 * kPi))));
}

TEST(Profiles, PointOnProfile)
{
    ProfileOwner square = unit_square_ccw();
    const Point2DRec on = P(1, 0.5);
    const Point2DRec inside = P(0.5, 0.5);
    EXPECT_EQ(PointOnProfile(square.get(), &on), 1);
    EXPECT_EQ(PointOnProfile(square.get(), &inside), 0);
}

TEST(Profiles, ProfileAgainstAnEntity)
{
    ProfileOwner square = unit_square_ccw();
    ProfileEntityRec across{};
    across.type = EntityTypeLine;
    across.d1 = -1;
    across.d2 = 0.5;
    across.d3 = 2;
    across.d4 = 0.5;
    // The diagonal meets the square at two corners, one of them its own start.
    ProfileEntityRec diagonal{};
    diagonal.type = EntityTypeLine;
    diagonal.d3 = 2;
    diagonal.d4 = 2;
    const struct {
        const ProfileEntityRec& entity;
        int32_t exclude_ends;
        std::vector<Point2DRec> points;
    } rows[] = {
        {across, 0, {P(1, 0.5), P(0, 0.5)}},
        {diagonal, 0, {P(0, 0), P(1, 1), P(1, 1), P(0, 0)}},
        // The bottom side meets it only at its start and does not count; from the
        // right side on, every side that meets it counts.
        {diagonal, 1, {P(1, 1), P(1, 1), P(0, 0)}},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(::testing::Message() << "row " << i);
        Buffer buffer;
        EXPECT_EQ(ProfileProfileEntityIntersect(square.get(), &rows[i].entity, 1,
                                                rows[i].exclude_ends, buffer),
                  static_cast<int32_t>(rows[i].points.size()));
        EXPECT_TRUE(near_points(buffer.points(), rows[i].points));
        EXPECT_EQ(ProfileProfileEntityIntersect(square.get(), &rows[i].entity, 0,
                                                rows[i].exclude_ends, buffer),
                  1);
        EXPECT_EQ(ProfileProfileEntityIntersect(square.get(), &rows[i].entity, 1,
                                                rows[i].exclude_ends, nullptr),
                  1);
    }
    ProfileEntityRec inside_end{};
    inside_end.type = EntityTypeLine;
    inside_end.d1 = 0.5;
    inside_end.d2 = 0;
    inside_end.d3 = 0.5;
    inside_end.d4 = 0.5;
    EXPECT_EQ(ProfileProfileEntityIntersect(square.get(), &inside_end, 1, 1, nullptr), 0);
    EXPECT_EQ(ProfileProfileEntityIntersect(square.get(), &inside_end, 1, 0, nullptr), 1);
    EXPECT_EQ(ProfileProfileEntityIntersect(nullptr, &across, 1, 0, nullptr), 0);
    EXPECT_EQ(ProfileProfileEntityIntersect(square.get(), nullptr, 1, 0, nullptr), 0);
}

TEST(Profiles, ProfileAgainstAProfile)
{
    ProfileOwner square = unit_square_ccw();
    ProfileOwner shifted = polygon({P(0.5, 0.5), P(1.5, 0.5), P(1.5, 1.5), P(0.5, 1.5)});
    ProfileOwner apart = polygon({P(5, 5), P(6, 5), P(6, 6)});
    Buffer buffer;
    EXPECT_EQ(ProfileProfileIntersect(square.get(), shifted.get(), 1, buffer), 2);
    EXPECT_TRUE(near_points(buffer.points(), {P(1, 0.5), P(0.5, 1)}));
    EXPECT_EQ(ProfileProfileIntersect(square.get(), shifted.get(), 0, buffer), 1);
    EXPECT_EQ(ProfileProfileIntersect(square.get(), apart.get(), 1, buffer), 0);
    EXPECT_EQ(ProfileProfileIntersect(square.get(), nullptr, 1, buffer), 0);
}

}
