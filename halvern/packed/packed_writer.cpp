// Writing packed drawing files.
//
// The whole file is built in memory first, so that a drawing the format cannot hold
// is refused (-25) before any file is created, and the file is then written in one
// pass.

#include "halvern/packed.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "model/make_error.h"
#include "packed/packed_format.h"
#include "osmark/errors.h"
#include "osmark/files.h"
#include "osmark/strings.h"

namespace {

using halvern::packed::ByteWriter;
using halvern::packed::SectionKind;
namespace packed = halvern::packed;

constexpr double kTolerance = 1e-6;

bool is_near(double value, double target)
{
    return value - target > -kTolerance && value - target < kTolerance;
}

// The strings of the file, each stored once, numbered in the order of first use.
class StringTable {
public:
    // The ordinal of text, adding it when new. 0, or -25 when no further ordinal is
    // left.
    int32_t ordinal(const char* text, uint16_t& out)
    {
        const std::string_view key(text != nullptr ? text : "");
        if (const auto found = m_index.find(key); found != m_index.end()) {
            out = found->second;
            return 0;
        }
        if (m_strings.size() >= packed::kMaxStrings)
            return halvern::make_error(IoErrObjectInvalid);
        const auto number = static_cast<uint16_t>(m_strings.size());
        m_strings.emplace_back(key);
        m_index.emplace(std::string(key), number);
        m_bytes += key.size() + 1;
        out = number;
        return 0;
    }

    size_t bytes() const { return m_bytes; }
    const std::vector<std::string>& strings() const { return m_strings; }

private:
    struct Hash {
        using is_transparent = void;
        size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };
    std::vector<std::string> m_strings;
    std::unordered_map<std::string, uint16_t, Hash, std::equal_to<>> m_index;
    size_t m_bytes = 0;
};

// One section: its records one after the other and how many there are.
struct Section {
    std::vector<uint8_t> bytes;
    uint32_t count = 0;
};

class PackedWriter {
public:
    explicit PackedWriter(const DXFDrawingRec& drawing) : m_drawing(drawing) {}

    // Packs the whole drawing into file; 0, -25 or -1 (by bad_alloc).
    int32_t pack(std::vector<uint8_t>& file);

private:
    int32_t pack_layers();
    int32_t pack_line_types();
    int32_t pack_items(const ItemBufferRec& buffer, Section& section);
    int32_t pack_item(const ItemRec& item, int32_t index, Section& section);
    int32_t pack_insert(const ItemRec& item, ByteWriter& out);
    int32_t pack_polyline(const ItemRec& item, ByteWriter& out);
    const char* block_name_of(int32_t index) const;

