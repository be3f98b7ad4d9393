// Reading packed drawing files.
//
// The reader loads the string table and the four sections, then checks every record,
// length, count, ordinal and table number against the bytes it holds, and only then
// changes the drawing: a damaged file is refused (-25) with the drawing as it was.

#include "halvern/packed.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <span>
#include <utility>
#include <vector>

#include "halvern/tables.h"
#include "dxf/dxf_entity_parser.h"
#include "model/make_error.h"
#include "model/memory_handle.h"
#include "packed/packed_format.h"
#include "osmark/errors.h"
#include "osmark/files.h"
#include "osmark/format.h"
#include "osmark/memory.h"
#include "osmark/strings.h"

namespace {

using halvern::packed::ByteReader;
using halvern::packed::SectionKind;
namespace packed = halvern::packed;

// The pool that a reader creates for a drawing that has none.
constexpr uint32_t kPoolPuddle = 0x4000;
constexpr uint32_t kPoolThreshold = 0x4000;
// Sections are read in steps that grow with the bytes that actually arrive, so a
// size field cannot make the reader reserve more than twice what the file holds.
constexpr size_t kFirstReadStep = 0x10000;

// A block of file bytes from AllocVec.
class ByteBlock {
public:
    ByteBlock() = default;
    ~ByteBlock() { FreeVec(m_data); }
    ByteBlock(const ByteBlock&) = delete;
    ByteBlock& operator=(const ByteBlock&) = delete;
    ByteBlock(ByteBlock&& other) noexcept
        : m_data(std::exchange(other.m_data, nullptr)), m_size(std::exchange(other.m_size, 0))
    {
    }

    std::span<const uint8_t> bytes() const { return {m_data, m_size}; }

    enum class Status { Ok, Truncated, NoMemory };

    // Reads exactly size bytes from the stream.
    Status read(FileHandle* stream, size_t size)
    {
        size_t capacity = 0;
        while (m_size < size) {
            if (m_size == capacity) {
                capacity = std::min(size, std::max(kFirstReadStep, capacity * 2));
                if (!grow(capacity))
                    return Status::NoMemory;
            }
            const size_t wanted = std::min<size_t>(capacity - m_size, INT32_MAX);
            const int32_t done = Read(stream, m_data + m_size, static_cast<int32_t>(wanted));
            if (done <= 0)
                return Status::Truncated;
            m_size += static_cast<size_t>(done);
        }
        return Status::Ok;
    }

private:
    bool grow(size_t capacity)
    {
        if (capacity > UINT32_MAX)
            return false;
        auto* grown = static_cast<uint8_t*>(AllocVec(static_cast<uint32_t>(capacity)));
        if (grown == nullptr)
            return false;
        if (m_size > 0)
            std::memcpy(grown, m_data, m_size);
        FreeVec(m_data);
        m_data = grown;
        return true;
    }

    uint8_t* m_data = nullptr;
    size_t m_size = 0;
};

int32_t status_code(ByteBlock::Status status)
{
    switch (status) {
    case ByteBlock::Status::Ok: return 0;
    case ByteBlock::Status::Truncated:
        return halvern::make_error(IoErrObjectInvalid);
    case ByteBlock::Status::NoMemory:
        return halvern::make_error(IoErrNoMemory);
    }
    return halvern::make_error(IoErrObjectInvalid);
}

struct LineTypeRecord {
    uint16_t name;
    std::span<const uint8_t> dashes; // 8 bytes each
};

struct LayerRecord {
    uint16_t name;
    uint8_t colour;
    uint8_t line_type;
};

// The loaded file, checked; every span points into the blocks it owns.
struct PackedFile {
    ByteBlock string_block;
    ByteBlock sections[4];
    std::vector<const char*> strings;
    std::vector<LineTypeRecord> line_types;
    std::vector<LayerRecord> layers;
    std::vector<std::span<const uint8_t>> block_items;
    std::vector<std::span<const uint8_t>> items;
};

// ---- Loading and checking ---------------------------------------------------------------

// Splits the string table into its NUL-terminated strings.
bool split_strings(PackedFile& file)
{
    const auto bytes = file.string_block.bytes();
    if (!bytes.empty() && bytes.back() != 0)
        return false;
    size_t start = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == 0) {
            file.strings.push_back(reinterpret_cast<const char*>(bytes.data() + start));
            start = i + 1;
        }
    }
    return true;
}

