// Items from group lists: the entity parser's own entity code, reading a list of groups
// held in memory instead of a stream.

#include "halvern/items_from_data.h"

#include "dxf/dxf_entity_reader.h"
#include "dxf/dxf_group_list_source.h"

namespace {

// The scratch vertex list of one call.
struct ScratchVertices {
    VertexListRec list{};
    ScratchVertices() = default;
    ScratchVertices(const ScratchVertices&) = delete;
    ScratchVertices& operator=(const ScratchVertices&) = delete;
    ~ScratchVertices() { DXFVertexListFree(&list); }
};

}

extern "C" {

HALVERN_API ItemRec* CreateItemFromData(DXFDrawingRec* drawing, PagedArray* groups,
                                        double offsetX, double offsetY, double offsetZ,
                                        Pool* pool) noexcept
{
    using namespace halvern::entity;
    // An array of other records cannot be read as groups.
    if (groups == nullptr || groups->pa_RecordSize < sizeof(DXFGroupRec))
        return nullptr;
    const int64_t name = ListSource::find_name(*groups);
    if (name < 0)
        return nullptr;
    ScratchVertices vertices;
    ListSource source(*groups, static_cast<uint32_t>(name), pool);
    halvern::DXFEntityLookups lookups;
    EntityReader<ListSource> reader(source, drawing, Point3DRec{offsetX, offsetY, offsetZ},
                                    vertices.list, lookups);
    if (!read_named_entity(reader, source.text()))
        return nullptr;
    return source.take_item();
}

}
