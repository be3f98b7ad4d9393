// Graph: keyed nodes with out-edges, numbered depth-first or breadth-first from a
// start node and walked edge by edge in that order.

#include "osmark/graph.h"

#include "core/runtime/make_error.h"
#include "osmark/errors.h"
#include "osmark/memory.h"
#include "osmark/strings.h"

#include <new>
#include <vector>

struct Graph {
    GraphNode* first;
    GraphNode* last;
    GraphNode* start;      // of the last marking; NULL when never marked
    int32_t breadth;       // order of the last marking
    bool walking;
    GraphNode* walk_node;
    GraphEdge* walk_edge;  // the edge last reported from walk_node; NULL before its first
    GraphCompareFunc compare;
    GraphFreeFunc free_key;
    uintptr_t user_data;
    GraphDuplicateFunc duplicate;
};

namespace {

int32_t compare_strings(const void* a, const void* b)
{
    return StrCmp(static_cast<const char*>(a), static_cast<const char*>(b));
}

void* duplicate_string(const void* key)
{
    return StrDup(static_cast<const char*>(key));
}

void free_string(void* key)
{
    FreeVec(key);
}

int32_t fail(int32_t code, platform::SourceSite where = platform::SourceSite::current())
{
    osmark::set_io_error(code, where);
    return code;
}

GraphNode* find_node(const Graph* graph, const void* key)
{
    for (GraphNode* node = graph->first; node != nullptr; node = node->gn_Next) {
        if (graph->compare(node->gn_Key, key) == 0)
            return node;
    }
    return nullptr;
}

// A node that is not linked into the graph yet; 0, or the code of the failure.
int32_t make_node(Graph* graph, const void* key, GraphNode** made)
{
    auto* node = static_cast<GraphNode*>(AllocVec(sizeof(GraphNode)));
    if (node == nullptr)
        return osmark::make_error(IoErrNoMemory);
    node->gn_Key = graph->duplicate(key);
    if (node->gn_Key == nullptr) {
        FreeVec(node);
        return fail(IoErrObjectNotFound);
    }
    node->gn_Next = nullptr;
    node->gn_FirstEdge = nullptr;
    node->gn_HasIncoming = 0;
    node->gn_Visited = 0;
    node->gn_OnPath = 0;
    node->gn_Link = nullptr;
    node->gn_Depth = 0;
    *made = node;
    return 0;
}

void free_node(Graph* graph, GraphNode* node)
{
    if (node == nullptr)
        return;
    for (GraphEdge* edge = node->gn_FirstEdge; edge != nullptr;) {
        GraphEdge* next = edge->ge_Next;
        FreeVec(edge);
        edge = next;
    }
    graph->free_key(node->gn_Key);
    FreeVec(node);
}

void append_node(Graph* graph, GraphNode* node)
{
    if (graph->last != nullptr)
        graph->last->gn_Next = node;
    else
        graph->first = node;
    graph->last = node;
}

// The node of key, made and linked when missing; 0, or the code of the failure.
int32_t find_or_make_node(Graph* graph, const void* key, GraphNode** found)
{
    *found = find_node(graph, key);
    if (*found != nullptr)
        return 0;
    const int32_t code = make_node(graph, key, found);
    if (code == 0)
        append_node(graph, *found);
    return code;
}

// The edge from source to target, or NULL; *last receives the last out-edge.
GraphEdge* find_edge(const GraphNode* source, const GraphNode* target, GraphEdge** last)
{
    *last = nullptr;
    for (GraphEdge* edge = source->gn_FirstEdge; edge != nullptr; edge = edge->ge_Next) {
        if (edge->ge_Target == target)
            return edge;
        *last = edge;
    }
    return nullptr;
}

void clear_marks(Graph* graph)
{
    for (GraphNode* node = graph->first; node != nullptr; node = node->gn_Next) {
        node->gn_Visited = 0;
        node->gn_OnPath = 0;
        node->gn_Link = nullptr;
        node->gn_Depth = 0;
    }
}

void enter(GraphNode* node, GraphNode* link, int32_t depth)
{
    node->gn_Visited = 1;
    node->gn_OnPath = 1;
    node->gn_Link = link;
    node->gn_Depth = depth;
}

// Depth-first numbering with an explicit stack, so that a long chain of nodes cannot
// exhaust the thread's stack. Throws std::bad_alloc.
void mark_depth_first(GraphNode* start)
{
    struct Frame {
        GraphNode* node;
        GraphEdge* next_edge;
    };
    std::vector<Frame> path;
    enter(start, nullptr, 0);
    path.push_back({start, start->gn_FirstEdge});
    while (!path.empty()) {
        Frame& frame = path.back();
        GraphEdge* edge = frame.next_edge;
        GraphNode* node = frame.node;
        if (edge == nullptr) {
            node->gn_OnPath = 0;
            path.pop_back();
            continue;
        }
        frame.next_edge = edge->ge_Next;
        GraphNode* target = edge->ge_Target;
        if (target->gn_OnPath != 0) {
            edge->ge_Kind = GraphEdgeBack;
        } else if (target->gn_Visited == 0) {
            edge->ge_Kind = GraphEdgeTree;
            enter(target, node, node->gn_Depth + 1);
            path.push_back({target, target->gn_FirstEdge});
        } else {
            edge->ge_Kind = GraphEdgeCross;
        }
    }
}

// Breadth-first numbering after the depth-first one (which found the back edges).
// The queue is the chain of links itself: each node joins it at the tail.
void mark_breadth_first(Graph* graph, GraphNode* start)
{
    clear_marks(graph);
    start->gn_Visited = 1;
    GraphNode* tail = start;
    for (GraphNode* node = start; node != nullptr; node = node->gn_Link) {
        for (GraphEdge* edge = node->gn_FirstEdge; edge != nullptr; edge = edge->ge_Next) {
            GraphNode* target = edge->ge_Target;
            if (target->gn_Visited == 0) {
                edge->ge_Kind = GraphEdgeTree;
                target->gn_Visited = 1;
                target->gn_Depth = node->gn_Depth + 1;
                tail->gn_Link = target;
                tail = target;
            } else if (edge->ge_Kind != GraphEdgeBack) {
                edge->ge_Kind = GraphEdgeCross;
            }
        }
    }
}

bool walk_arguments_present(const Graph* graph, const void* const* key, const int32_t* depth,
                            const int32_t* kind)
{
    return graph != nullptr && key != nullptr && depth != nullptr && kind != nullptr;
}

void report(const void** key, int32_t* depth, int32_t* kind, const void* key_value, int32_t depth_value,
            int32_t kind_value)
{
    *key = key_value;
    *depth = depth_value;
    *kind = kind_value;
}

void end_walk(Graph* graph, const void** key, int32_t* depth, int32_t* kind)
{
    graph->walking = false;
    graph->walk_node = nullptr;
    graph->walk_edge = nullptr;
    report(key, depth, kind, nullptr, 0, 0);
}

void start_walk(Graph* graph, const void** key, int32_t* depth, int32_t* kind)
{
    graph->walking = true;
    graph->walk_node = graph->start;
    graph->walk_edge = nullptr;
    report(key, depth, kind, graph->start->gn_Key, 0, 0);
}

// The edge after the cursor in depth-first order: when a node has no further edge the
// walk climbs to its tree parent and goes on after the tree edge to it.
void step_depth_first(Graph* graph, const void** key, int32_t* depth, int32_t* kind)
{
    GraphNode* node = graph->walk_node;
    GraphEdge* edge = graph->walk_edge != nullptr ? graph->walk_edge->ge_Next : node->gn_FirstEdge;
    while (edge == nullptr) {
        GraphNode* parent = node->gn_Link;
        if (node == graph->start || parent == nullptr) {
            end_walk(graph, key, depth, kind);
            return;
        }
        GraphEdge* last = nullptr;
        GraphEdge* tree_edge = find_edge(parent, node, &last);
        if (tree_edge == nullptr) {
            end_walk(graph, key, depth, kind);
            return;
        }
        edge = tree_edge->ge_Next;
        node = parent;
    }
    report(key, depth, kind, edge->ge_Target->gn_Key, node->gn_Depth + 1, edge->ge_Kind);
    // Only the edge that reached its target descends; an edge added since the marking
    // carries no kind of its own and must not lead the walk into a loop.
    if (edge->ge_Kind == GraphEdgeTree && edge->ge_Target->gn_Link == node) {
        graph->walk_node = edge->ge_Target;
        graph->walk_edge = nullptr;
    } else {
        graph->walk_node = node;
        graph->walk_edge = edge;
    }
}

// The edge after the cursor in breadth-first order: every out-edge of each reached
// node, node after node along the breadth-first chain.
void step_breadth_first(Graph* graph, const void** key, int32_t* depth, int32_t* kind)
{
    GraphNode* node = graph->walk_node;
    GraphEdge* edge = graph->walk_edge != nullptr ? graph->walk_edge->ge_Next : node->gn_FirstEdge;
    while (edge == nullptr) {
        node = node->gn_Link;
        if (node == nullptr) {
            end_walk(graph, key, depth, kind);
            return;
        }
        edge = node->gn_FirstEdge;
    }
    report(key, depth, kind, edge->ge_Target->gn_Key, node->gn_Depth + 1, edge->ge_Kind);
    graph->walk_node = node;
    graph->walk_edge = edge;
}

}

