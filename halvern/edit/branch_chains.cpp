// DXFBuildBranchChains: the chain builder that follows branches where more than two ends
// meet.
//
// Where the two-run builder appends whatever candidate meets the chain's end first, this
// one first collects every candidate that could continue the chain and then chooses:
// a continuation whose far end leads on to other items beats one that ends there, an
// item that would only run back over the item just appended is never offered, and when
// nothing touches the end, items that overlap it (the end lies on them) may continue it.
// A chain that cannot grow at its end is turned round once and grows from its start.
#include "edit/chain_internal.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

#include "osmark/memory.h"
#include "osmark/owners.h"

namespace halvern {

namespace {

// ---------------------------------------------------------------------------------------
// Choices

// How a choice meets the chain's end.
inline constexpr int32_t kChoiceTouches = 1;  // one of its ends lies at the chain's end
inline constexpr int32_t kChoiceOverlaps = 2; // the chain's end lies on it

// One candidate that could continue the chain, kept by value in a PagedArray.
struct DXFChainChoice {
    int32_t candidate; // position in the candidates
    int32_t reverse;   // 1: the item must be reversed to continue the chain
    int32_t kind;      // kChoiceTouches or kChoiceOverlaps
};

// The pool of the drawing that temporary segment items come from.
inline constexpr uint32_t kOverlapPoolPuddle = 16384;
inline constexpr uint32_t kOverlapPoolThreshold = 16384;
// Initial room of the chain Array; it grows beyond when a chain is longer.
inline constexpr uint32_t kChainInitialCapacity = 50;

using osmark::ArrayOwner;
using osmark::PagedArrayOwner;

// A temporary item taken from a pool, returned to it when the owner goes.
class PooledItem {
public:
    PooledItem(Pool* pool, ItemRec* item) noexcept : m_pool(pool), m_item(item) {}
    ~PooledItem()
    {
        if (m_item != nullptr)
            FreeVecPooled(m_pool, m_item);
    }
    PooledItem(const PooledItem&) = delete;
    PooledItem& operator=(const PooledItem&) = delete;
    ItemRec* get() const noexcept { return m_item; }

private:
    Pool* m_pool;
    ItemRec* m_item;
};

ItemRec* item_at(const Array* chain, uint32_t index) noexcept
{
    return reinterpret_cast<ItemRec*>(ArrayGet(chain, index));
}

int32_t direction_sign(int32_t direction) noexcept
{
    return direction >= 0 ? 1 : -1;
}

// ---------------------------------------------------------------------------------------
// The steps

// Which end of a candidate (start, end) meets point within t: *reverse 0 for the start,
// 1 for the end. When both do, the start only when it is nearer by at least 1e-6. false
// when neither meets it (*reverse unwritten).
bool DXFTouchingEnd(const Point3DRec& start, const Point3DRec& end, double t,
                    const Point3DRec& point, int32_t* reverse) noexcept
{
    const bool start_meets = DXFPointNear(start, point, t);
    const bool end_meets = DXFPointNear(end, point, t);
    if (!start_meets && !end_meets)
        return false;
    if (start_meets && end_meets) {
        const double start_distance = DXFPointDistance(&start, &point);
        const double end_distance = DXFPointDistance(&end, &point);
        *reverse = end_distance - start_distance >= kTolerance ? 0 : 1;
    } else {
        *reverse = start_meets ? 0 : 1;
    }
    return true;
}

// true when every other candidate (used or not) that meets far within t has its other
// end at near: the far end of a choice then leads nowhere but back to where it began.
bool DXFEndLeadsOnlyTo(PagedArray* candidates, const Point3DRec& far, uint32_t own,
                       const Point3DRec& near, double t) noexcept
{
    const uint32_t count = PagedArrayGetCount(candidates);
    for (uint32_t i = 0; i < count; ++i) {
        if (i == own)
            continue;
        const DXFChainCandidate& other = *DXFCandidateAt(candidates, i);
        int32_t reverse = 0;
        if (!DXFTouchingEnd(other.start, other.end, t, far, &reverse))
            continue;
        const Point3DRec& other_end = reverse != 0 ? other.start : other.end;
        if (!DXFPointNear(other_end, near, t))
            return false;
    }
    return true;
}

// Arc angles in counter-clockwise order, normalised, so that an arc and its reversal
// compare equal.
std::pair<double, double> ccw_angles(const ArcRec& arc) noexcept
{
    const double start = DXFNormaliseAngle(arc.ar_Start);
    const double end = DXFNormaliseAngle(arc.ar_End);
    return direction_sign(arc.ar_Dir) > 0 ? std::pair{start, end} : std::pair{end, start};
}

bool same_polyline_vertices(const PolylineRec& a, const PolylineRec& b) noexcept
{
    const int32_t n = a.pl_NumVertices > 0 ? a.pl_NumVertices : 0;
    if (n != (b.pl_NumVertices > 0 ? b.pl_NumVertices : 0))
        return false;
    for (int32_t i = 0; i < n; ++i) {
        const VertexRec& p = a.pl_Vertices[i];
        const VertexRec& q = b.pl_Vertices[i];
        if (!is_equal(p.vx_Bulge, q.vx_Bulge) || DXFSamePoint(&p.vx_Point, &q.vx_Point) == 0)
            return false;
    }
    return true;
}

// true when the candidate, oriented to continue the chain (reversed when reverse is 1),
// would run back over last: it is last travelled the other way.
bool DXFSameItemReversed(const ItemRec& candidate, const ItemRec& last, int32_t reverse) noexcept
{
    const int32_t type = candidate.it_Header.ih_ItemType;
    if (type != last.it_Header.ih_ItemType)
        return false;
    switch (type) {
    case DXFItemLine: {
        // Compared in either order, so the orientation does not matter.
        const LineRec& p = candidate.it_Line;
        const LineRec& q = last.it_Line;
        return (DXFSamePoint(&p.ln_Start, &q.ln_Start) != 0 &&
                DXFSamePoint(&p.ln_End, &q.ln_End) != 0) ||
               (DXFSamePoint(&p.ln_Start, &q.ln_End) != 0 &&
                DXFSamePoint(&p.ln_End, &q.ln_Start) != 0);
    }
    case DXFItemArc: {
        // Compared by their counter-clockwise angles, which reversing does not change.
        const ArcRec& p = candidate.it_Arc;
        const ArcRec& q = last.it_Arc;
        const auto [p_start, p_end] = ccw_angles(p);
        const auto [q_start, q_end] = ccw_angles(q);
        return DXFSamePoint(&p.ar_Centre, &q.ar_Centre) != 0 &&
               is_equal(p.ar_Radius, q.ar_Radius) && is_equal(p_start, q_start) &&
               is_equal(p_end, q_end);
    }
    case DXFItemPolyline: {
        // The candidate runs back over last when its copy, turned the other way round
        // from how it would continue the chain, is last vertex for vertex.
        ItemRec* copy = CopyItem(&candidate, nullptr);
        if (copy == nullptr)
            return false;
        if (reverse == 0)
            DXFItemReverse(copy);
        const bool same = same_polyline_vertices(copy->it_Polyline, last.it_Polyline);
        FreeVec(copy);
        return same;
    }
    default:
        return false;
    }
}

// Directions (normalised angles) of two lines that lie along one line: equal or
// opposite within 1e-6.
bool along_one_line(double direction_a, double direction_b) noexcept
{
    const double difference = std::fmod(std::fabs(direction_a - direction_b), kPi);
    return difference < kTolerance || kPi - difference < kTolerance;
}

bool line_overlap_continues(const LineRec& candidate, const LineRec& last, const Point3DRec& end,
                            int32_t* reverse) noexcept
{
    // Both senses of travel along one line count: the orientation rule below picks the
    // one that leads away from the chain.
    const double candidate_direction = DXFPointDirection(&candidate.ln_Start, &candidate.ln_End);
    const double last_direction = DXFPointDirection(&last.ln_Start, &last.ln_End);
    if (!along_one_line(candidate_direction, last_direction))
        return false;
    if (DXFPointOnSegment(&candidate.ln_Start, &candidate.ln_End, &end) == 0)
        return false;
    const double forward = (end.x - last.ln_Start.x) * (candidate.ln_End.x - end.x) +
                           (end.y - last.ln_Start.y) * (candidate.ln_End.y - end.y);
    *reverse = forward >= kTolerance ? 0 : 1;
    return true;
}

bool arc_overlap_continues(const ArcRec& candidate, const ArcRec& last, const Point3DRec& end,
                           int32_t* reverse) noexcept
{
    if (DXFSamePoint(&candidate.ar_Centre, &last.ar_Centre) == 0)
        return false;
    if (DXFPointOnArc(&candidate.ar_Centre, candidate.ar_Radius, candidate.ar_Start,
                      candidate.ar_End, candidate.ar_Dir, &end) == 0)
        return false;
    const double candidate_turn =
        DXFArcSweep(candidate.ar_Start, candidate.ar_End, candidate.ar_Dir) *
        direction_sign(candidate.ar_Dir);
    const double last_turn =
        DXFArcSweep(last.ar_Start, last.ar_End, last.ar_Dir) * direction_sign(last.ar_Dir);
    *reverse = candidate_turn * last_turn >= kTolerance ? 0 : 1;
    return true;
}

// true when end, the chain's end, lies on the candidate, which runs along last there, so
// that the rest of the candidate continues the chain; *reverse says which way. A
// POLYLINE stands for its first segment.
bool DXFOverlapContinues(Pool* pool, const ItemRec& candidate, const ItemRec& last,
                         const Point3DRec& end, int32_t* reverse) noexcept
{
    const auto first_segment = [pool](const ItemRec& item) {
        const bool expand = item.it_Header.ih_ItemType == DXFItemPolyline && pool != nullptr;
        return expand ? DXFExpandPolyItem(&item, 0, pool) : nullptr;
    };
    const PooledItem candidate_segment(pool, first_segment(candidate));
    const PooledItem last_segment(pool, first_segment(last));
    const ItemRec* c = candidate_segment.get() != nullptr ? candidate_segment.get() : &candidate;
    const ItemRec* l = last_segment.get() != nullptr ? last_segment.get() : &last;

    const int32_t type = c->it_Header.ih_ItemType;
    if (type != l->it_Header.ih_ItemType)
        return false;
    if (type == DXFItemLine)
        return line_overlap_continues(c->it_Line, l->it_Line, end, reverse);
    if (type == DXFItemArc)
        return arc_overlap_continues(c->it_Arc, l->it_Arc, end, reverse);
    return false;
}

// The position of the choice to take, or -1 when there is none. A choice whose far end
// continues elsewhere wins over one whose far end leads nowhere: an overlapping one at
// once, a touching one when its near end is the closest to end (ties keep the earlier).
// When no choice continues, the last one wins.
int32_t DXFChooseContinuation(PagedArray* candidates, double t, const Point3DRec& end,
                              PagedArray* choices) noexcept
{
    int32_t picked = -1;
    bool continuing_seen = false;
    double best_distance = 0.0;
    const uint32_t count = PagedArrayGetCount(choices);
    for (uint32_t i = 0; i < count; ++i) {
        const auto& choice = *static_cast<const DXFChainChoice*>(PagedArrayGet(choices, i));
        const auto own = static_cast<uint32_t>(choice.candidate);
        const DXFChainCandidate& candidate = *DXFCandidateAt(candidates, own);
        const Point3DRec& near = choice.reverse != 0 ? candidate.end : candidate.start;
        const Point3DRec& far = choice.reverse != 0 ? candidate.start : candidate.end;
        if (DXFEndLeadsOnlyTo(candidates, far, own, near, t)) {
            if (!continuing_seen)
                picked = static_cast<int32_t>(i);
            continue;
        }
        if (choice.kind == kChoiceOverlaps)
            return static_cast<int32_t>(i);
        const double distance = DXFPointDistance(&end, &near);
        if (!continuing_seen || best_distance - distance >= kTolerance) {
            picked = static_cast<int32_t>(i);
            best_distance = distance;
            continuing_seen = true;
        }
    }
    return picked;
}

// ---------------------------------------------------------------------------------------
// The builder

class BranchChainBuilder {
public:
    BranchChainBuilder(DXFDrawingRec* drawing, PagedArray* candidates, ItemRec* const* items,
                       int32_t item_count, double tolerance, int32_t snap,
                       DXFProgressRec* progress, DXFChainCallback callback, void* user) noexcept
        : m_drawing(drawing), m_candidates(candidates), m_items(items), m_item_count(item_count),
          m_tolerance(DXFChainTolerance(tolerance)), m_snap(snap != 0), m_progress(progress),
          m_callback(callback), m_user(user), m_count(PagedArrayGetCount(candidates))
    {
    }