    const DXFDrawingRec& m_drawing;
    StringTable m_strings;
    Section m_layers;
    Section m_line_types;
    Section m_block_items;
    Section m_items;
};

int32_t PackedWriter::pack(std::vector<uint8_t>& file)
{
    if (m_drawing.dxf_LayerTable.lt_N > packed::kMaxTableEntries ||
        m_drawing.dxf_LineTypeTable.lt_N > packed::kMaxTableEntries)
        return halvern::make_error(IoErrObjectInvalid);
    // Ordinals go to layer names first, then line-type names, then block names and
    // texts as the items are packed.
    if (const int32_t result = pack_layers(); result != 0)
        return result;
    if (const int32_t result = pack_line_types(); result != 0)
        return result;
    if (const int32_t result = pack_items(m_drawing.dxf_BlockItemBuffer, m_block_items); result != 0)
        return result;
    if (const int32_t result = pack_items(m_drawing.dxf_ItemBuffer, m_items); result != 0)
        return result;
    if (m_strings.bytes() >= packed::kStringTableLimit)
        return halvern::make_error(IoErrObjectInvalid);

    ByteWriter out(file);
    out.u32(DXF_PACKED_MAGIC);
    out.u16(static_cast<uint16_t>(m_strings.bytes()));
    for (const std::string& text : m_strings.strings()) {
        out.bytes({reinterpret_cast<const uint8_t*>(text.data()), text.size()});
        out.u8(0);
    }
    const std::pair<SectionKind, const Section*> sections[] = {
        {SectionKind::LineTypes, &m_line_types},
        {SectionKind::Layers, &m_layers},
        {SectionKind::BlockItems, &m_block_items},
        {SectionKind::Items, &m_items},
    };
    for (const auto& [kind, section] : sections) {
        if (section->bytes.size() > UINT32_MAX)
            return halvern::make_error(IoErrObjectInvalid);
        out.u8(static_cast<uint8_t>(kind));
        out.u32(static_cast<uint32_t>(section->bytes.size()));
        out.u32(section->count);
        out.bytes(section->bytes);
    }
    return 0;
}

int32_t PackedWriter::pack_layers()
{
    const LayerTableRec& table = m_drawing.dxf_LayerTable;
    ByteWriter out(m_layers.bytes);
    for (int32_t i = 1; i < table.lt_N; ++i) {
        const LayerDataRec* layer = table.lt_Layers[i];
        if (layer == nullptr)
            return halvern::make_error(IoErrObjectInvalid);
        uint16_t name = 0;
        if (const int32_t result = m_strings.ordinal(layer->ld_Name, name); result != 0)
            return result;
        out.u16(name);
        out.u8(static_cast<uint8_t>(layer->ld_Colour));
        out.u8(static_cast<uint8_t>(layer->ld_LineType));
        ++m_layers.count;
    }
    return 0;
}

int32_t PackedWriter::pack_line_types()
{
    const LineTypeTableRec& table = m_drawing.dxf_LineTypeTable;
    ByteWriter out(m_line_types.bytes);
    for (int32_t i = 1; i < table.lt_N; ++i) {
        const LineTypeDataRec* line_type = table.lt_LineTypes[i];
        if (line_type == nullptr)
            return halvern::make_error(IoErrObjectInvalid);
        // The dash count is one byte: more dashes than that would be cut off.
        const int32_t dashes = line_type->ld_NSegments;
        if (dashes < 0 || dashes > packed::kMaxDashes ||
            (dashes > 0 && line_type->ld_Segments == nullptr))
            return halvern::make_error(IoErrObjectInvalid);
        uint16_t name = 0;
        if (const int32_t result = m_strings.ordinal(line_type->ld_Name, name); result != 0)
            return result;
        out.u16(name);
        out.u8(static_cast<uint8_t>(dashes));
        for (int32_t d = 0; d < dashes; ++d)
            out.f64(line_type->ld_Segments[d]);
        ++m_line_types.count;
    }
    return 0;
}

int32_t PackedWriter::pack_items(const ItemBufferRec& buffer, Section& section)
{
    for (int32_t i = 0; i < buffer.ib_N; ++i) {
        const ItemRec* item = buffer.ib_Items[i];
        if (item == nullptr)
            return halvern::make_error(IoErrObjectInvalid);
        if (const int32_t result = pack_item(*item, i, section); result != 0)
            return result;
        ++section.count;
    }
    return 0;
}

// The name of the block whose BLOCK item sits at index of the block items: the last
// identifier that names it. NULL when none does.
const char* PackedWriter::block_name_of(int32_t index) const
{
    const BlockIdentifierBufferRec& blocks = m_drawing.dxf_BlockIdentifierBuffer;
    const char* name = nullptr;
    for (int32_t i = 0; i < blocks.bib_N; ++i) {
        if (blocks.bib_Blocks[i] != nullptr && blocks.bib_Blocks[i]->bi_BlockData == index)
            name = blocks.bib_Blocks[i]->bi_Name;
    }
    return name;
}

int32_t PackedWriter::pack_item(const ItemRec& item, int32_t index, Section& section)
{
    const ItemHeaderRec& head = item.it_Header;
    const int32_t type = head.ih_ItemType;
    size_t length = packed::fixed_record_size(type);
    if (type == DXFItemPolyline) {
        const int32_t vertices = item.it_Polyline.pl_NumVertices;
        if (vertices < 0 || static_cast<size_t>(vertices) > packed::kMaxPolylineVertices)
            return halvern::make_error(IoErrObjectInvalid);
        length = packed::kPolylineFixedSize + packed::kPackedVertexSize * static_cast<size_t>(vertices);
    }
    if (length == 0)
        return halvern::make_error(IoErrObjectInvalid);

    // A refused item must leave nothing behind in the section.
    const size_t start = section.bytes.size();
    ByteWriter out(section.bytes);
    out.u16(static_cast<uint16_t>(length));
    out.u8(static_cast<uint8_t>(type));
    out.u8(static_cast<uint8_t>(head.ih_Layer));
    out.u8(static_cast<uint8_t>(head.ih_Colour));
    out.u8(static_cast<uint8_t>(head.ih_LineType));

    int32_t result = 0;
    switch (type) {
    case DXFItemBlock: {
        // A block without a name would be read back under whatever name ordinal 0 has.
        const char* name = block_name_of(index);
        uint16_t ordinal = 0;
        result = name == nullptr ? halvern::make_error(IoErrObjectInvalid)
                                 : m_strings.ordinal(name, ordinal);
        out.u16(ordinal);
        out.f64(item.it_Block.bk_Base.x);
        out.f64(item.it_Block.bk_Base.y);
        break;
    }
    case DXFItemEndBlock:
        break;
    case DXFItemInsert:
        result = pack_insert(item, out);
        break;
    case DXFItemPoint:
        out.f64(item.it_Point.pt_Point.x);
        out.f64(item.it_Point.pt_Point.y);
        break;
    case DXFItemLine:
        out.f64(item.it_Line.ln_Start.x);
        out.f64(item.it_Line.ln_Start.y);
        out.f64(item.it_Line.ln_End.x);
        out.f64(item.it_Line.ln_End.y);
        break;
    case DXFItemArc: {
        const ArcRec& arc = item.it_Arc;
        out.f64(arc.ar_Centre.x);
        out.f64(arc.ar_Centre.y);
        out.f64(arc.ar_Radius);
        out.f64(arc.ar_Start);
        out.f64(arc.ar_End);
        out.u8(arc.ar_Dir < 0 ? packed::kClockwise : packed::kCounterClockwise);
        break;
    }
    case DXFItemText: {
        const TextRec& text = item.it_Text;
        uint16_t ordinal = 0;
        if (!is_near(text.tx_Oblique, 0.0) || text.tx_Text == nullptr)
            result = halvern::make_error(IoErrObjectInvalid);
        else
            result = m_strings.ordinal(text.tx_Text, ordinal);
        out.u32(text.tx_Flags);
        out.u32(text.tx_Flags2);
        out.f64(text.tx_Point.x);
        out.f64(text.tx_Point.y);
        out.f64(text.tx_Point2.x);
        out.f64(text.tx_Point2.y);
        out.f64(text.tx_Height);
        out.f64(text.tx_Rotation);
        out.u16(ordinal);
        break;
    }
    case DXFItemPolyline:
        result = pack_polyline(item, out);
        break;
    case DXFItemEllipse: {
        const EllipseRec& ellipse = item.it_Ellipse;
        out.f64(ellipse.el_Centre.x);
        out.f64(ellipse.el_Centre.y);
        out.f64(ellipse.el_MajorAxis.x);
        out.f64(ellipse.el_MajorAxis.y);
        out.f64(ellipse.el_Ratio);
        out.f64(ellipse.el_Start);
        out.f64(ellipse.el_End);
        out.f64(ellipse.el_Angle);
        out.u8(ellipse.el_Dir < 0 ? packed::kClockwise : packed::kCounterClockwise);
        break;
    }
    default:
        result = halvern::make_error(IoErrObjectInvalid);
        break;
    }
    if (result != 0) {
        section.bytes.resize(start);
        return result;
    }
    return 0;
}

int32_t PackedWriter::pack_insert(const ItemRec& item, ByteWriter& out)
{
    const InsertRec& insert = item.it_Insert;
    const bool fits = insert.in_ArrayKind == 1 && insert.in_Rows >= 0 &&
                      insert.in_Rows <= packed::kMaxArrayCount && insert.in_Columns >= 0 &&
                      insert.in_Columns <= packed::kMaxArrayCount && is_near(insert.in_Scale.x, 1.0) &&
                      is_near(insert.in_Scale.y, 1.0) && is_near(insert.in_Scale.z, 1.0) &&
                      is_near(insert.in_Extrusion.x, 0.0) && is_near(insert.in_Extrusion.y, 0.0) &&
                      is_near(insert.in_Extrusion.z, 1.0) && insert.in_BlockName != nullptr;
    if (!fits)
        return halvern::make_error(IoErrObjectInvalid);
    uint16_t name = 0;
    if (const int32_t result = m_strings.ordinal(insert.in_BlockName, name); result != 0)
        return result;
    const char* uid = GetDXFUID(&item);
    const auto uid_number = uid != nullptr ? static_cast<uint32_t>(StrToLong(uid, nullptr, 0)) : 0u;
    out.u16(name);
    out.f64(insert.in_Point.x);
    out.f64(insert.in_Point.y);
    out.f64(insert.in_Rotation);
    out.f64(insert.in_RowAngle);
    out.u8(static_cast<uint8_t>(insert.in_Rows));
    out.f64(insert.in_ColumnAngle);
    out.u8(static_cast<uint8_t>(insert.in_Columns));
    out.f64(insert.in_ColumnSpacing);
    out.f64(insert.in_RowSpacing);
    out.u32(uid_number);
    return 0;
}

int32_t PackedWriter::pack_polyline(const ItemRec& item, ByteWriter& out)
{
    const PolylineRec& polyline = item.it_Polyline;
    out.u32(polyline.pl_Flags);
    out.u16(static_cast<uint16_t>(polyline.pl_NumVertices));
    for (int32_t v = 0; v < polyline.pl_NumVertices; ++v) {
        const VertexRec& vertex = polyline.pl_Vertices[v];
        out.f64(vertex.vx_Point.x);
        out.f64(vertex.vx_Point.y);
        out.f64(vertex.vx_Bulge);
    }
    return 0;
}

// Writes all bytes; false when the file takes fewer.
bool write_all(FileHandle* file, const std::vector<uint8_t>& bytes)
{
    size_t written = 0;
    while (written < bytes.size()) {
        const size_t chunk = std::min<size_t>(bytes.size() - written, 0x40000000);
        const int32_t done = Write(file, bytes.data() + written, static_cast<int32_t>(chunk));
        if (done != static_cast<int32_t>(chunk))
            return false;
        written += chunk;
    }
    return true;
}

}

extern "C" {

HALVERN_API int32_t DXFCreatePackedFile(DXFDrawingRec* drawing, const char* path) noexcept
{
    if (drawing == nullptr || path == nullptr)
        return halvern::make_error(IoErrRequiredArgMissing);
    try {
        std::vector<uint8_t> file;
        PackedWriter writer(*drawing);
        if (const int32_t result = writer.pack(file); result != 0)
            return result;
        FileHandle* stream = Open(path, FileModeWrite);
        if (stream == nullptr)
            return halvern::make_error(IoErrInvalidStreamName);
        const bool written = write_all(stream, file);
        // Closing flushes the last bytes: its failure loses them too.
        const bool closed = Close(stream) != 0;
        if (!written || !closed)
            return halvern::make_error(IoErrBadIO);
        return 0;
    } catch (const std::bad_alloc&) {
        return halvern::make_error(IoErrNoMemory);
    } catch (...) {
        return halvern::make_error(IoErrNoMemory);
    }
}

}
