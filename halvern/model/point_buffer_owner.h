// The owner of a point buffer of DXFPointBufferCreate, for Halvern's own code.
#ifndef HALVERN_MODEL_POINT_BUFFER_OWNER_H
#define HALVERN_MODEL_POINT_BUFFER_OWNER_H

#include "halvern/item_geometry.h"

#include <memory>

namespace halvern {

struct PointBufferDeleter {
    void operator()(DXFPointBufferRec* buffer) const noexcept { DXFPointBufferDelete(buffer); }
};
using PointBufferOwner = std::unique_ptr<DXFPointBufferRec, PointBufferDeleter>;

}

#endif
