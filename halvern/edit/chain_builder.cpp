// The two-run chain builder: candidates from an item array, the marking of open ends,
// and the growth of chains by appending whatever candidate meets the chain's end.
//
// A chain grows only at its end. So that an open path is not cut in two, a chain starts
// at a free end of the items whenever there is one: the first candidate with a free end
// is held back by the marking and starts the first chain, and later chains start at
// free ends while any are left.
#include "edit/chain_internal.h"
#include "model/make_error.h"

#include "halvern/edits.h"
#include "osmark/owners.h"

namespace halvern {

namespace {

// Items that can close by themselves. Full circles are among them, so that they are
// chains of their own before any other item could be appended to them.
bool is_self_closing_type(int32_t type) noexcept
{
    return type == DXFItemPolyline || type == DXFItemEllipse || type == DXFItemSpline ||
           type == DXFItemArc;
}

// Which end of a candidate has no partner among the other free candidates.
struct FreeEnds {
    bool start = true;
    bool end = true;
};

class TwoRunBuilder {
public:
    TwoRunBuilder(DXFDrawingRec* drawing, PagedArray* candidates, ItemRec* const* items,
                  bool open_end_search, DXFChainCallback callback, double tolerance, bool snap,
                  DXFProgressRec* progress, void* user) noexcept
        : m_drawing(drawing),
          m_candidates(candidates),
          m_items(items),
          m_count(PagedArrayGetCount(candidates)),
          m_open_end_search(open_end_search),
          m_callback(callback),
          m_tolerance(DXFChainTolerance(tolerance)),
          m_snap(snap),
          m_progress(progress),
          m_user(user)
    {
    }

    void run() noexcept;

private:
    DXFChainCandidate& candidate(uint32_t index) noexcept { return *DXFCandidateAt(m_candidates, index); }
    ItemRec* item_of(const DXFChainCandidate& c) const noexcept { return m_items[c.index]; }
    bool is_free(uint32_t index) noexcept { return candidate(index).flags == kCandidateFree; }
    bool any_free() noexcept;

    bool close_alone_items() noexcept;
    bool choose_first() noexcept;
    void start_chain(uint32_t index, bool reversed) noexcept;
    FreeEnds free_ends(uint32_t index) noexcept;
    bool grow_one_attempt(bool& appended_exactly) noexcept;
    bool try_append(uint32_t index, double tolerance) noexcept;
    void append(uint32_t index, bool reversed) noexcept;
    bool finish_chain(int32_t closed) noexcept;

    DXFDrawingRec* m_drawing;
    PagedArray* m_candidates;
    ItemRec* const* m_items;
    uint32_t m_count;
    bool m_open_end_search;
    DXFChainCallback m_callback;
    double m_tolerance;
    bool m_snap;
    DXFProgressRec* m_progress;
    void* m_user;

