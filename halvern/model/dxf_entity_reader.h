// What the entity readers share: the groups of one entity, the values every entity
// keeps (layer, colour, line type, extrusion, source line) and the making of its item.
#ifndef HALVERN_MODEL_DXF_ENTITY_READER_H
#define HALVERN_MODEL_DXF_ENTITY_READER_H

#include <cstdint>

#include "halvern/drawing.h"
#include "halvern/items.h"
#include "dxf_group_reader.h"
#include "osmark/files.h"
#include "osmark/strings.h"

namespace halvern::entity {

class EntityReader {
public:
    EntityReader(DXFDrawingRec& drawing, int32_t encoding, char* value, Point3DRec offset,
                 VertexListRec& vertices, int32_t* result, ItemBufferRec& target,
                 FileHandle& stream) noexcept;

    // The next group; false when the groups ran out, with the value buffer emptied so
    // that the caller never takes a stale name for the next entity.
    bool next() noexcept;
    int32_t code() const noexcept { return m_code; }
    const char* text() const noexcept { return m_value; }
    bool is_group(int32_t code, const char* name) const noexcept;

    double real() const noexcept { return StrToDouble(m_value, nullptr); }
    int32_t integer() const noexcept { return StrToLong(m_value, nullptr, 10); }
    // A 16-bit integer group, held to that range whatever the text says.
    int32_t integer16() const noexcept;
    // Coordinates of points, relative to the block's base point.
    double x() const noexcept { return real() - m_offset.x; }
    double y() const noexcept { return real() - m_offset.y; }
    double z() const noexcept { return real() - m_offset.z; }

    // Layer (8), line type (6) and colour (62); true when the group was one of them.
    bool take_common() noexcept;
    // Extrusion groups 210, 220 and 230; true when the group was one of them.
    bool take_extrusion() noexcept;
    const Point3DRec& extrusion() const noexcept { return m_extrusion; }
    // The extrusion differs from the world z axis by the tolerance or more.
    bool is_extruded() const noexcept;

    // Reads groups up to the entity's closing 0 group, handing each other group to
    // take(code). true when the 0 group came, false when the groups ran out.
    template <typename Take>
    bool read_to_end(Take take)
    {
        while (next()) {
            if (m_code == 0)
                return true;
            take(m_code);
        }
        return false;
    }

    // A new item with the entity's layer, colour and line type; NULL (and the result
    // -1) when it cannot be made. extra as CreateItem takes it.
    ItemRec* create(int32_t type, int64_t extra) noexcept;
    // Gives the item its source line and appends it to the target buffer; false (and
    // the result -1, the item returned to the pool) when the buffer cannot grow.
    bool add(ItemRec* item) noexcept;
    void fail() noexcept { *m_result = -1; }

    VertexListRec& vertices() noexcept { return m_vertices; }
    // Appends a vertex, growing the list by doubling rather than step by step.
    void add_vertex(double x, double y, double z, double bulge, uint32_t flags) noexcept;

    DXFDrawingRec& drawing() noexcept { return m_drawing; }
    const Point3DRec& offset() const noexcept { return m_offset; }

private:
    DXFDrawingRec& m_drawing;
    int32_t m_encoding;
    char* m_value;
    Point3DRec m_offset;
    VertexListRec& m_vertices;
    int32_t* m_result;
    ItemBufferRec& m_target;
    FileHandle& m_stream;
    int32_t m_code = 0;
    int32_t m_layer = 0;
    int32_t m_colour = 0;
    int32_t m_line_type = 0;
    int32_t m_line;
    Point3DRec m_extrusion{0.0, 0.0, 1.0};
};

// The entity readers, one per kind of entity. Each reads its entity's groups through
// the reader and adds its item when the entity is complete.
void read_face(EntityReader& reader);
void read_arc(EntityReader& reader);
void read_ellipse(EntityReader& reader);
void read_insert(EntityReader& reader);
void read_line(EntityReader& reader);
void read_point(EntityReader& reader);
void read_ray(EntityReader& reader, int32_t type);
void read_head_only(EntityReader& reader, int32_t type);
void read_text(EntityReader& reader);
void read_mtext(EntityReader& reader);
void read_spline(EntityReader& reader);
void read_lwpolyline(EntityReader& reader);
void read_polyline(EntityReader& reader);

}

#endif
