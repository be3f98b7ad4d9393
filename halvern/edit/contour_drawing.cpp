// Contouring: the chains of a drawing numbered in its contour table, layer by layer, the
// members of each block apart from the entities, and the nesting of the closed ones.
#include "halvern/contours.h"

#include <cstring>

#include "edit/chain_internal.h"
#include "edit/extents_internal.h"
#include "model/make_error.h"
#include "model/point_buffer_owner.h"
#include "walk/block_stack.h"
#include "osmark/memory.h"
#include "osmark/owners.h"

namespace halvern {

namespace {

// Records added to the contour table each time it is full.
constexpr int32_t kContourTableGrowth = 20;

bool grow_contour_table(ContourTableRec& table) noexcept
{
    if (table.ct_Max < 0 || table.ct_Max > INT32_MAX - kContourTableGrowth)
        return false;
    const int32_t capacity = table.ct_Max + kContourTableGrowth;
    const uint64_t bytes = uint64_t{sizeof(ContourDataRec)} * static_cast<uint64_t>(capacity);
    if (bytes > UINT32_MAX)
        return false;
    auto* records = static_cast<ContourDataRec*>(AllocVec(static_cast<uint32_t>(bytes)));
    if (records == nullptr)
        return false;
    if (table.ct_Contours != nullptr && table.ct_N > 0)
        std::memcpy(records, table.ct_Contours, sizeof(ContourDataRec) * static_cast<size_t>(table.ct_N));
    FreeVec(table.ct_Contours);
    table.ct_Contours = records;
    table.ct_Max = capacity;
    return true;
}

// The extents of a chain of block members, in the block's own coordinates, with the
// items the drawing's extents leave out left out here too.
Rectangle2DRec block_chain_extents(const DXFDrawingRec& drawing, const Array& chain) noexcept
{
    ExtentsBox box;
    for (uint32_t k = 0; k < chain.ar_Count; ++k) {
        const auto* item = reinterpret_cast<const ItemRec*>(chain.ar_Items[k]);
        if (item == nullptr || (item->it_Header.ih_Flags & DXFItemExcluded) != 0 ||
            !walk::is_visible(drawing, *item))
            continue;
        DXFFoldItemExtents(box, *item);
    }
    return box.rectangle();
}

Rectangle2DRec contour_extents(DXFDrawingRec& drawing, const Array& chain, int32_t index,
                               ContourPlace place) noexcept
{
    if (place == ContourPlace::Block)
        return block_chain_extents(drawing, chain);
    const Rectangle2DRec saved = drawing.dxf_DrwgSize;
    CalcDXFContourSize(&drawing, index);
    const Rectangle2DRec extents = drawing.dxf_DrwgSize;
    drawing.dxf_DrwgSize = saved;
    return extents;
}

void reset_contour_ids(ItemBufferRec& buffer) noexcept
{
    for (int32_t i = 0; i < buffer.ib_N; ++i)
        if (buffer.ib_Items[i] != nullptr)
            buffer.ib_Items[i]->it_Header.ih_ContourID = -1;
}

// Levels: each closed contour that holds a contour lifts it one level. Parents: the
// first holder one level up.
void compute_levels(DXFDrawingRec& drawing) noexcept
{
    ContourTableRec& table = drawing.dxf_ContourTable;
    const PointBufferOwner points(DXFPointBufferCreate());
    for (int32_t i = 0; i < table.ct_N; ++i) {
        for (int32_t j = i + 1; j < table.ct_N; ++j) {
            const int32_t relation = DXFContourRelation(&drawing, points.get(), i, j);
            if (relation == 2)
                ++table.ct_Contours[i].cd_ContourLevel;
            else if (relation == 3)
                ++table.ct_Contours[j].cd_ContourLevel;
        }
    }
    for (int32_t i = 0; i < table.ct_N; ++i) {
        ContourDataRec& contour = table.ct_Contours[i];
        if (contour.cd_ContourLevel == 0)
            continue;
        for (int32_t j = 0; j < table.ct_N; ++j) {
            if (table.ct_Contours[j].cd_ContourLevel + 1 == contour.cd_ContourLevel &&
                DXFContourRelation(&drawing, points.get(), i, j) == 2) {
                contour.cd_ParentContourID = j;
                break;
            }
        }
    }
}

}

// ---------------------------------------------------------------------------------------
// Exported within the library

int32_t DXFAddContour(DXFDrawingRec* drawing, int32_t closed) noexcept
{
    if (drawing == nullptr)
        return make_error(-1);
    ContourTableRec& table = drawing->dxf_ContourTable;
    if (table.ct_N < 0 || table.ct_N > table.ct_Max)
        return make_error(-1);
    if ((table.ct_N == table.ct_Max || table.ct_Contours == nullptr) && !grow_contour_table(table))
        return make_error(-1);
    const int32_t index = table.ct_N++;
    ContourDataRec& record = table.ct_Contours[index];
    record = ContourDataRec{};
    record.cd_Flags = closed != 0 ? 0u : 1u;
    record.cd_ContourLevel = -1;
    record.cd_ParentContourID = -1;
    return index;
}

void DXFContourChainCallback(DXFDrawingRec* drawing, Array* chain,
                                                  int32_t closed, void* user) noexcept
{
    if (drawing == nullptr || chain == nullptr)
        return;
    const auto* context = static_cast<const DXFContourChainContext*>(user);
    const ContourPlace place = context != nullptr ? context->place : ContourPlace::Entities;
    const int32_t index = DXFAddContour(drawing, closed);
    for (uint32_t k = 0; k < chain->ar_Count; ++k) {
        auto* item = reinterpret_cast<ItemRec*>(chain->ar_Items[k]);
        if (item != nullptr)
            item->it_Header.ih_ContourID = index;
    }
    if (index < 0)
        return;
    const Rectangle2DRec extents = contour_extents(*drawing, *chain, index, place);
    ContourDataRec& record = drawing->dxf_ContourTable.ct_Contours[index];
    record.cd_Min = Point3DRec{extents.min.x, extents.min.y, 0.0};
    record.cd_Max = Point3DRec{extents.max.x, extents.max.y, 0.0};
}

void DXFContourLayer(DXFDrawingRec* drawing, ItemRec* const* items,
                                          int32_t count, int32_t layer, ContourPlace place,
                                          double tolerance, int32_t snap, int32_t builder,
                                          DXFProgressRec* progress) noexcept
{
    if (drawing == nullptr || items == nullptr || count <= 0 || progress == nullptr)
        return;
    const osmark::PagedArrayOwner candidates(
        PagedArrayCreate(sizeof(DXFChainCandidate), static_cast<uint32_t>(count)));
    if (!candidates)
        return;
    const int32_t found = DXFCollectCandidates(items, count, layer, candidates.get());
    if (found <= 0)
        return;
    // Each layer takes its share of the percentage, so that the reports only grow.
    const double base = progress->base;
    progress->span = progress->total > 0 ? found * 100.0 / progress->total : 0.0;
    DXFContourChainContext context{place};
    DXFChainCandidates(drawing, candidates.get(), items, count, tolerance, snap, builder, progress,
                       DXFContourChainCallback, &context);
    progress->base = base + progress->span;
    progress->span = 0.0;
}

void DXFContourItems(DXFDrawingRec* drawing, ItemRec* const* items,
                                          int32_t count, ContourPlace place, double tolerance,
                                          int32_t snap, int32_t builder,
                                          DXFProgressRec* progress) noexcept
{
    if (drawing == nullptr || progress == nullptr)
        return;
    const int32_t layers = drawing->dxf_LayerTable.lt_N;
    if (layers <= 0) {
        DXFContourLayer(drawing, items, count, -1, place, tolerance, snap, builder, progress);
        return;
    }
    for (int32_t layer = 0; layer < layers && progress->cancel == 0; ++layer)
        DXFContourLayer(drawing, items, count, layer, place, tolerance, snap, builder, progress);
}

void DXFContourBlock(DXFDrawingRec* drawing, int32_t block_index,
                                          double tolerance, int32_t snap, int32_t builder,
                                          DXFProgressRec* progress) noexcept
{
    if (drawing == nullptr)
        return;
    const BlockIdentifierBufferRec& blocks = drawing->dxf_BlockIdentifierBuffer;
    if (block_index < 0 || block_index >= blocks.bib_N || blocks.bib_Blocks[block_index] == nullptr)
        return;
    const ItemBufferRec& buffer = drawing->dxf_BlockItemBuffer;
    const int32_t first = blocks.bib_Blocks[block_index]->bi_BlockData;
    if (first < 0 || first >= buffer.ib_N || buffer.ib_Items[first] == nullptr ||
        buffer.ib_Items[first]->it_Header.ih_ItemType != DXFItemBlock)
        return;
    // The members run to the ENDBLK; a block that lacks one ends where the next begins.
    int32_t end = first + 1;
    while (end < buffer.ib_N) {
        const ItemRec* item = buffer.ib_Items[end];
        if (item != nullptr && (item->it_Header.ih_ItemType == DXFItemEndBlock ||
                                item->it_Header.ih_ItemType == DXFItemBlock))
            break;
        ++end;
    }
    if (end - first - 1 > 0)
        DXFContourItems(drawing, buffer.ib_Items + first + 1, end - first - 1, ContourPlace::Block,
                        tolerance, snap, builder, progress);
}

}