extern "C" {

OSMARK_API Graph* GraphCreate(GraphCompareFunc compare, GraphDuplicateFunc duplicate, GraphFreeFunc free_key,
                              uintptr_t user_data) noexcept
{
    auto* graph = static_cast<Graph*>(AllocVec(sizeof(Graph)));
    if (graph == nullptr)
        return nullptr;
    graph->first = nullptr;
    graph->last = nullptr;
    graph->start = nullptr;
    graph->breadth = 0;
    graph->walking = false;
    graph->walk_node = nullptr;
    graph->walk_edge = nullptr;
    graph->compare = compare != nullptr ? compare : compare_strings;
    graph->free_key = free_key != nullptr ? free_key : free_string;
    graph->user_data = user_data;
    graph->duplicate = duplicate != nullptr ? duplicate : duplicate_string;
    return graph;
}

OSMARK_API int32_t GraphAdd(Graph* graph, const void* from, const void* to) noexcept
{
    if (graph == nullptr || from == nullptr)
        return fail(IoErrRequiredArgMissing);
    // New nodes are linked only once everything they need exists, so a failure leaves
    // the graph as it was.
    GraphNode* from_node = find_node(graph, from);
    GraphNode* new_from = nullptr;
    if (from_node == nullptr) {
        if (const int32_t code = make_node(graph, from, &new_from))
            return code;
        from_node = new_from;
    }
    GraphNode* new_to = nullptr;
    if (to != nullptr) {
        GraphNode* to_node = find_node(graph, to);
        if (to_node == nullptr && new_from != nullptr && graph->compare(new_from->gn_Key, to) == 0)
            to_node = new_from;
        if (to_node == nullptr) {
            if (const int32_t code = make_node(graph, to, &new_to)) {
                free_node(graph, new_from);
                return code;
            }
            to_node = new_to;
        }
        GraphEdge* last = nullptr;
        if (find_edge(from_node, to_node, &last) == nullptr) {
            auto* edge = static_cast<GraphEdge*>(AllocVec(sizeof(GraphEdge)));
            if (edge == nullptr) {
                free_node(graph, new_to);
                free_node(graph, new_from);
                return osmark::make_error(IoErrNoMemory);
            }
            edge->ge_Next = nullptr;
            edge->ge_Target = to_node;
            edge->ge_Kind = GraphEdgeTree;
            if (last != nullptr)
                last->ge_Next = edge;
            else
                from_node->gn_FirstEdge = edge;
            to_node->gn_HasIncoming = 1;
        }
    }
    if (new_from != nullptr)
        append_node(graph, new_from);
    if (new_to != nullptr)
        append_node(graph, new_to);
    return 0;
}

OSMARK_API const void* GraphRoot(Graph* graph, uint32_t n) noexcept
{
    if (graph == nullptr) {
        fail(IoErrRequiredArgMissing);
        return nullptr;
    }
    uint32_t seen = 0;
    for (const GraphNode* node = graph->first; node != nullptr; node = node->gn_Next) {
        if (node->gn_HasIncoming == 0 && ++seen == n)
            return node->gn_Key;
    }
    return nullptr;
}

OSMARK_API int32_t GraphMark(Graph* graph, const void* start, int32_t breadth) noexcept
{
    if (graph == nullptr || start == nullptr)
        return fail(IoErrRequiredArgMissing);
    clear_marks(graph);
    graph->breadth = breadth;
    graph->walking = false;
    graph->walk_node = nullptr;
    graph->walk_edge = nullptr;
    GraphNode* start_node = nullptr;
    if (const int32_t code = find_or_make_node(graph, start, &start_node))
        return code;
    graph->start = start_node;
    try {
        mark_depth_first(start_node);
    } catch (const std::bad_alloc&) {
        clear_marks(graph);
        graph->start = nullptr;
        return fail(IoErrNoMemory);
    }
    if (breadth != 0)
        mark_breadth_first(graph, start_node);
    return 0;
}

OSMARK_API int32_t GraphFirst(Graph* graph, const void** key, int32_t* depth, int32_t* kind) noexcept
{
    if (!walk_arguments_present(graph, key, depth, kind))
        return fail(IoErrRequiredArgMissing);
    if (graph->start == nullptr)
        return fail(IoErrObjectNotFound);
    start_walk(graph, key, depth, kind);
    return 0;
}

OSMARK_API int32_t GraphNext(Graph* graph, const void** key, int32_t* depth, int32_t* kind) noexcept
{
    if (!walk_arguments_present(graph, key, depth, kind))
        return fail(IoErrRequiredArgMissing);
    if (graph->start == nullptr)
        return fail(IoErrObjectNotFound);
    if (!graph->walking)
        start_walk(graph, key, depth, kind);
    else if (graph->breadth != 0)
        step_breadth_first(graph, key, depth, kind);
    else
        step_depth_first(graph, key, depth, kind);
    return 0;
}

OSMARK_API int32_t GraphWalk(Graph* graph, GraphWalkFunc callback) noexcept
{
    if (graph == nullptr || callback == nullptr)
        return fail(IoErrRequiredArgMissing);
    for (GraphNode* node = graph->first; node != nullptr; node = node->gn_Next) {
        if (callback(graph, node->gn_Key, node->gn_Visited, node->gn_Link, node->gn_FirstEdge) == 0)
            break;
    }
    return 0;
}

OSMARK_API int32_t GraphDelete(Graph* graph) noexcept
{
    if (graph == nullptr)
        return fail(IoErrRequiredArgMissing);
    for (GraphNode* node = graph->first; node != nullptr;) {
        GraphNode* next = node->gn_Next;
        free_node(graph, node);
        node = next;
    }
    FreeVec(graph);
    return 0;
}

}
