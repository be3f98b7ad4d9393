// What the entity readers share: the values every entity keeps (layer, colour, line
// type, extrusion), the making of its item, and the source its groups come from.
//
// The per-entity code is written once, as templates over the group source: a DXF
// stream (StreamSource, below: the drawing reader's hot path, no virtual call and no
// allocation per group) or a list of groups held in memory (ListSource,
// dxf_group_list_source.h). Where the two must give different items, the entity code
// asks the source's policy constants, which are resolved at compile time.
//
// A source offers:
//   template <typename Take> bool read_to_end(Take take, GroupLayout layout)
//       hands every group of the current stretch (up to the next 0 group) to
//       take(code), then leaves the closing 0 group current; false when the groups ran
//       out first (the entity is then cut off and makes no item).
//   int32_t code() const; const char* text() const     the current group.
//   double real() const; int32_t integer() const        (optional) the current group's
//                                                       number, as StrToDouble and
//                                                       StrToLong read the text.
//   Pool* pool() const                                  where items come from.
//   bool deliver(ItemRec* item)                         takes a finished item; false
//                                                       (item freed, failure noted)
//                                                       when it cannot.
//   void fail()                                         notes that memory ran out.
//   void vertex_lost()                                  a vertex found no room.
#ifndef HALVERN_MODEL_DXF_ENTITY_READER_H
#define HALVERN_MODEL_DXF_ENTITY_READER_H

#include <cstdint>
#include <cstring>

#include "halvern/drawing.h"
#include "halvern/items.h"
#include "dxf_entity_parser.h"
#include "dxf_group_reader.h"
#include "model/make_error.h"
#include "osmark/errors.h"
#include "osmark/files.h"
#include "osmark/strings.h"

namespace halvern::entity {

// Which groups of an entity repeat. A stream hands groups over in file order and the
// entity code pairs them as they come; a group list arranges a stretch by this layout
// before handing it over (ListSource).
enum class GroupLayout {
    Fields,       // each code is one field
    Vertices,     // LWPOLYLINE: 10, 20, 30 and 42 repeat once per vertex
    SplinePoints  // SPLINE: control and fit points, knots (40) and weights (41) repeat
};

// ---------------------------------------------------------------------------------------
// The stream source: groups straight from the drawing reader's stream.

class StreamSource {
public:
    // Policies: how items from a stream differ from items of a group list.
    static constexpr bool kKeepsArcHeight = false;          // ARC centre z dropped
    static constexpr bool kNormalisesEllipseParameters = true;
    static constexpr bool kRegistersUnknownBlocks = true;   // INSERT of a block not yet read
    static constexpr bool kKeepsTextHeight = true;          // TEXT first point z kept
    static constexpr bool kMTextAsText = true;              // MTEXT becomes a TEXT item
    static constexpr bool kCarriesVertexCoordinates = true; // POLYLINE VERTEX coordinates

    StreamSource(DXFDrawingRec& drawing, DXFGroupStream& groups, int32_t* result,
                 ItemBufferRec& target) noexcept
        : m_drawing(drawing), m_groups(groups), m_result(result), m_target(target),
          m_line(groups.line() - 1)
    {
    }

    // The groups come in file order whatever repeats: the layout is the list's concern.
    // When the groups run out the buffer is left empty, so that the caller never takes
    // a stale name for the next entity.
    template <typename Take>
    bool read_to_end(Take take, GroupLayout)
    {
        while (m_groups.next()) {
            if (m_groups.code() == 0)
                return true;
            take(m_groups.code());
        }
        return false;
    }

    int32_t code() const noexcept { return m_groups.code(); }
    const char* text() const noexcept { return m_groups.text(); }
    // Numbers straight from the stream: the values StrToDouble and StrToLong give for
    // the text, without making the text.
    double real() const noexcept { return m_groups.real(); }
    int32_t integer() const noexcept { return m_groups.integer(); }
    Pool* pool() const noexcept { return m_drawing.dxf_Pool; }

