// DXF group streams built in tests: memory-backed streams, ASCII and binary writers of
// group lists, and a small reading loop that turns entities into items.
#ifndef HALVERN_TESTS_DXF_TEST_SUPPORT_H
#define HALVERN_TESTS_DXF_TEST_SUPPORT_H

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "dxf/dxf_entity_parser.h"
#include "dxf/dxf_group_reader.h"
#include "halvern/dxf_groups.h"
#include "halvern/halvern.h"
#include "osmark/files.h"
#include "osmark/strings.h"

namespace dxf_test {

// A read-only stream over bytes, as the readers of in-memory drawings build one.
class MemoryStream {
public:
    explicit MemoryStream(std::string bytes) : m_bytes(std::move(bytes))
    {
        auto* data = reinterpret_cast<uint8_t*>(m_bytes.data());
        m_handle.fh_Flags = FileFlagRead | FileFlagMemory;
        m_handle.fh_Buffer = data;
        m_handle.fh_Position = data;
        m_handle.fh_Count = static_cast<int32_t>(m_bytes.size());
        m_handle.fh_BufferSize = static_cast<int32_t>(m_bytes.size());
        m_handle.fh_Close = [](uintptr_t) -> int32_t { return 1; };
        m_handle.fh_Read = [](uintptr_t, void*, int32_t, int32_t* done) -> int32_t {
            *done = 0;
            return 0;
        };
        m_handle.fh_Seek = [](uintptr_t, int32_t, int32_t) -> int32_t { return -1; };
    }
    MemoryStream(const MemoryStream&) = delete;
    MemoryStream& operator=(const MemoryStream&) = delete;

