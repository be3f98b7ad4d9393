// Duplicate marks for the first pass: for every item, whether a later item of its range
// has the same geometry.
//
// DXFSameItems compares within 1e-6, so equal items need not have equal coordinates and
// cannot be hashed exactly. Each item gets a representative point that equal items
// share within 1e-6 (reversal included: the middle of a LINE, not its start) and falls
// into a cell of a grid much coarser than that. The items are sorted by type, range and
// cell, and an item is compared only with the later items of its type and range in its
// own and the eight neighbouring cells: the work grows with the items, not their pairs.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <tuple>
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
// The cell of every point with a NaN coordinate: it has no neighbours.
constexpr int64_t kNaNCell = INT64_MIN;

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
        return kNaNCell;
    return static_cast<int64_t>(std::clamp(cell, -kMostCell, kMostCell));
}

struct Entry {
    int32_t type;
    int32_t range; // block number, -1 for the top-level items
    int64_t x;
    int64_t y;
    int32_t index; // in the buffer

    auto key() const noexcept { return std::tie(type, range, x, y, index); }
    bool operator<(const Entry& other) const noexcept { return key() < other.key(); }
    bool same_cell(const Entry& other) const noexcept
    {
        return type == other.type && range == other.range && x == other.x && y == other.y;
    }
};

uint64_t cell_hash(const Entry& entry) noexcept
{
    uint64_t h = static_cast<uint64_t>(entry.x) * 0x9E3779B97F4A7C15ull;
    h ^= (static_cast<uint64_t>(entry.y) + 0x632BE59BD9B4E019ull) * 0xC2B2AE3D27D4EB4Full;
    h ^= (static_cast<uint64_t>(static_cast<uint32_t>(entry.type)) << 32 |
          static_cast<uint32_t>(entry.range)) *
         0x165667B19E3779F9ull;
    return h ^ (h >> 29);
}

// The cells of the sorted entries: an open-addressing table from a cell to the first
// of its entries, so that each of an item's nine cells is found at once.
class CellTable {
public:
    explicit CellTable(const std::vector<Entry>& entries) : m_entries(entries)
    {
        size_t size = 16;
        while (size < entries.size() * 2)
            size *= 2;
        m_slots.assign(size, -1);
        for (size_t i = 0; i < entries.size(); ++i) {
            if (i > 0 && entries[i].same_cell(entries[i - 1]))
                continue;
            size_t slot = cell_hash(entries[i]) & (size - 1);
            while (m_slots[slot] >= 0)
                slot = (slot + 1) & (size - 1);
            m_slots[slot] = static_cast<int64_t>(i);
        }
    }

    // The first entry of the probe's cell, or -1 when the cell is empty.
    int64_t first(const Entry& probe) const noexcept
    {
        const size_t mask = m_slots.size() - 1;
        for (size_t slot = cell_hash(probe) & mask; m_slots[slot] >= 0; slot = (slot + 1) & mask) {
            if (m_entries[static_cast<size_t>(m_slots[slot])].same_cell(probe))
                return m_slots[slot];
        }
        return -1;
    }

private:
    const std::vector<Entry>& m_entries;
    std::vector<int64_t> m_slots;
};

// Whether an item after entry in the cell of probe is the same as the entry's item.
bool later_same_in_cell(const std::vector<Entry>& entries, const CellTable& cells,
                        const ItemBufferRec& buffer, const Entry& entry, const Entry& probe)
{
    const int64_t first = cells.first(probe);
    if (first < 0)
        return false;
    const ItemRec* item = buffer.ib_Items[entry.index];
    for (size_t at = static_cast<size_t>(first);
         at < entries.size() && entries[at].same_cell(probe); ++at) {
        if (entries[at].index > entry.index &&
            DXFSameItems(item, buffer.ib_Items[entries[at].index]) != 0)
            return true;
    }
    return false;
}

// Marks the items of one buffer; range_of gives each index's range, or -2 for an item
// that takes no part (an ENDBLK).
template <typename RangeOf>
void mark_buffer(const ItemBufferRec& buffer, RangeOf range_of, std::vector<uint8_t>& marks)
{
    const int32_t count = buffer.ib_N > 0 ? buffer.ib_N : 0;
    marks.assign(static_cast<size_t>(count), 0);
    std::vector<Entry> entries;
    entries.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        const ItemRec* item = buffer.ib_Items[i];
        const int32_t range = range_of(i);
        Point3DRec point;
        if (item == nullptr || range == -2 || !key_point(*item, point))
            continue;
        entries.push_back(
            Entry{item->it_Header.ih_ItemType, range, cell_of(point.x), cell_of(point.y), i});
    }
    std::sort(entries.begin(), entries.end());
    const CellTable cells(entries);
    for (const Entry& entry : entries) {
        bool found = false;
        const bool nan_cell = entry.x == kNaNCell || entry.y == kNaNCell;
        for (int64_t dx = -1; dx <= 1 && !found; ++dx) {
            for (int64_t dy = -1; dy <= 1 && !found; ++dy) {
                if (nan_cell && (dx != 0 || dy != 0))
                    continue;
                const Entry probe{entry.type, entry.range, entry.x + dx, entry.y + dy, 0};
                found = later_same_in_cell(entries, cells, buffer, entry, probe);
            }
        }
        marks[static_cast<size_t>(entry.index)] = found ? 1 : 0;
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
