// Joining: each contour's LINEs, ARCs and POLYLINEs chained again with snapped ends and
// turned into one new POLYLINE, which takes the place of the joined items in drawing
// order while they stay in the drawing marked excluded.
#include "halvern/contours.h"

#include <cmath>

#include "edit/chain_internal.h"
#include "dxf/dxf_entity_parser.h"
#include "geometry/item_geometry_internal.h"
#include "model/vertex_list_internal.h"
#include "osmark/memory.h"
#include "osmark/owners.h"

namespace halvern {

namespace {

// Records a page of the join candidates.
constexpr uint32_t kJoinCandidatesPerPage = 50;
// The pool a drawing gets when it has none yet.
constexpr uint32_t kDrawingPoolPuddle = 16384;
constexpr uint32_t kDrawingPoolThreshold = 16384;
// A single arc of at least this sweep is joined as a full circle.
constexpr double kFullCircleDegrees = 359.0;

// The vertices collected for one POLYLINE, freed with the list.
class Vertices {
public:
    Vertices() noexcept = default;
    ~Vertices() { DXFVertexListFree(&m_list); }
    Vertices(const Vertices&) = delete;
    Vertices& operator=(const Vertices&) = delete;

    // false when the list could not grow: a polyline with a vertex missing would be a
    // different outline, so the caller makes none.
    bool add(const Point3DRec& point, double bulge, uint32_t flags) noexcept
    {
        return VertexListAppend(m_list, point.x, point.y, point.z, bulge, flags);
    }
    uint32_t count() const noexcept { return m_list.vl_N; }
    const VertexRec* data() const noexcept { return m_list.vl_Vertices; }
    const VertexRec& first() const noexcept { return m_list.vl_Vertices[0]; }
    const VertexRec& last() const noexcept { return m_list.vl_Vertices[m_list.vl_N - 1]; }

private:
    VertexListRec m_list{};
};

ItemRec* chain_item(const Array& chain, uint32_t index) noexcept
{
    return reinterpret_cast<ItemRec*>(chain.ar_Items[index]);
}

bool is_full_circle_arc(const ItemRec& item) noexcept
{
    if (item.it_Header.ih_ItemType != DXFItemArc)
        return false;
    const ArcRec& arc = item.it_Arc;
    return DXFArcSweep(arc.ar_Start, arc.ar_End, arc.ar_Dir) * kDegreesPerRadian >=
           kFullCircleDegrees;
}

// Two half circles through the points right and left of the centre.
bool add_circle_vertices(Vertices& vertices, const ArcRec& arc) noexcept
{
    const Point3DRec& c = arc.ar_Centre;
    return vertices.add(Point3DRec{c.x + arc.ar_Radius, c.y, c.z}, 1.0, 0) &&
           vertices.add(Point3DRec{c.x - arc.ar_Radius, c.y, c.z}, 1.0, 0);
}

// The vertices each item starts; false for an item a POLYLINE cannot hold (ELLIPSE,
// SPLINE) or when memory failed.
bool add_item_vertices(Vertices& vertices, const ItemRec& item) noexcept
{
    switch (item.it_Header.ih_ItemType) {
    case DXFItemLine: return vertices.add(item.it_Line.ln_Start, 0.0, 0);
    case DXFItemArc: return vertices.add(arc_point(item.it_Arc, item.it_Arc.ar_Start), BulgeFromArc(&item), 0);
    case DXFItemPolyline: {
        const PolylineRec& polyline = item.it_Polyline;
        for (int32_t k = 0; k + 1 < polyline.pl_NumVertices; ++k) {
            const VertexRec& v = polyline.pl_Vertices[k];
            if (!vertices.add(v.vx_Point, v.vx_Bulge, v.vx_Flags))
                return false;
        }
        return true;
    }
    default: return false;
    }
}

Pool* drawing_pool(DXFDrawingRec& drawing) noexcept
{
    if (drawing.dxf_Pool == nullptr)
        drawing.dxf_Pool = CreatePool(kDrawingPoolPuddle, kDrawingPoolThreshold);
    return drawing.dxf_Pool;
}

ItemRec* make_polyline(DXFDrawingRec& drawing, const ItemRec& first_item,
                       const Vertices& vertices, bool closed) noexcept
{
    Pool* pool = drawing_pool(drawing);
    if (pool == nullptr)
        return nullptr;
    const uint64_t extra = uint64_t{sizeof(VertexRec)} * (vertices.count() - 1);
    if (extra > INT32_MAX)
        return nullptr;
    const ItemHeaderRec& head = first_item.it_Header;
    ItemRec* item = CreateItem(DXFItemPolyline, static_cast<int32_t>(extra), head.ih_Layer,
                               head.ih_Colour, head.ih_LineType, pool);
    if (item == nullptr)
        return nullptr;
    item->it_Header.ih_Line = head.ih_Line;
    item->it_Header.ih_ContourID = head.ih_ContourID;
    item->it_Header.ih_Flags |= DXFItemJoined;
    PolylineRec& polyline = item->it_Polyline;
    polyline.pl_Flags = closed ? 1u : 0u;
    polyline.pl_NumVertices = static_cast<int32_t>(vertices.count());
    for (uint32_t k = 0; k < vertices.count(); ++k)
        polyline.pl_Vertices[k] = vertices.data()[k];
    DXFPolylineCorners(polyline.pl_Vertices, polyline.pl_NumVertices, &polyline.pl_Min,
                       &polyline.pl_Max);
    return item;
}

// Items of contour `contour` from the block items (the first run that holds one) or else
// from the entities: only items with both ends can be chained.
bool is_join_item(const ItemRec* item, int32_t contour) noexcept
{
    Point3DRec point{};
    return item != nullptr && item->it_Header.ih_ContourID == contour &&
           DXFItemStart(item, &point) != 0 && DXFItemEnd(item, &point) != 0;
}

int32_t gather_block_items(const ItemBufferRec& buffer, int32_t contour, ItemRec** out) noexcept
{
    int32_t found = 0;
    for (int32_t k = 0; k < buffer.ib_N; ++k) {
        ItemRec* item = buffer.ib_Items[k];
        if (found > 0 && item != nullptr && item->it_Header.ih_ItemType == DXFItemEndBlock)
            break;
        if (!is_join_item(item, contour))
            continue;
        if (out != nullptr)
            out[found] = item;
        ++found;
    }
    return found;
}

int32_t gather_entities(const ItemBufferRec& buffer, int32_t contour, ItemRec** out) noexcept
{
    int32_t found = 0;
    for (int32_t k = 0; k < buffer.ib_N; ++k) {
        ItemRec* item = buffer.ib_Items[k];
        if (!is_join_item(item, contour))
            continue;
        if (out != nullptr)
            out[found] = item;
        ++found;
    }
    return found;
}

}

// ---------------------------------------------------------------------------------------
// Exported within the library

void DXFPolylineChainCallback(DXFDrawingRec* drawing, Array* chain,
                                                   int32_t closed, void* user) noexcept
{
    const auto* switches = static_cast<const DXFJoinSwitches*>(user);
    if (drawing == nullptr || chain == nullptr || chain->ar_Count == 0 || switches == nullptr)
        return;
    if ((closed != 0 ? switches->closed : switches->open) == 0)
        return;
    const ItemRec* first_item = chain_item(*chain, 0);
    const ItemRec* last_item = chain_item(*chain, chain->ar_Count - 1);
    if (first_item == nullptr || last_item == nullptr)
        return;

    Vertices vertices;
    // A closed chain of one item is already an outline that returns to its start, except
    // a full circle, which a POLYLINE holds as two half circles.
    const bool single = chain->ar_Count == 1;
    const bool circle = single && closed != 0 && is_full_circle_arc(*first_item);
    if (circle) {
        if (!add_circle_vertices(vertices, first_item->it_Arc))
            return;
    } else {
        for (uint32_t k = 0; k < chain->ar_Count; ++k) {
            const ItemRec* item = chain_item(*chain, k);
            if (item == nullptr || !add_item_vertices(vertices, *item))
                return;
        }
    }
    bool is_closed = false;
    if (closed != 0 && !single && vertices.count() > 1) {
        const VertexRec start = vertices.first();
        if (!vertices.add(start.vx_Point, 0.0, start.vx_Flags))
            return;
        is_closed = true;
    } else if (circle) {
        const VertexRec start = vertices.first();
        if (!vertices.add(start.vx_Point, 0.0, start.vx_Flags))
            return;
        is_closed = true;
    } else if (vertices.count() >= 1) {
        Point3DRec end{};
        if (DXFItemEnd(last_item, &end) == 0 || !vertices.add(end, 0.0, 0))
            return;
        // A single closed item keeps its closed flag when its ends were brought together.
        is_closed = closed != 0 && DXFSamePoint(&vertices.first().vx_Point, &end) != 0;
    }
    if (vertices.count() <= 1)
        return;

    ItemRec* polyline = make_polyline(*drawing, *first_item, vertices, is_closed);
    if (polyline == nullptr)
        return;
    if (InsertItem(drawing, const_cast<ItemRec*>(first_item), polyline) == 0) {
        FreeVecPooled(drawing->dxf_Pool, polyline);
        return;
    }
    for (uint32_t k = 0; k < chain->ar_Count; ++k) {
        ItemRec* item = chain_item(*chain, k);
        if (item != nullptr)
            item->it_Header.ih_Flags |= DXFItemExcluded;
    }
}

void DXFJoinContour(DXFDrawingRec* drawing, int32_t contour,
                                         double tolerance, int32_t builder,
                                         DXFProgressRec* progress,
                                         DXFJoinSwitches* switches) noexcept
{
    if (drawing == nullptr)
        return;
    const ItemBufferRec& blocks = drawing->dxf_BlockItemBuffer;
    const ItemBufferRec& entities = drawing->dxf_ItemBuffer;
    const int32_t in_blocks = gather_block_items(blocks, contour, nullptr);
    const int32_t count = in_blocks > 0 ? in_blocks : gather_entities(entities, contour, nullptr);
    if (count <= 0)
        return;
    const osmark::BlockOwner<ItemRec*[]> items(static_cast<ItemRec**>(
        AllocVec(static_cast<uint32_t>(sizeof(ItemRec*)) * static_cast<uint32_t>(count))));
    if (!items)
        return;
    if (in_blocks > 0)
        gather_block_items(blocks, contour, items.get());
    else
        gather_entities(entities, contour, items.get());

    const osmark::PagedArrayOwner candidates(
        PagedArrayCreate(sizeof(DXFChainCandidate), kJoinCandidatesPerPage));
    if (!candidates || DXFCollectCandidates(items.get(), count, -1, candidates.get()) <= 0)
        return;
    DXFChainCandidates(drawing, candidates.get(), items.get(), count, tolerance, 1, builder,
                       progress, DXFPolylineChainCallback, switches);
}

}

