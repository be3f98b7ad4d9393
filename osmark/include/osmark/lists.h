/*
 * Intrusive doubly linked lists of nodes.
 *
 * An empty list's head points at its own tail word and its tail predecessor at the
 * header, so a walk runs from lh_Head while the node's successor is not NULL:
 *
 *     for (Node* n = list->lh_Head; n->ln_Succ != NULL; n = n->ln_Succ) ...
 *
 * A node is embedded at the start of the record it links; the record owns it.
 */
#ifndef OSMARK_LISTS_H
#define OSMARK_LISTS_H

#include "osmark/api.h"

OSMARK_BEGIN_DECLS

typedef struct Node {
    struct Node* ln_Succ;
    struct Node* ln_Pred;
    uint8_t ln_Type;
    int16_t ln_Pri;
    char* ln_Name;
} Node;

/* A node without type, priority and name, for lists of plain records. */
typedef struct MinNode {
    struct MinNode* mln_Succ;
    struct MinNode* mln_Pred;
} MinNode;

typedef struct List {
    Node* lh_Head;
    Node* lh_Tail;      /* always NULL: the end sentinel's successor word */
    Node* lh_TailPred;
} List;

/* 1 when the list holds no node. */
static inline int IsListEmpty(const List* list)
{
#ifdef __cplusplus
    return list->lh_TailPred == reinterpret_cast<const Node*>(list);
#else
    return list->lh_TailPred == (const Node*)list;
#endif
}

OSMARK_API void NewList(List* list) OSMARK_NOEXCEPT;
OSMARK_API Node* AddHead(List* list, Node* node) OSMARK_NOEXCEPT;
OSMARK_API void AddTail(List* list, Node* node) OSMARK_NOEXCEPT;
/* Links node after predecessor (which may be the header), or first when it is NULL. */
OSMARK_API void Insert(List* list, Node* node, Node* predecessor) OSMARK_NOEXCEPT;
OSMARK_API Node* RemHead(List* list) OSMARK_NOEXCEPT;
OSMARK_API Node* RemTail(List* list) OSMARK_NOEXCEPT;
/* Unlinks the node from its list; the node's own words are left as they were. */
OSMARK_API void Remove(Node* node) OSMARK_NOEXCEPT;
/* Links by priority, descending; a new node goes ahead of nodes of equal priority. */
OSMARK_API void Enqueue(List* list, Node* node) OSMARK_NOEXCEPT;
/* First node after start (a list header or a node) named exactly name, or NULL. */
OSMARK_API Node* FindName(List* start, const char* name) OSMARK_NOEXCEPT;
/* Move one place toward the head / the end; 1 when already there (then with wrap set
 * it moves to the other end), else 0. */
OSMARK_API int32_t NodeUp(List* list, Node* node, int32_t wrap) OSMARK_NOEXCEPT;
OSMARK_API int32_t NodeDown(List* list, Node* node, int32_t wrap) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
