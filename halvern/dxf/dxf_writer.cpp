// The DXF writer's files: whole drawings by section, block files and single items.
//
// A file is written front to back in one pass through a file handle with a large
// buffer. Its writer never trusts a write to have worked: the handle's error flag is
// tested once the last group is out, the buffer is flushed and the handle closed with
// both results checked, and a file that failed is removed so that what is left on disk
// is either complete or absent.

#include "halvern/dxf_writer.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "halvern/drawing.h"
#include "dxf/dxf_writer_internal.h"
#include "geometry/geometry_internal.h"
#include "model/make_error.h"
#include "osmark/errors.h"
#include "osmark/files.h"
#include "osmark/memory.h"
#include "osmark/strings.h"
#include "platform/files.h"

namespace {

using namespace halvern::dxf_writer;
using halvern::make_error;

// The write buffer: 512 KB, halved while memory is short, never below 1 KB; below that
// the handle buffers as it would by itself.
constexpr int32_t kLargestBuffer = 0x80000;
constexpr int32_t kSmallestBuffer = 1024;
constexpr int32_t kFullBuffering = 0;

constexpr uint32_t kEntryNotWritten = DXFEntryNotWritten;
// $HANDSEED: the drawing's counts plus this.
constexpr int64_t kHandSeedBase = 209;

enum class Buffering { Large, Default };

// A file opened for writing, and what it takes to finish or abandon it.
class OutputFile {
public:
    OutputFile(const char* path, Buffering buffering) noexcept : m_path(path)
    {
        m_handle = Open(path, FileModeWrite);
        if (m_handle == nullptr)
            return;
        // Only a file of our own making is taken away again; a device, pipe or "NIL:"
        // is not.
        m_removable = GetFileType(reinterpret_cast<HANDLE>(m_handle->fh_SystemHandle)) ==
                      FILE_TYPE_DISK;
        if (buffering == Buffering::Large)
            attach_buffer();
    }
    ~OutputFile()
    {
        if (m_handle != nullptr) {
            Close(m_handle);
            remove();
        }
        FreeVec(m_buffer);
    }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    bool is_open() const noexcept { return m_handle != nullptr; }
    FileHandle& handle() noexcept { return *m_handle; }

    // Flushes and closes: 0 when every byte reached the file, else -24 with the file
    // removed.
    int32_t finish() noexcept
    {
        FileHandle* handle = m_handle;
        m_handle = nullptr;
        // Close reports the close operation's result in place of the flush's, so the
        // flush is asked on its own first.
        const bool flushed = !has_failed(*handle) && Flush(handle) != 0 && !has_failed(*handle);
        // What a failed file still holds in its buffer is not tried again by Close.
        if (!flushed)
            Purge(handle);
        const bool closed = Close(handle) != 0;
        if (flushed && closed)
            return 0;
        remove();
        return make_error(IoErrBadIO);
    }

private:
    void attach_buffer() noexcept
    {
        for (int32_t size = kLargestBuffer; size >= kSmallestBuffer; size /= 2) {
            m_buffer = AllocVec(static_cast<uint32_t>(size));
            if (m_buffer != nullptr) {
                SetVBuf(m_handle, m_buffer, kFullBuffering, size);
                return;
            }
        }
        SetVBuf(m_handle, nullptr, kFullBuffering, kSmallestBuffer);
    }

    void remove() noexcept
    {
        if (m_removable)
            DeleteFile_(m_path);
    }

    const char* m_path;
    FileHandle* m_handle = nullptr;
    void* m_buffer = nullptr;
    bool m_removable = false;
};

bool is_item_of_type(const ItemBufferRec& buffer, int32_t index, int32_t type) noexcept
{
    return buffer.ib_Items != nullptr && index >= 0 && index < buffer.ib_N &&
           buffer.ib_Items[index] != nullptr && buffer.ib_Items[index]->it_Header.ih_ItemType == type;
}

// The sections of one file of one drawing.
class SectionWriter {
public:
    SectionWriter(FileHandle& handle, DXFDrawingRec& drawing, int32_t version) noexcept
        : m_handle(handle), m_drawing(drawing), m_version(version),
          m_full(is_full_dialect(version))
    {
    }

    void header() noexcept;
    void classes() noexcept;
    void tables() noexcept;
    void blocks() noexcept;
    void entities() noexcept;
    void objects() noexcept;
    void end_of_file() noexcept { write_group(m_handle, 0, "EOF"); }