bool is_ordinal(const PackedFile& file, uint16_t ordinal)
{
    return ordinal < file.strings.size();
}

// Names of a table's records name strings and are never empty: the reader finds or
// adds each by name, and an empty name would find the unnamed entry 0. A name given
// twice (by one ordinal or by two equal strings) is merged into one entry, and the
// numbers that name the second are mapped to it (Unpacker).
bool are_table_names(const PackedFile& file, std::span<const uint16_t> names, bool line_types)
{
    for (const uint16_t name : names) {
        if (!is_ordinal(file, name))
            return false;
        const char* text = file.strings[name];
        // GetLineType never stores BYBLOCK.
        if (text[0] == '\0' || (line_types && std::strcmp(text, "BYBLOCK") == 0))
            return false;
    }
    return true;
}

bool parse_line_types(PackedFile& file, std::span<const uint8_t> bytes, uint32_t count)
{
    ByteReader reader(bytes);
    std::vector<uint16_t> names;
    while (reader.remaining() > 0) {
        if (file.line_types.size() >= count)
            return false;
        const uint16_t name = reader.u16();
        const uint8_t dashes = reader.u8();
        const auto dash_bytes = reader.take(packed::kDashSize * dashes);
        if (!reader.ok())
            return false;
        file.line_types.push_back({name, dash_bytes});
        names.push_back(name);
    }
    return file.line_types.size() == count && are_table_names(file, names, true);
}

bool parse_layers(PackedFile& file, std::span<const uint8_t> bytes, uint32_t count)
{
    if (bytes.size() != uint64_t{count} * packed::kLayerRecordSize)
        return false;
    ByteReader reader(bytes);
    std::vector<uint16_t> names;
    for (uint32_t i = 0; i < count; ++i) {
        LayerRecord layer{};
        layer.name = reader.u16();
        layer.colour = reader.u8();
        layer.line_type = reader.u8();
        if (layer.line_type > file.line_types.size())
            return false;
        file.layers.push_back(layer);
        names.push_back(layer.name);
    }
    return reader.ok() && are_table_names(file, names, false);
}

// The ordinal fields of an item record of the type, as offsets from its start.
constexpr size_t kBlockNameOffset = 6;
constexpr size_t kInsertNameOffset = 6;
constexpr size_t kTextOrdinalOffset = 62;
constexpr size_t kVertexCountOffset = 10;

uint16_t u16_at(std::span<const uint8_t> record, size_t offset)
{
    ByteReader reader(record.subspan(offset));
    return reader.u16();
}

// One item record: its length fits the bytes left and matches its type exactly, and
// the strings and table entries it names exist.
bool is_item_record(const PackedFile& file, std::span<const uint8_t> record)
{
    ByteReader reader(record);
    reader.skip(2);
    const uint8_t type = reader.u8();
    const uint8_t layer = reader.u8();
    reader.skip(1);
    const uint8_t line_type = reader.u8();
    if (!reader.ok() || layer > file.layers.size() || line_type > file.line_types.size())
        return false;
    size_t expected = packed::fixed_record_size(type);
    if (type == DXFItemPolyline && record.size() >= packed::kPolylineFixedSize)
        expected = packed::kPolylineFixedSize +
                   packed::kPackedVertexSize * u16_at(record, kVertexCountOffset);
    if (expected == 0 || record.size() != expected)
        return false;
    switch (type) {
    case DXFItemBlock: return is_ordinal(file, u16_at(record, kBlockNameOffset));
    case DXFItemInsert: return is_ordinal(file, u16_at(record, kInsertNameOffset));
    case DXFItemText: return is_ordinal(file, u16_at(record, kTextOrdinalOffset));
    default: return true;
    }
}

