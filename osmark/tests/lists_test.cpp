#include "osmark/errors.h"
#include "osmark/lists.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct NamedNodes {
    Node nodes[5]{};
    List list{};
    char names[5][2]{};

    NamedNodes()
    {
        NewList(&list);
        for (int i = 0; i < 5; ++i) {
            names[i][0] = static_cast<char>('A' + i);
            nodes[i].ln_Name = names[i];
        }
    }
};

std::string names_of(const List* list)
{
    std::string names;
    for (const Node* node = list->lh_Head; node->ln_Succ != nullptr; node = node->ln_Succ)
        names += node->ln_Name;
    // The backward links must agree with the forward ones.
    std::string backwards;
    for (const Node* node = list->lh_TailPred; node->ln_Pred != nullptr; node = node->ln_Pred)
        backwards.insert(0, node->ln_Name);
    EXPECT_EQ(names, backwards);
    return names;
}

TEST(Lists, EmptyListHasNothingToRemove)
{
    List list;
    NewList(&list);
    EXPECT_TRUE(IsListEmpty(&list));
    IoErr();
    EXPECT_EQ(RemHead(&list), nullptr);
    EXPECT_EQ(RemTail(&list), nullptr);
    EXPECT_EQ(IoErr(), 0);
    EXPECT_EQ(names_of(&list), "");
}

TEST(Lists, AddInsertAndRemove)
{
    NamedNodes n;
    EXPECT_EQ(AddHead(&n.list, &n.nodes[1]), &n.nodes[1]);
    AddTail(&n.list, &n.nodes[3]);
    AddHead(&n.list, &n.nodes[0]);
    Insert(&n.list, &n.nodes[2], &n.nodes[1]);
    Insert(&n.list, &n.nodes[4], nullptr);
    EXPECT_EQ(names_of(&n.list), "EABCD");
    Remove(&n.nodes[2]);
    EXPECT_EQ(RemHead(&n.list), &n.nodes[4]);
    EXPECT_EQ(RemTail(&n.list), &n.nodes[3]);
    EXPECT_EQ(names_of(&n.list), "AB");
}

TEST(Lists, EnqueuePutsNewNodesAheadOfEqualPriority)
{
    NamedNodes n;
    const int16_t priorities[] = {5, 0, 5, -3, 7};
    for (int i = 0; i < 5; ++i) {
        n.nodes[i].ln_Pri = priorities[i];
        Enqueue(&n.list, &n.nodes[i]);
    }
    EXPECT_EQ(names_of(&n.list), "ECABD");
}

TEST(Lists, FindNameSearchesAfterTheStart)
{
    NamedNodes n;
    char same_name[] = "A";
    n.nodes[2].ln_Name = same_name;
    for (Node& node : n.nodes)
        AddTail(&n.list, &node);
    EXPECT_EQ(FindName(&n.list, "A"), &n.nodes[0]);
    // A node stands where a list is expected: the search starts after it.
    EXPECT_EQ(FindName(reinterpret_cast<List*>(&n.nodes[0]), "A"), &n.nodes[2]);
    EXPECT_EQ(FindName(reinterpret_cast<List*>(&n.nodes[4]), "A"), nullptr);
    EXPECT_EQ(FindName(&n.list, "a"), nullptr) << "names compare exactly";
    IoErr();
    EXPECT_EQ(FindName(&n.list, nullptr), nullptr);
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
}

TEST(Lists, NodeUpAndDownWrapOnlyWhenAsked)
{
    NamedNodes n;
    for (int i = 0; i < 3; ++i)
        AddTail(&n.list, &n.nodes[i]);
    struct Row {
        bool up;
        int node;
        int32_t wrap;
        int32_t result;
        const char* order;
    };
    const Row rows[] = {
        {true, 0, 0, 1, "ABC"},  {true, 0, 1, 1, "BCA"},  {true, 0, 0, 0, "BAC"},
        {false, 2, 0, 1, "BAC"}, {false, 2, 1, 1, "CBA"}, {false, 2, 0, 0, "BCA"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.order);
        const int32_t result = row.up ? NodeUp(&n.list, &n.nodes[row.node], row.wrap)
                                      : NodeDown(&n.list, &n.nodes[row.node], row.wrap);
        EXPECT_EQ(result, row.result);
        EXPECT_EQ(names_of(&n.list), row.order);
    }
}

TEST(Lists, NullArgumentsLeaveRequiredArgumentMissing)
{
    Node node{};
    List list;
    NewList(&list);
    IoErr();
    AddTail(nullptr, &node);
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
    EXPECT_EQ(AddHead(&list, nullptr), nullptr);
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
    Enqueue(&list, nullptr);
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
    EXPECT_TRUE(IsListEmpty(&list));
}

}
