#include "osmark/offsetting.h"

#include "geometry_test_support.h"
#include "osmark/lines_arcs.h"
#include "osmark/testing.h"
#include "test_support/allocation_failure.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

using namespace geometry_test;

namespace {

struct ListDeleter {
    void operator()(Profiles* list) const noexcept { ProfilesDelete(list); }
};
using ListOwner = std::unique_ptr<Profiles, ListDeleter>;

ListOwner offset(Profile* profile, double distance, int32_t clean, int32_t join)
{
    Profiles* raw = nullptr;
    EXPECT_EQ(ProfileOffset(profile, distance, clean, join, &raw), 1);
    return ListOwner(raw);
}

// What a profile is made of: its lines and arcs by size.
struct Makeup {
    std::vector<double> line_lengths;
    std::vector<double> arc_radii;
    std::vector<double> arc_sweeps;
};

Makeup makeup_of(const Profile* profile)
{
    Makeup makeup;
    for (uint32_t i = 0; i < ProfileEntityCount(profile); ++i) {
        const ProfileEntityRec& e = *ProfileEntity(profile, i);
        if (e.type == EntityTypeLine) {
            makeup.line_lengths.push_back(ProfileEntityLength(&e));
        } else if (e.type == EntityTypeArc) {
            makeup.arc_radii.push_back(e.d3);
            makeup.arc_sweeps.push_back(ArcAngle(e.d4, e.d5, e.direction));
        }
    }
    return makeup;
}

::testing::AssertionResult all_near(const std::vector<double>& values, size_t count,
                                    double expected, double tolerance = 1e-9)
{
    if (values.size() != count)
        return ::testing::AssertionFailure() << values.size() << " values instead of " << count;
    for (const double value : values) {
        if (std::abs(value - expected) > tolerance)
            return ::testing::AssertionFailure() << value << " is not " << expected;
    }
    return ::testing::AssertionSuccess();
}

// Closed, each entity starting where the one before it ends.
::testing::AssertionResult closed_chain(const Profile* profile)
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

TEST(Offsetting, ASquareGrowsWithArcsAndShrinksTrimmed)
{
    ProfileOwner unit = square(0, 0, 1);
    unit->id = 7;
    unit->accuracy = 1e-5;
    ListOwner grown = offset(unit.get(), 0.5, 1, OffsetJoinArc);
    ASSERT_EQ(ProfilesCount(grown.get()), 1u);
    Profile* outline = ProfilesProfile(grown.get(), 0);
    const Makeup round = makeup_of(outline);
    EXPECT_TRUE(all_near(round.line_lengths, 4, 1));
    EXPECT_TRUE(all_near(round.arc_radii, 4, 0.5));
    EXPECT_TRUE(all_near(round.arc_sweeps, 4, kPi / 2));
    EXPECT_TRUE(closed_chain(outline));
    EXPECT_NEAR(ProfileArea(outline), 3 + kPi / 4, 1e-9);
    EXPECT_EQ(ProfileDir(outline), 1);
    EXPECT_EQ(ProfileID(outline), 7);
    EXPECT_EQ(outline->accuracy, 1e-5);

    ListOwner shrunk = offset(unit.get(), -0.25, 1, OffsetJoinArc);
    ASSERT_EQ(ProfilesCount(shrunk.get()), 1u);
    const Makeup trimmed = makeup_of(ProfilesProfile(shrunk.get(), 0));
    EXPECT_TRUE(all_near(trimmed.line_lengths, 4, 0.5));
    EXPECT_TRUE(trimmed.arc_radii.empty());
    EXPECT_NEAR(ProfileArea(ProfilesProfile(shrunk.get(), 0)), 0.25, 1e-9);

    // A clockwise square grows for a positive distance too.
    ProfileOwner clockwise = polygon({P(0, 0), P(0, 1), P(1, 1), P(1, 0)});
    ListOwner grown_cw = offset(clockwise.get(), 0.5, 1, OffsetJoinArc);
    ASSERT_EQ(ProfilesCount(grown_cw.get()), 1u);
    EXPECT_NEAR(ProfileArea(ProfilesProfile(grown_cw.get(), 0)), 3 + kPi / 4, 1e-9);
}

TEST(Offsetting, MitreAndBevelCorners)
{
    ProfileOwner unit = square(0, 0, 1);
    // Clean: the arc joins become arcs of half the radius in the mitre corners.
    ListOwner mitre = offset(unit.get(), 0.5, 1, OffsetJoinMitre);
    ASSERT_EQ(ProfilesCount(mitre.get()), 1u);
    const Profile* mitred = ProfilesProfile(mitre.get(), 0);
    const Makeup rounded = makeup_of(mitred);
    EXPECT_TRUE(all_near(rounded.line_lengths, 4, 1.5));
    EXPECT_TRUE(all_near(rounded.arc_radii, 4, 0.25));
    EXPECT_TRUE(closed_chain(mitred));
    EXPECT_NEAR(ProfileArea(ProfilesProfile(mitre.get(), 0)), 4 - (1 - kPi / 4) / 4, 1e-9);

    // Three lines a corner, the middle one touching the arc join at its middle.
    ListOwner bevel = offset(unit.get(), 0.5, 1, OffsetJoinBevel);
    ASSERT_EQ(ProfilesCount(bevel.get()), 1u);
    const Profile* bevelled = ProfilesProfile(bevel.get(), 0);
    const Makeup cut = makeup_of(bevelled);
    EXPECT_EQ(cut.line_lengths.size(), 16u);
    EXPECT_TRUE(cut.arc_radii.empty());
    EXPECT_TRUE(closed_chain(bevelled));
    const double leg = 0.5 - 0.5 * std::tan(kPi / 8);
    EXPECT_NEAR(ProfileArea(ProfilesProfile(bevel.get(), 0)), 4 - 2 * leg * leg, 1e-9);
    const Point2DRec middle = P(1 + 0.5 * std::sqrt(0.5), -0.5 * std::sqrt(0.5));
    EXPECT_EQ(PointOnProfile(bevelled, &middle), 1);

    // Unclean: the raw chain's own mitre lines keep the sharp corners.
    ListOwner sharp = offset(unit.get(), 0.5, 0, OffsetJoinMitre);
    ASSERT_EQ(ProfilesCount(sharp.get()), 1u);
    EXPECT_EQ(makeup_of(ProfilesProfile(sharp.get(), 0)).line_lengths.size(), 12u);
    EXPECT_NEAR(ProfileArea(ProfilesProfile(sharp.get(), 0)), 4, 1e-9);
}

TEST(Offsetting, CirclesAndSmallDistances)
{
    ProfileOwner ring = circle(0, 0, 1);
    for (const auto& [distance, radius] : {std::pair{-0.5, 0.5}, std::pair{0.5, 1.5}}) {
        SCOPED_TRACE(distance);
        ListOwner list = offset(ring.get(), distance, 1, OffsetJoinArc);
        ASSERT_EQ(ProfilesCount(list.get()), 1u);
        const Makeup made = makeup_of(ProfilesProfile(list.get(), 0));
        EXPECT_TRUE(all_near(made.arc_radii, 1, radius));
        EXPECT_TRUE(all_near(made.arc_sweeps, 1, 2 * kPi));
    }
    // Shrunk to its centre, a circle leaves nothing.
    ListOwner gone = offset(ring.get(), -1, 1, OffsetJoinArc);
    EXPECT_EQ(ProfilesCount(gone.get()), 0u);

    ProfileOwner unit = square(0, 0, 1);
    ListOwner same = offset(unit.get(), 0.5e-6, 1, OffsetJoinArc);
    ASSERT_EQ(ProfilesCount(same.get()), 1u);
    EXPECT_EQ(ProfileCmp(ProfilesProfile(same.get(), 0), unit.get()), 1);

    Profiles* raw = reinterpret_cast<Profiles*>(1);
    EXPECT_EQ(ProfileOffset(unit.get(), 1, 1, 1, nullptr), 0);
    EXPECT_EQ(ProfileOffset(nullptr, 1, 1, 1, &raw), 0);
    EXPECT_EQ(raw, nullptr);
}

TEST(Offsetting, AnArcSplitAtItsLowestPointKeepsItsTurn)
{
    // The lower half disc, clockwise: the line along the top, then the arc back round
    // through (0, -1). Grown by 0.5, the arc's offset is the lowest record and is split
    // where it passes its lowest point.
    ProfileOwner half = new_profile();
    ProfileAddLine(half.get(), -1, 0, 1, 0, 0);
    ProfileAddArc(half.get(), 0, 0, 1, 0, kPi, -1, 0);
    ASSERT_EQ(ProfileDir(half.get()), -1);
    ListOwner list = offset(half.get(), 0.5, 1, OffsetJoinArc);
    ASSERT_EQ(ProfilesCount(list.get()), 1u);
    Profile* outline = ProfilesProfile(list.get(), 0);
    EXPECT_TRUE(closed_chain(outline));
    EXPECT_NEAR(ProfilePerimeter(outline), 2 + kPi / 2 + 1.5 * kPi, 1e-9);
    // Two joins and the arc in three pieces, none of them turning the other way round.
    const std::vector<double> sweeps = makeup_of(outline).arc_sweeps;
    EXPECT_EQ(sweeps.size(), 5u);
    for (const double sweep : sweeps)
        EXPECT_LE(sweep, kPi / 2 + 1e-9);
    // The half disc with a band of 0.5 around it.
    EXPECT_NEAR(ProfileArea(outline), kPi / 2 + (2 + kPi) * 0.5 + kPi * 0.25, 1e-9);
}

TEST(Offsetting, OpenProfilesGoToOneSide)
{
    // Right of the direction of travel for a positive distance, left for a negative one.
    ProfileOwner corner = new_profile();
    ProfileAddLine(corner.get(), 0, 0, 4, 0, 0);
    ProfileAddLine(corner.get(), 4, 0, 4, 4, 0);
    ListOwner outside = offset(corner.get(), 1, 1, OffsetJoinArc);
    ASSERT_EQ(ProfilesCount(outside.get()), 1u);
    const Profile* round = ProfilesProfile(outside.get(), 0);
    ASSERT_EQ(ProfileEntityCount(round), 3u);
    EXPECT_TRUE(near_point(start_of(*ProfileEntity(round, 0)), P(0, -1)));
    EXPECT_TRUE(all_near(makeup_of(round).arc_radii, 1, 1));
    EXPECT_TRUE(near_point(end_of(*ProfileEntity(round, 2)), P(5, 4)));

    ListOwner inside = offset(corner.get(), -1, 1, OffsetJoinArc);
    ASSERT_EQ(ProfilesCount(inside.get()), 1u);
    const Profile* trimmed = ProfilesProfile(inside.get(), 0);
    ASSERT_EQ(ProfileEntityCount(trimmed), 2u);
    EXPECT_TRUE(near_point(end_of(*ProfileEntity(trimmed, 0)), P(3, 1)));
}

TEST(Offsetting, OpenProfilesBecomeBands)
{
    ProfileOwner line = new_profile();
    ProfileAddLine(line.get(), 0, 0, 4, 0, 0);
    Profiles* raw = nullptr;
    ASSERT_EQ(ProfileOpenOffset(line.get(), 1, OffsetJoinArc, &raw), 1);
    ListOwner band(raw);
    ASSERT_EQ(ProfilesCount(band.get()), 1u);
    Profile* outline = ProfilesProfile(band.get(), 0);
    const Makeup made = makeup_of(outline);
    EXPECT_TRUE(all_near(made.line_lengths, 2, 4));
    EXPECT_TRUE(all_near(made.arc_radii, 2, 1));
    EXPECT_TRUE(all_near(made.arc_sweeps, 2, kPi));
    EXPECT_TRUE(closed_chain(outline));
    EXPECT_NEAR(ProfileArea(outline), 8 + kPi, 1e-9);
    EXPECT_EQ(ProfileEntityCount(line.get()), 1u); // the source stays as it was

    // A closed profile is offset cleanly.
    ProfileOwner unit = square(0, 0, 1);
    ASSERT_EQ(ProfileOpenOffset(unit.get(), 0.5, OffsetJoinArc, &raw), 1);
    ListOwner grown(raw);
    ASSERT_EQ(ProfilesCount(grown.get()), 1u);
    EXPECT_NEAR(ProfileArea(ProfilesProfile(grown.get(), 0)), 3 + kPi / 4, 1e-9);
}

TEST(Offsetting, ANarrowNeckSplitsTheInsideInTwo)
{
    // Two 3 x 3 squares joined by a neck 1 long and 0.2 wide.
    ProfileOwner dumbbell = polygon({P(0, 0), P(3, 0), P(3, 1.4), P(4, 1.4), P(4, 0), P(7, 0),
                                     P(7, 3), P(4, 3), P(4, 1.6), P(3, 1.6), P(3, 3), P(0, 3)});
    ASSERT_EQ(ProfileDir(dumbbell.get()), 1);
    ListOwner list = offset(dumbbell.get(), -0.5, 1, OffsetJoinArc);
    ASSERT_EQ(ProfilesCount(list.get()), 2u);
    for (uint32_t i = 0; i < 2; ++i) {
        Profile* side = ProfilesProfile(list.get(), i);
        EXPECT_TRUE(closed_chain(side));
        EXPECT_NEAR(ProfileArea(side), 4, 0.01);
    }
    // Less than half the neck keeps one outline.
    ListOwner thin = offset(dumbbell.get(), -0.05, 1, OffsetJoinArc);
    EXPECT_EQ(ProfilesCount(thin.get()), 1u);
}

// A ring of 500 teeth about the origin, each a line climbing from radius 10 to 10.05
// and an arc back to radius 10.
ProfileOwner toothed_ring()
{
    ProfileOwner ring = new_profile();
    constexpr int kTeeth = 500;
    const double step = 2 * kPi / kTeeth;
    const auto at = [](double radius, double angle) {
        return P(radius * std::cos(angle), radius * std::sin(angle));
    };
    for (int k = 0; k < kTeeth; ++k) {
        const double angle = k * step;
        const Point2DRec tip = at(10.05, angle + 0.5 * step);
        const Point2DRec middle = at(10.03, angle + 0.75 * step);
        const Point2DRec next = at(10, angle + step);
        const Point2DRec from = at(10, angle);
        ProfileAddLine(ring.get(), from.x, from.y, tip.x, tip.y, 0);
        Point2DRec centre{};
        double radius = 0, start = 0, end = 0;
        int32_t direction = 0;
        FitArc3Points(&tip, &middle, &next, &centre, &radius, &start, &end, &direction);
        ProfileAddArc(ring.get(), centre.x, centre.y, radius, start, end, direction, 0);
    }
    return ring;
}

// Grown by more than a tooth is wide, the offsets of the teeth cross one another and
// the chain is cut into many loops: the outline that remains runs round the tips. Its
// lowest record is a join arc about a tip, split there; and its sample point lies where
// two offsets meet, as far from the next tooth as from its own.
TEST(Offsetting, ARingOfTeethGrowsIntoOneOutline)
{
    ProfileOwner ring = toothed_ring();
    ASSERT_EQ(ProfileDir(ring.get()), 1);
    ListOwner list = offset(ring.get(), 0.2, 1, OffsetJoinArc);
    ASSERT_EQ(ProfilesCount(list.get()), 1u);
    Profile* outline = ProfilesProfile(list.get(), 0);
    EXPECT_TRUE(closed_chain(outline));
    EXPECT_GT(ProfileArea(outline), kPi * 10.2 * 10.2);
    EXPECT_LT(ProfileArea(outline), kPi * 10.25 * 10.25);
}

// The nearest the profile's entities come to the source, measured at their starts and
// middles.
double nearest_approach(const Profile* profile, const Profile* source)
{
    double nearest = HUGE_VAL;
    for (uint32_t i = 0; i < ProfileEntityCount(profile); ++i) {
        const ProfileEntityRec& e = *ProfileEntity(profile, i);
        Point2DRec middle{};
        ProfileEntityPoint(&e, 0.5, 1, &middle);
        for (const Point2DRec& point : {start_of(e), middle}) {
            for (uint32_t k = 0; k < ProfileEntityCount(source); ++k) {
                Point2DRec closest{};
                ProfileEntityPointClosestTo(ProfileEntity(source, k), &point, &closest);
                nearest = std::min(nearest, std::hypot(closest.x - point.x, closest.y - point.y));
            }
        }
    }
    return nearest;
}

// Shrunk by more than a tooth is wide, the offsets of the teeth dip back towards the
// ring in loops below the outline, and the lowest point of the chain lies on one of
// them. The outline that remains runs inside the valleys and keeps the distance
// everywhere: no piece of those loops stays in it.
TEST(Offsetting, ARingOfTeethShrinksIntoOneOutline)
{
    ProfileOwner ring = toothed_ring();
    ListOwner list = offset(ring.get(), -0.2, 1, OffsetJoinArc);
    ASSERT_EQ(ProfilesCount(list.get()), 1u);
    Profile* outline = ProfilesProfile(list.get(), 0);
    EXPECT_TRUE(closed_chain(outline));
    EXPECT_GT(nearest_approach(outline, ring.get()), 0.2 - 1e-6);
    EXPECT_GT(ProfileArea(outline), kPi * 9.8 * 9.8);
    EXPECT_LT(ProfileArea(outline), kPi * 9.81 * 9.81);
}

TEST(Offsetting, FailingMemoryLeavesNothingBehind)
{
    ProfileOwner dumbbell = polygon({P(0, 0), P(3, 0), P(3, 1.4), P(4, 1.4), P(4, 0), P(7, 0),
                                     P(7, 3), P(4, 3), P(4, 1.6), P(3, 1.6), P(3, 3), P(0, 3)});
    uint32_t live_before = 0;
    osmark_testing_allocation_counts(&live_before, nullptr);
    bool whole = false;
    for (uint32_t successes = 0; !whole && successes < 2000; ++successes) {
        SCOPED_TRACE(successes);
        Profiles* list = nullptr;
        int32_t result = 0;
        {
            const test_support::NewJoinsCountdown countdown;
            osmark_testing_fail_allocations(successes, 1);
            result = ProfileOffset(dumbbell.get(), -0.5, 1, OffsetJoinMitre, &list);
            osmark_testing_fail_allocations(0, 0);
        }
        EXPECT_EQ(result != 0, list != nullptr);
        whole = ProfilesCount(list) == 2;
        ProfilesDelete(list);
        uint32_t live_after = 0;
        osmark_testing_allocation_counts(&live_after, nullptr);
        EXPECT_EQ(live_after, live_before);
    }
    EXPECT_TRUE(whole);
}

}