    // false when a list could not be made; nothing has been changed then.
    bool prepare() noexcept;
    void run() noexcept;

private:
    DXFChainCandidate& candidate(uint32_t k) noexcept { return *DXFCandidateAt(m_candidates, k); }
    ItemRec* item_of(const DXFChainCandidate& c) const noexcept;
    ItemRec* last_item() const noexcept;
    void use(DXFChainCandidate& c) noexcept;

    bool scan(double t) noexcept;
    bool report_alone(DXFChainCandidate& c, ItemRec* item) noexcept;
    void start_chain(DXFChainCandidate& c, ItemRec* item) noexcept;
    void add_choice(uint32_t k, int32_t reverse, int32_t kind) noexcept;
    void collect_overlaps() noexcept;
    bool take(const DXFChainChoice& choice) noexcept;
    void flip() noexcept;
    bool finish() noexcept;
    bool report(int32_t closed) noexcept;
    bool report_progress() noexcept;

    DXFDrawingRec* m_drawing;
    PagedArray* m_candidates;
    ItemRec* const* m_items;
    int32_t m_item_count;
    double m_tolerance;
    bool m_snap;
    DXFProgressRec* m_progress;
    DXFChainCallback m_callback;
    void* m_user;
    uint32_t m_count;

    PagedArrayOwner m_choices;
    ArrayOwner m_chain;
    ArrayOwner m_alone; // an item closed by itself, reported on its own
    uint32_t m_used = 0;
    bool m_in_progress = false;
    bool m_flipped = false;
    Point3DRec m_start{};
    Point3DRec m_end{};
};

ItemRec* BranchChainBuilder::item_of(const DXFChainCandidate& c) const noexcept
{
    if (c.index < 0 || c.index >= m_item_count)
        return nullptr;
    return m_items[c.index];
}

ItemRec* BranchChainBuilder::last_item() const noexcept
{
    return reinterpret_cast<ItemRec*>(ArrayLast(m_chain.get()));
}

void BranchChainBuilder::use(DXFChainCandidate& c) noexcept
{
    c.flags = kCandidateUsed;
    ++m_used;
}

bool BranchChainBuilder::prepare() noexcept
{
    m_choices.reset(PagedArrayCreate(sizeof(DXFChainChoice), static_cast<uint32_t>(m_item_count)));
    m_chain.reset(ArrayCreate());
    m_alone.reset(ArrayCreate());
    if (!m_choices || !m_chain || !m_alone)
        return false;
    const uint32_t room = std::min(static_cast<uint32_t>(m_item_count), kChainInitialCapacity);
    // One slot more than the items: an Array keeps a spare slot.
    if (ArraySetCapacity(m_chain.get(), room + 1) == 0 || ArraySetCapacity(m_alone.get(), 2) == 0)
        return false;
    if (m_drawing->dxf_Pool == nullptr)
        m_drawing->dxf_Pool = CreatePool(kOverlapPoolPuddle, kOverlapPoolThreshold);
    // Only free candidates take part; one whose item is missing can never be chained.
    for (uint32_t k = 0; k < m_count; ++k) {
        DXFChainCandidate& c = candidate(k);
        if (c.flags == kCandidateFree && item_of(c) == nullptr)
            c.flags = kCandidateUsed;
        if (c.flags != kCandidateFree)
            ++m_used;
    }
    return true;
}

void BranchChainBuilder::run() noexcept
{
    while (m_used < m_count) {
        PagedArrayClear(m_choices.get());
        double t = kTolerance;
        if (!scan(t))
            return;
        if (PagedArrayGetCount(m_choices.get()) == 0) {
            t = m_tolerance;
            if (!scan(t))
                return;
        }
        if (!m_in_progress)
            return;
        int32_t picked = DXFChooseContinuation(m_candidates, t, m_end, m_choices.get());
        if (picked < 0) {
            collect_overlaps();
            picked = DXFChooseContinuation(m_candidates, t, m_end, m_choices.get());
        }
        if (picked >= 0) {
            const auto choice = *static_cast<const DXFChainChoice*>(
                PagedArrayGet(m_choices.get(), static_cast<uint32_t>(picked)));
            if (!take(choice))
                return;
        } else if (!m_flipped) {
            flip();
        } else if (!finish()) {
            return;
        }
    }
    if (m_in_progress)
        finish();
}

// One look at every free candidate: items closed by themselves are reported, the first
// other one starts a chain when none is in progress, and those that touch the chain's
// end within t become choices. false when the caller cancelled.
bool BranchChainBuilder::scan(double t) noexcept
{
    for (uint32_t k = 0; k < m_count; ++k) {
        DXFChainCandidate& c = candidate(k);
        if (c.flags != kCandidateFree)
            continue;
        ItemRec* item = item_of(c);
        const int32_t type = item->it_Header.ih_ItemType;
        // ARCs are left out: a full circle is chained like any other item.
        const bool may_close_alone =
            type == DXFItemPolyline || type == DXFItemEllipse || type == DXFItemSpline;
        if (may_close_alone && DXFPointNear(c.start, c.end, kTolerance)) {
            if (!report_alone(c, item))
                return false;
            continue;
        }
        if (!m_in_progress) {
            start_chain(c, item);
            continue;
        }
        int32_t reverse = 0;
        if (DXFTouchingEnd(c.start, c.end, t, m_end, &reverse) &&
            !DXFSameItemReversed(*item, *last_item(), reverse))
            add_choice(k, reverse, kChoiceTouches);
    }
    return true;
}

bool BranchChainBuilder::report_alone(DXFChainCandidate& c, ItemRec* item) noexcept
{
    use(c);
    if (m_snap)
        DXFMoveItemEnd(item, &c.start, kMoveItemEnd);
    ArrayClear(m_alone.get());
    ArrayAdd(m_alone.get(), reinterpret_cast<uintptr_t>(item));
    const int32_t closed = DXFChainLength(m_alone.get()) >= kTolerance ? 1 : 0;
    m_callback(m_drawing, m_alone.get(), closed, m_user);
    ArrayClear(m_alone.get());
    return report_progress();
}

void BranchChainBuilder::start_chain(DXFChainCandidate& c, ItemRec* item) noexcept
{
    use(c);
    ArrayClear(m_chain.get());
    ArrayAdd(m_chain.get(), reinterpret_cast<uintptr_t>(item));
    m_start = c.start;
    m_end = c.end;
    m_in_progress = true;
    m_flipped = false;
}

void BranchChainBuilder::add_choice(uint32_t k, int32_t reverse, int32_t kind) noexcept
{
    // A choice that finds no room is simply not offered.
    const DXFChainChoice choice{static_cast<int32_t>(k), reverse, kind};
    PagedArrayAdd(m_choices.get(), &choice);
}

void BranchChainBuilder::collect_overlaps() noexcept
{
    PagedArrayClear(m_choices.get());
    const ItemRec& last = *last_item();
    for (uint32_t k = 0; k < m_count; ++k) {
        const DXFChainCandidate& c = candidate(k);
        if (c.flags != kCandidateFree)
            continue;
        const ItemRec& item = *item_of(c);
        int32_t reverse = 0;
        if (DXFOverlapContinues(m_drawing->dxf_Pool, item, last, m_end, &reverse) &&
            !DXFSameItemReversed(item, last, reverse))
            add_choice(k, reverse, kChoiceOverlaps);
    }
}

// Appends the chosen candidate, closing the chain when it comes back to its start. false
// when the caller cancelled or the chain could not grow.
bool BranchChainBuilder::take(const DXFChainChoice& choice) noexcept
{
    DXFChainCandidate& c = candidate(static_cast<uint32_t>(choice.candidate));
    ItemRec* item = item_of(c);
    use(c);
    if (choice.reverse != 0)
        DXFItemReverse(item);
    // An overlapping item always starts exactly at the chain's end: its part behind the
    // end would run back over the chain.
    if (m_snap || choice.kind == kChoiceOverlaps)
        DXFMoveItemEnd(item, &m_end, kMoveItemStart);
    m_end = choice.reverse != 0 ? c.start : c.end;

    const bool start_on_item = DXFPointOnItem(item, &m_start) != 0;
    const bool closes = DXFPointNear(m_start, m_end, kTolerance) || start_on_item;
    if (closes && (m_snap || start_on_item))
        DXFMoveItemEnd(item, &m_start, kMoveItemEnd);
    if (ArrayAdd(m_chain.get(), reinterpret_cast<uintptr_t>(item)) < 0)
        return false;
    if (!closes)
        return true;
    return report(DXFChainLength(m_chain.get()) >= kTolerance ? 1 : 0);
}

// Turns the chain round so that it grows from its start: every item reversed, the order
// reversed, start and end exchanged.
void BranchChainBuilder::flip() noexcept
{
    Array* chain = m_chain.get();
    const uint32_t n = ArrayGetCount(chain);
    for (uint32_t i = 0; i < n; ++i)
        DXFItemReverse(item_at(chain, i));
    for (uint32_t i = 0; i < n / 2; ++i)
        ArrayExchange(chain, i, n - 1 - i);
    std::swap(m_start, m_end);
    m_flipped = true;
}

bool BranchChainBuilder::finish() noexcept
{
    const bool closed = DXFPointNear(m_start, m_end, m_tolerance);
    if (m_snap && closed)
        DXFMoveItemEnd(last_item(), &m_start, kMoveItemEnd);
    return report(closed ? 1 : 0);
}

bool BranchChainBuilder::report(int32_t closed) noexcept
{
    m_callback(m_drawing, m_chain.get(), closed, m_user);
    ArrayClear(m_chain.get());
    m_in_progress = false;
    m_flipped = false;
    return report_progress();
}

bool BranchChainBuilder::report_progress() noexcept
{
    return DXFReportProgress(m_progress, static_cast<int32_t>(m_used),
                             static_cast<int32_t>(m_count)) == 0;
}

}

void DXFBuildBranchChains(DXFDrawingRec* drawing, PagedArray* candidates,
                                               ItemRec* const* items, int32_t item_count,
                                               double tolerance, int32_t snap,
                                               DXFProgressRec* progress,
                                               DXFChainCallback callback, void* user) noexcept
{
    if (drawing == nullptr || candidates == nullptr || items == nullptr || callback == nullptr)
        return;
    if (item_count <= 0 || PagedArrayGetCount(candidates) == 0)
        return;
    BranchChainBuilder builder(drawing, candidates, items, item_count, tolerance, snap, progress,
                               callback, user);
    if (builder.prepare())
        builder.run();
}

}
