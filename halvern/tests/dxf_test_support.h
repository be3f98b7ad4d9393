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

// Whether code holds a binary chunk: hex text in ASCII files, a length byte and the
// bytes in binary ones.
inline bool is_chunk_code(int32_t code)
{
    return (code >= 310 && code <= 319) || code == 1004;
}

// The sentinel and the groups in binary form, as files from R13 on are written; width
// is 1 or 2 bytes per code (one-byte codes from 255 up follow the byte 255 as a 16-bit
// integer). Values are given as text and written in the binary form of their code's
// type: reals 8 bytes, integers 2, 4 or 8, booleans one byte, strings up to a NUL and
// chunks (hex text) as a length byte and their bytes.
inline std::string binary(const std::vector<Group>& groups, int width)
{
    std::string bytes(kSentinel, sizeof kSentinel);
    for (const Group& group : groups) {
        if (width == 1 && (group.code < 0 || group.code >= 255)) {
            bytes.push_back('\xff');
            append_little_endian(bytes, static_cast<uint16_t>(group.code), 2);
        } else {
            append_little_endian(bytes, static_cast<uint64_t>(static_cast<uint16_t>(group.code)), width);
        }
        int32_t type = 0;
        halvern::DXFGroupValueType(group.code, &type);
        const char* text = group.value.c_str();
        if (is_chunk_code(group.code)) {
            const size_t length = group.value.size() / 2;
            bytes.push_back(static_cast<char>(length));
            for (size_t i = 0; i < length; ++i)
                bytes.push_back(static_cast<char>(std::stoi(group.value.substr(2 * i, 2), nullptr, 16)));
            continue;
        }
        switch (type) {
        case DXFValueReal: {
            const double real = StrToDouble(text, nullptr);
            uint64_t bits = 0;
            std::memcpy(&bits, &real, sizeof bits);
            append_little_endian(bytes, bits, 8);
            break;
        }
        case DXFValueInt16:
            append_little_endian(bytes, static_cast<uint16_t>(StrToLong(text, nullptr, 10)), 2);
            break;
        case DXFValueBoolean:
            bytes.push_back(static_cast<char>(StrToLong(text, nullptr, 10)));
            break;
        case DXFValueInt32:
            append_little_endian(bytes, static_cast<uint32_t>(StrToLong(text, nullptr, 10)), 4);
            break;
        case DXFValueInt64:
            append_little_endian(bytes, static_cast<uint64_t>(std::stoll(group.value)), 8);
            break;
        default:
            bytes += group.value;
            bytes.push_back('\0');
            break;
        }
    }
    return bytes;
}

