#include "osmark/containment.h"

#include "geometry_test_support.h"

#include <gtest/gtest.h>

using namespace geometry_test;

namespace {

TEST(Containment, PointsAgainstAProfile)
{
    ProfileOwner unit = square(0, 0, 1);
    ProfileOwner ring = circle(0, 0, 1);
    // An L: the notch at the upper right.
    ProfileOwner ell = polygon({P(0, 0), P(2, 0), P(2, 1), P(1, 1), P(1, 2), P(0, 2)});
    ProfileOwner clockwise = polygon({P(0, 0), P(0, 1), P(1, 1), P(1, 0)});
    const struct {
        const char* name;
        const Profile* profile;
        Point2DRec point;
        int32_t inside;
    } rows[] = {
        {"square centre", unit.get(), P(0.5, 0.5), 1},
        {"right of the square", unit.get(), P(1.5, 0.5), 0},
        {"left of the square", unit.get(), P(-0.5, 0.5), 0},
        {"on an edge", unit.get(), P(1, 0.3), 1},
        {"at a corner", unit.get(), P(1, 1), 1},
        {"level with a corner, outside", unit.get(), P(2, 1), 0},
        {"clockwise square centre", clockwise.get(), P(0.5, 0.5), 1},
        {"circle centre", ring.get(), P(0, 0), 1},
        {"on the circle", ring.get(), P(0, -1), 1},
        {"beyond the radius", ring.get(), P(0.8, 0.8), 0},
        {"in the foot of the L", ell.get(), P(1.5, 0.5), 1},
        {"in the notch of the L", ell.get(), P(1.5, 1.5), 0},
        {"level with the notch's floor", ell.get(), P(0.5, 1), 1},
    };
    for (const auto& row : rows)
        EXPECT_EQ(PointInProfile(row.profile, &row.point), row.inside) << row.name;
    const Point2DRec point = P(0, 0);
    EXPECT_EQ(PointInProfile(nullptr, &point), 0);
    EXPECT_EQ(PointInProfile(unit.get(), nullptr), 0);
}

TEST(Containment, ProfilesAgainstEachOther)
{
    ProfileOwner small = square(1, 1, 1);
    ProfileOwner large = square(0, 0, 3);
    ProfileOwner overlapping = square(0.5, 0.5, 1);
    ProfileOwner beside = square(2, 1, 1);
    ProfileOwner far = square(10, 10, 1);
    ProfileOwner ring = circle(1.5, 1.5, 0.25);
    ProfileOwner copy(ProfileCopy(small.get()));
    const struct {
        const char* name;
        Profile* a;
        Profile* b;
        int32_t relation;
    } rows[] = {
        {"small in large", small.get(), large.get(), ProfileFirstInside},
        {"large around small", large.get(), small.get(), ProfileSecondInside},
        {"overlapping", small.get(), overlapping.get(), ProfilesMeet},
        {"sharing an edge", small.get(), beside.get(), ProfilesMeet},
        {"far apart", small.get(), far.get(), ProfilesApart},
        {"equal", small.get(), copy.get(), ProfilesMeet},
        {"circle in the square", ring.get(), small.get(), ProfileFirstInside},
        {"square around the circle", small.get(), ring.get(), ProfileSecondInside},
        {"no profile", small.get(), nullptr, ProfilesApart},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ProfileInProfile(row.a, row.b), row.relation) << row.name;
}

}
