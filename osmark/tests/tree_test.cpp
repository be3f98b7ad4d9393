#include "osmark/errors.h"
#include "osmark/tree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A record with a tree node at its start, as callers embed it.
struct Named {
    TreeNode node{};
    char name = '?';
};

struct Forest {
    Tree tree{};
    Named nodes[8];

    Forest()
    {
        NewTree(&tree);
        for (int i = 0; i < 8; ++i)
            nodes[i].name = static_cast<char>('a' + i);
    }
    TreeNode* operator[](char name) { return &nodes[name - 'a'].node; }
};

char name_of(const TreeNode* node)
{
    return reinterpret_cast<const Named*>(node)->name;
}

// The pre-order walk as names with depths, e.g. "a0 b1 c2".
std::string walk(Tree* tree)
{
    std::string text;
    TreeNode* cursor = nullptr;
    int32_t depth = -1;
    for (TreeNode* node = WalkTree(tree, &cursor, &depth); node != nullptr; node = WalkTree(tree, &cursor, &depth)) {
        EXPECT_EQ(node, cursor);
        if (!text.empty())
            text += ' ';
        text += name_of(node) + std::to_string(depth);
        if (text.size() > 200)
            break;
    }
    return text;
}

std::string children(const TreeNode* parent, const Tree* tree)
{
    std::string names;
    const TreeNode* first = parent != nullptr ? parent->tn_FirstChild : tree->tr_First;
    for (const TreeNode* node = first; node != nullptr; node = node->tn_NextSibling) {
        names += name_of(node);
        EXPECT_EQ(node->tn_Parent, parent);
    }
    return names;
}

TEST(Tree, WalkIsPreOrderWithDepths)
{
    Forest f;
    // root with children x (with child y) and z.
    ASSERT_EQ(InsertTreeNode(&f.tree, nullptr, f['a'], TreeNodeLast), 0);
    ASSERT_EQ(InsertTreeNode(&f.tree, f['a'], f['b'], TreeNodeLast), 0);
    ASSERT_EQ(InsertTreeNode(&f.tree, f['b'], f['c'], TreeNodeLast), 0);
    ASSERT_EQ(InsertTreeNode(&f.tree, f['a'], f['d'], TreeNodeLast), 0);
    EXPECT_EQ(walk(&f.tree), "a0 b1 c2 d1");

    // The walk ends with the cursor on the last node.
    TreeNode* cursor = f['d'];
    int32_t depth = 1;
    EXPECT_EQ(WalkTree(&f.tree, &cursor, &depth), nullptr);
    EXPECT_EQ(cursor, f['d']);

    // A climb of several levels, and more top-level nodes.
    ASSERT_EQ(InsertTreeNode(&f.tree, f['c'], f['e'], TreeNodeLast), 0);
    ASSERT_EQ(InsertTreeNode(&f.tree, nullptr, f['f'], TreeNodeLast), 0);
    ASSERT_EQ(InsertTreeNode(&f.tree, f['f'], f['g'], TreeNodeFirst), 0);
    EXPECT_EQ(walk(&f.tree), "a0 b1 c2 e3 d1 f0 g1");

    // Without a depth pointer the walk still moves.
    cursor = nullptr;
    EXPECT_EQ(WalkTree(&f.tree, &cursor, nullptr), f['a']);
    EXPECT_EQ(WalkTree(&f.tree, &cursor, nullptr), f['b']);

    Tree empty;
    NewTree(&empty);
    EXPECT_EQ(walk(&empty), "");
}

