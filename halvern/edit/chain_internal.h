// Chaining of items into contours and polylines: the candidates that both chain builders
// work on, the chain callback, the progress record, the steps of contouring and joining,
// and the contour relations that contouring uses for nesting.
//
// A chain is an osmark Array of ItemRec pointers in chain order, each item oriented so
// that it runs away from the chain's start. The items live in the drawing; candidates
// index an item array (ItemRec** with a count) that the caller owns, usually the pointer
// array of one item buffer or a stretch of it.
//
// Points meet within a tolerance t when both their x and their y differences lie
// strictly inside (-t, t); z is ignored.
#ifndef HALVERN_EDIT_CHAIN_INTERNAL_H
#define HALVERN_EDIT_CHAIN_INTERNAL_H

#include <cstdint>

#include "halvern/contours.h"
#include "halvern/drawing.h"
#include "halvern/item_geometry.h"
#include "halvern/items.h"
#include "geometry/geometry_internal.h"
#include "osmark/array.h"
#include "osmark/paged_array.h"

namespace halvern {

// ---------------------------------------------------------------------------------------
// Shared records

// Values of DXFChainCandidate::flags outside the open-end marking.
inline constexpr int32_t kCandidateFree = 0;
inline constexpr int32_t kCandidateUsed = 1;
inline constexpr int32_t kCandidateHeldBack = 2;
// Bits of DXFChainCandidate::flags during the open-end marking: that end has a partner.
inline constexpr int32_t kCandidateStartPartner = 1;
inline constexpr int32_t kCandidateEndPartner = 2;

// One item that can take part in a chain, stored by value in a PagedArray. start and end
// are the item's ends when the candidate was made; they are not updated when the item is
// later reversed or its ends moved, so the builders track orientation themselves.
struct DXFChainCandidate {
    int32_t index;    // position of the item in the item array being chained
    int32_t flags;    // kCandidate* values
    int32_t reserved; // 0
    Point3DRec start;
    Point3DRec end;
};

// Called once for every finished chain; closed is 1 or 0. The chain's items may be
// changed; the Array itself stays the builder's.
using DXFChainCallback = void (*)(DXFDrawingRec* drawing, Array* chain, int32_t closed,
                                  void* user);

// Progress of one contouring or joining call, shared by all its steps.
struct DXFProgressRec {
    DXFProgressCallback callback; // may be NULL
    double base;                  // percentage at which the current step starts
    double span;                  // share of 100 the current step covers
    int32_t last;                 // last percentage reported; -1 forces a report
    int32_t total;                // items (contouring) or contours (joining)
    int32_t code;                 // DXFProgressContouring or DXFProgressJoining
    int32_t cancel;               // last non-zero callback result; non-zero ends the work
    void* user;
};

// The two switches of joining, passed to DXFPolylineChainCallback as its user pointer.
struct DXFJoinSwitches {
    int32_t closed; // make POLYLINEs of closed chains
    int32_t open;   // make POLYLINEs of open chains
};

// Which end DXFMoveItemEnd moves.
inline constexpr int32_t kMoveItemStart = 1;
inline constexpr int32_t kMoveItemEnd = 2;

// ---------------------------------------------------------------------------------------
// Small shared tests

// p and q meet within tolerance (strict, x and y only).
inline bool DXFPointNear(const Point3DRec& p, const Point3DRec& q, double tolerance) noexcept
{
    const double dx = p.x - q.x;
    const double dy = p.y - q.y;
    return dx > -tolerance && dx < tolerance && dy > -tolerance && dy < tolerance;
}

// The tolerance the chain builders use: 0 or less (or NaN) becomes 1e-6.
inline double DXFChainTolerance(double tolerance) noexcept
{
    return tolerance > 0.0 ? tolerance : kTolerance;
}

// The candidate record at index; the caller keeps index below the count.
inline DXFChainCandidate* DXFCandidateAt(PagedArray* candidates, uint32_t index) noexcept
{
    return static_cast<DXFChainCandidate*>(PagedArrayGet(candidates, index));
}

// ---------------------------------------------------------------------------------------
// Chain steps shared by both builders

// Reports progress for a step that has used `used` of its `count` candidates: the whole
// part of base + span * used / count, when it differs from last; the callback's result
// goes into cancel. Returns cancel (0 to go on).
int32_t DXFReportProgress(DXFProgressRec* progress, int32_t used,
                                               int32_t count) noexcept;

// Moves the start (which kMoveItemStart) or the end (kMoveItemEnd) of a LINE, POLYLINE
// with vertices or ARC onto point; an ARC keeps its tangent at the start and is left
// alone when the new arc cannot be made or would grow by half a turn or more. Other
// types, and NULL arguments, are left unchanged.
void DXFMoveItemEnd(ItemRec* item, const Point3DRec* point,
                                         int32_t which) noexcept;

// Length in x and y of the chain's items (LINE, ARC, POLYLINE, ELLIPSE as an arc of the
// major axis' radius, SPLINE as the control polygon); 0 for NULL.
double DXFChainLength(const Array* chain) noexcept;

// ---------------------------------------------------------------------------------------
// Chain builders

// Appends one candidate {index, 0, 0, start, end} for every item of items[0..count-1] on
// layer (any layer for -1) that is not a POINT and has both ends. Returns the number of
// candidates added.
int32_t DXFCollectCandidates(ItemRec* const* items, int32_t count,
                                                  int32_t layer, PagedArray* candidates) noexcept;

// Clears every candidate's flags and holds back (flags kCandidateHeldBack) the first
// candidate in index order with an end that meets no end of another candidate within
// 1e-6 or the tolerance. Returns its index, or -1 when every end has a partner.
int32_t DXFMarkOpenEnds(PagedArray* candidates, double tolerance) noexcept;

// The two-run builder over the free candidates: closed POLYLINE/ELLIPSE/SPLINE items
// alone first, then chains grown from their first item. open_end_search non-zero starts
// each chain at an item with a free end while there is one.
void DXFBuildChains(DXFDrawingRec* drawing, PagedArray* candidates,
                                         ItemRec* const* items, int32_t open_end_search,
                                         DXFChainCallback callback, double tolerance,
                                         int32_t snap, DXFProgressRec* progress,
                                         void* user) noexcept;

// The branch-aware builder over all candidates (defined in branch_chains.cpp).
void DXFBuildBranchChains(DXFDrawingRec* drawing, PagedArray* candidates,
                                               ItemRec* const* items, int32_t item_count,
                                               double tolerance, int32_t snap,
                                               DXFProgressRec* progress,
                                               DXFChainCallback callback, void* user) noexcept;

// Chains the candidates with the chosen builder (0 branch-aware, else two-run) and
// reports every finished chain to callback.
void DXFChainCandidates(DXFDrawingRec* drawing, PagedArray* candidates,
                                             ItemRec* const* items, int32_t item_count,
                                             double tolerance, int32_t snap, int32_t builder,
                                             DXFProgressRec* progress, DXFChainCallback callback,
                                             void* user) noexcept;

// ---------------------------------------------------------------------------------------
// Contouring

// A new contour record (grown table: 20 more records at a time), open when closed is 0.
// Its index, or -1 when the table cannot grow.
int32_t DXFAddContour(DXFDrawingRec* drawing, int32_t closed) noexcept;

// The chain callback of contouring (user: DXFContourChainContext or NULL): a contour
// record for the chain, its items marked with its index, and its extents.
void DXFContourChainCallback(DXFDrawingRec* drawing, Array* chain,
                                                  int32_t closed, void* user) noexcept;

// Where the items being contoured lie: a contour of a block's members is measured in
// the block's own coordinates.
enum class ContourPlace { Entities, Block };

// The user record of DXFContourChainCallback; NULL stands for the entities.
struct DXFContourChainContext {
    ContourPlace place;
};

// Chains the items of one layer (-1: every layer) of one item array.
void DXFContourLayer(DXFDrawingRec* drawing, ItemRec* const* items,
                                          int32_t count, int32_t layer, ContourPlace place,
                                          double tolerance, int32_t snap, int32_t builder,
                                          DXFProgressRec* progress) noexcept;
// Chains one item array layer by layer.
void DXFContourItems(DXFDrawingRec* drawing, ItemRec* const* items,
                                          int32_t count, ContourPlace place, double tolerance,
                                          int32_t snap, int32_t builder,
                                          DXFProgressRec* progress) noexcept;
// Chains the members of the block whose identifier is at block_index.
void DXFContourBlock(DXFDrawingRec* drawing, int32_t block_index,
                                          double tolerance, int32_t snap, int32_t builder,
                                          DXFProgressRec* progress) noexcept;

// ---------------------------------------------------------------------------------------
// Joining

// The chain callback of joining (user: DXFJoinSwitches): one POLYLINE for the chain,
// inserted before its first item, the chain's items marked excluded.
void DXFPolylineChainCallback(DXFDrawingRec* drawing, Array* chain,
                                                   int32_t closed, void* user) noexcept;

// Chains the items of contour `contour` again (snapped) and joins each chain.
void DXFJoinContour(DXFDrawingRec* drawing, int32_t contour,
                                         double tolerance, int32_t builder,
                                         DXFProgressRec* progress,
                                         DXFJoinSwitches* switches) noexcept;

// ---------------------------------------------------------------------------------------
// Contour relations
//
// Contours are indices of dxf_ContourTable; their items are those of one block run or of
// the entities whose ih_ContourID is the index. A contour whose extents are all within
// 1e-6 of 0 takes part in no relation. The point buffer receives crossings; each test
// clears it first.

// The next sample point of an item (part and phase start at 0 and are advanced here):
// 1 with the point in out, 0 when the item has no more.
int32_t DXFItemSamplePoint(int32_t* part, const ItemRec* item,
                                                int32_t* phase, Point3DRec* out) noexcept;
// 1 when an item of contour i crosses an item of contour j.
int32_t DXFContoursIntersect(const DXFDrawingRec* drawing, int32_t i,
                                                  int32_t j) noexcept;
// 1 when point lies on an item of contour i.
int32_t DXFPointOnContour(const DXFDrawingRec* drawing,
                                               const Point3DRec* point, int32_t i) noexcept;
// 1 when point lies inside contour by the parity of the crossings of y = point.y with the
// contour's items from start up to the next ENDBLK (or the end of the buffer).
int32_t DXFPointInsideByParity(int32_t start, const ItemBufferRec* buffer,
                                                    DXFPointBufferRec* points, int32_t contour,
                                                    const Point3DRec* point) noexcept;
// 0 outside, 1 on the contour, 2 inside.
int32_t DXFPointInContour(const DXFDrawingRec* drawing,
                                               DXFPointBufferRec* points,
                                               const Point3DRec* point, int32_t i) noexcept;
// 1 when a point of contour i's first item lies inside contour j.
int32_t DXFContourInside(const DXFDrawingRec* drawing,
                                              DXFPointBufferRec* points, int32_t i,
                                              int32_t j) noexcept;
// 1 when contour i has sample points both inside and outside contour j.
int32_t DXFContourInsideAndOutside(const DXFDrawingRec* drawing,
                                                        DXFPointBufferRec* points, int32_t i,
                                                        int32_t j) noexcept;
// 0 apart or undecided, 1 crossing, 2 i inside j (j closed), 3 j inside i (i closed).
int32_t DXFContourRelation(const DXFDrawingRec* drawing,
                                                DXFPointBufferRec* points, int32_t i,
                                                int32_t j) noexcept;
// 1 when the contours cross and i lies partly inside and partly outside j.
int32_t DXFContoursCross(const DXFDrawingRec* drawing,
                                              DXFPointBufferRec* points, int32_t i,
                                              int32_t j) noexcept;

}

#endif
