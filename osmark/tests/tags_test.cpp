#include "osmark/hooks.h"
#include "osmark/tags.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr Tag kA = TagUser + 1;
constexpr Tag kB = TagUser + 2;
constexpr Tag kC = TagUser + 3;
constexpr Tag kD = TagUser + 4;

// {Ignore, x}, {Skip, 2}, {A, 1}, {B, 2}, {More, L2} with L2 = {C, 3}, {End}.
struct ControlList {
    TagItem second[2] = {{kC, 3}, {TagEnd, 0}};
    TagItem first[5] = {{TagIgnore, 99}, {TagSkip, 2}, {kA, 1}, {kB, 2}, {TagMore, 0}};

    ControlList() { first[4].ti_Data = reinterpret_cast<uintptr_t>(second); }
};

std::vector<Tag> walk(TagItem* list)
{
    std::vector<Tag> tags;
    TagItem* cursor = list;
    while (TagItem* item = NextTagItem(&cursor))
        tags.push_back(item->ti_Tag);
    return tags;
}

TEST(Tags, WalkObeysEveryControlItem)
{
    ControlList l;
    TagItem* cursor = l.first;
    EXPECT_EQ(NextTagItem(&cursor), &l.first[3]);
    EXPECT_EQ(NextTagItem(&cursor), &l.second[0]);
    EXPECT_EQ(NextTagItem(&cursor), nullptr);
    EXPECT_EQ(NextTagItem(&cursor), nullptr) << "the cursor stays on the end";
    EXPECT_EQ(NextTagItem(nullptr), nullptr);
    TagItem* null_cursor = nullptr;
    EXPECT_EQ(NextTagItem(&null_cursor), nullptr);

    TagItem more_to_nothing[] = {{kA, 1}, {TagMore, 0}};
    EXPECT_EQ(walk(more_to_nothing), std::vector<Tag>{kA});
}

TEST(Tags, CloneIsFlatAndRefreshFollowsTheSource)
{
    ControlList l;
    TagItem* clone = CloneTagItems(l.first);
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone[0].ti_Tag, kB);
    EXPECT_EQ(clone[0].ti_Data, 2u);
    EXPECT_EQ(clone[1].ti_Tag, kC);
    EXPECT_EQ(clone[1].ti_Data, 3u);
    EXPECT_EQ(clone[2].ti_Tag, static_cast<Tag>(TagEnd));

    l.second[0].ti_Data = 30;
    RefreshTagItemClones(clone, l.first);
    EXPECT_EQ(clone[1].ti_Data, 30u);
    FreeTagItems(clone);

    TagItem* empty = CloneTagItems(nullptr);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty[0].ti_Tag, static_cast<Tag>(TagEnd));
    FreeTagItems(empty);
    FreeTagItems(nullptr);
}

TEST(Tags, FindAndGetData)
{
    ControlList l;
    EXPECT_EQ(FindTagItem(kC, l.first), &l.second[0]);
    EXPECT_EQ(FindTagItem(kA, l.first), nullptr) << "skipped items are not found";
    EXPECT_EQ(GetTagData(kB, 77, l.first), 2u);
    EXPECT_EQ(GetTagData(kD, 77, l.first), 77u);
    EXPECT_EQ(GetTagData(kB, 77, nullptr), 77u);
    const Tag array[] = {kA, kB, 0};
    EXPECT_EQ(TagInArray(kB, array), 1);
    EXPECT_EQ(TagInArray(kC, array), 0);
    EXPECT_EQ(TagInArray(kA, nullptr), 0);
}

TEST(Tags, FilterKeepsOrDropsByTheArray)
{
    struct Row {
        uint32_t logic;
        const Tag* array;
        uint32_t kept;
        std::vector<Tag> left;
    };
    const Tag ab[] = {kA, kB, 0};
    const Tag none[] = {0};
    const Row rows[] = {
        {0, ab, 2, {kA, kB}},
        {1, ab, 1, {kC}},
        {0, none, 0, {}},
        {0, nullptr, 0, {}},
        {1, nullptr, 3, {kA, kB, kC}},
        {2, none, 3, {kA, kB, kC}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.logic);
        TagItem list[] = {{kA, 1}, {kB, 2}, {kC, 3}, {TagEnd, 0}};
        EXPECT_EQ(FilterTagItems(list, row.array, row.logic), row.kept);
        EXPECT_EQ(walk(list), row.left);
    }
    EXPECT_EQ(FilterTagItems(nullptr, ab, 0), 0u);
}

TEST(Tags, MapRenamesAndDropsUnmappedUnlessKept)
{
    const TagItem map[] = {{kA, kC}, {kB, kD}, {TagEnd, 0}};
    TagItem dropped[] = {{kA, 1}, {kB, 2}, {kC, 3}, {TagEnd, 0}};
    MapTags(dropped, map, 0);
    EXPECT_EQ(walk(dropped), (std::vector<Tag>{kC, kD}));
    TagItem kept[] = {{kA, 1}, {kC, 3}, {TagEnd, 0}};
    MapTags(kept, map, 1);
    EXPECT_EQ(walk(kept), (std::vector<Tag>{kC, kC}));
}

TEST(Tags, PackBoolTagsSetsAndClearsMappedBits)
{
    const TagItem map[] = {{kA, 0x1}, {kB, 0x6}, {TagEnd, 0}};
    const TagItem list[] = {{kA, 1}, {kB, 0}, {kC, 1}, {TagEnd, 0}};
    EXPECT_EQ(PackBoolTags(0x4, list, map), 0x1u);
    EXPECT_EQ(PackBoolTags(0x8, nullptr, map), 0x8u);
}

TEST(Tags, FilterTagChangesNeutralisesItemsThatChangeNothing)
{
    TagItem reference[] = {{kA, 1}, {kB, 2}, {TagEnd, 0}};
    TagItem changes[] = {{kA, 1}, {kB, 5}, {kC, 3}, {TagEnd, 0}};
    FilterTagChanges(changes, reference, 0);
    EXPECT_EQ(walk(changes), (std::vector<Tag>{kB, kC}));
    EXPECT_EQ(reference[1].ti_Data, 2u);
    FilterTagChanges(changes, reference, 1);
    EXPECT_EQ(reference[1].ti_Data, 5u);
}

uintptr_t sum_entry(Hook* hook, void* object, void* message)
{
    const auto* words = static_cast<const uintptr_t*>(message);
    return hook->h_Data + reinterpret_cast<uintptr_t>(object) + words[0] + words[1];
}

TEST(Hooks, CallHookPassesTheInlineWordsAsTheMessage)
{
    Hook hook{};
    hook.h_Entry = sum_entry;
    hook.h_Data = 1000;
    EXPECT_EQ(CallHook(&hook, reinterpret_cast<void*>(200), 30, 4), 1234u);
    Hook no_entry{};
    EXPECT_EQ(CallHookA(&no_entry, nullptr, nullptr), static_cast<uintptr_t>(-1));
    EXPECT_EQ(CallHookA(nullptr, nullptr, nullptr), static_cast<uintptr_t>(-1));
}

}