bool parse_items(const PackedFile& file, std::span<const uint8_t> bytes, uint32_t count,
                 std::vector<std::span<const uint8_t>>& records)
{
    size_t offset = 0;
    while (offset < bytes.size()) {
        if (records.size() >= count || bytes.size() - offset < packed::kItemHeadSize)
            return false;
        const uint16_t length = u16_at(bytes, offset);
        if (length < packed::kItemHeadSize || length > bytes.size() - offset)
            return false;
        const auto record = bytes.subspan(offset, length);
        if (!is_item_record(file, record))
            return false;
        records.push_back(record);
        offset += length;
    }
    return records.size() == count;
}

// Loads and checks the whole file; 0, -25 or -1.
int32_t load(FileHandle* stream, PackedFile& file)
{
    uint8_t head[packed::kFileHeadSize];
    if (Read(stream, head, sizeof head) != static_cast<int32_t>(sizeof head))
        return halvern::make_error(IoErrObjectInvalid);
    ByteReader head_reader(head);
    if (head_reader.u32() != DXF_PACKED_MAGIC)
        return halvern::make_error(IoErrObjectInvalid);
    const uint16_t table_size = head_reader.u16();
    if (const int32_t result = status_code(file.string_block.read(stream, table_size)); result != 0)
        return result;
    if (!split_strings(file))
        return halvern::make_error(IoErrObjectInvalid);

    for (size_t s = 0; s < std::size(packed::kSectionOrder); ++s) {
        uint8_t section_head[packed::kSectionHeadSize];
        if (Read(stream, section_head, sizeof section_head) != static_cast<int32_t>(sizeof section_head))
            return halvern::make_error(IoErrObjectInvalid);
        ByteReader reader(section_head);
        const uint8_t kind = reader.u8();
        const uint32_t total = reader.u32();
        const uint32_t count = reader.u32();
        if (kind != static_cast<uint8_t>(packed::kSectionOrder[s]))
            return halvern::make_error(IoErrObjectInvalid);
        if (const int32_t result = status_code(file.sections[s].read(stream, total)); result != 0)
            return result;
        const auto bytes = file.sections[s].bytes();
        bool valid = false;
        switch (packed::kSectionOrder[s]) {
        case SectionKind::LineTypes: valid = parse_line_types(file, bytes, count); break;
        case SectionKind::Layers: valid = parse_layers(file, bytes, count); break;
        case SectionKind::BlockItems: valid = parse_items(file, bytes, count, file.block_items); break;
        case SectionKind::Items: valid = parse_items(file, bytes, count, file.items); break;
        }
        if (!valid)
            return halvern::make_error(IoErrObjectInvalid);
    }
    return 0;
}

// ---- Applying ---------------------------------------------------------------------------

class Unpacker {
public:
    Unpacker(DXFDrawingRec& drawing, const PackedFile& file) : m_drawing(drawing), m_file(file) {}

    int32_t apply();

private:
    int32_t apply_line_types();
    int32_t apply_layers();
    int32_t unpack(std::span<const uint8_t> record, ItemBufferRec& target);
    int32_t unpack_insert(ItemRec& item, ByteReader& reader);
    void resolve_pending_inserts();

    DXFDrawingRec& m_drawing;
    const PackedFile& m_file;
    // The drawing's entry for each table number of the file (0, the unnamed entry,
    // stays 0). A file's numbers are its records' positions, 1 up; the entries they
    // land in differ when a name repeats or the drawing held entries before.
    std::vector<int32_t> m_line_type_entries;
    std::vector<int32_t> m_layer_entries;
    // INSERTs made before their block was defined, resolved once every record is in.
    std::vector<ItemRec*> m_pending;
};

int32_t Unpacker::apply()
{
    int32_t result = apply_line_types();
    if (result == 0)
        result = apply_layers();
    for (size_t i = 0; result == 0 && i < m_file.block_items.size(); ++i)
        result = unpack(m_file.block_items[i], m_drawing.dxf_BlockItemBuffer);
    for (size_t i = 0; result == 0 && i < m_file.items.size(); ++i)
        result = unpack(m_file.items[i], m_drawing.dxf_ItemBuffer);
    resolve_pending_inserts();
    return result;
}