    // The BLOCKS and ENTITIES sections of a block file.
    void block_file_blocks(const BlockIdentifierRec& block) noexcept;
    void block_file_entities(const ItemRec& insert) noexcept;

private:
    void begin_section(const char* name) noexcept
    {
        write_group(m_handle, 0, "SECTION");
        write_group(m_handle, 2, name);
    }
    void end_section() noexcept { write_group(m_handle, 0, "ENDSEC"); }

    void begin_table(const char* name, std::span<const FixedGroup> markers, int32_t count) noexcept;
    void table_record(const char* type, const char* owner, const char* subclass,
                      const char* name) noexcept;
    void block_record_marker(const char* subclass) noexcept;
    void line_types() noexcept;
    void line_type(const LineTypeDataRec& line_type) noexcept;
    void layers() noexcept;
    void layer(const LayerDataRec& layer) noexcept;
    bool has_layer_zero() const noexcept;
    void block(const BlockIdentifierRec& block, int32_t index) noexcept;
    void block_members(int32_t index) noexcept;
    void base_point() noexcept;

    FileHandle& m_handle;
    DXFDrawingRec& m_drawing;
    int32_t m_version;
    bool m_full;
};

// ---------------------------------------------------------------------------------------
// HEADER, CLASSES and OBJECTS

void SectionWriter::header() noexcept
{
    if (!m_full)
        return;
    write_fixed(m_handle, kHeaderHead);
    int64_t seed = int64_t{m_drawing.dxf_BlockItemBuffer.ib_N} +
                   2 * int64_t{m_drawing.dxf_BlockIdentifierBuffer.bib_N} +
                   int64_t{m_drawing.dxf_ItemBuffer.ib_N} + int64_t{m_drawing.dxf_LayerTable.lt_N} +
                   int64_t{m_drawing.dxf_LineTypeTable.lt_N} + kHandSeedBase;
    // The count above gives every item one handle; VERTEX records and the placed items
    // of an INSERT written as such take more, and the seed must lie above them all (a
    // program that adds to the file takes its handles from there).
    for (const ItemBufferRec* buffer : {&m_drawing.dxf_BlockItemBuffer, &m_drawing.dxf_ItemBuffer}) {
        for (int32_t i = 0; buffer->ib_Items != nullptr && i < buffer->ib_N; ++i) {
            if (buffer->ib_Items[i] != nullptr)
                seed += extra_entity_handles(&m_drawing, *buffer->ib_Items[i]);
        }
    }
    write_hex(m_handle, 5, static_cast<uint32_t>(std::min<int64_t>(seed, UINT32_MAX)));
    write_fixed(m_handle, kHeaderTail);
}

void SectionWriter::classes() noexcept
{
    if (m_full)
        write_fixed(m_handle, kClasses);
}

void SectionWriter::objects() noexcept
{
    if (m_full)
        write_fixed(m_handle, kObjects);
}

// ---------------------------------------------------------------------------------------
// TABLES

// Calls write for each entry of a table that is written; entry 0 is the unnamed
// default and never is.
template <typename Entry, typename Write>
void for_each_written_entry(Entry* const* entries, int32_t count, Write write) noexcept
{
    for (int32_t i = 1; i < count && entries != nullptr; ++i) {
        const Entry* entry = entries[i];
        if (entry != nullptr && (entry->ld_Flags & kEntryNotWritten) == 0)
            write(*entry);
    }
}

// A table's head; the count written is the entries plus the two every file has.
void SectionWriter::begin_table(const char* name, std::span<const FixedGroup> markers,
                                int32_t count) noexcept
{
    write_group(m_handle, 0, "TABLE");
    write_group(m_handle, 2, name);
    if (m_full)
        write_fixed(m_handle, markers);
    write_integer(m_handle, 70, count + 2);
}

// The groups every table record starts with; owner is the handle of its table.
void SectionWriter::table_record(const char* type, const char* owner, const char* subclass,
                                 const char* name) noexcept
{
    write_group(m_handle, 0, type);
    if (m_full) {
        write_next_handle(m_handle);
        write_group(m_handle, 330, owner);
        write_group(m_handle, 100, "AcDbSymbolTableRecord");
        write_group(m_handle, 100, subclass);
    }
    write_group(m_handle, 2, name != nullptr ? name : "");
    write_group(m_handle, 70, "0");
}

void SectionWriter::tables() noexcept
{
    begin_section("TABLES");
    if (m_full)
        write_fixed(m_handle, kViewportTable);
    line_types();
    layers();
    if (m_full)
        write_fixed(m_handle, kRemainingTables);
    end_section();
}

void SectionWriter::line_types() noexcept
{
    const LineTypeTableRec& table = m_drawing.dxf_LineTypeTable;
    begin_table("LTYPE", kLineTypeTableMarkers, table.lt_N);
    if (m_full)
        write_fixed(m_handle, kLineTypeFixedEntries);
    for_each_written_entry(table.lt_LineTypes, table.lt_N,
                           [this](const LineTypeDataRec& entry) { line_type(entry); });
    write_group(m_handle, 0, "ENDTAB");
}

void SectionWriter::line_type(const LineTypeDataRec& entry) noexcept
{
    const int32_t count = entry.ld_Segments != nullptr ? std::max(entry.ld_NSegments, 0) : 0;
    table_record("LTYPE", "5", "AcDbLinetypeTableRecord", entry.ld_Name);
    if (entry.ld_Description != nullptr)
        write_group(m_handle, 3, entry.ld_Description);
    write_group(m_handle, 72, "65");
    write_integer(m_handle, 73, count);
    double total = 0.0;
    for (int32_t i = 0; i < count; ++i)
        total += std::fabs(entry.ld_Segments[i]);
    write_real(m_handle, 40, total);
    for (int32_t i = 0; i < count; ++i) {
        write_real(m_handle, 49, entry.ld_Segments[i]);
        if (m_full)
            write_group(m_handle, 74, "0");
    }
}

bool SectionWriter::has_layer_zero() const noexcept
{
    const LayerTableRec& table = m_drawing.dxf_LayerTable;
    bool found = false;
    for_each_written_entry(table.lt_Layers, table.lt_N, [&found](const LayerDataRec& entry) {
        if (entry.ld_Name != nullptr && StriCmp(entry.ld_Name, "0") == 0)
            found = true;
    });
    return found;
}

void SectionWriter::layers() noexcept
{
    const LayerTableRec& table = m_drawing.dxf_LayerTable;
    begin_table("LAYER", kLayerTableMarkers, table.lt_N);
    if (m_version == kVersion2010 && !has_layer_zero())
        write_fixed(m_handle, kLayerZeroEntry);
    for_each_written_entry(table.lt_Layers, table.lt_N,
                           [this](const LayerDataRec& entry) { layer(entry); });
    write_group(m_handle, 0, "ENDTAB");
}

void SectionWriter::layer(const LayerDataRec& entry) noexcept
{
    table_record("LAYER", "2", "AcDbLayerTableRecord", entry.ld_Name);
    // The colour as stored: a layer that is off is written on.
    write_integer(m_handle, 62, static_cast<int32_t>(entry.ld_Colour));
    const char* line_type = line_type_name(&m_drawing, entry.ld_LineType);
    write_group(m_handle, 6, line_type != nullptr ? line_type : "CONTINUOUS");
    if (m_full) {
        write_group(m_handle, 370, "-3");
        write_group(m_handle, 390, "F");
    }
}

// ---------------------------------------------------------------------------------------
// BLOCKS and ENTITIES

void SectionWriter::base_point() noexcept
{
    // Members are held relative to their block's base point.
    write_point(m_handle, 10, Point3DRec{0.0, 0.0, 0.0});
}

void SectionWriter::blocks() noexcept
{
    const BlockIdentifierBufferRec& identifiers = m_drawing.dxf_BlockIdentifierBuffer;
    const ItemBufferRec& items = m_drawing.dxf_BlockItemBuffer;
    begin_section("BLOCKS");
    if (m_full)
        write_fixed(m_handle, kFixedBlocks);
    for (int32_t i = 0; i < identifiers.bib_N && identifiers.bib_Blocks != nullptr; ++i) {
        const BlockIdentifierRec* identifier = identifiers.bib_Blocks[i];
        if (identifier == nullptr)
            continue;
        const int32_t index = identifier->bi_BlockData;
        if (is_item_of_type(items, index, DXFItemBlock) &&
            (items.ib_Items[index]->it_Header.ih_Flags & DXFItemExcluded) == 0)
            block(*identifier, index);
    }
    end_section();
}

// The groups after BLOCK and after ENDBLK in full files: both belong to the block
// record with handle 1D and lie in paper space on layer 0.
void SectionWriter::block_record_marker(const char* subclass) noexcept
{
    if (!m_full)
        return;
    write_next_handle(m_handle);
    write_group(m_handle, 330, "1D");
    write_group(m_handle, 100, "AcDbEntity");
    write_group(m_handle, 67, "1");
    write_group(m_handle, 8, "0");
    write_group(m_handle, 100, subclass);
}

void SectionWriter::block(const BlockIdentifierRec& identifier, int32_t index) noexcept
{
    const char* name = identifier.bi_Name != nullptr ? identifier.bi_Name : "";
    write_group(m_handle, 0, "BLOCK");
    block_record_marker("AcDbBlockBegin");
    write_group(m_handle, 2, name);
    write_group(m_handle, 70, "0");
    if (m_full)
        write_group(m_handle, 71, "0");
    base_point();
    if (m_full) {
        write_group(m_handle, 3, name);
        write_group(m_handle, 1, "");
    }
    block_members(index);
    write_group(m_handle, 0, "ENDBLK");
    block_record_marker("AcDbBlockEnd");
}

// From the BLOCK item at index (which writes nothing) to the next ENDBLK or the end.
void SectionWriter::block_members(int32_t index) noexcept
{
    const ItemBufferRec& items = m_drawing.dxf_BlockItemBuffer;
    for (int32_t i = index; i < items.ib_N && !has_failed(m_handle); ++i) {
        const ItemRec* item = items.ib_Items[i];
        if (item == nullptr)
            continue;
        if (i > index && item->it_Header.ih_ItemType == DXFItemEndBlock)
            break;
        write_entity(m_handle, &m_drawing, *item, m_version);
    }
}

void SectionWriter::entities() noexcept
{
    const ItemBufferRec& items = m_drawing.dxf_ItemBuffer;
    begin_section("ENTITIES");
    for (int32_t i = 0; i < items.ib_N && items.ib_Items != nullptr && !has_failed(m_handle); ++i) {
        const ItemRec* item = items.ib_Items[i];
        if (item == nullptr)
            continue;
        // A block definition among the entities is passed over up to its ENDBLK (to
        // the end when none follows).
        if (item->it_Header.ih_ItemType == DXFItemBlock) {
            while (i + 1 < items.ib_N && !is_item_of_type(items, i + 1, DXFItemEndBlock))
                ++i;
            ++i;
            continue;
        }
        write_entity(m_handle, &m_drawing, *item, m_version);
    }
    end_section();
}

void SectionWriter::block_file_blocks(const BlockIdentifierRec& identifier) noexcept
{
    begin_section("BLOCKS");
    write_group(m_handle, 0, "BLOCK");
    write_group(m_handle, 2, identifier.bi_Name != nullptr ? identifier.bi_Name : "");
    write_group(m_handle, 70, "0");
    base_point();
    // The block is written even when its BLOCK item is excluded from drawing files.
    if (is_item_of_type(m_drawing.dxf_BlockItemBuffer, identifier.bi_BlockData, DXFItemBlock))
        block_members(identifier.bi_BlockData);
    write_group(m_handle, 0, "ENDBLK");
    end_section();
}

void SectionWriter::block_file_entities(const ItemRec& insert) noexcept
{
    begin_section("ENTITIES");
    write_entity(m_handle, &m_drawing, insert, m_version);
    end_section();
}

// The INSERT of a block file: one plain placement of the block, which also carries
// the block's label.
ItemRec block_file_insert(BlockIdentifierRec& identifier, const Point3DRec* point,
                          const Point3DRec* scale, double rotation) noexcept
{
    ItemRec item{};
    item.it_Header.ih_ItemSize = static_cast<int32_t>(offsetof(ItemRec, it_Insert) + sizeof(InsertRec));
    item.it_Header.ih_ItemType = DXFItemInsert;
    InsertRec& insert = item.it_Insert;
    insert.in_BlockName = identifier.bi_Name;
    insert.in_BlockIndex = identifier.bi_BlockData;
    insert.in_Label = identifier.bi_Label;
    insert.in_LabelPos = &identifier.bi_LabelPos;
    insert.in_LabelAttr = &identifier.bi_LabelAttr;
    insert.in_ArrayKind = 1;
    insert.in_Point = point != nullptr ? *point : Point3DRec{0.0, 0.0, 0.0};
    insert.in_Rotation = rotation;
    insert.in_Scale = scale != nullptr ? *scale : Point3DRec{1.0, 1.0, 1.0};
    insert.in_RowAngle = halvern::kHalfPi;
    insert.in_ColumnAngle = 0.0;
    insert.in_Rows = 1;
    insert.in_Columns = 1;
    insert.in_Extrusion = Point3DRec{0.0, 0.0, 1.0};
    return item;
}

BlockIdentifierRec* find_block(DXFDrawingRec& drawing, const char* name) noexcept
{
    const BlockIdentifierBufferRec& identifiers = drawing.dxf_BlockIdentifierBuffer;
    for (int32_t i = 0; i < identifiers.bib_N && identifiers.bib_Blocks != nullptr; ++i) {
        BlockIdentifierRec* identifier = identifiers.bib_Blocks[i];
        if (identifier != nullptr && identifier->bi_Name != nullptr &&
            StriCmp(identifier->bi_Name, name) == 0)
            return identifier;
    }
    return nullptr;
}

}

