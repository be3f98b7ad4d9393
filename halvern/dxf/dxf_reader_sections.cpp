// Reading one DXF file into a drawing: the sections, the LTYPE and LAYER tables, the
// block definitions with their external references, the entities and the resolution
// of block references at the end.
//
// Everything the reader does not know is skipped group by group. A group that cannot
// be read (end of file, damage) ends the group sequence for good: later reads are not
// tried, so a damaged binary file is never read on from the middle of a group.

#include <algorithm>
#include <cstring>
#include <string_view>
#include <unordered_map>

#include "halvern/tables.h"
#include "dxf/dxf_entity_parser.h"
#include "dxf/dxf_reader_internal.h"
#include "model/make_error.h"
#include "osmark/errors.h"
#include "osmark/gui_services.h"
#include "osmark/memory.h"

namespace halvern {

namespace {

// A line type's dash count is a 16-bit group: a larger or negative count is damage
// and gets no dashes, so that a file cannot make the reader allocate without bound.
constexpr int32_t kMostDashes = INT16_MAX;

// Group 70 of a BLOCK: bit 0 is kept as the identifier's flag; bits 2 and 3 mark an
// external reference (an overlaid one, or one attached).
constexpr uint32_t kBlockFlagKept = 1;
constexpr uint32_t kBlockExternalBits = 4 | 8;

// A line-type entry while its groups are read. Whatever it still holds when it is
// emptied without being stored is freed.
struct PendingLineType {
    int32_t index = 0;
    char* description = nullptr;
    int32_t count = 0;        // dashes announced (group 73)
    bool counted = false;     // a count above 0 came: later ones change nothing
    double* dashes = nullptr;
    int32_t capacity = 0;
    int32_t stored = 0;

    PendingLineType() = default;
    PendingLineType(const PendingLineType&) = delete;
    PendingLineType& operator=(const PendingLineType&) = delete;
    ~PendingLineType() { clear(); }

    void clear()
    {
        FreeStr(description);
        FreeVec(dashes);
        index = 0;
        description = nullptr;
        count = 0;
        counted = false;
        dashes = nullptr;
        capacity = 0;
        stored = 0;
    }

    // The array grows with the dashes that come, up to the count: a count alone, which
    // costs a file two bytes, never makes the reader allocate for it.
    void add_dash(double length)
    {
        if (!counted || stored >= count)
            return;
        if (stored == capacity) {
            const int32_t grown = std::min(count, std::max(2 * capacity, 8));
            auto* larger = static_cast<double*>(
                ReAllocVec(dashes, static_cast<uint32_t>(grown) * sizeof(double)));
            if (larger == nullptr)
                return;
            dashes = larger;
            capacity = grown;
        }
        dashes[stored++] = length;
    }

    // Hands the description and the dashes read to the table entry of the index, when
    // it is one the file may define (not the automatic entry 0), then empties itself.
    void store(LineTypeTableRec& table)
    {
        if (index >= 1 && index < table.lt_N && table.lt_LineTypes != nullptr &&
            table.lt_LineTypes[index] != nullptr) {
            LineTypeDataRec& entry = *table.lt_LineTypes[index];
            // A line type defined twice (or again by a later read) keeps the last
            // definition; the earlier one is not leaked.
            FreeStr(entry.ld_Description);
            FreeVec(entry.ld_Segments);
            entry.ld_Description = description;
            description = nullptr;
            // The count says how many dashes the array holds: a file that announces
            // more dashes than it gives never leaves unset ones behind.
            entry.ld_NSegments = stored;
            entry.ld_Segments = nullptr;
            if (stored > 0) {
                entry.ld_Segments = dashes;
                dashes = nullptr;
            }
        }
        clear();
    }
};

struct PendingLayer {
    int32_t index = 0;
    int32_t colour = 0;
    int32_t line_type = 0;

