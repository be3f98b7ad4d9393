// Levels of INSERT expansion: the frame stack, the set-up of a level and its
// placements, rectangular or circular.

#include "walk/block_stack.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "geometry/geometry_internal.h"
#include "walk/walker_placement.h"
#include "osmark/memory.h"

namespace halvern::walk {

namespace {

// Frames made at the first expansion of a drawing; deeper nesting grows the stack.
constexpr int64_t kInitialFrames = 16;
constexpr int32_t kCircularArray = 2;

int32_t stack_capacity(const DXFBlockStackFrame* stack)
{
    return stack != nullptr ? std::max(stack[0].bs_Index, 0) : 0;
}

const InsertRec& insert_of(const DXFBlockStackFrame& frame)
{
    return frame.bs_Insert->it_Insert;
}

bool is_circular(const DXFBlockStackFrame& frame)
{
    return insert_of(frame).in_ArrayKind == kCircularArray;
}

// The placement of the current cell: its translation in the INSERT's own coordinates,
// then the whole chain of enclosing placements.
void compute_placement(DXFBlockStackFrame& frame)
{
    const InsertRec& insert = insert_of(frame);
    Point3DRec translation{};
    double rotation = 0.0;
    if (is_circular(frame)) {
        if (frame.bs_Inner == 0) {
            translation = insert.in_CircFirst;
        } else {
            translation.x = insert.in_CircCentre.x + insert.in_CircRadius * frame.bs_DirCos;
            translation.y = insert.in_CircCentre.y + insert.in_CircRadius * frame.bs_DirSin;
            translation.z = insert.in_CircFirst.z;
        }
        translation.x += frame.bs_Base.x;
        translation.y += frame.bs_Base.y;
        translation.z += frame.bs_Base.z;
        rotation = insert.in_CircRotation + frame.bs_Inner * insert.in_CircStep;
    } else {
        // Offsets by multiplication, so that far cells of big arrays do not drift.
        translation.x = frame.bs_RowStart.x + frame.bs_Outer * frame.bs_OuterStep.x +
                        frame.bs_Inner * frame.bs_InnerStep.x;
        translation.y = frame.bs_RowStart.y + frame.bs_Outer * frame.bs_OuterStep.y +
                        frame.bs_Inner * frame.bs_InnerStep.y;
        translation.z = frame.bs_RowStart.z;
        rotation = insert.in_Rotation;
    }
    double c = 1.0;
    double s = 0.0;
    snapped_cos_sin(rotation, c, s);
    const DXFMatrixRec cell = local_placement(insert.in_Scale, c, s, translation,
                                              frame.bs_MatrixValid != 0 ? &frame.bs_Matrix : nullptr);
    frame.bs_Placement = compose(frame.bs_Enclosing, cell);
    frame.bs_Translation = Point3DRec{frame.bs_Placement.m[0][3], frame.bs_Placement.m[1][3],
                                      frame.bs_Placement.m[2][3]};
    frame.bs_Rotation = frame.bs_EnclosingRotation + rotation;
    // Without an enclosing rotation (every top-level INSERT of a plain draw) the sum is
    // the cell's own rotation, bit for bit: its cosine and sine are known already.
    if (std::memcmp(&frame.bs_Rotation, &rotation, sizeof rotation) == 0) {
        frame.bs_Cos = c;
        frame.bs_Sin = s;
    } else {
        snapped_cos_sin(frame.bs_Rotation, frame.bs_Cos, frame.bs_Sin);
    }
}

bool begin_rectangular(DXFBlockStackFrame& frame)
{
    const InsertRec& insert = insert_of(frame);
    if (insert.in_Rows <= 0 || insert.in_Columns <= 0)
        return false;
    frame.bs_InnerCount = insert.in_Rows;
    frame.bs_OuterCount = insert.in_Columns;
    double c = 1.0;
    double s = 0.0;
    snapped_cos_sin(insert.in_RowAngle, c, s);
    frame.bs_InnerStep = Point2DRec{insert.in_RowSpacing * c, insert.in_RowSpacing * s};
    snapped_cos_sin(insert.in_ColumnAngle, c, s);
    frame.bs_OuterStep = Point2DRec{insert.in_ColumnSpacing * c, insert.in_ColumnSpacing * s};
    frame.bs_RowStart = Point3DRec{insert.in_Point.x + frame.bs_Base.x,
                                   insert.in_Point.y + frame.bs_Base.y,
                                   insert.in_Point.z + frame.bs_Base.z};
    return true;
}

bool begin_circular(DXFBlockStackFrame& frame)
{
    const InsertRec& insert = insert_of(frame);
    if (insert.in_CircCount <= 0)
        return false;
    const double step = insert.in_CircStep;
    frame.bs_StepAngle = std::fabs(step);
    frame.bs_StepCos = std::cos(frame.bs_StepAngle);
    frame.bs_StepSin = std::sin(frame.bs_StepAngle);
    if (step <= -kTolerance)
        frame.bs_StepSin = -frame.bs_StepSin;
    const double first_angle = std::atan2(insert.in_CircFirst.y - insert.in_CircCentre.y,
                                          insert.in_CircFirst.x - insert.in_CircCentre.x);
    frame.bs_DirCos = std::cos(first_angle);
    frame.bs_DirSin = std::sin(first_angle);
    return true;
}

}

Enclosing base_enclosing(const Point3DRec& offset, const Point3DRec& scale, double rotation) noexcept
{
    double c = 1.0;
    double s = 0.0;
    snapped_cos_sin(rotation, c, s);
    return Enclosing{local_placement(scale, c, s, offset, nullptr), rotation, scale};
}

Enclosing identity_enclosing() noexcept
{
    return Enclosing{identity_placement(), 0.0, Point3DRec{1.0, 1.0, 1.0}};
}

Enclosing enclosing_of(const DXFBlockStackFrame& frame) noexcept
{
    return Enclosing{frame.bs_Placement, frame.bs_Rotation, frame.bs_Scale};
}

Enclosing about_block_base(const DXFDrawingRec& drawing, const Enclosing& base,
                           const ItemRec& insert) noexcept
{
    const ItemBufferRec& blocks = drawing.dxf_BlockItemBuffer;
    const int32_t index = insert.it_Insert.in_BlockIndex;
    if (index < 0 || index >= blocks.ib_N || blocks.ib_Items == nullptr)
        return base;
    const ItemRec* block = blocks.ib_Items[index];
    if (block == nullptr || block->it_Header.ih_ItemType != DXFItemBlock)
        return base;
    Enclosing moved = base;
    const Point3DRec& point = block->it_Block.bk_Base;
    const Point3DRec image = map_vector(base.placement, point);
    moved.placement.m[0][3] += point.x - image.x;
    moved.placement.m[1][3] += point.y - image.y;
    moved.placement.m[2][3] += point.z - image.z;
    return moved;
}

DXFBlockStackFrame* BlockStack::grown_frame(int32_t depth) noexcept
{
    if (depth < 0)
        return nullptr;
    DXFBlockStackFrame* stack = m_storage;
    const int32_t capacity = stack_capacity(stack);
    if (depth < capacity)
        return &stack[depth + 1];

    const int64_t blocks = std::max(m_drawing.dxf_BlockIdentifierBuffer.bib_N, 0);
    const int64_t first = std::min<int64_t>(blocks + 1, kInitialFrames);
    const int64_t wanted =
        std::max<int64_t>(int64_t{depth} + 1, capacity == 0 ? first : int64_t{capacity} * 2);
    // One more frame than levels: element 0 counts them.
    const int64_t bytes = (wanted + 1) * int64_t{sizeof(DXFBlockStackFrame)};
    if (wanted > INT32_MAX || bytes > UINT32_MAX)
        return nullptr;
    auto* grown = static_cast<DXFBlockStackFrame*>(AllocVec(static_cast<uint32_t>(bytes)));
    if (grown == nullptr)
        return nullptr;
    std::memset(static_cast<void*>(grown), 0, static_cast<size_t>(bytes));
    if (stack != nullptr)
        std::memcpy(static_cast<void*>(grown), stack,
                    static_cast<size_t>(capacity + 1) * sizeof(DXFBlockStackFrame));
    grown[0].bs_Index = static_cast<int32_t>(wanted);
    FreeVec(stack);
    m_storage = grown;
    return &grown[depth + 1];
}

bool begin_level(const DXFDrawingRec& drawing, DXFBlockStackFrame& frame, ItemRec* insert,
                 const Enclosing& enclosing) noexcept
{
    if (insert == nullptr)
        return false;
    const ItemBufferRec& blocks = drawing.dxf_BlockItemBuffer;
    const int32_t index = insert->it_Insert.in_BlockIndex;
    if (index < 0 || index >= blocks.ib_N || blocks.ib_Items == nullptr)
        return false;
    const ItemRec* block = blocks.ib_Items[index];
    if (block == nullptr || block->it_Header.ih_ItemType != DXFItemBlock)
        return false;

    frame = DXFBlockStackFrame{};
    frame.bs_Insert = insert;
    frame.bs_BlockIndex = index;
    frame.bs_Base = block->it_Block.bk_Base;
    const InsertRec& record = insert->it_Insert;
    frame.bs_Scale = Point3DRec{record.in_Scale.x * enclosing.scale.x,
                                record.in_Scale.y * enclosing.scale.y,
                                record.in_Scale.z * enclosing.scale.z};
    frame.bs_EnclosingRotation = enclosing.rotation;
    frame.bs_Enclosing = enclosing.placement;
    // An extrusion along the world z axis, or one without a direction, places nothing.
    if (!is_zero(record.in_Extrusion.z - 1.0) &&
        DXFArbitraryAxisMatrix(&record.in_Extrusion, &frame.bs_Matrix) == 0)
        frame.bs_MatrixValid = 1;
    const bool has_cells = is_circular(frame) ? begin_circular(frame) : begin_rectangular(frame);
    if (!has_cells)
        return false;
    compute_placement(frame);
    frame.bs_Index = frame.bs_BlockIndex;
    return true;
}

bool next_placement(DXFBlockStackFrame& frame) noexcept
{
    if (is_circular(frame)) {
        if (frame.bs_Inner + 1 >= insert_of(frame).in_CircCount)
            return false;
        ++frame.bs_Inner;
        const double c = frame.bs_DirCos;
        const double s = frame.bs_DirSin;
        frame.bs_DirCos = c * frame.bs_StepCos - s * frame.bs_StepSin;
        frame.bs_DirSin = s * frame.bs_StepCos + c * frame.bs_StepSin;
    } else if (frame.bs_Inner + 1 < frame.bs_InnerCount) {
        ++frame.bs_Inner;
    } else {
        if (frame.bs_Outer + 1 >= frame.bs_OuterCount)
            return false;
        frame.bs_Inner = 0;
        ++frame.bs_Outer;
    }
    compute_placement(frame);
    frame.bs_Index = frame.bs_BlockIndex;
    return true;
}

bool is_rectangular(const DXFBlockStackFrame& frame) noexcept
{
    return !is_circular(frame);
}

void place_cell(DXFBlockStackFrame& frame) noexcept
{
    compute_placement(frame);
    frame.bs_Index = frame.bs_BlockIndex;
}

Point3DRec cell_translation(const DXFBlockStackFrame& frame, int32_t column, int32_t row) noexcept
{
    DXFBlockStackFrame cell = frame;
    cell.bs_Outer = column;
    cell.bs_Inner = row;
    compute_placement(cell);
    return cell.bs_Translation;
}

void write_placement(ItemRec& block, const DXFBlockStackFrame& frame) noexcept
{
    BlockRec& record = block.it_Block;
    record.bk_Offset = frame.bs_Translation;
    record.bk_Scale = frame.bs_Scale;
    record.bk_Rotation = frame.bs_Rotation;
    record.bk_Cos = frame.bs_Cos;
    record.bk_Sin = frame.bs_Sin;
}

bool is_visible(const DXFDrawingRec& drawing, const ItemRec& item) noexcept
{
    const ItemHeaderRec& head = item.it_Header;
    if ((head.ih_Flags & DXFItemHidden) != 0)
        return false;
    const LayerTableRec& layers = drawing.dxf_LayerTable;
    if (head.ih_Layer >= 0 && head.ih_Layer < layers.lt_N && layers.lt_Layers != nullptr) {
        const LayerDataRec* layer = layers.lt_Layers[head.ih_Layer];
        if (layer != nullptr && (layer->ld_Flags & DXFLayerOff) != 0)
            return false;
    }
    const int32_t type = head.ih_ItemType;
    return type < 0 || type >= DXF_ITEM_TYPE_SLOTS ||
           (drawing.dxf_ItemFlags[type] & DXF_ITEM_TYPE_HIDDEN) == 0;
}

bool is_visible_member(const DXFDrawingRec& drawing, const ItemRec& item) noexcept
{
    if ((drawing.dxf_Flags & DXFDrawContoursOnly) != 0 && item.it_Header.ih_ContourID < 0)
        return false;
    return is_visible(drawing, item);
}

}
