// The branch-aware chain builder: which continuation a chain takes where ends meet, items
// that run back over the chain or overlap its end, turning a chain round, and closing.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "edit/chain_internal.h"
#include "chain_test_support.h"
#include "drawing_fixture.h"
#include "halvern/contours.h"
#include "halvern/item_geometry.h"
#include "osmark/testing.h"

namespace {

using halvern::DXFProgressRec;
using halvern::kHalfPi;
using halvern::kPi;
using halvern::kTwoPi;
using halvern_test::Drawing;
using halvern_test::end_of;
using halvern_test::expect_point;
using halvern_test::make_arc;
using halvern_test::make_line;
using halvern_test::make_polyline;
using halvern_test::Segment;
using halvern_test::start_of;
using halvern_test::vertex;

// A chain as the callback saw it.
struct Reported {
    std::vector<ItemRec*> items;
    int32_t closed = -1;
};

void record_chain(DXFDrawingRec*, Array* chain, int32_t closed, void* user)
{
    Reported reported;
    reported.closed = closed;
    for (uint32_t i = 0; i < ArrayGetCount(chain); ++i)
        reported.items.push_back(reinterpret_cast<ItemRec*>(ArrayGet(chain, i)));
    static_cast<std::vector<Reported>*>(user)->push_back(reported);
}

// Every item of the chain starts where the one before it ends, within tolerance.
void expect_connected(const Reported& chain, double tolerance)
{
    for (size_t i = 1; i < chain.items.size(); ++i) {
        SCOPED_TRACE(i);
        const Point3DRec end = end_of(chain.items[i - 1]);
        const Point3DRec start = start_of(chain.items[i]);
        EXPECT_NEAR(start.x, end.x, tolerance);
        EXPECT_NEAR(start.y, end.y, tolerance);
    }
}

class BranchChains : public ::testing::Test {
protected:
    ItemRec* add(ItemRec* item)
    {
        items.push_back(item);
        return item;
    }
    ItemRec* line(const Segment& s) { return add(make_line(drawing.pool(), s.x1, s.y1, s.x2, s.y2)); }
    void lines(const std::vector<Segment>& segments)
    {
        for (const Segment& s : segments)
            line(s);
    }

    // Runs the builder over every item.
    void build(double tolerance, int32_t snap, DXFProgressRec* progress = nullptr)
    {
        const auto count = static_cast<int32_t>(items.size());
        PagedArray* candidates =
            PagedArrayCreate(sizeof(halvern::DXFChainCandidate), static_cast<uint32_t>(count));
        ASSERT_NE(candidates, nullptr);
        ASSERT_EQ(halvern::DXFCollectCandidates(items.data(), count, -1, candidates), count);
        halvern::DXFBuildBranchChains(drawing.get(), candidates, items.data(), count, tolerance,
                                      snap, progress, record_chain, &chains);
        PagedArrayDelete(candidates);
    }

    // Positions in items of the reported chain's items, in chain order.
    std::vector<int> positions(const Reported& chain) const
    {
        std::vector<int> result;
        for (const ItemRec* item : chain.items) {
            int position = -1;
            for (size_t i = 0; i < items.size(); ++i)
                if (items[i] == item)
                    position = static_cast<int>(i);
            result.push_back(position);
        }
        return result;
    }

