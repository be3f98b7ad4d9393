#include "osmark/errors.h"
#include "osmark/graph.h"
#include "osmark/testing.h"

#include <gtest/gtest.h>

#include <pthread.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using Edges = std::vector<std::pair<const char*, const char*>>;

// A graph with the default string keys, deleted at the end of the test.
struct StringGraph {
    Graph* graph = GraphCreate(nullptr, nullptr, nullptr, 0);

    explicit StringGraph(const Edges& edges = {})
    {
        for (const auto& [from, to] : edges)
            EXPECT_EQ(GraphAdd(graph, from, to), 0);
    }
    ~StringGraph() { GraphDelete(graph); }
    StringGraph(const StringGraph&) = delete;
    StringGraph& operator=(const StringGraph&) = delete;
};

struct Step {
    std::string key;
    int32_t depth;
    int32_t kind;
    bool operator==(const Step&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Step& step)
{
    return out << "(" << step.key << ", " << step.depth << ", " << step.kind << ")";
}

// GraphFirst, then GraphNext until the key is NULL (bounded, so a looping walk fails).
std::vector<Step> walk(Graph* graph)
{
    std::vector<Step> steps;
    const void* key = nullptr;
    int32_t depth = -1;
    int32_t kind = -1;
    EXPECT_EQ(GraphFirst(graph, &key, &depth, &kind), 0);
    for (int guard = 0; key != nullptr && guard < 1000; ++guard) {
        steps.push_back({static_cast<const char*>(key), depth, kind});
        EXPECT_EQ(GraphNext(graph, &key, &depth, &kind), 0);
    }
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(depth, 0);
    EXPECT_EQ(kind, 0);
    return steps;
}

const Edges kCycle = {{"A", "B"}, {"B", "C"}, {"C", "A"}};
// A reaches D along two paths, and D closes a cycle back to A.
const Edges kDiamond = {
    {"A", "B"}, {"A", "C"}, {"B", "D"}, {"C", "D"}, {"D", "A"}};

TEST(Graph, WalksFollowTheMarkingOrder)
{
    struct Case {
        const char* name;
        const Edges* edges;
        const char* start;
        int32_t breadth;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {"cycle depth-first", &kCycle, "A", 0, {{"A", 0, 0}, {"B", 1, 0}, {"C", 2, 0}, {"A", 3, 2}}},
        {"cycle breadth-first", &kCycle, "A", 1, {{"A", 0, 0}, {"B", 1, 0}, {"C", 2, 0}, {"A", 3, 2}}},
        {"cycle from B", &kCycle, "B", 0, {{"B", 0, 0}, {"C", 1, 0}, {"A", 2, 0}, {"B", 3, 2}}},
        {"diamond depth-first", &kDiamond, "A", 0,
         {{"A", 0, 0}, {"B", 1, 0}, {"D", 2, 0}, {"A", 3, 2}, {"C", 1, 0}, {"D", 2, 1}}},
        {"diamond breadth-first", &kDiamond, "A", 1,
         {{"A", 0, 0}, {"B", 1, 0}, {"C", 1, 0}, {"D", 2, 0}, {"D", 2, 1}, {"A", 3, 2}}},
        {"diamond from D reaches all", &kDiamond, "D", 0,
         {{"D", 0, 0}, {"A", 1, 0}, {"B", 2, 0}, {"D", 3, 2}, {"C", 2, 0}, {"D", 3, 2}}},
        {"diamond from C breadth-first", &kDiamond, "C", 1,
         {{"C", 0, 0}, {"D", 1, 0}, {"A", 2, 0}, {"B", 3, 0}, {"C", 3, 2}, {"D", 4, 2}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StringGraph g(*c.edges);
        EXPECT_EQ(GraphMark(g.graph, c.start, c.breadth), 0);
        EXPECT_EQ(walk(g.graph), c.steps);
        // A finished walk starts again from the start node.
        EXPECT_EQ(walk(g.graph), c.steps);
    }
}

TEST(Graph, NextWithoutAWalkStartsOne)
{
    StringGraph g(kCycle);
    GraphMark(g.graph, "A", 0);
    const void* key = nullptr;
    int32_t depth = -1;
    int32_t kind = -1;
    EXPECT_EQ(GraphNext(g.graph, &key, &depth, &kind), 0);
    EXPECT_EQ(std::string(static_cast<const char*>(key)), "A");
    EXPECT_EQ(depth, 0);
    EXPECT_EQ(GraphNext(g.graph, &key, &depth, &kind), 0);
    EXPECT_EQ(std::string(static_cast<const char*>(key)), "B");
}

TEST(Graph, MarkingRecordsVisitsLinksAndKinds)
{
    StringGraph g(kDiamond);
    GraphAdd(g.graph, "E", "A");  // E is not reachable from A
    ASSERT_EQ(GraphMark(g.graph, "A", 0), 0);
    struct Seen {
        std::string key;
        int32_t visited;
        std::string link;
        std::string edges;  // target and kind per out-edge
    };
    std::vector<Seen> seen;
    static std::vector<Seen>* collected;
    collected = &seen;
    EXPECT_EQ(GraphWalk(g.graph,
                        [](Graph*, const void* key, int32_t visited, GraphNode* link, GraphEdge* edge) -> int32_t {
                            Seen s{static_cast<const char*>(key), visited,
                                   link != nullptr ? static_cast<const char*>(link->gn_Key) : "-", ""};
                            for (; edge != nullptr; edge = edge->ge_Next)
                                s.edges += static_cast<const char*>(edge->ge_Target->gn_Key) +
                                           std::to_string(edge->ge_Kind);
                            collected->push_back(s);
                            return 1;
                        }),
              0);
    ASSERT_EQ(seen.size(), 5u);
    const Seen expected[] = {
        {"A", 1, "-", "B0C0"}, {"B", 1, "A", "D0"}, {"C", 1, "A", "D1"}, {"D", 1, "B", "A2"}, {"E", 0, "-", "A0"}};
    for (size_t i = 0; i < seen.size(); ++i) {
        SCOPED_TRACE(expected[i].key);
        EXPECT_EQ(seen[i].key, expected[i].key);
        EXPECT_EQ(seen[i].visited, expected[i].visited);
        EXPECT_EQ(seen[i].link, expected[i].link);
        EXPECT_EQ(seen[i].edges, expected[i].edges);
    }

    int calls = 0;
    static int* counter;
    counter = &calls;
    GraphWalk(g.graph, [](Graph*, const void*, int32_t, GraphNode*, GraphEdge*) -> int32_t { return ++*counter < 2; });
    EXPECT_EQ(calls, 2);
}

TEST(Graph, RootsAreNodesWithoutIncomingEdges)
{
    StringGraph cycle(kCycle);
    EXPECT_EQ(GraphRoot(cycle.graph, 1), nullptr);

    StringGraph g(Edges{{"X", "Y"}, {"Z", nullptr}, {"W", "X"}});
    struct Case {
        uint32_t n;
        const char* key;
    };
    const Case cases[] = {{0, nullptr}, {1, "Z"}, {2, "W"}, {3, nullptr}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n);
        const void* key = GraphRoot(g.graph, c.n);
        if (c.key == nullptr)
            EXPECT_EQ(key, nullptr);
        else
            EXPECT_EQ(std::string(static_cast<const char*>(key)), c.key);
    }
}

TEST(Graph, EdgesAreAddedOnce)
{
    StringGraph g(Edges{{"A", "B"}, {"A", "B"}, {"A", "A"}, {"B", nullptr}});
    GraphMark(g.graph, "A", 0);
    EXPECT_EQ(walk(g.graph), (std::vector<Step>{{"A", 0, 0}, {"B", 1, 0}, {"A", 1, 2}}));

    // A node made by GraphMark becomes part of the graph.
    EXPECT_EQ(GraphMark(g.graph, "Q", 1), 0);
    EXPECT_EQ(walk(g.graph), (std::vector<Step>{{"Q", 0, 0}}));
}

TEST(Graph, EdgeAddedAfterMarkingDoesNotLoopTheWalk)
{
    StringGraph g(Edges{{"A", "B"}});
    GraphMark(g.graph, "A", 0);
    GraphAdd(g.graph, "B", "A");
    EXPECT_EQ(walk(g.graph), (std::vector<Step>{{"A", 0, 0}, {"B", 1, 0}, {"A", 2, 0}}));
}

TEST(Graph, NullArgumentsAndUnmarkedGraphs)
{
    StringGraph g(kCycle);
    const void* key = nullptr;
    int32_t depth = 0;
    int32_t kind = 0;
    struct Case {
        const char* name;
        int32_t result;
        int32_t expected;
    };
    const Case cases[] = {
        {"first before marking", GraphFirst(g.graph, &key, &depth, &kind), IoErrObjectNotFound},
        {"next before marking", GraphNext(g.graph, &key, &depth, &kind), IoErrObjectNotFound},
        {"add to NULL", GraphAdd(nullptr, "A", "B"), IoErrRequiredArgMissing},
        {"add NULL from", GraphAdd(g.graph, nullptr, "B"), IoErrRequiredArgMissing},
        {"mark NULL", GraphMark(nullptr, "A", 0), IoErrRequiredArgMissing},
        {"mark NULL start", GraphMark(g.graph, nullptr, 0), IoErrRequiredArgMissing},
        {"first NULL key", GraphFirst(g.graph, nullptr, &depth, &kind), IoErrRequiredArgMissing},
        {"next NULL depth", GraphNext(g.graph, &key, nullptr, &kind), IoErrRequiredArgMissing},
        {"next NULL kind", GraphNext(g.graph, &key, &depth, nullptr), IoErrRequiredArgMissing},
        {"walk NULL", GraphWalk(nullptr, nullptr), IoErrRequiredArgMissing},
        {"walk NULL callback", GraphWalk(g.graph, nullptr), IoErrRequiredArgMissing},
        {"delete NULL", GraphDelete(nullptr), IoErrRequiredArgMissing},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.result, c.expected);
    }
    IoErr();
    EXPECT_EQ(GraphRoot(nullptr, 1), nullptr);
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
}

// Integer keys carried in the key pointer, with operations that count their calls.
struct CountingKeys {
    static inline int duplicates = 0;
    static inline int frees = 0;
    static inline bool refuse = false;