// ---------------------------------------------------------------------------------------
// Exported functions

extern "C" {

HALVERN_API int32_t DXFLinesArcsToPolylines(DXFDrawingRec* drawing, double tolerance,
                                            int32_t closed, int32_t open, int32_t builder,
                                            DXFProgressCallback progress, void* user) noexcept
{
    using namespace halvern;
    if (drawing == nullptr)
        return 0;
    const int32_t contours = drawing->dxf_ContourTable.ct_N;
    DXFProgressRec record{};
    record.callback = progress;
    record.last = -1;
    record.total = contours;
    record.code = DXFProgressJoining;
    record.user = user;
    if (contours <= 0)
        return 0;
    DXFJoinSwitches switches{closed, open};
    // Beyond 200 contours the builders' own reports are too fine to follow, so the loop
    // reports per contour as well.
    constexpr int32_t kManyContours = 200;
    for (int32_t i = 0; i < contours && record.cancel == 0; ++i) {
        record.base = i * 100.0 / contours;
        record.span = 100.0 / contours;
        DXFJoinContour(drawing, i, tolerance, builder, &record, &switches);
        if (contours > kManyContours && progress != nullptr && record.cancel == 0) {
            const auto percent = static_cast<int32_t>(i * record.span / contours + record.base);
            if (percent != record.last) {
                record.last = percent;
                record.cancel = progress(DXFProgressJoining, percent, user);
            }
        }
    }
    return record.cancel;
}

}
