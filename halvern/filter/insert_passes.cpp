// The INSERT passes: explosion of INSERTs into the placed items of their blocks, outside
// the BLOCKS section (which is dropped) or inside block definitions, and flattening of
// every top-level INSERT placement into a block of its own.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "filter/filter_passes.h"
#include "geometry/geometry_internal.h"
#include "halvern/dxf_writer.h"
#include "halvern/walkers.h"
#include "model/make_error.h"
#include "osmark/errors.h"
#include "osmark/strings.h"

namespace halvern {

namespace {

bool starts_with(const char* value, const char* name) noexcept
{
    return std::strncmp(value, name, std::strlen(name)) == 0;
}

double group_real(DXFFilterContext& context, int32_t code, double fallback) noexcept
{
    if (DXFFindGroup(context.groups, code, 0, context.DXFTextBuffer, sizeof context.DXFTextBuffer) <
        0)
        return fallback;
    return StrToDouble(context.DXFTextBuffer, nullptr);
}

int32_t group_count(DXFFilterContext& context, int32_t code) noexcept
{
    if (DXFFindGroup(context.groups, code, 0, context.DXFTextBuffer, sizeof context.DXFTextBuffer) <
        0)
        return 1;
    // A 16-bit group, as the reader takes it.
    const int32_t count = static_cast<int32_t>(StrToLong(context.DXFTextBuffer, nullptr, 10));
    return std::clamp(count, int32_t{INT16_MIN}, int32_t{INT16_MAX});
}

int32_t write_placed_item(ItemRec* insert, ItemRec* item, void* user) noexcept
{
    auto& context = *static_cast<DXFFilterContext*>(user);
    if (insert != nullptr && item != nullptr)
        WriteDXFEntity(context.fc_Output, &context.drawing, item, 0);
    return DXFStepContinue;
}

// The ordinary step function's first steps: a stop ends the pass, the progress function
// follows the lines. false when the pass ends with context.stop.
bool goes_on(DXFFilterContext& context, int32_t line) noexcept
{
    if (context.stop != 0)
        return false;
    if (context.progress != nullptr)
        context.stop = context.progress(DXFFilterLine, line, context.progress_user);
    return true;
}

// Flushes a collected INSERT at a 0 group and starts collecting at an INSERT; appends
// or writes the group. The run's failure, or 0.
int32_t collect_inserts(DXFFilterContext& context, int32_t line, int32_t code,
                        const char* value) noexcept
{
    if (code == 0) {
        if (context.collecting != 0) {
            if (const int32_t failure = FilterFlushEntity(context); failure != 0)
                return failure;
        }
        if (starts_with(value, "INSERT")) {
            context.entity_line = line - 1;
            context.current_item = nullptr;
            context.collecting = 1;
        }
    }
    if (context.collecting == 0) {
        FilterWriteGroup(code, value, context.fc_Output);
        return 0;
    }
    if (!FilterAppendGroup(context, code, value)) {
        context.failure = make_error(IoErrNoMemory);
        return context.failure;
    }
    return 0;
}

// ---- Flattening -------------------------------------------------------------------------

struct FlattenFrame {
    DXFFilterContext& context;
    int32_t counter = 0;
    bool failed = false;
};

struct TopInserts {
    DXFDrawingRec& drawing;
    std::vector<ItemRec*> inserts;
    bool failed = false;
};

// Every top-level INSERT that places something, once, in drawing order: the INSERT of
// the outermost expansion frame.
int32_t collect_top_insert(ItemRec* insert, ItemRec* item, void* user) noexcept
{
    auto& top = *static_cast<TopInserts*>(user);
    const DXFBlockStackFrame* stack = top.drawing.dxf_BlockStack;
    if (insert == nullptr || item == nullptr || stack == nullptr || stack[0].bs_Index < 1)
        return DXFStepContinue;
    ItemRec* outermost = stack[1].bs_Insert;
    if (outermost == nullptr || outermost->it_Header.ih_ItemType != DXFItemInsert)
        return DXFStepContinue;
    if (!top.inserts.empty() && top.inserts.back() == outermost)
        return DXFStepContinue;
    try {
        top.inserts.push_back(outermost);
    } catch (...) {
        top.failed = true;
        return DXFStepStop;
    }
    return DXFStepContinue;
}

struct BlockCopy {
    DXFDrawingRec& drawing;
    bool failed = false;
};

int32_t copy_placed_item(ItemRec*, ItemRec* item, void* user) noexcept
{
    auto& copy = *static_cast<BlockCopy*>(user);
    const int32_t type = item->it_Header.ih_ItemType;
    if (type == DXFItemBlock || type == DXFItemEndBlock)
        return DXFStepContinue;
    ItemRec* placed = CopyItem(item, copy.drawing.dxf_Pool);
    if (placed == nullptr) {
        copy.failed = true;
        return DXFStepStop;
    }
    // A copy of its own, not a second item of the original's id.
    placed->it_Header.ih_ID = 0;
    if (AddItem(&copy.drawing, &copy.drawing.dxf_BlockItemBuffer, placed) == 0) {
        copy.failed = true;
        return DXFStepStop;
    }
    return DXFStepContinue;
}

ItemRec* make_item(DXFDrawingRec& drawing, int32_t type, const ItemRec& like) noexcept
{
    const ItemHeaderRec& head = like.it_Header;
    return CreateItem(type, 0, head.ih_Layer, head.ih_Colour, head.ih_LineType, drawing.dxf_Pool);
}

// One placement of an INSERT: a numbered block holding the placed items and a plain
// INSERT of it among the entities.
int32_t flatten_placement(ItemRec* insert, Point3DRec* position, Point3DRec* scales,
                          double rotation, void* user) noexcept
{
    auto& frame = *static_cast<FlattenFrame*>(user);
    DXFDrawingRec& drawing = frame.context.drawing;
    char name[24];
    std::snprintf(name, sizeof name, "%ld", static_cast<long>(frame.counter) + 1);
    while (IsBlockKnown(&drawing.dxf_BlockIdentifierBuffer, name, nullptr, nullptr) != 0) {
        ++frame.counter;
        std::snprintf(name, sizeof name, "%ld", static_cast<long>(frame.counter) + 1);
    }
    ItemBufferRec& blocks = drawing.dxf_BlockItemBuffer;
    ItemRec* block = make_item(drawing, DXFItemBlock, *insert);
    if (block == nullptr || AddItem(&drawing, &blocks, block) == 0 ||
        AddBlockIdentifier(&drawing.dxf_BlockIdentifierBuffer, name, blocks.ib_N - 1, 0) == 0) {
        frame.failed = true;
        return DXFStepStop;
    }
    const int32_t block_index = blocks.ib_N - 1;
    ++frame.counter;

    // Only the head and the INSERT record exist in the item's block.
    ItemRec single{};
    single.it_Header = insert->it_Header;
    single.it_Insert = insert->it_Insert;
    InsertRec& placement = single.it_Insert;
    placement.in_ArrayKind = 1;
    placement.in_Point = *position;
    placement.in_Scale = *scales;
    placement.in_Rotation = rotation;
    placement.in_Rows = 1;
    placement.in_Columns = 1;
    placement.in_RowSpacing = 0.0;
    placement.in_ColumnSpacing = 0.0;
    placement.in_RowAngle = kHalfPi;
    placement.in_ColumnAngle = 0.0;
    BlockCopy copy{drawing};
    StepDXFBlock(&drawing, &single, DXFWalkAll, copy_placed_item, &copy);
    ItemRec* end = make_item(drawing, DXFItemEndBlock, *insert);
    if (copy.failed || end == nullptr || AddItem(&drawing, &blocks, end) == 0) {
        frame.failed = true;
        return DXFStepStop;
    }

    ItemRec* flat = make_item(drawing, DXFItemInsert, *insert);
    char* stored_name = nullptr;
    if (flat == nullptr ||
        IsBlockKnown(&drawing.dxf_BlockIdentifierBuffer, name, &stored_name, nullptr) == 0) {
        frame.failed = true;
        return DXFStepStop;
    }
    InsertRec& made = flat->it_Insert;
    made.in_BlockName = stored_name;
    made.in_ArrayKind = 1;
    made.in_RowAngle = kHalfPi;
    made.in_Rows = 1;
    made.in_Columns = 1;
    made.in_Scale = Point3DRec{1.0, 1.0, 1.0};
    made.in_BlockIndex = block_index;
    made.in_Extrusion = Point3DRec{0.0, 0.0, 1.0};
    flat->it_Header.ih_Extrusion = Point3DRec{0.0, 0.0, 1.0};
    if (AddItem(&drawing, &drawing.dxf_ItemBuffer, flat) == 0) {
        frame.failed = true;
        return DXFStepStop;
    }
    return DXFStepContinue;
}

}

int32_t FilterExplodePass(DXFFilterContext* context) noexcept
{
    DXFFilterContext& c = *context;
    const DXFGroupRec* first = FilterGroup(c, 0);
    if (first == nullptr || first->dg_Value == nullptr ||
        std::strcmp(first->dg_Value, "INSERT") != 0)
        return 0;
    char name[DXF_GROUP_VALUE_SIZE];
    if (DXFFindGroup(c.groups, 2, 0, name, sizeof name) < 0)
        name[0] = '\0';
    char* known_name = nullptr;
    int32_t block_index = -1;
    if (IsBlockKnown(&c.drawing.dxf_BlockIdentifierBuffer, name, &known_name, &block_index) == 0)
        return 1;
    ItemRec insert{};
    insert.it_Header.ih_ItemType = DXFItemInsert;
    insert.it_Header.ih_ContourID = -1;
    insert.it_Header.ih_Line = -1;
    InsertRec& in = insert.it_Insert;
    in.in_BlockName = known_name;
    in.in_ArrayKind = 1;
    in.in_Point =
        Point3DRec{group_real(c, 10, 0.0), group_real(c, 20, 0.0), group_real(c, 30, 0.0)};
    in.in_Rotation = group_real(c, 50, 0.0) * kRadiansPerDegree;
    in.in_Columns = group_count(c, 70);
    in.in_Rows = group_count(c, 71);
    in.in_ColumnSpacing = group_real(c, 44, 0.0);
    in.in_RowSpacing = group_real(c, 45, 0.0);
    // The rows and columns run along the block's rotated axes.
    in.in_ColumnAngle = in.in_Rotation;
    in.in_RowAngle = in.in_Rotation + kHalfPi;
    in.in_Scale =
        Point3DRec{group_real(c, 41, 1.0), group_real(c, 42, 1.0), group_real(c, 43, 1.0)};
    in.in_BlockIndex = block_index;
    FilterReadExtrusion(c, in.in_Extrusion);
    insert.it_Header.ih_Extrusion = in.in_Extrusion;
    StepDXFBlock(&c.drawing, &insert, DXFWalkWholePolylines, write_placed_item, &c);
    return 1;
}

int32_t FilterStepOutsideBlocks(FileHandle*, int32_t line, int32_t code, char* value,
                                void* user) noexcept
{
    auto& c = *static_cast<DXFFilterContext*>(user);
    if (!goes_on(c, line))
        return c.stop;
    // A "0 SECTION" is held back until its name shows whether it opens BLOCKS, which is
    // then dropped whole, up to its ENDSEC.
    if (c.section_held) {
        c.section_held = false;
        if (code == 2 && std::strcmp(value, "BLOCKS") == 0) {
            c.in_blocks = 1;
            return 0;
        }
        FilterWriteGroup(0, "SECTION", c.fc_Output);
    }
    if (c.in_blocks != 0) {
        if (code == 0 && (std::strcmp(value, "ENDSEC") == 0 || std::strcmp(value, "EOF") == 0)) {
            c.in_blocks = 0;
            // A file that ends inside BLOCKS still ends with its EOF.
            if (std::strcmp(value, "EOF") == 0)
                FilterWriteGroup(code, value, c.fc_Output);
        }
        return 0;
    }
    if (code == 0 && std::strcmp(value, "SECTION") == 0) {
        if (c.collecting != 0) {
            if (const int32_t failure = FilterFlushEntity(c); failure != 0)
                return failure;
        }
        c.section_held = true;
        return 0;
    }
    return collect_inserts(c, line, code, value);
}

int32_t FilterStepInsideBlocks(FileHandle*, int32_t line, int32_t code, char* value,
                               void* user) noexcept
{
    auto& c = *static_cast<DXFFilterContext*>(user);
    if (!goes_on(c, line))
        return c.stop;
    // Only the name right after "0 SECTION" says which section begins.
    const bool names_section = c.after_section;
    c.after_section = code == 0 && std::strcmp(value, "SECTION") == 0;
    if (c.in_blocks == 0) {
        if (names_section && code == 2 && std::strcmp(value, "BLOCKS") == 0)
            c.in_blocks = 1;
        FilterWriteGroup(code, value, c.fc_Output);
        return 0;
    }
    if (code == 0 && (std::strcmp(value, "ENDSEC") == 0 || std::strcmp(value, "SECTION") == 0 ||
                      std::strcmp(value, "EOF") == 0)) {
        if (c.collecting != 0) {
            if (const int32_t failure = FilterFlushEntity(c); failure != 0)
                return failure;
        }
        c.in_blocks = 0;
        FilterWriteGroup(code, value, c.fc_Output);
        return 0;
    }
    return collect_inserts(c, line, code, value);
}

void FilterFlattenInserts(DXFFilterContext& context) noexcept
{
    DXFDrawingRec& drawing = context.drawing;
    const int32_t old_block_items = drawing.dxf_BlockItemBuffer.ib_N;
    TopInserts top{drawing, {}};
    StepDXFDrawing(&drawing, DXFWalkAll, collect_top_insert, &top);
    // The numbered blocks and their INSERTs are made after the walk, which so never
    // meets them.
    FlattenFrame frame{context};
    for (ItemRec* insert : top.inserts) {
        StepDXFInsertion(&drawing, insert, flatten_placement, &frame);
        if (frame.failed)
            break;
        insert->it_Header.ih_Flags |= DXFItemExcluded;
    }
    // After a failure the INSERTs not yet flattened still need their blocks.
    if (top.failed || frame.failed)
        return;
    for (int32_t i = 0; i < old_block_items; ++i) {
        if (ItemRec* item = drawing.dxf_BlockItemBuffer.ib_Items[i])
            item->it_Header.ih_Flags |= DXFItemExcluded;
    }
}

}