// ---------------------------------------------------------------------------------------
// Exported functions

extern "C" {

HALVERN_API void CalcDXFContourSize(DXFDrawingRec* drawing, int32_t contour) noexcept
{
    if (drawing == nullptr)
        return;
    halvern::DXFMeasureDrawing(*drawing, nullptr, contour < 0 ? halvern::kExtentsAllContours : contour);
}

HALVERN_API int32_t ContourDXFDrawingEx(DXFDrawingRec* drawing, double tolerance, int32_t snap,
                                        int32_t builder, int32_t levels,
                                        DXFProgressCallback progress, void* user) noexcept
{
    using namespace halvern;
    if (drawing == nullptr)
        return 0;
    ContourTableRec& table = drawing->dxf_ContourTable;
    table.ct_N = 0;
    reset_contour_ids(drawing->dxf_BlockItemBuffer);
    reset_contour_ids(drawing->dxf_ItemBuffer);

    DXFProgressRec record{};
    record.callback = progress;
    record.last = -1;
    record.total = drawing->dxf_BlockItemBuffer.ib_N + drawing->dxf_ItemBuffer.ib_N;
    record.code = DXFProgressContouring;
    record.user = user;

    const BlockIdentifierBufferRec& blocks = drawing->dxf_BlockIdentifierBuffer;
    for (int32_t b = 0; b < blocks.bib_N && record.cancel == 0; ++b) {
        record.base += record.span;
        record.last = -1;
        DXFContourBlock(drawing, b, tolerance, snap, builder, &record);
    }
    record.base += record.span;
    record.last = -1;
    if (record.cancel != 0)
        return record.cancel;
    DXFContourItems(drawing, drawing->dxf_ItemBuffer.ib_Items, drawing->dxf_ItemBuffer.ib_N,
                    ContourPlace::Entities, tolerance, snap, builder, &record);
    if (record.cancel != 0)
        return record.cancel;

    if (table.ct_N == 0)
        return 0;
    for (int32_t i = 0; i < table.ct_N; ++i)
        table.ct_Contours[i].cd_ContourLevel = 0;
    if (levels != 0)
        compute_levels(*drawing);
    return 0;
}

HALVERN_API int32_t ContourDXFDrawing(DXFDrawingRec* drawing, double tolerance, int32_t snap,
                                      int32_t builder, DXFProgressCallback progress,
                                      void* user) noexcept
{
    return ContourDXFDrawingEx(drawing, tolerance, snap, builder, 1, progress, user);
}

HALVERN_API int32_t DXFDrawingReadyForFilling(DXFDrawingRec* drawing, double tolerance) noexcept
{
    ContourDXFDrawing(drawing, tolerance, 1, 1, nullptr, nullptr);
    return DXFLinesArcsToPolylines(drawing, tolerance, 1, 1, 1, nullptr, nullptr);
}

}