// A drawing as programs of R2000 and later write it: a HEADER with booleans, CLASSES,
// the symbol tables with handles and lineweights, the model and paper space blocks and
// a block of its own, an ENTITIES section of every entity the reader knows with true
// colours (420), transparency (440) and proxy graphics chunks (310) on entities, and
// an OBJECTS section with 64-bit integers, booleans and chunks of extended data.
inline std::vector<Group> r2000_drawing()
{
    std::vector<Group> groups = {
        {0, "SECTION"}, {2, "HEADER"},
        {9, "$ACADVER"}, {1, "AC1015"}, {9, "$HANDSEED"}, {5, "2FF"},
        {9, "$EXTMIN"}, {10, "-10.0"}, {20, "-5.0"}, {30, "0.0"},
        {9, "$LWDISPLAY"}, {290, "0"}, {9, "$XEDIT"}, {290, "1"},
        {9, "$PSTYLEMODE"}, {290, "1"}, {9, "$CEPSNTYPE"}, {380, "0"},
        {9, "$ENDCAPS"}, {280, "0"}, {9, "$CELWEIGHT"}, {370, "-1"},
        {9, "$FINGERPRINTGUID"}, {2, "{FDEAD578-A652-11D2-9A35-0060089B3A3F}"},
        {0, "ENDSEC"},
        {0, "SECTION"}, {2, "CLASSES"},
        {0, "CLASS"}, {1, "ACDBDICTIONARYWDFLT"}, {2, "AcDbDictionaryWithDefault"},
        {3, "ObjectDBX Classes"}, {90, "0"}, {280, "0"}, {281, "0"},
        {0, "ENDSEC"},
        {0, "SECTION"}, {2, "TABLES"},
        {0, "TABLE"}, {2, "VPORT"}, {5, "8"}, {330, "0"}, {100, "AcDbSymbolTable"}, {70, "1"},
        {0, "VPORT"}, {5, "29"}, {330, "8"}, {100, "AcDbSymbolTableRecord"},
        {100, "AcDbViewportTableRecord"}, {2, "*Active"}, {70, "0"}, {10, "0.0"}, {20, "0.0"},
        {40, "12.5"}, {41, "1.6"}, {290, "0"}, {281, "0"}, {65, "1"},
        {0, "ENDTAB"},
        {0, "TABLE"}, {2, "LTYPE"}, {5, "5"}, {330, "0"}, {100, "AcDbSymbolTable"}, {70, "1"},
        {0, "LTYPE"}, {5, "14"}, {330, "5"}, {100, "AcDbSymbolTableRecord"},
        {100, "AcDbLinetypeTableRecord"}, {2, "DASHED"}, {70, "0"}, {3, "__ __ __"}, {72, "65"},
        {73, "2"}, {40, "0.75"}, {49, "0.5"}, {74, "0"}, {49, "-0.25"}, {74, "0"},
        {0, "ENDTAB"},
        {0, "TABLE"}, {2, "LAYER"}, {5, "2"}, {330, "0"}, {100, "AcDbSymbolTable"}, {70, "2"},
        {0, "LAYER"}, {5, "10"}, {330, "2"}, {100, "AcDbSymbolTableRecord"},
        {100, "AcDbLayerTableRecord"}, {2, "0"}, {70, "0"}, {62, "7"}, {6, "CONTINUOUS"},
        {290, "1"}, {370, "-3"}, {390, "F"},
        {0, "LAYER"}, {5, "40"}, {330, "2"}, {100, "AcDbSymbolTableRecord"},
        {100, "AcDbLayerTableRecord"}, {2, "WALLS"}, {70, "0"}, {62, "3"}, {420, "16711680"},
        {6, "DASHED"}, {290, "0"}, {370, "25"}, {390, "F"},
        {0, "ENDTAB"},
        {0, "ENDSEC"},
        {0, "SECTION"}, {2, "BLOCKS"},
        {0, "BLOCK"}, {5, "20"}, {330, "1F"}, {100, "AcDbEntity"}, {8, "0"},
        {100, "AcDbBlockBegin"}, {2, "*Model_Space"}, {70, "0"}, {10, "0.0"}, {20, "0.0"},
        {30, "0.0"}, {3, "*Model_Space"}, {1, ""},
        {0, "ENDBLK"}, {5, "21"}, {330, "1F"}, {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbBlockEnd"},
        {0, "BLOCK"}, {5, "1C"}, {330, "1B"}, {100, "AcDbEntity"}, {67, "1"}, {8, "0"},
        {100, "AcDbBlockBegin"}, {2, "*Paper_Space"}, {70, "0"}, {10, "0.0"}, {20, "0.0"},
        {30, "0.0"}, {3, "*Paper_Space"}, {1, ""},
        {0, "ENDBLK"}, {5, "1D"}, {330, "1B"}, {100, "AcDbEntity"}, {67, "1"}, {8, "0"},
        {100, "AcDbBlockEnd"},
        {0, "BLOCK"}, {5, "50"}, {330, "4F"}, {100, "AcDbEntity"}, {8, "0"},
        {100, "AcDbBlockBegin"}, {2, "BOLT"}, {70, "0"}, {10, "1.0"}, {20, "1.0"}, {30, "0.0"},
        {3, "BOLT"}, {1, ""},
        {0, "CIRCLE"}, {5, "51"}, {330, "4F"}, {100, "AcDbEntity"}, {8, "WALLS"},
        {420, "255"}, {100, "AcDbCircle"}, {10, "1.0"}, {20, "1.0"}, {30, "0.0"}, {40, "2.0"},
        {0, "LINE"}, {5, "52"}, {330, "4F"}, {100, "AcDbEntity"}, {8, "0"}, {440, "33554534"},
        {100, "AcDbLine"}, {10, "-1.0"}, {20, "1.0"}, {30, "0.0"}, {11, "3.0"}, {21, "1.0"},
        {31, "0.0"},
        {0, "ENDBLK"}, {5, "53"}, {330, "4F"}, {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbBlockEnd"},
        {0, "ENDSEC"},
        {0, "SECTION"}, {2, "ENTITIES"},
    };
    int handle = 0x100;
    const auto entity = [&](const char* name, const char* subclass, std::vector<Group> fields) {
        char text[16];
        std::snprintf(text, sizeof text, "%X", handle++);
        groups.insert(groups.end(), {{0, name}, {5, text}, {330, "1F"}, {100, "AcDbEntity"},
                                     {8, "WALLS"}, {420, "8421504"}, {370, "30"}});
        // Proxy graphics: a size and one chunk (hex in ASCII, bytes in binary files).
        groups.insert(groups.end(), {{92, "4"}, {310, "0A0B0C0D"}, {100, subclass}});
        groups.insert(groups.end(), fields.begin(), fields.end());
    };
    entity("3DFACE", "AcDbFace", {{10, "0"}, {20, "0"}, {30, "0"}, {11, "1"}, {21, "0"}, {31, "0"},
                                   {12, "1"}, {22, "1"}, {32, "0"}, {13, "0"}, {23, "1"}, {33, "0"}});
    entity("ARC", "AcDbCircle", {{10, "5"}, {20, "5"}, {30, "0"}, {40, "2.5"}, {100, "AcDbArc"},
                                 {50, "30"}, {51, "120"}});
    entity("CIRCLE", "AcDbCircle", {{10, "-5"}, {20, "2"}, {30, "0"}, {40, "1.5"}});
    entity("ATTDEF", "AcDbText", {{10, "0"}, {20, "0"}, {40, "1"}, {1, "x"}, {100, "AcDbAttributeDefinition"},
                                  {3, "PROMPT"}, {2, "TAG"}, {70, "0"}, {280, "0"}});
    entity("BODY", "AcDbModelerGeometry", {{70, "1"}, {1, "data"}, {3, "more"}});
    entity("DIMENSION", "AcDbDimension", {{2, "*D1"}, {10, "0"}, {20, "0"}, {70, "32"}, {71, "5"},
                                          {42, "10.0"}, {1, ""}});
    entity("ELLIPSE", "AcDbEllipse", {{10, "20"}, {20, "0"}, {30, "0"}, {11, "4"}, {21, "0"},
                                      {31, "0"}, {210, "0"}, {220, "0"}, {230, "1"}, {40, "0.5"},
                                      {41, "0"}, {42, "6.283185307179586"}});
    entity("INSERT", "AcDbBlockReference", {{2, "BOLT"}, {10, "30"}, {20, "10"}, {30, "0"},
                                            {41, "2"}, {42, "2"}, {43, "1"}, {50, "90"}});
    entity("LEADER", "AcDbLeader", {{3, "Standard"}, {71, "1"}, {76, "2"}, {10, "0"}, {20, "0"},
                                    {10, "1"}, {20, "1"}, {290, "1"}});
    entity("LINE", "AcDbLine", {{39, "0.5"}, {10, "-10"}, {20, "-5"}, {30, "0"}, {11, "12"},
                                {21, "8"}, {31, "0"}});
    entity("POINT", "AcDbPoint", {{10, "7.5"}, {20, "-2.25"}, {30, "0"}});
    entity("RAY", "AcDbRay", {{10, "1"}, {20, "1"}, {30, "0"}, {11, "1"}, {21, "0"}, {31, "0"}});
    entity("XLINE", "AcDbXline", {{10, "2"}, {20, "2"}, {30, "0"}, {11, "0"}, {21, "1"}, {31, "0"}});
    entity("POLYLINE", "AcDb2dPolyline", {{66, "1"}, {10, "0"}, {20, "0"}, {30, "0"}, {70, "1"}});
    const char* vertices[][3] = {{"0", "0", "0.5"}, {"4", "0", "0"}, {"4", "3", "-1"}};
    for (const auto& vertex : vertices) {
        groups.insert(groups.end(), {{0, "VERTEX"}, {5, "1FE"}, {330, "1FD"}, {100, "AcDbEntity"},
                                     {8, "WALLS"}, {100, "AcDbVertex"}, {100, "AcDb2dVertex"},
                                     {10, vertex[0]}, {20, vertex[1]}, {30, "0"}, {42, vertex[2]},
                                     {70, "0"}});
    }
    groups.insert(groups.end(), {{0, "SEQEND"}, {5, "1FF"}, {330, "1FD"}, {100, "AcDbEntity"},
                                 {8, "WALLS"}});
    entity("LWPOLYLINE", "AcDbPolyline", {{90, "3"}, {70, "128"}, {43, "0"}, {10, "10"}, {20, "10"},
                                          {10, "14"}, {20, "10"}, {42, "1"}, {10, "14"}, {20, "14"}});
    entity("SPLINE", "AcDbSpline", {{210, "0"}, {220, "0"}, {230, "1"}, {70, "8"}, {71, "3"},
                                    {72, "8"}, {73, "4"}, {74, "0"}, {42, "1e-10"}, {43, "1e-10"},
                                    {40, "0"}, {40, "0"}, {40, "0"}, {40, "0"}, {40, "1"}, {40, "1"},
                                    {40, "1"}, {40, "1"}, {10, "0"}, {20, "20"}, {30, "0"},
                                    {10, "3"}, {20, "25"}, {30, "0"}, {10, "6"}, {20, "15"},
                                    {30, "0"}, {10, "9"}, {20, "20"}, {30, "0"}});
    entity("TEXT", "AcDbText", {{10, "-3"}, {20, "-4"}, {30, "0"}, {40, "2.5"}, {1, "Hello"},
                                {50, "15"}, {7, "Standard"}, {100, "AcDbText"}});
    entity("SOLID", "AcDbTrace", {{10, "0"}, {20, "0"}, {11, "1"}, {21, "0"}, {12, "0"}, {22, "1"},
                                  {13, "1"}, {23, "1"}});
    entity("MLINE", "AcDbMline", {{2, "STANDARD"}, {340, "18"}, {40, "1"}, {70, "0"}, {71, "1"},
                                  {72, "0"}, {73, "2"}, {10, "0"}, {20, "0"}, {30, "0"}});
    entity("MTEXT", "AcDbMText", {{10, "8"}, {20, "-1"}, {30, "0"}, {40, "1.25"}, {41, "20"},
                                  {71, "1"}, {72, "5"}, {1, "Two\\Pwords"}, {7, "Standard"}});
    entity("OLEFRAME", "AcDbOleFrame", {{70, "2"}, {90, "4"}, {310, "DEADBEEF"}, {1, "OLE"}});
    entity("REGION", "AcDbModelerGeometry", {{70, "1"}, {1, "data"}});
    entity("SHAPE", "AcDbShape", {{10, "0"}, {20, "0"}, {40, "1"}, {2, "BOX"}});
    entity("TOLERANCE", "AcDbFcf", {{3, "Standard"}, {10, "0"}, {20, "0"}, {1, "{\\Fgdt;j}"}});
    entity("TRACE", "AcDbTrace", {{10, "0"}, {20, "0"}, {11, "1"}, {21, "0"}, {12, "0"}, {22, "1"},
                                  {13, "1"}, {23, "1"}});
    entity("VIEWPORT", "AcDbViewport", {{10, "0"}, {20, "0"}, {30, "0"}, {40, "10"}, {41, "8"},
                                        {68, "1"}, {69, "1"}, {290, "0"}, {1001, "ACAD"},
                                        {1000, "MVIEW"}, {1002, "{"}, {1070, "16"}, {1004, "00FF"},
                                        {1002, "}"}});
    groups.insert(groups.end(), {
        {0, "ENDSEC"},
        {0, "SECTION"}, {2, "OBJECTS"},
        {0, "DICTIONARY"}, {5, "C"}, {330, "0"}, {100, "AcDbDictionary"}, {281, "1"},
        {3, "ACAD_GROUP"}, {350, "D"},
        {0, "XRECORD"}, {5, "E0"}, {330, "C"}, {100, "AcDbXrecord"}, {280, "1"},
        {160, "1099511627776"}, {290, "1"}, {310, "FFEEDDCCBBAA"}, {1071, "70000"},
        {0, "ENDSEC"},
        {0, "EOF"},
    });
    return groups;
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
                               double(head.ih_ContourID), double(head.ih_Space)})
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
