#include "osmark/profile_lists.h"

#include "geometry_test_support.h"
#include "osmark/testing.h"

#include <gtest/gtest.h>

#include <memory>

using namespace geometry_test;

namespace {

struct ListDeleter {
    void operator()(Profiles* list) const noexcept { ProfilesDelete(list); }
};
using ListOwner = std::unique_ptr<Profiles, ListDeleter>;

struct DrawingDeleter {
    void operator()(ProfileDrawing* drawing) const noexcept { ProfileDrawingDelete(drawing); }
};
using DrawingOwner = std::unique_ptr<ProfileDrawing, DrawingDeleter>;

// A list that owns the profiles, in order.
ListOwner list_of(std::initializer_list<Profile*> profiles)
{
    ListOwner list(ProfilesCreate());
    EXPECT_NE(list, nullptr);
    for (Profile* profile : profiles)
        EXPECT_EQ(ProfilesInsert(list.get(), -1, profile), 1);
    return list;
}

TEST(ProfileLists, InsertRemoveAndGet)
{
    ListOwner list(ProfilesCreate());
    ASSERT_NE(list, nullptr);
    Profile* first = ProfileCreate();
    Profile* second = ProfileCreate();
    Profile* third = ProfileCreate();
    EXPECT_EQ(ProfilesInsert(list.get(), -1, first), 1);
    EXPECT_EQ(ProfilesInsert(list.get(), -1, second), 1);
    EXPECT_EQ(ProfilesInsert(list.get(), 0, third), 1);
    ASSERT_EQ(ProfilesCount(list.get()), 3u);
    EXPECT_EQ(ProfilesProfile(list.get(), 0), third);
    EXPECT_EQ(ProfilesProfile(list.get(), 1), first);
    EXPECT_EQ(ProfilesProfile(list.get(), 2), second);
    EXPECT_EQ(ProfilesProfile(list.get(), 3), nullptr);
    EXPECT_EQ(ProfilesInsert(list.get(), -1, nullptr), 0);
    EXPECT_EQ(ProfilesInsert(nullptr, -1, first), 0);

    // Removing hands the profile back to the caller.
    ProfilesRemove(list.get(), 1);
    ProfileOwner taken(first);
    EXPECT_EQ(ProfilesProfile(list.get(), 1), second);
    ProfilesRemove(list.get(), 7); // out of range: nothing
    EXPECT_EQ(ProfilesCount(list.get()), 2u);

    ListOwner empty(ProfilesCreate());
    Profile* appended = ProfileCreate();
    EXPECT_EQ(ProfilesInsert(empty.get(), 5, appended), 1);
    EXPECT_EQ(ProfilesProfile(empty.get(), 0), appended);
    EXPECT_EQ(ProfilesCount(nullptr), 0u);
    EXPECT_EQ(ProfilesProfile(nullptr, 0), nullptr);
    ProfilesDelete(nullptr);
}

TEST(ProfileLists, ExtentsAndPointsOnEdges)
{
    ListOwner list = list_of({square(0, 0, 1).release(), square(2, 2, 1).release()});
    Rectangle2DRec extents{P(9, 9), P(9, 9)};
    ASSERT_EQ(ProfilesExtents(list.get(), &extents), 1);
    EXPECT_TRUE(near_point(extents.min, P(0, 0), 0.0));
    EXPECT_TRUE(near_point(extents.max, P(3, 3), 0.0));
    const Point2DRec on_edge = P(2.5, 3);
    const Point2DRec inside = P(0.5, 0.5);
    EXPECT_EQ(PointOnProfiles(list.get(), &on_edge), 1);
    EXPECT_EQ(PointOnProfiles(list.get(), &inside), 0);

    // Empty profiles give no extents and are passed over.
    ListOwner empties = list_of({new_profile().release()});
    extents = Rectangle2DRec{P(9, 9), P(9, 9)};
    EXPECT_EQ(ProfilesExtents(empties.get(), &extents), 0);
    EXPECT_TRUE(near_point(extents.min, P(9, 9), 0.0));

    DrawingOwner drawing(ProfileDrawingCreate());
    ASSERT_NE(drawing, nullptr);
    EXPECT_EQ(ProfileDrawingExtents(drawing.get(), &extents), 0);
    EXPECT_TRUE(near_point(extents.max, P(9, 9), 0.0));
    EXPECT_EQ(ProfileDrawingInsertProfiles(drawing.get(), -1, empties.release()), 1);
    EXPECT_EQ(ProfileDrawingInsertProfiles(drawing.get(), -1, list.release()), 1);
    ListOwner far = list_of({square(-5, 1, 1).release()});
    EXPECT_EQ(ProfileDrawingInsertProfiles(drawing.get(), 0, far.release()), 1);
    ASSERT_EQ(ProfileDrawingExtents(drawing.get(), &extents), 1);
    EXPECT_TRUE(near_point(extents.min, P(-5, 0), 0.0));
    EXPECT_TRUE(near_point(extents.max, P(3, 3), 0.0));
    EXPECT_EQ(PointOnProfileDrawing(drawing.get(), &on_edge), 1);
    EXPECT_EQ(PointOnProfileDrawing(drawing.get(), &inside), 0);
}

TEST(ProfileLists, DrawingsOwnTheirListsAndArrays)
{
    DrawingOwner drawing(ProfileDrawingCreate());
    ASSERT_NE(drawing, nullptr);
    Profiles* first = list_of({square(0, 0, 1).release()}).release();
    Profiles* second = list_of({}).release();
    EXPECT_EQ(ProfileDrawingInsertProfiles(drawing.get(), -1, first), 1);
    EXPECT_EQ(ProfileDrawingInsertProfiles(drawing.get(), 0, second), 1);
    EXPECT_EQ(ProfileDrawingInsertProfiles(drawing.get(), -1, nullptr), 0);
    EXPECT_EQ(ProfileDrawingInsertProfiles(nullptr, -1, first), 0);
    ASSERT_EQ(ProfileDrawingGetProfilesCount(drawing.get()), 2u);
    EXPECT_EQ(ProfileDrawingGetProfiles(drawing.get(), 0), second);
    EXPECT_EQ(ProfileDrawingGetProfiles(drawing.get(), 1), first);
    EXPECT_EQ(ProfileDrawingGetProfiles(drawing.get(), 2), nullptr);
    ProfileDrawingRemoveProfiles(drawing.get(), 0);
    ListOwner taken(second);
    EXPECT_EQ(ProfileDrawingGetProfilesCount(drawing.get()), 1u);

    // Osmark makes no arrays; one of the caller's own is released by the drawing.
    EXPECT_EQ(ProfilesArrayCreate(), nullptr);
    ProfilesArray array{list_of({square(5, 5, 1).release()}).release()};
    EXPECT_EQ(ProfileDrawingInsertArray(drawing.get(), -1, &array), 1);
    EXPECT_EQ(ProfileDrawingGetArrayCount(drawing.get()), 1u);
    EXPECT_EQ(ProfileDrawingGetArray(drawing.get(), 0), &array);
    EXPECT_EQ(ProfileDrawingGetArray(drawing.get(), 1), nullptr);
    drawing.reset();
    EXPECT_EQ(array.profiles, nullptr);

    ProfilesArray loose{list_of({}).release()};
    ProfilesArrayDelete(&loose);
    EXPECT_EQ(loose.profiles, nullptr);
    ProfilesArrayDelete(&loose); // nothing left to delete
    ProfilesArrayDelete(nullptr);
    EXPECT_EQ(ProfileDrawingGetProfilesCount(nullptr), 0u);
    EXPECT_EQ(ProfileDrawingGetArrayCount(nullptr), 0u);
    ProfileDrawingDelete(nullptr);
}

TEST(ProfileLists, ADrawingIsWholeOrNotMade)
{
    bool made = false;
    for (uint32_t successes = 0; !made && successes < 10; ++successes) {
        SCOPED_TRACE(successes);
        osmark_testing_fail_allocations(successes, 1);
        DrawingOwner drawing(ProfileDrawingCreate());
        osmark_testing_fail_allocations(0, 0);
        if (drawing == nullptr)
            continue;
        // A drawing without its lists would lose what is inserted into it.
        Profiles* list = list_of({}).release();
        ASSERT_EQ(ProfileDrawingInsertProfiles(drawing.get(), -1, list), 1);
        EXPECT_EQ(ProfileDrawingGetProfiles(drawing.get(), 0), list);
        made = true;
    }
    EXPECT_TRUE(made);
}

}
