// The DXF entity parser: recognition of entity names, the state every entity shares,
// and the entities of fixed shape (3DFACE, ARC and CIRCLE, ELLIPSE, INSERT, LINE,
// POINT, RAY, XLINE and the entities kept by their head alone), for both group sources.

#include "dxf/dxf_entity_parser.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "dxf/dxf_entity_reader.h"
#include "dxf/dxf_group_list_source.h"
#include "geometry/geometry_internal.h"
#include "model/vertex_list_internal.h"
#include "osmark/memory.h"

namespace halvern::entity {

namespace {

// The index found last (DXFEntityLookups) is tried before the table is searched.
template <typename Entry>
bool is_entry_named(Entry* const* entries, int32_t count, int32_t index, const char* name)
{
    return index >= 0 && index < count && entries != nullptr && entries[index] != nullptr &&
           entries[index]->ld_Name != nullptr && std::strcmp(entries[index]->ld_Name, name) == 0;
}

int32_t layer_index(int32_t& last, LayerTableRec& table, const char* name)
{
    if (!is_entry_named(table.lt_Layers, table.lt_N, last, name))
        last = GetLayer(&table, name);
    return last;
}

int32_t line_type_index(int32_t& last, LineTypeTableRec& table, const char* name)
{
    if (!is_entry_named(table.lt_LineTypes, table.lt_N, last, name))
        last = GetLineType(&table, name);
    return last;
}

// The index of the block identifier called name (exactly, as IsBlockKnown finds it),
// -1 when there is none; the identifier found last is tried first.
int32_t block_index(int32_t& last, const BlockIdentifierBufferRec& blocks, const char* name)
{
    const auto is_named = [&](int32_t index) {
        const BlockIdentifierRec* block = blocks.bib_Blocks[index];
        return block != nullptr && block->bi_Name != nullptr && std::strcmp(block->bi_Name, name) == 0;
    };
    if (blocks.bib_Blocks == nullptr)
        return -1;
    if (last >= 0 && last < blocks.bib_N && is_named(last))
        return last;
    for (int32_t index = 0; index < blocks.bib_N; ++index) {
        if (is_named(index)) {
            last = index;
            return index;
        }
    }
    return -1;
}

// Coordinate groups of points: x 10 to 18, y 20 to 28, z 30 to 38, by the last digit.
template <typename Reader>
void set_coordinate(Point3DRec& point, int32_t code, const Reader& reader)
{
    switch (code / 10) {
    case 1: point.x = reader.x(); break;
    case 2: point.y = reader.y(); break;
    case 3: point.z = reader.z(); break;
    default: break;
    }
}

// A direction vector or axis, taken as read.
template <typename Reader>
void set_vector(Point3DRec& vector, int32_t code, const Reader& reader)
{
    switch (code / 10) {
    case 1: vector.x = reader.real(); break;
    case 2: vector.y = reader.real(); break;
    case 3: vector.z = reader.real(); break;
    default: break;
    }
}

}

// ---------------------------------------------------------------------------------------
// The stream source and the shared entity state

bool StreamSource::deliver(ItemRec* item) noexcept
{
    item->it_Header.ih_Line = m_line;
    if (AddItem(&m_drawing, &m_target, item) != 0)
        return true;
    FreeVecPooled(m_drawing.dxf_Pool, item);
    fail();
    return false;
}

EntityState::EntityState(DXFDrawingRec* drawing, Point3DRec offset, VertexListRec& vertices,
                         DXFEntityLookups& lookups) noexcept
    : m_drawing(drawing), m_offset(offset), m_vertices(vertices), m_lookups(lookups)
{
}

void EntityState::set_table_entry(int32_t code, const char* text) noexcept
{
    if (m_drawing == nullptr)
        return;
    if (code == 8)
        m_layer = layer_index(m_lookups.layer, m_drawing->dxf_LayerTable, text);
    else
        m_line_type = line_type_index(m_lookups.line_type, m_drawing->dxf_LineTypeTable, text);
}

bool EntityState::is_extruded() const noexcept
{
    return !is_zero(m_extrusion.z - 1.0);
}

ItemRec* EntityState::create_item(int32_t type, int64_t extra, Pool* pool) const noexcept
{
    if (extra < INT32_MIN || extra > INT32_MAX)
        return nullptr;
    ItemRec* item = CreateItem(type, static_cast<int32_t>(extra), m_layer, m_colour, m_line_type, pool);
    if (item != nullptr)
        item->it_Header.ih_Space = m_space;
    return item;
}

bool EntityState::append_vertex(double x, double y, double z, double bulge, uint32_t flags) noexcept
{
    return VertexListAppend(m_vertices, x, y, z, bulge, flags);
}

// ---------------------------------------------------------------------------------------
// Entities of fixed shape

template <typename Source>
void read_face(EntityReader<Source>& reader)
{
    FaceRec face{};
    const bool complete = reader.read_fields([&](int32_t code) {
        const int32_t corner = code % 10;
        if (code >= 10 && code <= 33 && corner <= 3)
            set_coordinate(face.fc_Corners[corner], code, reader);
    });
    if (!complete)
        return;
    reader.add_new(DXFItem3DFace, [&](ItemRec& item) { item.it_Face = face; });
}

template <typename Source>
void read_arc(EntityReader<Source>& reader)
{
    ArcRec arc{};
    arc.ar_End = kTwoPi;
    arc.ar_Dir = 1;
    const bool complete = reader.read_to_end([&](int32_t code) {
        if (reader.take_common() || reader.take_extrusion())
            return;
        switch (code) {
        case 10:
        case 20:
        case 30: set_coordinate(arc.ar_Centre, code, reader); break;
        case 40: arc.ar_Radius = reader.real(); break;
        case 50: arc.ar_Start = reader.real() * kRadiansPerDegree; break;
        case 51: arc.ar_End = reader.real() * kRadiansPerDegree; break;
        default: break;
        }
    });
    if (!complete)
        return;
    if (reader.is_extruded())
        DXFExtrudeArc(&arc.ar_Centre.x, &arc.ar_Centre.y, &arc.ar_Centre.z, arc.ar_Radius,
                      &arc.ar_Start, &arc.ar_End, &arc.ar_Dir, &reader.extrusion());
    // For the drawing the height only served the extrusion; a group list keeps it.
    if constexpr (!Source::kKeepsArcHeight)
        arc.ar_Centre.z = 0.0;
    reader.add_new(DXFItemArc, [&](ItemRec& item) { item.it_Arc = arc; });
}

// Ellipse parameters are radians; the drawing reader brings them into range, a group
// list keeps them as given.
template <typename Source>
double ellipse_parameter(double value)
{
    if constexpr (Source::kNormalisesEllipseParameters)
        return DXFNormaliseAngle(value);
    return value;
}

template <typename Source>
void read_ellipse(EntityReader<Source>& reader)
{
    EllipseRec ellipse{};
    ellipse.el_Ratio = 1.0;
    ellipse.el_End = kTwoPi;
    ellipse.el_Dir = 1;
    const bool complete = reader.read_to_end([&](int32_t code) {
        if (reader.take_common() || reader.take_extrusion())
            return;
        switch (code) {
        case 10:
        case 20:
        case 30: set_coordinate(ellipse.el_Centre, code, reader); break;
        case 11:
        case 21:
        case 31: set_vector(ellipse.el_MajorAxis, code, reader); break;
        case 40: ellipse.el_Ratio = reader.real(); break;
        case 41: ellipse.el_Start = ellipse_parameter<Source>(reader.real()); break;
        case 42: ellipse.el_End = ellipse_parameter<Source>(reader.real()); break;
        default: break;
        }
    });
    if (!complete)
        return;
    ellipse.el_Angle = std::atan2(ellipse.el_MajorAxis.y, ellipse.el_MajorAxis.x);
    if (reader.is_extruded())
        DXFExtrudeEllipse(&ellipse.el_Centre.x, &ellipse.el_Centre.y, &ellipse.el_Centre.z,
                          &ellipse.el_MajorAxis.x, &ellipse.el_MajorAxis.y,
                          &ellipse.el_MajorAxis.z, &ellipse.el_Ratio, &ellipse.el_Angle,
                          &ellipse.el_Start, &ellipse.el_End, &ellipse.el_Dir,
                          &reader.extrusion());
    reader.add_new(DXFItemEllipse, [&](ItemRec& item) { item.it_Ellipse = ellipse; });
}

template <typename Source>
void read_insert(EntityReader<Source>& reader)
{
    char name[DXF_GROUP_VALUE_SIZE] = "";
    InsertRec insert{};
    insert.in_ArrayKind = 1;
    insert.in_Scale = Point3DRec{1.0, 1.0, 1.0};
    insert.in_Rows = 1;
    insert.in_Columns = 1;
    insert.in_Extrusion = Point3DRec{0.0, 0.0, 1.0};
    const bool complete = reader.read_fields([&](int32_t code) {
        switch (code) {
        case 2: {
            const size_t length = std::min(std::strlen(reader.text()), sizeof name - 1);
            std::memcpy(name, reader.text(), length);
            name[length] = '\0';
            break;
        }
        case 10:
        case 20:
        case 30: set_coordinate(insert.in_Point, code, reader); break;
        case 41: insert.in_Scale.x = reader.real(); break;
        case 42: insert.in_Scale.y = reader.real(); break;
        case 43: insert.in_Scale.z = reader.real(); break;
        case 44: insert.in_ColumnSpacing = reader.real(); break;
        case 45: insert.in_RowSpacing = reader.real(); break;
        case 50: insert.in_Rotation = reader.real() * kRadiansPerDegree; break;
        // Array counts are 16-bit fields: a larger number is damage, not a bigger array.
        case 70: insert.in_Columns = reader.integer16(); break;
        case 71: insert.in_Rows = reader.integer16(); break;
        case 210:
        case 220:
        case 230: set_vector(insert.in_Extrusion, code - 200, reader); break;
        default: break;
        }
    });
    if (!complete)
        return;
    // The rows and columns of an array run along the block's rotated axes.
    insert.in_ColumnAngle = 0.0;
    insert.in_RowAngle = kHalfPi;
    if (insert.in_Rows > 1 || insert.in_Columns > 1) {
        insert.in_ColumnAngle = insert.in_Rotation;
        insert.in_RowAngle = insert.in_Rotation + kHalfPi;
    }
    // Without a drawing there is no block to refer to.
    if (reader.drawing() == nullptr)
        return;
    BlockIdentifierBufferRec& blocks = reader.drawing()->dxf_BlockIdentifierBuffer;
    // The drawing reader meets INSERTs before the blocks they name: it registers the
    // name now and resolves it after the file. A group list only takes known blocks.
    int32_t known = block_index(reader.lookups().block, blocks, name);
    if constexpr (Source::kRegistersUnknownBlocks) {
        if (known < 0 && AddBlockIdentifier(&blocks, name, -1, 0) != 0)
            known = block_index(reader.lookups().block, blocks, name);
    }
    // Without memory for the identifier there is no name to refer to: no item, and no
    // error either.
    if (known < 0)
        return;
    insert.in_BlockName = blocks.bib_Blocks[known]->bi_Name;
    insert.in_BlockIndex = blocks.bib_Blocks[known]->bi_BlockData;
    reader.add_new(DXFItemInsert, [&](ItemRec& item) { item.it_Insert = insert; });
}

template <typename Source>
void read_line(EntityReader<Source>& reader)
{
    LineRec line{};
    const bool complete = reader.read_fields([&](int32_t code) {
        if (code == 10 || code == 20 || code == 30)
            set_coordinate(line.ln_Start, code, reader);
        else if (code == 11 || code == 21 || code == 31)
            set_coordinate(line.ln_End, code, reader);
    });
    if (!complete)
        return;
    reader.add_new(DXFItemLine, [&](ItemRec& item) { item.it_Line = line; });
}

template <typename Source>
void read_point(EntityReader<Source>& reader)
{
    PointRec point{};
    const bool complete = reader.read_fields([&](int32_t code) {
        if (code == 10 || code == 20 || code == 30)
            set_coordinate(point.pt_Point, code, reader);
    });
    if (!complete)
        return;
    reader.add_new(DXFItemPoint, [&](ItemRec& item) { item.it_Point = point; });
}

template <typename Source>
void read_ray(EntityReader<Source>& reader, int32_t type)
{
    RayRec ray{};
    const bool complete = reader.read_fields([&](int32_t code) {
        if (code == 10 || code == 20 || code == 30)
            set_coordinate(ray.ry_Base, code, reader);
        else if (code == 11 || code == 21 || code == 31)
            set_vector(ray.ry_Direction, code, reader);
    });
    if (!complete)
        return;
    Point3DRec& direction = ray.ry_Direction;
    const double length = std::sqrt(direction.x * direction.x + direction.y * direction.y +
                                    direction.z * direction.z);
    if (length < kTolerance || !std::isfinite(length))
        direction = Point3DRec{1.0, 0.0, 0.0};
    else
        direction = Point3DRec{direction.x / length, direction.y / length, direction.z / length};
    reader.add_new(type, [&](ItemRec& item) { item.it_Ray = ray; });
}

template <typename Source>
void read_head_only(EntityReader<Source>& reader, int32_t type)
{
    if (!reader.read_to_end([&](int32_t) { reader.take_common(); }))
        return;
    if (ItemRec* item = reader.create(type, 0))
        reader.add(item);
}

// ---------------------------------------------------------------------------------------
// Recognition

namespace {

enum class EntityKind {
    Face, Arc, AttDef, Attrib, Body, Dimension, Ellipse, Insert, Leader, Line, Point, Ray,
    XLine, Polyline, LWPolyline, Spline, Text, Solid, MLine, MText, OleFrame, Region, Shape,
    Tolerance, Trace, Viewport
};

struct Keyword {
    const char* name;
    size_t compared;  // a longer name that starts with the keyword matches it too
    EntityKind kind;
};

// In the order they are tried. BODY is compared over 7 characters, its terminator
// included, and so matches BODY alone.
constexpr Keyword kKeywords[] = {
    {"3DFACE", 6, EntityKind::Face},        {"ARC", 3, EntityKind::Arc},
    {"CIRCLE", 6, EntityKind::Arc},         {"ATTDEF", 6, EntityKind::AttDef},
    {"ATTRIB", 6, EntityKind::Attrib},      {"BODY", 7, EntityKind::Body},
    {"DIMENSION", 9, EntityKind::Dimension}, {"ELLIPSE", 7, EntityKind::Ellipse},
    {"INSERT", 6, EntityKind::Insert},      {"LEADER", 6, EntityKind::Leader},
    {"LINE", 4, EntityKind::Line},          {"3DLINE", 5, EntityKind::Line},
    {"POINT", 5, EntityKind::Point},        {"RAY", 3, EntityKind::Ray},
    {"XLINE", 5, EntityKind::XLine},        {"POLYLINE", 8, EntityKind::Polyline},
    {"LWPOLYLINE", 10, EntityKind::LWPolyline}, {"SPLINE", 6, EntityKind::Spline},
    {"TEXT", 4, EntityKind::Text},          {"SOLID", 5, EntityKind::Solid},
    {"MLINE", 5, EntityKind::MLine},        {"MTEXT", 5, EntityKind::MText},
    {"OLEFRAME", 8, EntityKind::OleFrame},  {"REGION", 6, EntityKind::Region},
    {"SHAPE", 5, EntityKind::Shape},        {"TOLERANCE", 9, EntityKind::Tolerance},
    {"TRACE", 5, EntityKind::Trace},        {"VIEWPORT", 8, EntityKind::Viewport},
};

const Keyword* find_keyword(const char* name)
{
    // Every keyword is compared over at least its first character: the others need
    // no call.
    for (const Keyword& keyword : kKeywords) {
        if (name[0] == keyword.name[0] && std::strncmp(name, keyword.name, keyword.compared) == 0)
            return &keyword;
    }
    return nullptr;
}

template <typename Source>
void read_entity(EntityReader<Source>& reader, EntityKind kind)
{
    switch (kind) {
    case EntityKind::Face: read_face(reader); break;
    case EntityKind::Arc: read_arc(reader); break;
    case EntityKind::Ellipse: read_ellipse(reader); break;
    case EntityKind::Insert: read_insert(reader); break;
    case EntityKind::Line: read_line(reader); break;
    case EntityKind::Point: read_point(reader); break;
    case EntityKind::Ray: read_ray(reader, DXFItemRay); break;
    case EntityKind::XLine: read_ray(reader, DXFItemXLine); break;
    case EntityKind::Polyline: read_polyline(reader); break;
    case EntityKind::LWPolyline: read_lwpolyline(reader); break;
    case EntityKind::Spline: read_spline(reader); break;
    case EntityKind::Text: read_text(reader); break;
    case EntityKind::MText:
        // The drawing shows an MTEXT as a TEXT item; a group list keeps it an MTEXT.
        if constexpr (Source::kMTextAsText)
            read_mtext(reader);
        else
            read_head_only(reader, DXFItemMText);
        break;
    case EntityKind::AttDef: read_head_only(reader, DXFItemAttDef); break;
    case EntityKind::Attrib: read_head_only(reader, DXFItemAttrib); break;
    case EntityKind::Body: read_head_only(reader, DXFItemBody); break;
    case EntityKind::Dimension: read_head_only(reader, DXFItemDimension); break;
    case EntityKind::Leader: read_head_only(reader, DXFItemLeader); break;
    case EntityKind::Solid: read_head_only(reader, DXFItemSolid); break;
    case EntityKind::MLine: read_head_only(reader, DXFItemMLine); break;
    case EntityKind::OleFrame: read_head_only(reader, DXFItemOleFrame); break;
    case EntityKind::Region: read_head_only(reader, DXFItemRegion); break;
    case EntityKind::Shape: read_head_only(reader, DXFItemShape); break;
    case EntityKind::Tolerance: read_head_only(reader, DXFItemTolerance); break;
    case EntityKind::Trace: read_head_only(reader, DXFItemTrace); break;
    case EntityKind::Viewport: read_head_only(reader, DXFItemViewport); break;
    }
}

}

template <typename Source>
bool read_named_entity(EntityReader<Source>& reader, const char* name)
{
    const Keyword* keyword = name != nullptr ? find_keyword(name) : nullptr;
    if (keyword == nullptr)
        return false;
    try {
        read_entity(reader, keyword->kind);
    } catch (...) {
        // The knot and weight collections of a spline, and a group list's arranged
        // stretch, are the only memory taken here outside Osmark; when it runs out the
        // entity is lost like any other that cannot be made.
        reader.fail();
    }
    return true;
}

template bool read_named_entity(EntityReader<StreamSource>& reader, const char* name);
template bool read_named_entity(EntityReader<ListSource>& reader, const char* name);

}