    // Gives the item its source line and appends it to the target buffer.
    bool deliver(ItemRec* item) noexcept;
    void fail() noexcept { *m_result = make_error(IoErrNoMemory); }
    // The reader drops a vertex that finds no room and goes on.
    void vertex_lost() noexcept {}

private:
    DXFDrawingRec& m_drawing;
    DXFGroupStream& m_groups;
    int32_t* m_result;
    ItemBufferRec& m_target;
    int32_t m_line;
};

// ---------------------------------------------------------------------------------------
// What every entity keeps, whatever its source.

class EntityState {
public:
    // drawing may be NULL (a group list read without one): layer and line type then
    // stay 0, and no block is known.
    // lookups (the parser's last hits) outlives the state.
    EntityState(DXFDrawingRec* drawing, Point3DRec offset, VertexListRec& vertices,
                DXFEntityLookups& lookups) noexcept;

    // The layer (code 8) or the line type (code 6) called text.
    void set_table_entry(int32_t code, const char* text) noexcept;
    void set_colour(int32_t colour) noexcept { m_colour = colour; }
    // Group 67: 1 puts the entity into a layout (paper space), 0 into the model.
    void set_space(int32_t space) noexcept { m_space = space != 0 ? 1u : 0u; }
    // One coordinate of the extrusion: code 210, 220 or 230.
    void set_extrusion(int32_t code, double value) noexcept
    {
        (code == 210 ? m_extrusion.x : code == 220 ? m_extrusion.y : m_extrusion.z) = value;
    }
    const Point3DRec& extrusion() const noexcept { return m_extrusion; }
    // The extrusion differs from the world z axis by the tolerance or more.
    bool is_extruded() const noexcept;

    DXFDrawingRec* drawing() noexcept { return m_drawing; }
    const Point3DRec& offset() const noexcept { return m_offset; }
    VertexListRec& vertices() noexcept { return m_vertices; }
    DXFEntityLookups& lookups() noexcept { return m_lookups; }

protected:
    // A new item with the entity's layer, colour and line type from pool; NULL when it
    // cannot be made. extra as CreateItem takes it.
    ItemRec* create_item(int32_t type, int64_t extra, Pool* pool) const noexcept;
    // Appends a vertex, growing the list by doubling rather than step by step; false
    // when it found no room.
    bool append_vertex(double x, double y, double z, double bulge, uint32_t flags) noexcept;

private:
    DXFDrawingRec* m_drawing;
    Point3DRec m_offset;
    VertexListRec& m_vertices;
    DXFEntityLookups& m_lookups;
    int32_t m_layer = 0;
    int32_t m_colour = 0;
    int32_t m_line_type = 0;
    uint32_t m_space = 0;
    Point3DRec m_extrusion{0.0, 0.0, 1.0};
};

// The reader that the entity code works with: the shared state over one source.
template <typename Source>
class EntityReader : public EntityState {
public:
    EntityReader(Source& source, DXFDrawingRec* drawing, Point3DRec offset, VertexListRec& vertices,
                 DXFEntityLookups& lookups) noexcept
        : EntityState(drawing, offset, vertices, lookups), m_source(source)
    {
        vertices.vl_N = 0;
    }

    // Reads groups up to the entity's closing 0 group, handing each other group to
    // take(code). true when the 0 group came, false when the groups ran out.
    template <typename Take>
    bool read_to_end(Take take, GroupLayout layout = GroupLayout::Fields)
    {
        return m_source.read_to_end(take, layout);
    }
    // As read_to_end, with the layer, line type and colour groups taken first.
    template <typename Take>
    bool read_fields(Take take, GroupLayout layout = GroupLayout::Fields)
    {
        return read_to_end(
            [&](int32_t group) {
                if (!take_common())
                    take(group);
            },
            layout);
    }

    int32_t code() const noexcept { return m_source.code(); }
    const char* text() const noexcept { return m_source.text(); }
    bool is_group(int32_t code, const char* name) const noexcept;

