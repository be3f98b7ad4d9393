// IGES subfigure definitions (308) as blocks and singular subfigure instances (408)
// as INSERTs.

#include <algorithm>
#include <cmath>

#include "geometry/geometry_internal.h"
#include "iges/iges_internal.h"
#include "model/make_error.h"
#include "osmark/errors.h"

namespace halvern::iges {

namespace {

constexpr int32_t kSubfigureType = 308;
constexpr int32_t kParameterPointerColumn = 8;
constexpr int32_t kLineCountColumn = 24;

// A definition inside a definition would put a BLOCK item between the members of
// another block and end that block at its own ENDBLK. Subfigures nest through
// instances (408), never directly.
bool is_inside_subfigure(const Reader& reader)
{
    // The last link is the entry being converted.
    return std::any_of(reader.chain.begin(), reader.chain.end() - 1,
                       [](const ChainLink& link) { return link.type == kSubfigureType; });
}

}

int32_t convert_subfigure(Reader& reader, const Entry& entry, Parameters& parameters) noexcept
{
    if (is_inside_subfigure(reader))
        return 0;
    Matrix matrix;
    if (const int32_t result = IGESReadMatrix(reader, entry, matrix); result != 0)
        return result;
    parameters.integer(0); // depth
    char name[kStringCapacity] = {};
    parameters.string(name);
    const int32_t count = parameters.integer(0);
    if (!parameters.can_hold(count))
        return 0;

    DXFDrawingRec& drawing = reader.drawing;
    ItemBufferRec* blocks = &drawing.dxf_BlockItemBuffer;
    ItemRec* block = CreateItem(DXFItemBlock, 0, 0, 0, 0, drawing.dxf_Pool);
    if (block == nullptr)
        return make_error(IoErrNoMemory);
    block->it_Header.ih_Line = 0;
    if (AddItem(&drawing, blocks, block) == 0)
        return make_error(IoErrNoMemory);
    int32_t result = 0;
    if (AddBlockIdentifier(&drawing.dxf_BlockIdentifierBuffer, name, blocks->ib_N - 1, 0) == 0)
        result = make_error(IoErrNoMemory);
    for (int32_t i = 0; result == 0 && i < count; ++i) {
        const MemberResult member =
            convert_member(reader, entry, parameters.integer(1), blocks, entry.request.parent);
        result = member.result;
        if (!member.in_range)
            break;
    }
    // The block is closed whatever became of its members.
    ItemRec* end = CreateItem(DXFItemEndBlock, 0, 0, 0, 0, drawing.dxf_Pool);
    if (end == nullptr || AddItem(&drawing, blocks, end) == 0)
        return make_error(IoErrNoMemory);
    return result;
}

int32_t convert_instance(Reader& reader, const Entry& entry, Parameters& parameters) noexcept
{
    Matrix matrix;
    if (const int32_t result = IGESReadMatrix(reader, entry, matrix); result != 0)
        return result;
    const int32_t pointer = parameters.integer(1);
    Point3DRec point{};
    point.x = reader.unit(parameters.real());
    point.y = reader.unit(parameters.real());
    point.z = reader.unit(parameters.real());
    // An omitted scale is 1, as the format defines it.
    const double scale = parameters.real(1.0);

    const int64_t index = int64_t{pointer} - 1;
    if (index < 0 || index >= int64_t{reader.stored_directory()} - 1)
        return 0;
    const char* line1 = reader.directory_line(index);
    const char* line2 = reader.directory_line(index + 1);
    if (IGESDirectoryField(line1, 0) != kSubfigureType)
        return 0;
    TextBuffer text;
    if (const int32_t result = assemble_parameters(reader, IGESDirectoryField(line1, kParameterPointerColumn),
                                                   IGESDirectoryField(line2, kLineCountColumn), text);
        result != 0)
        return result;
    Parameters definition(text.data(), reader.parameter_delimiter, reader.record_delimiter);
    definition.integer(0); // type
    definition.integer(0); // depth
    char name[kStringCapacity] = {};
    definition.string(name);

    Point3DRec origin{};
    Point3DRec axis{100.0, 0.0, 0.0};
    IGESApplyMatrix(matrix, point);
    IGESApplyMatrix(matrix, origin);
    IGESApplyMatrix(matrix, axis);

    BlockIdentifierBufferRec* blocks = &reader.drawing.dxf_BlockIdentifierBuffer;
    char* block_name = nullptr;
    int32_t block_index = -1;
    if (IsBlockKnown(blocks, name, &block_name, &block_index) == 0 &&
        (AddBlockIdentifier(blocks, name, -1, 0) == 0 ||
         IsBlockKnown(blocks, name, &block_name, &block_index) == 0))
        return make_error(IoErrNoMemory);

    ItemRec* item = create_item(reader, entry, DXFItemInsert, 0);
    if (item == nullptr)
        return make_error(IoErrNoMemory);
    InsertRec& insert = item->it_Insert;
    insert.in_BlockName = block_name;
    insert.in_BlockIndex = block_index;
    insert.in_ArrayKind = 1;
    insert.in_Point = point;
    // The rotation of the matrix alone: the direction of the mapped x axis, the
    // translation taken out.
    insert.in_Rotation = matrix.present ? std::atan2(axis.y - origin.y, axis.x - origin.x) : 0.0;
    insert.in_RowAngle = kHalfPi;
    insert.in_Rows = 1;
    insert.in_ColumnAngle = 0.0;
    insert.in_Columns = 1;
    insert.in_Scale = Point3DRec{scale, scale, scale};
    insert.in_Extrusion = Point3DRec{0.0, 0.0, 1.0};
    if (IGESAddItem(reader, item, entry.request.target) == 0)
        return make_error(IoErrNoMemory);
    if (block_index < 0) {
        try {
            reader.pending_inserts.push_back(item);
        } catch (...) {
            return make_error(IoErrNoMemory);
        }
    }
    return 0;
}

}