namespace halvern {

int32_t DXFReadEntity(DXFDrawingRec* drawing, DXFGroupStream& groups, const Point3DRec& offset,
                      VertexListRec* vertexList, int32_t* result, ItemBufferRec* target,
                      DXFEntityLookups& lookups) noexcept
{
    using namespace halvern::entity;
    if (drawing == nullptr || vertexList == nullptr || result == nullptr || target == nullptr)
        return 0;
    StreamSource source(*drawing, groups, result, *target);
    EntityReader<StreamSource> reader(source, drawing, offset, *vertexList, lookups);
    // The name is looked up before the value buffer takes the entity's groups.
    return read_named_entity(reader, groups.text()) ? 1 : 0;
}

int32_t DXFReadEntity(DXFDrawingRec* drawing, int32_t encoding, char* value, double offsetX,
                      double offsetY, double offsetZ, VertexListRec* vertexList, int32_t* result,
                      ItemBufferRec* target, FileHandle* stream) noexcept
{
    if (value == nullptr || stream == nullptr)
        return 0;
    // The entity's name is the current group of a stream of groups over the caller's
    // buffer.
    DXFGroupStream groups(*stream, encoding, value);
    DXFEntityLookups lookups;
    return DXFReadEntity(drawing, groups, Point3DRec{offsetX, offsetY, offsetZ}, vertexList, result,
                         target, lookups);
}

}