    Drawing drawing;
    std::vector<ItemRec*> items;
    std::vector<Reported> chains;
};

// ---------------------------------------------------------------------------------------
// Branches

// Line 0 runs from (0,0) to the junction (10,0) and starts the chain.
TEST_F(BranchChains, PrefersTheBranchThatLeadsOn)
{
    const Segment a{0, 0, 10, 0};
    const Segment stub_up{10, 0, 10, 5};
    const Segment stub_back{10, 5, 10, 0};
    const Segment stub_down{10, 0, 10, -5};
    const Segment on{10, 0, 20, 0};
    const Segment further{20, 0, 30, 0};
    struct Row {
        const char* name;
        std::vector<Segment> segments;
        double tolerance;
        std::vector<int> first_chain; // positions, in chain order
    };
    const Row rows[] = {
        // The chain grows to (30,0), then turns round: the stub is left over.
        {"dead end stored first", {a, stub_up, on, further}, 1e-6, {3, 2, 0}},
        {"dead end stored last", {a, on, further, stub_up}, 1e-6, {2, 1, 0}},
        // The far end of the stub only leads back to the junction along its twin.
        {"doubled stub is still a dead end", {a, stub_up, stub_back, on, further}, 1e-6, {4, 3, 0}},
        // Neither branch leads on: the last one offered is taken.
        {"two dead ends take the later", {a, stub_up, stub_down}, 1e-6, {2, 0}},
        // Both lead on within the tolerance; the one nearer the chain's end wins.
        {"nearer of two leading branches",
         {a, {10.004, 0, 10, 10}, {10, 10, 0, 10}, {10.001, 0, 20, 0}, {20, 0, 30, 0}},
         0.01,
         {4, 3, 0}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        items.clear();
        chains.clear();
        lines(row.segments);
        build(row.tolerance, 0);
        ASSERT_GE(chains.size(), 2u);
        EXPECT_EQ(positions(chains[0]), row.first_chain);
        EXPECT_EQ(chains[0].closed, 0);
        expect_connected(chains[0], row.tolerance);
    }
}

TEST_F(BranchChains, ContouringFollowsTheBranchThatLeadsOn)
{
    ItemRec* a = make_line(drawing.pool(), 0, 0, 10, 0);
    ItemRec* stub = make_line(drawing.pool(), 10, 0, 10, 5);
    ItemRec* on = make_line(drawing.pool(), 10, 0, 20, 0);
    ItemRec* further = make_line(drawing.pool(), 20, 0, 30, 0);
    for (ItemRec* item : {a, stub, on, further})
        ASSERT_EQ(AddItem(drawing.get(), &drawing->dxf_ItemBuffer, item), 1);

    EXPECT_EQ(ContourDXFDrawingEx(drawing.get(), 1e-6, 0, 0, 0, nullptr, nullptr), 0);

    ASSERT_EQ(drawing->dxf_ContourTable.ct_N, 2);
    EXPECT_EQ(drawing->dxf_ContourTable.ct_Contours[0].cd_Flags, 1u);
    EXPECT_EQ(drawing->dxf_ContourTable.ct_Contours[1].cd_Flags, 1u);
    EXPECT_EQ(a->it_Header.ih_ContourID, 0);
    EXPECT_EQ(on->it_Header.ih_ContourID, 0);
    EXPECT_EQ(further->it_Header.ih_ContourID, 0);
    EXPECT_EQ(stub->it_Header.ih_ContourID, 1);
}

// ---------------------------------------------------------------------------------------
// Items that run back over the chain or overlap its end

TEST_F(BranchChains, SkipsAnItemThatRunsBackOverTheLastOne)
{
    struct Row {
        const char* name;
        bool joined; // the second item continues the first one's chain
    };
    const Row rows[] = {
        {"line on top, same way", false},
        {"line on top, other way", false},
        {"arc run backwards", false},
        {"polyline run backwards", false},
        {"polyline on top, same way", false},
        {"polyline leaving elsewhere", true},
    };
    Pool* pool = drawing.pool();
    for (size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(rows[i].name);
        items.clear();
        chains.clear();
        const Point3DRec origin{0, 0, 0};
        switch (i) {
        case 0:
            lines({{0, 0, 10, 0}, {0, 0, 10, 0}});
            break;
        case 1:
            lines({{0, 0, 10, 0}, {10, 0, 0, 0}});
            break;
        case 2:
            add(make_arc(pool, origin, 5, 0, kHalfPi, 1));
            add(make_arc(pool, origin, 5, kHalfPi, 0, -1));
            break;
        case 3:
            add(make_polyline(pool, {vertex(0, 0), vertex(5, 0), vertex(5, 5)}));
            add(make_polyline(pool, {vertex(5, 5), vertex(5, 0), vertex(0, 0)}));
            break;
        case 4:
            add(make_polyline(pool, {vertex(0, 0), vertex(5, 0), vertex(5, 5)}));
            add(make_polyline(pool, {vertex(0, 0), vertex(5, 0), vertex(5, 5)}));
            break;
        default:
            add(make_polyline(pool, {vertex(0, 0), vertex(5, 0), vertex(5, 5)}));
            add(make_polyline(pool, {vertex(5, 5), vertex(5, 0), vertex(0, 1)}));
            break;
        }
        build(1e-6, 0);
        if (rows[i].joined) {
            ASSERT_EQ(chains.size(), 1u);
            EXPECT_EQ(chains[0].items.size(), 2u);
        } else {
            ASSERT_EQ(chains.size(), 2u);
            EXPECT_EQ(chains[0].items.size(), 1u);
            EXPECT_EQ(chains[1].items.size(), 1u);
        }
    }
}

// The chain (0,0)-(10,0) ends inside the second item, which nothing touches; the part of
// it beyond the end continues the chain, whichever way the item runs.
TEST_F(BranchChains, OverlappingItemContinuesFromTheEnd)
{
    struct Row {
        const char* name;
        std::vector<VertexRec> second; // a LINE for two vertices, else a POLYLINE
        bool joined;
        Point3DRec start, end; // the second item afterwards
    };
    const Row rows[] = {
        {"line the same way", {vertex(5, 0), vertex(20, 0)}, true, {10, 0, 0}, {20, 0, 0}},
        // An item along the chain's line in the other sense is an overlap too: it is
        // reversed so that it leads away from the chain.
        {"line the other way", {vertex(20, 0), vertex(5, 0)}, true, {10, 0, 0}, {20, 0, 0}},
        // A line crossing the end at a right angle does not continue the chain; it is
        // chained alone later, turned round as every chain that cannot grow.
        {"line across the end", {vertex(10, -5), vertex(10, 5)}, false, {10, 5, 0}, {10, -5, 0}},
        {"line across, downwards", {vertex(10, 5), vertex(10, -5)}, false, {10, -5, 0}, {10, 5, 0}},
        {"polyline whose first segment overlaps",
         {vertex(5, 0), vertex(20, 0), vertex(20, 10)},
         true,
         {10, 0, 0},
         {20, 10, 0}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        items.clear();
        chains.clear();
        line({0, 0, 10, 0});
        ItemRec* second =
            row.second.size() == 2
                ? line({row.second[0].vx_Point.x, row.second[0].vx_Point.y,
                        row.second[1].vx_Point.x, row.second[1].vx_Point.y})
                : add(make_polyline(drawing.pool(), row.second));
        // Without snap: an overlapping item is cut at the chain's end all the same.
        build(1e-6, 0);
        if (row.joined) {
            ASSERT_EQ(chains.size(), 1u);
            ASSERT_EQ(chains[0].items.size(), 2u);
            EXPECT_EQ(chains[0].items[1], second);
        } else {
            EXPECT_EQ(chains.size(), 2u);
        }
        expect_point(start_of(second), row.start);
        expect_point(end_of(second), row.end);
    }
}

TEST_F(BranchChains, ArcOnTheSameCircleContinuesFromTheEnd)
{
    const Point3DRec centre{0, 0, 0};
    // The chain's arc ends at (0,5), which lies inside the second arc, run either way.
    const std::array<std::array<double, 3>, 2> seconds{{{kPi / 4, kPi, 1}, {kPi, kPi / 4, -1}}};
    for (const auto& second : seconds) {
        SCOPED_TRACE(second[2]);
        items.clear();
        chains.clear();
        add(make_arc(drawing.pool(), centre, 5, 0, kHalfPi, 1));
        add(make_arc(drawing.pool(), centre, 5, second[0], second[1],
                     static_cast<int32_t>(second[2])));
        build(1e-6, 0);
        ASSERT_EQ(chains.size(), 1u);
        EXPECT_EQ(chains[0].items.size(), 2u);
    }
}

// ---------------------------------------------------------------------------------------
// Growing from both ends

// The path (0,0) - (10,0) - (10,10) - (0,10) stored in various orders and directions
// gives one open chain from one free end to the other. A chain whose first item starts
// at a free end grows to the other without turning round.
TEST_F(BranchChains, OpenPathBecomesOneChainFromEndToEnd)
{
    const Segment s1{0, 0, 10, 0};
    const Segment s1r{10, 0, 0, 0};
    const Segment s2{10, 0, 10, 10};
    const Segment s2r{10, 10, 10, 0};
    const Segment s3{10, 10, 0, 10};
    const Segment s3r{0, 10, 10, 10};
    const Point3DRec p0{0, 0, 0};
    const Point3DRec p3{0, 10, 0};
    struct Row {
        const char* name;
        std::vector<Segment> segments;
        Point3DRec from, to;
    };
    const Row rows[] = {
        {"in path order", {s1, s2, s3}, p0, p3},
        {"backwards from the other end", {s3r, s2r, s1r}, p3, p0},
        {"middle first", {s2, s1, s3}, p3, p0},
        {"first ends at a free end", {s1r, s2, s3}, p0, p3},
        {"last first, mixed directions", {s3, s1r, s2r}, p3, p0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        items.clear();
        chains.clear();
        lines(row.segments);
        build(1e-6, 0);
        ASSERT_EQ(chains.size(), 1u);
        const Reported& chain = chains[0];
        ASSERT_EQ(chain.items.size(), 3u);
        EXPECT_EQ(chain.closed, 0);
        expect_connected(chain, 1e-9);
        expect_point(start_of(chain.items.front()), row.from);
        expect_point(end_of(chain.items.back()), row.to);
    }
}

TEST_F(BranchChains, FullCircleAloneClosesAfterTurningRound)
{
    ItemRec* circle = add(make_arc(drawing.pool(), Point3DRec{3, 4, 0}, 2, 0, kTwoPi, 1));
    build(1e-6, 0);
    ASSERT_EQ(chains.size(), 1u);
    EXPECT_EQ(chains[0].closed, 1);
    ASSERT_EQ(chains[0].items.size(), 1u);
    EXPECT_EQ(circle->it_Arc.ar_Dir, -1);
}

// An item closed by itself is reported alone as soon as the scan meets it, even while a
// chain is in progress.
TEST_F(BranchChains, ClosedPolylineIsReportedAlone)
{
    ItemRec* open_line = line({20, 0, 30, 0});
    ItemRec* square = add(make_polyline(
        drawing.pool(), {vertex(0, 0), vertex(5, 0), vertex(5, 5), vertex(0, 5), vertex(0, 0)}));
    build(1e-6, 0);
    ASSERT_EQ(chains.size(), 2u);
    EXPECT_EQ(chains[0].items, std::vector<ItemRec*>{square});
    EXPECT_EQ(chains[0].closed, 1);
    EXPECT_EQ(chains[1].items, std::vector<ItemRec*>{open_line});
    EXPECT_EQ(chains[1].closed, 0);
}

// ---------------------------------------------------------------------------------------
// Closing

TEST_F(BranchChains, ShuffledSquareCloses)
{
    struct Row {
        const char* name;
        double gap; // how far apart the corners of neighbouring lines lie
        double tolerance;
        int32_t snap;
    };
    const Row rows[] = {
        {"exact corners, tolerance 0", 0.0, 0.0, 0},
        {"corners within the tolerance", 2e-4, 1e-3, 0},
        {"corners within the tolerance, snapped", 2e-4, 1e-3, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        items.clear();
        chains.clear();
        const double g = row.gap;
        // Right side upwards-reversed, left side downwards, top leftwards, bottom: no two
        // stored one after the other along the square.
        lines({{10, 10, 10, g}, {0, 10 - g, 0, g}, {10 - g, 10, g, 10}, {0, 0, 10 - g, 0}});
        build(row.tolerance, row.snap);
        ASSERT_EQ(chains.size(), 1u);
        EXPECT_EQ(chains[0].closed, 1);
        ASSERT_EQ(chains[0].items.size(), 4u);
        const double exact = 1e-12;
        expect_connected(chains[0], row.snap != 0 || g == 0.0 ? exact : row.tolerance);
        if (row.snap != 0) {
            const Point3DRec first = start_of(chains[0].items.front());
            const Point3DRec last = end_of(chains[0].items.back());
            EXPECT_NEAR(first.x, last.x, exact);
            EXPECT_NEAR(first.y, last.y, exact);
        }
    }
}

TEST_F(BranchChains, ContouringAndJoiningCloseAShuffledSquare)
{
    ItemRec* lines4[] = {make_line(drawing.pool(), 10, 10, 10, 0),
                         make_line(drawing.pool(), 0, 10, 0, 0),
                         make_line(drawing.pool(), 10, 10, 0, 10),
                         make_line(drawing.pool(), 0, 0, 10, 0)};
    for (ItemRec* item : lines4)
        ASSERT_EQ(AddItem(drawing.get(), &drawing->dxf_ItemBuffer, item), 1);

    EXPECT_EQ(ContourDXFDrawingEx(drawing.get(), 1e-6, 1, 0, 1, nullptr, nullptr), 0);
    ASSERT_EQ(drawing->dxf_ContourTable.ct_N, 1);
    EXPECT_EQ(drawing->dxf_ContourTable.ct_Contours[0].cd_Flags, 0u);
    for (ItemRec* item : lines4)
        EXPECT_EQ(item->it_Header.ih_ContourID, 0);

    EXPECT_EQ(DXFLinesArcsToPolylines(drawing.get(), 1e-6, 1, 1, 0, nullptr, nullptr), 0);
    ASSERT_EQ(drawing->dxf_ItemBuffer.ib_N, 5);
    const ItemRec* joined = nullptr;
    for (int32_t i = 0; i < drawing->dxf_ItemBuffer.ib_N; ++i)
        if (drawing->dxf_ItemBuffer.ib_Items[i]->it_Header.ih_ItemType == DXFItemPolyline)
            joined = drawing->dxf_ItemBuffer.ib_Items[i];
    ASSERT_NE(joined, nullptr);
    EXPECT_EQ(joined->it_Polyline.pl_NumVertices, 5);
    EXPECT_EQ(joined->it_Polyline.pl_Flags & 1u, 1u);
    expect_point(joined->it_Polyline.pl_Vertices[4].vx_Point,
                 joined->it_Polyline.pl_Vertices[0].vx_Point);
}

// The chain starts at (5,10), the middle of the last LINE it meets: that LINE closes the
// chain and ends at the start point, with snap or without.
TEST_F(BranchChains, ChainClosesOnALineThroughItsStart)
{
    for (int32_t snap : {0, 1}) {
        SCOPED_TRACE(snap);
        items.clear();
        chains.clear();
        lines({{5, 10, 5, 0}, {5, 0, 10, 0}, {10, 0, 10, 10}, {10, 10, 0, 10}});
        build(1e-6, snap);
        ASSERT_EQ(chains.size(), 1u);
        EXPECT_EQ(chains[0].closed, 1);
        ASSERT_EQ(chains[0].items.size(), 4u);
        EXPECT_EQ(chains[0].items.back(), items[3]);
        expect_point(end_of(items[3]), Point3DRec{5, 10, 0});
    }
}

// ---------------------------------------------------------------------------------------
// Cancel and failure

int32_t cancel_at_once(int32_t, int32_t, void*)
{
    return 7;
}

TEST_F(BranchChains, CancelEndsTheBuilderAtOnce)
{
    lines({{0, 0, 1, 0}, {10, 0, 11, 0}, {20, 0, 21, 0}});
    DXFProgressRec progress{cancel_at_once, 0.0, 100.0, -1, 3, DXFProgressContouring, 0, nullptr};
    build(1e-6, 0, &progress);
    EXPECT_EQ(chains.size(), 1u);
    EXPECT_EQ(progress.cancel, 7);
}

// A builder whose lists cannot be made changes nothing; a failure anywhere later leaves
// every item in the drawing and no leak.
TEST_F(BranchChains, SurvivesEveryAllocationFailure)
{
    for (uint32_t successes = 0; successes < 40; ++successes) {
        SCOPED_TRACE(successes);
        items.clear();
        chains.clear();
        lines({{10, 10, 10, 0}, {0, 10, 0, 0}, {10, 10, 0, 10}, {0, 0, 10, 0}});
        add(make_polyline(drawing.pool(), {vertex(20, 0), vertex(30, 0), vertex(30, 5)}));
        add(make_polyline(drawing.pool(), {vertex(30, 5), vertex(30, 0), vertex(20, 0)}));
        const auto count = static_cast<int32_t>(items.size());
        PagedArray* candidates =
            PagedArrayCreate(sizeof(halvern::DXFChainCandidate), static_cast<uint32_t>(count));
        ASSERT_NE(candidates, nullptr);
        ASSERT_EQ(halvern::DXFCollectCandidates(items.data(), count, -1, candidates), count);
        osmark_testing_fail_allocations(successes, 1);
        halvern::DXFBuildBranchChains(drawing.get(), candidates, items.data(), count, 1e-6, 0,
                                      nullptr, record_chain, &chains);
        osmark_testing_fail_allocations(0, 0);
        PagedArrayDelete(candidates);
        if (chains.empty()) {
            expect_point(start_of(items[0]), Point3DRec{10, 10, 0});
            expect_point(end_of(items[0]), Point3DRec{10, 0, 0});
        }
        size_t reported = 0;
        for (const Reported& chain : chains)
            reported += chain.items.size();
        EXPECT_LE(reported, items.size());
    }
}

}
