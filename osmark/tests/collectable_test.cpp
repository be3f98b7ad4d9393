#include "osmark/collectable.h"
#include "osmark/errors.h"
#include "osmark/testing.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// Destructors record the objects they were called with, in order.
std::string g_destroyed;

void destroy(void* object)
{
    g_destroyed += *static_cast<const char*>(object);
}

void destroy_by_default(void* object)
{
    g_destroyed += '(';
    g_destroyed += *static_cast<const char*>(object);
    g_destroyed += ')';
}

char g_objects[] = "abcdefgh";

void* object(char name)
{
    return &g_objects[name - 'a'];
}

TEST(Collectable, CollectRunsDestructorsNewestFirst)
{
    struct Case {
        const char* name;
        CollectableDestructor default_destructor;
        const char* destroyed;
    };
    // a with its own destructor, b without, c with its own.
    const Case cases[] = {
        {"with a default", destroy_by_default, "c(b)a"},
        {"without a default", nullptr, "ca"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Collectable* bag = CollectableCreate(c.default_destructor);
        ASSERT_NE(bag, nullptr);
        EXPECT_EQ(CollectableAdd(bag, object('a'), destroy), 0);
        EXPECT_EQ(CollectableAdd(bag, object('b'), nullptr), 0);
        EXPECT_EQ(CollectableAdd(bag, object('c'), destroy), 0);
        g_destroyed.clear();
        EXPECT_EQ(CollectableCollect(bag), 0);
        EXPECT_EQ(g_destroyed, c.destroyed);
        // The bag is empty now: nothing runs twice.
        EXPECT_EQ(CollectableCollect(bag), 0);
        EXPECT_EQ(CollectableDelete(bag), 0);
        EXPECT_EQ(g_destroyed, c.destroyed);
    }
}

TEST(Collectable, RemoveDropsAnEntryWithoutDestroyingIt)
{
    Collectable* bag = CollectableCreate(destroy);
    CollectableAdd(bag, object('a'), nullptr);
    CollectableAdd(bag, object('b'), nullptr);
    CollectableAdd(bag, object('a'), destroy_by_default);
    g_destroyed.clear();
    EXPECT_EQ(CollectableRemove(bag, object('a')), 0);  // the newest entry of a
    EXPECT_EQ(g_destroyed, "");
    IoErr();
    EXPECT_EQ(CollectableRemove(bag, object('c')), IoErrObjectNotFound);
    EXPECT_EQ(IoErr(), IoErrObjectNotFound);
    EXPECT_EQ(CollectableDelete(bag), 0);
    EXPECT_EQ(g_destroyed, "ba");
}

TEST(Collectable, DestructorMayAddToTheSameBag)
{
    static Collectable* bag;
    bag = CollectableCreate(nullptr);
    CollectableAdd(bag, object('a'), [](void* o) {
        g_destroyed += *static_cast<const char*>(o);
        CollectableAdd(bag, object('h'), destroy);
    });
    g_destroyed.clear();
    EXPECT_EQ(CollectableCollect(bag), 0);
    EXPECT_EQ(g_destroyed, "ah");
    EXPECT_EQ(CollectableDelete(bag), 0);
}

TEST(Collectable, WrongMagicOrNullDoesNothing)
{
    Collectable* bag = CollectableCreate(nullptr);
    CollectableAdd(bag, object('a'), destroy);
    // The record begins with its magic word; spoil it.
    uint32_t magic = 0;
    std::memcpy(&magic, bag, sizeof(magic));
    EXPECT_EQ(magic, 0x71717171u);
    const uint32_t spoiled = 0x12345678;
    std::memcpy(static_cast<void*>(bag), &spoiled, sizeof(spoiled));

    g_destroyed.clear();
    struct Case {
        const char* name;
        int32_t (*call)(Collectable*);
    };
    const Case cases[] = {
        {"add", [](Collectable* c) { return CollectableAdd(c, object('b'), destroy); }},
        {"remove", [](Collectable* c) { return CollectableRemove(c, object('a')); }},
        {"collect", CollectableCollect},
        {"delete", CollectableDelete},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IoErr();
        EXPECT_EQ(c.call(bag), IoErrObjectInvalid);
        EXPECT_EQ(IoErr(), IoErrObjectInvalid);
        IoErr();
        EXPECT_EQ(c.call(nullptr), IoErrRequiredArgMissing);
        EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
    }
    EXPECT_EQ(g_destroyed, "");

    // With its magic back the bag still holds exactly its one entry.
    std::memcpy(static_cast<void*>(bag), &magic, sizeof(magic));
    EXPECT_EQ(CollectableDelete(bag), 0);
    EXPECT_EQ(g_destroyed, "a");
}

TEST(Collectable, FailedAllocationsAreReported)
{
    osmark_testing_fail_allocations(0, 1);
    IoErr();
    EXPECT_EQ(CollectableCreate(nullptr), nullptr);
    EXPECT_EQ(IoErr(), IoErrNoMemory);

    Collectable* bag = CollectableCreate(nullptr);
    osmark_testing_fail_allocations(0, 1);
    EXPECT_EQ(CollectableAdd(bag, object('a'), destroy), IoErrNoMemory);
    osmark_testing_fail_allocations(0, 0);
    g_destroyed.clear();
    EXPECT_EQ(CollectableDelete(bag), 0);
    EXPECT_EQ(g_destroyed, "");
}

}