    void store(LayerTableRec& table)
    {
        if (index >= 1 && index < table.lt_N && table.lt_Layers != nullptr &&
            table.lt_Layers[index] != nullptr) {
            LayerDataRec& layer = *table.lt_Layers[index];
            // A negative colour number switches the layer off.
            if (colour < 0)
                layer.ld_Flags |= DXFLayerOff;
            // In unsigned arithmetic, so that the most negative number cannot overflow.
            const auto magnitude = static_cast<uint32_t>(colour);
            layer.ld_Colour = colour < 0 ? 0u - magnitude : magnitude;
            layer.ld_LineType = line_type;
        }
        *this = PendingLayer{};
    }
};

void show_warning(int32_t code, const char* path)
{
    const char* text = code == IoErrObjectNotFound ? "Unable to locate external file %s"
                                                   : "Unable to load external file %s";
    EasyRequest(nullptr, "Warning", text, "Ok", path);
}

void copy_value(char* target, const char* value)
{
    // Both are group-sized buffers; the value is terminated within its buffer.
    std::memcpy(target, value, std::strlen(value) + 1);
}

}

DXFFileReader::DXFFileReader(FileHandle& stream, DXFDrawingRec& drawing, bool show_warnings,
                             DXFReadContext& context) noexcept
    : m_stream(stream), m_drawing(drawing), m_context(context), m_show_warnings(show_warnings),
      m_item_step(drawing.dxf_ItemBuffer.ib_Size),
      m_block_step(drawing.dxf_BlockItemBuffer.ib_Size),
      m_groups(stream, DXFDetectBinary(&stream), m_value, DXF_GROUP_VALUE_SIZE,
               context.line_counter())
{
}

DXFFileReader::~DXFFileReader()
{
    DXFVertexListFree(&m_vertices);
    m_drawing.dxf_ItemBuffer.ib_Size = m_item_step;
    m_drawing.dxf_BlockItemBuffer.ib_Size = m_block_step;
}

bool DXFFileReader::read_entity(const Point3DRec& offset, ItemBufferRec& target) noexcept
{
    if (m_groups.has_ended())
        return false;
    grow_by_doubling(target, &target == &m_drawing.dxf_ItemBuffer ? m_item_step : m_block_step);
    // The parser leaves the 0 group that ended the entity current, or ends the groups.
    return DXFReadEntity(&m_drawing, m_groups, offset, &m_vertices, &m_result, &target,
                         m_lookups) != 0;
}

bool DXFFileReader::skip_to_next_entity() noexcept
{
    do {
        if (!next())
            return false;
    } while (code() != 0);
    return true;
}

int32_t DXFFileReader::read() noexcept
{
    Flow flow = Flow::Go;
    // A file is DXF once one of its sections began (or it ends at EOF before any).
    bool has_section = false;
    bool has_end = false;
    while (flow == Flow::Go && (m_stream.fh_Flags & FileFlagEndOfFile) == 0) {
        if (!next())
            break;
        if (is_zero("EOF")) {
            has_end = true;
            break;
        }
        if (!is_zero("SECTION"))
            continue;
        has_section = true;
        // The section's name; any other group after SECTION is dropped.
        if (!next())
            break;
        if (is(2, "TABLES"))
            flow = read_tables();
        else if (is(2, "BLOCKS"))
            flow = read_blocks();
        else if (is(2, "ENTITIES"))
            flow = read_entities();
    }
    if (flow == Flow::Stop) {
        // Only a file cut off right after a TABLE stops without a failure of its own.
        if (m_result == 0)
            SetIoErr(make_error(IoErrObjectInvalid));
        return m_result;
    }
    // Nothing of a file that is no DXF at all (an image, an empty file, binary junk) was
    // read: that is a wrong file, not an empty drawing, and the drawing is as it was.
    if (!has_section && !has_end)
        return make_error(IoErrObjectInvalid);
    resolve_inserts();
    show_layout_without_model();
    // A file that breaks off (or is damaged) keeps what was read; IoErr tells the caller,
    // and the line counter says where the reading stopped.
    if (!has_end && m_result == 0)
        SetIoErr(make_error(IoErrObjectInvalid));
    return m_result;
}

// ---------------------------------------------------------------------------------------
// TABLES

DXFFileReader::Flow DXFFileReader::read_tables() noexcept
{
    for (;;) {
        if (!next())
            return Flow::Go;
        if (is_zero("ENDSEC"))
            return Flow::Go;
        if (!is_zero("TABLE"))
            continue;
        if (!next())
            return Flow::Stop;
        TableEnd end = TableEnd::Table;
        if (is(2, "LTYPE"))
            end = read_line_type_table();
        else if (is(2, "LAYER"))
            end = read_layer_table();
        if (end == TableEnd::Section)
            return Flow::Go;
    }
}

DXFFileReader::TableEnd DXFFileReader::read_line_type_table() noexcept
{
    LineTypeTableRec& table = m_drawing.dxf_LineTypeTable;
    PendingLineType pending;
    while (next()) {
        switch (code()) {
        case 0:
            pending.store(table);
            if (is_zero("ENDTAB"))
                return TableEnd::Table;
            if (is_zero("ENDSEC"))
                return TableEnd::Section;
            break;
        case 2:
            pending.index = GetLineType(&table, m_groups.text());
            break;
        case 3:
            if (pending.description == nullptr)
                pending.description = AllocStr(0, m_groups.text());
            break;
        case 73:
            // The first count with room for its dashes holds; a count of 0 makes room
            // for none and so leaves the next one free to hold.
            if (!pending.counted) {
                const int32_t count = m_groups.integer();
                pending.count = count >= 0 && count <= kMostDashes ? count : 0;
                pending.counted = pending.count != 0;
            }
            break;
        case 49:
            pending.add_dash(m_groups.real());
            break;
        default:
            break;
        }
    }
    return TableEnd::Groups;
}

DXFFileReader::TableEnd DXFFileReader::read_layer_table() noexcept
{
    PendingLayer pending;
    while (next()) {
        switch (code()) {
        case 0:
            pending.store(m_drawing.dxf_LayerTable);
            if (is_zero("ENDTAB"))
                return TableEnd::Table;
            if (is_zero("ENDSEC"))
                return TableEnd::Section;
            break;
        case 2:
            pending.index = GetLayer(&m_drawing.dxf_LayerTable, m_groups.text());
            break;
        case 6:
            pending.line_type = GetLineType(&m_drawing.dxf_LineTypeTable, m_groups.text());
            break;
        case 62:
            pending.colour = m_groups.integer();
            break;
        default:
            break;
        }
    }
    return TableEnd::Groups;
}

// ---------------------------------------------------------------------------------------
// BLOCKS

DXFFileReader::Flow DXFFileReader::read_blocks() noexcept
{
    if (!next())
        return Flow::Go;
    for (;;) {
        while (!is_zero("BLOCK")) {
            if (is_zero("ENDSEC"))
                return Flow::Go;
            if (!next())
                return Flow::Go;
        }
        switch (read_block()) {
        case BlockEnd::Block:
            if (!next())
                return Flow::Go;
            break;
        case BlockEnd::Section:
        case BlockEnd::Groups:
            return Flow::Go;
        case BlockEnd::Stop:
            return Flow::Stop;
        }
    }
}

bool DXFFileReader::add_end_block() noexcept
{
    ItemRec* end = CreateItem(DXFItemEndBlock, 0, 0, 0, 0, m_drawing.dxf_Pool);
    if (end != nullptr && AddItem(&m_drawing, &m_drawing.dxf_BlockItemBuffer, end) != 0)
        return true;
    if (end != nullptr)
        FreeVecPooled(m_drawing.dxf_Pool, end);
    m_result = make_error(IoErrNoMemory);
    return false;
}

DXFFileReader::BlockEnd DXFFileReader::read_block() noexcept
{
    const int32_t line = m_groups.line() - 1;
    char name[DXF_GROUP_VALUE_SIZE] = "";
    char path[DXF_GROUP_VALUE_SIZE] = "";
    Point3DRec base{0.0, 0.0, 0.0};
    uint32_t flags = 0;
    bool external = false;
    for (;;) {
        // A block cut off inside its head makes no BLOCK item.
        if (!next())
            return BlockEnd::Groups;
        if (code() == 0)
            break;
        switch (code()) {
        case 1: copy_value(path, m_groups.text()); break;
        case 2:
        case 3: copy_value(name, m_groups.text()); break;
        case 10: base.x = m_groups.real(); break;
        case 20: base.y = m_groups.real(); break;
        case 30: base.z = m_groups.real(); break;
        case 70: {
            const auto value = static_cast<uint32_t>(m_groups.integer());
            flags = value & kBlockFlagKept;
            external = (value & kBlockExternalBits) != 0;
            break;
        }
        default: break;
        }
    }
    if (is_zero("ENDSEC"))
        return BlockEnd::Section;

    ItemRec* block = CreateItem(DXFItemBlock, 0, 0, 0, 0, m_drawing.dxf_Pool);
    ItemBufferRec& blocks = m_drawing.dxf_BlockItemBuffer;
    if (block == nullptr) {
        m_result = make_error(IoErrNoMemory);
        return BlockEnd::Stop;
    }
    block->it_Header.ih_Line = line;
    if (AddItem(&m_drawing, &blocks, block) == 0) {
        FreeVecPooled(m_drawing.dxf_Pool, block);
        m_result = make_error(IoErrNoMemory);
        return BlockEnd::Stop;
    }
    if (AddBlockIdentifier(&m_drawing.dxf_BlockIdentifierBuffer, name, blocks.ib_N - 1, flags) == 0) {
        m_result = make_error(IoErrNoMemory);
        return BlockEnd::Stop;
    }

    // Members, relative to the base point, up to ENDBLK (or a section end that comes
    // first).
    while (!is_zero("ENDBLK") && !is_zero("ENDSEC")) {
        if (read_entity(base, blocks))
            continue;
        if (m_result != 0)
            return BlockEnd::Stop;
        if (!skip_to_next_entity())
            return add_end_block() ? BlockEnd::Groups : BlockEnd::Stop;
    }

    const bool section_ends = is_zero("ENDSEC");
    if (path[0] != '\0' && external) {
        const int32_t loaded = ReadDXFExternalBlock(path, &m_drawing, m_context);
        if (loaded != 0 && m_show_warnings)
            show_warning(loaded, path);
    }
    if (!add_end_block())
        return BlockEnd::Stop;
    return section_ends ? BlockEnd::Section : BlockEnd::Block;
}

// ---------------------------------------------------------------------------------------
// ENTITIES

DXFFileReader::Flow DXFFileReader::read_entities() noexcept
{
    if (!next())
        return Flow::Go;
    for (;;) {
        if (code() != 0) {
            if (!next())
                return Flow::Go;
            continue;
        }
        if (is_zero("ENDSEC"))
            return Flow::Go;
        if (read_entity(Point3DRec{0.0, 0.0, 0.0}, m_drawing.dxf_ItemBuffer))
            continue;
        // After an item failure an entity the parser does not know ends the read.
        if (m_result != 0)
            return Flow::Stop;
        if (!skip_to_next_entity())
            return Flow::Go;
    }
}

// ---------------------------------------------------------------------------------------
// Model and layouts

// Items of a layout (paper space, group 67) are left out of the drawing's view, its
// extents and its picks. A drawing that has nothing in the model (a file of one sheet
// drawn in a layout) would then show nothing: its layout items are taken into the model.
void DXFFileReader::show_layout_without_model() noexcept
{
    ItemBufferRec& items = m_drawing.dxf_ItemBuffer;
    bool has_layout_item = false;
    for (int32_t i = 0; i < items.ib_N; ++i) {
        const ItemRec* item = items.ib_Items[i];
        if (item == nullptr || item->it_Header.ih_ItemType == DXFItemBlock ||
            item->it_Header.ih_ItemType == DXFItemEndBlock)
            continue;
        if (item->it_Header.ih_Space == 0)
            return;
        has_layout_item = true;
    }
    if (!has_layout_item)
        return;
    for (int32_t i = 0; i < items.ib_N; ++i) {
        if (items.ib_Items[i] != nullptr)
            items.ib_Items[i]->it_Header.ih_Space = 0;
    }
}

// ---------------------------------------------------------------------------------------
// Block references

void DXFFileReader::resolve_inserts() noexcept
{
    BlockIdentifierBufferRec& identifiers = m_drawing.dxf_BlockIdentifierBuffer;
    // The identifiers by name, once: a drawing of many blocks and many INSERTs would
    // otherwise compare every name with every INSERT's. Names are unique in the buffer;
    // without memory for the index each INSERT searches as IsBlockKnown does.
    std::unordered_map<std::string_view, const BlockIdentifierRec*> by_name;
    bool indexed = false;
    try {
        by_name.reserve(static_cast<size_t>(std::max(identifiers.bib_N, 0)));
        for (int32_t i = 0; i < identifiers.bib_N; ++i) {
            const BlockIdentifierRec* identifier = identifiers.bib_Blocks[i];
            if (identifier != nullptr && identifier->bi_Name != nullptr)
                by_name.emplace(identifier->bi_Name, identifier);
        }
        indexed = true;
    } catch (...) {
        indexed = false;
    }
    const auto find = [&](const char* name, char*& found_name, int32_t& index) {
        if (!indexed)
            return IsBlockKnown(&identifiers, name, &found_name, &index) != 0;
        const auto found = by_name.find(name);
        if (found == by_name.end())
            return false;
        found_name = found->second->bi_Name;
        index = found->second->bi_BlockData;
        return true;
    };
    for (ItemBufferRec* buffer : {&m_drawing.dxf_BlockItemBuffer, &m_drawing.dxf_ItemBuffer}) {
        for (int32_t i = 0; i < buffer->ib_N; ++i) {
            ItemRec* item = buffer->ib_Items[i];
            if (item == nullptr || item->it_Header.ih_ItemType != DXFItemInsert)
                continue;
            InsertRec& insert = item->it_Insert;
            char* name = nullptr;
            int32_t index = -1;
            if (insert.in_BlockName != nullptr && find(insert.in_BlockName, name, index)) {
                insert.in_BlockName = name;
                insert.in_BlockIndex = index;
            } else {
                insert.in_BlockIndex = -1;
            }
        }
    }
}

}