int32_t Unpacker::apply_line_types()
{
    m_line_type_entries.assign(1, 0);
    for (const LineTypeRecord& record : m_file.line_types) {
        // Names are never empty nor BYBLOCK here, so index 0 means no memory.
        const int32_t index = GetLineType(&m_drawing.dxf_LineTypeTable, m_file.strings[record.name]);
        if (index <= 0)
            return halvern::make_error(IoErrNoMemory);
        m_line_type_entries.push_back(index);
        const size_t dashes = record.dashes.size() / packed::kDashSize;
        if (dashes == 0)
            continue;
        auto* lengths = static_cast<double*>(AllocVec(static_cast<uint32_t>(dashes * sizeof(double))));
        if (lengths == nullptr)
            return halvern::make_error(IoErrNoMemory);
        ByteReader reader(record.dashes);
        for (size_t d = 0; d < dashes; ++d)
            lengths[d] = reader.f64();
        LineTypeDataRec* line_type = m_drawing.dxf_LineTypeTable.lt_LineTypes[index];
        // The entry owns its dashes: a line type that already had some gives them up.
        FreeVec(line_type->ld_Segments);
        line_type->ld_Segments = lengths;
        line_type->ld_NSegments = static_cast<int32_t>(dashes);
    }
    return 0;
}

int32_t Unpacker::apply_layers()
{
    m_layer_entries.assign(1, 0);
    for (const LayerRecord& record : m_file.layers) {
        const int32_t index = GetLayer(&m_drawing.dxf_LayerTable, m_file.strings[record.name]);
        if (index <= 0)
            return halvern::make_error(IoErrNoMemory);
        m_layer_entries.push_back(index);
        LayerDataRec* layer = m_drawing.dxf_LayerTable.lt_Layers[index];
        layer->ld_Colour = record.colour;
        // Checked against the line-type records when the file was loaded.
        layer->ld_LineType = m_line_type_entries[record.line_type];
    }
    return 0;
}

// Gives the item the one comment line "UID=<uid>", from the pool.
bool SetItemUIDComment(ItemRec& item, Pool* pool, uint32_t uid)
{
    char line[32];
    const int32_t length = SPrintf(line, "UID=%u", uid);
    auto** lines = static_cast<char**>(AllocVecPooled(pool, sizeof(char*)));
    auto* copy = static_cast<char*>(AllocVecPooled(pool, static_cast<uint32_t>(length) + 1));
    if (lines == nullptr || copy == nullptr) {
        if (lines != nullptr)
            FreeVecPooled(pool, lines);
        if (copy != nullptr)
            FreeVecPooled(pool, copy);
        return false;
    }
    std::memcpy(copy, line, static_cast<size_t>(length) + 1);
    lines[0] = copy;
    item.it_Header.ih_Comments = lines;
    item.it_Header.ih_NumComments = 1;
    return true;
}

int32_t Unpacker::unpack_insert(ItemRec& item, ByteReader& reader)
{
    const char* name = m_file.strings[reader.u16()];
    BlockIdentifierBufferRec* blocks = &m_drawing.dxf_BlockIdentifierBuffer;
    InsertRec& insert = item.it_Insert;
    if (IsBlockKnown(blocks, name, &insert.in_BlockName, &insert.in_BlockIndex) == 0 &&
        (AddBlockIdentifier(blocks, name, -1, 0) == 0 ||
         IsBlockKnown(blocks, name, &insert.in_BlockName, &insert.in_BlockIndex) == 0))
        return halvern::make_error(IoErrNoMemory);
    insert.in_ArrayKind = 1;
    insert.in_Point = Point3DRec{reader.f64(), reader.f64(), 0.0};
    insert.in_Rotation = reader.f64();
    insert.in_RowAngle = reader.f64();
    insert.in_Rows = reader.u8();
    insert.in_ColumnAngle = reader.f64();
    insert.in_Columns = reader.u8();
    insert.in_ColumnSpacing = reader.f64();
    insert.in_RowSpacing = reader.f64();
    insert.in_Scale = Point3DRec{1.0, 1.0, 1.0};
    insert.in_Extrusion = Point3DRec{0.0, 0.0, 1.0};
    const uint32_t uid = reader.u32();
    if (uid != 0 && !SetItemUIDComment(item, m_drawing.dxf_Pool, uid))
        return halvern::make_error(IoErrNoMemory);
    return 0;
}