TEST(Tree, InsertPlacesTheNodeAsAsked)
{
    struct Case {
        const char* name;
        uintptr_t (*where)(Forest&);
        const char* order;
    };
    const Case cases[] = {
        {"first", [](Forest&) -> uintptr_t { return TreeNodeFirst; }, "xbcd"},
        {"last", [](Forest&) -> uintptr_t { return TreeNodeLast; }, "bcdx"},
        {"after the first sibling", [](Forest& f) { return reinterpret_cast<uintptr_t>(f['b']); }, "bxcd"},
        {"after the last sibling", [](Forest& f) { return reinterpret_cast<uintptr_t>(f['d']); }, "bcdx"},
        {"after a node of another chain", [](Forest& f) { return reinterpret_cast<uintptr_t>(f['a']); }, "bcdx"},
        {"after an unknown address", [](Forest&) -> uintptr_t { return 12345; }, "bcdx"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Forest f;
        InsertTreeNode(&f.tree, nullptr, f['a'], TreeNodeLast);
        for (char child : {'b', 'c', 'd'})
            InsertTreeNode(&f.tree, f['a'], f[child], TreeNodeLast);
        Named x;
        x.name = 'x';
        x.node.tn_NextSibling = f['h'];  // stale links are replaced
        x.node.tn_Parent = f['h'];
        EXPECT_EQ(InsertTreeNode(&f.tree, f['a'], &x.node, c.where(f)), 0);
        EXPECT_EQ(children(f['a'], &f.tree), c.order);
    }

    // Into an empty chain every place makes the node the only child.
    for (uintptr_t where : {uintptr_t{TreeNodeFirst}, uintptr_t{TreeNodeLast}, uintptr_t{999}}) {
        SCOPED_TRACE(where);
        Forest f;
        InsertTreeNode(&f.tree, nullptr, f['a'], TreeNodeLast);
        f['b']->tn_NextSibling = f['c'];
        EXPECT_EQ(InsertTreeNode(&f.tree, f['a'], f['b'], where), 0);
        EXPECT_EQ(children(f['a'], &f.tree), "b");
    }
}

TEST(Tree, RemoveKeepsTheChildrenWithTheNode)
{
    Forest f;
    for (char top : {'a', 'b', 'c'})
        InsertTreeNode(&f.tree, nullptr, f[top], TreeNodeLast);
    InsertTreeNode(&f.tree, f['b'], f['d'], TreeNodeLast);
    InsertTreeNode(&f.tree, f['b'], f['e'], TreeNodeLast);
    InsertTreeNode(&f.tree, f['e'], f['f'], TreeNodeLast);
    EXPECT_EQ(walk(&f.tree), "a0 b0 d1 e1 f2 c0");

    EXPECT_EQ(RemoveTreeNode(&f.tree, f['e']), 0);
    EXPECT_EQ(children(f['b'], &f.tree), "d");
    EXPECT_EQ(f['e']->tn_FirstChild, f['f']);
    EXPECT_EQ(RemoveTreeNode(&f.tree, f['a']), 0);
    EXPECT_EQ(children(nullptr, &f.tree), "bc");
    EXPECT_EQ(RemoveTreeNode(&f.tree, f['c']), 0);
    EXPECT_EQ(walk(&f.tree), "b0 d1");

    // A node that is not in its parent's chain leaves the chain alone.
    IoErr();
    EXPECT_EQ(RemoveTreeNode(&f.tree, f['c']), IoErrObjectNotFound);
    EXPECT_EQ(IoErr(), IoErrObjectNotFound);
    EXPECT_EQ(walk(&f.tree), "b0 d1");

    // A removed subtree can be inserted again elsewhere.
    EXPECT_EQ(InsertTreeNode(&f.tree, f['d'], f['e'], TreeNodeLast), 0);
    EXPECT_EQ(walk(&f.tree), "b0 d1 e2 f3");
}

TEST(Tree, NullArgumentsAreRejected)
{
    Forest f;
    TreeNode* cursor = nullptr;
    struct Case {
        const char* name;
        bool (*call)(Forest&, TreeNode*&);  // true when the call answered as a failure
    };
    const Case cases[] = {
        {"insert into NULL tree", [](Forest& t, TreeNode*&) { return InsertTreeNode(nullptr, nullptr, t['a'], 1) == -4; }},
        {"insert NULL node", [](Forest& t, TreeNode*&) { return InsertTreeNode(&t.tree, nullptr, nullptr, 1) == -4; }},
        {"remove from NULL tree", [](Forest& t, TreeNode*&) { return RemoveTreeNode(nullptr, t['a']) == -4; }},
        {"remove NULL node", [](Forest& t, TreeNode*&) { return RemoveTreeNode(&t.tree, nullptr) == -4; }},
        {"walk NULL cursor pointer", [](Forest& t, TreeNode*&) { return WalkTree(&t.tree, nullptr, nullptr) == nullptr; }},
        {"walk NULL tree at the start", [](Forest&, TreeNode*& c) { return WalkTree(nullptr, &c, nullptr) == nullptr; }},
        {"new NULL tree", [](Forest&, TreeNode*&) { NewTree(nullptr); return true; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IoErr();
        EXPECT_TRUE(c.call(f, cursor));
        EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
    }
    EXPECT_EQ(cursor, nullptr);

    // Once a walk is under way the tree is not needed.
    InsertTreeNode(&f.tree, nullptr, f['a'], TreeNodeLast);
    InsertTreeNode(&f.tree, f['a'], f['b'], TreeNodeLast);
    cursor = f['a'];
    EXPECT_EQ(WalkTree(nullptr, &cursor, nullptr), f['b']);
}

}