    // StrToDouble and StrToLong of the text, from the source when it has a faster way.
    double real() const noexcept
    {
        if constexpr (requires(const Source& source) { source.real(); })
            return m_source.real();
        else
            return StrToDouble(text(), nullptr);
    }
    int32_t integer() const noexcept
    {
        if constexpr (requires(const Source& source) { source.integer(); })
            return m_source.integer();
        else
            return StrToLong(text(), nullptr, 10);
    }
    // A 16-bit integer group, held to that range whatever the text says.
    int32_t integer16() const noexcept;
    // Coordinates of points, relative to the block's base point.
    double x() const noexcept { return real() - offset().x; }
    double y() const noexcept { return real() - offset().y; }
    double z() const noexcept { return real() - offset().z; }

    // Layer (8), line type (6), colour (62) and space (67); true when the group was one
    // of them.
    bool take_common() noexcept
    {
        switch (code()) {
        case 8:
        case 6: set_table_entry(code(), text()); return true;
        case 62: set_colour(integer()); return true;
        case 67: set_space(integer()); return true;
        default: return false;
        }
    }
    // Extrusion groups 210, 220 and 230; true when the group was one of them.
    bool take_extrusion() noexcept
    {
        const int32_t group = code();
        if (group != 210 && group != 220 && group != 230)
            return false;
        set_extrusion(group, real());
        return true;
    }

    // A new item with the entity's layer, colour and line type; NULL (and the failure
    // noted) when it cannot be made.
    ItemRec* create(int32_t type, int64_t extra) noexcept
    {
        ItemRec* item = create_item(type, extra, m_source.pool());
        if (item == nullptr)
            m_source.fail();
        return item;
    }
    // Hands the finished item to the source; false when it could not take it.
    bool add(ItemRec* item) noexcept { return m_source.deliver(item); }
    // A new item of type, its payload set by fill, handed to the source.
    template <typename Fill>
    void add_new(int32_t type, Fill fill) noexcept
    {
        if (ItemRec* item = create(type, 0)) {
            fill(*item);
            add(item);
        }
    }
    void fail() noexcept { m_source.fail(); }

    void add_vertex(double x, double y, double z, double bulge, uint32_t flags) noexcept
    {
        if (!append_vertex(x, y, z, bulge, flags))
            m_source.vertex_lost();
    }

private:
    Source& m_source;
};

template <typename Source>
bool EntityReader<Source>::is_group(int32_t code, const char* name) const noexcept
{
    const char* value = text();
    return this->code() == code && value != nullptr && std::strcmp(value, name) == 0;
}

template <typename Source>
int32_t EntityReader<Source>::integer16() const noexcept
{
    const int32_t value = integer();
    return value < INT16_MIN ? INT16_MIN : value > INT16_MAX ? INT16_MAX : value;
}

// The entity readers, one per kind of entity. Each reads its entity's groups through
// the reader and adds its item when the entity is complete. Instantiated for
// StreamSource and ListSource where they are defined.
template <typename Source> void read_face(EntityReader<Source>& reader);
template <typename Source> void read_arc(EntityReader<Source>& reader);
template <typename Source> void read_ellipse(EntityReader<Source>& reader);
template <typename Source> void read_insert(EntityReader<Source>& reader);
template <typename Source> void read_line(EntityReader<Source>& reader);
template <typename Source> void read_point(EntityReader<Source>& reader);
template <typename Source> void read_ray(EntityReader<Source>& reader, int32_t type);
template <typename Source> void read_head_only(EntityReader<Source>& reader, int32_t type);
template <typename Source> void read_text(EntityReader<Source>& reader);
template <typename Source> void read_mtext(EntityReader<Source>& reader);
template <typename Source> void read_spline(EntityReader<Source>& reader);
template <typename Source> void read_lwpolyline(EntityReader<Source>& reader);
template <typename Source> void read_polyline(EntityReader<Source>& reader);

// Reads the entity called name (compared with the entity keywords in their order, each
// over its own length). false, reading nothing, when no keyword matches. Memory that
// runs out on the way is noted with the source's fail().
template <typename Source>
bool read_named_entity(EntityReader<Source>& reader, const char* name);

}

#endif