extern "C" {

HALVERN_API int32_t WriteDXFSections(const char* path, DXFDrawingRec* drawing, int32_t version,
                                     int32_t header, int32_t classes, int32_t tables,
                                     int32_t blocks, int32_t entities,
                                     int32_t objects) noexcept
{
    reset_handle_counter();
    if (path == nullptr || drawing == nullptr)
        return make_error(IoErrRequiredArgMissing);
    OutputFile file(path, Buffering::Large);
    if (!file.is_open())
        return make_error(IoErrObjectNotFound);
    SectionWriter writer(file.handle(), *drawing, version);
    if (header != 0)
        writer.header();
    if (classes != 0)
        writer.classes();
    if (tables != 0)
        writer.tables();
    if (blocks != 0)
        writer.blocks();
    if (entities != 0)
        writer.entities();
    if (objects != 0)
        writer.objects();
    writer.end_of_file();
    return file.finish();
}

HALVERN_API int32_t WriteDXFVersion(const char* path, DXFDrawingRec* drawing, int32_t version) noexcept
{
    return WriteDXFSections(path, drawing, version, 1, 1, 1, 1, 1, 1);
}

HALVERN_API int32_t WriteDXF(const char* path, DXFDrawingRec* drawing) noexcept
{
    return WriteDXFVersion(path, drawing, 0);
}

HALVERN_API int32_t WriteDXFBlockVersion(const char* path, DXFDrawingRec* drawing, const char* name,
                                         const Point3DRec* point, const Point3DRec* scale,
                                         double rotation, int32_t version) noexcept
{
    if (drawing == nullptr || path == nullptr || name == nullptr || StrLen(path) == 0 ||
        StrLen(name) == 0)
        return make_error(IoErrRequiredArgMissing);
    BlockIdentifierRec* identifier = find_block(*drawing, name);
    if (identifier == nullptr)
        return 0;
    const ItemRec insert = block_file_insert(*identifier, point, scale, rotation);
    OutputFile file(path, Buffering::Large);
    if (!file.is_open())
        return make_error(IoErrObjectNotFound);
    SectionWriter writer(file.handle(), *drawing, version);
    writer.header();
    writer.classes();
    writer.tables();
    writer.block_file_blocks(*identifier);
    writer.block_file_entities(insert);
    writer.objects();
    writer.end_of_file();
    return file.finish();
}

HALVERN_API int32_t WriteDXFBlock(const char* path, DXFDrawingRec* drawing, const char* name,
                                  const Point3DRec* point, const Point3DRec* scale,
                                  double rotation) noexcept
{
    return WriteDXFBlockVersion(path, drawing, name, point, scale, rotation, 0);
}

HALVERN_API int32_t WriteDXFItem(const char* path, const ItemRec* item) noexcept
{
    if (path == nullptr || item == nullptr)
        return make_error(IoErrRequiredArgMissing);
    OutputFile file(path, Buffering::Default);
    if (!file.is_open())
        return make_error(IoErrObjectNotFound);
    // An empty drawing whose entity buffer holds the one item for the call: no tables,
    // so no layer or line-type names.
    DXFDrawingRec drawing;
    NewDXFDrawing(&drawing);
    ItemRec* items[] = {const_cast<ItemRec*>(item)};
    drawing.dxf_ItemBuffer.ib_Items = items;
    drawing.dxf_ItemBuffer.ib_N = 1;
    drawing.dxf_ItemBuffer.ib_Max = 1;
    SectionWriter(file.handle(), drawing, 0).entities();
    drawing.dxf_ItemBuffer.ib_Items = nullptr;
    drawing.dxf_ItemBuffer.ib_N = 0;
    drawing.dxf_ItemBuffer.ib_Max = 0;
    FreeDXFDrawing(&drawing);
    write_group(file.handle(), 0, "EOF");
    return file.finish();
}

}