// Makes the item of one checked record and appends it to target; 0 or -1.
int32_t Unpacker::unpack(std::span<const uint8_t> record, ItemBufferRec& target)
{
    ByteReader reader(record);
    reader.skip(2);
    const uint8_t type = reader.u8();
    const uint8_t layer = reader.u8();
    const uint8_t colour = reader.u8();
    const uint8_t line_type = reader.u8();

    int64_t extra = 0;
    const char* text = nullptr;
    uint16_t vertices = 0;
    if (type == DXFItemText) {
        text = m_file.strings[u16_at(record, kTextOrdinalOffset)];
        extra = static_cast<int64_t>(std::strlen(text)) + 1;
    } else if (type == DXFItemPolyline) {
        vertices = u16_at(record, kVertexCountOffset);
        extra = (int64_t{vertices} - 1) * int64_t{sizeof(VertexRec)};
    }
    // Both numbers were checked against the table records when the file was loaded.
    ItemRec* item = CreateItem(type, static_cast<int32_t>(extra), m_layer_entries[layer], colour,
                               m_line_type_entries[line_type], m_drawing.dxf_Pool);
    if (item == nullptr)
        return halvern::make_error(IoErrNoMemory);

    int32_t result = 0;
    switch (type) {
    case DXFItemBlock: {
        const char* name = m_file.strings[reader.u16()];
        item->it_Block.bk_Base = Point3DRec{reader.f64(), reader.f64(), 0.0};
        if (AddItem(&m_drawing, &target, item) == 0)
            return halvern::make_error(IoErrNoMemory);
        if (AddBlockIdentifier(&m_drawing.dxf_BlockIdentifierBuffer, name, target.ib_N - 1, 0) == 0)
            return halvern::make_error(IoErrNoMemory);
        return 0;
    }
    case DXFItemEndBlock:
        break;
    case DXFItemInsert:
        result = unpack_insert(*item, reader);
        break;
    case DXFItemPoint:
        item->it_Point.pt_Point = Point3DRec{reader.f64(), reader.f64(), 0.0};
        break;
    case DXFItemLine:
        item->it_Line.ln_Start = Point3DRec{reader.f64(), reader.f64(), 0.0};
        item->it_Line.ln_End = Point3DRec{reader.f64(), reader.f64(), 0.0};
        break;
    case DXFItemArc: {
        ArcRec& arc = item->it_Arc;
        arc.ar_Centre = Point3DRec{reader.f64(), reader.f64(), 0.0};
        arc.ar_Radius = reader.f64();
        arc.ar_Start = reader.f64();
        arc.ar_End = reader.f64();
        arc.ar_Dir = reader.u8() == packed::kCounterClockwise ? 1 : -1;
        break;
    }
    case DXFItemText: {
        TextRec& record_text = item->it_Text;
        record_text.tx_Flags = reader.u32();
        record_text.tx_Flags2 = reader.u32();
        record_text.tx_Point = Point3DRec{reader.f64(), reader.f64(), 0.0};
        record_text.tx_Point2 = Point3DRec{reader.f64(), reader.f64(), 0.0};
        record_text.tx_Height = reader.f64();
        record_text.tx_Rotation = reader.f64();
        record_text.tx_Text = reinterpret_cast<char*>(&record_text + 1);
        std::memcpy(record_text.tx_Text, text, static_cast<size_t>(extra));
        break;
    }
    case DXFItemPolyline: {
        PolylineRec& polyline = item->it_Polyline;
        polyline.pl_Flags = reader.u32();
        reader.skip(2);
        polyline.pl_NumVertices = vertices;
        for (uint16_t v = 0; v < vertices; ++v) {
            VertexRec& vertex = polyline.pl_Vertices[v];
            vertex.vx_Point = Point3DRec{reader.f64(), reader.f64(), 0.0};
            vertex.vx_Bulge = reader.f64();
        }
        halvern::DXFPolylineCorners(polyline.pl_Vertices, vertices, &polyline.pl_Min, &polyline.pl_Max);
        break;
    }
    case DXFItemEllipse: {
        EllipseRec& ellipse = item->it_Ellipse;
        ellipse.el_Centre = Point3DRec{reader.f64(), reader.f64(), 0.0};
        ellipse.el_MajorAxis = Point3DRec{reader.f64(), reader.f64(), 0.0};
        ellipse.el_Ratio = reader.f64();
        ellipse.el_Start = reader.f64();
        ellipse.el_End = reader.f64();
        ellipse.el_Angle = reader.f64();
        ellipse.el_Dir = reader.u8() == packed::kCounterClockwise ? 1 : -1;
        break;
    }
    default:
        return halvern::make_error(IoErrObjectInvalid);
    }
    if (result != 0)
        return result;
    if (AddItem(&m_drawing, &target, item) == 0)
        return halvern::make_error(IoErrNoMemory);
    if (type == DXFItemInsert && item->it_Insert.in_BlockIndex < 0)
        m_pending.push_back(item);
    return 0;
}