    osmark::ArrayOwner m_chain;
    int32_t m_to_use = 0; // candidates this run can use
    int32_t m_used = 0;   // candidates this run has used
    uint32_t m_first = 0; // the chain's first candidate
    Point3DRec m_start{};
    Point3DRec m_end{};
};

bool TwoRunBuilder::any_free() noexcept
{
    for (uint32_t k = 0; k < m_count; ++k)
        if (is_free(k))
            return true;
    return false;
}

// Reports the chain, empties it and reports progress; false when the caller cancelled.
bool TwoRunBuilder::finish_chain(int32_t closed) noexcept
{
    if (m_callback != nullptr)
        m_callback(m_drawing, m_chain.get(), closed, m_user);
    ArrayClear(m_chain.get());
    return DXFReportProgress(m_progress, m_used, m_to_use) == 0;
}

// Items whose own ends meet are chains of their own.
bool TwoRunBuilder::close_alone_items() noexcept
{
    for (uint32_t k = 0; k < m_count; ++k) {
        DXFChainCandidate& c = candidate(k);
        ItemRec* item = item_of(c);
        if (c.flags != kCandidateFree || !is_self_closing_type(item->it_Header.ih_ItemType) ||
            !DXFPointNear(c.start, c.end, kTolerance))
            continue;
        if (m_snap)
            DXFMoveItemEnd(item, &c.start, kMoveItemEnd);
        c.flags = kCandidateUsed;
        ++m_used;
        ArrayAdd(m_chain.get(), reinterpret_cast<uintptr_t>(item));
        if (!finish_chain(DXFChainLength(m_chain.get()) >= kTolerance ? 1 : 0))
            return false;
    }
    return true;
}

FreeEnds TwoRunBuilder::free_ends(uint32_t index) noexcept
{
    FreeEnds ends;
    const DXFChainCandidate& c = candidate(index);
    for (uint32_t k = 0; k < m_count && (ends.start || ends.end); ++k) {
        if (k == index || !is_free(k))
            continue;
        const DXFChainCandidate& other = candidate(k);
        if (DXFPointNear(c.start, other.start, m_tolerance) ||
            DXFPointNear(c.start, other.end, m_tolerance))
            ends.start = false;
        if (DXFPointNear(c.end, other.start, m_tolerance) ||
            DXFPointNear(c.end, other.end, m_tolerance))
            ends.end = false;
    }
    return ends;
}

void TwoRunBuilder::start_chain(uint32_t index, bool reversed) noexcept
{
    DXFChainCandidate& c = candidate(index);
    ItemRec* item = item_of(c);
    if (reversed)
        DXFItemReverse(item);
    c.flags = kCandidateUsed;
    ++m_used;
    m_first = index;
    m_start = reversed ? c.end : c.start;
    m_end = reversed ? c.start : c.end;
    ArrayAdd(m_chain.get(), reinterpret_cast<uintptr_t>(item));
}

// Starts a chain: at the held-back candidate, else at the first free end while the
// open-end search finds one, else at the first free candidate. false when none is free.
bool TwoRunBuilder::choose_first() noexcept
{
    for (uint32_t k = 0; k < m_count; ++k) {
        if (candidate(k).flags != kCandidateHeldBack)
            continue;
        candidate(k).flags = kCandidateFree;
        const FreeEnds ends = free_ends(k);
        start_chain(k, !ends.start && ends.end);
        return true;
    }
    if (m_open_end_search) {
        for (uint32_t k = 0; k < m_count; ++k) {
            if (!is_free(k))
                continue;
            const FreeEnds ends = free_ends(k);
            if (ends.start || ends.end) {
                start_chain(k, !ends.start);
                return true;
            }
        }
        m_open_end_search = false;
    }
    for (uint32_t k = 0; k < m_count; ++k) {
        if (is_free(k)) {
            start_chain(k, false);
            return true;
        }
    }
    return false;
}

void TwoRunBuilder::append(uint32_t index, bool reversed) noexcept
{
    DXFChainCandidate& c = candidate(index);
    ItemRec* item = item_of(c);
    if (reversed)
        DXFItemReverse(item);
    if (m_snap)
        DXFMoveItemEnd(item, &m_end, kMoveItemStart);
    m_end = reversed ? c.start : c.end;
    c.flags = kCandidateUsed;
    ++m_used;
    ArrayAdd(m_chain.get(), reinterpret_cast<uintptr_t>(item));
}

// Appends the candidate when one of its ends meets the chain's end; true when it did.
bool TwoRunBuilder::try_append(uint32_t index, double tolerance) noexcept
{
    const DXFChainCandidate& c = candidate(index);
    const bool start_meets = DXFPointNear(c.start, m_end, tolerance);
    const bool end_meets = DXFPointNear(c.end, m_end, tolerance);
    if (!start_meets && !end_meets)
        return false;
    // An item that repeats the last one would only run back over it: two identical
    // items are never chained to each other.
    const auto* last = reinterpret_cast<const ItemRec*>(ArrayLast(m_chain.get()));
    if (DXFSameItems(item_of(c), last) != 0)
        return false;
    bool reversed = end_meets && !start_meets;
    if (start_meets && end_meets)
        reversed = DXFPointDistance(&c.end, &m_end) < DXFPointDistance(&c.start, &m_end);
    append(index, reversed);
    return true;
}

// One attempt: a pass with exact ends, then one with the caller's tolerance. A chain
// that has closed within a pass's tolerance takes nothing more in that pass. Returns
// true when the pass with the tolerance appended an item (a new attempt follows at
// once); appended_exactly tells whether the exact pass appended one.
bool TwoRunBuilder::grow_one_attempt(bool& appended_exactly) noexcept
{
    appended_exactly = false;
    for (int pass = 0; pass < 2; ++pass) {
        const double tolerance = pass == 0 ? kTolerance : m_tolerance;
        for (uint32_t m = 0; m < m_count; ++m) {
            if (DXFPointNear(m_start, m_end, tolerance))
                break;
            const uint32_t index = (m_first + 1 + m) % m_count;
            if (!is_free(index) || !try_append(index, tolerance))
                continue;
            if (pass == 1)
                return true;
            appended_exactly = true;
        }
    }
    return false;
}

void TwoRunBuilder::run() noexcept
{
    for (uint32_t k = 0; k < m_count; ++k) {
        const int32_t flags = candidate(k).flags;
        if (flags == kCandidateFree || flags == kCandidateHeldBack)
            ++m_to_use;
    }
    if (m_to_use == 0)
        return;
    // Room for every candidate up front: appending can then never fail half-way
    // through a chain and leave it with an item missing.
    m_chain.reset(ArrayCreate());
    if (!m_chain || ArraySetCapacity(m_chain.get(), m_count + 1) == 0)
        return;
    if (!close_alone_items())
        return;
    while (choose_first()) {
        bool appended_exactly = false;
        int32_t closed = -1;
        while (closed < 0) {
            if (grow_one_attempt(appended_exactly))
                continue;
            if (DXFPointNear(m_start, m_end, m_tolerance)) {
                if (m_snap) {
                    auto* last = reinterpret_cast<ItemRec*>(ArrayLast(m_chain.get()));
                    DXFMoveItemEnd(last, &m_start, kMoveItemEnd);
                }
                closed = DXFChainLength(m_chain.get()) >= kTolerance ? 1 : 0;
            } else if (!appended_exactly || !any_free()) {
                closed = 0;
            }
        }
        if (!finish_chain(closed))
            return;
    }
}

bool ends_meet(const Point3DRec& point, const DXFChainCandidate& other,
               double tolerance) noexcept
{
    return DXFPointNear(point, other.start, tolerance) || DXFPointNear(point, other.end, tolerance);
}

// Looks for a partner of one end of candidate i among the other candidates, exact ends
// first; sets the partner bits of both ends found. true when there is one.
bool find_partner(PagedArray* candidates, uint32_t i, int32_t end_bit,
                  double tolerance) noexcept
{
    const uint32_t count = PagedArrayGetCount(candidates);
    DXFChainCandidate& own = *DXFCandidateAt(candidates, i);
    const Point3DRec point = end_bit == kCandidateStartPartner ? own.start : own.end;
    for (const double t : {kTolerance, tolerance}) {
        for (uint32_t j = 0; j < count; ++j) {
            if (j == i)
                continue;
            DXFChainCandidate& other = *DXFCandidateAt(candidates, j);
            if (!ends_meet(point, other, t))
                continue;
            own.flags |= end_bit;
            other.flags |= DXFPointNear(point, other.start, t) ? kCandidateStartPartner
                                                               : kCandidateEndPartner;
            return true;
        }
    }
    return false;
}

}

// ---------------------------------------------------------------------------------------
// Exported within the library

int32_t DXFCollectCandidates(ItemRec* const* items, int32_t count,
                                                  int32_t layer, PagedArray* candidates) noexcept
{
    if (items == nullptr || candidates == nullptr)
        return 0;
    int32_t added = 0;
    for (int32_t i = 0; i < count; ++i) {
        const ItemRec* item = items[i];
        if (item == nullptr || item->it_Header.ih_ItemType == DXFItemPoint)
            continue;
        if (layer != -1 && item->it_Header.ih_Layer != layer)
            continue;
        DXFChainCandidate candidate{i, kCandidateFree, 0, {}, {}};
        if (DXFItemStart(item, &candidate.start) == 0 || DXFItemEnd(item, &candidate.end) == 0)
            continue;
        if (PagedArrayAdd(candidates, &candidate) < 0)
            break;
        ++added;
    }
    return added;
}

int32_t DXFMarkOpenEnds(PagedArray* candidates, double tolerance) noexcept
{
    if (candidates == nullptr)
        return make_error(-1);
    const uint32_t count = PagedArrayGetCount(candidates);
    for (uint32_t i = 0; i < count; ++i)
        DXFCandidateAt(candidates, i)->flags = 0;
    const double t = DXFChainTolerance(tolerance);
    constexpr int32_t kBothPartners = kCandidateStartPartner | kCandidateEndPartner;
    int32_t marked = -1;
    for (uint32_t i = 0; i < count && marked < 0; ++i) {
        DXFChainCandidate& c = *DXFCandidateAt(candidates, i);
        if (DXFPointNear(c.start, c.end, kTolerance) || (c.flags & kBothPartners) == kBothPartners)
            continue;
        bool free_end = false;
        for (const int32_t bit : {kCandidateStartPartner, kCandidateEndPartner}) {
            if ((c.flags & bit) == 0 && !find_partner(candidates, i, bit, t))
                free_end = true;
        }
        if (free_end)
            marked = static_cast<int32_t>(i);
    }
    for (uint32_t i = 0; i < count; ++i)
        DXFCandidateAt(candidates, i)->flags =
            static_cast<int32_t>(i) == marked ? kCandidateHeldBack : kCandidateFree;
    return marked;
}

void DXFBuildChains(DXFDrawingRec* drawing, PagedArray* candidates,
                                         ItemRec* const* items, int32_t open_end_search,
                                         DXFChainCallback callback, double tolerance,
                                         int32_t snap, DXFProgressRec* progress,
                                         void* user) noexcept
{
    if (candidates == nullptr || items == nullptr)
        return;
    TwoRunBuilder builder(drawing, candidates, items, open_end_search != 0, callback, tolerance,
                          snap != 0, progress, user);
    builder.run();
}

void DXFChainCandidates(DXFDrawingRec* drawing, PagedArray* candidates,
                                             ItemRec* const* items, int32_t item_count,
                                             double tolerance, int32_t snap, int32_t builder,
                                             DXFProgressRec* progress, DXFChainCallback callback,
                                             void* user) noexcept
{
    if (candidates == nullptr || items == nullptr || PagedArrayGetCount(candidates) == 0)
        return;
    if (builder == 0) {
        DXFBuildBranchChains(drawing, candidates, items, item_count, tolerance, snap, progress,
                             callback, user);
        return;
    }
    // With a free end somewhere, the held-back candidate starts the first chain and the
    // open-end search starts the others; without one every chain is a loop and may start
    // anywhere.
    const int32_t marked = DXFMarkOpenEnds(candidates, tolerance);
    DXFBuildChains(drawing, candidates, items, marked >= 0 ? 1 : 0, callback, tolerance, snap,
                   progress, user);
}

}
