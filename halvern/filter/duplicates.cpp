// Duplicate marks for the first pass: for every item, whether a later item of its range
// has the same geometry.
//
// DXFSameItems compares within 1e-6, so equal items need not have equal coordinates and
// cannot be hashed exactly. Each item gets a representative point that equal items
// share within 1e-6 (reversal included: the middle of a LINE, not its start); items go
// into cells of a grid much coarser than that, and an item is compared only with the
// items of its type and range in its own and the eight neighbouring cells.

#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "filter/filter_context.h"
#include "halvern/edits.h"

namespace halvern {

namespace {

// Larger than twice the comparison tolerance, so that equal items lie in neighbouring
// cells at most.
constexpr double kCellSize = 1e-3;
// Cell numbers are kept well inside 64 bits; farther points share the border cells,
// which costs comparisons, never a missed pair.
constexpr double kMostCell = 1e15;

Point3DRec middle(const Point3DRec& a, const Point3DRec& b) noexcept
{
    return Point3DRec{(a.x + b.x) / 2.0, (a.y + b.y) / 2.0, 0.0};
}

// The representative point of an item; false for types that are never the same as
// anything (INSERT, BLOCK, ...).
bool key_point(const ItemRec& item, Point3DRec& point) noexcept
{
    switch (item.it_Header.ih_ItemType) {
    case DXFItemPoint:
        point = item.it_Point.pt_Point;
        return true;
    case DXFItemLine:
        point = middle(item.it_Line.ln_Start, item.it_Line.ln_End);
        return true;
    case DXFItemArc:
        point = item.it_Arc.ar_Centre;
        return true;
    case DXFItemText:
        point = item.it_Text.tx_Point;
        return true;
    case DXFItemEllipse:
        point = item.it_Ellipse.el_Centre;
        return true;
    case DXFItemRay:
    case DXFItemXLine:
        point = item.it_Ray.ry_Base;
        return true;
    case DXFItemPolyline: {
        const PolylineRec& polyline = item.it_Polyline;
        const int32_t n = polyline.pl_NumVertices;
        point = n > 0
                    ? middle(polyline.pl_Vertices[0].vx_Point, polyline.pl_Vertices[n - 1].vx_Point)
                    : Point3DRec{};
        return true;
    }
    case DXFItemSpline: {
        const SplineRec& spline = item.it_Spline;
        const int32_t n = spline.sp_NumPoints;
        point = n > 0 ? middle(spline.sp_Points[0], spline.sp_Points[n - 1]) : Point3DRec{};
        return true;
    }
    default:
        return false;
    }
}

int64_t cell_of(double value) noexcept
{
    const double cell = std::floor(value / kCellSize);
    if (std::isnan(cell))
        return INT64_MIN; // all NaN points share one cell
    if (cell > kMostCell)
        return static_cast<int64_t>(kMostCell);
    if (cell < -kMostCell)
        return static_cast<int64_t>(-kMostCell);
    return static_cast<int64_t>(cell);
}

struct CellKey {
    int64_t x;
    int64_t y;
    int32_t type;
    int32_t range; // block number, -1 for the top-level items
    bool operator==(const CellKey&) const = default;
};

struct CellKeyHash {
    size_t operator()(const CellKey& key) const noexcept
    {
        uint64_t h = static_cast<uint64_t>(key.x) * 0x9E3779B97F4A7C15ull;
        h ^= static_cast<uint64_t>(key.y) + 0x632BE59BD9B4E019ull + (h << 6) + (h >> 2);
        h ^= (static_cast<uint64_t>(static_cast<uint32_t>(key.type)) << 32 |
              static_cast<uint32_t>(key.range)) +
             (h << 6) + (h >> 2);
        return static_cast<size_t>(h);
    }
};

// Marks the items of one buffer; range_of gives each index's range, or -2 for an item
// that takes no part (an ENDBLK, a missing item).
template <typename RangeOf>
void mark_buffer(const ItemBufferRec& buffer, RangeOf range_of, std::vector<uint8_t>& marks)
{
    const int32_t count = buffer.ib_N > 0 ? buffer.ib_N : 0;
    marks.assign(static_cast<size_t>(count), 0);
    std::unordered_map<CellKey, std::vector<int32_t>, CellKeyHash> cells;
    cells.reserve(static_cast<size_t>(count));
    std::vector<CellKey> keys(static_cast<size_t>(count));
    std::vector<uint8_t> keyed(static_cast<size_t>(count), 0);
    for (int32_t i = 0; i < count; ++i) {
        const ItemRec* item = buffer.ib_Items[i];
        const int32_t range = range_of(i);
        Point3DRec point;
        if (item == nullptr || range == -2 || !key_point(*item, point))
            continue;
        const CellKey key{cell_of(point.x), cell_of(point.y), item->it_Header.ih_ItemType, range};
        keys[static_cast<size_t>(i)] = key;
        keyed[static_cast<size_t>(i)] = 1;
        cells[key].push_back(i);
    }
    // An item is marked when a later item of a neighbouring cell is the same.
    for (int32_t i = 0; i < count; ++i) {
        if (keyed[static_cast<size_t>(i)] == 0)
            continue;
        const CellKey& key = keys[static_cast<size_t>(i)];
        const ItemRec* item = buffer.ib_Items[i];
        bool found = false;
        for (int64_t dx = -1; dx <= 1 && !found; ++dx) {
            for (int64_t dy = -1; dy <= 1 && !found; ++dy) {
                if (key.x == INT64_MIN && (dx != 0 || dy != 0))
                    continue;
                const auto cell = cells.find(CellKey{key.x + dx, key.y + dy, key.type, key.range});
                if (cell == cells.end())
                    continue;
                for (const int32_t j : cell->second) {
                    if (j > i && DXFSameItems(item, buffer.ib_Items[j]) != 0) {
                        found = true;
                        break;
                    }
                }
            }
        }
        marks[static_cast<size_t>(i)] = found ? 1 : 0;
    }
}

}

void FilterMarkDuplicates(const DXFDrawingRec& drawing, FilterDuplicateMarks& marks)
{
    mark_buffer(
        drawing.dxf_ItemBuffer, [](int32_t) { return -1; }, marks.entities);
    // Block items compare only up to the next ENDBLK: each run is a range of its own.
    const ItemBufferRec& blocks = drawing.dxf_BlockItemBuffer;
    std::vector<int32_t> ranges(static_cast<size_t>(blocks.ib_N > 0 ? blocks.ib_N : 0));
    int32_t range = 0;
    for (size_t i = 0; i < ranges.size(); ++i) {
        const ItemRec* item = blocks.ib_Items[i];
        if (item != nullptr && item->it_Header.ih_ItemType == DXFItemEndBlock) {
            ranges[i] = -2;
            ++range;
            continue;
        }
        ranges[i] = range;
    }
    mark_buffer(
        blocks, [&](int32_t i) { return ranges[static_cast<size_t>(i)]; }, marks.block_items);
    marks.built = true;
}

}