    static int32_t compare(const void* a, const void* b)
    {
        const auto left = reinterpret_cast<uintptr_t>(a);
        const auto right = reinterpret_cast<uintptr_t>(b);
        return left < right ? -1 : left > right ? 1 : 0;
    }
    static void* duplicate(const void* key)
    {
        if (refuse)
            return nullptr;
        ++duplicates;
        return const_cast<void*>(key);
    }
    static void release(void*) { ++frees; }
};

const void* int_key(uintptr_t value)
{
    return reinterpret_cast<const void*>(value);
}

uint32_t node_count(Graph* graph)
{
    static uint32_t count;
    count = 0;
    GraphWalk(graph, [](Graph*, const void*, int32_t, GraphNode*, GraphEdge*) -> int32_t { return ++count > 0; });
    return count;
}

TEST(Graph, CallerKeyOperationsAreUsedAndFailuresChangeNothing)
{
    CountingKeys::duplicates = 0;
    CountingKeys::frees = 0;
    Graph* graph = GraphCreate(CountingKeys::compare, CountingKeys::duplicate, CountingKeys::release, 77);
    ASSERT_NE(graph, nullptr);
    EXPECT_EQ(GraphAdd(graph, int_key(1), int_key(2)), 0);
    EXPECT_EQ(GraphAdd(graph, int_key(2), int_key(1)), 0);
    EXPECT_EQ(CountingKeys::duplicates, 2);

    CountingKeys::refuse = true;
    IoErr();
    EXPECT_EQ(GraphAdd(graph, int_key(1), int_key(3)), IoErrObjectNotFound);
    EXPECT_EQ(IoErr(), IoErrObjectNotFound);
    EXPECT_EQ(GraphMark(graph, int_key(9), 0), IoErrObjectNotFound);
    CountingKeys::refuse = false;
    EXPECT_EQ(node_count(graph), 2u);

    // Each allocation of an addition of two new nodes and an edge fails in turn: the
    // addition either succeeds whole or leaves the graph as it was.
    for (uint32_t successes = 0; successes < 4; ++successes) {
        SCOPED_TRACE("successes " + std::to_string(successes));
        const uint32_t nodes_before = node_count(graph);
        const int frees_before = CountingKeys::frees;
        osmark_testing_fail_allocations(successes, 1);
        const int32_t result = GraphAdd(graph, int_key(10 + successes), int_key(20 + successes));
        osmark_testing_fail_allocations(0, 0);
        if (result == 0) {
            EXPECT_EQ(node_count(graph), nodes_before + 2);
        } else {
            EXPECT_EQ(result, IoErrNoMemory);
            EXPECT_EQ(node_count(graph), nodes_before);
            EXPECT_EQ(CountingKeys::frees - frees_before, successes >= 2 ? 2 : successes);
        }
    }
    EXPECT_EQ(GraphDelete(graph), 0);
    EXPECT_EQ(CountingKeys::frees, CountingKeys::duplicates);
}

// Marking must not need stack in proportion to the depth of the graph: a long chain
// is marked on a thread with a small stack.
TEST(Graph, LongChainIsMarkedOnASmallStack)
{
    constexpr uintptr_t kLength = 10000;
    Graph* graph = GraphCreate(CountingKeys::compare, CountingKeys::duplicate, CountingKeys::release, 0);
    for (uintptr_t i = kLength; i > 1; --i)
        ASSERT_EQ(GraphAdd(graph, int_key(i - 1), int_key(i)), 0);

    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, 256 * 1024);
    pthread_t thread;
    static int32_t result;
    result = -99;
    ASSERT_EQ(pthread_create(
                  &thread, &attributes,
                  [](void* argument) -> void* {
                      result = GraphMark(static_cast<Graph*>(argument), int_key(1), 0);
                      return nullptr;
                  },
                  graph),
              0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
    EXPECT_EQ(result, 0);

    const void* key = nullptr;
    int32_t depth = 0;
    int32_t kind = 0;
    GraphFirst(graph, &key, &depth, &kind);
    int32_t deepest = 0;
    while (key != nullptr) {
        deepest = depth;
        GraphNext(graph, &key, &depth, &kind);
    }
    EXPECT_EQ(deepest, static_cast<int32_t>(kLength - 1));
    GraphDelete(graph);
}

}
