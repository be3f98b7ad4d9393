// Vertex lists: the vertices that the readers collect for a polyline or a spline
// before they know how many there are.

#include "model/vertex_list_internal.h"

#include <algorithm>
#include <cstring>

#include "halvern/items.h"
#include "osmark/memory.h"

namespace {

// Vertices added per growth of a list.
constexpr uint32_t kVertexGrowth = 100;

// Moves the vertices into an array of capacity vertices; false when it cannot be
// allocated (the list stays as it was).
bool grow_to(VertexListRec& list, uint64_t capacity)
{
    const uint64_t bytes = capacity * sizeof(VertexRec);
    if (bytes > 0xFFFFFFFFu)
        return false;
    auto* vertices = static_cast<VertexRec*>(AllocVec(static_cast<uint32_t>(bytes)));
    if (vertices == nullptr)
        return false;
    if (list.vl_Vertices != nullptr) {
        std::memcpy(vertices, list.vl_Vertices, size_t{list.vl_N} * sizeof(VertexRec));
        FreeVec(list.vl_Vertices);
    }
    list.vl_Vertices = vertices;
    list.vl_Max = static_cast<uint32_t>(capacity);
    return true;
}

}

extern "C" {

HALVERN_API void DXFVertexListAdd(VertexListRec* list, double x, double y, double z, double bulge,
                                  uint32_t flags) noexcept
{
    if (list == nullptr)
        return;
    if (list->vl_N >= list->vl_Max && !grow_to(*list, uint64_t{list->vl_Max} + kVertexGrowth))
        return;
    VertexRec& vertex = list->vl_Vertices[list->vl_N++];
    vertex = VertexRec{};
    vertex.vx_Point = Point3DRec{x, y, z};
    vertex.vx_Bulge = bulge;
    vertex.vx_Flags = flags;
}

HALVERN_API void DXFAddVertex(VertexListRec* list, double x, double y, double bulge,
                              uint32_t flags) noexcept
{
    DXFVertexListAdd(list, x, y, 0.0, bulge, flags);
}

HALVERN_API void DXFAddVertex2(VertexListRec* list, double x, double y, double z, double bulge,
                               uint32_t flags) noexcept
{
    DXFVertexListAdd(list, x, y, z, bulge, flags);
}

HALVERN_API void DXFVertexListFree(VertexListRec* list) noexcept
{
    if (list == nullptr)
        return;
    FreeVec(list->vl_Vertices);
    list->vl_Vertices = nullptr;
    list->vl_N = 0;
    list->vl_Max = 0;
}

}

namespace halvern {

bool VertexListAppend(VertexListRec& list, double x, double y, double z, double bulge,
                      uint32_t flags) noexcept
{
    // Past the largest array a doubling would ask for, the hundreds of
    // DXFVertexListAdd still get the last vertices in.
    if (list.vl_N >= list.vl_Max)
        grow_to(list, std::max<uint64_t>(uint64_t{list.vl_Max} * 2, kVertexGrowth));
    const uint32_t before = list.vl_N;
    DXFVertexListAdd(&list, x, y, z, bulge, flags);
    return list.vl_N > before;
}

}
