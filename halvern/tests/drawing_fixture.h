// Drawings and items built in tests.
#ifndef HALVERN_TESTS_DRAWING_FIXTURE_H
#define HALVERN_TESTS_DRAWING_FIXTURE_H

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "halvern/halvern.h"
#include "osmark/memory.h"
#include "osmark/testing.h"

namespace halvern_test {

// A set-up drawing with a pool, released when the test ends.
struct Drawing {
    DXFDrawingRec record{};

    Drawing()
    {
        NewDXFDrawing(&record);
        record.dxf_Pool = CreatePool(8192, 4096);
    }
    ~Drawing() { FreeDXFDrawing(&record); }
    Drawing(const Drawing&) = delete;
    Drawing& operator=(const Drawing&) = delete;

    DXFDrawingRec* operator->() { return &record; }
    DXFDrawingRec* get() { return &record; }
    Pool* pool() const { return record.dxf_Pool; }
};

inline ItemRec* make_line(Pool* pool, double x1, double y1, double x2, double y2)
{
    ItemRec* line = CreateItem(DXFItemLine, 0, 0, 0, 0, pool);
    if (line != nullptr) {
        line->it_Line.ln_Start = Point3DRec{x1, y1, 0.0};
        line->it_Line.ln_End = Point3DRec{x2, y2, 0.0};
    }
    return line;
}

inline ItemRec* make_text(Pool* pool, const char* text)
{
    const auto length = static_cast<int32_t>(std::strlen(text));
    ItemRec* item = CreateItem(DXFItemText, length + 1, 0, 0, 0, pool);
    if (item != nullptr) {
        item->it_Text.tx_Text = reinterpret_cast<char*>(&item->it_Text + 1);
        std::memcpy(item->it_Text.tx_Text, text, static_cast<size_t>(length) + 1);
    }
    return item;
}

inline ItemRec* make_polyline(Pool* pool, const std::vector<VertexRec>& vertices)
{
    const auto count = static_cast<int32_t>(vertices.size());
    const auto extra = (count - 1) * static_cast<int32_t>(sizeof(VertexRec));
    ItemRec* item = CreateItem(DXFItemPolyline, extra, 0, 0, 0, pool);
    if (item != nullptr) {
        item->it_Polyline.pl_NumVertices = count;
        if (count > 0)
            std::memcpy(item->it_Polyline.pl_Vertices, vertices.data(),
                        vertices.size() * sizeof(VertexRec));
    }
    return item;
}

// A spline whose knots and weights follow its points inside the item.
inline ItemRec* make_spline(Pool* pool, const std::vector<Point3DRec>& points,
                            const std::vector<double>& knots, const std::vector<double>& weights)
{
    const auto n = static_cast<int32_t>(points.size());
    const auto k = static_cast<int32_t>(knots.size());
    const int32_t extra = (n - 1) * static_cast<int32_t>(sizeof(Point3DRec)) +
                          k * static_cast<int32_t>(sizeof(double)) +
                          n * static_cast<int32_t>(sizeof(double));
    ItemRec* item = CreateItem(DXFItemSpline, extra, 0, 0, 0, pool);
    if (item == nullptr)
        return nullptr;
    SplineRec& spline = item->it_Spline;
    spline.sp_Degree = 3;
    spline.sp_NumPoints = n;
    spline.sp_NumKnots = k;
    spline.sp_NumWeights = n;
    // std::copy, not memcpy: an empty list may hand over a null pointer.
    std::copy(points.begin(), points.end(), spline.sp_Points);
    spline.sp_Knots = reinterpret_cast<double*>(spline.sp_Points + n);
    std::copy(knots.begin(), knots.end(), spline.sp_Knots);
    spline.sp_Weights = spline.sp_Knots + k;
    std::copy(weights.begin(), weights.end(), spline.sp_Weights);
    return item;
}

// Gives an item comment lines taken from pool, as the packed reader does.
inline void set_comments(ItemRec* item, Pool* pool, std::initializer_list<const char*> lines)
{
    auto** array = static_cast<char**>(
        AllocVecPooled(pool, static_cast<uint32_t>(lines.size() * sizeof(char*))));
    int32_t i = 0;
    for (const char* line : lines) {
        const size_t length = std::strlen(line) + 1;
        array[i] = static_cast<char*>(AllocVecPooled(pool, static_cast<uint32_t>(length)));
        std::memcpy(array[i], line, length);
        ++i;
    }
    item->it_Header.ih_Comments = array;
    item->it_Header.ih_NumComments = i;
}

inline ItemRec* make_insert(Pool* pool, char* block_name, int32_t block_index)
{
    ItemRec* item = CreateItem(DXFItemInsert, 0, 0, 0, 0, pool);
    if (item != nullptr) {
        item->it_Insert.in_BlockName = block_name;
        item->it_Insert.in_ArrayKind = 1;
        item->it_Insert.in_BlockIndex = block_index;
        item->it_Insert.in_Rows = 1;
        item->it_Insert.in_Columns = 1;
        item->it_Insert.in_Scale = Point3DRec{1.0, 1.0, 1.0};
    }
    return item;
}

// Points compare within this distance in the edit tests.
constexpr double kNear = 1e-9;

inline void expect_point(const Point3DRec& got, const Point3DRec& want)
{
    EXPECT_NEAR(got.x, want.x, kNear);
    EXPECT_NEAR(got.y, want.y, kNear);
    EXPECT_NEAR(got.z, want.z, kNear);
}

inline VertexRec vertex(double x, double y, double bulge = 0.0)
{
    return VertexRec{Point3DRec{x, y, 0.0}, bulge, 0};
}

inline ItemRec* make_arc(Pool* pool, Point3DRec centre, double radius, double start, double end,
                         int32_t direction)
{
    ItemRec* item = CreateItem(DXFItemArc, 0, 0, 0, 0, pool);
    item->it_Arc = ArcRec{centre, radius, start, end, direction};
    return item;
}

inline ItemRec* make_point_item(Pool* pool, double x, double y)
{
    ItemRec* item = CreateItem(DXFItemPoint, 0, 0, 0, 0, pool);
    if (item != nullptr)
        item->it_Point.pt_Point = Point3DRec{x, y, 0.0};
    return item;
}

// A block definition (BLOCK, the members, ENDBLK) appended to dxf_BlockItemBuffer and
// registered under name; returns the index of its BLOCK item.
inline int32_t add_block_definition(Drawing& drawing, const char* name,
                                    std::initializer_list<ItemRec*> members,
                                    Point3DRec base = {})
{
    ItemBufferRec& blocks = drawing->dxf_BlockItemBuffer;
    ItemRec* block = CreateItem(DXFItemBlock, 0, 0, 0, 0, drawing.pool());
    block->it_Block.bk_Base = base;
    const int32_t index = blocks.ib_N;
    AddItem(drawing.get(), &blocks, block);
    for (ItemRec* member : members)
        AddItem(drawing.get(), &blocks, member);
    AddItem(drawing.get(), &blocks, CreateItem(DXFItemEndBlock, 0, 0, 0, 0, drawing.pool()));
    AddBlockIdentifier(&drawing->dxf_BlockIdentifierBuffer, name, index, 0);
    return index;
}

// A plain INSERT of the named block at point, resolved through the identifier table.
inline ItemRec* make_block_insert(Drawing& drawing, const char* name, Point3DRec point)
{
    char* stored = nullptr;
    int32_t index = -1;
    IsBlockKnown(&drawing->dxf_BlockIdentifierBuffer, name, &stored, &index);
    ItemRec* item = make_insert(drawing.pool(), stored, index);
    item->it_Insert.in_Point = point;
    item->it_Insert.in_RowAngle = 1.5707963267948966;
    item->it_Insert.in_Extrusion = Point3DRec{0.0, 0.0, 1.0};
    return item;
}


// An INSERT of the named block at point, turned and scaled, resolved through the
// identifier table.
inline ItemRec* make_placed_insert(Drawing& drawing, const char* name, Point3DRec point,
                                   double rotation = 0.0, Point3DRec scale = {1.0, 1.0, 1.0})
{
    ItemRec* item = make_block_insert(drawing, name, point);
    item->it_Insert.in_Rotation = rotation;
    item->it_Insert.in_Scale = scale;
    return item;
}

// The point (x, y, z), within kNear.
inline void expect_point(const Point3DRec& got, double x, double y, double z)
{
    expect_point(got, Point3DRec{x, y, z});
}

// Allocations fail for the life of the scope: after `successes` that work, the next
// `failures`.
struct FailingAllocations {
    FailingAllocations(uint32_t successes, uint32_t failures)
    {
        osmark_testing_fail_allocations(successes, failures);
    }
    ~FailingAllocations() { osmark_testing_fail_allocations(0, 0); }
    FailingAllocations(const FailingAllocations&) = delete;
    FailingAllocations& operator=(const FailingAllocations&) = delete;
};
}

#endif
