/*
 * Intrusive trees. A TreeNode is embedded at the start of the caller's record, which
 * owns it; a Tree is the word that holds the first top-level node. Siblings form a
 * singly linked chain in their order.
 */
#ifndef OSMARK_TREE_H
#define OSMARK_TREE_H

#include "osmark/api.h"

OSMARK_BEGIN_DECLS

typedef struct TreeNode {
    struct TreeNode* tn_FirstChild;
    struct TreeNode* tn_NextSibling;
    struct TreeNode* tn_Parent;   /* NULL at the top level */
} TreeNode;

typedef struct Tree {
    TreeNode* tr_First;           /* first top-level node, NULL when empty */
} Tree;

/* Places for InsertTreeNode; any other value is the address of the sibling after
 * which the node goes. */
enum TreeNodePlace {
    TreeNodeFirst = 1,
    TreeNodeLast = 2
};

/* Makes the tree empty; -4 for IoErr when it is NULL. */
OSMARK_API void NewTree(Tree* tree) OSMARK_NOEXCEPT;
/* Links node under parent (top level for NULL) first, last, or after the sibling that
 * where names (after the last sibling when it is not in the chain). The node keeps its
 * children. 0; -4 for a NULL tree or node. */
OSMARK_API int32_t InsertTreeNode(Tree* tree, TreeNode* parent, TreeNode* node, uintptr_t where) OSMARK_NOEXCEPT;
/* Unlinks node from its parent's (or the top-level) chain; its children stay with it.
 * 0; -4 for NULL; -12 when the node is not in that chain. */
OSMARK_API int32_t RemoveTreeNode(Tree* tree, TreeNode* node) OSMARK_NOEXCEPT;
/* Pre-order walk. With *cursor NULL it starts at the first top-level node (depth 0);
 * otherwise it moves *cursor to the next node and keeps *depth (may be NULL) at that
 * node's level. Returns the node, or NULL at the end (the cursor stays on the last node).
 * NULL with -4 for a NULL cursor pointer, or a NULL tree at the start. */
OSMARK_API TreeNode* WalkTree(Tree* tree, TreeNode** cursor, int32_t* depth) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
