// Intrusive trees: chains of siblings under a parent, walked in pre-order.

#include "osmark/tree.h"

#include "core/runtime/make_error.h"
#include "osmark/errors.h"

namespace {

bool arguments_present(const void* a, const void* b)
{
    if (a == nullptr || b == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return false;
    }
    return true;
}

// The word that holds the first node of the chain the node belongs to.
TreeNode** chain_head(Tree* tree, TreeNode* parent)
{
    return parent != nullptr ? &parent->tn_FirstChild : &tree->tr_First;
}

TreeNode* last_in_chain(TreeNode* first)
{
    TreeNode* last = first;
    while (last->tn_NextSibling != nullptr)
        last = last->tn_NextSibling;
    return last;
}

// The sibling after which a node goes: the one named by where, or the last one when
// where names no member of the chain.
TreeNode* sibling_before(TreeNode* first, uintptr_t where)
{
    for (TreeNode* sibling = first; sibling != nullptr; sibling = sibling->tn_NextSibling) {
        if (reinterpret_cast<uintptr_t>(sibling) == where)
            return sibling;
    }
    return last_in_chain(first);
}

void link_after(TreeNode* predecessor, TreeNode* node)
{
    node->tn_NextSibling = predecessor->tn_NextSibling;
    predecessor->tn_NextSibling = node;
}

}

extern "C" {

OSMARK_API void NewTree(Tree* tree) noexcept
{
    if (tree == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return;
    }
    tree->tr_First = nullptr;
}

OSMARK_API int32_t InsertTreeNode(Tree* tree, TreeNode* parent, TreeNode* node, uintptr_t where) noexcept
{
    if (!arguments_present(tree, node))
        return osmark::make_error(IoErrRequiredArgMissing);
    TreeNode** head = chain_head(tree, parent);
    node->tn_Parent = parent;
    if (*head == nullptr) {
        node->tn_NextSibling = nullptr;
        *head = node;
    } else if (where == TreeNodeFirst) {
        node->tn_NextSibling = *head;
        *head = node;
    } else if (where == TreeNodeLast) {
        link_after(last_in_chain(*head), node);
    } else {
        link_after(sibling_before(*head, where), node);
    }
    return 0;
}

OSMARK_API int32_t RemoveTreeNode(Tree* tree, TreeNode* node) noexcept
{
    if (!arguments_present(tree, node))
        return osmark::make_error(IoErrRequiredArgMissing);
    for (TreeNode** link = chain_head(tree, node->tn_Parent); *link != nullptr;
         link = &(*link)->tn_NextSibling) {
        if (*link == node) {
            *link = node->tn_NextSibling;
            node->tn_NextSibling = nullptr;
            node->tn_Parent = nullptr;
            return 0;
        }
    }
    // Unlinking a node that is not in its parent's chain would corrupt that chain.
    osmark::set_io_error(IoErrObjectNotFound);
    return IoErrObjectNotFound;
}

OSMARK_API TreeNode* WalkTree(Tree* tree, TreeNode** cursor, int32_t* depth) noexcept
{
    if (cursor == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return nullptr;
    }
    TreeNode* node = *cursor;
    if (node == nullptr) {
        if (tree == nullptr) {
            osmark::set_io_error(IoErrRequiredArgMissing);
            return nullptr;
        }
        *cursor = tree->tr_First;
        if (depth != nullptr)
            *depth = 0;
        return *cursor;
    }
    if (node->tn_FirstChild != nullptr) {
        *cursor = node->tn_FirstChild;
        if (depth != nullptr)
            ++*depth;
        return *cursor;
    }
    int32_t climbed = 0;
    for (TreeNode* at = node; at != nullptr; at = at->tn_Parent, ++climbed) {
        if (at->tn_NextSibling != nullptr) {
            *cursor = at->tn_NextSibling;
            if (depth != nullptr)
                *depth -= climbed;
            return *cursor;
        }
    }
    // Past the last node: the cursor stays on it, so a further call ends again.
    return nullptr;
}

}