void Unpacker::resolve_pending_inserts()
{
    for (ItemRec* item : m_pending) {
        InsertRec& insert = item->it_Insert;
        IsBlockKnown(&m_drawing.dxf_BlockIdentifierBuffer, insert.in_BlockName, &insert.in_BlockName,
                     &insert.in_BlockIndex);
    }
}

int32_t read_packed(FileHandle* stream, DXFDrawingRec& drawing)
{
    PackedFile file;
    if (const int32_t result = load(stream, file); result != 0)
        return result;
    if (drawing.dxf_Pool == nullptr) {
        drawing.dxf_Pool = CreatePool(kPoolPuddle, kPoolThreshold);
        if (drawing.dxf_Pool == nullptr)
            return halvern::make_error(IoErrNoMemory);
    }
    Unpacker unpacker(drawing, file);
    return unpacker.apply();
}

}

extern "C" {

HALVERN_API int32_t ReadAPackedDXFFileFP(FileHandle* handle, DXFDrawingRec* drawing) noexcept
{
    if (handle == nullptr || drawing == nullptr)
        return halvern::make_error(IoErrRequiredArgMissing);
    try {
        return read_packed(handle, *drawing);
    } catch (const std::bad_alloc&) {
        return halvern::make_error(IoErrNoMemory);
    } catch (...) {
        return halvern::make_error(IoErrNoMemory);
    }
}

HALVERN_API int32_t ReadPackedDXF(const char* path, DXFDrawingRec* drawing) noexcept
{
    if (path == nullptr || drawing == nullptr)
        return halvern::make_error(IoErrRequiredArgMissing);
    FileHandle* stream = Open(path, FileModeRead);
    if (stream == nullptr)
        return halvern::make_error(IoErrObjectNotFound);
    const int32_t result = ReadAPackedDXFFileFP(stream, drawing);
    Close(stream);
    return result;
}

HALVERN_API int32_t ReadAPackedDXFFileMem(const void* buffer, uint32_t length,
                                          DXFDrawingRec* drawing) noexcept
{
    if (buffer == nullptr && length != 0)
        return halvern::make_error(IoErrRequiredArgMissing);
    if (buffer == nullptr)
        return 0;
    if (drawing == nullptr)
        return halvern::make_error(IoErrRequiredArgMissing);
    if (length > static_cast<uint32_t>(std::numeric_limits<int32_t>::max()))
        return halvern::make_error(IoErrObjectNotFound);
    FileHandle handle;
    if (halvern::DXFMakeMemoryHandle(buffer, &handle, static_cast<int32_t>(length)) == nullptr)
        return halvern::make_error(IoErrObjectNotFound);
    const int32_t result = ReadAPackedDXFFileFP(&handle, drawing);
    Close(&handle);
    return result;
}

}
