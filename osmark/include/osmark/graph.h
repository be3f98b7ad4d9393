/*
 * Graph: a directed graph of keyed nodes. It can be numbered depth-first or
 * breadth-first from a start node (GraphMark) and then walked edge by edge
 * (GraphFirst, GraphNext).
 *
 * Keys are strings by default (compared with StrCmp, copied with StrDup, freed with
 * FreeVec); other keys need all three operations. The graph owns its key copies.
 */
#ifndef OSMARK_GRAPH_H
#define OSMARK_GRAPH_H

#include "osmark/api.h"

OSMARK_BEGIN_DECLS

typedef struct Graph Graph;

/* How a marking reached an edge's target. */
enum GraphEdgeKind {
    GraphEdgeTree = 0,    /* the target was reached through this edge */
    GraphEdgeCross = 1,   /* the target was already reached another way */
    GraphEdgeBack = 2     /* the target lay on the depth-first path: the edge closes a cycle */
};

struct GraphNode;

typedef struct GraphEdge {
    struct GraphEdge* ge_Next;     /* out-edges in creation order */
    struct GraphNode* ge_Target;
    int32_t ge_Kind;               /* GraphEdgeKind of the last marking */
} GraphEdge;

typedef struct GraphNode {
    struct GraphNode* gn_Next;     /* nodes in creation order */
    void* gn_Key;                  /* the duplicate's result, owned */
    GraphEdge* gn_FirstEdge;
    int32_t gn_HasIncoming;        /* the node is the target of an edge */
    int32_t gn_Visited;
    int32_t gn_OnPath;
    /* Depth-first: the node through whose tree edge this one was reached;
     * breadth-first: the next node in breadth-first order. */
    struct GraphNode* gn_Link;
    int32_t gn_Depth;              /* 0 at the start node */
} GraphNode;

/* 0 when the keys are equal. */
typedef int32_t (*GraphCompareFunc)(const void* a, const void* b);
/* The copy of a key that the graph keeps, or NULL when none can be made. */
typedef void* (*GraphDuplicateFunc)(const void* key);
typedef void (*GraphFreeFunc)(void* key);
/* Called for a node by GraphWalk; returning 0 stops the walk. */
typedef int32_t (*GraphWalkFunc)(Graph* graph, const void* key, int32_t visited, GraphNode* link,
                                 GraphEdge* first_edge);

/* A new, empty graph; NULL operations take the defaults. user_data is only stored.
 * NULL with -1 when memory fails. */
OSMARK_API Graph* GraphCreate(GraphCompareFunc compare, GraphDuplicateFunc duplicate, GraphFreeFunc free_key,
                              uintptr_t user_data) OSMARK_NOEXCEPT;
/* Finds or creates the nodes of both keys and adds the edge from -> to unless it
 * exists; with a NULL to key only the from node. 0; -1 when memory fails, -12 when a
 * key cannot be duplicated (the graph is unchanged then); -4 for a NULL graph or from. */
OSMARK_API int32_t GraphAdd(Graph* graph, const void* from, const void* to) OSMARK_NOEXCEPT;
/* Key of the n-th node (from 1, in creation order) without incoming edge; NULL when
 * there are fewer, NULL with -4 for a NULL graph. */
OSMARK_API const void* GraphRoot(Graph* graph, uint32_t n) OSMARK_NOEXCEPT;
/* Numbers the nodes reachable from the start node (made when missing) depth-first
 * (breadth 0) or breadth-first, sets the edge kinds and ends any walk. 0; -4 for NULL
 * arguments, -1 or -12 when the start node cannot be made. */
OSMARK_API int32_t GraphMark(Graph* graph, const void* start, int32_t breadth) OSMARK_NOEXCEPT;
/* Starts a walk: the start node's key, depth 0, kind 0. 0; -12 when the graph was never
 * marked, -4 for NULL arguments. */
OSMARK_API int32_t GraphFirst(Graph* graph, const void** key, int32_t* depth, int32_t* kind) OSMARK_NOEXCEPT;
/* The next edge of the walk in the marking's order: the target's key, the source's
 * depth + 1 and the edge kind; all three 0 at the end (which ends the walk). Without a
 * walk under way it starts one as GraphFirst. 0; -12 when never marked, -4 for NULL
 * arguments. */
OSMARK_API int32_t GraphNext(Graph* graph, const void** key, int32_t* depth, int32_t* kind) OSMARK_NOEXCEPT;
/* Calls callback for every node in creation order until it returns 0. 0; -4 for NULL. */
OSMARK_API int32_t GraphWalk(Graph* graph, GraphWalkFunc callback) OSMARK_NOEXCEPT;
/* Frees every edge, every key (with the free operation), every node and the graph.
 * 0; -4 for NULL. */
OSMARK_API int32_t GraphDelete(Graph* graph) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