    FileHandle* get() { return &m_handle; }
    // Bytes not read yet.
    int32_t remaining() const { return m_handle.fh_Count; }

private:
    std::string m_bytes;
    FileHandle m_handle{};
};

struct Group {
    int32_t code;
    std::string value;
};

inline std::string ascii(const std::vector<Group>& groups, const std::string& line_end = "\n")
{
    std::string text;
    for (const Group& group : groups)
        text += std::to_string(group.code) + line_end + group.value + line_end;
    return text;
}

inline void append_little_endian(std::string& bytes, uint64_t value, int count)
{
    for (int i = 0; i < count; ++i)
        bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

inline const char kSentinel[] = "AutoCAD Binary DXF\r\n\x1a";

// The sentinel and the groups in binary form; width is 1 or 2 bytes per code. Values
// are given as text and written in the binary form of their code's type.
inline std::string binary(const std::vector<Group>& groups, int width)
{
    std::string bytes(kSentinel, sizeof kSentinel);
    for (const Group& group : groups) {
        append_little_endian(bytes, static_cast<uint64_t>(static_cast<uint16_t>(group.code)), width);
        int32_t type = 0;
        halvern::DXFGroupValueType(group.code, &type);
        switch (type) {
        case DXFValueReal: {
            const double real = StrToDouble(group.value.c_str(), nullptr);
            uint64_t bits = 0;
            std::memcpy(&bits, &real, sizeof bits);
            append_little_endian(bytes, bits, 8);
            break;
        }
        case DXFValueInt16:
        case DXFValueBoolean:
            append_little_endian(bytes, static_cast<uint16_t>(StrToLong(group.value.c_str(), nullptr, 10)), 2);
            break;
        case DXFValueInt32:
            append_little_endian(bytes, static_cast<uint32_t>(StrToLong(group.value.c_str(), nullptr, 10)), 4);
            break;
        default:
            bytes += group.value;
            bytes.push_back('\0');
            break;
        }
    }
    return bytes;
}

// Every group a reader gives, until it gives none.
inline std::vector<Group> read_all(const std::string& bytes)
{
    MemoryStream stream(bytes);
    const int32_t encoding = halvern::DXFDetectBinary(stream.get());
    std::vector<Group> groups;
    char value[DXF_GROUP_VALUE_SIZE];
    int32_t code = 0;
    int32_t ok = 0;
    while (halvern::DXFReadGroup(stream.get(), encoding, &code, value, DXF_GROUP_VALUE_SIZE, &ok) != 0)
        groups.push_back(Group{code, value});
    return groups;
}

// Reads a group stream as the drawing reader reads a section: every 0 group goes to
// the entity parser with the offset and the target buffer, anything else is skipped.
// Returns the result code the parser leaves.
inline int32_t parse_entities(DXFDrawingRec* drawing, const std::string& bytes,
                              ItemBufferRec* target, Point3DRec offset = {})
{
    MemoryStream stream(bytes);
    halvern::DXFLineCounter = 0;
    const int32_t encoding = halvern::DXFDetectBinary(stream.get());
    VertexListRec vertices{};
    char value[DXF_GROUP_VALUE_SIZE];
    int32_t code = 0;
    int32_t ok = 0;
    int32_t result = 0;
    bool have = halvern::DXFReadGroup(stream.get(), encoding, &code, value, DXF_GROUP_VALUE_SIZE, &ok) != 0;
    while (have) {
        // A known entity leaves the next 0 group in the buffer.
        if (code == 0 && halvern::DXFReadEntity(drawing, encoding, value, offset.x, offset.y, offset.z,
                                                &vertices, &result, target, stream.get()) == 1)
            continue;
        have = halvern::DXFReadGroup(stream.get(), encoding, &code, value, DXF_GROUP_VALUE_SIZE, &ok) != 0;
    }
    DXFVertexListFree(&vertices);
    return result;
}

// Whether describe_item includes the id and the source line (an item made from a
// group list has neither).
enum class Provenance { Left, Included };

// Every field of an item that two readers could set differently, as text: pointers
// left out but what they point at included.
inline std::string describe_item(const ItemRec& item, Provenance provenance)
{
    std::string text;
    const auto add = [&](double value) {
        char number[40];
        std::snprintf(number, sizeof number, "%.17g ", value);
        text += number;
    };
    const auto add_point = [&](const Point3DRec& p) {
        add(p.x);
        add(p.y);
        add(p.z);
    };
    const ItemHeaderRec& head = item.it_Header;
    for (const double value : {double(head.ih_ItemSize), double(head.ih_ItemType), double(head.ih_Layer),
                               double(head.ih_Colour), double(head.ih_LineType), double(head.ih_Flags),
                               double(head.ih_ContourID)})
        add(value);
    if (provenance == Provenance::Included) {
        add(double(head.ih_ID));
        add(double(head.ih_Line));
    }
    add_point(head.ih_Extrusion);
    text += "| ";
    switch (head.ih_ItemType) {
    case DXFItemLine:
        add_point(item.it_Line.ln_Start);
        add_point(item.it_Line.ln_End);
        break;
    case DXFItemPoint: add_point(item.it_Point.pt_Point); break;
    case DXFItemArc:
        add_point(item.it_Arc.ar_Centre);
        for (const double value : {item.it_Arc.ar_Radius, item.it_Arc.ar_Start, item.it_Arc.ar_End,
                                   double(item.it_Arc.ar_Dir)})
            add(value);
        break;
    case DXFItemEllipse: {
        const EllipseRec& ellipse = item.it_Ellipse;
        add_point(ellipse.el_Centre);
        add_point(ellipse.el_MajorAxis);
        for (const double value : {ellipse.el_Ratio, ellipse.el_Start, ellipse.el_End,
                                   ellipse.el_Angle, double(ellipse.el_Dir)})
            add(value);
        break;
    }
    case DXFItemText: {
        const TextRec& t = item.it_Text;
        add_point(t.tx_Point);
        add_point(t.tx_Point2);
        for (const double value : {double(t.tx_Flags), t.tx_Height, t.tx_Rotation, t.tx_Oblique})
            add(value);
        text += t.tx_Text;
        break;
    }
    case DXFItemPolyline: {
        const PolylineRec& p = item.it_Polyline;
        add_point(p.pl_Min);
        add_point(p.pl_Max);
        add(p.pl_Flags);
        for (int32_t i = 0; i < p.pl_NumVertices; ++i) {
            add_point(p.pl_Vertices[i].vx_Point);
            add(p.pl_Vertices[i].vx_Bulge);
            add(p.pl_Vertices[i].vx_Flags);
        }
        break;
    }
    case DXFItemSpline: {
        const SplineRec& s = item.it_Spline;
        for (const double value : {double(s.sp_Flags), double(s.sp_Degree), s.sp_StartParam,
                                   s.sp_EndParam, double(s.sp_NumWeights)})
            add(value);
        add_point(s.sp_StartTangent);
        add_point(s.sp_EndTangent);
        add_point(s.sp_Min);
        add_point(s.sp_Max);
        for (int32_t i = 0; i < s.sp_NumPoints; ++i) {
            add_point(s.sp_Points[i]);
            add(s.sp_Weights[i]);
        }
        text += "knots ";
        for (int32_t i = 0; i < s.sp_NumKnots; ++i)
            add(s.sp_Knots[i]);
        break;
    }
    case DXFItemInsert: {
        const InsertRec& insert = item.it_Insert;
        add_point(insert.in_Point);
        add_point(insert.in_Scale);
        add_point(insert.in_Extrusion);
        for (const double value : {insert.in_Rotation, insert.in_RowAngle, insert.in_ColumnAngle,
                                   insert.in_ColumnSpacing, insert.in_RowSpacing,
                                   double(insert.in_Rows), double(insert.in_Columns),
                                   double(insert.in_ArrayKind), double(insert.in_BlockIndex)})
            add(value);
        text += insert.in_BlockName;
        break;
    }
    case DXFItem3DFace:
        for (const Point3DRec& corner : item.it_Face.fc_Corners)
            add_point(corner);
        break;
    case DXFItemRay:
    case DXFItemXLine:
        add_point(item.it_Ray.ry_Base);
        add_point(item.it_Ray.ry_Direction);
        break;
    default: break;
    }
    return text;
}

}

#endif
