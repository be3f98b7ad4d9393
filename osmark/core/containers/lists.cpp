// Exec lists: intrusive doubly linked lists with an end sentinel in the header.

#include "osmark/lists.h"

#include "core/runtime/make_error.h"
#include "osmark/errors.h"

#include <cstring>

namespace {

// The header acts as the node before the first one (its lh_Head is the successor
// word) and as the node after the last one (lh_Tail is the successor word of the
// sentinel that begins at &lh_Tail).
Node* as_head_node(List* list)
{
    return reinterpret_cast<Node*>(list);
}

Node* as_tail_node(List* list)
{
    return reinterpret_cast<Node*>(&list->lh_Tail);
}

bool is_first(const Node* node)
{
    return node->ln_Pred->ln_Pred == nullptr;
}

bool is_last(const Node* node)
{
    return node->ln_Succ->ln_Succ == nullptr;
}

void link_after(Node* predecessor, Node* node)
{
    Node* successor = predecessor->ln_Succ;
    node->ln_Succ = successor;
    node->ln_Pred = predecessor;
    successor->ln_Pred = node;
    predecessor->ln_Succ = node;
}

void unlink(Node* node)
{
    node->ln_Pred->ln_Succ = node->ln_Succ;
    node->ln_Succ->ln_Pred = node->ln_Pred;
}

bool arguments_present(const void* a, const void* b)
{
    if (a == nullptr || b == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return false;
    }
    return true;
}

}

extern "C" {

OSMARK_API void NewList(List* list) noexcept
{
    if (list == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return;
    }
    list->lh_Head = as_tail_node(list);
    list->lh_Tail = nullptr;
    list->lh_TailPred = as_head_node(list);
}

OSMARK_API Node* AddHead(List* list, Node* node) noexcept
{
    if (!arguments_present(list, node))
        return nullptr;
    link_after(as_head_node(list), node);
    return node;
}

OSMARK_API void AddTail(List* list, Node* node) noexcept
{
    if (!arguments_present(list, node))
        return;
    link_after(list->lh_TailPred, node);
}

OSMARK_API void Insert(List* list, Node* node, Node* predecessor) noexcept
{
    if (!arguments_present(list, node))
        return;
    link_after(predecessor != nullptr ? predecessor : as_head_node(list), node);
}

OSMARK_API Node* RemHead(List* list) noexcept
{
    if (list == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return nullptr;
    }
    if (IsListEmpty(list))
        return nullptr;
    Node* node = list->lh_Head;
    unlink(node);
    return node;
}

OSMARK_API Node* RemTail(List* list) noexcept
{
    if (list == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return nullptr;
    }
    if (IsListEmpty(list))
        return nullptr;
    Node* node = list->lh_TailPred;
    unlink(node);
    return node;
}

OSMARK_API void Remove(Node* node) noexcept
{
    if (node == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return;
    }
    unlink(node);
}

OSMARK_API void Enqueue(List* list, Node* node) noexcept
{
    if (!arguments_present(list, node))
        return;
    // Scan back from the last node over every node of lower or equal priority; the
    // new node goes right after the first node of higher priority met.
    Node* predecessor = list->lh_TailPred;
    while (predecessor->ln_Pred != nullptr && predecessor->ln_Pri <= node->ln_Pri)
        predecessor = predecessor->ln_Pred;
    link_after(predecessor, node);
}

OSMARK_API Node* FindName(List* start, const char* name) noexcept
{
    if (!arguments_present(start, name))
        return nullptr;
    // A list header and a node both begin with the successor word, so a search can
    // start after either.
    for (Node* node = reinterpret_cast<Node*>(start)->ln_Succ; node != nullptr && node->ln_Succ != nullptr;
         node = node->ln_Succ) {
        if (node->ln_Name != nullptr && std::strcmp(node->ln_Name, name) == 0)
            return node;
    }
    return nullptr;
}

OSMARK_API int32_t NodeUp(List* list, Node* node, int32_t wrap) noexcept
{
    if (!arguments_present(list, node))
        return 0;
    if (is_first(node)) {
        if (wrap != 0 && !is_last(node)) {
            unlink(node);
            link_after(list->lh_TailPred, node);
        }
        return 1;
    }
    Node* before = node->ln_Pred->ln_Pred;
    unlink(node);
    link_after(before, node);
    return 0;
}

OSMARK_API int32_t NodeDown(List* list, Node* node, int32_t wrap) noexcept
{
    if (!arguments_present(list, node))
        return 0;
    if (is_last(node)) {
        if (wrap != 0 && !is_first(node)) {
            unlink(node);
            link_after(as_head_node(list), node);
        }
        return 1;
    }
    Node* after = node->ln_Succ;
    unlink(node);
    link_after(after, node);
    return 0;
}

}
