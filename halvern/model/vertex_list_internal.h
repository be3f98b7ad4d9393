// Appending to a vertex list of any length inside the library.
#ifndef HALVERN_MODEL_VERTEX_LIST_INTERNAL_H
#define HALVERN_MODEL_VERTEX_LIST_INTERNAL_H

#include <cstdint>

#include "halvern/items.h"

namespace halvern {

// Appends like DXFVertexListAdd, but a full list doubles its room (at least 100
// vertices) instead of growing by a hundred, so that collecting n vertices copies O(n)
// of them rather than O(n * n / 100). false, with the vertex dropped, when no memory is
// left.
bool VertexListAppend(VertexListRec& list, double x, double y, double z, double bulge,
                      uint32_t flags) noexcept;

}

#endif
